#include "core/histogram.hpp"

#include <algorithm>
#include <cmath>

#include "SumtrixLib/Format.hpp"
#include "SumtrixLib/Runtime.hpp"
#include "SumtrixLib/Sumtrix.hpp"
#include "core/data_sheet.hpp"
#include "core/kve_code.hpp"
#include "core/plot_points.hpp"
#include "core/sumtrix_instance.hpp"

namespace {

constexpr const char* BuilderSource = "CreateHistogramPlot";
constexpr const char* CommandSource = "Histogram";

// The colours of the command's charts: series 1 for X and for the
// differences, series 2 for Y.
constexpr std::array<int, 3> XColour{255, 128, 0};
constexpr std::array<int, 3> DifferenceColour{0, 255, 64};
constexpr std::array<int, 3> YColour{0, 128, 192};

QString pattern(double value, const char* format)
{
    return DataSheet::formatPattern(value, QLatin1String(format));
}

// The Shapiro-Wilk p-value of the values, ten characters wide with five
// decimals; 1 when the test cannot be computed (fewer than 3 values, all
// equal).
QString normalityP(const std::vector<double>& values)
{
    const auto n = static_cast<std::int32_t>(values.size());
    SumtrixLib::BoundedArray<double> data(0, n);
    for (std::int32_t i = 1; i <= n; ++i)
        data(i) = values[static_cast<std::size_t>(i - 1)];
    SumtrixLib::BoundedArray<double> a(0, n);
    bool init = false;
    double w = 0;
    double p = 1;
    std::int32_t fault = 0;
    sumtrix().STAT_ShapiroWilk(init, data, n, n, n, a, w, p, fault);
    std::int16_t right = SumtrixLib::AlignRight;
    return KVECode::FormatFixedWidth(p, 10, 5, right, true);
}

// Running sums, then percentages of n (so that with both the last bin
// shows 100).
void finishCounts(std::vector<double>& counts, bool accumulated, bool percentage, std::size_t n)
{
    if (accumulated)
        for (std::size_t k = 1; k < counts.size(); ++k)
            counts[k] += counts[k - 1];
    if (percentage)
        for (double& c : counts)
            c = c * 100 / static_cast<double>(n);
}

} // namespace

PlotMatrix HistogramBins::chartData() const
{
    const int bins = static_cast<int>(countsX.size());
    PlotMatrix m(bins, 2);
    for (int k = 0; k < bins; ++k) {
        m.set(k, 0, countsX[static_cast<std::size_t>(k)]);
        m.set(k, 1, countsY[static_cast<std::size_t>(k)]);
    }
    return m;
}

QString histogramRangeText(double lo, double w, int bins)
{
    QString text = QStringLiteral("Histogram Range:\r\n\r\n");
    for (int k = 1; k <= bins - 1; ++k)
        text += QLatin1Char('R') + pattern(k, "00") + QStringLiteral(" = [") + pattern(lo + (k - 1) * w, "#0.00")
                + QStringLiteral(", ") + pattern(lo + k * w, "#0.00") + QStringLiteral("[;     \r\n");
    text += QLatin1Char('R') + pattern(bins, "##") + QStringLiteral(" = [") + pattern(lo + (bins - 1) * w, "#0.00")
            + QStringLiteral(", ") + pattern(lo + bins * w, "#0.00") + QLatin1Char(']');
    return text;
}

std::vector<double> countBins(const std::vector<double>& sorted, double lo, double w, int bins)
{
    std::vector<double> counts(static_cast<std::size_t>(std::max(bins, 0)), 0.0);
    if (bins < 1)
        return counts;
    // One walk: the bin index only moves up as the values grow.
    int k = 1;
    for (double v : sorted) {
        while (k < bins && v >= lo + k * w)
            ++k;
        counts[static_cast<std::size_t>(k - 1)] += 1;
    }
    return counts;
}

int histogramChartTypeCode(int ChartD, int ChartType)
{
    const bool flat = ChartD == 1;
    switch (ChartType) {
    case 2: return flat ? 3 : 2;
    case 3: return flat ? 5 : 4;
    case 4: return flat ? 7 : 6;
    case 5: return 14;
    default: return flat ? 1 : 0;
    }
}

std::optional<HistogramBins> computeHistogram(const HistogramPlot& plot)
{
    if (!plot.ShowX && !plot.ShowY)
        return std::nullopt;
    const std::size_t n = plot.x.size();
    if (n == 0 || plot.y.size() < n)
        SumtrixLib::raiseError(SumtrixLib::ErrSubscript, BuilderSource);
    if (plot.Bins < 1)
        SumtrixLib::raiseError(SumtrixLib::ErrInvalidCall, BuilderSource,
                               "The number of bins must be at least 1.");

    HistogramBins out;
    std::vector<double> sx(plot.x.begin(), plot.x.end());
    std::vector<double> sy(plot.y.begin(), plot.y.begin() + static_cast<std::ptrdiff_t>(n));
    if (plot.ShowX) {
        std::sort(sx.begin(), sx.end());
        out.footnote = QStringLiteral("P(X ~ Normal) = ") + normalityP(sx);
    }
    if (plot.ShowY) {
        std::sort(sy.begin(), sy.end());
        const QString p = normalityP(sy);
        if (!out.footnote.isEmpty())
            out.footnote += QStringLiteral(" and P(Y ~ Normal) = ") + p;
        else
            out.footnote = QStringLiteral("P(Y ~ Normal)=") + p;
    }

    SumtrixLib::Sumtrix& lib = sumtrix();
    if (plot.ShowX && plot.ShowY) {
        out.lo = lib.Min(sx.front(), sy.front());
        out.hi = lib.Max(sx.back(), sy.back());
    } else if (plot.ShowX) {
        out.lo = sx.front();
        out.hi = sx.back();
    } else {
        out.lo = sy.front();
        out.hi = sy.back();
    }
    out.w = (out.hi - out.lo) / plot.Bins;
    out.rangeText = histogramRangeText(out.lo, out.w, plot.Bins);

    const auto bins = static_cast<std::size_t>(plot.Bins);
    out.countsX.assign(bins, 0.0);
    out.countsY.assign(bins, 0.0);
    if (plot.ShowX) {
        out.countsX = countBins(sx, out.lo, out.w, plot.Bins);
        finishCounts(out.countsX, plot.Accumulated, plot.Percentage, n);
    }
    if (plot.ShowY) {
        out.countsY = countBins(sy, out.lo, out.w, plot.Bins);
        finishCounts(out.countsY, plot.Accumulated, plot.Percentage, n);
    }
    return out;
}

int histogramBinsFromText(const QString& text)
{
    const std::optional<double> value = parseStrictNumber(text);
    if (!value)
        SumtrixLib::raiseError(SumtrixLib::ErrTypeMismatch, CommandSource,
                               (QStringLiteral("The number of bins \"") + text + QStringLiteral("\" is not a number.")).toStdString());
    const double rounded = std::nearbyint(*value);
    if (rounded < -32768 || rounded > 32767)
        SumtrixLib::raiseError(SumtrixLib::ErrOverflow, CommandSource,
                               (QStringLiteral("The number of bins ") + text.trimmed() + QStringLiteral(" is out of range.")).toStdString());
    return static_cast<int>(rounded);
}

HistogramCommand buildHistogramCommand(const DataMatrix& matrix, const HistogramCommandOptions& options)
{
    HistogramCommand out;
    const int n = plotRowCount(matrix, options.gridRows, PlotCommand::Scatter);
    if (n < 3) {
        out.status = HistogramCommand::Status::TooFewRows;
        out.message = QStringLiteral("Not enough data points to generate a plot");
        return out;
    }

    std::vector<double> x, y, d;
    x.reserve(static_cast<std::size_t>(n));
    y.reserve(static_cast<std::size_t>(n));
    d.reserve(static_cast<std::size_t>(n));
    for (int i = 1; i <= n; ++i) {
        double xi = 0, yi = 0;
        if (options.showExcluded) {
            // Every row counts; a cell that is not a number counts as 0.
            xi = matrix.cell(DataMatrix::ColX, i).toNumber().value_or(0.0);
            yi = matrix.cell(DataMatrix::ColY, i).toNumber().value_or(0.0);
        } else {
            if (isPlotExcluded(matrix.cell(DataMatrix::ColExclude, i)))
                continue;
            for (const int column : {DataMatrix::ColX, DataMatrix::ColY}) {
                const QString unreadable = DataSheet::unreadableValue(matrix, i, column);
                if (!unreadable.isEmpty()) {
                    out.status = HistogramCommand::Status::Failed;
                    out.messageTitle = QStringLiteral("Histogram");
                    out.message = unreadable;
                    return out;
                }
            }
            xi = *matrix.cell(DataMatrix::ColX, i).toNumber();
            yi = *matrix.cell(DataMatrix::ColY, i).toNumber();
        }
        x.push_back(xi);
        y.push_back(yi);
        const double di = xi - yi;
        d.push_back(options.absDifference ? std::abs(di) : di);
    }

    if (!options.plotXY && !options.difference)
        return out;
    if (x.empty()) {
        out.status = HistogramCommand::Status::NoneLeft;
        out.messageTitle = QStringLiteral("Histogram");
        out.message = QStringLiteral("No data points left to plot");
        return out;
    }

    int bins = 0;
    try {
        bins = histogramBinsFromText(options.binsText);
    } catch (const SumtrixLib::RuntimeError& e) {
        out.status = HistogramCommand::Status::Failed;
        out.messageTitle = QStringLiteral("Histogram");
        out.message = QString::fromStdString(e.description());
        return out;
    }

    HistogramPlot common;
    common.Bins = bins;
    common.PlotCaption = options.plotCaption;
    common.Accumulated = options.accumulated;
    common.Percentage = options.percentage;
    common.ChartD = options.chartD;
    common.ChartType = options.chartType;
    common.XColor = XColour;
    common.YColor = YColour;
    const auto chart = [&](const std::vector<double>& values, const char* title, bool showX, bool showY) {
        HistogramPlot p = common;
        p.x = values;
        p.y = y;
        p.TitleText = QLatin1String(title);
        p.ShowX = showX;
        p.ShowY = showY;
        return p;
    };
    if (options.plotXY) {
        if (options.together) {
            out.charts.push_back(chart(x, "Histogram of X and Y", true, true));
        } else {
            out.charts.push_back(chart(x, "Histogram of X", true, false));
            out.charts.push_back(chart(x, "Histogram of Y", false, true));
        }
    }
    if (options.difference) {
        HistogramPlot p = chart(d, "Histogram of X - Y", true, false);
        p.XColor = DifferenceColour;
        out.charts.push_back(p);
    }
    return out;
}
