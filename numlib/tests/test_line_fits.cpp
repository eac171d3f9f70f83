// Straight-line fits and STAT_AveVar against R (tools/oracles/line_fits.R)
// and the worked examples.
#include <cmath>
#include <algorithm>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"
#include "reference/line_fits_cases.hpp"

using namespace SumtrixLib;
using test_support::errorOf;

namespace {

// Elements first..first+n-1 taken from v.
BoundedArray<double> arrayFrom(const std::vector<double>& v, std::int32_t first = 1)
{
    BoundedArray<double> a(first, first + static_cast<std::int32_t>(v.size()) - 1);
    for (std::size_t i = 0; i < v.size(); ++i)
        a(first + static_cast<std::int32_t>(i)) = v[i];
    return a;
}

std::int32_t countOf(const std::vector<double>& v) { return static_cast<std::int32_t>(v.size()); }

// |actual - expected| within rel times |expected| (or rel itself near 0).
::testing::AssertionResult closeRel(double actual, double expected, double rel)
{
    const double tol = rel * std::max(1.0, std::fabs(expected));
    if (std::fabs(actual - expected) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " vs " << expected << " (tolerance " << tol << ")";
}

// The rounding that a mean formed as a plain sum over n typically carries:
// about sqrt(n) roundings of eps times the largest value. The fits work on
// deviations about such means, so on data far from zero this is what they
// lose.
double meanRounding(const std::vector<double>& v)
{
    double maxAbs = 0.0;
    for (double e : v)
        maxAbs = std::max(maxAbs, std::fabs(e));
    return std::sqrt(static_cast<double>(v.size())) * std::numeric_limits<double>::epsilon() * maxAbs;
}

} // namespace

TEST(STAT_AveVar, AgainstRAndWorkedExample)
{
    Sumtrix s;
    for (const auto& c : LineFitsReference::cases) {
        SCOPED_TRACE(c.name);
        double ave = -1.0;
        double var = -1.0;
        s.STAT_AveVar(arrayFrom(c.x), countOf(c.x), ave, var);
        // R's mean() and var() are two-pass as well.
        EXPECT_TRUE(closeRel(ave, c.meanX, 1e-13));
        EXPECT_TRUE(closeRel(var, c.varX, 1e-12));
    }
    double ave = 0.0;
    double var = 0.0;
    s.STAT_AveVar(BoundedArray<double>(0, {99.0, 1, 2, 3, 4}), 4, ave, var);
    EXPECT_EQ(ave, 2.5);
    EXPECT_DOUBLE_EQ(var, 1.6666666666666667);
}

TEST(STAT_AveVar, FewerThanTwoValuesGiveZeros)
{
    Sumtrix s;
    for (std::int32_t n : {1, 0, -3}) {
        SCOPED_TRACE(n);
        double ave = 7.0;
        double var = 7.0;
        s.STAT_AveVar(BoundedArray<double>(1, {42.0}), n, ave, var);
        EXPECT_EQ(ave, 0.0);
        EXPECT_EQ(var, 0.0);
    }
}

TEST(STAT_AveVar, ArrayShorterThanNFails)
{
    Sumtrix s;
    double ave = 0.0;
    double var = 0.0;
    EXPECT_EQ(errorOf([&] { s.STAT_AveVar(BoundedArray<double>(1, {1.0, 2.0}), 3, ave, var); }),
              ErrSubscript);
}

TEST(Reg_FitXYPerpendicular, AgainstTotalLeastSquaresInR)
{
    Sumtrix s;
    for (const auto& c : LineFitsReference::cases) {
        SCOPED_TRACE(c.name);
        const std::int32_t n = countOf(c.x);
        const BoundedArray<double> x = arrayFrom(c.x);
        const BoundedArray<double> y = arrayFrom(c.y);
        // Spreads and distances come from deviations about the means, so
        // the only error beyond a few roundings is that of the means: the
        // centroid moves by (dx, dy), each signed distance by up to
        // shift = dy + |b| dx (times 1/Sqr(1 + b^2) <= 1), the sum of
        // squared distances by n shift^2, and the spreads by n dx^2 and
        // n dy^2. Spreads formed as Sx2 - n mx^2 would lose every digit on
        // the rows offset by 1e9.
        const double dx = meanRounding(c.x);
        const double dy = meanRounding(c.y);
        const double shift = dy + std::fabs(c.pb) * dx;
        double my = 0.0;
        for (double v : c.y)
            my += v / n;
        double sxy = 0.0;
        for (std::int32_t i = 0; i < n; ++i)
            sxy += (c.x[i] - c.meanX) * (c.y[i] - my);
        const double tolB = std::max(1e-12, n * (dx * dx + dy * dy) / std::fabs(sxy));
        const double tolA = std::max(1e-12, (shift + std::fabs(c.meanX * c.pb) * tolB) / std::fabs(c.pa));
        const double tolR = std::max(1e-12, n * shift * shift / c.pr);
        const double tolResidue = std::max(1e-12, shift);

        double a = 0.0, b = 0.0, r = 0.0;
        double siga = 11.0, sigb = 12.0;
        BoundedArray<double> residue(0, n);
        residue(0) = -5.0;
        s.Reg_FitXYPerpendicular(x, y, n, a, b, siga, sigb, residue, r);
        EXPECT_TRUE(closeRel(b, c.pb, tolB));
        EXPECT_TRUE(closeRel(a, c.pa, tolA));
        EXPECT_TRUE(closeRel(r, c.pr, tolR));
        for (std::int32_t i = 1; i <= n; ++i)
            ASSERT_TRUE(closeRel(residue(i), c.presidue[i - 1], tolResidue)) << i;
        EXPECT_EQ(residue(0), -5.0);
        EXPECT_EQ(siga, 11.0);
        EXPECT_EQ(sigb, 12.0);
    }
}

TEST(Reg_FitXYPerpendicular, AddsToRAndTakesSecondRootOnATie)
{
    Sumtrix s;
    // Six points about the centroid (1, 1) with equal spreads in x and y
    // (B = 0, so the candidates are y = x and y = 2 - x) and equal sums of
    // absolute perpendicular distances to both (12 / Sqr(2) each). The tie
    // takes the second root b2 = -1, although y = x has the smaller sum of
    // squares (20 against 36).
    const BoundedArray<double> x(1, {4.0, -2.0, -1.0, 3.0, 0.0, 2.0});
    const BoundedArray<double> y(1, {4.0, -2.0, 3.0, -1.0, 2.0, 0.0});
    BoundedArray<double> residue(1, 6);
    double a = 0.0, b = 0.0, r = 5.0;
    s.Reg_FitXYPerpendicular(x, y, 6, a, b, 0.0, 0.0, residue, r);
    EXPECT_EQ(b, -1.0);
    EXPECT_EQ(a, 2.0);
    // Squared distances to y = 2 - x: 18, 18 and four zeros, added to the 5
    // passed in.
    EXPECT_DOUBLE_EQ(r, 41.0);
    EXPECT_DOUBLE_EQ(residue(1), std::sqrt(18.0));
    EXPECT_DOUBLE_EQ(residue(2), std::sqrt(18.0));
    EXPECT_EQ(residue(3), 0.0);
}

TEST(Reg_FitXYPerpendicular, Failures)
{
    Sumtrix s;
    BoundedArray<double> residue(1, 4);
    double a = 0.0, b = 0.0, r = 0.0;
    // No linear association: n mx my - Sxy = 0 (division by zero); with
    // equal spreads as well the quotient is 0 / 0 (overflow).
    EXPECT_EQ(errorOf([&] {
                  s.Reg_FitXYPerpendicular(BoundedArray<double>(1, {0.0, 1.0, 0.0, 1.0}),
                                           BoundedArray<double>(1, {0.0, 0.0, 2.0, 2.0}), 4, a, b,
                                           0.0, 0.0, residue, r);
              }),
              ErrDivisionByZero);
    EXPECT_EQ(errorOf([&] {
                  s.Reg_FitXYPerpendicular(BoundedArray<double>(1, {0.0, 1.0, 0.0, 1.0}),
                                           BoundedArray<double>(1, {0.0, 0.0, 1.0, 1.0}), 4, a, b,
                                           0.0, 0.0, residue, r);
              }),
              ErrOverflow);
    // Residue shorter than the data.
    BoundedArray<double> shortResidue(1, 2);
    EXPECT_EQ(errorOf([&] {
                  s.Reg_FitXYPerpendicular(BoundedArray<double>(1, {1.0, 2.0, 3.0}),
                                           BoundedArray<double>(1, {1.0, 2.5, 2.9}), 3, a, b, 0.0,
                                           0.0, shortResidue, r);
              }),
              ErrSubscript);
}

namespace {

struct FitResult {
    double a = 0, b = 0, siga = 0, sigb = 0, chi2 = 0, Q = 0;
    std::int32_t mwt = 0;
    bool operator==(const FitResult&) const = default;
};

FitResult fitXY(Sumtrix& s, const LineFitsReference::Case& c, std::int32_t mwt, bool base0)
{
    FitResult f;
    f.mwt = mwt;
    const std::int32_t first = base0 ? 0 : 1;
    const BoundedArray<double> x = arrayFrom(c.x, first);
    const BoundedArray<double> y = arrayFrom(c.y, first);
    const BoundedArray<double> sig = arrayFrom(c.sig, first);
    if (base0)
        s.Reg_FitXY0(x, y, countOf(c.x), sig, f.mwt, f.a, f.b, f.siga, f.sigb, f.chi2, f.Q);
    else
        s.Reg_FitXY(x, y, countOf(c.x), sig, f.mwt, f.a, f.b, f.siga, f.sigb, f.chi2, f.Q);
    return f;
}

} // namespace

TEST(Reg_FitXY, AgainstLmUnweightedAndWeighted)
{
    Sumtrix s;
    for (const auto& c : LineFitsReference::cases) {
        SCOPED_TRACE(c.name);
        // The slope and the residuals come from deviations about the
        // (weighted) means, so beyond a few roundings only the error of
        // those means remains (about dx and dy, see meanRounding): the
        // slope's sums move by n dx dy, the line by shift = dy + |b| dx,
        // every residual by up to shift and chi2 by n shift^2 (over sig^2
        // when weighted). Summing t y with y uncentred would lose every
        // digit of the slope on the row offset by 1e9.
        const double n = static_cast<double>(c.x.size());
        const double dx = meanRounding(c.x);
        const double dy = meanRounding(c.y);
        double maxWeight = 0.0;
        for (double v : c.sig)
            maxWeight = std::max(maxWeight, 1.0 / (v * v));
        const double st2 = c.varX * (n - 1.0);
        const double tolB = std::max(1e-12, n * dx * dy / (st2 * std::fabs(c.b)));
        const double shift = dy + std::fabs(c.b) * dx;
        const double tolA = std::max(1e-12, (shift + std::fabs(c.meanX * c.b) * tolB) / std::fabs(c.a));
        const double tolChi2 = std::max(1e-11, n * shift * shift / c.chi2);
        const double tolWChi2 = std::max(1e-11, n * shift * shift * maxWeight / c.wchi2);
        // Q comes from the incomplete gamma function, whose series and
        // continued fraction stop at a relative step of 3E-7; the part of
        // the series left unsummed grows to about Sqr(a) times that.
        const double tolQ = 3e-7 * (1.0 + std::sqrt((n - 2.0) / 2.0));

        const FitResult u = fitXY(s, c, 0, false);
        EXPECT_TRUE(closeRel(u.b, c.b, tolB));
        EXPECT_TRUE(closeRel(u.a, c.a, tolA));
        EXPECT_TRUE(closeRel(u.siga, c.siga, tolChi2));
        EXPECT_TRUE(closeRel(u.sigb, c.sigb, tolChi2));
        EXPECT_TRUE(closeRel(u.chi2, c.chi2, tolChi2));
        EXPECT_EQ(u.Q, 1.0);
        EXPECT_EQ(u.mwt, 0);

        const FitResult w = fitXY(s, c, 1, false);
        EXPECT_TRUE(closeRel(w.b, c.wb, tolB));
        EXPECT_TRUE(closeRel(w.a, c.wa, tolA));
        EXPECT_TRUE(closeRel(w.siga, c.wsiga, tolWChi2));
        EXPECT_TRUE(closeRel(w.sigb, c.wsigb, tolWChi2));
        EXPECT_TRUE(closeRel(w.chi2, c.wchi2, tolWChi2));
        EXPECT_TRUE(closeRel(w.Q, c.wQ, tolQ));
        EXPECT_EQ(w.mwt, 1);

        // Any non-zero mwt weights alike; the 0-based variant is the same fit.
        EXPECT_EQ(fitXY(s, c, -5, false), (FitResult{w.a, w.b, w.siga, w.sigb, w.chi2, w.Q, -5}));
        EXPECT_EQ(fitXY(s, c, 0, true), u);
        EXPECT_EQ(fitXY(s, c, 1, true), w);
    }
}

TEST(Reg_FitXY, WeightsFallBackAndSmallFits)
{
    Sumtrix s;
    // One zero sig: mwt comes back 0 and the fit is the unweighted one.
    const BoundedArray<double> x(1, {1.0, 2.0, 3.0, 4.0});
    const BoundedArray<double> y(1, {2.0, 4.0, 7.0, 7.5});
    const BoundedArray<double> sig(1, {0.5, 1.0, 0.0, 2.0});
    FitResult weighted, plain;
    weighted.mwt = 1;
    s.Reg_FitXY(x, y, 4, sig, weighted.mwt, weighted.a, weighted.b, weighted.siga, weighted.sigb,
                weighted.chi2, weighted.Q);
    s.Reg_FitXY(x, y, 4, BoundedArray<double>(), 0, plain.a, plain.b, plain.siga, plain.sigb,
                plain.chi2, plain.Q);
    EXPECT_EQ(weighted, plain);
    EXPECT_EQ(weighted.mwt, 0);

    // Weighted through two points: Q stays 1, chi2 is the weighted one (0).
    FitResult two;
    two.mwt = 1;
    s.Reg_FitXY(BoundedArray<double>(1, {1.0, 3.0}), BoundedArray<double>(1, {2.0, 6.0}), 2,
                BoundedArray<double>(1, {0.5, 2.0}), two.mwt, two.a, two.b, two.siga, two.sigb,
                two.chi2, two.Q);
    EXPECT_EQ(two.Q, 1.0);
    EXPECT_DOUBLE_EQ(two.b, 2.0);
    EXPECT_NEAR(two.a, 0.0, 1e-15);
    EXPECT_NEAR(two.chi2, 0.0, 1e-28);
    // Unweighted errors of the worked example: sqrt((1 + 4/2) / 3 * 1/6) and
    // sqrt(1/2 * 1/6), from sx = 6, ss = 3, st2 = 2, chi2 = 1/6.
    const auto& worked = LineFitsReference::cases.front();
    const FitResult u = fitXY(s, worked, 0, false);
    EXPECT_DOUBLE_EQ(u.siga, std::sqrt(1.0 / 6.0 * (1.0 + 36.0 / 6.0) / 3.0));
    EXPECT_DOUBLE_EQ(u.sigb, std::sqrt(1.0 / 12.0));
    EXPECT_DOUBLE_EQ(u.b, 2.5);
}

TEST(Reg_FitXY, Failures)
{
    Sumtrix s;
    double a = 9, b = 9, siga = 9, sigb = 9, chi2 = 9, Q = 9;
    // Unweighted through two points: chi2 / (ndata - 2) is 0 / 0, after a
    // and b were written.
    EXPECT_EQ(errorOf([&] {
                  s.Reg_FitXY(BoundedArray<double>(1, {0.0, 1.0}), BoundedArray<double>(1, {0.0, 1.0}),
                              2, BoundedArray<double>(), 0, a, b, siga, sigb, chi2, Q);
              }),
              ErrOverflow);
    EXPECT_EQ(a, 0.0);
    EXPECT_EQ(b, 1.0);
    // All x equal: st2 = 0.
    EXPECT_NE(errorOf([&] {
                  s.Reg_FitXY(BoundedArray<double>(1, {2.0, 2.0, 2.0}),
                              BoundedArray<double>(1, {1.0, 2.0, 3.0}), 3, BoundedArray<double>(), 0,
                              a, b, siga, sigb, chi2, Q);
              }),
              0);
    // Weighted with sig shorter than the data; mwt is left as passed.
    std::int32_t mwt = 1;
    EXPECT_EQ(errorOf([&] {
                  s.Reg_FitXY(BoundedArray<double>(1, {1.0, 2.0, 3.0}),
                              BoundedArray<double>(1, {1.0, 2.0, 3.5}), 3,
                              BoundedArray<double>(1, {1.0, 1.0}), mwt, a, b, siga, sigb, chi2, Q);
              }),
              ErrSubscript);
    EXPECT_EQ(mwt, 1);
}
