// What happens to each complete subpicture unit: decoding, the forced filter, its times, and the run's action.
#pragma once

#include "core/bmp_writer.h"
#include "core/result.h"
#include "core/time_code.h"
#include "picture/action_mode.h"
#include "picture/decoded_picture.h"
#include "picture/display_times.h"
#include "picture/export_renderer.h"
#include "picture/picture_sink.h"
#include "picture/rect.h"
#include "picture/subtitle_sink.h"
#include "ripping/run_state.h"
#include "ripping/vob_pass.h"
#include "subtitles/output_format.h"

#include <QString>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace glyfex::ripping {

struct DispatchOptions {
    picture::ActionMode action = picture::ActionMode::RecogniseText;
    bool withTiming = false;  // every saved picture also becomes a subtitle with its times
    bool forcedOnly = false;  // only units with the forced display command are used
    int minDurationMs = 200;  // shorter units are skipped (0-9999)
    bool showPictures = false; // show each picture in the preview
    QString pictureBase;      // the beginning of every picture file name of the run, folder included
    subtitles::OutputFormat outputFormat = subtitles::OutputFormat::Dks; // the Subtitles window's
    std::array<uint32_t, 16> dvdPalette{}; // 0x00BBGGRR, the title's 16 colours
};

// The exported picture as decoded: its size and area, each pixel code as its DVD palette index, the 16 DVD
// colours. The bitmap-export engine renders with its presets instead.
class PlainExport : public picture::ExportRenderer {
public:
    void render(const picture::DecodedPicture &picture, const std::array<uint32_t, 16> &dvdPalette, picture::ExportedPicture &out) override;
};

// The only-show action asks after each picture what to do with it.
enum class StepChoice { Next, SaveBitmap, SaveRawSubpicture };

// The windows around the dispatcher: the preview, the step question, warnings.
class DispatchHost {
public:
    virtual ~DispatchHost() = default;
    // Shows the picture (the decoded one, or the exported one when given) in the preview.
    virtual void showPicture(const picture::DecodedPicture &picture, const picture::ExportedPicture *exported) = 0;
    virtual StepChoice askStep() = 0;
    // Before a picture is exported: the Bitmap adjustment dialog, when it is to come before the next
    // picture, lets the user change the settings first; false when the user skips this picture.
    virtual bool adjustBeforeExport() { return true; }
    virtual void warn(const QString &text) = 0;
    // A unit was counted (the run state's counters moved): shown before the unit is used, so that they
    // do not lag behind while a question about it waits.
    virtual void unitCounted() {}
    // A unit was skipped as too short: the run state's skipped count moved.
    virtual void skippedCounted() {}
};

// Display times of a unit whose first packet came at spuTime. indexTime is the VobSub index's time of
// the unit when the run reads a .sub by its index. The caller closes an open last subtitle with start.
picture::DisplayTimes spuTimes(const picture::DecodedPicture &picture, const core::TimeCode &spuTime, const core::TimeCode *indexTime);
// Whether the unit starts the display and, when it also stops it, shows for at least minDurationMs.
bool isSpuLongEnough(const picture::DecodedPicture &picture, int minDurationMs);
// The picture file of subtitle number n: base + "%.5d" or, for the Scenarist format, base + "." + n.
QString pictureFileName(const QString &base, subtitles::OutputFormat outputFormat, int number, const QString &extension);

struct TimeRange {
    core::TimeCode start;
    core::TimeCode stop;
};
// Subtitles whose stop is later than the next subtitle's start.
int countOverlappingTimes(std::span<const TimeRange> subtitles);
// After the run's last file: a last subtitle still without a stop time shows for maxDurationMs.
void closeLastSubtitle(picture::SubtitleSink &subtitles, int maxDurationMs);

// Handles every unit the reading pass completes. A picture file that cannot be written is an error
// that stops the run.
class SpuDispatcher : public UnitHandler {
public:
    SpuDispatcher(const DispatchOptions &options, RunState &run, picture::SubtitleSink &subtitles, picture::PictureSink &recognition,
                  picture::ExportRenderer &exporter, DispatchHost &host);

    core::Result<void> handleUnit(const SpuUnit &unit) override;

    const picture::DecodedPicture &picture() const { return m_picture; }
    const picture::ExportedPicture &exported() const { return m_exported; }

private:
    picture::DisplayTimes computeTimes(const SpuUnit &unit);
    void countSkipped();
    int nextPictureNumber() const;
    bool renderExport();
    core::Result<void> saveBitmap(const SpuUnit &unit);
    core::Result<void> saveRaw(const SpuUnit &unit, bool decoded, bool show);
    core::Result<void> addPictureSubtitle(const SpuUnit &unit, const QString &file, const picture::Rect &rect);

    const DispatchOptions &m_options;
    RunState &m_run;
    picture::SubtitleSink &m_subtitles;
    picture::PictureSink &m_recognition;
    picture::ExportRenderer &m_exporter;
    DispatchHost &m_host;
    picture::DecodedPicture m_picture;
    picture::ExportedPicture m_exported;
    bool m_exportWarned = false; // a picture cut to the export frame is told about once a run
};

} // namespace glyfex::ripping
