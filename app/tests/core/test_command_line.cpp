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
                         "/Yrest", "-plain"};
    const QStringList expected{"/F/home/me/data/a b.KVE", "/f/abs/x.KVE", "/L/home/me/out/",
                               "/C/home/me/../c.QCX", "/S", "/F", "/X", "/Yrest", "-plain"};
    EXPECT_EQ(AbsoluteSwitchPaths(in, QStringLiteral("/home/me")), expected);
    EXPECT_EQ(AbsoluteSwitchPaths(in, QStringLiteral("/home/me/")), expected);
    // Quotes kept around a relative value: made absolute without them.
    EXPECT_EQ(AbsoluteSwitchPaths({"/F\"my data/a.KVE\"", "/L\"\""}, QStringLiteral("/home/me")),
              (QStringList{"/F/home/me/my data/a.KVE", "/L"}));
}

TEST(AbsoluteSwitchPaths, AFileNamedWithoutASwitchIsTheFileOfItsSwitch)
{
    // What a file manager's "Open with" or a user passes: a file named
    // without a switch is the dataset of /F, a .QCX file the list of /C,
    // also where its first letter after a slash is a switch (/sdata.KVE
    // read as a switch would save). A folder so named is left out; a name
    // that names nothing is a file switch all the same (the run then says
    // it was not found), unless it is a switch or an option.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString d = dir.path();
    for (const char* name : {"trial.KVE", "sdata.KVE", "my trial.KVE", "list.qcx"}) {
        QFile file(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name;
    }
    ASSERT_TRUE(QDir(d).mkdir(QStringLiteral("sub")));
    const struct {
        QString argument;
        QStringList expected;             // what it becomes
    } cases[] = {
        {"trial.KVE", {"/F" + d + "/trial.KVE"}},
        {"./trial.KVE", {"/F" + d + "/trial.KVE"}},
        {d + "/sdata.KVE", {"/F" + d + "/sdata.KVE"}},
        {"my trial.KVE", {"/F" + d + "/my trial.KVE"}},
        {"list.qcx", {"/C" + d + "/list.qcx"}},
        {"sub", {}},
        {"/proc/self", {}},
        {"missing.KVE", {"/F" + d + "/missing.KVE"}},
        {"\"kept quotes.QCX\"", {"/C" + d + "/kept quotes.QCX"}},
        {"/srv/none/x.KVE", {"/F/srv/none/x.KVE"}},
        {"/home/none/x.KVE", {"/F/home/none/x.KVE"}},
        // Switches and options as they were.
        {"/Fdata.KVE", {"/F" + d + "/data.KVE"}},
        {"/Cnone/x.QCX", {"/C" + d + "/none/x.QCX"}},
        {"/S", {"/S"}},
        {"/Yrest", {"/Yrest"}},
        {"--help", {"--help"}},
        {"-h", {"-h"}},
    };
    for (const auto& c : cases) {
        const QStringList out = AbsoluteSwitchPaths({c.argument, QStringLiteral("/X")}, d);
        EXPECT_EQ(out, c.expected + QStringList{"/X"}) << c.argument.toStdString();
        // The file reaches its switch whole, and nothing else is switched on.
        QStringList Parm{QString()};
        GetParameters(BuildCommandLine(out), Parm);
        const CommandLineSwitches sw = ParseSwitches(Parm);
        const QString first = c.expected.value(0);
        const auto valueOf = [&first](const char* letter) {
            return first.startsWith(QLatin1String(letter)) ? std::optional<QString>(first.mid(2)) : std::nullopt;
        };
        EXPECT_EQ(sw.OpenFile, valueOf("/F")) << c.argument.toStdString();
        EXPECT_EQ(sw.CompareFile, valueOf("/C")) << c.argument.toStdString();
        EXPECT_EQ(sw.Save, c.argument == QLatin1String("/S")) << c.argument.toStdString();
        EXPECT_FALSE(sw.Print) << c.argument.toStdString();
        EXPECT_TRUE(sw.Quit) << c.argument.toStdString();
    }
}

TEST(CommandLineRefusals, MoreThanOneFileOrAReportWithoutADataset)
{
    // A line that names two datasets or two comparison files is carried
    // out not at all; /S or /P without a dataset to evaluate, or with /Y,
    // makes no report. The same file twice, and an empty /F beside a
    // file, name one.
    const struct {
        const char* line;
        bool datasetNamed;                // by this line or an earlier one
        const char* refusal;              // "": carried out
    } cases[] = {
        {"/F/d/a.KVE /S /X", true, ""},
        {"/F/d/a.KVE /F/d/a.KVE /S", true, ""},
        {"/F /F/d/a.KVE", true, ""},
        {"/F/d/a.KVE /C/d/l.QCX /P", true, ""},
        {"/F/d/a.KVE /F/d/b.KVE /X", true,
         "the command line names more than one dataset (/d/a.KVE, /d/b.KVE); KVE opens one at a time, so it "
         "opened none"},
        {"/C/d/l.QCX /C/d/m.QCX", false,
         "the command line names more than one comparison file (/d/l.QCX, /d/m.QCX); KVE opens one at a time, so "
         "it opened none"},
        {"/S /X", false, "there is no report to save: the command line names no dataset to evaluate (/F<dataset>.KVE)"},
        {"/S \"/L/d/out/\" /X", false,
         "there is no report to save: the command line names no dataset to evaluate (/F<dataset>.KVE)"},
        {"/P /C/d/l.QCX", false,
         "there is no report to print: the command line names no dataset to evaluate (/F<dataset>.KVE)"},
        {"/S /P", false,
         "there is no report to save or print: the command line names no dataset to evaluate (/F<dataset>.KVE)"},
        {"/F/d/a.KVE /Y /S /X", true, "there is no report to save: /Y opens the dataset without evaluating it"},
        {"/S", true, ""},
        {"/Y /X", true, ""},
        {"/X", false, ""},
        {"/C/d/l.QCX /X", false, ""},
    };
    for (const auto& c : cases) {
        QStringList Parm{QString()};
        GetParameters(QString::fromUtf8(c.line), Parm);
        const CommandLineSwitches sw = ParseSwitches(Parm);
        QString refusal = MoreThanOneFile(sw);
        if (refusal.isEmpty())
            refusal = NoReportToMake(sw, c.datasetNamed);
        EXPECT_EQ(refusal, QString::fromUtf8(c.refusal)) << c.line;
    }
}
