#pragma once
// Parameter passing of the library's methods.
//
// A parameter that a method writes back is taken by reference, so the
// caller's variable changes. Optional written parameters (and a few that
// callers mostly fill with an expression) are taken as InOut<T>: given a
// variable, InOut writes through to it; given a value or nothing at all, it
// works on a private copy, and what the method writes there is lost, as for
// an omitted optional argument. An omitted optional argument reads as the
// zero value of its type (0, false or the empty string).

#include <utility>

namespace SumtrixLib {

template <class T>
class InOut {
public:
    InOut() : m_local(), m_ptr(&m_local) {}
    InOut(T& ref) : m_local(), m_ptr(&ref) {}                 // NOLINT: implicit by design
    InOut(T&& value) : m_local(std::move(value)), m_ptr(&m_local) {} // NOLINT
    InOut(const InOut&) = delete;
    InOut& operator=(const InOut&) = delete;

    T& get() { return *m_ptr; }
    const T& get() const { return *m_ptr; }
    operator T&() { return *m_ptr; }                          // NOLINT
    InOut& operator=(const T& v) { *m_ptr = v; return *this; }
    bool boundToCaller() const { return m_ptr != &m_local; }

private:
    T m_local;
    T* m_ptr;
};

} // namespace SumtrixLib
