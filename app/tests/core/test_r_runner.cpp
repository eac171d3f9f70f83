// Runs of R templates, with the real R (Rscript on the PATH): the single
// run on the sample dataset, its files and windows, the picture types, a
// template with CR LF line ends, a template that fails, a hostile dataset
// name, the group run on a comparison; and the checks and R's location,
// which need no R.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <deque>

#include "core/dataset_file.hpp"
#include "core/program_info.hpp"
#include "core/r_runner.hpp"
#include "core/settings_store.hpp"
#include "support/test_files.hpp"

namespace {

std::string s(const QString& text)
{
    return text.toStdString();
}

const QString SampleDataset = QStringLiteral(KVE_SOURCE_DIR "/examples/crop_yield.KVE");

// The window around a run, recorded. Questions answer from a queue (else
// their default), file dialogs from a queue (else cancelled); R runs to its
// end, its output merged.
class RecordingHost : public RHost {
public:
    struct Box {
        QString text;
        Icon icon;
        QString title;
    };
    void message(const QString& text, Icon icon, const QString& title) override { boxes.push_back({text, icon, title}); }
    bool question(const QString& text, const QString& title, bool defaultYes) override
    {
        questions << text + QStringLiteral(" | ") + title;
        if (answers.empty())
            return defaultYes;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QString chooseFile(const QString& title, const QString&, const QString&, int) override
    {
        dialogs << title;
        if (files.empty())
            return QString();
        const QString file = files.front();
        files.pop_front();
        return file;
    }
    ProcessResult runProgram(const QString& program, const QStringList& arguments, const QString& folder,
                             bool capture) override
    {
        runs << (QStringList{program} + arguments).join(QLatin1Char('|'));
        runFolder = folder;
        ProcessResult result;
        QProcess process;
        process.setWorkingDirectory(folder);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        result.started = process.waitForStarted(30000);
        if (!result.started) {
            result.error = process.errorString();
            return result;
        }
        if (!process.waitForFinished(120000))
            process.kill();
        process.waitForFinished();
        result.crashed = process.exitStatus() == QProcess::CrashExit;
        result.exitCode = process.exitCode();
        if (capture)
            result.output = QString::fromUtf8(process.readAll());
        return result;
    }
    void showText(const QString& caption, const QString& text) override { texts.push_back({caption, text}); }
    bool showPicture(const QString& path, const QString& caption) override
    {
        pictures << caption;
        picturePaths << path;
        return true;
    }
    void openDocument(const QString& path) override { opened << path; }
    void setBusy(bool busy) override { busyNow = busy; }
    void refreshLists() override { ++refreshes; }
    void focusTemplates() override { ++focused; }
    QDateTime now() override { return QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9)); }

    QStringList boxTexts() const
    {
        QStringList list;
        for (const Box& b : boxes)
            list << b.text;
        return list;
    }
    const Box* box(const QString& title) const
    {
        for (const Box& b : boxes)
            if (b.title == title)
                return &b;
        return nullptr;
    }

    std::deque<bool> answers;
    std::deque<QString> files;
    std::vector<Box> boxes;
    struct Shown {
        QString caption;
        QString text;
    };
    std::vector<Shown> texts;
    QStringList questions;
    QStringList dialogs;
    QStringList runs;
    QString runFolder;
    QStringList pictures;
    QStringList picturePaths;
    QStringList opened;
    bool busyNow = false;
    int refreshes = 0;
    int focused = 0;
};

class RRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        SettingsStore::DeleteSetting(QStringLiteral("RDir"));
        SettingsStore::DeleteSetting(QStringLiteral("RDirQCX"));
        RProgram::search() = RProgram::defaultSearch;
        QDir().mkpath(dir.filePath(QStringLiteral("Documents/KVE Files")));
        QDir().mkpath(dir.filePath(QStringLiteral("data")));
    }
    void TearDown() override { RProgram::search() = RProgram::defaultSearch; }

    // The sample dataset saved as `name` in the data folder, loaded into a
    // single-variant request.
    RRunRequest single(const QString& name)
    {
        const QString path = dir.filePath(QStringLiteral("data/") + name);
        EXPECT_TRUE(QFile::copy(SampleDataset, path));
        const DatasetFile::LoadResult loaded = DatasetFile::LoadFile(path, QStringLiteral("19"), 20);
        EXPECT_TRUE(loaded.ok());
        DatasetFile::applyContent(*loaded.content, state);
        RRunRequest request;
        request.templateName = QStringLiteral("SingleCode1.R");
        request.namedFile = path;
        request.documentsFolder = dir.filePath(QStringLiteral("Documents"));
        request.programFolder = QCoreApplication::applicationDirPath();
        request.matrix = &state.matrix;
        request.sheetRows = state.matrix.upperRow();
        request.sheetCols = 8;
        return request;
    }

    QString data(const QString& name) const { return dir.filePath(QStringLiteral("data/") + name); }

    QTemporaryDir dir;
    DatasetFile::DatasetState state;
    RecordingHost host;
};

} // namespace

TEST_F(RRun, SingleRunWritesItsFilesAndOpensItsOutputs)
{
    const RRunRequest request = single(QStringLiteral("crop_yield.KVE"));
    const RRunResult result = runRScript(request, host);
    ASSERT_EQ(result.outcome, RRunResult::Outcome::Completed) << s(host.boxTexts().join(QLatin1Char('\n')));

    // R was found on the PATH and its folder kept.
    const QString rFolder = SettingsStore::GetSetting(QStringLiteral("RDir"));
    EXPECT_TRUE(RProgram::holds(rFolder, RProgram::Rscript)) << s(rFolder);
    EXPECT_EQ(s(host.runs.join(QLatin1Char('\n'))),
              s(rFolder + "Rscript|" + data(QStringLiteral("crop_yield.R")) + "|BMP"));
    EXPECT_EQ(host.runFolder, data(QString()));

    // The data file, the script copied unchanged.
    EXPECT_EQ(result.dataFile, data(QStringLiteral("crop_yield.CSV")));
    EXPECT_EQ(readBytes(result.dataFile), RExchange::singleDataFile(state.matrix, request.sheetRows, 8));
    const QString templatePath = request.programFolder + QStringLiteral("/SingleCode1.R");
    EXPECT_EQ(readBytes(data(QStringLiteral("crop_yield.R"))), readBytes(templatePath));
    EXPECT_EQ(result.tag, QStringLiteral("SC1"));

    // The text output rewritten with its header, and shown.
    const QString header = RExchange::outputHeader(QStringLiteral("crop_yield.KVE"), host.now(), templatePath);
    const QByteArray text = readBytes(data(QStringLiteral("crop_yield_SC1_text1.TXT")));
    EXPECT_TRUE(text.startsWith((header + QStringLiteral("\r\n")).toUtf8())) << text.toStdString();
    EXPECT_TRUE(text.contains("## Using R code file: " + templatePath.toUtf8()));
    EXPECT_TRUE(text.contains("Data points used: 24 (excluded: 1)\r\n")) << text.toStdString();
    ASSERT_EQ(host.texts.size(), 1u);
    EXPECT_EQ(s(host.texts[0].caption), "Results - crop_yield_SC1_text1.TXT");
    // The window shows what the file holds, less the empty line after the header.
    EXPECT_EQ(host.texts[0].text.toUtf8(), header.toUtf8() + text.mid(header.toUtf8().size() + 2));

    // R's console text: the log file and its box.
    const QByteArray log = readBytes(data(QStringLiteral("crop_yield_SC1_log1.LOG")));
    EXPECT_EQ(log.toStdString(), "Data points used: 24\r\n\r\n");
    const RecordingHost::Box* messages = host.box(QStringLiteral("RScript messages"));
    ASSERT_NE(messages, nullptr);
    EXPECT_EQ(s(messages->text), "Data points used: 24\r\n");

    // The picture, shown in a picture window.
    EXPECT_EQ(readBytes(data(QStringLiteral("crop_yield_SC1_graph1.BMP"))).left(2), QByteArray("BM"));
    EXPECT_EQ(s(host.pictures.join(QLatin1Char('|'))), "Graphs - crop_yield_SC1_graph1.BMP");
    EXPECT_EQ(host.refreshes, 1);
    EXPECT_FALSE(host.busyNow);
}

namespace {

// A template of our own beside the dataset; the two lines in front find
// the script's base path whatever the dataset is called.
void writeTemplate(const QString& path, const QByteArray& tagLine, const QByteArray& body)
{
    writeBytes(path, tagLine + "\n"
                     "a <- commandArgs(trailingOnly = FALSE)\n"
                     "base <- sub(\"\\\\.R$\", \"\", gsub(\"~+~\", \" \", sub(\"^--file=\", \"\", "
                     "a[grep(\"^--file=\", a)][1]), fixed = TRUE))\n"
                     + body);
}

} // namespace

TEST_F(RRun, PictureTypesJpgInAWindowPngToTheDesktopWithOneMessage)
{
    RRunRequest request = single(QStringLiteral("pics.KVE"));
    request.templateName = QStringLiteral("SingleCodePics.R");
    writeTemplate(data(QStringLiteral("SingleCodePics.R")), "FILESEL <- \"P1\"",
                  "type <- commandArgs(trailingOnly = TRUE)[1]\n"
                  "dev <- switch(type, JPG = jpeg, PNG = png, BMP = bmp)\n"
                  "for (k in 1:3) { dev(paste0(base, \"_P1_graph\", k, \".\", type)); plot(1:k); dev.off() }\n");
    request.pictureChoice = 1;
    ASSERT_EQ(runRScript(request, host).outcome, RRunResult::Outcome::Completed);
    EXPECT_EQ(s(host.pictures.join(QLatin1Char('|'))),
              "Graphs - pics_P1_graph1.JPG|Graphs - pics_P1_graph2.JPG|Graphs - pics_P1_graph3.JPG");
    EXPECT_EQ(readBytes(data(QStringLiteral("pics_P1_graph1.JPG"))).left(2), QByteArray("\xff\xd8"));
    EXPECT_TRUE(host.opened.isEmpty());

    host = RecordingHost();
    request.pictureChoice = 2;
    ASSERT_EQ(runRScript(request, host).outcome, RRunResult::Outcome::Completed);
    EXPECT_TRUE(host.pictures.isEmpty());
    EXPECT_EQ(host.opened, QStringList({data(QStringLiteral("pics_P1_graph1.PNG")), data(QStringLiteral("pics_P1_graph2.PNG")),
                                        data(QStringLiteral("pics_P1_graph3.PNG"))}));
    EXPECT_EQ(host.boxTexts().count(QStringLiteral("KVE cannot open PNG graphic files. The desktop's picture viewer will open it.")), 1);
    EXPECT_EQ(readBytes(data(QStringLiteral("pics_P1_graph1.PNG"))).mid(1, 3), QByteArray("PNG"));
}

TEST_F(RRun, TemplateWithCrLfLineEndsCopiedThenKept)
{
    RRunRequest request = single(QStringLiteral("crlf.KVE"));
    request.templateName = QStringLiteral("SingleCodeCrLf.R");
    const QByteArray crlf = "FILESEL <- \"CR1\"\r\n"
                            "a <- commandArgs(trailingOnly = FALSE)\r\n"
                            "base <- sub(\"\\\\.R$\", \"\", sub(\"^--file=\", \"\", a[grep(\"^--file=\", a)][1]))\r\n"
                            "writeLines(c(\"first\", \"second\"), paste0(base, \"_CR1_text1.TXT\"))\r\n"
                            "cat(\"done\\r\\n\")\r\n";
    writeBytes(data(QStringLiteral("SingleCodeCrLf.R")), crlf);
    const RRunResult copied = runRScript(request, host);
    ASSERT_EQ(copied.outcome, RRunResult::Outcome::Completed) << s(host.boxTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(readBytes(data(QStringLiteral("crlf.R"))), crlf);
    EXPECT_EQ(copied.tag, QStringLiteral("CR1"));
    EXPECT_EQ(copied.codePath, data(QStringLiteral("SingleCodeCrLf.R")));
    ASSERT_EQ(host.texts.size(), 1u);
    EXPECT_TRUE(host.texts[0].text.endsWith(QStringLiteral("\r\n\r\nfirst\r\nsecond\r\n"))) << s(host.texts[0].text);
    EXPECT_EQ(s(host.box(QStringLiteral("RScript messages"))->text), "done\r\n");

    // The R script file is there, "overwrite" is off and the answer is No:
    // the script is kept, and the header names it as the code used.
    host = RecordingHost();
    request.overwriteScript = false;
    request.templateName = QStringLiteral("SingleCode1.R");
    host.answers = {false};
    const RRunResult kept = runRScript(request, host);
    ASSERT_EQ(kept.outcome, RRunResult::Outcome::Completed) << s(host.boxTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(s(host.questions.join(QLatin1Char('\n'))), s("Do you want to overwrite '" + data(QStringLiteral("crlf.R")) + "' ? | "));
    EXPECT_TRUE(host.boxTexts().contains("The file '" + data(QStringLiteral("crlf.R")) + "' will be used for calculations"));
    EXPECT_EQ(readBytes(data(QStringLiteral("crlf.R"))), crlf);
    ASSERT_EQ(host.texts.size(), 1u);
    EXPECT_TRUE(host.texts[0].text.contains(QStringLiteral("## Using R code file: ") + data(QStringLiteral("crlf.R"))
                                            + QStringLiteral("\r\n")))
        << s(host.texts[0].text);
}

TEST_F(RRun, FailingTemplateShowsRsErrorInTheLogOrItsExitCode)
{
    RRunRequest request = single(QStringLiteral("stop.KVE"));
    request.templateName = QStringLiteral("SingleCodeStop.R");
    writeTemplate(data(QStringLiteral("SingleCodeStop.R")), "FILESEL <- \"ST\"",
                  "writeLines(\"partial\", paste0(base, \"_ST_text1.TXT\"))\n"
                  "cat(\"before\\n\")\n"
                  "stop(\"deliberate failure\")\n");
    ASSERT_EQ(runRScript(request, host).outcome, RRunResult::Outcome::Completed);
    const QByteArray log = readBytes(data(QStringLiteral("stop_ST_log1.LOG")));
    EXPECT_TRUE(log.startsWith("before\r\nError: deliberate failure\r\n")) << log.toStdString();
    ASSERT_NE(host.box(QStringLiteral("RScript messages")), nullptr);
    EXPECT_TRUE(host.box(QStringLiteral("RScript messages"))->text.contains(QStringLiteral("deliberate failure")));
    EXPECT_FALSE(host.boxTexts().join(QLatin1Char('\n')).contains(QStringLiteral("exit code")));
    EXPECT_EQ(host.texts.size(), 1u);            // what R wrote before it stopped is shown

    // Without the log, the exit code says that R failed.
    host = RecordingHost();
    request.showLog = false;
    QFile::remove(data(QStringLiteral("stop_ST_log1.LOG")));
    ASSERT_EQ(runRScript(request, host).outcome, RRunResult::Outcome::Completed);
    EXPECT_TRUE(host.boxTexts().contains(QStringLiteral("R ended with exit code 1"))) << s(host.boxTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(host.box(QStringLiteral("RScript messages")), nullptr);
    EXPECT_FALSE(QFile::exists(data(QStringLiteral("stop_ST_log1.LOG"))));
}

TEST_F(RRun, AStoppedRunSaysWhoStoppedIt)
{
    // R stopped by the user (Cancel) or by KVE (it is closing): no log, no
    // outputs opened, one box that says which, and the lists refreshed.
    class StoppingHost : public RecordingHost {
    public:
        ProcessResult runProgram(const QString&, const QStringList&, const QString&, bool) override
        {
            return stopped;
        }
        ProcessResult stopped;
    };
    const struct {
        const char* name;
        bool cancelled;
        bool abandoned;
        const char* box;
        RHost::Icon icon;
    } cases[] = {
        {"cancelled", true, false, "18 KVE The R run was cancelled.", RHost::Icon::None},
        {"abandoned", false, true, "R was stopped before it had finished: KVE is closing.", RHost::Icon::Critical},
    };
    const RRunRequest request = single(QStringLiteral("stopped.KVE"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StoppingHost stopping;
        stopping.stopped.started = true;
        stopping.stopped.cancelled = c.cancelled;
        stopping.stopped.abandoned = c.abandoned;
        EXPECT_EQ(runRScript(request, stopping).outcome, RRunResult::Outcome::Failed);
        ASSERT_EQ(stopping.boxes.size(), 1u);
        EXPECT_EQ(s(stopping.boxes[0].text), c.box);
        EXPECT_EQ(stopping.boxes[0].icon, c.icon);
        EXPECT_TRUE(stopping.texts.empty());
        EXPECT_EQ(stopping.refreshes, 1);
        EXPECT_FALSE(QFile::exists(data(QStringLiteral("stopped_SC1_log1.LOG"))));
    }
}

TEST_F(RRun, HostileDatasetNamesReachNoShellAndTheirOutputsAreShown)
{
    // The shipped template on datasets whose names a shell, R's picture
    // devices (which read "%" as a format) or a path splitter would take
    // apart: R writes the text and the picture under the dataset's name,
    // and both are shown.
    const char* const names[] = {
        "a \"b\" $(touch x);c",
        "back\\slash",
        "100 % sure %d %s",
        "Gr\xc3\xbc\xc3\x9f""e \xc3\xa9t\xc3\xa9",
        "glob * ? [ab] {c,d} x",
    };
    const QString cwd = QDir::currentPath();
    for (const char* odd : names) {
        host = RecordingHost();
        const QString name = QString::fromUtf8(odd);
        RRunRequest request = single(name + QStringLiteral(".KVE"));
        ASSERT_TRUE(QDir::setCurrent(data(QString())));
        const RRunResult result = runRScript(request, host);
        QDir::setCurrent(cwd);
        ASSERT_EQ(result.outcome, RRunResult::Outcome::Completed) << odd << ": " << s(host.boxTexts().join(QLatin1Char('\n')));
        EXPECT_TRUE(QFile::exists(data(name + QStringLiteral(".CSV")))) << odd;
        EXPECT_TRUE(QFile::exists(data(name + QStringLiteral("_SC1_text1.TXT")))) << odd;
        EXPECT_EQ(readBytes(data(name + QStringLiteral("_SC1_graph1.BMP"))).left(2), QByteArray("BM")) << odd;
        ASSERT_EQ(host.texts.size(), 1u) << odd << ": " << s(host.boxTexts().join(QLatin1Char('\n')));
        EXPECT_EQ(host.texts[0].caption, QStringLiteral("Results - ") + name + QStringLiteral("_SC1_text1.TXT"));
        EXPECT_EQ(host.pictures, QStringList{QStringLiteral("Graphs - ") + name + QStringLiteral("_SC1_graph1.BMP")})
            << odd;
        EXPECT_FALSE(QFile::exists(data(QStringLiteral("x"))));
        EXPECT_FALSE(QFile::exists(cwd + QStringLiteral("/x")));
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("x"))));
    }
}

TEST_F(RRun, GroupRunOnAComparisonFile)
{
    // Three models of the sample's observations; the first and third are
    // ticked, and the legend numbers them 1 and 2.
    QStringList models;
    for (int m = 1; m <= 3; ++m) {
        DatasetFile::LoadResult loaded = DatasetFile::LoadFile(SampleDataset, QStringLiteral("19"), 20);
        ASSERT_TRUE(loaded.ok());
        DatasetFile::DatasetState model;
        DatasetFile::applyContent(*loaded.content, model);
        for (int r = 1; r < model.matrix.upperRow(); ++r)
            if (const auto x = model.matrix.cell(DataMatrix::ColX, r).toNumber())
                model.matrix.setText(DataMatrix::ColX, r, QString::number(*x * (1.0 + 0.05 * m), 'f', 3));
        models << data(QStringLiteral("model %1.KVE").arg(m));
        ASSERT_EQ(DatasetFile::SaveFile(models.last(), model), QString());
    }
    RRunRequest request;
    request.variant = RVariant::Group;
    request.templateName = QStringLiteral("GroupCode1.R");
    request.namedFile = data(QStringLiteral("models.QCX"));
    request.documentsFolder = dir.filePath(QStringLiteral("Documents"));
    request.programFolder = QCoreApplication::applicationDirPath();
    request.modelFiles = {models[0], models[2]};
    request.pictureChoice = 1;
    SettingsStore::SaveSetting(QStringLiteral("RDir"), QStringLiteral("/nowhere/"));

    const RRunResult result = runRScript(request, host);
    ASSERT_EQ(result.outcome, RRunResult::Outcome::Completed) << s(host.boxTexts().join(QLatin1Char('\n')));
    // The group keeps its own R folder.
    EXPECT_TRUE(RProgram::holds(SettingsStore::GetSetting(QStringLiteral("RDirQCX")), RProgram::Rscript));
    EXPECT_EQ(SettingsStore::GetSetting(QStringLiteral("RDir")), QStringLiteral("/nowhere/"));

    const QByteArray csv = readBytes(data(QStringLiteral("models.CSV")));
    EXPECT_TRUE(csv.startsWith("\"Obs\",\"Model1\",\"Model2\"\r\n\"5.94\",\"5.901\",\"6.463\"\r\n")) << csv.toStdString();
    EXPECT_EQ(csv.count("\r\n"), 26);          // the header and the 25 rows

    ASSERT_EQ(host.texts.size(), 1u);
    const QString output = data(QStringLiteral("models_GC1_text1.TXT"));
    EXPECT_EQ(host.texts[0].caption, QStringLiteral("Results - ") + output);
    const QString& text = host.texts[0].text;
    EXPECT_TRUE(text.startsWith(RExchange::titleLine(QStringLiteral("models.CSV"), host.now()) + QStringLiteral("\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("Model Legend\r\n------------\r\n\r\n  1 = ") + models[0]
                              + QStringLiteral("\r\n  2 = ") + models[2] + QStringLiteral("\r\n\r\n")))
        << s(text);
    EXPECT_TRUE(text.contains(QStringLiteral("Model2      25"))) << s(text);
    EXPECT_EQ(s(host.pictures.join(QLatin1Char('|'))), "Graphs - models_GC1_graph1.JPG");
}

TEST_F(RRun, ChecksBeforeRRuns)
{
    // Checks that end a run before R: nothing is written, the lists are not
    // refreshed.
    RRunRequest request = single(QStringLiteral("checks.KVE"));
    DataMatrix noX(5);
    noX.setText(DataMatrix::ColY, 1, QStringLiteral("1"));
    noX.setText(DataMatrix::ColX, 2, QString());
    // Two models whose observations are written differently ("2" and "2.0").
    const QByteArray head = "3,1,0\r\nN=3\r\nDATA:\r\n";
    const QString modelA = data(QStringLiteral("a.KVE"));
    const QString modelB = data(QStringLiteral("b.KVE"));
    writeBytes(modelA, head + "1,,1,,,,\r\n2,,2,,,,\r\n3,,3,,,,\r\n");
    writeBytes(modelB, head + "1,,1,,,,\r\n2,,2.0,,,,\r\n3,,3,,,,\r\n");
    struct Case {
        const char* what;
        std::function<void(RRunRequest&)> change;
        QString message;
    };
    const Case cases[] = {
        {"no X value", [&noX](RRunRequest& r) { r.matrix = &noX; r.sheetRows = 5; }, "No data point was found"},
        {"no template", [](RRunRequest& r) { r.templateName.clear(); }, "You have to select the R script template"},
        {"one model", [](RRunRequest& r) { r.variant = RVariant::Group; r.modelFiles = {SampleDataset}; },
         "At least two files have to be selected for comparison"},
        {"observations that differ",
         [&](RRunRequest& r) { r.variant = RVariant::Group; r.modelFiles = {modelA, modelB}; },
         "Observed values have to be identical!\n\nPlease check observed value # 2 of file '" + modelB
             + "'\n\nCalculation aborted!"},
        {"template nowhere", [](RRunRequest& r) { r.templateName = QStringLiteral("SingleCodeGone.R"); },
         "The R code was not found"},
    };
    for (const Case& c : cases) {
        host = RecordingHost();
        RRunRequest changed = request;
        c.change(changed);
        const RRunResult result = runRScript(changed, host);
        EXPECT_EQ(result.outcome, RRunResult::Outcome::Ended) << c.what;
        EXPECT_EQ(s(host.boxTexts().join(QLatin1Char('\n'))), s(c.message)) << c.what;
        EXPECT_EQ(host.refreshes, 0) << c.what;
        EXPECT_TRUE(host.runs.isEmpty()) << c.what;
        EXPECT_FALSE(QFile::exists(data(QStringLiteral("checks.CSV")))) << c.what;
        EXPECT_FALSE(host.busyNow) << c.what;
    }
    EXPECT_EQ(host.focused, 0);

    // A dataset that is itself a ".CSV" file is never replaced by its data.
    const QString csvDataset = data(QStringLiteral("own.CSV"));
    writeBytes(csvDataset, "keep me");
    host = RecordingHost();
    request.namedFile = csvDataset;
    EXPECT_EQ(runRScript(request, host).outcome, RRunResult::Outcome::Ended);
    EXPECT_EQ(readBytes(csvDataset), QByteArray("keep me"));
}

TEST_F(RRun, LocatingRWhenTheSearchFindsNothing)
{
    RProgram::search() = [](const QString&) { return QString(); };
    RRunRequest request = single(QStringLiteral("locate.KVE"));
    request.templateName.clear();          // the run ends at the template check

    // No: given up, nothing stored.
    host.answers = {false};
    EXPECT_EQ(runRScript(request, host).outcome, RRunResult::Outcome::Ended);
    EXPECT_EQ(s(host.boxTexts().join(QLatin1Char('|'))), "Execution aborted");
    EXPECT_EQ(s(host.questions.join(QLatin1Char('|'))),
              "The Rscript file was not found in your system.\r\n\r\nDo you want to manually locate it? | RScript");
    EXPECT_EQ(SettingsStore::GetSetting(QStringLiteral("RDir")), QString());

    // Nobody answers (the default): given up too, never asked for ever.
    host = RecordingHost();
    EXPECT_EQ(runRScript(request, host).outcome, RRunResult::Outcome::Ended);
    EXPECT_EQ(host.questions.size(), 1);

    // A cancelled dialog and a file elsewhere are refused; any file in R's
    // folder is taken.
    const QString rFolder = RProgram::defaultSearch(RProgram::Rscript).section(QLatin1Char('/'), 0, -2) + QLatin1Char('/');
    host = RecordingHost();
    host.answers = {true, true, true};
    host.files = {QString(), dir.filePath(QStringLiteral("data/locate.KVE")), rFolder + QStringLiteral("R")};
    EXPECT_EQ(runRScript(request, host).outcome, RRunResult::Outcome::Ended);
    EXPECT_EQ(s(host.boxTexts().join(QLatin1Char('|'))),
              "Invalid Rscript location|Invalid Rscript location|You have to select the R script template");
    EXPECT_EQ(s(host.dialogs.join(QLatin1Char('|'))), "Locating Rscript|Locating Rscript|Locating Rscript");
    EXPECT_EQ(SettingsStore::GetSetting(QStringLiteral("RDir")), rFolder);
    EXPECT_EQ(host.focused, 1);

    // The stored folder is used without a search.
    host = RecordingHost();
    EXPECT_EQ(runRScript(request, host).outcome, RRunResult::Outcome::Ended);
    EXPECT_TRUE(host.questions.isEmpty());

    // R path: a cancelled dialog keeps the folder; an empty one is stored
    // empty.
    host = RecordingHost();
    EXPECT_EQ(RProgram::choosePath(RVariant::Single, QStringLiteral("/usr/lib"), host), rFolder);
    SettingsStore::SaveSetting(QStringLiteral("RDir"), QString());
    EXPECT_EQ(RProgram::choosePath(RVariant::Single, QStringLiteral("/usr/lib"), host), QString());
    host.files = {rFolder + QStringLiteral("Rscript")};
    EXPECT_EQ(RProgram::choosePath(RVariant::Group, QStringLiteral("/usr/lib"), host), rFolder);
    EXPECT_EQ(SettingsStore::GetSetting(QStringLiteral("RDirQCX")), rFolder);
    EXPECT_EQ(SettingsStore::GetSetting(QStringLiteral("RDir")), QString());
}
