// Style tags that cover only part of a word (recognition styles letter by letter) widened or narrowed to whole words.
#pragma once

#include <QString>

namespace glyfex::subtitles {

// The line written again with each of italic, underline and bold covering whole words: a word gets the
// style when at least half of it, counted from its first styled letter to its end, has it, and loses it
// otherwise. Blanks at the edge of a styled stretch move outside its tags. Every one-character tag
// ("<x>", "</x>") is taken off; longer tags (<font ...>) stay as text.
QString formatWholeWords(const QString &line);

} // namespace glyfex::subtitles
