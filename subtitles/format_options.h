// The options the output-format writers read, one plain struct the Output Format dialog and the configuration fill.
#pragma once

#include "core/version.h"

#include <QString>

#include <array>
#include <cstdint>

namespace glyfex::subtitles {

// A font as the writers need it (name, size, charset, styles); the dialog turns it into a real font.
struct FontSpec {
    QString name = QStringLiteral("Arial");
    int size = 10;
    int charset = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

// Values at start are the configuration's defaults and the dialog's start values. Colours of the
// STL and SSA options are colour values as the configuration stores them: 0x00BBGGRR.
struct FormatOptions {
    // Frame time codes (FAB, Mac DVD Studio Pro, Spruce STL and the picture scripts): 0 PAL 25 fps, 1 NTSC 30 fps.
    uint8_t frameRateIndex = 0;
    // Drop-frame numbering; only used with NTSC.
    bool dropFrame = true;

    // Frame rate of the frame-number formats (MacSUB, MicroDVD, Mpl, Phoenix) as typed, "23.976";
    // checked by parseFrameRateX1000 before the renderer takes it.
    QString frameRateText = QStringLiteral("23.976");
    // MicroDVD: write "{1}{1}" + the rate as the first line.
    bool microDvdRateLine = true;

    // DVDSubtitle header fields.
    QString dvdDiscId;
    QString dvdTitle;
    QString dvdLanguage;
    QString dvdAuthor;
    QString dvdWeb;
    QString dvdInfo = QStringLiteral("Subtitles captured by Glyfex ") + QLatin1String(core::kProgramVersion);
    QString dvdLicense;

    // Spruce STL.
    FontSpec stlFont{QStringLiteral("Arial"), 36, 0, true, false, false, false};
    std::array<uint32_t, 4> stlColours{0x808080, 0x000000, 0xFFFFFF, 0x000000};
    std::array<uint8_t, 4> stlContrasts{15, 15, 15, 0};
    // 0 left, 1 centre, 2 right / 0 top, 1 centre, 2 bottom.
    uint8_t stlHorzAlign = 1;
    uint8_t stlVertAlign = 2;
    uint16_t stlXOffset = 0;
    uint16_t stlYOffset = 2;

    // .gxt: number offset (to combine with another file), picture coordinates, font colour tags.
    int glyfexOffset = 0;
    bool glyfexExtended = false;
    bool glyfexFontColourTags = false;

    // Sub Station Alpha.
    QString ssaTitle = QStringLiteral("<untitled>");
    QString ssaScript = QStringLiteral("<unknown>");
    FontSpec ssaFont{QStringLiteral("Arial"), 28, 0, false, false, false, false};
    std::array<uint32_t, 4> ssaColours{0x80FFFF, 0x80FFFF, 0x80FFFF, 0x000000};
    uint16_t ssaMargin = 30;
    uint16_t ssaMarginV = 25;
    uint8_t ssaBorder = 2;
    uint8_t ssaShadow = 2;

    // Subviewer.
    QString subviewerTitle;
    QString subviewerAuthor;
    QString subviewerSource = QStringLiteral("Subtitles captured by Glyfex ") + QLatin1String(core::kProgramVersion);
    QString subviewerProgram;
    QString subviewerFilePath;
    int subviewerDelay = -1;
    // More than two lines: the third and later are joined to the second with blanks.
    bool subviewerTwoLineMax = true;
    // Times rounded to whole seconds (else cut).
    bool subviewerRoundTimes = true;

    // Subviewer 2.
    QString sv2Title;
    QString sv2Author;
    QString sv2Source = QStringLiteral("Subtitles captured by Glyfex ") + QLatin1String(core::kProgramVersion);
    QString sv2Program;
    QString sv2FilePath;
    int sv2Delay = 0;
    int sv2CdTrack = 0;
    QString sv2Comment;
    FontSpec sv2Font{QStringLiteral("Arial"), 18, 0, true, false, false, false};
    bool sv2PreserveStyles = false;

    // TMPlayer: 1 "00:00:00:", 2 "0:00:00:", 3 "00:00:00=", 4 "0:00:00=", 5 "00:00:00,1="; others write as 1.
    uint8_t tmPlayerVariant = 1;

    // I-Author: ms kept between a stop and the next start.
    uint16_t minimumInterval = 10;
    // DVDMaestro: picture coordinates per entry, and the entry number offset.
    bool maestroExtended = true;
    int maestroOffset = 0;
    QString philipsTitle;
};

} // namespace glyfex::subtitles
