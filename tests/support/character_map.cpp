// The character maps file: a header, then per picture its time, size, characters and run-length rows of labels.
#include "support/character_map.h"

#include <QDataStream>
#include <QFile>

namespace glyfex::test {

namespace {

constexpr quint32 kMagic = 0x47584348; // "GXCH"
constexpr quint32 kVersion = 1;
// Far above any subtitle picture: a larger count is damage, not data.
constexpr quint32 kMaxPictures = 100000;
constexpr qint32 kMaxSide = 4096;
constexpr quint32 kMaxCharacters = 0xFFFE;

} // namespace

core::Result<void> writeCharacterMaps(const QString &path, const std::vector<CharacterMap> &maps)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return core::makeError(QStringLiteral("Cannot write the character map"), path, file.errorString());
    QDataStream out(&file);
    out << kMagic << kVersion << quint32(maps.size());
    for (const CharacterMap &m : maps) {
        out << m.startMs << qint32(m.width) << qint32(m.height) << qint32(m.inkX) << qint32(m.inkY) << qint32(m.inkWidth)
            << qint32(m.inkHeight) << quint32(m.characters.size());
        for (const CharacterMap::Character &c : m.characters)
            out << qint32(c.line) << c.text << c.italic;
        // Each row as runs of one label: (label, length) until the row's width is reached.
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width;) {
                const uint16_t label = m.labelAt(x, y);
                int run = 1;
                while (x + run < m.width && run < 0xFFFF && m.labelAt(x + run, y) == label)
                    ++run;
                out << quint16(label) << quint16(run);
                x += run;
            }
    }
    if (out.status() != QDataStream::Ok || !file.flush())
        return core::makeError(QStringLiteral("Cannot write the character map"), path, file.errorString());
    return {};
}

core::Result<std::vector<CharacterMap>> readCharacterMaps(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return core::makeError(QStringLiteral("Cannot read the character map"), path, file.errorString());
    QDataStream in(&file);
    const auto damaged = [&](const QString &why) {
        return core::makeError(QStringLiteral("Damaged character map"),
                               QStringLiteral("%1, byte %2").arg(path).arg(file.pos()), why);
    };
    quint32 magic = 0, version = 0, count = 0;
    in >> magic >> version >> count;
    if (in.status() != QDataStream::Ok || magic != kMagic || version != kVersion)
        return damaged(QStringLiteral("not a character map of this version"));
    if (count > kMaxPictures)
        return damaged(QStringLiteral("%1 pictures").arg(count));
    std::vector<CharacterMap> maps;
    for (quint32 i = 0; i < count; ++i) {
        CharacterMap m;
        qint32 width = 0, height = 0, inkX = 0, inkY = 0, inkWidth = 0, inkHeight = 0;
        quint32 characters = 0;
        in >> m.startMs >> width >> height >> inkX >> inkY >> inkWidth >> inkHeight >> characters;
        if (in.status() != QDataStream::Ok)
            return damaged(QStringLiteral("it ends inside picture %1").arg(i + 1));
        if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide || characters > kMaxCharacters)
            return damaged(QStringLiteral("picture %1 of %2 x %3 with %4 characters").arg(i + 1).arg(width).arg(height).arg(characters));
        if (inkX < 0 || inkY < 0 || inkWidth < 0 || inkHeight < 0 || inkX + inkWidth > width || inkY + inkHeight > height)
            return damaged(QStringLiteral("the ink of picture %1 lies outside it").arg(i + 1));
        m.inkX = inkX;
        m.inkY = inkY;
        m.inkWidth = inkWidth;
        m.inkHeight = inkHeight;
        m.width = width;
        m.height = height;
        for (quint32 c = 0; c < characters; ++c) {
            CharacterMap::Character ch;
            qint32 line = 0;
            in >> line >> ch.text >> ch.italic;
            ch.line = line;
            m.characters.push_back(ch);
        }
        m.labels.reserve(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width;) {
                quint16 label = 0, run = 0;
                in >> label >> run;
                if (in.status() != QDataStream::Ok || run == 0 || x + run > width || label > characters)
                    return damaged(QStringLiteral("a bad run in row %1 of picture %2").arg(y).arg(i + 1));
                m.labels.insert(m.labels.end(), run, label);
                x += run;
            }
        maps.push_back(std::move(m));
    }
    return maps;
}

} // namespace glyfex::test
