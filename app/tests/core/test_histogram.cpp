// The histograms without a display: the bins and their counts, the range
// text byte for byte, the normality footnote, the chart type codes, the bins
// text, and which rows and charts the "Histo" command takes.
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "SumtrixLib/Runtime.hpp"
#include "support/runtime_errors.hpp"
#include "core/histogram.hpp"

namespace {

HistogramPlot plotOf(std::vector<double> x, std::vector<double> y, int bins, bool showX = true, bool showY = true)
{
    HistogramPlot p;
    p.x = std::move(x);
    p.y = std::move(y);
    p.Bins = bins;
    p.ShowX = showX;
    p.ShowY = showY;
    return p;
}

// Rows 1..rows of a dataset: X = r, Y = 2r.
DataMatrix dataset(int rows)
{
    DataMatrix m(rows + 5);
    for (int r = 1; r <= rows; ++r) {
        m.setNumber(DataMatrix::ColX, r, r);
        m.setNumber(DataMatrix::ColY, r, 2 * r);
    }
    return m;
}

HistogramCommandOptions commandOptions(int gridRows)
{
    HistogramCommandOptions o;
    o.gridRows = gridRows;
    return o;
}

} // namespace

TEST(Histogram, BinCounts)
{
    using V = std::vector<double>;
    struct Case {
        const char* name;
        V x;
        int bins;
        bool accumulated, percentage;
        V counts;
    };
    const Case cases[] = {
        // w = 1: the 4 lies on the last upper bound and joins the 3.
        {"0..4 in 4 bins", {0, 1, 2, 3, 4}, 4, false, false, {1, 1, 1, 2}},
        // Values on inner bounds belong to the upper bin.
        {"on the bounds", {0, 2, 2, 4, 6, 8}, 4, false, false, {1, 2, 1, 2}},
        // w = 0: every bound is lo, every value lands in the last bin.
        {"all equal", {5, 5, 5}, 3, false, false, {0, 0, 3}},
        {"one bin", {3, 1, 2}, 1, false, false, {3}},
        {"one value", {7}, 4, false, false, {0, 0, 0, 1}},
        {"twelve bins", {0, 12}, 12, false, false, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        // n = 8 with counts 2, 2, 4: running sums 2, 4, 8, then percent of 8.
        {"accumulated percentages", {0, 0.5, 1, 1.5, 2, 2.5, 2.9, 3}, 3, true, true, {25, 50, 100}},
        {"percentages", {0, 0.5, 1, 1.5, 2, 2.5, 2.9, 3}, 3, false, true, {25, 25, 50}},
        {"accumulated", {0, 0.5, 1, 1.5, 2, 2.5, 2.9, 3}, 3, true, false, {2, 4, 8}},
        // Far from zero: the bounds are lo + k w, computed alike for both.
        {"offset", {1e9, 1e9 + 1, 1e9 + 2, 1e9 + 3}, 3, false, false, {1, 1, 2}},
    };
    for (const Case& c : cases) {
        HistogramPlot p = plotOf(c.x, c.x, c.bins, true, false);
        p.Accumulated = c.accumulated;
        p.Percentage = c.percentage;
        const std::optional<HistogramBins> h = computeHistogram(p);
        ASSERT_TRUE(h) << c.name;
        EXPECT_EQ(h->countsX, c.counts) << c.name;
        EXPECT_EQ(h->countsY, V(c.counts.size(), 0.0)) << c.name;   // the hidden series keeps zeros
    }

    // Both series share the range: Y in the upper half leaves the lower
    // bins empty, X's spread sets lo and hi.
    const std::optional<HistogramBins> both = computeHistogram(plotOf({0, 1, 2, 3, 4, 5, 6, 7}, {6, 6.5, 7, 7, 7, 7, 7, 7}, 4));
    ASSERT_TRUE(both);
    EXPECT_EQ(both->lo, 0);
    EXPECT_EQ(both->hi, 7);
    EXPECT_EQ(both->countsX, (V{2, 2, 2, 2}));
    EXPECT_EQ(both->countsY, (V{0, 0, 0, 8}));
    const PlotMatrix data = both->chartData();
    EXPECT_EQ(data.rows(), 4);
    EXPECT_EQ(data.columns(), 2);
    EXPECT_EQ(data.at(3, 1), 8.0);
    // Only series 2 shown: its own range.
    const std::optional<HistogramBins> onlyY = computeHistogram(plotOf({0, 100}, {6, 8}, 2, false, true));
    EXPECT_EQ(onlyY->lo, 6);
    EXPECT_EQ(onlyY->countsY, (V{1, 1}));
}

TEST(Histogram, RangeTextByteForByte)
{
    struct Case {
        const char* name;
        double lo, w;
        int bins;
        const char* text;
    };
    const Case cases[] = {
        {"0 to 10 in 3", 0, 10.0 / 3, 3,
         "Histogram Range:\r\n\r\nR01 = [0.00, 3.33[;     \r\nR02 = [3.33, 6.67[;     \r\nR3 = [6.67, 10.00]"},
        {"one bin", 2, 3, 1, "Histogram Range:\r\n\r\nR1 = [2.00, 5.00]"},
        {"all equal", 5, 0, 2, "Histogram Range:\r\n\r\nR01 = [5.00, 5.00[;     \r\nR2 = [5.00, 5.00]"},
        {"negative, rounding to zero", -1, 1.0 / 3, 3,
         "Histogram Range:\r\n\r\nR01 = [-1.00, -0.67[;     \r\nR02 = [-0.67, -0.33[;     \r\nR3 = [-0.33, 0.00]"},
        {"halves round up", 0.125, 0.25, 2, "Histogram Range:\r\n\r\nR01 = [0.13, 0.38[;     \r\nR2 = [0.38, 0.63]"},
        {"far from zero", 1e9, 0.5, 2,
         "Histogram Range:\r\n\r\nR01 = [1000000000.00, 1000000000.50[;     \r\nR2 = [1000000000.50, 1000000001.00]"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(histogramRangeText(c.lo, c.w, c.bins), QLatin1String(c.text)) << c.name;

    // Five bins: 01 to 04, then 5; twelve: 01 to 11, then 12.
    for (const auto& [bins, lastOpen, closing] : {std::tuple{5, "R04 = ", "R5 = "}, std::tuple{12, "R11 = ", "R12 = "}}) {
        const QStringList lines = histogramRangeText(0, 1, bins).split(QStringLiteral("\r\n"));
        ASSERT_EQ(lines.size(), bins + 2);
        EXPECT_TRUE(lines[1].isEmpty());
        EXPECT_TRUE(lines[2].startsWith(QStringLiteral("R01 = [0.00, 1.00[;")));
        EXPECT_TRUE(lines[static_cast<qsizetype>(bins)].startsWith(QLatin1String(lastOpen))) << bins;
        EXPECT_TRUE(lines.back().startsWith(QLatin1String(closing))) << bins;
        EXPECT_TRUE(lines.back().endsWith(QLatin1Char(']')));
    }

    // The builder's own text for 0..10 in 3 bins.
    const std::optional<HistogramBins> h = computeHistogram(plotOf({0, 4, 10}, {0, 4, 10}, 3, true, false));
    EXPECT_EQ(h->rangeText, QLatin1String(cases[0].text));
}

TEST(Histogram, NormalityFootnote)
{
    // p-values from scipy.stats.shapiro (the same AS R94 algorithm):
    // x 0.9034310..., y 0.0094266...
    const std::vector<double> x{2.1, 3.4, 1.9, 5.6, 4.4, 3.3, 2.8, 3.9, 4.1, 3.0};
    const std::vector<double> y{1, 2, 4, 8, 16, 32, 64, 128, 0, 0};
    std::vector<double> y8(y.begin(), y.begin() + 8);
    std::vector<double> x8(x.begin(), x.begin() + 8);
    EXPECT_EQ(computeHistogram(plotOf(x, x, 4, true, false))->footnote,
              QStringLiteral("P(X ~ Normal) =    0.90343"));
    EXPECT_EQ(computeHistogram(plotOf(x8, y8, 4, false, true))->footnote,
              QStringLiteral("P(Y ~ Normal)=   0.00943"));
    const QString both = computeHistogram(plotOf(x, x, 4))->footnote;
    EXPECT_EQ(both, QStringLiteral("P(X ~ Normal) =    0.90343 and P(Y ~ Normal) =    0.90343"));
    // The test cannot be computed for all values equal or fewer than 3:
    // the p-value stays 1.
    for (const std::vector<double>& v : {std::vector<double>{5, 5, 5, 5}, std::vector<double>{1, 2}})
        EXPECT_EQ(computeHistogram(plotOf(v, v, 2, true, false))->footnote,
                  QStringLiteral("P(X ~ Normal) =    1.00000"));
    // The caller's values are left as they were.
    HistogramPlot p = plotOf({3, 1, 2}, {9, 8, 7}, 2);
    computeHistogram(p);
    EXPECT_EQ(p.x, (std::vector<double>{3, 1, 2}));
}

TEST(Histogram, BuilderErrors)
{
    EXPECT_FALSE(computeHistogram(plotOf({1, 2, 3}, {1, 2, 3}, 3, false, false)));
    EXPECT_EQ(errorNumber([] { computeHistogram(plotOf({}, {}, 3)); }), SumtrixLib::ErrSubscript);
    EXPECT_EQ(errorNumber([] { computeHistogram(plotOf({1, 2, 3}, {1, 2}, 3)); }), SumtrixLib::ErrSubscript);
    for (int bins : {0, -4})
        EXPECT_EQ(errorNumber([bins] { computeHistogram(plotOf({1, 2, 3}, {1, 2, 3}, bins)); }),
                  SumtrixLib::ErrInvalidCall);
}

TEST(Histogram, ChartTypeCodes)
{
    struct Case { int chartD, chartType, code; };
    const Case cases[] = {
        {1, 1, 1}, {1, 2, 3}, {1, 3, 5}, {1, 4, 7}, {1, 5, 14},
        {2, 1, 0}, {2, 2, 2}, {2, 3, 4}, {2, 4, 6},
        {0, 1, 0}, {0, 4, 6},
        // A pie is flat whatever the choice; no type chosen draws bars.
        {0, 5, 14}, {2, 5, 14}, {1, 0, 1}, {0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(histogramChartTypeCode(c.chartD, c.chartType), c.code) << c.chartD << " " << c.chartType;
}

TEST(Histogram, BinsText)
{
    struct Case { const char* text; int bins; int error; };
    const Case cases[] = {
        {"10", 10, 0}, {"10.5", 10, 0}, {"11.5", 12, 0}, {" 7 ", 7, 0}, {"1e1", 10, 0}, {"0", 0, 0},
        {"32767", 32767, 0}, {"abc", 0, SumtrixLib::ErrTypeMismatch}, {"", 0, SumtrixLib::ErrTypeMismatch},
        {"12abc", 0, SumtrixLib::ErrTypeMismatch}, {"40000", 0, SumtrixLib::ErrOverflow},
    };
    for (const Case& c : cases) {
        int bins = -1;
        EXPECT_EQ(errorNumber([&] { bins = histogramBinsFromText(QLatin1String(c.text)); }), c.error) << c.text;
        if (c.error == 0) {
            EXPECT_EQ(bins, c.bins) << c.text;
        }
    }
}

TEST(Histogram, CommandTakesTheRows)
{
    using S = HistogramCommand::Status;
    // Fewer than 3 rows before the first empty X; rows after it are ignored.
    DataMatrix m = dataset(6);
    m.setText(DataMatrix::ColX, 3, QString());
    HistogramCommand c = buildHistogramCommand(m, commandOptions(8));
    EXPECT_EQ(c.status, S::TooFewRows);
    EXPECT_EQ(c.message, QStringLiteral("Not enough data points to generate a plot"));
    EXPECT_TRUE(c.messageTitle.isEmpty());
    m.setNumber(DataMatrix::ColX, 3, 3);
    m.setEmpty(DataMatrix::ColX, 5);
    c = buildHistogramCommand(m, commandOptions(8));
    ASSERT_EQ(c.status, S::Ok);
    ASSERT_EQ(c.charts.size(), 1u);
    EXPECT_EQ(c.charts[0].x, (std::vector<double>{1, 2, 3, 4}));

    // Rows 2 and 4 of 6 excluded: four values per series, percentages of 4.
    m = dataset(6);
    m.setText(DataMatrix::ColExclude, 2, QStringLiteral("Y"));
    m.setText(DataMatrix::ColExclude, 4, QStringLiteral("yes"));
    m.setText(DataMatrix::ColExclude, 5, QStringLiteral("No"));
    HistogramCommandOptions o = commandOptions(7);
    o.percentage = true;
    o.binsText = QStringLiteral("2");
    c = buildHistogramCommand(m, o);
    ASSERT_EQ(c.status, S::Ok);
    EXPECT_EQ(c.charts[0].x, (std::vector<double>{1, 3, 5, 6}));
    EXPECT_EQ(c.charts[0].y, (std::vector<double>{2, 6, 10, 12}));
    // Range 1..12 in bins of 5.5: Y 2, 6 | 10, 12.
    EXPECT_EQ(computeHistogram(c.charts[0])->countsY, (std::vector<double>{50, 50}));

    // Shown apart, every row counts and letters count as 0: the difference
    // of such a row is its X.
    m.setText(DataMatrix::ColY, 3, QStringLiteral("abc"));
    o.showExcluded = true;
    o.difference = true;
    c = buildHistogramCommand(m, o);
    ASSERT_EQ(c.status, S::Ok);
    EXPECT_EQ(c.charts[0].y, (std::vector<double>{2, 4, 0, 8, 10, 12}));
    EXPECT_EQ(c.charts[1].x, (std::vector<double>{-1, -2, 3, -4, -5, -6}));

    // Not shown apart, the same row cannot be read.
    o.showExcluded = false;
    c = buildHistogramCommand(m, o);
    EXPECT_EQ(c.status, S::Failed);
    EXPECT_EQ(c.messageTitle, QStringLiteral("Histogram"));
    EXPECT_EQ(c.message, QStringLiteral("Row 3: Y (Obs) is not a number: abc"));

    // Every counted row excluded: a message instead of an empty histogram,
    // but only when a chart is asked for.
    m = dataset(3);
    for (int r = 1; r <= 3; ++r)
        m.setText(DataMatrix::ColExclude, r, QStringLiteral("y"));
    c = buildHistogramCommand(m, commandOptions(4));
    EXPECT_EQ(c.status, S::NoneLeft);
    EXPECT_EQ(c.message, QStringLiteral("No data points left to plot"));
    EXPECT_EQ(c.messageTitle, QStringLiteral("Histogram"));
    o = commandOptions(4);
    o.plotXY = false;
    c = buildHistogramCommand(m, o);
    EXPECT_EQ(c.status, S::Ok);
    EXPECT_TRUE(c.charts.empty());

    // A bins text that is no number.
    o = commandOptions(4);
    o.binsText = QStringLiteral("ten");
    c = buildHistogramCommand(dataset(3), o);
    EXPECT_EQ(c.status, S::Failed);
    EXPECT_EQ(c.message, QStringLiteral("The number of bins \"ten\" is not a number."));
}

TEST(Histogram, CommandChartsInOrder)
{
    HistogramCommandOptions o = commandOptions(5);
    o.together = false;
    o.difference = true;
    o.absDifference = true;
    o.accumulated = true;
    o.chartD = 2;
    o.chartType = 3;
    o.binsText = QStringLiteral("11.5");
    const HistogramCommand c = buildHistogramCommand(dataset(4), o);
    ASSERT_EQ(c.status, HistogramCommand::Status::Ok);
    struct Expected { const char* title; bool showX, showY; std::array<int, 3> xColour; };
    const Expected expected[] = {
        {"Histogram of X", true, false, {255, 128, 0}},
        {"Histogram of Y", false, true, {255, 128, 0}},
        {"Histogram of X - Y", true, false, {0, 255, 64}},
    };
    ASSERT_EQ(c.charts.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const HistogramPlot& p = c.charts[i];
        EXPECT_EQ(p.TitleText, QLatin1String(expected[i].title));
        EXPECT_EQ(p.ShowX, expected[i].showX) << i;
        EXPECT_EQ(p.ShowY, expected[i].showY) << i;
        EXPECT_EQ(p.XColor, expected[i].xColour) << i;
        EXPECT_EQ(p.YColor, (std::array<int, 3>{0, 128, 192})) << i;
        EXPECT_EQ(p.PlotCaption, QStringLiteral("Histogram"));
        EXPECT_EQ(p.Bins, 12);
        EXPECT_TRUE(p.Accumulated);
        EXPECT_EQ(p.ChartD, 2);
        EXPECT_EQ(p.ChartType, 3);
        EXPECT_EQ(p.y, (std::vector<double>{2, 4, 6, 8}));
    }
    EXPECT_EQ(c.charts[2].x, (std::vector<double>{1, 2, 3, 4}));   // |X - Y|

    // Together: one chart of both; the absolute values unused without the
    // difference chart.
    o = commandOptions(5);
    o.absDifference = true;
    const HistogramCommand together = buildHistogramCommand(dataset(4), o);
    ASSERT_EQ(together.charts.size(), 1u);
    EXPECT_EQ(together.charts[0].TitleText, QStringLiteral("Histogram of X and Y"));
    EXPECT_TRUE(together.charts[0].ShowX && together.charts[0].ShowY);
}
