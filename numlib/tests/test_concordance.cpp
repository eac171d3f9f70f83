// Concordance coefficients: Lin, Nickerson and Liao (STAT_CCC), and the
// generalized coefficients of King and Chinchilli (STAT_GCCC2, STAT_GCCC).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "concordance_kernels.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using namespace SumtrixLib::test_support;

namespace {
#include "reference/concordance_ccc_cases.inc"
#include "reference/concordance_gccc_cases.inc"

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
using Ccc = Sumtrix::ConcordanceCorrelation;
using Gccc = Sumtrix::GeneralizedConcordance;

// The library's 97.5 % normal point (AS 111) lies 2.3e-9 below qnorm's, so
// limits built on it differ from R's by that times the standard error.
constexpr double As111Distance = 3e-9;
// AS 66 (with its published constants) is within 1e-8 of pnorm.
constexpr double As66Distance = 2e-8;

void expectRelative(double actual, double expected, double tolerance, const char* what)
{
    EXPECT_NEAR(actual, expected, tolerance * std::max(1.0, std::fabs(expected))) << what;
}

// Statistics as the evaluation run hands them over: variances and the
// variance of the differences with divisor n - 1, covariance-based r.
struct Stats {
    double n, r, mx, my, vx, vy, vxy;
};
Stats statsOf(const std::vector<double>& x, const std::vector<double>& y)
{
    const double n = static_cast<double>(x.size());
    double mx = 0, my = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        mx += x[i];
        my += y[i];
    }
    mx /= n;
    my /= n;
    double sxx = 0, syy = 0, sxy = 0, sdd = 0, md = mx - my;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sxx += (x[i] - mx) * (x[i] - mx);
        syy += (y[i] - my) * (y[i] - my);
        sxy += (x[i] - mx) * (y[i] - my);
        const double d = x[i] - y[i] - md;
        sdd += d * d;
    }
    return {n, sxy / std::sqrt(sxx * syy), mx, my, sxx / (n - 1), syy / (n - 1), sdd / (n - 1)};
}
Ccc cccOf(const Stats& s)
{
    Sumtrix lib;
    return lib.STAT_CCC(static_cast<std::int32_t>(s.n), s.r, s.mx, s.my, s.vx, s.vy, s.vxy);
}

// Seeded pairs y = b x + e with x ~ N(mean, sd), e ~ N(shift, noise).
void simulate(std::uint64_t seed, std::size_t n, double mean, double sd, double b, double shift, double noise,
              std::vector<double>& x, std::vector<double>& y)
{
    std::mt19937_64 gen(seed);
    std::normal_distribution<double> normal;
    x.resize(n);
    y.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        x[i] = mean + sd * normal(gen);
        y[i] = b * x[i] + shift + noise * normal(gen);
    }
}

// The jackknife standard error of statistic(x, y) over leave-one-out samples.
template <class Statistic>
double jackknife(const std::vector<double>& x, const std::vector<double>& y, Statistic statistic)
{
    const std::size_t n = x.size();
    std::vector<double> values(n);
    for (std::size_t i = 0; i < n; ++i) {
        std::vector<double> xs = x, ys = y;
        xs.erase(xs.begin() + static_cast<std::ptrdiff_t>(i));
        ys.erase(ys.begin() + static_cast<std::ptrdiff_t>(i));
        values[i] = statistic(xs, ys);
    }
    double mean = 0;
    for (double v : values)
        mean += v;
    mean /= static_cast<double>(n);
    double ss = 0;
    for (double v : values)
        ss += (v - mean) * (v - mean);
    return std::sqrt(ss * static_cast<double>(n - 1) / static_cast<double>(n));
}

} // namespace

// ---- STAT_CCC ---------------------------------------------------------------------

// Against epiR::epi.ccc fed the same statistics (variances with divisor n),
// Nickerson's and Liao's closed forms, and Liao's standard error with the
// gradient from R's symbolic deriv().
TEST(Ccc, MatchesEpiRAndLiao)
{
    for (const CccCase& c : kCccCases) {
        SCOPED_TRACE(c.name);
        const Ccc o = cccOf({c.n, c.r, c.MeanX, c.MeanY, c.VarX, c.VarY, c.VarXY});
        if (!std::isnan(c.rc)) {
            expectRelative(o.V, c.V, 1e-13, "V");
            expectRelative(o.u, c.u, 1e-13, "u");
            expectRelative(o.Cb, c.Cb, 1e-13, "Cb");
            expectRelative(o.rc, c.rc, 1e-13, "rc");
            expectRelative(o.trc, c.trc, 1e-13, "trc");
            expectRelative(o.rc_Nickerson, c.rc_Nickerson, 1e-13, "rc_Nickerson");
            const double se = (c.zul95 - c.rc) / 1.959963984540054;
            EXPECT_NEAR(o.SErc, se, 1e-12 * se) << "SErc";
            EXPECT_NEAR(o.zll95, c.zll95, As111Distance * se + 1e-13) << "zll95";
            EXPECT_NEAR(o.zul95, c.zul95, As111Distance * se + 1e-13) << "zul95";
            EXPECT_NEAR(o.ztrcll95_2, c.ztrcll95_2, As111Distance * o.SEtrc + 1e-13) << "ztrcll95_2";
            EXPECT_NEAR(o.ztrcul95_2, c.ztrcul95_2, As111Distance * o.SEtrc + 1e-13) << "ztrcul95_2";
            EXPECT_NEAR(o.pz, c.pz, As66Distance) << "pz";
        }
        expectRelative(o.Ar, c.Ar, 1e-13, "Ar");
        expectRelative(o.Gr, c.Gr, 1e-13, "Gr");
        EXPECT_NEAR(o.SEGr, c.SEGr, 1e-11 * c.SEGr) << "SEGr";
        EXPECT_NEAR(o.Grz, c.Grz, 1e-11 * std::fabs(c.Grz)) << "Grz";
        EXPECT_NEAR(o.Grzll95, c.Grzll95, As111Distance * c.SEGr + 1e-13) << "Grzll95";
        EXPECT_NEAR(o.Grzul95, c.Grzul95, As111Distance * c.SEGr + 1e-13) << "Grzul95";
        expectRelative(o.tGr, c.tGr, 1e-13, "tGr");
        EXPECT_NEAR(o.SEtGr, c.SEtGr, 1e-11 * std::fabs(c.SEtGr)) << "SEtGr";
        EXPECT_NEAR(o.ztGrll95_2, c.ztGrll95_2, As111Distance * c.SEtGr + 1e-13) << "ztGrll95_2";
        EXPECT_NEAR(o.ztGrul95_2, c.ztGrul95_2, As111Distance * c.SEtGr + 1e-13) << "ztGrul95_2";
    }
}

// The worked example of n = 12, r = 0.8, means 10 and 11, variances 4 and 9,
// VarXY = 3.4, to six digits. Liao's standard error is 0.119333 with the
// gradient of Gr (the table above); a gradient whose first two components
// are not the partial derivatives of Gr, d = (-0.0736, -0.0582, 0.1177,
// 0.0790) against (-0.0531, -0.0120, 0.1177, 0.0790), gives 0.128034.
TEST(Ccc, WorkedExample)
{
    const Ccc o = cccOf({12, 0.8, 10, 11, 4, 9, 3.4});
    const struct {
        double actual, expected;
        const char* name;
    } values[] = {
        {o.V, 1.5, "V"},           {o.u, 0.408248, "u"},         {o.Cb, 0.857143, "Cb"},
        {o.rc, 0.685714, "rc"},    {o.SErc, 0.133248, "SErc"},   {o.z, 5.14615, "z"},
        {o.trc, 0.839821, "trc"},  {o.SEtrc, 0.251508, "SEtrc"}, {o.ztrc, 3.33914, "ztrc"},
        {o.rc_Nickerson, 0.699878, "rc_Nickerson"}, {o.Ar, 0.819277, "Ar"}, {o.Gr, 0.655422, "Gr"},
        {o.tGr, 0.784745, "tGr"},  {o.SEGr, 0.119333, "SEGr"},
    };
    // half a unit in the sixth significant digit
    for (const auto& v : values)
        EXPECT_NEAR(v.actual, v.expected, 0.5 * std::pow(10.0, std::floor(std::log10(std::fabs(v.expected))) - 5))
            << v.name;
    EXPECT_NEAR(o.rc, 0.8 * o.Cb, 1e-15);
}

// Liao's standard error is sqrt(d' S d / n) with d the gradient of Gr over
// (VarY, VarX, Sxy, MeanX - MeanY). Here d comes from central differences
// of the Gr that STAT_CCC itself returns, each input moved with the other
// three held (r adjusted to keep Sxy), and S is the asymptotic covariance.
TEST(Ccc, LiaoStandardErrorHasTheGradientOfGr)
{
    const Stats cases[] = {
        {12, 0.8, 10, 11, 4, 9, 3.4},
        {40, -0.35, 3.2, 2.1, 1.7, 0.6, 2.9},
        {200, 0.97, 100, 100.5, 25, 27, 1.6},
    };
    for (const Stats& s : cases) {
        SCOPED_TRACE(s.r);
        const double a = s.vy, b = s.vx, c = s.r * std::sqrt(s.vx * s.vy), e = s.mx - s.my;
        const auto gr = [&](double da, double db, double dc, double de) {
            const double va = a + da, vb = b + db;
            return cccOf({s.n, (c + dc) / std::sqrt(va * vb), s.mx + de, s.my, vb, va, s.vxy}).Gr;
        };
        const double ha = 1e-5 * a, hb = 1e-5 * b, hc = 1e-5 * std::fabs(c), he = 1e-5 * std::max(1.0, std::fabs(e));
        const double d[4] = {(gr(ha, 0, 0, 0) - gr(-ha, 0, 0, 0)) / (2 * ha),
                             (gr(0, hb, 0, 0) - gr(0, -hb, 0, 0)) / (2 * hb),
                             (gr(0, 0, hc, 0) - gr(0, 0, -hc, 0)) / (2 * hc),
                             (gr(0, 0, 0, he) - gr(0, 0, 0, -he)) / (2 * he)};
        const double sx = std::sqrt(b), sy = std::sqrt(a), r = s.r;
        const double S[4][4] = {
            {2 * std::pow(sy, 4), 2 * r * r * sx * sx * sy * sy, 2 * r * sx * std::pow(sy, 3), 0},
            {2 * r * r * sx * sx * sy * sy, 2 * std::pow(sx, 4), 2 * r * std::pow(sx, 3) * sy, 0},
            {2 * r * sx * std::pow(sy, 3), 2 * r * std::pow(sx, 3) * sy, (r * r + 1) * sx * sx * sy * sy, 0},
            {0, 0, 0, sx * sx + sy * sy - 2 * r * sx * sy},
        };
        double q = 0;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                q += d[i] * S[i][j] * d[j];
        const double se = std::sqrt(q / s.n);
        EXPECT_NEAR(cccOf(s).SEGr, se, 1e-7 * se);
    }
}

// On simulated normal data the delta-method standard error of Gr agrees
// with the jackknife. (That wrong gradient makes it 2.7 to 130 times too
// large on these sets.)
TEST(Ccc, LiaoStandardErrorMatchesJackknife)
{
    const struct {
        const char* name;
        double sd, b, shift, noise;
    } settings[] = {
        {"near agreement", 2, 1.0, 0.0, 0.3},
        {"shifted", 2, 1.0, 1.5, 0.5},
        {"scaled", 1, 2.0, -10, 0.5},
    };
    std::uint64_t seed = 11;
    for (const auto& set : settings) {
        for (std::size_t n : {200u, 500u}) {
            SCOPED_TRACE(std::string(set.name) + " n " + std::to_string(n));
            std::vector<double> x, y;
            simulate(++seed, n, 10, set.sd, set.b, set.shift, set.noise, x, y);
            const double se = cccOf(statsOf(x, y)).SEGr;
            const double jack = jackknife(x, y, [](const auto& xs, const auto& ys) { return cccOf(statsOf(xs, ys)).Gr; });
            EXPECT_NEAR(se / jack, 1.0, 0.15);
        }
    }
}

// Degenerate statistics: which outputs are written, which keep the caller's
// value (here -7), which take an IEEE infinity or NaN.
TEST(Ccc, DegenerateInput)
{
    Sumtrix lib;
    const auto run = [&](std::int32_t n, double r, double mx, double my, double vx, double vy, double vxy) {
        std::vector<double> o(40, -7.0);
        lib.STAT_CCC(n, r, mx, my, vx, vy, o[6], o[7], o[8], o[9], o[10], o[11], o[12], o[13], o[14], o[15],
                     o[16], o[17], o[18], o[19], o[20], o[21], o[22], vxy, o[24], o[25], o[26], o[27], o[28],
                     o[29], o[30], o[31], o[32], o[33], o[34], o[35], o[36], o[37], o[38], o[39]);
        return o;
    };
    // indexes of the outputs in parameter order (0-based)
    enum { Cb = 6, u, V, rc, SErc, z, pz, zll95, zul95, trc, SEtrc, ztrc, pztrc, tll1, tul1, tll2, tul2,
           Nick = 24, Ar, Gr, SEGr, Grz, pGrz, Grll, Grul, tGr, SEtGr, tGrz, ptGrz, tGll1, tGll2, tGul1, tGul2 };
    const double inf = std::numeric_limits<double>::infinity();
    {
        SCOPED_TRACE("X identical to Y");
        const auto o = run(10, 1, 5, 5, 4, 4, 0);
        EXPECT_EQ(o[rc], 1);
        EXPECT_EQ(o[SErc], 0);
        EXPECT_EQ(o[z], 0) << "no division by a zero SErc";
        EXPECT_EQ(o[pz], 1);
        EXPECT_EQ(o[zll95], 1);
        EXPECT_EQ(o[zul95], 1);
        for (int k = trc; k <= tul2; ++k)
            EXPECT_EQ(o[k], -7) << "Fisher z of rc skipped, output " << k;
        EXPECT_EQ(o[Nick], 1);
        EXPECT_EQ(o[Ar], 1);
        EXPECT_EQ(o[Gr], 1);
        // Gr is 1 whatever the sample when X = Y: its gradient is
        // (-0.5, -0.5, 1, 0)/VarX and d' S d = 0 (the wrong gradient,
        // (-1.5, -1.5, 1, 0)/VarX, makes it sqrt(8/n)).
        EXPECT_EQ(o[SEGr], 0);
        EXPECT_EQ(o[Grz], inf);
        EXPECT_EQ(o[pGrz], 0);
        EXPECT_EQ(o[tGr], -7) << "1/(1 - Gr) fails inside the logarithm's argument";
        EXPECT_TRUE(std::isnan(o[SEtGr])) << "0/0 of the last division is stored";
    }
    {
        SCOPED_TRACE("r = 0");
        const auto o = run(20, 0, 1, 2, 1, 1, 2);
        EXPECT_EQ(o[rc], 0);
        EXPECT_EQ(o[SErc], 0) << "0/0 inside the bracket leaves var_rc at 0";
        EXPECT_EQ(o[z], 0);
        EXPECT_EQ(o[pz], 1);
        EXPECT_EQ(o[zll95], 0);
        EXPECT_EQ(o[zul95], 0);
    }
    {
        SCOPED_TRACE("n = 2");
        const auto o = run(2, 0.5, 1, 2, 1, 2, 1);
        EXPECT_EQ(o[SErc], inf) << "the final division by n - 2 = 0 stores its infinity";
        EXPECT_EQ(o[z], 0);
        EXPECT_EQ(o[pz], 1);
        EXPECT_EQ(o[zll95], -inf);
        EXPECT_EQ(o[zul95], inf);
        EXPECT_TRUE(std::isfinite(o[Gr]) && std::isfinite(o[SEGr]));
    }
    {
        SCOPED_TRACE("far beyond 7 standard errors");
        const auto o = run(100000, 0.92, 50, 51, 63.8, 60.5, 9.5);
        EXPECT_EQ(o[pz], 0);
        EXPECT_EQ(o[pGrz], 0);
    }
    {
        SCOPED_TRACE("n = 0, a negative variance, not a number");
        const auto zero = run(0, 0.5, 1, 2, 1, 2, 1);
        EXPECT_EQ(zero[Nick], -7) << "VarXY / 0 faults inside";
        EXPECT_EQ(zero[SEGr], -7) << "q / 0 faults inside";
        const auto negative = run(10, 0.5, 1, 2, -1, 2, 1);
        EXPECT_EQ(negative[V], inf) << "sX stays 0: sY / 0";
        EXPECT_EQ(negative[rc], 0) << "Sxy stays 0";
        // arithmetic on a NaN is a fault: Sxy takes it from its last
        // operation, rc (which doubles it first) keeps the caller's value
        const auto nan = run(10, NaN, 1, 2, 1, 2, 1);
        EXPECT_EQ(nan[rc], -7);
        EXPECT_EQ(nan[V], std::sqrt(2.0));
    }
}

// ---- STAT_GCCC2 ---------------------------------------------------------------------

namespace {

std::vector<Gccc> gccc2(const std::vector<double>& x, const std::vector<double>& y, double P)
{
    Sumtrix lib;
    const auto r = lib.STAT_GCCC2(static_cast<std::int32_t>(x.size()), base1(x), base1(y), P);
    return {r.begin(), r.end()};
}

double field(const Gccc& g, int q)
{
    const double v[8] = {g.rg, g.se_rg, g.z, g.se_z, g.z_lcl, g.z_ucl, g.lcl, g.ucl};
    return v[q];
}
const char* const kFields[8] = {"rg", "se_rg", "z", "se_z", "z_lcl", "z_ucl", "lcl", "ucl"};

bool same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

// Lin's concordance correlation coefficient with divisor-n moments.
double lin(const std::vector<double>& x, const std::vector<double>& y)
{
    long double mx = 0, my = 0;
    const auto n = static_cast<long double>(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        mx += x[i];
        my += y[i];
    }
    mx /= n;
    my /= n;
    long double sxx = 0, syy = 0, sxy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sxx += (x[i] - mx) * (x[i] - mx);
        syy += (y[i] - my) * (y[i] - my);
        sxy += (x[i] - mx) * (y[i] - my);
    }
    return static_cast<double>(2 * sxy / (sxx + syy + n * (mx - my) * (mx - my)));
}

// Whether Fisher's z of rg keeps digits in double precision (see below).
bool zHasDigits(double rg)
{
    return 1.0 - std::fabs(rg) > 1e-6;
}

} // namespace

// Against the brute force over ordered pairs (50-digit decimal arithmetic
// up to n = 1000, numpy double precision at n = 2000): within 1e-12 of the
// larger of the value and 1, for every variant of every set, the sets far
// from zero included (1e6 +- 10, 1e6 +- 3, 1e9 +- 3, -1e9 +- 3, 1e9 at P =
// 0.5 and 2.5, 1e9 with the mean of the sums beyond Delta), two of 300
// nearly distinct values on which the power variants' tree sums take their
// expansions, and data on one side of zero with one value far from them
// (1e6 to 1e15, above and below zero, in x or in y, n = 20 to 1000, P =
// 0.5, 0.7, 1.5, 2.5 and 3), two far values, 40 far observations, a far
// value among data at 1e6 and one on the other side of zero.
//
// Where rg lies within 1e-6 of 1 (observations far in both x and y
// dominate the unclipped distances), Fisher's z amplifies the rounding of
// rg by 1 / (1 - rg^2) > 5e5, up to rg rounding to 1 where the exact z is
// 25: the z-scale values and their limits have no digits to compare in
// double precision; rg and its standard error still do.
//
// Far from zero the kernel terms of variants 2 to 7 grow with the data's
// distance from zero (g(2 x_i) and g(x_i + y_j) are near g(2 mean)) while rg
// rests on their differences; computed as they stand they kept 7 to 10
// digits at 1e6 and 3 to 7 at 1e9, and Huber's variant none (its quadratic
// pieces are 4e18 with differences about 10). The library takes these
// terms less an affine function of the distance from 2 mean, which cancels
// exactly from rg, so the terms keep the size of the data's spread: the
// worst case seen is 1.5e-13 (variant 1 at rg = 0.9986, its z-scale limits
// amplify the rounding of rg by 1 / (1 - rg^2) = 360), below 1e-12 with
// room for other compilers and processors.
TEST(Gccc2, MatchesBruteForce)
{
    for (const GcccCase& c : kGcccCases) {
        SCOPED_TRACE(c.name);
        const auto got = gccc2(c.x, c.y, c.P);
        for (int k = 1; k <= 7; ++k) {
            SCOPED_TRACE("variant " + std::to_string(k));
            const double tolerance = 1e-12;
            const auto& expected = c.expected[static_cast<std::size_t>(k - 1)];
            for (int q = 0; q < 8; ++q) {
                if (q >= 2 && !zHasDigits(expected[0]))
                    continue;
                const double e = expected[static_cast<std::size_t>(q)];
                const double a = field(got[static_cast<std::size_t>(k - 1)], q);
                if (std::isnan(e))
                    EXPECT_TRUE(std::isnan(a)) << kFields[q] << " has no value: rg outside (-1, 1)";
                else
                    EXPECT_NEAR(a, e, tolerance * std::max(1.0, std::fabs(e))) << kFields[q];
            }
        }
    }
}

// The power distances (variants 3 and 6) take their cross sums from the
// tree sums instead of all pairs. Against the literal double loop (sets up
// to 300 pairs) or the all-pairs rows (larger sets; the kernel tests hold
// those to the literal loop): within 1e-12 of the larger of the value and 1
// for every result of every variant, on every brute-force set above (tidy,
// ties, heavy tails, 1e6 and 1e9 from zero, P = 0.5, 1.5 and 2.5, Delta
// below 0, n = 3 to 2000) and on sets of 20,000 pairs: continuous around
// 20, integers (ties), around 1e6 and -1e9 (centred and expanded), and
// negative data whose Delta is below 0. The worst seen is 5.3e-14 (variant
// 3's z-scale values on the 20,000 integers, where both sums round over
// 20,000 terms per observation). The z-scale values are left out where rg
// lies within 1e-6 of 1, as in the comparison above. The results do not
// depend on the number of threads, in any bit.
TEST(Gccc2, TreeSumsAgreeWithTheLiteralLoop)
{
    Sumtrix lib;
    const auto check = [&](const char* name, const std::vector<double>& x, const std::vector<double>& y, double P) {
        SCOPED_TRACE(name);
        const auto n = static_cast<std::int32_t>(x.size());
        const BoundedArray<double> bx = base1(x), by = base1(y);
        const auto reference = detail::gccc2WithPath(
            lib, n, bx, by, P, n <= 300 ? detail::GcccPath::Literal : detail::GcccPath::AllPairs);
        const auto got = detail::gccc2WithPath(lib, n, bx, by, P, detail::GcccPath::Fast);
        for (std::size_t k = 0; k < 7; ++k) {
            for (int q = 0; q < 8; ++q) {
                if (q >= 2 && !zHasDigits(reference[k].rg))
                    continue;
                const double e = field(reference[k], q), a = field(got[k], q);
                if (std::isnan(e))
                    EXPECT_TRUE(std::isnan(a)) << "variant " << k + 1 << " " << kFields[q];
                else
                    EXPECT_NEAR(a, e, 1e-12 * std::max(1.0, std::fabs(e))) << "variant " << k + 1 << " " << kFields[q];
            }
        }
        if (n > 10000) {
            const auto one = detail::gccc2WithPath(lib, n, bx, by, P, detail::GcccPath::Fast, 1);
            const auto six = detail::gccc2WithPath(lib, n, bx, by, P, detail::GcccPath::Fast, 6);
            for (std::size_t k = 0; k < 7; ++k)
                for (int q = 0; q < 8; ++q) {
                    EXPECT_TRUE(same(field(one[k], q), field(got[k], q))) << "one thread " << kFields[q];
                    EXPECT_TRUE(same(field(six[k], q), field(got[k], q))) << "six threads " << kFields[q];
                }
        }
    };
    for (const GcccCase& c : kGcccCases)
        check(c.name, c.x, c.y, c.P);

    const struct {
        const char* name;
        double mean, sd, b, shift, noise, P;
        bool integers;
    } large[] = {
        {"20,000 around 20", 20, 3, 0.9, 2.5, 1.5, 1.5, false},
        {"20,000 integers", 4, 2, 0.8, 1, 1, 1.5, true},
        {"20,000 around 1e6", 1e6, 10, 1, 0.5, 3, 0.5, false},
        {"20,000 around -1e9", -1e9, 3, 1, -0.5, 1, 2.5, false},
        {"20,000 with Delta below 0", -10, 1, 1, 9, 1, 1.5, false},
    };
    std::uint64_t seed = 20261214;
    for (const auto& l : large) {
        std::vector<double> x, y;
        simulate(++seed, 20000, l.mean, l.sd, l.b, l.mean * (1 - l.b) + l.shift, l.noise, x, y);
        if (l.integers) {
            for (std::size_t i = 0; i < x.size(); ++i) {
                x[i] = std::round(x[i]);
                y[i] = std::round(y[i]);
            }
        }
        check(l.name, x, y, l.P);
    }
}

// The squared distance gives Lin's coefficient with divisor-n moments, for
// data far from zero too (the variant runs on centred data), and for
// 100,000 pairs.
TEST(Gccc2, SquaredDistanceIsLinsCoefficient)
{
    Sumtrix lib;
    const struct {
        double mean, sd;
        std::size_t n;
    } sets[] = {{0, 1, 50}, {20, 3, 400}, {1e6, 10, 300}, {1e9, 2, 300}, {-5, 0.1, 3}, {50, 8, 100000}};
    std::uint64_t seed = 40;
    for (const auto& s : sets) {
        SCOPED_TRACE(s.mean);
        std::vector<double> x, y;
        simulate(++seed, s.n, s.mean, s.sd, 0.9, 0.1 * s.mean + 0.5, s.sd / 2, x, y);
        double rg = NaN, se = NaN, z = NaN, sez = NaN, zl = NaN, zu = NaN, l = NaN, u = NaN;
        lib.STAT_GCCC(static_cast<std::int32_t>(s.n), base1(x), base1(y), rg, se, z, sez, zl, zu, l, u, 1, 1.5);
        EXPECT_NEAR(rg, lin(x, y), 1e-12);
        if (s.n <= 400) {
            EXPECT_EQ(gccc2(x, y, 1.5)[0].rg, rg) << "STAT_GCCC code 1 is variant 1";
        }
    }
}

// Exponents 2 and 1 turn the power variants into the squared and absolute
// ones; a Delta above every magnitude leaves the clipped and Huber variants
// equal to the unclipped ones (Huber's g is then u^2/2).
TEST(Gccc2, VariantsThatCoincide)
{
    std::vector<double> x, y;
    simulate(7, 60, 3, 1, 0.8, 0.4, 0.6, x, y);
    const auto two = gccc2(x, y, 2.0);
    const auto one = gccc2(x, y, 1.0);
    for (int q = 0; q < 8; ++q) {
        SCOPED_TRACE(kFields[q]);
        EXPECT_NEAR(field(two[2], q), field(two[0], q), 1e-12) << "3 = 1 at P = 2";
        EXPECT_NEAR(field(two[5], q), field(two[3], q), 1e-12) << "6 = 4 at P = 2";
        EXPECT_NEAR(field(one[2], q), field(one[1], q), 1e-12) << "3 = 2 at P = 1";
        EXPECT_NEAR(field(one[5], q), field(one[4], q), 1e-12) << "6 = 5 at P = 1";
    }

    // Delta = 6.74 exceeds every |x_i -+ y_j| and |2 x_i| (at most 6).
    const std::vector<double> a{1, 2, 3}, b{1, 2.5, 3};
    for (double P : {1.5, 0.7}) {
        const auto g = gccc2(a, b, P);
        for (int q = 0; q < 8; ++q) {
            SCOPED_TRACE(kFields[q]);
            EXPECT_NEAR(field(g[3], q), field(g[0], q), 1e-12) << "4 = 1";
            EXPECT_NEAR(field(g[5], q), field(g[2], q), 1e-12) << "6 = 3";
            EXPECT_NEAR(field(g[4], q), field(g[1], q), 1e-12) << "5 = 2";
            EXPECT_NEAR(field(g[6], q), field(g[0], q), 1e-12) << "7 = 1";
        }
    }
}

// Negative data with x well below y make both terms of Delta negative:
// every argument is limited, KD and KX vanish and rg = 0 with a standard
// error of 0 for variants 4 to 6 (the ratio form of the delta method had no
// value at Num = 0 and kept the previous variant's variance).
TEST(Gccc2, DeltaBelowZero)
{
    const auto g = gccc2({-10, -11, -12, -10.5, -11.5}, {-1, -2, -3, -1.5, -2.5}, 1.5);
    for (int k = 4; k <= 6; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(g[static_cast<std::size_t>(k - 1)].rg, 0);
        EXPECT_EQ(g[static_cast<std::size_t>(k - 1)].se_rg, 0);
        EXPECT_EQ(g[static_cast<std::size_t>(k - 1)].lcl, 0);
    }
    EXPECT_GT(g[2].se_rg, 0) << "variant 3 has a variance of its own";
}

// The symmetrised projection of the cross kernel gives a standard error
// that agrees with the jackknife for data not centred at 0 (the row-only
// projection gave 0.103, 0.035 and 0.065 for variants 1 to 3 here, against
// jackknifes of 0.024, 0.027 and 0.027). The clipped variants are left out:
// their bound Delta moves with every left-out observation, which their
// delta method, taking Delta as fixed, does not see.
TEST(Gccc2, StandardErrorMatchesJackknife)
{
    std::vector<double> x, y;
    simulate(2026, 300, 20, 2, 0.8, 4, 1.2, x, y);
    const auto g = gccc2(x, y, 1.5);
    for (int k : {1, 2, 3, 7}) {
        SCOPED_TRACE(k);
        Sumtrix lib;
        const double jack = jackknife(x, y, [&](const auto& xs, const auto& ys) {
            return lib.STAT_GCCC(static_cast<std::int32_t>(xs.size()), base1(xs), base1(ys), k == 7 ? 6 : k, 1.5).rg;
        });
        EXPECT_NEAR(g[static_cast<std::size_t>(k - 1)].se_rg / jack, 1.0, 0.1);
    }
}

// Bad input never fails the call; each output is either computed, NaN or
// infinite from a step that stored its IEEE result, or left as it was.
TEST(Gccc2, BadInput)
{
    Sumtrix lib;
    const auto run = [&](std::int32_t n, const BoundedArray<double>& x, const BoundedArray<double>& y,
                         std::int32_t size = 7) {
        std::vector<BoundedArray<double>> o(8, BoundedArray<double>(0, size));
        for (auto& a : o)
            std::fill(a.data().begin(), a.data().end(), -7.0);
        lib.STAT_GCCC2(n, x, y, o[0], o[1], o[2], o[3], o[4], o[5], o[6], o[7], 1.5);
        return o;
    };
    {
        SCOPED_TRACE("x = y");
        const auto v = base1({1, 2, 4, 7, 3});
        const auto o = run(5, v, v);
        for (int k = 1; k <= 3; ++k) {
            EXPECT_NEAR(o[0](k), 1.0, 1e-14);
            if (o[0](k) == 1.0) {
                EXPECT_EQ(o[2](k), -7) << "z of rg = 1 is not written";
            }
        }
    }
    {
        SCOPED_TRACE("not a number");
        const auto o = run(6, base1({1, NaN, 3, 4, 5, 6}), base1({1.5, 2, 2.5, NaN, 5, 6.5}));
        for (int k = 1; k <= 7; ++k)
            EXPECT_NE(o[0](k), -7) << "rg of variant " << k << " is written";
        EXPECT_EQ(o[0](0), -7) << "element 0 untouched";
    }
    {
        SCOPED_TRACE("result arrays with fewer than 7 elements");
        const auto o = run(4, base1({1, 2, 3, 4}), base1({1, 3, 2, 4}), 5);
        EXPECT_NE(o[0](5), -7);
        EXPECT_EQ(o[0](0), -7);
    }
    {
        SCOPED_TRACE("constant column");
        const auto o = run(5, base1({2, 2, 2, 2, 2}), base1({1, 3, 2, 5, 4}));
        EXPECT_NEAR(o[0](1), 0.0, 1e-15);
        EXPECT_TRUE(std::isfinite(o[1](1))) << "se_rg where Num is 0";
    }
    {
        SCOPED_TRACE("n = 2, 1, 0");
        for (std::int32_t n : {2, 1, 0}) {
            const auto o = run(n, base1({1, 2}), base1({1.5, 2.5}));
            if (n == 2) {
                EXPECT_TRUE(std::isnan(o[4](1))) << "no t quantile with 0 degrees of freedom";
            }
        }
    }
    {
        SCOPED_TRACE("values beyond 1e100 take the literal sums");
        const auto o = run(4, base1({1e150, 2e150, 3e150, 4e150}), base1({1e150, 3e150, 2e150, 4e150}));
        EXPECT_NE(o[0](2), -7);
    }
}

// A count that the data arrays cannot back fails both calls with error 9
// before any work array is allocated or any pair is visited (n = 1,000,000
// with ten pairs ran for minutes, n = 2e8 took 21.9 GB), and leaves the
// outputs as they were.
TEST(Gccc2, CountBeyondTheArrays)
{
    Sumtrix lib;
    const std::vector<double> ten{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const BoundedArray<double> x = base1(ten), y = base1(ten), fromTwo(2, {2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    const BoundedArray<double> unallocated;
    const struct {
        const char* what;
        std::int32_t n;
        const BoundedArray<double>& x;
        const BoundedArray<double>& y;
    } cases[] = {
        {"n below 0", -1, x, y},
        {"one pair more than x and y hold", 11, x, y},
        {"a million pairs, ten given", 1000000, x, y},
        {"two hundred million pairs", 200000000, x, y},
        {"the largest count", INT32_MAX, x, y},
        {"y without element 1", 5, x, fromTwo},
        {"x unallocated", 3, unallocated, y},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BoundedArray<double> r(0, 7);
        std::fill(r.data().begin(), r.data().end(), -7.0);
        EXPECT_EQ(errorOf([&] { lib.STAT_GCCC2(c.n, c.x, c.y, r, r, r, r, r, r, r, r, 1.5); }), ErrSubscript);
        EXPECT_EQ(r(1), -7);
        for (std::int32_t code : {1, 3, 5, 9}) {
            double o = -7;
            EXPECT_EQ(errorOf([&] { lib.STAT_GCCC(c.n, c.x, c.y, o, o, o, o, o, o, o, o, code, 1.5); }),
                      ErrSubscript)
                << "code " << code;
            EXPECT_EQ(o, -7);
        }
    }
}

// ---- STAT_GCCC ----------------------------------------------------------------------

// Codes 1 to 6 are variants 1, 2, 3, 4, 6, 7; code 5 with P = 1 is
// variant 5; other codes write nothing; the exponent matters to codes 3 and
// 5 only.
TEST(Gccc, CodesSelectVariants)
{
    Sumtrix lib;
    std::vector<double> xs, ys;
    simulate(99, 80, 12, 3, 0.85, 2.2, 1.5, xs, ys);
    const auto x = base1(xs), y = base1(ys);
    const auto all = gccc2(xs, ys, 1.5);
    const auto withOne = gccc2(xs, ys, 1.0);
    const int variantOf[] = {0, 1, 2, 3, 4, 6, 7};
    for (std::int32_t code = 1; code <= 6; ++code) {
        SCOPED_TRACE(code);
        const Gccc g = lib.STAT_GCCC(80, x, y, code, 1.5);
        const Gccc& want = all[static_cast<std::size_t>(variantOf[code] - 1)];
        for (int q = 0; q < 8; ++q)
            EXPECT_NEAR(field(g, q), field(want, q), 1e-13) << kFields[q];
        if (code != 3 && code != 5) {
            const Gccc h = lib.STAT_GCCC(80, x, y, code, -2.0);
            EXPECT_EQ(h.rg, g.rg) << "P not used";
        }
    }
    const Gccc five = lib.STAT_GCCC(80, x, y, 5, 1.0);
    for (int q = 0; q < 8; ++q)
        EXPECT_NEAR(field(five, q), field(withOne[4], q), 1e-13) << kFields[q];

    for (std::int32_t code : {0, 7, -1}) {
        double o[8] = {-7, -7, -7, -7, -7, -7, -7, -7};
        lib.STAT_GCCC(80, x, y, o[0], o[1], o[2], o[3], o[4], o[5], o[6], o[7], code, 1.5);
        for (double v : o)
            EXPECT_EQ(v, -7) << "code " << code;
    }
}
