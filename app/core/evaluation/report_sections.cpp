#include "core/evaluation/report_sections.hpp"

#include <array>

// regression_sections.cpp
void writeRegressionSection(EvaluationContext& ctx);
void writeParameterTestsSection(EvaluationContext& ctx);
void writeOlsSlsSection(EvaluationContext& ctx);

namespace {

// The report window is shown after the last section of the report; the
// charts drawn after it come below its row.
void showReportWindow(EvaluationContext& ctx)
{
    ctx.request(RunRequests::ShowReport{ctx.windowCaption(QStringLiteral("Results - ")), ctx.report.text(),
                                        ctx.batchMode});
}

bool always(const EvaluationSettings&)
{
    return true;
}

const std::array<ReportSection, 4> kSections = {{
    {nullptr, always, writeRegressionSection},   // "Regression..." shows from before the fit
    {"Parameters...", [](const EvaluationSettings& s) { return s.sections.parameterTests; },
     writeParameterTestsSection},
    {"OLS and SLS...", [](const EvaluationSettings& s) { return s.sections.olsSls; }, writeOlsSlsSection},
    {nullptr, always, showReportWindow},
}};

} // namespace

std::span<const ReportSection> reportSections()
{
    return kSections;
}
