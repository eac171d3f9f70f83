// The difference regressions of the report: Kleijnen's (Kleijnen, 1987;
// Kleijnen et al., 1996, 1998) and Bland and Altman's (1986), each with the
// chart of its differences.
#include "core/evaluation/difference_regression_sections.hpp"

#include <numeric>

#include "SumtrixLib/Sumtrix.hpp"
#include "core/evaluation/report_sections.hpp"
#include "core/evaluation/run_chart.hpp"

using SumtrixLib::BoundedArray;
using SumtrixLib::checkedAdd;
using SumtrixLib::checkedDiv;
using SumtrixLib::checkedMul;
using SumtrixLib::checkedSub;

namespace {

// The unweighted least-squares line Diff = a + b abscissa.
DifferenceFit fitDifferences(SumtrixLib::Sumtrix& lib, const BoundedArray<double>& abscissa,
                             const BoundedArray<double>& Diff, std::int32_t n, const BoundedArray<double>& SigX)
{
    DifferenceFit fit;
    libraryStep({&fit.a, &fit.b, &fit.sa, &fit.sb, &fit.chi2, &fit.q}, [&] {
        std::int32_t mwt = 0;
        lib.Reg_FitXY(abscissa, Diff, n, SigX, mwt, fit.a, fit.b, fit.sa, fit.sb, fit.chi2, fit.q);
    });
    return fit;
}

// The estimates and their t tests, labels padded to `labelWidth`. A test
// whose standard deviation is 0 (or not computed) is left out.
void estimateLines(ReportText& T, SumtrixLib::Sumtrix& lib, const DifferenceFit& fit, std::int32_t n, int labelWidth)
{
    T.line(field(QStringLiteral("Estimate ß0 ± SD"), labelWidth, plusMinus(F(fit.a, 10, 5), F(fit.sa, 10, 5))));
    T.line(field(QStringLiteral("Estimate ß1 ± SD"), labelWidth, plusMinus(F(fit.b, 10, 5), F(fit.sb, 10, 5))));
    const double df = n - 2;
    if (fit.sa > 0) {
        const double t = ratio(fit.a, fit.sa);
        T.line(field(QStringLiteral("H0: ß0 = 0, T-value (P-value)"), labelWidth,
                     withP(F(t, 10, 5), FP(twoSidedP(lib, t, df), 7, 5))));
    }
    if (fit.sb > 0) {
        const double t = ratio(fit.b, fit.sb);
        T.line(field(QStringLiteral("H0: ß1 = 0, T-value (P-value)"), labelWidth,
                     withP(F(t, 10, 5), FP(twoSidedP(lib, t, df), 7, 5))));
    }
}

} // namespace

XYPlot Kleijnen_Analysis(SumtrixLib::Sumtrix& lib, const BoundedArray<double>& X, const BoundedArray<double>& Y,
                         std::int32_t n, const BoundedArray<double>& SigX, DifferenceFit& fit, double r,
                         double corrprobt, ReportText& T, const QString& mainCaption)
{
    BoundedArray<double> Diff(0, n), Sum(0, n);
    for (std::int32_t i = 1; i <= n; ++i) {
        Diff[i] = X[i] - Y[i];
        Sum[i] = X[i] + Y[i];
    }
    fit = fitDifferences(lib, Sum, Diff, n, SigX);

    // The joint test of ß0 = 0 and ß1 = 0: the residual sum of squares of
    // the line against that of the differences themselves (the model with
    // both parameters 0). The line's residuals are taken about the means,
    // which is the same for a least-squares line and keeps offset data from
    // cancelling.
    double Fjoint = NotComputed, PF = NotComputed;
    if (allComputed({fit.a, fit.b})) {
        const double b = fit.b;
        Fjoint = computed([&] {
            double SSD = 0, meanD = 0, meanS = 0;
            for (std::int32_t i = 1; i <= n; ++i) {
                SSD = checkedAdd(SSD, checkedMul(Diff[i], Diff[i]));
                meanD = checkedAdd(meanD, Diff[i]);
                meanS = checkedAdd(meanS, Sum[i]);
            }
            meanD /= n;
            meanS /= n;
            double SSE = 0;
            for (std::int32_t i = 1; i <= n; ++i) {
                const double e = checkedSub(checkedSub(Diff[i], meanD), checkedMul(b, checkedSub(Sum[i], meanS)));
                SSE = checkedAdd(SSE, checkedMul(e, e));
            }
            return SSE > 0 ? checkedMul((n - 2) / 2.0, checkedDiv(SSD - SSE, SSE)) : 0.0;
        });
    }
    if (allComputed({Fjoint}))
        PF = computed([&] { return lib.STAT_PROBF(Fjoint, 2, n - 2); });

    const int labelWidth = 39;
    T.heading(QStringLiteral("KLEIJNEN'S DIFFERENCE REGRESSION (Kleijnen, 1987; Kleijnen et al., 1996, 1998)"));
    T.line(QStringLiteral("Equation: (X-Y) = ß0 + ß1×(Y+X)") + QString(24, QLatin1Char(' ')));
    estimateLines(T, lib, fit, n, labelWidth);
    T.line(field(QStringLiteral("H0: ß0 = 0 & ß1 = 0, F-value (P-value)"), labelWidth,
                 withP(F(Fjoint, 10, 5), FP(PF, 7, 5))));

    // The stringent assumptions: equal means, equal variances, a positive
    // correlation.
    double t = NotComputed, Pmean = NotComputed, f = NotComputed, Pvar = NotComputed;
    libraryStep({&t, &Pmean}, [&] { lib.STAT_TTESTDiffPaired(Y, n, X, n, t, Pmean); });
    libraryStep({&f, &Pvar}, [&] { lib.STAT_FTEST(Y, n, X, n, f, Pvar); });
    // Without its tests there is no verdict.
    if (allComputed({r, corrprobt, Pmean, Pvar})) {
        if (r >= 0 && Pmean >= 0.05 && Pvar >= 0.05) {
            if (allComputed({PF}))
                T.comment(PF >= 0.05
                              ? QStringLiteral("Fail to reject H0 and conclude the model meets the stringent validation requirement")
                              : QStringLiteral("Reject H0 and conclude the model does not meet the stringent validation requirement"));
        } else {
            if (Pmean < 0.05)
                T.line(QStringLiteral("!! Stringent assumption of identical mean failed !!"));
            if (Pvar < 0.05)
                T.line(QStringLiteral("!! Stringent assumption of identical variance failed !!"));
            if (!(r >= 0 && corrprobt <= 0.05))
                T.line(QStringLiteral("!! Stringent assumption of positive correlation failed !!"));
        }
    }
    return runPointsChart(view(Sum), view(Diff), n, QStringLiteral("Kleijnen Analysis"), QStringLiteral("Summation"),
                          QStringLiteral("Difference"), mainCaption);
}

XYPlot Bland_Altman_Analysis(SumtrixLib::Sumtrix& lib, const BoundedArray<double>& X, const BoundedArray<double>& Y,
                             std::int32_t n, const BoundedArray<double>& SigX, DifferenceFit& fit, ReportText& T,
                             const QString& mainCaption)
{
    BoundedArray<double> Diff(0, n), Avg(0, n);
    for (std::int32_t i = 1; i <= n; ++i) {
        Diff[i] = X[i] - Y[i];
        // Halved before the sum where X + Y would overflow.
        Avg[i] = std::midpoint(X[i], Y[i]);
    }
    fit = fitDifferences(lib, Avg, Diff, n, SigX);

    T.heading(QStringLiteral("BLAND AND ALTMAN'S DIFFERENCE REGRESSION (Bland and Altman, 1986)"));
    T.line(QStringLiteral("Equation: (X-Y) = ß0 + ß1×(Avg(Y and X))") + QString(24, QLatin1Char(' ')));
    estimateLines(T, lib, fit, n, 31);
    return runPointsChart(view(Avg), view(Diff), n, QStringLiteral("Bland and Altman Analysis"), QStringLiteral("Average"),
                          QStringLiteral("Difference"), mainCaption);
}

void writeKleijnenSection(EvaluationContext& ctx)
{
    const EvaluationData& d = ctx.data;
    DifferenceFit fit;
    ctx.request(RunRequests::Chart{
        Kleijnen_Analysis(ctx.lib, d.X, d.Y, d.N, d.SDX, fit, ctx.fit.r, ctx.fit.ProbT, ctx.report, ctx.mainCaption)});
}

void writeBlandAltmanSection(EvaluationContext& ctx)
{
    const EvaluationData& d = ctx.data;
    DifferenceFit fit;
    ctx.request(
        RunRequests::Chart{Bland_Altman_Analysis(ctx.lib, d.X, d.Y, d.N, d.SDX, fit, ctx.report, ctx.mainCaption)});
}
