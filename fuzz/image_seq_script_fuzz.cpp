// Fuzz target: the image-sequence script reader and the frame-rate text over arbitrary bytes must answer
// with a value or an error, never crash or overflow.
#include "fuzz/require.h"
#include "sources/image_seq_script.h"

#include <cstddef>
#include <cstdint>

using glyfex::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    auto script = glyfex::sources::parseImageSeqScript(text, QStringLiteral("fuzz.txt"));
    if (script.ok()) {
        for (const auto &p : script->pictures)
            require(!p.file.contains(QLatin1Char('\n')), "a picture's file name stays within its line");
        if (script->frameRateText) {
            const uint32_t rate = glyfex::sources::sequenceFrameRateX1000(*script->frameRateText);
            require(rate > 0 && rate <= 1000000, "the frame rate is above zero and at most 1000 a second");
        }
    } else {
        require(!script.error().why.isEmpty(), "a refusal says why");
    }
    return 0;
}
