// VobSub index (.idx) reader: stream languages, frame size and palette, and the chosen stream's unit times.
#pragma once

#include "core/result.h"
#include "core/time_code.h"
#include "ripping/ifo_reader.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace glyfex::ripping {

// What the header lines of an index say.
struct VobSubIndex {
    int version = 5;          // the digit after "# VobSub index file, v"; 5 when there is none
    StreamNames streamNames;  // bare language names by "id:" index
    FrameSize frameSize;      // (0, 0) without a "size:" line
    // The "palette:" colours, or those of the IFO beside the index for version 5 and lower;
    // empty when neither gives one, so the caller keeps the palette it has.
    std::optional<DvdPalette> palette;
    bool paletteFromIfo = false;
    // A "palette:" line that does not hold 16 colours costs the palette only: what is wrong, and where.
    std::optional<core::Error> paletteError;
};

// Parses the index text (8-bit, any line ends). A first line without the VobSub header is
// "Unrecognized file format."; a bad stream number names its line. A bad palette line is no error: the
// index is read without its palette, and paletteError names the line. source names the file.
core::Result<VobSubIndex> parseVobSubIndex(const QByteArray &text, const QString &source = {});

// Reads the index file. For version 5 and lower the palette comes from the IFO named like openedPath
// (the file the user chose: the index, or the .sub/.ifo/.bup it was found through) with the extension
// .ifo in any case; when that IFO is not a readable title set the index's own palette stays.
core::Result<VobSubIndex> readVobSubIndex(const QString &idxPath, const QString &openedPath = {});

// One subpicture unit of the chosen stream.
struct VobSubUnit {
    core::TimeCode start;  // millisecond time code, delay applied
    int64_t startMs = 0;
    int64_t filePos = 0;   // byte position of the unit in the .sub file
    int line = 0;          // the index line it comes from (1 for the first), for messages
    friend bool operator==(const VobSubUnit &, const VobSubUnit &) = default;
};

struct VobSubTiming {
    std::vector<VobSubUnit> units;  // in index order
    bool negativeTimes = false;     // the stream had negative timestamps: the user should be told
};

// The times and positions of stream (0-31): the "timestamp:" lines after the first "id:" line whose
// index is exactly that stream, up to the next "id:" line, with the "delay:" lines in force. A stream
// the index does not list gives no units. A bad time, delay or position is an error naming its line.
core::Result<VobSubTiming> prescanVobSubTimes(const QByteArray &text, int stream, const QString &source = {});
core::Result<VobSubTiming> readVobSubTimes(const QString &idxPath, int stream);

} // namespace glyfex::ripping
