#include "core/data_matrix.hpp"

#include <QByteArray>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <stdexcept>

static_assert(sizeof(void*) == 8, "DataCell keeps heap addresses in 48 bits");
static_assert(sizeof(DataCell) == 8);

// ---------------------------------------------------------------------------
// The strict number rule.

namespace {

bool isAsciiBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Powers of ten that are exact doubles.
constexpr std::array<double, 23> kPow10 = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                           1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A plain decimal as this program writes one: "-" only when negative, an
// integer part without needless leading zeros, a point only with digits
// after it, no exponent.
struct PlainDecimal {
    bool negative = false;
    int decimals = 0;              // digits after the point
    int significant = 0;           // digits from the first non-zero one
    std::uint64_t mantissa = 0;    // the digits as an integer (when significant <= 19)
};

std::optional<PlainDecimal> plainDecimal(std::string_view s)
{
    PlainDecimal d;
    std::size_t i = 0;
    if (i < s.size() && s[i] == '-') {
        d.negative = true;
        ++i;
    }
    const std::size_t integerStart = i;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    const std::size_t integerDigits = i - integerStart;
    if (integerDigits == 0 || (integerDigits > 1 && s[integerStart] == '0'))
        return std::nullopt;
    std::size_t fractionStart = i;
    if (i < s.size() && s[i] == '.') {
        fractionStart = ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i;
        if (i == fractionStart)
            return std::nullopt;
    }
    if (i != s.size())
        return std::nullopt;
    d.decimals = static_cast<int>(i - fractionStart);
    for (std::size_t k = integerStart; k < s.size(); ++k) {
        if (s[k] == '.')
            continue;
        const int digit = s[k] - '0';
        if (d.significant == 0 && digit == 0)
            continue;
        if (++d.significant <= 19)
            d.mantissa = d.mantissa * 10 + static_cast<std::uint64_t>(digit);
    }
    return d;
}

// The value of a plain decimal of at most 13 digits with at most 22
// decimals: an integer below 2^53 divided by an exact power of ten, one
// correctly rounded division, so the same double as any exact reader
// (std::from_chars) gives.
double shortDecimalValue(bool negative, std::uint64_t mantissa, int decimals)
{
    const double v = static_cast<double>(mantissa) / kPow10[static_cast<std::size_t>(decimals)];
    return negative ? -v : v;
}

} // namespace

std::optional<double> parseStrictNumber(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isAsciiBlank(text[begin]))
        ++begin;
    while (end > begin && isAsciiBlank(text[end - 1]))
        --end;
    if (begin == end)
        return std::nullopt;
    std::size_t p = begin;
    if (text[p] == '+' || text[p] == '-')
        ++p;
    // std::from_chars takes a "-" but no "+".
    const std::size_t numberStart = text[begin] == '+' ? begin + 1 : begin;
    std::size_t digits = 0;
    while (p < end && isDigit(text[p]))
        ++p, ++digits;
    if (p < end && text[p] == '.') {
        ++p;
        while (p < end && isDigit(text[p]))
            ++p, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (p < end && (text[p] == 'e' || text[p] == 'E')) {
        ++p;
        if (p < end && (text[p] == '+' || text[p] == '-'))
            ++p;
        const std::size_t exponent = p;
        while (p < end && isDigit(text[p]))
            ++p;
        if (p == exponent)
            return std::nullopt;
    }
    if (p != end)
        return std::nullopt;
    double v = 0;
    const auto [ptr, ec] = std::from_chars(text.data() + numberStart, text.data() + end, v);
    if (ec == std::errc::result_out_of_range) {
        // Overflow is refused below; an underflow reads as Qt reads it.
        bool ok = false;
        v = QByteArray::fromRawData(text.data() + begin, static_cast<qsizetype>(end - begin)).toDouble(&ok);
        if (!ok)
            return std::nullopt;
    } else if (ec != std::errc() || ptr != text.data() + end) {
        return std::nullopt;
    }
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<double> parseStrictNumber(const QString& text)
{
    // Blanks, signs, digits, points and exponents are all ASCII: a text
    // with any other character is no number.
    constexpr qsizetype Local = 128;
    if (text.size() <= Local) {
        char chars[Local];
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if (c >= 0x80)
                return std::nullopt;
            chars[i] = static_cast<char>(c);
        }
        return parseStrictNumber(std::string_view(chars, static_cast<std::size_t>(text.size())));
    }
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return std::nullopt;
    const QByteArray latin1 = text.toLatin1();
    return parseStrictNumber(std::string_view(latin1.constData(), static_cast<std::size_t>(latin1.size())));
}

QString formatRoundTrip(double v)
{
    for (int precision = 15; precision <= 17; ++precision) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*g", precision, v);
        if (std::strtod(buf, nullptr) == v || precision == 17)
            return QString::fromLatin1(buf);
    }
    return QString();
}

// ---------------------------------------------------------------------------
// DataCell

struct DataCell::TextBlock {
    QString text;
    double number = 0;
    bool numeric = false;
};

struct DataCell::DecimalBlock {
    double value = 0;
    int decimals = 0;
};

namespace {

// Layout of a short plain decimal in the cell: bit 49 the sign, bits 44..48
// the count of decimals, bits 0..43 the digits as an integer.
constexpr int InlineSignShift = 49;
constexpr int InlineDecimalsShift = 44;
constexpr std::uint64_t InlineMantissaMask = (1ULL << 44) - 1;
// 13 digits stay below 2^44.
constexpr int InlineMaxDigits = 13;
constexpr int InlineMaxDecimals = 22;

// The fixed-point text of `v` with `decimals` decimals.
std::string_view fixedText(double v, int decimals, char (&buffer)[400])
{
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
    if (res.ec != std::errc())
        return {};
    return std::string_view(buffer, static_cast<std::size_t>(res.ptr - buffer));
}

} // namespace

DataCell::DataCell(const DataCell& other) : m_bits(other.m_bits)
{
    if (!other.holdsPointer())
        return;
    if (other.tag() == TagText)
        setPointer(TagText, new TextBlock(*other.textBlock()));
    else
        setPointer(TagDecimal, new DecimalBlock(*other.decimalBlock()));
}

DataCell& DataCell::operator=(const DataCell& other)
{
    if (this != &other) {
        DataCell copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void DataCell::releaseBlock() noexcept
{
    if (tag() == TagText)
        delete textBlock();
    else
        delete decimalBlock();
    m_bits = EmptyBits;
}

const DataCell::TextBlock* DataCell::textBlock() const
{
    return reinterpret_cast<const TextBlock*>(static_cast<std::uintptr_t>(m_bits & PointerMask));
}

const DataCell::DecimalBlock* DataCell::decimalBlock() const
{
    return reinterpret_cast<const DecimalBlock*>(static_cast<std::uintptr_t>(m_bits & PointerMask));
}

void DataCell::setPointer(Tag t, const void* block)
{
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    // User-space addresses of the platforms this program runs on have 48 bits.
    if (address > PointerMask)
        qFatal("DataCell: a heap address beyond 48 bits");
    m_bits = BoxBits | (std::uint64_t(t) << TagShift) | address;
}

DataCell DataCell::fromNumber(double v)
{
    DataCell c;
    // Every NaN is kept as the positive quiet NaN, outside the text forms.
    c.m_bits = std::isnan(v) ? std::bit_cast<std::uint64_t>(std::numeric_limits<double>::quiet_NaN())
                             : std::bit_cast<std::uint64_t>(v);
    return c;
}

DataCell DataCell::fromLatin1Text(std::string_view text)
{
    DataCell c;
    if (text.empty()) {
        c.m_bits = EmptyTextBits;
        return c;
    }
    for (const char ch : text) {
        if (static_cast<unsigned char>(ch) >= 0x80) {
            c.setPointer(TagText, new TextBlock{QString::fromLatin1(text.data(), qsizetype(text.size())), 0, false});
            return c;
        }
    }
    if (const std::optional<PlainDecimal> d = plainDecimal(text)) {
        if (d->significant <= InlineMaxDigits && d->decimals <= InlineMaxDecimals) {
            c.m_bits = BoxBits | InlineBit | (std::uint64_t(d->negative) << InlineSignShift)
                       | (std::uint64_t(d->decimals) << InlineDecimalsShift) | d->mantissa;
            return c;
        }
        // A longer decimal: kept as its value when the value's fixed-point
        // form gives the text back.
        if (const std::optional<double> v = parseStrictNumber(text)) {
            char buffer[400];
            if (fixedText(*v, d->decimals, buffer) == text) {
                c.setPointer(TagDecimal, new DecimalBlock{*v, d->decimals});
                return c;
            }
        }
    }
    const std::optional<double> v = parseStrictNumber(text);
    c.setPointer(TagText, new TextBlock{QString::fromLatin1(text.data(), qsizetype(text.size())), v.value_or(0.0),
                                        v.has_value()});
    return c;
}

DataCell DataCell::fromText(const QString& text)
{
    constexpr qsizetype Local = 64;
    if (text.size() <= Local) {
        char chars[Local];
        bool ascii = true;
        for (qsizetype i = 0; i < text.size() && ascii; ++i) {
            const char16_t ch = text[i].unicode();
            ascii = ch < 0x80;
            chars[i] = static_cast<char>(ch);
        }
        if (ascii)
            return fromLatin1Text(std::string_view(chars, static_cast<std::size_t>(text.size())));
    }
    DataCell c;
    const std::optional<double> v = parseStrictNumber(text);
    c.setPointer(TagText, new TextBlock{text, v.value_or(0.0), v.has_value()});
    return c;
}

QString DataCell::text() const
{
    if (isInline()) {
        const bool negative = (m_bits >> InlineSignShift) & 1;
        const int decimals = static_cast<int>((m_bits >> InlineDecimalsShift) & 31);
        char digits[24];
        const auto res = std::to_chars(digits, digits + sizeof digits, m_bits & InlineMantissaMask);
        const int count = static_cast<int>(res.ptr - digits);
        // The digits padded with zeros to one more than the decimals: the
        // integer part is at least "0".
        const int width = std::max(count, decimals + 1);
        char out[40];
        int n = 0;
        if (negative)
            out[n++] = '-';
        for (int k = 0; k < width; ++k) {
            if (k == width - decimals)
                out[n++] = '.';
            const int from = k - (width - count);
            out[n++] = from < 0 ? '0' : digits[from];
        }
        return QString::fromLatin1(out, n);
    }
    if (!holdsPointer())
        return QString();
    if (tag() == TagText)
        return textBlock()->text;
    char buffer[400];
    const std::string_view t = fixedText(decimalBlock()->value, decimalBlock()->decimals, buffer);
    return QString::fromLatin1(t.data(), qsizetype(t.size()));
}

double DataCell::number() const
{
    return isNumber() ? std::bit_cast<double>(m_bits) : 0.0;
}

std::optional<double> DataCell::toNumber() const
{
    if (isNumber())
        return std::bit_cast<double>(m_bits);
    if (isInline())
        return shortDecimalValue((m_bits >> InlineSignShift) & 1, m_bits & InlineMantissaMask,
                                 static_cast<int>((m_bits >> InlineDecimalsShift) & 31));
    if (!holdsPointer())
        return std::nullopt;
    if (tag() == TagDecimal)
        return decimalBlock()->value;
    const TextBlock* t = textBlock();
    if (t->numeric)
        return t->number;
    return std::nullopt;
}

QString DataCell::toDisplayString() const
{
    if (isNumber())
        return formatRoundTrip(number());
    return text();
}

QChar DataCell::firstCharacter() const
{
    if (isInline()) {
        if ((m_bits >> InlineSignShift) & 1)
            return QLatin1Char('-');
        const int decimals = static_cast<int>((m_bits >> InlineDecimalsShift) & 31);
        const std::uint64_t mantissa = m_bits & InlineMantissaMask;
        // Below 1 the text begins "0.".
        if (mantissa < static_cast<std::uint64_t>(kPow10[static_cast<std::size_t>(decimals)]))
            return QLatin1Char('0');
        std::uint64_t lead = mantissa;
        while (lead >= 10)
            lead /= 10;
        return QLatin1Char(static_cast<char>('0' + lead));
    }
    if (holdsPointer() && tag() == TagText) {
        const QString& t = textBlock()->text;
        return t.isEmpty() ? QChar() : t.front();
    }
    const QString t = toDisplayString();
    return t.isEmpty() ? QChar() : t.front();
}

bool DataCell::operator==(const DataCell& o) const
{
    if (isNumber() || o.isNumber())
        return isNumber() && o.isNumber() && number() == o.number();
    if (m_bits == o.m_bits)
        return true;
    // The same text always takes the same form, so cells of different
    // forms differ.
    if (!holdsPointer() || !o.holdsPointer() || tag() != o.tag())
        return false;
    if (tag() == TagText)
        return textBlock()->text == o.textBlock()->text;
    return decimalBlock()->decimals == o.decimalBlock()->decimals
           && std::bit_cast<std::uint64_t>(decimalBlock()->value)
                  == std::bit_cast<std::uint64_t>(o.decimalBlock()->value);
}

// ---------------------------------------------------------------------------
// DataMatrix

DataMatrix::DataMatrix(int upperRow)
{
    resize(upperRow);
}

void DataMatrix::resize(int upperRow)
{
    if (upperRow < 0)
        upperRow = 0;
    if (static_cast<std::size_t>(upperRow) < m_rows.size()) {
        m_rows.resize(static_cast<std::size_t>(upperRow));
        if (m_rows.size() < m_rows.capacity() / 2)
            m_rows.shrink_to_fit();
    }
    m_upperRow = upperRow;
}

void DataMatrix::clear()
{
    std::vector<Row>().swap(m_rows);
}

void DataMatrix::emptyRows(int first, int last)
{
    first = std::max(first, 1);
    last = std::min(last, static_cast<int>(m_rows.size()));
    for (int r = first; r <= last; ++r)
        m_rows[static_cast<std::size_t>(r - 1)] = Row();
}

void DataMatrix::takeRows(std::vector<Row>&& rows)
{
    if (m_rows.size() > rows.size())
        rows.insert(rows.end(), std::make_move_iterator(m_rows.begin() + static_cast<std::ptrdiff_t>(rows.size())),
                    std::make_move_iterator(m_rows.end()));
    m_rows = std::move(rows);
    m_upperRow = std::max(m_upperRow, static_cast<int>(m_rows.size()));
}

const DataCell DataMatrix::EmptyCell;

void DataMatrix::outOfRange()
{
    throw std::out_of_range("DataMatrix: subscript out of range");
}

DataCell& DataMatrix::cell(int column, int row)
{
    if (column <= 0 || column >= Columns || row <= 0 || row > m_upperRow)
        outOfRange();
    if (static_cast<std::size_t>(row) > m_rows.size())
        m_rows.resize(static_cast<std::size_t>(m_upperRow));
    return m_rows[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)];
}

bool DataMatrix::operator==(const DataMatrix& o) const
{
    if (m_upperRow != o.m_upperRow)
        return false;
    static const Row empty;
    const std::size_t rows = std::max(m_rows.size(), o.m_rows.size());
    for (std::size_t r = 0; r < rows; ++r) {
        const Row& a = r < m_rows.size() ? m_rows[r] : empty;
        const Row& b = r < o.m_rows.size() ? o.m_rows[r] : empty;
        if (!(a == b))
            return false;
    }
    return true;
}
