// The interval table: its numbers against predict.lm, and its text.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "interval_table.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using namespace SumtrixLib::test_support;

namespace {
#include "reference/interval_table_cases.inc"

// The t quantile is the library's four-term expansion, which stays that far
// from qt on purpose (relative, see the Student t tests).
double tinvDistance(double df)
{
    if (df < 2)
        return 0.37;
    if (df < 5)
        return 0.008;
    if (df < 10)
        return 8e-4;
    if (df < 30)
        return 3e-5;
    return 1.3e-7;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(text.substr(start, end - start));
    out.push_back(text.substr(start));
    return out;
}

// The two numbers of "... of the X mean:  lo to  hi".
std::pair<double, double> meanInterval(const std::string& line)
{
    const std::size_t colon = line.find(':');
    std::istringstream in(line.substr(colon + 1));
    double lo = 0, hi = 0;
    std::string to;
    in >> lo >> to >> hi;
    return {lo, hi};
}

} // namespace

TEST(IntervalTable, MatchesPredictLm)
{
    Sumtrix s;
    for (const IntervalCase& c : kIntervalCases) {
        SCOPED_TRACE(c.name);
        const auto n = static_cast<std::int32_t>(c.x.size());
        const auto x = base1(c.x), y = base1(c.y);
        double Prob = 100 * c.level;
        const IntervalFit fit = fitIntervals(s, c.a, c.b, n, x, y, Prob);
        EXPECT_DOUBLE_EQ(Prob, c.level);
        EXPECT_NEAR(fit.MeanX, c.meanX, 1e-15 * std::fabs(c.meanX));
        // At x = 1e6 the line a + b x cancels 3e5 of each term: the residuals
        // keep 1e-10 of their size.
        EXPECT_NEAR(fit.SSE, c.SSE, 1e-9 * c.SSE);
        EXPECT_NEAR(fit.MSE, c.MSE, 1e-9 * c.MSE);
        EXPECT_NEAR(fit.tq, c.qt, tinvDistance(n - 2) * c.qt);
        for (std::int32_t i = 1; i <= n; ++i) {
            const auto k = static_cast<std::size_t>(i - 1);
            const IntervalRow row = intervalsAt(fit, x(i));
            EXPECT_NEAR(row.pred, c.fit[k], 1e-13 * (std::fabs(c.a) + std::fabs(c.b * x(i))) + 1e-14);
            EXPECT_NEAR(row.sc, c.seFit[k], 1e-9 * c.seFit[k]);
            EXPECT_NEAR(row.sp, c.sePred[k], 1e-9 * c.sePred[k]);
            // R's limits with qt in place of the expansion.
            const double dtc = std::fabs(fit.tq - c.qt) * c.seFit[k] + 1e-9 * c.seFit[k];
            const double dtp = std::fabs(fit.tq - c.qt) * c.sePred[k] + 1e-9 * c.sePred[k];
            EXPECT_NEAR(row.lowerCI, c.lowerCI[k], dtc);
            EXPECT_NEAR(row.upperCI, c.upperCI[k], dtc);
            EXPECT_NEAR(row.lowerPI, c.lowerPI[k], dtp);
            EXPECT_NEAR(row.upperPI, c.upperPI[k], dtp);
        }
        // The intervals at the mean of x, as printed with five decimals.
        std::string t;
        Prob = c.level;
        s.STAT_CPI(c.a, c.b, n, x, y, Prob, t);
        const std::vector<std::string> text = lines(t);
        ASSERT_GE(text.size(), 3u);
        const auto ci = meanInterval(text[text.size() - 3]);
        const auto pi = meanInterval(text[text.size() - 2]);
        EXPECT_NEAR(ci.first, c.fitAtMean - fit.tq * c.seAtMean, 5.1e-6);
        EXPECT_NEAR(ci.second, c.fitAtMean + fit.tq * c.seAtMean, 5.1e-6);
        EXPECT_NEAR(pi.first, c.fitAtMean - fit.tq * c.sePredAtMean, 5.1e-6);
        EXPECT_NEAR(pi.second, c.fitAtMean + fit.tq * c.sePredAtMean, 5.1e-6);
        EXPECT_EQ(text.size(), static_cast<std::size_t>(n) + 14) << "5 header, n point and 8 footer lines, then the end";
    }
}

// Four points on the flat line y = a with residuals 0.5, -0.5, -0.5, 0.5
// (the least-squares fit: b = 0, SSE = 1, MSE = 1/2), a chosen as t s(Yh)
// at x = 0: the confidence intervals at both ends start exactly at 0, and
// count as excluding it; a zero count prints as a blank field, as the
// formatter prints 0 without decimals. The numbers, recomputed in R: tq =
// 4.270551 is the four-term expansion's quantile at 2 df (qt gives 4.3027),
// s(Yh) = sqrt((2.25/5 + 1/4) / 2) = 0.5916 at the ends and
// sqrt((0.25/5 + 1/4) / 2) = 0.3873 inside, s(Yh New) = sqrt((0.45 + 1.25) / 2)
// = 0.9220 and sqrt(1.3 / 2) = 0.8062, a = 4.270551 x 0.5916 = 2.5265; at
// the mean 2.5265 -/+ tq sqrt(1/8) and -/+ tq sqrt(5/8).
TEST(IntervalTable, GoldenTextWithALimitExactlyZero)
{
    Sumtrix s;
    const auto x = base1({0, 1, 2, 3});
    const std::vector<double> pattern = {0.5, -0.5, -0.5, 0.5};
    double P = 0.95;
    const IntervalFit unit = fitIntervals(s, 0, 0, 4, x, base1(pattern), P);
    const double a = unit.tq * intervalsAt(unit, 0).sc;
    std::vector<double> yv;
    for (double r : pattern)
        yv.push_back(a + r);
    std::string t = "previous text";
    double Prob = 95;
    s.STAT_CPI(a, 0, 4, x, base1(yv), Prob, t);
    EXPECT_EQ(Prob, 0.95);

    const std::string rule(115, '-');
    const std::string expected =
        rule + "\r\n"
        "                                                    Confidence Interval               Prediction Interval         \r\n"
        "                                             --------------------------------  ------------------------------------\r\n"
        "    X          Y       Predicted  Residue    s(Yh)  Lower CI  Upper CI  P(CI)  s(Yh New)  Lower PI  Upper PI  P(PI)\r\n"
        + rule + "\r\n"
        "    0.0000     3.0265     2.5265   0.5000   0.5916    0.0000    5.0530    *       0.9220   -1.4108    6.4637     \r\n"
        "    1.0000     2.0265     2.5265  -0.5000   0.3873    0.8725    4.1805    *       0.8062   -0.9165    5.9695     \r\n"
        "    2.0000     2.0265     2.5265  -0.5000   0.3873    0.8725    4.1805    *       0.8062   -0.9165    5.9695     \r\n"
        "    3.0000     3.0265     2.5265   0.5000   0.5916    0.0000    5.0530    *       0.9220   -1.4108    6.4637     \r\n"
        + rule + "\r\n"
        "\r\n"
        "Number of CI intervals different from zero:     4 (100.00%)\r\n"
        "Number of PI intervals different from zero:       (  0.00%)\r\n"
        "\r\n"
        "Sum of squared residuals:    1.00000\r\n"
        "Confidence Interval of the X mean:    1.01662 to    4.03636\r\n"
        "Prediction Interval of the X mean:   -0.84968 to    5.90266\r\n";
    EXPECT_EQ(t, expected);
    EXPECT_EQ(intervalsAt(fitIntervals(s, a, 0, 4, x, base1(yv), P), 0).lowerCI, 0.0);
}

TEST(IntervalTable, LayoutAndEveryIntervalAroundZero)
{
    Sumtrix s;
    // Points scattered about the line y = 0: every interval straddles zero.
    std::string t;
    double Prob = 0.9;
    s.STAT_CPI(0, 0, 5, base1({1, 2, 3, 4, 5}), base1({1, -1, 0.5, -0.5, 0.2}), Prob, t);
    const std::vector<std::string> text = lines(t);
    EXPECT_EQ(text[0], std::string(115, '-'));
    EXPECT_EQ(text[1].size(), 114u);
    EXPECT_EQ(text[2].size(), 115u);
    EXPECT_EQ(text[3].size(), 115u);
    for (int i = 5; i < 10; ++i) {
        EXPECT_EQ(text[static_cast<std::size_t>(i)].size(), 113u) << "twelve cells and eleven blanks";
        EXPECT_EQ(text[static_cast<std::size_t>(i)].find('*'), std::string::npos);
    }
    EXPECT_EQ(text[12], "Number of CI intervals different from zero:       (  0.00%)");
    EXPECT_EQ(text[13], "Number of PI intervals different from zero:       (  0.00%)");
}

TEST(IntervalTable, BadInput)
{
    Sumtrix s;
    const auto x = base1({1, 2, 3}), y = base1({1, 2, 4});
    std::string t = "kept";
    double Prob = 95;
    struct Case {
        const char* what;
        std::function<void()> call;
        int error;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"n = 2", [&] { s.STAT_CPI(0, 1, 2, x, y, Prob, t); }, ErrDivisionByZero},
        {"n = 1", [&] { s.STAT_CPI(0, 1, 1, x, y, Prob, t); }, ErrDivisionByZero},
        {"n = 0", [&] { s.STAT_CPI(0, 1, 0, x, y, Prob, t); }, ErrDivisionByZero},
        {"n above the arrays", [&] { s.STAT_CPI(0, 1, 4, x, y, Prob, t); }, ErrSubscript},
        {"NaN", [&] { s.STAT_CPI(0, 1, 3, x, base1({1, nan, 3}), Prob, t); }, ErrOverflow},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorOf(c.call), c.error) << c.what;
    EXPECT_EQ(t, "kept") << "failed before the table";
    EXPECT_EQ(Prob, 95) << "failed before the level is read";
    // All x equal: the table has begun when the leverage divides by zero.
    EXPECT_EQ(errorOf([&] { s.STAT_CPI(0, 1, 3, base1({2, 2, 2}), y, Prob, t); }), ErrOverflow);
    EXPECT_EQ(t.substr(0, 115), std::string(115, '-'));
    EXPECT_EQ(Prob, 0.95);
}
