// Where a source hands each picture for recognition; the recognition driver implements it.
#pragma once

#include "core/result.h"
#include "picture/decoded_picture.h"
#include "picture/display_times.h"
#include "picture/rect.h"

namespace glyfex::picture {

class PictureSink {
public:
    virtual ~PictureSink() = default;
    // area: where the picture lies on the video frame. A failure stops the run.
    virtual core::Result<void> recognise(const DecodedPicture &picture, const DisplayTimes &times, const Rect &area) = 0;
};

} // namespace glyfex::picture
