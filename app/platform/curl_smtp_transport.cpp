// SMTP through libcurl: the implementation of CurlSmtpTransport.
//
// libcurl and the two dozen libraries it brings (TLS, Kerberos, LDAP, SSH,
// ...) are loaded when the first message goes out, not at every start of
// the program: a command-line run that mails nothing does not wait for
// them.
#include "platform/mail_transport.hpp"

#include <QElapsedTimer>
#include <QLibrary>

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <type_traits>

namespace {

// The functions of libcurl the transport calls, from the loaded library.
struct Curl {
    decltype(&curl_global_init) global_init = nullptr;
    decltype(&curl_easy_init) easy_init = nullptr;
    decltype(&curl_easy_setopt) easy_setopt = nullptr;
    decltype(&curl_easy_perform) easy_perform = nullptr;
    decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&curl_easy_strerror) easy_strerror = nullptr;
    decltype(&curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&curl_slist_append) slist_append = nullptr;
    decltype(&curl_slist_free_all) slist_free_all = nullptr;
    QString failure;                    // why the library could not be used
};

// libcurl, loaded and initialised once; `failure` says why it is not there.
const Curl& curlLibrary()
{
    static const Curl curl = [] {
        Curl c;
        static QLibrary library(QStringLiteral("curl"), 4);
        if (!library.load()) {
            c.failure = library.errorString();
            return c;
        }
        bool all = true;
        const auto resolve = [&](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
            all = all && function != nullptr;
        };
        resolve(c.global_init, "curl_global_init");
        resolve(c.easy_init, "curl_easy_init");
        resolve(c.easy_setopt, "curl_easy_setopt");
        resolve(c.easy_perform, "curl_easy_perform");
        resolve(c.easy_cleanup, "curl_easy_cleanup");
        resolve(c.easy_strerror, "curl_easy_strerror");
        resolve(c.easy_getinfo, "curl_easy_getinfo");
        resolve(c.slist_append, "curl_slist_append");
        resolve(c.slist_free_all, "curl_slist_free_all");
        if (!all)
            c.failure = QStringLiteral("%1 lacks functions the transport calls").arg(library.fileName());
        else if (c.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            c.failure = QStringLiteral("its initialisation failed");
        return c;
    }();
    return curl;
}

struct Upload {
    const QByteArray* data = nullptr;
    qsizetype offset = 0;
};

size_t readUpload(char* buffer, size_t size, size_t count, void* user)
{
    auto* upload = static_cast<Upload*>(user);
    const qsizetype left = upload->data->size() - upload->offset;
    const qsizetype n = std::min<qsizetype>(left, static_cast<qsizetype>(size * count));
    if (n > 0)
        std::memcpy(buffer, upload->data->constData() + upload->offset, static_cast<size_t>(n));
    upload->offset += n;
    return static_cast<size_t>(n);
}

// What the conversation with the server came to, read from libcurl's trace
// of the commands it sent and the replies it read: whether the server has
// accepted the message, and, when the send fails, what it waited for and
// what the server last said. A login's lines are never kept.
struct Conversation {
    QElapsedTimer clock;
    qint64 limitMs = 0;                  // the whole send
    qint64 quitReplyMs = 0;              // the wait for QUIT's reply once the message is accepted
    qint64 acceptedAtMs = -1;            // when the server accepted the message
    bool stoppedAtLimit = false;
    bool greeted = false;                // the server's first reply came
    bool mailStarted = false;            // MAIL FROM went out: the connection was set up
    bool quitting = false;               // QUIT went out: what follows explains nothing
    QByteArray command;                  // the last command as it may be shown: EHLO, MAIL FROM:<a@b>, ...
    QByteArray address;                  // the address of the last MAIL FROM or RCPT TO
    bool messageGoing = false;           // DATA was answered 354: the text goes out, then the final reply
    bool messageAnswered = false;        // the last reply is the one to the message text
    qint64 textSent = 0;                 // bytes of the message text sent
    QByteArray reply;                    // the last complete reply: its code, then each line's text
    QByteArray partial;                  // a reply of several lines still coming

    int replyCode() const { return reply.left(3).toInt(); }

    void noteCommand(const QByteArray& line)
    {
        const qsizetype space = line.indexOf(' ');
        const QByteArray verb = (space < 0 ? line : line.left(space)).toUpper();
        static const QByteArrayList Shown{"EHLO", "HELO", "STARTTLS", "AUTH", "MAIL", "RCPT", "DATA",
                                           "RSET", "NOOP", "VRFY", "EXPN", "HELP"};
        if (verb == "QUIT") {
            quitting = true;
            return;
        }
        // Anything else is a line of a login and stays unread.
        if (!Shown.contains(verb))
            return;
        command = verb;
        address.clear();
        messageAnswered = false;
        if (verb == "MAIL" || verb == "RCPT") {
            const qsizetype open = line.indexOf('<');
            const qsizetype close = line.indexOf('>', open);
            if (open >= 0 && close > open) {
                command = line.left(close + 1);
                address = line.mid(open + 1, close - open - 1);
            }
            mailStarted = true;
        }
    }

    void noteReplyLine(const QByteArray& line)
    {
        if (quitting)
            return;
        // A reply of several lines: "250-first", ..., "250 last"; shown as
        // the code and each line's text.
        partial += partial.isEmpty() ? line : ' ' + line.mid(4);
        if (line.size() >= 4 && line[3] == '-')
            return;
        reply = partial;
        partial.clear();
        greeted = true;
        if (messageGoing) {
            messageGoing = false;
            messageAnswered = true;
            if (replyCode() >= 200 && replyCode() < 300)
                acceptedAtMs = clock.elapsed();
        } else if (command == "DATA" && replyCode() == 354) {
            messageGoing = true;
        }
    }
};

int traceConversation(CURL*, curl_infotype type, char* data, size_t size, void* user)
{
    auto* talk = static_cast<Conversation*>(user);
    if (type == CURLINFO_DATA_OUT) {
        talk->textSent += static_cast<qint64>(size);
    } else if (type == CURLINFO_HEADER_OUT || type == CURLINFO_HEADER_IN) {
        for (QByteArray line : QByteArray(data, static_cast<qsizetype>(size)).split('\n')) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (line.isEmpty())
                continue;
            if (type == CURLINFO_HEADER_OUT)
                talk->noteCommand(line);
            else
                talk->noteReplyLine(line);
        }
    }
    return 0;
}

// libcurl's total timeout does not cover the wait for the reply to QUIT when
// the connection closes, and each reply may take its server-response
// timeout: the progress function, which libcurl also calls about once a
// second while it waits for a reply, ends the send once the whole send's
// time is past, whatever it waits for, and the wait for QUIT's reply once
// the short time for it is past.
int stopWhenDue(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto* talk = static_cast<Conversation*>(user);
    const qint64 now = talk->clock.elapsed();
    if (talk->acceptedAtMs >= 0)
        return now - talk->acceptedAtMs >= talk->quitReplyMs ? 1 : 0;
    if (now >= talk->limitMs) {
        talk->stoppedAtLimit = true;
        return 1;
    }
    return 0;
}

struct CurlHandle {
    void operator()(CURL* curl) const { curlLibrary().easy_cleanup(curl); }
};
struct CurlList {
    void operator()(curl_slist* list) const { curlLibrary().slist_free_all(list); }
};

QByteArray serverUrl(const MailServer& server)
{
    QString host = server.host;
    // An IPv6 address stands in brackets in a URL.
    if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('[')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    const QString scheme = server.security == MailSecurity::Tls ? QStringLiteral("smtps") : QStringLiteral("smtp");
    return (scheme + QStringLiteral("://") + host + QLatin1Char(':') + QString::number(server.port)).toUtf8();
}

MailError curlFailure(CURLcode code, const char* detail)
{
    QString description = QString::fromUtf8(curlLibrary().easy_strerror(code));
    const QString said = QString::fromUtf8(detail).trimmed();
    if (!said.isEmpty() && said != description)
        description += QStringLiteral(": ") + said;
    return MailError{static_cast<int>(code), description};
}

// "1 second", "1.5 seconds", "120 seconds".
QString seconds(qint64 ms)
{
    return ms == 1000 ? QStringLiteral("1 second")
                      : QString::number(static_cast<double>(ms) / 1000.0) + QStringLiteral(" seconds");
}

// What the send waited for when a limit ran out.
QString awaited(const Conversation& talk, bool connected, const MailServer& server, qint64 messageSize)
{
    if (!connected)
        return QStringLiteral("no connection to the server %1 port %2 was made").arg(server.host).arg(server.port);
    if (!talk.greeted)
        return QStringLiteral("the server took the connection but sent no greeting");
    if (talk.messageGoing)
        return talk.textSent < messageSize ? QStringLiteral("the server did not take the whole message")
                                           : QStringLiteral("the server did not confirm that it received the message");
    if (talk.command == "STARTTLS" && talk.replyCode() == 220)
        return QStringLiteral("the encrypted connection was not set up");
    return QStringLiteral("the server did not answer %1").arg(QString::fromUtf8(talk.command));
}

// A failed send as the user should read it: which limit ran out and what the
// send waited for, what the server refused and its reply, or that it closed
// the connection; otherwise libcurl's reason.
MailError describeFailure(CURLcode code, const char* errorBuffer, const Conversation& talk, bool connected,
                          const MailServer& server, qint64 messageSize, qint64 connectLimitMs)
{
    const QString curlText = QString::fromUtf8(curlLibrary().easy_strerror(code));
    const QString reply = QString::fromUtf8(talk.reply).trimmed();

    if (code == CURLE_OPERATION_TIMEDOUT) {
        // Until MAIL FROM the connection is being set up (greeting, EHLO,
        // encryption, login) under the connect timeout, when that is the
        // shorter one; after it only the whole send's limit runs.
        const bool connectLimit = !talk.stoppedAtLimit && !talk.mailStarted && connectLimitMs < talk.limitMs;
        const QString limit = connectLimit
                                  ? QStringLiteral("the connection limit of %1").arg(seconds(connectLimitMs))
                                  : QStringLiteral("the limit of %1 for the whole send").arg(seconds(talk.limitMs));
        return MailError{static_cast<int>(code), QStringLiteral("%1: %2 within %3.")
                                                     .arg(curlText, awaited(talk, connected, server, messageSize), limit)};
    }

    // The server said no: to whom or to what, and its words.
    if (talk.replyCode() >= 400 && !talk.messageGoing) {
        QString refused;
        if (talk.messageAnswered)
            refused = QStringLiteral("The server refused the message");
        else if (talk.command.startsWith("RCPT"))
            refused = QStringLiteral("The server refused the recipient %1").arg(QString::fromUtf8(talk.address));
        else if (talk.command.startsWith("MAIL"))
            refused = QStringLiteral("The server refused the sender address %1").arg(QString::fromUtf8(talk.address));
        else if (talk.command == "DATA")
            refused = QStringLiteral("The server refused to take the message");
        else if (talk.command == "AUTH")
            refused = curlText;
        else if (talk.command.isEmpty())
            refused = QStringLiteral("The server refused the connection");
        else
            refused = QStringLiteral("The server refused %1").arg(QString::fromUtf8(talk.command));
        return MailError{static_cast<int>(code), refused + QStringLiteral(": ") + reply};
    }

    // The server went away. libcurl reads an orderly end of the connection
    // as a failed read and shows a stale errno beside it.
    const QByteArray why(errorBuffer);
    if (connected
        && (why.startsWith("response reading failed") || why.contains("Connection reset by peer")
            || why.contains("Broken pipe"))) {
        QString when;
        if (!talk.greeted)
            when = QStringLiteral("without a greeting");
        else if (talk.messageGoing)
            when = QStringLiteral("before it confirmed that it received the message");
        else
            when = QStringLiteral("before it answered %1").arg(QString::fromUtf8(talk.command));
        return MailError{static_cast<int>(code),
                         QStringLiteral("%1: the server closed the connection %2.").arg(curlText, when)};
    }
    return curlFailure(code, errorBuffer);
}

} // namespace

MailError CurlSmtpTransport::ready(const MailServer& server)
{
    if (server.host.isEmpty())
        return MailError{MailErrNoServer, QStringLiteral("No SMTP server is set up in the mail settings.")};
    const QString bare = server.host.startsWith(QLatin1Char('[')) || !server.host.contains(QLatin1Char(':'))
                             ? server.host
                             : QLatin1Char('[') + server.host + QLatin1Char(']');
    if (!MailSettingsText::IsHostName(bare) || server.port < 1 || server.port > 65535)
        return MailError{MailErrNoServer, QStringLiteral("The SMTP server \"%1\" port %2 of the mail settings is not "
                                                         "a valid server address.")
                                              .arg(server.host)
                                              .arg(server.port)};
    return MailError{};
}

MailError CurlSmtpTransport::send(const MailServer& server, const MailEnvelope& envelope)
{
    const MailError notReady = ready(server);
    if (notReady.failed())
        return notReady;
    const Curl& lib = curlLibrary();
    if (!lib.failure.isEmpty())
        return MailError{CURLE_FAILED_INIT,
                         QStringLiteral("The mail library libcurl could not be loaded: ") + lib.failure};

    std::unique_ptr<CURL, CurlHandle> curl(lib.easy_init());
    if (!curl)
        return curlFailure(CURLE_FAILED_INIT, "");
    std::unique_ptr<curl_slist, CurlList> recipients;
    for (const QString& r : envelope.recipients) {
        const QByteArray rcpt = '<' + r.toUtf8() + '>';
        curl_slist* grown = lib.slist_append(recipients.get(), rcpt.constData());
        if (!grown)
            return curlFailure(CURLE_OUT_OF_MEMORY, "");
        recipients.release();
        recipients.reset(grown);
    }

    char errorBuffer[CURL_ERROR_SIZE] = {};
    Upload upload{&envelope.message, 0};
    const QByteArray url = serverUrl(server);
    const QByteArray from = '<' + envelope.from.toUtf8() + '>';
    const QByteArray user = server.user.toUtf8();
    const QByteArray password = server.password.toUtf8();
    CURL* c = curl.get();
    lib.easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
    lib.easy_setopt(c, CURLOPT_URL, url.constData());
    lib.easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    lib.easy_setopt(c, CURLOPT_USE_SSL,
                     static_cast<long>(server.security == MailSecurity::None ? CURLUSESSL_NONE : CURLUSESSL_ALL));
    lib.easy_setopt(c, CURLOPT_MAIL_FROM, from.constData());
    lib.easy_setopt(c, CURLOPT_MAIL_RCPT, recipients.get());
    lib.easy_setopt(c, CURLOPT_UPLOAD, 1L);
    lib.easy_setopt(c, CURLOPT_READFUNCTION, readUpload);
    lib.easy_setopt(c, CURLOPT_READDATA, &upload);
    lib.easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(envelope.message.size()));
    lib.easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_connectTimeoutMs));
    lib.easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(m_totalTimeoutMs));
    // No single reply is waited for longer than the whole send may take
    // (whole seconds, at least one).
    lib.easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, std::max(1L, static_cast<long>((m_totalTimeoutMs + 999) / 1000)));
    Conversation talk;
    talk.limitMs = m_totalTimeoutMs;
    talk.quitReplyMs = m_quitReplyMs;
    talk.clock.start();
    lib.easy_setopt(c, CURLOPT_XFERINFOFUNCTION, stopWhenDue);
    lib.easy_setopt(c, CURLOPT_XFERINFODATA, &talk);
    lib.easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    // The trace goes to traceConversation alone (nothing is printed).
    lib.easy_setopt(c, CURLOPT_DEBUGFUNCTION, traceConversation);
    lib.easy_setopt(c, CURLOPT_DEBUGDATA, &talk);
    lib.easy_setopt(c, CURLOPT_VERBOSE, 1L);
    lib.easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    // One connection per message, closed afterwards.
    lib.easy_setopt(c, CURLOPT_FRESH_CONNECT, 1L);
    lib.easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
    if (!server.user.isEmpty()) {
        lib.easy_setopt(c, CURLOPT_USERNAME, user.constData());
        lib.easy_setopt(c, CURLOPT_PASSWORD, password.constData());
    }
    CURLcode code = lib.easy_perform(c);
    // Once the server has accepted the message it is on its way, whatever
    // became of the reply to QUIT.
    if (code == CURLE_OK || talk.acceptedAtMs >= 0)
        return MailError{};
    // Stopped at the deadline: the send ran out of time, as libcurl's own
    // timeout says it.
    if (code == CURLE_ABORTED_BY_CALLBACK)
        code = CURLE_OPERATION_TIMEDOUT;
    curl_off_t connectUs = 0;
    const bool connected = lib.easy_getinfo(c, CURLINFO_CONNECT_TIME_T, &connectUs) == CURLE_OK && connectUs > 0;
    return describeFailure(code, errorBuffer, talk, connected, server, envelope.message.size(), m_connectTimeoutMs);
}
