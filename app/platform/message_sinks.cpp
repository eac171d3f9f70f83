#include "platform/message_sinks.hpp"

#include <cstdio>

#include "core/program_info.hpp"

void PlatformMessageSink::show(const std::string& text, const std::string& title,
                               SumtrixLib::MessageIcon icon)
{
    MsgIcon boxIcon = MsgIcon::None;
    switch (icon) {
    case SumtrixLib::MessageIcon::Information: boxIcon = MsgIcon::Information; break;
    case SumtrixLib::MessageIcon::Exclamation: boxIcon = MsgIcon::Exclamation; break;
    case SumtrixLib::MessageIcon::Critical: boxIcon = MsgIcon::Critical; break;
    case SumtrixLib::MessageIcon::None: break;
    }
    Platform::message(QString::fromStdString(text), MsgButtons::Ok, boxIcon,
                      QString::fromStdString(title));
}

namespace {

// The characters a terminal line shows escaped.
bool shownEscaped(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E)
           || (c >= 0x2066 && c <= 0x2069);
}

// The character of `text` that begins at `at` (a surrogate pair is one),
// as the terminal line shows it; `length` receives its length in `text`.
QString shownAt(const QString& text, qsizetype at, qsizetype& length)
{
    const QChar c = text[at];
    if (c.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
        length = 2;
        return text.mid(at, 2);
    }
    length = 1;
    const char32_t code = c.unicode();
    if (!shownEscaped(code))
        return QString(c);
    switch (code) {
    case U'\r': return QStringLiteral("\\r");
    case U'\n': return QStringLiteral("\\n");
    case U'\t': return QStringLiteral("\\t");
    default: break;
    }
    return code < 0x100 ? QStringLiteral("\\x%1").arg(uint(code), 2, 16, QLatin1Char('0'))
                        : QStringLiteral("\\u%1").arg(uint(code), 4, 16, QLatin1Char('0'));
}

// The character of `text` that ends at `end`, as shownAt() gives it.
QString shownBefore(const QString& text, qsizetype end, qsizetype& length)
{
    const qsizetype at = end >= 2 && text[end - 1].isLowSurrogate() && text[end - 2].isHighSurrogate() ? end - 2
                                                                                                        : end - 1;
    return shownAt(text, at, length);
}

// The characters of `text` from `at` on, as shown, as many as `room`
// places take; `at` moves past them.
QString shownFrom(const QString& text, qsizetype& at, qsizetype room)
{
    QString shown;
    qsizetype length = 0;
    while (at < text.size()) {
        const QString next = shownAt(text, at, length);
        if (shown.size() + next.size() > room)
            break;
        shown += next;
        at += length;
    }
    return shown;
}

} // namespace

QString terminalLine(const QString& text)
{
    // Whole when it fits; the pass stops at the bound, so a quoted text of
    // any size costs no more than the line.
    qsizetype at = 0;
    const QString whole = shownFrom(text, at, TerminalLineMax);
    if (at == text.size())
        return whole;

    // Cut on whole characters (never inside an escape): a third of the
    // room for the end, the rest for the start.
    const QLatin1String cut("...");
    const qsizetype tailRoom = TerminalLineMax / 3;
    at = 0;
    const QString head = shownFrom(text, at, TerminalLineMax - tailRoom - cut.size());
    QStringList tail;
    qsizetype tailSize = 0;
    qsizetype length = 0;
    for (qsizetype end = text.size(); end > at;) {
        const QString shown = shownBefore(text, end, length);
        if (tailSize + shown.size() > tailRoom)
            break;
        tail.prepend(shown);
        tailSize += shown.size();
        end -= length;
    }
    return head + cut + tail.join(QString());
}

void writeErrorLine(const QString& line)
{
    const QByteArray bytes = terminalLine(line).toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

UnattendedMessageService::UnattendedMessageService(Writer writer)
    : m_writer(writer ? std::move(writer) : Writer(writeErrorLine))
{
}

MsgAnswer UnattendedMessageService::defaultAnswerOf(const MessageRequest& request)
{
    const MsgAnswer wanted = request.defaultAnswer;
    switch (request.buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::OkCancel:
        return wanted == MsgAnswer::Cancel ? MsgAnswer::Cancel : MsgAnswer::Ok;
    case MsgButtons::YesNo:
        return wanted == MsgAnswer::No ? MsgAnswer::No : MsgAnswer::Yes;
    case MsgButtons::YesNoCancel:
        return wanted == MsgAnswer::No || wanted == MsgAnswer::Cancel ? wanted : MsgAnswer::Yes;
    }
    return MsgAnswer::Ok;
}

QString UnattendedMessageService::lineOf(const MessageRequest& request)
{
    QString text = request.text;
    // One line per box: its own line breaks become " / ".
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
    text.replace(QLatin1Char('\n'), QStringLiteral(" / "));
    text.replace(QLatin1Char('\r'), QStringLiteral(" / "));
    const QString prefix = ProgramName() + QStringLiteral(": ");
    if (request.title.isEmpty() || request.title == Platform::applicationTitle())
        return prefix + text;
    return prefix + request.title + QStringLiteral(": ") + text;
}

MsgAnswer UnattendedMessageService::ask(const MessageRequest& request)
{
    asked.push_back(request);
    m_writer(lineOf(request));
    return defaultAnswerOf(request);
}

UnattendedScope::UnattendedScope(UnattendedMessageService::Writer writer)
    : m_service(std::move(writer))
    , m_previous(&Platform::messages())
{
    Platform::setMessages(&m_service);
}

UnattendedScope::~UnattendedScope()
{
    Platform::setMessages(m_previous);
}
