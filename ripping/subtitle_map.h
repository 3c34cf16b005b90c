// The subtitle map (.gxm) of one VOB file: the sectors that matter for subtitles, built on a first pass and followed later.
#pragma once

#include "core/result.h"

#include <QString>

#include <cstdint>
#include <span>
#include <deque>

namespace glyfex::ripping {

// Line types of the map. A subpicture sector's type is its substream id in decimal (32-63).
inline constexpr uint8_t kMapNavigation = 0;  // navigation pack: cell times and the video standard
inline constexpr uint8_t kMapClockSector = 1; // around a clock break, or one of the file's last two sectors
inline constexpr uint8_t kMapHighestSubstream = 0x3F;

struct MapLine {
    uint8_t type = 0;    // 0-99
    uint32_t sector = 0; // sector number within the file; its byte offset is sector * 2048
    friend bool operator==(const MapLine &, const MapLine &) = default;
};

class SubtitleMap {
public:
    // The map file beside a VOB: its path with the extension replaced by ".gxm".
    static QString pathFor(const QString &vobPath);
    // The number of the file's last sector, partial or whole, for a file of this size (-1 when empty).
    static int64_t lastSectorOf(int64_t fileSize);

    bool isEmpty() const { return m_lines.empty(); }
    size_t size() const { return m_lines.size(); }
    const std::deque<MapLine> &lines() const { return m_lines; }
    void clear() { m_lines.clear(); }

    // Building, in the order the pass meets the sectors. The map always begins with the file's first
    // sector, as a navigation or clock line that every pass reads: a run that begins with this file takes
    // its time base from that sector's clock, along the map as in a full pass.
    // The SCR fell at sector n: the sectors n-2, n-1 and n (those the file has) become clock lines,
    // replacing their lines.
    void noteClockBreak(uint32_t sector);
    // A navigation pack, or a private-stream-1 packet of this substream: one line unless the sector has one.
    void noteNavigation(uint32_t sector);
    void noteSubstream(uint8_t substreamId, uint32_t sector);
    // One of the file's last two sectors: its line becomes a clock line.
    void noteLastSector(uint32_t sector);

    // Following: drops leading lines a pass over this stream does not need (types other than 00, 01 and
    // the stream's id); then the first line, if any, is the next sector to read.
    void skipUnwanted(uint8_t streamId);
    void dropFirst();
    // Byte offset of the first line's sector; -1 on an empty map.
    int64_t firstOffset() const;
    // Drops leading lines whose sector starts before the byte offset (a resume in the middle of a file).
    void dropBefore(int64_t offset);

    // The file's text: UTF-16LE with a byte-order mark, "%.2d %.8d" and CR LF per line.
    QByteArray toFileBytes() const;
    // Reads a map file's bytes; any line that is not two digits, a blank and eight digits, or sectors
    // that do not rise, make it an error naming the line. The file stays unread (state unchanged) then.
    static core::Result<SubtitleMap> fromFileBytes(std::span<const uint8_t> bytes, const QString &where);

    // Loads the map of a VOB of the given size. An empty or missing file gives an empty map; a damaged
    // map, or one whose closing line does not name the file's last sector (the VOB changed since the
    // map was written), is an error: the caller reads the file in full and builds a new one.
    static core::Result<SubtitleMap> load(const QString &mapPath, int64_t vobSize);
    // Writes the map through a temporary file; the previous map stays when writing fails.
    core::Result<void> save(const QString &mapPath) const;

    friend bool operator==(const SubtitleMap &, const SubtitleMap &) = default;

private:
    void startAtFirstSector(uint32_t sector);
    void addIfNew(uint8_t type, uint32_t sector);
    bool lastIs(uint32_t sector) const { return !m_lines.empty() && m_lines.back().sector == sector; }

    std::deque<MapLine> m_lines; // a deque: following drops lines from the front, one per sector read
};

} // namespace glyfex::ripping
