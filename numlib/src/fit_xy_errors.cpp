// The straight-line fit with errors in both coordinates, after fitexy of
// Numerical Recipes: y is rescaled to the variance of x, the chi-square
//   chi2(b) = sum (y - a - b x)^2 / (b^2 sx^2 + sy^2)
// (a at its weighted optimum for each b) is minimised over the angle
// atan(b) of the line, and the parameter errors come from the angles at
// which the chi-square is 1 above its minimum.
//
// The chi-square function reads the data of the last fit from the object
// (m_lineFit); Search_mnbrak, Search_brent and Root_zbrent run the searches
// of search.cpp on it.
//
// Brent's minimiser compares chi-square values, and near the minimum they
// differ from it by c (angle - minimum)^2, which falls below their rounding
// within about the square root of the machine precision of the minimum
// (some 1E-8 in the angle): there the search picks whichever rounded value
// is lowest. The fit therefore ends on the chi-square's slope, whose sign
// is resolved to the rounding of the angle (finishAtTheMinimum).
#include <charconv>
#include <cmath>
#include <limits>

#include "SumtrixLib/Search.hpp"
#include "SumtrixLib/Sumtrix.hpp"
#include "variant_number.hpp"

namespace SumtrixLib {

namespace {

// The half turn and the upper starting angle, as the fit has always used them.
constexpr double HalfTurn = 3.14159265;
constexpr double UpperAngle = 1.571;
constexpr double Big = 1E30;

// The weight of a point at slope b, as the chi-square takes it.
double weightAt(const LineFitState& st, std::int32_t j, double b)
{
    const double w = b * st.FitSigX(j) * b * st.FitSigX(j) + st.FitSigY(j) * st.FitSigY(j);
    return w < 1E-30 ? Big : 1.0 / w;
}

// -1/2 of the derivative of the chi-square by the slope b = tan(angle),
// the intercept at its optimum for every b:
//   chi2(b) = sum w r^2, w = 1/(b^2 sx^2 + sy^2), r = y - a - b x,
//   dchi2/db = -2 (sum w r x + b sum sx^2 w^2 r^2)
// (the intercept's own term vanishes where sum w r = 0). Taken about the
// weighted means, so that data far from zero keep their digits: positive
// below the minimum, negative above it.
double chiSquareFall(const LineFitState& st, double angle)
{
    const double b = std::tan(angle);
    double sumw = 0.0, avex = 0.0, avey = 0.0;
    for (std::int32_t j = 1; j <= st.FitCount; ++j) {
        const double w = weightAt(st, j, b);
        sumw += w;
        avex += w * st.FitX(j);
        avey += w * st.FitY(j);
    }
    avex /= sumw;
    avey /= sumw;
    double fall = 0.0, bend = 0.0;
    for (std::int32_t j = 1; j <= st.FitCount; ++j) {
        const double w = weightAt(st, j, b);
        const double dx = st.FitX(j) - avex;
        const double r = (st.FitY(j) - avey) - b * dx;
        fall += w * r * dx;
        bend += st.FitSigX(j) * st.FitSigX(j) * w * w * r * r;
    }
    return fall + b * bend;
}

// The angle where the chi-square's slope changes sign, near the angle
// `start` where Brent's minimiser stopped: bracketed by steps that double
// from 1E-9, then bisected to the rounding of the angle. `start` itself
// when no sign change lies within a tenth of a radian on its side (a
// minimum at the vertical, a flat chi-square) or when the chi-square there
// is above that at `start` beyond its rounding.
double finishAtTheMinimum(Sumtrix& lib, const LineFitState& st, double start)
{
    constexpr double Eps = std::numeric_limits<double>::epsilon();
    constexpr double QuarterTurn = 1.5707963267948966;
    const double f0 = chiSquareFall(st, start);
    if (!std::isfinite(f0) || f0 == 0.0)
        return start;
    // The minimum lies on the side where the chi-square falls.
    const double side = f0 > 0.0 ? 1.0 : -1.0;
    double near = start, far = start;
    bool bracketed = false;
    for (double step = 1E-9; step <= 0.1; step *= 2.0) {
        far = start + side * step;
        if (std::fabs(far) >= QuarterTurn)
            return start;
        const double f = chiSquareFall(st, far);
        if (!std::isfinite(f))
            return start;
        if (f * side <= 0.0) {
            bracketed = true;
            break;
        }
        near = far;
    }
    if (!bracketed)
        return start;
    // near: the chi-square still falls; far: it no longer does.
    for (int k = 0; k < 200 && std::fabs(far - near) > Eps; ++k) {
        const double mid = near + (far - near) / 2.0;
        if (mid == near || mid == far)
            break;
        const double f = chiSquareFall(st, mid);
        if (f == 0.0) {
            near = far = mid;
            break;
        }
        if (f * side > 0.0)
            near = mid;
        else
            far = mid;
    }
    const double end = near + (far - near) / 2.0;
    // A sum of n positive terms is rounded by at most about n eps of itself.
    const double before = lib.STAT_ChiXY(start);
    const double after = lib.STAT_ChiXY(end);
    const double rounding = 4.0 * Eps * static_cast<double>(st.FitCount) * std::fabs(before + st.FitOffset);
    return after <= before + rounding ? end : start;
}

} // namespace

Variant Sumtrix::Reg_FitRandomXY(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                                 const BoundedArray<double>& SigX, const BoundedArray<double>& SigY, double& a,
                                 double& b, double& siga, double& sigb, double& chi2, double& Q, double Acc)
{
    LineFitState& st = m_lineFit;
    const std::int32_t n = XArray.ubound();
    st.FitX.redim(0, n);
    st.FitY.redim(0, n);
    st.FitSigX.redim(0, n);
    st.FitSigY.redim(0, n);
    st.FitWeight.redim(0, n);

    double ave = 0.0, varx = 0.0, vary = 0.0;
    this->STAT_AveVar(XArray, n, ave, varx);
    this->STAT_AveVar(YArray, n, ave, vary);
    if (vary == 0.0)
        return {};

    // All x equal: no line to rescale to. The division by the zero scale
    // fails the call, here before any search instead of after it.
    if (varx == 0.0)
        raiseError(ErrDivisionByZero);

    // Rescale y so that both variables have the same variance.
    const double scale = checkedSqrt(checkedDiv(varx, vary));
    st.FitCount = n;
    for (std::int32_t j = 1; j <= n; ++j) {
        st.FitX(j) = XArray(j);
        st.FitY(j) = checkedMul(YArray(j), scale);
        st.FitSigX(j) = SigX(j);
        st.FitSigY(j) = checkedMul(SigY(j), scale);
        st.FitWeight(j) = checkedSqrt(checkedAdd(checkedMul(st.FitSigX(j), st.FitSigX(j)),
                                                 checkedMul(st.FitSigY(j), st.FitSigY(j))));
    }

    // The starting slope: the weighted least-squares line.
    {
        std::int32_t mwt = 1;
        double a0 = 0.0, siga0 = 0.0, sigb0 = 0.0, chi20 = 0.0, q0 = 0.0;
        this->Reg_FitXY(st.FitX, st.FitY, st.FitCount, st.FitWeight, mwt, a0, b, siga0, sigb0, chi20, q0);
    }

    // Angles and chi-squares: 1..3 the bracket, 4..6 the angles 0, the
    // starting angle and nearly a quarter turn, kept to find on which sides
    // the chi-square rises by more than 1.
    double ang[7] = {};
    double ch[7] = {};
    st.FitOffset = 0.0;
    ang[1] = 0.0;
    ang[2] = std::atan(b);
    ang[4] = 0.0;
    ang[5] = ang[2];
    ang[6] = UpperAngle;
    for (int j = 4; j <= 6; ++j)
        ch[j] = this->STAT_ChiXY(ang[j]);
    this->Search_mnbrak(ang[1], ang[2], ang[3], ch[1], ch[2], ch[3]);
    chi2 = this->Search_brent(ang[1], ang[2], ang[3], Acc, b);
    b = finishAtTheMinimum(*this, st, b);
    chi2 = this->STAT_ChiXY(b);
    a = st.FitIntercept;
    Q = this->Gamma_gammq((st.FitCount - 2) / 2.0, chi2 / 2.0);

    double sumw = 0.0;
    for (std::int32_t j = 1; j <= st.FitCount; ++j)
        sumw = checkedAdd(sumw, st.FitWeight(j));
    const double r2 = checkedDiv(1.0, sumw);

    // The nearest angles on either side of the minimum whose chi-square
    // exceeds the minimum by more than 1 bound the searches for the
    // crossings.
    double bmx = Big, bmn = Big;
    st.FitOffset = chi2 + 1.0;
    for (int j = 1; j <= 6; ++j) {
        if (ch[j] > st.FitOffset) {
            double d1 = std::fabs(ang[j] - b);
            while (d1 >= HalfTurn)
                d1 -= HalfTurn;
            double d2 = HalfTurn - d1;
            if (ang[j] < b)
                std::swap(d1, d2);
            if (d1 < bmx)
                bmx = d1;
            if (d2 < bmn)
                bmn = d2;
        }
    }
    if (bmx >= Big) {
        sigb = Big;
        siga = Big;
    } else {
        bmx = this->Root_zbrent(b, b + bmx, Acc) - b;
        const double amx = st.FitIntercept - a;
        bmn = this->Root_zbrent(b, b - bmn, Acc) - b;
        const double amn = st.FitIntercept - a;
        const double c = std::cos(b);
        sigb = checkedDiv(checkedSqrt((bmx * bmx + bmn * bmn) / 2.0), checkedMul(scale, c * c));
        siga = checkedDiv(checkedSqrt(checkedAdd((amx * amx + amn * amn) / 2.0, r2)), scale);
    }
    a = checkedDiv(a, scale);
    b = checkedDiv(std::tan(b), scale);
    return {};
}

double Sumtrix::STAT_ChiXY(const Variant& bang)
{
    LineFitState& st = m_lineFit;
    const double b = std::tan(variantToDouble(bang));
    double sumw = 0.0, avex = 0.0, avey = 0.0;
    for (std::int32_t j = 1; j <= st.FitCount; ++j) {
        const double w = checkedAdd(checkedMul(checkedMul(b, st.FitSigX(j)), checkedMul(b, st.FitSigX(j))),
                                    checkedMul(st.FitSigY(j), st.FitSigY(j)));
        st.FitWeight(j) = w < 1E-30 ? Big : 1.0 / w;
        sumw = checkedAdd(sumw, st.FitWeight(j));
        avex = checkedAdd(avex, checkedMul(st.FitWeight(j), st.FitX(j)));
        avey = checkedAdd(avey, checkedMul(st.FitWeight(j), st.FitY(j)));
    }
    avex = checkedDiv(avex, sumw);
    avey = checkedDiv(avey, sumw);
    st.FitIntercept = checkedSub(avey, checkedMul(b, avex));
    // The residuals y - a - b x about the weighted means, where they do not
    // cancel on data far from zero.
    double result = -st.FitOffset;
    for (std::int32_t j = 1; j <= st.FitCount; ++j) {
        const double r = checkedSub(checkedSub(st.FitY(j), avey), checkedMul(b, checkedSub(st.FitX(j), avex)));
        result = checkedAdd(result, checkedMul(st.FitWeight(j), checkedMul(r, r)));
    }
    return result;
}

Variant Sumtrix::Search_mnbrak(double& ax, double& bx, double& cx, double& fa, double& fb, double& fc)
{
    bracketMinimum([this](double x) { return this->STAT_ChiXY(x); }, ax, bx, cx, fa, fb, fc);
    return {};
}

double Sumtrix::Search_brent(double ax, double bx, double cx, double tol, double& xmin)
{
    return brentMinimum([this](double x) { return this->STAT_ChiXY(x); }, ax, bx, cx, tol, xmin);
}

double Sumtrix::Root_zbrent(const Variant& x1, const Variant& x2, const Variant& tol)
{
    return brentRoot([this](double x) { return this->STAT_ChiXY(x); }, variantToDouble(x1), variantToDouble(x2),
                     variantToDouble(tol));
}

} // namespace SumtrixLib
