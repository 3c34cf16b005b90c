// The state of the ripping run that the main window and the input dialog share: the batch, the preview and the chosen input; plain values, no widgets.
#pragma once

#include "core/time_code.h"
#include "picture/action_mode.h"
#include "ripping/ifo_reader.h"
#include "ripping/run_state.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

namespace glyfex::ripping {

// Display options of the preview; zoom is per mille of a 720-pixel-wide frame.
struct PreviewSettings {
    enum BackMode : uint8_t { NoBackground = 0, PresetRatio = 1, FreeBars = 2, Image = 3 };
    bool atTruePos = true;
    bool transparentBackground = false; // stored only: the picture is always drawn opaque
    int zoom = 1000;
    bool autoZoom = false;
    uint32_t borderColour = 0x6D6F8B;    // 0x00BBGGRR
    uint32_t innerColour = 0xC7BABB;     // 0x00BBGGRR
    uint8_t backMode = NoBackground;
    uint8_t aspectRatioMode = 0;        // 0 16:9, 1 1.85:1, 2 2.35:1
    int freeAspectRatio = 30;           // bar height in rows for FreeBars
    QString backImageName;
};

// The run over the list of input files that the batch timer walks, file by file: the reading pass's
// state, and what the main window adds to it (the action, its option and the picture names).
struct BatchState : RunState {
    BatchState() { paused = true; } // the program starts paused; Start releases it

    picture::ActionMode actionMode = picture::ActionMode::RecogniseText;
    bool withTiming = false;         // saved pictures also become subtitles
    QString pictureBaseName;         // base name of the numbered picture files (save actions)
    QString characterLocation;       // recognise-text: the language whose character palette the New Character(s) dialog offers
    int startCount = 0;              // Starts that armed a run: what follows a run starts afresh when it changes
    uint32_t unreadLines = 0;        // lines of the run's recognised pictures that could not be read (each marked in its subtitle)
};

// What the input dialog learnt about the chosen input: stream names, palette and frame size.
struct InputInfo {
    StreamNames streamNames;             // empty: nothing known of that stream number
    QString idxFileName;                 // the VobSub index, when the input is one
    DvdPalette palette{};                // all black until an IFO or index is read
    QSize frameSize{0, 0};               // (0, 0) until known
};

} // namespace glyfex::ripping
