// The Advanced OCR Setup dialog on the offscreen platform: ranges, OK and Cancel, the ways an entry
// reaches the block, the track bar, Reload Default Values and Save these Values.
#include "recognition/ui/ocr_setup_dialog.h"

#include "core/ini_store.h"
#include "core/ui/numeric_edit.h"
#include "support/app_test.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

namespace glyfex::recognition::ui {
namespace {

class OcrSetupDialogTest : public test::AppTest {
protected:
    void SetUp() override
    {
        test::AppTest::SetUp();
        dialog = qobject_cast<OcrSetupDialog *>(app.window(QStringLiteral("Form4")));
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override { dialog->hide(); }

    void showActive()
    {
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    }
    template <typename T> T *child(const char *name) const
    {
        T *w = dialog->findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    core::ui::NumericEdit *edit(const char *name) const { return child<core::ui::NumericEdit>(name); }
    QString saved(const char *key) const
    {
        auto ini = core::IniStore::open(app.paths.configFile());
        return ini ? ini->readString(QStringLiteral("OCR SETTING"), QLatin1String(key), QStringLiteral("<missing>"))
                   : QStringLiteral("<unreadable>");
    }

    OcrSetupDialog *dialog = nullptr;
};

TEST_F(OcrSetupDialogTest, EveryFieldHasItsRangeAndShowsTheBlock)
{
    struct Row {
        const char *name;
        int lowest;
        int highest;
        int OcrSettings::*field;
    };
    const Row rows[] = {
        {"Word_uLineMinHeight", 0, 45, &OcrSettings::minLineHeight},
        {"Word_uMinInterLine", 1, 50, &OcrSettings::minInterLine},
        {"Word_uLineMaxHeight", 0, 45, &OcrSettings::maxLineHeight},
        {"Word_uCharMinWidth", 1, 45, &OcrSettings::minCharWidth},
        {"Word_uCharMinHeight", 1, 45, &OcrSettings::minCharHeight},
        {"Integer_uMinSpaceWidth", -10, 45, &OcrSettings::spaceWidth},
        {"Word_uOcrWidthDiff", 0, 45, &OcrSettings::maxCharDiffWidth},
        {"Word_uOcrTopDiff", 0, 45, &OcrSettings::maxCharDiffTop},
        {"Word_uOcrHeightDiff", 0, 45, &OcrSettings::maxCharDiffHeight},
        {"Word_uSensibility", 0, 1000, &OcrSettings::sensibility},
    };
    int v = 1;
    for (const Row &r : rows)
        app.ocr.*r.field = r.highest - v++; // a value of its own for each field
    app.ocr.checkDetachedChar = false;
    dialog->show();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Advanced OCR Setup"));
    for (const Row &r : rows) {
        core::ui::NumericEdit *e = edit(r.name);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->minimum(), r.lowest) << r.name;
        EXPECT_EQ(e->maximum(), r.highest) << r.name;
        EXPECT_TRUE(e->errorMessage()) << r.name;
        EXPECT_EQ(e->value(), app.ocr.*r.field) << r.name;
    }
    EXPECT_FALSE(child<QCheckBox>("CheckBoxDetachedChar")->isChecked());
    EXPECT_EQ(child<QSlider>("TrackBarSensibility")->value(), app.ocr.sensibility);
}

TEST_F(OcrSetupDialogTest, OkStoresAndCancelThrowsTheEditsAway)
{
    dialog->show();
    edit("Integer_uMinSpaceWidth")->setText(QStringLiteral("12"));
    child<QCheckBox>("CheckBoxDetachedChar")->setChecked(false);
    child<QPushButton>("BitBtnCancel")->click();
    EXPECT_EQ(app.ocr, OcrSettings{});
    EXPECT_EQ(edit("Integer_uMinSpaceWidth")->text(), QStringLiteral("7"));

    dialog->show();
    edit("Integer_uMinSpaceWidth")->setText(QStringLiteral("-3"));
    child<QCheckBox>("CheckBoxDetachedChar")->setChecked(false);
    child<QPushButton>("BitBtnOk")->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(app.ocr.spaceWidth, -3);
    EXPECT_FALSE(app.ocr.checkDetachedChar);
    EXPECT_EQ(saved("SpaceWidth"), QStringLiteral("<missing>")) << "OK writes no file";
}

// However an entry gets in and however the dialog is closed, the block never takes a value out of range.
TEST_F(OcrSetupDialogTest, EveryWayInIsCheckedAgainstTheRange)
{
    // PastedAndOk: OK taken while the field keeps the focus, as an accelerator key does.
    enum class Way { TypedAndLeft, TypedAndEnter, PastedAndOk };
    const Way ways[] = {Way::TypedAndLeft, Way::TypedAndEnter, Way::PastedAndOk};
    for (Way way : ways) {
        SCOPED_TRACE(int(way));
        prompt.shown.clear();
        app.ocr = OcrSettings{};
        showActive();
        core::ui::NumericEdit *interLine = edit("Word_uMinInterLine");
        interLine->setFocus();
        interLine->selectAll();
        if (way == Way::PastedAndOk) {
            QGuiApplication::clipboard()->setText(QStringLiteral("60"));
            interLine->paste();
            child<QPushButton>("BitBtnOk")->click();
        } else {
            QTest::keyClick(interLine, Qt::Key_Backspace);
            QTest::keyClicks(interLine, QStringLiteral("60"));
            if (way == Way::TypedAndLeft)
                edit("Word_uLineMaxHeight")->setFocus();
            else
                QTest::keyClick(interLine, Qt::Key_Return);
            QCoreApplication::processEvents();
            EXPECT_EQ(interLine->text(), QStringLiteral("50"));
            child<QPushButton>("BitBtnOk")->click();
        }
        EXPECT_FALSE(dialog->isVisible());
        ASSERT_EQ(prompt.shown.size(), 1);
        EXPECT_EQ(prompt.shown[0], QStringLiteral("warn: < 1 ; 50 >"));
        EXPECT_EQ(app.ocr.minInterLine, 50);
    }
}

TEST_F(OcrSetupDialogTest, TrackBarAndSensibilityFieldFollowEachOther)
{
    dialog->show();
    auto *bar = child<QSlider>("TrackBarSensibility");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 1000);
    EXPECT_EQ(bar->tickInterval(), 10);
    bar->setValue(950);
    EXPECT_EQ(edit("Word_uSensibility")->text(), QStringLiteral("950"));
    edit("Word_uSensibility")->setText(QStringLiteral("900"));
    EXPECT_EQ(bar->value(), 900);
    child<QPushButton>("BitBtnOk")->click();
    EXPECT_EQ(app.ocr.sensibility, 900);
}

TEST_F(OcrSetupDialogTest, ReloadDefaultsIsInForceAtOnceAndDisablesCancel)
{
    app.ocr.maxLineHeight = 30;
    app.ocr.spaceWidth = 12;
    app.ocr.checkDetachedChar = false;
    dialog->show();
    EXPECT_TRUE(child<QPushButton>("BitBtnCancel")->isEnabled());
    child<QPushButton>("ButtonDefaultValues")->click();
    EXPECT_EQ(app.ocr, OcrSettings{});
    EXPECT_EQ(edit("Word_uLineMaxHeight")->text(), QStringLiteral("45"));
    EXPECT_FALSE(child<QPushButton>("BitBtnCancel")->isEnabled());
    dialog->hide();
    dialog->show();
    EXPECT_TRUE(child<QPushButton>("BitBtnCancel")->isEnabled()) << "a new showing";
}

TEST_F(OcrSetupDialogTest, SaveWritesTheSectionAtOnce)
{
    dialog->show();
    edit("Integer_uMinSpaceWidth")->setText(QStringLiteral("12"));
    edit("Word_uLineMaxHeight")->setText(QStringLiteral("99")); // above 45
    child<QPushButton>("ButtonSaveValues")->click();
    EXPECT_EQ(app.ocr.spaceWidth, 12);
    EXPECT_EQ(app.ocr.maxLineHeight, 45);
    EXPECT_EQ(saved("SpaceWidth"), QStringLiteral("12"));
    EXPECT_EQ(saved("MaxLineHeight"), QStringLiteral("45"));
    EXPECT_FALSE(child<QPushButton>("BitBtnCancel")->isEnabled());
    EXPECT_EQ(prompt.shown, QStringList{QStringLiteral("warn: < 0 ; 45 >")});
}

TEST_F(OcrSetupDialogTest, AFailedSaveIsReported)
{
    // A folder where the file should be: nothing can be written there.
    ASSERT_TRUE(QDir().mkpath(app.paths.configFile()));
    dialog->show();
    edit("Integer_uMinSpaceWidth")->setText(QStringLiteral("12"));
    child<QPushButton>("ButtonSaveValues")->click();
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].startsWith(QStringLiteral("error: "))) << prompt.shown[0].toStdString();
    EXPECT_EQ(app.ocr.spaceWidth, 12) << "the block has the values all the same";
}

} // namespace
} // namespace glyfex::recognition::ui
