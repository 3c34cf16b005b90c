// The configuration file: round trips, the layout of a new file, damaged values, the first-run language.
#include "core/config.h"

#include "core/ini_store.h"

#include "support/changed_config.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <functional>

using namespace glyfex::core;

namespace {

const Config::Folders folders{QStringLiteral("/home/u/.local/share/Glyfex/ChMatrix/"), QStringLiteral("/home/u/")};
const QLocale english(QLocale::English, QLocale::UnitedStates);

Config loadFrom(const QString &text, const Config::Ocr &ocr = {}, const QLocale &locale = english,
                const QStringList &languages = {})
{
    IniStore store;
    store.setStrings(text.split(u'\n'));
    return Config::load(store, folders, ocr, locale, languages);
}

} // namespace

TEST(Config, RoundTripsThroughTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Glyfex.ini"));
    Config chosenEnglish = Config::defaults(folders);
    chosenEnglish.main.languageName.clear(); // as the language menu's English leaves it
    for (const Config &c : {Config::defaults(folders), chosenEnglish, glyfex::test::changedEverywhere(folders)}) {
        ASSERT_TRUE(c.saveFile(path).ok());
        const auto back = Config::loadFile(path, folders, c.ocr, english, {});
        ASSERT_TRUE(back.ok()) << back.error().message().toStdString();
        EXPECT_TRUE(*back == c);
    }
}

TEST(Config, AMissingFileGivesTheDefaultsAndKeepsTheFirstRunMarker)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Glyfex.ini"));
    // No language file for the locale: the built-in English is shown and the marker kept, so that the
    // next start looks again.
    const auto loaded = Config::loadFile(path, folders, {}, QLocale(QLocale::German, QLocale::Germany),
                                         {QStringLiteral("Polski")});
    ASSERT_TRUE(loaded.ok());
    EXPECT_TRUE(*loaded == Config::defaults(folders));
    EXPECT_EQ(Config::defaults(folders).main.languageName, QStringLiteral("1stRun"));
    EXPECT_TRUE(Config::defaults(folders).options.useFileOffsets);
    EXPECT_FALSE(GlobalOptions{}.useFileOffsets) << "the dialog's designed state differs from the file's default";
}

TEST(Config, ANewFileHasTheSectionsInWritingOrderAndActivePageLastInConfig)
{
    IniStore store;
    Config::defaults(folders).save(store);
    const QStringList expected{
        QStringLiteral("CONFIG"),          QStringLiteral("GOPTIONS"),          QStringLiteral("PREVIEW CFG"),
        QStringLiteral("BMP OUT TC & RES"), QStringLiteral("GLYFEX OUTPUT"),     QStringLiteral("MDVD"),
        QStringLiteral("TMPLAYER OUTPUT"), QStringLiteral("SUBVIEWER2 OUTPUT"), QStringLiteral("STL OUTPUT"),
        QStringLiteral("SSA OUTPUT"),      QStringLiteral("IAUTHOR OUTPUT"),    QStringLiteral("DVDMAESTRO OUTPUT"),
        QStringLiteral("INPUT"),           QStringLiteral("OCRCORRECTION")};
    EXPECT_EQ(store.readSections(), expected);
    const QStringList config = store.readSection(QStringLiteral("CONFIG"));
    EXPECT_EQ(config.first(), QStringLiteral("OpenDialogCharMatrix"));
    EXPECT_EQ(config.last(), QStringLiteral("ActivePage"));
    EXPECT_EQ(config.at(config.size() - 2), QStringLiteral("SubtWndHeight"));
    EXPECT_EQ(store.readSection(QStringLiteral("STL OUTPUT")).mid(0, 5),
              (QStringList{QStringLiteral("Color_0"), QStringLiteral("Color_1"), QStringLiteral("Color_2"),
                           QStringLiteral("Color_3"), QStringLiteral("Contrast_0")}));
    EXPECT_EQ(store.readString(QStringLiteral("CONFIG"), QStringLiteral("RememberStyles")), QStringLiteral("1"));
}

TEST(Config, SavingKeepsTheOtherSectionsOfTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Glyfex.ini"));
    glyfex::test::writeBytes(path, "[OCR SETTING]\r\nMinLineHeight=12\r\n[BMPOUT 0]\r\nCropping_MinX=40\r\n[CONFIG]\r\nZoom=3\r\n");
    ASSERT_TRUE(Config::defaults(folders).saveFile(path).ok());
    const auto store = IniStore::open(path);
    ASSERT_TRUE(store.ok());
    EXPECT_EQ(store->readString(QStringLiteral("OCR SETTING"), QStringLiteral("MinLineHeight")), QStringLiteral("12"));
    EXPECT_EQ(store->readString(QStringLiteral("BMPOUT 0"), QStringLiteral("Cropping_MinX")), QStringLiteral("40"));
    EXPECT_EQ(store->readSections().first(), QStringLiteral("OCR SETTING"));
}

TEST(Config, AFileThatCannotBeWrittenIsAnErrorNamingIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing-folder/Glyfex.ini"));
    const auto saved = Config::defaults(folders).saveFile(path);
    ASSERT_FALSE(saved.ok());
    EXPECT_TRUE(saved.error().message().contains(path));
}

struct Damaged {
    const char *name;
    const char *file;                      // the file's text
    std::function<int(const Config &)> field; // the value that was read
    int expected;
};

// The row's name stands for it in test listings, which would otherwise dump the row's bytes, pointers
// included, and so differ from run to run.
static void PrintTo(const Damaged &d, std::ostream *os) { *os << d.name; }

class ConfigDamagedValue : public ::testing::TestWithParam<Damaged> {};

TEST_P(ConfigDamagedValue, TakesTheKeysDefaultOrTheValueInRange)
{
    const Damaged &d = GetParam();
    Config::Ocr current;
    current.minLineHeight = 9; // the recognition's current values are OCR SETTING's defaults
    EXPECT_EQ(d.field(loadFrom(QString::fromUtf8(d.file), current)), d.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConfigDamagedValue,
    ::testing::Values(
        Damaged{"FormatPageAbove24", "[CONFIG]\nActivePage=25", [](const Config &c) { return c.main.activePage; }, 11},
        Damaged{"FormatPageNegative", "[CONFIG]\nActivePage=-1", [](const Config &c) { return c.main.activePage; }, 11},
        Damaged{"FormatPageLast", "[CONFIG]\nActivePage=24", [](const Config &c) { return c.main.activePage; }, 24},
        Damaged{"ZoomZero", "[PREVIEW CFG]\nZoom=0", [](const Config &c) { return c.preview.zoom; }, 1000},
        Damaged{"ZoomHex", "[PREVIEW CFG]\nZoom=0x1F4", [](const Config &c) { return c.preview.zoom; }, 500},
        Damaged{"ZoomNotANumber", "[PREVIEW CFG]\nZoom=12abc", [](const Config &c) { return c.preview.zoom; }, 1000},
        Damaged{"MaxLineHeightOver45", "[OCR SETTING]\nMaxLineHeight=46", [](const Config &c) { return c.ocr.maxLineHeight; }, 45},
        Damaged{"MinLineHeightKeepsItsLowByte", "[OCR SETTING]\nMinLineHeight=300", [](const Config &c) { return c.ocr.minLineHeight; }, 44},
        Damaged{"MinLineHeightLowByteStillTooHigh", "[OCR SETTING]\nMinLineHeight=302", [](const Config &c) { return c.ocr.minLineHeight; }, 9},
        Damaged{"SensibilityKeepsItsLow16Bits", "[OCR SETTING]\nSensibility=66486", [](const Config &c) { return c.ocr.sensibility; }, 950},
        Damaged{"MinInterLineZero", "[OCR SETTING]\nMinInterLine=0", [](const Config &c) { return c.ocr.minInterLine; }, 2},
        Damaged{"SpaceWidthNegativeInRange", "[OCR SETTING]\nSpaceWidth=-10", [](const Config &c) { return c.ocr.spaceWidth; }, -10},
        Damaged{"SensibilityOver1000", "[OCR SETTING]\nSensibility=1001", [](const Config &c) { return c.ocr.sensibility; }, 980},
        Damaged{"PriorityFour", "[CONFIG]\nPriority=4", [](const Config &c) { return c.main.priority; }, 1},
        Damaged{"PriorityHigh", "[CONFIG]\nPriority=2", [](const Config &c) { return c.main.priority; }, 2},
        Damaged{"PriorityLowByte", "[CONFIG]\nPriority=258", [](const Config &c) { return c.main.priority; }, 2},
        Damaged{"FormatPageLowByte", "[CONFIG]\nActivePage=259", [](const Config &c) { return c.main.activePage; }, 3},
        Damaged{"ZoomLow16Bits", "[PREVIEW CFG]\nZoom=66036", [](const Config &c) { return c.preview.zoom; }, 500},
        Damaged{"InputFilterLowByte", "[INPUT]\nInPutType=258", [](const Config &c) { return c.inputType; }, 2},
        Damaged{"ActionModeBeyondItems", "[CONFIG]\nActionMode=4", [](const Config &c) { return c.main.actionMode; }, 0},
        Damaged{"MinSubDurationTooLongIsTheBoxsMaximum", "[GOPTIONS]\nMinSubDuration=20000", [](const Config &c) { return c.options.minSubDuration; }, 9999},
        Damaged{"MinSubDurationNegativeIsTheBoxsMinimum", "[GOPTIONS]\nMinSubDuration=-5", [](const Config &c) { return c.options.minSubDuration; }, 0},
        Damaged{"FillDelayZeroIsTheBoxsMinimum", "[GOPTIONS]\nFillBestGuessDelay=0", [](const Config &c) { return c.options.fillDelay; }, 1},
        Damaged{"MaxTmpBelowRangeIsTheBoxsMinimum", "[GOPTIONS]\nMaxTMP=499", [](const Config &c) { return c.options.maxTmpDuration; }, 500},
        Damaged{"FontSizeZero", "[GOPTIONS]\nSubWindowFontSize=0", [](const Config &c) { return c.subtitleFontSize; }, 8},
        Damaged{"SubtitleWindowHeightZero", "[CONFIG]\nSubtWndHeight=0", [](const Config &c) { return c.main.subtWndHeight; }, 188},
        Damaged{"ColorWithHighByte", "[PREVIEW CFG]\nBorderColor=$1000000", [](const Config &c) { return c.preview.borderColour; }, 0x6D6F8B},
        Damaged{"BackModeBeyond", "[PREVIEW CFG]\nBackMode=4", [](const Config &c) { return c.preview.backMode; }, 0},
        Damaged{"TmPlayerVariantZero", "[TMPLAYER OUTPUT]\nTMPlType=0", [](const Config &c) { return c.output.tmPlayerVariant; }, 1},
        Damaged{"StlContrastOver15", "[STL OUTPUT]\nContrast_2=16", [](const Config &c) { return c.output.stlContrasts[2]; }, 15},
        Damaged{"SsaBorderOver50", "[SSA OUTPUT]\nBorder=51", [](const Config &c) { return c.output.ssaBorder; }, 2},
        Damaged{"InputFilterZero", "[INPUT]\nInPutType=0", [](const Config &c) { return c.inputType; }, 7},
        Damaged{"IlLanguageBeyond", "[OCRCORRECTION]\nIl_Index=7", [](const Config &c) { return c.correction.ilLanguage; }, 0},
        Damaged{"BoolNotANumber", "[CONFIG]\nAutoScrollDown=yes", [](const Config &c) { return int(c.main.autoScrollDown); }, 1},
        Damaged{"BoolAnyNonZero", "[CONFIG]\nFancyFormat=5", [](const Config &c) { return int(c.main.fancyFormat); }, 1},
        Damaged{"BoolZero", "[CONFIG]\nFancyFormat=0", [](const Config &c) { return int(c.main.fancyFormat); }, 0},
        Damaged{"KeysIgnoreCase", "[config]\nactivepage=3", [](const Config &c) { return c.main.activePage; }, 3}),
    [](const ::testing::TestParamInfo<Damaged> &info) { return std::string(info.param.name); });

TEST(Config, ABoolReadAsAnyNonZeroNumberIsSavedAsOne)
{
    IniStore store;
    loadFrom(QStringLiteral("[CONFIG]\nRememberStyles=5")).save(store);
    EXPECT_EQ(store.readString(QStringLiteral("CONFIG"), QStringLiteral("RememberStyles")), QStringLiteral("1"));
}

TEST(Config, OcrSettingsAreReadWithTheConfigurationButWrittenOnlyOnRequest)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Glyfex.ini"));
    Config c = Config::defaults(folders);
    c.main.languageName = QStringLiteral("Italiano");
    c.ocr.maxLineHeight = 30;
    ASSERT_TRUE(c.saveFile(path).ok());
    auto store = IniStore::open(path);
    EXPECT_FALSE(store->readSections().contains(QStringLiteral("OCR SETTING")));

    Config::Ocr ocr;
    ocr.minLineHeight = 10;
    ocr.spaceWidth = -3;
    ocr.checkDetachedChar = false;
    ASSERT_TRUE(saveOcrSettings(path, ocr).ok());
    const auto back = Config::loadFile(path, folders, Config::Ocr{}, english, {});
    ASSERT_TRUE(back.ok());
    EXPECT_TRUE(back->ocr == ocr);
    EXPECT_TRUE(back->main == c.main) << "the rest of the file stays";
}

TEST(Config, TheFirstRunTakesTheLanguageFromTheLocaleOnce)
{
    const struct {
        const char *locale;
        const char *language;
    } rows[] = {
        {"de_DE", "Deutsch"},          {"de_AT", "Deutsch"},
        {"fr_CA", "Francais"},         {"es_ES", "Spanish (Castellano)"},
        {"pt_BR", "Portuguese (Brazilian)"}, {"hr_HR", "Croatian 1"},
        {"da_DK", "Dansk"},            {"nl_NL", "Nederlands"},
        {"zh_CN", "Simplified Chinese"}, {"zh_TW", ""},
        {"en_GB", ""},                 {"ja_JP", ""},
        {"C", ""},
    };
    // Every language's file installed, as a user's data folder may hold them in any letter case.
    QStringList installed;
    for (const auto &row : rows) {
        if (*row.language)
            installed << QString::fromUtf8(row.language).toLower();
    }
    const QString firstRun = QStringLiteral("[CONFIG]\nLanguageFileName=1stRun");
    for (const auto &row : rows) {
        SCOPED_TRACE(row.locale);
        const QLocale locale(QString::fromLatin1(row.locale));
        const QString language = QString::fromUtf8(row.language);
        EXPECT_EQ(firstRunLanguage(locale), language);
        // Only a language with a file is chosen; otherwise the marker stays for a file installed later.
        EXPECT_EQ(loadFrom(firstRun, {}, locale, installed).main.languageName,
                  language.isEmpty() ? QString(Config::FirstRunLanguage) : language);
        EXPECT_EQ(loadFrom(firstRun, {}, locale, {QStringLiteral("Polski")}).main.languageName,
                  QString(Config::FirstRunLanguage));
    }
    // A language already chosen is kept whatever the locale; so is the choice of English.
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(loadFrom(QStringLiteral("[CONFIG]\nLanguageFileName=Polski"), {}, german).main.languageName,
              QStringLiteral("Polski"));
    EXPECT_EQ(loadFrom(QStringLiteral("[CONFIG]\nLanguageFileName="), {}, german).main.languageName, QString());
}

TEST(Config, TheSubtitleFontFallsBackToAnInstalledOne)
{
    const QStringList withTahoma{QStringLiteral("DejaVu Sans"), QStringLiteral("Tahoma"), QStringLiteral("Arial")};
    const QStringList withArial{QStringLiteral("DejaVu Sans"), QStringLiteral("Arial")};
    EXPECT_EQ(resolveSubtitleFont(QStringLiteral("dejavu sans"), withTahoma), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(resolveSubtitleFont(QStringLiteral("Arial Unicode MS"), withTahoma), QStringLiteral("Tahoma"));
    EXPECT_EQ(resolveSubtitleFont(QStringLiteral("Arial Unicode MS"), withArial), QStringLiteral("Arial"));
    EXPECT_EQ(resolveSubtitleFont(QStringLiteral("Arial Unicode MS"), {}), QStringLiteral("Arial Unicode MS"));
}
