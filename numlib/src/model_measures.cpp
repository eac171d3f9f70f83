// Model measures: how well predicted values X match observed values Y, the
// resistant coefficient of determination, and the median.
//
// STAT_ModelMeasures and STAT_ResistantR2 pass over every run-time error:
// each statement is a step of its own, and a step whose arithmetic fails
// (division by zero, overflow, a square root of a negative number, an index
// outside an array) assigns nothing, so its target keeps the value it had.
// Where no step can fail, the same steps run at once without their guards
// (fault_watch.hpp).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "SumtrixLib/Sumtrix.hpp"
#include "fault_watch.hpp"
#include "step_paths.hpp"

namespace SumtrixLib {

namespace {

// The upper bound of an array, or `fallback` for one that has no elements.
std::int32_t upperOr(const BoundedArray<double>& a, std::int32_t fallback)
{
    return a.allocated() ? a.ubound() : fallback;
}

// Whether the output variables are distinct and none lies in the arrays:
// then storing one changes nothing another step reads.
bool separateOutputs(std::initializer_list<const double*> outputs,
                     std::initializer_list<const BoundedArray<double>*> arrays)
{
    for (auto i = outputs.begin(); i != outputs.end(); ++i) {
        for (auto j = i + 1; j != outputs.end(); ++j)
            if (*i == *j)
                return false;
        const auto at = reinterpret_cast<std::uintptr_t>(*i);
        for (const BoundedArray<double>* a : arrays) {
            if (a->size() == 0)
                continue;
            const auto begin = reinterpret_cast<std::uintptr_t>(a->data().data());
            if (at >= begin && at < begin + a->size() * sizeof(double))
                return false;
        }
    }
    return true;
}

// The median of `v` (3 elements or more, no NaN) by selection; `v` is
// reordered. The even count's mean is checked as STAT_Median checks it.
double selectMedian(std::vector<double>& v, FaultWatch& f)
{
    const std::size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(mid), v.end());
    const double upper = v[mid];
    if (v.size() % 2 == 1)
        return upper;
    const double lower = *std::max_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(mid));
    return f.div(f.add(lower, upper), 2.0);
}

// STAT_ModelMeasures' steps, unguarded, where x and y hold the first n
// elements. False, with nothing stored, when a step would have failed.
bool modelMeasuresAtOnce(const BoundedArray<double>& x, const BoundedArray<double>& y, std::int32_t size,
                         double MeanX, double MeanY, double& r2, double& mb, double& MAE, double& pMAE,
                         double& MSEP, double& VarMSEP, BoundedArray<double>& MSEPComp, double& MEF, double& MxE,
                         double& CD)
{
    if (size < 1 && !x.allocated())
        return false;
    const std::int32_t n = size >= 1 ? size : x.ubound();
    if (n <= 2 || !covers(x, 1, n) || !covers(y, 1, n) || !covers(MSEPComp, 1, 5)
        || !separateOutputs({&r2, &mb, &MAE, &pMAE, &MSEP, &VarMSEP, &MEF, &MxE, &CD}, {&x, &y, &MSEPComp}))
        return false;

    FaultWatch f;
    double sumDev = 0.0, sumAbs = 0.0, sumRel = 0.0, sumSqDev = 0.0, maxAbs = 0.0;
    double Sxx = 0.0, Syy = 0.0, Sxy = 0.0, Spo = 0.0;
    for (std::int32_t i = 1; i <= n; ++i) {
        const double xi = x(i), yi = y(i);
        sumDev = f.add(sumDev, f.sub(yi, xi));
        sumAbs = f.add(sumAbs, std::fabs(f.sub(yi, xi)));
        if (yi > 0.0)
            sumRel = f.add(sumRel, f.div(std::fabs(f.sub(yi, xi)), std::fabs(yi)));
        sumSqDev = f.add(sumSqDev, f.sq(f.sub(yi, xi)));
        Sxx = f.add(Sxx, f.sq(f.sub(xi, MeanX)));
        Syy = f.add(Syy, f.sq(f.sub(yi, MeanY)));
        Sxy = f.add(Sxy, f.mul(f.sub(xi, MeanX), f.sub(yi, MeanY)));
        Spo = f.add(Spo, f.sq(f.sub(xi, MeanY)));
        const double d = std::fabs(f.sub(xi, yi));
        if (d > maxAbs)
            maxAbs = d;
    }
    const double dn = n;
    const double meanDev = f.div(sumDev, dn);
    const double meanAbs = f.div(sumAbs, dn);
    const double meanRel = f.div(f.mul(sumRel, 100.0), dn);
    const double msep = f.div(sumSqDev, dn);
    const double mef = f.sub(1.0, f.div(f.mul(dn, msep), Syy));
    const double cd = f.div(Syy, Spo);
    const double sx = f.sqrt(f.div(Sxx, dn));
    const double sy = f.sqrt(f.div(Syy, dn));
    double rSquared = r2;   // kept when a standard deviation is 0
    // The decomposition needs r with its sign: with r < 0 its terms add up
    // to MSEP only then. Without a correlation of its own (a standard
    // deviation of 0) r comes from the r2 passed in.
    double r = 0.0;
    if (sx != 0.0 && sy != 0.0) {
        r = f.div(f.div(Sxy, dn), f.mul(sx, sy));
        rSquared = f.mul(r, r);
    } else {
        r = f.sqrt(rSquared);
    }
    // The squared deviations again, as the steps keep them.
    double sumSq = 0.0;
    for (std::int32_t i = 1; i <= n; ++i) {
        const double d = y(i) - x(i);
        sumSq = f.add(sumSq, f.sq(f.sub(d * d, msep)));
    }
    const double varMsep = f.div(sumSq, dn - 1.0);
    const double comp[6] = {0.0,
                            f.sq(f.sub(MeanX, MeanY)),
                            f.sq(f.sub(sx, sy)),
                            f.mul(f.mul(2.0 * sx, sy), 1.0 - r),
                            f.sq(f.sub(sx, f.mul(r, sy))),
                            f.mul(1.0 - rSquared, f.mul(sy, sy))};
    if (!f.clean())
        return false;
    mb = meanDev;
    MAE = meanAbs;
    pMAE = meanRel;
    MSEP = msep;
    MxE = maxAbs;
    MEF = mef;
    CD = cd;
    r2 = rSquared;
    VarMSEP = varMsep;
    for (int k = 1; k <= 5; ++k)
        MSEPComp(k) = comp[k];
    return true;
}

// STAT_ResistantR2's steps, unguarded, where y and Pred hold the first n
// elements: one work array serves both medians.
bool resistantR2AtOnce(std::int32_t n, const BoundedArray<double>& y, double MeanY, const BoundedArray<double>& Pred,
                       double& ResistantR2, double& AdjResistantR2)
{
    if (n < 3 || !covers(y, 1, n) || !covers(Pred, 1, n))
        return false;
    FaultWatch f;
    std::vector<double> work(static_cast<std::size_t>(n));
    for (std::int32_t i = 1; i <= n; ++i)
        work[static_cast<std::size_t>(i - 1)] = std::fabs(f.sub(y(i), Pred(i)));
    if (!f.clean())
        return false;
    const double mr = selectMedian(work, f);
    for (std::int32_t i = 1; i <= n; ++i)
        work[static_cast<std::size_t>(i - 1)] = std::fabs(f.sub(y(i), MeanY));
    if (!f.clean())
        return false;
    const double md = selectMedian(work, f);
    const double q = f.div(mr, md);
    const double rr2 = f.sub(1.0, f.mul(q, q));
    const double num = f.mul(1.0 - rr2, static_cast<double>(n) - 1.0);
    const double adjusted = f.sub(1.0, f.div(num, static_cast<double>(n) - 3.0));
    if (!f.clean())
        return false;
    ResistantR2 = rr2;
    AdjResistantR2 = adjusted;
    return true;
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
    if (!modelMeasuresAtOnce(x, y, size, MeanX, MeanY, r2, mb, MAE, pMAE, MSEP, VarMSEP, MSEPComp, MEF, MxE, CD))
        modelMeasuresStepByStep(*this, x, y, size, MeanX, MeanY, r2, mb, MAE, pMAE, MSEP, VarMSEP, MSEPComp, MEF,
                                MxE, CD);
    return {};
}

void modelMeasuresStepByStep(Sumtrix&, const BoundedArray<double>& x, const BoundedArray<double>& y,
                             std::int32_t size, double MeanX, double MeanY, double& r2, double& mb, double& MAE,
                             double& pMAE, double& MSEP, double& VarMSEP, BoundedArray<double>& MSEPComp,
                             double& MEF, double& MxE, double& CD)
{
    std::int32_t n = 0;
    guardStep(n, [&] { return size >= 1 ? size : x.ubound(); });
    if (n <= 2)
        return;

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
    // r with its sign for the decomposition (see modelMeasuresAtOnce).
    bool signedR = false;
    double r = 0.0;
    ignoreErrors([&] {
        if (sx != 0.0 && sy != 0.0) {
            const double rr = checkedDiv(checkedDiv(Sxy, dn), checkedMul(sx, sy));
            r2 = checkedMul(rr, rr);
            r = rr;
            signedR = true;
        }
    });
    const auto correlation = [&] { return signedR ? r : checkedSqrt(r2); };

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

    // The five terms of the decomposition of MSEP. Where r is not the
    // data's own, r = sqrt(r2) is taken inside each term, so a negative r2
    // skips the two terms that use it.
    ignoreErrors([&] {
        const double d = checkedSub(MeanX, MeanY);
        MSEPComp(1) = checkedMul(d, d);
    });
    ignoreErrors([&] {
        const double d = checkedSub(sx, sy);
        MSEPComp(2) = checkedMul(d, d);
    });
    ignoreErrors([&] {
        MSEPComp(3) = checkedMul(checkedMul(2.0 * sx, sy), 1.0 - correlation());
    });
    ignoreErrors([&] {
        const double d = checkedSub(sx, checkedMul(correlation(), sy));
        MSEPComp(4) = checkedMul(d, d);
    });
    ignoreErrors([&] { MSEPComp(5) = checkedMul(1.0 - r2, checkedMul(sy, sy)); });
}

void Sumtrix::STAT_ResistantR2(std::int32_t n, const BoundedArray<double>& y, double MeanY,
                               const BoundedArray<double>& Pred, double& ResistantR2,
                               double& AdjResistantR2)
{
    if (!resistantR2AtOnce(n, y, MeanY, Pred, ResistantR2, AdjResistantR2))
        resistantR2StepByStep(*this, n, y, MeanY, Pred, ResistantR2, AdjResistantR2);
}

void resistantR2StepByStep(Sumtrix& lib, std::int32_t n, const BoundedArray<double>& y, double MeanY,
                           const BoundedArray<double>& Pred, double& ResistantR2, double& AdjResistantR2)
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
    guardStep(mr, [&] { return medianOfFirst(lib, residue, n); });
    guardStep(md, [&] { return medianOfFirst(lib, deviation, n); });
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

    // The middle of a copy by selection (std::nth_element); the caller's
    // array is left as it is. The value is the one a sorted copy holds
    // there: equal numbers are the same number, except 0 and -0, which a
    // stable sort keeps in the order of the array; so a zero in the middle
    // is taken from the array in that order. A NaN has no place in an
    // order: with one, the copy is sorted as it always was.
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = first; i <= last; ++i) {
        const double v = NumericArray(i);
        if (std::isnan(v))
            return medianBySorting(NumericArray, first, last);
        values.push_back(v);
    }
    const auto stableValue = [&](std::size_t position, double value) {
        if (value != 0.0)
            return value;
        std::size_t below = 0;
        for (std::int32_t i = first; i <= last; ++i)
            below += NumericArray(i) < 0.0 ? 1 : 0;
        std::size_t zero = below;
        for (std::int32_t i = first; i <= last; ++i) {
            if (NumericArray(i) != 0.0)
                continue;
            if (zero == position)
                return NumericArray(i);
            ++zero;
        }
        return value;
    };
    const std::size_t mid = static_cast<std::size_t>(count / 2);
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid), values.end());
    const double upper = stableValue(mid, values[mid]);
    if (count % 2 == 1)
        return upper;
    const double lower =
        stableValue(mid - 1, *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid)));
    return checkedDiv(checkedAdd(lower, upper), 2.0);
}

double medianBySorting(const BoundedArray<double>& a, std::int32_t first, std::int32_t last)
{
    // A stable O(n log n) sort gives the same order of values as an
    // exchange sort.
    std::vector<double> sorted;
    sorted.reserve(static_cast<std::size_t>(last - first + 1));
    for (std::int32_t i = first; i <= last; ++i)
        sorted.push_back(a(i));
    std::stable_sort(sorted.begin(), sorted.end());
    const std::size_t count = sorted.size();
    const std::size_t mid = count / 2;
    if (count % 2 == 1)
        return sorted[mid];
    return checkedDiv(checkedAdd(sorted[mid - 1], sorted[mid]), 2.0);
}

} // namespace SumtrixLib
