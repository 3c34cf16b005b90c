// The code-page list.
#include "subtitles/code_pages.h"

#include <array>

namespace glyfex::subtitles {

namespace {

// The pages this system converts (core::TextCodec), by number; pages glibc has no
// converter for are not offered.
constexpr std::array<const char *, 113> kItems{
    "037:IBM EBCDIC - U.S./Canada",
    "437:OEM - United States",
    "500:IBM EBCDIC - International",
    "708:Arabic - ASMO 708",
    "737:OEM - Greek (formerly 437G)",
    "775:OEM - Baltic",
    "850:OEM - Multilingual Latin I",
    "852:OEM - Latin II",
    "855:OEM - Cyrillic (primarily Russian)",
    "857:OEM - Turkish",
    "858:OEM - Multlingual Latin I + Euro symbol",
    "860:OEM - Portuguese",
    "861:OEM - Icelandic",
    "862:OEM - Hebrew",
    "863:OEM - Canadian-French",
    "864:OEM - Arabic",
    "865:OEM - Nordic",
    "866:OEM - Russian",
    "869:OEM - Modern Greek",
    "870:IBM EBCDIC - Multilingual/ROECE (Latin-2)",
    "874:ANSI/OEM - Thai (same as 28605, ISO 8859-15)",
    "875:IBM EBCDIC - Modern Greek",
    "932:ANSI/OEM - Japanese, Shift-JIS",
    "936:ANSI/OEM - Simplified Chinese (PRC, Singapore)",
    "949:ANSI/OEM - Korean (Unified Hangeul Code)",
    "950:ANSI/OEM - Traditional Chinese (Taiwan; Hong Kong SAR, PRC)",
    "1026:IBM EBCDIC - Turkish (Latin-5)",
    "1047:IBM EBCDIC - Latin 1/Open System",
    "1140:IBM EBCDIC - U.S./Canada (037 + Euro symbol)",
    "1141:IBM EBCDIC - Germany (20273 + Euro symbol)",
    "1142:IBM EBCDIC - Denmark/Norway (20277 + Euro symbol)",
    "1143:IBM EBCDIC - Finland/Sweden (20278 + Euro symbol)",
    "1144:IBM EBCDIC - Italy (20280 + Euro symbol)",
    "1145:IBM EBCDIC - Latin America/Spain (20284 + Euro symbol)",
    "1146:IBM EBCDIC - United Kingdom (20285 + Euro symbol)",
    "1147:IBM EBCDIC - France (20297 + Euro symbol)",
    "1148:IBM EBCDIC - International (500 + Euro symbol)",
    "1149:IBM EBCDIC - Icelandic (20871 + Euro symbol)",
    "1200:Unicode UCS-2 Little-Endian (BMP of ISO 10646)",
    "1201:Unicode UCS-2 Big-Endian",
    "1250:ANSI - Central European",
    "1251:ANSI - Cyrillic",
    "1252:ANSI - Latin I",
    "1253:ANSI - Greek",
    "1254:ANSI - Turkish",
    "1255:ANSI - Hebrew",
    "1256:ANSI - Arabic",
    "1257:ANSI - Baltic",
    "1258:ANSI/OEM - Vietnamese",
    "1361:Korean (Johab)",
    "10000:MAC - Roman",
    "10001:MAC - Japanese",
    "10002:MAC - Traditional Chinese (Big5)",
    "10003:MAC - Korean",
    "10007:MAC - Cyrillic",
    "10008:MAC - Simplified Chinese (GB 2312)",
    "10017:MAC - Ukraine",
    "10029:MAC - Latin II",
    "10079:MAC - Icelandic",
    "12000:Unicode UCS-4 Little-Endian",
    "12001:Unicode UCS-4 Big-Endian",
    "20106:IA5 German (7-bit)",
    "20107:IA5 Swedish (7-bit)",
    "20108:IA5 Norwegian (7-bit)",
    "20127:US-ASCII (7-bit)",
    "20261:T.61",
    "20269:ISO 6937 Non-Spacing Accent",
    "20273:IBM EBCDIC - Germany",
    "20277:IBM EBCDIC - Denmark/Norway",
    "20278:IBM EBCDIC - Finland/Sweden",
    "20280:IBM EBCDIC - Italy",
    "20284:IBM EBCDIC - Latin America/Spain",
    "20285:IBM EBCDIC - United Kingdom",
    "20290:IBM EBCDIC - Japanese Katakana Extended",
    "20297:IBM EBCDIC - France",
    "20420:IBM EBCDIC - Arabic",
    "20423:IBM EBCDIC - Greek",
    "20424:IBM EBCDIC - Hebrew",
    "20866:Russian - KOI8-R",
    "20871:IBM EBCDIC - Icelandic",
    "20880:IBM EBCDIC - Cyrillic (Russian)",
    "20905:IBM EBCDIC - Turkish",
    "20932:JIS X 0208-1990 & 0121-1990",
    "20936:Simplified Chinese (GB2312)",
    "21025:IBM EBCDIC - Cyrillic (Serbian, Bulgarian)",
    "21866:Ukrainian (KOI8-U)",
    "28591:ISO 8859-1 Latin I",
    "28592:ISO 8859-2 Central Europe",
    "28593:ISO 8859-3 Latin 3",
    "28594:ISO 8859-4 Baltic",
    "28595:ISO 8859-5 Cyrillic",
    "28596:ISO 8859-6 Arabic",
    "28597:ISO 8859-7 Greek",
    "28598:ISO 8859-8 Hebrew",
    "28599:ISO 8859-9 Latin 5",
    "28605:ISO 8859-15 Latin 9",
    "38598:ISO 8859-8 Hebrew",
    "50220:ISO 2022 Japanese with no halfwidth Katakana",
    "50221:ISO 2022 Japanese with halfwidth Katakana",
    "50225:ISO 2022 Korean",
    "50227:ISO 2022 Simplified Chinese",
    "50930:Japanese (Katakana) Extended",
    "50933:Korean Extended and Korean",
    "50935:Simplified Chinese Extended and Simplified Chinese",
    "50937:US/Canada and Traditional Chinese",
    "50939:Japanese (Latin) Extended and Japanese",
    "51932:EUC - Japanese",
    "51936:EUC - Simplified Chinese",
    "51949:EUC - Korean",
    "51950:EUC - Traditional Chinese",
    "54936:Windows XP: GB18030 Simplified Chinese (4 Byte)",
    "65000:Unicode UTF-7",
    "65001:Unicode UTF-8",
};

} // namespace

std::span<const char *const> codePageItems()
{
    return kItems;
}

uint16_t codePageOfItem(QStringView item)
{
    const qsizetype colon = item.indexOf(QLatin1Char(':'));
    bool ok = false;
    const uint value = (colon >= 0 ? item.left(colon) : item).toUInt(&ok);
    return ok && value <= 0xFFFF ? uint16_t(value) : uint16_t(1252);
}

int findCodePageItem(uint16_t codePage)
{
    for (size_t i = 0; i < kItems.size(); ++i) {
        if (codePageOfItem(QString::fromLatin1(kItems[i])) == codePage)
            return int(i);
    }
    return -1;
}

} // namespace glyfex::subtitles
