// The reading pass over one VOB (or VobSub .sub) file: sectors, clock and cell times, subpicture units, map and progress.
#include "ripping/vob_pass.h"

#include <QFileInfo>
#include <QLocale>

#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <cstring>

namespace glyfex::ripping {

using core::Error;
using core::makeError;
using core::TimeCode;

namespace {

// Sequential reading fetches this many sectors per read. Along a map or an index one read fetches the
// wanted sector and the wanted sectors shortly after it, up to kJumpReadSectors.
constexpr size_t kReadAheadSectors = 512;
constexpr size_t kJumpReadSectors = 8;

// Serves the sectors of one open file from a read-ahead buffer, reading with pread so that a jump
// costs one call.
class SectorSource {
public:
    SectorSource(QFile &file, std::vector<uint8_t> &buffer) : m_file(file), m_buffer(buffer)
    {
        m_buffer.resize(kReadAheadSectors * kSectorSize);
    }

    // Up to one sector at pos: shorter at the end of the file, empty past it; an error when reading
    // fails. When pos is not in the buffer, readBytes (at least one sector) are read from pos on.
    core::Result<std::span<const uint8_t>> at(int64_t pos, size_t readBytes)
    {
        const bool buffered = pos >= m_start && pos - m_start < int64_t(m_length)
                           && (pos - m_start + int64_t(kSectorSize) <= int64_t(m_length) || m_atEnd);
        if (!buffered) {
            if (auto refilled = refill(pos, std::clamp(readBytes, kSectorSize, m_buffer.size())); !refilled)
                return refilled.error();
        }
        const size_t from = size_t(pos - m_start);
        if (from >= m_length)
            return std::span<const uint8_t>();
        return std::span<const uint8_t>(m_buffer.data() + from, std::min(kSectorSize, m_length - from));
    }

private:
    core::Result<void> refill(int64_t pos, size_t size)
    {
        m_start = pos;
        m_length = 0;
        m_atEnd = false;
        const int fd = m_file.handle();
        while (m_length < size) {
            const ssize_t got = ::pread(fd, m_buffer.data() + m_length, size - m_length, off_t(pos + int64_t(m_length)));
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                return makeError(QStringLiteral("Cannot read the file"),
                                 QStringLiteral("%1, byte %2").arg(m_file.fileName()).arg(pos + int64_t(m_length)),
                                 QString::fromLocal8Bit(std::strerror(errno)));
            }
            if (got == 0) {
                m_atEnd = true;
                break;
            }
            m_length += size_t(got);
        }
        return {};
    }

    QFile &m_file;
    std::vector<uint8_t> &m_buffer;
    int64_t m_start = 0; // with m_length 0 nothing is buffered; pos - m_start never overflows
    size_t m_length = 0;
    bool m_atEnd = false;
};

// Bytes to read from the map's first line on: up to the last of the following wanted lines that lie
// within kJumpReadSectors, so that close sectors come with one read.
size_t mapReadBytes(const SubtitleMap &map, uint8_t streamId)
{
    const auto &lines = map.lines();
    if (lines.empty())
        return kSectorSize;
    const uint32_t first = lines.front().sector;
    uint32_t last = first;
    for (const MapLine &l : lines) {
        if (l.sector - first >= kJumpReadSectors)
            break;
        if (l.type == kMapNavigation || l.type == kMapClockSector || l.type == streamId)
            last = l.sector;
    }
    return size_t(last - first + 1) * kSectorSize;
}

TimeCode ptsTime(const TimeCode &base, int32_t pts)
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

TimeCode VobPass::startOffsetFromScr(const TimeCode &startTime, int32_t scr)
{
    const int32_t start = core::millisecondsToPts(int32_t(core::timeCodeToMilliseconds(startTime)));
    if (scr < start)
        return core::millisecondsToTimeCode((int64_t(start) - int64_t(scr)) / 90);
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
    auto loaded = SubtitleMap::load(SubtitleMap::pathFor(path), fileSize);
    if (loaded && !loaded->isEmpty()) {
        m_run.map = std::move(*loaded);
        m_run.mapUse = MapUse::Following;
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

void VobPass::updateClock(int32_t scr, uint32_t sector)
{
    ClockState &c = m_run.clock;
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
        c.prevScr = int32_t(uint32_t(c.prevScr) + c.scrDelta);
        c.timeBase = core::addTimeCodes(c.timeBase, core::millisecondsToTimeCode(c.prevScr / 90));
    } else if (scr >= c.prevScr) {
        c.scrDelta = uint16_t(uint32_t(scr) - uint32_t(c.prevScr));
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
    if (info.fault != PacketFault::None || (first && info.payloadLength < 2)) {
        // The packet's bytes cannot be trusted, so neither can the unit it belongs to.
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
        m_unitTime = ptsTime(m_run.clock.timeBase, int32_t(info.pts));
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

PassOutcome VobPass::readCurrentFile()
{
    PassOutcome outcome;
    if (m_run.finished())
        return outcome;
    const QString path = m_run.vobList[m_run.currentFile];
    m_beforeFile = 0;
    for (int i = 0; i < m_run.currentFile && i < int(m_run.vobSizes.size()); ++i)
        m_beforeFile += m_run.vobSizes[size_t(i)];

    QFile file(path);
    if (!file.exists()) {
        outcome.end = PassEnd::Missing;
        outcome.error = makeError(QStringLiteral("The file does not exist; it is skipped"), path);
        finishFile(outcome);
        return outcome;
    }
    ProcessingGuard processing(m_run.processing);
    if (m_run.resumePos == 0)
        m_run.spuCount = 0;
    m_fill = 0;
    if (m_run.resumePos == 0)
        m_damageWarned = false;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        return stopRun(makeError(QStringLiteral("Cannot open the file"), path, file.errorString()));
    }
    const int64_t fileSize = file.size();
    decideMap(path, fileSize);
    if (m_run.mapUse == MapUse::Following) {
        m_run.map.skipUnwanted(m_run.streamId);
        if (!m_run.map.isEmpty())
            m_run.resumePos = m_run.map.firstOffset();
    }
    const bool byIndex = m_run.useIndexOffsets && m_run.vobSubMode();
    bool indexDone = false;
    // The index's position of the next unit; none once the list is used up or when it points past the
    // file (a damaged or foreign index), where there is nothing to read.
    auto nextIndexPos = [&]() -> std::optional<int64_t> {
        if (m_run.spuCount >= m_run.vobSubUnits.size())
            return std::nullopt;
        const int64_t at = m_run.vobSubUnits[m_run.spuCount].filePos;
        return at < fileSize ? std::optional<int64_t>(at) : std::nullopt;
    };
    if (byIndex) {
        if (const auto at = nextIndexPos())
            m_run.resumePos = *at;
        else
            indexDone = true;
    }

    SectorSource source(file, m_chunk);
    const int64_t progressStep = std::max(m_run.totalBytes, fileSize) / 200;
    const bool following = m_run.mapUse == MapUse::Following;
    const bool building = m_run.mapUse == MapUse::Building;
    int64_t pos = m_run.resumePos;
    bool reachedEnd = indexDone || (following && m_run.map.isEmpty());

    while (!reachedEnd) {
        const size_t readBytes = following ? mapReadBytes(m_run.map, m_run.streamId)
                               : byIndex     ? kSectorSize
                                             : kReadAheadSectors * kSectorSize;
        auto read = source.at(pos, readBytes);
        if (!read)
            return stopRun(read.error());
        const std::span<const uint8_t> sector = *read;
        if (sector.empty())
            break;
        const int64_t end = pos + int64_t(sector.size());
        const uint32_t n = uint32_t(pos / int64_t(kSectorSize));

        if (m_run.lastProgressPos + progressStep < end) {
            m_run.lastProgressPos = end;
            updateProgress(end);
        }
        const SectorInfo info = parseSector(sector);
        if (!info.packHeader && !m_run.ignoreBadPackets) {
            const core::Answer a = m_host.askBadPack(n);
            if (a == core::Answer::No) {
                outcome.end = PassEnd::Refused;
                finishFile(outcome);
                return outcome;
            }
            if (a == core::Answer::YesToAll)
                m_run.ignoreBadPackets = true;
        }
        // The clock as it was before the sector that begins a unit: a dialog that pauses inside the
        // unit has it read again from that sector, and the clock steps in between must not count twice.
        if (m_fill == 0 && info.kind == SectorKind::PrivateStream1 && info.hasSubstreamId
            && info.substreamId == m_run.streamId)
            m_run.unitStartClock = m_run.clock;
        updateClock(int32_t(info.scr), n);

        bool completed = false;
        if (info.kind == SectorKind::Navigation) {
            if (building)
                m_run.map.noteNavigation(n);
            if (info.hasCellTime)
                readNavigation(info);
        } else if (info.kind == SectorKind::PrivateStream1 && info.hasSubstreamId) {
            if (building)
                m_run.map.noteSubstream(info.substreamId, n);
            if (info.substreamId == m_run.streamId) {
                const Gathered g = gatherPacket(sector, info, pos);
                if (g.error)
                    return stopRun(*g.error);
                if (g.completed) {
                    completed = true;
                    updateProgress(end);
                    m_run.lastProgressPos = end;
                }
            }
        }
        // The last two sectors always end the map with clock lines. This comes before the pause
        // check so that a pass paused there still leaves the same map as one that was not.
        if (building && end >= fileSize - int64_t(kSectorSize))
            m_run.map.noteLastSector(n);

        if (m_run.paused && m_fill == 0) {
            if (m_run.pausedByMainButton) {
                if (following)
                    m_run.map.dropFirst();
                m_run.resumePos = end;
            } else if (m_run.resumePos == m_run.spuSectorPos) {
                // The dialog has the unit read again: the clock goes back to where it was before it.
                m_run.clock = m_run.unitStartClock;
            } else {
                m_run.clock.prevScr = 0;
            }
            outcome.end = PassEnd::Paused;
            return outcome;
        }

        pos = end;
        if (following) {
            m_run.map.dropFirst();
            m_run.map.skipUnwanted(m_run.streamId);
            if (m_run.map.isEmpty())
                break;
            pos = m_run.map.firstOffset();
        }
        if (byIndex && completed) {
            const auto at = nextIndexPos();
            if (!at)
                break;
            pos = *at;
        }
    }

    if (building && !m_run.map.isEmpty()) {
        if (auto saved = m_run.map.save(SubtitleMap::pathFor(path)); !saved)
            m_host.warn(saved.error().message());
    }
    if (m_run.totalBytes > 0)
        updateProgress(pos);
    outcome.end = PassEnd::FileDone;
    finishFile(outcome);
    return outcome;
}

} // namespace glyfex::ripping
