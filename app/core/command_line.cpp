#include "core/command_line.hpp"

#include "core/program_info.hpp"
#include "core/program_state.hpp"

#include <QDir>
#include <QFileInfo>

namespace KVECode {

namespace {
void storeToken(QStringList& Parm, qsizetype k, const QString& token)
{
    while (Parm.size() <= k)
        Parm.append(QString());
    Parm[k] = token;
}

bool isBlankOnly(const QString& text)
{
    for (const QChar c : text) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

// A value the user wrote in double quotes that reached the program with
// them (/F"/d/a b.KVE" where no shell took them away): the quotes are no
// part of the name. Any other double quote is a character of the name.
QString withoutKeptQuotes(const QString& value)
{
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'))
        && value.count(QLatin1Char('"')) == 2)
        return value.mid(1, value.size() - 2);
    return value;
}

// A value as the tokenizer gives it back whole: in double quotes, with a
// double quote inside written twice, when it holds a blank or a quote.
QString quotedForTokenizer(const QString& value)
{
    if (!value.contains(QLatin1Char(' ')) && !value.contains(QLatin1Char('"')))
        return value;
    QString inner = value;
    inner.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

bool isPathSwitch(const QString& arg)
{
    return arg.size() > 2 && arg.at(0) == QLatin1Char('/') && QStringLiteral("FLC").contains(arg.at(1).toUpper());
}

// An argument that names a file rather than a switch: anything that does
// not start with "/" (an option of the "-x" kind aside), and a path of
// folders whose first letter takes no file (/home/me/x.KVE, /srv/x.KVE).
bool isBareName(const QString& arg)
{
    if (arg.startsWith(QLatin1Char('-')))
        return false;
    if (!arg.startsWith(QLatin1Char('/')))
        return true;
    return arg.size() > 2 && !isPathSwitch(arg) && arg.mid(2).contains(QLatin1Char('/'));
}

// The switch that takes a file named without one: a comparison file
// (.QCX) goes to /C, any other file is a dataset for /F.
QString switchForBareName(const QString& name)
{
    return name.endsWith(QStringLiteral(".QCX"), Qt::CaseInsensitive) ? QStringLiteral("/C") : QStringLiteral("/F");
}

void appendOnce(QStringList& list, const QString& value)
{
    if (!value.isEmpty() && !list.contains(value))
        list.append(value);
}
} // namespace

void GetParameters(const QString& s, QStringList& Parm)
{
    qsizetype k = 1;
    QString token;
    bool slashSeen = false;
    bool inQuotes = false;
    bool afterBlank = false; // the previous character was a blank outside quotes
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        const bool blank = c == QLatin1Char(' ') && !inQuotes;
        if (c == QLatin1Char('/') && !inQuotes && (isBlankOnly(token) || afterBlank)) {
            // A switch starts here. Text before it (a value that was split
            // off by a blank) is a token of its own; blanks belong to none.
            while (token.endsWith(QLatin1Char(' ')))
                token.chop(1);
            if (!token.isEmpty()) {
                storeToken(Parm, k, token);
                ++k;
                token.clear();
            }
            slashSeen = true;
        } else if (c == QLatin1Char('"') && inQuotes && i + 1 < s.size() && s.at(i + 1) == QLatin1Char('"')) {
            // Two double quotes inside quotes stand for one in the text.
            token.append(c);
            ++i;
        } else if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
        } else if (blank && slashSeen) {
            if (!token.isEmpty()) {
                storeToken(Parm, k, token);
                ++k;
                token.clear();
                slashSeen = false;
            }
        } else {
            token.append(c);
        }
        afterBlank = blank;
    }
    // Trailing blanks make no token.
    while (token.endsWith(QLatin1Char(' ')))
        token.chop(1);
    if (!token.isEmpty())
        storeToken(Parm, k, token);
}

CommandLineSwitches ParseSwitches(const QStringList& Parm)
{
    CommandLineSwitches sw;
    for (qsizetype i = 1; i < Parm.size(); ++i) {
        const QString& token = Parm.at(i);
        if (token.isEmpty())
            continue;
        const QString value = token.mid(1);
        switch (token.at(0).toUpper().unicode()) {
        case 'F':
            sw.OpenFile = value;
            appendOnce(sw.OpenFiles, value);
            break;
        case 'G': sw.Plots = true; break;
        case 'R': sw.ResidualAnalysis = true; break;
        case 'P': sw.Print = true; break;
        case 'S': sw.Save = true; break;
        case 'O': sw.Show = true; break;
        case 'L': sw.ResultsFolder = value; break;
        case 'X': sw.Quit = true; break;
        case 'Y': sw.NoRun = true; break;
        case 'C':
            sw.CompareFile = value;
            appendOnce(sw.CompareFiles, value);
            break;
        default: break;
        }
    }
    return sw;
}

QString MoreThanOneFile(const CommandLineSwitches& switches)
{
    const auto refusal = [](const QStringList& files, const QString& what) {
        return QStringLiteral("the command line names more than one %1 (%2); %3 opens one at a time, so it "
                              "opened none")
            .arg(what, files.join(QStringLiteral(", ")), ProgramName());
    };
    if (switches.OpenFiles.size() > 1)
        return refusal(switches.OpenFiles, QStringLiteral("dataset"));
    if (switches.CompareFiles.size() > 1)
        return refusal(switches.CompareFiles, QStringLiteral("comparison file"));
    return QString();
}

QString NoReportToMake(const CommandLineSwitches& switches, bool datasetNamed)
{
    if (!switches.Save && !switches.Print)
        return QString();
    const QString what = switches.Save && switches.Print ? QStringLiteral("save or print")
                         : switches.Save                 ? QStringLiteral("save")
                                                         : QStringLiteral("print");
    if (switches.NoRun)
        return QStringLiteral("there is no report to %1: /Y opens the dataset without evaluating it").arg(what);
    if (!datasetNamed)
        return QStringLiteral("there is no report to %1: the command line names no dataset to evaluate "
                              "(/F<dataset>.KVE)")
            .arg(what);
    return QString();
}

bool EvaluateWithoutPrint(const CommandLineSwitches& switches, const ProgramState& state)
{
    return state.SaveResultsFlag || (!switches.Quit && !state.ShowResultsFlag);
}

void ApplySwitches(const CommandLineSwitches& switches, ProgramState& state)
{
    if (switches.OpenFile)
        state.OpenRequestFile = *switches.OpenFile;
    if (switches.Print)
        state.PrintResultsFlag = true;
    if (switches.Save)
        state.SaveResultsFlag = true;
    if (switches.Show)
        state.ShowResultsFlag = true;
    if (switches.ResultsFolder)
        state.ResultsFolder = *switches.ResultsFolder;
    if (switches.CompareFile)
        state.CompareFileName = *switches.CompareFile;
}

UnseenStart UnseenStartOf(const QString& commandLine)
{
    QStringList Parm{QString(), QString()};
    GetParameters(commandLine, Parm);
    const CommandLineSwitches sw = ParseSwitches(Parm);
    if (sw.Quit)
        return UnseenStart::Run;
    if (sw.OpenFile || sw.CompareFile)
        return UnseenStart::RunThenEnd;
    return UnseenStart::NothingToRun;
}

QString NoDisplayLine()
{
    return QStringLiteral("%1: there is no display to show the window on; for an unattended job run "
                          "%1 \"/F<dataset>.KVE\" /S \"/L<folder for reports>/\" /X")
        .arg(ProgramName());
}

QString EndedWithoutDisplayLine()
{
    return QStringLiteral("%1: there is no display, so %1 ended after its command line (/X ends it so "
                          "without this note)")
        .arg(ProgramName());
}

QStringList AbsoluteSwitchPaths(const QStringList& arguments, const QString& workingFolder)
{
    QStringList out;
    const QDir folderOfStart(workingFolder);
    for (const QString& arg : arguments) {
        QString letter;
        QString value;
        const QFileInfo named(folderOfStart, arg);
        if (!arg.isEmpty() && named.exists()) {
            // A file named whole, without a switch (what a file manager
            // passes): the dataset of /F, a comparison file (.QCX) that of
            // /C, even when its first letter after the slash is a switch,
            // as in /srv/x.KVE or /cases/x.KVE. A folder so named is left
            // out.
            if (named.isDir())
                continue;
            value = arg;
        } else if (!arg.isEmpty() && isBareName(arg)) {
            // A name that is no switch and names nothing: a file switch all
            // the same, so that the run says the file was not found.
            value = withoutKeptQuotes(arg);
        } else if (isPathSwitch(arg)) {
            letter = arg.left(2);
            value = withoutKeptQuotes(arg.mid(2));
        } else {
            out.append(arg);
            continue;
        }
        if (letter.isEmpty()) {
            while (value.startsWith(QStringLiteral("./")))
                value = value.mid(2);
            letter = switchForBareName(value);
        }
        QString folder;
        if (!value.isEmpty() && !value.startsWith(QLatin1Char('/'))) {
            folder = workingFolder;
            if (!folder.endsWith(QLatin1Char('/')))
                folder += QLatin1Char('/');
        }
        out.append(letter + folder + value);
    }
    return out;
}

QString BuildCommandLine(const QStringList& arguments)
{
    QStringList parts;
    for (const QString& arg : arguments) {
        if (arg.size() >= 2 && arg.at(0) == QLatin1Char('/'))
            parts.append(arg.left(2) + quotedForTokenizer(withoutKeptQuotes(arg.mid(2))));
        else
            parts.append(quotedForTokenizer(withoutKeptQuotes(arg)));
    }
    return parts.join(QLatin1Char(' '));
}

} // namespace KVECode
