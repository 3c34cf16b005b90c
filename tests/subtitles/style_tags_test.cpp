// Style tags: made from a glyph's style, stripped, taken off whole lines and turned into quotes.
#include "subtitles/style_tags.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

namespace glyfex::subtitles {
namespace {

TEST(StyleTags, NestBoldOutsideItalicOutsideUnderline)
{
    struct Case {
        uint8_t style;
        const char *expected;
    };
    for (const Case &c : {Case{0, "a"}, Case{1, "<b>a</b>"}, Case{2, "<i>a</i>"}, Case{3, "<b><i>a</i></b>"},
                          Case{4, "<u>a</u>"}, Case{7, "<b><i><u>a</u></i></b>"}}) {
        EXPECT_EQ(addStyleTags(QStringLiteral("a"), c.style), QString::fromUtf8(c.expected)) << int(c.style);
    }
}

TEST(StyleTags, StripRemovesEveryTagInAnyCase)
{
    EXPECT_EQ(stripStyleTags(QStringLiteral("<B>a</b> <i>b</I> <u>c</u>")), QStringLiteral("a b c"));
    EXPECT_EQ(stripStyleTags(QStringLiteral("a < b <x>")), QStringLiteral("a < b <x>"));
    // Removing one kind after the other: taking out <b> joins "<" and "i>" into a tag that goes too.
    EXPECT_EQ(stripStyleTags(QStringLiteral("x<<b>i>y")), QStringLiteral("xy"));
    EXPECT_EQ(stripStyleTags(QStringLiteral("<</b>b>")), QStringLiteral("<b>"));
}

TEST(StyleTags, WholeLineStylesAndQuotes)
{
    struct Case {
        const char *line;
        const char *styles;
        const char *rest;
        const char *quoted; // the rest after quoteRemainingTags
    } cases[] = {
        {"<b><i>Hi</i></b>", "bi", "Hi", "Hi"},
        {"<i><b>Hi</b></i>", "i", "<b>Hi</b>", "\"Hi\""},
        {"say <i>now</i>", "", "say <i>now</i>", "say \"now\""},
        {"<I>Hello</I>", "i", "Hello", "Hello"},
        {"<i>a</i> <i>b</i>", "", "<i>a</i> <i>b</i>", "\"a\" \"b\""},
        {"<u></u>", "u", "", ""},
        {"<b>", "", "<b>", "\""},
        {"<i><b>x</b></i> and \"\"", "", "<i><b>x</b></i> and \"\"", "\"x\" and \""},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf8(c.line);
        QStringView line = text;
        EXPECT_EQ(takeWholeLineStyles(line), std::string(c.styles)) << c.line;
        EXPECT_EQ(line.toString(), QString::fromUtf8(c.rest)) << c.line;
        EXPECT_EQ(quoteRemainingTags(line.toString()), QString::fromUtf8(c.quoted)) << c.line;
    }
}

} // namespace
} // namespace glyfex::subtitles
