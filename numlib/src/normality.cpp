// Normality tests: Shapiro-Wilk's W with Royston's significance levels
// (AS R94, 1995) and the goodness-of-fit statistics of the empirical
// distribution function with Stephens' modifications and significance
// levels (AS 248), with the polynomial of AS 181.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "SumtrixLib/Sumtrix.hpp"
#include "data_checks.hpp"

namespace SumtrixLib {

namespace {

BoundedArray<double> coefficients(std::initializer_list<double> values)
{
    return BoundedArray<double>(1, values);
}

// The polynomials of AS R94, constant term first.
struct SwilkCoefficients {
    BoundedArray<double> C1 = coefficients({0.0, 0.221157, -0.147981, -2.07119, 4.434685, -2.706056});
    BoundedArray<double> C2 = coefficients({0.0, 0.042981, -0.293762, -1.752461, 5.682633, -3.582633});
    BoundedArray<double> C3 = coefficients({0.544, -0.39978, 0.025054, -0.0006714});
    BoundedArray<double> C4 = coefficients({1.3822, -0.77857, 0.062767, -0.0020322});
    BoundedArray<double> C5 = coefficients({-1.5861, -0.31082, -0.083751, 0.0038915});
    BoundedArray<double> C6 = coefficients({-0.4803, -0.082676, 0.0030302});
    BoundedArray<double> C7 = coefficients({0.164, 0.533});
    BoundedArray<double> C8 = coefficients({0.1736, 0.315});
    BoundedArray<double> C9 = coefficients({0.256, -0.00635});
    BoundedArray<double> G = coefficients({-2.273, 0.459});
};

const SwilkCoefficients& swilk()
{
    static const SwilkCoefficients k;
    return k;
}

// The exact coefficient of n = 3, sqrt(1/2) to five digits.
constexpr double SqrtHalf = 0.70711;
// Smallest range, and the significance reported below Royston's gamma.
constexpr double Small = 1E-19;

// Significance table of one modified EDF statistic: three cut points and
// four rows of exp(c1 + t (c2 + t c3)).
struct PTable {
    BoundedArray<double> CUT;
    BoundedArray2<double> COEF;
};

PTable makeTable(std::initializer_list<double> cut, const double (&rows)[4][3])
{
    PTable t{BoundedArray<double>(1, cut), BoundedArray2<double>(1, 4, 1, 3)};
    for (std::int32_t j = 1; j <= 4; ++j)
        for (std::int32_t c = 1; c <= 3; ++c)
            t.COEF(j, c) = rows[j - 1][c - 1];
    return t;
}

// Stephens' tables for W2, U2 and A2: the normal case with mean and
// variance estimated, the exponential case with the mean estimated.
struct EdfTables {
    PTable normalW2, normalU2, normalA2, expW2, expU2, expA2;
};

const EdfTables& edfTables()
{
    static const EdfTables t = [] {
        const double nW2[4][3] = {{-13.953, 775.5, -12542.61}, {-5.903, 179.546, -1515.29},
                                  {0.886, -31.62, 10.897}, {1.111, -34.242, 12.832}};
        const double nU2[4][3] = {{-13.642, 766.31, -12432.74}, {-6.3328, 214.57, -2022.28},
                                  {0.851, -32.006, -3.45}, {1.325, -38.918, 16.45}};
        const double nA2[4][3] = {{-13.436, 101.14, -223.73}, {-8.318, 42.796, -59.938},
                                  {0.9177, -4.279, -1.38}, {1.2937, -5.709, 0.0186}};
        const double eW2[4][3] = {{-11.334, 459.098, -5652.1}, {-5.779, 132.89, -866.58},
                                  {0.586, -17.87, 7.417}, {0.447, -16.592, 4.849}};
        const double eU2[4][3] = {{-11.703, 542.5, -7574.59}, {-6.3288, 178.1, -1399.49},
                                  {0.8071, -25.166, 8.44}, {0.7663, -24.359, 4.539}};
        const double eA2[4][3] = {{-12.2204, 67.459, -110.3}, {-6.1327, 20.218, -18.663},
                                  {0.9209, -3.353, 0.3}, {0.731, -3.009, 0.15}};
        return EdfTables{makeTable({0.0275, 0.051, 0.092}, nW2), makeTable({0.0262, 0.048, 0.094}, nU2),
                         makeTable({0.2, 0.34, 0.6}, nA2),       makeTable({0.035, 0.074, 0.16}, eW2),
                         makeTable({0.029, 0.062, 0.12}, eU2),   makeTable({0.26, 0.51, 0.95}, eA2)};
    }();
    return t;
}

// The mean of the ascending values w(1..n), summed about the smallest so
// that values far from zero keep their digits (and equal values give
// exactly their value).
double centredMean(const BoundedArray<double>& w, std::int32_t n)
{
    double sum = 0.0;
    for (std::int32_t i = 1; i <= n; ++i)
        sum = checkedAdd(sum, checkedSub(w(i), w(1)));
    return w(1) + sum / n;
}

} // namespace

double Sumtrix::STAT_Poly(const BoundedArray<double>& c, std::int32_t NOrd, double x)
{
    if (NOrd == 1)
        return c(1);
    double p = checkedMul(x, c(NOrd));
    for (std::int32_t j = NOrd - 1; j >= 2; --j)
        p = checkedMul(checkedAdd(p, c(j)), x);
    return checkedAdd(c(1), p);
}

void Sumtrix::STAT_ShapiroWilk(bool& INIT, const BoundedArray<double>& data1, std::int32_t n, std::int32_t n1,
                               std::int32_t n2, BoundedArray<double>& a, double& SW, double& ProbSW,
                               std::int32_t& iFault)
{
    const SwilkCoefficients& k = swilk();
    // The sorted work copy. Only the uncensored values are sorted; more of
    // them than values is reported below (fault 4), so the sort stops at n.
    const std::int32_t m = std::max(n, 0);
    BoundedArray<double> x(0, m);
    for (std::int32_t i = 1; i <= m; ++i)
        x(i) = data1(i);
    const std::int32_t sorted = std::clamp(n1, 0, m);
    requireFiniteValues(x, 1, sorted);
    this->Sort_Sort1(sorted, x);

    const bool significanceOnly = SW < 0.0;
    ProbSW = 1.0;
    if (SW >= 0.0)
        SW = 1.0;
    iFault = 3;
    const std::int32_t nn2 = n / 2;
    if (n2 < nn2)
        return;
    iFault = 1;
    if (n < 3)
        return;
    const double an = n;

    if (!INIT) {
        if (n == 3) {
            a(1) = SqrtHalf;
        } else {
            // Expected normal order statistics m(i), kept in a, then
            // Royston's polynomial approximations of the first one or two
            // coefficients and the rest normalised so that sum a^2 = 1/2.
            const double an25 = an + 0.25;
            double summ2 = 0.0;
            for (std::int32_t i = 1; i <= nn2; ++i) {
                a(i) = this->STAT_InvNorm((i - 0.375) / an25);
                summ2 += a(i) * a(i);
            }
            summ2 *= 2.0;
            const double ssumm2 = std::sqrt(summ2);
            const double rsn = 1.0 / std::sqrt(an);
            const double a1 = this->STAT_Poly(k.C1, 6, rsn) - a(1) / ssumm2;
            std::int32_t i1;
            double fac;
            if (n > 5) {
                i1 = 3;
                const double a2 = -a(2) / ssumm2 + this->STAT_Poly(k.C2, 6, rsn);
                fac = checkedSqrt((summ2 - 2.0 * a(1) * a(1) - 2.0 * a(2) * a(2)) /
                                  (1.0 - 2.0 * a1 * a1 - 2.0 * a2 * a2));
                a(2) = a2;
            } else {
                i1 = 2;
                fac = checkedSqrt((summ2 - 2.0 * a(1) * a(1)) / (1.0 - 2.0 * a1 * a1));
            }
            a(1) = a1;
            for (std::int32_t i = i1; i <= nn2; ++i)
                a(i) = -a(i) / fac;
        }
        INIT = true;
    }

    if (n1 < 3)
        return;
    const std::int32_t ncens = n - n1;
    iFault = 4;
    if (ncens < 0 || (ncens > 0 && n < 20))
        return;
    iFault = 5;
    const double delta = ncens / an;
    if (delta > 0.8)
        return;

    double w1;
    if (significanceOnly) {
        w1 = 1.0 + SW;
        iFault = 0;
    } else {
        iFault = 6;
        const double range = checkedSub(x(n1), x(1));
        if (range < Small)
            return;
        // W is the squared correlation of the ordered values with the
        // coefficients (antisymmetric about the middle). The values are
        // taken from the smallest, scaled by the range: the same
        // correlation, without the cancellation of values far from zero.
        const auto scaled = [&](std::int32_t i) { return (x(i) - x(1)) / range; };
        iFault = 7;
        double sx = scaled(1);
        double sa = -a(1);
        for (std::int32_t i = 2, j = n - 1; i <= n1; ++i, --j) {
            sx += scaled(i);
            if (i != j)
                sa += this->Sign(1.0, i - j) * a(std::min(i, j));
        }
        iFault = n > 5000 ? 2 : 0;
        sa /= n1;
        sx /= n1;
        double ssa = 0.0, ssx = 0.0, sax = 0.0;
        for (std::int32_t i = 1, j = n; i <= n1; ++i, --j) {
            const double asa = i != j ? this->Sign(1.0, i - j) * a(std::min(i, j)) - sa : -sa;
            const double xsx = scaled(i) - sx;
            ssa += asa * asa;
            ssx += xsx * xsx;
            sax += asa * xsx;
        }
        const double ssassx = std::sqrt(ssa * ssx);
        w1 = (ssassx - sax) * (ssassx + sax) / (ssa * ssx);
    }
    SW = 1.0 - w1;

    if (n == 3) {
        // Exact for three values: 6/pi (asin(sqrt(W)) - pi/3). The smallest
        // W is 3/4, where the rounded constants give a little below 0: a
        // probability is not negative.
        ProbSW = std::max(0.0, 1.909859 * (this->Math_Asin(std::sqrt(SW)) - 1.047198));
        return;
    }

    // ln(1 - W) is close to normal with mean m and spread s (after a
    // further log transform below 12 values).
    double y = checkedLog(w1);
    const double xx = std::log(an);
    double mean, spread;
    if (n <= 11) {
        const double gamma = this->STAT_Poly(k.G, 2, an);
        if (y >= gamma) {
            ProbSW = Small;
            return;
        }
        y = -std::log(gamma - y);
        mean = this->STAT_Poly(k.C3, 4, an);
        spread = std::exp(this->STAT_Poly(k.C4, 4, an));
    } else {
        mean = this->STAT_Poly(k.C5, 4, xx);
        spread = std::exp(this->STAT_Poly(k.C6, 3, xx));
    }

    if (ncens > 0) {
        // Censoring by the proportion delta: mean and spread of the
        // normal equivalent deviate from its 90, 95 and 99 % points.
        const double ld = -std::log(delta);
        const double bf = 1.0 + xx * 0.8378;
        const double z90f = 1.2816 + bf * checkedPow(this->STAT_Poly(k.C7, 2, std::pow(0.556, xx)), ld);
        const double z95f = 1.6449 + bf * checkedPow(this->STAT_Poly(k.C8, 2, std::pow(0.622, xx)), ld);
        const double z99f = 2.3263 + bf * checkedPow(this->STAT_Poly(k.C9, 2, xx), ld);
        const double zfm = (z90f + z95f + z99f) / 3.0;
        const double zsd = (1.2816 * (z90f - zfm) + 1.6449 * (z95f - zfm) + 2.3263 * (z99f - zfm)) / 0.56268;
        const double zbar = zfm - zsd * 1.7509;
        mean += zbar * spread;
        spread *= zsd;
    }
    ProbSW = this->STAT_NormProb1((y - mean) / spread, true);
}

void Sumtrix::STATS(BoundedArray<double>& z, std::int32_t n, double& D, double& V, double& W2, double& U2,
                    double& a2, std::int16_t& iFault)
{
    requireCount(n);
    iFault = 4;
    const double dn = n;
    double dplus = 0.0, dminus = 0.0;
    for (std::int32_t i = 1; i <= n; ++i) {
        if (!(z(i) > 0.0 && z(i) < 1.0))
            return;
        dplus = std::max(dplus, i / dn - z(i));
        dminus = std::max(dminus, z(i) - (i - 1) / dn);
    }
    iFault = 0;
    D = std::max(dplus, dminus);
    V = dplus + dminus;

    double w2 = checkedDiv(1.0, 12.0 * dn);
    double zsum = 0.0;
    for (std::int32_t i = 1; i <= n; ++i) {
        const double d = z(i) - (2.0 * i - 1.0) / (2.0 * dn);
        w2 += d * d;
        zsum += z(i);
    }
    W2 = w2;
    const double zbar = zsum / dn;
    U2 = w2 - dn * (zbar - 0.5) * (zbar - 0.5);

    constexpr double Tiny = 1E-37;
    double sum = 0.0;
    for (std::int32_t i = 1; i <= n; ++i) {
        const std::int32_t j = n + 1 - i;
        if (z(i) < Tiny)
            z(i) = Tiny;
        const double upper = std::max(1.0 - z(j), Tiny);
        sum += (2.0 * i - 1.0) * std::log(z(i) * upper);
    }
    a2 = -sum / dn - dn;
}

double Sumtrix::PValue(double t, const BoundedArray<double>& CUT, const BoundedArray2<double>& COEF)
{
    std::int32_t j = 4;
    for (std::int32_t k = 1; k <= 3; ++k)
        if (t < CUT(k))
            --j;
    // The last row's exponent is a parabola that turns upward beyond its
    // vertex; there the tail probability is held at its smallest value
    // instead of growing again past 1.
    double tt = t;
    if (j == 4 && COEF(4, 3) > 0.0)
        tt = std::min(t, -COEF(4, 2) / (2.0 * COEF(4, 3)));
    const double p = checkedExp(COEF(j, 1) + tt * (COEF(j, 2) + tt * COEF(j, 3)));
    return j <= 2 ? 1.0 - p : p;
}

void Sumtrix::STAT_EDFGOF(const BoundedArray<double>& W, BoundedArray<double>& z, std::int32_t n, double& xbar,
                          double& S2, double& D, double& V, double& W2, double& W2P, double& U2, double& U2P,
                          double& a2, double& A2P, std::int16_t& iFault, std::int16_t iTest, bool Adjusted)
{
    iFault = 1;
    if (iTest < 1 || iTest > 3)
        return;
    iFault = 2;
    if (n < 2 || (n == 2 && iTest == 2))
        return;

    BoundedArray<double> w(0, n);
    bool ascending = true;
    for (std::int32_t i = 1; i <= n; ++i) {
        w(i) = W(i);
        if (i > 1 && w(i) < w(i - 1))
            ascending = false;
    }
    requireFiniteValues(w, 1, n);
    if (!ascending)
        this->Sort_Sort1(n, w);

    const double dn = n;
    const double rn = std::sqrt(dn);
    if (iTest == 1) {
        iFault = 0;
        this->STATS(w, n, D, V, W2, U2, a2, iFault);
        if (iFault == 0 && Adjusted) {
            D *= rn + 0.12 + 0.11 / rn;
            V *= rn + 0.155 + 0.24 / rn;
            W2 = (W2 - 0.4 / dn + 0.6 / (dn * dn)) * (1.0 + 1.0 / dn);
            U2 = (U2 - 0.1 / dn + 0.1 / (dn * dn)) * (1.0 + 0.8 / dn);
        }
        return;
    }

    const EdfTables& tables = edfTables();
    if (iTest == 2) {
        xbar = centredMean(w, n);
        iFault = 5;
        double ss = 0.0;
        for (std::int32_t i = 1; i <= n; ++i)
            ss = checkedAdd(ss, checkedMul(w(i) - xbar, w(i) - xbar));
        S2 = ss / (dn - 1.0);
        if (S2 <= 0.0)
            return;
        const double sd = std::sqrt(S2);
        for (std::int32_t i = 1; i <= n; ++i)
            z(i) = this->STAT_NormProb1((w(i) - xbar) / sd, false);
        this->STATS(z, n, D, V, W2, U2, a2, iFault);
        if (iFault != 0)
            return;
        if (Adjusted) {
            D *= rn - 0.01 + 0.85 / rn;
            V *= rn + 0.05 + 0.82 / rn;
            W2 *= 1.0 + 0.5 / dn;
            U2 *= 1.0 + 0.5 / dn;
            a2 *= 1.0 + 0.75 / dn + 2.25 / (dn * dn);
        }
        W2P = this->PValue(W2, tables.normalW2.CUT, tables.normalW2.COEF);
        U2P = this->PValue(U2, tables.normalU2.CUT, tables.normalU2.COEF);
        A2P = this->PValue(a2, tables.normalA2.CUT, tables.normalA2.COEF);
        return;
    }

    xbar = centredMean(w, n);
    iFault = 6;
    if (xbar <= 0.0)
        return;
    // 1 - exp(-x/xbar), formed without cancellation for small x.
    for (std::int32_t i = 1; i <= n; ++i)
        z(i) = -std::expm1(-w(i) / xbar);
    this->STATS(z, n, D, V, W2, U2, a2, iFault);
    if (iFault != 0)
        return;
    if (Adjusted) {
        D = (D - 0.2 / dn) * (rn + 0.26 + 0.5 / rn);
        V = (V - 0.2 / dn) * (rn + 0.24 + 0.35 / rn);
        W2 *= 1.0 + 0.16 / dn;
        U2 *= 1.0 + 0.16 / dn;
        a2 *= 1.0 + 0.6 / dn;
    }
    W2P = this->PValue(W2, tables.expW2.CUT, tables.expW2.COEF);
    U2P = this->PValue(U2, tables.expU2.CUT, tables.expU2.COEF);
    A2P = this->PValue(a2, tables.expA2.CUT, tables.expA2.COEF);
}

} // namespace SumtrixLib
