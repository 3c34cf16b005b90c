// The questions the logic asks the user, answered by dialogs, by the command line, or by a test script.
#pragma once

#include <QString>

namespace glyfex::core {

enum class Answer { Ok, Yes, No, Cancel, YesToAll, Ignore };

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
    // Yes or No, for a question that offers no way out besides No. Answerers without such a question
    // of their own take confirm's Yes as Yes and anything else as No.
    virtual Answer confirmYesNo(const QString &text) { return confirm(text) == Answer::Yes ? Answer::Yes : Answer::No; }
    // Ignore, Yes to All or Cancel, for a fault the user may pass over once, always, or stop at. Answerers
    // without such a question of their own take ask's Yes as Ignore and its No as Cancel.
    virtual Answer askIgnore(const QString &text)
    {
        switch (ask(text)) {
        case Answer::Yes: return Answer::Ignore;
        case Answer::YesToAll: return Answer::YesToAll;
        default: return Answer::Cancel;
        }
    }
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
