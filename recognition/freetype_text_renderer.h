// The text renderer of the matrix fill drawn with FreeType from a font file: the font's own hinting, a pixel is ink where the glyph covers half of it.
#pragma once

#include "core/result.h"
#include "recognition/font_fill.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace glyfex::recognition {

// DVD subtitle authoring tools draw their text with FreeType, antialiased, and quantise it to the few
// colours of a subpicture; the text colour keeps the pixels the glyph covers more than it leaves. Drawing
// the same way, at the horizontal and vertical sizes the picture shows, gives the glyphs such pictures
// hold pixel for pixel; a renderer that draws without antialiasing hints its outlines differently.
class FreeTypeTextRenderer : public TextRenderer {
public:
    // Font files larger than this are refused: the largest CJK collections stay well below it.
    static constexpr qint64 kMaxFontFileBytes = 128 * 1024 * 1024;
    // Sizes outside 1..kMaxPixelSize pixels per em are refused.
    static constexpr double kMaxPixelSize = 1000;

    // The face faceIndex of a font file (0 unless it is a collection) at pixelWidth x pixelHeight pixels
    // per em; an error saying which file and why when it cannot be read or is no font.
    static core::Result<std::unique_ptr<FreeTypeTextRenderer>> open(const QString &fontFile, int faceIndex,
                                                                      double pixelWidth, double pixelHeight);
    // The same from the bytes of a font file; where names the data in an error.
    static core::Result<std::unique_ptr<FreeTypeTextRenderer>> fromData(QByteArray data, int faceIndex,
                                                                          double pixelWidth, double pixelHeight,
                                                                          const QString &where);
    ~FreeTypeTextRenderer() override;
    FreeTypeTextRenderer(const FreeTypeTextRenderer &) = delete;
    FreeTypeTextRenderer &operator=(const FreeTypeTextRenderer &) = delete;

    int textWidth(const QString &text) const override;
    int textHeight() const override;
    void draw(picture::CodeImage &picture, int x, int y, const QString &text) const override;
    bool hasGlyph(char32_t ch) const override;
    // The same face with its outlines drawn at the sizes scaled, rounded to whole pixels, as the hinting
    // of most fonts works in them.
    std::unique_ptr<TextRenderer> scaled(double sx, double sy) const override;

    double pixelWidth() const { return m_pixelWidth; }
    double pixelHeight() const { return m_pixelHeight; }

private:
    struct Face;
    struct Size;
    FreeTypeTextRenderer(std::shared_ptr<Face> face, std::unique_ptr<Size> size, double pixelWidth, double pixelHeight);
    static core::Result<std::unique_ptr<FreeTypeTextRenderer>> atSize(std::shared_ptr<Face> face, double pixelWidth,
                                                                        double pixelHeight, const QString &where);

    std::shared_ptr<Face> m_face;
    std::unique_ptr<Size> m_size; // released before the face it belongs to
    double m_pixelWidth = 0;
    double m_pixelHeight = 0;
};

} // namespace glyfex::recognition
