// Messages in a command-line run go to stderr with their default answer;
// the library's messages reach the program's boxes.
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/message_sinks.hpp"
#include "support/scripted_platform_services.hpp"

TEST(UnattendedMessages, DefaultAnswers)
{
    struct Case {
        MsgButtons buttons;
        MsgAnswer defaultAnswer;
        MsgAnswer expected;
    };
    const Case cases[] = {
        {MsgButtons::Ok, MsgAnswer::Ok, MsgAnswer::Ok},
        {MsgButtons::OkCancel, MsgAnswer::Cancel, MsgAnswer::Cancel},
        {MsgButtons::OkCancel, MsgAnswer::Ok, MsgAnswer::Ok},
        // No preselected (the overwrite and instance questions) answers No.
        {MsgButtons::YesNo, MsgAnswer::No, MsgAnswer::No},
        {MsgButtons::YesNo, MsgAnswer::Yes, MsgAnswer::Yes},
        // A default the box does not have: its first button.
        {MsgButtons::YesNo, MsgAnswer::Ok, MsgAnswer::Yes},
        {MsgButtons::YesNoCancel, MsgAnswer::Cancel, MsgAnswer::Cancel},
        {MsgButtons::YesNoCancel, MsgAnswer::Ok, MsgAnswer::Yes},
    };
    for (const Case& c : cases) {
        MessageRequest r;
        r.buttons = c.buttons;
        r.defaultAnswer = c.defaultAnswer;
        EXPECT_EQ(UnattendedMessageService::defaultAnswerOf(r), c.expected);
    }
}

TEST(UnattendedMessages, ScopeSendsProgramAndLibraryMessagesToTheWriter)
{
    QTemporaryDir pdf;
    ScriptedPlatform scripted(pdf.path());
    PlatformMessageSink sink;
    SumtrixLib::ScopedMessageSink library(sink);

    QStringList lines;
    {
        UnattendedScope scope([&](const QString& line) { lines << line; });
        const MsgAnswer a = Platform::message(
            QStringLiteral("The file 'x' already exists!\r\nDo you want to overwrite it?"),
            MsgButtons::YesNo, MsgIcon::Question, QString(), MsgAnswer::No);
        EXPECT_EQ(a, MsgAnswer::No);
        SumtrixLib::showMessage("No convergence", SumtrixLib::MessageIcon::Exclamation);
        EXPECT_EQ(scope.service().asked.size(), 2u);
    }
    EXPECT_EQ(lines, (QStringList{
                         "KVE: The file 'x' already exists! / Do you want to overwrite it?",
                         "KVE: SumtrixLib: No convergence"}));
    EXPECT_TRUE(scripted.messages.asked.empty());

    // Afterwards the boxes (here the scripted ones) are back, and the
    // library's message is a box with its title and icon.
    SumtrixLib::showMessage("Singular matrix", SumtrixLib::MessageIcon::Critical);
    ASSERT_EQ(scripted.messages.asked.size(), 1u);
    EXPECT_EQ(scripted.messages.asked[0].text, QStringLiteral("Singular matrix"));
    EXPECT_EQ(scripted.messages.asked[0].title, QStringLiteral("SumtrixLib"));
    EXPECT_EQ(scripted.messages.asked[0].icon, MsgIcon::Critical);
}

TEST(UnattendedMessages, TerminalLineEscapesControlsAndShortensLongLines)
{
    // Control characters a file may hold show as escapes; printable text,
    // other scripts and characters beyond 16 bits pass as they are.
    struct Case {
        const char* what;
        QString text;
        QString line;
    };
    const Case cases[] = {
        {"plain", QStringLiteral("KVE: dataset file not found: /a b/c.KVE"),
         QStringLiteral("KVE: dataset file not found: /a b/c.KVE")},
        {"CR LF in a cell", QStringLiteral("Row 1: X (Pred) is not a number: ab\r\ncd"),
         QStringLiteral("Row 1: X (Pred) is not a number: ab\\r\\ncd")},
        {"terminal escape", QStringLiteral("line 2: \x1b[2J\x1b]0;title\x07"), QStringLiteral("line 2: \\x1b[2J\\x1b]0;title\\x07")},
        {"tab, NUL, DEL", QStringLiteral("a\tb") + QChar(0) + QStringLiteral("c\x7f"), QStringLiteral("a\\tb\\x00c\\x7f")},
        {"C1 controls", QStringLiteral("a") + QChar(0x85) + QChar(0x9b) + QStringLiteral("2J"), QStringLiteral("a\\x85\\x9b2J")},
        {"Unicode line and direction controls", QStringLiteral("a") + QChar(0x2028) + QChar(0x202e) + QChar(0x2066),
         QStringLiteral("a\\u2028\\u202e\\u2066")},
        {"other scripts", QStringLiteral("café € ÿ \u00a0 ✓ ") + QString::fromUcs4(U"\U0001F600"),
         QStringLiteral("café € ÿ \u00a0 ✓ ") + QString::fromUcs4(U"\U0001F600")},
        {"a backslash is text", QStringLiteral("C:\\data\\x1b"), QStringLiteral("C:\\data\\x1b")},
        {"at the bound", QString(TerminalLineMax, QLatin1Char('a')), QString(TerminalLineMax, QLatin1Char('a'))},
    };
    for (const Case& c : cases)
        EXPECT_EQ(terminalLine(c.text), c.line) << c.what;

    // Longer lines keep their start and their end around "...", cut on
    // whole characters: never inside an escape or a surrogate pair.
    const QString start = QStringLiteral("KVE: Row 1: X (Pred) is not a number: ");
    const QString reason = QStringLiteral("', which is not valid.");
    const QString pair = QString::fromUcs4(U"\U0001F600");
    struct Long {
        const char* what;
        QString text;
        QString unit;   // the repeated part, shown
    };
    const Long longOnes[] = {
        {"one past the bound", QString(TerminalLineMax + 1, QLatin1Char('a')), QStringLiteral("a")},
        {"10,000 characters", start + QString(10000, QLatin1Char('b')) + reason, QStringLiteral("b")},
        {"escapes", start + QString(3000, QChar(0x1b)) + reason, QStringLiteral("\\x1b")},
        {"surrogate pairs", start + pair.repeated(3000) + reason, pair},
        {"an escape after every character", start + QStringLiteral("c\n").repeated(3000) + reason,
         QStringLiteral("c\\n")},
    };
    for (const Long& c : longOnes) {
        const QString line = terminalLine(c.text);
        EXPECT_LE(line.size(), TerminalLineMax) << c.what;
        EXPECT_GE(line.size(), TerminalLineMax - 8) << c.what;
        const qsizetype cut = line.indexOf(QStringLiteral("..."));
        ASSERT_GT(cut, 0) << c.what;
        QString head = line.left(cut);
        QString tail = line.mid(cut + 3);
        const bool framed = c.text.startsWith(start);
        if (framed) {
            ASSERT_TRUE(head.startsWith(start)) << c.what;
            ASSERT_TRUE(tail.endsWith(reason)) << c.what;
            head.remove(0, start.size());
            tail.chop(reason.size());
        }
        // What is left of the quote is whole units (a "c\n" unit may be
        // split between its character and its escape, not inside either).
        head.replace(c.unit, QString());
        tail.replace(c.unit, QString());
        EXPECT_TRUE(head.isEmpty() || head == QStringLiteral("c")) << c.what << ": " << head.toStdString();
        EXPECT_TRUE(tail.isEmpty() || tail == QStringLiteral("\\n")) << c.what << ": " << tail.toStdString();
        for (const QChar ch : line)
            EXPECT_FALSE(ch.unicode() < 0x20 || (ch.unicode() >= 0x7f && ch.unicode() < 0xa0)) << c.what;
    }
}
