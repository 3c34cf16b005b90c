// A picture file of an image sequence turned into the work picture: colour pictures by the black-background rule, palette pictures by their indices.
#pragma once

#include "core/result.h"
#include "picture/code_image.h"
#include "picture/picture_file.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace glyfex::sources {

using picture::kMaxPictureSide;

// Palette pictures (8-bit and fewer bits) give their palette index as the code, 3 -> 1, 2 -> 2, 1 -> 3 and
// 0 -> 0, as the sequence tools write text, outline and emphasis; an index above 3 is background (0).
// Every other picture is a colour one: code 0 where the pixel is black, 1 everywhere else.
picture::CodeImage toCodeImage(const QImage &image);

// Reads a picture file within kMaxPictureSide; the error names the file and why it could not be read.
core::Result<QImage> loadSequencePicture(const QString &path);
// The same for a picture file's bytes, its format found from them; name (its file name) names the
// picture in the error.
core::Result<QImage> decodeSequencePicture(const QByteArray &bytes, const QString &name);

} // namespace glyfex::sources
