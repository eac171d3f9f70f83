// Operations on the Matrix record: creation, transpose, scaling, sum and
// difference, mirroring, product, determinant, inverse, block insertion,
// row and column exchange, minors and a text form.
//
// Argument checks raise error 1000 with the source "MatrixLib - " plus the
// operation and one of eight fixed descriptions (their spelling is part of
// the interface). Other faults are the classic run-time errors: 9 for an
// index outside an element array, 13 for a value that is not a number, 11
// for a division by zero.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "SumtrixLib/Sumtrix.hpp"
#include "variant_number.hpp"

namespace SumtrixLib {

namespace {

const char* const ErrCreate = "Cannot create matrix with dimention = 0!";
const char* const ErrAdd = "Cannot add matrices of different dimentions!";
const char* const ErrSubtract = "Cannot subtract matrices of different dimentions!";
const char* const ErrMultiply = "Matrices not compatable for multiplication!";
const char* const ErrDetNonSquare = "Cannot calculate Determinant of non-square matrix!";
const char* const ErrDetTooSmall = "Matrix too small to calculate Determinant! ";
const char* const ErrInvNonSquare = "Cannot invert a non-square matrix!";
const char* const ErrInvSingular = "Cannot invert matrix with Determinant = 0!";

// An empty list of values: Matrix_CreateMatrix then leaves every element 0.
const BoundedArray<Variant>& noValues()
{
    static const BoundedArray<Variant> empty(0, -1);
    return empty;
}


// The default text form of a double: up to 15 significant digits without
// trailing zeros, in exponent form ("1E+15", "1.5E-07") outside 1E-5 to 1E15.
std::string defaultText(double v)
{
    if (v == 0.0)
        return "0";
    if (!std::isfinite(v))
        return std::isnan(v) ? "NaN" : (v > 0 ? "Inf" : "-Inf");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14E", v);
    // buf: [-]d.ddddddddddddddE[+-]xx
    std::string s(buf);
    const std::size_t ePos = s.find('E');
    std::string mantissa = s.substr(0, ePos);
    const int exponent = std::stoi(s.substr(ePos + 1));
    const bool negative = mantissa[0] == '-';
    if (negative)
        mantissa.erase(0, 1);
    std::string digits;
    for (char ch : mantissa)
        if (ch != '.')
            digits += ch;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -5) {
        out += digits.substr(0, 1);
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1);
        }
        char e[16];
        std::snprintf(e, sizeof e, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        out += e;
    } else if (exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        const std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits + std::string(intDigits - digits.size(), '0');
        } else {
            out += digits.substr(0, intDigits) + "." + digits.substr(intDigits);
        }
    }
    return out;
}

} // namespace

Matrix Sumtrix::Matrix_CreateMatrix(std::int16_t m, std::int16_t n, const BoundedArray<Variant>& Values)
{
    if (m == 0 || n == 0)
        raiseMatrixError("CreateMatrix", ErrCreate);
    if (m < 0 || n < 0)
        raiseError(ErrSubscript);
    Matrix result;
    result.Element.redim(0, m, 0, n);
    result.r = m;
    result.c = n;
    const std::int32_t upper = Values.ubound();
    if (upper > 0) {
        // Values are taken row by row from absolute index 0; surplus values
        // are ignored and missing ones leave zeros.
        std::int32_t k = 0;
        for (std::int32_t i = 1; i <= m && k <= upper; ++i) {
            for (std::int32_t j = 1; j <= n; ++j) {
                if (k > upper)
                    break;
                result.Element(i, j) = variantToDouble(Values(k));
                ++k;
            }
        }
    }
    return result;
}

Matrix Sumtrix::Matrix_TransposeMatrix(const Matrix& dMat)
{
    Matrix result = this->Matrix_CreateMatrix(dMat.c, dMat.r, noValues());
    for (std::int32_t i = 1; i <= dMat.r; ++i)
        for (std::int32_t j = 1; j <= dMat.c; ++j)
            result.Element(j, i) = dMat.Element(i, j);
    return result;
}

Matrix Sumtrix::Matrix_ScaleMatrix(const Matrix& dMat, double Multiplier)
{
    Matrix result = dMat;
    for (std::int32_t i = 1; i <= dMat.r; ++i)
        for (std::int32_t j = 1; j <= dMat.c; ++j)
            result.Element(i, j) = checkedMul(dMat.Element(i, j), Multiplier);
    return result;
}

Matrix Sumtrix::Matrix_AddMatrix(const Matrix& dMat1, const Matrix& dMat2)
{
    if (dMat1.r != dMat2.r || dMat1.c != dMat2.c)
        raiseMatrixError("AddMatrix", ErrAdd);
    Matrix result = this->Matrix_CreateMatrix(dMat1.r, dMat1.c, noValues());
    for (std::int32_t i = 1; i <= dMat1.r; ++i)
        for (std::int32_t j = 1; j <= dMat1.c; ++j)
            result.Element(i, j) = checkedAdd(dMat1.Element(i, j), dMat2.Element(i, j));
    return result;
}

Matrix Sumtrix::Matrix_SubMatrix(const Matrix& dMat1, const Matrix& dMat2)
{
    if (dMat1.r != dMat2.r || dMat1.c != dMat2.c)
        raiseMatrixError("SubMatrix", ErrSubtract);
    Matrix result = this->Matrix_CreateMatrix(dMat1.r, dMat1.c, noValues());
    for (std::int32_t i = 1; i <= dMat1.r; ++i)
        for (std::int32_t j = 1; j <= dMat1.c; ++j)
            result.Element(i, j) = checkedSub(dMat1.Element(i, j), dMat2.Element(i, j));
    return result;
}

void Sumtrix::Matrix_FillHalf(Matrix& dMat1, bool FillBottom)
{
    if (dMat1.r != dMat1.c)
        return;
    // The copies run in this order over all off-diagonal pairs; the second
    // visit of a pair copies the value back onto itself.
    if (FillBottom) {
        for (std::int32_t i = 1; i <= dMat1.r; ++i)
            for (std::int32_t j = 1; j <= dMat1.c; ++j)
                if (i != j)
                    dMat1.Element(j, i) = dMat1.Element(i, j);
    } else {
        for (std::int32_t i = 1; i <= dMat1.c; ++i)
            for (std::int32_t j = 1; j <= dMat1.r; ++j)
                if (j != i)
                    dMat1.Element(i, j) = dMat1.Element(j, i);
    }
}

Matrix Sumtrix::Matrix_MultiplyMatrix(const Matrix& dMat1, const Matrix& dMat2)
{
    if (dMat1.c != dMat2.r)
        raiseMatrixError("MultiplyMatrix", ErrMultiply);
    Matrix result = this->Matrix_CreateMatrix(dMat1.r, dMat2.c, noValues());
    for (std::int32_t j = 1; j <= dMat2.c; ++j) {
        for (std::int32_t i = 1; i <= dMat1.r; ++i) {
            double s = 0.0;
            for (std::int32_t k = 1; k <= dMat1.c; ++k)
                s = checkedAdd(checkedMul(dMat1.Element(i, k), dMat2.Element(k, j)), s);
            result.Element(i, j) = s;
        }
    }
    return result;
}

double Sumtrix::Matrix_Determinant(const Matrix& dMat)
{
    if (dMat.r != dMat.c)
        raiseMatrixError("Determinant", ErrDetNonSquare);
    if (dMat.r == 0)
        raiseMatrixError("Determinant", ErrDetTooSmall);
    const std::int32_t n = dMat.r;
    if (n == 1)
        return dMat.Element(1, 1);
    if (n == 2)
        return checkedSub(checkedMul(dMat.Element(1, 1), dMat.Element(2, 2)),
                          checkedMul(dMat.Element(2, 1), dMat.Element(1, 2)));

    // Gaussian elimination on a copy; the determinant is the product of the
    // pivots, with one change of sign per row exchange.
    const std::size_t w = static_cast<std::size_t>(n) + 1;
    std::vector<double> M(w * w, 0.0);
    auto at = [&](std::int32_t i, std::int32_t j) -> double& {
        return M[static_cast<std::size_t>(i) * w + static_cast<std::size_t>(j)];
    };
    for (std::int32_t i = 1; i <= n; ++i)
        for (std::int32_t j = 1; j <= n; ++j)
            at(i, j) = dMat.Element(i, j);

    double det = 1.0;
    for (std::int32_t k = 1; k <= n; ++k) {
        if (k < n && at(k, k) == 0.0) {
            // A zero pivot: exchange with the first lower row that has a
            // non-zero element in this column. With none, the column is zero
            // from the diagonal down and the matrix is singular.
            std::int32_t swapRow = 0;
            for (std::int32_t j = k + 1; j <= n && swapRow == 0; ++j)
                if (at(j, k) != 0.0)
                    swapRow = j;
            if (swapRow == 0)
                return 0.0;
            for (std::int32_t l = 1; l <= n; ++l)
                std::swap(at(k, l), at(swapRow, l));
            det = -det;
        }
        for (std::int32_t i = k + 1; i <= n; ++i) {
            // Look-ahead: when the coming diagonal element of row i would
            // become exactly zero, row i + 1 is added to row i (once for each
            // non-zero element of column k), which leaves the determinant as
            // it is and moves the zero off the diagonal.
            const double x = at(i, i) - checkedDiv(at(i, k), at(k, k)) * at(k, i);
            if (x == 0.0 && i < n) {
                for (std::int32_t j = 1; j <= n; ++j)
                    if (at(j, k) != 0.0)
                        for (std::int32_t l = 1; l <= n; ++l)
                            at(i, l) = checkedAdd(at(i, l), at(i + 1, l));
            }
            const double f = checkedDiv(at(i, k), at(k, k));
            for (std::int32_t l = k; l <= n; ++l)
                at(i, l) = checkedSub(at(i, l), f * at(k, l));
        }
        det = checkedMul(det, at(k, k));
    }
    return det;
}

Matrix Sumtrix::Matrix_InvertMatrix(const Matrix& dMat)
{
    if (dMat.r != dMat.c)
        raiseMatrixError("InvertMatrix", ErrInvNonSquare);
    const std::int32_t n = dMat.r;
    if (n == 1) {
        Matrix result = this->Matrix_CreateMatrix(1, 1, noValues());
        result.Element(1, 1) = checkedDiv(1.0, dMat.Element(1, 1));
        return result;
    }
    const double det = this->Matrix_Determinant(dMat);
    if (det == 0.0)
        raiseMatrixError("InvertMatrix", ErrInvSingular);
    if (n == 2) {
        const BoundedArray<Variant> values(0, {Variant(dMat.Element(2, 2)), Variant(-dMat.Element(1, 2)),
                                               Variant(-dMat.Element(2, 1)), Variant(dMat.Element(1, 1))});
        return this->Matrix_ScaleMatrix(this->Matrix_CreateMatrix(2, 2, values), checkedDiv(1.0, det));
    }
    // The adjugate: the transposed matrix of cofactors.
    Matrix A = this->Matrix_CreateMatrix(dMat.r, dMat.c, noValues());
    for (std::int32_t i = 1; i <= n; ++i) {
        for (std::int32_t j = 1; j <= n; ++j) {
            const double s = ((i + j) % 2 == 0) ? 1.0 : -1.0;
            A.Element(i, j) = s * this->Matrix_Determinant(this->Matrix_SubMat(dMat, static_cast<std::int16_t>(i),
                                                                              static_cast<std::int16_t>(j)));
        }
    }
    A = this->Matrix_TransposeMatrix(A);
    return this->Matrix_ScaleMatrix(A, checkedDiv(1.0, det));
}

namespace {

// Where a source block lands in a destination: the whole block must fit
// inside rows 1..r and columns 1..c of the destination.
void checkBlockFits(const Matrix& dest, const Matrix& src, std::int32_t mPos, std::int32_t nPos)
{
    if (mPos < 1 || nPos < 1 || mPos - 1 + src.r > dest.r || nPos - 1 + src.c > dest.c)
        raiseError(ErrSubscript);
}

} // namespace

Matrix Sumtrix::Matrix_InsertMatrix(const Matrix& dMatDest, const Matrix& dMatSrc, std::int16_t mPos,
                                    std::int16_t nPos)
{
    checkBlockFits(dMatDest, dMatSrc, mPos, nPos);
    Matrix result = dMatDest;
    for (std::int32_t i = 1; i <= dMatSrc.r; ++i)
        for (std::int32_t j = 1; j <= dMatSrc.c; ++j)
            result.Element(i + mPos - 1, j + nPos - 1) = dMatSrc.Element(i, j);
    return result;
}

Matrix Sumtrix::Matrix_CombineMatrix(const Matrix& dMatDest, const Matrix& dMatSrc, std::int16_t mPos,
                                     std::int16_t nPos)
{
    checkBlockFits(dMatDest, dMatSrc, mPos, nPos);
    Matrix result = dMatDest;
    for (std::int32_t i = 1; i <= dMatSrc.r; ++i)
        for (std::int32_t j = 1; j <= dMatSrc.c; ++j) {
            double& target = result.Element(i + mPos - 1, j + nPos - 1);
            target = checkedAdd(dMatSrc.Element(i, j), target);
        }
    return result;
}

Matrix Sumtrix::Matrix_SwapRow(const Matrix& dMat, std::int16_t RowA, std::int16_t RowB)
{
    Matrix result = dMat;
    for (std::int32_t j = 1; j <= dMat.c; ++j)
        std::swap(result.Element(RowA, j), result.Element(RowB, j));
    return result;
}

Matrix Sumtrix::Matrix_SwapCol(const Matrix& dMat, std::int16_t ColA, std::int16_t ColB)
{
    Matrix result = dMat;
    for (std::int32_t i = 1; i <= dMat.r; ++i)
        std::swap(result.Element(i, ColA), result.Element(i, ColB));
    return result;
}

Matrix Sumtrix::Matrix_SubMat(const Matrix& dMat, std::int16_t eRow, std::int16_t eCol)
{
    Matrix result = this->Matrix_CreateMatrix(static_cast<std::int16_t>(dMat.r - 1),
                                              static_cast<std::int16_t>(dMat.c - 1), noValues());
    // The row and the column to leave out must be inside the matrix.
    if (eRow < 1 || eRow > dMat.r || eCol < 1 || eCol > dMat.c)
        raiseError(ErrSubscript);
    for (std::int32_t i = 1; i < dMat.r; ++i) {
        const std::int32_t si = i < eRow ? i : i + 1;
        for (std::int32_t j = 1; j < dMat.c; ++j) {
            const std::int32_t sj = j < eCol ? j : j + 1;
            result.Element(i, j) = dMat.Element(si, sj);
        }
    }
    return result;
}

void Sumtrix::Matrix_PrintMatrix(const Matrix& dMat, std::string& MatrixForm)
{
    for (std::int32_t i = 1; i <= dMat.r; ++i) {
        for (std::int32_t j = 1; j <= dMat.c; ++j)
            MatrixForm += defaultText(dMat.Element(i, j));
        MatrixForm += "\r\n";
    }
}

} // namespace SumtrixLib
