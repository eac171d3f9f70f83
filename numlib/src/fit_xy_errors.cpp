// The straight-line fit with errors in both coordinates, after fitexy of
// Numerical Recipes: y is rescaled to the variance of x, the chi-square
//   chi2(b) = sum (y - a - b x)^2 / (b^2 sx^2 + sy^2)
// (a at its weighted optimum for each b) is minimised over the angle
// atan(b) of the line, and the parameter errors come from the angles at
// which the chi-square is 1 above its minimum.
//
// The chi-square function reads the data of the last fit from the object
// (m_lineFit), which is why the bracketing, minimising and root-finding
// routines take no function argument: they all evaluate STAT_ChiXY. Their
// constants are those of mnbrak, brent and zbrent in Numerical Recipes
// (golden ratio 1.618034, step limit 100, 1E-20; 0.381966, 1E-10; 6E-8,
// 100 iterations).
#include <charconv>
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"
#include "variant_number.hpp"

namespace SumtrixLib {

namespace {

// The half turn and the upper starting angle, as the fit has always used them.
constexpr double HalfTurn = 3.14159265;
constexpr double UpperAngle = 1.571;
constexpr double Big = 1E30;


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
    double result = -st.FitOffset;
    for (std::int32_t j = 1; j <= st.FitCount; ++j) {
        const double r = checkedSub(checkedSub(st.FitY(j), st.FitIntercept), checkedMul(b, st.FitX(j)));
        result = checkedAdd(result, checkedMul(st.FitWeight(j), checkedMul(r, r)));
    }
    return result;
}

Variant Sumtrix::Search_mnbrak(double& ax, double& bx, double& cx, double& fa, double& fb, double& fc)
{
    constexpr double Gold = 1.618034;
    constexpr double GLimit = 100.0;
    constexpr double Tiny = 1E-20;
    fa = this->STAT_ChiXY(ax);
    fb = this->STAT_ChiXY(bx);
    if (fb > fa) {
        std::swap(ax, bx);
        std::swap(fa, fb);
    }
    cx = checkedAdd(bx, checkedMul(Gold, checkedSub(bx, ax)));
    fc = this->STAT_ChiXY(cx);
    // Steps of growing size (parabolic extrapolation where it helps) until
    // the middle value is below both ends. The positions are checked, so a
    // function that never rises ends in an overflow rather than a hang.
    while (fb >= fc) {
        const double r = (bx - ax) * (fb - fc);
        const double q = (bx - cx) * (fb - fa);
        double u = checkedSub(bx, checkedDiv((bx - cx) * q - (bx - ax) * r,
                                             2.0 * this->Sign(this->Max(std::fabs(q - r), Tiny), q - r)));
        const double ulim = checkedAdd(bx, checkedMul(GLimit, cx - bx));
        double fu = 0.0;
        if ((bx - u) * (u - cx) > 0.0) {
            fu = this->STAT_ChiXY(u);
            if (fu < fc) {
                ax = bx;
                bx = u;
                fa = fb;
                fb = fu;
                return {};
            }
            if (fu > fb) {
                cx = u;
                fc = fu;
                return {};
            }
            u = checkedAdd(cx, checkedMul(Gold, cx - bx));
            fu = this->STAT_ChiXY(u);
        } else if ((cx - u) * (u - ulim) > 0.0) {
            fu = this->STAT_ChiXY(u);
            if (fu < fc) {
                bx = cx;
                cx = u;
                u = checkedAdd(cx, checkedMul(Gold, cx - bx));
                fb = fc;
                fc = fu;
                fu = this->STAT_ChiXY(u);
            }
        } else if ((u - ulim) * (ulim - cx) >= 0.0) {
            u = ulim;
            fu = this->STAT_ChiXY(u);
        } else {
            u = checkedAdd(cx, checkedMul(Gold, cx - bx));
            fu = this->STAT_ChiXY(u);
        }
        ax = bx;
        bx = cx;
        cx = u;
        fa = fb;
        fb = fc;
        fc = fu;
    }
    return {};
}

double Sumtrix::Search_brent(double ax, double bx, double cx, double tol, double& xmin)
{
    constexpr int ItMax = 100;
    constexpr double CGold = 0.381966;
    constexpr double ZEps = 1E-10;
    double a = this->Min(ax, cx);
    double b = this->Max(ax, cx);
    double x = bx, w = bx, v = bx;
    double fx = this->STAT_ChiXY(x);
    double fw = fx, fv = fx;
    double d = 0.0, e = 0.0, p = 0.0, q = 0.0, etemp = 0.0;
    for (int iter = 1; iter <= ItMax; ++iter) {
        const double xm = 0.5 * (a + b);
        const double tol1 = tol * std::fabs(x) + ZEps;
        const double tol2 = 2.0 * tol1;
        if (std::fabs(x - xm) <= tol2 - 0.5 * (b - a)) {
            xmin = x;
            return fx;
        }
        if (std::fabs(e) > tol1) {
            const double r = (x - w) * (fx - fv);
            q = (x - v) * (fx - fw);
            p = (x - v) * q - (x - w) * r;
            q = 2.0 * (q - r);
            if (q > 0.0)
                p = -p;
            q = std::fabs(q);
            etemp = e;
            e = d;
        }
        // The test runs on every pass, with p, q and etemp as last set
        // (0 at first, so the first steps are golden sections).
        if (std::fabs(p) >= std::fabs(0.5 * q * etemp) || p <= q * (a - x) || p >= q * (b - x)) {
            e = x >= xm ? a - x : b - x;
            d = CGold * e;
        } else {
            d = checkedDiv(p, q);
            const double u = x + d;
            if (u - a < tol2 || b - u < tol2)
                d = this->Sign(tol1, xm - x);
        }
        const double u = std::fabs(d) >= tol1 ? x + d : x + this->Sign(tol1, d);
        const double fu = this->STAT_ChiXY(u);
        if (fu <= fx) {
            if (u >= x)
                a = x;
            else
                b = x;
            v = w;
            w = x;
            x = u;
            fv = fw;
            fw = fx;
            fx = fu;
        } else {
            if (u < x)
                a = u;
            else
                b = u;
            if (fu <= fw || w == x) {
                v = w;
                w = u;
                fv = fw;
                fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u;
                fv = fu;
            }
        }
    }
    showMessage("BRENT function exceeded maximum iterations", MessageIcon::Information);
    xmin = x;
    return fx;
}

double Sumtrix::Root_zbrent(const Variant& x1, const Variant& x2, const Variant& tol)
{
    constexpr int ItMax = 100;
    constexpr double Eps = 6E-8;
    const double tolerance = variantToDouble(tol);
    double a = variantToDouble(x1);
    double b = variantToDouble(x2);
    double c = 0.0, d = 0.0, e = 0.0;
    double fa = this->STAT_ChiXY(a);
    double fb = this->STAT_ChiXY(b);
    double fc = 0.0;
    if ((fa > 0.0 && fb > 0.0) || (fa < 0.0 && fb < 0.0)) {
        showMessage("Root is being bracketed for zbrent", MessageIcon::None);
        if (a > b) {
            std::swap(a, b);
        } else if (a == b) {
            if (a > 0.0)
                a = 0.0;
            else
                b = 0.0;
        }
        this->Search_mnbrak(a, b, c, fa, fb, fc);
    }
    c = b;
    fc = fb;
    for (int iter = 1; iter <= ItMax; ++iter) {
        if ((fb > 0.0 && fc > 0.0) || (fb < 0.0 && fc < 0.0)) {
            c = a;
            fc = fa;
            d = b - a;
            e = d;
        }
        if (std::fabs(fc) < std::fabs(fb)) {
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        const double tol1 = Eps * std::fabs(b) + 0.5 * tolerance;
        const double xm = 0.5 * (c - b);
        if (std::fabs(xm) <= tol1 || fb == 0.0)
            return b;
        if (std::fabs(e) >= tol1 && std::fabs(fa) > std::fabs(fb)) {
            // Inverse quadratic interpolation, or the secant when a = c.
            const double s = fb / fa;
            double p = 0.0, q = 0.0;
            if (a == c) {
                p = 2.0 * xm * s;
                q = 1.0 - s;
            } else {
                q = fa / fc;
                const double r = fb / fc;
                p = s * (2.0 * xm * q * (q - r) - (b - a) * (r - 1.0));
                q = (q - 1.0) * (r - 1.0) * (s - 1.0);
            }
            if (p > 0.0)
                q = -q;
            p = std::fabs(p);
            if (2.0 * p < this->Min(3.0 * xm * q - std::fabs(tol1 * q), std::fabs(e * q))) {
                e = d;
                d = checkedDiv(p, q);
            } else {
                d = xm;
                e = d;
            }
        } else {
            d = xm;
            e = d;
        }
        a = b;
        fa = fb;
        b = std::fabs(d) > tol1 ? b + d : b + this->Sign(tol1, xm);
        fb = this->STAT_ChiXY(b);
    }
    showMessage("ZBRENT function exceeded maximum iterations", MessageIcon::None);
    return b;
}

} // namespace SumtrixLib
