// Short videos in every container the video viewer offers, made by ffmpeg at test time.
#include "support/container_videos.h"

#include "support/test_data.h"
#include "support/test_video.h"

#include <QDir>

#include <cctype>
#include <initializer_list>

namespace glyfex::test {

namespace {

const QString kFont = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");

QStringList args(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *a : list)
        out << QString::fromLatin1(a);
    return out;
}

} // namespace

std::string containerVideoTestName(const ContainerVideo &video)
{
    std::string name = video.name;
    for (char &ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
}

std::vector<ContainerVideo> containerVideos()
{
    const QString text = QStringLiteral("drawtext=fontfile=%1:text='%{n}':fontcolor=white:fontsize=%2:"
                                        "borderw=2:bordercolor=black:x=(w-tw)/2:y=h-th-%3");
    const QString small = text.arg(kFont).arg(30).arg(10);
    const QString pal = QStringLiteral("testsrc2=s=320x240:r=25");
    const QStringList x264 = args({"-c:v", "libx264", "-preset", "veryfast", "-g", "5", "-bf", "2", "-pix_fmt", "yuv420p"});
    const QStringList x264Long = args({"-c:v", "libx264", "-preset", "veryfast", "-g", "12", "-bf", "3", "-pix_fmt", "yuv420p"});
    const QStringList dvd = args({"-target", "pal-dvd", "-s", "352x288", "-bf", "2", "-g", "15", "-an"});
    return {
        {"ffv1_pal.mkv", QStringLiteral("color=c=0x204060:s=720x576:r=25"), text.arg(kFont).arg(40).arg(30), 8,
         args({"-c:v", "ffv1", "-pix_fmt", "bgr0"}), 25000},
        {"x264_pal.mp4", QStringLiteral("testsrc2=s=720x576:r=30000/1001"), text.arg(kFont).arg(40).arg(30), 14,
         x264, 29970},
        {"x264_hd.mkv", QStringLiteral("testsrc2=s=1920x1080:r=30000/1001"), text.arg(kFont).arg(70).arg(60), 12,
         x264, 29970},
        {"mpeg4_bframes.avi", pal, small, 50, args({"-c:v", "mpeg4", "-vtag", "XVID", "-bf", "2", "-g", "12", "-q:v", "4"}),
         25000},
        {"x264.avi", pal, small, 50, x264Long, 25000},
        {"mpeg2_program.mpg", pal, small, 50, dvd, 25000},
        {"mpeg2_dvd.vob", pal, small, 50, dvd + args({"-f", "vob"}), 25000},
        {"x264_bframes.ts", pal, small, 60, x264Long, 25000},
        {"x264_bframes.m2ts", pal, small, 50, x264Long + args({"-f", "mpegts", "-mpegts_m2ts_mode", "1"}), 25000},
        {"x264_bframes.mkv", pal, small, 50, x264Long, 25000},
        {"x264_bframes.mp4", pal, small, 50, x264Long, 25000},
        {"x264_bframes.mov", pal, small, 50, x264Long, 25000},
        {"vp9.webm", pal, small, 50, args({"-c:v", "libvpx-vp9", "-deadline", "realtime", "-cpu-used", "8", "-g", "12"}),
         25000},
        {"rawvideo.avi", pal, small, 12, args({"-c:v", "rawvideo", "-pix_fmt", "bgr24"}), 25000},
        {"huffyuv.avi", pal, small, 12, args({"-c:v", "huffyuv"}), 25000},
        {"mjpeg.avi", pal, small, 12, args({"-c:v", "mjpeg", "-q:v", "3"}), 25000},
        // A title set as dvdauthor writes it: most pictures share a packet of the stream with the one before
        // and carry no time of their own.
        {"dvdauthor.vob", {}, {}, 120, {}, 29970, "dvd-ntsc-two-streams/dvd/VIDEO_TS/VTS_01_1.VOB"},
        // Cut at a keyframe whose group is open: the B-frames after it need the group before, which is not
        // there, so they show nothing although each has its time.
        {"mpeg2_cut_open_group.ts", pal, small, 75, dvd, 25000, nullptr, "0.62"},
    };
}

QString containerVideoPath(const ContainerVideo &video, const QString &dir, QString &error)
{
    if (video.fixture)
        return dataPath(QString::fromLatin1(video.fixture));
    const QString path = QDir(dir).filePath(QString::fromLatin1(video.name));
    const QString made = video.copiedFrom ? path + QStringLiteral(".whole.mpg") : path;
    error = makeVideo(made, video.source, video.filters, video.frames, video.codec);
    if (error.isEmpty() && video.copiedFrom)
        error = runFfmpeg({QStringLiteral("-ss"), QString::fromLatin1(video.copiedFrom), QStringLiteral("-i"), made,
                           QStringLiteral("-c:v"), QStringLiteral("copy"), QStringLiteral("-an"), path});
    if (!error.isEmpty())
        return {};
    return path;
}

} // namespace glyfex::test
