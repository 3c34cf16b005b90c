// The OCR benchmark's italic figure: italic words of the ground truth that a run read inside italic tags.
#include "recognition/scripted_answerer.h"
#include "support/italic_words.h"
#include "support/test_data.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace glyfex;

TEST(ItalicWords, CountsTheItalicWordsOfTheTruthThatWereReadItalic)
{
    const struct {
        const char *name;
        const char *truth; // the SubRip text
        const char *read;  // the recognised lines, LF between them
        int italic, taggedRight, uprightTagged;
    } cases[] = {
        {"all read italic", "<i>Hello there</i>", "<i>Hello there</i>", 2, 2, 0},
        {"punctuation left outside the tags", "<i>Hello, there.</i>", "<i>Hello</i>, <i>there</i>.", 2, 2, 0},
        {"one word lost its tags", "<i>Hello there</i>", "<i>Hello</i> there", 2, 1, 0},
        {"a misread letter keeps its word's tag", "<i>Hello</i> there", "<i>Hallo</i> there", 1, 1, 0},
        {"a word read with a letter too many", "<i>Hello</i> there", "<i>Helllo</i> there", 1, 1, 0},
        {"an upright word read italic", "Hello <i>there</i>", "<i>Hello there</i>", 1, 1, 1},
        {"nothing read", "<i>Hello</i>", "", 1, 0, 0},
        {"a word half in italics is neither", "<i>Hel</i>lo", "Hello", 0, 0, 0},
        {"a dash is no word", "<i>- Hi</i>", "- <i>Hi</i>", 1, 1, 0},
        {"italics over two lines, the second read upright", "<i>one\ntwo</i>", "<i>one</i>\ntwo", 2, 1, 0},
        {"bold and underline tags are no italics", "<i>one</i> two", "<b>one</b> <u>two</u>", 1, 0, 0},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("gt.srt"));
        test::writeBytes(path, QByteArray("1\n00:00:01,000 --> 00:00:03,000\n") + c.truth + "\n");
        auto truth = recognition::readGroundTruth(path);
        ASSERT_TRUE(truth.ok() && truth->size() == 1) << c.name;
        const test::ItalicWords w = test::italicWords(truth->front(), QString::fromUtf8(c.read));
        EXPECT_EQ(w.italic, c.italic) << c.name;
        EXPECT_EQ(w.taggedRight, c.taggedRight) << c.name;
        EXPECT_EQ(w.uprightTagged, c.uprightTagged) << c.name;
    }
}
