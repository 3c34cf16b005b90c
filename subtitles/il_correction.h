// Telling the capital I from the small l in recognised text, which most subtitle fonts draw alike.
#pragma once

#include <QString>

#include <cstdint>

namespace glyfex::subtitles {

// The language rules the user picks from; the numbers are those the configuration keeps.
enum class IlLanguage { English = 0, French, German, Czech, Italian, Polish, Spanish };

// Decides every "l" and "I" of text from its neighbours, looking through the tags <x> and </x> as if
// they were not there. text is the line with two characters before it (the first is the last
// character of the line before, the second a blank) and two blanks after it; only the line's own
// characters change, and every change is one character for one, so text keeps its length.
// charset (the subtitle font's) 0 adds the Western letters Å Æ Ø, 238 the East European ones.
void correctIlInLine(QString &text, IlLanguage language, uint8_t charset);

// The line after the I/l rules, in the context of the line before it (empty for the first line of
// all, which then counts as following a sentence end).
QString correctIl(const QString &line, const QString *previousLine, IlLanguage language, uint8_t charset);

} // namespace glyfex::subtitles
