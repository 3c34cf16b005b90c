// A Glyfex.ini that is a device, a pipe nobody writes or a link to a device: the program says so, starts on its defaults and never writes into it.
#include "app/app.h"
#include "core/ini_store.h"
#include "ripping/ui/input_reading.h"

#include "support/app_test.h"
#include "support/program_environment.h"
#include "support/qt_print.h"
#include "support/special_files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <iterator>
#include <ostream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace glyfex::test {
namespace {

struct Kind {
    const char *name;
    SpecialFile kind;
};

const Kind kKinds[] = {
    {"DeviceLikeDevZero", SpecialFile::ZeroDevice},
    {"DeviceLikeDevFull", SpecialFile::FullDevice},
    {"PipeWithoutWriter", SpecialFile::LonelyPipe},
    {"LinkToDevZero", SpecialFile::LinkToZero},
};

void PrintTo(const Kind &k, std::ostream *os)
{
    *os << k.name;
}

std::string kindName(const ::testing::TestParamInfo<Kind> &info)
{
    return info.param.name;
}

struct stat statOf(const QString &path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st;
}

// ---- The program as main() builds it.

class SettingsFileKind : public AppTest, public ::testing::WithParamInterface<Kind> {};

TEST_P(SettingsFileKind, IsSaidOnceTheDefaultsAreUsedAndNothingIsWrittenIntoIt)
{
    const QString ini = app.paths.configFile();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(ini).path()));
    if (const QString refused = makeSpecialFile(GetParam().kind, ini); !refused.isEmpty())
        GTEST_SKIP() << refused.toStdString();
    const struct stat made = statOf(ini);

    ASSERT_TRUE(endsWithin(30, ini, [this] { app.loadSettings(); })) << "the start waited on the settings file";
    ASSERT_EQ(prompt.shown.size(), 1) << prompt.shown.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(prompt.shown[0].startsWith(QStringLiteral("warn: "))) << prompt.shown[0].toStdString();
    EXPECT_TRUE(prompt.shown[0].contains(QDir::toNativeSeparators(ini))) << prompt.shown[0].toStdString();
    EXPECT_TRUE(prompt.shown[0].contains(specialFileKindText(GetParam().kind))) << prompt.shown[0].toStdString();
    EXPECT_EQ(app.config.main.activePage, 11) << "the defaults";

    // A pipe read meanwhile would get whatever the close writes into it.
    const int reader = ::open(QFile::encodeName(ini).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    prompt.shown.clear();
    ASSERT_TRUE(endsWithin(30, ini, [this] { app.saveSettings(); })) << "the close waited on the settings file";
    ASSERT_EQ(prompt.shown.size(), 1) << "the settings were not saved, and the user is told";
    EXPECT_TRUE(prompt.shown[0].startsWith(QStringLiteral("error: "))) << prompt.shown[0].toStdString();
    EXPECT_TRUE(prompt.shown[0].contains(QDir::toNativeSeparators(ini))) << prompt.shown[0].toStdString();
    if (GetParam().kind == SpecialFile::LonelyPipe) {
        ASSERT_GE(reader, 0);
        char byte;
        EXPECT_LE(::read(reader, &byte, 1), 0) << "bytes were written into the pipe";
    }
    if (reader >= 0)
        ::close(reader);
    const struct stat after = statOf(ini);
    EXPECT_EQ(after.st_ino, made.st_ino) << "the settings file's name was replaced";
    EXPECT_EQ(after.st_mode, made.st_mode);
    EXPECT_EQ(QDir(QFileInfo(ini).path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("Glyfex.ini")})
        << "a temporary was left beside it";
}

INSTANTIATE_TEST_SUITE_P(, SettingsFileKind, ::testing::ValuesIn(kKinds), kindName);

// The input dialog's reading step says what a chosen file is instead of "no such file".
TEST(InputFileKind, AChosenInputThatIsNoFileIsRefusedWithWhatItIs)
{
    QTemporaryDir dir;
    const std::pair<const char *, SpecialFile> rows[] = {{"VTS_01_0.IFO", SpecialFile::LonelyPipe},
                                                         {"film.idx", SpecialFile::LinkToZero},
                                                         {"VTS_01_1.VOB", SpecialFile::LonelyPipe}};
    ScriptedPrompt prompt;
    const core::MessageTable messages;
    for (const auto &[name, kind] : rows) {
        SCOPED_TRACE(name);
        const QString path = dir.filePath(QLatin1String(name));
        const QString refused = makeSpecialFile(kind, path);
        ASSERT_TRUE(refused.isEmpty()) << refused.toStdString();
        QString said;
        ASSERT_TRUE(endsWithin(30, path, [&] {
            auto read = ripping::ui::readInputFile(path, prompt, messages, {});
            said = read ? QString() : read.error().message();
        }));
        EXPECT_TRUE(said.contains(QDir::toNativeSeparators(path))) << said.toStdString();
        EXPECT_TRUE(said.contains(specialFileKindText(kind))) << said.toStdString();
    }
    const QString missing = dir.filePath(QStringLiteral("gone.ifo"));
    auto read = ripping::ui::readInputFile(missing, prompt, messages, {});
    ASSERT_FALSE(read.ok());
    EXPECT_TRUE(read.error().message().contains(QStringLiteral("No such file"))) << read.error().message().toStdString();
}

// ---- The real program.

// Whether the program's main thread waits in its event loop (the start warning's or the window's): the
// system call it sits in is one of the poll family. A start reading a device sits in read, one waiting
// for a pipe's writer in open.
bool waitsInItsEventLoop(qint64 pid)
{
    QFile syscall(QStringLiteral("/proc/%1/syscall").arg(pid));
    if (!syscall.open(QIODevice::ReadOnly))
        return false;
    bool ok = false;
    const long number = syscall.readAll().split(' ').value(0).toLong(&ok);
#if defined(__x86_64__)
    const long pollFamily[] = {7 /* poll */, 23 /* select */, 232 /* epoll_wait */, 270 /* pselect6 */, 271 /* ppoll */,
                               281 /* epoll_pwait */};
#elif defined(__aarch64__)
    const long pollFamily[] = {22 /* epoll_pwait */, 72 /* pselect6 */, 73 /* ppoll */};
#else
    const long pollFamily[] = {-1};
#endif
    return ok && std::find(std::begin(pollFamily), std::end(pollFamily), number) != std::end(pollFamily);
}

qint64 residentKilobytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

class ProgramWithSettingsFileKind : public ::testing::TestWithParam<Kind> {};

// The window program started on such a settings file comes up (showing its warning) with its memory
// bounded, and leaves the file as it was.
TEST_P(ProgramWithSettingsFileKind, ComesUpWithoutWaitingOrReadingWithoutEnd)
{
    QTemporaryDir dir;
    // Away from the build tree, so no Glyfex.ini beside it makes it a portable install.
    const QString program = dir.filePath(QStringLiteral("glyfex"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(GLYFEX_EXECUTABLE), program));
    // The configuration folder of a per-user install: the organisation's, then the program's.
    const QString configDir = dir.filePath(QStringLiteral("XDG_CONFIG_HOME/Glyfex/Glyfex"));
    ASSERT_TRUE(QDir().mkpath(configDir));
    const QString ini = configDir + QStringLiteral("/Glyfex.ini");
    if (const QString refused = makeSpecialFile(GetParam().kind, ini); !refused.isEmpty())
        GTEST_SKIP() << refused.toStdString();
    const struct stat made = statOf(ini);

    QProcess p;
    p.setProcessEnvironment(scratchUserEnvironment(dir.path()));
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(program, {QStringLiteral("-platform"), QStringLiteral("offscreen")});
    ASSERT_TRUE(p.waitForStarted(60000)) << p.errorString().toStdString();
    // Generous: this waits for the program to come up, it measures nothing. A program past a gigabyte
    // reads the device without end and is stopped there, before it takes the machine's memory.
    constexpr qint64 kMemoryLimitKb = 1024 * 1024;
    bool up = false;
    qint64 resident = 0;
    for (int i = 0; i < 6000 && p.state() == QProcess::Running && !up && resident < kMemoryLimitKb; ++i) {
        QThread::msleep(10);
        up = waitsInItsEventLoop(p.processId());
        resident = residentKilobytes(p.processId());
    }
    const bool running = p.state() == QProcess::Running;
    p.kill();
    p.waitForFinished(60000);
    EXPECT_TRUE(running) << "the program ended at the start";
    EXPECT_TRUE(up) << "the program never came up: it waits for the pipe or reads the device";
    EXPECT_LT(resident, kMemoryLimitKb) << "kilobytes in memory";
    const struct stat after = statOf(ini);
    EXPECT_EQ(after.st_ino, made.st_ino) << "the settings file's name was replaced";
    EXPECT_EQ(after.st_mode, made.st_mode);
}

INSTANTIATE_TEST_SUITE_P(, ProgramWithSettingsFileKind, ::testing::ValuesIn(kKinds), kindName);

} // namespace
} // namespace glyfex::test
