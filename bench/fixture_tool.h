// Generated benchmark material: finds the shared DVD fixture tool and makes a title set with it once.
#pragma once

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdio>

namespace glyfex::bench {

// The make-dvd-fixture tool: $GLYFEX_SHARED_TOOLS first, then the shared folder beside the checkout.
inline QString fixtureTool()
{
    QStringList candidates;
    if (const QString env = qEnvironmentVariable("GLYFEX_SHARED_TOOLS"); !env.isEmpty())
        candidates << env;
    candidates << QStringLiteral(GLYFEX_SOURCE_DIR "/../shared/tools") << QStringLiteral(GLYFEX_SOURCE_DIR "/../../shared/tools")
               << QStringLiteral("/work/shared/tools");
    for (const QString &dir : candidates)
        if (QFileInfo::exists(dir + QStringLiteral("/make-dvd-fixture")))
            return dir + QStringLiteral("/make-dvd-fixture");
    return {};
}

// Makes out/name with the tool and its options unless it is there already; bench names the caller in messages.
inline bool ensureFixture(const char *bench, const QString &out, const QString &name, const QStringList &options)
{
    if (QFileInfo::exists(out + QLatin1Char('/') + name + QStringLiteral("/gt.srt")))
        return true;
    const QString tool = fixtureTool();
    if (tool.isEmpty()) {
        std::fprintf(stderr, "%s: make-dvd-fixture not found (set GLYFEX_SHARED_TOOLS)\n", bench);
        return false;
    }
    QDir().mkpath(out);
    std::fprintf(stderr, "%s: generating %s ...\n", bench, qPrintable(name));
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(tool, QStringList{out, name} + options);
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s: generating %s failed\n", bench, qPrintable(name));
        return false;
    }
    return true;
}

// The first argument, when it is not a benchmark flag, names the material to read; it is taken out of
// argv so that the benchmark library sees only its own flags. Empty when there is none.
inline QString takeFileArgument(int &argc, char **argv)
{
    if (argc < 2 || argv[1][0] == '-')
        return {};
    const QString file = QString::fromLocal8Bit(argv[1]);
    for (int i = 1; i + 1 < argc; ++i)
        argv[i] = argv[i + 1];
    --argc;
    return file;
}

} // namespace glyfex::bench
