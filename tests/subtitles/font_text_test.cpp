// The writers' fonts as the configuration and the Output Format dialog keep them in text.
#include "subtitles/font_text.h"

#include "support/qt_print.h"

#include <gtest/gtest.h>

using namespace glyfex::subtitles;

namespace {

struct Read {
    const char *name;
    const char *text;
    FontSpec font;
};

// Listings show a row by its name rather than by its bytes, which hold pointers and change from run to run.
void PrintTo(const Read &r, std::ostream *os) { *os << r.name; }

FontSpec font(const char *name, int size, int charset, bool bold = false, bool italic = false, bool underline = false,
              bool strikeOut = false)
{
    return FontSpec{QString::fromUtf8(name), size, charset, bold, italic, underline, strikeOut};
}

const Read reads[] = {
    {"NameSizeCharset", "Arial,28,0", font("Arial", 28, 0)},
    {"StylesWithoutCharset", "Arial,36,Bold", font("Arial", 36, 0, true)},
    {"UnknownWordIgnored", "Tahoma,12,x", font("Tahoma", 12, 0)},
    {"AllStylesAnyCase", "Arial,18,0,bold,ITALIC,Underline,strikeout", font("Arial", 18, 0, true, true, true, true)},
    {"QuotedNameWithBlanks", "\"Arial Unicode MS\",8,1", font("Arial Unicode MS", 8, 1)},
    {"UnquotedNameWithBlanks", "Times New Roman,12,0", font("Times New Roman", 12, 0)},
    {"QuotedComma", "\"A,B\",10,0", font("A,B", 10, 0)},
    // Numbers a font cannot take fall back to the defaults rather than reach the writers.
    {"SizeNotANumber", "Arial,big,0", font("Arial", FontSpec{}.size, 0)},
    {"SizeZero", "Arial,0,0", font("Arial", FontSpec{}.size, 0)},
    {"CharsetTooLarge", "Arial,12,999", font("Arial", 12, 0)},
    {"Empty", "", FontSpec{}},
};

class FontTextRead : public ::testing::TestWithParam<Read> {};

TEST_P(FontTextRead, GivesTheFont)
{
    const Read &r = GetParam();
    const auto read = fontSpecFromText(QString::fromUtf8(r.text));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->name, r.font.name);
    EXPECT_EQ(read->size, r.font.size);
    EXPECT_EQ(read->charset, r.font.charset);
    EXPECT_EQ(read->bold, r.font.bold);
    EXPECT_EQ(read->italic, r.font.italic);
    EXPECT_EQ(read->underline, r.font.underline);
    EXPECT_EQ(read->strikeOut, r.font.strikeOut);
}

INSTANTIATE_TEST_SUITE_P(Texts, FontTextRead, ::testing::ValuesIn(reads),
                         [](const ::testing::TestParamInfo<Read> &info) { return std::string(info.param.name); });

TEST(FontText, ANameAloneIsNoFont)
{
    EXPECT_FALSE(fontSpecFromText(QStringLiteral("Arial")).has_value());
}

TEST(FontText, WritesWhatItReadsBack)
{
    EXPECT_EQ(fontSpecText(font("Arial", 18, 0, true)), QStringLiteral("Arial,18,0,Bold"));
    EXPECT_EQ(fontSpecText(font("Arial Unicode MS", 8, 1)), QStringLiteral("\"Arial Unicode MS\",8,1"));
    for (const FontSpec &f : {font("A \"B\", C", 9, 2, false, true, false, true), font("Arial", 36, 0, true, true, true)}) {
        const auto back = fontSpecFromText(fontSpecText(f));
        ASSERT_TRUE(back.has_value()) << fontSpecText(f).toStdString();
        EXPECT_EQ(fontSpecText(*back), fontSpecText(f));
        EXPECT_EQ(back->name, f.name);
    }
}

} // namespace
