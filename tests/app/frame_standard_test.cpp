// The frame standard and rate as the sources set them, in the program as main() builds it: the frame of the time
// correction's one-frame repair after each source, and the bitmap presets, the Bitmap adjustment dialog's limits and
// an unattended rip's script after PAL and NTSC title sets and videos.
#include "app/run_wiring.h"
#include "core/ini_store.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "sources/ui/video_viewer.h"
#include "subtitles/ui/bitmap_adjust_dialog.h"
#include "subtitles/ui/subtitles_window.h"
#include "support/app_test.h"
#include "support/qt_print.h"
#include "support/sequence_pictures.h"
#include "support/test_data.h"
#include "support/test_video.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace glyfex {
namespace {

using recognition::AnswerCode;

const QString kPalDvd = QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS");
const QString kNtscDvd = QStringLiteral("dvd-ntsc-two-streams/dvd/VIDEO_TS");

// Drops every picture it is asked about: the sources run through without a person.
struct DroppingAsker : recognition::GlyphAsker {
    recognition::GlyphAnswer askGlyph(const recognition::GlyphQuestion &) override
    {
        return {{}, 0, AnswerCode::SkipSubPicture};
    }
};

class FrameStandardTest : public test::AppTest {
protected:
    void SetUp() override
    {
        test::AppTest::SetUp();
        app.loadSettings();
        app.mainWindow()->show();
        app.run().setGlyphAsker(&asker);
        ASSERT_TRUE(scratch.isValid());
    }

    template <typename T> T *child(QWidget *w, const char *name) const
    {
        T *found = w->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // A copy of a fixture title set (the pass writes its subtitle map beside it), opened in the input dialog.
    void openTitleSet(const QString &fixture)
    {
        const QString folder = scratch.filePath(QString::number(++m_copies));
        ASSERT_NO_FATAL_FAILURE(test::copyTitleSet(test::dataPath(fixture), folder));
        ASSERT_TRUE(app.inputDialog()->openInputFile(folder + QStringLiteral("/VIDEO_TS/VTS_01_0.IFO")))
            << prompt.shown.join(QLatin1Char('\n')).toStdString();
    }

    // Open, Start "recognise text" on the first stream, run to the end.
    void runTitleSet(const QString &fixture)
    {
        ASSERT_NO_FATAL_FAILURE(openTitleSet(fixture));
        ripping::ui::InputDialog *input = app.inputDialog();
        input->selectStream(0);
        input->setAction(picture::ActionMode::RecogniseText);
        ASSERT_TRUE(input->start()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
        ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
    }

    QAction *mainAction(const char *name) const { return child<QAction>(app.mainWindow(), name); }

    DroppingAsker asker;
    QTemporaryDir scratch;
    int m_copies = 0;
};

// --- the frame of the one-frame repair --------------------------------------------------------------

// One source the user works with before correcting the times.
enum class Source {
    PalDisc,
    NtscDisc,
    Video2997,
    Video23976,
    SequenceAt30,
    SequenceAt2997,
    SequenceAt23976,
    MicroDvdRateLine2997,
    SubRipAtBox25,
    SubRipAtBox2997
};

struct RepairCase {
    const char *name;
    std::vector<Source> sources; // in the order they are used
    int frameMs;                 // what a subtitle of no length becomes
};

// Listings show a row by its name rather than by its bytes, which hold pointers and change from run to run.
void PrintTo(const RepairCase &c, std::ostream *os) { *os << c.name; }

class RepairFrame : public FrameStandardTest, public ::testing::WithParamInterface<RepairCase> {
protected:
    void use(Source source)
    {
        subtitles::ui::SubtitlesWindow &window = app.run().subtitlesWindow();
        switch (source) {
        case Source::PalDisc: return runTitleSet(kPalDvd);
        case Source::NtscDisc: return runTitleSet(kNtscDvd);
        case Source::Video2997:
        case Source::Video23976: {
            const bool ntsc = source == Source::Video2997;
            const QString path = scratch.filePath(ntsc ? QStringLiteral("ntsc.mkv") : QStringLiteral("film.mkv"));
            const QString rate = ntsc ? QStringLiteral("30000/1001") : QStringLiteral("24000/1001");
            ASSERT_EQ(test::makeVideo(path, QStringLiteral("color=c=black:s=64x48:r=") + rate, {}, 3,
                                      {QStringLiteral("-c:v"), QStringLiteral("ffv1")}),
                      QString());
            files.names = {path};
            mainAction("OpenVideo")->trigger();
            ASSERT_TRUE(app.videoOpen);
            return;
        }
        case Source::SequenceAt30:
        case Source::SequenceAt2997:
        case Source::SequenceAt23976: {
            ASSERT_TRUE(test::drawTextBmp24(scratch.filePath(QStringLiteral("sub0.bmp")), QStringLiteral("Hello")).ok());
            const QString script = scratch.filePath(QStringLiteral("seq.txt"));
            const QByteArray rate = source == Source::SequenceAt30     ? "30"
                                    : source == Source::SequenceAt2997 ? "29.970"
                                                                       : "23.976";
            test::writeBytes(script, "FrameRate=" + rate + "\r\n{30}{60}sub0.bmp\r\n");
            files.names = {script};
            mainAction("OpenImageSequence1")->trigger();
            return;
        }
        case Source::MicroDvdRateLine2997:
        case Source::SubRipAtBox25:
        case Source::SubRipAtBox2997: {
            const bool microDvd = source == Source::MicroDvdRateLine2997;
            const QString path = scratch.filePath(microDvd ? QStringLiteral("film.sub") : QStringLiteral("film.srt"));
            test::writeBytes(path, microDvd ? QByteArray("{1}{1}29.970\r\n{100}{200}Hello\r\n")
                                            : QByteArray("1\r\n00:00:04,000 --> 00:00:06,000\r\nHello\r\n\r\n"));
            // The box stands at another rate than the file's own line says.
            child<QComboBox>(&window, "ComboBoxFPS")->setCurrentText(source == Source::SubRipAtBox2997
                                                                         ? QStringLiteral("29.970")
                                                                         : QStringLiteral("25.000"));
            files.names = {path};
            prompt.answers = {core::Answer::Yes}; // another text may replace the run's
            child<QAction>(&window, "OpenGlyfexFormat1")->trigger();
            prompt.answers.clear();
            ASSERT_EQ(window.store().count(), 1) << prompt.shown.join(QLatin1Char('\n')).toStdString();
            return;
        }
        }
    }
};

TEST_P(RepairFrame, IsTheFrameOfTheLastSource)
{
    const RepairCase &c = GetParam();
    for (Source s : c.sources)
        ASSERT_NO_FATAL_FAILURE(use(s));
    // A subtitle of no length, then Time correction's "minimal duration of 1 frame + repair".
    subtitles::ui::SubtitlesWindow &window = app.run().subtitlesWindow();
    subtitles::Subtitle zero;
    zero.start = core::millisecondsToTimeCode(10000);
    zero.stop = zero.start;
    zero.lines = {QStringLiteral("Hello")};
    window.store().subs = {zero};
    window.followStore();
    QWidget *correction = app.window(QStringLiteral("Form14"));
    ASSERT_NE(correction, nullptr);
    QTimer::singleShot(0, correction, [&] {
        child<QCheckBox>(correction, "CheckBoxTimeAuthor")->setChecked(true);
        QTest::mouseClick(child<QPushButton>(correction, "BitBtnModifyTC"), Qt::LeftButton);
    });
    child<QAction>(&window, "TimeCorrection1")->trigger();
    ASSERT_EQ(window.store().count(), 1);
    EXPECT_EQ(core::timeCodeToMilliseconds(window.store().at(1).stop) - 10000, c.frameMs);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RepairFrame,
    ::testing::Values(RepairCase{"DvdPal", {Source::PalDisc}, 40}, RepairCase{"DvdNtsc", {Source::NtscDisc}, 33},
                      // A video and a sequence count the whole frames of a second alike: 29.97 makes 29, 23.976 23.
                      RepairCase{"Video2997", {Source::Video2997}, 34},
                      RepairCase{"Video23976", {Source::Video23976}, 43},
                      RepairCase{"SequenceFrameRate30", {Source::SequenceAt30}, 33},
                      RepairCase{"SequenceFrameRate2997", {Source::SequenceAt2997}, 34},
                      RepairCase{"SequenceFrameRate23976", {Source::SequenceAt23976}, 43},
                      RepairCase{"MicroDvdRateLine2997", {Source::MicroDvdRateLine2997}, 33},
                      RepairCase{"SubRipAtTheBoxsRate2997", {Source::SubRipAtBox2997}, 33},
                      // Each source sets the frame anew: the last one counts.
                      RepairCase{"NtscDiscThenASubRipAt25", {Source::NtscDisc, Source::SubRipAtBox25}, 40},
                      RepairCase{"SubRipAt25ThenASequenceAt30", {Source::SubRipAtBox25, Source::SequenceAt30}, 33},
                      RepairCase{"NtscDiscThenAPalDisc", {Source::NtscDisc, Source::PalDisc}, 40}),
    [](const ::testing::TestParamInfo<RepairCase> &info) { return std::string(info.param.name); });

// --- the bitmap presets and the Bitmap adjustment dialog over PAL and NTSC --------------------------

// What the user opens or closes before looking at the presets.
enum class Opened {
    TitleSet,    // the fixture's title set in the input dialog
    Video,       // a video of the step's rows in the video viewer
    VideoClosed, // the open video closed with the viewer's Close
    VideoFailed, // a video of the step's rows that cannot be shown (a single frame)
};

struct StandardStep {
    const char *what;
    Opened opened;
    const QString *fixture; // the title set opened (title sets only)
    bool showDialog;        // the Bitmap adjustment dialog is shown and confirmed meanwhile
    int rows;               // the frame's rows that the presets and the dialog follow
};

TEST_F(FrameStandardTest, PresetsAndTheAdjustmentDialogFollowTheStandardBothWays)
{
    auto *adjust = qobject_cast<subtitles::ui::BitmapAdjustDialog *>(app.window(QStringLiteral("Form18")));
    ASSERT_NE(adjust, nullptr);
    sources::ui::VideoViewer *viewer = app.videoViewer();
    ASSERT_NE(viewer, nullptr);
    // A video is the frame's size until it is closed; a failed open gives back the frame before it.
    const auto openVideo = [&](int rows, int frames) {
        const QString path = scratch.filePath(QStringLiteral("video-%1-%2.mkv").arg(rows).arg(++m_copies));
        ASSERT_EQ(test::makeVideo(path, QStringLiteral("color=c=black:s=720x%1:r=25").arg(rows), {}, frames,
                                  {QStringLiteral("-c:v"), QStringLiteral("ffv1")}),
                  QString());
        files.names = {path};
        mainAction("OpenVideo")->trigger();
    };
    const StandardStep steps[] = {
        {"NTSC title set", Opened::TitleSet, &kNtscDvd, true, 480},
        {"PAL title set", Opened::TitleSet, &kPalDvd, false, 576},
        {"NTSC title set again", Opened::TitleSet, &kNtscDvd, false, 480},
        {"PAL title set, confirmed", Opened::TitleSet, &kPalDvd, true, 576},
        {"NTSC title set, confirmed", Opened::TitleSet, &kNtscDvd, true, 480},
        {"576-line video over the NTSC title set", Opened::Video, nullptr, true, 576},
        {"closed: the NTSC title set's frame", Opened::VideoClosed, nullptr, false, 480},
        {"PAL title set before the videos", Opened::TitleSet, &kPalDvd, false, 576},
        {"480-line video over the PAL title set", Opened::Video, nullptr, true, 480},
        {"closed: the PAL title set's frame", Opened::VideoClosed, nullptr, true, 576},
        {"480-line video that fails over the PAL title set", Opened::VideoFailed, nullptr, true, 576},
        {"NTSC title set before a failed video", Opened::TitleSet, &kNtscDvd, false, 480},
        {"576-line video that fails", Opened::VideoFailed, nullptr, false, 480},
    };
    for (const StandardStep &step : steps) {
        SCOPED_TRACE(step.what);
        switch (step.opened) {
        case Opened::TitleSet: ASSERT_NO_FATAL_FAILURE(openTitleSet(*step.fixture)); break;
        case Opened::Video:
            ASSERT_NO_FATAL_FAILURE(openVideo(step.rows, 3));
            ASSERT_TRUE(viewer->videoOpen());
            break;
        case Opened::VideoClosed:
            QTest::mouseClick(child<QPushButton>(viewer, "bbCloseVideo"), Qt::LeftButton);
            ASSERT_FALSE(viewer->videoOpen());
            break;
        case Opened::VideoFailed:
            ASSERT_NO_FATAL_FAILURE(openVideo(step.rows == 480 ? 576 : 480, 1));
            ASSERT_FALSE(viewer->videoOpen()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
            break;
        }
        if (step.showDialog)
            adjust->exec(); // OK: the controls' values become the preset's
        const int lowered = step.rows - 2;
        for (int preset : {core::PresetSonicDvdCreator, core::PresetSonicScenarist, core::PresetPinnacleImpression})
            EXPECT_EQ(app.presets.presets[size_t(preset)].cropMinY, lowered) << "preset " << preset;
        EXPECT_EQ(app.presets.presets[core::PresetIAuthor].cropMinY, 50) << "a minimum inside both frames stays";
        EXPECT_EQ(app.presets.settings.cropMinY, lowered) << "the current settings";
        EXPECT_EQ(child<QSpinBox>(adjust, "SpinEditMinY")->maximum(), step.rows);
        EXPECT_EQ(child<QSpinBox>(adjust, "SpinEditTopPosition")->maximum(), step.rows - 1);
        EXPECT_EQ(child<QSpinBox>(adjust, "SpinEditAddTopPos")->minimum(), -step.rows);
        EXPECT_EQ(child<QSpinBox>(adjust, "SpinEditAddTopPos")->maximum(), step.rows);
        const QString other = QString::number(step.rows == 480 ? 576 : 480);
        for (const QString &caption : {child<QGroupBox>(adjust, "GroupBoxSizeConstraints")->title(),
                                       child<QRadioButton>(adjust, "RadioButtonBottomTopPos")->text()}) {
            EXPECT_TRUE(caption.contains(QString::number(step.rows))) << caption.toStdString();
            EXPECT_FALSE(caption.contains(other)) << caption.toStdString();
        }
    }
}

TEST_F(FrameStandardTest, AnNtscRunLeavesThePresetsOfTheNextStartAsTheyWere)
{
    ASSERT_NO_FATAL_FAILURE(runTitleSet(kNtscDvd));
    auto *adjust = qobject_cast<subtitles::ui::BitmapAdjustDialog *>(app.window(QStringLiteral("Form18")));
    ASSERT_NE(adjust, nullptr);
    adjust->exec();
    ASSERT_EQ(app.presets.presets[core::PresetSonicScenarist].cropMinY, 478);
    app.saveSettings();
    auto ini = core::IniStore::open(app.paths.configFile());
    ASSERT_TRUE(ini.ok());
    for (int preset : {2, 3, 5})
        EXPECT_EQ(ini->readInteger(QStringLiteral("BMPOUT %1").arg(preset), QStringLiteral("Cropping_MinY"), 0), 574)
            << "preset " << preset;

    // The next start, on a PAL title set.
    app::App next(folders.folders());
    next.setPrompt(&prompt);
    next.setFileChooser(&files);
    next.createWindows();
    next.loadSettings();
    EXPECT_EQ(next.presets.presets[core::PresetSonicScenarist].cropMinY, 574);
    EXPECT_EQ(next.presets.settings.cropMinY, 574);
}

// --- an unattended rip --------------------------------------------------------------------------

struct RipCase {
    const char *name;
    const QString *fixture;
    const char *pixelArea; // the Scenarist script's line
    int bitmapRows;
};

void PrintTo(const RipCase &c, std::ostream *os) { *os << c.name; }

class UnattendedRip : public ::testing::TestWithParam<RipCase> {};

TEST_P(UnattendedRip, WritesTheScriptAndBitmapsOfTheTitlesFrame)
{
    const RipCase &c = GetParam();
    QTemporaryDir home;
    ASSERT_NO_FATAL_FAILURE(test::copyTitleSet(test::dataPath(*c.fixture), home.filePath(QStringLiteral("disc"))));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *var : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(var));
    for (const char *var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        const QString folder = home.filePath(QStringLiteral("env/") + QLatin1String(var));
        QDir().mkpath(folder);
        env.insert(QLatin1String(var), folder);
    }
    p.setProcessEnvironment(env);
    const QString out = home.filePath(QStringLiteral("film"));
    p.start(QStringLiteral(GLYFEX_EXECUTABLE),
            {QStringLiteral("none"), home.filePath(QStringLiteral("disc/VIDEO_TS/VTS_01_0.IFO")), out, QStringLiteral("0"),
             QStringLiteral("3"), QStringLiteral("0")});
    ASSERT_TRUE(p.waitForFinished(120000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();

    QFile script(out + QStringLiteral(".sst"));
    ASSERT_TRUE(script.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(script.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("Pixel_Area\t") + QLatin1String(c.pixelArea))) << text.left(200).toStdString();
    const QImage first(out + QStringLiteral(".1.bmp"));
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.height(), c.bitmapRows);
}

INSTANTIATE_TEST_SUITE_P(Table, UnattendedRip,
                         ::testing::Values(RipCase{"Pal", &kPalDvd, "(0 574)", 574},
                                           RipCase{"Ntsc", &kNtscDvd, "(0 477)", 478}),
                         [](const ::testing::TestParamInfo<RipCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace glyfex
