// The 14 readers of subtitle text files: each takes a file apart into subtitles of a new store.
#pragma once

#include "core/result.h"
#include "subtitles/format_options.h"
#include "subtitles/subtitle_file_kind.h"
#include "subtitles/subtitle_line_reader.h"
#include "subtitles/subtitle_store.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace glyfex::subtitles {

// What a reader needs besides the file.
struct ReadSettings {
    // Frames per 1000 s of the frame-number formats (the Subtitles window's rate); 0 when that rate was
    // refused, and then the error says why (a MicroDVD rate line can still give one).
    uint32_t frameRateX1000 = 23976;
    core::Error frameRateError;
    // Display time given to entries without a stop (ms).
    int maxDurationMs = 2500;
    // Gap kept between a repaired stop and the next start (ms).
    int minGapMs = 200;
};

// Output options a file states: the .gxt numbering and coordinates, the SubViewer 2 header and font,
// the MicroDVD frame rate. Unset fields leave the option as it is.
struct LoadedOptions {
    std::optional<int> glyfexOffset;
    std::optional<bool> glyfexExtended;
    std::optional<QString> sv2Title, sv2Author, sv2Source, sv2Program, sv2FilePath, sv2Comment;
    std::optional<int> sv2Delay, sv2CdTrack;
    // One of "no", "bd", "it", "ud", "st".
    std::optional<QString> sv2FontStyle;
    std::optional<int> sv2FontSize;
    std::optional<QString> sv2FontName;
    // The frame rate as the Subtitles window shows it ("29.970"), from a MicroDVD rate line.
    std::optional<QString> frameRateText;
    // PAL (0) or NTSC (1) frame time codes, following the frame rate the file was read at.
    std::optional<uint8_t> frameRateIndex;

    void applyTo(FormatOptions &options) const;
};

// What to do after a failed entry: drop it and go on, drop every later failed one without asking too,
// or stop reading (the open is cancelled).
enum class ParseErrorAnswer { Ignore, IgnoreAll, Stop };
// Asked after a failed entry: number is the entry number the subtitle would have had.
using ParseErrorHandler = std::function<ParseErrorAnswer(int number, const core::Error &error)>;

struct ReadOutcome {
    SubtitleStore store;
    LoadedOptions options;
    // Things the user should know although the file was read (lines or subtitles beyond the limits).
    QStringList warnings;
    int failedEntries = 0;
    // The user answered a failed entry with Cancel.
    bool stopped = false;
    // The frame rate the file's frames were timed at (0 for formats without frame numbers).
    uint32_t frameRateX1000 = 0;
};

// Reads every entry of the file with the reader of kind (not Unknown), from the file's first line.
// A frame-number format without a usable frame rate gives the rate's error.
core::Result<ReadOutcome> readSubtitleEntries(SubtitleFileKind kind, SubtitleLineReader &file,
                                              const ReadSettings &settings, const ParseErrorHandler &onError);

} // namespace glyfex::subtitles
