#pragma once
// The sections of the report, in report order. After the regression step
// and the report's header, the run walks this table: for every row whose
// switch holds it shows the row's status text (a row without one leaves the
// previous text standing) and calls its writer inside an error guard of its
// own, so that a section that fails ends there and the run goes on with the
// next one, keeping what the section had written. One row shows the report
// window; the rows after it are the charts drawn once the report is shown.
//
// Adding a section:
//  1. Write it in a file of its own in this folder, one file per part of
//     the report (distribution_sections.cpp, rank_section.cpp, ...), as a
//     function `void writeXxxSection(EvaluationContext& ctx)`:
//     - read the used rows from ctx.data, the regression's fit from
//       ctx.fit, the means and variances from ctx.moments(), the
//       diagnostics of every row from ctx.rows(), the user's choices from
//       ctx.settings; what a section computes for itself stays in it;
//     - call the library through ctx.lib, each call inside step(...), so a
//       failing call skips only itself; a value a step could not compute
//       starts as NotComputed and prints "n/a";
//     - write with ctx.report: heading(), comment(), line(field(...)),
//       columns(), F() and FP() (report_text.hpp);
//     - the moments section puts its means and variances in place of the
//       regression's (ctx.replaceMoments); values for the sheet go into
//       ctx.matrix (the rank columns); limits kept from run to run into
//       ctx.limits;
//     - a side window, a chart or cells the sheet must show again: add the
//       kind to run_requests.hpp and ctx.request() it; the main window's
//       Command6_Click carries requests out in order.
//  2. Declare the writer and add its row in report_sections.cpp, at its
//     place in the report: status text, switch, writer.
//  3. Test it in app/tests/core against its oracle, through runEvaluation
//     with the section's box ticked in EvaluationSettings.

#include <span>

#include "core/evaluation/evaluation_context.hpp"

struct ReportSection {
    const char* status;                                  // status-line text; nullptr: none
    bool (*enabled)(const EvaluationSettings& settings); // the section's switch
    void (*write)(EvaluationContext& ctx);
};

std::span<const ReportSection> reportSections();

// The factor of the residual plot's vertical axis for the studentized
// deleted residues of rows 1..N (closing_sections.cpp): 10 x round(50 /
// their range), or 1 when that is below 10 or there is no range.
int residualPlotScale(ArrayView RStdtRes);
