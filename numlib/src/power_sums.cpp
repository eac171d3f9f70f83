// Sums of a power kernel over sorted sources by a one-dimensional fast
// multipole method.
//
// For every target t the sum over the sources s_j (each with its
// multiplicity) of k(t - s_j), where k is |u|^P or one of the expanded
// forms of power_sums.hpp, without visiting every pair:
// - the distinct sources and the distinct targets, each sorted, are split
//   in halves down to leaves of at most LeafSize values; a node knows its
//   smallest and largest value, its centre c and radius r;
// - a node of sources holds its moments mu_k = sum_j n_j ((s_j - c) / r)^k,
//   k = 0..K (at the leaves from the values, above from the children's);
// - for a node of targets (centre ct, radius rt) and one of sources (cs, rs)
//   at distance d0 = ct - cs with rt + rs <= rho w, w = |d0| (for the
//   expanded forms w = a + d0, the distance from the kernel's singular
//   point u = -a), every pair has |t - s| = w |1 + sigma (tau - e) / w|
//   with |tau - e| <= rho w, and
//     sum_j (w + sigma (tau - e_j))^P
//       = w^P sum_{m+k<=K} C(P, m+k) C(m+k, m) (sigma tau / w)^m (-sigma e_j / w)^k
//   up to the series' tail: the sources' moments become the coefficients
//   of a polynomial in tau = t - ct (a local expansion of the node of
//   targets), passed down to its children by re-centring and evaluated at
//   each target in the leaves;
// - pairs of nodes that are not so separated are split, the larger first,
//   down to pairs of leaves, which are summed term by term with the terms
//   of the all-pairs loop.
// Bounds: where every pair of two nodes lies beyond the kernel's bound
// (judged on the rounded differences of the nodes' extreme values, which
// are the extremes of every pair's rounded difference, so each pair is
// judged as the literal loop judges it), their sum is the bound's term
// times the count, or for the Taylor form the affine function it is; where
// some pairs lie beyond and some within, the nodes are split as above.
//
// The order K and the ratio rho: the series of (1 + x)^P at |x| <= rho
// has terms that add up in magnitude to at most ((1 + rho)/(1 - rho))^|P|
// times its value; rho = 1/2 keeps that within 32 for |P| up to 3.15, and
// smaller ratios do for larger exponents. K is the first order whose tail,
// sum over n > K of |C(P, n)| rho^n, is below 1e-16 (1 - rho)^|P|, so the
// truncation stays below 1e-16 of the sum: 41 terms past the constant for
// P = 1.5, 44 for 0.5, 38 for 2.5 (K + 1 coefficients). Against
// compensated all-pairs sums the tree sums came within 3.5e-15 of the sum
// of the terms' magnitudes (the sum itself for the plain power) on every
// set of the tests.
//
// The expanded forms near their zero: the Taylor form phi(u) = (a + u)^P -
// a^P - beta u is expanded about d0 as sum_j phi(d0 - e_j) = n phi(d0) -
// phi'(d0) sum e_j + sum_{k>=2} (the terms of (a + u)^P), with phi(d0) and
// phi'(d0) from their cancellation-free forms (PowerTaylor), and likewise
// the linear coefficient of the local expansion; the terms of order two
// and more carry no cancellation. The Shifted form's constant term is
// n (psi(d0) - psi(D)) rather than n ((a + d0)^P - (a + D)^P).
//
// Threads: the nodes of targets below a fixed depth are tasks that the
// threads take in turn. Each target's sum is formed from the same nodes in
// the same order whatever the thread that forms it, so the sums do not
// depend on the number of threads at all (not even in the last bit).
#include "power_sums.hpp"

#include <algorithm>
#include <cstring>
#include <thread>
#include <utility>

namespace SumtrixLib::detail {

namespace {

// Values per leaf: a target leaf sums a few leaves of sources term by term.
constexpr std::uint32_t LeafSize = 32;
// The largest order that an exponent may need.
constexpr int MaxOrder = 80;
constexpr int MaxTerms = MaxOrder + 1;

// ---- trees ------------------------------------------------------------------------

struct Node {
    std::uint32_t lo = 0, hi = 0;  // values lo..hi-1
    std::int32_t first = -1;       // the first of its two children; -1 for a leaf
    std::int32_t depth = 0;
    double low = 0.0, high = 0.0;  // the smallest and the largest value
    double centre = 0.0, radius = 0.0;
    bool leaf() const { return first < 0; }
};

// The nodes breadth first (children after their parent) over sorted
// distinct values.
std::vector<Node> buildTree(const std::vector<double>& v)
{
    std::vector<Node> nodes;
    const auto m = static_cast<std::uint32_t>(v.size());
    if (m == 0)
        return nodes;
    nodes.reserve(2 * (m / LeafSize + 1));
    Node root;
    root.hi = m;
    nodes.push_back(root);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const std::uint32_t lo = nodes[i].lo, hi = nodes[i].hi;
        const std::int32_t depth = nodes[i].depth;
        Node& node = nodes[i];
        node.low = v[lo];
        node.high = v[hi - 1];
        node.centre = node.low + 0.5 * (node.high - node.low);
        node.radius = std::max(node.high - node.centre, node.centre - node.low);
        if (hi - lo <= LeafSize)
            continue;
        node.first = static_cast<std::int32_t>(nodes.size());
        const std::uint32_t mid = lo + (hi - lo) / 2;
        Node left, right;
        left.lo = lo;
        left.hi = mid;
        right.lo = mid;
        right.hi = hi;
        left.depth = right.depth = depth + 1;
        nodes.push_back(left);
        nodes.push_back(right);
    }
    return nodes;
}

// ---- direct sums over a leaf ----------------------------------------------------

// sum_j c_j term(s_j) for j < m, in eight interleaved partial sums added
// pairwise at the end. Inlined into each build of the functions below.
template <class T>
[[gnu::always_inline]] inline double leafSum(const double* __restrict s, const double* __restrict c, std::size_t m,
                                             const T& term)
{
    double acc[8] = {};
    std::size_t j = 0;
    for (; j + 8 <= m; j += 8)
        for (std::size_t l = 0; l < 8; ++l)
            acc[l] += c[j + l] * term(s[j + l]);
    for (std::size_t l = 0; j < m; ++j, ++l)
        acc[l] += c[j] * term(s[j]);
    return ((acc[0] + acc[1]) + (acc[2] + acc[3])) + ((acc[4] + acc[5]) + (acc[6] + acc[7]));
}

// On x86-64 each is also built for AVX2 and AVX-512, one chosen by what the
// processor has; all builds add in the same order.
#if defined(__x86_64__) && defined(__GNUC__)
#define POWER_SUMS_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define POWER_SUMS_CLONES
#endif

POWER_SUMS_CLONES double plainLeaf15(double t, const double* s, const double* c, std::size_t m, double bound)
{
    return leafSum(s, c, m, [=](double sj) { return plainTerm15(t - sj, bound); });
}
POWER_SUMS_CLONES double plainLeaf05(double t, const double* s, const double* c, std::size_t m, double bound)
{
    return leafSum(s, c, m, [=](double sj) { return plainTerm05(t - sj, bound); });
}
POWER_SUMS_CLONES double taylorLeaf15(double t, const double* s, const double* c, std::size_t m, RootShape r)
{
    return leafSum(s, c, m, [=](double sj) { return taylorTerm15(r, t - sj); });
}
POWER_SUMS_CLONES double taylorLeaf05(double t, const double* s, const double* c, std::size_t m, RootShape r)
{
    return leafSum(s, c, m, [=](double sj) { return taylorTerm05(r, t - sj); });
}
POWER_SUMS_CLONES double shiftedLeaf15(double t, const double* s, const double* c, std::size_t m, RootShape r)
{
    return leafSum(s, c, m, [=](double sj) { return shiftedTerm15(r, t - sj); });
}
POWER_SUMS_CLONES double shiftedLeaf05(double t, const double* s, const double* c, std::size_t m, RootShape r)
{
    return leafSum(s, c, m, [=](double sj) { return shiftedTerm05(r, t - sj); });
}
double generalLeaf(double t, const double* s, const double* c, std::size_t m, const PowerKernel& k)
{
    return leafSum(s, c, m, [&](double sj) { return powerTerm(k, t - sj); });
}

// ---- the method ------------------------------------------------------------------

class Engine {
public:
    Engine(const PowerKernel& k, const PowerOrder& order, const DistinctValues& targets,
           const DistinctValues& sources, std::vector<double>& out)
        : m_k(k), m_K1(order.terms), m_rho(order.ratio), m_t(targets), m_s(sources),
          m_tTree(buildTree(targets.values)), m_sTree(buildTree(sources.values)), m_out(out),
          m_plain(k.shape == PowerShape::Plain), m_root(k)
    {
        m_exponent = k.P == 1.5 ? Exponent::OneAndHalf : k.P == 0.5 ? Exponent::Half : Exponent::General;
        tables();
    }

    void run(unsigned threads);

private:
    enum class Region { Limited, Within, Mixed };
    enum class Exponent { OneAndHalf, Half, General };
    struct Task {
        std::uint32_t node;
        std::vector<std::uint32_t> candidates;
    };

    void tables();
    void moments(unsigned threads);
    Region region(const Node& A, const Node& B) const;
    bool separated(const Node& A, const Node& B) const;
    void limited(const Node& A, std::uint32_t b, double* L) const;
    void expand(const Node& A, std::uint32_t b, double* L) const;
    void direct(const Node& A, const Node& B);
    void shift(const Node& parent, const Node& child, const double* from, double* to) const;
    void evaluate(const Node& A, const double* L);
    void resolve(std::uint32_t a, std::vector<std::uint32_t> stack, std::vector<std::uint32_t>& deferred);
    void descend(std::uint32_t a, const std::vector<std::uint32_t>& candidates, std::vector<Task>* tasks,
                 std::int32_t taskDepth);

    double* local(std::uint32_t a) { return m_local.data() + static_cast<std::size_t>(a) * m_K1; }
    const double* moment(std::uint32_t b) const { return m_moments.data() + static_cast<std::size_t>(b) * m_K1; }

    const PowerKernel& m_k;
    const int m_K1;
    const double m_rho;
    const DistinctValues& m_t;
    const DistinctValues& m_s;
    const std::vector<Node> m_tTree, m_sTree;
    std::vector<double>& m_out;
    const bool m_plain;
    const RootShape m_root;
    Exponent m_exponent = Exponent::General;

    // m2l[k][m] = C(P, m + k) C(m + k, m), m + k <= K (for the Taylor form
    // without the terms that phi and phi' replace); binomial[k][l] = C(k, l).
    std::vector<double> m_m2l, m_binomial;
    std::vector<double> m_moments, m_local, m_direct;
};

void Engine::tables()
{
    const auto K1 = static_cast<std::size_t>(m_K1);
    m_binomial.assign(K1 * K1, 0.0);
    for (std::size_t k = 0; k < K1; ++k) {
        m_binomial[k * K1] = 1.0;
        for (std::size_t l = 1; l <= k; ++l)
            m_binomial[k * K1 + l] = m_binomial[(k - 1) * K1 + l - 1] + (l < k ? m_binomial[(k - 1) * K1 + l] : 0.0);
    }
    std::vector<double> cP(K1, 0.0);  // C(P, n)
    cP[0] = 1.0;
    for (std::size_t n = 1; n < K1; ++n)
        cP[n] = cP[n - 1] * (m_k.P - static_cast<double>(n - 1)) / static_cast<double>(n);
    m_m2l.assign(K1 * K1, 0.0);
    for (std::size_t k = 0; k < K1; ++k)
        for (std::size_t m = 0; m + k < K1; ++m)
            m_m2l[k * K1 + m] = cP[m + k] * m_binomial[(m + k) * K1 + m];
    if (m_k.shape != PowerShape::Plain)
        m_m2l[0] = 0.0;  // m = 0, k = 0: n phi(d0), or n (psi(d0) - psi(D))
    if (m_k.shape == PowerShape::Taylor) {
        m_m2l[1] = 0.0;   // m = 1, k = 0: n phi'(d0)
        m_m2l[K1] = 0.0;  // m = 0, k = 1: -phi'(d0) sum e_j
    }
}

// Moments of every node of sources: at the leaves from the values, above
// from the two children's, moved to the parent's centre and scale: with
// e/r = A (e'/r') + B, A = r'/r and B = (c' - c)/r,
//   mu_k = sum_l C(k, l) A^l B^(k - l) mu'_l.
void Engine::moments(unsigned threads)
{
    const auto K1 = static_cast<std::size_t>(m_K1);
    m_moments.assign(m_sTree.size() * K1, 0.0);
    std::vector<std::uint32_t> leaves;
    for (std::uint32_t b = 0; b < m_sTree.size(); ++b)
        if (m_sTree[b].leaf())
            leaves.push_back(b);
    const std::size_t perTask = 256;
    forTasks((leaves.size() + perTask - 1) / perTask, threads, [&](std::size_t task) {
        const std::size_t end = std::min(leaves.size(), (task + 1) * perTask);
        for (std::size_t q = task * perTask; q < end; ++q) {
            const Node& B = m_sTree[leaves[q]];
            double* mu = m_moments.data() + leaves[q] * K1;
            for (std::uint32_t j = B.lo; j < B.hi; ++j) {
                const double e = B.radius > 0.0 ? (m_s.values[j] - B.centre) / B.radius : 0.0;
                double p = m_s.counts[j];
                for (std::size_t k = 0; k < K1; ++k) {
                    mu[k] += p;
                    p *= e;
                }
            }
        }
    });
    const auto fromChildren = [&](std::size_t b) {
        const Node& B = m_sTree[b];
        double* mu = m_moments.data() + b * K1;
        double Apow[MaxTerms], Bpow[MaxTerms], scaled[MaxTerms];
        for (std::int32_t c = B.first; c < B.first + 2; ++c) {
            const Node& C = m_sTree[static_cast<std::size_t>(c)];
            const double* child = m_moments.data() + static_cast<std::size_t>(c) * K1;
            const double A = C.radius / B.radius, shiftBy = (C.centre - B.centre) / B.radius;
            Apow[0] = Bpow[0] = 1.0;
            for (std::size_t k = 1; k < K1; ++k) {
                Apow[k] = Apow[k - 1] * A;
                Bpow[k] = Bpow[k - 1] * shiftBy;
            }
            for (std::size_t l = 0; l < K1; ++l)
                scaled[l] = Apow[l] * child[l];
            for (std::size_t k = 0; k < K1; ++k) {
                double sum = 0.0;
                for (std::size_t l = 0; l <= k; ++l)
                    sum += m_binomial[k * K1 + l] * Bpow[k - l] * scaled[l];
                mu[k] += sum;
            }
        }
    };
    // Level by level from the deepest (breadth-first order keeps a level's
    // nodes together); the nodes of a level are independent.
    std::size_t end = m_sTree.size();
    while (end > 0) {
        const std::int32_t depth = m_sTree[end - 1].depth;
        std::size_t begin = end;
        while (begin > 0 && m_sTree[begin - 1].depth == depth)
            --begin;
        const std::size_t chunk = 512, chunks = (end - begin + chunk - 1) / chunk;
        forTasks(chunks, chunks > 1 ? threads : 1, [&](std::size_t task) {
            const std::size_t last = std::min(end, begin + (task + 1) * chunk);
            for (std::size_t b = begin + task * chunk; b < last; ++b)
                if (!m_sTree[b].leaf())
                    fromChildren(b);
        });
        end = begin;
    }
}

// Where the pairs of two nodes lie against the bound, from the extremes of
// their rounded differences u = t - s.
Engine::Region Engine::region(const Node& A, const Node& B) const
{
    const double bound = m_k.bound;
    if (!(bound < std::numeric_limits<double>::infinity()))
        return Region::Within;
    const double umin = A.low - B.high, umax = A.high - B.low;
    if (m_plain) {
        if (bound < 0.0 || umin > bound || umax < -bound)
            return Region::Limited;
        return umin >= -bound && umax <= bound ? Region::Within : Region::Mixed;
    }
    if (umin > bound)
        return Region::Limited;
    return umax <= bound ? Region::Within : Region::Mixed;
}

bool Engine::separated(const Node& A, const Node& B) const
{
    const double d0 = A.centre - B.centre;
    const double w = m_plain ? std::fabs(d0) : m_k.taylor.a + d0;
    return w > 0.0 && A.radius + B.radius <= m_rho * w;
}

// Every pair beyond the bound: the Plain form's limit times the count; the
// Taylor form's phi(D) + beta (D - u) summed over u = d0 + tau - e_j,
//   n phi(D) + beta (n (D - d0) + sum e_j) - beta n tau;
// the Shifted form's 0.
void Engine::limited(const Node& A, std::uint32_t b, double* L) const
{
    const Node& B = m_sTree[b];
    const double* mu = moment(b);
    switch (m_k.shape) {
    case PowerShape::Plain:
        L[0] += m_k.limit * mu[0];
        break;
    case PowerShape::Taylor: {
        const double D = m_k.bound, d0 = A.centre - B.centre, beta = m_k.taylor.beta;
        L[0] += mu[0] * m_k.boundTerm + beta * (mu[0] * (D - d0) + B.radius * mu[1]);
        if (m_K1 > 1)
            L[1] -= beta * mu[0] * A.radius;
        break;
    }
    case PowerShape::Shifted:
        break;
    }
}

// The local expansion of the node of sources b about the centre of A (see
// the top of this file): lambda_m += w^P alpha^m sum_k m2l[k][m] beta^k mu_k
// with alpha = sigma rt / w and beta = -sigma rs / w.
void Engine::expand(const Node& A, std::uint32_t b, double* L) const
{
    const Node& B = m_sTree[b];
    const double d0 = A.centre - B.centre;
    const double sigma = m_plain ? (d0 > 0.0 ? 1.0 : -1.0) : 1.0;
    const double w = m_plain ? std::fabs(d0) : m_k.taylor.a + d0;
    const double alpha = sigma * A.radius / w, beta = -sigma * B.radius / w;
    const double* mu = moment(b);
    const int K1 = m_K1;
    double sums[MaxTerms] = {};
    double p = 1.0;
    for (int k = 0; k < K1; ++k) {
        const double bk = p * mu[k];
        const double* column = m_m2l.data() + static_cast<std::size_t>(k) * static_cast<std::size_t>(K1);
        for (int m = 0; m < K1 - k; ++m)
            sums[m] += column[m] * bk;
        p *= beta;
    }
    double scale = std::pow(w, m_k.P);
    for (int m = 0; m < K1; ++m) {
        L[m] += scale * sums[m];
        scale *= alpha;
    }
    if (m_k.shape == PowerShape::Taylor) {
        const double slope = m_k.taylor.phiPrime(d0);
        L[0] += mu[0] * m_k.taylor.phi(d0) - slope * B.radius * mu[1];
        L[1] += A.radius * mu[0] * slope;
    } else if (m_k.shape == PowerShape::Shifted) {
        L[0] += mu[0] * (m_k.taylor.psi(d0) - m_k.boundTerm);
    }
}

// Two leaves, pair by pair.
void Engine::direct(const Node& A, const Node& B)
{
    const double* s = m_s.values.data() + B.lo;
    const double* c = m_s.counts.data() + B.lo;
    const std::size_t m = B.hi - B.lo;
    for (std::uint32_t i = A.lo; i < A.hi; ++i) {
        const double t = m_t.values[i];
        double sum = 0.0;
        switch (m_k.shape) {
        case PowerShape::Plain:
            sum = m_exponent == Exponent::OneAndHalf ? plainLeaf15(t, s, c, m, m_k.bound)
                  : m_exponent == Exponent::Half     ? plainLeaf05(t, s, c, m, m_k.bound)
                                                     : generalLeaf(t, s, c, m, m_k);
            break;
        case PowerShape::Taylor:
            sum = m_exponent == Exponent::OneAndHalf ? taylorLeaf15(t, s, c, m, m_root)
                  : m_exponent == Exponent::Half     ? taylorLeaf05(t, s, c, m, m_root)
                                                     : generalLeaf(t, s, c, m, m_k);
            break;
        case PowerShape::Shifted:
            sum = m_exponent == Exponent::OneAndHalf ? shiftedLeaf15(t, s, c, m, m_root)
                  : m_exponent == Exponent::Half     ? shiftedLeaf05(t, s, c, m, m_root)
                                                     : generalLeaf(t, s, c, m, m_k);
            break;
        }
        m_direct[i] += sum;
    }
}

// The local expansion of a parent about the centre and scale of a child:
// the polynomial in tau/r re-centred by repeated synthetic division, then
// rescaled.
void Engine::shift(const Node& parent, const Node& child, const double* from, double* to) const
{
    const int K1 = m_K1;
    double c[MaxTerms];
    std::copy(from, from + K1, c);
    if (parent.radius > 0.0) {
        const double s = (child.centre - parent.centre) / parent.radius;
        for (int i = 0; i < K1 - 1; ++i)
            for (int j = K1 - 2; j >= i; --j)
                c[j] += s * c[j + 1];
        const double ratio = child.radius / parent.radius;
        double scale = 1.0;
        for (int m = 0; m < K1; ++m) {
            to[m] += scale * c[m];
            scale *= ratio;
        }
    } else {
        to[0] += c[0];
    }
}

void Engine::evaluate(const Node& A, const double* L)
{
    for (std::uint32_t i = A.lo; i < A.hi; ++i) {
        const double tau = A.radius > 0.0 ? (m_t.values[i] - A.centre) / A.radius : 0.0;
        double value = 0.0;
        for (int m = m_K1; m-- > 0;)
            value = value * tau + L[m];
        m_out[i] = value + m_direct[i];
    }
}

// Takes every candidate node of sources as far as the node of targets a
// can: limited, expanded, summed pair by pair (a leaf against a leaf), or
// split; a candidate that a's children must take is deferred to them.
void Engine::resolve(std::uint32_t a, std::vector<std::uint32_t> stack, std::vector<std::uint32_t>& deferred)
{
    const Node& A = m_tTree[a];
    double* L = local(a);
    while (!stack.empty()) {
        const std::uint32_t b = stack.back();
        stack.pop_back();
        const Node& B = m_sTree[b];
        const Region r = region(A, B);
        if (r == Region::Limited) {
            limited(A, b, L);
            continue;
        }
        if (r == Region::Within && separated(A, B)) {
            expand(A, b, L);
            continue;
        }
        const bool splitSources = !B.leaf() && (A.leaf() || B.radius > A.radius);
        if (splitSources) {
            stack.push_back(static_cast<std::uint32_t>(B.first) + 1);
            stack.push_back(static_cast<std::uint32_t>(B.first));
        } else if (A.leaf()) {
            direct(A, B);
        } else {
            deferred.push_back(b);
        }
    }
}

void Engine::descend(std::uint32_t a, const std::vector<std::uint32_t>& candidates, std::vector<Task>* tasks,
                     std::int32_t taskDepth)
{
    std::vector<std::uint32_t> deferred;
    resolve(a, candidates, deferred);
    const Node& A = m_tTree[a];
    if (A.leaf()) {
        evaluate(A, local(a));
        return;
    }
    for (std::int32_t c = A.first; c < A.first + 2; ++c) {
        const auto child = static_cast<std::uint32_t>(c);
        shift(A, m_tTree[child], local(a), local(child));
        if (tasks && m_tTree[child].depth >= taskDepth)
            tasks->push_back(Task{child, deferred});
        else
            descend(child, deferred, tasks, taskDepth);
    }
}

void Engine::run(unsigned threads)
{
    // a thread for every 4,096 values at the most: below, starting threads
    // costs more than they save
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t values = std::max(m_t.values.size(), m_s.values.size());
    threads = static_cast<unsigned>(std::clamp<std::size_t>(values / 4096, 1, threads));
    m_out.assign(m_t.values.size(), 0.0);
    if (m_tTree.empty() || m_sTree.empty())
        return;
    moments(threads);
    m_local.assign(m_tTree.size() * static_cast<std::size_t>(m_K1), 0.0);
    m_direct.assign(m_t.values.size(), 0.0);
    // about 16 tasks per thread, so that uneven ones even out
    std::int32_t taskDepth = 0;
    while ((std::size_t{1} << taskDepth) < 16u * threads)
        ++taskDepth;
    std::vector<Task> tasks;
    descend(0, {0}, &tasks, taskDepth);
    forTasks(tasks.size(), threads, [&](std::size_t k) { descend(tasks[k].node, tasks[k].candidates, nullptr, 0); });
}

} // namespace

void sortValues(const double* v, std::size_t n, std::vector<double>& sorted, std::vector<std::uint32_t>& order)
{
    // Keys whose unsigned order is the order of the values: the sign bit
    // set for the positive ones, every bit flipped for the negative ones;
    // -0 takes the key of +0, so that equal values stay in input order.
    std::vector<std::uint64_t> key(n), keyTo(n);
    std::vector<std::uint32_t> from(n), to(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double value = v[i] == 0.0 ? 0.0 : v[i];
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        key[i] = bits >> 63 ? ~bits : bits | (std::uint64_t{1} << 63);
        from[i] = static_cast<std::uint32_t>(i);
    }
    // least significant digit first, 16 bits a pass, each stable; a digit
    // that every key shares takes no pass
    std::vector<std::size_t> count(std::size_t{1} << 16);
    for (int shift = 0; shift < 64; shift += 16) {
        std::fill(count.begin(), count.end(), 0);
        for (std::size_t i = 0; i < n; ++i)
            ++count[(key[i] >> shift) & 0xFFFF];
        if (n == 0 || count[(key[0] >> shift) & 0xFFFF] == n)
            continue;
        std::size_t start = 0;
        for (std::size_t& c : count)
            start += std::exchange(c, start);
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t k = count[(key[i] >> shift) & 0xFFFF]++;
            keyTo[k] = key[i];
            to[k] = from[i];
        }
        key.swap(keyTo);
        from.swap(to);
    }
    sorted.resize(n);
    for (std::size_t k = 0; k < n; ++k)
        sorted[k] = v[from[k]];
    order = std::move(from);
}

DistinctValues DistinctValues::of(const double* v, std::size_t n)
{
    DistinctValues d;
    std::vector<double> sorted;
    std::vector<std::uint32_t> order;
    sortValues(v, n, sorted, order);
    d.position.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        if (k == 0 || sorted[k] != sorted[k - 1]) {
            d.values.push_back(sorted[k]);
            d.counts.push_back(0.0);
        }
        d.counts.back() += 1.0;
        d.position[order[k]] = static_cast<std::uint32_t>(d.values.size() - 1);
    }
    return d;
}

DistinctValues DistinctValues::negated() const
{
    DistinctValues d;
    const std::size_t m = values.size();
    d.values.resize(m);
    d.counts.resize(m);
    for (std::size_t k = 0; k < m; ++k) {
        d.values[k] = -values[m - 1 - k];
        d.counts[k] = counts[m - 1 - k];
    }
    d.position.resize(position.size());
    for (std::size_t i = 0; i < position.size(); ++i)
        d.position[i] = static_cast<std::uint32_t>(m - 1 - position[i]);
    return d;
}

PowerOrder::PowerOrder(double P)
{
    if (!std::isfinite(P))
        return;
    const double magnitude = std::fabs(P);
    double rho = 0.5;
    if (magnitude > 0.0) {
        const double g = std::pow(32.0, 1.0 / magnitude);
        rho = std::min(0.5, (g - 1.0) / (g + 1.0));
    }
    // |C(P, n)| rho^n for n up to MaxOrder + 2000; the tail past K is the
    // sum of those above K.
    constexpr int Count = MaxOrder + 2000;
    std::vector<double> term(Count + 1);
    double c = 1.0, power = 1.0;
    for (int n = 0; n <= Count; ++n) {
        term[static_cast<std::size_t>(n)] = std::fabs(c) * power;
        c *= (P - n) / (n + 1.0);
        power *= rho;
    }
    const double target = 1e-16 * std::pow(1.0 - rho, magnitude);
    double tail = 0.0;
    for (int n = Count; n > MaxOrder; --n)
        tail += term[static_cast<std::size_t>(n)];
    for (int K = MaxOrder; K >= 2; --K) {
        // tail = sum over n > K
        if (!(tail <= target))
            break;
        terms = K + 1;
        tail += term[static_cast<std::size_t>(K)];
    }
    if (terms > 0)
        ratio = rho;
}

bool powerSums(const PowerKernel& k, const DistinctValues& targets, const DistinctValues& sources,
               std::vector<double>& out, unsigned threads)
{
    const PowerOrder order(k.P);
    if (order.terms == 0)
        return false;
    Engine engine(k, order, targets, sources, out);
    engine.run(threads);
    return true;
}

} // namespace SumtrixLib::detail
