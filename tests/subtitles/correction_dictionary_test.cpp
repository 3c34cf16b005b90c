// The correction dictionaries: encodings, the cleaning of pairs, refused files, and the fuzz seeds replayed.
#include "subtitles/correction_dictionary.h"

#include "fuzz/correction_dictionary_fuzz.h"
#include "subtitles/qt_printers.h"
#include "support/test_data.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace glyfex::subtitles {
namespace {

QByteArray utf16(const QString &text)
{
    return QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

TEST(CorrectionDictionary, CleaningDropsPairsThatCannotBeUsed)
{
    const CorrectionDictionary pairs = cleanDictionary(
        {"teh", "the", "", "empty find", "cat", "cats", "ok", "ok", "x", "y", "unpaired"});
    EXPECT_EQ(pairs, (CorrectionDictionary{{"teh", "the"}, {"x", "y"}}));
    EXPECT_TRUE(cleanDictionary({}).isEmpty());
    EXPECT_TRUE(cleanDictionary({"one line"}).isEmpty());
}

TEST(CorrectionDictionary, ReadsEveryEncoding)
{
    const CorrectionDictionary expected{{QStringLiteral("cafe"), QStringLiteral("café")}};
    struct Case {
        const char *name;
        QByteArray bytes;
    };
    const Case cases[] = {{"utf-16le with mark", utf16(QStringLiteral("cafe\r\ncafé\r\n"))},
                          {"utf-8 with mark", QByteArray("\xEF\xBB\xBF") + QStringLiteral("cafe\ncafé").toUtf8()},
                          {"system page", QByteArray("cafe\ncaf\xE9\n")}};
    for (const Case &c : cases) {
        auto read = parseDictionary(c.bytes, QStringLiteral("x.dic"));
        ASSERT_TRUE(read.ok()) << c.name;
        EXPECT_EQ(*read, expected) << c.name;
    }
    auto empty = parseDictionary(QByteArray("\xFF\xFE", 2), QStringLiteral("punct.dic"));
    ASSERT_TRUE(empty.ok());
    EXPECT_TRUE(empty->isEmpty());
}

// Files as users write them: a mark decides; without one, valid UTF-8 is UTF-8 (never "naÃ¯ve"), and
// anything else is text in the subtitles' ANSI page.
TEST(CorrectionDictionary, MarklessFilesAreUtf8WhenValidElseTheAnsiPage)
{
    const CorrectionDictionary polish{{QStringLiteral("cafe"), QStringLiteral("café")},
                                      {QStringLiteral("Zolc"), QStringLiteral("Żółć")}};
    const QString text = QStringLiteral("cafe\r\ncafé\r\nZolc\r\nŻółć\r\n");
    const struct {
        const char *name;
        QByteArray bytes;
        core::CodePage ansiPage;
        CorrectionDictionary expected;
    } cases[] = {
        {"utf-8 with mark", "\xEF\xBB\xBF" + text.toUtf8(), 1250, polish},
        {"utf-8 without mark", "naive\nna\xC3\xAFve\n", 1252, {{QStringLiteral("naive"), QStringLiteral("naïve")}}},
        {"utf-8 without mark, any page", text.toUtf8(), 1251, polish},
        {"utf-16le with mark", utf16(text), 1252, polish},
        {"cp1250 without mark", *core::TextCodec::encode(text, 1250), 1250, polish},
        {"cp1252 without mark", "naive\nna\xEFve\nsoupcon\nsoup\xE7on\n", 1252,
         {{QStringLiteral("naive"), QStringLiteral("naïve")}, {QStringLiteral("soupcon"), QStringLiteral("soupçon")}}},
        // 0 is the system's page, 1252 in the C locale.
        {"cp1252 in the system page", "cafe\ncaf\xE9\n", 0, {{QStringLiteral("cafe"), QStringLiteral("café")}}},
        {"ascii", "teh\nthe\n", 1251, {{QStringLiteral("teh"), QStringLiteral("the")}}},
        // Cut off inside a character: no UTF-8, so the page reads it.
        {"utf-8 cut in a character", "x\nna\xC3", 1252, {{QStringLiteral("x"), QStringLiteral("na\u00C3")}}},
    };
    for (const auto &c : cases) {
        auto read = parseDictionary(c.bytes, QStringLiteral("x.dic"), c.ansiPage);
        ASSERT_TRUE(read.ok()) << c.name;
        EXPECT_EQ(*read, c.expected) << c.name;
    }
}

TEST(CorrectionDictionary, RefusedFilesAreNamed)
{
    QTemporaryDir dir;
    const QString nul = dir.filePath(QStringLiteral("Binary.dic"));
    test::writeBytes(nul, QByteArray("a\0b\nc\n", 6));
    const QString big = dir.filePath(QStringLiteral("Huge.dic"));
    test::writeBytes(big, QByteArray(int(kMaxDictionaryBytes + 1), 'a'));
    for (const QString &path : {nul, big, dir.filePath(QStringLiteral("Missing.dic"))}) {
        auto read = loadDictionary(path);
        ASSERT_FALSE(read.ok()) << path.toStdString();
        EXPECT_TRUE(read.error().message().contains(QDir::toNativeSeparators(path))) << read.error().message().toStdString();
        EXPECT_FALSE(read.error().why.isEmpty());
    }
}

TEST(CorrectionDictionary, ShippedPunctuationFileIsEmptyUtf16)
{
    auto read = loadDictionary(test::dataPath(QStringLiteral("../../data/Dict/punct.dic")));
    ASSERT_TRUE(read.ok()) << read.error().message().toStdString();
    EXPECT_TRUE(read->isEmpty());
    EXPECT_EQ(test::readBytes(test::dataPath(QStringLiteral("../../data/Dict/punct.dic"))), (std::vector<uint8_t>{0xFF, 0xFE}));
}

TEST(CorrectionDictionaryCorpus, EverySeedReadsWithoutFault)
{
    const QDir corpus(test::dataPath(QStringLiteral("../../fuzz/corpus/correction_dictionary_fuzz")));
    const QStringList seeds = corpus.entryList(QDir::Files);
    ASSERT_GE(seeds.size(), 5) << corpus.path().toStdString();
    for (const QString &seed : seeds) {
        const std::vector<uint8_t> bytes = test::readBytes(corpus.filePath(seed));
        EXPECT_EQ(fuzz::readCorrectionDictionary(bytes.data(), bytes.size()), 0) << seed.toStdString();
    }
}

} // namespace
} // namespace glyfex::subtitles
