#include "core/numbered_file.hpp"

#include <QFileInfo>

namespace NumberedFile {

namespace {

// The text and then CR LF, without joining them.
FileContent withLineEnd(const QByteArray& utf8)
{
    return {utf8, QByteArrayView("\r\n")};
}

} // namespace

QString name(const QString& folder, const QString& stem, int number)
{
    QString base = folder;
    // A folder stored with "\" separators, unless a folder of this very
    // name exists (on this system "\" is a character of names).
    if (base.contains(QLatin1Char('\\')) && !QFileInfo(base).isDir())
        base.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // An empty folder is the current one (no separator, never the root); a
    // folder given with its closing separator gets no second one.
    if (!base.isEmpty() && !base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base + stem + QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0')) + QStringLiteral(".TXT");
}

NewFile writeNext(const QString& folder, const QString& stem, const QString& text)
{
    return writeNext(folder, stem, text.toUtf8());
}

NewFile writeNext(const QString& folder, const QString& stem, const QByteArray& utf8)
{
    return writeNewFile([&](int number) { return name(folder, stem, number); }, 0, 9999, withLineEnd(utf8));
}

bool writeText(const QString& path, const QString& text, QString& errorText)
{
    return writeText(path, text.toUtf8(), errorText);
}

bool writeText(const QString& path, const QByteArray& utf8, QString& errorText)
{
    const QString why = writeWholeFile(path, withLineEnd(utf8));
    if (!why.isEmpty())
        errorText = why;
    return why.isEmpty();
}

QString savedCaption(const QString& tag, const QString& path)
{
    if (path.size() < 21)
        return tag + QStringLiteral(" (") + path + QLatin1Char(')');
    return tag + QStringLiteral(" (...") + path.right(20) + QLatin1Char(')');
}

} // namespace NumberedFile
