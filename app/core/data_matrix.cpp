#include "core/data_matrix.hpp"

#include <QVarLengthArray>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>

const QString& DataCell::text() const
{
    static const QString empty;
    return isText() ? std::get<QString>(m_value) : empty;
}

double DataCell::number() const
{
    return isNumber() ? std::get<double>(m_value) : 0.0;
}

std::optional<double> DataCell::toNumber() const
{
    if (isNumber())
        return std::get<double>(m_value);
    if (isText())
        return parseStrictNumber(std::get<QString>(m_value));
    return std::nullopt;
}

QString DataCell::toDisplayString() const
{
    if (isNumber())
        return formatRoundTrip(std::get<double>(m_value));
    return text();
}

DataMatrix::DataMatrix(int upperRow)
{
    resize(upperRow);
}

void DataMatrix::resize(int upperRow)
{
    if (upperRow < 0)
        upperRow = 0;
    m_cells.resize(static_cast<std::size_t>(upperRow + 1) * Columns);
    m_upperRow = upperRow;
}

void DataMatrix::clear()
{
    for (DataCell& c : m_cells)
        c = DataCell();
}

const DataCell& DataMatrix::cell(int column, int row) const
{
    if (column < 0 || column >= Columns || row < 0 || row > m_upperRow)
        throw std::out_of_range("DataMatrix: subscript out of range");
    return m_cells[static_cast<std::size_t>(row) * Columns + static_cast<std::size_t>(column)];
}

DataCell& DataMatrix::cell(int column, int row)
{
    return const_cast<DataCell&>(static_cast<const DataMatrix*>(this)->cell(column, row));
}

std::optional<double> parseStrictNumber(const QString& text)
{
    // The accepted form: ASCII blanks, an optional sign, digits with an optional
    // point (or a point and digits), an optional exponent with digits,
    // blanks. Checked by hand and converted by std::from_chars: both read
    // the same decimal exactly rounded, and a dataset of a million cells is
    // read in a blink.
    const auto blank = [&text](qsizetype i) {
        const char16_t c = text[i].unicode();
        return c == u' ' || (c >= u'\t' && c <= u'\r');
    };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(begin))
        ++begin;
    while (end > begin && blank(end - 1))
        --end;
    const auto digit = [&text](qsizetype i) { return text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); };
    qsizetype p = begin;
    if (p < end && (text[p] == QLatin1Char('+') || text[p] == QLatin1Char('-')))
        ++p;
    const qsizetype mantissa = p;
    qsizetype digits = 0;
    while (p < end && digit(p))
        ++p, ++digits;
    if (p < end && text[p] == QLatin1Char('.')) {
        ++p;
        while (p < end && digit(p))
            ++p, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (p < end && (text[p] == QLatin1Char('e') || text[p] == QLatin1Char('E'))) {
        ++p;
        if (p < end && (text[p] == QLatin1Char('+') || text[p] == QLatin1Char('-')))
            ++p;
        const qsizetype exponent = p;
        while (p < end && digit(p))
            ++p;
        if (p == exponent)
            return std::nullopt;
    }
    if (p != end)
        return std::nullopt;

    // from_chars takes no "+" sign; the text is plain ASCII by now.
    QVarLengthArray<char, 64> chars;
    if (text[begin] == QLatin1Char('-'))
        chars.append('-');
    for (qsizetype i = mantissa; i < end; ++i)
        chars.append(static_cast<char>(text[i].unicode()));
    double v = 0;
    const auto [ptr, ec] = std::from_chars(chars.data(), chars.data() + chars.size(), v);
    if (ec == std::errc::result_out_of_range) {
        // Overflow is refused below; an underflow reads as Qt reads it.
        bool ok = false;
        v = QStringView(text).mid(begin, end - begin).toDouble(&ok);
        if (!ok)
            return std::nullopt;
    } else if (ec != std::errc() || ptr != chars.data() + chars.size()) {
        return std::nullopt;
    }
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
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
