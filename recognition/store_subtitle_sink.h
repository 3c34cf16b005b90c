// The subtitle store as the subpicture dispatcher sees it: counts, the last subtitle's times, picture subtitles.
#pragma once

#include "ripping/spu_dispatch.h"
#include "subtitles/subtitle_store.h"

namespace glyfex::recognition {

class StoreSubtitleSink : public ripping::SubtitleSink {
public:
    StoreSubtitleSink(subtitles::SubtitleStore &store, subtitles::SkippedItemAsker &asker, subtitles::AddContext context = {})
        : m_store(store), m_asker(asker), m_context(context) {}

    int count() const override { return m_store.count(); }
    core::TimeCode lastStart() const override { return m_store.isEmpty() ? core::TimeCode{} : m_store.last().start; }
    core::TimeCode lastStop() const override { return m_store.isEmpty() ? core::TimeCode{} : m_store.last().stop; }
    void setLastStop(const core::TimeCode &stop) override
    {
        if (!m_store.isEmpty())
            m_store.at(m_store.count()).stop = stop;
    }
    core::Result<void> addPictureSubtitle(const QString &line, const ripping::SpuTimes &times, const ripping::ScreenRect &rect,
                                          uint16_t colourWord, uint16_t contrastWord) override;

private:
    subtitles::SubtitleStore &m_store;
    subtitles::SkippedItemAsker &m_asker;
    subtitles::AddContext m_context;
};

} // namespace glyfex::recognition
