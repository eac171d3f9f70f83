// The whole evaluation run ("Calculate" and the command line share it) on
// generated datasets of 1,000, 10,000 and 100,000 rows.
//
//   make bench && build-release/bench/bench_evaluation
//
// With KVE_BENCH_DATA_DIR set, the datasets are also written there as CSV
// (x, sdx, y, sdy) so that bench/evaluation_side_by_side.R can time the same
// statistics in R on the same data.
#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdlib>
#include <random>

#include "core/evaluation/evaluation_run.hpp"

namespace {

DataMatrix generated(int n)
{
    std::mt19937_64 rng(12345 + static_cast<unsigned>(n));
    std::normal_distribution<double> noise(0.0, 0.4);
    std::uniform_real_distribution<double> xs(2.0, 10.0);
    std::uniform_real_distribution<double> sds(0.2, 0.6);
    DataMatrix m(n + 1);
    for (int r = 1; r <= n; ++r) {
        const double x = xs(rng);
        m.setNumber(DataMatrix::ColX, r, x);
        m.setNumber(DataMatrix::ColSDX, r, sds(rng));
        m.setNumber(DataMatrix::ColY, r, 0.2 + 0.97 * x + noise(rng));
        m.setNumber(DataMatrix::ColSDY, r, sds(rng));
    }
    if (const char* dir = std::getenv("KVE_BENCH_DATA_DIR")) {
        QFile f(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("evaluation_%1.csv").arg(n)));
        if (f.open(QIODevice::WriteOnly)) {
            QTextStream out(&f);
            out << "x,sdx,y,sdy\n";
            for (int r = 1; r <= n; ++r)
                out << formatRoundTrip(m.cell(1, r).number()) << ',' << formatRoundTrip(m.cell(2, r).number()) << ','
                    << formatRoundTrip(m.cell(3, r).number()) << ',' << formatRoundTrip(m.cell(4, r).number()) << '\n';
        }
    }
    return m;
}

// Which sections a benchmark line ticks besides the regression section.
enum class Sections { Regression, Measures, GeneralizedCccOnly };

void runWith(benchmark::State& state, RegressionMethod method, Sections sections = Sections::Regression)
{
    const int n = static_cast<int>(state.range(0));
    DataMatrix m = generated(n);
    EvaluationInput o;
    o.settings.method = method;
    EvaluationSettings::Sections& s = o.settings.sections;
    if (sections == Sections::GeneralizedCccOnly) {
        s.generalizedCcc = true;
    } else {
        s.parameterTests = true;
        s.olsSls = true;
    }
    if (sections == Sections::Measures) {
        // Everything from the regression to the ranks but the generalized
        // concordance coefficients, which have their own line.
        s.distribution = s.moments = s.robustStatistics = true;
        s.diverseMeasures = s.index = true;
        s.concordance = s.rank = true;
    }
    o.gridRows = n + 1;
    o.mainCaption = QStringLiteral("bench");
    o.now = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
    for (auto _ : state) {
        EvaluationOutcome out = runEvaluation(m, o);
        benchmark::DoNotOptimize(out.report);
    }
    state.SetComplexityN(n);
}

void BM_EvaluationLeastSquares(benchmark::State& state) { runWith(state, RegressionMethod::LeastSquares); }
void BM_EvaluationWeighted(benchmark::State& state) { runWith(state, RegressionMethod::WeightedLeastSquares); }
void BM_EvaluationMedianFit(benchmark::State& state) { runWith(state, RegressionMethod::LeastAbsoluteDeviation); }
// The regression sections and the distribution, moment, robust, diverse
// measure, index, concordance and rank sections.
void BM_EvaluationMeasureSections(benchmark::State& state)
{
    runWith(state, RegressionMethod::LeastSquares, Sections::Measures);
}
// The regression section and the generalized concordance coefficients.
void BM_EvaluationGeneralizedCcc(benchmark::State& state)
{
    runWith(state, RegressionMethod::LeastSquares, Sections::GeneralizedCccOnly);
}

} // namespace

BENCHMARK(BM_EvaluationLeastSquares)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluationWeighted)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluationMedianFit)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluationMeasureSections)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluationGeneralizedCcc)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
