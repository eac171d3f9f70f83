// frmMain's charts: the XY chart builder CreateXYPlot that every scatter-type
// chart goes through, and the "Scatter" and "Rank" commands.
#include <QCheckBox>
#include <QPointer>
#include <QScrollBar>

#include <exception>

#include "SumtrixLib/Runtime.hpp"
#include "charts/chart_view.hpp"
#include "charts/xy_chart.hpp"
#include "core/plot_points.hpp"
#include "core/program_state.hpp"
#include "platform/platform_services.hpp"
#include "ui/flex_grid.hpp"
#include "ui/frm_main.hpp"
#include "ui/frm_plot.hpp"
#include "ui/wait_cursor.hpp"

namespace {

// "Scatter" and "Rank": the points of the dataset in a new chart window, or
// a message saying why there is none.
void plotCommand(frmMain& main, PlotCommand command)
{
    PlotCommandOptions options;
    options.gridRows = main.grid()->rows();
    options.showExcluded = main.check(1)->isChecked();
    options.plotYEqualsX = main.check(46)->isChecked();
    options.sameScale = main.check(22)->isChecked();
    options.swapXY = programState().SwapXY;
    options.mainCaption = main.windowTitle();

    PlotPoints points;
    {
        WaitCursor wait;
        points = buildPlotPoints(main.dataMatrix(), command, options);
    }
    if (points.status != PlotPoints::Status::Ok) {
        Platform::message(points.message, MsgButtons::Ok, MsgIcon::Critical, points.messageTitle);
        return;
    }
    frmMain::drawXYPlot(points.plot);
}

} // namespace

frmPlot* frmMain::CreateXYPlot(const XYPlot& plot)
{
    QPointer<frmPlot> window = new frmPlot();
    bool shown = false;
    try {
        window->setWindowTitle(QStringLiteral("Plot - ") + plot.PlotCaption);
        ChartView* chart = window->chart();
        fillXYChart(chart->edit(), plot);

        if (plot.SameScale) {
            window->show();
            shown = true;
            applyCommonScale(chart->edit());
            chart->Refresh();
        }

        if (plot.Cols < 1 || plot.Cols >= static_cast<int>(plot.Marker.size()))
            SumtrixLib::raiseError(SumtrixLib::ErrSubscript, "CreateXYPlot");
        for (int series = 1; series <= plot.Cols; ++series) {
            // The third series takes its marker through the window's scroll
            // bars, so that they show what the chart draws.
            styleXYSeries(chart->edit(), plot, series, series != 3);
            if (series == 3) {
                QScrollBar* style = window->styleScrollBar();
                if (plot.Marker[3] < style->minimum() || plot.Marker[3] > style->maximum())
                    SumtrixLib::raiseError(SumtrixLib::ErrInvalidCall, "CreateXYPlot");
                style->setValue(plot.Marker[3]);
                window->sizeScrollBar()->setValue(markerSizeForPoints(plot.n));
            }
        }
        chart->edit().Plot.WallPen.Style = 0;
        window->show();
        return window;
    } catch (...) {
        if (!shown && window)
            delete window.data();
        throw;
    }
}

bool frmMain::drawXYPlot(const XYPlot& plot)
{
    QString failure;
    {
        WaitCursor wait;
        try {
            // The chart is laid out now; its markers are painted at its
            // first paint, and the pointer stays busy until then.
            ChartView* chart = CreateXYPlot(plot)->chart();
            chart->Refresh();
            new WaitCursorUntilPainted(chart->viewport());
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
        }
    }
    if (failure.isEmpty())
        return true;
    Platform::message(failure, MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Plot"));
    return false;
}

void frmMain::Command11_Click()
{
    m_sheet->commitEdit();
    plotCommand(*this, PlotCommand::Scatter);
}

void frmMain::Command14_Click()
{
    m_sheet->commitEdit();
    plotCommand(*this, PlotCommand::Rank);
}

void frmMain::CallPlot()
{
    Command11_Click();
}
