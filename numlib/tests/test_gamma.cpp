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
