// The user's folders: documents, program files and the work folder.
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/user_folders.hpp"

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
