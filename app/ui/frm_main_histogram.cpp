// frmMain's histograms: the histogram builder CreateHistogramPlot and the
// "Histo" command that the button, the histogram panel's picture button and
// the evaluation run's "Histogram plots" option call.
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <exception>

#include "charts/chart_view.hpp"
#include "charts/histogram_chart.hpp"
#include "core/histogram.hpp"
#include "platform/platform_services.hpp"
#include "ui/flex_grid.hpp"
#include "ui/frm_main.hpp"
#include "ui/frm_plot.hpp"
#include "ui/wait_cursor.hpp"

frmPlot* frmMain::CreateHistogramPlot(const HistogramPlot& plot)
{
    // Everything that can fail on the values fails here, before a window.
    const std::optional<HistogramBins> bins = computeHistogram(plot);
    if (!bins)
        return nullptr;
    QPointer<frmPlot> window = new frmPlot();
    try {
        window->setWindowTitle(QStringLiteral("Plot - ") + plot.PlotCaption);
        window->setInfoTag(bins->rangeText);
        window->infoButton()->setText(QStringLiteral("Range"));
        window->infoButton()->setVisible(true);
        fillHistogramChart(window->chart()->edit(), plot, *bins);
        // The marker scroll bars and the statistic lines belong to the XY
        // charts' third series, which a histogram does not have.
        window->styleScrollBar()->hide();
        window->sizeScrollBar()->hide();
        window->statsBox()->hide();
        window->show();
        return window;
    } catch (...) {
        if (window)
            delete window.data();
        throw;
    }
}

void frmMain::Command13_Click()
{
    m_sheet->commitEdit();
    const auto ticked = [this](int box) { return check(box)->checkState() == Qt::Checked; };
    const auto selected = [this](const QString& name) {
        auto* option = findChild<QRadioButton*>(name);
        return option && option->isChecked();
    };
    HistogramCommandOptions options;
    options.gridRows = grid()->rows();
    options.showExcluded = check(CheckBox::ShowExcluded)->checkState() != Qt::Unchecked;
    options.plotXY = ticked(37);
    options.together = selected(QStringLiteral("Option3_0"));
    options.difference = ticked(42);
    options.absDifference = ticked(43);
    options.accumulated = ticked(38);
    options.percentage = ticked(39);
    options.chartD = 0;
    if (ticked(40))
        options.chartD = 1;
    if (ticked(41))
        options.chartD = 2;
    options.chartType = 0;
    for (int i = 0; i < 5; ++i)
        if (selected(QStringLiteral("Option2_%1").arg(i)))
            options.chartType = i + 1;
    options.binsText = text1(TextBox::HistogramBins)->text();

    QString failure;
    QString failureTitle;
    {
        WaitCursor wait;
        const HistogramCommand command = buildHistogramCommand(dataMatrix(), options);
        if (command.status != HistogramCommand::Status::Ok) {
            failure = command.message;
            failureTitle = command.messageTitle;
        } else {
            // Each histogram in a window of its own; one that fails ends
            // the command, the windows before it stay open.
            for (const HistogramPlot& plot : command.charts) {
                try {
                    CreateHistogramPlot(plot);
                } catch (const std::exception& e) {
                    failure = QString::fromUtf8(e.what());
                    failureTitle = QStringLiteral("Histogram");
                    break;
                }
            }
        }
    }
    if (!failure.isEmpty())
        Platform::message(failure, MsgButtons::Ok, MsgIcon::Critical, failureTitle);
}

void frmMain::Command15_Click()
{
    Command13_Click();
}
