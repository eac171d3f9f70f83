// The least-absolute-deviation (median) fit.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
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
        std::vector<double> x = rc.x, y = rc.y;
        if (x.empty())
            generated(rc.n, x, y);
        ASSERT_EQ(static_cast<int>(x.size()), rc.n) << rc.name;
        const Fit f = medfit(s, x, y);
        // The bisection stops when its bracket is narrower than one
        // hundredth of the least-squares slope error; the optimum lies inside.
        const double width = 0.01 * lsSlopeError(x, y);
        EXPECT_LE(std::fabs(f.b - rc.b), width + 1e-12 * std::fabs(rc.b)) << rc.name;
        // The sum of absolute deviations at the returned line, recomputed
        // here in extended precision. The fit works on the data shifted by
        // their means; carrying its intercept back rounds it to a few units
        // of the last place of the data (shift per residual), which is all
        // that separates abdev and chisq from these sums. The sum exceeds the
        // optimum by at most the slope error times sum |x - mean x| (the
        // profile of the sum in b is Lipschitz with that constant for any
        // centre).
        const double mx = mean(x), my = mean(y);
        const double shift = 4 * std::numeric_limits<double>::epsilon() * (std::fabs(my) + std::fabs(f.b * mx));
        long double sadL = 0, chisqL = 0;
        double spreadX = 0;
        for (std::size_t i = 0; i < x.size(); ++i) {
            const long double r = static_cast<long double>(y[i])
                                  - (static_cast<long double>(f.b) * x[i] + static_cast<long double>(f.a));
            sadL += std::fabs(r);
            chisqL += r * r;
            spreadX += std::fabs(x[i] - mx);
        }
        const double sad = static_cast<double>(sadL), chisq = static_cast<double>(chisqL);
        const double n = rc.n;
        EXPECT_NEAR(f.abdev * n, sad, 1e-10 * (sad + 1) + n * shift) << rc.name;
        EXPECT_NEAR(f.chisq, chisq, 1e-10 * (chisq + 1) + 2 * shift * std::sqrt(n * chisq) + n * shift * shift)
            << rc.name;
        EXPECT_GE(sad, rc.sad * (1 - 1e-12) - 1e-12) << rc.name;
        EXPECT_LE(sad, rc.sad + spreadX * std::fabs(f.b - rc.b) + n * shift + 1e-9 * (rc.sad + 1)) << rc.name;
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
    // One outlier: the least-squares slope is 20, the median fit's about 1.03.
    f = medfit(s, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 100});
    EXPECT_NEAR(f.b, 1.03, 0.005);
    EXPECT_NEAR(f.a, -0.06, 0.005);
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
