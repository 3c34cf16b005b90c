// The video viewer's run: search, follow and recognise burned-in subtitles frame by frame.
#include "sources/video_run.h"

#include "core/time_code.h"
#include "picture/decoded_picture.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace glyfex::sources {

namespace {

// One frame of the run: drawn, analysed in the given mode and shown, then the interface runs.
class FrameStepper {
public:
    FrameStepper(AviPlayer &player, FrameAnalysis &analysis, VideoRunHost &host)
        : m_player(player), m_analysis(analysis), m_host(host)
    {
    }

    // false when the host stopped the run. restarted tells whether a pause ended meanwhile. The frame
    // before keeps its picture in previous() until the next step. A frame that cannot be decoded is
    // counted and shows the picture before it again, as a frame that draws nothing leaves the viewer's
    // picture as it was.
    core::Result<bool> step(int pos, AnalysisMode mode, bool &restarted)
    {
        std::swap(m_frame, m_previous);
        m_player.setPosition(pos);
        if (!m_player.drawFrame(m_frame)) {
            if (!m_player.opened())
                return core::makeError(QStringLiteral("Video not run"), m_player.fileName(),
                                       QStringLiteral("the video was closed"));
            ++m_undecodable;
            m_frame = m_previous;
        }
        // Before any picture there is nothing to analyse: the analysis finds no text.
        m_analysis.analyzeFrame(m_frame, mode);
        m_host.frameShown(pos, m_frame, m_analysis);
        if (!m_host.pump())
            return false;
        restarted = m_host.takeRestart();
        return true;
    }
    int undecodable() const { return m_undecodable; }
    const BgrFrame &previous() const { return m_previous; }

private:
    AviPlayer &m_player;
    FrameAnalysis &m_analysis;
    VideoRunHost &m_host;
    BgrFrame m_frame;
    BgrFrame m_previous;
    int m_undecodable = 0;
};

// The analysis a followed frame gets, k frames after the subtitle's first: in full while the text
// settles, then narrowing the accumulated mask, then only compared with it, and now and then widened
// again (later rules win).
AnalysisMode followMode(int k, const VideoRunOptions &options)
{
    AnalysisMode mode = AnalysisMode::Full;
    if (k >= options.skipFirst)
        mode = AnalysisMode::Accumulate;
    if (k >= options.minDuration)
        mode = AnalysisMode::Compare;
    if (options.updateEvery > 0 && k >= 1 && k % options.updateEvery == 0)
        mode = AnalysisMode::Update;
    return mode;
}

// The text changed enough from one frame to the next to be another subtitle.
bool changed(int previous, int count, int tolerancePerMille)
{
    if (previous <= 0)
        return true;
    return double(std::abs(previous - count)) / double(previous) >= double(tolerancePerMille) / 1000.0;
}

// Recognition reads a one-colour picture: code 1 is the text, anything the analysis marked otherwise
// (outline, open or large areas, bands) is background.
// uncut: the size of the analysed area the codes were cut from; frameRows: the video's height, by
// which recognition reduces the text of a tall frame as it does a VobSub's.
picture::DecodedPicture textPicture(picture::CodeImage codes, const picture::Rect &uncut, int frameRows)
{
    for (uint8_t &v : codes.bytes)
        v = v == kMaskText ? 1 : 0;
    picture::DecodedPicture decoded;
    decoded.codes = std::move(codes);
    decoded.width = uint16_t(std::min(uncut.width(), 0xFFFF));
    decoded.height = uint16_t(std::min(uncut.height(), 0xFFFF));
    decoded.frameHeight = uint16_t(std::clamp(frameRows, 0, 0xFFFF));
    decoded.colourMap = {0, 1, 2, 3};
    return decoded;
}

} // namespace

core::Result<VideoRunOutcome> runVideo(AviPlayer &player, FrameAnalysis &analysis, const VideoRunOptions &options,
                                       int from, picture::PictureSink &sink, VideoRunHost &host)
{
    if (!player.opened())
        return core::makeError(QStringLiteral("Video not run"), player.fileName(), QStringLiteral("no video is open"));
    const uint32_t rate = uint32_t(options.fpsX1000 > 0 ? options.fpsX1000 : player.fpsX1000());
    if (rate == 0)
        return core::makeError(QStringLiteral("Video not run"), player.fileName(),
                               QStringLiteral("its frame rate is not known"));
    const int lastFrame = player.frameCount() - 1;
    const int minPixels = options.minPixels;

    VideoRunOutcome outcome;
    FrameStepper stepper(player, analysis, host);
    int pos = std::max(from, -1);
    // Where a search goes back to after a pause: the first frame of the last subtitle, and before any
    // the frame the run started on.
    int first = pos + 1;
    // A pause that ended before the run began is no reason to go back.
    (void)host.takeRestart();
    bool restarted = false;
    bool stopped = false;
    picture::CodeImage lastMask;

    while (pos <= lastFrame && !stopped) {
        if (!host.pump()) {
            stopped = true;
            break;
        }
        restarted = host.takeRestart();
        if (restarted)
            pos = first - 1; // the search looks at that first frame again

        // Search: every frame analysed in full until one shows enough text.
        int count = 0;
        for (;;) {
            ++pos;
            if (pos > lastFrame)
                break;
            auto going = stepper.step(pos, AnalysisMode::Full, restarted);
            if (!going)
                return going.error();
            stopped = !*going;
            if (stopped)
                break;
            // Read after the pump: a pause shows the frame again analysed in full.
            count = analysis.textCount();
            if (count > minPixels || pos >= lastFrame)
                break;
        }
        // Its end cannot be seen on the last frame.
        if (pos >= lastFrame || stopped)
            break;

        // Follow the subtitle until its text goes or changes.
        first = pos;
        int previous = count;
        int k = 0;
        do {
            ++pos;
            const AnalysisMode mode = restarted ? AnalysisMode::Full : followMode(k, options);
            // The mask of the frame before this one: the subtitle's last, if this one ends it.
            lastMask = analysis.mask();
            auto going = stepper.step(pos, mode, restarted);
            if (!going)
                return going.error();
            stopped = !*going;
            if (stopped)
                break;
            previous = count;
            count = analysis.textCount();
            ++k;
            if (mode != AnalysisMode::Full && k >= options.minDuration && changed(previous, count, options.diffTolerance))
                break;
            if (pos >= lastFrame)
                break;
        } while (count > minPixels);
        if (stopped)
            break;

        // The subtitle ended on the frame before.
        --pos;
        restarted = false;
        if (previous <= minPixels) {
            host.subtitleDropped();
            continue;
        }
        const int last = pos;
        picture::Rect box{0, 0, lastMask.width - 1, lastMask.height - 1};
        if (auto cut = cutValidRect(lastMask, kMaskText)) {
            box = *cut;
            outcome.lastCrop = box;
        }
        auto start = player.frameTime(first, rate);
        auto stop = player.frameTime(last, rate);
        if (!start)
            return start.error();
        if (!stop)
            return stop.error();
        host.subtitleFound(first, last, stepper.previous());
        const picture::Rect &area = analysis.area();
        const picture::Rect onFrame{box.left + area.left, box.top + area.top, box.right + area.left,
                                    box.bottom + area.top};
        auto recognised = sink.recognise(textPicture(std::move(lastMask), area, player.height()),
                                        picture::DisplayTimes{*start, *stop}, onFrame);
        lastMask = {};
        if (!recognised)
            return recognised.error();
        ++outcome.subtitles;
    }
    outcome.position = std::min(pos, lastFrame);
    outcome.stopped = stopped;
    outcome.undecodable = stepper.undecodable();
    return outcome;
}

ColourPick pickColour(const BgrFrame &frame, int x, int y, Rgb textTolerance)
{
    ColourPick pick;
    if (x < 0 || y < 0 || x >= frame.width || y >= frame.height
        || frame.bytes.size() < size_t(frame.width) * size_t(frame.height) * 3)
        return pick;
    const auto colourAt = [&](int px) {
        const uint8_t *p = frame.pixel(px, y);
        return Rgb{p[2], p[1], p[0]};
    };
    pick.textColour = colourAt(x);
    const ColourRange text = rangeAround(pick.textColour, textTolerance);
    // The range widened by its own width on each side: anti-aliased edges still belong to the stroke.
    // Every channel must fit; a channel the text and its outline share would otherwise carry the
    // stroke on through the outline.
    const Rgb d{text.max.red - text.min.red, text.max.green - text.min.green, text.max.blue - text.min.blue};
    const ColourRange stroke{{text.min.red - d.red, text.min.green - d.green, text.min.blue - d.blue},
                             {text.max.red + d.red, text.max.green + d.green, text.max.blue + d.blue}};
    Rgb lastSeen = pick.textColour;
    int right = x;
    for (; right < frame.width; ++right) {
        lastSeen = colourAt(right);
        if (!stroke.contains(frame.pixel(right, y)))
            break;
    }
    int left = x - 1;
    for (; left > 0; --left) {
        lastSeen = colourAt(left);
        if (!stroke.contains(frame.pixel(left, y)))
            break;
    }
    left = std::max(left, 0);
    pick.strokeWidth = std::clamp(right - left - 1, 1, 10);
    pick.outlineColour = lastSeen;
    return pick;
}

picture::Rect defaultVideoArea(int width, int height)
{
    return picture::Rect{std::min(1, std::max(width - 1, 0)), (height - 1) * 80 / 100, width - 1, height - 1};
}

QString videoSaveFolder(const QString &videoFile)
{
    const qsizetype slash = videoFile.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = videoFile.lastIndexOf(QLatin1Char('.'));
    // A dot that starts the name (a hidden file) or lies in a folder's name is no suffix.
    if (dot <= slash + 1)
        return videoFile;
    return videoFile.left(dot);
}

} // namespace glyfex::sources
