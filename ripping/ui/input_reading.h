// Reading a chosen input for the input dialog: stream names, palette and frame size, and the files beside it.
#pragma once

#include "core/messages.h"
#include "core/result.h"
#include "core/user_prompt.h"
#include "ripping/batch_state.h"

#include <QString>
#include <QStringList>

namespace glyfex::ripping::ui {

struct ReadInput {
    InputInfo info;
    QStringList files; // the title set's VOB files (and a .sub beside the chosen file)
    QString hint;      // the file read and its frame size, for the stream group's tool tip
};

// By the chosen file's extension: an IFO or BUP (or the index beside it when no VOB is there), the
// IFO beside a VOB, an index, or the index or IFO beside a .sub. An input that tells no palette keeps
// the palette given. Closed captions, a damaged index and its bad palette are told through the prompt.
// Nothing is changed on failure.
core::Result<ReadInput> readInputFile(const QString &path, core::UserPrompt &prompt, const core::MessageTable &messages,
                                      const DvdPalette &palette);

} // namespace glyfex::ripping::ui
