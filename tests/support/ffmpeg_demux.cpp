// FFmpeg's subtitle demuxers as an independent reader of the subtitle files we write.
#include "support/ffmpeg_demux.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avformat.h>
}

namespace glyfex::test {

std::vector<DemuxedEvent> demuxSubtitles(const QString &path, const char *demuxer, AVRational *timeBase)
{
    std::vector<DemuxedEvent> events;
    const AVInputFormat *format = av_find_input_format(demuxer);
    EXPECT_NE(format, nullptr) << demuxer;
    AVFormatContext *ctx = nullptr;
    if (avformat_open_input(&ctx, path.toLocal8Bit().constData(), format, nullptr) < 0) {
        ADD_FAILURE() << demuxer << " cannot open " << path.toStdString();
        return events;
    }
    EXPECT_GE(avformat_find_stream_info(ctx, nullptr), 0);
    EXPECT_EQ(ctx->nb_streams, 1u);
    *timeBase = ctx->streams[0]->time_base;
    AVPacket *packet = av_packet_alloc();
    while (av_read_frame(ctx, packet) >= 0) {
        int size = packet->size;
        while (size > 0 && packet->data[size - 1] == 0) // some demuxers keep the terminating zero
            --size;
        events.push_back({packet->pts, packet->duration,
                          QString::fromUtf8(reinterpret_cast<const char *>(packet->data), size).trimmed()});
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&ctx);
    return events;
}

} // namespace glyfex::test
