// Reading the AVI header list.
#include "subtitles/avi_header.h"

#include "core/byte_reader.h"
#include "core/file_read.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <limits>
#include <optional>

namespace glyfex::subtitles {

namespace {

const QString kBadHeader = QStringLiteral("Cannot read the AVI header");

uint32_t fourCc(const char (&text)[5])
{
    return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 | uint32_t(uint8_t(text[2])) << 16 |
           uint32_t(uint8_t(text[3])) << 24;
}

QString at(size_t offset)
{
    return QStringLiteral("byte %1").arg(offset);
}

// One chunk: its id, where its data starts and how long the data is.
struct Chunk {
    uint32_t id = 0;
    size_t data = 0;
    size_t size = 0;
    uint32_t listType = 0; // for "LIST": the first four bytes of its data
};

// Walks the chunks between begin and end of the span; every chunk must lie whole inside them.
class ChunkWalk {
public:
    ChunkWalk(std::span<const uint8_t> bytes, size_t begin, size_t end) : m_bytes(bytes), m_pos(begin), m_end(end) {}

    // The next chunk, nullopt at the end; an error for a chunk that runs past the end.
    core::Result<std::optional<Chunk>> next()
    {
        // Fewer than a chunk header's 8 bytes left: padding at the end of a list.
        if (m_end - m_pos < 8)
            return std::optional<Chunk>{};
        core::ByteReader r(m_bytes);
        r.seek(m_pos);
        Chunk c;
        c.id = r.le32();      // ckID
        c.size = r.le32();    // ckSize, without the pad byte of an odd size
        c.data = m_pos + 8;
        if (c.size > m_end - c.data)
            return core::makeError(kBadHeader, at(m_pos),
                                   QStringLiteral("a chunk of %1 bytes runs past the end of its list").arg(c.size));
        if (c.id == fourCc("LIST")) {
            if (c.size < 4)
                return core::makeError(kBadHeader, at(m_pos), QStringLiteral("a list without its type"));
            c.listType = r.le32(); // list type: hdrl, strl, odml, movi, ...
        }
        // Chunks start on even offsets; the pad byte may be missing after the last one.
        m_pos = std::min(m_end, c.data + c.size + (c.size & 1));
        return std::optional<Chunk>{c};
    }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_pos;
    size_t m_end;
};

uint32_t le32At(std::span<const uint8_t> bytes, size_t offset)
{
    core::ByteReader r(bytes);
    r.seek(offset);
    return r.le32();
}

} // namespace

core::Result<AviHeader> parseAviHeader(std::span<const uint8_t> head)
{
    // "RIFF", size, form type "AVI " (a later RIFF of an OpenDML file says "AVIX").
    if (head.size() < 12 || head[8] != 'A' || head[9] != 'V' || head[10] != 'I')
        return core::makeError(kBadHeader, at(8), QStringLiteral("the file is not an AVI file"));

    std::optional<uint32_t> mainFrames;
    std::optional<uint32_t> extendedFrames;
    std::optional<AviHeader> stream;

    // The form's chunks up to the end of what was read: a truncated file ends inside its header.
    ChunkWalk form(head, 12, head.size());
    std::optional<Chunk> hdrl;
    while (!hdrl) {
        auto c = form.next();
        if (!c)
            return c.error();
        if (!*c)
            return core::makeError(kBadHeader, at(12), QStringLiteral("the header list (hdrl) is missing or truncated"));
        if ((*c)->id == fourCc("LIST") && (*c)->listType == fourCc("hdrl"))
            hdrl = **c;
    }

    ChunkWalk inHdrl(head, hdrl->data + 4, hdrl->data + hdrl->size);
    while (true) {
        auto c = inHdrl.next();
        if (!c)
            return c.error();
        if (!*c)
            break;
        const Chunk &chunk = **c;
        if (chunk.id == fourCc("avih") && !mainFrames) {
            // MainAVIHeader: dwMicroSecPerFrame, dwMaxBytesPerSec, dwPaddingGranularity, dwFlags, dwTotalFrames, ...
            if (chunk.size < 20)
                return core::makeError(kBadHeader, at(chunk.data - 8), QStringLiteral("the main header is too short"));
            mainFrames = le32At(head, chunk.data + 16);
        } else if (chunk.id == fourCc("LIST") && chunk.listType == fourCc("strl") && !stream) {
            ChunkWalk inStrl(head, chunk.data + 4, chunk.data + chunk.size);
            while (!stream) {
                auto s = inStrl.next();
                if (!s)
                    return s.error();
                if (!*s)
                    return core::makeError(kBadHeader, at(chunk.data - 8),
                                           QStringLiteral("the first stream list has no stream header (strh)"));
                if ((*s)->id != fourCc("strh"))
                    continue;
                // AVIStreamHeader: fccType, fccHandler, dwFlags, wPriority + wLanguage, dwInitialFrames, dwScale, dwRate, ...
                if ((*s)->size < 28)
                    return core::makeError(kBadHeader, at((*s)->data - 8), QStringLiteral("the stream header is too short"));
                AviHeader h;
                h.scale = le32At(head, (*s)->data + 20);
                h.rate = le32At(head, (*s)->data + 24);
                stream = h;
            }
        } else if (chunk.id == fourCc("LIST") && chunk.listType == fourCc("odml")) {
            ChunkWalk inOdml(head, chunk.data + 4, chunk.data + chunk.size);
            while (true) {
                auto s = inOdml.next();
                if (!s)
                    return s.error();
                if (!*s)
                    break;
                // AVIEXTHEADER: dwGrandFrames, the frames of every RIFF of the file.
                if ((*s)->id == fourCc("dmlh") && (*s)->size >= 4)
                    extendedFrames = le32At(head, (*s)->data);
            }
        }
    }

    if (!mainFrames)
        return core::makeError(kBadHeader, at(hdrl->data - 8), QStringLiteral("the main header (avih) is missing"));
    if (!stream)
        return core::makeError(kBadHeader, at(hdrl->data - 8), QStringLiteral("there is no stream header"));
    if (stream->scale == 0)
        return core::makeError(kBadHeader, at(hdrl->data - 8), QStringLiteral("the stream's time scale is 0"));
    AviHeader header = *stream;
    // A writer that reserved the OpenDML header but never filled it leaves 0 there.
    header.totalFrames = extendedFrames && *extendedFrames > 0 ? *extendedFrames : *mainFrames;
    return header;
}

core::Result<AviHeader> readAviHeader(const QString &path)
{
    QFile file(path);
    if (auto opened = core::openPlainFile(file, QStringLiteral("Cannot open the AVI file")); !opened)
        return opened.error();
    const QByteArray head = file.read(qint64(kAviHeaderReadLimit));
    if (file.error() != QFileDevice::NoError)
        return core::makeError(QStringLiteral("Cannot read the AVI file"), QDir::toNativeSeparators(path),
                               file.errorString());
    auto header = parseAviHeader({reinterpret_cast<const uint8_t *>(head.constData()), size_t(head.size())});
    if (!header) {
        core::Error e = header.error();
        e.where = QDir::toNativeSeparators(path) + QStringLiteral(", ") + e.where;
        return e;
    }
    return header;
}

uint32_t aviFpsX1000(const AviHeader &header)
{
    if (header.scale == 0)
        return 0;
    const double fps1000 = std::round(double(header.rate) / double(header.scale) * 1000.0);
    // A rate no video has (above 4 million frames a second) counts as no rate at all.
    return fps1000 > double(std::numeric_limits<uint32_t>::max()) ? 0 : uint32_t(fps1000);
}

core::Result<core::TimeCode> aviLength(const AviHeader &header)
{
    const uint32_t fps1000 = aviFpsX1000(header);
    if (fps1000 == 0)
        return core::makeError(kBadHeader, QString(),
                               QStringLiteral("the frame rate %1/%2 cannot be used").arg(header.rate).arg(header.scale));
    return core::frameNumberToTimeCode(int64_t(header.totalFrames), fps1000);
}

} // namespace glyfex::subtitles
