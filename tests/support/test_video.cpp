// Small test videos made by the ffmpeg tool at test time, and FFmpeg's own decode of them as the oracle.
#include "support/test_video.h"

#include <QProcess>

namespace glyfex::test {

namespace {

struct Run {
    QByteArray out;
    QString error;
};

Run ffmpeg(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-nostdin"), QStringLiteral("-y"),
                                                  QStringLiteral("-loglevel"), QStringLiteral("error")}
                                          + args);
    if (!p.waitForStarted(30000))
        return {{}, QStringLiteral("ffmpeg does not start")};
    QByteArray out;
    while (p.state() != QProcess::NotRunning) {
        p.waitForReadyRead(1000);
        out += p.readAllStandardOutput();
    }
    out += p.readAllStandardOutput();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {{}, QStringLiteral("ffmpeg failed: ") + QString::fromLocal8Bit(p.readAllStandardError())};
    return {out, {}};
}

} // namespace

QString runFfmpeg(const QStringList &args)
{
    return ffmpeg(args).error;
}

QString makeVideo(const QString &path, const QString &source, const QString &filters, int frames,
                  const QStringList &codec)
{
    QStringList args{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), source};
    if (!filters.isEmpty())
        args << QStringLiteral("-vf") << filters;
    args << QStringLiteral("-frames:v") << QString::number(frames) << codec << path;
    return runFfmpeg(args);
}

std::vector<uint8_t> ffmpegBgrFrames(const QString &path)
{
    // Every decoded frame once, none dropped or repeated, converted the way the player converts.
    const Run r = ffmpeg({QStringLiteral("-i"), path, QStringLiteral("-map"), QStringLiteral("0:v:0"),
                          QStringLiteral("-fps_mode"), QStringLiteral("passthrough"), QStringLiteral("-sws_flags"),
                          QStringLiteral("bicubic"), QStringLiteral("-pix_fmt"), QStringLiteral("bgr24"),
                          QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-")});
    if (!r.error.isEmpty())
        return {};
    return std::vector<uint8_t>(r.out.begin(), r.out.end());
}

} // namespace glyfex::test
