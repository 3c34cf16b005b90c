// Finding language files: the language list from the Lang folders and the file of one language.
#include "core/language_file.h"

#include "support/test_data.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace glyfex::core;

namespace {

void touch(const QString &path)
{
    glyfex::test::writeBytes(path, QByteArray());
}

} // namespace

TEST(LanguageFiles, ListsEachLanguageOnceInCaseInsensitiveOrder)
{
    QTemporaryDir user;
    QTemporaryDir shipped;
    touch(user.filePath(QStringLiteral("Lang/polski.lng")));
    touch(shipped.filePath(QStringLiteral("Lang/Deutsch.lng")));
    touch(shipped.filePath(QStringLiteral("Lang/Francais.LNG")));
    touch(shipped.filePath(QStringLiteral("Lang/Polski.lng"))); // the user's copy comes first
    touch(shipped.filePath(QStringLiteral("Lang/readme.txt")));
    touch(shipped.filePath(QStringLiteral("Lang/.lng")));
    const LanguageFiles files({user.path(), shipped.path(), QStringLiteral("/nonexistent")});
    EXPECT_EQ(files.languages(), (QStringList{QStringLiteral("Deutsch"), QStringLiteral("Francais"),
                                              QStringLiteral("polski")}));
}

TEST(LanguageFiles, FindsALanguagesFileWithoutRegardToCase)
{
    QTemporaryDir data;
    touch(data.filePath(QStringLiteral("lang/Francais.LNG")));
    touch(data.filePath(QStringLiteral("lang/Deutsch.lng")));
    const LanguageFiles files({data.path()});
    EXPECT_EQ(files.fileOf(QStringLiteral("francais")), data.filePath(QStringLiteral("lang/Francais.LNG")));
    EXPECT_EQ(files.fileOf(QStringLiteral("Deutsch")), data.filePath(QStringLiteral("lang/Deutsch.lng")));
    EXPECT_TRUE(files.fileOf(QStringLiteral("Italiano")).isEmpty());
    EXPECT_TRUE(files.fileOf(QStringLiteral("1stRun")).isEmpty());
    EXPECT_TRUE(files.fileOf(QString()).isEmpty());
}

TEST(LanguageFiles, ANameThatLeavesTheLangFolderMeansEnglish)
{
    QTemporaryDir data;
    touch(data.filePath(QStringLiteral("Lang/Deutsch.lng")));
    touch(data.filePath(QStringLiteral("secret.lng")));
    touch(data.filePath(QStringLiteral("Lang/sub/x.lng")));
    const LanguageFiles files({data.path()});
    for (const char *name : {"../secret", "sub/x", "sub\\x", "..", "/etc/passwd"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(LanguageFiles::isPlainName(QString::fromLatin1(name)));
        EXPECT_TRUE(files.fileOf(QString::fromLatin1(name)).isEmpty());
    }
    EXPECT_TRUE(LanguageFiles::isPlainName(QStringLiteral("Spanish (Castellano)")));
}
