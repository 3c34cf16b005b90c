// The INI store: reading each encoding, what a load and write-back keeps and drops, lookups, typed values,
// values with line breaks, and failed writes that must leave the old file alone.
#include "core/ini_store.h"

#include "support/test_data.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <climits>
#include <sys/stat.h>

namespace {

using glyfex::core::IniStore;
using glyfex::test::dataPath;

QByteArray fileContents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

std::string hex(const QByteArray &bytes)
{
    return bytes.toHex(' ').toStdString();
}

IniStore openData(const QString &name, glyfex::core::CodePage page = 0)
{
    auto store = IniStore::open(dataPath(QStringLiteral("ini/") + name), page);
    EXPECT_TRUE(store.ok()) << (store.ok() ? std::string() : store.error().message().toStdString());
    return store.ok() ? std::move(store).value() : IniStore();
}

struct EncodingCase {
    const char *name;
    const char *file;
    glyfex::core::CodePage page;
    QString expected;
};
void PrintTo(const EncodingCase &c, std::ostream *os) { *os << c.name; }

class IniEncoding : public testing::TestWithParam<EncodingCase> {};

TEST_P(IniEncoding, ReadsByByteOrderMarkOrCodePage)
{
    const EncodingCase &row = GetParam();
    const IniStore store = openData(QString::fromLatin1(row.file), row.page);
    EXPECT_EQ(store.readString(QStringLiteral("Main"), QStringLiteral("Name")), row.expected);
    EXPECT_EQ(store.readInteger(QStringLiteral("Main"), QStringLiteral("Count"), 0), 7);
}

INSTANTIATE_TEST_SUITE_P(
    Files, IniEncoding,
    testing::Values(EncodingCase{"utf16le", "encoding_utf16le.ini", 0, QStringLiteral("Zoë ☃")},
                    EncodingCase{"utf16be", "encoding_utf16be.ini", 0, QStringLiteral("Zoë ☃")},
                    EncodingCase{"utf8", "encoding_utf8.ini", 0, QStringLiteral("Zoë ☃")},
                    // A byte-order mark wins over the code page.
                    EncodingCase{"utf8_ignores_code_page", "encoding_utf8.ini", 1251, QStringLiteral("Zoë ☃")},
                    EncodingCase{"ansi_system_page", "encoding_ansi.ini", 0, QStringLiteral("Café")},
                    EncodingCase{"ansi_cp1251", "encoding_ansi.ini", 1251, QStringLiteral("Cafй")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(IniStore, EveryEncodingIsWrittenBackAsUtf16LeWithCrLf)
{
    for (const char *file : {"encoding_utf16le.ini", "encoding_utf16be.ini", "encoding_utf8.ini"}) {
        const IniStore store = openData(QString::fromLatin1(file));
        EXPECT_EQ(hex(store.fileBytes()), hex(fileContents(dataPath(QStringLiteral("ini/encoding_written.ini")))))
            << file;
    }
}

TEST(IniStore, WriteBackKeepsOrderDuplicatesAndBareLinesAndDropsComments)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("layout.ini"));
    ASSERT_TRUE(QFile::copy(dataPath(QStringLiteral("ini/layout.ini")), path));
    auto store = IniStore::open(path);
    ASSERT_TRUE(store.ok());
    ASSERT_TRUE(store->updateFile().ok());
    EXPECT_EQ(hex(fileContents(path)), hex(fileContents(dataPath(QStringLiteral("ini/layout_written.ini")))));
}

TEST(IniStore, LookupsFoldCaseAndFindTheLastOfEqualNames)
{
    IniStore store = openData(QStringLiteral("layout.ini"));
    const QString options = QStringLiteral("OPTIONS");
    EXPECT_EQ(store.readSections(),
              (QStringList{QStringLiteral("Options"), QStringLiteral("Other"), QStringLiteral("options")}));
    // Of the two sections named options, reads and writes go to the second.
    EXPECT_EQ(store.readString(options, QStringLiteral("a")), QStringLiteral("second section"));
    EXPECT_EQ(store.readString(options, QStringLiteral("AutoScrollDown"), QStringLiteral("none")), QStringLiteral("none"));
    store.writeString(options, QStringLiteral("New"), QStringLiteral("v"));
    EXPECT_EQ(store.readSectionValues(QStringLiteral("options")),
              (QStringList{QStringLiteral("A=second section"), QStringLiteral("New=v")}));

    // With it gone the first one answers.
    store.eraseSection(options);
    EXPECT_EQ(store.readString(options, QStringLiteral("aUTOsCROLLdOWN")), QStringLiteral("1"));
    EXPECT_EQ(store.readString(options, QStringLiteral("key")), QStringLiteral("some = text"));
    EXPECT_EQ(store.readString(options, QStringLiteral("a")), QStringLiteral("2"));
    EXPECT_EQ(store.readString(options, QString()), QStringLiteral("empty name"));
    // Bare lines, an unclosed bracket and a header with a note are kept but never found as keys.
    EXPECT_EQ(store.readString(options, QStringLiteral("[Broken"), QStringLiteral("-")), QStringLiteral("-"));
    EXPECT_EQ(store.readString(options, QStringLiteral("bare line"), QStringLiteral("-")), QStringLiteral("-"));
    EXPECT_EQ(store.readString(QStringLiteral("Name"), QStringLiteral("note"), QStringLiteral("-")), QStringLiteral("-"));
    EXPECT_FALSE(store.valueExists(QStringLiteral("Main"), QStringLiteral("Orphan")));

    // Writing A changes the later a=2 only; deleting it then uncovers A=1.
    store.writeString(options, QStringLiteral("A"), QStringLiteral("3"));
    EXPECT_EQ(store.readSectionValues(options).mid(2, 2), (QStringList{QStringLiteral("A=1"), QStringLiteral("A=3")}));
    store.deleteKey(options, QStringLiteral("a"));
    EXPECT_EQ(store.readString(options, QStringLiteral("a")), QStringLiteral("1"));
    EXPECT_EQ(store.readSection(options),
              (QStringList{QStringLiteral("AutoScrollDown"), QStringLiteral("Key"), QStringLiteral("A"), QString(),
                           QString(), QString(), QString()}));
    EXPECT_TRUE(store.valueExists(options, QStringLiteral("autoscrolldown")));
    EXPECT_FALSE(store.valueExists(options, QStringLiteral("Missing")));
    EXPECT_TRUE(store.valueExists(options, QString())) << "a bare line has the empty name";
}

TEST(IniStore, NonLatinNamesFoldByUnicodeAndDoNotCollide)
{
    IniStore store = openData(QStringLiteral("nonlatin_keys.ini"));
    const QString section = QStringLiteral("НАСТРОЙКИ");
    EXPECT_EQ(store.readString(section, QStringLiteral("ключ")), QStringLiteral("один"));
    EXPECT_EQ(store.readString(section, QStringLiteral("日")), QStringLiteral("sun"));
    EXPECT_EQ(store.readString(section, QStringLiteral("本")), QStringLiteral("book"));
    EXPECT_EQ(store.readString(section, QStringLiteral("月"), QStringLiteral("-")), QStringLiteral("-"));
    EXPECT_TRUE(store.valueExists(QStringLiteral("настройки"), QStringLiteral("КЛЮЧ")));
    EXPECT_FALSE(store.valueExists(section, QStringLiteral("月")));
    store.writeString(QStringLiteral("настройки"), QStringLiteral("КЛЮЧ"), QStringLiteral("два"));
    EXPECT_EQ(store.readSectionValues(section).size(), 3);
    EXPECT_EQ(store.readString(section, QStringLiteral("Ключ")), QStringLiteral("два"));
}

TEST(IniStore, WrittenValuesKeepBlanksUntilTheFileIsReadAgain)
{
    IniStore store(QStringLiteral("unused.ini"));
    store.writeString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("  padded  "));
    EXPECT_EQ(store.readString(QStringLiteral("S"), QStringLiteral("K")), QStringLiteral("  padded  "));
    auto reread = IniStore::fromBytes(store.fileBytes(), store.fileName());
    ASSERT_TRUE(reread.ok());
    EXPECT_EQ(reread->readString(QStringLiteral("S"), QStringLiteral("K")), QStringLiteral("padded"));
}

TEST(IniStore, ValueAfterReloadIsWhatTheWrittenFileGivesBack)
{
    const QStringList values{QStringLiteral("Preset: "), QStringLiteral(" \tboth ends\t "), QStringLiteral("   "),
                             QStringLiteral("Line 1\r\nLine 2\r\n"), QStringLiteral("\\:escape-like "),
                             QStringLiteral("plain")};
    IniStore store(QStringLiteral("unused.ini"));
    for (qsizetype i = 0; i < values.size(); ++i)
        store.writeString(QStringLiteral("S"), QString::number(i), values[i]);
    auto reread = IniStore::fromBytes(store.fileBytes(), store.fileName());
    ASSERT_TRUE(reread.ok());
    for (qsizetype i = 0; i < values.size(); ++i)
        EXPECT_EQ(IniStore::valueAfterReload(values[i]), reread->readString(QStringLiteral("S"), QString::number(i)))
            << values[i].toStdString();
    EXPECT_EQ(IniStore::valueAfterReload(QStringLiteral("Preset: ")), QStringLiteral("Preset:"));
    EXPECT_EQ(IniStore::valueAfterReload(QStringLiteral("Line 1\r\nLine 2\r\n")), QStringLiteral("Line 1\r\nLine 2\r\n"));
    // A value that begins like the escape keeps it; only its trailing blank is lost.
    EXPECT_EQ(IniStore::valueAfterReload(QStringLiteral("\\:escape-like ")), QStringLiteral("\\:escape-like"));
}

TEST(IniStore, ValuesWithLineBreaksRoundTripAndOrdinaryValuesStayAsGiven)
{
    const QString caption = QStringLiteral("Line 1\r\nLine 2\\end");
    const QString path = QStringLiteral("C:\\dir\\new");
    const QString odd = QStringLiteral("\\:starts like an escape");
    IniStore store(QStringLiteral("unused.ini"));
    store.writeString(QStringLiteral("Text"), QStringLiteral("Caption"), caption);
    store.writeString(QStringLiteral("Text"), QStringLiteral("Path"), path);
    store.writeString(QStringLiteral("Text"), QStringLiteral("Odd"), odd);
    EXPECT_EQ(hex(store.fileBytes()), hex(fileContents(dataPath(QStringLiteral("ini/line_break_values_written.ini")))));

    auto reread = IniStore::fromBytes(store.fileBytes(), store.fileName());
    ASSERT_TRUE(reread.ok());
    EXPECT_EQ(reread->readSectionValues(QStringLiteral("Text")).size(), 3);
    EXPECT_EQ(reread->readString(QStringLiteral("Text"), QStringLiteral("Caption")), caption);
    EXPECT_EQ(reread->readString(QStringLiteral("Text"), QStringLiteral("Path")), path);
    EXPECT_EQ(reread->readString(QStringLiteral("Text"), QStringLiteral("Odd")), odd);
}

struct IntegerCase {
    const char *name;
    QString text;
    int expected;
};
void PrintTo(const IntegerCase &c, std::ostream *os) { *os << c.name; }

class IniInteger : public testing::TestWithParam<IntegerCase> {};

TEST_P(IniInteger, ReadsDecimalAndHexOrGivesTheDefault)
{
    const IntegerCase &row = GetParam();
    IniStore store;
    store.writeString(QStringLiteral("S"), QStringLiteral("N"), row.text);
    EXPECT_EQ(store.readInteger(QStringLiteral("S"), QStringLiteral("N"), -99), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IniInteger,
    testing::Values(IntegerCase{"hex_0x", QStringLiteral("0x1F"), 31}, IntegerCase{"hex_0X", QStringLiteral("0X1F"), 31},
                    IntegerCase{"hex_dollar", QStringLiteral("$1f"), 31}, IntegerCase{"negative_hex", QStringLiteral("-$10"), -16},
                    IntegerCase{"hex_wraps_to_signed", QStringLiteral("$FFFFFFFF"), -1},
                    IntegerCase{"hex_too_long", QStringLiteral("$100000000"), -99},
                    IntegerCase{"decimal", QStringLiteral("42"), 42}, IntegerCase{"plus", QStringLiteral("+7"), 7},
                    IntegerCase{"leading_blank", QStringLiteral(" 5"), 5},
                    IntegerCase{"minimum", QStringLiteral("-2147483648"), INT_MIN},
                    IntegerCase{"overflow", QStringLiteral("2147483648"), -99},
                    IntegerCase{"letters_after", QStringLiteral("12abc"), -99}, IntegerCase{"empty", QString(), -99},
                    IntegerCase{"prefix_only", QStringLiteral("0x"), -99}, IntegerCase{"dollar_only", QStringLiteral("$"), -99},
                    IntegerCase{"sign_only", QStringLiteral("-"), -99},
                    IntegerCase{"arabic_digits", QStringLiteral("٤٢"), -99}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(IniStore, TypedValuesRoundTrip)
{
    IniStore store;
    const QString s = QStringLiteral("S");
    EXPECT_TRUE(store.readBool(s, QStringLiteral("B"), true));
    store.writeString(s, QStringLiteral("B"), QStringLiteral("2"));
    EXPECT_TRUE(store.readBool(s, QStringLiteral("B"), false));
    store.writeBool(s, QStringLiteral("B"), false);
    EXPECT_EQ(store.readString(s, QStringLiteral("B")), QStringLiteral("0"));
    store.writeString(s, QStringLiteral("B"), QStringLiteral("yes"));
    EXPECT_TRUE(store.readBool(s, QStringLiteral("B"), true));

    store.writeFloat(s, QStringLiteral("F"), 0.1);
    EXPECT_EQ(store.readString(s, QStringLiteral("F")), QStringLiteral("0.1"));
    EXPECT_EQ(store.readFloat(s, QStringLiteral("F"), 9.0), 0.1);
    store.writeString(s, QStringLiteral("F"), QStringLiteral("abc"));
    EXPECT_EQ(store.readFloat(s, QStringLiteral("F"), 9.0), 9.0);

    const QDate date(2026, 12, 10);
    const QTime time(10, 5, 7);
    store.writeDate(s, QStringLiteral("D"), date);
    store.writeTime(s, QStringLiteral("T"), time);
    store.writeDateTime(s, QStringLiteral("DT"), QDateTime(date, time));
    EXPECT_EQ(store.readDate(s, QStringLiteral("D"), {}), date);
    EXPECT_EQ(store.readTime(s, QStringLiteral("T"), {}), time);
    EXPECT_EQ(store.readDateTime(s, QStringLiteral("DT"), {}), QDateTime(date, time));
    EXPECT_EQ(store.readDate(s, QStringLiteral("F"), date.addDays(1)), date.addDays(1));

    const QByteArray bytes("\x00\xAB\xFF", 3);
    store.writeBinary(s, QStringLiteral("Bin"), bytes);
    EXPECT_EQ(store.readString(s, QStringLiteral("Bin")), QStringLiteral("00ABFF"));
    EXPECT_EQ(store.readBinary(s, QStringLiteral("Bin")), bytes);
    store.writeString(s, QStringLiteral("Bin"), QStringLiteral("0aXY1"));
    EXPECT_EQ(store.readBinary(s, QStringLiteral("Bin")), QByteArray("\x0a"));
    EXPECT_TRUE(store.readBinary(s, QStringLiteral("Missing")).isEmpty());
}

TEST(IniStore, MissingFileOrNameGivesAnEmptyStoreThatWritingCreates)
{
    auto unnamed = IniStore::open(QString());
    ASSERT_TRUE(unnamed.ok());
    EXPECT_TRUE(unnamed->readSections().isEmpty());
    EXPECT_FALSE(unnamed->updateFile().ok());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.ini"));
    auto store = IniStore::open(path);
    ASSERT_TRUE(store.ok());
    EXPECT_TRUE(store->readSections().isEmpty());
    store->writeInteger(QStringLiteral("A"), QStringLiteral("K"), 5);
    ASSERT_TRUE(store->updateFile().ok());
    EXPECT_EQ(hex(fileContents(path)), hex(QByteArray("\xFF\xFE[\0A\0]\0\r\0\n\0K\0=\0" "5\0\r\0\n\0\r\0\n\0", 26)));
}

TEST(IniStore, UnreadableOrUndecodableFileIsAnErrorNamingIt)
{
    QTemporaryDir dir;
    auto folder = IniStore::open(dir.path());
    ASSERT_FALSE(folder.ok());
    EXPECT_TRUE(folder.error().message().contains(dir.path()));

    auto unknownPage = IniStore::open(dataPath(QStringLiteral("ini/encoding_ansi.ini")), 720);
    ASSERT_FALSE(unknownPage.ok());
    EXPECT_TRUE(unknownPage.error().message().contains(QStringLiteral("encoding_ansi.ini")));
}

TEST(IniStore, OddLengthUtf16FileKeepsItsTextAndMarksTheStrayByte)
{
    const IniStore store = openData(QStringLiteral("utf16le_odd_length.ini"));
    EXPECT_EQ(store.readString(QStringLiteral("A"), QStringLiteral("K")), QStringLiteral("v\uFFFD"));
}

TEST(IniStore, FailedWriteIntoReadOnlyFolderKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Glyfex.ini"));
    glyfex::test::writeBytes(path, QByteArray("old"));
    // Permission bits stop an ordinary user; root is stopped only by the immutable attribute.
    const QByteArray folder = QFile::encodeName(dir.path());
    ASSERT_EQ(chmod(folder.constData(), 0555), 0);
    struct Restore {
        QString folder;
        bool immutable = false;
        ~Restore()
        {
            if (immutable) QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), folder});
            chmod(QFile::encodeName(folder).constData(), 0755);
        }
    } restore{dir.path()};
    if (QFile probe(dir.filePath(QStringLiteral("probe"))); probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        restore.immutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), dir.path()}) == 0;
        if (!restore.immutable) GTEST_SKIP() << "cannot make a folder unwritable for this user";
    }
    IniStore store(path);
    store.writeString(QStringLiteral("A"), QStringLiteral("K"), QStringLiteral("new"));
    const auto written = store.updateFile();
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.error().message().contains(path));
    EXPECT_EQ(fileContents(path), QByteArray("old"));
}

TEST(IniStore, FailedWriteOverAFolderReportsThePathAndLeavesItAlone)
{
    // Runs for every user, root included: a file cannot replace a folder of the same name.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Glyfex.ini"));
    ASSERT_TRUE(QDir().mkpath(path + QStringLiteral("/inside")));
    IniStore store(path);
    store.writeString(QStringLiteral("A"), QStringLiteral("K"), QStringLiteral("new"));
    const auto written = store.updateFile();
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.error().message().contains(path));
    EXPECT_TRUE(QFileInfo(path + QStringLiteral("/inside")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList()); // no temporary left
}

} // namespace
