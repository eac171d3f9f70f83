// Concordance coefficients: STAT_CCC, the whole STAT_GCCC2 (seven variants,
// P = 1.5) at 1,000 to 100,000 pairs, and the kernel pass of one variant,
// fast against the literal double loop.
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "concordance_kernels.hpp"

using namespace SumtrixLib;

namespace {

// Predictions around 20 to two decimals and observations near them, with
// ties.
struct Pairs {
    BoundedArray<double> x, y;
};
Pairs makePairs(std::int32_t n)
{
    std::mt19937_64 rng(2026);
    std::normal_distribution<double> normal;
    Pairs p{BoundedArray<double>(0, n), BoundedArray<double>(0, n)};
    for (std::int32_t i = 1; i <= n; ++i) {
        const double x = std::round((20.0 + 3.0 * normal(rng)) * 100.0) / 100.0;
        p.x(i) = x;
        p.y(i) = std::round((0.9 * x + 2.5 + 1.5 * normal(rng)) * 10.0) / 10.0;
    }
    return p;
}

} // namespace

static void BM_STAT_CCC(benchmark::State& state)
{
    Sumtrix s;
    for (auto _ : state) {
        const auto c = s.STAT_CCC(12, 0.8, 10, 11, 4, 9, 3.4);
        benchmark::DoNotOptimize(c.SEGr);
    }
}
BENCHMARK(BM_STAT_CCC);

static void BM_STAT_GCCC2(benchmark::State& state)
{
    Sumtrix s;
    const auto n = static_cast<std::int32_t>(state.range(0));
    const Pairs p = makePairs(n);
    for (auto _ : state) {
        const auto g = s.STAT_GCCC2(n, p.x, p.y, 1.5);
        benchmark::DoNotOptimize(g[6].ucl);
    }
}
BENCHMARK(BM_STAT_GCCC2)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// One variant's kernel pass: args (variant, n, literal).
static void BM_GcccKernelPass(benchmark::State& state)
{
    const int variant = static_cast<int>(state.range(0));
    const auto n = static_cast<std::int32_t>(state.range(1));
    const auto path = state.range(2) ? detail::GcccPath::Literal : detail::GcccPath::Fast;
    const Pairs p = makePairs(n);
    detail::GcccPassData d;
    d.kind = detail::gcccKind(variant, 1.5);
    d.n = n;
    d.x = p.x.data().data();
    d.y = p.y.data().data();
    d.clipD = d.clipS = d.x;
    d.clipX = d.clipY = d.y;
    d.P = 1.5;
    d.Delta = 50.0;
    // the data lie above zero: centred, as the library passes them
    const detail::GcccCentre centre = detail::gcccCentre(d.x, d.y, n);
    d.side = centre.side;
    d.xc = centre.xc.data();
    d.yc = centre.yc.data();
    d.twoCentre = 2.0 * centre.c;
    d.DeltaShift = d.Delta - d.twoCentre;
    detail::GcccKernels k;
    for (auto _ : state) {
        detail::GcccTerms t;
        detail::gcccKernelPass(d, t, k, path);
        benchmark::DoNotOptimize(k.KX.data());
    }
}
BENCHMARK(BM_GcccKernelPass)
    ->Args({2, 1000, 1})
    ->Args({2, 10000, 1})
    ->Args({2, 1000, 0})
    ->Args({2, 10000, 0})
    ->Args({2, 100000, 0})
    ->Args({7, 100000, 0})
    ->Args({3, 10000, 0})
    ->Args({3, 100000, 0})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
