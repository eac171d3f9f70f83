// Shared routines: paths, splitters, the report-heading formatter.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/kve_code.hpp"
#include "core/program_state.hpp"

using namespace KVECode;

TEST(KVECodePaths, FileNameAndFolder)
{
    struct Case { const char* path; const char* file; const char* folder; };
    const Case cases[] = {
        {"/d/x.KVE", "x.KVE", "/d/"},
        {"/dir/a.KVE", "a.KVE", "/dir/"},
        {"a.KVE", "", "a.KVE/"},
        {"", "", "/"},
        {"/x.KVE", "x.KVE", "/"},
        {"C:\\dir\\file.txt", "file.txt", "C:\\dir/"},     // stored Windows paths
        {"/d/a\\b.KVE", "a\\b.KVE", "/d/"},                 // a name of this system holding "\\"
        {"/d/sub/", "", "/d/sub/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetFileName(QString::fromUtf8(c.path)), QString::fromUtf8(c.file)) << c.path;
        EXPECT_EQ(GetFolderPath(QString::fromUtf8(c.path)), QString::fromUtf8(c.folder)) << c.path;
    }
}

TEST(KVECodePaths, FileExists)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Notes0000.TXT"));
    const QString hidden = dir.filePath(QStringLiteral(".hidden"));
    for (const QString& p : {file, hidden}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(hidden));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_FALSE(FileExists(dir.path()));                              // a folder is no file
    EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("Notes0001.TXT"))));
    EXPECT_TRUE(FileExists(dir.filePath(QStringLiteral("Notes*.TXT"))));
    EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("Results????.TXT"))));
    EXPECT_FALSE(FileExists(QStringLiteral("/no/such/folder/*.TXT")));

    // Names holding "\\", "*" or "?" themselves are found as they stand.
    for (const char* name : {"a\\b.KVE", "c*d.KVE", "e?.KVE"}) {
        QFile f(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        EXPECT_TRUE(FileExists(f.fileName())) << name;
    }
}

TEST(KVECodeSplit, SplitText)
{
    struct Case { const char* text; const char* delim; int count; QStringList pieces; };
    const Case cases[] = {
        {"a;b", ";", 2, {"untouched", "a", "b"}},
        {";", ";", 0, {"untouched"}},
        {"ab", ";", 1, {"", "ab"}},
        {"a,,b", ",", 3, {"untouched", "a", "", "b"}},
        {",a", ",", 2, {"untouched", "", "a"}},
        {"a,b,", ",", 3, {"untouched", "a", "b", ""}},
        {"a; b; c", "; ", 3, {"untouched", "a", "b", "c"}},
        {"", ",", 0, {"untouched"}},
        {"abc", "", 0, {"untouched"}},
        {"aXbxc", "x", 2, {"untouched", "aXb", "c"}},              // case-sensitive
    };
    // Element 0 keeps what the caller had in it, except where the array is
    // dimensioned anew (one piece).
    for (const Case& c : cases) {
        QStringList pieces{QStringLiteral("untouched")};
        EXPECT_EQ(SplitText(QString::fromUtf8(c.text), QString::fromUtf8(c.delim), pieces), c.count) << c.text;
        EXPECT_EQ(pieces, c.pieces) << c.text;
    }
}

TEST(KVECodeSplit, ParseFileSelection)
{
    const QChar nul(QChar::Null);
    struct Case { QString selection; int count; QStringList names; };
    const Case cases[] = {
        {QStringLiteral("/d/x.KVE") + nul, 1, {"/d", "x.KVE"}},
        {QStringLiteral("/x.KVE") + nul, 1, {"/", "x.KVE"}},
        {QStringLiteral("/d") + nul + "a" + nul + "b" + nul, 2, {"/d", "a", "b"}},
        {QStringLiteral("/d") + nul + "a" + nul + "b", 1, {"/d", "a"}},      // unclosed name ignored
        {QStringLiteral("C:\\d\\x.KVE") + nul, 1, {"C:\\d", "x.KVE"}},
        {QStringLiteral("/d/a\\b.KVE") + nul, 1, {"/d", "a\\b.KVE"}},
    };
    for (const Case& c : cases) {
        QStringList names;
        EXPECT_EQ(ParseFileSelection(c.selection, names), c.count);
        EXPECT_EQ(names, c.names);
    }
}

TEST(KVECodeSplit, CountChar)
{
    EXPECT_EQ(CountChar(QStringLiteral("a;b;;c"), QLatin1Char(';')), 3);
    EXPECT_EQ(CountChar(QStringLiteral("aAa"), QLatin1Char('A')), 1);
    EXPECT_EQ(CountChar(QString(), QLatin1Char('x')), 0);
}

TEST(KVECodeFormat, SameTextAsTheLibrary)
{
    double v = -0.2;
    std::int16_t a = 0;
    EXPECT_EQ(FormatFixedWidth(v, 8, 4, a, true), QStringLiteral("  0.0001"));
    EXPECT_DOUBLE_EQ(v, 0.0001);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(FormatFixedWidth(0.5, 8, 3), QStringLiteral("   0.500"));
    EXPECT_EQ(AlignText(QStringLiteral("ab"), 5, 2), QStringLiteral(" ab  "));
}

TEST(KVECodeFormat, HeadingTexts)
{
    // A text that is a number formats as that number; others are aligned.
    EXPECT_EQ(FormatFixedWidth(QStringLiteral("0.5"), 8, 3), QStringLiteral("   0.500"));
    EXPECT_EQ(FormatFixedWidth(QStringLiteral("Model"), 8, 3), QStringLiteral("   Model"));
    EXPECT_EQ(FormatFixedWidth(QStringLiteral("A long model name"), 8, 3), QStringLiteral("     n/a"));
    EXPECT_EQ(FormatFixedWidth(QStringLiteral("Model"), 8, 3, 1), QStringLiteral("Model   "));
}

TEST(ProgramState, StartsEmptyAndResets)
{
    resetProgramState();
    EXPECT_FALSE(programState().BatchMode);
    EXPECT_TRUE(programState().DataFileName.isEmpty());
    EXPECT_EQ(programState().MeanY, 0.0);
    programState().BatchMode = true;
    programState().MeanY = 3.5;
    programState().ResidueSelection[14] = true;
    resetProgramState();
    EXPECT_FALSE(programState().BatchMode);
    EXPECT_EQ(programState().MeanY, 0.0);
    EXPECT_FALSE(programState().ResidueSelection[14]);
    EXPECT_FALSE(defaultDisclaimerText().isEmpty());
}
