// The process runner: what a program gets and gives back, and that it never
// outlives KVE: a cancel, and KVE ending by a signal, end the program and
// what it started.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

#include <sys/types.h>
#include <unistd.h>

#include "platform/process_runner.hpp"

namespace {

// The number a program wrote into `path`, once it is there (0 after ten
// seconds without it).
pid_t waitForPid(const QString& path)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray text = file.readAll().trimmed();
            if (!text.isEmpty())
                return static_cast<pid_t>(text.toInt());
        }
        QThread::msleep(20);
    }
    return 0;
}

// Whether the process is still alive: it exists and is not a zombie
// waiting for a parent that may never reap it.
bool alive(pid_t pid)
{
    if (::kill(pid, 0) != 0)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype afterName = text.lastIndexOf(')');
    return afterName < 0 || text.mid(afterName + 2, 1) != "Z";
}

// Whether the process ends within ten seconds.
bool endsSoon(pid_t pid)
{
    QElapsedTimer clock;
    clock.start();
    while (alive(pid) && clock.elapsed() < 10000)
        QThread::msleep(20);
    return !alive(pid);
}

// Writes its own pid and that of a background child into the folder, then
// waits for the child.
QString familyScript(const QTemporaryDir& dir)
{
    return QStringLiteral("echo $$ > '%1/child.pid'; sleep 300 & echo $! > '%1/grandchild.pid'; wait").arg(dir.path());
}

} // namespace

TEST(ProcessRunner, ArgumentsFolderOutputAndExitCode)
{
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).canonicalPath();
    ProcessRequest request;
    request.program = QStringLiteral("/bin/sh");
    // The arguments reach the program as they are; no shell reads "$HOME".
    request.arguments = {QStringLiteral("-c"), QStringLiteral("pwd; printf '%s|' \"$1\" >&2; exit 4"),
                         QStringLiteral("sh"), QStringLiteral("a b;$HOME")};
    request.folder = folder;
    request.output = ProcessRequest::Output::Capture;
    ProcessOutcome run = runProcess(request);
    EXPECT_TRUE(run.started);
    EXPECT_FALSE(run.cancelled);
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.output, folder.toLocal8Bit() + "\na b;$HOME|");

    // Dropped output; the same with the cancel callback asked meanwhile.
    request.output = ProcessRequest::Output::Drop;
    int asked = 0;
    request.arguments = {QStringLiteral("-c"), QStringLiteral("sleep 0.2; echo gone; exit 0")};
    request.cancelled = [&asked] {
        ++asked;
        return false;
    };
    run = runProcess(request);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.output.isEmpty());
    EXPECT_GT(asked, 0);

    // The program starts with KVE's own signal mask (the runner holds the
    // ending signals back only while it starts it).
    const auto blockedSignals = [](const QByteArray& status) {
        for (const QByteArray& line : status.split('\n'))
            if (line.startsWith("SigBlk:"))
                return line;
        return QByteArray();
    };
    QFile own(QStringLiteral("/proc/self/status"));
    ASSERT_TRUE(own.open(QIODevice::ReadOnly));
    const QByteArray ownBlocked = blockedSignals(own.readAll());
    ASSERT_FALSE(ownBlocked.isEmpty());
    request.cancelled = nullptr;
    request.output = ProcessRequest::Output::Capture;
    request.program = QStringLiteral("/bin/cat");
    request.arguments = {QStringLiteral("/proc/self/status")};
    run = runProcess(request);
    EXPECT_EQ(blockedSignals(run.output).toStdString(), ownBlocked.toStdString());

    // Ended by a signal: no exit code.
    request.program = QStringLiteral("/bin/sh");
    request.output = ProcessRequest::Output::Drop;
    request.cancelled = nullptr;
    request.arguments = {QStringLiteral("-c"), QStringLiteral("kill -9 $$")};
    run = runProcess(request);
    EXPECT_TRUE(run.started);
    EXPECT_TRUE(run.crashed);

    // A program that is not there does not start, and says why.
    request.program = dir.filePath(QStringLiteral("no-such-program"));
    run = runProcess(request);
    EXPECT_FALSE(run.started);
    EXPECT_FALSE(run.error.isEmpty());
}

TEST(ProcessRunner, CaptureKeepsTheFirstAndLastLinesWithinItsBound)
{
    // `seq 1 N` prints N numbered lines; what is kept, with the line that
    // counts what was left out, adds up to what was printed.
    struct Case {
        int lines;
        qint64 limit;
        bool cut;
    };
    const Case cases[] = {
        {1000, 1 << 20, false},            // 3,893 bytes: all of it
        {200000, 64 << 10, true},          // 1.3 MB through 64 KB
        {3000000, ProcessRequest::DefaultOutputLimit, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        ProcessRequest request;
        request.program = QStringLiteral("seq");
        request.arguments = {QStringLiteral("1"), QString::number(c.lines)};
        request.output = ProcessRequest::Output::Capture;
        request.outputLimit = c.limit;
        const ProcessOutcome run = runProcess(request);
        ASSERT_TRUE(run.started);
        qint64 printed = 0;
        for (int i = 1; i <= c.lines; ++i)
            printed += QByteArray::number(i).size() + 1;
        EXPECT_EQ(run.outputTotal, printed);
        EXPECT_EQ(run.outputLeftOut > 0, c.cut);

        QList<QByteArray> lines = run.output.split('\n');
        ASSERT_EQ(lines.takeLast(), QByteArray());
        if (!c.cut) {
            EXPECT_EQ(run.output.size(), printed);
            EXPECT_EQ(lines.size(), c.lines);
            continue;
        }
        EXPECT_LE(run.output.size(), c.limit + 100);
        // Whole lines before and after the one omission line, numbered
        // without a gap on either side.
        const QByteArray omission = ProcessOutcome::OmissionLine(run.outputLeftOut).chopped(1);
        const qsizetype at = lines.indexOf(omission);
        ASSERT_GT(at, 0);
        ASSERT_LT(at, lines.size() - 1);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i == at)
                continue;
            ASSERT_EQ(lines[i].toInt(), i < at ? i + 1 : c.lines - (lines.size() - 1 - i)) << i;
        }
        qint64 leftOut = 0;
        for (int n = lines[at - 1].toInt() + 1; n < lines[at + 1].toInt(); ++n)
            leftOut += QByteArray::number(n).size() + 1;
        EXPECT_EQ(run.outputLeftOut, leftOut);
        EXPECT_LE(run.outputHeldPeak, 3 * c.limit + (1 << 20));
    }
}

TEST(ProcessRunner, FloodsOfOutputAreHeldWithinTheBound)
{
    // 400 MB of output, waited for blocking, and printed without end until
    // the cancel (asked while events are processed) once the program wrote
    // as much. Memory is measured, not time: the resident size of this
    // process, and the runner's own count of what it held.
    const qint64 flood = qint64(400) << 20;
    const auto statusKb = [](const QString& path, const char* key) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            for (const QByteArray& line : file.readAll().split('\n'))
                if (line.startsWith(key))
                    return line.mid(qstrlen(key)).trimmed().split(' ').first().toLongLong();
        return qint64(0);
    };
    const QString self = QStringLiteral("/proc/self/status");
    const QString line = QStringLiteral("printing forever, line after line");
    QTemporaryDir dir;
    const QString pidFile = dir.filePath(QStringLiteral("yes.pid"));
    for (const bool cancelled : {false, true}) {
        SCOPED_TRACE(cancelled ? "cancelled" : "blocking");
        ProcessRequest request;
        request.program = QStringLiteral("/bin/sh");
        request.output = ProcessRequest::Output::Capture;
        const qint64 before = statusKb(self, "VmRSS:");
        qint64 largest = before;
        if (cancelled) {
            request.arguments = {QStringLiteral("-c"), QStringLiteral("echo $$ > \"$1\"; exec yes \"$2\""),
                                 QStringLiteral("sh"), pidFile, line};
            request.cancelled = [&] {
                largest = std::max(largest, statusKb(self, "VmRSS:"));
                QFile pid(pidFile);
                if (!pid.open(QIODevice::ReadOnly))
                    return false;
                const QString io = QStringLiteral("/proc/%1/io").arg(QString::fromLatin1(pid.readAll().trimmed()));
                return statusKb(io, "wchar:") > flood;
            };
        } else {
            request.arguments = {QStringLiteral("-c"), QStringLiteral("yes \"$1\" | head -c %1").arg(flood),
                                 QStringLiteral("sh"), line};
        }
        const ProcessOutcome run = runProcess(request);
        largest = std::max(largest, statusKb(self, "VmHWM:"));
        ASSERT_TRUE(run.started);
        EXPECT_EQ(run.cancelled, cancelled);
        if (cancelled) {
            EXPECT_GT(run.outputTotal, flood);
        } else {
            EXPECT_EQ(run.outputTotal, flood);
        }
        EXPECT_EQ(run.outputTotal, run.outputLeftOut + run.output.size()
                                       - ProcessOutcome::OmissionLine(run.outputLeftOut).size());
        EXPECT_LE(run.outputHeldPeak, 3 * ProcessRequest::DefaultOutputLimit + (1 << 20));
#if !defined(__SANITIZE_ADDRESS__)
        // (AddressSanitizer holds freed blocks in its quarantine, so the
        // process's size says nothing there; the runner's own count above
        // still holds.)
        EXPECT_LT(largest - before, qint64(64) << 10) << "kB";
#endif
        EXPECT_TRUE(run.output.contains((line + QLatin1Char('\n')).toLatin1()));
    }
}

TEST(ProcessRunner, CancelEndsTheProgramAndWhatItStarted)
{
    QTemporaryDir dir;
    ProcessRequest request;
    request.program = QStringLiteral("/bin/sh");
    request.arguments = {QStringLiteral("-c"), familyScript(dir)};
    const QString grandchildFile = dir.filePath(QStringLiteral("grandchild.pid"));
    request.cancelled = [&grandchildFile] { return QFile(grandchildFile).size() > 0; };
    QElapsedTimer clock;
    clock.start();
    const ProcessOutcome run = runProcess(request);
    EXPECT_LT(clock.elapsed(), 60000);
    EXPECT_TRUE(run.started);
    EXPECT_TRUE(run.cancelled);
    EXPECT_FALSE(run.crashed);
    const pid_t grandchild = waitForPid(grandchildFile);
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(endsSoon(grandchild));
    EXPECT_FALSE(alive(waitForPid(dir.filePath(QStringLiteral("child.pid")))));
}

TEST(ProcessRunner, AnApplicationThatQuitsEndsTheProgramAndSaysSo)
{
    // The wait of a program that is neither cancelled nor ended is given up
    // when the application quits: the program and its child end, and the
    // outcome says that it was abandoned, not that it crashed or was
    // cancelled.
    QTemporaryDir dir;
    QProcess parent;
    parent.setProgram(QStringLiteral(KVE_RUNNER_PARENT));
    parent.setArguments({QStringLiteral("quit"), familyScript(dir), dir.filePath(QStringLiteral("grandchild.pid"))});
    parent.start();
    ASSERT_TRUE(parent.waitForFinished(60000));
    EXPECT_EQ(parent.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(parent.readAllStandardOutput().toStdString(), "abandoned 1 cancelled 0 crashed 0\n");
    const pid_t grandchild = waitForPid(dir.filePath(QStringLiteral("grandchild.pid")));
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(endsSoon(grandchild));
    EXPECT_FALSE(alive(waitForPid(dir.filePath(QStringLiteral("child.pid")))));
}

TEST(ProcessRunner, TheProgramEndsWithItsParent)
{
    // A parent (standing for KVE) runs a program through the runner, which
    // starts a child of its own; the parent is then ended by a signal.
    // SIGTERM, SIGINT and SIGHUP end the program's whole group; SIGKILL
    // leaves the kernel to end the program itself.
    struct Case {
        const char* wait;
        int signal;
        bool grandchildEnds;
    };
    const Case cases[] = {
        {"poll", SIGTERM, true}, {"block", SIGTERM, true}, {"poll", SIGINT, true},
        {"block", SIGHUP, true}, {"poll", SIGKILL, false}, {"block", SIGKILL, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.wait) + " signal " + std::to_string(c.signal));
        QTemporaryDir dir;
        QProcess parent;
        parent.setProgram(QStringLiteral(KVE_RUNNER_PARENT));
        parent.setArguments({QLatin1String(c.wait), familyScript(dir)});
        // The signals' default actions, whatever this test inherited.
        parent.setChildProcessModifier([] {
            for (int s : {SIGTERM, SIGINT, SIGHUP})
                ::signal(s, SIG_DFL);
        });
        parent.start();
        ASSERT_TRUE(parent.waitForStarted());
        const pid_t child = waitForPid(dir.filePath(QStringLiteral("child.pid")));
        const pid_t grandchild = waitForPid(dir.filePath(QStringLiteral("grandchild.pid")));
        ASSERT_GT(child, 0);
        ASSERT_GT(grandchild, 0);
        ASSERT_TRUE(alive(child));

        ::kill(static_cast<pid_t>(parent.processId()), c.signal);
        ASSERT_TRUE(parent.waitForFinished(10000));
        EXPECT_EQ(parent.exitStatus(), QProcess::CrashExit);
        EXPECT_TRUE(endsSoon(child));
        if (c.grandchildEnds)
            EXPECT_TRUE(endsSoon(grandchild));
        else if (alive(grandchild))
            ::kill(grandchild, SIGKILL);
    }
}
