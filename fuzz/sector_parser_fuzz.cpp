// Fuzz target: the sector parser must stay inside any byte string and report payload bounds that fit it.
#include "ripping/sector_parser.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace glyfex::ripping;
    // The pass never hands over more than one sector; longer inputs are cut the same way.
    const std::span<const uint8_t> sector(data, size < kSectorSize ? size : kSectorSize);
    const SectorInfo info = parseSector(sector);
    if (info.packetUsable()) {
        if (info.payloadStart > sector.size() || info.payloadLength > sector.size() - info.payloadStart)
            std::abort();
        // Touch every payload byte so that the sanitizer sees a read outside the input.
        volatile uint8_t sum = 0;
        for (size_t i = 0; i < info.payloadLength; ++i)
            sum = uint8_t(sum + sector[info.payloadStart + i]);
    }
    if (info.hasCellTime && sector.size() < 73)
        std::abort();
    return 0;
}
