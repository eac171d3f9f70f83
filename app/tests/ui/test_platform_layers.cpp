// The production platform layers that can run unattended: the editor
// launcher, printing to PDF and the file-dialog filters.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QPainter>

#include <gtest/gtest.h>

#include "platform/qt_platform_services.hpp"

TEST(PlatformLayers, EditorGetsThePathAsOneArgumentWithoutAShell)
{
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("editor.sh"));
    const QString record = dir.filePath(QStringLiteral("arguments.txt"));
    {
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > \"$KVE_TEST_RECORD.tmp\"\nmv \"$KVE_TEST_RECORD.tmp\" \"$KVE_TEST_RECORD\"\n");
    }
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("KVE_TEST_RECORD", record.toLocal8Bit());
    qputenv("VISUAL", (script + QStringLiteral(" --wait")).toLocal8Bit());

    // A name a shell would act on.
    const QString path = dir.filePath(QStringLiteral("Results 0000; rm -rf x $(id).TXT"));
    DesktopLauncherService launcher;
    ASSERT_TRUE(launcher.editFile(path));
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(record) && waited.elapsed() < 10000)
        QThread::msleep(20);
    QFile f(record);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(f.readAll()), QStringLiteral("2|--wait|") + path + QLatin1Char('|'));
    qunsetenv("VISUAL");
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

TEST(PlatformLayers, ClassicFiltersBecomeQtNameFilters)
{
    EXPECT_EQ(QtFileDialogService::nameFilters(QStringLiteral("All Files (*.*)|*.*|Text Files(*.TXT)|*.TXT")),
              QStringList({QStringLiteral("All Files (*.*)"), QStringLiteral("Text Files (*.TXT *.txt)")}));
    EXPECT_EQ(QtFileDialogService::nameFilters(QStringLiteral("KVE Files (*.KVE)|*.KVE")),
              QStringList({QStringLiteral("KVE Files (*.KVE *.kve)")}));
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

TEST(PlatformLayers, PrintsAPictureIntoTheFileThePrinterDialogChose)
{
    QTemporaryDir dir;
    PrintJob job;
    QPainter painter(&job.picture);
    painter.fillRect(QRect(0, 0, 400, 300), Qt::red);
    painter.end();
    job.pictureSize = QSizeF(300, 225);
    job.text = QStringLiteral("Histogram Range:\r\n\r\nR1 = [0.00, 1.00]");
    job.settings.outputFile = dir.filePath(QStringLiteral("chart.pdf"));
    QtPrinterService printer;
    QString error;
    ASSERT_TRUE(printer.print(job, error)) << error.toStdString();
    QFile f(job.settings.outputFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("%PDF"));
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
