// The character palette of the New Character(s) dialog as CharMap.ini holds it: its locations and their rows.
#include "recognition/char_palette.h"

namespace glyfex::recognition {

namespace {

// Every character of the text as a cell of its own; a character outside the 16-bit range stays one cell.
QStringList characters(const QString &text)
{
    QStringList cells;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        cells.append(text.mid(i, pair ? 2 : 1));
        i += pair ? 1 : 0;
    }
    return cells;
}

core::Result<void> checkCount(const core::IniStore &file, const QString &section, const QString &key,
                              const QStringList &cells)
{
    if (cells.size() <= kMaxPaletteCells)
        return {};
    return core::makeError(QStringLiteral("The character palette cannot be shown"),
                           file.fileName() + QStringLiteral(", [") + section + QStringLiteral("] ") + key,
                           QStringLiteral("%1 cells in one row; at most %2 fit").arg(cells.size()).arg(kMaxPaletteCells));
}

} // namespace

QStringList charPaletteLocations(const core::IniStore &file)
{
    QStringList names;
    for (const QString &s : file.readSections()) {
        if (s.compare(kPalettePunctuation, Qt::CaseInsensitive) == 0)
            continue;
        if (!names.contains(s, Qt::CaseInsensitive))
            names.append(s);
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

core::Result<CharPalette> readCharPalette(const core::IniStore &file, const QString &location)
{
    CharPalette palette;
    const QString small = QStringLiteral("Small");
    const QString capital = QStringLiteral("Capital");
    const QString all = QStringLiteral("All");
    if (!location.isEmpty()) {
        palette.small = file.readString(location, small).split(QLatin1Char('*'), Qt::SkipEmptyParts);
        if (auto ok = checkCount(file, location, small, palette.small); !ok)
            return ok.error();
        palette.capital = file.readString(location, capital).split(QLatin1Char('*'), Qt::SkipEmptyParts);
        if (auto ok = checkCount(file, location, capital, palette.capital); !ok)
            return ok.error();
    }
    palette.punctuation = characters(file.readString(kPalettePunctuation, all));
    if (auto ok = checkCount(file, kPalettePunctuation, all, palette.punctuation); !ok)
        return ok.error();
    return palette;
}

} // namespace glyfex::recognition
