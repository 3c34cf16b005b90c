// What happens to each complete subpicture unit: decoding, the forced filter, its times, and the run's action.
#pragma once

#include "core/bmp_writer.h"
#include "core/result.h"
#include "core/time_code.h"
#include "ripping/decoded_picture.h"
#include "ripping/run_state.h"
#include "ripping/vob_pass.h"

#include <QString>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace glyfex::ripping {

// The run's action (the values of the stored action mode; 5 and 6 belong to the other sources).
enum class SpuAction : uint8_t { Recognise = 1, SaveBitmaps = 2, SaveRawSubpictures = 3, OnlyShow = 4 };

// Output formats whose picture scripts want other picture names or lines (the output-format numbers).
inline constexpr int kFormatScenarist = 22; // pictures named B.n.bmp
inline constexpr int kFormatPinnacle = 24;  // subtitle lines hold the picture's full path

struct DispatchOptions {
    SpuAction action = SpuAction::Recognise;
    bool withTiming = false;  // every saved picture also becomes a subtitle with its times
    bool forcedOnly = false;  // only units with the forced display command are used
    int minDurationMs = 200;  // shorter units are skipped (0-9999)
    bool showPictures = false; // show each picture in the preview
    QString pictureBase;      // the beginning of every picture file name of the run, folder included
    int outputFormat = 0;     // 0-24, the Subtitles window's output format
    std::array<uint32_t, 16> dvdPalette{}; // 0x00BBGGRR, the title's 16 colours
};

// Inclusive pixel rectangle on the video frame.
struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const ScreenRect &, const ScreenRect &) = default;
};

// Display times of one unit, milliseconds; a zero stop means that the unit gives none.
struct SpuTimes {
    core::TimeCode start;
    core::TimeCode stop;
    friend bool operator==(const SpuTimes &, const SpuTimes &) = default;
};

// A picture ready for a bitmap file, and where it lies on the frame. An empty picture (width or
// height 0) has no file: problem says why, and the picture is skipped. A picture that is there may
// still carry a problem, a warning about how it was made (cut to the frame).
struct ExportedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;    // width x height palette indices, rows top down
    std::vector<uint32_t> palette;  // 0x00BBGGRR
    ScreenRect rect;
    int bitsPerPixel = 8;           // of the file: 4 or 8
    bool compress = false;          // the file is run-length compressed
    QString problem;
    bool empty() const { return width <= 0 || height <= 0; }
    core::IndexedPicture indexed() const { return {width, height, pixels, palette, bitsPerPixel}; }
};

// Recognition of a picture's text; implemented by the recognition driver.
class PictureSink {
public:
    virtual ~PictureSink() = default;
    virtual core::Result<void> recognise(const DecodedPicture &picture, const SpuTimes &times, const ScreenRect &area) = 0;
};

// Until recognition is there: keeps the times, area and size of each picture and the last picture.
class PictureRecorder : public PictureSink {
public:
    struct Entry {
        SpuTimes times;
        ScreenRect area;
        int width = 0;
        int height = 0;
    };
    core::Result<void> recognise(const DecodedPicture &picture, const SpuTimes &times, const ScreenRect &area) override
    {
        entries.push_back({times, area, picture.codes.width, picture.codes.height});
        last = picture;
        return {};
    }
    std::vector<Entry> entries;
    DecodedPicture last;
};

// The subtitle store as the dispatcher sees it (subtitles are numbered from 1).
class SubtitleSink {
public:
    virtual ~SubtitleSink() = default;
    virtual int count() const = 0;
    virtual core::TimeCode lastStart() const = 0;
    virtual core::TimeCode lastStop() const = 0;
    // Gives the last subtitle its stop time and shows it again.
    virtual void setLastStop(const core::TimeCode &stop) = 0;
    // Adds the subtitle of a saved picture: one line (the picture's name), its times and rectangle.
    virtual core::Result<void> addPictureSubtitle(const QString &line, const SpuTimes &times, const ScreenRect &rect,
                                                  uint16_t colourWord, uint16_t contrastWord) = 0;
};

// Turns the decoded picture into the picture that is exported and shown; the bitmap-export engine
// implements it with its presets. PlainExport below is the picture as decoded.
class ExportRenderer {
public:
    virtual ~ExportRenderer() = default;
    virtual void render(const DecodedPicture &picture, const std::array<uint32_t, 16> &dvdPalette, ExportedPicture &out) = 0;
};

// The decoded size and area, each pixel code as its DVD palette index, the 16 DVD colours.
class PlainExport : public ExportRenderer {
public:
    void render(const DecodedPicture &picture, const std::array<uint32_t, 16> &dvdPalette, ExportedPicture &out) override;
};

// The only-show action asks after each picture what to do with it.
enum class StepChoice { Next, SaveBitmap, SaveRawSubpicture };

// The windows around the dispatcher: the preview, the step question, warnings.
class DispatchHost {
public:
    virtual ~DispatchHost() = default;
    // Shows the picture (the decoded one, or the exported one when given) in the preview.
    virtual void showPicture(const DecodedPicture &picture, const ExportedPicture *exported) = 0;
    virtual StepChoice askStep() = 0;
    virtual void warn(const QString &text) = 0;
};

// Display times of a unit whose first packet came at spuTime. indexTime is the VobSub index's time of
// the unit when the run reads a .sub by its index. The caller closes an open last subtitle with start.
SpuTimes spuTimes(const DecodedPicture &picture, const core::TimeCode &spuTime, const core::TimeCode *indexTime);
// Whether the unit starts the display and, when it also stops it, shows for at least minDurationMs.
bool isSpuLongEnough(const DecodedPicture &picture, int minDurationMs);
// The picture file of subtitle number n: base + "%.5d" or, for the Scenarist format, base + "." + n.
QString pictureFileName(const QString &base, int outputFormat, int number, const QString &extension);

struct TimeRange {
    core::TimeCode start;
    core::TimeCode stop;
};
// Subtitles whose stop is later than the next subtitle's start.
int countOverlappingTimes(std::span<const TimeRange> subtitles);
// After the run's last file: a last subtitle still without a stop time shows for maxDurationMs.
void closeLastSubtitle(SubtitleSink &subtitles, int maxDurationMs);

// Handles every unit the reading pass completes. A picture file that cannot be written is an error
// that stops the run.
class SpuDispatcher : public UnitHandler {
public:
    SpuDispatcher(const DispatchOptions &options, RunState &run, SubtitleSink &subtitles, PictureSink &recognition,
                  ExportRenderer &exporter, DispatchHost &host);

    core::Result<void> handleUnit(const SpuUnit &unit) override;

    const DecodedPicture &picture() const { return m_picture; }
    const ExportedPicture &exported() const { return m_exported; }

private:
    SpuTimes computeTimes(const SpuUnit &unit);
    void countSkipped();
    int nextPictureNumber() const;
    bool renderExport();
    core::Result<void> saveBitmap(const SpuUnit &unit);
    core::Result<void> saveRaw(const SpuUnit &unit, bool decoded, bool show);
    core::Result<void> addPictureSubtitle(const SpuUnit &unit, const QString &file, const ScreenRect &rect);

    const DispatchOptions &m_options;
    RunState &m_run;
    SubtitleSink &m_subtitles;
    PictureSink &m_recognition;
    ExportRenderer &m_exporter;
    DispatchHost &m_host;
    DecodedPicture m_picture;
    ExportedPicture m_exported;
    bool m_exportWarned = false; // a picture cut to the export frame is told about once a run
};

} // namespace glyfex::ripping
