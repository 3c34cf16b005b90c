// Everything Start hands to the run, gathered and checked first and then committed in one step.
#pragma once

#include "core/time_code.h"
#include "ripping/batch_state.h"
#include "ripping/input_selection.h"
#include "ripping/vobsub_index.h"
#include "subtitles/output_format.h"

#include <QSize>

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace glyfex::ripping {

// A Start that the user abandons (Cancel at a question, a cancelled file dialog) is dropped
// before anything is committed, so the previous run's state stays exactly as it was.
struct StartRequest {
    picture::ActionMode action = picture::ActionMode::RecogniseText;
    bool withTiming = false;
    int streamNumber = 0;
    QStringList files;           // ticked rows in row order
    std::vector<int64_t> sizes;  // same index as files; 0 for a file that has gone
    int64_t totalBytes = 0;
    bool avoidTimeRestart = false;
    QString pictureBaseName;     // chosen for the save actions; empty for only-show
    QString characterLocation;   // recognise-text: the language of the stream
    std::optional<subtitles::OutputFormat> outputFormat; // recognise-text: the text format to switch to; none keeps the current one
    bool clearSubtitles = false; // the user chose to start a new subtitle file rather than add to it
    QString idxFileName;         // a VobSub run: its index, whose unit times were read at Start
    std::vector<VobSubUnit> vobSubUnits;
    QSize frameSize;             // the input's, (0, 0) while unknown
    core::TimeCode startTime;    // milliseconds: the start-time boxes, where the run's times begin
    bool useMap = true;          // the Global Options' map and index-offset choices
    bool useIndexOffsets = false;
    core::VideoStandard standard = core::VideoStandard::pal();
};

// The ticked rows' files with their sizes as they are now on disk.
void collectStartFiles(const std::vector<InputFileRow> &rows, StartRequest &request);

// The action as the radio group's item 0-3, out-of-range items reading as recognise text.
picture::ActionMode actionOfItem(int item);

// Arms the run: the file list, stream, options, counters, positions and the video standard. The
// clock's time base and cell times carry over (a following DVD continues the timing). Releasing
// the pause is the caller's, as it also changes the Pause button.
void commitStartRequest(const StartRequest &request, BatchState &batch);

} // namespace glyfex::ripping
