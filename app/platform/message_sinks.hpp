#pragma once
// Where messages go: the library's modal messages through the program's
// message box, and the unattended service that a command-line run puts in
// place of the boxes so that it never waits for a person.

#include <QString>

#include <functional>
#include <vector>

#include "SumtrixLib/Runtime.hpp"
#include "platform/platform_services.hpp"

// The library's messages (its "modal box" methods) shown as the program's
// own message box, OK only.
class PlatformMessageSink : public SumtrixLib::MessageSink {
public:
    void show(const std::string& text, const std::string& title,
              SumtrixLib::MessageIcon icon) override;
};

// Writes every box to stderr as one line, "KVE: title: text" ("KVE: text" for
// the program's own title), and answers
// it with its default answer at once. Keeps what it was asked.
class UnattendedMessageService : public MessageService {
public:
    using Writer = std::function<void(const QString& line)>;
    // `writer` receives each line (stderr when empty).
    explicit UnattendedMessageService(Writer writer = {});
    MsgAnswer ask(const MessageRequest& request) override;

    // The answer a box takes without a person: its default answer when it
    // has that button, else its first button.
    static MsgAnswer defaultAnswerOf(const MessageRequest& request);
    // The line written for a box.
    static QString lineOf(const MessageRequest& request);

    std::vector<MessageRequest> asked;

private:
    Writer m_writer;
};

// For its lifetime every message box of the program (and so every library
// message) goes to the unattended service; the service in place before
// comes back afterwards. Nests.
class UnattendedScope {
public:
    explicit UnattendedScope(UnattendedMessageService::Writer writer = {});
    ~UnattendedScope();
    UnattendedScope(const UnattendedScope&) = delete;
    UnattendedScope& operator=(const UnattendedScope&) = delete;

    UnattendedMessageService& service() { return m_service; }

private:
    UnattendedMessageService m_service;
    MessageService* m_previous;
};

// `text` made one short line for a terminal, as every line on stderr is
// written: a control character (C0, DEL, C1, and the Unicode line,
// paragraph and direction controls), which a quoted file may hold, shows
// as an escape (\r, \n, \t, \xHH or \uHHHH), so that it can neither break
// the line nor drive the terminal; a line of more than TerminalLineMax
// characters keeps its start (what failed) and its end (why, or the end of
// a quoted text), with "..." in place of the middle.
inline constexpr int TerminalLineMax = 480;
QString terminalLine(const QString& text);

// Writes one line to stderr (the reason of a failed command-line run), as
// terminalLine() gives it.
void writeErrorLine(const QString& line);
