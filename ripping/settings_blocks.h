// The configuration's blocks turned into the records their users read, and back: recognition tuning, output formats.
#pragma once

#include "core/config.h"
#include "recognition/ocr_settings.h"
#include "subtitles/format_options.h"
#include "subtitles/output_format.h"

namespace glyfex::ripping {

// The recognition tuning of OCR SETTING as the recognition driver reads it.
recognition::OcrSettings ocrSettingsOf(const core::Config::Ocr &ocr);
core::Config::Ocr ocrConfigOf(const recognition::OcrSettings &ocr);

// The output format the Subtitles window writes, with the options of every format.
struct OutputSettings {
    subtitles::OutputFormat format = subtitles::OutputFormat::Glyfex;
    subtitles::FormatOptions options;
};

// ActivePage, BMP OUT DropFrame and the format sections over the settings as they are; options the
// file does not keep (headers, titles, offsets) stay. A font text that does not describe a font
// leaves that font as it was.
void applyOutputConfig(const core::Config &config, OutputSettings &settings);
// The same keys back into the configuration, before it is saved.
void collectOutputConfig(const OutputSettings &settings, core::Config &config);

} // namespace glyfex::ripping
