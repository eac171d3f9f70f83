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
