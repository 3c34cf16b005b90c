// The range rules of the numeric edit boxes: bounds that give way, reading a text, the leaving check.
#include "core/range_value.h"

#include <gtest/gtest.h>

using namespace glyfex::core;

TEST(RangeValue, WritingTheValueClampsToTheRange)
{
    RangeValue r(RangeValue::WordLimits, 0, 59);
    r.setValue(100);
    EXPECT_EQ(r.value(), 59);
    r.setValue(-3);
    EXPECT_EQ(r.value(), 0);
}

TEST(RangeValue, ABoundGivesWayToTheValue)
{
    RangeValue r(RangeValue::WordLimits, 0, 59);
    r.setValue(5);
    r.setMinimum(10);
    EXPECT_EQ(r.minimum(), 5);
    EXPECT_EQ(r.value(), 5);
    r.setMaximum(2);
    EXPECT_EQ(r.maximum(), 5);
    // A minimum above the maximum stops at the maximum, and the other way round.
    RangeValue s(RangeValue::IntegerLimits, -10, 10);
    s.setValue(-10);
    s.setMaximum(-20);
    EXPECT_EQ(s.maximum(), -10);
}

TEST(RangeValue, BoundsStayWithinTheTypesLimits)
{
    RangeValue r(RangeValue::WordLimits, 0, 65535);
    r.setMaximum(70000);
    EXPECT_EQ(r.maximum(), 65535);
    r.setMinimum(-1);
    EXPECT_EQ(r.minimum(), 0);
}

TEST(RangeValue, HintWarningAndTextLength)
{
    const RangeValue word(RangeValue::WordLimits, 0, 59);
    EXPECT_EQ(word.hint(), QStringLiteral("0  -  59"));
    EXPECT_EQ(word.rangeWarning(), QStringLiteral("< 0 ; 59 >"));
    EXPECT_EQ(word.maximumLength(), 2);
    const RangeValue integer(RangeValue::IntegerLimits, -2147483647, 2147483647);
    EXPECT_EQ(integer.hint(), QStringLiteral("-2147483647  -  2147483647"));
    EXPECT_EQ(integer.textLength(), 11);
    const RangeValue small(RangeValue::IntegerLimits, -10, 45);
    EXPECT_EQ(small.textLength(), 3);
}

struct TextCase {
    const char *name;
    RangeValue::Limits limits;
    int64_t min;
    int64_t max;
    const char *text;
    int64_t read;            // what the value reads as
    RangeValue::Check check; // what leaving the field finds
};

// Listings show the row's name instead of its bytes.
static void PrintTo(const TextCase &c, std::ostream *os) { *os << c.name; }

class RangeValueText : public ::testing::TestWithParam<TextCase> {};

TEST_P(RangeValueText, ReadsAndChecks)
{
    const TextCase &c = GetParam();
    RangeValue r(c.limits, c.min, c.max);
    EXPECT_EQ(r.check(QString::fromUtf8(c.text)), c.check);
    EXPECT_EQ(r.readText(QString::fromUtf8(c.text)), c.read);
    EXPECT_EQ(r.value(), c.read);
}

using C = RangeValue::Check;
INSTANTIATE_TEST_SUITE_P(
    Table, RangeValueText,
    ::testing::Values(
        TextCase{"InRange", RangeValue::WordLimits, 0, 59, "42", 42, C::InRange},
        TextCase{"AboveMaximum", RangeValue::WordLimits, 0, 59, "75", 59, C::AboveMaximum},
        TextCase{"Empty", RangeValue::WordLimits, 0, 59, "", 0, C::BelowMinimum},
        TextCase{"BelowMinimum", RangeValue::WordLimits, 10, 59, "3", 10, C::BelowMinimum},
        // Wider than the type: still compared as the whole number typed.
        TextCase{"WordAboveItsType", RangeValue::WordLimits, 0, 65535, "70000", 65535, C::AboveMaximum},
        TextCase{"MinusAloneIsNoNumber", RangeValue::IntegerLimits, -2147483647, 2147483647, "-",
                 -2147483647, C::InRange},
        TextCase{"Negative", RangeValue::IntegerLimits, -2147483647, 2147483647, "-12", -12, C::InRange},
        TextCase{"MinusInsideIsNoNumber", RangeValue::IntegerLimits, -10, 45, "1-2", -10, C::InRange},
        TextCase{"IntegerAboveItsType", RangeValue::IntegerLimits, -2147483647, 2147483647, "99999999999",
                 2147483647, C::AboveMaximum},
        TextCase{"IntegerBelowMinimum", RangeValue::IntegerLimits, -10, 45, "-11", -10, C::BelowMinimum}),
    [](const ::testing::TestParamInfo<TextCase> &info) { return std::string(info.param.name); });
