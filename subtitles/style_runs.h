// The pieces of one Subtitles-window line as the list draws them: style tags taken off, each piece with its style and colour.
#pragma once

#include <QList>
#include <QString>

#include <cstdint>

namespace glyfex::subtitles {

inline constexpr uint32_t kListTextColour = 0xFFFFFF; // 0xRRGGBB: white on the list's black

// A stretch of text drawn in one style.
struct StyleRun {
    QString text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    uint32_t colour = kListTextColour; // 0xRRGGBB
    friend bool operator==(const StyleRun &, const StyleRun &) = default;
};

// Splits a .gxt line into runs. At a '<' the tags that stand there are taken off one after the
// other: <i> <b> <u> (either case) switch a style on, </i> </b> </u> switch it off,
// <font color="#RRGGBB"> sets the colour (white when the digits are not hexadecimal) and </font>
// goes back to white. A tag is only looked for where the '<' has at least three characters after it,
// and only taken when it lies wholly inside the line; anything else is text. Adjacent characters of
// one style form one run, so that scripts which join their letters are shaped as a whole.
QList<StyleRun> parseStyleRuns(const QString &line);

} // namespace glyfex::subtitles
