#include "core/settings_store.hpp"

#include <QSettings>

namespace SettingsStore {

namespace {
constexpr const char* Organisation = "Brannex3";
constexpr const char* Application = "Brannex3";
constexpr const char* Group = "Config";

QString fullKey(const QString& key)
{
    return QLatin1String(Group) + QLatin1Char('/') + key;
}
} // namespace

QString GetSetting(const QString& key)
{
    const QSettings settings{QString::fromLatin1(Organisation), QString::fromLatin1(Application)};
    return settings.value(fullKey(key)).toString();
}

bool SaveSetting(const QString& key, const QString& value)
{
    return SaveSettings({{key, value}});
}

bool SaveSettings(const QList<std::pair<QString, QString>>& values)
{
    QSettings settings{QString::fromLatin1(Organisation), QString::fromLatin1(Application)};
    bool changed = false;
    for (const auto& [key, value] : values) {
        const QString k = fullKey(key);
        const QVariant stored = settings.value(k);
        if (stored.isValid() && stored.toString() == value)
            continue;
        settings.setValue(k, value);
        changed = true;
    }
    // The file is rewritten (and synced to disk) once, and only when a
    // value changed.
    if (changed)
        settings.sync();
    return settings.status() == QSettings::NoError;
}

void DeleteSetting(const QString& key)
{
    QSettings settings{QString::fromLatin1(Organisation), QString::fromLatin1(Application)};
    settings.remove(fullKey(key));
    settings.sync();
}

std::optional<Qt::CheckState> CheckStateFromSetting(const QString& text)
{
    const QString t = text.trimmed();
    if (t == QLatin1String("0"))
        return Qt::Unchecked;
    if (t == QLatin1String("1"))
        return Qt::Checked;
    if (t == QLatin1String("2"))
        return Qt::PartiallyChecked;
    return std::nullopt;
}

QString SettingFromCheckState(Qt::CheckState state)
{
    switch (state) {
    case Qt::Checked: return QStringLiteral("1");
    case Qt::PartiallyChecked: return QStringLiteral("2");
    case Qt::Unchecked: break;
    }
    return QStringLiteral("0");
}

} // namespace SettingsStore
