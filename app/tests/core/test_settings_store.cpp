// The settings store and the user's folders.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/settings_store.hpp"
#include "platform/user_folders.hpp"

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

TEST(UserFolders, DocumentsProgramFilesAndWorkFolder)
{
    const QString docs = ShellServices::GetSpecialFolder(ShellServices::FolderDocuments);
    EXPECT_EQ(docs, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    EXPECT_FALSE(docs.endsWith(QLatin1Char('/')));
    EXPECT_EQ(ShellServices::GetSpecialFolder(ShellServices::FolderProgramFiles),
              QStringLiteral("/usr/lib"));
    EXPECT_EQ(ShellServices::GetSpecialFolder(0), QString());

    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/Documents");
    QString warning;
    EXPECT_TRUE(EnsureWorkFolder(root, warning));
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/KVE Files")).isDir());
    EXPECT_TRUE(warning.isEmpty());
    // A second start finds it.
    EXPECT_TRUE(EnsureWorkFolder(root, warning));
}

TEST(UserFolders, WorkFolderThatCannotBeMadeGivesAWarning)
{
    QString warning;
    // No documents folder: nothing is made at the root.
    EXPECT_FALSE(EnsureWorkFolder(QString(), warning));
    EXPECT_FALSE(warning.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/KVE Files")));

    // The documents "folder" is a file.
    QTemporaryDir dir;
    const QString blocker = dir.path() + QStringLiteral("/Documents");
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_FALSE(EnsureWorkFolder(blocker, warning));
    EXPECT_TRUE(warning.contains(QStringLiteral("KVE Files"))) << warning.toStdString();
}
