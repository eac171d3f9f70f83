#include "core/kve_code.hpp"

#include <QDir>
#include <QFileInfo>

#include "SumtrixLib/Format.hpp"

namespace KVECode {

QString FormatFixedWidth(InOut<double> value, std::int32_t size, std::int32_t Dec,
                         InOut<std::int16_t> Alignment, bool Prob)
{
    return QString::fromStdString(
        SumtrixLib::FormatFixedWidth(value.get(), size, Dec, Alignment.get(), Prob));
}

QString FormatFixedWidth(const QString& text, std::int32_t size, std::int32_t Dec,
                         InOut<std::int16_t> Alignment, bool Prob)
{
    bool ok = false;
    double v = text.trimmed().toDouble(&ok);
    if (ok && !text.trimmed().isEmpty())
        return FormatFixedWidth(v, size, Dec, Alignment.get(), Prob);
    if (Alignment.get() == 0)
        Alignment = SumtrixLib::AlignRight;
    if (text.size() > size)
        return AlignText(QStringLiteral("n/a"), size, Alignment.get());
    return AlignText(text, size, Alignment.get());
}

QString AlignText(const QString& Text, std::int32_t TextSize, InOut<std::int16_t> Alignment)
{
    return QString::fromStdString(SumtrixLib::AlignText(Text.toStdString(), TextSize, Alignment.get()));
}

bool FileExists(const QString& path, QString& errorText)
{
    if (path.isEmpty())
        return false;
    // The name as it stands first: on this system "\", "*" and "?" are
    // characters that names may hold.
    const QFileInfo literal(path);
    if (literal.exists() && !literal.isDir())
        return true;
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo info(p);
    const QString name = info.fileName();
    if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'))) {
        QDir dir = info.dir();
        if (!dir.exists()) {
            return false;
        }
        const QStringList found = dir.entryList(QStringList{name}, QDir::Files | QDir::Hidden | QDir::System);
        return !found.isEmpty();
    }
    // Hidden files count as existing, so that an automatically numbered
    // name never overwrites one.
    if (!info.exists())
        return false;
    if (info.isDir())
        return false;
    Q_UNUSED(errorText);
    return true;
}

bool FileExists(const QString& path)
{
    QString ignored;
    return FileExists(path, ignored);
}

qsizetype LastPathSeparator(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash >= 0 ? slash : path.lastIndexOf(QLatin1Char('\\'));
}

QString GetFileName(const QString& path)
{
    const qsizetype i = LastPathSeparator(path);
    return i < 0 ? QString() : path.mid(i + 1);
}

QString GetFolderPath(const QString& path)
{
    const qsizetype i = LastPathSeparator(path);
    if (i < 0)
        return path + QLatin1Char('/');
    return path.left(i) + QLatin1Char('/');
}

std::int32_t SplitText(const QString& text, const QString& delimiter, QStringList& pieces)
{
    if (text.isEmpty() || delimiter.isEmpty() || delimiter.size() >= text.size())
        return 0;
    if (!text.contains(delimiter)) {
        pieces = QStringList{QString(), text};
        return 1;
    }
    // The pieces array keeps its earlier contents past the pieces written.
    auto ensure = [&pieces](qsizetype k) {
        while (pieces.size() <= k)
            pieces.append(QString());
    };
    QString rest = text;
    std::int32_t k = 1;
    do {
        ensure(k);
        const qsizetype at = rest.indexOf(delimiter);
        pieces[k] = rest.left(at);
        rest = rest.mid(at + delimiter.size());
        ++k;
        if (!rest.contains(delimiter)) {
            ensure(k);
            pieces[k] = rest;
            rest.clear();
        }
    } while (!rest.isEmpty());
    while (pieces.size() > k + 1)
        pieces.removeLast();
    return k;
}

std::int32_t ParseFileSelection(const QString& selection, QStringList& names)
{
    const QChar nul(QChar::Null);
    auto ensure = [&names](qsizetype k) {
        while (names.size() <= k)
            names.append(QString());
    };
    qsizetype scanStart = 0;
    ensure(0);
    if (selection.count(nul) == 1) {
        const qsizetype sep = LastPathSeparator(selection);
        const qsizetype separators = sep < 0 ? 0 : selection.count(selection.at(sep));
        if (sep < 0) {
            names[0] = QString();
            scanStart = 0;
        } else {
            names[0] = separators == 1 ? selection.left(sep + 1) : selection.left(sep);
            scanStart = sep + 1;
        }
    } else {
        const qsizetype first = selection.indexOf(nul);
        names[0] = first < 0 ? selection : selection.left(first);
        scanStart = first < 0 ? selection.size() : first + 1;
    }
    std::int32_t count = 0;
    qsizetype start = scanStart;
    for (qsizetype i = scanStart; i < selection.size(); ++i) {
        if (selection[i] == nul) {
            ++count;
            ensure(count);
            names[count] = selection.mid(start, i - start);
            start = i + 1;
        }
    }
    return count;
}

std::int16_t CountChar(const QString& text, QChar ch)
{
    return static_cast<std::int16_t>(text.count(ch));
}

bool HoldsControlCharacter(const QString& text)
{
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line
            || c.category() == QChar::Separator_Paragraph)
            return true;
    return false;
}

QStringList ConsoleRows(const QString& text, int width)
{
    QStringList rows;
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = normalized.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (i == lines.size() - 1 && line.isEmpty())
            break;                      // the text's final line end
        if (line.isEmpty()) {
            rows.append(QString());
            continue;
        }
        for (qsizetype at = 0; at < line.size(); at += width)
            rows.append(line.mid(at, width));
    }
    return rows;
}

QString ConsoleText(const QString& text, bool byLines)
{
    const QStringList rows = ConsoleRows(text, 80);
    QString result;
    if (byLines) {
        for (const QString& row : rows) {
            const QString trimmed = row.trimmed();
            if (!trimmed.isEmpty())
                result += trimmed + QStringLiteral("\r\n");
        }
        return result;
    }
    QString screen;
    for (const QString& row : rows) {
        screen += row.leftJustified(80, QLatin1Char(' '));
        if (screen.size() >= 400)
            break;
    }
    return screen.left(400).leftJustified(400, QLatin1Char(' '));
}

} // namespace KVECode
