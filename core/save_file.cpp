// The one way the program writes a file: through a temporary beside it, checked to the disk, then renamed.
#include "core/save_file.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glyfex::core {

namespace {

// As many links as the system itself follows before it calls a chain a loop.
constexpr int kMaxLinks = 40;

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

// The folder part of a name as given ("." for a bare name, "/" for a name in the root).
QByteArray folderOf(const QByteArray &name)
{
    const qsizetype slash = name.lastIndexOf('/');
    return slash < 0 ? QByteArrayLiteral(".") : slash == 0 ? QByteArrayLiteral("/") : name.left(slash);
}

// Where the bytes of a save go: the name at the end of any chain of links, and what is there.
struct Target {
    QByteArray name;
    struct stat st {};
    bool exists = false;
    int lookError = 0; // why the last name could not be looked at, when it does not exist
};

// Follows path's links, relative (to the folder of the link) and absolute, to the name that is not a
// link, so that a save writes the file the links name and every link stays a link. A dangling link
// leads to the name its target will have. 0, or ELOOP for a chain longer than the system would follow.
int resolve(const QString &path, Target &t)
{
    t.name = QFile::encodeName(path);
    for (int links = 0;; ++links) {
        // One look at the name tells both whether it is there and whether it is a link; a run saves a
        // file per subtitle, so each look counts.
        if (::lstat(t.name.constData(), &t.st) != 0) {
            t.exists = false;
            t.lookError = errno;
            return 0;
        }
        if (!S_ISLNK(t.st.st_mode)) {
            t.exists = true;
            return 0;
        }
        if (links == kMaxLinks)
            return ELOOP;
        std::vector<char> text(size_t(t.st.st_size > 0 ? t.st.st_size : 255) + 1);
        ssize_t length;
        while ((length = ::readlink(t.name.constData(), text.data(), text.size())) == ssize_t(text.size()))
            text.resize(text.size() * 2); // the link changed since it was looked at
        if (length < 0) {
            t.exists = false;
            t.lookError = errno;
            return 0;
        }
        const QByteArray to(text.data(), qsizetype(length));
        t.name = to.startsWith('/') ? to : folderOf(t.name) + '/' + to;
    }
}

// A device or a named pipe is written where it is: replacing it by a file would take the device away
// (a save into /dev/full would leave a plain file there) and a pipe's reader would read nothing. Its
// errors are reported like a file's: a full device gives "No space left on device".
int writeInPlace(const QByteArray &name, QByteArrayView bytes, SaveSync sync)
{
    // Without O_NONBLOCK a pipe nobody reads would hold the program here for good; with it, that open
    // fails at once (ENXIO). Writing then waits for the reader as usual.
    const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int e = errno;
        ::close(fd);
        return e;
    }
    // A reader that goes away mid-write would end the program with SIGPIPE; it is a failed save instead.
    sigset_t pipeOnly, before;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &before);
    int reason = writeAll(fd, bytes);
    if (reason == EPIPE && !sigismember(&before, SIGPIPE)) {
        const timespec now{0, 0};
        while (sigtimedwait(&pipeOnly, nullptr, &now) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    // Devices without a disk behind them (a null or full device, a terminal) cannot be synced, which
    // says nothing about the bytes.
    if (reason == 0 && sync == SaveSync::Synced && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        reason = errno;
    if (::close(fd) != 0 && reason == 0)
        reason = errno;
    return reason;
}

enum class Unnamed { Written, Failed, NotThisWay };

// Writes bytes into an unnamed file in folder, which no one sees and which vanishes with the program
// if it dies before the file gets a name. NotThisWay when the file system cannot make unnamed files:
// then nothing was written. On Written fd is the complete file's descriptor.
Unnamed writeUnnamed(const QByteArray &folder, QByteArrayView bytes, SaveSync sync, mode_t mode, int &fd,
                     int &reason)
{
    fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd < 0)
        return Unnamed::NotThisWay;
    // open() took the umask off a new file's mode; the mode an existing file had is kept whole.
    reason = writeAll(fd, bytes);
    // A file system may take the bytes and refuse the blocks only when they are synced (NFS, quotas).
    if (reason == 0 && sync == SaveSync::Synced && ::fsync(fd) != 0)
        reason = errno;
    if (reason != 0) {
        ::close(fd);
        return Unnamed::Failed;
    }
    return Unnamed::Written;
}

// Gives an unnamed file a name: 0, or the reason (EEXIST when the name is taken).
int linkUnnamed(int fd, const QByteArray &name)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    return ::linkat(AT_FDCWD, link, AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

// A name for a temporary beside the file: hidden, after the file, with six random letters.
QByteArray temporaryName(const QByteArray &target)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const qsizetype slash = target.lastIndexOf('/');
    QByteArray name = target.left(slash + 1) + '.' + target.mid(slash + 1) + '.';
    for (int i = 0; i < 6; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return name;
}

enum class Placed { Done, Failed, NotThisWay };

// The unnamed file fd takes the place of an existing file: it gets a temporary name only now that it
// is complete, and is renamed over the file at once, so a program killed at any moment leaves the old
// file whole and at most this finished temporary for the span of one rename. NotThisWay (the file is
// closed, nothing was named) when the system cannot name unnamed files (no /proc).
Placed replaceWithUnnamed(int fd, const QByteArray &target, int &reason)
{
    QByteArray temp;
    for (int tries = 0;; ++tries) {
        temp = temporaryName(target);
        const int e = linkUnnamed(fd, temp);
        if (e == 0)
            break;
        if (e != EEXIST || tries == 100) {
            ::close(fd);
            return Placed::NotThisWay;
        }
    }
    // A network file system may report a failed write only now.
    if (::close(fd) != 0 || ::rename(temp.constData(), target.constData()) != 0) {
        reason = errno;
        ::unlink(temp.constData());
        return Placed::Failed;
    }
    return Placed::Done;
}

// The way for file systems without unnamed files: a named temporary beside the file, renamed over it.
int replaceWithNamed(const QByteArray &target, QByteArrayView bytes, SaveSync sync, mode_t mode)
{
    QByteArray temp = temporaryName(target);
    temp.chop(6);
    temp += "XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return errno;
    int reason = ::fchmod(fd, mode) != 0 ? errno : writeAll(fd, bytes);
    if (reason == 0 && sync == SaveSync::Synced && ::fsync(fd) != 0)
        reason = errno;
    if (::close(fd) != 0 && reason == 0)
        reason = errno;
    if (reason == 0 && ::rename(temp.constData(), target.constData()) != 0)
        reason = errno;
    if (reason != 0)
        ::unlink(temp.constData());
    return reason;
}

} // namespace

Result<void> saveFile(const QString &path, QByteArrayView bytes, const QString &what, SaveSync sync)
{
    const QString where = QDir::toNativeSeparators(path);
    Target t;
    if (const int e = resolve(path, t); e != 0)
        return makeError(what, where, systemReason(e));
    if (t.exists && S_ISDIR(t.st.st_mode))
        return makeError(what, where, systemReason(EISDIR));
    if (t.exists && S_ISSOCK(t.st.st_mode))
        return makeError(what, where, QStringLiteral("it is a socket, not a file"));
    if (t.exists && !S_ISREG(t.st.st_mode)) {
        if (const int e = writeInPlace(t.name, bytes, sync); e != 0)
            return makeError(what, where, systemReason(e));
        return {};
    }

    const QByteArray folder = folderOf(t.name);
    mode_t mode;
    if (t.exists) {
        mode = t.st.st_mode & 07777;
    } else {
        // What the umask leaves of 0666, the mode of any new file.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    // The bytes go into an unnamed file first, so that nothing half-written ever has a name and a program
    // killed while it writes leaves nothing behind.
    if (t.exists || t.lookError == ENOENT) {
        int fd = -1;
        int reason = 0;
        switch (writeUnnamed(folder, bytes, sync, t.exists ? 0600 : 0666, fd, reason)) {
        case Unnamed::Failed:
            return makeError(what, where, systemReason(reason));
        case Unnamed::NotThisWay:
            break;
        case Unnamed::Written:
            if (t.exists) {
                // The temporary is made 0600 (the umask might take bits the file had); now the file's own mode.
                if (::fchmod(fd, mode) != 0) {
                    reason = errno;
                    ::close(fd);
                    return makeError(what, where, systemReason(reason));
                }
                switch (replaceWithUnnamed(fd, t.name, reason)) {
                case Placed::Done:
                    return {};
                case Placed::Failed:
                    return makeError(what, where, systemReason(reason));
                case Placed::NotThisWay:
                    break;
                }
                break;
            }
            // A new file: the complete file is linked in under its name, one folder entry instead of a
            // temporary's and a rename's, which is most of what saving costs when a run writes a file per
            // subtitle.
            if (const int e = linkUnnamed(fd, t.name); e != 0) {
                ::close(fd);
                break; // no /proc, or the name was taken meanwhile: the named temporary does the job
            }
            if (::close(fd) != 0) {
                // A network file system may report a failed write only now; then the name is taken away again.
                reason = errno;
                ::unlink(t.name.constData());
                return makeError(what, where, systemReason(reason));
            }
            return {};
        }
    }
    if (const int e = replaceWithNamed(t.name, bytes, sync, mode); e != 0)
        return makeError(what, where, systemReason(e));
    return {};
}

} // namespace glyfex::core
