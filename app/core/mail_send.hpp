#pragma once
// The mail window's send, up to the point where the message leaves: the
// recipient and attachment boxes split as the window documents them, every
// recipient resolved and every attachment read before anything is recorded
// or sent, the body with its closing rules, and the texts the window shows
// (the error box, the preview, the attachment count).

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "core/mail_message.hpp"
#include "core/mail_settings.hpp"

// Numbers of the failures found before a message leaves. Failures of the
// transport carry libcurl's numbers or the sendmail program's.
enum MailErrorNumber : int {
    MailErrRecipient = 1001,             // a recipient is not an address
    MailErrNoRecipient = 1002,           // no recipient and no default mailbox
    MailErrAttachment = 1003,            // an attachment is missing or unreadable
    MailErrContactsFile = 1004,          // the contacts file could not be written
    MailErrNoServer = 1005,              // no SMTP server set up and no sendmail
    MailErrSender = 1006,                // no or no valid sender address
    MailErrSendmail = 1007,              // sendmail failed
};

struct MailError {
    int number = 0;                      // 0: no error
    QString description;
    bool failed() const { return number != 0; }
};

// The window's boxes when "Send" is pressed.
struct MailForm {
    QString sendTo;
    QString subject;
    QString attachments;
    QString message;
};

struct MailPreparation {
    MailError error;
    // The recipient box afterwards: the default mailbox is written into an
    // empty box.
    QString sendTo;
    // The entries for the contacts file: the trimmed recipients, or a single
    // recipient as typed; nothing for the default mailbox.
    QStringList recorded;
    QStringList envelopeRecipients;      // each address once
    MailContent content;
};

namespace MailSend {

// "NO MESSAGE" for an empty message, then four line breaks and two rules
// of 50 "-", each followed by a line break. Line breaks are CR LF.
QString BodyText(const QString& message);

// Resolves, reads and composes; stops at the first failure, which leaves
// `recorded` empty. `date` and `uniqueId` stamp the message.
MailPreparation Prepare(const MailForm& form, const MailSettings& settings, const QDateTime& date,
                        const QString& uniqueId);

// The entries of a recipient or attachment box split at ";" as the send
// does: with several pieces each trimmed and blank ones left out; a text
// without ";" is one entry as typed, without its line breaks (nothing
// when it is blank).
QStringList SplitEntries(const QString& text);

// The text of the error box: "Error code: " + the number (a blank before a
// number that is not negative) + CR LF + "Error description: " + text.
QString ErrorText(const MailError& error);

// What the preview shows: sender, recipients, subject, attachments with
// their sizes, then the message text.
QString PreviewText(const MailContent& content);

// The attachment box after adding files: each path that is not already an
// entry of the box (compared exactly) is appended after "; ".
QString AddAttachmentPaths(const QString& box, const QStringList& paths);
// "Attachments (N files):" with N the entries of the box counted at ";".
QString AttachmentsCaption(const QString& box);

} // namespace MailSend
