// The main window's start-up, its command-line interpreter and the options
// kept at close, with scripted boxes and the neighbours' commands recorded.
#include <QAtomicInt>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

#include "SumtrixLib/Runtime.hpp"
#include "core/dataset_file.hpp"
#include "core/settings_store.hpp"
#include "platform/message_sinks.hpp"
#include "platform/single_instance.hpp"
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

    // Load only: the file of the earlier /F again, nothing run, window normal.
    calls.clear();
    window->dataMatrix().setText(1, 1, QStringLiteral("typed over"));
    const auto& loadOnly = runCommandLine(QStringLiteral("/Y"));
    EXPECT_EQ(loadOnly.status, 0);
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_NE(window->dataMatrix().cell(1, 1).toDisplayString(), QStringLiteral("typed over"));
    EXPECT_FALSE(window->isMinimized());

    // /S and /L stay in force; /G and /R held for one command line only.
    runCommandLine(QStringLiteral("/p"));
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

    // The dataset of the earlier line is there to evaluate; /Y evaluates
    // nothing.
    const auto& loadOnly = runCommandLine(QStringLiteral("/Y /S"));
    EXPECT_EQ(loadOnly.status, 1);
    EXPECT_EQ(loadOnly.reason, QStringLiteral("KVE: there is no report to save: /Y opens the dataset without evaluating it"));
    EXPECT_TRUE(calls.isEmpty());

    resetProgramState();
    const auto& none = runCommandLine(QStringLiteral("/P /X"));
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.reason, QStringLiteral("KVE: there is no report to print: the command line names no dataset to "
                                          "evaluate (/F<dataset>.KVE)"));
    EXPECT_TRUE(none.quit);
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
