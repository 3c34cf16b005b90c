// The interface language files in the Lang folders: which languages exist, and where a language's file is.
#pragma once

#include <QString>
#include <QStringList>

namespace glyfex::core {

// A language file is "<language>.lng" in a Lang folder of the program's data folders (the user's
// copy first). File and folder names are matched without regard to letter case, so "deutsch.LNG"
// is the Deutsch file.
class LanguageFiles {
public:
    static constexpr QLatin1String Extension{".lng"};
    // Applying a file whose name holds this reads every hint it does not name as empty.
    static constexpr QLatin1String CurrentFileMarker{"current.lng"};

    // dataDirs: the folders that hold a Lang folder, searched in order.
    explicit LanguageFiles(QStringList dataDirs);

    // Every language with a file, once each, in case-insensitive order.
    QStringList languages() const;

    // The file of a language; empty for a name that is not a plain file name (it holds "/", "\" or
    // ".." and could point outside the Lang folder), and for one without a file: both mean the
    // built-in English texts.
    QString fileOf(const QString &language) const;

    // A language name that cannot leave the Lang folder.
    static bool isPlainName(const QString &language);

private:
    // The Lang folders that exist, in search order.
    QStringList langDirs() const;

    QStringList m_dataDirs;
};

} // namespace glyfex::core
