// Which window platforms the display check tries and what it finds, on sockets made by the test.
#include "app/display_check.h"

#include <QLocalServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace glyfex::app {
namespace {

struct Row {
    const char *name;
    DisplayRequest request;
    bool reachable;
    const char *says = ""; // a part of the reason when not
};

TEST(DisplayCheck, TriesThePlatformsQtTriesInItsOrder)
{
    qunsetenv("WAYLAND_SOCKET");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A compositor's socket: anything that takes a connection there.
    QLocalServer compositor;
    ASSERT_TRUE(compositor.listen(dir.filePath(QStringLiteral("wayland-0"))));
    const QString runtime = dir.path();
    const auto request = [&](QString platform, std::optional<QString> x, std::optional<QString> wayland,
                             QString session = {}) {
        return DisplayRequest{std::move(platform), std::move(x), std::move(wayland), runtime, std::move(session)};
    };
    const Row rows[] = {
        {"OffscreenNeedsNoDisplay", request(QStringLiteral("offscreen"), std::nullopt, std::nullopt), true},
        {"OptionsAfterThePlatformName", request(QStringLiteral("minimal:enable_fonts"), std::nullopt, std::nullopt), true},
        {"AListFallsBackToAPlatformWithoutDisplay",
         request(QStringLiteral("wayland;offscreen"), std::nullopt, QStringLiteral("wayland-9")), true},
        {"XChosenWithoutDisplay", request(QStringLiteral("xcb"), std::nullopt, QStringLiteral("wayland-0")), false,
         "DISPLAY is not set"},
        {"WaylandSocketAnswers", request({}, std::nullopt, QStringLiteral("wayland-0")), true},
        {"WaylandSocketByItsPath", request({}, std::nullopt, dir.filePath(QStringLiteral("wayland-0"))), true},
        {"WaylandSessionFindsTheFirstSocket", request({}, std::nullopt, std::nullopt, QStringLiteral("wayland")), true},
        {"WaylandSocketMissing", request({}, std::nullopt, QStringLiteral("wayland-9")), false,
         "wayland-9 does not answer at"},
        {"WaylandChosenWithoutSocketFolder",
         DisplayRequest{QStringLiteral("wayland"), std::nullopt, QStringLiteral("wayland-0"), {}, {}}, false,
         "XDG_RUNTIME_DIR is not set"},
        // Without a Wayland display or session only X is tried, though wayland-0 answers.
        {"XOnlyOutsideAWaylandSession", request({}, QString(), std::nullopt), false, "DISPLAY is empty"},
        {"BothSaidWhenNeitherAnswers", request({}, QString(), QStringLiteral("wayland-9")), false,
         "No such file or directory, and DISPLAY is empty"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        const std::optional<QString> problem = unreachableDisplay(r.request);
        EXPECT_EQ(!problem, r.reachable) << (problem ? problem->toStdString() : "reachable");
        if (problem) {
            EXPECT_TRUE(problem->contains(QLatin1String(r.says))) << problem->toStdString();
        }
    }
}

} // namespace
} // namespace glyfex::app
