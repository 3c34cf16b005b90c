// Filling a character matrix from a font: rendering, slant, scaling, ink bounds, the character ranges.
#include "recognition/font_fill.h"

#include "recognition/picture_reduction.h"
#include "recognition/segmentation.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_set>

namespace glyfex::recognition {

namespace {

const QString kThreeBlanks = QStringLiteral("   ");

bool isNonCharacter(char32_t ch)
{
    return (ch >= 0xFDD0 && ch <= 0xFDEF) || (ch & 0xFFFE) == 0xFFFE;
}

// Row r (0 = top) moves by Trunc((height - r - 1) * slope) pixels, right or left; the freed part takes
// the colour of the pixel that moved out of it first.
void shearRows(picture::CodeImage &picture, double slope, bool right)
{
    const int w = picture.width;
    const int h = picture.height;
    if (w <= 0 || h <= 0 || !(slope > 0))
        return;
    std::vector<uint8_t> row(size_t(w), 0);
    for (int r = 0; r < h; ++r) {
        const int shift = int(std::min((h - r - 1) * slope, double(w)));
        if (shift <= 0)
            continue;
        uint8_t *line = picture.row(r);
        std::copy_n(line, w, row.begin());
        if (right) {
            for (int x = 0; x < w; ++x)
                line[x] = x < shift ? row[0] : row[size_t(x - shift)];
        } else {
            for (int x = 0; x < w; ++x)
                line[x] = x >= w - shift ? row[size_t(w - 1)] : row[size_t(x + shift)];
        }
    }
}

} // namespace

const std::array<FillRange, 97> kFillRanges = {{
    {0x0040, 0x005A, "Basic Latin"},
    {0x0060, 0x007A, "Basic Latin"},
    {0x00A0, 0x00FF, "Latin-1 Supplement"},
    {0x0100, 0x017F, "Latin Extended-A"},
    {0x0180, 0x024F, "Latin Extended-B"},
    {0x0250, 0x02AF, "IPA Extensions"},
    {0x02B0, 0x02FF, "Spacing Modifier Letters"},
    {0x0300, 0x036F, "Combining Diacritical Marks"},
    {0x0370, 0x03FF, "Greek and Coptic"},
    {0x0400, 0x04FF, "Cyrillic"},
    {0x0500, 0x052F, "Cyrillic Supplementary"},
    {0x0530, 0x058F, "Armenian"},
    {0x0590, 0x05FF, "Basic Hebrew"},
    {0x0600, 0x06FF, "Basic Arabic"},
    {0x0900, 0x097F, "Devanagari"},
    {0x0980, 0x09FF, "Bengali"},
    {0x0A00, 0x0A7F, "Gurmukhi"},
    {0x0A80, 0x0AFF, "Gujarati"},
    {0x0B00, 0x0B7F, "Oriya"},
    {0x0B80, 0x0BFF, "Tamil"},
    {0x0C00, 0x0C7F, "Telugu"},
    {0x0C80, 0x0CFF, "Kannada"},
    {0x0D00, 0x0D7F, "Malayalam"},
    {0x0E00, 0x0E7F, "Thai"},
    {0x0E80, 0x0EFF, "Lao"},
    {0x10A0, 0x10FF, "Georgian"},
    {0x1100, 0x11FF, "Hangul Jamo"},
    {0x1E00, 0x1EFF, "Latin Extended Additional"},
    {0x1F00, 0x1FFF, "Greek Extended"},
    {0x2000, 0x206F, "General Punctuation"},
    {0x2070, 0x209F, "Subscripts and Superscripts"},
    {0x20A0, 0x20CF, "Currency Symbols"},
    {0x20D0, 0x20FF, "Combining Diacritical Marks for Symbols"},
    {0x2100, 0x214F, "Letter-like Symbols"},
    {0x2150, 0x218F, "Number Forms"},
    {0x2190, 0x21FF, "Arrows"},
    {0x27F0, 0x27FF, "Supplemental Arrows-A"},
    {0x2900, 0x297F, "Supplemental Arrows-B"},
    {0x2200, 0x22FF, "Mathematical Operators"},
    {0x2A00, 0x2AFF, "Supplemental Mathematical Operators"},
    {0x27C0, 0x27EF, "Miscellaneous Mathematical Symbols-A"},
    {0x2980, 0x29FF, "Miscellaneous Mathematical Symbols-B"},
    {0x2300, 0x23FF, "Miscellaneous Technical"},
    {0x2400, 0x243F, "Control Pictures"},
    {0x2440, 0x245F, "Optical Character Recognition"},
    {0x2460, 0x24FF, "Enclosed Alphanumerics"},
    {0x2500, 0x257F, "Box Drawing"},
    {0x2580, 0x259F, "Block Elements"},
    {0x25A0, 0x25FF, "Geometric Shapes"},
    {0x2600, 0x26FF, "Miscellaneous Symbols"},
    {0x2700, 0x27BF, "Dingbats"},
    {0x3000, 0x303F, "Chinese, Japanese, and Korean (CJK) Symbols and Punctuation"},
    {0x3040, 0x309F, "Hiragana"},
    {0x30A0, 0x30FF, "Katakana"},
    {0x31F0, 0x31FF, "Katakana Phonetic Extensions"},
    {0x3100, 0x312F, "Bopomofo"},
    {0x31A0, 0x31BF, "Extended Bopomofo"},
    {0x3130, 0x318F, "Hangul Compatibility Jamo"},
    {0x3200, 0x32FF, "Enclosed CJK Letters and Months"},
    {0x3300, 0x33FF, "CJK Compatibility"},
    {0xAC00, 0xD7A3, "Hangul"},
    {0xD800, 0xDFFF, "Surrogates"},
    {0x4E00, 0x9FFF, "CJK Unified Ideographs"},
    {0x2E80, 0x2EFF, "CJK Radicals Supplement"},
    {0x2F00, 0x2FDF, "Kangxi Radicals"},
    {0x2FF0, 0x2FFF, "Ideographic Description"},
    {0x3190, 0x319F, "Kanbun"},
    {0x3400, 0x4DBF, "CJK Unified Ideographs Extension A"},
    {0xF900, 0xFAFF, "CJK Compatibility Ideographs"},
    {0xFB00, 0xFB4F, "Alphabetic Presentation Forms"},
    {0xFB50, 0xFDFF, "Arabic Presentation Forms-A"},
    {0xFE20, 0xFE2F, "Combining Half Marks"},
    {0xFE30, 0xFE4F, "CJK Compatibility Forms"},
    {0xFE50, 0xFE6F, "Small Form Variants"},
    {0xFE70, 0xFEFE, "Arabic Presentation Forms-B"},
    {0xFF00, 0xFFEF, "Halfwidth and Fullwidth Forms"},
    {0xFFF0, 0xFFFF, "Specials"},
    {0x0F00, 0x0FFF, "Tibetan"},
    {0x0700, 0x074F, "Syriac"},
    {0x0780, 0x07BF, "Thaana"},
    {0x0D80, 0x0DFF, "Sinhala"},
    {0x1000, 0x109F, "Myanmar"},
    {0x1200, 0x12BF, "Ethiopic"},
    {0x13A0, 0x13FF, "Cherokee"},
    {0x1400, 0x167F, "Canadian Aboriginal Syllabics"},
    {0x1680, 0x169F, "Ogham"},
    {0x16A0, 0x16FF, "Runic"},
    {0x1780, 0x17FF, "Khmer"},
    {0x19E0, 0x19FF, "Khmer Symbols"},
    {0x1800, 0x18AF, "Mongolian"},
    {0x2800, 0x28FF, "Braille"},
    {0xA000, 0xA48F, "Yi"},
    {0xA480, 0xA4CF, "Yi Radicals"},
    {0x1700, 0x171F, "Tagalog"},
    {0x1720, 0x173F, "Hanunoo"},
    {0x1740, 0x175F, "Buhid"},
    {0x1760, 0x177F, "Tagmanwa"},
}};

int roundHalfEven(double value)
{
    return int(std::nearbyint(value)); // the default rounding mode rounds halves to even
}

void slantRows(picture::CodeImage &picture, double angleDegrees)
{
    if (angleDegrees == 0)
        return;
    shearRows(picture, std::tan(std::abs(angleDegrees) * std::numbers::pi / 180.0), angleDegrees > 0);
}

picture::CodeImage stretchPicture(const picture::CodeImage &picture, int width, int height)
{
    if (width <= 0 || height <= 0 || picture.width <= 0 || picture.height <= 0)
        return {};
    picture::CodeImage out(width, height, kFontPaper);
    for (int y = 0; y < height; ++y) {
        const int sy = int(int64_t(y) * picture.height / height);
        const uint8_t *src = picture.row(sy);
        uint8_t *dst = out.row(y);
        for (int x = 0; x < width; ++x)
            dst[x] = src[int64_t(x) * picture.width / width];
    }
    return out;
}

std::optional<InkRect> findInkBounds(const picture::CodeImage &picture)
{
    InkRect r{picture.width, picture.height, 0, 0};
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t *line = picture.row(y);
        for (int x = 0; x < picture.width; ++x) {
            if (line[x] != kFontInk)
                continue;
            r.left = std::min(r.left, x);
            r.right = std::max(r.right, x + 1);
            r.top = std::min(r.top, y);
            r.bottom = std::max(r.bottom, y + 1);
        }
    }
    if (r.right <= r.left || r.bottom <= r.top)
        return std::nullopt;
    return r;
}

picture::CodeImage renderSampleLine(const TextRenderer &renderer, const QString &text, double angleDegrees)
{
    const int width = renderer.textWidth(kThreeBlanks + text + kThreeBlanks);
    const int height = renderer.textHeight() + 2;
    if (width <= 0 || height <= 0)
        return {};
    picture::CodeImage picture(width, height, kFontPaper);
    renderer.draw(picture, 0, 1, kThreeBlanks + text + kThreeBlanks);
    slantRows(picture, angleDegrees);
    return picture;
}

namespace {

// How the items of one fill are drawn: with the font scaled to the fitted size where the renderer can,
// else at the font's size and stretched.
struct ItemDrawing {
    const TextRenderer &renderer;
    std::unique_ptr<TextRenderer> atFittedSize;
    double fx = 1; // the sample's size over the fitted size
    double fy = 1;

    ItemDrawing(const TextRenderer &r, const FillGeometry &g)
        : renderer(r), fx(g.sampleWidth / g.fittedWidth), fy(g.sampleHeight / g.fittedHeight)
    {
        atFittedSize = renderer.scaled(1 / fx, 1 / fy);
    }

    picture::CodeImage render(const QString &text, double angleDegrees) const
    {
        const TextRenderer &r = atFittedSize ? *atFittedSize : renderer;
        // Twice the padded width leaves room on both sides for the slant.
        const int width = 2 * r.textWidth(kThreeBlanks + text + kThreeBlanks);
        const int height = r.textHeight() + 2;
        if (width <= 0 || height <= 0)
            return {};
        picture::CodeImage first(width, height, kFontPaper);
        r.draw(first, width / 4, 0, text);
        if (!atFittedSize) {
            slantRows(first, angleDegrees);
            return stretchPicture(first, roundHalfEven(width / fx), roundHalfEven(height / fy));
        }
        // Drawn at the fitted size: the slant of the sample's pixels, as its scaling leaves it.
        if (angleDegrees != 0)
            shearRows(first, std::tan(std::abs(angleDegrees) * std::numbers::pi / 180.0) * fy / fx, angleDegrees > 0);
        return first;
    }
};

// The place, size and pixels of a glyph, as a key that equal shapes share.
QByteArray shapeKey(const Glyph &g)
{
    QByteArray key;
    key.reserve(3 + int(g.height) * int(sizeof(GlyphRow)));
    key.append(char(g.dy)).append(char(g.width)).append(char(g.height));
    key.append(reinterpret_cast<const char *>(g.rows.data()), qsizetype(g.height) * qsizetype(sizeof(GlyphRow)));
    return key;
}

} // namespace

picture::CodeImage renderFillItem(const TextRenderer &renderer, const QString &text, const FillGeometry &geometry)
{
    if (!geometry.isValid())
        return {};
    return ItemDrawing(renderer, geometry).render(text, geometry.angleDegrees);
}

std::optional<Glyph> glyphOfRendering(const picture::CodeImage &picture, const QString &text, uint8_t style, int dyOrigin)
{
    const auto ink = findInkBounds(picture);
    if (!ink)
        return std::nullopt;
    Glyph g;
    g.width = uint8_t(std::min(ink->right - ink->left, kGlyphMaxWidth));
    g.height = uint8_t(std::min(ink->bottom - ink->top, kGlyphMaxHeight));
    g.dy = uint8_t(std::clamp(ink->top - dyOrigin, 0, 255));
    g.style = style;
    g.text = core::toCharText(text.left(core::CharText::kCapacity));
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            if (picture.at(ink->left + x, ink->top + y) == kFontInk)
                g.setPixel(x, y, true);
    return g;
}

bool isInvisibleInText(const QString &item)
{
    const QList<uint> chars = item.toUcs4();
    return !chars.isEmpty() && std::all_of(chars.begin(), chars.end(), [](uint ch) {
        return QChar::category(char32_t(ch)) == QChar::Other_Format;
    });
}

bool isFillableCharacter(char32_t ch)
{
    return ch <= 0x10FFFF && !(ch >= 0xD800 && ch <= 0xDFFF) && !isNonCharacter(ch);
}

QStringList fillItems(const QString &characters)
{
    QStringList items;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const QChar c = characters.at(i);
        if (c.isHighSurrogate() && i + 1 < characters.size() && characters.at(i + 1).isLowSurrogate()) {
            const char32_t ch = QChar::surrogateToUcs4(c, characters.at(i + 1));
            if (isFillableCharacter(ch))
                items.append(characters.mid(i, 2));
            ++i;
            continue;
        }
        if (isFillableCharacter(c.unicode()))
            items.append(QString(c));
    }
    return items;
}

QString rangeCharacters(char32_t first, char32_t last)
{
    QString out;
    if (last < first)
        return out;
    out.reserve(qsizetype(std::min<char32_t>(last - first + 1, 0x110000)));
    for (char32_t ch = first; ch <= last && ch <= 0x10FFFF; ++ch)
        if (isFillableCharacter(ch))
            out.append(QString::fromUcs4(&ch, 1));
    return out;
}

std::vector<Glyph> glyphsOfRendering(const picture::CodeImage &picture, const QString &text, uint8_t style,
                                     int dyOrigin, const FillReading &reading)
{
    std::vector<Glyph> out;
    const auto ink = findInkBounds(picture);
    if (!ink)
        return out;
    picture::CodeImage work(picture.width, picture.height, 0);
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t *src = picture.row(y);
        uint8_t *dst = work.row(y);
        for (int x = 0; x < picture.width; ++x)
            dst[x] = src[x] == kFontInk ? 1 : 0;
    }
    OcrSettings settings = reading.settings;
    // The rendering is one line however far apart its pieces stand, as the dots of a colon are in a line
    // of text.
    settings.minLineHeight = picture.height;
    settings.maxLineHeight = std::max(settings.maxLineHeight, picture.height);
    const Segmentation seg = segmentSubtitle(work, InkCodes{1, 255}, {}, settings);
    if (seg.lines.size() != 1 || seg.lines.front().boxes.empty()) {
        // Ink recognition finds no box in (too wide, or pieces too small): the whole ink as one entry.
        if (auto g = glyphOfRendering(picture, text, style, dyOrigin))
            out.push_back(*g);
        return out;
    }
    const TextLine &line = seg.lines.front();
    const int count = int(line.boxes.size());
    const int first = reading.rightToLeft ? count - 1 : 0;
    const core::CharText takeWithNext = core::toCharText(QString::fromUtf16(kTakeWithNext));
    for (int extra = 0; extra < count; ++extra) {
        Glyph g = extra == 0 ? buildGlyphDescriptor(work, markerOfBox(first), line.boxes[size_t(first)])
                             : buildMergedDescriptor(work, line.boxes, first, extra, reading.rightToLeft);
        g.dy = uint8_t(std::clamp(g.dy + line.top - dyOrigin, 0, 255));
        const bool whole = extra + 1 == count;
        g.text = whole ? core::toCharText(text.left(core::CharText::kCapacity)) : takeWithNext;
        g.style = whole ? style : 0;
        out.push_back(g);
    }
    return out;
}

FillReport fillMatrixFromFont(CharMatrix &matrix, const TextRenderer &renderer, const QStringList &items,
                              const FillGeometry &geometry, const FillReading &reading)
{
    FillReport report;
    if (!geometry.isValid())
        return report;
    // The entries' top offsets count from the top of the sample line, as the line's top in a picture.
    const ItemDrawing drawing(renderer, geometry);
    // Recognition reduces the pictures of a tall frame by blocks of factor x factor pixels, whose grid
    // falls on a character wherever the character happens to stand: each of the factor x factor
    // offsets gives it a reduced shape of its own, and every distinct one is learnt.
    const int factor = std::max(1, reading.reduction);
    const auto reducedAt = [factor](const picture::CodeImage &rendering, int dx, int dy) {
        if (factor == 1)
            return rendering;
        picture::CodeImage moved(rendering.width + dx, rendering.height + dy, kFontPaper);
        for (int y = 0; y < rendering.height; ++y)
            std::copy_n(rendering.row(y), rendering.width, moved.row(y + dy) + dx);
        return reducePicture(moved, InkCodes{kFontInk, 255}, factor);
    };
    std::vector<int> origin(size_t(factor), 0); // by the rows the grid is moved by
    const picture::CodeImage sample = drawing.render(geometry.sampleText, geometry.angleDegrees);
    for (int dy = 0; dy < factor; ++dy)
        if (const auto ink = findInkBounds(reducedAt(sample, 0, dy)))
            origin[size_t(dy)] = ink->top;
    matrix.reserve(matrix.count()
                   + int(std::min<qsizetype>(items.size() * factor * factor, CharMatrix::kMaxEntries)));
    // Characters that begin with the same piece (the radicals of CJK characters, say) need its "take
    // with next" entry once.
    std::unordered_set<QByteArray> runStarts;
    for (const QString &item : items) {
        bool known = true;
        for (char32_t ch : item.toUcs4())
            known = known && isFillableCharacter(ch) && renderer.hasGlyph(ch);
        if (!known) {
            ++report.missing;
            continue;
        }
        // A soft hyphen or a zero-width joiner is never seen in a text, yet a font may draw it like a
        // visible character: learnt before that one (the Latin-1 range comes before a typed "-"), it
        // would read every hyphen as a character that players hide.
        if (isInvisibleInText(item)) {
            ++report.noInk;
            continue;
        }
        const picture::CodeImage rendering = drawing.render(item, geometry.angleDegrees);
        std::unordered_set<QByteArray> shapes; // of this item, over the offsets
        bool inked = false;
        for (int dy = 0; dy < factor; ++dy) {
            for (int dx = 0; dx < factor; ++dx) {
                const std::vector<Glyph> glyphs =
                    glyphsOfRendering(reducedAt(rendering, dx, dy), item, geometry.style, origin[size_t(dy)], reading);
                inked = inked || !glyphs.empty();
                for (const Glyph &g : glyphs) {
                    if (!shapes.insert(shapeKey(g)).second)
                        continue;
                    if (isTakeWithNext(g.text) && !runStarts.insert(shapeKey(g)).second)
                        continue;
                    if (matrix.add(g) != CharMatrix::AddOutcome::Added) {
                        report.full = true;
                        return report;
                    }
                }
            }
        }
        if (!inked) {
            ++report.noInk;
            continue;
        }
        ++report.added;
    }
    return report;
}

QString fillRangeItem(const FillRange &range)
{
    auto hex = [](char16_t code) { return QString::number(uint(code), 16).toUpper().rightJustified(4, QLatin1Char('0')); };
    return hex(range.first) + QStringLiteral(" - ") + hex(range.last) + QLatin1Char(' ') + QString::fromLatin1(range.name);
}

std::pair<char32_t, char32_t> parseFillRangeItem(const QString &item)
{
    bool ok = false;
    char32_t first = item.mid(0, 4).toUInt(&ok, 16);
    if (!ok)
        first = 65;
    char32_t last = item.mid(7, 4).toUInt(&ok, 16);
    if (!ok)
        last = 90;
    return {first, last};
}

} // namespace glyfex::recognition
