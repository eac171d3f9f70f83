// Point-by-point diagnostics of a fitted straight line, and the estimate
// with its confidence and prediction limits at one point of a multiple
// regression.
//
// The diagnostics are the usual ones of a least-squares line with p = 2
// parameters (see e.g. Montgomery, Peck and Vining, Introduction to Linear
// Regression Analysis, ch. 4 and 6): leverage h = 1/n + (x - mean)^2/Sxx,
// standardized residual e/sqrt(MSE (1 - h)), R-student
// e sqrt((n - p - 1)/((1 - h) SSE - e^2)), Cook's distance
// e^2/(p MSE) h/(1 - h)^2, DFFITS sqrt(h/(1 - h)) R-student, the PRESS
// residual e/(1 - h) and the expected normal score of each residual by
// Blom's plotting position (r - 3/8)/(n + 1/4) on the mid-rank r.
//
// A point with leverage 1 (all other points at one x) has no PRESS
// residual, Cook's distance or DFFITS, and a zero mean leaves the weighted
// deviation undefined: those entries are NaN (printed "n/a") and every
// other entry is computed.
#include <cmath>
#include <limits>

#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib {

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr int LineParameters = 2;
} // namespace

Variant Sumtrix::STAT_Residue(double b0, double b1, const BoundedArray<double>& x, const BoundedArray<double>& y,
                              double VarX, double MeanX, double MeanY, std::int32_t n, double& MSE,
                              BoundedArray<double>& Deviation, BoundedArray<double>& Pred,
                              BoundedArray<double>& Residue, BoundedArray<double>& SEr,
                              BoundedArray<double>& StdtRes, BoundedArray<double>& RStdtRes, BoundedArray<double>& h,
                              BoundedArray<double>& Cook, BoundedArray<double>& DFFITS,
                              BoundedArray<double>& NormalResidue, BoundedArray<double>& PRESS,
                              BoundedArray<double>& SemiStdtRes, BoundedArray<double>& WtDev)
{
    const double p = LineParameters;
    const double N = static_cast<double>(n);
    // Elements of (X'X)^-1 for the design (1, x); a zero Sxx or n fails
    // the call.
    const double Sxx = checkedMul(N - 1.0, VarX);
    checkedAdd(checkedDiv(1.0, N), checkedDiv(checkedMul(MeanX, MeanX), Sxx));

    double SSE = 0.0;
    for (std::int32_t i = 1; i <= n; ++i) {
        Deviation(i) = checkedSub(x(i), y(i));
        Pred(i) = checkedAdd(checkedMul(x(i), b1), b0);
        Residue(i) = checkedSub(y(i), Pred(i));
        SSE = checkedAdd(SSE, checkedMul(Residue(i), Residue(i)));
    }
    MSE = checkedDiv(SSE, N - 2.0);

    const double meanProduct = MeanX * MeanY;
    for (std::int32_t i = 1; i <= n; ++i) {
        const double e = Residue(i);
        const double xi = x(i);
        // h = (c11 x + c01) x + (c01 x + c0), in the form that does not
        // cancel terms of size MeanX^2/Sxx. A leverage that exceeds 1 only
        // by rounding is 1.
        double hi = 1.0 / N + (xi - MeanX) * (xi - MeanX) / Sxx;
        if (hi > 1.0 && hi - 1.0 <= 8.0 * std::numeric_limits<double>::epsilon())
            hi = 1.0;
        h(i) = hi;
        const double omh = 1.0 - hi;
        if (p * MSE > 0.0)
            Cook(i) = omh == 0.0 ? NaN : e * e / (p * MSE) * hi / (omh * omh);
        else
            Cook(i) = 0.0;
        if (MSE > 0.0)
            SemiStdtRes(i) = e / std::sqrt(MSE);
        // A leverage that rounds above 1 leaves the error undefined too.
        SEr(i) = omh * MSE >= 0.0 ? std::sqrt(omh * MSE) : NaN;
        StdtRes(i) = SEr(i) > 0.0 ? e / SEr(i) : 0.0;
        const double q = omh * SSE - e * e;
        RStdtRes(i) = q > 0.0 ? e * std::sqrt((N - p - 1.0) / q) : 0.0;
        DFFITS(i) = (omh == 0.0 || hi / omh < 0.0) ? NaN : std::sqrt(hi / omh) * RStdtRes(i);
        PRESS(i) = omh == 0.0 ? NaN : e / omh;
        WtDev(i) = meanProduct == 0.0 ? NaN
                                      : (y(i) - MeanY) * (xi - MeanX) / meanProduct * (xi - y(i));
    }

    // Normal scores: sort the residuals carrying the point numbers, replace
    // them by their mid-ranks, and give each point the normal quantile of
    // Blom's plotting position in residual units.
    BoundedArray<double> sorted(0, n), point(0, n);
    for (std::int32_t i = 1; i <= n; ++i) {
        sorted(i) = Residue(i);
        point(i) = static_cast<double>(i);
    }
    this->Sort_Sort2(n, sorted, point);
    double ties = 0.0;
    this->Rank_CRank(n, sorted, ties);
    const double rootMSE = std::sqrt(MSE);
    for (std::int32_t i = 1; i <= n; ++i) {
        const std::int32_t k = static_cast<std::int32_t>(point(i));
        const double z = this->STAT_InvNorm((sorted(i) - 0.375) / (N + 0.25));
        NormalResidue(k) = rootMSE * z;
    }
    return {};
}

} // namespace SumtrixLib
