#pragma once
// Checks of the data that the statistics read.

#include <cmath>
#include <cstdint>

#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib {

// Raises error 6, as the checked arithmetic does for a result that is not a
// finite number, when one of a(from..to) is infinite or NaN; an element
// outside the array's bounds raises error 9.
inline void requireFiniteValues(const BoundedArray<double>& a, std::int32_t from, std::int32_t to)
{
    for (std::int32_t i = from; i <= to; ++i)
        if (!std::isfinite(a(i)))
            raiseError(ErrOverflow);
}

// A count below 0 cannot dimension the work arrays 0..n: error 9.
inline void requireCount(std::int32_t n)
{
    if (n < 0)
        raiseError(ErrSubscript);
}

} // namespace SumtrixLib
