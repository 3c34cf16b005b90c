// The questions the logic asks the user, answered by dialogs, by the command line, or by a test script.
#pragma once

#include <QString>

namespace glyfex::core {

enum class Answer { Ok, Yes, No, Cancel, YesToAll };

class UserPrompt {
public:
    virtual ~UserPrompt() = default;
    virtual void warn(const QString &text) = 0;
    virtual void error(const QString &text) = 0;
    virtual void inform(const QString &text) = 0;
    // Yes, No or Cancel.
    virtual Answer confirm(const QString &text) = 0;
    // Yes, No or Yes to All.
    virtual Answer ask(const QString &text) = 0;
};

// Answers every question with a fixed choice and shows nothing: the unattended (command-line) run.
class SilentPrompt : public UserPrompt {
public:
    explicit SilentPrompt(Answer answer = Answer::Yes) : m_answer(answer) {}
    void warn(const QString &) override {}
    void error(const QString &) override {}
    void inform(const QString &) override {}
    Answer confirm(const QString &) override { return m_answer; }
    Answer ask(const QString &) override { return m_answer; }

private:
    Answer m_answer;
};

} // namespace glyfex::core
