// The Subtitles window's text: the store rendered line by line in the output format, exactly as it will be saved.
#pragma once

#include "core/result.h"
#include "subtitles/format_options.h"
#include "subtitles/format_writers.h"
#include "subtitles/output_format.h"
#include "subtitles/split_range.h"
#include "subtitles/subtitle_store.h"

#include <QString>
#include <QStringList>

namespace glyfex::subtitles {

// The video viewer asks for one timing line per rendered subtitle (its index.bms).
struct ViewerTiming {
    bool enabled = false;
    // The video's frame rate x 1000.
    uint32_t fpsX1000 = 0;
    // The video's own clock, when it has one (a variable-rate file): the frames are its, not fpsX1000's.
    VideoFrameAtTime frameAtTime;
};

class Renderer {
public:
    // Renders with options of its own, which setOutput sets.
    Renderer();
    // Renders with the options kept at home (the program's one set of output options) as they are
    // at each rendering, so that a change made anywhere (a source's frame rate, a loaded file's
    // numbering) reaches the next line written. home must outlive the renderer.
    explicit Renderer(const FormatOptions &home);

    // Takes a format and options of its own (a renderer without a home); a frame rate that
    // parseFrameRateX1000 refuses is refused here too, and the renderer keeps what it had. The
    // caller rebuilds afterwards.
    core::Result<void> setOutput(OutputFormat format, const FormatOptions &options);
    // Takes a format; the options stay where they are kept. The caller rebuilds afterwards.
    void setFormat(OutputFormat format) { m_format = format; }
    OutputFormat format() const { return m_format; }
    const FormatOptions &options() const { return *m_options; }
    // The rate of the frame-number formats: the options' rate text, or the last rate that read
    // while the text is no rate (being typed, say).
    uint32_t frameRateX1000() const;

    // The code page an ANSI save will use, named in the DVDSubtitle header.
    void setCodePage(uint16_t codePage) { m_codePage = codePage; }
    // Fixes the date and time text of the Spruce STL header; empty means the time of each rebuild.
    void setGeneratedAt(const QString &text) { m_generatedAt = text; }

    // The colours, presets and bitmap folder the picture scripts write.
    void setPictureScriptSource(const PictureScriptSource &source) { m_scripts = source; }
    const PictureScriptSource &pictureScriptSource() const { return m_scripts; }

    // Split mode writes only the subtitles inside the range, timed from its start.
    void setSplit(bool on, const SplitRange &range);
    bool splitMode() const { return m_splitMode; }
    // Kept while split mode is off too, for the next time it is switched on.
    const SplitRange &splitRange() const { return m_split; }
    void setViewerTiming(const ViewerTiming &timing) { m_viewerTiming = timing; }

    // Appends the lines of subtitle index (1-based) of the store.
    void renderSubtitle(const SubtitleStore &store, int index);
    // Clears and refills the whole text with the header and every subtitle.
    void rebuild(const SubtitleStore &store);
    // Takes back the lines the last subtitle was rendered into, so that it can be rendered again
    // after its stop is known. Only the lines of the latest rendering of the store's last
    // subtitle are removed, and only once.
    void removeLastSubtitleLines(const SubtitleStore &store);

    const QStringList &lines() const { return m_lines; }
    // The lines an I-Author save writes (the list shows them in the .gxt layout): the header and one
    // page per subtitle, each stop kept the minimum interval before the next start. In split mode
    // only the subtitles of the range, clipped to it.
    QStringList iAuthorFile(const SubtitleStore &store) const;
    // Some line holds a character above U+00FF: the text can only be saved as Unicode.
    bool isUnicode() const { return m_isUnicode; }
    // A file read with a UTF-16 byte-order mark stays Unicode until the next rebuild.
    void setUnicode(bool on) { m_isUnicode = on; }
    // The text differs from the last save.
    bool isModified() const { return m_modified; }
    void markSaved() { m_modified = false; }
    // The video viewer's timing entries, without their count line (added when index.bms is written).
    const QStringList &viewerTimingEntries() const { return m_viewerEntries; }
    // Base of the entry numbers: the index of the last subtitle the split filter dropped.
    int splitFirstIndex() const { return m_splitFirstIndex; }

private:
    class Sink;
    void addLine(QString line);
    // renderSubtitle at the rate taken for the whole rebuild or render.
    void renderOne(const SubtitleStore &store, int index);

    // The options and rate as they are now, for the lines about to be written.
    uint32_t followFrameRate();

    OutputFormat m_format = OutputFormat::Glyfex;
    FormatOptions m_ownOptions;
    const FormatOptions *m_options = &m_ownOptions;
    uint32_t m_frameRateX1000 = 23976; // the last rate that read
    uint16_t m_codePage = 1252;
    QString m_generatedAt;
    PictureScriptSource m_scripts;
    bool m_splitMode = false;
    SplitRange m_split;
    int m_splitFirstIndex = 0;
    ViewerTiming m_viewerTiming;

    QStringList m_lines;
    QStringList m_viewerEntries;
    bool m_isUnicode = false;
    bool m_modified = false;
    // What the latest renderSubtitle wrote, so that removeLastSubtitleLines takes back exactly that.
    int m_lastIndex = 0;
    qsizetype m_lastLineCount = 0;
    bool m_lastAddedViewerEntry = false;
};

// The generated-by date and time text: the system's short date and long time.
QString generatedAtText();

} // namespace glyfex::subtitles
