// Decoding a sequence picture within its size cap and turning it into pixel codes.
#include "sources/sequence_picture.h"

#include "core/file_read.h"
#include "picture/picture_file.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

#include <array>

namespace glyfex::sources {

picture::CodeImage toCodeImage(const QImage &image)
{
    picture::CodeImage codes(image.width(), image.height(), 0);
    if (codes.empty())
        return codes;
    if (image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Mono
        || image.format() == QImage::Format_MonoLSB) {
        const QImage indexed = image.format() == QImage::Format_Indexed8 ? image
                                                                         : image.convertToFormat(QImage::Format_Indexed8);
        static constexpr std::array<uint8_t, 4> kCodeOfIndex{0, 3, 2, 1};
        for (int y = 0; y < codes.height; ++y) {
            const uchar *in = indexed.constScanLine(y);
            uint8_t *out = codes.row(y);
            for (int x = 0; x < codes.width; ++x)
                out[x] = in[x] < 4 ? kCodeOfIndex[in[x]] : 0;
        }
        return codes;
    }
    const QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < codes.height; ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uint8_t *out = codes.row(y);
        for (int x = 0; x < codes.width; ++x)
            out[x] = (in[x] & 0x00FFFFFFu) != 0 ? 1 : 0;
    }
    return codes;
}

namespace {

const QString kNotRead = QStringLiteral("Picture not read");

// The picture the reader gives, refused before decoding when its header is damaged or states a size
// beyond the cap.
core::Result<QImage> readPicture(QImageReader &reader, const QString &where)
{
    auto image = picture::readPictureFile(reader, kMaxPictureSide);
    if (!image)
        return core::makeError(kNotRead, where, image.error().why);
    return image;
}

} // namespace

core::Result<QImage> loadSequencePicture(const QString &path)
{
    const QString where = QFileInfo(path).fileName();
    // A device or pipe would be read without end or wait for a writer; no picture within the side cap takes
    // more bytes than its pixels at four bytes each and a header.
    if (const QString problem = core::plainFileProblem(path); !problem.isEmpty())
        return core::makeError(kNotRead, where, problem);
    constexpr qint64 kMaxPictureFileBytes = qint64(kMaxPictureSide) * kMaxPictureSide * 4 + 65536;
    if (const qint64 bytes = QFileInfo(path).size(); bytes > kMaxPictureFileBytes)
        return core::makeError(kNotRead, where, QStringLiteral("%1 bytes is more than any subtitle picture takes").arg(bytes));
    QImageReader reader(path);
    return readPicture(reader, where);
}

core::Result<QImage> decodeSequencePicture(const QByteArray &bytes, const QString &name)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // No format from the name: an explicit one would be tried blindly, where a file's extension is only a
    // first guess that the content overrules.
    QImageReader reader(&buffer);
    return readPicture(reader, name);
}

} // namespace glyfex::sources
