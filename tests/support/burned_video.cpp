// Videos with subtitles burned into the picture, made by ffmpeg from a known list of subtitles.
#include "support/burned_video.h"

#include "core/save_file.h"
#include "core/time_code.h"
#include "support/test_video.h"

#include <QFileInfo>
#include <QStringList>

namespace glyfex::test {

namespace {

const QString kFont = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");

} // namespace

int BurnedVideo::frameAt(int ms) const
{
    const int64_t num = int64_t(ms) * rateNum();
    const int64_t den = int64_t(1000) * rateDen();
    return int((num + den - 1) / den);
}

QString makeBurnedVideo(const QString &path, const BurnedVideo &video)
{
    const QString size = QStringLiteral("%1x%2").arg(video.width).arg(video.height);
    const QString rate = QStringLiteral("%1/%2").arg(video.rateNum()).arg(video.rateDen());
    QStringList codec;
    QString source;
    QString filters;
    if (video.kind == BurnKind::Lossless) {
        QByteArray srt;
        int n = 0;
        for (const BurnedSubtitle &s : video.subtitles) {
            srt += QStringLiteral("%1\n%2 --> %3\n%4\n\n")
                       .arg(++n)
                       .arg(core::formatTimeCode(core::millisecondsToTimeCode(s.startMs)),
                            core::formatTimeCode(core::millisecondsToTimeCode(s.endMs)), s.text)
                       .toUtf8();
        }
        const QString srtPath = path + QStringLiteral(".srt");
        auto saved = core::saveFile(srtPath, srt, QStringLiteral("Subtitles to burn in"), core::SaveSync::Unsynced);
        if (!saved)
            return saved.error().message();
        source = QStringLiteral("color=c=0x204060:s=%1:r=%2").arg(size, rate);
        // libass scales the style's sizes from 288 rows to the frame's height.
        const QString fontSize = video.fontPixels > 0
                                     ? QString::number(video.fontPixels * 288.0 / video.height, 'f', 2)
                                     : QStringLiteral("24");
        // Colours are &HBBGGRR: yellow text, black outline, no shadow.
        filters = QStringLiteral("subtitles=filename=%1:force_style='FontName=DejaVu Sans,FontSize=%2,"
                                 "PrimaryColour=&H0000FFFF,OutlineColour=&H00000000,BorderStyle=1,Outline=2,Shadow=0'")
                      .arg(srtPath, fontSize);
        codec = {QStringLiteral("-c:v"), QStringLiteral("ffv1"), QStringLiteral("-pix_fmt"), QStringLiteral("bgr0")};
    } else {
        source = QStringLiteral("testsrc2=s=%1:r=%2").arg(size, rate);
        QStringList draws;
        for (const BurnedSubtitle &s : video.subtitles) {
            draws << QStringLiteral("drawtext=fontfile=%1:text='%2':fontcolor=white:fontsize=%3:borderw=%4:"
                                    "bordercolor=black:x=(w-tw)/2:y=h-th-%5:enable='between(t,%6,%7)'")
                         .arg(kFont, s.text)
                         .arg(video.fontPixels > 0 ? video.fontPixels : video.height / 16)
                         .arg(std::max(2, video.height / 200))
                         .arg(video.height / 18)
                         .arg(s.startMs / 1000.0, 0, 'f', 3)
                         .arg(s.endMs / 1000.0, 0, 'f', 3);
        }
        filters = draws.join(QLatin1Char(','));
        codec = {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"), video.preset,
                 QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p")};
    }
    if (!video.codec.isEmpty())
        codec = video.codec;
    if (!video.frameTimes.isEmpty()) {
        // Retimed in microseconds before the text is drawn, and written in milliseconds with the times as
        // they are (no frame made up or dropped; the source's 1/25 s would round 12 a second to 12.5).
        filters = QStringLiteral("settb=AVTB,setpts='(%1)/TB',").arg(video.frameTimes) + filters;
        codec << QStringLiteral("-fps_mode") << QStringLiteral("passthrough") << QStringLiteral("-enc_time_base")
              << QStringLiteral("1:1000");
    }
    if (video.droppedPacket >= 0)
        codec << QStringLiteral("-bsf:v") << QStringLiteral("noise=drop=eq(n\\,%1)").arg(video.droppedPacket);
    return makeVideo(path, source, filters, video.frames, codec);
}

} // namespace glyfex::test
