// The video run on videos with burned-in subtitles made by ffmpeg: each subtitle's frames, times and area,
// Stop and the restart after a pause, the ends of the video, the colour pick, and the text read back.
#include "sources/video_run.h"

#include "core/time_code.h"
#include "recognition/scripted_answerer.h"
#include "support/burned_video.h"
#include "support/qt_print.h"
#include "support/sequence_road.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace glyfex;
using namespace glyfex::sources;
using test::BurnedSubtitle;
using test::BurnedVideo;
using test::BurnKind;

namespace {

// Two subtitles back to back, then a gap, as films have them.
const std::vector<BurnedSubtitle> kSubtitles{{500, 1300, QStringLiteral("Hello world")},
                                             {1300, 2100, QStringLiteral("Quiet night")},
                                             {2600, 3400, QStringLiteral("Bring the map")}};

BurnedVideo lossless(int width, int height, int frames, std::vector<BurnedSubtitle> subtitles = kSubtitles)
{
    return BurnedVideo{BurnKind::Lossless, width, height, frames, std::move(subtitles)};
}

BurnedVideo lossy(int width, int height, int frames)
{
    return BurnedVideo{BurnKind::Lossy, width, height, frames, kSubtitles};
}

// The same video with its text drawn at fontPixels.
BurnedVideo withFont(BurnedVideo video, int fontPixels)
{
    video.fontPixels = fontPixels;
    return video;
}

// The videos of one test program's run, each made once.
QString videoFile(const std::string &name, const BurnedVideo &video)
{
    static QTemporaryDir dir;
    static std::map<std::string, QString> made;
    auto it = made.find(name);
    if (it != made.end())
        return it->second;
    const QString path = dir.filePath(QString::fromStdString(name) + (video.kind == BurnKind::Lossless
                                                                            ? QStringLiteral(".mkv")
                                                                            : QStringLiteral(".mp4")));
    const QString error = test::makeBurnedVideo(path, video);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    made.emplace(name, path);
    return path;
}

Rgb rgbOf(uint32_t colour)
{
    return Rgb{int(colour >> 16 & 0xFF), int(colour >> 8 & 0xFF), int(colour & 0xFF)};
}

// The viewer's defaults for a picked text colour: the bottom fifth, tolerances 50 text, 100 outline, 10 fatten.
void prepareAnalysis(const AviPlayer &player, FrameAnalysis &analysis, const BurnedVideo &video, int textTolerance = 50)
{
    ASSERT_TRUE(analysis.setArea(defaultVideoArea(player.width(), player.height()), player.width(), player.height()).ok());
    analysis.textRange = rangeAround(rgbOf(video.textColour()), {textTolerance, textTolerance, textTolerance});
    analysis.fattenRange = fattenRangeOf(analysis.textRange, {10, 10, 10});
    analysis.outlineRange = rangeAround(rgbOf(video.outlineColour()), {100, 100, 100});
    analysis.options.outlineColour = rgbOf(video.outlineColour());
}

void prepare(AviPlayer &player, FrameAnalysis &analysis, const std::string &name, const BurnedVideo &video,
             int textTolerance = 50)
{
    const auto opened = player.setFileName(videoFile(name, video));
    ASSERT_TRUE(opened.ok()) << opened.error().message().toStdString();
    prepareAnalysis(player, analysis, video, textTolerance);
}

struct Span {
    int first = 0;
    int last = 0;
    friend bool operator==(const Span &, const Span &) = default;
};

std::ostream &operator<<(std::ostream &out, const Span &s)
{
    return out << s.first << ".." << s.last;
}

// What the run should find: first = ceil(start x rate), last = ceil(end x rate) - 1; a subtitle still
// showing on the last frame ends on the frame before, and one that first shows there is not found.
std::vector<Span> expectedSpans(const BurnedVideo &video)
{
    std::vector<Span> spans;
    const int lastFrame = video.frames - 1;
    for (const BurnedSubtitle &s : video.subtitles) {
        const Span span{video.frameAt(s.startMs), std::min(video.frameAt(s.endMs) - 1, lastFrame - 1)};
        if (span.first < lastFrame)
            spans.push_back(span);
    }
    return spans;
}

class RecordingHost : public VideoRunHost {
public:
    struct Found {
        Span span;
        BgrFrame frame;
    };
    std::vector<int> shown;
    std::map<int, AnalysisMode> modes; // the last analysis of each frame
    std::vector<Found> found;
    int dropped = 0;
    // Stop: pump() is false once this frame has been shown.
    int stopAt = INT_MAX;
    // A pause ends: right after this frame is shown, after this many subtitles were found, or before the run.
    int restartAfterFrame = -1;
    int restartAfterFound = -1;
    bool restartPending = false;

    void frameShown(int pos, const BgrFrame &, const FrameAnalysis &analysis) override
    {
        shown.push_back(pos);
        modes[pos] = analysis.shownMode();
    }
    bool pump() override { return shown.empty() || shown.back() < stopAt; }
    bool takeRestart() override
    {
        bool restart = std::exchange(restartPending, false);
        if (restartAfterFrame >= 0 && !shown.empty() && shown.back() == restartAfterFrame) {
            restartAfterFrame = -1;
            restart = true;
        }
        if (restartAfterFound >= 0 && int(found.size()) >= restartAfterFound) {
            restartAfterFound = -1;
            restart = true;
        }
        return restart;
    }
    void subtitleFound(int first, int last, const BgrFrame &lastFrame) override
    {
        found.push_back({{first, last}, lastFrame});
    }
    void subtitleDropped() override { ++dropped; }

    std::vector<Span> spans() const
    {
        std::vector<Span> out;
        for (const Found &f : found)
            out.push_back(f.span);
        return out;
    }
};

class RecordingSink : public picture::PictureSink {
public:
    struct Handed {
        picture::CodeImage codes;
        picture::DisplayTimes times;
        picture::Rect area;
    };
    std::vector<Handed> handed;

    core::Result<void> recognise(const picture::DecodedPicture &picture, const picture::DisplayTimes &times,
                                 const picture::Rect &area) override
    {
        handed.push_back({picture.codes, times, area});
        return {};
    }
};

core::TimeCode timeOf(int frame, int fpsX1000)
{
    auto t = core::frameNumberToTimeCode(int64_t(frame), uint32_t(fpsX1000));
    EXPECT_TRUE(t.ok());
    return t.ok() ? *t : core::TimeCode{};
}

// Every handed picture: the times of its frames, only codes 0 and 1, cut tight to its text, and lying on
// the frame where the frame shows text colour under each text pixel.
void checkHanded(const RecordingHost &host, const RecordingSink &sink, const FrameAnalysis &analysis, AviPlayer &player,
                 bool lossless = true)
{
    ASSERT_EQ(sink.handed.size(), host.found.size());
    const picture::Rect region = analysis.area();
    for (size_t i = 0; i < sink.handed.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "subtitle " << i);
        const RecordingSink::Handed &h = sink.handed[i];
        const RecordingHost::Found &f = host.found[i];
        EXPECT_EQ(h.times.start, timeOf(f.span.first, player.fpsX1000()));
        EXPECT_EQ(h.times.stop, timeOf(f.span.last, player.fpsX1000()));

        BgrFrame decoded;
        player.setPosition(f.span.last);
        ASSERT_TRUE(player.drawFrame(decoded).ok());
        EXPECT_TRUE(decoded == f.frame) << "the host is shown the subtitle's last frame";

        ASSERT_EQ(h.area.width(), h.codes.width);
        ASSERT_EQ(h.area.height(), h.codes.height);
        EXPECT_GE(h.area.left, region.left);
        EXPECT_GE(h.area.top, region.top);
        EXPECT_LE(h.area.right, region.right);
        EXPECT_LE(h.area.bottom, region.bottom);
        bool topRow = false, bottomRow = false, leftColumn = false, rightColumn = false;
        int offColour = 0;
        for (int y = 0; y < h.codes.height; ++y) {
            for (int x = 0; x < h.codes.width; ++x) {
                const uint8_t v = h.codes.at(x, y);
                ASSERT_LE(v, 1) << "at " << x << "," << y;
                if (v != 1)
                    continue;
                topRow |= y == 0;
                bottomRow |= y == h.codes.height - 1;
                leftColumn |= x == 0;
                rightColumn |= x == h.codes.width - 1;
                offColour += !analysis.textRange.contains(f.frame.pixel(h.area.left + x, h.area.top + y));
            }
        }
        EXPECT_TRUE(topRow && bottomRow && leftColumn && rightColumn) << "cut to the text";
        // The mask is the last one built while following: on a still picture its text is text on the last
        // frame too; coding noise may move a few edge pixels.
        const int text = int(std::count(h.codes.bytes.begin(), h.codes.bytes.end(), 1));
        EXPECT_GT(text, VideoRunOptions{}.minPixels);
        if (lossless)
            EXPECT_EQ(offColour, 0);
        else
            EXPECT_LE(offColour * 20, text);
    }
}

struct DetectionCase {
    const char *name;
    BurnedVideo video;
    int slack; // frames the found edges may be off
};

TEST(VideoRun, FindsEachSubtitlesFramesTimesAndArea)
{
    const DetectionCase cases[] = {
        {"lossless_pal", lossless(720, 576, 100), 0},
        {"lossless_hd", lossless(1920, 1080, 100), 0},
        {"lossy_pal", lossy(720, 576, 120), 1},
        {"lossy_hd", lossy(1920, 1080, 120), 1},
        // A subtitle that first shows on the last frame has no end to find.
        {"last_frame", lossless(720, 576, 60, {{400, 1400, QStringLiteral("Early")}, {2360, 3000, QStringLiteral("Late")}}), 0},
        // One still showing there ends on the frame before.
        {"open_end", lossless(720, 576, 40, {{400, 5000, QStringLiteral("Open end")}}), 0},
    };
    for (const DetectionCase &c : cases) {
        SCOPED_TRACE(c.name);
        AviPlayer player;
        FrameAnalysis analysis;
        ASSERT_NO_FATAL_FAILURE(prepare(player, analysis, c.name, c.video));
        RecordingHost host;
        RecordingSink sink;
        auto outcome = runVideo(player, analysis, VideoRunOptions{}, -1, sink, host);
        ASSERT_TRUE(outcome.ok()) << outcome.error().message().toStdString();
        EXPECT_FALSE(outcome->stopped);
        EXPECT_EQ(outcome->position, c.video.frames - 1);
        EXPECT_EQ(host.dropped, 0);
        const std::vector<Span> expected = expectedSpans(c.video);
        const std::vector<Span> spans = host.spans();
        ASSERT_EQ(spans.size(), expected.size()) << ::testing::PrintToString(spans);
        EXPECT_EQ(outcome->subtitles, int(expected.size()));
        for (size_t i = 0; i < spans.size(); ++i) {
            EXPECT_LE(std::abs(spans[i].first - expected[i].first), c.slack) << i << ": " << spans[i];
            EXPECT_LE(std::abs(spans[i].last - expected[i].last), c.slack) << i << ": " << spans[i];
        }
        checkHanded(host, sink, analysis, player, c.slack == 0);
        ASSERT_FALSE(sink.handed.empty());
        const picture::Rect &lastArea = sink.handed.back().area;
        ASSERT_TRUE(outcome->lastCrop.has_value());
        EXPECT_EQ(outcome->lastCrop->left + analysis.area().left, lastArea.left);
        EXPECT_EQ(outcome->lastCrop->top + analysis.area().top, lastArea.top);
    }
}

// Stop and the end of a pause, as the viewer's host reports them between frames.
TEST(VideoRun, StopAndRestartAfterAPause)
{
    const BurnedVideo video = lossless(720, 576, 100);
    const std::vector<Span> all = expectedSpans(video); // 13..32, 33..52, 65..84
    ASSERT_EQ(all.size(), 3u);
    // Late enough in the second subtitle that it is being compared with what it showed.
    const int midSecond = all[1].first + VideoRunOptions{}.minDuration + 3;
    // After the restart between subtitles the frames shown go back, to the last subtitle's first frame.
    const auto wentBackToFirst = [&](RecordingHost &h) {
        const auto back = std::adjacent_find(h.shown.begin(), h.shown.end(), [](int a, int b) { return b <= a; });
        ASSERT_NE(back, h.shown.end());
        EXPECT_EQ(*(back + 1), all[0].first);
    };
    // The frame after a restart while comparing is analysed in full.
    const auto fullAfterRestart = [&](RecordingHost &h) {
        EXPECT_EQ(h.modes[midSecond], AnalysisMode::Compare);
        EXPECT_EQ(h.modes[midSecond + 1], AnalysisMode::Full);
    };
    const auto nothing = [](RecordingHost &) {};
    struct Case {
        const char *name;
        std::function<void(RecordingHost &)> script;
        std::vector<Span> spans;
        bool stopped;
        std::function<void(RecordingHost &)> check;
    };
    const Case cases[] = {
        // The second subtitle was being followed: it is not handed on.
        {"stop", [&](RecordingHost &h) { h.stopAt = midSecond; }, {all[0]}, true, nothing},
        // A pause noticed between subtitles: the search looks again from the last one's first frame.
        {"restart_between", [](RecordingHost &h) { h.restartAfterFound = 1; }, {all[0], all[0], all[1], all[2]}, false,
         wentBackToFirst},
        // A pause while following: the next frame is analysed in full, the subtitle still ends where it ends.
        {"restart_following", [&](RecordingHost &h) { h.restartAfterFrame = midSecond; }, all, false, fullAfterRestart},
        // A pause that ended before the run is no reason to go back.
        {"restart_before", [](RecordingHost &h) { h.restartPending = true; }, all, false, nothing},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        AviPlayer player;
        FrameAnalysis analysis;
        ASSERT_NO_FATAL_FAILURE(prepare(player, analysis, "lossless_pal", video));
        RecordingHost host;
        c.script(host);
        RecordingSink sink;
        auto outcome = runVideo(player, analysis, VideoRunOptions{}, -1, sink, host);
        ASSERT_TRUE(outcome.ok()) << outcome.error().message().toStdString();
        EXPECT_EQ(host.spans(), c.spans);
        EXPECT_EQ(outcome->stopped, c.stopped);
        EXPECT_EQ(outcome->subtitles, int(c.spans.size()));
        EXPECT_EQ(host.shown.front(), 0) << "from the frame after -1";
        if (c.stopped) {
            EXPECT_EQ(host.shown.back(), midSecond) << "no frame after Stop";
            EXPECT_EQ(outcome->position, midSecond);
        }
        c.check(host);
        checkHanded(host, sink, analysis, player);
    }
}

TEST(VideoRun, StartsAfterTheGivenFrameAndNeedsARate)
{
    const BurnedVideo video = lossless(720, 576, 100);
    const std::vector<Span> all = expectedSpans(video);
    AviPlayer player;
    FrameAnalysis analysis;
    ASSERT_NO_FATAL_FAILURE(prepare(player, analysis, "lossless_pal", video));
    RecordingHost host;
    RecordingSink sink;
    // From inside the second subtitle: it is found from there on.
    const int from = all[1].first + 4;
    auto outcome = runVideo(player, analysis, VideoRunOptions{}, from, sink, host);
    ASSERT_TRUE(outcome.ok());
    EXPECT_EQ(host.shown.front(), from + 1);
    EXPECT_EQ(host.spans(), (std::vector<Span>{{from + 1, all[1].last}, all[2]}));

    // Times at the rate the viewer was given.
    VideoRunOptions options;
    options.fpsX1000 = 50000;
    RecordingSink faster;
    RecordingHost again;
    ASSERT_TRUE(runVideo(player, analysis, options, all[2].first - 1, faster, again).ok());
    ASSERT_EQ(faster.handed.size(), 1u);
    EXPECT_EQ(faster.handed[0].times.start, timeOf(all[2].first, 50000));

    AviPlayer closed;
    EXPECT_FALSE(runVideo(closed, analysis, VideoRunOptions{}, -1, sink, host).ok());
}

// A frame lost from the file (a dropped packet) draws nothing: the run counts it, goes on with the picture
// before it and finds every subtitle at its times, the one being followed over the loss included.
TEST(VideoRun, GoesOnOverAFrameLostFromTheFile)
{
    const struct {
        const char *name;
        const char *suffix;
        int dropped;
    } cases[] = {
        {"in_the_gap", ".mkv", 58},
        {"while_following", ".mkv", 40},
        {"while_following_avi", ".avi", 40},
    };
    QTemporaryDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        BurnedVideo video = lossless(720, 576, 100);
        video.droppedPacket = c.dropped;
        const QString path = dir.filePath(QString::fromLatin1(c.name) + QString::fromLatin1(c.suffix));
        const QString made = test::makeBurnedVideo(path, video);
        ASSERT_TRUE(made.isEmpty()) << made.toStdString();

        AviPlayer player;
        FrameAnalysis analysis;
        ASSERT_TRUE(player.setFileName(path).ok());
        ASSERT_EQ(player.frameCount(), video.frames) << "the lost frame keeps its number";
        BgrFrame lost;
        player.setPosition(c.dropped);
        EXPECT_FALSE(player.drawFrame(lost).ok());
        ASSERT_NO_FATAL_FAILURE(prepareAnalysis(player, analysis, video));

        RecordingHost host;
        RecordingSink sink;
        auto outcome = runVideo(player, analysis, VideoRunOptions{}, -1, sink, host);
        ASSERT_TRUE(outcome.ok()) << outcome.error().message().toStdString();
        EXPECT_FALSE(outcome->stopped);
        EXPECT_EQ(outcome->position, video.frames - 1);
        EXPECT_EQ(outcome->undecodable, 1);
        EXPECT_EQ(host.spans(), expectedSpans(video));
        ASSERT_EQ(sink.handed.size(), expectedSpans(video).size());
        for (size_t i = 0; i < sink.handed.size(); ++i) {
            EXPECT_EQ(sink.handed[i].times.start, timeOf(expectedSpans(video)[i].first, video.fpsX1000())) << i;
            EXPECT_EQ(sink.handed[i].times.stop, timeOf(expectedSpans(video)[i].last, video.fpsX1000())) << i;
        }
    }
}

// A sink failure (the store full, a file not written) ends the run with it.
TEST(VideoRun, SinkFailureEndsTheRun)
{
    class Refusing : public picture::PictureSink {
    public:
        int calls = 0;
        core::Result<void> recognise(const picture::DecodedPicture &, const picture::DisplayTimes &,
                                     const picture::Rect &) override
        {
            ++calls;
            return core::makeError(QStringLiteral("Subtitle not stored"), QStringLiteral("store"), QStringLiteral("full"));
        }
    };
    AviPlayer player;
    FrameAnalysis analysis;
    ASSERT_NO_FATAL_FAILURE(prepare(player, analysis, "lossless_pal", lossless(720, 576, 100)));
    RecordingHost host;
    Refusing sink;
    auto outcome = runVideo(player, analysis, VideoRunOptions{}, -1, sink, host);
    ASSERT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.error().why, QStringLiteral("full"));
    EXPECT_EQ(sink.calls, 1);
}

// Letters of the text stand up to 10 pixels apart, words at least 18; on HD, where recognition reads the
// frame reduced by 2 and the distances count pixels of the reduced picture, half that.
constexpr int kSpaceWidth = 14;
constexpr int kHdSpaceWidth = kSpaceWidth / 2;

// Taught on the first run by the known text, read on a second without a question. On HD the text is drawn
// small enough that a line fits the tallest line recognition reads.
TEST(VideoRun, TextReadBackWithATaughtMatrix)
{
    const struct {
        const char *name;
        BurnedVideo video;
        int spaceWidth;
    } cases[] = {{"lossless_pal", lossless(720, 576, 100), kSpaceWidth},
                 {"lossy_pal", lossy(720, 576, 120), kSpaceWidth},
                 {"lossless_hd_small", withFont(lossless(1920, 1080, 100), 48), kHdSpaceWidth},
                 {"lossy_hd_small", withFont(lossy(1920, 1080, 120), 40), kHdSpaceWidth}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<recognition::TruthEntry> truth;
        QStringList texts;
        for (const BurnedSubtitle &s : c.video.subtitles) {
            truth.push_back({core::millisecondsToTimeCode(s.startMs), {s.text}});
            texts << s.text;
        }
        AviPlayer player;
        FrameAnalysis analysis;
        // The thin joins of the lossless letters are anti-aliased below the default tolerance.
        ASSERT_NO_FATAL_FAILURE(prepare(player, analysis, c.name, c.video, 80));
        recognition::CharMatrix matrix;
        recognition::GroundTruthAnswerer teacher(truth);
        test::SequenceRoad first(matrix, &teacher);
        first.driver.options().match.settings.spaceWidth = c.spaceWidth;
        RecordingHost host;
        auto taught = runVideo(player, analysis, VideoRunOptions{}, -1, first.driver, host);
        ASSERT_TRUE(taught.ok()) << taught.error().message().toStdString();
        EXPECT_EQ(first.texts(), texts) << first.texts().join(QLatin1Char('/')).toStdString();
        EXPECT_EQ(teacher.unanswerable(), 0);
        EXPECT_GT(first.driver.glyphsAsked(), 0);

        recognition::ScriptedAnswerer nobody(first.control);
        test::SequenceRoad second(matrix, &nobody);
        second.driver.options().match.settings.spaceWidth = c.spaceWidth;
        RecordingHost again;
        auto read = runVideo(player, analysis, VideoRunOptions{}, -1, second.driver, again);
        ASSERT_TRUE(read.ok()) << read.error().message().toStdString();
        EXPECT_EQ(second.texts(), texts) << second.texts().join(QLatin1Char('/')).toStdString();
        EXPECT_EQ(second.driver.questionsAsked(), 0);
        EXPECT_TRUE(nobody.violations().isEmpty());
        const int maxLineHeight = second.driver.options().match.settings.maxLineHeight;
        for (const subtitles::Subtitle &s : second.store.subs)
            EXPECT_LE(s.rect.height(), maxLineHeight) << "the line is read because it fits";
    }
}

// A line taller than recognition reads, even with the frame reduced by 2: each subtitle still keeps its
// times in the store, as a skipped item whose placeholder tells the user there was a picture without
// readable text; nothing is asked.
TEST(VideoRun, LineTallerThanReadKeepsItsTimesAsASkippedItem)
{
    const struct {
        const char *name;
        BurnedVideo video;
    } cases[] = {{"lossless_hd_huge", withFont(lossless(1920, 1080, 100), 150)},
                 {"lossy_hd_huge", withFont(lossy(1920, 1080, 120), 130)}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        AviPlayer player;
        FrameAnalysis analysis;
        ASSERT_NO_FATAL_FAILURE(prepare(player, analysis, c.name, c.video, 80));
        recognition::CharMatrix matrix;
        test::SequenceRoad road(matrix);
        recognition::ScriptedAnswerer nobody(road.control);
        road.forward.to = &nobody;
        RecordingHost host;
        auto outcome = runVideo(player, analysis, VideoRunOptions{}, -1, road.driver, host);
        ASSERT_TRUE(outcome.ok()) << outcome.error().message().toStdString();
        EXPECT_EQ(road.driver.questionsAsked(), 0);
        EXPECT_TRUE(nobody.violations().isEmpty());
        ASSERT_EQ(host.found.size(), expectedSpans(c.video).size());
        ASSERT_EQ(road.store.count(), int(host.found.size()));
        for (int i = 0; i < road.store.count(); ++i) {
            SCOPED_TRACE(i);
            const subtitles::Subtitle &s = road.store.at(i + 1);
            EXPECT_EQ(s.lines, QStringList{QStringLiteral("[ Skipped item nr. %1 ]").arg(i + 1)});
            EXPECT_EQ(s.start, timeOf(host.found[size_t(i)].span.first, player.fpsX1000()));
            EXPECT_EQ(s.stop, timeOf(host.found[size_t(i)].span.last, player.fpsX1000()));
            EXPECT_GT(s.rect.height(), 2 * road.driver.options().match.settings.maxLineHeight)
                << "the fixture's line is tall";
        }
    }
}

// One row of pixels by letter: Y the text's yellow, y an anti-aliased yellow, K black, B the background.
BgrFrame row(const char *pixels)
{
    BgrFrame frame;
    frame.width = int(std::strlen(pixels));
    frame.height = 1;
    for (const char *p = pixels; *p; ++p) {
        const Rgb c = *p == 'Y' ? Rgb{255, 255, 0} : *p == 'y' ? Rgb{230, 225, 60} : *p == 'K' ? Rgb{0, 0, 0}
                                                                                              : Rgb{32, 64, 96};
        frame.bytes.insert(frame.bytes.end(), {uint8_t(c.blue), uint8_t(c.green), uint8_t(c.red)});
    }
    return frame;
}

TEST(PickColour, StrokeWidthAndOutlineAlongTheRow)
{
    const struct {
        const char *pixels;
        int x;
        int width;
        Rgb outline;
    } cases[] = {
        // The stroke stops at the outline although yellow and black share a blue of 0.
        {"BBKKyYYyKKBB", 5, 4, {0, 0, 0}},
        {"BBBByYYyKKBB", 5, 4, {32, 64, 96}},
        {"BKYYYYYYYYYYYYYK", 7, 10, {0, 0, 0}}, // wider than any stroke measured
        {"BKYKB", 2, 1, {0, 0, 0}},
        // Column 0 is never looked at: the stroke is measured from it.
        {"YYYK", 1, 2, {0, 0, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.pixels);
        const BgrFrame frame = row(c.pixels);
        const ColourPick pick = pickColour(frame, c.x, 0, {50, 50, 50});
        const uint8_t *clicked = frame.pixel(c.x, 0);
        EXPECT_EQ(pick.textColour, (Rgb{clicked[2], clicked[1], clicked[0]}));
        EXPECT_EQ(pick.strokeWidth, c.width);
        EXPECT_EQ(pick.outlineColour, c.outline);
    }
    // A click beside the frame picks nothing.
    const ColourPick outside = pickColour(row("YYY"), 3, 0, {50, 50, 50});
    EXPECT_EQ(outside.strokeWidth, 1);
    EXPECT_EQ(outside.textColour, Rgb{});
}

TEST(PickColour, OnARealFrame)
{
    const BurnedVideo video = lossless(720, 576, 100);
    AviPlayer player;
    ASSERT_TRUE(player.setFileName(videoFile("lossless_pal", video)).ok());
    BgrFrame frame;
    player.setPosition(expectedSpans(video)[0].first + 5);
    ASSERT_TRUE(player.drawFrame(frame).ok());
    // The first pixel of the yellow text, row by row from the top of the bottom fifth.
    const ColourRange yellow = rangeAround({255, 255, 0}, {50, 50, 50});
    const picture::Rect area = defaultVideoArea(frame.width, frame.height);
    int x = -1, y = -1;
    for (int row = area.top; row <= area.bottom && x < 0; ++row) {
        for (int col = area.left; col <= area.right; ++col) {
            if (yellow.contains(frame.pixel(col, row)) && yellow.contains(frame.pixel(col + 1, row))) {
                x = col;
                y = row;
                break;
            }
        }
    }
    ASSERT_GE(x, 0) << "no text in the bottom fifth";
    const ColourPick pick = pickColour(frame, x, y, {50, 50, 50});
    EXPECT_TRUE(yellow.contains(frame.pixel(x, y)));
    EXPECT_EQ(pick.textColour, (Rgb{frame.pixel(x, y)[2], frame.pixel(x, y)[1], frame.pixel(x, y)[0]}));
    // The strokes of a 48-pixel sans face, and the dark outline beside them, not the background.
    EXPECT_GE(pick.strokeWidth, 2);
    EXPECT_LE(pick.strokeWidth, 7);
    EXPECT_LT(pick.outlineColour.red, 160);
    EXPECT_LT(pick.outlineColour.green, 160);
    EXPECT_NE(pick.outlineColour, (Rgb{0x20, 0x40, 0x60}));
}

TEST(VideoArea, BottomFifth)
{
    const struct {
        int width, height;
        picture::Rect area;
    } cases[] = {{720, 576, {1, 460, 719, 575}}, {1920, 1080, {1, 863, 1919, 1079}}, {1, 1, {0, 0, 0, 0}}};
    for (const auto &c : cases)
        EXPECT_EQ(defaultVideoArea(c.width, c.height), c.area) << c.width << "x" << c.height;
}

TEST(VideoSaveFolder, StripsTheRealSuffix)
{
    const struct {
        const char *file;
        const char *folder;
    } cases[] = {
        {"/a/b/film.mkv", "/a/b/film"},
        {"/a/b/film.AVI", "/a/b/film"},
        {"/a/b/film.ts", "/a/b/film"},
        {"/a/b/film.m2ts", "/a/b/film"},
        {"/a/b/film.part1.mp4", "/a/b/film.part1"},
        {"film.mp4", "film"},
        {"/a/b/film", "/a/b/film"},
        {"/a/b.c/film", "/a/b.c/film"},
        {"/a/b/.hidden", "/a/b/.hidden"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(videoSaveFolder(QString::fromUtf8(c.file)), QString::fromUtf8(c.folder)) << c.file;
}

} // namespace
