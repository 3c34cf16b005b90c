// The interface language files in the Lang folders: which languages exist, and where a language's file is.
#include "core/language_file.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace glyfex::core {

LanguageFiles::LanguageFiles(QStringList dataDirs)
    : m_dataDirs(std::move(dataDirs))
{
}

QStringList LanguageFiles::langDirs() const
{
    QStringList dirs;
    for (const QString &data : m_dataDirs) {
        const QDir dir(data);
        for (const QString &sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (sub.compare(QLatin1String("Lang"), Qt::CaseInsensitive) == 0)
                dirs.append(dir.filePath(sub));
        }
    }
    return dirs;
}

QStringList LanguageFiles::languages() const
{
    QStringList names;
    for (const QString &dir : langDirs()) {
        for (const QFileInfo &file : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
            const QString fileName = file.fileName();
            if (fileName.size() <= Extension.size() || !fileName.endsWith(Extension, Qt::CaseInsensitive))
                continue;
            const QString name = fileName.chopped(Extension.size());
            const bool known = std::any_of(names.cbegin(), names.cend(), [&](const QString &n) {
                return n.compare(name, Qt::CaseInsensitive) == 0;
            });
            if (!known)
                names.append(name);
        }
    }
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

bool LanguageFiles::isPlainName(const QString &language)
{
    return !language.isEmpty() && !language.contains(u'/') && !language.contains(u'\\')
        && !language.contains(QLatin1String("..")) && !language.contains(QChar(0));
}

QString LanguageFiles::fileOf(const QString &language) const
{
    if (!isPlainName(language))
        return {};
    const QString wanted = language + Extension;
    for (const QString &dir : langDirs()) {
        // An exact match first, so that of "a.lng" and "A.lng" each names its own file.
        const QFileInfo exact(QDir(dir).filePath(wanted));
        if (exact.isFile())
            return exact.filePath();
        for (const QFileInfo &file : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
            if (file.fileName().compare(wanted, Qt::CaseInsensitive) == 0)
                return file.filePath();
        }
    }
    return {};
}

} // namespace glyfex::core
