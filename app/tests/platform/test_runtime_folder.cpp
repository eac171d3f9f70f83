// The private runtime folder that a start gives itself when the session
// names none.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/runtime_folder.hpp"

namespace {

int modeOf(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// Restores the two variables the tests change.
struct KeptEnvironment {
    QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QByteArray temp = qgetenv("TMPDIR");
    ~KeptEnvironment()
    {
        qputenv("XDG_RUNTIME_DIR", runtime);
        qputenv("TMPDIR", temp);
    }
};

} // namespace

TEST(RuntimeFolder, ASetFolderIsKept)
{
    KeptEnvironment kept;
    QTemporaryDir session;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(session.path()));
    EXPECT_TRUE(EnsureRuntimeFolder().isEmpty());
    EXPECT_EQ(qEnvironmentVariable("XDG_RUNTIME_DIR"), session.path());
}

TEST(RuntimeFolder, WithoutOneAPrivateFolderOfThisUser)
{
    KeptEnvironment kept;
    enum class Before { Nothing, OpenFolder, LinkToAFolder, PlainFile, OtherUsersFolder };
    const struct {
        Before before;
        bool sameName; // the folder of the fixed name is used
    } cases[] = {
        {Before::Nothing, true},
        {Before::OpenFolder, true},        // mode 0755: tightened to 0700
        {Before::LinkToAFolder, false},    // never followed
        {Before::PlainFile, false},
        {Before::OtherUsersFolder, false}, // needs root to set up
    };
    for (const auto& c : cases) {
        if (c.before == Before::OtherUsersFolder && ::geteuid() != 0)
            continue;
        QTemporaryDir temp;
        QTemporaryDir elsewhere;
        const QString fixed = temp.path() + QStringLiteral("/kve-runtime-%1").arg(::getuid());
        switch (c.before) {
        case Before::Nothing:
            break;
        case Before::OpenFolder:
            ASSERT_EQ(::mkdir(QFile::encodeName(fixed).constData(), 0755), 0);
            break;
        case Before::LinkToAFolder:
            ASSERT_TRUE(QFile::link(elsewhere.path(), fixed));
            break;
        case Before::PlainFile: {
            QFile f(fixed);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            break;
        }
        case Before::OtherUsersFolder:
            ASSERT_EQ(::mkdir(QFile::encodeName(fixed).constData(), 0700), 0);
            ASSERT_EQ(::chown(QFile::encodeName(fixed).constData(), 65534, 65534), 0);
            break;
        }
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(temp.path()));

        const QString folder = EnsureRuntimeFolder();
        const int row = int(c.before);
        EXPECT_EQ(qEnvironmentVariable("XDG_RUNTIME_DIR"), folder) << row;
        EXPECT_EQ(folder == fixed, c.sameName) << row << " " << folder.toStdString();
        EXPECT_TRUE(folder.startsWith(temp.path() + QLatin1Char('/'))) << row;
        const QFileInfo info(folder);
        EXPECT_TRUE(info.isDir() && !info.isSymLink()) << row;
        EXPECT_EQ(info.ownerId(), ::getuid()) << row;
        EXPECT_EQ(modeOf(folder), 0700) << row;
        // Nothing was made or changed behind a link.
        EXPECT_TRUE(QDir(elsewhere.path()).isEmpty()) << row;
        EXPECT_EQ(modeOf(elsewhere.path()), 0700) << row;
    }
}
