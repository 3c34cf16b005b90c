// Preview placement: pure arithmetic shared by the main window and its tests.
#include "ripping/preview_geometry.h"

#include <algorithm>
#include <cmath>

namespace glyfex::ripping {

namespace {
// Nearest integer with ties to even, the rounding the zoom arithmetic has always used.
int roundHalfEven(double v) { return int(std::nearbyint(v)); }
} // namespace

int previewFrameWidth(QSize frameSize)
{
    return std::max(frameSize.width(), kPreviewFrameWidth);
}

int previewFrameHeight(QSize frameSize)
{
    return frameSize.height() > 0 ? frameSize.height() : 576;
}

int presetBarHeight(int aspectRatioMode, int frameHeight)
{
    int pictureRows = 405;              // 16:9 and anything unknown
    if (aspectRatioMode == 1)
        pictureRows = 388;              // 1.85:1
    else if (aspectRatioMode == 2)
        pictureRows = 306;              // 2.35:1
    return (frameHeight - pictureRows) / 2; // truncates toward zero, as a frame shorter than the picture gives no bars
}

int backgroundBarHeight(const PreviewSettings &settings, int frameHeight)
{
    switch (settings.backMode) {
    case PreviewSettings::PresetRatio: return presetBarHeight(settings.aspectRatioMode, frameHeight);
    case PreviewSettings::FreeBars: return settings.freeAspectRatio;
    default: return 0;
    }
}

QSize previewScreenSize(int zoom, int frameHeight, int frameWidth)
{
    return QSize(roundHalfEven(zoom * double(frameWidth) / 1000.0) + 4,
                 roundHalfEven(zoom * double(frameHeight) / 1000.0) + 4);
}

int fittingZoom(int zoom, QSize frame, QSize room)
{
    constexpr int smallest = 100;
    auto fits = [&](int z) {
        const QSize screen = previewScreenSize(z, frame.height(), frame.width());
        return screen.width() <= room.width() && screen.height() <= room.height();
    };
    if (zoom <= smallest || fits(zoom))
        return zoom;
    // The screen grows with the zoom, so the largest zoom that fits is found by halving the range.
    int low = smallest;
    int high = zoom; // does not fit
    while (high - low > 1) {
        const int mid = low + (high - low) / 2;
        (fits(mid) ? low : high) = mid;
    }
    return low;
}

QRect keptOnScreen(QRect window, QRect available)
{
    if (available.isEmpty())
        return window;
    window.setSize(window.size().boundedTo(available.size()));
    const int x = std::clamp(window.left(), available.left(), available.right() - window.width() + 1);
    const int y = std::clamp(window.top(), available.top(), available.bottom() - window.height() + 1);
    window.moveTo(x, y);
    return window;
}

QRect previewPictureRect(QSize pictureSize, QPoint framePosition, int zoom, bool atTruePos)
{
    const int64_t z = zoom;
    QSize size = pictureSize;
    if (zoom != 1000)
        size = QSize(int(pictureSize.width() * z / 1000), int(pictureSize.height() * z / 1000));
    QPoint offset = atTruePos ? framePosition : QPoint(0, 0);
    return QRect(QPoint(int(z * offset.x() / 1000) + 2, int(z * offset.y() / 1000) + 2), size);
}

int automaticZoom(int clientWidth, int frameWidth)
{
    int zoom = roundHalfEven((clientWidth - 16) * 1000.0 / frameWidth);
    return std::clamp(zoom, 100, 2000);
}

QString freeRatioText(int frameHeight, int barRows, const QLocale &locale, int frameWidth)
{
    if (frameHeight <= 2 * barRows)
        return QStringLiteral("---");
    return locale.toString(double(frameWidth) / double(frameHeight - 2 * barRows), 'f', 2)
         + QStringLiteral(":1");
}

} // namespace glyfex::ripping
