// The normal distribution routines against R 4.2 (qnorm, pnorm, dnorm;
// tools/oracles/gamma_normal.R), with tolerances set by the published
// algorithm each routine follows, and their published cut-offs.
#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"

using namespace SumtrixLib;

namespace {

struct PnormCase {
    double z;
    double p;    // Φ(z)
    double q;    // 1 - Φ(z)
    double pdf;  // φ(z)
};
struct QnormCase {
    double p;
    double z;
};

#include "reference/normal_cases.inc"

struct GammlnDecimalCase {
    double xx;
    double lnGamma;
};
struct NormalDecimalCase {
    double z;
    double tail; // area beyond |z|
    double pdf;
};

#include "reference/decimal_routines.inc"

constexpr double kUlp = 2.3e-16; // about one rounding of a number near 1

} // namespace

TEST(NormalCdfInv, MatchesR)
{
    // AS 241 with the published coefficients is what R's qnorm uses as well:
    // the two agree to rounding. The coefficients pass through the decimal
    // type (f7 and d7 keep only 28 decimal places), which changes nothing
    // at this tolerance.
    Sumtrix s;
    for (const auto& c : kQnormCases)
        EXPECT_NEAR(s.STAT_Normal_CDF_INV(c.p), c.z, 1e-15 * std::max(1.0, std::fabs(c.z))) << c.p;
    EXPECT_EQ(s.STAT_Normal_CDF_INV(0.5), 0.0);
    EXPECT_NEAR(s.STAT_Normal_CDF_INV(0.975), 1.959964, 5e-7);
}

TEST(NormalCdfInv, SentinelsOutsideTheOpenInterval)
{
    Sumtrix s;
    for (double p : {0.0, -0.25, -1e300})
        EXPECT_EQ(s.STAT_Normal_CDF_INV(p), -9E99) << p;
    for (double p : {1.0, 1.5, 1e300})
        EXPECT_EQ(s.STAT_Normal_CDF_INV(p), 9E99) << p;
}

TEST(InvNorm, MatchesRWithinTheAccuracyOfAs111)
{
    // AS 111 (Beasley and Springer) is a pair of short rational
    // approximations: about 2E-8 relative for 0.001 <= P <= 0.999, and its
    // tail formula drifts further the deeper the tail (1E-6 at P = 1E-5,
    // 1E-4 at 1E-20, 1E-3 at 1E-300). The tolerance ladder follows P.
    Sumtrix s;
    for (const auto& c : kQnormCases) {
        const double tail = std::min(c.p, 1.0 - c.p);
        const double rel = tail >= 1e-3 ? 3e-8 : tail >= 1e-5 ? 2e-6 : tail >= 1e-20 ? 1.5e-4 : 2e-3;
        double ier = 7;
        EXPECT_NEAR(s.STAT_InvNorm(c.p, ier), c.z, rel * std::max(1.0, std::fabs(c.z))) << c.p;
        EXPECT_EQ(ier, 0.0) << c.p;
    }
    EXPECT_NEAR(s.STAT_InvNorm(0.975), 1.95996, 5e-6);
}

TEST(InvNorm, FaultFlagOutsideTheOpenInterval)
{
    Sumtrix s;
    for (double p : {0.0, 1.0, -2.0, 3.0}) {
        double ier = 0;
        EXPECT_EQ(s.STAT_InvNorm(p, ier), 0.0) << p;
        EXPECT_EQ(ier, 1.0) << p;
    }
    // The flag is optional.
    EXPECT_EQ(s.STAT_InvNorm(0.0), 0.0);
}

TEST(NormProb1, MatchesRWithinTheAccuracyOfAs66AsPublished)
{
    // Hill's AS 66 with the constants as first published. Its central branch
    // (|x| <= 1.28) carries 0.39990348504 and 29.8213557807 where the
    // corrected algorithm has 0.399903438504 and 29.8213557808: the result
    // there is off by up to 1.3E-8, hence 2E-8 absolute. The tail branch is
    // good to about 4E-11 relative (its density constant 0.398942280385 is
    // itself 4E-11 short of 1/√(2π)), hence 1E-10 of the smaller tail.
    Sumtrix s;
    for (const auto& c : kPnormCases) {
        const double z = std::fabs(c.z);
        const double tol = z <= 1.28 ? 2e-8 : 1e-10 * std::min(c.p, c.q) + kUlp * std::max(c.p, c.q);
        // Beyond the cut-offs the result is exact: 1 on the side near 1
        // beyond |x| = 7, 0 in the small tail beyond |x| = 18.66.
        const double lower = s.STAT_NormProb1(c.z, false);
        const double upper = s.STAT_NormProb1(c.z, true);
        if (z > 7 && c.z > 0)
            EXPECT_EQ(lower, 1.0) << c.z;
        else if (z > 18.66 && c.z < 0)
            EXPECT_EQ(lower, 0.0) << c.z;
        else
            EXPECT_NEAR(lower, c.p, tol) << c.z;
        if (z > 7 && c.z < 0)
            EXPECT_EQ(upper, 1.0) << c.z;
        else if (z > 18.66 && c.z > 0)
            EXPECT_EQ(upper, 0.0) << c.z;
        else
            EXPECT_NEAR(upper, c.q, tol) << c.z;
    }
}

TEST(NormProb1, WorkedValues)
{
    Sumtrix s;
    EXPECT_NEAR(s.STAT_NormProb1(1.96, true), 0.0249979, 5e-8);
    EXPECT_EQ(s.STAT_NormProb1(-1.96, false), s.STAT_NormProb1(1.96, true));
    EXPECT_EQ(s.STAT_NormProb1(8, false), 1.0);
    EXPECT_NEAR(s.STAT_NormProb1(8, true), 6.22e-16, 0.01e-16);
    EXPECT_EQ(s.STAT_NormProb1(19, true), 0.0);
    EXPECT_EQ(s.STAT_NormProb1(0, true), 0.5);
    EXPECT_EQ(s.STAT_NormProb1(0, false), 0.5);
    // The published central constants are kept: at the branch point the
    // two AS 66 routines differ by 1.29E-8.
    double P = 0, Q = 0, pdf = 0;
    s.STAT_NormProb3(1.28, P, Q, pdf);
    EXPECT_NEAR(s.STAT_NormProb1(1.28, true) - Q, 1.29e-8, 0.01e-8);
}

TEST(NormProb2, MatchesRWithinTheApproximationAndTheDecimalPlaces)
{
    // Hart's double-precision approximation is tuned for absolute accuracy:
    // its relative error in the small tail grows from about 1E-15 near the
    // centre to 1E-13 at |z| = 4 and a few 1E-9 around |z| = 7, where the
    // continued fraction takes over at a similar level. The density is
    // formed in the decimal type, so everything carries an absolute error of
    // up to 1E-28 from its 28 decimal places (the tail is 0 beyond 11.3).
    Sumtrix s;
    for (const auto& c : kPnormCases) {
        const double z = std::fabs(c.z);
        double P = -1, Q = -1, pdf = -1;
        s.STAT_NormProb2(c.z, P, Q, pdf);
        if (z > 37) {
            EXPECT_EQ(pdf, 0.0);
            EXPECT_EQ(P, c.z > 0 ? 1.0 : 0.0);
            EXPECT_EQ(Q, c.z > 0 ? 0.0 : 1.0);
            continue;
        }
        const double rel = z <= 2 ? 5e-15 : z <= 4 ? 2e-13 : 1e-8;
        const double tol = rel * std::min(c.p, c.q) + kUlp * std::max(c.p, c.q) + 1e-28;
        EXPECT_NEAR(P, c.p, tol) << c.z;
        EXPECT_NEAR(Q, c.q, tol) << c.z;
        // e enters the decimal type at 15 digits (5E-16), the divisor text
        // 2.506628274631001 is 3E-16 off √(2π), and exp(-z²/2) in doubles
        // costs z²·1E-16 from the rounding of z²/2.
        EXPECT_NEAR(pdf, c.pdf, (2.5e-15 + 2.2e-16 * z * z) * c.pdf + 1e-28) << c.z;
    }
}

TEST(NormProb2, FormsDensityAndTailInTheDecimalType)
{
    // Replayed with a model of the decimal type in Python (density and, below
    // 7.071, the rational approximation in decimals): equal bit for bit, on
    // both sides of 0.
    Sumtrix s;
    for (const auto& c : kNormalDecimalCases) {
        double P = -1, Q = -1, pdf = -1;
        s.STAT_NormProb2(c.z, P, Q, pdf);
        EXPECT_EQ(Q, c.tail) << c.z;
        EXPECT_EQ(P, 1.0 - c.tail) << c.z;
        EXPECT_EQ(pdf, c.pdf) << c.z;
        s.STAT_NormProb2(-c.z, P, Q, pdf);
        EXPECT_EQ(P, c.tail) << -c.z;
        EXPECT_EQ(Q, 1.0 - c.tail) << -c.z;
        EXPECT_EQ(pdf, c.pdf) << -c.z;
    }
}

TEST(NormProb2, DensityKeepsOnly28DecimalPlaces)
{
    Sumtrix s;
    struct Case {
        double z;
        double pdf;
        const char* why;
    };
    const Case cases[] = {
        {10.0, 7.6946e-23, "φ(10) = 7.69459862...E-23 at 28 places"},
        {-10.0, 7.6946e-23, "symmetric"},
        {11.3, 1e-28, "e = 1.86E-28 enters as 2E-28; /√(2π) rounds to 1E-28"},
        {11.5, 0.0, "e below half the 28th place enters as 0"},
        {30.0, 0.0, "far below"},
    };
    for (const auto& c : cases) {
        double P = -1, Q = -1, pdf = -1;
        s.STAT_NormProb2(c.z, P, Q, pdf);
        EXPECT_EQ(pdf, c.pdf) << c.z << ": " << c.why;
    }
    double P = -1, Q = -1, pdf = -1;
    s.STAT_NormProb2(12.0, P, Q, pdf);
    EXPECT_EQ(Q, 0.0); // the tail is the density over a continued fraction
    EXPECT_EQ(P, 1.0);
}

TEST(NormProb3, MatchesRWithinTheAccuracyOfAs66)
{
    // AS 66 with its corrected constants: about 4E-11 relative in the small
    // tail (its density constant 0.398942280385 is 4.1E-11 short of
    // 1/√(2π)); 0 and 1 with a density of 0 beyond |z| = 12.7.
    Sumtrix s;
    for (const auto& c : kPnormCases) {
        double P = -1, Q = -1, pdf = -1;
        s.STAT_NormProb3(c.z, P, Q, pdf);
        if (std::fabs(c.z) > 12.7) {
            EXPECT_EQ(pdf, 0.0) << c.z;
            EXPECT_EQ(P, c.z > 0 ? 1.0 : 0.0) << c.z;
            EXPECT_EQ(Q, c.z > 0 ? 0.0 : 1.0) << c.z;
            continue;
        }
        const double tol = 1e-10 * std::min(c.p, c.q) + kUlp * std::max(c.p, c.q);
        EXPECT_NEAR(P, c.p, tol) << c.z;
        EXPECT_NEAR(Q, c.q, tol) << c.z;
        EXPECT_NEAR(pdf, c.pdf, 5e-11 * c.pdf) << c.z;
    }
}

TEST(NormProb23, WorkedValues)
{
    Sumtrix s;
    double P = -1, Q = -1, pdf = -1;
    s.STAT_NormProb2(0, P, Q, pdf);
    EXPECT_EQ(P, 0.5);
    EXPECT_EQ(Q, 0.5);
    EXPECT_NEAR(pdf, 0.398942, 5e-7);
    s.STAT_NormProb3(0, P, Q, pdf);
    EXPECT_EQ(P, 0.5);
    EXPECT_EQ(Q, 0.5);
    EXPECT_NEAR(pdf, 0.398942, 5e-7);
    s.STAT_NormProb3(13, P, Q, pdf);
    EXPECT_EQ(P, 1.0);
    EXPECT_EQ(Q, 0.0);
    EXPECT_EQ(pdf, 0.0);
    s.STAT_NormProb2(-1.96, P, Q, pdf);
    EXPECT_NEAR(P, 0.0249979, 5e-8);
    s.STAT_NormProb3(-1.96, P, Q, pdf);
    EXPECT_NEAR(P, 0.0249979, 5e-8);
}
