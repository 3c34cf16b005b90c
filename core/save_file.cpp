// The one way the program writes a file: through a temporary beside it, checked to the disk, then renamed.
#include "core/save_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glyfex::core {

namespace {

QString systemReason(int savedErrno)
{
    return QString::fromLocal8Bit(std::strerror(savedErrno));
}

// The system's own words for errno when it is set, Qt's otherwise: QFileDevice says "Unknown error"
// for some failed writes that errno names exactly.
QString reasonOf(int savedErrno, const QSaveFile &file)
{
    if (savedErrno != 0)
        return systemReason(savedErrno);
    const QString qt = file.errorString();
    return qt.isEmpty() ? QStringLiteral("Unknown error") : qt;
}

// The same promise as below without the sync: a temporary beside the file with the mode the file had
// (or a new file's mode), every write and the close checked, then one rename over the file.
Result<void> saveUnsynced(const QString &path, QByteArrayView bytes, const QString &what, const QString &where)
{
    // Like QSaveFile, write through a link to the file it names instead of replacing the link.
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    const QByteArray targetName = QFile::encodeName(target);
    const QFileInfo targetInfo(target);
    QByteArray temp = QFile::encodeName(targetInfo.absolutePath() + QStringLiteral("/.") + targetInfo.fileName())
                      + QByteArrayLiteral(".XXXXXX");
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return makeError(what, where, systemReason(errno));
    auto fail = [&](int savedErrno) {
        ::unlink(temp.constData());
        return makeError(what, where, systemReason(savedErrno));
    };
    struct stat old {};
    mode_t mode;
    if (::stat(targetName.constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) {
        const int e = errno;
        ::close(fd);
        return fail(e);
    }
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int e = written < 0 ? errno : ENOSPC;
            ::close(fd);
            return fail(e);
        }
        data += written;
        left -= written;
    }
    if (::close(fd) != 0)
        return fail(errno);
    if (::rename(temp.constData(), targetName.constData()) != 0)
        return fail(errno);
    return {};
}

} // namespace

Result<void> saveFile(const QString &path, QByteArrayView bytes, const QString &what, SaveSync sync)
{
    const QString where = QDir::toNativeSeparators(path);
    if (sync == SaveSync::Unsynced)
        return saveUnsynced(path, bytes, what, where);
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
