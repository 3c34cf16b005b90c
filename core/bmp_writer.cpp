// Plain (uncompressed) 8-bit palette BMP files: the exact bytes, and writing them through a temporary file.
#include "core/bmp_writer.h"

#include "core/save_file.h"

namespace glyfex::core {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

void putLe16(QByteArray &b, int at, uint32_t v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}

void putLe32(QByteArray &b, int at, uint32_t v)
{
    putLe16(b, at, v & 0xFFFF);
    putLe16(b, at + 2, v >> 16);
}

} // namespace

Result<QByteArray> encodeBmp8(const IndexedPicture &p)
{
    const QString where = QStringLiteral("%1 x %2 picture").arg(p.width).arg(p.height);
    if (p.width <= 0 || p.height <= 0 || p.width > 0x7FFF || p.height > 0x7FFF)
        return makeError(QStringLiteral("Cannot make a bitmap"), where, QStringLiteral("the size must be 1 to 32767 pixels each way"));
    if (p.pixels.size() != size_t(p.width) * size_t(p.height))
        return makeError(QStringLiteral("Cannot make a bitmap"), where, QStringLiteral("the pixels do not fill the picture"));
    if (p.palette.empty() || p.palette.size() > 256)
        return makeError(QStringLiteral("Cannot make a bitmap"), where, QStringLiteral("the palette must hold 1 to 256 colours"));

    const int colours = int(p.palette.size());
    const int stride = (p.width + 3) & ~3;
    const int imageSize = stride * p.height;
    const int offBits = kFileHeaderSize + kInfoHeaderSize + 4 * colours;
    QByteArray b(offBits + imageSize, '\0');

    // BITMAPFILEHEADER
    b[0] = 'B';
    b[1] = 'M';
    putLe32(b, 2, uint32_t(b.size()));  // bfSize: the whole file
    putLe32(b, 10, uint32_t(offBits));  // bfOffBits: where the rows start
    // BITMAPINFOHEADER
    putLe32(b, 14, kInfoHeaderSize);
    putLe32(b, 18, uint32_t(p.width));
    putLe32(b, 22, uint32_t(p.height)); // positive: rows stored bottom-up
    putLe16(b, 26, 1);                  // planes
    putLe16(b, 28, 8);                  // bits per pixel
    putLe32(b, 30, 0);                  // BI_RGB: no compression
    putLe32(b, 34, uint32_t(imageSize));
    putLe32(b, 46, uint32_t(colours));  // biClrUsed
    // Palette: RGBQUAD is blue, green, red, reserved; a colour value keeps red in its low byte.
    for (int i = 0; i < colours; ++i) {
        const uint32_t c = p.palette[size_t(i)];
        const int at = kFileHeaderSize + kInfoHeaderSize + 4 * i;
        b[at] = char((c >> 16) & 0xFF);
        b[at + 1] = char((c >> 8) & 0xFF);
        b[at + 2] = char(c & 0xFF);
    }
    for (int y = 0; y < p.height; ++y) {
        const uint8_t *src = p.pixels.data() + size_t(p.height - 1 - y) * size_t(p.width);
        std::copy(src, src + p.width, b.data() + offBits + y * stride);
    }
    return b;
}

Result<void> writeBmp8(const QString &path, const IndexedPicture &picture)
{
    auto bytes = encodeBmp8(picture);
    if (!bytes)
        return bytes.error();
    return saveFile(path, *bytes, QStringLiteral("Cannot write the bitmap"));
}

} // namespace glyfex::core
