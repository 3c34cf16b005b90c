// The translators' tools: a language file written from the running windows, and every language file brought up to date.
#pragma once

#include "core/paths.h"
#include "core/result.h"

#include <QString>
#include <QStringList>

namespace glyfex::core::ui {

class LanguageApplier;

// Files go to the folder Lang/Updated of the program's writable data folder; the language files in
// the Lang folders are only read.
class LanguageTools {
public:
    static constexpr QLatin1String MasterName{"current"};

    LanguageTools(LanguageApplier &applier, const Paths &paths, bool paused);

    QString updatedDir() const;
    // Writes updatedDir()/<fileName>.lng for the language from the texts the windows show now. A missing
    // or unreadable Credits.txt or language file only leaves out the translator's name or the notes.
    Result<void> saveLanguage(const QString &fileName, const QString &language) const;
    // The master file current.lng from the texts shown now (they count as English).
    Result<void> saveMaster() const { return saveLanguage(MasterName, QStringLiteral("English")); }
    // The master file, then for each language (in the order given) its file with the master's texts
    // wherever the language does not translate one; the windows end showing the master's texts.
    // Stops at the first failure.
    Result<void> updateAll(const QStringList &languages) const;

private:
    Result<void> applyFile(const QString &path) const;

    LanguageApplier &m_applier;
    const Paths &m_paths;
    bool m_paused;
};

} // namespace glyfex::core::ui
