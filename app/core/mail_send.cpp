#include "core/mail_send.hpp"

#include <QFile>
#include <QFileInfo>

#include "core/kve_code.hpp"

namespace MailSend {

namespace {

MailError failure(int number, const QString& description)
{
    return MailError{number, description};
}

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// The text as typed, without the line breaks around it: a multi-line box
// easily ends in one, and an entry never holds one.
QString withoutOuterLineBreaks(const QString& text)
{
    qsizetype first = 0;
    while (first < text.size() && text[first].isSpace())
        ++first;
    qsizetype last = text.size();
    while (last > first && text[last - 1].isSpace())
        --last;
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i)
        if ((i >= first && i < last) || !isLineBreak(text[i]))
            result += text[i];
    return result;
}

QString displayed(const MailAddress& a)
{
    return a.displayName.isEmpty() ? a.address : a.displayName + QStringLiteral(" <") + a.address + QLatin1Char('>');
}

} // namespace

QString BodyText(const QString& message)
{
    const QString rule(50, QLatin1Char('-'));
    const QString crlf = QStringLiteral("\r\n");
    return (message.isEmpty() ? QStringLiteral("NO MESSAGE") : message) + crlf + crlf + crlf + crlf + rule + crlf
           + rule + crlf;
}

QStringList SplitEntries(const QString& text)
{
    QStringList pieces;
    if (KVECode::SplitText(text, QStringLiteral(";"), pieces) >= 2) {
        QStringList entries;
        for (qsizetype i = 1; i < pieces.size(); ++i)
            if (!pieces[i].trimmed().isEmpty())
                entries << pieces[i].trimmed();
        return entries;
    }
    if (text.trimmed().isEmpty())
        return {};
    return {withoutOuterLineBreaks(text)};
}

MailPreparation Prepare(const MailForm& form, const MailSettings& settings, const QDateTime& date,
                        const QString& uniqueId)
{
    MailPreparation p;
    p.sendTo = form.sendTo;

    if (!settings.sender.isEmpty()) {
        if (!MailMessage::IsMailAddress(settings.sender)) {
            p.error = failure(MailErrSender, QStringLiteral("The sender address \"%1\" of the mail settings is not an "
                                                            "e-mail address.")
                                                 .arg(settings.sender));
            return p;
        }
        p.content.from.address = settings.sender;
    } else if (settings.usesSmtp()) {
        p.error = failure(MailErrSender, QStringLiteral("No sender address is set up: enter one in the mail settings."));
        return p;
    }

    QStringList tokens;
    QStringList recorded;
    if (form.sendTo.isEmpty()) {
        if (settings.defaultMailbox.isEmpty()) {
            p.error = failure(MailErrNoRecipient, QStringLiteral("The recipient box is empty and no default mailbox "
                                                                 "is set up in the mail settings."));
            return p;
        }
        p.sendTo = settings.defaultMailbox;
        tokens << settings.defaultMailbox;
    } else {
        tokens = SplitEntries(form.sendTo);
        recorded = tokens;
        if (tokens.isEmpty()) {
            p.error = failure(MailErrNoRecipient, QStringLiteral("No recipient was given."));
            return p;
        }
    }
    for (const QString& token : tokens) {
        QString whyNot;
        const std::optional<MailAddress> address = MailMessage::ResolveRecipient(token, whyNot);
        if (!address) {
            p.error = failure(MailErrRecipient, whyNot);
            p.envelopeRecipients.clear();
            return p;
        }
        p.content.to << *address;
        bool known = false;
        for (const QString& r : std::as_const(p.envelopeRecipients))
            known = known || r.compare(address->address, Qt::CaseInsensitive) == 0;
        if (!known)
            p.envelopeRecipients << address->address;
    }

    p.content.subject = form.subject;
    for (const QString& path : SplitEntries(form.attachments)) {
        const QFileInfo info(path);
        if (!info.isFile()) {
            p.error = failure(MailErrAttachment, QStringLiteral("The attachment \"%1\" was not found.").arg(path));
            return p;
        }
        QFile file(path);
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        if (!file.isOpen() || file.error() != QFileDevice::NoError) {
            p.error = failure(MailErrAttachment, QStringLiteral("The attachment \"%1\" could not be read: %2")
                                                     .arg(path, file.errorString()));
            return p;
        }
        p.content.attachments << MailAttachment{info.fileName(), bytes};
    }
    p.content.body = BodyText(form.message);
    p.content.date = date;
    p.content.uniqueId = uniqueId;
    p.recorded = recorded;
    return p;
}

QString ErrorText(const MailError& error)
{
    return QStringLiteral("Error code: ") + (error.number >= 0 ? QStringLiteral(" ") : QString())
           + QString::number(error.number) + QStringLiteral("\r\nError description: ") + error.description;
}

QString PreviewText(const MailContent& content)
{
    QStringList lines;
    if (!content.from.address.isEmpty())
        lines << QStringLiteral("From: ") + displayed(content.from);
    QStringList to;
    for (const MailAddress& a : content.to)
        to << displayed(a);
    lines << QStringLiteral("To: ") + to.join(QStringLiteral("; "));
    lines << QStringLiteral("Subject: ") + MailMessage::HeaderSafeText(content.subject);
    if (!content.attachments.isEmpty()) {
        QStringList files;
        for (const MailAttachment& a : content.attachments)
            files << QStringLiteral("%1 (%2 bytes)").arg(a.fileName).arg(a.content.size());
        lines << QStringLiteral("Attachments: ") + files.join(QStringLiteral("; "));
    }
    QString body = content.body;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return lines.join(QLatin1Char('\n')) + QStringLiteral("\n\n") + body;
}

QString AddAttachmentPaths(const QString& box, const QStringList& paths)
{
    QStringList entries;
    for (const QString& e : box.split(QLatin1Char(';')))
        entries << e.trimmed();
    QString result = box;
    for (const QString& path : paths) {
        if (path.isEmpty() || entries.contains(path))
            continue;
        result = result.isEmpty() ? path : result + QStringLiteral("; ") + path;
        entries << path;
    }
    return result;
}

QString AttachmentsCaption(const QString& box)
{
    QStringList pieces;
    return QStringLiteral("Attachments (%1 files):").arg(KVECode::SplitText(box, QStringLiteral(";"), pieces));
}

} // namespace MailSend
