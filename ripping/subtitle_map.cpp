// The subtitle map (.gxm) of one VOB file: the sectors that matter for subtitles, built on a first pass and followed later.
#include "ripping/subtitle_map.h"

#include "core/file_read.h"
#include "core/save_file.h"
#include "ripping/sector_parser.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace glyfex::ripping {

using core::Error;
using core::makeError;
using core::Result;

QString SubtitleMap::pathFor(const QString &vobPath)
{
    const QFileInfo info(vobPath);
    const QString suffix = info.suffix();
    if (suffix.isEmpty() && !vobPath.endsWith(QLatin1Char('.')))
        return vobPath + QStringLiteral(".gxm");
    return vobPath.left(vobPath.size() - suffix.size()) + QStringLiteral("gxm");
}

int64_t SubtitleMap::lastSectorOf(int64_t fileSize)
{
    return fileSize <= 0 ? -1 : (fileSize - 1) / int64_t(kSectorSize);
}

void SubtitleMap::startAtFirstSector(uint32_t sector)
{
    if (m_lines.empty() && sector > 0)
        m_lines.push_back({kMapClockSector, 0});
}

void SubtitleMap::addIfNew(uint8_t type, uint32_t sector)
{
    startAtFirstSector(sector);
    if (m_lines.empty() || m_lines.back().sector < sector)
        m_lines.push_back({sector == 0 && type != kMapNavigation ? kMapClockSector : type, sector});
}

void SubtitleMap::noteClockBreak(uint32_t n)
{
    // A map with a line at or past n is meeting sectors again (a dialog's pause reads its unit anew):
    // the break was noted when they were first read, and noting it again would put lines out of order.
    if (!m_lines.empty() && m_lines.back().sector >= n)
        return;
    startAtFirstSector(n);
    // The sector and the two before it, as far as the file has them, replace their lines.
    const uint32_t from = n >= 2 ? n - 2 : 0;
    while (!m_lines.empty() && m_lines.back().sector >= from)
        m_lines.pop_back();
    for (uint32_t sector = from; sector <= n; ++sector)
        m_lines.push_back({kMapClockSector, sector});
}

void SubtitleMap::noteNavigation(uint32_t sector)
{
    addIfNew(kMapNavigation, sector);
}

void SubtitleMap::noteSubstream(uint8_t substreamId, uint32_t sector)
{
    if (substreamId <= kMapHighestSubstream)
        addIfNew(substreamId, sector);
}

void SubtitleMap::noteLastSector(uint32_t sector)
{
    if (!m_lines.empty() && m_lines.back().sector > sector)
        return; // read again after a pause: the line is there already
    startAtFirstSector(sector);
    if (lastIs(sector))
        m_lines.pop_back();
    m_lines.push_back({kMapClockSector, sector});
}

void SubtitleMap::skipUnwanted(uint8_t streamId)
{
    while (!m_lines.empty()) {
        const uint8_t t = m_lines.front().type;
        if (t == kMapNavigation || t == kMapClockSector || t == streamId)
            return;
        m_lines.pop_front();
    }
}

void SubtitleMap::dropFirst()
{
    if (!m_lines.empty())
        m_lines.pop_front();
}

int64_t SubtitleMap::firstOffset() const
{
    return m_lines.empty() ? -1 : int64_t(m_lines.front().sector) * int64_t(kSectorSize);
}

void SubtitleMap::dropBefore(int64_t offset)
{
    while (!m_lines.empty() && int64_t(m_lines.front().sector) * int64_t(kSectorSize) < offset)
        m_lines.pop_front();
}

QByteArray SubtitleMap::toFileBytes() const
{
    // "%.2d %.8d" and CR LF per line, as UTF-16LE after the byte-order mark; written digit by digit
    // because a map of a long film has thousands of lines.
    constexpr int kLineUnits = 13;
    QByteArray out(2 + qsizetype(m_lines.size()) * kLineUnits * 2, '\0');
    out[0] = char(0xFF);
    out[1] = char(0xFE);
    char *at = out.data() + 2;
    auto put = [&at](char c) {
        at[0] = c;
        at[1] = 0;
        at += 2;
    };
    for (const MapLine &line : m_lines) {
        put(char('0' + line.type / 10 % 10));
        put(char('0' + line.type % 10));
        put(' ');
        uint32_t divisor = 10000000;
        for (int i = 0; i < 8; ++i, divisor /= 10)
            put(char('0' + line.sector / divisor % 10));
        put('\r');
        put('\n');
    }
    return out;
}

namespace {

// The text of a map file by its byte-order mark: UTF-16LE as written, UTF-16BE or UTF-8 as other string
// lists save it, and plain 8-bit text without a mark.
QString decodeText(std::span<const uint8_t> bytes)
{
    const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    if (raw.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(raw.mid(2));
    if (raw.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(raw.mid(2));
    if (raw.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(raw.mid(3));
    return QString::fromLatin1(raw);
}

bool allDigits(QStringView s)
{
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return !s.isEmpty();
}

uint32_t digitsValue(QStringView s)
{
    uint32_t v = 0;
    for (QChar c : s)
        v = v * 10 + uint32_t(c.unicode() - '0');
    return v;
}

} // namespace

Result<SubtitleMap> SubtitleMap::fromFileBytes(std::span<const uint8_t> bytes, const QString &where)
{
    const QString text = decodeText(bytes);
    const QStringView all(text);
    SubtitleMap map;
    qsizetype at = 0;
    for (int lineNumber = 1; at < all.size(); ++lineNumber) {
        qsizetype end = all.indexOf(QLatin1Char('\n'), at);
        if (end < 0)
            end = all.size();
        QStringView row = all.sliced(at, end - at);
        at = end + 1;
        if (row.endsWith(QLatin1Char('\r')))
            row.chop(1);
        auto damaged = [&](const QString &why) {
            return makeError(QStringLiteral("Damaged subtitle map"), QStringLiteral("%1, line %2").arg(where).arg(lineNumber), why);
        };
        if (row.size() != 11 || row[2] != QLatin1Char(' ') || !allDigits(row.first(2)) || !allDigits(row.sliced(3)))
            return damaged(QStringLiteral("expected a two-digit type, a blank and an eight-digit sector number"));
        const MapLine line{uint8_t(digitsValue(row.first(2))), digitsValue(row.sliced(3))};
        if (!map.m_lines.empty() && line.sector <= map.m_lines.back().sector)
            return damaged(QStringLiteral("sector %1 does not follow sector %2").arg(line.sector).arg(map.m_lines.back().sector));
        map.m_lines.push_back(line);
    }
    return map;
}

Result<SubtitleMap> SubtitleMap::load(const QString &mapPath, int64_t vobSize)
{
    if (!QFileInfo::exists(mapPath))
        return SubtitleMap();
    // The largest map of a VOB: its mark and one line per sector, each 13 UTF-16 units. A larger file is
    // not a map of it and is not read into memory.
    const int64_t largest = 2 + (lastSectorOf(vobSize) + 1) * 13 * 2;
    const auto read = core::readPlainFile(mapPath, largest, QStringLiteral("Cannot read the subtitle map"),
                                          [&](qint64 size) {
                                              return makeError(QStringLiteral("Damaged subtitle map"), mapPath,
                                                               QStringLiteral("%1 bytes is larger than a map of a file of %2 bytes can be")
                                                                   .arg(size)
                                                                   .arg(vobSize));
                                          });
    if (!read)
        return read.error();
    const QByteArray &bytes = *read;
    auto map = fromFileBytes({reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())}, mapPath);
    if (!map || map->isEmpty())
        return map;
    // Every complete map ends with a clock line for the file's last sector; a map that names another
    // sector there was written for a different file than the one beside it now.
    const MapLine &last = map->lines().back();
    if (last.type != kMapClockSector || int64_t(last.sector) != lastSectorOf(vobSize))
        return makeError(QStringLiteral("Outdated subtitle map"), mapPath,
                         QStringLiteral("its last line names sector %1, the file's last sector is %2")
                             .arg(last.sector)
                             .arg(lastSectorOf(vobSize)));
    return map;
}

Result<void> SubtitleMap::save(const QString &mapPath) const
{
    return core::saveFile(mapPath, toFileBytes(), QStringLiteral("Cannot write the subtitle map"));
}

} // namespace glyfex::ripping
