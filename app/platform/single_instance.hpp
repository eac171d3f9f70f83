#pragma once
// One running KVE per user, and the hand-over of a second start's command
// line to it.
//
// The first instance holds a lock file and listens on a local socket, both
// in the user's runtime folder and reachable by the same user only. A
// second start finds the lock taken, connects, sends its command line and
// waits until the first instance has carried it out; then it ends with the
// outcome of that run. Requests that arrive while a command line runs are
// queued and carried out in turn, never dropped.
//
// Wire format (QDataStream, both ways): request = quint8 kind, QString text;
// answers = quint8 Accepted, later quint8 Done, qint32 status, QString reason.

#include <QList>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QLocalSocket;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        Primary,     // this process holds the lock and listens
        Secondary,   // another instance runs and is connected
        Unreachable, // another instance holds the lock but does not answer
    };

    // What a command line's run came to.
    struct Outcome {
        int status = 0;   // exit status: 0 success
        QString reason;   // one line, empty on success
        bool quit = false;
    };
    using Runner = std::function<Outcome(const QString& commandLine)>;

    // `folder`: where the lock and the socket live; empty for the user's
    // runtime folder.
    explicit SingleInstance(const QString& folder = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock or connects to the instance that holds it, retrying
    // for up to `waitMs` while the other instance starts up or ends.
    Role start(int waitMs = 10000);
    Role role() const { return m_role; }

    // ---- second start ----
    enum class Delivery {
        Done,        // carried out; status and reason tell how it went
        NotReceived, // the other instance ended before taking it: start again
        Lost,        // taken, but the other instance ended before finishing
    };
    // Sends the command line and waits, without a time limit, until it has
    // been carried out.
    Delivery sendCommandLine(const QString& commandLine, Outcome& outcome);
    // Asks the running instance to bring its main window to the front.
    bool requestActivation();
    // Gives up the connection (a second start that runs on its own).
    void disconnectFromPrimary();

    // ---- first instance ----
    // The runner carries out one command line (the main window's
    // interpreter); the activator raises the main window.
    void setRunner(Runner runner) { m_runner = std::move(runner); }
    void setActivator(std::function<void()> activator) { m_activator = std::move(activator); }
    // Carries out a command line of this process itself, in turn with any
    // queued requests; returns its outcome.
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

signals:
    // A run asked the program to end and the queue is empty: the program
    // should quit with `status`.
    void quitRequested(int status);

private:
    struct Request {
        QPointer<QLocalSocket> client;
        QString commandLine;
        std::shared_ptr<Outcome> localOutcome;
    };

    void onNewConnection();
    void onClientData(QLocalSocket* client);
    void pump();
    void stopListening();
    void reply(QLocalSocket* client, quint8 kind, const Outcome* outcome);

    QString m_folder;
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
    QLocalSocket* m_connection = nullptr; // second start's connection
    Role m_role = Role::Unreachable;

    Runner m_runner;
    std::function<void()> m_activator;
    QList<Request> m_queue;
    QList<QPointer<QLocalSocket>> m_clients;
    bool m_busy = false;
    bool m_quitAfterQueue = false;
    int m_quitStatus = 0;
};
