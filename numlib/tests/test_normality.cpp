// Normality tests: Shapiro-Wilk, the EDF statistics and their significance.
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
#include "reference/normality_cases.inc"
#include "reference/normality_edf_cases.inc"

struct SwResult {
    double W = 0, p = 0;
    std::int32_t fault = -1;
    bool init = false;
};

// The test as the program calls it: n2 = n, coefficients computed.
SwResult shapiro(Sumtrix& s, const std::vector<double>& v, std::int32_t n1 = -1, std::int32_t n2 = -1)
{
    const auto n = static_cast<std::int32_t>(v.size());
    SwResult r;
    BoundedArray<double> a(0, n);
    s.STAT_ShapiroWilk(r.init, base1(v), n, n1 < 0 ? n : n1, n2 < 0 ? n : n2, a, r.W, r.p, r.fault);
    return r;
}

struct EdfResult {
    double xbar = -7, S2 = -7, D = -7, V = -7, W2 = -7, W2P = -7, U2 = -7, U2P = -7, A2 = -7, A2P = -7;
    std::int16_t fault = -1;
    BoundedArray<double> z;
};

EdfResult edfgof(Sumtrix& s, const std::vector<double>& v, std::int16_t test, bool adjusted)
{
    const auto n = static_cast<std::int32_t>(v.size());
    EdfResult r;
    r.z = BoundedArray<double>(0, n);
    s.STAT_EDFGOF(base1(v), r.z, n, r.xbar, r.S2, r.D, r.V, r.W2, r.W2P, r.U2, r.U2P, r.A2, r.A2P, r.fault, test,
                  adjusted);
    return r;
}

} // namespace

// R's swilk is the same algorithm with exact normal quantiles where the
// library uses AS 111; after normalisation the coefficients agree to about
// 1e-9, and so does W (R's own W of the data at 1e9 is the furthest off, at
// 2e-9: it scales the values without taking them from the smallest first).
// The significance: 5e-6 relative, from the rounded 6/pi and pi/3 of the
// exact form at n = 3 and from W's error where p is steep in W (W near 1
// at 5000 values).
TEST(ShapiroWilk, MatchesShapiroTest)
{
    Sumtrix s;
    const auto check = [](const char* name, const SwResult& r, double W, double p, std::int32_t n) {
        EXPECT_EQ(r.fault, n > 5000 ? 2 : 0) << name;
        EXPECT_TRUE(r.init) << name;
        EXPECT_NEAR(r.W, W, 5e-9) << name;
        EXPECT_NEAR(r.p, p, 5e-6 * p) << name;
    };
    for (const ShapiroCase& c : kShapiroCases)
        check(c.name, shapiro(s, c.x), c.W, c.p, static_cast<std::int32_t>(c.x.size()));
    for (const ShapiroGeneratedCase& c : kShapiroGenerated)
        check(c.name, shapiro(s, c.ties ? weylTies(c.n, c.scale) : weylSmooth(c.n, c.offset, c.scale)), c.W, c.p,
              c.n);
}

// The coefficients fill a(1..n\2) whatever room n2 offers: n2 = n, as the
// program passes it, and n2 = n\2 give the same coefficients and W.
TEST(ShapiroWilk, CoefficientsUpToHalfOfN)
{
    Sumtrix s;
    for (std::int32_t n : {4, 7, 20}) {
        std::vector<double> v;
        for (std::int32_t i = 1; i <= n; ++i)
            v.push_back(i * i * 0.5);
        bool init1 = false, init2 = false;
        BoundedArray<double> a1(0, n), a2(0, n);
        double W1 = 0, p1 = 0, W2 = 0, p2 = 0;
        std::int32_t f1 = -1, f2 = -1;
        s.STAT_ShapiroWilk(init1, base1(v), n, n, n, a1, W1, p1, f1);
        s.STAT_ShapiroWilk(init2, base1(v), n, n, n / 2, a2, W2, p2, f2);
        EXPECT_EQ(f1, 0);
        EXPECT_EQ(f2, 0) << "n2 = n\\2 is enough room (n = 7, n2 = 3 runs)";
        EXPECT_EQ(W1, W2);
        EXPECT_EQ(p1, p2);
        EXPECT_EQ(a1, a2) << "nothing is written beyond n\\2";
        // the coefficients of a normalised test: sum of squares 1/2
        double ss = 0;
        for (std::int32_t i = 1; i <= n / 2; ++i)
            ss += a1(i) * a1(i);
        EXPECT_NEAR(ss, 0.5, 1e-12) << n;
    }
    // n = 4: W of 1, 4, 9, 16 is R's 0.96212 (the coefficients summed over
    // all four quantiles would give 0.8323-like values far from it).
    EXPECT_NEAR(shapiro(s, {1, 4, 9, 16}).W, 0.96212403759749954, 2e-7);
}

TEST(ShapiroWilk, ThreeValuesReuseAndSignificanceOnly)
{
    Sumtrix s;
    // n = 3: a(1) = 0.70711 and p = 6/pi (asin(sqrt(W)) - pi/3) with the
    // rounded constants; two equal values give the smallest W, 3/4, where
    // those constants would give a p a little below 0.
    SwResult r = shapiro(s, {1, 1, 2});
    EXPECT_NEAR(r.W, 0.75, 1e-15);
    EXPECT_EQ(r.p, 0);
    r = shapiro(s, {2.1, 3.7, 3.9});
    EXPECT_NEAR(r.p, 1.909859 * (std::asin(std::sqrt(r.W)) - 1.047198), 1e-15);

    // A second call with INIT true reuses a as it stands: doctored
    // coefficients change W.
    const std::vector<double> v = {3.1, 4.7, 1.2, 8.8, 5.0, 6.1};
    const auto x = base1(v);
    bool init = false;
    BoundedArray<double> a(0, 6);
    double W = 0, p = 0;
    std::int32_t fault = -1;
    s.STAT_ShapiroWilk(init, x, 6, 6, 6, a, W, p, fault);
    ASSERT_TRUE(init);
    const BoundedArray<double> computed = a;
    double W2 = 0;
    s.STAT_ShapiroWilk(init, x, 6, 6, 6, a, W2, p, fault);
    EXPECT_EQ(W2, W);
    EXPECT_EQ(a, computed);
    a(3) = 0;
    s.STAT_ShapiroWilk(init, x, 6, 6, 6, a, W2, p, fault);
    EXPECT_NE(W2, W);

    // SW = -0.9 on entry: the significance of W = 0.9 for n = 6, whatever
    // the data.
    double sw = -0.9, pOnly = -7;
    init = true;
    a = computed;
    s.STAT_ShapiroWilk(init, base1({1, 1, 1, 1, 1, 1}), 6, 6, 6, a, sw, pOnly, fault);
    EXPECT_EQ(fault, 0);
    EXPECT_NEAR(sw, 0.9, 1e-15);
    // Royston's n <= 11 form written out: y = -ln(gamma - ln(1 - W)).
    const double y = -std::log(-2.273 + 0.459 * 6 - std::log(0.1));
    const double m = 0.544 - 0.39978 * 6 + 0.025054 * 36 - 0.0006714 * 216;
    const double sd = std::exp(1.3822 - 0.77857 * 6 + 0.062767 * 36 - 0.0020322 * 216);
    EXPECT_NEAR(pOnly, 0.5 * std::erfc((y - m) / sd / std::sqrt(2.0)), 1e-8);
}

TEST(ShapiroWilk, FaultCodes)
{
    Sumtrix s;
    std::vector<double> v25;
    for (int i = 1; i <= 25; ++i)
        v25.push_back(std::sqrt(i));
    struct Case {
        const char* what;
        std::vector<double> x;
        std::int32_t n1, n2;
        std::int32_t fault;
    };
    const Case cases[] = {
        {"n = 2", {1, 2}, -1, -1, 1},
        {"n1 = 2", {1, 2, 3, 4}, 2, -1, 1},
        {"n2 below n/2", {1, 2, 3, 4, 5, 6, 7}, -1, 2, 3},
        {"n = 10 censored", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 9, -1, 4},
        {"n1 above n", {1, 2, 3, 4, 5}, 6, -1, 4},
        {"84 % censored", v25, 4, -1, 5},
        {"constant", {5, 5, 5, 5}, -1, -1, 6},
        {"constant at 1e9", {1e9, 1e9, 1e9}, -1, -1, 6},
    };
    for (const Case& c : cases) {
        const SwResult r = shapiro(s, c.x, c.n1, c.n2);
        EXPECT_EQ(r.fault, c.fault) << c.what;
        EXPECT_EQ(r.p, 1) << c.what;
    }
    // 20 % censored of 25: Royston's censored significance, within (0, 1).
    const SwResult r = shapiro(s, v25, 20);
    EXPECT_EQ(r.fault, 0);
    EXPECT_GT(r.W, 0.5);
    EXPECT_LT(r.W, 1);
    EXPECT_GT(r.p, 0);
    EXPECT_LT(r.p, 1);
    // Above 5000 values: computed, with the warning fault 2.
    const SwResult big = shapiro(s, weylSmooth(6000, 0, 1));
    EXPECT_EQ(big.fault, 2);
    EXPECT_GT(big.W, 0.9);
}

TEST(ShapiroWilk, BadInput)
{
    Sumtrix s;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    bool init = false;
    BoundedArray<double> a(0, 10);
    double W = 0, p = 0;
    std::int32_t f = 0;
    EXPECT_EQ(errorOf([&] { s.STAT_ShapiroWilk(init, base1({1, nan, 3, 4}), 4, 4, 4, a, W, p, f); }), ErrOverflow);
    EXPECT_EQ(errorOf([&] { s.STAT_ShapiroWilk(init, base1({1, 2, 3}), 4, 4, 4, a, W, p, f); }), ErrSubscript);
    BoundedArray<double> small(0, 1);
    init = false;
    EXPECT_EQ(errorOf([&] { s.STAT_ShapiroWilk(init, base1({1, 2, 3, 4, 5, 6}), 6, 6, 6, small, W, p, f); }),
              ErrSubscript)
        << "a too short for n/2 coefficients";
}

TEST(Stats, WorkedExampleAndFault)
{
    Sumtrix s;
    auto z = base1({0.1, 0.4, 0.7});
    double D = -7, V = -7, W2 = -7, U2 = -7, A2 = -7;
    std::int16_t fault = -1;
    s.STATS(z, 3, D, V, W2, U2, A2, fault);
    EXPECT_EQ(fault, 0);
    // D+ = 1 - 0.7, D- = 0.1; W2 = 1/36 + (0.1 - 1/6)^2 + (0.4 - 1/2)^2 +
    // (0.7 - 5/6)^2 = 0.06; U2 = 0.06 - 3 (0.4 - 0.5)^2.
    EXPECT_NEAR(D, 0.3, 1e-15);
    EXPECT_NEAR(V, 0.4, 1e-15);
    EXPECT_NEAR(W2, 0.06, 1e-15);
    EXPECT_NEAR(U2, 0.03, 1e-15);
    EXPECT_NEAR(A2, -(std::log(0.1 * 0.3) + 3 * std::log(0.4 * 0.6) + 5 * std::log(0.7 * 0.9)) / 3 - 3, 1e-14);

    for (double bad : {0.0, 1.0, -0.2}) {
        D = V = W2 = U2 = A2 = -7;
        auto zb = base1({0.2, bad, 0.5});
        s.STATS(zb, 3, D, V, W2, U2, A2, fault);
        EXPECT_EQ(fault, 4) << bad;
        EXPECT_EQ(D, -7);
        EXPECT_EQ(A2, -7);
    }
    // A probability below 1E-37 is raised to it in the array.
    auto tiny = base1({1e-300, 0.5, 0.9});
    s.STATS(tiny, 3, D, V, W2, U2, A2, fault);
    EXPECT_EQ(fault, 0);
    EXPECT_EQ(tiny(1), 1e-37);
}

TEST(PValue, RowsAndTheEndOfTheTable)
{
    Sumtrix s;
    // Stephens' table of the normal W2.
    const BoundedArray<double> cut(1, {0.0275, 0.051, 0.092});
    BoundedArray2<double> coef(1, 4, 1, 3);
    const double rows[4][3] = {{-13.953, 775.5, -12542.61}, {-5.903, 179.546, -1515.29}, {0.886, -31.62, 10.897},
                               {1.111, -34.242, 12.832}};
    for (int j = 1; j <= 4; ++j)
        for (int k = 1; k <= 3; ++k)
            coef(j, k) = rows[j - 1][k - 1];
    const auto row = [&](int j, double t) { return std::exp(rows[j][0] + t * (rows[j][1] + t * rows[j][2])); };
    EXPECT_DOUBLE_EQ(s.PValue(0.01, cut, coef), 1 - row(0, 0.01));
    EXPECT_DOUBLE_EQ(s.PValue(0.04, cut, coef), 1 - row(1, 0.04));
    EXPECT_DOUBLE_EQ(s.PValue(0.051, cut, coef), row(2, 0.051));
    EXPECT_DOUBLE_EQ(s.PValue(0.092, cut, coef), row(3, 0.092));
    EXPECT_DOUBLE_EQ(s.PValue(1.0, cut, coef), row(3, 1.0));
    // Beyond the last row's vertex (34.242 / 25.664 = 1.334) the published
    // exponent turns upward (2.4e14 for the W2 of 500 exponential values,
    // an overflow near 2000 values); it stays at its smallest value.
    const double vertex = 34.242 / (2 * 12.832);
    for (double t : {vertex, 2.0, 3.9646936901460212, 50.0, 1e6}) {
        const double p = s.PValue(t, cut, coef);
        EXPECT_DOUBLE_EQ(p, row(3, vertex)) << t;
        EXPECT_GE(p, 0);
        EXPECT_LE(p, 1);
    }
}

TEST(EdfGof, MatchesScipyAndStatsmodels)
{
    Sumtrix s;
    const auto check = [&](const char* name, int test, const std::vector<double>& x, const double (&plain)[5],
                           const double (&modified)[5], const double (&p)[3]) {
        // The probabilities of test 2 come from AS 66 as published (the
        // library's STAT_NormProb1, off by up to about 5e-8): the statistics
        // follow to 1e-6. Those of tests 1 and 3 are exact; U2 = W2 -
        // n (zbar - 1/2)^2 cancels to a few 1e-12 at 100,000 values.
        const double rel = test == 2 ? 1e-6 : 1e-11;
        for (bool adjusted : {false, true}) {
            const EdfResult r = edfgof(s, x, static_cast<std::int16_t>(test), adjusted);
            const double* e = adjusted ? modified : plain;
            const double got[5] = {r.D, r.V, r.W2, r.U2, r.A2};
            const char* names[5] = {"D", "V", "W2", "U2", "A2"};
            ASSERT_EQ(r.fault, 0) << name;
            for (int k = 0; k < 5; ++k)
                EXPECT_NEAR(got[k], e[k], rel * std::fabs(e[k]) + 1e-15) << name << " " << names[k] << " adjusted "
                                                                         << adjusted;
            if (adjusted && test != 1) {
                const double gotP[3] = {r.W2P, r.U2P, r.A2P};
                for (int k = 0; k < 3; ++k)
                    EXPECT_NEAR(gotP[k], p[k], 50 * rel * p[k] + 1e-15) << name << " p " << k;
            }
        }
    };
    for (const EdfCase& c : kEdfCases)
        check(c.name, c.test, c.x, c.plain, c.modified, c.p);
    for (const EdfGeneratedCase& c : kEdfGenerated) {
        std::vector<double> x = c.ties ? weylTies(c.n, c.scale) : weylSmooth(c.n, c.offset, c.scale);
        if (c.ties)
            for (double& v : x)
                v += c.offset;
        check(c.name, c.test, x, c.plain, c.modified, c.p);
    }
}

TEST(EdfGof, NormalCaseMatchesNortest)
{
    Sumtrix s;
    const auto check = [&](const char* name, const std::vector<double>& x, double D, double W2, double A2,
                           double W2P, double A2P) {
        const EdfResult plain = edfgof(s, x, 2, false);
        ASSERT_EQ(plain.fault, 0) << name;
        // AS 66 probabilities (see above): 1e-6.
        EXPECT_NEAR(plain.D, D, 1e-6 * D) << name;
        EXPECT_NEAR(plain.W2, W2, 1e-6 * W2) << name;
        EXPECT_NEAR(plain.A2, A2, 1e-6 * A2) << name;
        const EdfResult modified = edfgof(s, x, 2, true);
        if (!std::isnan(W2P)) {
            EXPECT_NEAR(modified.W2P, W2P, 5e-5 * W2P) << name;
        }
        if (!std::isnan(A2P)) {
            EXPECT_NEAR(modified.A2P, A2P, 5e-5 * A2P) << name;
        }
        // the sample mean and variance, and z(i) = Phi((x(i) - xbar) / s)
        // in ascending order
        EXPECT_EQ(plain.z.size(), x.size() + 1);
        EXPECT_TRUE(std::is_sorted(plain.z.data().begin() + 1, plain.z.data().end()));
    };
    for (const NormalEdfCase& c : kNormalEdfCases)
        check(c.name, c.x, c.D, c.W2, c.A2, c.W2P, c.A2P);
    for (const NormalEdfGeneratedCase& c : kNormalEdfGenerated)
        check(c.name, c.ties ? weylTies(c.n, c.scale) : weylSmooth(c.n, c.offset, c.scale), c.D, c.W2, c.A2, c.W2P,
              c.A2P);
}

TEST(EdfGof, FaultsAndOutputs)
{
    Sumtrix s;
    struct Case {
        const char* what;
        std::vector<double> x;
        std::int16_t test;
        std::int16_t fault;
    };
    const Case cases[] = {
        {"test 0", {1, 2, 3}, 0, 1},
        {"test 4", {1, 2, 3}, 4, 1},
        {"one value", {0.5}, 1, 2},
        {"normal n = 2", {1, 2}, 2, 2},
        {"normal, all equal", {3, 3, 3, 3}, 2, 5},
        {"normal, all equal to 0.1 (a mean that rounds)", {0.1, 0.1, 0.1}, 2, 5},
        {"exponential, mean 0", {-1, 0, 1}, 3, 6},
        {"exponential, a value 0", {0, 1, 2}, 3, 4},
        {"probabilities with 1", {0.2, 1, 0.4}, 1, 4},
    };
    for (const Case& c : cases) {
        const EdfResult r = edfgof(s, c.x, c.test, true);
        EXPECT_EQ(r.fault, c.fault) << c.what;
        EXPECT_EQ(r.D, -7) << c.what << ": a fault writes no statistic";
        EXPECT_EQ(r.W2P, -7) << c.what;
    }
    // Unsorted input is sorted in a copy; test 1 on probabilities writes no z.
    const auto w = base1({0.7, 0.1, 0.4});
    BoundedArray<double> z(0, 3);
    double xbar = -7, S2 = -7, D = -7, V = -7, W2 = -7, W2P = -7, U2 = -7, U2P = -7, A2 = -7, A2P = -7;
    std::int16_t fault = -1;
    s.STAT_EDFGOF(w, z, 3, xbar, S2, D, V, W2, W2P, U2, U2P, A2, A2P, fault, 1);
    EXPECT_EQ(fault, 0);
    EXPECT_NEAR(D, 0.3, 1e-15);
    EXPECT_EQ(w, base1({0.7, 0.1, 0.4}));
    EXPECT_EQ(z, BoundedArray<double>(0, 3));
    EXPECT_EQ(W2P, -7);
    // Test 3 writes z = 1 - exp(-x / xbar) of the sorted values.
    s.STAT_EDFGOF(base1({2, 1, 3}), z, 3, xbar, S2, D, V, W2, W2P, U2, U2P, A2, A2P, fault, 3);
    EXPECT_EQ(xbar, 2);
    EXPECT_NEAR(z(1), 1 - std::exp(-0.5), 1e-16);
    EXPECT_NEAR(z(3), 1 - std::exp(-1.5), 1e-16);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(errorOf([&] { s.STAT_EDFGOF(base1({1, nan, 3}), z, 3, xbar, S2, D, V, W2, W2P, U2, U2P, A2, A2P, fault, 2); }),
              ErrOverflow);
    EXPECT_EQ(errorOf([&] { s.STAT_EDFGOF(base1({1, 2, 3}), z, 4, xbar, S2, D, V, W2, W2P, U2, U2P, A2, A2P, fault, 2); }),
              ErrSubscript);
}

TEST(Poly, Horner)
{
    Sumtrix s;
    const BoundedArray<double> c(1, {2, -3, 0.5, 4});
    EXPECT_EQ(s.STAT_Poly(c, 1, 10), 2);
    EXPECT_DOUBLE_EQ(s.STAT_Poly(c, 2, 10), 2 - 30);
    EXPECT_DOUBLE_EQ(s.STAT_Poly(c, 4, 0.5), 2 - 1.5 + 0.125 + 0.5);
}
