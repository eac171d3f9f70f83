// The message builder and the recipient resolution: what leaves the
// program, read back by Python's email package (an independent parser).
#include <QTimeZone>

#include <gtest/gtest.h>

#include "core/mail_message.hpp"
#include "core/mail_send.hpp"
#include "support/mail_sink.hpp"
#include "support/test_files.hpp"

namespace {

using Pairs = QList<QPair<QString, QString>>;

MailContent content(const QString& subject, const QString& message)
{
    MailContent c;
    c.from = MailAddress{QStringLiteral("KVE Lab"), QStringLiteral("kve@lab.example")};
    c.to = {MailAddress{QString(), QStringLiteral("ann@x.org")}};
    c.subject = subject;
    c.body = MailSend::BodyText(message);
    c.date = QDateTime(QDate(2025, 3, 4), QTime(5, 6, 7), QTimeZone(3600));
    c.uniqueId = QStringLiteral("0123456789abcdef0123456789abcdef");
    return c;
}

// Lines end with CR LF and nowhere else; no line is longer than 998
// characters, and no header line longer than 78.
void expectWellFormed(const QByteArray& raw, const std::string& label)
{
    EXPECT_TRUE(raw.endsWith("\r\n")) << label;
    bool inHeaders = true;
    const QList<QByteArray> lines = raw.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        ASSERT_TRUE(line.endsWith('\r')) << label << " line " << i;
        EXPECT_EQ(line.count('\r'), 1) << label << " line " << i;
        EXPECT_LE(line.size() - 1, inHeaders ? 78 : 998) << label << ": " << line.toStdString();
        if (line == "\r")
            inHeaders = false;
    }
}

} // namespace

TEST(MailRecipients, AnEntryResolvesToTheAddressItHolds)
{
    struct Case {
        const char* text;
        const char* name;
        const char* address;
    };
    const Case good[] = {
        {"ann@x.org", "", "ann@x.org"},
        {"  ann@x.org  ", "", "ann@x.org"},
        {"Smith, Ann <ann@x.org>", "Smith, Ann", "ann@x.org"},
        {"\"Smith, Ann\" <ann@x.org>", "Smith, Ann", "ann@x.org"},
        {"<ann@x.org>", "", "ann@x.org"},
        {"Jörg <j.o-r+g@sub.x-y.org>", "Jörg", "j.o-r+g@sub.x-y.org"},
        {"root@localhost", "", "root@localhost"},
        {"lab@[127.0.0.1]", "", "lab@[127.0.0.1]"},
        {"\n Smith, Ann <ann@x.org>\r\n", "Smith, Ann", "ann@x.org"},
    };
    for (const Case& c : good) {
        QString why;
        const std::optional<MailAddress> a = MailMessage::ResolveRecipient(QString::fromUtf8(c.text), why);
        ASSERT_TRUE(a.has_value()) << c.text << ": " << why.toStdString();
        EXPECT_EQ(a->displayName, QString::fromUtf8(c.name)) << c.text;
        EXPECT_EQ(a->address, QString::fromUtf8(c.address)) << c.text;
    }

    struct Refused {
        const char* text;
        const char* reason;
    };
    const Refused bad[] = {
        {"", "not an e-mail address"},
        {"ann", "not an e-mail address"},
        {"ann@", "not an e-mail address"},
        {"@x.org", "not an e-mail address"},
        {"a..b@x.org", "not an e-mail address"},
        {".ann@x.org", "not an e-mail address"},
        {"a b@x.org", "not an e-mail address"},
        {"ann@x..org", "not an e-mail address"},
        {"ann@-x.org", "not an e-mail address"},
        {"jörg@x.org", "not an e-mail address"},
        {"ann@x.org, bob@x.org", "not an e-mail address"},
        {"Ann <ann@x.org> more", "not an e-mail address"},
        {"Ann <ann@x.org", "not an e-mail address"},
        {"Ann ann@x.org>", "not an e-mail address"},
        {"Ann <a@x.org> <b@x.org>", "not an e-mail address"},
        {"ann@x.org\r\nBcc: e@x.org", "line break"},
        {"Ann\n<ann@x.org>", "line break"},
    };
    for (const Refused& c : bad) {
        QString why;
        EXPECT_FALSE(MailMessage::ResolveRecipient(QString::fromUtf8(c.text), why).has_value()) << c.text;
        EXPECT_TRUE(why.contains(QLatin1String(c.reason))) << c.text << ": " << why.toStdString();
        EXPECT_FALSE(why.contains(QLatin1Char('\n'))) << c.text;
    }
}

TEST(MailMessage, QuotedPrintableFollowsTheEncodingRules)
{
    // Expected texts worked by hand from RFC 2045, section 6.7.
    const QByteArray seventyFive(75, 'x');
    struct Case {
        QByteArray text;
        QByteArray encoded;
    };
    const Case cases[] = {
        {"abc\r\n", "abc\r\n"},
        {"a=b\r\n", "a=3Db\r\n"},
        {"end \r\nnext\t\r\n", "end=20\r\nnext=09\r\n"},
        {"mid space stays", "mid space stays"},
        {"\xC3\xA9t\xC3\xA9\r\n", "=C3=A9t=C3=A9\r\n"},
        {"a\nb\rc", "a=0Ab=0Dc"},                              // lone LF and CR are data
        {seventyFive + "yz\r\n", seventyFive + "=\r\nyz\r\n"}, // soft break after 75
        {QByteArray(74, 'x') + "\xFF", QByteArray(74, 'x') + "=\r\n=FF"}, // a triple is never cut
        {"\r\n\r\n", "\r\n\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MailMessage::EncodeQuotedPrintable(c.text), c.encoded) << c.text.toStdString();
}

TEST(MailMessage, PythonReadsBackWhatWasBuilt)
{
    struct Case {
        const char* label;
        MailContent content;
        QString subject;                 // as the reader decodes it
        Pairs to;
        QByteArray body;
        QList<QPair<QString, QByteArray>> attachments;
    };
    QList<Case> cases;

    {
        Case c{"empty message, one binary attachment", content(QStringLiteral("Results"), QString()),
               QStringLiteral("Results"), {{QString(), QStringLiteral("ann@x.org")}},
               "NO MESSAGE\r\n\r\n\r\n\r\n" + QByteArray(50, '-') + "\r\n" + QByteArray(50, '-') + "\r\n", {}};
        c.content.attachments = {{QStringLiteral("data.bin"), allByteValues(3)}};
        c.attachments = {{QStringLiteral("data.bin"), allByteValues(3)}};
        cases << c;
    }
    {
        const QString subject = QString::fromUtf8("Grüße – Ergebnis ✓ 😀");
        const QString text = QString::fromUtf8("Zeile é\nsecond line ü\n") + QString(200, QLatin1Char('w'))
                             + QStringLiteral("\ntrailing blank \n.\nFrom here");
        Case c{"UTF-8 subject and text, lines long and short", content(subject, text), subject,
               {{QString(), QStringLiteral("ann@x.org")}}, {}, {}};
        QString expected = text;
        expected.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        c.body = (expected + QStringLiteral("\r\n\r\n\r\n\r\n") + QString(50, QLatin1Char('-')) + QStringLiteral("\r\n")
                  + QString(50, QLatin1Char('-')) + QStringLiteral("\r\n"))
                     .toUtf8();
        cases << c;
    }
    {
        const QString subject = QStringLiteral("A plain subject that is far too long for one header line, "
                                               "so it is carried in encoded words over several lines");
        Case c{"long ASCII subject", content(subject, QStringLiteral("x")), subject,
               {{QString(), QStringLiteral("ann@x.org")}}, {}, {}};
        c.body = MailSend::BodyText(QStringLiteral("x")).toUtf8();
        cases << c;
    }
    {
        // Text that looks like an encoded word is not decoded by readers.
        const QString subject = QStringLiteral("=?UTF-8?B?SGk=?=");
        Case c{"subject that looks encoded", content(subject, QStringLiteral("x")), subject,
               {{QString(), QStringLiteral("ann@x.org")}}, MailSend::BodyText(QStringLiteral("x")).toUtf8(), {}};
        cases << c;
    }
    {
        // A subject line break never starts a header: no Bcc.
        Case c{"subject with a header in it", content(QStringLiteral("x\r\nBcc: e@x.org"), QStringLiteral("x")),
               QStringLiteral("x Bcc: e@x.org"), {{QString(), QStringLiteral("ann@x.org")}},
               MailSend::BodyText(QStringLiteral("x")).toUtf8(), {}};
        cases << c;
    }
    {
        Case c{"display names quoted and encoded", content(QStringLiteral("Names"), QStringLiteral("x")),
               QStringLiteral("Names"), {}, MailSend::BodyText(QStringLiteral("x")).toUtf8(), {}};
        c.content.to = {
            {QStringLiteral("Smith, Ann"), QStringLiteral("ann@x.org")},
            {QString::fromUtf8("Müller, Jörg"), QStringLiteral("j@x.org")},
            {QStringLiteral("A \"B\" C\\"), QStringLiteral("c@x.org")},
            {QStringLiteral("Bob Jones"), QStringLiteral("b@x.org")},
            {QStringLiteral("=?x?="), QStringLiteral("d@x.org")},
            {QString(), QStringLiteral("e@x.org")},
        };
        for (const MailAddress& a : c.content.to)
            c.to << qMakePair(a.displayName, a.address);
        cases << c;
    }
    {
        Case c{"attachment names", content(QStringLiteral("Files"), QString()), QStringLiteral("Files"),
               {{QString(), QStringLiteral("ann@x.org")}}, MailSend::BodyText(QString()).toUtf8(), {}};
        const QString longName = QString::fromUtf8("Ergebnisse äöü ") + QString(90, QLatin1Char('x'))
                                 + QString::fromUtf8(" – 😀 final.KVE");
        c.attachments = {
            {QStringLiteral("empty.KVE"), QByteArray()},
            {QString::fromUtf8("résumé 2024.KVE"), QByteArray("r\xC3\xA9sum\xC3\xA9")},
            {QStringLiteral("quote\"d\\name.txt"), QByteArray("q")},
            {longName, QByteArray("long")},
            {QStringLiteral("two\r\nlines.txt"), QByteArray("two")},
            {QStringLiteral("Data; rm -rf x.KVE"), QByteArray("semi")},
        };
        for (const auto& a : c.attachments)
            c.content.attachments << MailAttachment{a.first, a.second};
        cases << c;
    }

    QList<QByteArray> built;
    for (const Case& c : cases)
        built << MailMessage::BuildMessage(c.content);
    const QList<QJsonObject> parsed = parseMessages(built);
    ASSERT_EQ(parsed.size(), cases.size()) << "the Python parser did not run";

    for (qsizetype i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const QJsonObject& m = parsed[i];
        SCOPED_TRACE(c.label);
        expectWellFormed(built[i], c.label);
        EXPECT_TRUE(m.value(QStringLiteral("defects")).toArray().isEmpty()) << built[i].toStdString();
        EXPECT_EQ(headerValues(m, QStringLiteral("Subject")), QStringList{c.subject});
        EXPECT_TRUE(headerValues(m, QStringLiteral("Bcc")).isEmpty());
        EXPECT_EQ(headerValues(m, QStringLiteral("Date")), QStringList{QStringLiteral("Tue, 04 Mar 2025 05:06:07 +0100")});
        EXPECT_EQ(parsedAddresses(m, "from"),
                  (Pairs{{QStringLiteral("KVE Lab"), QStringLiteral("kve@lab.example")}}));
        EXPECT_EQ(parsedAddresses(m, "to"), c.to);
        EXPECT_EQ(m.value(QStringLiteral("charset")).toString(), QStringLiteral("utf-8"));
        EXPECT_EQ(base64Field(m, "body"), c.body);
        const QJsonArray files = m.value(QStringLiteral("attachments")).toArray();
        ASSERT_EQ(files.size(), c.attachments.size());
        for (qsizetype k = 0; k < files.size(); ++k) {
            EXPECT_EQ(files[k].toObject().value(QStringLiteral("filename")).toString(), c.attachments[k].first);
            EXPECT_EQ(base64Field(files[k].toObject(), "content"), c.attachments[k].second)
                << c.attachments[k].first.toStdString();
        }
    }
    // A raw look at the injection case: no line of the message starts a Bcc header.
    EXPECT_FALSE(built[4].contains("\nBcc:"));
}
