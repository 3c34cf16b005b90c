// The code pages offered for ANSI subtitle text, as "number:description" items of the code-page list.
#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <span>

namespace glyfex::subtitles {

// The items in list order ("037:IBM EBCDIC - U.S./Canada" ... "65001:Unicode UTF-8"), one for each page
// the program converts.
std::span<const char *const> codePageItems();
// "1252:ANSI - Latin I", the list's default item.
inline constexpr int kDefaultCodePageItem = 42;

// The number before the first ':' of an item; 1252 when it is not a number.
uint16_t codePageOfItem(QStringView item);
// Index of the first item whose number is codePage, or -1.
int findCodePageItem(uint16_t codePage);

} // namespace glyfex::subtitles
