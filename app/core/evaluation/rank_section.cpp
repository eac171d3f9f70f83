// The rank section: Spearman's rank correlation with the rank-difference
// statistic D, Kendall's tau, the two-sample Kolmogorov-Smirnov and
// Mann-Whitney tests; then the ranks of X and Y written back into the
// dataset's "Rank X" and "Rank Y" columns, where the rank plot and the
// threshold table read them.
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"
#include "core/evaluation/report_sections.hpp"
#include "core/evaluation/run_together.hpp"

using SumtrixLib::BoundedArray;

namespace {

// "<statistic> : value     <hypothesis> : value (P)".
QString rankLine(const char* label, const QString& value, const char* hypothesis, double v, double p)
{
    return field(QLatin1String(label), 13, value) + QStringLiteral("     ")
           + field(QLatin1String(hypothesis), 38, withP(F(v, 10, 5), FP(p, 10, 5)));
}

// Column 5 and 6 of the used rows get their ranks (RankX(k), RankY(k) for
// the k-th used row), the other rows up to the last used one "."; rows after
// it keep what they hold.
void writeRanksBack(EvaluationContext& ctx, const std::vector<double>& RankX, const std::vector<double>& RankY)
{
    const EvaluationData& data = ctx.data;
    const int lastRow = data.sheetRow[static_cast<std::size_t>(data.N)];
    const QString notUsed = QStringLiteral(".");
    std::size_t k = 1;
    for (int r = 1; r <= lastRow; ++r) {
        if (data.sheetRow[k] == r) {
            ctx.matrix.setNumber(DataMatrix::ColRankX, r, RankX[k]);
            ctx.matrix.setNumber(DataMatrix::ColRankY, r, RankY[k]);
            ++k;
        } else {
            ctx.matrix.setText(DataMatrix::ColRankX, r, notUsed);
            ctx.matrix.setText(DataMatrix::ColRankY, r, notUsed);
        }
    }
    ctx.request(RunRequests::ShowRanks{lastRow});
}

} // namespace

void writeRankSection(EvaluationContext& ctx)
{
    const std::int32_t N = ctx.data.N;
    const BoundedArray<double>& X = ctx.data.X;
    const BoundedArray<double>& Y = ctx.data.Y;
    SumtrixLib::Sumtrix& lib = ctx.lib;

    // The ranks come back in the library's working order; idx(i) is the
    // used row that position i came from.
    BoundedArray<double> wksp1(0, N), wksp2(0, N), idx(0, N);
    double D = NotComputed, zd = NotComputed, ProbD = NotComputed, rs = NotComputed, t = NotComputed,
           Probrs = NotComputed;
    bool ranked = false;
    double tau = NotComputed, z = NotComputed, ProbZ = NotComputed;
    double KS = NotComputed, en = NotComputed, ProbKS = NotComputed;
    double MW = NotComputed, rv = NotComputed, Var = NotComputed, sig = NotComputed;
    // The four statistics at the same time: each call writes its own.
    runTogether({[&] {
                     ranked = libraryStep({&D, &zd, &ProbD, &rs, &t, &Probrs}, [&] {
                         lib.Rank_Spearman(X, Y, N, wksp1, ctx.settings.sheet.invertRanksX, wksp2,
                                           ctx.settings.sheet.invertRanksY, idx, D, zd, ProbD, rs, t, Probrs);
                     });
                 },
                 [&] { libraryStep({&tau, &z, &ProbZ}, [&] { lib.Rank_Kendall(X, Y, N, tau, z, ProbZ); }); },
                 [&] {
                     libraryStep({&KS, &en, &ProbKS},
                                 [&] { lib.STAT_KolmogorovSmirnov2(X, X.ubound(), Y, Y.ubound(), KS, en, ProbKS); });
                 },
                 [&] {
                     libraryStep({&MW, &rv, &Var, &sig}, [&] {
                         bool larger = false;
                         lib.STAT_MannWhitney(X, Y, MW, rv, Var, sig, larger);
                     });
                 }});
    // Without a coefficient its test is none either (all ranks tied).
    if (std::isnan(rs))
        t = Probrs = NotComputed;

    ReportText& report = ctx.report;
    report.heading(QStringLiteral("RANK ANALYSIS - NONPARAMETRICS (Agresti, 1996, 2002)"));
    report.comment(QStringLiteral(".Spearman's r is a nonparametric coefficient of correlation that measures the rank of the data values"));
    report.comment(QStringLiteral(".D is the sum squared difference of ranks"));
    report.comment(QStringLiteral(".Kendall's Tau is a nonparametric coefficient of correlation that measures the association based on"));
    report.comment(QStringLiteral(" the number of concordances and discordances in paired observations"));
    report.comment(QStringLiteral(".KS is the Kolmogorov-Smirnov test that measures if X and Y have the same distribution"));
    if (report.comments())
        report.newLine();
    report.line(rankLine("Spearman's r", F(rs, 10, 5), "H0: r = 0, T-value (P-value)", t, Probrs));
    report.line(rankLine("D", F(D, 10, 1), "H0: D = 0, Z-value (P-value)", zd, ProbD));
    report.line(rankLine("Tau", F(tau, 10, 5), "H0: Tau = 0, Z-value (P-value)", z, ProbZ));
    report.line(rankLine("KS", F(KS, 10, 5), "H0: dX = dY, N-value (P-value)", en, ProbKS));
    report.line(rankLine("Mann-Whitney", F(MW, 10, 5), "H0: WD = 0, Z-value (1-sided P-value)", rv, sig));

    if (!ranked)
        return;
    // RankX(k), RankY(k): the ranks of the k-th used row.
    std::vector<double> RankX(static_cast<std::size_t>(N) + 1, 0.0), RankY(RankX);
    for (std::int32_t i = 1; i <= N; ++i) {
        const long long p = std::llround(idx(i));
        if (p < 1 || p > N)
            continue;
        RankX[static_cast<std::size_t>(p)] = wksp1(i);
        RankY[static_cast<std::size_t>(p)] = wksp2(i);
    }
    writeRanksBack(ctx, RankX, RankY);
}
