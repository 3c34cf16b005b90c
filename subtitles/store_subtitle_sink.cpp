// Picture subtitles (a saved picture's name with its times) entering the store.
#include "subtitles/store_subtitle_sink.h"

namespace glyfex::subtitles {

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
    auto added = addSubtitle(m_store, s, m_context, m_asker);
    if (!added)
        return added.error();
    return {};
}

} // namespace glyfex::subtitles
