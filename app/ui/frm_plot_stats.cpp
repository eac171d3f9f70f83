// The "Stats" box of the chart window: statistic lines on the chart's third
// series (in the XY charts the plotted points), chosen in the shared options
// window frmStatOpt and remembered per chart window.
#include <QCheckBox>
#include <QPushButton>

#include <cmath>
#include <exception>

#include "charts/chart_view.hpp"
#include "core/data_matrix.hpp"
#include "ui/frm_plot.hpp"
#include "ui/frm_stat_opt.hpp"

namespace {

// Each step on its own: one that fails (a chart without a third series) is
// left out and the next goes on.
template <class Step>
void step(Step&& s)
{
    try {
        s();
    } catch (const std::exception&) {
    }
}

} // namespace

void frmPlot::Check8_Click()
{
    if (!Check8->isChecked()) {
        // The lines go; the choices, the colour and the width stay.
        step([&] { Chart->edit().SeriesCollection(3).StatLine.Flag = 0; });
        return;
    }

    frmStatOpt* options = frmStatOpt::instance();
    for (int i = 0; i < 5; ++i)
        options->Check1(i)->setChecked(m_statChoices[static_cast<std::size_t>(i)]);
    step([&] {
        const ChartColor& c = Chart->model().SeriesCollection(3).StatLine.VtColor;
        options->setStatColor(QColor(c.Red, c.Green, c.Blue));
    });
    step([&] {
        options->lineWidthButton()->setText(
            formatRoundTrip(Chart->model().SeriesCollection(3).StatLine.Width).trimmed());
    });

    options->showModal(this);

    for (int i = 0; i < 5; ++i)
        m_statChoices[static_cast<std::size_t>(i)] = options->Check1(i)->checkState() == Qt::Checked;
    step([&] {
        const QColor c = options->statColor();
        const qint32 rgb = c.red() + 256 * c.green() + 65536 * c.blue();
        Chart->edit().SeriesCollection(3).StatLine.VtColor.Set(RedFromRGB(rgb), GreenFromRGB(rgb), BlueFromRGB(rgb));
    });
    const std::pair<StatChoice, int> flags[] = {
        {StatMean, ChartStatLine::Mean}, {StatMin, ChartStatLine::Minimum}, {StatMax, ChartStatLine::Maximum},
        {StatSD, ChartStatLine::StandardDeviation}, {StatTrend, ChartStatLine::Trend},
    };
    for (const auto& [choice, flag] : flags)
        if (m_statChoices[choice])
            step([&, flag = flag] { Chart->edit().SeriesCollection(3).StatLine.Flag |= flag; });
    const std::pair<int, int> styles[] = {
        {ChartStatLine::Mean, 2}, {ChartStatLine::StandardDeviation, 4}, {ChartStatLine::Minimum, 5},
        {ChartStatLine::Maximum, 5}, {ChartStatLine::Trend, 6},
    };
    for (const auto& [flag, style] : styles)
        step([&, flag = flag, style = style] { Chart->edit().SeriesCollection(3).StatLine.setStyle(flag, style); });
    step([&] {
        const std::optional<double> width = parseStrictNumber(options->lineWidthButton()->text());
        if (width)
            Chart->edit().SeriesCollection(3).StatLine.Width = std::nearbyint(*width);
    });
}
