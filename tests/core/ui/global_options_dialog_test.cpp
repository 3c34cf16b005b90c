// The Global Options dialog: the fill-in controls follow the choice, edits reach the options at once.
#include "core/ui/global_options_dialog.h"

#include "core/ui/language_applier.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

using namespace glyfex::core;
using namespace glyfex::core::ui;

namespace {

template <class T>
T *child(QWidget &w, const char *name)
{
    T *c = w.findChild<T *>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

} // namespace

TEST(GlobalOptionsDialog, FillInControlsAreEnabledOnlyWhileFillingIn)
{
    GlobalOptions options;
    GlobalOptionsDialog dialog(options, QStringLiteral("&Global Options"));
    EXPECT_EQ(dialog.objectName(), QStringLiteral("Form16"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Global Options"));
    const char *const fillControls[] = {"seFill",   "lSeconds", "lWhereNo", "lBestGuess", "lBeforeAnd", "lFill1",
                                        "lFill2",   "eFillNone", "eBefore", "eAfter",     "cbAddToCharMatrix"};
    for (const char *name : fillControls)
        EXPECT_FALSE(child<QWidget>(dialog, name)->isEnabled()) << name;
    child<QRadioButton>(dialog, "rbFill")->click();
    EXPECT_TRUE(options.fillBestGuess);
    for (const char *name : fillControls)
        EXPECT_TRUE(child<QWidget>(dialog, name)->isEnabled()) << name;
    child<QRadioButton>(dialog, "rbWait")->click();
    EXPECT_FALSE(options.fillBestGuess);
    for (const char *name : fillControls)
        EXPECT_FALSE(child<QWidget>(dialog, name)->isEnabled()) << name;
    EXPECT_FALSE(child<QSpinBox>(dialog, "SpinEditMinTMP")->isEnabled());
}

TEST(GlobalOptionsDialog, ShowsLoadedOptionsAndWritesEveryChangeAtOnce)
{
    GlobalOptions options;
    options.fillBestGuess = true;
    options.fillDelay = 20;
    options.fillBefore = QStringLiteral("<<");
    options.forcedSubsOnly = true;
    options.minSubDuration = 20000; // beyond the box: brought to its maximum
    GlobalOptionsDialog dialog(options, QStringLiteral("&Global Options"));
    EXPECT_TRUE(child<QRadioButton>(dialog, "rbFill")->isChecked());
    EXPECT_TRUE(child<QWidget>(dialog, "eBefore")->isEnabled());
    EXPECT_EQ(child<QSpinBox>(dialog, "seFill")->value(), 20);
    EXPECT_EQ(child<QLineEdit>(dialog, "eBefore")->text(), QStringLiteral("<<"));
    EXPECT_TRUE(child<QCheckBox>(dialog, "ForcedChBox")->isChecked());
    EXPECT_EQ(child<QSpinBox>(dialog, "SpinEditMinTime")->value(), 9999);
    EXPECT_EQ(options.minSubDuration, 9999);

    child<QCheckBox>(dialog, "ChBoxR2L")->click();
    EXPECT_TRUE(options.rightToLeft);
    child<QCheckBox>(dialog, "CheckBoxBuildMap")->click();
    EXPECT_FALSE(options.buildMap);
    auto *after = child<QLineEdit>(dialog, "eAfter");
    after->clear();
    QTest::keyClicks(after, QStringLiteral(")"));
    EXPECT_EQ(options.fillAfter, QStringLiteral(")"));
    child<QSpinBox>(dialog, "SpinEditMaxTMP")->setValue(5000);
    EXPECT_EQ(options.maxTmpDuration, 4000);
}

TEST(GlobalOptionsDialog, TheDesignedBoxesAndTheOkButtonStayOutOfLanguageFiles)
{
    GlobalOptions options;
    GlobalOptionsDialog dialog(options, QStringLiteral("&Global Options"));
    for (const char *name : {"SpinEditMinTime", "SpinEditMaxTMP", "SpinEditMinTMP", "seFill", "BitBtnOk", "GroupBox1"})
        EXPECT_EQ(child<QWidget>(dialog, name)->property(TagProperty).toInt(), NotInLanguageFiles) << name;
    EXPECT_EQ(dialog.property(TagProperty).toInt(), NotInLanguageFiles);
    EXPECT_TRUE(child<QWidget>(dialog, "BitBtnOk")->property("default").toBool());
}
