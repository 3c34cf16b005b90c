// Picture subtitles (a saved picture's name with its times) entering the store, and the last subtitle's stop.
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
    NeverAsked neverAsked;
    const int before = m_store.count();
    auto added = addSubtitle(m_store, s, m_context, m_asker ? *m_asker : neverAsked);
    if (m_view)
        m_view->pictureSubtitleAdded(m_store.count() > before ? m_store.count() : 0);
    if (!added)
        return added.error();
    return {};
}

} // namespace glyfex::subtitles
