// Dispatch to the writers of a format's row, the picture scripts' trailers, and the small text pieces the writers share.
#include "subtitles/format_writers.h"

#include <algorithm>

namespace glyfex::subtitles {

void writeEntry(const WriterContext &context, const Entry &entry, LineSink &sink)
{
    if (const EntryWriter write = outputFormatInfo(context.format).writeEntry)
        write(context, entry, sink);
}

void writeHeader(const WriterContext &context, LineSink &sink)
{
    if (const HeaderWriter write = outputFormatInfo(context.format).writeHeader)
        write(context, sink);
}

QStringList trailerLines(OutputFormat format)
{
    const TrailerLines trailer = outputFormatInfo(format).trailer;
    return trailer ? trailer() : QStringList();
}

namespace writers {

namespace {

// A short piece of text (a number, a time code) made in place and appended to a line at once, so
// that the line grows once per piece instead of once per character.
class Piece {
public:
    void number(int64_t v, int digits)
    {
        const bool negative = v < 0;
        uint64_t u = negative ? uint64_t(0) - uint64_t(v) : uint64_t(v);
        int count = 1;
        for (uint64_t rest = u / 10; rest > 0; rest /= 10)
            ++count;
        const int width = std::max(count, digits) + (negative ? 1 : 0);
        if (m_size + width > kCapacity)
            return;
        char16_t *p = m_buf + m_size + width;
        m_size += width;
        for (int i = 0; i < count; ++i, u /= 10)
            *--p = char16_t(u'0' + u % 10);
        for (int i = count; i < digits; ++i)
            *--p = u'0';
        if (negative)
            *--p = u'-';
    }
    void add(char16_t c)
    {
        if (m_size < kCapacity)
            m_buf[m_size++] = c;
    }
    void hms(const core::TimeCode &t, int hourDigits)
    {
        number(t.hour, hourDigits);
        add(u':');
        number(t.minute, 2);
        add(u':');
        number(t.second, 2);
    }
    void appendTo(QString &out) const { out.append(reinterpret_cast<const QChar *>(m_buf), m_size); }

private:
    static constexpr int kCapacity = 96;
    char16_t m_buf[kCapacity];
    int m_size = 0;
};

} // namespace

void appendPadded(QString &out, int64_t v, int digits)
{
    Piece p;
    p.number(v, digits);
    p.appendTo(out);
}

QString padded(int64_t v, int digits)
{
    QString s;
    appendPadded(s, v, digits);
    return s;
}

void appendHms(QString &out, const core::TimeCode &t, int hourDigits)
{
    Piece p;
    p.hms(t, hourDigits);
    p.appendTo(out);
}

void appendTimeCode(QString &out, const core::TimeCode &t, char16_t separator, int fractionDigits)
{
    Piece p;
    p.hms(t, 2);
    p.add(separator);
    p.number(t.fraction, fractionDigits);
    p.appendTo(out);
}

QString firstEight(const core::TimeCode &t)
{
    QString s;
    appendFirstEight(s, t);
    return s;
}

void appendFirstEight(QString &out, const core::TimeCode &t)
{
    const qsizetype start = out.size();
    appendTimeCode(out, t);
    out.truncate(start + 8);
}

void appendJoined(QString &out, const Subtitle &sub, QStringView sep)
{
    for (qsizetype j = 0; j < sub.lines.size(); ++j) {
        if (j > 0)
            out += sep;
        out += sub.lines[j];
    }
}

QStringList iAuthorTrailer()
{
    return {QString()};
}

QStringList pinnacleImpressionTrailer()
{
    return {QString(49, QLatin1Char('-'))};
}

QString fontColourTagged(const QString &line, uint32_t rgb)
{
    return QStringLiteral("<font color=\"#%1\">").arg(rgb & 0xFFFFFF, 6, 16, QLatin1Char('0')) + line +
           QStringLiteral("</font>");
}

} // namespace writers

} // namespace glyfex::subtitles
