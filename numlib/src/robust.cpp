// Robust scale estimators Qn and Sn of Rousseeuw and Croux (1993), by the
// O(n log n) algorithms of Croux and Rousseeuw (1992, "Time-efficient
// algorithms for two highly robust estimators of scale"), with their helpers:
// a sorted copy, the k-th order statistic and the weighted high median.
//
// Qn's bookkeeping (the column ranges of its sorted matrix of differences
// and their sums) counts in 64 bits: n^2 and n(n + 1)/2 pass 2^31 above
// 46,340 values.
#include <cmath>
#include <cstdint>
#include <utility>

#include "SumtrixLib/Sumtrix.hpp"
#include "data_checks.hpp"

namespace SumtrixLib {

namespace {

// Consistency factors at the normal distribution.
constexpr double QnFactor = 2.2219;
constexpr double SnFactor = 1.1926;

// Small-sample factor of Qn: tabulated below 9 values, n/(n + 1.4) for odd
// and n/(n + 3.8) for even n from there on; 0 below two values.
double qnSmallSample(std::int32_t n)
{
    static constexpr double table[] = {0.399, 0.994, 0.512, 0.844, 0.611, 0.857, 0.669};
    if (n < 2)
        return 0.0;
    if (n < 9)
        return table[n - 2];
    const double dn = n;
    return n % 2 == 1 ? dn / (dn + 1.4) : dn / (dn + 3.8);
}

// Small-sample factor of Sn: tabulated up to 9 values, n/(n - 0.9) for odd
// n above that and 1 for even n; 1 below two values.
double snSmallSample(std::int32_t n)
{
    static constexpr double table[] = {0.743, 1.851, 0.954, 1.351, 0.993, 1.198, 1.005, 1.131};
    if (n < 2)
        return 1.0;
    if (n <= 9)
        return table[n - 2];
    return n % 2 == 1 ? n / (n - 0.9) : 1.0;
}

// The sorted copy y(1..n) of x(1..n) that both estimators work on; the
// largest difference must be a finite number.
BoundedArray<double> sortedFiniteCopy(Sumtrix& s, const BoundedArray<double>& x, std::int32_t n)
{
    requireCount(n);
    requireFiniteValues(x, 1, n);
    BoundedArray<double> y(0, n);
    s.Robust_sort(x, n, y);
    if (n >= 1)
        checkedSub(y(n), y(1));
    return y;
}

// One pass of Hoare's partition of w(l..r) about the value pivot, which
// stands in the range: scanning from both ends, out-of-place pairs are
// exchanged until the scans cross, leaving w(l..j) <= pivot <= w(i..r).
void partition(BoundedArray<double>& w, std::int32_t l, std::int32_t r, double pivot, std::int32_t& i,
               std::int32_t& j)
{
    i = l;
    j = r;
    while (i <= j) {
        while (w(i) < pivot)
            ++i;
        while (pivot < w(j))
            --j;
        if (i <= j) {
            std::swap(w(i), w(j));
            ++i;
            --j;
        }
    }
}

// The high median of the distances from one point, by Croux and
// Rousseeuw's binary search over its two sorted runs of distances: medA(k,
// Amin) the k-th candidate of the shorter run A (nA values), medB(k) the
// k-th distance of the longer run B (nB values).
template <class MedA, class MedB>
double snInnerMedian(Sumtrix& s, std::int32_t nA, std::int32_t nB, MedA&& medA, MedB&& medB)
{
    const std::int32_t diff = nB - nA;
    std::int32_t leftA = 1, leftB = 1, rightA = nB;
    const std::int32_t Amin = diff / 2 + 1;
    const std::int32_t Amax = diff / 2 + nA;
    while (leftA < rightA) {
        const std::int32_t length = rightA - leftA + 1;
        const std::int32_t even = 1 - length % 2;
        const std::int32_t half = (length - 1) / 2;
        const std::int32_t tryA = leftA + half;
        const std::int32_t tryB = leftB + half;
        if (tryA < Amin) {
            leftA = tryA + even;
        } else if (tryA > Amax) {
            rightA = tryA;
            leftB = tryB + even;
        } else if (medA(tryA, Amin) >= medB(tryB)) {
            rightA = tryA;
            leftB = tryB + even;
        } else {
            leftA = tryA + even;
        }
    }
    if (leftA > Amax)
        return medB(leftB);
    return s.Min(medA(leftA, Amin), medB(leftB));
}

} // namespace

void Sumtrix::Robust_sort(const BoundedArray<double>& a, std::int32_t n, BoundedArray<double>& b)
{
    if (n < 1)
        raiseError(ErrSubscript);
    requireFiniteValues(a, 1, n);
    for (std::int32_t i = 1; i <= n; ++i)
        b(i) = a(i);
    // Pending ranges on a stack; the larger part of each partition is
    // pushed and the smaller one processed next, so the stack stays short.
    BoundedArray<std::int32_t> lo(0, n), hi(0, n);
    std::int32_t top = 1;
    lo(1) = 1;
    hi(1) = n;
    while (top > 0) {
        std::int32_t l = lo(top);
        std::int32_t r = hi(top);
        --top;
        while (l < r) {
            std::int32_t i = 0, j = 0;
            partition(b, l, r, b(toInt32((static_cast<double>(l) + r) / 2.0)), i, j);
            if (j - l < r - i) {
                if (i < r) {
                    ++top;
                    lo(top) = i;
                    hi(top) = r;
                }
                r = j;
            } else {
                if (l < j) {
                    ++top;
                    lo(top) = l;
                    hi(top) = j;
                }
                l = i;
            }
        }
    }
}

double Sumtrix::Robust_Pull(const BoundedArray<double>& a, std::int32_t n, std::int32_t k)
{
    // Hoare's FIND on a copy: narrows l..lr around position k until the
    // k-th smallest stands there.
    requireCount(n);
    requireFiniteValues(a, 1, n);
    // Of no values, element 0 of the work copy, 0 (Qn of one value asks so).
    if (n > 0 && (k < 1 || k > n))
        raiseError(ErrSubscript);
    BoundedArray<double> w(0, n);
    for (std::int32_t i = 1; i <= n; ++i)
        w(i) = a(i);
    std::int32_t l = 1;
    std::int32_t lr = n;
    while (l < lr) {
        std::int32_t i = 0, j = 0;
        partition(w, l, lr, w(k), i, j);
        if (j < k)
            l = i;
        if (k < i)
            lr = j;
    }
    return w(k);
}

double Sumtrix::Robust_Whimed(BoundedArray<double>& a, BoundedArray<std::int32_t>& iw, std::int32_t n)
{
    requireCount(n);
    std::int32_t nn = n;
    std::int64_t wtotal = 0;
    for (std::int32_t i = 1; i <= nn; ++i)
        wtotal += iw(i);
    std::int64_t wrest = 0;
    for (;;) {
        const double trial = this->Robust_Pull(a, nn, nn / 2 + 1);
        std::int64_t wleft = 0, wmid = 0, wright = 0;
        for (std::int32_t i = 1; i <= nn; ++i) {
            if (a(i) < trial)
                wleft += iw(i);
            else if (a(i) > trial)
                wright += iw(i);
            else
                wmid += iw(i);
        }
        // The weighted high median lies below the trial, at it or above it;
        // the candidates on its side move to the front, in their order.
        bool below;
        if (2 * wrest + 2 * wleft > wtotal) {
            below = true;
        } else if (2 * wrest + 2 * wleft + 2 * wmid > wtotal) {
            return trial;
        } else {
            below = false;
            wrest += wleft + wmid;
        }
        std::int32_t kcand = 0;
        for (std::int32_t i = 1; i <= nn; ++i) {
            if (below ? a(i) < trial : a(i) > trial) {
                ++kcand;
                a(kcand) = a(i);
                iw(kcand) = iw(i);
            }
        }
        nn = kcand;
    }
}

double Sumtrix::Robust_Qn(const BoundedArray<double>& x, std::int32_t n)
{
    const BoundedArray<double> y = sortedFiniteCopy(*this, x, n);
    const std::int64_t n64 = n;
    const std::int64_t h = n / 2 + 1;
    const std::int64_t k = h * (h - 1) / 2;

    // Row i of the matrix y(i) - y(n - j + 1), j = 1..n, ascends with j;
    // the entries still in play in row i are columns left(i)..right(i),
    // and the rank of the sought entry among all of them is knew - nL.
    BoundedArray<std::int32_t> left(0, n), right(0, n), P(0, n), Q(0, n), weight(0, n);
    BoundedArray<double> work(0, n);
    for (std::int32_t i = 1; i <= n; ++i) {
        left(i) = n - i + 2;
        right(i) = n;
    }
    const std::int64_t jhelp0 = n64 * (n64 + 1) / 2;
    const std::int64_t knew = k + jhelp0;
    std::int64_t nL = jhelp0;
    std::int64_t nR = n64 * n64;
    bool found = false;
    double result = 0.0;

    while (nR - nL > n64 && !found) {
        // The weighted median of the row medians is the trial value.
        std::int32_t j = 1;
        for (std::int32_t i = 2; i <= n; ++i) {
            if (left(i) <= right(i)) {
                weight(j) = right(i) - left(i) + 1;
                const std::int32_t jhelp = left(i) + weight(j) / 2;
                work(j) = y(i) - y(n - jhelp + 1);
                ++j;
            }
        }
        const double trial = this->Robust_Whimed(work, weight, j - 1);

        // P(i): the number of entries of row i below the trial; Q(i) - 1:
        // the number at or below it.
        j = 0;
        for (std::int32_t i = n; i >= 1; --i) {
            while (j < n && y(i) - y(n - j) < trial)
                ++j;
            P(i) = j;
        }
        j = n + 1;
        for (std::int32_t i = 1; i <= n; ++i) {
            while (y(i) - y(n - j + 2) > trial)
                --j;
            Q(i) = j;
        }
        std::int64_t sumP = 0, sumQ = 0;
        for (std::int32_t i = 1; i <= n; ++i) {
            sumP += P(i);
            sumQ += Q(i) - 1;
        }
        if (knew <= sumP) {
            for (std::int32_t i = 1; i <= n; ++i)
                right(i) = P(i);
            nR = sumP;
        } else if (knew > sumQ) {
            for (std::int32_t i = 1; i <= n; ++i)
                left(i) = Q(i);
            nL = sumQ;
        } else {
            result = trial;
            found = true;
        }
    }
    if (!found) {
        // At most n entries remain: select among them directly.
        std::int32_t j = 1;
        for (std::int32_t i = 2; i <= n; ++i) {
            for (std::int32_t jj = left(i); jj <= right(i); ++jj) {
                work(j) = y(i) - y(n - jj + 1);
                ++j;
            }
        }
        result = this->Robust_Pull(work, j - 1, static_cast<std::int32_t>(knew - nL));
    }
    return qnSmallSample(n) * QnFactor * result;
}

double Sumtrix::Robust_Sn(const BoundedArray<double>& x, std::int32_t n)
{
    const BoundedArray<double> y = sortedFiniteCopy(*this, x, n);
    // a2(i): the high median of the distances from y(i), found by a binary
    // search over the two sorted halves below and above i: A, the nA
    // distances on the shorter side, and B, the nB on the longer one.
    BoundedArray<double> a2(0, n);
    a2(1) = y(n / 2 + 1) - y(1);
    const std::int32_t mid = (n + 1) / 2;
    for (std::int32_t i = 2; i <= mid; ++i) {
        // A below i (distances y(i) - y(j)), B above it.
        a2(i) = snInnerMedian(
            *this, i - 1, n - i, [&](std::int32_t tryA, std::int32_t Amin) { return y(i) - y(i - tryA + Amin - 1); },
            [&](std::int32_t tryB) { return y(tryB + i) - y(i); });
    }
    for (std::int32_t i = mid + 1; i <= n - 1; ++i) {
        // A above i, B below it.
        a2(i) = snInnerMedian(
            *this, n - i, i - 1, [&](std::int32_t tryA, std::int32_t Amin) { return y(i + tryA - Amin + 1) - y(i); },
            [&](std::int32_t tryB) { return y(i) - y(i - tryB); });
    }
    a2(n) = y(n) - y(mid);
    return snSmallSample(n) * SnFactor * this->Robust_Pull(a2, n, mid);
}

} // namespace SumtrixLib
