#include "platform/mail_transport.hpp"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QInputDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "platform/qt_platform_services.hpp"

MailServer MailServer::from(const MailSettings& settings, const QString& password)
{
    MailServer server;
    server.host = settings.host.trimmed();
    server.port = settings.effectivePort();
    server.security = settings.security;
    server.user = settings.user;
    server.password = password;
    return server;
}

// ---- sendmail -------------------------------------------------------------

MailError SendmailTransport::ready(const MailServer&)
{
    if (m_program.isEmpty() || !QFileInfo(m_program).isExecutable())
        return MailError{MailErrNoServer, QStringLiteral("No SMTP server is set up in the mail settings and no "
                                                         "sendmail program was found.")};
    return MailError{};
}

MailError SendmailTransport::send(const MailServer& server, const MailEnvelope& envelope)
{
    const MailError notReady = ready(server);
    if (notReady.failed())
        return notReady;
    QProcess process;
    process.setProgram(m_program);
    process.setArguments({QStringLiteral("-t"), QStringLiteral("-oi")});
    process.start();
    if (!process.waitForStarted(15000))
        return MailError{MailErrSendmail,
                         QStringLiteral("%1 could not be started: %2").arg(m_program, process.errorString())};
    // The local mail system reads lines ended by LF.
    QByteArray message = envelope.message;
    message.replace("\r\n", "\n");
    process.write(message);
    process.closeWriteChannel();
    if (!process.waitForFinished(m_timeoutMs)) {
        process.kill();
        process.waitForFinished(2000);
        return MailError{MailErrSendmail, QStringLiteral("%1 did not finish within %2 seconds.")
                                              .arg(m_program)
                                              .arg(m_timeoutMs / 1000)};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        QString description = process.exitStatus() != QProcess::NormalExit
                                  ? QStringLiteral("%1 stopped abnormally.").arg(m_program)
                                  : QStringLiteral("%1 failed with exit status %2.").arg(m_program).arg(process.exitCode());
        if (!said.isEmpty())
            description += QLatin1Char(' ') + said;
        return MailError{MailErrSendmail, description};
    }
    return MailError{};
}

// ---- routing --------------------------------------------------------------

MailError SystemMailTransport::ready(const MailServer& server)
{
    if (!server.host.isEmpty())
        return CurlSmtpTransport().ready(server);
    return SendmailTransport(Mail::FindSendmail()).ready(server);
}

MailError SystemMailTransport::send(const MailServer& server, const MailEnvelope& envelope)
{
    if (!server.host.isEmpty())
        return CurlSmtpTransport().send(server, envelope);
    return SendmailTransport(Mail::FindSendmail()).send(server, envelope);
}

// ---- dialogs --------------------------------------------------------------

bool QtMailDialogs::confirmSend(const QString& preview)
{
    if (nobodyCanSeeWindows())
        return true;
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(QStringLiteral("eMail"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QPlainTextEdit(&dialog);
    text->setReadOnly(true);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setPlainText(preview);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* send = buttons->addButton(QStringLiteral("Send"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    send->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(640, 480);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QString> QtMailDialogs::askPassword(const QString& user, const QString& host)
{
    if (nobodyCanSeeWindows())
        return std::nullopt;
    bool ok = false;
    const QString password = QInputDialog::getText(
        QApplication::activeWindow(), QStringLiteral("eMail"),
        QStringLiteral("Password of %1 on the mail server %2:").arg(user, host), QLineEdit::Password, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return password;
}

// ---- slots ----------------------------------------------------------------

namespace {
MailTransport* g_transport = nullptr;
MailDialogs* g_dialogs = nullptr;
} // namespace

namespace Mail {

MailTransport& transport()
{
    static SystemMailTransport production;
    return g_transport ? *g_transport : production;
}

MailDialogs& dialogs()
{
    static QtMailDialogs production;
    return g_dialogs ? *g_dialogs : production;
}

void setTransport(MailTransport* transport) { g_transport = transport; }
void setDialogs(MailDialogs* dialogs) { g_dialogs = dialogs; }

QString FindSendmail()
{
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("sendmail"));
    if (!onPath.isEmpty())
        return onPath;
    return QStandardPaths::findExecutable(QStringLiteral("sendmail"),
                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/lib"),
                                           QStringLiteral("/sbin")});
}

} // namespace Mail
