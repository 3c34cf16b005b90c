// The covering teacher: the characters under the highlighted pixels of each question.
#include "support/covering_teacher.h"

#include "subtitles/style_tags.h"

#include <algorithm>
#include <cstdlib>

namespace glyfex::test {

using recognition::AnswerCode;
using recognition::GlyphAnswer;

namespace {

// A character is in the glyph when the glyph holds this share of its ink, and a piece of it from a
// smaller share on (less is a neighbour's edge that a reduced block lent the glyph).
constexpr double kCovered = 0.6;
constexpr double kPiece = 0.15;
constexpr int kPieceMinPixels = 6; // fewer is a speck even of a small mark

GlyphAnswer answerOf(AnswerCode code, const QString &text = {}, uint8_t style = 0)
{
    return GlyphAnswer{core::toCharText(text), style, code};
}

} // namespace

CoveringTeacher::CoveringTeacher(std::vector<CharacterMap> maps) : m_maps(std::move(maps))
{
    for (const CharacterMap &m : m_maps) {
        std::vector<int> ink(m.characters.size(), 0);
        for (uint16_t label : m.labels)
            if (label > 0 && label <= ink.size())
                ++ink[label - 1];
        m_typed.emplace_back(ink.size(), false);
        m_ink.push_back(std::move(ink));
    }
}

const CharacterMap *CoveringTeacher::mapAt(const core::TimeCode &start) const
{
    // Picture times come from the stream's clock, which may start a little after the authored times.
    const int64_t t = core::timeCodeToMilliseconds(start);
    const CharacterMap *best = nullptr;
    int64_t bestDiff = 0;
    for (const CharacterMap &m : m_maps) {
        const int64_t d = std::llabs(int64_t(m.startMs) - t);
        if (!best || d < bestDiff) {
            best = &m;
            bestDiff = d;
        }
    }
    return best && bestDiff < 1000 ? best : nullptr;
}

GlyphAnswer CoveringTeacher::askGlyph(const recognition::GlyphQuestion &q)
{
    const CharacterMap *map = mapAt(q.start);
    // The question shows the picture as drawn, or cut to its ink as the decoder may cut it.
    int dx = 0, dy = 0;
    if (map && map->inkWidth == q.shown.width && map->inkHeight == q.shown.height
        && (map->width != q.shown.width || map->height != q.shown.height)) {
        dx = map->inkX;
        dy = map->inkY;
    } else if (!map || map->width != q.shown.width || map->height != q.shown.height) {
        ++m_unanswerable;
        return answerOf(AnswerCode::SkipSubPicture);
    }
    const auto labelAt = [&](int x, int y) { return map->labelAt(x + dx, y + dy); };
    const std::vector<int> &ink = m_ink[size_t(map - m_maps.data())];
    std::vector<int> hits(ink.size(), 0);
    for (int y = 0; y < q.shown.height; ++y)
        for (int x = 0; x < q.shown.width; ++x)
            if (q.shown.at(x, y) == recognition::kHighlightIndex)
                if (const uint16_t label = labelAt(x, y))
                    ++hits[label - 1];
    // Characters are numbered in reading order (the text's own order, also on a right-to-left line).
    std::vector<size_t> covered;
    int lastPiece = -1;
    for (size_t c = 0; c < ink.size(); ++c) {
        if (ink[c] == 0 || hits[c] == 0)
            continue;
        const double share = double(hits[c]) / ink[c];
        if (share >= kCovered)
            covered.push_back(c);
        else if (share >= kPiece && hits[c] >= kPieceMinPixels)
            lastPiece = int(c);
    }
    // A piece after everything covered: the rest of its character is further along the line. (A piece
    // before is the end of a character whose beginning an earlier glyph took.)
    const bool pieceAfter = lastPiece >= 0 && (covered.empty() || size_t(lastPiece) > covered.back());
    const AnswerCode extend = recognition::extendCode(q.rightToLeft);
    // Only when the box that ">>" adds holds more of that character.
    const auto nextHoldsPiece = [&] {
        const int next = q.boxAfterRun();
        if (next < 0 || next >= int(q.boxes.size()))
            return false;
        const recognition::CharBox &b = q.boxes[size_t(next)];
        for (int y = std::max(0, b.y); y < std::min(q.shown.height, b.y + b.height); ++y)
            for (int x = std::max(0, b.x); x < std::min(q.shown.width, b.x + b.width); ++x)
                if (labelAt(x, y) == lastPiece + 1)
                    return true;
        return false;
    };
    if (pieceAfter && q.buttons.allows(extend) && nextHoldsPiece()) {
        ++m_grown;
        return answerOf(extend);
    }
    if (covered.empty()) {
        // A piece that cannot grow (its other part went with the glyph before, or the run is as wide as
        // it may be): the user types the character it is a piece of, as it is the one that shows.
        // A character already typed in this picture is not typed again for its leftover piece.
        std::vector<bool> &typed = m_typed[size_t(map - m_maps.data())];
        size_t best = ink.size();
        for (size_t c = 0; c < ink.size(); ++c)
            if (ink[c] > 0 && !typed[c] && double(hits[c]) / ink[c] >= kPiece && hits[c] >= kPieceMinPixels
                && (best == ink.size() || double(hits[c]) / ink[c] > double(hits[best]) / ink[best]))
                best = c;
        if (best == ink.size()) {
            ++m_specks;
            return answerOf(AnswerCode::UseTextOnly);
        }
        covered.push_back(best);
    }
    QString text;
    int units = 0, slanted = 0;
    for (size_t c : covered)
        m_typed[size_t(map - m_maps.data())][c] = true;
    for (size_t c : covered) {
        const CharacterMap::Character &ch = map->characters[c];
        text += ch.text;
        units += int(ch.text.size());
        slanted += ch.italic ? int(ch.text.size()) : 0;
    }
    const uint8_t style = slanted > 0 && 2 * slanted >= units ? subtitles::StyleItalic : 0;
    return answerOf(AnswerCode::Ok, text, style);
}

} // namespace glyfex::test
