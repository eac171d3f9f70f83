// The random-data generator's checks, arithmetic and new dataset.

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <vector>

#include "core/copula_generator.hpp"
#include "core/random_data.hpp"
#include "core/random_source.hpp"

namespace {

// Gives the listed numbers in order.
class ScriptedSource : public RandomSource {
public:
    explicit ScriptedSource(std::deque<double> values) : m_values(std::move(values)) {}
    double nextUniform() override
    {
        const double u = m_values.front();
        m_values.pop_front();
        return u;
    }
    bool exhausted() const { return m_values.empty(); }

private:
    std::deque<double> m_values;
};

RandomDataInput defaultInput()
{
    // The window as it opens, with both variances filled in.
    RandomDataInput in;
    in.meanY = "12";
    in.varianceY = "9";
    in.meanX = "10";
    in.varianceX = "4";
    in.correlation = "0.5";
    in.count = "500";
    return in;
}

} // namespace

TEST(RandomDataCheck, MessagesInTheirOrder)
{
    struct Case {
        const char* what;
        void (*edit)(RandomDataInput&);
        const char* message;     // empty: accepted
        int n;
        double r;
    };
    const Case cases[] = {
        {"n = 2", [](RandomDataInput& in) { in.count = "2"; }, "Number of data points cannot be less than 3", 0, 0},
        {"n = 2.5 rounds to 2", [](RandomDataInput& in) { in.count = "2.5"; }, "Number of data points cannot be less than 3", 0, 0},
        {"n = 3.5 rounds to 4", [](RandomDataInput& in) { in.count = "3.5"; }, "", 4, 0.5},
        {"n = 3", [](RandomDataInput& in) { in.count = "3"; }, "", 3, 0.5},
        {"empty count is 0", [](RandomDataInput& in) { in.count = ""; }, "Number of data points cannot be less than 3", 0, 0},
        {"negative count", [](RandomDataInput& in) { in.count = "-10"; }, "Number of data points cannot be less than 3", 0, 0},
        {"n = 1,000,000", [](RandomDataInput& in) { in.count = "1000000"; }, "", 1000000, 0.5},
        {"n = 1,000,001", [](RandomDataInput& in) { in.count = "1000001"; }, "Number of data points cannot be more than 1,000,000", 0, 0},
        {"n = 1e300", [](RandomDataInput& in) { in.count = "1e300"; }, "Number of data points cannot be more than 1,000,000", 0, 0},
        {"r = -0.1", [](RandomDataInput& in) { in.correlation = "-0.1"; }, "Correlation has to be between o and 1", 0, 0},
        {"r = 1.2", [](RandomDataInput& in) { in.correlation = "1.2"; }, "Correlation has to be between o and 1", 0, 0},
        {"r = 1 becomes 0.999", [](RandomDataInput& in) { in.correlation = "1"; }, "", 500, 0.999},
        {"r = 0", [](RandomDataInput& in) { in.correlation = "0"; }, "", 500, 0.0},
        {"empty r is 0", [](RandomDataInput& in) { in.correlation = ""; }, "", 500, 0.0},
        {"variance of Y 0", [](RandomDataInput& in) { in.varianceY = "0"; }, "Variance cannot be negative or zero", 0, 0},
        {"variance of X negative", [](RandomDataInput& in) { in.varianceX = "-4"; }, "Variance cannot be negative or zero", 0, 0},
        {"variances empty", [](RandomDataInput& in) { in.varianceX = ""; in.varianceY = ""; }, "Variance cannot be negative or zero", 0, 0},
        // Below the smallest normal double a variance keeps only a few digits.
        {"variance of X 1e-320", [](RandomDataInput& in) { in.varianceX = "1e-320"; },
         "Variance of Predicted (X): \"1e-320\" is too small; the smallest variance is 2.2250738585072014e-308", 0, 0},
        {"variance of Y 2.2e-308", [](RandomDataInput& in) { in.varianceY = " 2.2e-308 "; },
         "Variance of Observed (Y): \"2.2e-308\" is too small; the smallest variance is 2.2250738585072014e-308", 0, 0},
        {"smallest normal variance", [](RandomDataInput& in) { in.varianceX = "2.2250738585072014e-308"; }, "", 500, 0.5},
        {"largest variance", [](RandomDataInput& in) { in.varianceY = "1.7976931348623157e308"; }, "", 500, 0.5},
        {"zero checked before too small", [](RandomDataInput& in) { in.varianceX = "1e-320"; in.varianceY = "0"; }, "Variance cannot be negative or zero", 0, 0},
        {"negative means", [](RandomDataInput& in) { in.meanX = "-10"; in.meanY = "-0.5"; }, "", 500, 0.5},
        {"count checked before r", [](RandomDataInput& in) { in.count = "2"; in.correlation = "1.2"; }, "Number of data points cannot be less than 3", 0, 0},
        {"r checked before variances", [](RandomDataInput& in) { in.correlation = "1.2"; in.varianceX = "0"; }, "Correlation has to be between o and 1", 0, 0},
        {"count not a number", [](RandomDataInput& in) { in.count = "many"; }, "Data points: \"many\" is not a number", 0, 0},
        {"decimal comma", [](RandomDataInput& in) { in.correlation = "0,8"; }, "Correlation (X and Y): \"0,8\" is not a number", 0, 0},
        {"mean not a number", [](RandomDataInput& in) { in.meanY = "1x"; in.count = "2"; }, "Mean of Observed (Y): \"1x\" is not a number", 0, 0},
    };
    for (const Case& c : cases) {
        RandomDataInput in = defaultInput();
        c.edit(in);
        const RandomDataCheck check = checkRandomDataInput(in);
        EXPECT_EQ(check.message, QString::fromUtf8(c.message)) << c.what;
        EXPECT_EQ(check.settings.has_value(), QString::fromUtf8(c.message).isEmpty()) << c.what;
        if (check.settings) {
            EXPECT_EQ(check.settings->n, c.n) << c.what;
            EXPECT_EQ(check.settings->r, c.r) << c.what;
        }
    }
}

TEST(RandomDataCheck, AcceptedInputsCarryAllValues)
{
    RandomDataInput in = defaultInput();
    in.meanX = " -3.25 ";
    in.method = RandomMethod::ClaytonCopula;
    const RandomDataCheck check = checkRandomDataInput(in);
    ASSERT_TRUE(check.settings);
    EXPECT_EQ(check.settings->meanY, 12.0);
    EXPECT_EQ(check.settings->varianceY, 9.0);
    EXPECT_EQ(check.settings->meanX, -3.25);
    EXPECT_EQ(check.settings->varianceX, 4.0);
    EXPECT_EQ(check.settings->method, RandomMethod::ClaytonCopula);
}

TEST(RandomData, StraightLineModelOfTheWorkedExample)
{
    // meanX = 10, meanY = 12, varX = 4, varY = 9, r = 0.5, n = 3:
    // SSx = 12, SSy = 27, b1 = sqrt(0.25 * 27/12) = 0.75, b0 = 12 - 10 * 0.75 = 4.5,
    // SSE = 0.75 * 27 = 20.25, MSE = 20.25 / (3 - 2). All exact in binary.
    RandomDataSettings s;
    s.meanX = 10;
    s.meanY = 12;
    s.varianceX = 4;
    s.varianceY = 9;
    s.r = 0.5;
    s.n = 3;
    const StraightLineModel m = straightLineModel(s);
    EXPECT_EQ(m.SSx, 12.0);
    EXPECT_EQ(m.SSy, 27.0);
    EXPECT_EQ(m.b1, 0.75);
    EXPECT_EQ(m.b0, 4.5);
    EXPECT_EQ(m.SSE, 20.25);
    EXPECT_EQ(m.MSE, 20.25);
}

TEST(RandomData, DrawsU1ThenU2AndAppliesEachMethod)
{
    // With the quantile replaced by z(u) = u - 0.5 the arithmetic is exact to
    // follow: draws alternate U1(0), U2(0), U1(1), U2(1), ...
    const NormalQuantile z = [](double u) { return u - 0.5; };
    RandomDataSettings s;
    s.meanX = 10;
    s.meanY = 12;
    s.varianceX = 4;
    s.varianceY = 9;
    s.r = 0.5;
    s.n = 3;
    const std::deque<double> draws{0.125, 0.25, 0.375, 0.5, 0.625, 0.75};

    {
        // Varnholt: X = 2 z(U1) + 10, Y = 0.75 X + 4.5 + sqrt(20.25) z(U2).
        ScriptedSource source(draws);
        const RandomDataset d = generateRandomData(s, source, z, copulaGenerator());
        EXPECT_TRUE(source.exhausted());
        const double u1[] = {0.125, 0.375, 0.625};
        const double u2[] = {0.25, 0.5, 0.75};
        ASSERT_EQ(d.X.size(), 3u);
        ASSERT_EQ(d.Y.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            const double x = 2.0 * (u1[i] - 0.5) + 10.0;
            EXPECT_DOUBLE_EQ(d.X[i], x) << i;
            EXPECT_DOUBLE_EQ(d.Y[i], 0.75 * x + 4.5 + 4.5 * (u2[i] - 0.5)) << i;
        }
    }
    for (RandomMethod method : {RandomMethod::FrankCopula, RandomMethod::ClaytonCopula}) {
        // Copulas: X = 2 z(U1) + 10, Y = 3 z(V) + 12, V linked to U1 through U2.
        s.method = method;
        ScriptedSource source(draws);
        const RandomDataset d = generateRandomData(s, source, z, copulaGenerator());
        const bool frank = method == RandomMethod::FrankCopula;
        const double theta = CopulaGenerator::theta(frank ? CopulaGenerator::Frank
                                                          : CopulaGenerator::Clayton, 0.5);
        for (int i = 0; i < 3; ++i) {
            const double u1 = draws[2 * i];
            const double u2 = draws[2 * i + 1];
            const double v = frank ? CopulaGenerator::frankConditionalInverse(u1, u2, theta)
                                   : CopulaGenerator::claytonConditionalInverse(u1, u2, theta);
            EXPECT_DOUBLE_EQ(d.X[i], 2.0 * (u1 - 0.5) + 10.0) << int(method) << " " << i;
            EXPECT_DOUBLE_EQ(d.Y[i], 3.0 * (v - 0.5) + 12.0) << int(method) << " " << i;
        }
    }
}

TEST(RandomData, EveryAcceptedVarianceGivesFiniteValues)
{
    // Variances anywhere in the accepted range, far apart, with means far
    // from zero: the values are finite and no check calls them too large
    // (before, a slope and residual variance formed through n varY and
    // SSy / SSx overflowed and refused them). Y's spread is what was asked:
    // the straight line's sample variance of Y over its target
    // r^2 varY + (1 - r^2) varY n/(n - 2) within a few percent at n = 2,000.
    struct Case {
        const char* what;
        double meanX, varianceX, meanY, varianceY;
    };
    const Case cases[] = {
        {"largest variance of Y", 0.0, 1.0, 1.0, 1.7976931348623157e308},
        {"variances 1e-300 and 1e10", 0.0, 1e-300, 5.0, 1e10},
        {"smallest and largest variance", -1e300, 2.2250738585072014e-308, 1e160, 1e308},
    };
    const int n = 2000;
    for (const Case& c : cases) {
        for (RandomMethod method : {RandomMethod::Varnholt, RandomMethod::FrankCopula, RandomMethod::ClaytonCopula}) {
            RandomDataSettings s;
            s.meanX = c.meanX;
            s.varianceX = c.varianceX;
            s.meanY = c.meanY;
            s.varianceY = c.varianceY;
            s.r = 0.5;
            s.n = n;
            s.method = method;
            SeededRandomSource source(3);
            const RandomDataset d = generateRandomData(s, source, libraryNormalQuantile, copulaGenerator());
            EXPECT_EQ(checkGeneratedValues(d), QString()) << c.what << " method " << int(method);
            // The spread of Y relative to its target, computed in units of
            // its standard deviation so that nothing overflows.
            const double sdY = std::sqrt(c.varianceY);
            double sum = 0.0;
            double squares = 0.0;
            for (double y : d.Y) {
                const double scaled = y / sdY - c.meanY / sdY;
                sum += scaled;
                squares += scaled * scaled;
            }
            const double variance = (squares - sum * sum / n) / (n - 1);
            const double target = method == RandomMethod::Varnholt ? 0.25 + 0.75 * n / (n - 2.0) : 1.0;
            EXPECT_NEAR(variance / target, 1.0, 4.0 * std::sqrt(2.0 / (n - 1))) << c.what << " method " << int(method);
        }
    }

    // The check itself: a value beyond the double range is refused.
    RandomDataset beyond;
    beyond.X = {1.0, 2.0, 3.0};
    beyond.Y = {1.0, HUGE_VAL, 3.0};
    EXPECT_EQ(checkGeneratedValues(beyond), QString("The means or variances are too large for the generated values"));
}

TEST(RandomData, NewMatrixHoldsOnlyTheGeneratedPairs)
{
    RandomDataset d;
    d.X = {1.5, -2.0, 3.25};
    d.Y = {4.0, 5.5, -6.75};
    const DataMatrix m = randomDataMatrix(d);
    ASSERT_EQ(m.upperRow(), 4);   // rows 0..n+1: one spare row
    for (int row = 0; row <= 4; ++row) {
        for (int col = 0; col < DataMatrix::Columns; ++col) {
            const DataCell& cell = m.cell(col, row);
            const bool dataRow = row >= 1 && row <= 3;
            if (dataRow && col == DataMatrix::ColX) {
                ASSERT_TRUE(cell.isNumber());
                EXPECT_EQ(cell.number(), d.X[row - 1]);
            } else if (dataRow && col == DataMatrix::ColY) {
                ASSERT_TRUE(cell.isNumber());
                EXPECT_EQ(cell.number(), d.Y[row - 1]);
            } else if (dataRow && (col == DataMatrix::ColRankX || col == DataMatrix::ColRankY)) {
                EXPECT_TRUE(cell.isText() && cell.text().isEmpty()) << row << "," << col;
            } else {
                EXPECT_TRUE(cell.isEmpty()) << row << "," << col;
            }
        }
    }
}
