#pragma once
// What a run asks of the window that started it, in the order the window
// is to carry it out: message boxes, the method button it switched to, the
// report window. A section that opens a window of its own (a side window,
// a chart) adds its kind here together with the section, and the window's
// Command6_Click gets one more visitor branch.

#include <QByteArray>
#include <QString>

#include <variant>

#include "core/evaluation/evaluation_settings.hpp"
#include "core/xy_plot.hpp"

namespace RunRequests {

// An information box (OK only).
struct Notice {
    QString text;
};

// Choose the method button, as the user's own click would.
struct SelectMethod {
    RegressionMethod method;
};

// Show the report in a new results window; in a command-line run its
// Auto box is ticked at once, so that it saves, prints or closes itself.
// The text is always in utf8, and in `text` too unless the run was asked
// for it in UTF-8 alone (EvaluationInput::utf8Only).
struct ShowReport {
    QString caption;
    QString text;
    bool autoActions = false;
    QByteArray utf8{};
};

// Draw an XY chart in a new chart window, as the scatter plot does; the
// status line shows `status` (when given) while it is drawn.
struct Chart {
    XYPlot plot;
    QString status{};
};

// Show a text in a results window of its own, beside the report: the
// deviation analysis's interval table, the residual analysis. The text as
// in ShowReport.
struct ShowSideWindow {
    QString caption;
    QString text;
    QByteArray utf8{};
};

// Open a file the run wrote in the user's text editor, without waiting.
struct OpenInEditor {
    QString path;
};

// Draw the histograms of the data sheet with the histogram panel's choices,
// as the "Histo" button does (its message boxes included).
struct Histograms {};

// The rank section wrote "Rank X" and "Rank Y" of sheet rows 1..lastRow:
// the sheet shows those cells again, each as its plain text ("3", "2.5",
// ".").
struct ShowRanks {
    int lastRow = 0;
};

} // namespace RunRequests

using RunRequest = std::variant<RunRequests::Notice, RunRequests::SelectMethod,
                                RunRequests::ShowReport, RunRequests::Chart, RunRequests::ShowRanks,
                                RunRequests::ShowSideWindow, RunRequests::Histograms, RunRequests::OpenInEditor>;
