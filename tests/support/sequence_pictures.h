// Pictures of an image sequence for tests and benchmarks: text drawn by ffmpeg on black, and palette copies through our BMP writer.
#pragma once

#include "core/result.h"

#include <cstdint>

#include <QByteArray>
#include <QImage>
#include <QString>

namespace glyfex::test {

// ffmpeg draws text in white DejaVu Sans on a black width x height picture and saves it as a 24-bit BMP.
core::Result<void> drawTextBmp24(const QString &path, const QString &text, int width = 360, int height = 60);

// count pictures from one ffmpeg run, numbered from 1 with the printf pattern (folder/"pic%04d.bmp"), each
// saying prefix followed by its number.
core::Result<void> drawNumberedBmps24(const QString &pattern, const QString &prefix, int count, int width = 280,
                                      int height = 48);

// An 8-bit palette copy of a colour picture written with our BMP writer, plain or run-length compressed:
// black pixels take index 0, the others textIndex; every seventh background pixel of the top row takes
// noiseIndex (pass 0 for none).
core::Result<void> writePaletteCopy(const QImage &colour, const QString &path, uint8_t textIndex, uint8_t noiseIndex,
                                    bool compressed = false);

// A sound 10 x 5 PNG with one text chunk added after its header whose length field claims 0x79000000
// bytes, far more than the file holds: a decoder that believes it allocates and fills 2 GB.
QByteArray pngWithChunkBeyondItsEnd();

// The process's peak resident memory so far, in KB (getrusage): a test compares it before and after.
int64_t peakMemoryKb();

} // namespace glyfex::test
