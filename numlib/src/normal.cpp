// The standard normal distribution: two quantile functions (AS 241 and
// AS 111) and three tail-area functions (AS 66 as published, a
// double-precision rational approximation computed in the decimal type, and
// AS 66 with its corrected constants, returning the density as well).
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"
#include "decimal.hpp"

namespace SumtrixLib {

namespace {

// AS 241 (Wichura 1988, PPND16): rational approximations for the central
// region |p - 0.5| <= 0.425 (a/b), the intermediate tail r <= 5 (c/d) and
// the far tail (e/f), r = sqrt(-ln min(p, 1 - p)). The coefficients are the
// published 20- and 21-digit values, held as decimal texts and rounded to
// double through the decimal type (which keeps 28 decimal places, so the
// two smallest, d7 and f7, keep fewer digits). Each array runs 1 to 8 with
// the constant term in element 1, as Poly_value takes them.
struct As241Coefficients {
    BoundedArray<double> a{1, 8}, b{1, 8}, c{1, 8}, d{1, 8}, e{1, 8}, f{1, 8};
};

const As241Coefficients& as241()
{
    static const As241Coefficients k = [] {
        const char* texts[6][8] = {
            {"3.3871328727963666080D+00", "1.3314166789178437745D+02", "1.9715909503065514427D+03",
             "1.3731693765509461125D+04", "4.5921953931549871457D+04", "6.7265770927008700853D+04",
             "3.3430575583588128105D+04", "2.5090809287301226727D+03"},
            {"1.0D+00", "4.2313330701600911252D+01", "6.8718700749205790830D+02",
             "5.3941960214247511077D+03", "2.1213794301586595867D+04", "3.9307895800092710610D+04",
             "2.8729085735721942674D+04", "5.2264952788528545610D+03"},
            {"1.42343711074968357734D+00", "4.63033784615654529590D+00", "5.76949722146069140550D+00",
             "3.64784832476320460504D+00", "1.27045825245236838258D+00", "2.41780725177450611770D-01",
             "2.27238449892691845833D-02", "7.74545014278341407640D-04"},
            {"1.0D+00", "2.05319162663775882187D+00", "1.67638483018380384940D+00",
             "6.89767334985100004550D-01", "1.48103976427480074590D-01", "1.51986665636164571966D-02",
             "5.47593808499534494600D-04", "1.05075007164441684324D-09"},
            {"6.65790464350110377720D+00", "5.46378491116411436990D+00", "1.78482653991729133580D+00",
             "2.96560571828504891230D-01", "2.65321895265761230930D-02", "1.24266094738807843860D-03",
             "2.71155556874348757815D-05", "2.01033439929228813265D-07"},
            {"1.0D+00", "5.99832206555887937690D-01", "1.36929880922735805310D-01",
             "1.48753612908506148525D-02", "7.86869131145613259100D-04", "1.84631831751005468180D-05",
             "1.42151175831644588870D-07", "2.04426310338993978564D-15"},
        };
        As241Coefficients k;
        BoundedArray<double>* rows[6] = {&k.a, &k.b, &k.c, &k.d, &k.e, &k.f};
        for (int r = 0; r < 6; ++r)
            for (int i = 0; i < 8; ++i)
                (*rows[r])(i + 1) = Decimal::fromText(texts[r][i]).toDouble();
        return k;
    }();
    return k;
}

// The rational approximation of the normal tail area used below |z| = 7.071
// (Hart's double-precision coefficients), and the divisor √(2π), held as
// decimal values.
struct TailCoefficients {
    Decimal n[7];
    Decimal d[8];
    Decimal root2pi;
};

const TailCoefficients& tailCoefficients()
{
    static const TailCoefficients k = [] {
        const char* nt[7] = {"220.2068679123761D0", "221.2135961699311D0", "112.0792914978709D0",
                             "33.91286607838300D0", "6.373962203531650D0", ".7003830644436881D0",
                             ".3526249659989109D-01"};
        const char* dt[8] = {"440.4137358247522D0", "793.8265125199484D0", "637.3336333788311D0",
                             "296.5642487796737D0", "86.78073220294608D0", "16.06417757920695D0",
                             "1.755667163182642D0", ".8838834764831844D-1"};
        TailCoefficients k;
        for (int i = 0; i < 7; ++i)
            k.n[i] = Decimal::fromText(nt[i]);
        for (int i = 0; i < 8; ++i)
            k.d[i] = Decimal::fromText(dt[i]);
        k.root2pi = Decimal::fromText("2.506628274631001D0");
        return k;
    }();
    return k;
}

template <std::size_t N>
Decimal decimalHorner(const Decimal (&c)[N], const Decimal& x)
{
    Decimal s;
    for (std::size_t i = N; i-- > 0;)
        s = s * x + c[i];
    return s;
}

// The upper tail beyond z > 1.28 shared by both AS 66 routines: Hill's
// continued fraction times the density (the two routines share these
// constants).
double as66UpperTail(double z, double density)
{
    return density /
           (z - 3.8052E-8 +
            1.00000615302 /
                (z + 3.98064794E-4 +
                 1.98615381364 /
                     (z - 0.151679116635 +
                      5.29330324926 /
                          (z + 4.8385912808 -
                           15.1508972451 / (z + 0.742380924027 + 30.789933034 / (z + 3.99019417011))))));
}

} // namespace

double Sumtrix::STAT_Normal_CDF_INV(double P)
{
    if (P <= 0.0)
        return NormalQuantileLow;
    if (P >= 1.0)
        return NormalQuantileHigh;
    const As241Coefficients& k = as241();
    const double q = P - 0.5;
    if (std::fabs(q) <= 0.425) {
        const double r = 0.180625 - q * q;
        return q * this->Poly_value(8, k.a, r) / this->Poly_value(8, k.b, r);
    }
    double r = q < 0.0 ? P : 1.0 - P;
    r = std::sqrt(-std::log(r));
    double result;
    if (r <= 5.0) {
        r -= 1.6;
        result = this->Poly_value(8, k.c, r) / this->Poly_value(8, k.d, r);
    } else {
        r -= 5.0;
        result = this->Poly_value(8, k.e, r) / this->Poly_value(8, k.f, r);
    }
    return q < 0.0 ? -result : result;
}

double Sumtrix::STAT_InvNorm(double P, InOut<double> IER)
{
    // AS 111 (Beasley and Springer 1977).
    IER = 0.0;
    const double q = P - 0.5;
    if (std::fabs(q) <= 0.42) {
        const double r = q * q;
        return q * (((-25.44106049637 * r + 41.39119773534) * r - 18.61500062529) * r + 2.50662823884) /
               ((((3.13082909833 * r - 21.06224101826) * r + 23.08336743743) * r - 8.47351093090) * r + 1.0);
    }
    double r = q > 0.0 ? 1.0 - P : P;
    if (r <= 0.0) {
        IER = 1.0;
        return 0.0;
    }
    r = std::sqrt(-std::log(r));
    const double result = (((2.32121276858 * r + 4.85014127135) * r - 2.29796479134) * r - 2.78718931138) /
                          ((1.63706781897 * r + 3.54388924762) * r + 1.0);
    return q < 0.0 ? -result : result;
}

double Sumtrix::STAT_NormProb1(double x, bool upper)
{
    // AS 66 (Hill 1973) with the constants as published, including the
    // central-branch 0.39990348504 and 29.8213557807 that the corrected
    // version (STAT_NormProb3) gives as 0.399903438504 and 29.8213557808;
    // they make this routine about 1E-8 less accurate near |x| = 1.28.
    constexpr double ltone = 7.0;
    constexpr double utzero = 18.66;
    constexpr double con = 1.28;
    double z = x;
    bool up = upper;
    if (x < 0.0) {
        z = -x;
        up = !up;
    }
    double area;
    if (z > ltone && !(up && z <= utzero)) {
        area = 0.0;
    } else {
        const double y = z * z / 2.0;
        if (z <= con) {
            area = 0.5 - z * (0.398942280444 -
                              0.39990348504 * y /
                                  (y + 5.75885480458 -
                                   29.8213557807 / (y + 2.62433121679 + 48.6959930692 / (y + 5.92885724438))));
        } else {
            area = as66UpperTail(z, 0.398942280385 * std::exp(-y));
        }
    }
    return up ? area : 1.0 - area;
}

void Sumtrix::STAT_NormProb2(double z, double& P, double& Q, double& pdf)
{
    const double zabs = std::fabs(z);
    if (zabs > 37.0) {
        pdf = 0.0;
        P = z > 0.0 ? 1.0 : 0.0;
        Q = z > 0.0 ? 0.0 : 1.0;
        return;
    }
    const TailCoefficients& k = tailCoefficients();
    const double e = std::exp(-zabs * zabs / 2.0);
    // The density is formed in the decimal type, which keeps 28 decimal
    // places: it loses digits as e gets small and is 0 beyond |z| ≈ 11.3.
    const Decimal eDec = Decimal::fromDouble(e);
    pdf = (eDec / k.root2pi).toDouble();
    double t;
    if (zabs >= 7.071) {
        t = pdf / (zabs + 1.0 / (zabs + 2.0 / (zabs + 3.0 / (zabs + 4.0 / (zabs + 0.65)))));
    } else {
        const Decimal x = Decimal::fromDouble(zabs);
        t = (eDec * decimalHorner(k.n, x) / decimalHorner(k.d, x)).toDouble();
    }
    if (z >= 0.0) {
        Q = t;
        P = 1.0 - t;
    } else {
        P = t;
        Q = 1.0 - t;
    }
}

void Sumtrix::STAT_NormProb3(double z, double& P, double& Q, double& pdf)
{
    // AS 66 with the corrected central constants 0.399903438504 and
    // 29.8213557808, cut off at |z| = 12.7.
    const double zabs = std::fabs(z);
    if (zabs > 12.7) {
        pdf = 0.0;
        P = z >= 0.0 ? 1.0 : 0.0;
        Q = z >= 0.0 ? 0.0 : 1.0;
        return;
    }
    const double y = z * z / 2.0;
    pdf = 0.398942280385 * std::exp(-y);
    double t;
    if (zabs <= 1.28) {
        t = 0.5 - zabs * (0.398942280444 -
                          0.399903438504 * y /
                              (y + 5.75885480458 -
                               29.8213557808 / (y + 2.62433121679 + 48.6959930692 / (y + 5.92885724438))));
    } else {
        t = as66UpperTail(zabs, pdf);
    }
    if (z >= 0.0) {
        Q = t;
        P = 1.0 - t;
    } else {
        P = t;
        Q = 1.0 - t;
    }
}

} // namespace SumtrixLib
