// What a run does with every picture its source makes: the one list every source and the dispatcher share.
#pragma once

#include <cstdint>

namespace glyfex::picture {

// The numbers are those of the run's stored action; image sequences and videos have their own two.
enum class ActionMode : uint8_t {
    RecogniseText = 1,
    SaveBitmaps = 2,
    SaveRawSubpictures = 3,
    OnlyShow = 4,
    ImageSequence = 5,
    VideoFile = 6,
};

} // namespace glyfex::picture
