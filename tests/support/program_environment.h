// The environment of the real program started by a test: its per-user folders in a scratch folder, the C locale.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QString>

namespace glyfex::test {

// The caller's environment with the XDG configuration, data, cache and runtime folders made below folder
// (the program's own settings there, not the user's) and the C locale.
inline QProcessEnvironment scratchUserEnvironment(const QString &folder)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *var : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString path = QDir(folder).filePath(QLatin1String(var));
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert(QLatin1String(var), path);
    }
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    return env;
}

} // namespace glyfex::test
