#pragma once
// The evaluation run behind "Calculate": gathers the used rows and the
// options, fits the chosen line, computes what every section reads, and
// writes the report section by section. It runs without any window: the
// main window gathers its controls into EvaluationOptions, calls
// runEvaluation() and applies the outcome (the report window, notices,
// charts, values written back).

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "core/data_matrix.hpp"

enum class RegressionMethod { None = -1, LeastSquares = 0, WeightedLeastSquares = 1, LeastAbsoluteDeviation = 2 };

// The states of the main window's controls that the run reads.
struct EvaluationOptions {
    RegressionMethod method = RegressionMethod::LeastSquares;   // the selected Option1 button
    QSet<QString> ticked;                 // objectNames of the ticked check boxes ("Check13", ...)
    QHash<QString, QString> texts;        // text boxes by objectName ("Text1_8" -> "95")
    std::array<bool, 15> residueSelection{};   // List1: entry k for item k - 1
    int gridRows = 0;                     // FG2's row count, header row included
    QString mainCaption;                  // the main window's caption
    QString dataFileName;                 // DataFileName
    bool batchMode = false;
    QDateTime now;                        // the clock's reading for the header
    // Shows the name of the step under way (the status line); may be empty.
    std::function<void(const QString&)> status;

    bool isTicked(const QString& name) const { return ticked.contains(name); }
};

// The used rows, arrays indexed 1..N (element 0 unused).
struct EvaluationData {
    int N = 0;
    std::vector<double> X, SDX, Y, SDY;
};

// A chart for the chart window: rows 1..n of PlotData with columns 1..Cols.
struct ChartRequest {
    std::vector<std::array<double, 4>> PlotData;   // rows 0..n, columns 0..3
    int n = 0;
    int Cols = 3;
    bool SameScale = false;
    QString TitleText, TitleFontName, TitleFontSize, FootnoteTitle, FootnoteFontName, FootnoteFontsize;
    QString AxisXTitle, AxisYTitle, AxisFontName, AxisFontSize, AxisLabelFontName, AxisLabelFontSize;
    std::array<int, 4> Marker{}, MarkerColor1{}, MarkerColor2{}, MarkerColor3{};
    QString PlotCaption;
};

// What the window is to do, in order.
struct RunRequest {
    enum class Kind {
        Notice,          // an information box (text), OK only
        ErrorBox,        // a critical box (text), OK only
        SelectMethod,    // select Option1(method), as the user's own click would
        ShowReport,      // show the report window (caption, report text)
        SetAuto,         // tick the report window's Auto box (batch runs)
        SideWindow,      // another results window (caption, text)
        Histograms,      // Command13_Click
        Chart,           // CreateXYPlot(chart)
    };
    Kind kind;
    QString text;
    QString caption;
    RegressionMethod method = RegressionMethod::None;
    ChartRequest chart;
};

struct EvaluationOutcome {
    bool ran = false;                     // false: fewer than 3 rows or no method
    QString caption;                      // "Results - " + the main window's caption
    QString report;                       // the whole report text
    QString header;                       // the report's opening block
    QList<RunRequest> requests;
    std::optional<double> MeanY;          // written back into the program's state
    RegressionMethod methodUsed = RegressionMethod::None;
};

// Gathers the used rows: X not empty, exclusion mark not beginning with
// "Y", "y" or "0". A non-numeric X or Y counts as 0; empty SDs are 0.
EvaluationData gatherEvaluationData(const DataMatrix& matrix, int gridRows);

// The report's first block: version, title, date, a rule of dots, a blank line.
QString buildReportHeader(const QString& dataFileName, const QDateTime& now);

EvaluationOutcome runEvaluation(const DataMatrix& matrix, const EvaluationOptions& options);

// The run's options as a dataset file stores them (check boxes, the method
// buttons, text boxes and the residue-column list), for runs without a
// window.
#include "core/dataset_file.hpp"
EvaluationOptions evaluationOptionsFrom(const DatasetFile::DatasetOptions& options);
