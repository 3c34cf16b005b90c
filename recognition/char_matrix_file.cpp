// Reading and writing character matrix files. All numbers are little-endian. Version 3 stores texts as
// UTF-16 and the bitmap row by row; version 2 has 8-bit texts in the subtitle code page; version 1 has
// fixed 277-byte entries with a 45 x 45 bit field.
#include "recognition/char_matrix_file.h"

#include "core/byte_reader.h"
#include "core/file_read.h"
#include "core/messages.h"
#include "core/save_file.h"
#include "core/text_codec.h"


#include <algorithm>
#include <cstring>
#include <new>

namespace glyfex::recognition {

namespace {

constexpr size_t kMagicLength = 23;
constexpr char kMagicV3[] = "Glyfex_Char_Matrix_Fil3";
constexpr char kMagicV2[] = "Glyfex_Char_Matrix_Fil2";
constexpr char kMagicV1[] = "Glyfex_Char_Matrix_File";
constexpr size_t kV1CommentBytes = 255;
constexpr size_t kV1EntryBytes = 277; // Dy, Width, Height, 20 text bytes, 254 bitmap bytes
constexpr int kV1Field = 45;          // the version-1 bitmap is a 45 x 45 field in row-major bit order
constexpr qint64 kEntryRecordBytes = 498; // the size of one entry that memory messages report
// The largest well-formed file: header, a 255-unit UTF-16 comment, the count, then the most entries at
// their largest (five bytes, 20 UTF-16 units of text, the widest and highest bitmap). Anything longer
// is no matrix, and reading it whole could exhaust the memory.
constexpr qint64 kLargestEntryBytes =
    std::max<qint64>(5 + 2 * core::CharText::kCapacity + qint64(kGlyphMaxWidth + 7) / 8 * kGlyphMaxHeight,
                     qint64(kV1EntryBytes));
constexpr qint64 kLargestMatrixFile =
    qint64(kMagicLength) + 1 + 2 * CharMatrix::kMaxCommentLength + 2 + CharMatrix::kMaxEntries * kLargestEntryBytes;

// The "what" of each failure is the message table's own text, so a window can show the same words.
QString message(core::Msg::Id id)
{
    return core::builtInMessage(id);
}

core::Error outOfMemory(const QString &fileName, int count)
{
    return core::makeError(message(core::Msg::NoMemoryToLoadMatrix), fileName,
                           message(core::Msg::MatrixSizeInBytes) + QLatin1Char(' ')
                               + QString::number(qint64(count + 1) * kEntryRecordBytes));
}

bool startsWith(std::span<const uint8_t> bytes, const char *magic)
{
    return bytes.size() >= kMagicLength && std::memcmp(bytes.data(), magic, kMagicLength) == 0;
}

// Bytes up to the first zero (all of them when there is none), each widened by value.
QString widenUpToZero(std::span<const uint8_t> bytes)
{
    QString s;
    for (uint8_t b : bytes) {
        if (b == 0)
            break;
        s += QChar(char16_t(b));
    }
    return s;
}

class MatrixParser {
public:
    MatrixParser(std::span<const uint8_t> bytes, const QString &fileName, uint16_t codePage, core::PassHost *host)
        : m_bytes(bytes), m_reader(bytes), m_fileName(fileName), m_codePage(codePage), m_host(host)
    {
    }

    core::Result<CharMatrix> parse()
    {
        const auto bytes = m_bytes;
        int version = 0;
        if (startsWith(bytes, kMagicV3))
            version = 3;
        else if (startsWith(bytes, kMagicV2))
            version = 2;
        else if (startsWith(bytes, kMagicV1))
            version = 1;
        if (version == 0)
            return invalid(m_fileName, QStringLiteral("no character matrix header"));
        m_reader.skip(kMagicLength);

        CharMatrix matrix;
        QString comment;
        if (version == 1) {
            comment = widenUpToZero(m_reader.bytes(kV1CommentBytes));
        } else {
            const int n = m_reader.u8();
            for (int i = 0; i < n; ++i)
                comment += QChar(char16_t(version == 3 ? m_reader.le16() : m_reader.u8()));
        }
        const int count = m_reader.le16();
        if (m_reader.failed())
            return invalid(m_fileName, QStringLiteral("the file ends inside its header"));
        matrix.setComment(comment);

        try {
            matrix.reserve(count);
        } catch (const std::bad_alloc &) {
            return outOfMemory(m_fileName, count);
        }
        if (m_host)
            m_host->pump();

        for (int i = 1; i <= count; ++i) {
            Glyph g;
            QString why = version == 1 ? readEntryV1(g) : readEntry(g, version);
            if (!why.isEmpty())
                return invalid(QStringLiteral("%1, entry %2 of %3").arg(m_fileName).arg(i).arg(count), why);
            if (matrix.add(g) != CharMatrix::AddOutcome::Added)
                return outOfMemory(m_fileName, count);
            if (m_host)
                m_host->progress(i, count);
        }
        matrix.setModified(false);
        matrix.setFileName(m_fileName);
        return matrix;
    }

private:
    static core::Error invalid(const QString &where, const QString &why)
    {
        return core::makeError(message(core::Msg::NotValidMatrixFile), where, why);
    }

    QString checkSize(int width, int height) const
    {
        if (width > kGlyphMaxWidth)
            return QStringLiteral("glyph width %1 over %2").arg(width).arg(kGlyphMaxWidth);
        if (height > kGlyphMaxHeight)
            return QStringLiteral("glyph height %1 over %2").arg(height).arg(kGlyphMaxHeight);
        return {};
    }

    // Versions 2 and 3: Dy, Width, Height, Style, text length, text, then Height rows of ceil(Width / 8)
    // bytes, the most significant bit the leftmost pixel. Returns why the entry is refused, or nothing.
    QString readEntry(Glyph &g, int version)
    {
        g.dy = m_reader.u8();
        g.width = m_reader.u8();
        g.height = m_reader.u8();
        g.style = m_reader.u8();
        const int m = m_reader.u8();
        if (m_reader.failed())
            return QStringLiteral("the file ends inside the entry");
        if (m > core::CharText::kCapacity)
            return QStringLiteral("text length %1 over %2").arg(m).arg(core::CharText::kCapacity);
        if (QString why = checkSize(g.width, g.height); !why.isEmpty())
            return why;

        QString text;
        if (version == 3) {
            for (int k = 0; k < m; ++k)
                text += QChar(char16_t(m_reader.le16()));
        } else {
            // A multi-byte code page may give fewer characters than bytes; only what it gave is kept.
            const auto bytes = m_reader.bytes(size_t(m));
            auto decoded = core::TextCodec::decode(
                QByteArrayView(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())), m_codePage);
            if (!decoded)
                return QStringLiteral("its text cannot be read in code page %1: %2")
                    .arg(m_codePage)
                    .arg(decoded.error().message());
            text = decoded.value().left(m);
        }
        const int rowBytes = (g.width + 7) / 8;
        const auto bitmap = m_reader.bytes(size_t(rowBytes) * g.height);
        if (m_reader.failed())
            return QStringLiteral("the file ends inside the entry");
        g.text = core::toCharText(text);
        for (int y = 0; y < g.height; ++y) {
            GlyphRow row = 0;
            for (int b = 0; b < rowBytes; ++b) {
                const uint8_t byte = bitmap[size_t(y * rowBytes + b)];
                for (int j = 0; j < 8; ++j)
                    if (byte & (0x80 >> j))
                        row |= GlyphRow(1) << (8 * b + j);
            }
            g.rows[size_t(y)] = row;
        }
        return {};
    }

    // Version 1: a fixed entry whose whole 45 x 45 field is kept, whatever Width and Height say.
    QString readEntryV1(Glyph &g)
    {
        const auto entry = m_reader.bytes(kV1EntryBytes);
        if (m_reader.failed())
            return QStringLiteral("the file ends inside the entry");
        g.dy = entry[0];
        g.width = entry[1];
        g.height = entry[2];
        if (QString why = checkSize(g.width, g.height); !why.isEmpty())
            return why;
        g.text = core::toCharText(widenUpToZero(entry.subspan(3, 20)));
        g.style = 0;
        const auto field = entry.subspan(23);
        for (int y = 0; y < kV1Field; ++y) {
            GlyphRow row = 0;
            for (int x = 0; x < kV1Field; ++x) {
                const int k = y * kV1Field + x;
                if (field[size_t(k / 8)] & (0x80 >> (k % 8)))
                    row |= GlyphRow(1) << x;
            }
            g.rows[size_t(y)] = row;
        }
        return {};
    }

    std::span<const uint8_t> m_bytes;
    core::ByteReader m_reader;
    QString m_fileName;
    uint16_t m_codePage;
    core::PassHost *m_host;
};

void putLe16(QByteArray &out, uint16_t v)
{
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

} // namespace

core::Result<CharMatrix> parseCharMatrix(std::span<const uint8_t> bytes, const QString &fileName,
                                         uint16_t codePage, core::PassHost *host)
{
    return MatrixParser(bytes, fileName, codePage, host).parse();
}

core::Result<void> loadCharMatrix(const QString &path, CharMatrix &matrix, uint16_t codePage, core::PassHost &host)
{
    const auto read = core::readPlainFile(path, kLargestMatrixFile, QStringLiteral("Cannot open the character matrix"),
                                          [&path](qint64 size) {
                                              return core::makeError(message(core::Msg::NotValidMatrixFile), path,
                                                                     QStringLiteral("%1 bytes is too large for a character matrix (the largest has %2)")
                                                                         .arg(size)
                                                                         .arg(kLargestMatrixFile));
                                          });
    if (!read)
        return read.error();
    const QByteArray &all = *read;
    auto parsed = parseCharMatrix(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t *>(all.constData()), size_t(all.size())), path,
        codePage, &host);
    if (!parsed)
        return parsed.error();
    matrix.swap(parsed.value());
    return {};
}

QByteArray serialiseCharMatrix(const CharMatrix &matrix)
{
    QByteArray out;
    out.append(kMagicV3, qsizetype(kMagicLength));
    const QString comment = matrix.comment().left(CharMatrix::kMaxCommentLength);
    out.append(char(comment.size()));
    for (QChar c : comment)
        putLe16(out, c.unicode());
    const qsizetype countAt = out.size();
    putLe16(out, 0);

    int written = 0;
    for (const Glyph &g : matrix.entries()) {
        if (g.deleted)
            continue;
        const int width = std::min<int>(g.width, kGlyphMaxWidth);
        const int height = std::min<int>(g.height, kGlyphMaxHeight);
        const int length = std::min<int>(g.text.length, core::CharText::kCapacity);
        out.append(char(g.dy));
        out.append(char(width));
        out.append(char(height));
        out.append(char(g.style));
        out.append(char(length));
        for (int k = 0; k < length; ++k)
            putLe16(out, g.text.text[k]);
        const int rowBytes = (width + 7) / 8;
        for (int y = 0; y < height; ++y) {
            // Bits past the width in the last byte are written as they are held.
            for (int b = 0; b < rowBytes; ++b) {
                uint8_t byte = 0;
                for (int j = 0; j < 8; ++j)
                    if ((g.rows[size_t(y)] >> (8 * b + j)) & 1)
                        byte |= uint8_t(0x80 >> j);
                out.append(char(byte));
            }
        }
        ++written;
    }
    out[countAt] = char(written & 0xFF);
    out[countAt + 1] = char(written >> 8);
    return out;
}

core::Result<void> saveCharMatrix(CharMatrix &matrix, const QString &path)
{
    if (matrix.count() == 0)
        return core::makeError(message(core::Msg::MatrixEmpty), path);
    const QByteArray bytes = serialiseCharMatrix(matrix);
    // Marked saved only once the whole file is on the disk: a failed save keeps the exit question.
    if (auto saved = core::saveFile(path, bytes, QStringLiteral("Cannot write the character matrix")); !saved)
        return saved;
    matrix.setModified(false);
    matrix.setFileName(path);
    return {};
}

} // namespace glyfex::recognition
