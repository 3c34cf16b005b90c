// The recognition driver on small drawn pictures: every answer code, joins and runs, spacing, clean-up, hand-over and mask.
#include "ascii_picture.h"
#include "ocr_road.h"

#include "recognition/mask_file.h"
#include "recognition/recognition_driver.h"
#include "recognition/scripted_answerer.h"
#include "ripping/vob_source_run.h"
#include "support/test_data.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

using namespace glyfex;
using namespace glyfex::recognition;

namespace {

// Glyphs are solid blocks 10 rows high whose widths differ by more than the width tolerance, so no
// two letters match each other; "." is a low 3 x 3 block, "'" a high 3 x 5 one. A blank in the
// layout is a word gap.
const std::map<char, int> kWidths = {{'a', 3}, {'b', 7}, {'c', 11}, {'d', 15}, {'e', 19}};

constexpr int kLetterGap = 2;
constexpr int kWordGap = 12;
constexpr int kLineHeight = 10;
constexpr int kLinePitch = 18;

picture::CodeImage drawLines(const std::vector<std::string> &lines)
{
    picture::CodeImage image(240, 4 + kLinePitch * int(lines.size()));
    for (size_t l = 0; l < lines.size(); ++l) {
        const int top = 2 + kLinePitch * int(l);
        int x = 2;
        for (char ch : lines[l]) {
            if (ch == ' ') {
                x += kWordGap - kLetterGap;
                continue;
            }
            if (ch == '.') {
                test::fillRect(image, x, top + kLineHeight - 3, 3, 3);
                x += 3 + kLetterGap;
                continue;
            }
            if (ch == '\'') { // a high stroke, too short for the shape rule of spacing
                test::fillRect(image, x, top, 3, 5);
                x += 3 + kLetterGap;
                continue;
            }
            const int w = kWidths.at(ch);
            test::fillRect(image, x, top, w, kLineHeight);
            x += w + kLetterGap;
        }
    }
    return image;
}

picture::DecodedPicture pictureOf(const picture::CodeImage &codes)
{
    picture::DecodedPicture p;
    p.codes = codes;
    p.colourMap = {0, 1, 2, 3};
    p.contrastMap = {0, 15, 15, 15};
    p.colourCandidates = {0, 2, 0, 0}; // only code 1 is visible
    return p;
}

class CountingPrompt : public core::UserPrompt {
public:
    void warn(const QString &t) override { warnings.append(t); }
    void error(const QString &t) override { errors.append(t); }
    void inform(const QString &) override {}
    core::Answer confirm(const QString &) override
    {
        ++confirms;
        return confirmAnswer;
    }
    core::Answer ask(const QString &) override { return core::Answer::Yes; }
    QStringList warnings, errors;
    int confirms = 0;
    core::Answer confirmAnswer = core::Answer::No;
};

// The OCR assistant as a user who closes it at once; its presence enables the buttons that open it.
struct ClosedAssistant : OcrAssistant {
    bool assist(const picture::DecodedPicture &, OcrAssistState &) override { return false; }
};

// One driver over drawn pictures, answered by a script.
struct Rig {
    CharMatrix matrix;
    subtitles::SubtitleStore store;
    test::DropSkippedItems skipped;
    OcrAssistState assist;
    CountingPrompt prompt;
    ripping::RunState run;
    ripping::VobSourceRun source{run};
    MainRunControl control{&source, assist, matrix, prompt};
    ScriptedAnswerer script{control};
    ClosedAssistant assistant;
    RecognitionDriver driver;

    explicit Rig(DriverOptions options = {}, bool withAssistant = true)
        : driver(DriverEnvironment{matrix, store, skipped, script, assist, prompt, withAssistant ? &assistant : nullptr, &source},
                 std::move(options))
    {
    }
    PictureOutcome recognise(const std::vector<std::string> &lines, int startMs = 1000)
    {
        auto out = driver.recognisePicture(pictureOf(drawLines(lines)), core::millisecondsToTimeCode(startMs),
                                           core::millisecondsToTimeCode(startMs + 2000), picture::Rect{10, 400, 249, 439});
        EXPECT_TRUE(out.ok());
        return out.ok() ? *out : PictureOutcome{};
    }
    void say(std::vector<ScriptedStep> steps)
    {
        for (auto &s : steps)
            script.push(std::move(s));
    }
};

ScriptedStep press(AnswerCode code, const char *text = "", uint8_t style = 0)
{
    return ScriptedStep{code, QString::fromUtf8(text), style, false, nullptr};
}

std::string joined(const QStringList &lines) { return lines.join(QLatin1Char('|')).toStdString(); }

const char *endName(PictureOutcome::End e)
{
    switch (e) {
    case PictureOutcome::End::Added: return "added";
    case PictureOutcome::End::Merged: return "merged";
    case PictureOutcome::End::NothingAdded: return "nothing added";
    case PictureOutcome::End::Abandoned: return "abandoned";
    case PictureOutcome::End::NoColour: return "no colour";
    }
    return "?";
}

} // namespace

// ---- Each answer code, on a fresh matrix.

struct AnswerCase {
    const char *name;
    std::vector<std::string> picture;
    std::vector<ScriptedStep> script;
    const char *lines;          // the subtitle stored, "|" between lines; nullptr when none is stored
    PictureOutcome::End end;
    int learned;                // matrix entries afterwards
    int skippedQuestions;       // how often the store asked about a picture without text
    const char *again;          // the text of the same picture recognised again, nullptr when it asks
};

// Listings show a row by its name, not by its bytes (pointers among them, which change from run to run).
static void PrintTo(const AnswerCase &c, std::ostream *os) { *os << c.name; }

class AnswerCodes : public testing::TestWithParam<AnswerCase> {};

TEST_P(AnswerCodes, DecideTextLearningAndHandOver)
{
    const AnswerCase &c = GetParam();
    Rig rig;
    rig.say(c.script);
    const PictureOutcome out = rig.recognise(c.picture);
    EXPECT_TRUE(rig.script.violations().isEmpty()) << rig.script.violations().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(rig.script.scriptDone());
    EXPECT_STREQ(endName(out.end), endName(c.end));
    if (c.lines) {
        ASSERT_EQ(rig.store.count(), 1);
        EXPECT_EQ(joined(rig.store.at(1).lines), c.lines);
    } else {
        EXPECT_EQ(rig.store.count(), 0);
    }
    EXPECT_EQ(rig.matrix.count(), c.learned);
    EXPECT_EQ(rig.skipped.asked, c.skippedQuestions);
    if (c.again) {
        const PictureOutcome second = rig.recognise(c.picture, 5000);
        EXPECT_EQ(second.questions, 0);
        EXPECT_EQ(joined(second.lines), c.again);
    }
}

using E = PictureOutcome::End;
using A = AnswerCode;
INSTANTIATE_TEST_SUITE_P(
    Driver, AnswerCodes,
    testing::Values(
        AnswerCase{"OkLearnsEachGlyph", {"ab ba"}, {press(A::Ok, "x"), press(A::Ok, "y")}, "xy yx", E::Added, 2, 0, "xy yx"},
        // An entry without text would make every later glyph of its shape vanish.
        AnswerCase{"AnEmptyOkLearnsNothing", {"ab"}, {press(A::Ok, ""), press(A::Ok, "y")}, "y", E::Added, 1, 0, nullptr},
        AnswerCase{"UseTextOnlyLearnsNothing", {"ab"}, {press(A::UseTextOnly, "x"), press(A::UseTextOnly, "y")}, "xy",
                   E::Added, 0, 0, nullptr},
        AnswerCase{"SkipLineDropsOnlyThatLine", {"ab", "c", "d"},
                   {press(A::Ok, "x"), press(A::Ok, "y"), press(A::SkipLine), press(A::Ok, "w")}, "xy|w", E::Added, 3, 0,
                   nullptr},
        AnswerCase{"SkipLineOfTheOnlyLineDropsThePictureSilently", {"ab"}, {press(A::SkipLine)}, nullptr, E::NothingAdded, 0,
                   0, nullptr},
        AnswerCase{"SkipSubPictureAddsNothing", {"ab", "c"}, {press(A::Ok, "x"), press(A::SkipSubPicture)}, nullptr,
                   E::Abandoned, 1, 0, nullptr},
        AnswerCase{"PauseAddsNothing", {"ab"}, {press(A::Pause)}, nullptr, E::Abandoned, 0, 0, nullptr},
        AnswerCase{"EnterManuallyDropsRecognisedLinesAndAsks", {"ab", "c"},
                   {press(A::Ok, "x"), press(A::Ok, "y"), press(A::FillManually)}, nullptr, E::NothingAdded, 2, 1, nullptr},
        // A skipped line must not make the store drop the picture the user chose to type in.
        AnswerCase{"EnterManuallyAfterSkipLineStillAsks", {"ab", "c"}, {press(A::SkipLine), press(A::FillManually)}, nullptr,
                   E::NothingAdded, 0, 1, nullptr},
        AnswerCase{"ExtendToThreeBoxesLearnsTwoPartsAndTheRun", {"abc d"},
                   {press(A::ExtendRight), press(A::ExtendRight), press(A::Ok, "m"), press(A::Ok, "n")}, "m n", E::Added, 4, 0,
                   "m n"},
        AnswerCase{"ExtendThenShrinkLearnsTheShorterRun", {"abd"},
                   {press(A::ExtendRight), press(A::ExtendRight), press(A::ExtendLeft), press(A::Ok, "m"), press(A::Ok, "z")},
                   "mz", E::Added, 3, 0, "mz"},
        AnswerCase{"ShrinkBackToOneBoxLearnsTheBox", {"ab"}, {press(A::ExtendRight), press(A::ExtendLeft), press(A::Ok, "x"),
                   press(A::Ok, "y")}, "xy", E::Added, 2, 0, "xy"},
        AnswerCase{"UseTextOnlyAfterExtendingCoversTheRun", {"abc"},
                   {press(A::ExtendRight), press(A::UseTextOnly, "m"), press(A::UseTextOnly, "z")}, "mz", E::Added, 0, 0,
                   nullptr},
        AnswerCase{"ItalicWordsBecomeOneSpan", {"ab ba."},
                   {press(A::Ok, "x", 2), press(A::Ok, "y", 2), press(A::Ok, ".", 2)}, "<i>xy yx.</i>", E::Added, 3, 0,
                   "<i>xy yx.</i>"},
        AnswerCase{"AnItalicStopAloneLosesItsTags", {"ab ."}, {press(A::Ok, "x"), press(A::Ok, "y"), press(A::Ok, ".", 2)},
                   "xy .", E::Added, 3, 0, "xy ."}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Runs that the matrix joins by itself.

// The entry a solid block of ink makes at the top of its line.
Glyph blockEntry(int width, int height, const QString &text)
{
    Glyph g;
    g.width = uint8_t(width);
    g.height = uint8_t(height);
    for (int y = 0; y < height; ++y)
        g.rows[size_t(y)] = lowBits(width);
    g.text = core::toCharText(text);
    return g;
}

// The entry a drawn letter makes.
Glyph letterEntry(char letter, const QString &text)
{
    return blockEntry(kWidths.at(letter), kLineHeight, text);
}
const QString kJoin = QString::fromUtf16(kTakeWithNext);

TEST(DriverJoins, ARunJoinedToTheLineEndIsShownWholeAndLearnedWhole)
{
    Rig rig;
    ASSERT_EQ(rig.matrix.add(letterEntry('a', kJoin)), CharMatrix::AddOutcome::Added);
    rig.say({press(A::Ok, "m")});
    const PictureOutcome out = rig.recognise({"ac"});
    ASSERT_EQ(rig.script.seen().size(), 1u);
    const auto &q = rig.script.seen().front();
    EXPECT_EQ(q.box, 0);
    EXPECT_EQ(q.runLength, 1); // both boxes, since the answer is learned for both
    EXPECT_FALSE(q.buttons.extendRight);
    EXPECT_FALSE(q.buttons.extendLeft);
    EXPECT_EQ(joined(out.lines), "m");
    EXPECT_EQ(rig.matrix.count(), 2);
    const PictureOutcome again = rig.recognise({"ac"}, 5000);
    EXPECT_EQ(again.questions, 0);
    EXPECT_EQ(joined(again.lines), "m");
}

TEST(DriverJoins, AGlyphOfSeveralBoxesIsSpacedFromItsEnd)
{
    // Two strokes read as one double quote, then a letter 2 pixels after the second stroke: measured
    // from the first stroke the gap would be 7, a space.
    Rig rig;
    rig.say({press(A::ExtendRight), press(A::Ok, "\""), press(A::Ok, "x")});
    EXPECT_EQ(joined(rig.recognise({"''a"}).lines), "\"x");
    EXPECT_EQ(joined(rig.recognise({"''a ''a"}, 5000).lines), "\"x \"x");
}

TEST(DriverJoins, AStrokeThatStartsADoubleQuoteIsAnApostropheWhereNoQuoteFollows)
{
    // The first stroke of a double quote is also the apostrophe's shape. Before a letter it starts a
    // run that matches nothing: it reads as the apostrophe instead of asking again each time.
    Rig rig;
    rig.say({press(A::ExtendRight), press(A::Ok, "\""), press(A::Ok, "x")});
    EXPECT_EQ(joined(rig.recognise({"''a"}).lines), "\"x");
    ASSERT_EQ(rig.matrix.add(blockEntry(3, 5, QStringLiteral("'"))), CharMatrix::AddOutcome::Added);
    const PictureOutcome out = rig.recognise({"'a ''a '"}, 5000);
    EXPECT_EQ(out.questions, 0);
    EXPECT_EQ(joined(out.lines), "'x \"x '");
}

TEST(DriverJoins, OnceTheApostropheIsKnownTwoOfItsStrokesAreAskedAsOneDoubleQuote)
{
    // Without the pair the first stroke would read as the apostrophe unasked and only the second be
    // shown, so every double quote would come out as an apostrophe and something else.
    Rig rig;
    rig.say({press(A::Ok, "'"), press(A::Ok, "x")});
    EXPECT_EQ(joined(rig.recognise({"'a"}).lines), "'x");
    rig.say({press(A::Ok, "\"")});
    EXPECT_EQ(joined(rig.recognise({"''a"}, 5000).lines), "\"x");
    ASSERT_EQ(rig.script.seen().size(), 3u);
    EXPECT_EQ(rig.script.seen()[2].box, 0);
    EXPECT_EQ(rig.script.seen()[2].runLength, 1);
    const PictureOutcome again = rig.recognise({"''a 'a"}, 9000);
    EXPECT_EQ(again.questions, 0);
    EXPECT_EQ(joined(again.lines), "\"x 'x");
}

TEST(DriverJoins, AGlyphWhoseLastPieceLiesInsideItsFirstIsSpacedFromItsRightmostEdge)
{
    // A serif "9" drawn as a body and a tail that does not touch it: the tail's box lies inside the
    // body's columns, so the glyph's descriptor ends at column 8 of 13. The next "9" follows 2 columns
    // after the body; measured from the descriptor's end the gap looks like 7, a space.
    const std::vector<std::string> nine = {
        ".###########.",
        "##.........##",
        "##.........##",
        "##.........##",
        ".###########.",
        "..........##.",
        "..........##.",
        "..........##.",
        "...##.....##.",
        "...###....##.",
        "....###...##.",
        ".....###..##.",
        "......##.....",
    };
    picture::CodeImage codes(40, 17);
    for (int left : {2, 17})
        for (size_t y = 0; y < nine.size(); ++y)
            for (size_t x = 0; x < nine[y].size(); ++x)
                if (nine[y][x] == '#')
                    codes.at(left + int(x), 2 + int(y)) = 1;
    Rig rig;
    rig.say({press(A::ExtendRight), press(A::Ok, "9")});
    auto out = rig.driver.recognisePicture(pictureOf(codes), {}, {}, {});
    ASSERT_TRUE(out.ok());
    ASSERT_EQ(rig.driver.lines().size(), 1u);
    ASSERT_EQ(rig.driver.lines()[0].boxes.size(), 4u) << "two pieces to each 9";
    EXPECT_EQ(rig.driver.lines()[0].boxes[1].x, 5); // inside the body's columns 2..14
    EXPECT_EQ(joined(out->lines), "99");
    // The descriptors the matrix keeps still end at the last box: the body is learned alone as the
    // start of a run, the whole 9 as 8 columns.
    ASSERT_EQ(rig.matrix.count(), 2);
    EXPECT_EQ(int(rig.matrix.entry(2).width), 8);
}

TEST(DriverJoins, AJoinedRunWithMoreBoxesAfterItOffersToExtend)
{
    Rig rig;
    ASSERT_EQ(rig.matrix.add(letterEntry('a', kJoin)), CharMatrix::AddOutcome::Added);
    rig.say({press(A::Ok, "m"), press(A::Ok, "z")});
    const PictureOutcome out = rig.recognise({"ace"});
    ASSERT_EQ(rig.script.seen().size(), 2u);
    EXPECT_EQ(rig.script.seen()[0].runLength, 1);
    EXPECT_TRUE(rig.script.seen()[0].buttons.extendRight);
    EXPECT_FALSE(rig.script.seen()[0].buttons.extendLeft);
    EXPECT_EQ(rig.script.seen()[1].box, 2); // the run's boxes were used up
    EXPECT_EQ(joined(out.lines), "mz");
}

TEST(DriverJoins, APartEntryOnTheLastBoxIsNoBestGuess)
{
    Rig rig;
    ASSERT_EQ(rig.matrix.add(letterEntry('a', kJoin)), CharMatrix::AddOutcome::Added);
    ASSERT_EQ(rig.matrix.add(letterEntry('b', QStringLiteral("k"))), CharMatrix::AddOutcome::Added);
    rig.say({press(A::UseTextOnly, "i")});
    const PictureOutcome out = rig.recognise({"b a"});
    ASSERT_EQ(rig.script.seen().size(), 1u);
    EXPECT_EQ(rig.script.seen()[0].box, 1);
    EXPECT_EQ(rig.script.seen()[0].runLength, 0);
    EXPECT_TRUE(rig.script.seen()[0].bestGuess.isEmpty());
    EXPECT_EQ(joined(out.lines), "k i");
}

TEST(DriverJoins, ABestGuessIsOfferedAndUseTakesIt)
{
    Rig rig;
    Glyph close = letterEntry('b', QStringLiteral("h"));
    // One column wider than the drawn letter: 975 per mille, close but below the threshold.
    close.width = 8;
    for (int y = 0; y < kLineHeight; ++y)
        close.rows[size_t(y)] = lowBits(8);
    close.style = 1;
    ASSERT_EQ(rig.matrix.add(close), CharMatrix::AddOutcome::Added);
    ScriptedStep use = press(A::Ok);
    use.useBestGuess = true;
    rig.say({use});
    const PictureOutcome out = rig.recognise({"b"});
    ASSERT_EQ(rig.script.seen().size(), 1u);
    EXPECT_EQ(rig.script.seen()[0].bestGuess, QStringLiteral("h"));
    EXPECT_EQ(joined(out.lines), "<b>h</b>");
    EXPECT_EQ(rig.matrix.count(), 2);
}

TEST(DriverReadingOrder, RightToLeftReadsFromTheLastBoxAndExtendsLeftwards)
{
    DriverOptions o;
    o.rightToLeft = true;
    Rig rig(o);
    rig.say({press(A::Ok, "1"), press(A::ExtendLeft), press(A::Ok, "2")});
    const PictureOutcome out = rig.recognise({"ab d"});
    ASSERT_EQ(rig.script.seen().size(), 3u);
    EXPECT_EQ(rig.script.seen()[0].box, 2);
    EXPECT_TRUE(rig.script.seen()[0].buttons.extendLeft);
    EXPECT_FALSE(rig.script.seen()[0].buttons.extendRight);
    EXPECT_EQ(rig.script.seen()[1].box, 1);
    EXPECT_EQ(rig.script.seen()[2].runLength, 1);
    EXPECT_EQ(joined(out.lines), "1 2");
    const PictureOutcome again = rig.recognise({"ab d"}, 5000);
    EXPECT_EQ(again.questions, 0);
    EXPECT_EQ(joined(again.lines), "1 2");
}

// ---- The run control behind the answers.

TEST(DriverRunControl, PauseRewindsTheRunToThePicture)
{
    Rig rig;
    rig.run.spuSectorPos = 8 * 2048;
    rig.run.resumePos = 12 * 2048;
    rig.run.spuCount = 3;
    rig.run.spuCountTotal = 7;
    int pauseCommands = 0;
    rig.control.setPauseCommand([&] { ++pauseCommands; });
    rig.say({press(A::Pause)});
    EXPECT_EQ(rig.recognise({"a"}).end, E::Abandoned);
    EXPECT_EQ(pauseCommands, 1);
    EXPECT_EQ(rig.run.resumePos, 8 * 2048);
    EXPECT_EQ(rig.run.spuCount, 2u);
    EXPECT_EQ(rig.run.spuCountTotal, 6u);
    EXPECT_TRUE(rig.run.paused);
    EXPECT_FALSE(rig.run.pausedByMainButton);
}

TEST(DriverRunControl, WithoutARunPauseRunsThePauseCommandAndResumesWhenTheLoopStops)
{
    OcrAssistState assist;
    CharMatrix matrix;
    CountingPrompt prompt;
    MainRunControl images(nullptr, assist, matrix, prompt); // an image sequence has nothing to rewind
    int pauseCommands = 0;
    images.setPauseCommand([&] { ++pauseCommands; });
    images.requestColourChange();
    EXPECT_EQ(pauseCommands, 1);
    EXPECT_EQ(assist.mode, OcrAssistState::ColourChangeRequested);
    bool looping = true;
    images.setProcessingQuery([&] { return looping; });
    EXPECT_FALSE(images.takeAutomaticResume());
    looping = false;
    EXPECT_TRUE(images.takeAutomaticResume());
    EXPECT_FALSE(images.takeAutomaticResume());
}

TEST(DriverRunControl, ColourChangeAndFillMatrixPauseAndOpenTheAssistantForThePicture)
{
    struct Assistant : OcrAssistant {
        bool assist(const picture::DecodedPicture &, OcrAssistState &state) override
        {
            seenModes.push_back(state.mode);
            return ok;
        }
        std::vector<int> seenModes;
        bool ok = false;
    } assistant;
    for (AnswerCode press_ : {A::ChangeColour, A::FillMatrix}) {
        Rig rig;
        rig.assist.mode = OcrAssistState::Automatic;
        DriverEnvironment env{rig.matrix, rig.store, rig.skipped, rig.script, rig.assist, rig.prompt, &assistant, &rig.source};
        RecognitionDriver driver(env, {});
        rig.script.push(press(press_));
        auto first = driver.recognisePicture(pictureOf(drawLines({"a"})), {}, {}, {});
        ASSERT_TRUE(first.ok());
        EXPECT_EQ(first->lastAnswer, A::Pause);
        EXPECT_EQ(first->end, E::Abandoned);
        EXPECT_TRUE(rig.run.paused);
        EXPECT_FALSE(rig.control.takeAutomaticResume() && rig.run.processing);
        // The re-read picture opens the assistant first; cancelling it drops the picture.
        assistant.seenModes.clear();
        auto second = driver.recognisePicture(pictureOf(drawLines({"a"})), {}, {}, {});
        ASSERT_TRUE(second.ok());
        EXPECT_EQ(second->end, E::Abandoned);
        ASSERT_EQ(assistant.seenModes.size(), 1u);
        EXPECT_EQ(assistant.seenModes[0], press_ == A::ChangeColour ? 255 : 254);
        EXPECT_EQ(rig.assist.mode, press_ == A::ChangeColour ? 255 : 0); // a fill request restores the mode
    }
}

TEST(DriverRunControl, WithoutAnAssistantItsButtonsAreOffAndPressingThemLosesNothing)
{
    for (AnswerCode press_ : {A::ChangeColour, A::FillMatrix, A::FillManually}) {
        Rig rig({}, false);
        rig.say({press(press_)});
        const PictureOutcome out = rig.recognise({"a"});
        ASSERT_EQ(rig.script.seen().size(), 1u);
        const AskButtons &b = rig.script.seen()[0].buttons;
        EXPECT_FALSE(b.changeColour);
        EXPECT_FALSE(b.fillMatrix);
        EXPECT_FALSE(b.fillManually);
        // A disabled button does nothing: the script records the press as impossible and the run
        // pauses on the picture, which comes back on resume.
        EXPECT_EQ(rig.script.violations().size(), 1) << int(press_);
        EXPECT_EQ(out.lastAnswer, A::Pause);
        EXPECT_EQ(rig.assist.mode, OcrAssistState::Automatic);
        EXPECT_TRUE(rig.run.paused);
    }
}

TEST(DriverRunControl, ARequestNobodyCanServeLeavesThePicturesToRecognition)
{
    const struct {
        uint8_t mode;
        uint8_t saved;
    } cases[] = {
        {OcrAssistState::ColourChangeRequested, OcrAssistState::Automatic},
        {OcrAssistState::FillMatrixRequested, OcrAssistState::Automatic},
        {OcrAssistState::FillMatrixRequested, OcrAssistState::ColourChangeRequested},
    };
    for (const auto &c : cases) {
        Rig rig({}, false);
        rig.assist.mode = c.mode;
        rig.assist.savedMode = c.saved;
        rig.say({press(A::Ok, "x"), press(A::Ok, "y")});
        EXPECT_EQ(joined(rig.recognise({"a"}).lines), "x") << int(c.mode);
        EXPECT_EQ(rig.assist.mode, OcrAssistState::Automatic) << int(c.mode);
        EXPECT_EQ(joined(rig.recognise({"b"}, 5000).lines), "y") << int(c.mode);
        EXPECT_EQ(rig.store.count(), 2);
    }
}

TEST(DriverRunControl, TheAutomaticResumeWaitsUntilThePassHasStopped)
{
    Rig rig;
    rig.run.processing = true;
    rig.control.requestColourChange();
    EXPECT_FALSE(rig.control.takeAutomaticResume());
    rig.run.processing = false;
    EXPECT_TRUE(rig.control.takeAutomaticResume());
    EXPECT_FALSE(rig.control.takeAutomaticResume());
}

TEST(DriverRunControl, SameAsLastOnlyWhereTheViewerEnablesIt)
{
    {
        Rig rig; // a DVD run: the button is off, so a script that presses it is wrong
        rig.say({press(A::SameAsLast)});
        EXPECT_EQ(rig.recognise({"a"}).end, E::Abandoned);
        EXPECT_EQ(rig.script.violations().size(), 1);
    }
    DriverOptions viewer;
    viewer.videoViewer = true;
    Rig rig(viewer);
    int extended = 0;
    rig.control.setSameAsLastHandler([&] {
        ++extended;
        return true;
    });
    rig.say({press(A::ChangeColour), press(A::SameAsLast)}); // change colour is off in the viewer
    const PictureOutcome out = rig.recognise({"a"});
    EXPECT_EQ(out.end, E::Abandoned);
    EXPECT_EQ(out.lastAnswer, A::Pause);
    EXPECT_EQ(rig.script.violations().size(), 1);
    rig.say({press(A::SameAsLast)});
    EXPECT_EQ(rig.recognise({"a"}).lastAnswer, A::SameAsLast);
    EXPECT_EQ(extended, 1);
    EXPECT_EQ(rig.store.count(), 0);
}

struct AdoptCase {
    const char *name;
    core::Answer saveAnswer;
    bool adopted;
    int saves;
};

static void PrintTo(const AdoptCase &c, std::ostream *os) { *os << c.name; }

class AdoptMatrix : public testing::TestWithParam<AdoptCase> {};

TEST_P(AdoptMatrix, UnsavedEntriesAreOfferedForSavingFirst)
{
    const AdoptCase &c = GetParam();
    Rig rig;
    rig.prompt.confirmAnswer = c.saveAnswer;
    int saves = 0;
    rig.control.setMatrixSaver([&](CharMatrix &) -> core::Result<void> {
        ++saves;
        return {};
    });
    ASSERT_EQ(rig.matrix.add(letterEntry('c', QStringLiteral("q"))), CharMatrix::AddOutcome::Added);
    CharMatrix found;
    ASSERT_EQ(found.add(letterEntry('a', QStringLiteral("x"))), CharMatrix::AddOutcome::Added);
    found.setFileName(QStringLiteral("/m/other.gxc"));
    found.setModified(false);
    ScriptedStep adopt{A::MatrixLoaded, QStringLiteral("x"), 0, false, &found};
    // When the adoption is cancelled the dialog stays open and the next press answers.
    rig.say({adopt, press(A::UseTextOnly, "y")});
    const PictureOutcome out = rig.recognise({"a"});
    EXPECT_EQ(rig.prompt.confirms, 1);
    EXPECT_EQ(saves, c.saves);
    EXPECT_EQ(out.lastAnswer, c.adopted ? A::MatrixLoaded : A::UseTextOnly);
    EXPECT_EQ(joined(out.lines), c.adopted ? "x" : "y");
    EXPECT_EQ(rig.matrix.fileName(), c.adopted ? QStringLiteral("/m/other.gxc") : QString());
    EXPECT_EQ(core::fromCharText(rig.matrix.entry(1).text), c.adopted ? QStringLiteral("x") : QStringLiteral("q"));
    EXPECT_EQ(rig.matrix.count(), 1); // a loaded answer learns nothing
}

INSTANTIATE_TEST_SUITE_P(Driver, AdoptMatrix,
                         testing::Values(AdoptCase{"SaveThenAdopt", core::Answer::Yes, true, 1},
                                         AdoptCase{"DiscardAndAdopt", core::Answer::No, true, 0},
                                         AdoptCase{"CancelKeepsTheMatrixAndTheQuestion", core::Answer::Cancel, false, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(DriverRunControl, AFailedSaveKeepsTheCurrentMatrix)
{
    Rig rig;
    rig.prompt.confirmAnswer = core::Answer::Yes; // save, but the matrix has no file name
    ASSERT_EQ(rig.matrix.add(letterEntry('c', QStringLiteral("q"))), CharMatrix::AddOutcome::Added);
    CharMatrix found;
    ASSERT_EQ(found.add(letterEntry('a', QStringLiteral("x"))), CharMatrix::AddOutcome::Added);
    EXPECT_FALSE(rig.control.adoptMatrix(found));
    EXPECT_EQ(rig.prompt.errors.size(), 1);
    EXPECT_EQ(core::fromCharText(rig.matrix.entry(1).text), QStringLiteral("q"));
}

// ---- Pictures the driver cannot read.

TEST(DriverPictures, WithoutATextColourThePictureIsCountedAsSkipped)
{
    Rig rig;
    picture::DecodedPicture p = pictureOf(drawLines({"a"}));
    p.colourCandidates = {0, 0, 0, 0};
    auto out = rig.driver.recognisePicture(p, {}, {}, {});
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(out->end, E::NoColour);
    EXPECT_EQ(rig.run.skippedCount, 1);
    EXPECT_EQ(rig.store.count(), 0);
}

TEST(DriverPictures, AGlyphWiderThan80PixelsGivesAnEmptyPictureThatIsAskedAbout)
{
    Rig rig;
    // A line skipped in an abandoned picture before it changes nothing.
    rig.say({press(A::SkipLine), press(A::SkipSubPicture)});
    ASSERT_EQ(rig.recognise({"ab", "c"}).end, E::Abandoned);
    const int before = rig.skipped.asked;
    picture::CodeImage wide(120, 20);
    test::fillRect(wide, 2, 2, 81, 10);
    auto out = rig.driver.recognisePicture(pictureOf(wide), {}, {}, {});
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(out->questions, 0);
    EXPECT_EQ(rig.skipped.asked, before + 1);
}

TEST(DriverPictures, TheShownQuestionHighlightsTheRunAndFramesIt)
{
    struct Keep : GlyphAsker {
        GlyphAnswer askGlyph(const GlyphQuestion &q) override
        {
            last = q;
            return GlyphAnswer{core::toCharText(QStringLiteral("x")), 0, A::UseTextOnly};
        }
        GlyphQuestion last;
    } keep;
    Rig rig;
    RecognitionDriver driver(DriverEnvironment{rig.matrix, rig.store, rig.skipped, keep, rig.assist, rig.prompt, nullptr, &rig.source}, {});
    ASSERT_TRUE(driver.recognisePicture(pictureOf(drawLines({"b"})), {}, {}, {}).ok());
    const GlyphQuestion &q = keep.last;
    // Letter "b" is 7 x 10 at (2, 2): its pixels highlighted, a frame one pixel outside it.
    EXPECT_EQ(q.shown.at(2, 2), kHighlightIndex);
    EXPECT_EQ(q.shown.at(8, 11), kHighlightIndex);
    EXPECT_EQ(q.shown.at(1, 1), kFrameIndex);
    EXPECT_EQ(q.shown.at(9, 12), kFrameIndex);
    EXPECT_EQ(q.shown.at(10, 12), 0);
    EXPECT_EQ(q.palette[kFrameIndex], 0xFF3333u);
    EXPECT_EQ(q.nextEntryNumber, 1);
}

TEST(DriverPictures, ASkippedLineOfAnAbandonedPictureDoesNotHideTheNextEmptyOne)
{
    Rig rig;
    // Line 1 skipped, then the picture skipped: the store never sees that picture.
    rig.say({press(A::SkipLine), press(A::SkipSubPicture)});
    EXPECT_EQ(rig.recognise({"a", "b"}).end, E::Abandoned);
    // The next picture yields no text: the store must ask about it, not drop it silently.
    rig.say({press(A::UseTextOnly, "")});
    rig.recognise({"c"}, 5000);
    EXPECT_EQ(rig.skipped.asked, 1);
}

// ---- Line clean-up.

TEST(DriverCleanLine, TrimsAndMergesTagsInOrder)
{
    const struct {
        const char *in;
        const char *out;
    } cases[] = {
        {" \t xy \r", "xy"},
        {"   ", ""},
        {"<b>a</b><b>b</b> <b>c</b>", "<b>ab c</b>"},
        {"<i>a</i> <i>b</i>", "<i>a b</i>"},
        {"<u>a</u><u>b</u>", "<u>ab</u>"},
        {"x<i>...</i>", "x..."},
        {"x<i>.</i>", "x."},
        {"<i>a</i>-<i>b</i>", "<i>a-b</i>"},
        {"<i>a</i>, <i>b</i>", "<i>a, b</i>"},
        {"<i>a</i>'<i>s</i>", "<i>a's</i>"},
        {"<i></i>x", "x"},
        {"<i>a</i>rv<i>b</i>", "<i>arvb</i>"},
        {"<B>a</B><B>b</B>", "<B>a</B><B>b</B>"}, // case-sensitive
        // Steps 9-12 can make a new "<i>.</i>", which the repeated step removes.
        {"<i>.</i>.<i>.</i>", "..."},
    };
    for (const auto &c : cases)
        EXPECT_EQ(cleanLine(QString::fromUtf8(c.in)).toStdString(), c.out) << c.in;
}

// ---- The video viewer's mask.

TEST(DriverMask, WrittenOnlyForAStoredSubtitle)
{
    QTemporaryDir dir;
    DriverOptions o;
    o.saveMask = true;
    o.maskDir = dir.path();
    Rig rig(o);
    rig.say({press(A::Ok, "x"), press(A::SkipSubPicture)});
    const PictureOutcome stored = rig.recognise({"a"});
    EXPECT_TRUE(stored.maskWritten);
    const QString first = maskFilePath(dir.path(), 0);
    ASSERT_TRUE(QFile::exists(first));
    const std::vector<uint8_t> bytes = test::readBytes(first);
    const QByteArray header = QByteArrayLiteral("P5\n240 22\n255\n");
    ASSERT_EQ(bytes.size(), size_t(header.size()) + 240u * 22u);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(bytes.data()), header.size()), header);
    // Letter "a" (3 x 10 at (2, 2)) is white, the rest black.
    auto px = [&](int x, int y) { return bytes[size_t(header.size()) + size_t(y) * 240 + size_t(x)]; };
    EXPECT_EQ(px(2, 2), 255);
    EXPECT_EQ(px(4, 11), 255);
    EXPECT_EQ(px(5, 2), 0);

    // Skipped: no subtitle, so no second mask (and the first stays).
    rig.say({});
    const PictureOutcome skipped = rig.recognise({"b"}, 5000);
    EXPECT_FALSE(skipped.maskWritten);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST(DriverMask, AFolderThatCannotBeWrittenIsAnError)
{
    DriverOptions o;
    o.saveMask = true;
    o.maskDir = QStringLiteral("/nonexistent-folder/masks");
    Rig rig(o);
    rig.say({press(A::Ok, "x")});
    auto out = rig.driver.recognisePicture(pictureOf(drawLines({"a"})), {}, {}, {});
    ASSERT_FALSE(out.ok());
    EXPECT_TRUE(out.error().message().contains(QStringLiteral("mask")));
}

// ---- The ground-truth answerer of the benchmark and the road tests.

TEST(GroundTruth, ReadsTheTextARendererDraws)
{
    auto truth = readGroundTruth(test::dataPath(QStringLiteral("driver/truth_markup.srt")));
    ASSERT_TRUE(truth.ok()) << truth.error().message().toStdString();
    ASSERT_EQ(truth->size(), 3u);
    EXPECT_EQ(core::timeCodeToMilliseconds((*truth)[0].start), 1000);
    EXPECT_EQ(joined((*truth)[0].lines), "Hello there"); // a line of tags alone is no line
    EXPECT_EQ(joined((*truth)[1].lines), "see|of it");   // an unclosed "<" hides the rest of its line
    EXPECT_EQ(joined((*truth)[2].lines), "to give.");    // a lone ">" is not drawn
    // The italics of "<i>Hello</i>  there" stay with their letters through the collapsed blanks.
    for (int i = 0; i < (*truth)[0].lines[0].size(); ++i)
        EXPECT_EQ((*truth)[0].isItalic(0, i), i < 5) << "unit " << i;
    EXPECT_FALSE((*truth)[1].isItalic(0, 0));
}

TEST(GroundTruth, TeachesEachGlyphInTheStyleOfItsCharacters)
{
    const struct {
        const char *name;
        const char *truth; // the SubRip text of the picture
        std::vector<std::string> drawn;
        const char *read; // what the run reads with the matrix the teacher taught
    } cases[] = {
        {"no italics", "ab c", {"ab c"}, "ab c"},
        {"an italic word before an upright one", "<i>ab</i> c", {"ab c"}, "<i>ab</i> c"},
        {"capital tags, the stop inside them", "<I>ab.</I> c", {"ab. c"}, "<i>ab.</i> c"},
        {"italics from inside a word", "a<i>b</i>", {"ab"}, "a<i>b</i>"},
        {"italics running on over the line break", "a <i>b\nc</i> d", {"a b", "c d"}, "a <i>b</i>|<i>c</i> d"},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("gt.srt"));
        test::writeBytes(path, QByteArray("1\n00:00:01,000 --> 00:00:03,000\n") + c.truth + "\n");
        auto truth = readGroundTruth(path);
        ASSERT_TRUE(truth.ok()) << c.name;
        Rig rig;
        GroundTruthAnswerer teacher(*truth);
        RecognitionDriver taught(DriverEnvironment{rig.matrix, rig.store, rig.skipped, teacher, rig.assist, rig.prompt}, {});
        ASSERT_TRUE(taught.recognisePicture(pictureOf(drawLines(c.drawn)), core::millisecondsToTimeCode(1000),
                                            core::millisecondsToTimeCode(3000), {})
                        .ok());
        EXPECT_EQ(teacher.unanswerable(), 0) << c.name;
        // A second picture asks nothing: the styles come from the matrix.
        const PictureOutcome again = rig.recognise(c.drawn, 5000);
        EXPECT_EQ(joined(again.lines), c.read) << c.name;
        EXPECT_TRUE(rig.script.seen().empty()) << c.name;
    }
}

TEST(GroundTruth, AnEntryWithoutTimeLineIsAnErrorNamingTheLine)
{
    auto truth = readGroundTruth(test::dataPath(QStringLiteral("driver/truth_missing_time.srt")));
    ASSERT_FALSE(truth.ok());
    EXPECT_TRUE(truth.error().where.endsWith(QStringLiteral("line 6"))) << truth.error().where.toStdString();
}

TEST(GroundTruth, AlignsBoxesWithCharactersOfSeveralPiecesAndTouchingPairs)
{
    auto boxesAt = [](std::initializer_list<std::pair<int, int>> xw) {
        std::vector<CharBox> out;
        for (auto [x, w] : xw)
            out.push_back(CharBox{x, 0, w, 10, 0});
        return out;
    };
    const struct {
        const char *name;
        std::vector<CharBox> boxes;
        const char *line;
        const char *groups; // each box's group text, "|" between boxes
    } cases[] = {
        {"one box per character", boxesAt({{0, 8}, {12, 8}, {30, 8}}), "ab c", "a|b|c"},
        {"a double quote of two strokes", boxesAt({{0, 3}, {5, 3}, {10, 8}}), "\"a", "\"|\"|a"},
        {"i with diaeresis in three pieces", boxesAt({{0, 8}, {10, 3}, {13, 2}, {15, 3}, {20, 8}}), "aïb", "a|ï|ï|ï|b"},
        {"two touching capitals in one wide box", boxesAt({{0, 10}, {14, 24}, {42, 3}}), "KLY.", "K|LY|."},
    };
    for (const auto &c : cases) {
        const auto a = GroundTruthAnswerer::align(c.boxes, QString::fromUtf8(c.line));
        QStringList got;
        for (int g : a.groupOfBox)
            got.append(g >= 0 ? a.groupText[size_t(g)] : QStringLiteral("-"));
        // Boxes of one group repeat its text; a wide box holding two characters shows both.
        EXPECT_EQ(got.join(QLatin1Char('|')).toStdString(), QString::fromUtf8(c.groups).toStdString()) << c.name;
    }
}

TEST(GroundTruth, AlignsTheBoxesOfRealSerifLines)
{
    // Boxes as segmentation found them in pictures of DejaVu Serif drawn by spumux: x, y, width, height.
    struct Box {
        int x, y, w, h;
    };
    const struct {
        const char *name;
        std::vector<Box> boxes;
        const char *line;
        const char *groups;
    } cases[] = {
        {"double quotes whose strokes stand 3 pixels apart (PAL, size 28)",
         {{2, 3, 2, 8},     {7, 3, 2, 8},     {15, 3, 19, 22},   {35, 10, 14, 15},  {55, 10, 16, 15},  {78, 3, 2, 8},
          {83, 3, 2, 8},    {102, 10, 11, 15}, {118, 10, 15, 15}, {138, 4, 7, 21},  {150, 2, 16, 23},  {182, 3, 2, 8},
          {187, 3, 2, 8},   {195, 10, 16, 21}, {215, 10, 14, 15}, {235, 10, 16, 15}, {258, 3, 2, 8},    {263, 3, 2, 8},
          {272, 22, 5, 7},  {294, 3, 14, 22}, {315, 3, 14, 22},  {344, 5, 10, 20},  {358, 4, 7, 21},   {370, 10, 25, 15},
          {400, 10, 14, 15}, {421, 10, 11, 15}, {439, 21, 3, 4}},
         "\"You\" said \"you\", 99 times.", "\"|\"|Y|o|u|\"|\"|s|a|i|d|\"|\"|y|o|u|\"|\"|,|9|9|t|i|m|e|s|."},
        {"an opening guillemet of two chevrons, a closing one of one after an r (outline 2, size 24)",
         {{1, 7, 5, 12},   {6, 7, 5, 12},   {17, 2, 15, 19}, {37, 8, 12, 13},  {53, 8, 14, 13},  {67, 2, 7, 24},
          {79, 8, 12, 13}, {95, 8, 14, 13}, {112, 8, 10, 13}, {126, 7, 11, 12}, {142, 18, 4, 6}, {160, 1, 14, 20},
          {177, 2, 6, 19}, {187, 4, 8, 17}, {199, 13, 6, 2},  {209, 2, 6, 19},  {219, 1, 6, 20},  {230, 18, 3, 3}},
         "\u00ABBonjour\u00BB, dit-il.", "\u00AB|\u00AB|B|o|n|j|o|u|r|\u00BB|,|d|i|t|-|i|l|."},
        {"guillemets of two chevrons each, set apart by blanks (size 20)",
         {{2, 8, 4, 8}, {6, 8, 4, 8}, {22, 3, 13, 19}, {40, 8, 10, 10}, {60, 8, 11, 10}, {75, 8, 10, 10}, {96, 3, 9, 15},
          {117, 8, 4, 8}, {121, 7, 4, 10}},
         "\u00AB \u00C7a va ? \u00BB", "\u00AB|\u00AB|\u00C7|a|v|a|?|\u00BB|\u00BB"},
        {"a y and nines whose tails lie below their bodies, inside their columns (size 20)",
         {{2, 3, 2, 6},     {12, 3, 13, 15},  {28, 8, 10, 10},  {43, 8, 11, 10},  {60, 3, 2, 6},    {77, 8, 8, 10},
          {90, 8, 10, 10},  {105, 4, 5, 14},  {114, 2, 11, 16}, {137, 3, 2, 6},   {147, 8, 11, 13}, {148, 20, 3, 2},
          {162, 8, 10, 10}, {177, 8, 11, 10}, {194, 3, 2, 6},   {205, 16, 3, 5},  {220, 3, 10, 13}, {221, 14, 7, 4},
          {236, 3, 10, 13}, {237, 14, 7, 4},  {258, 5, 7, 13},  {269, 4, 5, 14},  {278, 8, 17, 10}, {300, 8, 10, 10},
          {315, 8, 8, 10},  {329, 15, 2, 3}},
         "\"You\" said \"you\", 99 times.", "\"|Y|o|u|\"|s|a|i|d|\"|y|y|o|u|\"|,|9|9|9|9|t|i|m|e|s|."},
        {"touching ff after a capital with its dots (DejaVu Sans 40 px, 1080 rows)",
         {{196, 48, 28, 38}, {226, 55, 28, 30}, {256, 63, 20, 22}, {280, 63, 22, 23}, {318, 55, 20, 31}, {344, 55, 6, 30},
          {354, 63, 22, 23}, {390, 55, 30, 30}, {412, 55, 20, 31}, {438, 63, 14, 22}, {456, 55, 6, 30}},
         "\u00D6ffne die T\u00FCr!", "\u00D6|ff|n|e|d|i|e|T|\u00FC|r|!"},
        {"touching ft after a comma (DejaVu Sans 40 px, 1080 rows)",
         {{246, 2, 18, 30}, {266, 2, 6, 30}, {276, 10, 22, 22}, {300, 10, 22, 22}, {338, 10, 22, 30}, {362, 10, 22, 22},
          {388, 10, 20, 22}, {414, 10, 20, 22}, {438, 2, 20, 30}, {464, 10, 16, 22}, {486, 26, 6, 12}, {508, 2, 16, 30},
          {526, 2, 4, 30}, {534, 2, 28, 30}, {564, 10, 20, 30}, {584, 26, 4, 6}},
         "Five pounds, fifty.", "F|i|v|e|p|o|u|n|d|s|,|f|i|ft|y|."},
        {"touching ft in a line with a wide m and w (DejaVu Sans 64 px, 1080 rows)",
         {{2, 4, 36, 48},    {48, 14, 32, 38},  {86, 16, 48, 36},  {162, 14, 52, 38}, {224, 16, 30, 36}, {262, 14, 28, 38},
          {300, 2, 30, 50},  {338, 4, 26, 48},  {394, 4, 28, 48},  {426, 2, 8, 50},   {440, 16, 34, 36}, {480, 14, 34, 38},
          {542, 14, 32, 50}, {580, 14, 34, 38}, {622, 16, 30, 36}, {662, 14, 30, 38}, {700, 2, 32, 50},  {740, 14, 28, 38},
          {776, 42, 10, 16}, {814, 2, 22, 50},  {840, 2, 6, 50},   {854, 2, 44, 50},  {900, 16, 34, 48}, {934, 42, 8, 10}},
         "How much? Five pounds, fifty.", "H|o|w|m|u|c|h|?|F|i|v|e|p|o|u|n|d|s|,|f|i|ft|y|."},
    };
    for (const auto &c : cases) {
        std::vector<CharBox> boxes;
        for (const Box &b : c.boxes)
            boxes.push_back(CharBox{b.x, b.y, b.w, b.h, b.y});
        const auto a = GroundTruthAnswerer::align(boxes, QString::fromUtf8(c.line));
        QStringList got;
        for (int g : a.groupOfBox)
            got.append(g >= 0 ? a.groupText[size_t(g)] : QStringLiteral("-"));
        EXPECT_EQ(got.join(QLatin1Char('|')).toStdString(), c.groups) << c.name;
    }
}

TEST(DriverPictures, AnAskerPressingDisabledArrowsNeverRunsPastTheLine)
{
    struct AlwaysExtend : GlyphAsker {
        GlyphAnswer askGlyph(const GlyphQuestion &q) override
        {
            ++asked;
            EXPECT_LE(q.box + q.runLength, int(q.boxes.size()) - 1);
            return GlyphAnswer{{}, 0, A::ExtendRight};
        }
        int asked = 0;
    } pushy;
    Rig rig;
    RecognitionDriver driver(DriverEnvironment{rig.matrix, rig.store, rig.skipped, pushy, rig.assist, rig.prompt}, {});
    auto out = driver.recognisePicture(pictureOf(drawLines({"ab", "c"})), {}, {}, {});
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(pushy.asked, 4); // a grown once, then b and c: the disabled button gives no text
    EXPECT_TRUE(out->lines.isEmpty());
}
