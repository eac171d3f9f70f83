// The concordance sections: Lin's concordance correlation coefficient with
// its tests and intervals, Nickerson's intraclass form and Liao's accuracy
// coefficients; then the generalized coefficients of King and Chinchilli
// for seven distance functions.
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"
#include "core/evaluation/report_sections.hpp"

using SumtrixLib::BoundedArray;
using SumtrixLib::Sumtrix;

namespace {

// "[lower, upper]" with the blanks of both fields trimmed.
QString interval(double lower, double upper)
{
    return QLatin1Char('[') + F(lower, 10, 5).trimmed() + QStringLiteral(", ") + F(upper, 10, 5).trimmed() + QLatin1Char(']');
}

// A z value the library could not form has no probability either,
// whatever the library derived from it.
QString zWithP(double z, double p)
{
    return F(z, 10, 5) + QStringLiteral(" (") + FP(std::isnan(z) ? NotComputed : p, 10, 5) + QStringLiteral(" )");
}

// The test of a coefficient against 0 whose standard error is 0 (perfect
// agreement): the library gives z = 0 with P = 1, or no z at all, for a
// coefficient that is certainly not 0; the data decide it (decidedTest).
void decideWithoutSpread(double coefficient, double se, double& z, double& p)
{
    if (se != 0 || !std::isfinite(coefficient))
        return;
    const TestResult decided = decidedTest(coefficient, coefficient == 0);
    z = decided.statistic;
    p = decided.P;
}

} // namespace

void writeConcordanceSection(EvaluationContext& ctx)
{
    const double r = ctx.fit.r;
    const SharedMoments& m = ctx.moments();
    // What STAT_CCC leaves unwritten in a degenerate case (no Fisher-z rows
    // for rc >= 1, r = 0, two points) stays not computed and prints "n/a".
    // The coefficients read the means only through their difference, which
    // goes in as the mean of the differences X - Y against 0: two means far
    // from zero (data near 1e9) would lose most of its digits.
    Sumtrix::ConcordanceCorrelation c;
    if (allComputed({r, m.MeanXY, m.VarX, m.VarY, m.VarXY}))
        step([&] { c = ctx.lib.STAT_CCC(ctx.data.N, r, m.MeanXY, 0.0, m.VarX, m.VarY, m.VarXY); });
    // X = Y within rounding: perfect agreement, whose coefficients have no
    // spread, rather than the rounding of their sums (which may not even
    // have a square root).
    if (ctx.fit.spreads.noBias() && allComputed({c.rc, c.Gr})) {
        c.SErc = c.SEGr = 0;
        c.zll95 = c.zul95 = c.rc;
        c.Grzll95 = c.Grzul95 = c.Gr;
    }
    decideWithoutSpread(c.rc, c.SErc, c.z, c.pz);
    decideWithoutSpread(c.Gr, c.SEGr, c.Grz, c.pGrz);

    ReportText& report = ctx.report;
    report.heading(QStringLiteral("CONCORDANCE CORRELATION COEFFICIENT (Lin, 1989; Deyo et al., 1991; Nickerson, 1997; Liao, 2003)"));
    report.underlined(QStringLiteral("Lin (1998)"));
    report.line(field(QStringLiteral("Scale shift (v)"), 21, F(c.V, 10, 5)));
    QString location = field(QStringLiteral("Location shift (u)"), 21, F(c.u, 10, 5));
    if (report.comments() && !std::isnan(c.u))
        location += c.u > 0 ? QStringLiteral(" !! Model underprediction !!") : QStringLiteral(" !! Model overprediction !!");
    report.line(location);
    report.line(field(QStringLiteral("Bias correction (Cb)"), 21, F(c.Cb, 10, 5)));
    report.line(field(QStringLiteral("rc ± SE rc"), 21, plusMinus(F(c.rc, 10, 5), F(c.SErc, 10, 5))));
    report.line(field(QStringLiteral("Z-value (P-Value)"), 21, zWithP(c.z, c.pz)));
    report.line(field(QStringLiteral("Lower - Upper 95% CI"), 21, interval(c.zll95, c.zul95)));
    const QString transformation = QStringLiteral(" Inverse hyperbolic tangent transformation to improve normal approximation");
    report.comment(transformation);
    const int T = 36;   // labels of the transformed rows
    report.line(field(QStringLiteral("Transformed rc ± SE rc"), T, plusMinus(F(c.trc, 10, 5), F(c.SEtrc, 10, 5))));
    report.line(field(QStringLiteral("Transformed Z-value (P-Value)"), T, zWithP(c.ztrc, c.pztrc)));
    report.line(field(QStringLiteral("Transformed Lower - Upper 95% CI"), T, interval(c.ztrcll95_1, c.ztrcul95_1)));
    report.line(field(QStringLiteral("Un-transformed Lower - Upper 95% CI"), T, interval(c.ztrcll95_2, c.ztrcul95_2)));
    report.newLine();

    report.underlined(QStringLiteral("Intraclass Correlation Coefficient (ICC)"));
    report.line(field(QStringLiteral("rc"), 3, F(c.rc_Nickerson, 10, 5)));
    report.newLine();

    report.underlined(QStringLiteral("Liao (2003)"));
    const int G = 23;
    report.line(field(QStringLiteral("Ar (~ Cb)"), G, F(c.Ar, 10, 5)));
    report.line(field(QStringLiteral("Gr ± SE Gr (~ rc)"), G, plusMinus(F(c.Gr, 10, 5), F(c.SEGr, 10, 5))));
    report.line(field(QStringLiteral("Z-value (P-Value)"), G, zWithP(c.Grz, c.pGrz)));
    report.line(field(QStringLiteral("Lower - Upper 95% CI"), G, interval(c.Grzll95, c.Grzul95)));
    report.comment(transformation);
    report.line(field(QStringLiteral("Transformed Gr ± SE Gr"), T, plusMinus(F(c.tGr, 10, 5), F(c.SEtGr, 10, 5))));
    report.line(field(QStringLiteral("Transformed Z-value (P-Value)"), T, zWithP(c.tGrz, c.ptGrz)));
    report.line(field(QStringLiteral("Transformed Lower - Upper 95% CI"), T, interval(c.ztGrll95_1, c.ztGrul95_1)));
    report.line(field(QStringLiteral("Un-transformed Lower - Upper 95% CI"), T, interval(c.ztGrll95_2, c.ztGrul95_2)));
}

// The generalized block of King and Chinchilli: one STAT_GCCC2 call with the
// exponent 1.5, seven rows in the library's order, the back-transformed
// interval of each. A variant the library could not compute prints "n/a";
// the block always has its seven rows. X and Y that are equal within
// rounding (`identical`) agree perfectly: every coefficient is 1 with no
// spread and its interval is [1, 1], rather than what the rounding of the
// distances (1, or just below it, whose Fisher z is then finite) leaves.
void PerformGCCCCalculation(ReportText& text, Sumtrix& lib, std::int32_t n, const BoundedArray<double>& XArray,
                            const BoundedArray<double>& YArray, bool identical)
{
    const double P = 1.5;
    text.newLine();
    text.newLine();
    text.line(QStringLiteral("GENERALIZED CONCORDANCE CORRELATION COEFFICIENT (King and Chinchilli, 2001a,b)"));
    text.rule(78, QLatin1Char('='));
    text.newLine();
    text.line(QStringLiteral("Method                                          CCC (rg ± SE rg)     Lower - Upper 95% CI"));
    text.rule(89);
    std::array<Sumtrix::GeneralizedConcordance, 7> g{};
    step([&] { g = lib.STAT_GCCC2(n, XArray, YArray, P); });
    if (identical)
        for (Sumtrix::GeneralizedConcordance& v : g)
            if (!std::isnan(v.rg)) {
                v.rg = v.lcl = v.ucl = 1;
                v.se_rg = 0;
            }
    for (std::size_t k = 0; k < g.size(); ++k)
        text.line(QString::fromUtf8(Sumtrix::GcccVariantLabels[k].data(), static_cast<qsizetype>(Sumtrix::GcccVariantLabels[k].size()))
                  + plusMinus(F(g[k].rg, 10, 5), F(g[k].se_rg, 10, 5)) + QStringLiteral("   ") + interval(g[k].lcl, g[k].ucl));
    text.rule(89);
}

void writeGeneralizedCccSection(EvaluationContext& ctx)
{
    PerformGCCCCalculation(ctx.report, ctx.lib, ctx.data.N, ctx.data.X, ctx.data.Y, ctx.fit.spreads.noBias());
}
