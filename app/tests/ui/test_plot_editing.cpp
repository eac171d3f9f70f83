// The chart window's "Stats" box with its options window, and restyling a
// chart by activating its elements, offscreen with scripted dialogs.
#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "charts/chart_view.hpp"
#include "core/histogram.hpp"
#include "core/xy_plot.hpp"
#include "support/chart_pictures.hpp"
#include "support/scripted_platform_services.hpp"
#include "support/top_level_windows.hpp"
#include "ui/frm_main.hpp"
#include "ui/frm_plot.hpp"
#include "ui/frm_stat_opt.hpp"

namespace {

class PlotEditing : public ::testing::Test {
protected:
    void TearDown() override
    {
        frmStatOpt::modalScript() = nullptr;
        deleteTopLevelWindows();
    }
    frmPlot* newPlot(int points = 5)
    {
        frmPlot* window = frmMain::CreateXYPlot(runPlot(points));
        window->chart()->Refresh();
        return window;
    }
    static const ChartModel& chartOf(frmPlot* window) { return window->chart()->model(); }
    static QPushButton* statsBox(frmPlot* window) { return window->statsBox(); }
    const MessageRequest& lastMessage() const { return platform.messages.asked.back(); }

    QTemporaryDir dir;
    ScriptedPlatform platform{dir.path()};
};

// What the options window showed when it opened.
struct Opened {
    std::array<bool, 5> boxes;
    QColor colour;
    QString width;
};

Opened opened(const frmStatOpt& options)
{
    Opened o;
    for (int i = 0; i < 5; ++i)
        o.boxes[static_cast<std::size_t>(i)] = options.Check1(i)->isChecked();
    o.colour = options.statColor();
    o.width = options.lineWidthButton()->text();
    return o;
}

} // namespace

TEST_F(PlotEditing, StatsChosenInTheOptionsWindow)
{
    frmPlot* window = newPlot();
    const ChartStatLine& stat = chartOf(window).SeriesCollection(3).StatLine;
    std::vector<Opened> seen;

    // First time: all five ticked, RGB(128, 128, 255), width 2. No SD, a
    // red line 3.6 wide (rounded to 4).
    frmStatOpt::modalScript() = [&](frmStatOpt& options) {
        seen.push_back(opened(options));
        options.Check1(1)->setChecked(false);
        platform.inputBox.answers = {QStringLiteral("3.6")};
        options.cmdLineWidth_Click();
        platform.colorDialog.answers = {QColor(255, 0, 0)};
        options.cmdStatColor_Click();
        options.OKButton_Click();
    };
    statsBox(window)->click();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].boxes, (std::array<bool, 5>{true, true, true, true, true}));
    EXPECT_EQ(seen[0].colour, QColor(128, 128, 255));
    EXPECT_EQ(seen[0].width, QStringLiteral("2"));
    using S = ChartStatLine;
    EXPECT_EQ(stat.Flag, S::Mean | S::Minimum | S::Maximum | S::Trend);
    EXPECT_EQ(stat.VtColor, (ChartColor{255, 0, 0}));
    EXPECT_EQ(stat.Width, 4);
    const std::pair<int, int> styles[] = {{S::Mean, 2}, {S::StandardDeviation, 4}, {S::Minimum, 5},
                                          {S::Maximum, 5}, {S::Trend, 6}};
    for (const auto& [flag, style] : styles)
        EXPECT_EQ(stat.Style(flag), style) << flag;
    // The lines are drawn in their colour; unticking takes them away.
    EXPECT_GT(pixelsInImage(window->chart()->toImage(), Qt::red), 300);
    statsBox(window)->click();
    EXPECT_EQ(stat.Flag, 0);
    EXPECT_EQ(pixelsInImage(window->chart()->toImage(), Qt::red), 0);

    // Ticked again: the last choices; the close box unticks all five, so
    // no line is drawn although the box stays ticked.
    frmStatOpt::modalScript() = [&](frmStatOpt& options) {
        seen.push_back(opened(options));
        options.close();
    };
    statsBox(window)->click();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].boxes, (std::array<bool, 5>{true, false, true, true, true}));
    EXPECT_EQ(seen[1].colour, QColor(255, 0, 0));
    EXPECT_EQ(seen[1].width, QStringLiteral("4"));
    EXPECT_EQ(stat.Flag, 0);
    EXPECT_TRUE(statsBox(window)->isChecked());
    EXPECT_EQ(window->statChoices(), (std::array<bool, 5>{}));

    // Another window has its own choices in the one options window.
    frmStatOpt::modalScript() = [&](frmStatOpt& options) {
        seen.push_back(opened(options));
        options.OKButton_Click();
    };
    frmPlot* other = newPlot();
    statsBox(other)->click();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2].boxes, (std::array<bool, 5>{true, true, true, true, true}));
    EXPECT_EQ(seen[2].colour, QColor(128, 128, 255));
    EXPECT_EQ(chartOf(other).SeriesCollection(3).StatLine.Flag, 31);
    EXPECT_TRUE(platform.messages.asked.empty());

    // A chart without a third series: the choices are remembered, the
    // chart keeps its look, nothing is said.
    HistogramPlot histogram;
    histogram.x = {1, 2, 3};
    histogram.y = {1, 2, 3};
    histogram.Bins = 3;
    frmPlot* bars = frmMain::CreateHistogramPlot(histogram);
    frmStatOpt::modalScript() = [](frmStatOpt& options) {
        for (int i = 0; i < 5; ++i)
            options.Check1(i)->setChecked(i == 0);
        options.OKButton_Click();
    };
    statsBox(bars)->click();
    EXPECT_EQ(bars->statChoices(), (std::array<bool, 5>{true, false, false, false, false}));
    EXPECT_EQ(chartOf(bars).ColumnCount(), 2);
    EXPECT_TRUE(platform.messages.asked.empty());
}

TEST_F(PlotEditing, StatisticLineWidthAnswers)
{
    frmStatOpt* options = frmStatOpt::instance();
    struct Case { std::optional<QString> answer; const char* width; };
    const Case cases[] = {
        {QStringLiteral("0"), "2"},   {QStringLiteral("-3"), "2"},  {QStringLiteral("3.6"), "4"},
        {QStringLiteral("2.5"), "2"}, {QStringLiteral("7"), "7"},   {QStringLiteral(" 5 "), "5"},
        // No whole number: the width stays.
        {QString(), "3"}, {std::nullopt, "3"}, {QStringLiteral("wide"), "3"}, {QStringLiteral("1e9"), "3"},
    };
    for (const Case& c : cases) {
        options->lineWidthButton()->setText(QStringLiteral("3"));
        platform.inputBox.answers = {c.answer};
        options->cmdLineWidth_Click();
        EXPECT_EQ(options->lineWidthButton()->text(), QLatin1String(c.width)) << c.answer.value_or(QStringLiteral("(cancel)")).toStdString();
    }
    const InputBoxRequest& asked = platform.inputBox.asked.back();
    EXPECT_EQ(asked.prompt, QStringLiteral("What is the width of the statistic lines?"));
    EXPECT_EQ(asked.title, QStringLiteral("Statistics"));
    EXPECT_EQ(asked.defaultText, QStringLiteral("3"));

    // A cancelled colour dialog keeps the colour.
    options->setStatColor(QColor(10, 20, 30));
    options->cmdStatColor_Click();
    EXPECT_EQ(options->statColor(), QColor(10, 20, 30));
    EXPECT_EQ(platform.colorDialog.asked.back(), QColor(10, 20, 30));
}

TEST_F(PlotEditing, TextsAndFonts)
{
    frmPlot* window = newPlot();
    const ChartModel& chart = chartOf(window);
    const ChartFont titleFont = chart.Title.VtFont;

    // A new title, then its font.
    platform.inputBox.answers = {QStringLiteral("Agreement")};
    platform.fontDialog.answers = {FontChoice{QStringLiteral("DejaVu Serif"), 16, true, false}};
    window->chart()->activate({ChartElement::Kind::Title});
    ASSERT_EQ(platform.inputBox.asked.size(), 1u);
    EXPECT_EQ(platform.inputBox.asked[0].prompt, QStringLiteral("What is the label"));
    EXPECT_EQ(platform.inputBox.asked[0].title, QStringLiteral("Label"));
    EXPECT_EQ(platform.inputBox.asked[0].defaultText, QStringLiteral("Bland and Altman Analysis"));
    EXPECT_EQ(platform.fontDialog.asked.at(0), (FontChoice{titleFont.Name, titleFont.Size, false, false}));
    EXPECT_EQ(chart.Title.Text, QStringLiteral("Agreement"));
    EXPECT_EQ(chart.Title.VtFont, (ChartFont{QStringLiteral("DejaVu Serif"), 16, 1}));
    EXPECT_EQ(window->dialog().flags, 3);

    // Cancelling the prompt keeps the title and asks for no font; an empty
    // answer clears it, also without a font.
    window->Chart_TitleActivated();
    EXPECT_EQ(chart.Title.Text, QStringLiteral("Agreement"));
    platform.inputBox.answers = {QString()};
    window->Chart_TitleActivated();
    EXPECT_TRUE(chart.Title.Text.isEmpty());
    EXPECT_EQ(platform.fontDialog.asked.size(), 1u);

    // Font styles; a cancelled font dialog changes nothing.
    struct Style { bool bold, italic; int style; };
    for (const Style& s : {Style{false, false, 0}, Style{true, false, 1}, Style{false, true, 2}, Style{true, true, 3}}) {
        platform.inputBox.answers = {QStringLiteral("n = 5")};
        platform.fontDialog.answers = {FontChoice{QStringLiteral("Arial"), 9, s.bold, s.italic}};
        window->Chart_FootnoteActivated();
        EXPECT_EQ(chart.Footnote.VtFont.Style, s.style);
    }
    platform.inputBox.answers = {QStringLiteral("n =  5")};
    window->Chart_FootnoteActivated();
    EXPECT_EQ(chart.Footnote.Text, QStringLiteral("n =  5"));
    EXPECT_EQ(chart.Footnote.VtFont.Style, 3);
    EXPECT_TRUE(platform.messages.asked.empty());

    // Axis titles, and the X labels' font apart from the X title's.
    const ChartFont xTitleFont = chart.Axis(0).AxisTitle.VtFont;
    platform.inputBox.answers = {QStringLiteral("Mean of X and Y")};
    platform.fontDialog.answers = {FontChoice{QStringLiteral("Arial"), 11, false, true}};
    window->chart()->activate({ChartElement::Kind::AxisTitle, 1});
    EXPECT_EQ(chart.Axis(1).AxisTitle.Text, QStringLiteral("Mean of X and Y"));
    EXPECT_EQ(chart.Axis(1).AxisTitle.VtFont.Style, 2);
    platform.fontDialog.answers = {FontChoice{QStringLiteral("DejaVu Sans Mono"), 7, true, false}};
    window->chart()->activate({ChartElement::Kind::AxisLabel, 0, 1});
    EXPECT_EQ(chart.Axis(0).Labels(1), (ChartFont{QStringLiteral("DejaVu Sans Mono"), 7, 1}));
    EXPECT_EQ(chart.Axis(0).AxisTitle.VtFont, xTitleFont);

    // After a print through the printer setup a cancel is reported; the
    // new text stays, the font does not change.
    window->findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    platform.inputBox.answers = {QStringLiteral("Printed")};
    window->Chart_TitleActivated();
    EXPECT_EQ(chart.Title.Text, QStringLiteral("Printed"));
    EXPECT_EQ(chart.Title.VtFont, (ChartFont{QStringLiteral("DejaVu Serif"), 16, 1}));
    ASSERT_EQ(platform.messages.asked.size(), 1u);
    EXPECT_EQ(lastMessage().text, QStringLiteral("Cancel was selected."));
    EXPECT_EQ(lastMessage().title, QStringLiteral("Plot"));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Critical);
    // A label entry the axis does not have: the error in a box.
    window->Chart_AxisLabelActivated(0, 1, 1, 2);
    EXPECT_EQ(lastMessage().text, QStringLiteral("Subscript out of range"));
}

TEST_F(PlotEditing, StylesStepRound)
{
    frmPlot* window = newPlot();
    const ChartModel& chart = chartOf(window);
    // Grid lines 0 -> 1 (solid) ... 8 -> 0; only the axis activated.
    window->chart()->activate({ChartElement::Kind::Axis, 1});
    EXPECT_EQ(chart.Axis(1).GridPen.Style, 1);
    EXPECT_EQ(chart.Axis(0).GridPen.Style, 0);
    for (int i = 0; i < 8; ++i)
        window->Chart_AxisActivated(1, 1);
    EXPECT_EQ(chart.Axis(1).GridPen.Style, 0);
    // Frames 0 .. 4 and round again.
    for (int i = 0; i < 5; ++i) {
        window->chart()->activate({ChartElement::Kind::Chart});
        window->chart()->activate({ChartElement::Kind::Plot});
    }
    EXPECT_EQ(chart.Backdrop.FrameStyle, 0);
    EXPECT_EQ(chart.Plot.Backdrop.FrameStyle, 0);
    window->chart()->edit().Plot.Backdrop.FrameStyle = 4;
    window->Chart_PlotActivated();
    EXPECT_EQ(chart.Plot.Backdrop.FrameStyle, 0);
    window->Chart_ChartActivated();
    EXPECT_EQ(chart.Backdrop.FrameStyle, 1);
}

TEST_F(PlotEditing, SeriesColours)
{
    frmPlot* window = newPlot();
    const ChartSeries& points = chartOf(window).SeriesCollection(3);
    const ChartColor before = points.DataPoint.BrushFillColor;
    // Cancelled: nothing changes.
    window->chart()->activate({ChartElement::Kind::Series, 0, 1, 3});
    EXPECT_EQ(points.DataPoint.BrushFillColor, before);
    // An XY chart colours the points: fill, marker fill, marker outline.
    platform.colorDialog.answers = {QColor(255, 0, 0)};
    window->Chart_SeriesActivated(3);
    const ChartColor red{255, 0, 0};
    EXPECT_EQ(points.DataPoint.BrushFillColor, red);
    EXPECT_EQ(points.DataPoint.Marker.FillColor, red);
    EXPECT_EQ(points.DataPoint.Marker.Pen.VtColor, red);
    EXPECT_GT(pixelsInImage(window->chart()->toImage(), Qt::red), 30);

    // A line chart colours the line.
    HistogramPlot histogram;
    histogram.x = {1, 2, 3, 4};
    histogram.y = {2, 2, 3, 4};
    histogram.Bins = 3;
    histogram.ChartType = 2;
    frmPlot* lines = frmMain::CreateHistogramPlot(histogram);
    const ChartSeries& y = chartOf(lines).SeriesCollection(2);
    const ChartColor fill = y.DataPoint.BrushFillColor;
    platform.colorDialog.answers = {QColor(0, 200, 0)};
    lines->Chart_SeriesActivated(2);
    EXPECT_EQ(y.Pen.VtColor, (ChartColor{0, 200, 0}));
    EXPECT_EQ(y.DataPoint.BrushFillColor, fill);
    EXPECT_TRUE(platform.messages.asked.empty());
}

TEST_F(PlotEditing, PointReadout)
{
    // The run's four-column chart: the fifth data point (Row 5) is the
    // dataset's row 4, X 4 and Y 36.
    frmPlot* window = newPlot();
    const QPointF at = window->chart()->positionOf(3, 4, 36);
    window->chart()->activate(window->chart()->elementAt(at.toPoint()));
    ASSERT_EQ(platform.messages.asked.size(), 1u);
    EXPECT_EQ(lastMessage().text, QStringLiteral("Datapoint 4\r\nPred (X) =  4\r\nObs (Y) =  36"));
    EXPECT_EQ(lastMessage().title, QStringLiteral("Plot"));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Information);
    EXPECT_EQ(chartOf(window).Column(), 4);                // the cell stays where the readout left it
    EXPECT_EQ(chartOf(window).Row(), 5);

    struct Case { const char* name; std::function<void(ChartModel&)> change; int series, point; const char* text; };
    const Case cases[] = {
        // Row 1 holds nothing: both empty.
        {"empty cells", [](ChartModel&) {}, 3, 1, "Datapoint 0\r\nPred (X) = n/a\r\nObs (Y) = n/a"},
        // Three columns: no column 4.
        {"no column 4",
         [](ChartModel& chart) {
             PlotMatrix m(3, 3);
             m.set(1, 2, -2.5);
             chart.setChartData(m);
         },
         3, 2, "Datapoint 1\r\nPred (X) = -2.5\r\nObs (Y) = n/a"},
        // Any other chart type reads column 2.
        {"bars",
         [](ChartModel& chart) {
             chart.setChartTypeCode(1);
             PlotMatrix m(2, 2);
             m.set(1, 0, 3);
             m.set(1, 1, 0.25);
             chart.setChartData(m);
         },
         1, 2, "Datapoint 1\r\nPred (X) =  3\r\nObs (Y) =  0.25"},
        {"no such point", [](ChartModel&) {}, 1, 9, "Datapoint 8\r\nPred (X) = n/a\r\nObs (Y) = n/a"},
    };
    for (const Case& c : cases) {
        c.change(window->chart()->edit());
        window->Chart_PointActivated(c.series, c.point);
        EXPECT_EQ(lastMessage().text, QLatin1String(c.text)) << c.name;
    }
}
