// The export-bitmap engine: a decoded subtitle picture becomes the bitmap an authoring tool places on the frame.
#pragma once

#include "core/bmp_out_settings.h"
#include "picture/decoded_picture.h"
#include "picture/export_renderer.h"
#include "picture/rect.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace glyfex::subtitles {

// Authoring tools place bitmaps on a frame of this width; its height is the video's (576 when unknown).
inline constexpr int kExportFrameWidth = 720;

// Where the bitmap lies on the frame and where the picture lies inside it, in pixels.
struct CropGeometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int offsetX = 0; // the picture's left inside the bitmap
    int offsetY = 0;
    friend bool operator==(const CropGeometry &, const CropGeometry &) = default;
};

// The inputs of one bitmap: the settings of the preset in use, which preset that is (two tools get
// their own rules) and the video's frame height (0: unknown, taken as 576).
struct ExportSettings {
    core::BmpOutSettings bmp;
    int preset = core::DefaultBmpOutPreset;
    int frameHeight = 0;
    // The frame the pictures' coordinates are on, the source's (0: the export frame). A larger one (an
    // HD VobSub) is brought onto the export frame whole: every picture is scaled and placed as the
    // frame is, so that no text falls off the bitmap.
    int sourceWidth = 0;
    int sourceHeight = 0;
    int frameRows() const { return frameHeight > 0 ? frameHeight : 576; }
    // The source frame is larger than the export frame along either axis.
    bool scalesSource() const { return sourceWidth > kExportFrameWidth || sourceHeight > frameRows(); }
};

// A picture of a source frame of sourceWidth x sourceHeight, with its rectangle area on that frame,
// scaled onto the export frame (each axis by its own ratio, as an HD frame becomes a 16:9 DVD frame).
// Each bitmap pixel takes the code that covers most of its area in the source among the ink codes
// (those not in transparent) once ink covers a third of it, else background: strokes thinner than a
// bitmap pixel stay. area becomes the scaled picture's rectangle.
picture::CodeImage scaleToExportFrame(const picture::CodeImage &codes, picture::Rect &area, int sourceWidth,
                                      int sourceHeight, int frameRows, const std::array<bool, 4> &transparent,
                                      uint8_t background);

// The bitmap width for a picture pictureWidth + extra wide: at least the minimum, rounded up to the
// width step, at most the frame width.
int fitWidthConstraint(const ExportSettings &settings, int pictureWidth, int extra);
// The same for the height, with the frame height as the limit; the DVDMaestro tool wants 4 more
// rows when the picture would fill the bitmap nearly to its edge.
int fitHeightConstraint(const ExportSettings &settings, int pictureHeight, int extra);
// The cropped bitmap of a picture of pictureWidth x pictureHeight at area on the frame: sized by the
// constraints, the picture placed by the alignment and shift, the bitmap kept on the frame and its
// left and top moved to their steps. The picture is at most the frame's size (the engine cuts it).
CropGeometry computeCropGeometry(const ExportSettings &settings, int pictureWidth, int pictureHeight,
                                 const picture::Rect &area);

// The pixel code taken as the background of a bitmap and its colour in the code picture's palette
// (0 black, 1 white, 2 red, 3 blue; 0x00BBGGRR).
struct ExportBackground {
    uint8_t code = 0;
    uint32_t colour = 0x000000;
};
// Chooses the background among the picture's transparent codes: the highest one; of two or more, the
// first in code order that is at a corner of the picture, else the first met row by row.
void chooseExportBackground(const picture::DecodedPicture &picture, ExportBackground &background);

// The palette of the exported bitmap: 16 entries at 4 bits, 256 at 8. The Scenarist and DVDMaestro
// tools get red, black, blue, white for codes 0-3; custom colours give the four chosen ones; otherwise
// the title's 16 DVD colours. The other entries are black.
std::vector<uint32_t> buildPreviewPalette(const ExportSettings &settings, const std::array<uint32_t, 16> &dvdPalette);

// Renders every exported or previewed picture by the current export settings. The background it
// chose stays from picture to picture (and from run to run) until a picture's colours or contrasts
// change.
class ExportBitmapEngine : public picture::ExportRenderer {
public:
    ExportSettings settings;
    // Where the settings are kept: taken from there at every picture, so that what the Bitmap
    // adjustment dialog or a new source changed during a run holds for the next picture. Without a
    // source, the settings above as they were set.
    void followSettings(std::function<ExportSettings()> source) { m_source = std::move(source); }

    // The bitmap and its rectangle on the frame. An empty result (with its reason) for an empty
    // picture or a depth that is neither 4 nor 8 bits; a picture larger than the frame is cut to it
    // and the result says so.
    void render(const picture::DecodedPicture &picture, const std::array<uint32_t, 16> &dvdPalette,
                picture::ExportedPicture &out) override;

    const ExportBackground &background() const { return m_background; }

private:
    ExportBackground m_background;
    std::function<ExportSettings()> m_source;
};

} // namespace glyfex::subtitles
