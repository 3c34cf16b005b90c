// Small test videos made by the ffmpeg tool at test time, and FFmpeg's own decode of them as the oracle.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace glyfex::test {

// Runs ffmpeg with args (after -y -loglevel error) and returns its error text, empty on success.
QString runFfmpeg(const QStringList &args);

// A video of `frames` frames written to path by ffmpeg from the lavfi source `source` (e.g.
// "color=c=0x204060:s=720x576:r=25") through the filter chain `filters` (may be empty) with the codec
// options `codec` (e.g. {"-c:v", "ffv1", "-pix_fmt", "bgr0"}). Empty on success, else ffmpeg's error text.
QString makeVideo(const QString &path, const QString &source, const QString &filters, int frames,
                  const QStringList &codec);

// Every frame of the file's first video stream as ffmpeg decodes it, 24-bit BGR, rows top to bottom,
// one frame after the other in presentation order; empty when ffmpeg fails.
std::vector<uint8_t> ffmpegBgrFrames(const QString &path);

} // namespace glyfex::test
