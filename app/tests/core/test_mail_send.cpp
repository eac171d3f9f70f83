// The send up to the point where the message leaves: splitting the boxes,
// resolving every recipient and reading every attachment before anything
// is recorded, the body, the error box and the attachment box.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/mail_send.hpp"
#include "support/test_files.hpp"

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    writeBytes(path, bytes);
    return path;
}

MailSettings smtpSettings()
{
    MailSettings s;
    s.host = QStringLiteral("mail.lab.example");
    s.sender = QStringLiteral("kve@lab.example");
    s.defaultMailbox = QStringLiteral("inbox@lab.example");
    return s;
}

MailPreparation prepare(const MailForm& form, const MailSettings& settings = smtpSettings())
{
    return MailSend::Prepare(form, settings, QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5)), QStringLiteral("id1"));
}

} // namespace

TEST(MailSend, RecipientsAreSplitResolvedAndRecorded)
{
    struct Case {
        const char* sendTo;
        QStringList recorded;            // what the contacts file gains
        QStringList envelope;
        const char* boxAfter;            // nullptr: as it was
    };
    const Case cases[] = {
        // An empty box sends to the default mailbox, which is never recorded.
        {"", {}, {"inbox@lab.example"}, "inbox@lab.example"},
        // One recipient without ";": recorded as typed, blanks included (not
        // the line breaks around it).
        {"  ann@x.org  ", {"  ann@x.org  "}, {"ann@x.org"}, nullptr},
        {"Smith, Ann <ann@x.org>\n", {"Smith, Ann <ann@x.org>"}, {"ann@x.org"}, nullptr},
        // Two entries: trimmed, in order.
        {"Smith, Ann <ann@x.org>;  bob@y.org ", {"Smith, Ann <ann@x.org>", "bob@y.org"}, {"ann@x.org", "bob@y.org"},
         nullptr},
        // A trailing ";" and a leading one give no recipient.
        {"ann@x.org; ", {"ann@x.org"}, {"ann@x.org"}, nullptr},
        {"; ann@x.org;\n bob@y.org", {"ann@x.org", "bob@y.org"}, {"ann@x.org", "bob@y.org"}, nullptr},
        // The same address twice is one envelope recipient.
        {"ann@x.org; Ann <ANN@x.org>", {"ann@x.org", "Ann <ANN@x.org>"}, {"ann@x.org"}, nullptr},
    };
    for (const Case& c : cases) {
        const MailPreparation p = prepare({QString::fromUtf8(c.sendTo), QStringLiteral("s"), QString(), QString()});
        ASSERT_FALSE(p.error.failed()) << c.sendTo << ": " << p.error.description.toStdString();
        EXPECT_EQ(p.recorded, c.recorded) << c.sendTo;
        EXPECT_EQ(p.envelopeRecipients, c.envelope) << c.sendTo;
        EXPECT_EQ(p.sendTo, c.boxAfter ? QString::fromUtf8(c.boxAfter) : QString::fromUtf8(c.sendTo)) << c.sendTo;
    }
}

TEST(MailSend, AFailureStopsBeforeAnythingIsRecorded)
{
    QTemporaryDir dir;
    const QString present = writeFile(dir, QStringLiteral("a.KVE2"), "x");
    MailSettings noDefault = smtpSettings();
    noDefault.defaultMailbox.clear();
    MailSettings noSender = smtpSettings();
    noSender.sender.clear();
    MailSettings badSender = smtpSettings();
    badSender.sender = QStringLiteral("kve at lab");

    struct Case {
        const char* label;
        MailForm form;
        MailSettings settings;
        int number;
        const char* says;
    };
    const Case cases[] = {
        {"an unresolvable recipient among good ones", {"ann@x.org; ann; bob@y.org", "s", "", ""}, smtpSettings(),
         MailErrRecipient, "\"ann\" is not an e-mail address"},
        {"a header hidden in a recipient", {"ann@x.org\r\nBcc: e@x.org", "s", "", ""}, smtpSettings(),
         MailErrRecipient, "line break"},
        {"an empty box without default mailbox", {"", "s", "", ""}, noDefault, MailErrNoRecipient,
         "no default mailbox"},
        {"only separators", {" ; ; ", "s", "", ""}, smtpSettings(), MailErrNoRecipient, "No recipient"},
        {"no sender for the SMTP server", {"ann@x.org", "s", "", ""}, noSender, MailErrSender,
         "No sender address"},
        {"a sender that is no address", {"ann@x.org", "s", "", ""}, badSender, MailErrSender, "kve at lab"},
        // Exact entries: "a.KVE2" is there, "a.KVE" is not.
        {"a missing attachment", {"ann@x.org", "s", present + "; " + present.chopped(1), ""}, smtpSettings(),
         MailErrAttachment, "was not found"},
        {"a folder as attachment", {"ann@x.org", "s", dir.path(), ""}, smtpSettings(), MailErrAttachment,
         "was not found"},
    };
    for (const Case& c : cases) {
        const MailPreparation p = prepare(c.form, c.settings);
        EXPECT_EQ(p.error.number, c.number) << c.label;
        EXPECT_TRUE(p.error.description.contains(QString::fromUtf8(c.says)))
            << c.label << ": " << p.error.description.toStdString();
        EXPECT_TRUE(p.recorded.isEmpty()) << c.label;
    }

    // Without an SMTP server (sendmail) a sender is not needed.
    MailSettings local;
    const MailPreparation p = prepare({"ann@x.org", "s", "", ""}, local);
    EXPECT_FALSE(p.error.failed()) << p.error.description.toStdString();
    EXPECT_TRUE(p.content.from.address.isEmpty());
}

TEST(MailSend, AttachmentsAreReadWithTheirExactBytes)
{
    QTemporaryDir dir;
    QByteArray binary;
    for (int b = 0; b < 256; ++b)
        binary += static_cast<char>(b);
    const QString one = writeFile(dir, QStringLiteral("one.KVE"), binary);

    // Several entries are trimmed; a single one is taken as typed.
    const MailPreparation q = prepare({"ann@x.org", "s", one + ";\n" + one + " ", "m"});
    ASSERT_FALSE(q.error.failed()) << q.error.description.toStdString();
    ASSERT_EQ(q.content.attachments.size(), 2);
    EXPECT_EQ(q.content.attachments[0].fileName, QStringLiteral("one.KVE"));
    EXPECT_EQ(q.content.attachments[0].content, binary);

    const MailPreparation single = prepare({"ann@x.org", "s", " " + one, "m"});
    EXPECT_EQ(single.error.number, MailErrAttachment) << "a single entry keeps its blanks";
}

TEST(MailSend, BodyErrorBoxAndAttachmentBoxTexts)
{
    const QString rule(50, QLatin1Char('-'));
    EXPECT_EQ(MailSend::BodyText(QString()),
              QStringLiteral("NO MESSAGE\r\n\r\n\r\n\r\n") + rule + QStringLiteral("\r\n") + rule + QStringLiteral("\r\n"));
    EXPECT_EQ(MailSend::BodyText(QStringLiteral("Dear Ann")),
              QStringLiteral("Dear Ann\r\n\r\n\r\n\r\n") + rule + QStringLiteral("\r\n") + rule + QStringLiteral("\r\n"));

    // A place for the sign before a number that is not negative.
    EXPECT_EQ(MailSend::ErrorText({7, QStringLiteral("Couldn't connect to server")}),
              QStringLiteral("Error code:  7\r\nError description: Couldn't connect to server"));
    EXPECT_EQ(MailSend::ErrorText({-1, QStringLiteral("x")}), QStringLiteral("Error code: -1\r\nError description: x"));

    struct Case {
        const char* box;
        QStringList added;
        const char* after;
        const char* caption;
    };
    const Case cases[] = {
        {"", {"/d/a.KVE", "/d/b.KVE", "/d/c.KVE"}, "/d/a.KVE; /d/b.KVE; /d/c.KVE", "Attachments (3 files):"},
        {"/d/a.KVE", {"/d/a.KVE"}, "/d/a.KVE", "Attachments (1 files):"},
        // Exact entries: a path that only occurs inside another is added.
        {"/d/a.KVE2", {"/d/a.KVE"}, "/d/a.KVE2; /d/a.KVE", "Attachments (2 files):"},
        {"/d/a.KVE; /d/b.KVE", {"/d/b.KVE", "/d/c.KVE", "/d/c.KVE"}, "/d/a.KVE; /d/b.KVE; /d/c.KVE",
         "Attachments (3 files):"},
        {"/d/A.KVE", {"/d/a.KVE"}, "/d/A.KVE; /d/a.KVE", "Attachments (2 files):"},
    };
    for (const Case& c : cases) {
        const QString after = MailSend::AddAttachmentPaths(QString::fromUtf8(c.box), c.added);
        EXPECT_EQ(after, QString::fromUtf8(c.after)) << c.box;
        EXPECT_EQ(MailSend::AttachmentsCaption(after), QString::fromUtf8(c.caption)) << c.box;
    }
}

TEST(MailSend, PreviewShowsWhatWillBeSent)
{
    QTemporaryDir dir;
    const QString file = writeFile(dir, QStringLiteral("trial.KVE"), "12345");
    const MailPreparation p = prepare({"Smith, Ann <ann@x.org>", "Trial\nresults", file, "See attached."});
    ASSERT_FALSE(p.error.failed());
    const QString preview = MailSend::PreviewText(p.content);
    EXPECT_TRUE(preview.startsWith(QStringLiteral("From: kve@lab.example\nTo: Smith, Ann <ann@x.org>\n"
                                                  "Subject: Trial results\nAttachments: trial.KVE (5 bytes)\n\n"
                                                  "See attached.\n")))
        << preview.toStdString();
}
