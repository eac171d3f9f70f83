#pragma once
// The fast path of a method that passes over errors statement by statement.
//
// Such a method (Reg_Slopes, STAT_ModelMeasures, ...) guards every
// statement: a statement whose checked arithmetic fails assigns nothing and
// the next one goes on. On data where nothing fails, that is the plain
// formula, and paying for a guard per statement buys nothing. So the method
// first runs the same statements, in the same order and with the same
// operations, through a FaultWatch: each checked operation gives its plain
// result and notes whether the checked one would have raised. When nothing
// was noted, no guard would have caught anything and the results are those
// of the guarded statements, bit for bit; the method stores them. When
// anything was noted, it stores nothing and runs the guarded statements
// instead.

#include <cmath>
#include <cstdint>

#include "SumtrixLib/BoundedArray.hpp"

namespace SumtrixLib {

class FaultWatch {
public:
    // Nothing that would have raised so far.
    bool clean() const { return m_clean; }

    // checkedResult, checkedAdd, ... of Runtime.hpp.
    double result(double v)
    {
        m_clean &= std::isfinite(v);
        return v;
    }
    double add(double a, double b) { return result(a + b); }
    double sub(double a, double b) { return result(a - b); }
    double mul(double a, double b) { return result(a * b); }
    double div(double a, double b)
    {
        m_clean &= b != 0.0;
        return result(a / b);
    }
    double sqrt(double x)
    {
        m_clean &= x >= 0.0;
        return std::sqrt(x);
    }
    // checkedMul(v, v).
    double sq(double v) { return mul(v, v); }

private:
    bool m_clean = true;
};

// Whether `a` holds every element first..last (so that no access in
// between can fail).
template <class T>
bool covers(const BoundedArray<T>& a, std::int32_t first, std::int32_t last)
{
    return a.allocated() && a.lbound() <= first && a.ubound() >= last;
}

} // namespace SumtrixLib
