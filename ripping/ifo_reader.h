// Title-set IFO reader: subpicture stream names, the DVD palette and the frame size of a VTS_xx_0.IFO/.BUP.
#pragma once

#include "core/result.h"

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <span>

namespace glyfex::core {
class UserPrompt;
}

namespace glyfex::ripping {

// Names of the 32 subpicture streams by stream number (substream id 0x20 + number); empty = unknown.
using StreamNames = std::array<QString, 32>;
// The 16 DVD colours, each 0x00BBGGRR (red in the low byte).
using DvdPalette = std::array<uint32_t, 16>;

// Frame size in pixels; 0 means not known.
struct FrameSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const FrameSize &, const FrameSize &) = default;
};

// Line-21 closed captions announced by the video attributes: none, one field or both.
enum class ClosedCaptions { None, OneField, TwoFields };

// What a title-set IFO tells about its subpictures and video.
struct IfoInfo {
    StreamNames streamNames;
    DvdPalette palette{};
    // Width from the picture size; height 480/576 from the video standard, 0 when the standard is unknown.
    FrameSize frameSize;
    ClosedCaptions closedCaptions = ClosedCaptions::None;
    // The raw fields behind the names, for callers that show or compare them.
    int subpictureCount = 0;                   // low byte of the stream count at 0x255
    std::array<QString, 32> languageCodes;     // two characters per attribute, empty for 0,0
    std::array<uint32_t, 32> controlWords{};   // first program chain's subpicture stream control
    std::array<uint32_t, 16> paletteYCrCb{};   // colour table as 0x00YYCrCb
};

// Name of a two-letter language code: "" for two zero characters, the table's name, or the code itself.
// Case-sensitive: "EN" is not English.
QString languageCodeToName(QStringView code);

// One colour-table entry (studio-range BT.601 YCrCb) as 0x00BBGGRR.
uint32_t ycrcbToColour(uint8_t y, uint8_t cr, uint8_t cb);

// Reads a title-set IFO held whole in memory. Every offset is checked against the size; a video-manager
// IFO, a foreign or truncated file is "not a title-set IFO". source names the file in the error.
core::Result<IfoInfo> parseIfo(std::span<const uint8_t> bytes, const QString &source = {});
// Only the palette of the first program chain, with the same checks.
core::Result<DvdPalette> parseIfoPalette(std::span<const uint8_t> bytes, const QString &source = {});

// Reads the file whole (an IFO is small; larger files are refused) and parses it.
core::Result<IfoInfo> readIfoFile(const QString &path);
core::Result<DvdPalette> readIfoPalette(const QString &path);

// The input's hint: the file name for display and " (WxH)".
QString inputHint(const QString &fileName, FrameSize size);

// The closed-caption notice text, or "" when there are none. information and detected are the
// message-table texts that head it.
QString closedCaptionNotice(ClosedCaptions captions, const QString &information = QStringLiteral("Information"),
                            const QString &detected = QStringLiteral("Closed Captions detected"));
// Tells the user about closed captions through the prompt (an unattended run passes a silent prompt,
// which never waits for anyone). Nothing is shown when there are none.
void announceClosedCaptions(ClosedCaptions captions, core::UserPrompt &prompt,
                            const QString &information = QStringLiteral("Information"),
                            const QString &detected = QStringLiteral("Closed Captions detected"));

} // namespace glyfex::ripping
