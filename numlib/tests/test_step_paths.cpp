// The plain forms of Reg_Slopes, STAT_ModelMeasures, STAT_ResistantR2,
// STAT_Residue and STAT_Median against their guarded, bounds-checked or
// sorting forms: bit for bit the same results, on tidy data and on data
// that makes statements fail (overflow, zero divisors, NaN and infinity in
// the input, arrays too short, a constant column).
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "step_paths.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using namespace SumtrixLib::test_support;

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Bit for bit, so that the sign of a zero and a NaN count too.
void expectSame(const BoundedArray<double>& a, const BoundedArray<double>& b, const std::string& what)
{
    ASSERT_EQ(a.allocated(), b.allocated()) << what;
    ASSERT_EQ(a.size(), b.size()) << what;
    for (std::size_t i = 0; i < a.size(); ++i)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(a.data()[i]), std::bit_cast<std::uint64_t>(b.data()[i]))
            << what << " element " << i << ": " << a.data()[i] << " against " << b.data()[i];
}

void expectSame(double a, double b, const std::string& what)
{
    EXPECT_EQ(std::bit_cast<std::uint64_t>(a), std::bit_cast<std::uint64_t>(b)) << what << ": " << a << " against " << b;
}

struct Dataset {
    const char* name;
    std::vector<double> x, y;
};

std::vector<Dataset> datasets()
{
    std::vector<Dataset> d = {
        {"tidy", {1, 2, 3, 4, 5}, {2, 4, 5, 4, 5}},
        {"negative correlation", {1, 2, 3, 4, 5, 6}, {9, 7, 8, 4, 3, 1}},
        {"n = 3", {1, 2, 4}, {1.5, 2.5, 3}},
        {"ties", {1, 1, 2, 2, 3, 3, 3}, {2, 2, 3, 3, 3, 4, 5}},
        {"far from zero", {1e9 + 1, 1e9 + 2, 1e9 + 4, 1e9 + 7}, {1e9 + 2, 1e9 + 1, 1e9 + 5, 1e9 + 8}},
        {"squares overflow", {1e160, 2e160, 3e160, 5e160}, {1, 2, 3, 5}},
        {"products overflow", {1e200, -1e200, 3e200, 2}, {1e150, 2e150, -3e150, 4}},
        {"constant y", {1, 2, 3, 4}, {5, 5, 5, 5}},
        {"constant x", {3, 3, 3, 3}, {1, 2, 3, 4}},
        {"exact line", {1, 2, 3, 4, 5}, {3, 5, 7, 9, 11}},
        {"zeros of both signs", {-0.0, 0.0, 1, -1, 0.0}, {0.0, -0.0, 1, -1, -0.0}},
        {"NaN in x", {1, NaN, 3, 4}, {1, 2, 3, 4}},
        {"infinity in y", {1, 2, 3, 4}, {1, Inf, 3, 4}},
        {"negative y", {1, 2, 3, 4, 5}, {-2, -1, 0, -3, 1}},
    };
    // Seeded random data with ties.
    std::mt19937_64 rng(17);
    std::uniform_int_distribution<int> grid(0, 40);
    Dataset r{"random with ties", {}, {}};
    for (int i = 0; i < 500; ++i) {
        r.x.push_back(grid(rng) / 4.0);
        r.y.push_back(r.x.back() * 0.9 + grid(rng) / 8.0);
    }
    d.push_back(r);
    return d;
}

struct SlopeOutputs {
    BoundedArray<double> intercept, slope, sigintercept, sigslope;
    explicit SlopeOutputs(std::int32_t upper = 6)
        : intercept(0, upper), slope(0, upper), sigintercept(0, upper), sigslope(0, upper)
    {
        // What the evaluation starts them with: not computed, variances at 0.
        for (std::int32_t j = 0; j <= upper; ++j)
            intercept(j) = slope(j) = sigslope(j) = NaN;
    }
};

} // namespace

TEST(StepPaths, SlopesAtOnceEqualStatementByStatement)
{
    Sumtrix s;
    for (const Dataset& d : datasets()) {
        const auto n = static_cast<std::int32_t>(d.x.size());
        // The last two give the statements arrays too short for some of
        // their elements.
        struct Shape { std::int32_t n, outputUpper; };
        for (const Shape shape : {Shape{n, 6}, Shape{n + 2, 6}, Shape{n, 3}}) {
            const BoundedArray<double> X = base1(d.x), Y = base1(d.y);
            SlopeOutputs fast(shape.outputUpper), steps(shape.outputUpper);
            s.Reg_Slopes(X, Y, shape.n, fast.intercept, fast.slope, fast.sigintercept, fast.sigslope);
            slopesStepByStep(X, Y, shape.n, steps.intercept, steps.slope, steps.sigintercept, steps.sigslope);
            const std::string what = std::string(d.name) + " n " + std::to_string(shape.n) + " outputs 0.."
                                     + std::to_string(shape.outputUpper);
            expectSame(fast.intercept, steps.intercept, what + " intercept");
            expectSame(fast.slope, steps.slope, what + " slope");
            expectSame(fast.sigintercept, steps.sigintercept, what + " sigintercept");
            expectSame(fast.sigslope, steps.sigslope, what + " sigslope");
        }
    }
}

TEST(StepPaths, ModelMeasuresAtOnceEqualStepByStep)
{
    Sumtrix s;
    for (const Dataset& d : datasets()) {
        const auto n = static_cast<std::int32_t>(d.x.size());
        const BoundedArray<double> X = base1(d.x), Y = base1(d.y);
        double mx = 0, my = 0;
        for (std::int32_t i = 1; i <= n; ++i) {
            mx += X(i) / n;
            my += Y(i) / n;
        }
        // size 0 takes the count from x; n + 2 reads past both arrays; r2
        // comes in as the evaluation leaves it (not computed) or as 0.5.
        for (const std::int32_t size : {n, 0, n + 2}) {
            for (const double r2In : {NaN, 0.5}) {
                struct Out {
                    double r2, mb = 7, MAE = 7, pMAE = 7, MSEP = 7, VarMSEP = 7, MEF = 7, MxE = 7, CD = 7;
                    BoundedArray<double> comp{0, 5};
                };
                Out fast{r2In}, steps{r2In};
                s.STAT_ModelMeasures(X, Y, size, mx, my, fast.r2, fast.mb, fast.MAE, fast.pMAE, fast.MSEP,
                                     fast.VarMSEP, fast.comp, fast.MEF, fast.MxE, fast.CD);
                modelMeasuresStepByStep(s, X, Y, size, mx, my, steps.r2, steps.mb, steps.MAE, steps.pMAE, steps.MSEP,
                                        steps.VarMSEP, steps.comp, steps.MEF, steps.MxE, steps.CD);
                const std::string what = std::string(d.name) + " size " + std::to_string(size);
                expectSame(fast.r2, steps.r2, what + " r2");
                expectSame(fast.mb, steps.mb, what + " mb");
                expectSame(fast.MAE, steps.MAE, what + " MAE");
                expectSame(fast.pMAE, steps.pMAE, what + " pMAE");
                expectSame(fast.MSEP, steps.MSEP, what + " MSEP");
                expectSame(fast.VarMSEP, steps.VarMSEP, what + " VarMSEP");
                expectSame(fast.MEF, steps.MEF, what + " MEF");
                expectSame(fast.MxE, steps.MxE, what + " MxE");
                expectSame(fast.CD, steps.CD, what + " CD");
                expectSame(fast.comp, steps.comp, what + " MSEPComp");
            }
        }
    }
}

TEST(StepPaths, ResistantR2AtOnceEqualStepByStep)
{
    Sumtrix s;
    for (const Dataset& d : datasets()) {
        const auto n = static_cast<std::int32_t>(d.x.size());
        // Pred from a line through the data; a Pred one element short makes
        // the last residue fail.
        std::vector<double> pred;
        for (double x : d.x)
            pred.push_back(0.5 + 0.9 * x);
        const BoundedArray<double> Y = base1(d.y);
        double my = 0;
        for (std::int32_t i = 1; i <= n; ++i)
            my += Y(i) / n;
        for (const bool shortPred : {false, true}) {
            std::vector<double> p = pred;
            if (shortPred)
                p.pop_back();
            const BoundedArray<double> Pred = base1(p);
            double fastR2 = NaN, fastAdj = NaN, stepR2 = NaN, stepAdj = NaN;
            s.STAT_ResistantR2(n, Y, my, Pred, fastR2, fastAdj);
            resistantR2StepByStep(s, n, Y, my, Pred, stepR2, stepAdj);
            const std::string what = std::string(d.name) + (shortPred ? " short Pred" : "");
            expectSame(fastR2, stepR2, what + " resistant r2");
            expectSame(fastAdj, stepAdj, what + " adjusted");
        }
    }
}

TEST(StepPaths, ResiduePlainEqualsBoundsChecked)
{
    Sumtrix s;
    for (const Dataset& d : datasets()) {
        const auto n = static_cast<std::int32_t>(d.x.size());
        const BoundedArray<double> X = base1(d.x), Y = base1(d.y);
        double mx = 0, my = 0, vx = 0;
        for (std::int32_t i = 1; i <= n; ++i) {
            mx += X(i) / n;
            my += Y(i) / n;
        }
        for (std::int32_t i = 1; i <= n; ++i)
            vx += (X(i) - mx) * (X(i) - mx) / (n - 1);
        struct Out {
            double MSE = 7;
            std::vector<BoundedArray<double>> a;
            explicit Out(std::int32_t n) : a(13, BoundedArray<double>(0, n))
            {
                for (BoundedArray<double>& v : a)
                    for (double& e : v)
                        e = NaN;
            }
        };
        Out fast(n), checked(n);
        const auto run = [&](Out& o, bool plain) {
            try {
                auto& a = o.a;
                if (plain)
                    s.STAT_Residue(0.5, 0.9, X, Y, vx, mx, my, n, o.MSE, a[0], a[1], a[2], a[3], a[4], a[5], a[6],
                                   a[7], a[8], a[9], a[10], a[11], a[12]);
                else
                    residueBoundsChecked(s, 0.5, 0.9, X, Y, vx, mx, my, n, o.MSE, a[0], a[1], a[2], a[3], a[4], a[5],
                                         a[6], a[7], a[8], a[9], a[10], a[11], a[12]);
            } catch (const RuntimeError& e) {
                return e.number();
            }
            return 0;
        };
        // A failing statement raises the same error, with the same elements
        // stored before it.
        EXPECT_EQ(run(fast, true), run(checked, false)) << d.name;
        expectSame(fast.MSE, checked.MSE, std::string(d.name) + " MSE");
        for (std::size_t k = 0; k < 13; ++k)
            expectSame(fast.a[k], checked.a[k], std::string(d.name) + " output " + std::to_string(k));
    }
}

TEST(StepPaths, MedianBySelectionEqualsMedianBySorting)
{
    Sumtrix s;
    std::vector<std::vector<double>> cases = {
        {3, 1, 2},           {4, 1, 3, 2},        {5, 5, 5, 5},        {-0.0, 0.0, 1},      {0.0, -0.0, -1, 1},
        {1, -0.0, 0.0, 2},   {0.0, -0.0, 0.0, -0.0, 0.0, 5}, {-Inf, 1, Inf, 2}, {NaN, 1, 2, 3}, {2, 1, NaN, 0, 4},
        {1e308, 1e308, 1e308, 1e308}, {1, 2},
    };
    std::mt19937_64 rng(3);
    std::uniform_int_distribution<int> small(-3, 3);
    for (int k = 0; k < 200; ++k) {
        std::vector<double> v(static_cast<std::size_t>(3 + k % 9));
        for (double& e : v)
            e = small(rng) == 0 ? (k % 2 ? -0.0 : 0.0) : small(rng);
        cases.push_back(v);
    }
    for (const std::vector<double>& c : cases) {
        const BoundedArray<double> a = base1(c);
        const auto n = static_cast<std::int32_t>(c.size());
        double bySelection = 7, bySorting = 7;
        const int selectionError = errorOf([&] { bySelection = s.STAT_Median(a, false); });
        const int sortingError = errorOf([&] { bySorting = n <= 2 ? 0.0 : medianBySorting(a, 1, n); });
        EXPECT_EQ(selectionError, sortingError) << c.size();
        expectSame(bySelection, bySorting, "median of " + std::to_string(c.size()) + " values");
    }
}
