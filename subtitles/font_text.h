// The text form of a writer's font in the configuration and the Output Format dialog: name,size,charset,styles.
#pragma once

#include "subtitles/format_options.h"

#include <QString>

#include <optional>

namespace glyfex::subtitles {

// Reads "Arial,36,0,Bold": items separated by commas, a name holding commas or blanks in double
// quotes ("Arial Unicode MS",8,1). The third item is the charset when it begins with a digit,
// otherwise the style words start there; style words are Bold, Italic, Underline and StrikeOut in
// any letter case, others are ignored. A size or charset that is not a number, or outside what a
// font can take (size 1-1000, charset 0-255), takes FontSpec's default. Empty text gives the
// default font; a name alone is not a font description and gives nothing.
std::optional<FontSpec> fontSpecFromText(const QString &text);

// The text fontSpecFromText reads back: name, size, charset, then the styles that are set.
QString fontSpecText(const FontSpec &font);

} // namespace glyfex::subtitles
