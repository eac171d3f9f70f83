#include "support/scripted_mail.hpp"

MailError ScriptedMailTransport::ready(const MailServer&)
{
    return notReady;
}

MailError ScriptedMailTransport::send(const MailServer& server, const MailEnvelope& envelope)
{
    sent.push_back({server, envelope});
    if (results.empty())
        return MailError{};
    const MailError result = results.front();
    results.pop_front();
    return result;
}

bool ScriptedMailDialogs::confirmSend(const QString& preview)
{
    previews << preview;
    if (sendAnswers.empty())
        return true;
    const bool answer = sendAnswers.front();
    sendAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedMailDialogs::askPassword(const QString& user, const QString& host)
{
    passwordQuestions << user + QLatin1Char('@') + host;
    if (passwords.empty())
        return std::nullopt;
    const std::optional<QString> answer = passwords.front();
    passwords.pop_front();
    return answer;
}

ScriptedMail::ScriptedMail()
{
    Mail::setTransport(&transport);
    Mail::setDialogs(&dialogs);
}

ScriptedMail::~ScriptedMail()
{
    Mail::setTransport(nullptr);
    Mail::setDialogs(nullptr);
}
