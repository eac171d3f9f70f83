// The straight-line fit with errors in both coordinates and its searches.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using namespace SumtrixLib::test_support;

namespace {

struct ReferenceCase {
    const char* name;
    std::vector<double> x, y, sx, sy;
    double a, b, siga, sigb, chi2, Q, theta, thetaPlus, thetaMinus, scale;
};

const ReferenceCase referenceCases[] = {
#include "reference/fit_xy_errors_cases.inc"
};

struct Fit {
    double a = 0, b = 0, siga = 0, sigb = 0, chi2 = 0, Q = 0;
};

Fit fitxy(Sumtrix& s, const std::vector<double>& x, const std::vector<double>& y, const std::vector<double>& sx,
          const std::vector<double>& sy, Fit f = Fit())
{
    s.Reg_FitRandomXY(base1(x), base1(y), base1(sx), base1(sy), f.a, f.b, f.siga, f.sigb, f.chi2, f.Q, 1E-30);
    return f;
}

} // namespace

TEST(FitXYErrors, AgreesWithDirectMinimisationOfTheChiSquare)
{
    Sumtrix s;
    RecordingMessageSink sink;
    ScopedMessageSink scoped(sink);
    for (const ReferenceCase& rc : referenceCases) {
        const Fit f = fitxy(s, rc.x, rc.y, rc.sx, rc.sy);
        // The reference angles come from a minimiser of chi-square values,
        // and near the minimum the chi-square's own rounding (n terms,
        // about n eps chi2) hides the angle from such a search: the
        // chi-square rises by 1 over the distance to the crossings, so by
        // that rounding over that distance times Sqr(n eps chi2), some 1E-9
        // to 1E-8 here (the fit itself ends on the chi-square's slope; see
        // EqualErrorsReachTheClosedFormMinimum). Where the chi-square is
        // nearly flat (1E-4 at its minimum, no crossing of minimum + 1) the
        // rounding hides it to about the square root of the machine
        // precision.
        const bool flat = rc.sigb >= 1e30;
        const double toCrossing =
            std::min(std::fabs(rc.thetaPlus - rc.theta), std::fabs(rc.theta - rc.thetaMinus));
        const double dTheta =
            flat ? 1e-6
                 : std::max(1e-9, toCrossing * std::sqrt(static_cast<double>(rc.x.size())
                                                         * std::numeric_limits<double>::epsilon() * rc.chi2));
        const double dbdTheta = 1.0 / (rc.scale * std::pow(std::cos(rc.theta), 2));
        double maxAbsX = 0;
        for (double v : rc.x)
            maxAbsX = std::max(maxAbsX, std::fabs(v));
        EXPECT_NEAR(f.b, rc.b, dTheta * dbdTheta) << rc.name;
        EXPECT_NEAR(f.a, rc.a, dTheta * dbdTheta * maxAbsX + 1e-12) << rc.name;
        EXPECT_NEAR(f.chi2, rc.chi2, 1e-9 * rc.chi2 + 1e-14) << rc.name;
        // Q from the incomplete gamma function, whose series and continued
        // fraction stop at a relative 3E-7 per term.
        EXPECT_NEAR(f.Q, rc.Q, 1e-6 * rc.Q) << rc.name;
        if (flat) {
            EXPECT_EQ(f.siga, 1e30) << rc.name;
            EXPECT_EQ(f.sigb, 1e30) << rc.name;
            continue;
        }
        // The crossings of minimum + 1 are found to 2 (6E-8 |angle|) by the
        // root finder's own tolerance.
        const double dCross = 2 * 6e-8 * std::max(std::fabs(rc.thetaPlus), std::fabs(rc.thetaMinus)) + dTheta;
        EXPECT_NEAR(f.sigb, rc.sigb, dCross * dbdTheta) << rc.name;
        EXPECT_NEAR(f.siga, rc.siga, dCross * dbdTheta * maxAbsX) << rc.name;
    }
    EXPECT_TRUE(sink.entries.empty());
}

TEST(FitXYErrors, WorkedExample)
{
    Sumtrix s;
    const Fit f = fitxy(s, {1, 2, 3, 4, 5}, {2.1, 3.9, 6.2, 7.8, 10.1}, std::vector<double>(5, 0.1),
                        std::vector<double>(5, 0.2));
    // To the digits printed with the example.
    EXPECT_NEAR(f.a, 0.04197, 5e-6);
    EXPECT_NEAR(f.b, 1.9927, 5e-5);
    EXPECT_NEAR(f.siga, 0.2965, 5e-5);
    EXPECT_NEAR(f.sigb, 0.08935, 5e-6);
    EXPECT_NEAR(f.chi2, 1.3433, 5e-5);
    EXPECT_NEAR(f.Q, 0.7189, 5e-5);
}

TEST(FitXYErrors, StateKeptOnTheObjectBetweenCalls)
{
    Sumtrix s;
    const std::vector<double> x{1, 2, 3, 4, 5}, y{2.1, 3.9, 6.2, 7.8, 10.1};
    const Fit f = fitxy(s, x, y, std::vector<double>(5, 0.1), std::vector<double>(5, 0.2));
    const LineFitState& st = s.lineFitState();
    EXPECT_EQ(st.FitCount, 5);
    EXPECT_EQ(st.FitOffset, f.chi2 + 1.0);
    EXPECT_EQ(st.FitX.ubound(), 5);
    // y rescaled to the variance of x: var x = 2.5, var y = 9.927.
    const double scale = std::sqrt(2.5 / 9.927);
    for (int j = 1; j <= 5; ++j) {
        EXPECT_EQ(st.FitX(j), x[static_cast<std::size_t>(j - 1)]);
        EXPECT_NEAR(st.FitY(j), scale * y[static_cast<std::size_t>(j - 1)], 1e-14);
        EXPECT_NEAR(st.FitSigY(j), scale * 0.2, 1e-15);
    }
    // The chi-square read later from the same object: at the fitted angle
    // it is the minimum, less the stored offset of minimum + 1.
    const double angle = std::atan(f.b * scale);
    EXPECT_NEAR(s.STAT_ChiXY(angle), -1.0, 1e-9);
    EXPECT_NEAR(s.lineFitState().FitIntercept / scale, f.a, 1e-9);
    // ... and crosses zero where the errors were taken from.
    const double root = s.Root_zbrent(angle, angle + 0.1, 1E-30);
    EXPECT_NEAR(s.STAT_ChiXY(root), 0.0, 1e-6);
    EXPECT_GT(root, angle);

    // A second object keeps its own state.
    Sumtrix other;
    EXPECT_EQ(other.lineFitState().FitCount, 0);

    // All y equal: nothing is written, not even the count; the arrays are
    // dimensioned anew.
    Fit untouched;
    untouched.a = untouched.b = untouched.siga = untouched.sigb = untouched.chi2 = untouched.Q = 7.0;
    const Fit g = fitxy(s, {1, 2, 3}, {4, 4, 4}, {1, 1, 1}, {1, 1, 1}, untouched);
    EXPECT_EQ(g.a, 7.0);
    EXPECT_EQ(g.b, 7.0);
    EXPECT_EQ(g.sigb, 7.0);
    EXPECT_EQ(g.Q, 7.0);
    EXPECT_EQ(s.lineFitState().FitCount, 5);
    EXPECT_EQ(s.lineFitState().FitX.ubound(), 3);
}

TEST(FitXYErrors, ExactLineGivesZeroChiSquare)
{
    Sumtrix s;
    const Fit f = fitxy(s, {0, 1, 2, 3, 4}, {1, 4, 7, 10, 13}, std::vector<double>(5, 0.2), std::vector<double>(5, 0.2));
    EXPECT_NEAR(f.b, 3.0, 1e-9);
    EXPECT_NEAR(f.a, 1.0, 1e-8);
    EXPECT_NEAR(f.chi2, 0.0, 1e-18);
    EXPECT_NEAR(f.Q, 1.0, 1e-12);
    EXPECT_LT(f.siga, 1e30);
    EXPECT_LT(f.sigb, 1e30);
}

// Data that give the search no slope to start from. Each case runs in a
// child process that an alarm ends after 60 s, so a search that never ends
// fails its case instead of holding the suite; the child's exit status is
// 0 when the fit holds the expected values, else the library's error.
TEST(FitXYErrorsDeathTest, DataWithoutAStartingSlopeEndWithTheFitOrTheError)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::vector<double> half(5, 0.5);
    struct Case {
        const char* what;
        std::vector<double> x, y;
        std::function<bool(const Fit&)> holds;
        int exitCode;
    };
    const Case cases[] = {
        // Weighted starting slope 0 and the minimum there (the reference
        // table has the whole fit): chi2 = sum (y - 1.8)^2 / 0.5^2 = 11.2.
        {"starting slope 0", {1, 2, 3, 4, 5}, {1, 2, 3, 2, 1},
         [](const Fit& f) { return std::fabs(f.chi2 - 11.2) < 1e-9 && std::fabs(f.a - 1.8) < 1e-6; }, 0},
        {"starting slope 0, x far from zero", {1e6 + 1, 1e6 + 2, 1e6 + 3, 1e6 + 4, 1e6 + 5}, {1, 2, 3, 2, 1},
         [](const Fit& f) { return std::fabs(f.chi2 - 11.2) < 1e-6; }, 0},
        // Starting slope 0, y rescaled downwards: the chi-square falls
        // towards the vertical line, where it is Sxx / 0.5^2 = 40.
        {"starting slope 0, minimum at the vertical", {1, 2, 3, 4, 5}, {1, 3, 5, 3, 1},
         [](const Fit& f) { return std::fabs(f.chi2 - 40.0) < 1e-6 && std::fabs(f.b) > 1e6; }, 0},
        // All x equal: the division by the zero scale fails the call.
        {"all x equal", {2, 2, 2, 2, 2}, {1, 2, 3, 2, 1}, [](const Fit&) { return true; }, ErrDivisionByZero},
        {"all x equal, far from zero", {1e9, 1e9, 1e9, 1e9, 1e9}, {1, 2, 4, 8, 1}, [](const Fit&) { return true; },
         ErrDivisionByZero},
        // All y equal as well: nothing is computed or written.
        {"all x and all y equal", {2, 2, 2, 2, 2}, {3, 3, 3, 3, 3}, [](const Fit& f) { return f.a == 7.0 && f.Q == 7.0; },
         0},
    };
    for (const Case& c : cases) {
        EXPECT_EXIT(
            {
                alarm(60);
                Sumtrix s;
                Fit start;
                start.a = start.b = start.siga = start.sigb = start.chi2 = start.Q = 7.0;
                int code = 0;
                try {
                    code = c.holds(fitxy(s, c.x, c.y, half, half, start)) ? 0 : 1;
                } catch (const RuntimeError& e) {
                    code = e.number();
                }
                std::_Exit(code);
            },
            ::testing::ExitedWithCode(c.exitCode), "")
            << c.what;
    }
}

TEST(FitXYErrors, FaultsFailTheCall)
{
    Sumtrix s;
    Fit f;
    // All x equal: the scale is 0 and the division by it fails.
    EXPECT_EQ(errorOf([&] { fitxy(s, {2, 2, 2}, {1, 2, 4}, {1, 1, 1}, {1, 1, 1}); }), ErrDivisionByZero);
    // The chi-square with no stored points divides 0 by 0.
    Sumtrix fresh;
    EXPECT_THROW(fresh.STAT_ChiXY(0.3), RuntimeError);
    // SD arrays shorter than the data.
    EXPECT_THROW(fitxy(s, {1, 2, 3, 4}, {1, 3, 2, 5}, {1, 1}, {1, 1}), RuntimeError);
    // An angle that is not a number.
    fitxy(s, {1, 2, 3, 4}, {1, 3, 2, 5}, {1, 1, 1, 1}, {1, 1, 1, 1});
    EXPECT_THROW(s.STAT_ChiXY(std::string("steep")), RuntimeError);
    EXPECT_NO_THROW(s.STAT_ChiXY(std::string("0.5")));
}

TEST(FitXYErrors, SearchMessagesGoThroughTheSink)
{
    Sumtrix s;
    RecordingMessageSink sink;
    ScopedMessageSink scoped(sink);
    fitxy(s, {1, 2, 3, 4, 5}, {2.1, 3.9, 6.2, 7.8, 10.1}, std::vector<double>(5, 0.1), std::vector<double>(5, 0.2));
    ASSERT_TRUE(sink.entries.empty());

    // Both ends on one side of zero: the root finder says so and brackets
    // from (0, 0.5).
    const double root = s.Root_zbrent(0.5, 0.5, 1E-30);
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0].text, "Root is being bracketed for zbrent");
    EXPECT_EQ(sink.entries[0].icon, MessageIcon::None);
    EXPECT_EQ(sink.entries[0].title, LibraryTitle);
    EXPECT_TRUE(std::isfinite(root));

    // A tolerance that can never be met runs the iteration limit out.
    sink.entries.clear();
    double xmin = 0;
    const double fmin = s.Search_brent(0.6, 0.78, 1.0, -1.0, xmin);
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0].text, "BRENT function exceeded maximum iterations");
    EXPECT_EQ(sink.entries[0].icon, MessageIcon::Information);
    EXPECT_EQ(fmin, s.STAT_ChiXY(xmin));

    sink.entries.clear();
    s.Root_zbrent(0.785, 1.0, -1.0);
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0].text, "ZBRENT function exceeded maximum iterations");
    EXPECT_EQ(sink.entries[0].icon, MessageIcon::None);
}

TEST(FitXYErrors, BracketAndMinimumOfTheChiSquare)
{
    Sumtrix s;
    fitxy(s, {1, 2, 3, 4, 5}, {2.1, 3.9, 6.2, 7.8, 10.1}, std::vector<double>(5, 0.1), std::vector<double>(5, 0.2));
    // Start downhill or uphill: either way the bracket holds a minimum.
    for (const auto& [ax0, bx0] :
         {std::pair{0.0, 0.3}, std::pair{1.2, 1.0}, std::pair{0.3, 0.0}, std::pair{0.0, 0.0}, std::pair{1.0, 1.0}}) {
        double ax = ax0, bx = bx0, cx = 0, fa = 0, fb = 0, fc = 0;
        s.Search_mnbrak(ax, bx, cx, fa, fb, fc);
        EXPECT_LT(fb, fa) << ax0;
        EXPECT_LT(fb, fc) << ax0;
        EXPECT_GT((bx - ax) * (cx - bx), 0.0) << ax0;
        EXPECT_EQ(fa, s.STAT_ChiXY(ax));
        EXPECT_EQ(fc, s.STAT_ChiXY(cx));
        double xmin = 0;
        const double fmin = s.Search_brent(ax, bx, cx, 1E-30, xmin);
        EXPECT_NEAR(xmin, 0.785395690490283, 1e-9) << ax0;   // SciPy's minimiser, as in the table
        EXPECT_LE(fmin, fb);
    }
}

TEST(FitXYErrors, EqualErrorsReachTheClosedFormMinimum)
{
    // With the same SD for every x and for every y the chi-square is
    // (Syy - 2 b Sxy + b^2 Sxx) / (sx^2 (b^2 + l)), l = sy^2/sx^2, whose
    // minimum is Deming's slope
    //   b = (Syy - l Sxx + Sqr((Syy - l Sxx)^2 + 4 l Sxy^2)) / (2 Sxy),
    // and b = 0 where Sxy = 0 and l Sxx > Syy. The fit's search alone
    // stopped some 1E-9 to 1E-8 off it (9E-9 from 0 for the symmetric data)
    // and, with its residuals taken about the origin far from zero, 4E-7.
    struct Case {
        const char* what;
        std::vector<double> x, y;
        double sx, sy;
    };
    const std::vector<double> x8{1, 2, 3, 4, 5, 6, 7, 8}, y8{2.3, 2.9, 4.4, 4.1, 6.0, 6.2, 7.9, 8.1};
    auto shifted = [](std::vector<double> v, double by) {
        for (double& e : v)
            e += by;
        return v;
    };
    const std::vector<double> x5{1, 2, 3, 4, 5}, y5{1, 2, 3, 2, 1};
    const Case cases[] = {
        {"rising", x8, y8, 0.3, 0.5},
        {"rising, far from zero", shifted(x8, 1e6), shifted(y8, 1e6), 0.3, 0.5},
        {"falling, below zero far from it", shifted(x8, -1e6), shifted({8.1, 7.9, 6.2, 6.0, 4.1, 4.4, 2.9, 2.3}, -1e6),
         0.5, 0.2},
        {"flat: Sxy = 0", x5, y5, 0.5, 0.5},
        {"flat: Sxy = 0, x far from zero", shifted(x5, 1e6), y5, 0.5, 0.5},
    };
    for (const Case& c : cases) {
        Sumtrix s;
        const std::size_t n = c.x.size();
        const Fit f = fitxy(s, c.x, c.y, std::vector<double>(n, c.sx), std::vector<double>(n, c.sy));
        long double mx = 0, my = 0;
        for (std::size_t i = 0; i < n; ++i) {
            mx += c.x[i];
            my += c.y[i];
        }
        mx /= n;
        my /= n;
        long double Sxx = 0, Syy = 0, Sxy = 0;
        for (std::size_t i = 0; i < n; ++i) {
            Sxx += (c.x[i] - mx) * (c.x[i] - mx);
            Syy += (c.y[i] - my) * (c.y[i] - my);
            Sxy += (c.x[i] - mx) * (c.y[i] - my);
        }
        const long double l = static_cast<long double>(c.sy) * c.sy / (static_cast<long double>(c.sx) * c.sx);
        const long double d = Syy - l * Sxx;
        const double b = Sxy == 0 ? 0.0 : static_cast<double>((d + std::sqrt(d * d + 4 * l * Sxy * Sxy)) / (2 * Sxy));
        // The fit rescales every y, rounding it by eps |y|: far from zero
        // that moves the slope by up to about eps max|y| / Sqr(Sxx).
        double maxAbsY = 0;
        for (double v : c.y)
            maxAbsY = std::max(maxAbsY, std::fabs(v));
        const double db = 1e-13 * std::fabs(b) + 1e-15
                          + std::numeric_limits<double>::epsilon() * maxAbsY / std::sqrt(static_cast<double>(Sxx));
        EXPECT_NEAR(f.b, b, db) << c.what;
        // The intercept through the means moves with the slope by |mean x|.
        EXPECT_NEAR(f.a, static_cast<double>(my - b * mx),
                    1e-12 * std::fabs(static_cast<double>(my)) + db * std::fabs(static_cast<double>(mx)))
            << c.what;
    }
}
