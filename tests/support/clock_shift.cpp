// Moves the clocks of a real program stream: every pack's SCR, every PES PTS and DTS and the navigation packs' times, as a later part of a long title has them.
#include "support/clock_shift.h"

#include "support/vob_builder.h"

#include <QDir>
#include <QFile>

namespace glyfex::test {

namespace {

constexpr int kSector = 2048;
constexpr uint64_t kWrap33 = uint64_t(1) << 33;

uint8_t byteAt(const QByteArray &b, int at) { return uint8_t(b[at]); }

uint32_t be32(const QByteArray &b, int at)
{
    return uint32_t(byteAt(b, at)) << 24 | uint32_t(byteAt(b, at + 1)) << 16 | uint32_t(byteAt(b, at + 2)) << 8
         | byteAt(b, at + 3);
}

void putBe32(QByteArray &b, int at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (24 - 8 * i));
}

uint64_t scrAt(const QByteArray &b, int at)
{
    const uint64_t b0 = byteAt(b, at), b1 = byteAt(b, at + 1), b2 = byteAt(b, at + 2), b3 = byteAt(b, at + 3),
                   b4 = byteAt(b, at + 4);
    return (b0 >> 3 & 7) << 30 | (b0 & 3) << 28 | b1 << 20 | (b2 >> 3) << 15 | (b2 & 3) << 13 | b3 << 5 | b4 >> 3;
}

uint64_t ptsAt(const QByteArray &b, int at)
{
    const uint64_t b0 = byteAt(b, at), b1 = byteAt(b, at + 1), b2 = byteAt(b, at + 2), b3 = byteAt(b, at + 3),
                   b4 = byteAt(b, at + 4);
    return (b0 >> 1 & 7) << 30 | b1 << 22 | (b2 >> 1) << 15 | b3 << 7 | b4 >> 1;
}

uint64_t moved(uint64_t clock, int64_t ticks)
{
    return (clock + uint64_t(ticks)) % kWrap33;
}

// A PTS or DTS field keeps its 4-bit prefix ('0010', '0011' or '0001') and its marker bits.
void movePts(QByteArray &b, int at, int64_t ticks)
{
    const char prefix = char(byteAt(b, at) & 0xF0);
    putPts(b, at, moved(ptsAt(b, at), ticks));
    b[at] = char((byteAt(b, at) & 0x0F) | uint8_t(prefix));
}

// A 32-bit navigation time; optional ones are 0 where they are not given, and stay so.
void moveNavTime(QByteArray &b, int at, int64_t ticks, bool optional)
{
    const uint32_t t = be32(b, at);
    if (t != 0 || !optional)
        putBe32(b, at, uint32_t(t + uint64_t(ticks)));
}

// The packets after the pack header: PES time stamps, and the PCI and DSI of a navigation pack.
void moveSector(QByteArray &b, int sector, int64_t ticks)
{
    const int base = sector * kSector;
    const QByteArray original = b.mid(base, kSector);
    QByteArray s = original;
    if (be32(s, 0) != 0x000001BA || (byteAt(s, 4) & 0xC0) != 0x40)
        return;
    const uint8_t extension = byteAt(s, 9);
    putScr(s, moved(scrAt(s, 4), ticks));
    s[8] = char((byteAt(s, 8) & 0xF8) | (byteAt(original, 8) & 0x07)); // the SCR extension's top bits
    s[9] = char(extension);
    int at = 14 + (byteAt(s, 13) & 7);
    while (at + 6 <= kSector && (be32(s, at) >> 8) == 1) {
        const uint8_t id = byteAt(s, at + 3);
        const int length = int(byteAt(s, at + 4)) << 8 | byteAt(s, at + 5);
        const int end = at + 6 + length;
        if (end > kSector)
            break;
        if (id == 0xBF && length >= 1) {
            const int data = at + 7;
            if (byteAt(s, at + 6) == 0x00 && data + 24 <= end) {
                // PCI: the VOBU's start, end and sequence-end presentation times.
                moveNavTime(s, data + 12, ticks, false);
                moveNavTime(s, data + 16, ticks, false);
                moveNavTime(s, data + 20, ticks, true);
            } else if (byteAt(s, at + 6) == 0x01 && data + 52 <= end) {
                // DSI: the navigation pack's SCR, then the VOB's first and last video presentation times.
                moveNavTime(s, data, ticks, false);
                moveNavTime(s, data + 44, ticks, true);
                moveNavTime(s, data + 48, ticks, true);
            }
        } else if (id == 0xBD || (id >= 0xC0 && id <= 0xEF)) {
            const uint8_t flags = byteAt(s, at + 7);
            if (flags & 0x80 && at + 14 <= end)
                movePts(s, at + 9, ticks);
            if ((flags & 0xC0) == 0xC0 && at + 19 <= end)
                movePts(s, at + 14, ticks);
        }
        at = end;
    }
    b.replace(base, kSector, s);
}

} // namespace

QByteArray shiftClocks(QByteArray vob, int64_t ticks)
{
    for (int sector = 0; (sector + 1) * kSector <= vob.size(); ++sector)
        moveSector(vob, sector, ticks);
    return vob;
}

QString copyTitleSetShifted(const QString &fromFolder, const QString &toFolder, int64_t ticks)
{
    if (!QDir().mkpath(toFolder))
        return QStringLiteral("cannot make %1").arg(toFolder);
    for (const QString &name : QDir(fromFolder).entryList(QDir::Files)) {
        QFile from(QDir(fromFolder).filePath(name));
        QFile to(QDir(toFolder).filePath(name));
        if (!from.open(QIODevice::ReadOnly) || !to.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QStringLiteral("cannot copy %1").arg(name);
        QByteArray bytes = from.readAll();
        if (name.endsWith(QStringLiteral(".vob"), Qt::CaseInsensitive) || name.endsWith(QStringLiteral(".sub"), Qt::CaseInsensitive))
            bytes = shiftClocks(std::move(bytes), ticks);
        if (to.write(bytes) != bytes.size() || !to.flush())
            return QStringLiteral("cannot write %1").arg(to.fileName());
    }
    return {};
}

} // namespace glyfex::test
