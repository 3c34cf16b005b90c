// Fuzz target for font files of the matrix fill: any bytes give a renderer that draws inside its picture, or a refusal with a reason.
#include "fuzz/require.h"
#include "recognition/freetype_text_renderer.h"

#include <cstdint>
#include <cstdio>

using namespace glyfex;
using glyfex::fuzz::require;

namespace {

void drawAll(const recognition::TextRenderer &renderer)
{
    const QString text = QStringLiteral("AB%\u00EF\U0001F600");
    picture::CodeImage picture(48, 40, recognition::kFontPaper);
    renderer.draw(picture, -3, 2, text);
    renderer.draw(picture, 5, -7, text);
    require(renderer.textWidth(text) >= 0 && renderer.textHeight() >= 0, "a negative size");
    for (uint8_t v : picture.bytes)
        require(v == recognition::kFontInk || v == recognition::kFontPaper, "a pixel neither ink nor paper");
    (void)renderer.hasGlyph(U'A');
    (void)renderer.hasGlyph(0x10FFFF);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    auto renderer = recognition::FreeTypeTextRenderer::fromData(bytes, 0, 20, 24, QStringLiteral("font"));
    if (!renderer) {
        require(!renderer.error().why.isEmpty(), "a refusal without a reason");
        return 0;
    }
    drawAll(**renderer);
    if (const auto scaled = (*renderer)->scaled(1.5, 0.5))
        drawAll(*scaled);
    return 0;
}
