// Reading a picture file safely: cheap checks of its header against the file's own size before any decoder
// sees it, then the decode within a size cap.
#pragma once

#include "core/result.h"

#include <QImage>

class QIODevice;
class QImageReader;

namespace glyfex::picture {

// Pictures wider or higher than this are no subtitle picture nor video frame: they are refused before they
// are decoded.
constexpr int kMaxPictureSide = 8192;

// Refuses, before decoding, what a decoder would spend seconds and gigabytes on only to refuse: a PNG chunk
// whose length reaches past the end of the file (a decoder allocates the stated length first), a BMP whose
// header or uncompressed pixels, or a binary or plain PNM whose pixels, need more bytes than the file holds.
// Other kinds, and compressed pixels, pass: their decoder and the size cap judge them. The device is read
// from its current position (opened for reading when it is not open) and left at that position; a
// sequential device passes unchecked. The error carries only why.
core::Result<void> checkPictureFile(QIODevice &device);

// The picture the reader gives, checked as above and refused when its header or the decoded picture is
// beyond maxSide; the error carries only why (the decoder's own words when it fails).
core::Result<QImage> readPictureFile(QImageReader &reader, int maxSide = kMaxPictureSide);

} // namespace glyfex::picture
