#include "core/mail_message.hpp"

#include <QStringList>

namespace MailMessage {

namespace {

const QByteArray CrLf("\r\n");

bool isAsciiLetterOrDigit(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// The characters of an atom (RFC 5322 atext).
bool isAtext(char16_t c)
{
    return isAsciiLetterOrDigit(c) || QStringView(u"!#$%&'*+-/=?^_`{|}~").contains(QChar(c));
}

bool isPrintableAscii(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    return true;
}

bool isDotAtom(const QString& text)
{
    if (text.isEmpty() || text.startsWith(QLatin1Char('.')) || text.endsWith(QLatin1Char('.'))
        || text.contains(QLatin1String("..")))
        return false;
    for (const QChar c : text)
        if (c != QLatin1Char('.') && !isAtext(c.unicode()))
            return false;
    return true;
}

bool isHostName(const QString& text)
{
    if (text.startsWith(QLatin1Char('['))) {
        // An address literal: [192.0.2.1] or [IPv6:2001:db8::1].
        if (text.size() < 3 || !text.endsWith(QLatin1Char(']')))
            return false;
        for (const QChar c : QStringView(text).mid(1, text.size() - 2))
            if (!isAsciiLetterOrDigit(c.unicode()) && c != QLatin1Char('.') && c != QLatin1Char(':'))
                return false;
        return true;
    }
    if (text.isEmpty() || text.size() > 255)
        return false;
    for (const QString& label : text.split(QLatin1Char('.'))) {
        if (label.isEmpty() || label.size() > 63 || label.startsWith(QLatin1Char('-'))
            || label.endsWith(QLatin1Char('-')))
            return false;
        for (const QChar c : label)
            if (!isAsciiLetterOrDigit(c.unicode()) && c != QLatin1Char('-'))
                return false;
    }
    return true;
}

// RFC 2047 encoded words ("=?UTF-8?B?...?="), each holding whole characters
// of at most 39 bytes (52 base64 characters, a 64-character word), so that
// a header line with its name stays within 78 characters. Words are
// separated by a folding CR LF and blank, which readers drop between
// encoded words.
QByteArray encodedWords(const QString& text)
{
    QList<QByteArray> chunks;
    QByteArray chunk;
    for (const char32_t cp : text.toUcs4()) {
        const QByteArray bytes = QString::fromUcs4(&cp, 1).toUtf8();
        if (!chunk.isEmpty() && chunk.size() + bytes.size() > 39) {
            chunks << chunk;
            chunk.clear();
        }
        chunk += bytes;
    }
    chunks << chunk;
    QByteArray words;
    for (const QByteArray& c : chunks) {
        if (!words.isEmpty())
            words += "\r\n ";
        words += "=?UTF-8?B?" + c.toBase64() + "?=";
    }
    return words;
}

// A display name: as it stands when it is made of atoms, a quoted string
// when it holds other ASCII (a comma, a point, brackets), encoded words when
// it holds anything beyond ASCII.
QByteArray phrase(const QString& name)
{
    if (!isPrintableAscii(name))
        return encodedWords(name);
    bool atoms = !name.contains(QLatin1String("=?"));
    for (const QChar c : name)
        atoms = atoms && (c == QLatin1Char(' ') || isAtext(c.unicode()));
    if (atoms)
        return name.toLatin1();
    QByteArray quoted("\"");
    for (const QChar c : name) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            quoted += '\\';
        quoted += static_cast<char>(c.unicode());
    }
    return quoted + '"';
}

QByteArray mailbox(const MailAddress& a)
{
    const QString name = HeaderSafeText(a.displayName).trimmed();
    if (name.isEmpty())
        return a.address.toLatin1();
    return phrase(name) + " <" + a.address.toLatin1() + '>';
}

QByteArray subjectHeader(const QString& subject)
{
    const QByteArray name("Subject: ");
    const QString text = HeaderSafeText(subject);
    if (isPrintableAscii(text) && !text.contains(QLatin1String("=?")) && name.size() + text.size() <= 78)
        return name + text.toLatin1();
    return name + encodedWords(text);
}

// The characters a parameter value keeps as they are in RFC 2231's
// percent encoding (attribute-char).
bool isAttributeChar(char c)
{
    return isAsciiLetterOrDigit(static_cast<unsigned char>(c)) || QByteArrayView("!#$&+-.^_`|~").contains(c);
}

// The file-name parameter of an attachment: a quoted string for a short
// plain name, else RFC 2231 percent-encoded UTF-8, cut into numbered
// sections when long. Sections never split a %XX triple.
QByteArray fileNameParameter(const QString& fileName)
{
    bool plain = isPrintableAscii(fileName) && !fileName.isEmpty() && fileName.size() <= 60;
    for (const QChar c : fileName)
        plain = plain && c != QLatin1Char('"') && c != QLatin1Char('\\');
    if (plain)
        return " filename=\"" + fileName.toLatin1() + '"';

    QList<QByteArray> units;
    for (const char c : fileName.toUtf8()) {
        if (isAttributeChar(c))
            units << QByteArray(1, c);
        else
            units << '%' + QByteArray::number(static_cast<unsigned char>(c), 16).toUpper().rightJustified(2, '0');
    }
    QByteArray whole;
    for (const QByteArray& u : units)
        whole += u;
    if (whole.size() <= 50)
        return " filename*=UTF-8''" + whole;
    QList<QByteArray> sections;
    QByteArray section;
    for (const QByteArray& u : units) {
        if (section.size() + u.size() > 50) {
            sections << section;
            section.clear();
        }
        section += u;
    }
    sections << section;
    QByteArray parameter;
    for (int i = 0; i < sections.size(); ++i) {
        if (i > 0)
            parameter += ";\r\n";
        parameter += " filename*" + QByteArray::number(i) + "*=" + (i == 0 ? "UTF-8''" : "") + sections[i];
    }
    return parameter;
}

QByteArray base64Lines(const QByteArray& content)
{
    const QByteArray encoded = content.toBase64();
    QByteArray lines;
    for (qsizetype at = 0; at < encoded.size(); at += 76)
        lines += encoded.mid(at, 76) + CrLf;
    return lines;
}

QByteArray textPartHeaders()
{
    return "Content-Type: text/plain; charset=UTF-8\r\n"
           "Content-Transfer-Encoding: quoted-printable\r\n";
}

QByteArray bodyWithCrLf(const QString& body)
{
    QString text = body;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text.toUtf8();
}

QByteArray messageIdDomain(const MailAddress& from)
{
    const qsizetype at = from.address.lastIndexOf(QLatin1Char('@'));
    return at < 0 ? QByteArray("localhost") : from.address.mid(at + 1).toLatin1();
}

} // namespace

bool IsMailAddress(const QString& text)
{
    const qsizetype at = text.lastIndexOf(QLatin1Char('@'));
    if (at <= 0 || at > 64)
        return false;
    return isDotAtom(text.left(at)) && isHostName(text.mid(at + 1));
}

std::optional<MailAddress> ResolveRecipient(const QString& text, QString& whyNot)
{
    const QString t = text.trimmed();
    if (t.contains(QLatin1Char('\r')) || t.contains(QLatin1Char('\n'))) {
        whyNot = QStringLiteral("The recipient \"%1\" holds a line break; separate recipients with \";\".")
                     .arg(HeaderSafeText(t));
        return std::nullopt;
    }
    MailAddress result;
    const qsizetype open = t.indexOf(QLatin1Char('<'));
    const qsizetype close = t.indexOf(QLatin1Char('>'));
    if (open >= 0) {
        // One "<address>" at the end of the entry.
        if (close != t.size() - 1 || t.indexOf(QLatin1Char('<'), open + 1) >= 0 || close < open)
            result.address.clear();
        else
            result.address = t.mid(open + 1, close - open - 1).trimmed();
        QString name = t.left(open).trimmed();
        if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"'))) {
            name = name.mid(1, name.size() - 2);
            name.replace(QStringLiteral("\\\""), QStringLiteral("\""));
            name.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        }
        result.displayName = name;
    } else if (close < 0) {
        result.address = t;
    }
    if (!IsMailAddress(result.address)) {
        whyNot = QStringLiteral("The recipient \"%1\" is not an e-mail address (name@domain).").arg(t);
        return std::nullopt;
    }
    return result;
}

QString HeaderSafeText(const QString& text)
{
    QString safe = text;
    safe.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar& c : safe)
        if ((c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return safe;
}

QByteArray EncodeQuotedPrintable(const QByteArray& text)
{
    static const char hex[] = "0123456789ABCDEF";
    const auto crlfAt = [&text](qsizetype i) {
        return i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n';
    };
    QByteArray out;
    int used = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (crlfAt(i)) {
            out += CrLf;
            used = 0;
            ++i;
            continue;
        }
        // A lone CR or LF is data and is encoded like any other control byte.
        const auto b = static_cast<unsigned char>(text[i]);
        const bool lineEnd = i + 1 == text.size() || crlfAt(i + 1);
        QByteArray unit;
        if ((b >= 33 && b <= 126 && b != '=') || ((b == ' ' || b == '\t') && !lineEnd))
            unit = QByteArray(1, static_cast<char>(b));
        else
            unit = QByteArray("=") + hex[b >> 4] + hex[b & 15];
        // Soft break: an encoded line holds at most 75 characters and "=".
        if (used + unit.size() > 75) {
            out += "=\r\n";
            used = 0;
        }
        out += unit;
        used += static_cast<int>(unit.size());
    }
    return out;
}

QByteArray BuildMessage(const MailContent& content)
{
    QByteArray m;
    if (!content.from.address.isEmpty())
        m += "From: " + mailbox(content.from) + CrLf;
    if (!content.to.isEmpty()) {
        QByteArray to("To: ");
        for (qsizetype i = 0; i < content.to.size(); ++i)
            to += (i > 0 ? ",\r\n " : "") + mailbox(content.to[i]);
        m += to + CrLf;
    }
    m += subjectHeader(content.subject) + CrLf;
    if (content.date.isValid())
        m += "Date: " + content.date.toString(Qt::RFC2822Date).toLatin1() + CrLf;
    m += "Message-ID: <" + content.uniqueId.toLatin1() + '@' + messageIdDomain(content.from) + '>' + CrLf;
    m += "MIME-Version: 1.0\r\n";

    const QByteArray text = EncodeQuotedPrintable(bodyWithCrLf(content.body));
    if (content.attachments.isEmpty())
        return m + textPartHeaders() + CrLf + text;

    // "=_" never occurs in quoted-printable or base64 text, so the
    // boundary cannot occur inside a part.
    const QByteArray boundary = "=_KVE_" + content.uniqueId.toLatin1();
    m += "Content-Type: multipart/mixed;\r\n boundary=\"" + boundary + "\"\r\n" + CrLf;
    m += "--" + boundary + CrLf + textPartHeaders() + CrLf + text;
    for (const MailAttachment& a : content.attachments) {
        // The line break before a boundary belongs to the boundary.
        m += "\r\n--" + boundary + CrLf;
        m += "Content-Type: application/octet-stream\r\n";
        m += "Content-Disposition: attachment;\r\n" + fileNameParameter(a.fileName) + CrLf;
        m += "Content-Transfer-Encoding: base64\r\n" + CrLf;
        m += base64Lines(a.content);
    }
    return m + "\r\n--" + boundary + "--\r\n";
}

} // namespace MailMessage
