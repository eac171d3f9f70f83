#pragma once
// Means of data far from zero. A sum of n values of size M, formed one
// after the other, carries rounding up to about n u M (u the unit
// roundoff): values near 1e9 that spread by 0.1 lose, in a plain mean of a
// thousand of them, about a relative 1e-5 of their deviations from it. Two
// remedies, each identical to the plain formula in exact arithmetic:
// - accurateMean: the sum compensated for the rounding of each addition
//   (Neumaier), so that the mean is the data's own to its last bit or two
//   however many values it sums;
// - meanDifference: the difference of two means, whose leading digits
//   cancel when both are far from zero, as the difference of the rounded
//   means plus what the rounding left in each, both of the size of the
//   data's spread.
#include <cmath>
#include <cstdint>

#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib {

// Sum over i = 1..n of data(i) - about; n >= 1.
inline double deviationSum(const BoundedArray<double>& data, std::int32_t n, double about)
{
    double s = 0.0;
    for (std::int32_t i = 1; i <= n; ++i)
        s = checkedAdd(s, checkedSub(data(i), about));
    return s;
}

// The mean of data(1..n), n >= 1. The plain sum is checked as every sum of
// the library is (an overflow fails); the rounding of each of its
// additions is summed beside it and added at the end.
inline double accurateMean(const BoundedArray<double>& data, std::int32_t n)
{
    double sum = 0.0, correction = 0.0;
    for (std::int32_t i = 1; i <= n; ++i) {
        const double v = data(i);
        const double t = checkedAdd(sum, v);
        correction += std::fabs(sum) >= std::fabs(v) ? (sum - t) + v : (v - t) + sum;
        sum = t;
    }
    return (sum + correction) / n;
}

// mean(data1(1..n1)) - mean(data2(1..n2)) from the rounded means ave1 and
// ave2: their difference (exact when they are within a factor 2 of each
// other) plus the mean deviation of each sample from its rounded mean.
inline double meanDifference(const BoundedArray<double>& data1, std::int32_t n1, double ave1,
                             const BoundedArray<double>& data2, std::int32_t n2, double ave2)
{
    return (ave1 - ave2) + (deviationSum(data1, n1, ave1) / n1 - deviationSum(data2, n2, ave2) / n2);
}

} // namespace SumtrixLib
