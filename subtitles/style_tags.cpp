// Style tags in subtitle text. The scans are written out by hand: they run over every line of every
// rendering, and most lines hold no tag at all.
#include "subtitles/style_tags.h"

#include <array>

namespace glyfex::subtitles {

namespace {

constexpr std::array<QLatin1StringView, 6> kTags{QLatin1StringView("<b>"),  QLatin1StringView("<i>"),
                                                 QLatin1StringView("<u>"),  QLatin1StringView("</b>"),
                                                 QLatin1StringView("</i>"), QLatin1StringView("</u>")};

// The tag (ASCII, lower case) stands at i, in any case.
bool tagAt(const QString &text, qsizetype i, QLatin1StringView tag)
{
    if (i < 0 || i + tag.size() > text.size())
        return false;
    for (qsizetype k = 0; k < tag.size(); ++k) {
        char16_t c = text[i + k].unicode();
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c + 32);
        if (c != char16_t(tag[k].unicode()))
            return false;
    }
    return true;
}

qsizetype findTag(const QString &text, QLatin1StringView tag)
{
    for (qsizetype i = text.indexOf(QLatin1Char('<')); i >= 0 && i < text.size(); ++i) {
        if (text[i] == QLatin1Char('<') && tagAt(text, i, tag))
            return i;
    }
    return -1;
}

// Replaces every occurrence of the tag, left to right and not overlapping, by the replacement
// (none, or one character), as QString::replace would.
void replaceTag(QString &text, QLatin1StringView tag, const QChar *replacement)
{
    qsizetype out = 0;
    bool changed = false;
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == QLatin1Char('<') && tagAt(text, i, tag)) {
            if (replacement)
                text[out++] = *replacement;
            i += tag.size();
            changed = true;
        } else {
            text[out++] = text[i++];
        }
    }
    if (changed)
        text.truncate(out);
}

bool hasChar(const QString &text, char16_t c)
{
    for (QChar ch : text) {
        if (ch.unicode() == c)
            return true;
    }
    return false;
}

} // namespace

QString stripStyleTags(const QString &text)
{
    if (!hasChar(text, u'<'))
        return text;
    // One tag after the other over the whole text, so that removing one may join the pieces of another.
    QString r = text;
    for (QLatin1StringView tag : kTags)
        replaceTag(r, tag, nullptr);
    return r;
}

QString takeWholeLineStyles(QString &line)
{
    QString found;
    static constexpr std::array<char, 3> kLetters{'b', 'i', 'u'};
    for (size_t n = 0; n < kLetters.size(); ++n) {
        if (line.size() < 7 || line[0] != QLatin1Char('<') || !tagAt(line, 0, kTags[n]))
            continue;
        // The first closing tag must be the line's last four characters.
        if (findTag(line, kTags[n + 3]) != line.size() - 4)
            continue;
        line = line.mid(3, line.size() - 7);
        found += QLatin1Char(kLetters[n]);
    }
    return found;
}

QString quoteRemainingTags(QString text)
{
    static const QChar quote(u'"');
    if (hasChar(text, u'<')) {
        for (QLatin1StringView tag : kTags)
            replaceTag(text, tag, &quote);
    }
    if (!hasChar(text, u'"'))
        return text;
    // Every pair of double quotes becomes one, left to right.
    qsizetype out = 0;
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == quote && i + 1 < text.size() && text[i + 1] == quote) {
            text[out++] = quote;
            i += 2;
        } else {
            text[out++] = text[i++];
        }
    }
    text.truncate(out);
    return text;
}

} // namespace glyfex::subtitles
