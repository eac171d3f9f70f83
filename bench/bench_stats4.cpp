// Robust scale, normality and two-sample rank tests on large data sets.
#include <cmath>
#include <cstdint>

#include <benchmark/benchmark.h>

#include "SumtrixLib/Sumtrix.hpp"

using namespace SumtrixLib;

namespace {

// A bell of three uniforms on 1e6, with ties at 1e-3, generated without a
// random source; `first` starts the sequence elsewhere for a second sample.
BoundedArray<double> sample(std::int32_t n, std::int64_t first = 1)
{
    BoundedArray<double> x(0, n);
    for (std::int32_t i = 1; i <= n; ++i) {
        const auto k = static_cast<double>(first + i - 1);
        const double u = std::fmod(0.7548776662466927 * k, 1.0) + std::fmod(0.5698402909980532 * k, 1.0)
                         + std::fmod(0.6180339887498949 * k, 1.0);
        x(i) = 1e6 + std::round(1e4 * u) / 1e3;
    }
    return x;
}

void BM_RobustQn(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    const BoundedArray<double> x = sample(n);
    Sumtrix s;
    for (auto _ : state)
        benchmark::DoNotOptimize(s.Robust_Qn(x, n));
    state.SetComplexityN(n);
}
BENCHMARK(BM_RobustQn)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_RobustSn(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    const BoundedArray<double> x = sample(n);
    Sumtrix s;
    for (auto _ : state)
        benchmark::DoNotOptimize(s.Robust_Sn(x, n));
    state.SetComplexityN(n);
}
BENCHMARK(BM_RobustSn)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_ShapiroWilk(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    const BoundedArray<double> x = sample(n);
    Sumtrix s;
    for (auto _ : state) {
        bool init = false;
        BoundedArray<double> a(0, n);
        double W = 0, p = 0;
        std::int32_t fault = 0;
        s.STAT_ShapiroWilk(init, x, n, n, n, a, W, p, fault);
        benchmark::DoNotOptimize(p);
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_ShapiroWilk)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_EdfGofNormal(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    const BoundedArray<double> x = sample(n);
    BoundedArray<double> z(0, n);
    Sumtrix s;
    for (auto _ : state) {
        double xbar, S2, D, V, W2, W2P, U2, U2P, A2, A2P;
        std::int16_t fault = 0;
        s.STAT_EDFGOF(x, z, n, xbar, S2, D, V, W2, W2P, U2, U2P, A2, A2P, fault, 2, true);
        benchmark::DoNotOptimize(A2P);
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_EdfGofNormal)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

// n + n values.
void BM_MannWhitney(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    const BoundedArray<double> x = sample(n), y = sample(n, n + 1);
    Sumtrix s;
    for (auto _ : state) {
        double D, rv, Var, sig;
        s.STAT_MannWhitney(x, y, D, rv, Var, sig);
        benchmark::DoNotOptimize(sig);
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_MannWhitney)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_KolmogorovSmirnov2(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    const BoundedArray<double> x = sample(n), y = sample(n, n + 1);
    Sumtrix s;
    for (auto _ : state) {
        double KS, en, P;
        s.STAT_KolmogorovSmirnov2(x, n, y, n, KS, en, P);
        benchmark::DoNotOptimize(P);
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_KolmogorovSmirnov2)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

} // namespace

BENCHMARK_MAIN();
