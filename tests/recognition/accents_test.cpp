// The accent folding tables that the space decision uses.
#include "recognition/accents.h"

#include <gtest/gtest.h>

using namespace glyfex::recognition;

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
