// Writing the video viewer's mask pictures.
#include "recognition/mask_file.h"

#include "core/save_file.h"

#include <QDir>

namespace glyfex::recognition {

QString maskFilePath(const QString &folder, int number)
{
    return QDir(folder).filePath(QStringLiteral("image_%1.pgm").arg(number));
}

QByteArray pgmBytes(const picture::CodeImage &mask)
{
    QByteArray out = QByteArrayLiteral("P5\n") + QByteArray::number(mask.width) + ' ' + QByteArray::number(mask.height)
                   + QByteArrayLiteral("\n255\n");
    out.append(reinterpret_cast<const char *>(mask.bytes.data()), qsizetype(mask.bytes.size()));
    return out;
}

core::Result<void> writePgmMask(const QString &path, const picture::CodeImage &mask)
{
    return core::saveFile(path, pgmBytes(mask), QStringLiteral("Cannot write the mask picture"));
}

} // namespace glyfex::recognition
