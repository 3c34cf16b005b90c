// Palette BMP files of 4 or 8 bits: the exact bytes of a plain one, and writing plain or compressed files.
#pragma once

#include "core/result.h"
#include "core/save_file.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>

namespace glyfex::core {

// A palette picture: width x height indices, one byte each, rows top to bottom without padding, and
// its palette of colour values 0x00BBGGRR (red in the low byte). A file of 8 bits per pixel takes up
// to 256 colours; one of 4 bits up to 16, and its indices must be below 16.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::span<const uint8_t> pixels;
    std::span<const uint32_t> palette;
    int bitsPerPixel = 8; // 4 or 8
};

// The file image: a 14-byte file header, a 40-byte info header (no compression, biClrUsed = palette
// size), the palette as blue, green, red, 0, and the rows bottom-up, each padded to 4 bytes; at 4 bits
// two pixels share a byte, the first in the high nibble, and the last byte of an odd row has a low
// nibble of 0. An error for a picture whose sizes do not match its pixels, whose depth is neither 4
// nor 8, whose palette is empty or too large for the depth, or whose 4-bit pixels pass index 15.
Result<QByteArray> encodeBmp(const IndexedPicture &picture);

struct BitmapFileOptions {
    bool compress = false; // run-length compressed: BI_RLE4 at 4 bits, BI_RLE8 at 8
    SaveSync sync = SaveSync::Synced; // Unsynced for the pictures of a run, one file per subtitle
};

// Writes the picture as a bitmap file through the save helper; the previous file stays when anything
// fails, and nothing is written for a picture that cannot be encoded.
Result<void> writeBitmapFile(const QString &path, const IndexedPicture &picture, const BitmapFileOptions &options = {});

} // namespace glyfex::core
