// Automatically numbered result and notes files, the CR LF writer and the
// caption after a save.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/numbered_file.hpp"

namespace {
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TEST(NumberedFile, FirstFreeNumberFromZeroGapsReused)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    QString error;
    EXPECT_EQ(NumberedFile::nextFree(folder, QStringLiteral("Notes")), folder + QStringLiteral("/Notes0000.TXT"));
    ASSERT_TRUE(NumberedFile::writeText(folder + QStringLiteral("/Notes0000.TXT"), QStringLiteral("a"), error));
    ASSERT_TRUE(NumberedFile::writeText(folder + QStringLiteral("/Notes0001.TXT"), QStringLiteral("b"), error));
    EXPECT_EQ(NumberedFile::nextFree(folder, QStringLiteral("Notes")), folder + QStringLiteral("/Notes0002.TXT"));
    // Another stem counts on its own.
    EXPECT_EQ(NumberedFile::nextFree(folder, QStringLiteral("Results")), folder + QStringLiteral("/Results0000.TXT"));
    QFile::remove(folder + QStringLiteral("/Notes0000.TXT"));
    EXPECT_EQ(NumberedFile::nextFree(folder, QStringLiteral("Notes")), folder + QStringLiteral("/Notes0000.TXT"));
    // A stored folder written with "\" separators.
    QDir(folder).mkdir(QStringLiteral("sub"));
    QString windowsStyle = folder + QStringLiteral("\\sub");
    EXPECT_EQ(NumberedFile::nextFree(windowsStyle, QStringLiteral("Notes")), folder + QStringLiteral("/sub/Notes0000.TXT"));
    // A folder stored with its closing separator gets no second one; no
    // folder at all is the current one, never the root.
    EXPECT_EQ(NumberedFile::nextFree(folder + QStringLiteral("/sub/"), QStringLiteral("Notes")),
              folder + QStringLiteral("/sub/Notes0000.TXT"));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder));
    EXPECT_EQ(NumberedFile::nextFree(QString(), QStringLiteral("Notes")), QStringLiteral("Notes0000.TXT"));
    QDir::setCurrent(before);
}

TEST(NumberedFile, ANameIsFreeOnlyWhenNothingHasIt)
{
    // Whatever holds a name keeps it: a folder, a link that points nowhere
    // (a report written through it would land outside the folder), a link
    // to another folder, a plain file.
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QString folder = dir.path();
    const auto name = [&](int n) { return folder + QStringLiteral("/Notes%1.TXT").arg(n, 4, 10, QLatin1Char('0')); };
    ASSERT_TRUE(QDir().mkdir(name(0)));
    ASSERT_TRUE(QFile::link(elsewhere.filePath(QStringLiteral("gone.TXT")), name(1)));
    ASSERT_TRUE(QFile::link(elsewhere.path(), name(2)));
    QString error;
    ASSERT_TRUE(NumberedFile::writeText(name(3), QStringLiteral("x"), error));
    EXPECT_EQ(NumberedFile::nextFree(folder, QStringLiteral("Notes")), name(4));

    // The name found is written inside the folder and nothing elsewhere.
    ASSERT_TRUE(NumberedFile::writeText(name(4), QStringLiteral("report"), error));
    EXPECT_TRUE(QFileInfo(name(4)).isFile());
    EXPECT_FALSE(QFileInfo(name(4)).isSymLink());
    EXPECT_TRUE(QDir(elsewhere.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST(NumberedFile, WritesTextWithClosingLineEndOrReportsTheFailure)
{
    QTemporaryDir dir;
    QString error;
    const QString path = dir.filePath(QStringLiteral("r.TXT"));
    ASSERT_TRUE(NumberedFile::writeText(path, QStringLiteral("line 1\r\nline \u00e9"), error));
    EXPECT_EQ(readAll(path), QByteArray("line 1\r\nline \xc3\xa9\r\n"));

    const QString missing = dir.filePath(QStringLiteral("no such folder/r.TXT"));
    EXPECT_FALSE(NumberedFile::writeText(missing, QStringLiteral("x"), error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(missing));
}

TEST(NumberedFile, CaptionAfterASave)
{
    struct Case { const char* tag; const char* path; const char* caption; };
    const Case cases[] = {
        {"", "/tmp/r/Notes0000.TXT", " (/tmp/r/Notes0000.TXT)"},                  // 20 characters
        {"", "/tmp/rr/Notes0000.TXT", " (...tmp/rr/Notes0000.TXT)"},                 // 21: the last 20
        {"Report", "/home/u/KVE Files/Notes0012.TXT", "Report (... Files/Notes0012.TXT)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberedFile::savedCaption(QLatin1String(c.tag), QLatin1String(c.path)), QLatin1String(c.caption));
}
