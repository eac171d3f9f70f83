#pragma once
// The mail tests' outside world: a loopback SMTP server (Python's aiosmtpd,
// started by the test on 127.0.0.1 at a free port and stopped by it), a
// parser of messages (Python's email package, independent of the program's
// MIME builder), servers that misbehave, and ports on which nobody answers.
//
// Python is /usr/bin/python3, which has aiosmtpd.

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

inline QString mailSinkScript()
{
    return QStringLiteral(KVE_SOURCE_DIR "/app/tests/support/mail_sink.py");
}

inline const QString SystemPython = QStringLiteral("/usr/bin/python3");

class MailSink {
public:
    // A server that misbehaves as a mode of mail_sink.py says: {"stall"},
    // {"noquit"}, {"refuse", address} or {"hangup"}.
    struct Scripted {
        QStringList mode;
    };

    // Starts the server; port() stays 0 when it did not start. With a user
    // and password the server requires that login.
    explicit MailSink(const QString& user = QString(), const QString& password = QString())
    {
        QStringList arguments{mailSinkScript(), QStringLiteral("serve"), m_dir.path()};
        if (!user.isEmpty())
            arguments << user << password;
        start(arguments);
    }
    explicit MailSink(const Scripted& script)
    {
        start(QStringList{mailSinkScript(), script.mode.value(0), m_dir.path()} + script.mode.mid(1));
    }
    ~MailSink()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    MailSink(const MailSink&) = delete;
    MailSink& operator=(const MailSink&) = delete;

    int port() const { return m_port; }

    // The messages received, in order, once at least `count` have arrived
    // (or after timeoutMs).
    QList<QJsonObject> received(int count, int timeoutMs = 10000) const
    {
        QElapsedTimer waited;
        waited.start();
        QList<QJsonObject> messages;
        for (;;) {
            messages.clear();
            for (int i = 1;; ++i) {
                QFile f(m_dir.filePath(QStringLiteral("msg-%1.json").arg(i)));
                if (!f.open(QIODevice::ReadOnly))
                    break;
                messages << QJsonDocument::fromJson(f.readAll()).object();
            }
            if (messages.size() >= count || waited.elapsed() > timeoutMs)
                return messages;
            QThread::msleep(20);
        }
    }

private:
    void start(const QStringList& arguments)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(SystemPython, arguments);
        if (m_process.waitForStarted(10000) && m_process.waitForReadyRead(20000))
            m_port = m_process.readLine().trimmed().toInt();
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};

// Messages as Python's email package reads them (see mail_sink.py).
inline QList<QJsonObject> parseMessages(const QList<QByteArray>& messages)
{
    QJsonArray input;
    for (const QByteArray& m : messages)
        input.append(QString::fromLatin1(m.toBase64()));
    QProcess python;
    python.start(SystemPython, {mailSinkScript(), QStringLiteral("parse")});
    python.write(QJsonDocument(input).toJson(QJsonDocument::Compact));
    python.closeWriteChannel();
    python.waitForFinished(60000);
    QList<QJsonObject> parsed;
    for (const QJsonValue& v : QJsonDocument::fromJson(python.readAllStandardOutput()).array())
        parsed << v.toObject();
    return parsed;
}

// The decoded values of a header, by name ignoring case.
inline QStringList headerValues(const QJsonObject& message, const QString& name)
{
    QStringList values;
    for (const QJsonValue& h : message.value(QStringLiteral("headers")).toArray())
        if (h.toArray().at(0).toString().compare(name, Qt::CaseInsensitive) == 0)
            values << h.toArray().at(1).toString();
    return values;
}

inline QByteArray base64Field(const QJsonObject& object, const char* field)
{
    return QByteArray::fromBase64(object.value(QLatin1String(field)).toString().toLatin1());
}

// [display name, address] pairs of "from" or "to".
inline QList<QPair<QString, QString>> parsedAddresses(const QJsonObject& message, const char* field)
{
    QList<QPair<QString, QString>> addresses;
    for (const QJsonValue& a : message.value(QLatin1String(field)).toArray())
        addresses << qMakePair(a.toArray().at(0).toString(), a.toArray().at(1).toString());
    return addresses;
}

// A TCP port on 127.0.0.1 where nobody answers, for the life of the object.
class QuietPort {
public:
    enum Kind {
        Refuses,                         // bound, not listening: connections are refused
        Silent,                          // takes connections into its backlog and never speaks
        NeverConnects,                   // its backlog is full: connection attempts go unanswered
    };
    explicit QuietPort(Kind kind = Refuses)
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
            || ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        if (kind == Silent && ::listen(m_socket, 4) != 0)
            return;
        if (kind == NeverConnects) {
            // A backlog of 0 holds one connection; once it is taken, Linux
            // drops further connection requests, and the client keeps
            // waiting for an answer.
            m_filler = ::socket(AF_INET, SOCK_STREAM, 0);
            if (::listen(m_socket, 0) != 0 || m_filler < 0
                || ::connect(m_filler, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
                return;
        }
        m_port = ntohs(address.sin_port);
    }
    ~QuietPort()
    {
        if (m_filler >= 0)
            ::close(m_filler);
        if (m_socket >= 0)
            ::close(m_socket);
    }
    QuietPort(const QuietPort&) = delete;
    QuietPort& operator=(const QuietPort&) = delete;
    int port() const { return m_port; }

private:
    int m_socket = -1;
    int m_filler = -1;
    int m_port = 0;
};
