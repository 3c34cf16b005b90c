// Fuzz target: the video player over arbitrary bytes as a video file must open or refuse, and give frames
// of its own size or an error, never crash or read outside a buffer.
#include "sources/avi_player.h"

#include <QString>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace glyfex::fuzz {
namespace {

// Any bytes either fail to open with a message, or open with a size within bounds and give frames of
// that size (or an error) for the first, a middle, the last and a repeated frame.
int playVideoBytes(const uint8_t *data, size_t size)
{
    // An in-memory file, so that the player opens it by name as it opens any video.
    const int fd = memfd_create("video", 0);
    if (fd < 0)
        return 0;
    size_t written = 0;
    while (written < size) {
        const ssize_t n = write(fd, data + written, size - written);
        if (n <= 0)
            break;
        written += size_t(n);
    }
    {
        sources::AviPlayer player;
        const auto opened = player.setFileName(QStringLiteral("/proc/self/fd/%1").arg(fd));
        if (opened.ok()) {
            if (player.width() <= 0 || player.height() <= 0 || player.frameCount() < 0 || player.fpsX1000() < 0)
                std::abort();
            for (int n : {0, player.frameCount() / 2, player.frameCount() - 1, 0, 1}) {
                sources::BgrFrame frame;
                player.setPosition(n);
                if (player.drawFrame(frame).ok()
                    && (frame.width != player.width() || frame.height != player.height()
                        || frame.bytes.size() != size_t(frame.width) * size_t(frame.height) * 3))
                    std::abort();
            }
        } else if (opened.error().message().isEmpty() || player.opened()) {
            std::abort();
        }
    }
    close(fd);
    return 0;
}

} // namespace
} // namespace glyfex::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return glyfex::fuzz::playVideoBytes(data, size);
}
