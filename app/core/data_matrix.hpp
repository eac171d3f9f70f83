#pragma once
// DataMatrix: the dataset in memory, cells indexed (column, row) with
// columns 0..7 and rows 0..upperRow(). Row 0 and column 0 hold no data; the
// matrix keeps one spare row beyond the data sheet's last data row.
//
// A cell is empty (never set), text (typed in the editor or read from a
// dataset file) or a number (pasted or generated). The dataset file and the
// R data file write text and numbers differently, so the kind matters.

#include <QString>

#include <optional>
#include <variant>
#include <vector>

class DataCell {
public:
    DataCell() = default;
    static DataCell fromText(const QString& text) { DataCell c; c.m_value = text; return c; }
    static DataCell fromNumber(double v) { DataCell c; c.m_value = v; return c; }

    bool isEmpty() const { return std::holds_alternative<std::monostate>(m_value); }
    bool isText() const { return std::holds_alternative<QString>(m_value); }
    bool isNumber() const { return std::holds_alternative<double>(m_value); }
    // A missing value: never set, or the empty text.
    bool isMissing() const { return isEmpty() || (isText() && std::get<QString>(m_value).isEmpty()); }

    const QString& text() const;        // the text of a text cell (empty otherwise)
    double number() const;              // the number of a number cell (0 otherwise)
    // The cell as the program reads a value: a number, or a text that the
    // strict parser accepts; nothing for anything else.
    std::optional<double> toNumber() const;
    // The raw content as text: a number in its shortest round-trip form.
    QString toDisplayString() const;

    bool operator==(const DataCell& o) const { return m_value == o.m_value; }

private:
    std::variant<std::monostate, QString, double> m_value;
};

class DataMatrix {
public:
    static constexpr int Columns = 8;   // 0..7

    // Columns of the dataset.
    enum Column { ColNumber = 0, ColX = 1, ColSDX = 2, ColY = 3, ColSDY = 4,
                  ColRankX = 5, ColRankY = 6, ColExclude = 7 };

    explicit DataMatrix(int upperRow = 20);

    int upperRow() const { return m_upperRow; }
    // Resizes to rows 0..upperRow, keeping the rows that remain; new rows are empty.
    void resize(int upperRow);
    // Empties every cell, keeping the size.
    void clear();

    const DataCell& cell(int column, int row) const;
    DataCell& cell(int column, int row);
    void setText(int column, int row, const QString& text) { cell(column, row) = DataCell::fromText(text); }
    void setNumber(int column, int row, double v) { cell(column, row) = DataCell::fromNumber(v); }
    void setEmpty(int column, int row) { cell(column, row) = DataCell(); }
    bool isMissing(int column, int row) const { return cell(column, row).isMissing(); }

    bool operator==(const DataMatrix& o) const { return m_upperRow == o.m_upperRow && m_cells == o.m_cells; }

private:
    int m_upperRow = 0;
    std::vector<DataCell> m_cells;      // row-major: row * Columns + column
};

// The program's one strict number parser: finite decimals with "." as the
// decimal point, leading and trailing blanks and an exponent allowed; no
// "inf", "nan", hexadecimal or thousands separators.
std::optional<double> parseStrictNumber(const QString& text);
// The shortest text that reads back as the same double, with ".".
QString formatRoundTrip(double v);
