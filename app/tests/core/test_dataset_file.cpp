// The dataset file: byte-exact writer, tolerant reader, refusals of broken
// files, and round trips through both.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "core/dataset_file.hpp"
#include "support/test_files.hpp"

using namespace DatasetFile;

namespace {

QByteArray readFixture(const char* name)
{
    QFile f(QStringLiteral(KVE_SOURCE_DIR "/app/tests/core/dataset_file_data/") + QLatin1String(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

// Byte arrays compared as strings, so a failure shows the lines that differ.
std::string bytesOf(const QByteArray& b)
{
    return b.toStdString();
}

int indexOf(const char* key)
{
    const int i = findOptionKey(QLatin1String(key));
    EXPECT_GE(i, 0) << key;
    return i;
}

LoadResult parse(const QByteArray& bytes, const QString& box = QStringLiteral("19"), int sheetRows = 19)
{
    return parseDataset(bytes, QStringLiteral("/data/Trial.KVE"), box, sheetRows);
}

// The defaults file with its option and data sections replaced.
QByteArray withBody(const QByteArray& optionLines, const QByteArray& tail)
{
    return "3,1,0\r\n" + optionLines + tail;
}

// Save, read back onto fresh defaults, and return it.
DatasetState reload(const DatasetState& state)
{
    const LoadResult r = parse(formatDataset(state));
    EXPECT_TRUE(r.ok()) << r.error.text.toStdString();
    DatasetState back;
    if (r.ok())
        applyContent(*r.content, back);
    return back;
}

// Every option moved away from its default.
DatasetOptions everyOptionChanged()
{
    DatasetOptions o = defaultOptions();
    for (int i = 0; i < OptionCount; ++i) {
        const OptionKey& k = optionKeys()[i];
        switch (k.form) {
        case OptionForm::CheckState: o[i] = std::get<int>(o[i]) == 1 ? 0 : 1; break;
        case OptionForm::Flag:
            if (k.group == OptionGroup::None)
                o[i] = !std::get<bool>(o[i]);
            break;
        case OptionForm::Text: o[i] = QStringLiteral("%1.25").arg(i); break;
        case OptionForm::Format: o[i] = QStringLiteral("#0.0#%1").arg(i); break;
        case OptionForm::Size: o[i] = 12.5f; break;
        }
    }
    // One choice per group of option buttons, none of them the default one.
    for (const char* key : {"ROBUSTR", "HIST_PLOT_SEPARATE", "HIST_STEP", "R_GraphPNG"})
        applyOption(o, indexOf(key), true);
    o[indexOf("HIST_3D")] = 2;   // a grey box keeps its state too
    return o;
}

} // namespace

TEST(DatasetFileFormat, DefaultsAreByteExact)
{
    // The fixture was typed from the file layout, not produced by the writer.
    EXPECT_EQ(bytesOf(formatDataset(DatasetState())), bytesOf(readFixture("defaults.KVE")));
}

TEST(DatasetFileFormat, CellsNotesAndRowCount)
{
    DatasetState s;
    s.matrix.resize(4);                                   // rows 1..3
    s.rowCountText = QStringLiteral(" 3");                // after a paste: leading blank kept
    s.matrix.setNumber(1, 1, 12.5);                       // pasted: bare
    s.matrix.setText(3, 1, QStringLiteral("12.5"));       // typed: quoted
    s.matrix.setNumber(2, 2, -0.001);
    s.matrix.setText(4, 2, QString());                    // empty text: ""
    s.matrix.setText(7, 3, QStringLiteral("say \"no\"")); // quotes doubled
    s.matrix.setNumber(1, 3, 1e-300);
    s.notes = QStringLiteral("abc");
    const QByteArray bytes = formatDataset(s);
    const QByteArray tail = "N= 3\r\nDATA:\r\n"
                            "12.5,,\"12.5\",,,,\r\n"
                            ",-0.001,,\"\",,,\r\n"
                            "1e-300,,,,,,\"say \"\"no\"\"\"\r\n"
                            "NOTES:\r\nabc\r\n";
    EXPECT_TRUE(bytes.endsWith(tail)) << bytes.right(tail.size()).toStdString();

    // Empty notes write no NOTES line; every line ends in CR LF.
    s.notes.clear();
    const QByteArray plain = formatDataset(s);
    EXPECT_FALSE(plain.contains("NOTES:"));
    EXPECT_EQ(plain.count("\r\n"), plain.count("\n"));
    EXPECT_TRUE(plain.endsWith("\r\n"));
}

TEST(DatasetFileFormat, RowCountNamesTheRowsThatFollow)
{
    // A count typed into the box but never applied would make the reader
    // take the notes for data; the sheet's own count is written instead.
    struct Case { const char* box; int sheetRows; const char* written; };
    const Case cases[] = {
        {"19", 19, "N=19"}, {" 31", 31, "N= 31"}, {"4.5", 5, "N=4.5"},
        {"25", 19, "N=19"}, {"2", 19, "N=19"}, {"", 19, "N=19"}, {"3.5", 3, "N=3.5"},
        // texts the reader would not give back as written
        {"19\"", 19, "N=19"}, {"19#", 19, "N=19"}, {"19:5", 19, "N=19"}, {"19=x", 19, "N=19"},
    };
    for (const Case& c : cases) {
        DatasetState s;
        s.matrix.resize(c.sheetRows + 1);
        s.rowCountText = QLatin1String(c.box);
        s.notes = QStringLiteral("x");
        const QByteArray bytes = formatDataset(s);
        EXPECT_TRUE(bytes.contains("\r\n" + QByteArray(c.written) + "\r\nDATA:\r\n")) << c.box;
        const LoadResult r = parse(bytes);
        ASSERT_TRUE(r.ok()) << c.box;
        EXPECT_EQ(int(r.content->rows.size()), c.sheetRows) << c.box;
        EXPECT_EQ(r.content->notes, QStringLiteral("x")) << c.box;
        // read and saved, the file stays as it is from then on
        DatasetState back;
        applyContent(*r.content, back);
        const QByteArray saved = formatDataset(back);
        EXPECT_EQ(bytesOf(formatDataset(reload(back))), bytesOf(saved)) << c.box;
    }
}

TEST(DatasetFileFormat, OptionValueForms)
{
    struct Case { OptionForm form; OptionValue value; const char* text; };
    const Case cases[] = {
        {OptionForm::CheckState, 0, " 0"}, {OptionForm::CheckState, 2, " 2"},
        {OptionForm::Flag, true, "True"}, {OptionForm::Flag, false, "False"},
        {OptionForm::Text, QStringLiteral(" 5 "), " 5 "}, {OptionForm::Format, QStringLiteral("##.#000"), "##.#000"},
        {OptionForm::Size, 10.0f, " 10"}, {OptionForm::Size, 10.5f, " 10.5"}, {OptionForm::Size, 9.1f, " 9.1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatOptionValue(c.form, c.value), QLatin1String(c.text)) << c.text;
}

TEST(GetCodeValue, SplitsKeyAndValueAtTheLastSeparator)
{
    struct Case { const char* line; const char* keyIn; const char* key; const char* value; };
    const Case cases[] = {
        {"N=19", "", "N", "19"},
        {"DATA:", "", "DATA", ""},
        {"A=B:C", "", "B", "C"},                       // the last separator wins
        {"no separator here ", "prev", "prev", "no separator here"},
        {"  nosound =  1  ", "", "nosound", "1"},
        {"=5", "prev", "", "5"},
        {"", "prev", "prev", ""},
        {"GRID_FORMAT_XY=##.#000", "", "GRID_FORMAT_XY", "#.#000"},
        {"GRID_FORMAT_SD=#.#0000", "", "GRID_FORMAT_SD", ".#0000"},
        {"T=\"abc\"", "", "T", "abc"},
        {"T=\"#\"", "", "T", "#"},                      // each end at most once
        {"T=#", "", "T", ""},
        {"DEVIATION_LOWER=12:30", "", "12", "30"},      // a time is not restored
    };
    for (const Case& c : cases) {
        QString key = QLatin1String(c.keyIn);
        QString value = QStringLiteral("junk");
        GetCodeValue(QLatin1String(c.line), key, value);
        EXPECT_EQ(key, QLatin1String(c.key)) << c.line;
        EXPECT_EQ(value, QLatin1String(c.value)) << c.line;
    }
}

TEST(DatasetFileRead, OptionSectionTolerance)
{
    const QByteArray bytes = withBody("nosound= 1\r\n"       // any case
                                      "COLOR=red\r\n"        // unknown: skipped silently
                                      "\r\n"                 // no key: a beep
                                      "=5\r\n"               // no key: a beep
                                      "LSM=True\r\n"
                                      "wlsm=TRUE\r\n"        // later button of the group wins
                                      "RESIDUE_6=7\r\n"      // a number as a flag
                                      "HIST_Pie=True\r\n"
                                      "HIST_3D= 1\r\n"       // 3D clears 2D and moves Pie to Bar
                                      "GRID_FORMAT_XY=##.#000\r\n"
                                      "TRESHOLD_XY= \"#4.5\" \r\n",
                                      "N=3\nDATA:\n1,2,3,4,5,6,7\n\"a\",,\"\",,,,\"Y\"\n,,,,,,\n");
    const LoadResult r = parse(bytes);
    ASSERT_TRUE(r.ok()) << r.error.text.toStdString();
    const DatasetContent& c = *r.content;
    ASSERT_EQ(c.settings.size(), 10u);
    EXPECT_EQ(c.settings[0].index, indexOf("NoSound"));
    EXPECT_EQ(c.settings[1].index, -1);
    EXPECT_EQ(c.settings[2].index, -1);

    DatasetState s;
    s.options[indexOf("MSPE_BOOTSTRAP_SIZE")] = QStringLiteral("33");   // not in the file: kept
    applyContent(c, s);
    EXPECT_EQ(std::get<int>(s.options[indexOf("NoSound")]), 1);
    EXPECT_FALSE(std::get<bool>(s.options[indexOf("LSM")]));
    EXPECT_TRUE(std::get<bool>(s.options[indexOf("WLSM")]));
    EXPECT_TRUE(std::get<bool>(s.options[indexOf("RESIDUE_6")]));
    EXPECT_EQ(std::get<int>(s.options[indexOf("HIST_2D")]), 0);
    EXPECT_TRUE(std::get<bool>(s.options[indexOf("HIST_BAR")]));
    EXPECT_FALSE(std::get<bool>(s.options[indexOf("HIST_Pie")]));
    EXPECT_EQ(std::get<QString>(s.options[indexOf("GRID_FORMAT_XY")]), QStringLiteral("##.#000"));
    EXPECT_EQ(std::get<QString>(s.options[indexOf("TRESHOLD_XY")]), QStringLiteral("#4.5"));
    EXPECT_EQ(std::get<QString>(s.options[indexOf("MSPE_BOOTSTRAP_SIZE")]), QStringLiteral("33"));

    // LF line ends read like CR LF; every loaded cell is text.
    EXPECT_EQ(s.matrix.upperRow(), 4);
    EXPECT_TRUE(s.matrix.cell(1, 1).isText());
    EXPECT_EQ(s.matrix.cell(7, 1).text(), QStringLiteral("7"));
    EXPECT_EQ(s.matrix.cell(1, 2).text(), QStringLiteral("a"));
    EXPECT_TRUE(s.matrix.cell(2, 2).isEmpty());     // nothing between the commas
    EXPECT_TRUE(s.matrix.cell(3, 2).isText());      // the empty text ""
    EXPECT_TRUE(s.matrix.isMissing(3, 2));
    EXPECT_EQ(s.matrix.cell(7, 2).text(), QStringLiteral("Y"));
    EXPECT_TRUE(c.notes.isEmpty());
}

TEST(DatasetFileRead, SectionsThatAreMissing)
{
    // No DATA line: every line is an option line, no rows, notes emptied.
    const LoadResult noData = parse(withBody("LSM=False\r\nN=5\r\nNOTES:\r\nhello\r\n", ""));
    ASSERT_TRUE(noData.ok());
    EXPECT_FALSE(noData.content->hasData);
    EXPECT_TRUE(noData.content->rows.empty());
    DatasetState s;
    s.notes = QStringLiteral("old notes");
    s.matrix.setText(1, 1, QStringLiteral("old"));
    applyContent(*noData.content, s);
    EXPECT_TRUE(s.notes.isEmpty());
    EXPECT_TRUE(s.matrix.isMissing(1, 1));
    EXPECT_EQ(s.matrix.upperRow(), 6);

    // No N line: as many rows as the row-count box shows.
    const QByteArray rows = withBody("", "DATA:\r\n1,,2,,,,\r\n3,,4,,,,\r\n5,,6,,,,\r\nNOTES:\r\nn\r\n");
    const LoadResult byBox = parse(rows, QStringLiteral("3"), 19);
    ASSERT_TRUE(byBox.ok());
    EXPECT_EQ(byBox.content->rows.size(), 3u);
    EXPECT_FALSE(byBox.content->rowCountText.has_value());
    EXPECT_EQ(byBox.content->notes, QStringLiteral("n"));
    // Extra data lines before NOTES are passed over.
    const LoadResult fewer = parse(rows, QStringLiteral("2"), 19);
    ASSERT_TRUE(fewer.ok());
    EXPECT_EQ(fewer.content->rows.size(), 2u);
    EXPECT_EQ(fewer.content->notes, QStringLiteral("n"));
}

TEST(DatasetFileRead, NotesKeepTheirLinesAndDoNotGrow)
{
    const QString cases[] = {
        QStringLiteral("abc"),
        QStringLiteral("abc\n"),
        QStringLiteral("line 1\n\nline 3\n\n"),
        QStringLiteral("\nstarts blank"),
        QStringLiteral("N=5\nDATA:\nNOTES:\nlooks like keys"),
    };
    for (const QString& notes : cases) {
        DatasetState s;
        s.notes = notes;
        const QByteArray first = formatDataset(s);
        DatasetState back = reload(s);
        EXPECT_EQ(back.notes, notes) << notes.toStdString();
        EXPECT_EQ(bytesOf(formatDataset(back)), bytesOf(first)) << notes.toStdString();
    }
    // The notes of a CR LF file written by hand read with "\n" breaks.
    const LoadResult r = parse(withBody("N=3\r\n", "DATA:\r\n,,,,,,\r\n,,,,,,\r\n,,,,,,\r\n"
                                                   "NOTES:\r\nabc\r\ndef\r\n"));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.content->notes, QStringLiteral("abc\ndef"));
}

TEST(DatasetFileRoundTrip, TypedDatasetWithEveryOptionChanged)
{
    DatasetState s;
    s.options = everyOptionChanged();
    s.matrix.resize(26);
    s.rowCountText = QStringLiteral("25");
    for (int r = 1; r <= 25; ++r) {
        s.matrix.setText(1, r, QString::number(r * 1.5));
        s.matrix.setText(2, r, r % 3 ? QStringLiteral("0.1") : QString());
        s.matrix.setText(3, r, QStringLiteral("%1").arg(r * 1.25 + 0.5));
        s.matrix.setText(7, r, r == 4 ? QStringLiteral("Y") : QString());
    }
    s.matrix.setText(7, 5, QStringLiteral("comma, \"quoted\" and ünïcødé €"));
    s.notes = QStringLiteral("Trial 4, field B.\nSecond line: \"quoted\", with = and :\n");

    const QByteArray first = formatDataset(s);
    const DatasetState back = reload(s);
    for (int i = 0; i < OptionCount; ++i)
        EXPECT_EQ(back.options[i], s.options[i]) << optionKeys()[i].key;
    EXPECT_EQ(back.rowCountText, s.rowCountText);
    EXPECT_EQ(back.notes, s.notes);
    EXPECT_EQ(back.matrix.upperRow(), 26);
    for (int r = 1; r <= 25; ++r)
        for (int c = 1; c <= 7; ++c)
            EXPECT_EQ(back.matrix.cell(c, r).text(), s.matrix.cell(c, r).text()) << r << "," << c;
    EXPECT_EQ(bytesOf(formatDataset(back)), bytesOf(first));
    EXPECT_TRUE(first.contains(QStringLiteral("ünïcødé €").toUtf8()));
}

TEST(DatasetFileRoundTrip, PastedNumbersReadBackAsText)
{
    DatasetState s;
    s.matrix.resize(4);
    s.rowCountText = QStringLiteral(" 3");
    const double values[] = {12.5, 0.1, -3e-7, 1.0 / 3.0, 123456789.125, 0};
    for (int r = 1; r <= 3; ++r) {
        s.matrix.setNumber(1, r, values[2 * (r - 1)]);
        s.matrix.setNumber(3, r, values[2 * (r - 1) + 1]);
    }
    const DatasetState back = reload(s);
    for (int r = 1; r <= 3; ++r) {
        ASSERT_TRUE(back.matrix.cell(1, r).isText());
        EXPECT_EQ(*back.matrix.cell(1, r).toNumber(), values[2 * (r - 1)]);
        EXPECT_EQ(*back.matrix.cell(3, r).toNumber(), values[2 * (r - 1) + 1]);
        EXPECT_TRUE(back.matrix.cell(2, r).isEmpty());
    }
    // From the second save on, the file no longer changes.
    const QByteArray second = formatDataset(back);
    EXPECT_EQ(bytesOf(formatDataset(reload(back))), bytesOf(second));
    EXPECT_TRUE(second.contains("\"12.5\",,\"0.1\""));
}

TEST(DatasetFileRead, TextEncodings)
{
    // UTF-8 as written; Windows-1252 from older files; a byte-order mark.
    QByteArray cp1252 = withBody("N=3\r\n", "DATA:\r\n\"caf\xE9 \x80\x93\",,,,,,\r\n,,,,,,\r\n,,,,,,\r\n"
                                            "NOTES:\r\n\x93quoted\x94\r\n");
    const LoadResult old = parse(cp1252);
    ASSERT_TRUE(old.ok());
    EXPECT_EQ(old.content->rows[0][0].text(), QStringLiteral("café €“"));
    EXPECT_EQ(old.content->notes, QStringLiteral("“quoted”"));

    const LoadResult utf8 = parse("\xEF\xBB\xBF" + withBody("N=3\r\n", "DATA:\r\n\"café €\",,,,,,\r\n"
                                                                        ",,,,,,\r\n,,,,,,\r\n"));
    ASSERT_TRUE(utf8.ok()) << utf8.error.text.toStdString();
    EXPECT_EQ(utf8.content->rows[0][0].text(), QStringLiteral("café €"));
}

TEST(DatasetFileRead, VersionLine)
{
    struct Case { const char* line; bool ok; bool refusedVersion; };
    const Case cases[] = {
        {"2,0,0", true, false}, {"3,1,0", true, false}, {"17,99,12345", true, false},
        {" 3 , 1 , 0 ", true, false},
        {"1,9,9", false, true}, {"0,0,0", false, true}, {"-4,0,0", false, true},
        {"3,1", false, false}, {"3,1,0,5", false, false}, {"three,1,0", false, false},
        {"", false, false}, {"LSM=True", false, false},
    };
    for (const Case& c : cases) {
        const LoadResult r = parse(QByteArray(c.line) + "\r\nN=3\r\nDATA:\r\n,,,,,,\r\n,,,,,,\r\n,,,,,,\r\n");
        EXPECT_EQ(r.ok(), c.ok) << c.line;
        EXPECT_EQ(r.error.versionRefused, c.refusedVersion) << c.line;
        if (c.refusedVersion) {
            EXPECT_EQ(r.error.title, QStringLiteral("Load"));
            EXPECT_EQ(r.error.text, QStringLiteral("The version of this file is not compatible with "
                                                   "this version of KVE. The loading will be aborted."));
        }
    }
}

TEST(DatasetFileRead, BrokenFilesAreRefusedWithAClearMessage)
{
    const QByteArray head = "3,1,0\r\n";
    struct Case { const char* name; QByteArray bytes; const char* says; };
    const std::vector<Case> cases = {
        {"empty", QByteArray(), "no version numbers"},
        {"binary", QByteArray("3,1,0\r\nLSM=\0\x01\x02", 12), "not a text file"},
        {"truncated rows", head + "N=5\r\nDATA:\r\n1,,2,,,,\r\n3,,4,,,,\r\n", "ends after 2 of its 5 data rows"},
        {"absurd N", head + "N=99999999\r\nDATA:\r\n", "N=99999999 is not valid"},
        {"huge N", head + "N=1e308\r\nDATA:\r\n", "is not valid"},
        {"check word", head + "UNCERTAINTY_X=yes\r\n", "UNCERTAINTY_X the value 'yes'"},
        {"check 3", head + "AUTO_ROW= 3\r\n", "AUTO_ROW the value '3'"},
        {"empty check", head + "PLOT_YX=\r\n", "PLOT_YX the value ''"},
        {"flag word", head + "LSM=maybe\r\n", "LSM the value 'maybe'"},
        {"size word", head + "NOTES_SIZE=big\r\n", "NOTES_SIZE the value 'big'"},
        {"short row", head + "N=3\r\nDATA:\r\n1,2,3,4,5,6\r\n,,,,,,\r\n,,,,,,\r\n", "line 4 holds 6 values"},
        {"long row", head + "N=3\r\nDATA:\r\n,,,,,,\r\n,,,,,,,\r\n,,,,,,\r\n", "line 5 holds 8 values"},
        {"open quote", head + "N=3\r\nDATA:\r\n\"abc,,,,,,\r\n", "never closed"},
        {"row after N", head + "N=2\r\nDATA:\r\n1,,2,,,,\r\n3,,4,,,,\r\n5,,6,,,,\r\nNOTES:\r\nn\r\n",
         "line 6 holds a data row after the 2 rows that its line N=2 gives. Set N= to the number of data rows "
         "to load it."},
    };
    // Notes may hold commas: only a row before the notes counts as data.
    const LoadResult notes = parse(head + "N=1\r\nDATA:\r\n1,,2,,,,\r\nNOTES:\r\na,b,c,d,e,f,g\r\n");
    ASSERT_TRUE(notes.ok()) << notes.error.text.toStdString();
    EXPECT_EQ(notes.content->notes, QStringLiteral("a,b,c,d,e,f,g"));
    for (const Case& c : cases) {
        const LoadResult r = parse(c.bytes);
        EXPECT_FALSE(r.ok()) << c.name;
        EXPECT_EQ(r.error.title, QStringLiteral("Load")) << c.name;
        EXPECT_TRUE(r.error.text.contains(QLatin1String(c.says))) << c.name << ": " << r.error.text.toStdString();
        EXPECT_TRUE(r.error.text.contains(QStringLiteral("/data/Trial.KVE"))) << c.name;
    }
}

TEST(DatasetFileRead, RowsAfterTheCountAreRefusedOnlyWhenTheyHoldAValue)
{
    // The lines between the N= rows and the notes: rows whose cells are
    // all empty (nothing, blanks, "" or quoted blanks) are passed over, as
    // a spreadsheet leaves them; a row holding anything is refused, naming
    // its line (the first one with a value). Each case with CR LF and LF.
    struct Case {
        const char* name;
        const char* after;    // lines after the two rows, each ended by "\n"
        int refusedLine;      // 0: read
    };
    const Case cases[] = {
        {"nothing", ",,,,,,\n", 0},
        {"three empty rows", ",,,,,,\n,,,,,,\n,,,,,,\n", 0},
        {"blanks and tabs", "  , ,\t,,  ,, \n", 0},
        {"empty quotes", "\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n", 0},
        {"quoted blanks", "\" \",, \"  \" ,,,,\n", 0},
        {"more commas than a row", ",,,,,,,,,,\n", 0},
        {"fewer commas: no row", "7,8\n", 0},
        {"a value in the last cell", ",,,,,,\"Y\"\n", 6},
        {"a bare value in a late cell", ",,,,,5,\n", 6},
        {"a value after empty rows", ",,,,,,\n,,,,,,\n5,,6,,,,\n", 8},
        {"a value after empty quotes", "\"\"x,,,,,,\n", 6},
        {"a quote in quotes", "\"\"\"\",,,,,,\n", 6},
        {"a comma in quotes", "\"a,b\",,,,,\n", 6},
        {"a quote never closed", "\" ,,,,,,\n", 6},
    };
    for (const Case& c : cases) {
        for (const bool crlf : {true, false}) {
            QByteArray bytes = "3,1,0\nN=2\nDATA:\n1,,2,,,,\n3,,4,,,,\n" + QByteArray(c.after) + "NOTES:\nkept\n";
            if (crlf)
                bytes.replace("\n", "\r\n");
            const LoadResult r = parse(bytes);
            const std::string what = std::string(c.name) + (crlf ? " (CR LF)" : " (LF)");
            if (c.refusedLine == 0) {
                ASSERT_TRUE(r.ok()) << what << ": " << r.error.text.toStdString();
                EXPECT_EQ(r.content->rows.size(), 2u) << what;
                EXPECT_EQ(r.content->notes, QStringLiteral("kept")) << what;
            } else {
                ASSERT_FALSE(r.ok()) << what;
                EXPECT_EQ(r.error.text, QStringLiteral("The file '/data/Trial.KVE' could not be loaded: line %1 holds "
                                                       "a data row after the 2 rows that its line N=2 gives. Set N= "
                                                       "to the number of data rows to load it.")
                                            .arg(c.refusedLine))
                    << what;
            }
        }
    }

    // The sample with three empty rows before its notes reads as the
    // sample itself.
    QFile sample(QStringLiteral(KVE_SOURCE_DIR "/examples/crop_yield.KVE"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray original = sample.readAll();
    QByteArray padded = original;
    ASSERT_GT(padded.indexOf("\r\nNOTES:"), 0);
    padded.insert(padded.indexOf("\r\nNOTES:") + 2, ",,,,,,\r\n,,,,,,\r\n,,,,,,\r\n");
    const LoadResult plain = parse(original);
    const LoadResult withEmptyRows = parse(padded);
    ASSERT_TRUE(plain.ok());
    ASSERT_TRUE(withEmptyRows.ok()) << withEmptyRows.error.text.toStdString();
    DatasetState a, b;
    applyContent(*plain.content, a);
    applyContent(*withEmptyRows.content, b);
    EXPECT_EQ(bytesOf(formatDataset(b)), bytesOf(original));
    EXPECT_EQ(bytesOf(formatDataset(a)), bytesOf(formatDataset(b)));
}

TEST(DatasetFileRead, EveryTruncationAndRandomBytesAreHandled)
{
    DatasetState s;
    s.matrix.setText(1, 1, QStringLiteral("1.5"));
    s.notes = QStringLiteral("n");
    const QByteArray full = formatDataset(s);
    const qsizetype dataStart = full.indexOf("DATA:\r\n") + 7;
    const qsizetype notesStart = full.indexOf("NOTES:");
    for (qsizetype n = 0; n < full.size(); ++n) {
        const LoadResult r = parse(full.left(n));
        // Cut inside the rows: refused. Elsewhere: read as far as it goes.
        if (n >= dataStart && n < notesStart - 2) {
            EXPECT_FALSE(r.ok()) << n;
        }
        if (n >= notesStart) {
            EXPECT_TRUE(r.ok()) << n;
        }
    }
    QRandomGenerator rng(20261210);
    for (int i = 0; i < 200; ++i) {
        QByteArray junk = full;
        for (int k = 0; k < 20; ++k)
            junk[rng.bounded(int(junk.size()))] = char(rng.bounded(256));
        const LoadResult r = parse(junk);
        EXPECT_TRUE(r.ok() || !r.error.text.isEmpty());
        if (r.ok()) {
            DatasetState target;
            applyContent(*r.content, target);
            EXPECT_LE(target.matrix.upperRow(), MaxRows + 1);
        }
    }
}

TEST(DatasetFileDisk, SaveAndLoadThroughTheFileSystem)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Trial.KVE"));
    DatasetState s;
    s.matrix.setText(1, 1, QStringLiteral("2"));
    s.notes = QStringLiteral("kept");
    ASSERT_EQ(SaveFile(path, s), QString());
    const LoadResult r = LoadFile(path, QStringLiteral("19"), 19);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.content->notes, QStringLiteral("kept"));

    // A save that fails half-way (here: the file size limit of the process,
    // which holds for every user) leaves the previous file as it was and
    // says why.
    const QByteArray before = formatDataset(s);
    DatasetState other;
    other.matrix.resize(2000);
    other.notes = QStringLiteral("lost?");
    // The same for a file smaller than the write buffer, which the buffer
    // would otherwise hand to the disk only at the commit.
    DatasetState shortOne;
    shortOne.notes = QString(6000, QLatin1Char('n'));
    QString error;
    QString shortError;
    withFileSizeLimit(4096, [&] {
        error = SaveFile(path, other);
        shortError = SaveFile(path, shortOne);
    });
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(shortError.isEmpty());
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Trial.KVE")});   // no leftovers
    EXPECT_EQ(SaveFile(dir.filePath(QStringLiteral("no/such/folder/x.KVE")), s).isEmpty(), false);

    // Missing files and folders are refusals, not crashes.
    for (const QString& p : {dir.filePath(QStringLiteral("missing.KVE")), dir.path(), QString()}) {
        const LoadResult m = LoadFile(p, QStringLiteral("19"), 19);
        EXPECT_FALSE(m.ok()) << p.toStdString();
        EXPECT_FALSE(m.error.text.isEmpty());
    }
}

TEST(DatasetFileRows, SheetRowsAndIncompleteRows)
{
    struct Case { const char* text; int rows; };   // -1: the sheet keeps its size
    const Case cases[] = {
        {"19", 19}, {" 31", 31}, {"3", 3}, {"3.5", 3}, {"4.5", 5}, {"12abc", 12},
        {"2", -1}, {"", -1}, {"abc", -1}, {"-5", -1},
    };
    for (const Case& c : cases) {
        const auto rows = sheetRowsFor(QLatin1String(c.text));
        EXPECT_EQ(rows.value_or(-1), c.rows) << c.text;
    }
    DataMatrix m(6);
    for (int r = 1; r <= 5; ++r) {
        m.setText(1, r, QStringLiteral("1"));
        m.setNumber(3, r, 2);
    }
    EXPECT_EQ(firstIncompleteRow(m), 0);
    m.setText(3, 3, QString());
    EXPECT_EQ(firstIncompleteRow(m), 3);
    m.setEmpty(1, 2);
    EXPECT_EQ(firstIncompleteRow(m), 2);
}
