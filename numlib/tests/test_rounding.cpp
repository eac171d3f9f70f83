// Zero within rounding: values that are one value, or lie on one line, in
// exact arithmetic are so within the rounding of their decimals; small but
// real spreads stay spreads, for ten values as for a hundred thousand.
//
// The data are decimals turned into doubles as a file's are (the nearest
// double, strtod). Whether they are one value or on one line in exact
// arithmetic is known from how they are written: 5.60 twenty times is one
// value, y + 1.00 written with two decimals lies on the line of slope 1
// (R confirms the whole-number twins: var(rep(560, 20)) is 0, cor() of a
// constant column is NA, tools/oracles/zero_spreads.R).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Rounding.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using namespace SumtrixLib::test_support;

namespace {

// Twenty observations with two decimals, as a user types them.
const std::vector<double> kObserved = {5.27, 4.06, 7.56, 3.51, 6.75, 5.56, 3.41, 6.55, 3.26, 6.04,
                                       3.49, 3.63, 5.97, 8.79, 3.87, 4.56, 7.39, 9.63, 7.04, 5.78};

// v written with `decimals` decimals and read back.
double decimal(double v, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return std::strtod(text, nullptr);
}

std::vector<double> column(std::size_t n, const std::function<double(std::size_t)>& value)
{
    std::vector<double> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = value(i);
    return v;
}

// A spread of about `spread` around `level`, written with enough decimals.
std::vector<double> spreadAround(std::size_t n, double level, double spread, int decimals)
{
    return column(n, [&](std::size_t i) { return decimal(level + spread * kObserved[i % 20], decimals); });
}

LineWithinRounding lineOf(const std::vector<double>& x, const std::vector<double>& y)
{
    const BoundedArray<double> bx = base1(x), by = base1(y);
    return lineWithinRounding(bx, by, static_cast<std::int64_t>(x.size()));
}

} // namespace

TEST(Rounding, OneValueWithinRounding)
{
    struct Case {
        const char* what;
        std::vector<double> values;
        bool oneValue;
    };
    const double fiveSix = decimal(5.6, 2);
    const Case cases[] = {
        {"twenty values 5.60", std::vector<double>(20, fiveSix), true},
        {"twenty values 4", std::vector<double>(20, 4.0), true},
        {"100,000 values 0.1", std::vector<double>(100000, 0.1), true},
        {"5.60 and its neighbouring double", {fiveSix, std::nextafter(fiveSix, 6.0), fiveSix}, true},
        {"5.60 and 5.61", {fiveSix, decimal(5.61, 2), fiveSix}, false},
        {"the observations", kObserved, false},
        // Small real spreads stay spreads, however many values there are.
        {"near 1e-13, spread 1e-15", spreadAround(20, 1e-13, 1e-16, 20), false},
        {"near 1e9, spread 1e-3", spreadAround(20, 1e9, 1e-4, 4), false},
        {"100,000 values near 1e9, spread 1e-3", spreadAround(100000, 1e9, 1e-4, 4), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(oneValueWithinRounding(base1(c.values), static_cast<std::int64_t>(c.values.size())), c.oneValue)
            << c.what;
}

TEST(Rounding, DifferencesOfDecimals)
{
    // X - Y of each row, formed from both: one value (a constant bias)
    // within the rounding of |X| + |Y|, and that value zero or not.
    struct Case {
        const char* what;
        std::function<double(double)> x, y;   // of an observation
        bool oneValue, zero;
    };
    const auto same = [](double v) { return v; };
    const Case cases[] = {
        {"X = Y + 1.00", [](double v) { return decimal(v + 1, 2); }, same, true, false},
        {"X = Y", same, same, true, true},
        {"X = Y + 0.01", [](double v) { return decimal(v + 0.01, 2); }, same, true, false},
        {"X = Y + 1.00 near 1e9", [](double v) { return decimal(1e9 + v + 1, 2); },
         [](double v) { return decimal(1e9 + v, 2); }, true, false},
        {"X = 2 Y", [](double v) { return decimal(2 * v, 2); }, same, false, false},
        // A bias of 1e-3 near 1e9 that varies by 6e-4 between the rows.
        {"X = Y + 1e-3 + 1e-4 Y near 1e9", [](double v) { return decimal(1e9 + v + 1e-3 + 1e-4 * v, 7); },
         [](double v) { return decimal(1e9 + v, 7); }, false, false},
    };
    for (const Case& c : cases) {
        const std::vector<double> x = column(20, [&](std::size_t i) { return c.x(kObserved[i]); });
        const std::vector<double> y = column(20, [&](std::size_t i) { return c.y(kObserved[i]); });
        const RoundingInterval d = commonValue(
            20, [&](std::int64_t i) { return x[i - 1] - y[i - 1]; },
            [&](std::int64_t i) { return std::fabs(x[i - 1]) + std::fabs(y[i - 1]); });
        EXPECT_EQ(!d.empty(), c.oneValue) << c.what;
        EXPECT_EQ(d.holds(0), c.zero) << c.what;
    }
}

TEST(Rounding, LinesWithinRounding)
{
    struct Case {
        const char* what;
        std::vector<double> x, y;
        bool vertical, exact;
        double slope, intercept;   // values an exact line allows (NaN: not checked)
        double notSlope, notIntercept;   // values it does not allow
    };
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double>& y = kObserved;
    const auto of = [&](const std::function<double(double)>& f) {
        return column(y.size(), [&](std::size_t i) { return f(y[i]); });
    };
    const std::vector<double> big = column(100000, [](std::size_t i) { return decimal(0.01 * double(i % 9973), 2); });
    const Case cases[] = {
        // Y on X = Y + 1.00: Y = X - 1.
        {"X = Y + 1.00", of([](double v) { return decimal(v + 1, 2); }), y, false, true, 1, -1, 0.99, 0},
        {"X = 2 Y + 1.00", of([](double v) { return decimal(2 * v + 1, 2); }), y, false, true, 0.5, -0.5, 1, 0},
        {"Y = 3.3 X through the origin", y, of([](double v) { return decimal(3.3 * v, 4); }), false, true, 3.3, 0, 1,
         0.001},
        {"constant Y 5.60", y, std::vector<double>(20, decimal(5.6, 2)), false, true, 0, 5.6, 1e-9, 5.6001},
        {"constant X 5.60", std::vector<double>(20, decimal(5.6, 2)), y, true, false, NaN, NaN, NaN, NaN},
        {"the scatter of two columns", y, of([](double v) { return decimal(std::fmod(v * 7.3, 4.1), 2); }), false,
         false, NaN, NaN, NaN, NaN},
        // Small real residuals are no line: 1e-10 about the line X - 1.
        {"Y = X - 1 + 1e-10 (-1)^i", of([](double v) { return v + 1; }),
         column(20, [&](std::size_t i) { return y[i] + (i % 2 ? 1e-10 : -1e-10); }), false, false, NaN, NaN, NaN,
         NaN},
        // Near 1e9 the rounding of the slope leaves the intercept at x = 0,
        // 1e9 away, open by some thousands.
        {"Y = X + 0.5 near 1e9", of([](double v) { return decimal(1e9 + v, 3); }),
         of([](double v) { return decimal(1e9 + v + 0.5, 3); }), false, true, 1, 0.5, 1.001, 1e5},
        {"Y = X + 0.5 near 1e9, scatter 1e-3", of([](double v) { return decimal(1e9 + v, 3); }),
         column(20, [&](std::size_t i) { return decimal(1e9 + y[i] + 0.5 + 1e-3 * (i % 3), 3); }), false, false, NaN,
         NaN, NaN, NaN},
        {"100,000 points on Y = 0.3 X + 0.7", big,
         column(big.size(), [&](std::size_t i) { return decimal(0.3 * big[i] + 0.7, 3); }), false, true, 0.3, 0.7, 0.3001,
         0.7001},
    };
    for (const Case& c : cases) {
        const LineWithinRounding line = lineOf(c.x, c.y);
        EXPECT_EQ(line.vertical, c.vertical) << c.what;
        EXPECT_EQ(line.exact, c.exact) << c.what;
        if (!std::isnan(c.slope)) {
            EXPECT_TRUE(line.allowsSlope(c.slope)) << c.what << ": slope " << line.slope;
            EXPECT_FALSE(line.allowsSlope(c.notSlope)) << c.what;
            EXPECT_TRUE(line.allowsIntercept(c.intercept)) << c.what << ": " << line.values.low;
            EXPECT_FALSE(line.allowsIntercept(c.notIntercept)) << c.what;
        }
        if (!c.exact) {
            EXPECT_FALSE(line.allowsSlope(line.slope)) << c.what;
            EXPECT_FALSE(line.allowsIntercept(0)) << c.what;
        }
    }
}

TEST(Rounding, ValuesBeyondTheDoubleRangeAreNoEvidence)
{
    // A difference that overflows, or any infinite value, says nothing of a
    // spread: the values are not one value.
    RoundingInterval r;
    r.add(1.0, 0.5);
    EXPECT_FALSE(r.empty());
    r.add(std::numeric_limits<double>::infinity(), 0.0);
    EXPECT_TRUE(r.empty());
    EXPECT_FALSE(r.holds(1.0));
    const std::vector<double> huge(5, std::numeric_limits<double>::max());
    const std::vector<double> minusHuge(5, -std::numeric_limits<double>::max());
    EXPECT_TRUE(commonValue(
                    5, [&](std::int64_t i) { return huge[i - 1] - minusHuge[i - 1]; }, [](std::int64_t) { return 1.0; })
                    .empty());
}

TEST(Rounding, TestsWithoutSpread)
{
    // A difference that is certain: t or F infinite with its sign and P 0
    // (in R, 2 * pt(-abs(d / 0), df) is 0); a difference that is zero too:
    // 0 / 0, no statistic and no P (R: NaN).
    struct Case {
        double difference;
        bool differenceIsZero;
        double statistic, P;
    };
    constexpr double Inf = std::numeric_limits<double>::infinity();
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {2.5, false, Inf, 0}, {-1, false, -Inf, 0}, {0, true, NaN, NaN}, {1e-17, true, NaN, NaN}, {NaN, false, NaN, NaN},
    };
    for (const Case& c : cases) {
        const DecidedTest t = testWithoutSpread(c.difference, c.differenceIsZero);
        if (std::isnan(c.statistic)) {
            EXPECT_TRUE(std::isnan(t.statistic) && std::isnan(t.P)) << c.difference;
        } else {
            EXPECT_EQ(t.statistic, c.statistic) << c.difference;
            EXPECT_EQ(t.P, c.P) << c.difference;
        }
    }
}

TEST(Rounding, AResidualWithinRoundingIsZero)
{
    // A value formed from terms of size T is zero within 16 eps T.
    constexpr double Eps = std::numeric_limits<double>::epsilon();
    EXPECT_TRUE(zeroWithinRounding(0.0, 0.0));
    EXPECT_TRUE(zeroWithinRounding(16 * Eps * 10, 10));
    EXPECT_FALSE(zeroWithinRounding(17 * Eps * 10, 10));
    // 8.56 - (7.56 + 1) rounds to 8.9e-16, an eps of 8.56.
    const double residual = decimal(8.56, 2) - (decimal(7.56, 2) + 1);
    EXPECT_NE(residual, 0.0);
    EXPECT_TRUE(zeroWithinRounding(residual, 8.56 + 7.56 + 1));
    EXPECT_FALSE(zeroWithinRounding(1e-12, 8.56 + 7.56 + 1));
}
