// Glyph matching: the scores, thresholds and tie rules, and the word-wise scoring against a plain
// pixel-by-pixel walk of the same rules on random glyphs.
#include "glyph_art.h"
#include "pixel_walk_match.h"

#include "recognition/matcher.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>

using namespace glyfex;
using namespace glyfex::recognition;
using glyfex::test::glyphFromArt;

namespace glyfex::recognition {
void PrintTo(const MatchResult &r, std::ostream *os)
{
    *os << (r.matched() ? "match " : r.guessed() ? "guess " : "none ") << r.index;
}
} // namespace glyfex::recognition

namespace {

// The tables write a match of entry i as i, a guess of entry i as -i and nothing as 0.
int32_t written(const MatchResult &r)
{
    return r.matched() ? r.index : r.guessed() ? -r.index : 0;
}

Glyph withText(Glyph g, const char16_t *text, uint8_t style = 0)
{
    g.text = core::toCharText(QString::fromUtf16(text));
    g.style = style;
    return g;
}

CharBox boxOf(const Glyph &g)
{
    return CharBox{0, 0, g.width, g.height, g.dy};
}

Glyph randomGlyph(std::mt19937 &rng, int w, int h, int density)
{
    Glyph g;
    g.width = uint8_t(w);
    g.height = uint8_t(h);
    std::uniform_int_distribution<int> pct(0, 99);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            g.setPixel(x, y, pct(rng) < density);
    return g;
}

// Flips a few pixels, so that scores land near the thresholds and the early exit is exercised.
Glyph perturbed(std::mt19937 &rng, Glyph g, int flips)
{
    for (int i = 0; i < flips; ++i) {
        const int x = std::uniform_int_distribution<int>(0, g.width - 1)(rng);
        const int y = std::uniform_int_distribution<int>(0, g.height - 1)(rng);
        g.setPixel(x, y, !g.pixel(x, y));
    }
    return g;
}

} // namespace

TEST(Matcher, WordWiseScoreEqualsThePixelWalk)
{
    std::mt19937 rng(12345);
    for (int round = 0; round < 3000; ++round) {
        const int w = std::uniform_int_distribution<int>(1, 80)(rng);
        const int h = std::uniform_int_distribution<int>(1, 45)(rng);
        const int ew = std::clamp(w + std::uniform_int_distribution<int>(-3, 3)(rng), 1, 80);
        const int eh = std::clamp(h + std::uniform_int_distribution<int>(-3, 3)(rng), 1, 45);
        const int density = std::uniform_int_distribution<int>(0, 100)(rng);
        const Glyph d = randomGlyph(rng, w, h, density);
        const Glyph e = round % 2 ? perturbed(rng, d, round % 17) : randomGlyph(rng, ew, eh, density);
        const int expected = test::pixelWalkPermille(d, w, h, e);
        ASSERT_EQ(scoreGlyph(d, w, h, e), expected) << "round " << round;
        ASSERT_EQ(detail::scoreGlyphPortable(d, w, h, e), expected) << "round " << round;
    }
}

// Queries between additions and with changing tolerances, so that the matrix's per-size candidate
// lists are made, grown and made again.
TEST(Matcher, MatchEqualsThePixelWalkWhileTheMatrixGrows)
{
    std::mt19937 rng(777);
    for (int round = 0; round < 20; ++round) {
        CharMatrix m;
        std::vector<Glyph> shapes;
        for (int i = 0; i < 12; ++i)
            shapes.push_back(randomGlyph(rng, std::uniform_int_distribution<int>(6, 14)(rng),
                                         std::uniform_int_distribution<int>(10, 16)(rng), 45));
        const char16_t *texts[] = {u"a", u"o", u"take with next", u"l", u"\u00E9", u"m"};
        for (int i = 0; i < 60; ++i) {
            Glyph g = perturbed(rng, shapes[size_t(i) % shapes.size()], i % 7);
            g.dy = uint8_t(std::uniform_int_distribution<int>(0, 8)(rng));
            (void)m.add(withText(g, texts[i % 6]));
            if (i == 5)
                m.markDeleted(5);
            if (i % 10 != 9)
                continue;
            for (int q = 0; q < 12; ++q) {
                Glyph d = perturbed(rng, shapes[size_t(q) % shapes.size()], q % 5);
                d.dy = uint8_t(std::uniform_int_distribution<int>(0, 8)(rng));
                MatchOptions o;
                o.settings.sensibility = uint16_t(std::uniform_int_distribution<int>(900, 1000)(rng));
                o.settings.maxCharDiffWidth = uint8_t(q % 4 == 3 ? 1 : 2);
                o.settings.maxCharDiffHeight = uint8_t(q % 4 == 3 ? 3 : 2);
                o.charset = q % 3 ? 0 : 238;
                o.imageSequenceMode = q % 4 == 0;
                o.reducedPicture = q % 3 == 1;
                const bool join = q % 2 == 0;
                ASSERT_EQ(matchChar(m, d, boxOf(d), join, o), test::pixelWalkMatch(m, d, boxOf(d), join, o))
                    << "round " << round << " after " << i + 1 << " entries, query " << q;
            }
        }
    }
}

TEST(Matcher, ScoresTheDocumentedCases)
{
    // 10 x 20 entry against an 11 x 20 box whose common pixels all agree: 16 + 200 = 216 of 220.
    const Glyph entry = test::inkBlock(10, 20);
    const Glyph box = test::inkBlock(11, 20);
    EXPECT_EQ(scoreGlyph(box, 11, 20, entry), 216 * 1000 / 220);
    EXPECT_EQ(scoreGlyph(entry, 10, 20, entry), 1000);
    // A shape shifted by one column agrees with its neighbours and loses nothing.
    const Glyph a = glyphFromArt({"#....", "#....", "#...."});
    const Glyph b = glyphFromArt({".#...", ".#...", ".#..."});
    EXPECT_EQ(scoreGlyph(a, 5, 3, b), 1000);
    // Disagreements far from any agreeing neighbour cost 1, 2, 4, ... across rows.
    const Glyph empty = glyphFromArt({".....", ".....", "....."});
    const Glyph full = glyphFromArt({"#####", "#####", "#####"});
    EXPECT_EQ(scoreGlyph(full, 5, 3, empty), (-1 - 2 - 4 - 8 - 16 * 11) * 1000 / 15);
}

namespace {

struct MatchCase {
    const char *name;
    std::vector<Glyph> entries;
    Glyph descriptor;
    bool allowJoin = false;
    bool imageSequence = false;
    int charset = 0;
    int32_t expected = 0;
    std::vector<int> deleted = {};
    bool reducedPicture = false;
};

// The row's name, so that test names stay readable and stable.
void PrintTo(const MatchCase &c, std::ostream *os)
{
    *os << c.name;
}

class MatchChar : public testing::TestWithParam<MatchCase> {};

TEST_P(MatchChar, FollowsThresholdsAndTies)
{
    const MatchCase &c = GetParam();
    CharMatrix m;
    for (const Glyph &g : c.entries)
        ASSERT_EQ(m.add(g), CharMatrix::AddOutcome::Added);
    for (int i : c.deleted)
        m.markDeleted(i);
    MatchOptions o;
    o.imageSequenceMode = c.imageSequence;
    o.charset = c.charset;
    o.reducedPicture = c.reducedPicture;
    EXPECT_EQ(written(matchChar(m, c.descriptor, boxOf(c.descriptor), c.allowJoin, o)), c.expected);
}

const Glyph k10x20 = test::inkBlock(10, 20);
const Glyph k11x20 = test::inkBlock(11, 20); // scores 981 against k10x20: a match at 980, short of a perfect score
const Glyph kHalf = glyphFromArt({"#####.....", "#####.....", "#####.....", "#####....."});
const Glyph kOtherHalf = glyphFromArt({".....#####", ".....#####", ".....#####", ".....#####"});

// A bare stem with narrow ends, and a stem one column wider at its top: the second agrees with the
// first everywhere through a neighbour.
const Glyph kNarrowEndedStem = glyphFromArt({".#.", "###", "###", "###", "###", ".#."});
const Glyph kWideTopStem = glyphFromArt({"###", "###", "###", "###", "###", ".#."});

Glyph shiftedDown(Glyph g, int dy)
{
    g.dy = uint8_t(dy);
    return g;
}

const MatchCase kMatchCases[] = {
    {"EmptyMatrixGivesNothing", {}, k10x20, false, false, 0, 0},
    {"DeletedEntriesAreSkipped", {withText(k10x20, u"a")}, k10x20, false, false, 0, 0, {1}},
    {"SizeOutsideToleranceIsSkipped", {withText(test::inkBlock(13, 20), u"a")}, k10x20, false, false, 0, 0},
    {"LowerIndexWinsAmongEqualGlyphs", {withText(k10x20, u"a"), withText(k10x20, u"b")}, k10x20, false, false, 0, 1},
    {"NearMatchReachesTheDefaultThreshold", {withText(k10x20, u"a")}, k11x20, false, false, 0, 1},
    {"PerfectScoreMatchesAThinLetter", {withText(k10x20, u"o")}, k10x20, false, false, 0, 1},
    {"ThinLetterNeedsAPerfectScore", {withText(k10x20, u"l")}, k11x20, false, false, 0, -1},
    {"ThinLetterMatchesOrdinarilyInImageSequences", {withText(k10x20, u"l")}, k11x20, false, true, 0, 1},
    {"AccentedLetterIsStrictOnlyInCentralEurope", {withText(k10x20, u"\u00E9")}, k11x20, false, false, 0, 1},
    {"AccentedLetterCentralEurope", {withText(k10x20, u"\u00E9")}, k11x20, false, false, 238, -1},
    {"TakeWithNextMatchesWhenJoining", {withText(k10x20, u"take with next")}, k10x20, true, false, 0, 1},
    {"TakeWithNextIsOnlyAGuessWithoutJoining", {withText(k10x20, u"take with next")}, k10x20, false, false, 0, -1},
    {"TakeWithNextSkippedForALaterMatch",
     {withText(k10x20, u"take with next"), withText(k10x20, u"x")}, k10x20, false, false, 0, 2},
    {"NoPositiveScoreGivesNoGuess", {withText(kOtherHalf, u"a")}, kHalf, false, false, 0, 0},
    {"TopOffsetBeyondToleranceIsSkipped", {withText(k10x20, u"a")}, shiftedDown(k10x20, 7), false, false, 0, 0},
    {"TopOffsetWithinToleranceMatches", {withText(k10x20, u"a")}, shiftedDown(k10x20, 6), false, false, 0, 1},
    {"StemWithinANeighbourMatchesOnAFullSizePicture", {withText(kNarrowEndedStem, u"I")}, kWideTopStem, false, false, 0, 1},
    {"StemWithinANeighbourIsAskedOnAReducedPicture", {withText(kNarrowEndedStem, u"I")}, kWideTopStem, false, false, 0, -1,
     {}, true},
    {"ExactStemMatchesOnAReducedPicture", {withText(kNarrowEndedStem, u"l")}, kNarrowEndedStem, false, false, 0, 1, {},
     true},
    {"RoundLetterWithinANeighbourMatchesOnAReducedPicture", {withText(kNarrowEndedStem, u"o")}, kWideTopStem, false,
     false, 0, 1, {}, true},
    {"BestGuessKeepsTheLowerIndexOnEqualScores",
     {withText(k10x20, u"o"), withText(k10x20, u"o"), withText(k10x20, u"l")}, k11x20, false, false, 0, -1},
};

INSTANTIATE_TEST_SUITE_P(Cases, MatchChar, testing::ValuesIn(kMatchCases),
                         [](const testing::TestParamInfo<MatchCase> &info) { return std::string(info.param.name); });

} // namespace

TEST(Matcher, BoxTallerThanTheBitmapIsComparedOnItsFirst45Rows)
{
    // Only a hand-edited maximum line height gives such a box; its descriptor holds 45 rows.
    CharMatrix m;
    (void)m.add(withText(test::inkBlock(10, 45), u"a"));
    const Glyph d = test::inkBlock(10, 45);
    EXPECT_EQ(written(matchChar(m, d, CharBox{0, 0, 10, 47, 0}, false, {})), 1) << "(16 + 450) of 470 is 991 per mille";
    EXPECT_EQ(written(matchChar(m, d, CharBox{0, 0, 10, 48, 0}, false, {})), 0) << "outside the height tolerance";
}
