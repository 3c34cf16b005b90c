// Writers of the formats timed in frame numbers: MacSUB, MicroDVD, Mpl and Phoenix Japanimation.
#include "subtitles/format_writers.h"
#include "subtitles/style_tags.h"
#include "subtitles/time_forms.h"

#include <algorithm>

namespace glyfex::subtitles::writers {

namespace {

QString frame(const WriterContext &context, const core::TimeCode &t)
{
    return padded(frameNumber(t, context.frameRateX1000), 1);
}

void appendFrame(QString &out, const WriterContext &context, const core::TimeCode &t)
{
    appendPadded(out, frameNumber(t, context.frameRateX1000), 1);
}

} // namespace

void macSub(const WriterContext &context, const Entry &entry, LineSink &sink)
{
    sink.add(QLatin1Char('/') + frame(context, entry.sub.start));
    for (const QString &text : entry.sub.lines)
        sink.add(stripStyleTags(text));
    sink.add(QLatin1Char('/') + frame(context, entry.sub.stop));
}

void microDvd(const WriterContext &context, const Entry &entry, LineSink &sink)
{
    QString line;
    line.reserve(24 + entry.sub.lines.size() * 48);
    line += QLatin1Char('{');
    appendFrame(line, context, entry.sub.start);
    line += QStringLiteral("}{");
    appendFrame(line, context, entry.sub.stop);
    line += QLatin1Char('}');
    for (qsizetype j = 0; j < entry.sub.lines.size(); ++j) {
        if (j > 0)
            line += QLatin1Char('|');
        // A style over the whole line becomes the format's line style; others are marked by quotes.
        QStringView text = entry.sub.lines[j];
        const std::string styles = takeWholeLineStyles(text);
        if (!styles.empty()) {
            line += QStringLiteral("{y:");
            line += QLatin1StringView(styles.data(), qsizetype(styles.size()));
            line += QLatin1Char('}');
        }
        line += text;
    }
    sink.add(quoteRemainingTags(line));
}

void microDvdHeader(const WriterContext &context, LineSink &sink)
{
    if (context.options.microDvdRateLine)
        sink.add(QStringLiteral("{1}{1}") + context.options.frameRateText);
}

void mpl(const WriterContext &context, const Entry &entry, LineSink &sink)
{
    const auto time = [&](QString &out, const core::TimeCode &t) { appendFrame(out, context, t); };
    sink.add(stripStyleTags(timedTextLine(u"", entry.sub, time, u",", u",0,", u"|")));
}

void phoenix(const WriterContext &context, const Entry &entry, LineSink &sink)
{
    // Frame numbers right-aligned in seven characters; longer ones are written whole.
    const auto field = [&](QString &out, const core::TimeCode &t) {
        const QString n = frame(context, t);
        out += QString(std::max<qsizetype>(0, 7 - n.size()), QLatin1Char(' '));
        out += n;
    };
    QString line = timedTextLine(u"", entry.sub, field, u",", u", \"", u"|");
    line += QLatin1Char('"');
    sink.add(stripStyleTags(std::move(line)));
}

} // namespace glyfex::subtitles::writers
