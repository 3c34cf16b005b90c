// The AVI header fields the automatic split needs: the video's frame count and frame rate.
#pragma once

#include "core/result.h"
#include "core/time_code.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <span>

namespace glyfex::subtitles {

struct AviHeader {
    // Frames of the whole file: the OpenDML extended header's count when the file has one (a file
    // over 1 GB holds more than its first RIFF, which the main header counts), else the main header's.
    uint32_t totalFrames = 0;
    // The first stream's rate as dwRate / dwScale frames a second.
    uint32_t scale = 0;
    uint32_t rate = 0;
};

// Only the header list is read: it lies at the start of the file and is far below this in any AVI.
inline constexpr size_t kAviHeaderReadLimit = 1 << 20;

// Reads the header list of an AVI from the first bytes of the file: the form type "AVI" (its fourth
// byte is not looked at, so "AVIX" passes), the main header, the first stream header and the
// OpenDML header when present. A damaged or truncated header, or a scale of 0, is an error.
core::Result<AviHeader> parseAviHeader(std::span<const uint8_t> head);
// Opens the file read-only and parses at most kAviHeaderReadLimit bytes of it.
core::Result<AviHeader> readAviHeader(const QString &path);

// The frame rate x 1000, rounded to the nearest integer (30000/1001 gives 29970).
uint32_t aviFpsX1000(const AviHeader &header);
// The video's length: the start of the frame after the last one. An error for a rate that rounds to 0.
core::Result<core::TimeCode> aviLength(const AviHeader &header);

} // namespace glyfex::subtitles
