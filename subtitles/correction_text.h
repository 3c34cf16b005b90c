// Small text helpers the post-OCR passes share: character sets, bounded character access, replacing only what is there.
#pragma once

#include <QString>
#include <QStringView>

#include <bitset>
#include <string_view>

namespace glyfex::subtitles::correction {

// c is one of the characters of set; the character 0 (no character) never is.
inline bool in(char16_t c, std::u16string_view set)
{
    return c != 0 && set.find(c) != std::u16string_view::npos;
}

inline bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// The character at i, or 0 before the start and past the end.
inline char16_t charAt(const QString &s, qsizetype i)
{
    return i >= 0 && i < s.size() ? s.at(i).unicode() : char16_t(0);
}

// Where the text starts after the leading <b> <i> <u> tags.
inline qsizetype afterLeadingTags(const QString &line)
{
    qsizetype i = 0;
    while (i + 2 < line.size() && line[i] == u'<' && in(line[i + 1].unicode(), u"biu") && line[i + 2] == u'>')
        i += 3;
    return i;
}

// Every occurrence of from replaced by to, as QString::replace does; most lines hold none of the
// passes' patterns, and looking first spares the search set-up replace makes on every call.
inline void replaceAll(QString &line, QStringView from, QStringView to)
{
    if (line.contains(from))
        line.replace(from.toString(), to.toString());
}

// No replacement makes a line longer than this: a subtitle line is a few dozen characters, and pairs
// that each lengthen what the pair before wrote ("a" -> "bb", "b" -> "aa", ...) would otherwise
// double the line once per pair.
inline constexpr qsizetype kMaxCorrectedLine = 4096;

// Replaces every occurrence of find, unless that would make the line longer than kMaxCorrectedLine;
// false when find does not occur or the line was left as it was for its length.
inline bool replaceWithinLimit(QString &line, const QString &find, const QString &replace)
{
    const qsizetype found = line.count(find);
    if (found == 0)
        return false;
    if (replace.size() > find.size() && line.size() + found * (replace.size() - find.size()) > kMaxCorrectedLine)
        return false;
    line.replace(find, replace);
    return true;
}

// The characters a line may hold, by their low ten bits: a find text whose first or last character the
// line lacks cannot occur in it, and is passed over without a search. A dictionary has hundreds of
// pairs and a line holds a few dozen characters, so most pairs are passed over. Characters are only
// ever added (those of each replacement made), which keeps every answer of "may hold" true to the line.
class CharFilter {
public:
    explicit CharFilter(QStringView text) { add(text); }
    void add(QStringView text)
    {
        for (const QChar c : text)
            m_bits.set(c.unicode() & 1023u);
    }
    bool mayHold(QStringView find) const
    {
        return !find.isEmpty() && m_bits.test(find.front().unicode() & 1023u) && m_bits.test(find.back().unicode() & 1023u);
    }

private:
    std::bitset<1024> m_bits;
};

} // namespace glyfex::subtitles::correction
