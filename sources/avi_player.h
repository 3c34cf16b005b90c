// The frame source of the video viewer: any video FFmpeg opens, read frame by frame by number as 24-bit BGR.
#pragma once

#include "core/pass_host.h"
#include "core/result.h"
#include "core/time_code.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace glyfex::sources {

// A decoded frame: rows top to bottom, 3 bytes (blue, green, red) per pixel, no row padding.
struct BgrFrame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bytes;

    const uint8_t *pixel(int x, int y) const { return bytes.data() + (size_t(y) * size_t(width) + size_t(x)) * 3; }
    uint8_t *pixel(int x, int y) { return bytes.data() + (size_t(y) * size_t(width) + size_t(x)) * 3; }
    friend bool operator==(const BgrFrame &, const BgrFrame &) = default;
};

// Plays the first video stream of a file. Frames are numbered 0..frameCount()-1 in presentation order;
// asking for the frame after the last one drawn decodes forward, any other frame seeks back to the keyframe
// before it and decodes forward, so every frame comes out the same however it is reached.
class AviPlayer {
public:
    AviPlayer();
    ~AviPlayer();
    AviPlayer(const AviPlayer &) = delete;
    AviPlayer &operator=(const AviPlayer &) = delete;

    // A new name closes the player and opens the file; an empty name leaves it closed, the current name
    // does nothing (also after a failed open). The result is the open's.
    core::Result<void> setFileName(const QString &name, core::PassHost *host = nullptr);
    const QString &fileName() const { return m_fileName; }

    // Opens fileName(): on failure the player is closed and the error says what was wrong with the file.
    // Opening reads the whole file once, and some files are decoded once as well: host (when given) follows
    // that in thousandths of the work and may cancel it, which leaves the player closed and cancelled() set.
    core::Result<void> open(core::PassHost *host = nullptr);
    void close();
    // The last open was cancelled by its host.
    bool cancelled() const { return m_cancelled; }

    bool opened() const { return m_opened; }
    // The file gave a frame rate; fpsX1000() is 0 when it did not.
    bool rateKnown() const { return m_rateKnown; }
    int frameCount() const { return m_frameCount; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // Frame rate x 1000, rounded half to even: 30000/1001 is 29970, 25/1 is 25000.
    int fpsX1000() const { return m_fpsX1000; }
    // The frames do not keep one rate (a variable-rate file): each has its own presentation time.
    bool ownTimes() const { return m_ownTimes; }
    // When frame n is shown, from the first frame on: its presentation time when ownTimes(), otherwise n
    // frames at rateX1000 (the file's rate, or one typed for a file that gives none), so that a file of one
    // rate stays frame-exact. An error for a rate of 0 (without own times) or a frame that does not exist.
    core::Result<core::TimeCode> frameTime(int n, uint32_t rateX1000) const;
    // The frame shown at time t (the last frame starting at or before it), the inverse of frameTime.
    core::Result<int64_t> frameAtTime(const core::TimeCode &t, uint32_t rateX1000) const;

    int position() const { return m_position; }
    void setPosition(int position) { m_position = position; }
    // Into 0..frameCount()-1 when open; an open video without frames leaves -1.
    void clampPosition();
    // Clamps position() and decodes that frame into target; an error (target untouched) when the frame
    // cannot be decoded or the player is closed.
    core::Result<void> drawFrame(BgrFrame &target);

private:
    struct Stream;

    QString m_fileName;
    bool m_opened = false;
    bool m_rateKnown = false;
    int m_frameCount = 0;
    int m_width = 0;
    int m_height = 0;
    int m_fpsX1000 = 0;
    bool m_ownTimes = false;
    bool m_cancelled = false;
    int m_position = 0;
    std::unique_ptr<Stream> m_stream;
};

// Frame rate x 1000 of num/den frames a second, rounded half to even; 0 for a rate that is not positive.
int rateX1000(int64_t num, int64_t den);

} // namespace glyfex::sources
