#pragma once
// Scripted mail layers for tests: the transport records every message and
// answers from a queue of errors (success when empty); the dialogs answer
// the preview and the password question from queues and record what they
// were asked. ScriptedMail installs both for its lifetime.

#include <deque>
#include <optional>
#include <vector>

#include "platform/mail_transport.hpp"

class ScriptedMailTransport : public MailTransport {
public:
    MailError ready(const MailServer& server) override;
    MailError send(const MailServer& server, const MailEnvelope& envelope) override;

    MailError notReady;                  // what ready() answers
    std::deque<MailError> results;       // consumed by send(); success when empty
    struct Sent {
        MailServer server;
        MailEnvelope envelope;
    };
    std::vector<Sent> sent;
};

class ScriptedMailDialogs : public MailDialogs {
public:
    bool confirmSend(const QString& preview) override;
    std::optional<QString> askPassword(const QString& user, const QString& host) override;

    std::deque<bool> sendAnswers;        // true when empty
    std::deque<std::optional<QString>> passwords; // cancel when empty
    QStringList previews;
    QStringList passwordQuestions;       // "user@host" per question
};

class ScriptedMail {
public:
    ScriptedMail();
    ~ScriptedMail();
    ScriptedMail(const ScriptedMail&) = delete;
    ScriptedMail& operator=(const ScriptedMail&) = delete;

    ScriptedMailTransport transport;
    ScriptedMailDialogs dialogs;
};
