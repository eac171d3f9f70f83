// ln Γ, the incomplete gamma functions and the chi-square distribution
// against R 4.2 (tools/oracles/gamma_normal.R), closed forms and worked
// examples.
#include <cmath>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"

using namespace SumtrixLib;

namespace {

struct LgammaCase {
    double x;
    double lgamma;
};
struct PgammaCase {
    double a;
    double x;
    double p;
    double q;
};
struct PchisqCase {
    double chi2;
    double df;
    double p;
    double q;
};
struct QchisqCase {
    double p;
    double df;
    double q;
};

#include "reference/gamma_cases.inc"

struct GammlnDecimalCase {
    double xx;
    double lnGamma;
};
struct NormalDecimalCase {
    double z;
    double tail;
    double pdf;
};

#include "reference/decimal_routines.inc"

// The error number a call raised, 0 when it returned.
int errorOf(const std::function<void()>& f)
{
    try {
        f();
        return 0;
    } catch (const RuntimeError& e) {
        return e.number();
    }
}

} // namespace

TEST(Gammln, MatchesR)
{
    // The six-term Lanczos series approximates Γ(x) to a relative 2E-10 (its
    // published bound) for x > 0, so ln Γ is good to 2E-10 absolute; the
    // partial sums pass through doubles at 15 digits (about 1E-14 more).
    // For huge x the decimal quotient keeps few digits, but ln Γ is then so
    // large that the 1E-15 relative part covers it.
    Sumtrix s;
    for (const auto& c : kLgammaCases) {
        const double got = s.Gamma_gammln(c.x);
        EXPECT_NEAR(got, c.lgamma, 2e-10 + 1e-15 * std::fabs(c.lgamma)) << "x = " << c.x;
    }
}

TEST(Gammln, SumsTheSeriesInTheDecimalType)
{
    // Replayed with a model of the decimal type in Python: each partial sum
    // enters at 15 digits and goes back to double, the last quotient keeps
    // 28 places. Equal bit for bit.
    Sumtrix s;
    for (const auto& c : kGammlnDecimalCases)
        EXPECT_EQ(s.Gamma_gammln(c.xx), c.lnGamma) << "x = " << c.xx;
}

TEST(Gammln, ClosedForms)
{
    Sumtrix s;
    EXPECT_NEAR(s.Gamma_gammln(1), 0.0, 1e-10);
    EXPECT_NEAR(s.Gamma_gammln(2), 0.0, 1e-10);
    EXPECT_NEAR(s.Gamma_gammln(0.5), std::log(std::sqrt(M_PI)), 2e-10);
    // Γ(x + 1) = x Γ(x)
    for (double x : {0.3, 4.7, 123.25})
        EXPECT_NEAR(s.Gamma_gammln(x + 1) - s.Gamma_gammln(x), std::log(x), 4e-10) << x;
}

TEST(Gammln, FailsWhereTheDecimalSeriesCannotBeFormed)
{
    // No argument check: the call fails with the error of the operation that
    // cannot be done.
    struct Case {
        double xx;
        int error;
        const char* why;
    };
    const Case cases[] = {
        {0.0, ErrDivisionByZero, "x = 0 divides the decimal quotient by 0"},
        {-1.0, ErrDivisionByZero, "y = x + 1 = 0 divides a coefficient by 0"},
        {-0.5, ErrInvalidCall, "the quotient is negative: log of it"},
        {-6.0, ErrInvalidCall, "x + 5.5 < 0: log of it"},
        {1e-29, ErrDivisionByZero, "below half the 28th decimal place x enters as 0"},
        {1e-27, ErrOverflow, "√(2π)·ser/x exceeds the decimal range"},
        {7e28, ErrInvalidCall, "√(2π)·ser/x rounds to 0 at 28 places: log of 0"},
        {1e29, ErrOverflow, "x + 1 is beyond the decimal range"},
    };
    Sumtrix s;
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { s.Gamma_gammln(c.xx); }), c.error) << c.xx << ": " << c.why;
    // Just inside both limits the value is still formed.
    EXPECT_NEAR(s.Gamma_gammln(1e-26), 59.867212417845188, 1e-9);
    EXPECT_GT(s.Gamma_gammln(4e28), 2e30);
}

namespace {
constexpr double kEps = 3e-7;    // the workers' stopping tolerance
constexpr double kUlp = 2.3e-16; // about one rounding of a number near 1

// The series stops once a term is below EPS of the sum; the terms it leaves
// out add up to about EPS·x/(a + n - x) of it, which near x ≈ a grows like
// √a (n, the number of terms, grows like √a). The continued fraction does
// better. So the side computed directly (P below a + 1, Q from there on) is
// good to EPS·(2 + √a) of itself; the other side is 1 minus it.
double incompleteGammaTolerance(double a, double x, double p, double q)
{
    const double direct = x < a + 1 ? p : q;
    return kEps * (2 + std::sqrt(a)) * direct + kUlp * std::max(p, q);
}
} // namespace

TEST(IncompleteGamma, MatchesR)
{
    // The table reaches shapes (a = 775, 5000, 1E5) whose series or
    // continued fraction needs far more than 100 terms: they converge
    // without a message.
    Sumtrix s;
    RecordingMessageSink sink;
    ScopedMessageSink scope(sink);
    for (const auto& c : kPgammaCases) {
        const double tol = incompleteGammaTolerance(c.a, c.x, c.p, c.q);
        const double P = s.Gamma_gammp(c.a, c.x);
        const double Q = s.Gamma_gammq(c.a, c.x);
        EXPECT_NEAR(P, c.p, tol) << "a = " << c.a << ", x = " << c.x;
        EXPECT_NEAR(Q, c.q, tol) << "a = " << c.a << ", x = " << c.x;
        EXPECT_NEAR(P + Q, 1.0, 2 * kUlp);
    }
    EXPECT_TRUE(sink.entries.empty()) << sink.entries.front().text;
}

TEST(ChiSquare, TailsMatchR)
{
    Sumtrix s;
    RecordingMessageSink sink;
    ScopedMessageSink scope(sink);
    for (const auto& c : kPchisqCases) {
        const double tol = incompleteGammaTolerance(c.df / 2, c.chi2 / 2, c.p, c.q);
        double chi2 = c.chi2, df = c.df;
        EXPECT_NEAR(s.STAT_Chi2p(chi2, df), c.p, tol) << c.chi2 << ", " << c.df;
        EXPECT_NEAR(s.STAT_Chi2q(chi2, df), c.q, tol) << c.chi2 << ", " << c.df;
        EXPECT_NEAR(s.STAT_Chi2p(chi2, df) + s.STAT_Chi2q(chi2, df), 1.0, 2 * kUlp);
    }
    EXPECT_TRUE(sink.entries.empty());
}

TEST(ChiSquare, QuantileMatchesR)
{
    // AS 91 stops once a Taylor step changes the quantile by at most 5E-7 of
    // itself, and the probability it steers by comes from Gamma_gammp (EPS
    // 3E-7): 5E-7 relative. Degrees of freedom up to 10,000 converge
    // without a message now that the workers may take more than 100 terms.
    Sumtrix s;
    RecordingMessageSink sink;
    ScopedMessageSink scope(sink);
    for (const auto& c : kQchisqCases) {
        const double got = s.STAT_Chi2_CDF_INV(c.p, static_cast<std::int32_t>(c.df));
        EXPECT_NEAR(got, c.q, 5e-7 * c.q) << "p = " << c.p << ", df = " << c.df;
    }
    EXPECT_TRUE(sink.entries.empty()) << sink.entries.front().text;
}

TEST(ChiSquare, QuantileWorkedValues)
{
    Sumtrix s;
    EXPECT_NEAR(s.STAT_Chi2_CDF_INV(0.95, 1), 3.8415, 5e-5);
    EXPECT_NEAR(s.STAT_Chi2_CDF_INV(0.5, 2), 2 * std::log(2.0), 1e-6);
    // Far below, the small-chi-square start (p·√(2π)/2)² = p²π/2 is
    // returned at once.
    EXPECT_NEAR(s.STAT_Chi2_CDF_INV(0.000002, 1), 4e-12 * M_PI / 2, 1e-21);
    // Both bounds of the valid range are computed.
    RecordingMessageSink sink;
    ScopedMessageSink scope(sink);
    EXPECT_NEAR(s.STAT_Chi2_CDF_INV(0.999998, 5), 34.3802, 1e-4);
    EXPECT_GT(s.STAT_Chi2_CDF_INV(0.000002, 5), 0.017);
    EXPECT_TRUE(sink.entries.empty());
    // df is not tested: 0 fails in Gamma_gammln.
    EXPECT_EQ(errorOf([&] { s.STAT_Chi2_CDF_INV(0.5, 0); }), ErrDivisionByZero);
}

TEST(IncompleteGamma, MessagesAndTheirResults)
{
    const std::string gser = "GSER function: a parameter is too large and/or ITMAX is too small";
    const std::string gcf = "GCF function: a parameter is too large and/or ITMAX is too small";
    const std::string badP = "Error in Incomplete Gamma function P(a,x)";
    const std::string badQ = "Error in Incomplete Gamma function Q(a,x) = 1 - P(a,x)";
    const std::string fatal = "CHI_SQUARE_CDF_INV - Fatal error!";
    struct Case {
        const char* call;
        std::function<double(Sumtrix&)> f;
        double result;
        std::string message; // the last message shown ("" for none)
        MessageIcon icon;
    };
    const Case cases[] = {
        {"gammp(0, 1)", [](Sumtrix& s) { return s.Gamma_gammp(0, 1); }, 0.0, badP, MessageIcon::None},
        {"gammp(1, -1)", [](Sumtrix& s) { return s.Gamma_gammp(1, -1); }, 0.0, badP, MessageIcon::None},
        {"gammq(0, 1)", [](Sumtrix& s) { return s.Gamma_gammq(0, 1); }, 0.0, badQ, MessageIcon::None},
        {"gammq(2, -0.5)", [](Sumtrix& s) { return s.Gamma_gammq(2, -0.5); }, 0.0, badQ, MessageIcon::None},
        {"gammp(3, 0)", [](Sumtrix& s) { return s.Gamma_gammp(3, 0); }, 0.0, "", MessageIcon::None},
        {"gammq(3, 0)", [](Sumtrix& s) { return s.Gamma_gammq(3, 0); }, 1.0, "", MessageIcon::None},
        // Beyond even the raised step limit the work value stays 0: P or Q
        // of exactly 0 or 1 after the message. At x = a + 1 exactly the
        // continued fraction is the one used.
        {"gammp(1E7, 1E7 - 1)", [](Sumtrix& s) { return s.Gamma_gammp(1e7, 1e7 - 1); }, 0.0, gser, MessageIcon::None},
        {"gammq(1E7, 1E7 - 1)", [](Sumtrix& s) { return s.Gamma_gammq(1e7, 1e7 - 1); }, 1.0, gser, MessageIcon::None},
        {"gammp(1E10, 1E10 + 1)", [](Sumtrix& s) { return s.Gamma_gammp(1e10, 1e10 + 1); }, 1.0, gcf, MessageIcon::None},
        {"gammq(1E10, 1E10 + 1)", [](Sumtrix& s) { return s.Gamma_gammq(1e10, 1e10 + 1); }, 0.0, gcf, MessageIcon::None},
        {"Chi2_CDF_INV(0.000001, 5)", [](Sumtrix& s) { return s.STAT_Chi2_CDF_INV(0.000001, 5); }, 0.0, fatal, MessageIcon::Critical},
        {"Chi2_CDF_INV(0.9999981, 5)", [](Sumtrix& s) { return s.STAT_Chi2_CDF_INV(0.9999981, 5); }, 0.0, fatal, MessageIcon::Critical},
        {"Chi2_CDF_INV(-1, 5)", [](Sumtrix& s) { return s.STAT_Chi2_CDF_INV(-1, 5); }, 0.0, fatal, MessageIcon::Critical},
    };
    Sumtrix s;
    for (const auto& c : cases) {
        RecordingMessageSink sink;
        ScopedMessageSink scope(sink);
        EXPECT_EQ(c.f(s), c.result) << c.call;
        if (c.message.empty()) {
            EXPECT_TRUE(sink.entries.empty()) << c.call;
        } else {
            ASSERT_EQ(sink.entries.size(), 1u) << c.call;
            EXPECT_EQ(sink.entries[0].text, c.message) << c.call;
            EXPECT_EQ(sink.entries[0].icon, c.icon) << c.call;
            EXPECT_EQ(sink.entries[0].title, LibraryTitle) << c.call;
        }
    }
}

TEST(ChiSquare, QuantileWarnsWhenTwentyStepsDoNotConverge)
{
    // With 2E8 degrees of freedom every P inside the refinement runs out of
    // series terms (a message each and a P of 0), so the steps never settle:
    // after 20 of them the warning, and the last iterate is returned.
    Sumtrix s;
    RecordingMessageSink sink;
    ScopedMessageSink scope(sink);
    const double ch = s.STAT_Chi2_CDF_INV(2e-6, 200000000);
    EXPECT_TRUE(std::isfinite(ch));
    ASSERT_EQ(sink.entries.size(), 21u);
    EXPECT_EQ(sink.entries.back().text, "CHI_SQUARE_CDF_INV - Warning!. Convergence not reached.'");
    EXPECT_EQ(sink.entries.back().icon, MessageIcon::None);
}

TEST(IncompleteGamma, WorkersWriteLnGammaFirstAndLeaveTheirResultWhenTheyStop)
{
    Sumtrix s;
    const double lnGamma25 = s.Gamma_gammln(2.5);
    RecordingMessageSink sink;
    ScopedMessageSink scope(sink);

    double gamser = -5, gln = 0;
    s.Gamma_gser(gamser, 2.5, -1, gln);
    EXPECT_EQ(gamser, 0.0);
    EXPECT_EQ(gln, lnGamma25);
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0].text, "X < 0 in gser");

    gamser = -5;
    gln = 0;
    s.Gamma_gser(gamser, 2.5, 0, gln); // silently 0
    EXPECT_EQ(gamser, 0.0);
    EXPECT_EQ(gln, lnGamma25);
    EXPECT_EQ(sink.entries.size(), 1u);

    gamser = -5;
    gln = 0;
    s.Gamma_gser(gamser, 1e7, 1e7 - 1, gln); // out of terms: unchanged
    EXPECT_EQ(gamser, -5.0);
    EXPECT_EQ(gln, s.Gamma_gammln(1e7));
    EXPECT_EQ(sink.entries.size(), 2u);

    double gammcf = -5;
    gln = 0;
    s.Gamma_gcf(gammcf, 1e10, 1e10 + 1, gln); // out of steps: unchanged
    EXPECT_EQ(gammcf, -5.0);
    EXPECT_EQ(gln, s.Gamma_gammln(1e10));
    EXPECT_EQ(sink.entries.size(), 3u);

    // A converging call writes both.
    gammcf = -5;
    s.Gamma_gcf(gammcf, 2.5, 10, gln);
    EXPECT_NEAR(gammcf, 0.0012497305630313755, kEps * 0.00125); // R: pgamma(10, 2.5, lower = FALSE)
    EXPECT_EQ(gln, lnGamma25);
    gamser = -5;
    s.Gamma_gser(gamser, 2.5, 1, gln);
    EXPECT_NEAR(gamser, 0.15085496391539036, kEps * 0.16); // R: pgamma(1, 2.5)
    EXPECT_EQ(sink.entries.size(), 3u);
}
