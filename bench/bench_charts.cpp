// The chart windows with 1,000 to 1,000,000 points: "Scatter", "Rank" and a
// residual plot (the run's charts: one series of points) from the command
// until the chart is painted, with whether the busy pointer was still up at
// that first paint; the window resized; the grid switched on or off; the
// point under a double click found; the chart printed into a PDF file (its
// size in MB) and "Print" without a printer; and the memory the program
// keeps after "Calculate" at a million rows with every chart it draws, the
// windows closed again, cycle after cycle.
//
//   make bench && build-release/bench/bench_charts
//
// Without DISPLAY the windows paint offscreen; with it (an X server, Xvfb
// for one) they paint as a user sees them. Beside R's plot() of the same
// points into a PNG and a PDF file: /usr/bin/python3 bench/charts_side_by_side.py
// (which has this program write the points: --write-points DIR ROWS...).
#include "bench_dataset.hpp"
#include "private_home.hpp"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <malloc.h>
#include <unistd.h>

#include "charts/chart_view.hpp"
#include "core/dataset_file.hpp"
#include "core/evaluation/run_chart.hpp"
#include "core/plot_points.hpp"
#include "platform/freed_memory.hpp"
#include "support/scripted_platform_services.hpp"
#include "ui/dataset_commands.hpp"
#include "ui/frm_main.hpp"
#include "ui/frm_plot.hpp"

namespace {

double residentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// What the program's allocations hold, whatever the heap keeps in reserve.
double inUseMiB()
{
    const struct mallinfo2 m = mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd) / 1048576.0;
}

// The dataset's points: X from 2 to 10, Y = 0.2 + 0.97 X and noise, and
// their ranks. Seeded: every run draws the same points.
struct Points {
    std::vector<double> x, y;
    DataMatrix matrix;
};

const Points& points(int rows)
{
    static std::unique_ptr<Points> made;
    if (made && static_cast<int>(made->x.size()) == rows + 1)
        return *made;
    made.reset();
    auto p = std::make_unique<Points>();
    std::mt19937_64 rng(20261211 + static_cast<unsigned>(rows));
    std::uniform_real_distribution<double> xs(2.0, 10.0);
    std::normal_distribution<double> noise(0.0, 0.4);
    p->x.assign(static_cast<std::size_t>(rows) + 1, 0.0);
    p->y.assign(static_cast<std::size_t>(rows) + 1, 0.0);
    for (std::size_t i = 1; i <= static_cast<std::size_t>(rows); ++i) {
        p->x[i] = xs(rng);
        p->y[i] = 0.2 + 0.97 * p->x[i] + noise(rng);
    }
    p->matrix = DataMatrix(rows + 1);
    for (const auto& [values, column, rankColumn] :
         {std::tuple{&p->x, DataMatrix::ColX, DataMatrix::ColRankX}, std::tuple{&p->y, DataMatrix::ColY, DataMatrix::ColRankY}}) {
        std::vector<int> order(static_cast<std::size_t>(rows));
        std::iota(order.begin(), order.end(), 1);
        std::sort(order.begin(), order.end(), [values = values](int a, int b) {
            return (*values)[static_cast<std::size_t>(a)] < (*values)[static_cast<std::size_t>(b)];
        });
        for (int k = 0; k < rows; ++k) {
            const int row = order[static_cast<std::size_t>(k)];
            p->matrix.setNumber(column, row, (*values)[static_cast<std::size_t>(row)]);
            p->matrix.setNumber(rankColumn, row, k + 1);
        }
    }
    made = std::move(p);
    return *made;
}

enum Kind { Scatter, Rank, Residual };

PlotCommandOptions commandOptions(int rows)
{
    PlotCommandOptions options;
    options.gridRows = rows + 2;
    options.mainCaption = QStringLiteral("KVE - bench.KVE");
    return options;
}

// The chart windows shown, and the first paint of each chart: whether the
// busy pointer was still up then.
class ChartPaints : public QObject {
public:
    ChartPaints() { qApp->installEventFilter(this); }
    ~ChartPaints() override
    {
        if (qApp)
            qApp->removeEventFilter(this);
    }
    int painted = 0;
    int busyAtPaint = 0;
    void reset() { painted = busyAtPaint = 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->parent() && qobject_cast<ChartView*>(watched->parent())) {
            ++painted;
            const QCursor* cursor = QApplication::overrideCursor();
            busyAtPaint += cursor && cursor->shape() == Qt::WaitCursor ? 1 : 0;
        }
        return false;
    }
};

ChartPaints& paints()
{
    static ChartPaints watch;
    return watch;
}

// Runs the event loop until `count` charts have been painted.
bool waitForPaints(int count)
{
    QElapsedTimer waited;
    waited.start();
    while (paints().painted < count) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        if (waited.elapsed() > 600000)
            return false;
    }
    return true;
}

QList<frmPlot*> chartWindows()
{
    QList<frmPlot*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* plot = qobject_cast<frmPlot*>(w); plot && plot->isVisible())
            found << plot;
    return found;
}

// Closes every window but `keep`; the closed ones are deleted.
void closeWindows(QWidget* keep = nullptr)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != keep && w->isVisible())
            w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

// From the command (or the run's request) until the chart is painted.
void BM_OpenChart(benchmark::State& state)
{
    const auto kind = static_cast<Kind>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    const Points& p = points(rows);
    ScriptedPlatform platform(workDir().path());
    double openMiB = 0, keptMiB = -1e9, busy = 0;
    for (auto _ : state) {
        state.PauseTiming();
        XYPlot residual;
        if (kind == Residual) {
            std::vector<double> residue(p.y.size());
            for (std::size_t i = 1; i < p.y.size(); ++i)
                residue[i] = p.y[i] - (0.2 + 0.97 * p.x[i]);
            residual = runPointsChart(p.x, residue, rows, QStringLiteral("Residue vs Regression-Predicted"),
                                      QStringLiteral("Regression-Predicted"), QStringLiteral("Residue"),
                                      QStringLiteral("KVE - bench.KVE"));
        }
        const double before = residentMiB();
        paints().reset();
        state.ResumeTiming();
        if (kind == Residual) {
            frmMain::drawXYPlot(residual);
        } else {
            const PlotPoints made = buildPlotPoints(p.matrix, kind == Rank ? PlotCommand::Rank : PlotCommand::Scatter,
                                                    commandOptions(rows));
            frmMain::drawXYPlot(made.plot);
        }
        if (!waitForPaints(1))
            state.SkipWithError("the chart was never painted");
        state.PauseTiming();
        // The most of the iterations: later ones reuse what the first left free.
        openMiB = std::max(openMiB, residentMiB() - before);
        busy += paints().busyAtPaint;
        residual = XYPlot();
        closeWindows();
        keptMiB = std::max(keptMiB, residentMiB() - before);
        state.ResumeTiming();
    }
    state.counters["MiB open"] = openMiB;
    state.counters["MiB after close"] = keptMiB;
    state.counters["busy at paint"] = busy / static_cast<double>(state.iterations());
}

// A scatter of `rows` points open on the screen.
struct OpenScatter {
    explicit OpenScatter(int rows) : platform(workDir().path())
    {
        paints().reset();
        frmMain::drawXYPlot(buildPlotPoints(points(rows).matrix, PlotCommand::Scatter, commandOptions(rows)).plot);
        waitForPaints(1);
        window = chartWindows().value(0);
    }
    ~OpenScatter() { closeWindows(); }
    ScriptedPlatform platform;
    frmPlot* window = nullptr;
};

void BM_Resize(benchmark::State& state)
{
    OpenScatter open(static_cast<int>(state.range(0)));
    const QSize size = open.window->size();
    int step = 0;
    for (auto _ : state) {
        paints().reset();
        open.window->resize(size + QSize(40, 40) * (++step % 2));
        if (!waitForPaints(1))
            state.SkipWithError("the chart was never painted");
    }
}

void BM_GridOnOff(benchmark::State& state)
{
    OpenScatter open(static_cast<int>(state.range(0)));
    auto* grid = open.window->findChild<QPushButton*>(QStringLiteral("Check4"));
    for (auto _ : state) {
        paints().reset();
        grid->click();
        if (!waitForPaints(1))
            state.SkipWithError("the chart was never painted");
    }
}

// A double click on a marker: the point found under the pointer.
void BM_FindPoint(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    OpenScatter open(rows);
    ChartView* chart = open.window->chart();
    const Points& p = points(rows);
    const QPoint at = chart->positionOf(3, p.x.back(), p.y.back()).toPoint();
    ChartElement found;
    for (auto _ : state)
        found = chart->elementAt(at);
    state.counters["a point"] = found.kind == ChartElement::Kind::Point ? 1 : 0;
}

// "Print" into the scripted printer's PDF file.
void BM_PrintToPdf(benchmark::State& state)
{
    OpenScatter open(static_cast<int>(state.range(0)));
    double megabytes = 0;
    for (auto _ : state) {
        open.window->Command5_Click();
        state.PauseTiming();
        if (open.platform.printer.pdfFiles.size() != 1) {
            state.SkipWithError("nothing was printed");
            break;
        }
        const QString pdf = open.platform.printer.pdfFiles.takeFirst();
        megabytes = static_cast<double>(QFileInfo(pdf).size()) / 1e6;
        QFile::remove(pdf);
        open.platform.printer.jobs.clear();
        state.ResumeTiming();
    }
    state.counters["PDF MB"] = megabytes;
}

// "Print" on a machine without a printer: until the box says so.
void BM_PrintWithoutPrinter(benchmark::State& state)
{
    OpenScatter open(static_cast<int>(state.range(0)));
    open.platform.printer.noPrinter = true;
    for (auto _ : state) {
        open.window->Command5_Click();
        if (open.platform.messages.asked.size() != 1) {
            state.SkipWithError("no box");
            break;
        }
        open.platform.messages.asked.clear();
    }
}

// "Calculate" on a million rows with every section but the generalized
// concordance and the bootstrap: the report window and the run's charts,
// painted, then every window but the main one closed. The memory after the
// first cycle and what each further cycle adds to it.
void BM_CalculateAndClose(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    const QString path = workDir().filePath(QStringLiteral("charts_%1.KVE").arg(rows));
    if (!QFile::exists(path) && !writeBenchDataset(path, rows, {"GENERAL_CCC", "MSPE_BOOTSTRAP"})) {
        state.SkipWithError("cannot write the dataset");
        return;
    }
    ScriptedPlatform platform(workDir().path());
    frmMain window;
    window.show();
    DatasetFile::LoadResult loaded = DatasetFile::LoadFile(path, QStringLiteral("19"), 20);
    DatasetCommands::applyContent(window, std::move(*loaded.content));
    loaded = DatasetFile::LoadResult();
    QApplication::processEvents();
    const double start = residentMiB();
    const double startInUse = inUseMiB();
    std::vector<double> after, afterInUse;
    double charts = 0;
    for (auto _ : state) {
        paints().reset();
        window.Command6_Click();
        charts = chartWindows().size();
        if (!waitForPaints(static_cast<int>(charts)))
            state.SkipWithError("a chart was never painted");
        closeWindows(&window);
        state.PauseTiming();
        after.push_back(residentMiB());
        afterInUse.push_back(inUseMiB());
        platform.messages.asked.clear();
        state.ResumeTiming();
    }
    state.counters["charts"] = charts;
    state.counters["MiB kept"] = after.front() - start;
    state.counters["MiB per cycle"] = after.size() > 1 ? (after.back() - after.front()) / double(after.size() - 1) : 0;
    state.counters["MiB in use kept"] = afterInUse.front() - startInUse;
    state.counters["MiB in use per cycle"] =
        afterInUse.size() > 1 ? (afterInUse.back() - afterInUse.front()) / double(afterInUse.size() - 1) : 0;
}

void kindsAndSizes(benchmark::internal::Benchmark* b)
{
    for (int kind : {Scatter, Rank, Residual})
        for (int rows : {1000, 100000, 1000000})
            b->Args({kind, rows});
    b->ArgNames({"kind", "rows"})->Unit(benchmark::kMillisecond)->UseRealTime();
}

void sizes(benchmark::internal::Benchmark* b)
{
    b->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_OpenChart)->Apply(kindsAndSizes)->Iterations(3);
BENCHMARK(BM_Resize)->Apply(sizes)->Iterations(5);
BENCHMARK(BM_GridOnOff)->Apply(sizes)->Iterations(4);
BENCHMARK(BM_FindPoint)->Apply(sizes)->Iterations(5);
BENCHMARK(BM_PrintToPdf)->Apply(sizes)->Iterations(2);
BENCHMARK(BM_PrintWithoutPrinter)->Apply(sizes)->Iterations(3);
BENCHMARK(BM_CalculateAndClose)->Arg(1000)->Arg(1000000)->Iterations(6)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    usePrivateHome();
    // The points of the charts for another program: points_ROWS.csv with
    // x and y in DIR.
    if (argc >= 3 && std::strcmp(argv[1], "--write-points") == 0) {
        for (int k = 3; k < argc; ++k) {
            const int rows = std::atoi(argv[k]);
            const Points& p = points(rows);
            const std::string path = std::string(argv[2]) + "/points_" + std::to_string(rows) + ".csv";
            std::FILE* out = std::fopen(path.c_str(), "w");
            if (!out)
                return 1;
            std::fprintf(out, "x,y\n");
            for (int i = 1; i <= rows; ++i)
                std::fprintf(out, "%.17g,%.17g\n", p.x[static_cast<std::size_t>(i)], p.y[static_cast<std::size_t>(i)]);
            if (std::fclose(out) != 0)
                return 1;
            std::printf("%s\n", path.c_str());
        }
        return 0;
    }
    if (!std::getenv("DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication app(argc, argv);
    // As the program does (main.cpp).
    returnFreedMemoryAfterWindows(app);
    DatasetCommands::beeper() = [] {};
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
