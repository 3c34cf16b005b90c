// The code-page codec: known bytes per page, the "?" and U+FFFD fallbacks, unknown pages, and iconv(1) as oracle.
#include "core/text_codec.h"

#include "support/test_data.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ostream>
#include <vector>

namespace {

namespace codec = glyfex::core::TextCodec;
using glyfex::core::CodePage;

// Text with lone surrogates, which QStringLiteral refuses.
QString u16(const char16_t *text)
{
    return QString::fromUtf16(text);
}

std::string hex(const QByteArray &bytes)
{
    return bytes.toHex(' ').toStdString();
}

std::string units(const QString &text)
{
    std::string s;
    for (QChar c : text) s += QStringLiteral("%1 ").arg(c.unicode(), 4, 16, QLatin1Char('0')).toStdString();
    return s;
}

// One row: a text, the bytes Windows' tables give for it in the page, and how many of its characters the
// page cannot hold (each written as one "?", a surrogate pair or a lone surrogate counting as one).
struct EncodeCase {
    const char *name;
    CodePage page;
    QString text;
    QByteArray bytes;
    int missing;
    bool decodesBack = true; // false where a mark was dropped
};
void PrintTo(const EncodeCase &c, std::ostream *os) { *os << c.name; }

class CodePageEncode : public testing::TestWithParam<EncodeCase> {};

TEST_P(CodePageEncode, GivesKnownBytesAndDecodesBackWhatThePageHolds)
{
    const EncodeCase &row = GetParam();
    int missing = -1;
    auto encoded = codec::encode(row.text, row.page, &missing);
    ASSERT_TRUE(encoded.ok()) << encoded.error().message().toStdString();
    EXPECT_EQ(hex(*encoded), hex(row.bytes));
    EXPECT_EQ(missing, row.missing);
    if (row.missing == 0 && row.decodesBack && row.text == row.text.normalized(QString::NormalizationForm_C)) {
        auto decoded = codec::decode(row.bytes, row.page);
        ASSERT_TRUE(decoded.ok()) << decoded.error().message().toStdString();
        EXPECT_EQ(units(*decoded), units(row.text));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, CodePageEncode,
    testing::Values(
        EncodeCase{"cp1250", 1250, QStringLiteral("Łódź ő"), QByteArray("\xA3\xF3\x64\x9F\x20\xF5"), 0},
        EncodeCase{"cp1251", 1251, QStringLiteral("Жёлтый"), QByteArray("\xC6\xB8\xEB\xF2\xFB\xE9"), 0},
        EncodeCase{"cp1252", 1252, QStringLiteral("€ café"), QByteArray("\x80\x20\x63\x61\x66\xE9"), 0},
        EncodeCase{"cp0_is_1252", 0, QStringLiteral("œ…"), QByteArray("\x9C\x85"), 0},
        EncodeCase{"cp1253", 1253, QStringLiteral("Ωμέγα"), QByteArray("\xD9\xEC\xDD\xE3\xE1"), 0},
        EncodeCase{"cp1254", 1254, QStringLiteral("şğİ"), QByteArray("\xFE\xF0\xDD"), 0},
        EncodeCase{"cp1255", 1255, QStringLiteral("שלום"), QByteArray("\xF9\xEC\xE5\xED"), 0},
        EncodeCase{"cp1256", 1256, QStringLiteral("عربي"), QByteArray("\xDA\xD1\xC8\xED"), 0},
        EncodeCase{"cp932", 932, QStringLiteral("日本ｱ"), QByteArray("\x93\xFA\x96\x7B\xB1"), 0},
        EncodeCase{"cp936", 936, QStringLiteral("中文"), QByteArray("\xD6\xD0\xCE\xC4"), 0},
        EncodeCase{"cp949", 949, QStringLiteral("한국"), QByteArray("\xC7\xD1\xB1\xB9"), 0},
        EncodeCase{"cp950", 950, QStringLiteral("中文"), QByteArray("\xA4\xA4\xA4\xE5"), 0},
        EncodeCase{"utf8", 65001, QStringLiteral("é😀"), QByteArray("\xC3\xA9\xF0\x9F\x98\x80"), 0},
        EncodeCase{"utf16le", 1200, QStringLiteral("aé"), QByteArray("a\0\xE9\0", 4), 0},
        EncodeCase{"utf16be", 1201, QStringLiteral("aé"), QByteArray("\0a\0\xE9", 4), 0},
        EncodeCase{"utf32le", 12000, QStringLiteral("😀"), QByteArray("\x00\xF6\x01\x00", 4), 0},
        EncodeCase{"koi8r", 20866, QStringLiteral("Жа"), QByteArray("\xF6\xC1"), 0},
        EncodeCase{"iso2022jp", 50220, QStringLiteral("a日"), QByteArray("a\x1B$BF|\x1B(B"), 0},
        EncodeCase{"cp1252_cjk", 1252, QStringLiteral("a日本b"), QByteArray("a??b"), 2},
        EncodeCase{"cp1252_surrogate_pair", 1252, QStringLiteral("x😀y"), QByteArray("x?y"), 1},
        EncodeCase{"cp1252_lone_high_surrogate_at_end", 1252, u16(u"ab\xD83D"), QByteArray("ab?"), 1},
        EncodeCase{"cp1252_lone_low_surrogate", 1252, u16(u"a\xDE00" "b"), QByteArray("a?b"), 1},
        EncodeCase{"cp1251_latin_accent", 1251, QStringLiteral("Жé"), QByteArray("\xC6?"), 1},
        EncodeCase{"cp1253_cyrillic", 1253, QStringLiteral("Ωж"), QByteArray("\xD9?"), 1},
        EncodeCase{"cp932_hangul", 932, QStringLiteral("日한"), QByteArray("\x93\xFA?"), 1},
        EncodeCase{"cp936_hangul", 936, QStringLiteral("한"), QByteArray("?"), 1},
        EncodeCase{"cp949_thai", 949, QStringLiteral("กa"), QByteArray("?a"), 1},
        EncodeCase{"cp950_hangul", 950, QStringLiteral("中한"), QByteArray("\xA4\xA4?"), 1},
        EncodeCase{"utf8_lone_surrogate", 65001, u16(u"a\xD800"), QByteArray("a?"), 1},
        EncodeCase{"utf16le_lone_surrogate", 1200, u16(u"\xDC00"), QByteArray("?\0", 2), 1},
        // The "?" of a shift-state page is written in its ASCII state, between the kanji.
        EncodeCase{"iso2022jp_between_kanji", 50220, QStringLiteral("日é本"),
                   QByteArray("\x1B$BF|\x1B(B?\x1B$BK\\\x1B(B"), 1},
        // A combining sequence the page holds precomposed is not unmappable.
        EncodeCase{"cp1252_composes_e_acute", 1252, u16(u"e\x0301"), QByteArray("\xE9"), 0},
        // A mark that composes with nothing the page holds, and that the page does not hold itself, is
        // dropped: the letter is written alone, with no "?" after it.
        EncodeCase{"cp1252_uncomposable_mark", 1252, u16(u"q\x0301"), QByteArray("q"), 0, false},
        EncodeCase{"cp932_mark_after_kanji", 932, u16(u"日\x0301"), QByteArray("\x93\xFA"), 0, false},
        EncodeCase{"cp1252_composes_one_mark_drops_the_other", 1252, u16(u"e\x0323\x0301"), QByteArray("\xE9"), 0, false},
        EncodeCase{"cp1252_mark_after_a_letter_it_lacks", 1252, u16(u"日\x0301" u"a"), QByteArray("?a"), 1, false},
        // Marks the page holds stay: Thai vowels, 1258's tones.
        EncodeCase{"cp874_thai_vowel_mark", 874, u16(u"ก\x0E34"), QByteArray("\xA1\xD4"), 0},
        EncodeCase{"cp1258_tone_after_q", 1258, u16(u"q\x0301"), QByteArray("q\xEC"), 0},
        // U+0A5A decomposes under NFC; it is still one character and one "?".
        EncodeCase{"cp1252_composition_exclusion", 1252, u16(u"\x0AFD\x0A5A"), QByteArray("??"), 2}),
    [](const auto &info) { return std::string(info.param.name); });

// Bytes a page does not define: one U+FFFD each, the rest of the text still decoded.
struct Undefined {
    const char *name;
    CodePage page;
    QByteArray bytes;
    QString text;
};
void PrintTo(const Undefined &c, std::ostream *os) { *os << c.name; }

class CodePageUndefinedBytes : public testing::TestWithParam<Undefined> {};

TEST_P(CodePageUndefinedBytes, BecomeReplacementWithoutCuttingTheText)
{
    const Undefined &row = GetParam();
    auto decoded = codec::decode(row.bytes, row.page);
    ASSERT_TRUE(decoded.ok()) << decoded.error().message().toStdString();
    EXPECT_EQ(units(*decoded), units(row.text));
}

INSTANTIATE_TEST_SUITE_P(
    Pages, CodePageUndefinedBytes,
    testing::Values(
        Undefined{"cp1252_0x81", 1252, QByteArray("a\x81" "b\x8D\x90"), u16(u"a\xFFFD" "b\xFFFD\xFFFD")},
        Undefined{"cp1253_0xAA", 1253, QByteArray("\xD9\xAA\xD9"), u16(u"Ω\xFFFDΩ")},
        Undefined{"cp932_lead_byte_at_end", 932, QByteArray("\x93\xFA\x93"), u16(u"日\xFFFD")},
        Undefined{"cp936_0xFF", 936, QByteArray("a\xFF" "b"), u16(u"a\xFFFD" "b")},
        Undefined{"utf8_broken_sequences", 65001, QByteArray("a\xC3" "b\xFF"), u16(u"a\xFFFD" "b\xFFFD")},
        Undefined{"utf16le_odd_length", 1200, QByteArray("a\0b", 3), u16(u"a\xFFFD")},
        // A lone surrogate is skipped as a whole unit: the letter after it stays a letter.
        Undefined{"utf16le_lone_surrogate", 1200, QByteArray("\x00\xD8" "a\0", 4), u16(u"\xFFFD" "a")},
        Undefined{"utf32le_beyond_unicode", 12000, QByteArray("\0\0\x11\0" "b\0\0\0", 8), u16(u"\xFFFD" "b")},
        // 1258 holds back the letter before an undefined byte to compose it; it must stay in front.
        Undefined{"cp1258_letter_before_undefined", 1258, QByteArray("a\x81" "b"), u16(u"a\xFFFD" "b")},
        Undefined{"cp1255_letter_before_undefined", 1255, QByteArray("\xF9\xCA\xEC"), u16(u"ש\xFFFDל")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TextCodec, UnknownPageIsAnErrorNamingIt)
{
    for (CodePage page : {CodePage(720), CodePage(57002), CodePage(1)}) {
        auto encoded = codec::encode(QStringLiteral("abc"), page);
        ASSERT_FALSE(encoded.ok());
        EXPECT_TRUE(encoded.error().message().contains(QString::number(page))) << encoded.error().message().toStdString();
        EXPECT_FALSE(codec::decode("abc", page).ok());
        // Even empty text is refused: the caller must learn the page is wrong before the file is written.
        EXPECT_FALSE(codec::encode(QString(), page).ok());
        EXPECT_FALSE(codec::isSupported(page));
    }
}

TEST(TextCodec, EmptyTextConvertsToEmpty)
{
    int missing = -1;
    auto encoded = codec::encode(QString(), 1252, &missing);
    ASSERT_TRUE(encoded.ok());
    EXPECT_TRUE(encoded->isEmpty());
    EXPECT_EQ(missing, 0);
    auto decoded = codec::decode(QByteArray(), 932);
    ASSERT_TRUE(decoded.ok());
    EXPECT_TRUE(decoded->isEmpty());
}

TEST(TextCodec, PagesTheSubtitleChoicesOfferAreSupported)
{
    const CodePage pages[] = {0,     437,   850,   858,   866,   874,   932,   936,   949,   950,   1200,
                              1201,  1250,  1251,  1252,  1253,  1254,  1255,  1256,  1257,  1258,  1361,
                              10000, 10002, 12000, 12001, 20866, 20932, 20936, 21866, 28591, 28592, 28593,
                              28594, 28595, 28596, 28597, 28598, 28599, 28603, 28605, 50220, 51932, 65001};
    for (CodePage page : pages) EXPECT_TRUE(codec::isSupported(page)) << page << " " << codec::iconvName(page);
}

TEST(TextCodec, SystemAnsiPageFollowsTheLocalesLanguageAndScript)
{
    const struct {
        const char *locale;
        CodePage page;
    } rows[] = {
        {"C", 1252},        {"en_GB", 1252},      {"fr_CA", 1252},      {"sw_KE", 1252}, // no page of its own
        {"cs_CZ", 1250},    {"hu_HU", 1250},      {"sr_Latn_RS", 1250}, {"sr_RS", 1251}, // Serbian is Cyrillic first
        {"uk_UA", 1251},    {"bg_BG", 1251},      {"uz_UZ", 1254},      {"uz_Cyrl_UZ", 1251},
        {"fa_IR", 1256},    {"et_EE", 1257},      {"zh_HK", 950},       {"zh_Hant_TW", 950},
        {"zh_SG", 936},     {"ja_JP", 932},
    };
    for (const auto &row : rows)
        EXPECT_EQ(codec::ansiCodePageOfLocale(QLocale(QString::fromLatin1(row.locale))), row.page) << row.locale;
}

TEST(TextCodec, LongTextWithManyUnmappableCharactersGrowsTheBuffer)
{
    // Each CJK character of UTF-16 takes two bytes there but one "?" here, while each "€" in UTF-8 takes
    // three: both directions cross the first buffer size.
    QString text;
    for (int i = 0; i < 5000; ++i) text += QStringLiteral("€日");
    int missing = 0;
    auto utf8 = codec::encode(text, 65001, &missing);
    ASSERT_TRUE(utf8.ok());
    EXPECT_EQ(utf8->size(), 5000 * 6);
    auto latin = codec::encode(text, 1252, &missing);
    ASSERT_TRUE(latin.ok());
    EXPECT_EQ(missing, 5000);
    EXPECT_EQ(latin->size(), 10000);
    auto back = codec::decode(*utf8, 65001);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(*back, text);
}

// iconv(1) as shipped converts the same text; our bytes must match wherever the page holds every character.
TEST(TextCodec, MatchesTheIconvTool)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("iconv"));
    if (tool.isEmpty()) GTEST_SKIP() << "iconv(1) not installed";
    struct Sample {
        CodePage page;
        QString text;
    };
    const Sample samples[] = {
        {1250, QStringLiteral("Příliš žluťoučký kůň")}, {1251, QStringLiteral("Съешь же ещё этих булок")},
        {1252, QStringLiteral("Ça coûte 5 € — «oui»")}, {1253, QStringLiteral("Ξεσκεπάζω την ψυχοφθόρα")},
        {1254, QStringLiteral("Pijamalı hasta yağız şoföre")}, {1255, QStringLiteral("דג סקרן שט בים")},
        {1256, QStringLiteral("نص حكيم له سر قاطع")},          {932, QStringLiteral("いろはにほへと　ちりぬるを")},
        {936, QStringLiteral("我能吞下玻璃而不伤身体")},       {949, QStringLiteral("다람쥐 헌 쳇바퀴에 타고파")},
        {950, QStringLiteral("我能吞下玻璃而不傷身體")},       {65001, QStringLiteral("Ωμέγα 日本 😀")},
    };
    for (const Sample &s : samples) {
        QProcess iconvTool;
        iconvTool.start(tool, {QStringLiteral("-f"), QStringLiteral("UTF-8"), QStringLiteral("-t"),
                               QLatin1String(codec::iconvName(s.page))});
        ASSERT_TRUE(iconvTool.waitForStarted());
        iconvTool.write(s.text.toUtf8());
        iconvTool.closeWriteChannel();
        ASSERT_TRUE(iconvTool.waitForFinished());
        ASSERT_EQ(iconvTool.exitCode(), 0) << s.page;
        const QByteArray expected = iconvTool.readAllStandardOutput();
        auto ours = codec::encode(s.text, s.page);
        ASSERT_TRUE(ours.ok());
        EXPECT_EQ(hex(*ours), hex(expected)) << s.page;
        auto back = codec::decode(expected, s.page);
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(*back, s.text) << s.page;
    }
}

// A one-byte page as its published mapping gives it (tests/data/codepages/single_byte.txt, made from
// Python's codecs by tests/data/make/make_code_page_tables.py): the character of each byte, U+FFFD where
// the page defines none. It is a source of its own, where the codec's tables come from glibc.
struct PublishedPage {
    CodePage page = 0;
    std::array<char16_t, 256> units{};
};
void PrintTo(const PublishedPage &p, std::ostream *os) { *os << "cp" << p.page; }

std::vector<PublishedPage> publishedPages()
{
    std::vector<PublishedPage> pages;
    QFile file(glyfex::test::dataPath(QStringLiteral("codepages/single_byte.txt")));
    if (!file.open(QIODevice::ReadOnly)) return pages;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split(' ');
        if (fields.isEmpty() || fields[0].startsWith('#') || fields.size() != 257) continue;
        PublishedPage p;
        p.page = CodePage(fields[0].toUInt());
        for (int b = 0; b < 256; ++b)
            p.units[size_t(b)] = fields[b + 1] == "-" ? u'\uFFFD' : char16_t(fields[b + 1].toUInt(nullptr, 16));
        pages.push_back(p);
    }
    return pages;
}

TEST(PublishedCodePages, TableIsThere)
{
    EXPECT_GE(publishedPages().size(), 50u) << "tests/data/codepages/single_byte.txt is missing or damaged";
}

class PublishedCodePage : public testing::TestWithParam<PublishedPage> {};

// Every byte reads as the published character, and every character of the page is written as a byte that
// reads as it.
TEST_P(PublishedCodePage, ReadsAndWritesEveryByteAsPublished)
{
    const PublishedPage &p = GetParam();
    for (int b = 0; b < 256; ++b) {
        const char16_t unit = p.units[size_t(b)];
        auto decoded = codec::decode(QByteArray(1, char(b)), p.page);
        ASSERT_TRUE(decoded.ok()) << decoded.error().message().toStdString();
        EXPECT_EQ(units(*decoded), units(QString(QChar(unit)))) << "byte " << std::hex << b;
        if (unit == u'\uFFFD') continue;
        int missing = -1;
        auto encoded = codec::encode(QString(QChar(unit)), p.page, &missing);
        ASSERT_TRUE(encoded.ok());
        ASSERT_EQ(encoded->size(), 1) << "U+" << std::hex << int(unit) << " gives " << hex(*encoded);
        EXPECT_EQ(p.units[uint8_t(encoded->at(0))], unit) << "U+" << std::hex << int(unit) << " gives " << hex(*encoded);
        EXPECT_EQ(missing, 0);
    }
}

// What glibc's other variant of a page put on one of its bytes is not written as that byte any more: the
// page does not hold it, so it is the page's "?".
TEST(PublishedCodePages, CharactersOfAnotherVariantAreNotWritten)
{
    const struct {
        CodePage page;
        QString text;
    } cases[] = {
        {10079, QStringLiteral("†‡ĐđΔ◆")}, {10000, QStringLiteral("Δ\uE01E")}, {875, QStringLiteral("∇·")},
        {1026, QStringLiteral("˛—")},      {10007, QStringLiteral("¢¤")},      {20424, QStringLiteral("⇔")},
    };
    for (const auto &c : cases) {
        auto question = codec::encode(QStringLiteral("?"), c.page);
        ASSERT_TRUE(question.ok());
        int missing = -1;
        auto encoded = codec::encode(c.text, c.page, &missing);
        ASSERT_TRUE(encoded.ok());
        EXPECT_EQ(hex(*encoded), hex(question->repeated(c.text.size()))) << c.page;
        EXPECT_EQ(missing, c.text.size()) << c.page;
    }
}

INSTANTIATE_TEST_SUITE_P(SingleBytePages, PublishedCodePage, testing::ValuesIn(publishedPages()),
                         [](const auto &info) { return "cp" + std::to_string(info.param.page); });

} // namespace
