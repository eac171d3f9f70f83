#include "ui/frm_mapi.hpp"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QUuid>
#include <QVBoxLayout>

#include "core/contacts.hpp"
#include "core/mail_send.hpp"
#include "core/program_state.hpp"
#include "platform/mail_transport.hpp"
#include "platform/platform_services.hpp"
#include "platform/user_folders.hpp"
#include "ui/frm_email.hpp"
#include "ui/held_input.hpp"
#include "ui/mail_settings_dialog.hpp"
#include "ui/picture_button.hpp"
#include "ui/twips.hpp"
#include "ui/wait_cursor.hpp"

namespace {

QPointer<frmMAPI>& loaded()
{
    static QPointer<frmMAPI> window;
    return window;
}

// The password of this run, for the server and user it was given for.
struct SessionPassword {
    QString server;                      // user@host:port
    QString password;
};

SessionPassword& sessionPassword()
{
    static SessionPassword kept;
    return kept;
}

QString serverKey(const MailServer& server)
{
    return server.user + QLatin1Char('@') + server.host + QLatin1Char(':') + QString::number(server.port);
}

void showSendError(const MailError& error)
{
    NormalCursor normal;
    Platform::message(MailSend::ErrorText(error), MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Error"));
}

} // namespace

frmMAPI* frmMAPI::instance()
{
    if (!loaded()) {
        loaded() = new frmMAPI();
        loaded()->Form_Load();
    }
    return loaded();
}

bool frmMAPI::isLoaded()
{
    return !loaded().isNull();
}

void frmMAPI::forgetPassword()
{
    sessionPassword() = SessionPassword();
}

frmMAPI::frmMAPI(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmMAPI"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("eMail"));

    const auto label = [this](const char* name, const char* caption) {
        auto* l = new QLabel(QLatin1String(caption), this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    const auto textBox = [this](const char* name) {
        auto* box = new MailTextBox(this);
        box->setObjectName(QLatin1String(name));
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        return box;
    };
    Label1 = label("Label1", "Send to:");
    txtSendTo = textBox("txtSendTo");
    txtSendTo->setToolTip(QStringLiteral("Format: \"LAST Name, FIRST Name <eMail>; \""));
    txtSendTo->setFixedHeight(twips(600));
    txtSendTo->installEventFilter(this);
    Command18 = pictureButton(this, "Command18", "x-office-address-book,address-book-new",
                              QStyle::SP_FileDialogContentsView, QString(), QStringLiteral("Contacts"));
    Label2 = label("Label2", "Subject:");
    txtSubject = new QLineEdit(this);
    txtSubject->setObjectName(QStringLiteral("txtSubject"));
    Label4 = label("Label4", "Attachments:");
    txtAttach = textBox("txtAttach");
    txtAttach->setFixedHeight(twips(1245));
    Command1 = pictureButton(this, "Command1", "mail-attachment", QStyle::SP_DirOpenIcon, QString(),
                             QStringLiteral("Add an attachment"));
    Command2 = pictureButton(this, "Command2", "list-remove", QStyle::SP_TrashIcon, QString(),
                             QStringLiteral("Remove attachments"));
    Label3 = label("Label3", "Message:");
    txtMessage = textBox("txtMessage");
    Check1 = new QCheckBox(QStringLiteral("Show message window"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setChecked(true);
    cmdSettings = pictureButton(this, "cmdSettings", "preferences-system", QStyle::SP_FileDialogDetailedView,
                                QStringLiteral("Settings"), QStringLiteral("Mail server settings"));
    cmdSend = pictureButton(this, "cmdSend", "mail-send", QStyle::SP_ArrowForward, QStringLiteral("Send"),
                            QStringLiteral("Send"));
    cmdEnd = pictureButton(this, "cmdEnd", "go-previous", QStyle::SP_ArrowBack, QStringLiteral("Return"), QString());

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0, Qt::AlignTop);
    grid->addWidget(txtSendTo, 0, 1);
    grid->addWidget(Command18, 0, 2, Qt::AlignTop);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(txtSubject, 1, 1, 1, 2);
    grid->addWidget(Label4, 2, 0, 1, 3);
    grid->addWidget(txtAttach, 3, 0, 1, 2);
    auto* attachButtons = new QVBoxLayout;
    attachButtons->addWidget(Command1);
    attachButtons->addWidget(Command2);
    attachButtons->addStretch();
    grid->addLayout(attachButtons, 3, 2);
    grid->addWidget(Label3, 4, 0, 1, 3);
    grid->addWidget(txtMessage, 5, 0, 1, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Check1);
    bottom->addStretch();
    bottom->addWidget(cmdSettings);
    bottom->addWidget(cmdSend);
    bottom->addWidget(cmdEnd);
    grid->addLayout(bottom, 6, 0, 1, 3);
    grid->setRowStretch(5, 1);
    resize(twips(6375), twips(6900));

    connect(Command18, &QPushButton::clicked, this, &frmMAPI::Command18_Click);
    connect(Command1, &QPushButton::clicked, this, &frmMAPI::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMAPI::Command2_Click);
    connect(cmdSend, &QPushButton::clicked, this, &frmMAPI::cmdSend_Click);
    connect(cmdEnd, &QPushButton::clicked, this, &frmMAPI::cmdEnd_Click);
    connect(cmdSettings, &QPushButton::clicked, this, &frmMAPI::cmdSettings_Click);
}

void frmMAPI::Form_Load()
{
    if (const QScreen* s = screen()) {
        const QRect area = s->geometry();
        move(area.left() + (area.width() - frameGeometry().width()) / 2,
             area.top() + (area.height() - frameGeometry().height()) / 2);
    }
}

bool frmMAPI::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtSendTo && event->type() == QEvent::FocusIn)
        txtSendTo_GotFocus();
    return QWidget::eventFilter(watched, event);
}

void frmMAPI::txtSendTo_GotFocus()
{
    txtSendTo->selectAll();
}

void frmMAPI::Command18_Click()
{
    {
        frmeMail contacts(this);
        contacts.exec();
    }
    const QString& picked = programState().SelectedAddresses;
    if (picked.isEmpty())
        return;
    const QString current = txtSendTo->text();
    txtSendTo->setText(current.isEmpty() ? picked : current + QStringLiteral("; ") + picked);
}

void frmMAPI::Command1_Click()
{
    const ProgramState& state = programState();
    FileDialogRequest request;
    request.title = QStringLiteral("Open dataset file");
    request.filter = QStringLiteral("All Files (*.*)|*.*|KVE Files(*.KVE)|*.KVE");
    request.filterIndex = 2;
    request.initialFolder = state.DataFolder.isEmpty() ? WorkFolderPath(state.DocumentsFolder) : state.DataFolder;
    const QStringList paths = Platform::fileDialogs().chooseFiles(request);
    if (paths.isEmpty())
        return;
    WaitCursor wait;
    txtAttach->setText(MailSend::AddAttachmentPaths(txtAttach->text(), paths));
    if (!txtAttach->text().isEmpty())
        Label4->setText(MailSend::AttachmentsCaption(txtAttach->text()));
}

void frmMAPI::Command2_Click()
{
    txtAttach->clear();
    Label4->setText(QStringLiteral("Attachments:"));
}

void frmMAPI::cmdSend_Click()
{
    WaitCursor wait;
    const MailSettings settings = MailSettings::load();

    // Sign-on: a way out for the message, and the password of this run when
    // the server wants a login.
    MailServer server = MailServer::from(settings);
    MailError error = Mail::transport().ready(server);
    if (error.failed()) {
        showSendError(error);
        return;
    }
    if (settings.usesSmtp() && !settings.user.isEmpty()) {
        SessionPassword& kept = sessionPassword();
        if (kept.server != serverKey(server)) {
            std::optional<QString> password;
            {
                NormalCursor normal;
                password = Mail::dialogs().askPassword(server.user, server.host);
            }
            if (!password)
                return;
            kept = SessionPassword{serverKey(server), *password};
        }
        server.password = kept.password;
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    // Recipients resolved and attachments read before anything is recorded.
    const MailForm form{txtSendTo->text(), txtSubject->text(), txtAttach->text(), txtMessage->toPlainText()};
    const MailPreparation prepared = MailSend::Prepare(form, settings, QDateTime::currentDateTime(),
                                                       QUuid::createUuid().toString(QUuid::Id128));
    if (prepared.sendTo != form.sendTo)
        txtSendTo->setText(prepared.sendTo);
    if (prepared.error.failed()) {
        showSendError(prepared.error);
        return;
    }

    // The recipients are recorded before the message leaves, so that they
    // are offered again even when the send fails.
    const QString contactsFile = Contacts::FilePath(programState().DocumentsFolder);
    if (!prepared.recorded.isEmpty() && !contactsFile.isEmpty()) {
        const QString why = Contacts::Append(contactsFile, prepared.recorded);
        if (!why.isEmpty()) {
            showSendError(MailError{MailErrContactsFile,
                                    QStringLiteral("The recipients could not be recorded in the contacts file: ") + why});
            return;
        }
    }

    if (Check1->isChecked()) {
        NormalCursor normal;
        if (!Mail::dialogs().confirmSend(MailSend::PreviewText(prepared.content)))
            return;
    }
    const MailEnvelope envelope{prepared.content.from.address, prepared.envelopeRecipients,
                                MailMessage::BuildMessage(prepared.content)};
    // The send waits on the server: off the window's thread, so that the
    // windows still repaint under the hourglass.
    error = runBesideTheWindows([&server, &envelope] { return Mail::transport().send(server, envelope); });
    if (error.failed()) {
        if (error.number == MailErrLoginDenied)
            forgetPassword();
        showSendError(error);
    }
}

void frmMAPI::cmdEnd_Click()
{
    close();
}

void frmMAPI::cmdSettings_Click()
{
    MailSettingsDialog dialog(this);
    dialog.exec();
}
