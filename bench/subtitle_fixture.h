// The subtitles the subtitle-file benchmarks write and read: many, with two lines, accents and italics.
#pragma once

#include "subtitles/subtitle_store.h"

namespace glyfex::bench {

// Two lines, accents, italics on every third subtitle; 4 s apart, so 15,000 of them pass 16 hours.
inline subtitles::SubtitleStore makeSubtitleStore(int count)
{
    subtitles::SubtitleStore store;
    store.subs.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        subtitles::Subtitle s;
        s.start = core::millisecondsToTimeCode(int64_t(i) * 4000 + 1250);
        s.stop = core::millisecondsToTimeCode(int64_t(i) * 4000 + 3500);
        s.lines = {i % 3 == 0 ? QStringLiteral("<i>Où est-il ?</i>") : QStringLiteral("Où est-il ?"),
                   QStringLiteral("Seconde ligne %1").arg(i)};
        s.lineColors.fill(0xFFFFFF);
        s.rect = {100, 420, 620, 500};
        store.subs.push_back(std::move(s));
    }
    return store;
}

} // namespace glyfex::bench
