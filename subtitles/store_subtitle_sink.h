// The one way a picture source adds to the subtitle store: counts, the last subtitle's times, picture subtitles, and the list that follows them.
#pragma once

#include "picture/subtitle_sink.h"
#include "subtitles/subtitle_store.h"

namespace glyfex::subtitles {

// The list that shows the store (the Subtitles window), told of each change the sink makes so that it
// stays in step without reading the whole store again.
class StoreView {
public:
    virtual ~StoreView() = default;
    // The last subtitle's stop is about to change: its listed lines are taken back.
    virtual void lastStopChanging() = 0;
    // The last subtitle has its stop: it is listed again.
    virtual void lastStopChanged() = 0;
    // A subtitle was added at index (1-based), or nothing was added (index 0) and the list is rebuilt.
    virtual void pictureSubtitleAdded(int index) = 0;
};

class StoreSubtitleSink : public picture::SubtitleSink {
public:
    // asker: who says what a picture without text shows; picture subtitles always have their line
    // (the picture's name), so the sink that only adds those needs none.
    explicit StoreSubtitleSink(SubtitleStore &store, SkippedItemAsker *asker = nullptr, AddContext context = {})
        : m_store(store), m_asker(asker), m_context(context) {}
    StoreSubtitleSink(SubtitleStore &store, SkippedItemAsker &asker, AddContext context = {})
        : StoreSubtitleSink(store, &asker, context) {}

    // The list that follows the store; null for none.
    void setView(StoreView *view) { m_view = view; }

    int count() const override { return m_store.count(); }
    core::TimeCode lastStart() const override { return m_store.isEmpty() ? core::TimeCode{} : m_store.last().start; }
    core::TimeCode lastStop() const override { return m_store.isEmpty() ? core::TimeCode{} : m_store.last().stop; }
    void setLastStop(const core::TimeCode &stop) override;
    core::Result<void> addPictureSubtitle(const QString &line, const picture::DisplayTimes &times, const picture::Rect &rect,
                                          uint16_t colourWord, uint16_t contrastWord) override;

private:
    SubtitleStore &m_store;
    SkippedItemAsker *m_asker;
    AddContext m_context;
    StoreView *m_view = nullptr;
};

} // namespace glyfex::subtitles
