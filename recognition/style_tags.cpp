// Style tags of one glyph's text; the driver later merges the tags of neighbouring glyphs.
#include "recognition/style_tags.h"

namespace glyfex::recognition {

QString addStyleTags(const QString &text, uint8_t style)
{
    QString out = text;
    if (style & StyleUnderline)
        out = QStringLiteral("<u>") + out + QStringLiteral("</u>");
    if (style & StyleItalic)
        out = QStringLiteral("<i>") + out + QStringLiteral("</i>");
    if (style & StyleBold)
        out = QStringLiteral("<b>") + out + QStringLiteral("</b>");
    return out;
}

} // namespace glyfex::recognition
