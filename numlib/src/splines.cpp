// Cubic-spline interpolation of n knots (X, Y) at an abscissa x:
// - Shammas: a natural spline whose second derivatives come from
//   GetDerivatives, a tridiagonal solve with a pivot tolerance;
// - Chapra and Canale: the natural spline with its first and second
//   derivative at x;
// - Base0 / Base1 / Base0Matrix: the spline with given end slopes or
//   natural ends (the second-derivative table and bisection look-up of
//   Numerical Recipes' spline and splint), at one abscissa or at many.
// The interpolations trap run-time errors: Msg names the error and the
// result is -1E-99. Knots are expected in increasing order.
#include <cmath>
#include <string>

#include "SumtrixLib/Sumtrix.hpp"
#include "fault_watch.hpp"
#include "trap_text.hpp"

namespace SumtrixLib {

namespace {

const char* const SplineFamily = "InterpolateCubicSpline";
// An end derivative above this means a natural end (second derivative 0).
constexpr double NaturalEnd = 9.9E29;
constexpr double DefaultPivotTolerance = 1E-11;

template <class Body>
auto trapSpline(std::string& Msg, double failure, Body&& body)
{
    return trapWithMessage(Msg, failure, std::forward<Body>(body),
                           [](const RuntimeError& e) { return interpolationErrorText(SplineFamily, e); });
}

// Tables created for knots up to `last` need last >= lowest; otherwise the
// call fails before its trap.
void requireTable(std::int32_t last, std::int32_t lowest)
{
    if (last < lowest)
        raiseError(ErrSubscript);
}

// The spline on [xl, xr] with end values yl, yr and second derivatives Ml,
// Mr, at x: its value, first and second derivative.
struct SegmentValue {
    double value, slope, curvature;
};

SegmentValue splineSegment(double xl, double xr, double yl, double yr, double Ml, double Mr, double x)
{
    const double H = checkedSub(xr, xl);
    const double c1 = checkedDiv(checkedDiv(Ml, 6.0), H);
    const double c2 = checkedDiv(checkedDiv(Mr, 6.0), H);
    const double c3 = checkedSub(checkedDiv(yl, H), checkedMul(Ml, H) / 6.0);
    const double c4 = checkedSub(checkedDiv(yr, H), checkedMul(Mr, H) / 6.0);
    const double u = checkedSub(xr, x);
    const double v = checkedSub(x, xl);
    SegmentValue s;
    s.value = checkedResult(c1 * u * u * u + c2 * v * v * v + c3 * u + c4 * v);
    s.slope = checkedResult(-3.0 * c1 * u * u + 3.0 * c2 * v * v - c3 + c4);
    s.curvature = checkedResult(6.0 * c1 * u + 6.0 * c2 * v);
    return s;
}

// The natural spline after Chapra and Canale on knots X(o + k - 1), Y(o + k - 1)
// for k = 1..n. Two knots have no interior equation: the second derivatives
// stay 0 and the spline is the straight line through them.
double chapraCanale(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray, std::int32_t o,
                    std::int32_t n, double x, InOut<double>& dY, InOut<double>& d2Y)
{
    auto X = [&](std::int32_t k) { return XArray(o + k - 1); };
    auto Y = [&](std::int32_t k) { return YArray(o + k - 1); };
    BoundedArray<double> e(0, n), f(0, n), g(0, n), r(0, n), M(0, n);
    for (std::int32_t k = 2; k <= n - 1; ++k) {
        e(k) = checkedSub(X(k), X(k - 1));
        f(k) = checkedMul(2.0, checkedSub(X(k + 1), X(k - 1)));
        g(k) = checkedSub(X(k + 1), X(k));
        r(k) = checkedAdd(checkedMul(checkedDiv(6.0, checkedSub(X(k), X(k - 1))), checkedSub(Y(k - 1), Y(k))),
                          checkedMul(checkedDiv(6.0, checkedSub(X(k + 1), X(k))), checkedSub(Y(k + 1), Y(k))));
    }
    for (std::int32_t k = 3; k <= n - 1; ++k) {
        e(k) = checkedDiv(e(k), f(k - 1));
        f(k) = checkedSub(f(k), checkedMul(e(k), g(k - 1)));
    }
    for (std::int32_t k = 3; k <= n - 1; ++k)
        r(k) = checkedSub(r(k), checkedMul(e(k), r(k - 1)));
    if (n >= 3) {
        M(n - 1) = checkedDiv(r(n - 1), f(n - 1));
        for (std::int32_t k = n - 2; k >= 2; --k)
            M(k) = checkedDiv(checkedSub(r(k), checkedMul(g(k), M(k + 1))), f(k));
    }
    M(1) = 0.0;
    M(n) = 0.0;

    for (std::int32_t i = 2; i <= n; ++i) {
        if (X(i - 1) <= x && x <= X(i)) {
            const SegmentValue s = splineSegment(X(i - 1), X(i), Y(i - 1), Y(i), M(i - 1), M(i), x);
            dY = s.slope;
            d2Y = s.curvature;
            return s.value;
        }
    }
    return InterpolationFailed;
}

// The second derivatives y2(lo..hi) of the spline through X(lo..hi),
// Y(lo..hi) with end slopes dY1, dYn (natural beyond 9.9E29). The table runs
// from 0 to hi.
BoundedArray<double> splineTable(const BoundedArray<double>& X, const BoundedArray<double>& Y, std::int32_t lo,
                                 std::int32_t hi, double dY1, double dYn)
{
    BoundedArray<double> y2(0, hi), u(0, hi);
    if (dY1 > NaturalEnd) {
        y2(lo) = 0.0;
        u(lo) = 0.0;
    } else {
        const double h = checkedSub(X(lo + 1), X(lo));
        y2(lo) = -0.5;
        u(lo) = checkedMul(checkedDiv(3.0, h), checkedSub(checkedDiv(checkedSub(Y(lo + 1), Y(lo)), h), dY1));
    }
    for (std::int32_t k = lo + 1; k <= hi - 1; ++k) {
        const double sig = checkedDiv(checkedSub(X(k), X(k - 1)), checkedSub(X(k + 1), X(k - 1)));
        const double p = checkedAdd(checkedMul(sig, y2(k - 1)), 2.0);
        y2(k) = checkedDiv(sig - 1.0, p);
        const double slopeRight = checkedDiv(checkedSub(Y(k + 1), Y(k)), checkedSub(X(k + 1), X(k)));
        const double slopeLeft = checkedDiv(checkedSub(Y(k), Y(k - 1)), checkedSub(X(k), X(k - 1)));
        u(k) = checkedDiv(checkedSub(checkedDiv(checkedMul(checkedSub(slopeRight, slopeLeft), 6.0),
                                                checkedSub(X(k + 1), X(k - 1))),
                                     checkedMul(sig, u(k - 1))),
                          p);
    }
    double qn = 0.0, un = 0.0;
    if (!(dYn > NaturalEnd)) {
        const double h = checkedSub(X(hi), X(hi - 1));
        qn = 0.5;
        un = checkedMul(checkedDiv(3.0, h), checkedSub(dYn, checkedDiv(checkedSub(Y(hi), Y(hi - 1)), h)));
    }
    y2(hi) = checkedDiv(checkedSub(un, checkedMul(qn, u(hi - 1))), checkedAdd(checkedMul(qn, y2(hi - 1)), 1.0));
    for (std::int32_t k = hi - 1; k >= lo; --k)
        y2(k) = checkedAdd(checkedMul(y2(k), y2(k + 1)), u(k));
    return y2;
}

// The spline at x: the interval is found by bisection (x outside the knots
// falls on the first or last interval and is extrapolated with its cubic).
// Coincident bracketing knots give MissingValue.
double splineAt(const BoundedArray<double>& X, const BoundedArray<double>& Y, const BoundedArray<double>& y2,
                std::int32_t lo, std::int32_t hi, double x)
{
    std::int32_t klo = lo, khi = hi;
    while (khi - klo > 1) {
        const std::int32_t k = toInt32((khi + klo) / 2.0);
        if (X(k) > x)
            khi = k;
        else
            klo = k;
    }
    const double hh = checkedSub(X(khi), X(klo));
    if (hh == 0.0)
        return MissingValue;
    const double a = checkedDiv(checkedSub(X(khi), x), hh);
    const double b = checkedDiv(checkedSub(x, X(klo)), hh);
    return checkedResult(hh * hh * ((a * a * a - a) * y2(klo) + (b * b * b - b) * y2(khi)) / 6.0
                         + (b * Y(khi) + a * Y(klo)));
}

// Knots lo..hi beyond the arrays fail inside the trap on the first one the
// table reads; that happens before the table is made, so a count far beyond
// the data never sizes one. (A single knot reads no Y.)
template <class R>
bool knotsBeyond(const BoundedArray<double>& X, const BoundedArray<double>& Y, std::int32_t lo, std::int32_t hi,
                 std::string& Msg, R failure, R& result)
{
    if (hi <= lo || (covers(X, lo, hi) && covers(Y, lo, hi)))
        return false;
    result = trapSpline(Msg, failure, [failure]() -> R {
        raiseError(ErrSubscript);
        return failure;
    });
    return true;
}

double splineBase(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray, std::int32_t lo,
                  std::int32_t hi, double x, double dY1, double dYn, std::string& Msg)
{
    requireTable(hi, 0);
    double failed = InterpolationFailed;
    if (knotsBeyond(XArray, YArray, lo, hi, Msg, InterpolationFailed, failed))
        return failed;
    return trapSpline(Msg, InterpolationFailed, [&] {
        const BoundedArray<double> y2 = splineTable(XArray, YArray, lo, hi, dY1, dYn);
        return splineAt(XArray, YArray, y2, lo, hi, x);
    });
}

} // namespace

bool Sumtrix::GetDerivatives(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                             BoundedArray<double>& Deriv, BoundedArray<double>& h, std::int32_t n,
                             double ErrorTolerance)
{
    requireTable(n, 0);
    BoundedArray<double> A(0, n), B(0, n), C(0, n);
    for (std::int32_t k = 0; k <= n - 1; ++k) {
        h(k) = 0.0;
        Deriv(k) = 0.0;
    }
    for (std::int32_t k = 1; k <= n - 1; ++k) {
        h(k) = checkedSub(XArray(k), XArray(k - 1));
        Deriv(k) = checkedDiv(checkedSub(YArray(k), YArray(k - 1)), h(k));
    }
    // One equation per interior knot k, in row k - 1; each slope is read
    // before its slot is overwritten.
    for (std::int32_t k = 1; k <= n - 2; ++k) {
        const double span = checkedAdd(h(k + 1), h(k));
        B(k - 1) = 2.0;
        C(k - 1) = checkedDiv(h(k + 1), span);
        A(k - 1) = 1.0 - C(k - 1);
        Deriv(k - 1) = checkedDiv(checkedMul(checkedSub(Deriv(k + 1), Deriv(k)), 6.0), span);
    }
    return this->Matrix_TriDiagonal(n - 2, A, B, C, Deriv, ErrorTolerance);
}

double Sumtrix::Interpolate_CubicSpline_Shammas(const BoundedArray<double>& XArray,
                                                const BoundedArray<double>& YArray, std::int32_t n, double x,
                                                InOut<double> ErrorTolerance, InOut<std::string> Msg)
{
    requireTable(n, 0);
    BoundedArray<double> xx(0, n), yy(0, n), Deriv(0, 2 * n), h(0, 2 * n);
    if (ErrorTolerance.get() == 0.0)
        ErrorTolerance = DefaultPivotTolerance;
    for (std::int32_t k = 1; k <= n; ++k) {
        xx(k - 1) = XArray(k);
        yy(k - 1) = YArray(k);
    }
    return trapSpline(Msg.get(), InterpolationFailed, [&] {
        if (!this->GetDerivatives(xx, yy, Deriv, h, n, ErrorTolerance.get())) {
            Msg = "Derivative error";
            return InterpolationFailed;
        }
        // Second derivative at knot k: Deriv(k - 1) inside, 0 at the ends.
        auto M = [&](std::int32_t k) { return k == 0 || k == n - 1 ? 0.0 : Deriv(k - 1); };
        for (std::int32_t i = 0; i <= n - 2; ++i)
            if (xx(i) <= x && x <= xx(i + 1))
                return splineSegment(xx(i), xx(i + 1), yy(i), yy(i + 1), M(i), M(i + 1), x).value;
        return InterpolationFailed;
    });
}

double Sumtrix::Interpolate_CubicSpline_ChapraAndCanale(const BoundedArray<double>& XArray,
                                                        const BoundedArray<double>& YArray, std::int32_t n,
                                                        double x, InOut<double> dY, InOut<double> d2Y,
                                                        InOut<std::string> Msg)
{
    // Works on 0-based copies of the knots.
    requireTable(n, 0);
    BoundedArray<double> xx(0, n), yy(0, n);
    return trapSpline(Msg.get(), InterpolationFailed, [&] {
        for (std::int32_t k = 1; k <= n; ++k) {
            xx(k - 1) = XArray(k);
            yy(k - 1) = YArray(k);
        }
        return chapraCanale(xx, yy, 0, n, x, dY, d2Y);
    });
}

double Sumtrix::Interpolate_CubicSpline_ChapraAndCanale2(const BoundedArray<double>& XArray,
                                                         const BoundedArray<double>& YArray, std::int32_t n,
                                                         double x, InOut<double> dY, InOut<double> d2Y,
                                                         InOut<std::string> Msg)
{
    requireTable(n, 0);
    return trapSpline(Msg.get(), InterpolationFailed,
                      [&] { return chapraCanale(XArray, YArray, 1, n, x, dY, d2Y); });
}

Variant Sumtrix::Interpolate_CubicSplineBase0(const BoundedArray<double>& XArray,
                                              const BoundedArray<double>& YArray, std::int32_t n, double x,
                                              double dY1, double dYn, InOut<std::string> Msg)
{
    return splineBase(XArray, YArray, 0, checkedAdd32(n, -1), x, dY1, dYn, Msg.get());
}

Variant Sumtrix::Interpolate_CubicSplineBase1(const BoundedArray<double>& XArray,
                                              const BoundedArray<double>& YArray, std::int32_t n, double x,
                                              double dY1, double dYn, InOut<std::string> Msg)
{
    return splineBase(XArray, YArray, 1, n, x, dY1, dYn, Msg.get());
}

// The table is built once; each abscissa x(0..ubound) is then looked up by
// bisection into y(j), which the caller dimensions.
void Sumtrix::Interpolate_CubicSplineBase0Matrix(const BoundedArray<double>& XArray,
                                                 const BoundedArray<double>& YArray, std::int32_t n,
                                                 const BoundedArray<double>& x, BoundedArray<double>& y, double dY1,
                                                 double dYn, InOut<std::string> Msg)
{
    const std::int32_t hi = checkedAdd32(n, -1);
    requireTable(hi, 0);
    double failed = 0.0;
    if (knotsBeyond(XArray, YArray, 0, hi, Msg.get(), 0.0, failed))
        return;
    trapSpline(Msg.get(), 0.0, [&] {
        const BoundedArray<double> y2 = splineTable(XArray, YArray, 0, hi, dY1, dYn);
        const std::int32_t last = x.ubound();
        for (std::int32_t j = 0; j <= last; ++j)
            y(j) = splineAt(XArray, YArray, y2, 0, hi, x(j));
        return 0.0;
    });
}

} // namespace SumtrixLib
