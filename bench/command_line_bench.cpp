// Unattended rip speed: the command line's rip of a 1000-subtitle disc to Scenarist bitmaps and script, against a plain sequential read of its VOB.
//
// Usage: command_line_bench [IFO]. Without an IFO a title set with 1000 subtitles is made once with the
// make-dvd-fixture tool that GLYFEX_FIXTURE_TOOL names, into bench-data/. The rip runs the real program
// as a process, the way a script runs it, each time into a new folder inside $GLYFEX_BENCH_OUT (default: the
// system's temporary folder); the folders are removed only after the last run, since on a file system that
// avoids reusing the inodes of files deleted a moment ago (ext4 without a journal) every file made right after
// deleting a thousand others costs a scan past them, which would time the cleanup instead of the rip.
// The last line printed is "command_line ratio=<rip time / read time>" (best of five each).
#include "bench/fixture_tool.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

constexpr int kRuns = 5;

QString makeIfo()
{
    const QString dir = QStringLiteral(GLYFEX_SOURCE_DIR "/bench-data");
    const QString ifo = dir + QStringLiteral("/pass/dvd/VIDEO_TS/VTS_01_0.IFO");
    if (QFile::exists(ifo))
        return ifo;
    if (!glyfex::bench::ensureFixture("command_line_bench", dir, QStringLiteral("pass"),
                                      {QStringLiteral("--lines"), QStringLiteral("1000")}))
        return {};
    return QFile::exists(ifo) ? ifo : QString();
}

// Seconds to read every VOB of the title set from start to end in 1 MB blocks.
double readSeconds(const QStringList &vobs)
{
    std::vector<char> buffer(size_t(1) << 20);
    QElapsedTimer clock;
    clock.start();
    for (const QString &path : vobs) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return -1;
        while (f.read(buffer.data(), qint64(buffer.size())) > 0) {
        }
    }
    return double(clock.nsecsElapsed()) / 1e9;
}

// Seconds for the program to rip stream 0 to Scenarist bitmaps and script into the folder, made new; -1 on failure.
double ripSeconds(const QString &ifo, const QString &folder, int &bitmaps)
{
    if (!QDir().mkpath(folder))
        return -1;
    const QDir out(folder);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), out.filePath(QStringLiteral("config")));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    p.start(QStringLiteral(GLYFEX_EXECUTABLE), {out.filePath(QStringLiteral("absent.ini")), ifo,
                                                out.filePath(QStringLiteral("film")), QStringLiteral("0"),
                                                QStringLiteral("3"), QStringLiteral("0")});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    bitmaps = int(out.entryList({QStringLiteral("*.bmp")}, QDir::Files).size());
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    QString ifo = glyfex::bench::takeFileArgument(argc, argv);
    if (ifo.isEmpty())
        ifo = makeIfo();
    if (ifo.isEmpty() || !QFile::exists(ifo)) {
        std::fprintf(stderr, "command_line_bench: no title set to rip\n");
        return 1;
    }
    const QFileInfo info(ifo);
    const QString stem = info.fileName().left(info.fileName().size() - 5); // "VTS_01_"
    QStringList vobs;
    for (const QString &name : info.dir().entryList({stem + QStringLiteral("*.VOB"), stem + QStringLiteral("*.vob")},
                                                    QDir::Files, QDir::Name)) {
        if (!name.endsWith(QStringLiteral("0.VOB"), Qt::CaseInsensitive))
            vobs << info.dir().filePath(name);
    }
    (void)readSeconds(vobs); // warm the page cache so that neither side pays for the disk

    const QString outParent = qEnvironmentVariable("GLYFEX_BENCH_OUT", QDir::tempPath());
    QTemporaryDir outs(outParent + QStringLiteral("/command_line_bench-XXXXXX"));
    if (!outs.isValid()) {
        std::fprintf(stderr, "command_line_bench: cannot make a folder in %s\n", qPrintable(outParent));
        return 1;
    }
    double bestRead = std::numeric_limits<double>::max();
    double bestRip = std::numeric_limits<double>::max();
    int bitmaps = 0;
    for (int i = 0; i < kRuns; ++i) {
        bestRead = std::min(bestRead, readSeconds(vobs));
        const double rip = ripSeconds(ifo, outs.filePath(QStringLiteral("run%1").arg(i)), bitmaps);
        if (rip < 0) {
            std::fprintf(stderr, "command_line_bench: the rip failed\n");
            return 1;
        }
        bestRip = std::min(bestRip, rip);
    }
    std::printf("%lld VOB bytes, %d bitmaps; best of %d: read %.4f s, rip %.4f s\n",
                (long long)[&] {
                    qint64 n = 0;
                    for (const QString &v : vobs)
                        n += QFileInfo(v).size();
                    return n;
                }(),
                bitmaps, kRuns, bestRead, bestRip);
    std::printf("the rips wrote into %s\n", qPrintable(QDir::toNativeSeparators(outParent)));
    std::printf("command_line ratio=%.3f\n", bestRip / bestRead);
    return 0;
}
