// The main window's places for its neighbours: "Calculate", the plots,
// the comparison and mail windows, CallLoad/CallPlot and closing.
#include "window_fixture.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextEdit>
#include <QDialog>
#include <QListWidget>
#include <QRadioButton>
#include <QSet>

#include <functional>

#include "ui/dataset_commands.hpp"
#include "ui/frm_compare.hpp"
#include "ui/frm_info.hpp"
#include "ui/frm_mapi.hpp"
#include "ui/notes_page.hpp"

using MainWindowSeams = WindowTest;

namespace {
void fillRows(DataMatrix& m, int rows, const char* exclude = "")
{
    for (int r = 1; r <= rows; ++r) {
        m.setNumber(1, r, r);
        m.setNumber(3, r, 2 * r);
        m.setText(7, r, QLatin1String(exclude));
    }
}
// How many report windows ("Results - ...") `command` brought up.
int reportsShownBy(const std::function<void()>& command)
{
    QSet<QWidget*> before;
    for (QWidget* w : QApplication::topLevelWidgets())
        before.insert(w);
    command();
    int reports = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        reports += !before.contains(w) && qobject_cast<frmInfo*>(w) != nullptr
                   && w->windowTitle().startsWith(QStringLiteral("Results - "));
    return reports;
}
} // namespace

TEST_F(MainWindowSeams, CalculateRunsOnThreeUsedRowsAndShowsTheReport)
{
    auto reports = [] {
        QList<frmInfo*> found;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* info = qobject_cast<frmInfo*>(w))
                found.append(info);
        return found;
    };
    const qsizetype before = reports().size();
    // Two used rows, and three rows of which one is excluded: a box says
    // why there is no report, in the words of an unattended run.
    fillRows(matrix(), 2);
    window->Command6_Click();
    fillRows(matrix(), 3);
    matrix().setText(7, 2, QStringLiteral("y"));
    window->Command6_Click();
    EXPECT_EQ(reports().size(), before);
    ASSERT_EQ(platform->messages.asked.size(), 2u);
    for (const MessageRequest& box : platform->messages.asked) {
        EXPECT_EQ(box.text, QStringLiteral("nothing to evaluate: only 2 data rows are used; the evaluation needs at least 3"));
        EXPECT_EQ(box.icon, MsgIcon::Critical);
    }
    platform->messages.asked.clear();

    matrix().setText(7, 2, QStringLiteral("N"));
    matrix().setNumber(3, 2, 4.5);
    window->setWindowTitle(QStringLiteral("KVE v. 3.1.0 - Trial.KVE"));
    window->Command6_Click();
    ASSERT_EQ(reports().size(), before + 1);
    frmInfo* report = reports().last();
    EXPECT_EQ(report->windowTitle(), QStringLiteral("Results - KVE v. 3.1.0 - Trial.KVE"));
    EXPECT_TRUE(report->text().startsWith(QStringLiteral("KVE v. ")));
    EXPECT_TRUE(report->text().contains(QStringLiteral("REGRESSION ANALYSIS: Y = a + b×X (Neter et al., 1996)")));
    EXPECT_TRUE(report->isVisible());
    EXPECT_FALSE(report->findChild<QCheckBox*>(QStringLiteral("Auto"))->isChecked());
    EXPECT_DOUBLE_EQ(programState().MeanY, (2 + 4.5 + 6) / 3.0);
    EXPECT_FALSE(window->statusLine()->isVisible());
}

TEST_F(MainWindowSeams, CalculateRefusesACellThatIsNoNumberWithABoxNamingIt)
{
    // Five rows; each case changes some cells. A used row's X or Y that is
    // empty or not a number, or its SD that holds a text: one error box
    // naming the first such cell, no report, nothing of the run's state
    // changed. Rows the run does not use may hold anything.
    struct Cell {
        int row;
        int column;
        const char* text;
    };
    struct Case {
        const char* name;
        std::vector<Cell> cells;
        const char* box;                  // "": the report is shown
        int dataRows = 5;
    };
    const int X = DataMatrix::ColX, Y = DataMatrix::ColY, SDY = DataMatrix::ColSDY, Ex = DataMatrix::ColExclude;
    const Case cases[] = {
        {"empty Y", {{4, Y, ""}}, "Row 4: Y (Obs) is empty."},
        {"text SD Y", {{5, SDY, "abc"}}, "Row 5: SD Y is not a number: abc"},
        {"text X", {{2, X, "abc"}}, "Row 2: X (Pred) is not a number: abc"},
        {"decimal comma", {{3, Y, "6,9"}}, "Row 3: Y (Obs) is not a number: 6,9"},
        {"excluded row with junk", {{2, X, "abc"}, {2, Y, ""}, {2, Ex, "Y"}}, ""},
        {"row beyond the dataset's points", {{5, Y, "abc"}}, "", 4},
    };
    for (const Case& c : cases) {
        window = std::make_unique<frmMain>();
        box(0)->setText(QString::number(c.dataRows));
        window->Command9_Click();
        fillRows(matrix(), 5);
        for (const Cell& cell : c.cells)
            matrix().setText(cell.column, cell.row, QString::fromUtf8(cell.text));
        programState().MeanY = 0;
        platform->messages.asked.clear();
        const int reports = reportsShownBy([this] { window->Command6_Click(); });
        if (*c.box) {
            ASSERT_EQ(platform->messages.asked.size(), 1u) << c.name;
            EXPECT_EQ(platform->messages.asked[0].text, QString::fromUtf8(c.box)) << c.name;
            EXPECT_EQ(platform->messages.asked[0].icon, MsgIcon::Critical) << c.name;
            EXPECT_EQ(reports, 0) << c.name;
            EXPECT_EQ(programState().MeanY, 0.0) << c.name;
        } else {
            EXPECT_TRUE(platform->messages.asked.empty()) << c.name;
            EXPECT_EQ(reports, 1) << c.name;
            EXPECT_NE(programState().MeanY, 0.0) << c.name;
        }
    }
}

TEST_F(MainWindowSeams, CalculateUsesTheLimitsTypedInTheirBoxes)
{
    // Limits kept from an earlier run; the deviation boxes typed, the
    // residual boxes empty: the typed limits are this run's (and are kept
    // for the next), the empty boxes leave the kept ones.
    ProgramState& state = programState();
    state.DeviationLower = state.ResidualLower = -7;
    state.DeviationUpper = state.ResidualUpper = 7;
    fillRows(matrix(), 6);
    matrix().setNumber(3, 4, 9.5);
    window->check(CheckBox::ResidualAnalysis)->setChecked(true);
    window->check(CheckBox::ResidueWindow)->setChecked(false);
    box(9)->setText(QStringLiteral("-0.3"));
    box(1)->setText(QStringLiteral("0.3"));
    box(2)->clear();
    box(3)->clear();
    window->Command6_Click();
    QString text;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* info = qobject_cast<frmInfo*>(w); info && info->windowTitle().startsWith(QStringLiteral("Results")))
            text = info->text();
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nDeviation interval [lower - upper]                     : [-0.3000, 0.3000]\r\n")));
    EXPECT_EQ(state.DeviationLower, -0.3);
    EXPECT_EQ(state.DeviationUpper, 0.3);
    EXPECT_EQ(state.ResidualLower, -7);
    EXPECT_EQ(state.ResidualUpper, 7);
}

TEST_F(MainWindowSeams, CalculateRefusesALimitBoxThatHoldsNoNumber)
{
    // The residual analysis ticked; a limit box that holds something other
    // than a number: one error box naming the limit and what it holds, no
    // report, the kept limits unchanged. Written with a decimal point it
    // is the run's limit.
    ProgramState& state = programState();
    fillRows(matrix(), 6);
    matrix().setNumber(3, 4, 9.5);
    window->check(CheckBox::ResidualAnalysis)->setChecked(true);
    state.RStdResidueUpper = 2.5;
    box(5)->setText(QStringLiteral("1,5"));
    QSet<QWidget*> before;
    for (QWidget* w : QApplication::topLevelWidgets())
        before.insert(w);
    window->Command6_Click();
    int opened = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        opened += !before.contains(w);
    EXPECT_EQ(opened, 0);
    ASSERT_EQ(platform->messages.asked.size(), 1u);
    EXPECT_EQ(platform->messages.asked[0].text, QStringLiteral("RStd Res upper limit is not a number: 1,5"));
    EXPECT_EQ(platform->messages.asked[0].icon, MsgIcon::Critical);
    EXPECT_EQ(state.RStdResidueUpper, 2.5);
    EXPECT_EQ(state.MeanY, 0.0);
    EXPECT_EQ(box(5)->text(), QStringLiteral("1,5"));

    box(5)->setText(QStringLiteral("1.5"));
    window->Command6_Click();
    EXPECT_EQ(platform->messages.asked.size(), 1u);
    EXPECT_EQ(state.RStdResidueUpper, 1.5);
}

TEST_F(MainWindowSeams, EverySaveDialogAddsTheChosenFiltersEnding)
{
    // The program's save dialogs (the chart's has a test of its own), each
    // saving into a folder of its own. A name that ends in none of the
    // filters' endings gets the ending of the filter chosen (by default the
    // preselected one, the dialog's own type), so that the open dialog's
    // filter shows the file; an ending in either case stays, and with
    // "All Files" chosen the name is taken as typed.
    QPointer<frmInfo> report = frmInfo::showReport(QStringLiteral("Results - x"), QStringLiteral("report\r\n"));
    QPointer<frmCompare> compare = frmCompare::instance();
    NotesPage::of(*window)->notes()->setPlainText(QStringLiteral("notes"));
    struct Dialog {
        const char* name;
        const char* ending;
        std::function<void()> save;
    };
    const Dialog saves[] = {
        {"dataset", "KVE", [this] { DatasetCommands::Command17_Click(*window); }},
        {"report", "TXT", [&report] { report->Command3_Click(); }},
        {"notes", "TXT", [this] { NotesPage::of(*window)->Command21_Click(); }},
        {"comparison", "QCX", [&compare] { compare->Command10_Click(); }},
    };
    struct Case {
        const char* answer;               // %1: the dialog's ending
        int filter;                       // 0: as preselected
        const char* written;
    };
    const Case cases[] = {
        {"my trial", 0, "my trial.%1"},
        {"upper.%1", 0, "upper.%1"},
        {"v1.2", 0, "v1.2.%1"},
        {"dot.", 0, "dot.%1"},
        {"plain", 1, "plain"},
    };
    for (const Dialog& d : saves) {
        const QString folder = dir.filePath(QLatin1String(d.name));
        ASSERT_TRUE(QDir().mkpath(folder));
        for (const Case& c : cases) {
            const auto named = [&](const char* name) {
                return folder + QLatin1Char('/') + QString::fromUtf8(name).replace(QStringLiteral("%1"), QLatin1String(d.ending));
            };
            const QString answer = named(c.answer);
            const QString written = named(c.written);
            platform->fileDialogs.answers = {answer};
            platform->fileDialogs.filterAnswers.clear();
            if (c.filter)
                platform->fileDialogs.filterAnswers = {c.filter};
            d.save();
            EXPECT_TRUE(QFile::exists(written)) << d.name << ": " << c.answer;
            if (written != answer) {
                EXPECT_FALSE(QFile::exists(answer)) << d.name << ": " << c.answer;
            }
        }
        // The lower-case ending is an ending too.
        const QString lower = folder + QStringLiteral("/lower.") + QString::fromLatin1(d.ending).toLower();
        platform->fileDialogs.answers = {lower};
        d.save();
        EXPECT_EQ(QDir(folder).entryList({QStringLiteral("lower*")}, QDir::Files),
                  QStringList{QFileInfo(lower).fileName()}) << d.name;
    }
    EXPECT_EQ(programState().DataFileName, dir.filePath(QStringLiteral("dataset/lower.kve")));
    delete report.data();
    delete compare.data();
}

TEST_F(MainWindowSeams, CalculateOnTheSampleWritesTheGoldenReport)
{
    // The sample opened as "Open" opens it, calculated as "Calculate" does:
    // the report is the golden one but for its first line (the date).
    // The text of the report window that the last Calculate opened (the
    // sample's deviation analysis opens a side window beside it).
    QSet<QWidget*> seen;
    auto lastReport = [&seen] {
        QString text;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* info = qobject_cast<frmInfo*>(w); info && !seen.contains(w)) {
                seen.insert(w);
                if (info->windowTitle().startsWith(QStringLiteral("Results - ")))
                    text = info->text();
            }
        return text;
    };
    // The bootstrap's draws are seeded from the clock in the window: its
    // four result lines are left out of the comparison (the golden test
    // runs them from a fixed seed).
    auto afterFirstLine = [](const QString& text) {
        QStringList lines = text.mid(text.indexOf(QStringLiteral("\r\n"))).split(QStringLiteral("\r\n"));
        lines.removeIf([](const QString& l) {
            return l.startsWith(QStringLiteral("Mean MSEP ")) || l.startsWith(QStringLiteral("Variance of MSEP "))
                   || l.startsWith(QStringLiteral("Mean Var MSEP ")) || l.startsWith(QStringLiteral("Variance of Var MSEP "));
        });
        return lines.join(QStringLiteral("\r\n"));
    };
    QFile golden(QStringLiteral(KVE_SOURCE_DIR "/app/tests/core/golden/crop_yield_report.txt"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    const QString expected = QString::fromUtf8(golden.readAll());

    ProgramState& state = programState();
    state.BatchMode = true;
    state.OpenRequestFile = QStringLiteral(KVE_SOURCE_DIR "/examples/crop_yield.KVE");
    window->Command8_Click();
    state.BatchMode = false;
    window->Command6_Click();
    const QString report = lastReport();
    ASSERT_FALSE(report.isEmpty());
    EXPECT_TRUE(report.startsWith(QStringLiteral("KVE v. 3.1.0") + QString(33, QLatin1Char(' ')) + QStringLiteral("[crop_yield.KVE]")));
    EXPECT_EQ(afterFirstLine(report).toStdString(), afterFirstLine(expected).toStdString());

    // The sheet's "Swap" reaches the run: the same report, named as swapped.
    window->check(CheckBox::Swap)->setChecked(true);
    window->Command6_Click();
    const QString swapped = lastReport();
    EXPECT_TRUE(swapped.contains(QStringLiteral("\r\nRegular Least-Squares Regression\r\nSwapped X <=> Y\r\n\r\n")));
    EXPECT_NE(afterFirstLine(swapped), afterFirstLine(report));
}

TEST_F(MainWindowSeams, CalculateShowsItsSideWindowsHistogramsAndTheResidueFile)
{
    // The side windows open before the report, the histogram command runs
    // as its button does, and the residue file written into the dataset's
    // folder is handed to the editor.
    QStringList shown;
    auto newWindows = [&shown] {
        QStringList captions;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* info = qobject_cast<frmInfo*>(w); info && !shown.contains(info->windowTitle())) {
                shown << info->windowTitle();
                captions << info->windowTitle();
            }
        captions.sort();
        return captions;
    };
    ShownCharts charts;
    fillRows(matrix(), 6);
    matrix().setNumber(3, 4, 9.5);
    programState().DataFileName = dir.filePath(QStringLiteral("Trial.KVE"));
    window->setWindowTitle(QStringLiteral("KVE v. 3.1.0 - Trial.KVE"));
    for (CheckBox box : {CheckBox::DeviationAnalysis, CheckBox::ResidualAnalysis, CheckBox::ResidueWindow,
                         CheckBox::SaveResidueFile, CheckBox::HistogramPlots})
        window->check(box)->setChecked(true);
    window->Command6_Click();
    EXPECT_EQ(newWindows(), QStringList({QStringLiteral("Deviation Analyses - KVE v. 3.1.0 - Trial.KVE"),
                                         QStringLiteral("Residue Analyses - KVE v. 3.1.0 - Trial.KVE"),
                                         QStringLiteral("Results - KVE v. 3.1.0 - Trial.KVE")}));
    // The histogram command ran as "Histo" does: its charts, and nothing else.
    ASSERT_FALSE(charts.titles.isEmpty());
    for (const QString& title : charts.titles)
        EXPECT_TRUE(title.startsWith(QStringLiteral("Histogram of "))) << title.toStdString();
    EXPECT_EQ(platform->launcher.opened, QStringList({dir.filePath(QStringLiteral("Residue0000.TXT"))}));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("Residue0000.TXT"))));
    EXPECT_FALSE(window->statusLine()->isVisible());
    // The limits the run settled stay for the next run.
    EXPECT_DOUBLE_EQ(programState().LeverageCutoff, 4.0 / 6);
    EXPECT_NE(programState().DeviationLower, 0.0);
}

TEST_F(MainWindowSeams, AResidueFileThatCannotBeWrittenIsSaidInABox)
{
    // The dataset's folder is gone: the report still comes, and a box names
    // the residue file and the reason. In a command-line run no box waits;
    // the window keeps the line for the command line's reason.
    fillRows(matrix(), 6);
    matrix().setNumber(3, 4, 9.5);
    programState().DataFileName = dir.filePath(QStringLiteral("gone/Trial.KVE"));
    for (CheckBox box : {CheckBox::ResidualAnalysis, CheckBox::SaveResidueFile})
        window->check(box)->setChecked(true);
    const QString line = QStringLiteral("he residue file (ResidueNNNN.TXT) could not be saved in ")
                         + dir.filePath(QStringLiteral("gone/")) + QStringLiteral(": No such file or directory");
    for (const bool batch : {false, true}) {
        programState().BatchMode = batch;
        platform->messages.asked.clear();
        EXPECT_EQ(reportsShownBy([this] { window->Command6_Click(); }), 1) << batch;
        if (batch) {
            EXPECT_TRUE(platform->messages.asked.empty());
        } else {
            ASSERT_EQ(platform->messages.asked.size(), 1u);
            EXPECT_EQ(platform->messages.asked[0].text, QLatin1Char('T') + line);
            EXPECT_EQ(platform->messages.asked[0].icon, MsgIcon::Critical);
        }
        EXPECT_TRUE(platform->launcher.opened.isEmpty());
    }
    programState().BatchMode = false;
}

TEST_F(MainWindowSeams, CalculateWritesTheRanksIntoTheSheet)
{
    // Rows 1, 3, 4 and 5 are used (X of rows 1 and 4 tied), row 2 is
    // excluded, row 6 is excluded after the last used row and keeps its
    // cells; X ranks inverted.
    const double xs[] = {3, 8, 1, 3, 6, 4};
    const double ys[] = {2.5, 9, 1, 4, 3, 5};
    for (int r = 1; r <= 6; ++r) {
        matrix().setNumber(DataMatrix::ColX, r, xs[r - 1]);
        matrix().setNumber(DataMatrix::ColY, r, ys[r - 1]);
    }
    matrix().setText(DataMatrix::ColExclude, 2, QStringLiteral("Y"));
    matrix().setText(DataMatrix::ColExclude, 6, QStringLiteral("yes"));
    for (int c : {5, 6}) {
        matrix().setText(c, 6, QStringLiteral("7"));
        window->MatrixTOGrid(6, c);
    }
    window->check(CheckBox::RankAnalysis)->setChecked(true);
    child<QCheckBox>(QStringLiteral("InvertXRanks"))->setChecked(true);
    window->Command6_Click();

    const char* const rankX[] = {"2.5", ".", "4", "2.5", "1", "7"};
    const char* const rankY[] = {"2", ".", "1", "4", "3", "7"};
    for (int r = 1; r <= 6; ++r) {
        EXPECT_EQ(grid()->textMatrix(r, 5), QLatin1String(rankX[r - 1])) << "row " << r;
        EXPECT_EQ(grid()->textMatrix(r, 6), QLatin1String(rankY[r - 1])) << "row " << r;
    }
    EXPECT_EQ(matrix().cell(DataMatrix::ColRankX, 5).number(), 1.0);
    // Shown again from the matrix, a rank takes the column's format.
    window->MatrixTOGrid(1, 5);
    EXPECT_EQ(grid()->textMatrix(1, 5), QLatin1String("3"));
    EXPECT_EQ(grid()->textMatrix(1, 6), QLatin1String("2"));
    EXPECT_EQ(grid()->textMatrix(4, 5), QLatin1String("2.5"));
    window->showSheet();
    EXPECT_EQ(grid()->textMatrix(4, 5), QLatin1String("3"));
}

TEST_F(MainWindowSeams, CalculateSwitchesAWeightedFitWithoutSDsToTheRegularOne)
{
    fillRows(matrix(), 4);
    window->findChild<QRadioButton*>(QStringLiteral("Option1_1"))->setChecked(true);
    window->Option1_Click(1);
    window->Command6_Click();
    ASSERT_EQ(platform->messages.asked.size(), 1u);
    EXPECT_EQ(platform->messages.asked[0].text,
              QStringLiteral("Because at least one SD X or SD Y is zero (Row 1: SD X is empty), the Regular "
                             "Least-Squares Regression will be used"));
    EXPECT_TRUE(window->findChild<QRadioButton*>(QStringLiteral("Option1_0"))->isChecked());
}

TEST_F(MainWindowSeams, CalculateInABatchLetsTheReportSaveItself)
{
    fillRows(matrix(), 5);
    matrix().setNumber(3, 3, 7);
    ProgramState& state = programState();
    state.BatchMode = true;
    state.SaveResultsFlag = true;
    state.ResultsFolder = dir.path();
    window->Command6_Click();
    QFile saved(dir.filePath(QStringLiteral("Notes0000.TXT")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray text = saved.readAll();
    EXPECT_TRUE(text.startsWith("KVE v. "));
    EXPECT_TRUE(text.contains("Estimate b ± SD : "));
}

TEST_F(MainWindowSeams, CallPlotIsTheScatterCommand)
{
    fillRows(matrix(), 5);
    ShownCharts charts;
    window->CallPlot();
    EXPECT_EQ(charts.titles, QStringList({QStringLiteral("Observed vs Model-Predicted")}));
    EXPECT_TRUE(platform->messages.asked.empty());
}

TEST_F(MainWindowSeams, CompareAndMailGetTheCurrentDatasetFile)
{
    // No dataset file: the list and the attachments stay as they were.
    window->Command23_Click();
    ASSERT_TRUE(frmCompare::isLoaded());
    EXPECT_TRUE(frmCompare::instance()->isVisible());
    EXPECT_EQ(frmCompare::instance()->list()->count(), 0);
    window->Command24_Click();
    EXPECT_TRUE(frmMAPI::instance()->isVisible());
    EXPECT_TRUE(frmMAPI::instance()->attachments()->text().isEmpty());

    programState().DataFileName = QStringLiteral("/data/Trial.KVE");
    window->Command23_Click();
    window->Command23_Click();
    ASSERT_EQ(frmCompare::instance()->list()->count(), 2);
    EXPECT_EQ(frmCompare::instance()->list()->item(1)->text(), QStringLiteral("/data/Trial.KVE"));
    window->Command24_Click();
    EXPECT_EQ(frmMAPI::instance()->attachments()->text(), QStringLiteral("/data/Trial.KVE"));
}

TEST_F(MainWindowSeams, AboutOpensTheAboutBox)
{
    // The button's own path, as the program takes it: where nobody sees
    // the screen the box is shown without waiting; closed, it is gone.
    window->Command10_Click();
    QPointer<QDialog> about = window->findChild<QDialog*>(QStringLiteral("frmAbout"));
    ASSERT_FALSE(about.isNull());
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->parentWidget(), window.get());
    about->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull());
}

TEST_F(MainWindowSeams, CallLoadRunsTheOpenCommandAndQuitClosesEveryWindow)
{
    // CallLoad asks for the file as "Open" does and loads the one chosen.
    const QString sample = QStringLiteral(KVE_SOURCE_DIR "/examples/crop_yield.KVE");
    platform->fileDialogs.answers.push_back(sample);
    window->CallLoad();
    ASSERT_EQ(platform->fileDialogs.asked.size(), 1u);
    EXPECT_EQ(platform->fileDialogs.asked[0].title, QStringLiteral("Open dataset file"));
    EXPECT_EQ(programState().DataFileName, sample);

    window->show();
    QPointer<frmInfo> report = window->showResults(QStringLiteral("Results"), QStringLiteral("x"), false);
    window->Command23_Click();
    window->Command7_Click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(report.isNull() || !report->isVisible());
    EXPECT_TRUE(!frmCompare::isLoaded() || !frmCompare::instance()->isVisible());
}
