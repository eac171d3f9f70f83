// The chart model without a display: its data grid and series, the
// automatic scales, the statistic-line values, and what the XY chart
// builder's chart steps put into it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "SumtrixLib/Runtime.hpp"
#include "support/runtime_errors.hpp"
#include "charts/chart_model.hpp"
#include "charts/xy_chart.hpp"

namespace {

// A points matrix of the evaluation run's kind (columns 0..3): the points
// (x, y) in series 3, their X in column 1.
XYPlot runPlot(const std::vector<std::pair<double, double>>& points)
{
    XYPlot plot;
    plot.PlotData = PlotMatrix(static_cast<int>(points.size()) + 1, 4);
    int r = 1;
    for (const auto& [x, y] : points) {
        plot.PlotData.set(r, 1, x);
        plot.PlotData.set(r, 2, x);
        plot.PlotData.set(r, 3, y);
        ++r;
    }
    plot.n = static_cast<int>(points.size());
    plot.Cols = 3;
    plot.TitleText = QStringLiteral("Residue vs Regression-Predicted");
    plot.FootnoteTitle = pointCountFootnote(plot.n);
    return plot;
}

} // namespace

TEST(ChartModel, GridAddressingAndSeries)
{
    ChartModel chart;
    EXPECT_EQ(chart.chartType(), ChartType::XY2D);
    EXPECT_EQ(chart.ColumnCount(), 4);            // the first series exist before any data

    // A builder's counts give way to the matrix it hands over.
    chart.setRowCount(3);
    chart.setColumnCount(1);
    PlotMatrix data(10, 2);
    data.set(0, 0, 1.5);
    data.set(9, 1, -2);
    chart.setChartData(data);
    EXPECT_EQ(chart.RowCount(), 10);
    EXPECT_EQ(chart.ColumnCount(), 2);

    // Row and Column count from 1.
    chart.setRow(1);
    chart.setColumn(1);
    EXPECT_EQ(chart.Data(), 1.5);
    chart.setRow(10);
    chart.setColumn(2);
    EXPECT_EQ(chart.Data(), -2.0);
    chart.setColumnLabel(QStringLiteral("Y"));
    EXPECT_EQ(chart.columnLabel(2), QStringLiteral("Y"));
    EXPECT_EQ(chart.rowLabel(3), QStringLiteral("R3"));

    // Series 3 does not exist with two columns; series keep their settings
    // while their column stays.
    chart.SeriesCollection(2).LegendText = QStringLiteral("kept");
    EXPECT_EQ(errorNumber([&] { chart.SeriesCollection(3); }), SumtrixLib::ErrSubscript);
    chart.setColumnCount(8);
    EXPECT_EQ(chart.SeriesCollection(2).LegendText, QStringLiteral("kept"));
    EXPECT_NO_THROW(chart.SeriesCollection(8));

    struct Bad { const char* what; std::function<void()> step; int number; };
    const Bad bad[] = {
        {"row 0", [&] { chart.setRow(0); }, SumtrixLib::ErrSubscript},
        {"column beyond the grid", [&] { chart.setColumn(9); }, SumtrixLib::ErrSubscript},
        {"axis 2", [&] { chart.Axis(2); }, SumtrixLib::ErrSubscript},
        {"label entry 2", [&] { chart.Axis(0).Labels(2); }, SumtrixLib::ErrSubscript},
        {"chart type 9", [&] { chart.setChartTypeCode(9); }, SumtrixLib::ErrInvalidCall},
        {"colour part 256", [&] { chart.Backdrop.BrushFillColor.Set(0, 256, 0); }, SumtrixLib::ErrInvalidCall},
        {"pen style 9", [&] { chart.SeriesCollection(3).StatLine.setStyle(ChartStatLine::Mean, 9); },
         SumtrixLib::ErrInvalidCall},
    };
    for (const Bad& b : bad)
        EXPECT_EQ(errorNumber(b.step), b.number) << b.what;
    for (int code : {0, 1, 2, 3, 4, 5, 6, 7, 14, 16})
        EXPECT_NO_THROW(chart.setChartTypeCode(code)) << code;
}

TEST(ChartModel, AutomaticScales)
{
    struct Case { double low, high, minimum, maximum; int major, minor; };
    const Case cases[] = {
        {0, 10, 0, 10, 5, 2},
        {20, 60, 20, 60, 4, 2},
        {0.4, 61, 0, 80, 4, 2},
        {-3.2, 7.9, -5, 10, 3, 5},
        {1e9, 1e9 + 10, 1e9, 1e9 + 10, 5, 2},       // far from zero: the step stays 2
        {0.001, 0.0042, 0.001, 0.005, 4, 2},
        {5, 5, 4.4, 5.6, 6, 2},                      // one value: a tenth on either side
        {0, 0, -1, 1, 4, 5},
        {1, 0, 0, 1, 5, 2},                          // no values
    };
    for (const Case& c : cases) {
        const ChartValueScale s = automaticScale(c.low, c.high);
        EXPECT_NEAR(s.Minimum, c.minimum, 1e-9 * std::max(1.0, std::abs(c.minimum))) << c.low << " " << c.high;
        EXPECT_NEAR(s.Maximum, c.maximum, 1e-9 * std::max(1.0, std::abs(c.maximum))) << c.low << " " << c.high;
        EXPECT_EQ(s.MajorDivision, c.major) << c.low << " " << c.high;
        EXPECT_EQ(s.MinorDivision, c.minor) << c.low << " " << c.high;
        EXPECT_LE(s.Minimum, std::min(c.low, c.high));
        EXPECT_GE(s.Maximum, c.low > c.high ? 1.0 : c.high);
    }
}

TEST(ChartModel, TickLabelsCarryTheDigitsTheStepNeeds)
{
    // Each expected label is its tick (minimum + i steps) written out: the
    // usual axes keep "%.6g"; values far from zero get the decimals their
    // step needs, so that neighbours differ; a step that is no round number
    // (a common scale) gets no more digits than a hundredth of a step.
    struct Case { double minimum, maximum; int divisions; QStringList labels; };
    const Case cases[] = {
        {0, 10, 5, {"0", "2", "4", "6", "8", "10"}},
        {0, 1, 5, {"0", "0.2", "0.4", "0.6", "0.8", "1"}},
        {-5, 10, 3, {"-5", "0", "5", "10"}},
        {0.001, 0.005, 4, {"0.001", "0.002", "0.003", "0.004", "0.005"}},
        {0, 5e9, 5, {"0", "1e+09", "2e+09", "3e+09", "4e+09", "5e+09"}},
        {1000000, 1000000.2, 4, {"1000000.00", "1000000.05", "1000000.10", "1000000.15", "1000000.20"}},
        {1e9, 1e9 + 10, 5, {"1000000000", "1000000002", "1000000004", "1000000006", "1000000008", "1000000010"}},
        {1e20, 1e20 + 3e14, 3, {"1e+20", "1.000001e+20", "1.000002e+20", "1.000003e+20"}},
        {0, 10.3, 3, {"0.0", "3.4", "6.9", "10.3"}},
        // One notation per axis: plain numbers, or one exponent for all.
        {-1e7, -9.8e6, 4, {"-10000000", "-9950000", "-9900000", "-9850000", "-9800000"}},
        {0, 2e10, 4, {"0", "5000000000", "10000000000", "15000000000", "20000000000"}},
        {1e-13, 3e-13, 4, {"1e-13", "1.5e-13", "2e-13", "2.5e-13", "3e-13"}},
        {-2.5e-16, 2.5e-16, 2, {"-2.5e-16", "0", "2.5e-16"}},
        {-3e-16, 3e-16, 6, {"-3e-16", "-2e-16", "-1e-16", "0", "1e-16", "2e-16", "3e-16"}},
        {1e12, 1e12 + 10, 5, {"1000000000000", "1000000000002", "1000000000004", "1000000000006",
                              "1000000000008", "1000000000010"}},
        // Plain numbers would run long: every label in scientific notation.
        {0, 1e-12, 5, {"0", "2e-13", "4e-13", "6e-13", "8e-13", "1e-12"}},
        {0, 1e300, 5, {"0", "2e+299", "4e+299", "6e+299", "8e+299", "1e+300"}},
    };
    for (const Case& c : cases) {
        const QString format = tickLabelFormat(c.minimum, c.maximum, c.divisions);
        EXPECT_EQ(tickLabels(c.minimum, c.maximum, c.divisions, format), c.labels)
            << c.minimum << " to " << c.maximum << ": " << format.toStdString();
    }

    // The axes of values 1,000,000.00 to 1,000,000.19 as the chart scales them.
    const ChartValueScale s = automaticScale(1000000.00, 1000000.19);
    const QStringList labels = tickLabels(s.Minimum, s.Maximum, s.MajorDivision,
                                          tickLabelFormat(s.Minimum, s.Maximum, s.MajorDivision));
    EXPECT_EQ(labels, QStringList({"1000000.00", "1000000.05", "1000000.10", "1000000.15", "1000000.20"}));
}

TEST(ChartModel, AxesFromTheDataToTheEndsOfTheDoubleRange)
{
    // The labels of both axes of a run chart, as the chart view writes
    // them from the automatic scales. Every label reads back as a finite
    // number within its axis, and the data lie within the axis.
    constexpr double big = 1.7e308;
    constexpr double largest = std::numeric_limits<double>::max();
    struct Case {
        const char* what;
        std::vector<std::pair<double, double>> points;
        QStringList x, y;
    };
    const Case cases[] = {
        {"ordinary data", {{0, 20}, {4, 35}, {10, 60}},
         {"0", "2", "4", "6", "8", "10"}, {"20", "30", "40", "50", "60"}},
        {"one value", {{5, 5}, {5, 5}},
         {"4.4", "4.6", "4.8", "5", "5.2", "5.4", "5.6"}, {"4.4", "4.6", "4.8", "5", "5.2", "5.4", "5.6"}},
        // Ten steps of 1e307 would overflow, and so would the top of the
        // axis at 2e308.
        {"both ends of the range", {{-big, -big}, {0, 0}, {big, big}},
         {"-1.7e+308", "-8.5e+307", "0", "8.5e+307", "1.7e+308"},
         {"-1.7e+308", "-8.5e+307", "0", "8.5e+307", "1.7e+308"}},
        {"the largest doubles", {{-largest, largest}, {largest, -largest}},
         {"-1.79769e+308", "-8.98847e+307", "0", "8.98847e+307", "1.79769e+308"},
         {"-1.79769e+308", "-8.98847e+307", "0", "8.98847e+307", "1.79769e+308"}},
        // The tenth on the far side of a constant column stops at the
        // largest double.
        {"a constant column at the top", {{1, big}, {2, big}, {3, big}},
         {"1", "1.5", "2", "2.5", "3"}, {"1.5e+308", "1.59923e+308", "1.69846e+308", "1.79769e+308"}},
        {"a constant column at the bottom", {{-big, 1}, {-big, 2}, {-big, 3}},
         {"-1.79769e+308", "-1.69846e+308", "-1.59923e+308", "-1.5e+308"}, {"1", "1.5", "2", "2.5", "3"}},
        // Labels in scientific notation, and zero as "0".
        {"subnormal values", {{-1e-320, 0}, {0, 1e-320}, {1e-320, 2e-320}},
         {"-1.5e-320", "-1.0e-320", "-5.0e-321", "0", "5.0e-321", "1.0e-320", "1.5e-320"},
         {"0", "5.0e-321", "1.0e-320", "1.5e-320", "2.0e-320", "2.5e-320"}},
    };
    for (const Case& c : cases) {
        ChartModel chart;
        fillXYChart(chart, runPlot(c.points));
        for (int id = 0; id < 2; ++id) {
            const ChartValueScale s = chart.effectiveScale(id);
            const QStringList labels = tickLabels(s.Minimum, s.Maximum, s.MajorDivision,
                                                  tickLabelFormat(s.Minimum, s.Maximum, s.MajorDivision));
            const QStringList& expected = id == 0 ? c.x : c.y;
            EXPECT_EQ(labels, expected) << c.what << ", axis " << id;
            ASSERT_EQ(labels.size(), s.MajorDivision + 1) << c.what;
            for (const QString& label : labels) {
                bool ok = false;
                const double value = label.toDouble(&ok);
                EXPECT_TRUE(ok && std::isfinite(value)) << c.what << ", axis " << id << ": " << label.toStdString();
            }
            for (const auto& [x, y] : c.points) {
                EXPECT_LE(s.Minimum, id == 0 ? x : y) << c.what << ", axis " << id;
                EXPECT_GE(s.Maximum, id == 0 ? x : y) << c.what << ", axis " << id;
            }
        }
    }
}

TEST(ChartModel, CommonScaleOfBothAxes)
{
    // X from 0 to 10, Y from 20 to 60.
    const XYPlot plot = runPlot({{0, 20}, {4, 35}, {10, 60}});
    ChartModel chart;
    fillXYChart(chart, plot);
    const ChartValueScale x = chart.effectiveScale(0);
    const ChartValueScale y = chart.effectiveScale(1);
    EXPECT_EQ(x, (ChartValueScale{true, 0, 10, 5, 2}));
    EXPECT_EQ(y, (ChartValueScale{true, 20, 60, 4, 2}));

    applyCommonScale(chart);
    for (int id = 0; id < 2; ++id)
        EXPECT_EQ(chart.Axis(id).ValueScale, (ChartValueScale{false, 0, 60, 5, 2})) << "axis " << id;

    // Switching automatic scaling off alone keeps what the axis shows.
    ChartModel other;
    fillXYChart(other, plot);
    other.setAutoScale(1, false);
    EXPECT_EQ(other.Axis(1).ValueScale, (ChartValueScale{false, 20, 60, 4, 2}));
}

TEST(ChartModel, XYBuilderSetsTheSeriesRoles)
{
    // The scatter command's matrix: columns 0..7, series 7 with values in
    // every row although Cols is 5.
    XYPlot plot;
    plot.PlotData = PlotMatrix(4, 8);
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 7; ++c)
            plot.PlotData.set(r, c, r * 10 + c);
    plot.n = 3;
    plot.Cols = 5;
    plot.TitleText = QStringLiteral("T");
    plot.FootnoteTitle = pointCountFootnote(3);
    plot.AxisXTitle = QStringLiteral("X title");
    plot.AxisYTitle = QStringLiteral("Y title");

    ChartModel chart;
    fillXYChart(chart, plot);
    EXPECT_EQ(chart.Title.Text, QStringLiteral("T"));
    EXPECT_EQ(chart.Title.VtFont, (ChartFont{QStringLiteral("Arial"), 14, 0}));
    EXPECT_EQ(chart.Footnote.Text, QStringLiteral("n =  3"));
    EXPECT_EQ(chart.Footnote.VtFont.Size, 8);
    EXPECT_EQ(chart.Axis(0).AxisTitle.Text, QStringLiteral("X title"));
    EXPECT_EQ(chart.Axis(1).AxisTitle.VtFont.Size, 10);
    EXPECT_EQ(chart.Axis(1).Labels(1).Size, 12);
    EXPECT_EQ(chart.RowCount(), 4);
    EXPECT_EQ(chart.ColumnCount(), 8);

    struct Role { int series; const char* legend; bool markers; bool line; };
    const Role roles[] = {
        {1, "", false, false},
        {3, "Obs", true, false},
        {5, "Y=X", false, true},
        {7, "", false, false},           // hidden: Cols is below 7
    };
    for (const Role& r : roles) {
        EXPECT_EQ(chart.SeriesCollection(r.series).LegendText, QLatin1String(r.legend)) << r.series;
        EXPECT_EQ(chart.drawsMarkers(r.series), r.markers) << r.series;
        EXPECT_EQ(chart.drawsLine(r.series), r.line) << r.series;
    }
    // Series 3 draws (column 2, column 3) of every row.
    const std::vector<ChartModel::Point> points = chart.points(3);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[1].row, 3);
    EXPECT_EQ(points[1].x, 22);
    EXPECT_EQ(points[1].y, 23);

    plot.Cols = 7;
    ChartModel shown;
    fillXYChart(shown, plot);
    EXPECT_EQ(shown.SeriesCollection(7).LegendText, QStringLiteral("Excluded"));
    EXPECT_TRUE(shown.drawsMarkers(7));
    EXPECT_FALSE(shown.drawsLine(7));

    // The run's matrices have columns 0..3: series 5 and 7 are not touched.
    ChartModel run;
    fillXYChart(run, runPlot({{1, 2}, {2, 3}, {3, 5}}));
    EXPECT_EQ(run.ColumnCount(), 4);
    EXPECT_EQ(run.drawnSeries(), (std::vector<int>{1, 3}));
    EXPECT_EQ(errorNumber([&] { run.SeriesCollection(5); }), SumtrixLib::ErrSubscript);

    // A font size that is not a number fails the builder.
    XYPlot badFont = runPlot({{1, 2}});
    badFont.TitleFontSize = QStringLiteral("big");
    ChartModel failed;
    EXPECT_EQ(errorNumber([&] { fillXYChart(failed, badFont); }), SumtrixLib::ErrTypeMismatch);
}

TEST(ChartModel, SeriesStyling)
{
    XYPlot plot = runPlot({{1, 2}, {2, 3}, {3, 5}});
    plot.Marker[1] = 2;
    plot.MarkerColor1[1] = 10;
    plot.MarkerColor2[1] = 20;
    plot.MarkerColor3[1] = 30;
    struct Case { int n; int size; };
    for (const Case& c : {Case{49, 200}, Case{50, 150}, Case{99, 150}, Case{100, 100}}) {
        plot.n = c.n;
        ChartModel chart;
        fillXYChart(chart, plot);
        styleXYSeries(chart, plot, 1, true);
        const ChartSeries& s = chart.SeriesCollection(1);
        EXPECT_FALSE(s.SeriesMarker.Auto);
        EXPECT_EQ(s.DataPoint.Marker.Style, 2);
        EXPECT_EQ(s.DataPoint.Marker.Size, c.size) << c.n;
        const ChartColor colour{10, 20, 30};
        EXPECT_EQ(s.DataPoint.BrushFillColor, colour);
        EXPECT_EQ(s.DataPoint.Marker.FillColor, colour);
        EXPECT_EQ(s.DataPoint.Marker.Pen.VtColor, colour);
        EXPECT_EQ(s.DataPoint.EdgePen.VtColor, colour);
    }

    // Colour entries left 0: black markers, outlines and edges; without the
    // marker the series keeps its style and size.
    ChartModel chart;
    fillXYChart(chart, plot);
    const ChartMarker before = chart.SeriesCollection(3).DataPoint.Marker;
    styleXYSeries(chart, plot, 3, false);
    const ChartSeries& s3 = chart.SeriesCollection(3);
    EXPECT_EQ(s3.DataPoint.Marker.Style, before.Style);
    EXPECT_EQ(s3.DataPoint.Marker.Size, before.Size);
    for (const ChartColor& c : {s3.DataPoint.BrushFillColor, s3.DataPoint.Marker.FillColor,
                                s3.DataPoint.Marker.Pen.VtColor, s3.DataPoint.EdgePen.VtColor})
        EXPECT_EQ(c, (ChartColor{0, 0, 0}));

    plot.Marker[1] = 15;
    EXPECT_EQ(errorNumber([&] { styleXYSeries(chart, plot, 1, true); }), SumtrixLib::ErrInvalidCall);
    plot.Marker[1] = 0;
    plot.MarkerColor2[1] = 300;
    EXPECT_EQ(errorNumber([&] { styleXYSeries(chart, plot, 1, true); }), SumtrixLib::ErrInvalidCall);
    EXPECT_EQ(errorNumber([&] { styleXYSeries(chart, plot, 8, true); }), SumtrixLib::ErrSubscript);
}

TEST(ChartModel, StatisticValuesOfASeries)
{
    // Y = 1e9 + 2 X + e with e = +1, -1, -1, +1 at X = 1, 2, 3, 4: the sum of
    // (X - 2.5) e is 0, so the least-squares slope is 2 and the intercept 1e9.
    ChartModel chart;
    fillXYChart(chart, runPlot({{1, 1e9 + 3}, {2, 1e9 + 3}, {3, 1e9 + 5}, {4, 1e9 + 9}}));
    const ChartStatValues v = chart.statValues(3);
    EXPECT_EQ(v.count, 4);
    EXPECT_EQ(v.minimum, 1e9 + 3);
    EXPECT_EQ(v.maximum, 1e9 + 9);
    EXPECT_DOUBLE_EQ(v.mean, 1e9 + 5);
    // Deviations -2, -2, 0, 4: sum of squares 24, divided by 3.
    EXPECT_NEAR(v.standardDeviation, std::sqrt(8.0), 1e-12);
    ASSERT_TRUE(v.hasTrend);
    EXPECT_NEAR(v.trendSlope, 2.0, 1e-12);
    EXPECT_NEAR(v.trendIntercept, 1e9, 1e-6);

    // At the ends of the double range the sums and squares would overflow:
    // X = Y = -1.7e308, 0, 1.7e308 has mean 0, SD 1.7e308 (squares 2 x
    // 1.7e308^2 over 2) and the trend Y = X; a column at 1.7e308 has mean
    // 1.7e308 and SD 0 (within rounding).
    ChartModel far;
    fillXYChart(far, runPlot({{-1.7e308, -1.7e308}, {0, 0}, {1.7e308, 1.7e308}}));
    const ChartStatValues ends = far.statValues(3);
    EXPECT_EQ(ends.mean, 0);
    EXPECT_NEAR(ends.standardDeviation / 1.7e308, 1.0, 1e-15);
    ASSERT_TRUE(ends.hasTrend);
    EXPECT_NEAR(ends.trendSlope, 1.0, 1e-15);
    EXPECT_EQ(ends.trendIntercept, 0);
    ChartModel top;
    fillXYChart(top, runPlot({{1, 1.7e308}, {2, 1.7e308}, {3, 1.7e308}}));
    const ChartStatValues level = top.statValues(3);
    EXPECT_NEAR(level.mean / 1.7e308, 1.0, 1e-15);
    EXPECT_LT(level.standardDeviation / 1.7e308, 1e-15);
    EXPECT_LT(std::abs(level.trendSlope) / 1.7e308, 1e-15);

    // One point: no spread, no trend.
    ChartModel single;
    fillXYChart(single, runPlot({{1, 7}}));
    const ChartStatValues one = single.statValues(3);
    EXPECT_EQ(one.count, 1);
    EXPECT_EQ(one.standardDeviation, 0);
    EXPECT_FALSE(one.hasTrend);
}

TEST(ChartModel, StatisticLineGeometry)
{
    // Y = 1, 3, 2, 6 at X = 1..4: mean 3, sample SD sqrt(14/3), trend
    // slope 7/5 and intercept 3 - 1.4 x 2.5 = -0.5 (least squares about
    // the means).
    ChartModel chart;
    fillXYChart(chart, runPlot({{1, 1}, {2, 3}, {3, 2}, {4, 6}}));
    ChartStatLine& stat = chart.SeriesCollection(3).StatLine;
    EXPECT_TRUE(chart.statLines(3, 0, 5).empty());         // no flags, no lines

    using S = ChartStatLine;
    const double sd = std::sqrt(14.0 / 3.0);
    stat.Flag = S::Minimum | S::Maximum | S::Mean | S::StandardDeviation | S::Trend;
    const std::vector<ChartStatSegment> lines = chart.statLines(3, 0, 5);
    ASSERT_EQ(lines.size(), 6u);
    const ChartStatSegment expected[] = {
        {S::Minimum, 0, 1, 5, 1},
        {S::Maximum, 0, 6, 5, 6},
        {S::Mean, 0, 3, 5, 3},
        {S::StandardDeviation, 0, 3 - sd, 5, 3 - sd},
        {S::StandardDeviation, 0, 3 + sd, 5, 3 + sd},
        {S::Trend, 0, -0.5, 5, -0.5 + 1.4 * 5},
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].flag, expected[i].flag) << i;
        EXPECT_EQ(lines[i].x0, expected[i].x0) << i;
        EXPECT_EQ(lines[i].x1, expected[i].x1) << i;
        EXPECT_NEAR(lines[i].y0, expected[i].y0, 1e-12) << i;
        EXPECT_NEAR(lines[i].y1, expected[i].y1, 1e-12) << i;
    }

    // Only the chosen flags; no trend without two distinct X; nothing for
    // a series without points.
    stat.Flag = S::Mean | S::Trend;
    EXPECT_EQ(chart.statLines(3, 0, 5).size(), 2u);
    ChartModel single;
    fillXYChart(single, runPlot({{2, 7}, {2, 9}}));
    single.SeriesCollection(3).StatLine.Flag = S::Mean | S::Trend;
    const std::vector<ChartStatSegment> level = single.statLines(3, -1, 1);
    ASSERT_EQ(level.size(), 1u);
    EXPECT_EQ(level[0], (ChartStatSegment{S::Mean, -1, 8, 1, 8}));
    ChartModel empty;
    empty.SeriesCollection(3).StatLine.Flag = S::Mean;
    EXPECT_TRUE(empty.statLines(3, 0, 1).empty());
}

TEST(ChartModel, CategoryChartsDrawEverySeriesFromZero)
{
    ChartModel chart;
    chart.setChartTypeCode(1);
    PlotMatrix bins(3, 2);
    bins.set(0, 0, 2);
    bins.set(1, 0, 5);
    bins.set(2, 0, 1);
    bins.set(0, 1, 3);
    chart.setChartData(bins);
    EXPECT_EQ(chart.drawnSeries(), (std::vector<int>{1, 2}));
    EXPECT_EQ(chart.points(2).size(), 1u);          // the empty cells are no points
    EXPECT_EQ(chart.points(1)[1].x, 1.0);            // x is the row's position
    EXPECT_EQ(chart.effectiveScale(1).Minimum, 0.0);
    EXPECT_GE(chart.effectiveScale(1).Maximum, 5.0);
    chart.SeriesCollection(1).Excluded = true;
    EXPECT_EQ(chart.drawnSeries(), (std::vector<int>{2}));
}
