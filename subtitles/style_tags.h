// Style tags in subtitle text (<b> <i> <u> and their closing forms): making them from a glyph's style, merging,
// stripping, the whole-line styles, and their forms in formats with other markup.
#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <string>

namespace glyfex::subtitles {

// Style flags of a glyph, as the character matrix stores them.
enum GlyphStyle : uint8_t { StyleBold = 1, StyleItalic = 2, StyleUnderline = 4 };

// Tags nest bold outside italic outside underline: style 7 gives "<b><i><u>text</u></i></b>".
QString addStyleTags(const QString &text, uint8_t style);

// Removes the tags that neighbouring glyphs of one style leave between them ("</i><i>") and the tags
// around lone punctuation ("<i>.</i>"), so that a recognised line carries one pair per styled stretch.
QString mergeStyleTags(QString text);

// Every <b> <i> <u> </b> </i> </u>, any case, removed. Takes the text by value: a line built for
// writing is handed over with std::move and stripped in place.
QString stripStyleTags(QString text);

// Takes off the tags that wrap a whole line, for b, then i, then u, each test on what the one
// before left; returns the letters found in that order ("bi"). A line is wrapped in <b> when its
// lower-case form begins with "<b>" and its first "</b>" stands at its last four characters.
// The line is narrowed to what stands inside the tags taken off.
std::string takeWholeLineStyles(QStringView &line);

// Every remaining tag (any case) becomes one double-quote character, and then every pair of
// double-quote characters one: how formats without inline styles mark emphasis.
QString quoteRemainingTags(QString text);

// The tags as SubStation Alpha override codes in a text whose lines are joined by "\N" or "\n":
// underline is dropped (the format has none), a style running on over a break is not closed and
// reopened, and the rest become {\i1} {\i0} {\b1} {\b0} (tags in any case).
QString ssaStyleOverrides(QString text);

} // namespace glyfex::subtitles
