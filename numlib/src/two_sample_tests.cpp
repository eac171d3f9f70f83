// Two-sample tests after Numerical Recipes (ttest, tutest, tptest, ftest):
// t tests of equal means with pooled and with separate variances, paired
// with the covariance term and on the differences, the F test of equal
// variances, and the simultaneous F tests of intercept 0 and slope 1.
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"
#include "far_means.hpp"

namespace SumtrixLib {

namespace {

// Two-sided probability of a t at least as far from 0 with df degrees of
// freedom: I_x(df/2, 1/2) with x = df/(df + t^2).
double twoSidedT(Sumtrix& s, double t, double df)
{
    return s.STAT_BETAI(0.5 * df, 0.5, checkedDiv(df, checkedAdd(df, checkedMul(t, t))));
}

// Mean and variance (n - 1) of each sample, the start of the t tests.
struct SampleMoments {
    double ave1 = 0.0, var1 = 0.0, ave2 = 0.0, var2 = 0.0;
};
SampleMoments bothSamples(Sumtrix& s, const BoundedArray<double>& data1, std::int32_t n1,
                          const BoundedArray<double>& data2, std::int32_t n2)
{
    SampleMoments m;
    s.STAT_AveVar(data1, n1, m.ave1, m.var1);
    s.STAT_AveVar(data2, n2, m.ave2, m.var2);
    return m;
}

// Mean and variance (n - 1) of the differences data1(i) - data2(i), i =
// 1..n, in ave1 and var1. Both samples must hold the n pairs before the
// differences are dimensioned for them.
SampleMoments differences(Sumtrix& s, const BoundedArray<double>& data1, const BoundedArray<double>& data2,
                          std::int32_t n)
{
    data1.requireRange(1, n);
    data2.requireRange(1, n);
    BoundedArray<double> d(0, n > 0 ? n : 0);
    for (std::int32_t i = 1; i <= n; ++i)
        d(i) = checkedSub(data1(i), data2(i));
    SampleMoments m;
    s.STAT_AveVar(d, n, m.ave1, m.var1);
    return m;
}

} // namespace

void Sumtrix::STAT_TTESTSameVar(const BoundedArray<double>& data1, std::int32_t n1,
                                const BoundedArray<double>& data2, std::int32_t n2, double& t,
                                double& Prob)
{
    const auto [ave1, var1, ave2, var2] = bothSamples(*this, data1, n1, data2, n2);
    const double dn1 = n1, dn2 = n2;
    const double df = dn1 + dn2 - 2.0;
    const double svar = checkedDiv((dn1 - 1.0) * var1 + (dn2 - 1.0) * var2, df);
    t = checkedDiv(meanDifference(data1, n1, ave1, data2, n2, ave2), checkedSqrt(svar * (1.0 / dn1 + 1.0 / dn2)));
    Prob = twoSidedT(*this, t, df);
}

void Sumtrix::STAT_TTESTPaired(const BoundedArray<double>& data1, std::int32_t n1,
                               const BoundedArray<double>& data2, std::int32_t n2, double& t,
                               double& Prob)
{
    // The samples' moments are not used, but their reading checks the
    // samples as it always has.
    bothSamples(*this, data1, n1, data2, n2);
    const double dn1 = n1;
    const double df = dn1 - 1.0;
    // s1^2 + s2^2 - 2 cov is the variance of the differences data1 - data2,
    // and ave1 - ave2 their mean: both are formed from the differences,
    // which is the same in exact arithmetic. The first form cancels where
    // the samples are close (a good model, |r| near 1), the second where
    // they lie far from zero. For pairs that differ by a constant the
    // variance is 0 and may round to just below it, which counts as no
    // spread (t = 0) rather than failing the root.
    const SampleMoments d = differences(*this, data1, data2, n1);
    const double spread = checkedDiv(d.var1, dn1);
    const double sd = spread > 0.0 ? std::sqrt(spread) : 0.0;
    t = sd > 0.0 ? checkedDiv(d.ave1, sd) : 0.0;
    Prob = twoSidedT(*this, t, df);
}

void Sumtrix::STAT_FTEST(const BoundedArray<double>& data1, std::int32_t n1,
                         const BoundedArray<double>& data2, std::int32_t n2, double& f, double& Prob)
{
    // Every statement is a step of its own: a failed one (a zero variance
    // below the line, say) assigns nothing, and the next one runs.
    double ave = 0.0, var1 = 0.0, var2 = 0.0;
    ignoreErrors([&] { this->STAT_AveVar(data1, n1, ave, var1); });
    ignoreErrors([&] { this->STAT_AveVar(data2, n2, ave, var2); });
    double df1 = 0.0, df2 = 0.0;
    if (var1 > var2) {
        guardStep(f, [&] { return checkedDiv(var1, var2); });
        df1 = static_cast<double>(n1) - 1.0;
        df2 = static_cast<double>(n2) - 1.0;
    } else {
        guardStep(f, [&] { return checkedDiv(var2, var1); });
        df1 = static_cast<double>(n2) - 1.0;
        df2 = static_cast<double>(n1) - 1.0;
    }
    guardStep(Prob, [&] { return 2.0 * this->STAT_PROBF(f, df1, df2); });
    if (Prob > 1.0)
        Prob = 2.0 - Prob;
}

void Sumtrix::STAT_TTESTDiffPaired(const BoundedArray<double>& data1, std::int32_t n1,
                                   const BoundedArray<double>& data2, std::int32_t /*n2*/,
                                   double& t, double& Prob)
{
    const SampleMoments d = differences(*this, data1, data2, n1);
    const double df = static_cast<double>(n1) - 1.0;
    t = d.var1 > 0.0 ? checkedDiv(d.ave1, std::sqrt(checkedDiv(d.var1, n1))) : 0.0;
    Prob = twoSidedT(*this, t, df);
}

void Sumtrix::STAT_TTESTDiffVar(const BoundedArray<double>& data1, std::int32_t n1,
                                const BoundedArray<double>& data2, std::int32_t n2, double& t,
                                double& Prob)
{
    const auto [ave1, var1, ave2, var2] = bothSamples(*this, data1, n1, data2, n2);
    const double dn1 = n1, dn2 = n2;
    const double v1 = checkedDiv(var1, dn1), v2 = checkedDiv(var2, dn2);
    t = checkedDiv(meanDifference(data1, n1, ave1, data2, n2, ave2), checkedSqrt(v1 + v2));
    // Welch-Satterthwaite degrees of freedom, a real number.
    const double df = checkedDiv(checkedMul(v1 + v2, v1 + v2),
                                 checkedAdd(checkedDiv(v1 * v1, dn1 - 1.0), checkedDiv(v2 * v2, dn2 - 1.0)));
    Prob = twoSidedT(*this, t, df);
}

void Sumtrix::STAT_SimulFTest(const BoundedArray<double>& x, const BoundedArray<double>& y, double n,
                              double a, double b, double MeanX, double MeanY,
                              double& Fvalue_DentAndBlackie, double& PFvalue_DentAndBlackie,
                              double& Fvalue_Mayeretal, double& PFvalue_Mayeretal)
{
    // Residuals about the line through (MeanX, MeanY) with slope b. Q is
    // the quadratic form of (a, b - 1), a^2 n + 2 a (b - 1) sum x +
    // (b - 1)^2 sum x^2, summed as the squares sum (a + (b - 1) x)^2 that it
    // equals: expanded, its terms cancel on data far from zero (near 1e9
    // they left a negative F).
    const std::int32_t m = toInt32(n);
    double Q = 0.0, SSE = 0.0;
    const double bm1 = b - 1.0;
    for (std::int32_t i = 1; i <= m; ++i) {
        const double shift = checkedAdd(a, checkedMul(bm1, x(i)));
        Q = checkedAdd(Q, checkedMul(shift, shift));
        const double fitted = (x(i) - MeanX) * b + MeanY;
        const double r = checkedSub(y(i), fitted);
        SSE = checkedAdd(SSE, checkedMul(r, r));
    }
    const double s2 = checkedDiv(SSE, n - 2.0);
    if (s2 <= 0.0)
        return;
    Fvalue_DentAndBlackie = checkedDiv(Q * (n - 2.0), 2.0 * n * s2);
    PFvalue_DentAndBlackie = this->STAT_PROBF(Fvalue_DentAndBlackie, 2.0, n - 2.0);
    Fvalue_Mayeretal = checkedDiv(Q, 2.0 * s2);
    PFvalue_Mayeretal = this->STAT_PROBF(Fvalue_Mayeretal, 2.0, n - 2.0);
}

} // namespace SumtrixLib
