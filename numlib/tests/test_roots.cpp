// Polynomial roots: Laguerre's method and the all-roots driver.
#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using SumtrixLib::test_support::errorOf;
using SumtrixLib::test_support::peakResidentKb;
using C = std::complex<double>;

namespace {

struct RootCase {
    const char* name;
    std::vector<C> coefficients;  // constant term first
    std::vector<C> numpyRoots;
    std::vector<C> polyroot;
    std::vector<C> exact;         // empty when not known in closed form
    int multiplicity;             // of the repeated root; 1 when all are simple
};

const RootCase rootCases[] = {
#include "reference/roots_cases.inc"
};

BoundedArray<Complex> coefficientArray(const std::vector<C>& coefficients)
{
    BoundedArray<Complex> a(0, static_cast<std::int32_t>(coefficients.size()));
    for (std::size_t k = 0; k < coefficients.size(); ++k)
        a(static_cast<std::int32_t>(k) + 1) = {coefficients[k].real(), coefficients[k].imag()};
    return a;
}

std::vector<C> zroots(const std::vector<C>& coefficients, bool polish, RecordingMessageSink& messages)
{
    Sumtrix s;
    ScopedMessageSink scope(messages);
    const auto m = static_cast<std::int32_t>(coefficients.size()) - 1;
    const BoundedArray<Complex> a = coefficientArray(coefficients);
    BoundedArray<Complex> roots(0, m);
    s.Root_zroots(a, m, roots, polish);
    std::vector<C> out;
    for (std::int32_t j = 1; j <= m; ++j)
        out.emplace_back(roots(j).Re, roots(j).Im);
    return out;
}

// The largest distance between the two multisets of roots, each root of
// `reference` matched to the nearest unmatched root found, relative to
// max(1, |root|).
double worstDeviation(const std::vector<C>& found, std::vector<C> reference)
{
    double worst = 0.0;
    for (const C& z : found) {
        auto nearest = std::min_element(reference.begin(), reference.end(),
                                        [&](const C& p, const C& q) { return std::abs(z - p) < std::abs(z - q); });
        if (nearest == reference.end())
            return std::numeric_limits<double>::infinity();
        worst = std::max(worst, std::abs(z - *nearest) / std::max(1.0, std::abs(*nearest)));
        reference.erase(nearest);
    }
    return reference.empty() ? worst : std::numeric_limits<double>::infinity();
}

// Laguerre's iteration takes x for a root once |p(x)| is within 1E-14 of
// the rounding bound sum |a_j| |x|^j. Near a root r of multiplicity k,
// |p(x)| is about |p^(k)(r) / k!| |x - r|^k, so the root is found only to
// (1E-14 sum |a_j| |r|^j / |p^(k)(r) / k!|)^(1/k): eps^(1/k) of the method.
double multipleRootTolerance(const std::vector<C>& coefficients, C r, int k)
{
    double bound = 0.0;
    for (std::size_t j = 0; j < coefficients.size(); ++j)
        bound += std::abs(coefficients[j]) * std::pow(std::abs(r), static_cast<double>(j));
    // Taylor coefficient p^(k)(r) / k! by k + 1 synthetic divisions.
    std::vector<C> q(coefficients.rbegin(), coefficients.rend());
    C taylor = 0.0;
    for (int pass = 0; pass <= k; ++pass) {
        C b = 0.0;
        std::vector<C> next;
        for (const C& c : q) {
            b = b * r + c;
            next.push_back(b);
        }
        taylor = next.back();
        next.pop_back();
        q = next;
    }
    return 2.0 * std::pow(1E-14 * bound / std::abs(taylor), 1.0 / k);
}

} // namespace

TEST(RootZroots, AgreesWithPolyrootNumpyAndClosedForms)
{
    for (const RootCase& c : rootCases) {
        const auto m = static_cast<int>(c.coefficients.size()) - 1;
        for (bool polish : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (polish ? ", polished" : ""));
            RecordingMessageSink messages;
            const std::vector<C> found = zroots(c.coefficients, polish, messages);
            EXPECT_TRUE(messages.entries.empty());
            EXPECT_TRUE(std::is_sorted(found.begin(), found.end(),
                                       [](const C& p, const C& q) { return p.real() < q.real(); }));
            if (c.multiplicity > 1) {
                // numpy.roots and polyroot are no more accurate than this at
                // a multiple root: compare with the exact roots only.
                const C repeated = c.exact.front();
                EXPECT_LE(worstDeviation(found, c.exact),
                          multipleRootTolerance(c.coefficients, repeated, c.multiplicity));
                continue;
            }
            // Deflation divides by each root found, largest moduli amplifying
            // the rounding of earlier roots; at degree 50 (moduli up to 1.8)
            // the unpolished roots keep about 5 digits. Polishing on the full
            // polynomial restores them.
            // The two oracles are trusted as far as they agree with each
            // other (polyroot is good to about 7E-12 on x^50 - 1).
            const double tolerance = polish || m <= 30 ? 1E-12 : 1E-4;
            const double spread = worstDeviation(c.numpyRoots, c.polyroot);
            EXPECT_LE(worstDeviation(found, c.numpyRoots), tolerance + spread);
            EXPECT_LE(worstDeviation(found, c.polyroot), tolerance + spread);
            if (!c.exact.empty()) {
                EXPECT_LE(worstDeviation(found, c.exact), tolerance);
            }
        }
    }
}

TEST(RootZroots, ImaginaryPartCutOnlyWhenTinyAgainstTheRealPart)
{
    RecordingMessageSink messages;
    // x^2 - 1: the roots come out real, imaginary parts exactly 0, sorted.
    const std::vector<C> real = zroots({-1, 0, 1}, false, messages);
    ASSERT_EQ(real.size(), 2u);
    EXPECT_NEAR(real[0].real(), -1.0, 1E-15);
    EXPECT_NEAR(real[1].real(), 1.0, 1E-15);
    EXPECT_EQ(real[0].imag(), 0.0);
    EXPECT_EQ(real[1].imag(), 0.0);
    // x^2 + 1: the real parts are rounding noise, the imaginary parts stay.
    const std::vector<C> imaginary = zroots({1, 0, 1}, false, messages);
    ASSERT_EQ(imaginary.size(), 2u);
    EXPECT_NEAR(std::fabs(imaginary[0].imag()), 1.0, 1E-14);
    EXPECT_NEAR(imaginary[0].imag(), -imaginary[1].imag(), 1E-14);
}

TEST(RootZroots, WritesOnlyRootsOneToMAndAcceptsDegreesAbove100)
{
    // x^101 - 1: no fixed-size copy of the coefficients limits the degree.
    const std::int32_t m = 101;
    std::vector<C> coefficients(m + 1, 0.0);
    coefficients.front() = -1.0;
    coefficients.back() = 1.0;
    Sumtrix s;
    RecordingMessageSink messages;
    ScopedMessageSink scope(messages);
    const BoundedArray<Complex> a = coefficientArray(coefficients);
    BoundedArray<Complex> roots(0, m + 1);
    roots(0) = {7, 7};
    roots(m + 1) = {8, 8};
    s.Root_zroots(a, m, roots, true);
    EXPECT_EQ(roots(0), (Complex{7, 7}));
    EXPECT_EQ(roots(m + 1), (Complex{8, 8}));
    std::vector<C> found, exact;
    for (std::int32_t j = 1; j <= m; ++j) {
        found.emplace_back(roots(j).Re, roots(j).Im);
        exact.push_back(std::polar(1.0, 2.0 * std::acos(-1.0) * (j - 1) / m));
    }
    EXPECT_LE(worstDeviation(found, exact), 1E-12);
    EXPECT_TRUE(messages.entries.empty());
}

TEST(RootZroots, BadArgumentsRaiseRunTimeErrors)
{
    Sumtrix s;
    const BoundedArray<Complex> quadratic = coefficientArray({-1, 0, 1});
    BoundedArray<Complex> roots(0, 2);
    BoundedArray<Complex> shortRoots(0, 1);
    const BoundedArray<Complex> shortCoefficients = coefficientArray({-1, 0});
    const BoundedArray<Complex> withNaN =
        coefficientArray({-1, C(std::numeric_limits<double>::quiet_NaN(), 0), 1});
    EXPECT_EQ(errorOf([&] { s.Root_zroots(shortCoefficients, 2, roots, false); }), 9);
    EXPECT_EQ(errorOf([&] { s.Root_zroots(quadratic, 2, shortRoots, false); }), 9);
    EXPECT_EQ(errorOf([&] { s.Root_zroots(withNaN, 2, roots, false); }), ErrOverflow);
    // A degree far beyond the coefficients fails before the copy of them is
    // sized; one whose m + 1 overflows fails with the overflow error.
    const long peak = peakResidentKb();
    EXPECT_EQ(errorOf([&] { s.Root_zroots(quadratic, 200000000, roots, false); }), 9);
    EXPECT_LT(peakResidentKb() - peak, 100 * 1024) << "the copy was sized from m";
    constexpr std::int32_t maxDegree = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(errorOf([&] { s.Root_zroots(quadratic, maxDegree, roots, false); }), ErrOverflow);
    Complex x{};
    std::int32_t its = 0;
    EXPECT_EQ(errorOf([&] { s.Root_laguer(quadratic, maxDegree, x, its); }), ErrOverflow);
}

TEST(RootLaguer, StartAtARootReturnsAfterTheFirstEvaluation)
{
    Sumtrix s;
    const BoundedArray<Complex> a = coefficientArray({-1, 0, 1});
    Complex x{1, 0};
    std::int32_t its = 0;
    s.Root_laguer(a, 2, x, its);
    EXPECT_EQ(its, 1);
    EXPECT_EQ(x, (Complex{1, 0}));
    // From another start it converges to a root.
    x = {0.3, 0.2};
    s.Root_laguer(a, 2, x, its);
    EXPECT_NEAR(std::abs(C(x.Re, x.Im) * C(x.Re, x.Im) - 1.0), 0.0, 1E-14);
    EXPECT_LT(its, 10);
}

TEST(RootLaguer, NoConvergenceShowsItsMessageOnceAndKeepsTheLastIterate)
{
    // A "quadratic" whose two leading coefficients are 0 has no root: the
    // iteration wanders for all 80 steps.
    Sumtrix s;
    RecordingMessageSink messages;
    ScopedMessageSink scope(messages);
    const BoundedArray<Complex> a = coefficientArray({1, 0, 0});
    Complex x{};
    std::int32_t its = 0;
    s.Root_laguer(a, 2, x, its);
    EXPECT_EQ(its, 80);
    ASSERT_EQ(messages.entries.size(), 1u);
    EXPECT_EQ(messages.entries[0].text, "Function ROOT_LAGUER: too many iterations");
    EXPECT_EQ(messages.entries[0].icon, MessageIcon::Information);
    EXPECT_TRUE(std::isfinite(x.Re) && std::isfinite(x.Im));
    EXPECT_NE(x, (Complex{}));
}
