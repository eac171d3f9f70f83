// One-dimensional searches on a function of one variable: bracketing a
// minimum, Brent's minimiser and Brent's root finder, after mnbrak, brent
// and zbrent of Numerical Recipes.
#include "SumtrixLib/Search.hpp"

#include <cmath>
#include <utility>

#include "SumtrixLib/Runtime.hpp"

namespace SumtrixLib {

namespace {

// |a| with the sign of b (b = 0 counts as positive).
double sign(double a, double b)
{
    return b >= 0.0 ? std::fabs(a) : -std::fabs(a);
}

// The smaller and the larger of two values; on equality the second.
double smaller(double a, double b)
{
    return a < b ? a : b;
}
double larger(double a, double b)
{
    return a > b ? a : b;
}

// Golden-ratio steps from 1 overflow a double after some 1,500 steps; no
// bracket takes more than that unless its steps stopped growing.
constexpr int MaxBracketSteps = 5000;
// The step from two equal starting points, relative to their size.
constexpr double FirstStep = 0.1;

} // namespace

void bracketMinimum(const ScalarFunction& f, double& ax, double& bx, double& cx, double& fa, double& fb,
                    double& fc)
{
    constexpr double Gold = 1.618034;
    constexpr double GLimit = 100.0;
    constexpr double Tiny = 1E-20;
    // A search has no direction from two equal starting points (all three
    // would stay where they are for ever): the second one steps away first.
    if (bx == ax)
        bx = checkedAdd(ax, FirstStep * larger(1.0, std::fabs(ax)));
    fa = f(ax);
    fb = f(bx);
    if (fb > fa) {
        std::swap(ax, bx);
        std::swap(fa, fb);
    }
    cx = checkedAdd(bx, checkedMul(Gold, checkedSub(bx, ax)));
    fc = f(cx);
    // Steps of growing size (parabolic extrapolation where it helps) until
    // the middle value is below both ends. The positions are checked, so a
    // function that never rises ends in an overflow rather than a hang;
    // steps that stop growing (a flat function) end in the same error after
    // MaxBracketSteps.
    for (int step = 0; fb >= fc; ++step) {
        if (step == MaxBracketSteps)
            raiseError(ErrOverflow);
        const double r = (bx - ax) * (fb - fc);
        const double q = (bx - cx) * (fb - fa);
        double u = checkedSub(bx, checkedDiv((bx - cx) * q - (bx - ax) * r,
                                             2.0 * sign(larger(std::fabs(q - r), Tiny), q - r)));
        const double ulim = checkedAdd(bx, checkedMul(GLimit, cx - bx));
        double fu = 0.0;
        if ((bx - u) * (u - cx) > 0.0) {
            fu = f(u);
            if (fu < fc) {
                ax = bx;
                bx = u;
                fa = fb;
                fb = fu;
                return;
            }
            if (fu > fb) {
                cx = u;
                fc = fu;
                return;
            }
            u = checkedAdd(cx, checkedMul(Gold, cx - bx));
            fu = f(u);
        } else if ((cx - u) * (u - ulim) > 0.0) {
            fu = f(u);
            if (fu < fc) {
                bx = cx;
                cx = u;
                u = checkedAdd(cx, checkedMul(Gold, cx - bx));
                fb = fc;
                fc = fu;
                fu = f(u);
            }
        } else if ((u - ulim) * (ulim - cx) >= 0.0) {
            u = ulim;
            fu = f(u);
        } else {
            u = checkedAdd(cx, checkedMul(Gold, cx - bx));
            fu = f(u);
        }
        ax = bx;
        bx = cx;
        cx = u;
        fa = fb;
        fb = fc;
        fc = fu;
    }
}

double brentMinimum(const ScalarFunction& f, double ax, double bx, double cx, double tol, double& xmin)
{
    constexpr int ItMax = 100;
    constexpr double CGold = 0.381966;
    constexpr double ZEps = 1E-10;
    double a = smaller(ax, cx);
    double b = larger(ax, cx);
    double x = bx, w = bx, v = bx;
    double fx = f(x);
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
                d = sign(tol1, xm - x);
        }
        const double u = std::fabs(d) >= tol1 ? x + d : x + sign(tol1, d);
        const double fu = f(u);
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

double brentRoot(const ScalarFunction& f, double x1, double x2, double tol)
{
    constexpr int ItMax = 100;
    constexpr double Eps = 6E-8;
    const double tolerance = tol;
    double a = x1;
    double b = x2;
    double c = 0.0, d = 0.0, e = 0.0;
    double fa = f(a);
    double fb = f(b);
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
        bracketMinimum(f, a, b, c, fa, fb, fc);
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
            if (2.0 * p < smaller(3.0 * xm * q - std::fabs(tol1 * q), std::fabs(e * q))) {
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
        b = std::fabs(d) > tol1 ? b + d : b + sign(tol1, xm);
        fb = f(b);
    }
    showMessage("ZBRENT function exceeded maximum iterations", MessageIcon::None);
    return b;
}

} // namespace SumtrixLib
