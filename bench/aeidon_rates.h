// Runs a Python script that times aeidon and prints "NAME subtitles-per-second" lines; the benchmarks' reference.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <map>
#include <string>

namespace glyfex::bench {

// The rates the script prints, by name; empty when no Python with aeidon ran it.
inline std::map<std::string, double> aeidonRates(const QString &script, const QStringList &args)
{
    std::map<std::string, double> rates;
    for (const QString &python : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess p;
        p.start(python, QStringList{QStringLiteral("-c"), script} + args);
        if (!p.waitForFinished(600000) || p.exitCode() != 0)
            continue;
        for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList f = line.split(QLatin1Char(' '));
            if (f.size() == 2)
                rates[f[0].toStdString()] = f[1].toDouble();
        }
        break;
    }
    return rates;
}

} // namespace glyfex::bench
