// The whole evaluation run ("Calculate" and the command line share it) on
// generated datasets of 1,000, 10,000 and 100,000 rows.
//
//   make bench && build-release/bench/bench_evaluation
//
// With KVE_BENCH_DATA_DIR set, the datasets are also written there as CSV
// (x, sdx, y, sdy) so that bench/evaluation_side_by_side.R can time the same
// statistics in R on the same data.
//
// BM_WholeReport is the whole report, every section ticked; beside it,
// BM_WholeReportRScript times bench/whole_report_side_by_side.R (started
// with Rscript) on the same data in the same run: compare the two lines of
// one size and one generalized-CCC setting.
#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <random>

#include "SumtrixLib/Sumtrix.hpp"
#include "core/evaluation/evaluation_run.hpp"
#include "core/evaluation/msep_sections.hpp"
#include "core/random_source.hpp"

namespace {

void writeCsv(const DataMatrix& m, int n, const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    QTextStream out(&f);
    out << "x,sdx,y,sdy\n";
    for (int r = 1; r <= n; ++r)
        out << formatRoundTrip(m.cell(1, r).number()) << ',' << formatRoundTrip(m.cell(2, r).number()) << ','
            << formatRoundTrip(m.cell(3, r).number()) << ',' << formatRoundTrip(m.cell(4, r).number()) << '\n';
}

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
    if (const char* dir = std::getenv("KVE_BENCH_DATA_DIR"))
        writeCsv(m, n, QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("evaluation_%1.csv").arg(n)));
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

// The rank columns as the rank analysis leaves them: the ranks of X and Y
// (the generated values have no ties).
void writeRanks(DataMatrix& m, int n)
{
    for (int column : {int(DataMatrix::ColX), int(DataMatrix::ColY)}) {
        std::vector<int> rows(static_cast<std::size_t>(n));
        std::iota(rows.begin(), rows.end(), 1);
        std::sort(rows.begin(), rows.end(),
                  [&](int a, int b) { return m.cell(column, a).number() < m.cell(column, b).number(); });
        for (int k = 0; k < n; ++k)
            m.setNumber(column == DataMatrix::ColX ? DataMatrix::ColRankX : DataMatrix::ColRankY,
                        rows[static_cast<std::size_t>(k)], k + 1);
    }
}

// The sections from the balance analysis to the weighed deviance, all of
// them or one alone (its index below), with the bootstrap at 200
// sub-samples of 20 % and both threshold tables.
struct MiddleSection {
    const char* name;
    bool EvaluationSettings::Sections::*box;
};
const MiddleSection kMiddleSections[] = {
    {"balance", &EvaluationSettings::Sections::balance},
    {"orthogonal balance", &EvaluationSettings::Sections::orthogonalBalance},
    {"MSEP", &EvaluationSettings::Sections::msep},
    {"MSEP bootstrap", &EvaluationSettings::Sections::msepBootstrap},
    {"Kleijnen", &EvaluationSettings::Sections::kleijnen},
    {"Bland and Altman", &EvaluationSettings::Sections::blandAltman},
    {"threshold", &EvaluationSettings::Sections::threshold},
    {"distance", &EvaluationSettings::Sections::distance},
    {"weighed deviance", &EvaluationSettings::Sections::weighedDeviance},
};

void runMiddleSections(benchmark::State& state, int n, int only, bool allBefore = false)
{
    DataMatrix m = generated(n);
    writeRanks(m, n);
    EvaluationInput o;
    o.settings.method = RegressionMethod::LeastSquares;
    if (allBefore) {
        EvaluationSettings::Sections& s = o.settings.sections;
        s.parameterTests = s.olsSls = true;
        s.distribution = s.moments = s.robustStatistics = true;
        s.diverseMeasures = s.index = true;
        s.concordance = s.generalizedCcc = s.rank = true;
    }
    for (int k = 0; k < static_cast<int>(std::size(kMiddleSections)); ++k)
        if (only < 0 || only == k)
            o.settings.sections.*kMiddleSections[k].box = true;
    o.settings.bootstrapSubsamples = 200;
    o.settings.bootstrapSizePercent = 20;
    o.settings.rankThreshold = QString::number(n / 2);
    o.settings.xyThreshold = QStringLiteral("6");
    o.gridRows = n + 1;
    o.mainCaption = QStringLiteral("bench");
    o.now = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
    SeededRandomSource random(1);
    o.random = &random;
    for (auto _ : state) {
        EvaluationOutcome out = runEvaluation(m, o);
        benchmark::DoNotOptimize(out.report);
    }
    if (only >= 0)
        state.SetLabel(kMiddleSections[only].name);
}

void BM_EvaluationMiddleSections(benchmark::State& state)
{
    runMiddleSections(state, static_cast<int>(state.range(0)), -1);
}

// At 100,000 rows, each section alone with the regression it needs; the
// regression alone is BM_EvaluationLeastSquares/100000.
void BM_EvaluationMiddleSectionAlone(benchmark::State& state)
{
    runMiddleSections(state, 100000, static_cast<int>(state.range(0)));
}

// Every section so far, from the regression to the weighed deviance.
void BM_EvaluationAllSections(benchmark::State& state)
{
    runMiddleSections(state, static_cast<int>(state.range(0)), -1, true);
}

// Where the bootstrap's time goes at 100,000 rows, 200 sub-samples of 20 %:
// the whole of it, and the uniform draws alone (one per row and sub-sample).
void BM_MsepBootstrap(benchmark::State& state)
{
    const int n = 100000;
    const DataMatrix m = generated(n);
    std::vector<double> x(n + 1), y(n + 1);
    for (int r = 1; r <= n; ++r) {
        x[static_cast<std::size_t>(r)] = m.cell(DataMatrix::ColX, r).number();
        y[static_cast<std::size_t>(r)] = m.cell(DataMatrix::ColY, r).number();
    }
    SumtrixLib::Sumtrix lib;
    SeededRandomSource random(1);
    for (auto _ : state) {
        const BootstrapResult r = BootstrapMSEP(lib, random, 200, 20, x, y, 6, 6);
        benchmark::DoNotOptimize(r.BSMSEP);
    }
}

void BM_MsepBootstrapDrawsOnly(benchmark::State& state)
{
    SeededRandomSource random(1);
    RandomSource& source = random;
    for (auto _ : state) {
        int taken = 0;
        for (int k = 0; k < 200 * 100000; ++k)
            taken += 100.0 * source.nextUniform() <= 20;
        benchmark::DoNotOptimize(taken);
    }
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

// Every section of the report ticked, as the sample dataset has them: both
// threshold tables, the bootstrap, the deviation analysis, the residual
// table with all its columns in the report, the residue regression, the
// references and every closing chart; the generalized CCC on or off.
EvaluationInput wholeReportInput(int n, bool generalizedCcc)
{
    EvaluationInput o;
    o.settings.method = RegressionMethod::LeastSquares;
    EvaluationSettings::Sections& s = o.settings.sections;
    s.parameterTests = s.olsSls = s.distribution = s.moments = s.robustStatistics = true;
    s.diverseMeasures = s.index = s.concordance = s.rank = true;
    s.generalizedCcc = generalizedCcc;
    s.balance = s.orthogonalBalance = s.msep = s.msepBootstrap = true;
    s.kleijnen = s.blandAltman = s.threshold = s.distance = s.weighedDeviance = true;
    s.deviation = s.residual = s.residueRegression = s.histograms = s.references = true;
    o.settings.bootstrapSubsamples = 200;
    o.settings.bootstrapSizePercent = 20;
    o.settings.rankThreshold = QStringLiteral("12");
    o.settings.xyThreshold = QStringLiteral("6");
    o.settings.deviationConfidencePercent = 95;
    o.settings.residueColumns.fill(true);
    o.settings.plots = {true, true, true};
    o.gridRows = n + 1;
    o.mainCaption = QStringLiteral("KVE v. 3.1.0 - bench.KVE");
    o.now = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
    return o;
}

// range(0): rows; range(1): the generalized CCC on (1) or off (0).
void BM_WholeReport(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    EvaluationInput o = wholeReportInput(n, state.range(1) != 0);
    SeededRandomSource random(20261210);
    o.random = &random;
    for (auto _ : state) {
        state.PauseTiming();
        DataMatrix m = generated(n);   // the run writes the ranks into the sheet
        state.ResumeTiming();
        EvaluationOutcome out = runEvaluation(m, o);
        benchmark::DoNotOptimize(out.report);
    }
    state.SetComplexityN(n);
}

// The equivalent R script on the same data, timed by itself (the time of
// its computations, without R's start and the reading of the data).
void BM_WholeReportRScript(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const QString rscript = QStandardPaths::findExecutable(QStringLiteral("Rscript"));
    if (rscript.isEmpty()) {
        state.SkipWithError("Rscript not found");
        return;
    }
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("whole_%1.csv").arg(n));
    writeCsv(generated(n), n, csv);
    const QString script = QStringLiteral(KVE_SOURCE_DIR "/bench/whole_report_side_by_side.R");
    const int repeats = n <= 10000 ? 3 : 1;
    for (auto _ : state) {
        QProcess r;
        const QString sections = state.range(1) != 0 ? QStringLiteral("all,gccc") : QStringLiteral("all");
        r.start(rscript, {script, csv, sections, QString::number(repeats)});
        if (!r.waitForFinished(-1) || r.exitCode() != 0) {
            state.SkipWithError(("Rscript failed: " + r.readAllStandardError().left(300)).constData());
            return;
        }
        const QString printed = QString::fromUtf8(r.readAllStandardOutput());
        // The total, on a line of its own after the sections' lines.
        const qsizetype at = printed.lastIndexOf(QStringLiteral("\nelapsed_ms="));
        if (at < 0) {
            state.SkipWithError("the script printed no time");
            return;
        }
        state.SetIterationTime(printed.mid(at + 12).section(QLatin1Char('\n'), 0, 0).toDouble() / 1000.0);
    }
}

} // namespace

BENCHMARK(BM_WholeReport)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->ArgNames({"rows", "gccc"})
    ->Unit(benchmark::kMillisecond);
// R's generalized CCC sums its kernels over all pairs: ten minutes at
// 10,000 rows, days at 100,000; it runs at 1,000 rows only.
BENCHMARK(BM_WholeReportRScript)
    ->Args({1000, 0})->Args({1000, 1})->Args({10000, 0})->Args({100000, 0})
    ->ArgNames({"rows", "gccc"})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluationLeastSquares)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluationWeighted)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluationMedianFit)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluationMeasureSections)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluationGeneralizedCcc)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluationMiddleSections)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluationMiddleSectionAlone)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluationAllSections)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MsepBootstrap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MsepBootstrapDrawsOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
