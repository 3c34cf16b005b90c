// The run of a picture source as recognition may change it: an answer can send it back to the picture it reads.
#pragma once

namespace glyfex::picture {

class SourceRun {
public:
    virtual ~SourceRun() = default;
    // The source resumes at the picture being recognised, counts it again, and stands paused (not by
    // the main window's button).
    virtual void rewindToCurrentPicture() = 0;
    // A picture recognition could not use (no text colour) counts as skipped.
    virtual void countSkipped() = 0;
    // The source's loop still runs.
    virtual bool processing() const = 0;
};

} // namespace glyfex::picture
