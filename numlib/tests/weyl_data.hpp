#pragma once
// Data that the oracle scripts generate too (tools/oracles/weyl_data.R and
// the Python scripts): only IEEE products, fmod, floor and sums, so R,
// Python and C++ produce the same doubles.
//   u_k(i) = fmod(alpha_k i, 1)
//   smooth: offset + scale ((u_1(i) + u_2(i)) + u_3(i))   a bell of three uniforms
//   ties:   floor(levels u_1(i))                           whole numbers 0..levels-1
// for i = first .. first + n - 1.

#include <cmath>
#include <cstdint>
#include <vector>

namespace SumtrixLib::test_support {

inline constexpr double WeylAlpha[3] = {0.7548776662466927, 0.5698402909980532, 0.6180339887498949};

inline double weyl(int k, std::int64_t i)
{
    return std::fmod(WeylAlpha[k] * static_cast<double>(i), 1.0);
}

inline std::vector<double> weylSmooth(std::int64_t n, double offset, double scale, std::int64_t first = 1)
{
    std::vector<double> v;
    v.reserve(static_cast<std::size_t>(n));
    for (std::int64_t i = first; i < first + n; ++i)
        v.push_back(offset + scale * ((weyl(0, i) + weyl(1, i)) + weyl(2, i)));
    return v;
}

inline std::vector<double> weylTies(std::int64_t n, double levels, std::int64_t first = 1)
{
    std::vector<double> v;
    v.reserve(static_cast<std::size_t>(n));
    for (std::int64_t i = first; i < first + n; ++i)
        v.push_back(std::floor(levels * weyl(0, i)));
    return v;
}

} // namespace SumtrixLib::test_support
