// Residual diagnostics of a straight line.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
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

// residueFit runs the first statements of STAT_Residue alone: the same MSE,
// fitted values and residues to the bit, and it fails where the whole call
// fails (a deviation or a sum beyond the double range, two points, all x
// equal).
TEST(Residue, FitAloneGivesTheSameResiduesAndFailures)
{
    Sumtrix s;
    const struct {
        const char* name;
        std::vector<double> x, y;
        double b0, b1;
        bool fails;
        double VarX = -1;                // -1: the sample variance of x
    } cases[] = {
        {"tidy", {1, 2, 3, 4, 5}, {1.2, 1.9, 3.4, 3.8, 5.3}, 0.1, 1.02, false},
        {"far from zero", {1e9 + 1, 1e9 + 2, 1e9 + 4, 1e9 + 7}, {1e9 + 1.5, 1e9 + 1.5, 1e9 + 4.5, 1e9 + 6}, 3.0, 1.0, false},
        {"negative", {1, 2, 3, 4}, {9, 7.5, 6.8, 4.1}, 10.6, -1.55, false},
        {"sum beyond range", {1, 2, 3}, {1e308, -1e308, 1e308}, 0, 1, true},
        // Only X - Y of the first point overflows; its residue is 0.
        {"deviation beyond range", {1e308, 1, 2}, {-1e308, 1, 2}, 0, -1, true, 1.0},
        {"two points", {1, 2}, {1, 3}, 0, 1, true},
        {"all x equal", {2, 2, 2}, {1, 3, 2}, 0, 1, true},
    };
    for (const auto& c : cases) {
        const auto n = static_cast<std::int32_t>(c.x.size());
        const double VarX = c.VarX >= 0 ? c.VarX : c.x.size() > 1 ? variance(c.x) : 0;
        const double MeanX = 1.0, MeanY = 1.0;
        double MSE = Diagnostics::Unwritten;
        BoundedArray<double> Pred(0, n), Residue(0, n);
        bool fitFailed = false, wholeFailed = false;
        try {
            residueFit(c.b0, c.b1, base1(c.x), base1(c.y), VarX, MeanX, n, MSE, Pred, Residue);
        } catch (const RuntimeError&) {
            fitFailed = true;
        }
        Diagnostics whole(n);
        try {
            whole = residue(s, c.b0, c.b1, c.x, c.y, VarX, MeanX, MeanY);
        } catch (const RuntimeError&) {
            wholeFailed = true;
        }
        EXPECT_EQ(fitFailed, c.fails) << c.name;
        EXPECT_EQ(wholeFailed, c.fails) << c.name;
        if (c.fails)
            continue;
        EXPECT_EQ(MSE, whole.MSE) << c.name;
        for (std::int32_t i = 1; i <= n; ++i) {
            EXPECT_EQ(Pred(i), whole.Pred(i)) << c.name << " " << i;
            EXPECT_EQ(Residue(i), whole.Residue(i)) << c.name << " " << i;
        }
    }
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

namespace {

struct MRegCase {
    const char* name;
    int p;
    std::vector<double> Xh, b, VarCovb;
    double MSE;
    int n;
    double alpha, estimate, sd, lowCI, highCI, lowPI, highPI, qt;
};

const MRegCase mregCases[] = {
#include "reference/residuals_mreg_cases.inc"
};

Matrix column(const std::vector<double>& v)
{
    Matrix m;
    m.r = static_cast<std::int16_t>(v.size());
    m.c = 1;
    m.Element.redim(0, m.r, 0, 1);
    for (int i = 1; i <= m.r; ++i)
        m.Element(i, 1) = v[static_cast<std::size_t>(i - 1)];
    return m;
}

Matrix square(int p, const std::vector<double>& rowByRow)
{
    Matrix m;
    m.r = m.c = static_cast<std::int16_t>(p);
    m.Element.redim(0, p, 0, p);
    for (int i = 1; i <= p; ++i)
        for (int j = 1; j <= p; ++j)
            m.Element(i, j) = rowByRow[static_cast<std::size_t>((i - 1) * p + j - 1)];
    return m;
}

} // namespace

TEST(MRegStatistics, AgreesWithRPredict)
{
    Sumtrix s;
    for (const MRegCase& rc : mregCases) {
        double Estimate = 0, Variance = 0, sd = 0, LowCI = 0, HighCI = 0, LowPI = 0, HighPI = 0;
        double Alpha = rc.alpha;
        s.STAT_MReg_Statistics(column(rc.Xh), column(rc.b), square(rc.p, rc.VarCovb), rc.MSE, rc.n, Estimate,
                               Variance, sd, Alpha, LowCI, HighCI, LowPI, HighPI);
        EXPECT_NEAR(Estimate, rc.estimate, 1e-13 * std::fabs(rc.estimate)) << rc.name;
        EXPECT_NEAR(sd, rc.sd, 1e-12 * rc.sd) << rc.name;
        EXPECT_NEAR(Variance, rc.sd * rc.sd, 1e-12 * rc.sd * rc.sd) << rc.name;
        // The t quantile is the four-term expansion in 1/df around the
        // normal quantile: about 4E-6 relative at 10 degrees of freedom
        // (2.228131 for 2.228139), less with more. The limits' half-widths
        // carry that error.
        const double tRel = 1e-5;
        const double ci = (rc.highCI - rc.lowCI) / 2, pi = (rc.highPI - rc.lowPI) / 2;
        EXPECT_NEAR(LowCI, rc.lowCI, tRel * ci) << rc.name;
        EXPECT_NEAR(HighCI, rc.highCI, tRel * ci) << rc.name;
        EXPECT_NEAR(LowPI, rc.lowPI, tRel * pi) << rc.name;
        EXPECT_NEAR(HighPI, rc.highPI, tRel * pi) << rc.name;
        // The caller's Alpha comes back halved.
        EXPECT_DOUBLE_EQ(Alpha, rc.alpha / 2) << rc.name;
    }
    // A level above 1 is read as a percentage.
    const MRegCase& rc = mregCases[0];
    double Estimate = 0, Variance = 0, sd = 0, LowCI = 0, HighCI = 0, LowPI = 0, HighPI = 0, Alpha = 5;
    s.STAT_MReg_Statistics(column(rc.Xh), column(rc.b), square(rc.p, rc.VarCovb), rc.MSE, rc.n, Estimate, Variance,
                           sd, Alpha, LowCI, HighCI, LowPI, HighPI);
    EXPECT_DOUBLE_EQ(Alpha, 0.025);
    EXPECT_NEAR(HighCI, rc.highCI, 1e-5 * (rc.highCI - rc.lowCI));
}

TEST(MRegStatistics, FailedStepsLeaveTheirOutputs)
{
    Sumtrix s;
    // A point of two rows against three coefficients: the products fail,
    // Estimate and Variance keep their values and the later steps use them.
    double Estimate = 10, Variance = 4, sd = -1, LowCI = -1, HighCI = -1, LowPI = -1, HighPI = -1, Alpha = 0.05;
    EXPECT_NO_THROW(s.STAT_MReg_Statistics(column({1, 2}), column({1, 2, 3}), square(3, std::vector<double>(9, 0.1)),
                                           5.0, 20, Estimate, Variance, sd, Alpha, LowCI, HighCI, LowPI, HighPI));
    EXPECT_EQ(Estimate, 10);
    EXPECT_EQ(Variance, 4);
    EXPECT_EQ(sd, 2);
    EXPECT_LT(LowCI, 10);
    EXPECT_NEAR(HighCI - 10, 10 - LowCI, 1e-12);
    EXPECT_NEAR((HighPI - 10) / (HighCI - 10), 1.5, 1e-12);   // sqrt(4 + 5)/sqrt(4)
    // A negative variance: sd and the limits that need its root keep theirs.
    double E2 = 0, V2 = 0, sd2 = 7, lo = 7, hi = 7, lp = 7, hp = 7, a2 = 0.05;
    EXPECT_NO_THROW(s.STAT_MReg_Statistics(column({1, 1}), column({1, 1}), square(2, {-1, 0, 0, -1}), 0.5, 20, E2, V2,
                                           sd2, a2, lo, hi, lp, hp));
    EXPECT_EQ(E2, 2);
    EXPECT_EQ(V2, -2);
    EXPECT_EQ(sd2, 7);
    EXPECT_EQ(lp, 7);
    EXPECT_EQ(hp, 7);
}
