// Addresses handed to the desktop, or to the opener a test put in its place.
#include "core/ui/url_opener.h"

#include <QDesktopServices>

namespace glyfex::core::ui {

namespace {

ScopedUrlOpener::Opener &currentOpener()
{
    static ScopedUrlOpener::Opener opener;
    return opener;
}

} // namespace

bool openUrl(const QUrl &url)
{
    if (const auto &opener = currentOpener())
        return opener(url);
    return QDesktopServices::openUrl(url);
}

ScopedUrlOpener::ScopedUrlOpener(Opener opener) : m_previous(std::exchange(currentOpener(), std::move(opener))) {}

ScopedUrlOpener::~ScopedUrlOpener()
{
    currentOpener() = std::move(m_previous);
}

} // namespace glyfex::core::ui
