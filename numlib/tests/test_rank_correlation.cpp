// Rank correlation: mid-ranks, Pearson, Spearman, Kendall and erfcc.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using namespace SumtrixLib::test_support;

namespace {
#include "reference/rank_correlation_cases.inc"

std::vector<double> randomWithTies(std::mt19937_64& rng, std::size_t n, int levels)
{
    std::uniform_int_distribution<int> pick(0, levels - 1);
    std::vector<double> v(n);
    for (double& d : v)
        d = pick(rng) * 0.25;
    return v;
}

// Kendall's counts by the plain pair loop, the textbook form.
struct NaiveKendall {
    std::int64_t na = 0, nb = 0, is = 0;
};
NaiveKendall naiveKendall(const std::vector<double>& x, const std::vector<double>& y)
{
    NaiveKendall k;
    for (std::size_t j = 0; j + 1 < x.size(); ++j)
        for (std::size_t m = j + 1; m < x.size(); ++m) {
            const double a1 = x[j] - x[m], a2 = y[j] - y[m];
            if (a1 != 0 && a2 != 0) {
                ++k.na;
                ++k.nb;
                k.is += (a1 > 0) == (a2 > 0) ? 1 : -1;
            } else {
                k.na += a1 != 0;
                k.nb += a2 != 0;
            }
        }
    return k;
}

// erfcc has a fractional error below 1.2e-7; the divisor 1.4142136 for
// sqrt(2) moves its argument x by 2.7e-8 x relatively, which changes
// erfc(x) by about 2 x^2 times that. So probabilities from it agree with
// the exact normal tail to 1.2e-7 + 6e-8 (1 + x^2), relative.
double erfccTolerance(double expected, double x)
{
    return (1.2e-7 + 6e-8 * (1 + x * x)) * expected;
}
} // namespace

TEST(CRank, WorkedExamples)
{
    Sumtrix s;
    struct Case { std::vector<double> sorted, ranks; double S; };
    const Case cases[] = {
        {{1, 2, 2, 2, 5}, {1, 3, 3, 3, 5}, 24},
        {{1, 1}, {1.5, 1.5}, 6},
        {{4}, {1}, 0},
        {{1, 2, 3}, {1, 2, 3}, 0},
        {{0, 0, 0, 1, 1}, {2, 2, 2, 4.5, 4.5}, 24 + 6},
    };
    for (const Case& c : cases) {
        auto w = base1(c.sorted);
        double S = -7;
        s.Rank_CRank(static_cast<std::int32_t>(c.sorted.size()), w, S);
        EXPECT_EQ(w, base1(c.ranks));
        EXPECT_EQ(S, c.S);
    }
    // agrees with R's rank() of a sorted sample, and S with the tie table
    std::mt19937_64 rng(7);
    auto v = randomWithTies(rng, 300, 40);
    std::sort(v.begin(), v.end());
    std::map<double, int> counts;
    for (double d : v)
        ++counts[d];
    double expectedS = 0;
    std::vector<double> midRanks;
    int start = 1;
    for (const auto& [value, t] : counts) {
        expectedS += double(t) * t * t - t;
        for (int i = 0; i < t; ++i)
            midRanks.push_back(start + (t - 1) / 2.0);
        start += t;
    }
    auto w = base1(v);
    double S = 0;
    s.Rank_CRank(300, w, S);
    EXPECT_EQ(w, base1(midRanks));
    EXPECT_EQ(S, expectedS);
}

TEST(CRank, ShortArrayFails)
{
    Sumtrix s;
    auto w = base1({1, 2});
    double S = 0;
    try {
        s.Rank_CRank(3, w, S);
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), ErrSubscript);
    }
}

TEST(RankInvert, ReversesRanks)
{
    Sumtrix s;
    auto x = base1({1, 2.5, 2.5, 4});
    s.Rank_Invert(x, 4);
    EXPECT_EQ(x, base1({4, 2.5, 2.5, 1}));
}

TEST(Erfcc, AgainstNormalTail)
{
    Sumtrix s;
    for (std::size_t i = 0; i < std::size(kErfcX); ++i) {
        const double x = kErfcX[i];
        // below 0 the result is 2 - erfcc(|x|): the same absolute error
        const double tol = x < 0 ? 1.2e-7 * (2 - kErfc[i]) : 1.2e-7 * kErfc[i];
        EXPECT_NEAR(s.Error_Erfcc(x), kErfc[i], tol) << x;
    }
    EXPECT_NEAR(s.Error_Erfcc(0), 1.00000003, 5e-9);
    EXPECT_NEAR(s.Error_Erfcc(1), 0.1572992, 5e-8);
    for (double x : {0.2, 1.3, 3.1})
        EXPECT_DOUBLE_EQ(s.Error_Erfcc(-x), 2 - s.Error_Erfcc(x));
}

TEST(Kendall, MatchesReference)
{
    Sumtrix s;
    for (const RankCase& c : kRankCases) {
        SCOPED_TRACE(c.name);
        double tau = -7, z = -7, p = -7;
        s.Rank_Kendall(base1(c.x), base1(c.y), static_cast<std::int32_t>(c.x.size()), tau, z, p);
        EXPECT_NEAR(tau, c.tau, 1e-14);
        EXPECT_NEAR(z, c.tauZ, 1e-13 * std::max(1.0, std::fabs(c.tauZ)));
        EXPECT_NEAR(p, c.probZ, erfccTolerance(c.probZ, c.tauZ / std::sqrt(2.0)));
    }
    for (const KendallUntiedCase& c : kKendallUntied) {
        double tau = -7, z = -7, p = -7;
        s.Rank_Kendall(base1(c.x), base1(c.y), static_cast<std::int32_t>(c.x.size()), tau, z, p);
        EXPECT_NEAR(tau, c.tau, 1e-14);
        EXPECT_NEAR(z, c.z, 1e-13 * std::max(1.0, std::fabs(c.z)));
        EXPECT_NEAR(p, c.p, erfccTolerance(c.p, c.z / std::sqrt(2.0)));
    }
}

// The merge-sort counts against the pair loop, on data with ties in x, in
// y and in both; tau comes out bit for bit the same.
TEST(Kendall, FastCountsMatchPairLoop)
{
    Sumtrix s;
    std::mt19937_64 rng(20261210);
    for (std::size_t n : {2u, 3u, 5u, 17u, 64u, 333u, 2000u}) {
        for (int levels : {2, 5, 50, 100000}) {
            auto x = randomWithTies(rng, n, levels);
            auto y = randomWithTies(rng, n, levels);
            // make some pairs tied in both
            for (std::size_t i = 0; i + 1 < n; i += 7) {
                x[i + 1] = x[i];
                y[i + 1] = y[i];
            }
            const NaiveKendall k = naiveKendall(x, y);
            double tau = -7, z = -7, p = -7;
            s.Rank_Kendall(base1(x), base1(y), static_cast<std::int32_t>(n), tau, z, p);
            if (k.na == 0 || k.nb == 0) {
                EXPECT_EQ(tau, -7);
            } else {
                EXPECT_EQ(tau, static_cast<double>(k.is) / std::sqrt(static_cast<double>(k.na) * static_cast<double>(k.nb)))
                    << n << " " << levels;
            }
        }
    }
}

// The variance of Kendall's S under independence with ties in both
// variables (Kendall 1970; R's cor.test uses the same), from the sizes of
// the tied groups.
static double kendallVarianceOfS(const std::vector<double>& x, const std::vector<double>& y)
{
    const double n = static_cast<double>(x.size());
    double v = n * (n - 1) * (2 * n + 5), v1x = 0, v1y = 0, v2x = 0, v2y = 0;
    auto groups = [&](const std::vector<double>& values, double& pairs, double& triples) {
        std::map<double, double> counts;
        for (double d : values)
            ++counts[d];
        for (const auto& [value, t] : counts) {
            v -= t * (t - 1) * (2 * t + 5);
            pairs += t * (t - 1);
            triples += t * (t - 1) * (t - 2);
        }
    };
    groups(x, v1x, v2x);
    groups(y, v1y, v2y);
    return v / 18 + v1x * v1y / (2 * n * (n - 1)) + v2x * v2y / (9 * n * (n - 1) * (n - 2));
}

// 20,000 values with many ties: beyond the size where a 32-bit 9n(n - 1)
// overflowed; z and its probability are still computed, from the same
// counts, with the variance of S corrected for the ties.
TEST(Kendall, LargeSampleKeepsItsStatistic)
{
    Sumtrix s;
    std::mt19937_64 rng(99);
    const std::size_t n = 20000;
    const auto x = randomWithTies(rng, n, 3000);
    std::vector<double> y(n);
    std::normal_distribution<double> noise(0, 100);
    for (std::size_t i = 0; i < n; ++i)
        y[i] = std::round(x[i] * 0.01 + noise(rng));
    const NaiveKendall k = naiveKendall(x, y);
    double tau = -7, z = -7, p = -7;
    s.Rank_Kendall(base1(x), base1(y), static_cast<std::int32_t>(n), tau, z, p);
    const double expectedTau = static_cast<double>(k.is) / std::sqrt(static_cast<double>(k.na) * static_cast<double>(k.nb));
    EXPECT_EQ(tau, expectedTau);
    EXPECT_NEAR(z, static_cast<double>(k.is) / std::sqrt(kendallVarianceOfS(x, y)), 1e-12 * std::fabs(z));
    EXPECT_NEAR(p, std::erfc(std::fabs(z) / std::sqrt(2.0)), 1e-6);
}

TEST(Kendall, FailedStepsKeepOutputs)
{
    Sumtrix s;
    // every pair tied in both: tau divides 0 by 0 and keeps its value, and
    // its variance cannot be formed either, so z keeps its value too
    double tau = 0.5, z = -7, p = -7;
    s.Rank_Kendall(base1({2, 2, 2, 2}), base1({3, 3, 3, 3}), 4, tau, z, p);
    EXPECT_EQ(tau, 0.5);
    EXPECT_EQ(z, -7);
    // one value: no variance, so z and ProbZ keep theirs too
    tau = 0.25;
    z = -7;
    p = -7;
    s.Rank_Kendall(base1({1}), base1({2}), 1, tau, z, p);
    EXPECT_EQ(tau, 0.25);
    EXPECT_EQ(z, -7);
    EXPECT_NEAR(p, std::erfc(7 / 1.4142136), 1e-12);
    // n beyond the arrays: nothing is counted
    tau = 0.125;
    s.Rank_Kendall(base1({1, 2, 3}), base1({1, 3, 2}), 5, tau, z, p);
    EXPECT_EQ(tau, 0.125);
}

// Probabilities from the incomplete beta function: its continued fraction
// stops at a relative step of 3E-7, so 3E-7 of the smaller tail.
static double betaTolerance(double p)
{
    return 3e-7 * std::min(p, 1.0 - p) + 2e-16;
}

TEST(Pearson, MatchesReference)
{
    Sumtrix s;
    for (const RankCase& c : kRankCases) {
        SCOPED_TRACE(c.name);
        const auto n = static_cast<std::int32_t>(c.x.size());
        double r, t, p, r2, adj, z;
        s.Rank_Pearson(base1(c.x), base1(c.y), n, r, t, p, r2, adj, z);
        EXPECT_NEAR(r, c.r, 1e-13);
        EXPECT_NEAR(t, c.t, 1e-12 * std::max(1.0, std::fabs(c.t)));
        EXPECT_NEAR(z, c.z, 1e-13);
        EXPECT_NEAR(r2, c.r * c.r, 1e-13);
        EXPECT_NEAR(adj, c.adjr2, 1e-13);
        // up to 499 pairs the incomplete beta function, from 500 on the
        // erfcc of Fisher's z (whose reference is 2 pnorm(-|z| sqrt(n - 1)))
        if (n > 499)
            EXPECT_NEAR(p, c.probT, erfccTolerance(c.probT, std::fabs(c.z) * std::sqrt(n - 1.0) / std::sqrt(2.0)));
        else
            EXPECT_NEAR(p, c.probT, betaTolerance(c.probT));
    }
}

TEST(Pearson, PerfectAndUndefinedCorrelation)
{
    Sumtrix s;
    // |r| = 1: the TINY terms keep z and t finite
    double r = -7, t = -7, p = -7, r2 = -7, adj = -7, z = -7;
    s.Rank_Pearson(base1({1, 2, 3, 4}), base1({2, 4, 6, 8}), 4, r, t, p, r2, adj, z);
    EXPECT_EQ(r, 1);
    EXPECT_NEAR(z, 0.5 * std::log(2 / 1e-20), 1e-12);
    EXPECT_TRUE(std::isfinite(t));
    EXPECT_EQ(adj, 1);
    // all x equal: r is not written, and what follows uses the caller's r
    r = 0.6;
    t = p = r2 = adj = z = -7;
    s.Rank_Pearson(base1({3, 3, 3, 3, 3}), base1({1, 2, 4, 3, 5}), 5, r, t, p, r2, adj, z);
    EXPECT_EQ(r, 0.6);
    EXPECT_DOUBLE_EQ(r2, 0.36);
    EXPECT_NEAR(z, std::atanh(0.6), 1e-15);
    EXPECT_NEAR(t, 0.6 * std::sqrt(3 / 0.64), 1e-14);
}

TEST(Spearman, MatchesReference)
{
    Sumtrix s;
    for (const RankCase& c : kRankCases) {
        SCOPED_TRACE(c.name);
        const auto n = static_cast<std::int32_t>(c.x.size());
        BoundedArray<double> w1, w2, idx(0, {99});
        double D, zd, pd, rs, t, prs;
        s.Rank_Spearman(base1(c.x), base1(c.y), n, w1, false, w2, false, idx, D, zd, pd, rs, t, prs);
        EXPECT_EQ(D, c.D);
        EXPECT_NEAR(zd, c.zd, 1e-12 * std::max(1.0, std::fabs(c.zd)));
        EXPECT_NEAR(pd, c.probD, erfccTolerance(c.probD, c.zd / std::sqrt(2.0)));
        EXPECT_NEAR(rs, c.rs, 1e-13);
        EXPECT_NEAR(t, c.ts, 1e-12 * std::max(1.0, std::fabs(c.ts)));
        EXPECT_NEAR(prs, c.probRs, betaTolerance(c.probRs));

        // position j describes one point: its number, its two ranks; the
        // positions run in ascending order of data2
        ASSERT_EQ(w1.lbound(), 0);
        ASSERT_EQ(w1.ubound(), n);
        ASSERT_EQ(idx.ubound(), n);
        std::vector<bool> seen(static_cast<std::size_t>(n) + 1, false);
        for (std::int32_t j = 1; j <= n; ++j) {
            const auto point = static_cast<std::size_t>(idx(j));
            ASSERT_TRUE(point >= 1 && point <= static_cast<std::size_t>(n) && !seen[point]);
            seen[point] = true;
            std::size_t below1 = 0, equal1 = 0, below2 = 0, equal2 = 0;
            for (std::size_t k = 0; k < c.x.size(); ++k) {
                below1 += c.x[k] < c.x[point - 1];
                equal1 += c.x[k] == c.x[point - 1];
                below2 += c.y[k] < c.y[point - 1];
                equal2 += c.y[k] == c.y[point - 1];
            }
            EXPECT_EQ(w1(j), below1 + (equal1 + 1) / 2.0);
            EXPECT_EQ(w2(j), below2 + (equal2 + 1) / 2.0);
            if (j > 1) {
                EXPECT_LE(c.y[static_cast<std::size_t>(idx(j - 1)) - 1], c.y[point - 1]);
            }
        }
    }
}

TEST(Spearman, InvertedIdenticalData)
{
    Sumtrix s;
    const auto x = base1({4, 1, 3, 5, 2});
    BoundedArray<double> w1, w2, idx;
    double D, zd, pd, rs, t = -7, prs = -7;
    s.Rank_Spearman(x, x, 5, w1, true, w2, false, idx, D, zd, pd, rs, t, prs);
    EXPECT_EQ(rs, -1);
    EXPECT_EQ(prs, 0);
    EXPECT_EQ(t, -7) << "t is not written when |rs| = 1";
    EXPECT_EQ(D, 40);
    // inversion comes after the tie sums: ranks 5..1 against 1..5
    for (std::int32_t j = 1; j <= 5; ++j)
        EXPECT_EQ(w1(j) + w2(j), 6);
}

// n beyond the shorter array: each failing statement is skipped on its own,
// so the sums of the longer array still run to n.
TEST(Pearson, StepsPastTheShorterArray)
{
    Sumtrix s;
    double r = 0.25, t = -7, p = -7, r2 = -7, adj = -7, z = -7;
    s.Rank_Pearson(base1({1, 2, 3, 4, 10}), base1({2, 1, 4}), 5, r, t, p, r2, adj, z);
    // ax = 20/5 = 4 and ay = 7/5 = 1.4; Sxy over the three pairs only
    const double sxx = 9 + 4 + 1 + 0 + 36;
    const double syy = 0.36 + 0.16 + 6.76;
    const double sxy = (1 - 4) * (2 - 1.4) + (2 - 4) * (1 - 1.4) + (3 - 4) * (4 - 1.4);
    EXPECT_NEAR(r, sxy / std::sqrt(sxx * syy), 1e-15);
}
