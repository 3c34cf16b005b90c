// The character palette of the New Character(s) dialog as CharMap.ini holds it: its locations and their rows.
#pragma once

#include "core/ini_store.h"
#include "core/result.h"

#include <QString>
#include <QStringList>

namespace glyfex::recognition {

// A row never holds more cells than this: the palette is a grid of one column per cell, and a damaged or
// foreign file with a million would stall the dialog.
inline constexpr int kMaxPaletteCells = 1024;

// The section shared by every location: its key All lists punctuation, one character a cell.
inline const QString kPalettePunctuation = QStringLiteral("Punctuation");

struct CharPalette {
    QStringList small;       // key Small of the location: pieces separated by "*"
    QStringList capital;     // key Capital
    QStringList punctuation; // key All of Punctuation: each character (a surrogate pair kept whole)
    friend bool operator==(const CharPalette &, const CharPalette &) = default;
};

// The locations: every section but Punctuation, once each regardless of case, in case-insensitive order.
QStringList charPaletteLocations(const core::IniStore &file);

// The rows of a location (an empty location gives the punctuation alone). A row with more than
// kMaxPaletteCells cells is an error naming the file, the section and the key.
core::Result<CharPalette> readCharPalette(const core::IniStore &file, const QString &location);

} // namespace glyfex::recognition
