// The studentized range distribution after AS 190 (Lund and Lund 1983):
// the probability by a truncated double quadrature (PRTRNG), the upper
// quantile by secant steps (QTRNG, AS 190.1) from a starting value
// (QTRNG0, AS 190.2).
#include <cmath>
#include <cstdint>

#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib {

namespace {

// e^x - 1 - x without the cancellation of its terms for small x (a series
// below |x| = 0.1): the log weight V (h j + 1/2 - e^(2 h j) / 2) of a node
// of the scale is V times this at 2 h j, and h = 0.45 / sqrt(V) is small
// for many degrees of freedom.
double expm1MinusX(double x)
{
    if (std::fabs(x) >= 0.1)
        return std::expm1(x) - x;
    double term = x * x / 2.0;
    double sum = term;
    for (int k = 3; k <= 12; ++k) {
        term *= x / k;
        sum += term;
    }
    return sum;
}

} // namespace

double Sumtrix::STAT_PRTRNG(double Q, double V, double r, double& iFault)
{
    // Truncation of the inner and outer sums, node spacing, the degrees of
    // freedom above which the infinite-df term alone is used, and the
    // constants of the density of the error's scale.
    //
    // AS 190 stops at 120 df and cuts its sums at 3E-5 and 1E-4, which
    // leaves its probabilities up to some 1E-4 low. Up to 120 df it is kept
    // as published. Above, the scale is integrated as well, with sums cut a
    // hundred times finer (within about 1E-6 of the exact probability from
    // 120 df on), up to 1E8 df: there the finite-df probability is within
    // 1E-6 of the infinite-df one (their difference falls as 1/V, some
    // 12 / V at 1,000 means).
    constexpr double ClassicVMax = 120.0;
    constexpr double VMAX = 1E8;
    const double PCUTJ = V <= ClassicVMax ? 3E-5 : 3E-7;
    const double PCUTK = V <= ClassicVMax ? 1E-4 : 1E-6;
    constexpr double STEP = 0.45;
    constexpr double CV1 = 0.193064705;
    constexpr double CV2 = 0.293525326;
    constexpr double CVMAX = 0.39894228;
    constexpr double CV[5] = {0.0, 0.318309886, -0.00268132716, 0.00347222222, 0.0833333333};
    constexpr std::int32_t JMIN = 3, JMAX = 15, KMIN = 7, KMAX = 15;

    double result = 0.0;
    iFault = 0.0;
    if (V < 1.0 || r < 2.0)
        iFault = 1.0;
    if (Q <= 0.0 || iFault == 1.0)
        return result;

    const double g = STEP * std::pow(r, -0.2);
    const double gmid = 0.5 * std::log(r);
    const double r1 = r - 1.0;
    double c = std::log(r * g * CVMAX);
    double h = 0.0;
    if (V <= VMAX) {
        h = STEP / std::sqrt(V);
        const double vh = V * 0.5;
        if (V == 1.0)
            c = CV1;
        else if (V == 2.0)
            c = CV2;
        else
            c = std::sqrt(vh) * CV[1] / (1.0 + ((CV[2] / vh + CV[3]) / vh + CV[4]) / vh);
        c = std::log(c * r * g * h);
    }

    // Nodes of the inner integral over the scale, cached per call: QW(jj)
    // the range they stand for, VW(jj) the log weight; jj = 1..15 for the
    // positive steps, 16..30 for the negative ones. A node is filled on its
    // first use; QW <= 0 marks the first one not yet filled.
    double QW[2 * JMAX + 2] = {};
    double VW[2 * JMAX + 2] = {};
    QW[1] = -1.0;
    QW[JMAX + 1] = -1.0;

    double gstep = g;
    double pk1 = 1.0, pk2 = 1.0;
    for (std::int32_t k = 1; k <= KMAX; ++k) {
        // Outer rows gmid, gmid + g, gmid - g, gmid + 2g, ...
        gstep -= g;
        do {
            gstep = -gstep;
            const double gk = gmid + gstep;
            double pk = 0.0;
            if (!(pk2 <= PCUTK && k > KMIN)) {
                const double w0 = c - gk * gk * 0.5;
                const double pz = this->STAT_NormProb1(gk, true);
                double x = this->STAT_NormProb1(gk - Q, true) - pz;
                if (x > 0.0)
                    pk = std::exp(w0 + r1 * std::log(x));
                if (V <= VMAX) {
                    for (std::int32_t jump = 0; jump <= JMAX; jump += JMAX) {
                        const double hs = jump == 0 ? h : -h;
                        for (std::int32_t j = 1; j <= JMAX; ++j) {
                            const std::int32_t jj = j + jump;
                            if (QW[jj] <= 0.0) {
                                const double hj = hs * j;
                                if (j < JMAX)
                                    QW[jj + 1] = -1.0;
                                QW[jj] = Q * std::exp(hj);
                                VW[jj] = -V * expm1MinusX(2.0 * hj) * 0.5;
                            }
                            double pj = 0.0;
                            x = this->STAT_NormProb1(gk - QW[jj], true) - pz;
                            if (x > 0.0)
                                pj = std::exp(w0 + VW[jj] + r1 * std::log(x));
                            pk += pj;
                            if (pj <= PCUTJ && (jj > JMIN || k > KMIN))
                                break;
                        }
                    }
                }
            }
            result += pk;
            if (k > KMIN && pk <= PCUTK && pk1 <= PCUTK)
                return result;
            pk2 = pk1;
            pk1 = pk;
        } while (gstep > 0.0);
    }
    return result;
}

double Sumtrix::STAT_QTRNG(double P, double V, double r, double& iFault)
{
    constexpr std::int32_t JMAX = 8;
    constexpr double PCUT = 0.001;
    constexpr double EPS = 0.0001;

    iFault = 0.0;
    double inner = 0.0;
    if (V < 1.0 || r < 2.0)
        iFault = 1.0;
    if (P < 0.9 || P > 0.99)
        iFault = 2.0;
    if (iFault != 0.0)
        return 0.0;

    double result = 0.0;
    const auto failed = [&] {
        if (inner == 0.0)
            return false;
        iFault = 9.0;
        return true;
    };
    double q1 = this->STAT_QTRNG0(P, V, r, inner);
    if (failed())
        return result;
    double p1 = this->STAT_PRTRNG(q1, V, r, inner);
    if (failed())
        return result;
    result = q1;
    if (std::fabs(p1 - P) < PCUT)
        return result;

    // A second starting point meant to fall on the other side of P, then
    // secant steps. p1 stays the probability of q1: the secant needs the
    // probabilities of the points it has.
    double p2 = 0.0;
    if (p1 > P)
        p2 = 1.75 * P - 0.75 * p1;
    else
        p2 = P + (P - p1) * (1.0 - P) / (1.0 - p1) * 0.75;
    if (p2 < 0.8)
        p2 = 0.8;
    if (p2 > 0.995)
        p2 = 0.995;
    double q2 = this->STAT_QTRNG0(p2, V, r, inner);
    if (failed())
        return result;
    for (std::int32_t j = 2; j <= JMAX; ++j) {
        p2 = this->STAT_PRTRNG(q2, V, r, inner);
        if (failed())
            return result;
        const double e1 = p1 - P;
        const double e2 = p2 - P;
        result = (q1 + q2) / 2.0;
        const double d = e2 - e1;
        if (std::fabs(d) > EPS)
            result = (e2 * q1 - e1 * q2) / d;
        if (std::fabs(e1) >= std::fabs(e2)) {
            q1 = q2;
            p1 = p2;
        }
        if (std::fabs(p1 - P) < PCUT * 5.0)
            return result;
        q2 = result;
    }
    return result;
}

double Sumtrix::STAT_QTRNG0(double P, double V, double r, double& iFault)
{
    double t = this->STAT_InvNorm(0.5 + 0.5 * P, iFault);
    if (V < 120.0)
        t += checkedDiv(checkedDiv(t * t * t + t, V), 4.0);
    double q = 0.8843 - 0.2368 * t;
    if (V < 120.0)
        q += checkedDiv(-1.214, V) + checkedDiv(1.208 * t, V);
    return t * (q * checkedLog(r - 1.0) + 1.4142);
}

} // namespace SumtrixLib
