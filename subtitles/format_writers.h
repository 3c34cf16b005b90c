// The writers of the text formats: one entry per subtitle, the header, the trailer, and what they share.
#pragma once

#include "core/bmp_out_settings.h"
#include "subtitles/format_options.h"
#include "subtitles/output_format.h"
#include "subtitles/subtitle.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace glyfex::subtitles {

// Where a writer's lines go; the renderer's list watches them for characters above U+00FF.
class LineSink {
public:
    virtual ~LineSink() = default;
    // By value: writers hand over the lines they built, which then move into the list.
    virtual void add(QString line) = 0;
};

// What the picture scripts read besides the options: the colours the pictures were shown in, the
// authoring tools' presets and the folder the bitmaps went to.
struct PictureScriptSource {
    // The 16 DVD colours, 0x00BBGGRR.
    std::array<uint32_t, 16> dvdColors{};
    std::array<core::BmpOutSettings, core::BmpOutPresetCount> presets{};
    // The store was read from a subtitle file: its subtitles have no DVD colours of their own.
    bool loadedFromFile = false;
    QString bitmapFolder;

    // The preset's own colours stand in for the DVD colours.
    bool customColors(int preset) const { return loadedFromFile || presets[size_t(preset)].customColors; }
};

// Everything a writer reads besides the subtitle.
struct WriterContext {
    const FormatOptions &options;
    OutputFormat format = OutputFormat::Glyfex;
    // The checked rate of options.frameRateText, frames per 1000 s.
    uint32_t frameRateX1000 = 23976;
    // The code page the text is saved in, named by the DVDSubtitle header.
    uint16_t codePage = 1252;
    // Date and time in the generated-by line of the Spruce STL header.
    QString generatedAt;
    const PictureScriptSource *scripts = nullptr;

    uint16_t frameRateX100() const { return options.frameRateIndex == 0 ? 2500 : 3000; }
    bool dropFrame() const { return options.frameRateIndex == 1 && options.dropFrame; }
};

// One subtitle to write.
struct Entry {
    // The subtitle as the split filter left it.
    const Subtitle &sub;
    // Subtitle index - 1 (clipped like this one in split mode), or nullptr when the file has none before it.
    const Subtitle *previous = nullptr;
    // Index in the store, 1-based.
    int index = 1;
    // The entry number: the index counted from the split range's first subtitle.
    int number = 1;
};

// Appends the lines of one subtitle in the context's format. I-Author shows the .gxt layout here;
// its file is made by iAuthorPage at save.
void writeEntry(const WriterContext &context, const Entry &entry, LineSink &sink);
// Appends the format's header.
void writeHeader(const WriterContext &context, LineSink &sink);
// The lines a saved file ends with.
QStringList trailerLines(OutputFormat format);
// One I-Author page: sub's times already final, number its index in the store. A subtitle without
// text lines gives no page.
void iAuthorPage(const WriterContext &context, const Subtitle &sub, int number, LineSink &sink);
// The subtitle's bitmap name holds a blank or a tab, which the format's script reads as a field end.
bool nameBreaksScript(OutputFormat format, const Subtitle &sub);

namespace writers {

// v in decimal with at least digits digits, zero-padded after a minus sign, as printf's "%.Nd".
void appendPadded(QString &out, int64_t v, int digits = 2);
QString padded(int64_t v, int digits = 2);
// "hh:mm:ss" of a time, as printf's "%.2d:%.2d:%.2d".
void appendHms(QString &out, const core::TimeCode &t, int hourDigits = 2);
// "hh:mm:ss,mmm", or with another separator and fraction width ("hh:mm:ss:ff" for frame time codes).
void appendTimeCode(QString &out, const core::TimeCode &t, char16_t separator = u',', int fractionDigits = 3);
// The frame time code "hh:mm:ss:ff" at the context's 25 or 30 frames a second.
QString ftc(const WriterContext &context, const core::TimeCode &t);
// The first eight characters of "hh:mm:ss,mmm".
QString firstEight(const core::TimeCode &t);
void appendFirstEight(QString &out, const core::TimeCode &t);
// The lines joined with sep, appended.
void appendJoined(QString &out, const Subtitle &sub, QStringView sep);
// <font color="#rrggbb">line</font> with the line colour in lower-case hexadecimal.
QString fontColorTagged(const QString &line, uint32_t rgb);

// The one-line entry most formats write: prefix, start, between, stop, beforeText, then the lines
// joined by lineSeparator; appendTime(line, time) prints a time in the format's form.
template <class AppendTime>
QString timedTextLine(QStringView prefix, const Subtitle &sub, AppendTime appendTime, QStringView between,
                      QStringView beforeText, QStringView lineSeparator)
{
    qsizetype size = prefix.size() + between.size() + beforeText.size() + 48;
    for (const QString &text : sub.lines)
        size += text.size() + lineSeparator.size();
    QString line;
    line.reserve(size);
    line += prefix;
    appendTime(line, sub.start);
    line += between;
    appendTime(line, sub.stop);
    line += beforeText;
    appendJoined(line, sub, lineSeparator);
    return line;
}

// One function per format, in the family files.
void dks(const WriterContext &, const Entry &, LineSink &);
void powerDivX(const WriterContext &, const Entry &, LineSink &);
void subviewer(const WriterContext &, const Entry &, LineSink &);
void subviewerHeader(const WriterContext &, LineSink &);
void tmPlayer(const WriterContext &, const Entry &, LineSink &);

void dvdSubtitle(const WriterContext &, const Entry &, LineSink &);
void dvdSubtitleHeader(const WriterContext &, LineSink &);
void mpl2(const WriterContext &, const Entry &, LineSink &);
void subviewer2(const WriterContext &, const Entry &, LineSink &);
void subviewer2Header(const WriterContext &, LineSink &);
void turboTitler(const WriterContext &, const Entry &, LineSink &);
void zeroG(const WriterContext &, const Entry &, LineSink &);

void subStationAlpha(const WriterContext &, const Entry &, LineSink &);
void subStationAlphaHeader(const WriterContext &, LineSink &);

void macSub(const WriterContext &, const Entry &, LineSink &);
void microDvd(const WriterContext &, const Entry &, LineSink &);
void microDvdHeader(const WriterContext &, LineSink &);
void mpl(const WriterContext &, const Entry &, LineSink &);
void phoenix(const WriterContext &, const Entry &, LineSink &);

void fabSubtitler(const WriterContext &, const Entry &, LineSink &);
void macDvdStudioPro(const WriterContext &, const Entry &, LineSink &);
void spruceStl(const WriterContext &, const Entry &, LineSink &);
void spruceStlHeader(const WriterContext &, LineSink &);

void glyfex(const WriterContext &, const Entry &, LineSink &);
void viPlay(const WriterContext &, const Entry &, LineSink &);

void iAuthorHeader(const WriterContext &, LineSink &);
void philips(const WriterContext &, const Entry &, LineSink &);
void philipsHeader(const WriterContext &, LineSink &);
void sonicDvdCreator(const WriterContext &, const Entry &, LineSink &);
void scenarist(const WriterContext &, const Entry &, LineSink &);
void scenaristHeader(const WriterContext &, LineSink &);
void maestro(const WriterContext &, const Entry &, LineSink &);
void maestroHeader(const WriterContext &, LineSink &);
void pinnacle(const WriterContext &, const Entry &, LineSink &);
void pinnacleHeader(const WriterContext &, LineSink &);

} // namespace writers

} // namespace glyfex::subtitles
