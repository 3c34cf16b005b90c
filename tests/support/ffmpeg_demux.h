// FFmpeg's subtitle demuxers as an independent reader of the subtitle files we write.
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

} // namespace glyfex::test
