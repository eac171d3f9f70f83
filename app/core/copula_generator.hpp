#pragma once
// CopulaGenerator: uniform pairs linked by the Frank or the Clayton copula,
// for the random-data generator.
//
// GenerateCopula takes the uniform numbers U1 and U2 and fills V so that
// (U1(i), V(i)) follows the chosen copula: V(i) is the conditional
// quantile, at level U2(i), of the copula's second coordinate given the
// first is U1(i) (conditional inversion). Every V(i) lies strictly between
// 0 and 1.
//
// How the correlation R becomes the copula's parameter theta: the generator
// gives both coordinates normal margins (X and Y are normal quantiles of U1
// and V), and R is the Pearson correlation the pairs are to have under such
// margins, the copula's normal-scores correlation
//   rho_N(theta) = E[z(U) z(V)],  z the standard normal quantile,
// which rises from 0 at theta = 0 towards 1 as theta grows: every R in
// [0, 1) is met by one theta, found by root-finding on rho_N. rho_N has no
// closed form for either copula; it is a two-dimensional normal expectation
// over the conditional inversion below, computed by a product Gauss-Hermite
// rule. The copula sets the shape of the dependence (Clayton: strong in the
// lower tail; Frank: symmetric, no tail dependence).
//   Clayton: Kendall's tau = theta / (theta + 2).
//   Frank:   Kendall's tau = 1 - 4/theta + 4/theta^2 * Int_0^theta t/(e^t - 1) dt.

#include <cstdint>
#include <vector>

#include "SumtrixLib/Params.hpp"

class CopulaGenerator {
public:
    enum Kind : std::int16_t { Frank = 1, Clayton = 2 };

    // Fills V(0..N-1) from U1(0..N-1) and U2(0..N-1) (V grows to N elements
    // when shorter). R, the correlation, must lie in [0, 1); U1 and U2 hold
    // numbers strictly between 0 and 1. Anything else fails the call with
    // the run-time error "invalid procedure call" (number 5) and leaves V
    // as it was. Result is set to 0.
    void GenerateCopula(const std::vector<double>& U1, const std::vector<double>& U2,
                        std::vector<double>& V, std::int32_t N, double R, std::int16_t Kind,
                        SumtrixLib::InOut<double> Result = {});

    // Kendall's tau of a bivariate normal distribution with correlation r.
    static double normalKendallTau(double r);
    // Clayton's parameter for Kendall's tau in [0, 1).
    static double claytonTheta(double tau);
    // Kendall's tau of the Frank copula with parameter theta >= 0.
    static double frankTau(double theta);
    // Frank's parameter for Kendall's tau in [0, 1).
    static double frankTheta(double tau);
    // The copula's normal-scores correlation rho_N(theta) for theta >= 0.
    static double normalScoresCorrelation(std::int16_t kind, double theta);
    // The copula's parameter for a correlation R in [0, 1): rho_N(theta) = R.
    static double theta(std::int16_t kind, double R);

    // Conditional inversion: the v with P(V <= v | U = u) = w, for u and w
    // strictly between 0 and 1 and theta >= 0; the result is kept strictly
    // between 0 and 1.
    static double claytonConditionalInverse(double u, double w, double theta);
    static double frankConditionalInverse(double u, double w, double theta);
};

// The program's one CopulaGenerator, created on first use.
CopulaGenerator& copulaGenerator();
