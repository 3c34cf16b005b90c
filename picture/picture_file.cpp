// Header checks of PNG, BMP and PNM files against the bytes the file holds, and the capped decode.
#include "picture/picture_file.h"

#include "core/byte_reader.h"

#include <QIODevice>
#include <QImageReader>

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

namespace glyfex::picture {

namespace {

using core::Result;

core::Error refused(const QString &why)
{
    return core::makeError(QString(), QString(), why);
}

// Reads n bytes at an offset of the device; fewer when the file ends first.
QByteArray readAt(QIODevice &device, qint64 offset, qint64 n)
{
    if (!device.seek(offset))
        return {};
    return device.read(n);
}

// A chunk's type for a message: its four letters, or "damaged" when they are no letters.
QString chunkName(const QByteArray &type)
{
    const bool letters = std::all_of(type.begin(), type.end(), [](char c) { return std::isalpha(uchar(c)) != 0; });
    return letters ? QString::fromLatin1(type) : QStringLiteral("damaged");
}

// PNG: the 8-byte signature, then chunks of length (4 bytes, big-endian, at most 2^31 - 1), type (4),
// data (length) and CRC (4), the last one IEND. Only the chunk lengths are checked: a chunk whose data
// would end past the file is refused, whatever its kind.
Result<void> checkPng(QIODevice &device, qint64 start, qint64 size)
{
    constexpr qint64 kMaxChunk = 0x7FFFFFFF;
    qint64 pos = start + 8;
    while (size - pos >= 8) {
        const QByteArray head = readAt(device, pos, 8);
        if (head.size() < 8)
            break;
        core::ByteReader r(std::span(reinterpret_cast<const uint8_t *>(head.constData()), 8));
        const qint64 length = r.be32();
        const QByteArray type = head.mid(4, 4);
        const qint64 left = size - pos - 8;
        if (length > kMaxChunk || length + 4 > left)
            return refused(QStringLiteral("its %1 chunk at byte %2 claims %3 bytes, the file has %4 left")
                               .arg(chunkName(type)).arg(pos - start).arg(length).arg(std::max<qint64>(0, left - 4)));
        if (type == "IEND")
            break;
        pos += 12 + length; // forward by at least one chunk header
    }
    return {};
}

// BMP: a 14-byte file header ("BM", file size, two reserved words, offset of the pixels) and an info
// header whose first 4 bytes give its own size: 12 (OS/2: 16-bit width and height, planes, bits) or 40 and
// more (32-bit signed width and height, negative height for top-down rows, planes, bits, compression).
// Uncompressed and bit-field pixels need every row in full; run-length ones may be short.
Result<void> checkBmp(QIODevice &device, qint64 start, qint64 size)
{
    const QByteArray head = readAt(device, start, 14 + 40);
    core::ByteReader r(std::span(reinterpret_cast<const uint8_t *>(head.constData()), size_t(head.size())));
    r.skip(10);
    const qint64 pixelsAt = r.le32();
    const qint64 infoSize = r.le32();
    const qint64 fileSize = size - start;
    if (r.failed() || infoSize < 12 || 14 + infoSize > fileSize)
        return refused(QStringLiteral("its header of %1 bytes does not fit in the file's %2").arg(14 + infoSize).arg(fileSize));
    if (pixelsAt > fileSize)
        return refused(QStringLiteral("its pixels start at byte %1, past the file's end at %2").arg(pixelsAt).arg(fileSize));
    qint64 width = 0;
    qint64 height = 0;
    qint64 bits = 0;
    uint32_t compression = 0;
    if (infoSize == 12) {
        width = r.le16();
        height = r.le16();
        r.skip(2);
        bits = r.le16();
    } else {
        width = int32_t(r.le32());
        height = int32_t(r.le32());
        r.skip(2);
        bits = r.le16();
        compression = r.le32();
    }
    // Run-length, JPEG and PNG pixels, and what the decoder refuses anyway, are left to it.
    constexpr uint32_t kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
    if (r.failed() || width <= 0 || height == 0 || bits <= 0 || bits > 32
        || (compression != kRgb && compression != kBitFields && compression != kAlphaBitFields))
        return {};
    height = height < 0 ? -height : height;
    // Sizes beyond the cap are refused by the decode with their own words; this only guards the bytes.
    if (width > kMaxPictureSide || height > kMaxPictureSide)
        return {};
    // Every row with its padding: the decoder reads whole rows, and one cut short leaves its pixels unset.
    const qint64 needed = (width * bits + 31) / 32 * 4 * height;
    const qint64 held = fileSize - std::max<qint64>(pixelsAt, 14 + infoSize);
    if (needed > held)
        return refused(QStringLiteral("its %1 x %2 pixels need %3 bytes, the file holds %4").arg(width).arg(height).arg(needed).arg(held));
    return {};
}

// PNM: "P1" to "P6", then width, height and (but for bitmaps) the largest sample, as decimal numbers between
// white space and "#" comments, one white-space byte, then the pixels: P4 to P6 in bytes (bitmap rows of
// whole bytes, one or two bytes a sample), P1 to P3 as digits (at least one byte a bitmap pixel, two a
// sample with its separator).
Result<void> checkPnm(QIODevice &device, qint64 start, qint64 size)
{
    const QByteArray head = readAt(device, start, 1024);
    const char kind = head.at(1);
    const bool bitmap = kind == '1' || kind == '4';
    const int numbers = bitmap ? 2 : 3;
    std::array<qint64, 3> value{};
    qsizetype i = 2;
    for (int n = 0; n < numbers; ++n) {
        for (;;) {
            while (i < head.size() && std::isspace(uchar(head[i])))
                ++i;
            if (i < head.size() && head[i] == '#') {
                while (i < head.size() && head[i] != '\n' && head[i] != '\r')
                    ++i;
                continue;
            }
            break;
        }
        if (i >= head.size() || !std::isdigit(uchar(head[i])))
            return {}; // not a header this check understands: the decoder judges it
        qint64 v = 0;
        while (i < head.size() && std::isdigit(uchar(head[i])) && v < (qint64(1) << 40))
            v = v * 10 + (head[i++] - '0');
        value[size_t(n)] = v;
    }
    ++i; // the one white-space byte before the pixels
    const qint64 width = value[0];
    const qint64 height = value[1];
    const qint64 channels = kind == '3' || kind == '6' ? 3 : 1;
    const qint64 sampleBytes = !bitmap && value[2] > 255 ? 2 : 1;
    // Sizes beyond the cap are refused by the decode with their own words; this only guards the bytes.
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return {};
    qint64 needed = 0;
    switch (kind) {
    case '1': needed = width * height; break;
    case '2': case '3': needed = 2 * width * height * channels - 1; break;
    case '4': needed = (width + 7) / 8 * height; break;
    default: needed = width * height * channels * sampleBytes; break;
    }
    const qint64 held = size - start - i;
    if (needed > held)
        return refused(QStringLiteral("its %1 x %2 pixels need %3 bytes, the file holds %4").arg(width).arg(height).arg(needed).arg(std::max<qint64>(0, held)));
    return {};
}

} // namespace

Result<void> checkPictureFile(QIODevice &device)
{
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly))
        return {}; // the decoder says why it cannot be read
    if (device.isSequential())
        return {};
    const qint64 start = device.pos();
    const qint64 size = device.size();
    const QByteArray magic = readAt(device, start, 8);
    Result<void> result;
    if (magic.startsWith("\x89PNG\r\n\x1a\n"))
        result = checkPng(device, start, size);
    else if (magic.startsWith("BM"))
        result = checkBmp(device, start, size);
    else if (magic.size() >= 3 && magic[0] == 'P' && magic[1] >= '1' && magic[1] <= '6' && std::isspace(uchar(magic[2])))
        result = checkPnm(device, start, size);
    device.seek(start);
    return result;
}

Result<QImage> readPictureFile(QImageReader &reader, int maxSide)
{
    if (QIODevice *device = reader.device()) {
        auto checked = checkPictureFile(*device);
        if (!checked)
            return checked.error();
    }
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > maxSide || size.height() > maxSide))
        return refused(QStringLiteral("%1 x %2 pixels is larger than any subtitle picture").arg(size.width()).arg(size.height()));
    QImage image = reader.read();
    if (image.isNull())
        return refused(reader.errorString());
    if (image.width() > maxSide || image.height() > maxSide)
        return refused(QStringLiteral("larger than any subtitle picture"));
    return image;
}

} // namespace glyfex::picture
