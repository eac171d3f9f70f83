#pragma once
// The numbers of the interval table, apart from their text.

#include <cstdint>

#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib {

// The line a + b x over x(1..n), y(1..n): the mean of x, the sums of
// squares about it, the mean squared residual on n - 2 degrees of freedom
// and the two-sided t quantile of the confidence level Prob (a percentage
// above 1 becomes Prob/100 in the caller's variable).
struct IntervalFit {
    double a = 0.0, b = 0.0;
    std::int32_t n = 0;
    double MeanX = 0.0, Sxx = 0.0, SSE = 0.0, MSE = 0.0, tq = 0.0;
};

IntervalFit fitIntervals(Sumtrix& s, double a, double b, std::int32_t n, const BoundedArray<double>& x,
                         const BoundedArray<double>& y, double& Prob);

// The confidence interval of the line at xi (standard error sc) and the
// prediction interval of a new observation there (standard error sp).
struct IntervalRow {
    double pred = 0.0, sc = 0.0, lowerCI = 0.0, upperCI = 0.0, sp = 0.0, lowerPI = 0.0, upperPI = 0.0;
};

IntervalRow intervalsAt(const IntervalFit& fit, double xi);

} // namespace SumtrixLib
