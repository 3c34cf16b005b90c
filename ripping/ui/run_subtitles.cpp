// Picture subtitles into the store, and the last subtitle's stop time.
#include "ripping/ui/run_subtitles.h"

#include "ripping/spu_dispatch.h"

namespace glyfex::ripping::ui {

namespace {
// A picture subtitle always has its line (the picture's name), so nothing is ever asked.
class NeverAsked : public subtitles::SkippedItemAsker {
public:
    Answer askSkippedItem() override { return {}; }
};

NeverAsked &neverAsked()
{
    static NeverAsked asker;
    return asker;
}
} // namespace

RunSubtitles::RunSubtitles(subtitles::SubtitleStore &store)
    : subtitles::StoreSubtitleSink(store, neverAsked()), m_store(store)
{
}

core::Result<void> RunSubtitles::addPictureSubtitle(const QString &line, const picture::DisplayTimes &times, const picture::Rect &rect,
                                                    uint16_t colourWord, uint16_t contrastWord)
{
    core::Result<void> added = subtitles::StoreSubtitleSink::addPictureSubtitle(line, times, rect, colourWord, contrastWord);
    if (added)
        modified = true;
    return added;
}

int RunSubtitles::overlappingTimes() const
{
    std::vector<TimeRange> ranges;
    ranges.reserve(m_store.subs.size());
    for (const subtitles::Subtitle &s : m_store.subs)
        ranges.push_back({s.start, s.stop});
    return countOverlappingTimes(ranges);
}

} // namespace glyfex::ripping::ui
