// Names that are no plain files for the readers' tests, and the watchdog that keeps a hanging reader from hanging the tests.
#include "support/special_files.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace glyfex::test {

QString makeSpecialFile(SpecialFile kind, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    int made = 0;
    switch (kind) {
    case SpecialFile::ZeroDevice: made = ::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 5)); break;
    case SpecialFile::FullDevice: made = ::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 7)); break;
    case SpecialFile::LonelyPipe: made = ::mkfifo(name.constData(), 0600); break;
    case SpecialFile::LinkToZero: made = ::symlink("/dev/zero", name.constData()); break;
    }
    if (made != 0)
        return QStringLiteral("cannot make %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    return QString();
}

QString specialFileKindText(SpecialFile kind)
{
    return kind == SpecialFile::LonelyPipe ? QStringLiteral("a named pipe") : QStringLiteral("a character device");
}

bool endsWithin(int seconds, const QString &path, const std::function<void()> &work)
{
    std::mutex mutex;
    std::condition_variable changed;
    bool ended = false;
    bool steppedIn = false;
    const QByteArray name = QFile::encodeName(path);
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (changed.wait_for(lock, std::chrono::seconds(seconds), [&] { return ended; }))
            return;
        steppedIn = true;
        // A reader waiting for a writer gets one that writes nothing: it reads the end and returns.
        const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
        if (changed.wait_for(lock, std::chrono::seconds(seconds), [&] { return ended; }))
            return;
        std::fprintf(stderr, "a reader of %s never returned: the tests stop here\n", name.constData());
        std::fflush(stderr);
        std::_Exit(3);
    });
    work();
    {
        std::lock_guard lock(mutex);
        ended = true;
    }
    changed.notify_all();
    watchdog.join();
    return !steppedIn;
}

} // namespace glyfex::test
