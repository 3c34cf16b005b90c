// An image sequence: which picture files it takes and when each shows, and the loop that hands them to recognition.
#pragma once

#include "core/result.h"
#include "picture/code_image.h"
#include "picture/display_times.h"
#include "picture/picture_sink.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace glyfex::sources {

struct SequencePlan {
    QString folder;       // the chosen file's folder, with a trailing '/'
    QStringList entries;  // script: the files as written; folder: file names, in name order
    bool script = false;
    // Script only: each entry's frames, the delay in force added.
    std::vector<int64_t> startFrames;
    std::vector<int64_t> stopFrames;
    int first = 0;        // the entry the sequence starts at
    std::optional<QString> frameRateText; // the script's "FrameRate=" text, when it has one
};

// A chosen ".txt" file (any letter case) is a script; any other file starts a folder sequence: the
// regular files of its folder with its extension (any letter case), in name order without regard to
// case, from the chosen one on. A script that cannot be read is an error.
core::Result<SequencePlan> planSequence(const QString &chosenFile);

// Where a script's entry lies: '\' separators become '/', and a name that does not exist as written is
// looked up without regard to letter case, folder by folder. The path as written when nothing matches.
QString resolveScriptEntry(const QString &folder, const QString &entry);

// The number that ends an entry's name before its extension ("line0042.bmp" gives 42), 0 without one;
// nothing when the digits make a number beyond any time.
std::optional<int64_t> trailingNumber(const QString &entry);

// When entry index of the plan shows at fpsX1000 frames per 1000 s: a script's frames, or in a folder
// one frame from the frame its number gives. A negative frame (a negative delay) is frame 0.
core::Result<picture::DisplayTimes> sequenceTimes(const SequencePlan &plan, int index, uint32_t fpsX1000);

// What one picture of a sequence tells of the frame it was cut from.
struct SequencePictureShape {
    int width = 0;
    int height = 0;
    int tallestText = 0; // rows of the tallest run of rows that hold text
};

// Rows of the tallest run of consecutive rows holding a pixel other than code 0.
int tallestTextRun(const picture::CodeImage &codes);

// The rows of the frame that every picture of a sequence is read on, from its first pictures in order
// (0: each picture is a frame of its own height, as a DVD-sized picture is read as it is):
// - a picture taller than a DVD frame (576 rows) is a whole frame: its height;
// - a picture as wide as a DVD frame (720 columns) is a DVD picture: 0;
// - else pictures cropped from an HD frame show themselves by a line taller than any DVD line (45 rows)
//   or a width beyond a DVD frame's: 1080 rows for lines of up to 90 rows, else 2160;
// - else 0.
// One value for the whole sequence keeps every picture at one scale, the scale its HD frame gives.
int sequenceFrameRows(const std::vector<SequencePictureShape> &pictures);

// sequenceFrameRows over the first pictures of the plan that can be read, from plan.first on (at most
// kFrameLookAhead of them, fewer when one of them settles it).
inline constexpr int kFrameLookAhead = 25;
int sequenceFrameRows(const SequencePlan &plan);

// The interface around the loop.
class SequenceHost {
public:
    virtual ~SequenceHost() = default;
    // Lets the interface run, and holds the loop while the run is paused. false ends the sequence.
    virtual bool pump() = 0;
    // Recognition gave the picture up to be read again (a question's Pause, a colour or fill-matrix
    // request): true once, and the same picture is done again when the loop goes on.
    virtual bool takeRewind() = 0;
    virtual void showEntry(const QString &entry, int index, int count) = 0;
};

// Reads, converts, crops to the text and hands every picture from plan.first on to sink, until the
// entries end, an empty entry comes or the host ends it. Every picture is shown on the frame
// sequenceFrameRows(plan) gives. A picture without text is passed over. A
// picture that cannot be read, a time beyond the range or a failure of the sink ends the sequence with
// that error. Returns the number of pictures handed on.
core::Result<int> runSequence(const SequencePlan &plan, uint32_t fpsX1000, picture::PictureSink &sink, SequenceHost &host);

} // namespace glyfex::sources
