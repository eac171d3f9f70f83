// Descriptive statistics: means and variances of ranges, moments, pairs,
// distances and the one-pass correlation.
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using namespace SumtrixLib::test_support;

namespace {
#include "reference/descriptive_cases.inc"

// Relative agreement with R, floored at `scale` for values near 0.
void expectRel(double actual, double expected, double rel, double scale, const char* what)
{
    EXPECT_NEAR(actual, expected, rel * std::max(std::fabs(expected), scale)) << what;
}

} // namespace

TEST(Moments, MatchesReference)
{
    Sumtrix s;
    for (const MomentsCase& c : kMomentsCases) {
        SCOPED_TRACE(c.name);
        double ave, med, adev, sdev, var, skew, kurt, lo, hi;
        s.STAT_Moments(base1(c.data), c.n, ave, med, adev, sdev, var, skew, kurt, lo, hi);
        // Data far from 0 (near 1e6 that spread by 1, near 1e9 by a tenth):
        // the mean is summed with the rounding of each addition taken into
        // account, so the deviations from it, and with them the mean
        // deviation, skewness and kurtosis, are the data's own. A plain sum
        // of a thousand values near 1e9 is off by about 1e-6, which moved
        // the skewness in its fifth decimal.
        const double shape = 1e-12;
        expectRel(ave, c.ave, 1e-14, 0, "ave");
        EXPECT_EQ(med, c.med);
        expectRel(adev, c.adev, shape, 0, "adev");
        expectRel(sdev, c.sdev, 1e-12, 0, "sdev");
        expectRel(var, c.var, 1e-12, 0, "Var");
        expectRel(skew, c.skew, shape, 1, "skew");
        expectRel(kurt, c.kurt, shape, 1, "kurt");
        EXPECT_EQ(lo, c.min);
        EXPECT_EQ(hi, c.max);
    }
}

TEST(Moments, WorkedExampleOneToFive)
{
    Sumtrix s;
    double ave, med, adev, sdev, var, skew, kurt;
    s.STAT_Moments(BoundedArray<double>(0, {0, 1, 2, 3, 4, 5}), 5, ave, med, adev, sdev, var, skew, kurt);
    EXPECT_EQ(ave, 3);
    EXPECT_EQ(med, 3);
    EXPECT_DOUBLE_EQ(adev, 1.2);
    EXPECT_DOUBLE_EQ(var, 2.5);
    EXPECT_EQ(skew, 0);
    EXPECT_DOUBLE_EQ(kurt, 1.088);
}

TEST(Moments, TooFewValuesShowsMessageAndChangesNothing)
{
    Sumtrix s;
    RecordingMessageSink sink;
    ScopedMessageSink scope(sink);
    for (std::int32_t n : {1, 0}) {
        double ave = -7, med = -7, adev = -7, sdev = -7, var = -7, skew = -7, kurt = -7, lo = -7, hi = -7;
        s.STAT_Moments(base1({4, 5}), n, ave, med, adev, sdev, var, skew, kurt, lo, hi);
        for (double v : {ave, med, adev, sdev, var, skew, kurt, lo, hi})
            EXPECT_EQ(v, -7);
    }
    ASSERT_EQ(sink.entries.size(), 2u);
    EXPECT_EQ(sink.entries[0].text, "MOMENT sub: n must be at least 2");
    EXPECT_EQ(sink.entries[0].title, LibraryTitle);
}

// Equal values: zero spread, skew and kurtosis set to 0 without a message;
// values whose mean does not come out exact (0.1, 1/3, ...) included.
TEST(Moments, EqualValuesGiveZeroSpread)
{
    Sumtrix s;
    RecordingMessageSink sink;
    ScopedMessageSink scope(sink);
    for (double v : {2.0, 0.1, 1.0 / 3, 1e6 + 0.1, -7.77, 1e-300}) {
        for (std::int32_t n : {2, 3, 4, 7, 10, 33}) {
            std::vector<double> data(static_cast<std::size_t>(n), v);
            double ave, med, adev, sdev, var, skew, kurt, lo, hi;
            s.STAT_Moments(base1(data), n, ave, med, adev, sdev, var, skew, kurt, lo, hi);
            EXPECT_EQ(var, 0) << v << " x " << n;
            EXPECT_EQ(sdev, 0);
            EXPECT_EQ(skew, 0);
            EXPECT_EQ(kurt, 0);
            EXPECT_EQ(lo, v);
            EXPECT_EQ(hi, v);
        }
    }
    EXPECT_TRUE(sink.entries.empty());
}

TEST(MeanVar, RangesAgainstReference)
{
    Sumtrix s;
    for (const RangeCase& c : kRangeCases) {
        const auto a = base1(c.data);
        std::int32_t first = c.first, last = c.last;
        expectRel(s.STAT_Mean(a, first, last, c.missing), c.mean, 1e-14, 0, "mean");
        expectRel(s.STAT_Var(a, first, last, false, c.missing), c.var, 1e-12, 0, "var");
        expectRel(s.STAT_Var(a, first, last, true, c.missing), c.popvar, 1e-12, 0, "population var");
    }
}

TEST(MeanVar, WorkedExamplesAndBoundWriteBacks)
{
    Sumtrix s;
    const BoundedArray<double> a(0, {0, 1, 2, 3});
    std::int32_t first = 0, last = 0;
    EXPECT_EQ(s.STAT_Mean(a, first, last), 2);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 3);
    first = 2;
    last = 9;
    EXPECT_EQ(s.STAT_Mean(a, first, last), 2.5);
    EXPECT_EQ(last, 3);
    EXPECT_EQ(s.STAT_Mean(a), 2) << "omitted bounds";

    const BoundedArray<double> gap(0, {0, 1, MissingValue, 3});
    EXPECT_NEAR(s.STAT_Mean(gap), 4.0 / 3, 1e-15);
    EXPECT_EQ(s.STAT_Mean(gap, {}, {}, true), 2);
    EXPECT_EQ(s.STAT_Var(gap, {}, {}, false, true), 2);
    EXPECT_EQ(s.STAT_Var(gap, {}, {}, true, true), 1);

    // upper bound 0: nothing to average
    EXPECT_EQ(s.STAT_Mean(BoundedArray<double>(0, {5})), 0);
    EXPECT_EQ(s.STAT_Var(BoundedArray<double>(0, {5})), 0);
}

TEST(MeanVar, NothingToCountFails)
{
    Sumtrix s;
    const BoundedArray<double> allMissing(0, {0, MissingValue, MissingValue});
    EXPECT_EQ(errorOf([&] { s.STAT_Mean(allMissing, {}, {}, true); }), ErrOverflow);   // 0/0
    EXPECT_EQ(errorOf([&] { s.STAT_Var(BoundedArray<double>(0, {0, 4}), 1, 1); }), ErrOverflow);
    EXPECT_EQ(errorOf([&] { s.STAT_Mean(BoundedArray<double>()); }), ErrSubscript);
}

TEST(Corr, MatchesReference)
{
    Sumtrix s;
    for (const PairCase& c : kPairCases) {
        SCOPED_TRACE(c.name);
        // The one-pass update rounds each deviation from the running mean;
        // for values 1e5 from 0 with spread 1 that costs about eps x 1e5 of
        // relative accuracy, so 1e-10 there and 1e-12 elsewhere.
        const double tol = std::string(c.name) == "large offset" ? 1e-10 : 1e-12;
        double mx, my, sdx, sdy, r, cov;
        s.STAT_Corr(static_cast<std::int32_t>(c.x.size()), base1(c.x), base1(c.y), mx, my, sdx, sdy, r, cov);
        expectRel(mx, c.meanX, 1e-14, 0, "MeanX");
        expectRel(my, c.meanY, 1e-14, 0, "MeanY");
        expectRel(sdx, c.sdXPop, tol, 0, "SDX");
        expectRel(sdy, c.sdYPop, tol, 0, "SDY");
        expectRel(cov, c.covPop, tol, 0, "CovXY");
        expectRel(r, c.cor, tol, 0, "CorrXY");
    }
}

TEST(Corr, ZeroSpreadFails)
{
    Sumtrix s;
    double mx, my, sdx, sdy, r = -7, cov;
    EXPECT_EQ(errorOf([&] { s.STAT_Corr(3, base1({2, 2, 2}), base1({1, 2, 3}), mx, my, sdx, sdy, r, cov); }),
              ErrOverflow);
    EXPECT_EQ(r, -7);
    EXPECT_EQ(cov, 0) << "written before the failing division";
}

TEST(MeanVarCoVar, MatchesReference)
{
    Sumtrix s;
    for (const PairCase& c : kPairCases) {
        SCOPED_TRACE(c.name);
        std::int32_t n = 0;
        double mx, my, vx, vy, md, vd, cov = 0;
        s.STAT_MeanVarCoVar(base1(c.x), base1(c.y), n, mx, my, vx, vy, md, vd, cov);
        EXPECT_EQ(n, static_cast<std::int32_t>(c.x.size()));
        // Data 1e5 from 0: the covariance terms use the rounded means
        // without a correction term, good to about eps x 1e5 x n relative.
        const double tol = std::string(c.name) == "large offset" ? 1e-9 : 1e-12;
        expectRel(mx, c.meanX, 1e-14, 0, "MeanX");
        expectRel(my, c.meanY, 1e-14, 0, "MeanY");
        expectRel(vx, c.varX, 1e-12, 0, "VarX");
        expectRel(vy, c.varY, 1e-12, 0, "VarY");
        expectRel(md, c.meanD, 1e-12, 1, "MeanXY");
        expectRel(vd, c.varD, 1e-12, 0, "VarXY");
        expectRel(cov, c.covPop, tol, 0, "CoVarXY");
    }
}

TEST(MeanVarCoVar, CovarianceIsAddedOntoEntryValue)
{
    Sumtrix s;
    std::int32_t n = 0;
    double mx, my, vx, vy, md, vd, cov = 5;
    // x = 1..4, y = 2, 4, 6, 8: population covariance 2.5
    s.STAT_MeanVarCoVar(BoundedArray<double>(0, {9, 1, 2, 3, 4}), BoundedArray<double>(0, {9, 2, 4, 6, 8}),
                        n, mx, my, vx, vy, md, vd, cov);
    EXPECT_EQ(n, 4);
    EXPECT_DOUBLE_EQ(cov, 7.5);
    EXPECT_DOUBLE_EQ(vx, 5.0 / 3);
    EXPECT_DOUBLE_EQ(md, -2.5);
    EXPECT_DOUBLE_EQ(vd, 5.0 / 3);
}

namespace {
struct Distances {
    double euclidean = -7, canberra = -7, czekanowski = -7, kl = -7;
    BoundedArray<double> minkowski;
};
Distances distances(Sumtrix& s, const std::vector<double>& x, const std::vector<double>& y,
                    const std::vector<double>& m)
{
    Distances d;
    d.minkowski = BoundedArray<double>(0, static_cast<std::int32_t>(m.size()));
    s.STAT_Distance(base1(x), base1(y), d.euclidean, base1(m), d.minkowski, d.canberra, d.czekanowski, d.kl);
    return d;
}
} // namespace

TEST(Distance, MatchesReference)
{
    Sumtrix s;
    for (const DistanceCase& c : kDistanceCases) {
        const Distances d = distances(s, c.x, c.y, c.m);
        expectRel(d.euclidean, c.euclidean, 1e-13, 0, "Euclidean");
        for (std::size_t j = 0; j < c.m.size(); ++j)
            expectRel(d.minkowski(static_cast<std::int32_t>(j) + 1), c.minkowski[j], 1e-13, 0, "Minkowski");
        expectRel(d.canberra, c.canberra, 1e-13, 0, "Canberra");
        expectRel(d.czekanowski, c.czekanowski, 1e-12, 0, "Czekanowski");
        expectRel(d.kl, c.kullbackLeibler, 1e-12, 1e-12, "Kullback-Leibler");
    }
}

TEST(Distance, EqualVectorsAndZeroObservations)
{
    Sumtrix s;
    const Distances same = distances(s, {1, 2.5, 4}, {1, 2.5, 4}, {1, 2});
    EXPECT_EQ(same.euclidean, 0);
    EXPECT_EQ(same.minkowski(1), 0);
    EXPECT_EQ(same.minkowski(2), 0);
    EXPECT_EQ(same.canberra, 0);
    EXPECT_EQ(same.czekanowski, 0);
    EXPECT_EQ(same.kl, 0);

    // a pair of zeros adds nothing to Canberra; an observation of 0 adds
    // 0 ln 0 = 0 (the limit of y ln y at 0) to Kullback-Leibler instead of
    // failing on the logarithm of 0; a prediction of 0 is left out there
    const Distances d = distances(s, {0, 2, 1, 0}, {0, 0, 2, 3}, {1});
    EXPECT_DOUBLE_EQ(d.canberra, 2.0 / 2 + 1.0 / 3 + 3.0 / 3);
    EXPECT_DOUBLE_EQ(d.kl, 2 * std::log(2.0));
    EXPECT_DOUBLE_EQ(d.euclidean, std::sqrt(4 + 1 + 9));
    EXPECT_DOUBLE_EQ(d.czekanowski, 1 - 2.0 * 1 / 8);
}

TEST(Distance, UndefinedTermsFail)
{
    Sumtrix s;
    // exponent 0
    EXPECT_NE(errorOf([&] { distances(s, {1, 2}, {2, 3}, {0}); }), 0);
    // x + y = 0 with x != y
    EXPECT_EQ(errorOf([&] { distances(s, {-1, 2}, {1, 3}, {1}); }), ErrDivisionByZero);
    // a negative ratio in the logarithm
    EXPECT_EQ(errorOf([&] { distances(s, {-1, 2}, {2, 3}, {1}); }), ErrInvalidCall);
    // MinkowskiD shorter than m
    double e, c, z, k;
    BoundedArray<double> mk(0, 1);
    EXPECT_EQ(errorOf([&] { s.STAT_Distance(base1({1, 2}), base1({2, 2}), e, base1({1, 2}), mk, c, z, k); }),
              ErrSubscript);
    EXPECT_EQ(mk(1), 1) << "the first exponent was written before the failure";
}
