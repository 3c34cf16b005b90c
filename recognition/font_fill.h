// Filling a character matrix from a font: each character rendered, slanted and scaled like the fitted sample line, then learnt.
#pragma once

#include <cstddef> // before code_image.h, which uses size_t
#include "recognition/char_matrix.h"
#include "recognition/ocr_settings.h"
#include "picture/code_image.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace glyfex::recognition {

// Pixel values of the renderings: ink and paper.
inline constexpr uint8_t kFontInk = 0;
inline constexpr uint8_t kFontPaper = 1;

// Draws text in one font without antialiasing, so that every pixel is ink or paper. The window side
// supplies the font; the logic here needs no widgets.
class TextRenderer {
public:
    virtual ~TextRenderer() = default;
    // The advance width of text and the height of a line of the font, in pixels.
    virtual int textWidth(const QString &text) const = 0;
    virtual int textHeight() const = 0;
    // Draws text in kFontInk with its top left corner at (x, y); other pixels stay as they are.
    virtual void draw(picture::CodeImage &picture, int x, int y, const QString &text) const = 0;
    // Whether the font itself has a glyph for the code point (no substitute from another font).
    virtual bool hasGlyph(char32_t ch) const = 0;
    // The same font drawn with its outlines scaled by sx and sy, or nullptr when this renderer cannot,
    // and its renderings are stretched instead. A glyph drawn at the size a picture shows keeps the
    // stroke widths the font has there; a stretched one doubles or drops columns and rows.
    virtual std::unique_ptr<TextRenderer> scaled(double /*sx*/, double /*sy*/) const { return nullptr; }
};

// Rounds halves to the even neighbour, as the fitting's sizes are rounded.
int roundHalfEven(double value);

// Shears the rows of the picture by the angle in degrees (-35..35): row r (0 = top) moves by
// Trunc((height - r - 1) * tan|angle|) pixels, right for a positive angle and left for a negative one;
// the freed part takes the colour of the pixel that moved out of it first.
void slantRows(picture::CodeImage &picture, double angleDegrees);

// The picture stretched to width x height (nearest pixel); an empty picture for a size of 0.
picture::CodeImage stretchPicture(const picture::CodeImage &picture, int width, int height);

// The smallest rectangle holding every ink pixel, nullopt when there is none. right and bottom are
// exclusive.
struct InkRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
std::optional<InkRect> findInkBounds(const picture::CodeImage &picture);

// The padded sample line as the fitting view shows it: three blanks each side, one free row at the top,
// slanted.
picture::CodeImage renderSampleLine(const TextRenderer &renderer, const QString &text, double angleDegrees);

// How the sample line was fitted over the subtitle picture.
struct FillGeometry {
    double angleDegrees = 0;
    int sampleWidth = 0;      // of the rendered sample line (renderSampleLine)
    int sampleHeight = 0;
    double fittedWidth = 0;   // the size the user gave it over the picture, in picture pixels
    double fittedHeight = 0;
    uint8_t style = 0;        // GlyphStyle flags of the font
    QString sampleText;       // its ink top is the line top the entries' top offsets count from

    // Both scale factors are finite and positive.
    bool isValid() const { return sampleWidth > 0 && sampleHeight > 0 && fittedWidth > 0 && fittedHeight > 0; }
};

// One item rendered as the picture would show it: slanted, scaled (drawn at the fitted size where the
// renderer can, else stretched). Empty when the geometry is invalid.
picture::CodeImage renderFillItem(const TextRenderer &renderer, const QString &text, const FillGeometry &geometry);

// The glyph of the ink of a rendering, cut to 80 x 45, with the item's text (20 units at most), the
// style and a top offset of dy; nullopt when the rendering holds no ink.
std::optional<Glyph> glyphOfRendering(const picture::CodeImage &picture, const QString &text, uint8_t style, int dyOrigin);

// How recognition will cut the pictures the entries are to read: its segmentation settings, the
// reading direction in which runs of boxes grow, and the factor by which it reduces the pictures of
// their frame (reductionFactor): the renderings, drawn at the size the picture shows, are reduced
// alike, so that the entries have the shapes recognition compares.
struct FillReading {
    OcrSettings settings;
    bool rightToLeft = false;
    int reduction = 1;
};

// The entries recognition needs to read a rendering: its ink cut into character boxes as recognition
// cuts a picture, one entry for a character of one box. A character of several boxes side by side (a
// double quote, a per cent sign) is read as a run that grows box by box from the first in reading
// order: each shorter run becomes a "take with next" entry, the whole run the character's. Top offsets
// count from dyOrigin. Empty when the rendering holds no ink.
std::vector<Glyph> glyphsOfRendering(const picture::CodeImage &picture, const QString &text, uint8_t style,
                                     int dyOrigin, const FillReading &reading);

// A code point that may enter a matrix text: no surrogate and no noncharacter.
bool isFillableCharacter(char32_t ch);
// An item made only of formatting characters (a soft hyphen, a zero-width joiner), which a text never
// shows: the fill skips it like a blank.
bool isInvisibleInText(const QString &item);
// One item per character of the text (a surrogate pair is one), lone surrogates and noncharacters left out.
QStringList fillItems(const QString &characters);
// The characters first..last (inclusive) that may enter a matrix text, in order.
QString rangeCharacters(char32_t first, char32_t last);

struct FillReport {
    int added = 0;     // characters learnt (a character of several boxes takes more than one entry)
    int noInk = 0;     // blanks, formatting characters and other renderings without a pixel
    int missing = 0;   // characters the font has no glyph for
    bool full = false; // the matrix could take no more entries
};

// Renders every item and appends its entries (glyphsOfRendering) to the matrix; with a reduction, the
// entries of each distinct shape the item takes reduced at any offset of the block grid. Items the font
// lacks are skipped rather than learnt as the box a font draws for them; room for all items is made
// before the first is added.
FillReport fillMatrixFromFont(CharMatrix &matrix, const TextRenderer &renderer, const QStringList &items,
                              const FillGeometry &geometry, const FillReading &reading = {});

// The Unicode ranges offered for filling, in the order of the list.
struct FillRange {
    char16_t first;
    char16_t last;
    const char *name;
};
extern const std::array<FillRange, 97> kFillRanges;
// "0040 - 005A Basic Latin"
QString fillRangeItem(const FillRange &range);
// The bounds of such an item from its characters 1-4 and 8-11; 0x41 and 0x5A for bounds that do not read.
std::pair<char32_t, char32_t> parseFillRangeItem(const QString &item);

} // namespace glyfex::recognition
