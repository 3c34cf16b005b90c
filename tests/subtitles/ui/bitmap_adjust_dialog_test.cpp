// The Bitmap adjustment dialog on the offscreen platform: the preset the output format calls for, switching presets,
// OK / Skip / Esc, profiles (a damaged one changes nothing), and saving the scripts from the Subtitles window.
#include "subtitles/ui/bitmap_adjust_dialog.h"

#include "core/ini_store.h"
#include "support/app_test.h"
#include "subtitles/subtitle_builder.h"
#include "subtitles/ui/subtitles_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace glyfex::subtitles::ui {
namespace {

using core::Answer;

class BitmapAdjustTest : public test::AppTest {
protected:
    void SetUp() override
    {
        test::AppTest::SetUp();
        bitmapAdjust.enabled = false; // these tests answer the dialog themselves
        dialog = qobject_cast<BitmapAdjustDialog *>(app.window(QStringLiteral("Form18")));
        ASSERT_NE(dialog, nullptr);
        subtitles = qobject_cast<SubtitlesWindow *>(app.subtitlesWindow());
        ASSERT_NE(subtitles, nullptr);
        ASSERT_TRUE(dir.isValid());
    }

    template <typename T> T *child(const char *name) const
    {
        T *w = dialog->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    QRadioButton *presetButton(int preset) const
    {
        return child<QGroupBox>("RadioGroupPresetPaletteIndex")->findChildren<QRadioButton *>().at(preset);
    }

    // Opens the dialog modelessly for the format, as the run would before a picture.
    void open(OutputFormat format)
    {
        ASSERT_TRUE(subtitles->setOutputFormat(format).ok());
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    }

    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }

    BitmapAdjustDialog *dialog = nullptr;
    SubtitlesWindow *subtitles = nullptr;
    QTemporaryDir dir;
};

TEST_F(BitmapAdjustTest, OpensOnThePresetOfTheOutputFormat)
{
    struct Case {
        OutputFormat format;
        int preset;
        bool depthSelectable;
    };
    for (const Case &c : {Case{OutputFormat::Glyfex, 3, true}, Case{OutputFormat::SonicScenarist, 3, true},
                          Case{OutputFormat::IAuthor, 0, false}, Case{OutputFormat::PhilipsSvcdDesigner, 1, true},
                          Case{OutputFormat::SonicDvdCreator, 2, false}, Case{OutputFormat::SpruceDvdMaestro, 4, true},
                          Case{OutputFormat::PinnacleImpression, 5, false}}) {
        open(c.format);
        EXPECT_EQ(app.presets.current, c.preset) << int(c.format);
        EXPECT_TRUE(presetButton(c.preset)->isChecked()) << int(c.format);
        EXPECT_EQ(child<QComboBox>("ComboBoxBitPerPixel")->isEnabled(), c.depthSelectable) << int(c.format);
        // A text format gives way to the tool's script.
        EXPECT_EQ(int(subtitles->outputFormat()), kFirstPictureScriptFormat + c.preset);
        EXPECT_EQ(app.config.main.activePage, kFirstPictureScriptFormat + c.preset);
        QTest::mouseClick(child<QPushButton>("BitBtn1"), Qt::LeftButton);
        EXPECT_FALSE(dialog->isVisible());
    }
}

TEST_F(BitmapAdjustTest, AnotherPresetKeepsTheEditedOneInItsSlot)
{
    app.presets = core::readBmpOutPresets(core::IniStore(), core::DefaultBmpOutPreset);
    open(OutputFormat::PhilipsSvcdDesigner);
    child<QSpinBox>("SpinEditMinX")->setValue(333);
    EXPECT_EQ(app.presets.settings.cropMinX, 333) << "a change is the current setting at once";
    QTest::mouseClick(presetButton(4), Qt::LeftButton);
    EXPECT_EQ(app.presets.presets[core::PresetPhilipsSvcd].cropMinX, 333);
    EXPECT_EQ(app.presets.current, 4);
    EXPECT_EQ(child<QSpinBox>("SpinEditMinX")->value(), app.presets.presets[4].cropMinX);
    EXPECT_EQ(child<QSpinBox>("SpinEditDivL")->value(), 8) << "DVDMaestro's own default";
    EXPECT_TRUE(child<QComboBox>("ComboBoxBitPerPixel")->isEnabled());
    EXPECT_EQ(subtitles->outputFormat(), OutputFormat::SpruceDvdMaestro);
    QTest::mouseClick(presetButton(5), Qt::LeftButton);
    EXPECT_FALSE(child<QComboBox>("ComboBoxBitPerPixel")->isEnabled());
    dialog->accept();
}

TEST_F(BitmapAdjustTest, GroupsShowWithTheirCheckBoxes)
{
    open(OutputFormat::SonicScenarist);
    auto *custom = child<QCheckBox>("CheckBoxCustom");
    custom->setChecked(false);
    EXPECT_FALSE(child<QGroupBox>("GroupBoxColors")->isVisibleTo(dialog));
    QTest::mouseClick(custom, Qt::LeftButton);
    EXPECT_TRUE(child<QGroupBox>("GroupBoxColors")->isVisibleTo(dialog));
    EXPECT_TRUE(app.presets.settings.customColours);
    child<QSpinBox>("JvSpinEdit2")->setValue(7);
    EXPECT_EQ(app.presets.settings.customContrast[1], 7);

    dialog->setColourAsker([](QWidget *, const QColor &) { return std::optional<QColor>(QColor(1, 2, 3)); });
    QTest::mouseClick(child<QPushButton>("ShapeColor3"), Qt::LeftButton);
    EXPECT_EQ(app.presets.settings.customColour[2], 0x030201u);
    dialog->setColourAsker([](QWidget *, const QColor &) { return std::optional<QColor>(); });
    QTest::mouseClick(child<QPushButton>("ShapeColor3"), Qt::LeftButton);
    EXPECT_EQ(app.presets.settings.customColour[2], 0x030201u) << "a cancelled colour changes nothing";

    child<QCheckBox>("CheckBoxAllowPositionChange")->setChecked(false);
    EXPECT_TRUE(child<QGroupBox>("GroupBoxLeftPos")->isHidden());
    child<QCheckBox>("CheckBoxAllowPositionChange")->setChecked(true);
    EXPECT_FALSE(child<QGroupBox>("GroupBoxTopPos")->isHidden());
    dialog->accept();
    EXPECT_EQ(app.presets.presets[core::PresetSonicScenarist].customContrast[1], 7);
}

TEST_F(BitmapAdjustTest, EveryWayOutGivesTheRunAnAnswer)
{
    struct Case {
        const char *way;
        bool savePicture;
    };
    for (const Case &c : {Case{"ok", true}, Case{"skip", false}, Case{"escape", true}}) {
        dialog->session().setShowBeforeNext(true);
        QTimer::singleShot(0, dialog, [&] {
            if (QLatin1String(c.way) == QLatin1String("ok"))
                QTest::mouseClick(child<QPushButton>("BitBtn1"), Qt::LeftButton);
            else if (QLatin1String(c.way) == QLatin1String("skip"))
                QTest::mouseClick(child<QPushButton>("ButtonSkipPict"), Qt::LeftButton);
            else
                QTest::keyClick(dialog, Qt::Key_Escape);
        });
        EXPECT_EQ(dialog->adjustPicture(), c.savePicture) << c.way;
        EXPECT_EQ(dialog->session().showBeforeNext(), c.savePicture ? false : true) << c.way;
        EXPECT_FALSE(dialog->isVisible()) << c.way;
    }
}

TEST_F(BitmapAdjustTest, SubtitlesWindowComesBackAfterTheDialog)
{
    subtitles->show();
    open(OutputFormat::SonicScenarist);
    EXPECT_FALSE(subtitles->isVisible());
    QTest::mouseClick(child<QPushButton>("ButtonSkipPict"), Qt::LeftButton);
    EXPECT_TRUE(subtitles->isVisible());
}

TEST_F(BitmapAdjustTest, ProfilesSaveAndLoadAllPresets)
{
    open(OutputFormat::SonicScenarist);
    child<QSpinBox>("SpinEditDivX")->setValue(16);
    files.names = {path("mine")};
    QTest::mouseClick(child<QPushButton>("ButtonSaveProfile"), Qt::LeftButton);
    EXPECT_EQ(files.titles.last(), QStringLiteral("Save current BMP Settings as a Profile file"));
    EXPECT_EQ(files.starts.last(), app.paths.writableDataDir());
    EXPECT_EQ(child<QLabel>("LabelCurrentProfile")->text(), QStringLiteral("mine.ini"));
    auto saved = core::IniStore::open(path("mine.ini"));
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved->readInteger(QStringLiteral("BMPOUT 3"), QStringLiteral("Cropping_DivX"), 0), 16);
    EXPECT_EQ(saved->readSections().size(), 6);

    child<QSpinBox>("SpinEditDivX")->setValue(4);
    files.names = {path("mine.ini")};
    QTest::mouseClick(child<QPushButton>("ButtonLoadProfile"), Qt::LeftButton);
    EXPECT_EQ(app.presets.settings.cropDivX, 16);
    EXPECT_EQ(child<QSpinBox>("SpinEditDivX")->value(), 16);
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join('\n').toStdString();
    dialog->accept();
}

// Saving a profile over one that is there asks first (the file dialog does not); No keeps the old one.
TEST_F(BitmapAdjustTest, SavingOverAProfileAsksFirst)
{
    open(OutputFormat::SonicScenarist);
    child<QSpinBox>("SpinEditDivX")->setValue(16);
    files.names = {path("mine")};
    QTest::mouseClick(child<QPushButton>("ButtonSaveProfile"), Qt::LeftButton);
    ASSERT_TRUE(prompt.shown.isEmpty());
    const struct {
        const char *name;
        Answer answer;
        int divX; // in the file afterwards
    } cases[] = {{"no_keeps_the_profile", Answer::No, 16}, {"yes_replaces_it", Answer::Yes, 8}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        child<QSpinBox>("SpinEditDivX")->setValue(8);
        prompt.shown.clear();
        prompt.answers = {c.answer};
        files.names = {path("mine")};
        QTest::mouseClick(child<QPushButton>("ButtonSaveProfile"), Qt::LeftButton);
        EXPECT_EQ(prompt.shown, QStringList{QStringLiteral("confirm: Warning\r\nFile mine.ini already exists! Replace?")});
        auto saved = core::IniStore::open(path("mine.ini"));
        ASSERT_TRUE(saved.ok());
        EXPECT_EQ(saved->readInteger(QStringLiteral("BMPOUT 3"), QStringLiteral("Cropping_DivX"), 0), c.divX);
    }
    dialog->accept();
}

TEST_F(BitmapAdjustTest, ADamagedProfileChangesNothing)
{
    open(OutputFormat::SpruceDvdMaestro);
    child<QSpinBox>("SpinEditMinY")->setValue(100);
    const core::BmpOutPresets before = app.presets;
    struct Case {
        const char *text;
        const char *says;
    };
    for (const Case &c : {Case{"[BMPOUT 4]\nCropping_MinX=9999\n", "[BMPOUT 4] Cropping_MinX: 9999 is outside 1..720"},
                          Case{"[BMPOUT 1]\nColors_CustContrast_2=high\n", "is not a number"},
                          Case{"[BMPOUT 3]\nColors_BitPerPixel=5\n", "neither 4 nor 8"},
                          Case{"[OTHER]\nx=1\n", "no [BMPOUT 0] to [BMPOUT 5] section"},
                          Case{"\x01\x02\x03", "no [BMPOUT 0]"}}) {
        QFile file(path("bad.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.text);
        file.close();
        prompt.shown.clear();
        files.names = {path("bad.ini")};
        QTest::mouseClick(child<QPushButton>("ButtonLoadProfile"), Qt::LeftButton);
        ASSERT_EQ(prompt.shown.size(), 1) << c.text;
        EXPECT_TRUE(prompt.shown[0].startsWith(QStringLiteral("error: "))) << prompt.shown[0].toStdString();
        EXPECT_TRUE(prompt.shown[0].contains(QLatin1String(c.says))) << prompt.shown[0].toStdString();
        EXPECT_TRUE(prompt.shown[0].contains(QStringLiteral("bad.ini"))) << prompt.shown[0].toStdString();
        EXPECT_EQ(app.presets, before) << c.text;
        EXPECT_EQ(child<QSpinBox>("SpinEditMinY")->value(), 100);
        EXPECT_EQ(child<QLabel>("LabelCurrentProfile")->text(), QStringLiteral("None"));
    }
    dialog->accept();
}

TEST_F(BitmapAdjustTest, ReduceShrinksToTheButtonsAndBack)
{
    open(OutputFormat::SonicScenarist);
    const QSize full = dialog->size();
    auto *reduce = child<QPushButton>("ButtonReduceWindow");
    QTest::mouseClick(reduce, Qt::LeftButton);
    EXPECT_EQ(reduce->text(), QString(2, QChar(0x00AF)));
    EXPECT_FALSE(child<QWidget>("PageControl1")->isVisible());
    EXPECT_LT(dialog->height(), full.height());
    QTest::mouseClick(reduce, Qt::LeftButton);
    EXPECT_EQ(reduce->text(), QString(2, QChar(0x00AD)));
    EXPECT_TRUE(child<QWidget>("PageControl1")->isVisible());
    dialog->accept();
}

// The script formats are saved from the Subtitles window like any other; a name the script would split
// is asked about first.
TEST_F(BitmapAdjustTest, SubtitlesWindowSavesTheScripts)
{
    Subtitle sub = test::makeSubtitle({0, 0, 1, 0}, {0, 0, 2, 0}, {QStringLiteral("pic_00001.bmp")});
    sub.colourWord = 0x3210;
    sub.contrastWord = 0xFF00;
    subtitles->store().subs.push_back(sub);
    ASSERT_TRUE(subtitles->setOutputFormat(OutputFormat::SonicScenarist).ok());
    subtitles->saveAs();
    files.names = {path("script.sst")};
    subtitles->saveAnsi();
    QFile file(path("script.sst"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("st_format\t2\r\n"));
    EXPECT_TRUE(bytes.endsWith("Color\t\t(1 2 3 4)\r\nContrast\t(0 0 15 15)\r\n1\t\t00:00:01:00\t00:00:02:00\tpic_00001.bmp\r\n"))
        << bytes.toStdString();

    // I-Author writes its pages, not the list.
    ASSERT_TRUE(subtitles->setOutputFormat(OutputFormat::IAuthor).ok());
    subtitles->saveAs();
    files.names = {path("script.txt")};
    subtitles->saveAnsi();
    QFile pages(path("script.txt"));
    ASSERT_TRUE(pages.open(QIODevice::ReadOnly));
    const QByteArray text = pages.readAll();
    EXPECT_TRUE(text.contains("BMPFILE: pic_00001.bmp\r\n\r\nSTARTTIME: 1.10\r\n")) << text.toStdString();

    subtitles->store().subs[0].lines = {QStringLiteral("my pic.bmp")};
    ASSERT_TRUE(subtitles->setOutputFormat(OutputFormat::PinnacleImpression).ok());
    prompt.answers = {Answer::No};
    subtitles->saveAs();
    files.names = {path("blank.txt")};
    subtitles->saveAnsi();
    ASSERT_FALSE(prompt.shown.isEmpty());
    EXPECT_TRUE(prompt.shown.last().contains(QStringLiteral("\"my pic.bmp\""))) << prompt.shown.last().toStdString();
    EXPECT_FALSE(QFile::exists(path("blank.txt")));
}

} // namespace
} // namespace glyfex::subtitles::ui
