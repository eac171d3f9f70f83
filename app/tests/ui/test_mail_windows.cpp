// The mail window and the contacts window: captions, sending (through the
// real libcurl transport to a loopback server, and through a scripted one),
// recording recipients, the preview and the password, attachments, picking
// contacts, and the contacts list with its import.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "core/mail_settings.hpp"
#include "core/program_state.hpp"
#include "core/settings_store.hpp"
#include "support/mail_sink.hpp"
#include "support/scripted_mail.hpp"
#include "support/scripted_platform_services.hpp"
#include "support/top_level_windows.hpp"
#include "support/test_files.hpp"
#include "ui/frm_email.hpp"
#include "ui/frm_mapi.hpp"
#include "ui/mail_settings_dialog.hpp"

namespace {

const QByteArray Rules = QByteArray(50, '-') + "\r\n" + QByteArray(50, '-') + "\r\n";

} // namespace

class MailWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetProgramState();
        platform = std::make_unique<ScriptedPlatform>(dir.path());
        mail = std::make_unique<ScriptedMail>();
        frmMAPI::forgetPassword();
        for (const char* key : {"MailHost", "MailPort", "MailSecurity", "MailUser", "MailSender", "MailDefaultMailbox"})
            SettingsStore::DeleteSetting(QLatin1String(key));
        documents = dir.filePath(QStringLiteral("Documents"));
        QDir().mkpath(documents + QStringLiteral("/KVE Files"));
        programState().DocumentsFolder = documents;
        contactsFile = documents + QStringLiteral("/KVE Files/Contacts.DAT");
        beeps = 0;
        frmeMail::beeper() = [this] { ++beeps; };
        window = frmMAPI::instance();
    }
    void TearDown() override
    {
        deleteTopLevelWindows();
        frmeMail::beeper() = [] { QApplication::beep(); };
        mail.reset();
        platform.reset();
    }

    template <class T>
    T* in(QWidget* parent, const char* name) const
    {
        T* found = parent->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    MailTextBox* box(const char* name) const { return in<MailTextBox>(window, name); }
    QCheckBox* showMessage() const { return in<QCheckBox>(window, "Check1"); }

    static void useServer(int port, const QString& user = QString())
    {
        MailSettings s;
        s.host = QStringLiteral("127.0.0.1");
        s.port = port;
        s.security = MailSecurity::None;
        s.user = user;
        s.sender = QStringLiteral("kve@lab.example");
        s.defaultMailbox = QStringLiteral("inbox@lab.example");
        ASSERT_TRUE(s.save());
    }

    QString attachment(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        writeBytes(path, bytes);
        return path;
    }

    const std::vector<MessageRequest>& boxes() const { return platform->messages.asked; }

    QTemporaryDir dir;
    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<ScriptedMail> mail;
    QString documents;
    QString contactsFile;
    int beeps = 0;
    QPointer<frmMAPI> window;
};

TEST_F(MailWindows, CaptionsOfBothWindows)
{
    struct Control {
        const char* name;
        const char* text;
        const char* tooltip;
    };
    EXPECT_EQ(window->windowTitle(), QStringLiteral("eMail"));
    const Control mailControls[] = {
        {"Label1", "Send to:", ""},           {"Label2", "Subject:", ""},
        {"Label4", "Attachments:", ""},       {"Label3", "Message:", ""},
        {"Command18", "", "Contacts"},        {"Command1", "", "Add an attachment"},
        {"Command2", "", "Remove attachments"}, {"Check1", "Show message window", ""},
        {"cmdSend", "Send", "Send"},          {"cmdEnd", "Return", ""},
    };
    for (const Control& c : mailControls) {
        QWidget* w = in<QWidget>(window, c.name);
        ASSERT_NE(w, nullptr);
        const QString text = w->property("text").toString();
        EXPECT_EQ(text, QLatin1String(c.text)) << c.name;
        EXPECT_EQ(w->toolTip(), QLatin1String(c.tooltip)) << c.name;
    }
    EXPECT_EQ(box("txtSendTo")->toolTip(), QStringLiteral("Format: \"LAST Name, FIRST Name <eMail>; \""));
    EXPECT_TRUE(showMessage()->isChecked());

    // Entering the recipient box selects its whole text.
    box("txtSendTo")->setText(QStringLiteral("ann@x.org; bob@y.org"));
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(box("txtSendTo"), &focus);
    EXPECT_EQ(box("txtSendTo")->textCursor().selectedText(), QStringLiteral("ann@x.org; bob@y.org"));

    frmeMail contacts(window);
    EXPECT_EQ(contacts.windowTitle(), QStringLiteral("eMail"));
    const Control contactControls[] = {
        {"Label1", "No contacts", ""},
        {"Check2", "Select ALL eMails?", ""},
        {"Check1", "Save eMails before close", ""},
        {"Command2", "Remove", "Remove selected items"},
        {"Command1", "Import", "Import from a vCard or CSV file"},
        {"cmdOK", "Return", "Return"},
    };
    for (const Control& c : contactControls) {
        QWidget* w = in<QWidget>(&contacts, c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->property("text").toString(), QLatin1String(c.text)) << c.name;
        EXPECT_EQ(w->toolTip(), QLatin1String(c.tooltip)) << c.name;
    }
    EXPECT_FALSE(in<QCheckBox>(&contacts, "Check2")->isChecked());
    EXPECT_TRUE(in<QCheckBox>(&contacts, "Check1")->isChecked());
    EXPECT_TRUE(contacts.isModal());
}

TEST_F(MailWindows, SendsThroughLibcurlToALoopbackServer)
{
    MailSink sink;
    ASSERT_GT(sink.port(), 0) << "the loopback SMTP server did not start";
    Mail::setTransport(nullptr);         // the real transport
    useServer(sink.port());
    QByteArray data;
    for (int b = 0; b < 256 * 8; ++b)
        data += static_cast<char>(b * 7);
    const QString file = attachment(QStringLiteral("Trial 1.KVE"), data);

    box("txtSendTo")->setText(QStringLiteral("Smith, Ann <ann@x.org>"));
    in<QLineEdit>(window, "txtSubject")->setText(QStringLiteral("Trial"));
    window->attachments()->setText(file);
    showMessage()->setChecked(false);
    window->cmdSend_Click();
    EXPECT_TRUE(boxes().empty()) << boxes().front().text.toStdString();

    QList<QJsonObject> got = sink.received(1);
    ASSERT_EQ(got.size(), 1);
    EXPECT_EQ(got[0].value(QStringLiteral("mail_from")).toString(), QStringLiteral("kve@lab.example"));
    EXPECT_EQ(got[0].value(QStringLiteral("rcpt_tos")).toArray(), QJsonArray{QStringLiteral("ann@x.org")});
    EXPECT_EQ(parsedAddresses(got[0], "to"),
              (QList<QPair<QString, QString>>{{QStringLiteral("Smith, Ann"), QStringLiteral("ann@x.org")}}));
    EXPECT_EQ(base64Field(got[0], "body"), "NO MESSAGE\r\n\r\n\r\n\r\n" + Rules);
    const QJsonArray files = got[0].value(QStringLiteral("attachments")).toArray();
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files[0].toObject().value(QStringLiteral("filename")).toString(), QStringLiteral("Trial 1.KVE"));
    EXPECT_EQ(base64Field(files[0].toObject(), "content"), data);
    EXPECT_EQ(readBytes(contactsFile), QByteArray("Smith, Ann <ann@x.org>\r\n"));

    // A refused connection: the error box with libcurl's number and reason.
    // The recipient was recorded before the send, as always.
    {
        const QuietPort refusing;
        useServer(refusing.port());
        window->cmdSend_Click();
    }
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].title, QStringLiteral("Error"));
    EXPECT_EQ(boxes()[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(boxes()[0].text.startsWith(QStringLiteral("Error code:  7\r\nError description: Couldn't connect")))
        << boxes()[0].text.toStdString();
    EXPECT_EQ(readBytes(contactsFile), QByteArray("Smith, Ann <ann@x.org>\r\nSmith, Ann <ann@x.org>\r\n"));

    // The window stays usable: the next send goes out.
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    useServer(sink.port());
    window->cmdSend_Click();
    EXPECT_EQ(sink.received(2).size(), 2);
    EXPECT_EQ(boxes().size(), 1u);
}

namespace {

// A transport whose send waits on a server that is slow to answer; it
// notes the thread it ran on.
class SlowTransport : public MailTransport {
public:
    MailError ready(const MailServer&) override { return MailError{}; }
    MailError send(const MailServer&, const MailEnvelope&) override
    {
        thread = QThread::currentThread();
        ++sends;
        QThread::msleep(1500);
        return MailError{28, QStringLiteral("Timeout was reached")};
    }
    std::atomic<QThread*> thread{nullptr};
    std::atomic<int> sends{0};
};

} // namespace

TEST_F(MailWindows, TheSendWaitsOffTheWindowsThreadWhichRepaintsUnderTheHourglass)
{
    useServer(25);
    showMessage()->setChecked(false);
    window->show();
    SlowTransport slow;
    Mail::setTransport(&slow);
    int paints = 0;
    int ticks = 0;
    bool hourglass = true;
    struct PaintCounter : QObject {
        int& count;
        explicit PaintCounter(int& c) : count(c) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            count += e->type() == QEvent::Paint;
            return false;
        }
    } counter(paints);
    window->installEventFilter(&counter);
    // While the send waits: the window is asked to repaint, and a click on
    // "Send" comes in.
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        ++ticks;
        hourglass = hourglass && QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        window->update();
        if (ticks == 3) {
            // A click as the window system delivers it: press and release.
            QPushButton* send = in<QPushButton>(window, "cmdSend");
            const QPointF centre = QRectF(send->rect()).center();
            for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent e(type, centre, send->mapToGlobal(centre), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(send, &e);
            }
        }
    });
    tick.start(100);
    window->cmdSend_Click();
    tick.stop();
    window->removeEventFilter(&counter);
    Mail::setTransport(&mail->transport);

    EXPECT_NE(slow.thread.load(), nullptr);
    EXPECT_NE(slow.thread.load(), QThread::currentThread()) << "the send ran on the window's thread";
    EXPECT_GE(ticks, 5) << "the window's thread was held by the send";
    EXPECT_GE(paints, 3);
    EXPECT_TRUE(hourglass);
    EXPECT_EQ(slow.sends.load(), 1) << "a click during the send started another one";
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, QStringLiteral("Error code:  28\r\nError description: Timeout was reached"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MailWindows, AFailureBeforeTheSendRecordsAndSendsNothing)
{
    useServer(25);
    const QString file = attachment(QStringLiteral("a.KVE2"), "x");
    struct Case {
        const char* label;
        QString sendTo;
        QString attach;
        bool ready;
        const char* text;
    };
    const Case cases[] = {
        {"a recipient that is no address", QStringLiteral("ann@x.org; not an address"), QString(), true,
         "Error code:  1001\r\nError description: The recipient \"not an address\" is not an e-mail address"},
        {"a header in a recipient", QStringLiteral("ann@x.org\nBcc: e@x.org"), QString(), true,
         "Error code:  1001\r\nError description: The recipient \"ann@x.org Bcc: e@x.org\" holds a line break"},
        {"a missing attachment", QStringLiteral("ann@x.org"), file.chopped(1), true,
         "Error code:  1003\r\nError description: The attachment"},
        {"no way out", QStringLiteral("ann@x.org"), QString(), false, "Error code:  1005\r\n"},
    };
    mail->transport.notReady = MailError{MailErrNoServer, QStringLiteral("No SMTP server is set up.")};
    for (const Case& c : cases) {
        platform->messages.asked.clear();
        mail->transport.notReady = c.ready ? MailError{} : MailError{MailErrNoServer, QStringLiteral("none")};
        box("txtSendTo")->setText(c.sendTo);
        window->attachments()->setText(c.attach);
        window->cmdSend_Click();
        ASSERT_EQ(boxes().size(), 1u) << c.label;
        EXPECT_TRUE(boxes()[0].text.startsWith(QLatin1String(c.text))) << c.label << ": " << boxes()[0].text.toStdString();
        EXPECT_FALSE(QFile::exists(contactsFile)) << c.label;
        EXPECT_TRUE(mail->transport.sent.empty()) << c.label;
        EXPECT_TRUE(mail->dialogs.previews.isEmpty()) << c.label;
    }
}

TEST_F(MailWindows, AnEmptyRecipientBoxGoesToTheDefaultMailbox)
{
    useServer(25);
    showMessage()->setChecked(false);
    window->cmdSend_Click();
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(box("txtSendTo")->text(), QStringLiteral("inbox@lab.example"));
    ASSERT_EQ(mail->transport.sent.size(), 1u);
    EXPECT_EQ(mail->transport.sent[0].envelope.recipients, QStringList{QStringLiteral("inbox@lab.example")});
    EXPECT_EQ(mail->transport.sent[0].server.host, QStringLiteral("127.0.0.1"));
    EXPECT_FALSE(QFile::exists(contactsFile)) << "the default mailbox is not recorded";
}

TEST_F(MailWindows, PreviewAndAPasswordAskedOncePerRun)
{
    const QString secret = QStringLiteral("Pa55-word-kve");
    useServer(25, QStringLiteral("kve"));
    box("txtSendTo")->setText(QStringLiteral("ann@x.org; bob@y.org"));
    in<QLineEdit>(window, "txtSubject")->setText(QStringLiteral("Trial"));
    mail->dialogs.passwords = {secret};
    mail->dialogs.sendAnswers = {false, true, true};

    // Cancel in the preview: nothing sent; the recipients were recorded.
    window->cmdSend_Click();
    EXPECT_EQ(mail->dialogs.passwordQuestions, QStringList{QStringLiteral("kve@127.0.0.1")});
    ASSERT_EQ(mail->dialogs.previews.size(), 1);
    EXPECT_TRUE(mail->dialogs.previews[0].contains(QStringLiteral("To: ann@x.org; bob@y.org\nSubject: Trial\n")));
    EXPECT_TRUE(mail->transport.sent.empty());
    EXPECT_EQ(readBytes(contactsFile), QByteArray("ann@x.org\r\nbob@y.org\r\n"));

    // Send: the password of the run, not asked again.
    window->cmdSend_Click();
    ASSERT_EQ(mail->transport.sent.size(), 1u);
    EXPECT_EQ(mail->transport.sent[0].server.user, QStringLiteral("kve"));
    EXPECT_EQ(mail->transport.sent[0].server.password, secret);
    EXPECT_EQ(mail->dialogs.passwordQuestions.size(), 1);

    // A refused login forgets it; the next send asks again (cancelled here:
    // nothing more is recorded or sent).
    mail->transport.results = {MailError{MailErrLoginDenied, QStringLiteral("Login denied")}};
    window->cmdSend_Click();
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, QStringLiteral("Error code:  67\r\nError description: Login denied"));
    window->cmdSend_Click();
    EXPECT_EQ(mail->dialogs.passwordQuestions.size(), 2);
    EXPECT_EQ(mail->transport.sent.size(), 2u);
    EXPECT_EQ(readBytes(contactsFile).count('\n'), 6);

    // The password is nowhere in the settings.
    const QSettings store(QStringLiteral("Brannex3"), QStringLiteral("Brannex3"));
    EXPECT_FALSE(readBytes(store.fileName()).contains(secret.toUtf8()));
    EXPECT_TRUE(readBytes(store.fileName()).contains("MailUser=kve"));
}

TEST_F(MailWindows, AddingAndRemovingAttachments)
{
    QLabel* label = in<QLabel>(window, "Label4");
    platform->fileDialogs.fileLists = {{"/d/a.KVE", "/d/b.KVE", "/d/c.KVE"}, {"/d/b.KVE"}, {"/d/a.KVE2"}};
    window->Command1_Click();
    ASSERT_EQ(platform->fileDialogs.asked.size(), 1u);
    const FileDialogRequest& request = platform->fileDialogs.asked[0];
    EXPECT_EQ(request.title, QStringLiteral("Open dataset file"));
    EXPECT_EQ(request.filter, QStringLiteral("All Files (*.*)|*.*|KVE Files(*.KVE)|*.KVE"));
    EXPECT_EQ(request.filterIndex, 2);
    EXPECT_EQ(request.initialFolder, documents + QStringLiteral("/KVE Files"));
    EXPECT_EQ(window->attachments()->text(), QStringLiteral("/d/a.KVE; /d/b.KVE; /d/c.KVE"));
    EXPECT_EQ(label->text(), QStringLiteral("Attachments (3 files):"));

    programState().DataFolder = QStringLiteral("/data/");
    window->Command1_Click();
    EXPECT_EQ(platform->fileDialogs.asked[1].initialFolder, QStringLiteral("/data/"));
    EXPECT_EQ(window->attachments()->text(), QStringLiteral("/d/a.KVE; /d/b.KVE; /d/c.KVE"));
    window->Command1_Click();
    EXPECT_EQ(window->attachments()->text(), QStringLiteral("/d/a.KVE; /d/b.KVE; /d/c.KVE; /d/a.KVE2"));
    EXPECT_EQ(label->text(), QStringLiteral("Attachments (4 files):"));

    window->Command1_Click();            // cancelled
    EXPECT_EQ(window->attachments()->text(), QStringLiteral("/d/a.KVE; /d/b.KVE; /d/c.KVE; /d/a.KVE2"));

    window->Command2_Click();
    EXPECT_TRUE(window->attachments()->text().isEmpty());
    EXPECT_EQ(label->text(), QStringLiteral("Attachments:"));
}

TEST_F(MailWindows, PickedContactsJoinTheRecipients)
{
    writeBytes(contactsFile, "Smith, Ann <ann@x.org>\r\nbob@y.org\r\nLab <lab@z.org>\r\n");
    box("txtSendTo")->setText(QStringLiteral("x@y.org"));
    // The rows are copied into the deferred call: an initializer list's
    // elements end with the statement that made it.
    const auto pick = [](std::initializer_list<int> rowList, bool returned) {
        QTimer::singleShot(0, [rows = std::vector<int>(rowList), returned] {
            auto* contacts = qobject_cast<frmeMail*>(QApplication::activeModalWidget());
            ASSERT_NE(contacts, nullptr);
            for (int r : rows)
                contacts->list()->item(r)->setSelected(true);
            if (returned)
                contacts->cmdOK_Click();
            else
                contacts->reject();
        });
    };
    pick({0, 2}, true);
    window->Command18_Click();
    EXPECT_EQ(box("txtSendTo")->text(), QStringLiteral("x@y.org; Smith, Ann <ann@x.org>; Lab <lab@z.org>"));

    // Closed without "Return": nothing comes back.
    pick({1}, false);
    window->Command18_Click();
    EXPECT_EQ(box("txtSendTo")->text(), QStringLiteral("x@y.org; Smith, Ann <ann@x.org>; Lab <lab@z.org>"));

    box("txtSendTo")->clear();
    pick({1}, true);
    window->Command18_Click();
    EXPECT_EQ(box("txtSendTo")->text(), QStringLiteral("bob@y.org"));
}

TEST_F(MailWindows, ContactsListRemoveAndReturn)
{
    writeBytes(contactsFile, "Smith, Ann <ann@x.org>\r\nann@x.org\r\nANN@X.ORG\r\n\r\nbob@y.org\r\nLab <lab@z.org>\r\n");
    auto contacts = std::make_unique<frmeMail>(window);
    QLabel* label = in<QLabel>(contacts.get(), "Label1");
    QListWidget* list = contacts->list();
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(label->text(), QStringLiteral("3 contacts"));

    in<QCheckBox>(contacts.get(), "Check2")->setChecked(true);
    EXPECT_EQ(list->selectedItems().size(), 3);
    in<QCheckBox>(contacts.get(), "Check2")->setChecked(false);
    EXPECT_TRUE(list->selectedItems().isEmpty());

    list->item(1)->setSelected(true);
    platform->messages.answers = {MsgAnswer::No, MsgAnswer::Yes};
    contacts->Command2_Click();
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, QStringLiteral("Do you want to remove the marked items?"));
    EXPECT_EQ(boxes()[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(boxes()[0].icon, MsgIcon::Question);
    EXPECT_EQ(boxes()[0].title, QStringLiteral("eMail"));
    EXPECT_EQ(list->count(), 3);
    contacts->Command2_Click();
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(label->text(), QStringLiteral("2 contacts"));

    // Return: the marked entries, and the file rewritten as shown.
    list->item(0)->setSelected(true);
    list->item(1)->setSelected(true);
    contacts->cmdOK_Click();
    EXPECT_EQ(programState().SelectedAddresses, QStringLiteral("Smith, Ann <ann@x.org>; Lab <lab@z.org>"));
    EXPECT_EQ(readBytes(contactsFile), QByteArray("Smith, Ann <ann@x.org>\r\nLab <lab@z.org>\r\n"));

    // Unticked: the file stays; a new window starts with nothing handed back.
    contacts = std::make_unique<frmeMail>(window);
    EXPECT_TRUE(programState().SelectedAddresses.isEmpty());
    contacts->list()->item(0)->setSelected(true);
    platform->messages.answers = {MsgAnswer::Yes};
    contacts->Command2_Click();
    in<QCheckBox>(contacts.get(), "Check1")->setChecked(false);
    contacts->cmdOK_Click();
    EXPECT_EQ(readBytes(contactsFile), QByteArray("Smith, Ann <ann@x.org>\r\nLab <lab@z.org>\r\n"));
    EXPECT_TRUE(programState().SelectedAddresses.isEmpty());

    // No file: none is created, and the list says so.
    QFile::remove(contactsFile);
    contacts = std::make_unique<frmeMail>(window);
    label = in<QLabel>(contacts.get(), "Label1");
    EXPECT_EQ(label->text(), QStringLiteral("No contacts"));
    contacts->cmdOK_Click();
    EXPECT_FALSE(QFile::exists(contactsFile));
}

TEST_F(MailWindows, ContactsWindowKeepsTheLinesItCannotRead)
{
    writeBytes(contactsFile, "ann@x.org\r\ntab\there@x.org\r\nbob@y.org\r\nlone\rcr@x.org\r\nLab <lab@z.org>\r\n");
    auto contacts = std::make_unique<frmeMail>(window);
    EXPECT_EQ(contacts->list()->count(), 3);
    EXPECT_EQ(in<QLabel>(contacts.get(), "Label1")->text(), QStringLiteral("3 contacts"));
    QLabel* note = in<QLabel>(contacts.get(), "lblUnreadable");
    EXPECT_FALSE(note->isHidden());
    EXPECT_TRUE(note->text().startsWith(QLatin1String("2 lines of the contacts file could not be read")))
        << note->text().toStdString();
    EXPECT_TRUE(boxes().empty());

    // "Return" with the save ticked, bob removed: both lines stay in place.
    contacts->list()->item(1)->setSelected(true);
    platform->messages.answers = {MsgAnswer::Yes};
    contacts->Command2_Click();
    contacts->cmdOK_Click();
    EXPECT_EQ(readBytes(contactsFile), QByteArray("ann@x.org\r\ntab\there@x.org\r\nlone\rcr@x.org\r\nLab <lab@z.org>\r\n"));

    // A file every line of which is read says nothing about it.
    writeBytes(contactsFile, "ann@x.org\r\n");
    contacts = std::make_unique<frmeMail>(window);
    EXPECT_TRUE(in<QLabel>(contacts.get(), "lblUnreadable")->isHidden());
}

TEST_F(MailWindows, ContactsImportShowsItsProgressInTheCaption)
{
    writeBytes(contactsFile, "ann@x.org\r\n");
    const QString vcf = attachment(QStringLiteral("export.vcf"),
                                   "BEGIN:VCARD\r\nN:Smith;Ann\r\nEMAIL:ann@x.org\r\nEND:VCARD\r\n"
                                   "BEGIN:VCARD\r\nN:Jones;Bob\r\nEMAIL:bob@y.org\r\nEND:VCARD\r\n"
                                   "BEGIN:VCARD\r\nN:Nomail;Nina\r\nEND:VCARD\r\n"
                                   "BEGIN:VCARD\r\nN:Lab;Office\r\nEMAIL:lab@z.org\r\nEND:VCARD\r\n"
                                   // refused: an address that would break the file's line
                                   "BEGIN:VCARD\r\nN:Cut;Line\r\nEMAIL:cut@x.org\\nline@x.org\r\nEND:VCARD\r\n");
    frmeMail contacts(window);
    QStringList captions;
    QObject::connect(&contacts, &QWidget::windowTitleChanged, [&captions](const QString& t) { captions << t; });
    platform->fileDialogs.answers = {vcf};
    contacts.Command1_Click();
    EXPECT_EQ(captions, (QStringList{"eMail (Imported 25.%)", "eMail (Imported 50.%)", "eMail (Imported 75.%)",
                                     "eMail (Imported 100.%)", "eMail"}));
    QStringList entries;
    for (int i = 0; i < contacts.list()->count(); ++i)
        entries << contacts.list()->item(i)->text();
    EXPECT_EQ(entries, (QStringList{"ann@x.org", "Jones, Bob <bob@y.org>", "Lab, Office <lab@z.org>"}));
    EXPECT_EQ(in<QLabel>(&contacts, "Label1")->text(), QStringLiteral("3 contacts"));
    EXPECT_EQ(readBytes(contactsFile), QByteArray("ann@x.org\r\n")) << "the import alone writes nothing";
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, QStringLiteral("1 contacts were not imported: their name or address holds a line "
                                              "break or another control character."));
    EXPECT_EQ(boxes()[0].title, QStringLiteral("eMail"));
    platform->messages.asked.clear();

    // A file that is no contacts export: the message, the list unchanged.
    const QString other = attachment(QStringLiteral("notes.csv"), "Name,Phone\r\nAnn,123\r\n");
    platform->fileDialogs.answers = {other};
    contacts.Command1_Click();
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_TRUE(boxes()[0].text.startsWith(QStringLiteral("Could not find default contacts folder\r\n")));
    EXPECT_EQ(boxes()[0].title, QStringLiteral("Outlook eMail Contacts"));
    EXPECT_EQ(boxes()[0].icon, MsgIcon::Critical);
    EXPECT_EQ(contacts.list()->count(), 3);

    contacts.cmdOK_Click();
    EXPECT_EQ(readBytes(contactsFile), QByteArray("ann@x.org\r\nJones, Bob <bob@y.org>\r\nLab, Office <lab@z.org>\r\n"));
}

TEST_F(MailWindows, SettingsDialogChecksAndStores)
{
    MailSettingsDialog dialog(window);
    const auto set = [&dialog, this](const char* name, const QString& text) {
        in<QLineEdit>(&dialog, name)->setText(text);
    };
    set("txtHost", QStringLiteral("mail.lab.example"));
    set("txtPort", QStringLiteral("70000"));
    set("txtUser", QStringLiteral("kve"));
    set("txtSender", QStringLiteral("kve@lab.example"));
    set("txtDefaultMailbox", QStringLiteral("inbox@lab.example"));
    in<QComboBox>(&dialog, "cboSecurity")->setCurrentIndex(2);
    dialog.accept();
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_TRUE(boxes()[0].text.contains(QStringLiteral("70000")));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(MailSettings::load().host.isEmpty()) << "nothing stored";

    set("txtPort", QString());
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const MailSettings s = MailSettings::load();
    EXPECT_EQ(s.host, QStringLiteral("mail.lab.example"));
    EXPECT_EQ(s.effectivePort(), 465);
    EXPECT_EQ(s.security, MailSecurity::Tls);
    EXPECT_EQ(s.user, QStringLiteral("kve"));
    EXPECT_EQ(s.sender, QStringLiteral("kve@lab.example"));
    EXPECT_EQ(s.defaultMailbox, QStringLiteral("inbox@lab.example"));

    MailSettingsDialog again(window);
    EXPECT_EQ(in<QComboBox>(&again, "cboSecurity")->currentIndex(), 2);
    in<QLineEdit>(&again, "txtHost")->setText(QStringLiteral("mail host;rm"));
    again.accept();
    EXPECT_EQ(again.result(), QDialog::Rejected);
    EXPECT_EQ(MailSettings::load().host, QStringLiteral("mail.lab.example"));
}
