// The reading pass over one VOB (or VobSub .sub) file: sectors, clock and cell times, subpicture units, map and progress.
#include "ripping/vob_pass.h"

#include "core/file_read.h"

#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cstring>

namespace glyfex::ripping {

using core::Error;
using core::makeError;
using core::TimeCode;

namespace {

TimeCode ptsTime(const TimeCode &base, int64_t pts)
{
    return core::addTimeCodes(base, core::millisecondsToTimeCode(core::ptsToMilliseconds(pts)));
}

// Clears the processing flag however the pass leaves.
struct ProcessingGuard {
    explicit ProcessingGuard(bool &flag) : m_flag(flag) { m_flag = true; }
    ~ProcessingGuard() { m_flag = false; }
    bool &m_flag;
};

} // namespace

void reloadMapForResume(RunState &run)
{
    if (!run.useMap || run.mapUse != MapUse::Following || run.finished())
        return;
    const QString path = run.vobList[run.currentFile];
    auto loaded = SubtitleMap::load(SubtitleMap::pathFor(path), QFileInfo(path).size());
    if (!loaded || loaded->isEmpty()) {
        run.map.clear();
        run.mapUse = MapUse::Off;
        return;
    }
    run.map = std::move(*loaded);
    run.map.dropBefore(run.resumePos);
}

VobPass::VobPass(RunState &run, VobPassHost &host, UnitHandler &handler)
    : m_run(run), m_host(host), m_handler(handler), m_unit(kMaxUnitSize)
{
}

TimeCode VobPass::startOffsetFromScr(const TimeCode &startTime, int64_t scr)
{
    const int64_t start = core::millisecondsToPts(core::timeCodeToMilliseconds(startTime));
    if (scr < start)
        return core::millisecondsToTimeCode((start - scr) / 90);
    return TimeCode{};
}

void VobPass::finishFile(PassOutcome &outcome)
{
    m_run.processing = false;
    m_run.resumePos = 0;
    m_run.spuSectorPos = 0;
    m_run.currentFile += 1;
    m_run.clock.detectStandard = true;
    m_run.map.clear();
    m_run.mapUse = MapUse::Undecided;
    m_run.lastProgressPos = 0;
    outcome.runFinished = m_run.finished();
}

void VobPass::decideMap(const QString &path, int64_t fileSize)
{
    if (m_run.mapUse != MapUse::Undecided)
        return;
    // A .sub read by its index positions jumps over most sectors, so a map built then would be
    // incomplete, and the index already is the list of sectors to read.
    if (!m_run.useMap || (m_run.useIndexOffsets && m_run.vobSubMode())) {
        m_run.mapUse = MapUse::Off;
        return;
    }
    m_run.map.clear();
    const QString mapPath = SubtitleMap::pathFor(path);
    auto loaded = SubtitleMap::load(mapPath, fileSize);
    if (loaded && !loaded->isEmpty()) {
        m_run.map = std::move(*loaded);
        m_run.mapUse = MapUse::Following;
    } else if (!loaded && QFileInfo::exists(mapPath) && !QFileInfo(mapPath).isFile()) {
        // A device or pipe under the map's name is nobody's cache: the file is read in full, and nothing is
        // written into it at the end.
        m_host.warn(loaded.error().message() + QStringLiteral(". The file is read in full, without a map."));
        m_run.mapUse = MapUse::Off;
    } else {
        // Missing, empty, damaged or outdated: the map is only a cache, so the file is read in full
        // and a new map is written over the old one at its end.
        m_run.mapUse = MapUse::Building;
    }
}

void VobPass::updateProgress(int64_t filePos)
{
    m_host.progress(m_beforeFile + filePos, m_run.totalBytes);
    // A cancel is taken as a pause: the run can go on, or a new Start abandons it.
    const core::PumpResult r = m_host.pump();
    if (r != core::PumpResult::Continue && !m_run.paused) {
        m_run.paused = true;
        m_run.pausedByMainButton = true;
    }
}

void VobPass::setVideoStandard(uint8_t frameByte)
{
    const bool ntsc = frameByte >= 0xC0;
    m_run.clock.standard = ntsc ? core::VideoStandard::ntsc() : core::VideoStandard::pal();
    m_run.frameWidth = 720;
    m_run.frameHeight = ntsc ? 480 : 576;
    m_run.clock.detectStandard = false;
    m_host.videoStandardChanged(m_run.clock.standard, m_run.frameWidth, m_run.frameHeight);
}

void VobPass::updateClock(const SectorInfo &info, uint32_t sector)
{
    ClockState &c = m_run.clock;
    // A new disc counts its clock's wraps from its own first pack.
    if (c.firstPack)
        c.scrClock = ScrClock();
    // A clock of 0 keeps its meaning below; the bytes of a sector without a pack header are no clock to
    // count wraps by, so they take the wraps counted so far.
    const int64_t scr = info.scr == 0 ? 0
                      : info.packHeader ? c.scrClock.count(info.scr)
                                        : int64_t(info.scr) + c.scrClock.wraps * kClockWrap;
    c.curScr = scr;
    if (c.firstPack) {
        c.timeBase = startOffsetFromScr(c.startTime, scr);
        c.prevScr = 0;
        c.scrDelta = 0;
        c.firstPack = false;
    }
    // A falling clock (a spliced VOB), or a clock of 0 (also a zero-filled sector where a ripping tool
    // could not read), moves the time base: the sector and the two before it are kept in the map, so
    // that a pass along the map sees the same steps and keeps the same time base.
    if (m_run.mapUse == MapUse::Building && (scr < c.prevScr || scr == 0))
        m_run.map.noteClockBreak(sector);
    if (scr == 0 || (m_run.avoidTimeRestart && scr < c.prevScr)) {
        c.prevScr += c.scrDelta;
        c.timeBase = core::addTimeCodes(c.timeBase, core::millisecondsToTimeCode(c.prevScr / 90));
    } else if (scr >= c.prevScr) {
        c.scrDelta = uint16_t(uint64_t(scr - c.prevScr));
    }
    c.prevScr = scr;
}

void VobPass::readNavigation(const SectorInfo &info)
{
    ClockState &c = m_run.clock;
    if (c.detectStandard)
        setVideoStandard(info.cellTime.frame);
    c.prevCellTime = c.cellTime;
    c.cellTime = core::decodeBcdTimeCode(info.cellTime.hour, info.cellTime.minute, info.cellTime.second,
                                         info.cellTime.frame, c.standard);
    if (core::timeCodeLess(c.cellTime, c.prevCellTime)) {
        // A new cell began: it starts one frame step after the running time of the last pack.
        c.cellBase = core::addTimeCodeFrames(c.runningTime, TimeCode{0, 0, 0, c.frameStep}, c.standard);
        c.cellCount += 1;
    } else if (c.cellTime.second == c.prevCellTime.second) {
        c.frameStep = uint8_t(c.cellTime.fraction - c.prevCellTime.fraction);
    }
    c.runningTime = core::addTimeCodeFrames(c.cellBase, c.cellTime, c.standard);
}

VobPass::Gathered VobPass::gatherPacket(std::span<const uint8_t> sector, const SectorInfo &info, int64_t pos)
{
    Gathered g;
    const bool first = m_fill == 0;
    // The rest of a unit lost to a damaged packet carries no time of its own; a packet with one
    // begins the next unit.
    if (m_droppingUnit && first && !info.ptsFlagged && info.fault == PacketFault::None)
        return g;
    m_droppingUnit = false;
    const auto announced = [&] {
        const auto head = sector.subspan(info.payloadStart, 2);
        return size_t(head[0]) << 8 | head[1];
    };
    // A unit too small for its own 4-byte header has no size to gather by: its packets are lost.
    if (info.fault != PacketFault::None || (first && (info.payloadLength < 2 || announced() < 4))) {
        // The packet's bytes cannot be trusted, so neither can the unit it belongs to.
        m_run.damagedUnits += 1;
        m_droppingUnit = true;
        if (!m_damageWarned) {
            m_damageWarned = true;
            m_host.warn(QStringLiteral("Damaged subpicture packet at sector %1 of %2: its subtitle is skipped.")
                            .arg(pos / int64_t(kSectorSize))
                            .arg(QFileInfo(m_run.vobList[m_run.currentFile]).fileName()));
        }
        m_fill = 0;
        return g;
    }
    const auto payload = sector.subspan(info.payloadStart, info.payloadLength);
    if (first) {
        m_expected = size_t(payload[0]) << 8 | payload[1];
        m_run.spuSectorPos = pos;
        m_unitTime = ptsTime(m_run.clock.timeBase, ptsNearScr(info.pts, m_run.clock.curScr));
    }
    // A damaged size or a missing end would carry the unit past the buffer: the excess is dropped.
    const size_t room = kMaxUnitSize - m_fill;
    const size_t take = std::min(room, payload.size());
    std::memcpy(m_unit.data() + m_fill, payload.data(), take);
    m_fill += take;
    if (!(info.paddingFollows || m_fill >= m_expected || m_fill == kMaxUnitSize))
        return g;

    m_run.spuCount += 1;
    m_run.spuCountTotal += 1;
    SpuUnit unit{std::span<const uint8_t>(m_unit.data(), m_fill), m_unitTime, m_run.spuSectorPos, m_run.spuCount};
    m_fill = 0;
    g.completed = true;
    if (auto handled = m_handler.handleUnit(unit); !handled)
        g.error = handled.error();
    return g;
}

PassOutcome VobPass::stopRun(const core::Error &error)
{
    // A read or write error ends the run: going on would skip subtitles without a word.
    PassOutcome outcome;
    outcome.end = PassEnd::Failed;
    outcome.error = error;
    finishFile(outcome);
    m_run.stopped = true;
    return outcome;
}

CursorMode VobPass::cursorMode() const
{
    if (m_run.mapUse == MapUse::Following)
        return CursorMode::AlongMap;
    if (m_run.useIndexOffsets && m_run.vobSubMode())
        return CursorMode::ByIndex;
    return CursorMode::Sequential;
}

void VobPass::beginFile()
{
    m_beforeFile = 0;
    for (int i = 0; i < m_run.currentFile && i < int(m_run.vobSizes.size()); ++i)
        m_beforeFile += m_run.vobSizes[size_t(i)];
    // A pass that resumes in the middle of the file goes on counting its units and keeps its warning.
    if (m_run.resumePos == 0) {
        m_run.spuCount = 0;
        m_run.indexSkipped = 0;
        m_damageWarned = false;
        m_indexWarned = {};
    }
    m_fill = 0;
    m_droppingUnit = false;
}

VobPass::SectorStep VobPass::readSector(std::span<const uint8_t> sector, int64_t pos, int64_t fileSize)
{
    SectorStep step = SectorStep::Read;
    const int64_t end = pos + int64_t(sector.size());
    const uint32_t n = uint32_t(pos / int64_t(kSectorSize));
    const bool building = m_run.mapUse == MapUse::Building;

    const SectorInfo info = parseSector(sector);
    if (!info.packHeader && !m_run.ignoreBadPackets) {
        const core::Answer a = m_host.askBadPack(n);
        if (a == core::Answer::No)
            return SectorStep::Refused;
        if (a == core::Answer::YesToAll)
            m_run.ignoreBadPackets = true;
    }
    // The clock as it was before the sector that begins a unit: a dialog that pauses inside the
    // unit has it read again from that sector, and the clock steps in between must not count twice.
    if (m_fill == 0 && info.kind == SectorKind::PrivateStream1 && info.hasSubstreamId
        && info.substreamId == m_run.streamId)
        m_run.unitStartClock = m_run.clock;
    updateClock(info, n);

    if (info.kind == SectorKind::Navigation) {
        if (building)
            m_run.map.noteNavigation(n);
        if (info.hasCellTime)
            readNavigation(info);
    } else if (info.kind == SectorKind::PrivateStream1 && info.hasSubstreamId) {
        if (building)
            m_run.map.noteSubstream(info.substreamId, n);
        if (info.substreamId == m_run.streamId) {
            Gathered g = gatherPacket(sector, info, pos);
            if (g.error) {
                m_failure = std::move(g.error);
                return SectorStep::Failed;
            }
            if (g.completed) {
                step = SectorStep::UnitCompleted;
                updateProgress(end);
                m_run.lastProgressPos = end;
            }
        }
    }
    // The last two sectors always end the map with clock lines. This comes before the pause
    // check so that a pass paused there still leaves the same map as one that was not.
    if (building && end >= fileSize - int64_t(kSectorSize))
        m_run.map.noteLastSector(n);
    return step;
}

PassOutcome VobPass::pauseAfter(SectorCursor &cursor, int64_t end)
{
    if (m_run.pausedByMainButton) {
        cursor.leaveAfter(end);
    } else if (m_run.resumePos == m_run.spuSectorPos) {
        // The dialog has the unit read again: the clock goes back to where it was before it.
        m_run.clock = m_run.unitStartClock;
    } else {
        m_run.clock.prevScr = 0;
    }
    PassOutcome outcome;
    outcome.end = PassEnd::Paused;
    return outcome;
}

PassOutcome VobPass::endFile(PassEnd end, const QString &path, int64_t pos)
{
    PassOutcome outcome;
    if (end == PassEnd::FileDone) {
        if (m_fill > 0) {
            // The file ended before the unit under way was whole: it cannot be shown, but the user
            // should know a subtitle is missing there.
            m_host.warn(QStringLiteral("Subpicture unit at sector %1 of %2 is cut off by the end of the file: its subtitle is skipped.")
                            .arg(m_run.spuSectorPos / int64_t(kSectorSize))
                            .arg(QFileInfo(path).fileName()));
            m_run.damagedUnits += 1;
            m_fill = 0;
        }
        if (m_run.mapUse == MapUse::Building && !m_run.map.isEmpty()) {
            if (auto saved = m_run.map.save(SubtitleMap::pathFor(path)); !saved)
                m_host.warn(saved.error().message());
        }
        if (m_run.totalBytes > 0)
            updateProgress(pos);
    }
    outcome.end = end;
    finishFile(outcome);
    return outcome;
}

// A packet of the chosen stream that carries no PTS continues a unit: an index entry that points there
// names no unit's start.
bool VobPass::beginsInsideUnit(std::span<const uint8_t> sector) const
{
    const SectorInfo info = parseSector(sector);
    return info.packetUsable() && info.substreamId == m_run.streamId && !info.ptsFlagged;
}

void VobPass::tellIndexNotes(SectorCursor &cursor)
{
    if (!cursor.hasNotes())
        return;
    const QString index = QFileInfo(m_run.idxFileName).fileName();
    const QString sub = QFileInfo(m_run.vobList[m_run.currentFile]).fileName();
    for (const IndexNote &note : cursor.takeNotes()) {
        bool &warned = m_indexWarned[size_t(note.fault)];
        if (warned)
            continue;
        warned = true;
        const QString position = QStringLiteral("0x%1").arg(note.entry.filePos, 0, 16);
        QString text;
        switch (note.fault) {
        case IndexFault::PastTheEnd:
            text = QStringLiteral("Line %1 of %2 puts a subtitle at byte %3, past the end of %4: that subtitle is skipped, the others are read.")
                       .arg(note.entry.line).arg(index, position, sub);
            break;
        case IndexFault::NotOnASector:
            text = QStringLiteral("Line %1 of %2 puts a subtitle at byte %3, which is not the start of a sector of %4: it is read from the sector that byte lies in.")
                       .arg(note.entry.line).arg(index, position, sub);
            break;
        case IndexFault::InsideAUnit:
            text = QStringLiteral("Line %1 of %2 puts a subtitle at byte %3 of %4, inside a subtitle rather than at its start: that subtitle is skipped, the others are read.")
                       .arg(note.entry.line).arg(index, position, sub);
            break;
        }
        m_host.warn(text + QStringLiteral(" Other lines like it are not reported again."));
    }
}

PassOutcome VobPass::readCurrentFile()
{
    if (m_run.finished())
        return PassOutcome();
    const QString path = m_run.vobList[m_run.currentFile];
    QFile file(path);
    if (!file.exists()) {
        PassOutcome outcome;
        outcome.end = PassEnd::Missing;
        outcome.error = makeError(QStringLiteral("The file does not exist; it is skipped"), path);
        finishFile(outcome);
        return outcome;
    }
    ProcessingGuard processing(m_run.processing);
    beginFile();
    // A device or pipe in the list would be read without end or wait for a writer.
    if (auto opened = core::openPlainFile(file, QStringLiteral("Cannot open the file"), QIODevice::ReadOnly | QIODevice::Unbuffered);
        !opened)
        return stopRun(opened.error());
    const int64_t fileSize = file.size();
    decideMap(path, fileSize);

    SectorCursor cursor(file, m_chunk, m_run, cursorMode(), fileSize);
    tellIndexNotes(cursor);
    const int64_t progressStep = std::max(m_run.totalBytes, fileSize) / 200;
    while (!cursor.atEnd()) {
        auto read = cursor.sector();
        if (!read)
            return stopRun(read.error());
        if (read->empty())
            break;
        if (cursor.atIndexedUnit() && beginsInsideUnit(*read)) {
            cursor.skipIndexedUnit();
            tellIndexNotes(cursor);
            continue;
        }
        const int64_t end = cursor.pos() + int64_t(read->size());
        if (m_run.lastProgressPos + progressStep < end) {
            m_run.lastProgressPos = end;
            updateProgress(end);
        }
        const SectorStep step = readSector(*read, cursor.pos(), fileSize);
        if (step == SectorStep::Failed)
            return stopRun(*m_failure);
        if (step == SectorStep::Refused)
            return endFile(PassEnd::Refused, path, cursor.pos());
        if (m_run.paused && m_fill == 0)
            return pauseAfter(cursor, end);
        cursor.advance(end, step == SectorStep::UnitCompleted);
        tellIndexNotes(cursor);
    }
    return endFile(PassEnd::FileDone, path, cursor.pos());
}

} // namespace glyfex::ripping
