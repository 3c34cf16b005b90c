// The video viewer's run: search, follow and recognise burned-in subtitles frame by frame.
#include "sources/video_run.h"

namespace glyfex::sources {

core::Result<VideoRunOutcome> runVideo(AviPlayer &player, FrameAnalysis &, const VideoRunOptions &, int from,
                                       picture::PictureSink &, VideoRunHost &)
{
    VideoRunOutcome outcome;
    outcome.position = from;
    if (!player.opened())
        return core::makeError(QStringLiteral("Video not run"), player.fileName(), QStringLiteral("no video is open"));
    return outcome;
}

ColourPick pickColour(const BgrFrame &, int, int, Rgb)
{
    return {};
}

picture::Rect defaultVideoArea(int width, int height)
{
    return picture::Rect{1, (height - 1) * 80 / 100, width - 1, height - 1};
}

QString videoSaveFolder(const QString &videoFile)
{
    return videoFile;
}

} // namespace glyfex::sources
