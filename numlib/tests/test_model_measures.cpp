// Model measures, resistant R2 and the median.
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using namespace SumtrixLib::test_support;

namespace {
#include "reference/model_measures_cases.inc"

// The outputs of one STAT_ModelMeasures call, preset to sentinels so that a
// test sees which ones were written.
struct Outputs {
    double r2 = -7, mb = -7, MAE = -7, pMAE = -7, MSEP = -7, VarMSEP = -7, MEF = -7, MxE = -7, CD = -7;
    BoundedArray<double> comp = BoundedArray<double>(0, {-7, -7, -7, -7, -7, -7});

    void run(Sumtrix& s, const BoundedArray<double>& x, const BoundedArray<double>& y,
             std::int32_t size, double mx, double my)
    {
        s.STAT_ModelMeasures(x, y, size, mx, my, r2, mb, MAE, pMAE, MSEP, VarMSEP, comp, MEF, MxE, CD);
    }
};

// Sums in a different order than R's: agreement to about 1e-12 of the
// larger of the value and the scale of the data it comes from.
void expectClose(double actual, double expected, double scale, const char* what)
{
    EXPECT_NEAR(actual, expected, 1e-12 * std::max(std::fabs(expected), scale)) << what;
}

double naiveMedian(std::vector<double> v)
{
    // Exchange sort, the textbook way.
    for (std::size_t i = 0; i + 1 < v.size(); ++i)
        for (std::size_t j = 0; j + 1 < v.size() - i; ++j)
            if (v[j] > v[j + 1])
                std::swap(v[j], v[j + 1]);
    const std::size_t c = v.size();
    if (c <= 2)
        return 0.0;
    return c % 2 ? v[c / 2] : (v[c / 2 - 1] + v[c / 2]) / 2.0;
}
} // namespace

// Every output against R (mean, var, cor and the textbook definitions).
TEST(ModelMeasures, MatchesReference)
{
    Sumtrix s;
    for (const ModelMeasuresCase& c : kModelMeasuresCases) {
        SCOPED_TRACE(c.name);
        Outputs o;
        o.run(s, base1(c.x), base1(c.y), static_cast<std::int32_t>(c.x.size()), c.MeanX, c.MeanY);
        expectClose(o.r2, c.r2, 1.0, "r2");
        expectClose(o.mb, c.mb, c.MAE, "mb");
        expectClose(o.MAE, c.MAE, 0.0, "MAE");
        expectClose(o.pMAE, c.pMAE, 0.0, "pMAE");
        expectClose(o.MSEP, c.MSEP, 0.0, "MSEP");
        expectClose(o.VarMSEP, c.VarMSEP, c.MSEP * c.MSEP, "VarMSEP");
        expectClose(o.MEF, c.MEF, 1.0, "MEF");
        expectClose(o.MxE, c.MxE, 0.0, "MxE");
        expectClose(o.CD, c.CD, 0.0, "CD");
        for (int k = 1; k <= 5; ++k)
            expectClose(o.comp(k), c.comp[static_cast<std::size_t>(k - 1)], c.MSEP, "MSEPComp");
        EXPECT_EQ(o.comp(0), -7) << "element 0 is not touched";
    }
}

// Closed form: with r taken with its sign the decomposition adds up to
// MSEP both ways, (bias, SD difference, lack of correlation) and (bias,
// slope term, residual term), for negative correlations as for positive.
TEST(ModelMeasures, DecompositionAddsUpToMsep)
{
    Sumtrix s;
    for (const ModelMeasuresCase& c : kModelMeasuresCases) {
        SCOPED_TRACE(c.name);
        Outputs o;
        o.run(s, base1(c.x), base1(c.y), 0, c.MeanX, c.MeanY);
        // Values and means far from zero carry a rounding of eps |x| each,
        // which the squares multiply by deviations of about sqrt(MSEP).
        const double tol = 1e-12 * o.MSEP
                           + 8 * std::numeric_limits<double>::epsilon() * std::fabs(c.MeanX) * std::sqrt(o.MSEP);
        EXPECT_NEAR(o.comp(1) + o.comp(2) + o.comp(3), o.MSEP, tol);
        EXPECT_NEAR(o.comp(1) + o.comp(4) + o.comp(5), o.MSEP, tol);
    }
    // The same on the step-by-step path (a decomposition array that ends
    // at element 3 takes it): the "negative" set's term 3 is that of R with
    // the signed r, 2 sx sy (1 - r).
    for (const ModelMeasuresCase& c : kModelMeasuresCases) {
        if (std::string(c.name) != "negative")
            continue;
        Outputs o;
        o.comp = BoundedArray<double>(0, {-7, -7, -7, -7});
        o.run(s, base1(c.x), base1(c.y), 0, c.MeanX, c.MeanY);
        expectClose(o.comp(3), c.comp[2], c.MSEP, "MSEPComp(3)");
        EXPECT_NEAR(o.comp(1) + o.comp(2) + o.comp(3), o.MSEP, 1e-12 * o.MSEP);
    }
}

TEST(ModelMeasures, PairCountAndRepeatedCalls)
{
    Sumtrix s;
    const ModelMeasuresCase& c = kModelMeasuresCases[2];
    const auto x = base1(c.x), y = base1(c.y);

    // size < 1 means every element up to the upper bound of x
    Outputs whole, counted;
    whole.run(s, x, y, 0, c.MeanX, c.MeanY);
    counted.run(s, x, y, static_cast<std::int32_t>(c.x.size()), c.MeanX, c.MeanY);
    EXPECT_EQ(whole.MSEP, counted.MSEP);
    EXPECT_EQ(whole.VarMSEP, counted.VarMSEP);

    // the accumulated measures start afresh on every call
    Outputs again = counted;
    again.run(s, x, y, 0, c.MeanX, c.MeanY);
    EXPECT_EQ(again.mb, counted.mb);
    EXPECT_EQ(again.MAE, counted.MAE);
    EXPECT_EQ(again.pMAE, counted.pMAE);
    EXPECT_EQ(again.MSEP, counted.MSEP);
    EXPECT_EQ(again.MxE, counted.MxE);

    // two pairs or fewer: nothing is written
    for (std::int32_t size : {1, 2}) {
        Outputs o;
        o.run(s, x, y, size, c.MeanX, c.MeanY);
        EXPECT_EQ(o.mb, -7);
        EXPECT_EQ(o.MSEP, -7);
        EXPECT_EQ(o.r2, -7);
        EXPECT_EQ(o.comp(1), -7);
    }
    Outputs two;
    two.run(s, base1({1, 2}), base1({1, 3}), 0, 1.5, 2);
    EXPECT_EQ(two.MEF, -7);
}

// Observed values 0, 2 and 4: only y > 0 enter the percentage, n divides.
TEST(ModelMeasures, PercentageErrorSkipsNonPositiveObservations)
{
    Sumtrix s;
    Outputs o;
    o.run(s, base1({1, 1, 5}), base1({0, 2, 4}), 0, 7.0 / 3, 2);
    EXPECT_NEAR(o.pMAE, (0.5 + 0.25) * 100 / 3, 1e-13);
    EXPECT_DOUBLE_EQ(o.MxE, 1);
}

// Failed steps keep their targets' values; the call goes on.
TEST(ModelMeasures, FailedStepsKeepTheirTargets)
{
    Sumtrix s;
    {
        // all predictions equal: sx = 0, so r2 keeps its entry value and
        // the decomposition uses it; a negative one skips terms 3 and 4
        Outputs o;
        o.r2 = -0.25;
        o.run(s, base1({2, 2, 2, 2}), base1({1, 2, 4, 3}), 0, 2, 2.5);
        EXPECT_EQ(o.r2, -0.25);
        EXPECT_EQ(o.comp(3), -7);
        EXPECT_EQ(o.comp(4), -7);
        EXPECT_DOUBLE_EQ(o.comp(1), 0.25);
        EXPECT_DOUBLE_EQ(o.comp(5), 1.25 * 1.25);   // (1 - r2) sy^2, sy^2 = 1.25
        EXPECT_DOUBLE_EQ(o.MSEP, (1 + 0 + 4 + 1) / 4.0);
    }
    {
        // observations all equal to their mean: Syy = 0 fails MEF (a
        // division by zero); CD = Syy/Spo is a plain 0
        Outputs o;
        o.run(s, base1({1, 2, 4}), base1({3, 3, 3}), 0, 7.0 / 3, 3);
        EXPECT_EQ(o.MEF, -7);
        EXPECT_EQ(o.CD, 0);
        EXPECT_EQ(o.r2, -7);
    }
    {
        // predictions all equal to the observed mean: Spo = 0 fails CD
        Outputs o;
        o.run(s, base1({2, 2, 2}), base1({1, 2, 3}), 0, 2, 2);
        EXPECT_EQ(o.CD, -7);
        EXPECT_DOUBLE_EQ(o.MEF, 0);
    }
    {
        // a decomposition array that ends at element 3: 4 and 5 are skipped
        Outputs o;
        o.comp = BoundedArray<double>(0, {-7, -7, -7, -7});
        o.run(s, base1({1, 2, 4}), base1({1.5, 2, 3}), 0, 7.0 / 3, 6.5 / 3);
        EXPECT_NE(o.comp(3), -7);
        EXPECT_EQ(o.comp.ubound(), 3);
    }
    {
        // size beyond the arrays: the missing pairs' steps fail, n still
        // divides, and their squared deviations count as 0
        Outputs o;
        o.run(s, base1({1, 2, 3, 4, 5}), base1({2, 2, 3, 5, 5}), 10, 3, 3.4);
        EXPECT_DOUBLE_EQ(o.mb, 2.0 / 10);
        EXPECT_DOUBLE_EQ(o.MSEP, 2.0 / 10);
        const double m = 0.2;
        const double ss = 2 * (1 - m) * (1 - m) + 3 * m * m + 5 * m * m;
        EXPECT_DOUBLE_EQ(o.VarMSEP, ss / 9);
    }
    {
        // no data at all: every step fails, the call still returns
        Outputs o;
        o.run(s, BoundedArray<double>(), BoundedArray<double>(), 5, 0, 0);
        EXPECT_EQ(o.mb, 0);
        EXPECT_EQ(o.MEF, -7);
        EXPECT_EQ(o.r2, -7);
    }
}

TEST(ResistantR2, MatchesReference)
{
    Sumtrix s;
    for (const ModelMeasuresCase& c : kModelMeasuresCases) {
        SCOPED_TRACE(c.name);
        double rr2 = -7, adj = -7;
        s.STAT_ResistantR2(static_cast<std::int32_t>(c.x.size()), base1(c.y), c.MeanY, base1(c.x), rr2, adj);
        EXPECT_NEAR(rr2, c.ResistantR2, 1e-13);
        if (c.x.size() == 3)
            EXPECT_EQ(adj, -7) << "n = 3 divides by zero: the adjusted value is kept";
        else
            EXPECT_NEAR(adj, c.AdjResistantR2, 1e-13);
    }
}

TEST(ResistantR2, PerfectPredictionAndZeroSpread)
{
    Sumtrix s;
    double rr2 = -7, adj = -7;
    s.STAT_ResistantR2(5, base1({1, 4, 2, 8, 5}), 4, base1({1, 4, 2, 8, 5}), rr2, adj);
    EXPECT_EQ(rr2, 1);
    EXPECT_EQ(adj, 1);

    // most observations at their mean: md = 0 keeps ResistantR2, and the
    // adjusted value is computed from what it holds
    rr2 = 0.5;
    adj = -7;
    s.STAT_ResistantR2(5, base1({3, 3, 3, 1, 5}), 3, base1({2, 3, 4, 1, 5}), rr2, adj);
    EXPECT_EQ(rr2, 0.5);
    EXPECT_DOUBLE_EQ(adj, 1 - 0.5 * 4 / 2);
}

TEST(Median, WorkedExamples)
{
    Sumtrix s;
    struct Case { std::vector<double> values; bool base0; double median; };
    const Case cases[] = {
        {{2, 9, 4}, false, 4},
        {{1, 2, 3, 4, 5, 6}, false, 3.5},
        {{-3, -1, 2, 5}, false, 0.5},
        {{7}, false, 0},
        {{7, 8}, false, 0},
        {{9, 1, 5}, true, 5},       // base0: index 0 holds 9 and counts
    };
    for (const Case& c : cases) {
        BoundedArray<double> a(c.base0 ? 0 : 1, static_cast<std::int32_t>(c.values.size()) - (c.base0 ? 1 : 0));
        for (std::size_t i = 0; i < c.values.size(); ++i)
            a(a.lbound() + static_cast<std::int32_t>(i)) = c.values[i];
        EXPECT_EQ(s.STAT_Median(a, c.base0), c.median);
    }
    // without base0, index 0 is not among the values
    EXPECT_EQ(s.STAT_Median(BoundedArray<double>(0, {100, 2, 9, 4})), 4);
}

TEST(Median, MatchesReferenceAndNaiveSortLeavingCallerArray)
{
    Sumtrix s;
    for (const MedianCase& c : kMedianCases) {
        const auto a = base1(c.values);
        const auto before = a;
        EXPECT_EQ(s.STAT_Median(a), c.median);
        EXPECT_EQ(a, before);
    }
    // seeded random data with many ties against an exchange sort
    std::mt19937_64 rng(42);
    std::uniform_int_distribution<int> pick(-20, 20);
    for (int n : {3, 4, 5, 50, 51, 400}) {
        std::vector<double> v(static_cast<std::size_t>(n));
        for (double& d : v)
            d = pick(rng) * 0.5;
        EXPECT_EQ(s.STAT_Median(base1(v)), naiveMedian(v)) << n;
    }
}

TEST(Median, ArrayWithoutElementsFails)
{
    Sumtrix s;
    try {
        s.STAT_Median(BoundedArray<double>());
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), ErrSubscript);
    }
}
