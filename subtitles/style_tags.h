// Style tags in subtitle text (<b> <i> <u> and their closing forms): stripping them, and the whole-line styles.
#pragma once

#include <QString>
#include <QStringView>

#include <string>

namespace glyfex::subtitles {

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

} // namespace glyfex::subtitles
