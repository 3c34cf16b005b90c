// The 20-unit matrix text record: cutting, zero filling, surrogate pairs at the limit, damaged lengths.
#include "core/char_text.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using glyfex::core::CharText;
using glyfex::core::fromCharText;
using glyfex::core::toCharText;

struct Fill {
    const char *name;
    QString text;
    QString kept;
};
void PrintTo(const Fill &c, std::ostream *os) { *os << c.name; }

class CharTextFill : public testing::TestWithParam<Fill> {};

TEST_P(CharTextFill, KeepsAtMostTwentyUnitsAndZeroesTheRest)
{
    const Fill &row = GetParam();
    const CharText record = toCharText(row.text);
    EXPECT_EQ(record.length, row.kept.size());
    EXPECT_EQ(fromCharText(record), row.kept);
    for (int i = record.length; i < CharText::kCapacity; ++i) EXPECT_EQ(record.text[i], 0) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CharTextFill,
    testing::Values(Fill{"empty", QString(), QString()}, Fill{"one_letter", QStringLiteral("é"), QStringLiteral("é")},
                    Fill{"exactly_twenty", QStringLiteral("abcdefghijklmnopqrst"), QStringLiteral("abcdefghijklmnopqrst")},
                    Fill{"twenty_five_cut", QStringLiteral("abcdefghijklmnopqrstuvwxy"),
                         QStringLiteral("abcdefghijklmnopqrst")},
                    // A pair in units 20 and 21 is dropped whole rather than split.
                    Fill{"pair_across_the_limit", QStringLiteral("abcdefghijklmnopqrs😀z"),
                         QStringLiteral("abcdefghijklmnopqrs")},
                    // A pair ending exactly at unit 20 fits.
                    Fill{"pair_ending_at_the_limit", QStringLiteral("abcdefghijklmnopqr😀z"),
                         QStringLiteral("abcdefghijklmnopqr😀")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CharText, ZeroLengthReadsEmptyWhateverTheUnitsHold)
{
    CharText record;
    record.text[0] = u'x';
    record.text[5] = u'y';
    EXPECT_TRUE(fromCharText(record).isEmpty());
}

TEST(CharText, DamagedLengthIsClampedToTheRecord)
{
    CharText record = toCharText(QStringLiteral("abcdefghijklmnopqrst"));
    record.length = 255;
    EXPECT_EQ(fromCharText(record), QStringLiteral("abcdefghijklmnopqrst"));
}

} // namespace
