// Fuzz target: the image-sequence script reader and the frame-rate text over arbitrary bytes must answer
// with a value or an error, never crash or overflow.
#include "sources/image_seq_script.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    auto script = glyfex::sources::parseImageSeqScript(text, QStringLiteral("fuzz.txt"));
    if (script.ok()) {
        for (const auto &p : script->pictures)
            if (p.file.contains(QLatin1Char('\n'))) __builtin_trap();
        if (script->frameRateText) {
            const uint32_t rate = glyfex::sources::sequenceFrameRateX1000(*script->frameRateText);
            if (rate == 0 || rate > 1000000) __builtin_trap();
        }
    }
    return 0;
}
