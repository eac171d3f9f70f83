// One instance per user: a second start hands its command line over and
// waits until it has been carried out; requests are queued, never dropped.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/single_instance.hpp"

namespace {

// A second start on its own thread (it blocks while it waits).
struct SecondStart {
    SingleInstance::Role role = SingleInstance::Role::Unreachable;
    SingleInstance::Delivery delivery = SingleInstance::Delivery::NotReceived;
    SingleInstance::Outcome outcome;
    std::atomic<bool> finished{false};
    std::thread thread;

    SecondStart(const QString& folder, const QString& commandLine)
    {
        thread = std::thread([this, folder, commandLine] {
            SingleInstance second(folder);
            role = second.start(3000);
            if (role == SingleInstance::Role::Secondary)
                delivery = second.sendCommandLine(commandLine, outcome);
            finished = true;
        });
    }
    ~SecondStart()
    {
        if (thread.joinable())
            thread.join();
    }
};

// Runs the event loop until `done` or a generous limit.
template <class Pred>
bool spinUntil(Pred done, int limitMs = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace

TEST(SingleInstance, SecondStartHandsOverAndGetsTheOutcome)
{
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    ASSERT_EQ(first.start(), SingleInstance::Role::Primary);

    QStringList received;
    first.setRunner([&](const QString& line) {
        received.append(line);
        return SingleInstance::Outcome{3, QStringLiteral("not found: /d/ä b.KVE"), false};
    });

    const QString line = QStringLiteral("/F\"/d/ä b.KVE\" /S /X");
    SecondStart second(dir.path(), line);
    ASSERT_TRUE(spinUntil([&] { return second.finished.load(); }));
    second.thread.join();

    EXPECT_EQ(second.role, SingleInstance::Role::Secondary);
    EXPECT_EQ(second.delivery, SingleInstance::Delivery::Done);
    EXPECT_EQ(second.outcome.status, 3);
    EXPECT_EQ(second.outcome.reason, QStringLiteral("not found: /d/ä b.KVE"));
    EXPECT_EQ(received, QStringList{line});
}

TEST(SingleInstance, RequestsArrivingDuringARunAreQueuedInOrder)
{
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    ASSERT_EQ(first.start(), SingleInstance::Role::Primary);

    std::unique_ptr<SecondStart> later;
    QStringList order;
    int nested = 0;
    int depth = 0;
    first.setRunner([&](const QString& line) {
        ++depth;
        nested = std::max(nested, depth);
        order.append(line);
        if (line == QStringLiteral("/Fone")) {
            // While this run goes on (and lets events through, as a long
            // run may), two more starts hand over their command lines.
            later = std::make_unique<SecondStart>(dir.path(), QStringLiteral("/Ftwo"));
            spinUntil([&] { return first.queued() >= 1; });
            EXPECT_TRUE(first.busy());
        }
        --depth;
        return SingleInstance::Outcome{};
    });

    SecondStart one(dir.path(), QStringLiteral("/Fone"));
    ASSERT_TRUE(spinUntil([&] { return one.finished.load() && later && later->finished.load(); }));
    EXPECT_EQ(order, (QStringList{"/Fone", "/Ftwo"}));
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(one.delivery, SingleInstance::Delivery::Done);
    EXPECT_EQ(later->delivery, SingleInstance::Delivery::Done);
}

TEST(SingleInstance, QuitWaitsForTheQueueAndALaterStartTakesOver)
{
    QTemporaryDir dir;
    auto first = std::make_unique<SingleInstance>(dir.path());
    ASSERT_EQ(first->start(), SingleInstance::Role::Primary);

    int quitStatus = -1;
    QObject::connect(first.get(), &SingleInstance::quitRequested, [&](int s) { quitStatus = s; });
    QStringList order;
    first->setRunner([&](const QString& line) {
        order.append(line);
        return SingleInstance::Outcome{0, QString(), line.contains(QStringLiteral("/X"))};
    });

    // The program's own command line with /X: the run asks to end.
    const SingleInstance::Outcome own = first->runLocal(QStringLiteral("/Fa /X"));
    EXPECT_TRUE(own.quit);
    EXPECT_TRUE(first->quitPending());
    EXPECT_EQ(quitStatus, 0);
    first.reset(); // the program ends and lets go of the lock

    SingleInstance next(dir.path());
    EXPECT_EQ(next.start(1000), SingleInstance::Role::Primary);
    EXPECT_EQ(order, QStringList{"/Fa /X"});
}

TEST(SingleInstance, ActivationRaisesTheRunningWindow)
{
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    ASSERT_EQ(first.start(), SingleInstance::Role::Primary);
    int raised = 0;
    first.setActivator([&] { ++raised; });

    std::atomic<bool> done{false};
    bool answered = false;
    std::thread t([&] {
        SingleInstance second(dir.path());
        if (second.start(3000) == SingleInstance::Role::Secondary)
            answered = second.requestActivation();
        done = true;
    });
    ASSERT_TRUE(spinUntil([&] { return done.load(); }));
    t.join();
    EXPECT_TRUE(answered);
    EXPECT_EQ(raised, 1);
}

TEST(SingleInstance, LockWithoutAnAnsweringInstanceAndStaleLocks)
{
    QTemporaryDir dir;
    const QString lockPath = dir.path() + QStringLiteral("/KVE-%1.lock").arg(::getuid());

    {
        // Held by a live process that does not listen: a second start gives
        // up after its wait instead of hanging.
        QLockFile held(lockPath);
        ASSERT_TRUE(held.tryLock(0));
        SingleInstance second(dir.path());
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(second.start(300), SingleInstance::Role::Unreachable);
        EXPECT_LT(timer.elapsed(), 5000);
    }

    // Left behind by a process that has ended (a crash): taken over.
    QProcess gone;
    gone.start(QStringLiteral("true"), {});
    ASSERT_TRUE(gone.waitForStarted());
    const qint64 deadPid = gone.processId();
    ASSERT_TRUE(gone.waitForFinished());
    QFile stale(lockPath);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray::number(deadPid) + "\nKVE\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();
    SingleInstance next(dir.path());
    EXPECT_EQ(next.start(1000), SingleInstance::Role::Primary);

    // The socket is for this user only.
    const QFile::Permissions perms =
        QFile::permissions(dir.path() + QStringLiteral("/KVE-%1.socket").arg(::getuid()));
    EXPECT_FALSE(perms & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));
}
