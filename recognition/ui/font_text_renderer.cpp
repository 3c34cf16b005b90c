// The text renderer of the matrix fill for a dialog's font: its file found through fontconfig and drawn by FreeType.
#include "recognition/ui/font_text_renderer.h"

#include <QFontInfo>

#include <fontconfig/fontconfig.h>

namespace glyfex::recognition::ui {

std::optional<FontFile> findFontFile(const QFont &font)
{
    FcPattern *pattern = FcPatternCreate();
    if (!pattern)
        return std::nullopt;
    const QByteArray family = font.family().toUtf8();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(family.constData()));
    if (!font.styleName().isEmpty()) {
        const QByteArray style = font.styleName().toUtf8();
        FcPatternAddString(pattern, FC_STYLE, reinterpret_cast<const FcChar8 *>(style.constData()));
    } else {
        // Qt's weights are the OpenType ones (400 regular, 700 bold).
        FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(int(font.weight())));
        FcPatternAddInteger(pattern, FC_SLANT, font.style() == QFont::StyleItalic ? FC_SLANT_ITALIC
                                               : font.style() == QFont::StyleOblique ? FC_SLANT_OBLIQUE
                                                                                     : FC_SLANT_ROMAN);
    }
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern *match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return std::nullopt;
    std::optional<FontFile> found;
    FcChar8 *path = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) {
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch)
            index = 0;
        found = FontFile{QString::fromUtf8(reinterpret_cast<const char *>(path)), index};
    }
    FcPatternDestroy(match);
    return found;
}

FontTextRenderer::FontTextRenderer(const QFont &font) : m_font(font)
{
    const auto file = findFontFile(font);
    if (!file)
        return;
    const double pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    if (auto face = FreeTypeTextRenderer::open(file->path, file->faceIndex, pixels, pixels))
        m_face = std::move(face).value();
}

int FontTextRenderer::textWidth(const QString &text) const
{
    return m_face ? m_face->textWidth(text) : 0;
}

int FontTextRenderer::textHeight() const
{
    return m_face ? m_face->textHeight() : 0;
}

void FontTextRenderer::draw(picture::CodeImage &picture, int x, int y, const QString &text) const
{
    if (m_face)
        m_face->draw(picture, x, y, text);
}

bool FontTextRenderer::hasGlyph(char32_t ch) const
{
    return m_face && m_face->hasGlyph(ch);
}

std::unique_ptr<TextRenderer> FontTextRenderer::scaled(double sx, double sy) const
{
    return m_face ? m_face->scaled(sx, sy) : nullptr;
}

} // namespace glyfex::recognition::ui
