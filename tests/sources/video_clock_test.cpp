// Videos whose clock is not one steady rate: frames that change their rate, times that repeat, a file
// joined to itself byte for byte. The player has as many frames as FFmpeg decodes, each the picture FFmpeg
// gives, and the run times each burned-in subtitle by the pictures' own clock.
#include "sources/video_run.h"

#include "core/time_code.h"
#include "support/test_video.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

using namespace glyfex;
using namespace glyfex::sources;

namespace {

const QString kFont = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");

struct ShownText {
    int startMs;
    int endMs;
    int frameMs; // the frame interval where the text ends and starts: the times may be off by one frame
};

struct ClockCase {
    const char *name;
    const char *file;
    int frames;         // made at 25 frames a second, then given the times of `times`
    const char *times;  // setpts expression in seconds (N the frame's number), empty for 25 a second
    QStringList codec;
    int copies;         // the file written this many times one after the other, byte for byte
    std::vector<ShownText> texts;
    int fpsX1000;       // the rate the file gives (0: its average, not checked)
    bool ownTimes;      // the frames keep no one rate: each is timed by its own clock
};

void PrintTo(const ClockCase &c, std::ostream *os) { *os << c.name; }

const QStringList kX264{QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
                        QStringLiteral("veryfast"), QStringLiteral("-qp"), QStringLiteral("0"),
                        QStringLiteral("-g"), QStringLiteral("12"), QStringLiteral("-bf"), QStringLiteral("2"),
                        QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p")};
const QStringList kMpeg2{QStringLiteral("-c:v"), QStringLiteral("mpeg2video"), QStringLiteral("-q:v"),
                         QStringLiteral("2"), QStringLiteral("-g"), QStringLiteral("12"), QStringLiteral("-bf"),
                         QStringLiteral("2"), QStringLiteral("-f"), QStringLiteral("mpeg")};

std::vector<ClockCase> clockCases()
{
    return {
        {"ConstantRate", "constant.mp4", 200, "", kX264, 1, {{1000, 2000, 40}, {5000, 6500, 40}}, 25000, false},
        // 4 s at 25 frames a second, then 12.
        {"TwentyFiveThenTwelve", "slower.mp4", 148, "if(lt(N,100),N/25,4+(N-100)/12)", kX264, 1,
         {{1000, 2000, 40}, {5000, 6500, 84}}, 0, true},
        // 3 s at 25, 3 s at 10, 2 s at 50; the middle text starts and ends at 10 a second.
        {"TwentyFiveTenFifty", "three_rates.mp4", 205, "if(lt(N,75),N/25,if(lt(N,105),3+(N-75)/10,6+(N-105)/50))",
         kX264, 1, {{1000, 2000, 40}, {4000, 5500, 100}, {6500, 7500, 20}}, 0, true},
        // Every eighth frame has the time of the one before.
        {"RepeatedTimes", "repeated.mkv", 200, "(N-eq(mod(N,8),7))/25", kX264, 1, {{1000, 2000, 40}, {5000, 6500, 40}},
         25000, false},
        // A 4 s clip and the same bytes twice again: its clock starts again where each copy starts.
        {"JoinedToItselfByteForByte", "thrice.mpg", 100, "", kMpeg2, 3,
         {{1000, 2000, 40}, {5000, 6000, 40}, {9000, 10000, 40}}, 25000, false},
    };
}

// The text shown at every time of texts, as the frame's own clock has it (for a joined file, the copy's).
QString drawnText(const std::vector<ShownText> &texts, int copies)
{
    QString enable;
    for (const ShownText &t : texts) {
        if (t.startMs >= 4000 && copies > 1)
            continue; // shown by the copy
        if (!enable.isEmpty())
            enable += QLatin1Char('+');
        enable += QStringLiteral("gte(t\\,%1)*lt(t\\,%2)").arg(t.startMs / 1000.0).arg(t.endMs / 1000.0);
    }
    return QStringLiteral("drawtext=fontfile=%1:text=HELLO:fontsize=18:fontcolor=white:x=30:y=72:enable='%2'")
        .arg(kFont, enable);
}

QString makeClockVideo(const ClockCase &c, const QString &dir, QString &error)
{
    const QString path = dir + QLatin1Char('/') + QString::fromLatin1(c.file);
    const QString once = c.copies > 1 ? path + QStringLiteral(".once.mpg") : path;
    QString filters = drawnText(c.texts, c.copies);
    if (*c.times)
        filters = QStringLiteral("setpts='(%1)/TB',").arg(QString::fromLatin1(c.times)) + filters;
    QStringList args{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("color=c=0x204060:s=160x90:r=25"), QStringLiteral("-vf"), filters,
                     QStringLiteral("-frames:v"), QString::number(c.frames), QStringLiteral("-fps_mode"),
                     QStringLiteral("passthrough")};
    error = test::runFfmpeg(args + c.codec + QStringList{once});
    if (!error.isEmpty() || c.copies == 1)
        return path;
    QFile in(once);
    QFile out(path);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("cannot join the copies");
        return path;
    }
    const QByteArray bytes = in.readAll();
    for (int i = 0; i < c.copies; ++i)
        out.write(bytes);
    return path;
}

class SubtitleTimes : public VideoRunHost, public picture::PictureSink {
public:
    std::vector<picture::DisplayTimes> times;

    void frameShown(int, const BgrFrame &, const FrameAnalysis &) override {}
    bool pump() override { return true; }
    bool takeRestart() override { return false; }
    void subtitleFound(int, int, const BgrFrame &) override {}
    void subtitleDropped() override {}
    core::Result<void> recognise(const picture::DecodedPicture &, const picture::DisplayTimes &shown,
                                 const picture::Rect &) override
    {
        times.push_back(shown);
        return {};
    }
};

class VideoClock : public ::testing::TestWithParam<ClockCase> {
protected:
    void SetUp() override
    {
        const ClockCase &c = GetParam();
        QString error;
        path = makeClockVideo(c, dir.path(), error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        oracle = test::ffmpegBgrFrames(path);
        ASSERT_FALSE(oracle.empty());
        const auto opened = player.setFileName(path);
        ASSERT_TRUE(opened.ok()) << opened.error().message().toStdString();
    }

    // FFmpeg's picture of frame n.
    bool sameAsFfmpeg(const BgrFrame &frame, int n) const
    {
        const size_t size = size_t(frame.width) * size_t(frame.height) * 3;
        return frame.bytes.size() == size && (size_t(n) + 1) * size <= oracle.size()
               && std::memcmp(frame.bytes.data(), oracle.data() + size_t(n) * size, size) == 0;
    }

    QTemporaryDir dir;
    QString path;
    std::vector<uint8_t> oracle;
    AviPlayer player;
};

TEST_P(VideoClock, HasFfmpegsFramesInAnyOrder)
{
    const ClockCase &c = GetParam();
    const size_t frameBytes = size_t(player.width()) * size_t(player.height()) * 3;
    ASSERT_EQ(player.width(), 160);
    EXPECT_EQ(size_t(player.frameCount()), oracle.size() / frameBytes);
    EXPECT_EQ(player.frameCount(), c.frames * c.copies);
    if (c.fpsX1000 > 0)
        EXPECT_EQ(player.fpsX1000(), c.fpsX1000);
    EXPECT_EQ(player.ownTimes(), c.ownTimes);
    // One after the other, then jumping back and forth (between the copies of a joined file).
    std::vector<int> order;
    for (int n = 0; n < player.frameCount(); ++n)
        order.push_back(n);
    const int count = player.frameCount();
    for (int n : {count - 1, 3, count / 2 + 7, count / 4, count - 20, 30, count / 2 - 5})
        order.push_back(n);
    for (int n : order) {
        player.setPosition(n);
        BgrFrame frame;
        const auto drawn = player.drawFrame(frame);
        ASSERT_TRUE(drawn.ok()) << "frame " << n << ": " << drawn.error().message().toStdString();
        ASSERT_TRUE(sameAsFfmpeg(frame, n)) << "frame " << n;
    }
}

TEST_P(VideoClock, SubtitlesAreTimedByTheirPictures)
{
    const ClockCase &c = GetParam();
    FrameAnalysis analysis;
    ASSERT_TRUE(analysis.setArea(defaultVideoArea(player.width(), player.height()), player.width(), player.height()).ok());
    analysis.textRange = rangeAround(Rgb{255, 255, 255}, {50, 50, 50});
    analysis.fattenRange = fattenRangeOf(analysis.textRange, {10, 10, 10});
    analysis.outlineRange = rangeAround(Rgb{0x20, 0x40, 0x60}, {20, 20, 20});
    VideoRunOptions options;
    options.minPixels = 40;
    SubtitleTimes found;
    const auto outcome = runVideo(player, analysis, options, -1, found, found);
    ASSERT_TRUE(outcome.ok()) << outcome.error().message().toStdString();
    EXPECT_EQ(outcome->undecodable, 0);
    ASSERT_EQ(found.times.size(), c.texts.size());
    for (size_t i = 0; i < c.texts.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "subtitle " << i);
        const ShownText &t = c.texts[i];
        const int64_t start = core::timeCodeToMilliseconds(found.times[i].start);
        const int64_t stop = core::timeCodeToMilliseconds(found.times[i].stop);
        EXPECT_NEAR(double(start), t.startMs, t.frameMs);
        // The stop is the start of the subtitle's last frame.
        EXPECT_NEAR(double(stop), t.endMs, t.frameMs);
        // Frame and time lead to each other.
        auto frame = player.frameAtTime(found.times[i].start, uint32_t(player.fpsX1000()));
        ASSERT_TRUE(frame.ok());
        auto back = player.frameTime(int(*frame), uint32_t(player.fpsX1000()));
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(*back, found.times[i].start);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, VideoClock, ::testing::ValuesIn(clockCases()),
                         [](const ::testing::TestParamInfo<ClockCase> &info) { return std::string(info.param.name); });

} // namespace
