// Sorting: the eight classic in-place sorts (numbers and texts) and the
// four sorts with companion arrays that the statistics use.
#include <array>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <limits>
#include <string>
#include <vector>

#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib {

namespace {

// ---- comparisons ------------------------------------------------------------

// Reads the code point starting at s[pos] and advances pos. Bytes that do not
// start a well-formed UTF-8 sequence count as one code point each, so every
// text still has a total order.
char32_t nextCodePoint(const std::string& s, std::size_t& pos)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(pos);
    std::size_t len = 1;
    char32_t cp = c;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07u;
    }
    if (len > 1) {
        if (pos + len > s.size()) {
            len = 1;
            cp = c;
        } else {
            for (std::size_t k = 1; k < len; ++k) {
                const unsigned char t = byte(pos + k);
                if ((t & 0xC0u) != 0x80u) {
                    len = 1;
                    cp = c;
                    break;
                }
                cp = (cp << 6) | (t & 0x3Fu);
            }
        }
    }
    pos += len;
    return cp;
}

// Ordinal text comparison in UTF-16 code-unit order. Code points order as
// their UTF-16 units do, except that characters above U+FFFF (surrogate
// pairs, units D800-DFFF) come before U+E000-U+FFFF; a proper prefix sorts
// first. No case folding, no locale.
int compareOrdinal(const std::string& a, const std::string& b)
{
    const auto key = [](char32_t cp) -> std::uint32_t {
        return (cp >= 0xE000 && cp <= 0xFFFF) ? cp + 0x110000u : cp;
    };
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i] == b[j] && static_cast<unsigned char>(a[i]) < 0x80) {
            ++i;
            ++j;
            continue;
        }
        const std::uint32_t ka = key(nextCodePoint(a, i));
        const std::uint32_t kb = key(nextCodePoint(b, j));
        if (ka != kb)
            return ka < kb ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

bool lessThan(double x, double y) { return x < y; }
bool lessThan(const std::string& x, const std::string& y) { return compareOrdinal(x, y) < 0; }

// ---- frame of the classic sorts ----------------------------------------------

// The work count: 32 bits, and a count past the largest Long fails with the
// overflow error. It counts even when the caller omitted it.
class WorkCount {
public:
    explicit WorkCount(InOut<std::int32_t>& out) : m_out(out) { m_out.get() = 0; }
    void add()
    {
        std::int32_t& v = m_out.get();
        if (v == std::numeric_limits<std::int32_t>::max())
            raiseError(ErrOverflow);
        ++v;
    }

private:
    InOut<std::int32_t>& m_out;
};

// Whole seconds from a start read at one-second resolution.
class Stopwatch {
public:
    Stopwatch() : m_start(std::time(nullptr)) {}
    std::int32_t seconds() const { return toInt32(std::difftime(std::time(nullptr), m_start)); }

private:
    std::time_t m_start;
};

// The frame of every timed sort: the work count starts at 0, the sort runs
// with it, and the whole seconds it took go to TimeElapsed.
template <class Sort>
void timedSort(InOut<std::int32_t>& Interaction, InOut<std::int32_t>& TimeElapsed, Sort&& sort)
{
    const Stopwatch watch;
    WorkCount count(Interaction);
    sort(count);
    TimeElapsed = watch.seconds();
}

template <class T>
void bubbleSort(BoundedArray<T>& M, WorkCount& count)
{
    const std::int32_t L = M.lbound();
    const std::int32_t U = M.ubound();
    // No early exit: every pass runs, whatever it finds.
    for (std::int32_t i = U; i >= L; --i) {
        for (std::int32_t j = L + 1; j <= i; ++j) {
            if (lessThan(M(j), M(j - 1))) {
                std::swap(M(j - 1), M(j));
                count.add();
            }
        }
    }
}

template <class T>
void selectionSort(BoundedArray<T>& M, WorkCount& count)
{
    const std::int32_t L = M.lbound();
    const std::int32_t U = M.ubound();
    for (std::int32_t i = L; i <= U - 1; ++i) {
        std::int32_t m = i;
        for (std::int32_t j = i + 1; j <= U; ++j) {
            if (lessThan(M(j), M(m))) {
                m = j;
                count.add();
            }
        }
        // Exchanged also when m = i.
        std::swap(M(m), M(i));
    }
}

template <class T>
void shellSort(BoundedArray<T>& M, WorkCount& count)
{
    const std::int32_t L = M.lbound();
    const std::int32_t U = M.ubound();
    const std::int64_t N = static_cast<std::int64_t>(U) - L + 1;
    // Knuth's gaps 1, 4, 13, 40, ... below the number of elements.
    std::int64_t h = 1;
    while (3 * h + 1 < N)
        h = 3 * h + 1;
    for (; h >= 1; h /= 3) {
        const auto gap = static_cast<std::int32_t>(h);
        for (std::int64_t i = static_cast<std::int64_t>(L) + gap; i <= U; ++i) {
            auto j = static_cast<std::int32_t>(i);
            T v = M(j);
            while (static_cast<std::int64_t>(j) - gap >= L && lessThan(v, M(j - gap))) {
                M(j) = M(j - gap);
                count.add();
                j -= gap;
            }
            M(j) = std::move(v);
        }
    }
}

// (x + y) / 2 rounded to the nearest integer, halves to the even neighbour.
std::int32_t midpointHalfEven(std::int32_t x, std::int32_t y)
{
    return toInt32((static_cast<double>(x) + static_cast<double>(y)) / 2.0);
}

// One partition pass of the quick sort on l..r (Hoare's scheme, middle
// element as pivot); leaves i and j where the two scans crossed.
template <class T>
void quickPartition(BoundedArray<T>& M, std::int32_t l, std::int32_t r, std::int32_t& i,
                    std::int32_t& j, WorkCount* count)
{
    // The pivot is read even when l >= r.
    const T p = M(midpointHalfEven(l, r));
    i = l;
    j = r;
    while (i <= j) {
        while (lessThan(M(i), p) && i < r)
            ++i;
        while (lessThan(p, M(j)) && j > l)
            --j;
        if (i <= j) {
            std::swap(M(i), M(j));
            ++i;
            --j;
            if (count)
                count->add();
        }
    }
}

// The quick sort of l..r. The two parts left by a partition are disjoint, so
// the order in which they are sorted does not change the result: the smaller
// part is sorted by a call of the method (whose count is not reported) and the
// larger one by the next turn of the loop, which keeps the depth of calls
// below log2 of the length however the data lie. Only the first partition
// pass is counted, as the nested calls report nothing.
template <class T, class Recurse>
void quickSort(BoundedArray<T>& M, std::int32_t l, std::int32_t r, WorkCount& count,
               Recurse&& recurse)
{
    bool first = true;
    for (;;) {
        std::int32_t i = 0;
        std::int32_t j = 0;
        quickPartition(M, l, r, i, j, first ? &count : nullptr);
        first = false;
        const bool left = l < j;
        const bool right = i < r;
        if (left && right) {
            if (static_cast<std::int64_t>(j) - l <= static_cast<std::int64_t>(r) - i) {
                recurse(l, j);
                l = i;
            } else {
                recurse(i, r);
                r = j;
            }
        } else if (left) {
            r = j;
        } else if (right) {
            l = i;
        } else {
            return;
        }
    }
}

// ---- the sorts with companion arrays ---------------------------------------------

// Quicksort of arr(1..n) with median-of-three pivots, straight insertion for
// stretches of up to 7 elements and an explicit stack that always holds the
// larger part (the non-recursive quicksort of Numerical Recipes, M = 7).
// Every move of a key is made at the same indexes in each companion array.
template <std::size_t K>
void sortWithCompanions(std::int32_t n, BoundedArray<double>& arr,
                        const std::array<BoundedArray<double>*, K>& companions)
{
    constexpr std::int32_t M = 7;
    if (n < 0)
        raiseError(ErrSubscript); // the stack 0..n cannot be dimensioned
    // From two elements on every index 1..n is read: each array must have
    // them all before the stack is dimensioned or anything moves.
    if (n >= 2) {
        arr.requireRange(1, n);
        for (const BoundedArray<double>* c : companions)
            c->requireRange(1, n);
    }
    const auto exchange = [&](std::int32_t x, std::int32_t y) {
        std::swap(arr(x), arr(y));
        for (BoundedArray<double>* c : companions)
            std::swap((*c)(x), (*c)(y));
    };
    const auto move = [&](std::int32_t to, std::int32_t from) {
        arr(to) = arr(from);
        for (BoundedArray<double>* c : companions)
            (*c)(to) = (*c)(from);
    };

    std::vector<std::int32_t> stack(static_cast<std::size_t>(n) + 1, 0);
    std::int32_t s = 0;
    std::int32_t l = 1;
    std::int32_t ir = n;
    std::array<double, K> carried{};
    for (;;) {
        if (ir - l < M) {
            for (std::int32_t j = l + 1; j <= ir; ++j) {
                const double a = arr(j);
                for (std::size_t c = 0; c < K; ++c)
                    carried[c] = (*companions[c])(j);
                std::int32_t i = j - 1;
                while (i >= l && arr(i) > a) {
                    move(i + 1, i);
                    --i;
                }
                arr(i + 1) = a;
                for (std::size_t c = 0; c < K; ++c)
                    (*companions[c])(i + 1) = carried[c];
            }
            if (s == 0)
                return;
            ir = stack[static_cast<std::size_t>(s)];
            l = stack[static_cast<std::size_t>(s - 1)];
            s -= 2;
            continue;
        }

        const std::int32_t k = midpointHalfEven(l, ir);
        exchange(k, l + 1);
        // Median of three: afterwards arr(l) <= arr(l + 1) <= arr(ir), and
        // the two outer elements bound both scans.
        if (arr(l) > arr(ir))
            exchange(l, ir);
        if (arr(l + 1) > arr(ir))
            exchange(l + 1, ir);
        if (arr(l) > arr(l + 1))
            exchange(l, l + 1);
        std::int32_t i = l + 1;
        std::int32_t j = ir;
        const double a = arr(l + 1);
        for (std::size_t c = 0; c < K; ++c)
            carried[c] = (*companions[c])(l + 1);
        for (;;) {
            do
                ++i;
            while (arr(i) < a);
            do
                --j;
            while (arr(j) > a);
            if (j < i)
                break;
            exchange(i, j);
        }
        move(l + 1, j);
        arr(j) = a;
        for (std::size_t c = 0; c < K; ++c)
            (*companions[c])(j) = carried[c];

        s += 2;
        if (s > n) {
            showMessage("Sort_Sort2 Proc: NSTACK has to be increased", MessageIcon::None);
            return;
        }
        if (ir - i + 1 >= j - l) {
            stack[static_cast<std::size_t>(s)] = ir;
            stack[static_cast<std::size_t>(s - 1)] = i;
            ir = j - 1;
        } else {
            stack[static_cast<std::size_t>(s)] = j - 1;
            stack[static_cast<std::size_t>(s - 1)] = l;
            l = i;
        }
    }
}

} // namespace

void Sumtrix::Sort_BubbleNumbers(BoundedArray<double>& Matrix, InOut<std::int32_t> Interaction,
                                 InOut<std::int32_t> TimeElapsed)
{
    timedSort(Interaction, TimeElapsed, [&](WorkCount& count) { bubbleSort(Matrix, count); });
}

void Sumtrix::Sort_BubbleText(BoundedArray<std::string>& Matrix, InOut<std::int32_t> Interaction,
                              InOut<std::int32_t> TimeElapsed)
{
    timedSort(Interaction, TimeElapsed, [&](WorkCount& count) { bubbleSort(Matrix, count); });
}

void Sumtrix::Sort_SelectionNumbers(BoundedArray<double>& Matrix,
                                    InOut<std::int32_t> Interaction,
                                    InOut<std::int32_t> TimeElapsed)
{
    timedSort(Interaction, TimeElapsed, [&](WorkCount& count) { selectionSort(Matrix, count); });
}

void Sumtrix::Sort_SelectionText(BoundedArray<std::string>& Matrix,
                                 InOut<std::int32_t> Interaction, InOut<std::int32_t> TimeElapsed)
{
    timedSort(Interaction, TimeElapsed, [&](WorkCount& count) { selectionSort(Matrix, count); });
}

void Sumtrix::Sort_ShellNumbers(BoundedArray<double>& Matrix, InOut<std::int32_t> Interaction,
                                InOut<std::int32_t> TimeElapsed)
{
    timedSort(Interaction, TimeElapsed, [&](WorkCount& count) { shellSort(Matrix, count); });
}

void Sumtrix::Sort_ShellText(BoundedArray<std::string>& Matrix, InOut<std::int32_t> Interaction,
                             InOut<std::int32_t> TimeElapsed)
{
    timedSort(Interaction, TimeElapsed, [&](WorkCount& count) { shellSort(Matrix, count); });
}

void Sumtrix::Sort_QuickNumbers(BoundedArray<double>& Matrix, std::int32_t l, std::int32_t r,
                                InOut<std::int32_t> Interaction, InOut<std::int32_t> TimeElapsed)
{
    timedSort(Interaction, TimeElapsed, [&](WorkCount& count) {
        quickSort(Matrix, l, r, count, [&](std::int32_t lo, std::int32_t hi) { this->Sort_QuickNumbers(Matrix, lo, hi); });
    });
}

void Sumtrix::Sort_QuickText(BoundedArray<std::string>& Matrix, std::int32_t l, std::int32_t r,
                             InOut<std::int32_t> Interaction, InOut<std::int32_t> TimeElapsed)
{
    timedSort(Interaction, TimeElapsed, [&](WorkCount& count) {
        quickSort(Matrix, l, r, count, [&](std::int32_t lo, std::int32_t hi) { this->Sort_QuickText(Matrix, lo, hi); });
    });
}

void Sumtrix::Sort_Sort1(std::int32_t n, BoundedArray<double>& arr)
{
    sortWithCompanions<0>(n, arr, {});
}

void Sumtrix::Sort_Sort2(std::int32_t n, BoundedArray<double>& arr, BoundedArray<double>& brr)
{
    sortWithCompanions<1>(n, arr, {&brr});
}

void Sumtrix::Sort_Sort3(std::int32_t n, BoundedArray<double>& arr, BoundedArray<double>& brr,
                         BoundedArray<double>& idx)
{
    sortWithCompanions<2>(n, arr, {&brr, &idx});
}

void Sumtrix::Sort_HeapSort2(BoundedArray<double>& a, BoundedArray<double>& b, std::int32_t n)
{
    // Below two elements the loop would reach index 0 and beyond: nothing
    // to sort, so nothing is touched.
    if (n < 2)
        return;
    // n / 2 + 1 rounded half to even; for odd n this may start on a leaf,
    // whose sift changes nothing.
    std::int32_t L = toInt32(n / 2.0 + 1.0);
    std::int32_t IR = n;
    for (;;) {
        double ra = 0.0;
        double rb = 0.0;
        if (L > 1) {
            --L;
            ra = a(L);
            rb = b(L);
        } else {
            ra = a(IR);
            rb = b(IR);
            a(IR) = a(1);
            b(IR) = b(1);
            if (IR == 2) {
                a(1) = ra;
                b(1) = rb;
                return;
            }
            --IR;
        }
        std::int32_t i = L;
        std::int64_t j = 2 * static_cast<std::int64_t>(L);
        while (j <= IR) {
            auto jj = static_cast<std::int32_t>(j);
            if (jj < IR && a(jj) < a(jj + 1))
                ++jj;
            if (ra < a(jj)) {
                a(i) = a(jj);
                b(i) = b(jj);
                i = jj;
                j = 2 * static_cast<std::int64_t>(jj);
            } else {
                break;
            }
        }
        a(i) = ra;
        b(i) = rb;
    }
}

} // namespace SumtrixLib
