// Paths: portable install versus per-user folders, the data search order and the folders made at start-up.
#include "core/paths.h"

#include "support/test_data.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <unistd.h>

using glyfex::core::Paths;
using glyfex::test::writeBytes;

namespace {

// A scratch system: the executable's folder, the user's config and data folders, two shipped data folders.
class PathsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_root.isValid()); }

    QString dir(const QString &name) const { return m_root.filePath(name); }
    void touch(const QString &relative, const QByteArray &bytes = "x") const { writeBytes(dir(relative), bytes); }

    Paths::Folders folders() const
    {
        QDir().mkpath(dir(QStringLiteral("exe")));
        return {dir(QStringLiteral("exe")), dir(QStringLiteral("config")), dir(QStringLiteral("user")),
                {dir(QStringLiteral("exe/data")), dir(QStringLiteral("system"))}};
    }

    static bool runningAsRoot() { return geteuid() == 0; }

private:
    QTemporaryDir m_root;
};

} // namespace

TEST_F(PathsTest, WritableIniBesideTheExecutableMakesAPortableInstall)
{
    touch(QStringLiteral("exe/Glyfex.ini"));
    touch(QStringLiteral("exe/Lang/Deutsch.lng"), "portable");
    touch(QStringLiteral("user/Lang/Deutsch.lng"), "user");
    touch(QStringLiteral("exe/data/Dict/punct.dic"));

    const Paths paths(folders());
    EXPECT_TRUE(paths.isPortable());
    EXPECT_EQ(paths.configFile(), dir(QStringLiteral("exe/Glyfex.ini")));
    EXPECT_EQ(paths.chMatrixDir(), dir(QStringLiteral("exe/ChMatrix")));
    EXPECT_EQ(paths.writableDataDir(), dir(QStringLiteral("exe")));
    EXPECT_EQ(paths.findDataFile(QStringLiteral("Lang/Deutsch.lng")), dir(QStringLiteral("exe/Lang/Deutsch.lng")));
    // The program's own layout only: no per-user or shipped copies are mixed in.
    EXPECT_TRUE(paths.findDataFile(QStringLiteral("Dict/punct.dic")).isEmpty());
}

TEST_F(PathsTest, WithoutAPortableIniTheUsersFoldersAreUsed)
{
    const struct {
        const char *name;
        bool iniIsAFolder;
    } rows[] = {
        {"no ini", false},
        {"ini is a folder", true},
    };
    for (const auto &row : rows) {
        if (row.iniIsAFolder)
            QDir().mkpath(dir(QStringLiteral("exe/Glyfex.ini")));
        const Paths paths(folders());
        EXPECT_FALSE(paths.isPortable()) << row.name;
        EXPECT_EQ(paths.configFile(), dir(QStringLiteral("config/Glyfex.ini"))) << row.name;
        EXPECT_EQ(paths.chMatrixDir(), dir(QStringLiteral("user/ChMatrix"))) << row.name;
        EXPECT_EQ(paths.writableDataDir(), dir(QStringLiteral("user"))) << row.name;
        EXPECT_EQ(paths.dataDirs(), (QStringList{dir(QStringLiteral("user")), dir(QStringLiteral("exe/data")),
                                                 dir(QStringLiteral("system"))}))
            << row.name;
    }
}

TEST_F(PathsTest, ReadOnlyIniOrFolderIsNotPortable)
{
    if (runningAsRoot())
        GTEST_SKIP() << "root may write read-only files";
    touch(QStringLiteral("exe/Glyfex.ini"));
    const QString ini = dir(QStringLiteral("exe/Glyfex.ini"));
    const QString exe = dir(QStringLiteral("exe"));

    QFile::setPermissions(ini, QFile::ReadOwner | QFile::ReadUser);
    EXPECT_FALSE(Paths(folders()).isPortable()) << "read-only ini";

    QFile::setPermissions(ini, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    QFile::setPermissions(exe, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadUser | QFile::ExeUser);
    EXPECT_FALSE(Paths(folders()).isPortable()) << "read-only program folder";
    QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                                   QFile::WriteUser | QFile::ExeUser);
    EXPECT_TRUE(Paths(folders()).isPortable());
}

TEST_F(PathsTest, ReadOnlyDataIsFoundInTheUsersFolderFirst)
{
    touch(QStringLiteral("user/Lang/Deutsch.lng"));
    touch(QStringLiteral("exe/data/Lang/Deutsch.lng"));
    touch(QStringLiteral("exe/data/Lang/Francais.lng"));
    touch(QStringLiteral("system/Lang/Italiano.lng"));
    touch(QStringLiteral("system/Lang/Francais.lng"));
    touch(QStringLiteral("system/Lang/readme.txt"));
    touch(QStringLiteral("system/CharMap.ini"));

    const Paths paths(folders());
    const struct {
        const char *relative;
        const char *found; // empty: none
    } rows[] = {
        {"Lang/Deutsch.lng", "user/Lang/Deutsch.lng"},
        {"Lang/Francais.lng", "exe/data/Lang/Francais.lng"},
        {"CharMap.ini", "system/CharMap.ini"},
        {"Dict/punct.dic", ""},
        {"Lang", ""}, // a folder is not a data file
    };
    for (const auto &row : rows) {
        const QString expected = *row.found ? dir(QLatin1String(row.found)) : QString();
        EXPECT_EQ(paths.findDataFile(QLatin1String(row.relative)), expected) << row.relative;
    }

    EXPECT_EQ(paths.dataFiles(QStringLiteral("Lang"), {QStringLiteral("*.lng")}),
              (QStringList{dir(QStringLiteral("user/Lang/Deutsch.lng")), dir(QStringLiteral("exe/data/Lang/Francais.lng")),
                           dir(QStringLiteral("system/Lang/Italiano.lng"))}));
    EXPECT_TRUE(paths.dataFiles(QStringLiteral("Dict"), {QStringLiteral("*.dic")}).isEmpty());
}

TEST_F(PathsTest, MissingConfigAndMatrixFoldersAreCreated)
{
    const Paths paths(folders());
    ASSERT_FALSE(QFileInfo::exists(paths.chMatrixDir()));
    const auto created = paths.createMissingFolders();
    ASSERT_TRUE(created.ok()) << created.error().message().toStdString();
    EXPECT_TRUE(QFileInfo(paths.chMatrixDir()).isDir());
    EXPECT_TRUE(QFileInfo(dir(QStringLiteral("config"))).isDir());
    // Existing folders are fine.
    EXPECT_TRUE(paths.createMissingFolders().ok());
}

TEST_F(PathsTest, AFolderThatCannotBeMadeIsNamedInTheError)
{
    touch(QStringLiteral("exe/Glyfex.ini"));
    touch(QStringLiteral("exe/ChMatrix"), "a file in the way");
    const Paths paths(folders());
    ASSERT_TRUE(paths.isPortable());
    const auto created = paths.createMissingFolders();
    ASSERT_FALSE(created.ok());
    EXPECT_TRUE(created.error().where.contains(QLatin1String("ChMatrix"))) << created.error().message().toStdString();
}

// The shipped data is found from the program's own folder, wherever the build tree or an install prefix is.
TEST_F(PathsTest, ShippedDataIsFoundFromTheProgramsFolder)
{
    const struct {
        const char *name;
        const char *executableDir;
        const char *charMap; // where the layout puts CharMap.ini
    } rows[] = {
        {"build tree", "build", "build/data/CharMap.ini"},
        {"install prefix", "prefix/bin", "prefix/share/glyfex/CharMap.ini"},
        {"moved install prefix", "elsewhere/bin", "elsewhere/share/glyfex/CharMap.ini"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        touch(QLatin1String(row.charMap));
        const QString executableDir = dir(QLatin1String(row.executableDir));
        QDir().mkpath(executableDir);
        const Paths paths({executableDir, dir(QStringLiteral("config")), dir(QStringLiteral("user")),
                           Paths::shippedDataDirs(executableDir)});
        EXPECT_FALSE(paths.isPortable());
        EXPECT_EQ(paths.findDataFile(QStringLiteral("CharMap.ini")), dir(QLatin1String(row.charMap)));
    }
    EXPECT_TRUE(Paths::shippedDataDirs(QString()).isEmpty()) << "no program folder, no shipped data";
}
