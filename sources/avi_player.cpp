// The frame source of the video viewer: any video FFmpeg opens, read frame by frame by number as 24-bit BGR.
#include "sources/avi_player.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace glyfex::sources {

namespace {

// Frames larger than 8K video are refused before one is decoded: the 24-bit copy alone would take
// hundreds of megabytes. More frames than this (about 37 hours at 30 frames a second) would make the frame
// index itself a memory hazard.
constexpr int kMaxSide = 8192;
constexpr int64_t kMaxPixels = int64_t(8192) * 4320;
constexpr size_t kMaxFrames = 4'000'000;

QString avErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

core::Error openError(const QString &path, const QString &why)
{
    return core::makeError(QStringLiteral("Cannot open the video"), QDir::toNativeSeparators(path), why);
}

} // namespace

int rateX1000(int64_t num, int64_t den)
{
    if (num <= 0 || den <= 0 || num > INT32_MAX || den > INT32_MAX)
        return 0;
    const int64_t scaled = num * 1000;
    int64_t q = scaled / den;
    const int64_t twiceRem = 2 * (scaled % den);
    if (twiceRem > den || (twiceRem == den && (q & 1)))
        ++q;
    return q > INT32_MAX ? 0 : int(q);
}

// Everything FFmpeg holds for one open file, and the index of its video packets.
struct AviPlayer::Stream {
    struct Packet {
        int64_t pts = 0;
        bool key = false;
    };

    AVFormatContext *format = nullptr;
    AVCodecContext *codec = nullptr;
    SwsContext *scaler = nullptr;
    AVPacket *packet = nullptr;
    AVFrame *frame = nullptr;
    int index = -1;

    std::vector<Packet> packets;        // decode order
    std::vector<int64_t> framePts;      // presentation order: frame n has time stamp framePts[n]
    std::vector<int> framePacket;       // decode-order packet of frame n

    int lastDecoded = -1;               // frame number of the decoder's last output, -1 after a seek
    bool draining = false;              // the end of the file has been sent to the decoder
    int cachedFrame = -1;
    BgrFrame cache;

    ~Stream()
    {
        sws_freeContext(scaler);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }

    // The packet to start decoding from for frame n: the last keyframe before it in decode order that is
    // not shown after it (a keyframe shown later may be followed by frames that need the group before).
    int startPacket(int n) const
    {
        for (int i = framePacket[size_t(n)]; i >= 0; --i) {
            if (packets[size_t(i)].key && packets[size_t(i)].pts <= framePts[size_t(n)])
                return i;
        }
        return 0;
    }

    bool seekTo(int packetIndex)
    {
        const AVStream *s = format->streams[index];
        int64_t ts = packets[size_t(packetIndex)].pts;
        // Some containers seek by decode time, which is never after the presentation time of a keyframe;
        // the earliest time stamp of the start packet lands on it or on a keyframe before it.
        if (packetIndex == 0)
            ts = s->start_time != AV_NOPTS_VALUE ? std::min(ts, s->start_time) : ts;
        if (av_seek_frame(format, index, ts, AVSEEK_FLAG_BACKWARD) < 0
            && av_seek_frame(format, index, INT64_MIN, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0)
            return false;
        avcodec_flush_buffers(codec);
        draining = false;
        lastDecoded = -1;
        return true;
    }

    // The decoder's next frame into `frame`: 1, 0 at the end of the stream, negative on a read error.
    int decodeNext()
    {
        for (;;) {
            const int r = avcodec_receive_frame(codec, frame);
            if (r == 0)
                return 1;
            if (r == AVERROR_EOF)
                return 0;
            if (r != AVERROR(EAGAIN))
                return r;
            if (draining)
                return 0;
            const int read = av_read_frame(format, packet);
            if (read == AVERROR_EOF) {
                draining = true;
                avcodec_send_packet(codec, nullptr);
                continue;
            }
            if (read < 0)
                return read;
            if (packet->stream_index == index) {
                // A damaged packet is skipped: the frames after the next keyframe still decode.
                avcodec_send_packet(codec, packet);
            }
            av_packet_unref(packet);
        }
    }

    // Decodes forward until frame n comes out; false when the stream ends or passes it first.
    bool decodeUntil(int n)
    {
        const int64_t target = framePts[size_t(n)];
        for (;;) {
            const int r = decodeNext();
            if (r <= 0)
                return false;
            const int64_t pts = frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp
                                                                                : frame->pts;
            const auto at = std::lower_bound(framePts.begin(), framePts.end(), pts);
            if (at != framePts.end() && *at == pts)
                lastDecoded = int(at - framePts.begin());
            if (pts == target)
                return true;
            if (pts > target && pts != AV_NOPTS_VALUE)
                return false;
        }
    }

    bool convert(int width, int height, BgrFrame &out)
    {
        scaler = sws_getCachedContext(scaler, frame->width, frame->height, AVPixelFormat(frame->format), width,
                                      height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr);
        if (!scaler)
            return false;
        out.width = width;
        out.height = height;
        out.bytes.assign(size_t(width) * size_t(height) * 3, 0);
        uint8_t *dst[4] = {out.bytes.data(), nullptr, nullptr, nullptr};
        int dstStride[4] = {width * 3, 0, 0, 0};
        return sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, dst, dstStride) == height;
    }
};

AviPlayer::AviPlayer() = default;

AviPlayer::~AviPlayer() = default;

core::Result<void> AviPlayer::setFileName(const QString &name)
{
    if (name == m_fileName)
        return {};
    m_fileName = name;
    close();
    return open();
}

core::Result<void> AviPlayer::open()
{
    m_opened = false;
    m_rateKnown = false;
    m_stream.reset();
    const QString path = m_fileName;
    if (path.isEmpty())
        return openError(path, QStringLiteral("no file name"));

    auto s = std::make_unique<Stream>();
    int r = avformat_open_input(&s->format, QFile::encodeName(path).constData(), nullptr, nullptr);
    if (r < 0)
        return openError(path, avErrorText(r));
    r = avformat_find_stream_info(s->format, nullptr);
    if (r < 0)
        return openError(path, avErrorText(r));
    const AVCodec *decoder = nullptr;
    s->index = av_find_best_stream(s->format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (s->index < 0 || !decoder)
        return openError(path, s->index == AVERROR_DECODER_NOT_FOUND ? QStringLiteral("no decoder for its video")
                                                                       : QStringLiteral("it holds no video"));
    AVStream *stream = s->format->streams[s->index];
    const AVCodecParameters *par = stream->codecpar;
    if (par->width <= 0 || par->height <= 0 || par->width > kMaxSide || par->height > kMaxSide
        || int64_t(par->width) * par->height > kMaxPixels)
        return openError(path, QStringLiteral("frame size %1 x %2 is not one a video can have")
                                   .arg(par->width).arg(par->height));

    s->codec = avcodec_alloc_context3(decoder);
    s->packet = av_packet_alloc();
    s->frame = av_frame_alloc();
    if (!s->codec || !s->packet || !s->frame)
        return openError(path, QStringLiteral("out of memory"));
    r = avcodec_parameters_to_context(s->codec, par);
    if (r >= 0) {
        s->codec->thread_count = 2;
        r = avcodec_open2(s->codec, decoder, nullptr);
    }
    if (r < 0)
        return openError(path, avErrorText(r));

    // Index every video packet once, so that frame numbers are exact and any frame can be reached from the
    // keyframe before it.
    while ((r = av_read_frame(s->format, s->packet)) >= 0) {
        if (s->packet->stream_index == s->index) {
            int64_t pts = s->packet->pts != AV_NOPTS_VALUE ? s->packet->pts : s->packet->dts;
            if (pts == AV_NOPTS_VALUE) {
                av_packet_unref(s->packet);
                return openError(path, QStringLiteral("video packet %1 has no time stamp").arg(s->packets.size()));
            }
            if (s->packets.size() >= kMaxFrames) {
                av_packet_unref(s->packet);
                return openError(path, QStringLiteral("more than %1 frames").arg(kMaxFrames));
            }
            s->packets.push_back({pts, (s->packet->flags & AV_PKT_FLAG_KEY) != 0});
        }
        av_packet_unref(s->packet);
    }
    if (r != AVERROR_EOF)
        return openError(path, avErrorText(r));

    std::vector<std::pair<int64_t, int>> order;
    order.reserve(s->packets.size());
    for (size_t i = 0; i < s->packets.size(); ++i)
        order.emplace_back(s->packets[i].pts, int(i));
    std::sort(order.begin(), order.end());
    for (const auto &[pts, packet] : order) {
        // Two packets with one time stamp show one frame.
        if (!s->framePts.empty() && s->framePts.back() == pts)
            continue;
        s->framePts.push_back(pts);
        s->framePacket.push_back(packet);
    }

    AVRational rate = stream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = stream->r_frame_rate;
    const int fps = rateX1000(rate.num, rate.den);

    m_stream = std::move(s);
    m_frameCount = int(m_stream->framePts.size());
    m_width = par->width;
    m_height = par->height;
    m_fpsX1000 = fps;
    m_rateKnown = fps > 0;
    m_position = 0;
    m_opened = true;
    return {};
}

void AviPlayer::close()
{
    if (!m_opened)
        return;
    m_stream.reset();
    m_opened = false;
    m_frameCount = 0;
}

void AviPlayer::clampPosition()
{
    if (!m_opened)
        return;
    if (m_position > m_frameCount - 1)
        m_position = m_frameCount - 1;
    else if (m_position < 0)
        m_position = 0;
}

core::Result<void> AviPlayer::drawFrame(BgrFrame &target)
{
    const auto fail = [this](const QString &why) {
        return core::makeError(QStringLiteral("Cannot show frame %1").arg(m_position),
                               QDir::toNativeSeparators(m_fileName), why);
    };
    if (!m_opened)
        return fail(QStringLiteral("no video is open"));
    clampPosition();
    // Clamping a negative position gives 0 also when the video has no frame at all.
    if (m_position < 0 || m_position >= m_frameCount)
        return fail(QStringLiteral("the video has no frames"));
    Stream &s = *m_stream;
    const int n = m_position;
    if (s.cachedFrame == n) {
        target = s.cache;
        return {};
    }
    // Forward from the decoder's place when the frame lies ahead of it in the same run of frames;
    // otherwise from the keyframe before the frame.
    const bool ahead = s.lastDecoded >= 0 && n > s.lastDecoded
                       && (n == s.lastDecoded + 1 || s.startPacket(n) <= s.framePacket[size_t(s.lastDecoded)]);
    bool found = ahead && s.decodeUntil(n);
    if (!found)
        found = s.seekTo(s.startPacket(n)) && s.decodeUntil(n);
    if (!found) // a container whose seek lands after the keyframe: from the start
        found = s.seekTo(0) && s.decodeUntil(n);
    if (!found) {
        s.lastDecoded = -1;
        return fail(QStringLiteral("it cannot be decoded"));
    }
    BgrFrame out;
    if (!s.convert(m_width, m_height, out))
        return fail(QStringLiteral("its pixel format cannot be turned into 24-bit colour"));
    s.cache = out;
    s.cachedFrame = n;
    target = std::move(out);
    return {};
}

} // namespace glyfex::sources
