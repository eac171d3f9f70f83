// The results window: automatic names, the caption after a save, the save
// dialog, printing to PDF, printer setup, copy, clean, zoom and the batch
// actions of Auto.
#include "window_fixture.hpp"

#include <QDir>

#include <map>
#include <QFile>
#include <QProcess>
#include <QPushButton>

#include <algorithm>

#include "support/printed_page.hpp"
#include "ui/dataset_commands.hpp"
#include "ui/frm_info.hpp"
#include "ui/report_text_view.hpp"
#include "ui/twips.hpp"

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString Report = QStringLiteral("Heading\r\n=======\r\n  1.2345");

} // namespace

class ResultsWindow : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        results = new frmInfo();
        results->setWindowTitle(QStringLiteral("Results - KVE"));
        results->setText(Report);
        results->show();
        folder = dir.filePath(QStringLiteral("results"));
        QDir().mkpath(folder);
        programState().ResultsFolder = folder;
    }
    QCheckBox* box(const char* name) { return results->findChild<QCheckBox*>(QLatin1String(name)); }
    ReportTextView* text() { return results->findChild<ReportTextView*>(QStringLiteral("TxtInfo")); }

    QPointer<frmInfo> results;
    QString folder;
};

TEST_F(ResultsWindow, AutomaticNamesTakeTheFirstFreeNumber)
{
    box("Check2")->setChecked(true);
    results->Command3_Click();
    results->Command3_Click();
    EXPECT_EQ(readAll(folder + QStringLiteral("/Notes0000.TXT")), (Report + QStringLiteral("\r\n")).toUtf8());
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Notes0001.TXT")));
    QFile::remove(folder + QStringLiteral("/Notes0000.TXT"));
    results->Command3_Click();
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Notes0000.TXT")));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/Notes0002.TXT")));
    EXPECT_TRUE(platform->messages.asked.empty());
    EXPECT_TRUE(platform->fileDialogs.asked.empty());
}

TEST_F(ResultsWindow, CaptionAfterASaveStartsWithTheTag)
{
    box("Check2")->setChecked(true);
    results->Command3_Click();
    const QString path = folder + QStringLiteral("/Notes0000.TXT");
    EXPECT_EQ(results->windowTitle(), QStringLiteral(" (...") + path.right(20) + QLatin1Char(')'));
    results->setTag(QStringLiteral("Report"));
    results->Command3_Click();
    EXPECT_EQ(results->windowTitle(), QStringLiteral("Report (...") + (folder + QStringLiteral("/Notes0001.TXT")).right(20)
                                          + QLatin1Char(')'));
}

TEST_F(ResultsWindow, SaveDialogCancelAndOverwriteQuestion)
{
    // Cancel: nothing written, caption as it was.
    results->Command3_Click();
    ASSERT_EQ(platform->fileDialogs.asked.size(), 1u);
    const FileDialogRequest& request = platform->fileDialogs.asked[0];
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.title, QStringLiteral("Save"));
    EXPECT_EQ(request.filter, QStringLiteral("All Files (*.*)|*.*|Text Files(*.TXT)|*.TXT"));
    EXPECT_EQ(request.filterIndex, 2);
    EXPECT_EQ(request.initialFolder, folder);
    EXPECT_EQ(results->windowTitle(), QStringLiteral("Results - KVE"));
    EXPECT_TRUE(QDir(folder).isEmpty());

    // An existing file: No keeps it, Yes replaces it.
    const QString path = folder + QStringLiteral("/mine.txt");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("keep");
    f.close();
    platform->fileDialogs.answers = {path, path};
    platform->messages.answers = {MsgAnswer::No, MsgAnswer::Yes};
    results->Command3_Click();
    EXPECT_EQ(readAll(path), QByteArray("keep"));
    ASSERT_EQ(platform->messages.asked.size(), 1u);
    EXPECT_EQ(platform->messages.asked[0].text,
              QStringLiteral("The file '") + path + QStringLiteral("' already exists!\r\nDo you want to overwrite it?"));
    EXPECT_EQ(platform->messages.asked[0].defaultAnswer, MsgAnswer::No);
    EXPECT_EQ(platform->messages.asked[0].icon, MsgIcon::Question);
    results->Command3_Click();
    EXPECT_EQ(readAll(path), (Report + QStringLiteral("\r\n")).toUtf8());
}

TEST_F(ResultsWindow, SaveDialogStartsInTheUsersFolders)
{
    // Without a results folder: the dataset's folder, else the work folder;
    // never the program's own folder.
    ProgramState& state = programState();
    state.ResultsFolder.clear();
    state.DocumentsFolder = dir.path();
    const struct {
        QString dataFile;
        QString start;
    } cases[] = {
        {dir.filePath(QStringLiteral("trials/T.KVE")), dir.filePath(QStringLiteral("trials/"))},
        {QString(), dir.filePath(QStringLiteral("KVE Files"))},
    };
    for (const auto& c : cases) {
        state.DataFileName = c.dataFile;
        results->Command3_Click();
        ASSERT_FALSE(platform->fileDialogs.asked.empty());
        EXPECT_EQ(platform->fileDialogs.asked.back().initialFolder, c.start) << c.dataFile.toStdString();
    }
}

TEST_F(ResultsWindow, AutomaticNamesGoToTheUsersFolders)
{
    // "Auto saving name?" without a folder from the command line: the
    // dataset's folder, else the work folder. "Edit" writes into the work
    // folder. Never the program's own folder.
    ProgramState& state = programState();
    state.ResultsFolder.clear();
    state.DocumentsFolder = dir.path();
    QDir().mkpath(dir.filePath(QStringLiteral("trials")));
    QDir().mkpath(dir.filePath(QStringLiteral("KVE Files")));
    const struct {
        QString dataFile;
        QString saved;
    } cases[] = {
        {dir.filePath(QStringLiteral("trials/T.KVE")), dir.filePath(QStringLiteral("trials/Notes0000.TXT"))},
        {QString(), dir.filePath(QStringLiteral("KVE Files/Notes0000.TXT"))},
    };
    box("Check2")->setChecked(true);
    for (const auto& c : cases) {
        state.DataFileName = c.dataFile;
        results->Command3_Click();
        EXPECT_EQ(readAll(c.saved), (Report + QStringLiteral("\r\n")).toUtf8()) << c.saved.toStdString();
    }
    state.DataFileName = dir.filePath(QStringLiteral("trials/T.KVE"));
    results->Command20_Click();
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("KVE Files/Results0000.TXT"))), (Report + QStringLiteral("\r\n")).toUtf8());
    EXPECT_TRUE(QDir(QCoreApplication::applicationDirPath()).entryList({QStringLiteral("*.TXT")}, QDir::Files).isEmpty());
    state.DataFileName.clear();
}

TEST_F(ResultsWindow, BatchActionsTellWhatWasNotDone)
{
    // The command line learns of a report that was not saved or printed,
    // with the reason.
    ProgramState& state = programState();
    state.BatchMode = true;
    state.SaveResultsFlag = true;
    state.PrintResultsFlag = true;
    const struct {
        QString resultsFolder;
        bool noPrinter;
        const char* saveFailure; // start of the reason; empty: saved
        const char* printFailure;
    } cases[] = {
        {folder, false, "", ""},
        {dir.filePath(QStringLiteral("no such folder")), false, "the report could not be saved in ", ""},
        {folder, true, "", "the report could not be printed: No printer is installed."},
    };
    for (const auto& c : cases) {
        state.ResultsFolder = c.resultsFolder;
        platform->printer.noPrinter = c.noPrinter;
        auto* w = new frmInfo();
        w->setText(Report);
        std::map<frmInfo::BatchStep, QString> steps;
        QObject::connect(w, &frmInfo::batchStepDone,
                         [&](frmInfo::BatchStep step, const QString& failure) { steps[step] = failure; });
        w->show();
        w->findChild<QCheckBox*>(QStringLiteral("Auto"))->setChecked(true);
        ASSERT_EQ(steps.size(), 2u);
        const QString& saveFailure = steps[frmInfo::BatchStep::Save];
        if (*c.saveFailure)
            EXPECT_TRUE(saveFailure.startsWith(QLatin1String(c.saveFailure))) << saveFailure.toStdString();
        else
            EXPECT_TRUE(saveFailure.isEmpty()) << saveFailure.toStdString();
        EXPECT_EQ(steps[frmInfo::BatchStep::Print], QLatin1String(c.printFailure));
        delete w;
    }
    state.BatchMode = false;
}

TEST_F(ResultsWindow, SaveIntoAMissingFolderReportsTheError)
{
    programState().ResultsFolder = dir.filePath(QStringLiteral("no such folder"));
    box("Check2")->setChecked(true);
    results->Command3_Click();
    ASSERT_EQ(platform->messages.asked.size(), 1u);
    EXPECT_EQ(platform->messages.asked[0].title, QStringLiteral("Info"));
    EXPECT_EQ(platform->messages.asked[0].icon, MsgIcon::Critical);
    EXPECT_FALSE(platform->messages.asked[0].text.isEmpty());
    EXPECT_EQ(results->windowTitle(), QStringLiteral("Results - KVE"));
}

TEST_F(ResultsWindow, PrintsTheWholeTextInCourierNew8)
{
    results->Command2_Click();
    ASSERT_EQ(platform->printer.jobs.size(), 1u);
    EXPECT_EQ(platform->printer.jobs[0].text, Report);
    EXPECT_EQ(platform->printer.jobs[0].fontFamily, QStringLiteral("Courier New"));
    EXPECT_EQ(platform->printer.jobs[0].pointSize, 8.0);
    EXPECT_TRUE(readAll(platform->printer.pdfFiles[0]).startsWith("%PDF"));

    // No printer: the failure is reported, not passed as success.
    platform->printer.noPrinter = true;
    results->Command2_Click();
    EXPECT_EQ(platform->printer.jobs.size(), 1u);
    ASSERT_EQ(platform->messages.asked.size(), 1u);
    EXPECT_EQ(platform->messages.asked[0].title, QStringLiteral("Info"));
    EXPECT_EQ(platform->messages.asked[0].icon, MsgIcon::Critical);
}

TEST_F(ResultsWindow, PrintsAtTheTypeSizeAtEveryResolution)
{
    // Two marks 80 columns apart in 8-point Courier New: 80 advances of
    // 1229/2048 em (the advance of every character of Courier New and of
    // its metric twin Liberation Mono) = 384.06 points, and so many pixels
    // on the page rendered at 72 dots per inch. Lines 1 and 41: 40 line
    // spacings lower, at least 40 x 8 points.
    const QString marks = QStringLiteral("X\r\n") + QStringLiteral("\r\n").repeated(39) + QString(80, QLatin1Char(' '))
                          + QStringLiteral("X");
    results->setText(marks);
    for (int resolution : {96, 1200}) {
        platform->printer.resolution = resolution;
        results->Command2_Click();
        const QImage page = renderedPage(platform->printer.pdfFiles.back());
        ASSERT_FALSE(page.isNull());
        const std::vector<int> columns = inkColumnStarts(page);
        ASSERT_EQ(columns.size(), 2u) << resolution;
        EXPECT_NEAR(columns[1] - columns[0], 384.06, 1.5) << resolution;
        const QRect ink = inkBounds(page);
        EXPECT_GT(ink.height(), 40 * 8) << resolution;
        EXPECT_LT(ink.height(), 40 * 8 * 1.3) << resolution;
    }
}

TEST_F(ResultsWindow, APrintedReportLosesNoTextOfItsLongLines)
{
    // The sample's report with every section, as Calculate shows it; its
    // literature lines are far wider than a page. Every character of it
    // but the blanks is found in the printed PDF's text, in order.
    const QString sample = dir.filePath(QStringLiteral("crop_yield.KVE"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KVE_SOURCE_DIR "/examples/crop_yield.KVE"), sample));
    platform->fileDialogs.answers.push_back(sample);
    ASSERT_TRUE(DatasetCommands::Command8_Click(*window));
    window->Command6_Click();
    frmInfo* report = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* info = qobject_cast<frmInfo*>(w);
            info && info->windowTitle() == QStringLiteral("Results - KVE v. 3.1.0 - crop_yield.KVE"))
            report = info;
    ASSERT_NE(report, nullptr);
    const QString text = report->text();
    qsizetype widest = 0;
    for (const QString& line : text.split(QStringLiteral("\r\n")))
        widest = std::max(widest, line.size());
    ASSERT_GT(widest, 150) << "a line wider than any page";

    report->Command2_Click();
    ASSERT_EQ(platform->printer.pdfFiles.size(), 1u);
    QProcess extract;
    extract.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                                platform->printer.pdfFiles[0], QStringLiteral("-")});
    ASSERT_TRUE(extract.waitForFinished(120000));
    ASSERT_EQ(extract.exitCode(), 0) << extract.readAllStandardError().toStdString();
    const auto withoutBlanks = [](const QString& t) {
        QString kept;
        for (const QChar c : t)
            if (!c.isSpace())
                kept += c;
        return kept;
    };
    const QString printed = withoutBlanks(QString::fromUtf8(extract.readAllStandardOutput()));
    const QString expected = withoutBlanks(text);
    if (printed != expected) {
        qsizetype at = 0;
        while (at < printed.size() && at < expected.size() && printed[at] == expected[at])
            ++at;
        FAIL() << "the print differs after " << at << " characters: report \"" << expected.mid(at, 60).toStdString()
               << "\", print \"" << printed.mid(at, 60).toStdString() << "\"";
    }
}

TEST_F(ResultsWindow, PrinterSetupPrintsWithTheChosenSettingsAndLeavesTheClipboard)
{
    platform->clipboard.content = QStringLiteral("user's text");
    platform->printer.setupAnswer.copies = 2;
    platform->printer.setupAnswer.landscape = true;
    results->Command8_Click();
    ASSERT_EQ(platform->printer.setupTitles.size(), 1u);
    EXPECT_EQ(platform->printer.setupTitles[0], QStringLiteral("Printer"));
    ASSERT_EQ(platform->printer.jobs.size(), 1u);
    EXPECT_EQ(platform->printer.jobs[0].settings.copies, 2);
    EXPECT_TRUE(platform->printer.jobs[0].settings.landscape);
    EXPECT_EQ(platform->clipboard.content, QStringLiteral("user's text"));
    EXPECT_EQ(platform->clipboard.clears, 0);

    // Without a printer, a PDF file chosen in the dialog is still printed
    // into; only a print on paper fails.
    platform->printer.noPrinter = true;
    platform->printer.setupAnswer.outputFile = dir.filePath(QStringLiteral("report.pdf"));
    results->Command8_Click();
    ASSERT_EQ(platform->printer.jobs.size(), 2u);
    EXPECT_EQ(platform->printer.jobs[1].settings.outputFile, dir.filePath(QStringLiteral("report.pdf")));
    EXPECT_TRUE(platform->messages.asked.empty());
    results->Command2_Click();
    EXPECT_EQ(platform->printer.jobs.size(), 2u);
    ASSERT_EQ(platform->messages.asked.size(), 1u);
    EXPECT_EQ(platform->messages.asked[0].text, QStringLiteral("No printer is installed."));
    platform->messages.asked.clear();
    platform->printer.noPrinter = false;

    // Cancelling the dialog prints nothing and says so under "Plot".
    platform->printer.cancelSetup = true;
    results->Command8_Click();
    EXPECT_EQ(platform->printer.jobs.size(), 2u);
    ASSERT_EQ(platform->messages.asked.size(), 1u);
    EXPECT_EQ(platform->messages.asked[0].title, QStringLiteral("Plot"));
}

TEST_F(ResultsWindow, CopyCleanAndZoom)
{
    results->Command4_Click();
    EXPECT_EQ(platform->clipboard.content, Report);
    ASSERT_EQ(platform->messages.asked.size(), 1u);
    EXPECT_EQ(platform->messages.asked[0].text, QStringLiteral("Information copied in the Clipboard"));
    EXPECT_EQ(platform->messages.asked[0].icon, MsgIcon::Information);

    platform->messages.answers = {MsgAnswer::No, MsgAnswer::Yes};
    results->Command5_Click();
    EXPECT_EQ(results->text(), Report);
    EXPECT_EQ(platform->messages.asked[1].text, QStringLiteral("Do you want to erase the current notes?"));
    results->Command5_Click();
    EXPECT_TRUE(results->text().isEmpty());

    EXPECT_EQ(text()->font().pointSize(), 9);
    results->Command6_Click(1);
    EXPECT_EQ(text()->font().pointSize(), 10);
    for (int i = 0; i < 100; ++i)
        results->Command6_Click(0);
    EXPECT_EQ(text()->font().pointSize(), frmInfo::MinPointSize);
    for (int i = 0; i < 100; ++i)
        results->Command6_Click(1);
    EXPECT_EQ(text()->font().pointSize(), frmInfo::MaxPointSize);
}

TEST_F(ResultsWindow, EditingBoldColoursAndSize)
{
    EXPECT_TRUE(text()->isReadOnly());
    box("Check1")->setChecked(true);
    EXPECT_FALSE(text()->isReadOnly());
    box("Check5")->setChecked(true);
    EXPECT_TRUE(text()->font().bold());
    const QString plainText = text()->styleSheet();
    const QString plainBox = box("Check4")->styleSheet();
    box("Check4")->setChecked(true);
    EXPECT_TRUE(text()->styleSheet().contains(QStringLiteral("#0000FF")));
    EXPECT_EQ(box("Check4")->styleSheet().contains(QStringLiteral("#0000FF")), false);
    box("Check4")->setChecked(false);
    EXPECT_EQ(text()->styleSheet(), plainText);
    EXPECT_EQ(box("Check4")->styleSheet(), plainBox);

    const QSize size = results->size();
    box("Check3")->setChecked(true);
    EXPECT_TRUE(results->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(results->isVisible());
    EXPECT_EQ(results->size(), size);
    box("Check3")->setChecked(false);
    EXPECT_FALSE(results->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // A chart information window asks for 7,000 by 5,000 and opens 7,150 wide.
    results->setSizeTwips(7000, 5000);
    EXPECT_EQ(results->width(), twips(7150));
    EXPECT_EQ(results->height(), twips(5000));
    results->resize(10, 10);
    EXPECT_EQ(results->width(), twips(7150));
    EXPECT_EQ(results->height(), twips(4500));
}

TEST_F(ResultsWindow, EditorOpensANumberedResultsFileInTheWorkFolder)
{
    programState().DocumentsFolder = dir.path();
    QDir().mkpath(dir.filePath(QStringLiteral("KVE Files")));
    results->Command20_Click();
    results->Command20_Click();
    const QString first = dir.path() + QStringLiteral("/KVE Files/Results0000.TXT");
    const QString second = dir.path() + QStringLiteral("/KVE Files/Results0001.TXT");
    EXPECT_EQ(platform->launcher.opened, QStringList({first, second}));
    EXPECT_EQ(readAll(first), (Report + QStringLiteral("\r\n")).toUtf8());
    EXPECT_TRUE(platform->messages.asked.empty());
}

TEST_F(ResultsWindow, AutoActsOnEveryCombinationOfTheBatchFlags)
{
    for (int flags = 0; flags < 8; ++flags) {
        const bool save = flags & 1, print = flags & 2, show = flags & 4;
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        platform->printer.jobs.clear();
        platform->launcher.opened.clear();
        ProgramState& state = programState();
        state.BatchMode = true;
        state.SaveResultsFlag = save;
        state.PrintResultsFlag = print;
        state.ShowResultsFlag = show;
        QPointer<frmInfo> w = window->showResults(QStringLiteral("Results - KVE"), Report, true);
        QApplication::processEvents();
        const QString saved = folder + QStringLiteral("/Notes0000.TXT");
        EXPECT_EQ(QFile::exists(saved), save) << flags;
        EXPECT_EQ(platform->printer.jobs.size(), print ? 1u : 0u) << flags;
        EXPECT_EQ(w.isNull() || !w->isVisible(), show) << flags;
        EXPECT_EQ(platform->launcher.opened, save && show ? QStringList{saved} : QStringList{}) << flags;
        delete w.data();
        state.BatchMode = false;
    }
    // Outside a batch the ticked box does nothing.
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    programState().SaveResultsFlag = true;
    QPointer<frmInfo> w = window->showResults(QStringLiteral("Results - KVE"), Report, true);
    EXPECT_FALSE(w->findChild<QCheckBox*>(QStringLiteral("Auto"))->isChecked());
    w->findChild<QCheckBox*>(QStringLiteral("Auto"))->setChecked(true);
    EXPECT_TRUE(QDir(folder).isEmpty());
    EXPECT_TRUE(platform->messages.asked.empty());
}
