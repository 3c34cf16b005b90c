// Time-code arithmetic, parsing and rendering: pure functions over TimeCode and the detected video standard.
#include "core/time_code.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <tuple>

namespace glyfex::core {

namespace {

constexpr int64_t kMsPerSecond = 1000;
constexpr int64_t kMsPerMinute = 60 * kMsPerSecond;
constexpr int64_t kMsPerHour = 60 * kMsPerMinute;
// A frame rate x 1000 turns into a frame duration in ms as 1000 * 1000 / rate.
constexpr int64_t kMsTimesRateScale = 1000 * 1000;

int32_t decodeBcd(uint8_t value)
{
    // Nibbles above 9 are not rejected, they just weigh in (0x1F gives 25): a damaged cell time gives a
    // large but harmless value rather than stopping the pass.
    return (value >> 4) * 10 + (value & 0x0F);
}

Error parseError(QStringView text, const char *field, const QString &why)
{
    return makeError(QStringLiteral("Cannot read the time \"%1\"").arg(text),
                     QStringLiteral("%1 field").arg(QLatin1String(field)), why);
}

// A whole decimal number: leading blanks, an optional sign, then ASCII digits only, nothing after them.
// Empty or non-numeric text is an error, as the numbers of a damaged subtitle line must not read as 0.
std::optional<int64_t> parseInteger(QStringView field, int64_t min, int64_t max)
{
    qsizetype i = 0;
    while (i < field.size() && field[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == QLatin1Char('-') || field[i] == QLatin1Char('+'))) {
        negative = field[i] == QLatin1Char('-');
        ++i;
    }
    if (i == field.size())
        return std::nullopt;
    // Accumulated as a negative number so that the most negative value is representable.
    int64_t value = 0;
    for (; i < field.size(); ++i) {
        const char16_t c = field[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (value < (std::numeric_limits<int64_t>::min() + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == std::numeric_limits<int64_t>::min())
            return std::nullopt;
        value = -value;
    }
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

Result<int32_t> parseField(QStringView text, QStringView field, const char *name)
{
    const auto value = parseInteger(field, std::numeric_limits<int32_t>::min(),
                                    std::numeric_limits<int32_t>::max());
    if (!value)
        return parseError(text, name, QStringLiteral("\"%1\" is not a whole number").arg(field));
    return static_cast<int32_t>(*value);
}

bool isFractionSeparator(QChar c)
{
    return c == QLatin1Char(',') || c == QLatin1Char('.') || c == QLatin1Char(':');
}

// Milliseconds to a time code, refusing a count whose hours do not fit the record.
Result<TimeCode> checkedMillisecondsToTimeCode(int64_t ms, const QString &what)
{
    const int64_t hours = ms / kMsPerHour;
    if (hours > std::numeric_limits<int32_t>::max() || hours < std::numeric_limits<int32_t>::min())
        return makeError(what, QString(), QStringLiteral("the time is too large"));
    return millisecondsToTimeCode(ms);
}

// a + b with one carry step per field: a fraction above maxFraction loses maxFraction + 1 and carries a
// second, seconds and minutes above 59 lose 60 and carry; hours have no limit. Exact for normalised
// inputs. Sums are taken in 64 bits so that fields read from a damaged file cannot overflow.
TimeCode addWithOneCarryStep(const TimeCode &a, const TimeCode &b, int64_t maxFraction)
{
    int64_t fraction = int64_t(a.fraction) + b.fraction;
    int64_t second = int64_t(a.second) + b.second;
    int64_t minute = int64_t(a.minute) + b.minute;
    const int64_t hour = int64_t(a.hour) + b.hour;
    if (fraction > maxFraction) {
        fraction -= maxFraction + 1;
        ++second;
    }
    const bool minuteCarry = second > 59;
    if (minuteCarry)
        second -= 60;
    minute += minuteCarry;
    const bool hourCarry = minute > 59;
    if (hourCarry)
        minute -= 60;
    return {static_cast<int32_t>(hour + hourCarry), static_cast<int32_t>(minute), static_cast<int32_t>(second),
            static_cast<int32_t>(fraction)};
}

Error zeroRateError(const QString &what)
{
    return makeError(what, QString(), QStringLiteral("the frame rate is 0"));
}

} // namespace

TimeCode decodeBcdTimeCode(uint8_t hour, uint8_t minute, uint8_t second, uint8_t frame,
                           const VideoStandard &standard)
{
    // The frame byte carries the frame-rate flag in bits 7-6; it is removed modulo 256 before the BCD.
    const auto frameBcd = static_cast<uint8_t>(frame - standard.frameFlag);
    return {decodeBcd(hour), decodeBcd(minute), decodeBcd(second), decodeBcd(frameBcd)};
}

TimeCode addTimeCodeFrames(const TimeCode &a, const TimeCode &b, const VideoStandard &standard)
{
    return addWithOneCarryStep(a, b, standard.maxFrame);
}

TimeCode addFramesToTimeCode(const TimeCode &t, uint16_t frames, const VideoStandard &standard)
{
    // Carries repeated until every field is within its limit; a division gives the same as repeated
    // subtraction for a field above its limit, and leaves fields at or below it alone.
    const int64_t framesPerSecond = standard.maxFrame + 1;
    int64_t fraction = int64_t(t.fraction) + frames;
    int64_t second = t.second;
    int64_t minute = t.minute;
    int64_t hour = t.hour;
    if (fraction > standard.maxFrame) {
        second += fraction / framesPerSecond;
        fraction %= framesPerSecond;
    }
    if (second > 59) {
        minute += second / 60;
        second %= 60;
    }
    if (minute > 59) {
        hour += minute / 60;
        minute %= 60;
    }
    return {static_cast<int32_t>(hour), static_cast<int32_t>(minute), static_cast<int32_t>(second),
            static_cast<int32_t>(fraction)};
}

TimeCode addTimeCodes(const TimeCode &a, const TimeCode &b)
{
    return addWithOneCarryStep(a, b, 999);
}

bool timeCodeLess(const TimeCode &a, const TimeCode &b)
{
    // Field by field, so that a running time past 255 hours or a field out of byte range still
    // compares right; for frame time codes this is the order of the cells on the disc.
    return std::tie(a.hour, a.minute, a.second, a.fraction) < std::tie(b.hour, b.minute, b.second, b.fraction);
}

QString formatTimeCodeFrames(const TimeCode &t)
{
    return QString::asprintf("%.2d:%.2d:%.2d:%.2d", t.hour, t.minute, t.second, t.fraction);
}

QString formatTimeCode(const TimeCode &t)
{
    return QString::asprintf("%.2d:%.2d:%.2d,%.3d", t.hour, t.minute, t.second, t.fraction);
}

Result<TimeCode> parseTimeCode(QStringView text)
{
    // Hours end at the first ':', minutes at the next ':' (or the end), seconds at the first ',', '.'
    // or ':' after that; the milliseconds are the three characters after that separator as they stand.
    // Fields are read in that order, so the error names the first field that is wrong.
    const qsizetype hourEnd = text.indexOf(QLatin1Char(':'));
    if (hourEnd < 0)
        return parseError(text, "hours", QStringLiteral("no ':' after the hours"));
    const auto hour = parseField(text, text.first(hourEnd), "hours");
    if (!hour)
        return hour.error();

    qsizetype minuteEnd = text.indexOf(QLatin1Char(':'), hourEnd + 1);
    if (minuteEnd < 0)
        minuteEnd = text.size();
    const auto minute = parseField(text, text.sliced(hourEnd + 1, minuteEnd - hourEnd - 1), "minutes");
    if (!minute)
        return minute.error();

    qsizetype secondEnd = minuteEnd + 1;
    while (secondEnd < text.size() && !isFractionSeparator(text[secondEnd]))
        ++secondEnd;
    if (secondEnd >= text.size())
        return parseError(text, "seconds", QStringLiteral("no ',' '.' or ':' before the milliseconds"));
    const auto second = parseField(text, text.sliced(minuteEnd + 1, secondEnd - minuteEnd - 1), "seconds");
    if (!second)
        return second.error();

    const QStringView fractionText = text.sliced(secondEnd + 1);
    const auto fraction = parseField(text, fractionText.first(std::min<qsizetype>(3, fractionText.size())),
                                     "milliseconds");
    if (!fraction)
        return fraction.error();
    return TimeCode{*hour, *minute, *second, *fraction};
}

Result<TimeCode> framesToMilliseconds(const TimeCode &frames, const VideoStandard &standard)
{
    if (standard.fpsX100 == 0)
        return zeroRateError(QStringLiteral("Cannot turn frames into milliseconds"));
    TimeCode r = frames;
    // Integer division, not re-normalised: frame 24 at 25 fps is 960 ms, frame 29 at 30 fps 966 ms.
    r.fraction = static_cast<int32_t>(int64_t(frames.fraction) * 1000 * 100 / standard.fpsX100);
    return r;
}

void followFrameRate(VideoStandard &standard, uint32_t rateX1000, uint8_t maxFrame)
{
    standard.fpsX100 = uint16_t(std::min<uint32_t>((rateX1000 + 5) / 10, 65535));
    standard.maxFrame = maxFrame;
}

uint8_t highestFrameOfSecond(uint32_t rateX1000)
{
    const uint32_t frames = uint32_t((uint64_t(rateX1000) + 500) / 1000);
    return uint8_t(std::clamp<uint32_t>(frames, 1, 256) - 1);
}

Result<TimeCode> frameNumberToTimeCode(QStringView frameNumber, uint32_t rateX1000)
{
    const auto number = parseInteger(frameNumber, std::numeric_limits<int64_t>::min(),
                                     std::numeric_limits<int64_t>::max());
    if (!number)
        return makeError(QStringLiteral("Cannot read the frame number \"%1\"").arg(frameNumber), QString(),
                         QStringLiteral("it is not a whole number"));
    return frameNumberToTimeCode(*number, rateX1000);
}

Result<TimeCode> frameNumberToTimeCode(int64_t frameNumber, uint32_t rateX1000)
{
    // Built only on failure: this runs once per frame of a video.
    const auto what = [frameNumber] { return QStringLiteral("Cannot turn frame %1 into a time").arg(frameNumber); };
    if (rateX1000 == 0)
        return zeroRateError(what());
    if (frameNumber < 0)
        return makeError(what(), QString(), QStringLiteral("frame numbers start at 0"));
    // The start of the frame, rounded to the nearest millisecond (a half rounds up), in integers so that
    // an exact time such as frame 29 at 25 fps = 1.160 s is not computed a hair low. 128-bit products:
    // any 64-bit frame number at any 32-bit rate is computed without overflow.
    const __int128 ms = (__int128(2 * kMsTimesRateScale) * frameNumber + rateX1000) / (2 * __int128(rateX1000));
    if (ms > std::numeric_limits<int64_t>::max() || ms / kMsPerHour > std::numeric_limits<int32_t>::max())
        return makeError(what(), QString(), QStringLiteral("the time is too large"));
    return millisecondsToTimeCode(static_cast<int64_t>(ms));
}

Result<int64_t> timeCodeToFrameNumber(const TimeCode &t, uint32_t rateX1000)
{
    if (rateX1000 == 0)
        return zeroRateError(QStringLiteral("Cannot turn the time %1 into a frame number").arg(formatTimeCode(t)));
    // The frame shown at that time: the last frame whose start, rounded to the millisecond as
    // frameNumberToTimeCode gives it, is not after the time. This equals truncating time x rate for
    // every time not within half a millisecond below a frame start, and makes frame -> time -> frame
    // give the same frame back. Negative times mirror positive ones (truncation toward zero).
    // |ms| is below 2^53 and the rate below 2^32, so the 128-bit product cannot overflow.
    const int64_t ms = timeCodeToMilliseconds(t);
    const __int128 magnitude = ms < 0 ? -__int128(ms) : __int128(ms);
    const __int128 frame = ((2 * magnitude + 1) * rateX1000 - 1) / (2 * kMsTimesRateScale);
    if (frame > std::numeric_limits<int64_t>::max())
        return makeError(QStringLiteral("Cannot turn the time %1 into a frame number").arg(formatTimeCode(t)),
                         QString(), QStringLiteral("the frame number is too large"));
    return ms < 0 ? -static_cast<int64_t>(frame) : static_cast<int64_t>(frame);
}

Result<TimeCode> decisecondsToTimeCode(QStringView deciseconds)
{
    // Tenths of a second: the same split as milliseconds, at 100 ms a tenth.
    constexpr int64_t limit = std::numeric_limits<int64_t>::max() / 100;
    const auto value = parseInteger(deciseconds, -limit, limit);
    if (!value)
        return makeError(QStringLiteral("Cannot read the time \"%1\"").arg(deciseconds),
                         QStringLiteral("tenths of a second"), QStringLiteral("it is not a whole number"));
    return checkedMillisecondsToTimeCode(
        *value * 100, QStringLiteral("Cannot read the time \"%1\"").arg(deciseconds));
}

int64_t ptsToMilliseconds(int64_t pts)
{
    // The 90 kHz clock, truncated toward zero.
    return pts / 90;
}

int64_t millisecondsToPts(int64_t ms)
{
    // The clock values it is compared with are 64-bit too, so a start time past 6 h 37 min stays itself.
    return ms * 90;
}

TimeCode millisecondsToTimeCode(int64_t ms)
{
    // Divisions truncate toward zero, so a negative time has negative fields: -1500 is (0, 0, -1, -500).
    const int64_t s = ms / kMsPerSecond;
    const int64_t hour = s / 3600;
    const int64_t minute = (s % 3600) / 60;
    const int64_t second = s - hour * 3600 - minute * 60;
    return {static_cast<int32_t>(hour), static_cast<int32_t>(minute), static_cast<int32_t>(second),
            static_cast<int32_t>(ms % kMsPerSecond)};
}

int64_t timeCodeToMilliseconds(const TimeCode &t)
{
    return kMsPerHour * t.hour + kMsPerMinute * t.minute + kMsPerSecond * t.second + t.fraction;
}

} // namespace glyfex::core
