// Straight-line fits and the mean/variance helper they share.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "SumtrixLib/Sumtrix.hpp"
#include "far_means.hpp"

namespace SumtrixLib {

namespace {

// The least-squares line of Numerical Recipes' fit on elements
// first..first+ndata-1: the slope from sums about the weighted means of x
// and y (t = x - sx/ss against y - sy/ss) instead of raw sums of squares,
// so data far from zero keep their digits. Centring y changes nothing in
// exact arithmetic, since the t sum to zero.
// b, mwt and the other outputs are the caller's variables and are written as
// the fit goes, so a failure leaves them where it stopped.
void fitLine(Sumtrix& self, const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
             std::int32_t ndata, const BoundedArray<double>& sig, std::int32_t& mwt, double& a,
             double& b, double& siga, double& sigb, double& chi2, double& Q, std::int32_t first)
{
    // The last element, worked out where first + ndata - 1 cannot overflow;
    // the largest index is as far as any array reaches.
    const std::int32_t last = ndata < 1 ? first - 1
                                        : static_cast<std::int32_t>(std::min<std::int64_t>(
                                              static_cast<std::int64_t>(first) + ndata - 1, INT32_MAX));
    b = 0.0;
    // One zero sig makes the whole fit unweighted, and the caller sees mwt = 0.
    if (mwt != 0) {
        for (std::int32_t i = first; i <= last; ++i) {
            if (sig(i) == 0.0) {
                mwt = 0;
                break;
            }
        }
    }
    const bool weighted = mwt != 0;

    double ss = 0.0;
    double sx = 0.0;
    double sy = 0.0;
    if (weighted) {
        for (std::int32_t i = first; i <= last; ++i) {
            const double wt = checkedDiv(1.0, checkedMul(sig(i), sig(i)));
            ss = checkedAdd(ss, wt);
            sx = checkedAdd(sx, checkedMul(XArray(i), wt));
            sy = checkedAdd(sy, checkedMul(YArray(i), wt));
        }
    } else {
        for (std::int32_t i = first; i <= last; ++i) {
            sx = checkedAdd(sx, XArray(i));
            sy = checkedAdd(sy, YArray(i));
        }
        ss = ndata;
    }
    const double sxoss = checkedDiv(sx, ss);
    const double syoss = checkedDiv(sy, ss);

    double st2 = 0.0;
    if (weighted) {
        for (std::int32_t i = first; i <= last; ++i) {
            const double t = checkedDiv(XArray(i) - sxoss, sig(i));
            st2 = checkedAdd(st2, checkedMul(t, t));
            b = checkedAdd(b, checkedDiv(checkedMul(t, checkedSub(YArray(i), syoss)), sig(i)));
        }
    } else {
        for (std::int32_t i = first; i <= last; ++i) {
            const double t = checkedSub(XArray(i), sxoss);
            st2 = checkedAdd(st2, checkedMul(t, t));
            b = checkedAdd(b, checkedMul(t, checkedSub(YArray(i), syoss)));
        }
    }
    b = checkedDiv(b, st2);
    a = checkedDiv(checkedSub(sy, checkedMul(sx, b)), ss);
    siga = checkedSqrt(checkedDiv(1.0 + checkedDiv(checkedMul(sx, sx), checkedMul(ss, st2)), ss));
    sigb = checkedSqrt(checkedDiv(1.0, st2));

    chi2 = 0.0;
    Q = 1.0;
    // The residuals y - a - b x, formed about the weighted means (the line
    // passes through them) so that they do not cancel on data far from zero.
    if (weighted) {
        for (std::int32_t i = first; i <= last; ++i) {
            const double e = checkedDiv((YArray(i) - syoss) - b * (XArray(i) - sxoss), sig(i));
            chi2 = checkedAdd(chi2, checkedMul(e, e));
        }
        // The errors stay those implied by the sig values; Q tells whether
        // the scatter agrees with them.
        if (ndata > 2)
            Q = self.Gamma_gammq((ndata - 2) / 2.0, chi2 / 2.0);
    } else {
        for (std::int32_t i = first; i <= last; ++i) {
            const double e = (YArray(i) - syoss) - b * (XArray(i) - sxoss);
            chi2 = checkedAdd(chi2, checkedMul(e, e));
        }
        // Without weights the errors are scaled by the scatter about the line.
        const double sigdat = checkedSqrt(checkedDiv(chi2, static_cast<double>(ndata) - 2.0));
        siga = checkedMul(siga, sigdat);
        sigb = checkedMul(sigb, sigdat);
    }
}

} // namespace

Variant Sumtrix::Reg_FitXY(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                           std::int32_t ndata, const BoundedArray<double>& sig,
                           InOut<std::int32_t> mwt, double& a, double& b, double& siga,
                           double& sigb, double& chi2, double& Q)
{
    fitLine(*this, XArray, YArray, ndata, sig, mwt.get(), a, b, siga, sigb, chi2, Q, 1);
    return {};
}

Variant Sumtrix::Reg_FitXY0(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                            std::int32_t ndata, const BoundedArray<double>& sig,
                            InOut<std::int32_t> mwt, double& a, double& b, double& siga,
                            double& sigb, double& chi2, double& Q)
{
    fitLine(*this, XArray, YArray, ndata, sig, mwt.get(), a, b, siga, sigb, chi2, Q, 0);
    return {};
}

Variant Sumtrix::Reg_FitXYPerpendicular(const BoundedArray<double>& XArray,
                                        const BoundedArray<double>& YArray, std::int32_t ndata,
                                        double& a, double& b, double /*siga*/, double /*sigb*/,
                                        BoundedArray<double>& Residue, double& r)
{
    // The means come from STAT_AveVar, so fewer than two points give means of 0.
    double mx = 0.0;
    double my = 0.0;
    double unusedVar = 0.0;
    this->STAT_AveVar(XArray, ndata, mx, unusedVar);
    this->STAT_AveVar(YArray, ndata, my, unusedVar);

    // Spreads and co-spread from deviations about the means, so that data
    // far from zero keep their digits (the same values as Sy2 - n my^2,
    // Sx2 - n mx^2 and Sxy - n mx my in exact arithmetic).
    double Syy = 0.0;
    double Sxx = 0.0;
    double Sxy = 0.0;
    for (std::int32_t i = 1; i <= ndata; ++i) {
        const double dx = checkedSub(XArray(i), mx);
        const double dy = checkedSub(YArray(i), my);
        Syy = checkedAdd(Syy, checkedMul(dy, dy));
        Sxx = checkedAdd(Sxx, checkedMul(dx, dx));
        Sxy = checkedAdd(Sxy, checkedMul(dx, dy));
    }
    // Setting the derivative of the summed squared perpendicular distances
    // to zero gives b^2 + 2 B b - 1 = 0: two perpendicular lines through the
    // centroid, one the minimum and one the maximum.
    const double B = checkedDiv((Syy - Sxx) * 0.5, -Sxy);
    const double root = checkedSqrt(checkedAdd(checkedMul(B, B), 1.0));
    const double b1 = -B + root;
    const double b2 = -B - root;
    const double a1 = my - mx * b1;
    const double a2 = my - mx * b2;

    // The choice is made on the sums of absolute perpendicular distances;
    // a tie takes the second root. Both lines pass through the centroid, so
    // the distances come from the deviations too.
    const double norm1 = checkedSqrt(checkedAdd(checkedMul(b1, b1), 1.0));
    const double norm2 = checkedSqrt(checkedAdd(checkedMul(b2, b2), 1.0));
    double D1 = 0.0;
    double D2 = 0.0;
    for (std::int32_t i = 1; i <= ndata; ++i) {
        const double dx = XArray(i) - mx;
        const double dy = YArray(i) - my;
        D1 = checkedAdd(D1, std::fabs(dy - b1 * dx) / norm1);
        D2 = checkedAdd(D2, std::fabs(dy - b2 * dx) / norm2);
    }
    if (D1 < D2) {
        a = a1;
        b = b1;
    } else {
        a = a2;
        b = b2;
    }

    // r is added to, not reset: callers pass 0 for the plain sum.
    const double denom = b * b + 1.0;
    for (std::int32_t i = 1; i <= ndata; ++i) {
        const double e = (YArray(i) - my) - b * (XArray(i) - mx);
        const double d2 = checkedDiv(checkedMul(e, e), denom);
        Residue(i) = std::sqrt(d2);
        r = checkedAdd(r, d2);
    }
    return {};
}

Variant Sumtrix::STAT_AveVar(const BoundedArray<double>& data, std::int32_t n, double& ave,
                             double& Var)
{
    ave = 0.0;
    Var = 0.0;
    if (n < 2)
        return {};
    ave = accurateMean(data, n);
    // Corrected two-pass variance: the (sum of s)^2 / n term removes what
    // rounding is left in the mean.
    double ep = 0.0;
    double ss = 0.0;
    for (std::int32_t i = 1; i <= n; ++i) {
        const double s = data(i) - ave;
        ep += s;
        ss = checkedAdd(ss, checkedMul(s, s));
    }
    Var = (ss - ep * ep / n) / (n - 1);
    return {};
}

} // namespace SumtrixLib
