// Where the preview draws the subtitle picture and its background bars, for a given zoom and frame height.
#pragma once

#include "ripping/batch_state.h"

#include <QLocale>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace glyfex::ripping {

// The preview imitates a 720-pixel-wide frame, or the input's own when it is wider (an HD VobSub pair);
// its height is the video's, or 576 while unknown.
constexpr int kPreviewFrameWidth = 720;
int previewFrameWidth(QSize frameSize);
int previewFrameHeight(QSize frameSize);

// Rows of each letterbox bar for a preset ratio (0 16:9, 1 1.85:1, 2 2.35:1; others as 16:9).
int presetBarHeight(int aspectRatioMode, int frameHeight);
// Rows of each bar that the settings ask for; 0 when the background has no bars.
int backgroundBarHeight(const PreviewSettings &settings, int frameHeight);

// The preview screen's outer size at zoom (per mille): the scaled frame plus a 2-pixel frame border.
QSize previewScreenSize(int zoom, int frameHeight, int frameWidth = kPreviewFrameWidth);

// The zoom the screen is shown at: the chosen one, or less where the screen would not fit `room` (the
// space the window leaves for it on its screen), but never below 100 (the zoom box's 10 %).
int fittingZoom(int zoom, QSize frame, QSize room);

// Where a window (its frame rectangle) goes so that it lies on the available area of its screen: as
// it is when it does, else moved inside, and cut to the area's size when it is larger.
QRect keptOnScreen(QRect window, QRect available);

// The picture's rectangle relative to the screen's outer corner. At zoom 1000 it keeps its size; at
// true position it is offset by the picture's place on the frame (shownRect's top left), scaled too.
QRect previewPictureRect(QSize pictureSize, QPoint framePosition, int zoom, bool atTruePos);

// The zoom that makes the frame fill a window whose client area is clientWidth wide, within 100-2000.
int automaticZoom(int clientWidth, int frameWidth = kPreviewFrameWidth);

// The free bar mode's picture ratio ("1.40:1"), or "---" when the bars leave no picture.
QString freeRatioText(int frameHeight, int barRows, const QLocale &locale = QLocale(), int frameWidth = kPreviewFrameWidth);

} // namespace glyfex::ripping
