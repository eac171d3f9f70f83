#pragma once
// Pieces of the texts that the trapping methods write into Msg and reports.

#include <cstdint>
#include <string>

#include "SumtrixLib/Runtime.hpp"

namespace SumtrixLib {

// A whole number in decimal with a leading blank in place of a plus sign
// (a minus sign when negative), as the library's messages print numbers.
inline std::string signedNumberText(std::int64_t v)
{
    std::string text = std::to_string(v);
    if (v >= 0)
        text.insert(text.begin(), ' ');
    return text;
}

// The Msg of an interpolation whose error trap fired; `family` names it
// ("InterpolateLagrange", "InterpolateCubicSpline", ...).
inline std::string interpolationErrorText(const char* family, const RuntimeError& e)
{
    return std::string(family) + " function encountered an error. Code: " + signedNumberText(e.number())
           + ". Description: " + e.description() + ".";
}

} // namespace SumtrixLib
