// The settings store.
#include <QSettings>

#include <gtest/gtest.h>

#include <optional>

#include "core/settings_store.hpp"

TEST(SettingsStore, KeepsValuesUnderBrannex3Config)
{
    ASSERT_TRUE(SettingsStore::SaveSetting(QStringLiteral("AddComments"), QStringLiteral("0")));
    EXPECT_EQ(SettingsStore::GetSetting(QStringLiteral("AddComments")), QStringLiteral("0"));

    // Where another tool (or the R runner) finds it: organisation and
    // application "Brannex3", group "Config".
    const QSettings raw(QStringLiteral("Brannex3"), QStringLiteral("Brannex3"));
    EXPECT_EQ(raw.value(QStringLiteral("Config/AddComments")).toString(), QStringLiteral("0"));
    EXPECT_TRUE(raw.fileName().endsWith(QStringLiteral("/Brannex3/Brannex3.conf")))
        << raw.fileName().toStdString();

    SettingsStore::DeleteSetting(QStringLiteral("AddComments"));
    EXPECT_EQ(SettingsStore::GetSetting(QStringLiteral("AddComments")), QString());
}

TEST(SettingsStore, OnlyZeroOneAndTwoAreCheckStates)
{
    struct Case {
        const char* text;
        std::optional<Qt::CheckState> state;
    };
    const Case cases[] = {
        {"0", Qt::Unchecked}, {"1", Qt::Checked}, {"2", Qt::PartiallyChecked},
        {" 1 ", Qt::Checked}, {"", std::nullopt}, {"3", std::nullopt}, {"-1", std::nullopt},
        {"1.0", std::nullopt}, {"yes", std::nullopt}, {"01x", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SettingsStore::CheckStateFromSetting(QString::fromUtf8(c.text)), c.state) << c.text;

    for (const Qt::CheckState s : {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked})
        EXPECT_EQ(SettingsStore::CheckStateFromSetting(SettingsStore::SettingFromCheckState(s)), s);
    EXPECT_EQ(SettingsStore::SettingFromCheckState(Qt::Checked), QStringLiteral("1"));
}
