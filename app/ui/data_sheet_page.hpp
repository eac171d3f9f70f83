#pragma once
// The "Dataset" page of the main window: the data sheet FG2 with its cell
// editor, the row count, paste, copy, swap and the removal of incomplete
// rows, the rank-inversion switches, and the buttons that plot or generate
// the dataset. The page keeps the dataset (DataMatrix); the grid shows its
// cells formatted, each when it comes into view: whoever changes the matrix
// announces the change through MatrixTOGrid (one cell) or showSheet (all).

#include <QFrame>
#include <QLineEdit>

#include <cstdint>
#include <functional>
#include <unordered_set>

#include "core/data_matrix.hpp"
#include "core/evaluation/evaluation_settings.hpp"
#include "ui/main_window_controls.hpp"

class FlexGrid;
class QMimeData;
class QPushButton;

// The in-cell editor TxtEdit: hands Enter, Escape, Up, Down and Tab (code 9,
// with Shift for Shift+Tab) to the page before they reach the line edit,
// and tells the page when it loses the focus (but not to its own context
// menu).
class CellEditor : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
    std::function<bool(int keyCode, Qt::KeyboardModifiers shift)> onKeyDown;
    std::function<void()> onFocusLost;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

class DataSheetPage : public QFrame {
    Q_OBJECT
public:
    DataSheetPage(MainControls& controls, QWidget* parent);
    ~DataSheetPage() override;

    DataMatrix& matrix() { return m_matrix; }
    FlexGrid* grid() const { return FG2; }
    // The sheet's switches that a run reads (Swap, the rank inversions).
    SheetSwitches switches() const;

    // The buttons the window gives their commands: Scatter, Rank, Histo,
    // Random.
    QPushButton* scatterButton() const { return m_scatter; }
    QPushButton* rankButton() const { return m_rank; }
    QPushButton* histogramButton() const { return m_histogram; }
    QPushButton* randomButton() const { return m_random; }
    // "Open" for a file dropped on the sheet (in batch mode, the file in
    // OpenRequestFile); the window sets it.
    std::function<void()> openDataset;

    void MatrixTOGrid(int r, int c);
    void AssignRowNumbers();
    // Shows every data cell again (after a format change, a load).
    void showSheet();
    // The grid's text of data cell (r, c): the matrix cell under the
    // column's format.
    QString shownText(int r, int c) const;
    // The rank columns of rows 1..lastRow show their cells' plain text (as
    // the rank section writes them) until those cells are shown again.
    void showRanksAsWritten(int lastRow);
    // The cells were replaced by a load: every cell shown anew, in one reset.
    void resetSheet();
    void RemoveEmptyRows();
    void Command9_Click();                   // apply the row count
    void Command30_Click();                  // remove invalid rows
    void Command3_Click();                   // paste
    void Command2_Click();                   // copy
    void Check7_Click();                     // swap
    void Fg2_KeyPress(int charCode);         // a character key on the sheet
    void Fg2_DblClick();
    void Fg2_GotFocus();
    void Fg2_LeaveCell();
    // Stores the text of an open cell editor in its cell and closes the
    // editor; nothing when no editor is open. Every command that reads,
    // replaces or leaves the sheet calls it first, so that what the sheet
    // shows is what the command sees.
    void commitEdit();
    void MSHFlexGridEdit(int charCode);
    bool EditKeyCode(int keyCode, Qt::KeyboardModifiers shift);
    bool FG2_OLEDragOver(const QMimeData* data) const;
    void FG2_OLEDragDrop(const QStringList& paths);

private:
    MainControls& m_controls;
    DataMatrix m_matrix;
    FlexGrid* FG2 = nullptr;
    // Rank cells of rows 1..m_ranksAsWrittenUpTo show their plain text,
    // apart from those shown again since (by rankKey).
    int m_ranksAsWrittenUpTo = 0;
    std::unordered_set<std::uint64_t> m_ranksShownAgain;
    static std::uint64_t rankKey(int r, int c) { return (static_cast<std::uint64_t>(r) << 3) | static_cast<unsigned>(c); }
    // Cells shown again from the matrix under their format.
    void cellsShownAgain(int firstRow, int firstCol, int lastRow, int lastCol);
    CellEditor* TxtEdit = nullptr;
    DataCell m_editOriginal;                 // the cell as it was when the editor opened
    int m_editRow = 0;
    int m_editCol = 0;
    QCheckBox* m_invertX = nullptr;
    QCheckBox* m_invertY = nullptr;
    QPushButton* m_scatter = nullptr;
    QPushButton* m_rank = nullptr;
    QPushButton* m_histogram = nullptr;
    QPushButton* m_random = nullptr;
};
