// frmMain's start-up, the command-line interpreter and the close: the
// window's load step (Form_Load), the hand-over button PrevInstanceKVE with
// its click handler, and the settings stored at close (Form_Unload).

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <exception>
#include <optional>

#include "core/command_line.hpp"
#include "core/dataset_file.hpp"
#include "core/kve_code.hpp"
#include "core/program_info.hpp"
#include "core/program_state.hpp"
#include "core/settings_store.hpp"
#include "platform/message_sinks.hpp"
#include "platform/platform_services.hpp"
#include "platform/qt_platform_services.hpp"
#include "platform/single_instance.hpp"
#include "platform/user_folders.hpp"
#include "ui/dataset_commands.hpp"
#include "ui/flex_grid.hpp"
#include "ui/frm_compare.hpp"
#include "ui/frm_info.hpp"
#include "ui/frm_main.hpp"
#include "ui/frm_splash.hpp"
#include "ui/main_window_controls.hpp"
#include "ui/twips.hpp"

namespace {

const char* const HandOverCaption = "PrevInstanceKVE";

// Runs one step of a command line; a run-time error inside it ends that
// step only.
template <class Step>
void guarded(Step&& step)
{
    try {
        step();
    } catch (const std::exception&) {
    } catch (...) {
    }
}

// Follows the results windows that come up while it watches: whether one
// came up, whether a report was saved, and what their batch actions could
// not do.
class ResultsWatcher : public QObject {
public:
    ResultsWatcher() { qApp->installEventFilter(this); }
    ~ResultsWatcher() override { qApp->removeEventFilter(this); }
    bool shown = false;
    bool saved = false;
    QStringList failures;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        auto* window = qobject_cast<frmInfo*>(watched);
        if (!window || m_followed.contains(window))
            return false;
        shown = true;
        m_followed << window;
        connect(window, &frmInfo::batchStepDone, this, [this](frmInfo::BatchStep step, const QString& failure) {
            if (!failure.isEmpty())
                failures << failure;
            else if (step == frmInfo::BatchStep::Save)
                saved = true;
        });
        return false;
    }

private:
    QList<QObject*> m_followed;
};

// A command line that failed and leaves the window open: the start that
// gave it may have no terminal (a file manager's "Open with"), so the
// window shows the reason too, in a box, once the line has been answered.
// The box only tells: it is not modal, so that the program (and the next
// handed-over line) does not wait until somebody closes it.
void sayFailureInWindow(QObject* context, QString reason, bool quits)
{
    if (quits || reason.isEmpty() || nobodyCanSeeWindows())
        return;
    const QString prefix = ProgramName() + QStringLiteral(": ");
    if (reason.startsWith(prefix))
        reason = reason.mid(prefix.size());
    reason = reason.left(1).toUpper() + reason.mid(1);
    QTimer::singleShot(0, context, [reason] { Platform::notice(reason, MsgIcon::Critical); });
}

// What a handed-over command line waits for, as the end of "the running KVE
// waited 10 minutes for ...": an open dialog or box (run inside its event
// loop, the line would change the dataset under it), an open menu, or a
// task that runs an event loop of its own (an R run before its box shows).
// Empty when nothing holds it.
QString whatHoldsHandOvers()
{
    if (QWidget* modal = QApplication::activeModalWidget()) {
        // A box is named by its message ("Running R..." for the box of an
        // R run), a dialog by its caption.
        QString name = modal->accessibleName();
        if (auto* box = qobject_cast<QMessageBox*>(modal); box && name.isEmpty())
            name = box->text();
        if (auto* progress = qobject_cast<QProgressDialog*>(modal); progress && name.isEmpty())
            name = progress->labelText();
        if (name.isEmpty())
            name = modal->windowTitle();
        name = name.simplified();
        if (name.size() > 60)
            name = name.left(59) + QChar(0x2026);
        return name.isEmpty() ? QStringLiteral("its dialog to be closed")
                              : QStringLiteral("its dialog \"%1\" to be closed").arg(name);
    }
    if (QApplication::activePopupWidget())
        return QStringLiteral("its menu to be closed");
    // The program's own event loop is the first; another inside it belongs
    // to a task that waits.
    if (QThread::currentThread()->loopLevel() > 1)
        return QStringLiteral("a task of its own to end");
    return QString();
}

} // namespace

void frmMain::createStartupControls()
{
    // The hand-over button lies below the window's visible part: a second
    // start used to find it by its caption. It stays hidden here; the
    // caption still carries the command line while one runs.
    PrevInstanceKVE = new QPushButton(QStringLiteral("Ready for PrevInstance"), this);
    PrevInstanceKVE->setObjectName(QStringLiteral("PrevInstanceKVE"));
    PrevInstanceKVE->setGeometry(twips(120), twips(9360), twips(9135), twips(495));
    PrevInstanceKVE->hide();
    connect(PrevInstanceKVE, &QPushButton::clicked, this, &frmMain::PrevInstanceKVE_Click);
}

bool frmMain::Form_Load(const QString& commandLine, SingleInstance* instance, int& exitStatus)
{
    exitStatus = 0;
    ProgramState& state = programState();
    // A command line never waits for a person: from here on its boxes go
    // to stderr with their default answers.
    std::optional<UnattendedScope> unattended;
    if (!commandLine.isEmpty())
        unattended.emplace();

    dataMatrix().resize(20);
    setWindowTitle(DatasetFile::mainCaption());
    state.DisclaimerText = defaultDisclaimerText();
    resize(twips(9800), twips(9300));

    // Another instance running: hand the command line over, or ask.
    bool otherInstance = false;
    const QString name = ProgramName();
    if (instance) {
        SingleInstance::Role role = instance->start();
        if (role == SingleInstance::Role::Standalone)
            writeErrorLine(QStringLiteral("%1: other starts cannot hand their command lines to this %1: %2")
                               .arg(name, instance->listenError()));
        while (role == SingleInstance::Role::Secondary || role == SingleInstance::Role::Unreachable) {
            otherInstance = true;
            if (commandLine.isEmpty()) {
                const MsgAnswer answer = Platform::message(
                    QStringLiteral("An instance of the %1 program is already running. "
                                   "Do you want to open a new instance")
                        .arg(name),
                    MsgButtons::YesNo, MsgIcon::Question, name + QStringLiteral(" Instance"), MsgAnswer::No);
                if (answer != MsgAnswer::Yes) {
                    setWindowTitle(QStringLiteral("@@@@@"));
                    instance->requestActivation();
                    return false;
                }
                instance->disconnectFromPrimary();
                break;
            }
            if (role == SingleInstance::Role::Unreachable) {
                exitStatus = 1;
                writeErrorLine(QStringLiteral("%1: another %1 is running but does not answer; "
                                              "the command line was not carried out")
                                   .arg(name));
                return false;
            }
            SingleInstance::Outcome outcome;
            switch (instance->sendCommandLine(commandLine, outcome)) {
            case SingleInstance::Delivery::Done:
                exitStatus = outcome.status;
                if (!outcome.reason.isEmpty())
                    writeErrorLine(outcome.reason);
                return false;
            case SingleInstance::Delivery::Lost:
                exitStatus = 1;
                writeErrorLine(QStringLiteral("%1: the running %1 ended before it had carried out "
                                              "the command line")
                                   .arg(name));
                return false;
            case SingleInstance::Delivery::TimedOut:
                exitStatus = 1;
                writeErrorLine(QStringLiteral("%1: the running %1 gave no outcome within %2 minutes (it may "
                                              "hang); the command line was not carried out or not finished")
                                   .arg(name)
                                   .arg(SingleInstance::HandOverWaitMs / 60000));
                return false;
            case SingleInstance::Delivery::NotReceived:
                // It was ending: start again, as the first instance if it has gone.
                otherInstance = false;
                role = instance->start();
                break;
            }
        }
        if (role == SingleInstance::Role::Primary) {
            instance->setRunner([this](const QString& line) {
                BringWindowToFront();
                PrevInstanceKVE->setText(line);
                PrevInstanceKVE_Click();
                if (m_batchOutcome.status != 0)
                    sayFailureInWindow(this, m_batchOutcome.reason, m_batchOutcome.quit);
                return SingleInstance::Outcome{m_batchOutcome.status, m_batchOutcome.reason,
                                               m_batchOutcome.quit};
            });
            instance->setActivator([this] { BringWindowToFront(); });
            instance->setHoldCheck(whatHoldsHandOvers);
        }
    }

    PrevInstanceKVE->setText(QLatin1String(HandOverCaption));
    state.GridFormatXY = QStringLiteral("##.#000");
    state.GridFormatSD = QStringLiteral("#.#0000");
    text1(TextBox::GridFormatXY)->setText(state.GridFormatXY);
    text1(TextBox::GridFormatSD)->setText(state.GridFormatSD);

    // A command line hides the splash again at once: where nobody sees the
    // screen, it is not shown at all.
    if (!otherInstance && !(nobodyCanSeeWindows() && !commandLine.isEmpty()))
        (new frmSplash())->show();

    AssignRowNumbers();

    const DatasetFile::DatasetOptions options = gatherOptions();
    for (int column = 1; column <= 14; ++column)
        state.ResidueSelection[static_cast<std::size_t>(column)] =
            DatasetFile::isChosen(options, DatasetFile::residueOption(column));

    for (const PersistedOption& option : PersistedOptions) {
        const auto stored = SettingsStore::CheckStateFromSetting(
            SettingsStore::GetSetting(QLatin1String(option.key)));
        if (!stored)
            continue;
        if (auto* box = findChild<QCheckBox*>(optionControlName(option.option))) {
            box->setTristate(*stored == Qt::PartiallyChecked);
            box->setCheckState(*stored);
        }
    }

    state.DocumentsFolder = ShellServices::GetSpecialFolder(ShellServices::FolderDocuments);
    state.ProgramFilesFolder = ShellServices::GetSpecialFolder(ShellServices::FolderProgramFiles);
    QString warning;
    if (!EnsureWorkFolder(state.DocumentsFolder, warning))
        Platform::message(warning, MsgButtons::Ok, MsgIcon::Exclamation);

    if (!commandLine.isEmpty()) {
        if (frmSplash* splash = frmSplash::current())
            splash->hide();
        PrevInstanceKVE->setText(commandLine);
        if (instance && instance->role() == SingleInstance::Role::Primary) {
            // In turn with requests that come in meanwhile; the outcome is
            // this command line's, the end is asked by any of them.
            const SingleInstance::Outcome own = instance->runLocal(commandLine);
            m_batchOutcome = {own.status, own.reason, own.quit || instance->quitPending()};
        } else {
            PrevInstanceKVE_Click();
        }
        if (m_batchOutcome.status != 0 && !m_batchOutcome.reason.isEmpty()) {
            writeErrorLine(m_batchOutcome.reason);
            // The window comes up after a command line that failed: a start
            // from a file manager has no terminal to show the line on, so
            // the window says it too, once it is up.
            sayFailureInWindow(this, m_batchOutcome.reason, m_batchOutcome.quit);
        }
    }
    return true;
}

void frmMain::GetParameters(const QString& s, QStringList& Parm)
{
    KVECode::GetParameters(s, Parm);
}

void frmMain::BringWindowToFront()
{
    if (!isVisible())
        return;
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    // A dialog or box that is open stays in front: it is what the user has
    // to answer first (and what a handed-over command line waits for).
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this) {
        modal->raise();
        modal->activateWindow();
    }
}

void frmMain::PrevInstanceKVE_Click()
{
    m_sheet->commitEdit();
    ProgramState& state = programState();
    // The boxes of the run are written once it is known how it went: a run
    // that fails gives one line, its reason, which carries the box that
    // tells why.
    QStringList boxLines;
    UnattendedScope unattended([&boxLines](const QString& line) { boxLines << line; });
    BatchOutcome outcome;
    const auto failWith = [&outcome](const QString& line) {
        if (outcome.status == 0) {
            outcome.status = 1;
            outcome.reason = line;
        }
    };
    const auto fail = [&failWith](const QString& reason) { failWith(ProgramName() + QStringLiteral(": ") + reason); };

    QStringList Parm{QString(), QString()};
    KVECode::CommandLineSwitches sw;
    guarded([&] { setWindowState(windowState() & ~Qt::WindowMinimized); });
    guarded([&] {
        GetParameters(PrevInstanceKVE->text(), Parm);
        sw = KVECode::ParseSwitches(Parm);
    });
    // A line naming two datasets (or two comparison files) is carried out
    // not at all, rather than with one of them dropped.
    const QString moreThanOne = KVECode::MoreThanOneFile(sw);
    const bool carryOut = moreThanOne.isEmpty();
    if (carryOut)
        guarded([&] { KVECode::ApplySwitches(sw, state); });
    else
        fail(moreThanOne);
    guarded([&] {
        if (frmSplash* splash = frmSplash::current())
            splash->hide();
    });
    state.BatchMode = true;

    // Only a dataset this line names is opened: a line without /F (a
    // comparison file from a file manager, /S alone) leaves the open dataset
    // and what was typed into the sheet as they are, also when an earlier
    // line's file is still in OpenRequestFile.
    const bool datasetNamed = carryOut && sw.OpenFile && KVECode::FileExists(*sw.OpenFile);
    if (carryOut && sw.OpenFile && !datasetNamed)
        fail(sw.OpenFile->isEmpty() ? QStringLiteral("/F names no dataset file")
                                    : QStringLiteral("dataset file not found: ") + *sw.OpenFile);
    if (datasetNamed) {
        const QString file = state.OpenRequestFile;
        bool loaded = false;
        guarded([&] { DatasetCommands::clearCells(*this); });
        const std::size_t boxesBefore = unattended.service().asked.size();
        guarded([&] { loaded = DatasetCommands::Command8_Click(*this); });
        if (!loaded) {
            const std::vector<MessageRequest>& asked = unattended.service().asked;
            if (asked.size() > boxesBefore)
                failWith(UnattendedMessageService::lineOf(asked.back()));
            else
                fail(QStringLiteral("the dataset could not be loaded: ") + file);
        }
        // A report to be printed: the printer is asked before the
        // evaluation, so that a line that cannot print fails at once rather
        // than after a long run. Its report is still made where it is kept
        // (saved, or left in its window), without the print.
        QString cannotPrint;
        if (!sw.NoRun && state.PrintResultsFlag)
            guarded([&] {
                QString reason;
                if (!Platform::printer().canPrint(PrintSettings{}, reason))
                    cannotPrint = QStringLiteral("the report could not be printed: ") + reason;
            });
        if (!sw.NoRun && (cannotPrint.isEmpty() || KVECode::EvaluateWithoutPrint(sw, state))) {
            const bool printAsked = state.PrintResultsFlag;
            if (!cannotPrint.isEmpty())
                state.PrintResultsFlag = false;
            guarded([&] {
                check(CheckBox::ResidualPlot)->setChecked(sw.Plots);
                if (sw.Plots)
                    Command11_Click();
            });
            guarded([&] { check(CheckBox::ResidualAnalysis)->setChecked(sw.ResidualAnalysis); });
            // The results window saves and prints its report itself; it
            // tells how that went.
            ResultsWatcher watcher;
            m_lastRunRefusal.clear();
            m_lastRunUnsavedFiles.clear();
            guarded([&] { Command6_Click(); });
            for (const QString& failure : std::as_const(watcher.failures))
                fail(failure);
            // A command line that asked for a run and got no report says why.
            if (!watcher.shown && !m_lastRunRefusal.isEmpty())
                fail(m_lastRunRefusal);
            if (state.SaveResultsFlag && watcher.shown && !watcher.saved)
                fail(QStringLiteral("the report was not saved"));
            // The report is saved; a file besides it that the run could
            // not write still makes the command line fail.
            for (const QString& unsaved : std::as_const(m_lastRunUnsavedFiles))
                fail(unsaved);
            guarded([&] {
                if (sw.Plots)
                    Command14_Click();
            });
            // The flag stays in force for later lines.
            state.PrintResultsFlag = printAsked;
        }
        // After the run's own failures, as when the print itself failed.
        if (!cannotPrint.isEmpty())
            fail(cannotPrint);
    }

    // /S or /P that can make no report: the line fails, so that a script
    // never takes "nothing saved" for done.
    if (carryOut) {
        const QString noReport = KVECode::NoReportToMake(sw, datasetNamed);
        if (!noReport.isEmpty())
            fail(noReport);
    }

    // The same for the comparison window: only a comparison file this line
    // names is read into it again.
    if (carryOut && sw.CompareFile && !KVECode::FileExists(*sw.CompareFile))
        fail(QStringLiteral("comparison file not found: ") + *sw.CompareFile);
    if (carryOut && sw.CompareFile && KVECode::FileExists(*sw.CompareFile)) {
        QString unread;
        guarded([&] { unread = frmCompare::showFromCommandLine(); });
        if (!unread.isEmpty())
            fail(unread);
    }

    PrevInstanceKVE->setText(QLatin1String(HandOverCaption));
    state.BatchMode = false;
    if (outcome.status == 0)
        for (const QString& line : std::as_const(boxLines))
            writeErrorLine(line);

    if (sw.Quit) {
        outcome.quit = true;
    } else if (sw.NoRun || !carryOut) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
    } else {
        setWindowState(windowState() | Qt::WindowMinimized);
    }
    m_batchOutcome = outcome;
}

void frmMain::Form_Unload()
{
    QList<std::pair<QString, QString>> values;
    for (const PersistedOption& option : PersistedOptions) {
        if (auto* box = findChild<QCheckBox*>(optionControlName(option.option)))
            values.append({QLatin1String(option.key), SettingsStore::SettingFromCheckState(box->checkState())});
    }
    SettingsStore::SaveSettings(values);
}
