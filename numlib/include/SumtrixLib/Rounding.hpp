#pragma once
// Zero within rounding: whether quantities that are zero, or equal to each
// other, in exact arithmetic are so within the rounding of the values they
// are computed from. One rule for every such decision of the library and
// of the program that uses it: the residual of a point on a fitted line,
// the spread of a set of values (a variance, a sum of squares about a mean
// or about a line), the difference of an estimate from the value a test
// puts to it.
//
// The rule. Every value that was read or typed is the double nearest to
// its decimal, within u |value| of it (u = eps / 2, the unit roundoff), and
// every addition, subtraction or product adds at most u times the
// magnitude of its result. A quantity formed from the data in k such steps
// (a difference x - y, a residual y - b x, a ratio) is therefore within
// k u T of its value in exact arithmetic, where T is the sum of the
// magnitudes of the terms it is formed from (|x| + |y|, |y| + |b x|). No
// quantity judged here takes more than eight steps, so
//     roundingOf(T) = 16 eps T = 32 u T
// bounds their rounding with a margin of four.
//
// A spread is judged on its values, never on its sum of squares. A sum of
// n terms formed one after the other carries up to (n - 1) u times the sum
// of their magnitudes: the plain two-pass sum of squares of n equal values
// about a mean that rounding put d away from them is n d^2 (6e-29 for
// twenty values 5.6), and a bound on such sums would have to grow with n
// (d can reach n u max|value|), which would call real spreads of large
// samples zero. Values v_1 .. v_n, each known within e_i of its exact
// value, are instead one value within rounding when a single number lies
// within e_i of every one of them,
//     max_i (v_i - e_i) <= min_i (v_i + e_i),
// and then their spread about any mean is zero within rounding however it
// is summed. The test needs no mean and no sum, so it is the same for ten
// values and for a million.
//
// What stays a spread: values of size M that spread by s are one value
// only when s <= 2 roundingOf(M), about 7e-15 M. Real data spread by far
// more: values near 1e-13 that spread by 1e-15 (1e-2 of their size),
// values near 1e9 that spread by 1e-3 (1e-12), any data written with fewer
// than fourteen significant digits.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "SumtrixLib/BoundedArray.hpp"

namespace SumtrixLib {

// 16 eps T: the most that rounding leaves of a quantity that is 0 in exact
// arithmetic, formed in a few steps from terms whose magnitudes add up to T.
inline double roundingOf(double terms)
{
    return 16.0 * std::numeric_limits<double>::epsilon() * terms;
}

// Whether `value`, formed from terms whose magnitudes add up to `terms`, is
// zero within rounding.
inline bool zeroWithinRounding(double value, double terms)
{
    return std::fabs(value) <= roundingOf(terms);
}

// The numbers within rounding of every value of a set: [low, high], empty
// when there is none (the values are not one value within rounding).
struct RoundingInterval {
    double low = -std::numeric_limits<double>::infinity();
    double high = std::numeric_limits<double>::infinity();

    // Keeps the numbers within `bound` of `value`. A value or bound that is
    // not finite (a difference beyond the double range) leaves none: it is
    // no evidence of a zero spread.
    void add(double value, double bound)
    {
        if (!std::isfinite(value) || !std::isfinite(bound)) {
            low = std::numeric_limits<double>::infinity();
            high = -low;
            return;
        }
        low = std::max(low, value - bound);
        high = std::min(high, value + bound);
    }
    bool empty() const { return !(low <= high); }
    bool holds(double v) const { return low <= v && v <= high; }
};

// The values value(1..n), each formed from terms whose magnitudes add up to
// terms(i): the numbers within roundingOf(terms(i)) of each. They are one
// value within rounding (their spread is zero) when the interval is not
// empty, and that value is zero within rounding when it holds 0.
template <class Value, class Terms>
RoundingInterval commonValue(std::int64_t n, Value value, Terms terms)
{
    RoundingInterval r;
    for (std::int64_t i = 1; i <= n && !r.empty(); ++i)
        r.add(value(i), roundingOf(terms(i)));
    return r;
}

// Whether the values v(1..n) as read (a column of data) are one value
// within their rounding: equal values always are.
inline bool oneValueWithinRounding(const BoundedArray<double>& v, std::int64_t n)
{
    const auto at = [&v](std::int64_t i) { return v(static_cast<std::int32_t>(i)); };
    return !commonValue(n, at, [&](std::int64_t i) { return std::fabs(at(i)); }).empty();
}

namespace detail {

// Neumaier's compensated sum: within about 2 u of the exact sum of its
// terms, however many there are.
class CompensatedSum {
public:
    void add(double v)
    {
        const double t = m_sum + v;
        m_correction += std::fabs(m_sum) >= std::fabs(v) ? (m_sum - t) + v : (v - t) + m_sum;
        m_sum = t;
    }
    double value() const { return m_sum + m_correction; }

private:
    double m_sum = 0.0, m_correction = 0.0;
};

} // namespace detail

// The straight line of y on x through points whose coordinates carry
// rounding, and whether the points lie on it within that rounding.
//
// The slope is the least-squares slope b = Sxy / Sxx, its sums formed about
// the means with compensated sums (so that they carry no rounding that
// grows with n). Moving x_j by dx'_j and y_j by dy'_j moves b, to first
// order, by
//     sum_j (dx_j dy'_j + (dy_j - 2 b dx_j) dx'_j) / Sxx
// (dx_j, dy_j the deviations from the means; the means' own moves drop out
// since the deviations sum to 0), so the rounding of the coordinates,
// ex_j = roundingOf(tx_j) and ey_j = roundingOf(ty_j), moves it by at most
//     slopeRounding = sum_j (|dx_j| ey_j + |dy_j - 2 b dx_j| ex_j) / Sxx,
// to which the rounding of b itself, roundingOf(|b|), is added. Points on a
// line y = alpha + beta x in exact arithmetic give values y_i - b x_i =
// alpha + (beta - b) mean(x) + (beta - b) dx_i + r_i, with |r_i| <= ey_i +
// |b| ex_i: they are one value within e_i = ey_i + |b| ex_i + slopeRounding
// |dx_i|, and that is the test. The common value is the intercept moved by
// (beta - b) mean(x), which allowsIntercept() takes into account.
struct LineWithinRounding {
    bool vertical = false;   // the x are one value within rounding: no line of y on x
    bool exact = false;      // every point lies on the line within its rounding
    double slope = std::numeric_limits<double>::quiet_NaN();
    double slopeRounding = std::numeric_limits<double>::quiet_NaN();
    double meanX = std::numeric_limits<double>::quiet_NaN();
    RoundingInterval values;   // the numbers within e_i of every y_i - slope x_i

    // Whether the points lie on an exact line of slope b (within the
    // slope's rounding).
    bool allowsSlope(double b) const
    {
        return exact && std::fabs(slope - b) <= slopeRounding + roundingOf(std::fabs(b));
    }
    // Whether the points lie on an exact line of intercept a.
    bool allowsIntercept(double a) const
    {
        if (!exact)
            return false;
        const double widen = slopeRounding * std::fabs(meanX) + roundingOf(std::fabs(a));
        return values.low - widen <= a && a <= values.high + widen;
    }
};

// The line through (x(i), y(i)), i = 1..n, whose coordinates are formed
// from terms of magnitudes tx(i) and ty(i) (|x| and |y| for data as read).
template <class X, class Y, class TX, class TY>
LineWithinRounding lineWithinRounding(std::int64_t n, X x, Y y, TX tx, TY ty)
{
    LineWithinRounding line;
    line.vertical = !commonValue(n, x, tx).empty();
    if (line.vertical || n < 2)
        return line;
    detail::CompensatedSum sx, sy;
    for (std::int64_t i = 1; i <= n; ++i) {
        sx.add(x(i));
        sy.add(y(i));
    }
    const double meanX = sx.value() / static_cast<double>(n);
    const double meanY = sy.value() / static_cast<double>(n);
    detail::CompensatedSum sxx, sxy;
    for (std::int64_t i = 1; i <= n; ++i) {
        const double dx = x(i) - meanX, dy = y(i) - meanY;
        sxx.add(dx * dx);
        sxy.add(dx * dy);
    }
    const double Sxx = sxx.value();
    const double b = sxy.value() / Sxx;
    if (!(Sxx > 0.0) || !std::isfinite(Sxx) || !std::isfinite(b))
        return line;
    double moves = 0.0;
    for (std::int64_t i = 1; i <= n; ++i) {
        const double dx = x(i) - meanX, dy = y(i) - meanY;
        moves += std::fabs(dx) * roundingOf(ty(i)) + std::fabs(dy - 2.0 * b * dx) * roundingOf(tx(i));
    }
    line.slope = b;
    line.meanX = meanX;
    line.slopeRounding = moves / Sxx + roundingOf(std::fabs(b));
    for (std::int64_t i = 1; i <= n && !line.values.empty(); ++i) {
        const double bound =
            roundingOf(ty(i)) + std::fabs(b) * roundingOf(tx(i)) + line.slopeRounding * std::fabs(x(i) - meanX);
        line.values.add(y(i) - b * x(i), bound);
    }
    line.exact = !line.values.empty();
    return line;
}

// The line of y(1..n) on x(1..n), data as read.
inline LineWithinRounding lineWithinRounding(const BoundedArray<double>& x, const BoundedArray<double>& y,
                                             std::int64_t n)
{
    const auto at = [](const BoundedArray<double>& a) {
        return [&a](std::int64_t i) { return a(static_cast<std::int32_t>(i)); };
    };
    const auto size = [](const BoundedArray<double>& a) {
        return [&a](std::int64_t i) { return std::fabs(a(static_cast<std::int32_t>(i))); };
    };
    return lineWithinRounding(n, at(x), at(y), size(x), size(y));
}

// The outcome of a test whose spread is zero within rounding: the data
// decide it. A difference (of a mean from the value tested, of an
// estimate, of two variances) that is not zero within rounding is certain:
// the statistic is infinite with the difference's sign and P is 0. One that
// is zero within rounding leaves 0 / 0: no statistic and no P (NaN).
struct DecidedTest {
    double statistic = std::numeric_limits<double>::quiet_NaN();
    double P = std::numeric_limits<double>::quiet_NaN();
};
inline DecidedTest testWithoutSpread(double difference, bool differenceIsZero)
{
    DecidedTest t;
    if (!differenceIsZero && !std::isnan(difference)) {
        t.statistic = std::copysign(std::numeric_limits<double>::infinity(), difference);
        t.P = 0.0;
    }
    return t;
}

} // namespace SumtrixLib
