// A tiny tmpfs mounted for one test, to see what the program does on a full disk, and the rights to mount it.
#include "support/tiny_tmpfs.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <limits.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace glyfex::test {

namespace {

// Set in the environment of a test run again inside a user and mount namespace.
constexpr char kChildMark[] = "GLYFEX_TEST_IN_MOUNT_NAMESPACE";

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Runs a shell command, returning its exit code and everything it printed.
int runCommand(const QByteArray &command, QString &output)
{
    FILE *pipe = ::popen((command + " 2>&1").constData(), "r");
    if (!pipe) {
        output = systemError(errno);
        return -1;
    }
    QByteArray all;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        all.append(buffer, qsizetype(n));
    const int status = ::pclose(pipe);
    output = QString::fromLocal8Bit(all);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

QByteArray shellQuoted(const QByteArray &s)
{
    QByteArray q = s;
    q.replace('\'', "'\\''");
    return '\'' + q + '\'';
}

} // namespace

TinyTmpfs::TinyTmpfs(qint64 size)
{
    QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/glyfex-tmpfs-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        m_error = QStringLiteral("no mount point: ") + systemError(errno);
        return;
    }
    m_path = QString::fromLocal8Bit(pattern);
    const QByteArray options = "size=" + QByteArray::number(size) + ",mode=0777";
    if (::mount("tmpfs", pattern.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) != 0) {
        m_error = QStringLiteral("mount -t tmpfs on %1: %2").arg(m_path, systemError(errno));
        return;
    }
    m_mounted = true;
}

TinyTmpfs::~TinyTmpfs()
{
    if (m_mounted && ::umount2(m_path.toLocal8Bit().constData(), MNT_DETACH) != 0)
        ADD_FAILURE() << "cannot unmount " << m_path.toStdString() << ": " << std::strerror(errno);
    if (!m_path.isEmpty())
        ::rmdir(m_path.toLocal8Bit().constData());
}

qint64 TinyTmpfs::freeBytes() const
{
    struct statvfs s {};
    if (::statvfs(m_path.toLocal8Bit().constData(), &s) != 0)
        return -1;
    return qint64(s.f_bavail) * qint64(s.f_frsize);
}

QString TinyTmpfs::fillLeaving(const QString &fillerPath, qint64 room) const
{
    const int fd = ::open(fillerPath.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return QStringLiteral("cannot create %1: %2").arg(fillerPath, systemError(errno));
    const std::vector<char> zeros(64 * 1024, '\0');
    qint64 written = 0;
    for (;;) {
        const ssize_t n = ::write(fd, zeros.data(), zeros.size());
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != ENOSPC) {
            const QString why = systemError(errno);
            ::close(fd);
            return QStringLiteral("cannot fill %1: %2").arg(fillerPath, why);
        }
        break;
    }
    // Giving back whole pages from the end of the filler leaves exactly that much room.
    const int result = ::ftruncate(fd, std::max<qint64>(0, written - room));
    const int truncateErrno = errno;
    ::close(fd);
    if (result != 0)
        return QStringLiteral("cannot shorten %1: %2").arg(fillerPath, systemError(truncateErrno));
    if (const qint64 free = freeBytes(); free != room)
        return QStringLiteral("%1 bytes free instead of %2").arg(free).arg(room);
    return {};
}

MountRights mountRights()
{
    MountRights rights;
    const bool inChild = qEnvironmentVariableIsSet(kChildMark);
    {
        TinyTmpfs probe(64 * 1024);
        if (probe.isMounted()) {
            rights.kind = MountRights::Here;
            return rights;
        }
        rights.why = probe.error();
    }
    if (inChild)
        return rights; // the namespace did not give the right to mount either
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    if (unshare.isEmpty()) {
        rights.why += QStringLiteral("; unshare (util-linux) is not installed");
        return rights;
    }
    QString output;
    if (runCommand(shellQuoted(unshare.toLocal8Bit()) + " -rm true", output) != 0) {
        rights.why += QStringLiteral("; unshare -rm is refused: ") + output.trimmed();
        return rights;
    }
    char self[PATH_MAX] = {};
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        rights.why += QStringLiteral("; cannot find this test program: ") + systemError(errno);
        return rights;
    }
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QByteArray filter = QByteArray(test->test_suite_name()) + '.' + test->name();
    const QByteArray command = QByteArray(kChildMark) + "=1 " + shellQuoted(unshare.toLocal8Bit()) + " -rm "
                             + shellQuoted(QByteArray(self, length)) + " " + shellQuoted("--gtest_filter=" + filter);
    rights.kind = MountRights::RanInChild;
    rights.exitCode = runCommand(command, rights.output);
    return rights;
}

} // namespace glyfex::test
