// The subtitle store as a picture source sees it: counts, the last subtitle's times, picture subtitles.
#pragma once

#include "picture/subtitle_sink.h"
#include "subtitles/subtitle_store.h"

namespace glyfex::subtitles {

class StoreSubtitleSink : public picture::SubtitleSink {
public:
    StoreSubtitleSink(SubtitleStore &store, SkippedItemAsker &asker, AddContext context = {})
        : m_store(store), m_asker(asker), m_context(context) {}

    int count() const override { return m_store.count(); }
    core::TimeCode lastStart() const override { return m_store.isEmpty() ? core::TimeCode{} : m_store.last().start; }
    core::TimeCode lastStop() const override { return m_store.isEmpty() ? core::TimeCode{} : m_store.last().stop; }
    void setLastStop(const core::TimeCode &stop) override
    {
        if (!m_store.isEmpty())
            m_store.at(m_store.count()).stop = stop;
    }
    core::Result<void> addPictureSubtitle(const QString &line, const picture::DisplayTimes &times, const picture::Rect &rect,
                                          uint16_t colourWord, uint16_t contrastWord) override;

private:
    SubtitleStore &m_store;
    SkippedItemAsker &m_asker;
    AddContext m_context;
};

} // namespace glyfex::subtitles
