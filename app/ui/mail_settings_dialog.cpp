#include "ui/mail_settings_dialog.hpp"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "core/mail_message.hpp"
#include "platform/platform_services.hpp"

namespace {
const QString Title = QStringLiteral("Mail settings");

// The security choices in the order of the box.
constexpr MailSecurity Securities[] = {MailSecurity::None, MailSecurity::StartTls, MailSecurity::Tls};
} // namespace

MailSettingsDialog::MailSettingsDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("MailSettingsDialog"));
    setWindowTitle(Title);
    const auto line = [this](const char* name, const QString& text) {
        auto* box = new QLineEdit(text, this);
        box->setObjectName(QLatin1String(name));
        return box;
    };
    const MailSettings s = MailSettings::load();
    txtHost = line("txtHost", s.host);
    txtHost->setPlaceholderText(QStringLiteral("empty: the local sendmail program"));
    txtPort = line("txtPort", s.port > 0 ? QString::number(s.port) : QString());
    txtPort->setPlaceholderText(QStringLiteral("empty: 25, 587 with STARTTLS, 465 with TLS"));
    cboSecurity = new QComboBox(this);
    cboSecurity->setObjectName(QStringLiteral("cboSecurity"));
    cboSecurity->addItems({QStringLiteral("None"), QStringLiteral("STARTTLS"), QStringLiteral("TLS")});
    for (int i = 0; i < 3; ++i)
        if (Securities[i] == s.security)
            cboSecurity->setCurrentIndex(i);
    txtUser = line("txtUser", s.user);
    txtUser->setPlaceholderText(QStringLiteral("empty: the server wants no login"));
    txtSender = line("txtSender", s.sender);
    txtDefaultMailbox = line("txtDefaultMailbox", s.defaultMailbox);
    txtDefaultMailbox->setPlaceholderText(QStringLiteral("where a message without recipient goes"));

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("SMTP server:"), txtHost);
    form->addRow(QStringLiteral("Port:"), txtPort);
    form->addRow(QStringLiteral("Security:"), cboSecurity);
    form->addRow(QStringLiteral("User:"), txtUser);
    form->addRow(QStringLiteral("Sender address:"), txtSender);
    form->addRow(QStringLiteral("Default mailbox:"), txtDefaultMailbox);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &MailSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &MailSettingsDialog::reject);
    form->addRow(buttons);
    resize(460, sizeHint().height());
}

MailSettings MailSettingsDialog::entered(QString& error) const
{
    error.clear();
    MailSettings s;
    s.host = txtHost->text().trimmed();
    s.security = Securities[qBound(0, cboSecurity->currentIndex(), 2)];
    s.user = txtUser->text();
    s.sender = txtSender->text().trimmed();
    s.defaultMailbox = txtDefaultMailbox->text().trimmed();
    const QString port = txtPort->text().trimmed();
    bool ok = true;
    s.port = port.isEmpty() ? 0 : port.toInt(&ok);
    if (!ok || s.port < 0 || s.port > 65535)
        error = QStringLiteral("The port \"%1\" is not a number from 1 to 65535.").arg(port);
    else if (!s.host.isEmpty() && !MailSettingsText::IsHostName(s.host))
        error = QStringLiteral("The SMTP server \"%1\" is not a host name or address.").arg(s.host);
    else if (!s.sender.isEmpty() && !MailMessage::IsMailAddress(s.sender))
        error = QStringLiteral("The sender address \"%1\" is not an e-mail address (name@domain).").arg(s.sender);
    else if (!s.defaultMailbox.isEmpty() && !MailMessage::IsMailAddress(s.defaultMailbox))
        error = QStringLiteral("The default mailbox \"%1\" is not an e-mail address (name@domain).")
                    .arg(s.defaultMailbox);
    else if (!s.host.isEmpty() && s.sender.isEmpty())
        error = QStringLiteral("A message sent through an SMTP server needs a sender address.");
    return s;
}

void MailSettingsDialog::accept()
{
    QString error;
    const MailSettings s = entered(error);
    if (!error.isEmpty()) {
        Platform::message(error, MsgButtons::Ok, MsgIcon::Exclamation, Title);
        return;
    }
    if (!s.save()) {
        Platform::message(QStringLiteral("The mail settings could not be saved."), MsgButtons::Ok, MsgIcon::Critical,
                          Title);
        return;
    }
    QDialog::accept();
}
