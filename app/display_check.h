// Whether the window platform Qt is about to load can reach its display, asked before the application object exists.
#pragma once

#include <QString>

#include <optional>

namespace glyfex::app {

// What decides where Qt shows the windows. Qt aborts the program when none of the platforms it tries
// can connect, so the program asks the same question first and says the answer in its own words.
struct DisplayRequest {
    QString platform;          // -platform, else QT_QPA_PLATFORM ("xcb", "wayland;xcb", "offscreen:..."); empty: Qt's choice
    std::optional<QString> xDisplay; // -display, else DISPLAY; none when neither is given
    std::optional<QString> waylandDisplay; // WAYLAND_DISPLAY; none when unset
    QString runtimeDir;        // XDG_RUNTIME_DIR, where a relative Wayland display's socket is
    QString sessionType;       // XDG_SESSION_TYPE

    // The request as this process's environment makes it; the command line's -platform and -display
    // are set by the caller.
    static DisplayRequest fromEnvironment();
};

// Why none of the platforms the request leads Qt to can show a window, in a few words for one line of
// stderr; nothing when one of them can, or may (a platform that needs no display, or one this check
// does not know).
std::optional<QString> unreachableDisplay(const DisplayRequest &request);

} // namespace glyfex::app
