// Filling and reading the 20-unit text record of a character-matrix entry.
#include "core/char_text.h"

#include <algorithm>

namespace glyfex::core {

CharText toCharText(const QString &text)
{
    CharText record;
    qsizetype n = std::min<qsizetype>(text.size(), CharText::kCapacity);
    // Half a pair would be a character no font shows and no code page holds.
    if (n == CharText::kCapacity && n < text.size() && text.at(n - 1).isHighSurrogate()
        && text.at(n).isLowSurrogate())
        --n;
    for (qsizetype i = 0; i < n; ++i)
        record.text[i] = text.at(i).unicode();
    record.length = uint8_t(n);
    return record;
}

QString fromCharText(const CharText &record)
{
    const int n = std::min<int>(record.length, CharText::kCapacity);
    return QString(reinterpret_cast<const QChar *>(record.text), n);
}

} // namespace glyfex::core
