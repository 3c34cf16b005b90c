// Splitting a subtitle file into lines and decoding them.
#include "subtitles/subtitle_line_reader.h"

#include <optional>
#include <string>

namespace glyfex::subtitles {

namespace {

constexpr core::CodePage kUtf8Page = 65001;

// Splits at LF and drops every CR; a last line without LF counts, an empty remainder does not.
template <class Unit, class Emit>
void splitLines(const Unit *units, qsizetype count, Emit emit)
{
    std::basic_string<Unit> line;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const Unit u = units[i];
        if (u == Unit('\n')) {
            emit(line);
            line.clear();
            lineStart = i + 1;
        } else if (u != Unit('\r')) {
            line.push_back(u);
        }
    }
    if (lineStart < count)
        emit(line);
}

} // namespace

core::Result<SubtitleLineReader> SubtitleLineReader::fromBytes(const QByteArray &bytes, core::CodePage codePage)
{
    SubtitleLineReader reader;
    const auto *data = reinterpret_cast<const uint8_t *>(bytes.constData());
    const qsizetype size = bytes.size();
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xFE) {
        reader.m_encoding = Encoding::Utf16Le;
        // Code units after the mark; an odd last byte is no unit.
        const qsizetype units = (size - 2) / 2;
        std::u16string unitsLe(size_t(units), u'\0');
        for (qsizetype i = 0; i < units; ++i)
            unitsLe[size_t(i)] = char16_t(data[2 + 2 * i] | (data[3 + 2 * i] << 8));
        splitLines(unitsLe.data(), units, [&](const std::u16string &line) {
            reader.m_lines.append(QString::fromUtf16(line.data(), qsizetype(line.size())));
        });
    } else {
        qsizetype skip = 0;
        core::CodePage page = codePage;
        if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
            reader.m_encoding = Encoding::Utf8;
            skip = 3;
            page = kUtf8Page;
        }
        std::optional<core::Error> failed;
        splitLines(bytes.constData() + skip, size - skip, [&](const std::string &line) {
            if (failed)
                return;
            const QByteArray raw(line.data(), qsizetype(line.size()));
            auto text = core::TextCodec::decode(raw, page);
            if (!text) {
                failed = text.error();
                return;
            }
            reader.m_lines.append(std::move(*text));
            if (reader.m_encoding == Encoding::CodePage)
                reader.m_rawLines.append(raw);
        });
        if (failed)
            return *failed;
    }
    for (const QString &line : std::as_const(reader.m_lines)) {
        if (line.contains(QChar(u'\0'))) {
            reader.m_holdsNul = true;
            break;
        }
    }
    return reader;
}

QString SubtitleLineReader::readNonBlankLine()
{
    while (!atEnd()) {
        QString line = readLine().trimmed();
        if (!line.isEmpty())
            return line;
    }
    return {};
}

} // namespace glyfex::subtitles
