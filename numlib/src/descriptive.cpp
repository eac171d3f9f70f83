// Descriptive statistics: mean and variance of a range with missing values
// skipped, means, variances and covariance of a pair of samples, the
// moments of one sample (after the Numerical Recipes routine moment),
// distances between two vectors, and a one-pass correlation.
#include <cmath>
#include <vector>

#include "SumtrixLib/Sumtrix.hpp"
#include "far_means.hpp"

namespace SumtrixLib {

namespace {

// The range and the sum of STAT_Mean and STAT_Var: corrects the caller's
// bounds, then sums the elements used and counts them.
struct RangeSum {
    double sum = 0.0;
    double count = 0.0;
};

RangeSum sumRange(const BoundedArray<double>& values, std::int32_t ub, std::int32_t& first,
                  std::int32_t& last, bool missing)
{
    if (first < 1)
        first = 1;
    if (last > ub || last < 1)
        last = ub;
    RangeSum r;
    for (std::int32_t i = first; i <= last; ++i) {
        const double v = values(i);
        if (missing && v == MissingValue)
            continue;
        r.sum = checkedAdd(r.sum, v);
        r.count += 1.0;
    }
    return r;
}

} // namespace

void Sumtrix::STAT_Distance(const BoundedArray<double>& x, const BoundedArray<double>& y,
                            double& EuclideanD, const BoundedArray<double>& m,
                            BoundedArray<double>& MinkowskiD, double& CanberraD, double& CzekanowskiD,
                            double& KullbackLeiblerD)
{
    const std::int32_t n = x.ubound();

    double sum = 0.0;
    for (std::int32_t i = 1; i <= n; ++i) {
        const double d = checkedSub(x(i), y(i));
        sum = checkedAdd(sum, checkedMul(d, d));
    }
    EuclideanD = std::sqrt(sum);

    const std::int32_t k = m.ubound();
    for (std::int32_t j = 1; j <= k; ++j) {
        const double p = m(j);
        double s = 0.0;
        for (std::int32_t i = 1; i <= n; ++i)
            s = checkedAdd(s, checkedPow(std::fabs(checkedSub(x(i), y(i))), p));
        MinkowskiD(j) = checkedPow(s, checkedDiv(1.0, p));
    }

    // The denominator is the plain sum x + y. A pair of zeros (0/0) adds
    // nothing: the two vectors agree there.
    double canberra = 0.0;
    for (std::int32_t i = 1; i <= n; ++i) {
        const double num = std::fabs(checkedSub(x(i), y(i)));
        const double den = checkedAdd(x(i), y(i));
        if (num == 0.0 && den == 0.0)
            continue;
        canberra = checkedAdd(canberra, checkedDiv(num, den));
    }
    CanberraD = canberra;

    double sumMin = 0.0, sumBoth = 0.0;
    for (std::int32_t i = 1; i <= n; ++i) {
        sumMin = checkedAdd(sumMin, this->Min(x(i), y(i)));
        sumBoth = checkedAdd(sumBoth, checkedAdd(x(i), y(i)));
    }
    CzekanowskiD = 1.0 - checkedDiv(2.0 * sumMin, sumBoth);

    // Pairs with x = 0 are left out; an observation y = 0 contributes
    // 0 ln 0 = 0, its limit.
    double kl = 0.0;
    for (std::int32_t i = 1; i <= n; ++i) {
        const double xi = x(i);
        const double yi = y(i);
        if (xi == 0.0 || yi == 0.0)
            continue;
        kl = checkedAdd(kl, checkedMul(yi, checkedLog(checkedDiv(yi, xi))));
    }
    KullbackLeiblerD = kl;
}

double Sumtrix::STAT_Mean(const BoundedArray<double>& Matrix, InOut<std::int32_t> InitialValue,
                          InOut<std::int32_t> FinalValue, bool Missing)
{
    const std::int32_t ub = Matrix.ubound();
    if (ub == 0)
        return 0.0;
    const RangeSum r = sumRange(Matrix, ub, InitialValue.get(), FinalValue.get(), Missing);
    return checkedDiv(r.sum, r.count);
}

double Sumtrix::STAT_Var(const BoundedArray<double>& Matrix, InOut<std::int32_t> InitialValue,
                         InOut<std::int32_t> FinalValue, bool Population, bool Missing)
{
    const std::int32_t ub = Matrix.ubound();
    if (ub == 0)
        return 0.0;
    std::int32_t& first = InitialValue.get();
    std::int32_t& last = FinalValue.get();
    const RangeSum r = sumRange(Matrix, ub, first, last, Missing);
    const double g = checkedDiv(r.sum, r.count);

    // Corrected two-pass formula: S1 takes out the rounding error of g.
    double s1 = 0.0, s2 = 0.0;
    for (std::int32_t i = first; i <= last; ++i) {
        const double v = Matrix(i);
        if (Missing && v == MissingValue)
            continue;
        const double d = checkedSub(v, g);
        s1 = checkedAdd(s1, d);
        s2 = checkedAdd(s2, checkedMul(d, d));
    }
    const double n = r.count;
    const double ss = checkedSub(s2, checkedDiv(checkedMul(s1, s1), n));
    return checkedDiv(ss, Population ? n : n - 1.0);
}

void Sumtrix::STAT_MeanVarCoVar(const BoundedArray<double>& x, const BoundedArray<double>& y,
                                std::int32_t& n, double& MeanX, double& MeanY, double& VarX,
                                double& VarY, double& MeanXY, double& VarXY, double& CoVarXY)
{
    n = x.ubound();
    this->STAT_AveVar(x, n, MeanX, VarX);
    this->STAT_AveVar(y, n, MeanY, VarY);
    // The variances have divisor n - 1, the covariance divisor n; the
    // covariance is added onto what CoVarXY holds (callers pass 0).
    BoundedArray<double> d(0, n);
    const double dn = n;
    for (std::int32_t i = 1; i <= n; ++i) {
        d(i) = checkedSub(x(i), y(i));
        CoVarXY = checkedAdd(CoVarXY, checkedDiv(checkedMul(x(i) - MeanX, y(i) - MeanY), dn));
    }
    this->STAT_AveVar(d, n, MeanXY, VarXY);
}

void Sumtrix::STAT_Moments(const BoundedArray<double>& data, std::int32_t n, double& ave, double& med,
                           double& adev, double& sdev, double& Var, double& skew, double& kurt,
                           InOut<double> Min, InOut<double> Max)
{
    if (n <= 1) {
        showMessage("MOMENT sub: n must be at least 2");
        return;
    }
    const double dn = n;
    ave = accurateMean(data, n);
    // The deviations are taken from the mean itself, ave + shift: ave is
    // the mean rounded to a double, and far from zero (near 1e9, where a
    // double steps by 1e-7) that rounding, against a spread of a tenth,
    // would move the skewness in its sixth digit. Each value's deviation
    // from ave is exact there.
    const double shift = deviationSum(data, n, ave) / dn;

    adev = 0.0;
    Var = 0.0;
    skew = 0.0;
    kurt = 0.0;
    double ep = 0.0;
    double& lo = Min.get();
    double& hi = Max.get();
    lo = data(1);
    hi = data(1);
    for (std::int32_t j = 1; j <= n; ++j) {
        const double v = data(j);
        const double s = checkedSub(checkedSub(v, ave), shift);
        ep += s;
        adev += std::fabs(s);
        const double p2 = checkedMul(s, s);
        Var = checkedAdd(Var, p2);
        skew = checkedAdd(skew, checkedMul(p2, s));
        kurt = checkedAdd(kurt, checkedMul(p2, p2));
        if (v < lo)
            lo = v;
        if (v > hi)
            hi = v;
    }
    adev /= dn;
    // Corrected two-pass variance: ep, the sum of the deviations, takes out
    // what rounding is left in the mean.
    Var = checkedDiv(checkedSub(Var, checkedMul(ep, ep) / dn), dn - 1.0);
    sdev = checkedSqrt(Var);
    if (Var != 0.0) {
        // Plain third and fourth standardized moments (no 3 subtracted).
        skew = checkedDiv(skew, checkedMul(dn, checkedMul(Var, sdev)));
        kurt = checkedDiv(kurt, checkedMul(dn, checkedMul(Var, Var)));
    } else {
        skew = 0.0;
        kurt = 0.0;
    }
    // The median of the whole array (1 to its upper bound), not only of
    // the first n elements.
    med = this->STAT_Median(data, false);
}

void Sumtrix::STAT_Corr(std::int32_t n, const BoundedArray<double>& x, const BoundedArray<double>& y,
                        double& MeanX, double& MeanY, double& SDX, double& SDY, double& CorrXY,
                        double& CovXY)
{
    // One pass, updating the means and the weighted sums of products
    // (Welford's scheme): w = (i - 1)/i scales each new deviation product.
    MeanX = x(1);
    MeanY = y(1);
    double sxx = 0.0, syy = 0.0, sxy = 0.0;
    for (std::int32_t i = 2; i <= n; ++i) {
        const double di = i;
        const double w = (di - 1.0) / di;
        const double dx = checkedSub(x(i), MeanX);
        const double dy = checkedSub(y(i), MeanY);
        sxx = checkedAdd(sxx, checkedMul(w, checkedMul(dx, dx)));
        syy = checkedAdd(syy, checkedMul(w, checkedMul(dy, dy)));
        sxy = checkedAdd(sxy, checkedMul(w, checkedMul(dx, dy)));
        MeanX += dx / di;
        MeanY += dy / di;
    }
    const double dn = n;
    SDX = checkedSqrt(checkedDiv(sxx, dn));
    SDY = checkedSqrt(checkedDiv(syy, dn));
    CovXY = checkedDiv(sxy, dn);
    CorrXY = checkedDiv(CovXY, checkedMul(SDX, SDY));
}

} // namespace SumtrixLib
