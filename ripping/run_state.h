// The state of a ripping run that the main window holds: the file list and counters, the DVD clock and cell times, the map.
#pragma once

#include "core/time_code.h"
#include "ripping/mpeg_clock.h"
#include "ripping/subtitle_map.h"
#include "ripping/vobsub_index.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace glyfex::ripping {

// The DVD time base and cell times. They carry over from file to file and from run to run until the
// input dialog resets them; firstPack makes the next pack restart the time base from startTime.
struct ClockState {
    core::TimeCode startTime;    // milliseconds: the input dialog's start-time boxes
    bool firstPack = true;       // the next pack sets timeBase from startTime
    core::TimeCode timeBase;     // milliseconds added to every clock value
    int64_t curScr = 0;          // SCR base of the last pack read (90 kHz, counted on past the 33-bit wrap)
    int64_t prevScr = 0;         // SCR base of the pack before it
    ScrClock scrClock;           // where the packs' 33-bit clock stands in its wraps
    uint16_t scrDelta = 0;       // the last forward SCR step
    core::TimeCode cellTime;     // frames: cell elapsed time of the last navigation pack
    core::TimeCode prevCellTime; // frames: that of the navigation pack before it
    core::TimeCode cellBase;     // frames: running time at the start of the current cell
    core::TimeCode runningTime;  // frames: cellBase + cellTime
    uint8_t frameStep = 0;       // frames between two navigation packs within one second
    uint16_t cellCount = 0;      // cells seen
    bool detectStandard = true;  // the next navigation pack sets the video standard
    core::VideoStandard standard; // the detected standard; all zero until known
};

// How the current file's subtitle map is used; decided once per file, kept across pauses.
enum class MapUse { Undecided, Off, Building, Following };

struct RunState {
    // Chosen at Start.
    QStringList vobList;          // full paths in reading order
    std::vector<int64_t> vobSizes; // bytes, parallel to vobList (0 for a file not found at Start)
    int64_t totalBytes = 0;
    uint8_t streamId = 0x20;      // substream id of the chosen subpicture stream
    bool avoidTimeRestart = false; // keep times running when the clock falls back
    bool useMap = true;           // read, build and follow subtitle maps
    bool useIndexOffsets = false; // jump through a VobSub .sub by its index's unit positions
    QString idxFileName;          // the VobSub index read by the input dialog; empty for DVD input
    std::vector<VobSubUnit> vobSubUnits; // the chosen stream's units by the index: start time and position
    int frameWidth = 0;           // video frame size, 0 until known
    int frameHeight = 0;

    // Progress of the run.
    int currentFile = 0;          // index in vobList of the file being read
    int64_t resumePos = 0;        // byte where the next pass over the current file starts
    int64_t spuSectorPos = 0;     // byte offset of the sector that began the current unit
    uint32_t spuCount = 0;        // units completed in the current file
    uint32_t spuCountTotal = 0;   // units completed in the run
    uint32_t indexSkipped = 0;    // index entries of the current file passed over (no unit where they point)
    int64_t lastProgressPos = 0;  // file position of the last progress update
    bool ignoreBadPackets = false; // Yes to All was answered at the bad-pack question
    bool processing = false;      // a reading pass is running
    bool paused = false;
    bool pausedByMainButton = false;
    bool stopped = false;         // a read or write error ended the run; Start clears it
    bool vobSubTimesWarned = false; // the short-timing-list warning was given in this run
    uint16_t skippedCount = 0;    // units too short to use (recognise and save-bitmap actions)
    uint32_t damagedUnits = 0;    // units of the run lost to damage: cut, or nothing in them readable
    uint32_t picturesSaved = 0;   // picture files written in this run

    SubtitleMap map;              // the current file's map, built or followed
    MapUse mapUse = MapUse::Undecided;

    ClockState clock;
    ClockState unitStartClock;    // the clock before the sector that began the current unit

    // The run reads a single VobSub .sub file with its index: unit times and positions come from it.
    bool vobSubMode() const
    {
        return vobList.size() == 1 && vobList.front().endsWith(QStringLiteral(".sub"), Qt::CaseInsensitive)
            && !idxFileName.isEmpty();
    }
    bool finished() const { return currentFile >= vobList.size(); }
};

} // namespace glyfex::ripping
