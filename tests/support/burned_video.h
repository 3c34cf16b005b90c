// Lossless test videos with subtitles burned in by ffmpeg's subtitles filter, from a small SubRip file.
#pragma once

#include <QString>

#include <vector>

namespace glyfex::test {

struct BurnedLine {
    int startMs = 0;
    int stopMs = 0;
    QString text;
};

// A video of `frames` frames of `size` ("720x576") at `rate` frames a second on a dark blue background,
// each line drawn in white with a black outline at the bottom from its start to its stop (frames
// ceil(start x rate) .. ceil(stop x rate) - 1). FFV1 in 24-bit RGB, so every pixel is exact; written to
// path (its suffix chooses the container). Empty on success, else ffmpeg's error text.
QString makeBurnedVideo(const QString &path, const QString &size, int rate, int frames,
                        const std::vector<BurnedLine> &lines);

} // namespace glyfex::test
