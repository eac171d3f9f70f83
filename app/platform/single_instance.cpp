#include "platform/single_instance.hpp"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <algorithm>

#include <unistd.h>

#include "core/program_info.hpp"

namespace {
enum : quint8 {
    KindRun = 1,
    KindActivate = 2,
    AnswerAccepted = 1,
    AnswerDone = 2,
    // Without a payload, so that a second start of an earlier version,
    // which knows neither, passes over them.
    AnswerHeld = 3,
    AnswerRunning = 4,
};

// "10 minutes", "1 minute", "30 seconds".
QString durationText(int ms)
{
    if (ms >= 60000 && ms % 60000 == 0)
        return ms == 60000 ? QStringLiteral("1 minute") : QStringLiteral("%1 minutes").arg(ms / 60000);
    const int seconds = std::max(1, (ms + 999) / 1000);
    return seconds == 1 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(seconds);
}

// The name of the lock and the socket: the user and the desktop, in
// characters that are safe in a file name. A desktop name too long for a
// socket path is replaced by its digest.
QString baseName(const QString& desktop)
{
    QString name = QStringLiteral("KVE-%1").arg(::getuid());
    if (desktop.isEmpty())
        return name;
    QString key;
    for (const QChar c : desktop)
        key += c.isLetterOrNumber() && c.unicode() < 128 ? c
               : c == QLatin1Char('.') || c == QLatin1Char('-') ? c
                                                                : QLatin1Char('_');
    if (key.size() > 40)
        key = QString::fromLatin1(QCryptographicHash::hash(desktop.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
    return name + QLatin1Char('-') + key;
}

enum class Read { Answer, Ended, TimedOut };

// Reads one answer from a blocking socket, waiting until `deadline`.
Read readAnswer(QLocalSocket& socket, quint8& kind, SingleInstance::Outcome& outcome,
                const QDeadlineTimer& deadline)
{
    QDataStream in(&socket);
    for (;;) {
        in.startTransaction();
        in >> kind;
        if (kind == AnswerDone) {
            qint32 status = 0;
            QString reason;
            in >> status >> reason;
            outcome.status = status;
            outcome.reason = reason;
        }
        if (in.commitTransaction())
            return Read::Answer;
        if (socket.state() != QLocalSocket::ConnectedState && socket.bytesAvailable() == 0)
            return Read::Ended;
        if (deadline.hasExpired())
            return Read::TimedOut;
        if (!socket.waitForReadyRead(static_cast<int>(std::min<qint64>(deadline.remainingTime(), 1000)))
            && socket.bytesAvailable() == 0 && socket.state() != QLocalSocket::ConnectedState)
            return Read::Ended;
    }
}
} // namespace

SingleInstance::SingleInstance(const QString& folder, const QString& desktop, QObject* parent)
    : QObject(parent)
    , m_folder(folder.isEmpty() ? defaultFolder() : folder)
    , m_baseName(baseName(desktop))
{
    m_socketPath = m_folder + QLatin1Char('/') + m_baseName + QStringLiteral(".socket");
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    m_holdPoll = new QTimer(this);
    m_holdPoll->setSingleShot(true);
    m_holdPoll->setInterval(HoldPollMs);
    connect(m_holdPoll, &QTimer::timeout, this, &SingleInstance::pump);
}

SingleInstance::~SingleInstance()
{
    stopListening();
    delete m_connection;
}

QString SingleInstance::defaultFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        folder = QDir::tempPath();
    return folder;
}

QString SingleInstance::currentDesktop()
{
    QStringList parts;
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (!wayland.isEmpty())
        parts << wayland;
    QString x = qEnvironmentVariable("DISPLAY");
    if (!x.isEmpty()) {
        // ":0" and ":0.0" name the same display (the part after "." is a
        // screen of it).
        const qsizetype colon = x.lastIndexOf(QLatin1Char(':'));
        const qsizetype dot = x.indexOf(QLatin1Char('.'), colon + 1);
        if (colon >= 0 && dot > colon)
            x.truncate(dot);
        parts << QStringLiteral("x") + x;
    }
    return parts.join(QLatin1Char('-'));
}

SingleInstance::Role SingleInstance::start(int waitMs)
{
    QDir().mkpath(m_folder);
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        auto lock = std::make_unique<QLockFile>(m_folder + QLatin1Char('/') + m_baseName
                                                + QStringLiteral(".lock"));
        // Only a lock whose process has gone counts as stale, never by age.
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            QLocalServer::removeServer(m_socketPath);
            m_server.setSocketOptions(QLocalServer::UserAccessOption);
            if (!m_server.listen(m_socketPath)) {
                // Nobody could reach this process: holding the lock would
                // make every later start wait for it in vain. It lets go
                // and runs on its own.
                m_listenError = m_server.errorString();
                lock->unlock();
                m_role = Role::Standalone;
                return m_role;
            }
            m_lock = std::move(lock);
            m_role = Role::Primary;
            return m_role;
        }
        auto* socket = new QLocalSocket;
        socket->connectToServer(m_socketPath);
        if (socket->waitForConnected(500)) {
            m_connection = socket;
            m_role = Role::Secondary;
            return m_role;
        }
        delete socket;
        if (deadline.hasExpired()) {
            m_role = Role::Unreachable;
            return m_role;
        }
        QThread::msleep(100);
    }
}

SingleInstance::Delivery SingleInstance::sendCommandLine(const QString& commandLine,
                                                         Outcome& outcome, int waitMs)
{
    if (!m_connection)
        return Delivery::NotReceived;
    QDeadlineTimer deadline(waitMs);
    {
        QDataStream out(m_connection);
        out << quint8(KindRun) << commandLine;
    }
    m_connection->flush();
    bool accepted = false;
    for (;;) {
        quint8 kind = 0;
        Outcome answer;
        const Read read = readAnswer(*m_connection, kind, answer, deadline);
        if (read == Read::TimedOut) {
            // Let go, so that the running instance sees that nobody waits.
            disconnectFromPrimary();
            return Delivery::TimedOut;
        }
        if (read == Read::Ended)
            return accepted ? Delivery::Lost : Delivery::NotReceived;
        if (kind == AnswerAccepted) {
            accepted = true;
        } else if (kind == AnswerHeld || kind == AnswerRunning) {
            // Held: the running instance answers within its hold limit.
            // Running: the run gets a wait of its own.
            deadline = QDeadlineTimer(waitMs);
        } else if (kind == AnswerDone) {
            outcome = answer;
            return Delivery::Done;
        }
    }
}

bool SingleInstance::requestActivation(int waitMs)
{
    if (!m_connection)
        return false;
    const QDeadlineTimer deadline(waitMs);
    {
        QDataStream out(m_connection);
        out << quint8(KindActivate) << QString();
    }
    m_connection->flush();
    for (;;) {
        quint8 kind = 0;
        Outcome answer;
        if (readAnswer(*m_connection, kind, answer, deadline) != Read::Answer)
            return false;
        if (kind == AnswerDone)
            return true;
    }
}

void SingleInstance::disconnectFromPrimary()
{
    if (m_connection) {
        m_connection->abort();
        delete m_connection;
        m_connection = nullptr;
    }
}

SingleInstance::Outcome SingleInstance::runLocal(const QString& commandLine)
{
    // Its turn would come only after the run that called it, which waits
    // for it: it is not run, and the caller hears so.
    if (m_busy)
        return Outcome{1,
                       QStringLiteral("%1: the command line was not carried out: another one is being carried out")
                           .arg(ProgramName()),
                       false};
    auto outcome = std::make_shared<Outcome>();
    m_queue.append(Request{nullptr, commandLine, outcome, false, {}});
    pump();
    return *outcome;
}

void SingleInstance::onNewConnection()
{
    m_clients.removeIf([](const QPointer<QLocalSocket>& client) { return client.isNull(); });
    while (QLocalSocket* client = m_server.nextPendingConnection()) {
        m_clients.append(client);
        connect(client, &QLocalSocket::readyRead, this, [this, client] { onClientData(client); });
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        onClientData(client);
    }
}

void SingleInstance::onClientData(QLocalSocket* client)
{
    if (m_quitAfterQueue && !m_busy)
        return;
    QDataStream in(client);
    for (;;) {
        in.startTransaction();
        quint8 kind = 0;
        QString text;
        in >> kind >> text;
        if (!in.commitTransaction())
            return;
        if (kind == KindActivate) {
            if (m_activator)
                m_activator();
            reply(client, AnswerAccepted, nullptr);
            const Outcome done;
            reply(client, AnswerDone, &done);
        } else if (kind == KindRun) {
            reply(client, AnswerAccepted, nullptr);
            m_queue.append(Request{client, text, nullptr, false, {}});
            QTimer::singleShot(0, this, &SingleInstance::pump);
        }
    }
}

void SingleInstance::reply(QLocalSocket* client, quint8 kind, const Outcome* outcome)
{
    QDataStream out(client);
    out << kind;
    if (outcome)
        out << qint32(outcome->status) << outcome->reason;
    client->flush();
}

bool SingleInstance::holdQueue()
{
    if (m_queue.isEmpty() || !m_holdCheck)
        return false;
    // The program's own command line is carried out while its caller
    // waits: it and whatever is queued before it run now.
    for (const Request& request : std::as_const(m_queue))
        if (request.localOutcome)
            return false;
    const QString waitingFor = m_holdCheck();
    if (waitingFor.isEmpty())
        return false;
    bool newlyHeld = false;
    for (qsizetype i = 0; i < m_queue.size();) {
        Request& request = m_queue[i];
        if (!request.client || request.client->state() != QLocalSocket::ConnectedState) {
            m_queue.removeAt(i);
            continue;
        }
        if (!request.held) {
            request.held = true;
            request.heldFor.start();
            reply(request.client, AnswerHeld, nullptr);
            newlyHeld = true;
        } else if (request.heldFor.hasExpired(m_holdLimitMs)) {
            // Nobody waits forever on a dialog left open: the start that
            // handed the line over hears why it was not carried out.
            const Outcome given{1,
                                QStringLiteral("%1: the command line was not carried out: the running %1 waited %2 "
                                               "for %3")
                                    .arg(ProgramName(), durationText(m_holdLimitMs), waitingFor),
                                false};
            reply(request.client, AnswerDone, &given);
            m_queue.removeAt(i);
            continue;
        }
        ++i;
    }
    if (newlyHeld && m_activator)
        m_activator();
    if (!m_queue.isEmpty())
        m_holdPoll->start();
    return true;
}

void SingleInstance::pump()
{
    // A request that arrives while a command line runs waits here: the loop
    // below takes it once the running one has finished.
    if (m_busy)
        return;
    m_busy = true;
    // Requests wait while the program is held (a dialog of it is open):
    // run inside the dialog's own event loop, a request would change the
    // dataset under the dialog.
    while (!m_queue.isEmpty() && !holdQueue()) {
        const Request request = m_queue.takeFirst();
        // A start that stopped waiting (its connection is gone) has been
        // told that its command line was not carried out: it is not run.
        if (!request.localOutcome
            && (!request.client || request.client->state() != QLocalSocket::ConnectedState))
            continue;
        if (request.client)
            reply(request.client, AnswerRunning, nullptr);
        const Outcome outcome = m_runner ? m_runner(request.commandLine) : Outcome{};
        if (request.localOutcome)
            *request.localOutcome = outcome;
        if (request.client) {
            reply(request.client, AnswerDone, &outcome);
            request.client->waitForBytesWritten(1000);
        }
        if (outcome.quit) {
            m_quitAfterQueue = true;
            m_quitStatus = outcome.status;
        }
    }
    m_busy = false;
    // Held requests are carried out before the end.
    if (m_quitAfterQueue && m_queue.isEmpty()) {
        stopListening();
        emit quitRequested(m_quitStatus);
    }
}

void SingleInstance::stopListening()
{
    m_server.close();
    // Every request that was taken has been carried out. A client whose
    // request was not taken yet sees its connection end unanswered and
    // starts again (then as the first instance, once this one has ended).
    for (const QPointer<QLocalSocket>& client : std::as_const(m_clients)) {
        if (client)
            client->abort();
    }
    m_clients.clear();
}
