// Tries the X and Wayland connections the way Qt's platforms would, so that a display that is gone is said in one line.
#include "app/display_check.h"

#include <QByteArray>
#include <QStringList>

#include <cerrno>
#include <cstring>

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace glyfex::app {

namespace {

// The reason an X display cannot be used, or nothing when a connection to it opens. libxcb is looked
// up at run time: it is what Qt's X platform connects through, and a machine without it has no X
// platform either.
std::optional<QString> xProblem(const std::optional<QString> &display)
{
    if (!display)
        return QStringLiteral("DISPLAY is not set");
    if (display->isEmpty())
        return QStringLiteral("DISPLAY is empty");
    void *xcb = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!xcb)
        return QStringLiteral("the X display %1 cannot be reached: libxcb.so.1 is not installed").arg(*display);
    using Connect = void *(*)(const char *, int *);
    using HasError = int (*)(void *);
    using Disconnect = void (*)(void *);
    const auto connect = reinterpret_cast<Connect>(dlsym(xcb, "xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(dlsym(xcb, "xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<Disconnect>(dlsym(xcb, "xcb_disconnect"));
    std::optional<QString> problem;
    if (!connect || !hasError || !disconnect) {
        problem = QStringLiteral("the X display %1 cannot be reached: libxcb.so.1 lacks xcb_connect").arg(*display);
    } else {
        const QByteArray name = display->toLocal8Bit();
        void *connection = connect(name.constData(), nullptr);
        // xcb_connect never answers null: a failed connection is an object in an error state.
        if (!connection || hasError(connection) != 0)
            problem = QStringLiteral("the X display %1 does not answer").arg(*display);
        if (connection)
            disconnect(connection);
    }
    dlclose(xcb);
    return problem;
}

// The reason a Wayland display cannot be used, or nothing when its socket takes a connection.
std::optional<QString> waylandProblem(const DisplayRequest &r)
{
    // A compositor that starts the program may hand it a connected socket instead of a name.
    if (!qEnvironmentVariableIsEmpty("WAYLAND_SOCKET"))
        return std::nullopt;
    const QString name = r.waylandDisplay && !r.waylandDisplay->isEmpty() ? *r.waylandDisplay : QStringLiteral("wayland-0");
    QString path = name;
    if (!name.startsWith(QLatin1Char('/'))) {
        if (r.runtimeDir.isEmpty())
            return QStringLiteral("the Wayland display %1 has no socket folder: XDG_RUNTIME_DIR is not set").arg(name);
        path = r.runtimeDir + QLatin1Char('/') + name;
    }
    const QByteArray bytes = path.toLocal8Bit();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(bytes.size()) >= sizeof address.sun_path)
        return QStringLiteral("the Wayland display %1 does not answer: its socket's path is too long").arg(name);
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return QStringLiteral("the Wayland display %1 does not answer: %2").arg(name, QString::fromLocal8Bit(std::strerror(errno)));
    const int connected = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    const int error = errno;
    ::close(fd);
    if (connected == 0)
        return std::nullopt;
    return QStringLiteral("the Wayland display %1 does not answer at %2: %3")
        .arg(name, path, QString::fromLocal8Bit(std::strerror(error)));
}

// The platforms Qt tries: the one asked for (a list separated by ";", each with options after ":"),
// else X, and Wayland too where a Wayland display is named or the session is a Wayland one.
QStringList platformsTried(const DisplayRequest &r)
{
    QStringList tried;
    if (!r.platform.isEmpty()) {
        for (const QString &entry : r.platform.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            tried.append(entry.section(QLatin1Char(':'), 0, 0));
        return tried;
    }
    if (r.waylandDisplay.has_value() || r.sessionType == QLatin1String("wayland"))
        tried.append(QStringLiteral("wayland"));
    tried.append(QStringLiteral("xcb"));
    return tried;
}

std::optional<QString> environmentValue(const char *name)
{
    if (!qEnvironmentVariableIsSet(name))
        return std::nullopt;
    return qEnvironmentVariable(name);
}

} // namespace

DisplayRequest DisplayRequest::fromEnvironment()
{
    DisplayRequest r;
    r.platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    r.xDisplay = environmentValue("DISPLAY");
    r.waylandDisplay = environmentValue("WAYLAND_DISPLAY");
    r.runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    r.sessionType = qEnvironmentVariable("XDG_SESSION_TYPE");
    return r;
}

std::optional<QString> unreachableDisplay(const DisplayRequest &request)
{
    QStringList problems;
    for (const QString &platform : platformsTried(request)) {
        std::optional<QString> problem;
        if (platform == QLatin1String("xcb"))
            problem = xProblem(request.xDisplay);
        else if (platform.startsWith(QLatin1String("wayland")))
            problem = waylandProblem(request);
        else
            return std::nullopt; // offscreen, minimal, vnc, a framebuffer: nothing to connect to first
        if (!problem)
            return std::nullopt;
        if (!problems.contains(*problem))
            problems.append(*problem);
    }
    if (problems.isEmpty())
        return std::nullopt;
    return problems.join(QStringLiteral(", and "));
}

} // namespace glyfex::app
