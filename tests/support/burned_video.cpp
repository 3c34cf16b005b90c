// Lossless test videos with subtitles burned in by ffmpeg's subtitles filter, from a small SubRip file.
#include "support/burned_video.h"

#include "support/test_data.h"
#include "support/test_video.h"

#include <QFileInfo>

namespace glyfex::test {

namespace {

QString srtTime(int ms)
{
    return QStringLiteral("%1:%2:%3,%4")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

} // namespace

QString makeBurnedVideo(const QString &path, const QString &size, int rate, int frames,
                        const std::vector<BurnedLine> &lines)
{
    QString srt;
    for (size_t i = 0; i < lines.size(); ++i) {
        srt += QStringLiteral("%1\r\n%2 --> %3\r\n%4\r\n\r\n")
                   .arg(i + 1)
                   .arg(srtTime(lines[i].startMs), srtTime(lines[i].stopMs), lines[i].text);
    }
    const QString srtPath = path + QStringLiteral(".srt");
    writeBytes(srtPath, srt.toUtf8());
    // The filter's own syntax: the name is quoted, so the folder's characters need no escaping.
    const QString filter = QStringLiteral("subtitles=filename='%1':force_style='FontName=DejaVu Sans,FontSize=22,"
                                          "PrimaryColour=&H00FFFFFF,OutlineColour=&H00000000,BorderStyle=1,"
                                          "Outline=2,Shadow=0'")
                               .arg(QFileInfo(srtPath).absoluteFilePath());
    return makeVideo(path, QStringLiteral("color=c=0x204060:s=%1:r=%2").arg(size).arg(rate), filter, frames,
                     {QStringLiteral("-c:v"), QStringLiteral("ffv1"), QStringLiteral("-pix_fmt"), QStringLiteral("bgr0")});
}

} // namespace glyfex::test
