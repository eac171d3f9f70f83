#pragma once
// FlexGrid: the data sheet's grid over Qt's table view. It addresses
// cells as a flex grid does: row 0 is the fixed header row and
// column 0 the fixed row-label column (shown as the view's headers), data
// cells run from (1, 1); Rows and Cols count the fixed row and column.
//
// Keyboard: the arrow keys move inside the grid, and so do Tab and
// Shift+Tab, except that Tab on the last cell and Shift+Tab on the first
// leave it for the next and the previous control; Ctrl+Tab and
// Ctrl+Shift+Tab always leave it.
//
// The data cells (and the row labels of column 0) are either texts the grid
// keeps, set cell by cell with setTextMatrix, or come from a cell source:
// then the grid keeps no texts, asks the source for the cells it shows, and
// the owner announces changes (cellsChanged, resetCells), so a sheet of a
// million rows costs nothing until it is looked at. A text set on a cell
// with setTextMatrix is shown there, in place of the source's, until the
// owner announces that cell again.
//
// Notifications: charPressed (a character key on the grid, with its
// character code), doubleClicked, leaveCell (raised before the current cell
// changes, while row()/col() still name the old cell), gotFocus and
// filesDropped (paths of files dragged from the desktop).

#include <QAbstractTableModel>
#include <QTableView>

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

class QMimeData;

class FlexGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The text of data cell (row, col), row >= 1; col 0 is the row label.
    using CellSource = std::function<QString(int row, int col)>;

    explicit FlexGridModel(QObject* parent = nullptr);

    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    void setRows(int rows);
    void setCols(int cols);
    QString textMatrix(int row, int col) const;
    // With a cell source, the text set on a data cell or a row label is
    // shown until cellsChanged or resetCells takes that cell back to the
    // source.
    void setTextMatrix(int row, int col, const QString& text);
    // Column 0 of rows first..last at once, with one change notification.
    void setRowLabels(int first, int last, const std::function<QString(int row)>& label);

    // Takes the data cells and row labels from `source` from now on (an
    // empty source goes back to kept texts, all empty).
    void setCellSource(CellSource source);
    bool hasCellSource() const { return static_cast<bool>(m_source); }
    // The source's cells of rows first..last, columns firstCol..lastCol
    // changed (column 0: the row labels); one notification.
    void cellsChanged(int firstRow, int firstCol, int lastRow, int lastCol);
    // Everything the source gives may have changed: one reset.
    void resetCells();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    int m_rows = 1;
    int m_cols = 1;
    CellSource m_source;
    // With a source: the texts set on cells, by (row << 32 | col).
    std::unordered_map<std::uint64_t, QString> m_setTexts;
    static std::uint64_t cellKey(int row, int col)
    {
        return (static_cast<std::uint64_t>(row) << 32) | static_cast<std::uint32_t>(col);
    }
    void announce(int firstRow, int firstCol, int lastRow, int lastCol);
    void dropSetTexts(int firstRow, int firstCol, int lastRow, int lastCol);
    std::vector<QString> m_cells;        // without a source: (rows-1) x (cols-1), row-major
    std::vector<QString> m_rowLabels;    // without a source: column 0 of rows 0..rows-1
    std::vector<QString> m_headers;      // row 0 of columns 0..cols-1
};

class FlexGrid : public QTableView {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget* parent = nullptr);

    int rows() const { return m_model->rows(); }
    int cols() const { return m_model->cols(); }
    void setRows(int rows);
    void setCols(int cols) { m_model->setCols(cols); }
    int fixedRows() const { return 1; }
    int fixedCols() const { return 1; }
    QString textMatrix(int row, int col) const { return m_model->textMatrix(row, col); }
    void setTextMatrix(int row, int col, const QString& text) { m_model->setTextMatrix(row, col, text); }
    void setRowLabels(int first, int last, const std::function<QString(int row)>& label)
    {
        m_model->setRowLabels(first, last, label);
    }
    void setCellSource(FlexGridModel::CellSource source) { m_model->setCellSource(std::move(source)); }
    void cellsChanged(int firstRow, int firstCol, int lastRow, int lastCol)
    {
        m_model->cellsChanged(firstRow, firstCol, lastRow, lastCol);
    }
    // One reset of the shown cells; the current cell stays where it was.
    void resetCells();
    // A new dataset: the next fit gives every column the width that the
    // rows in view need (the default width at the least), narrower as well
    // as wider than before; later fits only widen again.
    void fitColumnsAfresh();

    // The current cell (data cells start at 1) and the selection's end cell.
    int row() const { return m_row; }
    int col() const { return m_col; }
    void setCurrentCell(int row, int col);
    void setRow(int row) { setCurrentCell(row, m_col); }
    void setCol(int col) { setCurrentCell(m_row, col); }
    int rowSel() const;
    int colSel() const;
    // The cell's rectangle in the coordinates of the grid's parent widget.
    QRect cellRectInParent(int row, int col) const;

    // True when the drag carries files.
    static bool carriesFiles(const QMimeData* data);

signals:
    void charPressed(int charCode);
    void doubleClicked();
    void leaveCell();
    void gotFocus();
    void filesDropped(const QStringList& paths);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Columns grow to the widest text of the rows in view (a few hundred at
    // the most are measured), so that no number is cut short; while a
    // dataset is edited they never shrink (a column keeps its width while
    // a user types), only a new dataset fits them afresh. Changes and
    // scrolling ask for one fit, made when the events of the moment are
    // done.
    void fitColumnsToCells();
    void scheduleColumnFit();

    FlexGridModel* m_model;
    int m_row = 1;
    int m_col = 1;
    bool m_fitScheduled = false;
    bool m_fitAfresh = false;
};
