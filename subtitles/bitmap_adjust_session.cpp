// The Bitmap adjustment dialog's steps on the presets, in the order the dialog runs them.
#include "subtitles/bitmap_adjust_session.h"

#include "subtitles/export_bitmap.h"

#include <QFileInfo>

namespace glyfex::subtitles {

BitmapAdjustSession::BitmapAdjustSession(core::BmpOutPresets &presets, Hooks hooks)
    : m_presets(presets), m_hooks(std::move(hooks))
{
}

int BitmapAdjustSession::presetOfFormat(OutputFormat format)
{
    switch (format) {
    case OutputFormat::IAuthor: return core::PresetIAuthor;
    case OutputFormat::PhilipsSvcdDesigner: return core::PresetPhilipsSvcd;
    case OutputFormat::SonicDvdCreator: return core::PresetSonicDvdCreator;
    case OutputFormat::SpruceDvdMaestro: return core::PresetSpruceDvdMaestro;
    case OutputFormat::PinnacleImpression: return core::PresetPinnacleImpression;
    default: return core::PresetSonicScenarist;
    }
}

bool BitmapAdjustSession::depthSelectable(int preset)
{
    return preset == core::PresetPhilipsSvcd || preset == core::PresetSonicScenarist ||
           preset == core::PresetSpruceDvdMaestro;
}

void BitmapAdjustSession::show(OutputFormat format)
{
    m_ready = false;
    m_savePicture = true;
    m_presets.current = presetOfFormat(format);
    load();
}

void BitmapAdjustSession::load()
{
    m_presets.settings = m_presets.presets[size_t(m_presets.current)];
    m_ready = false;
    if (m_hooks.fillControls)
        m_hooks.fillControls(m_presets.settings, m_presets.current);
    if (m_hooks.setOutputFormat)
        m_hooks.setOutputFormat(OutputFormat(kFirstPictureScriptFormat + m_presets.current));
    m_ready = true;
    if (m_hooks.refreshPreview)
        m_hooks.refreshPreview();
}

bool BitmapAdjustSession::edit(const core::BmpOutSettings &fromControls)
{
    if (!m_ready)
        return false;
    m_presets.settings = fromControls;
    if (m_hooks.refreshPreview)
        m_hooks.refreshPreview();
    return true;
}

void BitmapAdjustSession::store(const core::BmpOutSettings &fromControls, int nextPreset)
{
    m_presets.settings = fromControls;
    m_presets.presets[size_t(m_presets.current)] = fromControls;
    if (nextPreset >= 0 && nextPreset < core::BmpOutPresetCount)
        m_presets.current = nextPreset;
}

void BitmapAdjustSession::choosePreset(int preset, const core::BmpOutSettings &fromControls)
{
    if (!m_ready)
        return;
    store(fromControls, preset);
    load();
}

void BitmapAdjustSession::ok(const core::BmpOutSettings &fromControls)
{
    m_showBeforeNext = false;
    store(fromControls, m_presets.current);
}

void BitmapAdjustSession::skip(const core::BmpOutSettings &fromControls)
{
    m_savePicture = false;
    store(fromControls, m_presets.current);
}

void BitmapAdjustSession::runUnattended(OutputFormat format)
{
    show(format);
    ok(m_presets.settings);
}

core::Result<void> BitmapAdjustSession::saveProfile(const QString &path, const core::BmpOutSettings &fromControls)
{
    store(fromControls, m_presets.current);
    if (auto saved = core::saveBmpOutPresets(path, m_presets); !saved)
        return saved;
    m_profileName = QFileInfo(path).fileName();
    return {};
}

core::Result<void> BitmapAdjustSession::loadProfile(const QString &path)
{
    auto loaded = core::loadBmpOutProfile(path, m_presets.current, m_frameHeight);
    if (!loaded)
        return loaded.error();
    m_presets.presets = loaded->presets;
    m_profileName = QFileInfo(path).fileName();
    load();
    return {};
}

std::vector<uint32_t> BitmapAdjustSession::previewPalette(const std::array<uint32_t, 16> &dvdColors) const
{
    ExportSettings settings;
    settings.bmp = m_presets.settings;
    settings.preset = m_presets.current;
    return buildPreviewPalette(settings, dvdColors);
}

} // namespace glyfex::subtitles
