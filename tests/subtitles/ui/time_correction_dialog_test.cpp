// The Time correction dialog on the offscreen platform: its controls, what a showing resets, and Correct Time on the Subtitles window's store.
#include "subtitles/ui/time_correction_dialog.h"

#include "support/app_test.h"
#include "subtitles/subtitle_builder.h"
#include "subtitles/ui/subtitles_window.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace glyfex::subtitles::ui {
namespace {

using core::Answer;

class TimeCorrectionDialogTest : public test::AppTest {
protected:
    void SetUp() override
    {
        test::AppTest::SetUp();
        window = qobject_cast<SubtitlesWindow *>(app.subtitlesWindow());
        dialog = qobject_cast<TimeCorrectionDialog *>(app.window(QStringLiteral("Form14")));
        ASSERT_NE(window, nullptr);
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override { dialog->hide(); }

    template <typename T> T *child(const char *name) const
    {
        T *w = dialog->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void addSubtitle(int startMs, int stopMs)
    {
        window->store().subs.push_back(test::makeSubtitle(core::millisecondsToTimeCode(startMs),
                                                          core::millisecondsToTimeCode(stopMs), {QStringLiteral("Hi")}));
        window->rebuildSubtitleText();
    }

    int64_t startOf(int index) const { return core::timeCodeToMilliseconds(window->store().at(index).start); }
    int64_t stopOf(int index) const { return core::timeCodeToMilliseconds(window->store().at(index).stop); }

    // Types into a numeric box as a user does: select all, type, leave.
    void type(const char *box, const QString &text)
    {
        auto *edit = child<core::ui::WordEdit>(box);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    bool listShows(const QString &text) const
    {
        return !window->list()->findItems(text, Qt::MatchContains).isEmpty();
    }

    SubtitlesWindow *window = nullptr;
    TimeCorrectionDialog *dialog = nullptr;
};

TEST_F(TimeCorrectionDialogTest, HasItsControlsWithTheirDefaults)
{
    EXPECT_EQ(dialog->objectName(), QStringLiteral("Form14"));
    struct Box {
        const char *name;
        int64_t maximum;
        int64_t value;
    };
    const Box boxes[] = {{"Word_uHour", 24, 0},          {"Word_uMin", 59, 0},        {"Word_uSec", 59, 0},
                         {"Word_uMSec", 999, 0},         {"Word_uHourS", 24, 0},      {"Word_uMinS", 59, 0},
                         {"Word_uSecS", 59, 0},          {"Word_uMSecS", 999, 0},     {"Word_uFixedDuration", 65535, 4000},
                         {"Word_uOffsetDuration", 9999, 500}, {"Word_uMsPerChar", 99, 50}, {"Word_uMinInterval", 9999, 0}};
    for (const Box &b : boxes) {
        auto *edit = child<core::ui::WordEdit>(b.name);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->maximum(), b.maximum) << b.name;
        EXPECT_EQ(edit->value(), b.value) << b.name;
    }
    for (const char *name : {"CheckBoxMinusOffset", "CheckBoxMinusStretch", "CheckBoxSubDuration", "CheckBoxTimeAuthor"})
        EXPECT_FALSE(child<QCheckBox>(name)->isChecked()) << name;
    EXPECT_EQ(child<QPushButton>("BitBtnModifyTC")->text(), QStringLiteral("Correct &Time"));
    EXPECT_EQ(child<QPushButton>("BitBtn1")->text(), QStringLiteral("&Cancel"));

    dialog->show();
    auto *fixedPanel = child<QWidget>("PanelFixedTime");
    auto *proportionalPanel = child<QWidget>("PanelProportionalTime");
    EXPECT_FALSE(fixedPanel->isVisible());
    EXPECT_TRUE(proportionalPanel->isVisible());
    const auto radios = child<QWidget>("RadioGroupTime")->findChildren<QRadioButton *>();
    ASSERT_EQ(radios.size(), 2);
    QTest::mouseClick(radios[0], Qt::LeftButton, {}, QPoint(6, radios[0]->height() / 2));
    EXPECT_TRUE(fixedPanel->isVisible());
    EXPECT_FALSE(proportionalPanel->isVisible());
    EXPECT_EQ(dialog->options().durationMethod, DurationMethod::Fixed);
}

TEST_F(TimeCorrectionDialogTest, ShowingResetsOffsetStretchAndDurationOnly)
{
    dialog->show();
    type("Word_uSec", QStringLiteral("5"));
    type("Word_uMSecS", QStringLiteral("250"));
    child<QCheckBox>("CheckBoxSubDuration")->setChecked(true);
    child<QCheckBox>("CheckBoxMinusOffset")->setChecked(true);
    child<QCheckBox>("CheckBoxTimeAuthor")->setChecked(true);
    type("Word_uMinInterval", QStringLiteral("120"));
    EXPECT_EQ(dialog->options().offsetMs, 5000);
    EXPECT_EQ(dialog->options().stretchMs, 250);

    QTest::mouseClick(child<QPushButton>("ButtonResetStretch"), Qt::LeftButton);
    EXPECT_EQ(dialog->options().stretchMs, 0);

    dialog->hide();
    dialog->show();
    const TimeCorrectionOptions o = dialog->options();
    EXPECT_EQ(o.offsetMs, 0);
    EXPECT_FALSE(o.modifyDuration);
    EXPECT_TRUE(o.minusOffset);
    EXPECT_TRUE(o.authorRepair);
    EXPECT_EQ(o.minIntervalMs, 120);
    EXPECT_EQ(o.framesPerSecond, 25) << "PAL until a DVD tells its standard";

    type("Word_uMin", QStringLiteral("3"));
    QTest::mouseClick(child<QPushButton>("ButtonResetOffset"), Qt::LeftButton);
    EXPECT_EQ(dialog->options().offsetMs, 0);
}

TEST_F(TimeCorrectionDialogTest, CorrectTimeShiftsTheStoreAndTheListThenCloses)
{
    addSubtitle(1500, 3000);
    addSubtitle(10000, 12000);
    dialog->show();
    type("Word_uSec", QStringLiteral("2"));
    child<QCheckBox>("CheckBoxMinusOffset")->setChecked(true);
    prompt.answers = {Answer::Yes};
    QTest::mouseClick(child<QPushButton>("BitBtnModifyTC"), Qt::LeftButton);

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].contains(QStringLiteral("00:00:01,500 will be reduced to 00:00:00,000.")));
    EXPECT_EQ(startOf(1), 0);
    EXPECT_EQ(stopOf(1), 1000);
    EXPECT_EQ(startOf(2), 8000);
    EXPECT_TRUE(listShows(QStringLiteral("00:00:08,000 --> 00:00:10,000")));
}

TEST_F(TimeCorrectionDialogTest, NoToTheQuestionLeavesEverySubtitleAsItWas)
{
    addSubtitle(5000, 6000);
    addSubtitle(1000, 2000); // out of order: asked only when reached
    dialog->show();
    type("Word_uSec", QStringLiteral("3"));
    child<QCheckBox>("CheckBoxMinusOffset")->setChecked(true);
    child<QCheckBox>("CheckBoxTimeAuthor")->setChecked(true);
    prompt.answers = {Answer::No};
    window->renderer().markSaved();
    QTest::mouseClick(child<QPushButton>("BitBtnModifyTC"), Qt::LeftButton);
    EXPECT_EQ(startOf(1), 5000);
    EXPECT_EQ(startOf(2), 1000);
    EXPECT_FALSE(window->isModified());
}

TEST_F(TimeCorrectionDialogTest, CancelChangesNothing)
{
    addSubtitle(1000, 2000);
    dialog->show();
    type("Word_uSec", QStringLiteral("4"));
    QTest::mouseClick(child<QPushButton>("BitBtn1"), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(startOf(1), 1000);
}

TEST_F(TimeCorrectionDialogTest, CommandLineRepairsWithoutShowing)
{
    addSubtitle(1000, 1000);
    addSubtitle(2000, 3100);
    addSubtitle(3000, 4000);
    dialog->show();
    type("Word_uSec", QStringLiteral("9")); // a setting of the last showing is not applied
    dialog->hide();
    app.batch.clock.standard = core::VideoStandard::ntsc();
    dialog->correctForCommandLine();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(stopOf(1), 1033);
    EXPECT_EQ(stopOf(2), 3000);
    EXPECT_EQ(startOf(3), 3033);
    EXPECT_TRUE(listShows(QStringLiteral("00:00:03,033 --> 00:00:04,000")));
}

} // namespace
} // namespace glyfex::subtitles::ui
