#include "platform/process_runner.hpp"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <algorithm>
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

// The capture of a program's output within a bound: the head (the first
// lines, up to an eighth of the bound) and the tail (the last lines, the
// rest of the bound). The tail may grow to twice its share before its
// oldest bytes are dropped, so that dropping costs little per byte read.
class BoundedOutput {
public:
    explicit BoundedOutput(qint64 limit)
        : m_headLimit(std::max<qint64>(limit / 8, 1)), m_tailLimit(std::max<qint64>(limit - limit / 8, 1))
    {
    }

    // Takes what the process has ready; `pending` is what waited in the
    // process's own buffer before it was taken.
    void take(QProcess& process)
    {
        const qint64 pending = process.bytesAvailable();
        m_heldPeak = std::max(m_heldPeak, held() + pending);
        if (pending > 0)
            add(process.readAll());
    }

    void add(QByteArray bytes)
    {
        m_total += bytes.size();
        if (!m_headClosed) {
            const qint64 room = m_headLimit - m_head.size();
            m_head += bytes.left(room);
            bytes.remove(0, std::min<qint64>(room, bytes.size()));
            if (bytes.isEmpty())
                return;
            // The head is full: it ends with its last whole line.
            m_headClosed = true;
            const qsizetype lineEnd = m_head.lastIndexOf('\n');
            if (lineEnd >= 0) {
                bytes.prepend(m_head.mid(lineEnd + 1));
                m_head.truncate(lineEnd + 1);
            }
        }
        m_tail += bytes;
        if (m_tail.size() > 2 * m_tailLimit)
            dropFromTail(m_tail.size() - m_tailLimit);
        m_heldPeak = std::max(m_heldPeak, held());
    }

    void finish(ProcessOutcome& outcome)
    {
        if (m_tail.size() > m_tailLimit)
            dropFromTail(m_tail.size() - m_tailLimit);
        if (m_leftOut > 0) {
            // The tail starts with a whole line.
            const qsizetype lineEnd = m_tail.indexOf('\n');
            if (lineEnd >= 0 && lineEnd + 1 < m_tail.size())
                dropFromTail(lineEnd + 1);
            outcome.output = m_head;
            if (!m_head.isEmpty() && !m_head.endsWith('\n'))
                outcome.output += '\n';
            outcome.output += ProcessOutcome::OmissionLine(m_leftOut) + m_tail;
        } else {
            outcome.output = m_head + m_tail;
        }
        outcome.outputTotal = m_total;
        outcome.outputLeftOut = m_leftOut;
        outcome.outputHeldPeak = m_heldPeak;
    }

private:
    qint64 held() const { return m_head.capacity() + m_tail.capacity(); }

    void dropFromTail(qint64 bytes)
    {
        m_leftOut += bytes;
        // A copy, not a removal in place: the buffer shrinks to what is kept.
        m_tail = m_tail.mid(bytes);
    }

    qint64 m_headLimit;
    qint64 m_tailLimit;
    QByteArray m_head;
    QByteArray m_tail;
    bool m_headClosed = false;
    qint64 m_total = 0;
    qint64 m_leftOut = 0;
    qint64 m_heldPeak = 0;
};

} // namespace

QByteArray ProcessOutcome::OmissionLine(qint64 bytes)
{
    return "[... " + QByteArray::number(bytes) + " bytes of output left out here ...]\n";
}

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

    // The output is taken as it comes, so that it never piles up unread.
    const bool capture = request.output == ProcessRequest::Output::Capture;
    BoundedOutput output(request.outputLimit);
    if (!request.cancelled) {
        if (capture) {
            while (process.state() != QProcess::NotRunning) {
                const bool ready = process.waitForReadyRead(-1);
                output.take(process);
                // No more output to wait for (the program closed it): wait for its end.
                if (!ready && process.state() != QProcess::NotRunning)
                    process.waitForFinished(-1);
            }
        } else {
            process.waitForFinished(-1);
        }
    } else {
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        if (capture)
            QObject::connect(&process, &QProcess::readyRead, &loop, [&] { output.take(process); });
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
        // Neither cancelled nor ended: the application ended the loop (or
        // had already ended its loops, so that this one never ran).
        outcome.abandoned = !outcome.cancelled && process.state() != QProcess::NotRunning;
    }
    // Cancelled, or the wait ended some other way (the application quitting):
    // the program and whatever it started end here.
    if (process.state() != QProcess::NotRunning) {
        group->kill();
        process.waitForFinished(-1);
    }
    if (capture) {
        output.take(process);
        output.finish(outcome);
    }
    outcome.crashed = !outcome.cancelled && !outcome.abandoned && process.exitStatus() == QProcess::CrashExit;
    outcome.exitCode = process.exitCode();
    return outcome;
}
