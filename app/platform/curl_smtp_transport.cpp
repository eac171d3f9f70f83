// SMTP through libcurl: the implementation of CurlSmtpTransport.
#include "platform/mail_transport.hpp"

#include <curl/curl.h>

#include <cstring>
#include <memory>
#include <mutex>

namespace {

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

struct CurlHandle {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct CurlList {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
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
    QString description = QString::fromUtf8(curl_easy_strerror(code));
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
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    std::unique_ptr<CURL, CurlHandle> curl(curl_easy_init());
    if (!curl)
        return curlFailure(CURLE_FAILED_INIT, "");
    std::unique_ptr<curl_slist, CurlList> recipients;
    for (const QString& r : envelope.recipients) {
        const QByteArray rcpt = '<' + r.toUtf8() + '>';
        curl_slist* grown = curl_slist_append(recipients.get(), rcpt.constData());
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
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(c, CURLOPT_USE_SSL,
                     static_cast<long>(server.security == MailSecurity::None ? CURLUSESSL_NONE : CURLUSESSL_ALL));
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, readUpload);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(envelope.message.size()));
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_connectTimeoutMs));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(m_totalTimeoutMs));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    // One connection per message, closed afterwards.
    curl_easy_setopt(c, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
    if (!server.user.isEmpty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData());
    }
    const CURLcode code = curl_easy_perform(c);
    if (code != CURLE_OK)
        return curlFailure(code, errorBuffer);
    return MailError{};
}
