// The subtitle store every source fills and every writer reads, and the one way subtitles enter it.
#pragma once

#include "core/result.h"
#include "subtitles/subtitle.h"

#include <QStringList>

#include <functional>
#include <vector>

namespace glyfex::subtitles {

// Subtitles in the order they were added (time order for ripping and for well-formed files).
// Indices are 1-based, as the entry numbers of the written files are.
struct SubtitleStore {
    static constexpr int kCapacity = 15000;

    std::vector<Subtitle> subs;

    int count() const { return int(subs.size()); }
    bool isEmpty() const { return subs.empty(); }
    const Subtitle &at(int index) const { return subs[size_t(index - 1)]; }
    Subtitle &at(int index) { return subs[size_t(index - 1)]; }
    const Subtitle &last() const { return subs.back(); }
    void clear() { subs.clear(); }
    // The video viewer's "previous" command takes back the last subtitle.
    void removeLast()
    {
        if (!subs.empty())
            subs.pop_back();
    }
};

// What a source hands over for one picture or one file entry.
struct NewSubtitle {
    QStringList lines;
    // True for the picture sources, which update the Subtitles window at once; false for file readers.
    bool fromPicture = false;
    core::TimeCode start;
    core::TimeCode stop;
    picture::Rect rect;
    uint16_t colourWord = 0;
    uint16_t contrastWord = 0;
    // Without text, the picture adds nothing and opens no assistant (the user skipped its lines).
    bool suppressEmpty = false;
};

// The frame of the open video shown at a time, by the video's own clock: a variable-rate file times each
// frame itself, so no one rate turns its times into frames. An error for a time it cannot place.
using VideoFrameAtTime = std::function<core::Result<int64_t>(const core::TimeCode &)>;

// The state around the store that the merge rule and the line colours depend on.
struct AddContext {
    // A video with burned-in text is open in the viewer: a repeat of the last text within
    // skipFirstFrames frames only continues the last subtitle. The frames are counted by
    // frameAtTime when the video has a clock of its own, otherwise at videoFpsX1000.
    bool videoOpen = false;
    uint32_t videoFpsX1000 = 0;
    int skipFirstFrames = 0;
    VideoFrameAtTime frameAtTime;
    // Colour (0xRRGGBB) of each recognised text line of the current picture.
    std::array<uint32_t, kMaxLines> recognisedLineColours{};
};

// The OCR assistant in its Skipped mode: asked what a picture without recognised text says.
// The window that implements it also hides and shows the Subtitles window around the question.
class SkippedItemAsker {
public:
    struct Answer {
        // The user chose to drop this picture (and the store gets nothing).
        bool suppress = false;
        // The text typed for the picture; empty or a blank first line means "no text".
        QStringList text;
    };
    virtual ~SkippedItemAsker() = default;
    virtual Answer askSkippedItem() = 0;
};

struct AddReport {
    enum class Outcome { Added, Merged, NothingAdded };
    Outcome outcome = Outcome::NothingAdded;
    // The subtitle that was added or continued (1-based); 0 when nothing was added.
    int index = 0;
    // Set when lines beyond the ten a subtitle holds were dropped.
    QString warning;
};

// Adds one subtitle: the video merge rule, the skipped-item placeholder and the empty-picture
// suppression. A full store (kCapacity) refuses a new subtitle with an error and stays unchanged.
// After Added from a picture the caller renders subtitle index; after Merged it rebuilds the view.
core::Result<AddReport> addSubtitle(SubtitleStore &store, const NewSubtitle &added,
                                    const AddContext &context, SkippedItemAsker &asker);

} // namespace glyfex::subtitles
