// The subtitles a run adds, as the dispatcher sees them, until the Subtitles window holds the program's store.
#pragma once

#include "ripping/spu_dispatch.h"

#include <QString>

#include <vector>

namespace glyfex::ripping::ui {

class RunSubtitles : public SubtitleSink {
public:
    struct Entry {
        QString line;
        SpuTimes times;
        ScreenRect rect;
        uint16_t colourWord = 0;
        uint16_t contrastWord = 0;
    };

    int count() const override { return int(m_entries.size()); }
    core::TimeCode lastStart() const override { return m_entries.empty() ? core::TimeCode{} : m_entries.back().times.start; }
    core::TimeCode lastStop() const override { return m_entries.empty() ? core::TimeCode{} : m_entries.back().times.stop; }
    void setLastStop(const core::TimeCode &stop) override
    {
        if (!m_entries.empty())
            m_entries.back().times.stop = stop;
    }
    core::Result<void> addPictureSubtitle(const QString &line, const SpuTimes &times, const ScreenRect &rect,
                                          uint16_t colourWord, uint16_t contrastWord) override
    {
        m_entries.push_back({line, times, rect, colourWord, contrastWord});
        return {};
    }

    const std::vector<Entry> &entries() const { return m_entries; }
    void clear() { m_entries.clear(); }

private:
    std::vector<Entry> m_entries;
};

} // namespace glyfex::ripping::ui
