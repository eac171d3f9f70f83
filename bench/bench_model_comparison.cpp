// The model comparison ("Calculate" of the comparison window) from the
// files on disk to the report text: 10 models of 1,000, 10,000 and 100,000
// rows each, and the reading and the numbers on their own.
//
//   make bench && build-release/bench/bench_model_comparison
#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <random>
#include <vector>

#include "core/data_matrix.hpp"
#include "core/model_comparison.hpp"

namespace {

constexpr int Models = 10;

// Ten dataset files of n rows against one set of observations, written
// once per size as the dataset writer writes them (quoted texts).
class ModelSet {
public:
    explicit ModelSet(int n)
    {
        std::mt19937_64 rng(777 + static_cast<unsigned>(n));
        std::normal_distribution<double> noise(0.0, 1.0);
        std::vector<QString> observed;
        observed.reserve(n);
        std::vector<double> y;
        for (int r = 0; r < n; ++r) {
            y.push_back(20 + 5 * noise(rng));
            observed.push_back(formatRoundTrip(y.back()));
        }
        for (int m = 0; m < Models; ++m) {
            QByteArray bytes = "3,1,0\r\nN=" + QByteArray::number(n) + "\r\nDATA:\r\n";
            bytes.reserve(n * 40);
            for (int r = 0; r < n; ++r) {
                const double x = (0.8 + 0.04 * m) * y[r] + m + (0.5 + 0.1 * m) * noise(rng);
                bytes += "\"" + formatRoundTrip(x).toLatin1() + "\",,\"" + observed[r].toLatin1() + "\",,,,\"\"\r\n";
            }
            const QString path = m_dir.filePath(QStringLiteral("model%1.KVE").arg(m));
            QFile f(path);
            if (f.open(QIODevice::WriteOnly))
                f.write(bytes);
            m_files.push_back({m + 1, path});
        }
    }
    const std::vector<ModelComparison::ModelFile>& files() const { return m_files; }

private:
    QTemporaryDir m_dir;
    std::vector<ModelComparison::ModelFile> m_files;
};

const ModelSet& modelSet(int n)
{
    static std::map<int, std::unique_ptr<ModelSet>> sets;
    auto& set = sets[n];
    if (!set)
        set = std::make_unique<ModelSet>(n);
    return *set;
}

const QDateTime Clock(QDate(2026, 1, 1), QTime(0, 0));

// The whole run: every file read once, the table, the pairs, the text.
void BM_ModelComparison(benchmark::State& state)
{
    const ModelSet& set = modelSet(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const ModelComparison::Outcome out = ModelComparison::runComparison(set.files(), {}, Clock);
        if (!out.report)
            state.SkipWithError(out.failure.text.toStdString().c_str());
        benchmark::DoNotOptimize(out.report);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * Models);
}

// Reading and converting the ten files alone.
void BM_ModelComparisonReading(benchmark::State& state)
{
    const ModelSet& set = modelSet(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const ModelComparison::ReadResult read = ModelComparison::readModelFiles(set.files());
        benchmark::DoNotOptimize(ModelComparison::comparisonData(*read.files));
    }
}

// The table and the 45 pairs alone.
void BM_ModelComparisonNumbers(benchmark::State& state)
{
    const ModelSet& set = modelSet(static_cast<int>(state.range(0)));
    const ModelComparison::ComparisonData data
        = *ModelComparison::comparisonData(*ModelComparison::readModelFiles(set.files()).files).data;
    for (auto _ : state)
        benchmark::DoNotOptimize(ModelComparison::computeComparison(data));
}

} // namespace

BENCHMARK(BM_ModelComparison)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelComparisonReading)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelComparisonNumbers)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
