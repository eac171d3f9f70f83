// The studentized range distribution (AS 190).
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using namespace SumtrixLib::test_support;

namespace {
#include "reference/studentized_range_cases.inc"

// AS 190 cuts its sums where a term falls below 3E-5 (inner) or 1E-4
// (outer), and its inner sum over the error's scale at 15 nodes each side:
// measured against the reference it runs low by up to 4e-4 from 2 df on
// and at 1 df, whose scale spreads beyond the 15 nodes, by up to 2.1e-3
// (20 means). Above 120 df the sums are cut at 3E-7 and 1E-6: measured,
// up to 2.5e-6 low (20 means; 1e-5 at 100 means).
double prtrngTolerance(double v)
{
    if (v > 120)
        return 5e-6;
    return v < 2 ? 2.5e-3 : 5e-4;
}

// The probability of q read off the case's grid q0 (0.9 + 0.005 k).
double probabilityOn(const QtukeyCase& c, double q)
{
    const double t = (q / c.q0 - 0.9) / 0.005;
    const auto k = static_cast<int>(std::floor(t));
    if (k < 0 || k >= 40)
        return std::numeric_limits<double>::quiet_NaN();
    return c.grid[k] + (t - k) * (c.grid[k + 1] - c.grid[k]);
}

} // namespace

TEST(StudentizedRange, ProbabilityMatchesReference)
{
    Sumtrix s;
    for (const PtukeyCase& c : kPtukeyCases) {
        double fault = -7;
        EXPECT_NEAR(s.STAT_PRTRNG(c.q, c.v, c.r, fault), c.p, prtrngTolerance(c.v))
            << "q " << c.q << " v " << c.v << " r " << c.r;
        EXPECT_EQ(fault, 0);
    }
}

// Beyond 120 degrees of freedom the scale is integrated too: within 1e-4
// of R's ptukey at 121 to 10,000 df (2 to 100 means; measured 1e-5), where
// the infinite-df term alone was 3e-4 off at 121 df. ptukey(4.5, 20, 119)
// = 0.83475 and ptukey(4.5, 20, 121) = 0.83505 lie close together.
TEST(StudentizedRange, ProbabilityAbove120DfMatchesPtukey)
{
    Sumtrix s;
    for (const PtukeyRCase& c : kPtukeyRCases) {
        double fault = -7;
        EXPECT_NEAR(s.STAT_PRTRNG(c.q, c.v, c.r, fault), c.ptukey, 1e-4)
            << "q " << c.q << " v " << c.v << " r " << c.r;
        EXPECT_EQ(fault, 0);
    }
    double fault = -7;
    const double below = s.STAT_PRTRNG(4.5, 119, 20, fault);
    const double above = s.STAT_PRTRNG(4.5, 121, 20, fault);
    EXPECT_NEAR(below, 0.83475, 2e-4);   // AS 190's own error below 120 df
    EXPECT_NEAR(above, 0.83505, 1e-5);
    EXPECT_GT(above, below);
    // From 1E8 df on the infinite-df term: within 1e-6 of the integral.
    EXPECT_NEAR(s.STAT_PRTRNG(4.5, 1e8, 20, fault), s.STAT_PRTRNG(4.5, 1.0001e8, 20, fault), 1e-6);
    EXPECT_NEAR(s.STAT_PRTRNG(4.5, 1e300, 20, fault), s.STAT_PRTRNG(4.5, 1e8, 20, fault), 1e-6);
}

// The search stops once the better point's probability is within 0.005 of
// P and returns the secant step after it; with AS 190's own error the
// quantile's true probability is within 1.2e-3 of P here.
TEST(StudentizedRange, QuantileHasTheAskedProbability)
{
    Sumtrix s;
    for (const QtukeyCase& c : kQtukeyCases) {
        double fault = -7;
        const double q = s.STAT_QTRNG(c.p, c.v, c.r, fault);
        EXPECT_EQ(fault, 0);
        EXPECT_NEAR(probabilityOn(c, q), c.p, 1.2e-3) << "p " << c.p << " v " << c.v << " r " << c.r << ": " << q;
    }
    // Without the second point's probability mixed into the first one's,
    // 20 means at 120 df no longer stop at the starting value 5.1967
    // (probability 0.957).
    double fault = -7;
    EXPECT_NEAR(s.STAT_QTRNG(0.95, 120, 20, fault), 5.126, 0.01);
}

TEST(StudentizedRange, WorkedExamples)
{
    Sumtrix s;
    double fault = -7;
    // 3.877 is the tabulated 5 % point for three means and ten df.
    EXPECT_NEAR(s.STAT_PRTRNG(3.877, 10, 3, fault), 0.9499, 1e-4);
    // At 200 df: R's ptukey(3.314, 3, 200) = 0.947737 (the infinite-df
    // term alone gave 0.9499).
    EXPECT_NEAR(s.STAT_PRTRNG(3.314, 200, 3, fault), 0.947737, 1e-5);
    // The starting value of 0.95, 10 df, 3 means is already within 0.001.
    const double q0 = s.STAT_QTRNG0(0.95, 10, 3, fault);
    EXPECT_EQ(s.STAT_QTRNG(0.95, 10, 3, fault), q0);
    EXPECT_NEAR(q0, 3.881, 5e-4);
    // From 120 df on the starting value leaves out both 1/V corrections.
    const double t = s.STAT_InvNorm(0.975);
    EXPECT_DOUBLE_EQ(s.STAT_QTRNG0(0.95, 120, 5, fault), t * ((0.8843 - 0.2368 * t) * std::log(4.0) + 1.4142));
    EXPECT_EQ(s.STAT_QTRNG0(0.95, 120, 5, fault), s.STAT_QTRNG0(0.95, 5000, 5, fault));
    EXPECT_NE(s.STAT_QTRNG0(0.95, 119, 5, fault), s.STAT_QTRNG0(0.95, 120, 5, fault));
}

TEST(StudentizedRange, FaultsAndBadInput)
{
    Sumtrix s;
    struct Case {
        const char* what;
        std::function<double(double&)> call;
        double fault;
    };
    const Case cases[] = {
        {"P(Q <= 0)", [&](double& f) { return s.STAT_PRTRNG(0, 10, 3, f); }, 0},
        {"P(Q <= -1)", [&](double& f) { return s.STAT_PRTRNG(-1, 10, 3, f); }, 0},
        {"V below 1", [&](double& f) { return s.STAT_PRTRNG(3, 0.5, 3, f); }, 1},
        {"one mean", [&](double& f) { return s.STAT_PRTRNG(3, 10, 1, f); }, 1},
        {"quantile of 0.85", [&](double& f) { return s.STAT_QTRNG(0.85, 10, 3, f); }, 2},
        {"quantile of 0.995", [&](double& f) { return s.STAT_QTRNG(0.995, 10, 3, f); }, 2},
        {"quantile with one mean", [&](double& f) { return s.STAT_QTRNG(0.95, 10, 1, f); }, 1},
        {"both: P wins", [&](double& f) { return s.STAT_QTRNG(0.5, 0, 1, f); }, 2},
    };
    for (const Case& c : cases) {
        double fault = -7;
        EXPECT_EQ(c.call(fault), 0) << c.what;
        EXPECT_EQ(fault, c.fault) << c.what;
    }
    // The starting value checks nothing: one mean fails the logarithm,
    // V = 0 divides by zero.
    double fault = 0;
    EXPECT_EQ(errorOf([&] { s.STAT_QTRNG0(0.95, 10, 1, fault); }), ErrInvalidCall);
    EXPECT_NE(errorOf([&] { s.STAT_QTRNG0(0.95, 0, 3, fault); }), 0);
}
