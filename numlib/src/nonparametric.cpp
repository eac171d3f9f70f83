// Two-sample nonparametric tests: the Mann-Whitney rank-sum test with
// mid-ranks and its normal approximation, and the Kolmogorov-Smirnov tests
// with the asymptotic tail Q(lambda) and Stephens' effective-size correction
// (after the Numerical Recipes routines kstwo, ksone and probks).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>
#include <utility>
#include <vector>

#include "SumtrixLib/Sumtrix.hpp"
#include "data_checks.hpp"

namespace SumtrixLib {

namespace {

// A sorted copy of a(1..n) in an array 0..n.
BoundedArray<double> sortedCopy(Sumtrix& s, const BoundedArray<double>& a, std::int32_t n)
{
    requireCount(n);
    BoundedArray<double> w(0, n);
    for (std::int32_t i = 1; i <= n; ++i)
        w(i) = a(i);
    requireFiniteValues(w, 1, n);
    s.Sort_Sort1(n, w);
    return w;
}

// value(1..n) in ascending order, group(i) moved with value(i); the order
// within equal values is unspecified. The values are finite.
void sortByValue(BoundedArray<double>& value, BoundedArray<double>& group, std::int32_t n)
{
    std::vector<std::pair<double, double>> pairs(static_cast<std::size_t>(n));
    for (std::int32_t i = 1; i <= n; ++i)
        pairs[static_cast<std::size_t>(i - 1)] = {value(i), group(i)};
    std::sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::int32_t i = 1; i <= n; ++i)
        std::tie(value(i), group(i)) = pairs[static_cast<std::size_t>(i - 1)];
}

// Q of the statistic scaled by Stephens' factor sqrt(ne) + 0.12 + 0.11/sqrt(ne).
double tailOfScaled(Sumtrix& s, double KS, double ne)
{
    const double rt = std::sqrt(ne);
    return s.STAT_ProbKS((rt + 0.12 + checkedDiv(0.11, rt)) * KS);
}

} // namespace

void Sumtrix::STAT_MannWhitney(const BoundedArray<double>& ix1, const BoundedArray<double>& ix2, double& D,
                               double& rv, double& Var, double& sig, InOut<bool> larger)
{
    larger = false;
    sig = 1.0;
    const std::int32_t na = ix1.ubound();
    const std::int32_t nb = ix2.ubound();
    requireCount(na);
    requireCount(nb);
    const std::int64_t pooled = static_cast<std::int64_t>(na) + nb;
    if (pooled > std::numeric_limits<std::int32_t>::max())
        raiseError(ErrOverflow);
    const auto N = static_cast<std::int32_t>(pooled);

    // The pooled values with their group: 0 for ix1, 1 for ix2.
    BoundedArray<double> value(0, N), group(0, N);
    for (std::int32_t i = 1; i <= na; ++i)
        value(i) = ix1(i);
    for (std::int32_t i = 1; i <= nb; ++i) {
        value(na + i) = ix2(i);
        group(na + i) = 1.0;
    }
    requireFiniteValues(value, 1, N);
    const double first = ix1(1);
    bool allEqual = true;
    for (std::int32_t i = 1; i <= N && allEqual; ++i)
        allEqual = value(i) == first;
    if (allEqual)
        return;

    // Ascending by value. All values of a run of ties share one mid-rank,
    // so the order of the groups within a run changes neither R nor T: any
    // sort gives the same result, and a sort of pairs in plain memory takes
    // a fraction of a heap sort's time on a million values.
    sortByValue(value, group, N);

    // Rank sum R of the second sample with mid-ranks for tied runs, and the
    // tie term T = sum of t^3 - t.
    double R = 0.0;
    double T = 0.0;
    std::int32_t i = 1;
    while (i <= N) {
        std::int32_t m = i;
        while (m < N && value(m + 1) == value(i))
            ++m;
        if (m > i) {
            const double t = m - i + 1;
            T += t * t * t - t;
            const double rank = (static_cast<double>(i) + m) / 2.0;
            for (std::int32_t k = i; k <= m; ++k)
                if (group(k) == 1.0)
                    R += rank;
        } else if (group(i) == 1.0) {
            R += i;
        }
        i = m + 1;
    }

    const double dN = N;
    // The continuity correction moves the difference half a rank towards
    // zero whatever its sign, so swapping the samples changes only the sign.
    const double diff = R - nb * (dN + 1.0) / 2.0;
    D = diff > 0.0 ? diff - 0.5 : diff < 0.0 ? diff + 0.5 : 0.0;
    larger = D > 0.0;
    Var = checkedDiv(static_cast<double>(nb) * na, dN * (dN - 1.0)) * (dN * dN * dN - dN - T) / 12.0;
    rv = checkedDiv(std::fabs(D), checkedSqrt(Var));
    sig = this->STAT_NormProb1(rv, true);
}

void Sumtrix::STAT_KolmogorovSmirnov2(const BoundedArray<double>& data1, std::int32_t n1,
                                      const BoundedArray<double>& data2, std::int32_t n2, double& KS,
                                      double& en, double& ProbKS)
{
    const BoundedArray<double> w1 = sortedCopy(*this, data1, n1);
    const BoundedArray<double> w2 = sortedCopy(*this, data2, n2);
    // Walk both sorted samples in step; a value present in both, or more
    // than once, is passed as a whole before the two distribution functions
    // are compared, so KS is their largest difference at the data points.
    std::int32_t j1 = 1, j2 = 1;
    double fn1 = 0.0, fn2 = 0.0;
    KS = 0.0;
    while (j1 <= n1 && j2 <= n2) {
        const double d1 = w1(j1);
        const double d2 = w2(j2);
        if (d1 <= d2) {
            while (j1 <= n1 && w1(j1) == d1)
                ++j1;
            fn1 = static_cast<double>(j1 - 1) / n1;
        }
        if (d2 <= d1) {
            while (j2 <= n2 && w2(j2) == d2)
                ++j2;
            fn2 = static_cast<double>(j2 - 1) / n2;
        }
        const double dt = std::fabs(fn2 - fn1);
        if (dt > KS)
            KS = dt;
    }
    en = checkedDiv(static_cast<double>(n2) * n1, static_cast<double>(n2) + n1);
    ProbKS = tailOfScaled(*this, KS, en);
}

void Sumtrix::STAT_KolmogorovSmirnov1(const BoundedArray<double>& data, std::int32_t n, double& KS,
                                      double& ProbKS)
{
    const BoundedArray<double> w = sortedCopy(*this, data, n);
    KS = 0.0;
    double fo = 0.0;
    for (std::int32_t j = 1; j <= n; ++j) {
        const double fn = static_cast<double>(j) / n;
        // The values are the reference distribution's probabilities already.
        const double ff = w(j);
        const double dt = this->Max(std::fabs(fo - ff), std::fabs(fn - ff));
        if (dt > KS)
            KS = dt;
        fo = fn;
    }
    ProbKS = tailOfScaled(*this, KS, n);
}

double Sumtrix::STAT_ProbKS(double alam)
{
    constexpr double Eps1 = 0.001;
    constexpr double Eps2 = 1.0E-8;
    const double a2 = -2.0 * alam * alam;
    double fac = 2.0;
    double sum = 0.0;
    double previous = 0.0;
    for (std::int32_t j = 1; j <= 100; ++j) {
        const double term = fac * std::exp(a2 * j * j);
        sum += term;
        // For small lambda the partial sums swing about a Q close to 1 and
        // may stop a little above it: a probability is at most 1.
        if (std::fabs(term) <= Eps1 * previous || std::fabs(term) <= Eps2 * sum)
            return std::min(sum, 1.0);
        fac = -fac;
        previous = std::fabs(term);
    }
    return 1.0;
}

} // namespace SumtrixLib
