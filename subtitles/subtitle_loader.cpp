// Opening a subtitle text file: size and binary checks, format detection, the reader, the frame-rate choice.
#include "subtitles/subtitle_loader.h"

#include "core/file_read.h"
#include "subtitles/time_forms.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace glyfex::subtitles {

namespace {

core::Error notSubtitleFile(const QString &name, const QString &why)
{
    return core::makeError(QStringLiteral("Not a subtitle file"), QDir::toNativeSeparators(name), why);
}

// PAL frame time codes for rates up to 25.5 frames a second, NTSC above.
uint8_t frameRateIndexOf(uint32_t rateX1000)
{
    return core::highestFrameOfSecond(rateX1000) >= 25 ? 1 : 0;
}

} // namespace

core::Result<LoadResult> loadSubtitleFile(const QString &path, const LoadSettings &settings,
                                          const ParseErrorHandler &onError)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists())
        return core::makeError(QStringLiteral("Subtitle file not opened"), shown, QStringLiteral("it does not exist"));
    if (!info.isFile())
        return notSubtitleFile(path, core::plainFileProblem(path));
    const auto read = core::readPlainFile(path, kMaxSubtitleFileBytes, QStringLiteral("Subtitle file not opened"),
                                          [&path](qint64 size) {
                                              return notSubtitleFile(path, QStringLiteral("it holds %1 bytes, more than the %2 MB a subtitle file can have")
                                                                               .arg(size)
                                                                               .arg(kMaxSubtitleFileBytes / (1024 * 1024)));
                                          });
    if (!read)
        return read.error();
    return loadSubtitleBytes(*read, path, settings, onError);
}

core::Result<LoadResult> loadSubtitleBytes(const QByteArray &bytes, const QString &name, const LoadSettings &settings,
                                           const ParseErrorHandler &onError)
{
    if (bytes.size() > kMaxSubtitleFileBytes)
        return notSubtitleFile(name, QStringLiteral("it holds more than the %1 MB a subtitle file can have")
                                         .arg(kMaxSubtitleFileBytes / (1024 * 1024)));
    auto lines = SubtitleLineReader::fromBytes(bytes, settings.codePage);
    if (!lines)
        return lines.error();
    SubtitleLineReader &file = *lines;
    if (file.holdsNul())
        return notSubtitleFile(name, QStringLiteral("it holds NUL characters, as pictures, videos and other binary files do"));

    LoadResult result;
    result.hasByteOrderMark = file.hasByteOrderMark();
    result.bytes = bytes;
    const QString first = file.readNonBlankLine();
    const QString second = file.readNonBlankLine();
    result.kind = detectSubtitleFileKind(first, second);
    if (result.kind == SubtitleFileKind::Unknown)
        return result;

    ReadSettings read;
    read.maxDurationMs = settings.maxDurationMs;
    read.minGapMs = settings.minGapMs;
    auto rate = parseFrameRateX1000(settings.frameRateText);
    if (rate)
        read.frameRateX1000 = *rate;
    else {
        read.frameRateX1000 = 0;
        read.frameRateError = rate.error();
    }
    auto outcome = readSubtitleEntries(result.kind, file, read, onError);
    if (!outcome)
        return outcome.error();
    if (outcome->stopped) {
        result.cancelled = true;
        return result;
    }
    if (outcome->store.isEmpty()) {
        const QString why = outcome->failedEntries > 0
                                ? QStringLiteral("none of its %1 entries could be read").arg(outcome->failedEntries)
                                : QStringLiteral("it holds no subtitles");
        return core::makeError(QStringLiteral("No subtitles read from this %1 file")
                                   .arg(QLatin1String(subtitleFileKindName(result.kind))),
                               QDir::toNativeSeparators(name), why);
    }
    result.store = std::move(outcome->store);
    result.options = std::move(outcome->options);
    result.warnings = std::move(outcome->warnings);
    result.failedEntries = outcome->failedEntries;
    const uint32_t usedRate = outcome->frameRateX1000 != 0 ? outcome->frameRateX1000 : read.frameRateX1000;
    result.frameRateX1000 = usedRate;
    if (usedRate != 0)
        result.options.frameRateIndex = frameRateIndexOf(usedRate);
    return result;
}

ParseErrorHandler askOnParseError(core::UserPrompt &prompt, const core::MessageTable &messages)
{
    return [&prompt, &messages](int number, const core::Error &error) {
        const QString text = messages.text(core::Msg::Warning) + QStringLiteral("\r\n") +
                             messages.text(core::Msg::ErrorInFileAtSubtitle) + QLatin1Char(' ') +
                             QString::number(number) + QStringLiteral("\r\n") + error.message() +
                             QStringLiteral("\r\n") + messages.text(core::Msg::IgnoreAndContinue);
        switch (prompt.askIgnore(text)) {
        case core::Answer::Ignore: return ParseErrorAnswer::Ignore;
        case core::Answer::YesToAll: return ParseErrorAnswer::IgnoreAll;
        default: return ParseErrorAnswer::Stop;
        }
    };
}

} // namespace glyfex::subtitles
