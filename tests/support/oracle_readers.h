// Reading our subtitle files back with outside readers: FFmpeg's subtitle demuxers and aeidon.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

extern "C" {
#include <libavutil/rational.h>
}

namespace glyfex::test {

struct DemuxedEvent {
    int64_t pts = 0;
    int64_t duration = 0;
    QString text;
};

// Every packet of the file's one subtitle stream, in the stream's time base, read by the FFmpeg
// demuxer of that name.
std::vector<DemuxedEvent> demuxSubtitles(const QString &path, const char *demuxer, AVRational *timeBase);

struct AeidonSub {
    double start;
    double end;
    int64_t startFrame;
    QString text; // line breaks as '|'
};

// The subtitles aeidon finds in a UTF-8 file; the test fails when aeidon takes it for another format
// than the one named (an aeidon.formats name such as "SSA").
std::vector<AeidonSub> readWithAeidon(const QString &path, const char *format);

} // namespace glyfex::test
