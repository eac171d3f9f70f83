// Restyling a chart in place: a double click on an element of the chart
// (ChartView's activation signals) steps a frame or grid style, asks for a
// text, a font or a colour, or shows the values of a data point.
#include "charts/chart_view.hpp"
#include "core/xy_plot.hpp"
#include "platform/platform_services.hpp"
#include "ui/frm_plot.hpp"

namespace {

// The next style of a cycle 0, 1, ..., last, 0, ...
int nextStyle(int style, int last)
{
    return style >= last || style < 0 ? 0 : style + 1;
}

} // namespace

void frmPlot::Chart_ChartActivated()
{
    int& frame = Chart->edit().Backdrop.FrameStyle;
    frame = nextStyle(frame, 4);
}

void frmPlot::Chart_PlotActivated()
{
    int& frame = Chart->edit().Plot.Backdrop.FrameStyle;
    frame = nextStyle(frame, 4);
}

void frmPlot::Chart_AxisActivated(int axisId, int)
{
    guarded([&] {
        int& grid = Chart->edit().Axis(axisId).GridPen.Style;
        grid = nextStyle(grid, 8);
    });
}

void frmPlot::editText(const std::function<ChartText&(ChartModel&)>& element)
{
    guarded([&] {
        InputBoxRequest request;
        request.prompt = QStringLiteral("What is the label");
        request.title = QStringLiteral("Label");
        request.defaultText = element(Chart->edit()).Text;
        // Cancel keeps the text; an empty answer clears it and asks for no
        // font.
        const std::optional<QString> answer = Platform::inputBox().ask(request);
        if (!answer)
            return;
        element(Chart->edit()).Text = *answer;
        if (answer->isEmpty())
            return;
        if (const std::optional<ChartFont> font = chooseFont(element(Chart->edit()).VtFont))
            element(Chart->edit()).VtFont = *font;
    });
}

void frmPlot::Chart_TitleActivated()
{
    editText([](ChartModel& chart) -> ChartText& { return chart.Title; });
}

void frmPlot::Chart_FootnoteActivated()
{
    editText([](ChartModel& chart) -> ChartText& { return chart.Footnote; });
}

void frmPlot::Chart_AxisTitleActivated(int axisId, int)
{
    editText([axisId](ChartModel& chart) -> ChartText& { return chart.Axis(axisId).AxisTitle; });
}

void frmPlot::Chart_AxisLabelActivated(int axisId, int, int, int labelIndex)
{
    guarded([&] {
        const ChartFont current = Chart->model().Axis(axisId).Labels(labelIndex);
        if (const std::optional<ChartFont> font = chooseFont(current))
            Chart->edit().Axis(axisId).Labels(labelIndex) = *font;
    });
}

void frmPlot::Chart_SeriesActivated(int series)
{
    guarded([&] {
        Chart->model().SeriesCollection(series);   // a series that is not there fails before the dialog
        const std::optional<QColor> colour = chooseColor();
        if (!colour)
            return;
        const qint32 rgb = colour->red() + 256 * colour->green() + 65536 * colour->blue();
        const int red = RedFromRGB(rgb), green = GreenFromRGB(rgb), blue = BlueFromRGB(rgb);
        ChartModel& chart = Chart->edit();
        ChartSeries& s = chart.SeriesCollection(series);
        if (chart.chartType() == ChartType::Line3D || chart.chartType() == ChartType::Line2D) {
            s.Pen.VtColor.Set(red, green, blue);
            return;
        }
        // All points of the series: fill, marker fill, marker outline, and
        // the edge that an XY chart draws its line in.
        s.DataPoint.BrushFillColor.Set(red, green, blue);
        s.DataPoint.Marker.FillColor.Set(red, green, blue);
        s.DataPoint.Marker.Pen.VtColor.Set(red, green, blue);
        s.DataPoint.EdgePen.VtColor.Set(red, green, blue);
    });
}

void frmPlot::Chart_PointActivated(int series, int dataPoint)
{
    guarded([&] {
        ChartModel& chart = Chart->edit();
        // A column the chart does not have or an empty cell reads "n/a".
        const auto valueAt = [&](int column) -> QString {
            if (column < 1 || column > chart.ColumnCount() || dataPoint < 1 || dataPoint > chart.RowCount())
                return QStringLiteral("n/a");
            chart.setColumn(column);
            chart.setRow(dataPoint);
            const std::optional<double> value = chart.Data();
            return value ? plainNumberText(*value) : QStringLiteral("n/a");
        };
        const QString predicted = valueAt(series);
        const QString observed = valueAt(chart.isXY() ? 4 : 2);
        Platform::message(QStringLiteral("Datapoint") + plainNumberText(dataPoint - 1) + QStringLiteral("\r\nPred (X) = ")
                              + predicted + QStringLiteral("\r\nObs (Y) = ") + observed,
                          MsgButtons::Ok, MsgIcon::Information, QStringLiteral("Plot"));
    });
}
