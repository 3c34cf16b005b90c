// Preview placement: pure arithmetic shared by the main window and its tests.
#include "ripping/preview_geometry.h"

#include <algorithm>
#include <cmath>

namespace glyfex::ripping {

namespace {
// Nearest integer with ties to even, the rounding the zoom arithmetic has always used.
int roundHalfEven(double v) { return int(std::nearbyint(v)); }
} // namespace

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

QSize previewScreenSize(int zoom, int frameHeight)
{
    return QSize(roundHalfEven(zoom * double(kPreviewFrameWidth) / 1000.0) + 4,
                 roundHalfEven(zoom * double(frameHeight) / 1000.0) + 4);
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

int automaticZoom(int clientWidth)
{
    int zoom = roundHalfEven((clientWidth - 16) * 1000.0 / kPreviewFrameWidth);
    return std::clamp(zoom, 100, 2000);
}

QString freeRatioText(int frameHeight, int barRows, const QLocale &locale)
{
    if (frameHeight <= 2 * barRows)
        return QStringLiteral("---");
    return locale.toString(double(kPreviewFrameWidth) / double(frameHeight - 2 * barRows), 'f', 2)
         + QStringLiteral(":1");
}

} // namespace glyfex::ripping
