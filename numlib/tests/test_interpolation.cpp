// Polynomial interpolation in the Lagrange, barycentric and Newton forms.
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using SumtrixLib::test_support::base0;
using SumtrixLib::test_support::base1;
using SumtrixLib::test_support::errorOf;
using SumtrixLib::test_support::peakResidentKb;

namespace {

constexpr double Eps = std::numeric_limits<double>::epsilon();

struct PolynomialCase {
    const char* name;
    std::vector<double> nodes, values, abscissas, barycentric, exact;
};

const PolynomialCase polynomialCases[] = {
#define POLYNOMIAL_CASES
#include "reference/interpolation_cases.inc"
#undef POLYNOMIAL_CASES
};

// One of the six methods, called on points given as plain vectors.
// The points are the first n of x and y.
using Method = std::function<double(Sumtrix&, const std::vector<double>&, const std::vector<double>&, std::int32_t,
                                    double, std::string&)>;

struct Named {
    const char* name;
    Method call;
};

const Named methods[] = {
    {"LagrangeBase0",
     [](Sumtrix& s, const auto& x, const auto& y, std::int32_t n, double t, std::string& msg) {
         return s.Interpolate_LagrangeBase0(base0(x), base0(y), n, t, msg);
     }},
    {"LagrangeBase1",
     [](Sumtrix& s, const auto& x, const auto& y, std::int32_t n, double t, std::string& msg) {
         return s.Interpolate_LagrangeBase1(base1(x), base1(y), n, t, msg);
     }},
    {"BarycentricBase0",
     [](Sumtrix& s, const auto& x, const auto& y, std::int32_t n, double t, std::string& msg) {
         return s.Interpolate_BarycentricBase0(base0(x), base0(y), n, t, msg);
     }},
    {"BarycentricBase1",
     [](Sumtrix& s, const auto& x, const auto& y, std::int32_t n, double t, std::string& msg) {
         return s.Interpolate_BarycentricBase1(base1(x), base1(y), n, t, msg);
     }},
    {"NewtonBase0",
     [](Sumtrix& s, const auto& x, const auto& y, std::int32_t n, double t, std::string& msg) {
         return s.Interpolate_NewtonBase0(base0(x), base0(y), n, t, false, msg);
     }},
    {"NewtonBase1",
     [](Sumtrix& s, const auto& x, const auto& y, std::int32_t n, double t, std::string& msg) {
         return s.Interpolate_NewtonBase1(base1(x), base1(y), n, t, false, msg);
     }},
};

} // namespace

TEST(PolynomialInterpolation, ReproducesPolynomialsAtUnorderedNodes)
{
    // p(x) = sum c_k x^k of degree n - 1 through n unordered nodes.
    const std::vector<double> allNodes = {0.7, -1.3, 2.2, 0.1, -0.4, 1.6, -2.0, 0.95, 3.1, -0.75};
    const std::vector<double> c = {1.5, -2.0, 0.75, 0.5, -0.3, 0.2, -0.1, 0.05, -0.02, 0.01};
    const double abscissas[] = {-2.5, -1.0, 0.0, 0.33, 1.2, 2.9, 3.5};
    Sumtrix s;
    for (std::size_t n = 1; n <= allNodes.size(); ++n) {
        // The arrays hold all nodes: the Newton forms read X(f + 1) even
        // for one point.
        const std::vector<double>& x = allNodes;
        auto p = [&](double t) {
            double v = 0.0, size = 0.0;
            for (std::size_t k = n; k-- > 0;) {
                v = v * t + c[k];
                size = size * std::fabs(t) + std::fabs(c[k]);
            }
            return std::pair{v, size};
        };
        std::vector<double> y;
        for (double t : x)
            y.push_back(p(t).first);
        const auto points = static_cast<std::int32_t>(n);
        for (const Named& m : methods) {
            for (double t : abscissas) {
                SCOPED_TRACE(std::string(m.name) + " n = " + std::to_string(n) + " x = " + std::to_string(t));
                std::string msg = "as passed";
                const auto [exact, size] = p(t);
                EXPECT_NEAR(m.call(s, x, y, points, t, msg), exact, 1E-12 * size);
                EXPECT_EQ(msg, "as passed");
            }
        }
    }
}

TEST(PolynomialInterpolation, WorkedExamples)
{
    // (0, 1), (1, 3), (2, 7): the quadratic x^2 + x + 1.
    Sumtrix s;
    for (const Named& m : methods) {
        SCOPED_TRACE(m.name);
        std::string msg;
        EXPECT_NEAR(m.call(s, {0, 1, 2}, {1, 3, 7}, 3, 1.0, msg), 3.0, 1E-14);
        EXPECT_NEAR(m.call(s, {0, 1, 2}, {1, 3, 7}, 3, 3.0, msg), 13.0, 1E-14);
        // n = 1: the one value, whatever x.
        EXPECT_EQ(m.call(s, {2, 5}, {4, 6}, 1, 9.0, msg), 4.0);
    }
    // Equidistant Newton reads only the first two nodes.
    std::string msg;
    for (const std::vector<double>& x : {std::vector<double>{1, 2, 3}, std::vector<double>{1, 2, 9}}) {
        EXPECT_NEAR(s.Interpolate_NewtonBase1(base1(x), base1({1, 3, 7}), 3, 4.0, true, msg), 13.0, 1E-14);
        EXPECT_NEAR(s.Interpolate_NewtonBase0(base0(x), base0({1, 3, 7}), 3, 4.0, true, msg), 13.0, 1E-14);
    }
    EXPECT_EQ(s.Interpolate_NewtonBase1(base1({1, 2, 3}), base1({1, 3, 7}), 3, 4.0, false, msg), 13.0);
}

TEST(PolynomialInterpolation, ChebyshevNodesAgreeWithScipyBarycentric)
{
    Sumtrix s;
    for (const PolynomialCase& c : polynomialCases) {
        const auto n = static_cast<std::int32_t>(c.nodes.size());
        double size = 0.0;
        for (double v : c.values)
            size = std::max(size, std::fabs(v));
        const BoundedArray<double> x0 = base0(c.nodes), y0 = base0(c.values);
        for (std::size_t k = 0; k < c.abscissas.size(); ++k) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(c.abscissas[k]));
            const double t = c.abscissas[k];
            // The condition of interpolation at t: sum |l_j(t) y_j| over the
            // Lagrange basis. Rounding in the data and in a stable evaluation
            // is amplified by it (beyond the nodes it grows fast).
            long double condition = 0.0L;
            for (std::int32_t j = 0; j < n; ++j) {
                long double l = c.values[static_cast<std::size_t>(j)];
                for (std::int32_t i = 0; i < n; ++i)
                    if (i != j)
                        l *= (static_cast<long double>(t) - c.nodes[static_cast<std::size_t>(i)])
                             / (static_cast<long double>(c.nodes[static_cast<std::size_t>(j)])
                                - c.nodes[static_cast<std::size_t>(i)]);
                condition += std::fabs(l);
            }
            const double stable = 4.0 * n * Eps * static_cast<double>(condition);
            std::string msg;
            // Lagrange's product form is backward stable everywhere.
            EXPECT_NEAR(s.Interpolate_LagrangeBase0(x0, y0, n, t, msg), c.exact[k], stable);
            // The barycentric formula is forward stable between the nodes
            // only; beyond them it (and SciPy's) loses digits: at 1.05 with
            // 100 nodes both are off the exact value by about 10 in 3900.
            const bool inside = t >= *std::min_element(c.nodes.begin(), c.nodes.end())
                                && t <= *std::max_element(c.nodes.begin(), c.nodes.end());
            if (inside) {
                EXPECT_NEAR(s.Interpolate_BarycentricBase0(x0, y0, n, t, msg), c.barycentric[k], stable);
                EXPECT_NEAR(s.Interpolate_BarycentricBase0(x0, y0, n, t, msg), c.exact[k], stable);
            }
            // Divided differences over shuffled nodes are not bounded by
            // that condition and lose digits as n grows; up to 8 nodes they
            // keep 12.
            if (n <= 8) {
                EXPECT_NEAR(s.Interpolate_NewtonBase0(x0, y0, n, t, false, msg), c.exact[k], 1E-12 * size);
            }
            EXPECT_EQ(msg, "");
        }
        // At a node the barycentric form returns the node's value exactly.
        std::string msg;
        EXPECT_EQ(s.Interpolate_BarycentricBase0(x0, y0, n, c.nodes[5], msg), c.values[5]);
    }
}

constexpr std::int32_t kMinCount = std::numeric_limits<std::int32_t>::min();

TEST(PolynomialInterpolation, TrappedErrorsGiveTheFamilyTextAndMinus1Em99)
{
    Sumtrix s;
    const std::vector<double> tenPoints{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        std::function<double(std::string&)> call;
        std::string msg;
    };
    const std::string lagrange = "InterpolateLagrange function encountered an error. Code: ";
    const std::string barycentric = "InterpolateBarycentric function encountered an error. Code: ";
    const std::string newton = "InterpolateNewton function encountered an error. Code: ";
    const Case cases[] = {
        {"Lagrange, equal nodes",
         [&](std::string& m) { return s.Interpolate_LagrangeBase1(base1({1, 1, 2}), base1({1, 2, 3}), 3, 1.5, m); },
         lagrange + " 11. Description: Division by zero."},
        {"barycentric, equal nodes",
         [&](std::string& m) { return s.Interpolate_BarycentricBase0(base0({1, 1, 2}), base0({1, 2, 3}), 3, 1.5, m); },
         barycentric + " 11. Description: Division by zero."},
        {"Newton, equal nodes",
         [&](std::string& m) { return s.Interpolate_NewtonBase1(base1({1, 1, 2}), base1({1, 2, 3}), 3, 1.5, false, m); },
         newton + " 11. Description: Division by zero."},
        {"Newton equidistant, equal first nodes",
         [&](std::string& m) { return s.Interpolate_NewtonBase0(base0({1, 1, 2}), base0({1, 2, 3}), 3, 1.5, true, m); },
         newton + " 11. Description: Division by zero."},
        {"Lagrange, n beyond the arrays",
         [&](std::string& m) { return s.Interpolate_LagrangeBase0(base0({1, 2}), base0({1, 2}), 3, 1.5, m); },
         lagrange + " 9. Description: Subscript out of range."},
        {"Lagrange, NaN abscissa",
         [&](std::string& m) { return s.Interpolate_LagrangeBase0(base0({1, 2}), base0({1, 2}), 2, nan, m); },
         lagrange + " 6. Description: Overflow."},
        {"barycentric, NaN value",
         [&](std::string& m) { return s.Interpolate_BarycentricBase1(base1({1, 2}), base1({1, nan}), 2, 1.5, m); },
         barycentric + " 6. Description: Overflow."},
        {"barycentric, no points (0 / 0)",
         [&](std::string& m) { return s.Interpolate_BarycentricBase1(base1({1}), base1({1}), 0, 1.5, m); },
         barycentric + " 6. Description: Overflow."},
        // Counts far beyond the data fail on the first point that is not
        // there, before a work array is sized for them.
        {"barycentric, n = 2e8 with ten points",
         [&](std::string& m) { return s.Interpolate_BarycentricBase0(base0(tenPoints), base0(tenPoints), 200000000, 1.5, m); },
         barycentric + " 9. Description: Subscript out of range."},
        {"Newton, n = 2e8 with ten points",
         [&](std::string& m) {
             return s.Interpolate_NewtonBase1(base1(tenPoints), base1(tenPoints), 200000000, 1.5, false, m);
         },
         newton + " 9. Description: Subscript out of range."},
        {"Newton equidistant, n = 2e8 with ten points",
         [&](std::string& m) {
             return s.Interpolate_NewtonBase0(base0(tenPoints), base0(tenPoints), 200000000, 1.5, true, m);
         },
         newton + " 9. Description: Subscript out of range."},
        // n - 1 of n = -2^31 overflows inside Lagrange's trap.
        {"Lagrange, n = -2^31",
         [&](std::string& m) { return s.Interpolate_LagrangeBase0(base0({1, 2}), base0({1, 2}), kMinCount, 1.5, m); },
         lagrange + " 6. Description: Overflow."},
    };
    const long peak = peakResidentKb();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string msg = "as passed";
        EXPECT_EQ(c.call(msg), -1E-99);
        EXPECT_EQ(msg, c.msg);
    }
    EXPECT_LT(peakResidentKb() - peak, 100 * 1024) << "a work array was sized from n";
}

TEST(PolynomialInterpolation, FailuresBeforeTheTrapRaiseRunTimeErrors)
{
    Sumtrix s;
    std::string msg = "as passed";
    // The Newton forms read X(f + 1) before the trap, even for one point.
    EXPECT_EQ(errorOf([&] { s.Interpolate_NewtonBase0(base0({2}), base0({4}), 1, 9.0, false, msg); }), 9);
    // No work array for no points.
    EXPECT_EQ(errorOf([&] { s.Interpolate_BarycentricBase0(base0({2}), base0({4}), 0, 9.0, msg); }), 9);
    EXPECT_EQ(errorOf([&] { s.Interpolate_NewtonBase1(base1({2, 3}), base1({4, 5}), -1, 9.0, false, msg); }), 9);
    // n - 1 of n = -2^31 overflows where the work array is sized.
    EXPECT_EQ(errorOf([&] { s.Interpolate_BarycentricBase0(base0({2, 3}), base0({4, 5}), kMinCount, 9.0, msg); }),
              ErrOverflow);
    EXPECT_EQ(errorOf([&] { s.Interpolate_NewtonBase0(base0({2, 3}), base0({4, 5}), kMinCount, 9.0, false, msg); }),
              ErrOverflow);
    EXPECT_EQ(msg, "as passed");
}
