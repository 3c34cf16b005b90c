// FFmpeg as a reference for DVD subpictures: gathers every unit of a VOB with libavformat, decodes it with libavcodec and encodes test pictures.
#pragma once
// Header-only so that benchmarks, which link only the logic library, can use it as well as tests.

#include "core/result.h"

#include <QString>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace glyfex::test {

// One complete subpicture unit as FFmpeg's demuxer and its subtitle parser gathered it.
struct AvSpuUnit {
    int substream = 0;        // 0-31: the DVD subpicture stream number (private stream 1 id 0x20 + n)
    int64_t pts90k = 0;       // presentation time in 90 kHz ticks, AV_NOPTS_VALUE when the packet had none
    std::vector<uint8_t> bytes;
};

// What FFmpeg's DVD subtitle decoder made of one unit. Its pixels index a 4-entry palette; entry i is
// built from nibble i of the unit's colour and contrast words, given here as the DVD palette index and
// the contrast (0-15) it shows, so a caller can map pixels back to codes.
struct AvSpuPicture {
    bool hasPicture = false;  // false when FFmpeg found nothing visible to show
    int x = 0, y = 0, width = 0, height = 0;
    std::vector<uint8_t> pixels; // width x height, row by row
    std::array<int, 4> paletteIndex{};
    std::array<int, 4> contrast{};
    uint32_t startMs = 0;     // display start and stop after the unit's time, as FFmpeg reports them
    uint32_t endMs = 0;
    bool forced = false;
};

namespace avspu {

struct FormatCloser {
    void operator()(AVFormatContext *c) const { avformat_close_input(&c); }
};
struct CodecFreer {
    void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
};
struct ParserCloser {
    void operator()(AVCodecParserContext *p) const { av_parser_close(p); }
};
struct PacketFreer {
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};

// DVD palette index k is shown as grey k x 0x11 in every channel, so a colour names its index.
inline uint32_t paletteColour(int index) { return uint32_t(index) * 0x111111u; }

inline core::Error avError(const QString &what, const QString &where, int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return core::makeError(what, where, QString::fromUtf8(text));
}

} // namespace avspu

// Every subpicture unit of every DVD subtitle stream in a program-stream file (VOB, or the .sub of a
// VobSub pair), in file order. FFmpeg's demuxer gives one packet per PES packet; its DVD subtitle
// parser joins them into units by the size each unit announces.
inline core::Result<std::vector<AvSpuUnit>> demuxSpuUnits(const QString &path)
{
    const QByteArray name = path.toLocal8Bit();
    AVFormatContext *raw = nullptr;
    if (int rc = avformat_open_input(&raw, name.constData(), nullptr, nullptr); rc < 0)
        return avspu::avError(QStringLiteral("Cannot open the file with FFmpeg"), path, rc);
    std::unique_ptr<AVFormatContext, avspu::FormatCloser> format(raw);
    if (int rc = avformat_find_stream_info(format.get(), nullptr); rc < 0)
        return avspu::avError(QStringLiteral("FFmpeg cannot read the streams"), path, rc);

    std::vector<std::unique_ptr<AVCodecParserContext, avspu::ParserCloser>> parsers(format->nb_streams);
    std::vector<std::unique_ptr<AVCodecContext, avspu::CodecFreer>> contexts(format->nb_streams);
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters *par = format->streams[i]->codecpar;
        if (par->codec_id != AV_CODEC_ID_DVD_SUBTITLE)
            continue;
        parsers[i].reset(av_parser_init(AV_CODEC_ID_DVD_SUBTITLE));
        contexts[i].reset(avcodec_alloc_context3(nullptr));
        if (!parsers[i] || !contexts[i])
            return core::makeError(QStringLiteral("FFmpeg has no DVD subtitle parser"), path);
    }

    std::vector<AvSpuUnit> units;
    std::unique_ptr<AVPacket, avspu::PacketFreer> packet(av_packet_alloc());
    for (;;) {
        const int rc = av_read_frame(format.get(), packet.get());
        if (rc == AVERROR_EOF)
            break;
        if (rc < 0)
            return avspu::avError(QStringLiteral("FFmpeg cannot read a packet"), path, rc);
        const int index = packet->stream_index;
        if (index >= 0 && unsigned(index) < parsers.size() && parsers[index]) {
            const uint8_t *data = packet->data;
            int size = packet->size;
            while (size > 0) {
                uint8_t *out = nullptr;
                int outSize = 0;
                const int used = av_parser_parse2(parsers[index].get(), contexts[index].get(), &out, &outSize,
                                                  data, size, packet->pts, packet->dts, packet->pos);
                if (used < 0)
                    break;
                data += used;
                size -= used;
                if (outSize > 0) {
                    AvSpuUnit unit;
                    unit.substream = format->streams[index]->id - 0x20;
                    unit.pts90k = parsers[index]->pts;
                    unit.bytes.assign(out, out + outSize);
                    units.push_back(std::move(unit));
                }
            }
        }
        av_packet_unref(packet.get());
    }
    return units;
}

// FFmpeg's DVD subtitle decoder with the grey palette above, so every colour it gives names the
// DVD palette index it came from.
class AvSpuDecoder {
public:
    static core::Result<std::unique_ptr<AvSpuDecoder>> open()
    {
        const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_DVD_SUBTITLE);
        if (!codec)
            return core::makeError(QStringLiteral("FFmpeg has no DVD subtitle decoder"), QString());
        std::unique_ptr<AvSpuDecoder> decoder(new AvSpuDecoder);
        decoder->m_context.reset(avcodec_alloc_context3(codec));
        decoder->m_packet.reset(av_packet_alloc());
        if (!decoder->m_context || !decoder->m_packet)
            return core::makeError(QStringLiteral("Out of memory for FFmpeg's decoder"), QString());
        QByteArray palette;
        for (int k = 0; k < 16; ++k)
            palette += (k ? "," : "") + QByteArray::number(avspu::paletteColour(k), 16).rightJustified(6, '0');
        AVDictionary *options = nullptr;
        av_dict_set(&options, "palette", palette.constData(), 0);
        const int rc = avcodec_open2(decoder->m_context.get(), codec, &options);
        av_dict_free(&options);
        if (rc < 0)
            return avspu::avError(QStringLiteral("FFmpeg cannot open its DVD subtitle decoder"), QString(), rc);
        return decoder;
    }

    // Decodes one whole unit. FFmpeg keeps an unfinished unit for the next call; units from
    // demuxSpuUnits() are whole, so each call stands alone.
    AvSpuPicture decode(std::span<const uint8_t> unit)
    {
        AvSpuPicture picture;
        AVSubtitle subtitle{};
        if (!decodeInto(unit, subtitle))
            return picture;
        picture.startMs = subtitle.start_display_time;
        picture.endMs = subtitle.end_display_time;
        if (subtitle.num_rects > 0 && subtitle.rects[0]->w > 0 && subtitle.rects[0]->h > 0) {
            const AVSubtitleRect *rect = subtitle.rects[0];
            picture.hasPicture = true;
            picture.x = rect->x;
            picture.y = rect->y;
            picture.width = rect->w;
            picture.height = rect->h;
            picture.forced = rect->flags & AV_SUBTITLE_FLAG_FORCED;
            picture.pixels.resize(size_t(rect->w) * size_t(rect->h));
            for (int row = 0; row < rect->h; ++row)
                std::copy_n(rect->data[0] + size_t(row) * size_t(rect->linesize[0]), rect->w,
                            picture.pixels.begin() + ptrdiff_t(size_t(row) * size_t(rect->w)));
            const auto *colours = reinterpret_cast<const uint32_t *>(rect->data[1]);
            for (int i = 0; i < 4 && i < rect->nb_colors; ++i) {
                picture.paletteIndex[i] = int((colours[i] & 0xFFFFFF) / 0x111111u);
                picture.contrast[i] = int((colours[i] >> 24) / 17u);
            }
        }
        avsubtitle_free(&subtitle);
        return picture;
    }

    // Decoding only, for timing: the result is dropped unread. True when FFmpeg gave a subtitle.
    bool decodeOnly(std::span<const uint8_t> unit)
    {
        AVSubtitle subtitle{};
        if (!decodeInto(unit, subtitle))
            return false;
        avsubtitle_free(&subtitle);
        return true;
    }

private:
    AvSpuDecoder() = default;

    // The packet only borrows the unit's bytes; FFmpeg copies what it keeps.
    bool decodeInto(std::span<const uint8_t> unit, AVSubtitle &subtitle)
    {
        int got = 0;
        m_packet->data = const_cast<uint8_t *>(unit.data());
        m_packet->size = int(unit.size());
        const int rc = avcodec_decode_subtitle2(m_context.get(), &subtitle, &got, m_packet.get());
        m_packet->data = nullptr;
        m_packet->size = 0;
        if (rc < 0 || !got) {
            if (got)
                avsubtitle_free(&subtitle);
            return false;
        }
        return true;
    }

    std::unique_ptr<AVCodecContext, avspu::CodecFreer> m_context;
    std::unique_ptr<AVPacket, avspu::PacketFreer> m_packet;
};


// The display times of one stream's units as FFmpeg's demuxer and DVD subtitle decoder give them (the
// times ffprobe shows): the unit's PTS / 90 plus the decoder's start and stop. Units without a visible
// picture are left out.
struct AvUnitTime {
    int64_t startMs = 0;
    int64_t stopMs = 0;
};

inline core::Result<std::vector<AvUnitTime>> unitTimesByFfmpeg(const QString &path, int substream = 0)
{
    auto units = demuxSpuUnits(path);
    if (!units)
        return units.error();
    auto decoder = AvSpuDecoder::open();
    if (!decoder)
        return decoder.error();
    std::vector<AvUnitTime> out;
    for (const AvSpuUnit &unit : *units) {
        if (unit.substream != substream)
            continue;
        const AvSpuPicture picture = (*decoder)->decode(unit.bytes);
        if (picture.hasPicture)
            out.push_back({unit.pts90k / 90 + picture.startMs, unit.pts90k / 90 + picture.endMs});
    }
    return out;
}

// A picture for FFmpeg's DVD subtitle encoder: pixel codes 0-3 at their place on the frame, each code
// shown as a DVD palette index with a contrast (0 transparent, 15 opaque).
struct AvSpuSource {
    int frameWidth = 720, frameHeight = 576; // the encoder wants the picture inside the frame
    int x = 0, y = 0, width = 0, height = 0;
    std::vector<uint8_t> codes; // width x height, row by row
    std::array<int, 4> paletteIndex{};
    std::array<int, 4> contrast{};
    uint32_t durationMs = 2000; // display stop after the start
};

// One subpicture unit made by FFmpeg's DVD subtitle encoder with the grey palette of AvSpuDecoder,
// so the colours it is given name the palette indices it picks.
inline core::Result<std::vector<uint8_t>> encodeSpuUnit(const AvSpuSource &source)
{
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_DVD_SUBTITLE);
    if (!codec)
        return core::makeError(QStringLiteral("FFmpeg has no DVD subtitle encoder"), QString());
    std::unique_ptr<AVCodecContext, avspu::CodecFreer> context(avcodec_alloc_context3(codec));
    if (!context)
        return core::makeError(QStringLiteral("Out of memory for FFmpeg's encoder"), QString());
    context->time_base = AVRational{1, 1000};
    context->width = source.frameWidth;
    context->height = source.frameHeight;
    QByteArray palette;
    for (int k = 0; k < 16; ++k)
        palette += (k ? "," : "") + QByteArray::number(avspu::paletteColour(k), 16).rightJustified(6, '0');
    AVDictionary *options = nullptr;
    av_dict_set(&options, "palette", palette.constData(), 0);
    const int rc = avcodec_open2(context.get(), codec, &options);
    av_dict_free(&options);
    if (rc < 0)
        return avspu::avError(QStringLiteral("FFmpeg cannot open its DVD subtitle encoder"), QString(), rc);

    AVSubtitle subtitle{};
    subtitle.end_display_time = source.durationMs;
    subtitle.num_rects = 1;
    subtitle.rects = static_cast<AVSubtitleRect **>(av_mallocz(sizeof(AVSubtitleRect *)));
    AVSubtitleRect *rect = subtitle.rects ? static_cast<AVSubtitleRect *>(av_mallocz(sizeof(AVSubtitleRect))) : nullptr;
    if (rect) {
        subtitle.rects[0] = rect;
        rect->type = SUBTITLE_BITMAP;
        rect->x = source.x;
        rect->y = source.y;
        rect->w = source.width;
        rect->h = source.height;
        rect->nb_colors = 4;
        rect->linesize[0] = source.width;
        rect->data[0] = static_cast<uint8_t *>(av_malloc(source.codes.size()));
        rect->data[1] = static_cast<uint8_t *>(av_mallocz(4 * sizeof(uint32_t)));
    }
    if (!rect || !rect->data[0] || !rect->data[1]) {
        avsubtitle_free(&subtitle);
        return core::makeError(QStringLiteral("Out of memory for FFmpeg's encoder"), QString());
    }
    std::copy(source.codes.begin(), source.codes.end(), rect->data[0]);
    auto *colours = reinterpret_cast<uint32_t *>(rect->data[1]);
    for (int c = 0; c < 4; ++c)
        colours[c] = uint32_t(source.contrast[c] * 17) << 24 | avspu::paletteColour(source.paletteIndex[c]);

    // The encoder wants room for its worst case, half a byte per pixel, before it starts; an HD
    // picture of two lines needs more than a unit can hold, though its run lengths take far less.
    std::vector<uint8_t> unit(std::max<size_t>(65536, source.codes.size() / 2 + 1024));
    const int size = avcodec_encode_subtitle(context.get(), unit.data(), int(unit.size()), &subtitle);
    avsubtitle_free(&subtitle);
    if (size < 0)
        return avspu::avError(QStringLiteral("FFmpeg cannot encode the subpicture"), QString(), size);
    if (size > 0xFFFF) // the unit's size field has 16 bits
        return core::makeError(QStringLiteral("The subpicture takes %1 bytes, more than a unit holds").arg(size),
                               QString());
    unit.resize(size_t(size));
    return unit;
}

} // namespace glyfex::test
