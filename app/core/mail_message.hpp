#pragma once
// E-mail messages as the mail window sends them: the addresses behind the
// recipient texts users type, and the message itself in Internet format
// (RFC 5322 with MIME). Built here, without a network, so that every byte
// that leaves the program is known and can be tested.
//
// Nothing a user types reaches a header unchecked: a recipient with a line
// break is refused, line breaks in the subject become blanks, display names
// and the subject are quoted or encoded (RFC 2047) and attachment names are
// encoded (RFC 2231).

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

struct MailAddress {
    QString displayName;                 // may be empty
    QString address;                     // addr-spec, ASCII: local@domain
};

struct MailAttachment {
    QString fileName;                    // the name the receiver sees, without folder
    QByteArray content;
};

struct MailContent {
    MailAddress from;                    // no address: no From header (sendmail writes one)
    QList<MailAddress> to;
    QString subject;
    QString body;                        // lines ended by CR LF
    QList<MailAttachment> attachments;
    QDateTime date;
    // Letters and digits, unique per message: names the MIME boundary and
    // the Message-ID.
    QString uniqueId;
};

namespace MailMessage {

// True for an address the program sends to: a dot-atom local part of at
// most 64 characters, "@", and a host name or an address literal in
// brackets. ASCII only.
bool IsMailAddress(const QString& text);

// The address a recipient text stands for: the address inside "<...>" (the
// text before it is the display name, surrounding double quotes removed),
// else the whole text. Surrounding blanks do not count. Nothing, with the
// reason in whyNot, when the text holds a line break or no valid address.
std::optional<MailAddress> ResolveRecipient(const QString& text, QString& whyNot);

// A subject as it can stand in a header: every line break (CR LF, CR or LF)
// and every other control character but the tab becomes one blank.
QString HeaderSafeText(const QString& text);

// The whole message: headers, then a text/plain part (UTF-8,
// quoted-printable) alone or followed by one base64 part per attachment in
// a multipart/mixed body. Lines end with CR LF and stay within 78
// characters, except an address or a short plain subject that is longer.
QByteArray BuildMessage(const MailContent& content);

// Quoted-printable (RFC 2045) of text whose lines end with CR LF: encoded
// lines of at most 76 characters with soft breaks, blanks at a line's end
// encoded.
QByteArray EncodeQuotedPrintable(const QByteArray& text);

} // namespace MailMessage
