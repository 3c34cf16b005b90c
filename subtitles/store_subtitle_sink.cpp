// Subtitles entering the store through the one sink, and the last subtitle's stop.
#include "subtitles/store_subtitle_sink.h"

namespace glyfex::subtitles {

namespace {
// A picture subtitle always has its line, so nothing is ever asked.
class NeverAsked : public SkippedItemAsker {
public:
    Answer askSkippedItem() override { return {}; }
};
} // namespace

void StoreSubtitleSink::setLastStop(const core::TimeCode &stop)
{
    if (m_store.isEmpty())
        return;
    if (m_view)
        m_view->lastStopChanging();
    m_store.at(m_store.count()).stop = stop;
    if (m_view)
        m_view->lastStopChanged();
}

core::Result<void> StoreSubtitleSink::addPictureSubtitle(const QString &line, const picture::DisplayTimes &times,
                                                         const picture::Rect &rect, uint16_t colourWord,
                                                         uint16_t contrastWord)
{
    NewSubtitle s;
    s.lines = QStringList{line};
    s.fromPicture = true;
    s.start = times.start;
    s.stop = times.stop;
    s.rect = rect;
    s.colorWord = colourWord;
    s.contrastWord = contrastWord;
    auto added = add(s, m_context);
    if (!added)
        return added.error();
    return {};
}

core::Result<AddReport> StoreSubtitleSink::add(const NewSubtitle &added, const AddContext &context)
{
    NeverAsked neverAsked;
    auto report = addSubtitle(m_store, added, context, m_asker ? *m_asker : neverAsked);
    if (report && m_view)
        m_view->subtitleAdded(*report);
    return report;
}

} // namespace glyfex::subtitles
