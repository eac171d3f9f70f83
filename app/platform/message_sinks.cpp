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

void writeErrorLine(const QString& line)
{
    const QByteArray bytes = line.toLocal8Bit() + '\n';
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
