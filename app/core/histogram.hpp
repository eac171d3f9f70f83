#pragma once
// Histograms of the dataset: what the "Histo" command (frmMain::Command13_Click)
// takes from the data sheet and the histogram panel, and what the histogram
// builder (frmMain::CreateHistogramPlot) works out before it draws: the
// normality footnote, the bins with their counts and the range text that the
// chart window's "Range" button shows.

#include <QString>

#include <array>
#include <optional>
#include <vector>

#include "core/data_matrix.hpp"
#include "core/plot_matrix.hpp"

// Everything the histogram builder draws from, in the order of its
// parameters. The values are counted from the front of the vectors (the
// first value is the first row taken); y holds at least as many values as x.
struct HistogramPlot {
    std::vector<double> x;               // series 1
    std::vector<double> y;               // series 2
    int Bins = 10;
    QString PlotCaption;                 // the window's caption after "Plot - "
    QString TitleText;
    bool ShowX = true;
    bool ShowY = true;
    bool Accumulated = false;            // running sums of the bin counts
    bool Percentage = false;             // counts as percent of the number of values
    int ChartD = 1;                      // 1 two-dimensional chart types, else three-dimensional
    int ChartType = 1;                   // 1 bar, 2 line, 3 area, 4 step, 5 pie
    std::array<int, 3> XColor{};         // red, green, blue of series 1
    std::array<int, 3> YColor{};         // ... of series 2
};

// What the builder computed for one histogram.
struct HistogramBins {
    double lo = 0;                       // the shown values' range and the bin width
    double hi = 0;
    double w = 0;
    std::vector<double> countsX;         // bin k at index k - 1; zeros for a hidden series
    std::vector<double> countsY;
    QString footnote;                    // the normality p-values of the shown series
    QString rangeText;                   // "Histogram Range:" and a line per bin
    // The chart data: one row per bin, columns (series 1, series 2).
    PlotMatrix chartData() const;
};

// The histogram of `plot`; nothing when neither series is shown. Throws a
// run-time error for no values (9), a y shorter than x (9) or fewer than
// one bin (5).
std::optional<HistogramBins> computeHistogram(const HistogramPlot& plot);

// The range text of `bins` bins of width w from lo: "Histogram Range:", an
// empty line, then "Rkk = [from, to[;" and five blanks for the bins but
// the last, numbered with two digits, and "Rk = [from, to]" for the last,
// numbered without a leading zero; lines end in CR LF, the last has none.
QString histogramRangeText(double lo, double w, int bins);

// Counts the sorted values into bins of width w from lo: bin k holds
// [lo + (k - 1) w, lo + k w); the last bin also takes every value at or
// above its lower bound. Each bound is computed as lo + k w.
std::vector<double> countBins(const std::vector<double>& sorted, double lo, double w, int bins);

// The chart type code of the panel's choice: ChartD 1 the two-dimensional
// bar 1, line 3, area 5, step 7 and pie 14; otherwise the three-dimensional
// bar 0, line 2, area 4 and step 6. A pie has no three-dimensional form and
// is drawn as the flat one; a chart type outside 1..5 draws bars.
int histogramChartTypeCode(int ChartD, int ChartType);

// ---- the "Histo" command -------------------------------------------------

// The main window's states that the command reads.
struct HistogramCommandOptions {
    int gridRows = 0;                    // the sheet's row count, header row included
    bool showExcluded = false;           // Check1 "Show excluded data points"
    bool plotXY = true;                  // Check37 "Plot Y and X"
    bool together = true;                // Option3(0) "Together", else "Separate"
    bool difference = false;             // Check42 "Plot X and X difference"
    bool absDifference = false;          // Check43 "Abs(difference)"
    bool accumulated = false;            // Check38
    bool percentage = false;             // Check39
    int chartD = 1;                      // 0, 1 "2D Graph", 2 "3D Graph"
    int chartType = 1;                   // 1..5 from Option2(0..4), 0 none chosen
    QString binsText = QStringLiteral("10");   // Text1(14) "# of Bins"
    QString plotCaption = QStringLiteral("Histogram");
};

struct HistogramCommand {
    enum class Status {
        Ok,                              // charts holds the histograms to draw, in order
        TooFewRows,                      // fewer than 3 rows before the first empty X
        NoneLeft,                        // every counted row is excluded
        Failed,                          // a cell or the bins text cannot be read
    };
    Status status = Status::Ok;
    QString message;                     // for every status but Ok
    QString messageTitle;                // empty: the program's title
    std::vector<HistogramPlot> charts;
};

// The histograms the command draws: X and Y together, or X and then Y
// apart, and then the difference X - Y (or its absolute value), each with
// the panel's bins, options and colours.
HistogramCommand buildHistogramCommand(const DataMatrix& matrix, const HistogramCommandOptions& options);

// The bins text as a whole number: read as a number and rounded to the
// nearest, halves to the even one. Throws a run-time error for a text that
// is not a number (13) or a number beyond -32768..32767 (6).
int histogramBinsFromText(const QString& text);
