// A sequence run for tests and benchmarks: recognition set up as the image-sequence command sets it, and a host that never stops.
#pragma once

#include "core/user_prompt.h"
#include "picture/source_run.h"
#include "recognition/recognition_driver.h"
#include "sources/image_sequence.h"
#include "subtitles/subtitle_store.h"

#include <QStringList>

#include <utility>

namespace glyfex::test {

// Recognition as the main window sets it up for a sequence: one fixed text code on black.
struct SequenceRoad : public sources::SequenceHost, public picture::SourceRun {
    class KeepSkipped : public subtitles::SkippedItemAsker {
    public:
        Answer askSkippedItem() override { return {}; }
    };
    // The answerer may need the road's run control, so it is given after the road is made.
    class Forward : public recognition::GlyphAsker {
    public:
        recognition::GlyphAsker *to = nullptr;
        recognition::GlyphAnswer askGlyph(const recognition::GlyphQuestion &q) override { return to->askGlyph(q); }
    };

    recognition::CharMatrix &matrix;
    subtitles::SubtitleStore store;
    KeepSkipped skipped;
    Forward forward;
    recognition::OcrAssistState assist;
    core::SilentPrompt prompt{core::Answer::No};
    recognition::MainRunControl control{this, assist, matrix, prompt};
    recognition::RecognitionDriver driver;
    bool rewind = false;
    int rewinds = 0;
    QStringList shown;

    SequenceRoad(recognition::CharMatrix &m, recognition::GlyphAsker *asker = nullptr)
        : matrix(m), driver(recognition::DriverEnvironment{m, store, skipped, forward, assist, prompt, nullptr, this},
                            options())
    {
        forward.to = asker;
        assist.mode = recognition::OcrAssistState::Fixed;
        assist.fixedInk = {1, 1};
    }
    static recognition::DriverOptions options()
    {
        recognition::DriverOptions o;
        o.match.imageSequenceMode = true;
        o.dvdPalette[1] = 0xFFFFFF;
        return o;
    }

    bool pump() override { return true; }
    bool takeRewind() override { return std::exchange(rewind, false); }
    void showEntry(const QString &entry, int, int) override { shown << entry; }
    void rewindToCurrentPicture() override
    {
        rewind = true;
        ++rewinds;
    }
    void countSkipped() override {}
    bool processing() const override { return true; }

    QStringList texts() const
    {
        QStringList out;
        for (const subtitles::Subtitle &s : store.subs)
            out << s.lines.join(QLatin1Char('|'));
        return out;
    }
};

} // namespace glyfex::test
