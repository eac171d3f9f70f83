// Running external programs and reading their console text.
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/console_process.hpp"

using namespace KVECode;

TEST(RunAndWait, ExitCodes)
{
    QString exit3 = QStringLiteral("sh -c \"exit 3\"");
    EXPECT_EQ(RunAndWait(exit3), 3);
    QString missing = QStringLiteral("/no/such/program --flag");
    EXPECT_EQ(RunAndWait(missing), -1);
    QString empty;
    EXPECT_EQ(RunAndWait(empty), -1);
}

TEST(RunAndWait, ArgumentsReachTheChildUnchangedAndNoShellSeesThem)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("args.txt"));
    // printf writes each argument on its own line; a ';' or '$' must not be
    // interpreted by any shell on the way.
    QString cmd = QStringLiteral("printf \"%s\\n\" \"a b\" \"\"\"q\"\"\" \"x;rm -rf $HOME\"");
    ConsoleCapture::allocate();
    EXPECT_EQ(RunAndWait(cmd), 0);
    EXPECT_EQ(ReadConsoleText(true), QStringLiteral("a b\r\n\"q\"\r\nx;rm -rf $HOME\r\n"));
    EXPECT_FALSE(ConsoleCapture::isAllocated());
}

TEST(ReadConsoleText, ByLinesAndScreen)
{
    ConsoleCapture::allocate();
    ConsoleCapture::append("abc\n\n   d  \n");
    EXPECT_EQ(ReadConsoleText(true), QStringLiteral("abc\r\nd\r\n"));

    ConsoleCapture::allocate();
    ConsoleCapture::append(QByteArray(85, 'x') + "\nend\n");
    const QString screen = ReadConsoleText(false);
    ASSERT_EQ(screen.size(), 400);
    EXPECT_EQ(screen.left(80), QString(80, QLatin1Char('x')));
    EXPECT_EQ(screen.mid(80, 80), QString(5, QLatin1Char('x')) + QString(75, QLatin1Char(' ')));
    EXPECT_EQ(screen.mid(160, 3), QStringLiteral("end"));
    EXPECT_EQ(screen.mid(163).trimmed(), QString());

    // Long rows wrap at 80 columns; nothing beyond is lost by lines.
    ConsoleCapture::allocate();
    ConsoleCapture::append(QByteArray(80, 'a') + QByteArray(3, 'b') + "\r\n");
    EXPECT_EQ(ReadConsoleText(true), QString(80, QLatin1Char('a')) + "\r\nbbb\r\n");
}

TEST(ReadConsoleText, NothingCapturedWithoutAConsole)
{
    ConsoleCapture::free();
    QString cmd = QStringLiteral("true");
    EXPECT_EQ(RunAndWait(cmd), 0);
    EXPECT_EQ(ReadConsoleText(true), QString());
}
