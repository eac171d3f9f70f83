// The option pages: the controls and their defaults, the tab strip,
// the option rules, the limit bands, the status line and keep-on-top.
#include "window_fixture.hpp"

#include "core/r_runner.hpp"
#include "core/settings_store.hpp"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTextEdit>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QListWidget>
#include <QTimer>

using OptionPanels = WindowTest;

TEST_F(OptionPanels, ControlsCarryTheirNamesCaptionsAndDefaults)
{
    struct Check { int number; const char* caption; bool ticked; };
    const Check checks[] = {
        {2, "Ignore uncertainties in X", false}, {3, "Ignore uncertainties in Y", false},
        {9, "Auto increase rows", true}, {8, "Paste single column", true},
        {22, "Same scale for X- and Y-axis", true}, {13, "Add comments to output", true},
        {1, "Show excluded data points", false}, {46, "Plot Y = X line", true},
        {28, "Show references", false}, {50, "No sound", false},
        {10, "Parameter tests", true}, {20, "OLS and SLS coefficients", false},
        {29, "Distribution analysis", true}, {4, "Moment statistics", true},
        {11, "Diverse measures", true}, {34, "Index analysis", false}, {17, "Concordance tests", true},
        {30, "Generalized CCC", false}, {12, "Rank analysis", true}, {19, "Balance analysis", false},
        {35, "Orthogonal balance", false}, {5, "MSEP analysis", true}, {18, "Kleijnen analysis", false},
        {24, "Threshold table", false}, {27, "Distance analysis", false}, {26, "Weighed deviance", false},
        {6, "Residual analysis", false}, {33, "Histogram plots", false}, {47, "Bland and Altman's", false},
        {48, "Deviation analysis", false}, {56, "Robust statistics", false},
        {23, "Use Bootstrap for MSEP?", false},
        {14, "Residual plot", false}, {21, "Save residues to a text file", false},
        {25, "Residue regression && plots", false}, {31, "Deviation plot", false},
        {32, "Separate window", true}, {36, "Normal plot", false},
        {37, "Plot Y and X", true}, {42, "Plot X and X difference", false}, {43, "Abs(difference)", false},
        {38, "Accumulated", false}, {39, "Percentage", false}, {40, "2D Graph", true}, {41, "3D Graph", false},
        {49, "Always on top", false}, {7, "Swap", false}, {51, "Show all R output files?", false},
        {44, "Ab", false}, {45, "B", false},
    };
    for (const Check& c : checks) {
        auto* box = child<QCheckBox>(QStringLiteral("Check%1").arg(c.number));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QLatin1String(c.caption)) << c.number;
        EXPECT_EQ(box->isChecked(), c.ticked) << c.number;
    }
    struct Text { int index; const char* text; };
    const Text texts[] = {{0, "19"}, {7, "200"}, {6, "20"}, {10, ""}, {11, ""}, {13, "##.#000"}, {12, "#.#0000"},
                          {9, ""}, {1, ""}, {2, ""}, {3, ""}, {4, ""}, {5, ""}, {14, "10"}, {8, "95"}};
    for (const Text& t : texts)
        EXPECT_EQ(child<QLineEdit>(QStringLiteral("Text1_%1").arg(t.index))->text(), QLatin1String(t.text)) << t.index;
    struct Option { const char* name; const char* caption; bool selected; };
    const Option options[] = {
        {"Option1_0", "Least-square method", true}, {"Option1_1", "Weighted least-square method", false},
        {"Option1_2", "Least-absolute deviation", false}, {"Option3_0", "Together", true},
        {"Option3_1", "Separate", false}, {"Option2_0", "Bar", true}, {"Option2_1", "Line", false},
        {"Option2_2", "Area", false}, {"Option2_3", "Step", false}, {"Option2_4", "Pie", false},
    };
    for (const Option& o : options) {
        auto* option = child<QRadioButton>(QLatin1String(o.name));
        EXPECT_EQ(option->text(), QLatin1String(o.caption));
        EXPECT_EQ(option->isChecked(), o.selected) << o.name;
    }
    const char* const tabs[5] = {"&Dataset", "&Options", "&Graphics", "&Notes", "&R Script"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(child<QPushButton>(QStringLiteral("CheckButton_%1").arg(i))->text(), QLatin1String(tabs[i]));
        EXPECT_NE(child<QFrame>(QStringLiteral("Frame9_%1").arg(i)), nullptr);
    }
    for (const char* name : {"FG2", "TxtEdit", "Label16", "Label18", "Label19", "Label22", "HScroll1", "HScroll2",
                             "List1", "Notes", "RFile", "ROutputList", "Frame5", "Frame6", "Frame7", "Command9",
                             "Command30", "Command2", "Command3", "Command11", "Command14", "Command12", "Command15",
                             "Command5", "Command1", "Command17", "Command8", "Command4", "Command23", "Command6",
                             "Command24", "Command10", "Command7", "Command28", "RGraph_0", "RGraph_1", "RGraph_2"})
        EXPECT_NE(window->findChild<QWidget*>(QLatin1String(name)), nullptr) << name;
    EXPECT_TRUE(child<QLabel>(QStringLiteral("Label16"))->isHidden());
    auto* list = child<QListWidget>(QStringLiteral("List1"));
    ASSERT_EQ(list->count(), 14);
    EXPECT_EQ(list->item(5)->text(), QStringLiteral("Expected Normal Residue"));
    EXPECT_FALSE(list->item(5)->isSelected());
    EXPECT_TRUE(list->item(12)->isSelected());
}

TEST_F(OptionPanels, PlotButtonsSayWhatTheyDo)
{
    struct Button { const char* name; const char* caption; const char* tooltip; };
    const Button buttons[] = {
        {"Command11", "Scatter", "Plot Y on X"},
        {"Command14", "Rank", "Plot ranks"},
        {"Command13", "Histo", "Plot histogram"},
        {"Command15", "", "Plot histogram"},           // the histogram panel's picture button
    };
    for (const Button& b : buttons) {
        auto* button = child<QPushButton>(QLatin1String(b.name));
        EXPECT_EQ(button->text(), QLatin1String(b.caption)) << b.name;
        EXPECT_EQ(button->toolTip(), QLatin1String(b.tooltip)) << b.name;
    }
    auto* picture = child<QPushButton>(QStringLiteral("Command15"));
    EXPECT_FALSE(picture->icon().isNull());
    EXPECT_EQ(picture->accessibleName(), QStringLiteral("Plot histogram"));
}

TEST_F(OptionPanels, TabStripKeepsExactlyOnePagePressed)
{
    auto* pages = window->findChild<QStackedWidget*>();
    auto* dataset = child<QPushButton>(QStringLiteral("CheckButton_0"));
    auto* options = child<QPushButton>(QStringLiteral("CheckButton_1"));
    EXPECT_TRUE(dataset->isChecked());
    EXPECT_EQ(pages->currentIndex(), 0);

    // Clicking the pressed button leaves it pressed and the page shown.
    dataset->click();
    EXPECT_TRUE(dataset->isChecked());
    EXPECT_EQ(pages->currentIndex(), 0);

    // "Options" releases "Dataset"; no limit box changes.
    options->click();
    EXPECT_TRUE(options->isChecked());
    EXPECT_FALSE(dataset->isChecked());
    EXPECT_EQ(pages->currentIndex(), 1);
    EXPECT_TRUE(box(2)->text().isEmpty());
    EXPECT_EQ(box(8)->text(), QStringLiteral("95"));

    for (int i : {2, 3, 4, 0}) {
        child<QPushButton>(QStringLiteral("CheckButton_%1").arg(i))->click();
        EXPECT_EQ(pages->currentIndex(), i);
        int pressed = 0;
        for (int j = 0; j < 5; ++j)
            pressed += child<QPushButton>(QStringLiteral("CheckButton_%1").arg(j))->isChecked() ? 1 : 0;
        EXPECT_EQ(pressed, 1);
    }
}

TEST_F(OptionPanels, DatasetPageFillsOnlyTheLimitBoxesThatHoldNothing)
{
    // Before any run (MeanY = 0): the empty limit boxes show the shared
    // limits; the confidence box keeps its 95, and the fills clear nothing.
    child<QPushButton>(QStringLiteral("CheckButton_1"))->click();
    child<QPushButton>(QStringLiteral("CheckButton_0"))->click();
    EXPECT_EQ(box(9)->text(), QStringLiteral("0.0000"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("0.0000"));
    EXPECT_EQ(box(2)->text(), QStringLiteral("0.0000"));
    EXPECT_EQ(box(3)->text(), QStringLiteral("0.0000"));
    EXPECT_EQ(box(4)->text(), QStringLiteral("-2.5000"));
    EXPECT_EQ(box(5)->text(), QStringLiteral("2.5000"));
    EXPECT_EQ(box(8)->text(), QStringLiteral("95"));

    // After a run with MeanY = 50: shared limits still 0 become +-10 %;
    // boxes that hold a value (typed, blanks aside, or not a number) keep
    // it, the empty ones and one of blanks show the shared value.
    window = std::make_unique<frmMain>();
    ProgramState& state = programState();
    state.MeanY = 50;
    state.DeviationConfidence = 0.9;
    box(2)->setText(QStringLiteral("-1,5"));
    box(5)->setText(QStringLiteral("  "));
    window->applyOption(DatasetFile::Option::DeviationLower, QStringLiteral("0"));
    window->applyOption(DatasetFile::Option::DeviationConfidence, QString());
    child<QPushButton>(QStringLiteral("CheckButton_1"))->click();
    child<QPushButton>(QStringLiteral("CheckButton_0"))->click();
    EXPECT_EQ(state.ResidualLower, -5);
    EXPECT_EQ(state.DeviationUpper, 5);
    EXPECT_EQ(box(9)->text(), QStringLiteral("0"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("5.0000"));
    EXPECT_EQ(box(2)->text(), QStringLiteral("-1,5"));
    EXPECT_EQ(box(3)->text(), QStringLiteral("5.0000"));
    EXPECT_EQ(box(4)->text(), QStringLiteral("-2.5000"));
    EXPECT_EQ(box(5)->text(), QStringLiteral("2.5000"));
    EXPECT_EQ(box(8)->text(), QStringLiteral("90.00"));
}

TEST_F(OptionPanels, PercentBands)
{
    ProgramState& state = programState();
    state.MeanY = 20;
    auto* band1 = child<QScrollBar>(QStringLiteral("HScroll1"));
    auto* band2 = child<QScrollBar>(QStringLiteral("HScroll2"));

    // The band clears the confidence box and shows both limits, as the
    // shared limits hold them.
    band1->setValue(10);
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label18"))->text(), QStringLiteral("10%"));
    EXPECT_EQ(state.DeviationLower, -2);
    EXPECT_EQ(state.DeviationUpper, 2);
    EXPECT_EQ(box(9)->text(), QStringLiteral("-2.0000"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("2.0000"));
    EXPECT_EQ(box(8)->text(), QStringLiteral("0"));

    band1->setValue(25);
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label18"))->text(), QStringLiteral("25%"));
    EXPECT_EQ(box(9)->text(), QStringLiteral("-5.0000"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("5.0000"));

    band2->setValue(10);
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label19"))->text(), QStringLiteral("10%"));
    EXPECT_EQ(state.ResidualLower, -2);
    EXPECT_EQ(state.ResidualUpper, 2);
    EXPECT_EQ(box(2)->text(), QStringLiteral("-2.0000"));
    EXPECT_EQ(box(3)->text(), QStringLiteral("2.0000"));
}

TEST_F(OptionPanels, TabReachesTheBandsAfterTheirLimits)
{
    ProgramState& state = programState();
    state.MeanY = 20;
    window->show();
    QApplication::setActiveWindow(window.get());
    child<QCheckBox>(QStringLiteral("Check6"))->setChecked(true);
    child<QPushButton>(QStringLiteral("CheckButton_2"))->click();

    // From the first limit box, Tab goes row by row: lower, upper, then the
    // row's "% of Obs" band, and on out of the limits.
    box(9)->setFocus(Qt::TabFocusReason);
    QStringList chain{box(9)->objectName()};
    for (int i = 0; i < 8; ++i) {
        key(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        chain << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(chain.join(QLatin1Char(' ')).toStdString(),
              "Text1_9 Text1_1 HScroll1 Text1_2 Text1_3 HScroll2 Text1_4 Text1_5 Check14");

    // The arrow keys move a band: Right widens it.
    auto* band = child<QScrollBar>(QStringLiteral("HScroll2"));
    band->setFocus(Qt::TabFocusReason);
    key(band, Qt::Key_Right);
    key(band, Qt::Key_Right);
    EXPECT_EQ(band->value(), 2);
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label19"))->text(), QStringLiteral("2%"));
    EXPECT_EQ(box(3)->text(), QStringLiteral("0.4000"));
}

TEST_F(OptionPanels, ConfidenceAndDeviationLimitsExcludeEachOther)
{
    // Typing into the confidence box of a fresh window keeps what is typed.
    box(8)->setText(QStringLiteral("9"));
    EXPECT_EQ(box(8)->text(), QStringLiteral("9"));
    EXPECT_EQ(box(9)->text(), QStringLiteral("0"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("0"));

    // From the boxes as the "Dataset" page leaves them.
    child<QPushButton>(QStringLiteral("CheckButton_1"))->click();
    child<QPushButton>(QStringLiteral("CheckButton_0"))->click();
    box(8)->setText(QStringLiteral("99"));
    EXPECT_EQ(box(9)->text(), QStringLiteral("0"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("0"));
    EXPECT_EQ(box(8)->text(), QStringLiteral("99"));
    box(1)->setText(QStringLiteral("3"));
    EXPECT_EQ(box(8)->text(), QStringLiteral("0"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("3"));
    box(9)->setText(QStringLiteral("-3"));
    EXPECT_EQ(box(8)->text(), QStringLiteral("0"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("3"));

    // A dataset's boxes are taken as it stores them: limits and a
    // confidence that a file holds both stay, whatever their order.
    window->applyOption(DatasetFile::Option::DeviationLower, QStringLiteral("-0.3"));
    window->applyOption(DatasetFile::Option::DeviationUpper, QStringLiteral("0.3"));
    window->applyOption(DatasetFile::Option::DeviationConfidence, QStringLiteral("95"));
    EXPECT_EQ(box(9)->text(), QStringLiteral("-0.3"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("0.3"));
    EXPECT_EQ(box(8)->text(), QStringLiteral("95"));
    // Typed afterwards, the rule holds again.
    box(8)->setText(QStringLiteral("90"));
    EXPECT_EQ(box(9)->text(), QStringLiteral("0"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("0"));
}

TEST_F(OptionPanels, BinCountAtLeastThreeWhenTheBoxLosesTheFocus)
{
    struct Case { const char* typed; const char* after; };
    const Case cases[] = {{"2", "3"}, {"", "3"}, {"abc", "3"}, {"12", "12"}, {"3", "3"}};
    for (const Case& c : cases) {
        box(14)->setText(QLatin1String(c.typed));
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(box(14), &out);
        EXPECT_EQ(box(14)->text(), QLatin1String(c.after)) << c.typed;
    }
}

TEST_F(OptionPanels, RegressionMethodAndFrameRules)
{
    QCheckBox* ignoreX = window->check(2);
    QCheckBox* ignoreY = window->check(3);
    EXPECT_FALSE(ignoreX->isEnabled());
    child<QRadioButton>(QStringLiteral("Option1_1"))->setChecked(true);
    EXPECT_TRUE(ignoreX->isEnabled());
    EXPECT_TRUE(ignoreY->isEnabled());
    ignoreX->setChecked(true);
    child<QRadioButton>(QStringLiteral("Option1_2"))->setChecked(true);
    EXPECT_FALSE(ignoreX->isEnabled());
    EXPECT_FALSE(ignoreY->isEnabled());
    EXPECT_TRUE(ignoreX->isChecked());       // the tick stays
    child<QRadioButton>(QStringLiteral("Option1_0"))->setChecked(true);
    EXPECT_FALSE(ignoreX->isEnabled());

    struct Rule { int check; const char* frame; bool enabledAtStart; };
    const Rule rules[] = {{5, "Frame6", true}, {24, "Frame7", false}, {6, "Frame5", false}};
    for (const Rule& r : rules) {
        auto* frame = child<QGroupBox>(QLatin1String(r.frame));
        EXPECT_EQ(frame->isEnabled(), r.enabledAtStart) << r.frame;
        window->check(r.check)->setChecked(!r.enabledAtStart);
        EXPECT_EQ(frame->isEnabled(), !r.enabledAtStart) << r.frame;
        window->check(r.check)->setChecked(r.enabledAtStart);
        EXPECT_EQ(frame->isEnabled(), r.enabledAtStart) << r.frame;
    }
    // Only one of the 2D and 3D graphs.
    window->check(41)->setChecked(true);
    EXPECT_FALSE(window->check(40)->isChecked());
    window->check(40)->setChecked(true);
    EXPECT_FALSE(window->check(41)->isChecked());
}

TEST_F(OptionPanels, NoSoundAndAlwaysOnTop)
{
    window->check(50)->setChecked(true);
    EXPECT_TRUE(programState().NoSoundFlag);
    window->check(50)->setChecked(false);
    EXPECT_FALSE(programState().NoSoundFlag);

    window->show();
    const QSize size = window->size();
    window->check(49)->setChecked(true);
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), size);
    window->check(49)->setChecked(false);
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(OptionPanels, StatusLineHidesAfterFiveSeconds)
{
    auto* status = child<QLabel>(QStringLiteral("Label16"));
    platform->clock.now = QTime(23, 59, 58);
    window->showStatusInfo(QStringLiteral("File loaded ..."));
    EXPECT_FALSE(status->isHidden());
    EXPECT_EQ(status->text(), QStringLiteral("File loaded ..."));
    auto* timer = window->findChild<QTimer*>(QStringLiteral("TimerInfo"));
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 500);

    platform->clock.now = QTime(0, 0, 2);       // 4 seconds, across midnight
    window->TimerInfo_Timer();
    EXPECT_FALSE(status->isHidden());
    platform->clock.now = QTime(0, 0, 3);
    window->TimerInfo_Timer();
    EXPECT_TRUE(status->isHidden());
    EXPECT_FALSE(timer->isActive());
}

TEST_F(OptionPanels, RScriptPageListsTemplatesOnceAndTheRPath)
{
    programState().DocumentsFolder = dir.path();
    QDir().mkpath(dir.filePath(QStringLiteral("KVE Files")));
    QDir().mkpath(dir.filePath(QStringLiteral("data")));
    for (const char* name : {"KVE Files/SingleCodeA.R", "KVE Files/SingleCodeB.R", "data/singlecodea.r",
                             "data/Other.R"}) {
        QFile f(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    programState().DataFileName = dir.filePath(QStringLiteral("data/trial.KVE"));
    // Nothing stored (a fresh HOME): the R folder is that of the Rscript on
    // the PATH, and the first template is chosen at once.
    SettingsStore::DeleteSetting(QStringLiteral("RDir"));
    child<QPushButton>(QStringLiteral("CheckButton_4"))->click();
    auto* templates = child<QComboBox>(QStringLiteral("RFile"));
    QStringList names;
    for (int i = 0; i < templates->count(); ++i)
        names << templates->itemText(i);
    // Each name once, spelled as in the first folder holding it; the
    // program's own template comes from the program's folder.
    EXPECT_EQ(names, QStringList({QStringLiteral("SingleCode1.R"), QStringLiteral("singlecodea.r"),
                                  QStringLiteral("SingleCodeB.R")}));
    EXPECT_EQ(templates->currentText(), QStringLiteral("SingleCode1.R"));
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("Rscript"));
    ASSERT_FALSE(onPath.isEmpty());
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label22"))->text(), QFileInfo(onPath).absolutePath() + QLatin1Char('/'));
    EXPECT_EQ(SettingsStore::GetSetting(QStringLiteral("RDir")), QString());
    const auto reshow = [this] {
        child<QPushButton>(QStringLiteral("CheckButton_0"))->click();
        child<QPushButton>(QStringLiteral("CheckButton_4"))->click();
        return child<QLabel>(QStringLiteral("Label22"))->text();
    };
    // No R anywhere: none.
    RProgram::search() = [](const QString&) { return QString(); };
    EXPECT_EQ(reshow(), QStringLiteral("R path not defined"));
    RProgram::search() = RProgram::defaultSearch;
    // A stored R folder shows when R's programs, Rscript and R, are in it.
    const QString rFolder = dir.filePath(QStringLiteral("R/bin/"));
    QDir().mkpath(rFolder);
    ASSERT_TRUE(SettingsStore::SaveSetting(QStringLiteral("RDir"), rFolder));
    EXPECT_EQ(reshow(), QStringLiteral("R path not defined"));
    for (const char* program : {"Rscript", "R"}) {
        QFile f(rFolder + QLatin1String(program));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        f.close();
        EXPECT_EQ(reshow(), program == std::string("R") ? rFolder : QStringLiteral("R path not defined"));
    }
    SettingsStore::DeleteSetting(QStringLiteral("RDir"));

    // The chosen template stays chosen over a refresh.
    templates->setCurrentIndex(templates->findText(QStringLiteral("SingleCodeB.R")));
    window->check(51)->setChecked(true);
    EXPECT_EQ(templates->currentText(), QStringLiteral("SingleCodeB.R"));
}
