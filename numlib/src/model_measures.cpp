// Model measures: how well predicted values X match observed values Y, the
// resistant coefficient of determination, and the median.
//
// STAT_ModelMeasures and STAT_ResistantR2 pass over every run-time error:
// each statement is a step of its own, and a step whose arithmetic fails
// (division by zero, overflow, a square root of a negative number, an index
// outside an array) assigns nothing, so its target keeps the value it had.
#include <algorithm>
#include <cmath>
#include <vector>

#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib {

namespace {

// The upper bound of an array, or `fallback` for one that has no elements.
std::int32_t upperOr(const BoundedArray<double>& a, std::int32_t fallback)
{
    return a.allocated() ? a.ubound() : fallback;
}

// STAT_Median of elements 1..n of a work array of values >= 0 that holds
// only its first elements, the others being 0: the zeros sort first.
double medianOfFirst(Sumtrix& s, const BoundedArray<double>& held, std::int32_t n)
{
    const std::int32_t stored = held.ubound();
    if (stored >= n)
        return s.STAT_Median(held, false);
    const std::int64_t count = n;
    if (count <= 2)
        return 0.0;
    std::vector<double> sorted(held.data().begin() + 1, held.data().end());
    std::stable_sort(sorted.begin(), sorted.end());
    const std::int64_t zeros = count - static_cast<std::int64_t>(sorted.size());
    const auto at = [&](std::int64_t k) {
        return k < zeros ? 0.0 : sorted[static_cast<std::size_t>(k - zeros)];
    };
    const std::int64_t mid = count / 2;
    if (count % 2 == 1)
        return at(mid);
    return checkedDiv(checkedAdd(at(mid - 1), at(mid)), 2.0);
}

} // namespace

Variant Sumtrix::STAT_ModelMeasures(const BoundedArray<double>& x, const BoundedArray<double>& y,
                                    std::int32_t size, double MeanX, double MeanY, double& r2,
                                    double& mb, double& MAE, double& pMAE, double& MSEP,
                                    double& VarMSEP, BoundedArray<double>& MSEPComp, double& MEF,
                                    double& MxE, double& CD)
{
    std::int32_t n = 0;
    guardStep(n, [&] { return size >= 1 ? size : x.ubound(); });
    if (n <= 2)
        return {};

    mb = 0.0;
    MAE = 0.0;
    pMAE = 0.0;
    MSEP = 0.0;
    MxE = 0.0;

    // Past the end of both arrays every statement of the pass fails, so the
    // pass can stop there; the squared deviations of those pairs stay 0.
    const std::int32_t last = std::min(n, std::max(upperOr(x, 0), upperOr(y, 0)));
    std::vector<double> e(static_cast<std::size_t>(std::max(last, 0)) + 1, 0.0);
    double Sxx = 0.0, Syy = 0.0, Sxy = 0.0, Spo = 0.0;
    for (std::int32_t i = 1; i <= last; ++i) {
        guardStep(mb, [&] { return checkedAdd(mb, checkedSub(y(i), x(i))); });
        guardStep(MAE, [&] { return checkedAdd(MAE, std::fabs(checkedSub(y(i), x(i)))); });
        ignoreErrors([&] {
            if (y(i) > 0.0)
                pMAE = checkedAdd(pMAE, checkedDiv(std::fabs(checkedSub(y(i), x(i))), std::fabs(y(i))));
        });
        guardStep(e[static_cast<std::size_t>(i)], [&] {
            const double d = checkedSub(y(i), x(i));
            return checkedMul(d, d);
        });
        guardStep(MSEP, [&] { return checkedAdd(MSEP, e[static_cast<std::size_t>(i)]); });
        guardStep(Sxx, [&] {
            const double d = checkedSub(x(i), MeanX);
            return checkedAdd(Sxx, checkedMul(d, d));
        });
        guardStep(Syy, [&] {
            const double d = checkedSub(y(i), MeanY);
            return checkedAdd(Syy, checkedMul(d, d));
        });
        guardStep(Sxy, [&] {
            return checkedAdd(Sxy, checkedMul(checkedSub(x(i), MeanX), checkedSub(y(i), MeanY)));
        });
        guardStep(Spo, [&] {
            const double d = checkedSub(x(i), MeanY);
            return checkedAdd(Spo, checkedMul(d, d));
        });
        ignoreErrors([&] {
            const double d = std::fabs(checkedSub(x(i), y(i)));
            if (d > MxE)
                MxE = d;
        });
    }

    const double dn = n;
    guardStep(mb, [&] { return checkedDiv(mb, dn); });
    guardStep(MAE, [&] { return checkedDiv(MAE, dn); });
    guardStep(pMAE, [&] { return checkedDiv(checkedMul(pMAE, 100.0), dn); });
    guardStep(MSEP, [&] { return checkedDiv(MSEP, dn); });

    guardStep(MEF, [&] { return checkedSub(1.0, checkedDiv(checkedMul(dn, MSEP), Syy)); });
    guardStep(CD, [&] { return checkedDiv(Syy, Spo); });

    // Population standard deviations about the means the caller supplied.
    double sx = 0.0, sy = 0.0;
    guardStep(sx, [&] { return checkedSqrt(checkedDiv(Sxx, dn)); });
    guardStep(sy, [&] { return checkedSqrt(checkedDiv(Syy, dn)); });
    ignoreErrors([&] {
        if (sx != 0.0 && sy != 0.0) {
            const double r = checkedDiv(checkedDiv(Sxy, dn), checkedMul(sx, sy));
            r2 = checkedMul(r, r);
        }
    });

    // Variance of the squared deviations; pairs past both arrays count
    // with a squared deviation of 0, as their work-array elements hold.
    double sumSq = 0.0;
    for (std::int32_t i = 1; i <= last; ++i) {
        guardStep(sumSq, [&] {
            const double d = checkedSub(e[static_cast<std::size_t>(i)], MSEP);
            return checkedAdd(sumSq, checkedMul(d, d));
        });
    }
    if (n > last)
        guardStep(sumSq, [&] { return checkedAdd(sumSq, checkedMul(n - last, checkedMul(MSEP, MSEP))); });
    guardStep(VarMSEP, [&] { return checkedDiv(sumSq, dn - 1.0); });

    // The five terms of the decomposition of MSEP. r = sqrt(r2) is taken
    // inside each term, so a negative r2 skips the two terms that use it.
    ignoreErrors([&] {
        const double d = checkedSub(MeanX, MeanY);
        MSEPComp(1) = checkedMul(d, d);
    });
    ignoreErrors([&] {
        const double d = checkedSub(sx, sy);
        MSEPComp(2) = checkedMul(d, d);
    });
    ignoreErrors([&] {
        MSEPComp(3) = checkedMul(checkedMul(2.0 * sx, sy), 1.0 - checkedSqrt(r2));
    });
    ignoreErrors([&] {
        const double d = checkedSub(sx, checkedMul(checkedSqrt(r2), sy));
        MSEPComp(4) = checkedMul(d, d);
    });
    ignoreErrors([&] { MSEPComp(5) = checkedMul(1.0 - r2, checkedMul(sy, sy)); });
    return {};
}

void Sumtrix::STAT_ResistantR2(std::int32_t n, const BoundedArray<double>& y, double MeanY,
                               const BoundedArray<double>& Pred, double& ResistantR2,
                               double& AdjResistantR2)
{
    // Every statement reads y(i): past its end nothing is assigned, and the
    // work arrays' elements there stay 0. They are held only up to y's end;
    // the medians count the zeros beyond it up to n.
    const std::int32_t last = std::min(n, upperOr(y, 0));
    // Work arrays 0..n; element 0 stays unused.
    BoundedArray<double> residue;
    BoundedArray<double> deviation;
    ignoreErrors([&] {
        residue.redim(0, last);
        deviation.redim(0, last);
    });
    for (std::int32_t i = 1; i <= last; ++i) {
        ignoreErrors([&] { residue(i) = std::fabs(checkedSub(y(i), Pred(i))); });
        ignoreErrors([&] { deviation(i) = std::fabs(checkedSub(y(i), MeanY)); });
    }

    double mr = 0.0, md = 0.0;
    guardStep(mr, [&] { return medianOfFirst(*this, residue, n); });
    guardStep(md, [&] { return medianOfFirst(*this, deviation, n); });
    guardStep(ResistantR2, [&] {
        const double q = checkedDiv(mr, md);
        return checkedSub(1.0, checkedMul(q, q));
    });
    guardStep(AdjResistantR2, [&] {
        const double num = checkedMul(1.0 - ResistantR2, static_cast<double>(n) - 1.0);
        return checkedSub(1.0, checkedDiv(num, static_cast<double>(n) - 3.0));
    });
}

double Sumtrix::STAT_Median(const BoundedArray<double>& NumericArray, bool Base0)
{
    const std::int32_t first = Base0 ? 0 : 1;
    const std::int32_t last = NumericArray.ubound();
    const std::int64_t count = static_cast<std::int64_t>(last) - first + 1;
    if (count <= 2)
        return 0.0;

    // A sorted copy; the caller's array is left as it is. A stable
    // O(n log n) sort gives the same order of values as an exchange sort.
    std::vector<double> sorted;
    sorted.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = first; i <= last; ++i)
        sorted.push_back(NumericArray(i));
    std::stable_sort(sorted.begin(), sorted.end());

    const std::size_t mid = static_cast<std::size_t>(count / 2);
    if (count % 2 == 1)
        return sorted[mid];
    return checkedDiv(checkedAdd(sorted[mid - 1], sorted[mid]), 2.0);
}

} // namespace SumtrixLib
