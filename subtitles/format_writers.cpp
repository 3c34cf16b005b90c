// Dispatch to the format writers, the trailers, and the small text pieces the writers share.
#include "subtitles/format_writers.h"

#include <algorithm>

namespace glyfex::subtitles {

void writeEntry(const WriterContext &context, const Entry &entry, LineSink &sink)
{
    using F = OutputFormat;
    switch (context.format) {
    case F::Dks: return writers::dks(context, entry, sink);
    case F::DvdSubtitle: return writers::dvdSubtitle(context, entry, sink);
    case F::FabSubtitler: return writers::fabSubtitler(context, entry, sink);
    case F::MacDvdStudioPro: return writers::macDvdStudioPro(context, entry, sink);
    case F::MacSub: return writers::macSub(context, entry, sink);
    case F::MicroDvd: return writers::microDvd(context, entry, sink);
    case F::Mpl: return writers::mpl(context, entry, sink);
    case F::Mpl2: return writers::mpl2(context, entry, sink);
    case F::PhoenixJapanimation: return writers::phoenix(context, entry, sink);
    case F::PowerDivX: return writers::powerDivX(context, entry, sink);
    case F::SpruceStl: return writers::spruceStl(context, entry, sink);
    // I-Author shows its subtitles in the .gxt layout; its file is generated at save.
    case F::Glyfex:
    case F::IAuthor: return writers::glyfex(context, entry, sink);
    case F::SubStationAlpha: return writers::subStationAlpha(context, entry, sink);
    case F::Subviewer: return writers::subviewer(context, entry, sink);
    case F::Subviewer2: return writers::subviewer2(context, entry, sink);
    case F::TmPlayer: return writers::tmPlayer(context, entry, sink);
    case F::TurboTitler: return writers::turboTitler(context, entry, sink);
    case F::ViPlay: return writers::viPlay(context, entry, sink);
    case F::ZeroG: return writers::zeroG(context, entry, sink);
    case F::PhilipsSvcdDesigner: return writers::philips(context, entry, sink);
    case F::SonicDvdCreator: return writers::sonicDvdCreator(context, entry, sink);
    case F::SonicScenarist: return writers::scenarist(context, entry, sink);
    case F::SpruceDvdMaestro: return writers::maestro(context, entry, sink);
    case F::PinnacleImpression: return writers::pinnacle(context, entry, sink);
    }
}

void writeHeader(const WriterContext &context, LineSink &sink)
{
    using F = OutputFormat;
    switch (context.format) {
    case F::DvdSubtitle: return writers::dvdSubtitleHeader(context, sink);
    case F::MicroDvd: return writers::microDvdHeader(context, sink);
    case F::SpruceStl: return writers::spruceStlHeader(context, sink);
    case F::SubStationAlpha: return writers::subStationAlphaHeader(context, sink);
    case F::Subviewer: return writers::subviewerHeader(context, sink);
    case F::Subviewer2: return writers::subviewer2Header(context, sink);
    case F::ViPlay: return sink.add(QStringLiteral("{* VIPLAY SUBTITLE FILE *}"));
    case F::PhilipsSvcdDesigner: return writers::philipsHeader(context, sink);
    case F::SonicScenarist: return writers::scenaristHeader(context, sink);
    case F::SpruceDvdMaestro: return writers::maestroHeader(context, sink);
    case F::PinnacleImpression: return writers::pinnacleHeader(context, sink);
    case F::ZeroG:
        sink.add(QStringLiteral("% Zero G 1.0"));
        return sink.add(QString());
    default: return;
    }
}

QStringList trailerLines(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Subviewer:
        return {QStringLiteral("[END]"), QStringLiteral("******** End Script ********")};
    case OutputFormat::IAuthor: return {QString()};
    case OutputFormat::PinnacleImpression: return {QString(49, QLatin1Char('-'))};
    default: return {};
    }
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

QString fontColorTagged(const QString &line, uint32_t rgb)
{
    return QStringLiteral("<font color=\"#%1\">").arg(rgb & 0xFFFFFF, 6, 16, QLatin1Char('0')) + line +
           QStringLiteral("</font>");
}

} // namespace writers

} // namespace glyfex::subtitles
