// The command line: its arguments checked before any work, and the real program run unattended on fixture title sets without a display.
#include "app/command_line.h"

#include "core/ini_store.h"
#include "core/paths.h"
#include "core/version.h"
#include "subtitles/output_format.h"
#include "subtitles/subtitle_saver.h"

#include "support/av_spu_demuxer.h"
#include "support/clock_shift.h"
#include "support/hd_vobsub.h"
#include "support/qt_print.h"
#include "support/special_files.h"
#include "support/test_data.h"
#include "support/tiny_tmpfs.h"
#include "support/vob_builder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>

#include <gtest/gtest.h>

#include <csignal>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace glyfex::app {
namespace {

const QString kPalIfo = QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS/VTS_01_0.IFO");
const QString kNtscIfo = QStringLiteral("dvd-ntsc-two-streams/dvd/VIDEO_TS/VTS_01_0.IFO");
// 6 h 37 min 30 s of the 90 kHz clock: 10 s before its count passes 2^31.
constexpr int64_t kLongTitleStart = int64_t(23850) * 90000;

// A title set of the test data, copied once into a scratch folder: a rip writes its subtitle map beside
// the VOBs, which must not land in the repository.
QString ifo(const QString &relative)
{
    static QTemporaryDir copies;
    const QFileInfo source(test::dataPath(relative));
    const QString folder = copies.filePath(QFileInfo(relative).path());
    if (!QFileInfo::exists(folder)) {
        QDir().mkpath(folder);
        for (const QString &name : source.dir().entryList(QDir::Files))
            QFile::copy(source.dir().filePath(name), folder + QLatin1Char('/') + name);
    }
    return folder + QLatin1Char('/') + source.fileName();
}

struct Outcome {
    bool ended = false;
    int status = -1;
    QString stderrText;
    QString stdoutText;
};

// The program as a script runs it: no display, no platform chosen, its own empty settings folders.
class CommandLineRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir().mkpath(out()));
    }

    QString out() const { return home.filePath(QStringLiteral("out")); }
    QString out(const QString &name) const { return out() + QLatin1Char('/') + name; }
    QStringList written() const { return QDir(out()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    // platform: the window platform the caller chooses; none by default.
    QProcessEnvironment environment(const QString &platform = QString()) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *var : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "XDG_SESSION_TYPE"})
            env.remove(QLatin1String(var));
        if (!platform.isEmpty())
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        for (const char *var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
            const QString folder = home.filePath(QStringLiteral("env/") + QLatin1String(var));
            QDir().mkpath(folder);
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            env.insert(QLatin1String(var), folder);
        }
        return env;
    }

    Outcome run(const QStringList &arguments) const
    {
        QProcess p;
        start(p, arguments);
        return finish(p);
    }

    void start(QProcess &p, const QStringList &arguments) const
    {
        p.setProcessEnvironment(environment());
        p.start(program, arguments);
    }

    // Waits (generously) for the program's end; a program still running then is killed and not ended.
    static Outcome finish(QProcess &p)
    {
        Outcome o;
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return o;
        }
        o.ended = p.exitStatus() == QProcess::NormalExit;
        o.status = p.exitCode();
        o.stderrText = QString::fromLocal8Bit(p.readAllStandardError());
        o.stdoutText = QString::fromLocal8Bit(p.readAllStandardOutput());
        return o;
    }

    // --help and --version answer on stdout without a display; anything else keeps to the forms.
    void expectInformationRequestsAnswered() const;

    QTemporaryDir home;
    QString program = QStringLiteral(GLYFEX_EXECUTABLE);
};

// One line on stderr, naming what went wrong.
void expectOneLine(const Outcome &o)
{
    EXPECT_EQ(o.stderrText.count(QLatin1Char('\n')), 1) << o.stderrText.toStdString();
    EXPECT_TRUE(o.stderrText.startsWith(QStringLiteral("glyfex: "))) << o.stderrText.toStdString();
}

void CommandLineRun::expectInformationRequestsAnswered() const
{
    const QString version = QStringLiteral("Glyfex %1\n").arg(QLatin1String(core::kProgramVersion));
    const QStringList usage{QStringLiteral("glyfex /lang"), QStringLiteral("glyfex /SSSINFO IFO OUT"),
                            QStringLiteral("glyfex PROFILE IFO OUT STREAM FORMAT DROPFRAME"),
                            QStringLiteral("glyfex --help"), QStringLiteral("glyfex --version")};
    struct Row {
        const char *name;
        QStringList arguments;
        int status;
        QStringList stdoutHas; // every one a line of its own or the start of one
        bool wholeStdout;      // stdoutHas is all of stdout
    };
    const Row rows[] = {
        {"help", {QStringLiteral("--help")}, 0, usage, false},
        {"version", {QStringLiteral("--version")}, 0, {version}, true},
        {"help after a Qt flag", {QStringLiteral("-reverse"), QStringLiteral("--help")}, 0, usage, false},
        {"version after a Qt style", {QStringLiteral("-style"), QStringLiteral("Fusion"), QStringLiteral("--version")}, 0,
         {version}, true},
        // Only the first argument asks: a rip's profile file may have any other name.
        {"a short option is a rip's profile", {QStringLiteral("-h")}, int(ExitStatus::BadArguments), {}, true},
        {"help as a later argument", {QStringLiteral("/SSSINFO"), QStringLiteral("--help")}, int(ExitStatus::BadArguments),
         {}, true},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        const Outcome o = run(r.arguments);
        ASSERT_TRUE(o.ended) << "the program crashed or hung: " << o.stderrText.toStdString();
        EXPECT_EQ(o.status, r.status) << o.stderrText.toStdString();
        if (r.status != 0) {
            expectOneLine(o);
        } else {
            EXPECT_TRUE(o.stderrText.isEmpty()) << o.stderrText.toStdString();
        }
        if (r.wholeStdout) {
            EXPECT_EQ(o.stdoutText, r.stdoutHas.join(QString()));
        }
        for (const QString &text : r.stdoutHas)
            EXPECT_TRUE(o.stdoutText.startsWith(text) || o.stdoutText.contains(QStringLiteral(" ") + text))
                << text.toStdString() << " is not in:\n" << o.stdoutText.toStdString();
    }

    // Text that cannot be written is no answer: a full disk fails like any other write.
    for (const char *request : {"--help", "--version"}) {
        SCOPED_TRACE(request);
        QProcess p;
        p.setProcessEnvironment(environment());
        p.setStandardOutputFile(QStringLiteral("/dev/full"));
        p.start(program, {QLatin1String(request)});
        const Outcome o = finish(p);
        ASSERT_TRUE(o.ended);
        EXPECT_EQ(o.status, int(ExitStatus::WriteFailed));
        expectOneLine(o);
        EXPECT_TRUE(o.stderrText.contains(QStringLiteral("No space left on device"))) << o.stderrText.toStdString();
    }
}

TEST(CommandLineParse, FormsAndTheirFields)
{
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("film"));
    const ParsedCommandLine lang = parseCommandLine({QStringLiteral("/LANG")});
    EXPECT_EQ(lang.line.form, CommandLine::Form::LanguageTools);
    EXPECT_FALSE(lang.line.unattended());
    EXPECT_EQ(parseCommandLine({}).line.form, CommandLine::Form::Interactive);

    const ParsedCommandLine list = parseCommandLine({QStringLiteral("/sssinfo"), ifo(kPalIfo), output});
    ASSERT_FALSE(list.error);
    EXPECT_EQ(list.line.form, CommandLine::Form::StreamList);
    EXPECT_EQ(list.line.profileFile, QStringLiteral("/SSSINFO"));

    struct Row {
        const char *name;
        const char *format;
        const char *dropFrame;
        int outputFormat;
        bool dropFrameOn;
    };
    const Row rows[] = {
        {"FirstFormat", "0", "0", 19, false},
        {"LastFormat", "5", "1", 24, true},
        {"DropFrameNotANumberIsOn", "3", "yes", 22, true},
    };
    for (const Row &r : rows) {
        const ParsedCommandLine rip = parseCommandLine({dir.filePath(QStringLiteral("absent.ini")), ifo(kPalIfo), output,
                                                        QStringLiteral("31"), QLatin1String(r.format),
                                                        QLatin1String(r.dropFrame)});
        ASSERT_FALSE(rip.error) << r.name << ": " << rip.error->message.toStdString();
        EXPECT_EQ(rip.line.form, CommandLine::Form::Rip) << r.name;
        EXPECT_EQ(rip.line.streamNumber, 31) << r.name;
        EXPECT_EQ(rip.line.outputFormat, r.outputFormat) << r.name;
        EXPECT_EQ(rip.line.dropFrame, r.dropFrameOn) << r.name;
    }
}

// Each bad command line ends the program before any work: its status, one line on stderr, no file.
TEST_F(CommandLineRun, BadArgumentsEndAtOnceAndWriteNothing)
{
    const QString pal = ifo(kPalIfo);
    const QString film = out(QStringLiteral("film"));
    const QString profile = out(QStringLiteral("absent.ini"));
    struct Row {
        const char *name;
        QStringList arguments;
        ExitStatus status;
    };
    const Row rows[] = {
        {"StreamListWithFourArguments", {"/SSSINFO", pal, film, "1"}, ExitStatus::BadArguments},
        {"StreamListWithTwoArguments", {"/sssinfo", pal}, ExitStatus::BadArguments},
        {"RipWithFiveArguments", {profile, pal, film, "0", "3"}, ExitStatus::BadArguments},
        {"StreamNumber32", {profile, pal, film, "32", "3", "0"}, ExitStatus::BadArguments},
        {"StreamNumberNegative", {profile, pal, film, "-1", "3", "0"}, ExitStatus::BadArguments},
        {"StreamNotANumber", {profile, pal, film, "two", "3", "0"}, ExitStatus::BadArguments},
        {"PictureFormat6", {profile, pal, film, "0", "6", "0"}, ExitStatus::BadArguments},
        {"PictureFormatNotANumber", {profile, pal, film, "0", "x", "0"}, ExitStatus::BadArguments},
        {"OutputWithoutFolder", {profile, pal, "film", "0", "3", "0"}, ExitStatus::BadArguments},
        {"OutputFolderMissing", {profile, pal, out("none/film"), "0", "3", "0"}, ExitStatus::BadArguments},
        {"StreamListOutputFolderMissing", {"/SSSINFO", pal, out("none/list.txt")}, ExitStatus::BadArguments},
        {"IfoMissing", {profile, out("VTS_09_0.IFO"), film, "0", "3", "0"}, ExitStatus::InputMissing},
        {"StreamListIfoMissing", {"/SSSINFO", out("VTS_09_0.IFO"), out("list.txt")}, ExitStatus::InputMissing},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        const Outcome o = run(r.arguments);
        ASSERT_TRUE(o.ended) << "still running or crashed";
        EXPECT_EQ(o.status, int(r.status));
        expectOneLine(o);
        EXPECT_TRUE(written().isEmpty()) << written().join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(CommandLineRun, HelpAndVersionNeedNoDisplay)
{
    expectInformationRequestsAnswered();
}

// The stream list names each subtitle stream libdvdread finds in the title set, by number, one a line.
TEST_F(CommandLineRun, WithoutADisplayTheWindowsAreRefusedInOneLineAndJobsStillRun)
{
    struct Row {
        const char *name;
        QStringList arguments;
        int status;
    };
    const QString list = out(QStringLiteral("streams.txt"));
    const Row rows[] = {
        {"no arguments", {}, int(ExitStatus::NoDisplay)},
        {"language tools", {QStringLiteral("/lang")}, int(ExitStatus::NoDisplay)},
        {"a Qt style", {QStringLiteral("-style"), QStringLiteral("Fusion")}, int(ExitStatus::NoDisplay)},
        {"a Qt style in one word", {QStringLiteral("-style=Fusion")}, int(ExitStatus::NoDisplay)},
        {"right to left", {QStringLiteral("-reverse")}, int(ExitStatus::NoDisplay)},
        // Qt takes its options out before the job is read: the job needs no display.
        {"a job after a Qt style",
         {QStringLiteral("-style"), QStringLiteral("Fusion"), QStringLiteral("/SSSINFO"), ifo(kPalIfo), list},
         int(ExitStatus::Done)},
        {"a job after right to left", {QStringLiteral("-reverse"), QStringLiteral("/SSSINFO"), ifo(kPalIfo), list},
         int(ExitStatus::Done)},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        QFile::remove(list);
        const Outcome o = run(r.arguments);
        ASSERT_TRUE(o.ended) << "the program crashed or hung: " << o.stderrText.toStdString();
        EXPECT_EQ(o.status, r.status) << o.stderrText.toStdString();
        if (r.status == int(ExitStatus::Done)) {
            EXPECT_TRUE(o.stderrText.isEmpty()) << o.stderrText.toStdString();
            EXPECT_TRUE(QFileInfo::exists(list));
        } else {
            expectOneLine(o);
            EXPECT_TRUE(o.stderrText.contains(QStringLiteral("display"))) << o.stderrText.toStdString();
        }
    }
}

TEST_F(CommandLineRun, AQtOptionFirstStartsTheProgramWithItsWindows)
{
    for (const QStringList &arguments : {QStringList{QStringLiteral("-style"), QStringLiteral("Fusion")},
                                         QStringList{QStringLiteral("-reverse")},
                                         QStringList{QStringLiteral("-geometry"), QStringLiteral("100x100"),
                                                     QStringLiteral("-name"), QStringLiteral("x")}}) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const QString configDir = home.filePath(QStringLiteral("env/XDG_CONFIG_HOME"));
        QDir(configDir).removeRecursively();
        QProcess p;
        p.setProcessEnvironment(environment(QStringLiteral("offscreen")));
        p.start(QStringLiteral(GLYFEX_EXECUTABLE), arguments);
        ASSERT_TRUE(p.waitForStarted());
        // A job would end on its own; the program with its windows waits for its user.
        EXPECT_FALSE(p.waitForFinished(3000)) << p.readAllStandardError().toStdString();
        p.terminate(); // the session ends: the main window closes as the user closes it
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
        QDirIterator files(configDir, {QStringLiteral("Glyfex.ini")}, QDir::Files, QDirIterator::Subdirectories);
        EXPECT_TRUE(files.hasNext()) << "closing the main window saves the settings";
    }
}

// A first run in a German session takes German only when its language file is there; without it the
// marker is saved, and the file installed later is picked at the next start.
TEST_F(CommandLineRun, TheFirstRunWaitsForTheLocalesLanguageFile)
{
    const QString configDir = home.filePath(QStringLiteral("env/XDG_CONFIG_HOME"));
    const QString langDir = home.filePath(QStringLiteral("env/XDG_DATA_HOME/Glyfex/Glyfex/Lang"));
    const auto startAndClose = [&]() -> QString {
        QProcessEnvironment env = environment(QStringLiteral("offscreen"));
        for (const char *var : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
            env.remove(QLatin1String(var));
        env.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, {});
        EXPECT_TRUE(p.waitForStarted());
        EXPECT_FALSE(p.waitForFinished(3000)) << p.readAllStandardError().toStdString();
        p.terminate(); // closed as the user closes it: the settings are saved
        EXPECT_TRUE(p.waitForFinished(60000));
        QDirIterator found(configDir, {QStringLiteral("Glyfex.ini")}, QDir::Files, QDirIterator::Subdirectories);
        if (!found.hasNext())
            return QStringLiteral("(no Glyfex.ini)");
        const auto store = core::IniStore::open(found.next());
        return store ? store->readString(QStringLiteral("CONFIG"), QStringLiteral("LanguageFileName"))
                     : store.error().message();
    };
    EXPECT_EQ(startAndClose(), QStringLiteral("1stRun")) << "no German file";
    EXPECT_EQ(startAndClose(), QStringLiteral("1stRun")) << "still none at the second start";

    ASSERT_TRUE(QDir().mkpath(langDir));
    auto german = core::IniStore::open(langDir + QStringLiteral("/Deutsch.lng"));
    ASSERT_TRUE(german.ok());
    german->writeString(QStringLiteral("Form1"), QStringLiteral("Form1.Caption"), QStringLiteral("Glyfex"));
    ASSERT_TRUE(german->updateFile().ok());
    EXPECT_EQ(startAndClose(), QStringLiteral("Deutsch")) << "the file installed since";
}

// An X display number no server on this machine has: neither its socket nor its lock file exists.
QString unansweringXDisplay()
{
    for (int n = 97; n < 1000; ++n) {
        if (!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))
            && !QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            return QStringLiteral(":%1").arg(n);
    }
    return QStringLiteral(":999");
}

// Every way the display can be missing or gone ends the program with its windows in its own line and
// status 6, never in Qt's abort.
TEST_F(CommandLineRun, AnUnreachableDisplayIsSaidInOneLine)
{
    const QString x = unansweringXDisplay();
    const QString runtime = home.filePath(QStringLiteral("env/XDG_RUNTIME_DIR"));
    struct Row {
        const char *name;
        std::vector<std::pair<const char *, QString>> variables; // set in the environment() of the run
        QStringList front;                                       // Qt's options before the form
    };
    const Row rows[] = {
        {"DisplayUnset", {}, {}},
        {"DisplayEmpty", {{"DISPLAY", QString()}}, {}},
        {"XDisplayNotAnswering", {{"DISPLAY", x}}, {}},
        {"XPlatformChosenAndDisplayNotAnswering", {{"DISPLAY", x}, {"QT_QPA_PLATFORM", QStringLiteral("xcb")}}, {}},
        {"XDisplayInFrontNotAnswering", {}, {QStringLiteral("-display"), x}},
        {"XPlatformInFront", {{"DISPLAY", x}}, {QStringLiteral("-platform"), QStringLiteral("xcb")}},
        {"WaylandSocketMissing", {{"WAYLAND_DISPLAY", QStringLiteral("wayland-9")}}, {}},
        {"WaylandSocketMissingAndXNotAnswering", {{"WAYLAND_DISPLAY", QStringLiteral("wayland-9")}, {"DISPLAY", x}}, {}},
        {"WaylandAbsoluteSocketMissing", {{"WAYLAND_DISPLAY", runtime + QStringLiteral("/gone-0")}}, {}},
        {"WaylandPlatformChosenAndSocketMissing",
         {{"WAYLAND_DISPLAY", QStringLiteral("wayland-9")}, {"QT_QPA_PLATFORM", QStringLiteral("wayland")}}, {}},
        {"WaylandSessionWithoutADisplayName", {{"XDG_SESSION_TYPE", QStringLiteral("wayland")}}, {}},
    };
    const QStringList forms[] = {{}, {QStringLiteral("/lang")}};
    for (const Row &r : rows) {
        for (const QStringList &form : forms) {
            SCOPED_TRACE(std::string(r.name) + (form.isEmpty() ? "" : " /lang"));
            QProcessEnvironment env = environment();
            for (const auto &[name, value] : r.variables)
                env.insert(QLatin1String(name), value);
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(program, r.front + form);
            const Outcome o = finish(p);
            ASSERT_TRUE(o.ended) << "the program crashed or hung: " << o.stderrText.toStdString();
            EXPECT_EQ(o.status, int(ExitStatus::NoDisplay)) << o.stderrText.toStdString();
            expectOneLine(o);
            EXPECT_TRUE(o.stderrText.contains(QStringLiteral("no display to show the windows on")))
                << o.stderrText.toStdString();
        }
    }
}

// Qt's options in front are passed over whichever platform takes them out: the job is what follows.
TEST_F(CommandLineRun, QtOptionsInFrontOfAJobAreNotItsArguments)
{
    const QString list = out(QStringLiteral("streams.txt"));
    const QString x = unansweringXDisplay();
    struct Row {
        const char *name;
        QStringList front;
    };
    const Row rows[] = {
        {"Display", {QStringLiteral("-display"), x}},
        {"DisplayInOneWord", {QStringLiteral("-display=") + x}},
        {"Geometry", {QStringLiteral("-geometry"), QStringLiteral("10x10")}},
        {"Name", {QStringLiteral("-name"), QStringLiteral("x")}},
        {"Title", {QStringLiteral("-title"), QStringLiteral("x")}},
        {"Sync", {QStringLiteral("-sync")}},
        {"NoGrab", {QStringLiteral("-nograb")}},
        {"SeveralAtOnce",
         {QStringLiteral("-geometry"), QStringLiteral("100x100"), QStringLiteral("-sync"), QStringLiteral("--name=x"),
          QStringLiteral("-style"), QStringLiteral("Fusion")}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        QFile::remove(list);
        const Outcome o = run(r.front + QStringList{QStringLiteral("/SSSINFO"), ifo(kPalIfo), list});
        ASSERT_TRUE(o.ended) << "the program crashed or hung: " << o.stderrText.toStdString();
        EXPECT_EQ(o.status, int(ExitStatus::Done)) << o.stderrText.toStdString();
        EXPECT_TRUE(o.stderrText.isEmpty()) << o.stderrText.toStdString();
        EXPECT_TRUE(QFileInfo::exists(list));
    }
    // A bad job after them is still judged by its own arguments.
    const Outcome bad = run({QStringLiteral("-geometry"), QStringLiteral("10x10"), QStringLiteral("/SSSINFO"), ifo(kPalIfo)});
    ASSERT_TRUE(bad.ended);
    EXPECT_EQ(bad.status, int(ExitStatus::BadArguments));
    EXPECT_TRUE(bad.stderrText.contains(QStringLiteral("2 arguments given, 3 expected"))) << bad.stderrText.toStdString();
}

TEST_F(CommandLineRun, StreamListMatchesDvdread)
{
    // The language names the fixture title sets use.
    const std::pair<const char *, const char *> names[] = {{"en", "English"}, {"fr", "Francais"}, {"de", "Deutsch"}};
    for (const QString &relative : {kPalIfo, kNtscIfo}) {
        SCOPED_TRACE(relative.toStdString());
        const QString list = out(QStringLiteral("streams.txt"));
        const Outcome o = run({QStringLiteral("/SsSinfo"), ifo(relative), list});
        ASSERT_TRUE(o.ended);
        ASSERT_EQ(o.status, 0) << o.stderrText.toStdString();
        EXPECT_TRUE(o.stderrText.isEmpty()) << o.stderrText.toStdString();
        QFile file(list);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        ASSERT_TRUE(bytes.endsWith('\n'));
        const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'), Qt::SkipEmptyParts);

        const QString videoTs = QFileInfo(ifo(relative)).absolutePath();
        dvd_reader_t *dvd = DVDOpen(QFileInfo(videoTs).absolutePath().toLocal8Bit().constData());
        ASSERT_NE(dvd, nullptr);
        ifo_handle_t *vts = ifoOpen(dvd, 1);
        ASSERT_NE(vts, nullptr);
        const int streams = vts->vtsi_mat->nr_of_vts_subp_streams;
        ASSERT_EQ(lines.size(), streams) << bytes.toStdString();
        for (int i = 0; i < streams; ++i) {
            const uint16_t code = vts->vtsi_mat->vts_subp_attr[i].lang_code;
            const std::string lang{char(code >> 8), char(code & 0xFF)};
            EXPECT_TRUE(lines.at(i).startsWith(QStringLiteral("%1 - ").arg(i, 2, 10, QLatin1Char('0')))) << lines.at(i).toStdString();
            for (const auto &[iso, name] : names) {
                if (lang == iso) {
                    EXPECT_TRUE(lines.at(i).contains(QLatin1String(name))) << lines.at(i).toStdString() << " for " << lang;
                }
            }
        }
        ifoClose(vts);
        DVDClose(dvd);
        QFile::remove(list);
    }
}

TEST_F(CommandLineRun, AbsentStreamWritesNothing)
{
    const Outcome o = run({out(QStringLiteral("absent.ini")), ifo(kNtscIfo), out(QStringLiteral("film")),
                           QStringLiteral("7"), QStringLiteral("3"), QStringLiteral("0")});
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.status, int(ExitStatus::StreamMissing));
    expectOneLine(o);
    EXPECT_TRUE(written().isEmpty()) << written().join(QLatin1Char(' ')).toStdString();
}

// The start and stop times of a SubRip file, in milliseconds.
std::vector<std::pair<int, int>> srtTimes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression time(
        QStringLiteral("(\\d\\d):(\\d\\d):(\\d\\d),(\\d\\d\\d) --> (\\d\\d):(\\d\\d):(\\d\\d),(\\d\\d\\d)"));
    std::vector<std::pair<int, int>> out;
    for (auto it = time.globalMatch(QString::fromUtf8(file.readAll())); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        auto ms = [&m](int first) {
            return ((m.captured(first).toInt() * 60 + m.captured(first + 1).toInt()) * 60 + m.captured(first + 2).toInt()) * 1000
                 + m.captured(first + 3).toInt();
        };
        out.emplace_back(ms(1), ms(5));
    }
    return out;
}

// The rows of a Sonic Scenarist script at PAL's 25 frames a second: number, start and stop, bitmap.
struct ScenaristRow {
    int64_t startMs = 0;
    int64_t stopMs = 0;
    QString bitmap;
};

std::vector<ScenaristRow> scenaristRows(const QString &script)
{
    static const QRegularExpression row(
        QStringLiteral("^(\\d+)\\t+(\\d\\d):(\\d\\d):(\\d\\d):(\\d\\d)\\t+(\\d\\d):(\\d\\d):(\\d\\d):(\\d\\d)\\t+(\\S+?)\\r?$"),
        QRegularExpression::MultilineOption);
    std::vector<ScenaristRow> rows;
    for (auto it = row.globalMatch(script); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        auto ms = [&m](int first) {
            return ((m.captured(first).toLongLong() * 60 + m.captured(first + 1).toInt()) * 60 + m.captured(first + 2).toInt()) * 1000
                 + m.captured(first + 3).toInt() * 40;
        };
        rows.push_back({ms(2), ms(6), m.captured(10)});
    }
    return rows;
}

// Every picture format writes its script, naming one bitmap per subtitle of the stream; the bitmaps open,
// and the Scenarist times are the source's times plus the muxer's offset, within one frame.
TEST_F(CommandLineRun, EachPictureFormatWritesItsScriptAndOneBitmapPerSubtitle)
{
    const auto truth = srtTimes(test::dataPath(QStringLiteral("dvd-pal-sans/gt.srt")));
    ASSERT_EQ(truth.size(), 10u);
    for (int format = 0; format <= 5; ++format) {
        SCOPED_TRACE(format);
        const QString folder = out(QStringLiteral("format%1").arg(format));
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString base = folder + QStringLiteral("/film");
        const Outcome o = run({out(QStringLiteral("absent.ini")), ifo(kPalIfo), base, QStringLiteral("0"),
                               QString::number(format), QStringLiteral("0")});
        ASSERT_TRUE(o.ended);
        ASSERT_EQ(o.status, 0) << o.stderrText.toStdString();
        EXPECT_TRUE(o.stderrText.isEmpty()) << o.stderrText.toStdString();

        const QString scriptPath = subtitles::commandLineSavePath(base, subtitles::OutputFormat(19 + format));
        QFile scriptFile(scriptPath);
        ASSERT_TRUE(scriptFile.open(QIODevice::ReadOnly)) << scriptPath.toStdString();
        const QString script = QString::fromLatin1(scriptFile.readAll());
        const QStringList bitmaps = QDir(folder).entryList({QStringLiteral("*.bmp")}, QDir::Files);
        EXPECT_EQ(bitmaps.size(), qsizetype(truth.size()));
        for (const QString &name : bitmaps) {
            EXPECT_FALSE(QImage(folder + QLatin1Char('/') + name).isNull()) << name.toStdString();
            EXPECT_TRUE(script.contains(name)) << name.toStdString() << " is not in the script";
        }
        if (format != 3)
            continue;
        std::vector<std::pair<int, int>> times;
        for (const ScenaristRow &r : scenaristRows(script)) {
            times.emplace_back(int(r.startMs), int(r.stopMs));
            EXPECT_TRUE(bitmaps.contains(r.bitmap)) << r.bitmap.toStdString();
        }
        ASSERT_EQ(times.size(), truth.size()) << script.toStdString();
        const int offset = times.front().first - truth.front().first; // where the muxer put the first picture
        for (size_t i = 0; i < times.size(); ++i) {
            EXPECT_NEAR(times[i].first, truth[i].first + offset, 40) << "start of " << i + 1;
            EXPECT_NEAR(times[i].second, truth[i].second + offset, 40) << "stop of " << i + 1;
        }
    }
}

// A title set whose clocks start at 6 h 37 min 30 s, as the later part of a long title has them: its clocks
// pass 2^31 ticks during the title. Every start and stop of the script is FFmpeg's within one frame.
TEST_F(CommandLineRun, LongTitleTimesAreFfmpegsPast2To31Ticks)
{
    const QString folder = out(QStringLiteral("long/VIDEO_TS"));
    ASSERT_EQ(test::copyTitleSetShifted(test::dataPath(QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS")), folder,
                                        kLongTitleStart),
              QString());
    const auto truth = test::unitTimesByFfmpeg(folder + QStringLiteral("/VTS_01_1.VOB"));
    ASSERT_TRUE(truth) << truth.error().message().toStdString();
    ASSERT_EQ(truth->size(), 10u);
    EXPECT_LT(truth->front().startMs, (int64_t(1) << 31) / 90) << "the title is to pass 2^31 ticks";
    EXPECT_GT(truth->back().startMs, (int64_t(1) << 31) / 90) << "the title is to pass 2^31 ticks";

    const QString base = out(QStringLiteral("long/film"));
    const Outcome o = run({out(QStringLiteral("absent.ini")), folder + QStringLiteral("/VTS_01_0.IFO"), base,
                           QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("0")});
    ASSERT_TRUE(o.ended);
    ASSERT_EQ(o.status, 0) << o.stderrText.toStdString();
    QFile script(base + QStringLiteral(".sst"));
    ASSERT_TRUE(script.open(QIODevice::ReadOnly));
    const std::vector<ScenaristRow> rows = scenaristRows(QString::fromLatin1(script.readAll()));
    ASSERT_EQ(rows.size(), truth->size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_NEAR(rows[i].startMs, (*truth)[i].startMs, 40) << "start of " << i + 1;
        EXPECT_NEAR(rows[i].stopMs, (*truth)[i].stopMs, 40) << "stop of " << i + 1;
    }
}

// The program as `cmake --install` lays it out, in a scratch prefix away from the build tree.
class InstalledProgramRun : public CommandLineRun {
protected:
    void SetUp() override
    {
        CommandLineRun::SetUp();
        QProcess install;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DESTDIR"));
        install.setProcessEnvironment(env);
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(GLYFEX_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(GLYFEX_BUILD_DIR), QStringLiteral("--prefix"), prefix()});
        ASSERT_TRUE(install.waitForFinished(300000)) << "cmake --install hung";
        ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();
        program = prefix(QStringLiteral("bin/glyfex"));
    }

    QString prefix(const QString &relative = QString()) const
    {
        const QString root = home.filePath(QStringLiteral("prefix"));
        return relative.isEmpty() ? root : root + QLatin1Char('/') + relative;
    }
};

// The installed program finds its data from its own folder, runs a job unattended and answers --help and
// --version as the one in the build tree does; its desktop entry is valid and names the program and icon.
TEST_F(InstalledProgramRun, RunsFromItsPrefixAndHasAValidDesktopEntry)
{
    const QString bin = prefix(QStringLiteral("bin"));
    const core::Paths paths({bin, home.filePath(QStringLiteral("config")), home.filePath(QStringLiteral("data")),
                             core::Paths::shippedDataDirs(bin)});
    for (const char *file : {"CharMap.ini", "Credits.txt", "Dict/punct.dic", "ChMatrix/dvd-pal-sans.gxc"})
        EXPECT_EQ(paths.findDataFile(QLatin1String(file)), prefix(QStringLiteral("share/glyfex/") + QLatin1String(file)));

    {
        SCOPED_TRACE("stream list");
        const QString installed = out(QStringLiteral("installed.txt"));
        const Outcome o = run({QStringLiteral("/SSSINFO"), ifo(kPalIfo), installed});
        ASSERT_TRUE(o.ended);
        ASSERT_EQ(o.status, 0) << o.stderrText.toStdString();
        EXPECT_TRUE(o.stderrText.isEmpty()) << o.stderrText.toStdString();
        const QString built = out(QStringLiteral("built.txt"));
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(QStringLiteral(GLYFEX_EXECUTABLE), {QStringLiteral("/SSSINFO"), ifo(kPalIfo), built});
        ASSERT_EQ(finish(p).status, 0);
        const std::vector<uint8_t> list = test::readBytes(installed);
        EXPECT_FALSE(list.empty());
        EXPECT_EQ(list, test::readBytes(built));
    }
    {
        SCOPED_TRACE("--help and --version");
        expectInformationRequestsAnswered();
    }

    const QString entry = prefix(QStringLiteral("share/applications/glyfex.desktop"));
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    ASSERT_FALSE(validator.isEmpty()) << "desktop-file-validate is missing: scripts/setup.sh installs desktop-file-utils";
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start(validator, {entry});
    ASSERT_TRUE(validate.waitForFinished(60000));
    EXPECT_EQ(validate.exitCode(), 0);
    EXPECT_TRUE(validate.readAll().isEmpty()) << "no warning either";

    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QMap<QString, QString> keys;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0 && !line.startsWith('#'))
            keys.insert(QString::fromUtf8(line.left(equals)), QString::fromUtf8(line.mid(equals + 1)));
    }
    // The program opens its inputs from its own dialogs: the entry passes no file to it.
    EXPECT_EQ(keys.value(QStringLiteral("Exec")), QStringLiteral("glyfex"));
    EXPECT_TRUE(QFileInfo(bin + QLatin1Char('/') + keys.value(QStringLiteral("Exec"))).isExecutable());
    EXPECT_TRUE(QFileInfo::exists(
        prefix(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(keys.value(QStringLiteral("Icon"))))))
        << "Icon=" << keys.value(QStringLiteral("Icon")).toStdString();
}

// A title set of the fixture's IFO and one VOB of many real subpicture units, two seconds apart: a rip of it
// takes long enough to be stopped in the middle.
void writeManyUnitTitleSet(const QString &folder, int count)
{
    QDir().mkpath(folder);
    const QString source = test::dataPath(QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS"));
    ASSERT_TRUE(QFile::copy(source + QStringLiteral("/VTS_01_0.IFO"), folder + QStringLiteral("/VTS_01_0.IFO")));
    auto units = test::demuxSpuUnits(source + QStringLiteral("/VTS_01_1.VOB"));
    ASSERT_TRUE(units) << units.error().message().toStdString();
    ASSERT_FALSE(units->empty());
    QByteArray vob = test::navSector(0, 0, 0, 0, 0x40);
    for (int i = 0; i < count; ++i) {
        const std::vector<uint8_t> &bytes = (*units)[size_t(i) % units->size()].bytes;
        const uint64_t clock = 90000 + uint64_t(i) * 180000;
        for (const QByteArray &sector : test::unitSectors(clock, 0x20, clock + 9000,
                                                          QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()))))
            vob += sector;
    }
    test::writeBytes(folder + QStringLiteral("/VTS_01_1.VOB"), vob);
}

// SIGTERM or SIGINT in the middle of a rip ends it at once with its own status and one stderr line; the
// pictures written so far are whole, and neither a script nor a temporary file is left.
TEST_F(CommandLineRun, SignalStopsTheRipWithItsStatusAndLeavesNoScript)
{
    constexpr int kUnits = 3000;
    const QString folder = out(QStringLiteral("many/VIDEO_TS"));
    writeManyUnitTitleSet(folder, kUnits);
    const std::pair<int, const char *> rows[] = {{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}};
    for (const auto &[signal, name] : rows) {
        SCOPED_TRACE(name);
        const QString target = out(QLatin1String(name));
        ASSERT_TRUE(QDir().mkpath(target));
        QProcess p;
        start(p, {out(QStringLiteral("absent.ini")), folder + QStringLiteral("/VTS_01_0.IFO"), target + QStringLiteral("/film"),
                  QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("0")});
        ASSERT_TRUE(p.waitForStarted());
        // Once the first picture exists the job is under way.
        for (int wait = 0; wait < 12000 && QDir(target).entryList({QStringLiteral("*.bmp")}, QDir::Files).isEmpty()
                           && p.state() == QProcess::Running;
             ++wait)
            p.waitForFinished(10);
        ASSERT_EQ(p.state(), QProcess::Running) << "the rip ended before the signal";
        ASSERT_EQ(::kill(pid_t(p.processId()), signal), 0);
        const Outcome o = finish(p);
        ASSERT_TRUE(o.ended) << "still running or killed";
        EXPECT_EQ(o.status, int(ExitStatus::Interrupted));
        expectOneLine(o);
        EXPECT_TRUE(o.stderrText.contains(QLatin1String(name))) << o.stderrText.toStdString();
        const QStringList left = QDir(target).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        const QStringList bitmaps = QDir(target).entryList({QStringLiteral("*.bmp")}, QDir::Files);
        EXPECT_EQ(left, bitmaps) << "no script and no temporary: " << left.join(QLatin1Char(' ')).toStdString();
        EXPECT_LT(bitmaps.size(), kUnits) << "the rip was to stop in the middle";
        for (const QString &bitmap : bitmaps)
            EXPECT_FALSE(QImage(target + QLatin1Char('/') + bitmap).isNull()) << bitmap.toStdString();
    }
}

// On an NTSC title set the script counts 30 frames a second, and the drop-frame argument says which tape
// numbering it uses.
TEST_F(CommandLineRun, DropFrameOnNtsc)
{
    const std::pair<const char *, const char *> rows[] = {{"0", "Tape_Type\tNON_DROP"}, {"1", "Tape_Type\tDROP"}};
    for (const auto &[flag, tape] : rows) {
        SCOPED_TRACE(flag);
        const QString base = out(QStringLiteral("drop%1").arg(QLatin1String(flag)));
        const Outcome o = run({out(QStringLiteral("absent.ini")), ifo(kNtscIfo), base, QStringLiteral("1"),
                               QStringLiteral("3"), QLatin1String(flag)});
        ASSERT_TRUE(o.ended);
        ASSERT_EQ(o.status, 0) << o.stderrText.toStdString();
        QFile file(base + QStringLiteral(".sst"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
        EXPECT_TRUE(lines.contains(QStringLiteral("TV_Type\t\tNTSC"))) << lines.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(lines.contains(QLatin1String(tape))) << lines.join(QLatin1Char('|')).toStdString();
    }
}

// The ink of a picture: the box of the pixels unlike its top left one (the background).
QRect inkBox(const QImage &image)
{
    const QRgb background = image.pixel(0, 0);
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

// An HD VobSub of a 25 fps film, ripped for a DVD authoring tool: its frame tells no rate, so the script is
// PAL, and each picture is brought onto the 720 x 576 frame with the whole HD frame, every line whole, also
// those wider than the DVD frame.
TEST_F(CommandLineRun, AnHdVobSubGoesOntoThePalDvdFrameWithEveryLineWhole)
{
    std::vector<test::HdSubtitle> subtitles = test::sampleHdSubtitles(3);
    subtitles[0].lines = {QStringLiteral("The flight's delayed by two hours, they say.")};
    const test::HdTextStyle style;
    const QString source = home.filePath(QStringLiteral("hd"));
    ASSERT_TRUE(QDir().mkpath(source));
    ASSERT_EQ(test::writeHdVobSub(source, QStringLiteral("film"), subtitles, style), QString());
    const QString base = out(QStringLiteral("film"));
    const Outcome o = run({out(QStringLiteral("none.profile")), source + QStringLiteral("/film.idx"), base,
                           QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("0")});
    ASSERT_TRUE(o.ended);
    ASSERT_EQ(o.status, 0) << o.stderrText.toStdString();
    EXPECT_TRUE(o.stderrText.isEmpty()) << "no picture is cut: " << o.stderrText.toStdString();

    QFile file(base + QStringLiteral(".sst"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
    const std::string text = lines.join(QLatin1Char('|')).toStdString();
    for (const char *line : {"TV_Type\t\tPAL", "Pixel_Area\t(0 574)", "Display_Area\t(0 2 719 574)"})
        EXPECT_TRUE(lines.contains(QLatin1String(line))) << line << " is not in " << text;
    EXPECT_EQ(lines.filter(QStringLiteral(".bmp")).size(), qsizetype(subtitles.size())) << text;

    const double sx = 720.0 / style.frameWidth;
    const double sy = 576.0 / style.frameHeight;
    for (size_t i = 0; i < subtitles.size(); ++i) {
        SCOPED_TRACE(i + 1);
        const QImage bitmap(base + QStringLiteral(".%1.bmp").arg(i + 1));
        ASSERT_FALSE(bitmap.isNull());
        EXPECT_EQ(bitmap.size(), QSize(720, 574));
        // The HD picture's ink, scaled as the frame is: a cut line would keep its first 720 columns at full size.
        const test::HdPicture drawn = test::drawHdSubtitle(subtitles[i], style);
        QRect hd;
        for (int y = 0; y < drawn.codes.height; ++y)
            for (int x = 0; x < drawn.codes.width; ++x)
                if (drawn.codes.at(x, y) != 0)
                    hd |= QRect(drawn.x + x, drawn.y + y, 1, 1);
        const QRect ink = inkBox(bitmap);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_NEAR(ink.width(), hd.width() * sx, 2.0) << "HD ink " << hd.width() << " wide";
        EXPECT_NEAR(ink.height(), hd.height() * sy, 2.0) << "HD ink " << hd.height() << " high";
        EXPECT_NEAR(ink.left(), hd.left() * sx, 2.0);
        EXPECT_GT(ink.left(), 0);
        EXPECT_LT(ink.right(), bitmap.width() - 1);
    }
}

// A disk that fills up during the rip ends it with the write-failure status; no script is left behind.
TEST_F(CommandLineRun, FullDiskIsAWriteFailure)
{
    GLYFEX_NEED_MOUNT_RIGHTS();
    test::TinyTmpfs disk(256 * 1024);
    ASSERT_TRUE(disk.isMounted()) << disk.error().toStdString();
    ASSERT_EQ(disk.fillLeaving(disk.path() + QStringLiteral("/filler"), 4096), QString());
    const Outcome o = run({out(QStringLiteral("absent.ini")), ifo(kPalIfo), disk.path() + QStringLiteral("/film"),
                           QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("0")});
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.status, int(ExitStatus::WriteFailed));
    expectOneLine(o);
    EXPECT_TRUE(o.stderrText.contains(QStringLiteral("No space left on device"))) << o.stderrText.toStdString();
    const QStringList scripts = QDir(disk.path()).entryList({QStringLiteral("film*.sst"), QStringLiteral("*.tmp*")}, QDir::Files);
    EXPECT_TRUE(scripts.isEmpty()) << scripts.join(QLatin1Char(' ')).toStdString();
}

// A stream list written into a device that is always full fails like a full disk, and the device stays a
// device: the save never puts a plain file in its place.
TEST_F(CommandLineRun, StreamListIntoAFullDeviceIsAWriteFailure)
{
    const QString full = out(QStringLiteral("full"));
    if (::mknod(QFile::encodeName(full).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "mknod refused: " << std::strerror(errno);
    const Outcome o = run({QStringLiteral("/SSSINFO"), ifo(kPalIfo), full});
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.status, int(ExitStatus::WriteFailed));
    expectOneLine(o);
    EXPECT_TRUE(o.stderrText.contains(QStringLiteral("No space left on device"))) << o.stderrText.toStdString();
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(full).constData(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << "the device was replaced";
    const QStringList names = QDir(out()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    EXPECT_EQ(names, QStringList{QStringLiteral("full")}) << "a temporary was left beside the device";
}

// A profile that is a device, a pipe nobody writes or a link to a device is said in one warning line and
// the rip goes on with the default presets, never waiting on the pipe nor reading the device.
TEST_F(CommandLineRun, AProfileThatIsNoFileIsSaidAndTheRipGoesOn)
{
    const std::pair<const char *, test::SpecialFile> rows[] = {
        {"device like /dev/zero", test::SpecialFile::ZeroDevice},
        {"device like /dev/full", test::SpecialFile::FullDevice},
        {"pipe without a writer", test::SpecialFile::LonelyPipe},
        {"link to /dev/zero", test::SpecialFile::LinkToZero},
    };
    int row = 0;
    for (const auto &[name, kind] : rows) {
        SCOPED_TRACE(name);
        const QString profile = out(QStringLiteral("profile%1.ini").arg(row));
        const QString base = out(QStringLiteral("film%1").arg(row++));
        if (const QString refused = test::makeSpecialFile(kind, profile); !refused.isEmpty()) {
            std::cout << "skipped: " << refused.toStdString() << "\n";
            continue;
        }
        const Outcome o = run({profile, ifo(kPalIfo), base, QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("0")});
        ASSERT_TRUE(o.ended) << "the program hung or crashed";
        EXPECT_EQ(o.status, 0) << o.stderrText.toStdString();
        expectOneLine(o);
        EXPECT_TRUE(o.stderrText.startsWith(QStringLiteral("glyfex: warning: "))) << o.stderrText.toStdString();
        EXPECT_TRUE(o.stderrText.contains(profile)) << o.stderrText.toStdString();
        EXPECT_TRUE(o.stderrText.contains(test::specialFileKindText(kind))) << o.stderrText.toStdString();
        EXPECT_TRUE(QFileInfo::exists(base + QStringLiteral(".sst"))) << "the rip's script";
    }

    // An input IFO that is a pipe is said to be one, not to be missing.
    const QString pipe = out(QStringLiteral("VTS_01_0.IFO"));
    ASSERT_EQ(test::makeSpecialFile(test::SpecialFile::LonelyPipe, pipe), QString());
    const Outcome o = run({QStringLiteral("/SSSINFO"), pipe, out(QStringLiteral("streams.txt"))});
    ASSERT_TRUE(o.ended) << "the program hung or crashed";
    EXPECT_EQ(o.status, int(ExitStatus::InputMissing));
    expectOneLine(o);
    EXPECT_TRUE(o.stderrText.contains(pipe) && o.stderrText.contains(QStringLiteral("a named pipe"))) << o.stderrText.toStdString();
}

} // namespace
} // namespace glyfex::app
