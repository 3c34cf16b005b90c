// Glyph matching walked pixel by pixel, exactly as the rules read: the reference that the word-wise
// matcher is checked against in tests and measured against in the matching benchmark.
#pragma once

#include "recognition/matcher.h"

#include <QString>

#include <algorithm>
#include <cstdlib>

namespace glyfex::test {

using recognition::CharBox;
using recognition::CharMatrix;
using recognition::Glyph;
using recognition::MatchOptions;

// The comparison walked pixel by pixel, as the rules state it; without neighbours only the pixel
// itself can agree (a stem letter on a reduced picture).
inline int pixelWalkPermille(const Glyph &d, int boxW, int boxH, const Glyph &e, bool neighbours = true)
{
    const int minW = std::min<int>(boxW, e.width), maxW = std::max<int>(boxW, e.width);
    const int minH = std::min<int>(boxH, e.height), maxH = std::max<int>(boxH, e.height);
    int score = ((maxW - minW) * minH + (maxH - minH) * maxW) * 4 / 5;
    int p = 1;
    for (int y = 0; y < minH; ++y)
        for (int x = 0; x < minW; ++x) {
            const bool dv = d.pixel(x, y);
            if (dv == e.pixel(x, y)) {
                score += 1;
                p = 1;
            } else if (neighbours && x > 0 && e.pixel(x - 1, y) == dv) {
                score += 1;
            } else if (neighbours && x < minW - 1 && e.pixel(x + 1, y) == dv) {
                score += 1;
            } else {
                score -= p;
                if (p < 16)
                    p *= 2;
            }
        }
    return score * 1000 / (maxW * maxH);
}

// Matching as the rules state it: every entry in index order, no size buckets, no early exit.
inline recognition::MatchResult pixelWalkMatch(const CharMatrix &m, const Glyph &d, const CharBox &box, bool allowJoin,
                                              const MatchOptions &o)
{
    int best = 0;
    int32_t bestIndex = 0;
    for (int i = 1; i <= m.count(); ++i) {
        const Glyph &e = m.entry(i);
        if (e.deleted || std::abs(e.width - box.width) > o.settings.maxCharDiffWidth
            || std::abs(e.height - box.height) > o.settings.maxCharDiffHeight
            || std::abs(e.dy - d.dy) > o.settings.maxCharDiffTop)
            continue;
        const QString text = core::fromCharText(e.text);
        const bool twn = text == QStringLiteral("take with next");
        int threshold = o.settings.sensibility;
        bool stem = false;
        if (!twn && !o.imageSequenceMode) {
            for (QChar c : text) {
                if (QStringView(u"oIli\u00ED").contains(c)
                    || (o.charset == 238 && QStringView(u"\u011B\u00E9\u00FA\u016F").contains(c)))
                    threshold = 1000;
                stem = stem || c == u'I' || c == u'l';
            }
        }
        const int pm = pixelWalkPermille(d, box.width, box.height, e, !(stem && o.reducedPicture));
        if (pm >= threshold && (allowJoin || !twn))
            return recognition::MatchResult::match(i);
        if (pm > best) {
            best = pm;
            bestIndex = i;
        }
    }
    return recognition::MatchResult::guess(bestIndex);
}

} // namespace glyfex::test
