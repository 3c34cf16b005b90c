// Fuzz target for CharMap.ini: any file gives locations and rows that fit the palette, or a refusal; no cell
// is empty, a letter cell never holds the separator, and a punctuation cell is one whole character.
#include "fuzz/require.h"
#include "recognition/char_palette.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace glyfex;
using glyfex::fuzz::require;

namespace {

void checkLetters(const QStringList &cells)
{
    require(cells.size() <= recognition::kMaxPaletteCells, "too many letter cells");
    for (const QString &cell : cells)
        require(!cell.isEmpty() && !cell.contains(QLatin1Char('*')), "a letter cell is empty or holds the separator");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    auto file = core::IniStore::fromBytes(bytes, QStringLiteral("CharMap.ini"), 1252);
    if (!file)
        return 0;
    QStringList locations = recognition::charPaletteLocations(*file);
    locations.prepend(QString()); // no location chosen yet
    for (const QString &location : locations) {
        require(location.compare(recognition::kPalettePunctuation, Qt::CaseInsensitive) != 0,
                "Punctuation offered as a location");
        const auto palette = recognition::readCharPalette(*file, location);
        if (!palette) {
            require(!palette.error().message().isEmpty(), "a refusal without a message");
            continue;
        }
        checkLetters(palette->small);
        checkLetters(palette->capital);
        require(palette->punctuation.size() <= recognition::kMaxPaletteCells, "too many punctuation cells");
        QString joined;
        for (const QString &cell : palette->punctuation) {
            require(cell.size() == 1 || (cell.size() == 2 && cell.at(0).isHighSurrogate() && cell.at(1).isLowSurrogate()),
                    "a punctuation cell is not one character");
            joined += cell;
        }
        require(joined == file->readString(recognition::kPalettePunctuation, QStringLiteral("All")),
                "punctuation cells lose characters");
    }
    return 0;
}
