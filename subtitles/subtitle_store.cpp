// The subtitle store's one entry point: merge rule, skipped-item placeholder, empty-picture suppression, bounds.
#include "subtitles/subtitle_store.h"

namespace glyfex::subtitles {

namespace {

// The new text repeats the last subtitle: each of its lines stands unchanged at the same place
// in the new list. Further new lines do not matter (they are dropped by the merge).
bool repeatsLastText(const Subtitle &last, const QStringList &lines)
{
    if (lines.size() < last.lines.size())
        return false;
    for (qsizetype j = 0; j < last.lines.size(); ++j) {
        if (lines[j] != last.lines[j])
            return false;
    }
    return true;
}

bool continuesLast(const SubtitleStore &store, const NewSubtitle &added, const AddContext &context)
{
    if (!context.videoOpen || store.isEmpty() || context.videoFpsX1000 == 0)
        return false;
    const auto frameOf = [&context](const core::TimeCode &t) {
        return context.frameAtTime ? context.frameAtTime(t) : core::timeCodeToFrameNumber(t, context.videoFpsX1000);
    };
    const auto startFrame = frameOf(added.start);
    const auto stopFrame = frameOf(store.last().stop);
    if (!startFrame || !stopFrame)
        return false;
    // A start before the previous stop (negative gap) qualifies too.
    if (int64_t(context.skipFirstFrames) < *startFrame - *stopFrame)
        return false;
    return repeatsLastText(store.last(), added.lines);
}

// Keeps the first kMaxLines lines and says how many were dropped.
QStringList boundedLines(const QStringList &lines, QString &warning)
{
    if (lines.size() <= kMaxLines)
        return lines;
    warning = QStringLiteral("A subtitle holds at most %1 lines: %2 further lines were dropped.")
                  .arg(kMaxLines)
                  .arg(lines.size() - kMaxLines);
    return lines.mid(0, kMaxLines);
}

core::Error storeFull()
{
    return core::makeError(QStringLiteral("Subtitle not added"), QStringLiteral("subtitle store"),
                           QStringLiteral("the store already holds %1 subtitles, the most it can hold")
                               .arg(SubtitleStore::kCapacity));
}

} // namespace

core::Result<AddReport> addSubtitle(SubtitleStore &store, const NewSubtitle &added,
                                    const AddContext &context, SkippedItemAsker &asker)
{
    AddReport report;
    core::TimeCode start = added.start;

    if (!added.lines.isEmpty()) {
        if (continuesLast(store, added, context)) {
            // The last subtitle keeps its lines and colours; it only gets the new stop below.
            start = store.last().start;
            report.outcome = AddReport::Outcome::Merged;
        } else {
            if (store.count() >= SubtitleStore::kCapacity)
                return storeFull();
            Subtitle sub;
            sub.lines = boundedLines(added.lines, report.warning);
            for (int j = 0; j < sub.lineCount(); ++j)
                sub.lineColours[size_t(j)] = context.recognisedLineColours[size_t(j)];
            store.subs.push_back(std::move(sub));
            report.outcome = AddReport::Outcome::Added;
        }
    } else {
        if (added.suppressEmpty)
            return report;
        if (store.count() >= SubtitleStore::kCapacity)
            return storeFull();
        const SkippedItemAsker::Answer answer = asker.askSkippedItem();
        if (answer.suppress)
            return report;
        // Placeholder lines take the first colour of the first subtitle, the usual text colour of the run.
        const uint32_t colour = store.isEmpty() ? 0 : store.at(1).lineColours[0];
        Subtitle sub;
        if (!answer.text.isEmpty() && !answer.text.first().isEmpty())
            sub.lines = boundedLines(answer.text, report.warning);
        else
            sub.lines = QStringList{QStringLiteral("[ Skipped item nr. %1 ]").arg(store.count() + 1)};
        sub.lineColours.fill(0);
        for (int j = 0; j < sub.lineCount(); ++j)
            sub.lineColours[size_t(j)] = colour;
        store.subs.push_back(std::move(sub));
        report.outcome = AddReport::Outcome::Added;
    }

    Subtitle &target = store.subs.back();
    target.start = start;
    target.stop = added.stop;
    target.rect = added.rect;
    target.colourWord = added.colourWord;
    target.contrastWord = added.contrastWord;
    report.index = store.count();
    return report;
}

} // namespace glyfex::subtitles
