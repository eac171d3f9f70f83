// The least-absolute-deviation (median) fit.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Rounding.hpp"
#include "SumtrixLib/Sumtrix.hpp"
#include "reference/median_line_points_cases.hpp"
#include "step_paths.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using namespace SumtrixLib::test_support;

namespace {

struct ReferenceCase {
    const char* name;
    std::vector<double> x, y;
    int n;
    double a, b, sad;
};

const ReferenceCase referenceCases[] = {
#include "reference/median_fit_cases.inc"
};

// The data set that tools/oracles/median_fit.py generates (exact IEEE
// operations only, so both produce the same numbers).
void generated(int n, std::vector<double>& x, std::vector<double>& y)
{
    x.clear();
    y.clear();
    for (int i = 1; i <= n; ++i) {
        const double xi = 10.0 * std::fmod(0.7548776662466927 * i, 1.0);
        const double d = std::fmod(0.6180339887498949 * i, 1.0) - 0.5;
        x.push_back(xi);
        y.push_back(2.0 + 0.5 * xi + 40.0 * (d * d * d));
    }
}

// The tied data sets of the same script: integers, shifted by the offset
// written at the end of the case's name.
void generatedTies(int n, double offset, std::vector<double>& x, std::vector<double>& y)
{
    x.clear();
    y.clear();
    for (long i = 1; i <= n; ++i) {
        x.push_back(offset + static_cast<double>(i % 7));
        y.push_back(offset + static_cast<double>((3 * (i % 7)) / 4 + (3 * i + (i * i) % 13) % 5));
    }
}

struct Fit {
    double a = 0, b = 0, abdev = 0, chisq = 0;
};

Fit medfit(Sumtrix& s, const std::vector<double>& x, const std::vector<double>& y)
{
    Fit f;
    const BoundedArray<double> X = base1(x), Y = base1(y);
    s.Reg_MedFit(X, Y, static_cast<std::int32_t>(x.size()), f.a, f.b, f.abdev, f.chisq);
    return f;
}

double mean(const std::vector<double>& v)
{
    return std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
}

// The standard error of the least-squares slope, whose hundredth is the
// width at which the bisection stops; from deviations about the means.
double lsSlopeError(const std::vector<double>& x, const std::vector<double>& y)
{
    const double mx = mean(x), my = mean(y);
    double sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sxx += (x[i] - mx) * (x[i] - mx);
        sxy += (x[i] - mx) * (y[i] - my);
    }
    const double b = sxy / sxx;
    double chisq = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        chisq += std::pow((y[i] - my) - b * (x[i] - mx), 2);
    return std::sqrt(chisq / (static_cast<double>(x.size()) * sxx));
}

} // namespace

TEST(MedianFit, AgreesWithTheExactLadOptimum)
{
    Sumtrix s;
    for (const ReferenceCase& rc : referenceCases) {
        const std::string name = rc.name;
        std::vector<double> x = rc.x, y = rc.y;
        if (name.rfind("generated ties", 0) == 0)
            generatedTies(rc.n, std::stod(name.substr(name.find("offset ") + 7)), x, y);
        else if (x.empty())
            generated(rc.n, x, y);
        ASSERT_EQ(static_cast<int>(x.size()), rc.n) << rc.name;
        const Fit f = medfit(s, x, y);
        // Data without ties have one optimum: the slope is the programme's
        // (to HiGHS's own tolerance), well within the hundredth of the
        // least-squares slope error at which the bisection alone stopped.
        if (name.find("ties") == std::string::npos) {
            const double width = 0.01 * lsSlopeError(x, y);
            EXPECT_LE(std::fabs(f.b - rc.b), 1e-4 * width + 1e-12 * std::fabs(rc.b)) << rc.name;
        }
        // The sum of absolute deviations at the returned line, recomputed
        // here in extended precision. The fit works on the data shifted by
        // their means; carrying its intercept back rounds it to a few units
        // of the last place of the data (shift per residual), which is all
        // that separates abdev and chisq from these sums. The sum is the
        // programme's optimum to 1e-9 (HiGHS stops within some 5e-11 of it,
        // either side), ties or not.
        const double mx = mean(x), my = mean(y);
        const double shift = 4 * std::numeric_limits<double>::epsilon() * (std::fabs(my) + std::fabs(f.b * mx));
        long double sadL = 0, chisqL = 0;
        for (std::size_t i = 0; i < x.size(); ++i) {
            const long double r = static_cast<long double>(y[i])
                                  - (static_cast<long double>(f.b) * x[i] + static_cast<long double>(f.a));
            sadL += std::fabs(r);
            chisqL += r * r;
        }
        const double sad = static_cast<double>(sadL), chisq = static_cast<double>(chisqL);
        const double n = rc.n;
        EXPECT_NEAR(f.abdev * n, sad, 1e-10 * (sad + 1) + n * shift) << rc.name;
        EXPECT_NEAR(f.chisq, chisq, 1e-10 * (chisq + 1) + 2 * shift * std::sqrt(n * chisq) + n * shift * shift)
            << rc.name;
        EXPECT_NEAR(sad, rc.sad, 1e-9 * rc.sad + n * shift) << rc.name;
    }
}

TEST(MedianFit, WorkedExamples)
{
    Sumtrix s;
    // An exact line in integers: the least-squares error is 0, the line is
    // returned as it is.
    Fit f = medfit(s, {1, 2, 3, 4, 5}, {3, 5, 7, 9, 11});
    EXPECT_DOUBLE_EQ(f.a, 1.0);
    EXPECT_DOUBLE_EQ(f.b, 2.0);
    EXPECT_EQ(f.abdev, 0.0);
    EXPECT_EQ(f.chisq, 0.0);
    // One outlier: the least-squares slope is 20; four points lie on
    // y = x, the least-absolute-deviation line (sum 95; the bisection alone
    // stopped near b = 1.03, a = -0.06, sum 95.03).
    f = medfit(s, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 100});
    EXPECT_DOUBLE_EQ(f.b, 1.0);
    EXPECT_NEAR(f.a, 0.0, 1e-15);
    EXPECT_DOUBLE_EQ(f.abdev, 95.0 / 5);
}

TEST(MedianFit, EvenCountTakesTheMeanOfTheTwoMiddleIntercepts)
{
    Sumtrix s;
    const BoundedArray<double> X = base1({1, 2, 3, 4}), Y = base1({1, 5, 2, 9});
    BoundedArray<double> arr(0, 4);
    double aa = 0, abdevt = 0;
    // With b = 1: y - b x = 0, 3, -1, 5, middle values 0 and 3.
    const double f = s.STAT_rofunc(1.0, X, Y, arr, aa, abdevt, 4);
    EXPECT_EQ(aa, 1.5);
    EXPECT_EQ(abdevt, 1.5 + 1.5 + 2.5 + 3.5);
    // Residuals -1.5, 1.5, -2.5, 3.5: -1 + 2 - 3 + 4.
    EXPECT_EQ(f, 2.0);
    // Points within a relative 1E-7 of the line count for neither side.
    const BoundedArray<double> Y2 = base1({1, 2, 3, 4});
    EXPECT_EQ(s.STAT_rofunc(1.0, X, Y2, arr, aa, abdevt, 4), 0.0);
    EXPECT_EQ(s.STAT_rofunc(1.0, X, Y2, arr, aa, abdevt, 0), 0.0);
}

TEST(MedianFit, SelectionAgainstSorting)
{
    Sumtrix s;
    BoundedArray<double> arr = base1({5, 1, 4, 2, 3});
    EXPECT_EQ(s.Sort_selectf(3, 5, arr), 3.0);
    EXPECT_EQ(arr.data(), (std::vector<double>{0, 1, 2, 3, 4, 5}));

    // Every k of seeded data with many ties, against a sorted copy.
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> small(0, 9);
    for (int n : {1, 2, 3, 7, 50, 301}) {
        std::vector<double> v(static_cast<std::size_t>(n));
        for (double& e : v)
            e = small(gen);
        std::vector<double> sorted = v;
        std::sort(sorted.begin(), sorted.end());
        for (int k = 1; k <= n; ++k) {
            BoundedArray<double> a = base1(v);
            EXPECT_EQ(s.Sort_selectf(k, n, a), sorted[static_cast<std::size_t>(k - 1)]) << n << " " << k;
        }
    }
    BoundedArray<double> a = base1({1, 2, 3});
    EXPECT_THROW(s.Sort_selectf(0, 3, a), RuntimeError);
    EXPECT_THROW(s.Sort_selectf(4, 3, a), RuntimeError);
    EXPECT_THROW(s.Sort_selectf(2, 5, a), RuntimeError);
}

TEST(MedianFit, FaultsFailTheCall)
{
    Sumtrix s;
    Fit f;
    // All x equal: the least-squares start divides by zero.
    const BoundedArray<double> X = base1({2, 2, 2}), Y = base1({1, 2, 3});
    EXPECT_THROW(s.Reg_MedFit(X, Y, 3, f.a, f.b, f.abdev, f.chisq), RuntimeError);
    // Arrays shorter than ndata.
    const BoundedArray<double> X2 = base1({1, 2, 3});
    EXPECT_THROW(s.Reg_MedFit(X2, Y, 4, f.a, f.b, f.abdev, f.chisq), RuntimeError);
    // No points.
    EXPECT_THROW(s.Reg_MedFit(X2, Y, 0, f.a, f.b, f.abdev, f.chisq), RuntimeError);
}

TEST(MedianFit, PointsOnTheLineHaveResidualZero)
{
    // Tied data whose median line runs through two or more points, against
    // exact rational arithmetic (tools/oracles/median_line_points.py): the
    // fit names exactly the points with residual 0, and their residues are
    // 0 (rounding gave them +-1E-15, and so a side and a rank of their
    // own); every other residue has the exact one's sign, and the normal
    // scores, whose ranks tie residues equal in exact arithmetic, are the
    // exact ones to the accuracy of AS 111 (2E-8).
    Sumtrix s;
    for (const MedianLinePointsReference::Case& c : MedianLinePointsReference::cases) {
        const auto n = static_cast<std::int32_t>(c.x.size());
        const BoundedArray<double> X = base1(c.x), Y = base1(c.y);
        Fit f;
        std::vector<std::int32_t> onLine{-5};
        medianFitThroughPoints(s, X, Y, n, f.a, f.b, f.abdev, f.chisq, onLine);
        // The slope comes from two points whose values as read carry the
        // rounding of their size (decimals near 1e6 and 1e9 that of 1e6 and
        // 1e9): over the span of the data it moves by up to twice that.
        double size = 0, low = X(1), high = X(1);
        for (std::int32_t i = 1; i <= n; ++i) {
            size = std::max(size, std::fabs(Y(i)) + std::fabs(c.b * X(i)));
            low = std::min(low, X(i));
            high = std::max(high, X(i));
        }
        EXPECT_NEAR(f.b, c.b, 1e-13 * std::fabs(c.b) + 2 * SumtrixLib::roundingOf(size) / (high - low)) << c.name;
        std::vector<std::int32_t> zero;
        for (std::int32_t i = 1; i <= n; ++i)
            if (c.sign[static_cast<std::size_t>(i - 1)] == 0)
                zero.push_back(i);
        EXPECT_EQ(onLine, zero) << c.name;
        // Reg_MedFit itself: the same line.
        Fit g;
        s.Reg_MedFit(X, Y, n, g.a, g.b, g.abdev, g.chisq);
        EXPECT_EQ(g.a, f.a) << c.name;
        EXPECT_EQ(g.b, f.b) << c.name;

        double mx = 0, my = 0;
        for (std::int32_t i = 1; i <= n; ++i) {
            mx += X(i);
            my += Y(i);
        }
        mx /= n;
        my /= n;
        double varX = 0;
        for (std::int32_t i = 1; i <= n; ++i)
            varX += (X(i) - mx) * (X(i) - mx);
        varX /= n - 1;
        BoundedArray<double> Deviation(0, n), Pred(0, n), Residue(0, n), SEr(0, n), StdtRes(0, n), RStdtRes(0, n),
            h(0, n), Cook(0, n), DFFITS(0, n), NormalResidue(0, n), PRESS(0, n), SemiStdtRes(0, n), WtDev(0, n);
        double MSE = 0;
        residueThroughPoints(s, onLine, f.a, f.b, X, Y, varX, mx, my, n, MSE, Deviation, Pred, Residue, SEr,
                             StdtRes, RStdtRes, h, Cook, DFFITS, NormalResidue, PRESS, SemiStdtRes, WtDev);
        // The bounds-checked statements, residues within the rounding of
        // the largest terms tied (the data's own differ by 1E-2 and more):
        // the same normal scores.
        BoundedArray<double> checkedScores(0, n);
        {
            double largest = 0;
            for (std::int32_t i = 1; i <= n; ++i)
                largest = std::max(largest, std::fabs(Y(i)) + std::fabs(f.b * X(i)));
            BoundedArray<double> d(0, n), p(0, n), r(0, n), se(0, n), st(0, n), rst(0, n), hh(0, n), cook(0, n),
                dffits(0, n), press(0, n), semi(0, n), wt(0, n);
            double mse = 0;
            residueBoundsChecked(s, f.a, f.b, X, Y, varX, mx, my, n, mse, d, p, r, se, st, rst, hh, cook, dffits,
                                 checkedScores, press, semi, wt, onLine,
                                 SumtrixLib::roundingOf(largest + std::fabs(f.a)));
        }
        for (std::int32_t i = 1; i <= n; ++i) {
            const std::size_t k = static_cast<std::size_t>(i - 1);
            const int sign = (Residue(i) > 0) - (Residue(i) < 0);
            EXPECT_EQ(sign, c.sign[k]) << c.name << ", point " << i;
            if (c.sign[k] == 0) {
                EXPECT_EQ(Pred(i), Y(i)) << c.name << ", point " << i;
                for (const BoundedArray<double>* scaled : {&StdtRes, &RStdtRes, &SemiStdtRes, &Cook, &DFFITS, &PRESS})
                    EXPECT_EQ((*scaled)(i), 0.0) << c.name << ", point " << i;
            }
            for (const BoundedArray<double>* scores : {&NormalResidue, &checkedScores})
                EXPECT_NEAR((*scores)(i), c.NormalResidue[k], 2e-8 * std::max(1.0, std::fabs(c.NormalResidue[k])))
                    << c.name << ", point " << i;
        }
    }
}
