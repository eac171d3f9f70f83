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
#include "platform/flex_grid.hpp"
#include "platform/platform_services.hpp"
#include "platform/qt_platform_services.hpp"
#include "ui/frm_about.hpp"
#include "ui/frm_compare.hpp"
#include "ui/frm_info.hpp"
#include "ui/frm_main.hpp"
#include "ui/frm_mapi.hpp"
#include "ui/r_script_page.hpp"

void frmMain::featureMissing(const QString& what)
{
    Platform::message(what + QStringLiteral(" is not available in this version of KVE."), MsgButtons::Ok,
                      MsgIcon::Information);
}

void frmMain::Command8_Click()
{
    m_sheet->commitEdit();
    if (mainWindowHooks().openDataset)
        mainWindowHooks().openDataset(*this);
    else
        featureMissing(QStringLiteral("Opening a dataset file"));
}

void frmMain::Command1_Click()
{
    m_sheet->commitEdit();
    if (mainWindowHooks().saveDataset)
        mainWindowHooks().saveDataset(*this);
    else
        featureMissing(QStringLiteral("Saving a dataset file"));
}

void frmMain::Command17_Click()
{
    m_sheet->commitEdit();
    if (mainWindowHooks().saveDatasetAs)
        mainWindowHooks().saveDatasetAs(*this);
    else
        featureMissing(QStringLiteral("Saving a dataset file"));
}

void frmMain::Command5_Click()
{
    m_sheet->commitEdit();
    if (mainWindowHooks().newDataset)
        mainWindowHooks().newDataset(*this);
    else
        featureMissing(QStringLiteral("Starting a new dataset"));
}

void frmMain::Command4_Click()
{
    if (mainWindowHooks().viewTextFile)
        mainWindowHooks().viewTextFile(*this);
    else
        featureMissing(QStringLiteral("Viewing a text file"));
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
    if (mainWindowHooks().showAbout) {
        mainWindowHooks().showAbout(*this);
        return;
    }
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
    if (mainWindowHooks().showRandom)
        mainWindowHooks().showRandom(*this);
    else
        featureMissing(QStringLiteral("The random-data generator"));
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
    if (mainWindowHooks().unload)
        mainWindowHooks().unload(*this);
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
