// Roots of polynomials with complex coefficients: Laguerre's method for one
// root, and all roots by Laguerre iteration with deflation, optional
// polishing and a sort by real part (after the Numerical Recipes routines
// laguer and zroots). Every complex operation goes through the class's own
// complex methods, so the results carry their polar-form arithmetic.
#include <array>
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib {

namespace {

constexpr std::int32_t MaxIterations = 80;
// Every StepPeriod-th iteration takes a shortened step, by the fraction
// StepFraction(iteration / StepPeriod), which breaks the rare limit cycle
// of the full step.
constexpr std::int32_t StepPeriod = 10;
constexpr std::array<double, 9> StepFraction{0, 0.5, 0.25, 0.75, 0.13, 0.38, 0.62, 0.88, 1.0};
// x is taken for a root when the polynomial's value there is within this
// factor of the bound sum |a(k)| |x|^(k-1) on its rounding error. The
// complex products work in polar form with pi held to 15 digits, so each
// carries a relative error of a few 1E-15: a much smaller factor is never
// met, and a much larger one (the 2E-7 of single-precision code) accepts
// roots good to only about 7 digits. Deflating by such a root spoils the
// quotient, most of all at high degree (roots of a random polynomial of
// degree 50 then come out wrong by more than 0.5).
constexpr double ErrorBoundFactor = 1E-14;

Complex real(double v)
{
    return {v, 0.0};
}

} // namespace

Variant Sumtrix::Root_laguer(const BoundedArray<Complex>& a, std::int32_t m, Complex& x, std::int32_t& its)
{
    for (std::int32_t iter = 1; iter <= MaxIterations; ++iter) {
        its = iter;
        // b: the polynomial at x, d: its first derivative, f: half its
        // second derivative; err: a bound on the rounding error of b.
        Complex b = a(checkedAdd32(m, 1));
        double err = this->Complex_Abs(b);
        Complex d{}, f{};
        const double abx = this->Complex_Abs(x);
        for (std::int32_t j = m; j >= 1; --j) {
            f = this->Complex_Add(this->Complex_Multiply(x, f), d);
            d = this->Complex_Add(this->Complex_Multiply(x, d), b);
            b = this->Complex_Add(this->Complex_Multiply(x, b), a(j));
            err = checkedAdd(this->Complex_Abs(b), checkedMul(abx, err));
        }
        err = checkedMul(err, ErrorBoundFactor);
        if (this->Complex_Abs(b) <= err)
            return {};

        const Complex g = this->Complex_Divide(d, b);
        const Complex g2 = this->Complex_Multiply(g, g);
        const Complex h = this->Complex_Subtract(g2, this->Complex_Divide(this->Complex_Multiply(real(2), f), b));
        const Complex sq = this->Complex_Power(
            this->Complex_Multiply(real(m - 1.0), this->Complex_Subtract(this->Complex_Multiply(real(m), h), g2)),
            0.5);
        Complex gp = this->Complex_Add(g, sq);
        const Complex gm = this->Complex_Subtract(g, sq);
        const double abp = this->Complex_Abs(gp);
        const double abm = this->Complex_Abs(gm);
        if (abp < abm)
            gp = gm;
        const Complex dx = this->Max(abp, abm) > 0.0
                               ? this->Complex_Divide(real(m), gp)
                               : this->Complex_Exp({checkedLog(1.0 + abx), static_cast<double>(iter)});
        // Converged when the step no longer changes x.
        const Complex x1 = this->Complex_Subtract(x, dx);
        if (x1 == x)
            return {};
        if (iter % StepPeriod != 0)
            x = x1;
        else
            x = this->Complex_Subtract(
                x, this->Complex_Multiply(real(StepFraction[static_cast<std::size_t>(iter / StepPeriod)]), dx));
    }
    showMessage("Function ROOT_LAGUER: too many iterations", MessageIcon::Information);
    return {};
}

Variant Sumtrix::Root_zroots(const BoundedArray<Complex>& a, std::int32_t m, BoundedArray<Complex>& roots,
                             bool Polish)
{
    // An imaginary part of at most this fraction of the real part's
    // magnitude is taken for rounding noise and set to 0.
    const double imaginaryCut = 1E-6 * 1E-6 * 100.0;

    // The deflated polynomial, in a private copy sized for the degree once
    // the coefficients are known to be there: a degree beyond them fails
    // before it sizes anything.
    const std::int32_t top = checkedAdd32(m, 1);
    a.requireRange(1, top);
    BoundedArray<Complex> ad(0, m >= 0 ? top : 0);
    for (std::int32_t j = 1; j <= top; ++j)
        ad(j) = a(j);

    for (std::int32_t j = m; j >= 1; --j) {
        Complex x{};
        std::int32_t its = 0;
        this->Root_laguer(ad, j, x, its);
        if (std::fabs(x.Im) <= imaginaryCut * std::fabs(x.Re))
            x.Im = 0.0;
        roots(j) = x;
        // Synthetic division by (z - x).
        Complex b = ad(j + 1);
        for (std::int32_t jj = j; jj >= 1; --jj) {
            const Complex c = ad(jj);
            ad(jj) = b;
            b = this->Complex_Add(this->Complex_Multiply(x, b), c);
        }
    }

    if (Polish) {
        for (std::int32_t j = 1; j <= m; ++j) {
            std::int32_t its = 0;
            this->Root_laguer(a, m, roots(j), its);
        }
    }

    // Straight insertion by real part; equal real parts keep their order.
    for (std::int32_t j = 2; j <= m; ++j) {
        const Complex x = roots(j);
        std::int32_t i = j - 1;
        while (i >= 1 && roots(i).Re > x.Re) {
            roots(i + 1) = roots(i);
            --i;
        }
        roots(i + 1) = x;
    }
    return {};
}

} // namespace SumtrixLib
