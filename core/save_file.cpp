// The one way the program writes a file: through a temporary beside it, checked to the disk, then renamed.
#include "core/save_file.h"

#include <QDir>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace glyfex::core {

namespace {

// The system's own words for errno when it is set, Qt's otherwise: QFileDevice says "Unknown error"
// for some failed writes that errno names exactly.
QString reasonOf(int savedErrno, const QSaveFile &file)
{
    if (savedErrno != 0)
        return QString::fromLocal8Bit(std::strerror(savedErrno));
    const QString qt = file.errorString();
    return qt.isEmpty() ? QStringLiteral("Unknown error") : qt;
}

} // namespace

Result<void> saveFile(const QString &path, QByteArrayView bytes, const QString &what)
{
    const QString where = QDir::toNativeSeparators(path);
    QSaveFile file(path);
    // Unbuffered: every write reaches the system at once, so its failure is seen where it happens
    // instead of in a flush that commit() does not check.
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return makeError(what, where, reasonOf(errno, file));
    const char *data = bytes.data();
    qint64 left = bytes.size();
    while (left > 0) {
        errno = 0;
        const qint64 written = file.write(data, left);
        if (written <= 0) {
            const QString why = reasonOf(errno, file);
            file.cancelWriting();
            return makeError(what, where, why);
        }
        data += written;
        left -= written;
    }
    errno = 0;
    if (!file.flush()) {
        const QString why = reasonOf(errno, file);
        file.cancelWriting();
        return makeError(what, where, why);
    }
    // A file system may take the bytes and refuse the blocks only when they are synced (NFS, quotas).
    if (::fsync(file.handle()) != 0) {
        const QString why = reasonOf(errno, file);
        file.cancelWriting();
        return makeError(what, where, why);
    }
    errno = 0;
    if (!file.commit())
        return makeError(what, where, reasonOf(errno, file));
    return {};
}

} // namespace glyfex::core
