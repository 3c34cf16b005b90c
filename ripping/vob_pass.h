// The reading pass over one VOB (or VobSub .sub) file: sectors, clock and cell times, subpicture units, map and progress.
#pragma once

#include "core/pass_host.h"
#include "core/result.h"
#include "core/time_code.h"
#include "core/user_prompt.h"
#include "ripping/run_state.h"
#include "ripping/sector_cursor.h"
#include "ripping/sector_parser.h"

#include <QFile>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace glyfex::ripping {

inline constexpr size_t kMaxUnitSize = 65536; // the largest subpicture unit a stream can announce

// One complete subpicture unit of the chosen stream, as the pass hands it on.
struct SpuUnit {
    std::span<const uint8_t> bytes; // the gathered payload, at most kMaxUnitSize bytes
    core::TimeCode time;            // milliseconds: time base + PTS of the unit's first packet
    int64_t sectorPos = 0;          // byte offset of the sector holding its first packet
    uint32_t numberInFile = 0;      // 1 for the file's first unit
};

// Receives every complete unit; an error (a picture file that cannot be written) stops the run.
class UnitHandler {
public:
    virtual ~UnitHandler() = default;
    virtual core::Result<void> handleUnit(const SpuUnit &unit) = 0;
};

// What the pass asks and tells while it runs. progress() receives bytes read in the run out of its
// total; pump() runs the interface and may pause the pass (it leaves at the next unit boundary).
class VobPassHost : public core::PassHost {
public:
    // A sector without a pack header: Yes (go on), No (end this file) or Yes to All (stop asking).
    virtual core::Answer askBadPack(int64_t sectorNumber) = 0;
    // A navigation pack told the video standard; the frame size follows it.
    virtual void videoStandardChanged(const core::VideoStandard &standard, int width, int height) = 0;
    // Something the user should know that does not stop the run.
    virtual void warn(const QString &text) = 0;
};

// A host that shows nothing, never pauses, and gives one fixed answer to the bad-pack question: the
// unattended run, benchmarks, and tests that need no script.
class SilentVobPassHost : public VobPassHost {
public:
    explicit SilentVobPassHost(core::Answer badPackAnswer = core::Answer::Yes) : m_answer(badPackAnswer) {}
    void progress(int64_t, int64_t) override {}
    core::PumpResult pump() override { return core::PumpResult::Continue; }
    core::Answer askBadPack(int64_t) override { return m_answer; }
    void videoStandardChanged(const core::VideoStandard &, int, int) override {}
    void warn(const QString &) override {}

private:
    core::Answer m_answer;
};

enum class PassEnd {
    FileDone,   // the end of the file (or of its map or index) was reached; the next file follows
    Refused,    // No at the bad-pack question; the next file follows
    Paused,     // left between two units; the next pass resumes at run.resumePos
    Missing,    // the file does not exist; it is skipped
    Failed,     // a read or write error stopped the run
};

struct PassOutcome {
    PassEnd end = PassEnd::FileDone;
    std::optional<core::Error> error; // for Missing and Failed: what to tell the user
    bool runFinished = false;         // that was the run's last file: close the last subtitle
};

// A dialog paused the run in the middle of a file and set run.resumePos to the first sector of the unit
// it interrupted: a map being followed is read again and cut to that position, so the resumed pass
// reads the unit again. A map that cannot be read any more makes the file be read in full.
void reloadMapForResume(RunState &run);

// Runs the pass over the run's current file. One object may serve the whole run; all state that
// outlives a pass is in the RunState.
class VobPass {
public:
    VobPass(RunState &run, VobPassHost &host, UnitHandler &handler);

    // Reads run.vobList[run.currentFile] from run.resumePos until its end, a pause, a refusal or an error.
    PassOutcome readCurrentFile();

    // Time base for the first pack: the start time minus the SCR, when the SCR is earlier.
    static core::TimeCode startOffsetFromScr(const core::TimeCode &startTime, int64_t scr);

private:
    struct Gathered {
        bool completed = false;
        std::optional<core::Error> error;
    };

    // What reading one sector came to; for Failed the error is in m_failure.
    enum class SectorStep { Read, UnitCompleted, Refused, Failed };

    // The steps of a pass: set up the file, read each sector the cursor gives, leave for a pause, end.
    CursorMode cursorMode() const;
    void beginFile();
    SectorStep readSector(std::span<const uint8_t> sector, int64_t pos, int64_t fileSize);
    PassOutcome pauseAfter(SectorCursor &cursor, int64_t end);
    PassOutcome endFile(PassEnd end, const QString &path, int64_t pos);

    void finishFile(PassOutcome &outcome);
    PassOutcome stopRun(const core::Error &error);
    void decideMap(const QString &path, int64_t fileSize);
    void updateClock(const SectorInfo &info, uint32_t sector);
    void readNavigation(const SectorInfo &info);
    void setVideoStandard(uint8_t frameByte);
    Gathered gatherPacket(std::span<const uint8_t> sector, const SectorInfo &info, int64_t pos);
    void updateProgress(int64_t filePos);
    bool beginsInsideUnit(std::span<const uint8_t> sector) const;
    void tellIndexNotes(SectorCursor &cursor);

    RunState &m_run;
    VobPassHost &m_host;
    UnitHandler &m_handler;
    std::vector<uint8_t> m_unit;   // the unit being gathered
    size_t m_fill = 0;             // bytes gathered; 0 = no unit under way
    size_t m_expected = 0;         // the size its first packet announced
    core::TimeCode m_unitTime;
    int64_t m_beforeFile = 0;      // bytes of the run's files before the current one
    bool m_damageWarned = false;   // one damaged-packet warning per file
    bool m_droppingUnit = false;   // a damaged packet lost the unit: its later packets are passed over
    std::array<bool, 3> m_indexWarned{}; // one warning per kind of index damage (IndexFault) per file
    std::vector<uint8_t> m_chunk;  // file bytes read ahead
    std::optional<core::Error> m_failure; // why the last sector stopped the run
};

} // namespace glyfex::ripping
