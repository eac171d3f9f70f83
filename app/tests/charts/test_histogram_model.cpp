// What the histogram builder puts into the chart, without a display: title
// and footnote with their fonts, the chart type, the bins as data, the
// series' legends and colours, the axes.
#include <gtest/gtest.h>

#include "charts/histogram_chart.hpp"

namespace {

HistogramPlot histogram(bool showX, bool showY, int chartD, int chartType)
{
    HistogramPlot p;
    p.x = {0, 1, 2, 3, 4};
    p.y = {4, 4, 3, 3, 2};
    p.Bins = 4;
    p.TitleText = QStringLiteral("Histogram of X and Y");
    p.ShowX = showX;
    p.ShowY = showY;
    p.ChartD = chartD;
    p.ChartType = chartType;
    p.XColor = {255, 128, 0};
    p.YColor = {0, 128, 192};
    return p;
}

ChartModel filled(const HistogramPlot& p)
{
    ChartModel chart;
    fillHistogramChart(chart, p, *computeHistogram(p));
    return chart;
}

const ChartColor Orange{255, 128, 0};
const ChartColor Blue{0, 128, 192};

} // namespace

TEST(HistogramChart, BothSeriesAsBars)
{
    const ChartModel chart = filled(histogram(true, true, 1, 1));
    EXPECT_EQ(chart.chartType(), ChartType::Bar2D);
    EXPECT_EQ(chart.Title.Text, QStringLiteral("Histogram of X and Y"));
    EXPECT_EQ(chart.Title.VtFont, (ChartFont{QStringLiteral("Arial"), 12, 0}));
    EXPECT_TRUE(chart.Footnote.Text.startsWith(QStringLiteral("P(X ~ Normal) = ")));
    EXPECT_EQ(chart.Footnote.VtFont.Size, 8);
    // The grid holds the bins: 4 rows, both series.
    EXPECT_EQ(chart.RowCount(), 4);
    EXPECT_EQ(chart.ColumnCount(), 2);
    EXPECT_EQ(chart.columnLabel(1), QStringLiteral("X"));
    EXPECT_EQ(chart.columnLabel(2), QStringLiteral("Y"));
    EXPECT_EQ(chart.ChartData().at(3, 0), 2.0);            // 3 and 4 in the last bin
    EXPECT_EQ(chart.ChartData().at(3, 1), 4.0);            // Y: the 2 in bin 3, the rest in bin 4
    EXPECT_EQ(chart.drawnSeries(), (std::vector<int>{1, 2}));
    for (int s = 1; s <= 2; ++s) {
        const ChartSeries& series = chart.SeriesCollection(s);
        EXPECT_EQ(series.LegendText, s == 1 ? QStringLiteral("X") : QStringLiteral("Y"));
        EXPECT_EQ(series.DataPoint.BrushFillColor, s == 1 ? Orange : Blue);
        EXPECT_EQ(series.DataPoint.Marker.FillColor, s == 1 ? Orange : Blue);
        EXPECT_EQ(series.DataPoint.Marker.Pen.VtColor, s == 1 ? Orange : Blue);
        EXPECT_FALSE(chart.drawsMarkers(s));
        EXPECT_EQ(series.Pen.Style, 1);
    }
    EXPECT_EQ(chart.Axis(0).AxisTitle.Text, QStringLiteral("Bins"));
    EXPECT_EQ(chart.Axis(1).AxisTitle.Text, QStringLiteral("Frequency, #"));
    for (int id = 0; id < 2; ++id) {
        EXPECT_EQ(chart.Axis(id).AxisTitle.VtFont, (ChartFont{QStringLiteral("Arial"), 10, 0}));
        EXPECT_EQ(chart.Axis(id).Labels(1), (ChartFont{QStringLiteral("Arial"), 10, 0}));
        EXPECT_TRUE(chart.Axis(id).ValueScale.Auto);
    }
    EXPECT_EQ(chart.Plot.WallPen.Style, 0);
}

TEST(HistogramChart, OneSeriesShown)
{
    // Only Y: the grid still holds two columns, X's of zeros and left out.
    const ChartModel onlyY = filled(histogram(false, true, 1, 1));
    EXPECT_EQ(onlyY.ColumnCount(), 2);
    EXPECT_EQ(onlyY.columnLabel(1), QStringLiteral("Y"));
    EXPECT_EQ(onlyY.ChartData().at(0, 0), 0.0);
    EXPECT_TRUE(onlyY.SeriesCollection(1).Excluded);
    EXPECT_EQ(onlyY.drawnSeries(), (std::vector<int>{2}));
    EXPECT_EQ(onlyY.SeriesCollection(2).LegendText, QStringLiteral("Y"));
    EXPECT_TRUE(onlyY.Footnote.Text.startsWith(QStringLiteral("P(Y ~ Normal)=")));

    const ChartModel onlyX = filled(histogram(true, false, 1, 1));
    EXPECT_EQ(onlyX.drawnSeries(), (std::vector<int>{1}));
    EXPECT_TRUE(onlyX.SeriesCollection(2).Excluded);
}

TEST(HistogramChart, TypesAndTheirColours)
{
    struct Case { int chartD, chartType; ChartType type; bool lineColoured; };
    const Case cases[] = {
        {1, 1, ChartType::Bar2D, false}, {1, 2, ChartType::Line2D, true}, {1, 3, ChartType::Area2D, false},
        {1, 4, ChartType::Step2D, false}, {1, 5, ChartType::Pie2D, false}, {2, 1, ChartType::Bar3D, false},
        // The three-dimensional line colours its points, not its line.
        {2, 2, ChartType::Line3D, false}, {2, 3, ChartType::Area3D, false}, {2, 4, ChartType::Step3D, false},
    };
    for (const Case& c : cases) {
        const ChartModel chart = filled(histogram(true, true, c.chartD, c.chartType));
        EXPECT_EQ(chart.chartType(), c.type) << c.chartD << " " << c.chartType;
        const ChartSeries& x = chart.SeriesCollection(1);
        EXPECT_EQ(x.Pen.VtColor == Orange, c.lineColoured) << c.chartD << " " << c.chartType;
        EXPECT_EQ(x.DataPoint.BrushFillColor == Orange, !c.lineColoured) << c.chartD << " " << c.chartType;
        if (c.lineColoured) {
            EXPECT_TRUE(chart.drawsLine(1));
        }
    }

    // Accumulated percentages on the frequency axis.
    HistogramPlot p = histogram(true, true, 1, 1);
    p.Accumulated = true;
    p.Percentage = true;
    EXPECT_EQ(filled(p).Axis(1).AxisTitle.Text, QStringLiteral("Accumulated Frequency, %"));
    p.Accumulated = false;
    EXPECT_EQ(filled(p).Axis(1).AxisTitle.Text, QStringLiteral("Frequency, %"));
}
