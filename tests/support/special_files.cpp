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

namespace {

// Resident memory of this process in bytes (0 when it cannot be told).
long long residentBytes()
{
    long long pages = 0, resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%lld %lld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * ::sysconf(_SC_PAGESIZE);
}

[[noreturn]] void stopTheTests(const char *why, const QByteArray &name)
{
    std::fprintf(stderr, "a reader of %s %s: the tests stop here\n", name.constData(), why);
    std::fflush(stderr);
    std::_Exit(3);
}

} // namespace

bool endsWithin(int seconds, const QString &path, const std::function<void()> &work)
{
    // A reader taking this much more memory is reading a device without end; it is stopped long before
    // the machine runs out.
    constexpr long long kGrowthLimit = 1024LL * 1024 * 1024;
    std::mutex mutex;
    std::condition_variable changed;
    bool ended = false;
    bool steppedIn = false;
    const QByteArray name = QFile::encodeName(path);
    const long long residentAtStart = residentBytes();
    // Waits up to the time given, looking at the memory every tenth of a second; true when work ended.
    const auto waitForEnd = [&](std::unique_lock<std::mutex> &lock) {
        for (int tenth = 0; tenth < seconds * 10; ++tenth) {
            if (changed.wait_for(lock, std::chrono::milliseconds(100), [&] { return ended; }))
                return true;
            if (residentBytes() - residentAtStart > kGrowthLimit)
                stopTheTests("reads without end", name);
        }
        return ended;
    };
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (waitForEnd(lock))
            return;
        steppedIn = true;
        // A reader waiting for a writer gets one that writes nothing: it reads the end and returns.
        const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
        if (!waitForEnd(lock))
            stopTheTests("never returned", name);
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
