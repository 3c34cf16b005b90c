// A user prompt for tests: keeps the warnings and errors it is shown and answers questions with a fixed choice.
#pragma once

#include "core/user_prompt.h"

#include <QStringList>

namespace glyfex::testing {

class RecordingPrompt : public core::SilentPrompt {
public:
    void warn(const QString &text) override { warnings << text; }
    void error(const QString &text) override { errors << text; }
    QStringList warnings;
    QStringList errors;
};

} // namespace glyfex::testing
