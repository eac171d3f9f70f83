// The one-dimensional searches on functions of their own (the line fit with
// errors in both coordinates runs them on its chi-square: test_fit_xy_errors).
#include <cmath>
#include <algorithm>
#include <functional>
#include <numbers>
#include <string>

#include <gtest/gtest.h>

#include "SumtrixLib/Runtime.hpp"
#include "SumtrixLib/Search.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using SumtrixLib::test_support::errorOf;

TEST(Search, MinimaOfOtherFunctions)
{
    // Closed forms: the minimum of each function and where it lies.
    struct Case {
        const char* what;
        ScalarFunction f;
        double ax, bx;
        double xmin, fmin;
    };
    const Case cases[] = {
        {"parabola", [](double x) { return (x - 2) * (x - 2) + 1; }, 0.0, 0.5, 2.0, 1.0},
        {"parabola, starting uphill", [](double x) { return (x - 2) * (x - 2) + 1; }, 5.0, 6.0, 2.0, 1.0},
        {"cosine", [](double x) { return std::cos(x); }, 2.0, 2.5, std::numbers::pi, -1.0},
        {"x log x", [](double x) { return x * std::log(x); }, 0.1, 0.2, std::exp(-1.0), -std::exp(-1.0)},
        {"quartic far from zero", [](double x) { return std::pow(x - 1e6, 4); }, 1e6 - 3, 1e6 - 2, 1e6, 0.0},
        // Equal starting points: the second steps away first.
        {"parabola, equal starts", [](double x) { return (x - 2) * (x - 2) + 1; }, 0.0, 0.0, 2.0, 1.0},
        {"cosine, equal starts", [](double x) { return std::cos(x); }, 4.0, 4.0, std::numbers::pi, -1.0},
        {"parabola, equal starts at its minimum", [](double x) { return (x - 2) * (x - 2) + 1; }, 2.0, 2.0, 2.0, 1.0},
    };
    for (const Case& c : cases) {
        int calls = 0;
        const ScalarFunction counted = [&](double x) {
            ++calls;
            return c.f(x);
        };
        double ax = c.ax, bx = c.bx, cx = 0, fa = 0, fb = 0, fc = 0;
        bracketMinimum(counted, ax, bx, cx, fa, fb, fc);
        EXPECT_LT(fb, fa) << c.what;
        EXPECT_LT(fb, fc) << c.what;
        EXPECT_GT((bx - ax) * (cx - bx), 0.0) << c.what;
        double xmin = 0;
        const double fmin = brentMinimum(counted, ax, bx, cx, 1E-10, xmin);
        // Brent's tolerance is relative to x and the minimum is flat: the
        // abscissa is good to about sqrt(machine epsilon) of its size (the
        // quartic's flat bottom to its fourth root), the value much better.
        const double xTolerance = c.what == std::string("quartic far from zero") ? 2e-2 : 1e-7 * std::max(1.0, c.xmin);
        EXPECT_NEAR(xmin, c.xmin, xTolerance) << c.what;
        EXPECT_NEAR(fmin, c.fmin, 1e-12) << c.what;
        EXPECT_EQ(fmin, c.f(xmin)) << c.what;
        EXPECT_LT(calls, 200) << c.what;
    }
}

TEST(Search, RootsOfOtherFunctions)
{
    struct Case {
        const char* what;
        ScalarFunction f;
        double x1, x2;
        double root;
    };
    const Case cases[] = {
        // cos x = x: the Dottie number, 0.739085133215160641655...
        {"cos x - x", [](double x) { return std::cos(x) - x; }, 0.0, 1.0, 0.7390851332151607},
        {"x^3 - 2", [](double x) { return x * x * x - 2; }, 0.0, 3.0, std::cbrt(2.0)},
        {"decreasing line", [](double x) { return 5 - 2 * x; }, 0.0, 10.0, 2.5},
        {"root far from zero", [](double x) { return std::atan(x - 1e6); }, 0.0, 2e6, 1e6},
    };
    for (const Case& c : cases) {
        RecordingMessageSink sink;
        ScopedMessageSink scoped(sink);
        const double root = brentRoot(c.f, c.x1, c.x2, 1E-12);
        // The search stops within 6E-8 |x| + tol / 2 of the root (the
        // constant of the published routine, chosen for single precision).
        EXPECT_NEAR(root, c.root, 6e-8 * std::fabs(c.root) + 1e-12) << c.what;
        EXPECT_TRUE(sink.entries.empty()) << c.what;
    }
}

TEST(Search, FunctionThatNeverRisesEndsInAnError)
{
    // A falling line has no minimum: the bracket grows until it overflows.
    double ax = 0, bx = 1, cx = 0, fa = 0, fb = 0, fc = 0;
    EXPECT_THROW(bracketMinimum([](double x) { return -x; }, ax, bx, cx, fa, fb, fc), RuntimeError);
    // A constant has no minimum to bracket either, from any start.
    for (double start : {0.0, 3.0}) {
        ax = bx = start;
        EXPECT_EQ(errorOf([&] { bracketMinimum([](double) { return 1.0; }, ax, bx, cx, fa, fb, fc); }), ErrOverflow)
            << start;
    }
}

TEST(Search, RootFromEqualEndsOnOneSideOfZero)
{
    // Both ends at 0 on a function of one sign: bracketing starts from two
    // different points and the root finder ends at the nearest approach,
    // the parabola's minimum at 2 (closed form), after its message.
    RecordingMessageSink sink;
    ScopedMessageSink scoped(sink);
    const double x = brentRoot([](double v) { return (v - 2) * (v - 2) + 1; }, 0.0, 0.0, 1E-12);
    EXPECT_NEAR(x, 2.0, 1e-6);
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0].text, "Root is being bracketed for zbrent");
}
