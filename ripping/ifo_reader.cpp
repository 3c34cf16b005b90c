// Title-set IFO reader: subpicture stream names, the DVD palette and the frame size of a VTS_xx_0.IFO/.BUP.
#include "ripping/ifo_reader.h"

#include "core/byte_reader.h"
#include "core/file_read.h"
#include "core/user_prompt.h"

#include <QDir>

#include <cmath>
#include <string_view>

namespace glyfex::ripping {

namespace {

using core::ByteReader;
using core::Error;
using core::makeError;

// Offsets of the title-set information table (all numbers big-endian).
constexpr size_t kIdentifierSize = 12;        // "DVDVIDEO-VTS" at 0
constexpr size_t kPgcitSectorAt = 0x0CC;      // 32-bit sector of the program chain table
constexpr size_t kVideoAttrAt = 0x200;        // two bytes of video attributes
constexpr size_t kSubpCountAt = 0x255;        // 8-bit number of subpicture streams
constexpr size_t kSubpLangAt = 0x258;         // 2 ASCII letters per 6-byte subpicture attribute
constexpr size_t kSubpExtAt = 0x25B;          // code extension per attribute, low 4 bits used
constexpr size_t kSubpAttrSize = 6;
constexpr size_t kHeaderEnd = kSubpExtAt + kSubpAttrSize * 31 + 1;
// Inside the first program chain.
constexpr size_t kSubpControlAt = 0x1C;       // 32 control words
constexpr size_t kColourTableAt = 0xA4;       // 16 entries of (0, Y, Cr, Cb)
constexpr size_t kPgcEnd = kColourTableAt + 16 * 4;
constexpr qint64 kLargestIfo = 64 * 1024 * 1024;

const QString kNotTitleSet = QStringLiteral("Not a title-set IFO");

QString where(const QString &source, uint64_t offset)
{
    const QString at = QStringLiteral("byte %1").arg(offset);
    return source.isEmpty() ? at : source + QStringLiteral(", ") + at;
}

// Byte offset of the first program chain, checked so that its control words and colour table lie inside.
core::Result<size_t> firstProgramChain(std::span<const uint8_t> bytes, const QString &source)
{
    if (bytes.size() < kHeaderEnd)
        return makeError(kNotTitleSet, where(source, bytes.size()),
                         QStringLiteral("the file ends before the subpicture attributes (%1 bytes needed)")
                             .arg(kHeaderEnd));
    static constexpr std::string_view kIdentifier = "DVDVIDEO-VTS";
    if (std::string_view(reinterpret_cast<const char *>(bytes.data()), kIdentifierSize) != kIdentifier)
        return makeError(kNotTitleSet, where(source, 0), QStringLiteral("the identifier DVDVIDEO-VTS is missing"));

    ByteReader r(bytes);
    r.seek(kPgcitSectorAt);
    const uint64_t pgcit = uint64_t(r.be32()) * 2048;
    // The table starts with the number of program chains (16-bit), then 8-byte search pointers whose
    // second half is the chain's start in bytes from the table.
    if (pgcit + 16 > bytes.size())
        return makeError(kNotTitleSet, where(source, kPgcitSectorAt),
                         QStringLiteral("the program chain table at byte %1 lies outside the file").arg(pgcit));
    r.seek(size_t(pgcit));
    const uint16_t chains = r.be16();
    if (chains == 0)
        return makeError(kNotTitleSet, where(source, pgcit), QStringLiteral("the title set has no program chain"));
    r.seek(size_t(pgcit) + 12);
    const uint64_t pgc = pgcit + r.be32();
    if (pgc + kPgcEnd > bytes.size())
        return makeError(kNotTitleSet, where(source, pgcit + 12),
                         QStringLiteral("the first program chain at byte %1 lies outside the file").arg(pgc));
    return size_t(pgc);
}

DvdPalette readColourTable(std::span<const uint8_t> bytes, size_t pgc, std::array<uint32_t, 16> *raw)
{
    DvdPalette palette{};
    ByteReader r(bytes);
    r.seek(pgc + kColourTableAt);
    for (size_t k = 0; k < 16; ++k) {
        const uint32_t entry = r.be32() & 0x00FFFFFF;
        if (raw) (*raw)[k] = entry;
        palette[k] = ycrcbToColour(uint8_t(entry >> 16), uint8_t(entry >> 8), uint8_t(entry));
    }
    return palette;
}

// Suffix of the code extension (low 4 bits): what kind of captions the stream carries.
QString codeExtensionSuffix(uint8_t extension)
{
    switch (extension & 0x0F) {
    case 1: return QStringLiteral(" (caption/normal size char)");
    case 2: return QStringLiteral(" (caption/large size char)");
    case 3: return QStringLiteral(" (caption for children)");
    case 5: return QStringLiteral(" (closed caption/normal size char)");
    case 6: return QStringLiteral(" (closed caption/large size char)");
    case 7: return QStringLiteral(" (closed caption for children)");
    case 9: return QStringLiteral(" (forced caption)");
    case 13: return QStringLiteral(" (director comments/normal size char)");
    case 14: return QStringLiteral(" (director comments/large size char)");
    case 15: return QStringLiteral(" (director comments for children)");
    default: return {};
    }
}

// Display modes by byte of a control word: the stream used for 4:3, wide, letterbox and pan&scan.
const std::array<QString, 4> &displayModeSuffixes()
{
    static const std::array<QString, 4> suffixes{QStringLiteral(" 4:3"), QStringLiteral(" wide"),
                                                 QStringLiteral(" letterbox"), QStringLiteral(" pan&scan")};
    return suffixes;
}

core::Result<QByteArray> readSmallFile(const QString &path)
{
    return core::readPlainFile(path, kLargestIfo, QStringLiteral("Cannot open the IFO"), [&path](qint64 size) {
        return makeError(kNotTitleSet, QDir::toNativeSeparators(path),
                         QStringLiteral("%1 bytes is too large for an IFO").arg(size));
    });
}

std::span<const uint8_t> asBytes(const QByteArray &a)
{
    return {reinterpret_cast<const uint8_t *>(a.constData()), size_t(a.size())};
}

} // namespace

QString languageCodeToName(QStringView code)
{
    struct Entry {
        char code[3];
        const char *name;
    };
    // ISO 639-1 plus the withdrawn in, iw and ji; several names are the language's own, without accents.
    static constexpr Entry kTable[] = {
        {"aa", "Afar"}, {"ab", "Abkhazian"}, {"af", "Afrikaans"}, {"am", "Amharic"}, {"ar", "Arabic"},
        {"as", "Assamese"}, {"ay", "Aymara"}, {"az", "Azerbaijani"}, {"ba", "Bashkir"}, {"be", "Byelorussian"},
        {"bg", "Bulgarian"}, {"bh", "Bihari"}, {"bi", "Bislama"}, {"bn", "Bengali; Bangla"}, {"bo", "Tibetan"},
        {"br", "Breton"}, {"ca", "Catalan"}, {"co", "Corsican"}, {"cs", "Czech (Ceske)"}, {"cy", "Welsh"},
        {"da", "Dansk"}, {"de", "Deutsch"}, {"dz", "Bhutani"}, {"el", "Greek"}, {"en", "English"},
        {"eo", "Esperanto"}, {"es", "Espanol"}, {"et", "Estonian"}, {"eu", "Basque"}, {"fa", "Persian"},
        {"fi", "Suomi"}, {"fj", "Fiji"}, {"fo", "Faroese"}, {"fr", "Francais"}, {"fy", "Frisian"},
        {"ga", "Irish"}, {"gd", "Scots Gaelic"}, {"gl", "Galician"}, {"gn", "Guarani"}, {"gu", "Gujarati"},
        {"ha", "Hausa"}, {"he", "Hebrew"}, {"hi", "Hindi"}, {"hr", "Hrvatski"}, {"hu", "Magyar"},
        {"hy", "Armenian"}, {"ia", "Interlingua"}, {"id", "Indonesian"}, {"ie", "Interlingue"}, {"ik", "Inupiak"},
        {"in", "Indonesian"}, {"is", "Islenska"}, {"it", "Italiano"}, {"iu", "Inuktitut"}, {"iw", "Hebrew"},
        {"ja", "Japanese"}, {"ji", "Yiddish"}, {"jw", "Javanese"}, {"ka", "Georgian"}, {"kk", "Kazakh"},
        {"kl", "Greenlandic"}, {"km", "Cambodian"}, {"kn", "Kannada"}, {"ko", "Korean"}, {"ks", "Kashmiri"},
        {"ku", "Kurdish"}, {"ky", "Kirghiz"}, {"la", "Latin"}, {"ln", "Lingala"}, {"lo", "Laothian"},
        {"lt", "Lithuanian"}, {"lv", "Latvian, Lettish"}, {"mg", "Malagasy"}, {"mi", "Maori"}, {"mk", "Macedonian"},
        {"ml", "Malayalam"}, {"mn", "Mongolian"}, {"mo", "Moldavian"}, {"mr", "Marathi"}, {"ms", "Malay"},
        {"mt", "Maltese"}, {"my", "Burmese"}, {"na", "Nauru"}, {"ne", "Nepali"}, {"nl", "Nederlands"},
        {"no", "Norsk"}, {"oc", "Occitan"}, {"om", "(Afan) Oromo"}, {"or", "Oriya"}, {"pa", "Punjabi"},
        {"pl", "Polish"}, {"ps", "Pashto, Pushto"}, {"pt", "Portugues"}, {"qu", "Quechua"}, {"rm", "Rhaeto-Romance"},
        {"rn", "Kirundi"}, {"ro", "Romanian"}, {"ru", "Russian"}, {"rw", "Kinyarwanda"}, {"sa", "Sanskrit"},
        {"sd", "Sindhi"}, {"sg", "Sangho"}, {"sh", "Serbo-Croatian"}, {"si", "Sinhalese"}, {"sk", "Slovak"},
        {"sl", "Slovenian"}, {"sm", "Samoan"}, {"sn", "Shona"}, {"so", "Somali"}, {"sq", "Albanian"},
        {"sr", "Serbian"}, {"ss", "Siswati"}, {"st", "Sesotho"}, {"su", "Sundanese"}, {"sv", "Svenska"},
        {"sw", "Swahili"}, {"ta", "Tamil"}, {"te", "Telugu"}, {"tg", "Tajik"}, {"th", "Thai"},
        {"ti", "Tigrinya"}, {"tk", "Turkmen"}, {"tl", "Tagalog"}, {"tn", "Setswana"}, {"to", "Tonga"},
        {"tr", "Turkish"}, {"ts", "Tsonga"}, {"tt", "Tatar"}, {"tw", "Twi"}, {"ug", "Uighur"},
        {"uk", "Ukrainian"}, {"ur", "Urdu"}, {"uz", "Uzbek"}, {"vi", "Vietnamese"}, {"vo", "Volapuk"},
        {"wo", "Wolof"}, {"xh", "Xhosa"}, {"yi", "Yiddish"}, {"yo", "Yoruba"}, {"za", "Zhuang"},
        {"zh", "Chinese"}, {"zu", "Zulu"},
    };
    static_assert(std::size(kTable) == 142);
    if (code.size() == 2 && code[0] == QChar(0) && code[1] == QChar(0))
        return {};
    if (code.size() == 2) {
        for (const Entry &e : kTable)
            if (code[0] == QLatin1Char(e.code[0]) && code[1] == QLatin1Char(e.code[1]))
                return QString::fromLatin1(e.name);
    }
    return code.toString();
}

uint32_t ycrcbToColour(uint8_t y, uint8_t cr, uint8_t cb)
{
    // Studio range: luma 16..235 maps to 0..255; values outside saturate below.
    const double yy = std::round((double(y) - 16.0) * 255.0 / 219.0);
    const double b = yy + 1.771 * (double(cb) - 128.0);
    const double g = yy - 0.3456 * (double(cb) - 128.0) - 0.7145 * (double(cr) - 128.0);
    const double r = yy + 1.4022 * (double(cr) - 128.0);
    auto clamp = [](double v) -> uint32_t {
        if (v <= 0.0) return 0;
        if (v >= 255.0) return 255;
        return uint32_t(std::lround(v));
    };
    return clamp(b) << 16 | clamp(g) << 8 | clamp(r);
}

core::Result<IfoInfo> parseIfo(std::span<const uint8_t> bytes, const QString &source)
{
    auto pgc = firstProgramChain(bytes, source);
    if (!pgc) return pgc.error();

    IfoInfo info;
    ByteReader r(bytes);

    // Attribute i's name: language, " i," when named, and the code extension's suffix in any case.
    std::array<QString, 32> names;
    for (size_t i = 0; i < 32; ++i) {
        const char16_t c0 = r.peekAt(kSubpLangAt + kSubpAttrSize * i);
        const char16_t c1 = r.peekAt(kSubpLangAt + kSubpAttrSize * i + 1);
        const QChar pair[2] = {QChar(c0), QChar(c1)};
        const QString code(pair, 2);
        if (c0 != 0 || c1 != 0) info.languageCodes[i] = code;
        names[i] = languageCodeToName(code);
        if (!names[i].isEmpty())
            names[i] += QLatin1Char(' ') + QString::number(i) + QLatin1Char(',');
        names[i] += codeExtensionSuffix(r.peekAt(kSubpExtAt + kSubpAttrSize * i));
    }
    info.subpictureCount = r.peekAt(kSubpCountAt);

    r.seek(*pgc + kSubpControlAt);
    for (uint32_t &word : info.controlWords)
        word = r.be32();

    // A display mode is in use when any control word, available or not, names a stream other than 0 in it.
    std::array<bool, 4> modeInUse{};
    for (uint32_t word : info.controlWords)
        for (int j = 0; j < 4; ++j)
            if ((word >> (24 - 8 * j)) & 0x1F) modeInUse[j] = true;

    // An available attribute names its stream in every mode in use; the first attribute to reach a
    // stream names it, and each mode adds its suffix.
    for (size_t i = 0; i < 32; ++i) {
        const uint32_t word = info.controlWords[i];
        if (!(word & 0x80000000u)) continue;
        for (int j = 0; j < 4; ++j) {
            if (!modeInUse[j]) continue;
            const int s = (word >> (24 - 8 * j)) & 0x1F;
            if (info.streamNames[s].isEmpty()) info.streamNames[s] = names[i];
            info.streamNames[s] += displayModeSuffixes()[j];
        }
    }
    // Titles whose control words all say stream 0 use no mode: stream 0 is then only a guess.
    if (info.streamNames[0].isEmpty() && info.subpictureCount != 0)
        info.streamNames[0] = names[0] + QStringLiteral(" ???");

    info.palette = readColourTable(bytes, *pgc, &info.paletteYCrCb);

    // Video attributes: bits 5-4 standard (0 NTSC 480 lines, 1 PAL 576, others unknown);
    // next byte bits 7-6 line-21 captions, bits 3-2 picture size.
    const uint8_t video0 = r.peekAt(kVideoAttrAt);
    const uint8_t video1 = r.peekAt(kVideoAttrAt + 1);
    switch ((video0 >> 4) & 3) {
    case 0: info.frameSize.height = 480; break;
    case 1: info.frameSize.height = 576; break;
    default: break;
    }
    static constexpr int kWidths[4] = {720, 704, 352, 352};
    info.frameSize.width = kWidths[(video1 >> 2) & 3];
    switch (video1 >> 6) {
    case 1:
    case 2: info.closedCaptions = ClosedCaptions::OneField; break;
    case 3: info.closedCaptions = ClosedCaptions::TwoFields; break;
    default: break;
    }
    return info;
}

core::Result<DvdPalette> parseIfoPalette(std::span<const uint8_t> bytes, const QString &source)
{
    auto pgc = firstProgramChain(bytes, source);
    if (!pgc) return pgc.error();
    return readColourTable(bytes, *pgc, nullptr);
}

core::Result<IfoInfo> readIfoFile(const QString &path)
{
    auto data = readSmallFile(path);
    if (!data) return data.error();
    return parseIfo(asBytes(*data), QDir::toNativeSeparators(path));
}

core::Result<DvdPalette> readIfoPalette(const QString &path)
{
    auto data = readSmallFile(path);
    if (!data) return data.error();
    return parseIfoPalette(asBytes(*data), QDir::toNativeSeparators(path));
}

QString inputHint(const QString &fileName, FrameSize size)
{
    return QDir::toNativeSeparators(fileName) + QStringLiteral(" (%1x%2)").arg(size.width).arg(size.height);
}

QString closedCaptionNotice(ClosedCaptions captions, const QString &information, const QString &detected)
{
    switch (captions) {
    case ClosedCaptions::None: return {};
    case ClosedCaptions::OneField: return information + QStringLiteral("\r\n") + detected + QStringLiteral(" (1x).");
    case ClosedCaptions::TwoFields: return information + QStringLiteral("\r\n") + detected + QStringLiteral(" (2x).");
    }
    return {};
}

void announceClosedCaptions(ClosedCaptions captions, core::UserPrompt &prompt, const QString &information,
                            const QString &detected)
{
    const QString text = closedCaptionNotice(captions, information, detected);
    if (!text.isEmpty()) prompt.inform(text);
}

} // namespace glyfex::ripping
