// The text mask of a frame: colour ranges, outline confirmation, clean-up, area fills, line bands, the
// accumulated mask across frames, the crop, and areas of any size, also on real frames of a video.
#include "sources/frame_analysis.h"

#include "support/test_video.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace glyfex::sources {
namespace {

using picture::CodeImage;
using picture::Rect;

struct Point {
    int x = 0;
    int y = 0;
};

const Rgb kGrey{128, 128, 128};
const Rgb kWhite{255, 255, 255};
const Rgb kBlack{0, 0, 0};

BgrFrame makeFrame(int w, int h, Rgb fill = kGrey)
{
    BgrFrame f{w, h, std::vector<uint8_t>(size_t(w) * size_t(h) * 3)};
    for (size_t i = 0; i < f.bytes.size(); i += 3) {
        f.bytes[i] = uint8_t(fill.blue);
        f.bytes[i + 1] = uint8_t(fill.green);
        f.bytes[i + 2] = uint8_t(fill.red);
    }
    return f;
}

void paint(BgrFrame &f, Rect r, Rgb c)
{
    for (int y = r.top; y <= r.bottom; ++y) {
        for (int x = r.left; x <= r.right; ++x) {
            uint8_t *p = f.pixel(x, y);
            p[0] = uint8_t(c.blue);
            p[1] = uint8_t(c.green);
            p[2] = uint8_t(c.red);
        }
    }
}

Rgb pixelOf(const BgrFrame &f, int x, int y)
{
    const uint8_t *p = f.pixel(x, y);
    return {p[2], p[1], p[0]};
}

// White text within 50, black outline within 50, on whole frames.
FrameAnalysis analysisOf(const BgrFrame &f, int minPixels)
{
    FrameAnalysis a;
    a.textRange = rangeAround(kWhite, {50, 50, 50});
    a.fattenRange = fattenRangeOf(a.textRange, {10, 10, 10});
    a.outlineRange = rangeAround(kBlack, {50, 50, 50});
    a.options.minPixels = minPixels;
    EXPECT_TRUE(a.setArea({0, 0, f.width - 1, f.height - 1}, f.width, f.height).ok());
    return a;
}

int countOf(const CodeImage &mask, uint8_t code)
{
    return int(std::count(mask.bytes.begin(), mask.bytes.end(), code));
}

TEST(ColourRanges, ClampAroundTheColourAndFattenOnOneSideEach)
{
    EXPECT_EQ(rangeAround({250, 10, 128}, {50, 50, 0}), (ColourRange{{200, 0, 128}, {255, 60, 128}}));
    const ColourRange text = rangeAround({200, 200, 200}, {50, 50, 50});
    EXPECT_EQ(fattenRangeOf(text, {10, 200, -20}), (ColourRange{{140, 0, 170}, {255, 255, 230}}));
    // The most negative fatten tolerance leaves no colour in any channel.
    const ColourRange none = fattenRangeOf(text, {-255, -255, -255});
    EXPECT_GT(none.min.red, none.max.red);
    EXPECT_GT(none.min.green, none.max.green);
    EXPECT_GT(none.min.blue, none.max.blue);
    for (int v = 0; v < 256; v += 5) {
        const uint8_t bgr[3] = {uint8_t(v), uint8_t(v), uint8_t(v)};
        EXPECT_FALSE(none.contains(bgr)) << v;
    }
}

TEST(FrameAnalysisArea, ClampedIntoTheFrameOrRefused)
{
    FrameAnalysis a;
    ASSERT_TRUE(a.setArea({-5, -5, 1000, 1000}, 100, 50).ok());
    EXPECT_EQ(a.area(), (Rect{0, 0, 99, 49}));
    for (const Rect bad : {Rect{200, 200, 300, 300}, Rect{10, 10, 5, 5}, Rect{-20, 0, -1, 10}}) {
        EXPECT_FALSE(a.setArea(bad, 100, 50).ok());
        EXPECT_EQ(a.area(), (Rect{0, 0, 99, 49})) << "a refused area replaced the last one";
    }
    // A frame smaller than the area gives no text rather than reading outside it.
    BgrFrame small = makeFrame(40, 20, kWhite);
    EXPECT_EQ(a.analyzeFrame(small, AnalysisMode::Full), 1);
    EXPECT_EQ(countOf(a.mask(), kMaskUnexamined), 100 * 50);
}

TEST(FrameAnalysisFull, TooFewTextPixelsLeaveTheMaskUnexaminedAndSpecksGoOnlyAboveTheMinimum)
{
    BgrFrame f = makeFrame(60, 30);
    paint(f, {10, 10, 17, 17}, kWhite); // 64 pixels
    paint(f, {40, 20, 40, 20}, kWhite); // a speck
    struct Case {
        int minPixels;
        int result;
        uint8_t speck;
    };
    for (const Case c : {Case{65, 66, kMaskUnexamined}, Case{64, 65, kMaskNothing}, Case{10, 65, kMaskNothing}}) {
        FrameAnalysis a = analysisOf(f, c.minPixels);
        EXPECT_EQ(a.analyzeFrame(f, AnalysisMode::Full), c.result) << c.minPixels;
        EXPECT_EQ(a.textCount(), c.result);
        EXPECT_EQ(a.mask().at(40, 20), c.speck) << c.minPixels;
        if (c.speck == kMaskUnexamined)
            EXPECT_EQ(countOf(a.mask(), kMaskUnexamined), 60 * 30);
        else
            EXPECT_EQ(a.mask().at(13, 13), kMaskText);
        EXPECT_EQ(a.accMask(), a.mask());
    }
}

TEST(FrameAnalysisFull, OutlineConfirmsText)
{
    struct Case {
        const char *name;
        Rect text;
        std::vector<Rect> outline;
        Point probe;
        uint8_t textCode;
        uint8_t outlineCode; // at outline[0]'s centre
    };
    const std::vector<Case> cases{
        {"left and right", {10, 7, 10, 13}, {{9, 7, 9, 13}, {11, 7, 11, 13}}, {10, 10}, kMaskText, kMaskBorder},
        {"above and below", {7, 10, 13, 10}, {{7, 9, 13, 9}, {7, 11, 13, 11}}, {10, 10}, kMaskText, kMaskBorder},
        {"one side", {10, 7, 10, 13}, {{9, 7, 9, 13}}, {10, 10}, kMaskNothing, kMaskBorder},
        {"outline apart", {10, 7, 10, 13}, {{4, 7, 4, 13}}, {10, 10}, kMaskNothing, kMaskNothing},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        BgrFrame f = makeFrame(21, 21);
        paint(f, c.text, kWhite);
        for (const Rect &r : c.outline)
            paint(f, r, kBlack);
        FrameAnalysis a = analysisOf(f, 1);
        a.options.useOutline = true;
        a.analyzeFrame(f, AnalysisMode::Full);
        EXPECT_EQ(a.mask().at(c.probe.x, c.probe.y), c.textCode);
        const Rect &o = c.outline[0];
        EXPECT_EQ(a.mask().at((o.left + o.right) / 2, (o.top + o.bottom) / 2), c.outlineCode);

        // Without the outline option the text stands by its colour alone.
        FrameAnalysis plain = analysisOf(f, 1);
        plain.analyzeFrame(f, AnalysisMode::Full);
        EXPECT_EQ(plain.mask().at(c.probe.x, c.probe.y), kMaskText);
    }
}

TEST(FrameAnalysisFull, AreaFills)
{
    // An L open to the left edge, a small letter, a large block, and a pale rim that only fattening takes.
    BgrFrame f = makeFrame(120, 40);
    paint(f, {0, 5, 2, 20}, kWhite);
    paint(f, {0, 18, 30, 20}, kWhite);
    paint(f, {40, 10, 44, 17}, kWhite);
    paint(f, {60, 5, 95, 25}, kWhite);
    paint(f, {45, 10, 45, 17}, {200, 200, 200});

    struct Case {
        const char *name;
        bool fillOpen, fillLarge, fatten;
        uint8_t farArm, letter, block, rim;
    };
    for (const Case c : {Case{"none", false, false, false, kMaskText, kMaskText, kMaskText, kMaskNothing},
                         Case{"open", true, false, false, kMaskOpen, kMaskText, kMaskText, kMaskNothing},
                         Case{"large", false, true, false, kMaskLarge, kMaskText, kMaskLarge, kMaskNothing},
                         Case{"fatten", false, false, true, kMaskText, kMaskText, kMaskText, kMaskText}}) {
        SCOPED_TRACE(c.name);
        FrameAnalysis a = analysisOf(f, 10);
        a.options.fillOpen = c.fillOpen;
        a.options.fillLarge = c.fillLarge;
        a.options.fatten = c.fatten;
        a.analyzeFrame(f, AnalysisMode::Full);
        EXPECT_EQ(a.mask().at(30, 19), c.farArm);
        EXPECT_EQ(a.mask().at(1, 6), c.farArm);
        EXPECT_EQ(a.mask().at(42, 12), c.letter);
        EXPECT_EQ(a.mask().at(77, 15), c.block);
        EXPECT_EQ(a.mask().at(45, 12), c.rim);
        EXPECT_EQ(a.textCount(), countOf(a.mask(), kMaskText) + 1);
    }
}

TEST(FrameAnalysisFull, LineBandsOnTheFrameAndTheMask)
{
    // Two lines of 30 rows, 5 apart, 5 below the area's top: the area starts 10 rows into the frame.
    BgrFrame f = makeFrame(200, 140, kWhite);
    FrameAnalysis a = analysisOf(f, 10);
    ASSERT_TRUE(a.setArea({5, 10, 194, 129}, f.width, f.height).ok());
    a.options.drawLines = true;
    a.options.fillOpen = false;
    a.analyzeFrame(f, AnalysisMode::Full);
    ASSERT_EQ(a.mask().height, 120);
    for (int row = 0; row < 120; ++row) {
        const bool maskBand = row <= 4 || (row >= 35 && row <= 39) || row >= 70;
        EXPECT_EQ(a.mask().at(50, row), maskBand ? kMaskUnexamined : kMaskText) << "mask row " << row;
        const bool frameBand = row <= 3 || (row >= 36 && row <= 38) || (row >= 71 && row <= 118);
        EXPECT_EQ(pixelOf(f, 50, 10 + row), frameBand ? kBlack : kWhite) << "frame row " << row;
    }
    EXPECT_EQ(pixelOf(f, 4, 20), kWhite) << "painted left of the area";
    EXPECT_EQ(pixelOf(f, 195, 20), kWhite) << "painted right of the area";

    // With open areas filled, a stroke reaching into a band goes whole, not clipped.
    BgrFrame g = makeFrame(200, 120);
    paint(g, {50, 20, 52, 37}, kWhite);
    paint(g, {100, 10, 110, 20}, kWhite);
    FrameAnalysis b = analysisOf(g, 10);
    b.options.drawLines = true;
    b.analyzeFrame(g, AnalysisMode::Full);
    EXPECT_EQ(b.mask().at(51, 21), kMaskOpen);
    EXPECT_EQ(b.mask().at(51, 36), kMaskUnexamined);
    EXPECT_EQ(b.mask().at(105, 15), kMaskText);
}

TEST(FrameAnalysisFull, SidesOfEachLine)
{
    FrameAnalysis a;
    a.options.lineHeight = 30;
    a.options.space = 5;
    a.options.lineCount = 2;
    a.options.topOffset = 5;
    CodeImage mask(300, 80, kMaskNothing);
    for (int x = 140; x <= 160; ++x)
        mask.at(x, 20) = kMaskText;
    mask.at(250, 20) = kMaskText; // farther than two line heights from the text: not part of the line

    CodeImage unchanged = mask;
    a.options.topOffset = 0;
    a.fillSides(unchanged);
    EXPECT_EQ(unchanged, mask) << "a first line at the top disables the fill";

    a.options.topOffset = 5;
    a.fillSides(mask);
    EXPECT_EQ(mask.at(109, 5), kMaskSmall);
    EXPECT_EQ(mask.at(110, 5), kMaskNothing);
    EXPECT_EQ(mask.at(150, 20), kMaskText);
    EXPECT_EQ(mask.at(189, 34), kMaskNothing);
    EXPECT_EQ(mask.at(190, 34), kMaskSmall);
    EXPECT_EQ(mask.at(250, 20), kMaskSmall);
    EXPECT_EQ(mask.at(0, 4), kMaskNothing) << "above the first line";
    for (int x : {0, 150, 299})
        EXPECT_EQ(mask.at(x, 40), kMaskSmall) << "the second line has no text";
    EXPECT_EQ(mask.at(150, 70), kMaskNothing);
}

TEST(FrameAnalysisFollow, AccumulateCompareUpdateAndANewAreaStartsAgain)
{
    BgrFrame first = makeFrame(80, 30);
    paint(first, {10, 10, 29, 19}, kWhite); // 200 pixels
    BgrFrame shifted = makeFrame(80, 30);
    paint(shifted, {20, 10, 39, 19}, kWhite); // overlaps 100 of them
    BgrFrame empty = makeFrame(80, 30);
    BgrFrame pale = makeFrame(80, 30);
    paint(pale, {10, 10, 29, 19}, {200, 200, 200}); // fatten-coloured only

    FrameAnalysis a = analysisOf(first, 10);
    EXPECT_EQ(a.analyzeFrame(first, AnalysisMode::Full), 201);
    EXPECT_EQ(a.analyzeFrame(shifted, AnalysisMode::Accumulate), 101);
    EXPECT_EQ(a.shownMode(), AnalysisMode::Accumulate);
    EXPECT_EQ(countOf(a.accMask(), kMaskText), 100);
    EXPECT_EQ(a.mask().at(35, 15), kMaskText) << "new text outside the kept mask stays in the picture";
    EXPECT_EQ(a.mask().at(25, 15), kMaskText);

    EXPECT_EQ(a.analyzeFrame(first, AnalysisMode::Compare), 101);
    EXPECT_EQ(a.shownMode(), AnalysisMode::Compare);
    EXPECT_EQ(a.analyzeFrame(empty, AnalysisMode::Compare), 1);
    EXPECT_EQ(a.analyzeFrame(pale, AnalysisMode::Compare), 1);
    a.options.fatten = true;
    EXPECT_EQ(a.analyzeFrame(pale, AnalysisMode::Compare), 101);
    a.options.fatten = false;

    // Update rebuilds only while enough of the kept text is still there, and widens the kept mask.
    EXPECT_EQ(a.analyzeFrame(empty, AnalysisMode::Update), 1);
    EXPECT_EQ(countOf(a.accMask(), kMaskText), 100);
    EXPECT_EQ(a.analyzeFrame(first, AnalysisMode::Update), 201);
    EXPECT_EQ(countOf(a.accMask(), kMaskText), 200);

    ASSERT_TRUE(a.setArea({0, 0, 59, 29}, 80, 30).ok());
    EXPECT_EQ(countOf(a.accMask(), kMaskText), 0);
    EXPECT_EQ(a.analyzeFrame(first, AnalysisMode::Accumulate), 1);
    EXPECT_EQ(a.analyzeFrame(first, AnalysisMode::Compare), 1);
}

TEST(CutValidRect, CropsToTheValueAtAnyHeight)
{
    struct Case {
        const char *name;
        int w, h;
        std::vector<Point> pixels;
        std::optional<Rect> box;
    };
    const std::vector<Case> cases{
        {"none", 30, 20, {}, std::nullopt},
        {"only row 0", 30, 20, {{4, 0}, {9, 0}}, Rect{4, 0, 9, 0}},
        {"corner", 30, 20, {{29, 19}}, Rect{29, 19, 29, 19}},
        {"HD height", 1920, 1080, {{100, 1000}, {1800, 1079}, {960, 700}}, Rect{100, 700, 1800, 1079}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CodeImage image(c.w, c.h, kMaskNothing);
        image.at(0, 0) = kMaskBorder;
        for (const Point &p : c.pixels)
            image.at(p.x, p.y) = kMaskText;
        const CodeImage before = image;
        const auto box = cutValidRect(image, kMaskText);
        EXPECT_EQ(box, c.box);
        if (!c.box) {
            EXPECT_EQ(image, before);
            continue;
        }
        ASSERT_EQ(image.width, c.box->width());
        ASSERT_EQ(image.height, c.box->height());
        for (const Point &p : c.pixels)
            EXPECT_EQ(image.at(p.x - c.box->left, p.y - c.box->top), kMaskText);
        EXPECT_EQ(countOf(image, kMaskText), int(c.pixels.size()));
    }
}

// Real frames: white text with a black border drawn by FFmpeg into the bottom of an HD frame, from the
// second frame on; the area is the bottom fifth.
TEST(FrameAnalysisVideo, FindsTheTextFfmpegDrewOnAnHdFrame)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hd.mkv"));
    const QString error = test::makeVideo(
        path, QStringLiteral("color=c=0x204060:s=1920x1080:r=25"),
        QStringLiteral("drawtext=fontfile=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf:text='Hello there':"
                       "fontcolor=white:fontsize=64:borderw=3:bordercolor=black:x=(w-tw)/2:y=h-150:"
                       "enable='gte(n,1)'"),
        3, {QStringLiteral("-c:v"), QStringLiteral("ffv1"), QStringLiteral("-pix_fmt"), QStringLiteral("bgr0")});
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    AviPlayer player;
    ASSERT_TRUE(player.setFileName(path).ok());
    const Rect area{1, (player.height() - 1) * 80 / 100, player.width() - 2, player.height() - 2};

    FrameAnalysis a;
    a.textRange = rangeAround(kWhite, {50, 50, 50});
    a.fattenRange = fattenRangeOf(a.textRange, {10, 10, 10});
    a.outlineRange = rangeAround(kBlack, {100, 100, 100});
    a.options.useOutline = true;
    // The strokes are about 7 pixels wide: the outline lies that far from their middle.
    a.options.textLineWidth = 2;
    a.options.outlineWidth = 6;
    ASSERT_TRUE(a.setArea(area, player.width(), player.height()).ok());

    BgrFrame frame;
    ASSERT_TRUE(player.drawFrame(frame).ok());
    EXPECT_EQ(a.analyzeFrame(frame, AnalysisMode::Full), 1);
    EXPECT_EQ(countOf(a.mask(), kMaskUnexamined), area.width() * area.height());

    player.setPosition(1);
    ASSERT_TRUE(player.drawFrame(frame).ok());
    const int count = a.analyzeFrame(frame, AnalysisMode::Full);
    EXPECT_GT(count, 2000);
    CodeImage mask = a.mask();
    const auto box = cutValidRect(mask, kMaskText);
    ASSERT_TRUE(box.has_value());
    // The text lies centred, 150 rows above the frame's bottom, and far narrower than the frame.
    const int centre = area.left + (box->left + box->right) / 2;
    EXPECT_NEAR(centre, player.width() / 2, 20);
    EXPECT_GE(area.top + box->top, player.height() - 150 - 5);
    EXPECT_LT(box->width(), 600);
    EXPECT_EQ(a.analyzeFrame(frame, AnalysisMode::Compare), count);
}

} // namespace
} // namespace glyfex::sources
