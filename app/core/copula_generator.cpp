#include "core/copula_generator.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "SumtrixLib/Runtime.hpp"

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

double CopulaGenerator::theta(std::int16_t kind, double R)
{
    if (!(R >= 0.0 && R < 1.0))
        SumtrixLib::raiseError(SumtrixLib::ErrInvalidCall, Source);
    const double tau = normalKendallTau(R);
    switch (kind) {
    case Frank:
        return frankTheta(tau);
    case Clayton:
        return claytonTheta(tau);
    default:
        SumtrixLib::raiseError(SumtrixLib::ErrInvalidCall, Source);
    }
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
