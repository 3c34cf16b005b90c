// The name a save dialog's answer stands for, and the question asked before a save replaces a file that is there.
#pragma once

#include "core/messages.h"
#include "core/user_prompt.h"

#include <QString>

namespace glyfex::core {

// The typed name with the extension (without its dot) added when the name has none; empty stays empty
// (a cancelled dialog).
QString withDefaultExtension(const QString &typed, const QString &extension);

// True when nothing is at path or the user answers Yes to heading, "File", the name and "already exists!
// Replace?" (the Subtitles window's question opens with Warning, the matrix's with Confirm). Ask about the
// name that will be written: add the extension first.
bool confirmReplaceFile(const QString &path, Msg::Id heading, const MessageTable &messages, UserPrompt &prompt);

} // namespace glyfex::core
