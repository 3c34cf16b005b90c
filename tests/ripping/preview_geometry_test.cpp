// Preview geometry: bar heights, screen size, picture placement, automatic zoom and the free ratio.
#include "ripping/preview_geometry.h"

#include "support/qt_print.h"

#include <gtest/gtest.h>

using namespace glyfex::ripping;

TEST(PreviewGeometry, FrameHeightFallsBackToPal)
{
    EXPECT_EQ(previewFrameHeight(QSize(0, 0)), 576);
    EXPECT_EQ(previewFrameHeight(QSize(720, 480)), 480);
}

TEST(PreviewGeometry, PresetBarsForPalAndNtsc)
{
    struct Row { int mode; int height; int bar; };
    const Row rows[] = {
        {0, 576, 85}, {1, 576, 94}, {2, 576, 135},
        {0, 480, 37}, {1, 480, 46}, {2, 480, 87},
        {7, 576, 85},  // unknown mode: as 16:9
        {0, 300, -52}, // shorter than the picture: truncated toward zero, no bars painted
    };
    for (const Row &r : rows)
        EXPECT_EQ(presetBarHeight(r.mode, r.height), r.bar) << "mode " << r.mode << " height " << r.height;
}

TEST(PreviewGeometry, BackgroundBarsByMode)
{
    PreviewSettings s;
    s.freeAspectRatio = 30;
    s.aspectRatioMode = 2;
    s.backMode = PreviewSettings::NoBackground;
    EXPECT_EQ(backgroundBarHeight(s, 576), 0);
    s.backMode = PreviewSettings::PresetRatio;
    EXPECT_EQ(backgroundBarHeight(s, 576), 135);
    s.backMode = PreviewSettings::FreeBars;
    EXPECT_EQ(backgroundBarHeight(s, 576), 30);
    s.backMode = PreviewSettings::Image;
    EXPECT_EQ(backgroundBarHeight(s, 576), 0);
}

TEST(PreviewGeometry, ScreenSizeFollowsZoom)
{
    EXPECT_EQ(previewScreenSize(1000, 576), QSize(724, 580));
    EXPECT_EQ(previewScreenSize(500, 576), QSize(364, 292));
    EXPECT_EQ(previewScreenSize(1000, 480), QSize(724, 484));
    EXPECT_EQ(previewScreenSize(1005, 576), QSize(728, 583)); // 723.6 and 578.88 rounded
}

TEST(PreviewGeometry, PicturePlacement)
{
    struct Row { const char *name; QSize picture; QPoint at; int zoom; bool truePos; QRect expected; };
    const Row rows[] = {
        {"unstretched at 1000", {300, 60}, {100, 400}, 1000, false, {2, 2, 300, 60}},
        {"true position at 1000", {300, 60}, {100, 400}, 1000, true, {102, 402, 300, 60}},
        {"half size and half offset", {300, 60}, {100, 400}, 500, true, {52, 202, 150, 30}},
        {"odd sizes truncate", {301, 61}, {101, 401}, 500, true, {52, 202, 150, 30}},
        {"double", {300, 60}, {10, 20}, 2000, true, {22, 42, 600, 120}},
    };
    for (const Row &r : rows)
        EXPECT_EQ(previewPictureRect(r.picture, r.at, r.zoom, r.truePos), r.expected) << r.name;
}

TEST(PreviewGeometry, AutomaticZoom)
{
    EXPECT_EQ(automaticZoom(736), 1000);
    EXPECT_EQ(automaticZoom(376), 500);
    EXPECT_EQ(automaticZoom(745), 1012); // 1012.5: ties go to the even neighbour
    EXPECT_EQ(automaticZoom(20), 100);   // kept within the zoom box's range
    EXPECT_EQ(automaticZoom(5000), 2000);
}

TEST(PreviewGeometry, FreeRatioText)
{
    const QLocale c = QLocale::c();
    EXPECT_EQ(freeRatioText(576, 30, c), QStringLiteral("1.40:1"));
    EXPECT_EQ(freeRatioText(576, 288, c), QStringLiteral("---"));
    EXPECT_EQ(freeRatioText(576, 0, c), QStringLiteral("1.25:1"));
    EXPECT_EQ(freeRatioText(576, 30, QLocale(QLocale::German)), QStringLiteral("1,40:1"));
}
