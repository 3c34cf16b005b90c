// Fuzz target for the pictures of an image sequence: any bytes read as a picture file (BMP and PNG above all,
// the format found from the content as for a file) give a picture within the size cap or a refusal that names
// the file and says why, and a picture gives pixel codes of its own size that recognition understands.
#include "fuzz/require.h"
#include "sources/sequence_picture.h"

#include <cstddef>
#include <cstdint>

using glyfex::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString name = QStringLiteral("line0001.bmp");
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    auto image = glyfex::sources::decodeSequencePicture(bytes, name);
    if (!image) {
        require(!image.error().why.isEmpty() && image.error().where == name, "a refusal names the file and says why");
        return 0;
    }
    require(image->width() <= glyfex::sources::kMaxPictureSide && image->height() <= glyfex::sources::kMaxPictureSide,
            "the picture is within the size cap");
    const glyfex::picture::CodeImage codes = glyfex::sources::toCodeImage(*image);
    require(codes.width == image->width() && codes.height == image->height(), "the codes have the picture's size");
    require(codes.bytes.size() == size_t(codes.width) * size_t(codes.height), "one code per pixel");
    // Palette pictures give the four text codes, colour ones background and text only.
    const bool palette = image->format() == QImage::Format_Indexed8 || image->format() == QImage::Format_Mono
                         || image->format() == QImage::Format_MonoLSB;
    for (const uint8_t code : codes.bytes)
        require(code <= (palette ? 3 : 1), "a code recognition knows");
    return 0;
}
