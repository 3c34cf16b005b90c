// The configuration's blocks turned into the records their users read, and back: recognition tuning, output formats.
#pragma once

#include "core/config.h"
#include "recognition/ocr_settings.h"
#include "subtitles/format_options.h"

namespace glyfex::app {

// The recognition tuning of OCR SETTING as the recognition driver reads it.
recognition::OcrSettings ocrSettingsOf(const core::Config::Ocr &ocr);
core::Config::Ocr ocrConfigOf(const recognition::OcrSettings &ocr);

// BMP OUT DropFrame and the format sections over the writers' options as they are; options the file
// does not keep (headers, titles, offsets) stay. A font text that does not describe a font leaves
// that font as it was. (Which format is written is config.main.activePage itself.)
void applyOutputConfig(const core::Config &config, subtitles::FormatOptions &options);
// The same keys back into the configuration, before it is saved.
void collectOutputConfig(const subtitles::FormatOptions &options, core::Config &config);

} // namespace glyfex::app
