#include "charts/xy_chart.hpp"

#include "SumtrixLib/Runtime.hpp"
#include "SumtrixLib/Sumtrix.hpp"
#include "core/sumtrix_instance.hpp"

namespace {

void hideSeries(ChartSeries& s)
{
    s.LegendText.clear();
    s.SeriesMarker.Auto = false;
    s.SeriesMarker.Show = false;
    s.Pen.Style = 0;
}

constexpr int XYSeriesType = 11;

} // namespace

void fillXYChart(ChartModel& chart, const XYPlot& plot)
{
    chart.Title.Text = plot.TitleText;
    chart.Title.VtFont.Name = plot.TitleFontName;
    chart.Title.VtFont.Size = fontSizeFromText(plot.TitleFontSize);
    chart.Footnote.Text = plot.FootnoteTitle;
    chart.Footnote.VtFont.Name = plot.FootnoteFontName;
    chart.Footnote.VtFont.Size = fontSizeFromText(plot.FootnoteFontsize);

    chart.setRowCount(plot.n);
    chart.setColumnCount(plot.Cols);
    chart.setChartData(plot.PlotData);

    hideSeries(chart.SeriesCollection(1));

    ChartSeries& points = chart.SeriesCollection(3);
    points.LegendText = QStringLiteral("Obs");
    points.SeriesType = XYSeriesType;
    points.ShowLine = false;
    points.DataPoint.Marker.Visible = true;

    const int upper = plot.PlotData.upperColumn();
    if (upper >= 5) {
        ChartSeries& line = chart.SeriesCollection(5);
        line.LegendText = QStringLiteral("Y=X");
        line.SeriesType = XYSeriesType;
        line.ShowLine = true;
        line.DataPoint.Marker.Visible = false;
    }
    if (upper >= 7) {
        ChartSeries& excluded = chart.SeriesCollection(7);
        if (plot.Cols < 7) {
            hideSeries(excluded);
        } else {
            excluded.SeriesMarker.Show = true;
            excluded.Pen.Style = 0;
            excluded.SeriesType = XYSeriesType;
            excluded.ShowLine = false;
            excluded.DataPoint.Marker.Visible = true;
            excluded.LegendText = QStringLiteral("Excluded");
        }
    }

    for (int id = 0; id < 2; ++id) {
        ChartAxis& axis = chart.Axis(id);
        axis.AxisTitle.Text = id == 0 ? plot.AxisXTitle : plot.AxisYTitle;
        axis.AxisTitle.VtFont.Name = plot.AxisFontName;
        axis.AxisTitle.VtFont.Size = fontSizeFromText(plot.AxisFontSize);
        axis.Labels(1).Name = plot.AxisLabelFontName;
        axis.Labels(1).Size = fontSizeFromText(plot.AxisLabelFontSize);
        chart.setAutoScale(id, true);
    }
}

void applyCommonScale(ChartModel& chart)
{
    SumtrixLib::Sumtrix& lib = sumtrix();
    const ChartValueScale x = chart.effectiveScale(0);
    const ChartValueScale y = chart.effectiveScale(1);
    ChartValueScale common;
    common.Auto = false;
    common.Minimum = lib.Min(x.Minimum, y.Minimum);
    common.Maximum = lib.Max(x.Maximum, y.Maximum);
    common.MajorDivision = static_cast<int>(lib.Max(x.MajorDivision, y.MajorDivision));
    common.MinorDivision = static_cast<int>(lib.Min(x.MinorDivision, y.MinorDivision));
    chart.setAutoScale(0, false);
    chart.setAutoScale(1, false);
    for (int id = 0; id < 2; ++id) {
        ChartValueScale& s = chart.Axis(id).ValueScale;
        s.Minimum = common.Minimum;
        s.Maximum = common.Maximum;
        s.MinorDivision = common.MinorDivision;
        s.MajorDivision = common.MajorDivision;
    }
}

void styleXYSeries(ChartModel& chart, const XYPlot& plot, int series, bool withMarker)
{
    const auto index = static_cast<std::size_t>(series);
    if (series < 1 || index >= plot.Marker.size())
        SumtrixLib::raiseError(SumtrixLib::ErrSubscript, "CreateXYPlot");
    ChartSeries& s = chart.SeriesCollection(series);
    s.SeriesMarker.Auto = false;
    if (withMarker) {
        const int style = plot.Marker[index];
        if (style < 0 || style >= MarkerStyleCount)
            SumtrixLib::raiseError(SumtrixLib::ErrInvalidCall, "CreateXYPlot");
        s.DataPoint.Marker.Style = style;
        s.DataPoint.Marker.Size = markerSizeForPoints(plot.n);
    }
    ChartColor colour;
    colour.Set(plot.MarkerColor1[index], plot.MarkerColor2[index], plot.MarkerColor3[index]);
    s.DataPoint.BrushFillColor = colour;
    s.DataPoint.Marker.FillColor = colour;
    s.DataPoint.Marker.Pen.VtColor = colour;
    s.DataPoint.EdgePen.VtColor = colour;
}
