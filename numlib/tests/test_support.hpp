#pragma once
// Small helpers shared by the library's tests.

#include <cstdint>
#include <functional>
#include <vector>

#include <sys/resource.h>

#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib::test_support {

// The values in elements 1..n of an array 0..n (element 0 unused).
inline BoundedArray<double> base1(const std::vector<double>& v)
{
    BoundedArray<double> a(0, static_cast<std::int32_t>(v.size()));
    for (std::size_t i = 0; i < v.size(); ++i)
        a(static_cast<std::int32_t>(i) + 1) = v[i];
    return a;
}

// The values in elements 0..n-1.
inline BoundedArray<double> base0(const std::vector<double>& v)
{
    BoundedArray<double> a(0, static_cast<std::int32_t>(v.size()) - 1);
    for (std::size_t i = 0; i < v.size(); ++i)
        a(static_cast<std::int32_t>(i)) = v[i];
    return a;
}

// The number of the run-time error that `f` raises; 0 when it raises none.
inline int errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

// The process's peak resident size so far, in kilobytes: a call that
// refuses a count far beyond its data before sizing anything leaves it
// where it was.
inline long peakResidentKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace SumtrixLib::test_support
