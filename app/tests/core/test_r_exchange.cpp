// The files exchanged with R, without R: names, the tag, the data files,
// the output header and its rewrite, the lists, the console text.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/data_matrix.hpp"
#include "core/dataset_file.hpp"
#include "core/kve_code.hpp"
#include "core/program_info.hpp"
#include "core/r_exchange.hpp"
#include "support/test_files.hpp"

using namespace RExchange;

namespace {

std::string s(const QString& text)
{
    return text.toStdString();
}

std::string s(const QStringList& list)
{
    return list.join(QLatin1Char('|')).toStdString();
}

void touch(const QString& path, const QByteArray& bytes = QByteArray())
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeBytes(path, bytes);
}

} // namespace

TEST(RExchangeNames, BasePathDropsTheSuffixOnly)
{
    const struct {
        const char* path;
        const char* base;
    } cases[] = {
        {"/d/trial.KVE", "/d/trial"},
        {"/d/trial.kve", "/d/trial"},
        {"/d/models.QCX", "/d/models"},
        {"/d/models.qCx", "/d/models"},
        {"/d/a.b.KVE", "/d/a.b"},
        {"/d/trial.CSV", "/d/trial"},
        {"/d/data.txt", "/d/data"},
        {"/d/data.longer", "/d/data"},
        {"/d/noext", "/d/noext"},              // four characters are not dropped blindly
        {"/d/ab", "/d/ab"},
        {"/d.dir/noext", "/d.dir/noext"},      // a dot in a folder is no suffix
        {"/d/.hidden", "/d/.hidden"},
        {"C:\\old\\trial.KVE", "C:\\old\\trial"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(s(basePath(QLatin1String(c.path))), c.base) << c.path;
}

TEST(RExchangeNames, DataFileBesideTheNamedFileElseNumberedInTheWorkFolder)
{
    QTemporaryDir dir;
    EXPECT_EQ(s(dataFilePath(QStringLiteral("/d/trial.KVE"))), "/d/trial.CSV");
    EXPECT_EQ(s(dataFilePath(QStringLiteral("/d/models.QCX"))), "/d/models.CSV");

    const QString work = workFolder(dir.path());
    ASSERT_EQ(work, dir.path() + QStringLiteral("/KVE Files/"));
    QDir().mkpath(work);
    const NewFile first = writeAnalysisFile(work, "a");
    EXPECT_EQ(first.path, work + QStringLiteral("R_Analysis1.CSV"));
    QDir().mkpath(work + QStringLiteral("R_Analysis2.CSV"));   // a folder takes the name too
    const NewFile third = writeAnalysisFile(work, "c");
    EXPECT_EQ(third.path, work + QStringLiteral("R_Analysis3.CSV"));
    EXPECT_EQ(readBytes(first.path), QByteArray("a"));
    EXPECT_EQ(readBytes(third.path), QByteArray("c"));

    // No file and no documents folder: no place, never the root.
    EXPECT_EQ(folderOf(QString()), QString());
    EXPECT_EQ(folderOf(QStringLiteral("trial.KVE")), QString());
    EXPECT_EQ(workFolder(QString()), QString());
    EXPECT_EQ(templateFolders(RVariant::Single, QString(), QString(), QString()), QStringList());
    EXPECT_EQ(s(templateFolders(RVariant::Single, QStringLiteral("/d/t.KVE"), QStringLiteral("/h/Documents"),
                                QStringLiteral("/opt/kve"))),
              "/d/|/h/Documents/KVE Files/|/opt/kve/");
    EXPECT_EQ(s(templateFolders(RVariant::Group, QStringLiteral("/d/m.QCX"), QStringLiteral("/h/Documents"),
                                QStringLiteral("/opt/kve"))),
              "/d/|/opt/kve/");
}

TEST(RExchangeTag, FromTheFirstFileselLineCleaned)
{
    const struct {
        const char* script;
        const char* tag;
    } cases[] = {
        {"x <- 1\nFILESEL <- \"SC1\"\n", "SC1"},
        {"filesel = \"a\" ; other = \"b\"\n", "ab"},            // quoted pieces joined
        {"FileSel <- SC1\n", ""},                               // no quotes
        {"x <- \"SC1\"\n", ""},                                 // no FILESEL line
        {"FILESEL <- \"A\"\nFILESEL <- \"B\"\n", "A"},          // later lines not read
        {"# FileSel: \"T1\"\r\nx <- 2\r\n", "T1"},              // CR LF
        {"FILESEL <- \"SC1\r\n", "SC1"},                        // unclosed quote, CR dropped
        {"FILESEL <- \"../../etc/x\"\n", "etcx"},               // no way out of the folder
        {"FILESEL <- \"a\\\\b\"\n", "ab"},
        {"FILESEL <- \"S*C?[1]\"\n", "SC1"},                    // no wildcards
        {"FILESEL <- \"a\tb\x01\"\n", "ab"},                    // no control characters
        {"FILESEL <- \"v1.2 (new)+\"\n", "v1.2 (new)+"},        // other characters stay
    };
    for (const auto& c : cases)
        EXPECT_EQ(s(tagOfScript(QString::fromUtf8(c.script))), c.tag) << c.script;

    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("t.R"));
    touch(script, "FILESEL <- \"GC2\"\r\n");
    EXPECT_EQ(s(readScriptTag(script)), "GC2");
    EXPECT_EQ(readScriptTag(dir.filePath(QStringLiteral("missing.R"))), QString());
}

TEST(RExchangeDataFiles, SingleWritesEverySheetRowInTheWriteForm)
{
    DataMatrix m(6);
    m.setText(DataMatrix::ColX, 1, QStringLiteral("1.5"));
    m.setNumber(DataMatrix::ColY, 1, 2.25);
    m.setText(DataMatrix::ColSDY, 1, QString());
    m.setText(DataMatrix::ColExclude, 1, QString());
    // Row 2 empty, row 3 excluded: both written.
    m.setText(DataMatrix::ColX, 3, QStringLiteral("say \"hi\""));
    m.setNumber(DataMatrix::ColY, 3, -0.5);
    m.setNumber(DataMatrix::ColRankX, 3, 1e-7);
    m.setText(DataMatrix::ColExclude, 3, QStringLiteral("Y"));
    m.setText(DataMatrix::ColX, 4, QStringLiteral("beyond the sheet"));
    EXPECT_EQ(singleDataFile(m, 4, 8).toStdString(),
              "\"1.5\",,2.25,\"\",,,\"\"\r\n"
              ",,,,,,\r\n"
              "\"say \"\"hi\"\"\",,-0.5,,1e-07,,\"Y\"\r\n");
    // A sheet of fewer columns writes fewer cells.
    EXPECT_EQ(singleDataFile(m, 2, 4).toStdString(), "\"1.5\",,2.25\r\n");
}

TEST(RExchangeDataFiles, GroupQuotesEveryValueAndEndsAtTheFirstNonNumericObservation)
{
    GroupData data;
    data.observed = {QStringLiteral("1.5"), QStringLiteral(" 2 "), QStringLiteral("3"), QStringLiteral("x"),
                     QStringLiteral("4")};
    data.predicted = {{QStringLiteral("1.4"), QStringLiteral("abc"), QStringLiteral("2.9"), QString(),
                       QStringLiteral("4")},
                      {QStringLiteral("1.6"), QStringLiteral("2.1")}};   // a shorter file
    const GroupDataFile file = groupDataFile(data);
    EXPECT_EQ(file.bytes.toStdString(),
              "\"Obs\",\"Model1\",\"Model2\"\r\n"
              "\"1.5\",\"1.4\",\"1.6\"\r\n"
              "\" 2 \",\"\",\"2.1\"\r\n"
              "\"3\",\"2.9\",\"\"\r\n");
    EXPECT_TRUE(file.missingValues);

    data.predicted = {{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")},
                      {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}};
    EXPECT_FALSE(groupDataFile(data).missingValues);
}

TEST(RExchangeHeader, TitleLineCentresOrShortensTheName)
{
    const QDateTime when(QDate(2024, 3, 5), QTime(7, 8, 9));
    const QString title = ProgramName() + QStringLiteral(" v. ") + ProgramVersionText();
    const QString date = QStringLiteral("05-Mar-2024 07:08:09");
    const QString name20(20, QLatin1Char('n'));
    const QString name77 = QString(76, QLatin1Char('a')) + QLatin1Char('Z');
    const QString name78 = QStringLiteral("0123") + QString(73, QLatin1Char('b')) + QLatin1Char('Z');
    const QString blanks30(30, QLatin1Char(' '));
    EXPECT_EQ(s(titleLine(name20, when)), s(title + blanks30 + "[" + name20 + "]" + blanks30 + date));
    EXPECT_EQ(s(titleLine(name77, when)), s(title + " [" + name77 + "] " + date));
    EXPECT_EQ(s(titleLine(name78, when)), s(title + " [..." + name78.right(73) + "] " + date));
    const QString blanks40(40, QLatin1Char(' '));
    EXPECT_EQ(s(titleLine(QString(), when)), s(title + blanks40 + "[]" + blanks40 + date));
}

TEST(RExchangeHeader, SingleAndGroupHeaders)
{
    const QDateTime when(QDate(2024, 12, 31), QTime(23, 59, 58));
    const QString first = titleLine(QStringLiteral("trial.KVE"), when);
    const QString rule(first.size(), QLatin1Char('.'));
    EXPECT_EQ(s(outputHeader(QStringLiteral("trial.KVE"), when, QStringLiteral("/opt/kve/SingleCode1.R"))),
              s(first + "\r\n" + rule + "\r\n\r\nR Code Results\r\n==============\r\n\r\n"
                "## Using R code file: /opt/kve/SingleCode1.R\r\n\r\n"));

    const QString legend = modelLegend({QStringLiteral("/d/first.KVE"), QStringLiteral("/d/third.KVE")});
    EXPECT_EQ(s(legend), "\r\n  1 = /d/first.KVE\r\n  2 = /d/third.KVE");
    const QString group = outputHeader(QStringLiteral("models.CSV"), when, QStringLiteral("/d/models.R"), legend);
    EXPECT_TRUE(group.endsWith(QStringLiteral("## Using R code file: /d/models.R\r\n\r\n"
                                              "Model Legend\r\n------------\r\n\r\n"
                                              "  1 = /d/first.KVE\r\n  2 = /d/third.KVE\r\n\r\n")))
        << s(group);
}

TEST(RExchangeHeader, RewriteKeepsEveryLineAndLeavesNoWorkFile)
{
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("t_SC1_text1.TXT"));
    const QString cwd = QDir::currentPath();
    const QString header = QStringLiteral("HEAD\r\n\r\n");
    const struct {
        QByteArray content;
        const char* body;
    } cases[] = {
        {"a\nb\n", "a\r\nb\r\n"},
        {"a\r\n\r\nc", "a\r\n\r\nc\r\n"},          // an empty line kept, a last line without end too
        {"x\ry\r", "x\r\ny\r\n"},
        {"", ""},
        {"caf\xc3\xa9\n", "caf\xc3\xa9\r\n"},
    };
    for (const auto& c : cases) {
        touch(output, c.content);
        const TextImport imported = rewriteTextOutput(output, header);
        ASSERT_TRUE(imported.ok) << s(imported.error);
        EXPECT_EQ(imported.windowText.toUtf8().toStdString(), "HEAD\r\n\r\n" + std::string(c.body));
        EXPECT_EQ(readBytes(output).toStdString(), "HEAD\r\n\r\n\r\n" + std::string(c.body));
    }
    EXPECT_EQ(QDir::currentPath(), cwd);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("t_SC1_text1.TXT")});
    EXPECT_FALSE(QFile::exists(QStringLiteral("KVE.TMP")));

    const TextImport gone = rewriteTextOutput(dir.filePath(QStringLiteral("gone.TXT")), header);
    EXPECT_FALSE(gone.ok);
    EXPECT_FALSE(gone.error.isEmpty());
}

TEST(RExchangeLists, TemplatesAndOutputsOfTheNamedFile)
{
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data/"));
    const QString documents = dir.filePath(QStringLiteral("Documents"));
    const QString program = dir.filePath(QStringLiteral("program"));
    for (const char* name : {"data/SingleCode-a.R", "program/singlecode-A.r", "program/SingleCodeZ.R",
                             "Documents/KVE Files/SingleCodeWork.R", "data/GroupCodeG.R", "data/Other.R",
                             "data/trial_SC1_text1.TXT", "data/trial_sc1_Text2.txt", "data/trial_SC1_log1.LOG",
                             "data/trial_SC1_graph1.BMP", "data/trial_SC1_graph1.JPG", "data/trial_SC1_graph2.PNG",
                             "data/trial_SC2_text1.TXT", "data/trial_SC1_text1.TXT.bak", "data/other_SC1_text1.TXT",
                             "data/trial__text1.TXT", "data/trial_XY_text1.TXT"})
        touch(dir.filePath(QLatin1String(name)));
    QDir().mkpath(data + QStringLiteral("trial_SC1_text9.TXT"));   // a folder is not listed
    const QString script = data + QStringLiteral("trial.R");

    ListRequest request;
    request.namedFile = data + QStringLiteral("trial.KVE");
    request.documentsFolder = documents;
    request.programFolder = program;
    const QString sc1 = "trial.R|trial_SC1_graph1.BMP|trial_SC1_graph1.JPG|trial_SC1_graph2.PNG|"
                        "trial_SC1_log1.LOG|trial_SC1_text1.TXT|trial_sc1_Text2.txt";
    const struct {
        const char* what;
        const char* script;         // nullptr: no R script file
        bool showAll;
        std::string outputs;
    } cases[] = {
        {"tag of the script", "FILESEL <- \"SC1\"\n", false, s(sc1)},
        {"show all", "FILESEL <- \"SC1\"\n", true, s(sc1 + "|trial_SC2_text1.TXT")},
        {"no script: every SC output", nullptr, false,
         "trial_SC1_graph1.BMP|trial_SC1_graph1.JPG|trial_SC1_graph2.PNG|trial_SC1_log1.LOG|trial_SC1_text1.TXT|"
         "trial_sc1_Text2.txt|trial_SC2_text1.TXT"},
        {"no FILESEL line: empty tag", "x <- 1\n", false, "trial.R|trial__text1.TXT"},
    };
    for (const auto& c : cases) {
        QFile::remove(script);
        if (c.script)
            touch(script, c.script);
        request.showAll = c.showAll;
        const Lists lists = listFiles(request);
        EXPECT_EQ(s(lists.outputs), c.outputs) << c.what;
        EXPECT_EQ(s(lists.templates), "SingleCode-a.R|SingleCodeWork.R|SingleCodeZ.R") << c.what;
    }

    // The group variant: its own templates, no work folder, "GC" outputs.
    touch(data + QStringLiteral("trial_GC1_graph1.JPG"));
    QFile::remove(script);
    request.variant = RVariant::Group;
    const Lists group = listFiles(request);
    EXPECT_EQ(s(group.templates), "GroupCodeG.R");
    EXPECT_EQ(s(group.outputs), "trial_GC1_graph1.JPG");

    // Nothing named: both lists empty.
    request.namedFile.clear();
    const Lists none = listFiles(request);
    EXPECT_TRUE(none.templates.isEmpty());
    EXPECT_TRUE(none.outputs.isEmpty());
}

TEST(RExchangeLists, NamesWithPatternCharactersMatchLiterally)
{
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("x[1](a)+.b"));
    for (const char* name : {"x[1](a)+.b_t+1_text1.TXT", "x1a+.b_t+1_text1.TXT", "x[1](a)+.b_tt1_text1.TXT",
                             "x[1](a)+.b_t+1_graph.JPG"})
        touch(dir.filePath(QLatin1String(name)));
    EXPECT_EQ(s(matchingFiles(dir.path(), outputPattern(base, QStringLiteral("t+1"), false, QStringLiteral("_text"),
                                                        QStringLiteral("TXT")))),
              "x[1](a)+.b_t+1_text1.TXT");
    EXPECT_EQ(s(runOutputs(base, QStringLiteral("t+1"), QStringLiteral("_graph"), QStringLiteral("JPG"))),
              s(dir.filePath(QStringLiteral("x[1](a)+.b_t+1_graph.JPG"))));
    EXPECT_TRUE(matchingFiles(QString(), outputPattern(base, QString(), true, QStringLiteral("_text"),
                                                       QStringLiteral("TXT")))
                    .isEmpty());
}

TEST(RExchangeLists, TemplateFoundInAnyCaseInTheFirstFolderHoldingIt)
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first/"));
    const QString second = dir.filePath(QStringLiteral("second/"));
    touch(second + QStringLiteral("SingleCodeA.R"));
    touch(second + QStringLiteral("singlecodeb.r"));
    touch(first + QStringLiteral("SINGLECODEB.R"));
    EXPECT_EQ(findTemplate({first, second}, QStringLiteral("SingleCodeA.R")), second + QStringLiteral("SingleCodeA.R"));
    EXPECT_EQ(findTemplate({first, second}, QStringLiteral("singlecodeb.r")), first + QStringLiteral("SINGLECODEB.R"));
    EXPECT_EQ(findTemplate({first, second}, QStringLiteral("SingleCodeC.R")), QString());
    EXPECT_EQ(findTemplate({first, second}, QString()), QString());
}

TEST(RExchangeLists, EntryTypeByTheEndOfTheName)
{
    const struct {
        const char* name;
        EntryType type;
    } cases[] = {
        {"a.R", EntryType::Script},     {"a.r", EntryType::Script},   {"a_text1.TXT", EntryType::Text},
        {"a_log1.log", EntryType::Text}, {"a.BMP", EntryType::Picture}, {"a.jpg", EntryType::Picture},
        {"a.PNG", EntryType::Png},       {"a.JPEG", EntryType::Other},  {"a.CSV", EntryType::Other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(entryType(QLatin1String(c.name)), c.type) << c.name;
}

TEST(ConsoleText, WholeOutputInEightyColumnRows)
{
    // Far more than a console window's rows: every one is kept.
    QString output;
    for (int i = 1; i <= 300; ++i)
        output += QStringLiteral("line %1\n").arg(i);
    const QString text = KVECode::ConsoleText(output, true);
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), 300);
    EXPECT_TRUE(text.startsWith(QStringLiteral("line 1\r\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("line 300\r\n")));

    // Long lines break every 80 columns; rows are trimmed, blank rows dropped.
    const QString longLine = QString(80, QLatin1Char('a')) + QStringLiteral("   tail  ");
    EXPECT_EQ(s(KVECode::ConsoleText(longLine + QStringLiteral("\r\n\r\n  \n  x  \r"), true)),
              s(QString(80, QLatin1Char('a')) + "\r\ntail\r\nx\r\n"));
    EXPECT_EQ(KVECode::ConsoleText(QStringLiteral("\n \n"), true), QString());
}
