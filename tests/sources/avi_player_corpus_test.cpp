// The seed corpus of the video player's fuzz target, replayed: every seed opens or is refused, and gives
// frames of its own size.
#include "fuzz/avi_player_fuzz.h"

#include "support/test_data.h"

#include <QDir>

#include <gtest/gtest.h>

namespace glyfex::sources {
namespace {

TEST(AviPlayerCorpus, EverySeedPlaysWithoutFault)
{
    const QDir corpus(test::dataPath(QStringLiteral("../../fuzz/corpus/avi_player_fuzz")));
    const QStringList seeds = corpus.entryList(QDir::Files);
    ASSERT_GE(seeds.size(), 5) << corpus.path().toStdString();
    for (const QString &seed : seeds) {
        const std::vector<uint8_t> bytes = test::readBytes(corpus.filePath(seed));
        EXPECT_EQ(fuzz::playVideoBytes(bytes.data(), bytes.size()), 0) << seed.toStdString();
    }
}

} // namespace
} // namespace glyfex::sources
