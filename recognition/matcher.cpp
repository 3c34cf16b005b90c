// Glyph matching, the inner loop of recognition. Rows are compared as words; the sequential penalty is
// counted over the runs of pixels that disagree, and an entry is abandoned as soon as it can neither reach
// the threshold nor beat the best guess, which leaves every result as the pixel-by-pixel walk gives it.
#include "recognition/matcher.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <vector>

namespace glyfex::recognition {

namespace {

struct CommonArea {
    int minW = 0, minH = 0, maxW = 0, maxH = 0;
    GlyphRow mask = 0;  // columns 0..minW-1
    GlyphRow maskL = 0; // columns that have a left neighbour inside the common area
    GlyphRow maskR = 0; // columns that have a right neighbour inside it
    int initial = 0;    // four fifths of the area only one of the two covers counts as agreeing

    CommonArea(int boxW, int boxH, int entryW, int entryH, bool neighbours = true)
    {
        boxW = std::max(boxW, 0);
        boxH = std::max(boxH, 0);
        minW = std::min(boxW, entryW);
        maxW = std::max(boxW, entryW);
        minH = std::min(boxH, entryH);
        maxH = std::max(boxH, entryH);
        // The descriptor holds at most 80 x 45 pixels; entries are never larger.
        minW = std::min(minW, kGlyphMaxWidth);
        minH = std::min(minH, kGlyphMaxHeight);
        mask = lowBits(minW);
        maskL = neighbours ? mask & ~GlyphRow(1) : 0;
        maskR = neighbours && minW > 0 ? mask & ~(GlyphRow(1) << (minW - 1)) : 0;
        initial = ((maxW - minW) * minH + (maxH - minH) * maxW) * 4 / 5;
    }
};

// Rows of glyphs up to 64 pixels wide, nearly all of them, are walked in one 64-bit word.
template <class Word>
inline Word wordBitsBelow(int n)
{
    if constexpr (sizeof(Word) == 8)
        return n >= 64 ? ~Word(0) : (Word(1) << n) - 1;
    else
        return lowBits(n);
}

template <class Word>
inline int wordLowestBit(Word w)
{
    if constexpr (sizeof(Word) == 8)
        return std::countr_zero(w);
    else
        return lowestBit(w);
}

// Bit counts. Without a popcount instruction in the baseline target std::popcount is a library call,
// so the portable walk counts in registers and the walk built for processors that have the
// instruction uses it (Walk below).
enum class Count { Portable, Instruction };

template <Count kCount>
[[gnu::always_inline]] inline int countBits(uint64_t v)
{
    if constexpr (kCount == Count::Instruction) {
        return __builtin_popcountll(v);
    } else {
        v = v - ((v >> 1) & 0x5555555555555555ull);
        v = (v & 0x3333333333333333ull) + ((v >> 2) & 0x3333333333333333ull);
        v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0Full;
        return int((v * 0x0101010101010101ull) >> 56);
    }
}

template <Count kCount, class Word>
[[gnu::always_inline]] inline int countWordBits(Word w)
{
    if constexpr (sizeof(Word) == 8)
        return countBits<kCount>(w);
    else
        return countBits<kCount>(uint64_t(w)) + countBits<kCount>(uint64_t(w >> 64));
}

// The penalties of a run of n disagreements with no exact agreement between them, starting at the
// running penalty, which it leaves as the run does: 1, 2, 4, 8, then 16 for every further one.
[[gnu::always_inline]] inline int runPenalty(int &penalty, int n)
{
    int sum = 0;
    for (; n > 0 && penalty < 16; --n) {
        sum += penalty;
        penalty *= 2;
    }
    return sum + 16 * n;
}

// Score of one row. penalty is the running penalty of the walk: 1 after an exact agreement, doubled
// (up to 16) after each disagreement, untouched by a neighbour agreement. Disagreements are taken a
// run at a time: between two exact agreements only their number matters.
template <Count kCount, class Word>
[[gnu::always_inline]] inline int scoreRow(Word d, Word e, Word mask, Word maskL, Word maskR, int minW,
                                           int &penalty)
{
    const Word exact = ~(d ^ e) & mask;
    const Word nearLeft = ~(d ^ (e << 1)) & maskL;
    const Word nearRight = ~(d ^ (e >> 1)) & maskR;
    Word fail = mask & ~(exact | nearLeft | nearRight);
    if (!fail) {
        if (exact)
            penalty = 1;
        return minW;
    }
    int score = minW - countWordBits<kCount>(fail);
    if (exact & wordBitsBelow<Word>(wordLowestBit(fail)))
        penalty = 1;
    for (;;) {
        const Word exactAfter = exact & ~wordBitsBelow<Word>(wordLowestBit(fail));
        if (!exactAfter)
            return score - runPenalty(penalty, countWordBits<kCount>(fail));
        const Word run = fail & wordBitsBelow<Word>(wordLowestBit(exactAfter));
        score -= runPenalty(penalty, countWordBits<kCount>(run));
        penalty = 1; // the exact agreement that ends the run
        fail &= ~run;
        if (!fail)
            return score;
    }
}

// Walks the common rows and returns the score, or stops early (hopeless) once even a perfect rest
// cannot bring the score up to needed.
template <Count kCount, class Word>
[[gnu::always_inline]] inline int walkRows(const Glyph &d, const Glyph &e, const CommonArea &a, int64_t needed,
                                           bool &hopeless)
{
    const Word mask = Word(a.mask), maskL = Word(a.maskL), maskR = Word(a.maskR);
    int score = a.initial;
    int penalty = 1;
    int remaining = a.minW * a.minH;
    for (int y = 0; y < a.minH; ++y) {
        const int row =
            scoreRow<kCount, Word>(Word(d.rows[y]), Word(e.rows[y]), mask, maskL, maskR, a.minW, penalty);
        score += row;
        remaining -= a.minW;
        if (row != a.minW && int64_t(score) + remaining < needed) {
            hopeless = true;
            return score;
        }
    }
    hopeless = false;
    return score;
}

template <Count kCount>
[[gnu::always_inline]] inline int walkAll(const Glyph &d, const Glyph &e, const CommonArea &a, int64_t needed,
                                          bool &hopeless)
{
    return a.minW <= 64 ? walkRows<kCount, uint64_t>(d, e, a, needed, hopeless)
                        : walkRows<kCount, GlyphRow>(d, e, a, needed, hopeless);
}

// The per mille of a score; truncates toward zero like the integer division it stands for.
inline int permilleOf(int64_t score, const CommonArea &a)
{
    const int64_t area = int64_t(a.maxW) * a.maxH;
    return area > 0 ? int(score * 1000 / area) : 0;
}

// The smallest score whose per mille reaches a positive target: s * 1000 / area >= target.
inline int64_t scoreForPermille(int64_t target, const CommonArea &a)
{
    const int64_t area = int64_t(a.maxW) * a.maxH;
    return (target * area + 999) / 1000;
}

constexpr int64_t kNoCutoff = INT64_MIN;

} // namespace

namespace {

template <Count kCount>
[[gnu::always_inline]] inline int scoreWith(const Glyph &descriptor, int boxWidth, int boxHeight, const Glyph &entry)
{
    const CommonArea a(boxWidth, boxHeight, entry.width, entry.height);
    bool hopeless = false;
    return permilleOf(walkAll<kCount>(descriptor, entry, a, kNoCutoff, hopeless), a);
}

template <Count kCount>
[[gnu::always_inline]] inline MatchResult matchWith(const CharMatrix &matrix, const Glyph &descriptor, const CharBox &box,
                                                bool allowJoin, const MatchOptions &options)
{
    const OcrSettings &s = options.settings;
    const int boxW = std::max(box.width, 0);
    const int boxH = std::max(box.height, 0);

    // Candidates: the size buckets within the tolerances, visited in index order so that the lowest
    // matching index and the lowest of equal guesses win.
    const auto candidates = matrix.indexesNear(boxW, boxH, s.maxCharDiffWidth, s.maxCharDiffHeight);

    int bestPermille = 0;
    int bestIndex = 0;
    for (const uint16_t i : candidates) {
        const CharMatrix::MatchFacts &flags = matrix.matchFacts(i);
        if (flags.deleted || std::abs(int(flags.dy) - int(descriptor.dy)) > s.maxCharDiffTop)
            continue;
        const Glyph &entry = matrix.entry(i);
        int threshold = s.sensibility;
        const bool strict = !flags.takeWithNext && !options.imageSequenceMode
            && (flags.strictLetter || (options.charset == 238 && flags.strictCentralEuropeanLetter));
        if (strict)
            threshold = 1000;
        const bool canMatch = allowJoin || !flags.takeWithNext;

        const CommonArea a(boxW, boxH, entry.width, entry.height, !(strict && flags.stemLetter && options.reducedPicture));
        if (a.maxW == 0 || a.maxH == 0)
            continue;
        // The entry is worth finishing only while its score can still reach the threshold (when it may
        // match) or beat the best guess; each pixel still to walk adds at most 1.
        int64_t needed = scoreForPermille(int64_t(bestPermille) + 1, a);
        if (canMatch)
            needed = threshold > 0 ? std::min(needed, scoreForPermille(threshold, a)) : kNoCutoff;
        bool hopeless = false;
        const int score = walkAll<kCount>(descriptor, entry, a, needed, hopeless);
        if (hopeless)
            continue;
        const int permille = permilleOf(score, a);
        if (permille >= threshold && canMatch)
            return MatchResult::match(i);
        if (permille > bestPermille) {
            bestPermille = permille;
            bestIndex = i;
        }
    }
    return MatchResult::guess(bestIndex);
}

// The two builds of the walk; the one with the popcount instruction runs only where the processor has it.
int scorePortable(const Glyph &descriptor, int boxWidth, int boxHeight, const Glyph &entry)
{
    return scoreWith<Count::Portable>(descriptor, boxWidth, boxHeight, entry);
}

[[gnu::target("popcnt")]] int scoreWithInstruction(const Glyph &descriptor, int boxWidth, int boxHeight,
                                                   const Glyph &entry)
{
    return scoreWith<Count::Instruction>(descriptor, boxWidth, boxHeight, entry);
}

MatchResult matchPortable(const CharMatrix &matrix, const Glyph &descriptor, const CharBox &box, bool allowJoin,
                      const MatchOptions &options)
{
    return matchWith<Count::Portable>(matrix, descriptor, box, allowJoin, options);
}

[[gnu::target("popcnt")]] MatchResult matchWithInstruction(const CharMatrix &matrix, const Glyph &descriptor,
                                                       const CharBox &box, bool allowJoin, const MatchOptions &options)
{
    return matchWith<Count::Instruction>(matrix, descriptor, box, allowJoin, options);
}

bool hasPopcount()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("popcnt") != 0;
    }();
    return has;
}

} // namespace

int detail::scoreGlyphPortable(const Glyph &descriptor, int boxWidth, int boxHeight, const Glyph &entry)
{
    return scorePortable(descriptor, boxWidth, boxHeight, entry);
}

int scoreGlyph(const Glyph &descriptor, int boxWidth, int boxHeight, const Glyph &entry)
{
    return hasPopcount() ? scoreWithInstruction(descriptor, boxWidth, boxHeight, entry)
                         : scorePortable(descriptor, boxWidth, boxHeight, entry);
}

MatchResult matchChar(const CharMatrix &matrix, const Glyph &descriptor, const CharBox &box, bool allowJoin,
                      const MatchOptions &options)
{
    return hasPopcount() ? matchWithInstruction(matrix, descriptor, box, allowJoin, options)
                         : matchPortable(matrix, descriptor, box, allowJoin, options);
}

} // namespace glyfex::recognition
