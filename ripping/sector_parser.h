// Pack and PES headers of one 2048-byte program-stream sector of a VOB or VobSub .sub file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace glyfex::ripping {

inline constexpr size_t kSectorSize = 2048;
inline constexpr uint32_t kPackStartCode = 0x000001BA;
inline constexpr uint32_t kSystemHeaderStartCode = 0x000001BB; // follows the pack header in a navigation pack
inline constexpr uint32_t kPrivateStream1StartCode = 0x000001BD;
inline constexpr uint32_t kPaddingStartCode = 0x000001BE;

enum class SectorKind { Other, Navigation, PrivateStream1 };

// Why the packet of a private-stream-1 sector cannot be used; the sector's other fields stay valid.
enum class PacketFault {
    None,
    HeaderPastSector,  // the header data length puts the substream id past the bytes of the sector
    LengthTooShort,    // the PES length is smaller than the header it must contain
    PayloadPastSector, // the payload the PES length announces ends past the bytes of the sector
};

// The four BCD bytes of a navigation pack's cell elapsed time; the frame byte carries the frame-rate bits.
struct CellTimeBytes {
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
    uint8_t frame = 0;
};

// What the reading pass needs of one sector. Offsets are bytes from the start of the sector.
struct SectorInfo {
    bool packHeader = false; // the sector begins with the pack start code
    uint64_t scr = 0;        // system clock reference base, 90 kHz, all 33 bits
    SectorKind kind = SectorKind::Other;

    bool hasCellTime = false; // a navigation pack long enough to hold its cell time
    CellTimeBytes cellTime;

    bool hasSubstreamId = false; // a private-stream-1 sector long enough to name its substream
    uint8_t substreamId = 0;     // 0x20-0x3F for subpicture streams
    PacketFault fault = PacketFault::None;
    uint64_t pts = 0;            // presentation time stamp, 90 kHz, 33 bits, read from bytes 23-27 whatever the flags say
    bool ptsFlagged = false;     // the PES header says it carries a PTS: the packet begins a subpicture unit
    size_t payloadStart = 0;     // valid only when hasSubstreamId and fault is None
    size_t payloadLength = 0;
    bool paddingFollows = false; // a padding packet starts right after the payload in the same sector

    bool packetUsable() const { return kind == SectorKind::PrivateStream1 && hasSubstreamId && fault == PacketFault::None; }
};

// Reads the fields of one sector. The span may be shorter than a sector (the last read of a file);
// nothing outside it is read, and a field that does not fit is reported as absent or as a fault.
SectorInfo parseSector(std::span<const uint8_t> sector);

// SCR base from the 32 bits at offset 4 (v) and the 16 bits at offset 8 (w) of a pack header: its low
// 32 bits, and all 33.
uint32_t decodeScrBase(uint32_t v, uint16_t w);
uint64_t decodeScr33(uint32_t v, uint16_t w);
// PTS from the five bytes of a PES header's time stamp field: its low 32 bits, and all 33.
uint32_t decodePesPts(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4);
uint64_t decodePts33(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4);

} // namespace glyfex::ripping
