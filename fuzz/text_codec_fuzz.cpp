// Decodes arbitrary bytes in several code pages and encodes the text back, looking for faults in the fallbacks.
#include "core/text_codec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    namespace codec = glyfex::core::TextCodec;
    static const glyfex::core::CodePage pages[] = {1252, 1253, 1255, 1258, 874, 932, 936, 949, 950,
                                                   1200, 12000, 65001, 50220, 20261};
    if (size == 0) return 0;
    const auto page = pages[data[0] % (sizeof pages / sizeof pages[0])];
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    auto text = codec::decode(bytes, page);
    if (!text) std::abort(); // every page listed is supported: decoding never fails
    int missing = 0;
    auto back = codec::encode(*text, page, &missing);
    if (!back || missing < 0 || missing > text->size()) std::abort();
    // Raw UTF-16 (possibly with lone surrogates) as text: encoding must cope with anything a QString holds.
    const QString raw(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
    auto encoded = codec::encode(raw, page, &missing);
    if (!encoded || missing > raw.size()) std::abort();
    return 0;
}
