// The production platform layers that can run unattended: the choice and
// start of an editor, printing to PDF and the file-dialog filters.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>

#include <gtest/gtest.h>

#include "platform/console_text_box.hpp"
#include "platform/qt_platform_services.hpp"
#include "support/printed_page.hpp"

TEST(PlatformLayers, EditorChoiceVisualThenTheDesktopThenATerminalEditor)
{
    // A name a shell would act on: always one argument of its own.
    const QString path = QStringLiteral("/home/u/KVE Files/Results 0000; rm -rf x $(id).TXT");
    const struct {
        const char* visual;
        const char* editor;
        QStringList installed;
        QStringList command; // program, then arguments; empty: none found
    } cases[] = {
        // $VISUAL first, split into program and arguments.
        {"gedit --new-window", "vim", {"gedit", "xdg-open", "xterm"}, {"/usr/bin/gedit", "--new-window", path}},
        // Unset or naming nothing installed: the desktop's default application.
        {"", "nano", {"xdg-open", "x-terminal-emulator", "nano"}, {"/usr/bin/xdg-open", path}},
        {"no-such-editor", "", {"xdg-open"}, {"/usr/bin/xdg-open", path}},
        // No opener: the terminal editor inside a terminal emulator.
        {"", "vim -u NONE", {"vim", "x-terminal-emulator", "xterm"},
         {"/usr/bin/x-terminal-emulator", "-e", "/usr/bin/vim", "-u", "NONE", path}},
        {"", "nano", {"nano", "xterm"}, {"/usr/bin/xterm", "-e", "/usr/bin/nano", path}},
        // Nothing that could show the file.
        {"", "nano", {"nano"}, {}},
        {"", "", {"xterm"}, {}},
    };
    for (const auto& c : cases) {
        EditorEnvironment environment;
        environment.visual = QLatin1String(c.visual);
        environment.editor = QLatin1String(c.editor);
        const QStringList installed = c.installed;
        environment.findExecutable = [installed](const QString& name) {
            return installed.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
        };
        const std::optional<EditorCommand> command = chooseEditor(path, environment);
        const QStringList got = command ? QStringList{command->program} + command->arguments : QStringList{};
        EXPECT_EQ(got, c.command) << c.visual << " | " << c.editor;
    }
}

namespace {

// Runs the event loop until `done` holds or ten seconds passed.
template <class Condition>
bool waitFor(Condition done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    return done();
}

QString writeScript(const QString& path, const QByteArray& body)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write("#!/bin/sh\n" + body);
    f.close();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

TEST(PlatformLayers, EditorIsStartedWithoutAShell)
{
    QTemporaryDir dir;
    const QString record = dir.filePath(QStringLiteral("arguments.txt"));
    const QString script = writeScript(dir.filePath(QStringLiteral("editor.sh")),
                                       "printf '%s|' \"$#\" \"$@\" > \"$KVE_TEST_RECORD.tmp\"\n"
                                       "mv \"$KVE_TEST_RECORD.tmp\" \"$KVE_TEST_RECORD\"\n");
    qputenv("KVE_TEST_RECORD", record.toLocal8Bit());

    const QString path = dir.filePath(QStringLiteral("Results 0000; rm -rf x $(id).TXT"));
    QStringList failures;
    DesktopLauncherService::start({script, {QStringLiteral("--wait"), path}},
                                  [&failures](const QString& reason) { failures << reason; });
    ASSERT_TRUE(waitFor([&] { return QFile::exists(record); }));
    QFile f(record);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(f.readAll()), QStringLiteral("2|--wait|") + path + QLatin1Char('|'));
    // It ended well: nobody is told anything.
    QCoreApplication::processEvents();
    EXPECT_TRUE(failures.isEmpty()) << failures.join(' ').toStdString();

    // Where nobody sees windows, no editor and no opener is started, and
    // they say so.
    ASSERT_TRUE(nobodyCanSeeWindows());
    DesktopLauncherService().editFile(path, [&failures](const QString& reason) { failures << reason; });
    DesktopLauncherService().openDocument(path, [&failures](const QString& reason) { failures << reason; });
    EXPECT_EQ(failures, QStringList({QStringLiteral("there is no display to show an editor on."),
                                     QStringLiteral("there is no display to show it on.")}));
}

TEST(PlatformLayers, AnOpenerThatFailsIsToldOnceWithItsReason)
{
    // The opener's own complaints go nowhere; how it ended is told once, in
    // words for xdg-open's documented statuses.
    QTemporaryDir dir;
    const QByteArray complaints = "i=0; while [ $i -lt 17 ]; do echo \"complaint $i\" >&2; i=$((i+1)); done\n";
    const struct {
        QString program;
        QString failure;
    } cases[] = {
        {writeScript(dir.filePath(QStringLiteral("xdg-open")), complaints + "exit 3\n"),
         QStringLiteral("no program to open files of its type was found.")},
        {writeScript(dir.filePath(QStringLiteral("viewer")), complaints + "exit 4\n"),
         QStringLiteral("viewer ended with status 4.")},
        {writeScript(dir.filePath(QStringLiteral("crasher")), "kill -SEGV $$\n"),
         QStringLiteral("crasher ended abnormally.")},
        {dir.filePath(QStringLiteral("missing")), QStringLiteral("missing could not be started (")},
    };
    for (const auto& c : cases) {
        QStringList failures;
        DesktopLauncherService::start({c.program, {dir.filePath(QStringLiteral("KVE.html"))}},
                                      [&failures](const QString& reason) { failures << reason; });
        ASSERT_TRUE(waitFor([&] { return !failures.isEmpty(); })) << c.program.toStdString();
        QCoreApplication::processEvents();
        ASSERT_EQ(failures.size(), 1) << failures.join('|').toStdString();
        EXPECT_TRUE(failures[0].startsWith(c.failure)) << failures[0].toStdString();
    }
    EXPECT_EQ(DesktopLauncherService::failureOf(QStringLiteral("/usr/bin/xdg-open"), false, 2),
              QStringLiteral("the desktop's opener did not find it."));
    EXPECT_EQ(DesktopLauncherService::failureOf(QStringLiteral("/usr/bin/xdg-open"), false, 0), QString());
}

TEST(PlatformLayers, PrintsLongTextOverSeveralPdfPages)
{
    QTemporaryDir dir;
    PrintJob job;
    for (int i = 0; i < 300; ++i)
        job.text += QStringLiteral("line %1\r\n").arg(i);
    QString error;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QtPrinterService printer(pdf);
    ASSERT_TRUE(printer.print(job, error)) << error.toStdString();
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    // 300 lines of 8 pt text need more than one A4 or Letter page.
    EXPECT_GE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 2);

    // A PDF that cannot be written is an error, not a success.
    QtPrinterService nowhere(dir.filePath(QStringLiteral("missing/folder/out.pdf")));
    EXPECT_FALSE(nowhere.print(job, error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(PlatformLayers, PrintedLinesWiderThanThePageGoOnIndented)
{
    // One unit per character, as in a fixed-pitch font; rows of 20.
    const auto advance = [](const QString& text) { return double(text.size()); };
    struct Case {
        const char* line;
        QStringList rows;
    };
    const Case cases[] = {
        {"fits in one row", {"fits in one row"}},
        {"exactly twenty chars", {"exactly twenty chars"}},
        {"", {""}},
        // Broken after the last blank that fits; blanks at the break dropped.
        {"Tolerance of the measurement method", {"Tolerance of the", "    measurement", "    method"}},
        {"   Smith J (2001) clinical measurement", {"   Smith J (2001)", "       clinical", "       measurement"}},
        // A word wider than a row is broken inside.
        {"x 0123456789012345678901234567", {"x", "    0123456789012345", "    678901234567"}},
        {"01234567890123456789ABCDE", {"01234567890123456789", "    ABCDE"}},
        // Blanks at the end of a row, and many between words.
        {"a b c d e f g h i j k l m n", {"a b c d e f g h i j", "    k l m n"}},
        {"left        and right      columns", {"left        and", "    right", "    columns"}},
        // An indent wider than half the row is held to half the row.
        {"                abcdefgh ijklmnop", {"                abcd", "          efgh", "          ijklmnop"}},
    };
    for (const Case& c : cases) {
        const QStringList rows = printedRows(QLatin1String(c.line), 20, advance);
        EXPECT_EQ(rows, c.rows) << c.line << " -> " << rows.join(QLatin1Char('|')).toStdString();
        // Every non-blank character is printed, in order, and no row is wider than the page.
        QString printed = rows.join(QString());
        printed.remove(QLatin1Char(' '));
        EXPECT_EQ(printed, QString(QLatin1String(c.line)).remove(QLatin1Char(' '))) << c.line;
        for (const QString& row : rows)
            EXPECT_LE(row.size(), 20) << c.line;
    }
}

TEST(PlatformLayers, PrintToAPdfFileNeedsNoPrinter)
{
    // What the printer dialog chose for "Print to File (PDF)" comes back as
    // the job's output file ...
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("chosen.pdf"));
    QPrinter chosen;
    chosen.setOutputFormat(QPrinter::PdfFormat);
    chosen.setOutputFileName(pdf);
    chosen.setCopyCount(2);
    PrintJob job;
    job.text = QStringLiteral("report\r\n");
    job.settings = QtPrinterService::chosenSettings(chosen);
    EXPECT_EQ(job.settings.outputFile, pdf);
    EXPECT_EQ(job.settings.copies, 2);

    // ... and is printed into, printers or none.
    QtPrinterService printer;
    QString error;
    ASSERT_TRUE(printer.print(job, error)) << error.toStdString();
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("%PDF"));

    // A print on paper without a printer says why.
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed here";
    job.settings = PrintSettings();
    EXPECT_FALSE(printer.print(job, error));
    EXPECT_EQ(error, QStringLiteral("No printer is installed."));
}

TEST(PlatformLayers, ClassicFiltersBecomeQtNameFilters)
{
    EXPECT_EQ(QtFileDialogService::nameFilters(QStringLiteral("All Files (*.*)|*.*|Text Files(*.TXT)|*.TXT")),
              QStringList({QStringLiteral("All Files (*.*)"), QStringLiteral("Text Files (*.TXT *.txt)")}));
    EXPECT_EQ(QtFileDialogService::nameFilters(QStringLiteral("KVE Files (*.KVE)|*.KVE")),
              QStringList({QStringLiteral("KVE Files (*.KVE *.kve)")}));
}

TEST(PlatformLayers, ASavedNameWithoutEndingGetsTheChosenFiltersEnding)
{
    // The endings a filter names are its "*.X" patterns; the chosen filter
    // gives its first. A name that ends in any of them (either case) stays.
    const QString dataset = QStringLiteral("All Files (*.*)|*.*|KVE Files (*.KVE)|*.KVE");
    const QString pictures = QStringLiteral("Bitmap (*.Bmp)|*.Bmp|PNG (*.Png)|*.Png|JPEG (*.Jpg;*.Jpeg)|*.Jpg;*.Jpeg");
    struct Case {
        const char* path;
        const QString& filter;
        int chosen;
        const char* saved;
    };
    const Case cases[] = {
        {"/d/my trial", dataset, 2, "/d/my trial.KVE"},
        {"/d/t.kve", dataset, 2, "/d/t.kve"},
        {"/d/data.txt", dataset, 2, "/d/data.txt.KVE"},
        {"/d.v2/x", dataset, 2, "/d.v2/x.KVE"},
        {"/d/x.", dataset, 2, "/d/x.KVE"},
        {"/d/plain", dataset, 1, "/d/plain"},
        {"/d/x", dataset, 7, "/d/x"},
        {"", dataset, 2, ""},
        {"/d/pic", pictures, 3, "/d/pic.Jpg"},
        {"/d/pic.jpeg", pictures, 1, "/d/pic.jpeg"},
        {"/d/pic.PNG", pictures, 3, "/d/pic.PNG"},
        {"/d/pic.gif", pictures, 1, "/d/pic.gif.Bmp"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Platform::withFilterEnding(QLatin1String(c.path), c.filter, c.chosen), QLatin1String(c.saved))
            << c.path << " " << c.chosen;
}

TEST(PlatformLayers, WithoutAVisibleScreenBoxesAnswerTheirDefaultAndDialogsCancel)
{
    ASSERT_TRUE(nobodyCanSeeWindows());
    QtMessageService boxes;
    MessageRequest question;
    question.text = QStringLiteral("Do you want to overwrite it?");
    question.buttons = MsgButtons::YesNo;
    question.defaultAnswer = MsgAnswer::No;
    EXPECT_EQ(boxes.ask(question), MsgAnswer::No);
    question.defaultAnswer = MsgAnswer::Yes;
    EXPECT_EQ(boxes.ask(question), MsgAnswer::Yes);

    QtFileDialogService dialogs;
    FileDialogRequest open;
    open.title = QStringLiteral("Open");
    EXPECT_TRUE(dialogs.choose(open).isEmpty());
    QtPrinterService printer;
    PrintSettings settings;
    QString error;
    EXPECT_FALSE(printer.setup(QStringLiteral("Printer"), settings, error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(PlatformLayers, ConsoleTextBoxLiesOnTheScreenWithItsTextScrolling)
{
    // A console's text of a few lines, of a model summary and of a long
    // run: the box, its OK button and its text area lie whole on the
    // screen's free area; the text is all there, in a fixed-pitch font,
    // and scrolls where it does not fit.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QString row = QStringLiteral("Residuals:    Min      1Q  Median      3Q     Max  0.5213  -1.2e-03  42.00000 ");
    for (const int lines : {1, 45, 3000}) {
        SCOPED_TRACE(lines);
        QString text;
        for (int i = 0; i < lines; ++i)
            text += row.left(70) + QString::number(i) + QStringLiteral("\r\n");
        ConsoleTextBox box(QStringLiteral("RScript messages"), text, MsgIcon::Information);
        box.show();
        QCoreApplication::processEvents();
        EXPECT_TRUE(area.contains(box.frameGeometry()))
            << box.frameGeometry().height() << " px tall on " << area.height();
        const QRect ok(box.okButton()->mapToGlobal(QPoint(0, 0)), box.okButton()->size());
        EXPECT_TRUE(area.contains(ok));
        EXPECT_TRUE(box.okButton()->isVisible());
        QPlainTextEdit* shown = box.textArea();
        EXPECT_TRUE(QFontInfo(shown->font()).fixedPitch());
        EXPECT_TRUE(shown->isReadOnly());
        EXPECT_EQ(shown->document()->blockCount(), lines);
        EXPECT_EQ(shown->document()->lastBlock().text(), row.left(70) + QString::number(lines - 1));
        // Every line fits its width; only the height scrolls, and only
        // when the lines are more than the screen holds.
        EXPECT_EQ(shown->horizontalScrollBar()->maximum(), 0);
        const bool scrolls = shown->verticalScrollBar()->maximum() > 0;
        const int textHeight = lines * QFontMetrics(shown->font()).lineSpacing();
        if (textHeight > area.height()) {
            EXPECT_TRUE(scrolls);
        }
        if (textHeight < area.height() / 2) {
            EXPECT_FALSE(scrolls);
            EXPECT_LT(box.height(), area.height() * 3 / 4);
        }
    }
}

TEST(PlatformLayers, PrintsAPictureAtItsOwnSizeAtEveryResolution)
{
    // A drawing of 400 x 300 pixels that is 300 x 225 points large (4.17 x
    // 3.13 inches) prints as 300 x 225 points at the page's top left, on a
    // printer of any resolution; the text starts below it. The page is
    // rendered at 72 dots per inch, one pixel to the point.
    QTemporaryDir dir;
    PrintJob job;
    QPainter painter(&job.picture);
    painter.fillRect(QRect(0, 0, 400, 300), Qt::red);
    painter.end();
    job.pictureSize = QSizeF(300, 225);
    job.text = QStringLiteral("Histogram Range:\r\n\r\nR1 = [0.00, 1.00]");
    for (int resolution : {96, 300, 1200}) {
        job.settings.outputFile = dir.filePath(QStringLiteral("chart%1.pdf").arg(resolution));
        QString error;
        ASSERT_TRUE(QtPrinterService(QString(), resolution).print(job, error)) << error.toStdString();
        const QImage page = renderedPage(job.settings.outputFile);
        ASSERT_FALSE(page.isNull()) << resolution;
        const QRect red = inkBounds(page, [](QRgb c) { return qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) < 80; });
        EXPECT_NEAR(red.width(), 300, 1) << resolution;
        EXPECT_NEAR(red.height(), 225, 1) << resolution;
        const QRect text = inkBounds(page, [](QRgb c) { return qRed(c) < 100 && qGreen(c) < 100 && qBlue(c) < 100; });
        EXPECT_GT(text.top(), red.bottom() + 5) << resolution;
        EXPECT_NEAR(text.left(), red.left(), 2) << resolution;
    }

    // Larger than the page: scaled down to the page's width, proportions kept.
    job.pictureSize = QSizeF(3000, 2250);
    job.text.clear();
    job.settings.outputFile = dir.filePath(QStringLiteral("large.pdf"));
    QString error;
    ASSERT_TRUE(QtPrinterService(QString(), 1200).print(job, error)) << error.toStdString();
    const QImage page = renderedPage(job.settings.outputFile);
    const QRect red = inkBounds(page);
    EXPECT_LE(red.right(), page.width());
    EXPECT_NEAR(double(red.height()) / red.width(), 0.75, 0.01);
    EXPECT_GT(red.width(), page.width() * 0.8);
}

TEST(PlatformLayers, ClipboardHoldsPictures)
{
    QtClipboardService clipboard;
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    clipboard.setImage(picture);
    const QImage back = clipboard.image();
    EXPECT_EQ(back.size(), picture.size());
    EXPECT_EQ(back.pixelColor(5, 5), QColor(Qt::blue));
    clipboard.clear();
    EXPECT_TRUE(clipboard.image().isNull());
}

TEST(PlatformLayers, ColourDialogWithoutAScreenCancels)
{
    ASSERT_TRUE(nobodyCanSeeWindows());
    EXPECT_FALSE(QtColorDialogService().choose(Qt::red).has_value());
}
