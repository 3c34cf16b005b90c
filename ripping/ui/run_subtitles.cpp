// Picture subtitles into the store, and the last subtitle's stop time.
#include "ripping/ui/run_subtitles.h"

namespace glyfex::ripping::ui {

namespace {
// A picture subtitle always has its line (the picture's name), so nothing is ever asked.
class NeverAsked : public subtitles::SkippedItemAsker {
public:
    Answer askSkippedItem() override { return {}; }
};
} // namespace

core::TimeCode RunSubtitles::lastStart() const
{
    return m_store.isEmpty() ? core::TimeCode{} : m_store.last().start;
}

core::TimeCode RunSubtitles::lastStop() const
{
    return m_store.isEmpty() ? core::TimeCode{} : m_store.last().stop;
}

void RunSubtitles::setLastStop(const core::TimeCode &stop)
{
    if (!m_store.isEmpty())
        m_store.at(m_store.count()).stop = stop;
}

core::Result<void> RunSubtitles::addPictureSubtitle(const QString &line, const SpuTimes &times, const ScreenRect &rect,
                                                    uint16_t colourWord, uint16_t contrastWord)
{
    subtitles::NewSubtitle added;
    added.lines = {line};
    added.fromPicture = true;
    added.start = times.start;
    added.stop = times.stop;
    added.left = rect.left;
    added.top = rect.top;
    added.right = rect.right;
    added.bottom = rect.bottom;
    added.colorWord = colourWord;
    added.contrastWord = contrastWord;
    NeverAsked asker;
    core::Result<subtitles::AddReport> report = subtitles::addSubtitle(m_store, added, {}, asker);
    if (!report)
        return report.error();
    modified = true;
    return {};
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
