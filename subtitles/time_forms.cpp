// The time forms of the writers.
#include "subtitles/time_forms.h"

#include <cmath>

namespace glyfex::subtitles {

namespace {

constexpr core::TimeCode kOneSecond{0, 0, 1, 0};

// value / divisor rounded to the nearest integer, halves to even (value >= 0), as the
// floating-point unit rounds the exact quotient.
int64_t roundHalfEven(int64_t value, int64_t divisor)
{
    int64_t q = value / divisor;
    const int64_t twiceRest = (value % divisor) * 2;
    if (twiceRest > divisor || (twiceRest == divisor && (q & 1)))
        ++q;
    return q;
}

// The same for a value of either sign.
int64_t roundHalfEvenSigned(int64_t value, int64_t divisor)
{
    return value < 0 ? -roundHalfEven(-value, divisor) : roundHalfEven(value, divisor);
}

} // namespace

core::TimeCode roundTimeToSecond(const core::TimeCode &t)
{
    core::TimeCode r = t.fraction > 500 ? core::addTimeCodes(t, kOneSecond) : t;
    r.fraction = 0;
    return r;
}

Hundredths roundedHundredths(const core::TimeCode &t)
{
    // Halves to even: 1,995 s gives 100, 1,985 s 98.
    Hundredths h{t, int(roundHalfEvenSigned(t.fraction, 10))};
    if (h.hundredths >= 100) {
        h.hundredths = 0;
        h.time = core::addTimeCodes(t, kOneSecond);
    }
    return h;
}

int64_t deciseconds(const core::TimeCode &t)
{
    return int64_t(t.hour) * 36000 + int64_t(t.minute) * 600 + int64_t(t.second) * 10 +
           roundHalfEvenSigned(t.fraction, 100);
}

int64_t frameNumber(const core::TimeCode &t, uint32_t rateX1000)
{
    // ms x rate / 1,000,000 in exact integers, halves to even: the value the floating-point formula
    // stands for, without its rounding error deciding near a half.
    return roundHalfEvenSigned(core::timeCodeToMilliseconds(t) * int64_t(rateX1000), 1000000);
}

core::TimeCode msToFrameTimeCode(const core::TimeCode &t, uint16_t rateX100, bool dropFrame)
{
    const double frames = std::trunc(double(t.fraction) * rateX100 / 100000.0 + 0.5);
    // The carry limit is the output rate's, whatever the source's video standard was.
    core::VideoStandard output = rateX100 == 2500 ? core::VideoStandard::pal() : core::VideoStandard::ntsc();
    output.maxFrame = core::highestFrameOfSecond(uint32_t(rateX100) * 10);
    core::TimeCode r = core::addFramesToTimeCode({t.hour, t.minute, t.second, 0}, uint16_t(frames), output);
    if (dropFrame && r.second == 0 && (r.fraction == 0 || r.fraction == 1) && r.minute % 10 != 0)
        r.fraction = 2;
    return r;
}

core::Result<uint32_t> parseFrameRateX1000(QStringView text)
{
    const auto refused = [&](const QString &why) {
        return core::makeError(QStringLiteral("Frame rate refused"), QLatin1Char('"') + text.toString() + QLatin1Char('"'),
                               why);
    };
    const QString tooFast = QStringLiteral("a frame rate must not exceed 1000 frames a second");
    const QString notAbove = QStringLiteral("a frame rate must be above zero");
    // Whole rates are checked before they are scaled, so no typed number can overflow the scaling.
    constexpr int64_t kMaxWhole = 1000;
    qsizetype p = text.indexOf(QLatin1Char(','));
    if (p < 0)
        p = text.indexOf(QLatin1Char('.'));
    int64_t value = 0;
    bool ok = false;
    if (p >= 0) {
        const QStringView wholeText = text.left(p);
        int64_t whole = wholeText.toLongLong(&ok);
        if (!ok)
            whole = 25;
        if (whole > kMaxWhole)
            return refused(tooFast);
        if (whole < -kMaxWhole)
            return refused(notAbove);
        // "-0.5" is below zero too: the sign of the whole part applies to its fraction.
        const bool negative = ok && wholeText.trimmed().startsWith(QLatin1Char('-'));
        double fraction = (QStringLiteral("0.") + text.mid(p + 1).toString()).toDouble(&ok);
        // Only plain digits make a fraction below one; an exponent or the like is no number here.
        if (!ok || !(fraction >= 0.0 && fraction < 1.0))
            fraction = 0;
        const int64_t thousandths = int64_t(std::nearbyint(fraction * 1000.0));
        value = whole * 1000 + (negative ? -thousandths : thousandths);
    } else {
        value = text.toLongLong(&ok);
        if (!ok)
            value = 25;
        if (value > kMaxWhole)
            return refused(tooFast);
        if (value < -kMaxWhole)
            return refused(notAbove);
        value *= 1000;
    }
    if (value <= 0)
        return refused(notAbove);
    if (value > kMaxWhole * 1000)
        return refused(tooFast);
    return uint32_t(value);
}

core::TimeCode keepMinimumGap(const core::TimeCode &stop, const core::TimeCode &nextStart, int64_t gapMs)
{
    const int64_t next = core::timeCodeToMilliseconds(nextStart);
    const int64_t d = next - core::timeCodeToMilliseconds(stop);
    if (d >= 0 && d < gapMs)
        return core::millisecondsToTimeCode(next - gapMs);
    return stop;
}

} // namespace glyfex::subtitles
