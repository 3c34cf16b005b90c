// Format detection from the first two lines of a subtitle file.
#include "subtitles/subtitle_file_kind.h"

#include <QString>

namespace glyfex::subtitles {

namespace {

// Character at 1-based position pos, or 0 when the line is shorter.
char16_t at(QStringView line, qsizetype pos)
{
    return pos >= 1 && pos <= line.size() ? line[pos - 1].unicode() : 0;
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// A signed whole number with nothing else on the line (a .gxt entry number).
bool isWholeNumber(QStringView line, qint64 *value)
{
    bool ok = false;
    *value = line.toLongLong(&ok);
    return ok;
}

} // namespace

SubtitleFileKind detectSubtitleFileKind(QStringView l1, QStringView l2)
{
    using K = SubtitleFileKind;
    K kind = K::Unknown;
    qint64 number = 0;
    if (isWholeNumber(l1, &number) && number != -1)
        kind = K::Glyfex;
    if (l1.startsWith(u'{'))
        kind = K::MicroDvd;
    if (l1.startsWith(u'[')) {
        if (l1 == u"[INFORMATION]")
            kind = K::SubViewer2;
        else if (at(l1, 4) == u':')
            kind = K::Dks;
        else
            kind = K::Mpl2;
    }
    if (l1.size() > 1 && isDigit(at(l1, 1)) && l1.contains(u':'))
        kind = K::TmPlayer;
    if (l1.size() >= 10 && l2.size() >= 10 && l1.first(9) == l2.first(9) && at(l1, 10) == u'1' &&
        at(l2, 10) == u'2')
        kind = K::TmPlayerMultiLine;
    if (const qsizetype p = l1.indexOf(u",0,"); p > 0 && isDigit(l1[p - 1].unicode()))
        kind = K::Mpl;
    if (l1.startsWith(u'/'))
        kind = K::MacSub;
    if (l1.contains(u"VIPLAY"))
        kind = K::ViPlay;
    if (l1.startsWith(u'%') && l1.contains(u"Zero"))
        kind = K::ZeroG;
    if (at(l1, 11) == u',' && at(l1, 22) == u',' && l1.indexOf(u"NTP") == 22)
        kind = K::TurboTitler;
    if (l1.startsWith(u'{') && at(l1, 10) == u'}' && at(l1, 4) == u':')
        kind = K::PowerDivX;
    // With no comma the position is 0, so the eighth character decides.
    if (at(l1, l1.indexOf(u',') + 1 + 8) == u',')
        kind = K::Phoenix;
    return kind;
}

const char *subtitleFileKindName(SubtitleFileKind kind)
{
    switch (kind) {
    case SubtitleFileKind::Glyfex: return "Glyfex";
    case SubtitleFileKind::MicroDvd: return "MicroDVD";
    case SubtitleFileKind::Mpl2: return "Mpl2";
    case SubtitleFileKind::TmPlayer: return "TMPlayer";
    case SubtitleFileKind::TmPlayerMultiLine: return "TMPlayer (numbered lines)";
    case SubtitleFileKind::Mpl: return "Mpl";
    case SubtitleFileKind::Dks: return "Dks";
    case SubtitleFileKind::MacSub: return "MacSUB";
    case SubtitleFileKind::ViPlay: return "ViPlay";
    case SubtitleFileKind::ZeroG: return "ZeroG";
    case SubtitleFileKind::TurboTitler: return "TurboTitler";
    case SubtitleFileKind::PowerDivX: return "PowerDivX";
    case SubtitleFileKind::Phoenix: return "Phoenix Japanimation";
    case SubtitleFileKind::SubViewer2: return "SubViewer 2";
    case SubtitleFileKind::Unknown: break;
    }
    return "unknown";
}

} // namespace glyfex::subtitles
