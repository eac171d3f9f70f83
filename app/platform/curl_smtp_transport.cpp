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

// The end of the whole send. libcurl's total timeout does not cover the
// wait for the reply to QUIT when the connection closes, and each reply may
// take its server-response timeout: the progress function, which libcurl
// also calls about once a second while it waits for a reply, ends the
// send once this time is past, whatever it waits for.
struct Deadline {
    QElapsedTimer clock;
    qint64 limitMs = 0;
};

int stopAtDeadline(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* deadline = static_cast<const Deadline*>(user);
    return deadline->clock.elapsed() >= deadline->limitMs ? 1 : 0;
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
    Deadline deadline;
    deadline.limitMs = m_totalTimeoutMs;
    deadline.clock.start();
    lib.easy_setopt(c, CURLOPT_XFERINFOFUNCTION, stopAtDeadline);
    lib.easy_setopt(c, CURLOPT_XFERINFODATA, &deadline);
    lib.easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    lib.easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    // One connection per message, closed afterwards.
    lib.easy_setopt(c, CURLOPT_FRESH_CONNECT, 1L);
    lib.easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
    if (!server.user.isEmpty()) {
        lib.easy_setopt(c, CURLOPT_USERNAME, user.constData());
        lib.easy_setopt(c, CURLOPT_PASSWORD, password.constData());
    }
    CURLcode code = lib.easy_perform(c);
    // Stopped at the deadline: the send ran out of time, as libcurl's own
    // timeout says it.
    if (code == CURLE_ABORTED_BY_CALLBACK)
        code = CURLE_OPERATION_TIMEDOUT;
    if (code == CURLE_OK)
        return MailError{};
    const QByteArray detail = code == CURLE_OPERATION_TIMEDOUT
                                  ? QStringLiteral("the send did not end within %1 seconds")
                                        .arg(QString::number(m_totalTimeoutMs / 1000.0))
                                        .toUtf8()
                                  : QByteArray(errorBuffer);
    return curlFailure(code, detail.constData());
}
