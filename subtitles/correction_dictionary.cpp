// Reading the post-OCR correction's dictionary files and dropping the pairs that cannot be used.
#include "subtitles/correction_dictionary.h"

#include "core/file_read.h"
#include "subtitles/subtitle_line_reader.h"

#include <QDir>

namespace glyfex::subtitles {

namespace {

core::Error dictionaryError(const QString &fileName, const QString &why)
{
    return {QStringLiteral("Cannot use the dictionary"), QDir::toNativeSeparators(fileName), why};
}

} // namespace

CorrectionDictionary cleanDictionary(const QStringList &lines)
{
    CorrectionDictionary pairs;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
        const QString &find = lines[i];
        const QString &replace = lines[i + 1];
        if (find.isEmpty() || replace.contains(find))
            continue;
        pairs.append({find, replace});
    }
    return pairs;
}

core::Result<CorrectionDictionary> parseDictionary(QByteArrayView bytes, const QString &fileName,
                                                   core::CodePage ansiCodePage)
{
    if (bytes.size() > kMaxDictionaryBytes)
        return dictionaryError(fileName, QStringLiteral("the file is larger than %1 bytes").arg(kMaxDictionaryBytes));
    // A mark, when there is one, decides whatever page is given here.
    const core::CodePage markless = core::TextCodec::isValidUtf8(bytes) ? core::TextCodec::kUtf8CodePage : ansiCodePage;
    auto reader = SubtitleLineReader::fromBytes(bytes.toByteArray(), markless);
    if (!reader)
        return dictionaryError(fileName, reader.error().message());
    if (reader->holdsNul())
        return dictionaryError(fileName, QStringLiteral("the file is no text file (it holds the character 0)"));
    return cleanDictionary(reader->lines());
}

core::Result<CorrectionDictionary> loadDictionary(const QString &path, core::CodePage ansiCodePage)
{
    const auto bytes = core::readPlainFile(path, kMaxDictionaryBytes, QStringLiteral("Cannot use the dictionary"),
                                           [&path](qint64) {
                                               return dictionaryError(path, QStringLiteral("the file is larger than %1 bytes")
                                                                                .arg(kMaxDictionaryBytes));
                                           });
    if (!bytes)
        return bytes.error();
    return parseDictionary(*bytes, path, ansiCodePage);
}

} // namespace glyfex::subtitles
