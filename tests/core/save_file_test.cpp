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

#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
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

// --- what the name leads to -----------------------------------------------------------------------

// What a name in the test folder is after a save.
enum class Kind { File, Link, Folder, Pipe, CharDevice, Socket };

struct Entry {
    QString name;  // relative to the test folder
    Kind kind;
    QByteArray bytes = {}; // a file's content, a link's target
};

// Everything in folder and below, each with its kind: a temporary left behind or a link turned into a
// file shows here.
std::vector<Entry> entriesIn(const QString &folder, const QString &prefix = QString())
{
    std::vector<Entry> out;
    for (const QString &name : namesIn(folder)) {
        const QString path = folder + QLatin1Char('/') + name;
        const QByteArray native = QFile::encodeName(path);
        struct stat st {};
        if (::lstat(native.constData(), &st) != 0)
            continue;
        Entry e{prefix + name, Kind::File};
        if (S_ISLNK(st.st_mode)) {
            char text[4096];
            const ssize_t n = ::readlink(native.constData(), text, sizeof text);
            e.kind = Kind::Link;
            e.bytes = QByteArray(text, n < 0 ? 0 : qsizetype(n));
        } else if (S_ISDIR(st.st_mode)) {
            e.kind = Kind::Folder;
        } else if (S_ISFIFO(st.st_mode)) {
            e.kind = Kind::Pipe;
        } else if (S_ISCHR(st.st_mode)) {
            e.kind = Kind::CharDevice;
        } else if (S_ISSOCK(st.st_mode)) {
            e.kind = Kind::Socket;
        } else {
            e.bytes = fileBytes(path);
        }
        out.push_back(e);
        if (e.kind == Kind::Folder)
            for (Entry &inner : entriesIn(path, e.name + QLatin1Char('/')))
                out.push_back(inner);
    }
    return out;
}

std::string describe(const std::vector<Entry> &entries)
{
    static const char *const kinds[] = {"file", "link", "folder", "pipe", "char device", "socket"};
    std::string text;
    for (const Entry &e : entries)
        text += e.name.toStdString() + " (" + kinds[int(e.kind)] + ") " + e.bytes.toStdString() + "\n";
    return text;
}

// Makes a device node like the system's: skipped rows say why when the system refuses.
QString makeDevice(const QString &path, unsigned major, unsigned minor)
{
    if (::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(major, minor)) != 0)
        return QStringLiteral("mknod refused: ") + QString::fromLocal8Bit(std::strerror(errno));
    return QString();
}

// A socket bound under the name and closed at once: its name stays.
QString makeSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    if (fd < 0 || native.size() >= qsizetype(sizeof address.sun_path))
        return QStringLiteral("no socket here");
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return bound ? QString() : QStringLiteral("cannot bind a socket here");
}

struct TargetCase {
    const char *name;
    // Makes what the folder holds before the save; a text is the reason to skip the row.
    std::function<QString(const QString &folder)> setUp;
    const char *saveTo;        // the name the save is given, relative to the folder
    const char *reason;        // what the failure says; nullptr for a save that succeeds
    std::vector<Entry> after;  // everything the folder holds afterwards
    QByteArray piped = {};     // what a reader of the pipe "fifo" gets
};

// Runs preparation steps in the order written (a braced list is evaluated left to right): the reasons
// of those that failed.
QString inOrder(std::initializer_list<QString> reasons)
{
    QString all;
    for (const QString &r : reasons)
        all += r;
    return all;
}

QString mkdir(const QString &path)
{
    return QDir().mkpath(path) ? QString() : QStringLiteral("cannot make ") + path;
}

QString put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QStringLiteral("cannot prepare ") + path;
    return QString();
}

// A link holding exactly the text given: relative texts count from the link's own folder.
QString linkTo(const QString &target, const QString &link)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0
               ? QString()
               : QStringLiteral("cannot link ") + link;
}

const QByteArray kOld = "old bytes";
const QByteArray kNew = "new";

// The absolute name of the test folder stands as "@" in link targets.
const std::vector<TargetCase> &targetCases()
{
    static const std::vector<TargetCase> cases = {
        {"plain_file", [](const QString &d) { return put(d + "/file", kOld); }, "file", nullptr,
         {{"file", Kind::File, kNew}}},
        {"new_file", [](const QString &) { return QString(); }, "file", nullptr, {{"file", Kind::File, kNew}}},
        {"link_to_file",
         [](const QString &d) {
             return inOrder({put(d + "/file", kOld), linkTo(d + "/file", d + "/link")});
         },
         "link", nullptr, {{"file", Kind::File, kNew}, {"link", Kind::Link, "@/file"}}},
        {"link_to_link_absolute",
         [](const QString &d) {
             return inOrder({put(d + "/file", kOld), linkTo(d + "/file", d + "/link1"), linkTo(d + "/link1", d + "/link2")});
         },
         "link2", nullptr,
         {{"file", Kind::File, kNew}, {"link1", Kind::Link, "@/file"}, {"link2", Kind::Link, "@/link1"}}},
        {"link_to_link_relative",
         [](const QString &d) {
             // Each link's text counts from its own folder: "file" in sub, "sub/link1" at the top.
             return inOrder({mkdir(d + "/sub"), put(d + "/sub/file", kOld), linkTo(QStringLiteral("file"), d + "/sub/link1"),
                             linkTo(QStringLiteral("sub/link1"), d + "/link2")});
         },
         "link2", nullptr,
         {{"link2", Kind::Link, "sub/link1"},
          {"sub", Kind::Folder},
          {"sub/file", Kind::File, kNew},
          {"sub/link1", Kind::Link, "file"}}},
        {"dangling_link", [](const QString &d) { return linkTo(QStringLiteral("made"), d + "/link"); }, "link", nullptr,
         {{"link", Kind::Link, "made"}, {"made", Kind::File, kNew}}},
        {"dangling_link_to_link",
         [](const QString &d) {
             return inOrder({linkTo(QStringLiteral("link1"), d + "/link2"), linkTo(d + "/made", d + "/link1")});
         },
         "link2", nullptr,
         {{"link1", Kind::Link, "@/made"}, {"link2", Kind::Link, "link1"}, {"made", Kind::File, kNew}}},
        {"link_loop",
         [](const QString &d) { return inOrder({linkTo(QStringLiteral("b"), d + "/a"), linkTo(QStringLiteral("a"), d + "/b")}); },
         "a", "Too many levels of symbolic links", {{"a", Kind::Link, "b"}, {"b", Kind::Link, "a"}}},
        {"folder", [](const QString &d) { return mkdir(d + "/file"); }, "file",
         "Is a directory", {{"file", Kind::Folder}}},
        {"link_to_folder",
         [](const QString &d) {
             return inOrder({mkdir(d + "/sub"), linkTo(QStringLiteral("sub"), d + "/link")});
         },
         "link", "Is a directory", {{"link", Kind::Link, "sub"}, {"sub", Kind::Folder}}},
        {"pipe_with_reader",
         [](const QString &d) {
             return ::mkfifo(QFile::encodeName(d + "/fifo").constData(), 0600) == 0 ? QString() : QStringLiteral("no fifo");
         },
         "fifo", nullptr, {{"fifo", Kind::Pipe}}, kNew},
        {"pipe_without_reader",
         [](const QString &d) {
             return ::mkfifo(QFile::encodeName(d + "/lonely").constData(), 0600) == 0 ? QString() : QStringLiteral("no fifo");
         },
         "lonely", "No such device or address", {{"lonely", Kind::Pipe}}},
        {"link_to_null_device",
         [](const QString &d) { return inOrder({makeDevice(d + "/null", 1, 3), linkTo(QStringLiteral("null"), d + "/link")}); },
         "link", nullptr, {{"link", Kind::Link, "null"}, {"null", Kind::CharDevice}}},
        {"full_device", [](const QString &d) { return makeDevice(d + "/full", 1, 7); }, "full",
         "No space left on device", {{"full", Kind::CharDevice}}},
        {"socket", [](const QString &d) { return makeSocket(d + "/sock"); }, "sock", "socket", {{"sock", Kind::Socket}}},
    };
    return cases;
}

void PrintTo(const TargetCase &c, std::ostream *os)
{
    *os << c.name;
}

class SaveTarget : public ::testing::TestWithParam<TargetCase> {};

// Whatever the name leads to, the bytes land where they belong, links stay links, what is not a file
// stays what it was, a refusal names the file and the reason, and no temporary is left.
TEST_P(SaveTarget, BytesWhereTheyBelongAndNothingReplaced)
{
    const TargetCase &c = GetParam();
    for (const SyncMode &m : kSyncModes) {
        SCOPED_TRACE(m.name);
        QTemporaryDir dir;
        const QString folder = dir.path();
        if (const QString why = c.setUp(folder); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        int reader = -1;
        if (c.piped.size() > 0)
            reader = ::open(QFile::encodeName(folder + "/fifo").constData(), O_RDONLY | O_NONBLOCK);

        const QString path = folder + QLatin1Char('/') + QLatin1String(c.saveTo);
        const auto saved = saveFile(path, kNew, QStringLiteral("Cannot save"), m.sync);
        if (c.reason) {
            ASSERT_FALSE(saved.ok()) << "reported as saved";
            EXPECT_EQ(saved.error().where, QDir::toNativeSeparators(path));
            EXPECT_TRUE(saved.error().why.contains(QLatin1String(c.reason))) << qPrintable(saved.error().why);
        } else {
            EXPECT_TRUE(saved.ok()) << qPrintable(saved.error().message());
        }
        if (reader >= 0) {
            char got[64];
            const ssize_t n = ::read(reader, got, sizeof got);
            ::close(reader);
            EXPECT_EQ(QByteArray(got, n < 0 ? 0 : qsizetype(n)), c.piped);
        }
        std::vector<Entry> expected = c.after;
        for (Entry &e : expected)
            if (e.kind == Kind::Link)
                e.bytes.replace('@', QFile::encodeName(folder));
        const std::vector<Entry> found = entriesIn(folder);
        EXPECT_EQ(describe(found), describe(expected));
    }
}

INSTANTIATE_TEST_SUITE_P(, SaveTarget, ::testing::ValuesIn(targetCases()),
                         [](const ::testing::TestParamInfo<TargetCase> &info) { return std::string(info.param.name); });

// A save killed while it writes over an existing file leaves that file whole and nothing beside it.
// The child is killed the moment its temporary shows: a new name in the folder, or a file it holds
// open there (an unnamed temporary shows only among its open files).
TEST(SaveFile, AKilledSaveLeavesOnlyThePreviousFile)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("subtitles.txt"));
    ASSERT_TRUE(saveFile(target, kOld, QStringLiteral("Cannot save")).ok());
    const QByteArray large(64 * 1024 * 1024, 'x');
    const QByteArray folder = QFile::encodeName(QFileInfo(dir.path()).canonicalFilePath());

    int killedMidSave = 0;
    for (int attempt = 0; attempt < 20 && killedMidSave < 3; ++attempt) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            ::_exit(saveFile(target, large, QStringLiteral("Cannot save")).ok() ? 0 : 1);
        const QByteArray fds = "/proc/" + QByteArray::number(child) + "/fd";
        bool seen = false;
        int status = 0;
        while (!seen && ::waitpid(child, &status, WNOHANG) == 0) {
            seen = namesIn(dir.path()).size() > 1;
            for (const QString &fd : QDir(QString::fromLatin1(fds)).entryList(QDir::Files | QDir::System)) {
                const QString to = QFile::symLinkTarget(QString::fromLatin1(fds) + QLatin1Char('/') + fd);
                seen = seen || to.startsWith(QFile::decodeName(folder) + QLatin1Char('/'));
            }
        }
        if (seen) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
        }
        if (WIFSIGNALED(status)) {
            ++killedMidSave;
            EXPECT_EQ(namesIn(dir.path()), QStringList{QStringLiteral("subtitles.txt")}) << "a temporary was left";
            EXPECT_EQ(fileBytes(target), kOld);
        } else {
            // The save ran through before the kill: then the new bytes are there, and again nothing else.
            ASSERT_EQ(WEXITSTATUS(status), 0);
            EXPECT_EQ(namesIn(dir.path()), QStringList{QStringLiteral("subtitles.txt")});
            ASSERT_TRUE(saveFile(target, kOld, QStringLiteral("Cannot save")).ok());
        }
    }
    EXPECT_GT(killedMidSave, 0) << "no save was caught in the middle";
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
