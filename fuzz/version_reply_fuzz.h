// One fuzz input through the version-file reader and the credits and notes readers of the language file writer.
#pragma once

#include "core/language_file_writer.h"
#include "core/version_number.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

namespace glyfex::fuzz {

// Byte 0 picks the reader: even, a server's version reply; odd, the lines of a Credits.txt and of a
// language file composed into a new language file. The rest is the input.
inline int readVersionReply(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    if (data[0] % 2 == 0) {
        const auto version = core::parseVersionReply(bytes, QStringLiteral("http://fuzz/version.txt"));
        if (version && (version->major < 0 || version->minor < 0 || version->minor > 999 || version->beta < 0))
            std::abort();
        if (!version && version.error().why.isEmpty())
            std::abort(); // a refused reply always says why
        return 0;
    }
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    core::LanguageFileParts parts;
    parts.language = lines.value(0).left(20);
    parts.version = QStringLiteral("1.50b1");
    parts.credits = lines;
    parts.existing = lines;
    parts.image = lines;
    const QStringList out = core::composeLanguageFile(parts);
    // The header's five lines come first whatever the input holds.
    if (out.size() < 6 || out[0] != QLatin1String("[Info]"))
        std::abort();
    return 0;
}

} // namespace glyfex::fuzz
