// Writers of the formats timed in hundredths or tenths of a second: DVDSubtitle, Mpl2, Subviewer 2, Turbo Titler, ZeroG.
#include "subtitles/format_writers.h"
#include "subtitles/style_tags.h"
#include "subtitles/time_forms.h"

namespace glyfex::subtitles::writers {

namespace {

// "h:mm:ss.cc" with rounded hundredths.
void appendRoundedShort(QString &out, const core::TimeCode &t)
{
    const Hundredths h = roundedHundredths(t);
    appendHms(out, h.time, 1);
    out += QLatin1Char('.');
    appendPadded(out, h.hundredths);
}

// "hh:mm:ss.cc" with the hundredths cut from the milliseconds.
void appendTruncatedLong(QString &out, const core::TimeCode &t)
{
    appendFirstEight(out, t);
    out += QLatin1Char('.');
    appendPadded(out, truncatedHundredths(t));
}

} // namespace

void dvdSubtitle(const WriterContext &, const Entry &entry, LineSink &sink)
{
    const Hundredths h = roundedHundredths(entry.sub.start);
    QString line = QStringLiteral("{T ");
    appendHms(line, h.time);
    line += QLatin1Char(':');
    appendPadded(line, h.hundredths);
    sink.add(line);
    for (const QString &text : entry.sub.lines)
        sink.add(stripStyleTags(text));
    sink.add(QStringLiteral("}"));
}

void dvdSubtitleHeader(const WriterContext &context, LineSink &sink)
{
    const FormatOptions &o = context.options;
    sink.add(QStringLiteral("{HEAD"));
    sink.add(QStringLiteral("DISCID=") + o.dvdDiscId);
    sink.add(QStringLiteral("DVDTITLE=") + o.dvdTitle);
    sink.add(QStringLiteral("CODEPAGE=") + QString::number(context.codePage));
    sink.add(QStringLiteral("FORMAT=ASCII"));
    sink.add(QStringLiteral("LANG=") + o.dvdLanguage);
    sink.add(QStringLiteral("TITLE=1"));
    sink.add(QStringLiteral("ORIGINAL=ORIGINAL"));
    sink.add(QStringLiteral("AUTHOR=") + o.dvdAuthor);
    sink.add(QStringLiteral("WEB=") + o.dvdWeb);
    sink.add(QStringLiteral("INFO=") + o.dvdInfo);
    sink.add(QStringLiteral("LICENSE=") + o.dvdLicense);
    sink.add(QStringLiteral("}"));
}

void mpl2(const WriterContext &, const Entry &entry, LineSink &sink)
{
    const auto time = [](QString &out, const core::TimeCode &t) { appendPadded(out, deciseconds(t), 1); };
    sink.add(stripStyleTags(timedTextLine(u"[", entry.sub, time, u"][", u"]", u"|")));
}

void subviewer2(const WriterContext &context, const Entry &entry, LineSink &sink)
{
    QString times;
    times.reserve(24);
    appendTruncatedLong(times, entry.sub.start);
    times += QLatin1Char(',');
    appendTruncatedLong(times, entry.sub.stop);
    sink.add(times);
    if (context.options.sv2PreserveStyles) {
        QString text;
        for (qsizetype j = 0; j < entry.sub.lines.size(); ++j) {
            if (j > 0)
                text += QStringLiteral("[br]");
            text += fontColourTagged(entry.sub.lines[j], entry.sub.lineColours[size_t(j)]);
        }
        sink.add(text);
    } else {
        QString text;
        appendJoined(text, entry.sub, u"[br]");
        sink.add(stripStyleTags(std::move(text)));
    }
    sink.add(QString());
}

void subviewer2Header(const WriterContext &context, LineSink &sink)
{
    const FormatOptions &o = context.options;
    sink.add(QStringLiteral("[INFORMATION]"));
    sink.add(QStringLiteral("[TITLE]") + o.sv2Title);
    sink.add(QStringLiteral("[AUTHOR]") + o.sv2Author);
    sink.add(QStringLiteral("[SOURCE]") + o.sv2Source);
    sink.add(QStringLiteral("[PRG]") + o.sv2Program);
    sink.add(QStringLiteral("[FILEPATH]") + o.sv2FilePath);
    sink.add(QStringLiteral("[DELAY]") + QString::number(o.sv2Delay));
    sink.add(QStringLiteral("[CD TRACK]") + QString::number(o.sv2CdTrack));
    sink.add(QStringLiteral("[COMMENT]") + o.sv2Comment);
    sink.add(QStringLiteral("[END INFORMATION]"));
    sink.add(QStringLiteral("[SUBTITLE]"));
    // The last style that applies wins, in this order.
    QString style = QStringLiteral("no");
    if (o.sv2Font.strikeOut)
        style = QStringLiteral("st");
    if (o.sv2Font.underline)
        style = QStringLiteral("ud");
    if (o.sv2Font.bold)
        style = QStringLiteral("bd");
    if (o.sv2Font.italic)
        style = QStringLiteral("it");
    sink.add(QStringLiteral("[COLF]&HFFFFFF,[STYLE]") + style + QStringLiteral(",[SIZE]") +
             QString::number(o.sv2Font.size) + QStringLiteral(",[FONT]") + o.sv2Font.name);
    sink.add(QStringLiteral("00:00:00.00,00:00:00.10"));
    sink.add(QString());
    sink.add(QString());
}

void turboTitler(const WriterContext &, const Entry &entry, LineSink &sink)
{
    sink.add(stripStyleTags(timedTextLine(u"", entry.sub, appendRoundedShort, u",", u",NTP ", u"|")));
}

void zeroG(const WriterContext &, const Entry &entry, LineSink &sink)
{
    sink.add(stripStyleTags(timedTextLine(u"E 1 ", entry.sub, appendRoundedShort, u" ", u" Default NTP ", u"\\n")));
}

void zeroGHeader(const WriterContext &, LineSink &sink)
{
    sink.add(QStringLiteral("% Zero G 1.0"));
    sink.add(QString());
}

} // namespace glyfex::subtitles::writers
