#pragma once
// The evaluation run behind "Calculate": gathers the used rows, settles the
// regression method with its notices, fits the line, writes the report
// header and walks the section table (report_sections.hpp). It runs
// without any window: the main window gathers its options into
// EvaluationSettings, calls runEvaluation() and carries out the requests
// of the outcome (boxes, the method it switched to, the report window).

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

#include "core/data_matrix.hpp"
#include "core/evaluation/evaluation_context.hpp"
#include "core/evaluation/evaluation_settings.hpp"
#include "core/evaluation/run_requests.hpp"
#include "core/program_state.hpp"

class RandomSource;

// What a run needs besides the dataset.
struct EvaluationInput {
    EvaluationSettings settings;
    int gridRows = 0;                     // the sheet's row count, header row included
    QString mainCaption;                  // the main window's caption
    QString dataFileName;                 // DataFileName
    bool batchMode = false;               // started from the command line
    QDateTime now;                        // the clock's reading for the header
    AcceptanceLimits limits;              // as the last run or the residual panel left them
    RandomSource* random = nullptr;       // nullptr: one seeded from the clock
    // The report and the side windows' texts in UTF-8 alone (the requests'
    // utf8), without QString copies: the main window's run, where the texts
    // of a million rows would take twice their size again.
    bool utf8Only = false;
    // Shows the name of the step under way (the status line); an empty
    // text hides it. May be empty.
    std::function<void(const QString&)> status;
};

struct EvaluationOutcome {
    bool ran = false;                     // false: nothing to evaluate, or no method chosen
    // Why it did not run: a cell of a used row that is not a number, fewer
    // than 3 used rows, no method, a limit box that holds no number, no
    // memory. The window shows it in an error box, a command line as its
    // reason.
    QString refusal;
    QString caption;                      // "Results - " + the main window's caption
    QString report;                       // the whole report text (empty with utf8Only)
    QString header;                       // the report's opening block
    QList<RunRequest> requests;
    // Files the run was to write besides the report (the residue file) and
    // could not, one line each with the reason: the report says so too, the
    // window in a box, a command line fails with the first.
    QStringList unsavedFiles;
    std::optional<double> MeanY;          // written back into the program's state
    AcceptanceLimits limits;              // written back into the program's state
    RegressionMethod methodUsed = RegressionMethod::None;
};

// Gathers the used rows: X not empty, exclusion mark not beginning with
// "Y", "y" or "0". A used row whose X or Y is not a number (blanks, a text),
// or whose SD X or SD Y holds a text that is not one, ends the gathering: N
// counts the rows before it, and *unreadable, when given, says which cell
// it is and what it holds (the sheet's names, which follow `swapped`). An
// empty SD (nothing, or blanks only) is 0.
EvaluationData gatherEvaluationData(const DataMatrix& matrix, int gridRows, bool swapped = false,
                                    QString* unreadable = nullptr);

// The report's first block: version, title, date, a rule of dots, a blank line.
QString buildReportHeader(const QString& dataFileName, const QDateTime& now);

// Runs the evaluation on the sheet's rows. Sections may write values back
// into `matrix`.
EvaluationOutcome runEvaluation(DataMatrix& matrix, const EvaluationInput& input);
