// Builds program-stream sectors and small VOB files for tests: exact packs whose fields a test chooses.
#include "support/vob_builder.h"

#include <QFile>

#include <utility>

namespace glyfex::test {

namespace {

constexpr int kSector = 2048;

void putBe32(QByteArray &b, int at, uint32_t v)
{
    b[at] = char(v >> 24);
    b[at + 1] = char(v >> 16);
    b[at + 2] = char(v >> 8);
    b[at + 3] = char(v);
}

void putBe16(QByteArray &b, int at, uint32_t v)
{
    b[at] = char(v >> 8);
    b[at + 1] = char(v);
}

// A padding packet from `at` to the end of the sector, when it has the room for its 6-byte header.
void padFrom(QByteArray &b, int at)
{
    const int left = kSector - at;
    if (left < 6)
        return;
    putBe32(b, at, 0x000001BE);
    putBe16(b, at + 4, uint32_t(left - 6));
    for (int i = at + 6; i < kSector; ++i)
        b[i] = char(0xFF);
}

} // namespace

void putScr(QByteArray &b, uint64_t base)
{
    // MPEG-2 pack header SCR, all 33 bits of the base, extension 0, marker bits set.
    b[4] = char(0x44 | ((base >> 27) & 0x38) | ((base >> 28) & 0x03));
    b[5] = char((base >> 20) & 0xFF);
    b[6] = char(((base >> 12) & 0xF8) | 0x04 | ((base >> 13) & 0x03));
    b[7] = char((base >> 5) & 0xFF);
    b[8] = char(((base << 3) & 0xF8) | 0x04);
    b[9] = char(0x01);
}

void putPts(QByteArray &b, int at, uint64_t pts)
{
    b[at] = char(0x21 | ((pts >> 29) & 0x0E));
    b[at + 1] = char((pts >> 22) & 0xFF);
    b[at + 2] = char(((pts >> 14) & 0xFE) | 1);
    b[at + 3] = char((pts >> 7) & 0xFF);
    b[at + 4] = char(((pts << 1) & 0xFE) | 1);
}

QByteArray packHeader(uint64_t scr)
{
    QByteArray b(kSector, '\0');
    putBe32(b, 0, 0x000001BA);
    putScr(b, scr);
    b[10] = char(0x01); // mux rate
    b[11] = char(0x89);
    b[12] = char(0xC3);
    b[13] = char(0xF8); // no stuffing: the packet starts at 14
    return b;
}

QByteArray videoSector(uint64_t scr)
{
    QByteArray b = packHeader(scr);
    putBe32(b, 14, 0x000001E0);
    putBe16(b, 18, kSector - 20);
    return b;
}

QByteArray navSector(uint64_t scr, uint8_t hour, uint8_t minute, uint8_t second, uint8_t frame)
{
    QByteArray b = packHeader(scr);
    putBe32(b, 14, 0x000001BB);
    putBe16(b, 18, 18);
    b[69] = char(hour);
    b[70] = char(minute);
    b[71] = char(second);
    b[72] = char(frame);
    return b;
}

int spuPayloadRoom(bool withPts)
{
    return kSector - 24 - (withPts ? 5 : 0);
}

QByteArray spuSector(uint64_t scr, uint8_t substreamId, std::optional<uint64_t> pts, const QByteArray &payload)
{
    QByteArray b = packHeader(scr);
    const int hl = pts ? 5 : 0;
    putBe32(b, 14, 0x000001BD);
    putBe16(b, 18, uint32_t(hl + 4 + payload.size()));
    b[20] = char(0x81);
    b[21] = char(pts ? 0x80 : 0x00);
    b[22] = char(hl);
    if (pts)
        putPts(b, 23, *pts);
    b[23 + hl] = char(substreamId);
    const int start = 24 + hl;
    for (int i = 0; i < payload.size() && start + i < kSector; ++i)
        b[start + i] = payload[i];
    padFrom(b, start + int(payload.size()));
    return b;
}

QByteArray fakeUnit(int size, uint8_t seed)
{
    QByteArray u(size, '\0');
    for (int i = 0; i < size; ++i)
        u[i] = char(uint8_t(seed + i * 7));
    if (size >= 4) {
        putBe16(u, 0, uint32_t(size));
        putBe16(u, 2, uint32_t(size > 8 ? size - 8 : 0));
    }
    return u;
}

std::vector<QByteArray> unitSectors(uint64_t scr, uint8_t substreamId, uint64_t pts, const QByteArray &unit)
{
    std::vector<QByteArray> out;
    int at = 0;
    bool first = true;
    while (at < unit.size() || first) {
        const int room = spuPayloadRoom(first);
        const QByteArray part = unit.mid(at, room);
        out.push_back(spuSector(scr + uint64_t(out.size()) * 300, substreamId,
                                first ? std::optional<uint64_t>(pts) : std::nullopt, part));
        at += int(part.size());
        first = false;
    }
    return out;
}

QString writeVobSubPair(const QString &subPath, const QString &idxPath, int frameWidth, int frameHeight,
                        const std::array<uint32_t, 16> &paletteRgb, const std::vector<VobSubEntry> &entries)
{
    QByteArray sub;
    QByteArray idx = "# VobSub index file, v7 (do not modify this line!)\n#\n";
    idx += "size: " + QByteArray::number(frameWidth) + 'x' + QByteArray::number(frameHeight) + '\n';
    idx += "org: 0, 0\nscale: 100%, 100%\nalpha: 100%\nsmooth: OFF\nfadein/out: 50, 50\n"
           "align: OFF at LEFT TOP\ntime offset: 0\nforced subs: OFF\npalette: ";
    for (size_t k = 0; k < paletteRgb.size(); ++k)
        idx += (k ? ", " : "") + QByteArray::number(paletteRgb[k], 16).rightJustified(6, '0');
    idx += "\ncustom colors: OFF, tridx: 0000, colors: 000000, 000000, 000000, 000000\n\n"
           "# English\nlangidx: 0\n\nid: en, index: 0\n";
    for (const VobSubEntry &e : entries) {
        const uint32_t ms = e.startMs;
        idx += QStringLiteral("timestamp: %1:%2:%3:%4, filepos: %5\n")
                   .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
                   .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
                   .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
                   .arg(ms % 1000, 3, 10, QLatin1Char('0'))
                   .arg(sub.size(), 9, 16, QLatin1Char('0'))
                   .toLatin1();
        for (const QByteArray &sector : unitSectors(ms * 90, 0x20, ms * 90, e.unit))
            sub += sector;
    }
    for (const auto &[path, bytes] : {std::pair{subPath, sub}, std::pair{idxPath, idx}}) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush())
            return path + QStringLiteral(": ") + f.errorString();
    }
    return {};
}

} // namespace glyfex::test
