// Videos with subtitles burned into the picture, made by ffmpeg from a known list of subtitles, and the frames they show on.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace glyfex::test {

struct BurnedSubtitle {
    int startMs = 0;
    int endMs = 0;
    QString text; // one line; letters, digits and blanks only
};

// Lossless: a flat background, the subtitle file rendered by libass in yellow with a black outline, ffv1
// in bgr0 at 25 frames a second. Lossy: ffmpeg's moving test picture, each subtitle drawn in white with
// a black border, x264 at 30000/1001 frames a second.
enum class BurnKind { Lossless, Lossy };

struct BurnedVideo {
    BurnKind kind = BurnKind::Lossless;
    int width = 720;
    int height = 576;
    int frames = 100;
    std::vector<BurnedSubtitle> subtitles;
    QString preset = QStringLiteral("veryfast"); // x264's
    // The font size in pixels of the frame, as each renderer takes it (libass: ascent plus descent,
    // drawtext: the em); 0 grows with the frame: a twelfth of its height lossless, a sixteenth lossy.
    int fontPixels = 0;
    // A packet of the encoder's output (in decode order) left out of the file, as a damaged copy loses
    // one; -1 keeps them all.
    int droppedPacket = -1;
    // Encoder options in place of the kind's (ffv1 or x264), for the same picture in another codec and
    // container, e.g. {"-target", "ntsc-dvd"} for a DVD's MPEG-2 program stream.
    QStringList codec{};
    // Each frame's presentation time in seconds as an ffmpeg expression of its number N (e.g.
    // "if(lt(N,100),N/25,4+(N-100)/12)" for 25 frames a second that slow to 12 after 4 s); the subtitles
    // are burned in by these times. Empty: the kind's one rate.
    QString frameTimes{};

    int rateNum() const { return kind == BurnKind::Lossless ? 25 : 30000; }
    int rateDen() const { return kind == BurnKind::Lossless ? 1 : 1001; }
    int fpsX1000() const { return kind == BurnKind::Lossless ? 25000 : 29970; }
    // The first frame shown at or after ms: ceil(ms x rate / 1000) (at the kind's rate, without frameTimes).
    int frameAt(int ms) const;
    // Text colour (0xRRGGBB) and outline colour.
    uint32_t textColour() const { return kind == BurnKind::Lossless ? 0xFFFF00 : 0xFFFFFF; }
    uint32_t outlineColour() const { return 0x000000; }
};

// Writes the video to path (and the subtitle file beside it). Empty on success, else ffmpeg's error text.
QString makeBurnedVideo(const QString &path, const BurnedVideo &video);

} // namespace glyfex::test
