// Pack and PES headers of one 2048-byte program-stream sector of a VOB or VobSub .sub file.
#include "ripping/sector_parser.h"

#include "core/byte_reader.h"

namespace glyfex::ripping {

namespace {

// Fixed layout of a DVD sector: a 14-byte MPEG-2 pack header, then one packet.
constexpr size_t kScrOffset = 4;          // 6 bytes: system clock reference
constexpr size_t kPacketStartOffset = 14; // 4 bytes: start code of the packet after the pack header
constexpr size_t kPesLengthOffset = 18;   // 2 bytes: PES packet length, bytes after this field
constexpr size_t kPtsFlagsOffset = 21;   // 1 byte: PTS_DTS flags in bits 7-6
constexpr size_t kHeaderLengthOffset = 22; // 1 byte: PES header data length HL
constexpr size_t kPtsOffset = 23;         // 5 bytes: presentation time stamp
constexpr size_t kCellTimeOffset = 69;    // 4 bytes in a navigation pack: BCD h, m, s, frame
// Bytes of the PES packet counted by its length field before the payload: two flag bytes, HL, substream id.
constexpr size_t kPesFixedBytes = 4;
constexpr size_t kPayloadBase = 24;       // payload starts at HL + 24
// A padding start code that ends the payload must fit in the sector: End + 4 <= 2046 as the format has it.
constexpr size_t kLastPaddingStart = 2042;

} // namespace

uint32_t decodeScrBase(uint32_t v, uint16_t w)
{
    return ((v & 0x38000000u) << 3) + ((v & 0x03FFF800u) << 4) + ((v & 0x3FFu) << 5) + ((w & 0xF800u) >> 11);
}

uint32_t decodePesPts(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4)
{
    return (uint32_t(b0 & 0x0E) << 29) + uint32_t(b1) * 0x400000u + uint32_t(b2 & 0xFE) * 16384u
         + uint32_t(b3) * 128u + uint32_t(b4 >> 1);
}

uint64_t decodeScr33(uint32_t v, uint16_t w)
{
    // Bit 32 of the base is the top one of the three bits at 27-29 of v.
    return uint64_t(decodeScrBase(v, w)) | uint64_t(v >> 29 & 1u) << 32;
}

uint64_t decodePts33(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4)
{
    // Bit 32 is the top one of the three bits at 1-3 of the first byte.
    return uint64_t(decodePesPts(b0, b1, b2, b3, b4)) | uint64_t(b0 >> 3 & 1u) << 32;
}

namespace {

// Inlined twice: once for a whole sector, where the compiler knows the length and drops most bound
// checks, and once for the short last read of a file.
[[gnu::always_inline]] inline SectorInfo parseBytes(std::span<const uint8_t> sector)
{
    SectorInfo info;
    core::ByteReader r(sector);

    info.packHeader = r.be32() == kPackStartCode && !r.failed();

    core::ByteReader clock(sector);
    if (clock.seek(kScrOffset)) {
        const uint32_t v = clock.be32();
        const uint16_t w = clock.be16();
        if (!clock.failed())
            info.scr = decodeScr33(v, w);
    }

    core::ByteReader code(sector);
    if (!code.seek(kPacketStartOffset))
        return info;
    const uint32_t startCode = code.be32();
    if (code.failed())
        return info;

    if (startCode == kSystemHeaderStartCode) {
        info.kind = SectorKind::Navigation;
        core::ByteReader cell(sector);
        if (cell.seek(kCellTimeOffset) && cell.has(4)) {
            info.cellTime.hour = cell.u8();
            info.cellTime.minute = cell.u8();
            info.cellTime.second = cell.u8();
            info.cellTime.frame = cell.u8();
            info.hasCellTime = true;
        }
        return info;
    }
    if (startCode != kPrivateStream1StartCode)
        return info;

    info.kind = SectorKind::PrivateStream1;
    core::ByteReader pes(sector);
    pes.seek(kPesLengthOffset);
    const size_t pesLength = pes.be16();
    pes.seek(kHeaderLengthOffset);
    const size_t headerLength = pes.u8();
    if (pes.failed() || kPtsOffset + headerLength >= sector.size()) {
        info.fault = PacketFault::HeaderPastSector;
        return info;
    }
    info.hasSubstreamId = true;
    info.substreamId = sector[kPtsOffset + headerLength];

    // The PTS bytes are taken as they are, also when the header is too short to hold them (a damaged
    // header reads zeros there instead of bytes of the next field).
    core::ByteReader stamp(sector);
    stamp.seek(kPtsOffset);
    const auto pts = stamp.bytes(5);
    if (pts.size() == 5)
        info.pts = decodePts33(pts[0], pts[1], pts[2], pts[3], pts[4]);
    // The PTS_DTS flags in the top bits of the second flag byte.
    info.ptsFlagged = (sector[kPtsFlagsOffset] & 0x80) != 0;

    if (pesLength < headerLength + kPesFixedBytes) {
        info.fault = PacketFault::LengthTooShort;
        return info;
    }
    const size_t payloadStart = headerLength + kPayloadBase;
    const size_t payloadLength = pesLength - (headerLength + kPesFixedBytes);
    if (payloadStart + payloadLength > sector.size()) {
        info.fault = PacketFault::PayloadPastSector;
        return info;
    }
    info.payloadStart = payloadStart;
    info.payloadLength = payloadLength;

    const size_t end = payloadStart + payloadLength;
    if (end <= kLastPaddingStart) {
        core::ByteReader after(sector);
        after.seek(end);
        const uint32_t next = after.be32();
        info.paddingFollows = !after.failed() && next == kPaddingStartCode;
    }
    return info;
}

} // namespace

SectorInfo parseSector(std::span<const uint8_t> sector)
{
    if (sector.size() == kSectorSize)
        return parseBytes(std::span<const uint8_t, kSectorSize>(sector.data(), kSectorSize));
    return parseBytes(sector);
}

} // namespace glyfex::ripping
