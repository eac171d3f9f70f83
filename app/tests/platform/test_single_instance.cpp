// One instance per user and desktop: a second start hands its command line
// over and waits until it has been carried out, within a limit; requests
// are queued and carried out in turn.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/single_instance.hpp"
#include "support/second_start.hpp"

namespace {

// The first instance's runner: records each command line it carries out
// and ends it with `outcome`.
void recordRuns(SingleInstance& first, QStringList& received, const SingleInstance::Outcome& outcome = {})
{
    first.setRunner([&received, outcome](const QString& line) {
        received.append(line);
        return outcome;
    });
}

} // namespace

TEST(SingleInstance, SecondStartHandsOverAndGetsTheOutcome)
{
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    ASSERT_EQ(first.start(), SingleInstance::Role::Primary);

    QStringList received;
    recordRuns(first, received, SingleInstance::Outcome{3, QStringLiteral("not found: /d/ä b.KVE"), false});

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
        SingleInstance second(dir.path(), QString());
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(second.start(300), SingleInstance::Role::Unreachable);
        // Its wait is 300 ms; a hang would never end. The bound leaves room
        // for a machine that is very busy.
        EXPECT_LT(timer.elapsed(), 30000);
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
    SingleInstance next(dir.path(), QString());
    EXPECT_EQ(next.start(1000), SingleInstance::Role::Primary);

    // The socket is for this user only.
    const QFile::Permissions perms =
        QFile::permissions(dir.path() + QStringLiteral("/KVE-%1.socket").arg(::getuid()));
    EXPECT_FALSE(perms & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));
}

TEST(SingleInstance, StartsOnAnotherDesktopRunOnTheirOwn)
{
    QTemporaryDir dir;
    SingleInstance first(dir.path(), QStringLiteral("x:1"));
    ASSERT_EQ(first.start(), SingleInstance::Role::Primary);
    // Another display: a first instance of its own, in the same folder.
    SingleInstance other(dir.path(), QStringLiteral("x:2"));
    EXPECT_EQ(other.start(1000), SingleInstance::Role::Primary);
    SingleInstance wayland(dir.path(), QStringLiteral("wayland-0-x:1"));
    EXPECT_EQ(wayland.start(1000), SingleInstance::Role::Primary);
    // The same display: the hand-over.
    SingleInstance same(dir.path(), QStringLiteral("x:1"));
    EXPECT_EQ(same.start(1000), SingleInstance::Role::Secondary);
}

TEST(SingleInstance, TheDesktopIsTheWaylandAndTheXDisplay)
{
    const QByteArray keptWayland = qgetenv("WAYLAND_DISPLAY");
    const QByteArray keptX = qgetenv("DISPLAY");
    const struct {
        const char* wayland;
        const char* x;
        const char* desktop;
    } cases[] = {
        {"", "", ""},
        {"", ":0", "x:0"},
        {"", ":0.1", "x:0"}, // a screen of display 0
        {"", "host:10.0", "xhost:10"},
        {"wayland-0", "", "wayland-0"},
        {"wayland-1", ":1", "wayland-1-x:1"},
    };
    for (const auto& c : cases) {
        qputenv("WAYLAND_DISPLAY", c.wayland);
        qputenv("DISPLAY", c.x);
        EXPECT_EQ(SingleInstance::currentDesktop(), QLatin1String(c.desktop)) << c.wayland << " " << c.x;
    }
    qputenv("WAYLAND_DISPLAY", keptWayland);
    qputenv("DISPLAY", keptX);
}

TEST(SingleInstance, ASocketThatCannotBeOpenedLeavesTheLockToLaterStarts)
{
    // Something that is not a socket holds the socket's name: listening
    // fails. The start runs on its own instead of holding a lock nobody
    // can reach, so later starts neither wait nor fail.
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("KVE-%1.socket").arg(::getuid())));
    SingleInstance first(dir.path(), QString());
    EXPECT_EQ(first.start(), SingleInstance::Role::Standalone);
    EXPECT_FALSE(first.listenError().isEmpty());

    QElapsedTimer timer;
    timer.start();
    SingleInstance later(dir.path(), QString());
    // It must not sit out the wait it is given: the folder in the socket's
    // place is seen at once (the bound leaves room for a very busy machine).
    EXPECT_EQ(later.start(120000), SingleInstance::Role::Standalone);
    EXPECT_LT(timer.elapsed(), 60000);
}

TEST(SingleInstance, ALocalRunDuringARunRunsNothingAndSaysSo)
{
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    ASSERT_EQ(first.start(), SingleInstance::Role::Primary);
    QStringList order;
    SingleInstance::Outcome nested{0, QString(), false};
    first.setRunner([&](const QString& line) {
        order.append(line);
        if (line == QStringLiteral("/Fouter"))
            nested = first.runLocal(QStringLiteral("/Finner"));
        return SingleInstance::Outcome{};
    });
    const SingleInstance::Outcome outer = first.runLocal(QStringLiteral("/Fouter"));
    EXPECT_EQ(outer.status, 0);
    EXPECT_EQ(nested.status, 1);
    EXPECT_FALSE(nested.reason.isEmpty());
    EXPECT_FALSE(nested.quit);
    // Neither then nor later.
    QCoreApplication::processEvents();
    EXPECT_EQ(first.runLocal(QStringLiteral("/Fnext")).status, 0);
    EXPECT_EQ(order, (QStringList{"/Fouter", "/Fnext"}));
}

TEST(SingleInstance, ASecondStartStopsWaitingForAnInstanceThatHangs)
{
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    ASSERT_EQ(first.start(), SingleInstance::Role::Primary);
    QStringList received;
    recordRuns(first, received);

    // The first instance handles no events (it hangs): the second gives up
    // after its wait, with a delivery that says so.
    SingleInstance::Delivery delivery = SingleInstance::Delivery::Done;
    QElapsedTimer timer;
    timer.start();
    std::thread t([&] {
        SingleInstance second(dir.path());
        if (second.start(3000) == SingleInstance::Role::Secondary) {
            SingleInstance::Outcome outcome;
            delivery = second.sendCommandLine(QStringLiteral("/Fgiven-up /X"), outcome, 300);
        }
    });
    t.join();
    EXPECT_EQ(delivery, SingleInstance::Delivery::TimedOut);
    EXPECT_LT(timer.elapsed(), 30000);

    // When it comes back, the request nobody waits for any more is not
    // carried out (it would end the program); the next one is.
    SecondStart next(dir.path(), QStringLiteral("/Fnext"));
    ASSERT_TRUE(spinUntil([&] { return next.finished.load(); }));
    EXPECT_EQ(next.delivery, SingleInstance::Delivery::Done);
    EXPECT_EQ(received, QStringList{"/Fnext"});
    EXPECT_FALSE(first.quitPending());
}

TEST(SingleInstance, HeldRequestsWaitAndAreAnsweredWithinTheHoldLimit)
{
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    ASSERT_EQ(first.start(), SingleInstance::Role::Primary);
    QStringList received;
    recordRuns(first, received);
    int raised = 0;
    first.setActivator([&] { ++raised; });
    QString holding = QStringLiteral("its dialog \"Open\" to be closed");
    first.setHoldCheck([&] { return holding; });

    // Held: the request is taken and waits; the window comes forward once.
    SecondStart waiting(dir.path(), QStringLiteral("/Fwaited"));
    ASSERT_TRUE(spinUntil([&] { return first.queued() == 1 && raised == 1; }));
    // Several rounds of looking again (each HoldPollMs) run nothing.
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        spinUntil([&] { return timer.elapsed() > SingleInstance::HoldPollMs; });
    }
    EXPECT_TRUE(received.isEmpty());
    EXPECT_FALSE(waiting.finished.load());
    EXPECT_EQ(raised, 1);

    // The program's own command line is not held: its caller waits for it.
    EXPECT_EQ(first.runLocal(QStringLiteral("/Fown")).status, 0);
    EXPECT_EQ(received, (QStringList{"/Fwaited", "/Fown"}));
    received.clear();

    // Free again: a held request runs at the next look.
    SecondStart later(dir.path(), QStringLiteral("/Flater"));
    ASSERT_TRUE(spinUntil([&] { return first.queued() == 1; }));
    holding.clear();
    ASSERT_TRUE(spinUntil([&] { return later.finished.load(); }));
    EXPECT_EQ(later.delivery, SingleInstance::Delivery::Done);
    EXPECT_EQ(later.outcome.status, 0);
    EXPECT_EQ(received, QStringList{"/Flater"});
    ASSERT_TRUE(spinUntil([&] { return waiting.finished.load(); }));
    EXPECT_EQ(waiting.delivery, SingleInstance::Delivery::Done);

    // Held for longer than the limit: not carried out, and the start that
    // handed it over hears why (its own wait is far longer, so the answer
    // is the running instance's, not a time-out).
    received.clear();
    holding = QStringLiteral("its dialog \"Open\" to be closed");
    first.setHoldLimit(300);
    SecondStart givenUp(dir.path(), QStringLiteral("/Fgiven-up /X"));
    ASSERT_TRUE(spinUntil([&] { return givenUp.finished.load(); }));
    EXPECT_EQ(givenUp.delivery, SingleInstance::Delivery::Done);
    EXPECT_EQ(givenUp.outcome.status, 1);
    EXPECT_EQ(givenUp.outcome.reason, QStringLiteral("KVE: the command line was not carried out: the running KVE "
                                                     "waited 1 second for its dialog \"Open\" to be closed"));
    EXPECT_FALSE(givenUp.outcome.quit);
    holding.clear();
    QCoreApplication::processEvents();
    EXPECT_TRUE(received.isEmpty());
    EXPECT_EQ(first.queued(), 0);
    EXPECT_FALSE(first.quitPending());
}
