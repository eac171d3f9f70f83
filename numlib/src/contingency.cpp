// Chi-square analysis of a two-way table of counts (after the Numerical
// Recipes routine cntab1): the statistic, its degrees of freedom and upper
// tail, Cramer's V and the contingency coefficient.
#include <cmath>
#include <cstdint>

#include "SumtrixLib/Sumtrix.hpp"
#include "data_checks.hpp"

namespace SumtrixLib {

void Sumtrix::STAT_Contingency1(const BoundedArray2<std::int32_t>& nn, std::int32_t ni, std::int32_t nj,
                                double Prop, double& chisq, double& df, double& ProbChiSQ, double& CramerV,
                                double& CCC)
{
    // Keeps an empty expected count from dividing by zero.
    constexpr double Tiny = 1E-30;
    requireCount(ni);
    requireCount(nj);
    // Row and column sums; rows and columns without counts are not used.
    BoundedArray<double> rowSum(0, ni), colSum(0, nj);
    double N = 0.0;
    std::int64_t usedRows = ni;
    for (std::int32_t i = 1; i <= ni; ++i) {
        for (std::int32_t j = 1; j <= nj; ++j) {
            rowSum(i) += nn(i, j);
            N += nn(i, j);
        }
        if (rowSum(i) == 0.0)
            --usedRows;
    }
    std::int64_t usedCols = nj;
    for (std::int32_t j = 1; j <= nj; ++j) {
        for (std::int32_t i = 1; i <= ni; ++i)
            colSum(j) += nn(i, j);
        if (colSum(j) == 0.0)
            --usedCols;
    }
    df = static_cast<double>(usedRows * usedCols - usedRows - usedCols + 1);

    chisq = 0.0;
    for (std::int32_t i = 1; i <= ni; ++i) {
        for (std::int32_t j = 1; j <= nj; ++j) {
            const double expected = Prop > 0.0 ? Prop * N : checkedDiv(colSum(j) * rowSum(i), N);
            const double d = nn(i, j) - expected;
            chisq = checkedAdd(chisq, checkedDiv(d * d, expected + Tiny));
        }
    }
    ProbChiSQ = df > 0.0 ? this->Gamma_gammq(0.5 * df, 0.5 * chisq) : MissingValue;
    const double k = this->Min(static_cast<double>(usedRows - 1), static_cast<double>(usedCols - 1));
    if (k * N > 0.0)
        CramerV = checkedSqrt(chisq / (k * N));
    CCC = checkedSqrt(checkedDiv(chisq, chisq + N));
}

} // namespace SumtrixLib
