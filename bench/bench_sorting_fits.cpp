// Sort_Sort2 (keys with one companion) and Reg_FitXY at up to 100,000 points.
#include <cstdint>
#include <random>

#include <benchmark/benchmark.h>

#include "SumtrixLib/Sumtrix.hpp"

using namespace SumtrixLib;

namespace {

struct Data {
    BoundedArray<double> x, y, sig;
};

Data makeData(std::int32_t n)
{
    std::mt19937_64 gen(20261210);
    std::uniform_real_distribution<double> ux(0.0, 100.0);
    std::uniform_real_distribution<double> us(1.0, 3.0);
    std::normal_distribution<double> noise(0.0, 1.0);
    Data d{BoundedArray<double>(0, n), BoundedArray<double>(0, n), BoundedArray<double>(0, n)};
    for (std::int32_t i = 1; i <= n; ++i) {
        d.x(i) = ux(gen);
        d.sig(i) = us(gen);
        d.y(i) = 2.0 + 0.9 * d.x(i) + d.sig(i) * noise(gen);
    }
    return d;
}

// Random keys: a fresh copy of the unsorted arrays for every iteration.
void BM_Sort_Sort2_Random(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    const Data d = makeData(n);
    Sumtrix s;
    for (auto _ : state) {
        state.PauseTiming();
        BoundedArray<double> arr = d.x;
        BoundedArray<double> brr = d.y;
        state.ResumeTiming();
        s.Sort_Sort2(n, arr, brr);
        benchmark::DoNotOptimize(arr(1));
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Sort_Sort2_Random)->Arg(1000)->Arg(10000)->Arg(100000);

// Keys already in descending order, a common input of the rank statistics.
void BM_Sort_Sort2_Descending(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    Sumtrix s;
    for (auto _ : state) {
        state.PauseTiming();
        BoundedArray<double> arr(0, n);
        BoundedArray<double> brr(0, n);
        for (std::int32_t i = 1; i <= n; ++i) {
            arr(i) = n - i;
            brr(i) = i;
        }
        state.ResumeTiming();
        s.Sort_Sort2(n, arr, brr);
        benchmark::DoNotOptimize(arr(1));
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Sort_Sort2_Descending)->Arg(100000);

// The fit without weights (the evaluation run's first call) and with
// weights 1/sig^2, whose goodness of fit takes Q from the incomplete gamma
// function at a = (n - 2) / 2.
void BM_Reg_FitXY(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    const auto weights = static_cast<std::int32_t>(state.range(1));
    const Data d = makeData(n);
    Sumtrix s;
    double a = 0, b = 0, siga = 0, sigb = 0, chi2 = 0, Q = 0;
    for (auto _ : state) {
        std::int32_t mwt = weights;
        s.Reg_FitXY(d.x, d.y, n, d.sig, mwt, a, b, siga, sigb, chi2, Q);
        benchmark::DoNotOptimize(b);
        benchmark::DoNotOptimize(Q);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Reg_FitXY)->Args({1000, 0})->Args({100000, 0})->Args({1000, 1})->Args({100000, 1});

} // namespace

BENCHMARK_MAIN();
