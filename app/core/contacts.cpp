#include "core/contacts.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>

#include "core/dataset_file.hpp"
#include "core/kve_code.hpp"
#include "core/whole_file.hpp"

#include <algorithm>

namespace Contacts {

namespace {

// The address between "<" and ">" of an entry; empty when it has none.
QString angleAddress(const QString& entry)
{
    const qsizetype open = entry.lastIndexOf(QLatin1Char('<'));
    if (open < 0)
        return QString();
    const qsizetype close = entry.indexOf(QLatin1Char('>'), open);
    return close < 0 ? QString() : entry.mid(open + 1, close - open - 1).trimmed();
}

QString folded(const QString& text)
{
    return text.trimmed().toCaseFolded();
}

QString writeWhole(const QString& path, const QByteArray& bytes)
{
    const QString why = writeWholeFile(path, bytes);
    return why.isEmpty() ? why : QStringLiteral("%1: %2").arg(path, why);
}

QByteArray linesWithCrLf(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        if (!KVECode::HoldsControlCharacter(line))
            bytes += line.toUtf8() + "\r\n";
    return bytes;
}

// Adds a contact read from an import file, or counts it as refused.
void take(ImportResult& result, const ImportedContact& contact)
{
    if (KVECode::HoldsControlCharacter(contact.lastName) || KVECode::HoldsControlCharacter(contact.firstName)
        || KVECode::HoldsControlCharacter(contact.email))
        ++result.refused;
    else
        result.contacts << contact;
}

// ---- vCard ----

// A value's escapes: "\n" and "\N" a line break, "\," "\;" "\:" "\\" the
// character itself.
QString unescapeVCard(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar next = value[++i];
            out += (next == QLatin1Char('n') || next == QLatin1Char('N')) ? QChar(QLatin1Char('\n')) : next;
        } else {
            out += value[i];
        }
    }
    return out;
}

// The components of a structured value, split at ";" that is not escaped.
QStringList vCardComponents(const QString& value)
{
    QStringList parts{QString()};
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
            parts.last() += value[i];
            parts.last() += value[++i];
        } else if (value[i] == QLatin1Char(';')) {
            parts << QString();
        } else {
            parts.last() += value[i];
        }
    }
    for (QString& p : parts)
        p = unescapeVCard(p);
    return parts;
}

QByteArray decodeQuotedPrintable(const QByteArray& text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out += text[i];
            continue;
        }
        bool ok = false;
        const int byte = text.mid(i + 1, 2).toInt(&ok, 16);
        if (ok && i + 2 < text.size()) {
            out += static_cast<char>(byte);
            i += 2;
        }
    }
    return out;
}

struct VCardProperty {
    QString name;                        // upper case, without group
    QString value;                       // decoded, still escaped
};

VCardProperty parseProperty(const QString& line, bool& quotedPrintable)
{
    // The value starts after the first ":" outside double quotes.
    qsizetype colon = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size() && colon < 0; ++i) {
        if (line[i] == QLatin1Char('"'))
            quoted = !quoted;
        else if (line[i] == QLatin1Char(':') && !quoted)
            colon = i;
    }
    VCardProperty p;
    if (colon < 0)
        return p;
    const QStringList head = line.left(colon).split(QLatin1Char(';'));
    p.name = head.first().section(QLatin1Char('.'), -1).trimmed().toUpper();
    QString charset = QStringLiteral("UTF-8");
    quotedPrintable = false;
    for (qsizetype i = 1; i < head.size(); ++i) {
        const QString param = head[i].trimmed().toUpper();
        if (param == QLatin1String("QUOTED-PRINTABLE") || param == QLatin1String("ENCODING=QUOTED-PRINTABLE"))
            quotedPrintable = true;
        else if (param.startsWith(QLatin1String("CHARSET=")))
            charset = head[i].trimmed().mid(8);
    }
    p.value = line.mid(colon + 1);
    if (quotedPrintable) {
        QStringDecoder named(charset.toLatin1().constData());
        QStringDecoder utf8(QStringDecoder::Utf8);
        QStringDecoder& decoder = named.isValid() ? named : utf8;
        p.value = decoder(decodeQuotedPrintable(p.value.toLatin1()));
    }
    return p;
}

// The logical lines of a vCard file: folded lines (a line break followed
// by a blank or tab) joined, and quoted-printable values continued after a
// line that ends in "=".
QStringList logicalLines(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines;
    for (const QString& raw : t.split(QLatin1Char('\n'))) {
        if (!lines.isEmpty() && (raw.startsWith(QLatin1Char(' ')) || raw.startsWith(QLatin1Char('\t')))) {
            lines.last() += raw.mid(1);
            continue;
        }
        if (!lines.isEmpty() && lines.last().endsWith(QLatin1Char('='))
            && lines.last().section(QLatin1Char(':'), 0, 0).toUpper().contains(QLatin1String("QUOTED-PRINTABLE"))) {
            lines.last().chop(1);
            lines.last() += raw;
            continue;
        }
        lines << raw;
    }
    return lines;
}

// ---- CSV ----

QList<QStringList> csvRecords(const QString& text, QChar delimiter)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"'))
                    field += text[++i];
                else
                    quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            any = true;
        } else if (c == delimiter) {
            record << field;
            field.clear();
            any = true;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            if (any || !field.isEmpty()) {
                record << field;
                records << record;
            }
            record.clear();
            field.clear();
            any = false;
        } else {
            field += c;
        }
    }
    if (any || !field.isEmpty()) {
        record << field;
        records << record;
    }
    return records;
}

QChar csvDelimiter(const QString& text)
{
    const QString firstLine = text.section(QLatin1Char('\n'), 0, 0);
    QChar best = QLatin1Char(',');
    qsizetype most = 0;
    for (const QChar d : {QChar(QLatin1Char(',')), QChar(QLatin1Char(';')), QChar(QLatin1Char('\t'))}) {
        qsizetype count = 0;
        bool quoted = false;
        for (const QChar c : firstLine) {
            if (c == QLatin1Char('"'))
                quoted = !quoted;
            else if (c == d && !quoted)
                ++count;
        }
        if (count > most) {
            most = count;
            best = d;
        }
    }
    return best;
}

// A heading reduced to lower-case letters and digits: "E-mail 1 - Value"
// gives "email1value".
QString headingKey(const QString& heading)
{
    QString key;
    for (const QChar c : heading.toLower())
        if (c.isLetterOrNumber())
            key += c;
    return key;
}

qsizetype findColumn(const QStringList& keys, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        const qsizetype at = keys.indexOf(QLatin1String(name));
        if (at >= 0)
            return at;
    }
    return -1;
}

} // namespace

QString FilePath(const QString& documentsFolder)
{
    if (documentsFolder.isEmpty())
        return QString();
    return documentsFolder + QStringLiteral("/KVE Files/Contacts.DAT");
}

ReadResult Read(const QString& path)
{
    ReadResult result;
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return result;
    }
    EntryIndex index;
    // Line by line: entries appended by this program (UTF-8) may follow
    // lines of an older file in Windows-1252.
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QString entry = DatasetFile::decodeText(line);
        if (entry.trimmed().isEmpty())
            continue;
        if (KVECode::HoldsControlCharacter(entry)) {
            result.unreadable << UnreadableLine{line, result.entries.size()};
            continue;
        }
        if (index.repeats(entry)) {
            ++result.duplicates;
            continue;
        }
        result.entries << entry;
        index.add(entry);
    }
    return result;
}

EntryIndex::EntryIndex(const QStringList& entries)
{
    for (const QString& e : entries)
        add(e);
}

void EntryIndex::add(const QString& entry)
{
    m_entries.insert(folded(entry));
    const QString address = angleAddress(entry);
    if (!address.isEmpty())
        m_addresses.insert(folded(address));
}

bool EntryIndex::repeats(const QString& line) const
{
    const QString key = folded(line);
    return m_entries.contains(key) || (!line.contains(QLatin1Char('<')) && m_addresses.contains(key));
}

bool EntryIndex::holdsImport(const QString& entry, const QString& email) const
{
    return m_entries.contains(folded(entry)) || m_entries.contains(folded(email));
}

QString Append(const QString& path, const QStringList& lines)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return QStringLiteral("%1: the folder could not be created").arg(info.absolutePath());
    QByteArray bytes;
    if (info.exists()) {
        QFile old(path);
        if (!old.open(QIODevice::ReadOnly))
            return QStringLiteral("%1: %2").arg(path, old.errorString());
        bytes = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return QStringLiteral("%1: %2").arg(path, old.errorString());
        // A last line without its line break gets one, so the first new
        // entry starts a line of its own.
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes += "\r\n";
    }
    return writeWhole(path, bytes + linesWithCrLf(lines));
}

QString Write(const QString& path, const QStringList& entries, const ReadResult& read)
{
    // Where each entry of the file now stands in the list; -1 when removed.
    QHash<QString, qsizetype> position;
    for (qsizetype i = entries.size() - 1; i >= 0; --i)
        position.insert(entries[i], i);
    // kept[i + 1]: the unreadable lines written after entry i (kept[0]: at the start).
    QList<QByteArray> kept(entries.size() + 1);
    qsizetype anchor = -1;
    qsizetype scanned = 0;
    for (const UnreadableLine& line : read.unreadable) {
        for (; scanned < line.after && scanned < read.entries.size(); ++scanned)
            anchor = std::max(anchor, position.value(read.entries[scanned], -1));
        kept[anchor + 1] += line.bytes + "\r\n";
    }
    QByteArray bytes = kept[0];
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!KVECode::HoldsControlCharacter(entries[i]))
            bytes += entries[i].toUtf8() + "\r\n";
        bytes += kept[i + 1];
    }
    return writeWhole(path, bytes);
}

QString CountCaption(qsizetype count)
{
    return count == 0 ? QStringLiteral("No contacts") : QString::number(count) + QStringLiteral(" contacts");
}

QString UnreadableCaption(qsizetype lines)
{
    if (lines == 0)
        return QString();
    if (lines == 1)
        return QStringLiteral("1 line of the contacts file could not be read (it holds a tab or another control "
                              "character); it is kept in the file as it stands.");
    return QStringLiteral("%1 lines of the contacts file could not be read (each holds a tab or another control "
                          "character); they are kept in the file as they stand.")
        .arg(lines);
}

ImportResult ReadImportFile(const QString& path)
{
    ImportResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return result;
    }
    const QString text = DatasetFile::decodeText(file.readAll());
    if (file.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return result;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool vcard = suffix == QLatin1String("vcf") || suffix == QLatin1String("vcard")
                       || text.trimmed().startsWith(QLatin1String("BEGIN:VCARD"), Qt::CaseInsensitive);
    return vcard ? ParseVCard(text) : ParseCsv(text);
}

ImportResult ParseVCard(const QString& text)
{
    ImportResult result;
    bool inCard = false;
    bool anyCard = false;
    QStringList name;
    QString fullName;
    QString email;
    bool emailSeen = false;
    for (const QString& line : logicalLines(text)) {
        bool quotedPrintable = false;
        const VCardProperty p = parseProperty(line, quotedPrintable);
        const QString value = p.value.trimmed();
        if (p.name == QLatin1String("BEGIN") && value.compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0) {
            inCard = true;
            anyCard = true;
            name.clear();
            fullName.clear();
            email.clear();
            emailSeen = false;
        } else if (!inCard) {
            continue;
        } else if (p.name == QLatin1String("END")) {
            ImportedContact c;
            c.lastName = name.value(0).trimmed();
            c.firstName = name.value(1).trimmed();
            if (c.lastName.isEmpty() && c.firstName.isEmpty())
                c.lastName = fullName.trimmed();
            c.email = email;
            take(result, c);
            inCard = false;
        } else if (p.name == QLatin1String("N")) {
            name = vCardComponents(p.value);
        } else if (p.name == QLatin1String("FN")) {
            fullName = unescapeVCard(p.value);
        } else if (p.name == QLatin1String("EMAIL") && !emailSeen) {
            email = unescapeVCard(value).trimmed();
            emailSeen = true;
        }
    }
    if (!anyCard)
        result.error = QStringLiteral("The file holds no vCard (no line BEGIN:VCARD).");
    return result;
}

ImportResult ParseCsv(const QString& text)
{
    ImportResult result;
    const QList<QStringList> records = csvRecords(text, csvDelimiter(text));
    if (records.isEmpty()) {
        result.error = QStringLiteral("The file is empty.");
        return result;
    }
    QStringList keys;
    for (const QString& heading : records.first())
        keys << headingKey(heading);
    const qsizetype last = findColumn(keys, {"lastname", "familyname", "surname", "last"});
    const qsizetype first = findColumn(keys, {"firstname", "givenname", "first"});
    const qsizetype name = findColumn(keys, {"displayname", "name", "fullname"});
    qsizetype mail = -1;
    for (qsizetype i = 0; i < keys.size() && mail < 0; ++i) {
        const QString& k = keys[i];
        if ((k.startsWith(QLatin1String("email")) || k.startsWith(QLatin1String("primaryemail")))
            && !k.contains(QLatin1String("type")) && !k.contains(QLatin1String("label")))
            mail = i;
    }
    if (mail < 0) {
        result.error = QStringLiteral("The file has no e-mail column (a heading such as \"E-mail Address\").");
        return result;
    }
    for (qsizetype r = 1; r < records.size(); ++r) {
        const QStringList& fields = records[r];
        ImportedContact c;
        c.lastName = last >= 0 ? fields.value(last).trimmed() : QString();
        c.firstName = first >= 0 ? fields.value(first).trimmed() : QString();
        if (c.lastName.isEmpty() && c.firstName.isEmpty() && name >= 0)
            c.lastName = fields.value(name).trimmed();
        c.email = fields.value(mail).trimmed();
        take(result, c);
    }
    return result;
}

QString Entry(const ImportedContact& contact)
{
    return contact.lastName + QStringLiteral(", ") + contact.firstName + QStringLiteral(" <") + contact.email
           + QLatin1Char('>');
}

QString ImportProgress(qint64 i, qint64 n)
{
    if (n <= 0)
        return QStringLiteral(".%");
    // Tenths of a percent, rounded half up, in whole numbers: 1000 i / n.
    const qint64 tenths = (2000 * i + n) / (2 * n);
    const qint64 whole = tenths / 10;
    const qint64 tenth = tenths % 10;
    return (whole > 0 ? QString::number(whole) : QString()) + QLatin1Char('.')
           + (tenth != 0 ? QString::number(tenth) : QString()) + QLatin1Char('%');
}

} // namespace Contacts
