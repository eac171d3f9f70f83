#include "ui/frm_about.hpp"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "core/program_info.hpp"
#include "core/program_state.hpp"
#include "platform/platform_services.hpp"
#include "platform/system_info.hpp"
#include "ui/caption_fit.hpp"
#include "ui/picture_button.hpp"
#include "ui/twips.hpp"

namespace {
// The five square buttons along the bottom: a picture above the caption.
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QString& tooltip,
                        const char* picture, QStyle::StandardPixmap fallback, int left)
{
    QPushButton* button = pictureButton(parent, name, picture, fallback, caption, tooltip);
    button->setGeometry(twips(left), twips(6480), twips(800), twips(800));
    return button;
}
} // namespace

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About KVE"));
    setModal(true);

    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(twips(120), twips(120), twips(5040), twips(400));
    lblDescription = new QLabel(this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);
    lblDescription->setGeometry(twips(120), twips(600), twips(5040), twips(700));
    // The legal notice wraps at the box's width and scrolls when it is
    // longer than the box, so that all of it can be read.
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Text1->setPlainText(legalNotice());
    Text1->setGeometry(twips(120), twips(1380), twips(5040), twips(720));
    lblDisclaimer = new QPlainTextEdit(this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setReadOnly(true);
    lblDisclaimer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lblDisclaimer->setGeometry(twips(120), twips(2160), twips(5040), twips(3015));

    Command2 = makeButton(this, "Command2", QStringLiteral("Web"), QStringLiteral("KVE Web page"),
                          "internet-web-browser,web-browser", QStyle::SP_DriveNetIcon, 120);
    Command1 = makeButton(this, "Command1", QStringLiteral("Options"), QStringLiteral("Startup parameters"),
                          "utilities-terminal", QStyle::SP_FileDialogDetailedView, 1080);
    cmdSysInfo = makeButton(this, "cmdSysInfo", QStringLiteral("Sysinfo"), QStringLiteral("System information"),
                            "computer", QStyle::SP_ComputerIcon, 2040);
    Command3 = makeButton(this, "Command3", QStringLiteral("Help"), QStringLiteral("Help"),
                          "help-contents,help-browser", QStyle::SP_DialogHelpButton, 3000);
    cmdOK = makeButton(this, "cmdOK", QStringLiteral("Return"), QString(), "go-previous", QStyle::SP_ArrowBack, 4320);
    for (QPushButton* button : {Command2, Command1, cmdSysInfo, Command3, cmdOK})
        widenToCaption(button);
    flowRow({Command2, Command1, cmdSysInfo, Command3, cmdOK}, twips(40));
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmAbout::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmAbout::Command3_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    // The box opens with the focus on the button that closes it.
    cmdOK->setDefault(true);
    cmdOK->setFocus();

    Form_Load();
}

QString frmAbout::legalNotice()
{
    return ProgramName()
           + QStringLiteral(" is free to use; all rights in its name and its manual are reserved.");
}

QString frmAbout::startupParametersText()
{
    // What the command line does on this system: paths with "/", the value
    // right after its letter, double quotes (which the shell removes) around
    // a switch whose path holds blanks.
    const char* const lines[] = {
        "/F/folder/name.KVE = KVE dataset to open and evaluate",
        "/folder/name.KVE (without a switch) = the same as /F; a .QCX file: comparison list (/C)",
        "/G = show plots",
        "/R = perform residual analysis",
        "/P = print results",
        "/S = save results as the next free NotesNNNN.TXT (in the /L folder, else the dataset's)",
        "/O = close the results window (with /S: open the saved file in the editor)",
        "/L/folder/ = folder to save results in",
        "/X = quit when done (on failure: exit status 1, the reason on stderr)",
        "A path with blanks: quote the whole switch, \"/F/home/me/my data/a.KVE\"",
    };
    QString text;
    for (const char* line : lines)
        text += QLatin1String(line) + QStringLiteral("\r\n");
    return text;
}

void frmAbout::Form_Load()
{
    resize(twips(5350), twips(7800));
    lblVersion->setText(QStringLiteral("Version ") + ProgramVersionText());
    lblDescription->setText(
        ProgramName() + QStringLiteral(" was designed to assist in determining mathematical model adequacy"));
    lblDisclaimer->setPlainText(programState().DisclaimerText);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

void frmAbout::Command1_Click()
{
    Platform::message(startupParametersText(), MsgButtons::Ok, MsgIcon::Information);
}

// "Web" and "Help" both open the user manual that comes with the program,
// with the desktop's opener; when it cannot, a box says so.
void frmAbout::Command2_Click()
{
    Platform::openDocument(ManualPath());
}

void frmAbout::Command3_Click()
{
    Platform::openDocument(ManualPath());
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::StartSysInfo()
{
    DesktopServices& services = desktopServices();
    const QString program =
        FindSystemInfoTool([&services](const QString& name) { return services.findExecutable(name); });
    if (program.isEmpty() || !services.startDetached(program))
        Platform::message(QStringLiteral("System Information is unavailable at this time"));
}
