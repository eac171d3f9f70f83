// The command line: tokens, switches, and the string main() rebuilds from
// its arguments.
#include <gtest/gtest.h>

#include "core/command_line.hpp"
#include "core/program_state.hpp"

#include <QFile>
#include <QTemporaryDir>

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
        // Quotes are dropped anywhere, single quotes are kept; inside quotes
        // two of them are one of the text.
        {"/F\"a\"b.KVE", {"Fab.KVE"}},
        {"/F\"/d/a \"\"b\"\" y.KVE\" /S", {"F/d/a \"b\" y.KVE", "S"}},
        {"/F\"\"\"q\"\"\"", {"F\"q\""}},
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
        // Quotes the user kept around a value are no part of it.
        {{"/F\"/d/a b.KVE\""}, "/F\"/d/a b.KVE\"", {"F/d/a b.KVE"}},
        {{"a b"}, "\"a b\"", {"a b"}},
        // What the shell leaves of  "/F/d/a \"b\" y.KVE": quotes of the name.
        {{"/F/d/a \"b\" y.KVE", "/X"}, "/F\"/d/a \"\"b\"\" y.KVE\" /X", {"F/d/a \"b\" y.KVE", "X"}},
        {{"/F/d/\"q\".KVE"}, "/F\"/d/\"\"q\"\".KVE\"", {"F/d/\"q\".KVE"}},
    };
    for (const auto& c : cases) {
        const QString line = BuildCommandLine(c.arguments);
        EXPECT_EQ(line, QString::fromUtf8(c.commandLine));
        EXPECT_EQ(tokens(line), c.expectedTokens) << c.commandLine;
    }
}

TEST(BuildCommandLine, EveryCharacterOfAPathReachesTheSwitch)
{
    // Whatever a file name may hold on this system comes back from the
    // tokenizer as it was, for each of the path switches.
    const QStringList names{
        QStringLiteral("/d/a \"b\" y.KVE"),
        QStringLiteral("/d/$(touch x); rm -rf y &.KVE"),
        QStringLiteral("/d/Gr\u00fc\u00dfe \u00e9t\u00e9 \u65e5\u672c.KVE"),
        QStringLiteral("/d/it's a \\ back`slash`.KVE"),
        QStringLiteral("/d/ends with blank /x /S.KVE"),
        QStringLiteral("/d/\"\"twice\"\".KVE"),
        QStringLiteral("/d/100 % sure.KVE"),
    };
    for (const QString& name : names) {
        for (const char* letter : {"F", "C", "L"}) {
            const QString arg = QLatin1Char('/') + QLatin1String(letter) + name;
            QStringList Parm{QString()};
            GetParameters(BuildCommandLine(AbsoluteSwitchPaths({arg, QStringLiteral("/X")}, QStringLiteral("/w"))),
                          Parm);
            const CommandLineSwitches sw = ParseSwitches(Parm);
            const std::optional<QString> got = *letter == 'F' ? sw.OpenFile : *letter == 'C' ? sw.CompareFile
                                                                                              : sw.ResultsFolder;
            EXPECT_EQ(got, name) << letter << " " << name.toStdString();
            EXPECT_TRUE(sw.Quit) << name.toStdString();
        }
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
    // Quotes kept around a relative value: made absolute without them.
    EXPECT_EQ(AbsoluteSwitchPaths({"/F\"my data/a.KVE\"", "/L\"\""}, QStringLiteral("/home/me")),
              (QStringList{"/F/home/me/my data/a.KVE", "/L"}));
}

TEST(AbsoluteSwitchPaths, AFileNamedWithoutASwitchIsNoSwitch)
{
    // Folders every Linux system has whose names start with a switch
    // letter: read as switches they would print (/proc) or save (/sys), and
    // a file in the folder of the start that would open "data.KVE". Named
    // whole they are no switch.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("fdata.KVE")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QStringList in{"/proc/self", "/sys", "fdata.KVE", "/Fdata.KVE", "/S", "/X"};
    const QStringList out = AbsoluteSwitchPaths(in, dir.path());
    EXPECT_EQ(out, (QStringList{"/F" + dir.path() + "/data.KVE", "/S", "/X"}));
    QStringList Parm{QString()};
    GetParameters(BuildCommandLine(out), Parm);
    const CommandLineSwitches sw = ParseSwitches(Parm);
    EXPECT_FALSE(sw.Print);
    EXPECT_EQ(sw.OpenFile, dir.path() + "/data.KVE");
}
