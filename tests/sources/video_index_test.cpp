// The player's index: frames numbered by presentation time or by a decoder's output, frames left out of the
// file, the keyframe a frame is decoded from, and packets read again after a seek told apart.
#include "sources/video_index.h"

#include <gtest/gtest.h>

#include <vector>

namespace glyfex::sources {
namespace {

constexpr int64_t kNo = IndexedPacket::kNoTime;
constexpr int kNone = VideoIndex::kNone;

struct Stamp {
    int64_t pts;
    bool key = false;
};

VideoIndex indexOf(const std::vector<Stamp> &stamps)
{
    VideoIndex index;
    int64_t dts = 0;
    for (const Stamp &s : stamps)
        index.add(IndexedPacket{s.pts, dts++, -1, 100 + int(dts), s.key});
    return index;
}

// The packet of each frame, kNone for a frame left out.
std::vector<int> framePackets(const VideoIndex &index)
{
    std::vector<int> out;
    for (int n = 0; n < index.frameCount(); ++n)
        out.push_back(index.packetOfFrame(n));
    return out;
}

struct OrderCase {
    const char *name;
    std::vector<Stamp> stamps; // decode order
    double frameDuration;
    bool ordered;
    std::vector<int> framePackets;
};

TEST(VideoIndex, NumbersFramesByPresentationTime)
{
    std::vector<Stamp> restarting;
    for (int i = 0; i < 100; ++i)
        restarting.push_back({i < 30 ? 1000 + i : i}); // times that start again after 30 packets
    const OrderCase cases[] = {
        {"B-frames", {{0, true}, {3}, {1}, {2}}, 1, true, {0, 2, 3, 1}},
        {"a time missing", {{0, true}, {kNo}, {2}}, 1, false, {}},
        {"a time twice", {{0, true}, {1}, {1}, {2}}, 1, false, {}},
        {"times that start again", restarting, 1, false, {}},
        {"a frame dropped", {{0, true}, {1}, {2}, {4}, {5}}, 1, true, {0, 1, 2, kNone, 3, 4}},
        {"two frames dropped, B-frames", {{0, true}, {10}, {6}, {8}, {12}}, 2, true, {0, kNone, kNone, 2, 3, 1, 4}},
        // Film timed at a television rate moves one and a half frames now and then: nothing is missing.
        {"film at a television rate", {{0, true}, {3}, {5}, {8}}, 2, true, {0, 1, 2, 3}},
        {"rate not known", {{0, true}, {1}, {9}}, 0, true, {0, 1, 2}},
        {"a break in the times", {{0, true}, {1}, {1'000'000}}, 1, true, {0, 1, 2}},
        // A file that changes its rate leaves nothing out where it does.
        {"the rate halves", {{0, true}, {1}, {2}, {3}, {5}, {7}, {9}}, 1, true, {0, 1, 2, 3, 4, 5, 6}},
        {"slow, then the rate", {{0, true}, {2}, {4}, {6}, {7}, {8}}, 1, true, {0, 1, 2, 3, 4, 5}},
        {"a frame dropped where the rate halves", {{0, true}, {1}, {3}, {5}, {7}}, 1, true, {0, 1, 2, 3, 4}},
    };
    for (const OrderCase &c : cases) {
        SCOPED_TRACE(c.name);
        VideoIndex index = indexOf(c.stamps);
        ASSERT_EQ(index.orderByPresentationTime(c.frameDuration), c.ordered);
        if (!c.ordered)
            continue;
        EXPECT_EQ(framePackets(index), c.framePackets);
        for (int n = 0; n < index.frameCount(); ++n) {
            if (index.packetOfFrame(n) != kNone) {
                EXPECT_EQ(index.frameOfPacket(index.packetOfFrame(n)), n);
            }
        }
    }
}

TEST(VideoIndex, NumbersFramesAsADecoderPutThemOut)
{
    // Packet 2 put out nothing (an undecodable picture), packet 1 twice; the decoder's times show a frame
    // left out after packet 3.
    VideoIndex index = indexOf({{kNo, true}, {kNo}, {kNo}, {kNo}, {kNo}});
    index.orderByOutput({0, 1, 1, 3, 4}, {0, 1, 1, 2, 4}, 1);
    EXPECT_EQ(framePackets(index), (std::vector<int>{0, 1, 3, kNone, 4}));
    EXPECT_EQ(index.frameOfPacket(2), kNone);
    EXPECT_EQ(index.frameOfPacket(99), kNone);
    // Without times nothing is filled in.
    index.orderByOutput({0, 1, 3, 4}, {kNo, kNo, kNo, kNo}, 1);
    EXPECT_EQ(framePackets(index), (std::vector<int>{0, 1, 3, 4}));
}

// The times the frames are shown at, a frame left out timed between its neighbours, and whether the times
// are a clock the frames keep (each later than the one before) and may tell frames left out.
TEST(VideoIndex, FrameTimesAndTheGapsTheyTell)
{
    const struct {
        const char *name;
        std::vector<int64_t> times; // as a decoder put the frames of packets 0.. out, one each
        std::vector<int> framePackets;
        std::vector<int64_t> frameTimes;
        bool increase;
    } cases[] = {
        {"a frame dropped", {0, 10, 20, 40, 50}, {0, 1, 2, kNone, 3, 4}, {0, 10, 20, 30, 40, 50}, true},
        // Times rounded to a coarse clock: a frame lands on the slot of the one before, and a gap soon after
        // gives the slot back.
        {"a frame on the slot of the one before", {0, 10, 20, 21, 30, 40, 60, 70}, {0, 1, 2, 3, 4, 5, 6, 7},
         {0, 10, 20, 21, 30, 40, 60, 70}, true},
        // A repeated time is no clock: its gaps leave nothing out.
        {"a time repeated", {0, 10, 20, 20, 40, 50, 70, 80}, {0, 1, 2, 3, 4, 5, 6, 7}, {0, 10, 20, 20, 40, 50, 70, 80}, false},
        {"a time a little back", {0, 10, 30, 25, 40, 60, 70}, {0, 1, 2, 3, 4, 5, 6}, {0, 10, 30, 25, 40, 60, 70}, false},
        // Two clips whose clocks start again keep telling frames left out.
        {"a clock that starts again", {1000, 1010, 1020, 0, 10, 30, 40},
         {0, 1, 2, 3, 4, kNone, 5, 6}, {1000, 1010, 1020, 0, 10, 20, 30, 40}, false},
        {"a time missing", {0, 10, kNo, 30}, {0, 1, 2, 3}, {0, 10, kNo, 30}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Stamp> stamps(c.times.size(), Stamp{kNo});
        VideoIndex index = indexOf(stamps);
        std::vector<int> output;
        for (size_t i = 0; i < c.times.size(); ++i)
            output.push_back(int(i));
        index.orderByOutput(output, c.times, 10);
        EXPECT_EQ(framePackets(index), c.framePackets);
        std::vector<int64_t> times;
        for (int n = 0; n < index.frameCount(); ++n)
            times.push_back(index.frameTime(n));
        EXPECT_EQ(times, c.frameTimes);
        EXPECT_EQ(index.timesIncrease(), c.increase);
    }
}

// Open groups of pictures as DVDs have them: the B-frames sent after a keyframe but shown before it need
// the group before, so they start from the keyframe before.
TEST(VideoIndex, StartsEachFrameFromAKeyframeThatReachesIt)
{
    // Decode order I0 P3 B1 B2 | I6 B4 B5 P9 B7 B8, the second group open.
    VideoIndex index = indexOf({{0, true}, {3}, {1}, {2}, {6, true}, {4}, {5}, {9}, {7}, {8}});
    ASSERT_TRUE(index.orderByPresentationTime(1));
    const struct {
        int frame;
        int start;
    } cases[] = {{0, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 4}, {7, 4}, {9, 4}};
    for (const auto &c : cases)
        EXPECT_EQ(index.startPacket(c.frame), c.start) << "frame " << c.frame;
}

TEST(VideoIndex, TellsPacketsReadAgainApart)
{
    VideoIndex index;
    // Two packets alike in size and times (a stream without times), and one with times of its own.
    index.add({kNo, kNo, 0, 500, true});
    index.add({10, 5, 500, 300, false});
    index.add({kNo, kNo, 800, 500, false});
    index.add({20, 15, 1300, 300, false});
    const struct {
        const char *name;
        IndexedPacket read;
        int next;
        int near;
        int expected;
    } cases[] = {
        {"the packet after the last, its times filled in otherwise", {99, 99, -1, 300, false}, 1, 0, 1},
        {"after a seek, by its times", {20, 15, -1, 300, false}, kNone, 0, 3},
        {"by its size, the one nearest the seek", {kNo, kNo, -1, 500, false}, kNone, 3, 2},
        {"a packet the index does not know", {30, 25, -1, 300, false}, kNone, 0, kNone},
        {"the size does not match the next one", {30, 25, -1, 301, false}, 1, 0, kNone},
    };
    for (const auto &c : cases)
        EXPECT_EQ(index.identify(c.read, c.next, c.near), c.expected) << c.name;
    EXPECT_FALSE(index.packetsRepeat()) << "packets without times are alike, not copies";
}

// A file joined to itself byte for byte: every packet twice, alike in size and times, apart in the file.
TEST(VideoIndex, TellsCopiesOfAPacketApartByTheirPlace)
{
    VideoIndex index;
    for (int copy = 0; copy < 2; ++copy) {
        index.add({10, 5, copy * 1000, 300, true});
        index.add({20, 15, -1, 200, false}); // shares a block of the file with the one before
        index.add({30, 25, copy * 1000 + 500, 300, false});
    }
    ASSERT_TRUE(index.packetsRepeat());
    const struct {
        const char *name;
        IndexedPacket read;
        int near;
        int expected;
    } cases[] = {
        {"the second copy, read near the first", {10, 5, 1000, 300, true}, 0, 3},
        {"the first copy, read near the second", {30, 25, 500, 300, false}, 5, 2},
        {"no place: the one nearest", {20, 15, -1, 200, false}, 5, 4},
        {"a place that names no copy: the one nearest", {10, 5, 2000, 300, true}, 4, 3},
    };
    for (const auto &c : cases)
        EXPECT_EQ(index.identify(c.read, kNone, c.near), c.expected) << c.name;
    EXPECT_EQ(index.positionedPacket(4), 3);
    EXPECT_EQ(index.positionedPacket(1), 0);
}

} // namespace
} // namespace glyfex::sources
