// One fuzz input through the reader of a writer's font text (as the configuration file holds it), with checks on what it gives.
#pragma once

#include "subtitles/font_text.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

namespace glyfex::fuzz {

// Any text either gives no font or a font within what a font can take, whose own text reads back
// as the same font.
inline int readFontText(const uint8_t *data, size_t size)
{
    using namespace glyfex::subtitles;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<FontSpec> font = fontSpecFromText(text);
    if (!font)
        return 0;
    if (font->size < 1 || font->size > 1000 || font->charset < 0 || font->charset > 255)
        std::abort();
    const std::optional<FontSpec> back = fontSpecFromText(fontSpecText(*font));
    if (!back || back->name != font->name || back->size != font->size || back->charset != font->charset ||
        back->bold != font->bold || back->italic != font->italic || back->underline != font->underline ||
        back->strikeOut != font->strikeOut)
        std::abort();
    return 0;
}

} // namespace glyfex::fuzz
