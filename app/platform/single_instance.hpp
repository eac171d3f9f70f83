#pragma once
// One running KVE per user and desktop, and the hand-over of a second
// start's command line to it.
//
// The first instance holds a lock file and listens on a local socket, both
// in the user's runtime folder, reachable by the same user only and named
// after the user and the desktop (the display), so that starts on another
// display never meet it. A second start finds the lock taken, connects,
// sends its command line and waits until the first instance has carried it
// out; then it ends with the outcome of that run. Requests that arrive while
// a command line runs are queued and carried out in turn; while the first
// instance is held (a dialog of it is open), they wait until it is free. A
// start without a display takes no part at all (the caller does not use this
// class then).
//
// Wire format (QDataStream, both ways): request = quint8 kind, QString text;
// answers = quint8 Accepted, then quint8 Held when the request has to wait,
// quint8 Running as its run starts, and last quint8 Done, qint32 status,
// QString reason.

#include <QElapsedTimer>
#include <QList>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QLocalSocket;
class QTimer;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        Primary,     // this process holds the lock and listens
        Secondary,   // another instance runs and is connected
        Unreachable, // another instance holds the lock but does not answer
        Standalone,  // the socket could not be opened: this process runs on
                     // its own and leaves the lock to later starts
    };

    // What a command line's run came to.
    struct Outcome {
        int status = 0;   // exit status: 0 success
        QString reason;   // one line, empty on success
        bool quit = false;
    };
    using Runner = std::function<Outcome(const QString& commandLine)>;

    // `folder`: where the lock and the socket live; empty for the user's
    // runtime folder. `desktop`: the display the instance belongs to.
    explicit SingleInstance(const QString& folder = QString(), const QString& desktop = currentDesktop(),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock or connects to the instance that holds it, retrying
    // for up to `waitMs` while the other instance starts up or ends.
    Role start(int waitMs = 10000);
    Role role() const { return m_role; }
    // Why the socket could not be opened (role Standalone).
    QString listenError() const { return m_listenError; }

    // ---- second start ----
    enum class Delivery {
        Done,        // carried out; status and reason tell how it went
        NotReceived, // the other instance ended before taking it: start again
        Lost,        // taken, but the other instance ended before finishing
        TimedOut,    // no outcome within the wait: the other instance may hang
    };
    // How long a second start waits for its command line's outcome. A long
    // evaluation in the running instance delays even the acceptance, so the
    // limit is generous; it only ends the wait for one that hangs.
    static constexpr int HandOverWaitMs = 10 * 60 * 1000;
    // Sends the command line and waits until it has been carried out. Each
    // wait is at most `waitMs`: for the acceptance and the turn, for the
    // run once it has started, and anew whenever the running instance says
    // the request is held (it answers a held request itself, within its
    // hold limit). After a time-out the connection is given up, and the
    // running instance drops the request if it has not started it yet.
    Delivery sendCommandLine(const QString& commandLine, Outcome& outcome, int waitMs = HandOverWaitMs);
    // Asks the running instance to bring its main window to the front;
    // false when it gave no answer within `waitMs`.
    bool requestActivation(int waitMs = 5000);
    // Gives up the connection (a second start that runs on its own).
    void disconnectFromPrimary();

    // ---- first instance ----
    // The runner carries out one command line (the main window's
    // interpreter); the activator raises the main window.
    void setRunner(Runner runner) { m_runner = std::move(runner); }
    void setActivator(std::function<void()> activator) { m_activator = std::move(activator); }
    // Says whether handed-over requests must wait now: empty when they may
    // run, else what they wait for, as the end of "the running KVE waited
    // ... for <it>" (`its dialog "Open" to be closed`). While it is not
    // empty, requests stay queued and are tried again every HoldPollMs; the
    // activator is called as one starts to wait, so that the user sees what
    // holds it. A request held for longer than the hold limit is answered
    // as not carried out, with that reason. The program's own command line
    // (runLocal) is never held.
    using HoldCheck = std::function<QString()>;
    void setHoldCheck(HoldCheck check) { m_holdCheck = std::move(check); }
    static constexpr int HoldPollMs = 200;
    void setHoldLimit(int ms) { m_holdLimitMs = ms; }
    // Carries out a command line of this process itself, in turn with any
    // queued requests; returns its outcome. Called while a command line is
    // being carried out, it cannot wait for its turn: it runs nothing and
    // says so in a failed outcome.
    Outcome runLocal(const QString& commandLine);
    // True while a command line is being carried out.
    bool busy() const { return m_busy; }
    // Pending requests.
    qsizetype queued() const { return m_queue.size(); }
    // A run asked the program to end (before the event loop runs, the
    // caller looks here rather than waiting for quitRequested).
    bool quitPending() const { return m_quitAfterQueue; }
    int quitStatus() const { return m_quitStatus; }

    // The folder used when none is given.
    static QString defaultFolder();
    // The desktop this process shows its windows on: its Wayland and X
    // displays (WAYLAND_DISPLAY, DISPLAY).
    static QString currentDesktop();

signals:
    // A run asked the program to end and the queue is empty: the program
    // should quit with `status`.
    void quitRequested(int status);

private:
    struct Request {
        QPointer<QLocalSocket> client;
        QString commandLine;
        std::shared_ptr<Outcome> localOutcome;
        bool held = false;
        QElapsedTimer heldFor;
    };

    void onNewConnection();
    void onClientData(QLocalSocket* client);
    void pump();
    // True when the queue waits: tells newly held requests so, answers
    // those held too long, and looks again later.
    bool holdQueue();
    void stopListening();
    void reply(QLocalSocket* client, quint8 kind, const Outcome* outcome);

    QString m_folder;
    QString m_baseName;
    QString m_socketPath;
    QString m_listenError;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
    QLocalSocket* m_connection = nullptr; // second start's connection
    Role m_role = Role::Unreachable;

    Runner m_runner;
    std::function<void()> m_activator;
    HoldCheck m_holdCheck;
    int m_holdLimitMs = HandOverWaitMs;
    QTimer* m_holdPoll = nullptr;
    QList<Request> m_queue;
    QList<QPointer<QLocalSocket>> m_clients;
    bool m_busy = false;
    bool m_quitAfterQueue = false;
    int m_quitStatus = 0;
};
