// The subtitle store as the dispatcher sees it: picture subtitles enter through the store's one way in.
#pragma once

#include "ripping/spu_dispatch.h"
#include "subtitles/subtitle_store.h"

namespace glyfex::ripping::ui {

class RunSubtitles : public SubtitleSink {
public:
    explicit RunSubtitles(subtitles::SubtitleStore &store) : m_store(store) {}

    int count() const override { return m_store.count(); }
    core::TimeCode lastStart() const override;
    core::TimeCode lastStop() const override;
    void setLastStop(const core::TimeCode &stop) override;
    core::Result<void> addPictureSubtitle(const QString &line, const SpuTimes &times, const ScreenRect &rect,
                                          uint16_t colourWord, uint16_t contrastWord) override;

    // Subtitles whose stop is later than the next one's start, for the warning after a run.
    int overlappingTimes() const;

    // Subtitles were added since the text was last saved or cleared: closing asks first.
    bool modified = false;

private:
    subtitles::SubtitleStore &m_store;
};

} // namespace glyfex::ripping::ui
