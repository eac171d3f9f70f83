// Polynomial interpolation: the value at x of the polynomial of degree
// n - 1 through n points, in the Lagrange, barycentric and Newton forms.
// The Base0 methods read the points at indexes 0..n-1, the Base1 methods at
// 1..n. A run-time error inside the trap leaves Msg naming the family, the
// error's number and description, and the result -1E-99; a successful call
// leaves Msg as it was.
#include <limits>
#include <string>

#include "SumtrixLib/Sumtrix.hpp"
#include "fault_watch.hpp"
#include "trap_text.hpp"

namespace SumtrixLib {

namespace {

template <class Body>
double trapInterpolation(const char* family, std::string& Msg, Body&& body)
{
    return trapWithMessage(Msg, InterpolationFailed, std::forward<Body>(body),
                           [family](const RuntimeError& e) { return interpolationErrorText(family, e); });
}

// Points first..last.
double lagrange(const BoundedArray<double>& X, const BoundedArray<double>& Y, std::int32_t first,
                std::int32_t last, double x, std::string& Msg)
{
    return trapInterpolation("InterpolateLagrange", Msg, [&] {
        double s = 0.0;
        for (std::int32_t i = first; i <= last; ++i) {
            double t = Y(i);
            for (std::int32_t k = first; k <= last; ++k) {
                if (k == i)
                    continue;
                t = checkedDiv(checkedMul(t, checkedSub(x, X(k))), checkedSub(X(i), X(k)));
            }
            s = checkedAdd(s, t);
        }
        return s;
    });
}

// A call whose points go beyond an array fails inside the trap on the first
// point it cannot read; that happens here before the work array is made,
// so a count far beyond the data never sizes one.
bool readsBeyond(const BoundedArray<double>& a, std::int32_t first, std::int32_t last)
{
    return last >= first && !covers(a, first, last);
}

double subscriptFailure(const char* family, std::string& Msg)
{
    return trapInterpolation(family, Msg, []() -> double { raiseError(ErrSubscript); });
}

// The last point of a Base0 call: n - 1, which overflows for n = -2^31.
std::int32_t lastOfBase0(std::int32_t n)
{
    return checkedAdd32(n, -1);
}

// The second (true) barycentric formula with weights 1 / prod (X(i) - X(j)).
// At a node the node's value is returned exactly.
double barycentric(const BoundedArray<double>& X, const BoundedArray<double>& Y, std::int32_t first,
                   std::int32_t last, double x, std::string& Msg)
{
    // The weights read every X first.
    if (readsBeyond(X, first, last))
        return subscriptFailure("InterpolateBarycentric", Msg);
    BoundedArray<double> w(0, last);
    return trapInterpolation("InterpolateBarycentric", Msg, [&] {
        for (std::int32_t i = first; i <= last; ++i) {
            double p = 1.0;
            for (std::int32_t j = first; j <= last; ++j)
                if (j != i)
                    p = checkedMul(checkedSub(X(i), X(j)), p);
            w(i) = checkedDiv(1.0, p);
        }
        double num = 0.0, den = 0.0;
        for (std::int32_t i = first; i <= last; ++i) {
            if (x == X(i)) {
                num = Y(i);
                den = 1.0;
                break;
            }
            const double t = checkedDiv(w(i), checkedSub(x, X(i)));
            num = checkedAdd(checkedMul(t, Y(i)), num);
            den = checkedAdd(t, den);
        }
        return checkedDiv(num, den);
    });
}

// Divided differences in place, then nested multiplication. With
// Equidistant the nodes are X(first) + k h, h = X(first + 1) - X(first),
// and no other X is read.
double newton(const BoundedArray<double>& X, const BoundedArray<double>& Y, std::int32_t first,
              std::int32_t last, double x, bool Equidistant, std::string& Msg)
{
    const double x0 = X(first);
    const double h = checkedSub(X(first + 1), X(first));
    // The table is filled from every Y first.
    if (readsBeyond(Y, first, last))
        return subscriptFailure("InterpolateNewton", Msg);
    BoundedArray<double> d(0, last);
    return trapInterpolation("InterpolateNewton", Msg, [&] {
        const std::int32_t n = last - first + 1;
        for (std::int32_t k = first; k <= last; ++k)
            d(k) = Y(k);
        for (std::int32_t m = 1; m <= n - 1; ++m)
            for (std::int32_t j = last; j >= first + m; --j) {
                const double D = Equidistant ? checkedMul(-h, m) : checkedSub(X(j - m), X(j));
                d(j) = checkedDiv(checkedSub(d(j - 1), d(j)), D);
            }
        double p = d(last);
        for (std::int32_t k = last - 1; k >= first; --k) {
            const double node = Equidistant ? checkedAdd(checkedMul(k - first, h), x0) : X(k);
            p = checkedAdd(checkedMul(checkedSub(x, node), p), d(k));
        }
        return p;
    });
}

// The work array of the barycentric and Newton forms runs from 0 to the
// last point; a count that leaves no such array fails the call itself.
void requireWorkArray(std::int32_t last)
{
    if (last < 0)
        raiseError(ErrSubscript);
}

} // namespace

double Sumtrix::Interpolate_LagrangeBase0(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                                          std::int32_t n, double x, std::string& Msg)
{
    // The whole method runs in its trap, n - 1 included.
    if (n == std::numeric_limits<std::int32_t>::min())
        return trapInterpolation("InterpolateLagrange", Msg, [n]() -> double { return lastOfBase0(n); });
    return lagrange(XArray, YArray, 0, n - 1, x, Msg);
}

double Sumtrix::Interpolate_LagrangeBase1(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                                          std::int32_t n, double x, std::string& Msg)
{
    return lagrange(XArray, YArray, 1, n, x, Msg);
}

double Sumtrix::Interpolate_BarycentricBase0(const BoundedArray<double>& XArray,
                                             const BoundedArray<double>& YArray, std::int32_t n, double x,
                                             std::string& Msg)
{
    const std::int32_t last = lastOfBase0(n);
    requireWorkArray(last);
    return barycentric(XArray, YArray, 0, last, x, Msg);
}

double Sumtrix::Interpolate_BarycentricBase1(const BoundedArray<double>& XArray,
                                             const BoundedArray<double>& YArray, std::int32_t n, double x,
                                             std::string& Msg)
{
    requireWorkArray(n);
    return barycentric(XArray, YArray, 1, n, x, Msg);
}

double Sumtrix::Interpolate_NewtonBase0(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                                        std::int32_t n, double x, bool Equidistant, std::string& Msg)
{
    const std::int32_t last = lastOfBase0(n);
    requireWorkArray(last);
    return newton(XArray, YArray, 0, last, x, Equidistant, Msg);
}

double Sumtrix::Interpolate_NewtonBase1(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                                        std::int32_t n, double x, bool Equidistant, std::string& Msg)
{
    requireWorkArray(n);
    return newton(XArray, YArray, 1, n, x, Equidistant, Msg);
}

} // namespace SumtrixLib
