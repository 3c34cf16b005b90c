// The Bitmap adjustment dialog's logic without widgets: which preset is edited, storing and loading it,
// the output format that follows it, the picture's fate, profiles and the preview palette.
#pragma once

#include "core/bmp_out_settings.h"
#include "core/result.h"
#include "subtitles/output_format.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace glyfex::subtitles {

class BitmapAdjustSession {
public:
    // What the session asks of the program around it.
    struct Hooks {
        // The controls show these settings of this preset (the session is not ready meanwhile).
        std::function<void(const core::BmpOutSettings &, int preset)> fillControls;
        // Switches the output format the way the Output Format dialog converts (the Subtitles window rebuilds).
        std::function<void(OutputFormat)> setOutputFormat;
        // The preview shows the current picture through the current settings again.
        std::function<void()> refreshPreview;
    };

    BitmapAdjustSession(core::BmpOutPresets &presets, Hooks hooks);

    // The preset an output format calls for: each tool's script its tool, anything else the Scenarist.
    static int presetOfFormat(OutputFormat format);
    // Only these tools take either depth; the others have one fixed by the tool.
    static bool depthSelectable(int preset);

    // Opening: the preset of the output format becomes the current one and the controls show it; the
    // picture will be saved unless the user skips it.
    void show(OutputFormat format);
    // A control changed. Only while the controls hold the current preset do its values become the
    // current settings (a change made while they are being filled is ignored); false when ignored.
    bool edit(const core::BmpOutSettings &fromControls);
    // Another preset: the edited one keeps the controls' values in its slot, the new one is loaded.
    void choosePreset(int preset, const core::BmpOutSettings &fromControls);
    // OK (also Esc and closing the window): keep the settings, save the picture, stop asking before
    // each picture.
    void ok(const core::BmpOutSettings &fromControls);
    // Skip this picture: keep the settings, save no file and add no subtitle for it.
    void skip(const core::BmpOutSettings &fromControls);
    // The command line shows nothing: opening and OK with the preset as stored.
    void runUnattended(OutputFormat format);

    // All six presets into a profile file; its name becomes the profile's name on success.
    core::Result<void> saveProfile(const QString &path, const core::BmpOutSettings &fromControls);
    // The six presets from a profile file, then the controls reloaded as on opening. A damaged or
    // out-of-range profile is an error and every preset stays as it was.
    core::Result<void> loadProfile(const QString &path);

    // The controls no longer hold the current preset (their limits are changing): until the next
    // opening, no change of theirs becomes a setting.
    void suspend() { m_ready = false; }
    bool isReady() const { return m_ready; }
    int preset() const { return m_presets.current; }
    const core::BmpOutSettings &settings() const { return m_presets.settings; }
    bool savePicture() const { return m_savePicture; }
    bool showBeforeNext() const { return m_showBeforeNext; }
    void setShowBeforeNext(bool on) { m_showBeforeNext = on; }
    // "None" until a profile was saved or loaded.
    const QString &profileName() const { return m_profileName; }
    // The palette of the output bitmap for the current settings: 16 or 256 colours, 0x00BBGGRR.
    std::vector<uint32_t> previewPalette(const std::array<uint32_t, 16> &dvdColours) const;
    void setFrameHeight(int height) { m_frameHeight = height; }

private:
    void store(const core::BmpOutSettings &fromControls, int nextPreset);
    void load();

    core::BmpOutPresets &m_presets;
    Hooks m_hooks;
    bool m_ready = false;
    bool m_savePicture = true;
    bool m_showBeforeNext = false;
    QString m_profileName = QStringLiteral("None");
    int m_frameHeight = core::PalFrameHeight;
};

} // namespace glyfex::subtitles
