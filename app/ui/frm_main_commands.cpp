// The main window's command buttons and the entry points its neighbours
// call: the dataset commands, the plots, the windows of the comparison,
// the mail, the random data and About, Quit and the R lists.
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QListWidget>

#include "core/data_sheet.hpp"
#include "core/kve_code.hpp"
#include "core/program_state.hpp"
#include "platform/platform_services.hpp"
#include "platform/qt_platform_services.hpp"
#include "ui/dataset_commands.hpp"
#include "ui/flex_grid.hpp"
#include "ui/frm_about.hpp"
#include "ui/frm_compare.hpp"
#include "ui/frm_info.hpp"
#include "ui/frm_main.hpp"
#include "ui/frm_mapi.hpp"
#include "ui/frm_rnd.hpp"
#include "ui/r_script_page.hpp"

void frmMain::Command8_Click()
{
    m_sheet->commitEdit();
    DatasetCommands::Command8_Click(*this);
}

void frmMain::Command1_Click()
{
    m_sheet->commitEdit();
    DatasetCommands::Command1_Click(*this);
}

void frmMain::Command17_Click()
{
    m_sheet->commitEdit();
    DatasetCommands::Command17_Click(*this);
}

void frmMain::Command5_Click()
{
    m_sheet->commitEdit();
    DatasetCommands::Command5_Click(*this);
}

void frmMain::Command4_Click()
{
    DatasetCommands::Command4_Click(*this);
}

frmInfo* frmMain::showResults(const QString& caption, const QString& text, bool batchActions)
{
    return showResults(caption, text.toUtf8(), batchActions);
}

frmInfo* frmMain::showResults(const QString& caption, const QByteArray& utf8, bool batchActions)
{
    frmInfo* window = frmInfo::showReport(caption, utf8);
    if (batchActions && programState().BatchMode) {
        if (auto* autoBox = window->findChild<QCheckBox*>(QStringLiteral("Auto")))
            autoBox->setChecked(true);
    }
    return window;
}

void frmMain::Command10_Click()
{
    auto* about = new frmAbout(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    // Modal for a person; where nobody sees the screen it must not wait.
    if (nobodyCanSeeWindows())
        about->show();
    else
        about->exec();
}

void frmMain::Command12_Click()
{
    m_sheet->commitEdit();
    frmRND::showFor(*this);
}

void frmMain::Command23_Click()
{
    m_sheet->commitEdit();
    frmCompare* compare = frmCompare::instance();
    const QString& file = programState().DataFileName;
    if (!file.isEmpty() && frmCompare::isListable(file))
        compare->list()->addItem(file);
    compare->show();
}

void frmMain::Command24_Click()
{
    m_sheet->commitEdit();
    frmMAPI* mail = frmMAPI::instance();
    const QString& file = programState().DataFileName;
    if (!file.isEmpty())
        mail->attachments()->setText(file);
    mail->show();
}

void frmMain::Command7_Click()
{
    close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    m_sheet->commitEdit();
    Form_Unload();
    // Closing the main window closes every window of the program.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window != this && window->isVisible())
            window->close();
    event->accept();
}

void frmMain::CallLoad()
{
    Command8_Click();
}
