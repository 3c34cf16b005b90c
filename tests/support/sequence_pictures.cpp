// Drawing sequence pictures with ffmpeg and writing palette copies of them.
#include "support/sequence_pictures.h"

#include "core/bmp_writer.h"

#include <QBuffer>
#include <QProcess>
#include <QtEndian>

#include <sys/resource.h>

#include <vector>

namespace glyfex::test {

namespace {

const QString kFont = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");

core::Result<void> runFfmpeg(const QStringList &args)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-v"), QStringLiteral("error"),
                                                       QStringLiteral("-y")} + args);
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0)
        return core::makeError(QStringLiteral("ffmpeg failed"), args.join(QLatin1Char(' ')),
                               QString::fromLocal8Bit(ffmpeg.readAllStandardError()));
    return {};
}

QString colourSource(int width, int height, int frames)
{
    return QStringLiteral("color=c=black:s=%1x%2:r=25:d=%3").arg(width).arg(height).arg(frames * 0.04 + 0.02);
}

} // namespace

core::Result<void> drawTextBmp24(const QString &path, const QString &text, int width, int height)
{
    const QString draw = QStringLiteral("drawtext=fontfile=%1:text='%2':fontcolor=white:fontsize=26:x=12:y=14")
                             .arg(kFont, text);
    return runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), colourSource(width, height, 1),
                      QStringLiteral("-vf"), draw, QStringLiteral("-frames:v"), QStringLiteral("1"),
                      QStringLiteral("-pix_fmt"), QStringLiteral("bgr24"), QStringLiteral("-update"), QStringLiteral("1"),
                      path});
}

core::Result<void> drawNumberedBmps24(const QString &pattern, const QString &prefix, int count, int width, int height)
{
    // The frame number from 1, as the file numbers count.
    const QString draw = QStringLiteral("drawtext=fontfile=%1:text='%2%{eif\\:n+1\\:d}':fontcolor=white:fontsize=22:x=10:y=12")
                             .arg(kFont, prefix);
    return runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      colourSource(width, height, count), QStringLiteral("-vf"), draw, QStringLiteral("-frames:v"),
                      QString::number(count), QStringLiteral("-pix_fmt"), QStringLiteral("bgr24"), pattern});
}

core::Result<void> writePaletteCopy(const QImage &colour, const QString &path, uint8_t textIndex, uint8_t noiseIndex,
                                    bool compressed)
{
    const QImage rgb = colour.convertToFormat(QImage::Format_RGB32);
    std::vector<uint8_t> pixels(size_t(rgb.width()) * size_t(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            uint8_t index = (row[x] & 0xFFFFFFu) != 0 ? textIndex : 0;
            if (index == 0 && y == 0 && x % 7 == 0)
                index = noiseIndex;
            pixels[size_t(y) * size_t(rgb.width()) + size_t(x)] = index;
        }
    }
    // Indices 0-3 as the sequence tools colour them; 7 a visible colour that is no text code.
    std::vector<uint32_t> palette{0x000000, 0xFFFFFF, 0x808080, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF};
    core::BitmapFileOptions options;
    options.compress = compressed;
    return core::writeBitmapFile(path, {rgb.width(), rgb.height(), pixels, palette, 8}, options);
}

QByteArray pngWithChunkBeyondItsEnd()
{
    QImage picture(10, 5, QImage::Format_RGB32);
    picture.fill(Qt::black);
    picture.setPixel(3, 2, qRgb(255, 255, 255));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    // Length, type and the start of a comment; the rest of the file would be the chunk's data.
    char length[4];
    qToBigEndian<quint32>(0x79000000u, length);
    QByteArray chunk(length, 4);
    chunk += QByteArray("tEXtComment\0made by a damaged tool", 34);
    png.insert(8 + 25, chunk); // after the signature and the 25-byte IHDR chunk
    return png;
}

int64_t peakMemoryKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace glyfex::test
