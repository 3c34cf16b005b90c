// The configuration's recognition and output-format blocks carried into the records their users read, and back.
#include "ripping/settings_blocks.h"

#include "support/qt_print.h"

#include <gtest/gtest.h>

using namespace glyfex;
using namespace glyfex::ripping;

namespace {

core::Config changedConfig()
{
    core::Config c = core::Config::defaults({QStringLiteral("/m"), QStringLiteral("/s")});
    c.dropFrame = false;
    core::Config::OutputFormats &f = c.output;
    f.gxtExtended = true;
    f.gxtColorTags = true;
    f.frameRate = QStringLiteral("29.970");
    f.microDvdRateLine = false;
    f.tmPlayerVariant = 4;
    f.sv2PreserveStyles = true;
    f.sv2Font = QStringLiteral("Verdana,20,0,Italic");
    f.stlColors = {1, 2, 3, 4};
    f.stlContrasts = {5, 6, 7, 8};
    f.stlHorzAlign = 2;
    f.stlXOffset = 700;
    f.stlVertAlign = 0;
    f.stlYOffset = 500;
    f.stlFont = QStringLiteral("\"Courier New\",30,2,Underline");
    f.ssaColors = {9, 10, 11, 0xFFFFFF};
    f.ssaMargin = 700;
    f.ssaMarginV = 500;
    f.ssaBorder = 40;
    f.ssaShadow = 41;
    f.ssaFont = QStringLiteral("Tahoma,24,204,Bold");
    f.minimumInterval = 900;
    f.maestroExtended = false;
    return c;
}

TEST(SettingsBlocks, OutputOptionsComeBackAsTheConfigurationHeldThem)
{
    for (const core::Config &c : {core::Config::defaults({}), changedConfig()}) {
        subtitles::FormatOptions options;
        applyOutputConfig(c, options);
        core::Config back = core::Config::defaults({});
        collectOutputConfig(options, back);
        EXPECT_EQ(back.output, c.output);
        EXPECT_EQ(back.dropFrame, c.dropFrame);
    }
}

TEST(SettingsBlocks, TheWritersSeeTheConfiguredOptions)
{
    subtitles::FormatOptions options;
    applyOutputConfig(changedConfig(), options);
    EXPECT_FALSE(options.dropFrame);
    EXPECT_EQ(options.ssaFont.name, QStringLiteral("Tahoma"));
    EXPECT_EQ(options.ssaFont.charset, 204);
    EXPECT_TRUE(options.ssaFont.bold);
    EXPECT_EQ(options.stlFont.name, QStringLiteral("Courier New"));
    EXPECT_EQ(options.stlContrasts[3], 8);
    EXPECT_EQ(options.tmPlayerVariant, 4);
}

TEST(SettingsBlocks, AFontTextThatIsNoFontKeepsTheFontBefore)
{
    core::Config c = core::Config::defaults({});
    c.output.ssaFont = QStringLiteral("Arial"); // a name alone
    subtitles::FormatOptions options;
    options.ssaFont.name = QStringLiteral("Before");
    applyOutputConfig(c, options);
    EXPECT_EQ(options.ssaFont.name, QStringLiteral("Before"));
}

TEST(SettingsBlocks, RecognitionTuningComesBackUnchanged)
{
    core::Config::Ocr ocr;
    ocr.minLineHeight = 9;
    ocr.maxLineHeight = 40;
    ocr.minInterLine = 3;
    ocr.minCharWidth = 4;
    ocr.minCharHeight = 5;
    ocr.spaceWidth = -2;
    ocr.checkDetachedChar = false;
    ocr.sensibility = 950;
    ocr.maxCharDiffWidth = 6;
    ocr.maxCharDiffHeight = 7;
    ocr.maxCharDiffTop = 8;
    const recognition::OcrSettings s = ocrSettingsOf(ocr);
    EXPECT_EQ(s.maxLineHeight, 40);
    EXPECT_EQ(s.spaceWidth, -2);
    EXPECT_EQ(ocrConfigOf(s), ocr);
    EXPECT_EQ(ocrConfigOf(recognition::OcrSettings{}), core::Config::Ocr{}) << "the two sets of defaults agree";
}

} // namespace
