// The seed corpus of the subtitle reader fuzz target, replayed: every seed goes through the loader and the readers.
#include "fuzz/subtitle_reader_fuzz.h"

#include "support/test_data.h"

#include <QDir>

#include <gtest/gtest.h>

namespace glyfex::subtitles {
namespace {

TEST(SubtitleReaderCorpus, EverySeedReadsWithoutFault)
{
    const QDir corpus(test::dataPath(QStringLiteral("../../fuzz/corpus/subtitle_reader_fuzz")));
    const QStringList seeds = corpus.entryList(QDir::Files);
    ASSERT_GE(seeds.size(), 15) << corpus.path().toStdString();
    for (const QString &seed : seeds) {
        const std::vector<uint8_t> bytes = test::readBytes(corpus.filePath(seed));
        // The route byte also replays each seed through every reader and through the loader.
        for (uint8_t route = 0; route < 15; ++route) {
            std::vector<uint8_t> input = bytes;
            if (!input.empty())
                input[0] = route;
            EXPECT_EQ(fuzz::readSubtitleFile(input.data(), input.size()), 0) << seed.toStdString();
        }
    }
}

} // namespace
} // namespace glyfex::subtitles
