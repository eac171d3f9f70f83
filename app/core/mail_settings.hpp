#pragma once
// How the mail window reaches a mail server, kept in the settings store:
// the SMTP server (host, port, security, user), the sender address and the
// mailbox that a message goes to when the recipient box is empty. A
// password is never kept here: the mail window asks for it once per run.

#include <QString>

enum class MailSecurity { None, StartTls, Tls };

struct MailSettings {
    QString host;                        // empty: no SMTP server, sendmail if present
    int port = 0;                        // 0: the usual port of the security
    MailSecurity security = MailSecurity::StartTls;
    QString user;                        // empty: the server wants no login
    QString sender;
    QString defaultMailbox;

    // 25 without encryption, 587 with STARTTLS, 465 with TLS, unless a port
    // is set.
    int effectivePort() const;
    bool usesSmtp() const { return !host.trimmed().isEmpty(); }

    // The stored settings; absent keys give the values above.
    static MailSettings load();
    // False when the store could not be written.
    bool save() const;
};

namespace MailSettingsText {
// "none", "starttls", "tls", as stored.
QString securityKey(MailSecurity security);
// An unknown or empty text gives STARTTLS.
MailSecurity securityFromKey(const QString& key);
// A host name, an IPv4 address or an IPv6 address in brackets.
bool IsHostName(const QString& host);
} // namespace MailSettingsText
