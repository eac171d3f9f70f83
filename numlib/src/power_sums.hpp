#pragma once
// Sums of a power kernel k(t - s) over many sources s for many targets t,
// without visiting every pair: a one-dimensional fast multipole method on
// the sorted values (see power_sums.cpp). Internal to the library: the
// generalized concordance coefficients need, per observation, sums of
// |x_i - y_j|^P and |x_i + y_j|^P over j, plain, limited at a bound, and
// expanded about the distance from zero for data far from it.
//
// The terms are also those of the all-pairs rows (concordance_kernels.cpp),
// so both paths evaluate a pair alike.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace SumtrixLib::detail {

// Runs f(k) for k = 0..count-1 on up to `threads` threads (0: one per
// core), each taking the next k when it is done; what no thread can be
// started for runs on the calling thread. An exception from f ends the
// remaining work and reaches the caller once every thread has ended.
template <class F>
void forTasks(std::size_t count, unsigned threads, F f)
{
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    const auto work = [&] {
        try {
            for (std::size_t k = next++; k < count; k = next++)
                f(k);
        } catch (...) {
            next = count;
            const std::lock_guard<std::mutex> hold(failureLock);
            if (!failure)
                failure = std::current_exception();
        }
    };
    std::vector<std::thread> pool;
    try {
        for (unsigned t = 1; t < std::min<std::size_t>(threads, count); ++t)
            pool.emplace_back(work);
    } catch (const std::system_error&) {
        // no further threads: the rest runs here
    }
    work();
    for (std::thread& t : pool)
        t.join();
    if (failure)
        std::rethrow_exception(failure);
}

// (a + v)^P about a > 0, beta = P a^(P-1):
//   psi(v) = (a + v)^P - a^P = a^P expm1(P log1p(v/a));
//   phi(v) = (a + v)^P - a^P - beta v: by its binomial series
//            a^P sum_{k>=2} C(P, k) (v/a)^k for |v/a| < 1/2, beyond as
//            psi(v) - beta v, which there loses at most a factor of about
//            2 / (|P - 1| |v/a|) <= 4 / |P - 1| to cancellation (against
//            some 1 / (|C(P, 2)| (v/a)^2) for (a + v)^P - a^P - beta v:
//            1e-13 for P = 0.3 at v/a = 1/8);
//   phiPrime(v) = P (a + v)^(P-1) - beta, the derivative of phi.
// Defined for a + v >= 0.
struct PowerTaylor {
    double P = 1.0, a = 0.0, aP = 0.0, beta = 0.0;

    PowerTaylor() = default;
    PowerTaylor(double exponent, double centre)
        : P(exponent), a(centre), aP(std::pow(centre, exponent)), beta(exponent * std::pow(centre, exponent - 1.0))
    {
    }

    double phi(double v) const
    {
        const double t = v / a;
        if (std::fabs(t) < 0.5) {
            double coefficient = P * (P - 1.0) / 2.0, power = t * t;
            double sum = coefficient * power;
            for (int k = 3; k < 128; ++k) {
                coefficient *= (P - (k - 1)) / k;
                power *= t;
                const double term = coefficient * power;
                sum += term;
                if (std::fabs(term) <= 1e-17 * std::fabs(sum))
                    break;
            }
            return aP * sum;
        }
        return psi(v) - beta * v;
    }
    double phiPrime(double v) const { return beta * std::expm1((P - 1.0) * std::log1p(v / a)); }
    double psi(double v) const { return aP * std::expm1(P * std::log1p(v / a)); }
};

// The kernel of the sums, as a function of u = t - s rounded to a double
// (u = t + s' for the sums over -s' are the same rounded values):
enum class PowerShape {
    // |u|^P; `limit` where |u| > bound (bound +infinity: never).
    Plain,
    // phi(u) of `taylor`; phi(bound) + beta (bound - u) where u > bound.
    // a + u > 0 for every pair.
    Taylor,
    // psi(u) - psi(bound) = (a + u)^P - (a + bound)^P; 0 where u > bound.
    // a + u > 0 for every pair.
    Shifted,
};

struct PowerKernel {
    PowerShape shape = PowerShape::Plain;
    double P = 1.0;
    double bound = std::numeric_limits<double>::infinity();
    double limit = 0.0;      // Plain: the term beyond the bound
    PowerTaylor taylor;      // Taylor and Shifted
    double boundTerm = 0.0;  // Taylor: phi(bound); Shifted: psi(bound)
};

// ---- one term -------------------------------------------------------------------
//
// Exponents 1.5 and 0.5 take square roots, which vectorise: |u|^1.5 as
// |u| sqrt|u| (within an ulp of the power), and for the expanded shapes
// the difference of roots
//   d = sqrt(a + w) - sqrt(a) = (r - ra) + ((t - r^2) - ((t - a) - w) - (a - ra^2)) / (2 ra)
// with t = a + w rounded, r = sqrt(t) and ra = sqrt(a), exact where w is
// small against a; then, with w = min(v, bound),
//   P = 1.5: phi(w) = d^2 (r + ra / 2),  psi(v) = d (2 a + v + r ra);
//   P = 0.5: phi(w) = -d^2 / (2 ra),     psi(v) = d;
// products of values that carry no cancellation once d is.

// The constants of the square-root forms of a Taylor or Shifted kernel.
struct RootShape {
    double a = 0.0, ra = 0.0, raResidual = 0.0, halfOverRa = 0.0, halfRa = 0.0, beta = 0.0, bound = 0.0,
           boundTerm = 0.0;
    RootShape() = default;
    explicit RootShape(const PowerKernel& k)
        : a(k.taylor.a), ra(std::sqrt(k.taylor.a)), raResidual(std::fma(-ra, ra, a)), halfOverRa(0.5 / ra),
          halfRa(0.5 * ra), beta(k.taylor.beta), bound(k.bound), boundTerm(k.boundTerm)
    {
    }
};

// d and r of the comment above.
[[gnu::always_inline]] inline double rootDifference(const RootShape& s, double w, double& r)
{
    const double t = std::max(s.a + w, 0.0);
    r = std::sqrt(t);
    return (r - s.ra) + ((std::fma(-r, r, t) - ((t - s.a) - w)) - s.raResidual) * s.halfOverRa;
}

[[gnu::always_inline]] inline double plainTerm15(double u, double bound)
{
    const double v = std::min(std::fabs(u), bound);
    return v * std::sqrt(v);
}
[[gnu::always_inline]] inline double plainTerm05(double u, double bound)
{
    return std::sqrt(std::min(std::fabs(u), bound));
}
[[gnu::always_inline]] inline double plainTerm(double u, double bound, double P)
{
    return std::pow(std::min(std::fabs(u), bound), P);
}

[[gnu::always_inline]] inline double taylorTerm15(const RootShape& s, double v)
{
    const double w = std::min(v, s.bound);
    double r;
    const double d = rootDifference(s, w, r);
    return d * d * (r + s.halfRa) + s.beta * (w - v);
}
[[gnu::always_inline]] inline double taylorTerm05(const RootShape& s, double v)
{
    const double w = std::min(v, s.bound);
    double r;
    const double d = rootDifference(s, w, r);
    return s.beta * (w - v) - d * d * s.halfOverRa;
}
inline double taylorTerm(const PowerKernel& k, double v)
{
    const double w = std::min(v, k.bound);
    return k.taylor.phi(w) + k.taylor.beta * (w - v);
}

[[gnu::always_inline]] inline double shiftedTerm15(const RootShape& s, double v)
{
    double r;
    const double d = rootDifference(s, v, r);
    return v > s.bound ? 0.0 : d * (2.0 * s.a + v + r * s.ra) - s.boundTerm;
}
[[gnu::always_inline]] inline double shiftedTerm05(const RootShape& s, double v)
{
    double r;
    const double d = rootDifference(s, v, r);
    return v > s.bound ? 0.0 : d - s.boundTerm;
}
inline double shiftedTerm(const PowerKernel& k, double v)
{
    return v > k.bound ? 0.0 : k.taylor.psi(v) - k.boundTerm;
}

// One term of the kernel at u.
inline double powerTerm(const PowerKernel& k, double u)
{
    switch (k.shape) {
    case PowerShape::Plain:
        return std::fabs(u) > k.bound ? k.limit : std::pow(std::fabs(u), k.P);
    case PowerShape::Taylor:
        return taylorTerm(k, u);
    case PowerShape::Shifted:
        return shiftedTerm(k, u);
    }
    return std::numeric_limits<double>::quiet_NaN();
}

// ---- the sums ----------------------------------------------------------------

// v(0..n-1) sorted ascending (equal values in input order), and for each
// place the input index of its value: a radix sort, linear in n. The
// values must not be NaN.
void sortValues(const double* v, std::size_t n, std::vector<double>& sorted, std::vector<std::uint32_t>& order);

// Values sorted ascending without repeats, each with its multiplicity, and
// for every element of the input the position of its value.
struct DistinctValues {
    std::vector<double> values;
    std::vector<double> counts;
    std::vector<std::uint32_t> position;

    // v(0..n-1), every value finite.
    static DistinctValues of(const double* v, std::size_t n);
    // The values negated (ascending again), with the same input positions.
    DistinctValues negated() const;
};

// The order of the expansions and the separation they need, for an
// exponent; `terms` is 0 when no order up to the largest reaches full
// precision (an exponent far from zero), and then the sums cannot be had.
struct PowerOrder {
    int terms = 0;       // K + 1: powers 0..K
    double ratio = 0.0;  // largest (radius of targets + radius of sources) / distance
    explicit PowerOrder(double P);
};

// out[i] = sum over the sources j of counts_j k(t_i - s_j), for every
// distinct target t_i (out has targets.values.size() elements). False when
// the exponent takes no expansion (PowerOrder::terms == 0). The sums do not
// depend on `threads` (0: one per core): each is formed in a fixed order.
bool powerSums(const PowerKernel& k, const DistinctValues& targets, const DistinctValues& sources,
               std::vector<double>& out, unsigned threads = 0);

} // namespace SumtrixLib::detail
