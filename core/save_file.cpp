// The one way the program writes a file: through a temporary beside it, checked to the disk, then renamed.
#include "core/save_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

} // namespace

// A temporary beside the file with the mode the file had (or a new file's mode), every write checked,
// then the sync (Synced) and the close checked, then one rename over the file. QSaveFile is not used:
// its commit() reports success when its last buffered write fails on a full disk, and it syncs always.
Result<void> saveFile(const QString &path, QByteArrayView bytes, const QString &what, SaveSync sync)
{
    const QString where = QDir::toNativeSeparators(path);
    // Write through a link to the file it names instead of replacing the link.
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
    // A file system may take the bytes and refuse the blocks only when they are synced (NFS, quotas).
    if (sync == SaveSync::Synced && ::fsync(fd) != 0) {
        const int e = errno;
        ::close(fd);
        return fail(e);
    }
    if (::close(fd) != 0)
        return fail(errno);
    if (::rename(temp.constData(), targetName.constData()) != 0)
        return fail(errno);
    return {};
}

} // namespace glyfex::core
