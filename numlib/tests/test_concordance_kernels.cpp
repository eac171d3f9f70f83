// The kernel sums of the generalized concordance coefficients: the fast
// sums against the literal double loop over i and j.
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "concordance_kernels.hpp"

using namespace SumtrixLib::detail;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Pairs around `centre` on a grid of spread/8, so that values tie, with the
// clipped copies of variants 4 to 6 for the bound Delta, and the centred
// copies for data on one side of zero (used when `far` is set).
struct Data {
    std::vector<double> x, y, clipD, clipS, clipX, clipY;
    double Delta = 0;
    GcccCentre centre;
    bool far = false;

    // `bound`: Delta is 2 |centre| + bound * spread. `far`: x(5) becomes
    // far, and y(5) far + spread/4 with `farY` (within Delta of x(5)).
    Data(std::uint64_t seed, std::size_t n, double centreOfData, double spread, double bound = 1.2, double far = 0,
         bool farY = false)
        : x(n + 1), y(n + 1), clipD(n + 1), clipS(n + 1), clipX(n + 1), clipY(n + 1)
    {
        std::mt19937_64 gen(seed);
        std::normal_distribution<double> normal;
        const double step = spread / 8;
        for (std::size_t i = 1; i <= n; ++i) {
            x[i] = centreOfData + std::round(spread * normal(gen) / step) * step;
            y[i] = centreOfData + std::round((x[i] - centreOfData + 0.6 * spread * normal(gen)) / step) * step;
        }
        if (far != 0) {
            x[5] = far;
            if (farY)
                y[5] = far + spread / 4;
        }
        // 1.2: a bound that cuts through the sums and some of the differences
        Delta = 2 * std::fabs(centreOfData) + bound * spread;
        clip();
    }
    // Hands the pass the centred data; false when they are not on one side
    // of zero.
    bool centred()
    {
        centre = gcccCentre(x.data(), y.data(), static_cast<std::int32_t>(x.size() - 1));
        far = centre.side != 0;
        return far;
    }
    void clip()
    {
        for (std::size_t i = 1; i < x.size(); ++i) {
            clipD[i] = std::fabs(x[i] - y[i]) > Delta ? Delta : x[i] - y[i];
            clipS[i] = std::fabs(x[i] + y[i]) > Delta ? Delta : x[i] + y[i];
            const bool limited = std::fabs(2 * x[i]) > Delta || std::fabs(2 * y[i]) > Delta;
            clipX[i] = limited ? Delta / 2 : x[i];
            clipY[i] = limited ? Delta / 2 : y[i];
        }
    }
    GcccPassData pass(int variant, double P) const
    {
        GcccPassData d;
        d.kind = gcccKind(variant, variant == 5 ? 1.0 : P);
        d.n = static_cast<std::int32_t>(x.size() - 1);
        d.x = x.data();
        d.y = y.data();
        d.clipD = clipD.data();
        d.clipS = clipS.data();
        d.clipX = clipX.data();
        d.clipY = clipY.data();
        d.P = variant == 5 ? 1.0 : P;
        d.Delta = Delta;
        if (far) {
            d.side = centre.side;
            d.xc = centre.xc.data();
            d.yc = centre.yc.data();
            d.twoCentre = std::fabs(2 * centre.c);
            d.DeltaShift = Delta - d.twoCentre;
        }
        return d;
    }
};

struct Sums {
    GcccKernels k;
    GcccTerms t;
};
Sums run(const GcccPassData& d, GcccPath path, unsigned threads = 0, GcccTerms start = {})
{
    Sums r;
    r.t = start;
    gcccKernelPass(d, r.t, r.k, path, threads);
    return r;
}

const std::vector<double>& array(const GcccKernels& k, int a)
{
    return a == 0 ? k.KD : a == 1 ? k.KT : a == 2 ? k.KX : k.KXt;
}
const char* const kArrays[] = {"KD", "KT", "KX", "KXt"};

std::vector<double> termsOf(const GcccTerms& t)
{
    return {t.pairD, t.pairS, t.pairX, t.pairY, t.crossD, t.crossS, t.ownD, t.ownS, t.ownX, t.ownY, t.ownD2, t.ownS2};
}

bool same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

// The fast sums (sorted data and prefix sums, vectorised rows for the
// powers) equal the literal loop to 1e-12 of the largest sum, for data
// around 0, 20 and 1e6 with ties, n not a multiple of the eight lanes, and
// leave the terms exactly as the literal loop does. Data on one side of
// zero run again centred, with their terms expanded about 2c, also at
// +-1e9 and with Delta beyond 2c (1.2), short of it (-0.8: the limited
// terms become 0), below 0 (every argument limited) and at 3 below zero
// (every sum limited, the differences not). One far value (1e12 among data
// around 20, -1e15 among data around -1e6, far in x and in y at 1e10) is
// left out of the fast sums of centred data and summed pair by pair; in raw
// data around 0, x and y of one observation at -1e12, within Delta of each
// other, take their window sums about their own values.
TEST(GcccKernels, FastSumsEqualTheLiteralLoop)
{
    const struct {
        double centre, spread, bound;
        bool far;
        double farValue;
        bool farY;
    } scales[] = {{0, 1, 1.2, false, 0, false},     {20, 2, 1.2, false, 0, false},
                  {1e6, 10, 1.2, false, 0, false},  {-3, 5, 1.2, false, 0, false},
                  {20, 2, 1.2, true, 0, false},     {1e6, 10, 1.2, true, 0, false},
                  {1e9, 3, 1.2, true, 0, false},    {-1e9, 3, 1.2, true, 0, false},
                  {1e9, 3, -0.8, true, 0, false},   {-1e9, 3, -0.8, true, 0, false},
                  {20, 2, -0.8, true, 0, false},    {1e6, 3, -2e6, true, 0, false},
                  {-1e9, 3, 1 - 2e9 / 3, true, 0, false}, {20, 2, 1.2, true, 1e12, false},
                  {-1e6, 3, 1.2, true, -1e15, false}, {20, 2, 1.2, true, 1e10, true},
                  {0, 1, 1.2, false, -1e12, true}};
    std::uint64_t seed = 1;
    for (const auto& s : scales) {
        Data data(++seed, 257, s.centre, s.spread, s.bound, s.farValue, s.farY);
        if (s.far) {
            ASSERT_TRUE(data.centred());
        }
        for (double P : {1.5, 0.5, 2.7}) {
            for (int variant = 1; variant <= 7; ++variant) {
                if (P != 1.5 && variant != 3 && variant != 6)
                    continue;
                // A far value's raw terms that are not limited cancel within
                // each pair, and the literal loop keeps them to 1e-16 of
                // their size (squares of 1e24, powers of 1e18, Huber's
                // Delta 1e12), not of the sums: there only the clipped
                // variants, whose far terms are g(Delta), compare. (The
                // centred data's terms of a value set apart are the same
                // in both.)
                if (s.farValue != 0 && (variant == 1 || (!s.far && (variant < 4 || variant > 6))))
                    continue;
                SCOPED_TRACE("centre " + std::to_string(s.centre) + (s.far ? " centred" : "") + " bound "
                             + std::to_string(s.bound) + " far " + std::to_string(s.farValue) + " P "
                             + std::to_string(P) + " variant " + std::to_string(variant));
                const GcccPassData d = data.pass(variant, P);
                const Sums fast = run(d, GcccPath::Fast), literal = run(d, GcccPath::Literal);
                for (int a = 0; a < 4; ++a) {
                    const std::vector<double>& f = array(fast.k, a);
                    const std::vector<double>& l = array(literal.k, a);
                    double scale = 0;
                    for (double v : l)
                        scale = std::max(scale, std::fabs(v));
                    for (std::size_t i = 1; i < l.size(); ++i)
                        ASSERT_NEAR(f[i], l[i], 1e-12 * scale) << kArrays[a] << "(" << i << ")";
                }
                EXPECT_EQ(termsOf(fast.t), termsOf(literal.t));
            }
        }
    }
}

// The rows are split over threads; each is summed in the same order
// whatever their number, so the sums are identical; also with a value left
// out of the fast sums and summed pair by pair.
TEST(GcccKernels, ThreadCountDoesNotChangeTheSums)
{
    Data far(78, 2001, 1e6, 3);
    ASSERT_TRUE(far.centred());
    Data apart(79, 2001, 20, 3, 1.2, 1e12, true);
    ASSERT_TRUE(apart.centred());
    for (const Data& data : {Data(77, 2001, 5, 3), far, apart}) {
        for (int variant : {2, 3, 6, 7}) {
            SCOPED_TRACE(std::to_string(variant) + (data.far ? " centred" : ""));
            const Sums one = run(data.pass(variant, 1.5), GcccPath::Fast, 1);
            for (unsigned threads : {2u, 3u, 7u}) {
                const Sums many = run(data.pass(variant, 1.5), GcccPath::Fast, threads);
                for (int a = 0; a < 4; ++a)
                    EXPECT_EQ(array(many.k, a), array(one.k, a)) << kArrays[a] << " with " << threads << " threads";
            }
        }
    }
}

// A term whose evaluation fails keeps its previous value: within a row the
// value at the previous j, in the first row the value the previous variant
// left. Squared distance, x = (NaN, 1, 2), y = (1, 1, 1), the pair terms
// arriving as 0.5 g(x - y) = 100 and 0.5 g(x + y) = 0:
//   row 1: SumD = (100 - 0) + (0 - 2) + (0.5 - 4.5) = 94
//   rows 2, 3: SumD = (0.5 - 4.5) + (0 - 2) + (0.5 - 4.5) = -10
//   KD(1) = (1/2)(0 - 0) + 94 (its own terms fail and keep the incoming 0, 0)
//   KD(2) = (1/2)(0 - 4) - 10, KD(3) = (1/2)(1 - 9) - 10.
TEST(GcccKernels, FailedTermKeepsItsPreviousValue)
{
    const std::vector<double> x{0, NaN, 1, 2}, y{0, 1, 1, 1};
    GcccPassData d;
    d.kind = GcccKind::Square;
    d.n = 3;
    d.x = x.data();
    d.y = y.data();
    GcccTerms start;
    start.pairD = 100;
    for (GcccPath path : {GcccPath::Fast, GcccPath::Literal}) {
        const Sums r = run(d, path, 0, start);
        EXPECT_EQ(r.k.KD, (std::vector<double>{0, 94, -12, -14}));
    }
}

// Data that the fast sums cannot take (not a number, beyond 1e100, an
// overflowing power, a negative exponent at a tie: 0^-0.5 has no value)
// run through the literal cross sums: the results are those of the literal
// loop, bit for bit.
TEST(GcccKernels, FaultsFallBackToTheLiteralLoop)
{
    Data faulty(5, 40, 2, 1);
    faulty.x[3] = NaN;
    faulty.y[17] = NaN;
    faulty.x[20] = 1e150;
    faulty.clip();
    // centred data far from zero whose power terms overflow at P = 400, and
    // whose ties have no term at P = -0.5
    Data far(6, 40, 1e3, 1);
    ASSERT_TRUE(far.centred());
    for (const Data& data : {faulty, far}) {
        for (int variant = 1; variant <= 7; ++variant) {
            for (double P : {1.5, 400.0, -0.5}) {
                if (data.far && (P == 1.5 || (variant != 3 && variant != 6)))
                    continue;
                SCOPED_TRACE("variant " + std::to_string(variant) + " P " + std::to_string(P)
                             + (data.far ? " centred" : ""));
                GcccTerms start;
                start.crossD = 3;
                start.ownX = -2;
                const Sums fast = run(data.pass(variant, P), GcccPath::Fast, 0, start);
                const Sums literal = run(data.pass(variant, P), GcccPath::Literal, 0, start);
                for (int a = 0; a < 4; ++a) {
                    const std::vector<double>& f = array(fast.k, a);
                    const std::vector<double>& l = array(literal.k, a);
                    for (std::size_t i = 1; i < l.size(); ++i)
                        EXPECT_TRUE(same(f[i], l[i]))
                            << kArrays[a] << "(" << i << "): " << f[i] << " vs " << l[i];
                }
                EXPECT_EQ(termsOf(fast.t), termsOf(literal.t));
            }
        }
    }
}
