// Tests of the export-bitmap engine: crop geometry, background choice, colours and depth, positioning,
// the faults it must not carry into a run, and a "save bitmaps" run over a real title set read back by FFmpeg.
#include "subtitles/export_bitmap.h"

#include "core/bmp_writer.h"
#include "ripping/spu_decoder.h"
#include "ripping/vob_pass.h"
#include "support/av_bmp_decoder.h"
#include "support/av_spu_demuxer.h"
#include "support/dispatch_fakes.h"
#include "support/test_data.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

namespace glyfex::subtitles {
namespace {

using core::BmpOutSettings;
using picture::DecodedPicture;
using picture::ExportedPicture;
using picture::Rect;

// The settings of the examples: minimum 16 x 50, width step 8, height step 2, picture centred.
ExportSettings exampleSettings()
{
    ExportSettings s;
    s.bmp = BmpOutSettings();
    s.preset = core::PresetPhilipsSvcd;
    s.frameHeight = 576;
    return s;
}

struct GeometryCase {
    const char *name;
    void (*change)(ExportSettings &);
    int w0, h0;
    picture::Rect area; // only left and top matter
    CropGeometry expected;
};
void PrintTo(const GeometryCase &c, std::ostream *os) { *os << c.name; }

void noChange(ExportSettings &) {}

const GeometryCase kGeometry[] = {
    {"centred_300x41_in_304x50", noChange, 300, 41, {100, 500}, {98, 496, 304, 50, 2, 4}},
    {"right_edge_moves_the_bitmap_left", noChange, 300, 41, {420, 500}, {416, 496, 304, 50, 4, 4}},
    {"left_edge_stops_at_0", noChange, 300, 41, {1, 500}, {0, 496, 304, 50, 1, 4}},
    {"bottom_edge_moves_the_bitmap_up", noChange, 300, 41, {100, 535}, {98, 526, 304, 50, 2, 9}},
    {"left_step_16_moves_left", [](ExportSettings &s) { s.bmp.cropDivL = 16; }, 300, 41, {100, 500}, {96, 496, 304, 50, 4, 4}},
    {"left_step_3_moves_right", [](ExportSettings &s) { s.bmp.cropDivL = 3; }, 300, 41, {100, 500}, {99, 496, 304, 50, 1, 4}},
    {"top_step_4_moves_down", [](ExportSettings &s) { s.bmp.cropDivT = 4; }, 300, 41, {100, 501}, {98, 500, 304, 50, 2, 1}},
    {"left_aligned", [](ExportSettings &s) { s.bmp.cropXPosMode = 0; }, 300, 41, {100, 500}, {100, 496, 304, 50, 0, 4}},
    {"right_aligned_bottom", [](ExportSettings &s) { s.bmp.cropXPosMode = 2; s.bmp.cropYPosMode = 2; }, 300, 41, {100, 500},
     {96, 491, 304, 50, 4, 9}},
    {"shift_moves_the_picture_against_the_bitmap", [](ExportSettings &s) { s.bmp.cropShiftX = 2; }, 300, 41, {100, 500},
     {100, 496, 304, 50, 0, 4}},
    {"shift_past_the_edge_stops_there", [](ExportSettings &s) { s.bmp.cropShiftX = -10; }, 300, 41, {100, 500},
     {96, 496, 304, 50, 4, 4}},
    {"dvdmaestro_adds_4_rows", [](ExportSettings &s) { s.preset = core::PresetSpruceDvdMaestro; }, 300, 48, {100, 500},
     {98, 497, 304, 54, 2, 3}},
    {"full_width_minimum", [](ExportSettings &s) { s.bmp.cropMinX = 720; }, 300, 41, {100, 500}, {0, 496, 720, 50, 100, 4}},
    {"height_capped_by_an_ntsc_frame", [](ExportSettings &s) { s.bmp.cropMinY = 574; s.frameHeight = 480; }, 300, 41,
     {100, 400}, {98, 0, 304, 480, 2, 400}},
    {"unknown_frame_height_is_576", [](ExportSettings &s) { s.bmp.cropMinY = 576; s.frameHeight = 0; }, 300, 41,
     {100, 400}, {98, 0, 304, 576, 2, 400}},
    {"steps_of_0_are_no_steps", [](ExportSettings &s) { s.bmp.cropDivX = s.bmp.cropDivY = s.bmp.cropDivL = s.bmp.cropDivT = 0; },
     301, 41, {101, 501}, {101, 497, 301, 50, 0, 4}},
    {"picture_of_the_frame_width", noChange, 720, 41, {0, 500}, {0, 496, 720, 50, 0, 4}},
};

class CropGeometryTable : public testing::TestWithParam<GeometryCase> {};

TEST_P(CropGeometryTable, SizesPlacesAndAligns)
{
    const GeometryCase &c = GetParam();
    ExportSettings s = exampleSettings();
    c.change(s);
    const picture::Rect area{c.area.left, c.area.top, c.area.left + c.w0 - 1, c.area.top + c.h0 - 1};
    const CropGeometry g = computeCropGeometry(s, c.w0, c.h0, area);
    EXPECT_EQ(g, c.expected) << "got left " << g.left << " top " << g.top << " size " << g.width << "x" << g.height
                             << " offset " << g.offsetX << "," << g.offsetY;
    // The picture always lies inside the bitmap, and the bitmap on the frame.
    EXPECT_GE(g.offsetX, 0);
    EXPECT_GE(g.offsetY, 0);
    EXPECT_LE(g.offsetX + c.w0, g.width);
    EXPECT_LE(g.offsetY + c.h0, g.height);
    EXPECT_GE(g.left, 0);
    EXPECT_LE(g.left + g.width, kExportFrameWidth);
    EXPECT_LE(g.top + g.height, s.frameRows());
}

INSTANTIATE_TEST_SUITE_P(, CropGeometryTable, testing::ValuesIn(kGeometry),
                         [](const auto &info) { return std::string(info.param.name); });

// A decoded picture from rows of pixel codes, at (left, top), with its per-code tables.
DecodedPicture pictureOf(std::vector<std::string> rows, int left, int top, std::array<uint8_t, 4> contrast = {0, 15, 15, 15})
{
    DecodedPicture p;
    const int h = int(rows.size());
    const int w = h > 0 ? int(rows[0].size()) : 0;
    p.codes.reset(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.codes.at(x, y) = uint8_t(rows[size_t(y)][size_t(x)] - '0');
    p.sequences.front().x1 = left;
    p.sequences.front().y1 = top;
    p.sequences.front().x2 = left + w - 1;
    p.sequences.front().y2 = top + h - 1;
    p.colourMap = {7, 9, 11, 13};
    p.contrastMap = contrast;
    p.colourChanged = {true, true};
    return p;
}

std::array<uint32_t, 16> dvdColours()
{
    std::array<uint32_t, 16> c{};
    for (uint32_t i = 0; i < 16; ++i)
        c[i] = 0x010203 * i;
    return c;
}

struct BackgroundCase {
    const char *name;
    std::vector<std::string> rows;
    std::array<uint8_t, 4> contrast;
    uint8_t code;
    uint32_t colour;
};
void PrintTo(const BackgroundCase &c, std::ostream *os) { *os << c.name; }

const BackgroundCase kBackgrounds[] = {
    {"only_code_0_transparent_without_looking", {"111", "111"}, {0, 15, 15, 15}, 0, 0x000000},
    {"code_3_at_a_corner_before_code_0", {"311", "101"}, {0, 15, 15, 0}, 3, 0xFF0000},
    {"none_at_a_corner_first_met", {"111", "121", "101"}, {0, 15, 0, 15}, 2, 0x0000FF},
    {"highest_when_none_is_in_the_picture", {"11", "11"}, {0, 0, 15, 15}, 1, 0xFFFFFF},
    {"no_transparent_code_keeps_the_previous", {"11"}, {15, 15, 15, 15}, 0, 0x000000},
};

class BackgroundTable : public testing::TestWithParam<BackgroundCase> {};

TEST_P(BackgroundTable, ChoosesTheTransparentCode)
{
    const BackgroundCase &c = GetParam();
    ExportBackground b;
    chooseExportBackground(pictureOf(c.rows, 0, 0, c.contrast), b);
    EXPECT_EQ(b.code, c.code);
    EXPECT_EQ(b.colour, c.colour);
}

INSTANTIATE_TEST_SUITE_P(, BackgroundTable, testing::ValuesIn(kBackgrounds),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ExportBitmapEngine, KeepsTheBackgroundUntilTheColoursChange)
{
    ExportBitmapEngine engine;
    engine.settings = exampleSettings();
    picture::ExportedPicture out;
    engine.render(pictureOf({"311", "101"}, 100, 500, {0, 15, 15, 0}), dvdColours(), out);
    EXPECT_EQ(engine.background().code, 3);
    EXPECT_EQ(out.pixels.front(), 13) << "the bitmap is filled with code 3's DVD colour";
    DecodedPicture same = pictureOf({"111"}, 100, 500, {0, 15, 15, 15});
    same.colourChanged = {false, false};
    engine.render(same, dvdColours(), out);
    EXPECT_EQ(engine.background().code, 3) << "the colours did not change";
    same.colourChanged = {false, true};
    engine.render(same, dvdColours(), out);
    EXPECT_EQ(engine.background().code, 0);
}

TEST(ExportBitmapEngine, ColoursByPresetAndDepth)
{
    const DecodedPicture p = pictureOf({"0123"}, 10, 10);
    const struct {
        const char *name;
        int preset;
        bool custom;
        uint8_t depth;
        std::vector<uint8_t> pixels;
        std::vector<uint32_t> firstColours;
        size_t paletteSize;
    } cases[] = {
        {"dvd_colours_4_bits", core::PresetPhilipsSvcd, false, BmpOutSettings::FourBits, {7, 9, 11, 13}, {0, 0x010203, 0x020406, 0x030609}, 16},
        {"dvd_colours_8_bits", core::PresetPhilipsSvcd, false, BmpOutSettings::EightBits, {7, 9, 11, 13}, {0, 0x010203, 0x020406, 0x030609}, 256},
        {"scenarist_codes_red_black_blue_white", core::PresetSonicScenarist, false, BmpOutSettings::FourBits, {0, 1, 2, 3},
         {0x0000FF, 0x000000, 0xFF0000, 0xFFFFFF}, 16},
        {"dvdmaestro_codes", core::PresetSpruceDvdMaestro, false, BmpOutSettings::EightBits, {0, 1, 2, 3},
         {0x0000FF, 0x000000, 0xFF0000, 0xFFFFFF}, 256},
        {"custom_colours_codes", core::PresetIAuthor, true, BmpOutSettings::FourBits, {0, 1, 2, 3},
         {0x000000, 0xFFFFFF, 0xFF0000, 0x808080}, 16},
    };
    for (const auto &c : cases) {
        ExportBitmapEngine engine;
        engine.settings = exampleSettings();
        engine.settings.bmp.croppingEnabled = false;
        engine.settings.preset = c.preset;
        engine.settings.bmp.customColours = c.custom;
        engine.settings.bmp.depth = c.depth;
        picture::ExportedPicture out;
        engine.render(p, dvdColours(), out);
        EXPECT_EQ(out.pixels, c.pixels) << c.name;
        ASSERT_EQ(out.palette.size(), c.paletteSize) << c.name;
        EXPECT_EQ(std::vector<uint32_t>(out.palette.begin(), out.palette.begin() + 4), c.firstColours) << c.name;
        if (c.paletteSize == 256) {
            EXPECT_EQ(out.palette.back(), 0u) << c.name << ": the entries past the colours are black";
        }
        EXPECT_EQ(out.bitsPerPixel, c.depth == BmpOutSettings::FourBits ? 4 : 8) << c.name;
        EXPECT_EQ(out.rect, (picture::Rect{10, 10, 13, 10})) << c.name << ": without cropping the place stays";
    }
}

// The example settings without cropping, for the preset and bit depth.
ExportBitmapEngine uncroppedEngine(int preset, uint8_t depth)
{
    ExportBitmapEngine engine;
    engine.settings = exampleSettings();
    engine.settings.bmp.croppingEnabled = false;
    engine.settings.preset = preset;
    engine.settings.bmp.depth = depth;
    return engine;
}

// Rows are mapped several pixels at a time: for widths shorter than, equal to and past a group, every
// code in every position becomes its DVD colour index, and the marker bits above the code are dropped.
TEST(ExportBitmapEngine, EveryPixelOfARowBecomesItsCodesIndex)
{
    for (int width : {1, 5, 7, 8, 9, 15, 16, 17, 31, 720}) {
        std::vector<std::string> rows;
        for (int y = 0; y < 3; ++y) {
            std::string row;
            for (int x = 0; x < width; ++x)
                row += char('0' + (x * 3 + y + x / 4) % 8); // codes 0-3, and 4-7 with a marker bit
            rows.push_back(row);
        }
        ExportBitmapEngine engine = uncroppedEngine(core::PresetPhilipsSvcd, BmpOutSettings::EightBits);
        picture::ExportedPicture out;
        const DecodedPicture p = pictureOf(rows, 0, 0);
        engine.render(p, dvdColours(), out);
        ASSERT_EQ(out.width, width);
        ASSERT_EQ(out.height, 3);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < width; ++x) {
                ASSERT_EQ(out.pixels[size_t(y * width + x)], p.colourMap[(rows[size_t(y)][size_t(x)] - '0') & 3])
                    << "width " << width << " at " << x << "," << y;
            }
        }
    }
}

TEST(ExportBitmapEngine, FourBitRowOfFivePixelsIsThreeBytesEndingInANibbleOf0)
{
    ExportBitmapEngine engine = uncroppedEngine(core::PresetSonicScenarist, BmpOutSettings::FourBits);
    picture::ExportedPicture out;
    engine.render(pictureOf({"12312"}, 0, 0), dvdColours(), out);
    auto file = core::encodeBmp(out.indexed());
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(file->right(4).toHex(' '), QByteArray("12 31 20 00")) << "three bytes used, one of padding";
}

TEST(ExportBitmapEngine, PositioningPlacesAndKeepsTheBitmapOnTheFrame)
{
    const struct {
        const char *name;
        uint8_t xMode, yMode;
        int shiftX, shiftY;
        picture::Rect expected;
    } cases[] = {
        {"centre", 1, 1, 0, 0, {208, 263, 511, 312}},
        {"centre_shifted_past_the_right_edge", 1, 0, 600, 0, {416, 496, 719, 545}},
        {"right_and_bottom", 2, 2, 0, 0, {416, 526, 719, 575}},
        {"set_to", 3, 3, 0, 0, {33, 44, 336, 93}},
        {"keep_shifted_before_the_left_edge", 0, 0, -200, -600, {0, 0, 303, 49}},
    };
    for (const auto &c : cases) {
        ExportBitmapEngine engine;
        engine.settings = exampleSettings();
        engine.settings.bmp.positioningEnabled = true;
        engine.settings.bmp.posXMode = c.xMode;
        engine.settings.bmp.posYMode = c.yMode;
        engine.settings.bmp.posSetX = 33;
        engine.settings.bmp.posSetY = 44;
        engine.settings.bmp.posShiftX = c.shiftX;
        engine.settings.bmp.posShiftY = c.shiftY;
        picture::ExportedPicture out;
        engine.render(pictureOf(std::vector<std::string>(41, std::string(300, '1')), 100, 500), dvdColours(), out);
        ASSERT_EQ(out.width, 304) << c.name;
        EXPECT_EQ(out.rect, c.expected) << c.name;
    }
}

TEST(ExportBitmapEngine, RefusesOrCutsWhatItCannotExport)
{
    ExportBitmapEngine engine;
    engine.settings = exampleSettings();
    picture::ExportedPicture out;
    engine.render(pictureOf({"11", "11"}, 0, 0), dvdColours(), out);
    ASSERT_FALSE(out.empty());

    // A depth other than 4 or 8 bits: an empty result, never the previous picture.
    engine.settings.bmp.depth = 4;
    engine.render(pictureOf({"11", "11"}, 0, 0), dvdColours(), out);
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(out.pixels.empty());
    EXPECT_TRUE(out.problem.contains(QStringLiteral("bit depth")));

    // An empty picture without cropping.
    engine.settings = exampleSettings();
    engine.settings.bmp.croppingEnabled = false;
    engine.render(DecodedPicture(), dvdColours(), out);
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(out.problem.isEmpty());

    // An HD picture, wider than the export frame and placed beyond it, with cropping and without.
    for (bool cropping : {true, false}) {
        engine.settings = exampleSettings();
        engine.settings.frameHeight = 1080;
        engine.settings.bmp.croppingEnabled = cropping;
        std::vector<std::string> rows(3, std::string(1000, '1'));
        rows[0][719] = '2'; // the last column that is kept
        rows[0][720] = '3';
        engine.render(pictureOf(rows, 900, 1000), dvdColours(), out);
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(out.width, 720);
        EXPECT_EQ(out.rect.left, 0);
        EXPECT_EQ(out.rect.right, 719);
        EXPECT_LE(out.rect.bottom, 1079);
        EXPECT_TRUE(out.problem.contains(QStringLiteral("1000 x 3"))) << out.problem.toStdString();
        const int firstRow = cropping ? (50 - 3) / 2 : 0;
        EXPECT_EQ(out.pixels[size_t(firstRow * out.width + 719)], 11) << "code 2 at the last kept column";
    }
}

// --- a source frame larger than the export frame -----------------------------------------------------

struct ScaleCase {
    const char *name;
    int sourceWidth, sourceHeight; // onto 720 x 576
    std::vector<std::string> rows; // codes; 0 and 3 are transparent, 0 the background
    Rect area;                     // only left and top matter
    std::vector<std::string> expected;
    Rect expectedArea;
};
void PrintTo(const ScaleCase &c, std::ostream *os) { *os << c.name; }

std::vector<std::string> rowsOf(const picture::CodeImage &codes)
{
    std::vector<std::string> rows;
    for (int y = 0; y < codes.height; ++y) {
        std::string row;
        for (int x = 0; x < codes.width; ++x)
            row += char('0' + codes.at(x, y));
        rows.push_back(row);
    }
    return rows;
}

// 1440 x 1152 halves both axes: each bitmap pixel is a 2 x 2 block of the source.
const ScaleCase kScale[] = {
    {"halves_each_axis", 1440, 1152, {"1100", "1100"}, {2, 4}, {"10"}, {1, 2, 2, 2}},
    {"a_stroke_half_the_block_stays", 1440, 1152, {"0100", "0100"}, {2, 4}, {"10"}, {1, 2, 2, 2}},
    {"a_lone_pixel_of_the_block_goes", 1440, 1152, {"0100", "0000"}, {2, 4}, {"00"}, {1, 2, 2, 2}},
    {"the_code_covering_most_wins", 1440, 1152, {"2210", "2100"}, {2, 4}, {"20"}, {1, 2, 2, 2}},
    {"transparent_codes_are_background", 1440, 1152, {"3313", "3333"}, {2, 4}, {"00"}, {1, 2, 2, 2}},
    // At an odd place a block of four straddles six bitmap pixels: those it covers half of are ink.
    {"odd_place_keeps_what_it_covers_most", 1440, 1152, {"1111", "1111"}, {1, 1}, {"010", "010"}, {0, 0, 2, 1}},
    {"only_the_larger_axis_shrinks", 720, 1152, {"10", "10"}, {4, 4}, {"10"}, {4, 2, 5, 2}},
    // An HD frame: a bitmap pixel is 2 2/3 source columns by 1 7/8 rows; a column of one pixel covers 3/8 of it.
    {"a_hairline_of_an_hd_frame_stays", 1920, 1080, {"00010000", "00010000"}, {0, 0}, {"010", "000"}, {0, 0, 2, 1}},
};

class ScaleTable : public testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleTable, BringsThePictureOntoTheExportFrame)
{
    const ScaleCase &c = GetParam();
    const DecodedPicture p = pictureOf(c.rows, c.area.left, c.area.top);
    Rect area = p.first().area();
    const picture::CodeImage out = scaleToExportFrame(p.codes, area, c.sourceWidth, c.sourceHeight, 576,
                                                      {true, false, false, true}, 0);
    EXPECT_EQ(rowsOf(out), c.expected);
    EXPECT_EQ(area, c.expectedArea);
}

INSTANTIATE_TEST_SUITE_P(Cases, ScaleTable, testing::ValuesIn(kScale),
                         [](const testing::TestParamInfo<ScaleCase> &info) { return std::string(info.param.name); });

TEST(ExportBitmapEngine, AnHdFramesPictureIsScaledWholeNotCut)
{
    ExportBitmapEngine engine;
    engine.settings = exampleSettings();
    engine.settings.sourceWidth = 1920;
    engine.settings.sourceHeight = 1080;
    engine.settings.bmp.cropMinX = 720;
    engine.settings.bmp.cropMinY = 574;
    // A line of 1500 columns, wider than the export frame, centred near the bottom of the HD frame.
    const std::vector<std::string> rows(40, std::string(1500, '1'));
    picture::ExportedPicture out;
    engine.render(pictureOf(rows, 210, 980), dvdColours(), out);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.width, 720);
    EXPECT_EQ(out.height, 574);
    EXPECT_EQ(out.rect, (Rect{0, 2, 719, 575}));
    EXPECT_TRUE(out.problem.isEmpty()) << "nothing is cut: " << out.problem.toStdString();
    // The line runs from column 210 x 3/8 to 1710 x 3/8 of the frame (the bitmap's left is the frame's):
    // the bitmap columns it covers most of are 79 to 640, in the colour of code 1 (9), the rest background (7).
    const int row = 530;
    int first = -1;
    int last = -1;
    for (int x = 0; x < out.width; ++x) {
        const uint8_t v = out.pixels[size_t(row) * size_t(out.width) + size_t(x)];
        EXPECT_TRUE(v == 7 || v == 9) << x;
        if (v == 9) {
            if (first < 0)
                first = x;
            last = x;
        }
    }
    EXPECT_EQ(first, 79);
    EXPECT_EQ(last, 640);
}

// The dispatcher skips a picture the engine refuses, with a message, and saves the others.
TEST(ExportBitmapEngine, RefusedPictureIsSkippedInASaveBitmapsRun)
{
    QTemporaryDir dir;
    ripping::DispatchOptions o;
    o.action = picture::ActionMode::SaveBitmaps;
    o.withTiming = true;
    o.pictureBase = dir.filePath(QStringLiteral("movie"));
    ripping::RunState run;
    test::FakeSubtitles subs;
    test::RecordingRecognition recognition(subs);
    ExportBitmapEngine engine;
    engine.settings = exampleSettings();
    test::ScriptedDispatchHost host;
    ripping::SpuDispatcher dispatcher(o, run, subs, recognition, engine, host);
    const QByteArray unit = test::buildUnit({{0, false}, {176, true}});
    const auto feed = [&](int64_t atMs) {
        ++run.spuCount;
        ++run.spuCountTotal;
        return dispatcher.handleUnit({{reinterpret_cast<const uint8_t *>(unit.constData()), size_t(unit.size())},
                                      core::millisecondsToTimeCode(atMs), 0, run.spuCount});
    };
    ASSERT_TRUE(feed(1000).ok());
    engine.settings.bmp.depth = 0;
    ASSERT_TRUE(feed(5000).ok());
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("movie00001.bmp"))));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("movie00002.bmp"))));
    EXPECT_EQ(subs.entries.size(), 1u) << "no subtitle for a picture without a file";
    ASSERT_EQ(host.warnings.size(), 1);
    EXPECT_TRUE(host.warnings.front().startsWith(QStringLiteral("Subtitle picture 2 is not exported"))) << host.warnings.front().toStdString();
}

struct RunCase {
    const char *name;
    int preset;
    bool compress;
    void (*change)(ExportSettings &);
};
void PrintTo(const RunCase &c, std::ostream *os) { *os << c.name; }

const RunCase kRuns[] = {
    // The Scenarist preset as it loads: full-width bitmaps of codes, 4 bits, run-length compressed.
    {"scenarist_rle4", core::PresetSonicScenarist, true, noChange},
    // DVDMaestro: codes at 8 bits, left on a multiple of 8 and top of 2, RLE8.
    {"dvdmaestro_rle8", core::PresetSpruceDvdMaestro, true,
     [](ExportSettings &s) { s.bmp.depth = BmpOutSettings::EightBits; }},
    // DVD colours, plain 8 bits, picture at the bottom right of a larger bitmap and then centred on the frame.
    {"svcd_plain_positioned", core::PresetPhilipsSvcd, false,
     [](ExportSettings &s) {
         s.bmp.depth = BmpOutSettings::EightBits;
         s.bmp.cropMinY = 80;
         s.bmp.cropXPosMode = 2;
         s.bmp.cropYPosMode = 2;
         s.bmp.positioningEnabled = true;
         s.bmp.posXMode = 1;
         s.bmp.posYMode = 2;
         s.bmp.posShiftY = -20;
     }},
};

class SaveBitmapsRun : public testing::TestWithParam<RunCase> {};

// Every unit of the title set, decoded by FFmpeg and placed by the settings, must be what FFmpeg
// reads back from the bitmap file the run wrote for it; the subtitles carry the bitmaps' rectangles.
TEST_P(SaveBitmapsRun, BitmapsAreTheDecodedSubpicturesPlacedAsTheSettingsSay)
{
    const RunCase &c = GetParam();
    const QString vob = test::dataPath(QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS/VTS_01_1.VOB"));
    auto units = test::demuxSpuUnits(vob);
    ASSERT_TRUE(units.ok()) << units.error().message().toStdString();
    auto reference = test::AvSpuDecoder::open();
    ASSERT_TRUE(reference.ok());

    QTemporaryDir dir;
    ripping::DispatchOptions o;
    o.action = picture::ActionMode::SaveBitmaps;
    o.withTiming = true;
    o.minDurationMs = 0;
    o.pictureBase = dir.filePath(QStringLiteral("movie"));
    o.dvdPalette = dvdColours();
    ripping::RunState run;
    run.vobList = {vob};
    run.vobSizes = {QFileInfo(vob).size()};
    run.totalBytes = run.vobSizes.front();
    run.streamId = 0x20;
    run.useMap = false;
    test::FakeSubtitles subs;
    test::RecordingRecognition recognition(subs);
    ExportBitmapEngine engine;
    engine.settings.bmp = core::defaultBmpOutPreset(c.preset);
    engine.settings.bmp.compress = c.compress;
    engine.settings.preset = c.preset;
    engine.settings.frameHeight = 576;
    c.change(engine.settings);
    test::ScriptedDispatchHost host;
    ripping::SpuDispatcher dispatcher(o, run, subs, recognition, engine, host);
    ripping::SilentVobPassHost passHost;
    ripping::VobPass pass(run, passHost, dispatcher);
    for (int guard = 0; guard < 100 && !run.finished() && !run.stopped; ++guard)
        ASSERT_FALSE(pass.readCurrentFile().error.has_value());
    EXPECT_TRUE(host.warnings.isEmpty()) << host.warnings.join(QLatin1Char('\n')).toStdString();

    const ExportSettings &s = engine.settings;
    size_t n = 0;
    for (const test::AvSpuUnit &unit : *units) {
        if (unit.substream != 0)
            continue;
        const test::AvSpuPicture theirs = (*reference)->decode(unit.bytes);
        ASSERT_TRUE(theirs.hasPicture);
        ASSERT_LT(n, subs.entries.size());
        const QString name = QStringLiteral("movie%1.bmp").arg(n + 1, 5, 10, QLatin1Char('0'));
        SCOPED_TRACE(name.toStdString());

        // FFmpeg's picture: its pixels are the codes; code c shows DVD colour paletteIndex[c].
        DecodedPicture asFfmpeg;
        asFfmpeg.codes.reset(theirs.width, theirs.height);
        asFfmpeg.codes.bytes = theirs.pixels;
        for (int k = 0; k < 4; ++k)
            asFfmpeg.contrastMap[size_t(k)] = uint8_t(theirs.contrast[size_t(k)]);
        ExportBackground background;
        chooseExportBackground(asFfmpeg, background);
        const bool codes = c.preset == core::PresetSonicScenarist || c.preset == core::PresetSpruceDvdMaestro;
        const auto shown = [&](int code) { return uint8_t(codes ? code : theirs.paletteIndex[size_t(code)]); };

        const CropGeometry g = computeCropGeometry(s, theirs.width, theirs.height,
                                                   {theirs.x, theirs.y, theirs.x + theirs.width - 1, theirs.y + theirs.height - 1});
        std::vector<uint8_t> expected(size_t(g.width) * size_t(g.height), shown(background.code));
        for (int y = 0; y < theirs.height; ++y)
            for (int x = 0; x < theirs.width; ++x)
                expected[size_t(y + g.offsetY) * size_t(g.width) + size_t(x + g.offsetX)] =
                    shown(theirs.pixels[size_t(y) * size_t(theirs.width) + size_t(x)]);

        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        const int bits = s.bmp.depth == BmpOutSettings::FourBits ? 4 : 8;
        EXPECT_EQ(uint8_t(bytes[28]), bits);
        EXPECT_EQ(uint8_t(bytes[30]), c.compress ? (bits == 4 ? 2 : 1) : 0);
        auto decoded = test::decodeBmpWithFfmpeg(bytes);
        ASSERT_TRUE(decoded.ok()) << decoded.error().message().toStdString();
        ASSERT_EQ(decoded->width, g.width);
        ASSERT_EQ(decoded->height, g.height);
        EXPECT_EQ(decoded->indices, expected);
        if (!codes) {
            EXPECT_EQ(std::vector<uint32_t>(decoded->palette.begin(), decoded->palette.begin() + 16),
                      std::vector<uint32_t>(o.dvdPalette.begin(), o.dvdPalette.end()));
        }

        picture::Rect rect{g.left, g.top, g.left + g.width - 1, g.top + g.height - 1};
        if (s.bmp.positioningEnabled) {
            const int x = (kExportFrameWidth - g.width) / 2;
            const int y = std::max(0, 576 - g.height - 20);
            rect = {x, y, x + g.width - 1, y + g.height - 1};
        }
        EXPECT_EQ(subs.entries[n].rect, rect);
        EXPECT_EQ(subs.entries[n].line, name);
        ++n;
    }
    EXPECT_EQ(n, 10u);
    EXPECT_EQ(subs.entries.size(), n);
}

INSTANTIATE_TEST_SUITE_P(, SaveBitmapsRun, testing::ValuesIn(kRuns), [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace glyfex::subtitles
