// frmMain's R page: the command buttons and their handlers, which run R
// templates on the current dataset (see RPage).
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "core/program_state.hpp"
#include "ui/flex_grid.hpp"
#include "ui/frm_main.hpp"
#include "ui/r_page.hpp"

void frmMain::addRCommands()
{
    // The page's controls, by their names.
    auto* page = findChild<QWidget*>(QStringLiteral("Frame9_4"));
    auto* layout = qobject_cast<QGridLayout*>(page->layout());
    const auto named = [this](const char* name) { return findChild<QCheckBox*>(QLatin1String(name)); };
    RPageControls controls;
    controls.window = this;
    controls.RFile = findChild<QComboBox*>(QStringLiteral("RFile"));
    controls.ROutputList = findChild<QListWidget*>(QStringLiteral("ROutputList"));
    controls.showAll = named("Check51");
    controls.Check52 = named("Check52");
    controls.Check53 = named("Check53");
    controls.Check54 = named("Check54");
    controls.Check55 = named("Check55");
    for (int i = 0; i < 3; ++i)
        controls.RGraph[static_cast<std::size_t>(i)] = findChild<QRadioButton*>(QStringLiteral("RGraph_%1").arg(i));
    controls.Label22 = findChild<QLabel*>(QStringLiteral("Label22"));
    m_rPage = new RPage(RVariant::Single, controls, this);
    m_rPage->namedFile = [] { return programState().DataFileName; };
    m_rPage->gatherData = [this](RRunRequest& request) {
        m_sheet->commitEdit();
        request.matrix = &dataMatrix();
        request.sheetRows = grid()->rows();
        request.sheetCols = grid()->cols();
    };

    controls.RFile->setToolTip(QStringLiteral("R template to be used"));
    if (auto* refresh = page->findChild<QPushButton*>(QStringLiteral("Command28")))
        refresh->setToolTip(QStringLiteral("Refresh"));

    // "R path:" and the folder on one line, the commands below them.
    layout->removeWidget(controls.Label22);
    auto* pathRow = new QHBoxLayout();
    auto* label21 = new QLabel(QStringLiteral("R path:"), page);
    label21->setObjectName(QStringLiteral("Label21"));
    pathRow->addWidget(label21);
    pathRow->addWidget(controls.Label22, 1);
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
