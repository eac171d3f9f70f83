#include "ui/data_sheet_page.hpp"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "core/data_sheet.hpp"
#include "core/program_state.hpp"
#include "platform/platform_services.hpp"
#include "ui/flex_grid.hpp"
#include "ui/picture_button.hpp"

namespace {

const char* const RowCountMessage = "At least 3 rows (points) are required. Number of rows have to be at least 3";
const char* const RowLimitMessage = "The dataset cannot have more than 1,000,000 rows.";

QString rowLabel(int row)
{
    return QLatin1Char(' ') + QString::number(row);
}

} // namespace

bool CellEditor::event(QEvent* event)
{
    // Tab and Shift+Tab would otherwise move the focus on before a key
    // handler sees them.
    if (event->type() == QEvent::KeyPress && onKeyDown) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
            if (onKeyDown(9, back ? Qt::ShiftModifier : Qt::NoModifier))
                return true;
        }
    }
    return QLineEdit::event(event);
}

void CellEditor::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && onFocusLost)
        onFocusLost();
}

void CellEditor::keyPressEvent(QKeyEvent* event)
{
    int code = 0;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: code = 13; break;
    case Qt::Key_Escape: code = 27; break;
    case Qt::Key_Up: code = 38; break;
    case Qt::Key_Down: code = 40; break;
    default: break;
    }
    if (code != 0 && onKeyDown && onKeyDown(code, event->modifiers()))
        return;
    QLineEdit::keyPressEvent(event);
}

DataSheetPage::DataSheetPage(MainControls& controls, QWidget* parent)
    : QFrame(parent)
    , m_controls(controls)
    , m_matrix(20)
{
    setObjectName(QStringLiteral("Frame9_0"));
    auto* layout = new QHBoxLayout(this);
    FG2 = new FlexGrid(this);
    FG2->setObjectName(QStringLiteral("FG2"));
    // The grid shows the matrix: a cell is formatted when it comes into view.
    FG2->setCellSource([this](int r, int c) { return c == 0 ? rowLabel(r) : shownText(r, c); });
    FG2->setCols(8);
    FG2->setRows(20);
    layout->addWidget(FG2, 1);

    TxtEdit = new CellEditor(this);
    TxtEdit->setObjectName(QStringLiteral("TxtEdit"));
    TxtEdit->hide();
    TxtEdit->onKeyDown = [this](int code, Qt::KeyboardModifiers shift) { return EditKeyCode(code, shift); };
    TxtEdit->onFocusLost = [this] { commitEdit(); };

    connect(FG2, &FlexGrid::charPressed, this, &DataSheetPage::Fg2_KeyPress);
    connect(FG2, &FlexGrid::doubleClicked, this, &DataSheetPage::Fg2_DblClick);
    connect(FG2, &FlexGrid::gotFocus, this, &DataSheetPage::Fg2_GotFocus);
    connect(FG2, &FlexGrid::leaveCell, this, &DataSheetPage::Fg2_LeaveCell);
    connect(FG2, &FlexGrid::filesDropped, this, &DataSheetPage::FG2_OLEDragDrop);
    // An open editor follows its cell when the sheet scrolls.
    const auto followCell = [this] {
        if (!TxtEdit->isHidden()) {
            const QRect cell = FG2->cellRectInParent(m_editRow, m_editCol);
            TxtEdit->setGeometry(cell.x(), cell.y(), std::max(cell.width() - 1, 8), std::max(cell.height() - 1, 8));
        }
    };
    connect(FG2->verticalScrollBar(), &QScrollBar::valueChanged, this, followCell);
    connect(FG2->horizontalScrollBar(), &QScrollBar::valueChanged, this, followCell);

    auto* side = new QVBoxLayout();
    QPushButton* copy = makeButton(this, QStringLiteral("Command2"), QStringLiteral("Copy"), QStringLiteral("Copy to clipboard"));
    QPushButton* paste = makeButton(this, QStringLiteral("Command3"), QStringLiteral("Paste"), QStringLiteral("Paste from clipboard"));
    m_scatter = makeButton(this, QStringLiteral("Command11"), QStringLiteral("Scatter"), QStringLiteral("Plot Y on X"));
    m_rank = makeButton(this, QStringLiteral("Command14"), QStringLiteral("Rank"), QStringLiteral("Plot ranks"));
    m_histogram = makeButton(this, QStringLiteral("Command13"), QStringLiteral("Histo"), QStringLiteral("Plot histogram"));
    m_random = makeButton(this, QStringLiteral("Command12"), QStringLiteral("Random"), QStringLiteral("Generate random numbers"));
    for (QPushButton* button : {copy, paste, m_scatter, m_rank, m_histogram, m_random})
        side->addWidget(button);
    connect(copy, &QPushButton::clicked, this, &DataSheetPage::Command2_Click);
    connect(paste, &QPushButton::clicked, this, &DataSheetPage::Command3_Click);

    auto* swap = new QCheckBox(QStringLiteral("Swap"), this);
    swap->setObjectName(checkBoxName(CheckBox::Swap));
    swap->setToolTip(QStringLiteral("Swap X to Y"));
    m_controls.checks[static_cast<int>(CheckBox::Swap)] = swap;
    connect(swap, &QCheckBox::toggled, this, &DataSheetPage::Check7_Click);
    side->addWidget(swap);
    m_invertX = new QCheckBox(QStringLiteral("Invert X ranks"), this);
    m_invertX->setObjectName(QStringLiteral("InvertXRanks"));
    m_invertY = new QCheckBox(QStringLiteral("Invert Y ranks"), this);
    m_invertY->setObjectName(QStringLiteral("InvertYRanks"));
    side->addWidget(m_invertX);
    side->addWidget(m_invertY);

    auto* points = new QGroupBox(QStringLiteral("Dataset points"), this);
    auto* pointsLayout = new QGridLayout(points);
    auto* rows = new QLineEdit(QStringLiteral("19"), points);
    rows->setObjectName(textBoxName(TextBox::RowCount));
    rows->setToolTip(QStringLiteral("Number of rows"));
    m_controls.texts[static_cast<std::size_t>(TextBox::RowCount)] = rows;
    pointsLayout->addWidget(rows, 0, 0, 1, 2);
    QPushButton* apply = pictureButton(points, "Command9", "dialog-ok-apply,emblem-default",
                                       QStyle::SP_DialogApplyButton, QString(), QStringLiteral("Apply number of rows"));
    QPushButton* remove = pictureButton(points, "Command30", "list-remove", QStyle::SP_DialogDiscardButton, QString(),
                                        QStringLiteral("Remove invalid rows"));
    pointsLayout->addWidget(apply, 1, 0);
    pointsLayout->addWidget(remove, 1, 1);
    connect(apply, &QPushButton::clicked, this, &DataSheetPage::Command9_Click);
    connect(remove, &QPushButton::clicked, this, &DataSheetPage::Command30_Click);
    side->addWidget(points);
    side->addStretch();
    layout->addLayout(side);

    // The sheet as it opens: headers, numbered rows.
    for (int c = 0; c < DataMatrix::Columns; ++c)
        FG2->setTextMatrix(0, c, DataSheet::columnHeader(c));
    AssignRowNumbers();
    TxtEdit->clear();
}

DataSheetPage::~DataSheetPage()
{
    // The editor outlives the page's own members by a moment.
    TxtEdit->onFocusLost = nullptr;
    TxtEdit->onKeyDown = nullptr;
}

SheetSwitches DataSheetPage::switches() const
{
    return {m_controls.check(CheckBox::Swap)->isChecked(), m_invertX->isChecked(), m_invertY->isChecked()};
}

QString DataSheetPage::shownText(int r, int c) const
{
    if (r > m_matrix.upperRow() || c >= DataMatrix::Columns)
        return QString();
    const DataCell& cell = m_matrix.cell(c, r);
    if ((c == DataMatrix::ColRankX || c == DataMatrix::ColRankY) && r <= m_ranksAsWrittenUpTo
        && !m_ranksShownAgain.contains(rankKey(r, c)))
        return cell.toDisplayString();
    const ProgramState& state = programState();
    return DataSheet::formatCell(cell, c, state.GridFormatXY, state.GridFormatSD);
}

void DataSheetPage::showRanksAsWritten(int lastRow)
{
    m_ranksShownAgain.clear();
    m_ranksAsWrittenUpTo = std::min(lastRow, FG2->rows() - 1);
    FG2->cellsChanged(1, DataMatrix::ColRankX, m_ranksAsWrittenUpTo, DataMatrix::ColRankY);
}

void DataSheetPage::cellsShownAgain(int firstRow, int firstCol, int lastRow, int lastCol)
{
    if (m_ranksAsWrittenUpTo > 0 && firstCol <= DataMatrix::ColRankY && lastCol >= DataMatrix::ColRankX) {
        if (firstRow <= 1 && lastRow >= m_ranksAsWrittenUpTo && firstCol <= DataMatrix::ColRankX
            && lastCol >= DataMatrix::ColRankY) {
            m_ranksAsWrittenUpTo = 0;
            m_ranksShownAgain.clear();
        } else {
            for (int r = std::max(firstRow, 1); r <= std::min(lastRow, m_ranksAsWrittenUpTo); ++r)
                for (int c = std::max<int>(firstCol, DataMatrix::ColRankX); c <= std::min<int>(lastCol, DataMatrix::ColRankY); ++c)
                    m_ranksShownAgain.insert(rankKey(r, c));
        }
    }
    FG2->cellsChanged(firstRow, firstCol, lastRow, lastCol);
}

void DataSheetPage::MatrixTOGrid(int r, int c)
{
    cellsShownAgain(r, c, r, c);
}

void DataSheetPage::showSheet()
{
    cellsShownAgain(1, 1, FG2->rows() - 1, FG2->cols() - 1);
}

void DataSheetPage::resetSheet()
{
    // An editor still open belonged to the cells a load replaced.
    TxtEdit->hide();
    m_ranksAsWrittenUpTo = 0;
    m_ranksShownAgain.clear();
    FG2->resetCells();
}

void DataSheetPage::AssignRowNumbers()
{
    FG2->setRowLabels(1, FG2->rows() - 1, rowLabel);
    FG2->setCurrentCell(1, 1);
}

void DataSheetPage::Command9_Click()
{
    commitEdit();
    const double n = DataSheet::leadingNumber(m_controls.text(TextBox::RowCount)->text());
    if (n < 3) {
        Platform::message(QLatin1String(RowCountMessage));
        return;
    }
    if (n + 1 > DataSheet::MaxDataRows + 1.5) {
        Platform::message(QLatin1String(RowLimitMessage), MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    const int rows = static_cast<int>(DataSheet::roundHalfEven(n + 1));
    if (rows - 1 > DataSheet::MaxDataRows) {
        Platform::message(QLatin1String(RowLimitMessage), MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    const int oldRows = FG2->rows();
    FG2->setRows(rows);
    m_ranksAsWrittenUpTo = std::min(m_ranksAsWrittenUpTo, rows - 1);
    m_matrix.resize(rows);
    // Rows that leave the sheet leave the matrix too: the row that becomes
    // the spare row, and rows that come back later, start empty.
    m_matrix.emptyRows(std::min(oldRows, rows), rows);
    AssignRowNumbers();
}

void DataSheetPage::RemoveEmptyRows()
{
    const int firstIncomplete = DataSheet::compactRows(m_matrix, FG2->rows());
    if (firstIncomplete > 0) {
        m_controls.text(TextBox::RowCount)->setText(QString::number(firstIncomplete - 1));
        Command9_Click();
    }
    showSheet();
}

void DataSheetPage::Command30_Click()
{
    RemoveEmptyRows();
}

void DataSheetPage::Command3_Click()
{
    commitEdit();
    const QString text = Platform::clipboard().text();
    const bool singleColumn = m_controls.check(CheckBox::PasteSingleColumn)->isChecked();
    int startRow = 1;
    int startCol = 1;
    if (singleColumn) {
        startRow = FG2->rowSel();
        startCol = FG2->colSel();
    }
    const int oldRows = FG2->rows();
    const DataSheet::PasteOutcome out =
        DataSheet::paste(m_matrix, oldRows, text, singleColumn, m_controls.check(CheckBox::AutoIncreaseRows)->isChecked(),
                         startRow, startCol);
    if (out.ignored)
        return;
    if (out.gridRows != oldRows) {
        FG2->setRows(out.gridRows);
        FG2->setRowLabels(oldRows, out.gridRows - 1, rowLabel);
    }
    if (!out.changed.empty()) {
        // The stored cells in one announcement of the block they lie in.
        int firstRow = out.changed.front().first, lastRow = firstRow;
        int firstCol = out.changed.front().second, lastCol = firstCol;
        for (const auto& [r, c] : out.changed) {
            firstRow = std::min(firstRow, r);
            lastRow = std::max(lastRow, r);
            firstCol = std::min(firstCol, c);
            lastCol = std::max(lastCol, c);
        }
        if (firstCol <= DataMatrix::ColRankY && lastCol >= DataMatrix::ColRankX)
            for (const auto& [r, c] : out.changed)
                if ((c == DataMatrix::ColRankX || c == DataMatrix::ColRankY) && r <= m_ranksAsWrittenUpTo)
                    m_ranksShownAgain.insert(rankKey(r, c));
        FG2->cellsChanged(firstRow, firstCol, lastRow, lastCol);
    }
    if (!out.stoppedAtEnd)
        m_controls.text(TextBox::RowCount)->setText(rowLabel(FG2->rows() - 1));
    if (out.hitRowLimit)
        Platform::message(QLatin1String(RowLimitMessage), MsgButtons::Ok, MsgIcon::Exclamation);
}

void DataSheetPage::Command2_Click()
{
    commitEdit();
    const QString text = DataSheet::copyText(m_matrix, FG2->rows(), FG2->cols());
    Platform::clipboard().clear();
    Platform::clipboard().setText(text);
}

void DataSheetPage::Check7_Click()
{
    commitEdit();
    const bool swapped = m_controls.check(CheckBox::Swap)->isChecked();
    programState().SwapXY = swapped;
    FG2->setTextMatrix(0, DataMatrix::ColX, DataSheet::columnHeader(DataMatrix::ColX, swapped));
    FG2->setTextMatrix(0, DataMatrix::ColY, DataSheet::columnHeader(DataMatrix::ColY, swapped));
    DataSheet::swapXY(m_matrix, FG2->rows());
    cellsShownAgain(1, 1, FG2->rows() - 1, 6);
}

void DataSheetPage::Fg2_KeyPress(int charCode)
{
    // Copy and paste keys reach the sheet only while it has the focus.
    if (charCode == 22) {
        Command3_Click();
        return;
    }
    if (charCode == 3) {
        Command2_Click();
        return;
    }
    MSHFlexGridEdit(charCode);
}

void DataSheetPage::Fg2_DblClick()
{
    MSHFlexGridEdit(32);
}

void DataSheetPage::MSHFlexGridEdit(int charCode)
{
    const int r = FG2->row();
    const int c = FG2->col();
    m_editRow = r;
    m_editCol = c;
    m_editOriginal = m_matrix.cell(c, r);
    if (charCode > 32 || charCode < 0) {
        const QString typed = QString(QChar(charCode));
        TxtEdit->setText(typed);
        m_matrix.setText(c, r, typed);
    } else {
        TxtEdit->setText(m_matrix.cell(c, r).toDisplayString());
    }
    TxtEdit->setCursorPosition(static_cast<int>(TxtEdit->text().size()));
    const QRect cell = FG2->cellRectInParent(r, c);
    TxtEdit->setGeometry(cell.x(), cell.y(), std::max(cell.width() - 1, 8), std::max(cell.height() - 1, 8));
    TxtEdit->show();
    TxtEdit->raise();
    TxtEdit->setFocus();
}

bool DataSheetPage::EditKeyCode(int keyCode, Qt::KeyboardModifiers shift)
{
    switch (keyCode) {
    case 9: {
        // The text is stored and Tab goes on from the cell as it does on a
        // cell that is not being edited: to the next (previous) cell, or
        // out of the sheet after its last (before its first) cell.
        FG2->setFocus();
        commitEdit();
        const bool back = shift & Qt::ShiftModifier;
        QKeyEvent tab(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                      back ? Qt::ShiftModifier : Qt::NoModifier);
        QCoreApplication::sendEvent(FG2, &tab);
        return true;
    }
    case 13:
    case 40:
    case 38:
        FG2->setFocus();
        QCoreApplication::processEvents();
        // The editor's commit when it loses the focus; done here too for a
        // window that does not have the focus (the commit acts once).
        commitEdit();
        if (keyCode == 38) {
            if (FG2->row() > FG2->fixedRows())
                FG2->setRow(FG2->row() - 1);
        } else if (FG2->row() < FG2->rows() - 1) {
            FG2->setRow(FG2->row() + 1);
        }
        return true;
    case 27:
        // The cell goes back to what it held before the editor opened.
        TxtEdit->hide();
        m_matrix.cell(m_editCol, m_editRow) = m_editOriginal;
        MatrixTOGrid(m_editRow, m_editCol);
        FG2->setFocus();
        return true;
    default:
        return false;
    }
}

void DataSheetPage::commitEdit()
{
    if (TxtEdit->isHidden())
        return;
    const QString text = TxtEdit->text();
    // Hidden first: the focus it loses then finds nothing left to store.
    TxtEdit->hide();
    if (m_editRow >= FG2->rows() || m_editCol >= FG2->cols())
        return;
    m_matrix.setText(m_editCol, m_editRow, text);
    MatrixTOGrid(m_editRow, m_editCol);
}

void DataSheetPage::Fg2_GotFocus()
{
    commitEdit();
}

void DataSheetPage::Fg2_LeaveCell()
{
    commitEdit();
}

bool DataSheetPage::FG2_OLEDragOver(const QMimeData* data) const
{
    return FlexGrid::carriesFiles(data);
}

void DataSheetPage::FG2_OLEDragDrop(const QStringList& paths)
{
    ProgramState& state = programState();
    for (const QString& path : paths) {
        state.BatchMode = true;
        state.OpenRequestFile = path;
        if (openDataset)
            openDataset();
        state.BatchMode = false;
    }
}
