// Time codes: the one record every time in the program passes through, and its arithmetic.
#pragma once

#include "core/result.h"

#include <QString>
#include <QStringView>

#include <cstdint>

namespace glyfex::core {

// hour (unbounded), minute, second, fraction. The fraction is milliseconds 0-999 in a millisecond
// time code (subtitle times) and a frame number 0..maxFrame in a frame time code (DVD cell times).
struct TimeCode {
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    int32_t fraction = 0;

    friend bool operator==(const TimeCode &, const TimeCode &) = default;
    bool isZero() const { return hour == 0 && minute == 0 && second == 0 && fraction == 0; }
};

// The video standard a DVD was detected as: frame rate x 100, the frame-rate flag bits of a cell
// time's frame byte, and the highest frame number of a second. All zero until first detected.
struct VideoStandard {
    uint16_t fpsX100 = 0;
    uint8_t frameFlag = 0;
    uint8_t maxFrame = 0;

    static constexpr VideoStandard pal() { return {2500, 0x40, 24}; }
    static constexpr VideoStandard ntsc() { return {3000, 0xC0, 29}; }
    // A frame's height tells the standard up to the 576 rows of PAL: 576 or 0 (not known yet) is PAL, any
    // other height up to it NTSC (480 on a DVD). A taller frame (HD, 720 or 1080 rows) is made at 25 and at
    // 30 frames a second alike and tells nothing: PAL, as while nothing is known, unless its source says.
    static constexpr bool heightTellsStandard(int height) { return height <= 576; }
    static constexpr bool ntscFrameHeight(int height) { return height != 0 && height < 576; }
    static constexpr VideoStandard fromFrameHeight(int height) { return ntscFrameHeight(height) ? ntsc() : pal(); }
    friend bool operator==(const VideoStandard &, const VideoStandard &) = default;
};

// A source with a rate of its own (a video, an image sequence's script, an opened subtitle file) sets the
// frames a second of the standard that frame counts follow: the rate and the highest frame number of a
// second, as that source reckons it. The DVD frame flag stays.
void followFrameRate(VideoStandard &standard, uint32_t rateX1000, uint8_t maxFrame);

// Highest frame number of a second at rateX1000 (frames are numbered 0..this within a second): the rate
// rounded to whole frames, less one, so 29.97 frames a second give 29. 0 for rates below 1.5 frames a second
// (also rate 0), at most 255, the most a frame time code holds.
uint8_t highestFrameOfSecond(uint32_t rateX1000);

// Frame time code from the four BCD bytes of a DVD cell time.
TimeCode decodeBcdTimeCode(uint8_t hour, uint8_t minute, uint8_t second, uint8_t frame,
                           const VideoStandard &standard);
// a + b for frame time codes, one carry step per field.
TimeCode addTimeCodeFrames(const TimeCode &a, const TimeCode &b, const VideoStandard &standard);
// t plus a frame count, carried until normalised.
TimeCode addFramesToTimeCode(const TimeCode &t, uint16_t frames, const VideoStandard &standard);
// a + b for millisecond time codes, one carry step per field.
TimeCode addTimeCodes(const TimeCode &a, const TimeCode &b);
// a earlier than b, field by field (hour first).
bool timeCodeLess(const TimeCode &a, const TimeCode &b);

// "hh:mm:ss:ff" and "hh:mm:ss,mmm".
QString formatTimeCodeFrames(const TimeCode &t);
QString formatTimeCode(const TimeCode &t);

// "h:m:s<sep>mmm" with ',' '.' or ':' before the milliseconds; an error for an empty or non-numeric field.
Result<TimeCode> parseTimeCode(QStringView text);

// Frame time code to milliseconds at the standard's rate; an error when the rate is 0.
Result<TimeCode> framesToMilliseconds(const TimeCode &frames, const VideoStandard &standard);
// Millisecond time code of the start of a frame at rateX1000 (25000, 23976, 29970, ...), rounded to the
// nearest millisecond; an error for rate 0 or a negative, non-numeric or too large frame number.
Result<TimeCode> frameNumberToTimeCode(QStringView frameNumber, uint32_t rateX1000);
Result<TimeCode> frameNumberToTimeCode(int64_t frameNumber, uint32_t rateX1000);
// Frame number of a millisecond time code at rateX1000: the frame shown at that time, so that a time from
// frameNumberToTimeCode gives its frame back; an error for rate 0.
Result<int64_t> timeCodeToFrameNumber(const TimeCode &t, uint32_t rateX1000);
// Tenths of a second as text; an error for a non-numeric text.
Result<TimeCode> decisecondsToTimeCode(QStringView deciseconds);

// The 90 kHz clock and milliseconds, in 64 bits: a clock counted past its 33-bit wrap fits, and so does
// every time a title can last.
int64_t ptsToMilliseconds(int64_t pts);
int64_t millisecondsToPts(int64_t ms);
TimeCode millisecondsToTimeCode(int64_t ms);
int64_t timeCodeToMilliseconds(const TimeCode &t);

} // namespace glyfex::core
