#include "core/plot_points.hpp"

#include <algorithm>
#include <utility>

#include "core/data_sheet.hpp"

namespace {

// What differs between the two commands.
struct CommandColumns {
    int x;
    int y;
};

CommandColumns columnsOf(PlotCommand command)
{
    if (command == PlotCommand::Rank)
        return {DataMatrix::ColRankX, DataMatrix::ColRankY};
    return {DataMatrix::ColX, DataMatrix::ColY};
}

// Points-matrix columns: the pairs of series 1, 3, 5 and 7.
enum PlotColumn { Series1Y = 1, PointX = 2, PointY = 3, LineX = 4, LineY = 5, ExcludedX = 6, ExcludedY = 7 };

} // namespace

int plotRowCount(const DataMatrix& matrix, int gridRows, PlotCommand command)
{
    const int last = std::min(gridRows - 1, matrix.upperRow());
    int n = 0;
    for (int row = 1; row <= last; ++row) {
        if (matrix.isMissing(DataMatrix::ColX, row))
            break;
        if (command == PlotCommand::Rank && matrix.isMissing(DataMatrix::ColRankX, row))
            break;
        n = row;
    }
    return n;
}

bool isPlotExcluded(const DataCell& mark)
{
    const QString text = mark.toDisplayString();
    return !text.isEmpty() && text.at(0).toUpper() == QLatin1Char('Y');
}

PlotPoints buildPlotPoints(const DataMatrix& matrix, PlotCommand command, const PlotCommandOptions& options)
{
    PlotPoints out;
    const bool rank = command == PlotCommand::Rank;
    const int N = plotRowCount(matrix, options.gridRows, command);
    if (N < 3) {
        out.status = PlotPoints::Status::TooFewRows;
        out.message = rank ? QStringLiteral("Not enough rank points to generate a plot")
                           : QStringLiteral("Not enough data points to generate a plot");
        return out;
    }

    const CommandColumns cols = columnsOf(command);
    XYPlot& plot = out.plot;
    plot.PlotData = PlotMatrix(N + 1, 8);
    PlotMatrix& m = plot.PlotData;
    int n = N;
    bool excludedShown = false;
    // The rows of the smallest and the largest X drawn (the first of equals).
    struct {
        int lowRow = 0, highRow = 0;
        double low = 0, high = 0;
        void take(int row, double x)
        {
            if (lowRow == 0 || x < low) {
                lowRow = row;
                low = x;
            }
            if (highRow == 0 || x > high) {
                highRow = row;
                high = x;
            }
        }
    } lineEnds;
    for (int i = 1; i <= N; ++i) {
        const bool excluded = isPlotExcluded(matrix.cell(DataMatrix::ColExclude, i));
        if (options.showExcluded) {
            // Every used row is drawn; a cell that is not a number counts as 0.
            const double x = matrix.cell(cols.x, i).toNumber().value_or(0.0);
            const double y = matrix.cell(cols.y, i).toNumber().value_or(0.0);
            m.set(i, Series1Y, x);
            m.set(i, PointX, x);
            m.set(i, PointY, y);
            lineEnds.take(i, x);
            m.set(i, ExcludedX, x);
            if (excluded) {
                // The point moves from the plotted points to the excluded ones.
                excludedShown = true;
                m.clear(i, PointY);
                m.set(i, ExcludedY, y);
            }
        } else if (excluded) {
            --n;                          // left out: the row's cells stay empty
        } else {
            for (const int column : {cols.x, cols.y}) {
                const QString unreadable = DataSheet::unreadableValue(matrix, i, column, options.swapXY);
                if (!unreadable.isEmpty()) {
                    out.status = PlotPoints::Status::NotNumeric;
                    out.messageTitle = QStringLiteral("Plot");
                    out.message = unreadable;
                    return out;
                }
            }
            const std::optional<double> x = matrix.cell(cols.x, i).toNumber();
            const std::optional<double> y = matrix.cell(cols.y, i).toNumber();
            m.set(i, Series1Y, *x);
            m.set(i, PointX, *x);
            m.set(i, PointY, *y);
            lineEnds.take(i, *x);
        }
    }
    // The line Y = X runs from the smallest X to the largest: it is drawn
    // through its two ends alone, in the rows that hold them, whatever the
    // number of points.
    if (options.plotYEqualsX && lineEnds.lowRow > 0) {
        for (const auto& [row, x] : {std::pair{lineEnds.lowRow, lineEnds.low}, std::pair{lineEnds.highRow, lineEnds.high}}) {
            m.set(row, LineX, x);
            m.set(row, LineY, x);
        }
    }

    plot.n = n;
    plot.Cols = excludedShown ? 7 : 5;
    plot.Marker[3] = rank ? 4 : 1;
    plot.Marker[7] = 12;
    if (rank) {
        plot.MarkerColor3[5] = 255;       // the Y = X line blue
        plot.MarkerColor1[7] = 255;       // excluded points red
    } else {
        plot.MarkerColor1[5] = 255;       // the Y = X line red
    }
    plot.SameScale = rank || options.sameScale;
    if (rank) {
        plot.TitleText = QStringLiteral("Rank of Observed vs Rank of Model-Predicted");
        plot.AxisXTitle = QStringLiteral("Rank of X");
        plot.AxisYTitle = QStringLiteral("Rank of Y");
    } else if (options.swapXY) {
        plot.TitleText = QStringLiteral("Model-Predicted vs Observed");
        plot.AxisXTitle = QStringLiteral("Observed (X)");
        plot.AxisYTitle = QStringLiteral("Model-Predicted (Y)");
    } else {
        plot.TitleText = QStringLiteral("Observed vs Model-Predicted");
        plot.AxisXTitle = QStringLiteral("Model-Predicted (X)");
        plot.AxisYTitle = QStringLiteral("Observed (Y)");
    }
    plot.FootnoteTitle = pointCountFootnote(n);
    plot.PlotCaption = plotCaptionFrom(options.mainCaption);
    return out;
}
