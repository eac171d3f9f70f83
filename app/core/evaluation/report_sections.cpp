#include "core/evaluation/report_sections.hpp"

// regression_sections.cpp
void writeRegressionSection(EvaluationContext& ctx);
void writeParameterTestsSection(EvaluationContext& ctx);
void writeOlsSlsSection(EvaluationContext& ctx);
// distribution_sections.cpp
void writeDistributionSection(EvaluationContext& ctx);
void writeMomentsSection(EvaluationContext& ctx);
void writeRobustStatisticsSection(EvaluationContext& ctx);
// diverse_measures_section.cpp
void writeDiverseMeasuresSection(EvaluationContext& ctx);
// index_section.cpp
void writeIndexSection(EvaluationContext& ctx);
// concordance_sections.cpp
void writeConcordanceSection(EvaluationContext& ctx);
void writeGeneralizedCccSection(EvaluationContext& ctx);
// rank_section.cpp
void writeRankSection(EvaluationContext& ctx);
// balance_sections.cpp
void writeBalanceSection(EvaluationContext& ctx);
void writeOrthogonalBalanceSection(EvaluationContext& ctx);
// msep_sections.cpp
void writeMsepSection(EvaluationContext& ctx);
void writeMsepBootstrapSection(EvaluationContext& ctx);
// difference_regression_sections.cpp
void writeKleijnenSection(EvaluationContext& ctx);
void writeBlandAltmanSection(EvaluationContext& ctx);
// threshold_distance_sections.cpp
void writeThresholdSection(EvaluationContext& ctx);
void writeDistanceSection(EvaluationContext& ctx);
void writeWeighedDevianceSection(EvaluationContext& ctx);
// deviation_section.cpp
void writeDeviationSection(EvaluationContext& ctx);
// residual_sections.cpp: the residue regression runs inside the residual section
void writeResidualSection(EvaluationContext& ctx);
// closing_sections.cpp
void writeReferencesSection(EvaluationContext& ctx);
void requestResidualPlot(EvaluationContext& ctx);
void requestDeviationPlot(EvaluationContext& ctx);
void requestNormalPlot(EvaluationContext& ctx);
void requestResidueRegressionPlots(EvaluationContext& ctx);

namespace {

// The report window is shown after the last section of the report; the
// charts drawn after it come below its row.
void showReportWindow(EvaluationContext& ctx)
{
    ctx.request(RunRequests::ShowReport{ctx.windowCaption(QStringLiteral("Results - ")), QString(), ctx.batchMode,
                                        ctx.report.utf8()});
}

// The histogram windows open after the residual sections, before the
// references and the report window.
void requestHistograms(EvaluationContext& ctx)
{
    ctx.request(RunRequests::Histograms{});
}

bool always(const EvaluationSettings&)
{
    return true;
}

const ReportSection kSections[] = {
    {nullptr, always, writeRegressionSection},   // "Regression..." shows from before the fit
    {"Parameters...", [](const EvaluationSettings& s) { return s.sections.parameterTests; },
     writeParameterTestsSection},
    {"OLS and SLS...", [](const EvaluationSettings& s) { return s.sections.olsSls; }, writeOlsSlsSection},
    {"Distribution...", [](const EvaluationSettings& s) { return s.sections.distribution; }, writeDistributionSection},
    {"Moments...", [](const EvaluationSettings& s) { return s.sections.moments; }, writeMomentsSection},
    {"Robust statistics...", [](const EvaluationSettings& s) { return s.sections.robustStatistics; },
     writeRobustStatisticsSection},
    {"Mean bias...", [](const EvaluationSettings& s) { return s.sections.diverseMeasures; }, writeDiverseMeasuresSection},
    {"Index...", [](const EvaluationSettings& s) { return s.sections.index; }, writeIndexSection},
    {"Concordance...", [](const EvaluationSettings& s) { return s.sections.concordance; }, writeConcordanceSection},
    {"Generalized CCC...", [](const EvaluationSettings& s) { return s.sections.generalizedCcc; },
     writeGeneralizedCccSection},
    {"Rank analysis...", [](const EvaluationSettings& s) { return s.sections.rank; }, writeRankSection},
    {"Balance analysis...", [](const EvaluationSettings& s) { return s.sections.balance; }, writeBalanceSection},
    {"Orthogonal balance...", [](const EvaluationSettings& s) { return s.sections.orthogonalBalance; },
     writeOrthogonalBalanceSection},
    {"MSEP analysis...", [](const EvaluationSettings& s) { return s.sections.msep; }, writeMsepSection},
    {"MSEP bootstrap...", [](const EvaluationSettings& s) { return s.sections.msepBootstrap; },
     writeMsepBootstrapSection},
    {"Kleijnen analysis...", [](const EvaluationSettings& s) { return s.sections.kleijnen; }, writeKleijnenSection},
    {"Bland and Altman analysis...", [](const EvaluationSettings& s) { return s.sections.blandAltman; },
     writeBlandAltmanSection},
    {"Threshold analysis...", [](const EvaluationSettings& s) { return s.sections.threshold; }, writeThresholdSection},
    {nullptr, [](const EvaluationSettings& s) { return s.sections.distance; }, writeDistanceSection},
    {nullptr, [](const EvaluationSettings& s) { return s.sections.weighedDeviance; }, writeWeighedDevianceSection},
    {"Deviation analysis...", [](const EvaluationSettings& s) { return s.sections.deviation; }, writeDeviationSection},
    {"Residual analysis...", [](const EvaluationSettings& s) { return s.sections.residual; }, writeResidualSection},
    {nullptr, [](const EvaluationSettings& s) { return s.sections.histograms; }, requestHistograms},
    {nullptr, [](const EvaluationSettings& s) { return s.sections.references; }, writeReferencesSection},
    {nullptr, always, showReportWindow},
    // The closing charts: each carries its own status text, shown while the
    // window draws it.
    {nullptr, [](const EvaluationSettings& s) { return s.sections.residual && s.plots.residual; }, requestResidualPlot},
    {nullptr, [](const EvaluationSettings& s) { return s.sections.residual && s.plots.deviation; }, requestDeviationPlot},
    {nullptr, [](const EvaluationSettings& s) { return s.sections.residual && s.plots.normal; }, requestNormalPlot},
    {nullptr, [](const EvaluationSettings& s) { return s.sections.residueRegression; }, requestResidueRegressionPlots},
};

} // namespace

std::span<const ReportSection> reportSections()
{
    return kSections;
}
