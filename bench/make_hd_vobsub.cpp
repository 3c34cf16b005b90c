// Makes a 1920x1080 VobSub pair and its ground truth for the HD OCR benchmark, with the tests' HD generator.
//
// Usage: make_hd_vobsub FOLDER BASE [--family NAME] [--size PIXELS] [--outline PIXELS] [--count N]
//                       [--frame WIDTHxHEIGHT]
// Writes FOLDER/BASE.idx, BASE.sub and BASE.srt: N subtitles (32 without --count) of the sample text drawn
// in the family (DejaVu Sans) at the size (56), white with a black outline of that width (0: none), on a
// frame of 1920x1080 unless --frame names another; and BASE.chars, where each character was drawn.
#include "support/hd_vobsub.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <optional>

int main(int argc, char **argv)
{
    // The text is drawn with QPainter, which needs a platform but no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    auto takeOption = [&args](const char *name) -> std::optional<QString> {
        const qsizetype at = args.indexOf(QLatin1String(name));
        if (at < 0 || at + 1 >= args.size())
            return std::nullopt;
        const QString value = args[at + 1];
        args.remove(at, 2);
        return value;
    };
    auto number = [](const std::optional<QString> &value, int fallback, int low, int high) -> std::optional<int> {
        if (!value)
            return fallback;
        bool ok = false;
        const int n = value->toInt(&ok);
        return ok && n >= low && n <= high ? std::optional<int>(n) : std::nullopt;
    };
    glyfex::test::HdTextStyle style;
    if (const auto family = takeOption("--family"))
        style.family = *family;
    const auto size = number(takeOption("--size"), style.pixelSize, 8, 200);
    const auto outline = number(takeOption("--outline"), 0, 0, 10);
    const auto count = number(takeOption("--count"), 32, 1, 10000);
    // The frame as WIDTHxHEIGHT, 1920x1080 without it.
    bool frameOk = true;
    if (const auto frame = takeOption("--frame")) {
        const QStringList sides = frame->split(QLatin1Char('x'));
        const auto width = sides.size() == 2 ? number(sides[0], 0, 64, 4096) : std::nullopt;
        const auto height = sides.size() == 2 ? number(sides[1], 0, 64, 4096) : std::nullopt;
        frameOk = width && height;
        if (frameOk) {
            style.frameWidth = *width;
            style.frameHeight = *height;
        }
    }
    if (args.size() != 2 || !size || !outline || !count || !frameOk) {
        std::fprintf(stderr, "usage: make_hd_vobsub FOLDER BASE [--family NAME] [--size 8-200] [--outline 0-10] "
                             "[--count 1-10000] [--frame WIDTHxHEIGHT]\n");
        return 1;
    }
    style.pixelSize = *size;
    style.outline = *outline;
    if (!QDir().mkpath(args[0])) {
        std::fprintf(stderr, "make_hd_vobsub: cannot make the folder %s\n", qPrintable(args[0]));
        return 1;
    }
    const QString failed =
        glyfex::test::writeHdVobSub(args[0], args[1], glyfex::test::sampleHdSubtitles(*count), style);
    if (!failed.isEmpty()) {
        std::fprintf(stderr, "make_hd_vobsub: %s\n", qPrintable(failed));
        return 1;
    }
    return 0;
}
