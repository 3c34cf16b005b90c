// Time correction: each step on small stores, the questions and warnings, and the limits of the arithmetic.
#include "subtitles/time_correction.h"

#include "subtitle_builder.h"

#include <gtest/gtest.h>

#include <ostream>

#include <deque>
#include <limits>
#include <vector>

namespace glyfex::subtitles {
namespace {

using core::Answer;

struct Span {
    int64_t start;
    int64_t stop;
    friend bool operator==(const Span &, const Span &) = default;
};

void PrintTo(const Span &s, std::ostream *os)
{
    *os << s.start << "-" << s.stop;
}

SubtitleStore storeOf(const std::vector<Span> &spans, const QStringList &text = {QStringLiteral("Hello")})
{
    SubtitleStore store;
    for (const Span &s : spans)
        store.subs.push_back(test::makeSubtitle(core::millisecondsToTimeCode(s.start),
                                                core::millisecondsToTimeCode(s.stop), text));
    return store;
}

std::vector<Span> spansOf(const SubtitleStore &store)
{
    std::vector<Span> spans;
    for (const Subtitle &s : store.subs)
        spans.push_back({core::timeCodeToMilliseconds(s.start), core::timeCodeToMilliseconds(s.stop)});
    return spans;
}

struct Case {
    const char *name;
    std::vector<Span> before;
    TimeCorrectionOptions options;
    std::deque<Answer> answers;
    std::vector<Span> after;
    int questions;
    int warnings;
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.name;
}

// Answers the questions from a list (No when it runs out) and keeps every text shown.
class ScriptedPrompt : public core::UserPrompt {
public:
    std::deque<Answer> answers;
    QStringList shown;

    void warn(const QString &text) override { shown << QStringLiteral("warn: ") + text; }
    void error(const QString &text) override { shown << QStringLiteral("error: ") + text; }
    void inform(const QString &text) override { shown << QStringLiteral("inform: ") + text; }
    Answer confirm(const QString &text) override { return next(QStringLiteral("confirm: ") + text); }
    Answer ask(const QString &text) override { return next(QStringLiteral("ask: ") + text); }

private:
    Answer next(const QString &text)
    {
        shown << text;
        if (answers.empty())
            return Answer::No;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};

class TimeCorrection : public testing::TestWithParam<Case> {};

TEST_P(TimeCorrection, GivesTheTimesOfTheRule)
{
    const Case &c = GetParam();
    SubtitleStore store = storeOf(c.before);
    ScriptedPrompt prompt;
    prompt.answers = c.answers;
    const core::MessageTable messages;
    correctTimes(store, c.options, messages, prompt);
    EXPECT_EQ(spansOf(store), c.after);
    int questions = 0;
    int warnings = 0;
    for (const QString &shown : prompt.shown) {
        questions += shown.startsWith(QStringLiteral("confirm: "));
        warnings += shown.startsWith(QStringLiteral("warn: "));
    }
    EXPECT_EQ(questions, c.questions);
    EXPECT_EQ(warnings, c.warnings);
}

TimeCorrectionOptions offset(int64_t ms, bool minus)
{
    TimeCorrectionOptions o;
    o.offsetMs = ms;
    o.minusOffset = minus;
    return o;
}

TimeCorrectionOptions stretch(int64_t ms, bool minus)
{
    TimeCorrectionOptions o;
    o.stretchMs = ms;
    o.minusStretch = minus;
    return o;
}

TimeCorrectionOptions durations(DurationMethod method)
{
    TimeCorrectionOptions o;
    o.modifyDuration = true;
    o.durationMethod = method;
    return o;
}

TimeCorrectionOptions interval(int64_t ms)
{
    TimeCorrectionOptions o;
    o.minIntervalMs = ms;
    return o;
}

TimeCorrectionOptions repair(int fps)
{
    TimeCorrectionOptions o;
    o.authorRepair = true;
    o.framesPerSecond = fps;
    return o;
}

constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
constexpr int64_t kFiftyMinutes = 3000000;

INSTANTIATE_TEST_SUITE_P(
    Steps, TimeCorrection,
    testing::Values(
        Case{"OffsetAddsToEveryTime", {{1000, 2000}, {5000, 6000}}, offset(2500, false), {},
             {{3500, 4500}, {7500, 8500}}, 0, 0},
        Case{"MinusOffsetBelowZeroAsksAndYesGivesZero", {{1500, 3000}, {5000, 6000}}, offset(2000, true), {Answer::Yes},
             {{0, 1000}, {3000, 4000}}, 1, 0},
        Case{"StopBelowZeroBecomesZero", {{1500, 1800}}, offset(2000, true), {Answer::Yes}, {{0, 0}}, 1, 0},
        Case{"StartExactlyZeroAsksToo", {{2000, 3000}}, offset(2000, true), {Answer::Yes}, {{0, 1000}}, 1, 0},
        Case{"NoPartWayChangesNothing",
             {{5000, 6000}, {1000, 2000}, {9000, 9500}},
             offset(3000, true),
             {Answer::No},
             {{5000, 6000}, {1000, 2000}, {9000, 9500}},
             1,
             0},
        Case{"EveryLowStartIsAsked", {{100, 900}, {200, 950}, {5000, 6000}}, offset(1000, true),
             {Answer::Yes, Answer::Yes}, {{0, 0}, {0, 0}, {4000, 5000}}, 2, 0},
        Case{"OffsetClampsAtTheLargestTime", {{kMax - 10, kMax - 5}}, offset(3600000, false), {}, {{kMax, kMax}}, 0, 0},
        Case{"StretchMovesTheLastStartByTheAmount", {{0, 1000}, {50000, 52000}, {100000, 101000}}, stretch(10000, false),
             {}, {{0, 1100}, {55000, 57200}, {110000, 111100}}, 0, 0},
        Case{"MinusStretchScalesFromZero",
             {{600000, 603000}, {kFiftyMinutes, kFiftyMinutes + 3000}},
             stretch(5000, true),
             {},
             {{599000, 601995}, {kFiftyMinutes - 5000, kFiftyMinutes - 5000 + 2995}},
             0,
             0},
        Case{"StretchRoundsHalvesToEven", {{1, 3}, {2, 5}}, stretch(1, false), {}, {{2, 4}, {3, 8}}, 0, 0},
        Case{"MinusStretchLargerThanTheFileWarns", {{1000, 2000}, {4000, 5000}}, stretch(5000, true), {},
             {{1000, 2000}, {4000, 5000}}, 0, 1},
        Case{"StretchWithTheLastStartAtZeroWarns", {{0, 1000}}, stretch(1000, false), {}, {{0, 1000}}, 0, 1},
        Case{"FixedDurationStopsAtTheNextStart", {{1000, 1500}, {3000, 3500}, {20000, 20100}},
             durations(DurationMethod::Fixed), {}, {{1000, 3000}, {3000, 7000}, {20000, 24000}}, 0, 0},
        Case{"ProportionalDurationStopsAtTheNextStart", {{10000, 10200}, {11000, 11100}},
             durations(DurationMethod::Proportional), {}, {{10000, 10750}, {11000, 11750}}, 0, 0},
        Case{"DurationNeverEndsBeforeItsStart", {{5000, 6000}, {3000, 3500}}, durations(DurationMethod::Fixed), {},
             {{5000, 5000}, {3000, 7000}}, 0, 0},
        Case{"IntervalMovesACloseStopBack", {{1000, 2950}, {3000, 4000}, {4100, 5000}}, interval(200), {},
             {{1000, 2800}, {3000, 3900}, {4100, 5000}}, 0, 0},
        Case{"IntervalLeavesOverlapsAndFarStops", {{1000, 3500}, {3000, 4000}, {6000, 7000}}, interval(200), {},
             {{1000, 3500}, {3000, 4000}, {6000, 7000}}, 0, 0},
        Case{"IntervalNeverMovesAStopBeforeItsStart", {{1000, 1100}, {1150, 2000}}, interval(500), {},
             {{1000, 1000}, {1150, 2000}}, 0, 0},
        Case{"RepairGivesAZeroSubtitleOneFrame", {{1000, 1000}, {5000, 6000}}, repair(25), {},
             {{1000, 1040}, {5000, 6000}}, 0, 0},
        Case{"RepairCutsAnOverlapAndMovesTheNextStart", {{1000, 3100}, {3000, 4000}}, repair(25), {},
             {{1000, 3000}, {3040, 4000}}, 0, 0},
        Case{"RepairAtThirtyFramesUsesThirtyThreeMs", {{1000, 1010}, {1020, 1020}}, repair(30), {},
             {{1000, 1033}, {1066, 1099}}, 0, 0},
        Case{"RepairMendsAStopFarBeforeItsStart", {{1000, 20}, {9000, 9500}}, repair(25), {},
             {{1000, 1040}, {9000, 9500}}, 0, 0}),
    [](const testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

TEST(TimeCorrectionSteps, RunInOrderAndTheLaterOnesRunAfterAWarning)
{
    // The stretch warns (last start 0) yet the repair still runs.
    SubtitleStore store = storeOf({{0, 0}});
    TimeCorrectionOptions o = stretch(1000, false);
    o.authorRepair = true;
    ScriptedPrompt prompt;
    EXPECT_EQ(correctTimes(store, o, core::MessageTable(), prompt), TimeCorrectionOutcome::Applied);
    EXPECT_EQ(spansOf(store), (std::vector<Span>{{0, 40}}));

    // Offset, then stretch of the shifted times, then durations from the stretched starts.
    store = storeOf({{1000, 1100}, {9000, 9100}});
    o = offset(1000, false);
    o.stretchMs = 5000;
    o.modifyDuration = true;
    o.durationMethod = DurationMethod::Fixed;
    o.fixedDurationMs = 2000;
    EXPECT_EQ(correctTimes(store, o, core::MessageTable(), prompt), TimeCorrectionOutcome::Applied);
    EXPECT_EQ(spansOf(store), (std::vector<Span>{{3000, 5000}, {15000, 17000}}));
}

TEST(TimeCorrectionSteps, AnEmptyStoreAsksNothing)
{
    SubtitleStore store;
    ScriptedPrompt prompt;
    EXPECT_EQ(correctTimes(store, offset(5000, true), core::MessageTable(), prompt), TimeCorrectionOutcome::Unchanged);
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST(TimeCorrectionSteps, TheQuestionNamesTheSubtitlesTime)
{
    SubtitleStore store = storeOf({{1500, 3000}});
    ScriptedPrompt prompt;
    prompt.answers = {Answer::No};
    EXPECT_EQ(correctTimes(store, offset(2000, true), core::MessageTable(), prompt), TimeCorrectionOutcome::Abandoned);
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0], QStringLiteral("confirm: Warning\r\nTime Code 00:00:01,500 will be reduced to "
                                              "00:00:00,000.\rDo you want to continue? (No undo!)"));
}

TEST(TimeCorrectionSteps, TheTextLengthOfEveryLineCounts)
{
    // 500 + 20 characters x 50 ms: the first ends at the next start (11 s), not at 11.5 s.
    SubtitleStore store = storeOf({{10000, 10001}, {11000, 11001}},
                                  {QStringLiteral("0123456789"), QStringLiteral("abcdefghij")});
    core::SilentPrompt prompt;
    EXPECT_EQ(correctTimes(store, durations(DurationMethod::Proportional), core::MessageTable(), prompt),
              TimeCorrectionOutcome::Applied);
    EXPECT_EQ(spansOf(store), (std::vector<Span>{{10000, 11000}, {11000, 12500}}));
}

} // namespace
} // namespace glyfex::subtitles
