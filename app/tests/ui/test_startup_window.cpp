// The main window's start-up, its command-line interpreter and the options
// kept at close, with scripted boxes and the neighbours' commands recorded.
#include <QAtomicInt>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

#include "SumtrixLib/Runtime.hpp"
#include "core/dataset_file.hpp"
#include "core/settings_store.hpp"
#include "platform/message_sinks.hpp"
#include "platform/single_instance.hpp"
#include "support/second_start.hpp"
#include "ui/frm_compare.hpp"
#include "ui/frm_splash.hpp"
#include "window_fixture.hpp"

namespace {

const QString Sample = QStringLiteral(KVE_SOURCE_DIR "/examples/crop_yield.KVE");

QString readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

class StartupTest : public WindowTest {
protected:
    void TearDown() override
    {
        for (const PersistedOption& o : PersistedOptions)
            SettingsStore::DeleteSetting(QLatin1String(o.key));
        WindowTest::TearDown();
    }

    // Runs a command line as a hand-over does.
    const frmMain::BatchOutcome& runCommandLine(const QString& line)
    {
        window->prevInstanceButton()->setText(line);
        window->PrevInstanceKVE_Click();
        return window->lastBatchOutcome();
    }

    // The neighbours' commands and the runs (the report window coming up),
    // recorded in the order they happened, with the switches each run saw.
    QStringList calls;
    bool residualAnalysisAtRun = false;
    bool residualPlotAtRun = false;
    bool batchModeAtRun = false;
    // Runs as the scatter plot comes up.
    std::function<void()> atScatter;
    void recordNeighbours()
    {
        m_charts = std::make_unique<ShownCharts>();
        m_charts->shown = [this](const QString& title) {
            if (title == QLatin1String("Observed vs Model-Predicted")) {
                calls << QStringLiteral("scatter");
                if (atScatter)
                    atScatter();
            } else if (title == QLatin1String("Rank of Observed vs Rank of Model-Predicted")) {
                calls << QStringLiteral("rank");
            }
        };
        m_runs = std::make_unique<ReportWatcher>([this] {
            calls << QStringLiteral("run");
            residualAnalysisAtRun = window->check(CheckBox::ResidualAnalysis)->isChecked();
            residualPlotAtRun = window->check(CheckBox::ResidualPlot)->isChecked();
            batchModeAtRun = programState().BatchMode;
        });
    }

    // The sample with ranks in its rank columns, so that the rank plot after
    // a run has points to draw.
    QString rankedSample()
    {
        const DatasetFile::LoadResult loaded = DatasetFile::LoadFile(Sample, QStringLiteral("19"), 19);
        EXPECT_TRUE(loaded.ok());
        DatasetFile::DatasetState state;
        if (loaded.ok())
            DatasetFile::applyContent(*loaded.content, state);
        for (int r = 1; r < state.matrix.upperRow(); ++r) {
            state.matrix.setNumber(DataMatrix::ColRankX, r, r);
            state.matrix.setNumber(DataMatrix::ColRankY, r, state.matrix.upperRow() - r);
        }
        const QString path = m_files.filePath(QStringLiteral("ranked.KVE"));
        EXPECT_EQ(DatasetFile::SaveFile(path, state), QString());
        return path;
    }

private:
    // Calls `shown` whenever a report window comes up (the run's side
    // windows, "Deviation Analyses - ..." and the like, are not counted).
    class ReportWatcher : public QObject {
    public:
        explicit ReportWatcher(std::function<void()> shown) : m_shown(std::move(shown)) { qApp->installEventFilter(this); }
        ~ReportWatcher() override { qApp->removeEventFilter(this); }

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("frmInfo")
                && static_cast<QWidget*>(watched)->windowTitle().startsWith(QLatin1String("Results - ")))
                m_shown();
            return false;
        }

    private:
        std::function<void()> m_shown;
    };
    std::unique_ptr<ReportWatcher> m_runs;
    std::unique_ptr<ShownCharts> m_charts;
    QTemporaryDir m_files;
};

} // namespace

TEST_F(StartupTest, LoadWithoutCommandLine)
{
    int status = -1;
    ASSERT_TRUE(window->Form_Load(QString(), nullptr, status));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("KVE v. 3.1.0"));
    EXPECT_EQ(window->prevInstanceButton()->text(), QStringLiteral("PrevInstanceKVE"));
    EXPECT_EQ(window->prevInstanceButton()->objectName(), QStringLiteral("PrevInstanceKVE"));
    ASSERT_NE(frmSplash::current(), nullptr);
    EXPECT_TRUE(frmSplash::current()->isVisible());

    const ProgramState& state = programState();
    EXPECT_FALSE(state.DisclaimerText.isEmpty());
    for (int k = 1; k <= 14; ++k)
        EXPECT_EQ(state.ResidueSelection[k], k != 6 && k != 8 && k != 14) << k;
    EXPECT_EQ(state.DocumentsFolder, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    EXPECT_EQ(state.ProgramFilesFolder, QStringLiteral("/usr/lib"));
    EXPECT_TRUE(QFileInfo(state.DocumentsFolder + QStringLiteral("/KVE Files")).isDir());
    EXPECT_EQ(box(13)->text(), QStringLiteral("##.#000"));
    EXPECT_EQ(box(12)->text(), QStringLiteral("#.#0000"));
    EXPECT_TRUE(platform->messages.asked.empty());
}

TEST_F(StartupTest, SettingsAppliedAtStartAndStoredAtClose)
{
    SettingsStore::SaveSetting(QStringLiteral("AutoIncreaseRows"), QStringLiteral("yes")); // passed over
    SettingsStore::SaveSetting(QStringLiteral("AddComments"), QStringLiteral("0"));
    SettingsStore::SaveSetting(QStringLiteral("ShowExcluded"), QStringLiteral("2"));
    SettingsStore::SaveSetting(QStringLiteral("ShowRef"), QStringLiteral("1"));
    SettingsStore::SaveSetting(QStringLiteral("PlotYXLine"), QString());              // empty: the default

    int status = 0;
    ASSERT_TRUE(window->Form_Load(QString(), nullptr, status));
    const struct {
        int check;
        Qt::CheckState state;
    } atStart[] = {
        {9, Qt::Checked}, {8, Qt::Checked}, {22, Qt::Checked}, {13, Qt::Unchecked},
        {1, Qt::PartiallyChecked}, {46, Qt::Checked}, {28, Qt::Checked},
    };
    for (const auto& e : atStart)
        EXPECT_EQ(window->check(e.check)->checkState(), e.state) << "Check" << e.check;

    window->check(9)->setChecked(false);
    window->check(13)->setChecked(true);
    window->close();
    const struct {
        const char* key;
        const char* value;
    } stored[] = {
        {"AutoIncreaseRows", "0"}, {"PasteSingleColumn", "1"}, {"SameScaleXYAxis", "1"},
        {"AddComments", "1"},      {"ShowExcluded", "2"},      {"PlotYXLine", "1"},
        {"ShowRef", "1"},
    };
    for (const auto& e : stored)
        EXPECT_EQ(SettingsStore::GetSetting(QLatin1String(e.key)), QLatin1String(e.value)) << e.key;
}

TEST_F(StartupTest, CommandLineRunsInOrderAndTheReportSavesItself)
{
    recordNeighbours();
    QTemporaryDir out;
    const QString folder = out.path() + QStringLiteral("/");
    int status = 0;
    ASSERT_TRUE(window->Form_Load(QString(), nullptr, status));
    window->show();

    const QString ranked = rankedSample();
    const auto& first = runCommandLine(QStringLiteral("/F\"") + ranked + QStringLiteral("\" /g /R /S /L") + folder);
    EXPECT_EQ(first.status, 0) << first.reason.toStdString();
    EXPECT_FALSE(first.quit);
    EXPECT_EQ(calls, (QStringList{"scatter", "run", "rank"}));
    EXPECT_TRUE(residualAnalysisAtRun);
    EXPECT_TRUE(residualPlotAtRun);
    EXPECT_TRUE(batchModeAtRun);
    EXPECT_EQ(programState().DataFileName, ranked);
    const QString saved = readAll(folder + QStringLiteral("Notes0000.TXT"));
    EXPECT_TRUE(saved.startsWith(QStringLiteral("KVE v. "))) << saved.left(80).toStdString();
    EXPECT_TRUE(saved.contains(QStringLiteral("[ranked.KVE]")));
    EXPECT_TRUE(saved.contains(QStringLiteral("\r\nREGRESSION ANALYSIS: Y = a + b×X (Neter et al., 1996)\r\n")));
    EXPECT_TRUE(window->isMinimized());
    EXPECT_FALSE(programState().BatchMode);
    EXPECT_EQ(window->prevInstanceButton()->text(), QStringLiteral("PrevInstanceKVE"));
    EXPECT_FALSE(frmSplash::current() && frmSplash::current()->isVisible());

    // A line without /F opens no dataset: not the file of the earlier /F
    // either, which would throw away what was typed. /Y: nothing run,
    // window normal.
    calls.clear();
    window->dataMatrix().setText(1, 1, QStringLiteral("typed over"));
    const auto& loadOnly = runCommandLine(QStringLiteral("/Y"));
    EXPECT_EQ(loadOnly.status, 0);
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(window->dataMatrix().cell(1, 1).toDisplayString(), QStringLiteral("typed over"));
    EXPECT_EQ(programState().DataFileName, ranked);
    EXPECT_FALSE(window->isMinimized());

    // /S and /L stay in force; /G and /R held for one command line only.
    runCommandLine(QStringLiteral("/F") + ranked + QStringLiteral(" /p"));
    EXPECT_EQ(calls, QStringList{"run"});
    EXPECT_FALSE(residualAnalysisAtRun);
    EXPECT_FALSE(residualPlotAtRun);
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("Notes0001.TXT")));
    EXPECT_EQ(platform->printer.jobs.size(), 1u);

    // Nothing of it waited on a box.
    EXPECT_TRUE(platform->messages.asked.empty());
}

TEST_F(StartupTest, FailuresGiveAReasonAndNeverABox)
{
    recordNeighbours();
    int status = 0;
    ASSERT_TRUE(window->Form_Load(QString(), nullptr, status));
    QTemporaryDir dir2;

    const struct {
        QString line;
        const char* reason;
    } cases[] = {
        {QStringLiteral("/F") + dir2.path() + QStringLiteral("/none.KVE /X"), "KVE: dataset file not found: "},
        {QStringLiteral("/F ") + Sample + QStringLiteral(" /X"), "KVE: /F names no dataset file"},
        {QStringLiteral("/F") + Sample + QStringLiteral(" /S /L") + dir2.path() + QStringLiteral("/missing/ /X"),
         "KVE: the report could not be saved in "},
        {QStringLiteral("/C") + dir2.path() + QStringLiteral("/none.QCX"), "KVE: comparison file not found: "},
        {QStringLiteral("/F") + Sample + QStringLiteral(" /P /X"),
         "KVE: the report could not be printed: No printer is installed."},
    };
    platform->printer.noPrinter = true;
    for (const auto& c : cases) {
        resetProgramState();
        const auto& outcome = runCommandLine(c.line);
        EXPECT_EQ(outcome.status, 1) << c.line.toStdString();
        EXPECT_TRUE(outcome.reason.startsWith(QLatin1String(c.reason))) << outcome.reason.toStdString();
        EXPECT_EQ(outcome.quit, c.line.endsWith(QStringLiteral("/X")));
        EXPECT_FALSE(programState().BatchMode);
    }
    EXPECT_TRUE(platform->messages.asked.empty());
}

TEST_F(StartupTest, APrintWithoutAPrinterFailsBeforeTheEvaluation)
{
    // The printer is asked before the evaluation. Where the report would be
    // kept (saved, or left in its window) it is still made, without the
    // print; where nothing of it would be left, it is not made at all. The
    // line fails with the print's reason either way.
    recordNeighbours();
    int status = 0;
    ASSERT_TRUE(window->Form_Load(QString(), nullptr, status));
    platform->printer.noPrinter = true;
    QTemporaryDir out;
    const QString folder = out.path() + QStringLiteral("/");
    const struct {
        QString switches;
        bool evaluated;
        bool saved;
    } cases[] = {
        {QStringLiteral("/P /X"), false, false},
        {QStringLiteral("/P /O"), false, false},
        {QStringLiteral("/P /S /L") + folder + QStringLiteral(" /X"), true, true},
        {QStringLiteral("/P"), true, false}, // the results window stays open
    };
    for (const auto& c : cases) {
        resetProgramState();
        calls.clear();
        QFile::remove(folder + QStringLiteral("Notes0000.TXT"));
        const auto& outcome = runCommandLine(QStringLiteral("/F") + Sample + QLatin1Char(' ') + c.switches);
        EXPECT_EQ(outcome.status, 1) << c.switches.toStdString();
        EXPECT_EQ(outcome.reason, QStringLiteral("KVE: the report could not be printed: No printer is installed."))
            << c.switches.toStdString();
        EXPECT_EQ(calls, c.evaluated ? QStringList{"run"} : QStringList{}) << c.switches.toStdString();
        EXPECT_EQ(QFile::exists(folder + QStringLiteral("Notes0000.TXT")), c.saved) << c.switches.toStdString();
        // The dataset is opened all the same, and /P stays in force.
        EXPECT_EQ(programState().DataFileName, Sample);
        EXPECT_TRUE(programState().PrintResultsFlag);
    }
    EXPECT_TRUE(platform->printer.jobs.empty());
    EXPECT_TRUE(platform->messages.asked.empty());

    // With a printer the report prints as before.
    platform->printer.noPrinter = false;
    resetProgramState();
    calls.clear();
    EXPECT_EQ(runCommandLine(QStringLiteral("/F") + Sample + QStringLiteral(" /P /X")).status, 0);
    EXPECT_EQ(calls, QStringList{"run"});
    EXPECT_EQ(platform->printer.jobs.size(), 1u);
}

TEST_F(StartupTest, TwoDatasetsOrAReportThatCannotBeMadeFailTheLine)
{
    // A line that names two datasets is carried out not at all: the open
    // dataset stays as it is, with what was typed, and the line's switches
    // are not kept for later lines. /S or /P that can make no report fails.
    recordNeighbours();
    int status = 0;
    ASSERT_TRUE(window->Form_Load(QString(), nullptr, status));
    const QString ranked = rankedSample();
    ASSERT_EQ(runCommandLine(QStringLiteral("/F") + Sample + QStringLiteral(" /Y")).status, 0);
    window->dataMatrix().setText(1, 1, QStringLiteral("typed over"));

    const auto& two = runCommandLine(QStringLiteral("/F") + Sample + QStringLiteral(" /F") + ranked
                                     + QStringLiteral(" /S"));
    EXPECT_EQ(two.status, 1);
    EXPECT_EQ(two.reason, QStringLiteral("KVE: the command line names more than one dataset (") + Sample
                              + QStringLiteral(", ") + ranked
                              + QStringLiteral("); KVE opens one at a time, so it opened none"));
    EXPECT_EQ(window->dataMatrix().cell(1, 1).toDisplayString(), QStringLiteral("typed over"));
    EXPECT_EQ(programState().OpenRequestFile, Sample);
    EXPECT_FALSE(programState().SaveResultsFlag);
    EXPECT_TRUE(calls.isEmpty());

    // /Y evaluates nothing.
    const auto& loadOnly = runCommandLine(QStringLiteral("/Y /S"));
    EXPECT_EQ(loadOnly.status, 1);
    EXPECT_EQ(loadOnly.reason, QStringLiteral("KVE: there is no report to save: /Y opens the dataset without evaluating it"));
    EXPECT_TRUE(calls.isEmpty());

    // A line that names no dataset has none to evaluate, as at the first
    // start: the file of an earlier /F is not opened again, and what was
    // typed stays.
    const auto& none = runCommandLine(QStringLiteral("/P /X"));
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.reason, QStringLiteral("KVE: there is no report to print: the command line names no dataset to "
                                          "evaluate (/F<dataset>.KVE)"));
    EXPECT_TRUE(none.quit);
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(window->dataMatrix().cell(1, 1).toDisplayString(), QStringLiteral("typed over"));
    EXPECT_EQ(programState().DataFileName, Sample);

    // So does a comparison file handed over (a file manager's double-click
    // on a .QCX file): the comparison window comes up, the sheet stays.
    QTemporaryDir lists;
    const QString list = lists.filePath(QStringLiteral("models.QCX"));
    QFile listFile(list);
    ASSERT_TRUE(listFile.open(QIODevice::WriteOnly));
    listFile.write(("#TRUE#,\"" + ranked + "\"\r\n").toUtf8());
    listFile.close();
    const auto& comparison = runCommandLine(QStringLiteral("/C") + list);
    EXPECT_EQ(comparison.status, 0) << comparison.reason.toStdString();
    ASSERT_TRUE(frmCompare::isLoaded());
    EXPECT_TRUE(frmCompare::instance()->isVisible());
    EXPECT_EQ(frmCompare::instance()->list()->count(), 1);
    EXPECT_EQ(window->dataMatrix().cell(1, 1).toDisplayString(), QStringLiteral("typed over"));
    EXPECT_EQ(programState().DataFileName, Sample);

    // A later line without /C leaves the comparison window's list alone
    // too: it is not read again from the earlier line's file.
    frmCompare::instance()->list()->item(0)->setCheckState(Qt::Unchecked);
    ASSERT_EQ(runCommandLine(QStringLiteral("/F") + Sample + QStringLiteral(" /Y")).status, 0);
    EXPECT_EQ(frmCompare::instance()->list()->item(0)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_TRUE(platform->printer.jobs.empty());
    EXPECT_TRUE(platform->messages.asked.empty());
}

TEST_F(StartupTest, CommandLineAtStartHidesTheSplashAndSendsMessagesToStderr)
{
    recordNeighbours();
    PlatformMessageSink librarySink;
    SumtrixLib::ScopedMessageSink library(librarySink);
    // A library message while the command line runs (the scatter plot of /G
    // comes before the run, the rank plot after it).
    atScatter = [] { SumtrixLib::showMessage("No convergence", SumtrixLib::MessageIcon::Exclamation); };

    QPointer<frmSplash> earlierSplash = new frmSplash();
    earlierSplash->show();
    QTemporaryDir folder;
    SingleInstance instance(folder.path());
    int status = -1;
    ASSERT_TRUE(window->Form_Load(QStringLiteral("/F") + Sample + QStringLiteral(" /G /X"), &instance, status));
    EXPECT_EQ(instance.role(), SingleInstance::Role::Primary);
    // Where nobody sees the screen, a command line at the start makes no
    // splash, and one already up is hidden.
    EXPECT_EQ(frmSplash::current(), earlierSplash.data());
    EXPECT_FALSE(earlierSplash->isVisible());
    EXPECT_EQ(calls, (QStringList{"scatter", "run", "rank"}));
    EXPECT_EQ(programState().DataFileName, Sample);
    EXPECT_TRUE(window->lastBatchOutcome().quit);
    EXPECT_EQ(window->lastBatchOutcome().status, 0);
    // The messages went to stderr, not into a box.
    EXPECT_TRUE(platform->messages.asked.empty());

    // Outside a command line it is a box again.
    SumtrixLib::showMessage("No convergence", SumtrixLib::MessageIcon::Exclamation);
    EXPECT_EQ(platform->messages.asked.size(), 1u);
}

namespace {
// A running first instance on a thread of its own.
class FirstInstance {
public:
    explicit FirstInstance(const QString& folder)
    {
        m_thread = QThread::create([this, folder] {
            SingleInstance primary(folder);
            primary.start();
            primary.setActivator([this] { ++activations; });
            ready = true;
            QEventLoop loop;
            while (!stop) {
                loop.processEvents(QEventLoop::AllEvents, 20);
                QThread::msleep(5);
            }
        });
        m_thread->start();
        while (!ready)
            QThread::msleep(5);
    }
    ~FirstInstance()
    {
        stop = true;
        m_thread->wait();
        delete m_thread;
    }
    std::atomic<int> activations{0};

private:
    QThread* m_thread = nullptr;
    std::atomic<bool> ready{false};
    std::atomic<bool> stop{false};
};
} // namespace

TEST_F(StartupTest, SecondStartWithoutCommandLineAsks)
{
    QTemporaryDir folder;
    FirstInstance first(folder.path());

    // No: the running one comes to the front, this start ends.
    {
        SingleInstance second(folder.path());
        platform->messages.answers.push_back(MsgAnswer::No);
        int status = -1;
        EXPECT_FALSE(window->Form_Load(QString(), &second, status));
        EXPECT_EQ(status, 0);
        ASSERT_EQ(platform->messages.asked.size(), 1u);
        const MessageRequest& q = platform->messages.asked[0];
        EXPECT_EQ(q.text, QStringLiteral("An instance of the KVE program is already running. "
                                         "Do you want to open a new instance"));
        EXPECT_EQ(q.title, QStringLiteral("KVE Instance"));
        EXPECT_EQ(q.buttons, MsgButtons::YesNo);
        EXPECT_EQ(q.icon, MsgIcon::Question);
        EXPECT_EQ(q.defaultAnswer, MsgAnswer::No);
        EXPECT_EQ(first.activations.load(), 1);
        EXPECT_EQ(frmSplash::current(), nullptr);
    }

    // Yes: an independent second instance, without the splash screen.
    {
        SingleInstance second(folder.path());
        platform->messages.answers.push_back(MsgAnswer::Yes);
        int status = -1;
        EXPECT_TRUE(window->Form_Load(QString(), &second, status));
        EXPECT_EQ(frmSplash::current(), nullptr);
        EXPECT_EQ(window->windowTitle(), QStringLiteral("KVE v. 3.1.0"));
        EXPECT_EQ(first.activations.load(), 1);
    }
}

namespace {
// Runs the events for a few rounds of the hand-over's look at what holds it.
void spinSomeHoldRounds()
{
    QElapsedTimer timer;
    timer.start();
    spinUntil([&] { return timer.elapsed() > 3 * SingleInstance::HoldPollMs; });
}
} // namespace

TEST_F(StartupTest, AHandedOverLineWaitsWhileADialogIsOpen)
{
    QTemporaryDir folder;
    SingleInstance instance(folder.path());
    int status = -1;
    ASSERT_TRUE(window->Form_Load(QString(), &instance, status));
    ASSERT_EQ(instance.role(), SingleInstance::Role::Primary);
    window->show();
    const QString ranked = rankedSample();

    // Each thing that runs an event loop of its own while the user is at
    // it: run inside it, the line would replace the dataset under it.
    using Hold = std::function<void(const std::function<void()>& whileOpen)>;
    const struct {
        const char* name;
        Hold hold;
    } holds[] = {
        {"dialog",
         [&](const std::function<void()>& whileOpen) {
             QDialog dialog(window.get());
             dialog.setWindowTitle(QStringLiteral("Save as dataset file"));
             QTimer::singleShot(0, &dialog, [&] {
                 whileOpen();
                 dialog.reject();
             });
             dialog.exec();
         }},
        {"box",
         [&](const std::function<void()>& whileOpen) {
             QMessageBox box(QMessageBox::Question, QStringLiteral("KVE"), QStringLiteral("Do you want clear the dataset?"),
                             QMessageBox::Yes | QMessageBox::No, window.get());
             QTimer::singleShot(0, &box, [&] {
                 whileOpen();
                 box.done(QMessageBox::No);
             });
             box.exec();
         }},
        {"menu",
         [&](const std::function<void()>& whileOpen) {
             QMenu menu(window.get());
             menu.addAction(QStringLiteral("Copy"));
             menu.popup(window->mapToGlobal(QPoint(20, 20)));
             whileOpen();
             menu.close();
         }},
        {"task with an event loop of its own",
         [&](const std::function<void()>& whileOpen) {
             // The program's event loop, and a task's loop inside it.
             QEventLoop program;
             QTimer::singleShot(0, &program, [&] {
                 QEventLoop task;
                 QTimer::singleShot(0, &task, [&] {
                     whileOpen();
                     task.quit();
                 });
                 task.exec();
                 program.quit();
             });
             program.exec();
         }},
    };
    QString open = Sample;
    ASSERT_EQ(runCommandLine(QStringLiteral("/F") + open + QStringLiteral(" /Y")).status, 0);
    for (const auto& h : holds) {
        const QString other = open == Sample ? ranked : Sample;
        window->dataMatrix().setText(1, 1, QStringLiteral("99"));
        std::unique_ptr<SecondStart> handOver;
        h.hold([&] {
            handOver = std::make_unique<SecondStart>(folder.path(), QStringLiteral("/F") + other + QStringLiteral(" /Y"));
            ASSERT_TRUE(spinUntil([&] { return instance.queued() == 1 || handOver->finished.load(); })) << h.name;
            spinSomeHoldRounds();
            // Taken, but not carried out while it is open.
            EXPECT_FALSE(handOver->finished.load()) << h.name;
            EXPECT_EQ(window->dataMatrix().cell(1, 1).toDisplayString(), QStringLiteral("99")) << h.name;
            EXPECT_EQ(programState().DataFileName, open) << h.name;
        });
        ASSERT_TRUE(handOver) << h.name;
        // Closed: the line is carried out.
        ASSERT_TRUE(spinUntil([&] { return handOver->finished.load(); })) << h.name;
        EXPECT_EQ(handOver->delivery, SingleInstance::Delivery::Done) << h.name;
        EXPECT_EQ(handOver->outcome.status, 0) << h.name << ": " << handOver->outcome.reason.toStdString();
        EXPECT_EQ(programState().DataFileName, other) << h.name;
        EXPECT_NE(window->dataMatrix().cell(1, 1).toDisplayString(), QStringLiteral("99")) << h.name;
        open = other;
    }

    // A dialog left open past the hold limit: the line is not carried out,
    // and the start that handed it over hears which dialog held it.
    instance.setHoldLimit(300);
    window->dataMatrix().setText(1, 1, QStringLiteral("99"));
    std::unique_ptr<SecondStart> givenUp;
    holds[0].hold([&] {
        givenUp = std::make_unique<SecondStart>(folder.path(), QStringLiteral("/F") + ranked + QStringLiteral(" /Y"));
        ASSERT_TRUE(spinUntil([&] { return givenUp->finished.load(); }));
    });
    ASSERT_TRUE(givenUp);
    EXPECT_EQ(givenUp->delivery, SingleInstance::Delivery::Done);
    EXPECT_EQ(givenUp->outcome.status, 1);
    EXPECT_EQ(givenUp->outcome.reason, QStringLiteral("KVE: the command line was not carried out: the running KVE waited 1 "
                                                      "second for its dialog \"Save as dataset file\" to be closed"));
    spinSomeHoldRounds();
    EXPECT_EQ(window->dataMatrix().cell(1, 1).toDisplayString(), QStringLiteral("99"));
    EXPECT_EQ(programState().DataFileName, open);
    EXPECT_TRUE(platform->messages.asked.empty());
}
