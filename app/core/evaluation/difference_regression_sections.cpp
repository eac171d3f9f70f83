// The difference regressions of the report: Kleijnen's (Kleijnen, 1987;
// Kleijnen et al., 1996, 1998) and Bland and Altman's (1986), each with the
// chart of its differences.
#include "core/evaluation/difference_regression_sections.hpp"

#include <cmath>
#include <numeric>

#include "SumtrixLib/Rounding.hpp"
#include "SumtrixLib/Sumtrix.hpp"
#include "core/evaluation/report_sections.hpp"
#include "core/evaluation/run_chart.hpp"

using SumtrixLib::BoundedArray;
using SumtrixLib::checkedAdd;
using SumtrixLib::checkedDiv;
using SumtrixLib::checkedMul;
using SumtrixLib::checkedSub;

namespace {

// The differences and the sums or averages of the points are formed from
// X(i) and Y(i): both carry the rounding of |X(i)| + |Y(i)|.
auto termsOf(const BoundedArray<double>& X, const BoundedArray<double>& Y)
{
    return [&X, &Y](std::int64_t i) {
        return std::fabs(X(static_cast<std::int32_t>(i))) + std::fabs(Y(static_cast<std::int32_t>(i)));
    };
}

// Diff(1..n) as values: one value within rounding when the interval holds any.
SumtrixLib::RoundingInterval commonDifference(const BoundedArray<double>& Diff, const BoundedArray<double>& X,
                                              const BoundedArray<double>& Y, std::int32_t n)
{
    return SumtrixLib::commonValue(
        n, [&](std::int64_t i) { return Diff(static_cast<std::int32_t>(i)); }, termsOf(X, Y));
}

// The unweighted least-squares line Diff = a + b abscissa. An abscissa
// without spread (within rounding) has no line; differences on an exact
// line (`exact`) have standard deviations and a chi-square of 0.
DifferenceFit fitDifferences(SumtrixLib::Sumtrix& lib, const BoundedArray<double>& abscissa,
                             const BoundedArray<double>& Diff, std::int32_t n, const BoundedArray<double>& SigX,
                             const BoundedArray<double>& X, const BoundedArray<double>& Y, bool& exact)
{
    DifferenceFit fit;
    const SumtrixLib::LineWithinRounding line = SumtrixLib::lineWithinRounding(
        n, [&](std::int64_t i) { return abscissa(static_cast<std::int32_t>(i)); },
        [&](std::int64_t i) { return Diff(static_cast<std::int32_t>(i)); }, termsOf(X, Y), termsOf(X, Y));
    exact = line.exact;
    if (line.vertical)
        return fit;
    libraryStep({&fit.a, &fit.b, &fit.sa, &fit.sb, &fit.chi2, &fit.q}, [&] {
        std::int32_t mwt = 0;
        lib.Reg_FitXY(abscissa, Diff, n, SigX, mwt, fit.a, fit.b, fit.sa, fit.sb, fit.chi2, fit.q);
    });
    if (exact)
        for (double* v : {&fit.sa, &fit.sb, &fit.chi2})
            if (!std::isnan(*v))
                *v = 0;
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
    bool exact = false;
    fit = fitDifferences(lib, Sum, Diff, n, SigX, X, Y, exact);
    const SumtrixLib::RoundingInterval difference = commonDifference(Diff, X, Y, n);

    // The joint test of ß0 = 0 and ß1 = 0: the residual sum of squares of
    // the line against that of the differences themselves (the model with
    // both parameters 0). The line's residuals are taken about the means,
    // which is the same for a least-squares line and keeps offset data from
    // cancelling. Differences on an exact line leave no residual sum of
    // squares: the test is decided by whether they are all 0.
    double Fjoint = NotComputed, PF = NotComputed;
    if (allComputed({fit.a, fit.b}) && exact) {
        const TestResult decided = decidedTest(1, difference.holds(0));
        Fjoint = decided.statistic;
        PF = decided.P;
    } else if (allComputed({fit.a, fit.b})) {
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
    if (allComputed({Fjoint}) && !exact)
        PF = computed([&] { return lib.STAT_PROBF(Fjoint, 2, n - 2); });

    const int labelWidth = 39;
    T.heading(QStringLiteral("KLEIJNEN'S DIFFERENCE REGRESSION (Kleijnen, 1987; Kleijnen et al., 1996, 1998)"));
    T.line(QStringLiteral("Equation: (X-Y) = ß0 + ß1×(Y+X)") + QString(24, QLatin1Char(' ')));
    estimateLines(T, lib, fit, n, labelWidth);
    T.line(field(QStringLiteral("H0: ß0 = 0 & ß1 = 0, F-value (P-value)"), labelWidth,
                 withP(F(Fjoint, 10, 5), FP(PF, 7, 5))));

    // The stringent assumptions: equal means, equal variances, a positive
    // correlation. Differences, or a column, without spread decide their
    // test (decidedTest).
    double t = NotComputed, Pmean = NotComputed, f = NotComputed, Pvar = NotComputed;
    if (!difference.empty())
        Pmean = decidedTest(difference.low, difference.holds(0)).P;
    else
        libraryStep({&t, &Pmean}, [&] { lib.STAT_TTESTDiffPaired(Y, n, X, n, t, Pmean); });
    const bool constantX = SumtrixLib::oneValueWithinRounding(X, n), constantY = SumtrixLib::oneValueWithinRounding(Y, n);
    if (constantX || constantY)
        Pvar = decidedTest(1, constantX && constantY).P;
    else
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
    bool exact = false;
    fit = fitDifferences(lib, Avg, Diff, n, SigX, X, Y, exact);

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
