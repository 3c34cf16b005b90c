// Writers of the formats timed in whole seconds: Dks, PowerDivX, Subviewer and TMPlayer.
#include "subtitles/format_writers.h"
#include "subtitles/style_tags.h"
#include "subtitles/time_forms.h"

namespace glyfex::subtitles::writers {

void dks(const WriterContext &, const Entry &entry, LineSink &sink)
{
    QString line = QStringLiteral("[");
    appendHms(line, roundTimeToSecond(entry.sub.start));
    line += QLatin1Char(']');
    appendJoined(line, entry.sub, u"[br]");
    sink.add(stripStyleTags(std::move(line)));
}

void powerDivX(const WriterContext &, const Entry &entry, LineSink &sink)
{
    const auto time = [](QString &out, const core::TimeCode &t) { appendHms(out, roundTimeToSecond(t)); };
    sink.add(stripStyleTags(timedTextLine(u"{", entry.sub, time, u"}{", u"}", u"|")));
}

void subviewer(const WriterContext &context, const Entry &entry, LineSink &sink)
{
    const FormatOptions &o = context.options;
    core::TimeCode start = entry.sub.start;
    if (o.subviewerRoundTimes)
        start = roundTimeToSecond(start);
    // The format has no stop times: the previous subtitle's stop is written as an empty entry.
    if (entry.previous) {
        core::TimeCode previousStop = entry.previous->stop;
        if (o.subviewerRoundTimes)
            previousStop = roundTimeToSecond(previousStop);
        if (core::timeCodeToMilliseconds(previousStop) < core::timeCodeToMilliseconds(start)) {
            sink.add(QLatin1Char('[') + firstEight(previousStop) + QLatin1Char(']'));
            sink.add(QString());
        }
    }
    sink.add(QLatin1Char('[') + firstEight(start) + QLatin1Char(']'));
    QString text;
    const QStringList &lines = entry.sub.lines;
    for (qsizetype j = 0; j < lines.size(); ++j) {
        if (j == 1)
            text += QLatin1Char('|');
        else if (j > 1)
            text += o.subviewerTwoLineMax ? QLatin1Char(' ') : QLatin1Char('|');
        text += lines[j];
    }
    sink.add(stripStyleTags(std::move(text)));
}

void subviewerHeader(const WriterContext &context, LineSink &sink)
{
    const FormatOptions &o = context.options;
    sink.add(QStringLiteral("[TITLE]"));
    sink.add(o.subviewerTitle);
    sink.add(QStringLiteral("[AUTHOR]"));
    sink.add(o.subviewerAuthor);
    sink.add(QStringLiteral("[SOURCE]"));
    sink.add(o.subviewerSource);
    sink.add(QStringLiteral("[PRG]"));
    sink.add(o.subviewerProgram);
    sink.add(QStringLiteral("[FILEPATH]"));
    sink.add(o.subviewerFilePath);
    sink.add(QStringLiteral("[DELAY]"));
    sink.add(QString::number(o.subviewerDelay));
    sink.add(QStringLiteral("[CD TRACK]"));
    sink.add(QStringLiteral("0"));
    sink.add(QStringLiteral("[BEGIN]"));
    sink.add(QStringLiteral("******** START SCRIPT ********"));
}

QStringList subviewerTrailer()
{
    return {QStringLiteral("[END]"), QStringLiteral("******** End Script ********")};
}

void tmPlayer(const WriterContext &context, const Entry &entry, LineSink &sink)
{
    int variant = context.options.tmPlayerVariant;
    if (variant < 1 || variant > 5)
        variant = 1;
    QString prefix;
    prefix.reserve(64);
    appendHms(prefix, roundTimeToSecond(entry.sub.start), (variant == 2 || variant == 4) ? 1 : 2);
    if (variant <= 2)
        prefix += QLatin1Char(':');
    else if (variant <= 4)
        prefix += QLatin1Char('=');
    const QStringList &lines = entry.sub.lines;
    if (variant != 5) {
        appendJoined(prefix, entry.sub, u"|");
        sink.add(stripStyleTags(std::move(prefix)));
        return;
    }
    // Variant 5 always writes two lines per subtitle: the first text line, then the rest.
    if (lines.isEmpty())
        return;
    sink.add(prefix + QStringLiteral(",1=") + stripStyleTags(lines[0]));
    QString second;
    for (qsizetype j = 1; j < lines.size(); ++j)
        second += lines[j] + QLatin1Char(' ');
    sink.add(prefix + QStringLiteral(",2=") + stripStyleTags(second));
}

} // namespace glyfex::subtitles::writers
