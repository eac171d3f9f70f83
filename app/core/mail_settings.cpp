#include "core/mail_settings.hpp"

#include "core/mail_message.hpp"
#include "core/settings_store.hpp"

namespace {
const QString KeyHost = QStringLiteral("MailHost");
const QString KeyPort = QStringLiteral("MailPort");
const QString KeySecurity = QStringLiteral("MailSecurity");
const QString KeyUser = QStringLiteral("MailUser");
const QString KeySender = QStringLiteral("MailSender");
const QString KeyDefaultMailbox = QStringLiteral("MailDefaultMailbox");
} // namespace

int MailSettings::effectivePort() const
{
    if (port > 0)
        return port;
    switch (security) {
    case MailSecurity::None: return 25;
    case MailSecurity::StartTls: return 587;
    case MailSecurity::Tls: return 465;
    }
    return 587;
}

MailSettings MailSettings::load()
{
    using SettingsStore::GetSetting;
    MailSettings s;
    s.host = GetSetting(KeyHost).trimmed();
    bool ok = false;
    const int port = GetSetting(KeyPort).trimmed().toInt(&ok);
    s.port = ok && port > 0 && port <= 65535 ? port : 0;
    s.security = MailSettingsText::securityFromKey(GetSetting(KeySecurity));
    s.user = GetSetting(KeyUser);
    s.sender = GetSetting(KeySender).trimmed();
    s.defaultMailbox = GetSetting(KeyDefaultMailbox).trimmed();
    return s;
}

bool MailSettings::save() const
{
    return SettingsStore::SaveSettings({{KeyHost, host.trimmed()},
                                        {KeyPort, port > 0 ? QString::number(port) : QString()},
                                        {KeySecurity, MailSettingsText::securityKey(security)},
                                        {KeyUser, user},
                                        {KeySender, sender.trimmed()},
                                        {KeyDefaultMailbox, defaultMailbox.trimmed()}});
}

namespace MailSettingsText {

QString securityKey(MailSecurity security)
{
    switch (security) {
    case MailSecurity::None: return QStringLiteral("none");
    case MailSecurity::StartTls: return QStringLiteral("starttls");
    case MailSecurity::Tls: return QStringLiteral("tls");
    }
    return QStringLiteral("starttls");
}

MailSecurity securityFromKey(const QString& key)
{
    const QString k = key.trimmed().toLower();
    if (k == QLatin1String("none"))
        return MailSecurity::None;
    if (k == QLatin1String("tls"))
        return MailSecurity::Tls;
    return MailSecurity::StartTls;
}

bool IsHostName(const QString& host)
{
    // The host part of an address is checked by the same rules.
    return MailMessage::IsMailAddress(QStringLiteral("x@") + host);
}

} // namespace MailSettingsText
