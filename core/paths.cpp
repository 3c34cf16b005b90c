// Portable or per-user file locations, and the search of read-only data with the user's copy first.
#include "core/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QStandardPaths>

namespace glyfex::core {

namespace {

QString joined(const QString &folder, const QString &name)
{
    return QDir(folder).filePath(name);
}

// A portable install needs the configuration file and its folder writable: the configuration is saved
// through a temporary file beside it, and the character matrices are kept in the same folder.
bool isPortableFolder(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    const QFileInfo ini(joined(folder, Paths::ConfigFileName));
    return ini.isFile() && ini.isWritable() && QFileInfo(folder).isWritable();
}

} // namespace

Paths::Folders Paths::systemFolders()
{
    Folders folders;
    if (QCoreApplication::instance())
        folders.executableDir = QCoreApplication::applicationDirPath();
    folders.configDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    folders.userDataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    folders.sharedDataDirs = shippedDataDirs(folders.executableDir);
    for (const QString &dir : QStandardPaths::standardLocations(QStandardPaths::AppDataLocation)) {
        if (dir != folders.userDataDir)
            folders.sharedDataDirs.append(dir);
    }
    return folders;
}

QStringList Paths::shippedDataDirs(const QString &executableDir)
{
    if (executableDir.isEmpty())
        return {};
    return {joined(executableDir, QStringLiteral("data")),
            QDir::cleanPath(joined(executableDir, QStringLiteral(GLYFEX_DATA_FROM_BIN)))};
}

Paths::Paths(Folders folders) : m_folders(std::move(folders)), m_portable(isPortableFolder(m_folders.executableDir))
{
    if (m_portable) {
        m_dataDirs.append(m_folders.executableDir);
        return;
    }
    for (const QString &dir : QStringList{m_folders.userDataDir} + m_folders.sharedDataDirs) {
        if (!dir.isEmpty() && !m_dataDirs.contains(QDir::cleanPath(dir)))
            m_dataDirs.append(QDir::cleanPath(dir));
    }
}

QString Paths::configFile() const
{
    return joined(m_portable ? m_folders.executableDir : m_folders.configDir, ConfigFileName);
}

QString Paths::chMatrixDir() const
{
    return joined(writableDataDir(), ChMatrixFolder);
}

QStringList Paths::chMatrixDirs() const
{
    QStringList dirs{QDir::cleanPath(chMatrixDir())};
    for (const QString &dir : m_dataDirs) {
        const QString matrices = QDir::cleanPath(joined(dir, ChMatrixFolder));
        if (!dirs.contains(matrices))
            dirs.append(matrices);
    }
    return dirs;
}

QString Paths::writableDataDir() const
{
    return m_portable ? m_folders.executableDir : m_folders.userDataDir;
}

QString Paths::findDataFile(const QString &relative) const
{
    for (const QString &dir : m_dataDirs) {
        const QString path = joined(dir, relative);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

QStringList Paths::dataFiles(const QString &folder, const QStringList &nameFilters) const
{
    QMap<QString, QString> byName; // sorted by file name
    for (const QString &dir : m_dataDirs) {
        const QDir sub(joined(dir, folder));
        for (const QFileInfo &file : sub.entryInfoList(nameFilters, QDir::Files | QDir::Hidden | QDir::System)) {
            if (!byName.contains(file.fileName()))
                byName.insert(file.fileName(), file.filePath());
        }
    }
    return byName.values();
}

Result<void> Paths::createMissingFolders() const
{
    QStringList failed;
    QStringList folders{chMatrixDir()};
    if (!m_portable)
        folders.prepend(m_folders.configDir);
    for (const QString &folder : folders) {
        // mkpath succeeds for an existing folder and fails when a file is in the way.
        if (folder.isEmpty() || !QDir().mkpath(folder) || !QFileInfo(folder).isDir())
            failed.append(QDir::toNativeSeparators(folder));
    }
    if (!failed.isEmpty())
        return makeError(QStringLiteral("Cannot create the folder"), failed.join(QStringLiteral(", ")),
                         QStringLiteral("its parent is not writable or a file has its name"));
    return {};
}

} // namespace glyfex::core
