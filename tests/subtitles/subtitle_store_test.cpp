// The store's entry point: the video merge rule, the skipped-item placeholder, suppression, and its bounds.
#include "subtitles/subtitle_store.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

#include <deque>
#include <ostream>

namespace glyfex::subtitles {
namespace {

using core::TimeCode;

// Answers the skipped-item questions from a script and counts them.
class ScriptedAsker : public SkippedItemAsker {
public:
    std::deque<Answer> answers;
    int asked = 0;
    Answer askSkippedItem() override
    {
        ++asked;
        if (answers.empty())
            return {};
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};

NewSubtitle text(QStringList lines, int startMs, int stopMs)
{
    NewSubtitle n;
    n.lines = std::move(lines);
    n.fromPicture = true;
    n.start = core::millisecondsToTimeCode(startMs);
    n.stop = core::millisecondsToTimeCode(stopMs);
    n.rect = {10, 400, 700, 470};
    n.colorWord = 0x1234;
    n.contrastWord = 0xFFF0;
    return n;
}

// A video at 25 fps: one frame is 40 ms.
AddContext video(int skipFirst)
{
    AddContext c;
    c.videoOpen = true;
    c.videoFpsX1000 = 25000;
    c.skipFirstFrames = skipFirst;
    return c;
}

struct MergeCase {
    const char *name;
    QStringList previous;
    QStringList next;
    bool videoOpen;
    int gapFrames; // next start - previous stop, in frames at 25 fps
    bool merged;
};

// The row's name, so that test names stay readable and stable.
void PrintTo(const MergeCase &c, std::ostream *os)
{
    *os << c.name;
}

class MergeRule : public testing::TestWithParam<MergeCase> {};

TEST_P(MergeRule, ContinuesTheLastSubtitleOnlyForARepeatWithinTheGap)
{
    const MergeCase &c = GetParam();
    SubtitleStore store;
    ScriptedAsker asker;
    AddContext context = video(3);
    context.videoOpen = c.videoOpen;
    ASSERT_TRUE(addSubtitle(store, text(c.previous, 1000, 2000), context, asker).ok());
    const auto report = addSubtitle(store, text(c.next, 2000 + c.gapFrames * 40, 3000 + c.gapFrames * 40),
                                    context, asker);
    ASSERT_TRUE(report.ok());
    if (c.merged) {
        EXPECT_EQ(report->outcome, AddReport::Outcome::Merged);
        ASSERT_EQ(store.count(), 1);
        EXPECT_EQ(store.at(1).start, core::millisecondsToTimeCode(1000));
        EXPECT_EQ(store.at(1).stop, core::millisecondsToTimeCode(3000 + c.gapFrames * 40));
        EXPECT_EQ(store.at(1).lines, c.previous);
    } else {
        EXPECT_EQ(report->outcome, AddReport::Outcome::Added);
        EXPECT_EQ(store.count(), 2);
        EXPECT_EQ(store.at(2).lines, c.next);
    }
    EXPECT_EQ(report->index, store.count());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeRule,
    testing::Values(MergeCase{"SameTextWithinGap", {"A", "B"}, {"A", "B"}, true, 3, true},
                    MergeCase{"SameTextOneFrameTooLate", {"A", "B"}, {"A", "B"}, true, 4, false},
                    MergeCase{"StartBeforePreviousStop", {"A"}, {"A"}, true, -10, true},
                    MergeCase{"MoreNewLinesAreDropped", {"A"}, {"A", "B"}, true, 1, true},
                    MergeCase{"FewerNewLinesIsNoRepeat", {"A", "B"}, {"A"}, true, 1, false},
                    MergeCase{"CaseMatters", {"A"}, {"a"}, true, 0, false},
                    MergeCase{"NoVideoNeverMerges", {"A"}, {"A"}, false, 0, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SubtitleStore, NewSubtitleTakesTheRecognisedLineColoursAndTheArguments)
{
    SubtitleStore store;
    ScriptedAsker asker;
    AddContext context;
    context.recognisedLineColors[0] = 0xFFFFFF;
    context.recognisedLineColors[1] = 0xFFFF00;
    ASSERT_TRUE(addSubtitle(store, text({"one", "two"}, 1000, 2500), context, asker).ok());
    const Subtitle &s = store.at(1);
    EXPECT_EQ(s.lineColors[0], 0xFFFFFFu);
    EXPECT_EQ(s.lineColors[1], 0xFFFF00u);
    EXPECT_EQ(s.rect.left, 10);
    EXPECT_EQ(s.rect.bottom, 470);
    EXPECT_EQ(s.colorWord, 0x1234);
    EXPECT_EQ(s.contrastWord, 0xFFF0);
    EXPECT_EQ(asker.asked, 0);
}

TEST(SubtitleStore, PictureWithoutTextAndSuppressionAddsNothingAndAsksNothing)
{
    SubtitleStore store;
    ScriptedAsker asker;
    NewSubtitle skipped = text({}, 0, 1000);
    skipped.suppressEmpty = true;
    const auto report = addSubtitle(store, skipped, AddContext{}, asker);
    ASSERT_TRUE(report.ok());
    EXPECT_EQ(report->outcome, AddReport::Outcome::NothingAdded);
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(asker.asked, 0);
}

TEST(SubtitleStore, PictureWithoutTextBecomesNumberedPlaceholderWhenNothingIsTyped)
{
    SubtitleStore store;
    ScriptedAsker asker;
    AddContext context;
    context.recognisedLineColors[0] = 0x00FF00;
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(addSubtitle(store, text({QString::number(i)}, i * 1000, i * 1000 + 500), context, asker).ok());
    asker.answers.push_back({false, {QString(), QStringLiteral("ignored")}});
    ASSERT_TRUE(addSubtitle(store, text({}, 7000, 8000), AddContext{}, asker).ok());
    ASSERT_EQ(store.count(), 7);
    EXPECT_EQ(store.at(7).lines, QStringList{"[ Skipped item nr. 7 ]"});
    // The placeholder takes the first subtitle's first colour.
    EXPECT_EQ(store.at(7).lineColors[0], 0x00FF00u);
    EXPECT_EQ(store.at(7).start, core::millisecondsToTimeCode(7000));
    EXPECT_EQ(asker.asked, 1);
}

TEST(SubtitleStore, PictureWithoutTextTakesTheTypedTextOrIsDroppedByTheAssistant)
{
    SubtitleStore store;
    ScriptedAsker asker;
    asker.answers.push_back({false, {"typed", "text"}});
    asker.answers.push_back({true, {"dropped"}});
    ASSERT_TRUE(addSubtitle(store, text({}, 0, 1000), AddContext{}, asker).ok());
    const auto dropped = addSubtitle(store, text({}, 2000, 3000), AddContext{}, asker);
    ASSERT_TRUE(dropped.ok());
    EXPECT_EQ(dropped->outcome, AddReport::Outcome::NothingAdded);
    ASSERT_EQ(store.count(), 1);
    EXPECT_EQ(store.at(1).lines, (QStringList{"typed", "text"}));
    // The first subtitle of a fresh store has no earlier colour to take.
    EXPECT_EQ(store.at(1).lineColors[0], 0u);
}

TEST(SubtitleStore, LinesBeyondTenAreDroppedWithAWarning)
{
    SubtitleStore store;
    ScriptedAsker asker;
    QStringList twelve;
    for (int i = 1; i <= 12; ++i)
        twelve << QString::number(i);
    const auto report = addSubtitle(store, text(twelve, 0, 1000), AddContext{}, asker);
    ASSERT_TRUE(report.ok());
    EXPECT_EQ(store.at(1).lineCount(), kMaxLines);
    EXPECT_EQ(store.at(1).lines.last(), QStringLiteral("10"));
    EXPECT_TRUE(report->warning.contains(QStringLiteral("2 further lines")));

    asker.answers.push_back({false, twelve});
    const auto typed = addSubtitle(store, text({}, 2000, 3000), AddContext{}, asker);
    ASSERT_TRUE(typed.ok());
    EXPECT_EQ(store.at(2).lineCount(), kMaxLines);
    EXPECT_FALSE(typed->warning.isEmpty());
}

TEST(SubtitleStore, FullStoreRefusesTheNextSubtitleAndStaysUnchanged)
{
    SubtitleStore store;
    ScriptedAsker asker;
    store.subs.resize(SubtitleStore::kCapacity);
    store.at(SubtitleStore::kCapacity).lines = QStringList{"last"};
    const auto refused = addSubtitle(store, text({"more"}, 0, 1000), AddContext{}, asker);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().message().contains(QStringLiteral("15000")));
    const auto refusedEmpty = addSubtitle(store, text({}, 0, 1000), AddContext{}, asker);
    EXPECT_FALSE(refusedEmpty.ok());
    EXPECT_EQ(asker.asked, 0);
    EXPECT_EQ(store.count(), SubtitleStore::kCapacity);
    EXPECT_EQ(store.last().lines, QStringList{"last"});

    // A repeat in a video still continues the last subtitle: that needs no room.
    const auto merged = addSubtitle(store, text({"last"}, 0, 1000), video(5), asker);
    ASSERT_TRUE(merged.ok());
    EXPECT_EQ(merged->outcome, AddReport::Outcome::Merged);
}

} // namespace
} // namespace glyfex::subtitles
