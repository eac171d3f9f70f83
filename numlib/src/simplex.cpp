// Linear programming by the two-phase tableau simplex method, with a
// plain-text report of the problem and its solution.
//
// Constraint rows come ordered by kind: m1 less-or-equal rows, then m2
// equal rows, then m3 greater-or-equal rows, all with non-negative
// right-hand sides (checked before anything is built). Tableau columns:
// the N user variables, the m1 slacks, the m3 surpluses, the m2 + m3
// artificials, then the right-hand side. Row m + 1 is the phase-one
// objective, row m + 2 the objective s c (s = -1 when maximising).
//
// The tableau holds the problem scaled by powers of two: each constraint
// row by its largest coefficient, the objective by its largest coefficient
// and the right-hand sides by their largest. Such scaling is exact and
// leaves every pivot choice of phase two as it was, but the tolerance 1E-7
// below then measures against the data's own size: unscaled, data in the
// millions had legitimate entries of the basis inverse (around 1E-6 and
// below) set to 0 and reported an infeasible point as the optimum. Values
// are scaled back for the report.
//
// Pivots follow the steepest reduced cost with the lowest row on equal
// ratios. After a degenerate pivot (a zero step), where that rule can cycle
// forever, the next pivot follows Bland's rule: the lowest-numbered
// improving column enters and, among equal ratios, the row whose basic
// variable has the lowest number leaves. Bland's rule cannot cycle, and a
// cap on the number of pivots guards against rounding.
#include <algorithm>
#include <cmath>
#include <string>

#include "SumtrixLib/Sumtrix.hpp"
#include "trap_text.hpp"

namespace SumtrixLib {

namespace {

constexpr double Eps = 1E-7;

const char* const MsgOptimal = "Optimal solution found";
const char* const MsgUnbounded = "Unlimited solution";
const char* const MsgInfeasible = "No feasible solution";
const char* const MsgTooManyPivots =
    "The simplex method stopped after too many pivots without reaching an optimum";

std::string valueText(double v)
{
    return FormatNumberPattern(v, "####0.0###");
}

std::string indexText(std::int32_t k)
{
    return FormatNumberPattern(k, "##.");
}

// Rounded to 7 decimals, halves up.
double rounded7(double v)
{
    return std::floor(checkedMul(v, 10000000.0) + 0.5) / 10000000.0;
}

class Simplex {
public:
    Simplex(std::int32_t m, std::int32_t N, std::int32_t m1, std::int32_t m3)
        : m(m), N(N), m1(m1), m3(m3), rhs(N + m + m3 + 1), lastChoice(N + m1 + m3),
          T(0, m + 2, 0, N + m + m3 + 1), B(0, m),
          maxPivots(10000 + 100 * (static_cast<std::int64_t>(m) + N + m + m3))
    {
    }

    enum class Step { Pivoted, Done, Unbounded, TooManyPivots };

    // One pivot step on objective row Z.
    Step step(std::int32_t Z)
    {
        std::int32_t col = 0;
        double lowest = -Eps;
        for (std::int32_t j = 1; j <= lastChoice; ++j) {
            if (T(Z, j) < lowest) {
                lowest = T(Z, j);
                col = j;
                if (bland)
                    break;
            }
        }
        if (col == 0)
            return Step::Done;

        std::int32_t row = 0;
        double best = 0.0;
        for (std::int32_t l = 1; l <= m; ++l) {
            if (!(T(l, col) > Eps))
                continue;
            const double ratio = checkedDiv(T(l, rhs), T(l, col));
            if (row == 0 || ratio < best || (bland && ratio == best && B(l) < B(row))) {
                row = l;
                best = ratio;
            }
        }
        if (row == 0)
            return Step::Unbounded;
        if (++pivots > maxPivots)
            return Step::TooManyPivots;
        bland = std::fabs(T(row, rhs)) <= Eps;
        pivot(row, col);
        return Step::Pivoted;
    }

    void pivot(std::int32_t row, std::int32_t col)
    {
        const double p = T(row, col);
        for (std::int32_t k = 1; k <= m + 2; ++k) {
            if (k == row)
                continue;
            for (std::int32_t j = 1; j <= rhs; ++j) {
                if (j == col)
                    continue;
                double v = checkedSub(T(k, j), checkedDiv(checkedMul(T(row, j), T(k, col)), p));
                if (std::fabs(v) < Eps)
                    v = 0.0;
                T(k, j) = v;
            }
        }
        for (std::int32_t j = 1; j <= rhs; ++j)
            T(row, j) = checkedDiv(T(row, j), p);
        for (std::int32_t k = 1; k <= m + 2; ++k)
            T(k, col) = 0.0;
        T(row, col) = 1.0;
        B(row) = col;
    }

    // Repeats pivot steps on row Z until none is possible.
    Step run(std::int32_t Z)
    {
        bland = false;
        for (;;) {
            const Step s = step(Z);
            if (s != Step::Pivoted)
                return s;
        }
    }

    // The row in which column k is basic (0 when it is not basic).
    std::int32_t basicRow(std::int32_t k) const
    {
        for (std::int32_t l = 1; l <= m; ++l)
            if (B(l) == k)
                return l;
        return 0;
    }

    const std::int32_t m, N, m1, m3;
    const std::int32_t rhs;         // the right-hand side column
    const std::int32_t lastChoice;  // the last column that may enter (no artificial)
    BoundedArray2<double> T;
    BoundedArray<std::int32_t> B;

private:
    const std::int64_t maxPivots;
    std::int64_t pivots = 0;
    bool bland = false;
};

// The power of two nearest below the largest magnitude (0 when all are 0).
int binaryExponent(double largest)
{
    return largest > 0.0 ? std::ilogb(largest) : 0;
}

// Checks the problem before anything is built; "" when it is well formed.
std::string problemFault(const BoundedArray2<double>& Coefficients, const BoundedArray<double>& Objectives,
                         const BoundedArray<double>& RHS, std::int32_t m, std::int32_t N, std::int32_t m1,
                         std::int32_t m2, std::int32_t m3)
{
    if (m1 < 0 || m2 < 0 || m3 < 0 || static_cast<std::int64_t>(m1) + m2 + m3 != m)
        return "The counts of constraint kinds in MD (" + std::to_string(m1) + ", " + std::to_string(m2) + ", "
               + std::to_string(m3) + ") must be non-negative and add up to the number of right-hand sides ("
               + std::to_string(m) + ")";
    for (std::int32_t j = 1; j <= N; ++j)
        if (!std::isfinite(Objectives(j)))
            return "Objective coefficient " + std::to_string(j) + " is not a finite number";
    for (std::int32_t i = 1; i <= m; ++i) {
        for (std::int32_t j = 1; j <= N; ++j)
            if (!std::isfinite(Coefficients(i, j)))
                return "Coefficient " + std::to_string(j) + " of constraint " + std::to_string(i)
                       + " is not a finite number";
        if (!std::isfinite(RHS(i)))
            return "Right-hand side of constraint " + std::to_string(i) + " is not a finite number";
        if (RHS(i) < 0.0)
            return "Right-hand side of constraint " + std::to_string(i) + " is negative (" + valueText(RHS(i))
                   + "): multiply the constraint by -1 and reverse its relation";
    }
    return std::string();
}

} // namespace

bool Sumtrix::LP_SimplexMethod(const BoundedArray2<double>& Coefficients, const BoundedArray<double>& Objectives,
                               const BoundedArray<double>& RHS, const BoundedArray<std::int16_t>& MD,
                               bool Maximize, std::string& Msg, std::string& Output,
                               BoundedArray<double>& Solution, double& ObjFunction)
{
    Output.clear();
    try {
        const std::int32_t N = Coefficients.ubound(2);
        const std::int32_t m = RHS.ubound();
        const std::int32_t m1 = MD(1), m2 = MD(2), m3 = MD(3);
        const std::string fault = problemFault(Coefficients, Objectives, RHS, m, N, m1, m2, m3);
        if (!fault.empty()) {
            Msg = fault;
            return false;
        }
        const double s = Maximize ? -1.0 : 1.0;

        // Scale exponents: row i is multiplied by 2^-rowExp(i), the
        // objective by 2^-objExp and every right-hand side by 2^-rhsExp.
        BoundedArray<int> rowExp(0, m);
        double largestRhs = 0.0, largestObjective = 0.0;
        for (std::int32_t i = 1; i <= m; ++i) {
            double largest = 0.0;
            for (std::int32_t j = 1; j <= N; ++j)
                largest = std::max(largest, std::fabs(Coefficients(i, j)));
            rowExp(i) = binaryExponent(largest);
            largestRhs = std::max(largestRhs, std::ldexp(RHS(i), -rowExp(i)));
        }
        for (std::int32_t j = 1; j <= N; ++j)
            largestObjective = std::max(largestObjective, std::fabs(Objectives(j)));
        const int rhsExp = binaryExponent(largestRhs);
        const int objExp = binaryExponent(largestObjective);

        Simplex lp(m, N, m1, m3);
        auto& T = lp.T;
        const std::int32_t rhs = lp.rhs;
        for (std::int32_t i = 1; i <= m; ++i) {
            for (std::int32_t j = 1; j <= N; ++j)
                T(i, j) = std::ldexp(Coefficients(i, j), -rowExp(i));
            if (i <= m1) {
                lp.B(i) = N + i;
                T(i, N + i) = 1.0;
            } else {
                lp.B(i) = N + m3 + i;
                T(i, N + m3 + i) = 1.0;
                for (std::int32_t j = 1; j <= N; ++j)
                    T(m + 1, j) = checkedSub(T(m + 1, j), T(i, j));
                if (i > m1 + m2) {
                    T(i, N + i - m2) = -1.0;
                    T(m + 1, N + i - m2) = 1.0;
                }
            }
        }
        for (std::int32_t i = 1; i <= m; ++i)
            T(i, rhs) = std::ldexp(RHS(i), -rowExp(i) - rhsExp);
        for (std::int32_t j = 1; j <= N; ++j)
            T(m + 2, j) = std::ldexp(s * Objectives(j), -objExp);

        // The value of the variable of column k (basic in row l) in the
        // problem's own units: a slack or surplus carries its row's scale.
        auto variableValue = [&](std::int32_t k, std::int32_t l) {
            int e = rhsExp;
            if (k > N + m1)
                e += rowExp(k - N + m2);
            else if (k > N)
                e += rowExp(k - N);
            return std::ldexp(T(l, rhs), e);
        };

        Output = "Revised Simplex\r\n\r\n\r\nLinear Matrix:\r\n\r\n";
        for (std::int32_t i = 1; i <= m; ++i) {
            for (std::int32_t j = 1; j <= N; ++j) {
                const double v = Coefficients(i, j);
                if (v != 0.0) {
                    Output += v > 0.0 ? '+' : '-';
                    Output += valueText(std::fabs(v)) + "X" + indexText(j) + "  ";
                }
            }
            Output += i <= m1 ? "<=  " : i <= m1 + m2 ? "=  " : ">=  ";
            Output += valueText(RHS(i)) + "\r\n";
        }
        Output += "\r\n\r\nVariables:\r\n\r\n";
        Output += "User variables from 1 to" + signedNumberText(N) + "\r\n";
        if (m1 > 0)
            Output += "Free variables from " + signedNumberText(N + 1) + " to " + signedNumberText(N + m1) + "\r\n";
        if (m3 > 0)
            Output += "Residual variables from " + signedNumberText(N + m1 + 1) + " to "
                      + signedNumberText(N + m1 + m3) + "\r\n";

        auto failed = [&](Simplex::Step step) {
            Msg = step == Simplex::Step::Unbounded ? MsgUnbounded : MsgTooManyPivots;
            return false;
        };

        if (m > m1) {
            Output += "Artificial variables from " + signedNumberText(N + m1 + m3 + 1) + " to "
                      + signedNumberText(N + m + m3) + "\r\n";
            // Phase one: minimise the artificials' sum; then drive out every
            // artificial left basic at level 0 where a non-artificial column
            // can replace it, and start again.
            bool restart = true;
            while (restart) {
                const Simplex::Step end = lp.run(m + 1);
                if (end != Simplex::Step::Done)
                    return failed(end);
                restart = false;
                for (std::int32_t l = 1; l <= m && !restart; ++l) {
                    if (lp.B(l) <= lp.lastChoice)
                        continue;
                    if (T(l, rhs) > Eps) {
                        Msg = MsgInfeasible;
                        return false;
                    }
                    for (std::int32_t j = 1; j <= lp.lastChoice; ++j) {
                        if (std::fabs(T(l, j)) > Eps) {
                            lp.pivot(l, j);
                            restart = true;
                            break;
                        }
                    }
                }
            }
        }
        const Simplex::Step end = lp.run(m + 2);
        if (end != Simplex::Step::Done)
            return failed(end);

        Output += "\r\n\r\nSolution:\r\n\r\nPrimals\r\n";
        bool slackHeading = false;
        for (std::int32_t k = 1; k <= lp.lastChoice; ++k) {
            const std::int32_t l = lp.basicRow(k);
            if (l == 0)
                continue;
            if (k > N && !slackHeading) {
                Output += "\r\nSurplus/Slack\r\n";
                slackHeading = true;
            }
            Output += "X" + indexText(k) + " = " + valueText(rounded7(variableValue(k, l))) + "\r\n";
        }
        if (m1 > 0) {
            Output += "\r\nDuals\r\n";
            for (std::int32_t i = 1; i <= m1; ++i)
                Output += "b" + indexText(i) + " = "
                          + valueText(rounded7(std::ldexp(-s * T(m + 2, N + i), objExp - rowExp(i)))) + "\r\n";
        }
        ObjFunction = rounded7(std::ldexp(-s * T(m + 2, rhs), objExp + rhsExp));
        Output += "\r\nObjective function (Z): " + valueText(ObjFunction);

        Solution.redim(0, N + m + m3 + 1);
        for (std::int32_t k = 1; k <= lp.lastChoice; ++k) {
            const std::int32_t l = lp.basicRow(k);
            if (l != 0)
                Solution(k) = variableValue(k, l);
        }
        Msg = MsgOptimal;
        return true;
    } catch (const RuntimeError& e) {
        const std::string text = "Internal Error!\r\n Number: " + signedNumberText(e.number()) + "\r\n Description: "
                                 + e.description() + "\r\n Source: " + e.source();
        Output += "\r\n\r\n" + text;
        Msg = text;
        return false;
    }
}

} // namespace SumtrixLib
