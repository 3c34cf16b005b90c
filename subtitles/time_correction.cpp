// Time correction of the whole store.
#include "subtitles/time_correction.h"

#include "subtitles/time_forms.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace glyfex::subtitles {

namespace {

// Times are worked on as 64-bit milliseconds and clamped into what every writer can show.
constexpr int64_t kMaxMs = std::numeric_limits<int32_t>::max();

struct Times {
    int64_t start;
    int64_t stop;
};

int64_t clampMs(int64_t ms)
{
    return std::clamp<int64_t>(ms, 0, kMaxMs);
}

int64_t clampMs(double ms)
{
    if (!(ms > 0)) // also NaN
        return 0;
    return ms >= double(kMaxMs) ? kMaxMs : int64_t(ms);
}

// A rule that moved a stop before its start leaves the subtitle zero-long instead.
void keepStopsAfterStarts(std::vector<Times> &times)
{
    for (Times &t : times)
        t.stop = std::max(t.stop, t.start);
}

QString warningHead(const core::MessageTable &messages)
{
    return messages.text(core::Msg::Warning) + QStringLiteral("\r\n");
}

// False when the user stops the correction at a start that would fall to 0 or below.
bool applyOffset(std::vector<Times> &times, const SubtitleStore &store, int64_t offset,
                 const core::MessageTable &messages, core::UserPrompt &prompt)
{
    for (size_t i = 0; i < times.size(); ++i) {
        Times &t = times[i];
        const int64_t s = t.start + offset;
        const int64_t e = t.stop + offset;
        if (s < 1) {
            // The time shown is the subtitle's own, as the user knows it from the list.
            const QString question = warningHead(messages) + messages.text(core::Msg::TimeCode) + QLatin1Char(' ') +
                                     core::formatTimeCode(store.subs[i].start) + QLatin1Char(' ') +
                                     messages.text(core::Msg::WillBeReducedToZero) + QLatin1Char('\r') +
                                     messages.text(core::Msg::ContinueNoUndo);
            if (prompt.confirmYesNo(question) != core::Answer::Yes)
                return false;
            t.start = 0;
        } else {
            t.start = clampMs(s);
        }
        t.stop = clampMs(e);
    }
    keepStopsAfterStarts(times);
    return true;
}

// Scales every time from zero so that the last start moves by exactly the stretch.
void applyStretch(std::vector<Times> &times, int64_t stretch, bool minus, const core::MessageTable &messages,
                  core::UserPrompt &prompt)
{
    const int64_t last = times.back().start;
    if (last == 0) {
        // Nothing to scale from: every start would stay at 0 whatever the factor.
        prompt.warn(warningHead(messages) +
                    QStringLiteral("The last subtitle starts at 00:00:00,000: the times cannot be stretched."));
        return;
    }
    if (minus && last < stretch) {
        prompt.warn(warningHead(messages) + messages.text(core::Msg::NoMinusStretch) + QLatin1Char('\r') +
                    messages.text(core::Msg::LargerThanTotalTime));
        return;
    }
    double factor = double(stretch) / double(last);
    if (minus)
        factor = -factor;
    // nearbyint rounds halves to even in the default rounding mode.
    const auto scale = [factor](int64_t t) { return clampMs(std::nearbyint(double(t) + double(t) * factor)); };
    for (Times &t : times) {
        t.start = scale(t.start);
        t.stop = scale(t.stop);
    }
    keepStopsAfterStarts(times);
}

void applyDurationRule(std::vector<Times> &times, const SubtitleStore &store, const TimeCorrectionOptions &o)
{
    const bool fixed = o.durationMethod == DurationMethod::Fixed;
    const int64_t base = fixed ? o.fixedDurationMs : o.offsetDurationMs;
    const int64_t perChar = fixed ? 0 : o.msPerChar;
    for (size_t i = 0; i < times.size(); ++i) {
        int64_t characters = 0;
        for (const QString &line : store.subs[i].lines)
            characters += line.size();
        const int64_t limit = i + 1 < times.size() ? times[i + 1].start : times[i].start + 65535;
        const int64_t d = times[i].start + base + characters * perChar;
        times[i].stop = clampMs(std::min(d, limit));
    }
    keepStopsAfterStarts(times);
}

void applyMinimumInterval(std::vector<Times> &times, int64_t gap)
{
    for (size_t i = 0; i + 1 < times.size(); ++i) {
        const core::TimeCode stop = keepMinimumGap(core::millisecondsToTimeCode(times[i].stop),
                                                   core::millisecondsToTimeCode(times[i + 1].start), gap);
        times[i].stop = clampMs(core::timeCodeToMilliseconds(stop));
    }
    keepStopsAfterStarts(times);
}

// Authoring tools refuse subtitles shorter than a frame and subtitles that overlap.
void repairOverlapsMinDuration(std::vector<Times> &times, int framesPerSecond)
{
    const int fps = std::max(framesPerSecond, 1);
    const int64_t frame = 1000 / fps;
    const double oneFrame = 1000.0 / fps;
    // Every earlier rule keeps stops after starts, so any duration below one frame is lengthened.
    const auto lengthen = [&](Times &t) {
        if (double(t.stop - t.start) < oneFrame)
            t.stop = clampMs(t.start + frame);
    };
    for (size_t i = 0; i + 1 < times.size(); ++i) {
        Times &t = times[i];
        Times &next = times[i + 1];
        if (t.stop > next.start && t.start < next.start)
            t.stop = next.start;
        lengthen(t);
        if (t.stop >= next.start) {
            next.start = clampMs(t.stop + frame);
            next.stop = std::max(next.stop, next.start);
        }
    }
    lengthen(times.back());
}

} // namespace

TimeCorrectionOutcome correctTimes(SubtitleStore &store, const TimeCorrectionOptions &options,
                                   const core::MessageTable &messages, core::UserPrompt &prompt)
{
    if (store.isEmpty())
        return TimeCorrectionOutcome::Unchanged;
    std::vector<Times> times;
    times.reserve(store.subs.size());
    for (const Subtitle &s : store.subs)
        times.push_back({clampMs(core::timeCodeToMilliseconds(s.start)), clampMs(core::timeCodeToMilliseconds(s.stop))});

    if (options.offsetMs > 0 &&
        !applyOffset(times, store, options.minusOffset ? -options.offsetMs : options.offsetMs, messages, prompt))
        return TimeCorrectionOutcome::Abandoned;
    if (options.stretchMs > 0)
        applyStretch(times, options.stretchMs, options.minusStretch, messages, prompt);
    if (options.modifyDuration)
        applyDurationRule(times, store, options);
    if (options.minIntervalMs != 0)
        applyMinimumInterval(times, options.minIntervalMs);
    if (options.authorRepair)
        repairOverlapsMinDuration(times, options.framesPerSecond);

    for (size_t i = 0; i < times.size(); ++i) {
        store.subs[i].start = core::millisecondsToTimeCode(times[i].start);
        store.subs[i].stop = core::millisecondsToTimeCode(times[i].stop);
    }
    return TimeCorrectionOutcome::Applied;
}

} // namespace glyfex::subtitles
