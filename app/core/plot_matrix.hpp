#pragma once
// PlotMatrix: the data grid of a chart, rows and columns counted from 0,
// each cell a number or empty. An empty cell is a missing point: nothing is
// drawn for it. A value that is not finite counts as empty too, so a NaN
// from a failed computation never reaches a chart as a point.

#include <optional>
#include <vector>

class PlotMatrix {
public:
    PlotMatrix() = default;
    // rows 0..rows-1 and columns 0..columns-1, every cell empty.
    PlotMatrix(int rows, int columns);

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    // The highest column index (the matrix's upper bound), -1 when it has none.
    int upperColumn() const { return m_columns - 1; }

    // The cell's number, nothing when it is empty. Throws a run-time error
    // (9, subscript out of range) outside the matrix.
    std::optional<double> at(int row, int column) const;
    void set(int row, int column, double value);
    void clear(int row, int column);

    // New size; the cells that remain keep their values, new ones are empty.
    void resize(int rows, int columns);

    bool operator==(const PlotMatrix& other) const;

private:
    std::size_t index(int row, int column) const;

    int m_rows = 0;
    int m_columns = 0;
    std::vector<double> m_cells;         // row-major; NaN marks an empty cell
};
