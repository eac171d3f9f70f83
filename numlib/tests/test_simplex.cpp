// Linear programming by the two-phase simplex method.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using SumtrixLib::test_support::base1;

namespace {

struct LpCase {
    const char* name;
    int m, N;
    std::vector<double> A, b;
    std::vector<int> kinds;  // m1, m2, m3
    std::vector<double> c;
    bool maximize;
    int status;              // linprog: 0 optimal, 2 infeasible, 3 unbounded
    double objective;
    std::vector<double> x;   // empty when the optimum is not unique
};

const LpCase lpCases[] = {
#include "reference/simplex_cases.inc"
};

struct Problem {
    BoundedArray2<double> A;
    BoundedArray<double> c, b;
    BoundedArray<std::int16_t> MD;
};

Problem problem(int m, int N, const std::vector<double>& A, const std::vector<double>& b,
                const std::vector<int>& kinds, const std::vector<double>& c)
{
    Problem p;
    p.A.redim(0, m, 0, N);
    for (int i = 1; i <= m; ++i)
        for (int j = 1; j <= N; ++j)
            p.A(i, j) = A.at(static_cast<std::size_t>((i - 1) * N + j - 1));
    p.b = base1(b);
    p.c = base1(c);
    p.MD.redim(0, 3);
    for (int k = 1; k <= 3; ++k)
        p.MD(k) = static_cast<std::int16_t>(kinds.at(static_cast<std::size_t>(k - 1)));
    return p;
}

struct Outcome {
    bool ok = false;
    std::string Msg, Output;
    BoundedArray<double> Solution;
    double ObjFunction = -7.0;
};

Outcome solve(const Problem& p, bool maximize)
{
    Sumtrix s;
    Outcome o;
    o.Solution.redim(0, 0);
    o.Solution(0) = -7.0;
    o.ok = s.LP_SimplexMethod(p.A, p.c, p.b, p.MD, maximize, o.Msg, o.Output, o.Solution, o.ObjFunction);
    return o;
}

} // namespace

TEST(Simplex, ReportOfTwoLessOrEqualRowsIsTheKnownText)
{
    // Maximise 3 x1 + 2 x2 subject to x1 + x2 <= 4, x1 + 3 x2 <= 6.
    const Outcome o = solve(problem(2, 2, {1, 1, 1, 3}, {4, 6}, {2, 0, 0}, {3, 2}), true);
    ASSERT_TRUE(o.ok);
    EXPECT_EQ(o.Msg, "Optimal solution found");
    EXPECT_EQ(o.Output,
              "Revised Simplex\r\n\r\n\r\nLinear Matrix:\r\n\r\n"
              "+1.0X1.  +1.0X2.  <=  4.0\r\n"
              "+1.0X1.  +3.0X2.  <=  6.0\r\n"
              "\r\n\r\nVariables:\r\n\r\n"
              "User variables from 1 to 2\r\n"
              "Free variables from  3 to  4\r\n"
              "\r\n\r\nSolution:\r\n\r\n"
              "Primals\r\n"
              "X1. = 4.0\r\n"
              "\r\nSurplus/Slack\r\n"
              "X4. = 2.0\r\n"
              "\r\nDuals\r\n"
              "b1. = 3.0\r\n"
              "b2. = 0.0\r\n"
              "\r\nObjective function (Z): 12.0");
    EXPECT_EQ(o.ObjFunction, 12.0);
    EXPECT_EQ(o.Solution.lbound(), 0);
    EXPECT_EQ(o.Solution.ubound(), 5);
    EXPECT_EQ(o.Solution.data(), (std::vector<double>{0, 4, 0, 0, 2, 0}));
}

TEST(Simplex, ReportOfAllThreeKindsOfRows)
{
    // Maximise 2 x1 + 3 x2 + x3 subject to x1 + x2 + x3 <= 10, x1 - x2 = 1,
    // x2 + x3 >= 3: optimum x = (5.5, 4.5, 0) with the surplus 1.5 of row 3
    // in column 5; the dual of row 1 is 2.5 (y1 + y2 = 2, y1 - y2 = 3).
    const Outcome o = solve(problem(3, 3, {1, 1, 1, 1, -1, 0, 0, 1, 1}, {10, 1, 3}, {1, 1, 1}, {2, 3, 1}), true);
    ASSERT_TRUE(o.ok);
    EXPECT_EQ(o.Output,
              "Revised Simplex\r\n\r\n\r\nLinear Matrix:\r\n\r\n"
              "+1.0X1.  +1.0X2.  +1.0X3.  <=  10.0\r\n"
              "+1.0X1.  -1.0X2.  =  1.0\r\n"
              "+1.0X2.  +1.0X3.  >=  3.0\r\n"
              "\r\n\r\nVariables:\r\n\r\n"
              "User variables from 1 to 3\r\n"
              "Free variables from  4 to  4\r\n"
              "Residual variables from  5 to  5\r\n"
              "Artificial variables from  6 to  7\r\n"
              "\r\n\r\nSolution:\r\n\r\n"
              "Primals\r\n"
              "X1. = 5.5\r\n"
              "X2. = 4.5\r\n"
              "\r\nSurplus/Slack\r\n"
              "X5. = 1.5\r\n"
              "\r\nDuals\r\n"
              "b1. = 2.5\r\n"
              "\r\nObjective function (Z): 24.5");
    EXPECT_EQ(o.Solution.ubound(), 3 + 3 + 1 + 1);
}

TEST(Simplex, AgreesWithLinprogHighs)
{
    for (const LpCase& c : lpCases) {
        SCOPED_TRACE(c.name);
        const Problem p = problem(c.m, c.N, c.A, c.b, c.kinds, c.c);
        const Outcome o = solve(p, c.maximize);
        if (c.status != 0) {
            EXPECT_FALSE(o.ok);
            EXPECT_EQ(o.Msg, c.status == 2 ? "No feasible solution" : "Unlimited solution");
            // The report holds the problem and its variables only; the
            // outputs keep what they held.
            EXPECT_NE(o.Output.find("Variables:"), std::string::npos);
            EXPECT_EQ(o.Output.find("Solution:"), std::string::npos);
            EXPECT_EQ(o.ObjFunction, -7.0);
            EXPECT_EQ(o.Solution.ubound(), 0);
            continue;
        }
        ASSERT_TRUE(o.ok) << o.Msg;
        EXPECT_EQ(o.Msg, "Optimal solution found");
        // ObjFunction is rounded to 7 decimals.
        EXPECT_NEAR(o.ObjFunction, c.objective, 5E-8 + 1E-12 * std::fabs(c.objective));
        const double scale = std::max(1.0, std::fabs(c.objective));
        for (int j = 1; j <= c.N; ++j) {
            if (!c.x.empty()) {
                EXPECT_NEAR(o.Solution(j), c.x.at(static_cast<std::size_t>(j - 1)), 1E-9 * scale) << "x" << j;
            }
            EXPECT_GE(o.Solution(j), -1E-9 * scale);
        }
        // Whatever the optimal vertex, it satisfies every row.
        const int m1 = c.kinds[0], m2 = c.kinds[1];
        for (int i = 1; i <= c.m; ++i) {
            double lhs = 0.0;
            for (int j = 1; j <= c.N; ++j)
                lhs += p.A(i, j) * o.Solution(j);
            const double slack = 1E-9 * std::max(1.0, std::fabs(p.b(i)));
            if (i <= m1)
                EXPECT_LE(lhs, p.b(i) + slack) << "row " << i;
            else if (i <= m1 + m2)
                EXPECT_NEAR(lhs, p.b(i), slack) << "row " << i;
            else
                EXPECT_GE(lhs, p.b(i) - slack) << "row " << i;
        }
    }
}

TEST(Simplex, ProblemsThatCannotStartAreRefusedWithAMessage)
{
    struct Case {
        const char* what;
        Problem p;
        const char* msg;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        // Unchecked, x1 <= -1 started from the slack at -1 and reported
        // the optimum x1 = -1 of an infeasible problem.
        {"negative right-hand side", problem(1, 1, {1}, {-1}, {1, 0, 0}, {1}),
         "Right-hand side of constraint 1 is negative (-1.0): multiply the constraint by -1 and reverse its "
         "relation"},
        {"counts that miss a row", problem(2, 1, {1, 1}, {3, 5}, {1, 0, 0}, {1}),
         "The counts of constraint kinds in MD (1, 0, 0) must be non-negative and add up to the number of "
         "right-hand sides (2)"},
        {"a negative count", problem(2, 1, {1, 1}, {3, 5}, {3, -1, 0}, {1}),
         "The counts of constraint kinds in MD (3, -1, 0) must be non-negative and add up to the number of "
         "right-hand sides (2)"},
        {"NaN coefficient", problem(1, 2, {1, nan}, {3}, {1, 0, 0}, {1, 1}),
         "Coefficient 2 of constraint 1 is not a finite number"},
        {"infinite objective", problem(1, 1, {1}, {3}, {1, 0, 0}, {std::numeric_limits<double>::infinity()}),
         "Objective coefficient 1 is not a finite number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome o = solve(c.p, true);
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.Msg, c.msg);
        EXPECT_EQ(o.Output, "");
        EXPECT_EQ(o.ObjFunction, -7.0);
        EXPECT_EQ(o.Solution.ubound(), 0);
    }
}

TEST(Simplex, RunTimeErrorsAreReported)
{
    // MD with two elements only: the third count is out of range.
    Problem p = problem(1, 1, {1}, {3}, {1, 0, 0}, {1});
    p.MD.redim(0, 2);
    p.MD(1) = 1;
    const Outcome o = solve(p, true);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.Msg, "Internal Error!\r\n Number:  9\r\n Description: Subscript out of range\r\n Source: SumtrixLib");
    EXPECT_EQ(o.Output, "\r\n\r\n" + o.Msg);

}

TEST(Simplex, FormatsNegativeCoefficientsAndLeavesOutZeros)
{
    // Minimise x1 + x3 subject to -2 x1 + x2 + 0 x3 >= 1.5 (a ">=" row).
    const Outcome o = solve(problem(1, 3, {-2, 1, 0}, {1.5}, {0, 0, 1}, {1, 0, 1}), false);
    ASSERT_TRUE(o.ok);
    EXPECT_NE(o.Output.find("Linear Matrix:\r\n\r\n-2.0X1.  +1.0X2.  >=  1.5\r\n"), std::string::npos);
    EXPECT_EQ(o.ObjFunction, 0.0);
}
