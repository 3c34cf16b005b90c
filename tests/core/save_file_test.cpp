// Saving through a temporary file: the helper on an ordinary disk, and every kind of save the program makes on a full one.
#include "core/save_file.h"

#include "core/bmp_out_settings.h"
#include "core/bmp_writer.h"
#include "core/config.h"
#include "core/ini_store.h"
#include "core/messages.h"
#include "core/user_prompt.h"
#include "recognition/char_matrix_file.h"
#include "recognition/mask_file.h"
#include "ripping/subtitle_map.h"
#include "subtitles/subtitle_saver.h"
#include "support/dispatch_fakes.h"
#include "support/test_data.h"
#include "support/tiny_tmpfs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace glyfex::core {
namespace {

QByteArray fileBytes(const QString &path)
{
    const std::vector<uint8_t> bytes = test::readBytes(path);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

// Every name in the folder, hidden ones too: a temporary left behind shows here.
QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// --- the helper on an ordinary disk -----------------------------------------------------------------

struct SyncMode {
    const char *name;
    SaveSync sync;
};
const SyncMode kSyncModes[] = {{"synced", SaveSync::Synced}, {"unsynced", SaveSync::Unsynced}};

TEST(SaveFile, WritesNewFilesAndReplacesOldOnes)
{
    for (const SyncMode &m : kSyncModes) {
        SCOPED_TRACE(m.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.txt"));
        ASSERT_TRUE(saveFile(path, "first", QStringLiteral("Cannot save"), m.sync).ok());
        EXPECT_EQ(fileBytes(path), QByteArray("first"));
        // A new file gets the mode any new file gets here (not the temporary's 0600).
        const mode_t mask = ::umask(0);
        ::umask(mask);
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask);
        // A shorter save leaves nothing of the longer one; the file keeps the permissions it had.
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
        ASSERT_TRUE(saveFile(path, "2nd", QStringLiteral("Cannot save"), m.sync).ok());
        EXPECT_EQ(fileBytes(path), QByteArray("2nd"));
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0640u);
        ASSERT_TRUE(saveFile(path, QByteArrayView(), QStringLiteral("Cannot save"), m.sync).ok());
        EXPECT_EQ(QFileInfo(path).size(), 0);
        // Saving through a link writes the file it names and keeps the link.
        const QString link = dir.filePath(QStringLiteral("link.txt"));
        ASSERT_TRUE(QFile::link(path, link));
        ASSERT_TRUE(saveFile(link, "via link", QStringLiteral("Cannot save"), m.sync).ok());
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(fileBytes(path), QByteArray("via link"));
        EXPECT_EQ(namesIn(dir.path()), (QStringList{QStringLiteral("a.txt"), QStringLiteral("link.txt")}));
    }
}

TEST(SaveFile, FailuresNameTheFileAndTheSystemsReason)
{
    QTemporaryDir dir;
    const QString readOnly = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkdir(readOnly));
    const QString kept = readOnly + QStringLiteral("/kept.txt");
    ASSERT_TRUE(saveFile(kept, "old", QStringLiteral("Cannot save")).ok());
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0555), 0);
    const QString folderInTheWay = dir.filePath(QStringLiteral("folder.txt"));
    ASSERT_TRUE(QDir().mkdir(folderInTheWay));

    struct Case {
        const char *name;
        QString path;
        const char *reason;
        bool needsNonRoot;
    } cases[] = {
        {"missing_folder", dir.filePath(QStringLiteral("no/such/folder/f.txt")), "No such file or directory", false},
        {"read_only_folder", kept, "Permission denied", true},
        {"folder_in_the_way", folderInTheWay, "directory", false},
    };
    for (const SyncMode &m : kSyncModes) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(m.name) + " " + c.name);
            if (c.needsNonRoot && ::geteuid() == 0) {
                // Root writes into a read-only folder anyway; the case means something only for a user.
                continue;
            }
            const auto saved = saveFile(c.path, "new", QStringLiteral("Cannot save the thing"), m.sync);
            ASSERT_FALSE(saved.ok());
            EXPECT_EQ(saved.error().what, QStringLiteral("Cannot save the thing"));
            EXPECT_EQ(saved.error().where, QDir::toNativeSeparators(c.path));
            EXPECT_TRUE(saved.error().why.contains(QLatin1String(c.reason))) << qPrintable(saved.error().why);
        }
    }
    EXPECT_EQ(fileBytes(kept), QByteArray("old"));
    EXPECT_EQ(namesIn(readOnly), QStringList{QStringLiteral("kept.txt")});
    EXPECT_TRUE(QFileInfo(folderInTheWay).isDir());
    EXPECT_EQ(namesIn(dir.path()), (QStringList{QStringLiteral("folder.txt"), QStringLiteral("locked")}));
    ::chmod(QFile::encodeName(readOnly).constData(), 0755);
}

// --- every kind of save on a full disk ----------------------------------------------------------------

constexpr qsizetype kSmall = 12 * 1024; // below the 16 KiB a buffered writer keeps before it writes
constexpr qsizetype kLarge = 60 * 1024;
constexpr qint64 kTmpfsSize = 256 * 1024;

const Config::Folders kFolders{QStringLiteral("/home/u/matrices/"), QStringLiteral("/home/u/")};

// A configuration whose file is about `size` bytes: the back picture's name takes what the keys leave.
Config paddedConfig(qsizetype size, int generation)
{
    Config c = Config::defaults(kFolders);
    IniStore measure;
    c.save(measure);
    const qsizetype room = std::max<qsizetype>(0, size - measure.fileBytes().size()) / 2; // UTF-16
    c.preview.backImageName = QString(room, QChar(u'a' + generation));
    return c;
}

// One kind of save: writes generation 0 or 1 of about `size` bytes into folder; the first of files is
// the one the error names.
struct SaveKind {
    const char *name;
    QStringList files;
    std::function<Result<void>(const QString &folder, qsizetype size, int generation)> save;
};

const std::vector<SaveKind> &saveKinds()
{
    static const std::vector<SaveKind> kinds = {
        {"configuration", {QStringLiteral("Glyfex.ini")},
         [](const QString &folder, qsizetype size, int generation) {
             return paddedConfig(size, generation).saveFile(folder + QStringLiteral("/Glyfex.ini"));
         }},
        {"presets", {QStringLiteral("Glyfex.ini")},
         [](const QString &folder, qsizetype size, int generation) -> Result<void> {
             const QString path = folder + QStringLiteral("/Glyfex.ini");
             BmpOutPresets presets;
             for (int i = 0; i < BmpOutPresetCount; ++i)
                 presets.presets[size_t(i)] = defaultBmpOutPreset(i);
             presets.presets[0].cropMinX = uint16_t(20 + generation);
             if (generation == 0) {
                 // The presets are saved into a configuration file; the two together make the size.
                 IniStore measure;
                 writeBmpOutPresets(measure, presets);
                 if (auto saved = paddedConfig(size - measure.fileBytes().size(), 0).saveFile(path); !saved)
                     return saved;
             }
             return saveBmpOutPresets(path, presets);
         }},
        {"ocr_settings", {QStringLiteral("Glyfex.ini")},
         [](const QString &folder, qsizetype size, int generation) -> Result<void> {
             const QString path = folder + QStringLiteral("/Glyfex.ini");
             if (generation == 0)
                 if (auto saved = paddedConfig(size, 0).saveFile(path); !saved)
                     return saved;
             Config::Ocr ocr;
             ocr.sensibility = 900 + generation;
             return saveOcrSettings(path, ocr);
         }},
        {"matrix", {QStringLiteral("Latin.gxc")},
         [](const QString &folder, qsizetype size, int generation) -> Result<void> {
             recognition::CharMatrix matrix;
             for (qsizetype bytes = 0; bytes < size; bytes += 457) { // a full 80 x 45 entry with one letter
                 recognition::Glyph g;
                 g.width = recognition::kGlyphMaxWidth;
                 g.height = recognition::kGlyphMaxHeight;
                 g.text = toCharText(QString(QChar(u'a' + generation)));
                 for (int y = 0; y < g.height; ++y)
                     for (int x = 0; x < g.width; ++x)
                         g.setPixel(x, y, (x * 7 + y * 3 + int(bytes) + generation) % 5 == 0);
                 if (matrix.add(g) != recognition::CharMatrix::AddOutcome::Added)
                     return makeError(QStringLiteral("matrix full"), QString());
             }
             const QString path = folder + QStringLiteral("/Latin.gxc");
             auto saved = recognition::saveCharMatrix(matrix, path);
             if (!saved) {
                 // The exit question still comes for a matrix whose save failed.
                 EXPECT_TRUE(matrix.isModified());
                 EXPECT_TRUE(matrix.fileName().isEmpty());
             }
             return saved;
         }},
        {"map", {QStringLiteral("movie.gxm")},
         [](const QString &folder, qsizetype size, int generation) {
             ripping::SubtitleMap map;
             for (uint32_t sector = 0; qsizetype(map.toFileBytes().size()) < size; sector += 2) {
                 for (uint32_t i = 0; i < 256; ++i) // a line is a few bytes: many at a time
                     map.noteSubstream(uint8_t(0x20 + generation), sector + 2 * i);
                 sector += 2 * 256;
             }
             return map.save(folder + QStringLiteral("/movie.gxm"));
         }},
        {"subtitle_text_palette_and_index", {QStringLiteral("movie.txt"), QStringLiteral("movie.spf"), QStringLiteral("index.bms")},
         [](const QString &folder, qsizetype size, int generation) -> Result<void> {
             subtitles::SaveRequest request;
             request.path = folder + QStringLiteral("/movie.txt");
             request.format = subtitles::OutputFormat::SpruceStl;
             for (qsizetype bytes = 0; bytes < size; bytes += 40)
                 request.lines << QStringLiteral("00:00:01:00 , 00:00:02:00 , line %1").arg(generation, 6);
             request.palette = subtitles::stlPalette({0x808080, uint32_t(generation), 0xFFFFFF, 0});
             request.viewerIndex = subtitles::SaveRequest::ViewerIndex{folder, {QStringLiteral("image_%1").arg(generation)}};
             MessageTable messages;
             SilentPrompt prompt;
             auto saved = subtitles::saveSubtitleFile(request, messages, prompt);
             if (!saved)
                 return saved.error();
             return {};
         }},
        {"bmp", {QStringLiteral("movie00001.bmp")},
         [](const QString &folder, qsizetype size, int generation) {
             const int width = 128;
             const std::vector<uint8_t> pixels(size_t(width * (size / width)), uint8_t(1 + generation));
             const std::vector<uint32_t> palette(16, 0x00FFFFFFu);
             return writeBitmapFile(folder + QStringLiteral("/movie00001.bmp"),
                                    IndexedPicture{width, int(size / width), pixels, palette});
         }},
        {"bmp_of_a_run", {QStringLiteral("movie00001.bmp")},
         [](const QString &folder, qsizetype size, int generation) {
             // A run's pictures are not synced one by one; a full disk must still refuse them.
             const int width = 128;
             const std::vector<uint8_t> pixels(size_t(width * (size / width)), uint8_t(1 + generation));
             const std::vector<uint32_t> palette(16, 0x00FFFFFFu);
             return writeBitmapFile(folder + QStringLiteral("/movie00001.bmp"),
                                    IndexedPicture{width, int(size / width), pixels, palette},
                                    {false, SaveSync::Unsynced});
         }},
        {"bmp_compressed", {QStringLiteral("movie00001.bmp")},
         [](const QString &folder, qsizetype size, int generation) {
             // Pixels without runs, so that the compressed file is about as large as the picture.
             const int width = 128;
             std::vector<uint8_t> pixels(size_t(width * (size / width)));
             for (size_t i = 0; i < pixels.size(); ++i)
                 pixels[i] = uint8_t((i * 7 + size_t(generation)) % 16);
             const std::vector<uint32_t> palette(16, 0x00FFFFFFu);
             return writeBitmapFile(folder + QStringLiteral("/movie00001.bmp"),
                                    IndexedPicture{width, int(size / width), pixels, palette}, {true});
         }},
        {"sup", {QStringLiteral("movie00001.sup")},
         [](const QString &folder, qsizetype size, int generation) {
             // A real unit, its data padded to the size; the raw action writes it as it is.
             QByteArray unit = test::buildUnit({{0, false}, {176, true}});
             unit.append(QByteArray(size - unit.size(), char(generation)));
             ripping::DispatchOptions options;
             options.action = picture::ActionMode::SaveRawSubpictures;
             options.pictureBase = folder + QStringLiteral("/movie");
             ripping::RunState run;
             test::FakeSubtitles subs;
             test::RecordingRecognition recognition(subs);
             ripping::PlainExport exporter;
             test::ScriptedDispatchHost host;
             ripping::SpuDispatcher dispatcher(options, run, subs, recognition, exporter, host);
             const ripping::SpuUnit u{{reinterpret_cast<const uint8_t *>(unit.constData()), size_t(unit.size())},
                                      millisecondsToTimeCode(1000), 0, 1};
             auto handled = dispatcher.handleUnit(u);
             if (!handled) {
                 EXPECT_EQ(run.picturesSaved, 0u) << "a picture that was not saved is not counted";
             }
             return handled;
         }},
        {"pgm", {QStringLiteral("image_0.pgm")},
         [](const QString &folder, qsizetype size, int generation) {
             return recognition::writePgmMask(recognition::maskFilePath(folder, 0),
                                              picture::CodeImage(128, int(size / 128), uint8_t(generation)));
         }},
    };
    return kinds;
}

TEST(SaveOnAFullDisk, EveryKindOfSaveFailsAndKeepsThePreviousFile)
{
    GLYFEX_NEED_MOUNT_RIGHTS();
    struct Size {
        const char *name;
        qsizetype bytes;
    } sizes[] = {{"small", kSmall}, {"large", kLarge}};
    struct Room {
        const char *name;
        qint64 bytes;
    } rooms[] = {{"full", 0}, {"nearly_full", 8 * 1024}};

    for (const SaveKind &kind : saveKinds()) {
        for (const Size &size : sizes) {
            // What each case writes, measured on an ordinary disk: small stays below 16 KiB, and every
            // save needs more than the room left, or the case would test nothing.
            QTemporaryDir scratch;
            ASSERT_TRUE(kind.save(scratch.path(), size.bytes, 0).ok()) << kind.name;
            ASSERT_TRUE(kind.save(scratch.path(), size.bytes, 1).ok()) << kind.name;
            const qint64 written = QFileInfo(scratch.filePath(kind.files[0])).size();
            ASSERT_GT(written, rooms[1].bytes) << kind.name << " " << size.name;
            if (size.bytes == kSmall)
                ASSERT_LT(written, 16 * 1024) << kind.name;
            else
                ASSERT_GT(written, 16 * 1024) << kind.name;

            for (const Room &room : rooms) {
                SCOPED_TRACE(std::string(kind.name) + " " + size.name + " " + room.name);
                test::TinyTmpfs fs(kTmpfsSize);
                ASSERT_TRUE(fs.isMounted()) << fs.error().toStdString();
                const QString out = fs.path() + QStringLiteral("/out");
                ASSERT_TRUE(QDir().mkpath(out));
                ASSERT_TRUE(QDir().mkpath(fs.path() + QStringLiteral("/fill")));
                ASSERT_TRUE(kind.save(out, size.bytes, 0).ok());
                std::vector<QByteArray> previous;
                for (const QString &file : kind.files)
                    previous.push_back(fileBytes(out + QLatin1Char('/') + file));
                const QString whyNotFull = fs.fillLeaving(fs.path() + QStringLiteral("/fill/filler"), room.bytes);
                ASSERT_TRUE(whyNotFull.isEmpty()) << whyNotFull.toStdString();

                const auto saved = kind.save(out, size.bytes, 1);
                EXPECT_FALSE(saved.ok()) << "reported as saved on a full disk";
                if (saved.ok())
                    continue;
                const QString message = saved.error().message();
                EXPECT_TRUE(message.contains(QLatin1String("No space left on device"))) << qPrintable(message);
                EXPECT_TRUE(message.contains(QDir::toNativeSeparators(out + QLatin1Char('/') + kind.files[0])))
                    << qPrintable(message);
                for (size_t i = 0; i < previous.size(); ++i)
                    EXPECT_EQ(fileBytes(out + QLatin1Char('/') + kind.files[qsizetype(i)]), previous[i])
                        << qPrintable(kind.files[qsizetype(i)]);
                QStringList expected = kind.files;
                expected.sort();
                EXPECT_EQ(namesIn(out), expected) << "a temporary file was left behind";
            }
        }
    }
}

// A file that is not there yet is written on the side and named only when whole: on a full disk no
// file of that name appears, not even half of one, and nothing else is left in the folder.
TEST(SaveOnAFullDisk, ANewFileDoesNotAppearHalfWritten)
{
    GLYFEX_NEED_MOUNT_RIGHTS();
    for (const SyncMode &m : kSyncModes) {
        for (const qsizetype bytes : {kSmall, kLarge}) {
            SCOPED_TRACE(std::string(m.name) + " " + std::to_string(bytes));
            test::TinyTmpfs fs(kTmpfsSize);
            ASSERT_TRUE(fs.isMounted()) << fs.error().toStdString();
            const QString out = fs.path() + QStringLiteral("/out");
            ASSERT_TRUE(QDir().mkpath(out));
            ASSERT_TRUE(QDir().mkpath(fs.path() + QStringLiteral("/fill")));
            const QString whyNotFull = fs.fillLeaving(fs.path() + QStringLiteral("/fill/filler"), 8 * 1024);
            ASSERT_TRUE(whyNotFull.isEmpty()) << whyNotFull.toStdString();

            const QString path = out + QStringLiteral("/new.bmp");
            const auto saved = saveFile(path, QByteArray(bytes, 'x'), QStringLiteral("Cannot save"), m.sync);
            EXPECT_FALSE(saved.ok()) << "reported as saved on a full disk";
            if (saved.ok())
                continue;
            EXPECT_TRUE(saved.error().why.contains(QLatin1String("No space left on device"))) << qPrintable(saved.error().why);
            EXPECT_EQ(saved.error().where, QDir::toNativeSeparators(path));
            EXPECT_EQ(namesIn(out), QStringList()) << "a file or a temporary was left behind";
        }
    }
}

} // namespace
} // namespace glyfex::core
