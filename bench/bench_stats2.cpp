// The median, Kendall's tau and Spearman's rank correlation at up to
// 100,000 values, on data with ties.
#include <cmath>
#include <cstdint>
#include <random>

#include <benchmark/benchmark.h>

#include "SumtrixLib/Sumtrix.hpp"

using namespace SumtrixLib;

namespace {

struct Pairs {
    BoundedArray<double> x, y;
};

// Predictions rounded to two decimals and observations near them: many
// ties in each, some in both.
Pairs makePairs(std::int32_t n)
{
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> level(0.0, 100.0);
    std::normal_distribution<double> noise(0.0, 5.0);
    Pairs p{BoundedArray<double>(0, n), BoundedArray<double>(0, n)};
    for (std::int32_t i = 1; i <= n; ++i) {
        const double x = std::round(level(rng) * 100.0) / 100.0;
        p.x(i) = x;
        p.y(i) = std::round((x + noise(rng)) * 10.0) / 10.0;
    }
    return p;
}

} // namespace

static void BM_STAT_Median(benchmark::State& state)
{
    Sumtrix s;
    const Pairs p = makePairs(static_cast<std::int32_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(s.STAT_Median(p.y));
}
BENCHMARK(BM_STAT_Median)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

static void BM_Rank_Kendall(benchmark::State& state)
{
    Sumtrix s;
    const auto n = static_cast<std::int32_t>(state.range(0));
    const Pairs p = makePairs(n);
    for (auto _ : state) {
        double tau = 0, z = 0, prob = 0;
        s.Rank_Kendall(p.x, p.y, n, tau, z, prob);
        benchmark::DoNotOptimize(tau);
    }
}
BENCHMARK(BM_Rank_Kendall)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

static void BM_Rank_Spearman(benchmark::State& state)
{
    Sumtrix s;
    const auto n = static_cast<std::int32_t>(state.range(0));
    const Pairs p = makePairs(n);
    for (auto _ : state) {
        BoundedArray<double> w1, w2, idx;
        double D = 0, zd = 0, pd = 0, rs = 0, t = 0, prs = 0;
        s.Rank_Spearman(p.x, p.y, n, w1, false, w2, false, idx, D, zd, pd, rs, t, prs);
        benchmark::DoNotOptimize(rs);
    }
}
BENCHMARK(BM_Rank_Spearman)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
