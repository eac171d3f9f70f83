// Rank correlation: mid-ranks, Pearson's r, Spearman's rank correlation,
// Kendall's tau (after the Numerical Recipes routines crank, pearsn,
// spear and kendl1) and the complementary error function erfcc.
//
// Rank_Pearson, Rank_Spearman and Rank_Kendall pass over run-time errors:
// a step that fails assigns nothing, and its output keeps its value.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib {

namespace {

// The divisor of every normal probability here: sqrt(2) to eight digits.
constexpr double Sqrt2Eight = 1.4142136;

// Sums over the groups of tied values (t values each) that the variance of
// Kendall's S needs. In double, as the cubes outgrow 64-bit integers long
// before n does.
struct TieSums {
    double pairs = 0.0;     // t(t - 1)
    double spread = 0.0;    // t(t - 1)(2t + 5)
    double triples = 0.0;   // t(t - 1)(t - 2)
    void add(double t)
    {
        pairs += t * (t - 1.0);
        spread += t * (t - 1.0) * (2.0 * t + 5.0);
        triples += t * (t - 1.0) * (t - 2.0);
    }
};

// Number of pairs within runs of equal values of a sorted sequence,
// sum of t(t - 1)/2 over the runs; the runs of more than one value are
// added to ties when given.
template <class Equal>
std::int64_t tiedPairs(std::size_t count, Equal&& equal, TieSums* ties = nullptr)
{
    std::int64_t pairs = 0;
    std::size_t i = 0;
    while (i < count) {
        std::size_t j = i + 1;
        while (j < count && equal(i, j))
            ++j;
        const auto t = static_cast<std::int64_t>(j - i);
        pairs += t * (t - 1) / 2;
        if (ties != nullptr && t > 1)
            ties->add(static_cast<double>(t));
        i = j;
    }
    return pairs;
}

// Sorts v ascending by merging and returns the number of exchanges an
// exchange sort would make: the pairs i < j with v[i] > v[j].
std::int64_t mergeSortCountingInversions(std::vector<double>& v)
{
    std::vector<double> buffer(v.size());
    std::int64_t inversions = 0;
    for (std::size_t width = 1; width < v.size(); width *= 2) {
        for (std::size_t lo = 0; lo < v.size(); lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, v.size());
            const std::size_t hi = std::min(lo + 2 * width, v.size());
            std::size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) {
                if (v[j] < v[i]) {
                    inversions += static_cast<std::int64_t>(mid - i);
                    buffer[k++] = v[j++];
                } else {
                    buffer[k++] = v[i++];
                }
            }
            while (i < mid)
                buffer[k++] = v[i++];
            while (j < hi)
                buffer[k++] = v[j++];
        }
        v.swap(buffer);
    }
    return inversions;
}

// Kendall's pair counts over all pairs j < k: na pairs not tied in x, nb
// pairs not tied in y, and score = concordant - discordant pairs among the
// pairs tied in neither; with the sums over the tied groups of x and of y.
// Counted in O(n log n) after Knight (1966): sort by (x, y), count the ties
// in x and in both, then count the discordant pairs as the inversions of y
// in that order and the ties in y after sorting it.
struct KendallCounts {
    std::int64_t na = 0;
    std::int64_t nb = 0;
    std::int64_t score = 0;
    TieSums tiesX;
    TieSums tiesY;
};

KendallCounts kendallCounts(const std::vector<double>& x, const std::vector<double>& y)
{
    const std::size_t n = x.size();
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return x[a] < x[b] || (x[a] == x[b] && y[a] < y[b]);
    });
    KendallCounts c;
    const std::int64_t tiedX = tiedPairs(
        n, [&](std::size_t i, std::size_t j) { return x[order[i]] == x[order[j]]; }, &c.tiesX);
    const std::int64_t tiedBoth = tiedPairs(n, [&](std::size_t i, std::size_t j) {
        return x[order[i]] == x[order[j]] && y[order[i]] == y[order[j]];
    });
    std::vector<double> ys(n);
    for (std::size_t i = 0; i < n; ++i)
        ys[i] = y[order[i]];
    // Within a run of equal x the y are ascending, so every inversion is a
    // pair with x ascending and y descending: a discordant pair.
    const std::int64_t discordant = mergeSortCountingInversions(ys);
    const std::int64_t tiedY =
        tiedPairs(n, [&](std::size_t i, std::size_t j) { return ys[i] == ys[j]; }, &c.tiesY);

    const auto all = static_cast<std::int64_t>(n) * static_cast<std::int64_t>(n > 0 ? n - 1 : 0) / 2;
    c.na = all - tiedX;
    c.nb = all - tiedY;
    const std::int64_t untied = all - tiedX - tiedY + tiedBoth;
    c.score = untied - 2 * discordant;
    return c;
}

} // namespace

void Sumtrix::Rank_CRank(std::int32_t n, BoundedArray<double>& W, double& S)
{
    S = 0.0;
    std::int32_t j = 1;
    while (j < n) {
        if (W(j + 1) != W(j)) {
            W(j) = j;
            ++j;
        } else {
            std::int32_t jt = j + 1;
            while (jt <= n && W(jt) == W(j))
                ++jt;
            const double rank = 0.5 * (static_cast<double>(j) + static_cast<double>(jt) - 1.0);
            for (std::int32_t ji = j; ji <= jt - 1; ++ji)
                W(ji) = rank;
            const double t = static_cast<double>(jt) - static_cast<double>(j);
            S += t * t * t - t;
            j = jt;
        }
    }
    if (j == n)
        W(n) = n;
}

void Sumtrix::Rank_Pearson(const BoundedArray<double>& x, const BoundedArray<double>& y, std::int32_t n,
                           double& r, double& t, double& ProbT, double& r2, double& Adjr2, double& z)
{
    // TINY keeps z and t finite for a perfect correlation.
    constexpr double TINY = 1E-20;
    const double dn = n;
    // Past the end of both arrays every statement of the loops fails and
    // assigns nothing, so the loops can stop there.
    const std::int32_t last = std::min(n, std::max(x.allocated() ? x.ubound() : 0, y.allocated() ? y.ubound() : 0));

    double ax = 0.0, ay = 0.0;
    for (std::int32_t i = 1; i <= last; ++i) {
        guardStep(ax, [&] { return checkedAdd(ax, x(i)); });
        guardStep(ay, [&] { return checkedAdd(ay, y(i)); });
    }
    guardStep(ax, [&] { return checkedDiv(ax, dn); });
    guardStep(ay, [&] { return checkedDiv(ay, dn); });

    double sxx = 0.0, syy = 0.0, sxy = 0.0;
    for (std::int32_t i = 1; i <= last; ++i) {
        guardStep(sxx, [&] {
            const double d = checkedSub(x(i), ax);
            return checkedAdd(sxx, checkedMul(d, d));
        });
        guardStep(syy, [&] {
            const double d = checkedSub(y(i), ay);
            return checkedAdd(syy, checkedMul(d, d));
        });
        guardStep(sxy, [&] { return checkedAdd(sxy, checkedMul(checkedSub(x(i), ax), checkedSub(y(i), ay))); });
    }
    guardStep(r, [&] { return checkedDiv(sxy, checkedSqrt(checkedMul(sxx, syy))); });
    // Fisher's z
    guardStep(z, [&] { return 0.5 * checkedLog(checkedDiv(1.0 + r + TINY, 1.0 - r + TINY)); });
    const double df = dn - 2.0;
    guardStep(t, [&] { return r * checkedSqrt(checkedDiv(df, (1.0 - r + TINY) * (1.0 + r + TINY))); });
    if (n > 499) {
        // large samples: z sqrt(n - 1) is about standard normal
        guardStep(ProbT, [&] { return this->Error_Erfcc(std::fabs(z * std::sqrt(dn - 1.0)) / Sqrt2Eight); });
    } else {
        guardStep(ProbT, [&] {
            return this->STAT_BETAI(0.5 * df, 0.5, checkedDiv(df, checkedAdd(df, checkedMul(t, t))));
        });
    }
    guardStep(r2, [&] { return checkedMul(r, r); });
    // adjusted for k = 1 predictor
    guardStep(Adjr2, [&] { return 1.0 - checkedDiv((1.0 - r2) * (dn - 1.0), dn - 1.0 - 1.0); });
}

void Sumtrix::Rank_Invert(BoundedArray<double>& x, std::int32_t n)
{
    for (std::int32_t i = 1; i <= n; ++i)
        x(i) = static_cast<double>(n) - x(i) + 1.0;
}

void Sumtrix::Rank_Spearman(const BoundedArray<double>& data1, const BoundedArray<double>& data2,
                            std::int32_t n, BoundedArray<double>& wksp1, bool Invert1,
                            BoundedArray<double>& wksp2, bool Invert2, BoundedArray<double>& idx,
                            double& D, double& zd, double& ProbD, double& rs, double& t,
                            double& Probrs)
{
    // The work arrays are dimensioned for n pairs only when the data reach
    // that far: a count beyond both arrays fails these steps like any
    // other, rather than claiming memory for pairs that do not exist.
    const std::int32_t reach = std::max(data1.allocated() ? data1.ubound() : 0,
                                        data2.allocated() ? data2.ubound() : 0);
    const auto dimension = [&](BoundedArray<double>& a) {
        ignoreErrors([&] {
            if (n > reach)
                raiseError(ErrSubscript);
            a.redim(0, n);
        });
    };
    dimension(wksp1);
    dimension(wksp2);
    dimension(idx);
    const std::int32_t last = std::min(n, reach);
    for (std::int32_t j = 1; j <= last; ++j) {
        ignoreErrors([&] { wksp1(j) = data1(j); });
        ignoreErrors([&] { wksp2(j) = data2(j); });
        ignoreErrors([&] { idx(j) = j; });
    }
    // Past the data only idx is written, as far as it reaches.
    const std::int32_t idxLast = std::min(n, idx.allocated() ? idx.ubound() : 0);
    for (std::int32_t j = last + 1; j <= idxLast; ++j)
        ignoreErrors([&] { idx(j) = j; });

    // Ranks of data1 (sorted by it, the others carried along), then of
    // data2; the positions end in ascending order of data2.
    double sf = 0.0, sg = 0.0;
    ignoreErrors([&] { this->Sort_Sort3(n, wksp1, wksp2, idx); });
    ignoreErrors([&] { this->Rank_CRank(n, wksp1, sf); });
    ignoreErrors([&] { this->Sort_Sort3(n, wksp2, wksp1, idx); });
    ignoreErrors([&] { this->Rank_CRank(n, wksp2, sg); });
    // inverted after the tie sums are taken
    if (Invert1)
        ignoreErrors([&] { this->Rank_Invert(wksp1, n); });
    if (Invert2)
        ignoreErrors([&] { this->Rank_Invert(wksp2, n); });

    guardStep(D, [] { return 0.0; });
    for (std::int32_t j = 1; j <= n; ++j) {
        if (!guardStep(D, [&] {
                const double d = checkedSub(wksp1(j), wksp2(j));
                return checkedAdd(D, checkedMul(d, d));
            }) && j > last)
            break;   // past the data every further step fails the same way
    }

    const double en = n;
    const double en3n = en * en * en - en;
    double aved = 0.0, fac = 0.0, vard = 0.0;
    guardStep(aved, [&] { return checkedDiv(en3n, 6.0) - checkedDiv(sf + sg, 12.0); });
    guardStep(fac, [&] { return (1.0 - checkedDiv(sf, en3n)) * (1.0 - checkedDiv(sg, en3n)); });
    guardStep(vard, [&] { return checkedMul((en - 1.0) * en * en * (en + 1.0) * (en + 1.0) / 36.0, fac); });
    guardStep(zd, [&] { return checkedDiv(D - aved, checkedSqrt(vard)); });
    guardStep(ProbD, [&] { return this->Error_Erfcc(std::fabs(zd) / Sqrt2Eight); });
    guardStep(rs, [&] {
        return checkedDiv(1.0 - checkedDiv(6.0, en3n) * (D + (sf + sg) / 12.0), checkedSqrt(fac));
    });
    guardStep(fac, [&] { return (1.0 + rs) * (1.0 - rs); });
    if (fac > 0.0) {
        guardStep(t, [&] { return rs * checkedSqrt(checkedDiv(en - 2.0, fac)); });
        const double df = en - 2.0;
        guardStep(Probrs, [&] {
            return this->STAT_BETAI(0.5 * df, 0.5, checkedDiv(df, checkedAdd(df, checkedMul(t, t))));
        });
    } else {
        Probrs = 0.0;
    }
}

void Sumtrix::Rank_Kendall(const BoundedArray<double>& data1, const BoundedArray<double>& data2,
                           std::int32_t n, double& tau, double& z, double& ProbZ)
{
    // 64-bit pair counts; all remain 0 when the data cannot be read.
    KendallCounts counts;
    ignoreErrors([&] {
        std::vector<double> x, y;
        for (std::int32_t i = 1; i <= n; ++i) {
            x.push_back(data1(i));
            y.push_back(data2(i));
        }
        counts = kendallCounts(x, y);
    });

    guardStep(tau, [&] {
        const double na = static_cast<double>(counts.na);
        const double nb = static_cast<double>(counts.nb);
        return checkedDiv(static_cast<double>(counts.score), checkedSqrt(na * nb));
    });
    // Variance of tau under independence: that of S (Kendall 1970, with the
    // corrections for the tied groups in x and in y) over na nb, as tau is
    // S / Sqr(na nb). Without ties it is (4n + 10)/(9n(n - 1)). It cannot
    // be formed when every pair is tied in x or in y, nor for n < 2; z and
    // ProbZ then keep their values.
    double svar = 0.0;
    guardStep(svar, [&] {
        const double dn = n;
        const TieSums& tx = counts.tiesX;
        const TieSums& ty = counts.tiesY;
        const double nn1 = dn * (dn - 1.0);
        double varS = (nn1 * (2.0 * dn + 5.0) - tx.spread - ty.spread) / 18.0
                      + checkedDiv(tx.pairs * ty.pairs, 2.0 * nn1);
        if (n > 2)
            varS += checkedDiv(tx.triples * ty.triples, 9.0 * nn1 * (dn - 2.0));
        return checkedDiv(varS, static_cast<double>(counts.na) * static_cast<double>(counts.nb));
    });
    guardStep(z, [&] { return checkedDiv(tau, checkedSqrt(svar)); });
    guardStep(ProbZ, [&] { return this->Error_Erfcc(std::fabs(z) / Sqrt2Eight); });
}

double Sumtrix::Error_Erfcc(double x)
{
    // Chebyshev fit of erfc with fractional error below 1.2e-7 everywhere.
    const double zz = std::fabs(x);
    const double t = 1.0 / (1.0 + 0.5 * zz);
    const double ans =
        t * std::exp(-zz * zz - 1.26551223
                     + t * (1.00002368
                            + t * (0.37409196
                                   + t * (0.09678418
                                          + t * (-0.18628806
                                                 + t * (0.27886807
                                                        + t * (-1.13520398
                                                               + t * (1.48851587
                                                                      + t * (-0.82215223
                                                                             + t * 0.17087277)))))))));
    return x >= 0.0 ? ans : 2.0 - ans;
}

} // namespace SumtrixLib
