// Matrix algebra on plain arrays: transpose, Gauss-Jordan inverse, product
// and two tridiagonal solvers.
//
// The first three trap every run-time error and describe it in Msg; the
// solvers report a singular system by returning false and let other faults
// fail the call.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "SumtrixLib/Sumtrix.hpp"
#include "trap_text.hpp"
#include "variant_number.hpp"

namespace SumtrixLib {

namespace {

const char* const MsgNormalEnd = "Normal end";
const char* const MsgNotSquare = "Number of rows and columns has to be equal";
const char* const MsgSingular = "Singular matrix";
const char* const MsgNotConformable = "Rows of matrix 1 is not equal to columns of matrix 2";

// The Msg text of a trapped run-time error.
std::string trappedErrorText(const RuntimeError& e)
{
    return "Error found:\r\n   Number: " + signedNumberText(e.number()) + "\r\n   Description: "
           + e.description() + "\r\n   Source: " + e.source();
}

// Runs one of the trapping methods: Msg is emptied on entry, and a
// run-time error inside becomes Msg's error text and the result false.
template <class Body>
bool trapMatrixArrays(std::string& Msg, Body&& body)
{
    Msg.clear();
    return trapWithMessage(Msg, false, std::forward<Body>(body), trappedErrorText);
}

// The element operations of the elimination and the product raise the
// overflow error where a result leaves the double range.
inline double finite(double v)
{
    if (!std::isfinite(v))
        raiseError(ErrOverflow);
    return v;
}

} // namespace

bool Sumtrix::Matrix_Transpose(const BoundedArray2<double>& Matrix1, BoundedArray2<double>& Result,
                               std::string& Msg)
{
    return trapMatrixArrays(Msg, [&] {
        const std::int32_t r = Matrix1.ubound(1);
        const std::int32_t c = Matrix1.ubound(2);
        Result.redim(1, c, 1, r);
        for (std::int32_t i = 1; i <= r; ++i)
            for (std::int32_t j = 1; j <= c; ++j)
                Result(j, i) = Matrix1(i, j);
        Msg = MsgNormalEnd;
        return true;
    });
}

// Gauss-Jordan elimination on Matrix1 itself, with the identity carried
// along in Result. Each column's pivot is the element of largest magnitude
// from the diagonal down (partial pivoting): taking the first non-zero one
// instead lets a tiny pivot swamp the other rows and returns a wrong
// inverse. The matrix is singular when that largest magnitude is exactly 0.
bool Sumtrix::Matrix_Invert(BoundedArray2<double>& Matrix1, BoundedArray2<double>& Result, std::string& Msg)
{
    return trapMatrixArrays(Msg, [&] {
        const std::int32_t n = Matrix1.ubound(1);
        if (Matrix1.ubound(2) != n) {
            Msg = MsgNotSquare;
            return false;
        }
        Result.redim(1, n, 1, n);
        for (std::int32_t i = 1; i <= n; ++i)
            Result(i, i) = 1.0;

        for (std::int32_t i = 1; i <= n; ++i) {
            std::int32_t k = i;
            double largest = std::fabs(Matrix1(i, i));
            for (std::int32_t row = i + 1; row <= n; ++row) {
                const double m = std::fabs(Matrix1(row, i));
                if (m > largest) {
                    largest = m;
                    k = row;
                }
            }
            if (largest == 0.0) {
                Msg = MsgSingular;
                return false;
            }
            for (std::int32_t l = 1; l <= n; ++l) {
                this->Swap(Matrix1(k, l), Matrix1(i, l));
                this->Swap(Result(k, l), Result(i, l));
            }
            const double p = checkedDiv(1.0, Matrix1(i, i));
            for (std::int32_t l = 1; l <= n; ++l) {
                Matrix1(i, l) = finite(Matrix1(i, l) * p);
                Result(i, l) = finite(Result(i, l) * p);
            }
            for (std::int32_t j = 1; j <= n; ++j) {
                if (j == i)
                    continue;
                const double f = -Matrix1(j, i);
                for (std::int32_t l = 1; l <= n; ++l) {
                    Matrix1(j, l) = finite(f * Matrix1(i, l) + Matrix1(j, l));
                    Result(j, l) = finite(f * Result(i, l) + Result(j, l));
                }
            }
        }
        Msg = MsgNormalEnd;
        return true;
    });
}

bool Sumtrix::Matrix_Multiply(const BoundedArray2<double>& Matrix1, const BoundedArray2<double>& Matrix2,
                              BoundedArray2<double>& Result, std::string& Msg)
{
    return trapMatrixArrays(Msg, [&] {
        const std::int32_t r1 = Matrix1.ubound(1);
        const std::int32_t c1 = Matrix1.ubound(2);
        const std::int32_t r2 = Matrix2.ubound(1);
        const std::int32_t c2 = Matrix2.ubound(2);
        if (r2 != c1) {
            Msg = MsgNotConformable;
            return false;
        }
        Result.redim(1, r1, 1, c2);
        // Column i of Matrix2 is read once into a contiguous copy; each sum
        // still runs over j = 1..c1 in order.
        std::vector<double> column(static_cast<std::size_t>(c1 > 0 ? c1 : 0) + 1);
        for (std::int32_t i = 1; i <= c2; ++i) {
            for (std::int32_t j = 1; j <= c1; ++j)
                column[static_cast<std::size_t>(j)] = Matrix2(j, i);
            for (std::int32_t a = 1; a <= r1; ++a) {
                double s = 0.0;
                for (std::int32_t j = 1; j <= c1; ++j)
                    s = Matrix1(a, j) * column[static_cast<std::size_t>(j)] + s;
                Result(a, i) = finite(s);
            }
        }
        Msg = MsgNormalEnd;
        return true;
    });
}

// The Thomas algorithm on a(2..n) (sub-diagonal), b(1..n), c(1..n-1)
// (super-diagonal) and r(1..n); false at a zero pivot. The work array is
// sized for n.
bool Sumtrix::Matrix_TriDiag(const BoundedArray<double>& a, const BoundedArray<double>& b,
                             const BoundedArray<double>& c, const BoundedArray<double>& r,
                             BoundedArray<double>& u, std::int32_t n)
{
    // gam(j) is written after c(j - 1) is read: it never needs more than
    // c holds, however large n is.
    BoundedArray<double> gam(0, c.allocated() ? static_cast<std::int32_t>(std::min<std::int64_t>(n, c.ubound() + 1LL)) : n);
    if (b(1) == 0.0)
        return false;
    double bet = b(1);
    u(1) = checkedDiv(r(1), bet);
    for (std::int32_t j = 2; j <= n; ++j) {
        gam(j) = checkedDiv(c(j - 1), bet);
        bet = checkedSub(b(j), checkedMul(a(j), gam(j)));
        if (bet == 0.0)
            return false;
        u(j) = checkedDiv(checkedSub(r(j), checkedMul(a(j), u(j - 1))), bet);
    }
    for (std::int32_t j = checkedAdd32(n, -1); j >= 1; --j)
        u(j) = checkedSub(u(j), checkedMul(gam(j + 1), u(j + 1)));
    return true;
}

// LU factorisation in place (a becomes the multipliers, b the pivots) and
// solution into D. A pivot whose magnitude is below ErrorTolerance counts
// as singular; a negative pivot is as good as a positive one.
bool Sumtrix::Matrix_TriDiagonal(std::int32_t n, BoundedArray<double>& a, BoundedArray<double>& b,
                                 const BoundedArray<double>& c, BoundedArray<double>& D,
                                 const Variant& ErrorTolerance)
{
    const double tolerance = variantToDouble(ErrorTolerance);
    const std::int32_t last = checkedAdd32(n, -1);
    bool singular = std::fabs(b(0)) < tolerance;
    for (std::int32_t i = 1; i <= last; ++i) {
        if (singular)
            return false;
        a(i) = checkedDiv(a(i), b(i - 1));
        b(i) = checkedSub(b(i), checkedMul(a(i), c(i - 1)));
        singular = std::fabs(b(i)) < tolerance;
        D(i) = checkedSub(D(i), checkedMul(a(i), D(i - 1)));
    }
    if (singular)
        return false;
    D(last) = checkedDiv(D(last), b(last));
    for (std::int32_t i = last - 1; i >= 0; --i)
        D(i) = checkedDiv(checkedSub(D(i), checkedMul(c(i), D(i + 1))), b(i));
    return true;
}

} // namespace SumtrixLib
