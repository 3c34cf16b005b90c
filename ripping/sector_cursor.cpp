// Where the reading pass reads next in a file, and the reads that fetch those sectors with pread.
#include "ripping/sector_cursor.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace glyfex::ripping {

namespace {

// Sequential reading fetches this many sectors per read; it is also the most one read fetches along
// the map.
constexpr size_t kReadAheadSectors = 512;

bool wantedLine(const MapLine &line, uint8_t streamId)
{
    return line.type == kMapNavigation || line.type == kMapClockSector || line.type == streamId;
}

} // namespace

SectorCursor::SectorCursor(QFile &file, std::vector<uint8_t> &buffer, RunState &run, CursorMode mode, int64_t fileSize)
    : m_file(file), m_buffer(buffer), m_run(run), m_mode(mode), m_fileSize(fileSize)
{
    // No more than one read can fetch: a sector at a time by the index, and never more than the file
    // holds. A small file (a VobSub .sub) is then not met with a megabyte to clear each time it is read.
    const size_t readAhead = m_mode == CursorMode::ByIndex ? kSectorSize : kReadAheadSectors * kSectorSize;
    const int64_t fileSectors = (std::max<int64_t>(fileSize, 1) + int64_t(kSectorSize) - 1) / int64_t(kSectorSize);
    m_buffer.resize(std::min(readAhead, size_t(std::min<int64_t>(fileSectors, kReadAheadSectors)) * kSectorSize));
    switch (m_mode) {
    case CursorMode::Sequential:
        break;
    case CursorMode::AlongMap:
        m_run.map.skipUnwanted(m_run.streamId);
        if (m_run.map.isEmpty())
            m_atEnd = true;
        else
            m_run.resumePos = m_run.map.firstOffset();
        break;
    case CursorMode::ByIndex:
        nextIndexedUnit();
        if (!m_atEnd)
            m_run.resumePos = m_pos;
        break;
    }
    m_pos = m_run.resumePos;
}

// A sector not wholly among the bytes read before, unless that read met the file's end: read from pos on.
core::Result<std::span<const uint8_t>> SectorCursor::readSector()
{
    const bool buffered = m_pos >= m_start && m_pos - m_start < int64_t(m_length)
                       && (m_pos - m_start + int64_t(kSectorSize) <= int64_t(m_length) || m_eof);
    if (!buffered) {
        if (auto refilled = refill(m_pos, std::clamp(readSize(), kSectorSize, m_buffer.size())); !refilled)
            return refilled.error();
    }
    const size_t from = size_t(m_pos - m_start);
    if (from >= m_length) {
        m_atEnd = true;
        return std::span<const uint8_t>();
    }
    return std::span<const uint8_t>(m_buffer.data() + from, std::min(kSectorSize, m_length - from));
}

void SectorCursor::advance(int64_t end, bool unitCompleted)
{
    m_pos = end;
    m_atIndexedUnit = false;
    switch (m_mode) {
    case CursorMode::Sequential:
        break;
    case CursorMode::AlongMap:
        m_run.map.dropFirst();
        m_run.map.skipUnwanted(m_run.streamId);
        if (m_run.map.isEmpty())
            m_atEnd = true;
        else
            m_pos = m_run.map.firstOffset();
        break;
    case CursorMode::ByIndex:
        if (unitCompleted)
            nextIndexedUnit();
        break;
    }
}

void SectorCursor::leaveAfter(int64_t end)
{
    if (m_mode == CursorMode::AlongMap)
        m_run.map.dropFirst();
    m_run.resumePos = end;
}

size_t SectorCursor::readSize() const
{
    switch (m_mode) {
    case CursorMode::Sequential:
        return kReadAheadSectors * kSectorSize;
    case CursorMode::AlongMap:
        return mapRunBytes();
    case CursorMode::ByIndex:
        break;
    }
    return kSectorSize;
}

// The map's first line and the lines of the sectors right after it, as long as they follow without a
// gap, up to the last wanted one: the run that one read fetches.
size_t SectorCursor::mapRunBytes() const
{
    const auto &lines = m_run.map.lines();
    if (lines.empty())
        return kSectorSize;
    const uint32_t first = lines.front().sector;
    uint32_t last = first;
    uint32_t next = first + 1;
    for (auto it = lines.begin() + 1; it != lines.end() && it->sector == next && next - first < kReadAheadSectors; ++it, ++next) {
        if (wantedLine(*it, m_run.streamId))
            last = it->sector;
    }
    return size_t(last - first + 1) * kSectorSize;
}

// The index's position of the unit after the run.spuCount units read and the run.indexSkipped entries
// passed over so far; the end once the list is used up. A damaged or foreign index may point past the
// file, where there is nothing to read (that entry is passed over), or between the starts of sectors,
// where the unit is read from the sector the position falls in.
void SectorCursor::nextIndexedUnit()
{
    m_atIndexedUnit = false;
    for (;;) {
        const size_t entry = size_t(m_run.spuCount) + m_run.indexSkipped;
        if (entry >= m_run.vobSubUnits.size()) {
            m_atEnd = true;
            return;
        }
        const VobSubUnit &unit = m_run.vobSubUnits[entry];
        if (unit.filePos >= m_fileSize) {
            m_notes.push_back({IndexFault::PastTheEnd, unit});
            m_run.indexSkipped += 1;
            continue;
        }
        m_pos = unit.filePos - unit.filePos % int64_t(kSectorSize);
        if (m_pos != unit.filePos)
            m_notes.push_back({IndexFault::NotOnASector, unit});
        m_atIndexedUnit = true;
        return;
    }
}

void SectorCursor::skipIndexedUnit()
{
    const size_t entry = size_t(m_run.spuCount) + m_run.indexSkipped;
    if (entry < m_run.vobSubUnits.size())
        m_notes.push_back({IndexFault::InsideAUnit, m_run.vobSubUnits[entry]});
    m_run.indexSkipped += 1;
    nextIndexedUnit();
}

core::Result<void> SectorCursor::refill(int64_t pos, size_t size)
{
    m_start = pos;
    m_length = 0;
    m_eof = false;
    const int fd = m_file.handle();
    while (m_length < size) {
        const ssize_t got = ::pread(fd, m_buffer.data() + m_length, size - m_length, off_t(pos + int64_t(m_length)));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return core::makeError(QStringLiteral("Cannot read the file"),
                                   QStringLiteral("%1, byte %2").arg(m_file.fileName()).arg(pos + int64_t(m_length)),
                                   QString::fromLocal8Bit(std::strerror(errno)));
        }
        if (got == 0) {
            m_eof = true;
            break;
        }
        m_length += size_t(got);
    }
    return {};
}

} // namespace glyfex::ripping
