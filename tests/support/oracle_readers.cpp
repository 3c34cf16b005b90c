// Reading our subtitle files back with outside readers: FFmpeg's subtitle demuxers and aeidon.
#include "support/oracle_readers.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avformat.h>
}

namespace glyfex::test {

std::vector<DemuxedEvent> demuxSubtitles(const QString &path, const char *demuxer, AVRational *timeBase)
{
    std::vector<DemuxedEvent> events;
    const AVInputFormat *format = av_find_input_format(demuxer);
    EXPECT_NE(format, nullptr) << demuxer;
    AVFormatContext *ctx = nullptr;
    if (avformat_open_input(&ctx, path.toLocal8Bit().constData(), format, nullptr) < 0) {
        ADD_FAILURE() << demuxer << " cannot open " << path.toStdString();
        return events;
    }
    EXPECT_GE(avformat_find_stream_info(ctx, nullptr), 0);
    EXPECT_EQ(ctx->nb_streams, 1u);
    *timeBase = ctx->streams[0]->time_base;
    AVPacket *packet = av_packet_alloc();
    while (av_read_frame(ctx, packet) >= 0) {
        int size = packet->size;
        while (size > 0 && packet->data[size - 1] == 0) // some demuxers keep the terminating zero
            --size;
        events.push_back({packet->pts, packet->duration,
                          QString::fromUtf8(reinterpret_cast<const char *>(packet->data), size).trimmed()});
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&ctx);
    return events;
}

namespace {

// The Python interpreter that has aeidon (the Debian package installs it for the system Python).
QString aeidonPython()
{
    for (const QString &candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess p;
        p.start(candidate, {QStringLiteral("-c"), QStringLiteral("import aeidon")});
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return candidate;
    }
    return {};
}

} // namespace

std::vector<AeidonSub> readWithAeidon(const QString &path, const char *format)
{
    static const QString python = aeidonPython();
    if (python.isEmpty()) {
        ADD_FAILURE() << "no python3 with aeidon (python3-aeidon)";
        return {};
    }
    const QString script = QStringLiteral(
        "import sys, aeidon\n"
        "p = aeidon.Project()\n"
        "p.open_main(sys.argv[1], 'utf_8')\n"
        "assert p.main_file.format == getattr(aeidon.formats, sys.argv[2]), p.main_file.format\n"
        "for s in p.subtitles:\n"
        "    print('%r\\t%r\\t%d\\t%s' % (s.start_seconds, s.end_seconds, s.start_frame, s.main_text.replace('\\n', '|')))\n");
    QProcess p;
    p.start(python, {QStringLiteral("-c"), script, path, QString::fromLatin1(format)});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    std::vector<AeidonSub> subs;
    for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() != 4) {
            ADD_FAILURE() << "unexpected aeidon line " << line.toStdString();
            continue;
        }
        subs.push_back({f[0].toDouble(), f[1].toDouble(), f[2].toLongLong(), f[3]});
    }
    return subs;
}

} // namespace glyfex::test
