// The title-set IFO reader: stream naming by control words, palette conversion, video attributes, and
// refusal of files that are not title-set IFOs.
#include "ripping/ifo_reader.h"

#include "core/user_prompt.h"
#include "support/qt_print.h"
#include "support/test_data.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <functional>
#include <map>

using namespace glyfex::ripping;
using glyfex::test::dataPath;

namespace {

// A minimal title-set IFO: program chain table in sector 1, one chain right after its search pointer.
struct IfoImage {
    static constexpr size_t kPgcit = 2048;
    static constexpr size_t kPgc = kPgcit + 16;
    std::vector<uint8_t> bytes = std::vector<uint8_t>(4096, 0);

    IfoImage()
    {
        const char id[] = "DVDVIDEO-VTS";
        std::copy(id, id + 12, bytes.begin());
        be32(0xCC, 1);
        be16(kPgcit, 1);
        be32(kPgcit + 12, 16);
        video(0x10, 0x00);
    }
    void be16(size_t at, uint16_t v) { bytes[at] = uint8_t(v >> 8); bytes[at + 1] = uint8_t(v); }
    void be32(size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(v >> (24 - 8 * i));
    }
    IfoImage &count(uint8_t n) { bytes[0x255] = n; return *this; }
    IfoImage &language(int i, const char *code, uint8_t extension = 0)
    {
        bytes[0x258 + 6 * i] = uint8_t(code[0]);
        bytes[0x259 + 6 * i] = uint8_t(code[1]);
        bytes[0x25B + 6 * i] = extension;
        return *this;
    }
    IfoImage &control(int i, uint32_t word) { be32(kPgc + 0x1C + 4 * i, word); return *this; }
    IfoImage &colour(int k, uint8_t y, uint8_t cr, uint8_t cb)
    {
        be32(kPgc + 0xA4 + 4 * k, uint32_t(y) << 16 | uint32_t(cr) << 8 | cb);
        return *this;
    }
    IfoImage &video(uint8_t b0, uint8_t b1) { bytes[0x200] = b0; bytes[0x201] = b1; return *this; }
};

struct NamingCase {
    const char *name;
    std::function<void(IfoImage &)> build;
    std::map<int, QString> expected; // every other stream stays empty
};
void PrintTo(const NamingCase &c, std::ostream *os) { *os << c.name; }

class StreamNaming : public ::testing::TestWithParam<NamingCase> {};

TEST_P(StreamNaming, NamesStreamsFromAttributesAndControlWords)
{
    IfoImage ifo;
    GetParam().build(ifo);
    auto info = parseIfo(ifo.bytes);
    ASSERT_TRUE(info.ok()) << info.error().message().toStdString();
    for (int s = 0; s < 32; ++s) {
        auto it = GetParam().expected.find(s);
        EXPECT_EQ(info->streamNames[s], it == GetParam().expected.end() ? QString() : it->second) << "stream " << s;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ifo, StreamNaming,
    ::testing::Values(
        NamingCase{"EveryModeOnStreamZeroIsOnlyAGuess",
                   [](IfoImage &i) { i.count(1).language(0, "en").control(0, 0x80000000); },
                   {{0, "English 0, ???"}}},
        NamingCase{"AllModesInUseCollectSuffixes",
                   [](IfoImage &i) {
                       i.count(2).language(0, "en", 1).language(1, "fr");
                       i.control(0, 0x80000000).control(1, 0x81010101);
                   },
                   {{0, "English 0, (caption/normal size char) 4:3 wide letterbox pan&scan"},
                    {1, "Francais 1, 4:3 wide letterbox pan&scan"}}},
        NamingCase{"UnnamedAttributeKeepsItsExtensionSuffix",
                   [](IfoImage &i) { i.count(1).language(0, "\0\0", 9).control(0, 0x80030000); },
                   {{0, " (forced caption) ???"}, {3, " (forced caption) wide"}}},
        NamingCase{"FirstAttributeKeepsASharedStream",
                   [](IfoImage &i) {
                       i.count(2).language(0, "de").language(1, "it");
                       i.control(0, 0x80020000).control(1, 0x80020000);
                   },
                   {{0, "Deutsch 0, ???"}, {2, "Deutsch 0, wide wide"}}},
        NamingCase{"UnavailableWordStillPutsAModeInUse",
                   [](IfoImage &i) {
                       i.count(2).language(0, "en").language(1, "fr");
                       i.control(0, 0x80000000).control(1, 0x00000005);
                   },
                   {{0, "English 0, pan&scan"}}},
        NamingCase{"NoStreamsNoNames", [](IfoImage &) {}, {}},
        NamingCase{"UpperCaseCodeShownAsItself",
                   [](IfoImage &i) { i.count(1).language(0, "EN").control(0, 0x80000000); },
                   {{0, "EN 0, ???"}}},
        NamingCase{"CommaInLanguageName",
                   [](IfoImage &i) { i.count(1).language(0, "lv").control(0, 0x81000000); },
                   {{0, "Latvian, Lettish 0, ???"}, {1, "Latvian, Lettish 0, 4:3"}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(IfoPalette, ConvertsStudioRangeYCrCb)
{
    struct Row {
        uint8_t y, cr, cb;
        uint32_t colour;
    };
    const Row rows[] = {
        {16, 128, 128, 0x000000},  // black
        {235, 128, 128, 0xFFFFFF}, // white
        {255, 128, 128, 0xFFFFFF}, // luma above 235 saturates
        {0, 128, 128, 0x000000},   // luma below 16 saturates
        {81, 240, 90, 0x0909E9},   // red-ish: R in the low byte
    };
    for (const Row &r : rows)
        EXPECT_EQ(ycrcbToColour(r.y, r.cr, r.cb), r.colour) << int(r.y) << "," << int(r.cr) << "," << int(r.cb);

    IfoImage ifo;
    ifo.colour(0, 81, 240, 90).colour(15, 235, 128, 128);
    auto info = parseIfo(ifo.bytes);
    ASSERT_TRUE(info.ok());
    EXPECT_EQ(info->palette[0], 0x0909E9u);
    EXPECT_EQ(info->palette[15], 0xFFFFFFu);
    EXPECT_EQ(info->paletteYCrCb[0], 0x51F05Au);
    auto palette = parseIfoPalette(ifo.bytes);
    ASSERT_TRUE(palette.ok());
    EXPECT_EQ(*palette, info->palette);
}

TEST(IfoVideoAttributes, FrameSizeAndClosedCaptions)
{
    struct Row {
        uint8_t b0, b1;
        FrameSize size;
        ClosedCaptions captions;
    };
    const Row rows[] = {
        {0x10, 0x00, {720, 576}, ClosedCaptions::None},
        {0x00, 0x00, {720, 480}, ClosedCaptions::None},
        {0x20, 0x00, {720, 0}, ClosedCaptions::None},
        {0x00, 0x04, {704, 480}, ClosedCaptions::None},
        {0x10, 0xC8, {352, 576}, ClosedCaptions::TwoFields},
        {0x30, 0x4C, {352, 0}, ClosedCaptions::OneField},
        {0x10, 0x80, {720, 576}, ClosedCaptions::OneField},
    };
    for (const Row &r : rows) {
        IfoImage ifo;
        ifo.video(r.b0, r.b1);
        auto info = parseIfo(ifo.bytes);
        ASSERT_TRUE(info.ok());
        EXPECT_EQ(info->frameSize, r.size) << std::hex << int(r.b0) << " " << int(r.b1);
        EXPECT_EQ(info->closedCaptions, r.captions) << std::hex << int(r.b0) << " " << int(r.b1);
    }
}

struct DamageCase {
    const char *name;
    std::function<void(std::vector<uint8_t> &)> damage;
    const char *why;
};
void PrintTo(const DamageCase &c, std::ostream *os) { *os << c.name; }

class DamagedIfo : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedIfo, IsRefusedWithAReason)
{
    IfoImage ifo;
    ifo.count(1).language(0, "en").control(0, 0x80000000);
    GetParam().damage(ifo.bytes);
    auto info = parseIfo(ifo.bytes, QStringLiteral("x.ifo"));
    ASSERT_FALSE(info.ok());
    EXPECT_EQ(info.error().what, QStringLiteral("Not a title-set IFO"));
    EXPECT_TRUE(info.error().where.startsWith(QStringLiteral("x.ifo, byte "))) << info.error().where.toStdString();
    EXPECT_TRUE(info.error().why.contains(QLatin1String(GetParam().why))) << info.error().why.toStdString();
    EXPECT_FALSE(parseIfoPalette(ifo.bytes).ok());
}

INSTANTIATE_TEST_SUITE_P(
    Ifo, DamagedIfo,
    ::testing::Values(
        DamageCase{"Empty", [](auto &b) { b.clear(); }, "ends before"},
        DamageCase{"TruncatedInAttributes", [](auto &b) { b.resize(0x300); }, "ends before"},
        DamageCase{"VideoManagerIdentifier", [](auto &b) { std::copy_n("DVDVIDEO-VMG", 12, b.begin()); }, "identifier"},
        DamageCase{"ForeignFile", [](auto &b) { std::fill_n(b.begin(), 12, 'x'); }, "identifier"},
        DamageCase{"ChainTableSectorPastEnd", [](auto &b) { b[0xCF] = 2; }, "program chain table"},
        DamageCase{"ChainTableSectorHuge", [](auto &b) { std::fill_n(b.begin() + 0xCC, 4, 0xFF); }, "program chain table"},
        DamageCase{"NoProgramChain", [](auto &b) { b[2048] = b[2049] = 0; }, "no program chain"},
        DamageCase{"ChainOffsetPastEnd", [](auto &b) { std::fill_n(b.begin() + 2048 + 12, 4, 0xFF); }, "first program chain"},
        DamageCase{"TruncatedInColourTable", [](auto &b) { b.resize(IfoImage::kPgc + 0xA4 + 63); }, "first program chain"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LanguageCodeToName, TableCodesZeroAndUnknown)
{
    const std::pair<QString, QString> rows[] = {
        {QStringLiteral("en"), QStringLiteral("English")},
        {QStringLiteral("fr"), QStringLiteral("Francais")},
        {QStringLiteral("iw"), QStringLiteral("Hebrew")},
        {QStringLiteral("ps"), QStringLiteral("Pashto, Pushto")},
        {QStringLiteral("zu"), QStringLiteral("Zulu")},
        {QString(2, QChar(0)), QString()},
        {QStringLiteral("EN"), QStringLiteral("EN")},
        {QStringLiteral("--"), QStringLiteral("--")},
    };
    for (const auto &[code, name] : rows)
        EXPECT_EQ(languageCodeToName(code), name) << code.toStdString();
}

class RecordingPrompt : public glyfex::core::SilentPrompt {
public:
    void inform(const QString &text) override { informed << text; }
    QStringList informed;
};

TEST(ClosedCaptionNotice, ShownOnlyWhenCaptionsExist)
{
    RecordingPrompt prompt;
    announceClosedCaptions(ClosedCaptions::None, prompt);
    EXPECT_TRUE(prompt.informed.isEmpty());
    announceClosedCaptions(ClosedCaptions::OneField, prompt);
    announceClosedCaptions(ClosedCaptions::TwoFields, prompt);
    ASSERT_EQ(prompt.informed.size(), 2);
    EXPECT_EQ(prompt.informed[0], QStringLiteral("Information\r\nClosed Captions detected (1x)."));
    EXPECT_EQ(prompt.informed[1], QStringLiteral("Information\r\nClosed Captions detected (2x)."));
}

TEST(IfoFile, ReadsTitleSetAndRefusesOtherFiles)
{
    auto vts = readIfoFile(dataPath(QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS/VTS_01_0.IFO")));
    ASSERT_TRUE(vts.ok()) << vts.error().message().toStdString();
    EXPECT_EQ(vts->frameSize, (FrameSize{720, 576}));
    EXPECT_EQ(inputHint(QStringLiteral("/d/VTS_01_0.IFO"), vts->frameSize), QStringLiteral("/d/VTS_01_0.IFO (720x576)"));

    auto vmg = readIfoFile(dataPath(QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS/VIDEO_TS.IFO")));
    ASSERT_FALSE(vmg.ok());
    EXPECT_EQ(vmg.error().what, QStringLiteral("Not a title-set IFO"));

    auto vob = readIfoFile(dataPath(QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS/VTS_01_1.VOB")));
    EXPECT_FALSE(vob.ok());

    // A copy cut short inside its program chain: refused, not read from past the end.
    QTemporaryDir dir;
    const auto whole = glyfex::test::readBytes(dataPath(QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS/VTS_01_0.IFO")));
    for (size_t cut : {size_t(0x300), size_t(2048 * 2 + 40)}) {
        glyfex::test::writeBytes(dir.filePath(QStringLiteral("VTS_01_0.IFO")),
                                 QByteArray(reinterpret_cast<const char *>(whole.data()), qsizetype(cut)));
        auto truncated = readIfoFile(dir.filePath(QStringLiteral("VTS_01_0.IFO")));
        ASSERT_FALSE(truncated.ok()) << cut;
        EXPECT_EQ(truncated.error().what, QStringLiteral("Not a title-set IFO"));
    }

    auto missing = readIfoFile(dataPath(QStringLiteral("no-such-folder/VTS_01_0.IFO")));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().what, QStringLiteral("Cannot open the IFO"));
}

} // namespace
