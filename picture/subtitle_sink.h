// The subtitle store as a source sees it: counts, the last subtitle's times, and subtitles of saved pictures.
#pragma once

#include "core/result.h"
#include "core/time_code.h"
#include "picture/display_times.h"
#include "picture/rect.h"

#include <QString>

#include <cstdint>

namespace glyfex::picture {

// Subtitles are numbered from 1.
class SubtitleSink {
public:
    virtual ~SubtitleSink() = default;
    virtual int count() const = 0;
    virtual core::TimeCode lastStart() const = 0;
    virtual core::TimeCode lastStop() const = 0;
    // Gives the last subtitle its stop time and shows it again.
    virtual void setLastStop(const core::TimeCode &stop) = 0;
    // Adds the subtitle of a saved picture: one line (the picture's name), its times and rectangle.
    virtual core::Result<void> addPictureSubtitle(const QString &line, const DisplayTimes &times, const Rect &rect,
                                                  uint16_t colourWord, uint16_t contrastWord) = 0;
};

} // namespace glyfex::picture
