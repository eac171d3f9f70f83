// The numerical methods: spline look-ups, matrix inverse and product,
// polynomial roots.
#include <cmath>
#include <string>

#include <benchmark/benchmark.h>

#include "SumtrixLib/Sumtrix.hpp"

using namespace SumtrixLib;

namespace {

// Deterministic values in [0, 1) without a random source.
double sequence(double step, std::int32_t i)
{
    return std::fmod(step * i, 1.0);
}

// A natural spline through n knots looked up at 1,000,000 abscissas spread
// over the knots: the table once, then a bisection per abscissa.
void BM_CubicSplineBase0Matrix(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    const std::int32_t lookups = 1000000;
    BoundedArray<double> x(0, n - 1), y(0, n - 1), t(0, lookups - 1), out(0, lookups - 1);
    for (std::int32_t i = 0; i < n; ++i) {
        x(i) = i + 0.5 * sequence(0.6180339887498949, i);
        y(i) = 10.0 * sequence(0.7548776662466927, i);
    }
    for (std::int32_t j = 0; j < lookups; ++j)
        t(j) = sequence(0.4142135623730951, j) * n;
    Sumtrix s;
    std::string msg;
    for (auto _ : state) {
        s.Interpolate_CubicSplineBase0Matrix(x, y, n, t, out, 1E30, 1E30, msg);
        benchmark::DoNotOptimize(out(0));
    }
    state.SetItemsProcessed(state.iterations() * lookups);
}
BENCHMARK(BM_CubicSplineBase0Matrix)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BoundedArray2<double> squareMatrix(std::int32_t n)
{
    BoundedArray2<double> a(0, n, 0, n);
    for (std::int32_t i = 1; i <= n; ++i)
        for (std::int32_t j = 1; j <= n; ++j)
            a(i, j) = sequence(0.7548776662466927, i * n + j) - 0.5 + (i == j ? 2.0 : 0.0);
    return a;
}

void BM_MatrixInvert(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    const BoundedArray2<double> a = squareMatrix(n);
    Sumtrix s;
    std::string msg;
    for (auto _ : state) {
        BoundedArray2<double> work = a, result;
        s.Matrix_Invert(work, result, msg);
        benchmark::DoNotOptimize(result(1, 1));
    }
}
BENCHMARK(BM_MatrixInvert)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_MatrixMultiply(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    const BoundedArray2<double> a = squareMatrix(n), b = squareMatrix(n);
    Sumtrix s;
    std::string msg;
    for (auto _ : state) {
        BoundedArray2<double> result;
        s.Matrix_Multiply(a, b, result, msg);
        benchmark::DoNotOptimize(result(1, 1));
    }
}
BENCHMARK(BM_MatrixMultiply)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

// All roots of a polynomial of degree m with coefficients in [-1, 1), with
// and without polishing.
void BM_RootZroots(benchmark::State& state)
{
    const auto m = static_cast<std::int32_t>(state.range(0));
    const bool polish = state.range(1) != 0;
    BoundedArray<Complex> a(0, m + 1), roots(0, m);
    for (std::int32_t k = 1; k <= m + 1; ++k)
        a(k) = {2.0 * sequence(0.6180339887498949, k) - 1.0, 0.0};
    Sumtrix s;
    for (auto _ : state) {
        s.Root_zroots(a, m, roots, polish);
        benchmark::DoNotOptimize(roots(1));
    }
}
BENCHMARK(BM_RootZroots)->Args({10, 0})->Args({50, 0})->Args({50, 1})->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
