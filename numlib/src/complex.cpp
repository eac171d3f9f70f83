// Complex numbers and the small elementary functions.
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib {

namespace {

// The library's own values of pi and 2 pi, used exactly as these decimals
// (not the full-precision constant): angles it reports depend on them.
constexpr double Pi = 3.14159265358979;
constexpr double TwoPi = 6.28318530717958;

// RectToPolar puts this in place of a coordinate that is exactly 0, so the
// angle's quotient is always defined.
constexpr double ZeroReplacement = 1E-30;

} // namespace

Complex Sumtrix::Complex_Add(const Complex& a, const Complex& b)
{
    return {checkedAdd(a.Re, b.Re), checkedAdd(a.Im, b.Im)};
}

Complex Sumtrix::Complex_Subtract(const Complex& a, const Complex& b)
{
    return {checkedSub(a.Re, b.Re), checkedSub(a.Im, b.Im)};
}

Complex Sumtrix::Complex_Multiply(const Complex& a, const Complex& b)
{
    // Copies: RectToPolar rewrites zero coordinates of what it is given.
    double ax = a.Re, ay = a.Im, bx = b.Re, by = b.Im;
    double u1 = 0.0, V1 = 0.0, u2 = 0.0, V2 = 0.0;
    this->RectToPolar(ax, ay, u1, V1);
    this->RectToPolar(bx, by, u2, V2);
    const double u = checkedMul(u1, u2);
    double V = V1 + V2;
    if (V >= TwoPi)
        V -= TwoPi;
    Complex result;
    this->PolarToRect(result.Re, result.Im, u, V);
    return result;
}

Complex Sumtrix::Complex_Divide(const Complex& a, const Complex& b)
{
    double ax = a.Re, ay = a.Im, bx = b.Re, by = b.Im;
    double u1 = 0.0, V1 = 0.0, u2 = 0.0, V2 = 0.0;
    this->RectToPolar(ax, ay, u1, V1);
    this->RectToPolar(bx, by, u2, V2);
    const double u = checkedDiv(u1, u2);
    double V = V1 - V2;
    if (V < 0.0)
        V += TwoPi;
    Complex result;
    this->PolarToRect(result.Re, result.Im, u, V);
    return result;
}

Complex Sumtrix::Complex_Power(const Complex& a, double n)
{
    double ax = a.Re, ay = a.Im;
    double u = 0.0, V = 0.0;
    this->RectToPolar(ax, ay, u, V);
    u = checkedPow(u, n);
    V = checkedMul(V, n);
    // Back into [0, 2 pi): Int rounds toward minus infinity.
    V = V - intFloor(V / TwoPi) * TwoPi;
    Complex result;
    this->PolarToRect(result.Re, result.Im, u, V);
    return result;
}

Complex Sumtrix::Complex_Exp(const Complex& a)
{
    const double e = checkedExp(a.Re);
    return {checkedMul(e, std::cos(a.Im)), checkedMul(e, std::sin(a.Im))};
}

Complex Sumtrix::Complex_Log(const Complex& a)
{
    // The angle is the polar one in [0, 2 pi); for 0 both coordinates were
    // replaced by 1E-30, which gives (0, pi/4).
    double ax = a.Re, ay = a.Im;
    double u = 0.0, V = 0.0;
    this->RectToPolar(ax, ay, u, V);
    return {u == 0.0 ? 0.0 : std::log(u), V};
}

Variant Sumtrix::Complex_Root(const Complex& a, std::int32_t n, BoundedArray<Complex>& Root)
{
    if (n < 0)
        raiseError(ErrSubscript); // Root cannot be dimensioned 0..n
    Root.redim(0, n);
    double ax = a.Re, ay = a.Im;
    double u = 0.0, V = 0.0;
    this->RectToPolar(ax, ay, u, V);
    const double rho = checkedPow(u, checkedDiv(1.0, n));
    for (std::int32_t i = 1; i <= n; ++i) {
        Complex& z = Root(i);
        this->PolarToRect(z.Re, z.Im, rho, V / n + (i - 1) * TwoPi / n);
    }
    return {};
}

double Sumtrix::Complex_Abs(const Complex& a)
{
    return checkedSqrt(checkedAdd(checkedMul(a.Im, a.Im), checkedMul(a.Re, a.Re)));
}

double Sumtrix::FUNC_Sq(double a)
{
    return checkedMul(a, a);
}

double Sumtrix::FUNC_Abs(double a)
{
    return std::fabs(a);
}

double Sumtrix::FUNC_Power(double a, double P)
{
    return checkedPow(std::fabs(a), P);
}

double Sumtrix::Math_Asin(double x)
{
    const double c = 1.0 - checkedMul(x, x);
    if (c > 0.0)
        return std::atan(x / std::sqrt(c));
    if (x == 1.0)
        return Pi / 2.0;
    if (x == -1.0)
        return -Pi / 2.0;
    return 0.0;
}

double Sumtrix::Math_Round(double x, bool Up)
{
    // x cut down to one decimal: when that is a whole number (the first
    // decimal is 0) x stays as it is, otherwise x goes to a whole number,
    // down or (with Up) up.
    const double t = intFloor(checkedMul(10.0, x)) / 10.0;
    if (intFloor(t) == t)
        return x;
    if (!Up)
        return intFloor(t);
    return t > x ? intFloor(t) : intFloor(t) + 1.0;
}

double Sumtrix::Min(double Value1, double Value2)
{
    return Value1 < Value2 ? Value1 : Value2;
}

double Sumtrix::Max(double Value1, double Value2)
{
    return Value1 > Value2 ? Value1 : Value2;
}

void Sumtrix::Swap(double& Value1, double& Value2)
{
    const double t = Value1;
    Value1 = Value2;
    Value2 = t;
}

double Sumtrix::Sign(double a, double b)
{
    return b >= 0.0 ? std::fabs(a) : -std::fabs(a);
}

// The whole array is sorted in place first and stays sorted. The minimum is
// read at index 1 whatever the lower bound, so an array from 0 yields its
// second-smallest element; callers rely on arrays from 1.
double Sumtrix::MinMatrix(BoundedArray<double>& Matrix)
{
    return trapToMarker(MinMatrixFailed, [&] {
        if (Matrix.ubound() > 499)
            this->Sort_ShellNumbers(Matrix);
        else
            this->Sort_BubbleNumbers(Matrix);
        return Matrix(1);
    });
}

double Sumtrix::MaxMatrix(BoundedArray<double>& Matrix)
{
    return trapToMarker(MaxMatrixFailed, [&] {
        if (Matrix.ubound() > 499)
            this->Sort_ShellNumbers(Matrix);
        else
            this->Sort_BubbleNumbers(Matrix);
        return Matrix(Matrix.ubound());
    });
}

Variant Sumtrix::RectToPolar(InOut<double> x, InOut<double> y, double& u, double& V)
{
    double& X = x.get();
    double& Y = y.get();
    u = checkedSqrt(checkedAdd(checkedMul(X, X), checkedMul(Y, Y)));
    if (Y == 0.0)
        Y = ZeroReplacement;
    if (X == 0.0)
        X = ZeroReplacement;
    V = std::atan(checkedDiv(Y, X));
    if (X < 0.0)
        V += Pi;
    if (V < 0.0)
        V += TwoPi;
    return {};
}

Variant Sumtrix::PolarToRect(double& x, double& y, double u, double V)
{
    x = checkedMul(u, std::cos(V));
    y = checkedMul(u, std::sin(V));
    return {};
}

double Sumtrix::LogY(double x, double y)
{
    return checkedDiv(checkedLog(x), checkedLog(y));
}

double Sumtrix::Poly_value(std::int32_t n, const BoundedArray<double>& a, double x)
{
    // Horner's rule from the highest coefficient; a(1) is the constant term.
    double s = 0.0;
    for (std::int32_t i = n; i >= 1; --i)
        s = checkedAdd(checkedMul(s, x), a(i));
    return s;
}

} // namespace SumtrixLib
