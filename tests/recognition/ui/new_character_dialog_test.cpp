// The New Character(s) dialog on the offscreen platform: answers, Esc and close pause, palette, excerpt, wake-up, search.
#include "recognition/ui/new_character_dialog.h"

#include "../ascii_picture.h"
#include "core/ini_store.h"
#include "recognition/char_matrix_file.h"
#include "recognition/recognition_driver.h"
#include "recognition/ui/dialog_user.h"
#include "ripping/vob_source_run.h"
#include "support/test_data.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

using namespace glyfex;
using namespace glyfex::recognition;
using glyfex::recognition::ui::NewCharacterDialog;
using glyfex::recognition::ui::NewCharacterSetup;

namespace {

class ScriptPrompt : public core::UserPrompt {
public:
    void warn(const QString &t) override { warnings.append(t); }
    void error(const QString &t) override { errors.append(t); }
    void inform(const QString &t) override { informs.append(t); }
    core::Answer confirm(const QString &t) override
    {
        confirms.append(t);
        if (answers.empty())
            return core::Answer::No;
        const core::Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    core::Answer ask(const QString &) override { return core::Answer::Yes; }
    QStringList warnings, errors, informs, confirms;
    std::deque<core::Answer> answers;
};

using test::User;

using test::child;

// A picture of one line: blocks 3, 7 and 11 pixels wide, 10 high.
picture::DecodedPicture threeLetters()
{
    picture::CodeImage img(60, 16);
    test::fillRect(img, 2, 2, 3, 10);
    test::fillRect(img, 7, 2, 7, 10);
    test::fillRect(img, 16, 2, 11, 10);
    picture::DecodedPicture p;
    p.codes = img;
    p.colourMap = {0, 1, 2, 3};
    p.colourCandidates = {0, 2, 0, 0};
    return p;
}

class KeepSkipped : public subtitles::SkippedItemAsker {
public:
    Answer askSkippedItem() override { return Answer{true, {}}; }
};

struct DialogRig {
    QTemporaryDir dir;
    CharMatrix matrix;
    subtitles::SubtitleStore store;
    KeepSkipped skipped;
    OcrAssistState assist;
    ScriptPrompt prompt;
    ripping::RunState run;
    ripping::VobSourceRun source{run};
    MainRunControl control{&source, assist, matrix, prompt};
    std::unique_ptr<NewCharacterDialog> dialog;

    explicit DialogRig(NewCharacterSetup setup = {})
    {
        if (setup.charMapFile.isEmpty())
            setup.charMapFile = dir.filePath(QStringLiteral("CharMap.ini"));
        if (setup.matrixFolders.isEmpty())
            setup.matrixFolders = {dir.filePath(QStringLiteral("ChMatrix"))};
        dialog = std::make_unique<NewCharacterDialog>(control, prompt, setup);
    }
    PictureOutcome recognise(const picture::DecodedPicture &p)
    {
        RecognitionDriver driver(DriverEnvironment{matrix, store, skipped, *dialog, assist, prompt, nullptr, &source}, {});
        auto out = driver.recognisePicture(p, core::millisecondsToTimeCode(1000), core::millisecondsToTimeCode(3000), {});
        EXPECT_TRUE(out.ok());
        return out.ok() ? *out : PictureOutcome{};
    }
};

GlyphQuestion questionOf(std::vector<CharBox> boxes, int box, int width = 200, int height = 60)
{
    GlyphQuestion q;
    q.shown = picture::CodeImage(width, height, 0);
    q.palette[0] = 0x000000;
    q.palette[1] = 0xFFFFFF;
    q.palette[7] = 0x123456;
    q.backgroundIndex = 7;
    q.boxes = std::move(boxes);
    q.box = box;
    q.matchBox = q.boxes.empty() ? CharBox{} : q.boxes[size_t(box)];
    return q;
}

} // namespace

TEST(NewCharacterDialog, NamesItsComponentsAsTheLanguageFilesDo)
{
    DialogRig rig;
    EXPECT_EQ(rig.dialog->objectName(), QStringLiteral("Form2"));
    for (const char *name : {"BitBtn1", "ButtonUseBestGuess", "ButtonSkipLine", "ButtonSkipSubPict", "ButtonPause",
                             "ButtonChangeColor", "ButtonFillMatrix", "ButtonFillManually", "ButtonExtendLeft",
                             "ButtonExtendRight", "ButtonSameAsLast", "ButtonSearchMatrix", "ButtonCharmap"})
        child<QPushButton>(*rig.dialog, name);
    for (const char *name : {"BoldCheckBox", "ItalicCheckBox", "UnderlineCheckBox", "RememberCheckBox"})
        child<QCheckBox>(*rig.dialog, name);
    child<QLineEdit>(*rig.dialog, "EditText");
    child<QLabel>(*rig.dialog, "lBestGuess");
    child<QLabel>(*rig.dialog, "LabelIndex");
    child<QLabel>(*rig.dialog, "LabelNbChar");
    child<QLabel>(*rig.dialog, "ImageChar");
    child<QTableWidget>(*rig.dialog, "sg");
    child<QTimer>(*rig.dialog, "TimerWakeUp");
    child<QTimer>(*rig.dialog, "TimerChangeColor");
}

TEST(NewCharacterDialog, TypingACharacterAndOkLearnsIt)
{
    DialogRig rig;
    User user(*rig.dialog);
    int asked = 0;
    for (const char *typed : {"x", "y", "z"}) {
        user.then([&, typed] {
            ++asked;
            QLineEdit *edit = child<QLineEdit>(*rig.dialog, "EditText");
            QTest::keyClicks(edit, QString::fromLatin1(typed));
            EXPECT_EQ(child<QLabel>(*rig.dialog, "LabelNbChar")->text(), QStringLiteral("1"));
            if (QString::fromLatin1(typed) == QStringLiteral("y"))
                QTest::keyClick(edit, Qt::Key_I, Qt::ControlModifier); // Ctrl+I: italic
            child<QPushButton>(*rig.dialog, "BitBtn1")->click();
        });
    }
    const PictureOutcome out = rig.recognise(threeLetters());
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(out.end, PictureOutcome::End::Added);
    EXPECT_EQ(out.lines, QStringList{QStringLiteral("x<i>yz</i>")}); // Remember keeps the style
    EXPECT_EQ(rig.matrix.count(), 3);
    EXPECT_EQ(rig.matrix.entry(2).style, 2);
}

// An empty field is no answer: OK, Enter in the field and Enter in the editable location box leave the
// question open and teach nothing, so the same glyph is then answered with a text.
TEST(NewCharacterDialog, NeitherAnEmptyOkNorEnterInTheLocationBoxAnswers)
{
    struct Row {
        const char *name;
        std::function<void(NewCharacterDialog &)> act;
    };
    const Row rows[] = {
        {"OK with the field empty", [](NewCharacterDialog &d) { child<QPushButton>(d, "BitBtn1")->click(); }},
        {"Enter with the field empty",
         [](NewCharacterDialog &d) { QTest::keyClick(child<QLineEdit>(d, "EditText"), Qt::Key_Return); }},
        {"Enter in the location box", [](NewCharacterDialog &d) {
             QComboBox *location = child<QComboBox>(d, "ComboBoxCharLoc");
             QTest::keyClick(child<QLineEdit>(d, "EditText"), Qt::Key_X);
             location->setFocus();
             QTest::keyClicks(location, QStringLiteral("Deutsch"));
             QTest::keyClick(location, Qt::Key_Return);
             QTest::keyClick(location, Qt::Key_Enter);
             EXPECT_EQ(location->currentText(), QStringLiteral("Deutsch"));
             EXPECT_GE(location->findText(QStringLiteral("Deutsch")), 0); // the box took it into its list
             child<QLineEdit>(d, "EditText")->clear();
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DialogRig rig;
        User user(*rig.dialog);
        bool stayedOpen = false;
        user.then([&] {
            row.act(*rig.dialog);
            QApplication::processEvents();
            stayedOpen = rig.dialog->isVisible();
            QTest::keyClicks(child<QLineEdit>(*rig.dialog, "EditText"), QStringLiteral("x"));
            child<QPushButton>(*rig.dialog, "BitBtn1")->click();
        });
        for (const char *typed : {"y", "z"})
            user.then([&, typed] {
                QTest::keyClicks(child<QLineEdit>(*rig.dialog, "EditText"), QString::fromLatin1(typed));
                child<QPushButton>(*rig.dialog, "BitBtn1")->click();
            });
        const PictureOutcome out = rig.recognise(threeLetters());
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(out.questions, 3);
        EXPECT_EQ(out.lines, QStringList{QStringLiteral("xyz")});
        ASSERT_EQ(rig.matrix.count(), 3);
        EXPECT_EQ(core::fromCharText(rig.matrix.entry(1).text), QStringLiteral("x"));
    }
}

TEST(NewCharacterDialog, EscAndClosingTheWindowPauseTheRun)
{
    for (bool esc : {true, false}) {
        DialogRig rig;
        rig.run.spuSectorPos = 4096;
        rig.run.spuCount = 2;
        User user(*rig.dialog);
        user.then([&] {
            if (esc)
                QTest::keyClick(child<QLineEdit>(*rig.dialog, "EditText"), Qt::Key_Escape);
            else
                rig.dialog->close();
        });
        const PictureOutcome out = rig.recognise(threeLetters());
        EXPECT_EQ(out.lastAnswer, AnswerCode::Pause);
        EXPECT_EQ(out.end, PictureOutcome::End::Abandoned);
        EXPECT_TRUE(rig.run.paused);
        EXPECT_EQ(rig.run.resumePos, 4096);
        EXPECT_EQ(rig.run.spuCount, 1u);
        EXPECT_EQ(rig.store.count(), 0);
        EXPECT_FALSE(rig.dialog->isVisible());
    }
}

TEST(NewCharacterDialog, ATakeWithNextGuessIsNoneAndCtrlEnterDoesNothing)
{
    DialogRig rig;
    GlyphQuestion q = questionOf({CharBox{10, 10, 5, 10, 0}}, 0);
    User user(*rig.dialog);
    user.then([&] {
        EXPECT_EQ(child<QLabel>(*rig.dialog, "lBestGuess")->text(), QStringLiteral(" (none) "));
        EXPECT_FALSE(child<QPushButton>(*rig.dialog, "ButtonUseBestGuess")->isEnabled());
        QTest::keyClick(child<QLineEdit>(*rig.dialog, "EditText"), Qt::Key_Return, Qt::ControlModifier);
        EXPECT_TRUE(rig.dialog->isVisible());
        EXPECT_TRUE(child<QLineEdit>(*rig.dialog, "EditText")->text().isEmpty());
        child<QPushButton>(*rig.dialog, "ButtonSkipSubPict")->click();
    });
    EXPECT_EQ(rig.dialog->askGlyph(q).code, AnswerCode::SkipSubPicture);

    q.bestGuess = QStringLiteral("é");
    q.bestGuessStyle = 1;
    user.then([&] {
        EXPECT_EQ(child<QLabel>(*rig.dialog, "lBestGuess")->text(), QStringLiteral(" é "));
        QTest::keyClick(child<QLineEdit>(*rig.dialog, "EditText"), Qt::Key_Return, Qt::ControlModifier);
        EXPECT_TRUE(rig.dialog->isVisible()); // fills in, but does not close
        EXPECT_EQ(child<QLineEdit>(*rig.dialog, "EditText")->text(), QStringLiteral("é"));
        child<QPushButton>(*rig.dialog, "BitBtn1")->click();
    });
    const GlyphAnswer a = rig.dialog->askGlyph(q);
    EXPECT_EQ(a.code, AnswerCode::Ok);
    EXPECT_EQ(core::fromCharText(a.text), QStringLiteral("é"));
    EXPECT_EQ(a.style, 1);
}

TEST(NewCharacterDialog, WithoutRememberTheNextQuestionStartsPlain)
{
    DialogRig rig;
    GlyphQuestion q = questionOf({CharBox{10, 10, 5, 10, 0}}, 0);
    User user(*rig.dialog);
    user.then([&] {
        child<QCheckBox>(*rig.dialog, "RememberCheckBox")->setChecked(false);
        child<QCheckBox>(*rig.dialog, "BoldCheckBox")->setChecked(true);
        QTest::keyClicks(child<QLineEdit>(*rig.dialog, "EditText"), QStringLiteral("a"));
        child<QPushButton>(*rig.dialog, "BitBtn1")->click();
    });
    EXPECT_EQ(rig.dialog->askGlyph(q).style, 1);
    user.then([&] {
        EXPECT_FALSE(child<QCheckBox>(*rig.dialog, "BoldCheckBox")->isChecked());
        child<QPushButton>(*rig.dialog, "ButtonFillManually")->click();
    });
    EXPECT_EQ(rig.dialog->askGlyph(q).code, AnswerCode::FillManually);
}

TEST(NewCharacterDialog, TheExtendButtonsFollowTheQuestionAndCtrlArrowsPressThem)
{
    DialogRig rig;
    GlyphQuestion q = questionOf({CharBox{10, 10, 5, 10, 0}, CharBox{17, 10, 5, 10, 0}}, 0);
    q.buttons.extendRight = true;
    q.buttons.extendLeft = false;
    q.buttons.skipLine = false;
    User user(*rig.dialog);
    user.then([&] {
        EXPECT_FALSE(child<QPushButton>(*rig.dialog, "ButtonSkipLine")->isEnabled());
        QLineEdit *edit = child<QLineEdit>(*rig.dialog, "EditText");
        QTest::keyClick(edit, Qt::Key_Left, Qt::ControlModifier); // disabled: nothing happens
        EXPECT_TRUE(rig.dialog->isVisible());
        QTest::keyClick(edit, Qt::Key_Right, Qt::ControlModifier);
    });
    EXPECT_EQ(rig.dialog->askGlyph(q).code, AnswerCode::ExtendRight);
}

TEST(NewCharacterDialog, FillModeAnswersByItselfWithoutDoublingTheMarks)
{
    const struct {
        const char *guess;
        bool learn;
        const char *text;
        AnswerCode code;
    } cases[] = {
        {"", false, "[*]", AnswerCode::UseTextOnly},
        {"[ab]", true, "[ab]", AnswerCode::Ok},
        {"ab", false, "[ab]", AnswerCode::UseTextOnly},
    };
    for (const auto &c : cases) {
        NewCharacterSetup setup;
        setup.wake.fill = true;
        setup.wake.fillSeconds = 0;
        setup.wake.addToMatrix = c.learn;
        DialogRig rig(setup);
        GlyphQuestion q = questionOf({CharBox{10, 10, 5, 10, 0}}, 0);
        q.bestGuess = QString::fromUtf8(c.guess);
        const GlyphAnswer a = rig.dialog->askGlyph(q);
        EXPECT_EQ(core::fromCharText(a.text), QString::fromUtf8(c.text)) << c.guess;
        EXPECT_EQ(a.code, c.code) << c.guess;
    }
}

TEST(NewCharacterDialog, TheExcerptCentresTheBoxAndTheLine)
{
    // A 10-pixel box at x = 100 in a line whose top box (dy 0) starts at row 20 and which ends at row 30.
    GlyphQuestion q = questionOf({CharBox{80, 20, 8, 10, 0}, CharBox{100, 22, 10, 8, 2}}, 1);
    q.shown.at(100, 22) = 1;  // top-left pixel of the asked box
    q.shown.at(80, 20) = 1;   // the neighbour's top-left pixel
    const QImage img = ui::glyphExcerpt(q);
    ASSERT_EQ(img.size(), QSize(150, 50));
    // off = (150 - 10) / 2 = 70; T = 18; H = 30 - 18 + 3 = 15; d = (50 - 15) / 2 = 17.
    EXPECT_EQ(img.pixelIndex(70, 17 + 22 - 18), 1);
    EXPECT_EQ(img.pixelIndex(70 - 20, 17 + 2), 1);
    EXPECT_EQ(img.pixelIndex(0, 0), 7);      // outside the copied rows: the colour of code 0
    EXPECT_EQ(img.pixelIndex(71, 17 + 4), 0); // inside them: the picture itself

    // A line taller than 50 rows starts above the excerpt: its middle shows.
    GlyphQuestion tall = questionOf({CharBox{10, 5, 6, 60, 0}}, 0, 100, 80);
    tall.shown.at(10, 5 + 30) = 1;
    const QImage t = ui::glyphExcerpt(tall);
    // T = 3, H = 65 - 3 + 3 = 65, d = (50 - 65) / 2 = -7: row 35 of the picture lands on row 25.
    EXPECT_EQ(t.pixelIndex(72, 25), 1);
}

TEST(NewCharacterDialog, ThePaletteComesFromCharMapAndAPasteWritesItBack)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("CharMap.ini"));
    core::IniStore ini(file);
    ini.writeString(QStringLiteral("English"), QStringLiteral("Small"), QStringLiteral("a*b*"));
    ini.writeString(QStringLiteral("English"), QStringLiteral("Capital"), QStringLiteral("ÀB*"));
    ini.writeString(QStringLiteral("Punctuation"), QStringLiteral("All"), QStringLiteral("!?.,"));
    ini.writeString(QStringLiteral("German"), QStringLiteral("Small"), QStringLiteral("ä*"));
    ASSERT_TRUE(ini.updateFile().ok());
    NewCharacterSetup setup;
    setup.charMapFile = file;
    setup.charMapWriteFile = file;
    setup.languageName = QStringLiteral("English");
    DialogRig rig(setup);
    EXPECT_EQ(rig.dialog->locations(), (QStringList{QStringLiteral("English"), QStringLiteral("German")}));
    QTableWidget *grid = child<QTableWidget>(*rig.dialog, "sg");
    GlyphQuestion q = questionOf({CharBox{10, 10, 5, 10, 0}}, 0);
    User user(*rig.dialog);
    user.then([&] {
        auto cell = [&](int r, int c) { return grid->item(r, c) ? grid->item(r, c)->text() : QString(); };
        EXPECT_EQ(cell(0, 1), QStringLiteral("a"));
        EXPECT_EQ(cell(0, 2), QStringLiteral("b"));
        EXPECT_EQ(cell(0, 3), QString());
        EXPECT_EQ(cell(1, 1), QStringLiteral("ÀB")); // a cell may hold more than one character
        for (int c = 1; c <= 4; ++c)
            EXPECT_EQ(cell(2, c), QString(QStringLiteral("!?.,")[c - 1]));
        EXPECT_EQ(cell(0, 0), QStringLiteral("Small"));
        // Left click appends the cell's text.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(1, 1)).center());
        EXPECT_EQ(child<QLineEdit>(*rig.dialog, "EditText")->text(), QStringLiteral("ÀB"));
        // Right click without text on the clipboard changes nothing; with text it stores the first character.
        QApplication::clipboard()->clear();
        QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, grid->visualItemRect(grid->item(0, 2)).center());
        EXPECT_EQ(cell(0, 2), QStringLiteral("b"));
        QApplication::clipboard()->setText(QStringLiteral("çx"));
        QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, grid->visualItemRect(grid->item(0, 2)).center());
        EXPECT_EQ(cell(0, 2), QStringLiteral("ç"));
        child<QPushButton>(*rig.dialog, "BitBtn1")->click();
    });
    EXPECT_EQ(core::fromCharText(rig.dialog->askGlyph(q).text), QStringLiteral("ÀB"));
    auto reread = core::IniStore::open(file);
    ASSERT_TRUE(reread.ok());
    EXPECT_EQ(reread->readString(QStringLiteral("English"), QStringLiteral("Small")), QStringLiteral("a*ç*"));
    EXPECT_EQ(reread->readString(QStringLiteral("English"), QStringLiteral("Capital")), QStringLiteral("ÀB*"));
    EXPECT_EQ(reread->readString(QStringLiteral("Punctuation"), QStringLiteral("All")), QStringLiteral("!?.,"));
}

// A character outside the 16-bit range is one cell, not two halves; a row too long for the grid is refused
// with a message naming the file and the key, and the palette stays empty rather than stalling the dialog.
TEST(NewCharacterDialog, PaletteCellsAreWholeCharactersAndAnOverlongRowIsRefused)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("CharMap.ini"));
    core::IniStore ini(file);
    ini.writeString(QStringLiteral("Punctuation"), QStringLiteral("All"), QStringLiteral("!\U0001F600?"));
    ini.writeString(QStringLiteral("Long"), QStringLiteral("Small"), QStringLiteral("a*").repeated(1025));
    ASSERT_TRUE(ini.updateFile().ok());
    NewCharacterSetup setup;
    setup.charMapFile = file;
    DialogRig rig(setup);
    QTableWidget *grid = child<QTableWidget>(*rig.dialog, "sg");
    auto cell = [&](int r, int c) { return grid->item(r, c) ? grid->item(r, c)->text() : QString(); };
    EXPECT_EQ(cell(2, 1), QStringLiteral("!"));
    EXPECT_EQ(cell(2, 2), QStringLiteral("\U0001F600"));
    EXPECT_EQ(cell(2, 3), QStringLiteral("?"));
    EXPECT_TRUE(rig.prompt.errors.isEmpty());

    rig.dialog->setLocation(QStringLiteral("Long"));
    ASSERT_EQ(rig.prompt.errors.size(), 1);
    EXPECT_TRUE(rig.prompt.errors.front().contains(QStringLiteral("CharMap.ini"))) << rig.prompt.errors.front().toStdString();
    EXPECT_TRUE(rig.prompt.errors.front().contains(QStringLiteral("Small")));
    EXPECT_LT(grid->columnCount(), 10);
    EXPECT_EQ(cell(0, 1), QString());
}

TEST(NewCharacterDialog, TheShippedCharMapListsLocationsWithoutPunctuation)
{
    NewCharacterSetup setup;
    setup.charMapFile = QStringLiteral(GLYFEX_TEST_DATA_DIR "/../../data/CharMap.ini");
    DialogRig rig(setup);
    const QStringList locations = rig.dialog->locations();
    EXPECT_TRUE(locations.contains(QStringLiteral("French (Francais)")));
    EXPECT_FALSE(locations.contains(QStringLiteral("Punctuation")));
}

// A matrix whose one entry "q" is an ink block 3 x 10.
CharMatrix matrixOfOneBlockQ()
{
    CharMatrix m;
    Glyph g;
    g.width = 3;
    g.height = 10;
    for (int y = 0; y < 10; ++y)
        g.rows[size_t(y)] = lowBits(3);
    g.text = core::toCharText(QStringLiteral("q"));
    EXPECT_EQ(m.add(g), CharMatrix::AddOutcome::Added);
    return m;
}

TEST(NewCharacterDialog, SearchAdoptsAMatchingMatrixOnlyAfterTheUnsavedOneIsDealtWith)
{
    // The picture's first letter, 3 x 10, as entry "q" of another matrix file.
    DialogRig rig;
    QDir().mkpath(rig.dir.filePath(QStringLiteral("ChMatrix")));
    picture::DecodedPicture p = threeLetters();
    const QString otherFile = rig.dir.filePath(QStringLiteral("ChMatrix/other.gxc"));
    CharMatrix other = matrixOfOneBlockQ();
    ASSERT_TRUE(saveCharMatrix(other, otherFile).ok());
    test::writeBytes(rig.dir.filePath(QStringLiteral("ChMatrix/broken.gxc")), QByteArray("not a matrix"));
    // The current matrix has an unsaved entry that matches nothing in the picture.
    Glyph unsaved;
    unsaved.width = 30;
    unsaved.height = 30;
    unsaved.text = core::toCharText(QStringLiteral("w"));
    ASSERT_EQ(rig.matrix.add(unsaved), CharMatrix::AddOutcome::Added);

    // Yes to the match, then Cancel at the save question: the question stays open.
    rig.prompt.answers = {core::Answer::Yes, core::Answer::Cancel, core::Answer::Yes, core::Answer::No};
    User user(*rig.dialog);
    user.then([&] {
        child<QPushButton>(*rig.dialog, "ButtonSearchMatrix")->click();
        EXPECT_TRUE(rig.dialog->isVisible());
        EXPECT_EQ(rig.matrix.count(), 1);
        // Again: Yes to the match, No to saving: adopted.
        child<QPushButton>(*rig.dialog, "ButtonSearchMatrix")->click();
    });
    user.then([&] { child<QPushButton>(*rig.dialog, "ButtonSkipSubPict")->click(); });
    const PictureOutcome out = rig.recognise(p);
    EXPECT_EQ(rig.prompt.warnings.size(), 2); // the broken file, once per search
    EXPECT_EQ(rig.prompt.confirms.size(), 4);
    EXPECT_TRUE(rig.prompt.confirms[0].contains(QStringLiteral("\"other.gxc\"")));
    EXPECT_EQ(rig.matrix.fileName(), otherFile);
    EXPECT_EQ(out.lastAnswer, AnswerCode::SkipSubPicture);
    EXPECT_EQ(out.questions, 2); // "q" answered from the adopted matrix, the second letter skipped
}

// On a tall frame the question shows the picture at its own size while recognition read it reduced: the
// search compares the reduced glyph at its reduced size, the size every matrix of such a disc holds.
TEST(NewCharacterDialog, SearchOnATallFrameFindsTheMatrixOfTheReducedGlyph)
{
    DialogRig rig;
    QDir().mkpath(rig.dir.filePath(QStringLiteral("ChMatrix")));
    // One letter 6 x 20 on a 1080-row frame: recognition reads it as 3 x 10.
    picture::CodeImage img(60, 30);
    test::fillRect(img, 4, 4, 6, 20);
    picture::DecodedPicture p;
    p.codes = img;
    p.colourMap = {0, 1, 2, 3};
    p.colourCandidates = {0, 2, 0, 0};
    p.frameHeight = 1080;
    const QString otherFile = rig.dir.filePath(QStringLiteral("ChMatrix/other.gxc"));
    CharMatrix other = matrixOfOneBlockQ();
    ASSERT_TRUE(saveCharMatrix(other, otherFile).ok());

    rig.prompt.answers = {core::Answer::Yes};
    User user(*rig.dialog);
    user.then([&] { child<QPushButton>(*rig.dialog, "ButtonSearchMatrix")->click(); });
    // Without a match the question stays open; skipping ends the picture.
    user.then([&] { child<QPushButton>(*rig.dialog, "ButtonSkipSubPict")->click(); });
    const PictureOutcome out = rig.recognise(p);
    EXPECT_TRUE(rig.prompt.informs.isEmpty()) << rig.prompt.informs.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(rig.prompt.confirms.size(), 1);
    EXPECT_TRUE(rig.prompt.confirms[0].contains(QStringLiteral("\"other.gxc\"")));
    EXPECT_EQ(rig.matrix.fileName(), otherFile);
    EXPECT_EQ(out.questions, 1);
    ASSERT_EQ(rig.store.count(), 1);
    EXPECT_EQ(rig.store.at(1).lines, QStringList{QStringLiteral("q")});
}

TEST(NewCharacterDialog, ASearchWithoutMatchSaysSoAndStaysOpen)
{
    DialogRig rig;
    GlyphQuestion q = questionOf({CharBox{10, 10, 5, 10, 0}}, 0);
    User user(*rig.dialog);
    user.then([&] {
        child<QPushButton>(*rig.dialog, "ButtonSearchMatrix")->click();
        EXPECT_TRUE(rig.dialog->isVisible());
        child<QPushButton>(*rig.dialog, "ButtonPause")->click();
    });
    EXPECT_EQ(rig.dialog->askGlyph(q).code, AnswerCode::Pause);
    ASSERT_EQ(rig.prompt.informs.size(), 1);
    EXPECT_TRUE(rig.prompt.informs[0].contains(QStringLiteral("Can't find any (other) matching Char Matrix File.")));
}

TEST(NewCharacterDialog, ChangeColourPausesAndResumesOnceThePassHasStopped)
{
    DialogRig rig;
    rig.run.processing = true;
    int resumed = 0;
    rig.dialog->setResumeRun([&] { ++resumed; });
    GlyphQuestion q = questionOf({CharBox{10, 10, 5, 10, 0}}, 0);
    User user(*rig.dialog);
    user.then([&] { child<QPushButton>(*rig.dialog, "ButtonChangeColor")->click(); });
    EXPECT_EQ(rig.dialog->askGlyph(q).code, AnswerCode::Pause);
    EXPECT_EQ(rig.assist.mode, OcrAssistState::ColourChangeRequested);
    EXPECT_TRUE(rig.run.paused);
    // The dialog looks at the pass on each tick of its timer: the test counts ticks, since on a busy
    // machine a length of time may pass without one. The bounds only keep a broken timer from hanging.
    auto *timer = rig.dialog->findChild<QTimer *>(QStringLiteral("TimerChangeColor"));
    ASSERT_NE(timer, nullptr);
    int ticks = 0;
    QObject::connect(timer, &QTimer::timeout, [&] { ++ticks; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 2; }, 60000)) << "the dialog never looked at the pass";
    EXPECT_EQ(resumed, 0); // the pass is still running
    EXPECT_TRUE(timer->isActive()) << "it goes on looking while the pass runs";
    rig.run.processing = false;
    ASSERT_TRUE(QTest::qWaitFor([&] { return resumed > 0; }, 60000)) << "never resumed after the pass stopped";
    EXPECT_EQ(resumed, 1);
    EXPECT_FALSE(timer->isActive()) << "resumed once, it stops looking";
    QTest::qWait(600);
    EXPECT_EQ(resumed, 1);
}
