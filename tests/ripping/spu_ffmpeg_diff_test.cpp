// Our subpicture decoder against FFmpeg's on every unit of real DVD material: rectangle, pixel codes, display times.
#include "ripping/spu_decoder.h"

#include "support/av_spu_demuxer.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <QFile>

#include <ostream>
#include <string>

namespace glyfex::ripping {
namespace {

struct Material {
    const char *name;
    const char *file;   // below tests/data
    int frameWidth, frameHeight;
    int units;          // the subtitles its gt.srt lists
};
void PrintTo(const Material &c, std::ostream *os) { *os << c.name; }

class SpuFfmpegDiff : public ::testing::TestWithParam<Material> {};

// Pixels must agree up to codes that show the same palette entry and contrast, which FFmpeg cannot
// tell apart; where a palette entry belongs to one code only, the codes must be equal.
int countPixelMismatches(const picture::DecodedPicture &ours, const test::AvSpuPicture &theirs, std::string &first)
{
    int mismatches = 0;
    for (int y = 0; y < theirs.height; ++y) {
        for (int x = 0; x < theirs.width; ++x) {
            const size_t i = size_t(y) * size_t(theirs.width) + size_t(x);
            const int entry = theirs.pixels[i];
            const int code = ours.codes.bytes[i];
            int sharing = 0;
            for (int c = 0; c < 4; ++c)
                sharing += ours.colourMap[c] == theirs.paletteIndex[entry] && ours.contrastMap[c] == theirs.contrast[entry];
            const bool same = ours.colourMap[code] == theirs.paletteIndex[entry]
                           && ours.contrastMap[code] == theirs.contrast[entry] && (sharing > 1 || code == entry);
            if (!same && mismatches++ == 0)
                first = "at " + std::to_string(x) + "," + std::to_string(y) + ": our code " + std::to_string(code)
                      + ", FFmpeg's entry " + std::to_string(entry);
        }
    }
    return mismatches;
}

TEST_P(SpuFfmpegDiff, EveryUnitDecodesAsFfmpegDecodesIt)
{
    const Material &m = GetParam();
    auto units = test::demuxSpuUnits(test::dataPath(QString::fromLatin1(m.file)));
    ASSERT_TRUE(units.ok()) << units.error().message().toStdString();
    ASSERT_EQ(int(units->size()), m.units);
    auto reference = test::AvSpuDecoder::open();
    ASSERT_TRUE(reference.ok()) << reference.error().message().toStdString();

    picture::DecodedPicture ours;
    for (size_t n = 0; n < units->size(); ++n) {
        SCOPED_TRACE("unit " + std::to_string(n + 1));
        const auto &unit = (*units)[n];
        // A real unit is whole: the run must never count one of them as damaged.
        EXPECT_TRUE(decodeSubpicture(unit.bytes, m.frameWidth, m.frameHeight, ours));
        const test::AvSpuPicture theirs = (*reference)->decode(unit.bytes);
        ASSERT_TRUE(theirs.hasPicture);

        const picture::SpuControlSequence &s = ours.first();
        EXPECT_EQ((std::array{s.x1, s.y1, s.x2, s.y2}),
                  (std::array{theirs.x, theirs.y, theirs.x + theirs.width - 1, theirs.y + theirs.height - 1}));
        ASSERT_EQ(ours.codes.width, theirs.width);
        ASSERT_EQ(ours.codes.height, theirs.height);
        std::string first;
        EXPECT_EQ(countPixelMismatches(ours, theirs, first), 0) << first;

        // Display start is the first sequence's delay, stop the last one's when it stops the display.
        const picture::SpuControlSequence &last = ours.sequences.back();
        EXPECT_EQ(s.state, picture::SpuControlSequence::DisplayStart);
        EXPECT_EQ(s.delayMs, theirs.startMs);
        EXPECT_EQ(last.state == picture::SpuControlSequence::DisplayStop ? last.delayMs : 0u, theirs.endMs);
        EXPECT_EQ(ours.forced, theirs.forced);
    }
}

INSTANTIATE_TEST_SUITE_P(, SpuFfmpegDiff, ::testing::Values(
    Material{"PalSansVob", "dvd-pal-sans/dvd/VIDEO_TS/VTS_01_1.VOB", 720, 576, 10},
    Material{"PalSansOutlineVob", "dvd-pal-sans-outline/dvd/VIDEO_TS/VTS_01_1.VOB", 720, 576, 10},
    Material{"PalSansVobSub", "dvd-pal-sans/vobsub.sub", 720, 576, 10},
    Material{"NtscSerifOutlineVobSub", "spu/ntsc-serif-outline/vobsub.sub", 720, 480, 12}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace glyfex::ripping
