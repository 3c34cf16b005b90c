// The picture list of an image sequence: the script that names each picture with its frames, and its frame-rate text.
#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

namespace glyfex::sources {

// One picture of a script: its file as written (relative to the script's folder, any separator) and its
// first and last frame with the delay in force already added.
struct ScriptPicture {
    QString file;
    int64_t startFrame = 0;
    int64_t stopFrame = 0;
    friend bool operator==(const ScriptPicture &, const ScriptPicture &) = default;
};

struct ImageSeqScript {
    // The text after "FrameRate=" of the last such line; the Output Format dialog's frame-number rate
    // takes it.
    std::optional<QString> frameRateText;
    std::vector<ScriptPicture> pictures;
};

// A script larger than this is no picture list: it is refused before it is read.
constexpr qint64 kMaxScriptBytes = 16 * 1024 * 1024;

// Lines are told apart by their beginning: "FrameRate=", "Delay=" (a whole number of frames added to the
// pictures after it, 0 when it is none), "Palette=" (not used), "{start}{stop}file"; every other line,
// the last one too, is ignored. A frame number that is not one counts as 0. A picture line must hold its
// two closing braces; one that does not is refused with its line number. where names the script in messages.
core::Result<ImageSeqScript> parseImageSeqScript(const QByteArray &text, const QString &where);
// The same for a file, which must exist and stay within kMaxScriptBytes.
core::Result<ImageSeqScript> readImageSeqScript(const QString &path);

// Frames per 1000 s of a typed frame rate ("23.976", "29,97", "25"), as the frame-number formats read it;
// a rate they refuse (zero or less, or no rate at all) counts as 25.
uint32_t sequenceFrameRateX1000(QStringView text);

} // namespace glyfex::sources
