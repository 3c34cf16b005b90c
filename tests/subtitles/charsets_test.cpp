// The charset table, the code-page list and what choosing a charset selects.
#include "subtitles/charsets.h"
#include "subtitles/code_pages.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

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
        {"DEFAULT_CHARSET", 1, "1252:ANSI - Latin I"},
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
    ASSERT_EQ(codePageItems().size(), 150u);
    EXPECT_EQ(item(kDefaultCodePageItem), QStringLiteral("1252:ANSI - Latin I"));
    EXPECT_EQ(item(0), QStringLiteral("037:IBM EBCDIC - U.S./Canada"));
    EXPECT_EQ(item(149), QStringLiteral("65001:Unicode UTF-8"));
    EXPECT_EQ(codePageOfItem(u"037:IBM EBCDIC - U.S./Canada"), 37);
    EXPECT_EQ(codePageOfItem(u"no number:x"), 1252);
    EXPECT_EQ(codePageOfItem(u"99999:too large"), 1252);
    EXPECT_EQ(findCodePageItem(1252), kDefaultCodePageItem);
    EXPECT_EQ(findCodePageItem(4711), -1);
    // Every item's number leads to the item itself.
    for (size_t i = 0; i < codePageItems().size(); ++i)
        EXPECT_EQ(findCodePageItem(codePageOfItem(item(int(i)))), int(i)) << item(int(i)).toStdString();
}

} // namespace
} // namespace glyfex::subtitles
