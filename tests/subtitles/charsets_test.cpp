// The charset table, the code-page list and what choosing a charset selects.
#include "subtitles/charsets.h"
#include "subtitles/code_pages.h"

#include "core/text_codec.h"
#include "qt_printers.h"

#include <QLocale>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <iterator>
#include <optional>

namespace glyfex::subtitles {
namespace {

QString item(int index)
{
    return QString::fromLatin1(codePageItems()[size_t(index)]);
}

TEST(Charsets, ChoosingACharsetSelectsItsCodePage)
{
    struct Case {
        const char *name;
        int textCharset;
        const char *selected;
    } cases[] = {
        {"RUSSIAN_CHARSET", 204, "1251:ANSI - Cyrillic"},
        {"GB2312_CHARSET", 134, "20936:Simplified Chinese (GB2312)"},
        {"CHINESEBIG5_CHARSET", 136, "10002:MAC - Traditional Chinese (Big5)"},
        {"OEM_CHARSET", 255, "858:OEM - Multlingual Latin I + Euro symbol"},
        {"Unknown charset 89", 1, "1252:ANSI - Latin I"},
    };
    for (const Case &c : cases) {
        const CharsetChoice choice = chooseCharset(QString::fromLatin1(c.name), 0);
        EXPECT_EQ(choice.textCharset, c.textCharset) << c.name;
        ASSERT_GE(choice.codePageItem, 0) << c.name;
        EXPECT_EQ(item(choice.codePageItem), QString::fromLatin1(c.selected)) << c.name;
        EXPECT_EQ(choice.codePage, codePageOfItem(QString::fromLatin1(c.selected))) << c.name;
    }
    EXPECT_EQ(charsetOfName(u"nothing"), 1);
    EXPECT_EQ(codePageOfCharsetName(u"nothing"), 1252);
    EXPECT_EQ(charsetTable().size(), 19u);
}

// The locale stands in for the system: DEFAULT_CHARSET is its ANSI page and the charset built on it.
class DefaultCharset : public testing::Test {
protected:
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(DefaultCharset, IsTheSystemsPageAndItsCharset)
{
    const struct {
        const char *locale;
        int textCharset;
        const char *selected;
    } cases[] = {
        {"C", 0, "1252:ANSI - Latin I"},
        {"en_US", 0, "1252:ANSI - Latin I"},
        {"de_DE", 0, "1252:ANSI - Latin I"},
        {"pl_PL", 238, "1250:ANSI - Central European"},
        {"ru_RU", 204, "1251:ANSI - Cyrillic"},
        {"el_GR", 161, "1253:ANSI - Greek"},
        {"tr_TR", 162, "1254:ANSI - Turkish"},
        {"he_IL", 177, "1255:ANSI - Hebrew"},
        {"ar_EG", 178, "1256:ANSI - Arabic"},
        {"lt_LT", 186, "1257:ANSI - Baltic"},
        {"vi_VN", 163, "1258:ANSI/OEM - Vietnamese"},
        {"th_TH", 222, "874:ANSI/OEM - Thai (same as 28605, ISO 8859-15)"},
        {"ja_JP", 128, "932:ANSI/OEM - Japanese, Shift-JIS"},
        {"ko_KR", 129, "949:ANSI/OEM - Korean (Unified Hangeul Code)"},
        {"zh_CN", 134, "936:ANSI/OEM - Simplified Chinese (PRC, Singapore)"},
        {"zh_TW", 136, "950:ANSI/OEM - Traditional Chinese (Taiwan; Hong Kong SAR, PRC)"},
    };
    for (const auto &c : cases) {
        QLocale::setDefault(QLocale(QString::fromLatin1(c.locale)));
        const CharsetChoice choice = chooseCharset(u"DEFAULT_CHARSET", 0);
        EXPECT_EQ(choice.textCharset, c.textCharset) << c.locale;
        ASSERT_GE(choice.codePageItem, 0) << c.locale;
        EXPECT_EQ(item(choice.codePageItem), QString::fromLatin1(c.selected)) << c.locale;
        EXPECT_EQ(choice.codePage, codePageOfItem(QString::fromLatin1(c.selected))) << c.locale;
        EXPECT_EQ(core::TextCodec::resolve(0), choice.codePage) << c.locale << ": code page 0 is the same page";
    }
}

TEST(Charsets, FontCharsetListEndsWithDefaultAndNamesUnknownNumbers)
{
    EXPECT_EQ(listFontCharsets({0, 204, 89}),
              (QStringList{"ANSI_CHARSET", "RUSSIAN_CHARSET", "Unknown charset 89", "DEFAULT_CHARSET"}));
    EXPECT_EQ(listFontCharsets({}), QStringList{"DEFAULT_CHARSET"});
}

TEST(Charsets, WritingSystemsGiveTheirCharsetsOnce)
{
    EXPECT_EQ(charsetsOfWritingSystems({WritingSystem::Latin, WritingSystem::Cyrillic, WritingSystem::Latin,
                                        WritingSystem(4) /* Armenian: no charset */, WritingSystem::Japanese}),
              (QList<int>{0, 238, 162, 186, 204, 128}));
    EXPECT_TRUE(charsetsOfWritingSystems({}).isEmpty());
}

TEST(CodePages, ListAndItemNumbers)
{
    ASSERT_EQ(codePageItems().size(), 113u);
    EXPECT_EQ(item(kDefaultCodePageItem), QStringLiteral("1252:ANSI - Latin I"));
    EXPECT_EQ(item(0), QStringLiteral("037:IBM EBCDIC - U.S./Canada"));
    EXPECT_EQ(item(112), QStringLiteral("65001:Unicode UTF-8"));
    EXPECT_EQ(codePageOfItem(u"037:IBM EBCDIC - U.S./Canada"), 37);
    EXPECT_EQ(codePageOfItem(u"no number:x"), 1252);
    EXPECT_EQ(codePageOfItem(u"99999:too large"), 1252);
    EXPECT_EQ(findCodePageItem(1252), kDefaultCodePageItem);
    EXPECT_EQ(findCodePageItem(4711), -1);
    // Every item's number leads to the item itself.
    for (size_t i = 0; i < codePageItems().size(); ++i)
        EXPECT_EQ(findCodePageItem(codePageOfItem(item(int(i)))), int(i)) << item(int(i)).toStdString();
}

// What glibc's iconv tool writes for UTF-8 text in the page iconvName, or nothing when it refuses.
std::optional<QByteArray> iconvTool(const QString &tool, const QString &text, const char *iconvName)
{
    QProcess p;
    p.start(tool, {QStringLiteral("-f"), QStringLiteral("UTF-8"), QStringLiteral("-t"), QLatin1String(iconvName)});
    if (!p.waitForStarted())
        return std::nullopt;
    p.write(text.toUtf8());
    p.closeWriteChannel();
    if (!p.waitForFinished() || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return p.readAllStandardOutput();
}

TEST(CodePages, EveryOfferedPageConvertsASampleAsIconvDoes)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("iconv"));
    if (tool.isEmpty())
        GTEST_SKIP() << "iconv(1) not installed";
    // Every item of the list, in order, with characters its page holds and other pages mostly do not.
    const struct {
        uint16_t page;
        const char16_t *sample;
    } rows[] = {
        {37, u"Aé¢¬"},
        {437, u"ÇüéΣ½"},
        {500, u"Aé[!"},
        {708, u"عربي"},
        {737, u"Ωμέγα"},
        {775, u"ĄČĘąčę"},
        {850, u"ÇüéÆ"},
        {852, u"ŁóďŽź"},
        {855, u"Привет"},
        {857, u"ŞğİÇ"},
        {858, u"€Çü"},
        {860, u"ãõÇ"},
        {861, u"ÐþÆ"},
        {862, u"שלום"},
        {863, u"Çéè¶"},
        {864, u"١٢٣"},
        {865, u"æøå"},
        {866, u"Привет"},
        {869, u"Ωμέγα"},
        {870, u"ŁŽčĄ"},
        {874, u"ภาษาไทย"},
        {875, u"Ωμέγα"},
        {932, u"日本ｱ"},
        {936, u"中文"},
        {949, u"한국"},
        {950, u"中文"},
        {1026, u"ŞğÇ"},
        {1047, u"Aé[¬"},
        {1140, u"€é"},
        {1141, u"€ß"},
        {1142, u"€ø"},
        {1143, u"€å"},
        {1144, u"€à"},
        {1145, u"€ñ"},
        {1146, u"€£"},
        {1147, u"€ç"},
        {1148, u"€é"},
        {1149, u"€þ"},
        {1200, u"aé日😀"},
        {1201, u"aé日😀"},
        {1250, u"Łódź ść"},
        {1251, u"Привет"},
        {1252, u"€ café"},
        {1253, u"Ωμέγα"},
        {1254, u"şğİ"},
        {1255, u"שלום"},
        {1256, u"عربي"},
        {1257, u"ĄČĘĖąčęė"},
        {1258, u"Việt"},
        {1361, u"한국"},
        {10000, u"éñ∑"},
        {10001, u"日本"},
        {10002, u"中文"},
        {10003, u"한국"},
        {10007, u"Привет"},
        {10008, u"中文"},
        {10017, u"Їє"},
        {10029, u"ŁŽč"},
        {10079, u"ÞæÁ"},
        {12000, u"aé日😀"},
        {12001, u"aé日😀"},
        {20106, u"ÄÖÜß§"},
        {20107, u"ÄÖÅÉÜ"},
        {20108, u"ÆØÅ"},
        {20127, u"ABC~"},
        {20261, u"é£"},
        {20269, u"éñ"},
        {20273, u"ÄÖÜ"},
        {20277, u"ÆØÅ"},
        {20278, u"ÄÖÅ"},
        {20280, u"àèì"},
        {20284, u"ñÑ"},
        {20285, u"£"},
        {20290, u"ABアイ"},
        {20297, u"àç"},
        {20420, u"عربي"},
        {20423, u"ΑΒΓ"},
        {20424, u"שלום"},
        {20866, u"Привет"},
        {20871, u"ÐþÆ"},
        {20880, u"Привет"},
        {20905, u"Şğ"},
        {20932, u"日本"},
        {20936, u"中文"},
        {21025, u"Ђђ"},
        {21866, u"Їє"},
        {28591, u"é"},
        {28592, u"Łź"},
        {28593, u"Ħĝ"},
        {28594, u"ĀĒ"},
        {28595, u"Жё"},
        {28596, u"عربي"},
        {28597, u"Ωμ"},
        {28598, u"שלום"},
        {28599, u"ŞğİÇ"},
        {28605, u"€Š"},
        {38598, u"שלום"},
        {50220, u"日本"},
        {50221, u"日ｱ"},
        {50225, u"한국"},
        {50227, u"中文"},
        {50930, u"日ｱ"},
        {50933, u"한국"},
        {50935, u"中文"},
        {50937, u"中國"},
        {50939, u"日本a"},
        {51932, u"日本"},
        {51936, u"中文"},
        {51949, u"한국"},
        {51950, u"中國"},
        {54936, u"中文😀"},
        {65000, u"aé日"},
        {65001, u"aé日😀"},
    };
    ASSERT_EQ(std::size(rows), codePageItems().size()) << "a row for every page offered";
    for (size_t i = 0; i < std::size(rows); ++i) {
        const auto &row = rows[i];
        const QString name = item(int(i));
        ASSERT_EQ(codePageOfItem(name), row.page) << name.toStdString();
        const char *iconvName = core::TextCodec::iconvName(row.page);
        ASSERT_NE(iconvName, nullptr) << name.toStdString();
        EXPECT_TRUE(core::TextCodec::isSupported(row.page)) << name.toStdString();
        const QString text = QString::fromUtf16(row.sample);
        const auto expected = iconvTool(tool, text, iconvName);
        ASSERT_TRUE(expected) << name.toStdString() << ": iconv cannot write the sample in " << iconvName;
        int missing = -1;
        const auto ours = core::TextCodec::encode(text, row.page, &missing);
        ASSERT_TRUE(ours.ok()) << name.toStdString() << ": " << ours.error().message().toStdString();
        EXPECT_EQ(missing, 0) << name.toStdString();
        EXPECT_EQ(ours->toHex(' ').toStdString(), expected->toHex(' ').toStdString()) << name.toStdString();
        const auto back = core::TextCodec::decode(*expected, row.page);
        ASSERT_TRUE(back.ok()) << name.toStdString();
        EXPECT_EQ(*back, text) << name.toStdString();
    }
}

} // namespace
} // namespace glyfex::subtitles
