// Plain (uncompressed) 8-bit palette BMP files: the exact bytes, and writing them through a temporary file.
#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>

namespace glyfex::core {

// An 8-bit picture: width x height indices, rows top to bottom without padding, and its palette of
// colour values 0x00BBGGRR (red in the low byte), at most 256 entries.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::span<const uint8_t> pixels;
    std::span<const uint32_t> palette;
};

// The file image: a 14-byte file header, a 40-byte info header (8 bits, no compression, biClrUsed =
// palette size), the palette as blue, green, red, 0, and the rows bottom-up, each padded to 4 bytes.
// An error for a picture whose sizes do not match its pixels or whose palette is empty or too large.
Result<QByteArray> encodeBmp8(const IndexedPicture &picture);

// Writes the file image to path; the previous file stays when anything fails.
Result<void> writeBmp8(const QString &path, const IndexedPicture &picture);

} // namespace glyfex::core
