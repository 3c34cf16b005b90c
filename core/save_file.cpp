// The one way the program writes a file: through a temporary beside it, checked to the disk, then renamed.
#include "core/save_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
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

// Writes every byte to fd: 0, or the reason of the write that failed.
int writeAll(int fd, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : ENOSPC;
        data += written;
        left -= written;
    }
    return 0;
}

enum class NewFile { Saved, Failed, NotThisWay };

// A file that does not exist yet is written into an unnamed temporary in its folder, which gets the
// file's name only once it is complete: nothing half-written ever has the name, and no temporary is
// left behind when anything fails, not even when the program is killed. One folder entry is made
// instead of a temporary's and a rename's, which is most of what saving costs when a run writes a file
// per subtitle.
// NotThisWay when the file system cannot make unnamed files, /proc is missing or the name was
// taken meanwhile: then nothing is written and the named temporary does the job.
NewFile saveNewFile(const QByteArray &targetName, const QByteArray &folder, QByteArrayView bytes, SaveSync sync,
                    int &reason)
{
    // The mode of any new file: what the umask leaves of 0666.
    const int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return NewFile::NotThisWay;
    reason = writeAll(fd, bytes);
    if (reason == 0 && sync == SaveSync::Synced && ::fsync(fd) != 0)
        reason = errno;
    if (reason != 0) {
        ::close(fd);
        return NewFile::Failed;
    }
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, link, AT_FDCWD, targetName.constData(), AT_SYMLINK_FOLLOW) != 0) {
        ::close(fd);
        return NewFile::NotThisWay;
    }
    // A network file system may report a failed write only now; then the name is taken away again.
    if (::close(fd) != 0) {
        reason = errno;
        ::unlink(targetName.constData());
        return NewFile::Failed;
    }
    return NewFile::Saved;
}

} // namespace

// A temporary beside the file with the mode the file had (or a new file's mode), every write checked,
// then the sync (Synced) and the close checked, then it takes the file's place: a new file's unnamed
// temporary is linked in under the name, another temporary is renamed over the file. QSaveFile is not
// used: its commit() reports success when its last buffered write fails on a full disk, and it syncs always.
Result<void> saveFile(const QString &path, QByteArrayView bytes, const QString &what, SaveSync sync)
{
    const QString where = QDir::toNativeSeparators(path);
    // Write through a link to the file it names instead of replacing the link. One look at the name
    // tells both; a run saves a file per subtitle, so each look counts.
    QString target = path;
    QByteArray targetName = QFile::encodeName(path);
    struct stat old {};
    bool exists = ::lstat(targetName.constData(), &old) == 0;
    int lookError = errno;
    if (exists && S_ISLNK(old.st_mode)) {
        target = QFileInfo(path).symLinkTarget();
        targetName = QFile::encodeName(target);
        exists = ::stat(targetName.constData(), &old) == 0;
        lookError = errno;
    }
    const QFileInfo targetInfo(target);
    if (!exists && lookError == ENOENT) {
        // The folder as named: no need to make the path absolute for it.
        const qsizetype slash = target.lastIndexOf(QLatin1Char('/'));
        const QString folder = slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : target.left(slash);
        int reason = 0;
        switch (saveNewFile(targetName, QFile::encodeName(folder), bytes, sync, reason)) {
        case NewFile::Saved:
            return {};
        case NewFile::Failed:
            return makeError(what, where, systemReason(reason));
        case NewFile::NotThisWay:
            break;
        }
    }
    // A file that exists is replaced by a named temporary renamed over it, which keeps its mode.
    QByteArray temp = QFile::encodeName(targetInfo.absolutePath() + QStringLiteral("/.") + targetInfo.fileName())
                      + QByteArrayLiteral(".XXXXXX");
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return makeError(what, where, systemReason(errno));
    auto fail = [&](int savedErrno) {
        ::unlink(temp.constData());
        return makeError(what, where, systemReason(savedErrno));
    };
    mode_t mode;
    if (exists) {
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
    if (const int e = writeAll(fd, bytes); e != 0) {
        ::close(fd);
        return fail(e);
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
