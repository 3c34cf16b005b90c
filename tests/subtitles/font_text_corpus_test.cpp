// The seed corpus of the font text fuzz target, replayed: every seed gives no font or one that reads back the same.
#include "fuzz/font_text_fuzz.h"

#include "support/test_data.h"

#include <QDir>

#include <gtest/gtest.h>

namespace glyfex::subtitles {
namespace {

TEST(FontTextCorpus, EverySeedReadsWithoutFault)
{
    const QDir corpus(test::dataPath(QStringLiteral("../../fuzz/corpus/font_text_fuzz")));
    const QStringList seeds = corpus.entryList(QDir::Files);
    ASSERT_GE(seeds.size(), 10) << corpus.path().toStdString();
    for (const QString &seed : seeds) {
        const std::vector<uint8_t> bytes = test::readBytes(corpus.filePath(seed));
        EXPECT_EQ(fuzz::readFontText(bytes.data(), bytes.size()), 0) << seed.toStdString();
    }
}

} // namespace
} // namespace glyfex::subtitles
