// The authoring-tool scripts: whole files against golden files (DVD colours under PAL, a loaded file under NTSC),
// the colour and contrast lines, the numbers and times each tool reads, and the palette file.
#include "core/ini_store.h"
#include "subtitles/format_writers.h"
#include "subtitles/renderer.h"
#include "subtitles/subtitle_saver.h"

#include "qt_printers.h"
#include "subtitle_builder.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

namespace glyfex::subtitles {
namespace {

using core::TimeCode;

Subtitle picture(TimeCode start, TimeCode stop, QStringList lines, uint16_t colourWord, uint16_t contrastWord)
{
    Subtitle s = test::makeSubtitle(start, stop, std::move(lines));
    s.rect.left = 100;
    s.rect.top = 400;
    s.rect.right = 619;
    s.rect.bottom = 459;
    s.colourWord = colourWord;
    s.contrastWord = contrastWord;
    return s;
}

// Two pictures with the same colours close together, then one with another contrast and a second text line.
SubtitleStore sampleStore()
{
    SubtitleStore store;
    store.subs = {
        picture({0, 0, 1, 234}, {0, 0, 3, 0}, {QStringLiteral("title_0001.bmp")}, 0x3210, 0xFF00),
        picture({0, 0, 2, 990}, {0, 0, 5, 0}, {QStringLiteral("title_0002.bmp")}, 0x3210, 0xFF00),
        picture({0, 1, 0, 950}, {0, 1, 2, 0}, {QStringLiteral("title_0003.bmp"), QStringLiteral("second line")}, 0x3210,
                0xF0F0),
    };
    return store;
}

PictureScriptSource sampleSource(bool loadedFromFile)
{
    PictureScriptSource source;
    for (size_t i = 0; i < source.dvdColours.size(); ++i)
        source.dvdColours[i] = uint32_t(i * 16) | uint32_t(255 - i * 16) << 8 | uint32_t(i * 3) << 16;
    const core::BmpOutPresets presets = core::readBmpOutPresets(core::IniStore(), core::DefaultBmpOutPreset);
    for (size_t i = 0; i < source.presets.size(); ++i)
        source.presets[i] = presets.presets[i];
    source.loadedFromFile = loadedFromFile;
    source.bitmapFolder = QStringLiteral("/home/user/bitmaps/");
    return source;
}

// The saved text: the list plus the trailer, or the generated pages for I-Author.
QStringList fileLines(OutputFormat format, const FormatOptions &options, const PictureScriptSource &source,
                      const SubtitleStore &store)
{
    Renderer renderer;
    EXPECT_TRUE(renderer.setOutput(format, options).ok());
    renderer.setGeneratedAt(QStringLiteral("12/10/2026 10:00:00"));
    renderer.setPictureScriptSource(source);
    renderer.rebuild(store);
    const QStringList lines = format == OutputFormat::IAuthor ? renderer.iAuthorFile(store) : renderer.lines();
    return lines + trailerLines(format);
}

struct GoldenCase {
    const char *variant;
    bool ntsc;
    bool loadedFromFile;
};

// Listings show a row by its variant rather than by its bytes, which hold a pointer.
void PrintTo(const GoldenCase &c, std::ostream *os) { *os << c.variant; }

class ScriptFiles : public testing::TestWithParam<std::tuple<int, GoldenCase>> {};

// GLYFEX_WRITE_GOLDEN=1 rewrites the golden files, whose diff is then reviewed by hand.
TEST_P(ScriptFiles, MatchTheGoldenFile)
{
    const auto [number, c] = GetParam();
    const auto format = OutputFormat(number);
    FormatOptions options;
    options.frameRateIndex = c.ntsc ? 1 : 0;
    options.philipsTitle = QStringLiteral("Sample");
    const QString name =
        QStringLiteral("subtitles/golden/scripts/%1-%2.%3").arg(number).arg(QLatin1String(c.variant)).arg(defaultExtension(format));
    const QString text =
        fileLines(format, options, sampleSource(c.loadedFromFile), sampleStore()).join(QLatin1Char('\n')) + QLatin1Char('\n');
    if (qEnvironmentVariableIsSet("GLYFEX_WRITE_GOLDEN")) {
        test::writeBytes(test::dataPath(name), text.toUtf8());
        return;
    }
    const std::vector<uint8_t> golden = test::readBytes(test::dataPath(name));
    EXPECT_EQ(text, QString::fromUtf8(reinterpret_cast<const char *>(golden.data()), qsizetype(golden.size())));
}

INSTANTIATE_TEST_SUITE_P(PictureScripts, ScriptFiles,
                         testing::Combine(testing::Range(kFirstPictureScriptFormat, kOutputFormatCount),
                                          testing::Values(GoldenCase{"pal-dvd", false, false},
                                                          GoldenCase{"ntsc-loaded", true, true})),
                         [](const auto &info) {
                             return std::string(std::get<1>(info.param).variant[0] == 'p' ? "PalDvd" : "NtscLoaded") +
                                    std::to_string(std::get<0>(info.param));
                         });

QStringList entryLines(OutputFormat format, const FormatOptions &options, const PictureScriptSource &source,
                       const SubtitleStore &store)
{
    Renderer renderer;
    EXPECT_TRUE(renderer.setOutput(format, options).ok());
    renderer.setPictureScriptSource(source);
    for (int i = 1; i <= store.count(); ++i) {
        renderer.renderSubtitle(store, i);
    }
    return renderer.lines();
}

TEST(PictureScripts, ColourAndContrastLinesOnlyWhereTheyChange)
{
    const SubtitleStore store = sampleStore();
    const PictureScriptSource dvd = sampleSource(false);
    EXPECT_EQ(entryLines(OutputFormat::PhilipsSvcdDesigner, {}, dvd, store),
              (QStringList{"COLOR\t\t(0 1 2 3)", "CONTRAST\t(0 0 15 15)", "title_0001.bmp 00:00:01:06 00:00:03:00 520 060 100 400",
                           "title_0002.bmp 00:00:03:00 00:00:05:00 520 060 100 400", "CONTRAST\t(0 15 0 15)",
                           "title_0003.bmp 00:01:00:24 00:01:02:00 520 060 100 400"}));
    // The Scenarist counts colours from 1, DVDMaestro from 0.
    const QStringList scenarist = entryLines(OutputFormat::SonicScenarist, {}, dvd, store);
    EXPECT_EQ(scenarist.mid(0, 3), (QStringList{"Color\t\t(1 2 3 4)", "Contrast\t(0 0 15 15)", "1\t\t00:00:01:06\t00:00:03:00\ttitle_0001.bmp"}));
    FormatOptions maestro;
    maestro.maestroOffset = 100;
    const QStringList m = entryLines(OutputFormat::SpruceDvdMaestro, maestro, dvd, store);
    EXPECT_EQ(m.mid(0, 4), (QStringList{"Color\t\t(0 1 2 3)", "Contrast\t(0 0 15 15)", "Display_Area\t(100 400 619 459)",
                                       "0101\t\t00:00:01:06\t00:00:03:00\ttitle_0001.bmp"}));

    // 8-bit Philips bitmaps carry no palette, so no colour line either.
    PictureScriptSource eightBits = dvd;
    eightBits.presets[core::PresetPhilipsSvcd].depth = core::BmpOutSettings::EightBits;
    EXPECT_EQ(entryLines(OutputFormat::PhilipsSvcdDesigner, {}, eightBits, store).first(), "CONTRAST\t(0 0 15 15)");

    // Subtitles read from a file, or a preset with its own colours: no colour or contrast lines at all.
    for (const bool loaded : {true, false}) {
        PictureScriptSource custom = sampleSource(loaded);
        for (auto &preset : custom.presets)
            preset.customColours = !loaded;
        for (const auto format : {OutputFormat::PhilipsSvcdDesigner, OutputFormat::SonicScenarist, OutputFormat::SpruceDvdMaestro}) {
            const QStringList lines = entryLines(format, {}, custom, store);
            for (const QString &line : lines)
                EXPECT_FALSE(line.startsWith(QLatin1String("Color"), Qt::CaseInsensitive) ||
                             line.startsWith(QLatin1String("Contrast"), Qt::CaseInsensitive))
                    << int(format) << ": " << line.toStdString();
        }
    }
}

TEST(PictureScripts, IAuthorTimesAreShiftedAndKeepTheMinimumInterval)
{
    SubtitleStore store;
    store.subs = {picture({0, 0, 1, 0}, {0, 0, 2, 950}, {QStringLiteral("a.bmp")}, 0, 0),
                  picture({0, 0, 3, 0}, {0, 0, 4, 0}, {QStringLiteral("b.bmp")}, 0, 0),
                  picture({0, 0, 5, 0}, {0, 0, 6, 0}, {}, 0, 0),
                  picture({0, 0, 1, 234}, {0, 0, 0, 950}, {QStringLiteral("c.bmp")}, 0, 0)};
    FormatOptions options;
    options.minimumInterval = 200;
    const QStringList file = fileLines(OutputFormat::IAuthor, options, sampleSource(false), store);
    // The stop kept 200 ms before the next start (2.800 s), plus the 100 ms every time gets.
    EXPECT_TRUE(file.contains("TIME: 2.90 DISABLE_OGT"));
    EXPECT_TRUE(file.contains("STARTTIME: 1.33"));
    EXPECT_TRUE(file.contains("TIME: 1.05 DISABLE_OGT"));
    // The subtitle without text gives no page, and pages keep their store numbers.
    EXPECT_TRUE(file.contains("************ Page #4 Finished ***************"));
    EXPECT_FALSE(file.contains("************ Page #3 Finished ***************"));
}

TEST(PictureScripts, SplitModeKeepsTheIntervalInTheClippedTimes)
{
    SubtitleStore store;
    store.subs = {picture({0, 1, 1, 0}, {0, 1, 2, 950}, {QStringLiteral("a.bmp")}, 0, 0),
                  picture({0, 1, 3, 0}, {0, 1, 4, 0}, {QStringLiteral("b.bmp")}, 0, 0)};
    FormatOptions options;
    options.minimumInterval = 200;
    Renderer renderer;
    ASSERT_TRUE(renderer.setOutput(OutputFormat::IAuthor, options).ok());
    renderer.setSplit(true, SplitRange{{0, 1, 0, 0}, {0, 2, 0, 0}});
    const QStringList file = renderer.iAuthorFile(store);
    EXPECT_TRUE(file.contains("STARTTIME: 1.10"));
    EXPECT_TRUE(file.contains("TIME: 2.90 DISABLE_OGT")) << file.join('\n').toStdString();
}

TEST(PictureScripts, NamesWithBlanksOrTabsBreakTheSeparatedScripts)
{
    const Subtitle blank = picture({}, {}, {QStringLiteral("my title.bmp")}, 0, 0);
    const Subtitle tab = picture({}, {}, {QStringLiteral("my\ttitle.bmp")}, 0, 0);
    const Subtitle plain = picture({}, {}, {QStringLiteral("title.bmp"), QStringLiteral("a second line")}, 0, 0);
    for (int f = kFirstPictureScriptFormat + 1; f < kOutputFormatCount; ++f) {
        EXPECT_TRUE(nameBreaksScript(OutputFormat(f), blank)) << f;
        EXPECT_TRUE(nameBreaksScript(OutputFormat(f), tab)) << f;
        EXPECT_FALSE(nameBreaksScript(OutputFormat(f), plain)) << f;
    }
    // I-Author reads the whole rest of its BMPFILE line, and text formats name no bitmap.
    EXPECT_FALSE(nameBreaksScript(OutputFormat::IAuthor, blank));
    EXPECT_FALSE(nameBreaksScript(OutputFormat::Glyfex, blank));
}

TEST(PictureScripts, MaestroPaletteFileFollowsTheColoursInUse)
{
    PictureScriptSource source = sampleSource(false);
    const QByteArray dvd = maestroPalette(source);
    ASSERT_EQ(dvd.size(), 64);
    EXPECT_EQ(uint8_t(dvd[15 * 4 + 0]), 240);
    EXPECT_EQ(uint8_t(dvd[15 * 4 + 1]), 15);
    EXPECT_EQ(uint8_t(dvd[15 * 4 + 2]), 45);
    source.presets[core::PresetSpruceDvdMaestro].customColour = {0x0000FF, 0x00FF00, 0xFF0000, 0x010203};
    source.loadedFromFile = true;
    const QByteArray custom = maestroPalette(source);
    EXPECT_EQ(custom.left(16), QByteArray("\xFF\0\0\0\0\xFF\0\0\0\0\xFF\0\x03\x02\x01\0", 16));
    EXPECT_EQ(custom.mid(16), QByteArray(48, '\0'));
}

} // namespace
} // namespace glyfex::subtitles
