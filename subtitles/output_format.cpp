// The output-format table.
#include "subtitles/output_format.h"

#include <array>

namespace glyfex::subtitles {

namespace {

using F = OutputFormat;
using T = TimeForm;

constexpr std::array<OutputFormatInfo, kOutputFormatCount> kFormats{{
    {F::Dks, "Dks (*.dks)", "dks", "Dks (*.dks)", "none", T::StartWholeSeconds, true},
    {F::DvdSubtitle, "DVDSubtitle (*.sub)", "sub", "DVDSubtitle (*.sub)", "{HEAD block", T::StartHundredths, false},
    {F::FabSubtitler, "FAB Subtitler (*.txt)", "txt", "FAB Subtitler (*.txt)", "none", T::FrameTimeCodes, false},
    {F::MacDvdStudioPro, "Mac DVD Studio Pro (*.txt)", "txt", "Mac DVD Studio Pro (*.txt)", "none",
     T::FrameTimeCodes, false},
    {F::MacSub, "MacSUB (*.scr)", "scr", "MacSUB (*.scr)", "none", T::FrameNumbers, true},
    {F::MicroDvd, "MicroDVD (*.sub)", "sub", "MicroDVD (*.sub; *.txt)", "optional frame-rate entry",
     T::FrameNumbers, true},
    {F::Mpl, "Mpl (*.mpl)", "mpl", "Mpl (*.mpl)", "none", T::FrameNumbers, true},
    {F::Mpl2, "Mpl2 (*.mpl)", "mpl", "Mpl2 (*.mpl)", "none", T::Deciseconds, true},
    {F::PhoenixJapanimation, "Phoenix Japanimation (*.pjs)", "pjs", "Phoenix Japanimation (*.pjs)", "none",
     T::FrameNumbers, true},
    {F::PowerDivX, "PowerDivX (*.psb)", "psb", "PowerDivX (*.psb)", "none", T::WholeSeconds, true},
    {F::SpruceStl, "Spruce subtitle file (*.stl)", "stl", "Spruce subtitle (*.stl)", "// block",
     T::FrameTimeCodes, false},
    {F::Glyfex, "Glyfex (*.gxt)", "gxt", "Glyfex (*.gxt)", "none", T::Milliseconds, true},
    {F::SubStationAlpha, "Sub Station Alpha (*.ssa)", "ssa", "Sub Station Alpha (*.ssa)", "[Script Info] block",
     T::Hundredths, false},
    {F::Subviewer, "Subviewer (*.sub)", "sub", "SubViewer (*.sub)", "[TITLE] block", T::StartWholeSeconds, false},
    {F::Subviewer2, "Subviewer 2 (*.sub)", "sub", "SubViewer 2 (*.sub)", "[INFORMATION] block", T::Hundredths,
     true},
    {F::TmPlayer, "TMPlayer (*.txt)", "txt", "TMPlayer (*.txt)", "none", T::StartWholeSeconds, true},
    {F::TurboTitler, "Turbo Titler (*.tts)", "tts", "Turbo Titler (*.tts)", "none", T::Hundredths, true},
    {F::ViPlay, "ViPlay (*.vsf)", "vsf", "ViPlay (*.vsf)", "{* VIPLAY SUBTITLE FILE *}", T::Milliseconds, true},
    {F::ZeroG, "ZeroG (*.zeg)", "zeg", "ZeroG (*.zeg)", "% Zero G 1.0 and an empty line", T::Hundredths, true},
    {F::IAuthor, "I-Author (*.txt)", "txt", "IAuthor OGT (*.txt)", "written at save only",
     T::SecondsAndHundredths, false},
    {F::PhilipsSvcdDesigner, "Philips SVCD Designer (*.sub)", "sub", "Philips SVCD Designer (*.sub)",
     "# PHILIPS SVCD DESIGNER block", T::FrameTimeCodes, false},
    {F::SonicDvdCreator, "Sonic DVD Creator (*.txt)", "txt", "Sonic DVD Creator (*.txt)", "none",
     T::FrameTimeCodes, false},
    {F::SonicScenarist, "Sonic Scenarist (*.sst)", "sst", "Sonic Scenarist (*.sst)", "st_format block",
     T::FrameTimeCodes, false},
    {F::SpruceDvdMaestro, "Spruce DVDMaestro (*.son)", "son", "DVDMaestro (*.son)", "st_format block",
     T::FrameTimeCodes, false},
    {F::PinnacleImpression, "Pinnacle Impression (*.txt)", "txt", "Pinnacle Impression (*.txt)", "dashed block",
     T::FrameTimeCodes, false},
}};

} // namespace

bool isValidOutputFormat(int number)
{
    return number >= 0 && number < kOutputFormatCount;
}

bool isPictureScript(OutputFormat format)
{
    return int(format) >= kFirstPictureScriptFormat;
}

const OutputFormatInfo &outputFormatInfo(OutputFormat format)
{
    return kFormats[size_t(format)];
}

QString saveFilter(OutputFormat format)
{
    const OutputFormatInfo &info = outputFormatInfo(format);
    // MicroDVD files come as .sub or .txt.
    const QString patterns = format == OutputFormat::MicroDvd
                                 ? QStringLiteral("*.sub;*.txt")
                                 : QStringLiteral("*.") + QLatin1String(info.extension);
    return QLatin1String(info.filterName) + QLatin1Char('|') + patterns + QStringLiteral("|All|*.*");
}

QString defaultExtension(OutputFormat format)
{
    return QLatin1String(outputFormatInfo(format).extension);
}

} // namespace glyfex::subtitles
