// The Bitmap adjustment steps without widgets: changes while the controls fill, the unattended run, the preview palette.
#include "subtitles/bitmap_adjust_session.h"

#include "core/ini_store.h"

#include <gtest/gtest.h>

namespace glyfex::subtitles {
namespace {

TEST(BitmapAdjustSession, ChangesWhileTheControlsFillAreIgnored)
{
    core::BmpOutPresets presets = core::readBmpOutPresets(core::IniStore(), core::DefaultBmpOutPreset);
    const core::BmpOutPresets before = presets;
    BitmapAdjustSession *self = nullptr;
    std::vector<OutputFormat> formats;
    bool editTaken = true;
    BitmapAdjustSession session(presets, {[&](const core::BmpOutSettings &s, int) {
                                              // A control's change handler firing while it is being set.
                                              core::BmpOutSettings changed = s;
                                              changed.cropMinX = 1;
                                              editTaken = self->edit(changed);
                                          },
                                          [&](OutputFormat f) { formats.push_back(f); }, {}});
    self = &session;
    session.show(OutputFormat::PinnacleImpression);
    EXPECT_FALSE(editTaken);
    EXPECT_EQ(presets.presets, before.presets);
    EXPECT_EQ(presets.current, core::PresetPinnacleImpression);
    EXPECT_EQ(formats, std::vector<OutputFormat>{OutputFormat::PinnacleImpression});
    EXPECT_TRUE(session.isReady());
}

TEST(BitmapAdjustSession, CommandLineRunsOnlyShowAndOk)
{
    core::BmpOutPresets presets = core::readBmpOutPresets(core::IniStore(), core::PresetIAuthor);
    presets.presets[core::PresetSpruceDvdMaestro].cropMinX = 64;
    OutputFormat format = OutputFormat::Glyfex;
    BitmapAdjustSession session(presets, {{}, [&](OutputFormat f) { format = f; }, {}});
    session.setShowBeforeNext(true);
    session.runUnattended(OutputFormat::SpruceDvdMaestro);
    EXPECT_EQ(presets.current, core::PresetSpruceDvdMaestro);
    EXPECT_EQ(presets.settings.cropMinX, 64);
    EXPECT_EQ(format, OutputFormat::SpruceDvdMaestro);
    EXPECT_TRUE(session.savePicture());
    EXPECT_FALSE(session.showBeforeNext());
}

TEST(BitmapAdjustSession, PreviewPaletteFollowsThePreset)
{
    core::BmpOutPresets presets = core::readBmpOutPresets(core::IniStore(), core::DefaultBmpOutPreset);
    std::array<uint32_t, 16> dvd{};
    for (size_t i = 0; i < dvd.size(); ++i)
        dvd[i] = uint32_t(0x010101 * (i + 1));
    BitmapAdjustSession session(presets, {});
    session.show(OutputFormat::SonicScenarist);
    std::vector<uint32_t> palette = session.previewPalette(dvd);
    ASSERT_EQ(palette.size(), 16u);
    EXPECT_EQ(std::vector<uint32_t>(palette.begin(), palette.begin() + 5),
              (std::vector<uint32_t>{0x0000FF, 0x000000, 0xFF0000, 0xFFFFFF, 0}));
    session.show(OutputFormat::SonicDvdCreator);
    palette = session.previewPalette(dvd);
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[15], 0x101010u);
    EXPECT_EQ(palette[16], 0u);
}

} // namespace
} // namespace glyfex::subtitles
