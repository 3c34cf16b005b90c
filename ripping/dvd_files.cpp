// Finding the files of a DVD title set in a folder: names may be upper or lower case on Linux.
#include "ripping/dvd_files.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace glyfex::ripping {

namespace {

// The name up to its last dot, or the whole name when it has none.
QString baseOf(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

} // namespace

QStringList findFilesLike(const QString &folder, const QString &prefix, const QString &suffix)
{
    QDir dir(folder);
    const QStringList all = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    QStringList names;
    for (const QString &name : all) {
        if (name.size() >= prefix.size() + suffix.size() && name.startsWith(prefix, Qt::CaseInsensitive)
            && name.endsWith(suffix, Qt::CaseInsensitive))
            names << name;
    }
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    QStringList paths;
    for (const QString &name : names)
        paths << dir.filePath(name);
    return paths;
}

QStringList titleSetVobFiles(const QString &fileName)
{
    const QFileInfo info(fileName);
    const QString name = info.fileName();
    return findFilesLike(info.path(), name.left(std::max<qsizetype>(0, name.size() - 5)), QStringLiteral(".VOB"));
}

QString titleSetIfoFile(const QString &vobFileName)
{
    const QFileInfo info(vobFileName);
    const QString name = info.fileName();
    const QString prefix = name.left(std::max<qsizetype>(0, name.size() - 5));
    for (const QString &ext : {QStringLiteral(".IFO"), QStringLiteral(".BUP")}) {
        const QStringList found = findFilesLike(info.path(), prefix, ext);
        if (!found.isEmpty()) return found.first();
    }
    return {};
}

QString firstFileLike(const QString &fileName, const QString &suffix)
{
    const QFileInfo info(fileName);
    const QStringList found = findFilesLike(info.path(), baseOf(info.fileName()), suffix);
    return found.isEmpty() ? QString() : found.first();
}

QString withOtherExtension(const QString &fileName, const QString &extension)
{
    const QFileInfo info(fileName);
    const QString wanted = baseOf(info.fileName()) + extension;
    for (const QString &path : findFilesLike(info.path(), wanted, QString()))
        if (QFileInfo(path).fileName().compare(wanted, Qt::CaseInsensitive) == 0) return path;
    return {};
}

bool isMenuVob(const QString &fileName)
{
    return QFileInfo(fileName).fileName().endsWith(QStringLiteral("_0.vob"), Qt::CaseInsensitive);
}

} // namespace glyfex::ripping
