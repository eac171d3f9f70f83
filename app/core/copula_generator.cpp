#include "core/copula_generator.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "SumtrixLib/Runtime.hpp"
#include "core/sumtrix_instance.hpp"

namespace {

const char* const Source = "CopulaGenerator";

// Below this parameter both copulas are treated as the independence copula
// (v = w). Their formulas divide by theta and lose all digits as theta goes
// to 0; at 1e-8 the dependence (tau = theta/9 for Frank, theta/(theta+2) for
// Clayton) is far below what any sample could show.
constexpr double IndependenceTheta = 1e-8;

// Largest double below 1 and smallest normal double above 0.
constexpr double BelowOne = 1.0 - 0x1p-53;
constexpr double AboveZero = std::numeric_limits<double>::min();

double strictlyInside(double v)
{
    return std::clamp(v, AboveZero, BelowOne);
}

// log(exp(a) + exp(b)) without overflow or underflow.
double logSumExp(double a, double b)
{
    const double hi = std::max(a, b);
    const double lo = std::min(a, b);
    return hi + std::log1p(std::exp(lo - hi));
}

// log(1 + exp(t)) without overflow.
double log1pExp(double t)
{
    return t > 0.0 ? t + std::log1p(std::exp(-t)) : std::log1p(std::exp(t));
}

bool isOpenUnit(double x)
{
    return x > 0.0 && x < 1.0;
}

// Bernoulli numbers B2, B4, ..., B22.
constexpr double Bernoulli[] = {
    1.0 / 6.0, -1.0 / 30.0, 1.0 / 42.0, -1.0 / 30.0, 5.0 / 66.0, -691.0 / 2730.0,
    7.0 / 6.0, -3617.0 / 510.0, 43867.0 / 798.0, -174611.0 / 330.0, 854513.0 / 138.0,
};

// A Gauss-Hermite rule for E[f(Z)], Z standard normal: nodes z, weights
// summing to 1, and Phi(z) kept strictly inside (0, 1).
struct NormalRule {
    std::vector<double> z;
    std::vector<double> weight;
    std::vector<double> p;
};

// 300 nodes: the normal-scores correlation of either copula then agrees
// with adaptive quadrature to about 1e-10 up to theta = 600 (the largest
// parameter the generator asks for is about 600, Frank at R = 0.999), where
// the dependence changes sharply in the tails and fewer nodes fall short
// (160 nodes: 3e-8).
constexpr int HermiteNodes = 300;

// The nodes are the eigenvalues of the Jacobi matrix of the Hermite
// polynomials He_k (zero diagonal, sqrt(k) beside it), found one by one by
// bisection on the Sturm count: the number of negative pivots of the
// matrix less x times the identity is the number of eigenvalues below x.
// A node's weight is 1 / sum_k P_k(z)^2 with P_k the orthonormal
// polynomials, P_0 = 1, P_1 = z, P_k+1 = (z P_k - sqrt(k) P_k-1)/sqrt(k+1)
// (the Christoffel numbers; the sum stays below 1e260 for 300 nodes).
const NormalRule& normalRule()
{
    static const NormalRule rule = [] {
        const int n = HermiteNodes;
        const auto below = [n](double x) {
            int count = 0;
            double pivot = -x;
            for (int k = 1;; ++k) {
                if (pivot == 0.0)
                    pivot = -1e-300;
                count += pivot < 0.0;
                if (k == n)
                    return count;
                pivot = -x - double(k) / pivot;
            }
        };
        // Every node lies within 2 sqrt(n) of 0.
        const double bound = 2.0 * std::sqrt(double(n));
        NormalRule r;
        for (int i = 0; i < n; ++i) {
            double lo = -bound;
            double hi = bound;
            for (;;) {
                const double mid = 0.5 * (lo + hi);
                if (mid <= lo || mid >= hi)
                    break;
                (below(mid) > i ? hi : lo) = mid;
            }
            const double z = 0.5 * (lo + hi);
            double previous = 0.0;
            double current = 1.0;
            double squares = 1.0;
            for (int k = 0; k + 1 < n; ++k) {
                const double next = (z * current - std::sqrt(double(k)) * previous) / std::sqrt(k + 1.0);
                previous = current;
                current = next;
                squares += current * current;
            }
            r.z.push_back(z);
            r.weight.push_back(1.0 / squares);
            r.p.push_back(strictlyInside(0.5 * std::erfc(-z / std::numbers::sqrt2)));
        }
        return r;
    }();
    return rule;
}

} // namespace

double CopulaGenerator::normalKendallTau(double r)
{
    return 2.0 / std::numbers::pi * std::asin(r);
}

double CopulaGenerator::claytonTheta(double tau)
{
    return 2.0 * tau / (1.0 - tau);
}

double CopulaGenerator::frankTau(double theta)
{
    if (theta <= 0.0)
        return 0.0;
    if (theta < 1.0) {
        // t/(e^t - 1) = sum B_n t^n / n!, integrated term by term; the
        // constant and linear terms cancel against 1 - 4/theta, leaving
        // tau = 4 sum_{k>=1} B_2k theta^(2k-1) / ((2k + 1) (2k)!),
        // free of cancellation. The series converges for theta < 2 pi; below
        // 1 the term of B_22 is under 3e-19.
        double sum = 0.0;
        double power = theta;       // theta^(2k-1)
        double factorial = 2.0;     // (2k)!
        for (int k = 1; k <= 11; ++k) {
            sum += Bernoulli[k - 1] * power / ((2 * k + 1) * factorial);
            power *= theta * theta;
            factorial *= (2.0 * k + 1.0) * (2.0 * k + 2.0);
        }
        return 4.0 * sum;
    }
    // Int_0^theta t/(e^t - 1) dt = pi^2/6 - Int_theta^inf t/(e^t - 1) dt, and
    // the upper tail is sum_{k>=1} e^(-k theta) (theta/k + 1/k^2), a series
    // with ratio at most e^-1 for theta >= 1.
    double tail = 0.0;
    for (int k = 1; k < 200; ++k) {
        const double term = std::exp(-k * theta) * (theta / k + 1.0 / (double(k) * k));
        tail += term;
        if (term < 1e-18)
            break;
    }
    const double integral = std::numbers::pi * std::numbers::pi / 6.0 - tail;
    return 1.0 - 4.0 / theta + 4.0 / (theta * theta) * integral;
}

double CopulaGenerator::frankTheta(double tau)
{
    if (tau <= 0.0)
        return 0.0;
    // tau rises from 0 to 1 as theta goes from 0 to infinity: widen the
    // bracket until it holds the root, then halve it until it stops
    // shrinking (about 60 steps).
    double lo = 0.0;
    double hi = 1.0;
    while (frankTau(hi) < tau) {
        lo = hi;
        hi *= 2.0;
        if (hi > 1e12)
            SumtrixLib::raiseError(SumtrixLib::ErrInvalidCall, Source);
    }
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (mid <= lo || mid >= hi)
            break;
        if (frankTau(mid) < tau)
            lo = mid;
        else
            hi = mid;
    }
    return 0.5 * (lo + hi);
}

double CopulaGenerator::normalScoresCorrelation(std::int16_t kind, double theta)
{
    if (!(theta >= 0.0) || (kind != Frank && kind != Clayton))
        SumtrixLib::raiseError(SumtrixLib::ErrInvalidCall, Source);
    if (theta < IndependenceTheta)
        return 0.0;
    // rho_N = E[z(U) z(V)] with U = Phi(S), V the conditional inverse at
    // W = Phi(T), and S, T independent standard normal: a smooth function
    // of (S, T) under a normal weight, summed over the product rule. Nodes
    // whose weight is below 1e-30 add nothing a double can hold.
    const NormalRule& rule = normalRule();
    SumtrixLib::Sumtrix& lib = sumtrix();
    double total = 0.0;
    for (std::size_t i = 0; i < rule.z.size(); ++i) {
        if (rule.weight[i] < 1e-30)
            continue;
        double inner = 0.0;
        for (std::size_t j = 0; j < rule.z.size(); ++j) {
            if (rule.weight[j] < 1e-30)
                continue;
            const double v = kind == Frank ? frankConditionalInverse(rule.p[i], rule.p[j], theta)
                                           : claytonConditionalInverse(rule.p[i], rule.p[j], theta);
            inner += rule.weight[j] * lib.STAT_Normal_CDF_INV(v);
        }
        total += rule.weight[i] * rule.z[i] * inner;
    }
    return total;
}

double CopulaGenerator::theta(std::int16_t kind, double R)
{
    if (!(R >= 0.0 && R < 1.0) || (kind != Frank && kind != Clayton))
        SumtrixLib::raiseError(SumtrixLib::ErrInvalidCall, Source);
    if (R == 0.0)
        return 0.0;
    // f(theta) = rho_N(theta) - R rises with theta. The parameter with the
    // Kendall's tau of a normal pair with correlation R is a close first
    // guess; the root is bracketed from there by doubling and found by
    // regula falsi in its Illinois form (the end that stays has its value
    // halved), which converges superlinearly on a smooth increasing f.
    const auto f = [kind, R](double theta) { return normalScoresCorrelation(kind, theta) - R; };
    const double tau = normalKendallTau(R);
    double lo = 0.0;
    double fLo = -R;
    double hi = kind == Frank ? frankTheta(tau) : claytonTheta(tau);
    double fHi = f(hi);
    while (fHi < 0.0) {
        lo = hi;
        fLo = fHi;
        hi *= 2.0;
        if (hi > 1e7)
            SumtrixLib::raiseError(SumtrixLib::ErrInvalidCall, Source);
        fHi = f(hi);
    }
    int kept = 0;                        // -1: lo stayed last time, 1: hi stayed
    double best = std::fabs(fLo) < std::fabs(fHi) ? lo : hi;
    for (int i = 0; i < 100 && hi - lo > 1e-14 * hi; ++i) {
        const double next = std::clamp((lo * fHi - hi * fLo) / (fHi - fLo), lo, hi);
        const double fNext = f(next);
        best = next;
        if (std::fabs(fNext) <= 1e-14)
            break;
        if (fNext < 0.0) {
            lo = next;
            fLo = fNext;
            if (kept == 1)
                fHi *= 0.5;
            kept = 1;
        } else {
            hi = next;
            fHi = fNext;
            if (kept == -1)
                fLo *= 0.5;
            kept = -1;
        }
    }
    return best;
}

double CopulaGenerator::claytonConditionalInverse(double u, double w, double theta)
{
    if (theta < IndependenceTheta)
        return w;
    // C(u, v) = (u^-theta + v^-theta - 1)^(-1/theta). Solving dC/du = w for v:
    //   v = (1 + (w^(-theta/(1+theta)) - 1) u^-theta)^(-1/theta).
    // Worked in logarithms: u^-theta overflows for small u and large theta.
    const double a = -theta / (1.0 + theta) * std::log(w);     // > 0
    const double t = std::log(std::expm1(a)) - theta * std::log(u);
    return strictlyInside(std::exp(-log1pExp(t) / theta));
}

double CopulaGenerator::frankConditionalInverse(double u, double w, double theta)
{
    if (theta < IndependenceTheta)
        return w;
    // C(u, v) = -1/theta log(1 + (e^-theta u - 1)(e^-theta v - 1)/(e^-theta - 1)).
    // Solving dC/du = w for v:
    //   e^-theta v = (w e^-theta + (1 - w) e^-theta u) / (w + (1 - w) e^-theta u),
    // so v = (D - N)/theta with N and D the logarithms of numerator and
    // denominator, each a log-sum-exp: no cancellation in 1 + (e^-theta v - 1)
    // when v is near 1.
    const double logW = std::log(w);
    const double logRest = std::log1p(-w) - theta * u;
    const double numerator = logSumExp(logW - theta, logRest);
    const double denominator = logSumExp(logW, logRest);
    return strictlyInside((denominator - numerator) / theta);
}

void CopulaGenerator::GenerateCopula(const std::vector<double>& U1, const std::vector<double>& U2,
                                     std::vector<double>& V, std::int32_t N, double R,
                                     std::int16_t Kind, SumtrixLib::InOut<double> Result)
{
    Result = 0.0;
    if (N < 0 || U1.size() < std::size_t(N) || U2.size() < std::size_t(N))
        SumtrixLib::raiseError(SumtrixLib::ErrInvalidCall, Source);
    for (std::int32_t i = 0; i < N; ++i)
        if (!isOpenUnit(U1[i]) || !isOpenUnit(U2[i]))
            SumtrixLib::raiseError(SumtrixLib::ErrInvalidCall, Source);
    const double th = theta(Kind, R);
    if (V.size() < std::size_t(N))
        V.resize(N);
    for (std::int32_t i = 0; i < N; ++i)
        V[i] = Kind == Frank ? frankConditionalInverse(U1[i], U2[i], th)
                             : claytonConditionalInverse(U1[i], U2[i], th);
}

CopulaGenerator& copulaGenerator()
{
    static CopulaGenerator generator;
    return generator;
}
