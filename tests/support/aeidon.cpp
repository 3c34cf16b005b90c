// aeidon run through the system Python: reading and writing subtitle files for comparison.
#include "support/aeidon.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

namespace glyfex::test {

namespace {

QString runAeidon(const QString &script, const QStringList &args, const QByteArray &input = {})
{
    static const QString python = aeidonPython();
    if (python.isEmpty()) {
        ADD_FAILURE() << "no python3 with aeidon (python3-aeidon)";
        return {};
    }
    QProcess p;
    p.start(python, QStringList{QStringLiteral("-c"), script} + args);
    if (!input.isEmpty()) {
        p.write(input);
    }
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

QString aeidonPython()
{
    for (const QString &candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess p;
        p.start(candidate, {QStringLiteral("-c"), QStringLiteral("import aeidon")});
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return candidate;
    }
    return {};
}

std::vector<AeidonSub> readWithAeidon(const QString &path, const char *format, const char *encoding)
{
    const QString script = QStringLiteral(
        "import sys, aeidon\n"
        "p = aeidon.Project()\n"
        "p.open_main(sys.argv[1], sys.argv[3])\n"
        "assert p.main_file.format == getattr(aeidon.formats, sys.argv[2]), p.main_file.format\n"
        "for s in p.subtitles:\n"
        "    print('%r\\t%r\\t%d\\t%s' % (s.start_seconds, s.end_seconds, s.start_frame, s.main_text.replace('\\n', '|')))\n");
    const QString out = runAeidon(script, {path, QString::fromLatin1(format), QString::fromLatin1(encoding)});
    std::vector<AeidonSub> subs;
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() != 4) {
            ADD_FAILURE() << "unexpected aeidon line " << line.toStdString();
            continue;
        }
        subs.push_back({f[0].toDouble(), f[1].toDouble(), f[2].toLongLong(), QString(f[3]).replace(QLatin1Char('|'), QLatin1Char('\n'))});
    }
    return subs;
}

void writeWithAeidon(const QString &path, const char *format, const char *encoding, const std::vector<AeidonSub> &subs)
{
    // One subtitle per input line: start, end and text with '|' for line breaks.
    const QString script = QStringLiteral(
        "import sys, aeidon\n"
        "p = aeidon.Project()\n"
        "for line in sys.stdin.read().splitlines():\n"
        "    a, b, t = line.split('\\t')\n"
        "    s = aeidon.Subtitle(aeidon.modes.TIME)\n"
        "    s.start_seconds = float(a); s.end_seconds = float(b); s.main_text = t.replace('|', '\\n')\n"
        "    p.subtitles.append(s)\n"
        "f = aeidon.files.new(getattr(aeidon.formats, sys.argv[2]), sys.argv[1], sys.argv[3])\n"
        "p.main_file = f\n"
        "p.save_main(f)\n");
    QByteArray input;
    for (const AeidonSub &s : subs)
        input += QStringLiteral("%1\t%2\t%3\n").arg(s.start).arg(s.end).arg(QString(s.text).replace(QLatin1Char('\n'), QLatin1Char('|'))).toUtf8();
    runAeidon(script, {path, QString::fromLatin1(format), QString::fromLatin1(encoding)}, input);
}

} // namespace glyfex::test
