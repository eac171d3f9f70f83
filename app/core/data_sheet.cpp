#include "core/data_sheet.hpp"

#include <QStringList>

#include <cmath>
#include <deque>

#include "SumtrixLib/Format.hpp"

namespace DataSheet {

QString formatPattern(double value, const QString& pattern)
{
    return QString::fromStdString(SumtrixLib::FormatNumberPattern(value, pattern.toStdString()));
}

QString formatCell(const DataCell& cell, int column, const QString& formatXY, const QString& formatSD)
{
    if (cell.isEmpty())
        return QString();
    const std::optional<double> number = cell.toNumber();
    if (!number)
        return cell.text();
    const QString& format = (column == 1 || column == 3) ? formatXY
                          : (column == 2 || column == 4) ? formatSD
                                                         : QStringLiteral("####");
    return formatPattern(*number, format);
}

double leadingNumber(const QString& text)
{
    int i = 0;
    const int n = static_cast<int>(text.size());
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    const int start = i;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    const int digitsStart = i;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128)
        ++i;
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128)
            ++i;
    }
    if (i == digitsStart || (i == digitsStart + 1 && text[digitsStart] == QLatin1Char('.')))
        return 0.0;
    // An exponent counts only when digits follow it.
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        int j = i + 1;
        if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
            ++j;
        const int expDigits = j;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128)
            ++j;
        if (j > expDigits)
            i = j;
    }
    const std::optional<double> v = parseStrictNumber(text.mid(start, i - start));
    return v ? *v : 0.0;
}

long long roundHalfEven(double value)
{
    return static_cast<long long>(std::nearbyint(value));
}

bool isIncompleteRow(const DataMatrix& matrix, int row)
{
    return matrix.isMissing(DataMatrix::ColX, row) || matrix.isMissing(DataMatrix::ColY, row);
}

QString columnHeader(int column, bool swapped)
{
    static const char* const headers[DataMatrix::Columns] = {"#",      "X (Pred)", "SD X",   "Y (Obs)",
                                                             "SD Y",   "Rank X",   "Rank Y", "Exclude"};
    if (swapped && column == DataMatrix::ColX)
        return QStringLiteral("X (Obs)");
    if (swapped && column == DataMatrix::ColY)
        return QStringLiteral("Y (Pred)");
    return column >= 0 && column < DataMatrix::Columns ? QLatin1String(headers[column]) : QString();
}

QString unreadableValue(const DataMatrix& matrix, int row, int column, bool swapped)
{
    const DataCell& cell = matrix.cell(column, row);
    const std::optional<double> value = cell.toNumber();
    if (value && std::isfinite(*value))
        return QString();
    const QString held = cell.toDisplayString();
    const QString where = QStringLiteral("Row %1: %2 ").arg(row).arg(columnHeader(column, swapped));
    if (held.trimmed().isEmpty())
        return where + QStringLiteral("is empty.");
    return where + QStringLiteral("is not a number: ") + held;
}

PasteOutcome paste(DataMatrix& matrix, int gridRows, const QString& text, bool singleColumn,
                   bool autoIncrease, int startRow, int startColumn, int maxDataRows)
{
    PasteOutcome out;
    out.gridRows = gridRows;
    if (startColumn >= 5) {
        out.ignored = true;
        return out;
    }
    int row = startRow;
    int column = startColumn;
    QString token;
    for (const QChar ch : text) {
        if (ch == QLatin1Char('\r'))
            continue;
        const bool separator = ch == QLatin1Char('\n') || ch == QLatin1Char('\t')
                               || ch == QLatin1Char(',') || ch == QLatin1Char(';');
        if (!separator) {
            token += ch;
            continue;
        }
        if (!token.trimmed().isEmpty()) {
            if (const std::optional<double> v = parseStrictNumber(token)) {
                matrix.setNumber(column, row, *v);
                out.changed.emplace_back(row, column);
            }
        }
        token.clear();
        if (singleColumn) {
            ++row;
        } else if (ch == QLatin1Char('\n') || column == 7) {
            ++row;
            column = 1;
        } else {
            ++column;
        }
        if (row > out.gridRows - 1) {
            if (!autoIncrease) {
                out.stoppedAtEnd = true;
                return out;
            }
            if (out.gridRows - 1 >= maxDataRows) {
                out.hitRowLimit = true;
                return out;
            }
            ++out.gridRows;
            // The matrix keeps its spare row beyond the sheet's last row.
            matrix.resize(out.gridRows);
        }
    }
    return out;
}

QString copyText(const DataMatrix& matrix, int gridRows, int gridCols)
{
    QString out;
    for (int row = 1; row < gridRows; ++row) {
        QStringList cells;
        for (int column = 1; column < gridCols; ++column) {
            const DataCell& cell = matrix.cell(column, row);
            if (column == DataMatrix::ColExclude) {
                cells << cell.toDisplayString();
                continue;
            }
            if (cell.isMissing()) {
                cells << QStringLiteral(" 0");
                continue;
            }
            const std::optional<double> v = cell.toNumber();
            if (!v) {
                // A typed word: handed on as it stands rather than lost.
                cells << cell.text();
                continue;
            }
            const QString digits = formatRoundTrip(*v);
            cells << (digits.startsWith(QLatin1Char('-')) ? digits : QLatin1Char(' ') + digits);
        }
        out += cells.join(QStringLiteral(", ")) + QStringLiteral("\r\n");
    }
    return out;
}

void swapXY(DataMatrix& matrix, int gridRows)
{
    const auto exchange = [&matrix](int a, int b, int row) {
        const DataCell held = matrix.cell(a, row);
        matrix.cell(a, row) = matrix.cell(b, row);
        matrix.cell(b, row) = held;
    };
    for (int row = 1; row < gridRows; ++row) {
        exchange(DataMatrix::ColX, DataMatrix::ColY, row);
        exchange(DataMatrix::ColSDX, DataMatrix::ColSDY, row);
        exchange(DataMatrix::ColRankX, DataMatrix::ColRankY, row);
    }
}

int compactRows(DataMatrix& matrix, int gridRows)
{
    // The removal is defined by a row-by-row walk over rows 1..M (M = last
    // matrix row - 1). At a complete row after a gap it moves that row and
    // every row below it up to the gap start (each moved-from cell becomes
    // the empty text) and goes on after the gap start. Moving the whole tail each time costs O(n^2)
    // for a sheet of alternating rows, so the same moves are replayed here on
    // a list of row numbers: `kept` are the rows above the walk, `gap` the
    // open gap, `rest` the rows from the walk position down (-1: a row of
    // empty text). When the tail is shorter than the gap, the gap rows it
    // does not reach stay where they were, as in the walk.
    const int upper = matrix.upperRow();
    const int lastWalked = upper - 1;
    constexpr int EmptyRow = -1;
    std::vector<int> kept;
    std::vector<int> gap;
    std::deque<int> rest;
    for (int row = 1; row <= upper; ++row)
        rest.push_back(row);
    const auto incomplete = [&matrix](int row) { return row == EmptyRow || isIncompleteRow(matrix, row); };
    while (!rest.empty() && static_cast<int>(kept.size() + gap.size()) + 1 <= lastWalked) {
        const int row = rest.front();
        if (incomplete(row)) {
            gap.push_back(row);
            rest.pop_front();
        } else if (gap.empty()) {
            kept.push_back(row);
            rest.pop_front();
        } else {
            const std::size_t shift = gap.size();
            const std::size_t tail = rest.size();
            if (tail >= shift) {
                rest.insert(rest.end(), shift, EmptyRow);
            } else {
                rest.insert(rest.end(), gap.begin() + static_cast<std::ptrdiff_t>(tail), gap.end());
                rest.insert(rest.end(), tail, EmptyRow);
            }
            gap.clear();
        }
    }
    std::vector<int> order = std::move(kept);
    order.insert(order.end(), gap.begin(), gap.end());
    order.insert(order.end(), rest.begin(), rest.end());

    DataMatrix result(upper);
    for (int target = 1; target <= upper; ++target) {
        const int source = target <= static_cast<int>(order.size()) ? order[static_cast<std::size_t>(target - 1)]
                                                                    : EmptyRow;
        for (int column = 1; column < DataMatrix::Columns; ++column) {
            if (source == EmptyRow)
                result.setText(column, target, QString());
            else
                result.cell(column, target) = std::move(matrix.cell(column, source));
        }
    }
    matrix = std::move(result);
    for (int r = 1; r < gridRows && r <= upper; ++r)
        if (isIncompleteRow(matrix, r))
            return r;
    return 0;
}

bool isExcludedRow(const DataMatrix& matrix, int row)
{
    const QChar first = matrix.cell(DataMatrix::ColExclude, row).firstCharacter().toUpper();
    return first == QLatin1Char('Y') || first == QLatin1Char('0');
}

} // namespace DataSheet
