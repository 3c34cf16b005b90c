// Style tags and the accent folding tables that the space decision uses.
#include "recognition/accents.h"
#include "recognition/style_tags.h"

#include <gtest/gtest.h>

using namespace glyfex::recognition;

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

TEST(FoldAccentedCapital, FoldsOnlyWhatTheCharsetLists)
{
    struct Case {
        char16_t in;
        int charset;
        char16_t out;
    };
    for (const Case &c : {
             Case{u'\u00C1', kCharsetWestern, u'A'},      Case{u'\u00C5', kCharsetWestern, u'A'},
             Case{u'\u0178', kCharsetWestern, u'Y'},      Case{u'\u0104', kCharsetWestern, u'\u0104'},
             Case{u'\u0104', kCharsetCentralEuropean, u'A'}, Case{u'\u0141', kCharsetCentralEuropean, u'L'},
             Case{u'\u0162', kCharsetCentralEuropean, u'T'}, Case{u'\u00C0', kCharsetCentralEuropean, u'\u00C0'},
             Case{u'\u03BB', kCharsetGreek, u'A'},        Case{u'\u03A1', kCharsetGreek, u'P'},
             Case{u'\u00A5', kCharsetGreek, u'Y'},        Case{u'\u00C1', 204, u'\u00C1'},
             Case{u'x', kCharsetWestern, u'x'},
         }) {
        EXPECT_EQ(foldAccentedCapital(c.in, c.charset), c.out) << int(c.in) << " charset " << c.charset;
    }
}
