// Feeds arbitrary bytes to the version-file reader and to the language file writer's credits and notes readers.
#include "fuzz/version_reply_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return glyfex::fuzz::readVersionReply(data, size);
}
