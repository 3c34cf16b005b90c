// The bitmap-export presets: per-tool defaults, fixed depths, damaged values, profile round trips.
#include "core/bmp_out_settings.h"

#include "core/ini_store.h"

#include "support/test_data.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace glyfex::core;

namespace {

BmpOutPresets readText(const QString &text, int frameHeight = PalFrameHeight)
{
    IniStore store;
    store.setStrings(text.split(u'\n'));
    return readBmpOutPresets(store, DefaultBmpOutPreset, frameHeight);
}

} // namespace

TEST(BmpOutPresets, AFileWithoutPresetsGivesEachToolsDefaults)
{
    const BmpOutPresets p = readText(QString());
    const BmpOutSettings &scenarist = p.presets[PresetSonicScenarist];
    EXPECT_EQ(scenarist.cropMinX, 720);
    EXPECT_EQ(scenarist.cropMinY, 574);
    EXPECT_EQ(scenarist.depth, BmpOutSettings::FourBits);
    EXPECT_EQ(scenarist.customColour, (std::array<uint32_t, 4>{0, 0xFFFFFF, 0xFF0000, 0x808080}));
    EXPECT_EQ(p.presets[PresetIAuthor].customColour, (std::array<uint32_t, 4>{0, 0xFFFFFF, 0, 0x808080}));
    EXPECT_EQ(p.presets[PresetIAuthor].cropMinX, 16);
    EXPECT_EQ(p.presets[PresetSpruceDvdMaestro].cropDivL, 8);
    EXPECT_EQ(p.presets[PresetSpruceDvdMaestro].cropDivT, 2);
    EXPECT_EQ(p.presets[PresetSonicDvdCreator].depth, BmpOutSettings::EightBits);
    EXPECT_EQ(p.current, PresetSonicScenarist);
    EXPECT_TRUE(p.settings == scenarist);
    // An NTSC frame lowers the full-frame tools' minimum height with it.
    EXPECT_EQ(readText(QString(), 480).presets[PresetPinnacleImpression].cropMinY, 478);
}

TEST(BmpOutPresets, DepthIsReadOnlyWhereTheToolLetsTheUserChooseIt)
{
    const BmpOutPresets p = readText(QStringLiteral("[BMPOUT 0]\nColors_BitPerPixel=8\n"
                                                    "[BMPOUT 1]\nColors_BitPerPixel=8\n"
                                                    "[BMPOUT 2]\nColors_BitPerPixel=4\n"
                                                    "[BMPOUT 3]\nColors_BitPerPixel=264\n"
                                                    "[BMPOUT 4]\nColors_BitPerPixel=abc\n"));
    EXPECT_EQ(p.presets[0].depth, BmpOutSettings::FourBits);
    EXPECT_EQ(p.presets[1].depth, BmpOutSettings::EightBits);
    EXPECT_EQ(p.presets[2].depth, BmpOutSettings::EightBits);
    EXPECT_EQ(p.presets[3].depth, BmpOutSettings::EightBits) << "264 keeps 8 in its low byte";
    EXPECT_EQ(p.presets[4].depth, BmpOutSettings::FourBits);
    EXPECT_EQ(p.presets[5].depth, BmpOutSettings::EightBits);
}

TEST(BmpOutPresets, ValuesOutsideTheirFieldsRangeTakeTheDefault)
{
    const struct {
        const char *line;
        int (*field)(const BmpOutSettings &);
        int expected;
    } rows[] = {
        {"Cropping_DivX=0", [](const BmpOutSettings &b) { return int(b.cropDivX); }, 8},
        {"Cropping_DivY=256", [](const BmpOutSettings &b) { return int(b.cropDivY); }, 2},
        {"Cropping_DivL=0", [](const BmpOutSettings &b) { return int(b.cropDivL); }, 1},
        {"Cropping_DivT=33", [](const BmpOutSettings &b) { return int(b.cropDivT); }, 1},
        {"Cropping_MinX=721", [](const BmpOutSettings &b) { return int(b.cropMinX); }, 16},
        {"Cropping_MinY=577", [](const BmpOutSettings &b) { return int(b.cropMinY); }, 50},
        {"Cropping_MinY=576", [](const BmpOutSettings &b) { return int(b.cropMinY); }, 576},
        {"Cropping_MinX=66256", [](const BmpOutSettings &b) { return int(b.cropMinX); }, 720}, // its low 16 bits
        {"Cropping_DivX=260", [](const BmpOutSettings &b) { return int(b.cropDivX); }, 4},       // its low byte
        {"Cropping_XPosMode=3", [](const BmpOutSettings &b) { return int(b.cropXPosMode); }, 1},
        {"Cropping_PosShift.X=-721", [](const BmpOutSettings &b) { return b.cropShiftX; }, 0},
        {"Cropping_PosShift.Y=-576", [](const BmpOutSettings &b) { return b.cropShiftY; }, -576},
        {"Colors_CustContrast_1=16", [](const BmpOutSettings &b) { return int(b.customContrast[1]); }, 15},
        {"Colors_CustColor_2=-1", [](const BmpOutSettings &b) { return int(b.customColour[2]); }, 0xFF0000},
        {"Positioning_XPosMode=4", [](const BmpOutSettings &b) { return int(b.posXMode); }, 0},
        {"Positioning_SetTo.X=720", [](const BmpOutSettings &b) { return b.posSetX; }, 0},
        {"Positioning_SetTo.Y=575", [](const BmpOutSettings &b) { return b.posSetY; }, 575},
        {"Positioning_PosShift.Y=$10", [](const BmpOutSettings &b) { return b.posShiftY; }, 16},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.line);
        const BmpOutPresets p = readText(QStringLiteral("[BMPOUT 1]\n") + QString::fromLatin1(row.line));
        EXPECT_EQ(row.field(p.presets[1]), row.expected);
    }
}

TEST(BmpOutPresets, AProfileRoundTripsAndKeepsTheOtherSections)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("profile.ini"));
    glyfex::test::writeBytes(path, "[CONFIG]\r\nActivePage=20\r\n");

    BmpOutPresets p = readText(QString());
    BmpOutSettings &b = p.presets[PresetSpruceDvdMaestro];
    b.croppingEnabled = false;
    b.cropMinX = 100;
    b.cropShiftY = -12;
    b.customColours = true;
    b.customColour = {1, 2, 3, 0xFFFFFF};
    b.customContrast = {15, 0, 7, 1};
    b.depth = BmpOutSettings::EightBits;
    b.compress = true;
    b.positioningEnabled = true;
    b.posXMode = 3;
    b.posSetX = 719;
    b.posYMode = 2;
    b.posShiftX = -720;
    // The current settings are not part of a profile.
    p.settings.cropMinX = 333;
    ASSERT_TRUE(saveBmpOutPresets(path, p).ok());

    const auto back = loadBmpOutPresets(path, PresetSpruceDvdMaestro);
    ASSERT_TRUE(back.ok());
    for (int n = 0; n < BmpOutPresetCount; ++n)
        EXPECT_TRUE(back->presets[n] == p.presets[n]) << "preset " << n;
    EXPECT_TRUE(back->settings == b);
    const auto store = IniStore::open(path);
    EXPECT_EQ(store->readString(QStringLiteral("CONFIG"), QStringLiteral("ActivePage")), QStringLiteral("20"));
    EXPECT_FALSE(store->valueExists(QStringLiteral("BMPOUT 0"), QStringLiteral("Colors_BitPerPixel")));
    EXPECT_EQ(store->readString(QStringLiteral("BMPOUT 4"), QStringLiteral("Colors_BitPerPixel")), QStringLiteral("8"));
}

TEST(BmpOutPresets, AnUnreadableProfileIsAnError)
{
    QTemporaryDir dir;
    // A folder where the profile should be: it cannot be read as a file.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("profile.ini")));
    const auto loaded = loadBmpOutPresets(dir.filePath(QStringLiteral("profile.ini")), 0);
    EXPECT_FALSE(loaded.ok());
    EXPECT_FALSE(saveBmpOutPresets(dir.filePath(QStringLiteral("profile.ini")), readText(QString())).ok());
}

namespace {

glyfex::core::Result<BmpOutPresets> readProfileText(const QByteArray &text)
{
    auto store = IniStore::fromBytes(text, QStringLiteral("profile.ini"));
    if (!store)
        return store.error();
    return readBmpOutProfile(*store, PresetSpruceDvdMaestro);
}

} // namespace

TEST(BmpOutProfile, IsTakenWholeOrRefusedWithItsPlace)
{
    struct Case {
        const char *text;
        const char *error; // empty: accepted
    };
    const Case cases[] = {
        {"[BMPOUT 2]\nCropping_MinX=100\n", ""},
        {"[BMPOUT 2]\nCropping_MinX=$10\nColors_CustColor_3=0xFFFFFF\n", ""},
        {"[BMPOUT 2]\nCropping_MinX=0\n", "[BMPOUT 2] Cropping_MinX: 0 is outside 1..720"},
        {"[BMPOUT 5]\nPositioning_PosShift.Y=-577\n", "[BMPOUT 5] Positioning_PosShift.Y: -577 is outside -576..576"},
        {"[BMPOUT 0]\nColors_CustColor_1=16777216\n", "Colors_CustColor_1: 16777216 is outside"},
        {"[BMPOUT 1]\nColors_Compress=yes\n", "[BMPOUT 1] Colors_Compress: \"yes\" is not a number"},
        {"[BMPOUT 1]\nColors_Compress=2\n", "outside 0..1"},
        {"[BMPOUT 4]\nColors_BitPerPixel=16\n", "16 is neither 4 nor 8"},
        {"[Glyfex]\nLanguage=English\n", "no [BMPOUT 0] to [BMPOUT 5] section"},
    };
    for (const Case &c : cases) {
        const auto read = readProfileText(c.text);
        if (!*c.error) {
            ASSERT_TRUE(read.ok()) << c.text << read.error().message().toStdString();
            EXPECT_EQ(read->current, PresetSpruceDvdMaestro);
            continue;
        }
        ASSERT_FALSE(read.ok()) << c.text;
        EXPECT_TRUE(read.error().message().contains(QLatin1String(c.error))) << read.error().message().toStdString();
        EXPECT_TRUE(read.error().message().contains(QStringLiteral("profile.ini"))) << read.error().message().toStdString();
    }
}

TEST(BmpOutProfile, MissingOrOversizedFilesAreRefused)
{
    QTemporaryDir dir;
    EXPECT_FALSE(loadBmpOutProfile(dir.filePath(QStringLiteral("none.ini")), 0).ok());
    const QString big = dir.filePath(QStringLiteral("big.ini"));
    glyfex::test::writeBytes(big, "[BMPOUT 0]\n" + QByteArray(300 * 1024, ';'));
    const auto read = loadBmpOutProfile(big, 0);
    ASSERT_FALSE(read.ok());
    EXPECT_TRUE(read.error().message().contains(QStringLiteral("more than a profile can be"))) << read.error().message().toStdString();
}
