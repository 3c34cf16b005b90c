// The one way the program hands an address to the desktop (web pages, mail links, files); tests record instead.
#pragma once

#include <QUrl>

#include <functional>

namespace glyfex::core::ui {

// Opens the address in the desktop's program for it; false when the desktop could not. Nothing is
// reported to the user: a browser that does not start is the desktop's business.
bool openUrl(const QUrl &url);

// While alive, openUrl hands every address to opener instead of the desktop.
class ScopedUrlOpener {
public:
    using Opener = std::function<bool(const QUrl &)>;
    explicit ScopedUrlOpener(Opener opener);
    ~ScopedUrlOpener();
    ScopedUrlOpener(const ScopedUrlOpener &) = delete;
    ScopedUrlOpener &operator=(const ScopedUrlOpener &) = delete;

private:
    Opener m_previous;
};

} // namespace glyfex::core::ui
