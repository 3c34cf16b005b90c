// The Output Format dialog on the offscreen platform: tree and pages, frame-rate linking, Convert and
// Cancel, fonts and colours, and files written with its options read back by FFmpeg and aeidon.
#include "subtitles/ui/output_format_dialog.h"

#include "core/ui/numeric_edit.h"
#include "support/app_test.h"
#include "ripping/ui/input_dialog.h"
#include "subtitles/style_tags.h"
#include "subtitles/subtitle_builder.h"
#include "subtitles/ui/subtitles_window.h"
#include "support/aeidon.h"
#include "support/ffmpeg_demux.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace glyfex::subtitles::ui {
namespace {

using core::TimeCode;

const char *const kRateBoxes[] = {"ComboBoxSTLFrameRate", "ComboBoxPhilipsFrameRate", "ComboBoxSonicFrameRate",
                                  "ComboBoxMaeFrameRate", "ComboBoxSSTFrameRate",     "ComboBoxImpreFrameRate",
                                  "ComboBoxFABFrameRate", "ComboBoxMacDVDFrameRate"};
const char *const kDropBoxes[] = {"CheckBoxSTLDropFrame", "CheckBoxPhilipsDropFrame", "CheckBoxSonicDropFrame",
                                  "CheckBoxMaeDropFrame", "CheckBoxSSTDropFrame",     "CheckBoxImpreDropFrame",
                                  "CheckBoxFABDropFrame", "CheckBoxMacDVDDropFrame"};

class OutputFormatDialogTest : public test::AppTest {
protected:
    void SetUp() override
    {
        test::AppTest::SetUp();
        dialog = qobject_cast<OutputFormatDialog *>(app.window(QStringLiteral("Form13")));
        window = qobject_cast<SubtitlesWindow *>(app.subtitlesWindow());
        ASSERT_NE(dialog, nullptr);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override { dialog->hide(); }

    template <typename T> T *child(const QString &name) const
    {
        T *w = dialog->findChild<T *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    template <typename T> T *child(const char *name) const { return child<T>(QString::fromLatin1(name)); }

    QTreeWidget *tree() const { return child<QTreeWidget>("FormatsTreeView"); }
    int shownPage() const { return child<QStackedWidget>("PageControlGlyfex")->currentIndex(); }
    void select(OutputFormat format) const
    {
        const int n = int(format);
        QTreeWidgetItem *root = tree()->topLevelItem(n < kFirstPictureScriptFormat ? 0 : 1);
        tree()->setCurrentItem(root->child(n < kFirstPictureScriptFormat ? n : n - kFirstPictureScriptFormat));
    }
    void addSubtitle(int startMs, int stopMs, QStringList lines)
    {
        window->store().subs.push_back(test::makeSubtitle(core::millisecondsToTimeCode(startMs),
                                                          core::millisecondsToTimeCode(stopMs), std::move(lines)));
        window->renderSubtitle(window->store().count());
    }
    // Save As through the window's own commands (the code-page panel's Save for Latin text).
    QString saveAs(const char *name)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        files.names = {path};
        window->saveAs();
        if (window->conversionPanelShown())
            window->saveAnsi();
        return path;
    }

    OutputFormatDialog *dialog = nullptr;
    SubtitlesWindow *window = nullptr;
    QTemporaryDir dir;
};

TEST_F(OutputFormatDialogTest, TreeListsTheFormatsUnderTheirHeadingsAndPagesFollowIt)
{
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Output Format"));
    ASSERT_EQ(tree()->topLevelItemCount(), 2);
    EXPECT_EQ(tree()->topLevelItem(0)->text(0), QStringLiteral("Text Formats"));
    EXPECT_EQ(tree()->topLevelItem(1)->text(0), QStringLiteral("Graphical Formats"));
    ASSERT_EQ(tree()->topLevelItem(0)->childCount(), 19);
    ASSERT_EQ(tree()->topLevelItem(1)->childCount(), 6);
    EXPECT_EQ(tree()->topLevelItem(0)->child(0)->text(0), QStringLiteral("Dks (*.dks)"));
    EXPECT_EQ(tree()->topLevelItem(0)->child(18)->text(0), QStringLiteral("ZeroG (*.zeg)"));
    EXPECT_EQ(tree()->topLevelItem(1)->child(0)->text(0), QStringLiteral("I-Author (*.txt)"));
    EXPECT_EQ(tree()->topLevelItem(1)->child(5)->text(0), QStringLiteral("Pinnacle Impression (*.txt)"));
    EXPECT_EQ(child<QStackedWidget>("PageControlGlyfex")->count(), 25);

    // Showing selects the current format's node and page, also below the second heading.
    ASSERT_TRUE(window->setOutputFormat(OutputFormat::SonicScenarist));
    dialog->show();
    EXPECT_EQ(shownPage(), 22);
    EXPECT_EQ(tree()->currentItem()->text(0), QStringLiteral("Sonic Scenarist (*.sst)"));
    // A heading leaves the page; the first node below "Graphical Formats" is I-Author.
    tree()->setCurrentItem(tree()->topLevelItem(1));
    EXPECT_EQ(shownPage(), 22);
    tree()->setCurrentItem(tree()->topLevelItem(1)->child(0));
    EXPECT_EQ(shownPage(), 19);
    tree()->setCurrentItem(tree()->topLevelItem(0)->child(5));
    EXPECT_EQ(shownPage(), 5);
    EXPECT_EQ(dialog->shownFormat(), OutputFormat::MicroDvd);
}

TEST_F(OutputFormatDialogTest, OneFrameRateBoxSetsAllEightAndTheDropFrameBoxesFollow)
{
    dialog->show();
    select(OutputFormat::FabSubtitler);
    auto *fab = child<QComboBox>("ComboBoxFABFrameRate");
    EXPECT_EQ(fab->itemText(0), QStringLiteral("25.000 PAL"));
    EXPECT_EQ(fab->itemText(1), QStringLiteral("30.000 NTSC"));
    QTest::keyClick(fab, Qt::Key_Down); // "30.000 NTSC"
    for (const char *name : kRateBoxes)
        EXPECT_EQ(child<QComboBox>(name)->currentIndex(), 1) << name;
    for (const char *name : kDropBoxes)
        EXPECT_TRUE(child<QCheckBox>(name)->isEnabled()) << name;
    EXPECT_EQ(app.input.frameSize.height(), 480) << "the unknown standard follows the choice";

    child<QCheckBox>("CheckBoxSonicDropFrame")->click();
    const bool drop = child<QCheckBox>("CheckBoxSonicDropFrame")->isChecked();
    for (const char *name : kDropBoxes)
        EXPECT_EQ(child<QCheckBox>(name)->isChecked(), drop) << name;

    QTest::keyClick(child<QComboBox>("ComboBoxMaeFrameRate"), Qt::Key_Up); // back to PAL
    for (const char *name : kRateBoxes)
        EXPECT_EQ(child<QComboBox>(name)->currentIndex(), 0) << name;
    for (const char *name : kDropBoxes)
        EXPECT_FALSE(child<QCheckBox>(name)->isEnabled()) << name;
    EXPECT_EQ(app.input.frameSize.height(), 576);

    ASSERT_TRUE(dialog->convert());
    EXPECT_EQ(app.formatOptions.frameRateIndex, 0);
    EXPECT_EQ(app.formatOptions.dropFrame, drop);
}

TEST_F(OutputFormatDialogTest, AKnownVideoStandardKeepsItsFrameSizeAndSetsTheFrameRate)
{
    struct Case {
        QSize frame;
        int rateIndex;
    };
    for (const Case &c : {Case{QSize(720, 480), 1}, Case{QSize(720, 576), 0}}) {
        app.input.frameSize = c.frame;
        app.inputDialog()->applyFrameSize(); // as opening the source does
        dialog->show();
        EXPECT_EQ(app.input.frameSize, c.frame);
        for (const char *name : kRateBoxes) {
            EXPECT_FALSE(child<QComboBox>(name)->isEnabled()) << name;
            EXPECT_EQ(child<QComboBox>(name)->currentIndex(), c.rateIndex) << name;
        }
        for (const char *name : kDropBoxes)
            EXPECT_EQ(child<QCheckBox>(name)->isEnabled(), c.rateIndex == 1) << name;
        ASSERT_TRUE(dialog->convert());
        EXPECT_EQ(app.formatOptions.frameRateIndex, c.rateIndex);
    }
}

TEST_F(OutputFormatDialogTest, ConvertStoresTheOptionsAndTheFormatFollowsEverywhere)
{
    dialog->show();
    select(OutputFormat::TmPlayer);
    child<QRadioButton>("RadioButtonTMPlayer4")->click();
    child<QRadioButton>("RadioButtonHLeft")->click();
    child<QRadioButton>("RadioButtonVTop")->click();
    child<core::ui::WordEdit>("Word_uH")->setText(QStringLiteral("900")); // above 719, not left yet
    child<QSpinBox>("JvSpinEditSTL4")->setValue(9);
    child<QSpinBox>("SpinEditSubStationAlphaBorder")->setValue(4);
    child<QSpinBox>("SpinEditMinimumInterval")->setValue(40);
    child<QCheckBox>("CheckBoxGxtExtended")->setChecked(true);
    child<QCheckBox>("CheckBoxMaeExtended")->setChecked(false);
    child<QSpinBox>("SpinEditGlyfexOffset")->setValue(12);
    ASSERT_TRUE(dialog->convert());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(prompt.shown, QStringList{QStringLiteral("warn: < 0 ; 719 >")});

    const FormatOptions &o = app.formatOptions;
    EXPECT_EQ(o.tmPlayerVariant, 4);
    EXPECT_EQ(o.stlHorzAlign, 0);
    EXPECT_EQ(o.stlVertAlign, 0);
    EXPECT_EQ(o.stlXOffset, 719);
    EXPECT_EQ(o.stlContrasts[3], 9);
    EXPECT_EQ(o.ssaBorder, 4);
    EXPECT_EQ(o.minimumInterval, 40);
    EXPECT_TRUE(o.glyfexExtended);
    EXPECT_FALSE(o.maestroExtended);
    EXPECT_EQ(o.glyfexOffset, 12);
    EXPECT_EQ(window->outputFormat(), OutputFormat::TmPlayer);
    EXPECT_EQ(window->renderer().options().tmPlayerVariant, 4);
    EXPECT_EQ(app.config.main.activePage, int(OutputFormat::TmPlayer));
    EXPECT_EQ(window->saveDialogFileName(), QStringLiteral("NewFile.txt"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Subtitles | NewFile.txt"));

    addSubtitle(1000, 2000, {QStringLiteral("plain")});
    const QString saved = saveAs("out.txt");
    ASSERT_EQ(files.saveFilters.size(), 1);
    EXPECT_EQ(files.saveFilters[0], QStringLiteral("TMPlayer (*.txt)|*.txt|All|*.*"));
    QFile f(saved);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("0:00:01=plain")) << "variant 4";

    // The next showing puts the stored options back in.
    dialog->show();
    EXPECT_EQ(shownPage(), int(OutputFormat::TmPlayer));
    EXPECT_TRUE(child<QRadioButton>("RadioButtonTMPlayer4")->isChecked());
    EXPECT_EQ(child<core::ui::WordEdit>("Word_uH")->text(), QStringLiteral("719"));
}

TEST_F(OutputFormatDialogTest, CancelDropsTheOptionsButKeepsTheWritersOwnTexts)
{
    dialog->show();
    select(OutputFormat::SubStationAlpha);
    child<QSpinBox>("SpinEditSubStationAlphaShadow")->setValue(9);
    child<QRadioButton>("RadioButtonTMPlayer5")->click();
    child<QLineEdit>("EditSubStationAlphaTitle")->setText(QStringLiteral("My film"));
    child<QPushButton>("BitBtn1")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(app.formatOptions.ssaShadow, 2);
    EXPECT_EQ(app.formatOptions.tmPlayerVariant, 1);
    EXPECT_EQ(app.formatOptions.ssaTitle, QStringLiteral("My film"));
    EXPECT_EQ(window->outputFormat(), OutputFormat::Glyfex);
    dialog->show();
    EXPECT_EQ(child<QSpinBox>("SpinEditSubStationAlphaShadow")->value(), 2);
    EXPECT_TRUE(child<QRadioButton>("RadioButtonTMPlayer1")->isChecked());
    EXPECT_EQ(shownPage(), int(OutputFormat::Glyfex));
}

TEST_F(OutputFormatDialogTest, ConvertBetweenTextAndPictureFormatsWarnsOnlyWithSubtitles)
{
    dialog->show();
    select(OutputFormat::SonicScenarist);
    ASSERT_TRUE(dialog->convert());
    EXPECT_TRUE(prompt.shown.isEmpty()) << "nothing to convert";

    addSubtitle(1000, 2000, {QStringLiteral("one")});
    dialog->show();
    select(OutputFormat::Glyfex);
    ASSERT_TRUE(dialog->convert());
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0],
              QStringLiteral("warn: Warning\r\nIt's not a good idea to convert between graphical and text based outputs."));
    EXPECT_EQ(window->outputFormat(), OutputFormat::Glyfex);

    dialog->show();
    select(OutputFormat::SubStationAlpha);
    ASSERT_TRUE(dialog->convert());
    EXPECT_EQ(prompt.shown.size(), 1) << "text to text";
}

TEST_F(OutputFormatDialogTest, AFrameRateThatIsNoRateChangesNothing)
{
    dialog->show();
    select(OutputFormat::MicroDvd);
    child<QSpinBox>("SpinEditSubStationAlphaBorder")->setValue(5);
    child<QComboBox>("MDVDComboBox")->setCurrentText(QStringLiteral("0"));
    EXPECT_FALSE(dialog->convert());
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].startsWith(QStringLiteral("error: Error\r\n")));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(window->outputFormat(), OutputFormat::Glyfex);
    EXPECT_EQ(app.formatOptions.ssaBorder, 2);
    EXPECT_EQ(window->renderer().options().frameRateText, QStringLiteral("23.976"));
}

TEST_F(OutputFormatDialogTest, FontButtonsKeepTheRequestedFamilyAndTheCharset)
{
    QList<QFont> offered;
    std::optional<QFont> answer;
    window->setFontAsker([&](QWidget *, const QFont &current) {
        offered << current;
        return answer;
    });
    app.formatOptions.sv2Font = FontSpec{QStringLiteral("Arial Unicode MS"), 8, 1, false, false, false, false};
    dialog->show();
    select(OutputFormat::Subviewer2);
    auto *edit = child<QLineEdit>("EditSV2Font");
    EXPECT_EQ(edit->text(), QStringLiteral("\"Arial Unicode MS\",8,1"));
    EXPECT_TRUE(edit->isReadOnly());

    child<QPushButton>("ButtonSV2Font")->click(); // cancelled
    ASSERT_EQ(offered.size(), 1);
    EXPECT_EQ(offered[0].family(), QStringLiteral("Arial Unicode MS"));
    EXPECT_EQ(offered[0].pointSize(), 8);
    EXPECT_EQ(edit->text(), QStringLiteral("\"Arial Unicode MS\",8,1"));

    // The family need not be installed: the header names it, not what the system shows instead.
    QFont chosen(QStringLiteral("Arial Unicode MS"));
    chosen.setPointSize(20);
    chosen.setItalic(true);
    answer = chosen;
    child<QPushButton>("ButtonSV2Font")->click();
    EXPECT_EQ(edit->text(), QStringLiteral("\"Arial Unicode MS\",20,1,Italic"));
    EXPECT_EQ(window->list()->font().pointSize(), 20) << "the list takes the font too";

    // A font given in pixels keeps the size in points it had.
    QFont pixels(QStringLiteral("Tahoma"));
    pixels.setPixelSize(30);
    answer = pixels;
    child<QPushButton>("ButtonSSAFont")->click();
    EXPECT_EQ(child<QLineEdit>("EditSSAFont")->text(), QStringLiteral("Tahoma,28,0"));

    ASSERT_TRUE(dialog->convert());
    EXPECT_EQ(app.formatOptions.sv2Font.name, QStringLiteral("Arial Unicode MS"));
    EXPECT_EQ(app.formatOptions.sv2Font.size, 20);
    EXPECT_EQ(app.formatOptions.sv2Font.charset, 1);
    EXPECT_TRUE(app.formatOptions.sv2Font.italic);
    EXPECT_EQ(app.formatOptions.ssaFont.name, QStringLiteral("Tahoma"));
}

TEST_F(OutputFormatDialogTest, AFontTextThatDoesNotReadKeepsTheFontItHad)
{
    dialog->show();
    child<QLineEdit>("EditSTLFont")->setText(QStringLiteral("Verdana")); // a name alone
    child<QSpinBox>("SpinEditSubStationAlphaShadow")->setValue(7);
    ASSERT_TRUE(dialog->convert());
    EXPECT_EQ(app.formatOptions.stlFont.name, QStringLiteral("Arial"));
    EXPECT_EQ(app.formatOptions.stlFont.size, 36);
    EXPECT_EQ(app.formatOptions.ssaShadow, 7) << "the other options are stored all the same";
}

TEST_F(OutputFormatDialogTest, ColourShapesTakeTheChosenColourAsBgr)
{
    std::optional<QColor> answer = QColor(0x11, 0x22, 0x33);
    QColor offered;
    dialog->setColourAsker([&](QWidget *, const QColor &current) {
        offered = current;
        return answer;
    });
    dialog->show();
    select(OutputFormat::SpruceStl);
    child<QToolButton>("ShapeColorSTL1")->click();
    EXPECT_EQ(offered, QColor(0x80, 0x80, 0x80));
    select(OutputFormat::SubStationAlpha);
    child<QToolButton>("ShapeColorSSA1")->click();
    EXPECT_EQ(offered, QColor(0xFF, 0xFF, 0x80)) << "0x80FFFF is blue 0x80";
    answer.reset();
    child<QToolButton>("ShapeColorSSA4")->click(); // cancelled
    ASSERT_TRUE(dialog->convert());
    EXPECT_EQ(app.formatOptions.stlColors[0], 0x332211u);
    EXPECT_EQ(app.formatOptions.ssaColors[0], 0x332211u);
    EXPECT_EQ(app.formatOptions.ssaColors[3], 0u);
}

// --- files written with the dialog's options, read by other programs ---------------------------

int64_t ms(int h, int m, int s, int milli)
{
    return ((int64_t(h) * 60 + m) * 60 + s) * 1000 + milli;
}

class OutputFormatReadBackTest : public OutputFormatDialogTest {
protected:
    void addTwo()
    {
        addSubtitle(int(ms(0, 0, 1, 250)), int(ms(0, 0, 3, 990)), {QStringLiteral("First one")});
        addSubtitle(int(ms(0, 1, 2, 500)), int(ms(0, 1, 5, 0)), {QStringLiteral("Second,"), QStringLiteral("two lines")});
    }
    static QString text(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }
};

TEST_F(OutputFormatReadBackTest, SubStationAlphaWithTheDialogsHeaderFontAndMargins)
{
    window->setFontAsker([](QWidget *, const QFont &) {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPointSize(24);
        f.setBold(true);
        return std::optional<QFont>(f);
    });
    addTwo();
    dialog->show();
    select(OutputFormat::SubStationAlpha);
    child<QLineEdit>("EditSubStationAlphaTitle")->setText(QStringLiteral("Chosen title"));
    child<QSpinBox>("SpinEditSubStationAlphaPosBottom")->setValue(40);
    child<QPushButton>("ButtonSSAFont")->click();
    ASSERT_TRUE(dialog->convert());
    const QString path = saveAs("dialog.ssa");
    const QString file = text(path);
    EXPECT_TRUE(file.contains(QStringLiteral("Title: Chosen title\r\n")));
    EXPECT_TRUE(file.contains(QStringLiteral("Style: Style1,DejaVu Sans,24,"))) << file.toStdString();

    AVRational tb{0, 1};
    const std::vector<test::DemuxedEvent> events = test::demuxSubtitles(path, "ass", &tb);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].pts, 125);
    EXPECT_EQ(events[0].duration, 399 - 125);
    EXPECT_EQ(events[1].pts, 6250);
    // The packet is the event's fields; the text is the last, with \N or \n for a break.
    EXPECT_EQ(events[1].text.section(QLatin1Char(','), 8).replace(QStringLiteral("\\N"), QStringLiteral("|")).replace(QStringLiteral("\\n"), QStringLiteral("|")),
              QStringLiteral("Second,|two lines"));
    const std::vector<test::AeidonSub> subs = test::readWithAeidon(path, "SSA");
    ASSERT_EQ(subs.size(), 2u);
    EXPECT_NEAR(subs[0].start, 1.25, 1e-6);
    EXPECT_NEAR(subs[1].end, 65.0, 1e-6);
    EXPECT_EQ(subs[1].text, QStringLiteral("Second,\ntwo lines"));
}

TEST_F(OutputFormatReadBackTest, SubViewerWithTheDialogsHeader)
{
    addTwo();
    dialog->show();
    select(OutputFormat::Subviewer);
    child<QLineEdit>("EditSubviewerTitle")->setText(QStringLiteral("Chosen title"));
    child<QLineEdit>("EditSubviewerAuthor")->setText(QStringLiteral("Someone"));
    child<QSpinBox>("SpinEditSubViewerDelay")->setValue(0);
    ASSERT_TRUE(dialog->convert());
    const QString path = saveAs("dialog.sub");
    EXPECT_TRUE(text(path).startsWith(QStringLiteral("[TITLE]\r\nChosen title\r\n[AUTHOR]\r\nSomeone\r\n")));
    AVRational tb{0, 1};
    const std::vector<test::DemuxedEvent> events = test::demuxSubtitles(path, "subviewer1", &tb);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].pts, 1); // whole seconds
    EXPECT_EQ(events[1].pts, 62); // half a second is not rounded up
    EXPECT_EQ(events[1].text, QStringLiteral("Second,|two lines"));
}

TEST_F(OutputFormatReadBackTest, MicroDvdAtTheChosenFrameRate)
{
    addTwo();
    dialog->show();
    select(OutputFormat::MicroDvd);
    child<QComboBox>("MDVDComboBox")->setCurrentText(QStringLiteral("25.000"));
    EXPECT_EQ(child<QComboBox>("ComboBoxMpl")->currentText(), QStringLiteral("25.000")) << "the rates are one";
    ASSERT_TRUE(dialog->convert());
    const QString path = saveAs("dialog.sub");
    EXPECT_TRUE(text(path).startsWith(QStringLiteral("{1}{1}25.000\r\n")));
    const auto frames = [](int64_t milli) { return int64_t(std::nearbyint(double(milli) / 1000.0 * 25.0)); };
    AVRational tb{0, 1};
    const std::vector<test::DemuxedEvent> events = test::demuxSubtitles(path, "microdvd", &tb);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(av_q2d(tb), 1.0 / 25.0);
    EXPECT_EQ(events[0].pts, frames(ms(0, 0, 1, 250)));
    EXPECT_EQ(events[1].pts, frames(ms(0, 1, 2, 500)));
    EXPECT_EQ(events[1].duration, frames(ms(0, 1, 5, 0)) - frames(ms(0, 1, 2, 500)));
    const std::vector<test::AeidonSub> subs = test::readWithAeidon(path, "MICRODVD");
    ASSERT_EQ(subs.size(), 3u) << "aeidon reads the rate line as a subtitle";
    EXPECT_EQ(subs[1].startFrame, frames(ms(0, 0, 1, 250)));
    EXPECT_EQ(subs[2].startFrame, frames(ms(0, 1, 2, 500)));
    EXPECT_EQ(subs[2].text, QStringLiteral("Second,\ntwo lines"));
}

} // namespace
} // namespace glyfex::subtitles::ui
