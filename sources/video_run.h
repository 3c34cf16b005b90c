// The video viewer's run: finds each burned-in subtitle's first and last frame and hands its text mask to recognition.
#pragma once

#include "core/result.h"
#include "picture/picture_sink.h"
#include "picture/rect.h"
#include "sources/avi_player.h"
#include "sources/frame_analysis.h"

#include <QString>
#include <optional>

namespace glyfex::sources {

// The viewer's run controls (their form defaults).
struct VideoRunOptions {
    int minPixels = 100;     // "Min. pixels": a frame shows a subtitle when its text count is above this
    int diffTolerance = 50;  // "Same sub tolerance", per mille
    int skipFirst = 3;       // frames analysed in full before accumulating
    int minDuration = 10;    // frames followed before a change may end the subtitle
    int updateEvery = 30;    // frames between updates of the accumulated mask
    // Frame rate x 1000 of the times handed on; 0 takes the player's (the viewer's own when the file
    // gives none).
    int fpsX1000 = 0;
};

// The window around the run: the viewer, or code in tests and the benchmark.
class VideoRunHost {
public:
    virtual ~VideoRunHost() = default;
    // The frame at pos has been drawn into frame and analysed (analysis.mask(), analysis.textCount()).
    virtual void frameShown(int pos, const BgrFrame &frame, const FrameAnalysis &analysis) = 0;
    // Lets the interface run between frames and holds the run while the main window is paused (the
    // viewer's WaitWhilePaused); false stops the run (Stop, Close, the program closing).
    virtual bool pump() = 0;
    // A pause ended since the last call: true once. The next frame is analysed in full and the run
    // searches again from the first frame of the last subtitle it found.
    virtual bool takeRestart() = 0;
    // A subtitle was found and followed: first..last, the frame as shown at last; called just before
    // its mask goes to recognition (the viewer comes to the front and shows the times).
    virtual void subtitleFound(int first, int last, const BgrFrame &lastFrame) = 0;
    // A followed subtitle ended with too few pixels and was dropped (the viewer disables "Same as last").
    virtual void subtitleDropped() = 0;
};

struct VideoRunOutcome {
    int subtitles = 0;     // masks handed to recognition
    int position = 0;      // the frame the run ended on
    bool stopped = false;  // the host stopped it (false: the last frame was reached)
    int undecodable = 0;   // frames that could not be decoded; each showed the picture before it again
    std::optional<picture::Rect> lastCrop; // the last recognised subtitle's box within the mask (CropRect)
};

// From the frame after `from` to the last frame of the open player. Each subtitle's mask (code 1 the text,
// everything else 0), cropped to its text, goes to sink with the times of its first and last frame
// (player.frameTime at player.fpsX1000(), options.fpsX1000 when set) and, as area, its box moved by the analysed area's origin.
// A frame that cannot be decoded does not end the run: it is counted and analysed as the picture before it.
// A failure of the sink ends the run with that error. A subtitle that first shows on the last frame is not
// handed on; one that is still showing there ends on the frame before it. After a
// pause (host.takeRestart()) the search looks again from the first frame of the last subtitle found.
core::Result<VideoRunOutcome> runVideo(AviPlayer &player, FrameAnalysis &analysis, const VideoRunOptions &options,
                                       int from, picture::PictureSink &sink, VideoRunHost &host);

// What a left click on a text pixel at (x, y) of frame sets: the text colour, the stroke width measured
// along the row (1..10) and the outline colour (the first pixel beside the stroke). textTolerance is the
// text colour's tolerance per channel as set in the viewer.
struct ColourPick {
    Rgb textColour;
    int strokeWidth = 1;
    Rgb outlineColour;
};
ColourPick pickColour(const BgrFrame &frame, int x, int y, Rgb textTolerance);

// The analysed area a new video starts with: the bottom fifth, (1, (h-1)*80/100, w-1, h-1).
picture::Rect defaultVideoArea(int width, int height);
// The folder a run's pictures are saved in: the video's path without its suffix ("/a/b/film.mkv" ->
// "/a/b/film"; a name without a suffix, or a dot only in a folder name, unchanged).
QString videoSaveFolder(const QString &videoFile);

} // namespace glyfex::sources
