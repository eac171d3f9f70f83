// The deviation analysis: the deviations X - Y of the model from the
// observations regressed on the model's predictions, the test of their mean
// with its confidence and prediction intervals, the bounds of the model's
// accuracy of Freese (1960) and Reynolds (1984) under three assumptions
// about its bias, the goodness-of-fit block of the deviations, and the
// interval table of every point in a results window of its own.
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"
#include "core/evaluation/normality_test.hpp"
#include "core/evaluation/report_sections.hpp"
#include "core/evaluation/run_together.hpp"

using SumtrixLib::BoundedArray;
using SumtrixLib::checkedAdd;
using SumtrixLib::checkedDiv;
using SumtrixLib::checkedMul;
using SumtrixLib::checkedSqrt;
using SumtrixLib::checkedSub;

namespace {

// A number as plain text, without blanks, to at most 15 significant
// digits: 100 - 100 x 0.05 prints "95", not its binary neighbour.
QString plainNumber(double v)
{
    return QString::number(v, 'g', 15);
}

double deviationConfidence(const EvaluationSettings& settings, double kept)
{
    // The box holds a percentage. A level strictly between 0 and 100 % is
    // taken as it stands; 0, 100 or more or a negative number gives 95 %
    // (a box that holds no number stops the run before). An empty box keeps
    // the level of an earlier run or of the residual analysis, or 95 % when
    // there is none.
    double confidence = kept;
    if (settings.deviationConfidencePercent) {
        const double percent = *settings.deviationConfidencePercent;
        confidence = percent > 0 && percent < 100 ? percent / 100 : 0.95;
    }
    if (!(confidence > 0 && confidence < 1))
        confidence = 0.95;
    return confidence;
}

// The regression step's deviations; when that step could not form them
// (no line through constant predictions) they are X - Y all the same, made
// into `own`.
const BoundedArray<double>& runDeviations(const EvaluationContext& ctx, BoundedArray<double>& own)
{
    const BoundedArray<double>& run = ctx.rows().Deviation;
    bool complete = run.size() == ctx.data.X.size();
    for (std::size_t i = 1; complete && i < run.size(); ++i)
        complete = std::isfinite(run.data()[i]);
    if (complete)
        return run;
    const std::int32_t n = ctx.data.N;
    own.redim(0, n);
    for (std::int32_t i = 1; i <= n; ++i)
        own(i) = computed([&] { return checkedSub(ctx.data.X(i), ctx.data.Y(i)); });
    return own;
}

// The block of the report for the deviations at significance level alpha
// (a fraction), and the per-point interval table (empty when it could not
// be formed; plain ASCII).
void DeviationAnalysis(EvaluationContext& ctx, const BoundedArray<double>& D, double alpha, ReportText& T,
                       std::string& table)
{
    SumtrixLib::Sumtrix& lib = ctx.lib;
    const std::int32_t n = ctx.data.N;
    const BoundedArray<double>& XArray = ctx.data.X;
    const BoundedArray<double>& SigX = ctx.data.SDX;
    bool deviationsStand = true;
    for (std::int32_t i = 1; i <= n; ++i)
        deviationsStand = deviationsStand && std::isfinite(D(i));

    // The unweighted line of the deviations on the predictions, Pearson's
    // r of the two, and the mean and variance of the deviations.
    double a = NotComputed, b = NotComputed, siga = NotComputed, sigb = NotComputed, chi2 = NotComputed,
           Q = NotComputed;
    double r = NotComputed, t = NotComputed, ProbT = NotComputed, r2 = NotComputed, Adjr2 = NotComputed,
           z = NotComputed;
    double MeanDev = NotComputed, VarDev = NotComputed, SumDev2 = NotComputed, SSE = NotComputed;
    // The deviations X - Y lie on a line in X exactly when the points lie
    // on a line of Y on X, and are one value when the bias is constant:
    // then the spreads are 0 (ZeroSpreads), not the rounding of their sums.
    const ZeroSpreads& zero = ctx.fit.spreads;
    if (deviationsStand) {
        if (!zero.X)
            libraryStep({&a, &b, &siga, &sigb, &chi2, &Q}, [&] {
                std::int32_t mwt = 0;
                lib.Reg_FitXY(XArray, D, n, SigX, mwt, a, b, siga, sigb, chi2, Q);
            });
        if (zero.line.exact)
            for (double* v : {&siga, &sigb, &chi2})
                if (!std::isnan(*v))
                    *v = 0;
        if (zero.line.exact && !zero.X && !zero.constantBias()) {
            r = std::copysign(1.0, 1.0 - zero.line.slope);
            r2 = 1;
        } else if (!zero.X && !zero.constantBias()) {
            libraryStep({&r, &t, &ProbT, &r2, &Adjr2, &z},
                        [&] { lib.Rank_Pearson(XArray, D, n, r, t, ProbT, r2, Adjr2, z); });
        }
        libraryStep({&MeanDev, &VarDev}, [&] { lib.STAT_AveVar(D, n, MeanDev, VarDev); });
        if (zero.constantBias() && !std::isnan(VarDev))
            VarDev = 0;
        libraryStep({&SumDev2}, [&] {
            SumDev2 = 0;
            for (std::int32_t i = 1; i <= n; ++i)
                SumDev2 = checkedAdd(SumDev2, checkedMul(D(i), D(i)));
        });
        if (allComputed({a, b}) && zero.line.exact)
            SSE = 0;
        else if (allComputed({a, b}))
            libraryStep({&SSE}, [&] {
                SSE = 0;
                for (std::int32_t i = 1; i <= n; ++i) {
                    const double e = checkedSub(D(i), checkedAdd(a, checkedMul(b, XArray(i))));
                    SSE = checkedAdd(SSE, checkedMul(e, e));
                }
            });
    }
    const double MSE = std::isnan(SSE) ? NotComputed : computed([&] { return checkedDiv(SSE, n - 2.0); });

    // The bounds of Freese and Reynolds: sqrt(z² S / chi²(p; df)) with z²
    // the chi-square quantile of 1 - alpha at one degree of freedom. Under
    // a constant bias S is the sum of squares about the mean deviation,
    // taken as (n - 1) VarDev from the centred variance rather than as
    // SumDev2 - n MeanDev², which cancels when the bias is large against
    // the spread.
    const double z2 = computed([&] { return lib.STAT_Chi2_CDF_INV(1 - alpha, 1); });
    const auto bound = [&](double S, double cdf, std::int32_t df) {
        if (!allComputed({S, z2}))
            return NotComputed;
        return computed([&] { return checkedSqrt(checkedDiv(checkedMul(z2, S), lib.STAT_Chi2_CDF_INV(cdf, df))); });
    };
    const double aboutMean = std::isnan(VarDev) ? NotComputed : computed([&] { return checkedMul(n - 1.0, VarDev); });

    // The t quantile of both intervals of the mean deviation.
    const double tq = computed([&] {
        double P = 1 - alpha / 2;
        return lib.STAT_TINV(P, n - 1.0, false, false);
    });
    const double seMean = std::isnan(VarDev) ? NotComputed : computed([&] { return checkedSqrt(VarDev / n); });
    const double sePrediction =
        std::isnan(VarDev) ? NotComputed : computed([&] { return checkedSqrt(checkedAdd(VarDev, VarDev / n)); });
    // The test of a mean deviation of 0; deviations without spread decide it.
    const TestResult meanTest = tTest(lib, MeanDev, seMean, n - 1.0, zero.noBias());
    const QString L = plainNumber(100 - 100 * alpha);

    const int W = 33;   // the label column
    T.heading(QStringLiteral("DEVIATION ANALYSIS"));
    T.line(QStringLiteral("Regression of: Deviation = a + b×'Model-Predicted'"));
    T.line(field(QStringLiteral("Estimate a ± SD"), W, plusMinus(F(a, 10, 5), F(siga, 10, 5))));
    T.line(field(QStringLiteral("Estimate b ± SD"), W, plusMinus(F(b, 10, 5), F(sigb, 10, 5))));
    if (siga > 0) {
        const double ta = ratio(a, siga);
        T.line(field(QStringLiteral("H0: a = 0; T-value (P-value)"), W,
                     withP(F(ta, 10, 5), FP(twoSidedP(lib, ta, n - 2.0), 7, 5))));
    }
    if (sigb > 0) {
        const double tb = ratio(b, sigb);
        T.line(field(QStringLiteral("H0: b = 0; T-value (P-value)"), W,
                     withP(F(tb, 10, 5), FP(twoSidedP(lib, tb, n - 2.0), 7, 5))));
    }
    T.line(field(QStringLiteral("r²"), W, F(r2, 10, 5)));
    T.line(field(QStringLiteral("MSE"), W, F(MSE, 10, 5)));
    T.line(field(QStringLiteral("Mean deviation"), W,
                 F(MeanDev, 10, 5) + QStringLiteral(" (P = ") + FP(meanTest.P, 7, 5) + QLatin1Char(')')));
    const auto interval = [](double centre, double halfWidth) {
        return F(centre - halfWidth, 10, 5) + QStringLiteral(" to ") + F(centre + halfWidth, 10, 5);
    };
    T.line(QStringLiteral("Confidence interval (") + L + QStringLiteral("%)        : ") + interval(MeanDev, tq * seMean));
    T.line(QStringLiteral("Prediction interval (") + L + QStringLiteral("%)        : ")
           + interval(MeanDev, tq * sePrediction));
    T.line(field(QStringLiteral("Variance deviation"), W, F(VarDev, 10, 5)));
    T.line(field(QStringLiteral("S deviation"), W,
                 F(std::isnan(VarDev) ? NotComputed : computed([&] { return checkedSqrt(VarDev); }), 10, 5)));
    T.line();
    T.line(QStringLiteral("Confidence Interval of the Distribution of the |Deviations| (Freese, 1960; Reynolds, 1984)"));
    T.rule(90);
    T.line(QStringLiteral("Assuming ") + L + QStringLiteral("% of probability"));
    T.line(field(QStringLiteral("Root of sum of deviation squared"), W,
                 F(std::isnan(SumDev2) ? NotComputed : computed([&] { return checkedSqrt(SumDev2); }), 10, 5)));
    const auto bounds = [&](const QString& label, double S, double lowerCdf, double upperCdf, std::int32_t df) {
        T.line(field(label, W,
                     F(bound(S, lowerCdf, df), 10, 5) + QStringLiteral(" to ") + F(bound(S, upperCdf, df), 10, 5)));
    };
    bounds(QStringLiteral("Assuming no mean bias"), SumDev2, 1 - alpha, alpha, n);
    bounds(QStringLiteral("Assuming constant mean bias"), aboutMean, 1 - alpha, alpha, n - 1);
    bounds(QStringLiteral("Assuming proportional bias"), SSE, 1 - alpha / 2, alpha / 2, n - 2);

    // The goodness-of-fit block of the deviations (not when they overflow:
    // there is nothing to test then), and at the same time the confidence
    // and prediction intervals of the deviation line at every point, at the
    // same level.
    QString goodnessOfFit;
    bool tableStands = false;
    runTogether({[&] {
                     if (deviationsStand)
                         goodnessOfFit = NormalityTest(lib, D, n, 2, false, !zero.constantBias());
                 },
                 [&] {
                     if (allComputed({a, b})) {
                         double Prob = 1 - alpha;
                         tableStands = step([&] { lib.STAT_CPI(a, b, n, XArray, D, Prob, table); });
                     }
                 }});
    T.newLine();
    T.append(goodnessOfFit);
    if (!tableStands)
        table.clear();
}

} // namespace

void writeDeviationSection(EvaluationContext& ctx)
{
    AcceptanceLimits& limits = ctx.limits;
    limits.DeviationConfidence = deviationConfidence(ctx.settings, limits.DeviationConfidence);
    const double alpha = 1 - limits.DeviationConfidence;

    ReportText T(ctx.settings.comments);
    std::string table;
    BoundedArray<double> own;
    DeviationAnalysis(ctx, runDeviations(ctx, own), alpha, T, table);
    ctx.report.append(T);
    if (table.empty())
        return;
    ReportText window;
    window.utf8().reserve(3 * ctx.reportHeader.size() + 128 + static_cast<qsizetype>(table.size()));
    window.append(ctx.reportHeader);
    window.underlined(QStringLiteral("Deviation Analysis - Confidence and Prediction Interval"), QLatin1Char('='));
    window.newLine();
    window.utf8().append(table.data(), static_cast<qsizetype>(table.size()));
    table = std::string();
    ctx.request(RunRequests::ShowSideWindow{ctx.windowCaption(QStringLiteral("Deviation Analyses - ")), QString(),
                                            window.utf8()});
}
