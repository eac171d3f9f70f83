// CopulaGenerator: the correlation-to-parameter mapping, the conditional
// inversion, and the dependence of generated pairs.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "SumtrixLib/Runtime.hpp"
#include "core/copula_generator.hpp"
#include "core/random_source.hpp"
#include "sample_statistics.hpp"

namespace {

struct ThetaTau {
    double theta;
    double tau;
};

struct TauTheta {
    double tau;
    double theta;
};

// R: tools/oracles/frank_copula.R.
const ThetaTau FrankTauTable[] = {
#include "reference/frank_copula_tau.inc"
};
const TauTheta FrankThetaTable[] = {
#include "reference/frank_copula_theta.inc"
};

struct CopulaCorrelationCase {
    std::int16_t kind;
    double theta;
    double rho;
};
struct CopulaThetaCase {
    std::int16_t kind;
    double r;
    double theta;
};
// SciPy: tools/oracles/copula_normal_scores.py.
#include "reference/copula_normal_scores.inc"

} // namespace

TEST(CopulaGenerator, FrankTauMatchesQuadrature)
{
    // R's integrate runs at a relative tolerance of 1e-13; near theta = 1 the
    // sum 1 - 4/theta + 4 I/theta^2 cancels about one digit of terms near 1.
    for (const ThetaTau& c : FrankTauTable)
        EXPECT_NEAR(CopulaGenerator::frankTau(c.theta), c.tau, 1e-12 * c.tau) << "theta " << c.theta;
}

TEST(CopulaGenerator, FrankTauForSmallThetaFollowsItsSeries)
{
    // Closed form: tau = theta/9 - theta^3/900 + theta^5/52920 - theta^7/2721600
    // + ...; for theta <= 0.01 the first three terms leave a relative error
    // below 4e-18, so only rounding remains. A quadrature of the defining
    // formula would lose every digit here.
    for (double theta : {1e-9, 1e-6, 1e-3, 1e-2}) {
        const double t2 = theta * theta;
        const double series = theta * (1.0 / 9.0 - t2 / 900.0 + t2 * t2 / 52920.0);
        EXPECT_NEAR(CopulaGenerator::frankTau(theta), series, 1e-14 * series) << "theta " << theta;
    }
}

TEST(CopulaGenerator, FrankThetaInvertsTau)
{
    // uniroot stops at an absolute 1e-13 in
    // theta and R's quadrature is good to 1e-13 relative in tau, which the
    // slope dtheta/dtau (about theta^2/4 for large theta) turns into about
    // 5e-10 in theta at theta = 139: 1e-10 relative covers both.
    for (const TauTheta& c : FrankThetaTable)
        EXPECT_NEAR(CopulaGenerator::frankTheta(c.tau), c.theta, 1e-10 * c.theta) << "tau " << c.tau;
    EXPECT_EQ(CopulaGenerator::frankTheta(0.0), 0.0);
}

TEST(CopulaGenerator, NormalScoresCorrelationMatchesQuadratureOfHoeffdingsIdentity)
{
    // The oracle integrates C(Phi(x), Phi(y)) - Phi(x) Phi(y) over the plane
    // with QUADPACK (to about 1e-11); the product Gauss-Hermite rule here
    // converges slowly where the dependence changes sharply in the tails,
    // about 1e-10 off at theta = 600: 5e-10 covers both.
    for (const CopulaCorrelationCase& c : kCopulaCorrelationCases)
        EXPECT_NEAR(CopulaGenerator::normalScoresCorrelation(c.kind, c.theta), c.rho, 5e-10)
            << "kind " << c.kind << " theta " << c.theta;
    for (std::int16_t kind : {CopulaGenerator::Frank, CopulaGenerator::Clayton})
        EXPECT_EQ(CopulaGenerator::normalScoresCorrelation(kind, 0.0), 0.0) << "kind " << kind;
}

TEST(CopulaGenerator, CorrelationBecomesTheParameterWithThatNormalScoresCorrelation)
{
    // brentq on the oracle's rho_N. An error e in rho_N moves theta by
    // e / rho_N'(theta), which grows as rho_N flattens towards 1: about
    // 1e-7 relative at R = 0.999, far below what any sample can show.
    for (const CopulaThetaCase& c : kCopulaThetaCases)
        EXPECT_NEAR(CopulaGenerator::theta(c.kind, c.r), c.theta, (c.r < 0.99 ? 1e-9 : 1e-6) * c.theta)
            << "kind " << c.kind << " r " << c.r;
    for (std::int16_t kind : {CopulaGenerator::Frank, CopulaGenerator::Clayton})
        EXPECT_EQ(CopulaGenerator::theta(kind, 0.0), 0.0) << "kind " << kind;
}

namespace {

// The conditional distribution of the copula's second coordinate given the
// first, dC(u, v)/du, in closed form.
double claytonConditional(double u, double v, double theta)
{
    return std::pow(u, -theta - 1.0)
           * std::pow(std::pow(u, -theta) + std::pow(v, -theta) - 1.0, -1.0 / theta - 1.0);
}

// Written with four exponentials in the denominator, (e^-theta - 1) +
// (e^-theta u - 1)(e^-theta v - 1) multiplied out, so that no difference of
// numbers near 1 is formed when theta is large.
double frankConditional(double u, double v, double theta)
{
    const double numerator = std::exp(-theta * u) * std::expm1(-theta * v);
    const double denominator = std::exp(-theta) + std::exp(-theta * (u + v))
                               - std::exp(-theta * u) - std::exp(-theta * v);
    return numerator / denominator;
}

} // namespace

TEST(CopulaGenerator, ConditionalInversionSolvesTheConditionalDistribution)
{
    // Putting the returned v into the closed-form conditional distribution
    // must give back w. The closed forms themselves lose a few digits (powers
    // of u^-theta, e^-theta v - 1 near -1 for large theta), hence 1e-11.
    struct Case {
        double u;
        double w;
        double theta;
    };
    const Case cases[] = {
        {0.5, 0.5, 1.0},   {0.1, 0.9, 1.0},   {0.9, 0.1, 1.0},
        {0.3, 0.7, 5.0},   {0.05, 0.5, 20.0}, {0.95, 0.02, 20.0},
        {0.5, 0.5, 0.01},  {0.7, 0.99, 60.0}, {0.01, 0.01, 3.0},
    };
    for (const Case& c : cases) {
        const double vc = CopulaGenerator::claytonConditionalInverse(c.u, c.w, c.theta);
        EXPECT_NEAR(claytonConditional(c.u, vc, c.theta), c.w, 1e-11)
            << "Clayton u " << c.u << " w " << c.w << " theta " << c.theta;
        const double vf = CopulaGenerator::frankConditionalInverse(c.u, c.w, c.theta);
        EXPECT_NEAR(frankConditional(c.u, vf, c.theta), c.w, 1e-11)
            << "Frank u " << c.u << " w " << c.w << " theta " << c.theta;
    }
}

TEST(CopulaGenerator, ExtremeUniformsGiveValuesStrictlyInsideAndInOrder)
{
    // The smallest and largest numbers the random source can give, for the
    // strongest dependence the generator asks for (r = 0.999). V must stay
    // strictly inside (0, 1) and rise with w for a fixed u.
    const double extremes[] = {0x1p-53, 1e-10, 1e-3, 0.5, 1.0 - 1e-3, 1.0 - 1e-10, 1.0 - 0x1p-53};
    for (std::int16_t kind : {CopulaGenerator::Frank, CopulaGenerator::Clayton}) {
        for (double r : {0.3, 0.999}) {
            const double theta = CopulaGenerator::theta(kind, r);
            for (double u : extremes) {
                double previous = 0.0;
                for (double w : extremes) {
                    const double v = kind == CopulaGenerator::Frank
                                         ? CopulaGenerator::frankConditionalInverse(u, w, theta)
                                         : CopulaGenerator::claytonConditionalInverse(u, w, theta);
                    EXPECT_GT(v, 0.0) << "kind " << kind << " r " << r << " u " << u << " w " << w;
                    EXPECT_LT(v, 1.0) << "kind " << kind << " r " << r << " u " << u << " w " << w;
                    EXPECT_GE(v, previous) << "kind " << kind << " r " << r << " u " << u << " w " << w;
                    previous = v;
                }
            }
        }
    }
}

TEST(CopulaGenerator, GeneratedPairsFollowTheCopulaAndHaveUniformV)
{
    // 5,000 pairs from a fixed seed. The pairs follow the named copula with
    // the parameter for r: Kendall's tau of (U1, V) within four standard
    // errors (estimated from the sample, about 0.01 at tau = 0) of the
    // copula's tau at that parameter (Clayton theta/(theta + 2), Frank its
    // Debye form); V is uniform: its Kolmogorov-Smirnov distance to the
    // uniform law below the 0.1% critical value 1.95/sqrt(n).
    const int n = 5000;
    for (std::int16_t kind : {CopulaGenerator::Frank, CopulaGenerator::Clayton}) {
        for (double r : {0.0, 0.3, 0.5, 0.8, 0.999}) {
            SeededRandomSource source(20261210);
            std::vector<double> U1(n), U2(n), V;
            for (int i = 0; i < n; ++i) {
                U1[i] = source.nextUniform();
                U2[i] = source.nextUniform();
            }
            double result = 7.0;
            copulaGenerator().GenerateCopula(U1, U2, V, n, r, kind, result);
            EXPECT_EQ(result, 0.0);
            ASSERT_EQ(V.size(), std::size_t(n));

            const SampleStatistics::KendallEstimate k = SampleStatistics::kendall(U1, V);
            const double theta = CopulaGenerator::theta(kind, r);
            const double target = kind == CopulaGenerator::Frank ? CopulaGenerator::frankTau(theta)
                                                                 : theta / (theta + 2.0);
            EXPECT_NEAR(k.tau, target, 4.0 * k.standardError + 1e-12)
                << "kind " << kind << " r " << r;

            std::vector<double> sorted = V;
            std::sort(sorted.begin(), sorted.end());
            double ks = 0.0;
            for (int i = 0; i < n; ++i) {
                ASSERT_GT(sorted[i], 0.0);
                ASSERT_LT(sorted[i], 1.0);
                ks = std::max({ks, std::abs(double(i + 1) / n - sorted[i]),
                               std::abs(sorted[i] - double(i) / n)});
            }
            EXPECT_LT(ks, 1.95 / std::sqrt(double(n))) << "kind " << kind << " r " << r;
        }
    }
}

TEST(CopulaGenerator, InvalidCallsFailWithErrorFiveAndLeaveVAlone)
{
    struct Case {
        const char* what;
        std::int16_t kind;
        double r;
        double u;
        std::int32_t n;
    };
    const Case cases[] = {
        {"unknown kind", 3, 0.5, 0.5, 2},
        {"correlation 1", CopulaGenerator::Frank, 1.0, 0.5, 2},
        {"negative correlation", CopulaGenerator::Clayton, -0.1, 0.5, 2},
        {"uniform number 0", CopulaGenerator::Frank, 0.5, 0.0, 2},
        {"uniform number 1", CopulaGenerator::Clayton, 0.5, 1.0, 2},
        {"more pairs than numbers", CopulaGenerator::Frank, 0.5, 0.5, 3},
    };
    for (const Case& c : cases) {
        const std::vector<double> U1{0.25, c.u};
        const std::vector<double> U2{0.75, 0.5};
        std::vector<double> V{0.125, 0.125};
        try {
            copulaGenerator().GenerateCopula(U1, U2, V, c.n, c.r, c.kind);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const SumtrixLib::RuntimeError& e) {
            EXPECT_EQ(e.number(), SumtrixLib::ErrInvalidCall) << c.what;
        }
        EXPECT_EQ(V, (std::vector<double>{0.125, 0.125})) << c.what;
    }
}

TEST(RandomSource, UniformsStayStrictlyInsideTheUnitInterval)
{
    // The two ends of the mapping from 64 random bits, and a run of draws.
    EXPECT_EQ(SeededRandomSource::toOpenUnit(0), 0x1p-53);
    EXPECT_EQ(SeededRandomSource::toOpenUnit(~std::uint64_t(0)), 1.0 - 0x1p-53);
    EXPECT_LT(SeededRandomSource::toOpenUnit(~std::uint64_t(0)), 1.0);

    SeededRandomSource a(42), b(42);
    for (int i = 0; i < 1000; ++i) {
        const double u = a.nextUniform();
        ASSERT_GT(u, 0.0);
        ASSERT_LT(u, 1.0);
        ASSERT_EQ(u, b.nextUniform()) << "same seed, same numbers";
    }
}

TEST(RandomSource, TheSequenceOfTheStandardMersenneTwister)
{
    // The engine is the standard library's std::mt19937_64, number for
    // number: one at a time, and in blocks of every length that end inside
    // and across the renewal of its 312 state words, mixed.
    for (const std::uint64_t seed : {std::uint64_t(0), std::uint64_t(1), std::uint64_t(20261211),
                                     ~std::uint64_t(0)}) {
        std::mt19937_64 reference(seed);
        MersenneTwister64 engine(seed);
        for (int i = 0; i < 2000; ++i)
            ASSERT_EQ(engine(), reference()) << seed << " " << i;

        SeededRandomSource source(seed);
        std::mt19937_64 same(seed);
        std::vector<double> block(1000);
        for (std::size_t length = 0; length < 1000; length += 37) {
            source.nextUniforms(block.data(), length);
            for (std::size_t k = 0; k < length; ++k)
                ASSERT_EQ(block[k], SeededRandomSource::toOpenUnit(same())) << seed << " " << length << " " << k;
            ASSERT_EQ(source.nextUniform(), SeededRandomSource::toOpenUnit(same())) << seed << " " << length;
        }
    }
}
