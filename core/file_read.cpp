// Reading the files a user or a disc hands the program: plain files only (or links to them), never more than a cap.
#include "core/file_read.h"

#include <QDir>
#include <QFile>

#include <algorithm>
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

// What a name that is not a plain file is, for the user: a size check cannot tell these apart from an
// empty file (their size is 0), and reading them has no end or waits for a writer.
QString kindReason(mode_t mode)
{
    const char *kind = S_ISCHR(mode)    ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                       : S_ISFIFO(mode) ? "a named pipe"
                       : S_ISDIR(mode)  ? "a folder"
                       : S_ISSOCK(mode) ? "a socket"
                                        : "something other than a file";
    return QStringLiteral("it is %1, not a file").arg(QLatin1String(kind));
}

// A descriptor open on a plain file, closed with this object unless released.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Opens path for reading: looked at before it is opened, so that no device is ever opened (opening one may
// act, as a tape's rewinds), and again through the open descriptor, so that a name swapped in between is
// still refused. O_NONBLOCK keeps a named pipe from holding the open until a writer comes; O_NOCTTY keeps a
// terminal from becoming the program's own.
int openPlain(const QString &path, struct stat &st, QString &why)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty()) {
        why = systemReason(ENOENT);
        return -1;
    }
    if (::stat(name.constData(), &st) != 0) {
        why = systemReason(errno);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        why = kindReason(st.st_mode);
        return -1;
    }
    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        why = systemReason(errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = S_ISREG(st.st_mode) ? systemReason(errno) : kindReason(st.st_mode);
        ::close(fd);
        return -1;
    }
    // A plain file's reads never wait anyway; readers by offset get the descriptor as any open file has it.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        why = systemReason(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

Result<QByteArray> readPlainFile(const QString &path, qint64 cap, const QString &what, const TooLargeError &tooLarge)
{
    const QString where = QDir::toNativeSeparators(path);
    const auto tooLargeError = [&](qint64 size) {
        if (tooLarge)
            return tooLarge(size);
        return makeError(what, where,
                         QStringLiteral("%1 bytes is more than the %2 a file of this kind can have").arg(size).arg(cap));
    };
    struct stat st {};
    QString why;
    Descriptor fd(openPlain(path, st, why));
    if (fd.get() < 0)
        return makeError(what, where, why);
    if (st.st_size > cap)
        return tooLargeError(qint64(st.st_size));

    // A file that grows while it is read is still read only one byte past the cap.
    QByteArray bytes;
    bytes.resize(qsizetype(std::min<qint64>(qint64(st.st_size), cap) + 1));
    qint64 got = 0;
    while (got < qint64(bytes.size())) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, size_t(qint64(bytes.size()) - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return makeError(what, where, systemReason(errno));
        if (n == 0)
            break;
        got += n;
        if (got == qint64(bytes.size()) && got <= cap)
            bytes.resize(qsizetype(std::min<qint64>(got * 2, cap + 1)));
    }
    if (got > cap)
        return tooLargeError(got);
    bytes.resize(qsizetype(got));
    return bytes;
}

Result<void> openPlainFile(QFile &file, const QString &what, QIODevice::OpenMode mode)
{
    const QString where = QDir::toNativeSeparators(file.fileName());
    struct stat st {};
    QString why;
    Descriptor checked(openPlain(file.fileName(), st, why));
    if (checked.get() < 0)
        return makeError(what, where, why);
    // Opened again by name, so that the file keeps its name for the messages of those who read it; what
    // Qt opened must be the plain file just looked at.
    if (!file.open(mode))
        return makeError(what, where, file.errorString());
    struct stat opened {};
    if (::fstat(file.handle(), &opened) != 0 || opened.st_dev != st.st_dev || opened.st_ino != st.st_ino) {
        file.close();
        return makeError(what, where, QStringLiteral("it was replaced while it was opened"));
    }
    return {};
}

QString plainFileProblem(const QString &path)
{
    struct stat st {};
    QString why;
    const int fd = openPlain(path, st, why);
    if (fd >= 0)
        ::close(fd);
    return why;
}

} // namespace glyfex::core
