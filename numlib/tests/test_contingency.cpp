// Chi-square analysis of a contingency table.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using namespace SumtrixLib::test_support;

namespace {
#include "reference/contingency_cases.inc"

BoundedArray2<std::int32_t> table(int rows, int cols, const std::vector<int>& counts)
{
    BoundedArray2<std::int32_t> nn(0, rows, 0, cols);
    for (int i = 1; i <= rows; ++i)
        for (int j = 1; j <= cols; ++j)
            nn(i, j) = counts[static_cast<std::size_t>((i - 1) * cols + j - 1)];
    return nn;
}

struct Result {
    double chisq = -7, df = -7, prob = -7, cramerV = -7, ccc = -7;
};

Result contingency(Sumtrix& s, int rows, int cols, const std::vector<int>& counts, double prop = 0)
{
    Result r;
    s.STAT_Contingency1(table(rows, cols, counts), rows, cols, prop, r.chisq, r.df, r.prob, r.cramerV, r.ccc);
    return r;
}

// The upper tail comes from Gamma_gammq, whose series and continued
// fraction stop at a relative step of 3E-7: the side computed directly is
// good to 3E-7 (2 + sqrt(a)) of itself, the other side is 1 minus it.
double tailTolerance(double df, double chisq, double q)
{
    const double a = df / 2, x = chisq / 2;
    const double direct = x < a + 1 ? 1 - q : q;
    return 3e-7 * (2 + std::sqrt(a)) * direct + 2.3e-16;
}

} // namespace

TEST(Contingency, MatchesChisqTest)
{
    Sumtrix s;
    for (const ContingencyCase& c : kContingencyCases) {
        const Result r = contingency(s, c.rows, c.cols, c.counts, c.Prop);
        // empty expected cells add (0 - 0)^2 / 1E-30 = 0: the statistic is
        // R's up to rounding
        EXPECT_NEAR(r.chisq, c.chisq, 1e-12 * c.chisq) << c.name;
        EXPECT_EQ(r.df, c.df) << c.name;
        EXPECT_NEAR(r.prob, c.prob, tailTolerance(c.df, c.chisq, c.prob)) << c.name;
        EXPECT_NEAR(r.cramerV, c.cramerV, 1e-12 * c.cramerV) << c.name;
        EXPECT_NEAR(r.ccc, c.ccc, 1e-12 * c.ccc) << c.name;
    }
}

TEST(Contingency, WorkedExamplesAndOneUsedRow)
{
    Sumtrix s;
    // 10, 20 / 30, 40: N = 100, expected 12, 18 / 28, 42.
    Result r = contingency(s, 2, 2, {10, 20, 30, 40});
    EXPECT_NEAR(r.chisq, 4.0 / 12 + 4.0 / 18 + 4.0 / 28 + 4.0 / 42, 1e-15);
    EXPECT_EQ(r.df, 1);
    // Prop 0.25: every cell expects 25.
    r = contingency(s, 2, 2, {10, 20, 30, 40}, 0.25);
    EXPECT_NEAR(r.chisq, (225.0 + 25 + 25 + 225) / 25, 1e-14);
    // 3 x 3 with an empty row: df = 2 x 3 - 2 - 3 + 1.
    EXPECT_EQ(contingency(s, 3, 3, {5, 9, 2, 0, 0, 0, 7, 1, 12}).df, 2);
    // All counts in one row: no degrees of freedom, MissingValue, and
    // Cramer's V not written.
    r = contingency(s, 2, 3, {4, 5, 6, 0, 0, 0});
    EXPECT_EQ(r.df, 0);
    EXPECT_EQ(r.prob, MissingValue);
    EXPECT_EQ(r.cramerV, -7);
    EXPECT_EQ(r.chisq, 0);
    EXPECT_EQ(r.ccc, 0);
}

TEST(Contingency, BadInput)
{
    Sumtrix s;
    double chisq, df, prob, V, C;
    const auto nn = table(2, 2, {1, 2, 3, 4});
    struct Case {
        const char* what;
        std::function<void()> call;
        int error;
    };
    const Case cases[] = {
        {"all zero", [&] { s.STAT_Contingency1(table(2, 2, {0, 0, 0, 0}), 2, 2, 0, chisq, df, prob, V, C); },
         ErrOverflow},
        {"all zero with Prop", [&] { s.STAT_Contingency1(table(2, 2, {0, 0, 0, 0}), 2, 2, 0.25, chisq, df, prob, V, C); },
         ErrOverflow},
        {"rows beyond the table", [&] { s.STAT_Contingency1(nn, 3, 2, 0, chisq, df, prob, V, C); }, ErrSubscript},
        {"columns beyond the table", [&] { s.STAT_Contingency1(nn, 2, 3, 0, chisq, df, prob, V, C); }, ErrSubscript},
        {"negative rows", [&] { s.STAT_Contingency1(nn, -1, 2, 0, chisq, df, prob, V, C); }, ErrSubscript},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorOf(c.call), c.error) << c.what;
}
