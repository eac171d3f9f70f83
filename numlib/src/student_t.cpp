// Student t distribution: the probability of Applied Statistics algorithm
// AS 3, and the quantile by the four-term expansion around the normal
// quantile that DCDFLIB uses as the start of its t inversion, with the
// DCDFLIB routines it needs (dinvnr, cumnor, spmpar, ipmpar, stvaln,
// devlpl).
#include <array>
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib {

double Sumtrix::STAT_PROBST(double& t, double df, InOut<double> iFault, bool TwoTails)
{
    // AS 3 (Applied Statistics 1968): the t distribution function for whole
    // degrees of freedom by its finite series. 0.3183098862 is 1/pi to ten
    // digits, as published.
    t = std::fabs(t);
    iFault = 1.0;
    if (df < 1.0)
        return 0.0;
    iFault = 0.0;
    const double a = checkedDiv(t, checkedSqrt(df));
    const double b = checkedDiv(df, checkedAdd(df, checkedMul(t, t)));
    const double im2 = df - 2.0;
    // parity of df rounded to the nearest integer, ties to even
    const double ioe = std::fabs(std::fmod(std::nearbyint(df), 2.0));
    double s = 1.0;
    double c = 1.0;
    double fk = 2.0 + ioe;
    if (im2 >= 2.0) {
        while (fk <= im2) {
            c = c * b * (fk - 1.0) / fk;
            const double next = s + c;
            if (next == s)
                break;
            s = next;
            fk += 2.0;
        }
    }
    double result;
    if (ioe == 0.0) {
        result = 0.5 + 0.5 * a * std::sqrt(b) * s;
    } else {
        if (df == 1.0)
            s = 0.0;
        result = 0.5 + (a * b * s + std::atan(a)) * 0.3183098862;
    }
    if (TwoTails)
        result = 2.0 * result - 1.0;
    return result;
}

double Sumtrix::STAT_SPMPAR(std::int16_t i)
{
    // spmpar: double-precision machine constants from the integer table.
    const double b = this->STAT_IPMPAR(4);
    const double m = this->STAT_IPMPAR(8);
    if (i <= 1)
        return std::pow(b, 1.0 - m);
    if (i == 2) {
        const double emin = this->STAT_IPMPAR(9);
        const double w = std::pow(b, emin + 2.0);
        return w / b / b / b;
    }
    if (i == 3) {
        const double emax = this->STAT_IPMPAR(10);
        const double bm1 = std::pow(b, m - 1.0);
        const double w = ((bm1 - 1.0) * b + (b - 1.0)) / (b * bm1);
        return w * std::pow(b, emax - 2.0) * b * b;
    }
    return 1E-99;
}

double Sumtrix::STAT_IPMPAR(std::int16_t i)
{
    // ipmpar: integer machine constants of IEEE arithmetic (index 0 unused):
    // base and digits of integers, largest integer, then base, digits,
    // smallest and largest exponent of single and of double precision.
    static constexpr std::array<double, 11> table = {0, 2, 31, 2147483647, 2, 24, -125, 128, 53, -1021, 1024};
    if (i < 0 || i > 10)
        raiseError(ErrSubscript);
    return table[static_cast<std::size_t>(i)];
}

double Sumtrix::STAT_STVALN(double P)
{
    // stvaln: starting value for the normal quantile, the rational
    // approximation of Kennedy and Gentle (Statistical Computing, 1980).
    static const BoundedArray<double> xnum(1, {-0.322232431088, -1.0, -0.342242088547, -0.0204231210245, -4.53642210148E-5});
    static const BoundedArray<double> xden(1, {0.099348462606, 0.588581570495, 0.531103462366, 0.10353775285, 0.0038560700634});
    double sign, z;
    if (P > 0.5) {
        sign = 1.0;
        z = 1.0 - P;
    } else {
        sign = -1.0;
        z = P;
    }
    const double y = checkedSqrt(-2.0 * checkedLog(z));
    return sign * (y + checkedDiv(this->STAT_DEVLPL(xnum, 5, y), this->STAT_DEVLPL(xden, 5, y)));
}

double Sumtrix::STAT_DEVLPL(const BoundedArray<double>& a, std::int16_t n, double x)
{
    // devlpl: a(1) + a(2) x + ... + a(n) x^(n-1) by Horner's scheme.
    double term = a(n);
    for (std::int32_t i = n - 1; i >= 1; --i)
        term = checkedAdd(checkedMul(term, x), a(i));
    return term;
}

} // namespace SumtrixLib
