#pragma once
// The dataset file (*.KVE): one dataset with every option of the main window
// and the user's notes.
//
//   3,1,0                      version of the writing program
//   LSM=True                   94 option lines in the fixed order of optionKeys()
//   ...
//   N=19                       row count
//   DATA:
//   "1.5",,"2",,,,""           one line per data row, columns 1..7
//   NOTES:                     only when there are notes
//   free text
//
// Lines end in CR LF; text is written as UTF-8 and read as UTF-8 with a
// Windows-1252 fallback for files of older versions. Reading never changes
// anything by itself: readDatasetFile() returns the whole content or a
// refusal, and the caller applies the content in file order.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/data_matrix.hpp"
#include "core/dataset_options.hpp"

namespace DatasetFile {

// ---------------------------------------------------------------------------
// The option lines: the table of dataset_options.hpp.

// The value as written after "KEY=".
QString formatOptionValue(OptionForm form, const OptionValue& value);
// The value of a line read back; nothing when it does not convert.
std::optional<OptionValue> parseOptionValue(OptionForm form, const QString& text);

// ---------------------------------------------------------------------------
// Line splitting shared with the comparison and the R runner.

// Splits one line at ":" and "=": the key is the trimmed text between the
// last two separators (left as passed in when the line has none), the value
// the trimmed text after the last one, less one leading and one trailing
// "#" or double quote.
void GetCodeValue(const QString& line, QString& key, QString& value);

// The write form of the sequential text files (data rows, the R data file):
// a number bare with ".", a text in double quotes with a quote inside
// doubled, a cell never set as nothing.
QString formatCell(const DataCell& cell);
QString quoteText(const QString& text);

// ---------------------------------------------------------------------------
// The whole dataset, as written and as read.

struct FileVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};
// The version this program writes into its files. Files of major version
// below 2 are refused, so this must stay at 2 or above.
FileVersion programVersion();
// The main window's caption: the program and its version, then " - " and
// the name of the dataset file when one is named.
QString mainCaption(const QString& dataFileName = QString());

// What the main window keeps in a file.
struct DatasetState {
    DatasetOptions options = defaultOptions();
    QString rowCountText = QStringLiteral("19"); // the row-count box, as typed
    DataMatrix matrix{20};                       // data rows 1..upperRow()-1
    QString notes;                               // line breaks as "\n"
};

// The largest row count a file may ask for (the same bound as the sheet).
inline constexpr int MaxRows = 1000000;

// One entry of the option section in file order: an option line that names
// a table key, or a line without key, which the reader answers with a beep.
struct OptionSetting {
    int index = -1; // entry of optionKeys(); -1 for a line without key
    OptionValue value;
};

struct DatasetContent {
    FileVersion version;
    std::vector<OptionSetting> settings;        // in file order
    std::optional<QString> rowCountText;        // value of the last "N=" line
    bool hasData = false;                       // a "DATA:" line was found
    // Cells of columns 1..7: text, numbers included; a field written as
    // nothing between its commas stays a cell never set, so that a file
    // loaded and saved again does not change.
    std::vector<DataMatrix::Row> rows;
    QString notes;                              // line breaks as "\n"
};

struct LoadError {
    QString title;
    QString text;
    bool versionRefused = false;
};

struct LoadResult {
    std::optional<DatasetContent> content;
    LoadError error;
    bool ok() const { return content.has_value(); }
};

// The file form of a state: version line, options, N=, DATA:, rows, notes.
QByteArray formatDataset(const DatasetState& state, FileVersion version = programVersion());
// Reads a file's bytes. `currentRowCountText` and `currentSheetRows` stand
// for the row-count box and the sheet when the file has no "N=" line.
// `path` only names the file in messages.
LoadResult parseDataset(QByteArrayView bytes, const QString& path, const QString& currentRowCountText,
                        int currentSheetRows);
// The number of data rows that a row-count text gives the sheet: the leading
// number of the text rounded half to even plus the header row, less one.
// Nothing when the text asks for fewer than 3 rows (the sheet keeps its size).
std::optional<int> sheetRowsFor(const QString& rowCountText);

// First data row (1..upperRow()-1) whose X or Y is missing; 0 when none is.
int firstIncompleteRow(const DataMatrix& matrix);

// Reads a file from disk; a file that cannot be read is a refusal too.
LoadResult LoadFile(const QString& Filename, const QString& currentRowCountText,
                    int currentSheetRows);
// Writes a file through QSaveFile: the previous file stays intact unless the
// new one was written completely. Returns the error text, empty on success.
QString SaveFile(const QString& Filename, const DatasetState& state,
                 FileVersion version = programVersion());

// Applies a read content to a state the way the main window does: the
// options in file order, N= with the sheet resized (kept when fewer than 3
// rows), the cleared sheet filled with the rows as text, the notes.
void applyContent(const DatasetContent& content, DatasetState& state);

// Decodes a text file: UTF-8 (a leading byte-order mark dropped), or
// Windows-1252 when the bytes are not valid UTF-8.
QString decodeText(const QByteArray& bytes);

} // namespace DatasetFile
