// Residual diagnostics of a straight line.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"

using namespace SumtrixLib;

namespace {

BoundedArray<double> base1(const std::vector<double>& v)
{
    BoundedArray<double> a(0, static_cast<std::int32_t>(v.size()));
    for (std::size_t i = 0; i < v.size(); ++i)
        a(static_cast<std::int32_t>(i) + 1) = v[i];
    return a;
}

struct ReferenceCase {
    const char* name;
    std::vector<double> x, y;
    double b0, b1, VarX, MeanX, MeanY, MSE;
    std::vector<double> Pred, Residue, h, StdtRes, RStdtRes, Cook, DFFITS, PRESS, NormalResidue;
};

const ReferenceCase referenceCases[] = {
#include "reference/residuals_cases.inc"
};

// All outputs of one call, pre-filled with a sentinel to see what is written.
struct Diagnostics {
    static constexpr double Unwritten = -777.0;
    double MSE = Unwritten;
    BoundedArray<double> Deviation, Pred, Residue, SEr, StdtRes, RStdtRes, h, Cook, DFFITS, NormalResidue, PRESS,
        SemiStdtRes, WtDev;
    explicit Diagnostics(std::int32_t n)
    {
        for (BoundedArray<double>* a : all()) {
            a->redim(0, n);
            for (double& v : a->data())
                v = Unwritten;
        }
    }
    std::vector<BoundedArray<double>*> all()
    {
        return {&Deviation, &Pred, &Residue, &SEr, &StdtRes, &RStdtRes, &h, &Cook, &DFFITS, &NormalResidue, &PRESS,
                &SemiStdtRes, &WtDev};
    }
};

Diagnostics residue(Sumtrix& s, double b0, double b1, const std::vector<double>& x, const std::vector<double>& y,
                    double VarX, double MeanX, double MeanY)
{
    const auto n = static_cast<std::int32_t>(x.size());
    Diagnostics d(n);
    s.STAT_Residue(b0, b1, base1(x), base1(y), VarX, MeanX, MeanY, n, d.MSE, d.Deviation, d.Pred, d.Residue, d.SEr,
                   d.StdtRes, d.RStdtRes, d.h, d.Cook, d.DFFITS, d.NormalResidue, d.PRESS, d.SemiStdtRes, d.WtDev);
    return d;
}

double mean(const std::vector<double>& v)
{
    double s = 0;
    for (double e : v)
        s += e;
    return s / static_cast<double>(v.size());
}

double variance(const std::vector<double>& v)
{
    const double m = mean(v);
    double s = 0;
    for (double e : v)
        s += (e - m) * (e - m);
    return s / static_cast<double>(v.size() - 1);
}

} // namespace

TEST(Residue, AgreesWithRInfluenceMeasures)
{
    Sumtrix s;
    for (const ReferenceCase& rc : referenceCases) {
        const Diagnostics d = residue(s, rc.b0, rc.b1, rc.x, rc.y, rc.VarX, rc.MeanX, rc.MeanY);
        const std::size_t n = rc.x.size();
        // Leverages from 1/n + (x - MeanX)^2/Sxx against R's row sums of
        // the squared QR factor: a few units of the last place, times the
        // digits that x - MeanX loses to an offset (MeanX/sd(x), about 3E3
        // for the data offset by 1E6).
        const double eps = std::numeric_limits<double>::epsilon();
        const double rel = 64 * eps * (1.0 + std::fabs(rc.MeanX) / std::sqrt(rc.VarX));
        EXPECT_NEAR(d.MSE, rc.MSE, 1e-12 * rc.MSE) << rc.name;
        const double rootMSE = std::sqrt(rc.MSE);
        for (std::size_t k = 0; k < n; ++k) {
            const auto i = static_cast<std::int32_t>(k + 1);
            const std::string at = std::string(rc.name) + " point " + std::to_string(i);
            // Residuals cancel y against the fitted value.
            // R's fitted values come from the QR factors, not from the
            // coefficients: both round at the size of the terms x b1 and b0.
            const double termScale = std::fabs(rc.x[k] * rc.b1) + std::fabs(rc.b0);
            EXPECT_NEAR(d.Pred(i), rc.Pred[k], 64 * eps * termScale) << at;
            const double eTol = 64 * eps * (std::fabs(rc.y[k]) + termScale);
            EXPECT_NEAR(d.Residue(i), rc.Residue[k], eTol) << at;
            EXPECT_EQ(d.Deviation(i), rc.x[k] - rc.y[k]) << at;
            EXPECT_NEAR(d.h(i), rc.h[k], rel) << at;
            // Standardized quantities: relative to the residual's own
            // precision and the leverage's.
            const double relE = eTol / std::fabs(rc.Residue[k]) + rel / (1 - rc.h[k]) + 1e-13;
            EXPECT_NEAR(d.StdtRes(i), rc.StdtRes[k], relE * std::fabs(rc.StdtRes[k])) << at;
            EXPECT_NEAR(d.RStdtRes(i), rc.RStdtRes[k], 2 * relE * std::fabs(rc.RStdtRes[k])) << at;
            EXPECT_NEAR(d.Cook(i), rc.Cook[k], 4 * (relE + rel / rc.h[k]) * rc.Cook[k]) << at;
            EXPECT_NEAR(d.DFFITS(i), rc.DFFITS[k], 4 * (relE + rel / rc.h[k]) * std::fabs(rc.DFFITS[k])) << at;
            EXPECT_NEAR(d.PRESS(i), rc.PRESS[k], relE * std::fabs(rc.PRESS[k])) << at;
            EXPECT_NEAR(d.SEr(i), rootMSE * std::sqrt(1 - rc.h[k]), relE * rootMSE) << at;
            EXPECT_NEAR(d.SemiStdtRes(i), rc.Residue[k] / rootMSE, relE * std::fabs(rc.Residue[k]) / rootMSE) << at;
            // Normal scores: the quantile of AS 111 is good to about 5E-9
            // absolute for plotting positions between 0.01 and 0.99
            // (measured against R's qnorm); n <= 40 keeps them there.
            EXPECT_NEAR(d.NormalResidue(i), rc.NormalResidue[k], 1e-8 * rootMSE) << at;
        }
        // Index 0 is never touched.
        EXPECT_EQ(d.h(0), Diagnostics::Unwritten) << rc.name;
        EXPECT_EQ(d.NormalResidue(0), Diagnostics::Unwritten) << rc.name;
    }
}

TEST(Residue, WeightedDeviation)
{
    Sumtrix s;
    const std::vector<double> x{1, 2, 4}, y{2, 3, 7};
    const Diagnostics d = residue(s, 0, 1.5, x, y, variance(x), mean(x), mean(y));
    // (y - 4)(x - 7/3)/(7/3 * 4) * (x - y)
    for (int i = 1; i <= 3; ++i) {
        const double xi = x[static_cast<std::size_t>(i - 1)], yi = y[static_cast<std::size_t>(i - 1)];
        EXPECT_NEAR(d.WtDev(i), (yi - 4) * (xi - 7.0 / 3) / (28.0 / 3) * (xi - yi), 1e-15) << i;
    }
}

TEST(Residue, PointsOnTheLine)
{
    Sumtrix s;
    const std::vector<double> x{1, 2, 3, 4, 5}, y{3, 5, 7, 9, 11};
    const Diagnostics d = residue(s, 1, 2, x, y, variance(x), mean(x), mean(y));
    EXPECT_EQ(d.MSE, 0.0);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(d.Cook(i), 0.0) << i;
        EXPECT_EQ(d.SemiStdtRes(i), Diagnostics::Unwritten) << i;
        EXPECT_EQ(d.SEr(i), 0.0) << i;
        EXPECT_EQ(d.StdtRes(i), 0.0) << i;
        EXPECT_EQ(d.RStdtRes(i), 0.0) << i;
        EXPECT_EQ(d.DFFITS(i), 0.0) << i;
        EXPECT_EQ(d.NormalResidue(i), 0.0) << i;
        EXPECT_EQ(d.PRESS(i), 0.0) << i;
    }
}

TEST(Residue, TiedResidualsShareTheirScore)
{
    Sumtrix s;
    // With the line y = 0 the residuals are the y values: 1, 2, 2, 3, 2.
    const std::vector<double> x{1, 2, 3, 4, 5}, y{1, 2, 2, 3, 2};
    const Diagnostics d = residue(s, 0, 0, x, y, variance(x), mean(x), mean(y));
    const double rootMSE = std::sqrt(22.0 / 3.0);
    // Ranks 1, 3 (shared by the three 2s) and 5 of n = 5; qnorm() from R:
    // qnorm((1 - 0.375)/5.25) = -1.1797611176118603.
    const double tol = 1e-8 * rootMSE;   // AS 111 against qnorm, as above
    EXPECT_NEAR(d.NormalResidue(1), -1.1797611176118603 * rootMSE, tol);
    EXPECT_NEAR(d.NormalResidue(4), 1.1797611176118603 * rootMSE, tol);
    EXPECT_EQ(d.NormalResidue(2), 0.0);
    EXPECT_EQ(d.NormalResidue(3), 0.0);
    EXPECT_EQ(d.NormalResidue(5), 0.0);
}

TEST(Residue, LeverageOneAndZeroMeansLeaveOnlyThoseEntriesUndefined)
{
    Sumtrix s;
    // Three points at x = 1 and one at x = 5: the lone point has leverage 1.
    // Least-squares line y = 0.75 + 1.25 x; residuals -1, 0, 1, 0.
    const std::vector<double> x{1, 1, 1, 5}, y{1, 2, 3, 7};
    const Diagnostics d = residue(s, 0.75, 1.25, x, y, 4.0, 2.0, 3.25);
    EXPECT_DOUBLE_EQ(d.MSE, 1.0);
    EXPECT_DOUBLE_EQ(d.h(4), 1.0);
    EXPECT_TRUE(std::isnan(d.PRESS(4)));
    EXPECT_TRUE(std::isnan(d.Cook(4)));
    EXPECT_TRUE(std::isnan(d.DFFITS(4)));
    EXPECT_EQ(d.SEr(4), 0.0);
    EXPECT_EQ(d.StdtRes(4), 0.0);
    EXPECT_EQ(d.RStdtRes(4), 0.0);
    EXPECT_EQ(d.Residue(4), 0.0);
    // The other points are computed as usual: h = 1/4 + 1/12 = 1/3.
    for (int i = 1; i <= 3; ++i) {
        const double e = d.Residue(i);
        EXPECT_DOUBLE_EQ(d.h(i), 1.0 / 3) << i;
        EXPECT_DOUBLE_EQ(d.PRESS(i), e * 1.5) << i;
        EXPECT_DOUBLE_EQ(d.Cook(i) + 1.0, e * e / 2 * (1.0 / 3) / (4.0 / 9) + 1.0) << i;
        EXPECT_DOUBLE_EQ(d.SEr(i), std::sqrt(2.0 / 3)) << i;
        EXPECT_TRUE(std::isfinite(d.WtDev(i))) << i;
        EXPECT_TRUE(std::isfinite(d.NormalResidue(i))) << i;
    }

    // A zero mean leaves the weighted deviation undefined, nothing else.
    const std::vector<double> xs{-2, -1, 0, 1, 2}, ys{1, 3, 2, 5, 4};
    const Diagnostics z = residue(s, 3, 0.7, xs, ys, 2.5, 0.0, 3.0);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_TRUE(std::isnan(z.WtDev(i))) << i;
        EXPECT_TRUE(std::isfinite(z.PRESS(i))) << i;
        EXPECT_TRUE(std::isfinite(z.Cook(i))) << i;
        EXPECT_TRUE(std::isfinite(z.NormalResidue(i))) << i;
    }
}

TEST(Residue, FaultsFailTheCall)
{
    Sumtrix s;
    // Two points: MSE = SSE/0. All x equal: Sxx = 0. Arrays too short.
    EXPECT_THROW(residue(s, 0, 1, {1, 2}, {1, 3}, 0.5, 1.5, 2), RuntimeError);
    EXPECT_THROW(residue(s, 0, 1, {2, 2, 2}, {1, 3, 2}, 0.0, 2, 2), RuntimeError);
    Diagnostics d(3);
    const BoundedArray<double> x = base1({1, 2, 3}), y = base1({1, 3, 2});
    EXPECT_THROW(s.STAT_Residue(0, 1, x, y, 1, 2, 2, 4, d.MSE, d.Deviation, d.Pred, d.Residue, d.SEr, d.StdtRes,
                                d.RStdtRes, d.h, d.Cook, d.DFFITS, d.NormalResidue, d.PRESS, d.SemiStdtRes, d.WtDev),
                 RuntimeError);
}

TEST(Residue, HundredThousandPoints)
{
    Sumtrix s;
    const int n = 100000;
    std::vector<double> x(n), y(n);
    for (int i = 1; i <= n; ++i) {
        x[static_cast<std::size_t>(i - 1)] = 10.0 * std::fmod(0.7548776662466927 * i, 1.0);
        const double d = std::fmod(0.6180339887498949 * i, 1.0) - 0.5;
        y[static_cast<std::size_t>(i - 1)] = 2.0 + 0.5 * x[static_cast<std::size_t>(i - 1)] + 4.0 * d;
    }
    const double mx = mean(x), my = mean(y), vx = variance(x);
    double sxy = 0;
    for (int i = 0; i < n; ++i)
        sxy += (x[static_cast<std::size_t>(i)] - mx) * (y[static_cast<std::size_t>(i)] - my);
    const double b1 = sxy / ((n - 1) * vx), b0 = my - b1 * mx;
    const Diagnostics d = residue(s, b0, b1, x, y, vx, mx, my);
    // The leverages of a line add up to its two parameters; Cook's
    // distances to sum of StdtRes^2 h/(1-h)/2.
    double sumH = 0, sumCook = 0, cookCheck = 0;
    for (int i = 1; i <= n; ++i) {
        sumH += d.h(i);
        sumCook += d.Cook(i);
        cookCheck += d.StdtRes(i) * d.StdtRes(i) * d.h(i) / (1 - d.h(i)) / 2;
    }
    EXPECT_NEAR(sumH, 2.0, 1e-9);
    EXPECT_NEAR(sumCook, cookCheck, 1e-12 * cookCheck);
    // Normal scores follow the residuals' order.
    std::vector<int> order(n);
    for (int i = 0; i < n; ++i)
        order[static_cast<std::size_t>(i)] = i + 1;
    std::sort(order.begin(), order.end(), [&](int a, int b) { return d.Residue(a) < d.Residue(b); });
    for (int k = 1; k < n; ++k)
        ASSERT_LE(d.NormalResidue(order[static_cast<std::size_t>(k - 1)]), d.NormalResidue(order[static_cast<std::size_t>(k)]));
    // The smallest residual's score: rank 1 of n, qnorm(0.625/100000.25)
    // from R. So far in the tail AS 111 is good to about 1E-5.
    EXPECT_NEAR(d.NormalResidue(order[0]) / std::sqrt(d.MSE), -4.368680139, 1e-5);
}
