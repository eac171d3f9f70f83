// Two-sample nonparametric tests: Mann-Whitney and Kolmogorov-Smirnov.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"
#include "weyl_data.hpp"

using namespace SumtrixLib;
using namespace SumtrixLib::test_support;

namespace {
#include "reference/kolmogorov_cases.inc"
#include "reference/nonparametric_cases.inc"

// Q(lambda) stops when a term falls below 0.001 of the one before or 1e-8
// of the sum: the terms left out are below 1e-8 of Q.
constexpr double kProbKsRel = 1e-8;
// The normal tail of AS 66 as published (STAT_NormProb1), relative.
constexpr double kNormalTailRel = 1e-7;

struct MannWhitneyResult {
    double D = -7, rv = -7, Var = -7, sig = -7;
    bool larger = true;
};

MannWhitneyResult mannWhitney(Sumtrix& s, const std::vector<double>& x, const std::vector<double>& y)
{
    MannWhitneyResult r;
    s.STAT_MannWhitney(base1(x), base1(y), r.D, r.rv, r.Var, r.sig, r.larger);
    return r;
}

struct KsResult {
    double KS = -7, en = -7, P = -7;
};

KsResult ks2(Sumtrix& s, const std::vector<double>& x, const std::vector<double>& y)
{
    KsResult r;
    s.STAT_KolmogorovSmirnov2(base1(x), static_cast<std::int32_t>(x.size()), base1(y),
                              static_cast<std::int32_t>(y.size()), r.KS, r.en, r.P);
    return r;
}

void checkMannWhitney(const char* name, const MannWhitneyResult& r, double D, double Var, double rv, double sig)
{
    // D is a sum of half-integers and Var a product of whole numbers: exact
    // up to rounding.
    EXPECT_EQ(r.D, D) << name;
    EXPECT_NEAR(r.Var, Var, 1e-14 * Var) << name;
    EXPECT_NEAR(r.rv, rv, 1e-14 * rv) << name;
    EXPECT_NEAR(r.sig, sig, kNormalTailRel * sig) << name;
    EXPECT_EQ(r.larger, D > 0) << name;
}

void checkKs(const char* name, const KsResult& r, double KS, double en, double P)
{
    // The statistic is a difference of two fractions j/n formed as ecdf()
    // forms them: the same double.
    EXPECT_EQ(r.KS, KS) << name;
    EXPECT_NEAR(r.en, en, 1e-15 * en) << name;
    EXPECT_NEAR(r.P, P, kProbKsRel * P + 1e-15) << name;
}

} // namespace

TEST(MannWhitney, MatchesWilcoxTest)
{
    Sumtrix s;
    for (const TwoSampleRankCase& c : kTwoSampleRankCases)
        checkMannWhitney(c.name, mannWhitney(s, c.x, c.y), c.D, c.Var, c.rv, c.sig);
    // 100,000 + 100,000 values: no capacity limit, no message.
    RecordingMessageSink sink;
    ScopedMessageSink scope(sink);
    for (const TwoSampleGeneratedCase& c : kTwoSampleGenerated) {
        std::vector<double> x, y;
        if (c.ties) {
            x = weylTies(c.n, c.scale);
            y = weylTies(c.n, c.scale, c.n + 1);
            for (double& v : y)
                v += c.yShift;
        } else {
            x = weylSmooth(c.n, c.offset, c.scale);
            y = weylSmooth(c.n, c.offset + c.yShift, c.scale, c.n + 1);
        }
        checkMannWhitney(c.name, mannWhitney(s, x, y), c.D, c.Var, c.rv, c.sig);
        checkKs(c.name, ks2(s, x, y), c.KS, c.en, c.ProbKS);
    }
    EXPECT_TRUE(sink.entries.empty());
}

// Three against three: R = 15, D = 15 - 10.5 - 0.5 = 4, Var = 9/30 x 210/12
// = 5.25; reversed, D = 6 - 10.5 + 0.5 = -4 (the correction goes towards
// zero for either sign) and rv uses |D|: the same p both ways, R's
// wilcox.test(c(4, 5, 6), c(1, 2, 3), alternative = "greater",
// correct = TRUE, exact = FALSE)$p.value = 0.04042779919. A tie across the
// samples (1, 2 against 2, 3): both 2s rank 2.5 and T = 6. Equal rank sums
// have nothing to correct: D = 0, p = 0.5.
TEST(MannWhitney, WorkedExamples)
{
    Sumtrix s;
    MannWhitneyResult r = mannWhitney(s, {1, 2, 3}, {4, 5, 6});
    EXPECT_EQ(r.D, 4);
    EXPECT_EQ(r.Var, 5.25);
    EXPECT_TRUE(r.larger);
    const double p = r.sig;
    EXPECT_NEAR(p, 0.04042779919, kNormalTailRel * p);
    r = mannWhitney(s, {4, 5, 6}, {1, 2, 3});
    EXPECT_EQ(r.D, -4);
    EXPECT_EQ(r.rv, 4 / std::sqrt(5.25));
    EXPECT_EQ(r.sig, p);
    EXPECT_FALSE(r.larger);
    r = mannWhitney(s, {1, 2}, {2, 3});
    EXPECT_EQ(r.D, 2.5 + 4 - 5 - 0.5);
    EXPECT_EQ(r.Var, 4.0 / 12 * (64 - 4 - 6) / 12);
    r = mannWhitney(s, {1, 4}, {2, 3});
    EXPECT_EQ(r.D, 0);
    EXPECT_EQ(r.sig, 0.5);
    EXPECT_FALSE(r.larger);
}

TEST(MannWhitney, AllEqualAndBadInput)
{
    Sumtrix s;
    // All values equal: back at once, sig = 1, larger false, the rest as passed.
    MannWhitneyResult r = mannWhitney(s, {2, 2, 2}, {2, 2});
    EXPECT_EQ(r.sig, 1);
    EXPECT_FALSE(r.larger);
    EXPECT_EQ(r.D, -7);
    EXPECT_EQ(r.Var, -7);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    double D, rv, Var, sig;
    struct Case {
        const char* what;
        std::function<void()> call;
        int error;
    };
    const Case cases[] = {
        {"empty first sample", [&] { s.STAT_MannWhitney(BoundedArray<double>(0, 0), base1({1, 2}), D, rv, Var, sig); },
         ErrSubscript},
        // D = 0 and Var = 0: 0 / 0 fails as an overflow.
        {"empty second sample", [&] { s.STAT_MannWhitney(base1({1, 2}), BoundedArray<double>(0, 0), D, rv, Var, sig); },
         ErrOverflow},
        {"NaN", [&] { s.STAT_MannWhitney(base1({1, nan}), base1({1, 2}), D, rv, Var, sig); }, ErrOverflow},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorOf(c.call), c.error) << c.what;
}

TEST(KolmogorovSmirnov, TwoSamplesMatchKsTest)
{
    Sumtrix s;
    for (const TwoSampleRankCase& c : kTwoSampleRankCases)
        checkKs(c.name, ks2(s, c.x, c.y), c.KS, c.en, c.ProbKS);
    // n1 = n2 = 4: en = 2.
    EXPECT_EQ(ks2(s, {1, 2, 3, 4}, {2.5, 3.5, 5, 6}).en, 2);
    // A value in both samples and repeated in one is passed as a whole: 1, 1
    // against 1 are the same distribution (stepping one value at a time
    // would compare 1/2 with 1 and give 0.5).
    const KsResult same = ks2(s, {1, 1}, {1});
    EXPECT_EQ(same.KS, 0);
    EXPECT_EQ(same.P, 1);
    // The samples are sorted in copies.
    const auto x = base1({3, 1, 2});
    double KS, en, P;
    s.STAT_KolmogorovSmirnov2(x, 3, base1({0.5, 2.5}), 2, KS, en, P);
    EXPECT_EQ(x, base1({3, 1, 2}));
}

// The values are cumulative probabilities already: the largest distance of
// each from the empirical fractions on either side of it.
TEST(KolmogorovSmirnov, OneSampleOfProbabilities)
{
    Sumtrix s;
    for (const OneSampleKsCase& c : kOneSampleKsCases) {
        double KS = -7, P = -7;
        s.STAT_KolmogorovSmirnov1(base1(c.u), static_cast<std::int32_t>(c.u.size()), KS, P);
        EXPECT_NEAR(KS, c.KS, 1e-15) << c.name;
        EXPECT_NEAR(P, c.ProbKS, kProbKsRel * c.ProbKS + 1e-15) << c.name;
    }
    std::vector<double> u = weylTies(100000, 1000);
    for (double& v : u)
        v = (v + 0.5) / 1000;
    double KS = -7, P = -7;
    s.STAT_KolmogorovSmirnov1(base1(u), 100000, KS, P);
    EXPECT_NEAR(KS, kOneSampleKsGenerated[0], 1e-15);
    EXPECT_NEAR(P, kOneSampleKsGenerated[1], 1e-15);
    // 0.2 and 0.6 of two: D = max(0.2, 0.5 - 0.2, 0.6 - 0.5, 1 - 0.6) = 0.4.
    s.STAT_KolmogorovSmirnov1(base1({0.6, 0.2}), 2, KS, P);
    EXPECT_NEAR(KS, 0.4, 1e-16);
}

TEST(KolmogorovSmirnov, ProbKsMatchesScipy)
{
    Sumtrix s;
    for (const KolmogorovCase& c : kKolmogorovCases)
        EXPECT_NEAR(s.STAT_ProbKS(c.lambda), c.Q, kProbKsRel * c.Q + 1e-15) << c.lambda;
    // lambda = 0 never converges: 1. Small lambda: the partial sums swing
    // about Q and may stop up to 1e-8 above it, so above 1 near lambda = 0.17
    // (1.0000000003 before it was held at 1).
    EXPECT_EQ(s.STAT_ProbKS(0), 1);
    for (double lambda = 0.02; lambda < 0.5; lambda += 0.001)
        EXPECT_LE(s.STAT_ProbKS(lambda), 1) << lambda;
}

TEST(KolmogorovSmirnov, BadInput)
{
    Sumtrix s;
    const double inf = std::numeric_limits<double>::infinity();
    double KS, en, P;
    const auto x = base1({1, 2, 3});
    struct Case {
        const char* what;
        std::function<void()> call;
        int error;
    };
    const Case cases[] = {
        {"n1 = 0", [&] { s.STAT_KolmogorovSmirnov2(x, 0, x, 3, KS, en, P); }, ErrDivisionByZero},
        {"n2 above the array", [&] { s.STAT_KolmogorovSmirnov2(x, 3, x, 4, KS, en, P); }, ErrSubscript},
        {"n negative", [&] { s.STAT_KolmogorovSmirnov2(x, -1, x, 3, KS, en, P); }, ErrSubscript},
        {"infinite value", [&] { s.STAT_KolmogorovSmirnov2(base1({1, inf}), 2, x, 3, KS, en, P); }, ErrOverflow},
        {"one sample, n = 0", [&] { s.STAT_KolmogorovSmirnov1(x, 0, KS, P); }, ErrDivisionByZero},
        {"one sample, n above the array", [&] { s.STAT_KolmogorovSmirnov1(x, 5, KS, P); }, ErrSubscript},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorOf(c.call), c.error) << c.what;
}
