// The find-and-replace lists of the post-OCR correction (Dict/*.dic): reading one file and cleaning its pairs.
#pragma once

#include "core/result.h"
#include "core/text_codec.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace glyfex::subtitles {

struct ReplacementPair {
    QString find;
    QString replace;
    friend bool operator==(const ReplacementPair &, const ReplacementPair &) = default;
};
using CorrectionDictionary = QList<ReplacementPair>;

// A dictionary file larger than this is refused before it is read: the shipped lists are a few
// kilobytes, and every pair is tried on every line of every subtitle.
inline constexpr qint64 kMaxDictionaryBytes = 8 * 1024 * 1024;

// The pairs of a list of lines: line 1 is a text to find, line 2 its replacement, and so on. A last
// line without partner is dropped, and so is every pair whose find text is empty (it would match
// everywhere) or stands inside its own replacement (replacing it again and again would never end).
CorrectionDictionary cleanDictionary(const QStringList &lines);

// The cleaned pairs of a file's bytes, one entry per line: UTF-16LE or UTF-8 when a byte-order mark says
// so; without a mark UTF-8 when the bytes are valid UTF-8 (as files written on this system are), otherwise
// text in ansiCodePage (0: the system's). fileName only names the file in the error, which comes for text
// too large or holding the character U+0000 (no text file).
core::Result<CorrectionDictionary> parseDictionary(QByteArrayView bytes, const QString &fileName,
                                                   core::CodePage ansiCodePage = 0);

// Reads and cleans the file at path; an error names the file and says why it could not be used.
core::Result<CorrectionDictionary> loadDictionary(const QString &path, core::CodePage ansiCodePage = 0);

} // namespace glyfex::subtitles
