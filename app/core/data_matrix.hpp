#pragma once
// DataMatrix: the dataset in memory, cells indexed (column, row) with
// columns 0..7 and rows 0..upperRow(). Row 0 and column 0 hold no data; the
// matrix keeps one spare row beyond the data sheet's last data row.
//
// A cell is empty (never set), text (typed in the editor or read from a
// dataset file) or a number (pasted or generated). The dataset file and the
// R data file write text and numbers differently, so the kind matters.

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// One cell in eight bytes, so that a sheet of a million rows stays small.
// A number is kept as its double. A text is read by the strict number
// parser once, when it is set, and kept in the smallest form that gives
// back both its exact characters and its value:
//  - a plain decimal ("-12.50", "0.0031", "7": a sign only when negative,
//    no needless leading zero, no exponent) of up to 13 digits lives in the
//    cell itself as its digits and the count of its decimals;
//  - a longer plain decimal that the value's own fixed-point form gives
//    back digit for digit (what this program writes) keeps the value and
//    that count on the heap;
//  - any other text (a word, an exclusion mark, "1e5", "+3") keeps its
//    characters on the heap, with the value when it is a number.
// The forms other than the number sit in the bit patterns of negative
// quiet NaNs, which no number cell holds (a NaN number is kept as the
// positive quiet NaN).
class DataCell {
public:
    DataCell() noexcept = default;
    DataCell(const DataCell& other);
    DataCell(DataCell&& other) noexcept : m_bits(other.m_bits) { other.m_bits = EmptyBits; }
    DataCell& operator=(const DataCell& other);
    DataCell& operator=(DataCell&& other) noexcept
    {
        if (this != &other) {
            release();
            m_bits = other.m_bits;
            other.m_bits = EmptyBits;
        }
        return *this;
    }
    ~DataCell() { release(); }

    static DataCell fromText(const QString& text);
    // The text of Latin-1 characters (a dataset file's field that is plain
    // ASCII reads the same in every encoding the reader knows).
    static DataCell fromLatin1Text(std::string_view text);
    static DataCell fromNumber(double v);

    bool isEmpty() const { return m_bits == EmptyBits; }
    bool isText() const { return isBoxed() && !isEmpty(); }
    bool isNumber() const { return !isBoxed(); }
    // A missing value: never set, or the empty text.
    bool isMissing() const { return m_bits == EmptyBits || m_bits == EmptyTextBits; }

    QString text() const;               // the text of a text cell (empty otherwise)
    double number() const;              // the number of a number cell (0 otherwise)
    // The cell as the program reads a value: a number, or a text that the
    // strict parser accepts; nothing for anything else.
    std::optional<double> toNumber() const;
    // The raw content as text: a number in its shortest round-trip form.
    QString toDisplayString() const;
    // The first character of toDisplayString(); a null character when that
    // is empty.
    QChar firstCharacter() const;

    bool operator==(const DataCell& o) const;

private:
    struct TextBlock;
    struct DecimalBlock;

    static constexpr std::uint64_t BoxBits = 0xFFF8'0000'0000'0000ULL;      // sign, exponent, quiet bit
    static constexpr std::uint64_t InlineBit = 1ULL << 50;                  // a short plain decimal
    static constexpr std::uint64_t TagShift = 48;                           // 2-bit tag of the others
    static constexpr std::uint64_t PointerMask = (1ULL << 48) - 1;
    enum Tag : std::uint64_t { TagEmpty = 0, TagText = 1, TagDecimal = 2 };
    static constexpr std::uint64_t EmptyBits = BoxBits | (std::uint64_t(TagEmpty) << TagShift);
    static constexpr std::uint64_t EmptyTextBits = BoxBits | (std::uint64_t(TagText) << TagShift);

    bool isBoxed() const { return (m_bits & BoxBits) == BoxBits; }
    bool isInline() const { return isBoxed() && (m_bits & InlineBit); }
    Tag tag() const { return Tag((m_bits >> TagShift) & 3); }
    bool holdsPointer() const
    {
        return isBoxed() && !(m_bits & InlineBit) && tag() != TagEmpty && (m_bits & PointerMask) != 0;
    }
    const TextBlock* textBlock() const;
    const DecimalBlock* decimalBlock() const;
    void setPointer(Tag tag, const void* block);
    // Most cells hold no block: only those that do leave the line.
    void release() noexcept
    {
        if (holdsPointer())
            releaseBlock();
    }
    void releaseBlock() noexcept;

    std::uint64_t m_bits = EmptyBits;
};

class DataMatrix {
public:
    static constexpr int Columns = 8;   // 0..7

    // Columns of the dataset.
    enum Column { ColNumber = 0, ColX = 1, ColSDX = 2, ColY = 3, ColSDY = 4,
                  ColRankX = 5, ColRankY = 6, ColExclude = 7 };
    // The cells of columns 1..7 of one row.
    using Row = std::array<DataCell, Columns - 1>;

    explicit DataMatrix(int upperRow = 20);

    int upperRow() const { return m_upperRow; }
    // Resizes to rows 0..upperRow, keeping the rows that remain; new rows are empty.
    void resize(int upperRow);
    // Empties every cell, keeping the size.
    void clear();
    // Empties the cells of rows first..last.
    void emptyRows(int first, int last);
    // Rows 1..rows.size() become `rows`, taken over without a copy; the
    // matrix grows when it has fewer rows (the rows after them keep their
    // cells).
    void takeRows(std::vector<Row>&& rows);

    // Row 0 and column 0 hold no data: read, they give an empty cell; they
    // cannot be set (std::out_of_range, as for a subscript beyond the
    // matrix).
    const DataCell& cell(int column, int row) const
    {
        if (column < 0 || column >= Columns || row < 0 || row > m_upperRow)
            outOfRange();
        if (column == 0 || row == 0 || static_cast<std::size_t>(row) > m_rows.size())
            return EmptyCell;
        return m_rows[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)];
    }
    // Rows that were never set take no memory: setting a cell in one keeps
    // every row from then on, so a reference to a cell taken before that
    // (after a resize) does not survive it.
    DataCell& cell(int column, int row);
    void setText(int column, int row, const QString& text) { cell(column, row) = DataCell::fromText(text); }
    void setNumber(int column, int row, double v) { cell(column, row) = DataCell::fromNumber(v); }
    void setEmpty(int column, int row) { cell(column, row) = DataCell(); }
    bool isMissing(int column, int row) const { return cell(column, row).isMissing(); }

    bool operator==(const DataMatrix& o) const;

private:
    static const DataCell EmptyCell;
    [[noreturn]] static void outOfRange();

    int m_upperRow = 0;
    std::vector<Row> m_rows;            // rows 1..m_rows.size(); the rows after them are empty
};

// The program's one strict number parser: finite decimals with "." as the
// decimal point, leading and trailing blanks and an exponent allowed; no
// "inf", "nan", hexadecimal or thousands separators.
std::optional<double> parseStrictNumber(const QString& text);
// The same rule on characters given as bytes (anything beyond ASCII is no
// number).
std::optional<double> parseStrictNumber(std::string_view text);
// The shortest text that reads back as the same double, with ".".
QString formatRoundTrip(double v);
