// Automatically numbered result and notes files, the CR LF writer and the
// caption after a save.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/numbered_file.hpp"
#include "support/test_files.hpp"

#include <sys/stat.h>

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
    const auto next = [](const QString& f, const char* stem, const char* text = "x") {
        const NewFile written = NumberedFile::writeNext(f, QLatin1String(stem), QLatin1String(text));
        EXPECT_TRUE(written.ok()) << written.error.toStdString();
        return written.path;
    };
    EXPECT_EQ(next(folder, "Notes", "a"), folder + QStringLiteral("/Notes0000.TXT"));
    EXPECT_EQ(next(folder, "Notes", "b"), folder + QStringLiteral("/Notes0001.TXT"));
    EXPECT_EQ(readAll(folder + QStringLiteral("/Notes0000.TXT")), QByteArray("a\r\n"));
    EXPECT_EQ(readAll(folder + QStringLiteral("/Notes0001.TXT")), QByteArray("b\r\n"));
    // Another stem counts on its own.
    EXPECT_EQ(next(folder, "Results"), folder + QStringLiteral("/Results0000.TXT"));
    QFile::remove(folder + QStringLiteral("/Notes0000.TXT"));
    EXPECT_EQ(next(folder, "Notes"), folder + QStringLiteral("/Notes0000.TXT"));
    EXPECT_EQ(next(folder, "Notes"), folder + QStringLiteral("/Notes0002.TXT"));
    // A stored folder written with "\\" separators; a folder whose name
    // holds a "\\" is that folder.
    QDir(folder).mkdir(QStringLiteral("sub"));
    EXPECT_EQ(next(folder + QStringLiteral("\\sub"), "Notes"), folder + QStringLiteral("/sub/Notes0000.TXT"));
    QDir(folder).mkdir(QStringLiteral("a\\b"));
    EXPECT_EQ(next(folder + QStringLiteral("/a\\b"), "Notes"), folder + QStringLiteral("/a\\b/Notes0000.TXT"));
    // A folder stored with its closing separator gets no second one; no
    // folder at all is the current one, never the root.
    EXPECT_EQ(next(folder + QStringLiteral("/sub/"), "Notes"), folder + QStringLiteral("/sub/Notes0001.TXT"));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder + QStringLiteral("/sub")));
    EXPECT_EQ(next(QString(), "Notes"), QStringLiteral("Notes0002.TXT"));
    QDir::setCurrent(before);
    // Nothing but the numbered files: no temporary file is left behind.
    EXPECT_EQ(QDir(folder + QStringLiteral("/sub")).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("Notes0000.TXT"), QStringLiteral("Notes0001.TXT"),
                           QStringLiteral("Notes0002.TXT")}));
}

TEST(NumberedFile, ANameIsFreeOnlyWhenNothingHasIt)
{
    // Whatever holds a name keeps it: a folder, a link that points nowhere
    // (a report written through it would land outside the folder), a link
    // to another folder, a plain file. Both ways of claiming a name: a file
    // without a name linked into place, and a temporary file beside it for
    // file systems that have no unnamed files.
    for (const bool namedTemporary : {false, true}) {
        WholeFileTesting::namedTemporaryOnly = namedTemporary;
        QTemporaryDir dir;
        QTemporaryDir elsewhere;
        const QString folder = dir.path();
        const auto name = [&](int n) { return NumberedFile::name(folder, QStringLiteral("Notes"), n); };
        ASSERT_TRUE(QDir().mkdir(name(0)));
        ASSERT_TRUE(QFile::link(elsewhere.filePath(QStringLiteral("gone.TXT")), name(1)));
        ASSERT_TRUE(QFile::link(elsewhere.path(), name(2)));
        QString error;
        ASSERT_TRUE(NumberedFile::writeText(name(3), QStringLiteral("x"), error));

        // The name found is written inside the folder and nothing elsewhere.
        const NewFile written = NumberedFile::writeNext(folder, QStringLiteral("Notes"), QStringLiteral("report"));
        EXPECT_EQ(written.path, name(4)) << written.error.toStdString();
        EXPECT_TRUE(QFileInfo(name(4)).isFile());
        EXPECT_FALSE(QFileInfo(name(4)).isSymLink());
        EXPECT_EQ(readAll(name(3)), QByteArray("x\r\n"));
        EXPECT_EQ(readAll(name(4)), QByteArray("report\r\n"));
        EXPECT_TRUE(QDir(elsewhere.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
        EXPECT_EQ(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System).size(), 5);
        // A new file gets the mode any new file gets (the user's umask).
        const mode_t mask = ::umask(0);
        ::umask(mask);
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(name(4)).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0666u & ~mask) << namedTemporary;
    }
    WholeFileTesting::namedTemporaryOnly = false;
}

TEST(NumberedFile, WhenEveryNameIsTakenOrTheFolderIsMissingNothingIsWritten)
{
    QTemporaryDir dir;
    const auto names = [&](int k) { return dir.filePath(QStringLiteral("R%1.CSV").arg(k)); };
    for (int k = 1; k <= 3; ++k)
        ASSERT_TRUE(QDir().mkdir(names(k)));
    const NewFile full = writeNewFile(names, 1, 3, "data");
    EXPECT_FALSE(full.ok());
    EXPECT_EQ(full.error, QStringLiteral("No free file name is left."));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).size(), 3);

    const NewFile missing = NumberedFile::writeNext(dir.filePath(QStringLiteral("no such folder")),
                                                    QStringLiteral("Notes"), QStringLiteral("x"));
    EXPECT_EQ(missing.error, QStringLiteral("No such file or directory"));
    EXPECT_TRUE(missing.path.isEmpty());
}

TEST(NumberedFile, AWriteCutShortGivesItsReasonAndLeavesNothing)
{
    // A file size limit cuts the write after its first bytes, as a disk
    // that fills up does: the reason is the one of the cut ("File too
    // large" here, "No space left on device" on a full disk), nothing is
    // left under a new name and an earlier file stays as it was.
    QTemporaryDir dir;
    const QString earlier = dir.filePath(QStringLiteral("kept.TXT"));
    QString error;
    ASSERT_TRUE(NumberedFile::writeText(earlier, QStringLiteral("earlier"), error));
    const QString text(20000, QLatin1Char('x'));

    NewFile unnamed;
    NewFile named;
    bool replaced = true;
    withFileSizeLimit(4096, [&] {
        unnamed = NumberedFile::writeNext(dir.path(), QStringLiteral("Notes"), text);
        WholeFileTesting::namedTemporaryOnly = true;
        named = NumberedFile::writeNext(dir.path(), QStringLiteral("Notes"), text);
        WholeFileTesting::namedTemporaryOnly = false;
        replaced = NumberedFile::writeText(earlier, text, error);
    });

    for (const NewFile& written : {unnamed, named}) {
        EXPECT_EQ(written.error, QStringLiteral("File too large"));
        EXPECT_TRUE(written.path.isEmpty());
    }
    EXPECT_FALSE(replaced);
    EXPECT_EQ(error, QStringLiteral("File too large"));
    EXPECT_EQ(readAll(earlier), QByteArray("earlier\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System),
              QStringList{QStringLiteral("kept.TXT")});
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
