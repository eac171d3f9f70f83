// The R pages of the main and comparison windows and the picture window:
// a run of the real R that opens its windows, a cancelled endless run, the
// output list's commands, R's console and folder, the picture window's
// layout.
#include "window_fixture.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include "core/program_info.hpp"
#include "core/r_runner.hpp"
#include "core/settings_store.hpp"
#include "platform/process_runner.hpp"
#include "platform/system_info.hpp"
#include "support/test_files.hpp"
#include "ui/dataset_commands.hpp"
#include "ui/frm_compare.hpp"
#include "ui/frm_compare_r.hpp"
#include "ui/frm_graph.hpp"
#include "ui/frm_info.hpp"
#include "ui/r_page.hpp"
#include "ui/twips.hpp"

namespace {

std::string s(const QString& text)
{
    return text.toStdString();
}

class FakeDesktop : public DesktopServices {
public:
    bool startProgram(const QString& program, const QStringList& arguments) override
    {
        started << (QStringList{program} + arguments).join(QLatin1Char('|'));
        return starts;
    }
    QString findExecutable(const QString& name) override
    {
        return installed.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
    }
    QStringList started;
    QStringList installed{QStringLiteral("x-terminal-emulator"), QStringLiteral("xterm")};
    bool starts = true;
};

// R's own folder on this machine, as the R page stores it.
QString rFolder()
{
    const QString rscript = RProgram::defaultSearch(RProgram::Rscript);
    return rscript.left(rscript.lastIndexOf(QLatin1Char('/')) + 1);
}

class RPageTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        setDesktopServices(&desktop);
        SettingsStore::DeleteSetting(QStringLiteral("RDir"));
        SettingsStore::DeleteSetting(QStringLiteral("RDirQCX"));
        programState().DocumentsFolder = dir.filePath(QStringLiteral("Documents"));
        QDir().mkpath(dir.filePath(QStringLiteral("Documents/KVE Files")));
        QDir().mkpath(dir.filePath(QStringLiteral("data")));
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        setDesktopServices(nullptr);
        SettingsStore::DeleteSetting(QStringLiteral("RDir"));
        SettingsStore::DeleteSetting(QStringLiteral("RDirQCX"));
    }

    QString data(const QString& name) const { return dir.filePath(QStringLiteral("data/") + name); }

    // Opens the sample dataset from the data folder as the Open button
    // does, and shows the R page.
    void openSample(const QString& name)
    {
        ASSERT_TRUE(QFile::copy(QStringLiteral(KVE_SOURCE_DIR "/examples/crop_yield.KVE"), data(name)));
        platform->fileDialogs.answers.push_back(data(name));
        ASSERT_TRUE(DatasetCommands::Command8_Click(*window));
        child<QPushButton>(QStringLiteral("CheckButton_4"))->click();
    }
    QStringList outputs() const
    {
        QStringList names;
        auto* list = window->findChild<QListWidget*>(QStringLiteral("ROutputList"));
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        return names;
    }
    void tick(const QString& name, bool ticked = true)
    {
        auto* list = child<QListWidget>(QStringLiteral("ROutputList"));
        const auto items = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << s(name);
        items.first()->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    }
    QStringList ticks() const
    {
        QStringList states;
        auto* list = window->findChild<QListWidget*>(QStringLiteral("ROutputList"));
        for (int i = 0; i < list->count(); ++i)
            states << (list->item(i)->checkState() == Qt::Checked ? QStringLiteral("x") : QStringLiteral("-"));
        return states;
    }
    template <class W>
    QList<W*> windows() const
    {
        QList<W*> found;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* typed = qobject_cast<W*>(w); typed && typed->isVisible())
                found << typed;
        return found;
    }
    QStringList captions(const QList<QWidget*>& list) const
    {
        QStringList titles;
        for (QWidget* w : list)
            titles << w->windowTitle();
        titles.sort();
        return titles;
    }
    template <class W>
    QStringList captionsOf() const
    {
        QList<QWidget*> list;
        for (W* w : windows<W>())
            list << w;
        return captions(list);
    }
    QStringList messageTexts() const
    {
        QStringList texts;
        for (const MessageRequest& m : platform->messages.asked)
            texts << m.text;
        return texts;
    }
    void closeWindows()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != window.get() && (qobject_cast<frmInfo*>(w) || qobject_cast<frmGraph*>(w)))
                w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    FakeDesktop desktop;
};

} // namespace

TEST_F(RPageTest, RunOpensTheResultsAndPictureWindows)
{
    openSample(QStringLiteral("crop_yield.KVE"));
    auto* templates = child<QComboBox>(QStringLiteral("RFile"));
    const int shipped = templates->findText(QStringLiteral("SingleCode1.R"));
    ASSERT_GE(shipped, 0);
    templates->setCurrentIndex(shipped);
    platform->messages.asked.clear();

    child<QPushButton>(QStringLiteral("Command25"))->click();

    EXPECT_EQ(s(captionsOf<frmInfo>().join(QLatin1Char('|'))), "Results - crop_yield_SC1_text1.TXT");
    ASSERT_EQ(windows<frmInfo>().size(), 1);
    const QString text = windows<frmInfo>().first()->text();
    EXPECT_TRUE(text.startsWith(ProgramName() + QStringLiteral(" v. "))) << s(text);
    EXPECT_TRUE(text.contains(QStringLiteral("Data points used: 24 (excluded: 1)"))) << s(text);
    EXPECT_EQ(s(captionsOf<frmGraph>().join(QLatin1Char('|'))), "Graphs - crop_yield_SC1_graph1.BMP");
    ASSERT_EQ(windows<frmGraph>().size(), 1);
    EXPECT_EQ(windows<frmGraph>().first()->picture().size(), QSize(600, 600));
    ASSERT_FALSE(platform->messages.asked.empty());
    EXPECT_EQ(s(platform->messages.asked.front().title), "RScript messages");
    EXPECT_EQ(s(platform->messages.asked.front().text), "Data points used: 24\r\n");
    EXPECT_TRUE(platform->messages.asked.front().consoleText);
    EXPECT_EQ(platform->messages.asked.size(), 1u);

    // The run's files are listed, the template stays chosen, and the R
    // folder found is the one the page shows.
    EXPECT_EQ(s(outputs().join(QLatin1Char('|'))),
              "crop_yield.R|crop_yield_SC1_graph1.BMP|crop_yield_SC1_log1.LOG|crop_yield_SC1_text1.TXT");
    EXPECT_EQ(templates->currentText(), QStringLiteral("SingleCode1.R"));
    child<QPushButton>(QStringLiteral("CheckButton_0"))->click();
    child<QPushButton>(QStringLiteral("CheckButton_4"))->click();
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label22"))->text(), rFolder());
}

TEST_F(RPageTest, CancelStopsAnEndlessTemplateAndTheWindowStaysUsable)
{
    openSample(QStringLiteral("endless.KVE"));
    // R runs in the data folder; the marker says the loop is under way. The
    // loop prints without end, and the log is shown: the output of the
    // cancelled run is dropped, no box shows it.
    ASSERT_TRUE(child<QCheckBox>(QStringLiteral("Check53"))->isChecked());
    writeBytes(data(QStringLiteral("SingleCodeEndless.R")),
               "FILESEL <- \"E\"\nwriteLines(\"x\", \"looping.txt\")\nrepeat cat(strrep(\"x\", 1000), \"\\n\")\n");
    window->Command28_Click();
    auto* templates = child<QComboBox>(QStringLiteral("RFile"));
    templates->setCurrentIndex(templates->findText(QStringLiteral("SingleCodeEndless.R")));
    platform->messages.asked.clear();

    // Cancel once R is in its endless loop.
    bool boxSeen = false;
    QTimer poll;
    QElapsedTimer clock;
    poll.setInterval(100);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (box && box->objectName() == QLatin1String("RunningR") && QFile::exists(data(QStringLiteral("looping.txt")))) {
            boxSeen = true;
            EXPECT_EQ(s(box->labelText()), "Running R...");
            box->cancel();
        }
    });
    poll.start();
    clock.start();
    window->Command25_Click();
    poll.stop();

    EXPECT_TRUE(boxSeen);
    EXPECT_LT(clock.elapsed(), 60000);
    EXPECT_EQ(s(messageTexts().join(QLatin1Char('\n'))), "18 KVE The R run was cancelled.");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // The failure path refreshed the lists; no window was opened.
    EXPECT_EQ(s(outputs().join(QLatin1Char('|'))), "endless.R");
    EXPECT_TRUE(windows<frmInfo>().isEmpty());
    EXPECT_TRUE(QFile::exists(data(QStringLiteral("endless.CSV"))));
}

TEST_F(RPageTest, OnlyTheUserStopsR)
{
    // R waits for a go-ahead file while the test acts on the "Running R..."
    // box. A box hidden by anything but the user comes back and R runs to
    // its end; Cancel, the box's close button and Escape stop R and say so.
    openSample(QStringLiteral("waiting.KVE"));
    writeBytes(data(QStringLiteral("SingleCodeWait.R")),
               "FILESEL <- \"W\"\nwriteLines(\"x\", \"waiting.txt\")\n"
               "for (i in 1:1200) { if (file.exists(\"go.txt\")) break; Sys.sleep(0.05) }\n"
               "cat(\"R ran to its end\\n\")\n");
    window->Command28_Click();
    auto* templates = child<QComboBox>(QStringLiteral("RFile"));
    templates->setCurrentIndex(templates->findText(QStringLiteral("SingleCodeWait.R")));
    child<QCheckBox>(QStringLiteral("Check54"))->setChecked(false);
    child<QCheckBox>(QStringLiteral("Check55"))->setChecked(false);

    const auto runningBox = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("RunningR"))
                return qobject_cast<QProgressDialog*>(w);
        return static_cast<QProgressDialog*>(nullptr);
    };
    const struct {
        const char* name;
        std::function<void(QProgressDialog*)> act;
        bool stops;
    } cases[] = {
        {"hidden", [](QProgressDialog* box) { box->hide(); }, false},
        {"Cancel", [](QProgressDialog* box) { box->findChild<QPushButton*>()->click(); }, true},
        {"closed", [](QProgressDialog* box) { box->close(); }, true},
        {"Escape",
         [](QProgressDialog* box) {
             QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(box, &escape);
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(data(QStringLiteral("waiting.txt")));
        QFile::remove(data(QStringLiteral("go.txt")));
        platform->messages.asked.clear();
        bool acted = false;
        bool cameBack = false;
        QTimer poll;
        poll.setInterval(50);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QProgressDialog* box = runningBox();
            if (!box)
                return;
            if (!acted && box->isVisible() && QFile::exists(data(QStringLiteral("waiting.txt")))) {
                c.act(box);
                acted = true;
            } else if (acted && !c.stops && box->isVisible() && !cameBack) {
                cameBack = true;
                writeBytes(data(QStringLiteral("go.txt")), "go\n");
            }
        });
        poll.start();
        window->Command25_Click();
        poll.stop();

        EXPECT_TRUE(acted);
        EXPECT_EQ(cameBack, !c.stops);
        EXPECT_EQ(s(messageTexts().join(QLatin1Char('\n'))),
                  c.stops ? "18 KVE The R run was cancelled." : "R ran to its end\r\n");
        EXPECT_EQ(runningBox(), nullptr);
    }
}

TEST_F(RPageTest, ALongLogKeepsItsFirstAndLastLines)
{
    // 200,000 numbered lines (some 8 MB): the box and the log file hold the
    // first and the last lines, and a line says how much was left out.
    openSample(QStringLiteral("long.KVE"));
    writeBytes(data(QStringLiteral("SingleCodeLong.R")),
               "FILESEL <- \"L\"\nfor (i in 1:200000) cat(sprintf(\"line %06d %s\\n\", i, strrep(\"x\", 28)))\n");
    window->Command28_Click();
    auto* templates = child<QComboBox>(QStringLiteral("RFile"));
    templates->setCurrentIndex(templates->findText(QStringLiteral("SingleCodeLong.R")));
    platform->messages.asked.clear();
    window->Command25_Click();

    ASSERT_EQ(platform->messages.asked.size(), 1u);
    const MessageRequest& box = platform->messages.asked.front();
    EXPECT_EQ(s(box.title), "RScript messages");
    EXPECT_TRUE(box.consoleText);
    const QString x28(28, QLatin1Char('x'));
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("line 000001 ") + x28 + QStringLiteral("\r\n")));
    EXPECT_TRUE(box.text.endsWith(QStringLiteral("line 200000 ") + x28 + QStringLiteral("\r\n")));
    const QRegularExpression omission(QStringLiteral("\r\n\\[\\.\\.\\. (\\d+) bytes of output left out here \\.\\.\\.\\]\r\n"));
    const QRegularExpressionMatch found = omission.match(box.text);
    ASSERT_TRUE(found.hasMatch());
    EXPECT_GT(found.captured(1).toLongLong(), 200000LL * 40 - ProcessRequest::DefaultOutputLimit);
    // The bound, and a CR more on each line of 41 bytes.
    EXPECT_LE(box.text.size(), ProcessRequest::DefaultOutputLimit / 40 * 41 + 200);
    EXPECT_EQ(readBytes(data(QStringLiteral("long_L_log1.LOG"))), box.text.toUtf8() + "\r\n");
}

TEST_F(RPageTest, OpenDeleteAndCheckAllOnTheOutputList)
{
    programState().DataFileName = data(QStringLiteral("t.KVE"));
    writeBytes(data(QStringLiteral("t.R")), "FILESEL <- \"SC1\"\n");
    writeBytes(data(QStringLiteral("t_SC1_text1.TXT")), "text one\n");
    writeBytes(data(QStringLiteral("t_SC1_log1.LOG")), "log line\r\n");
    for (const char* png : {"t_SC1_graph1.PNG", "t_SC1_graph2.PNG", "t_SC1_graph3.PNG"})
        writeBytes(data(QLatin1String(png)), "not drawn here");
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(data(QStringLiteral("t_SC1_graph1.JPG")), "JPG"));
    writeBytes(data(QStringLiteral("t_SC1_graph2.JPG")), "not a picture");
    window->Command28_Click();
    ASSERT_EQ(s(outputs().join(QLatin1Char('|'))),
              "t.R|t_SC1_graph1.JPG|t_SC1_graph1.PNG|t_SC1_graph2.JPG|t_SC1_graph2.PNG|t_SC1_graph3.PNG|"
              "t_SC1_log1.LOG|t_SC1_text1.TXT");

    // Check/uncheck all follows the first entry.
    tick(QStringLiteral("t_SC1_graph1.PNG"));
    window->Command33_Click();
    EXPECT_EQ(s(ticks().join(QString())), "xxxxxxxx");
    window->Command33_Click();
    EXPECT_EQ(s(ticks().join(QString())), "--------");

    // Open: nothing ticked, then each kind in its own place.
    window->Command26_Click();
    EXPECT_EQ(s(messageTexts().join(QLatin1Char('|'))), "You have to check the files you would like to view");
    platform->messages.asked.clear();
    for (const char* name : {"t.R", "t_SC1_text1.TXT", "t_SC1_log1.LOG", "t_SC1_graph1.JPG", "t_SC1_graph2.JPG",
                             "t_SC1_graph1.PNG", "t_SC1_graph2.PNG", "t_SC1_graph3.PNG"})
        tick(QLatin1String(name));
    window->Command26_Click();
    EXPECT_EQ(platform->launcher.opened, QStringList{data(QStringLiteral("t.R"))});
    EXPECT_EQ(s(captionsOf<frmInfo>().join(QLatin1Char('|'))), "Results - t_SC1_log1.LOG|Results - t_SC1_text1.TXT");
    QStringList infoTexts;
    for (frmInfo* info : windows<frmInfo>())
        infoTexts << info->text();
    infoTexts.sort();
    EXPECT_EQ(s(infoTexts.join(QLatin1Char('|'))), "log line\r\n|text one\r\n");
    EXPECT_EQ(s(captionsOf<frmGraph>().join(QLatin1Char('|'))), "Graphs - t_SC1_graph1.JPG");
    EXPECT_EQ(platform->launcher.documents,
              QStringList({data(QStringLiteral("t_SC1_graph1.PNG")), data(QStringLiteral("t_SC1_graph2.PNG")),
                           data(QStringLiteral("t_SC1_graph3.PNG"))}));
    EXPECT_EQ(s(messageTexts().join(QLatin1Char('|'))),
              s("KVE cannot open PNG graphic files. The desktop's picture viewer will open it.|'"
                + data(QStringLiteral("t_SC1_graph2.JPG")) + "' cannot be read as a picture."));
    // The PNG message belongs to one press.
    platform->messages.asked.clear();
    window->Command26_Click();
    EXPECT_EQ(messageTexts().count(QStringLiteral("KVE cannot open PNG graphic files. The desktop's picture viewer will open it.")), 1);
    closeWindows();

    // Delete: No keeps everything; Yes deletes the ticked files only and
    // refreshes the lists.
    window->Command33_Click();
    EXPECT_EQ(s(ticks().join(QString())), "--------");
    tick(QStringLiteral("t_SC1_text1.TXT"));
    tick(QStringLiteral("t.R"));
    platform->messages.asked.clear();
    platform->messages.answers = {MsgAnswer::No};
    window->Command27_Click();
    ASSERT_EQ(platform->messages.asked.size(), 1u);
    EXPECT_EQ(s(platform->messages.asked[0].text), "Do you confirm deleting ALL selected files?");
    EXPECT_EQ(s(platform->messages.asked[0].title), "R Output");
    EXPECT_TRUE(QFile::exists(data(QStringLiteral("t_SC1_text1.TXT"))));
    platform->messages.answers = {MsgAnswer::Yes};
    window->Command27_Click();
    EXPECT_FALSE(QFile::exists(data(QStringLiteral("t_SC1_text1.TXT"))));
    EXPECT_FALSE(QFile::exists(data(QStringLiteral("t.R"))));
    EXPECT_TRUE(QFile::exists(data(QStringLiteral("t_SC1_log1.LOG"))));
    // Without the script every SC output is listed.
    EXPECT_EQ(s(outputs().join(QLatin1Char('|'))),
              "t_SC1_graph1.JPG|t_SC1_graph1.PNG|t_SC1_graph2.JPG|t_SC1_graph2.PNG|t_SC1_graph3.PNG|t_SC1_log1.LOG");

    // Yes with nothing ticked deletes nothing.
    platform->messages.answers = {MsgAnswer::Yes};
    window->Command27_Click();
    EXPECT_EQ(outputs().size(), 6);

    // No dataset file: both lists empty, nothing to open or delete.
    programState().DataFileName.clear();
    window->Command28_Click();
    EXPECT_TRUE(outputs().isEmpty());
    EXPECT_EQ(child<QComboBox>(QStringLiteral("RFile"))->count(), 0);
}

TEST_F(RPageTest, LoadRAndRPath)
{
    // The stored folder holds R: the console starts at once in the first
    // terminal that is installed and starts; without one a box says why.
    SettingsStore::SaveSetting(QStringLiteral("RDir"), rFolder());
    const QString console = rFolder() + QStringLiteral("R");
    const struct {
        QStringList installed;
        bool starts;
        QString started;
        QString message;
    } cases[] = {
        {{QStringLiteral("x-terminal-emulator"), QStringLiteral("xterm")}, true,
         "/usr/bin/x-terminal-emulator|-e|" + console, QString()},
        {{QStringLiteral("xterm")}, true, "/usr/bin/xterm|-e|" + console, QString()},
        {{}, true, QString(),
         QStringLiteral("R's console could not be opened: no terminal program was found (looked for "
                        "x-terminal-emulator, xterm on the PATH).")},
        {{QStringLiteral("xterm")}, false, "/usr/bin/xterm|-e|" + console,
         QStringLiteral("R's console could not be opened: the terminal program '/usr/bin/xterm' could not be "
                        "started.")},
        {{QStringLiteral("x-terminal-emulator"), QStringLiteral("xterm")}, false,
         "/usr/bin/x-terminal-emulator|-e|" + console + "\n/usr/bin/xterm|-e|" + console,
         QStringLiteral("R's console could not be opened: the terminal programs '/usr/bin/x-terminal-emulator', "
                        "'/usr/bin/xterm' could not be started.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(s(c.installed.join(QLatin1Char(','))) + (c.starts ? " starting" : " failing"));
        desktop.installed = c.installed;
        desktop.starts = c.starts;
        desktop.started.clear();
        platform->messages.asked.clear();
        window->Command29_Click();
        EXPECT_EQ(s(desktop.started.join(QLatin1Char('\n'))), s(c.started));
        EXPECT_EQ(s(messageTexts().join(QLatin1Char('\n'))), s(c.message));
        EXPECT_EQ(child<QLabel>(QStringLiteral("Label22"))->text(), rFolder());
    }
    desktop.starts = true;

    // The program's own search, on a PATH that holds no terminal.
    {
        QTemporaryDir emptyPath;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(emptyPath.path()));
        setDesktopServices(nullptr);
        platform->messages.asked.clear();
        window->Command29_Click();
        setDesktopServices(&desktop);
        qputenv("PATH", path);
        EXPECT_EQ(s(messageTexts().join(QLatin1Char('\n'))), s(cases[2].message));
        ASSERT_EQ(platform->messages.asked.size(), 1u);
        EXPECT_EQ(platform->messages.asked[0].icon, MsgIcon::Critical);
    }
    platform->messages.asked.clear();

    // R path: a file chosen in R's folder stores that folder; a cancelled
    // dialog with nothing stored keeps the folder of the Rscript on the
    // PATH, or, without R anywhere, stores nothing and says so.
    platform->fileDialogs.answers = {rFolder() + QStringLiteral("Rscript")};
    SettingsStore::DeleteSetting(QStringLiteral("RDir"));
    window->Command31_Click();
    EXPECT_EQ(SettingsStore::GetSetting(QStringLiteral("RDir")), rFolder());
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label22"))->text(), rFolder());
    ASSERT_FALSE(platform->fileDialogs.asked.empty());
    EXPECT_EQ(s(platform->fileDialogs.asked.back().title), "R path");
    SettingsStore::DeleteSetting(QStringLiteral("RDir"));
    window->Command31_Click();
    EXPECT_EQ(platform->fileDialogs.asked.back().initialFolder, rFolder());
    EXPECT_EQ(SettingsStore::GetSetting(QStringLiteral("RDir")), rFolder());
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label22"))->text(), rFolder());
    SettingsStore::DeleteSetting(QStringLiteral("RDir"));
    RProgram::search() = [](const QString&) { return QString(); };
    window->Command31_Click();
    RProgram::search() = RProgram::defaultSearch;
    EXPECT_EQ(SettingsStore::GetSetting(QStringLiteral("RDir")), QString());
    EXPECT_EQ(s(child<QLabel>(QStringLiteral("Label22"))->text()), "R path not defined");

    // The comparison window's page reads RDir when RDirQCX is empty and
    // writes nothing when that folder holds R.
    SettingsStore::SaveSetting(QStringLiteral("RDir"), rFolder());
    desktop.installed = {QStringLiteral("xterm")};
    desktop.started.clear();
    frmCompare* compare = frmCompare::instance();
    compare->rFrame()->page()->Command29_Click();
    EXPECT_EQ(s(desktop.started.join(QLatin1Char('\n'))), s("/usr/bin/xterm|-e|" + rFolder() + "R"));
    EXPECT_EQ(SettingsStore::GetSetting(QStringLiteral("RDirQCX")), QString());
    compare->rFrame()->showRFolder();
    EXPECT_EQ(compare->findChild<QLabel*>(QStringLiteral("Label22"))->text(), rFolder());
}

TEST_F(RPageTest, EditTemplateOpensTheWorkAndProgramCopies)
{
    programState().DataFileName = data(QStringLiteral("t.KVE"));
    const QString shipped = QCoreApplication::applicationDirPath() + QStringLiteral("/SingleCode1.R");
    const QString work = dir.filePath(QStringLiteral("Documents/KVE Files/SingleCode1.R"));
    ASSERT_TRUE(QFile::copy(shipped, work));
    writeBytes(data(QStringLiteral("SingleCodeHere.R")), "FILESEL <- \"H\"\n");
    window->Command28_Click();
    auto* templates = child<QComboBox>(QStringLiteral("RFile"));

    templates->setCurrentIndex(templates->findText(QStringLiteral("SingleCode1.R")));
    window->Command32_Click();
    EXPECT_EQ(platform->launcher.opened, QStringList({work, shipped}));
    // A template beside the dataset only opens in neither place.
    platform->launcher.opened.clear();
    templates->setCurrentIndex(templates->findText(QStringLiteral("SingleCodeHere.R")));
    window->Command32_Click();
    EXPECT_TRUE(platform->launcher.opened.isEmpty());
}

TEST_F(RPageTest, ComparisonPageListsGroupTemplatesAndTakesTheTickedModels)
{
    // A list without check boxes counts its selected items.
    QListWidget plain;
    plain.setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const char* path : {"/d/a.KVE", "/d/b.KVE", "/d/c.KVE"})
        plain.addItem(QLatin1String(path));
    plain.item(0)->setSelected(true);
    plain.item(2)->setSelected(true);
    EXPECT_EQ(s(CompareRFrame::tickedFiles(&plain).join(QLatin1Char('|'))), "/d/a.KVE|/d/c.KVE");

    frmCompare* compare = frmCompare::instance();
    QListWidget* models = compare->list();
    for (const char* path : {"/d/a.KVE", "/d/b.KVE", "/d/c.KVE"})
        models->addItem(QLatin1String(path));
    for (int i = 0; i < 3; ++i)
        models->item(i)->setCheckState(i == 1 ? Qt::Checked : Qt::Unchecked);
    EXPECT_EQ(s(CompareRFrame::tickedFiles(models).join(QLatin1Char('|'))), "/d/b.KVE");

    programState().CompareFileName = data(QStringLiteral("models.QCX"));
    writeBytes(data(QStringLiteral("models_GC1_text1.TXT")), "x");
    writeBytes(data(QStringLiteral("models_SC1_text1.TXT")), "x");
    compare->Command28_Click();
    auto* templates = compare->findChild<QComboBox*>(QStringLiteral("RFile"));
    ASSERT_NE(templates, nullptr);
    EXPECT_EQ(templates->itemText(0), QStringLiteral("GroupCode1.R"));
    EXPECT_EQ(templates->count(), 1);
    auto* list = compare->findChild<QListWidget*>(QStringLiteral("ROutputList"));
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("models_GC1_text1.TXT"));

    // One ticked model is refused before R.
    templates->setCurrentIndex(0);
    SettingsStore::SaveSetting(QStringLiteral("RDirQCX"), rFolder());
    compare->rFrame()->page()->Command25_Click();
    EXPECT_EQ(s(messageTexts().join(QLatin1Char('|'))), "At least two files have to be selected for comparison");
    EXPECT_FALSE(QFile::exists(data(QStringLiteral("models.CSV"))));
}

TEST(frmGraphLayout, MarginsAndSizingToThePicture)
{
    // The window's size as built: the image is the 7260 twips square at 120, 120.
    const frmGraph::Layout built = frmGraph::layoutFor(8475 + frmGraph::BorderWidth, 7560 + frmGraph::BorderHeight);
    EXPECT_EQ(built.image, QRect(120, 120, 7260, 7260));
    EXPECT_EQ(built.resizeButton, QPoint(7560, 5640));
    EXPECT_EQ(built.returnButton, QPoint(7560, 6600));

    // A picture of 6000 x 4500 twips: a window of 7340 x 5340 whose image
    // area is 6005 x 4530, the buttons 1035 twips from the right edge.
    EXPECT_EQ(frmGraph::outerSizeFor(QSize(6000, 4500)), QSize(7340, 5340));
    const frmGraph::Layout fitted = frmGraph::layoutFor(7340, 5340);
    EXPECT_EQ(fitted.image, QRect(120, 120, 6005, 4530));
    EXPECT_EQ(fitted.resizeButton, QPoint(6305, 2910));
    EXPECT_EQ(fitted.returnButton, QPoint(6305, 3870));

    // Smaller than the margins: an empty image area, never a negative one.
    const frmGraph::Layout tiny = frmGraph::layoutFor(600, 400);
    EXPECT_EQ(tiny.image.size(), QSize(0, 0));
}

TEST(frmGraphWindow, StretchesResizesAndReturns)
{
    QTemporaryDir dir;
    const QString bmp = dir.filePath(QStringLiteral("p_graph1.BMP"));
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(bmp, "BMP"));
    writeBytes(dir.filePath(QStringLiteral("broken.BMP")), "BM but nothing else");
    EXPECT_EQ(frmGraph::showPicture(dir.filePath(QStringLiteral("broken.BMP")), QStringLiteral("x")), nullptr);

    QPointer<frmGraph> window = frmGraph::showPicture(bmp, QStringLiteral("Graphs - p_graph1.BMP"));
    ASSERT_FALSE(window.isNull());
    auto* image = window->findChild<QLabel*>(QStringLiteral("Image1"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Graphs - p_graph1.BMP"));
    EXPECT_TRUE(window->stretching());
    EXPECT_EQ(image->geometry(), QRect(twips(120), twips(120), twips(7260), twips(7260)));

    // "Resize": the window fits the picture, the image area is the picture
    // plus the sizing margins, and stretching is back on.
    window->showMaximized();
    window->Command1_Click();
    EXPECT_FALSE(window->isMaximized());
    EXPECT_TRUE(window->stretching());
    const QSize outer = window->outerSizeTwips();
    EXPECT_NEAR(outer.width(), 6000 + 1340, 15);
    EXPECT_NEAR(outer.height(), 4500 + 840, 15);
    EXPECT_NEAR(image->width(), twips(6005), 1);
    EXPECT_NEAR(image->height(), twips(4530), 1);
    EXPECT_EQ(window->findChild<QPushButton*>(QStringLiteral("Command1"))->x(), twips(outer.width() - 1035));

    // Dragged larger, the picture stretches over the new area.
    window->resize(700, 600);
    EXPECT_EQ(image->size(), QSize(700 - twips(1215), 600 - twips(300)));

    window->findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}
