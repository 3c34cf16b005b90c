// Splitting a subtitle file into lines and decoding them.
#include "subtitles/subtitle_line_reader.h"

#include <optional>
#include <string>
#include <string_view>

namespace glyfex::subtitles {

namespace {

// Calls emit(begin, end) for each line of units: a line ends at LF, a last line without LF counts and an
// empty remainder does not. The line still holds its CRs.
template <class Unit, class Emit>
void forEachLine(const Unit *units, qsizetype count, Emit emit)
{
    qsizetype begin = 0;
    for (qsizetype i = 0; i < count; ++i) {
        if (units[i] == Unit('\n')) {
            emit(begin, i);
            begin = i + 1;
        }
    }
    if (begin < count)
        emit(begin, count);
}

// The units without their CRs (most lines have one at most, at the end).
template <class Unit>
std::basic_string_view<Unit> withoutCarriageReturns(const Unit *begin, const Unit *end, std::basic_string<Unit> &scratch)
{
    if (begin < end && end[-1] == Unit('\r'))
        --end;
    const std::basic_string_view<Unit> line(begin, size_t(end - begin));
    if (line.find(Unit('\r')) == std::basic_string_view<Unit>::npos)
        return line;
    scratch.clear();
    for (Unit u : line)
        if (u != Unit('\r'))
            scratch.push_back(u);
    return scratch;
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
        const qsizetype count = (size - 2) / 2;
        std::u16string units(size_t(count), u'\0');
        for (qsizetype i = 0; i < count; ++i)
            units[size_t(i)] = char16_t(data[2 + 2 * i] | (data[3 + 2 * i] << 8));
        std::u16string scratch;
        forEachLine(units.data(), count, [&](qsizetype begin, qsizetype end) {
            const std::u16string_view line = withoutCarriageReturns(units.data() + begin, units.data() + end, scratch);
            reader.m_lines.append(QString::fromUtf16(line.data(), qsizetype(line.size())));
        });
    } else {
        qsizetype skip = 0;
        core::CodePage page = codePage;
        if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
            reader.m_encoding = Encoding::Utf8;
            skip = 3;
            page = core::TextCodec::kUtf8CodePage;
        }
        std::optional<core::Error> failed;
        std::string scratch;
        const char *text = bytes.constData() + skip;
        forEachLine(text, size - skip, [&](qsizetype begin, qsizetype end) {
            if (failed)
                return;
            const std::string_view line = withoutCarriageReturns(text + begin, text + end, scratch);
            auto decoded = core::TextCodec::decode(QByteArrayView(line.data(), qsizetype(line.size())), page);
            if (!decoded) {
                failed = decoded.error();
                return;
            }
            reader.m_lines.append(std::move(*decoded));
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

QList<QByteArray> SubtitleLineReader::rawLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    std::string scratch;
    forEachLine(bytes.constData(), bytes.size(), [&](qsizetype begin, qsizetype end) {
        const std::string_view line = withoutCarriageReturns(bytes.constData() + begin, bytes.constData() + end, scratch);
        lines.append(QByteArray(line.data(), qsizetype(line.size())));
    });
    return lines;
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
