// The contacts file: reading without duplicates, appending and rewriting
// atomically, and the import of vCard and CSV files.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include "core/contacts.hpp"
#include "support/test_files.hpp"

namespace {

// For its lifetime no file may grow beyond a few bytes: writes fail as on
// a full disk, also for root. The signal the limit sends is ignored so that
// the write reports the failure.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

std::string describe(const QList<Contacts::ImportedContact>& contacts)
{
    std::string text;
    for (const Contacts::ImportedContact& c : contacts)
        text += (Contacts::Entry(c) + QStringLiteral(" | ")).toStdString();
    return text;
}

} // namespace

TEST(ContactsFile, ReadingDropsDuplicatesAndBlankLines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Contacts.DAT"));
    struct Case {
        const char* label;
        QByteArray file;
        QStringList entries;
        int duplicates;
    };
    const Case cases[] = {
        {"a bare address after its entry, in either case", "Smith, Ann <ann@x.org>\r\nann@x.org\r\nANN@X.ORG\r\n\r\n",
         {"Smith, Ann <ann@x.org>"}, 2},
        // Only equal addresses count: ann@x.org is not a part of joann@x.org.
        {"an address inside another", "joann@x.org\r\nann@x.org\r\nSmith, Jo <jo@x.org>\r\nj@x.org\r\n",
         {"joann@x.org", "ann@x.org", "Smith, Jo <jo@x.org>", "j@x.org"}, 0},
        {"an entry after its bare address stays", "ann@x.org\nSmith, Ann <ann@x.org>\n",
         {"ann@x.org", "Smith, Ann <ann@x.org>"}, 0},
        {"the same entry twice, blanks around", "Smith, Ann <ann@x.org>\r\n Smith, Ann <ANN@x.org> \r\n",
         {"Smith, Ann <ann@x.org>"}, 1},
        {"blank lines are nothing", "  \r\n\t\r\n\r\n", {}, 0},
        {"a last line without line break", "a@x.org\r\nb@x.org", {"a@x.org", "b@x.org"}, 0},
        // An old line in Windows-1252 and the same entry appended in UTF-8.
        {"Windows-1252 and UTF-8 lines", "M\xFCller, J\xF6rg <j@x.org>\r\nM\xC3\xBCller, J\xC3\xB6rg <j@x.org>\r\n",
         {QString::fromUtf8("Müller, Jörg <j@x.org>")}, 1},
    };
    for (const Case& c : cases) {
        writeBytes(path, c.file);
        const Contacts::ReadResult read = Contacts::Read(path);
        EXPECT_TRUE(read.error.isEmpty()) << c.label;
        EXPECT_EQ(read.entries, c.entries) << c.label;
        EXPECT_EQ(read.duplicates, c.duplicates) << c.label;
    }
    EXPECT_EQ(Contacts::CountCaption(Contacts::Read(path).entries.size()), QStringLiteral("1 contacts"));
    EXPECT_EQ(Contacts::CountCaption(0), QStringLiteral("No contacts"));

    const Contacts::ReadResult none = Contacts::Read(dir.filePath(QStringLiteral("missing.DAT")));
    EXPECT_TRUE(none.entries.isEmpty());
    EXPECT_TRUE(none.error.isEmpty());
    EXPECT_EQ(Contacts::FilePath(QString()), QString()) << "no documents folder is not the root";
}

TEST(ContactsFile, AppendingAndRewritingKeepTheOldFileOnFailure)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("KVE Files/Contacts.DAT"));

    // Created with its folder when missing; one CR LF after every entry.
    EXPECT_EQ(Contacts::Append(path, {QStringLiteral("ann@x.org"), QString::fromUtf8("Jörg <j@x.org>")}), QString());
    EXPECT_EQ(readBytes(path), QByteArray("ann@x.org\r\nJ\xC3\xB6rg <j@x.org>\r\n"));

    // The old bytes stay as they are; a last line without break gets one.
    writeBytes(path, "M\xFCller <m@x.org>");
    EXPECT_EQ(Contacts::Append(path, {QStringLiteral("bob@y.org")}), QString());
    EXPECT_EQ(readBytes(path), QByteArray("M\xFCller <m@x.org>\r\nbob@y.org\r\n"));

    EXPECT_EQ(Contacts::Write(path, {QStringLiteral("b@y.org"), QStringLiteral("a@x.org")}), QString());
    EXPECT_EQ(readBytes(path), QByteArray("b@y.org\r\na@x.org\r\n"));

    // A write that fails half-way leaves the previous file whole.
    const QByteArray before = readBytes(path);
    QStringList many;
    for (int i = 0; i < 200; ++i)
        many << QStringLiteral("person%1@x.org").arg(i);
    {
        FileSizeLimit limit(64);
        EXPECT_FALSE(Contacts::Write(path, many).isEmpty());
        EXPECT_FALSE(Contacts::Append(path, many).isEmpty());
    }
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("KVE Files"))).entryList(QDir::Files),
              QStringList{QStringLiteral("Contacts.DAT")})
        << "no temporary file is left behind";
}

TEST(ContactsImport, VCardFilesOfTheThreeVersions)
{
    const QByteArray vcf =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;Ann;;;\r\nFN:Ann Smith\r\n"
        "EMAIL;TYPE=INTERNET,PREF:ann@x.org\r\nEMAIL;TYPE=INTERNET:ann.smith@work.example\r\nEND:VCARD\r\n"
        // 2.1 with a quoted-printable name continued after a soft break
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=\r\n=C3=B6rg\r\n"
        "EMAIL;INTERNET:j@x.org\r\nEND:VCARD\r\n"
        // 4.0 in lower case, a grouped property, no N
        "begin:vcard\nversion:4.0\nfn:Lab Office\nitem1.EMAIL;type=work:office@lab.example\nend:vcard\n"
        // escaped separators
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:O\\,Brien;Pat\\;rick;;;\r\nEMAIL:pat@x.org\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Nomail;Nina;;;\r\nEND:VCARD\r\n"
        // a folded line
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Long;Folded\r\nEMAIL:fol\r\n ded@x.org\r\nEND:VCARD\r\n";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("export.vcf"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(vcf);
    }
    const Contacts::ImportResult imported = Contacts::ReadImportFile(path);
    ASSERT_TRUE(imported.error.isEmpty()) << imported.error.toStdString();
    QStringList entries;
    for (const Contacts::ImportedContact& c : imported.contacts)
        entries << Contacts::Entry(c);
    EXPECT_EQ(entries, (QStringList{
                           QStringLiteral("Smith, Ann <ann@x.org>"),
                           QString::fromUtf8("Müller, Jörg <j@x.org>"),
                           QStringLiteral("Lab Office,  <office@lab.example>"),
                           QStringLiteral("O,Brien, Pat;rick <pat@x.org>"),
                           QStringLiteral("Nomail, Nina <>"),
                           QStringLiteral("Long, Folded <folded@x.org>"),
                       }))
        << describe(imported.contacts);
    EXPECT_TRUE(imported.contacts[4].email.isEmpty());

    EXPECT_FALSE(Contacts::ParseVCard(QStringLiteral("Name,E-mail\nAnn,ann@x.org\n")).error.isEmpty());
    EXPECT_FALSE(Contacts::ReadImportFile(dir.filePath(QStringLiteral("missing.vcf"))).error.isEmpty());
}

TEST(ContactsImport, CsvFilesAsAddressBooksExportThem)
{
    struct Case {
        const char* label;
        QString text;
        QStringList entries;
    };
    const Case cases[] = {
        // A name with a line break is refused (an entry is one line).
        {"quoted fields with commas, quotes and a line break",
         QStringLiteral("\"First Name\",\"Middle Name\",\"Last Name\",\"E-mail Address\",\"E-mail 2 Address\"\r\n"
                        "\"Ann\",\"\",\"Smith\",\"ann@x.org\",\"other@x.org\"\r\n"
                        "\"Bob \"\"Bobby\"\"\",\"\",\"Jones, Jr.\",\" bob@y.org \",\"\"\r\n"
                        "\"Multi\r\nLine\",\"\",\"Name\",\"ml@x.org\",\"\"\r\n"
                        "\"NoMail\",\"\",\"Person\",\"\",\"\"\r\n"),
         {"Smith, Ann <ann@x.org>", "Jones, Jr., Bob \"Bobby\" <bob@y.org>", "Person, NoMail <>"}},
        {"semicolons, the type column before the address",
         QStringLiteral("Given Name;Family Name;E-mail 1 - Type;E-mail 1 - Value\n"
                        "Ann;Smith;* Home;ann@x.org\n\n"),
         {"Smith, Ann <ann@x.org>"}},
        {"a display name only",
         QStringLiteral("Display Name\tPrimary Email\nLab Office\toffice@lab.example\n"),
         {"Lab Office,  <office@lab.example>"}},
    };
    for (const Case& c : cases) {
        const Contacts::ImportResult imported = Contacts::ParseCsv(c.text);
        ASSERT_TRUE(imported.error.isEmpty()) << c.label << ": " << imported.error.toStdString();
        QStringList entries;
        for (const Contacts::ImportedContact& contact : imported.contacts)
            entries << Contacts::Entry(contact);
        EXPECT_EQ(entries, c.entries) << c.label << ": " << describe(imported.contacts);
    }
    EXPECT_TRUE(Contacts::ParseCsv(QStringLiteral("Name,Phone\nAnn,123\n")).error.contains(QLatin1String("e-mail")));
    EXPECT_FALSE(Contacts::ParseCsv(QString()).error.isEmpty());
}

TEST(ContactsImport, NamesAndAddressesWithControlCharactersAreRefused)
{
    // The escapes are decoded first; whatever still holds a line break or
    // another control character is counted and left out.
    struct Case {
        const char* label;
        QByteArray vcard;          // the lines between BEGIN and END
        bool refused;
    };
    const Case cases[] = {
        {"plain", "N:Smith;Ann\r\nEMAIL:ann@x.org\r\n", false},
        {"escaped line break in the address", "N:Smith;Ann\r\nEMAIL:ann@x.org\\nBcc: b@y.org\r\n", true},
        {"escaped line break in the name", "N:Smi\\Nth;Ann\r\nEMAIL:ann@x.org\r\n", true},
        {"quoted-printable CR LF in the name", "N;ENCODING=QUOTED-PRINTABLE:Smi=0D=0Ath;Ann\r\nEMAIL:ann@x.org\r\n", true},
        {"a tab in the full name", "FN:Ann\tSmith\r\nEMAIL:ann@x.org\r\n", true},
        {"a line separator in the name", "N:Smi\xE2\x80\xA8th;Ann\r\nEMAIL:ann@x.org\r\n", true},
        {"escaped separators only", "N:O\\,Brien\\;x;Pat\r\nEMAIL:pat@x.org\r\n", false},
    };
    for (const Case& c : cases) {
        const Contacts::ImportResult imported =
            Contacts::ParseVCard(QString::fromUtf8("BEGIN:VCARD\r\nVERSION:3.0\r\n" + c.vcard + "END:VCARD\r\n"));
        EXPECT_TRUE(imported.error.isEmpty()) << c.label;
        EXPECT_EQ(imported.refused, c.refused ? 1 : 0) << c.label;
        EXPECT_EQ(imported.contacts.size(), c.refused ? 0 : 1) << c.label;
    }
    const Contacts::ImportResult csv = Contacts::ParseCsv(
        QStringLiteral("Name,Email\r\nAnn,ann@x.org\r\n\"Bob\",\"bob@y.org\r\nCc: c@z.org\"\r\n\"Eve\x01\",eve@x.org\r\n"));
    EXPECT_EQ(describe(csv.contacts), "Ann,  <ann@x.org> | ");
    EXPECT_EQ(csv.refused, 2);
}

TEST(ContactsFile, UnreadableLinesAreKeptWhereTheyStood)
{
    // A line holding a tab, a lone CR or another control character is no
    // entry; a rewrite puts it back unchanged after the entry it followed,
    // or after the nearest earlier entry still listed.
    struct Case {
        const char* label;
        QByteArray file;
        QStringList listed;        // what the window lists after the read
        int unreadable;
        QStringList written;       // the list as "Return" writes it
        QByteArray expected;
    };
    const QByteArray sample = "ann@x.org\r\nbad\rline@x.org\r\ntab\there@x.org\r\nbob@y.org\r\nnul\x01@x.org\r\n";
    const Case cases[] = {
        {"written back as read: byte for byte", sample, {"ann@x.org", "bob@y.org"}, 3, {"ann@x.org", "bob@y.org"}, sample},
        {"the entry before them removed", sample, {"ann@x.org", "bob@y.org"}, 3, {"bob@y.org"},
         "bad\rline@x.org\r\ntab\there@x.org\r\nbob@y.org\r\nnul\x01@x.org\r\n"},
        {"every entry removed, one imported", sample, {"ann@x.org", "bob@y.org"}, 3, {"Lab <lab@z.org>"},
         "bad\rline@x.org\r\ntab\there@x.org\r\nnul\x01@x.org\r\nLab <lab@z.org>\r\n"},
        {"an import goes after the last line", sample, {"ann@x.org", "bob@y.org"}, 3,
         {"ann@x.org", "bob@y.org", "Lab <lab@z.org>"}, sample + "Lab <lab@z.org>\r\n"},
        // Windows-1252 bytes are not recoded; a dropped duplicate and blank
        // lines go as they did before.
        {"first line, old encoding, after a duplicate",
         "M\xFC\tller <m@x.org>\nann@x.org\nANN@x.org\n\nx\x7F@x.org\n\n", {"ann@x.org"}, 2, {"ann@x.org"},
         "M\xFC\tller <m@x.org>\r\nann@x.org\r\nx\x7F@x.org\r\n"},
        {"a line separator inside", "a@x.org\r\nb\xE2\x80\xA8@x.org\r\n", {"a@x.org"}, 1, {},
         "b\xE2\x80\xA8@x.org\r\n"},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Contacts.DAT"));
    for (const Case& c : cases) {
        writeBytes(path, c.file);
        const Contacts::ReadResult read = Contacts::Read(path);
        EXPECT_EQ(read.entries, c.listed) << c.label;
        EXPECT_EQ(read.unreadable.size(), c.unreadable) << c.label;
        EXPECT_EQ(Contacts::Write(path, c.written, read), QString()) << c.label;
        EXPECT_EQ(readBytes(path), c.expected) << c.label;
    }

    // No entry is ever written with a control character inside: it would
    // break the file's lines.
    const QStringList entries{QStringLiteral("ann@x.org"), QStringLiteral("Smith, Ann <a\nb@x.org>"),
                              QStringLiteral("c\r@x.org"), QStringLiteral("bob@y.org")};
    EXPECT_EQ(Contacts::Write(path, entries), QString());
    EXPECT_EQ(readBytes(path), QByteArray("ann@x.org\r\nbob@y.org\r\n"));
    EXPECT_EQ(Contacts::Append(path, entries), QString());
    EXPECT_EQ(readBytes(path), QByteArray("ann@x.org\r\nbob@y.org\r\nann@x.org\r\nbob@y.org\r\n"));

    EXPECT_EQ(Contacts::UnreadableCaption(0), QString());
    EXPECT_TRUE(Contacts::UnreadableCaption(1).startsWith(QLatin1String("1 line of the contacts file could not be read")));
    EXPECT_TRUE(Contacts::UnreadableCaption(3).startsWith(QLatin1String("3 lines of the contacts file could not be read")));
}

TEST(ContactsImport, DuplicatesAndProgress)
{
    // Equality only, ignoring case: the entry itself or its bare address.
    const Contacts::EntryIndex index({QStringLiteral("ann@x.org"), QStringLiteral("Smith, Bob <bob@y.org>")});
    EXPECT_TRUE(index.holdsImport(QStringLiteral("Doe, Ann <ann@x.org>"), QStringLiteral("ANN@x.org")));
    EXPECT_TRUE(index.holdsImport(QStringLiteral("smith, bob <BOB@y.org>"), QStringLiteral("BOB@y.org")));
    EXPECT_FALSE(index.holdsImport(QStringLiteral("Smith, Robert <bob@y.org>"), QStringLiteral("bob@y.org")));

    // The pattern "##.#%": tenths rounded half up, no leading zero, the
    // point always, the tenths digit only when it is not zero.
    struct Case {
        qint64 i;
        qint64 n;
        const char* text;
    };
    const Case cases[] = {
        {1, 8, "12.5%"}, {1, 2, "50.%"},  {1, 200, ".5%"},  {8, 8, "100.%"},  {1, 3, "33.3%"},
        {2, 3, "66.7%"}, {1, 16, "6.3%"}, {1, 3000, ".%"},  {1, 1999, ".1%"}, {1999, 2000, "100.%"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Contacts::ImportProgress(c.i, c.n), QLatin1String(c.text)) << c.i << "/" << c.n;
}
