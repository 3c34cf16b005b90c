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
    m_frameTime.clear();
    m_lookup.clear();
    m_timesIncrease = false;
    m_packetsRepeat = false;
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
    const uint64_t key = lookupKey(packet);
    // Packets without times of their own are alike by nature; only packets with the same times are copies.
    if (!m_packetsRepeat && (packet.pts != IndexedPacket::kNoTime || packet.dts != IndexedPacket::kNoTime)) {
        const auto [from, to] = m_lookup.equal_range(key);
        for (auto it = from; it != to && !m_packetsRepeat; ++it) {
            const IndexedPacket &p = m_packets[size_t(it->second)];
            m_packetsRepeat = p.size == packet.size && p.pts == packet.pts && p.dts == packet.dts;
        }
    }
    m_lookup.emplace(key, int(m_packets.size()));
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
    constexpr int64_t kNo = IndexedPacket::kNoTime;
    // The frames shown, each packet once.
    std::vector<std::pair<int, int64_t>> shown;
    shown.reserve(outputPackets.size());
    m_packetFrame.assign(m_packets.size(), kNone);
    for (size_t i = 0; i < outputPackets.size(); ++i) {
        const int packet = outputPackets[i];
        if (packet < 0 || packet >= packetCount() || m_packetFrame[size_t(packet)] != kNone)
            continue;
        m_packetFrame[size_t(packet)] = 0;
        shown.emplace_back(packet, i < times.size() ? times[i] : kNo);
    }

    // A time that repeats the one before or steps back by less than 25 frames is no clock (clips joined
    // with clocks that start again step back further): no gap in such times is a frame left out.
    bool trusted = frameDuration > 0;
    m_timesIncrease = true;
    int64_t previous = kNo;
    for (const auto &[packet, time] : shown) {
        if (time == kNo) {
            m_timesIncrease = false;
            continue;
        }
        if (previous != kNo && time <= previous) {
            m_timesIncrease = false;
            if (double(previous - time) < 25.0 * frameDuration)
                trusted = false;
        }
        previous = time;
    }
    // Frames between two times that lie a whole frame or more apart, where the frames on either side keep
    // the rate: a gap of at least one and three quarter frames (gaps of one and a half are how film shown at
    // a television rate is timed). Where the frames around lie further apart or closer (a file that changes
    // its rate, or times rounded to a coarser clock) nothing is left out.
    const auto framesApart = [&](size_t i) {
        if (i == 0 || i >= shown.size() || shown[i].second == kNo || shown[i - 1].second == kNo)
            return 0.0;
        return double(shown[i].second - shown[i - 1].second) / frameDuration;
    };
    const auto keepsTheRate = [&](size_t i) {
        if (i == 0 || i >= shown.size())
            return true;
        const double frames = framesApart(i);
        return frames >= 0.75 && frames <= 1.25;
    };
    // A frame timed on the slot of the one before it (times rounded to a coarse clock) moves the frames
    // after it late by a slot until a gap a little later gives the slot back: such a gap within kNearFrames
    // of it leaves nothing out.
    constexpr size_t kNearFrames = 8;
    std::vector<bool> crowded(shown.size(), false);
    for (size_t i = 1; i < shown.size(); ++i)
        crowded[i] = shown[i].second != kNo && shown[i - 1].second > shown[i].second - frameDuration / 4
                     && shown[i - 1].second < shown[i].second;
    m_framePacket.clear();
    m_frameTime.clear();
    m_framePacket.reserve(shown.size());
    m_frameTime.reserve(shown.size());
    for (size_t i = 0; i < shown.size(); ++i) {
        if (trusted) {
            const double frames = framesApart(i);
            if (frames >= 1.75 && frames <= double(kMaxGapFrames) && keepsTheRate(i - 1) && keepsTheRate(i + 1)) {
                int64_t missing = std::llround(frames) - 1;
                for (size_t j = i > kNearFrames ? i - kNearFrames : 0; j < std::min(shown.size(), i + kNearFrames + 1)
                                                                       && missing > 0; ++j) {
                    if (crowded[j]) {
                        crowded[j] = false;
                        --missing;
                    }
                }
                const int64_t before = shown[i - 1].second;
                for (int64_t k = 1; k <= missing && m_framePacket.size() < kMaxFrames; ++k) {
                    m_framePacket.push_back(kNone);
                    m_frameTime.push_back(before + std::llround(double(k) * frameDuration));
                }
            }
        }
        m_packetFrame[size_t(shown[i].first)] = int(m_framePacket.size());
        m_framePacket.push_back(shown[i].first);
        m_frameTime.push_back(shown[i].second);
    }
    m_timesIncrease = m_timesIncrease && !m_frameTime.empty();
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

int VideoIndex::positionedPacket(int packet) const
{
    for (int i = std::min(packet, packetCount() - 1); i >= 0; --i) {
        if (m_packets[size_t(i)].pos >= 0)
            return i;
    }
    return kNone;
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
        // Copies of one packet lie at different places in the file.
        if (m_packetsRepeat && read.pos >= 0 && p.pos == read.pos)
            return it->second;
        if (best == kNone || std::abs(int64_t(it->second) - near) < std::abs(int64_t(best) - near))
            best = it->second;
    }
    return best;
}

} // namespace glyfex::sources
