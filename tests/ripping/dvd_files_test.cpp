// Finding title-set files by name in either case, sorted, as the input dialog lists them.
#include "ripping/dvd_files.h"

#include "support/qt_print.h"
#include "support/test_data.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace glyfex::ripping;

namespace {

class DvdFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char *name : {"VTS_01_0.IFO", "vts_01_0.bup", "VTS_01_0.VOB", "vts_01_2.vob", "VTS_01_1.VOB",
                                 "VTS_01_10.Vob", "VTS_02_0.ifo", "VTS_02_1.VOB", ".VTS_01_9.VOB", "movie.sub",
                                 "movie.IDX", "movie.ifo.txt", "notes.txt"})
            glyfex::test::writeBytes(m_dir.filePath(QString::fromLatin1(name)), "x");
    }
    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QStringList names(const QStringList &paths) const
    {
        QStringList out;
        for (const QString &p : paths) out << QFileInfo(p).fileName();
        return out;
    }
    QString name(const QString &p) const { return p.isEmpty() ? QString() : QFileInfo(p).fileName(); }

    QTemporaryDir m_dir;
};

TEST_F(DvdFiles, TitleSetVobsInEitherCaseSortedByName)
{
    const QStringList expected{"VTS_01_0.VOB", "VTS_01_1.VOB", "VTS_01_10.Vob", "vts_01_2.vob"};
    EXPECT_EQ(names(titleSetVobFiles(path("VTS_01_0.IFO"))), expected);
    EXPECT_EQ(names(titleSetVobFiles(path("vts_01_2.vob"))), expected);
    EXPECT_EQ(names(titleSetVobFiles(path("VTS_02_0.ifo"))), QStringList{"VTS_02_1.VOB"});
    EXPECT_TRUE(names(findFilesLike(m_dir.path(), QString(), QStringLiteral(".vob"))).contains(".VTS_01_9.VOB"))
        << "hidden files count";
}

TEST_F(DvdFiles, SiblingFilesByPatternAndExtension)
{
    const struct {
        QString found, expected;
    } rows[] = {
        {titleSetIfoFile(path("VTS_01_1.VOB")), "VTS_01_0.IFO"},
        {titleSetIfoFile(path("VTS_02_1.VOB")), "VTS_02_0.ifo"},
        {titleSetIfoFile(path("VTS_03_1.VOB")), ""},
        {firstFileLike(path("movie.sub"), QStringLiteral(".idx")), "movie.IDX"},
        {firstFileLike(path("movie.IDX"), QStringLiteral(".sub")), "movie.sub"},
        {withOtherExtension(path("movie.sub"), QStringLiteral(".ifo")), ""},
        {withOtherExtension(path("vts_01_0.bup"), QStringLiteral(".ifo")), "VTS_01_0.IFO"},
        {withOtherExtension(path("movie.sub"), QStringLiteral(".idx")), "movie.IDX"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(name(row.found), row.expected);
    // Without an IFO the backup stands in.
    QFile::remove(path("VTS_01_0.IFO"));
    EXPECT_EQ(name(titleSetIfoFile(path("VTS_01_1.VOB"))), QStringLiteral("vts_01_0.bup"));
}

TEST(DvdFileNames, MenuVobInAnyCase)
{
    EXPECT_TRUE(isMenuVob(QStringLiteral("/d/VTS_01_0.VOB")));
    EXPECT_TRUE(isMenuVob(QStringLiteral("/d/vts_01_0.vob")));
    EXPECT_TRUE(isMenuVob(QStringLiteral("/d/VTS_01_0.Vob")));
    EXPECT_FALSE(isMenuVob(QStringLiteral("/d/VTS_01_1.VOB")));
    EXPECT_FALSE(isMenuVob(QStringLiteral("/d/VTS_01_10.VOB")));
}

} // namespace
