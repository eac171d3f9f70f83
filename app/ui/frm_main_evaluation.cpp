// "Calculate": the main window gathers its options, the evaluation run
// (app/core/evaluation) writes the report, and the window carries out what
// the run asks for: boxes, the method it switched to, the report window,
// and the values the run leaves in the program's state.
#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QLabel>

#include "core/evaluation/evaluation_run.hpp"
#include "core/program_state.hpp"
#include "platform/platform_services.hpp"
#include "ui/data_sheet_page.hpp"
#include "ui/flex_grid.hpp"
#include "ui/frm_info.hpp"
#include "ui/frm_main.hpp"
#include "ui/wait_cursor.hpp"

namespace {

template <class... Visitors>
struct Overloaded : Visitors... {
    using Visitors::operator()...;
};
template <class... Visitors>
Overloaded(Visitors...) -> Overloaded<Visitors...>;

} // namespace

void frmMain::Command6_Click()
{
    m_sheet->commitEdit();
    ProgramState& state = programState();
    EvaluationInput input;
    input.settings = EvaluationSettings::fromOptions(gatherOptions(), m_sheet->switches());
    state.ResidueSelection = input.settings.residueColumns;
    input.gridRows = grid()->rows();
    input.mainCaption = windowTitle();
    input.dataFileName = state.DataFileName;
    input.batchMode = state.BatchMode;
    input.now = QDateTime::currentDateTime();
    // The windows take the texts in UTF-8.
    input.utf8Only = true;
    input.limits = state.acceptanceLimits();
    input.status = [this](const QString& text) {
        if (text.isEmpty()) {
            Label16->hide();
            return;
        }
        Label16->setText(text);
        Label16->show();
        Label16->repaint();
    };

    EvaluationOutcome outcome;
    {
        WaitCursor wait;
        outcome = runEvaluation(dataMatrix(), input);
    }
    Label16->hide();
    m_lastRunRefusal = outcome.ran ? QString() : outcome.refusal;

    if (outcome.MeanY)
        state.MeanY = *outcome.MeanY;
    state.setAcceptanceLimits(outcome.limits);
    for (RunRequest& request : outcome.requests) {
        std::visit(Overloaded{
                       [](const RunRequests::Notice& r) {
                           Platform::message(r.text, MsgButtons::Ok, MsgIcon::Information);
                       },
                       [this](const RunRequests::SelectMethod& r) {
                           const auto button = r.method == RegressionMethod::WeightedLeastSquares
                                                   ? DatasetFile::Option::WeightedLeastSquares
                                               : r.method == RegressionMethod::LeastAbsoluteDeviation
                                                   ? DatasetFile::Option::RobustRegression
                                                   : DatasetFile::Option::LeastSquares;
                           applyOption(button, true);
                           Option1_Click(static_cast<int>(r.method));
                       },
                       [this](const RunRequests::ShowRanks& r) {
                           // The rank columns as the rank section wrote them, in
                           // their plain text.
                           sheet().showRanksAsWritten(r.lastRow);
                       },
                       [this](const RunRequests::ShowReport& r) {
                           frmInfo* report = showResults(r.caption, r.utf8, false);
                           if (r.autoActions)
                               if (auto* autoBox = report->findChild<QCheckBox*>(QStringLiteral("Auto")))
                                   autoBox->setChecked(true);
                       },
                       [this](RunRequests::Chart& r) {
                           if (!r.status.isEmpty()) {
                               Label16->setText(r.status);
                               Label16->show();
                               Label16->repaint();
                           }
                           frmMain::drawXYPlot(r.plot);
                           // The chart holds its own copy: a million points
                           // are not kept twice while the other requests run.
                           r.plot = XYPlot();
                       },
                       [this](const RunRequests::ShowSideWindow& r) { showResults(r.caption, r.utf8, false); },
                       [this](const RunRequests::Histograms&) { Command13_Click(); },
                       [](const RunRequests::OpenInEditor& r) { Platform::openInEditor(r.path); },
                   },
                   request);
    }
    Label16->hide();
    // Why there is no report, and which file the run could not write; a
    // command line gives the reason itself.
    if (!outcome.ran && !outcome.refusal.isEmpty() && !state.BatchMode)
        Platform::message(outcome.refusal, MsgButtons::Ok, MsgIcon::Critical);
    m_lastRunUnsavedFiles = outcome.unsavedFiles;
    if (!state.BatchMode)
        for (const QString& unsaved : std::as_const(outcome.unsavedFiles))
            Platform::message(unsaved.left(1).toUpper() + unsaved.mid(1), MsgButtons::Ok, MsgIcon::Critical);
}
