// The name a save dialog's answer stands for, and the question asked before a save replaces a file.
#include "core/save_name.h"

#include <QFileInfo>

namespace glyfex::core {

QString withDefaultExtension(const QString &typed, const QString &extension)
{
    if (typed.isEmpty() || !QFileInfo(typed).suffix().isEmpty())
        return typed;
    return typed + QLatin1Char('.') + extension;
}

bool confirmReplaceFile(const QString &path, Msg::Id heading, const MessageTable &messages, UserPrompt &prompt)
{
    if (!QFileInfo::exists(path))
        return true;
    return prompt.confirmYesNo(messages.text(heading) + QStringLiteral("\r\n") + messages.text(Msg::File) + QLatin1Char(' ') +
                               QFileInfo(path).fileName() + QLatin1Char(' ') + messages.text(Msg::AlreadyExistsReplace)) ==
           Answer::Yes;
}

} // namespace glyfex::core
