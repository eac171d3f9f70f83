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
