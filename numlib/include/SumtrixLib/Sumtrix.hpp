#pragma once
// SumtrixLib: the numerical and statistical routines of KVE, as the one
// class Sumtrix.
//
// Conventions shared by every method:
// - Parameters that a method writes are taken by reference (T&), so the
//   caller's variable changes; inputs by value or const reference. Optional
//   parameters read 0, false or "" when omitted; a written optional
//   parameter is an InOut<T>, and what the method writes into an omitted
//   one is lost.
// - Array parameters are BoundedArray<T> (absolute indexes between the
//   array's own bounds). Methods ending in Base0 use elements 0..n-1; those
//   ending in Base1, and those following published 1-based algorithms,
//   elements 1..n, never touching element 0 unless its comment says so.
// - Trouble is reported in the method's error style (see MethodTable.hpp
//   and Runtime.hpp): a RuntimeError, a Msg text, error 1000, a message
//   through the MessageSink, or a failed step that assigns nothing.
// - A method that uses another method calls it on the same object.
// - The object's only state is LineFitState.

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "SumtrixLib/BoundedArray.hpp"
#include "SumtrixLib/Format.hpp"
#include "SumtrixLib/MethodTable.hpp"
#include "SumtrixLib/Params.hpp"
#include "SumtrixLib/Runtime.hpp"

namespace SumtrixLib {

// ---- marker values --------------------------------------------------------
// A missing or undefined number.
inline constexpr double MissingValue = 1E-99;
// The result of an interpolation whose error trap fired.
inline constexpr double InterpolationFailed = -1E-99;
// MinMatrix after an error.
inline constexpr double MinMatrixFailed = 1E+99;
// MaxMatrix after an error (the value of MissingValue).
inline constexpr double MaxMatrixFailed = MissingValue;
// STAT_Normal_CDF_INV for probabilities at or beyond 0 and 1.
inline constexpr double NormalQuantileLow = -9E+99;
inline constexpr double NormalQuantileHigh = 9E+99;

// ---- records ----------------------------------------------------------------
struct Complex {
    double Re = 0.0;
    double Im = 0.0;
    bool operator==(const Complex&) const = default;
};

// A dense matrix with elements (1..r, 1..c); row 0 and column 0 exist, hold
// 0 and are never used. A Matrix owns its elements: copying or returning one
// copies them.
struct Matrix {
    std::int16_t r = 0;
    std::int16_t c = 0;
    BoundedArray2<double> Element;
    bool operator==(const Matrix&) const = default;
};

// The tagged value that some methods return. Most return it empty and
// deliver their results through their parameters.
using Variant = std::variant<std::monostate, bool, std::int32_t, double, std::string>;

// The data of the last straight-line fit with errors in both coordinates:
// written by Reg_FitRandomXY, read by STAT_ChiXY and the searches that call
// it. The only data a Sumtrix object keeps between calls.
struct LineFitState {
    BoundedArray<double> FitX;
    BoundedArray<double> FitY;
    BoundedArray<double> FitSigX;
    BoundedArray<double> FitSigY;
    BoundedArray<double> FitWeight;
    double FitIntercept = 0.0;
    double FitOffset = 0.0;
    std::int32_t FitCount = 0;
};

class Sumtrix {
public:
    Sumtrix() = default;

    // Methods are declared below family by family; MethodTable gives their
    // interface order.

    // ---- Complex numbers and elementary functions (complex.cpp) ----------
    // Complex arithmetic; products, quotients and powers are formed in polar
    // form, angles in [0, 2 pi).
    Complex Complex_Add(const Complex& a, const Complex& b);
    Complex Complex_Subtract(const Complex& a, const Complex& b);
    Complex Complex_Multiply(const Complex& a, const Complex& b);
    Complex Complex_Divide(const Complex& a, const Complex& b);
    Complex Complex_Power(const Complex& a, double n);
    Complex Complex_Exp(const Complex& a);
    Complex Complex_Log(const Complex& a);
    // Root is redimensioned 0..n; the n roots go to Root(1..n) in order of
    // increasing angle from the principal one; Root(0) stays (0, 0).
    Variant Complex_Root(const Complex& a, std::int32_t n, BoundedArray<Complex>& Root);
    double Complex_Abs(const Complex& a);
    double FUNC_Sq(double a);
    double FUNC_Abs(double a);
    // |a| raised to P.
    double FUNC_Power(double a, double P);
    double Math_Asin(double x);
    // x unchanged when its first decimal is 0, else the whole number below
    // it (Up: above it).
    double Math_Round(double x, bool Up = false);
    // On equality both return Value2.
    double Min(double Value1, double Value2);
    double Max(double Value1, double Value2);
    void Swap(double& Value1, double& Value2);
    // |a| with the sign of b (b = 0 counts as positive).
    double Sign(double a, double b);
    // Sort Matrix ascending in place, then return its element 1 (MinMatrix)
    // or its last element (MaxMatrix); any error gives 1E+99 (MinMatrix) or
    // 1E-99 (MaxMatrix) instead.
    double MinMatrix(BoundedArray<double>& Matrix);
    double MaxMatrix(BoundedArray<double>& Matrix);
    // u = modulus, V = angle in [0, 2 pi); a coordinate that is exactly 0 is
    // replaced by 1E-30 in the caller's variable first.
    Variant RectToPolar(InOut<double> x, InOut<double> y, double& u, double& V);
    Variant PolarToRect(double& x, double& y, double u, double V);
    // Logarithm of x to base y.
    double LogY(double x, double y);
    // a(1) + a(2) x + ... + a(n) x^(n-1).
    double Poly_value(std::int32_t n, const BoundedArray<double>& a, double x);

    // ---- Polynomial roots (roots.cpp) ------------------------------------
    // The polynomial a(1) + a(2) z + ... + a(m + 1) z^m (complex
    // coefficients, a(0) unused). Root_laguer refines the root x from its
    // starting value by Laguerre's method (its = iterations used; after 80 a
    // message and the last iterate).
    Variant Root_laguer(const BoundedArray<Complex>& a, std::int32_t m, Complex& x, std::int32_t& its);
    // All m roots into roots(1..m) by Laguerre iteration and deflation, with
    // Polish refined on the full polynomial, sorted by real part. An
    // imaginary part below 1E-10 of the real part's magnitude is set to 0.
    Variant Root_zroots(const BoundedArray<Complex>& a, std::int32_t m, BoundedArray<Complex>& roots, bool Polish);

    // ---- Polynomial interpolation (interpolation.cpp) ---------------------
    // The polynomial of degree n - 1 through the points (XArray(k),
    // YArray(k)), k = 0..n-1 (Base0) or 1..n (Base1), at x. Nodes need not
    // be ordered. A trapped run-time error gives -1E-99 and its description
    // in Msg; otherwise Msg is left as it was.
    double Interpolate_LagrangeBase0(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                                     std::int32_t n, double x, std::string& Msg);
    double Interpolate_LagrangeBase1(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                                     std::int32_t n, double x, std::string& Msg);
    // At a node, that node's value exactly.
    double Interpolate_BarycentricBase0(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                                        std::int32_t n, double x, std::string& Msg);
    double Interpolate_BarycentricBase1(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                                        std::int32_t n, double x, std::string& Msg);
    // Divided differences; with Equidistant only the first two nodes are
    // read and the others taken as equally spaced.
    double Interpolate_NewtonBase0(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                                   std::int32_t n, double x, bool Equidistant, std::string& Msg);
    double Interpolate_NewtonBase1(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                                   std::int32_t n, double x, bool Equidistant, std::string& Msg);

    // ---- Cubic splines (splines.cpp) ----------------------------------------
    // Knots in increasing order. A trapped run-time error gives -1E-99 and
    // its description in Msg. Shammas and Chapra-Canale: natural splines on
    // knots 1..n, -1E-99 without a message for x outside the knots.
    // Shammas: a pivot whose magnitude is below ErrorTolerance (0 becomes
    // 1E-11, written back) or fewer than three knots give "Derivative error".
    double Interpolate_CubicSpline_Shammas(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                                           std::int32_t n, double x, InOut<double> ErrorTolerance = {},
                                           InOut<std::string> Msg = {});
    // Also the first (dY) and second (d2Y) derivative at x. Two knots give
    // the straight line through them.
    double Interpolate_CubicSpline_ChapraAndCanale(const BoundedArray<double>& XArray,
                                                   const BoundedArray<double>& YArray, std::int32_t n, double x,
                                                   InOut<double> dY = {}, InOut<double> d2Y = {},
                                                   InOut<std::string> Msg = {});
    double Interpolate_CubicSpline_ChapraAndCanale2(const BoundedArray<double>& XArray,
                                                    const BoundedArray<double>& YArray, std::int32_t n, double x,
                                                    InOut<double> dY = {}, InOut<double> d2Y = {},
                                                    InOut<std::string> Msg = {});
    // The spline with end slopes dY1, dYn (above 9.9E29: a natural end; an
    // omitted one is 0, a horizontal end) on knots 0..n-1 (Base0) or 1..n
    // (Base1); x outside the knots is extrapolated with the end interval's
    // cubic. Coincident bracketing knots give 1E-99. The Variant holds a
    // double.
    Variant Interpolate_CubicSplineBase0(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                                         std::int32_t n, double x, double dY1 = 0, double dYn = 0,
                                         InOut<std::string> Msg = {});
    // The Base0 spline at x(0..ubound) into y(0..ubound), the table built
    // once; y is not resized.
    void Interpolate_CubicSplineBase0Matrix(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                                            std::int32_t n, const BoundedArray<double>& x, BoundedArray<double>& y,
                                            double dY1 = 0, double dYn = 0, InOut<std::string> Msg = {});
    Variant Interpolate_CubicSplineBase1(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                                         std::int32_t n, double x, double dY1 = 0, double dYn = 0,
                                         InOut<std::string> Msg = {});
    // Natural-spline second derivatives of knots 0..n-1 by a tridiagonal
    // solve: Deriv(k - 1) = M(k) for the interior knots, h(k) = X(k) -
    // X(k - 1); false when a pivot's magnitude is below ErrorTolerance.
    bool GetDerivatives(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                        BoundedArray<double>& Deriv, BoundedArray<double>& h, std::int32_t n, double ErrorTolerance);

    // ---- Simplex method (simplex.cpp) ------------------------------------
    // Optimises c x (Objectives c(1..N); maximum with Maximize) subject to
    // Coefficients(1..m, 1..N) x {<=, =, >=} RHS(1..m), x >= 0, the rows
    // ordered by kind with MD(1..3) = counts of <=, = and >= rows, right-hand
    // sides non-negative (a problem that breaks this is refused: false and
    // Msg says why). Writes a text report into Output and, at an optimum,
    // Solution(0..N + m + m3 + 1) (the basic variables' values) and
    // ObjFunction; Msg tells the outcome.
    bool LP_SimplexMethod(const BoundedArray2<double>& Coefficients, const BoundedArray<double>& Objectives,
                          const BoundedArray<double>& RHS, const BoundedArray<std::int16_t>& MD, bool Maximize,
                          std::string& Msg, std::string& Output, BoundedArray<double>& Solution,
                          double& ObjFunction);

    // ---- Matrix algebra on arrays (matrix_arrays.cpp) --------------------
    // Matrices are 2-D arrays used from (1, 1) to their upper bounds;
    // results are redimensioned from 1. Transpose, Invert and Multiply trap
    // every run-time error: false with its description in Msg, "Normal end"
    // and true on success.
    bool Matrix_Transpose(const BoundedArray2<double>& Matrix1, BoundedArray2<double>& Result, std::string& Msg);
    // Gauss-Jordan with partial pivoting; Matrix1 is reduced in place.
    bool Matrix_Invert(BoundedArray2<double>& Matrix1, BoundedArray2<double>& Result, std::string& Msg);
    bool Matrix_Multiply(const BoundedArray2<double>& Matrix1, const BoundedArray2<double>& Matrix2,
                         BoundedArray2<double>& Result, std::string& Msg);
    // Tridiagonal system: sub-diagonal a(2..n), diagonal b(1..n),
    // super-diagonal c(1..n-1), right side r(1..n), solution u(1..n); false
    // at a zero pivot.
    bool Matrix_TriDiag(const BoundedArray<double>& a, const BoundedArray<double>& b, const BoundedArray<double>& c,
                        const BoundedArray<double>& r, BoundedArray<double>& u, std::int32_t n);
    // The same on indexes 0..n-1, factorising a and b in place and solving
    // into D; false when a pivot's magnitude is below ErrorTolerance.
    bool Matrix_TriDiagonal(std::int32_t n, BoundedArray<double>& a, BoundedArray<double>& b,
                            const BoundedArray<double>& c, BoundedArray<double>& D, const Variant& ErrorTolerance);

    // ---- Matrix record operations (matrix_record.cpp) --------------------
    // Argument checks raise error 1000 (source "MatrixLib - " + operation);
    // an index outside an element array, or a block or minor position that
    // does not fit the matrix, raises error 9. Results are new records.
    // An m by n record filled row by row from Values (absolute index 0 up).
    Matrix Matrix_CreateMatrix(std::int16_t m, std::int16_t n, const BoundedArray<Variant>& Values);
    Matrix Matrix_TransposeMatrix(const Matrix& dMat);
    Matrix Matrix_ScaleMatrix(const Matrix& dMat, double Multiplier);
    Matrix Matrix_AddMatrix(const Matrix& dMat1, const Matrix& dMat2);
    Matrix Matrix_SubMatrix(const Matrix& dMat1, const Matrix& dMat2);
    // Mirrors the upper triangle into the lower (FillBottom) or the lower
    // into the upper, in place; only for a square record.
    void Matrix_FillHalf(Matrix& dMat1, bool FillBottom);
    Matrix Matrix_MultiplyMatrix(const Matrix& dMat1, const Matrix& dMat2);
    double Matrix_Determinant(const Matrix& dMat);
    Matrix Matrix_InvertMatrix(const Matrix& dMat);
    // dMatSrc copied into (InsertMatrix) or added to (CombineMatrix) a copy
    // of dMatDest with its element (1, 1) at (mPos, nPos).
    Matrix Matrix_InsertMatrix(const Matrix& dMatDest, const Matrix& dMatSrc, std::int16_t mPos, std::int16_t nPos);
    Matrix Matrix_CombineMatrix(const Matrix& dMatDest, const Matrix& dMatSrc, std::int16_t mPos, std::int16_t nPos);
    Matrix Matrix_SwapRow(const Matrix& dMat, std::int16_t RowA, std::int16_t RowB);
    Matrix Matrix_SwapCol(const Matrix& dMat, std::int16_t ColA, std::int16_t ColB);
    // The record without row eRow and column eCol.
    Matrix Matrix_SubMat(const Matrix& dMat, std::int16_t eRow, std::int16_t eCol);
    // Appends each row's elements in their default text form, then CR LF.
    void Matrix_PrintMatrix(const Matrix& dMat, std::string& MatrixForm);

    // ---- Straight-line fits (line_fits.cpp) --------------------------------
    // Least-squares line y = a + b x through XArray/YArray(1..ndata); with
    // mwt <> 0 weighted by 1/sig(i)^2 (mwt is set to 0 and the fit made
    // unweighted when a sig is 0). Writes a, b, their errors siga, sigb,
    // chi2 and the goodness-of-fit probability Q.
    Variant Reg_FitXY(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                      std::int32_t ndata, const BoundedArray<double>& sig, InOut<std::int32_t> mwt,
                      double& a, double& b, double& siga, double& sigb, double& chi2, double& Q);
    // Reg_FitXY on elements 0..ndata-1.
    Variant Reg_FitXY0(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                       std::int32_t ndata, const BoundedArray<double>& sig, InOut<std::int32_t> mwt,
                       double& a, double& b, double& siga, double& sigb, double& chi2, double& Q);
    // The line minimising perpendicular distances; Residue(1..ndata) gets
    // each point's distance and r is increased by their sum of squares.
    // siga and sigb are accepted and left alone.
    Variant Reg_FitXYPerpendicular(const BoundedArray<double>& XArray,
                                   const BoundedArray<double>& YArray, std::int32_t ndata,
                                   double& a, double& b, double siga, double sigb,
                                   BoundedArray<double>& Residue, double& r);
    // Mean and corrected two-pass variance of data(1..n); zeros below n = 2.
    Variant STAT_AveVar(const BoundedArray<double>& data, std::int32_t n, double& ave, double& Var);

    // ---- Six symmetrical slopes (slopes.cpp) -------------------------------
    // The six lines OLS(Y|X), OLS(X|Y), OLS bisector, orthogonal regression,
    // reduced major axis and mean OLS of x(1..n), y(1..n), in that order in
    // elements 1..6 of the outputs, with their asymptotic standard errors.
    // sigintercept is added to, not cleared: pass zeros. Sxy = 0 writes
    // nothing. Errors are ignored statement by statement.
    Variant Reg_Slopes(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray, std::int32_t n,
                       BoundedArray<double>& intercept, BoundedArray<double>& slope,
                       BoundedArray<double>& sigintercept, BoundedArray<double>& sigslope);

    // ---- Line fit with errors in both coordinates (fit_xy_errors.cpp) ------
    // The line y = a + b x through points whose x and y both carry a
    // standard deviation (SigX, SigY), over elements 1..ubound(XArray);
    // siga and sigb from the chi-square + 1 crossings (1E30 when none is
    // bracketed), Q the goodness-of-fit probability, Acc the tolerance of
    // the searches. Stores its data in the object for STAT_ChiXY.
    Variant Reg_FitRandomXY(const BoundedArray<double>& XArray, const BoundedArray<double>& YArray,
                            const BoundedArray<double>& SigX, const BoundedArray<double>& SigY, double& a,
                            double& b, double& siga, double& sigb, double& chi2, double& Q, double Acc);
    // The chi-square of the stored data about the line at angle bang
    // (radians), less FitOffset; sets FitWeight and FitIntercept.
    double STAT_ChiXY(const Variant& bang);
    // Brackets a minimum of STAT_ChiXY: ax < bx < cx (or reversed) with
    // fb below fa and fc.
    Variant Search_mnbrak(double& ax, double& bx, double& cx, double& fa, double& fb, double& fc);
    // Brent's minimiser of STAT_ChiXY within the bracket; writes the
    // abscissa to xmin and returns the minimum.
    double Search_brent(double ax, double bx, double cx, double tol, double& xmin);
    // Brent's root finder for STAT_ChiXY between x1 and x2.
    double Root_zbrent(const Variant& x1, const Variant& x2, const Variant& tol);

    // ---- Median fit (median_fit.cpp) ---------------------------------------
    // The least-absolute-deviation line y = a + b x through x(1..ndata),
    // y(1..ndata); abdev is the mean absolute deviation from it and chisq
    // the sum of squared residuals.
    void Reg_MedFit(const BoundedArray<double>& x, const BoundedArray<double>& y, std::int32_t ndata, double& a,
                    double& b, double& abdev, double& chisq);
    // The slope function of the median fit at slope b: writes the median
    // intercept aa and the sum of absolute deviations abdevt; arr(1..ndatat)
    // is work space.
    double STAT_rofunc(double b, const BoundedArray<double>& xt, const BoundedArray<double>& yt,
                       BoundedArray<double>& arr, double& aa, double& abdevt, std::int32_t ndatat);
    // The k-th smallest of arr(1..n), rearranging arr.
    double Sort_selectf(std::int32_t k, std::int32_t n, BoundedArray<double>& arr);

    // ---- Incomplete gamma and chi-square (gamma.cpp) -----------------------
    // P(a, x), the regularized lower incomplete gamma function: the series
    // below x = a + 1, the continued fraction from there on. A message and 0
    // for x < 0 or a <= 0.
    double Gamma_gammp(double a, double x);
    // Lower and upper chi-square tails: P and Q of (df/2, chi2/2).
    double STAT_Chi2p(double chi2, double df);
    double STAT_Chi2q(double chi2, double df);
    // The chi-square quantile (AS 91) for 2E-6 <= cdf <= 0.999998; outside
    // that a message and 0.
    double STAT_Chi2_CDF_INV(double cdf, std::int32_t df);
    // Q(a, x) = 1 - P(a, x); a message and 0 for x < 0 or a <= 0.
    double Gamma_gammq(double a, double x);
    // P(a, x) by its series into gamser and ln Γ(a) into gln.
    Variant Gamma_gser(double& gamser, double a, double x, double& gln);
    // Q(a, x) by its continued fraction into gammcf and ln Γ(a) into gln.
    Variant Gamma_gcf(double& gammcf, double a, double x, double& gln);
    // ln Γ(xx) by the six-term Lanczos series, its constants and sums held
    // in the decimal type. No argument check: xx = 0, most negative xx and
    // xx beyond about 5E28 or below about 1E-26 fail with errors 5, 6 or 11.
    double Gamma_gammln(double xx);

    // ---- Incomplete beta and F (beta.cpp) ----------------------------------
    // P(F >= Fvalue) for n1 numerator and n2 denominator degrees of freedom.
    double STAT_PROBF(double Fvalue, double n1, double n2);
    // The continued fraction of the incomplete beta function (modified
    // Lentz); a message and the last iterate when it does not converge.
    double STAT_BETACF(double a, double b, double x);
    // The regularized incomplete beta function I_x(a, b); a message and 0
    // for x outside [0, 1].
    double STAT_BETAI(double a, double b, double x);


    // ---- Normal distribution (normal.cpp) ----------------------------------
    // z with Φ(z) = P (AS 241); -9E99 for P <= 0 and +9E99 for P >= 1.
    double STAT_Normal_CDF_INV(double P);
    // z with Φ(z) = P (AS 111); 0 with IER = 1 for P <= 0 or P >= 1.
    double STAT_InvNorm(double P, InOut<double> IER = {});
    // Φ(x), or 1 - Φ(x) when upper (AS 66).
    double STAT_NormProb1(double x, bool upper);
    // P = Φ(z), Q = 1 - Φ(z) and the density at z, by a double-precision
    // rational approximation computed in the decimal type.
    void STAT_NormProb2(double z, double& P, double& Q, double& pdf);
    // As STAT_NormProb2, by AS 66; 0 and 1 beyond |z| = 12.7.
    void STAT_NormProb3(double z, double& P, double& Q, double& pdf);

    // ---- Student t distribution (student_t.cpp) ----------------------------
    // P(T <= |t|) for whole degrees of freedom (AS 3), or P(|T| <= |t|)
    // with TwoTails; t becomes |t| in the caller's variable. df < 1 gives 0
    // with iFault = 1.
    double STAT_PROBST(double& t, double df, InOut<double> iFault = {}, bool TwoTails = false);
    // t quantile by the four-term expansion around the normal quantile. P
    // above 1 is a percentage (P/100), and TwoTails halves P, both in the
    // caller's variable; Alpha reverses the sign.
    double STAT_TINV(double& P, double df, bool TwoTails = false, bool Alpha = false);
    // Normal quantile of P (Q = 1 - P) by Newton's method on STAT_CUMNOR;
    // the Variant holds a double.
    Variant STAT_DINVNR(double P, double Q);
    // Normal distribution function: Result = Phi(arg), ccum = 1 - Phi(arg).
    void STAT_CUMNOR(double arg, double& Result, double& ccum);
    // Machine constants: 1 epsilon, 2 smallest normal, 3 largest double.
    double STAT_SPMPAR(std::int16_t i);
    // Entry i (0..10) of the integer machine-constant table.
    double STAT_IPMPAR(std::int16_t i);
    // Starting value for the normal quantile of P.
    double STAT_STVALN(double P);
    // a(1) + a(2) x + ... + a(n) x^(n-1).
    double STAT_DEVLPL(const BoundedArray<double>& a, std::int16_t n, double x);


    // ---- Studentized range (studentized_range.cpp) -------------------------
    // The studentized range of r means with V degrees of freedom for the
    // error variance, after AS 190 (Lund and Lund 1983). iFault is written:
    // 0 none, 1 for V < 1 or r < 2.
    // P(range <= Q) by a truncated double quadrature: up to 120 df as
    // published (sums cut at 3E-5 and 1E-4); from there to 1E8 df the
    // error's scale is integrated as well, with sums cut a hundred times
    // finer; above 1E8 df each row keeps its infinite-df term alone. 0 for
    // Q <= 0 or iFault 1.
    double STAT_PRTRNG(double Q, double V, double r, double& iFault);
    // The quantile for 0.90 <= P <= 0.99 by secant steps from STAT_QTRNG0
    // (at most 8 evaluations). iFault 2 (P outside [0.9, 0.99], ahead of 1)
    // and 1 give 0; 9 when an inner call reports a fault, with the value
    // reached so far.
    double STAT_QTRNG(double P, double V, double r, double& iFault);
    // Starting value of that quantile (AS 190.2); iFault is STAT_InvNorm's
    // IER. No argument check: r <= 1 fails the logarithm, V = 0 divides by
    // zero.
    double STAT_QTRNG0(double P, double V, double r, double& iFault);

    // ---- Sorting (sorting.cpp) ---------------------------------------------
    // Classic in-place sorts, ascending. Bubble, selection and Shell sort
    // the whole array between its bounds, the quick sorts elements l..r.
    // Interaction reports a work count (see each method), TimeElapsed the
    // whole seconds taken. Text compares ordinally, by UTF-16 code unit.
    void Sort_BubbleNumbers(BoundedArray<double>& Matrix, InOut<std::int32_t> Interaction = {},
                            InOut<std::int32_t> TimeElapsed = {});
    void Sort_BubbleText(BoundedArray<std::string>& Matrix, InOut<std::int32_t> Interaction = {},
                         InOut<std::int32_t> TimeElapsed = {});
    void Sort_SelectionNumbers(BoundedArray<double>& Matrix, InOut<std::int32_t> Interaction = {},
                               InOut<std::int32_t> TimeElapsed = {});
    void Sort_SelectionText(BoundedArray<std::string>& Matrix,
                            InOut<std::int32_t> Interaction = {},
                            InOut<std::int32_t> TimeElapsed = {});
    void Sort_ShellNumbers(BoundedArray<double>& Matrix, InOut<std::int32_t> Interaction = {},
                           InOut<std::int32_t> TimeElapsed = {});
    void Sort_ShellText(BoundedArray<std::string>& Matrix, InOut<std::int32_t> Interaction = {},
                        InOut<std::int32_t> TimeElapsed = {});
    void Sort_QuickNumbers(BoundedArray<double>& Matrix, std::int32_t l, std::int32_t r,
                           InOut<std::int32_t> Interaction = {},
                           InOut<std::int32_t> TimeElapsed = {});
    void Sort_QuickText(BoundedArray<std::string>& Matrix, std::int32_t l, std::int32_t r,
                        InOut<std::int32_t> Interaction = {},
                        InOut<std::int32_t> TimeElapsed = {});
    // Sorts for the statistics: arr(1..n) ascending; the companions brr and
    // idx move with their keys.
    void Sort_Sort1(std::int32_t n, BoundedArray<double>& arr);
    void Sort_Sort2(std::int32_t n, BoundedArray<double>& arr, BoundedArray<double>& brr);
    void Sort_Sort3(std::int32_t n, BoundedArray<double>& arr, BoundedArray<double>& brr,
                    BoundedArray<double>& idx);
    // Heapsort of a(1..n) carrying b; n below 2 leaves both as they are.
    void Sort_HeapSort2(BoundedArray<double>& a, BoundedArray<double>& b, std::int32_t n);

    // ---- Descriptive statistics (descriptive.cpp) --------------------------
    // Distances between x and y over 1..ubound(x): Euclidean, Minkowski for
    // each exponent m(1..k) into MinkowskiD(1..k), Canberra, Czekanowski and
    // Kullback-Leibler.
    void STAT_Distance(const BoundedArray<double>& x, const BoundedArray<double>& y,
                       double& EuclideanD, const BoundedArray<double>& m,
                       BoundedArray<double>& MinkowskiD, double& CanberraD, double& CzekanowskiD,
                       double& KullbackLeiblerD);
    // Mean of Matrix(InitialValue..FinalValue); the bounds are corrected in
    // the caller's variables (below 1 -> 1, outside 1..ubound -> ubound).
    // With Missing, elements equal to MissingValue are skipped. 0 when the
    // upper bound is 0.
    double STAT_Mean(const BoundedArray<double>& Matrix, InOut<std::int32_t> InitialValue = {},
                     InOut<std::int32_t> FinalValue = {}, bool Missing = false);
    // Variance of the same range (divisor n - 1, or n with Population).
    double STAT_Var(const BoundedArray<double>& Matrix, InOut<std::int32_t> InitialValue = {},
                    InOut<std::int32_t> FinalValue = {}, bool Population = false,
                    bool Missing = false);
    // Means and variances (divisor n - 1) of x and y and of x - y over
    // 1..n, n = the upper bound of x (written); the covariance (divisor n)
    // is added onto CoVarXY.
    void STAT_MeanVarCoVar(const BoundedArray<double>& x, const BoundedArray<double>& y,
                           std::int32_t& n, double& MeanX, double& MeanY, double& VarX,
                           double& VarY, double& MeanXY, double& VarXY, double& CoVarXY);
    // Moments of data(1..n); the median is that of the whole array. Shows a
    // message and changes nothing when n <= 1.
    void STAT_Moments(const BoundedArray<double>& data, std::int32_t n, double& ave, double& med,
                      double& adev, double& sdev, double& Var, double& skew, double& kurt,
                      InOut<double> Min = {}, InOut<double> Max = {});
    // One-pass means, population SDs, covariance and correlation of 1..n.
    void STAT_Corr(std::int32_t n, const BoundedArray<double>& x, const BoundedArray<double>& y,
                   double& MeanX, double& MeanY, double& SDX, double& SDY, double& CorrXY,
                   double& CovXY);


    // ---- Two-sample tests (two_sample_tests.cpp) ---------------------------
    // t test of equal means with pooled variances; Prob two-sided.
    void STAT_TTESTSameVar(const BoundedArray<double>& data1, std::int32_t n1,
                           const BoundedArray<double>& data2, std::int32_t n2, double& t,
                           double& Prob);
    // Paired t test with the covariance term; t = 0 when the pairs' spread
    // is 0.
    void STAT_TTESTPaired(const BoundedArray<double>& data1, std::int32_t n1,
                          const BoundedArray<double>& data2, std::int32_t n2, double& t,
                          double& Prob);
    // F test of equal variances, larger variance on top; errors passed over
    // step by step.
    void STAT_FTEST(const BoundedArray<double>& data1, std::int32_t n1,
                    const BoundedArray<double>& data2, std::int32_t n2, double& f, double& Prob);
    // Paired t test on the differences of 1..n1 (n2 is not read).
    void STAT_TTESTDiffPaired(const BoundedArray<double>& data1, std::int32_t n1,
                              const BoundedArray<double>& data2, std::int32_t n2, double& t,
                              double& Prob);
    // t test of equal means with separate variances (Welch).
    void STAT_TTESTDiffVar(const BoundedArray<double>& data1, std::int32_t n1,
                           const BoundedArray<double>& data2, std::int32_t n2, double& t,
                           double& Prob);
    // Simultaneous F tests of intercept 0 and slope 1 of the line a + b x;
    // nothing is written when the residual variance is not positive.
    void STAT_SimulFTest(const BoundedArray<double>& x, const BoundedArray<double>& y, double n,
                         double a, double b, double MeanX, double MeanY,
                         double& Fvalue_DentAndBlackie, double& PFvalue_DentAndBlackie,
                         double& Fvalue_Mayeretal, double& PFvalue_Mayeretal);


    // ---- Model measures (model_measures.cpp) -------------------------------
    // Model-adequacy measures of predicted x against observed y over pairs
    // 1..n (n = size, or the upper bound of x when size < 1; nothing happens
    // for n <= 2). Errors are passed over step by step.
    Variant STAT_ModelMeasures(const BoundedArray<double>& x, const BoundedArray<double>& y,
                               std::int32_t size, double MeanX, double MeanY, double& r2,
                               double& mb, double& MAE, double& pMAE, double& MSEP,
                               double& VarMSEP, BoundedArray<double>& MSEPComp, double& MEF,
                               double& MxE, double& CD);
    // Median-based coefficient of determination; errors passed over.
    void STAT_ResistantR2(std::int32_t n, const BoundedArray<double>& y, double MeanY,
                          const BoundedArray<double>& Pred, double& ResistantR2,
                          double& AdjResistantR2);
    // Median of elements 1 (0 with Base0) to the upper bound; 0 for two
    // values or fewer.
    double STAT_Median(const BoundedArray<double>& NumericArray, bool Base0 = false);


    // ---- Residual diagnostics (residuals.cpp) ------------------------------
    // Diagnostics of the line y = b0 + b1 x fitted to x(1..n), y(1..n),
    // given the sample variance VarX and the means: MSE = SSE/(n - 2) and,
    // per point, the outputs named below (elements 1..n). An entry that is
    // undefined (leverage 1, a zero mean) is NaN; the others are computed.
    Variant STAT_Residue(double b0, double b1, const BoundedArray<double>& x, const BoundedArray<double>& y,
                         double VarX, double MeanX, double MeanY, std::int32_t n, double& MSE,
                         BoundedArray<double>& Deviation, BoundedArray<double>& Pred, BoundedArray<double>& Residue,
                         BoundedArray<double>& SEr, BoundedArray<double>& StdtRes, BoundedArray<double>& RStdtRes,
                         BoundedArray<double>& h, BoundedArray<double>& Cook, BoundedArray<double>& DFFITS,
                         BoundedArray<double>& NormalResidue, BoundedArray<double>& PRESS,
                         BoundedArray<double>& SemiStdtRes, BoundedArray<double>& WtDev);
    // The estimate Xh' b at the point Xh (a column of p rows) of a multiple
    // regression, its variance Xh' VarCovb Xh and standard deviation, and
    // the confidence and prediction limits at significance level Alpha
    // (Alpha comes back as STAT_TINV leaves it). Errors are ignored step by
    // step.
    Variant STAT_MReg_Statistics(const Matrix& Xh, const Matrix& b, const Matrix& VarCovb, double MSE, double n,
                                 double& Estimate, double& Variance, double& sd, double& Alpha, double& LowCI,
                                 double& HighCI, double& LowPI, double& HighPI);

    // ---- Contingency table (contingency.cpp) -------------------------------
    // Chi-square analysis of the counts nn(1..ni, 1..nj): expected counts
    // from the margins, or Prop times the total for every cell when Prop > 0.
    // df counts the rows and columns that are not empty; ProbChiSQ is the
    // upper tail, MissingValue when df <= 0. CramerV is not written when
    // min(used rows, used columns) is 1. An all-zero table fails (error 6).
    void STAT_Contingency1(const BoundedArray2<std::int32_t>& nn, std::int32_t ni, std::int32_t nj,
                           double Prop, double& chisq, double& df, double& ProbChiSQ, double& CramerV,
                           double& CCC);

    // ---- Rank correlation (rank_correlation.cpp) ---------------------------
    // Replaces W(1..n), sorted ascending, by its mid-ranks; S = sum of
    // t^3 - t over the groups of t tied values.
    void Rank_CRank(std::int32_t n, BoundedArray<double>& W, double& S);
    // Pearson's r of x(1..n), y(1..n) with its t, two-sided probability
    // (incomplete beta up to 499 pairs, Fisher's z above), r^2, adjusted
    // r^2 and Fisher's z; errors passed over.
    void Rank_Pearson(const BoundedArray<double>& x, const BoundedArray<double>& y, std::int32_t n,
                      double& r, double& t, double& ProbT, double& r2, double& Adjr2, double& z);
    // Reverses the ranks x(1..n): x = n - x + 1.
    void Rank_Invert(BoundedArray<double>& x, std::int32_t n);
    // Spearman's rank correlation of data1(1..n) and data2(1..n): wksp1,
    // wksp2 and idx are dimensioned 0..n and hold, in ascending order of
    // data2, the ranks and the point numbers; errors passed over.
    void Rank_Spearman(const BoundedArray<double>& data1, const BoundedArray<double>& data2,
                       std::int32_t n, BoundedArray<double>& wksp1, bool Invert1,
                       BoundedArray<double>& wksp2, bool Invert2, BoundedArray<double>& idx,
                       double& D, double& zd, double& ProbD, double& rs, double& t,
                       double& Probrs);
    // Kendall's tau of the raw values 1..n with its normal approximation;
    // errors passed over.
    void Rank_Kendall(const BoundedArray<double>& data1, const BoundedArray<double>& data2,
                      std::int32_t n, double& tau, double& z, double& ProbZ);
    // Complementary error function (fractional error below 1.2e-7).
    double Error_Erfcc(double x);


    // ---- Two-sample nonparametric tests (nonparametric.cpp) ----------------
    // Mann-Whitney rank-sum test of ix1(1..ubound) against ix2(1..ubound)
    // with mid-ranks, tie-corrected variance Var and the normal deviate
    // rv = |D| / sqrt(Var); D = R - nb (N + 1)/2 with R the rank sum of ix2,
    // moved half a rank towards 0 (continuity correction; 0 stays 0), so
    // swapping the samples changes only its sign; sig is the one-sided
    // upper tail of rv; larger is D > 0. All values equal: returns at once
    // with sig = 1, larger false. Any number of values (work arrays sized
    // to the samples).
    void STAT_MannWhitney(const BoundedArray<double>& ix1, const BoundedArray<double>& ix2, double& D,
                          double& rv, double& Var, double& sig, InOut<bool> larger = {});
    // Two-sample Kolmogorov-Smirnov: KS the largest difference of the two
    // empirical distribution functions (tied values stepped together),
    // en = n1 n2 / (n1 + n2), ProbKS = STAT_ProbKS((sqrt(en) + 0.12 +
    // 0.11 / sqrt(en)) KS). n1 or n2 = 0 fails.
    void STAT_KolmogorovSmirnov2(const BoundedArray<double>& data1, std::int32_t n1,
                                 const BoundedArray<double>& data2, std::int32_t n2, double& KS,
                                 double& en, double& ProbKS);
    // One-sample Kolmogorov-Smirnov against the uniform distribution on
    // (0, 1): data(1..n) must already be cumulative probabilities of the
    // reference distribution (as STAT_EDFGOF test 1 takes them), and each
    // sorted value is compared with the empirical fractions around it.
    void STAT_KolmogorovSmirnov1(const BoundedArray<double>& data, std::int32_t n, double& KS,
                                 double& ProbKS);
    // Q(alam) = 2 sum (-1)^(j-1) exp(-2 j^2 alam^2); 1 when the series has
    // not converged after 100 terms.
    double STAT_ProbKS(double alam);

    // ---- Normality tests (normality.cpp) -----------------------------------
    // Shapiro-Wilk W of data1 (AS R94, Royston 1995): n values of which the
    // n1 smallest are uncensored (the first n1 are sorted and used); a
    // holds the n/2 coefficients, computed unless INIT is true (INIT is set
    // true). n2 is the room the caller has given a: at least n/2. SW < 0 on
    // entry asks for the significance of -SW only. iFault: 0; 1 n or n1
    // below 3; 2 n above 5000 (still computed); 3 n2 below n/2; 4 n1 above
    // n, or censoring with n below 20; 5 more than 80 % censored; 6 range
    // below 1E-19.
    void STAT_ShapiroWilk(bool& INIT, const BoundedArray<double>& data1, std::int32_t n, std::int32_t n1,
                          std::int32_t n2, BoundedArray<double>& a, double& SW, double& ProbSW,
                          std::int32_t& iFault);
    // c(1) + c(2) x + ... + c(NOrd) x^(NOrd-1) (AS 181).
    double STAT_Poly(const BoundedArray<double>& c, std::int32_t NOrd, double x);
    // Goodness of fit from the empirical distribution function (AS 248,
    // Stephens' modified forms with Adjusted): Kolmogorov D, Kuiper V,
    // Cramer-von Mises W2, Watson U2 and Anderson-Darling a2 of W(1..n).
    // iTest 1: W already holds probabilities of a fully specified
    // distribution (no significance levels); 2: normal with mean and
    // variance estimated (xbar, S2); 3: exponential with the mean
    // estimated. Tests 2 and 3 write the probability transforms into z(1..n)
    // and the significance levels W2P, U2P and A2P. iFault: 0; 1 iTest not
    // 1..3; 2 n below 2 (3 for test 2); 4 a probability outside (0, 1);
    // 5 zero variance; 6 mean not positive. A fault writes no statistic.
    void STAT_EDFGOF(const BoundedArray<double>& W, BoundedArray<double>& z, std::int32_t n, double& xbar,
                     double& S2, double& D, double& V, double& W2, double& W2P, double& U2, double& U2P,
                     double& a2, double& A2P, std::int16_t& iFault, std::int16_t iTest,
                     bool Adjusted = false);
    // The five EDF statistics of the ascending probabilities z(1..n); a z
    // below 1E-37 is raised to 1E-37 in the array. iFault 4, and nothing
    // written, when a z lies outside (0, 1).
    void STATS(BoundedArray<double>& z, std::int32_t n, double& D, double& V, double& W2, double& U2,
               double& a2, std::int16_t& iFault);
    // Significance level of a modified EDF statistic t from the cut points
    // CUT(1..3) and the rows COEF(1..4, 1..3) of exp(c1 + t (c2 + t c3)):
    // 1 - p below the second cut point, p from there on. The last row is
    // held at its minimum beyond it, so p stays within [0, 1].
    double PValue(double t, const BoundedArray<double>& CUT, const BoundedArray2<double>& COEF);

    // ---- Robust scale estimators (robust.cpp) ------------------------------
    // Croux and Rousseeuw (1992): no list of the pairwise distances; every
    // work array is 0..n. Values must be finite (error 6 otherwise).
    // b(1..n) = a(1..n) ascending (non-recursive quicksort); n below 1
    // fails with error 9.
    void Robust_sort(const BoundedArray<double>& a, std::int32_t n, BoundedArray<double>& b);
    // The k-th smallest of a(1..n); a is not changed. k outside 1..n fails
    // with error 9 (of no values, k = 0 gives 0).
    double Robust_Pull(const BoundedArray<double>& a, std::int32_t n, std::int32_t k);
    // Qn = dn 2.2219 times the k-th smallest |x(i) - x(j)|, i < j, with
    // h = n\2 + 1 and k = h(h - 1)/2; dn the small-sample factor (0 below 2
    // values). O(n log n).
    double Robust_Qn(const BoundedArray<double>& x, std::int32_t n);
    // Sn = cn 1.1926 times lomed over i of himed over j of |x(i) - x(j)|;
    // cn the small-sample factor. O(n log n).
    double Robust_Sn(const BoundedArray<double>& x, std::int32_t n);
    // The weighted high median of a(1..n) with whole weights iw(1..n); a
    // and iw are overwritten with the last candidates.
    double Robust_Whimed(BoundedArray<double>& a, BoundedArray<std::int32_t>& iw, std::int32_t n);

    // ---- Concordance coefficients (concordance.cpp) ------------------------
    // Every step of these three runs on its own: a step that fails leaves
    // its output as it was, except that a failing last division,
    // multiplication, addition or subtraction stores its infinity or NaN.
    // They never report a failure, apart from STAT_GCCC2 and STAT_GCCC when
    // their work arrays cannot be allocated (n < 0, or out of memory).
    //
    // Lin's concordance correlation coefficient rc of n pairs from Pearson's
    // r, the means, the variances and the variance of the differences X - Y:
    // the bias correction Cb, the location and scale shifts u and V, the
    // standard error of rc with its normal test and 95 % limits, the same on
    // Fisher's z scale (limits on the z scale, _1, and back on the rc scale,
    // _2; all eight left alone when rc >= 1), Nickerson's coefficient, and
    // Liao's accuracy Ar and improved coefficient Gr = Ar r with the
    // delta-method standard error of Gr, its test, limits and z-scale family.
    void STAT_CCC(std::int32_t n, double r, double MeanX, double MeanY, double VarX, double VarY, double& Cb,
                  double& u, double& V, double& rc, double& SErc, double& z, double& pz, double& zll95,
                  double& zul95, double& trc, double& SEtrc, double& ztrc, double& pztrc, double& ztrcll95_1,
                  double& ztrcul95_1, double& ztrcll95_2, double& ztrcul95_2, double VarXY,
                  double& rc_Nickerson, double& Ar, double& Gr, double& SEGr, double& Grz, double& pGrz,
                  double& Grzll95, double& Grzul95, double& tGr, double& SEtGr, double& tGrz, double& ptGrz,
                  double& ztGrll95_1, double& ztGrll95_2, double& ztGrul95_1, double& ztGrul95_2);
    // The outputs of STAT_CCC as one record; what the call leaves unwritten
    // stays NaN.
    struct ConcordanceCorrelation {
        static constexpr double Unset = std::numeric_limits<double>::quiet_NaN();
        double Cb = Unset, u = Unset, V = Unset, rc = Unset, SErc = Unset, z = Unset, pz = Unset;
        double zll95 = Unset, zul95 = Unset;
        double trc = Unset, SEtrc = Unset, ztrc = Unset, pztrc = Unset;
        double ztrcll95_1 = Unset, ztrcul95_1 = Unset, ztrcll95_2 = Unset, ztrcul95_2 = Unset;
        double rc_Nickerson = Unset, Ar = Unset, Gr = Unset, SEGr = Unset, Grz = Unset, pGrz = Unset;
        double Grzll95 = Unset, Grzul95 = Unset;
        double tGr = Unset, SEtGr = Unset, tGrz = Unset, ptGrz = Unset;
        double ztGrll95_1 = Unset, ztGrll95_2 = Unset, ztGrul95_1 = Unset, ztGrul95_2 = Unset;
    };
    ConcordanceCorrelation STAT_CCC(std::int32_t n, double r, double MeanX, double MeanY, double VarX,
                                    double VarY, double VarXY);

    // The generalized concordance correlation coefficient of King and
    // Chinchilli of x(1..n), y(1..n) for seven distance functions: element k
    // of each output holds variant k (label in GcccVariantLabels): the
    // estimate rg, its delta-method standard error (the cross kernel's
    // projection symmetrised in x and y), Fisher's z with its standard error,
    // and 95 % limits with t(0.975, n - 2) on the z scale and back on the rg
    // scale. P is the exponent of variants 3 and 6; variants 4 to 7 limit
    // their arguments at a bound from the 5 %-winsorised data. Only elements
    // 1..7 are written; an element the arrays lack is skipped. x and y
    // elements beyond their bounds count as not a number.
    void STAT_GCCC2(std::int32_t n, const BoundedArray<double>& x, const BoundedArray<double>& y,
                    BoundedArray<double>& rg, BoundedArray<double>& se_rg, BoundedArray<double>& z,
                    BoundedArray<double>& se_z, BoundedArray<double>& z_lcl, BoundedArray<double>& z_ucl,
                    BoundedArray<double>& lcl, BoundedArray<double>& ucl, double P);
    // One variant's results; what the call leaves unwritten stays NaN.
    struct GeneralizedConcordance {
        static constexpr double Unset = std::numeric_limits<double>::quiet_NaN();
        double rg = Unset, se_rg = Unset, z = Unset, se_z = Unset;
        double z_lcl = Unset, z_ucl = Unset, lcl = Unset, ucl = Unset;
    };
    // STAT_GCCC2 as records: element k - 1 holds variant k.
    std::array<GeneralizedConcordance, 7> STAT_GCCC2(std::int32_t n, const BoundedArray<double>& x,
                                                     const BoundedArray<double>& y, double P);
    // The report's labels of the seven variants, in their order.
    static constexpr std::array<std::string_view, 7> GcccVariantLabels{
        "SQUARED distance                           ",
        "ABSOLUTE distance                          ",
        "ABSOLUTE distance to POWER 1.5             ",
        "Winsorized Squared distance                ",
        "Winsorized Absolute distance               ",
        "Winsorized Absolute distance to POWER 1.5  ",
        "Huber function                             ",
    };
    // One variant of STAT_GCCC2 into scalars: code 1, 2, 3, 4, 5, 6 gives
    // variant 1, 2, 3, 4, 6, 7 (code 5 with P = 1 is variant 5). Any other
    // code writes nothing.
    void STAT_GCCC(std::int32_t n, const BoundedArray<double>& x, const BoundedArray<double>& y, double& rg,
                   double& se_rg, double& z, double& se_z, double& z_lcl, double& z_ucl, double& lcl,
                   double& ucl, std::int32_t code, double P);
    GeneralizedConcordance STAT_GCCC(std::int32_t n, const BoundedArray<double>& x,
                                     const BoundedArray<double>& y, std::int32_t code, double P);

    // ---- Interval table writer (interval_table.cpp) ------------------------
    // The report table of confidence and prediction intervals of the line
    // y = a + b x at x(1..n), then the counts of intervals that exclude
    // zero, the residual sum of squares and both intervals at the mean of
    // x; CR LF line ends. Prob above 1 is a percentage and becomes Prob/100
    // in the caller's variable. t is replaced. n <= 2 or all x equal fail.
    void STAT_CPI(double a, double b, std::int32_t n, const BoundedArray<double>& x,
                  const BoundedArray<double>& y, double& Prob, std::string& t);

    // ---- Formatting (sumtrix_format.cpp) -----------------------------------
    // The program's fixed-width formatters, unchanged.
    std::string FormatOutput(InOut<double> value, std::int32_t size, std::int32_t Dec,
                             InOut<std::int16_t> Alignment = {}, bool Prob = false);
    std::string FormatText(const std::string& Text, std::int32_t TextSize,
                           InOut<std::int16_t> Alignment = {});

    // The object's state, for the errors-in-both-coordinates fit and tests.
    const LineFitState& lineFitState() const { return m_lineFit; }

private:
    LineFitState m_lineFit;
};

// Reg_MedFit, and the points the fitted line passes through (indices
// 1..ndata, ascending): those whose residual from it is 0 but for the
// rounding of its terms, among them the two points that define the line.
// None when the median intercept of an even number of points puts the
// line between two of them.
void medianFitThroughPoints(Sumtrix& lib, const BoundedArray<double>& x, const BoundedArray<double>& y,
                            std::int32_t ndata, double& a, double& b, double& abdev, double& chisq,
                            std::vector<std::int32_t>& onLine);

// STAT_Residue of a line that passes through the points onLine (indices
// 1..n, in any order; one outside fails with a subscript error), such as
// the median line: as in exact arithmetic, their fitted value is their y
// and their residue 0, not the rounding of y - (b0 + b1 x) with either
// sign, and their diagnostics and normal scores follow from that. Residues
// that differ by the rounding of such a line alone are tied in the normal
// scores.
void residueThroughPoints(Sumtrix& lib, std::span<const std::int32_t> onLine, double b0, double b1,
                          const BoundedArray<double>& x, const BoundedArray<double>& y, double VarX, double MeanX,
                          double MeanY, std::int32_t n, double& MSE, BoundedArray<double>& Deviation,
                          BoundedArray<double>& Pred, BoundedArray<double>& Residue, BoundedArray<double>& SEr,
                          BoundedArray<double>& StdtRes, BoundedArray<double>& RStdtRes, BoundedArray<double>& h,
                          BoundedArray<double>& Cook, BoundedArray<double>& DFFITS,
                          BoundedArray<double>& NormalResidue, BoundedArray<double>& PRESS,
                          BoundedArray<double>& SemiStdtRes, BoundedArray<double>& WtDev);

// The first statements of STAT_Residue alone, with the same results and the
// same failures: MSE and, per point, Pred and Residue (elements 1..n), without
// the diagnostics that follow. For a caller that needs the diagnostics of
// every point later or not at all. The points onLine as residueThroughPoints
// takes them.
void residueFit(double b0, double b1, const BoundedArray<double>& x, const BoundedArray<double>& y, double VarX,
                double MeanX, std::int32_t n, double& MSE, BoundedArray<double>& Pred,
                BoundedArray<double>& Residue, std::span<const std::int32_t> onLine = {});

} // namespace SumtrixLib
