// Run-length compressed BMP files (BI_RLE4 and BI_RLE8) made from the plain file image of a picture.
#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QByteArrayView>

namespace glyfex::core {

// Both encoders take the plain (BI_RGB) file image that encodeBmp makes, keep its headers and palette
// and patch only what compression changes: bfSize, biCompression, biSizeImage (and for 8 bits
// bfOffBits, biClrUsed, biClrImportant). Every row ends with (0, 0) except the last, which ends with
// the end-of-bitmap mark (0, 1); a picture without rows is the mark alone. No pair ever counts a
// pixel past the picture's width, so the row padding is never encoded (strict decoders refuse that).
// An error "Bitmap could not be compressed" for an image that is not a plain bottom-up 4- or 8-bit
// bitmap or whose rows do not fit in it.

// 4 bits: whole bytes (pixel pairs) are encoded; a run of at least 4 bytes, or of 2 with fewer than 2
// bytes waiting before it, becomes (count, byte) pairs of at most 254 pixels; the bytes between runs
// go out in absolute mode (at most 127 bytes each), a lone byte as a pair of two pixels.
Result<QByteArray> encodeBmpRle4(QByteArrayView plainImage);
// 8 bits: each row as short as these pieces allow: a run of equal pixels as (count, index) pairs of at
// most 255, or neighbouring runs of 3 to 255 pixels in all as one absolute stretch.
Result<QByteArray> encodeBmpRle8(QByteArrayView plainImage);
// The encoder of the image's depth.
Result<QByteArray> compressBmp(QByteArrayView plainImage);

} // namespace glyfex::core
