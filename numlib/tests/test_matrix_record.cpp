// Operations on the Matrix record.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"

using namespace SumtrixLib;

namespace {

Matrix make(std::int16_t r, std::int16_t c, const std::vector<double>& rowByRow)
{
    Matrix m;
    m.r = r;
    m.c = c;
    m.Element.redim(0, r, 0, c);
    std::size_t k = 0;
    for (int i = 1; i <= r; ++i)
        for (int j = 1; j <= c; ++j)
            m.Element(i, j) = rowByRow.at(k++);
    return m;
}

std::vector<double> elements(const Matrix& m)
{
    std::vector<double> v;
    for (int i = 1; i <= m.r; ++i)
        for (int j = 1; j <= m.c; ++j)
            v.push_back(m.Element(i, j));
    return v;
}

BoundedArray<Variant> values(std::initializer_list<Variant> list)
{
    return BoundedArray<Variant>(0, list);
}

// Runs f and returns the error it raised (number 0 when none).
RuntimeError errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const RuntimeError& e) {
        return e;
    }
    return RuntimeError(0, "", "");
}

struct ReferenceCase {
    const char* name;
    int n;
    std::vector<double> a;
    double det;
    std::vector<double> inverse;
};

const ReferenceCase referenceCases[] = {
#include "reference/matrix_record_cases.inc"
};

} // namespace

TEST(MatrixCreate, FillsRowByRowFromIndexZero)
{
    Sumtrix s;
    struct Case {
        const char* what;
        BoundedArray<Variant> vals;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {"four values", values({1.0, 2.0, 3.0, 4.0}), {1, 2, 3, 4}},
        {"one missing value stays 0", values({1.0, 2.0, 3.0}), {1, 2, 3, 0}},
        {"surplus values ignored", values({1.0, 2.0, 3.0, 4.0, 5.0, 6.0}), {1, 2, 3, 4}},
        {"a single value leaves zeros", values({5.0}), {0, 0, 0, 0}},
        {"an empty list leaves zeros", BoundedArray<Variant>(0, -1), {0, 0, 0, 0}},
        {"numbers in other types", values({std::int32_t(7), true, std::string(" 2.5 "), Variant()}), {7, -1, 2.5, 0}},
    };
    for (const Case& c : cases) {
        const Matrix m = s.Matrix_CreateMatrix(2, 2, c.vals);
        EXPECT_EQ(m.r, 2) << c.what;
        EXPECT_EQ(m.c, 2) << c.what;
        EXPECT_EQ(elements(m), c.expected) << c.what;
        // Row 0 and column 0 exist and hold 0.
        EXPECT_EQ(m.Element(0, 0), 0.0) << c.what;
        EXPECT_EQ(m.Element(2, 0), 0.0) << c.what;
        EXPECT_EQ(m.Element(0, 2), 0.0) << c.what;
    }
    // Values taken from absolute index 0, whatever the array's lower bound.
    const BoundedArray<Variant> shifted(-1, {9.0, 1.0, 2.0});
    EXPECT_EQ(elements(s.Matrix_CreateMatrix(1, 3, shifted)), (std::vector<double>{1, 2, 0}));
    // A wide record: more elements than a 16-bit counter reaches.
    BoundedArray<Variant> many(0, 40000 - 1);
    for (int k = 0; k < 40000; ++k)
        many(k) = double(k);
    const Matrix big = s.Matrix_CreateMatrix(200, 200, many);
    EXPECT_EQ(big.Element(200, 200), 39999.0);
}

TEST(MatrixErrors, TheEightDescriptionsAndOtherFaults)
{
    Sumtrix s;
    const Matrix m22 = make(2, 2, {1, 2, 3, 4});
    const Matrix m23 = make(2, 3, {1, 2, 3, 4, 5, 6});
    const Matrix m33singular = make(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    const Matrix empty;
    struct Case {
        const char* what;
        std::function<void()> call;
        int number;
        const char* source;
        const char* description;
    };
    const Case cases[] = {
        {"create m = 0", [&] { s.Matrix_CreateMatrix(0, 3, values({})); }, 1000, "MatrixLib - CreateMatrix",
         "Cannot create matrix with dimention = 0!"},
        {"create n = 0", [&] { s.Matrix_CreateMatrix(3, 0, values({})); }, 1000, "MatrixLib - CreateMatrix",
         "Cannot create matrix with dimention = 0!"},
        {"add", [&] { s.Matrix_AddMatrix(m22, m23); }, 1000, "MatrixLib - AddMatrix",
         "Cannot add matrices of different dimentions!"},
        {"subtract", [&] { s.Matrix_SubMatrix(m23, m22); }, 1000, "MatrixLib - SubMatrix",
         "Cannot subtract matrices of different dimentions!"},
        {"multiply", [&] { s.Matrix_MultiplyMatrix(m23, m23); }, 1000, "MatrixLib - MultiplyMatrix",
         "Matrices not compatable for multiplication!"},
        {"determinant non-square", [&] { s.Matrix_Determinant(m23); }, 1000, "MatrixLib - Determinant",
         "Cannot calculate Determinant of non-square matrix!"},
        {"determinant 0 by 0", [&] { s.Matrix_Determinant(empty); }, 1000, "MatrixLib - Determinant",
         "Matrix too small to calculate Determinant! "},
        {"invert non-square", [&] { s.Matrix_InvertMatrix(m23); }, 1000, "MatrixLib - InvertMatrix",
         "Cannot invert a non-square matrix!"},
        {"invert singular", [&] { s.Matrix_InvertMatrix(m33singular); }, 1000, "MatrixLib - InvertMatrix",
         "Cannot invert matrix with Determinant = 0!"},
        {"minor of a single row", [&] { s.Matrix_SubMat(make(1, 3, {1, 2, 3}), 1, 1); }, 1000,
         "MatrixLib - CreateMatrix", "Cannot create matrix with dimention = 0!"},
        {"transpose of a 0 by 0 record", [&] { s.Matrix_TransposeMatrix(empty); }, 1000,
         "MatrixLib - CreateMatrix", "Cannot create matrix with dimention = 0!"},
        {"negative size", [&] { s.Matrix_CreateMatrix(-1, 2, values({})); }, 9, "SumtrixLib",
         "Subscript out of range"},
        {"value not a number", [&] { s.Matrix_CreateMatrix(1, 2, values({1.0, std::string("x")})); }, 13,
         "SumtrixLib", "Type mismatch"},
        {"invert [[0]]", [&] { s.Matrix_InvertMatrix(make(1, 1, {0})); }, 11, "SumtrixLib", "Division by zero"},
        {"record shorter than its size", [&] { Matrix bad = make(2, 2, {1, 2, 3, 4}); bad.r = 3; s.Matrix_ScaleMatrix(bad, 2); },
         9, "SumtrixLib", "Subscript out of range"},
    };
    for (const Case& c : cases) {
        const RuntimeError e = errorOf(c.call);
        EXPECT_EQ(e.number(), c.number) << c.what;
        EXPECT_EQ(e.source(), c.source) << c.what;
        EXPECT_EQ(e.description(), c.description) << c.what;
    }
}

TEST(MatrixArithmetic, TransposeScaleAddSubtractMultiply)
{
    Sumtrix s;
    const Matrix a = make(2, 3, {1, 2, 3, 4, 5, 6});
    const Matrix b = make(2, 3, {0.5, -1, 2, 10, 0, -6});
    const Matrix t = s.Matrix_TransposeMatrix(a);
    EXPECT_EQ(t.r, 3);
    EXPECT_EQ(t.c, 2);
    EXPECT_EQ(elements(t), (std::vector<double>{1, 4, 2, 5, 3, 6}));
    EXPECT_EQ(elements(s.Matrix_ScaleMatrix(a, -0.5)), (std::vector<double>{-0.5, -1, -1.5, -2, -2.5, -3}));
    EXPECT_EQ(elements(s.Matrix_AddMatrix(a, b)), (std::vector<double>{1.5, 1, 5, 14, 5, 0}));
    EXPECT_EQ(elements(s.Matrix_SubMatrix(a, b)), (std::vector<double>{0.5, 3, 1, -6, 5, 12}));
    // 2 by 3 times 3 by 4 gives 2 by 4.
    const Matrix c = make(3, 4, {1, 0, 2, -1, 0, 1, 1, 2, 3, -2, 0, 1});
    const Matrix p = s.Matrix_MultiplyMatrix(a, c);
    EXPECT_EQ(p.r, 2);
    EXPECT_EQ(p.c, 4);
    EXPECT_EQ(elements(p), (std::vector<double>{10, -4, 4, 6, 22, -7, 13, 12}));
    // The arguments are left as they were.
    EXPECT_EQ(elements(a), (std::vector<double>{1, 2, 3, 4, 5, 6}));
}

TEST(MatrixFillHalf, MirrorsOneTriangleOfASquareRecord)
{
    Sumtrix s;
    Matrix m = make(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    s.Matrix_FillHalf(m, true);
    EXPECT_EQ(elements(m), (std::vector<double>{1, 2, 3, 2, 5, 6, 3, 6, 9}));
    m = make(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    s.Matrix_FillHalf(m, false);
    EXPECT_EQ(elements(m), (std::vector<double>{1, 4, 7, 4, 5, 8, 7, 8, 9}));
    Matrix wide = make(2, 3, {1, 2, 3, 4, 5, 6});
    s.Matrix_FillHalf(wide, true);
    EXPECT_EQ(elements(wide), (std::vector<double>{1, 2, 3, 4, 5, 6}));
}

TEST(MatrixDeterminant, WorkedExamplesAndZeroPivots)
{
    Sumtrix s;
    struct Case {
        const char* what;
        Matrix m;
        double det;
    };
    const Case cases[] = {
        {"1 by 1", make(1, 1, {-3.5}), -3.5},
        {"2 by 2", make(2, 2, {1, 2, 3, 4}), -2},
        {"singular: the last pivot is 0", make(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}), 0},
        {"look-ahead adds row 3 to row 2 twice", make(3, 3, {1, 1, 0, 1, 1, 1, 0, 1, 1}), -1},
        // A zero first pivot is exchanged with the first lower row that is
        // non-zero in its column (an exchange changes the sign).
        {"permutation", make(3, 3, {0, 1, 0, 1, 0, 0, 0, 0, 1}), -1},
        {"zero first pivot, exchange with row 3", make(3, 3, {0, 1, 2, 0, 3, 4, 5, 6, 7}), 5 * (1 * 4 - 2 * 3)},
        {"zero pivot in the middle", make(4, 4, {1, 2, 0, 0, 2, 4, 1, 0, 0, 1, 0, 0, 0, 0, 0, 3}), -3},
        {"a zero column", make(3, 3, {0, 1, 2, 0, 3, 4, 0, 6, 7}), 0},
        {"triangular with a zero diagonal", make(3, 3, {1, 5, 6, 0, 0, 7, 0, 0, 2}), 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(s.Matrix_Determinant(c.m), c.det) << c.what;
}

TEST(MatrixDeterminant, AgreesWithR)
{
    Sumtrix s;
    for (const ReferenceCase& rc : referenceCases) {
        const Matrix m = make(static_cast<std::int16_t>(rc.n), static_cast<std::int16_t>(rc.n), rc.a);
        // Elimination with a row exchange only at an exactly zero pivot,
        // against LAPACK's partial pivoting: the two round differently, by a
        // few units of the last place times the (small) growth of these
        // well-conditioned test matrices.
        EXPECT_NEAR(s.Matrix_Determinant(m), rc.det, 1e-12 * std::fabs(rc.det)) << rc.name;
    }
}

TEST(MatrixInvert, WorkedExamplesAndR)
{
    Sumtrix s;
    EXPECT_EQ(elements(s.Matrix_InvertMatrix(make(1, 1, {4}))), (std::vector<double>{0.25}));
    EXPECT_EQ(elements(s.Matrix_InvertMatrix(make(2, 2, {1, 2, 3, 4}))), (std::vector<double>{-2, 1, 1.5, -0.5}));
    for (const ReferenceCase& rc : referenceCases) {
        const Matrix m = make(static_cast<std::int16_t>(rc.n), static_cast<std::int16_t>(rc.n), rc.a);
        const Matrix inv = s.Matrix_InvertMatrix(m);
        ASSERT_EQ(inv.r, rc.n) << rc.name;
        ASSERT_EQ(inv.c, rc.n) << rc.name;
        double scale = 0.0;
        for (double v : rc.inverse)
            scale = std::max(scale, std::fabs(v));
        const std::vector<double> got = elements(inv);
        // The adjugate divided by the determinant against LAPACK's solve:
        // both are exact to about cond(A) units of the last place.
        for (std::size_t k = 0; k < got.size(); ++k)
            EXPECT_NEAR(got[k], rc.inverse[k], 1e-12 * scale) << rc.name << " element " << k;
    }
}

TEST(MatrixBlocks, InsertCombineAndBlocksThatDoNotFit)
{
    Sumtrix s;
    const Matrix dest = make(3, 4, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    const Matrix src = make(2, 2, {5, 6, 7, 8});
    EXPECT_EQ(elements(s.Matrix_InsertMatrix(dest, src, 2, 3)),
              (std::vector<double>{1, 1, 1, 1, 1, 1, 5, 6, 1, 1, 7, 8}));
    EXPECT_EQ(elements(s.Matrix_CombineMatrix(dest, src, 1, 1)),
              (std::vector<double>{6, 7, 1, 1, 8, 9, 1, 1, 1, 1, 1, 1}));
    // A source as large as the destination is copied whole.
    EXPECT_EQ(elements(s.Matrix_InsertMatrix(src, make(2, 2, {9, 8, 7, 6}), 1, 1)), (std::vector<double>{9, 8, 7, 6}));
    EXPECT_EQ(elements(dest), std::vector<double>(12, 1.0));

    struct Case {
        const char* what;
        Matrix src;
        std::int16_t mPos, nPos;
    };
    const Case outside[] = {
        {"past the last row", src, 3, 1},
        {"past the last column", src, 1, 4},
        {"row 0", src, 0, 1},
        {"column 0", src, 1, 0},
        {"negative position", src, -1, 1},
        {"source taller than the destination", make(4, 1, {1, 2, 3, 4}), 1, 1},
    };
    for (const Case& c : outside) {
        EXPECT_EQ(errorOf([&] { s.Matrix_InsertMatrix(dest, c.src, c.mPos, c.nPos); }).number(), 9) << c.what;
        EXPECT_EQ(errorOf([&] { s.Matrix_CombineMatrix(dest, c.src, c.mPos, c.nPos); }).number(), 9) << c.what;
    }
}

TEST(MatrixRowsAndColumns, SwapAndMinor)
{
    Sumtrix s;
    const Matrix m = make(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(elements(s.Matrix_SwapRow(m, 1, 3)), (std::vector<double>{7, 8, 9, 4, 5, 6, 1, 2, 3}));
    EXPECT_EQ(elements(s.Matrix_SwapCol(m, 2, 3)), (std::vector<double>{1, 3, 2, 4, 6, 5, 7, 9, 8}));
    EXPECT_EQ(errorOf([&] { s.Matrix_SwapRow(m, 1, 4); }).number(), 9);
    EXPECT_EQ(errorOf([&] { s.Matrix_SwapCol(m, -1, 2); }).number(), 9);

    EXPECT_EQ(elements(s.Matrix_SubMat(m, 2, 2)), (std::vector<double>{1, 3, 7, 9}));
    EXPECT_EQ(elements(s.Matrix_SubMat(m, 1, 3)), (std::vector<double>{4, 5, 7, 8}));
    EXPECT_EQ(elements(s.Matrix_SubMat(m, 3, 1)), (std::vector<double>{2, 3, 5, 6}));
    // A row or column outside the matrix is an error, not a silently
    // dropped first or last row.
    const std::pair<std::int16_t, std::int16_t> outside[] = {{0, 1}, {4, 1}, {1, 0}, {1, 4}, {-2, 2}};
    for (const auto& [row, col] : outside)
        EXPECT_EQ(errorOf([&] { s.Matrix_SubMat(m, row, col); }).number(), 9) << row << "," << col;
}

TEST(MatrixPrint, AppendsDefaultTextFormRowByRow)
{
    Sumtrix s;
    std::string text = "start:";
    s.Matrix_PrintMatrix(make(2, 2, {1, 2, 3, 4}), text);
    EXPECT_EQ(text, "start:12\r\n34\r\n");

    struct Case {
        double v;
        const char* text;
    };
    const Case forms[] = {
        {0.5, "0.5"},
        {-3.25, "-3.25"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E+15"},
        {-2.5e20, "-2.5E+20"},
        {0.00001, "0.00001"},
        {1.5e-7, "1.5E-07"},
        {0.0, "0"},
    };
    for (const Case& c : forms) {
        std::string t;
        s.Matrix_PrintMatrix(make(1, 1, {c.v}), t);
        EXPECT_EQ(t, std::string(c.text) + "\r\n") << c.v;
    }
}
