// Style tags of a .gxt line turned into styled runs for the Subtitles window's list.
#include "subtitles/style_runs.h"

#include <QStringView>

namespace glyfex::subtitles {

namespace {

constexpr QStringView kFontOpen = u"<font color=\"#"; // then six hex digits and "\">"
constexpr qsizetype kFontTagLength = 22;
constexpr QStringView kFontClose = u"</font>";

struct Style {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    uint32_t colour = kListTextColour;
};

bool startsAt(QStringView text, qsizetype pos, QStringView tag)
{
    return pos + tag.size() <= text.size() && text.sliced(pos, tag.size()).compare(tag, Qt::CaseInsensitive) == 0;
}

// Takes off one tag at pos: its length, or 0 when none stands there.
qsizetype takeTag(QStringView text, qsizetype pos, Style &style)
{
    struct Simple {
        QStringView tag;
        bool Style::*flag;
        bool on;
    };
    static constexpr Simple kSimple[] = {
        {u"<i>", &Style::italic, true},     {u"<b>", &Style::bold, true},     {u"<u>", &Style::underline, true},
        {u"</i>", &Style::italic, false},   {u"</b>", &Style::bold, false},   {u"</u>", &Style::underline, false},
    };
    for (const Simple &s : kSimple) {
        if (startsAt(text, pos, s.tag)) {
            style.*s.flag = s.on;
            return s.tag.size();
        }
    }
    if (startsAt(text, pos, kFontOpen) && pos + kFontTagLength <= text.size() &&
        text[pos + kFontTagLength - 2] == u'"' && text[pos + kFontTagLength - 1] == u'>') {
        bool ok = false;
        const uint32_t value = text.sliced(pos + kFontOpen.size(), 6).toUInt(&ok, 16);
        style.colour = ok ? value : kListTextColour;
        return kFontTagLength;
    }
    if (startsAt(text, pos, kFontClose)) {
        style.colour = kListTextColour;
        return kFontClose.size();
    }
    return 0;
}

} // namespace

QList<StyleRun> parseStyleRuns(const QString &line)
{
    QList<StyleRun> runs;
    Style style;
    auto append = [&](QChar c) {
        if (runs.isEmpty() || runs.last().bold != style.bold || runs.last().italic != style.italic ||
            runs.last().underline != style.underline || runs.last().colour != style.colour)
            runs.append(StyleRun{QString(), style.bold, style.italic, style.underline, style.colour});
        runs.last().text += c;
    };
    const QStringView text(line);
    qsizetype pos = 0;
    while (pos < text.size()) {
        // Tags are only looked for where the '<' is followed by at least three more characters.
        while (pos + 3 < text.size() && text[pos] == u'<') {
            const qsizetype taken = takeTag(text, pos, style);
            if (taken == 0)
                break;
            pos += taken;
        }
        if (pos < text.size())
            append(text[pos++]);
    }
    return runs;
}

} // namespace glyfex::subtitles
