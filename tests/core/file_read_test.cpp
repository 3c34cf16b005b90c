// The bounded reader of plain files, and every reader of outside data given a device, a pipe nobody writes or a link to a device.
#include "core/file_read.h"

#include "core/bmp_out_settings.h"
#include "core/config.h"
#include "core/ini_store.h"
#include "core/pass_host.h"
#include "recognition/char_matrix.h"
#include "recognition/char_matrix_file.h"
#include "recognition/freetype_text_renderer.h"
#include "recognition/scripted_answerer.h"
#include "ripping/ifo_reader.h"
#include "ripping/stream_scan.h"
#include "ripping/subtitle_map.h"
#include "ripping/vobsub_index.h"
#include "sources/avi_player.h"
#include "sources/image_seq_script.h"
#include "sources/sequence_picture.h"
#include "subtitles/avi_header.h"
#include "subtitles/correction_dictionary.h"
#include "subtitles/subtitle_loader.h"
#include "support/special_files.h"
#include "support/test_data.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

#include <sys/resource.h>

namespace glyfex {
namespace {

template <class T>
QString errorOf(const core::Result<T> &r)
{
    return r ? QString() : r.error().message();
}

// ---- The reader itself, on plain files and on what is not one.

TEST(ReadPlainFile, ReadsAPlainFileOrALinkToOneWholeUpToItsCap)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("eight.txt"));
    test::writeBytes(file, "12345678");
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(file, link));
    for (const QString &path : {file, link}) {
        SCOPED_TRACE(path.toStdString());
        auto exact = core::readPlainFile(path, 8, QStringLiteral("Cannot read"));
        ASSERT_TRUE(exact.ok()) << exact.error().message().toStdString();
        EXPECT_EQ(*exact, QByteArray("12345678"));
    }
    test::writeBytes(dir.filePath(QStringLiteral("empty")), QByteArray());
    auto empty = core::readPlainFile(dir.filePath(QStringLiteral("empty")), 0, QStringLiteral("Cannot read"));
    ASSERT_TRUE(empty.ok());
    EXPECT_TRUE(empty->isEmpty());
}

TEST(ReadPlainFile, OneByteOverTheCapIsRefusedByTheCallersError)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("nine.txt"));
    test::writeBytes(file, "123456789");
    auto byDefault = core::readPlainFile(file, 8, QStringLiteral("Cannot read the list"));
    ASSERT_FALSE(byDefault.ok());
    EXPECT_EQ(byDefault.error().what, QStringLiteral("Cannot read the list"));
    EXPECT_EQ(byDefault.error().where, QDir::toNativeSeparators(file));
    EXPECT_TRUE(byDefault.error().why.contains(QStringLiteral("9 bytes"))) << byDefault.error().why.toStdString();

    qint64 told = 0;
    auto own = core::readPlainFile(file, 8, QStringLiteral("Cannot read the list"), [&told](qint64 size) {
        told = size;
        return core::makeError(QStringLiteral("Too long"), QStringLiteral("here"));
    });
    ASSERT_FALSE(own.ok());
    EXPECT_EQ(own.error().what, QStringLiteral("Too long"));
    EXPECT_EQ(told, 9);
}

// What each kind of name is said to be; nothing of them is read.
TEST(ReadPlainFile, WhatIsNoPlainFileIsRefusedWithWhatItIs)
{
    QTemporaryDir dir;
    struct Row {
        const char *name;
        std::function<QString(const QString &)> make; // empty text when made
        const char *said;
    };
    const Row rows[] = {
        {"folder", [](const QString &p) { return QDir().mkdir(p) ? QString() : QStringLiteral("no folder"); }, "it is a folder"},
        {"missing", [](const QString &) { return QString(); }, "No such file"},
        {"dangling link",
         [&dir](const QString &p) { return QFile::link(dir.filePath(QStringLiteral("nowhere")), p) ? QString() : QStringLiteral("no link"); },
         "No such file"},
        {"pipe", [](const QString &p) { return test::makeSpecialFile(test::SpecialFile::LonelyPipe, p); }, "it is a named pipe"},
        {"link to a device", [](const QString &p) { return test::makeSpecialFile(test::SpecialFile::LinkToZero, p); },
         "it is a character device"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        const QString path = dir.filePath(QLatin1String(r.name));
        const QString refused = r.make(path);
        ASSERT_TRUE(refused.isEmpty()) << refused.toStdString();
        auto whole = core::readPlainFile(path, 1024, QStringLiteral("Cannot read"));
        ASSERT_FALSE(whole.ok());
        EXPECT_EQ(whole.error().where, QDir::toNativeSeparators(path));
        EXPECT_TRUE(whole.error().why.contains(QLatin1String(r.said))) << whole.error().why.toStdString();
        QFile file(path);
        auto opened = core::openPlainFile(file, QStringLiteral("Cannot open"));
        ASSERT_FALSE(opened.ok());
        EXPECT_FALSE(file.isOpen());
        EXPECT_EQ(opened.error().why, whole.error().why);
        EXPECT_EQ(core::plainFileProblem(path), whole.error().why);
    }
}

TEST(OpenPlainFile, APlainFileIsReadByOffset)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sectors.vob"));
    test::writeBytes(path, "abcdefgh");
    QFile file(path);
    ASSERT_TRUE(core::openPlainFile(file, QStringLiteral("Cannot open")).ok());
    EXPECT_EQ(file.fileName(), path);
    EXPECT_EQ(file.size(), 8);
    ASSERT_TRUE(file.seek(5));
    EXPECT_EQ(file.read(10), QByteArray("fgh"));
    EXPECT_TRUE(core::plainFileProblem(path).isEmpty());
}

// ---- Every reader of a file the user or the disc hands the program.

struct Reader {
    const char *name;
    const char *fileName; // the name the reader is given, its extension as it comes
    std::function<QString(const QString &path)> read; // the error's message
};

const Reader kReaders[] = {
    {"settings file", "Glyfex.ini",
     [](const QString &p) { return errorOf(core::Config::loadFile(p, {}, {}, QLocale::c(), {})); }},
    {"bitmap presets", "Glyfex.ini", [](const QString &p) { return errorOf(core::loadBmpOutPresets(p, 0)); }},
    {"bitmap profile", "film.ini", [](const QString &p) { return errorOf(core::loadBmpOutProfile(p, 0)); }},
    {"language file or CharMap.ini", "CharMap.ini", [](const QString &p) { return errorOf(core::IniStore::open(p)); }},
    {"credits", "Credits.txt", [](const QString &p) { return errorOf(core::IniStore::readLines(p)); }},
    {"subtitle map", "VTS_01_1.gxm", [](const QString &p) { return errorOf(ripping::SubtitleMap::load(p, 1 << 20)); }},
    {"IFO", "VTS_01_0.IFO", [](const QString &p) { return errorOf(ripping::readIfoFile(p)); }},
    {"IFO palette", "VTS_01_0.IFO", [](const QString &p) { return errorOf(ripping::readIfoPalette(p)); }},
    {"VobSub index", "film.idx", [](const QString &p) { return errorOf(ripping::readVobSubIndex(p)); }},
    {"VOB sectors", "VTS_01_1.VOB",
     [](const QString &p) {
         core::NullPassHost host;
         return errorOf(ripping::scanSubpictureStreams({p}, host, {}));
     }},
    {"character matrix", "film.gxc",
     [](const QString &p) {
         recognition::CharMatrix matrix;
         core::NullPassHost host;
         return errorOf(recognition::loadCharMatrix(p, matrix, 0, host));
     }},
    {"dictionary", "Dict.txt", [](const QString &p) { return errorOf(subtitles::loadDictionary(p)); }},
    {"subtitle file", "film.srt",
     [](const QString &p) {
         return errorOf(subtitles::loadSubtitleFile(p, {}, [](int, const core::Error &) { return subtitles::ParseErrorAnswer::Stop; }));
     }},
    {"image sequence script", "film.txt", [](const QString &p) { return errorOf(sources::readImageSeqScript(p)); }},
    {"sequence picture", "film0001.png", [](const QString &p) { return errorOf(sources::loadSequencePicture(p)); }},
    {"AVI header", "film.avi", [](const QString &p) { return errorOf(subtitles::readAviHeader(p)); }},
    {"video", "film.avi",
     [](const QString &p) {
         sources::AviPlayer player;
         return errorOf(player.setFileName(p));
     }},
    {"font", "face.ttf", [](const QString &p) { return errorOf(recognition::FreeTypeTextRenderer::open(p, 0, 10, 10)); }},
    {"ground truth", "gt.srt", [](const QString &p) { return errorOf(recognition::readGroundTruth(p)); }},
};

struct Kind {
    const char *name;
    test::SpecialFile kind;
};

void PrintTo(const Kind &k, std::ostream *os)
{
    *os << k.name;
}

class ReaderOfSpecialFile : public ::testing::TestWithParam<Kind> {};

// Each reader says the file and what it is, at once: none waits for a writer or reads a device without end.
TEST_P(ReaderOfSpecialFile, RefusesItNamingTheFileWithoutWaitingOrReading)
{
    const test::SpecialFile kind = GetParam().kind;
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    for (const Reader &r : kReaders) {
        SCOPED_TRACE(r.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QLatin1String(r.fileName));
        if (const QString refused = test::makeSpecialFile(kind, path); !refused.isEmpty())
            GTEST_SKIP() << refused.toStdString();
        QString error;
        // Generous: a reader that hangs never ends, one that refuses ends in microseconds.
        ASSERT_TRUE(test::endsWithin(20, path, [&] { error = r.read(path); })) << "the reader waited on the pipe";
        EXPECT_TRUE(error.contains(QLatin1String(r.fileName))) << error.toStdString();
        EXPECT_TRUE(error.contains(test::specialFileKindText(kind))) << error.toStdString();
    }
    // Nothing was read into memory: the largest cap among the readers is hundreds of megabytes.
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 16 * 1024) << "kilobytes more at the peak";
}

const Kind kKinds[] = {
    {"DeviceLikeDevZero", test::SpecialFile::ZeroDevice},
    {"DeviceLikeDevFull", test::SpecialFile::FullDevice},
    {"PipeWithoutWriter", test::SpecialFile::LonelyPipe},
    {"LinkToDevZero", test::SpecialFile::LinkToZero},
};

INSTANTIATE_TEST_SUITE_P(, ReaderOfSpecialFile, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind> &info) { return std::string(info.param.name); });

} // namespace
} // namespace glyfex
