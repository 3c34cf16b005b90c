// Spacing around punctuation, ellipses, dashes and quotes in recognised text, after the user's own punctuation pairs.
#pragma once

#include "subtitles/correction_dictionary.h"

#include <QString>

namespace glyfex::subtitles {

// Replaces every occurrence of find in line, again and again while it occurs. The dictionary's cleaning
// keeps out pairs whose replacement holds the find text; a pair can still make new occurrences from the
// text around them ("ab" -> "bba" on "aab" doubles its work each round), so the rounds stop at a bound
// and a round that would make the line longer than any subtitle line is not made.
void replaceWhileFound(QString &line, const ReplacementPair &pair);

// The line after the punctuation rules. pairs are the cleaned punct.dic with the collapse of double
// blanks appended (punctuationPairs).
QString correctPunctuation(QString line, const CorrectionDictionary &pairs);

// The user's pairs followed by the program's own: two blanks become one.
CorrectionDictionary punctuationPairs(const CorrectionDictionary &userPairs);

} // namespace glyfex::subtitles
