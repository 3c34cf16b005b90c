// Fuzz target for the character matrix reader: any bytes must either load or be refused, never read
// outside the data; whatever loads must save and load back to the same entries.
#include "recognition/char_matrix_file.h"

#include <cstdint>
#include <cstdlib>

using namespace glyfex::recognition;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto parsed = parseCharMatrix(std::span<const uint8_t>(data, size), QStringLiteral("fuzz.gxc"), 1252);
    if (!parsed)
        return 0;
    const CharMatrix &m = parsed.value();
    const QByteArray saved = serialiseCharMatrix(m);
    const auto again = parseCharMatrix(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t *>(saved.constData()), size_t(saved.size())),
        QStringLiteral("again.gxc"), 1252);
    if (!again || again->count() != m.count() || again->comment() != m.comment())
        std::abort();
    for (int i = 1; i <= m.count(); ++i) {
        const Glyph &a = m.entry(i);
        const Glyph &b = again->entry(i);
        if (a.width != b.width || a.height != b.height || a.dy != b.dy || a.style != b.style || !(a.text == b.text))
            std::abort();
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x)
                if (a.pixel(x, y) != b.pixel(x, y))
                    std::abort();
    }
    return 0;
}
