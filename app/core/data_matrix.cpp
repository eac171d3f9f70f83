#include "core/data_matrix.hpp"

#include <QRegularExpression>

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
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);   // QString::toDouble is locale-independent
    if (!ok || !std::isfinite(v))
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
