// The video player against FFmpeg's own decode: every frame byte-equal in any order of access, the frame
// rate, position clamping, reopening by name, and damaged files.
#include "sources/avi_player.h"

#include "support/test_data.h"
#include "support/test_video.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <numeric>
#include <ostream>
#include <random>

namespace glyfex::sources {
namespace {

const QString kFont = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");

struct VideoCase {
    const char *name;
    QString source;
    QString filters;
    int frames;
    QStringList codec;
    int fpsX1000;
    // A checked-in video below tests/data instead of one made from source.
    const char *fixture = nullptr;
};

void PrintTo(const VideoCase &c, std::ostream *os)
{
    *os << c.name;
}

QStringList args(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *a : list)
        out << QString::fromLatin1(a);
    return out;
}

// Every container the viewer offers, with the codecs usually found in it; B-frames and short groups of
// pictures wherever the codec has them, so that decode order and presentation order differ and seeks
// land in the middle of groups. Lossless text on a flat colour, lossy x264 at 29.97 frames a second and
// the same at HD size keep the frame sizes the viewer meets; the rest are small to stay quick. The frame
// number drawn on each frame makes every frame different.
std::vector<VideoCase> videoCases()
{
    const QString text = QStringLiteral("drawtext=fontfile=%1:text='%{n}':fontcolor=white:fontsize=%2:"
                                        "borderw=2:bordercolor=black:x=(w-tw)/2:y=h-th-%3");
    const QString small = text.arg(kFont).arg(30).arg(10);
    const QString pal = QStringLiteral("testsrc2=s=320x240:r=25");
    const QStringList x264 = args({"-c:v", "libx264", "-preset", "veryfast", "-g", "5", "-bf", "2", "-pix_fmt", "yuv420p"});
    const QStringList x264Long = args({"-c:v", "libx264", "-preset", "veryfast", "-g", "12", "-bf", "3", "-pix_fmt", "yuv420p"});
    const QStringList dvd = args({"-target", "pal-dvd", "-s", "352x288", "-bf", "2", "-g", "15", "-an"});
    return {
        {"ffv1_pal.mkv", QStringLiteral("color=c=0x204060:s=720x576:r=25"), text.arg(kFont).arg(40).arg(30), 8,
         args({"-c:v", "ffv1", "-pix_fmt", "bgr0"}), 25000},
        {"x264_pal.mp4", QStringLiteral("testsrc2=s=720x576:r=30000/1001"), text.arg(kFont).arg(40).arg(30), 14,
         x264, 29970},
        {"x264_hd.mkv", QStringLiteral("testsrc2=s=1920x1080:r=30000/1001"), text.arg(kFont).arg(70).arg(60), 12,
         x264, 29970},
        {"mpeg4_bframes.avi", pal, small, 50, args({"-c:v", "mpeg4", "-vtag", "XVID", "-bf", "2", "-g", "12", "-q:v", "4"}),
         25000},
        {"x264.avi", pal, small, 50, x264Long, 25000},
        {"mpeg2_program.mpg", pal, small, 50, dvd, 25000},
        {"mpeg2_dvd.vob", pal, small, 50, dvd + args({"-f", "vob"}), 25000},
        {"x264_bframes.ts", pal, small, 60, x264Long, 25000},
        {"x264_bframes.m2ts", pal, small, 50, x264Long + args({"-f", "mpegts", "-mpegts_m2ts_mode", "1"}), 25000},
        {"x264_bframes.mkv", pal, small, 50, x264Long, 25000},
        {"x264_bframes.mp4", pal, small, 50, x264Long, 25000},
        {"x264_bframes.mov", pal, small, 50, x264Long, 25000},
        {"vp9.webm", pal, small, 50, args({"-c:v", "libvpx-vp9", "-deadline", "realtime", "-cpu-used", "8", "-g", "12"}),
         25000},
        // A title set as dvdauthor writes it: most pictures share a packet of the stream with the one before
        // and carry no time of their own.
        {"dvdauthor.vob", {}, {}, 120, {}, 29970, "dvd-ntsc-two-streams/dvd/VIDEO_TS/VTS_01_1.VOB"},
    };
}

class AviPlayerVideos : public ::testing::Test {
protected:
    QString make(const VideoCase &c)
    {
        const QString path = m_dir.filePath(QString::fromLatin1(c.name));
        const QString error = test::makeVideo(path, c.source, c.filters, c.frames, c.codec);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return path;
    }
    QTemporaryDir m_dir;
};

BgrFrame frameAt(AviPlayer &player, int n)
{
    BgrFrame f;
    player.setPosition(n);
    const auto r = player.drawFrame(f);
    EXPECT_TRUE(r.ok()) << "frame " << n << ": " << (r.ok() ? "" : r.error().message().toStdString());
    return f;
}

// The orders in which a freshly opened player is asked for frames: the first frame a viewer shows (0 or
// 1), playing through, stepping back, jumping about with repeats, the end first, and all of it in one go.
std::vector<int> forward(int frames)
{
    std::vector<int> all(static_cast<size_t>(frames));
    std::iota(all.begin(), all.end(), 0);
    return all;
}

std::vector<int> backward(int frames)
{
    std::vector<int> all = forward(frames);
    std::reverse(all.begin(), all.end());
    return all;
}

std::vector<int> shuffled(int frames)
{
    std::vector<int> order = forward(frames);
    std::mt19937 random(7);
    std::shuffle(order.begin(), order.end(), random);
    std::vector<int> all;
    for (int n : order) {
        all.push_back(n);
        if (n % 3 == 0)
            all.push_back(n);
    }
    return all;
}

struct AccessCase {
    const char *name;
    std::vector<int> (*order)(int frames);
};

const AccessCase kAccessCases[] = {
    {"frame 0", [](int) { return std::vector<int>{0, 1, 2}; }},
    {"frame 1", [](int) { return std::vector<int>{1, 0, 1, 2}; }},
    {"sequential", forward},
    {"backward", backward},
    {"shuffled", shuffled},
    {"last frame", [](int frames) { return std::vector<int>{frames - 1, frames - 2, frames - 1, 0}; }},
    {"forward, backward, shuffled", [](int frames) {
         std::vector<int> all = forward(frames);
         for (const auto &more : {backward(frames), shuffled(frames)})
             all.insert(all.end(), more.begin(), more.end());
         return all;
     }},
};

class AviPlayerContainers : public ::testing::TestWithParam<VideoCase> {
protected:
    QTemporaryDir m_dir;
};

TEST_P(AviPlayerContainers, FramesEqualFfmpegsDecodeInAnyOrder)
{
    const VideoCase &c = GetParam();
    QString path = m_dir.filePath(QString::fromLatin1(c.name));
    if (c.fixture) {
        path = test::dataPath(QString::fromLatin1(c.fixture));
    } else {
        const QString made = test::makeVideo(path, c.source, c.filters, c.frames, c.codec);
        ASSERT_TRUE(made.isEmpty()) << made.toStdString();
    }
    const std::vector<uint8_t> oracle = test::ffmpegBgrFrames(path);
    ASSERT_FALSE(oracle.empty());

    for (const AccessCase &access : kAccessCases) {
        SCOPED_TRACE(access.name);
        AviPlayer player;
        const auto opened = player.setFileName(path);
        ASSERT_TRUE(opened.ok()) << opened.error().message().toStdString();
        const size_t frameBytes = size_t(player.width()) * size_t(player.height()) * 3;
        ASSERT_EQ(oracle.size() % frameBytes, 0u);
        ASSERT_EQ(size_t(player.frameCount()), oracle.size() / frameBytes) << "FFmpeg's frame count";
        ASSERT_EQ(player.frameCount(), c.frames);
        EXPECT_EQ(player.fpsX1000(), c.fpsX1000);
        EXPECT_TRUE(player.rateKnown());
        for (int n : access.order(c.frames)) {
            const BgrFrame f = frameAt(player, n);
            ASSERT_EQ(f.width, player.width()) << "frame " << n;
            ASSERT_EQ(f.height, player.height());
            ASSERT_TRUE(std::equal(f.bytes.begin(), f.bytes.end(), oracle.begin() + ptrdiff_t(frameBytes * size_t(n))))
                << "frame " << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Videos, AviPlayerContainers, ::testing::ValuesIn(videoCases()),
                         [](const ::testing::TestParamInfo<VideoCase> &info) {
                             std::string name = info.param.name;
                             for (char &ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

TEST_F(AviPlayerVideos, PositionIsClampedToTheFrames)
{
    const VideoCase c = videoCases()[0];
    AviPlayer player;
    ASSERT_TRUE(player.setFileName(make(c)).ok());
    const BgrFrame last = frameAt(player, c.frames - 1);
    const BgrFrame first = frameAt(player, 0);
    EXPECT_NE(first, last);

    struct Case {
        int position;
        int clamped;
    };
    for (const Case k : {Case{c.frames + 40, c.frames - 1}, Case{c.frames, c.frames - 1}, Case{-1, 0},
                         Case{-1000, 0}}) {
        BgrFrame f;
        player.setPosition(k.position);
        ASSERT_TRUE(player.drawFrame(f).ok());
        EXPECT_EQ(player.position(), k.clamped) << k.position;
        EXPECT_EQ(f, k.clamped == 0 ? first : last) << k.position;
    }
}

TEST_F(AviPlayerVideos, SetFileNameOpensOnlyANewName)
{
    const VideoCase c = videoCases()[0];
    const QString path = make(c);
    AviPlayer player;
    ASSERT_TRUE(player.setFileName(path).ok());
    player.setPosition(5);
    EXPECT_TRUE(player.setFileName(path).ok());
    EXPECT_EQ(player.position(), 5) << "the same name reopened the file";

    EXPECT_FALSE(player.setFileName(QString()).ok());
    EXPECT_FALSE(player.opened());
    EXPECT_EQ(player.frameCount(), 0);
    EXPECT_EQ(player.width(), 720) << "closing keeps the size";
    BgrFrame untouched;
    EXPECT_FALSE(player.drawFrame(untouched).ok());
    EXPECT_TRUE(untouched.bytes.empty());

    ASSERT_TRUE(player.setFileName(path).ok());
    EXPECT_TRUE(player.opened());
    EXPECT_EQ(player.frameCount(), c.frames);
}

TEST_F(AviPlayerVideos, DamagedFilesFailWithTheirName)
{
    const VideoCase c = videoCases()[1];
    QFile good(make(c));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray bytes = good.readAll();

    struct Case {
        const char *name;
        QByteArray content;
    };
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 37 + 11) & 0xFF);
    const std::vector<Case> cases{
        {"empty.mp4", QByteArray()},
        {"garbage.mkv", garbage},
        {"cut.mp4", bytes.left(200)},
        {"text.avi", QByteArray("1\n00:00:01,000 --> 00:00:02,000\nnot a video\n")},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        const QString path = m_dir.filePath(QString::fromLatin1(k.name));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(k.content);
        f.close();

        AviPlayer player;
        const auto r = player.setFileName(path);
        ASSERT_FALSE(r.ok());
        EXPECT_TRUE(r.error().message().contains(QString::fromLatin1(k.name))) << r.error().message().toStdString();
        EXPECT_FALSE(player.opened());
        EXPECT_EQ(player.frameCount(), 0);
    }

    // A file whose middle is damaged still opens; each frame either decodes or says it cannot.
    QByteArray hurt = bytes;
    for (qsizetype i = hurt.size() / 2; i < hurt.size() / 2 + 2000 && i < hurt.size(); ++i)
        hurt[i] = char(hurt[i] ^ 0x5A);
    const QString path = m_dir.filePath(QStringLiteral("hurt.mp4"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(hurt);
    f.close();
    AviPlayer player;
    if (player.setFileName(path).ok()) {
        for (int n = player.frameCount() - 1; n >= 0; --n) {
            BgrFrame frame;
            player.setPosition(n);
            if (player.drawFrame(frame).ok()) {
                EXPECT_EQ(frame.bytes.size(), size_t(player.width()) * size_t(player.height()) * 3);
            }
        }
    }
}

TEST(AviPlayerRate, RateTimesThousandRoundsHalfToEven)
{
    struct Case {
        int64_t num, den;
        int expected;
    };
    for (const Case c : {Case{30000, 1001, 29970}, Case{24000, 1001, 23976}, Case{25, 1, 25000},
                         Case{60000, 1001, 59940}, Case{1, 2000, 0}, Case{3, 2000, 2}, Case{1, 400, 2},
                         Case{0, 1, 0}, Case{25, 0, 0}, Case{-25, 1, 0}}) {
        EXPECT_EQ(rateX1000(c.num, c.den), c.expected) << c.num << "/" << c.den;
    }
}

} // namespace
} // namespace glyfex::sources
