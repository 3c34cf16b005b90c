// Segmentation of the subtitle pictures of the fixture DVDs, checked against the text they show:
// every non-space character is one box, except for the characters made of pieces side by side and the
// kerned pairs whose ink overlaps in the same columns.
#include "support/av_spu_demuxer.h"
#include "support/test_data.h"

#include "recognition/segmentation.h"
#include "recognition/text_colour.h"
#include "ripping/spu_decoder.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace glyfex;
using namespace glyfex::recognition;

namespace {

// The shown lines of each subtitle of a SubRip file.
std::vector<QStringList> srtLines(const QString &path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const QString all = QString::fromUtf8(f.readAll()).remove(u'\r');
    std::vector<QStringList> subs;
    for (const QString &block : all.split(u"\n\n"_qs, Qt::SkipEmptyParts)) {
        const QStringList lines = block.split(u'\n', Qt::SkipEmptyParts);
        if (lines.size() >= 3)
            subs.push_back(lines.mid(2));
    }
    return subs;
}

// Boxes a character gives in these fonts: pieces side by side in different columns are glyphs of their
// own (the two strokes of a double quote, the circles of a per cent sign, the dots wider than an i).
int boxesOf(QChar c)
{
    switch (c.unicode()) {
    case u' ':
        return 0;
    case u'"':
        return 2;
    case u'%':
    case u'\u00EF':
        return 3;
    default:
        return 1;
    }
}

struct Fixture {
    const char *name;
    int visibleCodes;            // codes of the picture that are not transparent
    struct Join {
        int unit;
        int line;
        const char *why;
    };
    std::vector<Join> joins;     // kerned pairs that share columns and so one box
};

} // namespace

TEST(RealPictures, BoxesPerLineFollowTheShownText)
{
    const Fixture fixtures[] = {
        {"dvd-pal-sans", 2, {}},
        // With an outline the letters sit closer: the arm of the Y reaches over the foot of the L.
        {"dvd-pal-sans-outline", 2, {{6, 0, "LY"}}},
    };
    for (const Fixture &fixture : fixtures) {
        SCOPED_TRACE(fixture.name);
        const QString dir = test::dataPath(QString::fromLatin1(fixture.name));
        const auto units = test::demuxSpuUnits(dir + u"/dvd/VIDEO_TS/VTS_01_1.VOB"_qs);
        ASSERT_TRUE(units.ok()) << units.error().message().toStdString();
        const auto shown = srtLines(dir + u"/gt.srt"_qs);
        ASSERT_EQ(units->size(), shown.size());

        for (size_t i = 0; i < units->size(); ++i) {
            SCOPED_TRACE(testing::Message() << "unit " << i);
            picture::DecodedPicture picture;
            ripping::decodeSubpicture((*units)[i].bytes, 720, 576, picture);
            ColourCandidates candidates = picture.colourCandidates;
            EXPECT_EQ(std::count(candidates.begin(), candidates.end(), CandidateText), fixture.visibleCodes);
            const auto ink = detectTextColours(picture.codes, candidates);
            ASSERT_TRUE(ink.has_value());
            EXPECT_EQ(ink->outline, 255) << "the code met first on the top row is taken as background";

            const auto result = segmentSubtitle(picture.codes, *ink, {}, OcrSettings{});
            ASSERT_EQ(result.lines.size(), size_t(shown[i].size()));
            for (int l = 0; l < shown[i].size(); ++l) {
                int expected = 0;
                for (QChar c : shown[i][l])
                    expected += boxesOf(c);
                for (const Fixture::Join &j : fixture.joins)
                    if (j.unit == int(i) && j.line == l)
                        --expected;
                EXPECT_EQ(int(result.lines[size_t(l)].boxes.size()), expected) << shown[i][l].toStdString();
            }
        }
    }
}
