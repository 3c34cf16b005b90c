// One fuzz input as a correction dictionary, its pairs then used by the punctuation and orthography passes on a few lines.
#pragma once

#include "subtitles/post_ocr_correction.h"
#include "subtitles/punctuation_correction.h"

#include <cstdint>
#include <cstdlib>

namespace glyfex::fuzz {

inline int readCorrectionDictionary(const uint8_t *data, size_t size)
{
    using namespace glyfex::subtitles;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    auto pairs = parseDictionary(bytes, QStringLiteral("fuzz.dic"));
    if (!pairs) {
        if (pairs.error().why.isEmpty() || pairs.error().where.isEmpty())
            std::abort(); // a refused file always says which and why
        return 0;
    }
    for (const ReplacementPair &pair : *pairs) {
        if (pair.find.isEmpty() || pair.replace.contains(pair.find))
            std::abort(); // cleaning keeps out the pairs that would never stop replacing
    }
    static const QString lines[] = {QStringLiteral("<i>Wait..now</i> ll. 12 000"),
                                    QStringLiteral("-\"Hello ,world\" ...he said!Really?"),
                                    QStringLiteral("aab abab www.x.com ok.ok")};
    const CorrectionDictionary punctuation = punctuationPairs(*pairs);
    for (const QString &line : lines) {
        (void)correctPunctuation(line, punctuation);
        (void)correctOrthography(line, *pairs);
    }
    return 0;
}

} // namespace glyfex::fuzz
