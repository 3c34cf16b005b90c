// The frame source of the video viewer: any video FFmpeg opens, read frame by frame by number as 24-bit BGR.
#include "sources/avi_player.h"

#include "core/file_read.h"
#include "sources/video_index.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <utility>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace glyfex::sources {

namespace {

// Frames larger than 8K video are refused before one is decoded: the 24-bit copy alone would take
// hundreds of megabytes. More frames than this (about 37 hours at 30 frames a second) would make the frame
// index itself a memory hazard.
constexpr int kMaxSide = 8192;
constexpr int64_t kMaxPixels = int64_t(8192) * 4320;
constexpr size_t kMaxFrames = VideoIndex::kMaxFrames;

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

// Everything FFmpeg holds for one open file, the index of its video packets and where the decoder stands.
struct AviPlayer::Stream {
    AVFormatContext *format = nullptr;
    AVCodecContext *codec = nullptr;
    SwsContext *scaler = nullptr;
    AVPacket *packet = nullptr;
    AVFrame *frame = nullptr;
    AVFrame *ahead = nullptr;           // put out past the frame asked for, which could not be decoded
    int index = -1;
    AVRational timeBase{0, 1};
    VideoIndex packets;

    int nextPacket = VideoIndex::kNone; // the packet expected next from the file, kNone after a seek
    int sentPacket = -1;                // the last packet sent to the decoder since the last seek
    int floorFrame = 0;                 // frames before this one come out of a seek broken or not at all
    int lastOutput = -1;                // frame number of the decoder's last output, -1 after a seek
    int aheadFrame = -1;
    int sendLimit = -1;                 // the end of the stream is sent after this many packets (none when negative)
    bool draining = false;              // the end of the file has been sent to the decoder
    int cachedFrame = -1;
    AVFrame *cached = nullptr;          // the decoded picture of cachedFrame, converted again when asked again
    core::PassHost *host = nullptr;     // follows the open, which reads and may decode the whole file
    bool cancelled = false;

    // Reports thousandths of the open done; false when the host cancels it.
    bool report(int64_t perMille)
    {
        if (!host || cancelled)
            return !cancelled;
        host->progress(std::clamp<int64_t>(perMille, 0, 1000), 1000);
        cancelled = host->pump() == core::PumpResult::Cancel;
        return !cancelled;
    }

    ~Stream()
    {
        sws_freeContext(scaler);
        av_frame_free(&cached);
        av_frame_free(&ahead);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }

    IndexedPacket described(const AVPacket &p) const
    {
        return IndexedPacket{p.pts, p.dts, p.pos, p.size, (p.flags & AV_PKT_FLAG_KEY) != 0};
    }

    // Reads up to the next packet of the video stream that the index knows, into `packet`: its number,
    // or a negative FFmpeg error (AVERROR_EOF at the end). Empty packets show nothing and are passed over.
    int readIdentified(int near)
    {
        for (;;) {
            const int r = av_read_frame(format, packet);
            if (r < 0)
                return r;
            if (packet->stream_index == index && packet->size > 0) {
                const int id = packets.identify(described(*packet), nextPacket, near);
                nextPacket = id == VideoIndex::kNone ? VideoIndex::kNone : id + 1;
                if (id != VideoIndex::kNone)
                    return id;
            }
            av_packet_unref(packet);
        }
    }

    void send(int id)
    {
        // The decoder hands the number on to the frame the packet's picture becomes, in whatever order the
        // frames come out.
#if LIBAVCODEC_VERSION_MAJOR >= 60
        packet->opaque = reinterpret_cast<void *>(intptr_t(id));
#else
        codec->reordered_opaque = id;
#endif
        // A damaged packet is refused or decodes into nothing: the frames after it still come out.
        (void)avcodec_send_packet(codec, packet);
        sentPacket = id;
        av_packet_unref(packet);
    }

    int packetOf(const AVFrame &f) const
    {
#if LIBAVCODEC_VERSION_MAJOR >= 60
        const int64_t id = int64_t(reinterpret_cast<intptr_t>(f.opaque));
#else
        const int64_t id = f.reordered_opaque;
#endif
        return id >= 0 && id < packets.packetCount() ? int(id) : VideoIndex::kNone;
    }

    // One seek of the file to a point at or before packet target, by time or by byte.
    bool seekFile(int target, int attempt)
    {
        const AVStream *s = format->streams[index];
        const IndexedPacket &p = packets.packet(target);
        const int64_t at = p.dts != IndexedPacket::kNoTime ? p.dts : p.pts;
        const bool byteSeek = !(format->iformat->flags & AVFMT_NO_BYTE_SEEK);
        // In a stream read by its bytes (a program or transport stream, which may be joined to itself), a
        // time names every copy of a repeated packet and a seek by it may land in any of them: the byte
        // position of a packet at or before the target names one. Each attempt starts further back; the
        // packets read there are told apart by their positions and their nearness to the target.
        if (packets.packetsRepeat() && byteSeek && (format->iformat->flags & AVFMT_TS_DISCONT)) {
            const int anchor = packets.positionedPacket(target);
            const int64_t from = anchor == VideoIndex::kNone || attempt >= 4 ? 0 : packets.packet(anchor).pos;
            return av_seek_frame(format, index, std::max<int64_t>(0, from - int64_t(attempt) * 1'000'000),
                                 AVSEEK_FLAG_BYTE) >= 0;
        }
        // Demuxers that seek by searching the file for times land near the time asked for, sometimes after
        // it: each attempt asks further back, the last from the start of the file.
        static constexpr int kBackSeconds[] = {0, 1, 5, 30};
        if (attempt < int(std::size(kBackSeconds))) {
            if (at != IndexedPacket::kNoTime) {
                const int64_t back = av_rescale_q(kBackSeconds[attempt], AVRational{1, 1}, s->time_base);
                return av_seek_frame(format, index, at - back, AVSEEK_FLAG_BACKWARD) >= 0;
            }
            if (p.pos >= 0 && byteSeek)
                return av_seek_frame(format, index, std::max<int64_t>(0, p.pos - int64_t(attempt) * 1'000'000),
                                     AVSEEK_FLAG_BYTE) >= 0;
            return false;
        }
        if (attempt == int(std::size(kBackSeconds))) {
            const IndexedPacket &first = packets.packet(0);
            const int64_t start = first.dts != IndexedPacket::kNoTime ? first.dts : first.pts;
            if (start != IndexedPacket::kNoTime
                && av_seek_frame(format, index, start - av_rescale_q(60, AVRational{1, 1}, s->time_base),
                                 AVSEEK_FLAG_BACKWARD) >= 0)
                return true;
        }
        return byteSeek && av_seek_frame(format, index, 0, AVSEEK_FLAG_BYTE) >= 0;
    }

    // Seeks so that the decoder, flushed, has been sent packet start first; false when no seek gets there.
    bool seekTo(int start)
    {
        avcodec_flush_buffers(codec);
        draining = false;
        lastOutput = -1;
        aheadFrame = -1;
        sentPacket = -1;
        floorFrame = std::max(0, packets.frameOfPacket(start));
        for (int attempt = 0; attempt <= 5; ++attempt) {
            nextPacket = VideoIndex::kNone;
            if (!seekFile(start, attempt))
                continue;
            int id = readIdentified(start);
            // The packets before the start are read, not decoded.
            while (id >= 0 && id < start) {
                av_packet_unref(packet);
                id = readIdentified(start);
            }
            if (id == start) {
                send(id);
                return true;
            }
            if (id >= 0)
                av_packet_unref(packet);
        }
        return false;
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
            const int id = sendLimit >= 0 && sentPacket + 1 >= sendLimit ? AVERROR_EOF : readIdentified(nextPacket);
            if (id == AVERROR_EOF) {
                draining = true;
                avcodec_send_packet(codec, nullptr);
                continue;
            }
            if (id < 0)
                return id;
            send(id);
        }
    }

    // Decodes forward until frame n comes out, into `frame`. False when the stream ends first or puts out
    // a later frame instead (frame n could not be decoded); that one is kept for the next call.
    bool decodeUntil(int n)
    {
        if (aheadFrame >= 0) {
            if (aheadFrame == n) {
                av_frame_unref(frame);
                av_frame_move_ref(frame, ahead);
                aheadFrame = -1;
                return true;
            }
            if (aheadFrame > n)
                return false;
            av_frame_unref(ahead);
            aheadFrame = -1;
        }
        for (;;) {
            if (decodeNext() <= 0)
                return false;
            const int id = packetOf(*frame);
            const int f = id == VideoIndex::kNone ? VideoIndex::kNone : packets.frameOfPacket(id);
            // Frames shown before the keyframe the decoder started from, and frames put out twice.
            if (f == VideoIndex::kNone || f < floorFrame || f <= lastOutput) {
                av_frame_unref(frame);
                continue;
            }
            lastOutput = f;
            if (f == n)
                return true;
            if (f > n) {
                av_frame_unref(ahead);
                av_frame_move_ref(ahead, frame);
                aheadFrame = f;
                return false;
            }
            av_frame_unref(frame);
        }
    }

    // Frame n is reached by decoding on from where the decoder is (no seek).
    bool reachableAhead(int n) const
    {
        if (sentPacket < 0 || n <= lastOutput)
            return false;
        return n == lastOutput + 1 || n == aheadFrame || packets.startPacket(n) <= sentPacket + 1;
    }

    // The picture into out, whose buffer is used again when it has the size: a frame of a film is megabytes,
    // and the run converts every frame. False (out untouched) when the pixel format cannot be converted.
    bool convert(const AVFrame &picture, int width, int height, BgrFrame &out)
    {
        scaler = sws_getCachedContext(scaler, picture.width, picture.height, AVPixelFormat(picture.format), width,
                                      height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr);
        if (!scaler)
            return false;
        out.width = width;
        out.height = height;
        out.bytes.resize(size_t(width) * size_t(height) * 3);
        uint8_t *dst[4] = {out.bytes.data(), nullptr, nullptr, nullptr};
        int dstStride[4] = {width * 3, 0, 0, 0};
        return sws_scale(scaler, picture.data, picture.linesize, 0, picture.height, dst, dstStride) == height;
    }

    // The order a decoder reading the file from its start puts the frames out in: the packet of each frame
    // and its time, for the first `limit` packets (all when negative). The pixels are not needed, only the
    // order, so the decoder may leave out the work that only makes pictures.
    struct Output {
        std::vector<int> packets;
        std::vector<int64_t> times;
    };
    core::Result<Output> decodeOrder(const QString &path, const AVCodec *decoder, const AVCodecParameters *par,
                                     int limit)
    {
        AVCodecContext *fast = avcodec_alloc_context3(decoder);
        if (!fast)
            return openError(path, QStringLiteral("out of memory"));
        int r = avcodec_parameters_to_context(fast, par);
        if (r >= 0) {
            // Frame order only: as many threads as the machine has.
            fast->thread_count = 0;
            fast->skip_loop_filter = AVDISCARD_ALL;
            fast->skip_idct = AVDISCARD_ALL;
            fast->flags2 |= AV_CODEC_FLAG2_FAST;
#if LIBAVCODEC_VERSION_MAJOR >= 60
            fast->flags |= AV_CODEC_FLAG_COPY_OPAQUE;
#endif
            r = avcodec_open2(fast, decoder, nullptr);
        }
        if (r < 0) {
            avcodec_free_context(&fast);
            return openError(path, avErrorText(r));
        }
        AVCodecContext *main = std::exchange(codec, fast);
        sendLimit = limit;
        Output out;
        const size_t expected = size_t(limit >= 0 ? std::min(limit, packets.packetCount()) : packets.packetCount());
        out.packets.reserve(expected);
        out.times.reserve(expected);
        const bool started = seekTo(0);
        while (started && decodeNext() > 0) {
            out.packets.push_back(packetOf(*frame));
            out.times.push_back(frame->best_effort_timestamp);
            av_frame_unref(frame);
            // Reading the file was the first fifth of the open, decoding it is the rest.
            if (out.packets.size() % 32 == 0 && !report(200 + int64_t(out.packets.size()) * 800 / int64_t(std::max<size_t>(expected, 1))))
                break;
        }
        sendLimit = -1;
        codec = main;
        avcodec_free_context(&fast);
        // The playing decoder starts again from a seek.
        sentPacket = -1;
        lastOutput = -1;
        if (cancelled)
            return openError(path, QStringLiteral("cancelled"));
        if (!started)
            return openError(path, QStringLiteral("it cannot be read again from its start"));
        return out;
    }

    // Numbers the frames: by the packets' times when each has its own and the first packets decode into one
    // frame each, as those times take for granted (not so for pictures coded as two fields in two packets, or
    // a file that starts with pictures that need the ones before it); otherwise as the decoder puts them out.
    core::Result<void> numberFrames(const QString &path, const AVCodec *decoder, const AVCodecParameters *par,
                                    double frameDuration)
    {
        if (packets.orderByPresentationTime(frameDuration)) {
            constexpr int kProbe = 48;
            auto first = decodeOrder(path, decoder, par, kProbe);
            if (!first)
                return first.error();
            if (first->packets.size() == size_t(std::min(kProbe, packets.packetCount())))
                return {};
        }
        auto all = decodeOrder(path, decoder, par, -1);
        if (!all)
            return all.error();
        packets.orderByOutput(all->packets, all->times, frameDuration);
        return {};
    }
};

AviPlayer::AviPlayer() = default;

AviPlayer::~AviPlayer() = default;

core::Result<void> AviPlayer::setFileName(const QString &name, core::PassHost *host)
{
    if (name == m_fileName)
        return {};
    m_fileName = name;
    close();
    return open(host);
}

core::Result<void> AviPlayer::open(core::PassHost *host)
{
    m_opened = false;
    m_rateKnown = false;
    m_ownTimes = false;
    m_cancelled = false;
    m_stream.reset();
    const QString path = m_fileName;
    if (path.isEmpty())
        return openError(path, QStringLiteral("no file name"));
    // A pipe would hold the demuxer's open until a writer came, a device would be read without end.
    if (const QString problem = core::plainFileProblem(path); !problem.isEmpty())
        return openError(path, problem);

    auto s = std::make_unique<Stream>();
    s->host = host;
    // Whatever way the open ends, a cancel is told.
    struct CancelNote {
        Stream *stream;
        bool &cancelled;
        ~CancelNote() { cancelled = stream->cancelled; }
    } note{s.get(), m_cancelled};
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
    s->ahead = av_frame_alloc();
    s->cached = av_frame_alloc();
    if (!s->codec || !s->packet || !s->frame || !s->ahead || !s->cached)
        return openError(path, QStringLiteral("out of memory"));
    r = avcodec_parameters_to_context(s->codec, par);
    if (r >= 0) {
        // As many threads as the machine has, as FFmpeg's own tools decode: the run keeps the decoder's pace.
        s->codec->thread_count = 0;
#if LIBAVCODEC_VERSION_MAJOR >= 60
        s->codec->flags |= AV_CODEC_FLAG_COPY_OPAQUE;
#endif
        r = avcodec_open2(s->codec, decoder, nullptr);
    }
    if (r < 0)
        return openError(path, avErrorText(r));

    // Index every video packet once, so that frame numbers are exact and any frame can be reached from the
    // keyframe before it.
    const int64_t fileBytes = s->format->pb ? avio_size(s->format->pb) : -1;
    int64_t readPackets = 0;
    while ((r = av_read_frame(s->format, s->packet)) >= 0) {
        if (++readPackets % 256 == 0 && fileBytes > 0
            && !s->report(avio_tell(s->format->pb) * 200 / fileBytes)) {
            av_packet_unref(s->packet);
            return openError(path, QStringLiteral("cancelled"));
        }
        if (s->packet->stream_index == s->index && s->packet->size > 0) {
            if (s->packets.packetCount() >= int(kMaxFrames)) {
                av_packet_unref(s->packet);
                return openError(path, QStringLiteral("more than %1 frames").arg(kMaxFrames));
            }
            s->packets.add(s->described(*s->packet));
        }
        av_packet_unref(s->packet);
    }
    if (r != AVERROR_EOF)
        return openError(path, avErrorText(r));
    AVRational rate = stream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = stream->r_frame_rate;
    int fps = rateX1000(rate.num, rate.den);
    // A demuxer that assumes a rate for a stream without times of its own (raw H.264, motion JPEG) has no
    // frames left out to find.
    const AVClass *demuxerClass = s->format->iformat->priv_class;
    const bool assumedRate = demuxerClass && av_opt_find(&demuxerClass, "framerate", nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ);
    const double frameDuration = fps > 0 && !assumedRate && stream->time_base.num > 0
                                     ? double(rate.den) * stream->time_base.den / (double(rate.num) * stream->time_base.num)
                                     : 0.0;
    if (s->packets.packetCount() > 0) {
        auto numbered = s->numberFrames(path, decoder, par, frameDuration);
        if (!numbered)
            return numbered.error();
    }

    // Such a stream has the demuxer's assumed rate unless the stream itself names one, which its decoder
    // reports once it has a frame.
    if (assumedRate) {
        const int first = s->packets.frameCount() > 0 ? s->packets.startPacket(0) : -1;
        if (first >= 0)
            (void)(s->seekTo(first) && s->decodeUntil(0));
        fps = rateX1000(s->codec->framerate.num, s->codec->framerate.den);
        av_frame_unref(s->frame);
    }

    // A file whose frames lie off the grid of its rate by more than half a frame changes its rate: the
    // frames' own times say when each is shown. A demuxer that assumes a rate made the times up.
    const VideoIndex &index = s->packets;
    s->timeBase = stream->time_base;
    bool ownTimes = false;
    if (!assumedRate && index.timesIncrease() && index.frameCount() > 1 && s->timeBase.num > 0 && s->timeBase.den > 0) {
        const double secondsPerTick = av_q2d(s->timeBase);
        const int64_t t0 = index.frameTime(0);
        for (int n = 1; n < index.frameCount() && !ownTimes; ++n) {
            const double shown = double(index.frameTime(n) - t0) * secondsPerTick;
            ownTimes = fps <= 0 || std::abs(shown * fps - 1000.0 * n) > 500.0;
        }
    }

    m_stream = std::move(s);
    m_ownTimes = ownTimes;
    m_frameCount = m_stream->packets.frameCount();
    m_width = par->width;
    m_height = par->height;
    m_fpsX1000 = fps;
    m_rateKnown = fps > 0;
    m_position = 0;
    m_opened = true;
    return {};
}

core::Result<core::TimeCode> AviPlayer::frameTime(int n, uint32_t rateX1000) const
{
    if (!m_ownTimes || !m_stream)
        return core::frameNumberToTimeCode(int64_t(n), rateX1000);
    if (n < 0 || n >= m_frameCount)
        return core::makeError(QStringLiteral("Cannot turn frame %1 into a time").arg(n),
                               QDir::toNativeSeparators(m_fileName), QStringLiteral("the video has no such frame"));
    const VideoIndex &index = m_stream->packets;
    return core::millisecondsToTimeCode(
        av_rescale_q(index.frameTime(n) - index.frameTime(0), m_stream->timeBase, AVRational{1, 1000}));
}

core::Result<int64_t> AviPlayer::frameAtTime(const core::TimeCode &t, uint32_t rateX1000) const
{
    if (!m_ownTimes || !m_stream)
        return core::timeCodeToFrameNumber(t, rateX1000);
    const VideoIndex &index = m_stream->packets;
    const int64_t at = core::timeCodeToMilliseconds(t);
    const auto msOf = [&](int n) {
        return av_rescale_q(index.frameTime(n) - index.frameTime(0), m_stream->timeBase, AVRational{1, 1000});
    };
    // Times increase with the frames.
    int low = 0;
    int high = m_frameCount - 1;
    while (low < high) {
        const int mid = low + (high - low + 1) / 2;
        if (msOf(mid) <= at)
            low = mid;
        else
            high = mid - 1;
    }
    return int64_t(low);
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
        if (!s.convert(*s.cached, m_width, m_height, target))
            return fail(QStringLiteral("its pixel format cannot be turned into 24-bit colour"));
        return {};
    }
    if (s.packets.packetOfFrame(n) == VideoIndex::kNone)
        return fail(QStringLiteral("the file leaves it out"));
    // Forward from the decoder's place when the frame lies ahead of it in the same run of frames;
    // otherwise from the keyframe before the frame.
    bool found = false;
    bool passedOver = false;
    if (s.reachableAhead(n)) {
        found = s.decodeUntil(n);
        // The decoder went on past the frame from a keyframe before it: from its own keyframe it would
        // not come out either.
        passedOver = !found && s.aheadFrame > n;
    }
    if (!found && !passedOver)
        found = s.seekTo(s.packets.startPacket(n)) && s.decodeUntil(n);
    if (!found)
        return fail(QStringLiteral("it cannot be decoded"));
    if (!s.convert(*s.frame, m_width, m_height, target))
        return fail(QStringLiteral("its pixel format cannot be turned into 24-bit colour"));
    // The decoded picture stays: the frame that ends a subtitle is shown again to start the next search.
    av_frame_unref(s.cached);
    s.cachedFrame = av_frame_ref(s.cached, s.frame) >= 0 ? n : -1;
    return {};
}

} // namespace glyfex::sources
