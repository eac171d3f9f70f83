#include "core/plot_matrix.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "SumtrixLib/Runtime.hpp"

namespace {
constexpr double Empty = std::numeric_limits<double>::quiet_NaN();
}

PlotMatrix::PlotMatrix(int rows, int columns)
{
    resize(rows, columns);
}

std::size_t PlotMatrix::index(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        SumtrixLib::raiseError(SumtrixLib::ErrSubscript, "PlotMatrix");
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_columns) + static_cast<std::size_t>(column);
}

std::optional<double> PlotMatrix::at(int row, int column) const
{
    const double v = m_cells[index(row, column)];
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

void PlotMatrix::set(int row, int column, double value)
{
    m_cells[index(row, column)] = value;
}

void PlotMatrix::clear(int row, int column)
{
    m_cells[index(row, column)] = Empty;
}

void PlotMatrix::resize(int rows, int columns)
{
    if (rows < 0 || columns < 0)
        SumtrixLib::raiseError(SumtrixLib::ErrSubscript, "PlotMatrix");
    // A chart sets its size several times over: the same size keeps the
    // cells as they are, without a copy of a million rows.
    if (rows == m_rows && columns == m_columns)
        return;
    std::vector<double> cells(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns), Empty);
    const auto keptColumns = static_cast<std::size_t>(std::min(columns, m_columns));
    for (int r = 0; r < std::min(rows, m_rows); ++r)
        std::copy_n(m_cells.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(r) * static_cast<std::size_t>(m_columns)),
                    keptColumns, cells.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(r) * static_cast<std::size_t>(columns)));
    m_rows = rows;
    m_columns = columns;
    m_cells = std::move(cells);
}

bool PlotMatrix::operator==(const PlotMatrix& other) const
{
    if (m_rows != other.m_rows || m_columns != other.m_columns)
        return false;
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_columns; ++c)
            if (at(r, c) != other.at(r, c))
                return false;
    return true;
}
