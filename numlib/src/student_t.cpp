// Student t distribution: the probability of Applied Statistics algorithm
// AS 3, and the quantile by the four-term expansion around the normal
// quantile that DCDFLIB uses as the start of its t inversion, with the
// DCDFLIB routines it needs (dinvnr, cumnor, spmpar, ipmpar, stvaln,
// devlpl).
#include <array>
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"
#include "variant_number.hpp"
#include "decimal.hpp"

namespace SumtrixLib {

namespace {

// The coefficients of cumnor (W. J. Cody, "Rational Chebyshev approximation
// for the error function", Math. Comp. 1969; ANORM of TOMS 715), held as
// decimal values as published. Reading the texts once changes nothing.
struct CumnorCoefficients {
    Decimal a[6];    // 1..5
    Decimal b[5];    // 1..4
    Decimal c[10];   // 1..9
    Decimal d[9];    // 1..8
    Decimal p[7];    // 1..6
    double q[6];     // 1..5, used as doubles
    Decimal sqrpi;   // 1/sqrt(2 pi)
};

const CumnorCoefficients& cumnorCoefficients()
{
    static const CumnorCoefficients k = [] {
        CumnorCoefficients k;
        const char* a[] = {"2.2352520354606839287d00", "1.6102823106855587881d02", "1.0676894854603709582d03",
                           "1.8154981253343561249d04", "6.5682337918207449113d-2"};
        const char* b[] = {"4.7202581904688241870d01", "9.7609855173777669322d02", "1.0260932208618978205d04",
                           "4.5507789335026729956d04"};
        const char* c[] = {"3.9894151208813466764d-1", "8.8831497943883759412d00", "9.3506656132177855979d01",
                           "5.9727027639480026226d02", "2.4945375852903726711d03", "6.8481904505362823326d03",
                           "1.1602651437647350124d04", "9.8427148383839780218d03", "1.0765576773720192317d-8"};
        const char* d[] = {"2.2266688044328115691d01", "2.3538790178262499861d02", "1.5193775994075548050d03",
                           "6.4855582982667607550d03", "1.8615571640885098091d04", "3.4900952721145977266d04",
                           "3.8912003286093271411d04", "1.9685429676859990727d04"};
        const char* p[] = {"2.1589853405795699d-1", "1.274011611602473639d-1", "2.2235277870649807d-2",
                           "1.421619193227893466d-3", "2.9112874951168792d-5", "2.307344176494017303d-2"};
        const char* q[] = {"1.28426009614491121d00", "4.68238212480865118d-1", "6.59881378689285515d-2",
                           "3.78239633202758244d-3", "7.29751555083966205d-5"};
        for (int i = 0; i < 5; ++i)
            k.a[i + 1] = Decimal::fromText(a[i]);
        for (int i = 0; i < 4; ++i)
            k.b[i + 1] = Decimal::fromText(b[i]);
        for (int i = 0; i < 9; ++i)
            k.c[i + 1] = Decimal::fromText(c[i]);
        for (int i = 0; i < 8; ++i)
            k.d[i + 1] = Decimal::fromText(d[i]);
        for (int i = 0; i < 6; ++i)
            k.p[i + 1] = Decimal::fromText(p[i]);
        k.q[0] = 0.0;
        for (int i = 0; i < 5; ++i)
            k.q[i + 1] = Decimal::fromText(q[i]).toDouble();
        k.sqrpi = Decimal::fromText("3.9894228040143267794d-1");
        return k;
    }();
    return k;
}


Decimal dec(double v)
{
    return Decimal::fromDouble(v);
}

// One Horner step in the decimal type, rounded back to double:
// (sum + coefficient) * argument.
double decimalStep(double sum, const Decimal& coefficient, double argument)
{
    return ((dec(sum) + coefficient) * dec(argument)).toDouble();
}

// The expansion of the t quantile in powers of 1/df around the normal
// quantile x (Abramowitz and Stegun 26.7.5): term i is x times a polynomial
// in x^2 of degree ideg(i) - 1, over denom(i) df^i.
struct ExpansionTerm {
    std::int16_t ideg;
    BoundedArray<double> coefficients;
    double denom;
};

const std::array<ExpansionTerm, 4>& tinvExpansion()
{
    static const std::array<ExpansionTerm, 4> terms = {{
        {2, BoundedArray<double>(1, {1.0, 1.0}), 4.0},
        {3, BoundedArray<double>(1, {3.0, 16.0, 5.0}), 96.0},
        {4, BoundedArray<double>(1, {-15.0, 17.0, 19.0, 3.0}), 384.0},
        {5, BoundedArray<double>(1, {-945.0, -1920.0, 1482.0, 776.0, 79.0}), 92160.0},
    }};
    return terms;
}

} // namespace

// From here on STAT_PROBST uses the normal limit with its first correction.
constexpr double ProbstLargeDf = 1e7;

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
    if (df >= ProbstLargeDf) {
        // The series has about df/2 terms: too many to sum (it would never
        // end from 2^53 on, where fk + 2 == fk) and its rounding grows with
        // them. The normal limit alone is off by up to 1.6e-8 at 1e7
        // degrees; with the first correction in 1/df (Abramowitz and Stegun
        // 26.7.8) the error is of order 1/df^2, below 1e-15 here.
        const double c = 0.25 / df;
        const double z = t * (1.0 - c) / std::sqrt(1.0 + 2.0 * c * t * t);
        double result = 0.5 * std::erfc(-z / std::sqrt(2.0));
        if (TwoTails)
            result = 2.0 * result - 1.0;
        return result;
    }
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

double Sumtrix::STAT_TINV(double& P, double df, bool TwoTails, bool Alpha)
{
    if (P > 1.0)
        P = P / 100.0;   // given as a percentage
    if (TwoTails)
        P = P / 2.0;
    const double x = std::fabs(variantToDouble(this->STAT_DINVNR(P, 1.0 - P)));
    const double xx = x * x;
    double sum = x;
    double denpow = 1.0;
    for (const ExpansionTerm& term : tinvExpansion()) {
        const double value = checkedMul(this->STAT_DEVLPL(term.coefficients, term.ideg, xx), x);
        denpow = checkedMul(denpow, df);
        sum = checkedAdd(sum, checkedDiv(value, checkedMul(denpow, term.denom)));
    }
    double result = P >= 0.5 ? sum : -sum;
    if (Alpha)
        result = -result;
    return result;
}

Variant Sumtrix::STAT_DINVNR(double P, double Q)
{
    // dinvnr: Newton's method on cumnor from the start value of stvaln.
    static const Decimal eps = Decimal::fromText("1d-13");
    static const Decimal r2pi = Decimal::fromText("0.3989422804014326");
    const double pp = this->Min(P, Q);
    const double start = this->STAT_STVALN(pp);
    double x = start;
    bool converged = false;
    for (std::int16_t i = 1; i <= 100; ++i) {
        double cum = 0.0, ccum = 0.0;
        this->STAT_CUMNOR(x, cum, ccum);
        // the step over the density, formed in the decimal type
        const Decimal density = r2pi * dec(checkedExp(-x * x / 2.0));
        const double dx = (dec(cum - pp) / density).toDouble();
        x = x - dx;
        if (dec(std::fabs(checkedDiv(dx, x))) < eps) {
            converged = true;
            break;
        }
    }
    double result = converged ? x : start;
    if (P > Q)
        result = -result;
    return result;
}

void Sumtrix::STAT_CUMNOR(double arg, double& Result, double& ccum)
{
    // cumnor: the normal distribution function after Cody's algorithm. The
    // Horner steps of the numerators and of the denominators a, b, c, d are
    // formed in the decimal type; those of the denominators q in doubles.
    const CumnorCoefficients& k = cumnorCoefficients();
    const double eps = this->STAT_SPMPAR(1) * 0.5;
    const double min = this->STAT_SPMPAR(2);
    const double y = std::fabs(arg);
    if (y <= 0.66291) {
        const double xsq = y > eps ? arg * arg : 0.0;
        double xnum = (k.a[5] * dec(xsq)).toDouble();
        double xden = xsq;
        for (int i = 1; i <= 3; ++i) {
            xnum = decimalStep(xnum, k.a[i], xsq);
            xden = decimalStep(xden, k.b[i], xsq);
        }
        const double r = (dec(arg) * (dec(xnum) + k.a[4]) / (dec(xden) + k.b[4])).toDouble();
        Result = 0.5 + r;
        ccum = 0.5 - r;
    } else if (y <= 5.656854248) {
        double xnum = (k.c[9] * dec(y)).toDouble();
        double xden = y;
        for (int i = 1; i <= 7; ++i) {
            xnum = decimalStep(xnum, k.c[i], y);
            xden = decimalStep(xden, k.d[i], y);
        }
        const double r = ((dec(xnum) + k.c[8]) / (dec(xden) + k.d[8])).toDouble();
        // exp(-y^2/2) as exp(-xsq^2/2) exp(-del/2) with xsq = y to 1/16:
        // no cancellation in y^2 for large y
        const double xsq = std::trunc(y * 16.0) / 16.0;
        const double del = (y - xsq) * (y + xsq);
        Result = std::exp(-xsq * xsq * 0.5) * std::exp(-del * 0.5) * r;
        ccum = 1.0 - Result;
        if (arg > 0.0)
            this->Swap(Result, ccum);
    } else {
        double xsq = 1.0 / (arg * arg);
        double xnum = (k.p[6] * dec(xsq)).toDouble();
        double xden = xsq;
        for (int i = 1; i <= 4; ++i) {
            xnum = decimalStep(xnum, k.p[i], xsq);
            xden = (xden + k.q[i]) * xsq;
        }
        double r = (dec(xsq) * (dec(xnum) + k.p[5]) / dec(xden + k.q[5])).toDouble();
        r = ((k.sqrpi - dec(r)) / dec(y)).toDouble();
        xsq = std::trunc(arg * 16.0) / 16.0;
        const double del = (arg - xsq) * (arg + xsq);
        Result = std::exp(-xsq * xsq * 0.5) * std::exp(-del * 0.5) * r;
        ccum = 1.0 - Result;
        if (arg > 0.0)
            this->Swap(Result, ccum);
    }
    if (Result < min)
        Result = 0.0;
    if (ccum < min)
        ccum = 0.0;
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
