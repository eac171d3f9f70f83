#include "core/r_exchange.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

#include "core/data_matrix.hpp"
#include "core/dataset_file.hpp"
#include "core/kve_code.hpp"
#include "core/program_info.hpp"

namespace RExchange {

namespace {

const QString CrLf = QStringLiteral("\r\n");

bool isNumber(const QString& text)
{
    return parseStrictNumber(text).has_value();
}

} // namespace

QString templatePattern(RVariant variant)
{
    return variant == RVariant::Single ? QStringLiteral("SingleCode*.R") : QStringLiteral("GroupCode*.R");
}

QString tagPrefix(RVariant variant)
{
    return variant == RVariant::Single ? QStringLiteral("SC") : QStringLiteral("GC");
}

QString basePath(const QString& path)
{
    const qsizetype nameStart = KVECode::LastPathSeparator(path) + 1;
    const QString name = path.mid(nameStart);
    const QString upper = name.toUpper();
    if (upper.endsWith(QLatin1String(".KVE")) || upper.endsWith(QLatin1String(".QCX")))
        return path.left(path.size() - 4);
    // A leading dot names a hidden file; it starts no suffix.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        return path.left(nameStart + dot);
    return path;
}

QString folderOf(const QString& path)
{
    if (KVECode::LastPathSeparator(path) < 0)
        return QString();
    return KVECode::GetFolderPath(path);
}

QString workFolder(const QString& documentsFolder)
{
    if (documentsFolder.isEmpty())
        return QString();
    return documentsFolder + QStringLiteral("/KVE Files/");
}

QString dataFilePath(const QString& namedFile)
{
    return basePath(namedFile) + QStringLiteral(".CSV");
}

QString analysisFilePath(const QString& workFolder, int k)
{
    return workFolder + QStringLiteral("R_Analysis%1.CSV").arg(k);
}

NewFile writeAnalysisFile(const QString& workFolder, const QByteArray& bytes)
{
    return writeNewFile([&](int k) { return analysisFilePath(workFolder, k); }, 1, 999999, bytes);
}

QString scriptFilePath(const QString& base)
{
    return base + QStringLiteral(".R");
}

QString logFilePath(const QString& base, const QString& tag)
{
    return base + QLatin1Char('_') + tag + QStringLiteral("_log1.LOG");
}

QString quotedText(const QString& line)
{
    QString text;
    bool inside = false;
    for (const QChar ch : line) {
        if (ch == QLatin1Char('"'))
            inside = !inside;
        else if (inside)
            text += ch;
    }
    return text;
}

QString tagOfScript(const QString& scriptText)
{
    const QStringList lines = scriptText.split(QLatin1Char('\n'));
    for (const QString& line : lines)
        if (line.toUpper().contains(QLatin1String("FILESEL")))
            return cleanTag(quotedText(line));
    return QString();
}

QString readScriptTag(const QString& scriptPath)
{
    QFile file(scriptPath);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return tagOfScript(DatasetFile::decodeText(file.readAll()));
}

QString cleanTag(const QString& tag)
{
    QString clean;
    for (const QChar ch : tag) {
        const bool control = ch.unicode() < 0x20 || ch.category() == QChar::Other_Control;
        const bool unsafe = ch == QLatin1Char('/') || ch == QLatin1Char('\\') || ch == QLatin1Char('*')
                            || ch == QLatin1Char('?') || ch == QLatin1Char('[') || ch == QLatin1Char(']');
        if (!control && !unsafe)
            clean += ch;
    }
    while (clean.contains(QLatin1String("..")))
        clean.replace(QLatin1String(".."), QString());
    return clean;
}

QByteArray singleDataFile(const DataMatrix& matrix, int sheetRows, int sheetCols)
{
    const int lastRow = std::min(sheetRows - 1, matrix.upperRow());
    const int lastCol = std::min(sheetCols - 1, DataMatrix::Columns - 1);
    QString out;
    for (int r = 1; r <= lastRow; ++r) {
        for (int c = 1; c <= lastCol; ++c) {
            if (c > 1)
                out += QLatin1Char(',');
            out += DatasetFile::formatCell(matrix.cell(c, r));
        }
        out += CrLf;
    }
    return out.toUtf8();
}

GroupDataFile groupDataFile(const GroupData& data)
{
    GroupDataFile file;
    QString out = DatasetFile::quoteText(QStringLiteral("Obs"));
    for (std::size_t k = 1; k <= data.predicted.size(); ++k)
        out += QLatin1Char(',') + DatasetFile::quoteText(QStringLiteral("Model%1").arg(k));
    out += CrLf;
    for (qsizetype i = 0; i < data.observed.size() && isNumber(data.observed[i]); ++i) {
        out += DatasetFile::quoteText(data.observed[i]);
        for (const QStringList& model : data.predicted) {
            QString value = i < model.size() ? model[i] : QString();
            if (!isNumber(value)) {
                file.missingValues = true;
                value.clear();
            }
            out += QLatin1Char(',') + DatasetFile::quoteText(value);
        }
        out += CrLf;
    }
    file.bytes = out.toUtf8();
    return file;
}

QString titleLine(const QString& shownName, const QDateTime& when)
{
    const QString title = ProgramName() + QStringLiteral(" v. ") + ProgramVersionText();
    const QString date = QLocale::c().toString(when, QStringLiteral("dd-MMM-yyyy hh:mm:ss"));
    if (shownName.size() > 77)
        return title + QStringLiteral(" [...") + shownName.right(73) + QStringLiteral("] ") + date;
    const QString pad((80 - shownName.size()) / 2, QLatin1Char(' '));
    return title + pad + QLatin1Char('[') + shownName + QLatin1Char(']') + pad + date;
}

QString modelLegend(const QStringList& modelFiles)
{
    QString legend;
    for (qsizetype k = 1; k <= modelFiles.size(); ++k)
        legend += CrLf + QString::number(k).rightJustified(3, QLatin1Char(' ')) + QStringLiteral(" = ")
                  + modelFiles[k - 1];
    return legend;
}

QString outputHeader(const QString& shownName, const QDateTime& when, const QString& codePath,
                     const std::optional<QString>& legend)
{
    const QString first = titleLine(shownName, when);
    QString header = first + CrLf;
    header += QString(first.size(), QLatin1Char('.')) + CrLf;
    header += CrLf;
    header += QStringLiteral("R Code Results") + CrLf;
    header += QString(14, QLatin1Char('=')) + CrLf;
    header += CrLf;
    header += QStringLiteral("## Using R code file: ") + codePath + CrLf;
    header += CrLf;
    if (legend) {
        header += QStringLiteral("Model Legend") + CrLf;
        header += QString(12, QLatin1Char('-')) + CrLf;
        header += *legend + CrLf + CrLf;
    }
    return header;
}

std::optional<QString> readTextLines(const QString& path, QString& errorText)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        errorText = QStringLiteral("'%1' cannot be read: %2").arg(path, in.errorString());
        return std::nullopt;
    }
    QString text = DatasetFile::decodeText(in.readAll());
    if (in.error() != QFileDevice::NoError) {
        errorText = QStringLiteral("'%1' cannot be read: %2").arg(path, in.errorString());
        return std::nullopt;
    }
    text.replace(CrLf, QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.constLast().isEmpty())
        lines.removeLast();          // the line end of the last line, or an empty file
    QString result;
    for (const QString& line : lines)
        result += line + CrLf;
    return result;
}

TextImport rewriteTextOutput(const QString& path, const QString& header)
{
    TextImport result;
    const std::optional<QString> body = readTextLines(path, result.error);
    if (!body)
        return result;
    result.windowText = header + *body;

    // The new content goes to a temporary file beside the output and
    // replaces it in one rename, so the output is never left half written.
    const QString why = writeWholeFile(path, (header + CrLf + *body).toUtf8());
    if (!why.isEmpty()) {
        result.error = QStringLiteral("'%1' cannot be written: %2").arg(path, why);
        return result;
    }
    result.ok = true;
    return result;
}

QRegularExpression outputPattern(const QString& base, const QString& tag, bool anyTag, const QString& kind,
                                 const QString& extension)
{
    const QString name = base.mid(KVECode::LastPathSeparator(base) + 1);
    const QString tagPart = QRegularExpression::escape(tag) + (anyTag ? QStringLiteral(".*") : QString());
    return QRegularExpression(QStringLiteral("\\A") + QRegularExpression::escape(name) + QLatin1Char('_') + tagPart
                                  + QRegularExpression::escape(kind) + QStringLiteral(".*\\.")
                                  + QRegularExpression::escape(extension) + QStringLiteral("\\z"),
                              QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
}

QStringList matchingFiles(const QString& folder, const QRegularExpression& pattern)
{
    if (folder.isEmpty())
        return {};
    QStringList names;
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : entries)
        if (pattern.match(name).hasMatch())
            names << name;
    return names;
}

QStringList runOutputs(const QString& base, const QString& tag, const QString& kind, const QString& extension)
{
    const QString folder = folderOf(base);
    QStringList paths;
    for (const QString& name : matchingFiles(folder, outputPattern(base, tag, false, kind, extension)))
        paths << folder + name;
    return paths;
}

QStringList templateFolders(RVariant variant, const QString& namedFile, const QString& documentsFolder,
                            const QString& programFolder)
{
    QStringList candidates{folderOf(namedFile)};
    if (variant == RVariant::Single)
        candidates << workFolder(documentsFolder);
    candidates << (programFolder.isEmpty() ? QString() : programFolder + QLatin1Char('/'));
    QStringList folders;
    for (const QString& folder : candidates)
        if (!folder.isEmpty() && !folders.contains(folder))
            folders << folder;
    return folders;
}

QString findTemplate(const QStringList& folders, const QString& name)
{
    if (name.isEmpty())
        return QString();
    for (const QString& folder : folders) {
        if (QFileInfo(folder + name).isFile())
            return folder + name;
        const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        for (const QString& entry : entries)
            if (entry.compare(name, Qt::CaseInsensitive) == 0)
                return folder + entry;
    }
    return QString();
}

void sortNames(QStringList& names)
{
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
}

Lists listFiles(const ListRequest& request)
{
    Lists lists;
    if (request.namedFile.isEmpty())
        return lists;

    QString templateRx = QRegularExpression::wildcardToRegularExpression(templatePattern(request.variant));
    const QRegularExpression templates(templateRx, QRegularExpression::CaseInsensitiveOption);
    for (const QString& folder : templateFolders(request.variant, request.namedFile, request.documentsFolder,
                                                 request.programFolder))
        for (const QString& name : matchingFiles(folder, templates))
            if (!lists.templates.contains(name, Qt::CaseInsensitive))
                lists.templates << name;
    sortNames(lists.templates);

    const QString base = basePath(request.namedFile);
    const QString folder = folderOf(base);
    const QString script = scriptFilePath(base);
    QString tag = tagPrefix(request.variant);
    bool anyTag = true;
    if (QFileInfo(script).isFile()) {
        lists.outputs << KVECode::GetFileName(script);
        if (!request.showAll) {
            tag = readScriptTag(script);
            anyTag = false;
        }
    }
    const struct {
        const char* kind;
        const char* extension;
    } patterns[] = {{"_text", "TXT"}, {"_log", "LOG"}, {"_graph", "BMP"}, {"_graph", "JPG"}, {"_graph", "PNG"}};
    for (const auto& p : patterns)
        for (const QString& name : matchingFiles(folder, outputPattern(base, tag, anyTag, QLatin1String(p.kind),
                                                                       QLatin1String(p.extension))))
            if (!lists.outputs.contains(name))
                lists.outputs << name;
    sortNames(lists.outputs);
    return lists;
}

EntryType entryType(const QString& path)
{
    const QString upper = path.toUpper();
    if (upper.endsWith(QLatin1String(".R")))
        return EntryType::Script;
    const QString end = upper.right(3);
    if (end == QLatin1String("TXT") || end == QLatin1String("LOG"))
        return EntryType::Text;
    if (end == QLatin1String("BMP") || end == QLatin1String("JPG"))
        return EntryType::Picture;
    if (end == QLatin1String("PNG"))
        return EntryType::Png;
    return EntryType::Other;
}

} // namespace RExchange
