// Where the program keeps its files: the configuration, language files, character matrices, dictionaries.
#pragma once

#include "core/result.h"

#include <QLatin1String>
#include <QString>
#include <QStringList>

namespace glyfex::core {

// Answers where every file of the program lives. A folder holding the executable and a writable
// Glyfex.ini is a portable install: everything sits beside the executable, in the program's own
// layout. Otherwise the configuration is the user's, read-only data (Lang, Dict, CharMap.ini) is
// looked up in the user's data folder first and then in the shipped data, and the character matrices
// live in the user's data folder.
class Paths {
public:
    static constexpr QLatin1String ConfigFileName{"Glyfex.ini"};
    static constexpr QLatin1String LangFolder{"Lang"};
    static constexpr QLatin1String ChMatrixFolder{"ChMatrix"};
    static constexpr QLatin1String DictFolder{"Dict"};
    static constexpr QLatin1String CharMapFileName{"CharMap.ini"};

    // The folders the answers are made from; explicit so that tests can use scratch folders.
    struct Folders {
        QString executableDir;      // folder of the running program
        QString configDir;          // the user's configuration folder
        QString userDataDir;        // the user's writable data folder
        QStringList sharedDataDirs; // shipped read-only data, searched after the user's folder
    };

    // The folders of this program on this system: QCoreApplication's program folder, the
    // QStandardPaths configuration and data locations, and the shipped data found from the executable.
    static Folders systemFolders();
    // Where the shipped data of a program in executableDir is: the "data" folder beside it in the build
    // tree, and the data folder an install puts beside its bin folder (share/glyfex), so that an
    // installed program finds its data wherever its prefix is.
    static QStringList shippedDataDirs(const QString &executableDir);

    explicit Paths(Folders folders);

    bool isPortable() const { return m_portable; }
    // The configuration file (Glyfex.ini).
    QString configFile() const;
    // The folder of the user's character matrices.
    QString chMatrixDir() const;
    // Every folder of character matrices, in search order: the user's, then the shipped ones.
    QStringList chMatrixDirs() const;
    // Where the program writes data files of its own (the character palette, updated language files).
    QString writableDataDir() const;
    // The folders searched for read-only data, in order: the user's copy first.
    QStringList dataDirs() const { return m_dataDirs; }

    // The first existing file at relative (e.g. "Lang/Deutsch.lng") in the data folders; empty when none.
    QString findDataFile(const QString &relative) const;
    // The files of a data subfolder (e.g. "Dict") matching the name filters, one per file name (the
    // copy in the earlier data folder wins), sorted by file name.
    QStringList dataFiles(const QString &folder, const QStringList &nameFilters) const;

    // Creates the configuration folder and the character matrix folder when they are missing. The
    // program goes on without them; the error names the folder that could not be made.
    Result<void> createMissingFolders() const;

private:
    Folders m_folders;
    bool m_portable = false;
    QStringList m_dataDirs;
};

} // namespace glyfex::core
