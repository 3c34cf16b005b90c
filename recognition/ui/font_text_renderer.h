// The text renderer of the matrix fill: one font drawn by Qt without antialiasing and without substitute fonts.
#pragma once

#include "recognition/font_fill.h"

#include <QFont>
#include <QFontMetrics>

namespace glyfex::recognition::ui {

class FontTextRenderer : public TextRenderer {
public:
    explicit FontTextRenderer(const QFont &font);

    int textWidth(const QString &text) const override;
    int textHeight() const override;
    void draw(picture::CodeImage &picture, int x, int y, const QString &text) const override;
    bool hasGlyph(char32_t ch) const override;

    const QFont &font() const { return m_font; }

private:
    QFont m_font;
    QFontMetrics m_metrics;
};

} // namespace glyfex::recognition::ui
