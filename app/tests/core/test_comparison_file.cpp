// The comparison file (*.QCX): its bytes, reading it back whole or not at
// all, and saving without ever losing the previous copy.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "core/comparison_file.hpp"
#include "support/test_files.hpp"

using ComparisonFile::Entry;

TEST(ComparisonFile, BytesAreOneLinePerItemWithTickAndQuotedPath)
{
    const QList<Entry> entries{{true, QStringLiteral("/data/model A.KVE")},
                               {false, QStringLiteral("/data/B, final.KVE")}};
    EXPECT_EQ(ComparisonFile::format(entries),
              QByteArray("#TRUE#,\"/data/model A.KVE\"\r\n#FALSE#,\"/data/B, final.KVE\"\r\n"));
    EXPECT_EQ(ComparisonFile::format({}), QByteArray());

    const ComparisonFile::ParseResult back = ComparisonFile::parse(*ComparisonFile::format(entries));
    ASSERT_TRUE(back.ok()) << back.error.toStdString();
    EXPECT_EQ(*back.entries, entries);

    // A double quote in a path has no written form, and a line break or
    // another control character would leave the path's line: the list is
    // refused, not mangled.
    const struct {
        QString path;
        const char* why;
    } unstorable[] = {
        {QStringLiteral("/a\"b.KVE"), "holds a double quote"},
        {QStringLiteral("/a\nb.KVE"), "holds a line break or another control character"},
        {QStringLiteral("/a\rb.KVE"), "holds a line break or another control character"},
        {QStringLiteral("/a\tb.KVE"), "holds a line break or another control character"},
        {QStringLiteral("/a\u2029b.KVE"), "holds a line break or another control character"},
    };
    for (const auto& c : unstorable) {
        QString offending;
        EXPECT_FALSE(ComparisonFile::format({{true, QStringLiteral("/ok.KVE")}, {true, c.path}}, &offending));
        EXPECT_EQ(offending, c.path);
        EXPECT_EQ(ComparisonFile::whyNotStorable(c.path), QLatin1String(c.why));
    }
    EXPECT_EQ(ComparisonFile::whyNotStorable(QStringLiteral("/d/a b;$(x) \u00e9.KVE")), QString());
}

TEST(ComparisonFile, ReadingAcceptsOtherLineEndsAndRefusesDamage)
{
    // LF line ends, blank lines, blanks around the fields, any case of the
    // keywords, no final line end, Windows-1252 names of older files.
    const ComparisonFile::ParseResult lenient = ComparisonFile::parse(
        "#FALSE#,\"/x/a.KVE\"\n\n  #true# , \"/x/Mod\xe9le.KVE\"  \r\n#TRUE#,\"\"");
    ASSERT_TRUE(lenient.ok()) << lenient.error.toStdString();
    EXPECT_EQ(*lenient.entries, (QList<Entry>{{false, QStringLiteral("/x/a.KVE")},
                                              {true, QStringLiteral("/x/Mod\u00e9le.KVE")},
                                              {true, QString()}}));

    struct Case {
        QByteArray bytes;
        const char* error;
    };
    const Case cases[] = {
        {"#TRUE#,\"/a.KVE\"\r\n/b.KVE\r\n", "line 2 is not a list entry"},
        {"#YES#,\"/a.KVE\"\r\n", "line 1 is not a list entry"},
        {"#TRUE#,/a.KVE\r\n", "line 1 is not a list entry"},
        {"#TRUE#,\"/a.KVE\r\n", "line 1 is not a list entry"},
        {QByteArray("#TRUE#,\"/a.KVE\"\r\n\0\r\n", 18), "it is not a text file."},
    };
    for (const Case& c : cases) {
        const ComparisonFile::ParseResult r = ComparisonFile::parse(c.bytes);
        EXPECT_FALSE(r.ok()) << c.bytes.toStdString();
        EXPECT_TRUE(r.error.startsWith(QLatin1String(c.error))) << r.error.toStdString();
    }
}

TEST(ComparisonFile, FailedSavesLeaveThePreviousFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("models.QCX"));
    const QList<Entry> first{{true, QStringLiteral("/data/a.KVE")}};
    ASSERT_EQ(ComparisonFile::save(path, first), QString());
    const QByteArray before = readBytes(path);
    EXPECT_EQ(*ComparisonFile::load(path).entries, first);

    // A list that cannot be written, and a write cut short by the file
    // size limit of the process (which holds for every user).
    EXPECT_FALSE(ComparisonFile::save(path, {{true, QStringLiteral("/q\"uote.KVE")}}).isEmpty());
    EXPECT_EQ(ComparisonFile::save(path, {{true, QStringLiteral("/line\nbreak.KVE")}}),
              QStringLiteral("the file name /line\nbreak.KVE holds a line break or another control character, "
                             "which a comparison file cannot store."));
    QList<Entry> many;
    for (int i = 0; i < 500; ++i)
        many.append({i % 2 == 0, QStringLiteral("/data/model number %1.KVE").arg(i)});
    QString cut;
    withFileSizeLimit(4096, [&] { cut = ComparisonFile::save(path, many); });
    EXPECT_FALSE(cut.isEmpty());
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("models.QCX")});

    EXPECT_FALSE(ComparisonFile::save(dir.filePath(QStringLiteral("no/such/folder/m.QCX")), first).isEmpty());
}

TEST(ComparisonFile, OpeningWhatIsNoFileNamesTheReason)
{
    QTemporaryDir dir;
    const auto at = [&dir](const char* name) { return dir.filePath(QLatin1String(name)); };
    writeBytes(at("plain.QCX"), "");
    ASSERT_TRUE(QFile::link(at("gone.QCX"), at("broken.QCX")));
    ASSERT_TRUE(QFile::link(at("loop2.QCX"), at("loop1.QCX")));
    ASSERT_TRUE(QFile::link(at("loop1.QCX"), at("loop2.QCX")));
    ASSERT_EQ(mkfifo(QFile::encodeName(at("pipe.QCX")).constData(), 0600), 0);
    struct Case {
        QString path;
        QString error;             // strerror's texts, as the system gives them
    };
    const Case cases[] = {
        {at("missing.QCX"), QStringLiteral("No such file or directory.")},
        {QString(), QStringLiteral("No such file or directory.")},
        {at("broken.QCX"), QStringLiteral("No such file or directory (it is a link to %1).").arg(at("gone.QCX"))},
        {at("loop1.QCX"), QStringLiteral("Too many levels of symbolic links (it is a link to %1).").arg(at("loop2.QCX"))},
        {at("plain.QCX/x.QCX"), QStringLiteral("Not a directory.")},
        {dir.path(), QStringLiteral("it is a folder, not a file.")},
        {at("pipe.QCX"), QStringLiteral("it is not a regular file.")},
    };
    for (const Case& c : cases) {
        const ComparisonFile::ParseResult read = ComparisonFile::load(c.path);
        EXPECT_FALSE(read.ok()) << c.path.toStdString();
        EXPECT_EQ(read.error, c.error) << c.path.toStdString();
    }
    EXPECT_TRUE(ComparisonFile::load(at("plain.QCX")).ok());
}
