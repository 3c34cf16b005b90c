// The video player's index: a video stream's packets in decode order, which frame each one shows and where decoding must start to reach a frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace glyfex::sources {

// One packet of the video stream as the file gives it. Times are in the stream's time base; kNoTime
// marks a time the file does not give (FFmpeg's AV_NOPTS_VALUE).
struct IndexedPacket {
    static constexpr int64_t kNoTime = INT64_MIN;
    int64_t pts = kNoTime;
    int64_t dts = kNoTime;
    int64_t pos = -1; // byte position in the file, -1 unknown
    int size = 0;
    bool key = false;
};

// Frames are numbered 0.. in presentation order, as a decoder that reads the stream from its start puts
// them out. A packet shows at most one frame; one that shows none (a skipped or undecodable picture)
// has no number. Where the times of two frames in a row leave out whole frames (a dropped packet), the
// frames left out keep their numbers with no packet, so that every later frame keeps its time; where the
// frames themselves change their rate, or the times repeat, nothing is left out.
class VideoIndex {
public:
    static constexpr int kNone = -1;

    void clear();
    void add(const IndexedPacket &packet);
    int packetCount() const { return int(m_packets.size()); }
    // Two packets alike in size and times (a file whose packets repeat byte for byte): a packet read from
    // the file is told apart by its byte position, and seeks go by byte.
    bool packetsRepeat() const { return m_packetsRepeat; }
    const IndexedPacket &packet(int i) const { return m_packets[size_t(i)]; }

    // Numbers the frames by the packets' presentation times; frameDuration (in the times' unit, 0 when
    // the rate is not known) finds the frames left out. False (nothing numbered) when a packet has no
    // time, two share one, or the times would move a packet far from its place in the file (times
    // that start again): then only decoding tells the order.
    bool orderByPresentationTime(double frameDuration);
    // Numbers the frames in the order a decoder put them out: the packet of each and its time (kNoTime
    // when the decoder gave none), each packet at most once. Frames are filled in only where the times
    // can be trusted: none repeats or steps back a little.
    void orderByOutput(const std::vector<int> &outputPackets, const std::vector<int64_t> &times, double frameDuration);

    int frameCount() const { return int(m_framePacket.size()); }
    // The packet that shows frame, kNone for a frame left out of the file.
    int packetOfFrame(int frame) const { return m_framePacket[size_t(frame)]; }
    // The frame the packet shows, kNone when it shows none or the frames are not numbered yet.
    int frameOfPacket(int packet) const
    {
        return packet >= 0 && size_t(packet) < m_packetFrame.size() ? m_packetFrame[size_t(packet)] : kNone;
    }
    // The frame's presentation time (a frame left out: the time it would have had), kNoTime when unknown.
    int64_t frameTime(int frame) const { return m_frameTime[size_t(frame)]; }
    // Every frame has a time and each is later than the one before: the times are the frames' own clock.
    bool timesIncrease() const { return m_timesIncrease; }

    // The packet decoding has to start from so that frame (one with a packet) comes out whole: the last
    // keyframe before its packet that is not shown after it (the pictures shown before a keyframe but sent after it
    // may need the group of pictures before).
    int startPacket(int frame) const;
    // The nearest packet at or before packet whose byte position is known, kNone when there is none.
    int positionedPacket(int packet) const;

    // Which packet of the index a packet read from the file is, kNone when none. When the packet read
    // before was identified, the one after it (next) is taken when its size matches: the times FFmpeg
    // fills in for a packet without its own may differ after a seek. Otherwise the packet is looked up
    // by its size and times: the one at the same byte position when the file repeats its packets, else the
    // match nearest to near.
    int identify(const IndexedPacket &read, int next, int near) const;

    // Frames left out of the file are filled in for gaps of up to this many frames (a minute at 60 frames a
    // second); a longer one is a break in the times, not missing frames.
    static constexpr int kMaxGapFrames = 3600;
    // Frames left out are filled in only up to this many frames in all (about 37 hours at 30 frames a
    // second), so that damaged times cannot make the index a memory hazard.
    static constexpr size_t kMaxFrames = 4'000'000;
    // Times that move a packet further than this from its place in decode order are not its order.
    static constexpr int kMaxReorder = 64;

private:
    static uint64_t lookupKey(const IndexedPacket &p);

    std::vector<IndexedPacket> m_packets;  // decode order
    std::vector<int> m_framePacket;        // frame number -> packet
    std::vector<int> m_packetFrame;        // packet -> frame number or kNone
    std::vector<int64_t> m_frameTime;      // frame number -> presentation time or kNoTime
    bool m_timesIncrease = false;
    bool m_packetsRepeat = false;
    std::unordered_multimap<uint64_t, int> m_lookup;
};

} // namespace glyfex::sources
