// Writer of Sub Station Alpha: the script header with its one style, and one Dialogue line per subtitle.
#include "subtitles/format_writers.h"
#include "subtitles/style_tags.h"
#include "subtitles/time_forms.h"

namespace glyfex::subtitles::writers {

namespace {

// "h:mm:ss.cc", hundredths cut from the milliseconds, the hour written whole.
void appendSsaTime(QString &out, const core::TimeCode &t)
{
    appendHms(out, t, 1);
    out += QLatin1Char('.');
    appendPadded(out, truncatedHundredths(t));
}

// A hard break (\N) before a line that starts with a capital, digit or sign; a soft one (\n) before
// a line that goes on in lower case. Up to three leading style tags are looked past.
QStringView breakBefore(const QString &line)
{
    qsizetype pos = 0;
    for (int tags = 0; tags < 3 && pos < line.size() && line[pos] == QLatin1Char('<'); ++tags)
        pos += 3;
    if (pos >= line.size())
        return u"\\N";
    const QChar c = line[pos];
    return c.toUpper() == c ? QStringView(u"\\N") : QStringView(u"\\n");
}

QString ssaText(const Subtitle &sub)
{
    QString text;
    for (qsizetype j = 0; j < sub.lines.size(); ++j) {
        if (j > 0)
            text += breakBefore(sub.lines[j]);
        text += sub.lines[j];
    }
    return ssaStyleOverrides(std::move(text));
}

} // namespace

void subStationAlpha(const WriterContext &, const Entry &entry, LineSink &sink)
{
    QString line = QStringLiteral("Dialogue: Marked=0,");
    appendSsaTime(line, entry.sub.start);
    line += QLatin1Char(',');
    appendSsaTime(line, entry.sub.stop);
    line += QStringLiteral(",Style1,Comment,0000,0000,0000,,");
    line += ssaText(entry.sub);
    sink.add(line);
}

void subStationAlphaHeader(const WriterContext &context, LineSink &sink)
{
    const FormatOptions &o = context.options;
    const auto flag = [](bool on) { return on ? QStringLiteral("-1") : QStringLiteral("0"); };
    sink.add(QStringLiteral("[Script Info]"));
    sink.add(QStringLiteral("Title: ") + o.ssaTitle);
    sink.add(QStringLiteral("Original Script: ") + o.ssaScript);
    sink.add(QStringLiteral("ScriptType: v4.00"));
    sink.add(QString());
    sink.add(QStringLiteral("[V4 Styles]"));
    sink.add(QStringLiteral("Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, TertiaryColour, "
                            "BackColour, Bold, Italic, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, "
                            "MarginV, AlphaLevel, Encoding"));
    // BorderStyle 1 (outline and shadow), Alignment 2 (bottom centre), AlphaLevel 0.
    const auto n = [](int64_t v) { return QString::number(v); };
    const QChar c = QLatin1Char(',');
    sink.add(QStringLiteral("Style: Style1,") + o.ssaFont.name + c + n(o.ssaFont.size) + c + n(o.ssaColours[0]) + c +
             n(o.ssaColours[1]) + c + n(o.ssaColours[2]) + c + n(o.ssaColours[3]) + c + flag(o.ssaFont.bold) + c +
             flag(o.ssaFont.italic) + QStringLiteral(",1,") + n(o.ssaBorder) + c + n(o.ssaShadow) +
             QStringLiteral(",2,") + n(o.ssaMargin) + c + n(o.ssaMargin) + c + n(o.ssaMarginV) +
             QStringLiteral(",0,") + n(o.ssaFont.charset));
    sink.add(QString());
    sink.add(QStringLiteral("[Events]"));
    sink.add(QStringLiteral("Format: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text"));
}

} // namespace glyfex::subtitles::writers
