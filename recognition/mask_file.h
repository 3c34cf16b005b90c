// The video viewer's mask of recognised pixels: one binary greyscale PGM picture per stored subtitle.
#pragma once

#include <cstddef> // before code_image.h, which uses size_t
#include "core/result.h"
#include "picture/code_image.h"

#include <QByteArray>
#include <QString>

namespace glyfex::recognition {

// "image_<number>.pgm" in folder, number counted from 0 for the first subtitle.
QString maskFilePath(const QString &folder, int number);

// The file's bytes: "P5", LF, width, a blank, height, LF, "255", LF, then the rows from the top, one
// byte per pixel.
QByteArray pgmBytes(const picture::CodeImage &mask);

// Writes the mask through a temporary file, so a failure leaves an earlier file as it was.
core::Result<void> writePgmMask(const QString &path, const picture::CodeImage &mask);

} // namespace glyfex::recognition
