// The sorts against std::sort, with the work counts checked against a naive
// inversion count and the worked examples.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using test_support::errorOf;

namespace {

// Seeded values with many ties (drawn from a few dozen levels).
std::vector<double> tiedValues(std::size_t n, unsigned seed)
{
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> level(-20, 20);
    std::vector<double> v(n);
    for (double& x : v)
        x = level(gen) * 0.25;
    return v;
}

BoundedArray<double> arrayFrom(const std::vector<double>& v, std::int32_t first)
{
    BoundedArray<double> a(first, first + static_cast<std::int32_t>(v.size()) - 1);
    for (std::size_t i = 0; i < v.size(); ++i)
        a(first + static_cast<std::int32_t>(i)) = v[i];
    return a;
}

// Pairs out of order, counted pair by pair.
std::int64_t inversions(const std::vector<double>& v)
{
    std::int64_t count = 0;
    for (std::size_t i = 0; i < v.size(); ++i)
        for (std::size_t j = i + 1; j < v.size(); ++j)
            if (v[i] > v[j])
                ++count;
    return count;
}

using NumberSort = std::function<void(Sumtrix&, BoundedArray<double>&, std::int32_t&, std::int32_t&)>;

struct NamedSort {
    const char* name;
    NumberSort sort;
};

const std::vector<NamedSort>& wholeArraySorts()
{
    static const std::vector<NamedSort> sorts = {
        {"Bubble", [](Sumtrix& s, BoundedArray<double>& m, std::int32_t& c, std::int32_t& t) { s.Sort_BubbleNumbers(m, c, t); }},
        {"Selection", [](Sumtrix& s, BoundedArray<double>& m, std::int32_t& c, std::int32_t& t) { s.Sort_SelectionNumbers(m, c, t); }},
        {"Shell", [](Sumtrix& s, BoundedArray<double>& m, std::int32_t& c, std::int32_t& t) { s.Sort_ShellNumbers(m, c, t); }},
        {"Quick", [](Sumtrix& s, BoundedArray<double>& m, std::int32_t& c, std::int32_t& t) {
             s.Sort_QuickNumbers(m, m.lbound(), m.ubound(), c, t);
         }},
    };
    return sorts;
}

} // namespace

TEST(ClassicSorts, MatchStdSortWhateverTheLowerBound)
{
    Sumtrix s;
    const std::int32_t lowers[] = {1, 0, -3, 5};
    const std::size_t sizes[] = {1, 2, 3, 10, 137, 600};
    for (const NamedSort& method : wholeArraySorts()) {
        for (std::int32_t lower : lowers) {
            for (std::size_t n : sizes) {
                SCOPED_TRACE(std::string(method.name) + " lower " + std::to_string(lower) + " n "
                             + std::to_string(n));
                const std::vector<double> values = tiedValues(n, static_cast<unsigned>(n * 31 + 7));
                std::vector<double> expected = values;
                std::sort(expected.begin(), expected.end());
                BoundedArray<double> m = arrayFrom(values, lower);
                std::int32_t count = -1;
                std::int32_t seconds = -1;
                method.sort(s, m, count, seconds);
                EXPECT_EQ(m, arrayFrom(expected, lower));
                EXPECT_GE(count, 0);
                // Whole seconds between two readings of the clock.
                EXPECT_TRUE(seconds == 0 || seconds == 1) << seconds;
            }
        }
    }
}

TEST(ClassicSorts, WorkCounts)
{
    Sumtrix s;
    // Bubble sort exchanges exactly the pairs that are out of order; so does
    // Shell sort while its only gap is 1 (up to 4 elements).
    for (std::size_t n : {2u, 4u, 50u, 300u}) {
        const std::vector<double> values = tiedValues(n, static_cast<unsigned>(n));
        BoundedArray<double> m = arrayFrom(values, 1);
        std::int32_t count = -1;
        s.Sort_BubbleNumbers(m, count);
        EXPECT_EQ(count, inversions(values)) << n;
    }
    for (const std::vector<double>& values : std::vector<std::vector<double>>{{4, 3, 2, 1}, {2, 1, 2, 1}, {1, 3, 2}}) {
        BoundedArray<double> m = arrayFrom(values, 0);
        std::int32_t count = -1;
        s.Sort_ShellNumbers(m, count);
        EXPECT_EQ(count, inversions(values));
    }

    struct Case {
        const char* what;
        std::vector<double> values;
        std::int32_t first, l, r;
        int method; // 0 selection, 1 quick on l..r, 2 bubble, 3 Shell
        std::int32_t expectedCount;
        std::vector<double> expected;
    };
    const Case cases[] = {
        // The running minimum changes twice on (3, 2, 1).
        {"selection 3 2 1", {3, 2, 1}, 1, 0, 0, 0, 2, {1, 2, 3}},
        {"selection sorted", {1, 2, 3, 4}, 1, 0, 0, 0, 0, {1, 2, 3, 4}},
        // Pivot at index round(2.5) = 2 (value 3); the first pass exchanges
        // (4, 1) and (3, 2); the nested calls report nothing.
        {"quick 4 3 2 1", {4, 3, 2, 1}, 1, 1, 4, 1, 2, {1, 2, 3, 4}},
        // One element: exchanged with itself.
        {"quick l = r", {5, 9, 1}, 1, 2, 2, 1, 1, {5, 9, 1}},
        // Only elements 2..4 are sorted.
        {"quick stretch", {9, 8, 7, 6, 5}, 1, 2, 4, 1, 2, {9, 6, 7, 8, 5}},
        {"bubble one element", {7}, 3, 0, 0, 2, 0, {7}},
        {"shell one element", {7}, 3, 0, 0, 3, 0, {7}},
        // Five elements: gap 4 moves the 5 past the 1 (one shift), then gap 1
        // shifts the three pairs left out of order in (1, 4, 3, 2, 5).
        {"shell 5 4 3 2 1", {5, 4, 3, 2, 1}, 1, 0, 0, 3, 4, {1, 2, 3, 4, 5}},
        {"selection one element", {7}, 3, 0, 0, 0, 0, {7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoundedArray<double> m = arrayFrom(c.values, c.first);
        std::int32_t count = -1;
        switch (c.method) {
        case 0: s.Sort_SelectionNumbers(m, count); break;
        case 1: s.Sort_QuickNumbers(m, c.l, c.r, count); break;
        case 2: s.Sort_BubbleNumbers(m, count); break;
        default: s.Sort_ShellNumbers(m, count); break;
        }
        EXPECT_EQ(count, c.expectedCount);
        EXPECT_EQ(m, arrayFrom(c.expected, c.first));
    }
}

TEST(ClassicSorts, TextsSortOrdinallyByUtf16CodeUnit)
{
    Sumtrix s;
    // Upper case before lower case, a prefix before the longer text, U+00E9
    // after "z", and a character beyond U+FFFF (a surrogate pair, D83D DE00)
    // before U+FF21.
    const std::vector<std::string> input = {"b", "B", "a", "ab", "", "\xC3\xA9", "z", "\xF0\x9F\x98\x80", "\xEF\xBC\xA1", "A"};
    const std::vector<std::string> expected = {"", "A", "B", "a", "ab", "b", "z", "\xC3\xA9", "\xF0\x9F\x98\x80", "\xEF\xBC\xA1"};
    using TextSort = std::function<void(BoundedArray<std::string>&, std::int32_t&)>;
    const std::pair<const char*, TextSort> sorts[] = {
        {"Bubble", [&](BoundedArray<std::string>& m, std::int32_t& c) { s.Sort_BubbleText(m, c); }},
        {"Selection", [&](BoundedArray<std::string>& m, std::int32_t& c) { s.Sort_SelectionText(m, c); }},
        {"Shell", [&](BoundedArray<std::string>& m, std::int32_t& c) { s.Sort_ShellText(m, c); }},
        {"Quick", [&](BoundedArray<std::string>& m, std::int32_t& c) { s.Sort_QuickText(m, 0, 9, c); }},
    };
    for (const auto& [name, sort] : sorts) {
        SCOPED_TRACE(name);
        BoundedArray<std::string> m(0, 9);
        for (std::int32_t i = 0; i <= 9; ++i)
            m(i) = input[static_cast<std::size_t>(i)];
        std::int32_t count = -1;
        sort(m, count);
        for (std::int32_t i = 0; i <= 9; ++i)
            EXPECT_EQ(m(i), expected[static_cast<std::size_t>(i)]) << i;
        EXPECT_GE(count, 0);
    }
}

TEST(ClassicSorts, QuickSortOfLongOrderedInput)
{
    Sumtrix s;
    const std::size_t n = 100000;
    std::vector<std::vector<double>> inputs(4, std::vector<double>(n));
    for (std::size_t i = 0; i < n; ++i) {
        inputs[0][i] = static_cast<double>(i);                 // ascending
        inputs[1][i] = static_cast<double>(n - i);             // descending
        inputs[2][i] = 1.0;                                    // all equal
        inputs[3][i] = static_cast<double>(i < n / 2 ? i : n - i); // organ pipe
    }
    for (const auto& values : inputs) {
        std::vector<double> expected = values;
        std::sort(expected.begin(), expected.end());
        BoundedArray<double> m = arrayFrom(values, 1);
        s.Sort_QuickNumbers(m, 1, static_cast<std::int32_t>(n));
        ASSERT_EQ(m.data(), expected);
    }
}

TEST(ClassicSorts, Failures)
{
    Sumtrix s;
    BoundedArray<double> unallocated;
    EXPECT_EQ(errorOf([&] { s.Sort_BubbleNumbers(unallocated); }), ErrSubscript);
    EXPECT_EQ(errorOf([&] { s.Sort_ShellNumbers(unallocated); }), ErrSubscript);
    BoundedArray<double> m(1, {3.0, 2.0, 1.0});
    EXPECT_EQ(errorOf([&] { s.Sort_QuickNumbers(m, 1, 4); }), ErrSubscript);
    BoundedArray<std::string> texts(1, {"b", "a"});
    EXPECT_EQ(errorOf([&] { s.Sort_QuickText(texts, 0, 2); }), ErrSubscript);
}

namespace {

struct CompanionCase {
    std::int32_t n;
    int shape; // 0 tied random, 1 ascending, 2 descending, 3 all equal
};

std::vector<double> keysFor(const CompanionCase& c)
{
    std::vector<double> keys = tiedValues(static_cast<std::size_t>(c.n), static_cast<unsigned>(c.n + 13));
    for (std::int32_t i = 0; i < c.n; ++i) {
        if (c.shape == 1)
            keys[static_cast<std::size_t>(i)] = i;
        else if (c.shape == 2)
            keys[static_cast<std::size_t>(i)] = c.n - i;
        else if (c.shape == 3)
            keys[static_cast<std::size_t>(i)] = 2.5;
    }
    return keys;
}

// Elements 1..n hold `values`, element 0 and one element past n a sentinel.
BoundedArray<double> withSentinels(const std::vector<double>& values, double sentinel)
{
    BoundedArray<double> a(0, static_cast<std::int32_t>(values.size()) + 1);
    a(0) = sentinel;
    a(a.ubound()) = sentinel;
    for (std::size_t i = 0; i < values.size(); ++i)
        a(static_cast<std::int32_t>(i) + 1) = values[i];
    return a;
}

} // namespace

// Sizes beyond 32,767 (and partitions whose l + ir passes it) must sort in
// full, keys and companions alike.
TEST(CompanionSorts, KeysSortAndRowsStayTogether)
{
    Sumtrix s;
    const CompanionCase cases[] = {
        {0, 0}, {1, 0}, {2, 0}, {7, 0}, {8, 0}, {50, 0}, {1000, 0}, {16388, 0},
        {40000, 1}, {40000, 2}, {40000, 3}, {100000, 0}, {100000, 2},
    };
    for (int method = 0; method < 4; ++method) {
        for (const CompanionCase& c : cases) {
            SCOPED_TRACE("method " + std::to_string(method) + " n " + std::to_string(c.n) + " shape "
                         + std::to_string(c.shape));
            const std::vector<double> keys = keysFor(c);
            std::vector<double> rows(keys.size());
            std::vector<double> extra(keys.size());
            for (std::size_t i = 0; i < keys.size(); ++i) {
                rows[i] = static_cast<double>(i);
                extra[i] = 1000.0 + 3.0 * static_cast<double>(i);
            }
            BoundedArray<double> arr = withSentinels(keys, -777.0);
            BoundedArray<double> brr = withSentinels(rows, -888.0);
            BoundedArray<double> idx = withSentinels(extra, -999.0);
            switch (method) {
            case 0: s.Sort_Sort1(c.n, arr); break;
            case 1: s.Sort_Sort2(c.n, arr, brr); break;
            case 2: s.Sort_Sort3(c.n, arr, brr, idx); break;
            default: s.Sort_HeapSort2(arr, brr, c.n); break;
            }
            std::vector<double> expected = keys;
            std::sort(expected.begin(), expected.end());
            std::vector<double> got(arr.data().begin() + 1, arr.data().end() - 1);
            ASSERT_EQ(got, expected);
            EXPECT_EQ(arr(0), -777.0);
            EXPECT_EQ(arr(c.n + 1), -777.0);
            EXPECT_EQ(brr(0), -888.0);
            EXPECT_EQ(brr(c.n + 1), -888.0);
            EXPECT_EQ(idx(0), -999.0);
            EXPECT_EQ(idx(c.n + 1), -999.0);
            if (method == 0)
                continue;
            // Each companion still belongs to its key's row, once each.
            std::vector<bool> seen(keys.size(), false);
            for (std::int32_t i = 1; i <= c.n; ++i) {
                const auto row = static_cast<std::size_t>(brr(i));
                ASSERT_LT(row, keys.size());
                ASSERT_FALSE(seen[row]);
                seen[row] = true;
                ASSERT_EQ(arr(i), keys[row]);
                if (method == 2) {
                    ASSERT_EQ(idx(i), extra[row]);
                }
            }
        }
    }
}

TEST(CompanionSorts, ShortStretchesAndSmallCases)
{
    Sumtrix s;
    // Up to 7 equal keys: straight insertion moves nothing.
    BoundedArray<double> arr(1, {4.0, 4.0, 4.0, 4.0, 4.0, 4.0, 4.0});
    BoundedArray<double> brr(1, {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0});
    s.Sort_Sort2(7, arr, brr);
    EXPECT_EQ(brr, BoundedArray<double>(1, {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0}));

    // Heapsort of two: the smaller key first, its companion with it.
    BoundedArray<double> a(1, {9.0, 3.0});
    BoundedArray<double> b(1, {90.0, 30.0});
    s.Sort_HeapSort2(a, b, 2);
    EXPECT_EQ(a, BoundedArray<double>(1, {3.0, 9.0}));
    EXPECT_EQ(b, BoundedArray<double>(1, {30.0, 90.0}));

    // Heapsort below two elements leaves everything alone.
    for (std::int32_t n : {1, 0, -1}) {
        BoundedArray<double> x(0, {5.0, 4.0, 3.0});
        BoundedArray<double> y(0, {50.0, 40.0, 30.0});
        s.Sort_HeapSort2(x, y, n);
        EXPECT_EQ(x, BoundedArray<double>(0, {5.0, 4.0, 3.0}));
        EXPECT_EQ(y, BoundedArray<double>(0, {50.0, 40.0, 30.0}));
    }
}

TEST(CompanionSorts, Failures)
{
    Sumtrix s;
    // A companion shorter than n fails with a subscript error.
    BoundedArray<double> arr = arrayFrom(tiedValues(40, 3), 1);
    BoundedArray<double> brr(1, 10);
    EXPECT_EQ(errorOf([&] { s.Sort_Sort2(40, arr, brr); }), ErrSubscript);
    // n beyond the key array.
    BoundedArray<double> keys(1, {2.0, 1.0});
    EXPECT_EQ(errorOf([&] { s.Sort_Sort1(3, keys); }), ErrSubscript);
    BoundedArray<double> b(1, {2.0, 1.0});
    EXPECT_EQ(errorOf([&] { s.Sort_HeapSort2(keys, b, 3); }), ErrSubscript);
}
