// The random-data generator window: checks and messages, the question
// before clearing, and the dataset it leaves in the main window's sheet.

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

#include "core/random_source.hpp"
#include "support/scripted_platform_services.hpp"
#include "ui/flex_grid.hpp"
#include "ui/frm_main.hpp"
#include "ui/frm_rnd.hpp"
#include "window_fixture.hpp"
#include "../core/sample_statistics.hpp"

namespace {

class FrmRndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        main.show();
        main.Command12_Click();              // the "Random" button
        rnd = frmRND::existing();
        ASSERT_NE(rnd, nullptr);
        rnd->makeRandomSource = [] { return std::make_unique<SeededRandomSource>(20261210); };
    }
    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<frmPlot*>(w))
                delete w;
    }
    // The scatter plots shown, by the main window's "Scatter".
    int plots() const { return int(charts.titles.count(QStringLiteral("Observed vs Model-Predicted"))); }

    QLineEdit* box(int index) { return rnd->findChild<QLineEdit*>(QStringLiteral("Text1_%1").arg(index)); }
    QCheckBox* check(int number) { return rnd->findChild<QCheckBox*>(QStringLiteral("Check%1").arg(number)); }
    QRadioButton* option(int index) { return rnd->findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(index)); }
    void execute() { rnd->findChild<QPushButton*>(QStringLiteral("Command1"))->click(); }

    void setInputs(const QString& meanY, const QString& varY, const QString& meanX, const QString& varX,
                   const QString& r, const QString& n)
    {
        const QString texts[] = {meanY, varY, meanX, varX, r, n};
        for (int i = 0; i < 6; ++i)
            box(i)->setText(texts[i]);
    }

    // An old dataset in every cell of the 19 rows a window starts with:
    // numbers, SDs, ranks and exclusion marks.
    void fillOldDataset()
    {
        for (int r = 1; r < main.grid()->rows(); ++r) {
            for (int c = 1; c <= 6; ++c) {
                main.dataMatrix().setNumber(c, r, 100.0 * r + c);
                main.MatrixTOGrid(r, c);
            }
            main.dataMatrix().setText(DataMatrix::ColExclude, r, QStringLiteral("Y"));
            main.MatrixTOGrid(r, DataMatrix::ColExclude);
        }
    }

    QTemporaryDir pdfFolder;
    ScriptedPlatform platform{pdfFolder.path()};
    frmMain main;
    frmRND* rnd = nullptr;
    ShownCharts charts;
};

// The X and Y columns of the sheet after a generation, read from the matrix.
std::vector<double> column(frmMain& main, int col)
{
    std::vector<double> v;
    for (int r = 1; r < main.grid()->rows(); ++r)
        v.push_back(main.dataMatrix().cell(col, r).number());
    return v;
}

} // namespace

TEST_F(FrmRndTest, OpensWithItsDefaults)
{
    EXPECT_TRUE(rnd->isVisible());
    EXPECT_EQ(rnd->windowTitle(), QStringLiteral("Random Generator"));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(box(i)->text(), QString()) << i;
    EXPECT_EQ(box(4)->text(), QStringLiteral("0.5"));
    EXPECT_EQ(box(5)->text(), QStringLiteral("500"));
    EXPECT_TRUE(option(2)->isChecked());
    EXPECT_EQ(option(2)->text(), QStringLiteral("Varnholt"));
    EXPECT_EQ(option(0)->text(), QStringLiteral("Frank copula"));
    EXPECT_EQ(option(1)->text(), QStringLiteral("Clayton copula"));
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(check(i)->isChecked()) << i;
}

TEST_F(FrmRndTest, EachMethodFillsTheSheetWithPlausiblePairs)
{
    // A new user's try: 500 points, r = 0.8, for each method, over a sheet
    // that held a complete old dataset.
    struct Case {
        int option;
        const char* what;
    };
    const Case cases[] = {{2, "Varnholt"}, {0, "Frank"}, {1, "Clayton"}};
    for (const Case& c : cases) {
        fillOldDataset();
        charts.titles.clear();
        main.grid()->setRows(20);
        main.dataMatrix().resize(20);
        rnd->show();
        option(c.option)->setChecked(true);
        setInputs("12", "9", "10", "4", "0.8", "500");
        execute();

        EXPECT_TRUE(platform.messages.asked.empty()) << c.what;
        EXPECT_EQ(main.text1(0)->text(), QStringLiteral(" 500")) << c.what;
        ASSERT_EQ(main.grid()->rows(), 501) << c.what;
        ASSERT_EQ(main.dataMatrix().upperRow(), 501) << c.what;
        EXPECT_EQ(plots(), 1) << c.what;
        EXPECT_FALSE(rnd->isVisible()) << c.what;

        for (int r = 1; r <= 500; ++r) {
            ASSERT_EQ(main.grid()->textMatrix(r, 0), QStringLiteral(" %1").arg(r)) << c.what;
            for (int col : {DataMatrix::ColX, DataMatrix::ColY}) {
                const DataCell& cell = main.dataMatrix().cell(col, r);
                ASSERT_TRUE(cell.isNumber()) << c.what << " row " << r;
                // "##.#000": four decimals.
                const QString shown = main.grid()->textMatrix(r, col);
                ASSERT_NEAR(shown.toDouble(), cell.number(), 0.5e-4 + 1e-12)
                    << c.what << " row " << r << " shows " << shown.toStdString();
            }
            // Nothing of the old dataset is left, in the matrix or on screen.
            for (int col : {DataMatrix::ColSDX, DataMatrix::ColSDY, DataMatrix::ColRankX,
                            DataMatrix::ColRankY, DataMatrix::ColExclude}) {
                ASSERT_TRUE(main.dataMatrix().isMissing(col, r)) << c.what << " row " << r << " col " << col;
                ASSERT_EQ(main.grid()->textMatrix(r, col), QString()) << c.what << " row " << r << " col " << col;
            }
        }
        for (int col = 1; col < DataMatrix::Columns; ++col)
            EXPECT_TRUE(main.dataMatrix().cell(col, 501).isEmpty()) << c.what << " spare row";

        // Means within four standard errors (SD 2 and 3 over sqrt(500)).
        // Every method gives the columns Pearson's correlation 0.8: within
        // four standard deviations of the sample r at n = 500, which
        // simulations put at about 0.016 for the straight line and Frank and
        // 0.019 for Clayton (the copulas' dependence is not that of a normal
        // pair): 0.08. The core's tests check the correlation closely.
        const std::vector<double> x = column(main, DataMatrix::ColX);
        const std::vector<double> y = column(main, DataMatrix::ColY);
        EXPECT_NEAR(SampleStatistics::mean(x), 10.0, 4.0 * 2.0 / std::sqrt(500.0)) << c.what;
        EXPECT_NEAR(SampleStatistics::mean(y), 12.0, 4.0 * 3.0 / std::sqrt(500.0)) << c.what;
        EXPECT_NEAR(SampleStatistics::correlation(x, y), 0.8, 0.08) << c.what;
    }
}

TEST_F(FrmRndTest, FailedChecksShowTheirMessageAndChangeNothing)
{
    struct Case {
        const char* count;
        const char* r;
        const char* variance;
        const char* message;
    };
    const Case cases[] = {
        {"2", "0.5", "4", "Number of data points cannot be less than 3"},
        {"2.5", "0.5", "4", "Number of data points cannot be less than 3"},
        {"1000001", "0.5", "4", "Number of data points cannot be more than 1,000,000"},
        {"500", "-0.1", "4", "Correlation has to be between o and 1"},
        {"500", "1.2", "4", "Correlation has to be between o and 1"},
        {"500", "0.5", "0", "Variance cannot be negative or zero"},
        {"500", "0.5", "-1", "Variance cannot be negative or zero"},
        {"500", "0.5", "", "Variance cannot be negative or zero"},
        {"500", "0.5", "1e-320",
         "Variance of Predicted (X): \"1e-320\" is too small; the smallest variance is 2.2250738585072014e-308"},
    };
    fillOldDataset();
    const DataMatrix before = main.dataMatrix();
    const QString countBox = main.text1(0)->text();
    for (const Case& c : cases) {
        platform.messages.asked.clear();
        setInputs("12", "9", "10", QLatin1String(c.variance), QLatin1String(c.r), QLatin1String(c.count));
        execute();
        ASSERT_EQ(platform.messages.asked.size(), 1u) << c.message;
        EXPECT_EQ(platform.messages.asked[0].text, QLatin1String(c.message));
        EXPECT_EQ(platform.messages.asked[0].icon, MsgIcon::Critical) << c.message;
        EXPECT_EQ(platform.messages.asked[0].title, QString()) << c.message;
        EXPECT_TRUE(main.dataMatrix() == before) << c.message;
        EXPECT_EQ(main.grid()->rows(), 20) << c.message;
        EXPECT_EQ(main.text1(0)->text(), countBox) << c.message;
        EXPECT_EQ(main.grid()->textMatrix(1, DataMatrix::ColExclude), QStringLiteral("Y")) << c.message;
        EXPECT_TRUE(rnd->isVisible()) << c.message;
    }
    EXPECT_EQ(plots(), 0);
}

TEST_F(FrmRndTest, WithoutOverwriteAQuestionGuardsAnExistingDataset)
{
    check(1)->setChecked(false);
    setInputs("0", "1", "0", "1", "0.5", "3");
    fillOldDataset();
    const DataMatrix before = main.dataMatrix();

    platform.messages.answers = {MsgAnswer::No};
    execute();
    ASSERT_EQ(platform.messages.asked.size(), 1u);
    EXPECT_EQ(platform.messages.asked[0].text, QStringLiteral("Do you want clear the dataset?"));
    EXPECT_EQ(platform.messages.asked[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(platform.messages.asked[0].icon, MsgIcon::None);
    EXPECT_TRUE(main.dataMatrix() == before);
    EXPECT_EQ(main.grid()->rows(), 20);
    EXPECT_EQ(plots(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    platform.messages.answers = {MsgAnswer::Yes};
    execute();
    EXPECT_EQ(platform.messages.asked.size(), 2u);
    EXPECT_EQ(main.grid()->rows(), 4);
    EXPECT_EQ(main.text1(0)->text(), QStringLiteral(" 3"));
    EXPECT_TRUE(main.dataMatrix().cell(DataMatrix::ColX, 1).isNumber());
    EXPECT_EQ(plots(), 1);

    // An empty first X cell replaces the dataset without a question.
    main.dataMatrix().setText(DataMatrix::ColX, 1, QString());
    rnd->show();
    execute();
    EXPECT_EQ(platform.messages.asked.size(), 2u);
    EXPECT_TRUE(main.dataMatrix().cell(DataMatrix::ColX, 1).isNumber());
}

TEST_F(FrmRndTest, PlotAndCloseFollowTheirBoxesAndReturnKeepsTheInputs)
{
    check(2)->setChecked(false);
    check(3)->setChecked(false);
    setInputs("-5", "2", "-7", "3", "1", "3");
    execute();
    EXPECT_TRUE(platform.messages.asked.empty());
    EXPECT_EQ(plots(), 0);
    EXPECT_TRUE(rnd->isVisible());
    EXPECT_EQ(main.grid()->rows(), 4);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    rnd->findChild<QPushButton*>(QStringLiteral("Command2"))->click();   // "Return"
    EXPECT_FALSE(rnd->isVisible());
    main.Command12_Click();
    EXPECT_EQ(frmRND::existing(), rnd);
    EXPECT_TRUE(rnd->isVisible());
    EXPECT_EQ(box(0)->text(), QStringLiteral("-5"));
    EXPECT_EQ(box(4)->text(), QStringLiteral("1"));
}
