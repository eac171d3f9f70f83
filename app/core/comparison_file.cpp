#include "core/comparison_file.hpp"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "core/dataset_file.hpp"
#include "core/kve_code.hpp"
#include "core/whole_file.hpp"

#include <filesystem>
#include <system_error>

namespace ComparisonFile {

namespace {

const QLatin1String TrueKeyword("#TRUE#");
const QLatin1String FalseKeyword("#FALSE#");

// A list of a million files stays far below this; anything larger is not a
// comparison file.
constexpr qint64 MaxFileBytes = qint64(64) << 20;

QString trimBlanks(const QString& s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && (s[begin] == QLatin1Char(' ') || s[begin] == QLatin1Char('\t')))
        ++begin;
    while (end > begin && (s[end - 1] == QLatin1Char(' ') || s[end - 1] == QLatin1Char('\t')))
        --end;
    return s.mid(begin, end - begin);
}

// Why `path` is not a regular file that could be opened: the system's
// reason when nothing is found there (a missing file, a folder on the way
// that is none, a broken link, a loop of links), else what it is instead.
QString whyNotAFile(const QString& path)
{
    namespace fs = std::filesystem;
    const fs::path p(QFile::encodeName(path).toStdString());
    std::error_code error;
    const fs::file_status status = fs::status(p, error);
    if (error) {
        QString why = QString::fromLocal8Bit(error.message());
        std::error_code linkError;
        if (fs::is_symlink(fs::symlink_status(p, linkError))) {
            const fs::path target = fs::read_symlink(p, linkError);
            if (!linkError)
                why += QStringLiteral(" (it is a link to %1)").arg(QFile::decodeName(target.c_str()));
        }
        return why + QLatin1Char('.');
    }
    if (fs::is_directory(status))
        return QStringLiteral("it is a folder, not a file.");
    return QStringLiteral("it is not a regular file.");
}

} // namespace

QString whyNotStorable(const QString& path)
{
    if (KVECode::HoldsControlCharacter(path))
        return QStringLiteral("holds a line break or another control character");
    if (path.contains(QLatin1Char('"')))
        return QStringLiteral("holds a double quote");
    return QString();
}

std::optional<QByteArray> format(const QList<Entry>& entries, QString* offendingPath)
{
    QString out;
    for (const Entry& e : entries) {
        if (!whyNotStorable(e.path).isEmpty()) {
            if (offendingPath)
                *offendingPath = e.path;
            return std::nullopt;
        }
        out += (e.ticked ? TrueKeyword : FalseKeyword) + QLatin1String(",\"") + e.path
               + QLatin1String("\"\r\n");
    }
    return out.toUtf8();
}

ParseResult parse(const QByteArray& bytes)
{
    ParseResult result;
    if (bytes.contains('\0')) {
        result.error = QStringLiteral("it is not a text file.");
        return result;
    }
    const QStringList lines = DatasetFile::decodeText(bytes).split(QLatin1Char('\n'));
    QList<Entry> entries;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        line = trimBlanks(line);
        if (line.isEmpty())
            continue;
        const auto refuse = [&] {
            result.error = QStringLiteral("line %1 is not a list entry (#TRUE# or #FALSE#, a comma and "
                                          "a file name in double quotes): %2")
                               .arg(i + 1)
                               .arg(line);
        };
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        if (comma < 0) {
            refuse();
            return result;
        }
        const QString tick = trimBlanks(line.left(comma));
        const QString name = trimBlanks(line.mid(comma + 1));
        Entry entry;
        if (tick.compare(TrueKeyword, Qt::CaseInsensitive) == 0)
            entry.ticked = true;
        else if (tick.compare(FalseKeyword, Qt::CaseInsensitive) != 0) {
            refuse();
            return result;
        }
        if (name.size() < 2 || !name.startsWith(QLatin1Char('"')) || !name.endsWith(QLatin1Char('"'))) {
            refuse();
            return result;
        }
        entry.path = name.mid(1, name.size() - 2);
        entries.append(entry);
    }
    result.entries = std::move(entries);
    return result;
}

QString save(const QString& path, const QList<Entry>& entries)
{
    QString offending;
    const std::optional<QByteArray> bytes = format(entries, &offending);
    if (!bytes)
        return QStringLiteral("the file name %1 %2, which a comparison file cannot store.")
            .arg(offending, whyNotStorable(offending));
    const QString error = writeWholeFile(path, *bytes);
    return error.isEmpty() ? error : error + QLatin1Char('.');
}

ParseResult load(const QString& path)
{
    ParseResult result;
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        result.error = whyNotAFile(path);
        return result;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString() + QLatin1Char('.');
        return result;
    }
    if (file.size() > MaxFileBytes) {
        result.error = QStringLiteral("it is too large to be a comparison file.");
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString() + QLatin1Char('.');
        return result;
    }
    return parse(bytes);
}

} // namespace ComparisonFile
