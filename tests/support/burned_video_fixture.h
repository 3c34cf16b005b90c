// A burned-in video made once for a test suite, and where to click on its yellow text.
#pragma once

#include "picture/rect.h"
#include "sources/avi_player.h"
#include "support/burned_video.h"

#include <QPoint>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>

namespace glyfex::test {

// Made in SetUpTestSuite, dropped in TearDownTestSuite: the file lives in its own folder until then.
struct SuiteVideo {
    void make(const QString &name, const BurnedVideo &video)
    {
        dir = std::make_unique<QTemporaryDir>();
        path = dir->filePath(name);
        error = makeBurnedVideo(path, video);
    }
    void drop() { dir.reset(); }

    std::unique_ptr<QTemporaryDir> dir;
    QString path;
    QString error; // ffmpeg's, empty when the video was made
};

// The lowest pixel of the region that has the text's colour (0xRRGGBB, within 15 in each channel; bright
// yellow, as the burned-video helper's lossless text is) and the same colour on its right, so that it lies
// inside a stroke; nothing when the frame shows no text.
inline std::optional<QPoint> burnedTextPixel(const sources::BgrFrame &frame, const picture::Rect &region,
                                             uint32_t textColour = 0xFFFF00)
{
    const int want[3] = {int(textColour & 0xFF), int((textColour >> 8) & 0xFF), int((textColour >> 16) & 0xFF)};
    auto isText = [&](const uint8_t *p) {
        for (int c = 0; c < 3; ++c)
            if (std::abs(int(p[c]) - want[c]) > 15)
                return false;
        return true;
    };
    for (int y = std::min(region.bottom, frame.height - 1); y >= std::max(region.top, 0); --y) {
        for (int x = std::max(region.left, 0); x + 1 < std::min(region.right + 1, frame.width); ++x) {
            const uint8_t *p = frame.pixel(x, y);
            if (isText(p) && std::equal(p, p + 3, frame.pixel(x + 1, y)))
                return QPoint(x, y);
        }
    }
    return std::nullopt;
}

} // namespace glyfex::test
