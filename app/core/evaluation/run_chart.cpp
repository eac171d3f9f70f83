#include "core/evaluation/run_chart.hpp"

XYPlot runPointsChart(ArrayView abscissa, ArrayView ordinate, int n,
                      const QString& title, const QString& axisXTitle, const QString& axisYTitle,
                      const QString& mainCaption)
{
    XYPlot plot;
    plot.PlotData = PlotMatrix(n + 1, 4);
    for (int i = 1; i <= n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        plot.PlotData.set(i, 1, abscissa[k]);
        plot.PlotData.set(i, 2, abscissa[k]);
        plot.PlotData.set(i, 3, ordinate[k]);
    }
    plot.n = n;
    plot.Cols = 3;
    plot.SameScale = false;
    plot.TitleText = title;
    plot.FootnoteTitle = pointCountFootnote(n);
    plot.AxisXTitle = axisXTitle;
    plot.AxisYTitle = axisYTitle;
    plot.Marker[3] = 2;
    plot.PlotCaption = plotCaptionFrom(mainCaption);
    return plot;
}
