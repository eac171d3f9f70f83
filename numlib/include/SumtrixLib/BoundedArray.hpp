#pragma once
// Arrays addressed by absolute index between a lower and an upper bound,
// for the methods that read their sizes from an array's bounds or resize an
// array they receive. An index outside the bounds raises error 9.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <new>
#include <stdexcept>
#include <vector>

#include "SumtrixLib/Runtime.hpp"

namespace SumtrixLib {

// Runs an allocation; running out of memory raises error 7.
template <class Allocate>
void withMemory(Allocate&& allocate)
{
    try {
        allocate();
    } catch (const std::bad_alloc&) {
        raiseError(ErrOutOfMemory);
    } catch (const std::length_error&) {
        raiseError(ErrOutOfMemory);
    }
}

template <class T>
class BoundedArray {
public:
    // An unallocated array: no elements, every access raises error 9.
    BoundedArray() = default;
    BoundedArray(std::int32_t lower, std::int32_t upper) { redim(lower, upper); }
    // Elements lower, lower+1, ... taken from the list.
    BoundedArray(std::int32_t lower, std::initializer_list<T> values)
        : m_lower(lower), m_data(values), m_allocated(true) {}
    // Elements lower, lower+1, ... taken over from `values` without a copy.
    BoundedArray(std::int32_t lower, std::vector<T>&& values)
        : m_lower(lower), m_data(std::move(values)), m_allocated(true) {}

    bool allocated() const { return m_allocated; }
    std::int32_t lbound() const { checkAllocated(); return m_lower; }
    std::int32_t ubound() const
    {
        checkAllocated();
        return static_cast<std::int32_t>(m_lower + static_cast<std::int64_t>(m_data.size()) - 1);
    }
    std::size_t size() const { return m_data.size(); }

    T& operator()(std::int32_t i) { return m_data[offset(i)]; }
    const T& operator()(std::int32_t i) const { return m_data[offset(i)]; }
    T& operator[](std::int32_t i) { return m_data[offset(i)]; }
    const T& operator[](std::int32_t i) const { return m_data[offset(i)]; }

    // Dimensions anew: every element becomes T(). An array that cannot be
    // had raises error 7 and stays as it was.
    void redim(std::int32_t lower, std::int32_t upper)
    {
        const std::size_t n = elementCount(lower, upper);
        std::vector<T> fresh;
        withMemory([&] { fresh.assign(n, T()); });
        m_data = std::move(fresh);
        m_lower = lower;
        m_allocated = true;
    }
    // Changes the upper bound keeping the elements that remain.
    void redimPreserve(std::int32_t upper)
    {
        if (!m_allocated) {
            redim(0, upper);
            return;
        }
        const std::size_t n = elementCount(m_lower, upper);
        withMemory([&] { m_data.resize(n, T()); });
    }
    // Raises error 9 unless every index first..last is an element (nothing
    // to check when last < first).
    void requireRange(std::int32_t first, std::int32_t last) const
    {
        if (last < first)
            return;
        if (!m_allocated || first < m_lower
            || static_cast<std::int64_t>(last) - m_lower >= static_cast<std::int64_t>(m_data.size()))
            raiseError(ErrSubscript);
    }
    void erase()
    {
        m_data.clear();
        m_allocated = false;
        m_lower = 0;
    }

    std::vector<T>& data() { return m_data; }
    const std::vector<T>& data() const { return m_data; }
    // The elements from the lower bound up, for loops and algorithms.
    auto begin() { return m_data.begin(); }
    auto end() { return m_data.end(); }
    auto begin() const { return m_data.begin(); }
    auto end() const { return m_data.end(); }

    bool operator==(const BoundedArray& o) const
    {
        return m_allocated == o.m_allocated && m_lower == o.m_lower && m_data == o.m_data;
    }

private:
    // Elements lower..upper: error 9 when upper < lower - 1, error 6 when
    // there are more than a 32-bit count can hold (the bounds would no
    // longer describe the array).
    static std::size_t elementCount(std::int32_t lower, std::int32_t upper)
    {
        const std::int64_t n = static_cast<std::int64_t>(upper) - lower + 1;
        if (n < 0)
            raiseError(ErrSubscript);
        if (n > INT32_MAX)
            raiseError(ErrOverflow);
        return static_cast<std::size_t>(n);
    }
    void checkAllocated() const
    {
        if (!m_allocated)
            raiseError(ErrSubscript);
    }
    std::size_t offset(std::int32_t i) const
    {
        checkAllocated();
        const std::int64_t k = static_cast<std::int64_t>(i) - m_lower;
        if (k < 0 || k >= static_cast<std::int64_t>(m_data.size()))
            raiseError(ErrSubscript);
        return static_cast<std::size_t>(k);
    }

    std::int32_t m_lower = 0;
    std::vector<T> m_data;
    bool m_allocated = false;
};

// Two-dimensional array with bounds on each dimension.
template <class T>
class BoundedArray2 {
public:
    BoundedArray2() = default;
    BoundedArray2(std::int32_t lower1, std::int32_t upper1, std::int32_t lower2, std::int32_t upper2)
    {
        redim(lower1, upper1, lower2, upper2);
    }

    bool allocated() const { return m_allocated; }
    std::int32_t lbound(int dim) const { check(); return dim == 1 ? m_l1 : m_l2; }
    std::int32_t ubound(int dim) const { check(); return dim == 1 ? m_u1 : m_u2; }

    T& operator()(std::int32_t i, std::int32_t j) { return m_data[offset(i, j)]; }
    const T& operator()(std::int32_t i, std::int32_t j) const { return m_data[offset(i, j)]; }

    void redim(std::int32_t lower1, std::int32_t upper1, std::int32_t lower2, std::int32_t upper2)
    {
        const std::int64_t rowCount = static_cast<std::int64_t>(upper1) - lower1 + 1;
        const std::int64_t colCount = static_cast<std::int64_t>(upper2) - lower2 + 1;
        if (rowCount < 0 || colCount < 0)
            raiseError(ErrSubscript);
        if (rowCount > INT32_MAX || colCount > INT32_MAX)
            raiseError(ErrOverflow);
        std::vector<T> fresh;
        withMemory([&] {
            fresh.assign(static_cast<std::size_t>(rowCount) * static_cast<std::size_t>(colCount), T());
        });
        m_data = std::move(fresh);
        m_l1 = lower1;
        m_u1 = upper1;
        m_l2 = lower2;
        m_u2 = upper2;
        m_allocated = true;
    }
    // Changes the last dimension's upper bound keeping the elements that remain.
    void redimPreserve(std::int32_t upper2)
    {
        check();
        BoundedArray2 copy(m_l1, m_u1, m_l2, upper2);
        for (std::int32_t i = m_l1; i <= m_u1; ++i)
            for (std::int32_t j = m_l2; j <= std::min(m_u2, upper2); ++j)
                copy(i, j) = (*this)(i, j);
        *this = std::move(copy);
    }

    bool operator==(const BoundedArray2& o) const
    {
        return m_allocated == o.m_allocated && m_l1 == o.m_l1 && m_u1 == o.m_u1 && m_l2 == o.m_l2
               && m_u2 == o.m_u2 && m_data == o.m_data;
    }

private:
    std::int32_t rows() const { return m_u1 - m_l1 + 1; }
    std::int32_t cols() const { return m_u2 - m_l2 + 1; }
    void check() const
    {
        if (!m_allocated)
            raiseError(ErrSubscript);
    }
    std::size_t offset(std::int32_t i, std::int32_t j) const
    {
        check();
        if (i < m_l1 || i > m_u1 || j < m_l2 || j > m_u2)
            raiseError(ErrSubscript);
        return static_cast<std::size_t>(i - m_l1) * static_cast<std::size_t>(cols())
               + static_cast<std::size_t>(j - m_l2);
    }

    std::int32_t m_l1 = 0, m_u1 = -1, m_l2 = 0, m_u2 = -1;
    std::vector<T> m_data;
    bool m_allocated = false;
};

} // namespace SumtrixLib
