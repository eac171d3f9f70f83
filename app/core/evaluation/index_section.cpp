// The index section: the model judged by the ratios of predicted to observed
// values, their mean and spread, two confidence intervals of the mean ratio
// and the probabilities that it is 0 and 1.
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"
#include "core/evaluation/report_sections.hpp"

using SumtrixLib::BoundedArray;

// The ratios X(i)/Y(i), i = 1..n, a row with Y = 0 counting as ratio 0: their
// mean and standard deviation, and the two-sided probabilities of the mean
// ratio being 0 and 1 (t tests with n - 2 degrees of freedom). Ratios that
// are one value within rounding have no spread, and the data decide the
// tests (decidedTest): a mean ratio that is not 0 (not 1) has the
// probability 0, one that is has none.
void RatioAnalysis(SumtrixLib::Sumtrix& lib, const BoundedArray<double>& X, const BoundedArray<double>& Y, std::int32_t n,
                   double& meanRatio, double& sdRatio, double& pRatio0, double& pRatio1)
{
    // A ratio beyond the double range is infinite; the moments then fail
    // and print "n/a".
    BoundedArray<double> ratio(0, n);
    for (std::int32_t i = 1; i <= n; ++i)
        if (Y(i) != 0)
            ratio(i) = X(i) / Y(i);
    libraryStep({&meanRatio, &sdRatio}, [&] {
        double med = 0, adev = 0, Var = 0, skew = 0, kurt = 0;
        lib.STAT_Moments(ratio, n, meanRatio, med, adev, sdRatio, Var, skew, kurt);
    });
    pRatio0 = pRatio1 = NotComputed;
    if (!allComputed({meanRatio, sdRatio}))
        return;
    // A ratio of two values is within a few roundings of its own size.
    const SumtrixLib::RoundingInterval common = SumtrixLib::commonValue(
        n, [&](std::int64_t i) { return ratio(static_cast<std::int32_t>(i)); },
        [&](std::int64_t i) { return std::fabs(ratio(static_cast<std::int32_t>(i))); });
    if (!common.empty())
        sdRatio = 0;
    const double se = sdRatio / std::sqrt(static_cast<double>(n));
    pRatio0 = tTest(lib, meanRatio, se, n - 2, common.holds(0)).P;
    pRatio1 = tTest(lib, meanRatio - 1, se, n - 2, common.holds(1)).P;
}

void writeIndexSection(EvaluationContext& ctx)
{
    const SharedMoments& res = ctx.moments();
    const std::int32_t N = ctx.data.N;
    ReportText& report = ctx.report;
    report.heading(QStringLiteral("INDEX ANALYSIS"));
    double meanRatio = NotComputed, sdRatio = NotComputed, p0 = NotComputed, p1 = NotComputed;
    RatioAnalysis(ctx.lib, ctx.data.X, ctx.data.Y, N, meanRatio, sdRatio, p0, p1);

    const int L = 13;
    // The ratio of the means has no line when the observed mean is 0.
    if (res.MeanY != 0)
        report.line(field(QStringLiteral("Ave(X)/Ave(Y)"), L, F(ratio(res.MeanX, res.MeanY), 10, 5)));
    report.line(field(QStringLiteral("Ave(X/Y)"), L, F(meanRatio, 10, 5)));
    report.line(field(QStringLiteral("SD(X/Y)"), L, F(sdRatio, 10, 5)));
    // The intervals take Student's t with N degrees of freedom: its lower
    // P/2 point, a negative value, so the first limit is the lower one.
    const double se = allComputed({sdRatio}) ? sdRatio / std::sqrt(static_cast<double>(N)) : NotComputed;
    for (const auto& [P, label] : {std::pair{0.05, "CI (P=0.05)"}, std::pair{0.10, "CI (P=0.10)"}}) {
        const double t = computed([&, P = P] {
            double p = P;
            return ctx.lib.STAT_TINV(p, N, true, false);
        });
        const double lower = allComputed({meanRatio, se, t}) ? meanRatio + t * se : NotComputed;
        const double upper = allComputed({meanRatio, se, t}) ? meanRatio - t * se : NotComputed;
        report.line(field(QLatin1String(label), L, QLatin1Char('[') + F(lower, 10, 5) + QLatin1Char(',') + F(upper, 10, 5) + QLatin1Char(']')));
    }
    // Plain numbers: these probabilities are not raised above zero.
    report.line(field(QStringLiteral("P(Ratio = 0)"), L, F(p0, 10, 5)));
    report.line(field(QStringLiteral("P(Ratio = 1)"), L, F(p1, 10, 5)));
}
