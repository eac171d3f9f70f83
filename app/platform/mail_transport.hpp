#pragma once
// How a built message leaves the program, and the two questions a send may
// ask the user. The mail window calls them through Mail::...(); the
// production transport sends over SMTP with libcurl (one connection per
// message) or, when no SMTP server is set up, hands the message to the
// local sendmail program; tests install scripted ones.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

#include "core/mail_send.hpp"
#include "core/mail_settings.hpp"

struct MailServer {
    QString host;                        // empty: no SMTP server
    int port = 0;
    MailSecurity security = MailSecurity::StartTls;
    QString user;                        // empty: no login
    QString password;                    // held in memory only, never written or logged

    static MailServer from(const MailSettings& settings, const QString& password = QString());
};

struct MailEnvelope {
    QString from;                        // may be empty for sendmail
    QStringList recipients;              // addresses
    QByteArray message;                  // the whole message, lines ended by CR LF
};

class MailTransport {
public:
    virtual ~MailTransport() = default;
    // Whether a message can leave by way of `server` at all (a server set
    // up and valid, or a sendmail program); checked before anything of a
    // send is recorded.
    virtual MailError ready(const MailServer& server) = 0;
    virtual MailError send(const MailServer& server, const MailEnvelope& envelope) = 0;
};

// libcurl's number when the server refused the user name or password.
inline constexpr int MailErrLoginDenied = 67;

class MailDialogs {
public:
    virtual ~MailDialogs() = default;
    // The composed message, with "Send" and "Cancel"; true for Send.
    virtual bool confirmSend(const QString& preview) = 0;
    // The password of `user` on `host`; nothing when cancelled.
    virtual std::optional<QString> askPassword(const QString& user, const QString& host) = 0;
};

// SMTP through libcurl: smtp:// (with STARTTLS required when asked for) or
// smtps://, a fresh connection for every message. The connection, with the
// server's greeting and the login, must be made within the connect timeout
// and the whole send finish within the total one. Once the server has
// accepted the message, the reply to QUIT is waited for at most
// `quitReplyMs` and the send counts as done whatever comes of it. A failure
// carries libcurl's number and says what happened: which limit ran out and
// what the send waited for, which recipient or sender the server refused and
// its reply, or that the server closed the connection.
class CurlSmtpTransport : public MailTransport {
public:
    explicit CurlSmtpTransport(int connectTimeoutMs = 15000, int totalTimeoutMs = 120000, int quitReplyMs = 5000)
        : m_connectTimeoutMs(connectTimeoutMs), m_totalTimeoutMs(totalTimeoutMs), m_quitReplyMs(quitReplyMs) {}
    MailError ready(const MailServer& server) override;
    MailError send(const MailServer& server, const MailEnvelope& envelope) override;

private:
    int m_connectTimeoutMs;
    int m_totalTimeoutMs;
    int m_quitReplyMs;
};

// The local mail system: `program -t -oi` (recipients from the headers, a
// lone "." no end of input) with the message on its standard input, never
// through a shell.
class SendmailTransport : public MailTransport {
public:
    explicit SendmailTransport(QString program, int timeoutMs = 120000)
        : m_program(std::move(program)), m_timeoutMs(timeoutMs) {}
    MailError ready(const MailServer& server) override;
    MailError send(const MailServer& server, const MailEnvelope& envelope) override;

private:
    QString m_program;
    int m_timeoutMs;
};

// SMTP when the server names a host, else sendmail when one is installed.
class SystemMailTransport : public MailTransport {
public:
    MailError ready(const MailServer& server) override;
    MailError send(const MailServer& server, const MailEnvelope& envelope) override;
};

// Modal Qt dialogs; where nobody can see windows the preview answers Send
// and the password question counts as cancelled.
class QtMailDialogs : public MailDialogs {
public:
    bool confirmSend(const QString& preview) override;
    std::optional<QString> askPassword(const QString& user, const QString& host) override;
};

namespace Mail {

MailTransport& transport();
MailDialogs& dialogs();
// Install another implementation (the caller keeps ownership); nullptr
// puts the production one back.
void setTransport(MailTransport* transport);
void setDialogs(MailDialogs* dialogs);

// The sendmail program: on the PATH, else in /usr/sbin, /usr/lib or /sbin;
// empty when there is none.
QString FindSendmail();

} // namespace Mail
