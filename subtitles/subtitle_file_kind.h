// The 14 subtitle file formats the program reads, and how a file's first two lines tell which one it is.
#pragma once

#include <QStringView>

#include <cstdint>

namespace glyfex::subtitles {

// The numbers are the order of the format tests; 0 is a file none of them recognises.
enum class SubtitleFileKind : uint8_t {
    Unknown = 0,
    Glyfex = 1,
    MicroDvd = 2,
    Mpl2 = 3,
    TmPlayer = 4,
    TmPlayerMultiLine = 5,
    Mpl = 6,
    Dks = 7,
    MacSub = 8,
    ViPlay = 9,
    ZeroG = 10,
    TurboTitler = 11,
    PowerDivX = 12,
    Phoenix = 13,
    SubViewer2 = 14,
};

// The kind from the first and second non-blank lines of a file, trimmed (second empty when there is none).
// Every test runs; when several hold, the last one decides. Comparisons are case-sensitive.
SubtitleFileKind detectSubtitleFileKind(QStringView first, QStringView second);

// The name of a kind as the open dialog's filter names the format.
const char *subtitleFileKindName(SubtitleFileKind kind);

} // namespace glyfex::subtitles
