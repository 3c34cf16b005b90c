// Writes language files from the running windows for translators, and updates every language's file.
#include "core/ui/language_tools.h"

#include "core/ini_store.h"
#include "core/language_file.h"
#include "core/language_file_writer.h"
#include "core/save_file.h"
#include "core/ui/language_applier.h"

#include <QDir>

namespace glyfex::core::ui {

namespace {

// The lines of a file the writer only borrows from: any failure to read it means it is not there.
QStringList linesOrNone(const QString &path)
{
    Result<QStringList> lines = IniStore::readLines(path);
    return lines ? *lines : QStringList();
}

} // namespace

LanguageTools::LanguageTools(LanguageApplier &applier, const Paths &paths, bool paused)
    : m_applier(applier), m_paths(paths), m_paused(paused)
{
}

QString LanguageTools::updatedDir() const
{
    return QDir(m_paths.writableDataDir()).filePath(QStringLiteral("Lang/Updated"));
}

Result<void> LanguageTools::saveLanguage(const QString &fileName, const QString &language) const
{
    const QString what = QStringLiteral("Cannot write language file");
    const QString dir = updatedDir();
    if (!QDir().mkpath(dir))
        return makeError(what, QDir::toNativeSeparators(dir), QStringLiteral("the folder cannot be made"));
    LanguageFileParts parts;
    parts.language = language;
    parts.version = QLatin1String(ProgramVersion);
    parts.image = m_applier.image().strings();
    parts.credits = linesOrNone(m_paths.findDataFile(QStringLiteral("Credits.txt")));
    parts.existing = linesOrNone(LanguageFiles(m_paths.dataDirs()).fileOf(language));
    const QString path = QDir(dir).filePath(fileName + LanguageFiles::Extension);
    return saveFile(path, IniStore::bytesOf(composeLanguageFile(parts)), what);
}

Result<void> LanguageTools::applyFile(const QString &path) const
{
    return m_applier.apply(path, m_paused);
}

Result<void> LanguageTools::updateAll(const QStringList &languages) const
{
    if (Result<void> saved = saveMaster(); !saved)
        return saved;
    const QString master = QDir(updatedDir()).filePath(MasterName + LanguageFiles::Extension);
    Result<void> result;
    for (const QString &language : languages) {
        const QString file = LanguageFiles(m_paths.dataDirs()).fileOf(language);
        if (result = applyFile(master); !result)
            break;
        if (result = applyFile(file); !result)
            break;
        if (result = saveLanguage(language, language); !result)
            break;
    }
    // The windows show the master's texts whatever happened on the way.
    Result<void> back = applyFile(master);
    return result ? back : result;
}

} // namespace glyfex::core::ui
