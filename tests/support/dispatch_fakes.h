// Test stand-ins for the windows and stores around the subpicture dispatcher, and a builder of small real units.
#pragma once

#include "ripping/spu_dispatch.h"

#include <QByteArray>

#include <vector>

namespace glyfex::test {

// A subtitle store that keeps what the dispatcher gives it.
class FakeSubtitles : public picture::SubtitleSink {
public:
    struct Entry {
        QString line;
        picture::DisplayTimes times;
        picture::Rect rect;
    };
    int count() const override { return int(entries.size()); }
    core::TimeCode lastStart() const override { return entries.back().times.start; }
    core::TimeCode lastStop() const override { return entries.back().times.stop; }
    void setLastStop(const core::TimeCode &stop) override { entries.back().times.stop = stop; }
    core::Result<void> addPictureSubtitle(const QString &line, const picture::DisplayTimes &times, const picture::Rect &rect,
                                          uint16_t, uint16_t) override
    {
        entries.push_back({line, times, rect});
        return {};
    }
    std::vector<Entry> entries;
};

// Recognition that only keeps the times, area and size of each picture and the last picture.
class PictureRecorder : public picture::PictureSink {
public:
    struct Entry {
        picture::DisplayTimes times;
        picture::Rect area;
        int width = 0;
        int height = 0;
    };
    core::Result<void> recognise(const picture::DecodedPicture &picture, const picture::DisplayTimes &times, const picture::Rect &area) override
    {
        entries.push_back({times, area, picture.codes.width, picture.codes.height});
        last = picture;
        return {};
    }
    std::vector<Entry> entries;
    picture::DecodedPicture last;
};

// Recognition that records each picture and, like the real driver, adds a subtitle with its times.
class RecordingRecognition : public picture::PictureSink {
public:
    explicit RecordingRecognition(FakeSubtitles &subtitles) : m_subtitles(subtitles) {}
    core::Result<void> recognise(const picture::DecodedPicture &picture, const picture::DisplayTimes &times,
                                 const picture::Rect &area) override
    {
        sizes.push_back({picture.codes.width, picture.codes.height});
        return m_subtitles.addPictureSubtitle(QStringLiteral("text"), times, area, 0, 0);
    }
    std::vector<std::pair<int, int>> sizes;

private:
    FakeSubtitles &m_subtitles;
};

class ScriptedDispatchHost : public ripping::DispatchHost {
public:
    void showPicture(const picture::DecodedPicture &, const picture::ExportedPicture *) override { ++shown; }
    ripping::StepChoice askStep() override { return step; }
    void warn(const QString &text) override { warnings.push_back(text); }
    int shown = 0;
    ripping::StepChoice step = ripping::StepChoice::Next;
    QStringList warnings;
};

// One sequence of a built unit: raw delay (1024/90,000 s units) and whether it starts or stops the display.
struct BuiltSequence {
    uint16_t rawDelay = 0;
    bool stops = false;
    bool forced = false;
};

// A real, decodable unit: a 2 x 2 picture of code 1 at (100, 400), colour word 0x0100, contrast 0xFFF0,
// with the given display control sequences.
inline QByteArray buildUnit(const std::vector<BuiltSequence> &sequences)
{
    QByteArray u;
    auto be16 = [&u](int v) {
        u.append(char(v >> 8));
        u.append(char(v));
    };
    be16(0); // size, patched below
    be16(0); // control offset, patched below
    // Each field line: 14 zero bits and code 1 (the rest of the line).
    u.append('\0').append('\x01'); // top field at 4
    u.append('\0').append('\x01'); // bottom field at 6
    const int control = int(u.size());
    for (size_t i = 0; i < sequences.size(); ++i) {
        const int at = int(u.size());
        const BuiltSequence &s = sequences[i];
        const bool last = i + 1 == sequences.size();
        const int length = i == 0 ? 4 + 1 + 3 + 3 + 7 + 5 + 1 : 4 + 1 + 1;
        be16(s.rawDelay);
        be16(last ? at : at + length);
        if (i == 0) {
            u.append(char(s.stops ? 0x02 : s.forced ? 0x00 : 0x01));
            u.append('\x03');
            be16(0x0100);
            u.append('\x04');
            be16(0xFFF0);
            // area x 100..101, y 400..401
            u.append('\x05').append(char(100 >> 4)).append(char((100 & 0xF) << 4 | (101 >> 8))).append(char(101 & 0xFF));
            u.append(char(400 >> 4)).append(char((400 & 0xF) << 4 | (401 >> 8))).append(char(401 & 0xFF));
            u.append('\x06');
            be16(4);
            be16(6);
        } else {
            u.append(char(s.stops ? 0x02 : 0x01));
        }
        u.append('\xFF');
    }
    u[0] = char(u.size() >> 8);
    u[1] = char(u.size());
    u[2] = char(control >> 8);
    u[3] = char(control);
    return u;
}

} // namespace glyfex::test
