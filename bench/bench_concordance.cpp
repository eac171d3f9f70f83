// Concordance coefficients: STAT_CCC, and the whole STAT_GCCC2 (seven
// variants, P = 1.5) at 1,000 to 1,000,000 pairs, with the power distances
// (variants 3 and 6) summed over all pairs beside the tree sums that
// replace them, at 10,000 and 100,000 pairs.
//
//   make bench && build-release/bench/bench_concordance
//
// Every timing is the median of three runs, as wall time and as the CPU
// time of the whole process (all threads): on a machine that others use,
// the CPU time shows the work, the wall time what a user waits. After the
// table, the growth of STAT_GCCC2 from 100,000 to 1,000,000 pairs is
// printed beside n log n's (11.2 times).
//
// Data (the first argument of each line): 0 predictions around 20 to two
// decimals and observations to one (as users type them: many ties), 1 the
// same at full precision (every value distinct), 2 full precision around
// 0 (both signs, so the sums are not expanded about the centre), 3 data 1
// with one prediction of 1e12 (summed pair by pair, apart from the others).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "concordance_kernels.hpp"

using namespace SumtrixLib;

namespace {

struct Pairs {
    BoundedArray<double> x, y;
};
Pairs makePairs(int kind, std::int32_t n)
{
    std::mt19937_64 rng(20261211);
    std::normal_distribution<double> normal;
    Pairs p{BoundedArray<double>(0, n), BoundedArray<double>(0, n)};
    const double centre = kind == 2 ? 0.0 : 20.0;
    for (std::int32_t i = 1; i <= n; ++i) {
        double x = centre + 3.0 * normal(rng);
        double y = 0.9 * x + 0.1 * centre + 1.5 * normal(rng);
        if (kind == 0) {
            x = std::round(x * 100.0) / 100.0;
            y = std::round(y * 10.0) / 10.0;
        }
        p.x(i) = x;
        p.y(i) = y;
    }
    if (kind == 3 && n > 0)
        p.x(n / 2 + 1) = 1e12;
    return p;
}

// Wall and process CPU time, median of three runs.
void timing(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Repetitions(3)->ReportAggregatesOnly(
        true);
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

// STAT_GCCC2 as the library runs it: args (data, n).
static void BM_STAT_GCCC2(benchmark::State& state)
{
    Sumtrix s;
    const auto n = static_cast<std::int32_t>(state.range(1));
    const Pairs p = makePairs(static_cast<int>(state.range(0)), n);
    for (auto _ : state) {
        const auto g = s.STAT_GCCC2(n, p.x, p.y, 1.5);
        benchmark::DoNotOptimize(g[6].ucl);
    }
}
BENCHMARK(BM_STAT_GCCC2)
    ->ArgsProduct({{0, 1, 2, 3}, {1000, 10000, 100000, 1000000}})
    ->Apply(timing);

// STAT_GCCC2 with variants 3 and 6 summed over all pairs, as before the
// tree sums: args (data, n).
static void BM_STAT_GCCC2_AllPairs(benchmark::State& state)
{
    Sumtrix s;
    const auto n = static_cast<std::int32_t>(state.range(1));
    const Pairs p = makePairs(static_cast<int>(state.range(0)), n);
    for (auto _ : state) {
        const auto g = detail::gccc2WithPath(s, n, p.x, p.y, 1.5, detail::GcccPath::AllPairs);
        benchmark::DoNotOptimize(g[6].ucl);
    }
}
BENCHMARK(BM_STAT_GCCC2_AllPairs)->ArgsProduct({{1}, {10000, 100000}})->Apply(timing);

// One variant's kernel pass, data 1: args (variant, n, all pairs).
static void BM_GcccKernelPass(benchmark::State& state)
{
    const int variant = static_cast<int>(state.range(0));
    const auto n = static_cast<std::int32_t>(state.range(1));
    const auto path = state.range(2) ? detail::GcccPath::AllPairs : detail::GcccPath::Fast;
    const Pairs p = makePairs(1, n);
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
BENCHMARK(BM_GcccKernelPass)->ArgsProduct({{3, 6}, {10000, 100000}, {1, 0}})->Apply(timing);

namespace {

// The console table, and the medians kept for the growth line.
class Reporter : public benchmark::ConsoleReporter {
public:
    Reporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.aggregate_name == "median")
                m_medians[r.run_name.function_name + "/" + r.run_name.args] = {r.GetAdjustedRealTime(),
                                                                               r.GetAdjustedCPUTime()};
    }
    void growth() const
    {
        for (const char* data : {"0", "1", "2", "3"}) {
            const auto small = m_medians.find(std::string("BM_STAT_GCCC2/") + data + "/100000");
            const auto large = m_medians.find(std::string("BM_STAT_GCCC2/") + data + "/1000000");
            if (small == m_medians.end() || large == m_medians.end())
                continue;
            std::printf("STAT_GCCC2, data %s, 100,000 -> 1,000,000 pairs: wall %.0f -> %.0f ms (x %.1f), "
                        "CPU %.0f -> %.0f ms (x %.1f); n log n grows x 11.2\n",
                        data, small->second.first, large->second.first, large->second.first / small->second.first,
                        small->second.second, large->second.second, large->second.second / small->second.second);
        }
    }

private:
    std::map<std::string, std::pair<double, double>> m_medians;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.growth();
    benchmark::Shutdown();
    return 0;
}
