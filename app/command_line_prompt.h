// The answers of an unattended job: nothing is shown and nothing waits; warnings go to stderr, errors are kept for the job.
#pragma once

#include "core/user_prompt.h"

#include <functional>

namespace glyfex::app {

class CommandLinePrompt : public core::UserPrompt {
public:
    // onError: called for every error, with the text already on one line (the job ends on it).
    explicit CommandLinePrompt(std::function<void(const QString &)> onError) : m_onError(std::move(onError)) {}

    void warn(const QString &text) override;
    void error(const QString &text) override;
    void inform(const QString &) override {}
    // The store is empty at a command-line Start, so keeping text costs nothing; replacing files the job
    // was told to write is what was asked for.
    core::Answer confirm(const QString &) override { return core::Answer::Yes; }
    core::Answer ask(const QString &) override { return core::Answer::YesToAll; }

    // A message of the windows' kind (lines joined by CR/LF) as one line for stderr.
    static QString oneLine(const QString &text);

private:
    std::function<void(const QString &)> m_onError;
};

} // namespace glyfex::app
