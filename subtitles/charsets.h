// Character sets of subtitle text: the charset table, a font's charsets, and the code page a charset chooses.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <span>

namespace glyfex::subtitles {

struct CharsetInfo {
    const char *name;
    uint8_t charset;
    uint16_t codePage;
};

// The 19 charsets in table order; GB2312 maps to 20936 and Big5 to 10002, as stored configurations expect.
std::span<const CharsetInfo> charsetTable();

// Charset number of a name; 1 (DEFAULT_CHARSET) when the name is not in the table.
uint8_t charsetOfName(QStringView name);
// Code page of a name; 1252 when the name is not in the table. DEFAULT_CHARSET stands for the system's
// ANSI page (core::TextCodec::systemAnsiCodePage).
uint16_t codePageOfCharsetName(QStringView name);
// The charset whose page is this ANSI page (204 for 1251, 128 for 932, ...); 0 (ANSI_CHARSET) for a page
// no charset of the table is built on.
uint8_t charsetOfAnsiCodePage(uint16_t codePage);
// The text charset a chosen name stands for. DEFAULT_CHARSET is the charset of the system's ANSI page,
// as the system font of such a system has it.
uint8_t subtitleCharset(QStringView name);

// Writing systems a font supports, numbered as QFontDatabase::WritingSystem, so that the window
// can hand over QFontDatabase::writingSystems(family) by casting each value.
enum class WritingSystem : int {
    Any = 0,
    Latin = 1,
    Greek = 2,
    Cyrillic = 3,
    Hebrew = 5,
    Arabic = 6,
    Thai = 19,
    SimplifiedChinese = 25,
    TraditionalChinese = 26,
    Japanese = 27,
    Korean = 28,
    Vietnamese = 29,
    Symbol = 30,
};

// The charset numbers a font with these writing systems offers, in table order of first use
// (Latin offers the western, central European, Turkish and Baltic sets). Systems without a
// charset of their own add nothing.
QList<int> charsetsOfWritingSystems(const QList<WritingSystem> &systems);

// The charset list of a font: the name of each charset number ("Unknown charset 89" for one not
// in the table), then "DEFAULT_CHARSET".
QStringList listFontCharsets(const QList<int> &charsets);

// What choosing a charset name sets: the text charset, the code page, and the code-page list item
// to select (-1: the selection stays, and codePage is that of keptItem).
struct CharsetChoice {
    uint8_t textCharset = 1;
    uint16_t codePage = 1252;
    int codePageItem = -1;
};
CharsetChoice chooseCharset(QStringView name, int keptItem);

} // namespace glyfex::subtitles
