// Writers of the formats timed in milliseconds: the program's own .gxt (also the I-Author view) and ViPlay.
#include "subtitles/format_writers.h"
#include "subtitles/style_tags.h"

namespace glyfex::subtitles::writers {

void glyfex(const WriterContext &context, const Entry &entry, LineSink &sink)
{
    const FormatOptions &o = context.options;
    // The I-Author view always shows where the picture was and never colours.
    const bool iAuthor = context.format == OutputFormat::IAuthor;
    const bool coordinates = iAuthor || o.glyfexExtended;
    const bool colorTags = !iAuthor && o.glyfexFontColorTags;
    sink.add(padded(int64_t(o.glyfexOffset) + entry.number, 1));
    QString times;
    times.reserve(coordinates ? 72 : 32);
    appendTimeCode(times, entry.sub.start);
    times += QStringLiteral(" --> ");
    appendTimeCode(times, entry.sub.stop);
    if (coordinates) {
        times += QStringLiteral("  X1:");
        appendPadded(times, entry.sub.rect.left, 3);
        times += QStringLiteral(" X2:");
        appendPadded(times, entry.sub.rect.right, 3);
        times += QStringLiteral(" Y1:");
        appendPadded(times, entry.sub.rect.top, 3);
        times += QStringLiteral(" Y2:");
        appendPadded(times, entry.sub.rect.bottom, 3);
    }
    sink.add(times);
    for (qsizetype j = 0; j < entry.sub.lines.size(); ++j)
        sink.add(colorTags ? fontColorTagged(entry.sub.lines[j], entry.sub.lineColors[size_t(j)]) : entry.sub.lines[j]);
    sink.add(QString());
}

void viPlay(const WriterContext &, const Entry &entry, LineSink &sink)
{
    const auto time = [](QString &out, const core::TimeCode &t) { appendTimeCode(out, t); };
    sink.add(stripStyleTags(timedTextLine(u"", entry.sub, time, u"-", u"=", u"|")));
}

} // namespace glyfex::subtitles::writers
