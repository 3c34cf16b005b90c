// The video player's index: packets in decode order, frames in presentation order, and the keyframe each frame is decoded from.
#include "sources/video_index.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace glyfex::sources {

void VideoIndex::clear()
{
    m_packets.clear();
    m_framePacket.clear();
    m_packetFrame.clear();
    m_lookup.clear();
}

uint64_t VideoIndex::lookupKey(const IndexedPacket &p)
{
    // Mixed so that packets of one size with nearby times spread over the table.
    uint64_t h = uint64_t(p.size) * 0x9E3779B97F4A7C15ull;
    h ^= uint64_t(p.pts) + 0x7F4A7C159E3779B9ull + (h << 6) + (h >> 2);
    h ^= uint64_t(p.dts) + 0x94D049BB133111EBull + (h << 6) + (h >> 2);
    return h;
}

void VideoIndex::add(const IndexedPacket &packet)
{
    m_lookup.emplace(lookupKey(packet), int(m_packets.size()));
    m_packets.push_back(packet);
}

bool VideoIndex::orderByPresentationTime(double frameDuration)
{
    std::vector<std::pair<int64_t, int>> order;
    order.reserve(m_packets.size());
    for (size_t i = 0; i < m_packets.size(); ++i) {
        if (m_packets[i].pts == IndexedPacket::kNoTime)
            return false;
        order.emplace_back(m_packets[i].pts, int(i));
    }
    std::sort(order.begin(), order.end());
    std::vector<int> output;
    std::vector<int64_t> times;
    output.reserve(order.size());
    times.reserve(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && order[i].first == order[i - 1].first)
            return false;
        if (std::abs(int64_t(i) - order[i].second) > kMaxReorder)
            return false;
        times.push_back(order[i].first);
        output.push_back(order[i].second);
    }
    orderByOutput(output, times, frameDuration);
    return true;
}

void VideoIndex::orderByOutput(const std::vector<int> &outputPackets, const std::vector<int64_t> &times,
                               double frameDuration)
{
    m_framePacket.clear();
    m_packetFrame.assign(m_packets.size(), kNone);
    int64_t lastTime = IndexedPacket::kNoTime;
    for (size_t i = 0; i < outputPackets.size(); ++i) {
        const int packet = outputPackets[i];
        if (packet < 0 || packet >= packetCount() || m_packetFrame[size_t(packet)] != kNone)
            continue;
        const int64_t time = i < times.size() ? times[i] : IndexedPacket::kNoTime;
        if (frameDuration > 0 && time != IndexedPacket::kNoTime && lastTime != IndexedPacket::kNoTime && time > lastTime) {
            // A gap of at least one and three quarter frames: the frames between are missing (gaps of one and
            // a half are how film shown at a television rate is timed).
            const double frames = double(time - lastTime) / frameDuration;
            if (frames >= 1.75 && frames <= double(kMaxGapFrames)) {
                for (int64_t k = std::llround(frames) - 1; k > 0 && m_framePacket.size() < kMaxFrames; --k)
                    m_framePacket.push_back(kNone);
            }
        }
        if (time != IndexedPacket::kNoTime)
            lastTime = time;
        m_packetFrame[size_t(packet)] = int(m_framePacket.size());
        m_framePacket.push_back(packet);
    }
}

int VideoIndex::startPacket(int frame) const
{
    for (int i = packetOfFrame(frame); i >= 0; --i) {
        const int shown = m_packetFrame[size_t(i)];
        if (m_packets[size_t(i)].key && shown != kNone && shown <= frame)
            return i;
    }
    return 0;
}

int VideoIndex::identify(const IndexedPacket &read, int next, int near) const
{
    if (next >= 0 && next < packetCount() && m_packets[size_t(next)].size == read.size)
        return next;
    int best = kNone;
    const auto [from, to] = m_lookup.equal_range(lookupKey(read));
    for (auto it = from; it != to; ++it) {
        const IndexedPacket &p = m_packets[size_t(it->second)];
        if (p.size != read.size || p.pts != read.pts || p.dts != read.dts)
            continue;
        if (best == kNone || std::abs(int64_t(it->second) - near) < std::abs(int64_t(best) - near))
            best = it->second;
    }
    return best;
}

} // namespace glyfex::sources
