// Builds program-stream sectors and small VOB files for tests: exact packs whose fields a test chooses.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace glyfex::test {

// One 2048-byte sector per call (unless a test cuts it). Clock values are 90 kHz units, 33 bits.
QByteArray packHeader(uint64_t scr);
QByteArray videoSector(uint64_t scr);
QByteArray navSector(uint64_t scr, uint8_t hourBcd, uint8_t minuteBcd, uint8_t secondBcd, uint8_t frameByte);
// A private-stream-1 packet; with a PTS the header data length is 5, without it 0. When room is left
// after the payload a padding packet fills the sector.
QByteArray spuSector(uint64_t scr, uint8_t substreamId, std::optional<uint64_t> pts, const QByteArray &payload);
// The largest payload spuSector takes with or without a PTS.
int spuPayloadRoom(bool withPts);

// A subpicture unit of the given size: size and control offset, then filler bytes; a test only needs
// its bytes to travel, not to decode.
QByteArray fakeUnit(int size, uint8_t seed);
// Splits a unit into the packets of consecutive sectors; the first carries the PTS and every following
// one has no PTS. The last packet of the unit is followed by padding in its sector.
std::vector<QByteArray> unitSectors(uint64_t scr, uint8_t substreamId, uint64_t pts, const QByteArray &unit);

// A VobSub pair of stream 0 ("en"): the .sub holds each unit's sectors with its start as PTS, the .idx
// names the frame size, the palette (0xRRGGBB) and each unit's time and position. Empty on success,
// else what failed.
struct VobSubEntry {
    uint32_t startMs = 0;
    QByteArray unit;
};
QString writeVobSubPair(const QString &subPath, const QString &idxPath, int frameWidth, int frameHeight,
                        const std::array<uint32_t, 16> &paletteRgb, const std::vector<VobSubEntry> &entries);

// Encoders matching the parser's decoders.
void putScr(QByteArray &sector, uint64_t scr);
void putPts(QByteArray &sector, int offset, uint64_t pts);

} // namespace glyfex::test
