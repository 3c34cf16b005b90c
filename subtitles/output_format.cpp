// The output-format table: one row per format, from its caption to its writers.
#include "subtitles/output_format.h"

#include "subtitles/format_writers.h"

#include <array>

namespace glyfex::subtitles {

namespace {

using F = OutputFormat;
using T = TimeForm;
using namespace writers;

// I-Author shows its subtitles in the .gxt layout; its file is generated at save.
constexpr std::array<OutputFormatInfo, kOutputFormatCount> kFormats{{
    {F::Dks, "Dks (*.dks)", "dks", "Dks (*.dks)", "none", T::StartWholeSeconds, true,
     dks, nullptr, nullptr},
    {F::DvdSubtitle, "DVDSubtitle (*.sub)", "sub", "DVDSubtitle (*.sub)", "{HEAD block", T::StartHundredths, false,
     dvdSubtitle, dvdSubtitleHeader, nullptr},
    {F::FabSubtitler, "FAB Subtitler (*.txt)", "txt", "FAB Subtitler (*.txt)", "none", T::FrameTimeCodes, false,
     fabSubtitler, nullptr, nullptr},
    {F::MacDvdStudioPro, "Mac DVD Studio Pro (*.txt)", "txt", "Mac DVD Studio Pro (*.txt)", "none",
     T::FrameTimeCodes, false,
     macDvdStudioPro, nullptr, nullptr},
    {F::MacSub, "MacSUB (*.scr)", "scr", "MacSUB (*.scr)", "none", T::FrameNumbers, true,
     macSub, nullptr, nullptr},
    {F::MicroDvd, "MicroDVD (*.sub)", "sub", "MicroDVD (*.sub; *.txt)", "optional frame-rate entry",
     T::FrameNumbers, true,
     microDvd, microDvdHeader, nullptr},
    {F::Mpl, "Mpl (*.mpl)", "mpl", "Mpl (*.mpl)", "none", T::FrameNumbers, true,
     mpl, nullptr, nullptr},
    {F::Mpl2, "Mpl2 (*.mpl)", "mpl", "Mpl2 (*.mpl)", "none", T::Deciseconds, true,
     mpl2, nullptr, nullptr},
    {F::PhoenixJapanimation, "Phoenix Japanimation (*.pjs)", "pjs", "Phoenix Japanimation (*.pjs)", "none",
     T::FrameNumbers, true,
     phoenix, nullptr, nullptr},
    {F::PowerDivX, "PowerDivX (*.psb)", "psb", "PowerDivX (*.psb)", "none", T::WholeSeconds, true,
     powerDivX, nullptr, nullptr},
    {F::SpruceStl, "Spruce subtitle file (*.stl)", "stl", "Spruce subtitle (*.stl)", "// block",
     T::FrameTimeCodes, false,
     spruceStl, spruceStlHeader, nullptr},
    {F::Glyfex, "Glyfex (*.gxt)", "gxt", "Glyfex (*.gxt)", "none", T::Milliseconds, true,
     glyfex, nullptr, nullptr},
    {F::SubStationAlpha, "Sub Station Alpha (*.ssa)", "ssa", "Sub Station Alpha (*.ssa)", "[Script Info] block",
     T::Hundredths, false,
     subStationAlpha, subStationAlphaHeader, nullptr},
    {F::Subviewer, "Subviewer (*.sub)", "sub", "SubViewer (*.sub)", "[TITLE] block", T::StartWholeSeconds, false,
     subviewer, subviewerHeader, subviewerTrailer},
    {F::Subviewer2, "Subviewer 2 (*.sub)", "sub", "SubViewer 2 (*.sub)", "[INFORMATION] block", T::Hundredths,
     true,
     subviewer2, subviewer2Header, nullptr},
    {F::TmPlayer, "TMPlayer (*.txt)", "txt", "TMPlayer (*.txt)", "none", T::StartWholeSeconds, true,
     tmPlayer, nullptr, nullptr},
    {F::TurboTitler, "Turbo Titler (*.tts)", "tts", "Turbo Titler (*.tts)", "none", T::Hundredths, true,
     turboTitler, nullptr, nullptr},
    {F::ViPlay, "ViPlay (*.vsf)", "vsf", "ViPlay (*.vsf)", "{* VIPLAY SUBTITLE FILE *}", T::Milliseconds, true,
     viPlay, viPlayHeader, nullptr},
    {F::ZeroG, "ZeroG (*.zeg)", "zeg", "ZeroG (*.zeg)", "% Zero G 1.0 and an empty line", T::Hundredths, true,
     zeroG, zeroGHeader, nullptr},
    {F::IAuthor, "I-Author (*.txt)", "txt", "IAuthor OGT (*.txt)", "written at save only",
     T::SecondsAndHundredths, false,
     glyfex, nullptr, iAuthorTrailer},
    {F::PhilipsSvcdDesigner, "Philips SVCD Designer (*.sub)", "sub", "Philips SVCD Designer (*.sub)",
     "# PHILIPS SVCD DESIGNER block", T::FrameTimeCodes, false,
     philips, philipsHeader, nullptr},
    {F::SonicDvdCreator, "Sonic DVD Creator (*.txt)", "txt", "Sonic DVD Creator (*.txt)", "none",
     T::FrameTimeCodes, false,
     sonicDvdCreator, nullptr, nullptr},
    {F::SonicScenarist, "Sonic Scenarist (*.sst)", "sst", "Sonic Scenarist (*.sst)", "st_format block",
     T::FrameTimeCodes, false,
     scenarist, scenaristHeader, nullptr},
    {F::SpruceDvdMaestro, "Spruce DVDMaestro (*.son)", "son", "DVDMaestro (*.son)", "st_format block",
     T::FrameTimeCodes, false,
     maestro, maestroHeader, nullptr},
    {F::PinnacleImpression, "Pinnacle Impression (*.txt)", "txt", "Pinnacle Impression (*.txt)", "dashed block",
     T::FrameTimeCodes, false,
     pinnacle, pinnacleHeader, pinnacleImpressionTrailer},
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
