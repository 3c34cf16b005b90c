// Opening a subtitle text file: checks that it is text, finds its format and reads it into a new store.
#pragma once

#include "core/messages.h"
#include "core/result.h"
#include "core/user_prompt.h"
#include "subtitles/subtitle_file_kind.h"
#include "subtitles/subtitle_line_reader.h"
#include "subtitles/subtitle_readers.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace glyfex::subtitles {

// Subtitle files are small (15,000 subtitles take a few MB); anything larger is no subtitle file.
inline constexpr qint64 kMaxSubtitleFileBytes = 32 * 1024 * 1024;

struct LoadSettings {
    // The page of files without a byte-order mark.
    core::CodePage codePage = 1252;
    // The Subtitles window's frame rate as typed ("23.976"), for the frame-number formats.
    QString frameRateText = QStringLiteral("23.976");
    int maxDurationMs = 2500;
    int minGapMs = 200;
};

struct LoadResult {
    // Unknown: no format recognised, nothing read.
    SubtitleFileKind kind = SubtitleFileKind::Unknown;
    // Cancel was answered to a failed entry: nothing is to change.
    bool cancelled = false;
    SubtitleStore store;
    LoadedOptions options;
    QStringList warnings;
    int failedEntries = 0;
    // Frames per 1000 s the file was read at: its own rate line's, else the window's; 0 when neither
    // is a rate. Also the video's rate from then on (the frame counts of the time correction).
    uint32_t frameRateX1000 = 0;
    // The file began with a byte-order mark, which fixed its encoding whatever the code page.
    bool hasByteOrderMark = false;
    // The file's bytes, to show its lines in another code page.
    QByteArray bytes;
    QList<QByteArray> rawLines() const { return SubtitleLineReader::rawLines(bytes); }
};

// Reads the file at path. Errors (the file cannot be read, is too large or binary, its frame rate is
// refused, or no subtitle in it could be read) leave everything to the caller unchanged.
core::Result<LoadResult> loadSubtitleFile(const QString &path, const LoadSettings &settings,
                                          const ParseErrorHandler &onError);
// The same for bytes already read; name says where they came from in messages.
core::Result<LoadResult> loadSubtitleBytes(const QByteArray &bytes, const QString &name, const LoadSettings &settings,
                                           const ParseErrorHandler &onError);

// The question after a failed entry, put through the prompt: Yes ignores the entry, Yes to All ignores
// it and every later one, No stops reading.
ParseErrorHandler askOnParseError(core::UserPrompt &prompt, const core::MessageTable &messages);

} // namespace glyfex::subtitles
