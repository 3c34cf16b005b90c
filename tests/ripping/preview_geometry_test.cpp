// Preview geometry: bar heights, screen size, picture placement, automatic zoom and the free ratio.
#include "ripping/preview_geometry.h"

#include "support/qt_print.h"

#include <gtest/gtest.h>

#include <string>

using namespace glyfex::ripping;

TEST(PreviewGeometry, FrameHeightFallsBackToPal)
{
    EXPECT_EQ(previewFrameHeight(QSize(0, 0)), 576);
    EXPECT_EQ(previewFrameHeight(QSize(720, 480)), 480);
}

TEST(PreviewGeometry, FrameWidthIsADvdLineOrWider)
{
    EXPECT_EQ(previewFrameWidth(QSize(0, 0)), 720);
    EXPECT_EQ(previewFrameWidth(QSize(352, 576)), 720); // a title set's half-width video
    EXPECT_EQ(previewFrameWidth(QSize(1920, 1080)), 1920);
}

// The zoom the screen is shown at, on common displays less what the main window takes around the
// preview (20 x 160 pixels), for DVD and HD frames.
TEST(PreviewGeometry, ZoomFitsTheScreen)
{
    const QSize chrome(20, 160);
    auto text = [](QSize s) { return std::to_string(s.width()) + "x" + std::to_string(s.height()); };
    struct Row { QSize screen; QSize frame; int zoom; int shown; };
    const Row rows[] = {
        {{1366, 768}, {720, 576}, 1000, 1000},
        {{1366, 768}, {720, 480}, 1000, 1000},
        {{1366, 768}, {1920, 1080}, 1000, 559},  // 604 rows + border: the height limits
        {{1366, 768}, {1920, 1080}, 500, 500},   // a zoom that fits stays
        {{1920, 1080}, {1920, 1080}, 1000, 848},
        {{1920, 1080}, {720, 576}, 2000, 1591},
        {{800, 600}, {720, 576}, 1000, 757},
        {{800, 600}, {720, 480}, 1000, 909},
        {{800, 600}, {1920, 1080}, 1000, 404},   // width and height limit alike
        {{1080, 1920}, {1920, 1080}, 1000, 550}, // a portrait display: the width limits
        {{200, 150}, {1920, 1080}, 1000, 100},   // never below the zoom box's 10 %
        {{200, 150}, {720, 576}, 50, 50},        // nor above a zoom already below it
    };
    for (const Row &r : rows) {
        const QSize room = r.screen - chrome;
        const int shown = fittingZoom(r.zoom, r.frame, room);
        EXPECT_EQ(shown, r.shown) << text(r.screen) << " " << text(r.frame) << " at " << r.zoom;
        if (shown > 100 && shown < r.zoom) {
            const QSize fitted = previewScreenSize(shown, r.frame.height(), r.frame.width());
            const QSize larger = previewScreenSize(shown + 1, r.frame.height(), r.frame.width());
            EXPECT_TRUE(fitted.width() <= room.width() && fitted.height() <= room.height()) << text(r.screen) << " " << text(r.frame);
            EXPECT_FALSE(larger.width() <= room.width() && larger.height() <= room.height()) << text(r.screen) << " " << text(r.frame);
        }
    }
}

TEST(PreviewGeometry, WindowsAreKeptOnTheirScreen)
{
    const QRect laptop(0, 0, 1366, 728); // 1366 x 768 less a 40-pixel panel
    const QRect second(1366, 0, 1920, 1080);
    struct Row { const char *name; QRect window; QRect available; QRect expected; };
    const Row rows[] = {
        {"inside stays", {100, 100, 500, 400}, laptop, {100, 100, 500, 400}},
        {"below the bottom moves up", {0, 600, 744, 300}, laptop, {0, 428, 744, 300}},
        {"past the right edge moves left", {1200, 0, 744, 300}, laptop, {622, 0, 744, 300}},
        {"above and left moves in", {-50, -20, 300, 200}, laptop, {0, 0, 300, 200}},
        {"taller than the screen is cut", {0, 200, 744, 1223}, laptop, {0, 0, 744, 728}},
        {"on a second screen stays on it", {1400, 900, 744, 400}, second, {1400, 680, 744, 400}},
        {"no screen known: unchanged", {-50, 900, 744, 400}, QRect(), {-50, 900, 744, 400}},
    };
    for (const Row &r : rows)
        EXPECT_EQ(keptOnScreen(r.window, r.available), r.expected) << r.name;
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
    EXPECT_EQ(previewScreenSize(500, 1080, 1920), QSize(964, 544));
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
    EXPECT_EQ(automaticZoom(976, 1920), 500); // an HD frame fills the width at half its size
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
    EXPECT_EQ(freeRatioText(1080, 0, c, 1920), QStringLiteral("1.78:1"));
}
