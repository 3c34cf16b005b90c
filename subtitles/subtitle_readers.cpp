// The readers of the 14 subtitle text formats, sharing one entry loop, one error question and one overlap repair.
#include "subtitles/subtitle_readers.h"

#include "subtitles/time_forms.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace glyfex::subtitles {

using core::Error;
using core::TimeCode;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// Copy(pos, n) of the formats' layouts: positions count from 1, and what lies past the end is not there.
QStringView copy(QStringView s, qsizetype pos, qsizetype n)
{
    if (pos < 1 || pos > s.size() || n <= 0)
        return {};
    return s.sliced(pos - 1, std::min(n, s.size() - (pos - 1)));
}

// s without its first n characters.
QStringView after(QStringView s, qsizetype n)
{
    return n >= s.size() ? QStringView() : s.sliced(n);
}

// The reading state of one file: the entry being built and what the file has given so far.
class EntryReader {
public:
    EntryReader(SubtitleLineReader &file, const ReadSettings &settings, const ParseErrorHandler &onError)
        : m_file(file), m_settings(settings), m_onError(onError)
    {
    }

    SubtitleLineReader &file() { return m_file; }
    const ReadSettings &settings() const { return m_settings; }
    ReadOutcome &outcome() { return m_outcome; }
    uint32_t frameRate() const { return m_rate; }
    void setFrameRate(uint32_t rate) { m_rate = rate; }

    // The entry being built.
    TimeCode start;
    TimeCode stop;
    picture::Rect rect;
    QStringList lines;
    AddContext colours; // recognisedLineColors carries the colour of each line

    Error fail(const QString &why) const
    {
        return core::makeError(QStringLiteral("Subtitle entry not read"),
                               QStringLiteral("line %1").arg(m_file.lineNumber()), why);
    }

    core::Result<TimeCode> time(QStringView text) const
    {
        auto t = core::parseTimeCode(text);
        if (!t)
            return fail(QStringLiteral("\"%1\" is not a time").arg(text));
        const int64_t ms = core::timeCodeToMilliseconds(*t);
        if (ms < 0)
            return fail(QStringLiteral("the time \"%1\" lies before 0").arg(text));
        return core::millisecondsToTimeCode(ms);
    }

    core::Result<int64_t> number(QStringView text, const char *what) const
    {
        bool ok = false;
        const qint64 value = text.trimmed().toLongLong(&ok);
        if (!ok)
            return fail(QStringLiteral("the %1 \"%2\" is not a whole number").arg(QLatin1String(what), text));
        return int64_t(value);
    }

    core::Result<TimeCode> frameTime(QStringView frame) const
    {
        auto n = number(frame, "frame number");
        if (!n)
            return n.error();
        return frameTime(*n);
    }
    core::Result<TimeCode> frameTime(int64_t frame) const
    {
        auto t = core::frameNumberToTimeCode(frame, m_rate);
        if (!t)
            return fail(t.error().why);
        return *t;
    }

    // Tenths of a second; times beyond what a time code holds are refused.
    core::Result<TimeCode> tenthsTime(int64_t tenths) const
    {
        constexpr int64_t kMaxTenths = int64_t(std::numeric_limits<int32_t>::max()) * 36000;
        if (tenths < 0 || tenths > kMaxTenths)
            return fail(QStringLiteral("the time %1 (tenths of a second) is out of range").arg(tenths));
        return core::millisecondsToTimeCode(tenths * 100);
    }

    TimeCode plusMaximumDuration(const TimeCode &t) const
    {
        return core::millisecondsToTimeCode(core::timeCodeToMilliseconds(t) + m_settings.maxDurationMs);
    }

    void beginEntry()
    {
        lines.clear();
        colours.recognisedLineColors.fill(kWhite);
    }

    void addLine(const QString &line, uint32_t colour = kWhite)
    {
        if (lines.size() < kMaxLines)
            colours.recognisedLineColors[size_t(lines.size())] = colour;
        lines.append(line);
    }

    // Splits text at sep and adds every non-empty piece, trimmed.
    void addPieces(QStringView text, QStringView sep)
    {
        for (QStringView piece : text.tokenize(sep)) {
            piece = piece.trimmed();
            if (!piece.isEmpty())
                addLine(piece.toString());
        }
    }

    // Adds the entry to the store when it has lines (and, where asked, a start after 0). False when the
    // store is full: reading ends there.
    bool commit(bool dropZeroStart)
    {
        if (lines.isEmpty() || (dropZeroStart && start.isZero()))
            return true;
        NewSubtitle added;
        added.lines = lines;
        added.start = start;
        added.stop = stop;
        added.rect = rect;
        auto report = addSubtitle(m_outcome.store, added, colours, m_noQuestion);
        if (!report) {
            m_outcome.warnings.append(
                QStringLiteral("Only the first %1 subtitles were read: %2").arg(SubtitleStore::kCapacity).arg(report.error().why));
            m_full = true;
            return false;
        }
        if (!report->warning.isEmpty() && ++m_longEntries == 1)
            m_firstLongEntry = report->index;
        return true;
    }

    // The common loop: one entry per pass from the next non-blank line, until the file ends, the store is
    // full or the user stops. parse gets the trimmed entry line and returns the number to report on
    // failure (0: the store's count + 1).
    template <class Parse>
    void readEntries(Parse parse)
    {
        while (!m_full && !m_outcome.stopped) {
            beginEntry();
            const QString line = m_file.readNonBlankLine();
            if (line.isEmpty())
                break; // only blank lines were left
            int reportAs = 0;
            const core::Result<void> read = parse(line, reportAs);
            if (!read)
                failed(reportAs > 0 ? reportAs : m_outcome.store.count() + 1, read.error());
        }
        if (m_longEntries > 0)
            m_outcome.warnings.append(QStringLiteral("%1 subtitles held more than %2 lines (the first is number %3); "
                                                     "their further lines were dropped.")
                                          .arg(m_longEntries)
                                          .arg(kMaxLines)
                                          .arg(m_firstLongEntry));
    }

    void failed(int number, const Error &error)
    {
        ++m_outcome.failedEntries;
        if (m_dontAskAgain)
            return;
        const ParseErrorAnswer answer = m_onError ? m_onError(number, error) : ParseErrorAnswer::Ignore;
        if (answer == ParseErrorAnswer::Stop)
            m_outcome.stopped = true;
        else if (answer == ParseErrorAnswer::IgnoreAll)
            m_dontAskAgain = true;
    }

    // The formats that give no stop: a stop that reaches into the next subtitle ends before it, by the
    // minimum gap, but never before its own start.
    void fixOverlappingStops()
    {
        if (m_outcome.stopped)
            return;
        std::vector<Subtitle> &subs = m_outcome.store.subs;
        for (size_t i = 0; i + 1 < subs.size(); ++i) {
            const TimeCode &next = subs[i + 1].start;
            if (next.isZero() || core::timeCodeToMilliseconds(subs[i].stop) < core::timeCodeToMilliseconds(next))
                continue;
            const int64_t stopMs = std::max(core::timeCodeToMilliseconds(subs[i].start),
                                            core::timeCodeToMilliseconds(next) - m_settings.minGapMs);
            subs[i].stop = core::millisecondsToTimeCode(stopMs);
        }
    }

private:
    // Never asked: file entries always have lines when they are added.
    class NoQuestion : public SkippedItemAsker {
    public:
        Answer askSkippedItem() override { return {true, {}}; }
    };

    SubtitleLineReader &m_file;
    const ReadSettings &m_settings;
    const ParseErrorHandler &m_onError;
    ReadOutcome m_outcome;
    NoQuestion m_noQuestion;
    uint32_t m_rate = 0;
    bool m_dontAskAgain = false;
    bool m_full = false;
    int m_longEntries = 0;
    int m_firstLongEntry = 0;
};

// --- shared pieces ------------------------------------------------------------------------------------

// A <font color="#rrggbb"> tag at the start of a line: its colour, and the line without the tag and
// the first </font>. Lines without it are white.
core::Result<uint32_t> takeColourTag(const EntryReader &r, QString &line)
{
    static const QString open = QStringLiteral("<font color=\"#");
    if (!line.startsWith(open))
        return kWhite;
    const QStringView digits = copy(line, 15, 6);
    bool ok = digits.size() == 6;
    const uint32_t colour = ok ? digits.toUInt(&ok, 16) : 0;
    if (!ok)
        return r.fail(QStringLiteral("\"%1\" is not a colour").arg(digits));
    line = after(line, 22).toString();
    const qsizetype close = line.indexOf(QLatin1String("</font>"));
    if (close >= 0)
        line.remove(close, 7);
    return colour;
}

// Two bracketed fields taken off the front of a line ("{100}{200}Text"): their contents, and the line
// without them.
struct TimePair {
    QString a;
    QString b;
    QString rest;
};
core::Result<TimePair> extractTimePair(const EntryReader &r, QString line, QChar open, QChar close)
{
    TimePair pair;
    for (QString *field : {&pair.a, &pair.b}) {
        const qsizetype o = line.indexOf(open);
        const qsizetype c = line.indexOf(close);
        if (o < 0 || c < o)
            return r.fail(QStringLiteral("two times in %1%2 were expected").arg(open).arg(close));
        *field = line.mid(o + 1, c - o - 1);
        line.remove(o, c - o + 1);
    }
    pair.rest = line;
    return pair;
}

// The times of a bracketed pair in the format's unit (frames, tenths), toTime turning a count into a time;
// an empty stop is the start + the maximum duration in that unit, rounded. Gives the text after the pair.
template <class ToTime>
core::Result<QString> readTimePair(EntryReader &r, const QString &line, QChar open, QChar close,
                                   double maxDurationUnits, ToTime toTime)
{
    auto pair = extractTimePair(r, line, open, close);
    if (!pair)
        return pair.error();
    auto startUnits = r.number(pair->a, "start");
    if (!startUnits)
        return startUnits.error();
    // Far beyond any time a time code holds, and room for the default duration to be added.
    constexpr int64_t kMaxUnits = int64_t(1) << 52;
    if (*startUnits > kMaxUnits)
        return r.fail(QStringLiteral("the start %1 is out of range").arg(*startUnits));
    auto stopUnits = pair->b.trimmed().isEmpty()
                         ? core::Result<int64_t>(*startUnits + int64_t(std::floor(maxDurationUnits + 0.5)))
                         : r.number(pair->b, "stop");
    if (!stopUnits)
        return stopUnits.error();
    auto start = toTime(*startUnits);
    auto stop = toTime(*stopUnits);
    if (!start || !stop)
        return start ? stop.error() : start.error();
    r.start = *start;
    r.stop = *stop;
    return std::move(pair->rest);
}

// Start and stop frames in the first two comma-separated fields (Mpl, Phoenix): the position of the
// second comma.
core::Result<qsizetype> readFrameFields(EntryReader &r, const QString &line)
{
    const qsizetype c1 = line.indexOf(QLatin1Char(','));
    const qsizetype c2 = c1 < 0 ? -1 : line.indexOf(QLatin1Char(','), c1 + 1);
    if (c2 < 0)
        return r.fail(QStringLiteral("start and stop frames separated by commas were expected"));
    auto start = r.frameTime(QStringView(line).first(c1));
    auto stop = r.frameTime(QStringView(line).sliced(c1 + 1, c2 - c1 - 1));
    if (!start || !stop)
        return start ? stop.error() : start.error();
    r.start = *start;
    r.stop = *stop;
    return c2;
}

// --- readers -------------------------------------------------------------------------------------------

void readGlyfex(EntryReader &r)
{
    SubtitleLineReader &file = r.file();
    bool firstEntry = true;
    int lastNumber = 0;
    r.readEntries([&](const QString &numberLine, int &reportAs) -> core::Result<void> {
        // A failed entry is one question: its remaining lines, up to the blank line, go with it.
        const auto skipRest = [&] {
            while (!file.atEnd() && !file.readLine().trimmed().isEmpty()) {
            }
        };
        const auto number = r.number(numberLine, "entry number");
        if (!number || *number < -32768 || *number > 65535) {
            reportAs = lastNumber;
            skipRest();
            return number ? r.fail(QStringLiteral("the entry number %1 is out of range").arg(*number)) : number.error();
        }
        lastNumber = int(*number);
        reportAs = lastNumber;
        if (firstEntry) {
            // Saving again numbers from the same start.
            r.outcome().options.glyfexOffset = lastNumber - 1;
            firstEntry = false;
        }
        const QString timesLine = file.readLine().trimmed();
        if (timesLine.isEmpty()) {
            skipRest();
            return r.fail(QStringLiteral("entry %1 has no times line").arg(lastNumber));
        }
        auto start = r.time(copy(timesLine, 1, 12));
        const qsizetype arrow = timesLine.indexOf(QLatin1String(" --> "));
        auto stop = r.time(arrow >= 0 ? copy(timesLine, arrow + 6, 12) : copy(timesLine, 18, 12));
        if (!start || !stop) {
            skipRest();
            return start ? stop.error() : start.error();
        }
        r.start = *start;
        r.stop = *stop;
        if (timesLine.size() > 31) {
            const QString coordinates = copy(timesLine, 31, 30).trimmed().toString();
            if (coordinates.startsWith(QLatin1Char('X')) || coordinates.startsWith(QLatin1Char('x'))) {
                int32_t values[4] = {};
                const qsizetype at[4] = {4, 11, 18, 25}; // X1 X2 Y1 Y2
                for (int i = 0; i < 4; ++i) {
                    auto v = r.number(copy(coordinates, at[i], 3), "coordinate");
                    if (!v || *v < INT32_MIN || *v > INT32_MAX) {
                        skipRest();
                        return v ? r.fail(QStringLiteral("a coordinate is out of range")) : v.error();
                    }
                    values[i] = int32_t(*v);
                }
                r.rect = {values[0], values[2], values[1], values[3]}; // the file gives left, right, top, bottom
                r.outcome().options.glyfexExtended = true;
            }
        } else {
            r.rect = {};
            r.outcome().options.glyfexExtended = false;
        }
        while (!file.atEnd()) {
            QString line = file.readLine().trimmed();
            if (line.isEmpty())
                break;
            auto colour = takeColourTag(r, line);
            if (!colour) {
                skipRest();
                return colour.error();
            }
            static const struct {
                QLatin1String mark, open, close;
            } styles[] = {{QLatin1String("{y:i}"), QLatin1String("<i>"), QLatin1String("</i>")},
                          {QLatin1String("{y:b}"), QLatin1String("<b>"), QLatin1String("</b>")},
                          {QLatin1String("{y:u}"), QLatin1String("<u>"), QLatin1String("</u>")}};
            for (const auto &style : styles) {
                if (line.contains(style.mark)) {
                    line.remove(style.mark);
                    line = style.open + line + style.close;
                }
            }
            r.addLine(line, *colour);
        }
        r.commit(false);
        return {};
    });
}

// MicroDVD's {y:...} style mark at the start of a piece: removed, the letters turned into tags; an
// upper-case {Y:...} carries over to the text after the piece (given in carried when more follows).
QString microDvdStyled(QString piece, bool moreFollows, QString &carried)
{
    if (!(piece.startsWith(QLatin1String("{y")) || piece.startsWith(QLatin1String("{Y"))))
        return piece;
    const qsizetype close = piece.indexOf(QLatin1Char('}'));
    if (close < 0)
        return piece;
    const QString letters = piece.mid(3, std::max<qsizetype>(0, close - 3));
    const bool carries = piece[1] == QLatin1Char('Y');
    piece.remove(0, close + 1);
    if (carries && moreFollows)
        carried = QStringLiteral("{Y:") + letters + QLatin1Char('}');
    if (letters.contains(QLatin1Char('u')))
        piece = QStringLiteral("<u>") + piece + QStringLiteral("</u>");
    if (letters.contains(QLatin1Char('i')))
        piece = QStringLiteral("<i>") + piece + QStringLiteral("</i>");
    if (letters.contains(QLatin1Char('b')))
        piece = QStringLiteral("<b>") + piece + QStringLiteral("</b>");
    return piece;
}

// A frame-rate line "{1}{1}23.976" (or {0}{0}): the rate, or nullopt when the line is no such line.
// Any decimal rate is taken, not only the 8- and 12-character forms. A rate of 0 or less is refused.
std::optional<core::Result<uint32_t>> microDvdRateLine(QStringView line)
{
    if (!(line.startsWith(u"{1}{1}") || line.startsWith(u"{0}{0}")))
        return std::nullopt;
    static const QRegularExpression decimal(QStringLiteral("^[+-]?\\d{1,4}([.,]\\d{1,6})?$"));
    const QStringView rate = line.sliced(6).trimmed();
    if (!decimal.match(rate.toString()).hasMatch())
        return std::nullopt;
    return parseFrameRateX1000(rate);
}

void readMicroDvd(EntryReader &r)
{
    SubtitleLineReader &file = r.file();
    const QString first = file.readNonBlankLine();
    if (auto rate = microDvdRateLine(first)) {
        if (*rate) {
            r.setFrameRate(**rate);
            r.outcome().options.frameRateText = QString::number(**rate / 1000.0, 'f', 3);
        } else {
            r.outcome().warnings.append(QStringLiteral("The frame-rate line \"%1\" was not used: %2")
                                            .arg(first, rate->error().why));
        }
    } else {
        file.rewind();
    }
    if (r.frameRate() == 0)
        return; // the caller reports the window's refused rate
    const double maxFrames = r.settings().maxDurationMs / 1000.0 * r.frameRate() / 1000.0;
    r.readEntries([&](const QString &line, int &) -> core::Result<void> {
        auto text = readTimePair(r, line, QLatin1Char('{'), QLatin1Char('}'), maxFrames,
                                 [&](int64_t frame) { return r.frameTime(frame); });
        if (!text)
            return text.error();
        // Pieces between '|'; a {Y:...} mark carries into the next piece.
        const QString &rest = *text;
        QString carried;
        qsizetype from = 0;
        while (from < rest.size()) {
            qsizetype bar = rest.indexOf(QLatin1Char('|'), from);
            if (bar < 0)
                bar = rest.size();
            const QString piece = std::exchange(carried, QString()) + QStringView(rest).sliced(from, bar - from).trimmed().toString();
            from = bar + 1;
            const QString styled = microDvdStyled(piece, from < rest.size(), carried).trimmed();
            if (!styled.isEmpty())
                r.addLine(styled);
        }
        r.commit(false);
        return {};
    });
}

void readMpl2(EntryReader &r)
{
    const double maxTenths = r.settings().maxDurationMs / 100.0;
    r.readEntries([&](const QString &line, int &) -> core::Result<void> {
        auto text = readTimePair(r, line, QLatin1Char('['), QLatin1Char(']'), maxTenths,
                                 [&](int64_t tenths) { return r.tenthsTime(tenths); });
        if (!text)
            return text.error();
        r.addPieces(*text, u"|");
        r.commit(false);
        return {};
    });
}

bool isDigitAt(QStringView s, qsizetype pos)
{
    const QStringView c = copy(s, pos, 1);
    return !c.isEmpty() && c[0] >= u'0' && c[0] <= u'9';
}

void readTmPlayer(EntryReader &r)
{
    r.readEntries([&](const QString &line, int &) -> core::Result<void> {
        // hh:mm:ss and a separator, or h:mm:ss and a separator.
        const bool twoDigitHours = isDigitAt(line, 8);
        const QString time = twoDigitHours ? copy(line, 1, 8).toString() : QLatin1Char('0') + copy(line, 1, 7).toString();
        auto start = r.time(time + QStringLiteral(",000"));
        if (!start)
            return start.error();
        r.start = *start;
        r.stop = r.plusMaximumDuration(r.start);
        r.addPieces(after(line, twoDigitHours ? 9 : 8), u"|");
        if (r.lines.isEmpty())
            r.addLine(QString()); // a time without text ends the subtitle before it
        r.commit(true);
        return {};
    });
    r.fixOverlappingStops();
}

void readTmPlayerMultiLine(EntryReader &r)
{
    SubtitleLineReader &file = r.file();
    r.readEntries([&](const QString &line, int &) -> core::Result<void> {
        auto start = r.time(copy(line, 1, 8).toString() + QStringLiteral(",000"));
        if (!start)
            return start.error();
        r.start = *start;
        r.stop = r.plusMaximumDuration(r.start);
        const QString second = file.readLine().trimmed();
        for (QStringView text : {after(line, 11).trimmed(), after(second, 11).trimmed()}) {
            if (!text.isEmpty())
                r.addLine(text.toString());
        }
        if (r.lines.isEmpty())
            r.addLine(QString());
        r.commit(true);
        return {};
    });
    r.fixOverlappingStops();
}

void readMpl(EntryReader &r)
{
    r.readEntries([&](const QString &line, int &) -> core::Result<void> {
        auto c2 = readFrameFields(r, line);
        if (!c2)
            return c2.error();
        // The third field is not used.
        const qsizetype c3 = line.indexOf(QLatin1Char(','), *c2 + 1);
        if (c3 < 0)
            return r.fail(QStringLiteral("three fields before the text were expected"));
        r.addPieces(QStringView(line).sliced(c3 + 1), u"|");
        r.commit(false);
        return {};
    });
}

void readDks(EntryReader &r)
{
    r.readEntries([&](const QString &line, int &) -> core::Result<void> {
        auto start = r.time(copy(line, 2, 8).toString() + QStringLiteral(",000"));
        if (!start)
            return start.error();
        r.start = *start;
        r.stop = r.plusMaximumDuration(r.start);
        r.addPieces(after(line, 10), u"[br]");
        r.commit(true);
        return {};
    });
    r.fixOverlappingStops();
}

bool isFrameLine(QStringView line)
{
    return line.startsWith(u'/') && isDigitAt(line, 2);
}

void readMacSub(EntryReader &r)
{
    SubtitleLineReader &file = r.file();
    r.readEntries([&](const QString &line, int &) -> core::Result<void> {
        if (!line.startsWith(QLatin1Char('/')))
            return r.fail(QStringLiteral("a start frame line \"/frame\" was expected"));
        auto start = r.frameTime(after(line, 1));
        if (!start)
            return start.error();
        r.start = *start;
        for (;;) {
            if (file.atEnd())
                return r.fail(QStringLiteral("the file ends before the stop frame"));
            const QString text = file.readLine().trimmed();
            if (isFrameLine(text)) {
                auto stop = r.frameTime(after(text, 1));
                if (!stop)
                    return stop.error();
                r.stop = *stop;
                break;
            }
            if (text.isEmpty())
                return r.fail(QStringLiteral("a blank line stands inside the text"));
            r.addLine(text);
        }
        r.commit(true);
        return {};
    });
}

// The one-line formats with times at fixed places: ViPlay, ZeroG, Turbo Titler, PowerDivX.
struct FixedLayout {
    qsizetype startPos, startLength;
    qsizetype stopPos, stopLength;
    const char *before; // added in front of each time
    const char *behind; // added behind it
    qsizetype textPos;  // characters before the text
    const char16_t *separator;
    bool headerLine;    // the first non-blank line is a header
};

void readFixed(EntryReader &r, const FixedLayout &layout)
{
    if (layout.headerLine)
        r.file().readNonBlankLine();
    r.readEntries([&](const QString &line, int &) -> core::Result<void> {
        const QString before = QString::fromLatin1(layout.before);
        const QString behind = QString::fromLatin1(layout.behind);
        auto start = r.time(before + copy(line, layout.startPos, layout.startLength).toString() + behind);
        auto stop = r.time(before + copy(line, layout.stopPos, layout.stopLength).toString() + behind);
        if (!start || !stop)
            return start ? stop.error() : start.error();
        r.start = *start;
        r.stop = *stop;
        r.addPieces(after(line, layout.textPos), layout.separator);
        r.commit(true);
        return {};
    });
}

void readPhoenix(EntryReader &r)
{
    // Fields by commas: frame numbers wider than the writer's seven columns stay readable.
    r.readEntries([&](const QString &line, int &) -> core::Result<void> {
        auto c2 = readFrameFields(r, line);
        if (!c2)
            return c2.error();
        QStringView text = QStringView(line).sliced(*c2 + 1).trimmed();
        if (text.startsWith(u'"'))
            text = text.sliced(1);
        if (text.endsWith(u'"'))
            text.chop(1);
        r.addPieces(text, u"|");
        r.commit(true);
        return {};
    });
}

// The font line "[COLF]&HFFFFFF,[STYLE]bd,[SIZE]18,[FONT]Arial".
void readSubViewer2Font(EntryReader &r, QStringView line)
{
    LoadedOptions &o = r.outcome().options;
    if (const qsizetype p = line.indexOf(u"[STYLE]"); p >= 0) {
        const QString style = line.sliced(p + 7).left(2).toString();
        if (style == u"no" || style == u"bd" || style == u"it" || style == u"ud" || style == u"st")
            o.sv2FontStyle = style;
    }
    if (const qsizetype p = line.indexOf(u"[SIZE]"); p >= 0) {
        QStringView size = line.sliced(p + 6);
        if (const qsizetype comma = size.indexOf(u','); comma >= 0)
            size = size.first(comma);
        bool ok = false;
        const int value = size.trimmed().toInt(&ok);
        o.sv2FontSize = ok && value > 0 ? value : 18;
    }
    if (const qsizetype p = line.indexOf(u"[FONT]"); p >= 0)
        o.sv2FontName = line.sliced(p + 6).trimmed().toString();
}

void readSubViewer2(EntryReader &r)
{
    SubtitleLineReader &file = r.file();
    LoadedOptions &o = r.outcome().options;
    // The header runs to the font line. A file without one ends its header at the first line that is
    // not a [KEY] line: that is the first times line.
    while (!file.atEnd()) {
        const QString line = file.readLine().trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1String("[COLF]&"))) {
            readSubViewer2Font(r, line);
            break;
        }
        if (!line.startsWith(QLatin1Char('['))) {
            file.unread();
            break;
        }
        const auto value = [&](const char *key) -> std::optional<QString> {
            const QLatin1String k(key);
            return line.startsWith(k) ? std::optional<QString>(line.mid(k.size())) : std::nullopt;
        };
        const auto numberOf = [](const QString &text) {
            bool ok = false;
            const int n = text.trimmed().toInt(&ok);
            return ok ? n : 0;
        };
        if (auto v = value("[TITLE]"))
            o.sv2Title = *v;
        else if (auto v = value("[AUTHOR]"))
            o.sv2Author = *v;
        else if (auto v = value("[SOURCE]"); v && !v->isEmpty())
            o.sv2Source = *v;
        else if (auto v = value("[PRG]"))
            o.sv2Program = *v;
        else if (auto v = value("[FILEPATH]"))
            o.sv2FilePath = *v;
        else if (auto v = value("[DELAY]"))
            o.sv2Delay = numberOf(*v);
        else if (auto v = value("[CD TRACK]"))
            o.sv2CdTrack = numberOf(*v);
        else if (auto v = value("[COMMENT]"))
            o.sv2Comment = *v;
    }
    r.readEntries([&](const QString &times, int &) -> core::Result<void> {
        if (file.atEnd())
            return {}; // a times line without its text line
        auto start = r.time(copy(times, 1, 11).toString() + QLatin1Char('0'));
        auto stop = r.time(copy(times, 13, 11).toString() + QLatin1Char('0'));
        if (!start || !stop)
            return start ? stop.error() : start.error();
        r.start = *start;
        r.stop = *stop;
        const QString text = file.readLine();
        for (QStringView piece : QStringView(text).tokenize(u"[br]")) {
            QString line = piece.trimmed().toString();
            auto colour = takeColourTag(r, line);
            if (!colour)
                return colour.error();
            line = line.trimmed();
            if (!line.isEmpty())
                r.addLine(line, *colour);
        }
        r.commit(false);
        return {};
    });
}

bool usesFrameNumbers(SubtitleFileKind kind)
{
    return kind == SubtitleFileKind::Mpl || kind == SubtitleFileKind::MacSub || kind == SubtitleFileKind::Phoenix;
}

} // namespace

void LoadedOptions::applyTo(FormatOptions &options) const
{
    if (glyfexOffset)
        options.glyfexOffset = *glyfexOffset;
    if (glyfexExtended)
        options.glyfexExtended = *glyfexExtended;
    const auto set = [](const std::optional<QString> &from, QString &to) {
        if (from)
            to = *from;
    };
    set(sv2Title, options.sv2Title);
    set(sv2Author, options.sv2Author);
    set(sv2Source, options.sv2Source);
    set(sv2Program, options.sv2Program);
    set(sv2FilePath, options.sv2FilePath);
    set(sv2Comment, options.sv2Comment);
    if (sv2Delay)
        options.sv2Delay = *sv2Delay;
    if (sv2CdTrack)
        options.sv2CdTrack = *sv2CdTrack;
    if (sv2FontStyle) {
        FontSpec &f = options.sv2Font;
        f.bold = *sv2FontStyle == u"bd";
        f.italic = *sv2FontStyle == u"it";
        f.underline = *sv2FontStyle == u"ud";
        f.strikeOut = *sv2FontStyle == u"st";
    }
    if (sv2FontSize)
        options.sv2Font.size = *sv2FontSize;
    set(sv2FontName, options.sv2Font.name);
    set(frameRateText, options.frameRateText);
    if (frameRateIndex)
        options.frameRateIndex = *frameRateIndex;
}

core::Result<ReadOutcome> readSubtitleEntries(SubtitleFileKind kind, SubtitleLineReader &file,
                                              const ReadSettings &settings, const ParseErrorHandler &onError)
{
    file.rewind();
    EntryReader r(file, settings, onError);
    r.setFrameRate(settings.frameRateX1000);
    if (usesFrameNumbers(kind) && settings.frameRateX1000 == 0)
        return settings.frameRateError;

    using K = SubtitleFileKind;
    switch (kind) {
    case K::Glyfex: readGlyfex(r); break;
    case K::MicroDvd:
        readMicroDvd(r);
        if (r.frameRate() == 0)
            return settings.frameRateError;
        break;
    case K::Mpl2: readMpl2(r); break;
    case K::TmPlayer: readTmPlayer(r); break;
    case K::TmPlayerMultiLine: readTmPlayerMultiLine(r); break;
    case K::Mpl: readMpl(r); break;
    case K::Dks: readDks(r); break;
    case K::MacSub: readMacSub(r); break;
    // hh:mm:ss,mmm-hh:mm:ss,mmm=
    case K::ViPlay: readFixed(r, {1, 12, 14, 12, "", "", 26, u"|", true}); break;
    // E 1 h:mm:ss.cc h:mm:ss.cc Default NTP
    case K::ZeroG: readFixed(r, {5, 10, 16, 10, "0", "0", 38, u"\\n", true}); break;
    // h:mm:ss.cc,h:mm:ss.cc,NTP
    case K::TurboTitler: readFixed(r, {1, 10, 12, 10, "0", "0", 25, u"|", false}); break;
    // {hh:mm:ss}{hh:mm:ss}
    case K::PowerDivX: readFixed(r, {2, 8, 12, 8, "", ",000", 20, u"|", false}); break;
    case K::Phoenix: readPhoenix(r); break;
    case K::SubViewer2: readSubViewer2(r); break;
    case K::Unknown: break;
    }
    ReadOutcome outcome = std::move(r.outcome());
    if (kind == K::MicroDvd || usesFrameNumbers(kind))
        outcome.frameRateX1000 = r.frameRate();
    return outcome;
}

} // namespace glyfex::subtitles
