#include "core/numbered_file.hpp"

#include <QDir>
#include <QFileInfo>

#include "core/whole_file.hpp"

namespace NumberedFile {

QString nextFree(const QString& folder, const QString& stem)
{
    QString base = folder;
    base.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // An empty folder is the current one (no separator, never the root); a
    // folder given with its closing separator gets no second one.
    if (!base.isEmpty() && !base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    for (int number = 0; number <= 9999; ++number) {
        const QString candidate = base + stem
                                  + QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0'))
                                  + QStringLiteral(".TXT");
        // Free only when nothing at all has the name: a folder or a link
        // (also one that points nowhere) keeps its name, so that the text is
        // never written into a folder's place nor through a link elsewhere.
        const QFileInfo info(candidate);
        if (!info.exists() && !info.isSymLink())
            return candidate;
    }
    return QString();
}

bool writeText(const QString& path, const QString& text, QString& errorText)
{
    if (path.isEmpty()) {
        errorText = QStringLiteral("No free file name is left.");
        return false;
    }
    // Converted as it stands and the line break added to the bytes: a long
    // report is not copied once more before its conversion.
    QByteArray bytes = text.toUtf8();
    bytes.append("\r\n");
    const QString why = writeWholeFile(path, bytes);
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
