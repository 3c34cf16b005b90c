// Picture subtitles (a saved picture's name with its times) entering the store.
#include "recognition/store_subtitle_sink.h"

namespace glyfex::recognition {

core::Result<void> StoreSubtitleSink::addPictureSubtitle(const QString &line, const ripping::SpuTimes &times,
                                                         const ripping::ScreenRect &rect, uint16_t colourWord,
                                                         uint16_t contrastWord)
{
    subtitles::NewSubtitle s;
    s.lines = QStringList{line};
    s.fromPicture = true;
    s.start = times.start;
    s.stop = times.stop;
    s.left = rect.left;
    s.top = rect.top;
    s.right = rect.right;
    s.bottom = rect.bottom;
    s.colourWord = colourWord;
    s.contrastWord = contrastWord;
    auto added = subtitles::addSubtitle(m_store, s, m_context, m_asker);
    if (!added)
        return added.error();
    return {};
}

} // namespace glyfex::recognition
