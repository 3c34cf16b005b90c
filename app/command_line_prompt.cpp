// Turns the questions of an unattended job into stderr lines and fixed answers.
#include "app/command_line_prompt.h"

#include <QRegularExpression>

#include <cstdio>

namespace glyfex::app {

QString CommandLinePrompt::oneLine(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("\\s*[\\r\\n]+\\s*"));
    return text.trimmed().replace(breaks, QStringLiteral(" "));
}

void CommandLinePrompt::warn(const QString &text)
{
    std::fprintf(stderr, "glyfex: warning: %s\n", oneLine(text).toLocal8Bit().constData());
}

void CommandLinePrompt::error(const QString &text)
{
    if (m_onError)
        m_onError(oneLine(text));
}

} // namespace glyfex::app
