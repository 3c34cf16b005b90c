// Building and committing a Start: the file list, the stream and the reset run positions.
#include "ripping/start_request.h"

#include <QFileInfo>

namespace glyfex::ripping {

void collectStartFiles(const std::vector<InputFileRow> &rows, StartRequest &request)
{
    request.files.clear();
    request.sizes.clear();
    request.totalBytes = 0;
    for (const InputFileRow &row : rows) {
        if (!row.ticked)
            continue;
        QFileInfo info(row.path);
        const int64_t size = info.exists() ? info.size() : 0;
        request.files.append(row.path);
        request.sizes.push_back(size);
        request.totalBytes += size;
    }
}

picture::ActionMode actionOfItem(int item)
{
    switch (item) {
    case 1: return picture::ActionMode::SaveBitmaps;
    case 2: return picture::ActionMode::SaveRawSubpictures;
    case 3: return picture::ActionMode::OnlyShow;
    default: return picture::ActionMode::RecogniseText;
    }
}

void commitStartRequest(const StartRequest &request, BatchState &batch)
{
    batch.actionMode = request.action;
    batch.withTiming = request.withTiming;
    batch.pictureBaseName = request.pictureBaseName;
    batch.characterLocation = request.characterLocation;
    batch.startCount += 1;
    batch.skippedCount = 0;
    batch.damagedUnits = 0;
    batch.unreadLines = 0;
    batch.streamId = uint8_t(0x20 + (request.streamNumber & 0x1F));
    batch.vobList = request.files;
    batch.vobSizes = request.sizes;
    batch.totalBytes = request.totalBytes;
    batch.idxFileName = request.idxFileName;
    batch.vobSubUnits = request.vobSubUnits;
    batch.frameWidth = request.frameSize.width();
    batch.frameHeight = request.frameSize.height();
    batch.useMap = request.useMap;
    batch.useIndexOffsets = request.useIndexOffsets;

    batch.currentFile = 0;
    batch.resumePos = 0;
    batch.spuSectorPos = 0;
    batch.spuCount = 0;
    batch.spuCountTotal = 0;
    batch.lastProgressPos = 0;
    batch.ignoreBadPackets = false;
    batch.avoidTimeRestart = request.avoidTimeRestart;
    batch.processing = false;
    batch.stopped = false;
    batch.vobSubTimesWarned = false;
    batch.picturesSaved = 0;
    batch.map.clear();
    batch.mapUse = MapUse::Undecided;

    batch.clock.startTime = request.startTime;
    batch.clock.detectStandard = true;
    batch.clock.frameStep = 0;
    batch.clock.standard = request.standard; // until a navigation pack tells the standard
}

} // namespace glyfex::ripping
