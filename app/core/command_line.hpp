#pragma once
// The command line of KVE: the tokenizer, the switches and the way main()
// turns its arguments back into one command-line string.
//
// Switches: /F<file> open a dataset, /G plots, /R residual analysis,
// /P print, /S save, /O show (and close) the report, /L<folder> folder for
// saved reports, /X quit when done, /Y load only, /C<file> open a comparison
// file. A value follows its letter directly: /F"/home/me/my data/a.KVE".

#include <QString>
#include <QStringList>

#include <optional>

struct ProgramState;

namespace KVECode {

// Splits the command line `s` into tokens stored at Parm(1), Parm(2), ...
// Parm is grown when shorter, never shrunk; element 0 is not used.
//
// A "/" outside double quotes at the start of a token (first in the line or
// after a blank) starts a switch and is dropped; anywhere else (inside a
// path) it is kept. Double quotes are dropped; inside double quotes two of
// them stand for one that belongs to the text. A blank ends a token only
// outside double quotes and only once a switch has been seen since the
// previous token; before a "/" it always does, so a value split off by a
// blank never swallows the next switch.
void GetParameters(const QString& s, QStringList& Parm);

// The switches of one command line.
struct CommandLineSwitches {
    std::optional<QString> OpenFile;      // /F
    bool Plots = false;                   // /G
    bool ResidualAnalysis = false;        // /R
    bool Print = false;                   // /P
    bool Save = false;                    // /S
    bool Show = false;                    // /O
    std::optional<QString> ResultsFolder; // /L
    bool Quit = false;                    // /X
    bool NoRun = false;                   // /Y
    std::optional<QString> CompareFile;   // /C
    // Every file the line names for /F and for /C, each once, in order
    // (empty values left out).
    QStringList OpenFiles;
    QStringList CompareFiles;
};

// Reads the switches from Parm(1) to its last element: the first letter of a
// token (any case) selects the switch, the rest is its value. Tokens with
// other letters are ignored; a later token of the same letter wins.
CommandLineSwitches ParseSwitches(const QStringList& Parm);

// Why a command line that names more than one dataset (or more than one
// comparison file) is not carried out: a window holds one at a time, and
// opening only one of them would drop the others without a word. Empty
// when it names at most one of each.
QString MoreThanOneFile(const CommandLineSwitches& switches);

// Why a command line that asks for a report (/S, /P) gets none: /Y
// evaluates nothing, and without a dataset (`datasetNamed`: named by this
// line; an earlier line's dataset is not opened again) there is nothing to
// evaluate. Empty when it asks for no report or the report can be made.
QString NoReportToMake(const CommandLineSwitches& switches, bool datasetNamed);

// Whether the evaluation of a command line whose report is to be printed,
// where no printer can print it, still runs (without the print). It does
// when its report is kept anyway: saved (/S in force) or left in its
// results window (neither /X nor /O). Otherwise nothing of it would be
// left: the line fails at once instead of after the evaluation. The line
// fails either way.
bool EvaluateWithoutPrint(const CommandLineSwitches& switches, const ProgramState& state);

// Carries the switches into the program-wide state. The flags and texts set
// here are never cleared: a later command line keeps them in force.
void ApplySwitches(const CommandLineSwitches& switches, ProgramState& state);

// The arguments with the relative paths of /F, /L and /C made absolute
// against `workingFolder`: a command line handed to a running instance is
// carried out in that instance's folder, not in the one it was typed in.
// A value that came wrapped in double quotes (/F"a b.KVE") loses them; any
// other double quote is a character of the path.
// A file named without a switch (what a file manager's "Open with"
// passes) becomes the value of /F, or of /C when it ends in ".QCX": an
// argument that names an existing file as it stands (so /srv/x.KVE is no
// /S), any other argument that does not start with "/" or "-", and a path
// whose first letter takes no file (/home/me/x.KVE). An existing folder
// named without a switch is left out.
QStringList AbsoluteSwitchPaths(const QStringList& arguments, const QString& workingFolder);

// What a start that nobody can see (no display) does with its command line:
// a line with /X runs as it stands; one that names a dataset or a
// comparison file (also without a switch, see AbsoluteSwitchPaths) is run
// and then ends the program as /X would; any other (empty, "--help",
// switches without a file) has nothing to run.
enum class UnseenStart { Run, RunThenEnd, NothingToRun };
UnseenStart UnseenStartOf(const QString& commandLine);

// The one line such a start with nothing to run writes on stderr.
QString NoDisplayLine();
// The one line of a start that nobody can see which ran its command line
// without /X and ended after it.
QString EndedWithoutDisplayLine();

// One command-line string from the program's arguments, so that the
// tokenizer gives back every character of every argument: a value holding
// a blank or a double quote is quoted (after its switch letter when it is a
// switch) with its double quotes written twice. A value that came wrapped
// in double quotes loses them, as above.
QString BuildCommandLine(const QStringList& arguments);

} // namespace KVECode
