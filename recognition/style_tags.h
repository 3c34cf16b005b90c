// Wraps a glyph's text in the bold, italic and underline tags of its style.
#pragma once

#include <QString>

#include <cstdint>

namespace glyfex::recognition {

// Style flags of a glyph.
enum GlyphStyle : uint8_t { StyleBold = 1, StyleItalic = 2, StyleUnderline = 4 };

// Tags nest bold outside italic outside underline: style 7 gives "<b><i><u>text</u></i></b>".
QString addStyleTags(const QString &text, uint8_t style);

} // namespace glyfex::recognition
