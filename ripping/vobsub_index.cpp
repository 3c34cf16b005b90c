// VobSub index (.idx) reader: stream languages, frame size and palette, and the chosen stream's unit times.
#include "ripping/vobsub_index.h"

#include "core/file_read.h"
#include "ripping/dvd_files.h"

#include <QDir>
#include <QList>

namespace glyfex::ripping {

namespace {

using core::makeError;

constexpr qint64 kLargestIndex = 64 * 1024 * 1024;
// Times beyond this (some 277 000 hours) are damage; the bound also keeps sums of delays from overflowing.
constexpr int64_t kLongestTimeMs = 1'000'000'000'000;
const QLatin1StringView kHeader("# VobSub index file, v");

// The index as lines of 8-bit text, CR LF or LF.
QStringList splitLines(const QByteArray &text)
{
    QStringList lines;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        lines << QString::fromLatin1(line);
    }
    if (!lines.isEmpty() && lines.last().isEmpty() && text.endsWith('\n')) lines.removeLast();
    return lines;
}

QString lineWhere(const QString &source, qsizetype index)
{
    const QString at = QStringLiteral("line %1").arg(index + 1);
    return source.isEmpty() ? at : source + QStringLiteral(", ") + at;
}

// The text after a "key:" at the start of the line, or nothing when the line starts otherwise.
std::optional<QStringView> valueOf(const QString &line, QLatin1StringView key)
{
    if (!line.startsWith(key)) return std::nullopt;
    return QStringView(line).sliced(key.size()).trimmed();
}

// "id: en, index: 3": the index after "index:", or nothing when it is not a whole number.
std::optional<int> idIndexOf(QStringView line)
{
    const qsizetype at = line.indexOf(QLatin1StringView("index:"));
    if (at < 0) return std::nullopt;
    bool ok = false;
    const int index = line.sliced(at + 6).trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(index) : std::nullopt;
}

// "720x576", "720 x 576": each side a number, 720 or 576 where it is not one of sensible size.
FrameSize parseSize(QStringView value)
{
    const qsizetype x = value.indexOf(QLatin1Char('x'), 0, Qt::CaseInsensitive);
    const QStringView w = x < 0 ? value : value.first(x);
    const QStringView h = x < 0 ? QStringView() : value.sliced(x + 1);
    auto number = [](QStringView text, int fallback) {
        bool ok = false;
        const int v = text.trimmed().toInt(&ok, 10);
        return ok && v > 0 && v <= 8192 ? v : fallback;
    };
    return {number(w, 720), number(h, 576)};
}

// "000000, f0f0f0, ...": 16 hexadecimal RRGGBB colours, as 0x00BBGGRR.
core::Result<DvdPalette> parsePalette(QStringView value, const QString &where)
{
    QList<QStringView> entries = value.split(QLatin1Char(','));
    if (!entries.isEmpty() && entries.last().trimmed().isEmpty()) entries.removeLast();
    if (entries.size() != 16)
        return makeError(QStringLiteral("Bad palette in the VobSub index"), where,
                         QStringLiteral("16 colours expected, %1 found").arg(entries.size()));
    DvdPalette palette{};
    for (qsizetype k = 0; k < 16; ++k) {
        const QStringView entry = entries[k].trimmed();
        bool ok = entry.size() >= 1 && entry.size() <= 6;
        const uint32_t rgb = ok ? entry.toUInt(&ok, 16) : 0;
        if (!ok || entry.startsWith(QLatin1Char('+')) || entry.startsWith(QLatin1Char('-')))
            return makeError(QStringLiteral("Bad palette in the VobSub index"), where,
                             QStringLiteral("colour %1 \"%2\" is not a hexadecimal RRGGBB").arg(k).arg(entry));
        palette[size_t(k)] = (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF);
    }
    return palette;
}

// A signed time "[-]hh:mm:ss:mmm" in milliseconds.
core::Result<int64_t> parseSignedTime(QStringView text, const QString &where, const QString &what)
{
    const bool negative = text.startsWith(QLatin1Char('-'));
    auto time = core::parseTimeCode(negative ? text.sliced(1).trimmed() : text);
    if (!time) return makeError(what, where, time.error().message());
    const int64_t ms = core::timeCodeToMilliseconds(*time);
    if (ms > kLongestTimeMs || ms < -kLongestTimeMs)
        return makeError(what, where, QStringLiteral("the time is out of range"));
    return negative ? -ms : ms;
}

core::Result<QByteArray> readIndexFile(const QString &path)
{
    return core::readPlainFile(path, kLargestIndex, QStringLiteral("Cannot open the VobSub index"), [&path](qint64 size) {
        return makeError(QStringLiteral("Unrecognized file format."), QDir::toNativeSeparators(path),
                         QStringLiteral("%1 bytes is too large for a VobSub index").arg(size));
    });
}

} // namespace

core::Result<VobSubIndex> parseVobSubIndex(const QByteArray &text, const QString &source)
{
    const QStringList lines = splitLines(text);
    const qsizetype header = lines.isEmpty() ? -1 : lines.first().indexOf(kHeader);
    if (header < 0)
        return makeError(QStringLiteral("Unrecognized file format."), lineWhere(source, 0),
                         QStringLiteral("the first line is not a VobSub index header"));

    VobSubIndex index;
    // Only the one character after the header text is the version ("v10" reads as 1).
    const qsizetype versionAt = header + kHeader.size();
    if (versionAt < lines.first().size() && lines.first()[versionAt].isDigit() && lines.first()[versionAt] < QLatin1Char(0x80))
        index.version = lines.first()[versionAt].digitValue();

    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString &line = lines[n];
        if (auto id = valueOf(line, QLatin1StringView("id:"))) {
            const auto stream = idIndexOf(*id);
            if (!stream)
                return makeError(QStringLiteral("Bad stream number in the VobSub index"), lineWhere(source, n),
                                 QStringLiteral("no whole number after \"index:\""));
            // The table has 32 streams; a number outside names nothing.
            if (*stream < 0 || *stream > 31) continue;
            // The language code: up to two characters before the comma ("--" when the tool knew none).
            const qsizetype comma = id->indexOf(QLatin1Char(','));
            const QStringView code = id->first(std::min<qsizetype>(2, comma < 0 ? id->size() : comma));
            index.streamNames[size_t(*stream)] = languageCodeToName(code);
        } else if (auto size = valueOf(line, QLatin1StringView("size:"))) {
            index.frameSize = parseSize(*size);
        } else if (auto colours = valueOf(line, QLatin1StringView("palette:"))) {
            // Another tool's damage to the colours must not cost the streams: the palette is left out.
            auto palette = parsePalette(*colours, lineWhere(source, n));
            if (palette) {
                index.palette = *palette;
                index.paletteError.reset();
            } else {
                index.palette.reset();
                index.paletteError = palette.error();
            }
        }
    }
    return index;
}

core::Result<VobSubIndex> readVobSubIndex(const QString &idxPath, const QString &openedPath)
{
    auto text = readIndexFile(idxPath);
    if (!text) return text.error();
    auto index = parseVobSubIndex(*text, QDir::toNativeSeparators(idxPath));
    if (!index) return index;
    // Old indexes were written beside the IFO whose palette is the true one.
    if (index->version <= 5) {
        const QString ifo = withOtherExtension(openedPath.isEmpty() ? idxPath : openedPath, QStringLiteral(".ifo"));
        if (!ifo.isEmpty()) {
            if (auto palette = readIfoPalette(ifo)) {
                index->palette = *palette;
                index->paletteFromIfo = true;
            }
        }
    }
    return index;
}

core::Result<VobSubTiming> prescanVobSubTimes(const QByteArray &text, int stream, const QString &source)
{
    const QStringList lines = splitLines(text);
    VobSubTiming timing;

    // The stream's block starts at its first "id:" line; the number must equal the stream exactly.
    qsizetype n = 0;
    for (; n < lines.size(); ++n) {
        if (auto id = valueOf(lines[n], QLatin1StringView("id:")); id && idIndexOf(*id) == stream) break;
    }
    if (n == lines.size()) return timing;

    int64_t delay = 0;
    for (++n; n < lines.size(); ++n) {
        const QString &line = lines[n];
        if (line.startsWith(QLatin1StringView("id:"))) break;
        if (auto value = valueOf(line, QLatin1StringView("delay:"))) {
            auto d = parseSignedTime(*value, lineWhere(source, n), QStringLiteral("Bad delay in the VobSub index"));
            if (!d) return d.error();
            delay += *d;
            if (delay > kLongestTimeMs || delay < -kLongestTimeMs)
                return makeError(QStringLiteral("Bad delay in the VobSub index"), lineWhere(source, n),
                                 QStringLiteral("the delays add up beyond range"));
        } else if (auto value = valueOf(line, QLatin1StringView("timestamp:"))) {
            // "hh:mm:ss:mmm, filepos: 00001a800"
            const qsizetype comma = value->indexOf(QLatin1Char(','));
            auto t = parseSignedTime(comma < 0 ? *value : value->first(comma).trimmed(), lineWhere(source, n),
                                     QStringLiteral("Bad timestamp in the VobSub index"));
            if (!t) return t.error();
            const qsizetype at = value->indexOf(QLatin1StringView("filepos:"));
            bool ok = false;
            const QStringView hex = at < 0 ? QStringView() : value->sliced(at + 8).trimmed();
            const int64_t pos = hex.startsWith(QLatin1Char('-')) || hex.startsWith(QLatin1Char('+')) ? -1
                                                                                                     : hex.toLongLong(&ok, 16);
            if (!ok || pos < 0)
                return makeError(QStringLiteral("Bad file position in the VobSub index"), lineWhere(source, n),
                                 QStringLiteral("no hexadecimal number after \"filepos:\""));
            // The first negative time moves the delay so that the earliest unit starts at the delay in force.
            if (*t < 0 && !timing.negativeTimes) {
                timing.negativeTimes = true;
                delay -= *t;
            }
            const int64_t start = delay + *t;
            timing.units.push_back({core::millisecondsToTimeCode(start), start, pos, int(n + 1)});
        }
    }
    return timing;
}

core::Result<VobSubTiming> readVobSubTimes(const QString &idxPath, int stream)
{
    auto text = readIndexFile(idxPath);
    if (!text) return text.error();
    return prescanVobSubTimes(*text, stream, QDir::toNativeSeparators(idxPath));
}

} // namespace glyfex::ripping
