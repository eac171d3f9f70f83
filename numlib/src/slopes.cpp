// The six least-squares lines of Isobe, Feigelson, Akritas and Babu (1990,
// "Linear regression in astronomy I", ApJ 364, 104): OLS(Y|X), OLS(X|Y),
// their bisector, the orthogonal regression, the reduced major axis and the
// mean of the two OLS slopes, with the asymptotic standard errors of slope
// and intercept given in that paper (its equations for the variances and
// the influence terms of the intercepts).
//
// The method ignores run-time errors statement by statement: a statement
// that fails (an arithmetic fault, an element missing from an array) leaves
// its target as it was and the next statement runs. The later statements
// read the slopes and variances back from the output arrays, so an output
// array too short for an element skips every statement that needs it.
// Where no statement can fail, the same statements run at once without
// their guards (fault_watch.hpp).
#include <algorithm>
#include <array>
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"
#include "fault_watch.hpp"
#include "step_paths.hpp"

namespace SumtrixLib {

namespace {

// One statement: the value is computed first and stored only when both the
// computation and the store complete.
template <class Body>
void statement(Body&& body)
{
    ignoreErrors(std::forward<Body>(body));
}

double sq(double v) { return checkedMul(v, v); }

// The statements of slopesStepByStep below, unguarded, on arrays that hold
// every element they read and write. False, with nothing stored, when a
// guarded statement would have failed.
bool slopesAtOnce(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray, std::int32_t n,
                  BoundedArray<double>& intercept, BoundedArray<double>& slope,
                  BoundedArray<double>& sigintercept, BoundedArray<double>& sigslope)
{
    if (n < 1 || !covers(XArray, 1, n) || !covers(YArray, 1, n))
        return false;
    const std::array<const void*, 6> arrays = {&XArray, &YArray, &intercept, &slope, &sigintercept, &sigslope};
    for (std::size_t i = 0; i < arrays.size(); ++i)
        for (std::size_t j = i + 1; j < arrays.size(); ++j)
            if (arrays[i] == arrays[j])
                return false;   // one array in two roles: the statements see each other's stores
    for (const BoundedArray<double>* out : {&intercept, &slope, &sigintercept, &sigslope})
        if (!covers(*out, 1, 6))
            return false;

    const double* const x = &XArray(1);   // x[k] is XArray(k + 1)
    const double* const y = &YArray(1);
    FaultWatch f;
    const double N = static_cast<double>(n);
    double Sx = 0.0, Sy = 0.0;
    for (std::int32_t i = 0; i < n; ++i) {
        Sx = f.add(Sx, x[i]);
        Sy = f.add(Sy, y[i]);
    }
    const double xbar = f.div(Sx, N);
    const double ybar = f.div(Sy, N);
    // dx(i) and dy(i) are x[i] - xbar and y[i] - ybar, formed again where
    // they are needed instead of kept in arrays.
    double Sxx = 0.0, Syy = 0.0, Sxy = 0.0;
    for (std::int32_t i = 0; i < n; ++i) {
        const double dx = f.sub(x[i], xbar);
        const double dy = f.sub(y[i], ybar);
        Sxx = f.add(Sxx, f.sq(dx));
        Syy = f.add(Syy, f.sq(dy));
        Sxy = f.add(Sxy, f.mul(dx, dy));
    }
    if (!f.clean())
        return false;
    if (Sxy == 0.0)
        return true;   // the statements store nothing either
    const double sgn = Sxy < 0.0 ? -1.0 : 1.0;

    std::array<double, 7> b{}, a{}, var{}, sa{};
    b[1] = f.div(Sxy, Sxx);
    b[2] = f.div(Syy, Sxy);
    const double root12 = f.sqrt(f.mul(1.0 + f.sq(b[1]), 1.0 + f.sq(b[2])));
    b[3] = f.div(b[1] * b[2] - 1.0 + root12, b[1] + b[2]);
    const double d = b[2] - f.div(1.0, b[1]);
    b[4] = f.result(0.5 * (d + sgn * f.sqrt(4.0 + f.sq(d))));
    b[5] = sgn * f.sqrt(f.mul(b[1], b[2]));
    b[6] = f.result(0.5 * (b[1] + b[2]));
    for (int j = 1; j <= 6; ++j)
        a[j] = f.sub(ybar, f.mul(xbar, b[j]));
    const double gam1 = f.div(b[3], f.mul(b[1] + b[2], root12));
    const double gam2 = f.div(b[4], f.sqrt(f.add(4.0 * f.sq(b[1]), f.sq(b[1] * b[2] - 1.0))));

    double sum1 = 0.0, sum2 = 0.0, sum3 = 0.0;
    for (std::int32_t i = 0; i < n; ++i) {
        const double dx = x[i] - xbar;
        const double dy = y[i] - ybar;
        const double r1 = dy - f.mul(b[1], dx);
        const double r2 = dy - f.mul(b[2], dx);
        sum1 = f.add(sum1, f.sq(f.mul(dx, r1)));
        sum2 = f.add(sum2, f.sq(f.mul(dy, r2)));
        sum3 = f.add(sum3, f.mul(f.mul(dx, dy), f.mul(r1, r2)));
    }
    const double cov = f.div(sum3, f.mul(b[1], f.sq(Sxx)));

    var[1] = f.div(sum1, f.sq(Sxx));
    var[2] = f.div(sum2, f.sq(Sxy));
    const double p1 = 1.0 + f.sq(b[1]), p2 = 1.0 + f.sq(b[2]);
    var[3] = f.mul(f.sq(gam1), f.result(f.sq(p2) * var[1] + 2.0 * p1 * p2 * cov + f.sq(p1) * var[2]));
    var[4] = f.mul(f.sq(gam2), f.result(f.div(var[1], f.sq(b[1])) + 2.0 * cov + f.sq(b[1]) * var[2]));
    var[5] = f.result(0.25 * (f.div(b[2] * var[1], b[1]) + 2.0 * cov + f.div(b[1] * var[2], b[2])));
    var[6] = f.result(0.25 * (var[1] + 2.0 * cov + var[2]));

    // The terms that do not change from row to row, each the value its
    // statement forms anew for every row.
    const double onePlusB1 = 1.0 + f.sq(b[1]);
    const double onePlusB2 = 1.0 + f.sq(b[2]);
    const double sqB1 = f.sq(b[1]);
    const double absB1 = f.sqrt(f.sq(b[1]));
    const double root21 = f.sqrt(f.div(b[2], b[1]));
    const double root12b = f.sqrt(f.div(b[1], b[2]));
    for (int j = 1; j <= 6; ++j)
        sa[j] = sigintercept(j);
    for (std::int32_t i = 0; i < n; ++i) {
        const double dx = x[i] - xbar;
        const double dy = y[i] - ybar;
        const double r1 = dy - f.mul(b[1], dx);
        const double r2 = dy - f.mul(b[2], dx);
        const double t1 = f.div(f.mul(r1, dx), Sxx);
        const double t2 = f.div(f.mul(r2, dy), Sxy);
        sa[1] = f.add(sa[1], f.sq(f.mul(r1, 1.0 - f.div(N * xbar * dx, Sxx))));
        sa[2] = f.add(sa[2], f.sq(f.mul(r2, 1.0 - f.div(N * xbar * dy, Sxy))));
        sa[3] = f.add(sa[3], f.sq(f.result((onePlusB1 * t2 + onePlusB2 * t1) * gam1 * xbar * N - dy + b[3] * dx)));
        sa[4] = f.add(sa[4],
                      f.sq(f.result(sgn * f.div((sqB1 * t2 + t1) * gam2 * xbar * N, absB1) - dy + b[4] * dx)));
        sa[5] = f.add(sa[5], f.sq(f.result(0.5 * (t1 * root21 + t2 * root12b) * N * xbar - dy + b[5] * dx)));
        sa[6] = f.add(sa[6], f.sq(f.result(0.5 * (t1 + t2) * N * xbar - dy + b[6] * dx)));
    }
    std::array<double, 7> sigb{}, siga{};
    for (int j = 1; j <= 6; ++j) {
        sigb[j] = f.sqrt(var[j]);
        siga[j] = f.div(f.sqrt(sa[j]), N);
    }
    if (!f.clean())
        return false;
    for (int j = 1; j <= 6; ++j) {
        slope(j) = b[j];
        intercept(j) = a[j];
        sigslope(j) = sigb[j];
        sigintercept(j) = siga[j];
    }
    return true;
}

} // namespace

Variant Sumtrix::Reg_Slopes(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray, std::int32_t n,
                            BoundedArray<double>& intercept, BoundedArray<double>& slope,
                            BoundedArray<double>& sigintercept, BoundedArray<double>& sigslope)
{
    if (!slopesAtOnce(XArray, YArray, n, intercept, slope, sigintercept, sigslope))
        slopesStepByStep(XArray, YArray, n, intercept, slope, sigintercept, sigslope);
    return {};
}

void slopesStepByStep(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray, std::int32_t n,
                      BoundedArray<double>& intercept, BoundedArray<double>& slope,
                      BoundedArray<double>& sigintercept, BoundedArray<double>& sigslope)
{
    double Sx = 0.0, Sy = 0.0, xbar = 0.0, ybar = 0.0;
    double Sxx = 0.0, Syy = 0.0, Sxy = 0.0;
    double sgn = 0.0, gam1 = 0.0, gam2 = 0.0, cov = 0.0;
    double sum1 = 0.0, sum2 = 0.0, sum3 = 0.0;
    const double N = static_cast<double>(n);
    // Past the end of both input arrays every statement of a pass either
    // fails or adds nothing (the deviations there are 0), so the passes and
    // the deviation arrays stop there: a count far beyond the data costs
    // neither a pass over it nor memory for it.
    const std::int32_t last = std::min(n, std::max(XArray.allocated() ? XArray.ubound() : 0,
                                                    YArray.allocated() ? YArray.ubound() : 0));

    for (std::int32_t i = 1; i <= last; ++i) {
        statement([&] { Sx = checkedAdd(Sx, XArray(i)); });
        statement([&] { Sy = checkedAdd(Sy, YArray(i)); });
    }
    statement([&] { xbar = checkedDiv(Sx, N); });
    statement([&] { ybar = checkedDiv(Sy, N); });

    // Deviations from the means; element 0 is never used.
    BoundedArray<double> dx, dy;
    statement([&] { dx.redim(0, last); });
    statement([&] { dy.redim(0, last); });
    for (std::int32_t i = 1; i <= last; ++i) {
        statement([&] { const double v = checkedSub(XArray(i), xbar); dx(i) = v; });
        statement([&] { const double v = checkedSub(YArray(i), ybar); dy(i) = v; });
        statement([&] { Sxx = checkedAdd(Sxx, sq(dx(i))); });
        statement([&] { Syy = checkedAdd(Syy, sq(dy(i))); });
        statement([&] { Sxy = checkedAdd(Sxy, checkedMul(dx(i), dy(i))); });
    }
    if (Sxy == 0.0)
        return;

    sgn = 1.0;
    if (Sxy < 0.0)
        sgn = -1.0;

    // Slopes. b1 and b2 are read back from the array for the other four.
    statement([&] { const double v = checkedDiv(Sxy, Sxx); slope(1) = v; });
    statement([&] { const double v = checkedDiv(Syy, Sxy); slope(2) = v; });
    statement([&] {
        const double b1 = slope(1), b2 = slope(2);
        const double v = checkedDiv(b1 * b2 - 1.0 + checkedSqrt(checkedMul(1.0 + sq(b1), 1.0 + sq(b2))), b1 + b2);
        slope(3) = v;
    });
    statement([&] {
        const double b1 = slope(1), b2 = slope(2);
        const double d = b2 - checkedDiv(1.0, b1);
        const double v = checkedResult(0.5 * (d + sgn * checkedSqrt(4.0 + sq(d))));
        slope(4) = v;
    });
    statement([&] { const double v = sgn * checkedSqrt(checkedMul(slope(1), slope(2))); slope(5) = v; });
    statement([&] { const double v = checkedResult(0.5 * (slope(1) + slope(2))); slope(6) = v; });

    for (std::int32_t j = 1; j <= 6; ++j)
        statement([&] { const double v = checkedSub(ybar, checkedMul(xbar, slope(j))); intercept(j) = v; });

    statement([&] {
        const double b1 = slope(1), b2 = slope(2), b3 = slope(3);
        gam1 = checkedDiv(b3, checkedMul(b1 + b2, checkedSqrt(checkedMul(1.0 + sq(b1), 1.0 + sq(b2)))));
    });
    statement([&] {
        const double b1 = slope(1), b2 = slope(2), b4 = slope(4);
        gam2 = checkedDiv(b4, checkedSqrt(checkedAdd(4.0 * sq(b1), sq(b1 * b2 - 1.0))));
    });

    // Sums over the residuals from the two OLS lines.
    for (std::int32_t i = 1; i <= last; ++i) {
        statement([&] {
            const double r1 = dy(i) - checkedMul(slope(1), dx(i));
            sum1 = checkedAdd(sum1, sq(checkedMul(dx(i), r1)));
        });
        statement([&] {
            const double r2 = dy(i) - checkedMul(slope(2), dx(i));
            sum2 = checkedAdd(sum2, sq(checkedMul(dy(i), r2)));
        });
        statement([&] {
            const double r1 = dy(i) - checkedMul(slope(1), dx(i));
            const double r2 = dy(i) - checkedMul(slope(2), dx(i));
            sum3 = checkedAdd(sum3, checkedMul(checkedMul(dx(i), dy(i)), checkedMul(r1, r2)));
        });
    }
    statement([&] { cov = checkedDiv(sum3, checkedMul(slope(1), sq(Sxx))); });

    // Slope variances (square-rooted below).
    statement([&] { const double v = checkedDiv(sum1, sq(Sxx)); sigslope(1) = v; });
    statement([&] { const double v = checkedDiv(sum2, sq(Sxy)); sigslope(2) = v; });
    statement([&] {
        const double b1 = slope(1), b2 = slope(2);
        const double p1 = 1.0 + sq(b1), p2 = 1.0 + sq(b2);
        const double v = checkedMul(sq(gam1), checkedResult(sq(p2) * sigslope(1) + 2.0 * p1 * p2 * cov
                                                            + sq(p1) * sigslope(2)));
        sigslope(3) = v;
    });
    statement([&] {
        const double b1 = slope(1);
        const double v = checkedMul(sq(gam2), checkedResult(checkedDiv(sigslope(1), sq(b1)) + 2.0 * cov
                                                            + sq(b1) * sigslope(2)));
        sigslope(4) = v;
    });
    statement([&] {
        const double b1 = slope(1), b2 = slope(2);
        const double v = checkedResult(0.25 * (checkedDiv(b2 * sigslope(1), b1) + 2.0 * cov
                                               + checkedDiv(b1 * sigslope(2), b2)));
        sigslope(5) = v;
    });
    statement([&] { const double v = checkedResult(0.25 * (sigslope(1) + 2.0 * cov + sigslope(2))); sigslope(6) = v; });

    // Intercept variances: the squared influence terms are added to what
    // the array holds on entry.
    for (std::int32_t i = 1; i <= last; ++i) {
        auto r1 = [&] { return dy(i) - checkedMul(slope(1), dx(i)); };
        auto r2 = [&] { return dy(i) - checkedMul(slope(2), dx(i)); };
        auto t1 = [&] { return checkedDiv(checkedMul(r1(), dx(i)), Sxx); };
        auto t2 = [&] { return checkedDiv(checkedMul(r2(), dy(i)), Sxy); };
        auto add = [&](std::int32_t j, double term) {
            const double v = checkedAdd(sigintercept(j), sq(term));
            sigintercept(j) = v;
        };
        statement([&] { add(1, checkedMul(r1(), 1.0 - checkedDiv(N * xbar * dx(i), Sxx))); });
        statement([&] { add(2, checkedMul(r2(), 1.0 - checkedDiv(N * xbar * dy(i), Sxy))); });
        statement([&] {
            const double b1 = slope(1), b2 = slope(2), b3 = slope(3);
            add(3, checkedResult(((1.0 + sq(b1)) * t2() + (1.0 + sq(b2)) * t1()) * gam1 * xbar * N - dy(i)
                                 + b3 * dx(i)));
        });
        // The slope's influence term is gam2 (t1 + b1^2 t2) n / b1: dividing
        // by |b1| = Sqr(b1^2) takes the sign of the covariance back with sgn.
        statement([&] {
            const double b1 = slope(1), b4 = slope(4);
            add(4, checkedResult(sgn * checkedDiv((sq(b1) * t2() + t1()) * gam2 * xbar * N, checkedSqrt(sq(b1)))
                                 - dy(i) + b4 * dx(i)));
        });
        statement([&] {
            const double b1 = slope(1), b2 = slope(2), b5 = slope(5);
            add(5, checkedResult(0.5 * (t1() * checkedSqrt(checkedDiv(b2, b1)) + t2() * checkedSqrt(checkedDiv(b1, b2)))
                                     * N * xbar
                                 - dy(i) + b5 * dx(i)));
        });
        statement([&] {
            const double b6 = slope(6);
            add(6, checkedResult(0.5 * (t1() + t2()) * N * xbar - dy(i) + b6 * dx(i)));
        });
    }

    for (std::int32_t j = 1; j <= 6; ++j) {
        statement([&] { const double v = checkedSqrt(sigslope(j)); sigslope(j) = v; });
        statement([&] { const double v = checkedDiv(checkedSqrt(sigintercept(j)), N); sigintercept(j) = v; });
    }
}

} // namespace SumtrixLib
