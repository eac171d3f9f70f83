#include "platform/process_runner.hpp"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <array>
#include <atomic>
#include <csignal>
#include <optional>

#include <pthread.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace {

// The process groups of the programs running now, for the signal handler
// (0: a free slot). Atomic slots, because the handler may interrupt their
// update.
std::array<std::atomic<pid_t>, 64> g_runningGroups{};

constexpr int EndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

// A signal that ends KVE kills the running groups first, then ends KVE as
// it would have without this handler. Only async-signal-safe calls here.
void onEndingSignal(int signal)
{
    for (std::atomic<pid_t>& slot : g_runningGroups) {
        const pid_t group = slot.load();
        if (group > 0)
            ::kill(-group, SIGKILL);
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// Installed once, for the signals whose action is still the default one
// (a signal KVE ignores, or one that somebody else handles, is left alone).
void watchEndingSignals()
{
    static const bool installed = [] {
        for (int signal : EndingSignals) {
            struct sigaction current = {};
            if (::sigaction(signal, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) != 0
                || current.sa_handler != SIG_DFL)
                continue;
            struct sigaction handler = {};
            handler.sa_handler = onEndingSignal;
            sigemptyset(&handler.sa_mask);
            handler.sa_flags = SA_RESTART;
            ::sigaction(signal, &handler, nullptr);
        }
        return true;
    }();
    (void)installed;
}

// A running program's process group, known to the signal handler while it
// lives.
class RunningGroup {
public:
    explicit RunningGroup(pid_t group) : m_group(group)
    {
        for (std::atomic<pid_t>& slot : g_runningGroups) {
            pid_t free = 0;
            if (slot.compare_exchange_strong(free, group)) {
                m_slot = &slot;
                break;
            }
        }
    }
    ~RunningGroup()
    {
        if (m_slot)
            m_slot->store(0);
    }
    RunningGroup(const RunningGroup&) = delete;
    RunningGroup& operator=(const RunningGroup&) = delete;

    void kill() const { ::kill(-m_group, SIGKILL); }

private:
    pid_t m_group;
    std::atomic<pid_t>* m_slot = nullptr;
};

} // namespace

ProcessOutcome runProcess(const ProcessRequest& request)
{
    ProcessOutcome outcome;
    QProcess process;
    process.setProgram(request.program);
    process.setArguments(request.arguments);
    if (!request.folder.isEmpty())
        process.setWorkingDirectory(request.folder);
    switch (request.output) {
    case ProcessRequest::Output::Drop:
        // Not a pipe that nobody reads: a talkative program would fill it.
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.setStandardInputFile(QProcess::nullDevice());
        break;
    case ProcessRequest::Output::Capture:
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setStandardInputFile(QProcess::nullDevice());
        break;
    case ProcessRequest::Output::Inherit:
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.setInputChannelMode(QProcess::ForwardedInputChannel);
        break;
    }

    watchEndingSignals();
    // The ending signals wait until the handler knows the new group: one
    // that came in between the start and that would leave the program's
    // children running.
    sigset_t ending;
    sigset_t previousMask;
    sigemptyset(&ending);
    for (int signal : EndingSignals)
        sigaddset(&ending, signal);
    pthread_sigmask(SIG_BLOCK, &ending, &previousMask);
    // In the child, before the program starts: KVE's signal mask, a group
    // of its own, and the kernel's kill when KVE (the thread that starts
    // it, which waits here) is gone. A KVE that died before that took
    // effect ends the child at once.
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent, previousMask] {
        pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
        ::setpgid(0, 0);
#ifdef Q_OS_LINUX
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
#endif
    });

    process.start();
    const bool started = process.waitForStarted(-1);
    std::optional<RunningGroup> group;
    if (started)
        group.emplace(static_cast<pid_t>(process.processId()));
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    if (!started) {
        outcome.error = process.errorString();
        return outcome;
    }
    outcome.started = true;

    if (!request.cancelled) {
        process.waitForFinished(-1);
    } else {
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (request.cancelled()) {
                outcome.cancelled = true;
                loop.quit();
            }
        });
        poll.start(30);
        if (process.state() != QProcess::NotRunning)
            loop.exec();
    }
    // Cancelled, or the wait ended some other way (the application quitting):
    // the program and whatever it started end here.
    if (process.state() != QProcess::NotRunning) {
        group->kill();
        process.waitForFinished(-1);
    }
    if (request.output == ProcessRequest::Output::Capture)
        outcome.output = process.readAll();
    outcome.crashed = !outcome.cancelled && process.exitStatus() == QProcess::CrashExit;
    outcome.exitCode = process.exitCode();
    return outcome;
}
