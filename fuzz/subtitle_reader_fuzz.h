// One fuzz input through the subtitle file loader, or straight into one of the 14 readers, with checks on what it gives.
#pragma once

#include "subtitles/subtitle_loader.h"

#include <cstdint>
#include <cstdlib>

namespace glyfex::fuzz {

// Byte 0 picks the path: 0 the whole loader (size and binary checks, detection), 1-14 that reader on the
// file whatever its first lines say. Byte 1 picks the code page, the frame rate and how failed entries
// are answered. The rest is the file.
inline int readSubtitleFile(const uint8_t *data, size_t size)
{
    using namespace glyfex::subtitles;
    if (size < 2)
        return 0;
    static const core::CodePage pages[] = {1252, 1251, 932, 65001};
    static const char *const rates[] = {"23.976", "25", "0", "29,97"};
    const uint8_t route = data[0] % 15;
    const uint8_t mode = data[1];
    const QByteArray bytes(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));
    int asked = 0;
    const ParseErrorHandler onError = [&](int, const core::Error &error) {
        if (error.why.isEmpty())
            std::abort(); // a failed entry always says why
        ++asked;
        switch ((mode >> 4) % 3) {
        case 0: return ParseErrorAnswer::Ignore;
        case 1: return ParseErrorAnswer::IgnoreAll;
        default: return asked > 3 ? ParseErrorAnswer::Stop : ParseErrorAnswer::Ignore;
        }
    };
    LoadSettings settings;
    settings.codePage = pages[mode % 4];
    settings.frameRateText = QString::fromLatin1(rates[(mode >> 2) % 4]);
    settings.maxDurationMs = 500 + (mode % 7) * 500;
    settings.minGapMs = (mode % 5) * 100;

    const SubtitleStore *store = nullptr;
    core::Result<LoadResult> loaded = core::Error{};
    core::Result<ReadOutcome> read = core::Error{};
    if (route == 0) {
        loaded = loadSubtitleBytes(bytes, QStringLiteral("fuzz"), settings, onError);
        if (loaded)
            store = &loaded->store;
    } else {
        auto file = SubtitleLineReader::fromBytes(bytes, settings.codePage);
        if (!file)
            std::abort(); // every page above is supported
        ReadSettings rs;
        rs.frameRateX1000 = settings.frameRateText == QLatin1String("0") ? 0 : 25000;
        rs.maxDurationMs = settings.maxDurationMs;
        rs.minGapMs = settings.minGapMs;
        read = readSubtitleEntries(SubtitleFileKind(route), *file, rs, onError);
        if (read)
            store = &read->store;
    }
    if (!store)
        return 0;
    if (store->count() > SubtitleStore::kCapacity)
        std::abort();
    for (const Subtitle &s : store->subs) {
        if (s.lines.isEmpty() || s.lineCount() > kMaxLines || core::timeCodeToMilliseconds(s.start) < 0 ||
            core::timeCodeToMilliseconds(s.stop) < 0)
            std::abort();
    }
    return 0;
}

} // namespace glyfex::fuzz
