// Generated benchmark material: makes a title set once with the DVD fixture tool that GLYFEX_FIXTURE_TOOL names.
#pragma once

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdio>

namespace glyfex::bench {

// The make-dvd-fixture tool, which is not part of the repository: $GLYFEX_FIXTURE_TOOL names it. Empty
// (after saying why) when that is unset or not a program.
inline QString fixtureTool(const char *bench)
{
    const QString tool = qEnvironmentVariable("GLYFEX_FIXTURE_TOOL");
    if (tool.isEmpty()) {
        std::fprintf(stderr, "%s: the material is not made yet, and making it needs the make-dvd-fixture tool: "
                             "set GLYFEX_FIXTURE_TOOL to its path\n", bench);
        return {};
    }
    if (!QFileInfo(tool).isExecutable()) {
        std::fprintf(stderr, "%s: GLYFEX_FIXTURE_TOOL=%s is not an executable file\n", bench, qPrintable(tool));
        return {};
    }
    return tool;
}

// Makes out/name with the tool and its options unless it is there already; bench names the caller in messages.
inline bool ensureFixture(const char *bench, const QString &out, const QString &name, const QStringList &options)
{
    if (QFileInfo::exists(out + QLatin1Char('/') + name + QStringLiteral("/gt.srt")))
        return true;
    const QString tool = fixtureTool(bench);
    if (tool.isEmpty())
        return false;
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
