// Kernel sums of the generalized concordance coefficients.
//
// The template evaluates the distance function g 6 n^2 + 6 n times per
// variant. The fast pass gives the same sums with far less work:
// - SumD and SumT do not depend on i: they are formed once for the first row
//   and once for all later rows (the two differ only when a term fails, as
//   the first row starts from the terms that the previous variant left and
//   every later row from those the first row left);
// - the cross sums over j come from the data sorted once, with prefix sums:
//     squared distance:  sum_j (x_i - y_j)^2 - (x_i + y_j)^2 = -4 x_i sum_j y_j;
//     absolute distance: sum_j |a - y_j| splits where y_j passes a, giving
//                        a k - S(k) + (S(n) - S(k)) - a (n - k) with S the
//                        prefix sums of the sorted y; a = x_i for the
//                        differences and a = -x_i for the sums, as
//                        |x_i + y_j| = |-x_i - y_j|;
//     clipped and Huber: the j with |a - y_j| <= Delta form one window of
//                        the sorted y; inside it the quadratic or absolute
//                        sums, outside it the limit term or the linear piece.
//   Window and split points are found on the same rounded differences that
//   the literal loop tests, so every term takes the same branch. The prefix
//   sums are in long double, each about a value of the data near the values
//   it sums (see SortedSums), so that neither data far from zero nor a
//   window far from the others cancels;
// - the powers other than 1 and 2 have no such decomposition: their sums
//   over j of |x_i - y_j|^P and |x_i + y_j|^P (limited at Delta for the
//   clipped kind) come from the tree sums of power_sums.cpp, a fast
//   multipole method on the sorted data, to the accuracy of the all-pairs
//   sums. The all-pairs rows that it replaced, O(n^2) in eight interleaved
//   partial sums that vectorise, split over threads, stay for an exponent
//   that is not a number and for comparisons (GcccPath::AllPairs). Either
//   way each sum is formed in the same order whatever the thread count, so
//   the results do not depend on it, not even in the last bit.
// The column sums of the cross kernel (for its symmetrised projection) are
// the row sums with x and y exchanged, since g(x_i - y_j) = g(y_j - x_i).
//
// The fast sums assume that every term succeeds: they run when the data and
// Delta are finite and within 1e100 (for the powers, when every row comes
// out finite). Otherwise the cross sums come from the literal loop, in
// which a failed term keeps its previous value.
//
// Data on one side of zero come centred (see GcccPassData): the terms of the
// arguments near 2c, |2c| + v, are taken less the affine function of v that
// follows g there, so a term is of the size of the data's spread. For each
// kind, with a = |2c|, D = Delta - a and beta = g'(a):
//   absolute distance: |2c + w| - (a + v) = 0;
//   power:   phi(v) = (a + v)^P - a^P - beta v;
//   clipped and Huber, a <= Delta: the same expansion at a; the clipped
//            pieces become g(Delta) less it, D^2 + 2 a (D - v) for the
//            square, D - v for |u|, phi(D) + beta (D - v) for the power,
//            D (v - D/2) for Huber's linear piece;
//   clipped and Huber, a > Delta: less g(Delta) (Huber: less its linear
//            piece), so that the limited terms are 0 and the others
//            (v - D)(v - D + 2 Delta), v - D, (a + v)^P - Delta^P and
//            (v - D)^2 / 2; with Delta < 0 every argument is limited and the
//            clipped kinds keep g(Delta), as the raw terms are.
// The literal loop evaluates the same terms one by one, so both paths
// agree for data far from zero too. A few values far beyond the others
// stay out of the expansion and the fast sums (see Pass::setApart).
#include "concordance_kernels.hpp"
#include "power_sums.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <optional>
#include <thread>

namespace SumtrixLib::detail {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// Data and bounds up to this magnitude make no term of the fast kinds
// overflow: squares and products stay below 1e201.
constexpr double FastLimit = 1e100;
// Rows per thread below which threads cost more than they save.
constexpr std::size_t RowsPerThread = 256;
// Up to this many observations the power distances take the literal cross
// sums (at most 4,096 pairs), which then give the literal loop's results
// to the last bit.
constexpr std::size_t LiteralPowerRows = 64;

bool isClipped(GcccKind kind)
{
    return kind == GcccKind::ClipSquare || kind == GcccKind::ClipAbsolute || kind == GcccKind::ClipPower;
}

bool usesDelta(GcccKind kind)
{
    return isClipped(kind) || kind == GcccKind::Huber;
}

// A failed evaluation leaves the term as it was.
inline void take(double& term, double value)
{
    if (std::isfinite(value))
        term = value;
}

// The distance function of a pass. Each evaluation returns NaN when it
// fails: an argument or a result that is not finite.
class Distance {
public:
    Distance(GcccKind kind, double P, double Delta) : m_kind(kind), m_P(P), m_Delta(Delta)
    {
        switch (kind) {
        case GcccKind::ClipSquare:
            m_limit = Delta * Delta;
            break;
        case GcccKind::ClipAbsolute:
            m_limit = std::fabs(Delta);
            break;
        case GcccKind::ClipPower:
            m_limit = std::pow(std::fabs(Delta), P);
            break;
        default:
            m_limit = 0.0;
            break;
        }
    }

    // g; for the Huber kind the piece that |u| against Delta selects.
    double g(double u) const
    {
        switch (m_kind) {
        case GcccKind::Square:
        case GcccKind::ClipSquare:
            return u * u;
        case GcccKind::Absolute:
        case GcccKind::ClipAbsolute:
            return std::fabs(u);
        case GcccKind::Power:
        case GcccKind::ClipPower:
            return std::pow(std::fabs(u), m_P);
        case GcccKind::Huber: {
            const double a = std::fabs(u);
            return a > m_Delta ? a * m_Delta - m_Delta * m_Delta * 0.5 : u * u * 0.5;
        }
        }
        return NaN;
    }

    // A term of an observation's own values (clipped already for the
    // clipped kinds).
    double own(double u) const
    {
        if (!std::isfinite(u))
            return NaN;
        const double v = g(u);
        return std::isfinite(v) ? v : NaN;
    }

    // A cross term g(x_i - y_j) or g(x_i + y_j); the clipped kinds take
    // g(Delta) for an argument beyond Delta.
    double cross(double u) const
    {
        if (!std::isfinite(u))
            return NaN;
        const double v = isClipped(m_kind) && std::fabs(u) > m_Delta ? m_limit : g(u);
        return std::isfinite(v) ? v : NaN;
    }

    double limit() const { return m_limit; }

private:
    GcccKind m_kind;
    double m_P;
    double m_Delta;
    double m_limit;
};

// The terms of the arguments near 2c for data on one side of zero, as
// functions of v = |u| - a, a = |2c|: g less the affine function of v
// described at the top of this file.
class Expansion {
public:
    Expansion(GcccKind kind, double P, double a, double Delta, double shift)
        : m_kind(kind), m_P(P), m_a(a), m_Delta(Delta),
          m_limits(isClipped(kind) || kind == GcccKind::Huber),
          m_shift(m_limits ? shift : std::numeric_limits<double>::infinity()), m_inside(m_shift >= 0.0)
    {
        if (!(a > 0.0))
            return;  // not used: the pass works on raw data
        m_taylor = PowerTaylor(P, a);
        if (kind == GcccKind::ClipPower) {
            m_phiShift = m_inside ? phi(m_shift) : 0.0;
            m_psiShift = !m_inside && Delta >= 0.0 ? psi(m_shift) : 0.0;
        }
        affine();
    }

    // Whether |u| = a + v lies beyond Delta: a limited argument, or
    // Huber's linear piece.
    bool clipped(double v) const { return m_limits && v > m_shift; }

    // The term of v; `limited` takes g(Delta) (Huber: the linear piece) in
    // place of g(a + v). NaN when it fails.
    double value(double v, bool limited) const
    {
        const double r = term(v, limited);
        return std::isfinite(v) && std::isfinite(r) ? r : NaN;
    }

    // (a + v)^P - a^P - beta v, and (a + v)^P - a^P.
    double phi(double v) const { return m_taylor.phi(v); }
    double psi(double v) const { return m_taylor.psi(v); }

    // The power kinds' terms of the sums x_i + y_j as a kernel of
    // v = p_i - (-q_j) (see rowsOfPowers): the Taylor form for a <= Delta
    // (limited above Delta - a), the Shifted form beyond.
    PowerKernel kernel() const
    {
        PowerKernel k;
        k.P = m_P;
        k.taylor = m_taylor;
        k.bound = m_shift;
        k.shape = m_inside ? PowerShape::Taylor : PowerShape::Shifted;
        k.boundTerm = m_inside ? m_phiShift : m_psiShift;
        return k;
    }

    double a() const { return m_a; }
    double shift() const { return m_shift; }
    bool inside() const { return m_inside; }
    // The affine function alpha + beta v that each term of an argument
    // a + v is taken less: G(a + v) - alpha - beta v is its term.
    double alpha() const { return m_alpha; }
    double beta() const { return m_beta; }

private:
    void affine()
    {
        const double a = m_a, Delta = m_Delta;
        const bool below = !m_inside && Delta < 0.0;  // every argument limited, the raw terms kept
        switch (m_kind) {
        case GcccKind::Square:
            m_alpha = a * a;
            m_beta = 2.0 * a;
            break;
        case GcccKind::Absolute:
            m_alpha = a;
            m_beta = 1.0;
            break;
        case GcccKind::Power:
            m_alpha = m_taylor.aP;
            m_beta = m_taylor.beta;
            break;
        case GcccKind::ClipSquare:
            m_alpha = m_inside ? a * a : below ? 0.0 : Delta * Delta;
            m_beta = m_inside ? 2.0 * a : 0.0;
            break;
        case GcccKind::ClipAbsolute:
            m_alpha = m_inside ? a : below ? 0.0 : Delta;
            m_beta = m_inside ? 1.0 : 0.0;
            break;
        case GcccKind::ClipPower:
            m_alpha = m_inside ? m_taylor.aP : below ? 0.0 : std::pow(Delta, m_P);
            m_beta = m_inside ? m_taylor.beta : 0.0;
            break;
        case GcccKind::Huber:
            // about a: a^2/2 + a v; beyond Delta the linear piece
            // Delta (a + v) - Delta^2/2
            m_alpha = m_inside ? a * a / 2.0 : Delta * a - Delta * Delta / 2.0;
            m_beta = m_inside ? a : Delta;
            break;
        }
    }

    double term(double v, bool limited) const
    {
        const double D = m_shift;
        switch (m_kind) {
        case GcccKind::Square:
            return v * v;
        case GcccKind::Absolute:
            return 0.0;
        case GcccKind::Power:
            return phi(v);
        case GcccKind::ClipSquare:
            if (m_inside)
                return limited ? D * D + 2.0 * m_a * (D - v) : v * v;
            if (limited)
                return m_Delta < 0.0 ? m_Delta * m_Delta : 0.0;
            return (v - D) * ((v - D) + 2.0 * m_Delta);
        case GcccKind::ClipAbsolute:
            if (m_inside)
                return limited ? D - v : 0.0;
            if (limited)
                return m_Delta < 0.0 ? -m_Delta : 0.0;
            return v - D;
        case GcccKind::ClipPower:
            if (m_inside)
                return limited ? m_phiShift + m_taylor.beta * (D - v) : phi(v);
            if (limited)
                return m_Delta < 0.0 ? std::pow(-m_Delta, m_P) : 0.0;
            return psi(v) - m_psiShift;
        case GcccKind::Huber:
            if (m_inside)
                return limited ? D * (v - D / 2.0) : v * v / 2.0;
            return limited ? 0.0 : (v - D) * (v - D) / 2.0;
        }
        return NaN;
    }

    GcccKind m_kind;
    double m_P, m_a, m_Delta;
    bool m_limits;
    double m_shift;
    bool m_inside;
    PowerTaylor m_taylor;
    double m_phiShift = 0.0, m_psiShift = 0.0;
    double m_alpha = 0.0, m_beta = 0.0;
};

// The values b(0..m-1) sorted, in runs split where the next value lies
// more than `gap` above the last, with long-double running sums of b - r and
// (b - r)^2 about the middle value r of each run, accumulated from r
// outwards, and the runs' totals about the median run's r, accumulated from
// that run outwards. A sum over a range takes the part of a run with its
// own r, and only whole runs inside the range from the totals: a window
// |a - b| <= gap holds at most two runs, so that its sum keeps the digits
// of a - b however far the window lies from the median, and no sum takes in
// the values beyond its range.
class SortedSums {
public:
    SortedSums(const double* v, std::size_t m, double gap)
    {
        sortValues(v, m, m_b, m_order);
        sums(gap);
    }

    std::size_t size() const { return m_b.size(); }
    // The place (0..m-1) in v of the k-th smallest value: rows taken in this
    // order search the sorted values of the other sample near where the
    // previous row did, which the processor's caches reward.
    std::size_t order(std::size_t k) const { return m_order[k]; }

    // The rounded differences a - b_j fall as j grows. First j with
    // a - b_j <= t, and first j with a - b_j < t.
    std::size_t firstAtMost(double a, double t) const
    {
        return static_cast<std::size_t>(
            std::partition_point(m_b.begin(), m_b.end(), [&](double b) { return a - b > t; }) - m_b.begin());
    }
    std::size_t firstBelow(double a, double t) const
    {
        return static_cast<std::size_t>(
            std::partition_point(m_b.begin(), m_b.end(), [&](double b) { return a - b >= t; }) - m_b.begin());
    }

    // Sum of |a - b_j| over lo <= j < hi.
    long double sumAbs(std::size_t lo, std::size_t hi, double a) const
    {
        if (hi <= lo)
            return 0.0L;
        const std::size_t m = std::clamp(firstAtMost(a, 0.0), lo, hi);
        if (m_runs.size() == 1) {
            // one run: both parts about its anchor at once
            const long double ar = static_cast<long double>(a) - m_c;
            return ar * static_cast<long double>(m - lo) - (m_p1[m] - m_p1[lo]) + (m_p1[hi] - m_p1[m])
                   - ar * static_cast<long double>(hi - m);
        }
        return sumLin(lo, m, a) - sumLin(m, hi, a);
    }

    // Sum of a - b_j over lo <= j < hi.
    long double sumLin(std::size_t lo, std::size_t hi, long double a) const
    {
        return over(lo, hi, [a](long double k, long double r, long double s1, long double) {
            return (a - r) * k - s1;
        });
    }

    // Sum of (a - b_j)^2 over lo <= j < hi.
    long double sumSq(std::size_t lo, std::size_t hi, long double a) const
    {
        return over(lo, hi, [a](long double k, long double r, long double s1, long double s2) {
            const long double ar = a - r;
            return k * ar * ar - 2.0L * ar * s1 + s2;
        });
    }

private:
    struct Run {
        std::size_t begin, end;  // values begin..end-1
        std::size_t base;        // m_p1[base + k - begin] for k = begin..end
        long double r;           // the anchor
    };

    // f(count, anchor, sum of b - anchor, sum of (b - anchor)^2) over the
    // parts of lo..hi-1.
    template <class F>
    [[gnu::always_inline]] long double over(std::size_t lo, std::size_t hi, F f) const
    {
        if (hi <= lo)
            return 0.0L;
        if (m_runs.size() == 1)
            return part(0, lo, hi, f);
        const std::size_t first = m_runOf[lo], last = m_runOf[hi - 1];
        if (first == last)
            return part(first, lo, hi, f);
        long double sum = part(first, lo, m_runs[first].end, f) + part(last, m_runs[last].begin, hi, f);
        if (last - first > 1) {
            const std::size_t k = m_runs[last].begin - m_runs[first + 1].begin;
            sum += f(static_cast<long double>(k), m_c, m_t1[last] - m_t1[first + 1], m_t2[last] - m_t2[first + 1]);
        }
        return sum;
    }
    template <class F>
    [[gnu::always_inline]] long double part(std::size_t run, std::size_t lo, std::size_t hi, F f) const
    {
        const Run& R = m_runs[run];
        const std::size_t a = R.base + (lo - R.begin), b = R.base + (hi - R.begin);
        return f(static_cast<long double>(hi - lo), R.r, m_p1[b] - m_p1[a], m_p2[b] - m_p2[a]);
    }

    // m_p1[base + k + 1 - begin] - m_p1[base + k - begin] = b_k - r within
    // each run, 0 at r; m_t1[q + 1] - m_t1[q] = the total of run q about
    // m_c, 0 at the median run; m_p2 and m_t2 likewise.
    void sums(double gap)
    {
        const std::size_t m = m_b.size();
        for (std::size_t k = 0; k < m; ++k)
            if (k == 0 || !(m_b[k] - m_b[k - 1] <= gap))
                m_runs.push_back(Run{k, k, k + m_runs.size(), 0.0L});
        for (std::size_t q = 0; q < m_runs.size(); ++q)
            m_runs[q].end = q + 1 < m_runs.size() ? m_runs[q + 1].begin : m;
        // one run (the usual case) needs no map from a place to its run
        if (m_runs.size() > 1) {
            m_runOf.resize(m);
            for (std::size_t q = 0; q < m_runs.size(); ++q)
                std::fill(m_runOf.begin() + static_cast<std::ptrdiff_t>(m_runs[q].begin),
                          m_runOf.begin() + static_cast<std::ptrdiff_t>(m_runs[q].end), static_cast<std::uint32_t>(q));
        }
        m_p1.assign(m + m_runs.size(), 0.0L);
        m_p2.assign(m + m_runs.size(), 0.0L);
        std::vector<long double> total1(m_runs.size()), total2(m_runs.size());
        for (std::size_t q = 0; q < m_runs.size(); ++q) {
            Run& R = m_runs[q];
            const std::size_t mid = R.begin + (R.end - R.begin) / 2;
            R.r = m_b[mid];
            long double* p1 = m_p1.data() + R.base - R.begin;
            long double* p2 = m_p2.data() + R.base - R.begin;
            for (std::size_t k = mid; k < R.end; ++k) {
                const long double d = static_cast<long double>(m_b[k]) - R.r;
                p1[k + 1] = p1[k] + d;
                p2[k + 1] = p2[k] + d * d;
            }
            for (std::size_t k = mid; k-- > R.begin;) {
                const long double d = static_cast<long double>(m_b[k]) - R.r;
                p1[k] = p1[k + 1] - d;
                p2[k] = p2[k + 1] - d * d;
            }
            total1[q] = p1[R.end] - p1[R.begin];
            total2[q] = p2[R.end] - p2[R.begin];
        }
        m_t1.assign(m_runs.size() + 1, 0.0L);
        m_t2.assign(m_runs.size() + 1, 0.0L);
        if (m == 0)
            return;
        const std::size_t median = m_runs.size() == 1 ? 0 : m_runOf[m / 2];
        m_c = m_runs[median].r;
        const auto shifted = [&](std::size_t q, long double& t1, long double& t2) {
            const long double k = static_cast<long double>(m_runs[q].end - m_runs[q].begin);
            const long double d = m_runs[q].r - m_c;
            t1 = total1[q] + k * d;
            t2 = total2[q] + 2.0L * d * total1[q] + k * d * d;
        };
        for (std::size_t q = median; q < m_runs.size(); ++q) {
            long double t1, t2;
            shifted(q, t1, t2);
            m_t1[q + 1] = m_t1[q] + t1;
            m_t2[q + 1] = m_t2[q] + t2;
        }
        for (std::size_t q = median; q-- > 0;) {
            long double t1, t2;
            shifted(q, t1, t2);
            m_t1[q] = m_t1[q + 1] - t1;
            m_t2[q] = m_t2[q + 1] - t2;
        }
    }

    std::vector<double> m_b;
    std::vector<std::uint32_t> m_order;
    std::vector<Run> m_runs;
    std::vector<std::uint32_t> m_runOf;
    std::vector<long double> m_p1, m_p2, m_t1, m_t2;
    long double m_c = 0.0L;
};

// Runs f(lo, hi) over the items 0..count-1 split in contiguous ranges, one
// per thread and at least `minPerThread` items each (see forTasks).
template <class F>
void forBlocks(std::size_t count, std::size_t minPerThread, unsigned threads, F f)
{
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t blocks = std::min<std::size_t>(threads, std::max<std::size_t>(1, count / minPerThread));
    forTasks(blocks, threads, [&](std::size_t b) { f(count * b / blocks, count * (b + 1) / blocks); });
}

// sum_j term(a, b_j) for one row, in eight interleaved partial sums (lane l
// takes j = l, l + 8, ...) added pairwise at the end; each term is also
// added to its column's sum col[j]. Inlined into each build of the row
// functions below.
template <class T>
[[gnu::always_inline]] inline double powerRow(double a, const double* __restrict b, std::size_t m,
                                              double* __restrict col, const T& term)
{
    double acc[8] = {};
    std::size_t j = 0;
    for (; j + 8 <= m; j += 8) {
        for (std::size_t l = 0; l < 8; ++l) {
            const double t = term(a, b[j + l]);
            acc[l] += t;
            col[j + l] += t;
        }
    }
    for (std::size_t l = 0; j < m; ++j, ++l) {
        const double t = term(a, b[j]);
        acc[l] += t;
        col[j] += t;
    }
    return ((acc[0] + acc[1]) + (acc[2] + acc[3])) + ((acc[4] + acc[5]) + (acc[6] + acc[7]));
}

// g(a - b) - g(a + b), the cross term of raw data.
template <class G>
[[gnu::always_inline]] inline auto rawTerm(const G& g)
{
    return [=](double a, double b) { return g(a - b) - g(a + b); };
}

// The rows of the power distances, with every argument limited at `delta`
// (+infinity for none): g(min(|u|, delta)) is g(Delta) beyond the bound. On
// x86-64 each is also built for AVX2 and AVX-512, one chosen by what the
// processor has; all builds add in the same order and give the same sums.
#if defined(__x86_64__) && defined(__GNUC__)
#define GCCC_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define GCCC_VECTOR_CLONES
#endif

GCCC_VECTOR_CLONES double rowPower15(double a, const double* b, std::size_t m, double delta, double* col)
{
    return powerRow(a, b, m, col, rawTerm([=](double u) { return plainTerm15(u, delta); }));
}

GCCC_VECTOR_CLONES double rowPower05(double a, const double* b, std::size_t m, double delta, double* col)
{
    return powerRow(a, b, m, col, rawTerm([=](double u) { return plainTerm05(u, delta); }));
}

double rowPower(double a, const double* b, std::size_t m, double delta, double P, double* col)
{
    return powerRow(a, b, m, col, rawTerm([=](double u) { return plainTerm(u, delta, P); }));
}

// The rows of the power distances for data on one side of zero: p = side xc
// and q = side yc, the difference term of |p - q| less the expanded term of
// v = p + q (see Expansion and the square-root forms of power_sums.hpp).
GCCC_VECTOR_CLONES double rowPower15Far(double p, const double* q, std::size_t m, double delta, RootShape s,
                                        bool taylor, double* col)
{
    if (taylor)
        return powerRow(p, q, m, col, [=](double pi, double qj) {
            return plainTerm15(pi - qj, delta) - taylorTerm15(s, pi + qj);
        });
    return powerRow(p, q, m, col,
                    [=](double pi, double qj) { return plainTerm15(pi - qj, delta) - shiftedTerm15(s, pi + qj); });
}

GCCC_VECTOR_CLONES double rowPower05Far(double p, const double* q, std::size_t m, double delta, RootShape s,
                                        bool taylor, double* col)
{
    if (taylor)
        return powerRow(p, q, m, col, [=](double pi, double qj) {
            return plainTerm05(pi - qj, delta) - taylorTerm05(s, pi + qj);
        });
    return powerRow(p, q, m, col,
                    [=](double pi, double qj) { return plainTerm05(pi - qj, delta) - shiftedTerm05(s, pi + qj); });
}

double rowPowerFar(double p, const double* q, std::size_t m, double delta, const PowerKernel& k, double* col)
{
    return powerRow(p, q, m, col,
                    [&](double pi, double qj) { return plainTerm(pi - qj, delta, k.P) - powerTerm(k, pi + qj); });
}

// Rows and columns of a power distance over all pairs, in one sweep: rows_i
// = sum_j g(a_i - b_j) - h(a_i + b_j), i < ma and j < mb, with g the
// difference kernel (|u|^P, limited at `delta`) and h the kernel of the sums
// (`far`: the expanded one, a = p and b = q of rowPower15Far; otherwise g
// again); cols_j the same sums over i. The rows fall into a fixed number of
// bands whatever the thread count; each band adds its rows' terms to column
// sums of its own in row order, and the bands' column sums are added in band
// order, so neither rows nor columns depend on the number of threads.
constexpr std::size_t MaxBands = 32;

void allPairsPowerSums(const double* a, std::size_t ma, const double* b, std::size_t mb, double delta, double P,
                       const PowerKernel* far, double* rows, double* cols, unsigned threads)
{
    const std::size_t bands = std::clamp<std::size_t>(ma / RowsPerThread, 1, MaxBands);
    std::vector<double> partial(bands * mb, 0.0);
    const RootShape shape = far ? RootShape(*far) : RootShape();
    const bool taylor = far && far->shape == PowerShape::Taylor;
    forBlocks(bands, 1, threads, [&](std::size_t lo, std::size_t hi) {
        for (std::size_t k = lo; k < hi; ++k) {
            double* col = partial.data() + k * mb;
            for (std::size_t i = ma * k / bands; i < ma * (k + 1) / bands; ++i) {
                if (far)
                    rows[i] = P == 1.5   ? rowPower15Far(a[i], b, mb, delta, shape, taylor, col)
                              : P == 0.5 ? rowPower05Far(a[i], b, mb, delta, shape, taylor, col)
                                         : rowPowerFar(a[i], b, mb, delta, *far, col);
                else
                    rows[i] = P == 1.5   ? rowPower15(a[i], b, mb, delta, col)
                              : P == 0.5 ? rowPower05(a[i], b, mb, delta, col)
                                         : rowPower(a[i], b, mb, delta, P, col);
            }
        }
    });
    for (std::size_t j = 0; j < mb; ++j) {
        double sum = 0.0;
        for (std::size_t k = 0; k < bands; ++k)
            sum += partial[k * mb + j];
        cols[j] = sum;
    }
}

// The same rows and columns from the tree sums of power_sums.cpp: each
// row is the sum of the difference kernel over the b_j less that of the sum
// kernel over the -b_j (u = a_i - (-b_j) is the rounded a_i + b_j), each
// column the same with a and b exchanged (g(a_i - b_j) = g(b_j - a_i)).
// False when the exponent takes no expansion.
bool treePowerSums(const double* a, std::size_t ma, const double* b, std::size_t mb, const PowerKernel& difference,
                   const PowerKernel& sum, double* rows, double* cols, unsigned threads)
{
    DistinctValues A, B;
    forTasks(2, threads, [&](std::size_t k) {
        if (k == 0)
            A = DistinctValues::of(a, ma);
        else
            B = DistinctValues::of(b, mb);
    });
    const auto side = [&](const DistinctValues& targets, const DistinctValues& sources, std::size_t m, double* out) {
        std::vector<double> d, s;
        if (!powerSums(difference, targets, sources, d, threads) || !powerSums(sum, targets, sources.negated(), s, threads))
            return false;
        for (std::size_t i = 0; i < m; ++i)
            out[i] = d[targets.position[i]] - s[targets.position[i]];
        return true;
    };
    return side(A, B, ma, rows) && side(B, A, mb, cols);
}

struct OwnSums {
    double sumD = 0.0;
    double sumT = 0.0;
};

// Values far from the others that the fast sums leave out (see setApart):
// at most MaxApart of them, each costing a sum over the other sample, so
// that the pass stays at n log n; beyond ApartDistance |2c| from c.
constexpr std::size_t MaxApart = 32;
constexpr double ApartDistance = 16.0;

class Pass {
public:
    explicit Pass(const GcccPassData& d)
        : m_d(d), m_dist(d.kind, d.P, d.Delta), m_n(std::max(d.n, 0)), m_far(d.side != 0),
          m_side(d.side < 0 ? -1.0 : 1.0), m_expansion(d.kind, d.P, d.twoCentre, d.Delta, d.DeltaShift)
    {
        setApart();
    }

    void literal(GcccTerms& t, GcccKernels& out) const;
    void fast(GcccTerms& t, GcccKernels& out, unsigned threads, bool allPairs) const;

private:
    bool clipped() const { return isClipped(m_d.kind); }
    // The arguments of an observation's own terms (raw data).
    double argD(std::int32_t i) const { return clipped() ? m_d.clipD[i] : m_d.x[i] - m_d.y[i]; }
    double argS(std::int32_t i) const { return clipped() ? m_d.clipS[i] : m_d.x[i] + m_d.y[i]; }
    double argX(std::int32_t i) const { return 2.0 * (clipped() ? m_d.clipX[i] : m_d.x[i]); }
    double argY(std::int32_t i) const { return 2.0 * (clipped() ? m_d.clipY[i] : m_d.y[i]); }

    bool apartX(std::int32_t i) const { return !m_apartX.empty() && m_apartX[static_cast<std::size_t>(i)] != 0; }
    bool apartY(std::int32_t j) const { return !m_apartY.empty() && m_apartY[static_cast<std::size_t>(j)] != 0; }

    // The term of an argument near 2c, from v = side (xc + yc) or side 2 xc.
    double far(double v) const { return m_expansion.value(v, m_expansion.clipped(v)); }

    // With the terms of the sums expanded, a value set apart has its own
    // function in place of the affine one: the terms of the sums u = x + y
    // are g(u) - F(x) - F(y), which leaves rg and its variance as they are
    // for any F (each observation's kernels change by the same amount, as
    // with the affine function), with
    //   F(x) = alpha/2 + beta p for the values kept, p = side (x - c), so
    //          that a pair of them has the expanded term of v = p + q,
    //   F(x) = G(a + p) - alpha/2 for a value set apart, so that its terms
    //          are differences of g about its own place,
    //            G(a + p + q) - G(a + p) - beta q       (q kept),
    //            G(a + p + q) - G(a + p) - (G(a + q) - alpha)   (q apart),
    //          where the expanded term would carry beta p, far beyond the
    //          size of the raw terms (see setApart).
    // G is g of the sums, limited where the expansion limits them.
    double sumTerm(std::int32_t i, std::int32_t j) const
    {
        const bool fi = apartX(i), fj = apartY(j);
        const double p = m_side * m_d.xc[i], q = m_side * m_d.yc[j];
        if (!fi && !fj)
            return far(p + q);
        const double r = fi && fj ? step(p, q) - (m_apartGY[static_cast<std::size_t>(j)] - m_expansion.alpha())
                         : fi     ? step(p, q) - m_expansion.beta() * q
                                  : step(q, p) - m_expansion.beta() * p;
        return std::isfinite(r) ? r : NaN;
    }
    // G(a + v) for v > -a.
    double sumG(double v) const
    {
        const double u = m_d.twoCentre + v;
        if (m_expansion.clipped(v))
            return m_d.kind == GcccKind::Huber ? m_d.Delta * u - m_d.Delta * m_d.Delta * 0.5 : m_dist.limit();
        return m_d.kind == GcccKind::Huber ? u * u * 0.5 : m_dist.g(u);
    }
    // G(a + p + q) - G(a + p), with b = a + p: the differences of the
    // pieces in closed form, so that they keep the digits of q.
    double step(double p, double q) const
    {
        const bool limitedP = m_expansion.clipped(p), limited = m_expansion.clipped(p + q);
        if (limitedP != limited)
            return sumG(p + q) - sumG(p);
        const double b = m_d.twoCentre + p;
        if (limited)
            return m_d.kind == GcccKind::Huber ? m_d.Delta * q : 0.0;
        switch (m_d.kind) {
        case GcccKind::Square:
        case GcccKind::ClipSquare:
            return q * (2.0 * b + q);
        case GcccKind::Absolute:
        case GcccKind::ClipAbsolute:
            return q;
        case GcccKind::Power:
        case GcccKind::ClipPower:
            return std::pow(b, m_d.P) * std::expm1(m_d.P * std::log1p(q / b));
        case GcccKind::Huber:
            return q * (2.0 * b + q) * 0.5;
        }
        return NaN;
    }

    // g of an observation's own arguments: the difference, the sum, the
    // doubled x and y. NaN when the evaluation fails.
    double ownD(std::int32_t i) const { return m_far ? m_dist.cross(m_d.xc[i] - m_d.yc[i]) : m_dist.own(argD(i)); }
    double ownS(std::int32_t i) const { return m_far ? sumTerm(i, i) : m_dist.own(argS(i)); }
    // The doubled values of the clipped kinds are limited together: both
    // take g(Delta) when either lies beyond Delta.
    double ownXY(std::int32_t i, bool ofY) const
    {
        if (!m_far)
            return m_dist.own(ofY ? argY(i) : argX(i));
        const double vx = m_side * 2.0 * m_d.xc[i], vy = m_side * 2.0 * m_d.yc[i];
        const double v = ofY ? vy : vx;
        const bool limited = clipped() ? m_expansion.clipped(vx) || m_expansion.clipped(vy) : m_expansion.clipped(v);
        if (ofY ? apartY(i) : apartX(i)) {
            // G(a + 2p) - 2 F(p) = (G(a + 2p) - G(a + p)) - (G(a + p) - alpha)
            const double p = v / 2.0;
            const double g = limited && !m_expansion.clipped(v) ? m_dist.limit() - sumG(p) : step(p, p);
            const double r = g - ((ofY ? m_apartGY : m_apartGX)[static_cast<std::size_t>(i)] - m_expansion.alpha());
            return std::isfinite(r) ? r : NaN;
        }
        return m_expansion.value(v, limited);
    }
    // g(x_i - y_j) and g(x_i + y_j).
    double crossD(std::int32_t i, std::int32_t j) const
    {
        return m_far ? m_dist.cross(m_d.xc[i] - m_d.yc[j]) : m_dist.cross(m_d.x[i] - m_d.y[j]);
    }
    double crossS(std::int32_t i, std::int32_t j) const
    {
        return m_far ? sumTerm(i, j) : m_dist.cross(m_d.x[i] + m_d.y[j]);
    }

    // g of every observation's own arguments, evaluated once (on the
    // threads): the same values each time the template asks for them.
    struct OwnValues {
        std::vector<double> D, S, X, Y;  // NaN where the evaluation fails
        bool complete = true;            // none fails
    };
    OwnValues ownValues(unsigned threads) const
    {
        const auto size = static_cast<std::size_t>(m_n) + 1;
        OwnValues v;
        v.D.assign(size, NaN);
        v.S.assign(size, NaN);
        v.X.assign(size, NaN);
        v.Y.assign(size, NaN);
        forBlocks(size - 1, RowsPerThread, threads, [&](std::size_t lo, std::size_t hi) {
            for (std::size_t k = lo + 1; k <= hi; ++k) {
                const auto i = static_cast<std::int32_t>(k);
                v.D[k] = ownD(i);
                v.S[k] = ownS(i);
                v.X[k] = ownXY(i, false);
                v.Y[k] = ownXY(i, true);
            }
        });
        for (std::size_t k = 1; k < size; ++k)
            v.complete = v.complete && !std::isnan(v.D[k]) && !std::isnan(v.S[k]) && !std::isnan(v.X[k])
                         && !std::isnan(v.Y[k]);
        return v;
    }

    void pairTerms(std::int32_t j, const OwnValues& v, GcccTerms& t) const
    {
        const auto k = static_cast<std::size_t>(j);
        take(t.pairD, 0.5 * v.D[k]);
        take(t.pairS, 0.5 * v.S[k]);
        take(t.pairX, 0.25 * v.X[k]);
        take(t.pairY, 0.25 * v.Y[k]);
    }
    void ownTerms(std::int32_t i, const OwnValues& v, GcccTerms& t) const
    {
        const auto k = static_cast<std::size_t>(i);
        take(t.ownD, v.D[k]);
        take(t.ownS, v.S[k]);
        take(t.ownX, v.X[k]);
        take(t.ownY, v.Y[k]);
        take(t.ownD2, v.D[k]);
        take(t.ownS2, v.S[k]);
    }
    void crossTerms(std::int32_t i, std::int32_t j, GcccTerms& t) const
    {
        take(t.crossD, crossD(i, j));
        take(t.crossS, crossS(i, j));
    }
    // KD(i), KT(i) and the j = i cross term from the own terms just taken.
    void finishRow(std::int32_t i, const GcccTerms& t, double sumD, double sumT, GcccKernels& out,
                   std::vector<double>& diag) const
    {
        const double n2 = static_cast<double>(m_n) - 2.0;
        out.KD[static_cast<std::size_t>(i)] = (n2 / 2.0) * (t.ownD - t.ownS) + sumD;
        out.KT[static_cast<std::size_t>(i)] = (n2 / 4.0) * (t.ownX + t.ownY) + sumT;
        diag[static_cast<std::size_t>(i)] = t.ownD2 - t.ownS2;
    }

    void setApart();
    OwnSums ownSums(const OwnValues& v, GcccTerms& t) const;
    void literalCross(GcccTerms& t, std::vector<double>& rows, std::vector<double>& cols) const;
    bool fastCross(std::vector<double>& rows, std::vector<double>& cols, unsigned threads, bool allPairs) const;
    bool nearCross(const double* x, std::size_t mx, const double* y, std::size_t my, double* rows, double* cols,
                   unsigned threads, bool allPairs) const;
    void apartCross(std::vector<double>& rows, std::vector<double>& cols, unsigned threads) const;
    long double sortedRow(double a, const SortedSums& s) const;
    long double sortedDiff(double a, const SortedSums& s) const;
    long double sortedFar(double p, const SortedSums& s) const;

    const GcccPassData& m_d;
    Distance m_dist;
    std::int32_t m_n;
    bool m_far;
    double m_side;
    Expansion m_expansion;
    // When values are set apart: 1 at their observation's number, the
    // observation numbers of those kept and of those set apart in
    // ascending order, and G(a + p) of those set apart (see sumTerm).
    // Empty otherwise.
    std::vector<char> m_apartX, m_apartY;
    std::vector<std::int32_t> m_keptX, m_keptY, m_apartListX, m_apartListY;
    std::vector<double> m_apartGX, m_apartGY;
};

// With the terms expanded about 2c, the values more than ApartDistance
// |2c| from c are set apart from the fast sums and their pairs summed one
// by one. The raw cross term of such an x_i, g(x_i - y_j) - g(x_i + y_j), is
// small against either of its parts; the expanded one keeps alpha +
// beta (x_i + y_j - 2c) of the sum's part, and the fast sums form the two
// parts' sums apart, so that the rows and columns that hold it would lose
// digits that the raw terms keep. With more than MaxApart of them the data
// are not gathered far from zero, and the pass takes the raw terms.
void Pass::setApart()
{
    if (!m_far || m_d.kind == GcccKind::Square)
        return;
    const double reach = ApartDistance * m_d.twoCentre;
    std::size_t count = 0;
    for (std::int32_t i = 1; i <= m_n; ++i)
        count += static_cast<std::size_t>(std::fabs(m_d.xc[i]) > reach) + (std::fabs(m_d.yc[i]) > reach);
    if (count == 0)
        return;
    if (count > MaxApart) {
        m_far = false;
        return;
    }
    const auto size = static_cast<std::size_t>(m_n) + 1;
    m_apartX.assign(size, 0);
    m_apartY.assign(size, 0);
    m_apartGX.assign(size, NaN);
    m_apartGY.assign(size, NaN);
    for (std::int32_t i = 1; i <= m_n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        m_apartX[k] = std::fabs(m_d.xc[i]) > reach;
        m_apartY[k] = std::fabs(m_d.yc[i]) > reach;
        (m_apartX[k] ? m_apartListX : m_keptX).push_back(i);
        (m_apartY[k] ? m_apartListY : m_keptY).push_back(i);
        if (m_apartX[k])
            m_apartGX[k] = sumG(m_side * m_d.xc[i]);
        if (m_apartY[k])
            m_apartGY[k] = sumG(m_side * m_d.yc[i]);
    }
}

void Pass::literal(GcccTerms& t, GcccKernels& out) const
{
    const auto n = static_cast<std::size_t>(m_n);
    std::vector<double> cols(n + 1, 0.0), diag(n + 1, 0.0);
    const OwnValues own = ownValues(1);
    for (std::int32_t i = 1; i <= m_n; ++i) {
        double sumD = 0.0, sumT = 0.0, sumX = 0.0;
        for (std::int32_t j = 1; j <= m_n; ++j) {
            pairTerms(j, own, t);
            crossTerms(i, j, t);
            sumD = (sumD + t.pairD) - t.pairS;
            sumT = (sumT + t.pairX) + t.pairY;
            sumX = (sumX + t.crossD) - t.crossS;
            double& col = cols[static_cast<std::size_t>(j)];
            col = (col + t.crossD) - t.crossS;
        }
        ownTerms(i, own, t);
        finishRow(i, t, sumD, sumT, out, diag);
        out.KX[static_cast<std::size_t>(i)] = sumX - diag[static_cast<std::size_t>(i)];
    }
    for (std::size_t i = 1; i <= n; ++i)
        out.KXt[i] = cols[i] - diag[i];
}

OwnSums Pass::ownSums(const OwnValues& v, GcccTerms& t) const
{
    OwnSums s;
    for (std::int32_t j = 1; j <= m_n; ++j) {
        pairTerms(j, v, t);
        s.sumD = (s.sumD + t.pairD) - t.pairS;
        s.sumT = (s.sumT + t.pairX) + t.pairY;
    }
    return s;
}

void Pass::literalCross(GcccTerms& t, std::vector<double>& rows, std::vector<double>& cols) const
{
    std::fill(cols.begin(), cols.end(), 0.0);
    for (std::int32_t i = 1; i <= m_n; ++i) {
        double sumX = 0.0;
        for (std::int32_t j = 1; j <= m_n; ++j) {
            crossTerms(i, j, t);
            sumX = (sumX + t.crossD) - t.crossS;
            double& col = cols[static_cast<std::size_t>(j)];
            col = (col + t.crossD) - t.crossS;
        }
        rows[static_cast<std::size_t>(i)] = sumX;
    }
}

// The j with |a - b_j| <= Delta form one window of the sorted b; empty for
// Delta < 0.
struct Window {
    std::size_t lo, hi;
    long double count() const { return static_cast<long double>(hi - lo); }
};
Window windowOf(const SortedSums& s, double a, double delta)
{
    const std::size_t lo = s.firstAtMost(a, delta);
    const std::size_t hi = std::max(lo, s.firstBelow(a, -delta));
    return Window{lo, hi};
}

// The sum over j of the cross term at a - b_j, for the kinds with sorted
// sums: the differences of centred data.
long double Pass::sortedDiff(double a, const SortedSums& s) const
{
    const std::size_t m = s.size();
    if (m_d.kind == GcccKind::Absolute)
        return s.sumAbs(0, m, a);
    const double delta = m_d.Delta;
    const Window w = windowOf(s, a, delta);
    const long double limit = m_dist.limit();
    switch (m_d.kind) {
    case GcccKind::ClipSquare:
        return s.sumSq(w.lo, w.hi, a) + (static_cast<long double>(m) - w.count()) * limit;
    case GcccKind::ClipAbsolute:
        return s.sumAbs(w.lo, w.hi, a) + (static_cast<long double>(m) - w.count()) * limit;
    case GcccKind::Huber: {
        const long double outside = s.sumAbs(0, w.lo, a) + s.sumAbs(w.hi, m, a);
        const long double halfSquare = static_cast<long double>(delta * delta * 0.5);
        return 0.5L * s.sumSq(w.lo, w.hi, a) + static_cast<long double>(delta) * outside
               - (static_cast<long double>(m) - w.count()) * halfSquare;
    }
    default:
        return NaN;
    }
}

// F(a) - F(-a), F(a) being the sum over j of the cross term at a - b_j:
// the row of raw data (|x_i + y_j| = |-x_i - y_j|).
long double Pass::sortedRow(double a, const SortedSums& s) const
{
    const std::size_t m = s.size();
    if (m_d.kind == GcccKind::Absolute)
        return s.sumAbs(0, m, a) - s.sumAbs(0, m, -a);
    const double delta = m_d.Delta;
    const Window w1 = windowOf(s, a, delta), w2 = windowOf(s, -a, delta);
    const long double limit = m_dist.limit();
    switch (m_d.kind) {
    case GcccKind::ClipSquare:
        return (s.sumSq(w1.lo, w1.hi, a) - s.sumSq(w2.lo, w2.hi, -a)) + (w2.count() - w1.count()) * limit;
    case GcccKind::ClipAbsolute:
        return (s.sumAbs(w1.lo, w1.hi, a) - s.sumAbs(w2.lo, w2.hi, -a)) + (w2.count() - w1.count()) * limit;
    case GcccKind::Huber: {
        const long double outside1 = s.sumAbs(0, w1.lo, a) + s.sumAbs(w1.hi, m, a);
        const long double outside2 = s.sumAbs(0, w2.lo, -a) + s.sumAbs(w2.hi, m, -a);
        const long double halfSquare = static_cast<long double>(delta * delta * 0.5);
        return 0.5L * (s.sumSq(w1.lo, w1.hi, a) - s.sumSq(w2.lo, w2.hi, -a))
               + static_cast<long double>(delta) * (outside1 - outside2)
               + (w1.count() - w2.count()) * halfSquare;
    }
    default:
        return NaN;
    }
}

// The sum over j of the expanded term of v_j = side (a + b_j), b the
// sorted centred y (or x) and a the centred x_i (or y_i). The limited j
// (v_j > D; Huber's linear piece) form one end of the sorted b: the upper
// for side +1, the lower for side -1.
long double Pass::sortedFar(double a, const SortedSums& s) const
{
    const std::size_t n = s.size();
    if (m_d.kind == GcccKind::Absolute)
        return 0.0L;
    const Expansion& e = m_expansion;
    const long double D = e.shift(), twoC = e.a(), Delta = m_d.Delta;
    const bool up = m_side > 0;
    // first j with a + b_j > D (side +1), first j with -a - b_j <= D (side -1)
    const std::size_t k = up ? s.firstBelow(-a, -e.shift()) : s.firstAtMost(-a, e.shift());
    struct Range {
        std::size_t lo, hi;
    };
    const Range limited = up ? Range{k, n} : Range{0, k}, within = up ? Range{0, k} : Range{k, n};
    const long double count = static_cast<long double>(limited.hi - limited.lo);
    // sums of v_j - K and (v_j - K)^2 over a range: v_j - K is
    // -((K - a) - b_j) for side +1 and (-a - K) - b_j for side -1
    const long double al = a;
    const auto lin = [&](Range r, long double K) {
        return up ? -s.sumLin(r.lo, r.hi, K - al) : s.sumLin(r.lo, r.hi, -al - K);
    };
    const auto sq = [&](Range r, long double K) {
        return up ? s.sumSq(r.lo, r.hi, K - al) : s.sumSq(r.lo, r.hi, -al - K);
    };
    switch (m_d.kind) {
    case GcccKind::ClipSquare:
        if (e.inside())
            return sq(within, 0.0L) + count * D * D - 2.0L * twoC * lin(limited, D);
        if (Delta < 0.0L)
            return count * Delta * Delta;
        return sq(within, D) + 2.0L * Delta * lin(within, D);
    case GcccKind::ClipAbsolute:
        if (e.inside())
            return -lin(limited, D);
        if (Delta < 0.0L)
            return -count * Delta;
        return lin(within, D);
    case GcccKind::Huber:
        if (e.inside())
            return 0.5L * sq(within, 0.0L) + D * lin(limited, D / 2.0L);
        return 0.5L * sq(within, D);
    default:
        return NaN;
    }
}

bool Pass::fastCross(std::vector<double>& rows, std::vector<double>& cols, unsigned threads, bool allPairs) const
{
    const double* x = m_far ? m_d.xc : m_d.x;
    const double* y = m_far ? m_d.yc : m_d.y;
    for (std::int32_t i = 1; i <= m_n; ++i)
        if (!(std::fabs(x[i]) <= FastLimit && std::fabs(y[i]) <= FastLimit))
            return false;
    if (usesDelta(m_d.kind) && !(std::fabs(m_d.Delta) <= FastLimit && std::isfinite(m_dist.limit())))
        return false;
    if (m_far && usesDelta(m_d.kind) && !(std::fabs(m_d.DeltaShift) <= FastLimit))
        return false;

    const auto n = static_cast<std::size_t>(m_n);
    if (m_d.kind == GcccKind::Square) {
        // (x_i - y_j)^2 - (x_i + y_j)^2 = -4 x_i y_j; for centred data
        // side (xc_i + yc_j) less its expansion is (xc_i + yc_j)^2 as well.
        long double sx = 0.0L, sy = 0.0L;
        for (std::size_t i = 1; i <= n; ++i) {
            sx += x[i];
            sy += y[i];
        }
        for (std::size_t i = 1; i <= n; ++i) {
            rows[i] = static_cast<double>(-4.0L * x[i] * sy);
            cols[i] = static_cast<double>(-4.0L * y[i] * sx);
        }
        return true;
    }
    // A few pairs cost less term by term than the trees take to build.
    if ((m_d.kind == GcccKind::Power || m_d.kind == GcccKind::ClipPower) && n <= LiteralPowerRows)
        return false;

    // The fast sums over the values kept, then every pair with a value set
    // apart, term by term.
    if (m_apartListX.empty() && m_apartListY.empty()) {
        if (!nearCross(x + 1, n, y + 1, n, rows.data() + 1, cols.data() + 1, threads, allPairs))
            return false;
    } else {
        std::vector<double> keptX(m_keptX.size()), keptY(m_keptY.size());
        for (std::size_t k = 0; k < keptX.size(); ++k)
            keptX[k] = x[m_keptX[k]];
        for (std::size_t k = 0; k < keptY.size(); ++k)
            keptY[k] = y[m_keptY[k]];
        std::vector<double> keptRows(keptX.size(), 0.0), keptCols(keptY.size(), 0.0);
        if (!nearCross(keptX.data(), keptX.size(), keptY.data(), keptY.size(), keptRows.data(), keptCols.data(),
                       threads, allPairs))
            return false;
        for (std::size_t k = 0; k < keptX.size(); ++k)
            rows[static_cast<std::size_t>(m_keptX[k])] = keptRows[k];
        for (std::size_t k = 0; k < keptY.size(); ++k)
            cols[static_cast<std::size_t>(m_keptY[k])] = keptCols[k];
        apartCross(rows, cols, threads);
    }
    // A term that overflowed or had no value: the literal loop decides.
    for (std::size_t i = 1; i <= n; ++i)
        if (!std::isfinite(rows[i]) || !std::isfinite(cols[i]))
            return false;
    return true;
}

// The cross sums among the values kept, x(0..mx-1) and y(0..my-1) as the
// pass sees them (centred or not): rows over x against every y, columns
// over y against every x.
bool Pass::nearCross(const double* x, std::size_t mx, const double* y, std::size_t my, double* rows, double* cols,
                     unsigned threads, bool allPairs) const
{
    switch (m_d.kind) {
    case GcccKind::Square:
        return false;
    case GcccKind::Absolute:
    case GcccKind::ClipSquare:
    case GcccKind::ClipAbsolute:
    case GcccKind::Huber: {
        // runs split at gaps beyond Delta, so that a window |a - b| <= Delta
        // holds at most two
        const double gap =
            m_d.kind == GcccKind::Absolute ? std::numeric_limits<double>::infinity() : std::max(m_d.Delta, 0.0);
        std::optional<SortedSums> sortedY, sortedX;
        forTasks(2, threads, [&](std::size_t k) {
            if (k == 0)
                sortedY.emplace(y, my, gap);
            else
                sortedX.emplace(x, mx, gap);
        });
        // a row of x against the sorted y, a column of y against the sorted x
        const auto sum = [&](double a, const SortedSums& other) {
            return static_cast<double>(m_far ? sortedDiff(a, other) - sortedFar(a, other) : sortedRow(a, other));
        };
        forBlocks(std::max(mx, my), RowsPerThread, threads, [&](std::size_t lo, std::size_t hi) {
            for (std::size_t k = lo; k < hi; ++k) {
                if (k < mx) {
                    const std::size_t i = sortedX->order(k);
                    rows[i] = sum(x[i], *sortedY);
                }
                if (k < my) {
                    const std::size_t j = sortedY->order(k);
                    cols[j] = sum(y[j], *sortedX);
                }
            }
        });
        return true;
    }
    case GcccKind::Power:
    case GcccKind::ClipPower: {
        if (m_d.kind == GcccKind::ClipPower && m_d.Delta < 0.0) {
            // every cross term is g(Delta): each row and column sums to 0
            std::fill(rows, rows + mx, 0.0);
            std::fill(cols, cols + my, 0.0);
            return true;
        }
        PowerKernel difference;
        difference.P = m_d.P;
        if (m_d.kind == GcccKind::ClipPower) {
            difference.bound = m_d.Delta;
            difference.limit = m_dist.limit();
        }
        const PowerKernel sum = m_far ? m_expansion.kernel() : difference;
        std::vector<double> p, q;
        if (m_far) {
            p.resize(mx);
            q.resize(my);
            for (std::size_t i = 0; i < mx; ++i)
                p[i] = m_side * x[i];
            for (std::size_t j = 0; j < my; ++j)
                q[j] = m_side * y[j];
        }
        const double* a = m_far ? p.data() : x;
        const double* b = m_far ? q.data() : y;
        if (allPairs || !treePowerSums(a, mx, b, my, difference, sum, rows, cols, threads))
            allPairsPowerSums(a, mx, b, my, difference.bound, m_d.P, m_far ? &sum : nullptr, rows, cols, threads);
        return true;
    }
    }
    return false;
}

// The pairs with a value set apart, term by term (in long double): the rows
// kept gain the columns set apart, a row set apart sums every column, and
// likewise for the columns. Each sum runs in a fixed order whatever the
// threads; a term that fails makes its sum NaN.
void Pass::apartCross(std::vector<double>& rows, std::vector<double>& cols, unsigned threads) const
{
    if (m_apartListX.empty() && m_apartListY.empty())
        return;
    const auto pair = [&](std::int32_t i, std::int32_t j) {
        return static_cast<long double>(crossD(i, j)) - static_cast<long double>(crossS(i, j));
    };
    // the sums of pair(i, j) over j, and over i, in `others`
    const auto rowSum = [&](std::int32_t i, const std::vector<std::int32_t>& others) {
        long double s = 0.0L;
        for (std::int32_t j : others)
            s += pair(i, j);
        return s;
    };
    const auto colSum = [&](std::int32_t j, const std::vector<std::int32_t>& others) {
        long double s = 0.0L;
        for (std::int32_t i : others)
            s += pair(i, j);
        return s;
    };
    std::vector<std::int32_t> every(static_cast<std::size_t>(m_n));
    for (std::int32_t i = 1; i <= m_n; ++i)
        every[static_cast<std::size_t>(i - 1)] = i;
    if (!m_apartListY.empty())
        forBlocks(m_keptX.size(), RowsPerThread, threads, [&](std::size_t lo, std::size_t hi) {
            for (std::size_t k = lo; k < hi; ++k) {
                const auto i = static_cast<std::size_t>(m_keptX[k]);
                rows[i] = static_cast<double>(rows[i] + rowSum(m_keptX[k], m_apartListY));
            }
        });
    if (!m_apartListX.empty())
        forBlocks(m_keptY.size(), RowsPerThread, threads, [&](std::size_t lo, std::size_t hi) {
            for (std::size_t k = lo; k < hi; ++k) {
                const auto j = static_cast<std::size_t>(m_keptY[k]);
                cols[j] = static_cast<double>(cols[j] + colSum(m_keptY[k], m_apartListX));
            }
        });
    const std::size_t apartX = m_apartListX.size();
    forTasks(apartX + m_apartListY.size(), threads, [&](std::size_t k) {
        if (k < apartX) {
            const std::int32_t i = m_apartListX[k];
            rows[static_cast<std::size_t>(i)] = static_cast<double>(rowSum(i, every));
        } else {
            const std::int32_t j = m_apartListY[k - apartX];
            cols[static_cast<std::size_t>(j)] = static_cast<double>(colSum(j, every));
        }
    });
}

void Pass::fast(GcccTerms& t, GcccKernels& out, unsigned threads, bool allPairs) const
{
    const auto n = static_cast<std::size_t>(m_n);
    const OwnValues own = ownValues(threads);
    // Later rows start from the terms the first row left; when no term
    // fails, every term is taken anew and they sum alike.
    const OwnSums first = ownSums(own, t);
    const OwnSums later = m_n >= 2 && !own.complete ? ownSums(own, t) : first;

    std::vector<double> rows(n + 1, 0.0), cols(n + 1, 0.0), diag(n + 1, 0.0);
    bool done = false;
    try {
        done = fastCross(rows, cols, threads, allPairs);
    } catch (const std::bad_alloc&) {
        done = false;
    }
    if (!done)
        literalCross(t, rows, cols);
    else if (m_n >= 1)
        crossTerms(m_n, m_n, t);  // the cross terms as the last pair (n, n) leaves them

    for (std::int32_t i = 1; i <= m_n; ++i) {
        const OwnSums& s = i == 1 ? first : later;
        ownTerms(i, own, t);
        finishRow(i, t, s.sumD, s.sumT, out, diag);
        const auto k = static_cast<std::size_t>(i);
        out.KX[k] = rows[k] - diag[k];
        out.KXt[k] = cols[k] - diag[k];
    }
}

} // namespace

GcccKind gcccKind(int variant, double P)
{
    switch (variant) {
    case 1:
        return GcccKind::Square;
    case 2:
        return GcccKind::Absolute;
    case 3:
        return P == 2.0 ? GcccKind::Square : P == 1.0 ? GcccKind::Absolute : GcccKind::Power;
    case 4:
        return GcccKind::ClipSquare;
    case 5:
        return GcccKind::ClipAbsolute;
    case 6:
        return P == 2.0 ? GcccKind::ClipSquare : P == 1.0 ? GcccKind::ClipAbsolute : GcccKind::ClipPower;
    default:
        return GcccKind::Huber;
    }
}

GcccCentre gcccCentre(const double* x, const double* y, std::int32_t n)
{
    GcccCentre c;
    if (n <= 0)
        return c;
    bool positive = true, negative = true;
    const auto count = static_cast<std::size_t>(n);
    std::vector<double> all(2 * count);
    for (std::size_t i = 1; i <= count; ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i]))
            return c;
        all[2 * i - 2] = x[i];
        all[2 * i - 1] = y[i];
        const bool within = std::fabs(x[i]) <= FastLimit && std::fabs(y[i]) <= FastLimit;
        positive = positive && within && x[i] > 0.0 && y[i] > 0.0;
        negative = negative && within && x[i] < 0.0 && y[i] < 0.0;
    }
    // the lower median: element n of 2n
    std::nth_element(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(count - 1), all.end());
    c.c = all[count - 1];
    c.side = positive ? 1 : negative ? -1 : 0;
    const auto size = count + 1;
    c.xc.assign(size, 0.0);
    c.yc.assign(size, 0.0);
    for (std::size_t i = 1; i < size; ++i) {
        c.xc[i] = x[i] - c.c;
        c.yc[i] = y[i] - c.c;
    }
    return c;
}

void gcccKernelPass(const GcccPassData& data, GcccTerms& terms, GcccKernels& out, GcccPath path,
                    unsigned threads)
{
    const auto size = static_cast<std::size_t>(std::max(data.n, 0)) + 1;
    out.KD.assign(size, 0.0);
    out.KT.assign(size, 0.0);
    out.KX.assign(size, 0.0);
    out.KXt.assign(size, 0.0);
    const Pass pass(data);
    if (path == GcccPath::Literal)
        pass.literal(terms, out);
    else
        pass.fast(terms, out, threads, path == GcccPath::AllPairs);
}

} // namespace SumtrixLib::detail
