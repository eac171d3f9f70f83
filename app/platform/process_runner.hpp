#pragma once
// Starting an external program and waiting for it to end, never through a
// shell: the program and each argument reach it as they are.
//
// The program ends with KVE. It runs in a process group of its own, which
// is killed as a whole when the caller cancels and whenever the wait ends
// with the program still running (the application quitting, say); a
// SIGTERM, SIGINT or SIGHUP that ends KVE kills the groups still running
// before KVE goes; and on Linux the kernel ends the program when KVE dies
// in any other way (PR_SET_PDEATHSIG).

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

struct ProcessRequest {
    QString program;
    QStringList arguments;
    QString folder;                          // where it runs; empty: KVE's own folder
    enum class Output {
        Drop,                                // standard output and error go nowhere
        Capture,                             // both are collected, in the order they arrive
        Inherit,                             // the program shares KVE's own
    };
    Output output = Output::Drop;
    // Standard input: KVE's own with Output::Inherit, else an empty one.

    // Without `cancelled` the caller's thread blocks until the program ends.
    // With it, events are processed while the program runs and `cancelled`
    // is asked every few hundredths of a second; once it says true, the
    // program's group is killed.
    std::function<bool()> cancelled;
};

struct ProcessOutcome {
    bool started = false;
    bool cancelled = false;                  // ended by the cancel
    bool crashed = false;                    // ended by a signal (not the cancel): no exit code
    int exitCode = 0;
    QByteArray output;                       // with Output::Capture
    QString error;                           // why it did not start
};

ProcessOutcome runProcess(const ProcessRequest& request);
