// The OCR assistant on the offscreen platform: the colour choice, typing a skipped picture's text, and filling the matrix from DejaVu Sans.
#include "recognition/ui/ocr_assistant_dialog.h"

#include "recognition/recognition_driver.h"
#include "recognition/ui/dialog_user.h"
#include "recognition/ui/font_text_renderer.h"
#include "recognition/ui/new_character_dialog.h"
#include "core/ini_store.h"
#include "recognition/ocr_road.h"
#include "recognition/scripted_answerer.h"
#include "recognition/text_colour.h"
#include "ripping/spu_decoder.h"
#include "ripping/vob_source_run.h"
#include "support/av_spu_demuxer.h"
#include "support/guessing_asker.h"
#include "support/sample_fit.h"
#include "support/test_data.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace glyfex::recognition::ui {
namespace {

using test::User;

using test::child;

struct Prompt : core::UserPrompt {
    void warn(const QString &t) override { shown << t; }
    void error(const QString &t) override { shown << t; }
    void inform(const QString &t) override { shown << t; }
    core::Answer confirm(const QString &t) override { shown << t; return core::Answer::No; }
    core::Answer ask(const QString &t) override { shown << t; return core::Answer::No; }
    QStringList shown;
};

QFont dejaVuSans(int pixels)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    return font;
}

// A subtitle picture of one line of text: code 1 on code 0, with a margin.
picture::DecodedPicture pictureOfText(const QFont &font, const QString &text)
{
    const FontTextRenderer renderer(font);
    picture::CodeImage paper(renderer.textWidth(text) + 24, renderer.textHeight() + 12, kFontPaper);
    renderer.draw(paper, 12, 6, text);
    picture::DecodedPicture p;
    p.codes.reset(paper.width, paper.height, 0);
    for (int y = 0; y < paper.height; ++y)
        for (int x = 0; x < paper.width; ++x)
            p.codes.at(x, y) = paper.at(x, y) == kFontInk ? 1 : 0;
    p.colourMap = {0, 1, 2, 3};
    p.colourCandidates = {0, 2, 0, 0};
    return p;
}

// Questions nobody should need to answer: counted, and the picture is dropped.
struct CountingAsker : GlyphAsker {
    GlyphAnswer askGlyph(const GlyphQuestion &) override
    {
        ++asked;
        GlyphAnswer a;
        a.code = answer;
        return a;
    }
    AnswerCode answer = AnswerCode::SkipSubPicture;
    int asked = 0;
};

struct Rig {
    CharMatrix matrix;
    subtitles::SubtitleStore store;
    OcrAssistState assist;
    Prompt prompt;
    ripping::RunState run;
    ripping::VobSourceRun source{run};
    MainRunControl control{&source, assist, matrix, prompt};
    OcrAssistantDialog dialog{matrix, control, prompt};
    CountingAsker asker;

    Rig() { dialog.setRunState(&source); }

    // Pictures without text go to the assistant's skipped-item mode.
    struct Skipped : subtitles::SkippedItemAsker {
        Rig *rig = nullptr;
        RecognitionDriver *driver = nullptr;
        Answer askSkippedItem() override { return rig->dialog.askSkippedItem(driver->colourImage()); }
    } skipped;

    PictureOutcome recognise(const picture::DecodedPicture &p)
    {
        RecognitionDriver driver(DriverEnvironment{matrix, store, skipped, asker, assist, prompt, &dialog, &source}, {});
        skipped.rig = this;
        skipped.driver = &driver;
        auto out = driver.recognisePicture(p, core::millisecondsToTimeCode(1000), core::millisecondsToTimeCode(3000), {});
        EXPECT_TRUE(out.ok());
        return out.ok() ? *out : PictureOutcome{};
    }
};

TEST(OcrAssistantTest, TheColourModeTakesOneOrTwoCheckedCodesInCodeOrder)
{
    Rig rig;
    const picture::DecodedPicture picture = pictureOfText(dejaVuSans(20), QStringLiteral("Hi"));
    rig.assist.mode = OcrAssistState::ColourChangeRequested;
    User user(rig.dialog);
    user.then([&] {
        EXPECT_EQ(rig.dialog.windowTitle(), QStringLiteral("Font color selection"));
        EXPECT_FALSE(child<QPushButton>(rig.dialog, "ButtonZoom")->isVisible());
        for (const char *box : {"CheckBox0", "CheckBox1", "CheckBox2", "CheckBox3"})
            child<QCheckBox>(rig.dialog, box)->setChecked(false);
        child<QPushButton>(rig.dialog, "bbDone")->click();
    });
    user.then([&] {
        // None checked: the error, and the window stays.
        EXPECT_EQ(rig.prompt.shown, QStringList({"Error\r\nYou have to check 1 or 2 colors!"}));
        EXPECT_EQ(rig.assist.mode, OcrAssistState::ColourChangeRequested);
        // Checked as 3 then 1: code 1 is the text, 3 its outline.
        QTest::mouseClick(child<QCheckBox>(rig.dialog, "CheckBox3"), Qt::LeftButton);
        QTest::mouseClick(child<QCheckBox>(rig.dialog, "CheckBox1"), Qt::LeftButton);
        // The preview keeps only the checked codes: the background (code 0) turns to the face colour.
        const QImage shown = child<QLabel>(rig.dialog, "Image1")->pixmap().toImage();
        EXPECT_NE(shown.pixel(0, 0), qRgb(0, 0, 0));
        child<QPushButton>(rig.dialog, "bbDone")->click();
    });
    EXPECT_TRUE(rig.dialog.assist(picture, rig.assist));
    EXPECT_TRUE(user.done());
    EXPECT_EQ(rig.assist.mode, OcrAssistState::Fixed);
    EXPECT_EQ(rig.assist.fixedInk, (InkCodes{1, 3}));

    // Cancel pauses the run so the picture is read again; nothing is chosen.
    rig.assist.mode = OcrAssistState::ColourChangeRequested;
    user.then([&] { child<QPushButton>(rig.dialog, "bbCancel")->click(); });
    EXPECT_FALSE(rig.dialog.assist(picture, rig.assist));
    EXPECT_TRUE(rig.run.paused);
    EXPECT_EQ(rig.assist.mode, OcrAssistState::ColourChangeRequested);
}

TEST(OcrAssistantTest, TheLinesTypedForASkippedPictureLandInTheStore)
{
    Rig rig;
    // "Enter manually" in the New Character(s) dialog: the picture's text is typed in the assistant.
    rig.asker.answer = AnswerCode::FillManually;
    User user(rig.dialog);
    user.then([&] {
        EXPECT_EQ(rig.dialog.windowTitle(), QStringLiteral("Processing skipped subtitle item"));
        EXPECT_FALSE(child<QPushButton>(rig.dialog, "bbCancel")->isVisible());
        EXPECT_FALSE(child<QLabel>(rig.dialog, "Image1")->pixmap().isNull());
        auto *memo = child<QPlainTextEdit>(rig.dialog, "Memo1");
        QTest::keyClicks(memo, QStringLiteral("Bonjour"));
        QTest::keyClick(memo, Qt::Key_Return);
        memo->insertPlainText(QStringLiteral("\u00E0 tous")); // as the palette or a paste puts it
        QTest::keyClick(memo, Qt::Key_Return);
        child<QPushButton>(rig.dialog, "bbDone")->click();
    });
    const PictureOutcome outcome = rig.recognise(pictureOfText(dejaVuSans(20), QStringLiteral("Hi")));
    EXPECT_EQ(outcome.end, PictureOutcome::End::Added);
    ASSERT_EQ(rig.store.count(), 1);
    EXPECT_EQ(rig.store.at(1).lines, QStringList({"Bonjour", "\u00E0 tous"}));

    // The other ways out leave no subtitle: skipping counts the picture, pausing reads it again later.
    const struct {
        const char *button;
        int skipped;
        bool paused;
    } ways[] = {{"ButtonSkipSubPict", 1, false}, {"ButtonPause", 0, true}};
    for (const auto &way : ways) {
        rig.run = {};
        user.then([&] {
            // The memo starts empty for every picture.
            EXPECT_TRUE(child<QPlainTextEdit>(rig.dialog, "Memo1")->toPlainText().isEmpty());
            QTest::keyClicks(child<QPlainTextEdit>(rig.dialog, "Memo1"), QStringLiteral("typed"));
            child<QPushButton>(rig.dialog, way.button)->click();
        });
        rig.recognise(pictureOfText(dejaVuSans(20), QStringLiteral("Hi")));
        EXPECT_EQ(rig.store.count(), 1) << way.button;
        EXPECT_EQ(rig.run.skippedCount, way.skipped) << way.button;
        EXPECT_EQ(rig.run.paused, way.paused) << way.button;
    }
}

TEST(OcrAssistantTest, AMatrixFilledFromDejaVuSansReadsALineInThatFontWithoutAQuestion)
{
    Rig rig;
    const QFont font = dejaVuSans(28);
    const QString line = QStringLiteral("The quick brown fox jumps over the lazy dog.");
    const picture::DecodedPicture picture = pictureOfText(font, line);
    rig.dialog.setStartFont(font);
    rig.assist.mode = OcrAssistState::FillMatrixRequested;
    User user(rig.dialog);
    user.then([&] {
        EXPECT_EQ(rig.dialog.windowTitle(), QStringLiteral("Fill character matrix"));
        auto *edit = child<QLineEdit>(rig.dialog, "EditFill");
        EXPECT_EQ(edit->text(), QStringLiteral("Sample text."));
        // Without a sample the fitting fields are off.
        edit->clear();
        EXPECT_FALSE(child<QSpinBox>(rig.dialog, "TextWidth")->isEnabled());
        edit->setText(line);
        EXPECT_TRUE(child<QSpinBox>(rig.dialog, "TextWidth")->isEnabled());
        // The sample fitted at its own size: the picture's pixels are the font's.
        const picture::CodeImage sample = renderSampleLine(FontTextRenderer(font), line, 0);
        child<QSpinBox>(rig.dialog, "TextWidth")->setValue(sample.width);
        child<QSpinBox>(rig.dialog, "TextHeight")->setValue(sample.height);
        auto *ranges = child<QListWidget>(rig.dialog, "lbSubranges");
        ASSERT_EQ(ranges->count(), 97);
        ranges->item(0)->setCheckState(Qt::Checked); // 0040 - 005A
        ranges->item(1)->setCheckState(Qt::Checked); // 0060 - 007A
        auto *fill = child<QLineEdit>(rig.dialog, "eFillText");
        EXPECT_EQ(fill->text().size(), 27 + 27);
        // A blank has no ink; the font has no Han character: both are left out.
        fill->setText(fill->text() + QStringLiteral(". \u4E2D"));
        child<QPushButton>(rig.dialog, "bbDone")->click();
    });
    // The assistant opens before the picture is read, then the picture is read with what it taught.
    const PictureOutcome outcome = rig.recognise(picture);
    EXPECT_TRUE(user.done());
    EXPECT_EQ(rig.assist.mode, OcrAssistState::Automatic); // back to the mode before the request
    EXPECT_EQ(rig.dialog.lastFill().added, 55);
    EXPECT_EQ(rig.dialog.lastFill().noInk, 1);
    EXPECT_EQ(rig.dialog.lastFill().missing, 1);
    EXPECT_EQ(rig.matrix.count(), 55);
    EXPECT_EQ(rig.asker.asked, 0);
    EXPECT_EQ(outcome.lines, QStringList({line}));
}

TEST(OcrAssistantTest, AFillOverAnHdFrameLearnsTheShapesRecognitionReadsReduced)
{
    // A 1920 x 1080 frame with 56-pixel text near its bottom: recognition reads it reduced by 2, while
    // the user fits the sample over the letters as the frame shows them. The reduction's 2 x 2 blocks
    // fall differently on text one pixel further right and down.
    const QFont font = dejaVuSans(56);
    const QString line = QStringLiteral("The quick brown fox jumps over the lazy dog.");
    const picture::DecodedPicture text = pictureOfText(font, line);
    const FontTextRenderer renderer(font);
    const picture::CodeImage sample = renderSampleLine(renderer, line, 0);
    const struct {
        int left, top;
    } placements[] = {{150, 900}, {151, 901}};
    for (const auto [left, top] : placements) {
        SCOPED_TRACE(testing::Message() << "text at " << left << ", " << top);
        picture::DecodedPicture frame = text;
        frame.codes.reset(1920, 1080, 0);
        for (int y = 0; y < text.codes.height; ++y)
            for (int x = 0; x < text.codes.width; ++x)
                frame.codes.at(left + x, top + y) = text.codes.at(x, y);
        frame.frameHeight = 1080;
        Rig rig;
        rig.dialog.setStartFont(font);
        rig.assist.mode = OcrAssistState::FillMatrixRequested;
        User user(rig.dialog);
        user.then([&] {
            child<QLineEdit>(rig.dialog, "EditFill")->setText(line);
            // The text lies at (12, 6) of its own picture; the sample line three blanks and one row in.
            child<QSpinBox>(rig.dialog, "TextLeft")->setValue(left + 12 - renderer.textWidth(QStringLiteral("   ")));
            child<QSpinBox>(rig.dialog, "TextTop")->setValue(top + 6 - 1);
            child<QSpinBox>(rig.dialog, "TextWidth")->setValue(sample.width);
            child<QSpinBox>(rig.dialog, "TextHeight")->setValue(sample.height);
            child<QListWidget>(rig.dialog, "lbSubranges")->item(0)->setCheckState(Qt::Checked); // 0040 - 005A
            child<QListWidget>(rig.dialog, "lbSubranges")->item(1)->setCheckState(Qt::Checked); // 0060 - 007A
            auto *fill = child<QLineEdit>(rig.dialog, "eFillText");
            fill->setText(fill->text() + QStringLiteral("."));
            child<QPushButton>(rig.dialog, "bbDone")->click();
        });
        const PictureOutcome outcome = rig.recognise(frame);
        EXPECT_TRUE(user.done());
        EXPECT_EQ(rig.dialog.lastFill().added, 55);
        // The entries have the reduced shapes, one for each way the blocks fall that gives another:
        // a capital of the 56-pixel font stands about 20 rows high.
        int capitals = 0;
        for (const Glyph &g : rig.matrix.entries())
            if (core::fromCharText(g.text) == QStringLiteral("T")) {
                ++capitals;
                EXPECT_LE(int(g.height), 22);
            }
        EXPECT_GE(capitals, 1);
        EXPECT_LE(capitals, 4);
        EXPECT_EQ(rig.asker.asked, 0);
        EXPECT_EQ(outcome.lines, QStringList({line}));
    }
}

TEST(OcrAssistantTest, TheFittingViewShowsTheSampleWhereItMissesTheLetters)
{
    Rig rig;
    const QFont font = dejaVuSans(28);
    const QString line = QStringLiteral("Hi world");
    const picture::DecodedPicture picture = pictureOfText(font, line);
    const FontTextRenderer renderer(font);
    const picture::CodeImage sample = renderSampleLine(renderer, line, 0);
    rig.dialog.setStartFont(font);
    // White letters (code 1) on black (code 0).
    rig.dialog.setDvdPalette([] { return std::array<uint32_t, 16>{0x000000, 0xFFFFFF}; });
    rig.assist.mode = OcrAssistState::FillMatrixRequested;
    // Pixels of the picture's letters left uncovered, and the sample's ink lying on the black around them.
    struct Seen {
        int uncovered = 0;
        int beside = 0;
    };
    auto fitAt = [&](int dx, int dy, int grow) {
        // The picture's text is drawn at (12, 6); the sample line at three blanks and one row in.
        child<QSpinBox>(rig.dialog, "TextLeft")->setValue(12 - renderer.textWidth(QStringLiteral("   ")) + dx);
        child<QSpinBox>(rig.dialog, "TextTop")->setValue(6 - 1 + dy);
        child<QSpinBox>(rig.dialog, "TextWidth")->setValue(sample.width + grow);
        child<QSpinBox>(rig.dialog, "TextHeight")->setValue(sample.height + grow);
        const QImage shown = child<QLabel>(rig.dialog, "Image1")->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
        Seen seen;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                seen.uncovered += shown.pixel(x, y) == qRgb(255, 255, 255);
                seen.beside += shown.pixel(x, y) == qRgb(255, 0, 0);
            }
        return seen;
    };
    User user(rig.dialog);
    user.then([&] {
        child<QLineEdit>(rig.dialog, "EditFill")->setText(line);
        const Seen fitted = fitAt(0, 0, 0);
        EXPECT_EQ(fitted.uncovered, 0);
        EXPECT_EQ(fitted.beside, 0);
        const struct {
            int dx, dy, grow;
        } misfits[] = {{3, 0, 0}, {0, -2, 0}, {0, 0, 6}};
        for (const auto &m : misfits) {
            const Seen seen = fitAt(m.dx, m.dy, m.grow);
            EXPECT_GT(seen.beside, 20) << m.dx << " " << m.dy << " " << m.grow;
        }
        child<QPushButton>(rig.dialog, "bbCancel")->click();
    });
    rig.dialog.assist(picture, rig.assist);
    EXPECT_TRUE(user.done());
}

TEST(OcrAssistantTest, PickingAFamilyInTheFontDialogKeepsAnUprightStyle)
{
    // The sample starts in the Subtitles window's font, an alias; the user picks DejaVu Sans in the
    // font dialog, clicking only its family.
    QFontDialog dialog(fontDialogStart(QFont(QStringLiteral("Sans Serif"), 9)));
    QListView *families = nullptr;
    QModelIndex dejaVu;
    for (QListView *list : dialog.findChildren<QListView *>()) {
        const QModelIndexList found = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole,
                                                           QStringLiteral("DejaVu Sans"), 1, Qt::MatchExactly);
        if (!found.isEmpty()) {
            families = list;
            dejaVu = found.front();
        }
    }
    ASSERT_NE(families, nullptr) << "DejaVu Sans is not offered";
    families->setCurrentIndex(dejaVu);
    EXPECT_EQ(dialog.currentFont().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_FALSE(dialog.currentFont().italic()) << dialog.currentFont().styleName().toStdString();
}

TEST(OcrAssistantTest, AMatrixFilledFromDejaVuSansReadsADiscAuthoredInThatFontWithoutTeaching)
{
    // The disc's text was drawn in DejaVu Sans at 28 pixels on a PAL picture. The user chooses that font,
    // types the first line of the first picture as the sample and fits it over that line.
    const QString dir = test::dataPath(QStringLiteral("dvd-pal-sans"));
    const QString vob = dir + QStringLiteral("/dvd/VIDEO_TS/VTS_01_1.VOB");
    const auto truth = readGroundTruth(dir + QStringLiteral("/gt.srt"));
    ASSERT_TRUE(truth.ok());
    const auto units = test::demuxSpuUnits(vob);
    ASSERT_TRUE(units.ok() && !units->empty());
    picture::DecodedPicture first;
    ripping::decodeSubpicture(units->front().bytes, 720, 576, first);
    ColourCandidates candidates = first.colourCandidates;
    const auto ink = detectTextColours(first.codes, candidates);
    ASSERT_TRUE(ink);
    const QString sample = truth->front().lines.front();
    const QFont font = dejaVuSans(28);
    const auto fit = test::fitSampleLine(FontTextRenderer(font), sample, first.codes, *ink);
    ASSERT_TRUE(fit);
    // The picture's pixels are narrower than they are tall: the letters fit at 28 pixels wide, 30 tall.
    EXPECT_EQ(std::lround(28 * fit->fittedWidth / fit->sampleWidth), 28);
    EXPECT_EQ(std::lround(28 * fit->fittedHeight / fit->sampleHeight), 30);

    Rig rig;
    rig.dialog.setStartFont(font);
    rig.assist.mode = OcrAssistState::FillMatrixRequested;
    User user(rig.dialog);
    user.then([&] {
        child<QLineEdit>(rig.dialog, "EditFill")->setText(sample);
        child<QSpinBox>(rig.dialog, "TextWidth")->setValue(int(fit->fittedWidth));
        child<QSpinBox>(rig.dialog, "TextHeight")->setValue(int(fit->fittedHeight));
        // Letters, digits and punctuation typed, then the Latin-1 range checked.
        auto *fill = child<QLineEdit>(rig.dialog, "eFillText");
        child<QListWidget>(rig.dialog, "lbSubranges")->item(2)->setCheckState(Qt::Checked); // 00A0 - 00FF
        fill->setText(rangeCharacters(0x21, 0x7E) + fill->text());
        child<QPushButton>(rig.dialog, "bbDone")->click();
    });
    rig.recognise(first);
    EXPECT_TRUE(user.done());
    EXPECT_EQ(rig.dialog.lastFill().missing, 0);
    EXPECT_EQ(rig.dialog.lastFill().added, 94 + 94); // the blank and the no-break space have no ink, the soft hyphen is not seen in a text

    test::GuessingAsker asker;
    test::OcrRoad road(rig.matrix, asker, vob);
    EXPECT_EQ(road.runAll().end, ripping::PassEnd::FileDone);
    ASSERT_EQ(road.store.count(), int(truth->size()));
    for (int i = 1; i <= road.store.count(); ++i)
        EXPECT_EQ(road.store.at(i).lines, (*truth)[size_t(i - 1)].lines) << "subtitle " << i;
    // The opening parenthesis alone differs from the disc's in a few half-covered pixels: the best guess.
    EXPECT_LE(asker.asked, 1);
}

TEST(OcrAssistantTest, FillingNeverDividesByAZeroSizeAndKeepsTheSlant)
{
    const FontTextRenderer renderer(dejaVuSans(24));
    CharMatrix matrix;
    FillGeometry geometry;
    geometry.sampleText = QStringLiteral("Ab");
    geometry.sampleWidth = 100;
    geometry.sampleHeight = 30;
    geometry.fittedWidth = 0; // a width of 0 typed in
    geometry.fittedHeight = 30;
    EXPECT_EQ(fillMatrixFromFont(matrix, renderer, {QStringLiteral("A")}, geometry).added, 0);
    EXPECT_EQ(matrix.count(), 0);

    // A slanted I leans: its ink is wider than the upright one, as wide as the slant moves its top.
    geometry.fittedWidth = 100;
    const auto upright = glyphOfRendering(renderFillItem(renderer, QStringLiteral("I"), geometry), QStringLiteral("I"), 0, 0);
    geometry.angleDegrees = 20;
    const auto slanted = glyphOfRendering(renderFillItem(renderer, QStringLiteral("I"), geometry), QStringLiteral("I"), 0, 0);
    ASSERT_TRUE(upright && slanted);
    EXPECT_GT(slanted->width, upright->width + 4);
    EXPECT_EQ(slanted->height, upright->height);
}

TEST(OcrAssistantTest, ThePaletteIsTheNewCharacterDialogsAndAPasteWritesItsFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("CharMap.ini"));
    core::IniStore ini(file);
    ini.writeString(QStringLiteral("French"), QStringLiteral("Small"), QStringLiteral("\u00E0*\u00E9*"));
    // A row longer than the grid is wide, so the grid has its scroll bar.
    ini.writeString(QStringLiteral("Punctuation"), QStringLiteral("All"), QStringLiteral("!?.,;:'\"()[]{}<>-_/\\|@#$%^&*+=~`\u00A1\u00BF\u00AB\u00BB"));
    ASSERT_TRUE(ini.updateFile().ok());
    Rig rig;
    NewCharacterSetup setup;
    setup.charMapFile = file;
    setup.charMapWriteFile = file;
    NewCharacterDialog newCharacter(rig.control, rig.prompt, setup);
    newCharacter.setLocation(QStringLiteral("French"));
    rig.dialog.setPaletteSource(&newCharacter);

    auto *grid = child<QTableWidget>(rig.dialog, "sg");
    auto cellCentre = [&](int r, int c) { return grid->visualItemRect(grid->item(r, c)).center(); };
    User user(rig.dialog);
    user.then([&] {
        EXPECT_EQ(child<QComboBox>(rig.dialog, "ComboBoxCharLoc")->currentText(), QStringLiteral("French"));
        EXPECT_LE(grid->visualRect(grid->model()->index(2, 0)).bottom(), grid->viewport()->height() - 1)
            << "the punctuation row lies wholly inside the grid, above its scroll bar";
        if (!grid->item(0, 2)) {
            ADD_FAILURE() << "the palette is empty";
            child<QPushButton>(rig.dialog, "bbDone")->click();
            return;
        }
        // Left click: the cell's text goes into the memo.
        QTest::keyClicks(child<QPlainTextEdit>(rig.dialog, "Memo1"), QStringLiteral("d"));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(0, 2));
        EXPECT_EQ(child<QPlainTextEdit>(rig.dialog, "Memo1")->toPlainText(), QStringLiteral("d\u00E9"));
        // Right click: the cell takes the clipboard's first character, in both windows and in the file.
        QApplication::clipboard()->setText(QStringLiteral("\u00E8x"));
        QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, cellCentre(0, 2));
        EXPECT_EQ(grid->item(0, 2)->text(), QStringLiteral("\u00E8"));
        child<QPushButton>(rig.dialog, "bbDone")->click();
    });
    const auto answer = rig.dialog.askSkippedItem(pictureOfText(dejaVuSans(20), QStringLiteral("Hi")).codes);
    EXPECT_EQ(answer.text, QStringList({"d\u00E9"}));
    auto reread = core::IniStore::open(file);
    ASSERT_TRUE(reread.ok());
    EXPECT_EQ(reread->readString(QStringLiteral("French"), QStringLiteral("Small")), QStringLiteral("\u00E0*\u00E8*"));
}

} // namespace
} // namespace glyfex::recognition::ui
