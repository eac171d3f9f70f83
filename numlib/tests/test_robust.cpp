// Robust scale estimators Qn and Sn and their helpers.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"
#include "weyl_data.hpp"

using namespace SumtrixLib;
using namespace SumtrixLib::test_support;

namespace {
#include "reference/robust_scale_cases.inc"

// The library forms dn 2.2219 times an order statistic of the differences,
// which are the same doubles in R: they agree up to the rounding of the two
// products.
constexpr double kRel = 1e-14;

double qnFactor(std::int32_t n)
{
    const double table[] = {0.399, 0.994, 0.512, 0.844, 0.611, 0.857, 0.669};
    if (n < 2)
        return 0;
    if (n < 9)
        return table[n - 2];
    return n % 2 ? n / (n + 1.4) : n / (n + 3.8);
}

double snFactor(std::int32_t n)
{
    const double table[] = {0.743, 1.851, 0.954, 1.351, 0.993, 1.198, 1.005, 1.131};
    if (n < 2)
        return 1;
    if (n <= 9)
        return table[n - 2];
    return n % 2 ? n / (n - 0.9) : 1.0;
}

// The definitions, by brute force over all pairs.
double naiveQnOrderStatistic(const std::vector<double>& x)
{
    const std::size_t n = x.size();
    std::vector<double> d;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            d.push_back(std::fabs(x[i] - x[j]));
    const std::size_t h = n / 2 + 1;
    const std::size_t k = h * (h - 1) / 2;
    if (k == 0)
        return 0;
    std::nth_element(d.begin(), d.begin() + static_cast<long>(k - 1), d.end());
    return d[k - 1];
}

double naiveSnOrderStatistic(const std::vector<double>& x)
{
    const std::size_t n = x.size();
    std::vector<double> outer;
    for (std::size_t i = 0; i < n; ++i) {
        std::vector<double> d;
        for (std::size_t j = 0; j < n; ++j)
            d.push_back(std::fabs(x[i] - x[j]));
        std::nth_element(d.begin(), d.begin() + static_cast<long>(n / 2), d.end());
        outer.push_back(d[n / 2]); // high median: the (n\2 + 1)-th smallest
    }
    const std::size_t k = (n + 1) / 2; // low median
    std::nth_element(outer.begin(), outer.begin() + static_cast<long>(k - 1), outer.end());
    return outer[k - 1];
}

// Heavily tied data: whole numbers 0..9 from a small linear congruential
// generator.
std::vector<double> tiedData(std::size_t n, std::uint32_t seed)
{
    std::vector<double> v;
    for (std::size_t i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        v.push_back(static_cast<double>((seed >> 16) % 10));
    }
    return v;
}

} // namespace

TEST(RobustScale, WorkedExamples)
{
    Sumtrix s;
    std::vector<double> to9, to10;
    for (int i = 1; i <= 10; ++i) {
        to10.push_back(i);
        if (i <= 9)
            to9.push_back(i);
    }
    struct Case {
        std::vector<double> x;
        double qn, sn;
    };
    const Case cases[] = {
        {{1, 2, 3, 4, 5}, 0.844 * 2.2219, 1.351 * 1.1926},
        {to9, 9 / 10.4 * 2.2219 * 2, 1.131 * 1.1926 * 2},
        {to10, 10 / 13.8 * 2.2219 * 2, 1.1926 * 3},
        {{42}, 0, 0},
        {{0, 1}, 0.399 * 2.2219, 0.743 * 1.1926},
    };
    for (const Case& c : cases) {
        const auto n = static_cast<std::int32_t>(c.x.size());
        const auto x = base1(c.x);
        EXPECT_NEAR(s.Robust_Qn(x, n), c.qn, 1e-15 * c.qn) << n;
        EXPECT_NEAR(s.Robust_Sn(x, n), c.sn, 1e-15 * c.sn) << n;
        EXPECT_EQ(x, base1(c.x)) << "the input is left unchanged";
    }
}

TEST(RobustScale, MatchesRobustbase)
{
    Sumtrix s;
    for (const RobustCase& c : kRobustCases) {
        const auto n = static_cast<std::int32_t>(c.x.size());
        EXPECT_NEAR(s.Robust_Qn(base1(c.x), n), c.qn, kRel * c.qn) << c.name;
        EXPECT_NEAR(s.Robust_Sn(base1(c.x), n), c.sn, kRel * c.sn) << c.name;
    }
    // Up to 100,000 values; above 46,340 the counts of Qn's search pass 2^31.
    for (const RobustGeneratedCase& c : kRobustGenerated) {
        const std::vector<double> v = c.ties ? weylTies(c.n, c.scale) : weylSmooth(c.n, c.offset, c.scale);
        const auto x = base1(v);
        EXPECT_NEAR(s.Robust_Qn(x, c.n), c.qn, kRel * c.qn) << c.name;
        EXPECT_NEAR(s.Robust_Sn(x, c.n), c.sn, kRel * c.sn) << c.name;
    }
}

// The search of Qn and the binary searches of Sn against the definitions,
// on heavily tied data of every size up to 400: the same order statistic,
// exactly.
TEST(RobustScale, AgreeWithBruteForceOnTiedData)
{
    Sumtrix s;
    for (std::int32_t n = 1; n <= 400; ++n) {
        const std::vector<double> v = tiedData(static_cast<std::size_t>(n), 7u * static_cast<std::uint32_t>(n));
        const auto x = base1(v);
        ASSERT_EQ(s.Robust_Qn(x, n), qnFactor(n) * 2.2219 * naiveQnOrderStatistic(v)) << n;
        ASSERT_EQ(s.Robust_Sn(x, n), snFactor(n) * 1.1926 * naiveSnOrderStatistic(v)) << n;
    }
}

TEST(RobustHelpers, SortPullAndWeightedMedian)
{
    Sumtrix s;
    // sort and pull on tied and untied data of several sizes
    for (std::size_t n : {1u, 2u, 7u, 100u, 1001u}) {
        std::vector<double> v = tiedData(n, 99u);
        for (std::size_t i = 0; i < n; i += 3)
            v[i] += 0.25 * static_cast<double>(i); // some distinct values too
        const auto a = base1(v);
        const auto m = static_cast<std::int32_t>(n);
        BoundedArray<double> b(0, m);
        s.Robust_sort(a, m, b);
        std::vector<double> sorted = v;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(b, base1(sorted)) << n;
        for (std::int32_t k : {1, (m + 1) / 2, m})
            EXPECT_EQ(s.Robust_Pull(a, m, k), sorted[static_cast<std::size_t>(k - 1)]) << n << " k " << k;
        EXPECT_EQ(a, base1(v)) << "Pull works on a copy";
    }

    struct Case {
        std::vector<double> a;
        std::vector<std::int32_t> w;
        double himed;
    };
    const Case cases[] = {
        {{1, 2, 3}, {1, 1, 1}, 2},
        {{1, 2, 3}, {1, 1, 5}, 3},
        {{1, 2, 3, 4}, {1, 1, 1, 1}, 3},      // high median of an even count
        {{5, 1, 4, 2, 3}, {1, 10, 1, 1, 1}, 1},
        {{2, 2, 1, 3, 3}, {1, 1, 2, 1, 1}, 2},
    };
    for (const Case& c : cases) {
        auto a = base1(c.a);
        BoundedArray<std::int32_t> w(0, static_cast<std::int32_t>(c.w.size()));
        for (std::size_t i = 0; i < c.w.size(); ++i)
            w(static_cast<std::int32_t>(i) + 1) = c.w[i];
        EXPECT_EQ(s.Robust_Whimed(a, w, static_cast<std::int32_t>(c.a.size())), c.himed);
    }
    // Weights 1, 1, 5: the trial 2 leaves the candidate 3 in front.
    auto a = base1({1, 2, 3});
    BoundedArray<std::int32_t> w(0, 3);
    w(1) = 1, w(2) = 1, w(3) = 5;
    s.Robust_Whimed(a, w, 3);
    EXPECT_EQ(a(1), 3);
    EXPECT_EQ(w(1), 5);
}

TEST(RobustScale, BadInput)
{
    Sumtrix s;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const auto five = base1({1, 2, 3, 4, 5});
    struct Case {
        const char* what;
        std::function<void()> call;
        int error;
    };
    BoundedArray<double> out(0, 5);
    const Case cases[] = {
        {"Qn n = 0", [&] { s.Robust_Qn(five, 0); }, ErrSubscript},
        {"Sn n = 0", [&] { s.Robust_Sn(five, 0); }, ErrSubscript},
        {"Qn n above the array", [&] { s.Robust_Qn(five, 6); }, ErrSubscript},
        {"Sn n above the array", [&] { s.Robust_Sn(five, 6); }, ErrSubscript},
        {"Qn n negative", [&] { s.Robust_Qn(five, -3); }, ErrSubscript},
        {"Qn NaN", [&] { s.Robust_Qn(base1({1, nan, 3}), 3); }, ErrOverflow},
        {"Sn infinite", [&] { s.Robust_Sn(base1({1, inf, 3}), 3); }, ErrOverflow},
        {"Qn difference beyond the doubles", [&] { s.Robust_Qn(base1({-1e308, 1e308}), 2); }, ErrOverflow},
        {"sort n above the array", [&] { s.Robust_sort(five, 6, out); }, ErrSubscript},
        {"Pull k above n", [&] { s.Robust_Pull(five, 5, 6); }, ErrSubscript},
        {"Pull k = 0", [&] { s.Robust_Pull(base1({-1, -2}), 2, 0); }, ErrSubscript},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorOf(c.call), c.error) << c.what;
    // Constant data have no spread.
    const auto same = base1({4, 4, 4, 4, 4, 4, 4});
    EXPECT_EQ(s.Robust_Qn(same, 7), 0);
    EXPECT_EQ(s.Robust_Sn(same, 7), 0);
}
