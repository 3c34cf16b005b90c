// Settings made in other windows while the program runs reach the run as main() builds it: Global Options' wake-up
// and fill in the New Character(s) dialog, Advanced OCR Setup's tuning confirmed during a pause in the pictures read
// after it, and the tuning and the Subtitles window's code page in "Search for match" and the OCR assistant's fill.
#include "app/run_wiring.h"
#include "core/char_text.h"
#include "recognition/char_matrix_file.h"
#include "recognition/matcher.h"
#include "recognition/scripted_answerer.h"
#include "recognition/font_fill.h"
#include "recognition/ui/dialog_user.h"
#include "recognition/ui/font_text_renderer.h"
#include "recognition/ui/matrix_commands.h"
#include "recognition/ui/ocr_assistant_dialog.h"
#include "recognition/ui/new_character_dialog.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "subtitles/ui/subtitles_window.h"
#include "support/app_test.h"
#include "support/qt_print.h"
#include "support/sequence_pictures.h"
#include "support/test_data.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
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
using recognition::GlyphAnswer;
using recognition::GlyphQuestion;
using recognition::ui::NewCharacterDialog;

constexpr int kDesignedSensibility = 980;

// The fixture disc's matrix with each entry a pixel or two off where its size allows: such an entry
// still matches its shape at the designed sensibility but not at 1000, where it is only the best guess.
// Its texts get the given marks around them. Saved at path.
int saveNearMatrix(const QString &path, const QString &before = {}, const QString &after = {})
{
    recognition::CharMatrix exact;
    core::NullPassHost host;
    EXPECT_TRUE(recognition::loadCharMatrix(QStringLiteral(GLYFEX_TEST_DATA_DIR "/../../data/ChMatrix/dvd-pal-sans.gxc"),
                                            exact, 1252, host)
                    .ok());
    recognition::CharMatrix near;
    int offEntries = 0;
    for (const recognition::Glyph &e : exact.entries()) {
        // The pixel, or pair of pixels side by side (a single pixel often agrees with its neighbour), whose
        // change costs the least. The letters that match only exactly ('o', 'l', 'I', 'i') stay as they are.
        recognition::Glyph n = e;
        int best = 0;
        const QString text = core::fromCharText(e.text);
        const bool exactOnly = text.contains(QRegularExpression(QStringLiteral("[oIli\u00ED]")));
        for (int y = 0; y < e.height && !exactOnly; ++y)
            for (int x = 0; x < e.width; ++x)
                for (int pair = 0; pair < 2 && x + pair < e.width; ++pair) {
                    recognition::Glyph flipped = e;
                    for (int i = 0; i <= pair; ++i)
                        flipped.setPixel(x + i, y, !e.pixel(x + i, y));
                    const int score = recognition::scoreGlyph(e, e.width, e.height, flipped);
                    if (score > best && score < 1000 && score >= kDesignedSensibility) {
                        best = score;
                        n = flipped;
                    }
                }
        offEntries += n == e ? 0 : 1;
        if (!recognition::isTakeWithNext(e.text))
            n.text = core::toCharText(before + text + after);
        near.add(n);
    }
    EXPECT_TRUE(recognition::saveCharMatrix(near, path).ok());
    return offEntries;
}

// The program as main() builds it, on a copy of the fixture disc, with the palette file installed.
class SettingsReachRunTest : public test::AppTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(test::installCharMap(app.paths));
        test::AppTest::SetUp();
        app.loadSettings();
        app.mainWindow()->show();
        ASSERT_TRUE(scratch.isValid());
        ASSERT_NO_FATAL_FAILURE(
            test::copyTitleSet(test::dataPath(QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS")), scratch.path()));
        dialog = app.run().newCharacterDialog();
        ASSERT_NE(dialog, nullptr);
    }

    template <typename T> T *child(QWidget *w, const char *name) const
    {
        T *found = w->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // A window of the main window's menu, as a person uses it: while it shows, edit changes its
    // controls, then its button is pressed.
    void throughMenu(const char *action, const char *form, const std::function<void(QWidget *)> &edit,
                     const char *button)
    {
        QWidget *window = app.window(QString::fromLatin1(form));
        ASSERT_NE(window, nullptr);
        QTimer::singleShot(0, window, [this, window, edit, button] {
            EXPECT_TRUE(window->isVisible()) << "the menu shows the window";
            edit(window);
            if (auto *b = child<QPushButton>(window, button))
                QTest::mouseClick(b, Qt::LeftButton);
        });
        auto *item = child<QAction>(app.mainWindow(), action);
        ASSERT_NE(item, nullptr);
        item->trigger();
    }

    // Open the copy's IFO, Start "recognise text" on the first stream.
    void startTheDisc()
    {
        ripping::ui::InputDialog *input = app.inputDialog();
        ASSERT_TRUE(input->openInputFile(scratch.filePath(QStringLiteral("VIDEO_TS/VTS_01_0.IFO"))));
        input->selectStream(0);
        input->setAction(picture::ActionMode::RecogniseText);
        ASSERT_TRUE(input->start()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    }

    // The batch timer's ticks until the run is over or pauses.
    void tick()
    {
        for (int i = 0; i < 50 && !app.batch.finished() && !app.batch.paused; ++i)
            app.mainWindow()->batchTick();
    }

    // Advanced OCR Setup through the menu: the fields named get the values, then OK.
    void confirmTuning(const std::vector<std::pair<const char *, int>> &fields)
    {
        throughMenu("OCRAdvancedSetup1", "Form4", [&](QWidget *setup) {
            for (const auto &[name, value] : fields)
                if (auto *edit = child<QLineEdit>(setup, name))
                    edit->setText(QString::number(value));
        }, "BitBtnOk");
    }

    // The near matrix becomes the current one, opened as the user opens a matrix.
    void openNearMatrix(const QString &before = {}, const QString &after = {})
    {
        const QString path = scratch.filePath(QStringLiteral("near.gxc"));
        ASSERT_GT(saveNearMatrix(path, before, after), 10);
        files.names = {path};
        app.run().matrixCommands().open();
        ASSERT_GT(app.run().matrix().count(), 10);
    }

    QTemporaryDir scratch;
    NewCharacterDialog *dialog = nullptr;
};

// --- Global Options in the New Character(s) dialog -------------------------------------------------

// Shows the first questions in the real dialog and records what its wake-up timer does and what it
// answers; later pictures are dropped without a question. A question the dialog leaves unanswered is
// given up after a while (Skip SubPicture), so a fill that never comes fails instead of hanging.
class DialogWatcher : public recognition::GlyphAsker {
public:
    struct Seen {
        bool timerActive = false;
        int timerInterval = 0;
        QString bestGuess;
        QString text;
        AnswerCode code = AnswerCode::Pause;
        bool givenUp = false;
    };

    DialogWatcher(NewCharacterDialog &dialog, int watched, bool skipAtOnce)
        : m_dialog(dialog), m_watched(watched), m_skipAtOnce(skipAtOnce)
    {
    }

    GlyphAnswer askGlyph(const GlyphQuestion &question) override
    {
        if (int(seen.size()) >= m_watched)
            return {{}, 0, AnswerCode::SkipSubPicture};
        seen.push_back({});
        seen.back().bestGuess = question.bestGuess;
        const int number = int(seen.size());
        QTimer::singleShot(0, &m_dialog, [this, number] {
            auto *timer = m_dialog.findChild<QTimer *>(QStringLiteral("TimerWakeUp"));
            seen[size_t(number - 1)].timerActive = timer && timer->isActive();
            seen[size_t(number - 1)].timerInterval = timer ? timer->interval() : 0;
            if (m_skipAtOnce)
                giveUp(number, false);
        });
        // Far beyond any fill delay the table uses.
        QTimer::singleShot(20000, &m_dialog, [this, number] { giveUp(number, true); });
        const GlyphAnswer answer = m_dialog.askGlyph(question);
        seen.back().text = core::fromCharText(answer.text);
        seen.back().code = answer.code;
        return answer;
    }

    std::vector<Seen> seen;

private:
    void giveUp(int number, bool late)
    {
        if (int(seen.size()) != number || !m_dialog.isVisible() || seen.back().code != AnswerCode::Pause ||
            !seen.back().text.isEmpty())
            return;
        seen.back().givenUp = late;
        if (auto *skip = m_dialog.findChild<QPushButton *>(QStringLiteral("ButtonSkipSubPict")))
            QTest::mouseClick(skip, Qt::LeftButton);
    }

    NewCharacterDialog &m_dialog;
    int m_watched;
    bool m_skipAtOnce;
};

struct WakeCase {
    const char *name;
    bool wakeUp;
    bool fill;
    bool addToMatrix;
    const char *before, *none, *after; // the fill texts
    int questions;                     // questions shown in the dialog
    bool timerActive;
    int timerInterval;                 // ms, while the dialog waits
    // With an empty matrix no question has a best guess; a guessing matrix (its entries just off the
    // disc's shapes, at sensibility 1000) gives each one its entry's text in square brackets.
    bool guessingMatrix;
    std::vector<const char *> texts;   // what each question was answered; "guess" stands for its best guess
    AnswerCode code;                   // how each automatic answer was given
    int learnt;                        // matrix entries added
};

// Listings show a row by its name rather than by its bytes, which hold pointers and change from run to run.
void PrintTo(const WakeCase &c, std::ostream *os) { *os << c.name; }

class GlobalOptionsReachTheDialog : public SettingsReachRunTest, public ::testing::WithParamInterface<WakeCase> {};

TEST_P(GlobalOptionsReachTheDialog, WhileItWaitsForAnAnswer)
{
    const WakeCase &c = GetParam();
    throughMenu("GlobalOptions1", "Form16", [&](QWidget *options) {
        child<QCheckBox>(options, "WakeChBox")->setChecked(c.wakeUp);
        child<QRadioButton>(options, c.fill ? "rbFill" : "rbWait")->setChecked(true);
        child<QSpinBox>(options, "seFill")->setValue(1);
        child<QCheckBox>(options, "cbAddToCharMatrix")->setChecked(c.addToMatrix);
        child<QLineEdit>(options, "eBefore")->setText(QString::fromUtf8(c.before));
        child<QLineEdit>(options, "eFillNone")->setText(QString::fromUtf8(c.none));
        child<QLineEdit>(options, "eAfter")->setText(QString::fromUtf8(c.after));
    }, "BitBtnOk");

    if (c.guessingMatrix) {
        ASSERT_NO_FATAL_FAILURE(openNearMatrix(QStringLiteral("["), QStringLiteral("]")));
        ASSERT_NO_FATAL_FAILURE(confirmTuning({{"Word_uSensibility", 1000}}));
    }
    const int entriesBefore = app.run().matrix().count();
    DialogWatcher watcher(*dialog, c.questions, !c.fill);
    app.run().setGlyphAsker(&watcher);
    ASSERT_NO_FATAL_FAILURE(startTheDisc());
    ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));

    ASSERT_EQ(watcher.seen.size(), size_t(c.questions));
    for (size_t i = 0; i < watcher.seen.size(); ++i) {
        const DialogWatcher::Seen &s = watcher.seen[i];
        EXPECT_EQ(s.timerActive, c.timerActive) << "question " << i + 1;
        if (c.timerActive) {
            EXPECT_EQ(s.timerInterval, c.timerInterval) << "question " << i + 1;
        }
        EXPECT_FALSE(s.givenUp) << "question " << i + 1 << " was never answered by the dialog";
        if (!c.fill)
            continue;
        EXPECT_EQ(s.bestGuess.isEmpty(), !c.guessingMatrix) << "question " << i + 1;
        const QString text = QString::fromUtf8(c.texts[i]).replace(QLatin1String("guess"), s.bestGuess);
        EXPECT_EQ(s.text, text)
            << "question " << i + 1 << ", best guess " << s.bestGuess.toStdString();
        EXPECT_EQ(s.code, c.code) << "question " << i + 1;
    }
    ASSERT_EQ(app.run().matrix().count(), entriesBefore + c.learnt);
    if (c.learnt > 0) {
        EXPECT_EQ(core::fromCharText(app.run().matrix().entry(entriesBefore + 1).text), watcher.seen.front().text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, GlobalOptionsReachTheDialog,
    ::testing::Values(
        // The quiet interval before the blinking starts.
        WakeCase{"WakeUpWaitsTheQuietInterval", true, false, false, "[", "*", "]", 1, true, 10000, false, {}, AnswerCode::Pause, 0},
        WakeCase{"NeitherWakeUpNorFillLeavesTheTimerOff", false, false, false, "[", "*", "]", 1, false, 0, false, {}, AnswerCode::Pause, 0},
        // Without a best guess the fill is the "no best guess" text between the marks.
        WakeCase{"FillWithoutAddingAnswersWithTheTextOnly", false, true, false, "[", "*", "]", 2, true, 1000, false,
                 {"[*]", "[*]"}, AnswerCode::UseTextOnly, 0},
        WakeCase{"FillTakesTheTextsAsTyped", true, true, false, "<", "?", ">", 1, true, 1000, false, {"<?>"},
                 AnswerCode::UseTextOnly, 0},
        WakeCase{"FillAddsToTheMatrix", false, true, true, "[", "*", "]", 1, true, 1000, false, {"[*]"}, AnswerCode::Ok, 1},
        // A best guess that carries the marks already keeps them once.
        WakeCase{"FillTakesTheBestGuessWithoutDoublingItsMarks", false, true, false, "[", "*", "]", 2, true, 1000, true,
                 {"guess", "guess"}, AnswerCode::UseTextOnly, 0},
        WakeCase{"FillAddsTheBestGuessToTheMatrix", false, true, true, "[", "*", "]", 1, true, 1000, true, {"guess"},
                 AnswerCode::Ok, 1},
        // Other marks are put around the guess.
        WakeCase{"FillPutsOtherMarksAroundTheGuess", false, true, false, "<", "*", ">", 1, true, 1000, true, {"<guess>"},
                 AnswerCode::UseTextOnly, 0}),
    [](const ::testing::TestParamInfo<WakeCase> &info) { return std::string(info.param.name); });

// --- Advanced OCR Setup confirmed while a run is paused --------------------------------------------

// Shows the first question in the real dialog and pauses the run there; the question after the pause
// goes to the real dialog too when answer is given (it presses what it likes and returns the button
// to leave with). Other questions are counted and their pictures dropped.
class PausingAsker : public recognition::GlyphAsker {
public:
    explicit PausingAsker(NewCharacterDialog &dialog) : m_dialog(dialog) {}

    GlyphAnswer askGlyph(const GlyphQuestion &question) override
    {
        ++asked;
        if (asked > 2 || (asked == 2 && !answer))
            return {{}, 0, AnswerCode::SkipSubPicture};
        QTimer::singleShot(0, &m_dialog, [this] {
            const char *button = asked == 1 ? "ButtonPause" : answer(m_dialog);
            if (auto *b = m_dialog.findChild<QPushButton *>(QLatin1String(button)))
                QTest::mouseClick(b, Qt::LeftButton);
        });
        return m_dialog.askGlyph(question);
    }

    int asked = 0;
    std::function<const char *(NewCharacterDialog &)> answer;

private:
    NewCharacterDialog &m_dialog;
};

// Each subtitle's text without its blanks: what the letters read, whatever the word spacing.
QStringList lettersOf(const QStringList &lines)
{
    QStringList out;
    for (QString line : lines)
        out << line.remove(QLatin1Char(' '));
    return out;
}

// What the pictures read after the pause give.
enum class Reading {
    AsOnTheDisc,   // every subtitle as the disc shows it
    LettersOnly,   // the letters as shown, but words broken where letters stand wider apart than a space
    Misread,       // some letters taken for others
    PassedOver,    // no text: the pictures are offered to the OCR assistant
};

struct TuningCase {
    const char *name;
    std::vector<std::pair<const char *, int>> inPause; // Advanced OCR Setup while the first question paused the run
    int questionsAfter;                                 // questions after the pause
    Reading reading;
};

void PrintTo(const TuningCase &c, std::ostream *os) { *os << c.name; }

class TuningInAPause : public SettingsReachRunTest, public ::testing::WithParamInterface<TuningCase> {};

TEST_P(TuningInAPause, HoldsForThePicturesReadAfterIt)
{
    const TuningCase &c = GetParam();
    auto truth = recognition::readGroundTruth(test::dataPath(QStringLiteral("dvd-pal-sans/gt.srt")));
    ASSERT_TRUE(truth) << truth.error().message().toStdString();
    // The disc's own matrix: at the designed space width (7) the two strokes of a double quote, 10 pixels
    // apart, do not join, so the first stroke is asked.
    files.names = {QStringLiteral(GLYFEX_TEST_DATA_DIR "/../../data/ChMatrix/dvd-pal-sans.gxc")};
    app.run().matrixCommands().open();
    ASSERT_GT(app.run().matrix().count(), 10);
    PausingAsker asker(*dialog);
    app.run().setGlyphAsker(&asker);
    ASSERT_NO_FATAL_FAILURE(startTheDisc());
    tick();
    ASSERT_EQ(asker.asked, 1) << "the first stroke of a double quote is asked";
    ASSERT_TRUE(app.batch.paused);
    // The pictures before that one keep what the designed tuning read.
    const int readBefore = app.run().subtitlesWindow().store().count();
    ASSERT_GT(readBefore, 0);
    ASSERT_LT(readBefore, int(truth->size()) - 1);

    throughMenu("OCRAdvancedSetup1", "Form4", [&](QWidget *setup) {
        for (const auto &[name, value] : c.inPause)
            child<QLineEdit>(setup, name)->setText(QString::number(value));
    }, "BitBtnOk");
    // Pictures passed over are offered to the OCR assistant; closing it keeps their place holder.
    int skipped = 0;
    QWidget *assistant = app.window(QStringLiteral("Form15"));
    ASSERT_NE(assistant, nullptr);
    struct Closer : QObject {
        int *count = nullptr;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Show) {
                ++*count;
                QTimer::singleShot(0, watched, [watched] { static_cast<QDialog *>(watched)->reject(); });
            }
            return false;
        }
    } closer;
    closer.count = &skipped;
    assistant->installEventFilter(&closer);
    QTest::mouseClick(child<QPushButton>(app.mainWindow(), "ButtonPause"), Qt::LeftButton); // Continue
    ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
    assistant->removeEventFilter(&closer);

    EXPECT_EQ(asker.asked - 1, c.questionsAfter);
    EXPECT_EQ(skipped > 0, c.reading == Reading::PassedOver) << skipped << " pictures passed over";
    const subtitles::SubtitleStore &store = app.run().subtitlesWindow().store();
    ASSERT_EQ(store.count(), int(truth->size()));
    int misread = 0;
    for (int i = 1; i <= store.count(); ++i) {
        const QStringList &read = store.at(i).lines;
        const QStringList &shown = (*truth)[size_t(i - 1)].lines;
        if (i <= readBefore) {
            EXPECT_EQ(lettersOf(read), lettersOf(shown)) << "subtitle " << i;
            EXPECT_NE(read, shown) << "subtitle " << i << ": read before the pause, at the designed space width";
            continue;
        }
        switch (c.reading) {
        case Reading::AsOnTheDisc: EXPECT_EQ(read, shown) << "subtitle " << i; break;
        case Reading::LettersOnly:
            EXPECT_EQ(lettersOf(read), lettersOf(shown)) << "subtitle " << i;
            EXPECT_NE(read, shown) << "subtitle " << i;
            break;
        case Reading::Misread: misread += lettersOf(read) != lettersOf(shown) ? 1 : 0; break;
        case Reading::PassedOver: EXPECT_NE(lettersOf(read), lettersOf(shown)) << "subtitle " << i; break;
        }
    }
    if (c.reading == Reading::Misread) {
        EXPECT_GT(misread, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, TuningInAPause,
    ::testing::Values(
        // The fixture's words stand 16 pixels apart, its letters up to 10.
        TuningCase{"SpaceWidth", {{"Integer_uMinSpaceWidth", 12}}, 0, Reading::AsOnTheDisc},
        // The lowest sensibility takes any shape of a near size for the first entry of that size.
        TuningCase{"Sensibility", {{"Integer_uMinSpaceWidth", 12}, {"Word_uSensibility", 0}}, 0, Reading::Misread},
        // Lines taller than the maximum are passed over: nothing is asked any more.
        TuningCase{"MaxLineHeight", {{"Word_uLineMaxHeight", 10}}, 0, Reading::PassedOver}),
    [](const ::testing::TestParamInfo<TuningCase> &info) { return std::string(info.param.name); });

// --- the dialog's commands with what was changed in the pause -------------------------------------

// The command pressed at the question after the pause.
enum class Command {
    SearchForMatch, // the matrix folder's file is searched and its offer refused
    FillMatrix,     // the assistant learns a double quote in DejaVu Sans at 28 pixels, drawn at its own size
};

struct CommandCase {
    const char *name;
    Command command;
    std::vector<std::pair<const char *, int>> atStart; // Advanced OCR Setup before Start
    std::vector<std::pair<const char *, int>> inPause; // ... confirmed while the first question paused the run
    const char *codePage;   // chosen in the Subtitles window in the pause (null: left as it was)
    // Search for match: whether the matrix folder's file is offered for the asked glyph, and the character
    // the offer names.
    bool offered;
    const char16_t *named;
    // Fill matrix: whether the double quote is learnt as one box (its strokes, each narrower than the
    // narrowest glyph, have no box of their own) rather than as a run of its two strokes.
    bool quoteInOneEntry;
};

// The matrix as a version-2 file, whose texts are bytes of the subtitle code page; every text but a
// run's start gets the byte 0xE9 in front (e acute in 1252, short i in 1251). Every entry stands 3 rows
// lower in its line than the disc's shape: within the designed top tolerance (6), not within 2.
QByteArray version2Of(const recognition::CharMatrix &matrix)
{
    QByteArray b("Glyfex_Char_Matrix_Fil2");
    b.append(char(0)); // no comment
    b.append(char(matrix.count() & 0xFF)).append(char(matrix.count() >> 8));
    for (const recognition::Glyph &g : matrix.entries()) {
        QByteArray text = core::fromCharText(g.text).toLatin1();
        if (!recognition::isTakeWithNext(g.text))
            text.prepend(char(0xE9));
        b.append(char(g.dy + 3)).append(char(g.width)).append(char(g.height)).append(char(g.style));
        b.append(char(text.size())).append(text);
        for (int y = 0; y < g.height; ++y)
            for (int x0 = 0; x0 < g.width; x0 += 8) {
                uint8_t byte = 0;
                for (int j = 0; j < 8; ++j)
                    if (g.pixel(x0 + j, y))
                        byte |= uint8_t(0x80 >> j);
                b.append(char(byte));
            }
    }
    return b;
}

void PrintTo(const CommandCase &c, std::ostream *os) { *os << c.name; }

class CommandAfterAPause : public SettingsReachRunTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandAfterAPause, UsesTheSettingsAsTheyAreNow)
{
    const CommandCase &c = GetParam();
    // The only file of the matrix folder: the disc's shapes, a pixel off, in a version-2 file. The current
    // matrix is empty, so the first shape is asked.
    QDir().mkpath(app.paths.chMatrixDir());
    const QString near = scratch.filePath(QStringLiteral("near.gxc"));
    ASSERT_GT(saveNearMatrix(near), 10);
    recognition::CharMatrix nearMatrix;
    core::NullPassHost host;
    ASSERT_TRUE(recognition::loadCharMatrix(near, nearMatrix, 1252, host).ok());
    test::writeBytes(QDir(app.paths.chMatrixDir()).filePath(QStringLiteral("near.gxc")), version2Of(nearMatrix));
    if (!c.atStart.empty()) {
        ASSERT_NO_FATAL_FAILURE(confirmTuning(c.atStart));
    }
    PausingAsker asker(*dialog);
    QStringList afterSearch;
    asker.answer = [&](NewCharacterDialog &d) {
        if (c.command == Command::FillMatrix)
            return "ButtonFillMatrix";
        prompt.shown.clear();
        prompt.answers = {core::Answer::No};
        QTest::mouseClick(child<QPushButton>(&d, "ButtonSearchMatrix"), Qt::LeftButton);
        afterSearch = prompt.shown;
        return "ButtonSkipSubPict";
    };
    // The assistant that a fill request opens, as the user fills it.
    recognition::ui::OcrAssistantDialog *assistant = app.run().ocrAssistant();
    ASSERT_NE(assistant, nullptr);
    QFont dejaVu(QStringLiteral("DejaVu Sans"));
    dejaVu.setPixelSize(28);
    assistant->setFontChooser([&](QFont &font) {
        font = dejaVu;
        return true;
    });
    test::User user(*assistant);
    if (c.command == Command::FillMatrix)
        user.then([&] {
            QTest::mouseClick(child<QPushButton>(assistant, "ButtonCharFont"), Qt::LeftButton);
            const QString sample = QStringLiteral("Hi");
            child<QLineEdit>(assistant, "EditFill")->setText(sample);
            const picture::CodeImage drawn =
                recognition::renderSampleLine(recognition::ui::FontTextRenderer(dejaVu), sample, 0);
            child<QSpinBox>(assistant, "TextWidth")->setValue(drawn.width);
            child<QSpinBox>(assistant, "TextHeight")->setValue(drawn.height);
            child<QLineEdit>(assistant, "eFillText")->setText(QStringLiteral("\""));
            QTest::mouseClick(child<QPushButton>(assistant, "bbDone"), Qt::LeftButton);
        });
    app.run().setGlyphAsker(&asker);
    ASSERT_NO_FATAL_FAILURE(startTheDisc());
    tick();
    ASSERT_EQ(asker.asked, 1);
    ASSERT_TRUE(app.batch.paused);
    if (!c.inPause.empty()) {
        ASSERT_NO_FATAL_FAILURE(confirmTuning(c.inPause));
    }
    if (c.codePage)
        child<QComboBox>(&app.run().subtitlesWindow(), "cbCodePage")->setCurrentText(QString::fromLatin1(c.codePage));
    QTest::mouseClick(child<QPushButton>(app.mainWindow(), "ButtonPause"), Qt::LeftButton); // Continue
    ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
    ASSERT_GE(asker.asked, 2);

    if (c.command == Command::FillMatrix) {
        EXPECT_TRUE(user.done()) << "the assistant opened for the picture read again";
        const recognition::CharMatrix &learnt = app.run().matrix();
        ASSERT_GT(learnt.count(), 0);
        // The typed characters are learnt first, before the palette's.
        EXPECT_EQ(core::fromCharText(learnt.entry(1).text),
                  c.quoteInOneEntry ? QStringLiteral("\"") : QString::fromUtf16(recognition::kTakeWithNext));
        return;
    }
    ASSERT_FALSE(afterSearch.isEmpty()) << "the search says what it found";
    EXPECT_EQ(afterSearch.front().startsWith(QLatin1String("confirm: ")), c.offered) << afterSearch.front().toStdString();
    EXPECT_TRUE(afterSearch.front().contains(QLatin1String("near.gxc")) == c.offered);
    if (c.named) {
        EXPECT_TRUE(afterSearch.front().contains(QStringLiteral("contain character \"") + QString::fromUtf16(c.named)))
            << afterSearch.front().toStdString();
    }
    EXPECT_TRUE(afterSearch.back().startsWith(QLatin1String("inform: "))) << "nothing was taken";
    EXPECT_EQ(app.run().matrix().count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandAfterAPause,
    ::testing::Values(
        CommandCase{"SearchWithTheSensibilityRaisedToOnlyExactShapes", Command::SearchForMatch,
                    {{"Word_uSensibility", kDesignedSensibility}}, {{"Word_uSensibility", 1000}}, nullptr, false,
                    nullptr, false},
        CommandCase{"SearchWithTheSensibilityLoweredToTheDesignedValue", Command::SearchForMatch,
                    {{"Word_uSensibility", 1000}}, {{"Word_uSensibility", kDesignedSensibility}}, nullptr, true,
                    u"\u00E9", false},
        CommandCase{"SearchWithTheTopToleranceNarrowedInThePause", Command::SearchForMatch, {},
                    {{"Word_uOcrTopDiff", 2}}, nullptr, false, nullptr, false},
        CommandCase{"SearchWithTheTopToleranceWidenedInThePause", Command::SearchForMatch, {{"Word_uOcrTopDiff", 2}},
                    {{"Word_uOcrTopDiff", 6}}, nullptr, true, u"\u00E9", false},
        // The matrix file's texts are read in the code page chosen since Start.
        CommandCase{"SearchReadsTheFileInTheCodePageChosenInThePause", Command::SearchForMatch, {}, {},
                    "1251:ANSI - Cyrillic", true, u"\u0439", false},
        CommandCase{"FillWithTheNarrowestGlyphRaisedInThePause", Command::FillMatrix, {},
                    {{"Word_uCharMinWidth", 5}}, nullptr, false, nullptr, true},
        CommandCase{"FillWithTheNarrowestGlyphLoweredInThePause", Command::FillMatrix, {{"Word_uCharMinWidth", 5}},
                    {{"Word_uCharMinWidth", 2}}, nullptr, false, nullptr, false}),
    [](const ::testing::TestParamInfo<CommandCase> &info) { return std::string(info.param.name); });

// --- the interface language chooses the palette of a run without a stream language -------------------

struct LocationCase {
    const char *name;
    const char *language; // the interface language (a language file's name; empty: the built-in English)
    const char *location; // the palette location at the first question
};

void PrintTo(const LocationCase &c, std::ostream *os) { *os << c.name; }

class PaletteLocation : public SettingsReachRunTest, public ::testing::WithParamInterface<LocationCase> {};

TEST_P(PaletteLocation, OfAnImageSequenceFollowsTheInterfaceLanguage)
{
    const LocationCase &c = GetParam();
    app.config.main.languageName = QString::fromUtf8(c.language);
    ASSERT_TRUE(test::drawTextBmp24(scratch.filePath(QStringLiteral("sub0.bmp")), QStringLiteral("Hello")).ok());
    const QString script = scratch.filePath(QStringLiteral("seq.txt"));
    test::writeBytes(script, "FrameRate=25\r\n{25}{50}sub0.bmp\r\n");
    DialogWatcher watcher(*dialog, 1, true);
    QString location;
    struct Seer : recognition::GlyphAsker {
        DialogWatcher &watcher;
        NewCharacterDialog &dialog;
        QString &location;
        Seer(DialogWatcher &w, NewCharacterDialog &d, QString &l) : watcher(w), dialog(d), location(l) {}
        GlyphAnswer askGlyph(const GlyphQuestion &q) override
        {
            QTimer::singleShot(0, &dialog, [this] {
                location = dialog.findChild<QComboBox *>(QStringLiteral("ComboBoxCharLoc"))->currentText();
            });
            return watcher.askGlyph(q);
        }
    } seer(watcher, *dialog, location);
    app.run().setGlyphAsker(&seer);
    files.names = {script};
    child<QAction>(app.mainWindow(), "OpenImageSequence1")->trigger();
    ASSERT_EQ(watcher.seen.size(), 1u) << "the first shape is asked";
    EXPECT_EQ(location, QString::fromUtf8(c.location));
}

INSTANTIATE_TEST_SUITE_P(Table, PaletteLocation,
                         ::testing::Values(LocationCase{"German", "Deutsch", "German (Deutsch)"},
                                           LocationCase{"French", "Francais", "French (Francais)"},
                                           LocationCase{"BuiltInEnglish", "", "English"}),
                         [](const ::testing::TestParamInfo<LocationCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace glyfex
