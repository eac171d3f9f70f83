// Matrix algebra on plain arrays: transpose, inverse, product and the two
// tridiagonal solvers.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using SumtrixLib::test_support::base0;
using SumtrixLib::test_support::base1;
using SumtrixLib::test_support::errorOf;
using SumtrixLib::test_support::peakResidentKb;

namespace {

constexpr double Eps = std::numeric_limits<double>::epsilon();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

struct InverseCase {
    const char* name;
    int n;
    std::vector<double> a;
    std::vector<double> numpyInverse;
    std::vector<double> rInverse;
    double condition;
};

struct ProductCase {
    const char* name;
    int r1, c1, c2;
    std::vector<double> a, b, product;
};

struct TridiagonalCase {
    const char* name;
    int n;
    std::vector<double> sub, diag, super, rhs, solution;
};

const InverseCase inverseCases[] = {
#define MATRIX_INVERSE_CASES
#include "reference/matrix_arrays_cases.inc"
#undef MATRIX_INVERSE_CASES
};
const ProductCase productCases[] = {
#define MATRIX_PRODUCT_CASES
#include "reference/matrix_arrays_cases.inc"
#undef MATRIX_PRODUCT_CASES
};
const TridiagonalCase tridiagonalCases[] = {
#define TRIDIAGONAL_CASES
#include "reference/matrix_arrays_cases.inc"
#undef TRIDIAGONAL_CASES
};

// An r by c array dimensioned (0..r, 0..c), filled row by row from
// (1, 1); row 0 and column 0 hold a marker that must never be read.
constexpr double Unused = 99.0;
BoundedArray2<double> array2(int r, int c, const std::vector<double>& rowByRow)
{
    BoundedArray2<double> m(0, r, 0, c);
    for (int i = 0; i <= r; ++i)
        for (int j = 0; j <= c; ++j)
            m(i, j) = i == 0 || j == 0 ? Unused : rowByRow.at(static_cast<std::size_t>((i - 1) * c + j - 1));
    return m;
}

std::vector<double> elements(const BoundedArray2<double>& m)
{
    std::vector<double> v;
    for (int i = 1; i <= m.ubound(1); ++i)
        for (int j = 1; j <= m.ubound(2); ++j)
            v.push_back(m(i, j));
    return v;
}

double maxAbs(const std::vector<double>& v)
{
    double m = 0.0;
    for (double x : v)
        m = std::max(m, std::fabs(x));
    return m;
}

// max |x - y| relative to max |y|.
double relativeDeviation(const std::vector<double>& x, const std::vector<double>& y)
{
    double d = 0.0;
    for (std::size_t i = 0; i < y.size(); ++i)
        d = std::max(d, std::fabs(x.at(i) - y[i]));
    return d / std::max(maxAbs(y), std::numeric_limits<double>::min());
}

std::vector<double> values(const BoundedArray<double>& a, int from, int to)
{
    std::vector<double> v;
    for (int i = from; i <= to; ++i)
        v.push_back(a(i));
    return v;
}

} // namespace

TEST(MatrixInvert, AgreesWithNumpyAndRAndExactHilbertInverses)
{
    Sumtrix s;
    for (const InverseCase& c : inverseCases) {
        SCOPED_TRACE(c.name);
        BoundedArray2<double> a = array2(c.n, c.n, c.a);
        BoundedArray2<double> result;
        std::string msg;
        ASSERT_TRUE(s.Matrix_Invert(a, result, msg)) << msg;
        EXPECT_EQ(msg, "Normal end");
        EXPECT_EQ(result.lbound(1), 1);
        EXPECT_EQ(result.ubound(2), c.n);
        // Gauss-Jordan with partial pivoting: the error is bounded by a
        // small multiple of the condition number times the rounding unit.
        const double tolerance = 20.0 * c.condition * Eps;
        EXPECT_LE(relativeDeviation(elements(result), c.numpyInverse), tolerance);
        EXPECT_LE(relativeDeviation(elements(result), c.rInverse), tolerance);
        // Matrix1 is left reduced to the identity; row and column 0 untouched.
        for (int i = 0; i <= c.n; ++i)
            for (int j = 0; j <= c.n; ++j)
                EXPECT_NEAR(a(i, j), i == 0 || j == 0 ? Unused : i == j ? 1.0 : 0.0, 1E-9);
    }
}

TEST(MatrixInvert, PivotsRowExchangesAndMessages)
{
    Sumtrix s;
    struct Case {
        const char* what;
        int r, c;
        std::vector<double> a;
        bool ok;
        const char* msg;
        std::vector<double> inverse;
    };
    const Case cases[] = {
        {"exchange at the first column", 2, 2, {0, 1, 1, 0}, true, "Normal end", {0, 1, 1, 0}},
        // The first non-zero pivot 1E-20 gave [[0, 1], [1, -1E-20]]; the
        // largest pivot gives the true inverse.
        {"tiny first pivot", 2, 2, {1E-20, 1, 1, 1}, true, "Normal end", {-1, 1, 1, -1E-20}},
        {"singular at the second column", 2, 2, {1, 2, 2, 4}, false, "Singular matrix", {}},
        {"zero matrix", 3, 3, std::vector<double>(9, 0.0), false, "Singular matrix", {}},
        {"not square", 2, 3, {1, 2, 3, 4, 5, 6}, false, "Number of rows and columns has to be equal", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoundedArray2<double> a = array2(c.r, c.c, c.a);
        BoundedArray2<double> result;
        std::string msg = "stale";
        EXPECT_EQ(s.Matrix_Invert(a, result, msg), c.ok);
        EXPECT_EQ(msg, c.msg);
        if (c.ok) {
            const std::vector<double> got = elements(result);
            for (std::size_t k = 0; k < got.size(); ++k)
                EXPECT_NEAR(got[k], c.inverse[k], 1E-15);
        }
    }
}

TEST(MatrixArrays, RunTimeErrorsAreTrappedIntoMsg)
{
    Sumtrix s;
    BoundedArray2<double> unallocated, result;
    BoundedArray2<double> ok = array2(1, 1, {2});
    BoundedArray2<double> huge = array2(1, 1, {1E200});
    BoundedArray2<double> tiny = array2(1, 1, {1E-310});
    std::string msg;
    EXPECT_FALSE(s.Matrix_Multiply(unallocated, ok, result, msg));
    EXPECT_EQ(msg, "Error found:\r\n   Number:  9\r\n   Description: Subscript out of range\r\n   Source: SumtrixLib");
    EXPECT_FALSE(s.Matrix_Transpose(unallocated, result, msg));
    EXPECT_EQ(msg.rfind("Error found:\r\n   Number:  9\r\n", 0), 0u);
    EXPECT_FALSE(s.Matrix_Invert(unallocated, result, msg));
    EXPECT_EQ(msg.rfind("Error found:\r\n   Number:  9\r\n", 0), 0u);
    EXPECT_FALSE(s.Matrix_Multiply(huge, huge, result, msg));
    EXPECT_EQ(msg, "Error found:\r\n   Number:  6\r\n   Description: Overflow\r\n   Source: SumtrixLib");
    EXPECT_FALSE(s.Matrix_Invert(tiny, result, msg));
    EXPECT_EQ(msg.rfind("Error found:\r\n   Number:  6\r\n", 0), 0u);
}

TEST(MatrixMultiply, AgreesWithNumpy)
{
    Sumtrix s;
    for (const ProductCase& c : productCases) {
        SCOPED_TRACE(c.name);
        const BoundedArray2<double> a = array2(c.r1, c.c1, c.a);
        const BoundedArray2<double> b = array2(c.c1, c.c2, c.b);
        BoundedArray2<double> result(0, 7, 0, 7);
        std::string msg;
        ASSERT_TRUE(s.Matrix_Multiply(a, b, result, msg));
        EXPECT_EQ(msg, "Normal end");
        EXPECT_EQ(result.lbound(1), 1);
        EXPECT_EQ(result.ubound(1), c.r1);
        EXPECT_EQ(result.ubound(2), c.c2);
        // Different summation orders: each sum agrees within c1 rounding
        // units of sum |a_ij b_jk|.
        for (int i = 1; i <= c.r1; ++i)
            for (int k = 1; k <= c.c2; ++k) {
                double magnitude = 0.0;
                for (int j = 1; j <= c.c1; ++j)
                    magnitude += std::fabs(a(i, j) * b(j, k));
                EXPECT_NEAR(result(i, k), c.product.at(static_cast<std::size_t>((i - 1) * c.c2 + k - 1)),
                            2.0 * c.c1 * Eps * magnitude);
            }
    }
    BoundedArray2<double> result;
    std::string msg;
    EXPECT_FALSE(s.Matrix_Multiply(array2(2, 3, std::vector<double>(6, 1.0)), array2(2, 3, std::vector<double>(6, 1.0)),
                                   result, msg));
    EXPECT_EQ(msg, "Rows of matrix 1 is not equal to columns of matrix 2");
}

TEST(MatrixTranspose, SwapsRowsAndColumns)
{
    Sumtrix s;
    BoundedArray2<double> result;
    std::string msg;
    ASSERT_TRUE(s.Matrix_Transpose(array2(2, 3, {1, 2, 3, 4, 5, 6}), result, msg));
    EXPECT_EQ(msg, "Normal end");
    EXPECT_EQ(result.lbound(1), 1);
    EXPECT_EQ(result.ubound(1), 3);
    EXPECT_EQ(result.ubound(2), 2);
    EXPECT_EQ(elements(result), (std::vector<double>{1, 4, 2, 5, 3, 6}));
}

TEST(TridiagonalSolvers, AgreeWithSolveBanded)
{
    Sumtrix s;
    for (const TridiagonalCase& c : tridiagonalCases) {
        SCOPED_TRACE(c.name);
        // Neither solver pivots; on these systems (including the one that
        // is not diagonally dominant) that costs no more than a few digits
        // beyond LAPACK's partial pivoting.
        const double tolerance = 1E-12 * maxAbs(c.solution);

        BoundedArray<double> u(0, c.n);
        ASSERT_TRUE(s.Matrix_TriDiag(base1(c.sub), base1(c.diag), base1(c.super), base1(c.rhs), u, c.n));
        const std::vector<double> thomas = values(u, 1, c.n);
        for (int i = 0; i < c.n; ++i)
            EXPECT_NEAR(thomas[static_cast<std::size_t>(i)], c.solution[static_cast<std::size_t>(i)], tolerance);

        // Negative pivots are pivots too: the magnitude is compared with
        // the tolerance.
        BoundedArray<double> a = base0(c.sub), b = base0(c.diag), d = base0(c.rhs);
        ASSERT_TRUE(s.Matrix_TriDiagonal(c.n, a, b, base0(c.super), d, Variant(1E-10)));
        for (int i = 0; i < c.n; ++i)
            EXPECT_NEAR(d(i), c.solution[static_cast<std::size_t>(i)], tolerance);
    }
}

TEST(TridiagonalSolvers, SingularPivotsAndPartialResults)
{
    Sumtrix s;
    // b(1) = 0: false, u untouched.
    BoundedArray<double> u = base1({7, 7});
    EXPECT_FALSE(s.Matrix_TriDiag(base1({0, 1}), base1({0, 1}), base1({1, 0}), base1({1, 1}), u, 2));
    EXPECT_EQ(values(u, 1, 2), (std::vector<double>{7, 7}));
    // A zero pivot in row 2: u(1) was already written.
    EXPECT_FALSE(s.Matrix_TriDiag(base1({0, 1}), base1({1, 1}), base1({1, 0}), base1({3, 1}), u, 2));
    EXPECT_EQ(u(1), 3);

    struct Case {
        const char* what;
        std::vector<double> a, b, c, d;
        double tolerance;
        bool solved;
        std::vector<double> solution;
    };
    const Case cases[] = {
        {"n = 1 divides by b(0)", {0}, {4}, {0}, {2}, 1E-10, true, {0.5}},
        {"n = 1, |b(0)| below the tolerance", {0}, {1E-12}, {0}, {2}, 1E-10, false, {}},
        {"negative first pivot", {0, 1}, {-2, 3}, {1, 0}, {-1, 4}, 1E-10, true, {1, 1}},
        {"pivot in row 2 cancels", {0, 1}, {1, 1}, {1, 0}, {1, 1}, 1E-10, false, {}},
        {"pivot in row 2 just below the tolerance", {0, 1}, {1, 1 + 1E-11}, {1, 0}, {1, 1}, 1E-10, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoundedArray<double> a = base0(c.a), b = base0(c.b), d = base0(c.d);
        const auto n = static_cast<std::int32_t>(c.b.size());
        EXPECT_EQ(s.Matrix_TriDiagonal(n, a, b, base0(c.c), d, Variant(c.tolerance)), c.solved);
        if (c.solved) {
            for (int i = 0; i < n; ++i)
                EXPECT_DOUBLE_EQ(d(i), c.solution[static_cast<std::size_t>(i)]);
        }
    }
}

TEST(TridiagonalSolvers, LargeSystemsWithAKnownSolution)
{
    // n = 1000: beyond the 500 equations a fixed work array once allowed.
    // The right side is built from a chosen solution.
    const int n = 1000;
    std::vector<double> sub(n), diag(n), super(n), x(n), rhs(n);
    for (int i = 0; i < n; ++i) {
        sub[static_cast<std::size_t>(i)] = i == 0 ? 0.0 : -1.0 + std::fmod(0.37 * i, 1.0);
        super[static_cast<std::size_t>(i)] = i == n - 1 ? 0.0 : 1.0 - std::fmod(0.61 * i, 1.0);
        diag[static_cast<std::size_t>(i)] = (i % 2 == 0 ? 3.0 : -3.0) + std::fmod(0.29 * i, 1.0);
        x[static_cast<std::size_t>(i)] = std::sin(0.01 * i) * 100.0;
    }
    for (int i = 0; i < n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        rhs[k] = diag[k] * x[k] + (i > 0 ? sub[k] * x[k - 1] : 0.0) + (i < n - 1 ? super[k] * x[k + 1] : 0.0);
    }
    Sumtrix s;
    BoundedArray<double> u(0, n);
    ASSERT_TRUE(s.Matrix_TriDiag(base1(sub), base1(diag), base1(super), base1(rhs), u, n));
    BoundedArray<double> a = base0(sub), b = base0(diag), d = base0(rhs);
    ASSERT_TRUE(s.Matrix_TriDiagonal(n, a, b, base0(super), d, Variant(1E-10)));
    for (int i = 0; i < n; ++i) {
        EXPECT_NEAR(u(i + 1), x[static_cast<std::size_t>(i)], 1E-11);
        EXPECT_NEAR(d(i), x[static_cast<std::size_t>(i)], 1E-11);
    }
}

TEST(TridiagonalSolvers, BadInputRaisesRunTimeErrors)
{
    Sumtrix s;
    BoundedArray<double> u(0, 3);
    EXPECT_EQ(errorOf([&] { s.Matrix_TriDiag(base1({0, 1}), base1({2, 2}), base1({1, 0}), base1({1, 1}), u, 3); }),
              9);
    EXPECT_EQ(errorOf([&] { s.Matrix_TriDiag(base1({0, 1}), base1({2, NaN}), base1({1, 0}), base1({1, 1}), u, 2); }),
              6);
    BoundedArray<double> a = base0({0, 1}), b = base0({2, 2}), d = base0({1, NaN});
    EXPECT_EQ(errorOf([&] { s.Matrix_TriDiagonal(2, a, b, base0({1, 0}), d, Variant(1E-10)); }), 6);
    BoundedArray<double> a3 = base0({0, 1}), b3 = base0({2, 2}), d3 = base0({1, 1});
    EXPECT_EQ(errorOf([&] { s.Matrix_TriDiagonal(3, a3, b3, base0({1, 0}), d3, Variant(1E-10)); }), 9);
    EXPECT_EQ(errorOf([&] { s.Matrix_TriDiagonal(2, a3, b3, base0({1, 0}), d3, Variant(std::string("tiny"))); }),
              13);
    // n - 1 of n = -2^31 overflows; Matrix_TriDiag cannot size its work
    // array for a negative n before that.
    constexpr std::int32_t minCount = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(errorOf([&] { s.Matrix_TriDiagonal(minCount, a3, b3, base0({1, 0}), d3, Variant(1E-10)); }), 6);
    EXPECT_EQ(errorOf([&] { s.Matrix_TriDiag(base1({0, 1}), base1({2, 2}), base1({1, 0}), base1({1, 1}), u, minCount); }),
              9);
    // A size far beyond the diagonals fails on the first element that is
    // not there, before the work array is sized for it.
    const long peak = peakResidentKb();
    EXPECT_EQ(errorOf([&] { s.Matrix_TriDiag(base1({0, 1}), base1({2, 2}), base1({1, 0}), base1({1, 1}), u, 200000000); }),
              9);
    EXPECT_LT(peakResidentKb() - peak, 100 * 1024) << "the work array was sized from n";
}
