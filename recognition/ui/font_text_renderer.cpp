// The text renderer of the matrix fill, drawn by QPainter into a two-colour picture.
#include "recognition/ui/font_text_renderer.h"

#include <QImage>
#include <QPainter>

namespace glyfex::recognition::ui {

namespace {

QFont plainFont(QFont font)
{
    // Pixels are either ink or paper, and a character the font lacks must not come from another font.
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging | QFont::NoSubpixelAntialias));
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

} // namespace

FontTextRenderer::FontTextRenderer(const QFont &font) : m_font(plainFont(font)), m_metrics(m_font) {}

int FontTextRenderer::textWidth(const QString &text) const
{
    return m_metrics.horizontalAdvance(text);
}

int FontTextRenderer::textHeight() const
{
    return m_metrics.height();
}

void FontTextRenderer::draw(picture::CodeImage &picture, int x, int y, const QString &text) const
{
    if (picture.width <= 0 || picture.height <= 0)
        return;
    QImage image(picture.width, picture.height, QImage::Format_Grayscale8);
    image.fill(255);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(m_font);
        painter.setPen(Qt::black);
        painter.drawText(x, y + m_metrics.ascent(), text);
    }
    for (int row = 0; row < picture.height; ++row) {
        const uchar *src = image.constScanLine(row);
        uint8_t *dst = picture.row(row);
        for (int col = 0; col < picture.width; ++col)
            if (src[col] < 128)
                dst[col] = kFontInk;
    }
}

bool FontTextRenderer::hasGlyph(char32_t ch) const
{
    return m_metrics.inFontUcs4(uint(ch));
}

} // namespace glyfex::recognition::ui
