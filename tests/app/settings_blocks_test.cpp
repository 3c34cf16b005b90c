// The configuration's recognition and output-format blocks carried into the records their users read, and back.
#include "app/settings_blocks.h"

#include "support/changed_config.h"
#include "support/qt_print.h"

#include <gtest/gtest.h>

using namespace glyfex;
using namespace glyfex::app;

namespace {

TEST(SettingsBlocks, OutputOptionsComeBackAsTheConfigurationHeldThem)
{
    for (const core::Config &c : {core::Config::defaults({}), test::changedEverywhere()}) {
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
    applyOutputConfig(test::changedEverywhere(), options);
    EXPECT_FALSE(options.dropFrame);
    EXPECT_EQ(options.ssaFont.name, QStringLiteral("Tahoma"));
    EXPECT_EQ(options.ssaFont.size, 28);
    EXPECT_TRUE(options.ssaFont.italic);
    EXPECT_FALSE(options.ssaFont.bold);
    EXPECT_EQ(options.stlFont.size, 30);
    EXPECT_EQ(options.stlContrasts[3], 4);
    EXPECT_EQ(options.tmPlayerVariant, 5);
    EXPECT_EQ(options.frameRateText, QStringLiteral("25"));
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
