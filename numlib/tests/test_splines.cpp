// Cubic splines: Shammas, Chapra and Canale, and the Base0/Base1 splines
// with given or natural ends.
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

constexpr double Natural = 1E30;  // an end derivative above 9.9E29: natural end
const double NaN = std::numeric_limits<double>::quiet_NaN();

enum Ends { NaturalEnds = 0, ClampedEnds = 1, ClampedFirstNaturalLast = 2 };

struct SplineCase {
    const char* name;
    std::vector<double> x, y;
    int ends;
    double dY1, dYn;
    std::vector<double> t, value, slope, curvature;
};

const SplineCase splineCases[] = {
#define SPLINE_CASES
#include "reference/interpolation_cases.inc"
#undef SPLINE_CASES
};

const std::vector<double> generatedSpline =
#define GENERATED_SPLINE
#include "reference/interpolation_cases.inc"
#undef GENERATED_SPLINE
    ;

double maxAbs(const std::vector<double>& v)
{
    double m = 0.0;
    for (double x : v)
        m = std::max(m, std::fabs(x));
    return m;
}

double valueOf(const Variant& v)
{
    return std::get<double>(v);
}

} // namespace

TEST(CubicSplines, AgreeWithScipyCubicSpline)
{
    Sumtrix s;
    for (const SplineCase& c : splineCases) {
        const auto n = static_cast<std::int32_t>(c.x.size());
        const BoundedArray<double> x0 = base0(c.x), y0 = base0(c.y), x1 = base1(c.x), y1 = base1(c.y);
        const double dY1 = c.ends == NaturalEnds ? Natural : c.dY1;
        const double dYn = c.ends == ClampedEnds ? c.dYn : Natural;
        // The same second-derivative table by another elimination order:
        // agreement to a few hundred rounding units of the data's size.
        const double valueTolerance = 1E-13 * std::max(maxAbs(c.value), maxAbs(c.y));
        const double slopeTolerance = 1E-12 * std::max(1.0, maxAbs(c.slope));
        const double curvatureTolerance = 1E-11 * std::max(1.0, maxAbs(c.curvature));

        BoundedArray<double> ys(0, static_cast<std::int32_t>(c.t.size()) - 1);
        std::string msg;
        s.Interpolate_CubicSplineBase0Matrix(x0, y0, n, base0(c.t), ys, dY1, dYn, msg);
        EXPECT_EQ(msg, "");
        for (std::size_t k = 0; k < c.t.size(); ++k) {
            const double t = c.t[k];
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(t));
            const bool inside = t >= c.x.front() && t <= c.x.back();
            EXPECT_NEAR(valueOf(s.Interpolate_CubicSplineBase0(x0, y0, n, t, dY1, dYn, msg)), c.value[k],
                        valueTolerance);
            EXPECT_NEAR(valueOf(s.Interpolate_CubicSplineBase1(x1, y1, n, t, dY1, dYn, msg)), c.value[k],
                        valueTolerance);
            EXPECT_NEAR(ys(static_cast<std::int32_t>(k)), c.value[k], valueTolerance);
            if (c.ends != NaturalEnds)
                continue;

            // The natural-only methods, which also leave x outside alone.
            double dY = -7, d2Y = -7;
            const double cc = s.Interpolate_CubicSpline_ChapraAndCanale(x1, y1, n, t, dY, d2Y, msg);
            double dY2 = -7, d2Y2 = -7;
            const double cc2 = s.Interpolate_CubicSpline_ChapraAndCanale2(x1, y1, n, t, dY2, d2Y2, msg);
            std::string shammasMsg;
            const double shammas = s.Interpolate_CubicSpline_Shammas(x1, y1, n, t, 0.0, shammasMsg);
            if (!inside) {
                EXPECT_EQ(cc, -1E-99);
                EXPECT_EQ(cc2, -1E-99);
                EXPECT_EQ(dY, -7);
                EXPECT_EQ(d2Y2, -7);
                EXPECT_EQ(shammas, -1E-99);
                continue;
            }
            EXPECT_NEAR(cc, c.value[k], valueTolerance);
            EXPECT_NEAR(dY, c.slope[k], slopeTolerance);
            EXPECT_NEAR(d2Y, c.curvature[k], curvatureTolerance);
            EXPECT_EQ(cc2, cc);
            EXPECT_EQ(dY2, dY);
            EXPECT_EQ(d2Y2, d2Y);
            if (n >= 3) {
                EXPECT_NEAR(shammas, c.value[k], valueTolerance);
                EXPECT_EQ(shammasMsg, "");
            }
        }
        EXPECT_EQ(msg, "");
    }
}

TEST(CubicSplines, OneHundredThousandKnotsLookedUpAtOnce)
{
    // The knots and abscissas of tools/oracles/interpolation.py.
    const std::int32_t n = 100000;
    BoundedArray<double> x(0, n - 1), y(0, n - 1), t(0, 199), out(0, 199);
    for (std::int32_t i = 0; i < n; ++i) {
        x(i) = i + 0.5 * std::fmod(0.6180339887498949 * i, 1.0);
        y(i) = 10.0 * std::fmod(0.7548776662466927 * i, 1.0);
    }
    for (std::int32_t j = 0; j < 200; ++j)
        t(j) = std::fmod(0.4142135623730951 * j, 1.0) * (n + 1) - 1.0;
    Sumtrix s;
    std::string msg;
    s.Interpolate_CubicSplineBase0Matrix(x, y, n, t, out, Natural, Natural, msg);
    EXPECT_EQ(msg, "");
    for (std::int32_t j = 0; j < 200; ++j) {
        EXPECT_NEAR(out(j), generatedSpline[static_cast<std::size_t>(j)], 1E-11) << "t = " << t(j);
    }
    // One abscissa at a time gives the same.
    for (std::int32_t j = 0; j < 5; ++j)
        EXPECT_EQ(valueOf(s.Interpolate_CubicSplineBase0(x, y, n, t(j), Natural, Natural, msg)), out(j));
}

TEST(CubicSplines, ThreeKnotExampleAndItsSecondDerivatives)
{
    // (0, 0), (1, 1), (2, 0), natural: M = -3 at the middle knot.
    Sumtrix s;
    const BoundedArray<double> x = base1({0, 1, 2}), y = base1({0, 1, 0});
    double dY = 0, d2Y = 0;
    std::string msg;
    EXPECT_DOUBLE_EQ(s.Interpolate_CubicSpline_ChapraAndCanale(x, y, 3, 0.5, dY, d2Y, msg), 0.6875);
    EXPECT_DOUBLE_EQ(dY, 1.125);
    EXPECT_DOUBLE_EQ(d2Y, -1.5);
    s.Interpolate_CubicSpline_ChapraAndCanale2(x, y, 3, 1.0, dY, d2Y, msg);
    EXPECT_DOUBLE_EQ(d2Y, -3.0);
    EXPECT_DOUBLE_EQ(s.Interpolate_CubicSpline_Shammas(x, y, 3, 0.5), 0.6875);

    // GetDerivatives: Deriv(0) = M(1); Deriv(1), Deriv(2) keep the slopes
    // of intervals 1 and 2; h holds the widths.
    BoundedArray<double> deriv(0, 2), h(0, 2);
    ASSERT_TRUE(s.GetDerivatives(base0({0, 1, 2}), base0({0, 1, 0}), deriv, h, 3, 1E-11));
    EXPECT_EQ(deriv.data(), (std::vector<double>{-3, 1, -1}));
    EXPECT_EQ(h.data(), (std::vector<double>{0, 1, 1}));
}

TEST(CubicSplines, OmittedEndSlopesMeanHorizontalEnds)
{
    Sumtrix s;
    const BoundedArray<double> x = base1({0, 1, 2, 4}), y = base1({1, 3, 2, 5});
    for (double t : {0.3, 1.5, 3.7, 5.0}) {
        const double omitted = valueOf(s.Interpolate_CubicSplineBase1(x, y, 4, t));
        EXPECT_EQ(omitted, valueOf(s.Interpolate_CubicSplineBase1(x, y, 4, t, 0.0, 0.0)));
        EXPECT_NE(omitted, valueOf(s.Interpolate_CubicSplineBase1(x, y, 4, t, Natural, Natural)));
    }
}

TEST(CubicSplines, ShammasWritesTheDefaultToleranceBack)
{
    Sumtrix s;
    double tolerance = 0.0;
    std::string msg = "as passed";
    s.Interpolate_CubicSpline_Shammas(base1({0, 1, 2}), base1({0, 1, 0}), 3, 0.5, tolerance, msg);
    EXPECT_EQ(tolerance, 1E-11);
    EXPECT_EQ(msg, "as passed");
    // A pivot below a larger tolerance is refused.
    tolerance = 3.0;
    EXPECT_EQ(s.Interpolate_CubicSpline_Shammas(base1({0, 1, 2}), base1({0, 1, 0}), 3, 0.5, tolerance, msg), -1E-99);
    EXPECT_EQ(msg, "Derivative error");
}

TEST(CubicSplines, TwoKnots)
{
    Sumtrix s;
    const BoundedArray<double> x = base1({1, 3}), y = base1({2, 7});
    std::string msg = "as passed";
    // Chapra and Canale: the straight line through the knots (the
    // back-substitution used to divide 0 by 0 here).
    double dY = 0, d2Y = 7;
    EXPECT_DOUBLE_EQ(s.Interpolate_CubicSpline_ChapraAndCanale(x, y, 2, 2.0, dY, d2Y, msg), 4.5);
    EXPECT_DOUBLE_EQ(dY, 2.5);
    EXPECT_EQ(d2Y, 0.0);
    d2Y = 7;
    EXPECT_DOUBLE_EQ(s.Interpolate_CubicSpline_ChapraAndCanale2(x, y, 2, 3.0, dY, d2Y, msg), 7.0);
    EXPECT_EQ(d2Y, 0.0);
    EXPECT_EQ(msg, "as passed");
    // Shammas needs a third knot for its solver.
    EXPECT_EQ(s.Interpolate_CubicSpline_Shammas(x, y, 2, 2.0, 0.0, msg), -1E-99);
    EXPECT_EQ(msg, "Derivative error");
}

TEST(CubicSplines, CoincidentKnotsAndBadValues)
{
    Sumtrix s;
    const std::string error = "InterpolateCubicSpline function encountered an error. Code: ";
    struct Case {
        const char* what;
        std::function<double(std::string&)> call;
        double result;
        std::string msg;  // "" : left as passed
    };
    const Case cases[] = {
        {"two knots at one abscissa, natural ends: missing value",
         [&](std::string& m) {
             return valueOf(s.Interpolate_CubicSplineBase1(base1({2, 2}), base1({1, 3}), 2, 2.5, Natural, Natural, m));
         },
         1E-99, ""},
        {"Base1, adjacent coincident knots",
         [&](std::string& m) {
             return valueOf(s.Interpolate_CubicSplineBase1(base1({0, 1, 1, 2}), base1({0, 1, 2, 0}), 4, 0.5, Natural,
                                                           Natural, m));
         },
         -1E-99, error + " 11. Description: Division by zero."},
        {"Shammas, adjacent coincident knots",
         [&](std::string& m) {
             return s.Interpolate_CubicSpline_Shammas(base1({0, 1, 1, 2}), base1({0, 1, 2, 0}), 4, 0.5, 0.0, m);
         },
         -1E-99, error + " 11. Description: Division by zero."},
        {"Chapra and Canale, adjacent coincident knots",
         [&](std::string& m) {
             return s.Interpolate_CubicSpline_ChapraAndCanale(base1({0, 1, 1, 2}), base1({0, 1, 2, 0}), 4, 0.5, {}, {}, m);
         },
         -1E-99, error + " 11. Description: Division by zero."},
        {"Base0, NaN value",
         [&](std::string& m) {
             return valueOf(s.Interpolate_CubicSplineBase0(base0({0, 1, 2}), base0({0, NaN, 0}), 3, 0.5, Natural,
                                                           Natural, m));
         },
         -1E-99, error + " 6. Description: Overflow."},
        {"Base0, NaN abscissa",
         [&](std::string& m) {
             return valueOf(s.Interpolate_CubicSplineBase0(base0({0, 1, 2}), base0({0, 1, 0}), 3, NaN, Natural,
                                                           Natural, m));
         },
         -1E-99, error + " 6. Description: Overflow."},
        {"Shammas, NaN abscissa: outside every interval",
         [&](std::string& m) { return s.Interpolate_CubicSpline_Shammas(base1({0, 1, 2}), base1({0, 1, 0}), 3, NaN, 0.0, m); },
         -1E-99, ""},
        {"Base1, n beyond the arrays",
         [&](std::string& m) {
             return valueOf(s.Interpolate_CubicSplineBase1(base1({0, 1, 2}), base1({0, 1, 0}), 4, 0.5, Natural,
                                                           Natural, m));
         },
         -1E-99, error + " 9. Description: Subscript out of range."},
        {"Chapra and Canale, one knot",
         [&](std::string& m) { return s.Interpolate_CubicSpline_ChapraAndCanale2(base1({1}), base1({2}), 1, 1.0, {}, {}, m); },
         -1E-99, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string msg = "as passed";
        EXPECT_EQ(c.call(msg), c.result);
        EXPECT_EQ(msg, c.msg.empty() ? "as passed" : c.msg);
    }
}

TEST(CubicSplines, UnsortedKnotsGiveAValueWithoutFault)
{
    // Knots must be increasing; out of order they still give finite values
    // (of no meaning), never an out-of-range access.
    Sumtrix s;
    const BoundedArray<double> x = base1({0, 2, 1, 3}), y = base1({0, 1, 2, 1});
    std::string msg;
    for (double t : {-1.0, 0.5, 1.5, 2.5, 4.0}) {
        EXPECT_TRUE(std::isfinite(valueOf(s.Interpolate_CubicSplineBase1(x, y, 4, t, Natural, Natural, msg))));
        const double cc = s.Interpolate_CubicSpline_ChapraAndCanale(x, y, 4, t, {}, {}, msg);
        EXPECT_TRUE(std::isfinite(cc));
    }
}

TEST(CubicSplines, TablesThatCannotBeCreatedFailTheCall)
{
    Sumtrix s;
    std::string msg = "as passed";
    const BoundedArray<double> x0 = base0({0, 1}), x1 = base1({0, 1});
    EXPECT_EQ(errorOf([&] { s.Interpolate_CubicSplineBase0(x0, x0, 0, 0.5, Natural, Natural, msg); }), 9);
    EXPECT_EQ(errorOf([&] { s.Interpolate_CubicSplineBase1(x1, x1, -1, 0.5, Natural, Natural, msg); }), 9);
    EXPECT_EQ(errorOf([&] { s.Interpolate_CubicSpline_Shammas(x1, x1, -1, 0.5, 0.0, msg); }), 9);
    BoundedArray<double> out(0, 0);
    EXPECT_EQ(errorOf([&] { s.Interpolate_CubicSplineBase0Matrix(x0, x0, 0, x0, out, Natural, Natural, msg); }), 9);
    // n - 1 of n = -2^31 overflows where the table is sized.
    constexpr std::int32_t minCount = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(errorOf([&] { s.Interpolate_CubicSplineBase0(x0, x0, minCount, 0.5, Natural, Natural, msg); }),
              ErrOverflow);
    EXPECT_EQ(errorOf([&] { s.Interpolate_CubicSplineBase0Matrix(x0, x0, minCount, x0, out, Natural, Natural, msg); }),
              ErrOverflow);
    EXPECT_EQ(msg, "as passed");

    // A count far beyond the knots fails on the first knot that is not
    // there, before a table is sized for it.
    const std::string subscript =
        "InterpolateCubicSpline function encountered an error. Code:  9. Description: Subscript out of range.";
    const BoundedArray<double> ten0 = base0({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), ten1 = base1({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    const long peak = peakResidentKb();
    EXPECT_EQ(valueOf(s.Interpolate_CubicSplineBase0(ten0, ten0, 200000000, 0.5, Natural, Natural, msg)), -1E-99);
    EXPECT_EQ(msg, subscript);
    msg = "as passed";
    EXPECT_EQ(valueOf(s.Interpolate_CubicSplineBase1(ten1, ten1, 200000000, 0.5, 1.0, 1.0, msg)), -1E-99);
    EXPECT_EQ(msg, subscript);
    msg = "as passed";
    BoundedArray<double> many(0, 1);
    s.Interpolate_CubicSplineBase0Matrix(ten0, ten0, 200000000, base0({0.5, 1.5}), many, Natural, Natural, msg);
    EXPECT_EQ(msg, subscript);
    EXPECT_LT(peakResidentKb() - peak, 100 * 1024) << "a table was sized from n";
    msg = "as passed";
    // y too short for the abscissas: written as far as it goes, then the
    // error text.
    BoundedArray<double> shortY(0, 0);
    shortY(0) = -7;
    s.Interpolate_CubicSplineBase0Matrix(base0({0, 1, 2}), base0({0, 1, 0}), 3, base0({0.5, 1.5}), shortY, Natural,
                                         Natural, msg);
    EXPECT_DOUBLE_EQ(shortY(0), 0.6875);
    EXPECT_EQ(msg, "InterpolateCubicSpline function encountered an error. Code:  9. Description: Subscript out of range.");
}
