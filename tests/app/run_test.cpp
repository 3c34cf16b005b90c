// A whole run from the windows over the fixture DVD: only show, pause and resume, saving raw subpictures.
#include "app/run_wiring.h"
#include "recognition/glyph_asker.h"
#include "ripping/spu_decoder.h"
#include "subtitles/ui/subtitles_window.h"
#include "app/app.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "ripping/ui/preview_screen.h"
#include "ripping/ui/progress_controller.h"

#include "support/app_test.h"
#include "support/av_bmp_decoder.h"
#include "support/av_spu_demuxer.h"
#include "support/clock_shift.h"
#include "support/qt_print.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace glyfex;
using namespace glyfex::ripping;
using namespace glyfex::ripping::ui;

namespace {

const QString kDvd = QStringLiteral(GLYFEX_TEST_DATA_DIR "/dvd-pal-sans/dvd/VIDEO_TS");
const QString kVob = kDvd + QStringLiteral("/VTS_01_1.VOB");

// The units of stream 0 as FFmpeg's demuxer gathers them: the reference for what the run must meet.
std::vector<test::AvSpuUnit> referenceUnits(const QString &file = kVob)
{
    auto all = test::demuxSpuUnits(file);
    EXPECT_TRUE(all.ok()) << (all.ok() ? "" : all.error().message().toStdString());
    std::vector<test::AvSpuUnit> units;
    if (all.ok()) {
        for (auto &u : *all)
            if (u.substream == 0)
                units.push_back(std::move(u));
    }
    return units;
}

// The picture rectangle our decoder gives a unit: what the preview must show for it.
picture::Rect decodedRect(const std::vector<uint8_t> &bytes)
{
    picture::DecodedPicture picture;
    decodeSubpicture(bytes, 720, 576, picture);
    return picture.first().area();
}

// Calls back once each time the watched window is shown, from the event loop the window runs.
class ShowWatcher : public QObject {
public:
    std::function<void()> onShow;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && onShow)
            QTimer::singleShot(0, watched, onShow);
        return false;
    }
};

class RunTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        main = app.mainWindow();
        main->show();
        // The run writes a subtitle map beside what it reads: it reads a copy, never the repository's files.
        for (const char *name : {"VTS_01_0.IFO", "VTS_01_1.VOB"})
            ASSERT_TRUE(QFile::copy(kDvd + QLatin1Char('/') + QLatin1String(name), work.filePath(QLatin1String(name))));
        for (const char *name : {"vobsub.idx", "vobsub.sub"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(GLYFEX_TEST_DATA_DIR "/dvd-pal-sans/") + QLatin1String(name),
                                    work.filePath(QLatin1String(name))));
        ASSERT_TRUE(app.inputDialog()->openInputFile(work.filePath(QStringLiteral("VTS_01_0.IFO"))));
        controller = app.progressController();
        // The preview is to show each picture where it was decoded: the bitmap export neither crops nor moves it.
        // The Bitmap adjustment dialog, which comes before the first picture, loads the preset of the
        // output format: every preset is set so.
        app.presets.settings.croppingEnabled = false;
        app.presets.settings.positioningEnabled = false;
        for (core::BmpOutSettings &b : app.presets.presets) {
            b.croppingEnabled = false;
            b.positioningEnabled = false;
        }
        m_watcher.onShow = [this] {
            ++asked;
            shown.push_back(shownRect());
            const char *button = m_onShown ? m_onShown(asked) : "ButtonNext";
            if (auto *b = controller->findChild<QPushButton *>(QString::fromLatin1(button)))
                QTest::mouseClick(b, Qt::LeftButton);
        };
    }

    QString label(const char *name) const { return main->findChild<QLabel *>(QString::fromLatin1(name))->text(); }

    picture::Rect shownRect() const
    {
        return {label("LabelX1").toInt(), label("LabelY1").toInt(), label("LabelX2").toInt(), label("LabelY2").toInt()};
    }

    // Answers the Progression Controller each time it comes up: onShown sees the picture number (from 1)
    // and returns the button to press.
    void answerController(std::function<const char *(int)> onShown)
    {
        m_onShown = std::move(onShown);
        controller->installEventFilter(&m_watcher);
    }

    // Start saving raw subpictures with their times into out (movie00001.sup, ...): the run's subtitles
    // then hold the times the run gave them.
    bool startTimedRawSubpictures(const QTemporaryDir &out)
    {
        files.names = {out.filePath(QStringLiteral("movie"))};
        app.inputDialog()->setAction(picture::ActionMode::SaveRawSubpictures);
        app.inputDialog()->setWithTiming(true);
        return app.inputDialog()->start();
    }

    // The batch timer's ticks until the run is over (or nothing moves any more).
    void runToEnd()
    {
        for (int tick = 0; tick < 50 && !app.batch.finished(); ++tick) {
            if (app.batch.paused)
                break;
            main->batchTick();
        }
    }

    QTemporaryDir work;
    MainWindow *main = nullptr;
    ProgressController *controller = nullptr;
    int asked = 0;
    std::vector<picture::Rect> shown;
    ShowWatcher m_watcher;
    std::function<const char *(int)> m_onShown;
};

TEST_F(RunTest, OnlyShowWalksEverySubtitleWithPreviewAndCounters)
{
    const auto units = referenceUnits();
    ASSERT_EQ(units.size(), 10u);
    answerController([](int) { return "ButtonNext"; });
    app.inputDialog()->setAction(picture::ActionMode::OnlyShow);
    ASSERT_TRUE(app.inputDialog()->start());
    runToEnd();
    EXPECT_TRUE(app.batch.finished());
    ASSERT_EQ(shown.size(), units.size());
    for (size_t i = 0; i < units.size(); ++i)
        EXPECT_EQ(shown[i], decodedRect(units[i].bytes)) << "unit " << i;
    EXPECT_EQ(label("LabelTotalNbSup"), QStringLiteral("10"));
    EXPECT_EQ(label("LabelNbSup"), QStringLiteral("10"));
    EXPECT_EQ(label("LabelVobFile"), QStringLiteral("VTS_01_1.VOB"));
    EXPECT_TRUE(QFileInfo::exists(work.filePath(QStringLiteral("VTS_01_1.gxm")))) << "the map of the first pass";
    EXPECT_FALSE(main->previewScreen()->picture().isNull());
    EXPECT_TRUE(label("LabelPos").endsWith(QStringLiteral("(100 %)"))) << label("LabelPos").toStdString();
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
}

TEST_F(RunTest, ASecondStartFollowsTheMapAndShowsTheSameUnits)
{
    answerController([](int) { return "ButtonNext"; });
    app.inputDialog()->setAction(picture::ActionMode::OnlyShow);
    ASSERT_TRUE(app.inputDialog()->start());
    runToEnd();
    ASSERT_EQ(shown.size(), 10u);
    ASSERT_TRUE(app.inputDialog()->start());
    EXPECT_EQ(app.batch.mapUse, MapUse::Undecided) << "each run decides its map anew";
    runToEnd();
    ASSERT_EQ(shown.size(), 20u);
    for (size_t i = 0; i < 10; ++i)
        EXPECT_EQ(shown[10 + i], shown[i]) << "unit " << i;
    EXPECT_EQ(label("LabelTotalNbSup"), QStringLiteral("10"));
}

TEST_F(RunTest, AVobSubPairIsWalkedLikeTheDvd)
{
    const auto units = referenceUnits(QStringLiteral(GLYFEX_TEST_DATA_DIR "/dvd-pal-sans/vobsub.sub"));
    ASSERT_EQ(units.size(), 10u);
    ASSERT_TRUE(app.inputDialog()->openInputFile(work.filePath(QStringLiteral("vobsub.idx"))));
    answerController([](int) { return "ButtonNext"; });
    app.inputDialog()->setAction(picture::ActionMode::OnlyShow);
    ASSERT_TRUE(app.inputDialog()->start());
    EXPECT_EQ(app.batch.vobSubUnits.size(), units.size()) << "the index's times were read at Start";
    runToEnd();
    EXPECT_TRUE(app.batch.finished());
    ASSERT_EQ(shown.size(), units.size());
    for (size_t i = 0; i < units.size(); ++i)
        EXPECT_EQ(shown[i], decodedRect(units[i].bytes)) << "unit " << i;
}

// An index line another tool damaged to point past the end of the .sub costs its own subtitle only: the
// run reads the others by the index's positions, each with its own line's time, and names the line.
TEST_F(RunTest, AnIndexLinePastTheEndOfTheSubCostsOnlyItsSubtitle)
{
    const QString idx = work.filePath(QStringLiteral("vobsub.idx"));
    QFile file(idx);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll();
    file.close();
    const QByteArray third = "timestamp: 00:00:07:540, filepos: 000001800\r\n";
    ASSERT_TRUE(text.contains(third));
    text.replace(third, third + "timestamp: 00:00:08:000, filepos: 000100000\r\n"); // line 22, past the 32 KiB
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(text), text.size());
    file.close();
    app.config.options.useFileOffsets = true;
    ASSERT_TRUE(app.inputDialog()->openInputFile(idx));
    QTemporaryDir out;
    ASSERT_TRUE(startTimedRawSubpictures(out));
    runToEnd();
    ASSERT_EQ(app.subtitles.count(), 10);
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(core::timeCodeToMilliseconds(app.subtitles.at(i).start), 1540 + 3000 * (i - 1)) << "subtitle " << i;
    EXPECT_TRUE(prompt.shown.join(QLatin1Char('|')).contains(QStringLiteral("Line 22 of vobsub.idx")))
        << prompt.shown.join(QLatin1Char('|')).toStdString();
}

TEST_F(RunTest, PausingFromTheControllerShowsThePictureAgainWithoutCountingItTwice)
{
    const auto units = referenceUnits();
    ASSERT_EQ(units.size(), 10u);
    answerController([](int n) { return n == 3 ? "ButtonPause" : "ButtonNext"; });
    app.inputDialog()->setAction(picture::ActionMode::OnlyShow);
    ASSERT_TRUE(app.inputDialog()->start());
    runToEnd();
    ASSERT_TRUE(app.batch.paused);
    EXPECT_FALSE(app.batch.processing);
    EXPECT_EQ(label("LabelTotalNbSup"), QStringLiteral("2")) << "the interrupted picture is not counted yet";
    QTest::mouseClick(main->findChild<QPushButton *>(QStringLiteral("ButtonPause")), Qt::LeftButton); // Continue
    runToEnd();
    EXPECT_TRUE(app.batch.finished());
    ASSERT_EQ(shown.size(), units.size() + 1);
    for (size_t i = 0; i < shown.size(); ++i) {
        const size_t unit = i < 3 ? i : i - 1; // the third picture comes twice
        EXPECT_EQ(shown[i], decodedRect(units[unit].bytes)) << "picture " << i;
    }
    EXPECT_EQ(label("LabelTotalNbSup"), QStringLiteral("10"));
}

TEST_F(RunTest, PausingWithTheMainButtonResumesAfterTheUnit)
{
    const auto units = referenceUnits();
    ASSERT_EQ(units.size(), 10u);
    auto *pause = main->findChild<QPushButton *>(QStringLiteral("ButtonPause"));
    answerController([pause](int n) {
        if (n == 4)
            QTest::mouseClick(pause, Qt::LeftButton); // while the controller waits, inside the pass
        return "ButtonNext";
    });
    app.inputDialog()->setAction(picture::ActionMode::OnlyShow);
    ASSERT_TRUE(app.inputDialog()->start());
    runToEnd();
    ASSERT_TRUE(app.batch.paused);
    EXPECT_TRUE(app.batch.pausedByMainButton);
    EXPECT_EQ(shown.size(), 4u) << "the pass left at the end of the unit";
    QTest::mouseClick(pause, Qt::LeftButton);
    runToEnd();
    EXPECT_TRUE(app.batch.finished());
    ASSERT_EQ(shown.size(), units.size()) << "every unit once";
    for (size_t i = 0; i < units.size(); ++i)
        EXPECT_EQ(shown[i], decodedRect(units[i].bytes)) << "unit " << i;
}

TEST_F(RunTest, SavingRawSubpicturesWritesEveryUnitAsItIs)
{
    const auto units = referenceUnits();
    ASSERT_EQ(units.size(), 10u);
    QTemporaryDir out;
    const QString base = out.filePath(QStringLiteral("movie"));
    files.names = {base};
    app.inputDialog()->setAction(picture::ActionMode::SaveRawSubpictures);
    ASSERT_TRUE(app.inputDialog()->start());
    runToEnd();
    EXPECT_TRUE(app.batch.finished());
    const QStringList written = QDir(out.path()).entryList({QStringLiteral("*.sup")}, QDir::Files, QDir::Name);
    ASSERT_EQ(written.size(), int(units.size())) << written.join(QLatin1Char(' ')).toStdString();
    for (size_t i = 0; i < units.size(); ++i) {
        EXPECT_EQ(written[int(i)], QStringLiteral("movie%1.sup").arg(i + 1, 5, 10, QLatin1Char('0')));
        QFile f(out.filePath(written[int(i)]));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_EQ(bytes, QByteArray(reinterpret_cast<const char *>(units[i].bytes.data()), qsizetype(units[i].bytes.size())))
            << written[int(i)].toStdString();
    }
    EXPECT_EQ(app.subtitles.count(), 0) << "without + TC & Res. no subtitles are made";
}

TEST_F(RunTest, TimedRawSubpicturesBecomeSubtitlesNamedAfterTheirFiles)
{
    QTemporaryDir out;
    ASSERT_TRUE(startTimedRawSubpictures(out));
    runToEnd();
    ASSERT_EQ(app.subtitles.count(), 10);
    for (int i = 1; i <= 10; ++i) {
        const subtitles::Subtitle &s = app.subtitles.at(i);
        EXPECT_EQ(s.lines, QStringList({QStringLiteral("movie%1.sup").arg(i, 5, 10, QLatin1Char('0'))}));
        EXPECT_LT(core::timeCodeToMilliseconds(s.start), core::timeCodeToMilliseconds(s.stop)) << "subtitle " << i;
        if (i > 1) {
            EXPECT_LE(core::timeCodeToMilliseconds(app.subtitles.at(i - 1).stop), core::timeCodeToMilliseconds(s.start));
        }
    }
    EXPECT_TRUE(app.subtitlesWindow()->isVisible());
}

// A title set whose clocks start at 6 h 37 min 30 s and pass 2^31 ticks, as the later part of a long title:
// the subtitles the run stores are FFmpeg's within one frame, the main window's clock and the time the input
// dialog proposes for the next disc go on past 6 h 37 min.
TEST_F(RunTest, LongTitleTimesAreFfmpegsPast2To31Ticks)
{
    const QString folder = work.filePath(QStringLiteral("long"));
    ASSERT_EQ(test::copyTitleSetShifted(kDvd, folder, int64_t(23850) * 90000), QString());
    const auto truth = test::unitTimesByFfmpeg(folder + QStringLiteral("/VTS_01_1.VOB"));
    ASSERT_TRUE(truth) << truth.error().message().toStdString();
    ASSERT_EQ(truth->size(), 10u);
    ASSERT_GT(truth->back().startMs, (int64_t(1) << 31) / 90) << "the title is to pass 2^31 ticks";
    ASSERT_TRUE(app.inputDialog()->openInputFile(folder + QStringLiteral("/VTS_01_0.IFO")));
    QTemporaryDir out;
    ASSERT_TRUE(startTimedRawSubpictures(out));
    runToEnd();
    ASSERT_EQ(app.subtitles.count(), int(truth->size()));
    for (int i = 1; i <= app.subtitles.count(); ++i) {
        const subtitles::Subtitle &s = app.subtitles.at(i);
        EXPECT_NEAR(core::timeCodeToMilliseconds(s.start), (*truth)[size_t(i - 1)].startMs, 40) << "start of " << i;
        EXPECT_NEAR(core::timeCodeToMilliseconds(s.stop), (*truth)[size_t(i - 1)].stopMs, 40) << "stop of " << i;
    }
    EXPECT_TRUE(label("LabelTime7").startsWith(QStringLiteral("06:3"))) << label("LabelTime7").toStdString();
    app.inputDialog()->show();
    const int64_t proposed = core::timeCodeToMilliseconds(app.inputDialog()->lastTimeCode());
    app.inputDialog()->hide();
    EXPECT_GT(proposed, truth->back().startMs);
    EXPECT_LT(proposed, truth->back().startMs + 60000);
}

TEST_F(RunTest, SavingBitmapsWritesPlainOrCompressedFilesAsTheInputDialogSays)
{
    auto *compress = app.inputDialog()->findChild<QCheckBox *>(QStringLiteral("CheckBoxCompress"));
    ASSERT_NE(compress, nullptr);
    app.inputDialog()->setAction(picture::ActionMode::RecogniseText);
    EXPECT_FALSE(compress->isEnabled()) << "recognition saves no bitmaps";
    for (bool compressed : {true, false}) {
        QTemporaryDir out;
        files.names = {out.filePath(QStringLiteral("movie"))};
        app.inputDialog()->setAction(picture::ActionMode::SaveBitmaps);
        ASSERT_TRUE(compress->isEnabled());
        if (compress->isChecked() != compressed)
            compress->click();
        EXPECT_EQ(app.presets.settings.compress, compressed);
        EXPECT_EQ(app.presets.presets[size_t(app.presets.current)].compress, compressed) << "kept with the presets";
        ASSERT_TRUE(app.inputDialog()->start());
        runToEnd();
        const QStringList written = QDir(out.path()).entryList({QStringLiteral("*.bmp")}, QDir::Files, QDir::Name);
        ASSERT_EQ(written.size(), 10);
        for (const QString &name : written) {
            QFile f(out.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            ASSERT_GT(bytes.size(), 54);
            EXPECT_EQ(uint8_t(bytes[30]), compressed ? 2 : 0) << name.toStdString() << ": 4 bits, BI_RLE4 or BI_RGB";
            auto decoded = test::decodeBmpWithFfmpeg(bytes);
            EXPECT_TRUE(decoded.ok()) << name.toStdString();
        }
    }
}

TEST_F(RunTest, RecognisingHandsEveryPictureOnAndShowsIt)
{
    const auto units = referenceUnits();
    // With an empty matrix each picture's first shape is asked about; dropping the picture moves on.
    struct DroppingAsker : recognition::GlyphAsker {
        int asked = 0;
        recognition::GlyphAnswer askGlyph(const recognition::GlyphQuestion &) override
        {
            ++asked;
            return {{}, 0, recognition::AnswerCode::SkipSubPicture};
        }
    } asker;
    app.run().setGlyphAsker(&asker);
    main->findChild<QCheckBox *>(QStringLiteral("CheckBoxShowSubPict"))->setChecked(true);
    app.inputDialog()->setAction(picture::ActionMode::RecogniseText);
    ASSERT_TRUE(app.inputDialog()->start());
    runToEnd();
    ASSERT_EQ(asker.asked, int(units.size()));
    EXPECT_EQ(shownRect(), decodedRect(units.back().bytes));
}

} // namespace
