#include "charts/histogram_chart.hpp"

namespace {

ChartFont arial(double size)
{
    ChartFont font;
    font.Name = QStringLiteral("Arial");
    font.Size = size;
    return font;
}

// A shown series: a solid pen, no markers, its legend text and colour. The
// two-dimensional line chart colours the line, every other type the points
// of the series.
void showSeries(ChartModel& chart, int number, const QString& legend, const std::array<int, 3>& rgb)
{
    ChartSeries& s = chart.SeriesCollection(number);
    s.Pen.Style = 1;
    s.SeriesMarker.Auto = false;
    s.SeriesMarker.Show = false;
    s.LegendText = legend;
    if (chart.chartType() == ChartType::Line2D) {
        s.Pen.VtColor.Set(rgb[0], rgb[1], rgb[2]);
        s.ShowLine = true;
    } else {
        s.DataPoint.BrushFillColor.Set(rgb[0], rgb[1], rgb[2]);
        s.DataPoint.Marker.FillColor.Set(rgb[0], rgb[1], rgb[2]);
        s.DataPoint.Marker.Pen.VtColor.Set(rgb[0], rgb[1], rgb[2]);
    }
}

} // namespace

void fillHistogramChart(ChartModel& chart, const HistogramPlot& plot, const HistogramBins& bins)
{
    chart.Title.Text = plot.TitleText;
    chart.Title.VtFont = arial(12);
    chart.Footnote.Text = bins.footnote;
    chart.Footnote.VtFont = arial(8);
    chart.setChartTypeCode(histogramChartTypeCode(plot.ChartD, plot.ChartType));

    // The column labels name the shown series; the grid then takes the
    // size of the bins matrix, two columns whichever series are shown.
    chart.setRowCount(plot.Bins - 1);
    chart.setColumnCount(plot.ShowX && plot.ShowY ? 2 : 1);
    chart.setColumn(1);
    if (plot.ShowX)
        chart.setColumnLabel(QStringLiteral("X"));
    if (plot.ShowX && plot.ShowY)
        chart.setColumn(2);
    if (plot.ShowY)
        chart.setColumnLabel(QStringLiteral("Y"));
    chart.setChartData(bins.chartData());

    if (plot.ShowX)
        showSeries(chart, 1, QStringLiteral("X"), plot.XColor);
    else
        chart.SeriesCollection(1).Excluded = true;
    if (plot.ShowY)
        showSeries(chart, 2, QStringLiteral("Y"), plot.YColor);
    else
        chart.SeriesCollection(2).Excluded = true;

    QString frequency = QStringLiteral("Frequency");
    if (plot.Accumulated)
        frequency = QStringLiteral("Accumulated ") + frequency;
    frequency += plot.Percentage ? QStringLiteral(", %") : QStringLiteral(", #");
    const QString titles[2] = {QStringLiteral("Bins"), frequency};
    for (int id = 0; id < 2; ++id) {
        ChartAxis& axis = chart.Axis(id);
        axis.AxisTitle.Text = titles[id];
        axis.AxisTitle.VtFont = arial(10);
        axis.Labels(1) = arial(10);
        chart.setAutoScale(id, true);
    }
    // Counts step by whole numbers; percentages may take fractions.
    chart.Axis(1).wholeNumbers = !plot.Percentage;
    chart.Plot.WallPen.Style = 0;
}
