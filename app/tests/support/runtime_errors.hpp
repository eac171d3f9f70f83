#pragma once
// The number of the library run-time error that a step raises, 0 when it
// raises none.

#include <functional>

#include "SumtrixLib/Runtime.hpp"

inline int errorNumber(const std::function<void()>& step)
{
    try {
        step();
    } catch (const SumtrixLib::RuntimeError& e) {
        return e.number();
    }
    return 0;
}
