// Style tags in subtitle text. The scans of stripping and quoting are written out by hand: they run over
// every line of every rendering, and most lines hold no tag at all.
#include "subtitles/style_tags.h"

#include <array>
#include <cstring>
#include <utility>

namespace glyfex::subtitles {

namespace {

constexpr std::array<QLatin1StringView, 6> kTags{QLatin1StringView("<b>"),  QLatin1StringView("<i>"),
                                                 QLatin1StringView("<u>"),  QLatin1StringView("</b>"),
                                                 QLatin1StringView("</i>"), QLatin1StringView("</u>")};

// The tag (ASCII, lower case) stands at p[i], in any case.
bool tagAt(const QChar *p, qsizetype size, qsizetype i, QLatin1StringView tag)
{
    if (i < 0 || i + tag.size() > size)
        return false;
    for (qsizetype k = 0; k < tag.size(); ++k) {
        char16_t c = p[i + k].unicode();
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c + 32);
        if (c != char16_t(tag[k].unicode()))
            return false;
    }
    return true;
}

bool tagAt(QStringView text, qsizetype i, QLatin1StringView tag)
{
    return tagAt(text.data(), text.size(), i, tag);
}

qsizetype findTag(QStringView text, QLatin1StringView tag, qsizetype from = 0)
{
    const QChar *p = text.data();
    for (qsizetype i = from; i < text.size(); ++i) {
        if (p[i] == QLatin1Char('<') && tagAt(p, text.size(), i, tag))
            return i;
    }
    return -1;
}

// Replaces every occurrence of the tag, left to right and not overlapping, by the replacement
// (none, or one character), as QString::replace would.
void replaceTag(QString &text, QLatin1StringView tag, const QChar *replacement)
{
    qsizetype i = findTag(text, tag);
    if (i < 0)
        return;
    const qsizetype size = text.size();
    QChar *p = text.data();
    qsizetype out = i;
    while (i < size) {
        if (p[i] == QLatin1Char('<') && tagAt(p, size, i, tag)) {
            if (replacement)
                p[out++] = *replacement;
            i += tag.size();
        } else {
            p[out++] = p[i++];
        }
    }
    text.truncate(out);
}

bool hasChar(const QString &text, char16_t c)
{
    return text.contains(QChar(c));
}

// Tags that neighbouring glyphs of one style leave between them, and tags around lone punctuation,
// in the order they are removed; "<i>.</i>" comes twice because the steps between can make new ones.
const std::pair<const char16_t *, const char16_t *> kTagMerges[] = {
    {u"</b><b>", u""},     {u"</b> <b>", u" "},   {u"</i><i>", u""},     {u"</i> <i>", u" "},
    {u"</u><u>", u""},     {u"</u> <u>", u" "},   {u"<i>...</i>", u"..."}, {u"<i>.</i>", u"."},
    {u"<i>-</i>", u"-"},   {u"<i>--</i>", u"--"}, {u"</i>.<i>", u"."},   {u"</i>. <i>", u". "},
    {u"<i>.</i>", u"."},   {u"<i>. </i>", u". "}, {u"</i>,<i>", u","},   {u"</i>, <i>", u", "},
    {u"<i>,</i>", u","},   {u"<i>, </i>", u", "}, {u"<i></i>", u""},     {u"</i>rv<i>", u"rv"},
    {u"</i>-<i>", u"-"},   {u"</i>'<i>", u"'"},
};

} // namespace

QString addStyleTags(const QString &text, uint8_t style)
{
    QString out = text;
    if (style & StyleUnderline)
        out = QStringLiteral("<u>") + out + QStringLiteral("</u>");
    if (style & StyleItalic)
        out = QStringLiteral("<i>") + out + QStringLiteral("</i>");
    if (style & StyleBold)
        out = QStringLiteral("<b>") + out + QStringLiteral("</b>");
    return out;
}

QString mergeStyleTags(QString text)
{
    for (const auto &[from, to] : kTagMerges)
        text.replace(QString::fromUtf16(from), QString::fromUtf16(to));
    return text;
}

QString stripStyleTags(QString text)
{
    qsizetype first = text.indexOf(QLatin1Char('<'));
    if (first < 0)
        return text;
    const auto tagLengthAt = [&](qsizetype i) -> qsizetype {
        for (QLatin1StringView tag : kTags) {
            if (tagAt(text.constData(), text.size(), i, tag))
                return tag.size();
        }
        return 0;
    };
    // Removing one kind of tag after the other can join a stray '<' with what follows a removed
    // tag into a new one ("<<b>i>"); without a stray '<' that cannot happen, and one pass that
    // drops every tag where it stands gives the same text.
    for (qsizetype i = first; i >= 0; i = text.indexOf(QLatin1Char('<'), i + 1)) {
        if (tagLengthAt(i) == 0) {
            for (QLatin1StringView tag : kTags)
                replaceTag(text, tag, nullptr);
            return text;
        }
    }
    // Every '<' starts a tag: move the pieces between the tags together. Reading stays ahead of
    // writing, so the scan for the next '<' sees the text as it was.
    const qsizetype size = text.size();
    QChar *p = text.data();
    qsizetype out = first;
    for (qsizetype i = first; i >= 0;) {
        const qsizetype from = i + tagLengthAt(i);
        const qsizetype next = text.indexOf(QLatin1Char('<'), from);
        const qsizetype to = next >= 0 ? next : size;
        std::memmove(p + out, p + from, size_t(to - from) * sizeof(QChar));
        out += to - from;
        i = next;
    }
    text.truncate(out);
    return text;
}

std::string takeWholeLineStyles(QStringView &line)
{
    std::string found;
    static constexpr std::array<char, 3> kLetters{'b', 'i', 'u'};
    for (size_t n = 0; n < kLetters.size(); ++n) {
        if (line.size() < 7 || line[0] != QLatin1Char('<') || !tagAt(line, 0, kTags[n]))
            continue;
        // The first closing tag must be the line's last four characters.
        if (findTag(line, kTags[n + 3]) != line.size() - 4)
            continue;
        line = line.mid(3, line.size() - 7);
        found += kLetters[n];
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
    const qsizetype size = text.size();
    QChar *p = text.data();
    qsizetype out = 0;
    for (qsizetype i = 0; i < size;) {
        if (p[i] == quote && i + 1 < size && p[i + 1] == quote) {
            p[out++] = quote;
            i += 2;
        } else {
            p[out++] = p[i++];
        }
    }
    text.truncate(out);
    return text;
}

QString ssaStyleOverrides(QString text)
{
    if (!text.contains(QLatin1Char('<')))
        return text;
    text.remove(QStringLiteral("<u>"), Qt::CaseInsensitive);
    text.remove(QStringLiteral("</u>"), Qt::CaseInsensitive);
    text.replace(QStringLiteral("</b>\\N<b>"), QStringLiteral("\\N"));
    text.replace(QStringLiteral("</b>\\n<b>"), QStringLiteral("\\n"));
    text.replace(QStringLiteral("</i>\\N<i>"), QStringLiteral("\\N"));
    text.replace(QStringLiteral("</i>\\n<i>"), QStringLiteral("\\n"));
    text.replace(QStringLiteral("<i>"), QStringLiteral("{\\i1}"), Qt::CaseInsensitive);
    text.replace(QStringLiteral("</i>"), QStringLiteral("{\\i0}"), Qt::CaseInsensitive);
    text.replace(QStringLiteral("<b>"), QStringLiteral("{\\b1}"), Qt::CaseInsensitive);
    text.replace(QStringLiteral("</b>"), QStringLiteral("{\\b0}"), Qt::CaseInsensitive);
    return text;
}

} // namespace glyfex::subtitles
