// Time codes: arithmetic, carries, parsing, rendering and the frame/time conversions at each frame rate.
#include "core/time_code.h"

#include <gtest/gtest.h>

#include <limits>

using namespace glyfex::core;

namespace {

std::string show(const TimeCode &t)
{
    return formatTimeCode(t).toStdString();
}

} // namespace

TEST(TimeCodeFormat, PadsToTheWidthAndWritesWiderOrNegativeValuesInFull)
{
    const struct {
        TimeCode t;
        const char *millis;
        const char *frames;
    } rows[] = {
        {{1, 2, 3, 4}, "01:02:03,004", "01:02:03:04"},
        {{0, 0, 5, 7}, "00:00:05,007", "00:00:05:07"},
        {{123, 59, 59, 999}, "123:59:59,999", "123:59:59:999"},
        {{0, 0, -1, -500}, "00:00:-01,-500", "00:00:-01:-500"},
        {{-5, 0, 0, 0}, "-05:00:00,000", "-05:00:00:00"},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(formatTimeCode(row.t), QLatin1String(row.millis));
        EXPECT_EQ(formatTimeCodeFrames(row.t), QLatin1String(row.frames));
    }
}

TEST(TimeCodeParse, ReadsHoursMinutesSecondsAndThreeFractionCharacters)
{
    const struct {
        const char *text;
        TimeCode expected;
    } rows[] = {
        {"01:02:03,456", {1, 2, 3, 456}},
        {"00:00:01:250", {0, 0, 1, 250}},
        {"00:00:01.250", {0, 0, 1, 250}},
        {"0:0:1,5", {0, 0, 1, 5}},          // taken as it stands: 5, not 500
        {"0:0:1,5000", {0, 0, 1, 500}},     // only three characters are read
        {"123:00:00,000", {123, 0, 0, 0}},  // hours are not limited
        {" 00:00:02,000", {0, 0, 2, 0}},    // a blank before a number, as after "-->"
        {"00:99:99,999", {0, 99, 99, 999}}, // ranges are not validated
        {"-1:00:00,000", {-1, 0, 0, 0}},
    };
    for (const auto &row : rows) {
        const auto t = parseTimeCode(QString::fromLatin1(row.text));
        ASSERT_TRUE(t.ok()) << row.text << ": " << t.error().message().toStdString();
        EXPECT_EQ(*t, row.expected) << row.text << " gave " << show(*t);
    }
}

TEST(TimeCodeParse, ErrorsNameTheTextAndTheField)
{
    const struct {
        const char *text;
        const char *field;
    } rows[] = {
        {"1:2:3", "seconds"}, // no separator before the milliseconds
        {"", "hours"},
        {"010203", "hours"},
        {":02:03,456", "hours"},
        {"xx:02:03,456", "hours"},
        {"01:2a:03,456", "minutes"},
        {"01:2a", "minutes"},    // the first bad field is named, not the missing separator
        {"1:2", "seconds"},
        {"01:02:,456", "seconds"},
        {"01:02:03,", "milliseconds"},
        {"01:02:03,4x6", "milliseconds"},
        {"01 :02:03,456", "hours"},          // trailing blank inside a field
        {"99999999999:00:00,000", "hours"},  // does not fit the record
        {"\u0661:00:00,000", "hours"},       // only ASCII digits are digits
    };
    for (const auto &row : rows) {
        const QString text = QString::fromUtf8(row.text);
        const auto t = parseTimeCode(text);
        ASSERT_FALSE(t.ok()) << row.text;
        EXPECT_TRUE(t.error().what.contains(text)) << t.error().message().toStdString();
        EXPECT_TRUE(t.error().where.contains(QLatin1String(row.field))) << row.text << ": "
                                                                         << t.error().message().toStdString();
    }
}

TEST(TimeCodeArithmetic, MillisecondAndFrameAdditionsCarryOneStepPerField)
{
    const auto pal = VideoStandard::pal();
    EXPECT_EQ(addTimeCodes({0, 59, 59, 999}, {0, 0, 0, 1}), (TimeCode{1, 0, 0, 0}));
    EXPECT_EQ(addTimeCodes({99, 0, 0, 500}, {1, 0, 0, 500}), (TimeCode{100, 0, 1, 0}));
    EXPECT_EQ(addTimeCodeFrames({0, 0, 1, 20}, {0, 0, 0, 7}, pal), (TimeCode{0, 0, 2, 2}));
    EXPECT_EQ(addTimeCodeFrames({0, 59, 59, 24}, {0, 0, 0, 1}, pal), (TimeCode{1, 0, 0, 0}));
    EXPECT_EQ(addTimeCodeFrames({0, 0, 0, 29}, {0, 0, 0, 1}, VideoStandard::ntsc()), (TimeCode{0, 0, 1, 0}));
}

TEST(TimeCodeArithmetic, AddingFramesCarriesUntilNormalised)
{
    const struct {
        TimeCode t;
        uint16_t frames;
        VideoStandard standard;
        TimeCode expected;
    } rows[] = {
        {{0, 0, 0, 0}, 3000, VideoStandard::pal(), {0, 2, 0, 0}},
        {{0, 0, 0, 0}, 65535, VideoStandard::pal(), {0, 43, 41, 10}},
        {{0, 59, 59, 29}, 1, VideoStandard::ntsc(), {1, 0, 0, 0}},
        {{2, 10, 0, 3}, 0, VideoStandard::pal(), {2, 10, 0, 3}},
        // Before any standard is known maxFrame is 0: every frame counts as a second, no division by 0.
        {{0, 0, 0, 0}, 61, VideoStandard{}, {0, 1, 1, 0}},
    };
    for (const auto &row : rows)
        EXPECT_EQ(addFramesToTimeCode(row.t, row.frames, row.standard), row.expected)
            << row.frames << " frames gave " << show(addFramesToTimeCode(row.t, row.frames, row.standard));
}

TEST(TimeCodeArithmetic, LessComparesFieldByField)
{
    EXPECT_TRUE(timeCodeLess({0, 0, 1, 5}, {0, 0, 1, 6}));
    EXPECT_FALSE(timeCodeLess({0, 0, 1, 6}, {0, 0, 1, 6}));
    EXPECT_FALSE(timeCodeLess({0, 0, 2, 0}, {0, 0, 1, 24}));
    EXPECT_TRUE(timeCodeLess({0, 59, 59, 24}, {1, 0, 0, 0}));
    // A running time beyond a byte per field still orders right.
    EXPECT_TRUE(timeCodeLess({1, 0, 0, 0}, {256, 0, 0, 0}));
    EXPECT_FALSE(timeCodeLess({256, 0, 0, 0}, {1, 0, 0, 0}));
}

TEST(TimeCodeBcd, DecodesNibblesAfterRemovingTheFrameFlag)
{
    EXPECT_EQ(decodeBcdTimeCode(0x01, 0x23, 0x45, 0x56, VideoStandard::pal()), (TimeCode{1, 23, 45, 16}));
    EXPECT_EQ(decodeBcdTimeCode(0x00, 0x00, 0x00, 0xD9, VideoStandard::ntsc()).fraction, 19);
    EXPECT_EQ(decodeBcdTimeCode(0x1F, 0x00, 0x00, 0x40, VideoStandard::pal()), (TimeCode{25, 0, 0, 0}));
    // A frame byte below the flag wraps modulo 256 instead of going negative.
    EXPECT_EQ(decodeBcdTimeCode(0, 0, 0, 0x00, VideoStandard::pal()).fraction, 120);
}

TEST(TimeCodeConversion, MillisecondsSplitAndJoinTruncatingTowardZero)
{
    const struct {
        int64_t ms;
        TimeCode t;
    } rows[] = {
        {3723004, {1, 2, 3, 4}},
        {-1500, {0, 0, -1, -500}},
        {0, {0, 0, 0, 0}},
        {999, {0, 0, 0, 999}},
        {3600000LL * 700, {700, 0, 0, 0}}, // past the 596 hours a 32-bit count could hold
    };
    for (const auto &row : rows) {
        EXPECT_EQ(millisecondsToTimeCode(row.ms), row.t) << row.ms;
        EXPECT_EQ(timeCodeToMilliseconds(row.t), row.ms) << show(row.t);
    }
}

TEST(TimeCodeConversion, PresentationClockIs90kHz)
{
    EXPECT_EQ(ptsToMilliseconds(90000), 1000);
    EXPECT_EQ(ptsToMilliseconds(-179), -1);
    EXPECT_EQ(millisecondsToPts(1000), 90000);
}

TEST(TimeCodeConversion, FramesToMillisecondsUsesTheStandardsRate)
{
    const auto pal = framesToMilliseconds({1, 2, 3, 24}, VideoStandard::pal());
    ASSERT_TRUE(pal.ok());
    EXPECT_EQ(*pal, (TimeCode{1, 2, 3, 960}));
    const auto ntsc = framesToMilliseconds({0, 0, 0, 29}, VideoStandard::ntsc());
    ASSERT_TRUE(ntsc.ok());
    EXPECT_EQ(ntsc->fraction, 966);
}

TEST(TimeCodeConversion, DecisecondsText)
{
    const auto t = decisecondsToTimeCode(u"36615");
    ASSERT_TRUE(t.ok());
    EXPECT_EQ(*t, (TimeCode{1, 1, 1, 500}));
    const auto negative = decisecondsToTimeCode(u"-15");
    ASSERT_TRUE(negative.ok());
    EXPECT_EQ(*negative, (TimeCode{0, 0, -1, -500}));
    for (const char16_t *bad : {u"", u"1.5", u"abc", u"99999999999999999999"}) {
        const auto r = decisecondsToTimeCode(bad);
        ASSERT_FALSE(r.ok()) << QString::fromUtf16(bad).toStdString();
        EXPECT_TRUE(r.error().what.contains(QString::fromUtf16(bad)));
    }
}

TEST(TimeCodeConversion, ZeroFrameRateIsAnErrorNotADivision)
{
    EXPECT_FALSE(framesToMilliseconds({0, 0, 1, 5}, VideoStandard{}).ok());
    EXPECT_FALSE(frameNumberToTimeCode(u"100", 0).ok());
    EXPECT_FALSE(frameNumberToTimeCode(int64_t(0), 0).ok());
    const auto frame = timeCodeToFrameNumber({0, 0, 4, 0}, 0);
    ASSERT_FALSE(frame.ok());
    EXPECT_TRUE(frame.error().why.contains(QLatin1String("0")));
}

TEST(TimeCodeConversion, FrameNumbersAndTimes)
{
    const struct {
        const char16_t *frame;
        uint32_t rate;
        TimeCode time;
    } rows[] = {
        {u"100", 25000, {0, 0, 4, 0}},
        {u"100", 23976, {0, 0, 4, 171}},
        {u"29", 25000, {0, 0, 1, 160}},
        {u"1", 29970, {0, 0, 0, 33}},
        {u"0", 30000, {0, 0, 0, 0}},
        {u"89910", 29970, {0, 50, 0, 0}},
        {u"5000000", 25000, {55, 33, 20, 0}}, // beyond the 32-bit product of frame x 1000
    };
    for (const auto &row : rows) {
        const auto t = frameNumberToTimeCode(row.frame, row.rate);
        ASSERT_TRUE(t.ok()) << t.error().message().toStdString();
        EXPECT_EQ(*t, row.time) << QString::fromUtf16(row.frame).toStdString() << " at " << row.rate
                                << " gave " << show(*t);
        const auto back = timeCodeToFrameNumber(row.time, row.rate);
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(*back, QString::fromUtf16(row.frame).toLongLong()) << show(row.time) << " at " << row.rate;
    }
}

TEST(TimeCodeConversion, TimeToFrameIsTheFrameShownAtThatTime)
{
    const struct {
        TimeCode time;
        uint32_t rate;
        int64_t frame;
    } rows[] = {
        {{0, 0, 1, 160}, 25000, 29}, // exact frame time: not one low
        {{0, 0, 1, 159}, 25000, 28},
        {{0, 0, 0, 39}, 25000, 0},
        {{0, 0, 0, 40}, 25000, 1},
        {{0, 0, 0, 32}, 29970, 0},
        {{0, 0, 0, 33}, 29970, 1}, // frame 1 starts at 33.37 ms, shown as 33
        {{0, 0, -1, -160}, 25000, -29},
        // Frame 2 at 23.976 starts at 83.42 ms and is written 83: that time is frame 2, where truncating
        // 0.083 s x 23.976 would give 1 and move every such subtitle a frame early on a round trip.
        {{0, 0, 0, 82}, 23976, 1},
        {{0, 0, 0, 83}, 23976, 2},
        {{0, 0, 0, 84}, 23976, 2},
        {{0, 0, 4, 170}, 23976, 99},
        {{0, 0, 4, 171}, 23976, 100}, // frame 100 starts at 4170.83 ms
        {{0, 0, 0, 16}, 59940, 0},
        {{0, 0, 0, 17}, 59940, 1}, // frame 1 starts at 16.68 ms
        {{10, 0, 0, 0}, 23976, 863136}, // a frame start that is a whole millisecond
        {{10, 0, 0, 0}, 29970, 1078920},
    };
    for (const auto &row : rows) {
        const auto frame = timeCodeToFrameNumber(row.time, row.rate);
        ASSERT_TRUE(frame.ok());
        EXPECT_EQ(*frame, row.frame) << show(row.time) << " at " << row.rate;
    }
}

TEST(TimeCodeConversion, FrameToTimeToFrameRoundTripsAtEveryRate)
{
    for (const uint32_t rate : {25000u, 29970u, 30000u, 23976u}) {
        int64_t previousMs = -1;
        // Three hours of frames, and a stretch far beyond the old 32-bit limit.
        for (const int64_t first : {int64_t(0), int64_t(40'000'000)}) {
            for (int64_t frame = first; frame < first + 3 * 3600 * 30; ++frame) {
                const auto t = frameNumberToTimeCode(frame, rate);
                ASSERT_TRUE(t.ok());
                const int64_t ms = timeCodeToMilliseconds(*t);
                ASSERT_GT(ms, previousMs) << "frame " << frame << " at " << rate;
                previousMs = ms;
                ASSERT_GE(t->fraction, 0);
                ASSERT_LE(t->fraction, 999);
                const auto back = timeCodeToFrameNumber(*t, rate);
                ASSERT_TRUE(back.ok());
                ASSERT_EQ(*back, frame) << show(*t) << " at " << rate;
            }
        }
    }
}

TEST(TimeCodeConversion, BadFrameNumbersAreErrors)
{
    for (const char16_t *bad : {u"", u"12a", u"1e3", u"-1", u"99999999999999999999"}) {
        const auto t = frameNumberToTimeCode(bad, 25000);
        EXPECT_FALSE(t.ok()) << QString::fromUtf16(bad).toStdString();
    }
    EXPECT_FALSE(frameNumberToTimeCode(std::numeric_limits<int64_t>::max(), 1).ok());
    // Hours that would not fit the record.
    EXPECT_FALSE(frameNumberToTimeCode(std::numeric_limits<int64_t>::max(), 25000).ok());
}

TEST(TimeCodeConversion, HighestFrameOfASecondRoundsTheRateAndStaysInRange)
{
    struct Case {
        uint32_t rateX1000;
        int expected;
    };
    // 29.97 and 23.976 round up to whole frames: truncating would lose the second's last frame number.
    for (const Case c : {Case{25000, 24}, Case{29970, 29}, Case{30000, 29}, Case{23976, 23}, Case{59940, 59},
                         Case{24499, 23}, Case{24500, 24}, Case{0, 0}, Case{999, 0}, Case{1499, 0}, Case{1500, 1},
                         Case{300000, 255}, Case{std::numeric_limits<uint32_t>::max(), 255}}) {
        EXPECT_EQ(highestFrameOfSecond(c.rateX1000), c.expected) << c.rateX1000;
    }
}
