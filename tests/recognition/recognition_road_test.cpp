// The fixture discs through reading pass, decoder and driver, answered from their true text.
#include "ocr_road.h"

#include "recognition/char_matrix_file.h"
#include "ripping/subtitle_map.h"
#include "recognition/scripted_answerer.h"
#include "recognition/text_colour.h"
#include "support/dispatch_fakes.h"
#include "support/test_data.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

using namespace glyfex;
using namespace glyfex::recognition;

namespace {

// The times each unit gets from the dispatcher, without recognition.
std::vector<picture::DisplayTimes> unitTimes(const QString &file)
{
    test::FakeSubtitles subs;
    test::RecordingRecognition rec(subs);
    test::QuietDispatchHost host;
    ripping::PlainExport exporter;
    ripping::DispatchOptions o;
    ripping::RunState run;
    run.vobList = {file};
    run.vobSizes = {QFileInfo(file).size()};
    run.totalBytes = run.vobSizes[0];
    run.useMap = false;
    ripping::SpuDispatcher d(o, run, subs, rec, exporter, host);
    ripping::SilentVobPassHost passHost;
    ripping::VobPass pass(run, passHost, d);
    while (!run.finished())
        (void)pass.readCurrentFile();
    ripping::closeLastSubtitle(subs, 5000);
    std::vector<picture::DisplayTimes> out;
    for (const auto &e : subs.entries)
        out.push_back(e.times);
    return out;
}

std::string joined(const QStringList &lines) { return lines.join(QLatin1Char('|')).toStdString(); }

} // namespace

class FixtureRoad : public testing::TestWithParam<const char *> {};

TEST_P(FixtureRoad, LearnsFromTheTruthThenReadsItAgainWithoutAQuestion)
{
    const QString dir = test::dataPath(QString::fromLatin1(GetParam()));
    for (const QString &file : {dir + QStringLiteral("/dvd/VIDEO_TS/VTS_01_1.VOB"), dir + QStringLiteral("/vobsub.sub")}) {
        SCOPED_TRACE(file.toStdString());
        auto truth = readGroundTruth(dir + QStringLiteral("/gt.srt"));
        ASSERT_TRUE(truth.ok()) << truth.error().message().toStdString();
        const std::vector<picture::DisplayTimes> times = unitTimes(file);
        ASSERT_EQ(times.size(), truth->size());

        CharMatrix matrix;
        GroundTruthAnswerer teacher(*truth);
        test::OcrRoad first(matrix, teacher, file);
        EXPECT_EQ(first.runAll().end, ripping::PassEnd::FileDone);
        EXPECT_EQ(teacher.unanswerable(), 0);
        EXPECT_GT(first.driver.questionsAsked(), 0);
        ASSERT_EQ(first.store.count(), int(truth->size()));
        for (int i = 1; i <= first.store.count(); ++i) {
            const subtitles::Subtitle &s = first.store.at(i);
            EXPECT_EQ(joined(s.lines), joined((*truth)[size_t(i - 1)].lines)) << "subtitle " << i;
            EXPECT_EQ(s.start, times[size_t(i - 1)].start) << "subtitle " << i;
            EXPECT_EQ(s.stop, times[size_t(i - 1)].stop) << "subtitle " << i;
        }

        // The taught matrix, saved and loaded, knows every shape.
        QTemporaryDir scratch;
        const QString saved = scratch.filePath(QStringLiteral("taught.gxc"));
        ASSERT_TRUE(saveCharMatrix(matrix, saved).ok());
        CharMatrix reloaded;
        core::NullPassHost host;
        ASSERT_TRUE(loadCharMatrix(saved, reloaded, 1252, host).ok());
        ScriptedAnswerer nobody(first.control);
        test::OcrRoad second(reloaded, nobody, file);
        EXPECT_EQ(second.runAll().end, ripping::PassEnd::FileDone);
        EXPECT_EQ(second.driver.questionsAsked(), 0);
        EXPECT_TRUE(nobody.violations().isEmpty()) << nobody.violations().join(QLatin1Char('\n')).toStdString();
        ASSERT_EQ(second.store.count(), first.store.count());
        for (int i = 1; i <= second.store.count(); ++i)
            EXPECT_EQ(joined(second.store.at(i).lines), joined(first.store.at(i).lines)) << "subtitle " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Discs, FixtureRoad, testing::Values("dvd-pal-sans", "dvd-pal-sans-outline"),
                         [](const auto &info) {
                             std::string n = info.param;
                             for (char &ch : n)
                                 if (ch == '-')
                                     ch = '_';
                             return n;
                         });

// Pauses on the first question of some pictures, through the run control as the dialog does, and
// answers from the truth otherwise.
class PausingTeacher : public GlyphAsker {
public:
    PausingTeacher(GroundTruthAnswerer &truth, RunControl &control, std::vector<int> pauseAtQuestion)
        : m_truth(truth), m_control(control), m_pauses(std::move(pauseAtQuestion)) {}
    GlyphAnswer askGlyph(const GlyphQuestion &q) override
    {
        ++m_asked;
        if (std::find(m_pauses.begin(), m_pauses.end(), m_asked) != m_pauses.end()) {
            m_control.pauseAndRewind();
            return GlyphAnswer{{}, 0, AnswerCode::Pause};
        }
        return m_truth.askGlyph(q);
    }

private:
    GroundTruthAnswerer &m_truth;
    RunControl &m_control;
    std::vector<int> m_pauses;
    int m_asked = 0;
};

TEST(FixtureRoadPause, ThePausedPictureComesBackOnResumeAndIsStoredOnce)
{
    const QString dir = test::dataPath(QStringLiteral("dvd-pal-sans"));
    // Without a map, while building one, and while following one: each must lead back to the picture.
    for (const char *mode : {"no map", "building the map", "following the map"}) {
        SCOPED_TRACE(mode);
        const bool useMap = std::string(mode) != "no map";
        QTemporaryDir scratch;
        const QString vob = scratch.filePath(QStringLiteral("VTS_01_1.VOB"));
        ASSERT_TRUE(QFile::copy(dir + QStringLiteral("/dvd/VIDEO_TS/VTS_01_1.VOB"), vob));
        auto truth = readGroundTruth(dir + QStringLiteral("/gt.srt"));
        ASSERT_TRUE(truth.ok());
        if (std::string(mode) == "following the map") {
            CharMatrix m;
            GroundTruthAnswerer t(*truth);
            test::OcrRoad build(m, t, vob);
            build.run.useMap = true;
            build.runAll();
            ASSERT_TRUE(QFile::exists(ripping::SubtitleMap::pathFor(vob)));
        }
        CharMatrix matrix;
        GroundTruthAnswerer truthAnswers(*truth);
        std::unique_ptr<PausingTeacher> teacher;
        // The road owns the run control, so the teacher is bound to it once the road exists.
        struct Late : GlyphAsker {
            GlyphAsker *inner = nullptr;
            GlyphAnswer askGlyph(const GlyphQuestion &q) override { return inner->askGlyph(q); }
        } late;
        test::OcrRoad road(matrix, late, vob);
        road.run.useMap = useMap;
        teacher = std::make_unique<PausingTeacher>(truthAnswers, road.control, std::vector<int>{1, 40});
        late.inner = teacher.get();
        EXPECT_EQ(road.runAll().end, ripping::PassEnd::FileDone);
        EXPECT_EQ(road.pauses, 2);
        EXPECT_EQ(road.run.spuCountTotal, truth->size());
        if (useMap) {
            EXPECT_TRUE(QFile::exists(ripping::SubtitleMap::pathFor(vob)));
        }
        ASSERT_EQ(road.store.count(), int(truth->size()));
        for (int i = 1; i <= road.store.count(); ++i)
            EXPECT_EQ(joined(road.store.at(i).lines), joined((*truth)[size_t(i - 1)].lines)) << "subtitle " << i;
    }
}

// Yellow text with a blue outline and a black shadow: the text and outline codes chosen once in the OCR
// assistant (codes 1 and 2 checked) hold for the whole run, and every character is read.
TEST(FixtureRoadColours, ColoursChosenOnceReadEveryCharacter)
{
    const QString dir = test::dataPath(QStringLiteral("dvd-pal-condensed-colours"));
    const QString file = dir + QStringLiteral("/vobsub.sub");
    auto truth = readGroundTruth(dir + QStringLiteral("/gt.srt"));
    ASSERT_TRUE(truth.ok()) << truth.error().message().toStdString();
    // The condensed letters stand at most 6 pixels apart and the words at least 10 (after an "r", whose
    // arm reaches over the gap): the user sets a space width of 8 for this material.
    constexpr int kCondensedSpaceWidth = 8;

    CharMatrix matrix;
    GroundTruthAnswerer teacher(*truth);
    test::OcrRoad first(matrix, teacher, file);
    first.driver.options().match.settings.spaceWidth = kCondensedSpaceWidth;
    first.assist.mode = OcrAssistState::Fixed;
    first.assist.fixedInk = *inkCodesOfChoice({false, true, true, false});
    EXPECT_EQ(first.runAll().end, ripping::PassEnd::FileDone);
    EXPECT_EQ(teacher.unanswerable(), 0);

    ScriptedAnswerer nobody(first.control);
    test::OcrRoad second(matrix, nobody, file);
    second.driver.options().match.settings.spaceWidth = kCondensedSpaceWidth;
    second.assist = first.assist;
    EXPECT_EQ(second.runAll().end, ripping::PassEnd::FileDone);
    EXPECT_EQ(second.driver.questionsAsked(), 0);
    ASSERT_EQ(second.store.count(), int(truth->size()));
    for (int i = 1; i <= second.store.count(); ++i)
        EXPECT_EQ(joined(second.store.at(i).lines), joined((*truth)[size_t(i - 1)].lines)) << "subtitle " << i;
}
