#pragma once
// The data sheet's work on DataMatrix, without widgets: how a cell is shown,
// the row-count rule, paste, copy, swap and the removal of incomplete rows.
// The main window applies the results to its grid.

#include <QString>

#include <utility>
#include <vector>

#include "core/data_matrix.hpp"

namespace DataSheet {

// Default display formats of the value columns.
inline const QString DefaultFormatXY = QStringLiteral("##.#000");
inline const QString DefaultFormatSD = QStringLiteral("#.#0000");
// Largest number of data rows the sheet takes.
constexpr int MaxDataRows = 1000000;

// The text the grid shows for a cell of column `column`: a number (or a
// text that reads as one) under the column's format (XY for 1 and 3, SD for
// 2 and 4, "####" elsewhere); any other text unchanged; an empty cell empty.
QString formatCell(const DataCell& cell, int column, const QString& formatXY, const QString& formatSD);
// A number under a "#", "0" and "." pattern ("##.#000", "0.0000", ...).
QString formatPattern(double value, const QString& pattern);

// The number a text box holds: the leading number of its text (blanks
// before it skipped), 0 when the text does not begin with one.
double leadingNumber(const QString& text);
// Rounds to the nearest whole number, halves to the even one.
long long roundHalfEven(double value);

// Whether row `row` lacks X or Y.
bool isIncompleteRow(const DataMatrix& matrix, int row);

// The header of data column `column` as the sheet shows it; X and Y trade
// "Pred" and "Obs" while the Swap box is ticked.
QString columnHeader(int column, bool swapped = false);
// Why the cell of `column` in row `row` holds no value to compute with, in
// the words every command that refuses such a row uses: "Row 6: Y (Obs) is
// empty." (nothing, or blanks only) or "Row 3: X (Pred) is not a number:
// abc" (with what the cell holds). Empty when the cell holds a number.
QString unreadableValue(const DataMatrix& matrix, int row, int column, bool swapped = false);

// Paste: walks `text` from the start cell and stores the numbers it holds.
struct PasteOutcome {
    bool ignored = false;                // start column 5 or beyond: nothing done
    bool stoppedAtEnd = false;           // ran past the last row without auto-increase
    bool hitRowLimit = false;            // would have grown beyond MaxDataRows
    int gridRows = 0;                    // the sheet's row count afterwards (header included)
    std::vector<std::pair<int, int>> changed;   // (row, column) of every stored cell
};
PasteOutcome paste(DataMatrix& matrix, int gridRows, const QString& text, bool singleColumn,
                   bool autoIncrease, int startRow, int startColumn, int maxDataRows = MaxDataRows);

// The whole sheet as text: rows 1..gridRows-1, columns 1..gridCols-1.
QString copyText(const DataMatrix& matrix, int gridRows, int gridCols);

// Exchanges X and Y, SD X and SD Y, rank X and rank Y of rows 1..gridRows-1.
void swapXY(DataMatrix& matrix, int gridRows);

// Moves the complete rows up over the incomplete ones before them, keeping
// their order; rows after the last complete row follow unchanged and the
// vacated rows at the bottom become the empty text. Returns the first data
// row (1..gridRows-1) that is still incomplete, or 0.
int compactRows(DataMatrix& matrix, int gridRows);

// Whether an evaluation leaves the row out: its exclusion mark begins with
// "Y" (either case) or "0". (The run also leaves out rows whose X is empty.)
bool isExcludedRow(const DataMatrix& matrix, int row);

} // namespace DataSheet
