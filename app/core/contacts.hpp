#pragma once
// The contacts list of the mail window and its file "Contacts.DAT" in the
// work folder: one entry per line, each ended by CR LF, read as UTF-8 or,
// line by line, Windows-1252. An entry is free text, usually a bare address
// or "Last, First <address>".
//
// Also the import of contacts from a vCard (.vcf) or CSV file, whose
// contacts become "Last, First <address>" entries.

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace Contacts {

// DocumentsFolder + "/KVE Files/Contacts.DAT"; empty when there is no
// documents folder.
QString FilePath(const QString& documentsFolder);

// A line of the file that is no entry: it holds a control character
// (KVECode::HoldsControlCharacter), such as a tab or a lone CR. It is kept
// as it stands, so that rewriting the file does not lose it.
struct UnreadableLine {
    QByteArray bytes;                    // the line without its line break
    qsizetype after = 0;                 // how many entries of the list precede it in the file
};

struct ReadResult {
    QStringList entries;                 // in file order, without duplicates and blank lines
    int duplicates = 0;                  // lines dropped as duplicates (one beep each)
    QList<UnreadableLine> unreadable;    // in file order; no entry holds a control character
    QString error;                       // the file exists but could not be read
};

// Reads the contacts file; a missing file gives an empty list and no error.
ReadResult Read(const QString& path);

// The entries of a list, for the duplicate tests of the load and the
// import. Texts compare ignoring case and surrounding blanks.
class EntryIndex {
public:
    EntryIndex() = default;
    explicit EntryIndex(const QStringList& entries);
    void add(const QString& entry);
    // True when `line` repeats an entry: the same text, or a bare address
    // (no "<") that equals the "<address>" of an entry. An entry with a name
    // after the bare address is not a repetition of it.
    bool repeats(const QString& line) const;
    // True when an entry equals the imported entry or its bare address.
    bool holdsImport(const QString& entry, const QString& email) const;

private:
    QSet<QString> m_entries;
    QSet<QString> m_addresses;           // the "<address>" parts
};

// Adds `lines` at the end of the file in one write (each followed by CR LF),
// creating the file and its folder when missing. The file is replaced as a
// whole: on failure the old file stays as it was. Returns the error text,
// empty on success. A line holding a control character is left out.
QString Append(const QString& path, const QStringList& lines);

// Writes `entries` as the whole file; on failure the old file stays.
// Returns the error text, empty on success. An entry holding a control
// character is left out. The unreadable lines of `read` (the file as it
// was read) are written back unchanged and in their order, each after the
// entry it followed in the file, or after the nearest entry before that
// one that is still in `entries`; at the start when there is none.
QString Write(const QString& path, const QStringList& entries, const ReadResult& read = {});

// "No contacts", or the count followed by " contacts".
QString CountCaption(qsizetype count);
// What the contacts window says about lines it could not read; empty when
// there are none.
QString UnreadableCaption(qsizetype lines);

// ---- import -----------------------------------------------------------

struct ImportedContact {
    QString lastName;
    QString firstName;
    QString email;                       // the contact's first address; may be empty
};

struct ImportResult {
    QList<ImportedContact> contacts;     // in file order
    int refused = 0;                     // contacts left out: a name or the address holds a
                                         // control character (escapes decoded)
    QString error;                       // the file could not be read or understood
};

// A vCard file (by its .vcf or .vcard suffix, or by its first line
// BEGIN:VCARD), else a CSV file with a heading line.
ImportResult ReadImportFile(const QString& path);
// vCard 2.1, 3.0 and 4.0: folded lines, escapes, quoted-printable values;
// N gives the last and first names (FN, as last name, when N is empty) and
// the first EMAIL the address.
ImportResult ParseVCard(const QString& text);
// CSV as address books export it: quoted fields (with "" and line breaks),
// separated by commas, semicolons or tabs, whichever the heading line uses
// most. Columns are found by their heading: "Last Name" / "Family Name" /
// "Surname", "First Name" / "Given Name", and the first e-mail column
// ("E-mail Address", "Email", "E-mail 1 - Value", "Primary Email", ...).
ImportResult ParseCsv(const QString& text);

// "Last, First <address>".
QString Entry(const ImportedContact& contact);
// The import's progress, i of n, with the pattern "##.#%": the percentage
// rounded to tenths, no leading zero, the point always, the tenths digit
// only when it is not zero ("12.5%", "50.%", ".5%").
QString ImportProgress(qint64 i, qint64 n);

} // namespace Contacts
