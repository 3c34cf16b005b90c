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
// frames left out keep their numbers with no packet, so that every later frame keeps its time.
class VideoIndex {
public:
    static constexpr int kNone = -1;

    void clear();
    void add(const IndexedPacket &packet);
    int packetCount() const { return int(m_packets.size()); }
    const IndexedPacket &packet(int i) const { return m_packets[size_t(i)]; }

    // Numbers the frames by the packets' presentation times; frameDuration (in the times' unit, 0 when
    // the rate is not known) finds the frames left out. False (nothing numbered) when a packet has no
    // time, two share one, or the times would move a packet far from its place in the file (times
    // that start again): then only decoding tells the order.
    bool orderByPresentationTime(double frameDuration);
    // Numbers the frames in the order a decoder put them out: the packet of each and its time (kNoTime
    // when the decoder gave none), each packet at most once.
    void orderByOutput(const std::vector<int> &outputPackets, const std::vector<int64_t> &times, double frameDuration);

    int frameCount() const { return int(m_framePacket.size()); }
    // The packet that shows frame, kNone for a frame left out of the file.
    int packetOfFrame(int frame) const { return m_framePacket[size_t(frame)]; }
    // The frame the packet shows, kNone when it shows none or the frames are not numbered yet.
    int frameOfPacket(int packet) const
    {
        return packet >= 0 && size_t(packet) < m_packetFrame.size() ? m_packetFrame[size_t(packet)] : kNone;
    }

    // The packet decoding has to start from so that frame (one with a packet) comes out whole: the last
    // keyframe before its packet that is not shown after it (the pictures shown before a keyframe but sent after it
    // may need the group of pictures before).
    int startPacket(int frame) const;

    // Which packet of the index a packet read from the file is, kNone when none. When the packet read
    // before was identified, the one after it (next) is taken when its size matches: the times FFmpeg
    // fills in for a packet without its own may differ after a seek. Otherwise the packet is looked up
    // by its size and times, the match nearest to near winning.
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
    std::unordered_multimap<uint64_t, int> m_lookup;
};

} // namespace glyfex::sources
