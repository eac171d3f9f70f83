// "Histo" on the main window, offscreen: the histogram panel's rules, the
// chart windows the command opens (in order, each chart type drawn in its
// colours), the range text behind "Range", and the command's messages.
#include "window_fixture.hpp"

#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "charts/chart_view.hpp"
#include "core/histogram.hpp"
#include "support/chart_pictures.hpp"
#include "ui/frm_info.hpp"
#include "ui/frm_plot.hpp"

namespace {

// The chart windows in the order they were shown.
class ShowRecorder : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto* plot = qobject_cast<frmPlot*>(watched); plot && !shown.contains(plot))
                shown << plot;
            if (auto* info = qobject_cast<frmInfo*>(watched); info && !reports.contains(info)) {
                reports << info;
                plotsBeforeReport = shown.size();
            }
        }
        return false;
    }
    QList<QPointer<frmPlot>> shown;
    QList<QPointer<frmInfo>> reports;
    qsizetype plotsBeforeReport = -1;     // charts shown before the last report window
};

class HistogramWindows : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        qApp->installEventFilter(&recorder);
    }
    void TearDown() override
    {
        qApp->removeEventFilter(&recorder);
        WindowTest::TearDown();
    }
    // Rows 1..rows: X spread over 0..9, Y over the lower half of it.
    void fill(int rows)
    {
        for (int r = 1; r <= rows; ++r) {
            matrix().setNumber(DataMatrix::ColX, r, (r * 7) % 10);
            matrix().setNumber(DataMatrix::ColY, r, (r * 3) % 5 + 0.5);
        }
    }
    QRadioButton* option(const char* name) const { return child<QRadioButton>(QLatin1String(name)); }
    const ChartModel& chartOf(frmPlot* plot) const { return plot->chart()->model(); }

    ShowRecorder recorder;
};

} // namespace

TEST_F(HistogramWindows, SeparateWithTheDifferenceOpensThreeWindowsInOrder)
{
    fill(12);
    option("Option3_1")->click();                          // "Separate"
    window->check(42)->setChecked(true);                   // the difference too
    box(14)->setText(QStringLiteral("5"));
    child<QPushButton>(QStringLiteral("Command13"))->click();

    ASSERT_EQ(recorder.shown.size(), 3);
    EXPECT_TRUE(platform->messages.asked.empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    const char* const titles[3] = {"Histogram of X", "Histogram of Y", "Histogram of X - Y"};
    for (int i = 0; i < 3; ++i) {
        frmPlot* plot = recorder.shown[i];
        ASSERT_NE(plot, nullptr);
        EXPECT_EQ(chartOf(plot).Title.Text, QLatin1String(titles[i]));
        EXPECT_EQ(plot->windowTitle(), QStringLiteral("Plot - Histogram"));
        EXPECT_EQ(chartOf(plot).RowCount(), 5);
        // "Range" instead of the marker scroll bars and the "Stats" box.
        EXPECT_TRUE(plot->infoButton()->isVisible());
        EXPECT_EQ(plot->infoButton()->text(), QStringLiteral("Range"));
        EXPECT_TRUE(plot->infoTag().startsWith(QStringLiteral("Histogram Range:\r\n\r\nR01 = [")));
        EXPECT_FALSE(plot->styleScrollBar()->isVisible());
        EXPECT_FALSE(plot->sizeScrollBar()->isVisible());
        EXPECT_FALSE(plot->statsBox()->isVisible());
    }
    EXPECT_EQ(chartOf(recorder.shown[1]).drawnSeries(), (std::vector<int>{2}));
    // The difference chart keeps the X legend and footnote, in green.
    const ChartModel& difference = chartOf(recorder.shown[2]);
    EXPECT_EQ(difference.SeriesCollection(1).LegendText, QStringLiteral("X"));
    EXPECT_TRUE(difference.Footnote.Text.startsWith(QStringLiteral("P(X ~ Normal) = ")));
    EXPECT_EQ(difference.SeriesCollection(1).DataPoint.BrushFillColor, (ChartColor{0, 255, 64}));

    // "Range" shows the bins' text in a results window.
    recorder.shown[0]->infoButton()->click();
    frmInfo* info = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* i = qobject_cast<frmInfo*>(w))
            info = i;
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->text(), recorder.shown[0]->infoTag());

    // "Together" (the panel's "Plot" button): one chart of both.
    recorder.shown.clear();
    option("Option3_0")->click();
    window->check(42)->setChecked(false);
    child<QPushButton>(QStringLiteral("Command15"))->click();
    ASSERT_EQ(recorder.shown.size(), 1);
    EXPECT_EQ(chartOf(recorder.shown[0]).Title.Text, QStringLiteral("Histogram of X and Y"));
    EXPECT_EQ(chartOf(recorder.shown[0]).drawnSeries(), (std::vector<int>{1, 2}));
}

TEST_F(HistogramWindows, EveryChartTypeDrawsInItsColours)
{
    fill(20);
    const QColor orange(255, 128, 0);
    const QColor blue(0, 128, 192);
    struct Case { bool threeD; const char* type; ChartType code; };
    const Case cases[] = {
        {false, "Option2_0", ChartType::Bar2D},  {false, "Option2_1", ChartType::Line2D},
        {false, "Option2_2", ChartType::Area2D}, {false, "Option2_3", ChartType::Step2D},
        {false, "Option2_4", ChartType::Pie2D},  {true, "Option2_0", ChartType::Bar3D},
        {true, "Option2_1", ChartType::Line3D},  {true, "Option2_2", ChartType::Area3D},
        {true, "Option2_3", ChartType::Step3D},
    };
    for (const Case& c : cases) {
        window->check(c.threeD ? 41 : 40)->setChecked(true);
        option(c.type)->setChecked(true);
        recorder.shown.clear();
        window->Command13_Click();
        ASSERT_EQ(recorder.shown.size(), 1) << c.type << c.threeD;
        frmPlot* plot = recorder.shown[0];
        EXPECT_EQ(chartOf(plot).chartType(), c.code) << c.type << c.threeD;
        const QImage image = plot->chart()->toImage();
        EXPECT_GT(pixelsOfHue(image, orange), 40) << c.type << c.threeD;
        EXPECT_GT(pixelsOfHue(image, blue), 40) << c.type << c.threeD;
        plot->close();
    }
    EXPECT_TRUE(platform->messages.asked.empty());
}

TEST_F(HistogramWindows, MessagesInsteadOfCharts)
{
    struct Case {
        const char* name;
        std::function<void()> setUp;
        const char* text;
        const char* title;
    };
    const Case cases[] = {
        {"two rows", [&] { fill(2); }, "Not enough data points to generate a plot", ""},
        {"every row excluded",
         [&] {
             fill(4);
             for (int r = 1; r <= 4; ++r)
                 matrix().setText(DataMatrix::ColExclude, r, QStringLiteral("Y"));
         },
         "No data points left to plot", "Histogram"},
        // A dataset file may carry a bin count below the panel's 3.
        {"no bins",
         [&] {
             fill(4);
             box(14)->setText(QStringLiteral("0"));
         },
         "The number of bins must be at least 1.", "Histogram"},
        {"letters for Y",
         [&] {
             fill(4);
             matrix().setText(DataMatrix::ColY, 2, QStringLiteral("n.a."));
         },
         "Row 2: Y (Obs) is not a number: n.a.", "Histogram"},
    };
    for (const Case& c : cases) {
        matrix().clear();
        box(14)->setText(QStringLiteral("10"));
        c.setUp();
        platform->messages.asked.clear();
        window->Command13_Click();
        EXPECT_TRUE(recorder.shown.isEmpty()) << c.name;
        ASSERT_EQ(platform->messages.asked.size(), 1u) << c.name;
        const MessageRequest& m = platform->messages.asked.back();
        EXPECT_EQ(m.text, QLatin1String(c.text)) << c.name;
        EXPECT_EQ(m.title, QLatin1String(c.title)) << c.name;
        EXPECT_EQ(m.icon, MsgIcon::Critical) << c.name;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.name;
    }

    // Neither histogram ticked: nothing at all.
    matrix().clear();
    fill(5);
    platform->messages.asked.clear();
    window->check(37)->setChecked(false);
    window->Command13_Click();
    EXPECT_TRUE(recorder.shown.isEmpty());
    EXPECT_TRUE(platform->messages.asked.empty());
}

TEST_F(HistogramWindows, TheRunDrawsThemBeforeItsReport)
{
    // "Histogram plots" ticked: "Calculate" opens the panel's charts (here
    // X, Y and X - Y apart) before the report window; unticked, none.
    fill(8);
    option("Option3_1")->click();
    window->check(42)->setChecked(true);
    window->check(CheckBox::HistogramPlots)->setChecked(true);
    window->Command6_Click();
    ASSERT_EQ(recorder.reports.size(), 1);
    EXPECT_EQ(recorder.plotsBeforeReport, 3);
    ASSERT_EQ(recorder.shown.size(), 3);
    EXPECT_EQ(chartOf(recorder.shown[2]).Title.Text, QStringLiteral("Histogram of X - Y"));
    EXPECT_TRUE(platform->messages.asked.empty());

    recorder.shown.clear();
    window->check(CheckBox::HistogramPlots)->setChecked(false);
    window->Command6_Click();
    EXPECT_EQ(recorder.reports.size(), 2);
    EXPECT_TRUE(recorder.shown.isEmpty());
}

TEST_F(HistogramWindows, PanelRules)
{
    QCheckBox* xy = window->check(37);
    QCheckBox* difference = window->check(42);
    QCheckBox* absolute = window->check(43);
    QCheckBox* flat = window->check(40);
    QCheckBox* deep = window->check(41);
    QRadioButton* bar = option("Option2_0");
    QRadioButton* pie = option("Option2_4");
    EXPECT_TRUE(option("Option3_0")->isEnabled());
    EXPECT_FALSE(absolute->isEnabled());
    EXPECT_TRUE(pie->isEnabled());

    // "Plot Y and X" enables "Together" and "Separate"; a grey box counts
    // as unticked. Their choice stays.
    option("Option3_1")->setChecked(true);
    xy->setCheckState(Qt::PartiallyChecked);
    EXPECT_FALSE(option("Option3_0")->isEnabled());
    EXPECT_FALSE(option("Option3_1")->isEnabled());
    EXPECT_TRUE(option("Option3_1")->isChecked());
    xy->setCheckState(Qt::Checked);
    EXPECT_TRUE(option("Option3_1")->isEnabled());

    difference->setChecked(true);
    EXPECT_TRUE(absolute->isEnabled());
    absolute->setChecked(true);
    difference->setChecked(false);
    EXPECT_FALSE(absolute->isEnabled());
    EXPECT_TRUE(absolute->isChecked());

    // "3D Graph" moves a pie to bars and disables the pie; "2D Graph"
    // enables it again without choosing it.
    pie->setChecked(true);
    deep->setChecked(true);
    EXPECT_FALSE(flat->isChecked());
    EXPECT_TRUE(bar->isChecked());
    EXPECT_FALSE(pie->isEnabled());
    flat->setChecked(true);
    EXPECT_FALSE(deep->isChecked());
    EXPECT_TRUE(pie->isEnabled());
    EXPECT_TRUE(bar->isChecked());
    // Unticking by hand leaves both unticked.
    flat->setChecked(false);
    EXPECT_FALSE(flat->isChecked());
    EXPECT_FALSE(deep->isChecked());
}
