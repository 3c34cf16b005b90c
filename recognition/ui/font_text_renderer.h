// The text renderer of the matrix fill for a font chosen in a font dialog: the font's file drawn with FreeType, no substitute fonts.
#pragma once

#include "recognition/freetype_text_renderer.h"

#include <QFont>

#include <memory>

namespace glyfex::recognition::ui {

// The file and face of a font as the system's font configuration finds it, the one the font dialog shows.
struct FontFile {
    QString path;
    int faceIndex = 0;
};
std::optional<FontFile> findFontFile(const QFont &font);

class FontTextRenderer : public TextRenderer {
public:
    // The font at its pixel size. A font whose file cannot be found or read draws nothing and has no glyph.
    explicit FontTextRenderer(const QFont &font);

    int textWidth(const QString &text) const override;
    int textHeight() const override;
    void draw(picture::CodeImage &picture, int x, int y, const QString &text) const override;
    bool hasGlyph(char32_t ch) const override;
    std::unique_ptr<TextRenderer> scaled(double sx, double sy) const override;

    const QFont &font() const { return m_font; }

private:
    QFont m_font;
    std::unique_ptr<FreeTypeTextRenderer> m_face;
};

} // namespace glyfex::recognition::ui
