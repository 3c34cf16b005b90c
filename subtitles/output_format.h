// The 25 output formats: captions, file extensions, save filters, header and time kinds, which can be read back, and their writers.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace glyfex::subtitles {

struct WriterContext;
struct Entry;
class LineSink;

// The writers a format's row names (format_writers.h): the lines of one subtitle, the lines before the
// first, and the lines a saved file ends with.
using EntryWriter = void (*)(const WriterContext &, const Entry &, LineSink &);
using HeaderWriter = void (*)(const WriterContext &, LineSink &);
using TrailerLines = QStringList (*)();

// The output format number is the tab order of the Output Format dialog and is stored in the
// configuration: keep the numbers.
enum class OutputFormat : uint8_t {
    Dks = 0,
    DvdSubtitle = 1,
    FabSubtitler = 2,
    MacDvdStudioPro = 3,
    MacSub = 4,
    MicroDvd = 5,
    Mpl = 6,
    Mpl2 = 7,
    PhoenixJapanimation = 8,
    PowerDivX = 9,
    SpruceStl = 10,
    Glyfex = 11,
    SubStationAlpha = 12,
    Subviewer = 13,
    Subviewer2 = 14,
    TmPlayer = 15,
    TurboTitler = 16,
    ViPlay = 17,
    ZeroG = 18,
    IAuthor = 19,
    PhilipsSvcdDesigner = 20,
    SonicDvdCreator = 21,
    SonicScenarist = 22,
    SpruceDvdMaestro = 23,
    PinnacleImpression = 24,
};

inline constexpr int kOutputFormatCount = 25;
// Formats from here on are scripts naming one exported bitmap per subtitle.
inline constexpr int kFirstPictureScriptFormat = 19;

// How a format writes its times.
enum class TimeForm : uint8_t {
    StartWholeSeconds,
    StartHundredths,
    FrameTimeCodes,
    FrameNumbers,
    Deciseconds,
    WholeSeconds,
    Milliseconds,
    Hundredths,
    SecondsAndHundredths,
};

struct OutputFormatInfo {
    OutputFormat format;
    // The Output Format dialog's tab caption.
    const char *caption;
    // Extension without the dot: the saved file's and the save dialog's default.
    const char *extension;
    // First part of the save dialog's filter (the name the format is known by in file dialogs).
    const char *filterName;
    // What the list starts with before the first entry.
    const char *header;
    TimeForm times;
    // The format can be opened again.
    bool readable;
    // Its writers; none where the format writes nothing there.
    EntryWriter writeEntry;
    HeaderWriter writeHeader;
    TrailerLines trailer;
};

bool isValidOutputFormat(int number);
bool isPictureScript(OutputFormat format);
// The row of a format; number must be valid.
const OutputFormatInfo &outputFormatInfo(OutputFormat format);
// The save dialog's whole filter, e.g. "Dks (*.dks)|*.dks|All|*.*".
QString saveFilter(OutputFormat format);
QString defaultExtension(OutputFormat format);

} // namespace glyfex::subtitles
