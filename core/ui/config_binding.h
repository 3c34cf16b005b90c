// Copies the configuration into the windows' controls at start and back at close, found by window and component names.
#pragma once

#include "core/bmp_out_settings.h"
#include "core/config.h"

#include <QList>
#include <QPointer>
#include <QStringList>

class QWidget;

namespace glyfex::core {
class UserPrompt;
}

namespace glyfex::core::ui {

// The settings that live in controls (check boxes, radio groups, combo boxes, a window's height, the
// Subtitles list's font, the Global Options dialog) are put in and read back by the names the
// windows carry (Form6.CheckBoxShowAll, ...). A window or control that does not exist is skipped,
// and its value stays as it was in the Config. Settings kept in plain records outside the windows
// (preview, OCR tuning, output-format options, priority, the input filter) are the caller's to copy.
class ConfigBinding {
public:
    explicit ConfigBinding(const QList<QWidget *> &windows);

    // The start-up copy, in the order of loading: CONFIG, GOPTIONS (then the fill controls follow
    // the fill choice), the Subtitles font among installedFonts, the input dialog's picture timing,
    // the frame-rate boxes, the correction choices.
    void apply(const Config &config, const QStringList &installedFonts) const;
    // The close-time copy back into config.
    void collect(Config &config) const;

    // The window of that name, and a control of that name in it; nullptr when there is none.
    QWidget *window(const char *name) const;
    QWidget *control(const char *window, const char *name) const;

private:

    QList<QPointer<QWidget>> m_windows;
};

// Loads the configuration file at start; an unreadable file is reported and the defaults are used.
// languages: those with a language file, among which a first run looks for the locale's.
Config loadConfigAtStart(const QString &path, const Config::Folders &folders, const Config::Ocr &currentOcr,
                         const QLocale &locale, const QStringList &languages, UserPrompt &prompt);

// Writes the configuration and then the bitmap presets into the file at close. A failure is shown
// with the file's path and the program goes on closing; false tells the caller it happened.
bool saveConfigAtClose(const QString &path, const Config &config, const BmpOutPresets &presets, UserPrompt &prompt);

} // namespace glyfex::core::ui
