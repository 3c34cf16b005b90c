// The whole road through the windows: open the fixture DVD, Start with "recognise text", teach every unknown shape in the
// New Character(s) dialog, save the text as .gxt and read it back with FFmpeg; with the saved matrix a second run asks nothing.
#include "recognition/recognition_driver.h"
#include "recognition/scripted_answerer.h"
#include "core/char_text.h"
#include "core/ini_store.h"
#include "recognition/ui/matrix_commands.h"
#include "recognition/ui/new_character_dialog.h"
#include "recognition/ui/dialog_user.h"
#include "recognition/ui/ocr_assistant_dialog.h"
#include "support/app_test.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "ripping/spu_decoder.h"
#include "ripping/ui/preview_screen.h"
#include "app/run_wiring.h"
#include "subtitles/ui/subtitles_window.h"
#include "support/av_spu_demuxer.h"
#include "support/qt_print.h"
#include "support/test_data.h"

#include <QApplication>
#include <QClipboard>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

extern "C" {
#include <libavformat/avformat.h>
}

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace glyfex {
namespace {

using recognition::AnswerCode;
using recognition::GlyphAnswer;
using recognition::GlyphQuestion;

// Answers the New Character(s) dialog as a user who reads the subtitle would: it works out from the
// question the dialog shows (the line's boxes and the asked run) which characters of the true text
// are meant, then types them into the dialog and presses OK, or presses ">>" to take in the next box.
class DialogTypist : public recognition::GlyphAsker {
public:
    DialogTypist(recognition::ui::NewCharacterDialog &dialog, std::vector<recognition::TruthEntry> truth)
        : m_dialog(dialog), m_reader(std::move(truth))
    {
    }

    GlyphAnswer askGlyph(const GlyphQuestion &question) override
    {
        ++asked;
        const GlyphAnswer meant = m_reader.askGlyph(question);
        QTimer::singleShot(0, &m_dialog, [this, meant] { press(meant); });
        return m_dialog.askGlyph(question);
    }

    int asked = 0;
    QStringList labels; // the dialog's "Symbol index" line at each question
    int unanswerable() const { return m_reader.unanswerable(); }

private:
    template <typename T> T *child(const char *name) { return m_dialog.findChild<T *>(QString::fromLatin1(name)); }

    void press(const GlyphAnswer &meant)
    {
        if (!m_dialog.isVisible()) {
            ADD_FAILURE() << "the dialog is not showing its question";
            return;
        }
        labels << child<QLabel>("LabelIndex")->text();
        switch (meant.code) {
        case AnswerCode::Ok: {
            QLineEdit *edit = child<QLineEdit>("EditText");
            edit->setFocus();
            // Typed one character at a time, as a keyboard layout that has it sends it.
            for (const QChar c : core::fromCharText(meant.text)) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QCoreApplication::sendEvent(edit, &press);
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QCoreApplication::sendEvent(edit, &release);
            }
            EXPECT_EQ(edit->text(), core::fromCharText(meant.text));
            QTest::mouseClick(child<QPushButton>("BitBtn1"), Qt::LeftButton);
            break;
        }
        case AnswerCode::ExtendRight:
            QTest::mouseClick(child<QPushButton>("ButtonExtendRight"), Qt::LeftButton);
            break;
        case AnswerCode::ExtendLeft:
            QTest::mouseClick(child<QPushButton>("ButtonExtendLeft"), Qt::LeftButton);
            break;
        default:
            ADD_FAILURE() << "the truth gives no answer to this question";
            QTest::mouseClick(child<QPushButton>("ButtonSkipSubPict"), Qt::LeftButton);
            break;
        }
    }

    recognition::ui::NewCharacterDialog &m_dialog;
    recognition::GroundTruthAnswerer m_reader;
};

struct SrtEvent {
    int64_t startMs = 0;
    int64_t stopMs = 0;
    QString text;
};

// The file as FFmpeg's SubRip demuxer reads it.
std::vector<SrtEvent> readWithFfmpeg(const QString &path)
{
    std::vector<SrtEvent> events;
    AVFormatContext *ctx = nullptr;
    if (avformat_open_input(&ctx, path.toLocal8Bit().constData(), av_find_input_format("srt"), nullptr) < 0) {
        ADD_FAILURE() << "FFmpeg cannot open " << path.toStdString();
        return events;
    }
    EXPECT_GE(avformat_find_stream_info(ctx, nullptr), 0);
    const AVRational base = ctx->streams[0]->time_base;
    AVPacket *packet = av_packet_alloc();
    while (av_read_frame(ctx, packet) >= 0) {
        const int64_t start = av_rescale_q(packet->pts, base, AVRational{1, 1000});
        const int64_t stop = av_rescale_q(packet->pts + packet->duration, base, AVRational{1, 1000});
        events.push_back({start, stop,
                          QString::fromUtf8(reinterpret_cast<const char *>(packet->data), packet->size).trimmed()});
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&ctx);
    return events;
}

class RoadTest : public test::AppTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(installPalette());
        test::AppTest::SetUp();
        ASSERT_TRUE(scratch.isValid());
        ASSERT_NO_FATAL_FAILURE(
            test::copyTitleSet(test::dataPath(QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS")), scratch.path()));
        wiring = &app.run();
        // The fixture's letters stand up to 10 pixels apart and its words 16 (Advanced OCR Setup).
        app.ocr.spaceWidth = 12;
        auto truth = recognition::readGroundTruth(test::dataPath(QStringLiteral("dvd-pal-sans/gt.srt")));
        ASSERT_TRUE(truth) << truth.error().message().toStdString();
        expected = *truth;
        ASSERT_NE(wiring->newCharacterDialog(), nullptr);
        typist = std::make_unique<DialogTypist>(*wiring->newCharacterDialog(), expected);
        wiring->setGlyphAsker(typist.get());
    }

    QString vob() const { return scratch.filePath(QStringLiteral("VIDEO_TS/VTS_01_1.VOB")); }

    // Open the IFO (or another input), choose the first stream, Start with "recognise text" and let the batch run.
    // The palette file the program starts with: the user's own copy.
    virtual void installPalette() { test::installCharMap(app.paths); }

    void runTheDisc(const QString &inputFile = {})
    {
        ripping::ui::InputDialog *input = app.inputDialog();
        const QString file = inputFile.isEmpty() ? scratch.filePath(QStringLiteral("VIDEO_TS/VTS_01_0.IFO")) : inputFile;
        ASSERT_TRUE(input->openInputFile(file))
            << prompt.shown.join(QLatin1Char('\n')).toStdString();
        ASSERT_FALSE(input->streamItemTexts().isEmpty());
        input->selectStream(0);
        input->setAction(picture::ActionMode::RecogniseText);
        ASSERT_TRUE(input->start()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
        ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
    }

    QTemporaryDir scratch;
    std::vector<recognition::TruthEntry> expected;
    app::RunWiring *wiring = nullptr;
    std::unique_ptr<DialogTypist> typist;
};

TEST_F(RoadTest, TeachTheDiscSaveTheTextAndReadItAgainWithoutQuestions)
{
    runTheDisc();
    EXPECT_GT(typist->asked, 0);
    EXPECT_EQ(typist->unanswerable(), 0);
    ASSERT_FALSE(typist->labels.isEmpty());
    EXPECT_EQ(typist->labels.first(), QStringLiteral("Symbol index: 1")) << "the first shape becomes entry 1";

    // The Subtitles window lists what the disc shows, with the units' times.
    subtitles::ui::SubtitlesWindow &window = wiring->subtitlesWindow();
    const auto ffmpegTimes = test::unitTimesByFfmpeg(vob());
    ASSERT_TRUE(ffmpegTimes) << ffmpegTimes.error().message().toStdString();
    const std::vector<test::AvUnitTime> &times = *ffmpegTimes;
    ASSERT_EQ(window.store().count(), int(expected.size()));
    ASSERT_EQ(times.size(), expected.size());
    for (int i = 1; i <= window.store().count(); ++i)
        EXPECT_EQ(window.store().at(i).lines, expected[size_t(i - 1)].lines) << "subtitle " << i;
    EXPECT_EQ(window.findChild<QLabel *>(QStringLiteral("LabelNbSubTitle"))->text(),
              QString::number(expected.size()));
    EXPECT_EQ(window.list()->count(), window.renderer().lines().size());
    EXPECT_EQ(app.subtitles.count(), window.store().count()) << "the input dialog counts the same text";
    EXPECT_FALSE(app.mainWindow()->previewScreen()->picture().isNull()) << "the preview shows the pictures";

    // Save As .gxt: the text is Latin-1, so the code-page panel opens; UTF-8 is what FFmpeg reads.
    const QString gxt = scratch.filePath(QStringLiteral("film.gxt"));
    window.saveAs();
    ASSERT_TRUE(window.conversionPanelShown());
    window.findChild<QComboBox *>(QStringLiteral("cbCodePage"))->setCurrentText(QStringLiteral("65001:Unicode UTF-8"));
    files.names = {gxt};
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("bbSave")), Qt::LeftButton);
    ASSERT_TRUE(QFileInfo::exists(gxt)) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(window.isModified());

    const std::vector<SrtEvent> events = readWithFfmpeg(gxt);
    ASSERT_EQ(events.size(), expected.size());
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].text, expected[i].lines.join(QLatin1Char('\n'))) << "subtitle " << i + 1;
        EXPECT_EQ(events[i].startMs, times[i].startMs) << "subtitle " << i + 1;
        EXPECT_EQ(events[i].stopMs, times[i].stopMs) << "subtitle " << i + 1;
    }

    // Save the matrix, start again on a new text: the matrix knows every shape.
    files.names = {scratch.filePath(QStringLiteral("sans.gxc"))};
    ASSERT_TRUE(wiring->matrixCommands().save());
    const int questions = typist->asked;
    prompt.shown.clear();
    prompt.answers = {core::Answer::No}; // the text is not empty: start a new one
    runTheDisc();
    ASSERT_FALSE(prompt.shown.isEmpty());
    EXPECT_TRUE(prompt.shown[0].contains(QStringLiteral("isn't empty"))) << prompt.shown[0].toStdString();
    EXPECT_EQ(typist->asked, questions) << "no question on the second run";
    ASSERT_EQ(window.store().count(), int(expected.size()));
    for (int i = 1; i <= window.store().count(); ++i)
        EXPECT_EQ(window.store().at(i).lines, expected[size_t(i - 1)].lines) << "subtitle " << i;
}

TEST_F(RoadTest, TheShippedSampleMatrixReadsTheSampleWithoutQuestions)
{
    files.names = {QStringLiteral(GLYFEX_TEST_DATA_DIR "/../../data/ChMatrix/dvd-pal-sans.gxc")};
    wiring->matrixCommands().open();
    ASSERT_GT(wiring->matrix().count(), 0) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    runTheDisc();
    EXPECT_EQ(typist->asked, 0);
    subtitles::ui::SubtitlesWindow &window = wiring->subtitlesWindow();
    ASSERT_EQ(window.store().count(), int(expected.size()));
    for (int i = 1; i <= window.store().count(); ++i)
        EXPECT_EQ(window.store().at(i).lines, expected[size_t(i - 1)].lines) << "subtitle " << i;
}

TEST_F(RoadTest, ThePreviewShowsEachRecognisedPictureWhereItLiesOnTheFrame)
{
    files.names = {QStringLiteral(GLYFEX_TEST_DATA_DIR "/../../data/ChMatrix/dvd-pal-sans.gxc")};
    wiring->matrixCommands().open();
    app.mainWindow()->findChild<QCheckBox *>(QStringLiteral("CheckBoxShowSubPict"))->setChecked(true);
    runTheDisc();
    auto units = test::demuxSpuUnits(vob());
    ASSERT_TRUE(units.ok());
    ASSERT_FALSE(units->empty());
    picture::DecodedPicture last;
    ripping::decodeSubpicture(units->back().bytes, 720, 576, last);
    const picture::Rect area = last.first().area();
    auto label = [&](const char *name) {
        return app.mainWindow()->findChild<QLabel *>(QString::fromLatin1(name))->text().toInt();
    };
    EXPECT_EQ((picture::Rect{label("LabelX1"), label("LabelY1"), label("LabelX2"), label("LabelY2")}), area);
}

TEST_F(RoadTest, TheSampleMatrixReadsTheVobSubCopyToo)
{
    for (const char *name : {"vobsub.idx", "vobsub.sub"})
        ASSERT_TRUE(QFile::copy(test::dataPath(QStringLiteral("dvd-pal-sans/") + QLatin1String(name)),
                                scratch.filePath(QLatin1String(name))));
    files.names = {QStringLiteral(GLYFEX_TEST_DATA_DIR "/../../data/ChMatrix/dvd-pal-sans.gxc")};
    wiring->matrixCommands().open();
    runTheDisc(scratch.filePath(QStringLiteral("vobsub.idx")));
    EXPECT_EQ(typist->asked, 0);
    subtitles::ui::SubtitlesWindow &window = wiring->subtitlesWindow();
    ASSERT_EQ(window.store().count(), int(expected.size()));
    for (int i = 1; i <= window.store().count(); ++i)
        EXPECT_EQ(window.store().at(i).lines, expected[size_t(i - 1)].lines) << "subtitle " << i;
}

TEST_F(RoadTest, AColourRequestOfAnEarlierRunDoesNotDropThePicturesOfTheNext)
{
    // What "Change text color" left behind while no assistant could serve it.
    wiring->runControl().requestColourChange();
    files.names = {QStringLiteral(GLYFEX_TEST_DATA_DIR "/../../data/ChMatrix/dvd-pal-sans.gxc")};
    wiring->matrixCommands().open();
    runTheDisc();
    EXPECT_EQ(typist->asked, 0);
    subtitles::ui::SubtitlesWindow &window = wiring->subtitlesWindow();
    ASSERT_EQ(window.store().count(), int(expected.size())) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    for (int i = 1; i <= window.store().count(); ++i)
        EXPECT_EQ(window.store().at(i).lines, expected[size_t(i - 1)].lines) << "subtitle " << i;
}

TEST_F(RoadTest, TheButtonsThatOpenTheOcrAssistantAreOnAndTeachingLosesNoSubtitle)
{
    // Looks at the dialog before the typist answers.
    struct Inspector : recognition::GlyphAsker {
        Inspector(recognition::ui::NewCharacterDialog &dialog, recognition::GlyphAsker &typist) : dialog(dialog), typist(typist) {}
        GlyphAnswer askGlyph(const GlyphQuestion &question) override
        {
            QTimer::singleShot(0, &dialog, [this] {
                for (const char *name : {"ButtonChangeColor", "ButtonFillMatrix", "ButtonFillManually"}) {
                    auto *button = dialog.findChild<QPushButton *>(QLatin1String(name));
                    if (!button || !button->isEnabled())
                        disabled << QLatin1String(name);
                }
            });
            return typist.askGlyph(question);
        }
        recognition::ui::NewCharacterDialog &dialog;
        recognition::GlyphAsker &typist;
        QStringList disabled;
    } inspector(*wiring->newCharacterDialog(), *typist);
    wiring->setGlyphAsker(&inspector);
    runTheDisc();
    EXPECT_GT(typist->asked, 0);
    EXPECT_TRUE(inspector.disabled.isEmpty()) << inspector.disabled.join(QLatin1Char(' ')).toStdString();
    subtitles::ui::SubtitlesWindow &window = wiring->subtitlesWindow();
    ASSERT_EQ(window.store().count(), int(expected.size()));
    for (int i = 1; i <= window.store().count(); ++i)
        EXPECT_EQ(window.store().at(i).lines, expected[size_t(i - 1)].lines) << "subtitle " << i;
}

TEST_F(RoadTest, TheCharacterPaletteFollowsTheStreamsLanguage)
{
    const struct {
        const char *code;     // the stream's language in the index
        const char *location; // the palette location chosen at Start
        const char *small;    // its first small letter, "" for a new, empty location
    } cases[] = {
        {"de", "German (Deutsch)", "\u00E4"},
        {"fr", "French (Francais)", "\u00E0"},
        {"en", "English", ""},
        {"ja", "Japanese", ""},
    };
    files.names = {QStringLiteral(GLYFEX_TEST_DATA_DIR "/../../data/ChMatrix/dvd-pal-sans.gxc")};
    wiring->matrixCommands().open();
    auto *location = wiring->newCharacterDialog()->findChild<QComboBox *>(QStringLiteral("ComboBoxCharLoc"));
    auto *grid = wiring->newCharacterDialog()->findChild<QTableWidget *>(QStringLiteral("sg"));
    ASSERT_TRUE(location && grid);
    for (const auto &c : cases) {
        // The fixture's VobSub copy, its stream marked with another language.
        QFile idx(test::dataPath(QStringLiteral("dvd-pal-sans/vobsub.idx")));
        ASSERT_TRUE(idx.open(QIODevice::ReadOnly));
        QByteArray text = idx.readAll();
        text.replace("id: en,", QByteArray("id: ") + c.code + ",");
        const QString name = scratch.filePath(QStringLiteral("%1.idx").arg(QLatin1String(c.code)));
        QFile copy(name);
        ASSERT_TRUE(copy.open(QIODevice::WriteOnly));
        copy.write(text);
        copy.close();
        QFile::remove(scratch.filePath(QStringLiteral("%1.sub").arg(QLatin1String(c.code))));
        ASSERT_TRUE(QFile::copy(test::dataPath(QStringLiteral("dvd-pal-sans/vobsub.sub")),
                                scratch.filePath(QStringLiteral("%1.sub").arg(QLatin1String(c.code)))));
        prompt.answers = {core::Answer::No, core::Answer::Yes}; // a new text for each run, the unsaved one let go
        runTheDisc(name);
        EXPECT_EQ(location->currentText(), QLatin1String(c.location)) << c.code;
        const QTableWidgetItem *first = grid->item(0, 1);
        EXPECT_EQ(first ? first->text() : QString(), QString::fromUtf8(c.small)) << c.code;
    }
}

TEST_F(RoadTest, TheSubtitlesWindowFollowsTheInputDialogsClearAndStart)
{
    runTheDisc();
    subtitles::ui::SubtitlesWindow &window = wiring->subtitlesWindow();
    auto *clear = app.inputDialog()->findChild<QPushButton *>(QStringLiteral("ButtonClearText"));
    ASSERT_NE(clear, nullptr);
    clear->setEnabled(true);
    const int listed = window.list()->count();

    prompt.answers = {core::Answer::No};
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_EQ(window.store().count(), int(expected.size()));
    EXPECT_EQ(window.list()->count(), listed);

    prompt.answers = {core::Answer::Yes};
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_EQ(window.store().count(), 0);
    EXPECT_EQ(window.list()->count(), 0);
    EXPECT_EQ(window.findChild<QLabel *>(QStringLiteral("LabelNbSubTitle"))->text(), QStringLiteral("0"));
    EXPECT_FALSE(window.isModified());

    // A Start on a new text empties the store at once: the new run's text stands alone.
    runTheDisc();
    prompt.answers = {core::Answer::No, core::Answer::Yes};
    runTheDisc();
    EXPECT_EQ(window.store().count(), int(expected.size()));
    EXPECT_EQ(window.findChild<QLabel *>(QStringLiteral("LabelNbSubTitle"))->text(), QString::number(expected.size()));
}

// A Start over unsaved text: No to adding at the end goes through the Subtitles window's clear, which
// asks about the unsaved text; only Yes there lets it go, No asks the first question again, where Cancel
// abandons the Start and keeps everything.
TEST_F(RoadTest, AStartOnANewTextAsksBeforeUnsavedTextGoes)
{
    const QString keep = QStringLiteral("confirm: Information\r\nSubtitles text file isn't empty.\rAdd to the end of file?");
    const QString clear = QStringLiteral("confirm: Confirm\r\nText NOT saved!\r\nDo you really want to clear all text?");
    const int n = int(expected.size());
    const struct {
        const char *name;
        std::deque<core::Answer> answers;
        QStringList questions;
        bool started;
        int subtitles; // in the store once the run (if any) is over
    } cases[] = {
        {"yes_adds_at_the_end", {core::Answer::Yes}, {keep}, true, 2 * n},
        {"no_then_yes_clears", {core::Answer::No, core::Answer::Yes}, {keep, clear}, true, n},
        {"no_then_no_asks_again", {core::Answer::No, core::Answer::No, core::Answer::Cancel}, {keep, clear, keep}, false, n},
        {"no_no_then_yes_adds", {core::Answer::No, core::Answer::No, core::Answer::Yes}, {keep, clear, keep}, true, 2 * n},
        {"cancel_abandons", {core::Answer::Cancel}, {keep}, false, n},
    };
    subtitles::ui::SubtitlesWindow &window = wiring->subtitlesWindow();
    ripping::ui::InputDialog *input = app.inputDialog();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        prompt.answers = {core::Answer::No, core::Answer::Yes};
        runTheDisc(); // the text of one run, not saved
        ASSERT_EQ(window.store().count(), n);
        ASSERT_TRUE(window.isModified());
        ASSERT_TRUE(input->openInputFile(scratch.filePath(QStringLiteral("VIDEO_TS/VTS_01_0.IFO"))));
        input->selectStream(0);
        input->setAction(picture::ActionMode::RecogniseText);
        prompt.shown.clear();
        prompt.answers = c.answers;
        const int starts = app.batch.startCount;
        EXPECT_EQ(input->start(), c.started);
        EXPECT_EQ(app.batch.startCount, starts + (c.started ? 1 : 0));
        EXPECT_EQ(prompt.shown, c.questions);
        if (c.started) {
            ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
        } else {
            EXPECT_TRUE(window.isModified()) << "the text is still the user's unsaved work";
        }
        EXPECT_EQ(window.store().count(), c.subtitles);
        EXPECT_EQ(window.list()->count() > 0, c.subtitles > 0);
    }
}

TEST_F(RoadTest, ClosingAsksForTheChangedMatrixThenTheUnsavedText)
{
    runTheDisc();
    ASSERT_TRUE(wiring->matrix().isModified());
    ripping::ui::MainWindow *main = app.mainWindow();
    main->show();
    prompt.shown.clear();
    prompt.answers = {core::Answer::Cancel};
    EXPECT_FALSE(main->close());
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].contains(QStringLiteral("has been modified.")));

    prompt.shown.clear();
    prompt.answers = {core::Answer::No, core::Answer::No};
    EXPECT_FALSE(main->close());
    ASSERT_EQ(prompt.shown.size(), 2);
    EXPECT_EQ(prompt.shown[1], QStringLiteral("confirm: Confirm\r\nText NOT saved!\rDo you really want to quit?"));
    EXPECT_TRUE(wiring->subtitlesWindow().isVisible());

    prompt.answers = {core::Answer::No, core::Answer::Yes};
    EXPECT_TRUE(main->close());
}

TEST_F(RoadTest, TheMainWindowsCloseAsksAndSavesTheWindowsSettings)
{
    EXPECT_EQ(app.window(QStringLiteral("Form2")), static_cast<QWidget *>(wiring->newCharacterDialog()))
        << "the real dialog stands in Form2's place, where settings and languages find it";
    app.config.main.activePage = 5;
    app.config.main.openDialogCharMatrix = scratch.path();
    wiring->applySettings();
    EXPECT_EQ(wiring->subtitlesWindow().outputFormat(), subtitles::OutputFormat::MicroDvd);
    EXPECT_EQ(wiring->matrixCommands().folder(), scratch.path());

    ripping::ui::MainWindow *main = app.mainWindow();
    main->show();
    recognition::Glyph g;
    g.width = 1;
    g.height = 1;
    g.setPixel(0, 0, true);
    g.text = core::toCharText(QStringLiteral("x"));
    wiring->matrix().add(g);
    prompt.answers = {core::Answer::Cancel};
    EXPECT_FALSE(main->close());
    EXPECT_TRUE(main->isVisible()) << "Cancel at the matrix question keeps the program open";

    ASSERT_TRUE(wiring->subtitlesWindow().setOutputFormat(subtitles::OutputFormat::SubStationAlpha));
    prompt.answers = {core::Answer::No};
    EXPECT_TRUE(main->close());
    EXPECT_EQ(app.config.main.activePage, 12);
}

TEST_F(RoadTest, ChangeTextColourOpensTheAssistantWhoseChoiceHoldsForTheRestOfTheRun)
{
    // The first question is answered with "Change text color"; the picture comes back in the assistant,
    // where only code 2, the disc's text, stays checked; the typist answers the rest.
    struct ColourFirst : recognition::GlyphAsker {
        ColourFirst(recognition::ui::NewCharacterDialog &dialog, recognition::GlyphAsker &typist) : dialog(dialog), typist(typist) {}
        GlyphAnswer askGlyph(const GlyphQuestion &question) override
        {
            if (asked++ > 0)
                return typist.askGlyph(question);
            QTimer::singleShot(0, &dialog, [this] {
                QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("ButtonChangeColor")), Qt::LeftButton);
            });
            return dialog.askGlyph(question);
        }
        recognition::ui::NewCharacterDialog &dialog;
        recognition::GlyphAsker &typist;
        int asked = 0;
    } colourFirst(*wiring->newCharacterDialog(), *typist);
    wiring->setGlyphAsker(&colourFirst);
    recognition::ui::OcrAssistantDialog *assistant = wiring->ocrAssistant();
    ASSERT_NE(assistant, nullptr);
    int shown = 0;
    test::User user(*assistant);
    user.then([&] {
        ++shown;
        for (const char *box : {"CheckBox0", "CheckBox1", "CheckBox3"})
            assistant->findChild<QCheckBox *>(QLatin1String(box))->setChecked(false);
        assistant->findChild<QPushButton *>(QStringLiteral("bbDone"))->click();
    });
    runTheDisc();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(user.done());
    subtitles::ui::SubtitlesWindow &window = wiring->subtitlesWindow();
    ASSERT_EQ(window.store().count(), int(expected.size()));
    for (int i = 1; i <= window.store().count(); ++i)
        EXPECT_EQ(window.store().at(i).lines, expected[size_t(i - 1)].lines) << "subtitle " << i;
}

// Only the shipped palette at first: the user's copy is made by the first paste, and from then on it is
// the palette the dialog shows, whatever location is chosen and whatever Start chooses.
class ShippedPaletteRoadTest : public RoadTest {
protected:
    void installPalette() override
    {
        QDir().mkpath(folders.shippedDir());
        ASSERT_TRUE(QFile::copy(QStringLiteral(GLYFEX_TEST_DATA_DIR "/../../data/CharMap.ini"), shipped()));
    }
    QString shipped() const { return QDir(folders.shippedDir()).filePath(QStringLiteral("CharMap.ini")); }
};

TEST_F(ShippedPaletteRoadTest, PastedCellsStayAcrossLocationsAndStarts)
{
    const QByteArray shippedBytes = [&] {
        QFile f(shipped());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    const QString user = QDir(app.paths.writableDataDir()).filePath(QStringLiteral("CharMap.ini"));
    ASSERT_FALSE(QFile::exists(user));
    files.names = {QStringLiteral(GLYFEX_TEST_DATA_DIR "/../../data/ChMatrix/dvd-pal-sans.gxc")};
    wiring->matrixCommands().open(); // knows every shape of the disc: the run asks nothing
    recognition::ui::NewCharacterDialog *dialog = wiring->newCharacterDialog();
    auto *location = dialog->findChild<QComboBox *>(QStringLiteral("ComboBoxCharLoc"));
    auto *grid = dialog->findChild<QTableWidget *>(QStringLiteral("sg"));
    ASSERT_TRUE(location && grid);
    auto cell = [&](int r, int c) { return grid->item(r, c) ? grid->item(r, c)->text() : QString(); };
    auto paste = [&](const QString &text, int column) {
        QApplication::clipboard()->setText(text);
        QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, grid->visualRect(grid->model()->index(0, column)).center());
    };

    dialog->chooseLocation(QStringLiteral("English")); // the disc's language, not in the shipped file
    ASSERT_EQ(cell(0, 1), QString());
    paste(QStringLiteral("x"), 1);
    ASSERT_TRUE(QFile::exists(user)) << "the paste made the user's copy";
    location->setCurrentText(QStringLiteral("French (Francais)"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("\u00E0"));
    location->setCurrentText(QStringLiteral("English"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("x")) << "switching back shows the pasted cell";

    location->setCurrentText(QStringLiteral("French (Francais)"));
    prompt.answers = {core::Answer::No, core::Answer::Yes};
    runTheDisc(); // Start chooses the stream's location, English
    EXPECT_EQ(location->currentText(), QStringLiteral("English"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("x")) << "Start shows the pasted cell";
    paste(QStringLiteral("y"), 2);
    EXPECT_EQ(cell(0, 1), QStringLiteral("x"));
    EXPECT_EQ(cell(0, 2), QStringLiteral("y"));

    auto written = core::IniStore::open(user);
    ASSERT_TRUE(written.ok());
    EXPECT_EQ(written->readString(QStringLiteral("English"), QStringLiteral("Small")), QStringLiteral("x*y*"));
    EXPECT_EQ(written->readString(QStringLiteral("French (Francais)"), QStringLiteral("Small")).left(2),
              QStringLiteral("\u00E0*")) << "the shipped locations came along into the copy";
    QFile f(shipped());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), shippedBytes) << "the shipped palette is only read";
}

} // namespace
} // namespace glyfex
