// How well a recognised subtitle carries the italics of its ground truth, counted in words.
#pragma once

#include "recognition/scripted_answerer.h"

#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <vector>

namespace glyfex::test {

// Italic words of the truth, those of them tagged italic in the recognised text, and upright words
// that came out italic. A word is a run of non-blank characters; only its letters and digits count,
// since a run's tag clean-up moves the tags around lone punctuation ("<i>.</i>" becomes ".").
struct ItalicWords {
    int italic = 0;      // truth words whose letters are all italic
    int taggedRight = 0; // of those, words whose every letter was read inside <i> ... </i>
    int uprightTagged = 0; // truth words without an italic letter, one of whose letters was read italic

    ItalicWords &operator+=(const ItalicWords &o)
    {
        italic += o.italic;
        taggedRight += o.taggedRight;
        uprightTagged += o.uprightTagged;
        return *this;
    }
};

// truth: one subtitle of the ground truth; recognised: the subtitle's lines as read (joined by LF,
// with their style tags), empty when nothing was read. The letters of truth and reading are paired
// by the edit distance's alignment, so a misread letter elsewhere does not shift the words.
inline ItalicWords italicWords(const recognition::TruthEntry &truth, const QString &recognised)
{
    QString expected;
    std::vector<bool> expectedItalic;
    for (qsizetype l = 0; l < truth.lines.size(); ++l) {
        if (l > 0) {
            expected += QLatin1Char('\n');
            expectedItalic.push_back(false);
        }
        for (qsizetype i = 0; i < truth.lines[l].size(); ++i) {
            expected += truth.lines[l][i];
            expectedItalic.push_back(truth.isItalic(l, i));
        }
    }
    // The reading without its tags, with the italic state of each unit.
    QString got;
    std::vector<bool> gotItalic;
    static const QRegularExpression tag(QStringLiteral("</?[biuBIU]>"));
    bool italic = false;
    qsizetype at = 0;
    auto copyTo = [&](qsizetype end) {
        for (; at < end; ++at) {
            got += recognised[at];
            gotItalic.push_back(italic);
        }
    };
    for (auto it = tag.globalMatch(recognised); it.hasNext();) {
        const auto m = it.next();
        copyTo(m.capturedStart());
        const QString name = m.captured().toLower();
        if (name == QStringLiteral("<i>"))
            italic = true;
        else if (name == QStringLiteral("</i>"))
            italic = false;
        at = m.capturedEnd();
    }
    copyTo(recognised.size());

    // Edit distance with its alignment: pairedWith[i] is the unit of the reading that unit i of the
    // truth was kept or replaced by, -1 when it was dropped.
    const size_t n = size_t(expected.size()), m = size_t(got.size());
    std::vector<std::vector<int>> d(n + 1, std::vector<int>(m + 1, 0));
    for (size_t i = 0; i <= n; ++i)
        d[i][0] = int(i);
    for (size_t j = 0; j <= m; ++j)
        d[0][j] = int(j);
    for (size_t i = 1; i <= n; ++i)
        for (size_t j = 1; j <= m; ++j)
            d[i][j] = std::min({d[i - 1][j - 1] + (expected[qsizetype(i - 1)] == got[qsizetype(j - 1)] ? 0 : 1),
                                d[i - 1][j] + 1, d[i][j - 1] + 1});
    std::vector<int> pairedWith(n, -1);
    for (size_t i = n, j = m; i > 0 && j > 0;) {
        if (d[i][j] == d[i - 1][j - 1] + (expected[qsizetype(i - 1)] == got[qsizetype(j - 1)] ? 0 : 1)) {
            pairedWith[i - 1] = int(j - 1);
            --i;
            --j;
        } else if (d[i][j] == d[i - 1][j] + 1) {
            --i;
        } else {
            --j;
        }
    }

    ItalicWords out;
    for (size_t i = 0; i < n;) {
        if (expected[qsizetype(i)].isSpace()) {
            ++i;
            continue;
        }
        int letters = 0, slanted = 0, readItalic = 0;
        for (; i < n && !expected[qsizetype(i)].isSpace(); ++i) {
            if (!expected[qsizetype(i)].isLetterOrNumber())
                continue;
            ++letters;
            slanted += expectedItalic[i] ? 1 : 0;
            readItalic += pairedWith[i] >= 0 && gotItalic[size_t(pairedWith[i])] ? 1 : 0;
        }
        if (letters > 0 && slanted == letters) {
            ++out.italic;
            out.taggedRight += readItalic == letters ? 1 : 0;
        } else if (slanted == 0 && readItalic > 0) {
            ++out.uprightTagged;
        }
    }
    return out;
}

} // namespace glyfex::test
