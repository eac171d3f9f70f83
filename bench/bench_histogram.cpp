// The histogram of the "Histo" command: the rows taken from the dataset and
// the builder's work before it draws (sorted copies, the normality tests,
// the bins and the range text) at 1,000, 10,000 and 100,000 rows.
//
//   make bench && build-release/bench/bench_histogram
#include <benchmark/benchmark.h>

#include <random>

#include "core/histogram.hpp"

namespace {

DataMatrix generated(int n)
{
    std::mt19937_64 rng(777 + static_cast<unsigned>(n));
    std::normal_distribution<double> xs(50.0, 12.0);
    std::normal_distribution<double> noise(0.0, 3.0);
    DataMatrix m(n + 1);
    for (int r = 1; r <= n; ++r) {
        const double x = xs(rng);
        m.setNumber(DataMatrix::ColX, r, x);
        m.setNumber(DataMatrix::ColY, r, x + noise(rng));
    }
    return m;
}

void BM_HistogramCommand(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const DataMatrix m = generated(n);
    HistogramCommandOptions options;
    options.gridRows = n + 1;
    options.difference = true;
    options.binsText = QStringLiteral("20");
    for (auto _ : state) {
        const HistogramCommand command = buildHistogramCommand(m, options);
        for (const HistogramPlot& plot : command.charts)
            benchmark::DoNotOptimize(computeHistogram(plot));
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_HistogramCommand)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity();

} // namespace

BENCHMARK_MAIN();
