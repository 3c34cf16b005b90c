// The state of the ripping run that the main window and the input dialog share: plain values, no widgets.
#pragma once

#include "core/time_code.h"
#include "ripping/ifo_reader.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

namespace glyfex::ripping {

// What the run does with every subtitle picture; the numbers are stored in the configuration.
enum class ActionMode : uint8_t {
    RecogniseText = 1,
    SaveBitmaps = 2,
    SaveRawSubpictures = 3,
    OnlyShow = 4,
    ImageSequence = 5,
    VideoFile = 6,
};

// Display options of the preview; zoom is per mille of a 720-pixel-wide frame.
struct PreviewSettings {
    enum BackMode : uint8_t { NoBackground = 0, PresetRatio = 1, FreeBars = 2, Image = 3 };
    bool atTruePos = true;
    bool transparentBackground = false; // stored only: the picture is always drawn opaque
    int zoom = 1000;
    bool autoZoom = false;
    uint32_t borderColor = 0x6D6F8B;    // 0x00BBGGRR
    uint32_t innerColor = 0xC7BABB;     // 0x00BBGGRR
    uint8_t backMode = NoBackground;
    uint8_t aspectRatioMode = 0;        // 0 16:9, 1 1.85:1, 2 2.35:1
    int freeAspectRatio = 30;           // bar height in rows for FreeBars
    QString backImageName;
};

// A picture's place on the video frame: left, top, right and bottom as the subpicture gives them.
struct PictureRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const PictureRect &, const PictureRect &) = default;
};

// The run over the list of input files that the batch timer walks, file by file.
struct BatchState {
    QStringList vobList;             // full paths in reading order
    std::vector<int64_t> vobSizes;   // bytes, same index as vobList
    int64_t totalBytes = 0;
    int currentFile = 0;             // index into vobList of the file being read
    int64_t resumePos = 0;           // byte offset where the next pass over the current file starts
    int64_t spuSectorPos = 0;        // offset of the sector that began the unit being handled
    bool processing = false;         // a reading pass is running (inside the event pump)
    bool paused = true;              // the program starts paused; Start releases it
    bool pausedByMainButton = false; // the pause came from the main window's own button
    bool ignoreBadPackets = false;
    bool avoidTimeRestart = false;
    uint8_t streamId = 0x20;         // substream id of the chosen subpicture stream
    ActionMode actionMode = ActionMode::RecogniseText;
    bool withTiming = false;         // saved pictures also become subtitles
    int skippedCount = 0;
    QString pictureBaseName;         // base name of the numbered picture files (save actions)
    QString idxFileName;             // the VobSub index of a VobSub run; empty for DVD input
    std::vector<core::TimeCode> vobSubTimes; // milliseconds: start of each unit, in index order
    std::vector<int64_t> vobSubFilePos;      // byte position of each unit in the .sub, parallel

    bool finished() const { return currentFile < 0 || currentFile >= vobList.size(); }
};

// What the input dialog learnt about the chosen input: stream names, palette and frame size.
struct InputInfo {
    StreamNames streamNames;             // empty: nothing known of that stream number
    QString idxFileName;                 // the VobSub index, when the input is one
    DvdPalette palette{};                // all black until an IFO or index is read
    QSize frameSize{0, 0};               // (0, 0) until known
};

} // namespace glyfex::ripping
