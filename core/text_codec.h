// Conversion between the program's UTF-16 text and Windows code pages, done by glibc iconv.
#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>

#include <cstdint>

namespace glyfex::core {

// Windows code-page number as files and settings name it; 0 is the "system ANSI" page (systemAnsiCodePage).
using CodePage = uint16_t;

namespace TextCodec {

// The page number of UTF-8.
inline constexpr CodePage kUtf8CodePage = 65001;

// The ANSI page Windows uses for the locale's language (and, for Chinese, its script or territory):
// 1250 for Central European languages, 1251 for Cyrillic ones, 932 for Japanese, and so on; 1252 for
// every language without a page of its own and for the C locale. Mark-less text files written on such
// a system are in this page.
CodePage ansiCodePageOfLocale(const QLocale &locale);
// The ANSI page of this system: that of the default locale (the system's, unless the program set another).
CodePage systemAnsiCodePage();

// The page number after resolving 0 to the system ANSI page.
CodePage resolve(CodePage codePage);

// The iconv name used for a Windows code page, or nullptr when the program has no mapping for it.
const char *iconvName(CodePage codePage);

// True when the page has a mapping and this system's iconv can convert it.
bool isSupported(CodePage codePage);

// Encodes UTF-16 text into the page. Every character the page cannot hold (a surrogate pair counts as one
// character, and so does a lone surrogate) becomes the page's own "?"; their number is stored in
// *unmappable when given. A letter followed by combining marks is written in its composed form where the
// page holds that ("e" + U+0301 becomes 1252's "é"); otherwise each mark is folded into the letter where
// the page holds the result, kept where the page holds the mark, and dropped (not counted, no "?") where
// it holds neither, so "q" + U+0301 becomes 1252's "q". An empty text gives empty
// bytes; a page the program or iconv does not know gives an error, also for an empty text.
Result<QByteArray> encode(const QString &text, CodePage codePage, int *unmappable = nullptr);

// True when the bytes are well-formed UTF-8 throughout (ASCII included): text in another page almost never
// is, once it holds a letter outside ASCII.
bool isValidUtf8(QByteArrayView bytes);

// Decodes bytes of the page into UTF-16. A byte sequence the page does not define becomes U+FFFD (one per
// undecodable byte) and decoding goes on after it, so the text is never cut short.
Result<QString> decode(QByteArrayView bytes, CodePage codePage);

} // namespace TextCodec

} // namespace glyfex::core
