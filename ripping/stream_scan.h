// Stream scan: which of the 32 subpicture substreams the chosen VOB files really carry.
#pragma once

#include "core/result.h"
#include "ripping/ifo_reader.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>

namespace glyfex::core {
class PassHost;
}

namespace glyfex::ripping {

// Found flags by stream number 0-31 (substream id 0x20 + number).
using FoundStreams = std::array<bool, 32>;

struct StreamScanResult {
    FoundStreams found{};
    bool cancelled = false; // the host cancelled; found holds what the files read so far carry
    int foundCount() const;
};

// What the scan window shows while the scan runs.
struct StreamScanStatus {
    QString currentFile; // name without folder
    int foundCount = 0;
};

// Bytes between two progress reports: about 100 reports over all files, a whole number of sectors.
int64_t streamScanStep(int64_t totalBytes);

// Reads the head of every 2048-byte sector of the files, in order, and records the subpicture substream
// ids of PES stream 0xBD packets. Progress is reported in bytes to the host, which is pumped at every step
// and may cancel; onStatus (optional) hears the current file and the count found at the same moments.
// A file that cannot be opened or read ends the scan with an error naming it.
core::Result<StreamScanResult> scanSubpictureStreams(const QStringList &files, core::PassHost &host,
                                                     const std::function<void(const StreamScanStatus &)> &onStatus = {});

// Marks the names after a scan: a found stream gets "~" in front (or "???" when unnamed), a stream not
// found loses its name. A second scan leaves marked names as they are.
void markScannedStreams(StreamNames &names, const FoundStreams &found);

} // namespace glyfex::ripping
