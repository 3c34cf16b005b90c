// The video player against FFmpeg's own decode: every frame byte-equal in any order of access, the frame
// rate, position clamping, reopening by name, and damaged files.
#include "sources/avi_player.h"

#include "support/container_videos.h"
#include "support/test_data.h"
#include "support/test_video.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <ostream>
#include <random>

namespace glyfex::sources {
namespace {

class AviPlayerVideos : public ::testing::Test {
protected:
    QString make(const test::ContainerVideo &c)
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

class AviPlayerContainers : public ::testing::TestWithParam<test::ContainerVideo> {
protected:
    QTemporaryDir m_dir;
};

TEST_P(AviPlayerContainers, FramesEqualFfmpegsDecodeInAnyOrder)
{
    const test::ContainerVideo &c = GetParam();
    QString error;
    const QString path = test::containerVideoPath(c, m_dir.path(), error);
    ASSERT_FALSE(path.isEmpty()) << error.toStdString();
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
        if (!c.copiedFrom) {
            ASSERT_EQ(player.frameCount(), c.frames);
        }
        EXPECT_EQ(player.fpsX1000(), c.fpsX1000);
        EXPECT_TRUE(player.rateKnown());
        for (int n : access.order(player.frameCount())) {
            const BgrFrame f = frameAt(player, n);
            ASSERT_EQ(f.width, player.width()) << "frame " << n;
            ASSERT_EQ(f.height, player.height());
            ASSERT_TRUE(std::equal(f.bytes.begin(), f.bytes.end(), oracle.begin() + ptrdiff_t(frameBytes * size_t(n))))
                << "frame " << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Videos, AviPlayerContainers, ::testing::ValuesIn(test::containerVideos()),
                         [](const auto &info) { return test::containerVideoTestName(info.param); });

TEST_F(AviPlayerVideos, PositionIsClampedToTheFrames)
{
    const test::ContainerVideo c = test::containerVideos()[0];
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
    const test::ContainerVideo c = test::containerVideos()[0];
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
    const test::ContainerVideo c = test::containerVideos()[1];
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
