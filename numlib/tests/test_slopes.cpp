// The six symmetrical least-squares lines.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using namespace SumtrixLib::test_support;

namespace {

struct Outputs {
    BoundedArray<double> intercept{0, 6}, slope{0, 6}, sigintercept{0, 6}, sigslope{0, 6};
    explicit Outputs(double fill = 0.0)
    {
        for (int j = 0; j <= 6; ++j)
            intercept(j) = slope(j) = sigintercept(j) = sigslope(j) = fill;
    }
};

Outputs run(Sumtrix& s, const std::vector<double>& x, const std::vector<double>& y, Outputs out = Outputs())
{
    const BoundedArray<double> X = base1(x), Y = base1(y);
    s.Reg_Slopes(X, Y, static_cast<std::int32_t>(x.size()), out.intercept, out.slope, out.sigintercept,
                 out.sigslope);
    return out;
}

struct ReferenceCase {
    const char* name;
    std::vector<double> x, y;
    double slope[6];
    double intercept[6];
    double sigintercept[6];
    double sigslope[6];
};

const ReferenceCase referenceCases[] = {
#include "reference/slopes_cases.inc"
};

} // namespace

TEST(Slopes, WorkedExampleAllTwentyFourValues)
{
    Sumtrix s;
    const Outputs o = run(s, {1, 2, 3, 4, 5}, {2, 4, 5, 4, 5});
    const double slope[6] = {0.6, 1.0, 0.780776, 0.720759, 0.774597, 0.8};
    const double intercept[6] = {2.2, 1.0, 1.657671, 1.837722, 1.67621, 1.6};
    const double sigslope[6] = {0.185472, 0.235702, 0.15562, 0.204568, 0.161245, 0.160693};
    const double sigintercept[6] = {0.74135, 0.509902, 0.484996, 0.679416, 0.510929, 0.456508};
    // The worked values are printed to six decimals: within half a unit of
    // the last printed place.
    const double tol = 5e-7;
    for (int j = 1; j <= 6; ++j) {
        EXPECT_NEAR(o.slope(j), slope[j - 1], tol) << "slope " << j;
        EXPECT_NEAR(o.intercept(j), intercept[j - 1], tol) << "intercept " << j;
        EXPECT_NEAR(o.sigslope(j), sigslope[j - 1], tol) << "sigslope " << j;
        EXPECT_NEAR(o.sigintercept(j), sigintercept[j - 1], tol) << "sigintercept " << j;
    }
}

TEST(Slopes, AgreeWithR)
{
    Sumtrix s;
    for (const ReferenceCase& rc : referenceCases) {
        const Outputs o = run(s, rc.x, rc.y);
        // Sums of products against R's QR: a few units of the last place,
        // more in the large-offset case where each squared deviation loses
        // the digits of the offset.
        const double rel = 1e-12;
        for (int j = 1; j <= 6; ++j) {
            EXPECT_NEAR(o.slope(j), rc.slope[j - 1], rel * std::fabs(rc.slope[j - 1])) << rc.name << " slope " << j;
            // The intercept through the means cancels ybar against xbar b.
            const double itol = rel * (std::fabs(rc.intercept[j - 1]) + std::fabs(o.slope(j)) * std::fabs(rc.x[0]));
            EXPECT_NEAR(o.intercept(j), rc.intercept[j - 1], itol) << rc.name << " intercept " << j;
        }
        // Standard errors: the sandwich errors of R's fits for lines 1 and
        // 2, the delta method on the sample moments for lines 3 to 6; with
        // a negative covariance as well as a positive one.
        for (int j = 1; j <= 6; ++j) {
            EXPECT_NEAR(o.sigslope(j), rc.sigslope[j - 1], rel * rc.sigslope[j - 1]) << rc.name << " sigslope " << j;
            EXPECT_NEAR(o.sigintercept(j), rc.sigintercept[j - 1], rel * rc.sigintercept[j - 1])
                << rc.name << " sigintercept " << j;
        }
        // Line 1 is the flattest and line 2 the steepest of the six.
        const double sign = o.slope(1) > 0 ? 1.0 : -1.0;
        for (int j = 3; j <= 6; ++j) {
            EXPECT_LE(sign * o.slope(1), sign * o.slope(j)) << rc.name << " line " << j;
            EXPECT_LE(sign * o.slope(j), sign * o.slope(2)) << rc.name << " line " << j;
        }
    }
}

TEST(Slopes, PerfectLinesGiveEqualSlopesAndZeroErrors)
{
    Sumtrix s;
    struct Case {
        std::vector<double> y;
        double slope, intercept;
    };
    const Case cases[] = {{{2, 4, 6}, 2, 0}, {{6, 4, 2}, -2, 8}};
    for (const Case& c : cases) {
        const Outputs o = run(s, {1, 2, 3}, c.y);
        for (int j = 1; j <= 6; ++j) {
            EXPECT_NEAR(o.slope(j), c.slope, 1e-15) << c.slope << " line " << j;
            EXPECT_NEAR(o.intercept(j), c.intercept, 1e-14) << c.slope << " line " << j;
            EXPECT_NEAR(o.sigslope(j), 0.0, 1e-15) << c.slope << " line " << j;
            EXPECT_NEAR(o.sigintercept(j), 0.0, 1e-15) << c.slope << " line " << j;
        }
    }
}

TEST(Slopes, NoAssociationLeavesTheOutputsAsPassed)
{
    Sumtrix s;
    struct Case {
        const char* what;
        std::vector<double> x, y;
    };
    const Case cases[] = {
        {"Sxy exactly 0", {1, 2, 3}, {1, 3, 1}},
        {"all x equal", {2, 2, 2, 2}, {1, 5, 3, 9}},
        {"all y equal", {1, 5, 3, 9}, {4, 4, 4, 4}},
        {"one point", {3}, {7}},
        {"no point", {}, {}},
    };
    for (const Case& c : cases) {
        const Outputs o = run(s, c.x, c.y, Outputs(7.0));
        for (int j = 0; j <= 6; ++j) {
            EXPECT_EQ(o.slope(j), 7.0) << c.what;
            EXPECT_EQ(o.intercept(j), 7.0) << c.what;
            EXPECT_EQ(o.sigslope(j), 7.0) << c.what;
            EXPECT_EQ(o.sigintercept(j), 7.0) << c.what;
        }
    }
}

TEST(Slopes, InterceptSumsStartFromTheValuesPassed)
{
    Sumtrix s;
    const std::vector<double> x{1, 2, 3, 4, 5}, y{2, 4, 5, 4, 5};
    const Outputs fresh = run(s, x, y);
    Outputs start(99.0);
    for (int j = 1; j <= 6; ++j)
        start.sigintercept(j) = 0.25 * j;
    const Outputs o = run(s, x, y, start);
    for (int j = 1; j <= 6; ++j) {
        // fresh = sqrt(S)/n, so S = (n fresh)^2.
        const double S = std::pow(5 * fresh.sigintercept(j), 2);
        EXPECT_NEAR(o.sigintercept(j), std::sqrt(0.25 * j + S) / 5, 1e-15) << j;
        EXPECT_EQ(o.slope(j), fresh.slope(j)) << j;
        EXPECT_EQ(o.intercept(j), fresh.intercept(j)) << j;
        EXPECT_EQ(o.sigslope(j), fresh.sigslope(j)) << j;
    }
}

TEST(Slopes, ShortArraysAndFaultsAreSkippedNotRaised)
{
    Sumtrix s;
    const BoundedArray<double> X = base1({1, 2, 3, 4, 5}), Y = base1({2, 4, 5, 4, 5});
    // Output arrays with elements 0..2: lines 1 and 2 are written, the
    // statements of the other lines (which also read them) are skipped.
    BoundedArray<double> intercept(0, 2), slope(0, 2), sigintercept(0, 2), sigslope(0, 2);
    EXPECT_NO_THROW(s.Reg_Slopes(X, Y, 5, intercept, slope, sigintercept, sigslope));
    EXPECT_DOUBLE_EQ(slope(1), 0.6);
    EXPECT_DOUBLE_EQ(slope(2), 1.0);
    EXPECT_DOUBLE_EQ(intercept(1), 2.2);
    EXPECT_NEAR(sigslope(2), 0.235702, 5e-7);
    EXPECT_NEAR(sigintercept(1), 0.74135, 5e-7);

    // n beyond the input arrays: the missing elements are skipped.
    Outputs o;
    EXPECT_NO_THROW(s.Reg_Slopes(X, Y, 8, o.intercept, o.slope, o.sigintercept, o.sigslope));
    // Unallocated output arrays: nothing can be written, nothing is raised.
    BoundedArray<double> none1, none2, none3, none4;
    EXPECT_NO_THROW(s.Reg_Slopes(X, Y, 5, none1, none2, none3, none4));
    // Values too large to square: the failing sums are skipped.
    const BoundedArray<double> big = base1({1e300, -1e300, 2e300});
    Outputs ob(5.0);
    EXPECT_NO_THROW(s.Reg_Slopes(big, Y, 3, ob.intercept, ob.slope, ob.sigintercept, ob.sigslope));
}
