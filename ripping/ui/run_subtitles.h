// The subtitle store as the dispatcher sees it: picture subtitles enter through the store's one way in.
#pragma once

#include "subtitles/store_subtitle_sink.h"

namespace glyfex::ripping::ui {

// The store's dispatcher side, plus what the windows need of a run: whether the text changed since it was
// saved, and the overlap count for the warning after a run.
class RunSubtitles : public subtitles::StoreSubtitleSink {
public:
    explicit RunSubtitles(subtitles::SubtitleStore &store);

    core::Result<void> addPictureSubtitle(const QString &line, const picture::DisplayTimes &times, const picture::Rect &rect,
                                          uint16_t colourWord, uint16_t contrastWord) override;

    // Subtitles whose stop is later than the next one's start, for the warning after a run.
    int overlappingTimes() const;

    // Subtitles were added since the text was last saved or cleared: closing asks first.
    bool modified = false;

private:
    subtitles::SubtitleStore &m_store;
};

} // namespace glyfex::ripping::ui
