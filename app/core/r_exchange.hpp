#pragma once
// The files a run of R exchanges with the program, and how they are named.
//
// A run writes the data file (the dataset, or the compared models) and puts
// the R script file beside it, copied from a template; R then writes its
// text and picture outputs beside them. Every name is formed from one base
// path B, the data file's path without its extension:
//
//   B.CSV                     the data file
//   B.R                       the R script file
//   B_<tag>_text*.TXT         text outputs (rewritten with a header)
//   B_<tag>_graph*.<type>     pictures, type BMP, JPG or PNG
//   B_<tag>_log1.LOG          R's console text
//
// The tag is the quoted text on the script's first line that holds
// "FILESEL". Two variants share all of it: the single variant runs on the
// main window's dataset (templates "SingleCode*.R"), the group variant on
// the models ticked in the comparison window (templates "GroupCode*.R").

#include <QByteArray>
#include <QDateTime>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "core/whole_file.hpp"

class DataMatrix;

enum class RVariant { Single, Group };

namespace RExchange {

// ---- variants --------------------------------------------------------------

// "SingleCode*.R" or "GroupCode*.R".
QString templatePattern(RVariant variant);
// The first two letters of the tags of the variant's templates ("SC" or
// "GC"): every output of the variant is listed when the tag is unknown.
QString tagPrefix(RVariant variant);

// ---- names -------------------------------------------------------------------

// The path without its extension: a ".KVE", ".QCX" (any case) or any other
// last suffix is dropped; a name without a suffix is kept whole.
QString basePath(const QString& path);
// The folder of a path, ending in "/"; empty for an empty path or a path
// without folder (an empty folder is "no folder", never the root).
QString folderOf(const QString& path);
// The work folder "KVE Files" under the documents folder, ending in "/";
// empty when there is no documents folder.
QString workFolder(const QString& documentsFolder);

// The data file of a run on a named file (dataset or comparison file): the
// named file with ".CSV" for its extension.
QString dataFilePath(const QString& namedFile);
// The data file of a run without a named file: "R_Analysis" & k & ".CSV"
// in the work folder (ending in "/").
QString analysisFilePath(const QString& workFolder, int k);
// Writes the data of a run without a named file as a new file under the
// first k from 1 whose name nothing has, claimed together with its content
// (two runs at once never share one).
NewFile writeAnalysisFile(const QString& workFolder, const QByteArray& bytes);
QString scriptFilePath(const QString& base);
QString logFilePath(const QString& base, const QString& tag);

// ---- the tag -----------------------------------------------------------------

// The characters between double quotes on a line, all quoted pieces joined.
QString quotedText(const QString& line);
// The tag of an R script text: quotedText of the first line whose upper
// case holds "FILESEL", cleaned by cleanTag; empty when no line does.
QString tagOfScript(const QString& scriptText);
// Reads the tag from an R script file; empty when it cannot be read.
QString readScriptTag(const QString& scriptPath);
// The tag as it may enter a file name: path separators, "..", wildcard
// and control characters removed.
QString cleanTag(const QString& tag);

// ---- data files ------------------------------------------------------------

// The single variant's data file: one line per sheet row 1..sheetRows-1
// (empty and excluded rows too) with the cells of columns 1..sheetCols-1
// in the sequential write form, every line ending in CR LF.
QByteArray singleDataFile(const DataMatrix& matrix, int sheetRows, int sheetCols);

// The compared models as the group run reads them (the comparison's
// reader, ModelComparison::readModelFiles).
struct GroupData {
    QStringList observed;                  // observed value of rows 1..R, as read
    std::vector<QStringList> predicted;    // per model, rows 1..R, as read
    QStringList modelFiles;                // the model files, in list order
};

struct GroupDataFile {
    QByteArray bytes;
    bool missingValues = false;            // a model value was not a number
};

// The group variant's data file: the header "Obs","Model1",...; then the
// rows up to the first whose observed value is not a number, every value
// quoted. A model value that is not a number is written as the empty text.
GroupDataFile groupDataFile(const GroupData& data);

// ---- output header -----------------------------------------------------------

// The header's first line: the program and version, the shown name in
// brackets centred on 80 columns (or its last 73 characters after "[..."
// when it is longer than 77), then the date and time.
QString titleLine(const QString& shownName, const QDateTime& when);
// The legend of the compared models: for each, a line break, its number
// right-aligned in 3 characters, " = " and the file's path.
QString modelLegend(const QStringList& modelFiles);
// The header of a text output, every line ending in CR LF. With a legend
// (group variant) the "Model Legend" block follows.
QString outputHeader(const QString& shownName, const QDateTime& when, const QString& codePath,
                     const std::optional<QString>& legend = std::nullopt);

// A text file as the windows show it: every line followed by CR LF (lines
// may end in CR LF, LF or CR). Nothing, with the reason, when it cannot be
// read.
std::optional<QString> readTextLines(const QString& path, QString& errorText);

// Rewrites a text output with the header in front, through a temporary file
// beside it and a rename. The text for the results window: the header, then
// every line of the output followed by CR LF.
struct TextImport {
    bool ok = false;
    QString windowText;
    QString error;
};
TextImport rewriteTextOutput(const QString& path, const QString& header);

// ---- finding files -------------------------------------------------------------

// The pattern of output names: B's file name, "_", the tag (a literal, or
// any text when `anyTag` and then the variant's prefix), the kind
// ("_text", "_log", "_graph"), any text, "." and the extension; letters
// match in either case.
QRegularExpression outputPattern(const QString& base, const QString& tag, bool anyTag, const QString& kind,
                                 const QString& extension);
// The files of a folder (not folders) whose names match, by name.
QStringList matchingFiles(const QString& folder, const QRegularExpression& pattern);
// The files a run produced of one kind (full paths, by name).
QStringList runOutputs(const QString& base, const QString& tag, const QString& kind, const QString& extension);

// The folders that hold templates, in the order they are searched: the
// named file's folder, the work folder (single variant only), the
// program's folder. Folders that are empty are left out.
QStringList templateFolders(RVariant variant, const QString& namedFile, const QString& documentsFolder,
                            const QString& programFolder);
// The template chosen by name (letters in either case) in the first folder
// that holds it; empty when none does.
QString findTemplate(const QStringList& folders, const QString& name);

// ---- the lists ---------------------------------------------------------------

struct ListRequest {
    RVariant variant = RVariant::Single;
    QString namedFile;                     // the dataset or comparison file
    QString documentsFolder;
    QString programFolder;
    bool showAll = false;
};

struct Lists {
    QStringList templates;                 // names, sorted, each once
    QStringList outputs;                   // names of the script and its outputs, sorted
};

// The template list and the output list of the named file. Both are empty
// when no file is named.
Lists listFiles(const ListRequest& request);

// Names sorted as the lists show them: letters in either case alike.
void sortNames(QStringList& names);

// ---- entries of the output list --------------------------------------------------

enum class EntryType { Script, Text, Picture, Png, Other };
// Told by the end of the name: ".R", "TXT"/"LOG", "BMP"/"JPG", "PNG".
EntryType entryType(const QString& path);

} // namespace RExchange
