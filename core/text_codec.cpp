// Conversion between UTF-16 and Windows code pages through glibc iconv, with our own per-character fallback.
#include "core/text_codec.h"

#include <QStringDecoder>
#include <QSysInfo>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <optional>
#include <unordered_map>

namespace glyfex::core::TextCodec {

namespace {

struct PageName {
    CodePage page;
    const char *iconv;
};

// Windows code-page numbers and the glibc converter that reads and writes the same bytes. The Mac pages of
// the Far East are the EUC / Big5 encodings they are built on; the 7-bit national IA5 pages are the
// ISO 646 variants of the same letters; the EBCDIC pages with Far East characters are IBM's mixed
// single- and double-byte ones. Pages glibc has no converter for (ISCII, HZ, the Taiwanese and most Mac
// pages, a few EBCDIC ones) are left out and not offered, so asking for them is an error instead of a
// silent wrong conversion. Sorted by page for the binary search.
constexpr PageName kPages[] = {
    {37, "IBM037"},           {437, "IBM437"},          {500, "IBM500"},
    {708, "ASMO-708"},        {737, "CP737"},           {775, "IBM775"},
    {850, "IBM850"},          {852, "IBM852"},          {855, "IBM855"},
    {857, "IBM857"},          {858, "IBM858"},          {860, "IBM860"},
    {861, "IBM861"},          {862, "IBM862"},          {863, "IBM863"},
    {864, "IBM864"},          {865, "IBM865"},          {866, "IBM866"},
    {869, "IBM869"},          {870, "IBM870"},          {874, "WINDOWS-874"},
    {875, "IBM875"},          {932, "CP932"},           {936, "CP936"},
    {949, "CP949"},           {950, "CP950"},           {1026, "IBM1026"},
    {1047, "IBM1047"},        {1140, "IBM1140"},        {1141, "IBM1141"},
    {1142, "IBM1142"},        {1143, "IBM1143"},        {1144, "IBM1144"},
    {1145, "IBM1145"},        {1146, "IBM1146"},        {1147, "IBM1147"},
    {1148, "IBM1148"},        {1149, "IBM1149"},        {1200, "UTF-16LE"},
    {1201, "UTF-16BE"},       {1250, "CP1250"},         {1251, "CP1251"},
    {1252, "CP1252"},         {1253, "CP1253"},         {1254, "CP1254"},
    {1255, "CP1255"},         {1256, "CP1256"},         {1257, "CP1257"},
    {1258, "CP1258"},         {1361, "JOHAB"},          {10000, "MACINTOSH"},
    {10001, "SHIFT_JIS"},     {10002, "BIG5"},          {10003, "EUC-KR"},
    {10007, "CP10007"},       {10008, "EUC-CN"},        {10017, "MACUKRAINIAN"},
    {10029, "MAC-CENTRALEUROPE"}, {10079, "MAC-IS"},    {12000, "UTF-32LE"},
    {12001, "UTF-32BE"},      {20106, "ISO646-DE"},     {20107, "ISO646-SE2"},
    {20108, "ISO646-NO"},     {20127, "ASCII"},         {20261, "T.61-8BIT"},
    {20269, "ISO_6937"},      {20273, "IBM273"},        {20277, "IBM277"},
    {20278, "IBM278"},        {20280, "IBM280"},        {20284, "IBM284"},
    {20285, "IBM285"},        {20290, "IBM290"},        {20297, "IBM297"},
    {20420, "IBM420"},        {20423, "IBM423"},        {20424, "IBM424"},
    {20866, "KOI8-R"},        {20871, "IBM871"},        {20880, "IBM880"},
    {20905, "IBM905"},        {20932, "EUC-JP"},        {20936, "EUC-CN"},
    {21025, "IBM1025"},       {21866, "KOI8-U"},        {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"},    {28593, "ISO-8859-3"},    {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"},    {28596, "ISO-8859-6"},    {28597, "ISO-8859-7"},
    {28598, "ISO-8859-8"},    {28599, "ISO-8859-9"},    {28603, "ISO-8859-13"},
    {28605, "ISO-8859-15"},   {38598, "ISO-8859-8"},    {50220, "ISO-2022-JP"},
    // 50221 writes half-width katakana after ESC ( I and kanji after ESC $ B, as ISO-2022-JP-3 does.
    {50221, "ISO-2022-JP-3"}, {50225, "ISO-2022-KR"},   {50227, "ISO-2022-CN"},
    // No 50229: glibc's ISO-2022-CN readers keep the simplified set after a switch to the traditional
    // one inside a shifted run, so they cannot read back the traditional text their writer gives.
    {50930, "IBM930"},        {50933, "IBM933"},
    {50935, "IBM935"},        {50937, "IBM937"},        {50939, "IBM939"},
    {51932, "EUC-JP"},        {51936, "EUC-CN"},        {51949, "EUC-KR"},
    {51950, "EUC-TW"},        {54936, "GB18030"},       {65000, "UTF-7"},
    {65001, "UTF-8"},
};

// Pages that hold every Unicode character: composing first would only change the caller's text.
bool holdsAllOfUnicode(CodePage page)
{
    switch (page) {
    case 1200: case 1201: case 12000: case 12001: case 54936: case 65000: case 65001:
        return true;
    default:
        return false;
    }
}

// Pages whose glibc decoder keeps the last letter back to compose it with combining marks that follow.
bool holdsBackLetters(CodePage page)
{
    return page == 1255 || page == 1258;
}

// Bytes per code unit: an undecodable unit is skipped whole, so the units after it stay aligned.
size_t unitSize(CodePage page)
{
    switch (page) {
    case 1200: case 1201: return 2;
    case 12000: case 12001: return 4;
    default: return 1;
    }
}

constexpr char16_t kReplacement = u'\uFFFD';

// iconv's name for the program's own UTF-16 in memory.
constexpr const char *kHostUtf16 = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// The whole mapping of a page where every character is one byte, read out of iconv once. Subtitle files
// are converted line by line, and a table lookup per character is many times quicker than iconv's
// general path for these pages, which are most of the ones in use.
struct SingleByteTables {
    std::array<int16_t, 0x10000> encode; // UTF-16 unit -> byte, -1 where the page has none
    std::array<char16_t, 0x100> decode;  // byte -> UTF-16 unit, U+FFFD where the page defines none
    char question = '?';                 // the page's own "?"
};

// The descriptors of one page, kept for the life of the thread: a line costs neither an iconv_open nor a
// rebuild of the tables.
struct Converters {
    iconv_t toPage = kNoConverter;
    iconv_t fromPage = kNoConverter;
    bool opened = false;
    std::unique_ptr<SingleByteTables> tables;
};

// One UTF-16 unit through the encoder: the number of bytes it gave (0 when the page cannot hold it).
size_t encodeUnit(iconv_t cd, char16_t unit, char *out, size_t room)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *in = reinterpret_cast<char *>(&unit);
    size_t inLeft = sizeof unit;
    char *o = out;
    size_t oLeft = room;
    if (iconv(cd, &in, &inLeft, &o, &oLeft) == size_t(-1)) return 0;
    if (iconv(cd, nullptr, nullptr, &o, &oLeft) == size_t(-1)) return 0;
    return room - oLeft;
}

// The tables of a page whose every character is exactly one byte each way, or nullptr for any other
// page (multi-byte, shift states, composing decoders), which is found out rather than listed: the first
// character that needs more than one byte ends the attempt.
std::unique_ptr<SingleByteTables> buildSingleByteTables(CodePage page, iconv_t toPage, iconv_t fromPage)
{
    if (holdsAllOfUnicode(page) || holdsBackLetters(page)) return nullptr;
    auto tables = std::make_unique<SingleByteTables>();
    for (int b = 0; b < 0x100; ++b) {
        iconv(fromPage, nullptr, nullptr, nullptr, nullptr);
        char byte = char(b);
        char *in = &byte;
        size_t inLeft = 1;
        char16_t unit[2];
        char *o = reinterpret_cast<char *>(unit);
        size_t oLeft = sizeof unit;
        if (iconv(fromPage, &in, &inLeft, &o, &oLeft) == size_t(-1)) {
            if (errno != EILSEQ) return nullptr; // a lead byte waiting for more
            tables->decode[size_t(b)] = kReplacement;
            continue;
        }
        if (sizeof unit - oLeft != sizeof(char16_t)) return nullptr;
        tables->decode[size_t(b)] = unit[0];
    }
    for (int u = 0; u < 0x10000; ++u) {
        char bytes[8];
        const size_t n = QChar::isSurrogate(char16_t(u)) ? 0 : encodeUnit(toPage, char16_t(u), bytes, sizeof bytes);
        if (n > 1) return nullptr;
        tables->encode[size_t(u)] = n == 1 ? int16_t(uint8_t(bytes[0])) : int16_t(-1);
    }
    if (tables->encode[u'?'] < 0) return nullptr;
    tables->question = char(tables->encode[u'?']);
    return tables;
}

// A byte where glibc's table for a page differs from the page's published mapping (the vendor's table as
// Unicode and Apple publish it), and the character that mapping gives it. glibc's MAC-IS is another
// variant of Mac Icelandic (dagger for Y acute, D with stroke for eth, the dashes swapped), its MACINTOSH
// has a Greek delta for the increment sign and a private character for the Apple logo, and its EBCDIC
// tables of 875, 1026 and 424 follow IBM where the published tables differ. Every byte of every one-byte
// page is checked against the published mappings by the tests.
struct ByteFix {
    CodePage page;
    uint8_t byte;
    char16_t unit;
};
constexpr ByteFix kByteFixes[] = {
    {875, 0x6A, u'\u007C'},   // vertical line (as 0x4F), not undefined
    {875, 0x74, u'\u00A0'},   // no-break space, not nabla
    {875, 0xDC, u'\u001A'},   // the page's unused bytes read as SUB (as 0x3F), not undefined
    {875, 0xDD, u'\u0387'},   // Greek ano teleia, not middle dot
    {875, 0xE1, u'\u001A'},   {875, 0xEC, u'\u001A'}, {875, 0xED, u'\u001A'},
    {875, 0xFC, u'\u001A'},   {875, 0xFD, u'\u001A'},
    {1026, 0x9D, u'\u00B8'},  // cedilla, not ogonek
    {1026, 0xBC, u'\u00AF'},  // macron, not em dash
    {10000, 0xC6, u'\u2206'}, // increment, not Greek capital delta
    {10000, 0xF0, u'\uF8FF'}, // the Apple logo's private character
    {10007, 0xA2, u'\u0490'}, // Cyrillic capital ghe with upturn, not cent sign
    {10007, 0xFF, u'\u20AC'}, // euro sign, not currency sign
    {10079, 0xA0, u'\u00DD'}, // Y acute, not dagger
    {10079, 0xC6, u'\u2206'}, // increment, not Greek capital delta
    {10079, 0xD0, u'\u2013'}, // en dash, not em dash
    {10079, 0xD1, u'\u2014'}, // em dash, not en dash
    {10079, 0xD7, u'\u25CA'}, // lozenge, not black diamond
    {10079, 0xDB, u'\u20AC'}, // euro sign, not currency sign
    {10079, 0xDC, u'\u00D0'}, // capital eth, not D with stroke
    {10079, 0xDD, u'\u00F0'}, // small eth, not d with stroke
    {10079, 0xE0, u'\u00FD'}, // y acute, not double dagger
    {10079, 0xF0, u'\uF8FF'}, // the Apple logo's private character
    {10079, 0xF6, u'\u02C6'}, // modifier circumflex, not undefined
    {10079, 0xF7, u'\u02DC'}, // small tilde, not undefined
    {20424, 0x78, u'\u2017'}, // double low line, not left-right double arrow
    {20424, 0x8F, u'\u00B1'}, // plus-minus sign, not undefined
};

// The first byte that reads as the unit, or -1.
int16_t byteReadAs(const SingleByteTables &tables, char16_t unit)
{
    for (int b = 0; b < 0x100; ++b)
        if (tables.decode[size_t(b)] == unit) return int16_t(b);
    return -1;
}

// Puts the published characters into a page's tables where glibc's differ. A character that no byte
// reads as any more is no longer written (it becomes "?"); one that a mended byte now reads as is written
// as that byte unless another byte already reads as it.
void applyByteFixes(CodePage page, SingleByteTables &tables)
{
    for (const ByteFix &fix : kByteFixes) {
        if (fix.page != page) continue;
        const char16_t old = tables.decode[fix.byte];
        tables.decode[fix.byte] = fix.unit;
        if (old != kReplacement && tables.encode[old] == fix.byte) tables.encode[old] = byteReadAs(tables, old);
        const int16_t written = tables.encode[fix.unit];
        if (written < 0 || tables.decode[size_t(written)] != fix.unit) tables.encode[fix.unit] = fix.byte;
    }
}

class ConverterCache {
public:
    ConverterCache() = default;
    ConverterCache(const ConverterCache &) = delete;
    ConverterCache &operator=(const ConverterCache &) = delete;
    ~ConverterCache()
    {
        for (auto &[page, c] : m_pages) {
            if (c.toPage != kNoConverter) iconv_close(c.toPage);
            if (c.fromPage != kNoConverter) iconv_close(c.fromPage);
        }
    }

    // The opened converters of a page (both directions, and its one-byte tables when it has them), or an
    // error naming the page.
    Result<Converters *> page(CodePage page)
    {
        if (m_last && m_lastPage == page) return m_last;
        const char *name = iconvName(page);
        if (!name)
            return makeError(QStringLiteral("Unsupported code page"), QStringLiteral("code page %1").arg(page),
                             QStringLiteral("the program has no converter for it"));
        Converters &c = m_pages[page];
        if (!c.opened) {
            c.opened = true;
            c.toPage = iconv_open(name, kHostUtf16);
            c.fromPage = iconv_open(kHostUtf16, name);
            if (c.toPage != kNoConverter && c.fromPage != kNoConverter)
                c.tables = buildSingleByteTables(page, c.toPage, c.fromPage);
            if (c.tables) applyByteFixes(page, *c.tables);
        }
        if (c.toPage == kNoConverter || c.fromPage == kNoConverter)
            return makeError(QStringLiteral("Unsupported code page"), QStringLiteral("code page %1").arg(page),
                             QStringLiteral("this system's iconv has no converter \"%1\"").arg(QLatin1String(name)));
        m_lastPage = page;
        m_last = &c; // nodes of an unordered_map stay where they are
        return &c;
    }

private:
    std::unordered_map<CodePage, Converters> m_pages;
    // Files are converted line after line in one page: the last one answers without a hash lookup.
    CodePage m_lastPage = 0;
    Converters *m_last = nullptr;
};

ConverterCache &cache()
{
    thread_local ConverterCache instance;
    return instance;
}

// An output buffer that iconv writes into and that doubles when iconv says it is full.
class OutBuffer {
public:
    explicit OutBuffer(qsizetype initial) { m_bytes.resize(std::max<qsizetype>(initial, 16)); m_left = size_t(m_bytes.size()); }
    // iconv moves the cursor and lowers the space left together; the cursor is derived from the space left.
    char **cursor() { m_cursor = m_bytes.data() + (size_t(m_bytes.size()) - m_left); return &m_cursor; }
    size_t *left() { return &m_left; }
    void grow()
    {
        m_bytes.resize(m_bytes.size() * 2);
        m_left += size_t(m_bytes.size() / 2);
    }
    void append(const void *data, size_t size)
    {
        while (m_left < size) grow();
        std::memcpy(m_bytes.data() + used(), data, size);
        m_left -= size;
    }
    qsizetype used() const { return m_bytes.size() - qsizetype(m_left); }
    QByteArray take()
    {
        m_bytes.resize(used());
        return std::move(m_bytes);
    }

private:
    QByteArray m_bytes;
    char *m_cursor = nullptr;
    size_t m_left = 0;
};

// Runs iconv over the input until it is consumed, an error other than a full buffer occurs, or, with no
// input (nullptr), until the shift state is flushed. Returns 0 or the errno iconv stopped with.
int convertInto(iconv_t cd, char **in, size_t *inLeft, OutBuffer &out)
{
    for (;;) {
        if (iconv(cd, in, inLeft, out.cursor(), out.left()) != size_t(-1))
            return 0;
        if (errno != E2BIG)
            return errno;
        out.grow();
    }
}

Error failure(CodePage page, int err, const char *direction)
{
    return makeError(QStringLiteral("Text conversion failed"), QStringLiteral("code page %1").arg(page),
                     QStringLiteral("%1: %2").arg(QLatin1String(direction), QString::fromLocal8Bit(std::strerror(err))));
}

bool hasMark(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x0300 && c.isMark())
            return true;
    return false;
}

// Encodes through a page's one-byte table. Without acceptMisses, gives up (nullopt) at the first unit the
// page has no byte for, so that the caller can compose the text and try again.
std::optional<QByteArray> encodeByTable(const SingleByteTables &tables, const QString &text, int *unmappable,
                                        bool acceptMisses = false)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char *o = out.data();
    int missing = 0;
    const auto *units = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const int16_t byte = tables.encode[units[i]];
        if (byte >= 0) {
            *o++ = char(byte);
            continue;
        }
        if (!acceptMisses) return std::nullopt;
        if (QChar::isHighSurrogate(units[i]) && i + 1 < n && QChar::isLowSurrogate(units[i + 1])) ++i;
        *o++ = tables.question;
        ++missing;
    }
    out.truncate(o - out.data());
    if (unmappable) *unmappable = missing;
    return out;
}

// Encodes through iconv, writing the page's "?" for every character it cannot hold.
Result<QByteArray> encodeByIconv(iconv_t cd, CodePage page, const QString &source, int *unmappable)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr); // back to the initial shift state
    char *in = const_cast<char *>(reinterpret_cast<const char *>(source.utf16()));
    size_t inLeft = size_t(source.size()) * sizeof(char16_t);
    OutBuffer out(source.size() * 2 + 8);
    int missing = 0;
    while (inLeft > 0) {
        const int err = convertInto(cd, &in, &inLeft, out);
        if (err == 0) break;
        if (err != EILSEQ && err != EINVAL) return failure(page, err, "encoding");
        // iconv stopped at a character the page cannot hold (or at a lone surrogate): it counts as one
        // character, whether one code unit or a surrogate pair, and is written as the page's "?". The "?"
        // goes through the same descriptor so that shift-state pages switch back to ASCII for it.
        char16_t unit;
        std::memcpy(&unit, in, sizeof unit);
        size_t units = 1;
        if (QChar::isHighSurrogate(unit) && inLeft >= 2 * sizeof(char16_t)) {
            char16_t next;
            std::memcpy(&next, in + sizeof unit, sizeof next);
            if (QChar::isLowSurrogate(next)) units = 2;
        }
        in += units * sizeof(char16_t);
        inLeft -= units * sizeof(char16_t);
        ++missing;
        char16_t question = u'?';
        char *qIn = reinterpret_cast<char *>(&question);
        size_t qLeft = sizeof question;
        if (const int qErr = convertInto(cd, &qIn, &qLeft, out)) return failure(page, qErr, "encoding");
    }
    if (const int err = convertInto(cd, nullptr, nullptr, out)) return failure(page, err, "encoding");
    if (unmappable) *unmappable = missing;
    return out.take();
}

// Encodes without composing: through the page's table when it has one, else through iconv.
Result<QByteArray> encodeAsIs(const Converters &c, CodePage page, const QString &text, int *unmappable)
{
    if (c.tables) return *encodeByTable(*c.tables, text, unmappable, true);
    return encodeByIconv(c.toPage, page, text, unmappable);
}

bool holdsAll(const Converters &c, CodePage page, const QString &text)
{
    int missing = 0;
    return encodeAsIs(c, page, text, &missing).ok() && missing == 0;
}

// A letter and the marks after it where the whole cannot be written composed: each mark is folded into the
// letter where the page holds the result as one character, kept where the page holds the mark itself
// (Thai vowels, Hebrew points, 1258's tones), and dropped otherwise, so that "q" + U+0301 is written "q"
// and not "q?", and "e" + U+0301 + U+0323 is written "é".
QString foldMarks(const QString &cluster, qsizetype baseLength, const Converters &c, CodePage page)
{
    QString letter = cluster.left(baseLength);
    QString kept;
    for (qsizetype i = baseLength; i < cluster.size();) {
        const qsizetype length = QChar::isHighSurrogate(cluster.at(i).unicode()) && i + 1 < cluster.size() ? 2 : 1;
        const QString mark = cluster.mid(i, length);
        i += length;
        if (kept.isEmpty()) {
            const QString folded = (letter + mark).normalized(QString::NormalizationForm_C);
            const bool oneCharacter = folded.size() == 1 || (folded.size() == 2 && folded.at(0).isHighSurrogate());
            if (oneCharacter && holdsAll(c, page, folded)) {
                letter = folded;
                continue;
            }
        }
        if (holdsAll(c, page, mark)) kept += mark;
    }
    return letter + kept;
}

// Replaces each letter-plus-marks cluster by its composed form where that is shorter and the page holds
// all of it, so "e" + U+0301 becomes the page's "é"; otherwise folds, keeps or drops its marks one by one
// (foldMarks). A cluster without marks is kept as it is, so that one character never turns into two "?"
// (composition exclusions decompose under NFC).
QString composeWhereHeld(const QString &text, const Converters &c, CodePage page)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    auto nextCodePoint = [&](qsizetype i) {
        return QChar::isHighSurrogate(text.at(i).unicode()) && i + 1 < n && text.at(i + 1).isLowSurrogate() ? i + 2 : i + 1;
    };
    auto codePointAt = [&](qsizetype i) {
        return nextCodePoint(i) == i + 2 ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : char32_t(text.at(i).unicode());
    };
    qsizetype i = 0;
    while (i < n) {
        const qsizetype start = i;
        i = nextCodePoint(i);
        const qsizetype baseLength = i - start;
        while (i < n && QChar::isMark(codePointAt(i))) i = nextCodePoint(i);
        const QString cluster = text.mid(start, i - start);
        if (cluster.size() == baseLength) {
            out += cluster;
            continue;
        }
        const QString composed = cluster.normalized(QString::NormalizationForm_C);
        if (composed.size() < cluster.size() && holdsAll(c, page, composed))
            out += composed;
        else
            out += foldMarks(cluster, baseLength, c, page);
    }
    return out;
}

} // namespace

CodePage ansiCodePageOfLocale(const QLocale &locale)
{
    switch (locale.language()) {
    case QLocale::Czech: case QLocale::Slovak: case QLocale::Polish: case QLocale::Hungarian:
    case QLocale::Slovenian: case QLocale::Croatian: case QLocale::Romanian: case QLocale::Albanian:
    case QLocale::Bosnian: case QLocale::LowerSorbian: case QLocale::UpperSorbian:
        return locale.script() == QLocale::CyrillicScript ? 1251 : 1250;
    case QLocale::Serbian:
        return locale.script() == QLocale::LatinScript ? 1250 : 1251;
    case QLocale::Russian: case QLocale::Ukrainian: case QLocale::Belarusian: case QLocale::Bulgarian:
    case QLocale::Macedonian: case QLocale::Kazakh: case QLocale::Kyrgyz: case QLocale::Tatar:
    case QLocale::Mongolian: case QLocale::Bashkir: case QLocale::Tajik: case QLocale::Sakha:
        return 1251;
    case QLocale::Azerbaijani: case QLocale::Uzbek:
        return locale.script() == QLocale::CyrillicScript ? 1251 : 1254;
    case QLocale::Greek: return 1253;
    case QLocale::Turkish: return 1254;
    case QLocale::Hebrew: case QLocale::Yiddish: return 1255;
    case QLocale::Arabic: case QLocale::Persian: case QLocale::Urdu: case QLocale::Uyghur: case QLocale::Pashto:
    case QLocale::Sindhi:
        return 1256;
    case QLocale::Lithuanian: case QLocale::Latvian: case QLocale::Estonian: return 1257;
    case QLocale::Vietnamese: return 1258;
    case QLocale::Thai: return 874;
    case QLocale::Japanese: return 932;
    case QLocale::Korean: return 949;
    case QLocale::Chinese: {
        const auto t = locale.territory();
        const bool traditional = locale.script() == QLocale::TraditionalChineseScript || t == QLocale::Taiwan
                                 || t == QLocale::HongKong || t == QLocale::Macao;
        return traditional ? 950 : 936;
    }
    default: return 1252;
    }
}

CodePage systemAnsiCodePage()
{
    return ansiCodePageOfLocale(QLocale());
}

CodePage resolve(CodePage codePage)
{
    return codePage == 0 ? systemAnsiCodePage() : codePage;
}

const char *iconvName(CodePage codePage)
{
    const CodePage page = resolve(codePage);
    auto it = std::lower_bound(std::begin(kPages), std::end(kPages), page,
                               [](const PageName &p, CodePage v) { return p.page < v; });
    return it != std::end(kPages) && it->page == page ? it->iconv : nullptr;
}

bool isSupported(CodePage codePage)
{
    return cache().page(resolve(codePage)).ok();
}

bool isValidUtf8(QByteArrayView bytes)
{
    // Stateless: a sequence cut off at the end is an error too.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)QString(decoder.decode(bytes));
    return !decoder.hasError();
}

Result<QByteArray> encode(const QString &text, CodePage codePage, int *unmappable)
{
    const CodePage page = resolve(codePage);
    if (unmappable) *unmappable = 0;
    auto converters = cache().page(page);
    if (!converters) return converters.error();
    if (text.isEmpty()) return QByteArray();
    const Converters &c = **converters;
    // Text whose every unit has a byte in the page needs no composing: look for marks only after a miss.
    if (c.tables)
        if (auto bytes = encodeByTable(*c.tables, text, unmappable)) return *bytes;
    // A letter followed by a combining mark is one character to the reader; pages such as 1252 hold it
    // only in its precomposed form.
    if (!holdsAllOfUnicode(page) && hasMark(text)) return encodeAsIs(c, page, composeWhereHeld(text, c, page), unmappable);
    return encodeAsIs(c, page, text, unmappable);
}

Result<QString> decode(QByteArrayView bytes, CodePage codePage)
{
    const CodePage page = resolve(codePage);
    auto converters = cache().page(page);
    if (!converters) return converters.error();
    if (bytes.isEmpty()) return QString();

    if (const SingleByteTables *tables = (*converters)->tables.get()) {
        QString text(bytes.size(), Qt::Uninitialized);
        QChar *out = text.data();
        for (qsizetype i = 0; i < bytes.size(); ++i) out[i] = QChar(tables->decode[uint8_t(bytes[i])]);
        return text;
    }

    iconv_t cd = (*converters)->fromPage;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *in = const_cast<char *>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    OutBuffer out(bytes.size() * qsizetype(sizeof(char16_t)) + 8);
    while (inLeft > 0) {
        const int err = convertInto(cd, &in, &inLeft, out);
        if (err == 0) break;
        if (err != EILSEQ && err != EINVAL) return failure(page, err, "decoding");
        // An undefined byte (or unit), or an incomplete sequence at the end: one U+FFFD for it, then go on.
        // Pages that hold back a letter to compose it with a following mark must hand it out first, or
        // the replacement would land before it.
        if (holdsBackLetters(page))
            if (const int fErr = convertInto(cd, nullptr, nullptr, out)) return failure(page, fErr, "decoding");
        const size_t skip = std::min(unitSize(page), inLeft);
        in += skip;
        inLeft -= skip;
        out.append(&kReplacement, sizeof kReplacement);
    }
    // Pages such as 1258 hold back the last letter to combine it with a following mark: flush it.
    if (const int err = convertInto(cd, nullptr, nullptr, out)) return failure(page, err, "decoding");
    const QByteArray units = out.take();
    return QString(reinterpret_cast<const QChar *>(units.constData()), units.size() / qsizetype(sizeof(char16_t)));
}

} // namespace glyfex::core::TextCodec
