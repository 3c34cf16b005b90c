// The application's settings blocks: what the configuration file holds reaches the records the program's parts read, and goes back at close.
#include "core/ini_store.h"
#include "app/app.h"

#include "support/app_test.h"
#include "support/qt_print.h"

#include <gtest/gtest.h>

using namespace glyfex;

namespace {

class AppSettingsTest : public test::AppTest {
protected:
    void writeConfig(std::initializer_list<std::array<const char *, 3>> values)
    {
        core::IniStore ini(app.paths.configFile());
        for (const auto &[section, key, value] : values)
            ini.writeString(QLatin1String(section), QLatin1String(key), QLatin1String(value));
        ASSERT_TRUE(ini.updateFile().ok());
    }

    QString saved(const char *section, const char *key) const
    {
        auto ini = core::IniStore::open(app.paths.configFile());
        return ini ? ini->readString(QLatin1String(section), QLatin1String(key), QStringLiteral("<missing>"))
                   : QStringLiteral("<unreadable>");
    }
};

TEST_F(AppSettingsTest, TheFileReachesRecognitionTheWritersAndTheOpenFilter)
{
    writeConfig({{"OCR SETTING", "MaxLineHeight", "40"},
                 {"OCR SETTING", "MinLineHeight", "302"}, // its low byte beyond a text line: the recognition's own value stays
                 {"OCR SETTING", "Sensibility", "900"},
                 {"CONFIG", "ActivePage", "12"},
                 {"BMP OUT TC & RES", "DropFrame", "0"},
                 {"SSA OUTPUT", "SelFont", "Tahoma,24,204,Bold"},
                 {"STL OUTPUT", "Contrast_1", "3"},
                 {"INPUT", "InPutType", "5"}});
    app.ocr.minLineHeight = 6;
    app.loadSettings();
    EXPECT_EQ(app.ocr.maxLineHeight, 40);
    EXPECT_EQ(app.ocr.minLineHeight, 6);
    EXPECT_EQ(app.ocr.sensibility, 900);
    EXPECT_EQ(app.config.main.activePage, 12);
    EXPECT_FALSE(app.formatOptions.dropFrame);
    EXPECT_EQ(app.formatOptions.ssaFont.name, QStringLiteral("Tahoma"));
    EXPECT_EQ(app.formatOptions.ssaFont.size, 24);
    EXPECT_EQ(app.formatOptions.stlContrasts[1], 3);
    EXPECT_EQ(app.inputType, 5);
}

TEST_F(AppSettingsTest, OutOfRangeValuesReachNobody)
{
    writeConfig({{"CONFIG", "ActivePage", "25"},
                 {"OCR SETTING", "MaxLineHeight", "46"},
                 {"SSA OUTPUT", "Border", "307"}, // its low byte 51 is still too wide
                 {"INPUT", "InPutType", "0"}});
    app.loadSettings();
    EXPECT_EQ(app.config.main.activePage, 11);
    EXPECT_EQ(app.ocr.maxLineHeight, 45);
    EXPECT_EQ(app.formatOptions.ssaBorder, 2);
    EXPECT_EQ(app.inputType, 7);
}

// A font text with fewer items than a font has: what is there is used, and a name alone (no font
// description at all) leaves the font as it was; loading goes on either way, and the dialog shows it.
TEST_F(AppSettingsTest, ShortFontTextsAreReadTolerantly)
{
    writeConfig({{"SSA OUTPUT", "SelFont", "Verdana"},
                 {"STL OUTPUT", "SelFont", "Verdana,30"},
                 {"SUBVIEWER2 OUTPUT", "SelFont", "Tahoma,12,Italic"},
                 {"SSA OUTPUT", "Border", "5"}});
    app.loadSettings();
    const subtitles::FontSpec &ssa = app.formatOptions.ssaFont;
    EXPECT_EQ(ssa.name, QStringLiteral("Arial"));
    EXPECT_EQ(ssa.size, 28);
    const subtitles::FontSpec &stl = app.formatOptions.stlFont;
    EXPECT_EQ(stl.name, QStringLiteral("Verdana"));
    EXPECT_EQ(stl.size, 30);
    EXPECT_EQ(stl.charset, 0);
    EXPECT_FALSE(stl.bold);
    const subtitles::FontSpec &sv2 = app.formatOptions.sv2Font;
    EXPECT_EQ(sv2.name, QStringLiteral("Tahoma"));
    EXPECT_EQ(sv2.charset, 0);
    EXPECT_TRUE(sv2.italic);
    EXPECT_EQ(app.formatOptions.ssaBorder, 5) << "the keys after it are read";
}

TEST_F(AppSettingsTest, WhatChangedDuringTheRunIsSavedButTheTuningOnlyByItsOwnDialog)
{
    writeConfig({{"OCR SETTING", "MaxLineHeight", "40"}});
    app.loadSettings();
    app.config.main.activePage = 5;
    app.formatOptions.ssaBorder = 7;
    app.formatOptions.frameRateText = QStringLiteral("25.000");
    app.formatOptions.sv2Font.italic = true;
    app.formatOptions.dropFrame = false;
    app.inputType = 3;
    app.ocr.maxLineHeight = 30;
    app.saveSettings();
    EXPECT_EQ(saved("CONFIG", "ActivePage"), QStringLiteral("5"));
    EXPECT_EQ(saved("SSA OUTPUT", "Border"), QStringLiteral("7"));
    EXPECT_EQ(saved("MDVD", "Framerate"), QStringLiteral("25.000"));
    EXPECT_EQ(saved("SUBVIEWER2 OUTPUT", "SelFont"), QStringLiteral("Arial,18,0,Bold,Italic"));
    EXPECT_EQ(saved("BMP OUT TC & RES", "DropFrame"), QStringLiteral("0"));
    EXPECT_EQ(saved("INPUT", "InPutType"), QStringLiteral("3"));
    EXPECT_EQ(saved("OCR SETTING", "MaxLineHeight"), QStringLiteral("40"));
}

} // namespace
