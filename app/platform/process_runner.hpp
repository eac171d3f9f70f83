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
    // What a capture keeps of a program that prints more than this many
    // bytes: its first lines (an eighth of the bound) and its last ones,
    // with a line between them that says how many bytes were left out
    // (see ProcessOutcome::OmissionLine). A program that prints without end
    // never costs KVE more than about twice the bound.
    qint64 outputLimit = DefaultOutputLimit;
    static constexpr qint64 DefaultOutputLimit = qint64(4) << 20;
    // Standard input: KVE's own with Output::Inherit, else an empty one.

    // Without `cancelled` the caller's thread blocks until the program ends.
    // With it, events are processed while the program runs and `cancelled`
    // is asked every few hundredths of a second; once it says true, the
    // program's group is killed. The wait ends otherwise only when the
    // application ends its event loops (it quits): the program is killed
    // then too, and the outcome says so (abandoned).
    std::function<bool()> cancelled;
};

struct ProcessOutcome {
    bool started = false;
    bool cancelled = false;                  // ended by the cancel
    bool abandoned = false;                  // ended because the wait was given up (see `cancelled`)
    bool crashed = false;                    // ended by a signal (not the cancel): no exit code
    int exitCode = 0;
    QByteArray output;                       // with Output::Capture
    qint64 outputTotal = 0;                  // bytes the program printed
    qint64 outputLeftOut = 0;                // of these, bytes not in `output`
    qint64 outputHeldPeak = 0;               // the most bytes of output held at once while it ran
    QString error;                           // why it did not start

    // The line that stands in `output` for bytes left out.
    static QByteArray OmissionLine(qint64 bytes);
};

ProcessOutcome runProcess(const ProcessRequest& request);
