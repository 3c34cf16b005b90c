// The one way the picture sources and recognition add to the subtitle store, with the list that follows it.
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
    // A subtitle was added (listed at the end) or merged into the last one (the list is rebuilt).
    virtual void subtitleAdded(const AddReport &report) = 0;
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
    // Any subtitle of a picture source, recognised text or a picture's name: the store's rules
    // (merge, placeholder, suppression), then the list follows.
    core::Result<AddReport> add(const NewSubtitle &added, const AddContext &context);
    core::Result<void> addPictureSubtitle(const QString &line, const picture::DisplayTimes &times, const picture::Rect &rect,
                                          uint16_t colourWord, uint16_t contrastWord) override;

private:
    SubtitleStore &m_store;
    SkippedItemAsker *m_asker;
    AddContext m_context;
    StoreView *m_view = nullptr;
};

} // namespace glyfex::subtitles
