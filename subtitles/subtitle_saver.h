// Saving the rendered subtitle text: UTF-16LE or a code page, CR LF line ends, the palette file and the viewer index.
#pragma once

#include "core/messages.h"
#include "core/result.h"
#include "core/user_prompt.h"
#include "subtitles/format_options.h"
#include "subtitles/format_writers.h"
#include "subtitles/output_format.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

namespace glyfex::subtitles {

struct SaveRequest {
    QString path;
    OutputFormat format = OutputFormat::Glyfex;
    // The lines as rendered; the format's trailer is added when writing.
    QStringList lines;
    // For I-Author: the lines are its pages (Renderer::iAuthorFile), not the list in the .gxt layout.
    bool iAuthorPages = false;
    // UTF-16LE with a byte-order mark, else the code page.
    bool unicode = false;
    uint16_t codePage = 1252;
    // The 64-byte palette file written beside the text (same name, extension .spf), for the Spruce formats.
    std::optional<QByteArray> palette;
    // The video viewer's index.bms: its folder and the timing entries (the count line is added here).
    struct ViewerIndex {
        QString folder;
        QStringList entries;
    };
    std::optional<ViewerIndex> viewerIndex;
};

struct SaveReport {
    // False when there was nothing to save (an empty list): no file was touched.
    bool saved = false;
    // Characters the code page could not hold, saved as its "?".
    int unmappable = 0;
    QString palettePath;
    QString indexPath;
};

// The file's bytes: FF FE and UTF-16LE with 0D 00 0A 00 line ends, or the code page's encoding of
// the text with CR LF, the line ends encoded by the same codec (so a UTF-16 or UTF-32 page gets
// them in its own width). An encoding the codec cannot do is an error.
core::Result<QByteArray> encodeSubtitleText(const QStringList &lines, bool unicode, uint16_t codePage,
                                            int *unmappable = nullptr);

// The Spruce STL palette: entries 0-3 from the four colours (0x00BBGGRR) as red, green, blue, 0; 4-15 zero.
QByteArray stlPalette(const std::array<uint32_t, 4> &colours);
// The DVDMaestro palette: the preset's four colours when they replace the DVD colours, else the 16 DVD colours.
QByteArray maestroPalette(const PictureScriptSource &source);
// The palette file's name: the subtitle file's with the extension .spf.
QString paletteFilePath(const QString &subtitlePath);

// Writes the subtitle file through a temporary file and a rename, then the palette file (only after
// the text file succeeded), then index.bms. Before an ANSI save the text is encoded in full; when
// the code page cannot hold some characters the user is told how many, and the save goes ahead.
// Any failure comes back as an error; a failed text file leaves the previous file as it was. After a
// successful save the caller marks the text saved (Renderer::markSaved) and takes the file name.
core::Result<SaveReport> saveSubtitleFile(const SaveRequest &request, const core::MessageTable &messages,
                                          core::UserPrompt &prompt);

// Whether the save may replace the file: always in command-line mode or when there is no such file,
// otherwise when the user answers Yes to "File <name> already exists! Replace?".
bool confirmReplace(const QString &path, bool commandLineMode, const core::MessageTable &messages,
                    core::UserPrompt &prompt);
// The command line names the output without extension: the format's is added.
QString commandLineSavePath(const QString &outputName, OutputFormat format);

// How Save As goes on after rendering: as Unicode, or as ANSI after the user picked a code page
// in the conversion panel, or (command line) as ANSI at once.
enum class SaveEncoding { Unicode, ChooseCodePage, AnsiNow };
// A text with characters above U+00FF asks whether to save as Unicode; the command line asks nothing.
SaveEncoding chooseSaveEncoding(bool isUnicode, bool commandLineMode, const core::MessageTable &messages,
                                core::UserPrompt &prompt);

// A subtitle file's name without its folders and its extension. Names may come from another system
// ("C:\x\new.sub"): both separators end a folder. A dot that starts the name is no extension.
QString fileBaseName(const QString &fileName);

// The default name of an ANSI save: the source file (video or VOB) with its extension replaced by
// "." + the language text (the New Character(s) dialog's language box) up to its first '|' (when there is one) + "." + the format's extension.
QString ansiSaveFileName(const QString &sourcePath, const QString &languageText, OutputFormat format);

} // namespace glyfex::subtitles
