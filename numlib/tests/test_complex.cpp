// Complex numbers and elementary functions against std::complex (angles
// taken in [0, 2 pi), the library's branch) and the worked examples.
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using test_support::errorOf;
using std::numbers::pi;

namespace {

using Cx = std::complex<double>;

Cx toStd(const Complex& c) { return {c.Re, c.Im}; }

// The polar angle in [0, 2 pi).
double angle0(Cx z)
{
    const double a = std::arg(z);
    return a < 0.0 ? a + 2.0 * pi : a;
}

// The library computes through polar form with pi cut to 15 digits
// (3.14159265358979, 3.2e-15 short), so a result of modulus m may differ
// from the exact one by a few units of 1e-15 m; 1e-13 m leaves room for the
// rounding of the trigonometric round trip.
::testing::AssertionResult closeTo(const Complex& got, Cx expected, double scale)
{
    const double tol = 1e-13 * std::max(scale, 1e-300);
    if (std::abs(toStd(got) - expected) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.Re << ", " << got.Im << ") vs " << expected
                                         << " (tolerance " << tol << ")";
}

const std::vector<Complex> samples = {
    {3.0, 4.0}, {-1.0, 0.0}, {1.0, -1.0}, {0.0, 1.0}, {-2.5, -0.5}, {1e-3, 7.0},
    {-0.75, 2.25}, {6.0, -1e-9}, {0.0, -3.0}, {123.456, 0.0},
};

} // namespace

TEST(ComplexArithmetic, AgainstStdComplex)
{
    Sumtrix s;
    for (const Complex& a : samples) {
        for (const Complex& b : samples) {
            SCOPED_TRACE(::testing::Message() << toStd(a) << " and " << toStd(b));
            const Cx za = toStd(a), zb = toStd(b);
            EXPECT_EQ(toStd(s.Complex_Add(a, b)), za + zb);
            EXPECT_EQ(toStd(s.Complex_Subtract(a, b)), za - zb);
            EXPECT_TRUE(closeTo(s.Complex_Multiply(a, b), za * zb, std::abs(za) * std::abs(zb)));
            EXPECT_TRUE(closeTo(s.Complex_Divide(a, b), za / zb, std::abs(za) / std::abs(zb)));
        }
    }
}

TEST(ComplexFunctions, AgainstStdComplexWithAnglesFromZeroToTwoPi)
{
    Sumtrix s;
    for (const Complex& a : samples) {
        SCOPED_TRACE(::testing::Message() << toStd(a));
        const Cx z = toStd(a);
        const double m = std::abs(z);
        const double t = angle0(z);
        EXPECT_NEAR(s.Complex_Abs(a), m, 1e-15 * m);
        EXPECT_TRUE(closeTo(s.Complex_Exp(a), std::exp(z), std::exp(a.Re)));
        const Complex lg = s.Complex_Log(a);
        EXPECT_NEAR(lg.Re, std::log(m), 1e-15 * std::max(1.0, std::fabs(std::log(m))));
        EXPECT_NEAR(lg.Im, t, 1e-14);
        // Powers take the angle from [0, 2 pi) times n, reduced again.
        for (double n : {2.0, 3.0, 0.5, -1.0, 3.7}) {
            SCOPED_TRACE(n);
            const double mn = std::pow(m, n);
            EXPECT_TRUE(closeTo(s.Complex_Power(a, n), std::polar(mn, t * n), mn * 4.0));
        }
        // Roots from the principal one (angle t / n) in order of angle.
        for (std::int32_t n : {1, 2, 3, 5}) {
            SCOPED_TRACE(n);
            BoundedArray<Complex> roots;
            s.Complex_Root(a, n, roots);
            ASSERT_EQ(roots.lbound(), 0);
            ASSERT_EQ(roots.ubound(), n);
            EXPECT_EQ(roots(0), Complex{});
            const double rho = std::pow(m, 1.0 / n);
            for (std::int32_t k = 1; k <= n; ++k) {
                EXPECT_TRUE(closeTo(roots(k), std::polar(rho, t / n + (k - 1) * 2.0 * pi / n), rho));
                EXPECT_TRUE(closeTo({std::pow(toStd(roots(k)), n).real(), std::pow(toStd(roots(k)), n).imag()},
                                    z, m * 4.0));
            }
        }
    }
}

TEST(ComplexFunctions, WorkedExamples)
{
    Sumtrix s;
    // Zero coordinates are replaced by 1E-30 in the caller's variables.
    double x = 0.0, y = 0.0, u = -1.0, V = -1.0;
    s.RectToPolar(x, y, u, V);
    EXPECT_EQ(u, 0.0);
    EXPECT_DOUBLE_EQ(V, pi / 4.0);
    EXPECT_EQ(x, 1e-30);
    EXPECT_EQ(y, 1e-30);
    // A copy protects the caller's variable.
    double keep = 0.0;
    s.RectToPolar(double(keep), 2.0, u, V);
    EXPECT_EQ(keep, 0.0);

    // Just below pi: the library's pi, 3.14159265358979.
    x = -1.0;
    y = 0.0;
    s.RectToPolar(x, y, u, V);
    EXPECT_EQ(u, 1.0);
    EXPECT_EQ(V, 3.14159265358979);
    EXPECT_LT(V, pi);
    EXPECT_EQ(y, 1e-30);
    x = 1.0;
    y = -1.0;
    s.RectToPolar(x, y, u, V);
    EXPECT_NEAR(V, 7.0 * pi / 4.0, 1e-14);

    double px = 0.0, py = 0.0;
    s.PolarToRect(px, py, 2.0, pi / 6.0);
    EXPECT_DOUBLE_EQ(px, std::sqrt(3.0));
    EXPECT_DOUBLE_EQ(py, 1.0);

    EXPECT_TRUE(closeTo(s.Complex_Multiply({0, 1}, {0, 1}), {-1.0, 0.0}, 1.0));
    EXPECT_TRUE(closeTo(s.Complex_Divide({1, 0}, {0, 1}), {0.0, -1.0}, 1.0));
    EXPECT_NEAR(s.Complex_Log(s.Complex_Divide({1, 0}, {0, 1})).Im, 3.0 * pi / 2.0, 1e-14);

    const Complex logMinusOne = s.Complex_Log({-1.0, 0.0});
    EXPECT_EQ(logMinusOne.Re, 0.0);
    EXPECT_LT(logMinusOne.Im, pi);
    EXPECT_NEAR(logMinusOne.Im, pi, 1e-14);
    EXPECT_NEAR(s.Complex_Log({1.0, -1.0}).Im, 7.0 * pi / 4.0, 1e-14);
    const Complex logZero = s.Complex_Log({0.0, 0.0});
    EXPECT_EQ(logZero.Re, 0.0);
    EXPECT_DOUBLE_EQ(logZero.Im, pi / 4.0);

    BoundedArray<Complex> roots(1, 7);
    s.Complex_Root({8.0, 0.0}, 3, roots);
    EXPECT_EQ(roots.lbound(), 0);
    EXPECT_EQ(roots.ubound(), 3);
    EXPECT_EQ(roots(0), Complex{});
    EXPECT_TRUE(closeTo(roots(1), 2.0, 2.0));
    EXPECT_TRUE(closeTo(roots(2), std::polar(2.0, 2.0 * pi / 3.0), 2.0));
    EXPECT_TRUE(closeTo(roots(3), std::polar(2.0, 4.0 * pi / 3.0), 2.0));
}

TEST(ComplexFunctions, Failures)
{
    Sumtrix s;
    EXPECT_EQ(errorOf([&] { s.Complex_Divide({1, 2}, {0, 0}); }), ErrDivisionByZero);
    EXPECT_EQ(errorOf([&] { s.Complex_Multiply({1e200, 0}, {1e200, 1}); }), ErrOverflow);
    EXPECT_NE(errorOf([&] { s.Complex_Power({0, 0}, -2.0); }), 0);
    // n = 0: Root is dimensioned 0..0 before the division by n fails.
    BoundedArray<Complex> roots(1, 4);
    EXPECT_EQ(errorOf([&] { s.Complex_Root({1, 1}, 0, roots); }), ErrDivisionByZero);
    EXPECT_EQ(roots.lbound(), 0);
    EXPECT_EQ(roots.ubound(), 0);
}

TEST(ElementaryFunctions, ScalarCases)
{
    Sumtrix s;
    EXPECT_EQ(s.FUNC_Sq(-3.0), 9.0);
    EXPECT_EQ(s.FUNC_Abs(-2.5), 2.5);
    EXPECT_EQ(s.FUNC_Power(-2.0, 3.0), 8.0);
    EXPECT_EQ(s.FUNC_Power(0.0, 0.0), 1.0);
    EXPECT_DOUBLE_EQ(s.FUNC_Power(-9.0, 0.5), 3.0);
    EXPECT_NE(errorOf([&] { s.FUNC_Power(0.0, -1.0); }), 0);
    EXPECT_EQ(errorOf([&] { s.FUNC_Sq(1e200); }), ErrOverflow);

    // The library's pi / 2 at +-1, 0 beyond.
    EXPECT_EQ(s.Math_Asin(1.0), 3.14159265358979 / 2.0);
    EXPECT_EQ(s.Math_Asin(-1.0), -3.14159265358979 / 2.0);
    EXPECT_EQ(s.Math_Asin(1.5), 0.0);
    EXPECT_EQ(s.Math_Asin(-7.0), 0.0);
    for (double x : {-0.999, -0.5, 0.0, 0.1, 0.7071, 0.99999})
        EXPECT_NEAR(s.Math_Asin(x), std::asin(x), 2e-15 * std::max(1.0, std::fabs(std::asin(x)))) << x;

    struct RoundCase { double x; bool up; double expected; };
    const RoundCase rounds[] = {
        {3.14, false, 3.0}, {3.14, true, 4.0}, {3.04, false, 3.04}, {3.04, true, 3.04},
        {-2.35, false, -3.0}, {-2.35, true, -2.0}, {7.0, true, 7.0}, {2.96, true, 3.0},
        {2.96, false, 2.0}, {-0.5, true, 0.0}, {-0.5, false, -1.0}, {12.05, true, 12.05},
    };
    for (const RoundCase& c : rounds)
        EXPECT_EQ(s.Math_Round(c.x, c.up), c.expected) << c.x << " " << c.up;
    EXPECT_EQ(s.Math_Round(3.14), 3.0);

    // On equality both return the second argument (told apart by the sign of 0).
    EXPECT_TRUE(std::signbit(s.Min(0.0, -0.0)));
    EXPECT_FALSE(std::signbit(s.Min(-0.0, 0.0)));
    EXPECT_TRUE(std::signbit(s.Max(0.0, -0.0)));
    EXPECT_FALSE(std::signbit(s.Max(-0.0, 0.0)));
    EXPECT_EQ(s.Min(2.0, 5.0), 2.0);
    EXPECT_EQ(s.Min(5.0, 2.0), 2.0);
    EXPECT_EQ(s.Max(2.0, 5.0), 5.0);
    EXPECT_EQ(s.Max(5.0, 2.0), 5.0);

    double v1 = 1.5, v2 = -4.0;
    s.Swap(v1, v2);
    EXPECT_EQ(v1, -4.0);
    EXPECT_EQ(v2, 1.5);

    EXPECT_EQ(s.Sign(-3.0, 0.0), 3.0);
    EXPECT_EQ(s.Sign(3.0, -0.5), -3.0);
    EXPECT_EQ(s.Sign(-3.0, 2.0), 3.0);

    EXPECT_DOUBLE_EQ(s.LogY(8.0, 2.0), 3.0);
    EXPECT_DOUBLE_EQ(s.LogY(0.001, 10.0), -3.0);
    EXPECT_EQ(errorOf([&] { s.LogY(0.0, 2.0); }), ErrInvalidCall);
    EXPECT_EQ(errorOf([&] { s.LogY(2.0, -1.0); }), ErrInvalidCall);
    EXPECT_EQ(errorOf([&] { s.LogY(2.0, 1.0); }), ErrDivisionByZero);

    const BoundedArray<double> coefficients(0, {99.0, 1.0, 2.0, 3.0});
    EXPECT_EQ(s.Poly_value(3, coefficients, 2.0), 17.0);
    EXPECT_EQ(s.Poly_value(1, coefficients, 2.0), 1.0);
    EXPECT_EQ(s.Poly_value(0, coefficients, 2.0), 0.0);
    EXPECT_EQ(s.Poly_value(-2, coefficients, 2.0), 0.0);
    EXPECT_EQ(errorOf([&] { s.Poly_value(4, coefficients, 2.0); }), ErrSubscript);
}

TEST(ElementaryFunctions, MinMatrixAndMaxMatrixSortInPlace)
{
    Sumtrix s;
    // Below 500 the bubble sort, from 500 up the Shell sort; the array is
    // left sorted either way.
    for (std::int32_t upper : {5, 499, 500, 600}) {
        SCOPED_TRACE(upper);
        BoundedArray<double> m(1, upper);
        for (std::int32_t i = 1; i <= upper; ++i)
            m(i) = static_cast<double>((i * 7919) % 1009) - 300.0;
        std::vector<double> expected = m.data();
        std::sort(expected.begin(), expected.end());
        BoundedArray<double> copy = m;
        EXPECT_EQ(s.MinMatrix(m), expected.front());
        EXPECT_EQ(m.data(), expected);
        EXPECT_EQ(s.MaxMatrix(copy), expected.back());
        EXPECT_EQ(copy.data(), expected);
    }

    // From index 0 the "minimum" is the element at index 1: the second smallest.
    BoundedArray<double> fromZero(0, {5.0, 3.0, 9.0, 1.0});
    EXPECT_EQ(s.MinMatrix(fromZero), 3.0);
    EXPECT_EQ(fromZero, BoundedArray<double>(0, {1.0, 3.0, 5.0, 9.0}));

    // Errors give the markers, and the call succeeds.
    BoundedArray<double> unallocated;
    EXPECT_EQ(s.MinMatrix(unallocated), 1e99);
    EXPECT_EQ(s.MaxMatrix(unallocated), 1e-99);
    BoundedArray<double> withoutOne(2, {4.0, 2.0, 3.0});
    EXPECT_EQ(s.MinMatrix(withoutOne), 1e99);
    EXPECT_EQ(withoutOne, BoundedArray<double>(2, {2.0, 3.0, 4.0}));
    EXPECT_EQ(s.MaxMatrix(withoutOne), 4.0);
}
