// Costs of the routines that compute in the decimal type (ln Γ, the normal
// tail of STAT_NormProb2) and of the incomplete gamma family for shapes
// that need many series terms.
#include <benchmark/benchmark.h>

#include "SumtrixLib/Sumtrix.hpp"

using SumtrixLib::Sumtrix;

static void BM_Gamma_gammln(benchmark::State& state)
{
    Sumtrix s;
    double x = 0.5;
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.Gamma_gammln(x));
        x = x < 1000 ? x * 1.1 : 0.5;
    }
}
BENCHMARK(BM_Gamma_gammln);

static void BM_Gamma_gammq(benchmark::State& state)
{
    Sumtrix s;
    const double a = static_cast<double>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(s.Gamma_gammq(a, a));
}
BENCHMARK(BM_Gamma_gammq)->Arg(5)->Arg(400)->Arg(100000);

static void BM_STAT_Chi2_CDF_INV(benchmark::State& state)
{
    Sumtrix s;
    const auto df = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(s.STAT_Chi2_CDF_INV(0.95, df));
}
BENCHMARK(BM_STAT_Chi2_CDF_INV)->Arg(10)->Arg(1600);

static void BM_STAT_NormProb2(benchmark::State& state)
{
    Sumtrix s;
    double P = 0, Q = 0, pdf = 0;
    double z = -6;
    for (auto _ : state) {
        s.STAT_NormProb2(z, P, Q, pdf);
        benchmark::DoNotOptimize(P);
        z = z < 6 ? z + 0.37 : -6;
    }
}
BENCHMARK(BM_STAT_NormProb2);

BENCHMARK_MAIN();
