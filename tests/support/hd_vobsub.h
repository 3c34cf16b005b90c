// HD VobSub material for tests and benchmarks: subtitles drawn with Qt's text rendering onto a 1920x1080 frame, encoded by FFmpeg.
#pragma once

#include <cstddef> // before code_image.h, which uses size_t
#include "picture/code_image.h"
#include "support/character_map.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace glyfex::test {

// One subtitle: its start and its lines in SubRip markup, where <i>...</i> draws the words italic.
struct HdSubtitle {
    uint32_t startMs = 0;
    QStringList lines;
};

// How the text is drawn: family and size in pixels (the font's em), white without smoothing, with a
// black outline of that many pixels around it (0: none) as code 2, the text as code 1.
struct HdTextStyle {
    QString family = QStringLiteral("DejaVu Sans");
    int pixelSize = 56;
    int outline = 0;
    int frameWidth = 1920;
    int frameHeight = 1080;
};

// The subtitles of a sample text: letters, digits, punctuation and accented capitals and small
// letters, some lines italic; count of them, two lines each where the text has two.
std::vector<HdSubtitle> sampleHdSubtitles(int count);

// The picture of one subtitle as writeHdVobSub encodes it: the ink cut out with a margin, the text as
// code 1, its outline as code 2, 0 around; x and y place it on the frame. Empty when it draws nothing.
// characters: which character each text pixel was drawn for.
struct HdPicture {
    picture::CodeImage codes;
    int x = 0;
    int y = 0;
    CharacterMap characters;
};
HdPicture drawHdSubtitle(const HdSubtitle &subtitle, const HdTextStyle &style);

// Writes base.sub, base.idx and base.srt (the ground truth, markup kept) into dir, one picture per
// subtitle centred near the bottom of the frame, and base.chars, where each picture's characters were
// drawn (writeCharacterMaps). Needs a QGuiApplication. Empty on success, else what failed.
QString writeHdVobSub(const QString &dir, const QString &base, const std::vector<HdSubtitle> &subtitles,
                      const HdTextStyle &style);

} // namespace glyfex::test
