// The ways out for a message: SMTP through libcurl to a loopback server
// that the test starts (and reads back with Python's email package), and
// the local sendmail program.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/mail_message.hpp"
#include "core/mail_send.hpp"
#include "platform/mail_transport.hpp"
#include "support/mail_sink.hpp"
#include "support/test_files.hpp"

namespace {

MailContent content(const QString& message, const QList<MailAttachment>& attachments = {})
{
    MailContent c;
    c.from = MailAddress{QString(), QStringLiteral("kve@lab.example")};
    c.to = {MailAddress{QStringLiteral("Smith, Ann"), QStringLiteral("ann@x.org")},
            MailAddress{QString(), QStringLiteral("bob@y.org")}};
    c.subject = QStringLiteral("Trial results");
    c.body = MailSend::BodyText(message);
    c.attachments = attachments;
    c.date = QDateTime::currentDateTime();
    c.uniqueId = QStringLiteral("00aa11bb");
    return c;
}

MailEnvelope envelope(const MailContent& c)
{
    return MailEnvelope{c.from.address, {QStringLiteral("ann@x.org"), QStringLiteral("bob@y.org")},
                        MailMessage::BuildMessage(c)};
}

MailServer loopback(int port, MailSecurity security = MailSecurity::None)
{
    MailServer server;
    server.host = QStringLiteral("127.0.0.1");
    server.port = port;
    server.security = security;
    return server;
}

void writeScript(const QString& path, const QByteArray& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    f.close();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

TEST(SmtpTransport, MessagesArriveWholeOneConnectionEach)
{
    MailSink sink;
    ASSERT_GT(sink.port(), 0) << "the loopback SMTP server did not start";
    const QByteArray data = allByteValues(40);
    // An empty message with a binary attachment, then a text with lines
    // that SMTP itself gives a meaning (a lone point ends the data).
    const MailContent first = content(QString(), {{QStringLiteral("trial.KVE"), data}});
    const MailContent second = content(QStringLiteral(".\n..\n. \nend"));

    CurlSmtpTransport transport;
    const MailError a = transport.send(loopback(sink.port()), envelope(first));
    const MailError b = transport.send(loopback(sink.port()), envelope(second));
    EXPECT_FALSE(a.failed()) << a.description.toStdString();
    EXPECT_FALSE(b.failed()) << b.description.toStdString();

    const QList<QJsonObject> got = sink.received(2);
    ASSERT_EQ(got.size(), 2);
    for (const QJsonObject& m : got) {
        EXPECT_EQ(m.value(QStringLiteral("mail_from")).toString(), QStringLiteral("kve@lab.example"));
        EXPECT_EQ(m.value(QStringLiteral("rcpt_tos")).toArray(),
                  (QJsonArray{QStringLiteral("ann@x.org"), QStringLiteral("bob@y.org")}));
        EXPECT_EQ(headerValues(m, QStringLiteral("Subject")), QStringList{QStringLiteral("Trial results")});
    }
    const QByteArray rules = QByteArray(50, '-') + "\r\n" + QByteArray(50, '-') + "\r\n";
    EXPECT_EQ(base64Field(got[0], "body"), "NO MESSAGE\r\n\r\n\r\n\r\n" + rules);
    const QJsonArray files = got[0].value(QStringLiteral("attachments")).toArray();
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files[0].toObject().value(QStringLiteral("filename")).toString(), QStringLiteral("trial.KVE"));
    EXPECT_EQ(base64Field(files[0].toObject(), "content"), data);
    EXPECT_EQ(base64Field(got[1], "body"), ".\r\n..\r\n. \r\nend\r\n\r\n\r\n\r\n" + rules);
}

TEST(SmtpTransport, FailuresSayWhatHappened)
{
    MailSink plain;                      // offers no STARTTLS
    MailSink refusing{MailSink::Scripted{{QStringLiteral("refuse"), QStringLiteral("x@y")}}};
    MailSink hangingUp{MailSink::Scripted{{QStringLiteral("hangup")}}};
    const QuietPort closed;
    const QuietPort silent(QuietPort::Silent);
    const QuietPort unreachable(QuietPort::NeverConnects);
    for (int port : {plain.port(), refusing.port(), hangingUp.port(), closed.port(), silent.port(), unreachable.port()})
        ASSERT_GT(port, 0) << "a loopback server did not start";
    MailServer noHost = loopback(25);
    noHost.host = QStringLiteral("mail host;x");

    // Limits short where the case waits for one to run out, long where the
    // server answers (a busy machine must not make them run out).
    CurlSmtpTransport patient(15000, 60000);
    CurlSmtpTransport shortConnect(1000, 60000);
    CurlSmtpTransport shortSend(15000, 1500);
    const QString at = QStringLiteral("127.0.0.1 port %1").arg(unreachable.port());
    struct Case {
        const char* label;
        CurlSmtpTransport& transport;
        MailServer server;
        int number;                      // libcurl's, or the program's own
        QString says;                    // the whole description, or a part of libcurl's
        bool whole;
    };
    const Case cases[] = {
        {"a refused connection", patient, loopback(closed.port()), 7, QStringLiteral("Couldn't connect"), false},
        // STARTTLS asked for is required: no fall-back to plain text.
        {"a server without STARTTLS", patient, loopback(plain.port(), MailSecurity::StartTls), 64,
         QStringLiteral("SSL"), false},
        {"no valid host", patient, noHost, MailErrNoServer, QStringLiteral("mail host;x"), false},
        // Which limit ran out, and what the send waited for.
        {"a server that never connects", shortConnect, loopback(unreachable.port()), 28,
         QStringLiteral("Timeout was reached: no connection to the server ") + at
             + QStringLiteral(" was made within the connection limit of 1 second."),
         true},
        {"a server that never greets", shortConnect, loopback(silent.port()), 28,
         QStringLiteral("Timeout was reached: the server took the connection but sent no greeting within the "
                        "connection limit of 1 second."),
         true},
        {"a server that never greets, the whole send's limit the shorter", shortSend, loopback(silent.port()), 28,
         QStringLiteral("Timeout was reached: the server took the connection but sent no greeting within the "
                        "limit of 1.5 seconds for the whole send."),
         true},
        // Which recipient, and the server's own words.
        {"a refused recipient", patient, loopback(refusing.port()), 55,
         QStringLiteral("The server refused the recipient x@y: 550 5.1.1 <x@y>: Recipient address rejected: no "
                        "such user"),
         true},
        {"a server that hangs up after its greeting", patient, loopback(hangingUp.port()), 56,
         QStringLiteral("Failure when receiving data from the peer: the server closed the connection before it "
                        "answered EHLO."),
         true},
    };
    MailEnvelope e = envelope(content(QStringLiteral("x")));
    e.recipients = QStringList{QStringLiteral("ann@x.org"), QStringLiteral("x@y")};
    for (const Case& c : cases) {
        const MailError got = c.transport.send(c.server, e);
        EXPECT_EQ(got.number, c.number) << c.label << ": " << got.description.toStdString();
        if (c.whole)
            EXPECT_EQ(got.description.toStdString(), c.says.toStdString()) << c.label;
        else
            EXPECT_TRUE(got.description.contains(c.says, Qt::CaseInsensitive))
                << c.label << ": " << got.description.toStdString();
    }
    EXPECT_TRUE(plain.received(0, 0).isEmpty());
    EXPECT_TRUE(refusing.received(0, 0).isEmpty());
}

TEST(SmtpTransport, AServerThatStallsAfterTheDataCannotHoldTheSend)
{
    // The server takes the message and never gives its final reply (nor
    // answers QUIT): the send ends with libcurl's timeout within its limit,
    // whichever reply it waits for.
    MailSink stalling{MailSink::Scripted{{QStringLiteral("stall")}}};
    ASSERT_GT(stalling.port(), 0) << "the loopback SMTP server did not start";
    for (int limitMs : {2000, 4000}) {
        CurlSmtpTransport transport(120000, limitMs);
        QElapsedTimer took;
        took.start();
        const MailError e = transport.send(loopback(stalling.port()), envelope(content(QStringLiteral("x"))));
        const qint64 ms = took.elapsed();
        EXPECT_EQ(e.number, 28) << e.description.toStdString();
        EXPECT_EQ(e.description.toStdString(),
                  QStringLiteral("Timeout was reached: the server did not confirm that it received the message "
                                 "within the limit of %1 seconds for the whole send.")
                      .arg(limitMs / 1000)
                      .toStdString());
        EXPECT_GE(ms, limitMs - 100) << limitMs;
        // Ended by this limit, not by a later one (the connection limit is
        // two minutes); the margin leaves room for a very busy machine.
        EXPECT_LT(ms, limitMs + 30000) << limitMs;
    }
}

TEST(SmtpTransport, AMessageTheServerAcceptedIsSentThoughQuitGoesUnanswered)
{
    // The server accepts the message and never answers QUIT: the send waits
    // for that reply only briefly and counts as done.
    MailSink noQuit{MailSink::Scripted{{QStringLiteral("noquit")}}};
    ASSERT_GT(noQuit.port(), 0) << "the loopback SMTP server did not start";
    CurlSmtpTransport transport(15000, 60000, 500);
    QElapsedTimer took;
    took.start();
    const MailError e = transport.send(loopback(noQuit.port()), envelope(content(QStringLiteral("x"))));
    EXPECT_FALSE(e.failed()) << e.description.toStdString();
    // Well before the whole send's limit, which the wait for QUIT ran into
    // before.
    EXPECT_LT(took.elapsed(), 30000);
    EXPECT_EQ(noQuit.received(1).size(), 1);
}

TEST(SmtpTransport, LogsInWithTheUsersPassword)
{
    MailSink sink(QStringLiteral("kve"), QStringLiteral("s3cret pass"));
    ASSERT_GT(sink.port(), 0);
    CurlSmtpTransport transport;
    MailServer server = loopback(sink.port());
    server.user = QStringLiteral("kve");

    server.password = QStringLiteral("wrong");
    const MailError denied = transport.send(server, envelope(content(QStringLiteral("x"))));
    EXPECT_EQ(denied.number, MailErrLoginDenied) << denied.description.toStdString();
    EXPECT_FALSE(denied.description.contains(QLatin1String("wrong")));
    EXPECT_EQ(denied.description.toStdString(), "Login denied: 535 5.7.8 Authentication credentials invalid");

    server.password = QStringLiteral("s3cret pass");
    const MailError ok = transport.send(server, envelope(content(QStringLiteral("x"))));
    EXPECT_FALSE(ok.failed()) << ok.description.toStdString();
    EXPECT_EQ(sink.received(1).size(), 1);
}

TEST(SendmailTransport, GetsTheMessageOnItsInputWithoutAShell)
{
    QTemporaryDir dir;
    // A name a shell would act on.
    const QString folder = dir.filePath(QStringLiteral("bin; rm -rf x $(id)"));
    QDir().mkpath(folder);
    const QString program = folder + QStringLiteral("/sendmail");
    const QString record = dir.filePath(QStringLiteral("arguments"));
    const QString message = dir.filePath(QStringLiteral("message"));
    qputenv("KVE_TEST_RECORD", record.toLocal8Bit());
    qputenv("KVE_TEST_MESSAGE", message.toLocal8Bit());
    writeScript(program, "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > \"$KVE_TEST_RECORD\"\ncat > \"$KVE_TEST_MESSAGE\"\n");

    const MailContent c = content(QStringLiteral("Dear Ann"), {{QStringLiteral("a.KVE"), allByteValues(4)}});
    const MailEnvelope e = envelope(c);
    SendmailTransport sendmail(program);
    EXPECT_FALSE(sendmail.ready(MailServer()).failed());
    const MailError sent = sendmail.send(MailServer(), e);
    EXPECT_FALSE(sent.failed()) << sent.description.toStdString();
    EXPECT_EQ(readBytes(record), QByteArray("2|-t|-oi|"));
    QByteArray lf = e.message;
    lf.replace("\r\n", "\n");
    EXPECT_EQ(readBytes(message), lf) << "the local mail system reads LF lines";

    // With no SMTP host the system transport finds sendmail on the PATH.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", folder.toLocal8Bit() + ':' + path);
    EXPECT_EQ(Mail::FindSendmail(), program);
    QFile::remove(message);
    SystemMailTransport system;
    EXPECT_FALSE(system.send(MailServer(), e).failed());
    EXPECT_EQ(readBytes(message), lf);
    qputenv("PATH", path);

    // Failures: the exit status and what the program said; no program.
    writeScript(program, "#!/bin/sh\ncat > /dev/null\necho 'no such user: ann' >&2\nexit 67\n");
    const MailError failed = sendmail.send(MailServer(), e);
    EXPECT_EQ(failed.number, MailErrSendmail);
    EXPECT_TRUE(failed.description.contains(QLatin1String("exit status 67"))) << failed.description.toStdString();
    EXPECT_TRUE(failed.description.contains(QLatin1String("no such user: ann"))) << failed.description.toStdString();
    EXPECT_EQ(SendmailTransport(dir.filePath(QStringLiteral("none"))).ready(MailServer()).number, MailErrNoServer);
    EXPECT_EQ(SendmailTransport(QString()).send(MailServer(), e).number, MailErrNoServer);
    qunsetenv("KVE_TEST_RECORD");
    qunsetenv("KVE_TEST_MESSAGE");
}
