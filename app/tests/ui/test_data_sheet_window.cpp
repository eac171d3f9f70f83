// The data sheet in the main window: row count, paste, copy, swap, removal
// of incomplete rows, the cell editor, the copy/paste keys and dropped files.
#include "window_fixture.hpp"

#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QTextEdit>
#include <QUrl>

#include <functional>

#include "core/random_source.hpp"
#include "ui/dataset_commands.hpp"
#include "ui/frm_rnd.hpp"

using DataSheetWindow = WindowTest;

TEST_F(DataSheetWindow, OpensWithHeadersNumberedRowsAndDefaults)
{
    EXPECT_EQ(grid()->rows(), 20);
    EXPECT_EQ(grid()->cols(), 8);
    EXPECT_EQ(matrix().upperRow(), 20);
    const char* const headers[8] = {"#", "X (Pred)", "SD X", "Y (Obs)", "SD Y", "Rank X", "Rank Y", "Exclude"};
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(grid()->textMatrix(0, c), QLatin1String(headers[c]));
    EXPECT_EQ(grid()->textMatrix(1, 0), QStringLiteral(" 1"));
    EXPECT_EQ(grid()->textMatrix(19, 0), QStringLiteral(" 19"));
    EXPECT_EQ(box(0)->text(), QStringLiteral("19"));
    EXPECT_EQ(box(13)->text(), QStringLiteral("##.#000"));
    EXPECT_EQ(box(12)->text(), QStringLiteral("#.#0000"));
    EXPECT_EQ(grid()->row(), 1);
    EXPECT_EQ(grid()->col(), 1);
}

TEST_F(DataSheetWindow, RowCountCases)
{
    struct Case { const char* typed; int gridRows; bool message; };
    const Case cases[] = {
        {"3", 4, false}, {"3.5", 4, false}, {"4.5", 6, false}, {" 25", 26, false},
        {"2", 20, true}, {"1", 20, true}, {"", 20, true}, {"abc", 20, true},
        {"1000000", 1000001, false}, {"1000001", 20, true},
    };
    for (const Case& c : cases) {
        window = std::make_unique<frmMain>();
        platform->messages.asked.clear();
        box(0)->setText(QLatin1String(c.typed));
        window->Command9_Click();
        EXPECT_EQ(grid()->rows(), c.gridRows) << c.typed;
        EXPECT_EQ(matrix().upperRow(), c.gridRows) << c.typed;
        ASSERT_EQ(platform->messages.asked.size(), c.message ? 1u : 0u) << c.typed;
        if (c.message && QLatin1String(c.typed) != QLatin1String("1000001")) {
            EXPECT_EQ(platform->messages.asked[0].text,
                      QStringLiteral("At least 3 rows (points) are required. Number of rows have to be at least 3"));
        }
        EXPECT_EQ(grid()->textMatrix(c.gridRows - 1, 0), QLatin1Char(' ') + QString::number(c.gridRows - 1));
    }
}

TEST_F(DataSheetWindow, ShrinkingDropsRowsFromGridAndMatrixAlike)
{
    for (int r = 1; r <= 19; ++r) {
        matrix().setNumber(1, r, r);
        window->MatrixTOGrid(r, 1);
    }
    box(0)->setText(QStringLiteral("5"));
    window->Command9_Click();
    EXPECT_EQ(grid()->rows(), 6);
    EXPECT_EQ(grid()->textMatrix(5, 1), QStringLiteral("5.0000"));
    // Growing again brings empty rows numbered on, in the grid and in the
    // matrix (row 6 had 6 in it before).
    box(0)->setText(QStringLiteral("8"));
    window->Command9_Click();
    EXPECT_EQ(grid()->rows(), 9);
    EXPECT_EQ(grid()->textMatrix(8, 0), QStringLiteral(" 8"));
    for (int r = 6; r <= 9; ++r) {
        EXPECT_TRUE(matrix().isMissing(1, r)) << r;
        EXPECT_TRUE(grid()->textMatrix(r, 1).isEmpty() || r == 9) << r;
    }
    EXPECT_EQ(matrix().cell(1, 5).number(), 5);
}

TEST_F(DataSheetWindow, PasteSeveralColumnsAndSingleColumnFromTheSelection)
{
    platform->clipboard.content = QStringLiteral("1\t2\r\n3\t4\r\n");
    window->check(8)->setChecked(false);
    box(0)->setText(QStringLiteral("anything"));
    window->Command3_Click();
    EXPECT_EQ(grid()->textMatrix(1, 1), QStringLiteral("1.0000"));
    EXPECT_EQ(grid()->textMatrix(1, 2), QStringLiteral("2.00000"));
    EXPECT_EQ(grid()->textMatrix(2, 1), QStringLiteral("3.0000"));
    EXPECT_EQ(grid()->textMatrix(2, 2), QStringLiteral("4.00000"));
    EXPECT_TRUE(matrix().cell(2, 2).isNumber());
    EXPECT_EQ(box(0)->text(), QStringLiteral(" 19"));

    window->check(8)->setChecked(true);
    grid()->setCurrentCell(5, 3);
    window->Command3_Click();
    for (int r = 5; r <= 8; ++r)
        EXPECT_EQ(matrix().cell(3, r).number(), r - 4) << r;
    EXPECT_EQ(grid()->textMatrix(8, 3), QStringLiteral("4.0000"));
}

TEST_F(DataSheetWindow, PasteGrowsTheSheetOnlyWithAutoIncrease)
{
    QString thirty;
    for (int i = 1; i <= 30; ++i)
        thirty += QString::number(i) + QStringLiteral("\r\n");
    platform->clipboard.content = thirty;
    window->Command3_Click();
    EXPECT_EQ(grid()->rows(), 32);
    EXPECT_EQ(matrix().upperRow(), 32);
    EXPECT_EQ(box(0)->text(), QStringLiteral(" 31"));
    EXPECT_EQ(grid()->textMatrix(31, 0), QStringLiteral(" 31"));
    EXPECT_EQ(grid()->textMatrix(30, 1), QStringLiteral("30.0000"));

    window = std::make_unique<frmMain>();
    window->check(9)->setChecked(false);
    window->Command3_Click();
    EXPECT_EQ(grid()->rows(), 20);
    EXPECT_EQ(box(0)->text(), QStringLiteral("19"));
    EXPECT_EQ(grid()->textMatrix(19, 1), QStringLiteral("19.0000"));
}

TEST_F(DataSheetWindow, CopyPutsTheExactTextOnTheClipboard)
{
    box(0)->setText(QStringLiteral("3"));
    window->Command9_Click();
    matrix().setNumber(1, 1, -1.5);
    matrix().setText(7, 1, QStringLiteral("Y"));
    matrix().setNumber(3, 2, 2.25);
    platform->clipboard.content = QStringLiteral("old");
    window->Command2_Click();
    EXPECT_EQ(platform->clipboard.content, QStringLiteral("-1.5,  0,  0,  0,  0,  0, Y\r\n"
                                                          " 0,  0,  2.25,  0,  0,  0, \r\n"
                                                          " 0,  0,  0,  0,  0,  0, \r\n"));
    EXPECT_EQ(platform->clipboard.clears, 1);
}

TEST_F(DataSheetWindow, SwapTwiceRestoresDataAndHeaders)
{
    for (int c = 1; c <= 7; ++c) {
        matrix().setNumber(c, 1, c);
        window->MatrixTOGrid(1, c);
    }
    const DataMatrix before = matrix();
    QCheckBox* swap = child<QCheckBox>(QStringLiteral("Check7"));
    swap->setChecked(true);
    EXPECT_TRUE(programState().SwapXY);
    EXPECT_EQ(grid()->textMatrix(0, 1), QStringLiteral("X (Obs)"));
    EXPECT_EQ(grid()->textMatrix(0, 3), QStringLiteral("Y (Pred)"));
    EXPECT_EQ(grid()->textMatrix(0, 5), QStringLiteral("Rank X"));
    EXPECT_EQ(matrix().cell(1, 1).number(), 3);
    EXPECT_EQ(matrix().cell(6, 1).number(), 5);
    EXPECT_EQ(grid()->textMatrix(1, 1), QStringLiteral("3.0000"));
    swap->setChecked(false);
    EXPECT_FALSE(programState().SwapXY);
    EXPECT_EQ(grid()->textMatrix(0, 1), QStringLiteral("X (Pred)"));
    EXPECT_EQ(grid()->textMatrix(0, 3), QStringLiteral("Y (Obs)"));
    EXPECT_TRUE(matrix() == before);
    EXPECT_EQ(grid()->textMatrix(1, 1), QStringLiteral("1.0000"));
}

TEST_F(DataSheetWindow, RemoveInvalidRowsLeavesTheCompleteOnes)
{
    // complete, missing X, missing X, complete, complete, rest empty
    const double x[5] = {1, 0, 0, 4, 5};
    for (int r = 1; r <= 5; ++r) {
        if (x[r - 1] != 0)
            matrix().setNumber(1, r, x[r - 1]);
        matrix().setNumber(3, r, 10 * r);
    }
    window->showSheet();
    window->Command30_Click();
    EXPECT_EQ(grid()->rows(), 4);
    EXPECT_EQ(box(0)->text(), QStringLiteral("3"));
    EXPECT_EQ(grid()->textMatrix(2, 1), QStringLiteral("4.0000"));
    EXPECT_EQ(grid()->textMatrix(3, 3), QStringLiteral("50.0000"));
    EXPECT_EQ(matrix().cell(3, 2).number(), 40);

    // Fewer than 3 complete rows: the row count refuses, the rows stay.
    window = std::make_unique<frmMain>();
    matrix().setNumber(1, 2, 1);
    matrix().setNumber(3, 2, 1);
    window->Command30_Click();
    EXPECT_EQ(grid()->rows(), 20);
    EXPECT_EQ(matrix().cell(1, 1).number(), 1);
    EXPECT_EQ(grid()->textMatrix(1, 1), QStringLiteral("1.0000"));
    EXPECT_FALSE(platform->messages.asked.empty());
}

TEST_F(DataSheetWindow, CellEditorTypingEscapeAndEnter)
{
    window->show();
    QApplication::setActiveWindow(window.get());
    auto* editor = child<QLineEdit>(QStringLiteral("TxtEdit"));
    matrix().setNumber(1, 1, 7);
    window->MatrixTOGrid(1, 1);

    // A typed digit opens the editor with it and stores it at once.
    key(grid(), Qt::Key_5, QStringLiteral("5"));
    EXPECT_FALSE(editor->isHidden());
    EXPECT_EQ(editor->text(), QStringLiteral("5"));
    EXPECT_EQ(matrix().cell(1, 1).text(), QStringLiteral("5"));
    // Escape puts the cell back as it was.
    key(editor, Qt::Key_Escape);
    EXPECT_TRUE(editor->isHidden());
    EXPECT_TRUE(matrix().cell(1, 1).isNumber());
    EXPECT_EQ(matrix().cell(1, 1).number(), 7);
    EXPECT_EQ(grid()->textMatrix(1, 1), QStringLiteral("7.0000"));

    // Enter stores the text as text and moves one row down.
    key(grid(), Qt::Key_1, QStringLiteral("1"));
    key(editor, Qt::Key_2, QStringLiteral("2"));
    key(editor, Qt::Key_Return);
    EXPECT_TRUE(editor->isHidden());
    EXPECT_EQ(matrix().cell(1, 1).text(), QStringLiteral("12"));
    EXPECT_EQ(grid()->textMatrix(1, 1), QStringLiteral("12.0000"));
    EXPECT_EQ(grid()->row(), 2);

    // A double click edits the raw content; Up stores and moves up.
    matrix().setNumber(2, 2, 0.125);
    grid()->setCurrentCell(2, 2);
    window->Fg2_DblClick();
    EXPECT_EQ(editor->text(), QStringLiteral("0.125"));
    key(editor, Qt::Key_Up);
    EXPECT_EQ(matrix().cell(2, 2).text(), QStringLiteral("0.125"));
    EXPECT_EQ(grid()->row(), 1);

    // On the last row Enter stays there.
    grid()->setCurrentCell(19, 1);
    key(grid(), Qt::Key_9, QStringLiteral("9"));
    key(editor, Qt::Key_Return);
    EXPECT_EQ(grid()->row(), 19);
    EXPECT_EQ(matrix().cell(1, 19).text(), QStringLiteral("9"));

    // Leaving the cell with the editor open stores into the cell left.
    grid()->setCurrentCell(3, 1);
    key(grid(), Qt::Key_4, QStringLiteral("4"));
    key(editor, Qt::Key_2, QStringLiteral("2"));
    grid()->setCurrentCell(6, 4);
    EXPECT_TRUE(editor->isHidden());
    EXPECT_EQ(matrix().cell(1, 3).text(), QStringLiteral("42"));
    EXPECT_TRUE(matrix().isMissing(4, 6));
}

TEST_F(DataSheetWindow, TabLeavesTheSheetAtItsEndsAndCtrlTabAlways)
{
    window->show();
    QApplication::setActiveWindow(window.get());
    const int lastRow = grid()->rows() - 1;
    const int lastCol = grid()->cols() - 1;
    const auto focusAfter = [&](int row, int col, int keyCode, Qt::KeyboardModifiers modifiers) {
        grid()->setFocus();
        grid()->setCurrentCell(row, col);
        key(grid(), keyCode, QString(), modifiers);
        return QApplication::focusWidget();
    };

    // Inside the sheet Tab, Shift+Tab and the arrows move between cells.
    const struct {
        int row, col, key;
        Qt::KeyboardModifiers modifiers;
        int toRow, toCol;
    } inside[] = {
        {1, 1, Qt::Key_Tab, Qt::NoModifier, 1, 2},
        {1, lastCol, Qt::Key_Tab, Qt::NoModifier, 2, 1},
        {2, 1, Qt::Key_Backtab, Qt::ShiftModifier, 1, lastCol},
        {lastRow, lastCol, Qt::Key_Backtab, Qt::ShiftModifier, lastRow, lastCol - 1},
        {3, 3, Qt::Key_Down, Qt::NoModifier, 4, 3},
        {3, 3, Qt::Key_Right, Qt::NoModifier, 3, 4},
    };
    for (const auto& c : inside) {
        EXPECT_EQ(focusAfter(c.row, c.col, c.key, c.modifiers), grid()) << c.row << "," << c.col;
        EXPECT_EQ(grid()->row(), c.toRow) << c.row << "," << c.col;
        EXPECT_EQ(grid()->col(), c.toCol) << c.row << "," << c.col;
    }

    // Past the last cell, before the first, and with Ctrl from anywhere, the
    // focus goes on to the controls around the sheet (the command buttons
    // can be reached by keyboard).
    const struct {
        int row, col, key;
        Qt::KeyboardModifiers modifiers;
    } leaving[] = {
        {lastRow, lastCol, Qt::Key_Tab, Qt::NoModifier},
        {1, 1, Qt::Key_Backtab, Qt::ShiftModifier},
        {5, 3, Qt::Key_Tab, Qt::ControlModifier},
        {5, 3, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier},
    };
    for (const auto& c : leaving) {
        QWidget* focus = focusAfter(c.row, c.col, c.key, c.modifiers);
        EXPECT_NE(focus, grid()) << c.row << "," << c.col << " key " << c.key;
        EXPECT_NE(focus, nullptr);
    }

    // Going round by Tab alone reaches Calculate.
    grid()->setFocus();
    grid()->setCurrentCell(lastRow, lastCol);
    bool reached = false;
    for (int i = 0; i < 200 && !reached; ++i) {
        key(QApplication::focusWidget(), Qt::Key_Tab);
        reached = QApplication::focusWidget() == child<QPushButton>(QStringLiteral("Command6"));
    }
    EXPECT_TRUE(reached);
}

TEST_F(DataSheetWindow, CopyAndPasteKeysActOnTheSheetOnlyWhenItHasTheFocus)
{
    platform->clipboard.content = QStringLiteral("8\n");
    key(grid(), Qt::Key_V, QString(QChar(22)), Qt::ControlModifier);
    EXPECT_EQ(matrix().cell(1, 1).number(), 8);
    key(grid(), Qt::Key_C, QString(QChar(3)), Qt::ControlModifier);
    EXPECT_TRUE(platform->clipboard.content.startsWith(QStringLiteral(" 8,  0")));

    // In a text box the keys do what the box does: the sheet is untouched.
    platform->clipboard.content = QStringLiteral("9\n");
    key(box(10), Qt::Key_V, QString(QChar(22)), Qt::ControlModifier);
    key(child<QTextEdit>(QStringLiteral("Notes")), Qt::Key_V, QString(QChar(22)), Qt::ControlModifier);
    EXPECT_EQ(matrix().cell(1, 1).number(), 8);
    EXPECT_EQ(platform->clipboard.content, QStringLiteral("9\n"));
}

TEST_F(DataSheetWindow, DroppedFilesGoThroughTheOpenCommand)
{
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/data/a.KVE")), QUrl::fromLocalFile(QStringLiteral("/data/b.KVE"))});
    QMimeData words;
    words.setText(QStringLiteral("text"));
    EXPECT_TRUE(window->FG2_OLEDragOver(&files));
    EXPECT_FALSE(window->FG2_OLEDragOver(&words));

    // Each file dropped is opened in turn as a command line opens it,
    // without a dialog; one that cannot be read is reported and the next
    // is opened all the same.
    const QString a = QStringLiteral(KVE_SOURCE_DIR "/app/tests/core/comparison_data/model_a.KVE");
    const QString b = QStringLiteral(KVE_SOURCE_DIR "/app/tests/core/comparison_data/model_b.KVE");
    const QString missing = dir.filePath(QStringLiteral("missing.KVE"));
    emit grid()->filesDropped({a});
    EXPECT_EQ(programState().DataFileName, a);
    window->FG2_OLEDragDrop({missing, b});
    EXPECT_EQ(programState().DataFileName, b);
    ASSERT_EQ(platform->messages.asked.size(), 1u);
    EXPECT_TRUE(platform->messages.asked[0].text.contains(missing)) << platform->messages.asked[0].text.toStdString();
    EXPECT_TRUE(platform->fileDialogs.asked.empty());
    EXPECT_FALSE(programState().BatchMode);
}

TEST_F(DataSheetWindow, GridFormatsTakenWhenAFormatBoxLosesTheFocus)
{
    matrix().setNumber(1, 1, 2.5);
    matrix().setNumber(2, 1, 0.5);
    window->showSheet();
    box(13)->setText(QStringLiteral("0.0"));
    box(12)->setText(QStringLiteral("0.00"));
    EXPECT_EQ(grid()->textMatrix(1, 1), QStringLiteral("2.5000"));
    window->Text1_LostFocus(13);
    EXPECT_EQ(grid()->textMatrix(1, 1), QStringLiteral("2.5"));
    EXPECT_EQ(grid()->textMatrix(1, 2), QStringLiteral("0.50"));
    EXPECT_EQ(programState().GridFormatXY, QStringLiteral("0.0"));
}

TEST_F(DataSheetWindow, ColumnsWidenSoThatNoNumberIsCutShort)
{
    // Values far from zero, in the first rows and in rows reached by
    // scrolling: each shown text fits its column.
    struct Case { int row; int col; double value; };
    const Case cases[] = {
        {1, DataMatrix::ColX, 1000000.01}, {2, DataMatrix::ColY, -123456789.125},
        {3, DataMatrix::ColSDX, 98765432.5}, {4000, DataMatrix::ColSDY, 1e12 + 0.5},
    };
    box(0)->setText(QStringLiteral("5000"));
    window->Command9_Click();
    for (const Case& c : cases) {
        matrix().setNumber(c.col, c.row, c.value);
        window->MatrixTOGrid(c.row, c.col);
    }
    window->show();
    window->showSheet();
    QApplication::processEvents();
    grid()->scrollTo(grid()->model()->index(3999, 0));
    QApplication::processEvents();
    const QFontMetrics metrics(grid()->font());
    for (const Case& c : cases) {
        const QString text = grid()->textMatrix(c.row, c.col);
        EXPECT_GT(grid()->columnWidth(c.col - 1), metrics.horizontalAdvance(text)) << text.toStdString();
    }
}

TEST_F(DataSheetWindow, ANewDatasetFitsTheColumnsToWhatItHolds)
{
    // Random with a Y variance of 1e308 widens "Y (Obs)" to well over a
    // thousand pixels. Each way to a new dataset then gives the columns
    // the widths it gives on a sheet that was never widened; typing into a
    // cell of the new dataset still only widens.
    const QString sample = dir.filePath(QStringLiteral("sample.KVE"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KVE_SOURCE_DIR "/examples/crop_yield.KVE"), sample));
    const auto random = [this](const char* varianceY) {
        window->Command12_Click();
        frmRND* rnd = frmRND::existing();
        ASSERT_NE(rnd, nullptr);
        rnd->makeRandomSource = [] { return std::make_unique<SeededRandomSource>(20261211); };
        const char* inputs[] = {"12", varianceY, "10", "4", "0.8", "30"};
        for (int i = 0; i < 6; ++i)
            rnd->findChild<QLineEdit*>(QStringLiteral("Text1_%1").arg(i))->setText(QLatin1String(inputs[i]));
        platform->messages.answers = {MsgAnswer::Yes};
        rnd->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        rnd->hide();
    };
    const struct {
        const char* name;
        std::function<void()> newDataset;
    } cases[] = {
        {"New",
         [this] {
             platform->messages.answers = {MsgAnswer::Yes};
             DatasetCommands::Command5_Click(*window);
         }},
        {"Open",
         [this, &sample] {
             platform->fileDialogs.answers.push_back(sample);
             ASSERT_TRUE(DatasetCommands::Command8_Click(*window));
         }},
        {"Random", [&random] { random("9"); }},
    };
    // The last column stretches over the rest of the sheet: its width
    // follows the window and the scroll bar, not its cells.
    const auto widths = [this] {
        QApplication::processEvents();
        std::vector<int> w;
        for (int c = 0; c + 2 < grid()->cols(); ++c)
            w.push_back(grid()->columnWidth(c));
        return w;
    };
    const int colY = DataMatrix::ColY - 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window.reset();
        resetProgramState();
        window = std::make_unique<frmMain>();
        window->show();
        c.newDataset();
        const std::vector<int> fitted = widths();
        ASSERT_LT(fitted[colY], 300);

        random("1e308");
        ASSERT_GT(widths()[colY], 1000);
        c.newDataset();
        EXPECT_EQ(widths(), fitted);

        // A long number typed into a cell widens its column, and a shorter
        // one typed after it leaves the column as wide.
        matrix().setNumber(DataMatrix::ColY, 1, 123456789012345.0);
        window->MatrixTOGrid(1, DataMatrix::ColY);
        const int typed = widths()[colY];
        EXPECT_GT(typed, fitted[colY]);
        matrix().setNumber(DataMatrix::ColY, 1, 1.0);
        window->MatrixTOGrid(1, DataMatrix::ColY);
        EXPECT_EQ(widths()[colY], typed);
    }
}

namespace {

// Rows 1..5 of X = r, Y = 2r; then row 2's Y is typed as "50" without
// Enter: the editor holds "50", the cell only its first character.
QLineEdit* typeFiftyIntoRowTwo(frmMain& window, FlexGrid* grid)
{
    DataMatrix& m = window.dataMatrix();
    for (int r = 1; r <= 5; ++r) {
        m.setNumber(DataMatrix::ColX, r, r);
        m.setNumber(DataMatrix::ColY, r, 2 * r);
    }
    window.showSheet();
    auto* editor = window.findChild<QLineEdit*>(QStringLiteral("TxtEdit"));
    grid->setFocus();
    grid->setCurrentCell(2, DataMatrix::ColY);
    QKeyEvent five(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
    QApplication::sendEvent(grid, &five);
    QKeyEvent zero(QEvent::KeyPress, Qt::Key_0, Qt::NoModifier, QStringLiteral("0"));
    QApplication::sendEvent(editor, &zero);
    return editor;
}

} // namespace

TEST_F(DataSheetWindow, EveryCommandTakesTheTextOfAnOpenEditorFirst)
{
    // Each command runs straight after the typing, without the editor
    // losing the focus first (as a shortcut key or the command line would
    // start it): the editor is closed and the cell holds "50" before the
    // command reads the sheet. Where the command shows what it read, that
    // is checked too.
    const QString saved = dir.filePath(QStringLiteral("Typed.KVE"));
    programState().DocumentsFolder = dir.path();
    struct Case {
        const char* name;
        std::function<void()> command;
        std::function<void()> check;
        int column = DataMatrix::ColY;    // where the typed value is afterwards
    };
    const std::function<void()> nothing = [] {};
    const auto savedHoldsFifty = [&] {
        QFile file(saved);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.contains("\r\n2,,\"50\",,,,\r\n")) << bytes.toStdString();
        QFile::remove(saved);
    };
    const std::vector<Case> cases = {
        {"Calculate", [&] { window->Command6_Click(); },
         [&] { EXPECT_DOUBLE_EQ(programState().MeanY, (2 + 50 + 6 + 8 + 10) / 5.0); }},
        {"Save", [&] {
             programState().DataFileName = saved;
             window->Command1_Click();
         }, savedHoldsFifty},
        {"As", [&] {
             platform->fileDialogs.answers = {saved};
             window->Command17_Click();
         }, savedHoldsFifty},
        {"Copy", [&] { window->Command2_Click(); },
         [&] { EXPECT_TRUE(platform->clipboard.content.contains(QStringLiteral("\n 2,  0,  50,  0,"))) << platform->clipboard.content.toStdString(); }},
        {"Paste", [&] { window->Command3_Click(); }, nothing},
        {"Scatter", [&] { window->Command11_Click(); }, nothing},
        {"Rank", [&] { window->Command14_Click(); }, nothing},
        {"Histo", [&] { window->Command13_Click(); }, nothing},
        {"Swap", [&] { window->check(CheckBox::Swap)->setChecked(true); }, nothing, DataMatrix::ColX},
        {"Apply", [&] { window->Command9_Click(); }, nothing},
        {"Remove", [&] { window->Command30_Click(); }, nothing},
        {"Compare", [&] { window->Command23_Click(); }, nothing},
        {"R Script", [&] { window->Command25_Click(); }, nothing},
        {"eMail", [&] { window->Command24_Click(); }, nothing},
        {"Random", [&] { window->Command12_Click(); }, nothing},
        {"Open", [&] { window->Command8_Click(); }, nothing},
        {"New (answered No)", [&] {
             platform->messages.answers = {MsgAnswer::No};
             window->Command5_Click();
         }, nothing},
        {"page switch", [&] { child<QPushButton>(QStringLiteral("CheckButton_1"))->click(); }, nothing},
        {"command line", [&] {
             window->prevInstanceButton()->setText(QStringLiteral("/Y"));
             window->PrevInstanceKVE_Click();
         }, nothing},
        {"Quit", [&] { window->Command7_Click(); }, nothing},
    };
    for (const Case& c : cases) {
        window = std::make_unique<frmMain>();
        window->show();
        QApplication::setActiveWindow(window.get());
        platform->clipboard.content.clear();
        QLineEdit* editor = typeFiftyIntoRowTwo(*window, grid());
        ASSERT_FALSE(editor->isHidden()) << c.name;
        ASSERT_EQ(matrix().cell(DataMatrix::ColY, 2).text(), QStringLiteral("5")) << c.name;
        c.command();
        EXPECT_TRUE(editor->isHidden()) << c.name;
        EXPECT_EQ(matrix().cell(c.column, 2).toDisplayString(), QStringLiteral("50")) << c.name;
        c.check();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != window.get())
                w->close();
    }
}

TEST_F(DataSheetWindow, AnEditorThatLosesTheFocusStoresItsText)
{
    window->show();
    QApplication::setActiveWindow(window.get());
    QLineEdit* editor = typeFiftyIntoRowTwo(*window, grid());
    // Its own context menu keeps it open.
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(editor, &popup);
    EXPECT_FALSE(editor->isHidden());
    // Any other control taking the focus (a click on a button, a text box)
    // stores the text.
    box(0)->setFocus();
    EXPECT_TRUE(editor->isHidden());
    EXPECT_EQ(matrix().cell(DataMatrix::ColY, 2).text(), QStringLiteral("50"));
    EXPECT_EQ(grid()->textMatrix(2, DataMatrix::ColY), QStringLiteral("50.0000"));
}

TEST_F(DataSheetWindow, TabInAnOpenEditorStoresAndMovesOnAsOnTheSheet)
{
    window->show();
    QApplication::setActiveWindow(window.get());
    const int lastRow = grid()->rows() - 1;
    const int lastCol = grid()->cols() - 1;
    auto* editor = child<QLineEdit>(QStringLiteral("TxtEdit"));
    struct Case {
        const char* name;
        int row, col;
        bool back;
        int toRow, toCol;                 // 0: the focus leaves the sheet
    };
    const Case cases[] = {
        {"Tab", 2, 3, false, 2, 4},
        {"Shift+Tab", 2, 3, true, 2, 2},
        {"Tab at the end of a row", 2, lastCol, false, 3, 1},
        {"Shift+Tab at the start of a row", 3, 1, true, 2, lastCol},
        {"Tab after the last cell", lastRow, lastCol, false, 0, 0},
        {"Shift+Tab before the first cell", 1, 1, true, 0, 0},
    };
    for (const Case& c : cases) {
        grid()->setFocus();
        grid()->setCurrentCell(c.row, c.col);
        key(grid(), Qt::Key_7, QStringLiteral("7"));
        key(editor, Qt::Key_1, QStringLiteral("1"));
        ASSERT_FALSE(editor->isHidden()) << c.name;
        if (c.back)
            key(editor, Qt::Key_Backtab, QString(), Qt::ShiftModifier);
        else
            key(editor, Qt::Key_Tab);
        EXPECT_TRUE(editor->isHidden()) << c.name;
        EXPECT_EQ(matrix().cell(c.col, c.row).text(), QStringLiteral("71")) << c.name;
        if (c.toRow == 0) {
            EXPECT_NE(QApplication::focusWidget(), grid()) << c.name;
            EXPECT_NE(QApplication::focusWidget(), editor) << c.name;
            EXPECT_NE(QApplication::focusWidget(), nullptr) << c.name;
        } else {
            EXPECT_EQ(QApplication::focusWidget(), grid()) << c.name;
            EXPECT_EQ(grid()->row(), c.toRow) << c.name;
            EXPECT_EQ(grid()->col(), c.toCol) << c.name;
        }
    }
}
