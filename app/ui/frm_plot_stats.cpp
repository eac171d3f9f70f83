// The "Stats" box of the chart window: statistic lines on the chart's third
// series (in the XY charts the plotted points).
#include "charts/chart_view.hpp"
#include "ui/frm_plot.hpp"

#include <QPushButton>

void frmPlot::Check8_Click()
{
    try {
        ChartStatLine& stat = Chart->edit().SeriesCollection(3).StatLine;
        if (!Check8->isChecked()) {
            stat.Flag = 0;
            return;
        }
        // The statistics last chosen in this window, each in its own pen.
        const std::pair<StatChoice, int> flags[] = {
            {StatMean, ChartStatLine::Mean}, {StatMin, ChartStatLine::Minimum}, {StatMax, ChartStatLine::Maximum},
            {StatSD, ChartStatLine::StandardDeviation}, {StatTrend, ChartStatLine::Trend},
        };
        for (const auto& [choice, flag] : flags)
            if (m_statChoices[choice])
                stat.Flag |= flag;
        stat.setStyle(ChartStatLine::Mean, 2);
        stat.setStyle(ChartStatLine::StandardDeviation, 4);
        stat.setStyle(ChartStatLine::Minimum, 5);
        stat.setStyle(ChartStatLine::Maximum, 5);
        stat.setStyle(ChartStatLine::Trend, 6);
    } catch (const std::exception&) {
        // A chart without a third series keeps its look.
    }
}
