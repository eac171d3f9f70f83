// Student t distribution and the DCDFLIB routines behind its quantile.
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using namespace SumtrixLib::test_support;

namespace {
#include "reference/student_t_cases.inc"

} // namespace

// AS 3 against R's pt for whole degrees of freedom. Even df: the finite
// series, exact to rounding (1e-13 after up to 2,500 terms). Odd df: the
// arctangent term is scaled by 0.3183098862, 1/pi to ten digits as
// published, which is 5.8e-11 too small relatively: up to 3e-11 in the
// probability (6e-11 two-sided).
TEST(Probst, MatchesPt)
{
    Sumtrix s;
    for (const ProbstCase& c : kProbstCases) {
        const bool odd = std::fmod(c.df, 2.0) == 1.0;
        const double tol = odd ? 3e-11 : 1e-13;
        double t = c.t;
        double fault = -7;
        EXPECT_NEAR(s.STAT_PROBST(t, c.df, fault), c.lower, tol) << c.t << " df " << c.df;
        EXPECT_EQ(fault, 0);
        t = c.t;
        EXPECT_NEAR(s.STAT_PROBST(t, c.df, {}, true), c.twoTails, 2 * tol) << c.t << " df " << c.df;
    }
}

// From 1e7 degrees of freedom on, where the series would need df/2 terms
// (and never ends from 2^53 on), against the incomplete beta function in R:
// within 2e-15 everywhere, while the plain normal limit is off by more than
// 1e-8 at the smallest of these df.
TEST(Probst, LargeDegreesOfFreedomEndAndMatchTheIncompleteBeta)
{
    Sumtrix s;
    double worstNormal = 0;
    for (const ProbstLargeDfCase& c : kProbstLargeDfCases) {
        double t = -c.t;
        double fault = -7;
        EXPECT_NEAR(s.STAT_PROBST(t, c.df, fault), c.lower, 2e-15) << c.t << " df " << c.df;
        EXPECT_EQ(fault, 0);
        EXPECT_EQ(t, c.t);
        EXPECT_NEAR(s.STAT_PROBST(t, c.df, {}, true), c.twoTails, 4e-15) << c.t << " df " << c.df;
        if (c.df == 1e7)
            worstNormal = std::max(worstNormal, std::fabs(c.normal - c.lower));
        // Far beyond, the result is the normal limit itself.
        for (double df : {1e300, std::numeric_limits<double>::max()}) {
            t = c.t;
            EXPECT_NEAR(s.STAT_PROBST(t, df), c.normal, 2e-16) << c.t << " df " << df;
        }
    }
    EXPECT_GT(worstNormal, 1e-8);
}

TEST(Probst, WorkedExamplesAndWriteBack)
{
    Sumtrix s;
    double t = 2.228;
    EXPECT_NEAR(s.STAT_PROBST(t, 10), 0.974994, 5e-7);
    t = 2.228;
    EXPECT_NEAR(s.STAT_PROBST(t, 10, {}, true), 0.949988, 5e-7);
    t = 12.706;
    EXPECT_NEAR(s.STAT_PROBST(t, 1), 0.975, 5e-6);
    t = 0;
    EXPECT_EQ(s.STAT_PROBST(t, 5), 0.5);
    t = -1.5;
    EXPECT_NEAR(s.STAT_PROBST(t, 4), 0.896, 5e-4);
    EXPECT_EQ(t, 1.5) << "the caller's t becomes |t|";
}

TEST(Probst, DegreesBelowOneAndFractionalDegrees)
{
    Sumtrix s;
    double t = 2;
    double fault = 0;
    EXPECT_EQ(s.STAT_PROBST(t, 0.5, fault, true), 0) << "TwoTails is not applied";
    EXPECT_EQ(fault, 1);
    // Whole degrees of freedom only: df = 2.5 rounds to the even 2 and
    // runs no series term, giving 0.5 + 0.5 a sqrt(b) with a = t/sqrt(df)
    // and b = df/(df + t^2).
    t = 1.2;
    const double a = 1.2 / std::sqrt(2.5), b = 2.5 / (2.5 + 1.44);
    EXPECT_DOUBLE_EQ(s.STAT_PROBST(t, 2.5), 0.5 + 0.5 * a * std::sqrt(b));
}

TEST(MachineConstants, SpmparAndIpmpar)
{
    Sumtrix s;
    EXPECT_EQ(s.STAT_SPMPAR(1), std::numeric_limits<double>::epsilon());
    EXPECT_EQ(s.STAT_SPMPAR(0), std::numeric_limits<double>::epsilon());
    EXPECT_EQ(s.STAT_SPMPAR(2), std::numeric_limits<double>::min());
    EXPECT_EQ(s.STAT_SPMPAR(3), std::numeric_limits<double>::max());
    EXPECT_EQ(s.STAT_SPMPAR(4), 1E-99);
    const double table[] = {0, 2, 31, 2147483647, 2, 24, -125, 128, 53, -1021, 1024};
    for (std::int16_t i = 0; i <= 10; ++i)
        EXPECT_EQ(s.STAT_IPMPAR(i), table[i]);
    EXPECT_EQ(errorOf([&] { s.STAT_IPMPAR(11); }), ErrSubscript);
    EXPECT_EQ(errorOf([&] { s.STAT_IPMPAR(-1); }), ErrSubscript);
}

TEST(Devlpl, HornerFromElementOne)
{
    Sumtrix s;
    // element 0 holds a value that must not be read
    const BoundedArray<double> a(0, {1000, 3, -2, 0.5});
    EXPECT_EQ(s.STAT_DEVLPL(a, 3, 2), 3 - 4 + 2);
    EXPECT_EQ(s.STAT_DEVLPL(a, 1, 5), 3);
    EXPECT_EQ(errorOf([&] { s.STAT_DEVLPL(a, 4, 1); }), ErrSubscript);
}

// The Kennedy-Gentle start value: within 1.5e-8 of the normal quantile
// for 1e-20 <= P <= 1 - 1e-9 (its published accuracy).
TEST(Stvaln, StartValueNearQuantile)
{
    Sumtrix s;
    for (const QuantileCase& c : kQuantileCases) {
        if (c.p < 1e-20)
            continue;
        EXPECT_NEAR(s.STAT_STVALN(c.p), c.z, 1.5e-8 * std::max(1.0, std::fabs(c.z))) << c.p;
    }
    EXPECT_EQ(errorOf([&] { s.STAT_STVALN(0); }), ErrInvalidCall);
    EXPECT_EQ(errorOf([&] { s.STAT_STVALN(1); }), ErrInvalidCall);
}

// Cody's rational approximations are good to about 1e-16 relatively; here
// every decimal Horner step takes its double operands at 15 significant
// digits (the conversion of the decimal type), which leaves about 1e-14 of
// the value, plus the rounding of 1 - tail on the side near 1.
TEST(Cumnor, MatchesPnorm)
{
    Sumtrix s;
    for (const NormalCase& c : kCumnorCases) {
        double lower = -7, upper = -7;
        s.STAT_CUMNOR(c.x, lower, upper);
        EXPECT_NEAR(lower, c.lower, 1e-14 * c.lower + 2.3e-16) << c.x;
        EXPECT_NEAR(upper, c.upper, 1e-14 * c.upper + 2.3e-16) << c.x;
    }
    double lower = -7, upper = -7;
    s.STAT_CUMNOR(0, lower, upper);
    EXPECT_EQ(lower, 0.5);
    EXPECT_EQ(upper, 0.5);
    s.STAT_CUMNOR(40, lower, upper);
    EXPECT_EQ(lower, 1);
    EXPECT_EQ(upper, 0);
    s.STAT_CUMNOR(-40, lower, upper);
    EXPECT_EQ(lower, 0) << "below the smallest normal double: 0";
    EXPECT_EQ(upper, 1);
}

// Newton's method stops once a step is below 1e-13 of the iterate. In the
// far tail the step is formed in the decimal type, whose 28 decimal places
// turn a residual cum - P below 5e-29 into a step of 0: the quantile is then
// found to 5e-29 over the density there (4e-10 at P = 1e-20).
TEST(Dinvnr, MatchesQnorm)
{
    Sumtrix s;
    for (const QuantileCase& c : kQuantileCases) {
        if (c.p < 1e-20)
            continue;
        const double density = std::exp(-c.z * c.z / 2) / std::sqrt(2 * M_PI);
        const double tol = std::max(1e-13 * std::fabs(c.z), 5e-29 / density) + 1e-16;
        EXPECT_NEAR(std::get<double>(s.STAT_DINVNR(c.p, 1 - c.p)), c.z, tol) << c.p;
    }
    EXPECT_NEAR(std::get<double>(s.STAT_DINVNR(0.975, 0.025)), 1.959963984540054, 1e-13);
    EXPECT_NEAR(std::get<double>(s.STAT_DINVNR(0.025, 0.975)), -1.959963984540054, 1e-13);
}

TEST(Dinvnr, LimitsOfTheDecimalTypeAndOfTheLogarithm)
{
    Sumtrix s;
    // at 1e-300 the density is below the decimal type's smallest unit: the
    // step divides by a decimal 0
    EXPECT_EQ(errorOf([&] { s.STAT_DINVNR(1e-300, 1); }), ErrDivisionByZero);
    // P = 0 or 1: the start value takes the logarithm of 0
    double P = 1;
    EXPECT_EQ(errorOf([&] { s.STAT_TINV(P, 10); }), ErrInvalidCall);
    P = 0;
    EXPECT_EQ(errorOf([&] { s.STAT_TINV(P, 10); }), ErrInvalidCall);
}

// The expansion against the same four terms written out in R from qnorm
// (1e-13: the normal quantile's own tolerance), and its distance from the
// exact quantile qt, which the expansion keeps on purpose: relative
// distance up to 0.37 at 1 df, 0.042 at 2, 0.008 at 3, 8e-4 at 5, 3e-5 at
// 10, 1.3e-7 at 30 and 1.4e-10 at 120, for P from 0.005 to 0.995.
TEST(Tinv, FourTermExpansion)
{
    Sumtrix s;
    struct Distance { double df, bound; };
    const Distance distances[] = {{1, 0.37}, {2, 0.042}, {3, 0.008}, {5, 8e-4}, {10, 3e-5}, {30, 1.3e-7}, {120, 1.4e-10}};
    for (const TinvCase& c : kTinvCases) {
        double P = c.P;
        const double t = s.STAT_TINV(P, c.df);
        EXPECT_EQ(P, c.P);
        EXPECT_NEAR(t, c.expansion, 1e-13 * std::fabs(c.expansion)) << c.P << " df " << c.df;
        for (const Distance& d : distances) {
            if (d.df == c.df) {
                EXPECT_NEAR(t, c.exact, d.bound * std::fabs(c.exact)) << c.P << " df " << c.df;
            }
        }
    }
}

TEST(Tinv, PercentagesTailsAndSigns)
{
    Sumtrix s;
    double P = 0.975;
    EXPECT_NEAR(s.STAT_TINV(P, 10), 2.228131, 5e-7);
    P = 5;
    EXPECT_NEAR(s.STAT_TINV(P, 10, true), -2.228131, 5e-7);
    EXPECT_EQ(P, 0.025) << "percentage and halving written back";
    P = 5;
    EXPECT_NEAR(s.STAT_TINV(P, 10, true, true), 2.228131, 5e-7);
    P = 0.05;
    EXPECT_NEAR(s.STAT_TINV(P, 10, true), -2.228131, 5e-7);
    EXPECT_EQ(P, 0.025);
    P = 0.975;
    EXPECT_NEAR(s.STAT_TINV(P, 1), 11.30, 5e-3);
}
