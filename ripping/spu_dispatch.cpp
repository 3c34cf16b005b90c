// What happens to each complete subpicture unit: decoding, the forced filter, its times, and the run's action.
#include "ripping/spu_dispatch.h"

#include "core/save_file.h"
#include "ripping/spu_decoder.h"

#include <QFileInfo>

#include <algorithm>

namespace glyfex::ripping {

using core::makeError;
using core::Result;
using core::TimeCode;

namespace {

TimeCode plusMs(const TimeCode &t, int64_t ms)
{
    return core::addTimeCodes(t, core::millisecondsToTimeCode(ms));
}

// Whether some pixel of the picture is drawn: a code that is not fully transparent.
bool showsAnything(const picture::DecodedPicture &picture)
{
    return std::any_of(picture.codes.bytes.begin(), picture.codes.bytes.end(),
                       [&picture](uint8_t code) { return code < 4 && picture.contrastMap[code] != 0; });
}

bool stopsTheDisplay(const picture::DecodedPicture &p)
{
    return p.sequences.size() >= 2 && p.sequences.back().state == picture::SpuControlSequence::DisplayStop;
}

} // namespace

void PlainExport::render(const picture::DecodedPicture &picture, const std::array<uint32_t, 16> &dvdPalette, picture::ExportedPicture &out)
{
    out = picture::ExportedPicture();
    out.width = picture.codes.width;
    out.height = picture.codes.height;
    out.pixels.resize(picture.codes.bytes.size());
    for (size_t i = 0; i < out.pixels.size(); ++i)
        out.pixels[i] = picture.colourMap[picture.codes.bytes[i] & 3];
    out.palette.assign(dvdPalette.begin(), dvdPalette.end());
    out.rect = picture.first().area();
}

picture::DisplayTimes spuTimes(const picture::DecodedPicture &picture, const TimeCode &spuTime, const TimeCode *indexTime)
{
    picture::DisplayTimes t;
    t.start = indexTime ? *indexTime : plusMs(spuTime, picture.first().delayMs);
    if (stopsTheDisplay(picture))
        t.stop = plusMs(indexTime ? t.start : spuTime, picture.sequences.back().delayMs);
    return t;
}

bool isSpuLongEnough(const picture::DecodedPicture &picture, int minDurationMs)
{
    const bool starts = picture.first().state == picture::SpuControlSequence::DisplayStart;
    if (!stopsTheDisplay(picture))
        return starts;
    return starts && int64_t(minDurationMs) + int64_t(picture.first().delayMs) <= int64_t(picture.sequences.back().delayMs);
}

QString pictureFileName(const QString &base, subtitles::OutputFormat outputFormat, int number, const QString &extension)
{
    if (outputFormat == subtitles::OutputFormat::SonicScenarist) // pictures named B.n.bmp
        return base + QLatin1Char('.') + QString::number(number) + QLatin1Char('.') + extension;
    return base + QStringLiteral("%1").arg(number, 5, 10, QLatin1Char('0')) + QLatin1Char('.') + extension;
}

int countOverlappingTimes(std::span<const TimeRange> subtitles)
{
    int count = 0;
    for (size_t i = 0; i + 1 < subtitles.size(); ++i)
        if (core::timeCodeToMilliseconds(subtitles[i].stop) > core::timeCodeToMilliseconds(subtitles[i + 1].start))
            ++count;
    return count;
}

void closeLastSubtitle(picture::SubtitleSink &subtitles, int maxDurationMs)
{
    if (subtitles.count() > 0 && core::timeCodeToMilliseconds(subtitles.lastStop()) == 0)
        subtitles.setLastStop(plusMs(subtitles.lastStart(), maxDurationMs));
}

SpuDispatcher::SpuDispatcher(const DispatchOptions &options, RunState &run, picture::SubtitleSink &subtitles,
                             picture::PictureSink &recognition, picture::ExportRenderer &exporter, DispatchHost &host)
    : m_options(options), m_run(run), m_subtitles(subtitles), m_recognition(recognition), m_exporter(exporter), m_host(host)
{
}

picture::DisplayTimes SpuDispatcher::computeTimes(const SpuUnit &unit)
{
    const TimeCode *indexTime = nullptr;
    if (m_run.vobSubMode()) {
        // The index's entry of this unit: entries that pointed at no readable unit were passed over.
        const size_t entry = size_t(unit.numberInFile) + m_run.indexSkipped;
        if (unit.numberInFile >= 1 && entry <= m_run.vobSubUnits.size()) {
            indexTime = &m_run.vobSubUnits[entry - 1].start;
        } else if (!m_run.vobSubTimesWarned) {
            // The index lists fewer units than the file holds: the rest keep the time of their packets.
            m_run.vobSubTimesWarned = true;
            m_host.warn(QStringLiteral("The VobSub index lists %1 subtitles, the file holds more; from subtitle %2 on the "
                                       "times come from the subtitle file itself.")
                            .arg(m_run.vobSubUnits.size())
                            .arg(unit.numberInFile));
        }
    }
    const picture::DisplayTimes t = spuTimes(m_picture, unit.time, indexTime);
    // A subtitle that got no stop time of its own ends where this one starts.
    if (m_subtitles.count() > 0 && core::timeCodeToMilliseconds(m_subtitles.lastStop()) == 0)
        m_subtitles.setLastStop(t.start);
    return t;
}

void SpuDispatcher::countSkipped()
{
    if (m_run.skippedCount < 0xFFFF)
        m_run.skippedCount += 1;
    m_host.skippedCounted();
}

int SpuDispatcher::nextPictureNumber() const
{
    // With timing the number is the one of the subtitle the picture becomes, which the authoring
    // scripts name it by. Without timing no subtitle is added, so the pictures are counted instead
    // (one number for all would write every picture over the one before).
    return m_options.withTiming ? m_subtitles.count() + 1 : int(m_run.picturesSaved) + 1;
}

Result<void> SpuDispatcher::addPictureSubtitle(const SpuUnit &unit, const QString &file, const picture::Rect &rect)
{
    const picture::DisplayTimes t = computeTimes(unit);
    const QString line = m_options.outputFormat == subtitles::OutputFormat::PinnacleImpression ? file : QFileInfo(file).fileName();
    return m_subtitles.addPictureSubtitle(line, t, rect, m_picture.first().colour, m_picture.first().contrast);
}

bool SpuDispatcher::renderExport()
{
    m_exporter.render(m_picture, m_options.dvdPalette, m_exported);
    if (m_exported.empty()) {
        // Nothing to save: skipping it keeps the previous picture from being written under this name.
        m_host.warn(QStringLiteral("Subtitle picture %1 is not exported: %2").arg(m_run.spuCountTotal).arg(m_exported.problem));
        return false;
    }
    if (!m_exported.problem.isEmpty() && !m_exportWarned) {
        m_exportWarned = true;
        m_host.warn(m_exported.problem);
    }
    return true;
}

Result<void> SpuDispatcher::saveBitmap(const SpuUnit &unit)
{
    const QString file = pictureFileName(m_options.pictureBase, m_options.outputFormat, nextPictureNumber(), QStringLiteral("bmp"));
    // The file first: a subtitle is only added for a picture that exists. A run writes a picture per
    // subtitle, so they are not synced one by one (see core::SaveSync).
    if (auto written = core::writeBitmapFile(file, m_exported.indexed(), {m_exported.compress, core::SaveSync::Unsynced});
        !written)
        return written;
    m_run.picturesSaved += 1;
    if (m_options.withTiming)
        return addPictureSubtitle(unit, file, m_exported.rect);
    return {};
}

Result<void> SpuDispatcher::saveRaw(const SpuUnit &unit, bool decoded, bool show)
{
    const QString file = pictureFileName(m_options.pictureBase, m_options.outputFormat, nextPictureNumber(), QStringLiteral("sup"));
    const QByteArrayView bytes(reinterpret_cast<const char *>(unit.bytes.data()), qsizetype(unit.bytes.size()));
    if (auto written = core::saveFile(file, bytes, QStringLiteral("Cannot write the subpicture file"), core::SaveSync::Unsynced);
        !written)
        return written;
    m_run.picturesSaved += 1;
    if (show || m_options.withTiming) {
        // The unit was decoded already when the forced filter needed it; once is enough.
        if (!decoded)
            decodeSubpicture(unit.bytes, m_run.frameWidth, m_run.frameHeight, m_picture);
        if (m_options.withTiming)
            if (auto added = addPictureSubtitle(unit, file, m_picture.first().area()); !added)
                return added;
        if (show)
            m_host.showPicture(m_picture, nullptr);
    }
    return {};
}

Result<void> SpuDispatcher::handleUnit(const SpuUnit &unit)
{
    const picture::ActionMode action = m_options.action;
    const bool decode = action != picture::ActionMode::SaveRawSubpictures || m_options.forcedOnly;
    const bool whole = !decode || decodeSubpicture(unit.bytes, m_run.frameWidth, m_run.frameHeight, m_picture);
    m_host.unitCounted();
    if (!whole && !showsAnything(m_picture)) {
        // Nothing of it can be shown: its subtitle is lost, and the run says how many were after it.
        m_run.damagedUnits += 1;
        return {};
    }
    if (m_options.forcedOnly && !m_picture.forced)
        return {}; // neither used nor counted as skipped

    switch (action) {
    case picture::ActionMode::RecogniseText:
    case picture::ActionMode::ImageSequence: // the other sources' actions also recognise their pictures
    case picture::ActionMode::VideoFile: {
        const picture::DisplayTimes t = computeTimes(unit);
        if (!isSpuLongEnough(m_picture, m_options.minDurationMs)) {
            countSkipped();
            return {};
        }
        return m_recognition.recognise(m_picture, t, m_picture.first().area());
    }
    case picture::ActionMode::SaveBitmaps:
        if (!isSpuLongEnough(m_picture, m_options.minDurationMs)) {
            countSkipped();
            return {};
        }
        // A skipped picture gets no file and no subtitle, and is not counted as too short.
        if (!m_host.adjustBeforeExport())
            return {};
        if (!renderExport())
            return {};
        if (m_options.showPictures)
            m_host.showPicture(m_picture, &m_exported);
        return saveBitmap(unit);
    case picture::ActionMode::SaveRawSubpictures:
        return saveRaw(unit, decode, m_options.showPictures);
    case picture::ActionMode::OnlyShow: {
        if (!isSpuLongEnough(m_picture, m_options.minDurationMs))
            return {}; // passed over without counting
        // Only showing saves nothing by itself, so skipping in the dialog changes nothing here.
        (void)m_host.adjustBeforeExport();
        if (!renderExport())
            return {};
        m_host.showPicture(m_picture, &m_exported);
        switch (m_host.askStep()) {
        case StepChoice::SaveBitmap:
            return saveBitmap(unit);
        case StepChoice::SaveRawSubpicture:
            return saveRaw(unit, true, false); // shown already
        case StepChoice::Next:
            return {};
        }
        return {};
    }
    }
    return {};
}

} // namespace glyfex::ripping
