// Sums of power kernels by the one-dimensional fast multipole method
// (power_sums.cpp) against compensated all-pairs sums.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "power_sums.hpp"

using namespace SumtrixLib::detail;

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

// The kernel's term at the rounded u, in long double: the powers by powl,
// phi by its series below |v/a| = 1/2 (to 1e-22), so that the reference
// keeps some 18 digits of every term.
class ReferenceTerm {
public:
    explicit ReferenceTerm(const PowerKernel& k)
        : m_k(k), m_P(k.P), m_a(k.taylor.a), m_aP(powl(m_a, m_P)), m_beta(m_P * powl(m_a, m_P - 1)),
          m_atBound(k.shape == PowerShape::Taylor ? phi(k.bound) : psi(k.bound))
    {
    }
    long double operator()(double u) const
    {
        switch (m_k.shape) {
        case PowerShape::Plain:
            return std::fabs(u) > m_k.bound ? static_cast<long double>(m_k.limit) : powl(fabsl(u), m_P);
        case PowerShape::Taylor:
            return u > m_k.bound ? m_atBound + m_beta * (static_cast<long double>(m_k.bound) - u) : phi(u);
        case PowerShape::Shifted:
            return u > m_k.bound ? 0.0L : psi(u) - m_atBound;
        }
        return 0;
    }

private:
    long double phi(long double v) const
    {
        const long double t = v / m_a;
        if (!(fabsl(t) < 0.5L))
            return powl(m_a + v, m_P) - m_aP - m_beta * v;
        long double c = m_P * (m_P - 1) / 2, power = t * t, sum = 0;
        for (int j = 2; j < 200; ++j) {
            const long double term = c * power;
            sum += term;
            if (fabsl(term) <= 1e-22L * fabsl(sum))
                break;
            c *= (m_P - j) / (j + 1);
            power *= t;
        }
        return m_aP * sum;
    }
    long double psi(long double v) const { return powl(m_a + v, m_P) - m_aP; }

    const PowerKernel& m_k;
    long double m_P, m_a, m_aP, m_beta, m_atBound;
};

// sum_j term(t - s_j) by Neumaier's compensated summation in long double,
// and the sum of the terms' magnitudes.
struct Reference {
    double sum, magnitude;
};
Reference allPairs(const PowerKernel& k, double t, const std::vector<double>& s)
{
    const ReferenceTerm term(k);
    long double sum = 0, compensation = 0, magnitude = 0;
    for (double sj : s) {
        const long double v = term(t - sj);
        magnitude += fabsl(v);
        const long double next = sum + v;
        compensation += fabsl(sum) >= fabsl(v) ? (sum - next) + v : (v - next) + sum;
        sum = next;
    }
    return {static_cast<double>(sum + compensation), static_cast<double>(magnitude)};
}

// n pairs around `centre`: normal, or with heavy tails (a normal over a
// uniform's square root: t-like with 2 degrees of freedom), or rounded to
// integers (ties).
struct Data {
    std::vector<double> x, y;
};
enum class Shape { Normal, HeavyTails, Integers };
Data makeData(std::uint64_t seed, std::size_t n, double centre, double spread, Shape shape)
{
    std::mt19937_64 gen(seed);
    std::normal_distribution<double> normal;
    std::uniform_real_distribution<double> uniform(0.05, 1.0);
    Data d{std::vector<double>(n), std::vector<double>(n)};
    for (std::size_t i = 0; i < n; ++i) {
        double u = normal(gen), v = 0.8 * u + 0.6 * normal(gen);
        if (shape == Shape::HeavyTails) {
            u /= std::sqrt(uniform(gen));
            v /= std::sqrt(uniform(gen));
        }
        d.x[i] = centre + spread * u;
        d.y[i] = centre + spread * v;
        if (shape == Shape::Integers) {
            d.x[i] = std::round(d.x[i]);
            d.y[i] = std::round(d.y[i]);
        }
    }
    return d;
}

std::vector<double> negated(const std::vector<double>& v)
{
    std::vector<double> out(v.size());
    std::transform(v.begin(), v.end(), out.begin(), [](double a) { return -a; });
    return out;
}

// The tree sums of every target, in the targets' order.
std::vector<double> treeSums(const PowerKernel& k, const std::vector<double>& t, const std::vector<double>& s,
                             unsigned threads = 0)
{
    const DistinctValues T = DistinctValues::of(t.data(), t.size()), S = DistinctValues::of(s.data(), s.size());
    std::vector<double> distinct, out(t.size());
    EXPECT_TRUE(powerSums(k, T, S, distinct, threads));
    for (std::size_t i = 0; i < t.size(); ++i)
        out[i] = distinct[T.position[i]];
    return out;
}

} // namespace

// Per target, the sum over the sources of the plain power |t - s|^P (the
// differences x_i - y_j and, over -y, the sums x_i + y_j), the same limited
// at a bound, and the expanded forms that data far from zero take (phi about
// a = 2 centre, limited beyond a bound D, and the shifted form for a beyond
// Delta), against Neumaier-compensated all-pairs sums in long double of the
// same rounded arguments: within 1e-13 of the sum of the terms' magnitudes,
// which for the plain powers is the sum itself. Sets: n = 3 to 20,000,
// tidy, heavy tails, integers (ties, and targets equal to sources), 1e6 and
// 1e9 from zero; exponents 0.5, 1.5 and 2.5 (the ratio 1/2 and 39 to 45
// terms of the expansions), 0.3, 1.999 (near an integer), -0.7 and 7
// (ratio 0.28). The worst seen
// is 3.5e-15 (the limited expanded sums at P = 2.5, n = 20,000).
TEST(PowerSums, MatchCompensatedAllPairsSums)
{
    const struct {
        const char* name;
        std::size_t n;
        double centre, spread;
        Shape shape;
    } sets[] = {
        {"n 3", 3, 5, 2, Shape::Normal},
        {"n 40", 40, 20, 3, Shape::Normal},
        {"tidy", 3000, 20, 3, Shape::Normal},
        {"heavy tails", 3000, 40, 1, Shape::HeavyTails},
        {"ties", 5000, 8, 1.7, Shape::Integers},
        {"1e6", 2000, 1e6, 10, Shape::Normal},
        {"1e9", 2000, 1e9, 3, Shape::Normal},
        {"near zero", 4000, 3, 1, Shape::Normal},
        {"n 20000", 20000, 20, 3, Shape::Normal},
    };
    std::uint64_t seed = 20261211;
    for (const auto& set : sets) {
        const Data d = makeData(++seed, set.n, set.centre, set.spread, set.shape);
        const bool positive = std::all_of(d.x.begin(), d.x.end(), [](double v) { return v > 0; })
                              && std::all_of(d.y.begin(), d.y.end(), [](double v) { return v > 0; });
        // centred for the expanded forms: p = x - c, q = y - c, u = p + q
        std::vector<double> p(d.x), q(d.y);
        for (std::size_t i = 0; i < set.n; ++i) {
            p[i] -= set.centre;
            q[i] -= set.centre;
        }
        for (double P : {0.5, 1.5, 2.5, 0.3, 1.999, -0.7, 7.0}) {
            if ((P < 0 || P > 3 || P == 1.999) && set.n > 3000)
                continue;
            struct Case {
                std::string name;
                PowerKernel kernel;
                const std::vector<double>* targets;
                std::vector<double> sources;
            };
            std::vector<Case> cases;
            PowerKernel plain;
            plain.P = P;
            // P < 0: a target equal to a source has no term
            if (P > 0 || set.shape != Shape::Integers) {
                cases.push_back({"differences", plain, &d.x, d.y});
                cases.push_back({"sums", plain, &d.x, negated(d.y)});
            }
            PowerKernel limited = plain;
            limited.bound = 1.2 * set.spread;
            limited.limit = std::pow(limited.bound, P);
            if (P > 0)
                cases.push_back({"differences limited", limited, &d.x, d.y});
            if (positive) {
                PowerKernel taylor = plain;
                taylor.shape = PowerShape::Taylor;
                taylor.taylor = PowerTaylor(P, 2 * set.centre);
                cases.push_back({"expanded sums", taylor, &p, negated(q)});
                taylor.bound = 1.2 * set.spread;
                taylor.boundTerm = taylor.taylor.phi(taylor.bound);
                cases.push_back({"expanded sums limited", taylor, &p, negated(q)});
                if (set.centre < 10 * set.spread) {
                    PowerKernel shifted = taylor;
                    shifted.shape = PowerShape::Shifted;
                    shifted.bound = -0.5 * set.spread;
                    shifted.boundTerm = shifted.taylor.psi(shifted.bound);
                    cases.push_back({"shifted sums", shifted, &p, negated(q)});
                }
            }
            for (const Case& c : cases) {
                SCOPED_TRACE(std::string(set.name) + ", P " + std::to_string(P) + ", " + c.name);
                const std::vector<double> got = treeSums(c.kernel, *c.targets, c.sources);
                const std::size_t step = std::max<std::size_t>(1, set.n / 16);
                for (std::size_t i = 0; i < set.n; i += step) {
                    const Reference r = allPairs(c.kernel, (*c.targets)[i], c.sources);
                    ASSERT_NEAR(got[i], r.sum, 1e-13 * r.magnitude) << "target " << i;
                }
            }
        }
    }
}

// Closed forms: P = 0 gives every term 1 (0^0 = 1), so each sum is the
// number of sources; no sources give 0; a bound below every |u| gives the
// limit times the count; a target set of one value gets one sum.
TEST(PowerSums, ClosedForms)
{
    const Data d = makeData(20261212, 3000, 4, 2, Shape::Integers);
    PowerKernel zero;
    zero.P = 0;
    for (double v : treeSums(zero, d.x, d.y))
        EXPECT_EQ(v, 3000);
    PowerKernel k;
    k.P = 1.5;
    EXPECT_EQ(treeSums(k, d.x, {}), std::vector<double>(3000, 0.0));
    k.bound = 0.25;
    k.limit = 0.125;
    std::vector<double> shifted(d.y);
    for (double& v : shifted)
        v += 0.5;  // integers against halves: every |u| >= 0.5
    for (double v : treeSums(k, d.x, shifted))
        EXPECT_EQ(v, 0.125 * 3000);
    k.bound = inf;
    const std::vector<double> same = treeSums(k, std::vector<double>(500, 2.0), d.y);
    EXPECT_EQ(same, std::vector<double>(500, same[0]));
    EXPECT_NEAR(same[0], allPairs(k, 2.0, d.y).sum, 1e-14 * same[0]);
}

// The nodes of targets are split among the threads, but every sum is formed
// from the same nodes in the same order: the sums are identical for any
// number of threads, in every bit.
TEST(PowerSums, ThreadCountDoesNotChangeTheSums)
{
    const Data d = makeData(20261213, 60000, 20, 3, Shape::Normal);
    PowerKernel k;
    k.P = 1.5;
    k.bound = 4;
    k.limit = 8;
    const std::vector<double> one = treeSums(k, d.x, d.y, 1);
    for (unsigned threads : {2u, 3u, 8u, 13u})
        EXPECT_EQ(treeSums(k, d.x, d.y, threads), one) << threads << " threads";
}

// The order of the expansions: the first K whose tail sum_{n>K} |C(P, n)|
// rho^n is below 1e-16 (1 - rho)^|P| (SciPy: scipy.special.binom summed over
// 400 terms gives K = 41, 44 and 38 for P = 1.5, 0.5 and 2.5 at rho = 1/2;
// an integer P = 3 ends at K = 3; the least order is 2). Every finite
// exponent has one, with a smaller ratio far from 0.
TEST(PowerSums, OrderOfTheExpansions)
{
    const struct {
        double P;
        int terms;
        double ratio;
    } cases[] = {{1.5, 42, 0.5}, {0.5, 45, 0.5}, {2.5, 39, 0.5}, {3.0, 4, 0.5}, {0.0, 3, 0.5}};
    for (const auto& c : cases) {
        const PowerOrder o(c.P);
        EXPECT_EQ(o.terms, c.terms) << c.P;
        EXPECT_EQ(o.ratio, c.ratio) << c.P;
    }
    EXPECT_LT(PowerOrder(40).ratio, 0.05);
    EXPECT_GT(PowerOrder(-40).terms, 0);
    EXPECT_EQ(PowerOrder(std::numeric_limits<double>::quiet_NaN()).terms, 0);
}

// The radix sort orders as a stable sort by value does: negative and
// positive values, both zeros (equal, so kept in input order), ties,
// subnormal and huge magnitudes.
TEST(PowerSums, SortValuesIsAStableSort)
{
    std::vector<double> v{3.5, -0.0, 0.0, -2.0, 1e-310, -1e-310, 1e300, -1e300, 3.5, 0.0, -2.0, 7.0};
    std::mt19937_64 gen(20261215);
    std::normal_distribution<double> normal;
    for (int i = 0; i < 5000; ++i)
        v.push_back(std::round(normal(gen) * 100.0) / 8.0);
    std::vector<std::uint32_t> expected(v.size());
    for (std::uint32_t i = 0; i < expected.size(); ++i)
        expected[i] = i;
    std::stable_sort(expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) { return v[a] < v[b]; });
    std::vector<double> sorted;
    std::vector<std::uint32_t> order;
    sortValues(v.data(), v.size(), sorted, order);
    EXPECT_EQ(order, expected);
    for (std::size_t k = 0; k < v.size(); ++k)
        EXPECT_EQ(std::memcmp(&sorted[k], &v[order[k]], sizeof(double)), 0) << k;
}
