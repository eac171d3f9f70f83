// The command line: tokens, switches, and the string main() rebuilds from
// its arguments.
#include <gtest/gtest.h>

#include "core/command_line.hpp"
#include "core/program_state.hpp"

using namespace KVECode;

namespace {
QStringList tokens(const QString& s)
{
    QStringList Parm{QString(), QString()};
    GetParameters(s, Parm);
    Parm.removeFirst();
    while (!Parm.isEmpty() && Parm.last().isEmpty())
        Parm.removeLast();
    return Parm;
}
} // namespace

struct TokenCase {
    const char* commandLine;
    QStringList expected;
};

TEST(GetParameters, SplitsAtSwitchesAndAtBlanksOutsideQuotes)
{
    const TokenCase cases[] = {
        {"", {}},
        {"/Fa.KVE /S /P /X", {"Fa.KVE", "S", "P", "X"}},
        // A quoted value with blanks and slashes is one token, quotes removed.
        {"/F\"/d/a b.KVE\" /S", {"F/d/a b.KVE", "S"}},
        {"/L\"/tmp/my results/\" /X", {"L/tmp/my results/", "X"}},
        // Slashes inside an unquoted path are kept.
        {"/F/home/u/x.KVE /L/tmp/out/ /X", {"F/home/u/x.KVE", "L/tmp/out/", "X"}},
        {"/Fa.KVE/S", {"Fa.KVE/S"}},
        // A blank after the letter splits the value off; the next switch
        // still counts.
        {"/F a.KVE", {"F", "a.KVE"}},
        {"/F a.KVE /X", {"F", "a.KVE", "X"}},
        {"/F/d/a b.KVE /S", {"F/d/a", "b.KVE", "S"}},
        // Runs of blanks and leading blanks make no empty tokens.
        {"  /S    /X  ", {"S", "X"}},
        {"/p /o", {"p", "o"}},
        // Quotes are dropped anywhere, single quotes are kept.
        {"/F\"a\"b.KVE", {"Fab.KVE"}},
        {"/F'a.KVE'", {"F'a.KVE'"}},
        // Before the first switch a blank does not end the token.
        {"abc def", {"abc def"}},
        {"abc /S", {"abc", "S"}},
        {"abc/S", {"abc/S"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tokens(QString::fromUtf8(c.commandLine)), c.expected) << c.commandLine;
}

TEST(GetParameters, GrowsTheArrayButNeverShrinksIt)
{
    QStringList Parm{"", "old1", "old2", "old3", "old4"};
    GetParameters(QStringLiteral("/S /X"), Parm);
    EXPECT_EQ(Parm, (QStringList{"", "S", "X", "old3", "old4"}));

    QStringList small{""};
    GetParameters(QStringLiteral("/A /B /C"), small);
    EXPECT_EQ(small, (QStringList{"", "A", "B", "C"}));
}

TEST(ParseSwitches, ReadsLettersInAnyCaseAndIgnoresOthers)
{
    QStringList Parm{""};
    GetParameters(QStringLiteral("/fdata.KVE /g /R /p /S /o /L/out/ /x /Y /C/c.QCX /Qzz /"), Parm);
    const CommandLineSwitches sw = ParseSwitches(Parm);
    EXPECT_EQ(sw.OpenFile, QStringLiteral("data.KVE"));
    EXPECT_TRUE(sw.Plots);
    EXPECT_TRUE(sw.ResidualAnalysis);
    EXPECT_TRUE(sw.Print);
    EXPECT_TRUE(sw.Save);
    EXPECT_TRUE(sw.Show);
    EXPECT_EQ(sw.ResultsFolder, QStringLiteral("/out/"));
    EXPECT_TRUE(sw.Quit);
    EXPECT_TRUE(sw.NoRun);
    EXPECT_EQ(sw.CompareFile, QStringLiteral("/c.QCX"));

    const CommandLineSwitches none = ParseSwitches(QStringList{"", "", "Zfoo"});
    EXPECT_FALSE(none.OpenFile || none.ResultsFolder || none.CompareFile);
    EXPECT_FALSE(none.Plots || none.ResidualAnalysis || none.Print || none.Save || none.Show
                 || none.Quit || none.NoRun);

    // "/F a.KVE": the file switch gets an empty value.
    QStringList split{""};
    GetParameters(QStringLiteral("/F a.KVE"), split);
    EXPECT_EQ(ParseSwitches(split).OpenFile, QString());
}

TEST(ApplySwitches, LaterCommandLinesKeepEarlierFlagsAndFiles)
{
    ProgramState state;
    QStringList first{""};
    GetParameters(QStringLiteral("/F/d/a.KVE /S /P /L/out/ /C/d/c.QCX"), first);
    ApplySwitches(ParseSwitches(first), state);
    EXPECT_EQ(state.OpenRequestFile, QStringLiteral("/d/a.KVE"));
    EXPECT_EQ(state.ResultsFolder, QStringLiteral("/out/"));
    EXPECT_EQ(state.CompareFileName, QStringLiteral("/d/c.QCX"));
    EXPECT_TRUE(state.SaveResultsFlag && state.PrintResultsFlag);
    EXPECT_FALSE(state.ShowResultsFlag);

    QStringList second{""};
    GetParameters(QStringLiteral("/O /G"), second);
    ApplySwitches(ParseSwitches(second), state);
    EXPECT_EQ(state.OpenRequestFile, QStringLiteral("/d/a.KVE"));
    EXPECT_EQ(state.ResultsFolder, QStringLiteral("/out/"));
    EXPECT_EQ(state.CompareFileName, QStringLiteral("/d/c.QCX"));
    EXPECT_TRUE(state.SaveResultsFlag && state.PrintResultsFlag && state.ShowResultsFlag);
    EXPECT_FALSE(state.BatchMode);
}

struct RebuildCase {
    QStringList arguments;
    const char* commandLine;
    QStringList expectedTokens;
};

TEST(BuildCommandLine, ArgumentsWithBlanksSurviveTheTokenizer)
{
    const RebuildCase cases[] = {
        {{}, "", {}},
        {{"/Fa.KVE", "/S", "/X"}, "/Fa.KVE /S /X", {"Fa.KVE", "S", "X"}},
        // What the shell leaves of  /F"/d/a b.KVE" /S
        {{"/F/d/a b.KVE", "/S"}, "/F\"/d/a b.KVE\" /S", {"F/d/a b.KVE", "S"}},
        {{"/L/tmp/my out/", "/X"}, "/L\"/tmp/my out/\" /X", {"L/tmp/my out/", "X"}},
        // Quotes the user kept are left alone.
        {{"/F\"/d/a b.KVE\""}, "/F\"/d/a b.KVE\"", {"F/d/a b.KVE"}},
        {{"a b"}, "\"a b\"", {"a b"}},
    };
    for (const auto& c : cases) {
        const QString line = BuildCommandLine(c.arguments);
        EXPECT_EQ(line, QString::fromUtf8(c.commandLine));
        EXPECT_EQ(tokens(line), c.expectedTokens) << c.commandLine;
    }
}

TEST(AbsoluteSwitchPaths, RelativeFilesAndFoldersBecomeAbsolute)
{
    const QStringList in{"/Fdata/a b.KVE", "/f/abs/x.KVE", "/Lout/", "/C../c.QCX", "/S", "/F", "/X",
                         "/Yrest", "plain"};
    const QStringList expected{"/F/home/me/data/a b.KVE", "/f/abs/x.KVE", "/L/home/me/out/",
                               "/C/home/me/../c.QCX", "/S", "/F", "/X", "/Yrest", "plain"};
    EXPECT_EQ(AbsoluteSwitchPaths(in, QStringLiteral("/home/me")), expected);
    EXPECT_EQ(AbsoluteSwitchPaths(in, QStringLiteral("/home/me/")), expected);
}
