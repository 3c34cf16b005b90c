// Saving subtitle files.
#include "subtitles/subtitle_saver.h"

#include "core/save_name.h"
#include "core/save_file.h"
#include "core/text_codec.h"
#include "subtitles/format_writers.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace glyfex::subtitles {

core::Result<QByteArray> encodeSubtitleText(const QStringList &lines, bool unicode, uint16_t codePage,
                                            int *unmappable)
{
    if (unmappable)
        *unmappable = 0;
    // The whole text with CR LF after every line, copied into one buffer of the final size.
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    QString text(size, Qt::Uninitialized);
    QChar *out = text.data();
    for (const QString &line : lines) {
        std::copy(line.constData(), line.constData() + line.size(), out);
        out += line.size();
        *out++ = QLatin1Char('\r');
        *out++ = QLatin1Char('\n');
    }
    if (unicode) {
        QByteArray bytes(2 + text.size() * 2, Qt::Uninitialized);
        char *b = bytes.data();
        *b++ = '\xFF';
        *b++ = '\xFE';
        for (QChar c : text) {
            *b++ = char(c.unicode() & 0xFF);
            *b++ = char(c.unicode() >> 8);
        }
        return bytes;
    }
    // One conversion of the whole text: stateful pages (UTF-7, ISO 2022) stay consistent across lines,
    // and the line ends come out in the page's own code-unit width.
    auto encoded = core::TextCodec::encode(text, codePage, unmappable);
    if (!encoded)
        return core::makeError(QStringLiteral("The text cannot be encoded"), QStringLiteral("code page %1").arg(codePage),
                               encoded.error().message());
    return std::move(encoded).value();
}

namespace {

// Red, green, blue, 0 per colour; the entries after the given ones stay zero.
template <size_t N>
QByteArray paletteBytes(const std::array<uint32_t, N> &colours)
{
    static_assert(N <= 16);
    QByteArray bytes(64, '\0');
    for (size_t i = 0; i < colours.size(); ++i) {
        bytes[qsizetype(i * 4 + 0)] = char(colours[i] & 0xFF);         // red
        bytes[qsizetype(i * 4 + 1)] = char((colours[i] >> 8) & 0xFF);  // green
        bytes[qsizetype(i * 4 + 2)] = char((colours[i] >> 16) & 0xFF); // blue
    }
    return bytes;
}

} // namespace

QByteArray stlPalette(const std::array<uint32_t, 4> &colours)
{
    return paletteBytes(colours);
}

QByteArray maestroPalette(const PictureScriptSource &source)
{
    if (source.customColours(core::PresetSpruceDvdMaestro))
        return paletteBytes(source.presets[core::PresetSpruceDvdMaestro].customColour);
    return paletteBytes(source.dvdColours);
}

QString paletteFilePath(const QString &subtitlePath)
{
    const QFileInfo info(subtitlePath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".spf"));
}

core::Result<SaveReport> saveSubtitleFile(const SaveRequest &request, const core::MessageTable &messages,
                                          core::UserPrompt &prompt)
{
    SaveReport report;
    if (request.lines.isEmpty())
        return report;

    const QString notSaved = messages.text(core::Msg::TextNotSaved);
    // The list shows I-Author entries in the .gxt layout; its script is made of pages generated
    // from the store, so the list must not be saved under its name.
    if (request.format == OutputFormat::IAuthor && !request.iAuthorPages)
        return core::makeError(notSaved, QDir::toNativeSeparators(request.path),
                               QStringLiteral("I-Author scripts are the pages generated from the subtitles"));
    auto bytes = encodeSubtitleText(request.lines + trailerLines(request.format), request.unicode, request.codePage,
                                    &report.unmappable);
    if (!bytes)
        return core::makeError(notSaved, QDir::toNativeSeparators(request.path), bytes.error().message());
    if (report.unmappable > 0) {
        prompt.warn(messages.text(core::Msg::Warning) + QStringLiteral("\r\n") +
                    QStringLiteral("%1 characters cannot be written in code page %2: they are saved as \"?\".")
                        .arg(report.unmappable)
                        .arg(request.codePage));
    }

    const QString cannotWrite = notSaved + QStringLiteral(" ") + messages.text(core::Msg::CannotWriteToFile);
    if (auto written = core::saveFile(request.path, *bytes, cannotWrite); !written)
        return written.error();

    if (request.palette) {
        report.palettePath = paletteFilePath(request.path);
        if (auto written = core::saveFile(report.palettePath, *request.palette,
                                           QStringLiteral("Palette file not saved (the text was saved)"));
            !written)
            return written.error();
    }

    if (request.viewerIndex && !request.viewerIndex->entries.isEmpty()) {
        // The count is the number of entries as they stand now, so saving again writes one count line.
        QByteArray index = QByteArray::number(request.viewerIndex->entries.size()) + "\r\n";
        for (const QString &entry : request.viewerIndex->entries)
            index += entry.toLatin1() + "\r\n";
        report.indexPath = QDir(request.viewerIndex->folder).filePath(QStringLiteral("index.bms"));
        if (auto written = core::saveFile(report.indexPath, index,
                                           QStringLiteral("Viewer index not saved (the text was saved)"));
            !written)
            return written.error();
    }
    report.saved = true;
    return report;
}

bool confirmReplace(const QString &path, bool commandLineMode, const core::MessageTable &messages,
                    core::UserPrompt &prompt)
{
    return commandLineMode || core::confirmReplaceFile(path, core::Msg::Warning, messages, prompt);
}

QString commandLineSavePath(const QString &outputName, OutputFormat format)
{
    return outputName + QLatin1Char('.') + defaultExtension(format);
}

SaveEncoding chooseSaveEncoding(bool isUnicode, bool commandLineMode, const core::MessageTable &messages,
                                core::UserPrompt &prompt)
{
    if (commandLineMode)
        return isUnicode ? SaveEncoding::Unicode : SaveEncoding::AnsiNow;
    if (isUnicode &&
        prompt.confirm(messages.text(core::Msg::NonStandardCharacters) + QStringLiteral("\r\n") +
                       messages.text(core::Msg::SaveAsUnicode)) == core::Answer::Yes)
        return SaveEncoding::Unicode;
    return SaveEncoding::ChooseCodePage;
}

QString fileBaseName(const QString &fileName)
{
    QString base = fileName.section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1);
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        base.truncate(dot);
    return base;
}

QString ansiSaveFileName(const QString &sourcePath, const QString &languageText, OutputFormat format)
{
    QString suffix;
    const QString language = languageText.section(QLatin1Char('|'), 0, 0);
    if (!language.isEmpty())
        suffix = QLatin1Char('.') + language;
    suffix += QLatin1Char('.') + defaultExtension(format);
    const QFileInfo info(sourcePath);
    const QString base = info.suffix().isEmpty() ? sourcePath : sourcePath.left(sourcePath.size() - info.suffix().size() - 1);
    return base + suffix;
}

} // namespace glyfex::subtitles
