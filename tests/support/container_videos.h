// Short videos in every container the video viewer offers, made by ffmpeg at test time, with the codecs usually found in each.
#pragma once

#include <QString>
#include <QStringList>

#include <ostream>
#include <string>
#include <vector>

namespace glyfex::test {

struct ContainerVideo {
    const char *name; // the file's name; its suffix chooses the container unless codec says -f
    QString source;   // ffmpeg's lavfi source
    QString filters;
    int frames; // made from source; the file has this many unless cut
    QStringList codec;
    int fpsX1000;
    // A checked-in video below tests/data instead of one made from source.
    const char *fixture = nullptr;
    // The file is a stream copy of the video made (as codec and a .mpg name make it) from this time on,
    // as a part cut from a film; its frame count is then FFmpeg's.
    const char *copiedFrom = nullptr;
};

inline void PrintTo(const ContainerVideo &c, std::ostream *os)
{
    *os << c.name;
}

// The video's name as a test name: letters and digits, anything else an underscore.
std::string containerVideoTestName(const ContainerVideo &video);

// B-frames and short groups of pictures wherever the codec has them, so that decode order and
// presentation order differ and seeks land in the middle of groups. Lossless text on a flat colour, lossy
// x264 at 29.97 frames a second and the same at HD size keep the frame sizes the viewer meets; the rest
// are small to stay quick. The frame number drawn on each frame makes every frame different.
std::vector<ContainerVideo> containerVideos();

// Writes the video into dir (or gives the fixture's path): its path, or empty with error set.
QString containerVideoPath(const ContainerVideo &video, const QString &dir, QString &error);

} // namespace glyfex::test
