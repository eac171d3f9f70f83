// "Calculate": the main window gathers its controls, the evaluation run
// (app/core) writes the report, and the window applies what the run asks
// for: boxes, the method it switched to, the results window, MeanY.
#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

#include "core/data_sheet.hpp"
#include "core/evaluation_run.hpp"
#include "core/program_state.hpp"
#include "platform/flex_grid.hpp"
#include "platform/platform_services.hpp"
#include "ui/frm_info.hpp"
#include "ui/frm_main.hpp"

void frmMain::Command6_Click()
{
    ProgramState& state = programState();
    if (mainWindowHooks().evaluationRun) {
        if (DataSheet::usedRowCount(m_matrix, FG2->rows()) < 3)
            return;
        const QString text = mainWindowHooks().evaluationRun(*this);
        showResults(QStringLiteral("Results - ") + windowTitle(), text, true);
        return;
    }

    EvaluationOptions options;
    options.method = RegressionMethod::None;
    for (int i = 0; i < 3; ++i)
        if (Option1[static_cast<std::size_t>(i)]->isChecked())
            options.method = static_cast<RegressionMethod>(i);
    for (const auto& [number, box] : m_checks)
        if (box->isChecked())
            options.ticked.insert(box->objectName());
    for (std::size_t i = 0; i < m_text1.size(); ++i)
        if (m_text1[i])
            options.texts.insert(m_text1[i]->objectName(), m_text1[i]->text());
    for (int i = 0; i < List1->count() && i < 14; ++i)
        options.residueSelection[static_cast<std::size_t>(i) + 1] = List1->item(i)->isSelected();
    state.ResidueSelection = options.residueSelection;
    options.gridRows = FG2->rows();
    options.mainCaption = windowTitle();
    options.dataFileName = state.DataFileName;
    options.batchMode = state.BatchMode;
    options.now = QDateTime::currentDateTime();
    options.status = [this](const QString& text) {
        if (text.isEmpty()) {
            Label16->hide();
            return;
        }
        Label16->setText(text);
        Label16->show();
        Label16->repaint();
    };

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const EvaluationOutcome outcome = runEvaluation(m_matrix, options);
    QApplication::restoreOverrideCursor();
    Label16->hide();

    if (outcome.MeanY)
        state.MeanY = *outcome.MeanY;
    frmInfo* report = nullptr;
    for (const RunRequest& request : outcome.requests) {
        switch (request.kind) {
        case RunRequest::Kind::Notice:
            Platform::message(request.text, MsgButtons::Ok, MsgIcon::Information);
            break;
        case RunRequest::Kind::ErrorBox:
            Platform::message(request.text, MsgButtons::Ok, MsgIcon::Critical);
            break;
        case RunRequest::Kind::SelectMethod: {
            const int index = static_cast<int>(request.method);
            Option1[static_cast<std::size_t>(index)]->setChecked(true);
            Option1_Click(index);
            break;
        }
        case RunRequest::Kind::ShowReport:
            report = showResults(request.caption, request.text, false);
            break;
        case RunRequest::Kind::SetAuto:
            if (report)
                if (auto* autoBox = report->findChild<QCheckBox*>(QStringLiteral("Auto")))
                    autoBox->setChecked(true);
            break;
        case RunRequest::Kind::SideWindow:
            showResults(request.caption, request.text, false);
            break;
        case RunRequest::Kind::Histograms:
        case RunRequest::Kind::Chart:
            // Drawn by the chart windows once they exist.
            break;
        }
    }
}
