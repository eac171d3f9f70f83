// frmMain's R page: the command buttons and their handlers, which run R
// templates on the current dataset (see RPage).
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "core/program_state.hpp"
#include "platform/flex_grid.hpp"
#include "ui/frm_main.hpp"
#include "ui/r_page.hpp"

void frmMain::addRCommands(QWidget* page, QGridLayout* layout)
{
    RPageControls controls;
    controls.window = this;
    controls.RFile = RFile;
    controls.ROutputList = ROutputList;
    controls.showAll = check(51);
    controls.Check52 = check(52);
    controls.Check53 = check(53);
    controls.Check54 = check(54);
    controls.Check55 = check(55);
    controls.RGraph = RGraph;
    controls.Label22 = Label22;
    m_rPage = new RPage(RVariant::Single, controls, this);
    m_rPage->namedFile = [] { return programState().DataFileName; };
    m_rPage->gatherData = [this](RRunRequest& request) {
        request.matrix = &m_matrix;
        request.sheetRows = FG2->rows();
        request.sheetCols = FG2->cols();
    };

    // "R path:" and the folder on one line, the commands below them.
    layout->removeWidget(Label22);
    auto* pathRow = new QHBoxLayout();
    auto* label21 = new QLabel(QStringLiteral("R path:"), page);
    label21->setObjectName(QStringLiteral("Label21"));
    pathRow->addWidget(label21);
    pathRow->addWidget(Label22, 1);
    layout->addLayout(pathRow, 6, 0, 1, 3);
    auto* commands = new QHBoxLayout();
    m_rPage->addButtons(page, commands);
    commands->addStretch();
    layout->addLayout(commands, 7, 0, 1, 3);
}

void frmMain::Command25_Click()
{
    m_rPage->Command25_Click();
}

void frmMain::Command26_Click()
{
    m_rPage->Command26_Click();
}

void frmMain::Command27_Click()
{
    m_rPage->Command27_Click();
}

void frmMain::Command28_Click()
{
    m_rPage->Command28_Click();
}

void frmMain::Command29_Click()
{
    m_rPage->Command29_Click();
}

void frmMain::Command31_Click()
{
    m_rPage->Command31_Click();
}

void frmMain::Command32_Click()
{
    m_rPage->Command32_Click();
}

void frmMain::Command33_Click()
{
    m_rPage->Command33_Click();
}

void frmMain::showRFolder()
{
    m_rPage->showRFolder();
}
