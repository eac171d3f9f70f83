// The results window with a report of 2,000,000 lines, the size of the whole
// report of a million rows (the residual table and the weighed deviance
// table hold a line per row each): opening the window until its first page
// is painted, painting it scrolled down by a page, jumping to the end, and
// saving the report.
//
//   make bench && build-release/bench/bench_results_window
//
// The lines are those of the residual table: a row number and eleven
// fields of random numbers with their marks.
#include "private_home.hpp"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTemporaryDir>

#include <cstdlib>
#include <random>

#include "core/program_state.hpp"
#include "core/report_text.hpp"
#include "ui/frm_info.hpp"
#include "ui/report_text_view.hpp"

namespace {

constexpr int Lines = 2000000;

const QByteArray& report()
{
    static const QByteArray text = [] {
        QByteArray t = reportHeader(QStringLiteral("  [bench]  "), QDateTime(QDate(2026, 1, 1), QTime(0, 0))).toUtf8();
        t.reserve(static_cast<qsizetype>(Lines) * 122);
        std::mt19937_64 rng(20261211);
        std::normal_distribution<double> value(5.0, 3.0);
        for (int i = 1; i <= Lines; ++i) {
            appendF(t, i, 7, 0);
            t += ' ';
            for (int c = 0; c < 11; ++c) {
                appendF(t, value(rng), 9, 4);
                t += c % 4 == 2 ? '*' : ' ';
            }
            t += "\r\n";
        }
        return t;
    }();
    return text;
}

ReportTextView* textBox(frmInfo* window)
{
    return window->findChild<ReportTextView*>(QStringLiteral("TxtInfo"));
}

void key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
}

// From the report in memory to its first page on the screen.
void BM_OpenFirstPage(benchmark::State& state)
{
    const QByteArray& text = report();
    for (auto _ : state) {
        frmInfo* window = frmInfo::showReport(QStringLiteral("Results - bench"), text);
        QApplication::processEvents();
        const QPixmap page = textBox(window)->viewport()->grab();
        benchmark::DoNotOptimize(page.width());
        state.PauseTiming();
        delete window;
        state.ResumeTiming();
    }
}

// One step of scrolling: a page down, painted.
void BM_PageDown(benchmark::State& state)
{
    frmInfo* window = frmInfo::showReport(QStringLiteral("Results - bench"), report());
    ReportTextView* box = textBox(window);
    for (auto _ : state) {
        key(box, Qt::Key_PageDown);
        const QPixmap page = box->viewport()->grab();
        benchmark::DoNotOptimize(page.width());
    }
    delete window;
}

// From the first page to the last, painted.
void BM_JumpToEnd(benchmark::State& state)
{
    frmInfo* window = frmInfo::showReport(QStringLiteral("Results - bench"), report());
    ReportTextView* box = textBox(window);
    for (auto _ : state) {
        key(box, Qt::Key_Home, Qt::ControlModifier);
        key(box, Qt::Key_End, Qt::ControlModifier);
        const QPixmap page = box->viewport()->grab();
        benchmark::DoNotOptimize(page.width());
    }
    state.counters["last line"] = box->verticalScrollBar()->value() + box->verticalScrollBar()->pageStep();
    delete window;
}

// The unattended run's save: the report written under the next free name.
void BM_Save(benchmark::State& state)
{
    programState().BatchMode = true;
    programState().SaveResultsFlag = true;
    programState().ResultsFolder = workDir().path();
    for (auto _ : state) {
        state.PauseTiming();
        frmInfo* window = frmInfo::showReport(QStringLiteral("Results - bench"), report());
        state.ResumeTiming();
        window->findChild<QCheckBox*>(QStringLiteral("Auto"))->setChecked(true);
        state.PauseTiming();
        delete window;
        for (const QString& f : QDir(workDir().path()).entryList(QDir::Files))
            QFile::remove(workDir().filePath(f));
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_OpenFirstPage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PageDown)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JumpToEnd)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    usePrivateHome();
    if (!std::getenv("DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication app(argc, argv);
    report();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
