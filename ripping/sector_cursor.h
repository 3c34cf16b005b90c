// Where the reading pass reads next in a file (every sector, the map's sectors, the index's units) and the reads that fetch them.
#pragma once

#include "core/result.h"
#include "ripping/run_state.h"
#include "ripping/sector_parser.h"

#include <QFile>

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace glyfex::ripping {

// What is wrong with an index entry the cursor met, for the pass to tell the user.
enum class IndexFault {
    PastTheEnd,  // the position lies past the end of the file: the entry is passed over
    NotOnASector, // the position is not a sector's start: the unit is read from the sector it falls in
    InsideAUnit, // the sector there continues a unit rather than beginning one: the entry is passed over
};
struct IndexNote {
    IndexFault fault;
    VobSubUnit entry;
};

// The order in which a pass visits the sectors of one file.
enum class CursorMode {
    Sequential, // every sector from the resume position on
    AlongMap,   // the sectors the subtitle map lists for the stream; each run of adjacent ones comes with one read
    ByIndex,    // from the position the VobSub index gives for each unit on, sector by sector until the unit is whole
};

// Walks one open file in one mode. Along the map it consumes the run's map from the front, and by index
// it follows run.spuCount (and the entries passed over, run.indexSkipped) through run.vobSubUnits, so
// that a pass that leaves and comes back goes on where it stopped. An entry that points nowhere
// readable is passed over, and the entries after it are read.
class SectorCursor {
public:
    // Places the cursor on its first sector: run.resumePos, the map's first wanted line, or the
    // index's position of the next unit (run.resumePos is set to that position, as the pause relies on).
    // buffer is kept by the caller so that one allocation serves the whole run.
    SectorCursor(QFile &file, std::vector<uint8_t> &buffer, RunState &run, CursorMode mode, int64_t fileSize);

    // No sector left: the map or the index is used up, or the file ended.
    bool atEnd() const { return m_atEnd; }
    // Byte offset of the sector to read; after the end, where reading stopped.
    int64_t pos() const { return m_pos; }

    // The sector at pos: shorter at the end of the file, empty past it (the cursor is then at its end);
    // an error naming the file and byte when reading fails.
    core::Result<std::span<const uint8_t>> sector()
    {
        // Most sectors of a sequential pass come from the bytes read before: that path stays inline.
        const int64_t from = m_pos - m_start;
        if (from >= 0 && from + int64_t(kSectorSize) <= int64_t(m_length))
            return std::span<const uint8_t>(m_buffer.data() + from, kSectorSize);
        return readSector();
    }

    // Moves past the sector at pos, which ended at end; unitCompleted says it completed a unit, after
    // which an index-driven pass jumps to the next indexed unit.
    void advance(int64_t end, bool unitCompleted);

    // The pass leaves after the sector ending at end and resumes after it: the map line of that sector
    // is used up.
    void leaveAfter(int64_t end);

    // By index: the sector at pos is where an index entry puts the start of a unit.
    bool atIndexedUnit() const { return m_atIndexedUnit; }
    // The sector there does not begin a unit: its entry is passed over, the cursor goes to the next one.
    void skipIndexedUnit();
    // What was wrong with the entries met since the last call.
    bool hasNotes() const { return !m_notes.empty(); }
    std::vector<IndexNote> takeNotes() { return std::exchange(m_notes, {}); }

private:
    core::Result<std::span<const uint8_t>> readSector();
    size_t readSize() const;
    size_t mapRunBytes() const;
    void nextIndexedUnit();
    core::Result<void> refill(int64_t pos, size_t size);

    QFile &m_file;
    std::vector<uint8_t> &m_buffer;
    RunState &m_run;
    CursorMode m_mode;
    int64_t m_fileSize;
    int64_t m_pos = 0;
    bool m_atEnd = false;
    bool m_atIndexedUnit = false;
    std::vector<IndexNote> m_notes;
    // The bytes read last: file bytes [m_start, m_start + m_length); m_eof when that read met the file's end.
    int64_t m_start = 0;
    size_t m_length = 0;
    bool m_eof = false;
};

} // namespace glyfex::ripping
