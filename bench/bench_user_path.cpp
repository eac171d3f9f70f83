// The user's path, step by step, on dataset files of 1,000, 100,000 and
// 1,000,000 rows as a saved dataset holds them (quoted texts, one row in a
// hundred excluded): reading the file, filling the main window's sheet,
// the evaluation of the file's options (least squares, parameter tests, OLS
// and SLS), writing the report, all four in a row, and the window: opening
// the file until the sheet is painted, and painting the sheet scrolled by
// a page.
//
//   make bench && build-release/bench/bench_user_path
//   build-release/bench/bench_user_path --write-datasets DIR [ROWS...]   (only writes the files;
//   by default of 1,000, 100,000 and 1,000,000 rows)
//
// With KVE_BENCH_DATA_DIR set, the files are kept there and used again.
//
// The whole unattended run beside R, Python and a lean C++ program:
// bench/user_path_side_by_side.py.
#include "bench_dataset.hpp"
#include "private_home.hpp"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/dataset_file.hpp"
#include "core/evaluation/evaluation_run.hpp"
#include "core/numbered_file.hpp"
#include "core/program_state.hpp"
#include "support/scripted_platform_services.hpp"
#include "ui/dataset_commands.hpp"
#include "ui/flex_grid.hpp"
#include "ui/frm_main.hpp"

namespace {

// The dataset file of `rows` rows (bench_dataset.hpp) with least squares,
// parameter tests and OLS/SLS: the sections after the regression's are
// off, as the R, Python and lean programs of the side-by-side timing do the
// same work, and the generalized concordance visits every pair of rows,
// which at a million rows would be all the time there is.
bool writeDataset(const QString& path, int rows)
{
    return writeBenchDataset(
        path, rows,
        {"DISTRIBUTION_ANALYSIS", "MOMENT_STATISTIC", "DIVERSE_MEASURES", "INDEX_ANALYSIS", "CONCORDANCE_TEST",
         "GENERAL_CCC", "RANK_ANALYSIS", "BALANCE_ANALYSIS", "ORTHOGONAL_BALANCE", "MSEP_ANALYSIS",
         "KLEIJNEN_ANALYSIS", "THRESHOLD_ANALYSIS", "DISTANCE_ANALYSIS", "WEIGHED_DEVIANCE", "RESIDUAL_ANALYSIS",
         "HISTOGRAM_PLOT", "BLAND_ALTMAN_ANALYSIS", "DEVIATION_ANALYSIS", "ROBUST_STATISTICS", "MSPE_BOOTSTRAP",
         "RESIDUAL_REGRESSION_PLOT"});
}

// The file of `rows` rows: written once per run, or once into
// KVE_BENCH_DATA_DIR when that is set.
QString dataset(int rows)
{
    static std::map<int, QString> files;
    auto it = files.find(rows);
    if (it == files.end()) {
        const QByteArray dir = qgetenv("KVE_BENCH_DATA_DIR");
        const QString path = QDir(dir.isEmpty() ? workDir().path() : QString::fromLocal8Bit(dir))
                                 .filePath(QStringLiteral("user_path_%1.KVE").arg(rows));
        if (!QFile::exists(path) && !writeDataset(path, rows)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::exit(1);
        }
        it = files.emplace(rows, path).first;
    }
    return it->second;
}

DatasetFile::DatasetContent load(int rows)
{
    DatasetFile::LoadResult r = DatasetFile::LoadFile(dataset(rows), QStringLiteral("19"), 20);
    if (!r.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(r.error.text));
        std::exit(1);
    }
    return std::move(*r.content);
}

// A main window as the program opens it, with boxes that answer by script.
struct Window {
    Window() : platform(workDir().path()), window(std::make_unique<frmMain>()) {}
    ScriptedPlatform platform;
    std::unique_ptr<frmMain> window;
};

// What "Calculate" hands the run, from the window's options.
EvaluationInput runInput(frmMain& window)
{
    EvaluationInput input;
    input.settings = EvaluationSettings::fromOptions(window.gatherOptions(), SheetSwitches{});
    input.gridRows = window.grid()->rows();
    input.mainCaption = window.windowTitle();
    input.dataFileName = programState().DataFileName;
    input.batchMode = true;
    input.now = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
    return input;
}

void BM_ReadFile(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    dataset(rows);
    for (auto _ : state) {
        DatasetFile::LoadResult r = DatasetFile::LoadFile(dataset(rows), QStringLiteral("19"), 20);
        benchmark::DoNotOptimize(r.content->rows.data());
    }
}

void BM_FillSheet(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    const DatasetFile::DatasetContent content = load(rows);
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<Window>();
        DatasetFile::DatasetContent copy = content;
        state.ResumeTiming();
        DatasetCommands::applyContent(*w->window, std::move(copy));
        benchmark::DoNotOptimize(w->window->dataMatrix().upperRow());
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}

void BM_Evaluate(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    Window w;
    DatasetCommands::applyContent(*w.window, load(rows));
    const EvaluationInput input = runInput(*w.window);
    for (auto _ : state) {
        const EvaluationOutcome out = runEvaluation(w.window->dataMatrix(), input);
        benchmark::DoNotOptimize(out.report.size());
    }
}

void BM_WriteReport(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    Window w;
    DatasetCommands::applyContent(*w.window, load(rows));
    const QString report = runEvaluation(w.window->dataMatrix(), runInput(*w.window)).report;
    const QString path = workDir().filePath(QStringLiteral("Notes0000.TXT"));
    for (auto _ : state) {
        QString error;
        if (!NumberedFile::writeText(path, report, error))
            state.SkipWithError(qPrintable(error));
    }
}

// Read, fill, evaluate, write: the unattended run without the start and
// the end of the program.
void BM_UserPath(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    dataset(rows);
    const QString path = workDir().filePath(QStringLiteral("Notes0001.TXT"));
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<Window>();
        state.ResumeTiming();
        DatasetFile::LoadResult r = DatasetFile::LoadFile(dataset(rows), QStringLiteral("19"), 20);
        DatasetCommands::applyContent(*w->window, std::move(*r.content));
        r = DatasetFile::LoadResult();
        const EvaluationOutcome out = runEvaluation(w->window->dataMatrix(), runInput(*w->window));
        QString error;
        NumberedFile::writeText(path, out.report, error);
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}

// Opening the file in the window until the sheet is on the screen.
void BM_OpenAndShowSheet(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    dataset(rows);
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<Window>();
        w->window->show();
        QApplication::processEvents();
        state.ResumeTiming();
        DatasetFile::LoadResult r = DatasetFile::LoadFile(dataset(rows), QStringLiteral("19"), 20);
        DatasetCommands::applyContent(*w->window, std::move(*r.content));
        r = DatasetFile::LoadResult();
        const QPixmap shown = w->window->grid()->grab();
        benchmark::DoNotOptimize(shown.width());
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}

// One step of scrolling: the sheet moved down by a page and painted.
void BM_ScrollSheetByAPage(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    Window w;
    w.window->show();
    DatasetCommands::applyContent(*w.window, load(rows));
    FlexGrid* grid = w.window->grid();
    QScrollBar* bar = grid->verticalScrollBar();
    for (auto _ : state) {
        const int next = bar->value() + bar->pageStep();
        bar->setValue(next > bar->maximum() ? 0 : next);
        const QPixmap shown = grid->viewport()->grab();
        benchmark::DoNotOptimize(shown.width());
    }
}

void sizes(benchmark::internal::Benchmark* b)
{
    b->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_ReadFile)->Apply(sizes);
BENCHMARK(BM_FillSheet)->Apply(sizes);
BENCHMARK(BM_Evaluate)->Apply(sizes);
BENCHMARK(BM_WriteReport)->Apply(sizes);
BENCHMARK(BM_UserPath)->Apply(sizes);
BENCHMARK(BM_OpenAndShowSheet)->Apply(sizes);
BENCHMARK(BM_ScrollSheetByAPage)->Apply(sizes);

int main(int argc, char** argv)
{
    usePrivateHome();
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    if (argc >= 3 && std::strcmp(argv[1], "--write-datasets") == 0) {
        QDir().mkpath(QString::fromLocal8Bit(argv[2]));
        std::vector<int> sizes;
        for (int k = 3; k < argc; ++k)
            sizes.push_back(std::atoi(argv[k]));
        if (sizes.empty())
            sizes = {1000, 100000, 1000000};
        for (int rows : sizes) {
            const QString path = QDir(QString::fromLocal8Bit(argv[2])).filePath(QStringLiteral("user_path_%1.KVE").arg(rows));
            if (!QFile::exists(path) && !writeDataset(path, rows)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                return 1;
            }
            std::printf("%s\n", qPrintable(path));
        }
        return 0;
    }

    QApplication app(argc, argv);
    DatasetCommands::beeper() = [] {};
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
