// FreeType drawing for the matrix fill: face loading with size limits, hinted glyphs, half-covered pixels as ink.
#include "recognition/freetype_text_renderer.h"

#include "core/file_read.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H

#include <algorithm>
#include <cmath>

namespace glyfex::recognition {

namespace {

// A glyph pixel is ink where the glyph covers at least half of it.
constexpr int kHalfCovered = 128;

QString freeTypeReason(FT_Error error)
{
    if (const char *text = FT_Error_String(error))
        return QString::fromLatin1(text);
    return QStringLiteral("FreeType error %1").arg(int(error));
}

FT_F26Dot6 toF26Dot6(double pixels)
{
    return FT_F26Dot6(std::lround(pixels * 64));
}

} // namespace

struct FreeTypeTextRenderer::Face {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    QByteArray data; // FreeType reads the face from these bytes for as long as it lives

    ~Face()
    {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
};

struct FreeTypeTextRenderer::Size {
    FT_Size size = nullptr;
    ~Size()
    {
        if (size)
            FT_Done_Size(size);
    }
};

core::Result<std::unique_ptr<FreeTypeTextRenderer>> FreeTypeTextRenderer::open(const QString &fontFile, int faceIndex,
                                                                                double pixelWidth, double pixelHeight)
{
    const QString what = QStringLiteral("Cannot read the font");
    auto data = core::readPlainFile(fontFile, kMaxFontFileBytes, what, [&](qint64 size) {
        return core::makeError(what, fontFile,
                               QStringLiteral("the file holds %1 bytes, more than the %2 a font may have")
                                   .arg(size)
                                   .arg(kMaxFontFileBytes));
    });
    if (!data)
        return data.error();
    return fromData(std::move(*data), faceIndex, pixelWidth, pixelHeight, fontFile);
}

core::Result<std::unique_ptr<FreeTypeTextRenderer>> FreeTypeTextRenderer::fromData(QByteArray data, int faceIndex,
                                                                                    double pixelWidth, double pixelHeight,
                                                                                    const QString &where)
{
    const QString what = QStringLiteral("Cannot read the font");
    if (data.size() > kMaxFontFileBytes)
        return core::makeError(what, where, QStringLiteral("more than %1 bytes").arg(kMaxFontFileBytes));
    if (faceIndex < 0 || faceIndex > 0xFFFF)
        return core::makeError(what, where, QStringLiteral("there is no face %1").arg(faceIndex));
    auto face = std::make_shared<Face>();
    face->data = std::move(data);
    if (const FT_Error e = FT_Init_FreeType(&face->library))
        return core::makeError(what, where, freeTypeReason(e));
    if (const FT_Error e = FT_New_Memory_Face(face->library, reinterpret_cast<const FT_Byte *>(face->data.constData()),
                                              FT_Long(face->data.size()), FT_Long(faceIndex), &face->face)) {
        face->face = nullptr;
        return core::makeError(what, where, freeTypeReason(e));
    }
    if (!FT_IS_SCALABLE(face->face))
        return core::makeError(what, where, QStringLiteral("the font has no outlines to draw at any size"));
    return atSize(std::move(face), pixelWidth, pixelHeight, where);
}

core::Result<std::unique_ptr<FreeTypeTextRenderer>> FreeTypeTextRenderer::atSize(std::shared_ptr<Face> face,
                                                                                  double pixelWidth, double pixelHeight,
                                                                                  const QString &where)
{
    const QString what = QStringLiteral("Cannot draw the font");
    const auto inRange = [](double v) { return std::isfinite(v) && v >= 1 && v <= kMaxPixelSize; };
    if (!inRange(pixelWidth) || !inRange(pixelHeight))
        return core::makeError(what, where,
                               QStringLiteral("a size of %1 x %2 pixels is outside 1 to %3")
                                   .arg(pixelWidth)
                                   .arg(pixelHeight)
                                   .arg(kMaxPixelSize));
    auto size = std::make_unique<Size>();
    if (const FT_Error e = FT_New_Size(face->face, &size->size))
        return core::makeError(what, where, freeTypeReason(e));
    FT_Activate_Size(size->size);
    if (const FT_Error e = FT_Set_Char_Size(face->face, toF26Dot6(pixelWidth), toF26Dot6(pixelHeight), 72, 72))
        return core::makeError(what, where, freeTypeReason(e));
    return std::unique_ptr<FreeTypeTextRenderer>(
        new FreeTypeTextRenderer(std::move(face), std::move(size), pixelWidth, pixelHeight));
}

FreeTypeTextRenderer::FreeTypeTextRenderer(std::shared_ptr<Face> face, std::unique_ptr<Size> size, double pixelWidth,
                                           double pixelHeight)
    : m_face(std::move(face)), m_size(std::move(size)), m_pixelWidth(pixelWidth), m_pixelHeight(pixelHeight)
{
}

FreeTypeTextRenderer::~FreeTypeTextRenderer() = default;

int FreeTypeTextRenderer::textWidth(const QString &text) const
{
    FT_Activate_Size(m_size->size);
    FT_Face face = m_face->face;
    int64_t width = 0;
    for (char32_t ch : text.toUcs4()) {
        if (FT_Load_Char(face, ch, FT_LOAD_DEFAULT) == 0)
            width += (face->glyph->advance.x + 32) >> 6;
    }
    return int(std::clamp<int64_t>(width, 0, 1 << 20));
}

int FreeTypeTextRenderer::textHeight() const
{
    const FT_Size_Metrics &m = m_size->size->metrics;
    return int(std::clamp<FT_Pos>((m.height + 63) >> 6, 0, 1 << 20));
}

void FreeTypeTextRenderer::draw(picture::CodeImage &picture, int x, int y, const QString &text) const
{
    if (picture.width <= 0 || picture.height <= 0)
        return;
    FT_Activate_Size(m_size->size);
    FT_Face face = m_face->face;
    const int64_t baseline = int64_t(y) + ((m_size->size->metrics.ascender + 32) >> 6);
    int64_t pen = x;
    for (char32_t ch : text.toUcs4()) {
        if (FT_Load_Char(face, ch, FT_LOAD_DEFAULT) != 0)
            continue;
        FT_GlyphSlot slot = face->glyph;
        if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
            pen += (slot->advance.x + 32) >> 6;
            continue;
        }
        const FT_Bitmap &bitmap = slot->bitmap;
        const int64_t left = pen + slot->bitmap_left;
        const int64_t top = baseline - slot->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const int64_t py = top + row;
            if (py < 0 || py >= picture.height)
                continue;
            const unsigned char *line = bitmap.buffer + int64_t(row) * bitmap.pitch;
            uint8_t *dst = picture.row(int(py));
            for (unsigned col = 0; col < bitmap.width; ++col) {
                const int64_t px = left + col;
                if (px < 0 || px >= picture.width)
                    continue;
                bool ink = false;
                if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY)
                    ink = line[col] >= kHalfCovered;
                else if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                    ink = (line[col / 8] >> (7 - col % 8)) & 1;
                if (ink)
                    dst[px] = kFontInk;
            }
        }
        pen += (slot->advance.x + 32) >> 6;
    }
}

bool FreeTypeTextRenderer::hasGlyph(char32_t ch) const
{
    return FT_Get_Char_Index(m_face->face, FT_ULong(ch)) != 0;
}

std::unique_ptr<TextRenderer> FreeTypeTextRenderer::scaled(double sx, double sy) const
{
    const double w = std::round(m_pixelWidth * sx);
    const double h = std::round(m_pixelHeight * sy);
    auto r = atSize(m_face, w, h, QString());
    if (!r)
        return nullptr;
    return std::move(r).value();
}

} // namespace glyfex::recognition
