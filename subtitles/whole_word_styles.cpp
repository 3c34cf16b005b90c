// Whole-word styles: the line split into letters with three style marks each, the marks decided per word, the tags written again.
#include "subtitles/whole_word_styles.h"

#include "subtitles/correction_text.h"

#include <algorithm>
#include <array>
#include <vector>

namespace glyfex::subtitles {

namespace {

enum Style { Italic, Underline, Bold, StyleCount };
constexpr std::array<char16_t, StyleCount> kLetter{u'i', u'u', u'b'};

struct Marked {
    QString text;
    std::vector<std::array<bool, StyleCount>> marks; // one per character of text
};

int styleOf(char16_t c)
{
    switch (c) {
    case u'i': case u'I': return Italic;
    case u'u': case u'U': return Underline;
    case u'b': case u'B': return Bold;
    default: return -1;
    }
}

Marked split(const QString &line)
{
    Marked m;
    std::array<bool, StyleCount> current{};
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (line[i] == u'<') {
            if (i + 2 < n && line[i + 2] == u'>') {
                if (const int s = styleOf(line[i + 1].unicode()); s >= 0)
                    current[size_t(s)] = true;
                i += 2;
                continue;
            }
            if (i + 3 < n && line[i + 1] == u'/' && line[i + 3] == u'>') {
                if (const int s = styleOf(line[i + 2].unicode()); s >= 0)
                    current[size_t(s)] = false;
                i += 3;
                continue;
            }
        }
        m.text += line[i];
        m.marks.push_back(current);
    }
    return m;
}

void decideWords(Marked &m, int style)
{
    const qsizetype n = m.text.size();
    for (qsizetype start = 0; start < n;) {
        if (m.text[start] == u' ') {
            ++start;
            continue;
        }
        qsizetype end = start;
        while (end < n && m.text[end] != u' ')
            ++end;
        qsizetype first = -1;
        qsizetype marked = 0;
        for (qsizetype i = start; i < end; ++i) {
            if (m.marks[size_t(i)][size_t(style)]) {
                if (first < 0)
                    first = i;
                ++marked;
            }
        }
        if (first >= 0) {
            // At least half of the word from its first styled letter on: the letter counts as styled.
            const bool whole = 2 * marked >= end - first;
            for (qsizetype i = start; i < end; ++i)
                m.marks[size_t(i)][size_t(style)] = whole;
        }
        start = end;
    }
}

// A styled blank beside an unstyled character (or the line's edge) goes out of the run; repeated, so
// that a row of blanks leaves it as a whole.
void moveBlanksOut(Marked &m, int style)
{
    const qsizetype n = m.text.size();
    auto styled = [&](qsizetype i) { return i >= 0 && i < n && m.marks[size_t(i)][size_t(style)]; };
    for (bool changed = true; changed;) {
        changed = false;
        for (qsizetype i = 0; i < n; ++i) {
            if (m.text[i] == u' ' && styled(i) && (!styled(i - 1) || !styled(i + 1))) {
                m.marks[size_t(i)][size_t(style)] = false;
                changed = true;
            }
        }
    }
}

// Length of the run of style that starts (forward) or ends (backward) at i.
qsizetype runLength(const Marked &m, qsizetype i, int style, int dir)
{
    qsizetype len = 0;
    for (qsizetype k = i; k >= 0 && k < m.text.size() && m.marks[size_t(k)][size_t(style)]; k += dir)
        ++len;
    return len;
}

// The styles given, outermost first: the longer run outside. On equal lengths, with all three styles
// italic goes outside underline and underline outside bold; with two, bold outside underline outside
// italic.
std::vector<int> nestingOrder(std::array<qsizetype, StyleCount> length, const std::vector<int> &styles)
{
    static constexpr std::array<int, StyleCount> threeTies{Italic, Underline, Bold};
    static constexpr std::array<int, StyleCount> twoTies{Bold, Underline, Italic};
    const auto &ties = styles.size() == 3 ? threeTies : twoTies;
    std::vector<int> order;
    for (int s : ties) {
        if (std::find(styles.begin(), styles.end(), s) != styles.end())
            order.push_back(s);
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return length[size_t(a)] > length[size_t(b)]; });
    return order;
}

QString openTag(int style)
{
    return QStringLiteral("<") + QChar(kLetter[size_t(style)]) + QLatin1Char('>');
}

QString closeTag(int style)
{
    return QStringLiteral("</") + QChar(kLetter[size_t(style)]) + QLatin1Char('>');
}

QString write(const Marked &m)
{
    QString out;
    const qsizetype n = m.text.size();
    out.reserve(n + 16);
    auto styled = [&](qsizetype i, int s) { return i >= 0 && i < n && m.marks[size_t(i)][size_t(s)]; };
    for (qsizetype i = 0; i < n; ++i) {
        std::vector<int> opening;
        std::array<qsizetype, StyleCount> length{};
        for (int s = 0; s < StyleCount; ++s) {
            if (styled(i, s) && !styled(i - 1, s)) {
                opening.push_back(s);
                length[size_t(s)] = runLength(m, i, s, 1);
            }
        }
        for (int s : nestingOrder(length, opening))
            out += openTag(s);
        out += m.text[i];
        std::vector<int> closing;
        length = {};
        for (int s = 0; s < StyleCount; ++s) {
            if (styled(i, s) && !styled(i + 1, s)) {
                closing.push_back(s);
                length[size_t(s)] = runLength(m, i, s, -1);
            }
        }
        const std::vector<int> order = nestingOrder(length, closing);
        for (auto it = order.rbegin(); it != order.rend(); ++it)
            out += closeTag(*it);
    }
    return out;
}

} // namespace

QString formatWholeWords(const QString &line)
{
    // Without a tag there is nothing to widen or narrow: the line as written again, trimmed.
    if (!line.contains(QLatin1Char('<')))
        return line.trimmed();
    Marked m = split(line);
    for (int style : {Italic, Underline, Bold}) {
        decideWords(m, style);
        moveBlanksOut(m, style);
    }
    QString out = write(m).trimmed();
    for (const char *tag : {"<i> ", "<u> ", "<b> "}) {
        const QString from = QLatin1String(tag);
        correction::replaceAll(out, from, QLatin1Char(' ') + from.left(3));
    }
    for (const char *tag : {" </i>", " </u>", " </b>"}) {
        const QString from = QLatin1String(tag);
        correction::replaceAll(out, from, from.mid(1) + QLatin1Char(' '));
    }
    return out;
}

} // namespace glyfex::subtitles
