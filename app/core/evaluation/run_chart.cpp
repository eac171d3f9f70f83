#include "core/evaluation/run_chart.hpp"

XYPlot runPointsChart(ArrayView abscissa, ArrayView ordinate, int n,
                      const QString& title, const QString& axisXTitle, const QString& axisYTitle,
                      const QString& mainCaption)
{
    XYPlot plot;
    plot.PlotData = PlotMatrix(n + 1, 4);
    // The points drawn: a value that is no number (or beyond the doubles,
    // as a sum may be) leaves its cell empty.
    int drawn = 0;
    for (int i = 1; i <= n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        plot.PlotData.set(i, 1, abscissa[k]);
        plot.PlotData.set(i, 2, abscissa[k]);
        plot.PlotData.set(i, 3, ordinate[k]);
        if (plot.PlotData.at(i, 2) && plot.PlotData.at(i, 3))
            ++drawn;
    }
    plot.n = drawn;
    plot.Cols = 3;
    plot.SameScale = false;
    plot.TitleText = title;
    plot.FootnoteTitle = pointCountFootnote(drawn);
    plot.AxisXTitle = axisXTitle;
    plot.AxisYTitle = axisYTitle;
    plot.Marker[3] = 2;
    plot.PlotCaption = plotCaptionFrom(mainCaption);
    return plot;
}
