#pragma once
// A second start handing its command line over to a first instance in the
// same test process, and the event loop run while it waits.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <atomic>
#include <thread>

#include "platform/single_instance.hpp"

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
            role = second.start(10000);
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
    SecondStart(const SecondStart&) = delete;
    SecondStart& operator=(const SecondStart&) = delete;
};

// Runs the event loop until `done` or a generous limit.
template <class Pred>
bool spinUntil(Pred done, int limitMs = 60000)
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
