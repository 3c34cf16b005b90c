// The writers' time forms, the frame-rate text, the split filter and the style-tag helpers.
#include "subtitles/split_range.h"
#include "subtitles/style_tags.h"
#include "subtitles/time_forms.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

#include <ostream>

namespace glyfex::subtitles {
namespace {

using core::TimeCode;

TimeCode ms(int64_t v)
{
    return core::millisecondsToTimeCode(v);
}

TEST(TimeForms, WholeSecondsRoundOnlyAboveHalf)
{
    EXPECT_EQ(roundTimeToSecond(ms(1500)), (TimeCode{0, 0, 1, 0}));
    EXPECT_EQ(roundTimeToSecond(ms(1501)), (TimeCode{0, 0, 2, 0}));
    EXPECT_EQ(roundTimeToSecond(TimeCode{0, 59, 59, 999}), (TimeCode{1, 0, 0, 0}));
}

TEST(TimeForms, RoundedHundredthsGoToEvenAndCarry)
{
    struct Case {
        int ms;
        TimeCode time;
        int hundredths;
    } cases[] = {
        {1995, {0, 0, 2, 995}, 0}, // 99.5 rounds to 100: the second carries
        {1985, {0, 0, 1, 985}, 98}, // 98.5 rounds to even
        {1975, {0, 0, 1, 975}, 98},
        {1004, {0, 0, 1, 4}, 0},
        {3599999, {1, 0, 0, 999}, 0},
    };
    for (const Case &c : cases) {
        const Hundredths h = roundedHundredths(ms(c.ms));
        EXPECT_EQ(h.hundredths, c.hundredths) << c.ms;
        EXPECT_EQ(h.time.hour * 3600 + h.time.minute * 60 + h.time.second,
                  c.time.hour * 3600 + c.time.minute * 60 + c.time.second)
            << c.ms;
    }
    EXPECT_EQ(truncatedHundredths(ms(1999)), 99);
}

TEST(TimeForms, DecisecondsRoundHalvesToEvenAndAddUp)
{
    EXPECT_EQ(deciseconds(TimeCode{1, 1, 1, 500}), 36615);
    EXPECT_EQ(deciseconds(TimeCode{0, 0, 1, 250}), 12);
    EXPECT_EQ(deciseconds(TimeCode{0, 0, 1, 350}), 14);
    // A rounded tenth of 10 simply adds up to the next second.
    EXPECT_EQ(deciseconds(TimeCode{0, 0, 1, 960}), 20);
}

TEST(TimeForms, FrameNumbersRoundHalvesToEven)
{
    EXPECT_EQ(frameNumber(ms(4000), 25000), 100);
    EXPECT_EQ(frameNumber(ms(4171), 23976), 100);
    EXPECT_EQ(frameNumber(ms(20), 25000), 0);  // 0.5 frames
    EXPECT_EQ(frameNumber(ms(60), 25000), 2);  // 1.5 frames
    EXPECT_EQ(frameNumber(ms(54480), 25000), 1362);
}

struct FrameCodeCase {
    const char *name;
    TimeCode time;
    uint16_t rateX100;
    bool dropFrame;
    TimeCode expected;
};

// The row's name, so that test names stay readable and stable.
void PrintTo(const FrameCodeCase &c, std::ostream *os)
{
    *os << c.name;
}

class FrameTimeCodes : public testing::TestWithParam<FrameCodeCase> {};

TEST_P(FrameTimeCodes, CarryAtTheOutputRate)
{
    const FrameCodeCase &c = GetParam();
    EXPECT_EQ(msToFrameTimeCode(c.time, c.rateX100, c.dropFrame), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrameTimeCodes,
    testing::Values(FrameCodeCase{"PalCarriesAt25", {0, 0, 0, 980}, 2500, false, {0, 0, 1, 0}},
                    FrameCodeCase{"NtscKeepsFrame29", {0, 0, 0, 980}, 3000, false, {0, 0, 0, 29}},
                    FrameCodeCase{"NtscCarriesAt30", {0, 0, 59, 990}, 3000, false, {0, 1, 0, 0}},
                    FrameCodeCase{"DropFrameSkipsFrames0And1", {0, 1, 0, 10}, 3000, true, {0, 1, 0, 2}},
                    FrameCodeCase{"DropFrameNotOnTenthMinute", {0, 10, 0, 10}, 3000, true, {0, 10, 0, 0}},
                    FrameCodeCase{"DropFrameOnlyInSecondZero", {0, 1, 1, 10}, 3000, true, {0, 1, 1, 0}},
                    FrameCodeCase{"HoursAboveNine", {12, 34, 56, 789}, 2500, false, {12, 34, 56, 20}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TimeForms, FrameRateTextIsReadOrRefused)
{
    struct Case {
        const char *text;
        int64_t x1000; // -1: refused
    } cases[] = {
        {"23.976", 23976}, {"25.000", 25000}, {"29.97", 29970}, {"29,970", 29970}, {"25", 25000},
        {"30", 30000},     {"abc", 25000},    {"x.5", 25500},   {"24.x", 24000},  {"0", -1},
        {"0.000", -1},     {"-25", -1},       {"-1.5", -1},     {"2000000", -1},
        // A minus before a zero whole part still makes the rate negative.
        {"-0.5", -1},      {"-0,976", -1},
        // Digits beyond any rate are refused, not multiplied past the integer range.
        {"9223372036854775807", -1}, {"9223372036854775807.5", -1}, {"-9223372036854775808", -1},
        // An exponent makes no decimal fraction: the fraction counts as not a number.
        {"25.5e300", 25000},
    };
    for (const Case &c : cases) {
        const auto rate = parseFrameRateX1000(QString::fromLatin1(c.text));
        if (c.x1000 < 0) {
            EXPECT_FALSE(rate.ok()) << c.text;
        } else {
            ASSERT_TRUE(rate.ok()) << c.text;
            EXPECT_EQ(int64_t(*rate), c.x1000) << c.text;
        }
    }
}

TEST(TimeForms, MinimumGapMovesOnlyAStopTooCloseToTheNextStart)
{
    EXPECT_EQ(keepMinimumGap(ms(2950), ms(3000), 200), ms(2800));
    EXPECT_EQ(keepMinimumGap(ms(2700), ms(3000), 200), ms(2700));
    EXPECT_EQ(keepMinimumGap(ms(3100), ms(3000), 200), ms(3100)); // overlap: left alone
    EXPECT_EQ(keepMinimumGap(ms(3000), ms(3000), 200), ms(2800));
}

Subtitle timed(int64_t start, int64_t stop)
{
    Subtitle s;
    s.start = ms(start);
    s.stop = ms(stop);
    s.lines = QStringList{"x"};
    return s;
}

TEST(SplitRange, OverlapAndClipping)
{
    const SplitRange range{ms(60000), ms(120000)};
    struct Case {
        const char *name;
        int64_t start, stop;
        bool overlaps;
        int64_t clippedStart, clippedStop;
    } cases[] = {
        {"StraddlesTheStart", 59500, 60500, true, 0, 500},
        {"EndsBeforeTheRange", 58000, 59999, false, 0, 0},
        {"EndsAtTheRangeStart", 58000, 60000, false, 0, 0},
        {"Inside", 61000, 62000, true, 1000, 2000},
        // The stop is cut at the range's stop and made relative like the start.
        {"StraddlesTheStop", 119000, 121000, true, 59000, 60000},
        {"StopBeforeStart", 61000, 0, true, 1000, 1000},
        {"StartsAtTheRangeStop", 120000, 121000, false, 0, 0},
    };
    for (const Case &c : cases) {
        const Subtitle sub = timed(c.start, c.stop);
        EXPECT_EQ(overlapsSplitRange(sub, range), c.overlaps) << c.name;
        if (!c.overlaps)
            continue;
        const Subtitle clipped = clipToSplitRange(sub, range);
        EXPECT_EQ(clipped.start, ms(c.clippedStart)) << c.name;
        EXPECT_EQ(clipped.stop, ms(c.clippedStop)) << c.name;
    }
}

TEST(SplitRange, RangeFromZeroOnlyCutsTheStop)
{
    const Subtitle clipped = clipToSplitRange(timed(1000, 5000), SplitRange{ms(0), ms(3000)});
    EXPECT_EQ(clipped.start, ms(1000));
    EXPECT_EQ(clipped.stop, ms(3000));
}

TEST(SplitRange, BarFillCoversTheRangeInWholeSeconds)
{
    struct Row {
        const char *name;
        int64_t start, stop, end; // ms
        int left, width;          // over a bar at x 24, 400 pixels wide
    };
    const Row rows[] = {
        {"WholeFile", 0, 100000, 100000, 24, 400},
        {"SecondHalf", 50000, 100000, 100000, 224, 200},
        {"MillisecondsAreDropped", 999, 50999, 100000, 24, 200},
        {"EmptyStoreDrawsOneSecond", 0, 0, 0, 24, 400},
        {"StopPastTheEnd", 20000, 500000, 100000, 104, 320},
        {"StartPastTheEnd", 200000, 300000, 100000, 424, 0},
        {"StopBeforeStart", 60000, 30000, 100000, 264, 0},
        {"ThreeHours", 3600000, 7200000, 10800000, 157, 133},
    };
    for (const Row &r : rows) {
        const SplitBarFill fill = splitBarFill(ms(r.start), ms(r.stop), ms(r.end), 24, 400);
        EXPECT_EQ(fill.left, r.left) << r.name;
        EXPECT_EQ(fill.width, r.width) << r.name;
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
