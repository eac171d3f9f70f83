// Median fit and residual diagnostics on large data sets.
#include <cmath>
#include <vector>

#include <benchmark/benchmark.h>

#include "SumtrixLib/Sumtrix.hpp"

using namespace SumtrixLib;

namespace {

// A line with heavy-tailed noise, generated without a random source.
void line(std::int32_t n, BoundedArray<double>& x, BoundedArray<double>& y)
{
    x.redim(0, n);
    y.redim(0, n);
    for (std::int32_t i = 1; i <= n; ++i) {
        x(i) = 10.0 * std::fmod(0.7548776662466927 * i, 1.0);
        const double d = std::fmod(0.6180339887498949 * i, 1.0) - 0.5;
        y(i) = 2.0 + 0.5 * x(i) + 40.0 * d * d * d;
    }
}

void timeMedFit(benchmark::State& state, const BoundedArray<double>& x, const BoundedArray<double>& y, std::int32_t n)
{
    Sumtrix s;
    for (auto _ : state) {
        double a = 0, b = 0, abdev = 0, chisq = 0;
        s.Reg_MedFit(x, y, n, a, b, abdev, chisq);
        benchmark::DoNotOptimize(b);
    }
    state.SetComplexityN(n);
}

void BM_MedFit(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    BoundedArray<double> x, y;
    line(n, x, y);
    timeMedFit(state, x, y, n);
}
BENCHMARK(BM_MedFit)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Integer data full of ties far from zero, where the fit finishes with
// descent steps from vertex to vertex.
void BM_MedFitTies(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    BoundedArray<double> x(0, n), y(0, n);
    for (std::int32_t i = 1; i <= n; ++i) {
        const long k = i;
        x(i) = 1e6 + static_cast<double>(k % 7);
        y(i) = 1e6 + static_cast<double>((3 * (k % 7)) / 4 + (3 * k + (k * k) % 13) % 5);
    }
    timeMedFit(state, x, y, n);
}
BENCHMARK(BM_MedFitTies)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_Residue(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    BoundedArray<double> x, y;
    line(n, x, y);
    double mx = 0, my = 0, sxx = 0, sxy = 0;
    for (std::int32_t i = 1; i <= n; ++i) {
        mx += x(i);
        my += y(i);
    }
    mx /= n;
    my /= n;
    for (std::int32_t i = 1; i <= n; ++i) {
        sxx += (x(i) - mx) * (x(i) - mx);
        sxy += (x(i) - mx) * (y(i) - my);
    }
    const double b1 = sxy / sxx, b0 = my - b1 * mx, varX = sxx / (n - 1);
    std::vector<BoundedArray<double>> out(13, BoundedArray<double>(0, n));
    Sumtrix s;
    for (auto _ : state) {
        double mse = 0;
        s.STAT_Residue(b0, b1, x, y, varX, mx, my, n, mse, out[0], out[1], out[2], out[3], out[4], out[5], out[6],
                       out[7], out[8], out[9], out[10], out[11], out[12]);
        benchmark::DoNotOptimize(mse);
    }
}
BENCHMARK(BM_Residue)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
