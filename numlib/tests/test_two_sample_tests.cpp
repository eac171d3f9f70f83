// Two-sample t tests, the F test and the simultaneous F tests.
#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using namespace SumtrixLib::test_support;

namespace {
#include "reference/two_sample_tests_cases.inc"

// The probabilities come from the incomplete beta function, whose continued
// fraction stops at a relative step of 3E-7: they agree with R to 3E-7 of
// the smaller tail, plus the rounding of 1 - tail.
double probTolerance(double p)
{
    return 3e-7 * std::min(p, 1.0 - p) + 2e-16;
}

} // namespace

TEST(TwoSampleTests, MatchReference)
{
    Sumtrix s;
    // Samples near 1e6 and 1e9 too: the difference of their means, and the
    // spread of close pairs, are formed where they do not cancel.
    std::vector<TwoSampleCase> cases(std::begin(kTwoSampleCases), std::end(kTwoSampleCases));
    cases.insert(cases.end(), std::begin(kFarTwoSampleCases), std::end(kFarTwoSampleCases));
    for (const TwoSampleCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto x = base1(c.x), y = base1(c.y);
        const auto n = static_cast<std::int32_t>(c.x.size());
        struct Test {
            const char* name;
            void (Sumtrix::*method)(const BoundedArray<double>&, std::int32_t, const BoundedArray<double>&,
                                    std::int32_t, double&, double&);
            double t, p;
        };
        // the paired test with the covariance term and the one on the
        // differences are the same test: var(x - y) = s1^2 + s2^2 - 2 cov
        const Test tests[] = {
            {"same var", &Sumtrix::STAT_TTESTSameVar, c.tPooled, c.pPooled},
            {"diff var", &Sumtrix::STAT_TTESTDiffVar, c.tWelch, c.pWelch},
            {"paired w/cov", &Sumtrix::STAT_TTESTPaired, c.tPaired, c.pPaired},
            {"paired diff", &Sumtrix::STAT_TTESTDiffPaired, c.tPaired, c.pPaired},
            {"F", &Sumtrix::STAT_FTEST, c.f, c.pF},
        };
        for (const Test& test : tests) {
            double t = -7, p = -7;
            (s.*test.method)(x, n, y, n, t, p);
            EXPECT_NEAR(t, test.t, 1e-12 * std::max(1.0, std::fabs(test.t))) << test.name;
            EXPECT_NEAR(p, test.p, probTolerance(test.p)) << test.name;
        }
    }
}

// Samples 1..4 and 2..5: pooled t = -1.0954 with 6 df; every difference is
// -1, so both paired tests see no spread and give t = 0, Prob = 1.
TEST(TwoSampleTests, ShiftedSamples)
{
    Sumtrix s;
    const auto x = base1({1, 2, 3, 4}), y = base1({2, 3, 4, 5});
    double t = -7, p = -7;
    s.STAT_TTESTSameVar(x, 4, y, 4, t, p);
    EXPECT_NEAR(t, -1.0 / std::sqrt(5.0 / 3 * 0.5), 1e-14);
    s.STAT_TTESTDiffPaired(x, 4, y, 4, t, p);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(p, 1);
    t = p = -7;
    s.STAT_TTESTPaired(x, 4, y, 4, t, p);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(p, 1);
}

// Pairs that differ by a constant written with decimals (x = 0.1, ...,
// 0.7, y = x + 0.1), whose differences as doubles differ in their last
// bits. The spread term s1^2 + s2^2 - 2 cov rounded to -2e-18 here; formed
// from the differences it is their variance, never below zero, and the
// test with the covariance term is the test on the differences: no
// failure, the same t and P. (The report decides such data by the rounding
// of the values, as a certain difference.)
TEST(TwoSampleTests, PairedConstantShiftRoundingBelowZero)
{
    Sumtrix s;
    std::vector<double> xv, yv;
    for (int i = 1; i <= 7; ++i) {
        xv.push_back(0.1 * i);
        yv.push_back(0.1 * i + 0.1);
    }
    double t = -7, p = -7, tDiff = -7, pDiff = -7;
    EXPECT_EQ(errorOf([&] { s.STAT_TTESTPaired(base1(xv), 7, base1(yv), 7, t, p); }), 0);
    EXPECT_EQ(errorOf([&] { s.STAT_TTESTDiffPaired(base1(xv), 7, base1(yv), 7, tDiff, pDiff); }), 0);
    EXPECT_EQ(t, tDiff);
    EXPECT_EQ(p, pDiff);
}

TEST(TwoSampleTests, IdenticalSamples)
{
    Sumtrix s;
    const auto x = base1({3.5, 1, 4, 1.5, 9, 2.6});
    for (auto method : {&Sumtrix::STAT_TTESTSameVar, &Sumtrix::STAT_TTESTDiffVar, &Sumtrix::STAT_TTESTPaired,
                        &Sumtrix::STAT_TTESTDiffPaired}) {
        double t = -7, p = -7;
        (s.*method)(x, 6, x, 6, t, p);
        EXPECT_EQ(t, 0);
        EXPECT_EQ(p, 1);
    }
    double f = -7, p = -7;
    s.STAT_FTEST(x, 6, x, 6, f, p);
    EXPECT_EQ(f, 1);
    EXPECT_NEAR(p, 1, 1e-7);
}

TEST(TwoSampleTests, ZeroSpreadFailsTheUnpairedTests)
{
    Sumtrix s;
    const auto x = base1({2, 2, 2}), y = base1({5, 5, 5});
    double t = -7, p = -7;
    EXPECT_EQ(errorOf([&] { s.STAT_TTESTSameVar(x, 3, y, 3, t, p); }), ErrDivisionByZero);
    EXPECT_EQ(errorOf([&] { s.STAT_TTESTDiffVar(x, 3, y, 3, t, p); }), ErrDivisionByZero);
    EXPECT_EQ(t, -7);
}

TEST(FTest, WorkedExampleAndFailedSteps)
{
    Sumtrix s;
    // s1^2 = 4 s2^2 with 11 values each: f = 4 on 10 and 10 df
    std::vector<double> a, b;
    for (int i = 0; i < 11; ++i) {
        b.push_back(i);
        a.push_back(2.0 * i);
    }
    double f = -7, p = -7;
    s.STAT_FTEST(base1(b), 11, base1(a), 11, f, p);
    EXPECT_DOUBLE_EQ(f, 4);
    EXPECT_NEAR(p, 0.03916, 5e-6);

    // both variances 0: the ratio fails and f keeps the caller's 2; the
    // probability is then that of f = 2 (equal variances: df n2-1, n1-1)
    f = 2;
    p = -7;
    s.STAT_FTEST(base1({1, 1, 1}), 3, base1({4, 4, 4, 4, 4}), 5, f, p);
    EXPECT_EQ(f, 2);
    EXPECT_NEAR(p, 2 * s.STAT_PROBF(2, 4, 2), 1e-15);
}

TEST(SimulFTest, MatchesAnovaOfNestedFits)
{
    Sumtrix s;
    for (const SimulFCase& c : kSimulFCases) {
        double fd = -7, pd = -7, fm = -7, pm = -7;
        const double n = static_cast<double>(c.x.size());
        s.STAT_SimulFTest(base1(c.x), base1(c.y), n, c.a, c.b, c.meanX, c.meanY, fd, pd, fm, pm);
        // b is handed over as a double: its rounding moves (b - 1) x by up
        // to eps |x|, against differences a + (b - 1) x of 0.1 to 1 in these
        // cases, so data near 1e6 and 1e9 agree to about 1e-9 and 1e-6.
        const double largest = *std::max_element(c.x.begin(), c.x.end());
        const double rel = 1e-11 + 4e-15 * largest;
        EXPECT_NEAR(fm, c.fMayer, rel * c.fMayer);
        EXPECT_NEAR(pm, c.pMayer, probTolerance(c.pMayer) + rel * c.pMayer);
        EXPECT_NEAR(fd, c.fDent, rel * c.fDent);
        EXPECT_NEAR(pd, c.pDent, probTolerance(c.pDent) + rel * c.pDent);
    }
}

TEST(SimulFTest, IdentityLinePerfectFitAndTwoPoints)
{
    Sumtrix s;
    const auto x = base1({1, 2, 3, 4, 5}), y = base1({1.2, 1.9, 3.3, 3.8, 5.1});
    double fd = -7, pd = -7, fm = -7, pm = -7;
    s.STAT_SimulFTest(x, y, 5, 0, 1, 3, 3.06, fd, pd, fm, pm);
    EXPECT_EQ(fd, 0);
    EXPECT_EQ(fm, 0);
    EXPECT_EQ(pd, 1);
    EXPECT_EQ(pm, 1);

    // a perfect fit has no residual variance: nothing is written
    fd = pd = fm = pm = -7;
    s.STAT_SimulFTest(x, base1({3, 5, 7, 9, 11}), 5, 1, 2, 3, 7, fd, pd, fm, pm);
    EXPECT_EQ(fd, -7);
    EXPECT_EQ(pm, -7);

    // n = 2 divides by n - 2
    EXPECT_NE(errorOf([&] { s.STAT_SimulFTest(x, y, 2, 0.5, 1, 1.5, 1.55, fd, pd, fm, pm); }), 0);
}
