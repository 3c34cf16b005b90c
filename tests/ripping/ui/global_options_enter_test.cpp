// The Global Options dialog as the main menu opens it: Enter on its default button closes it, and never with a number outside a box's range.
#include "core/global_options.h"
#include "core/ini_store.h"
#include "app/app.h"
#include "ripping/ui/main_window.h"

#include "support/app_test.h"
#include "support/qt_print.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace glyfex;

namespace {

using GlobalOptions = core::GlobalOptions;

struct Typed {
    const char *name;
    const char *box;
    const char *typed; // replaces the box's text, then Enter
    int GlobalOptions::*field;
    const char *key; // in GOPTIONS
    int expected;    // what the options hold after Enter
};

// Listings show a row by its name rather than by its bytes, which hold pointers and change from run to run.
void PrintTo(const Typed &t, std::ostream *os) { *os << t.name; }

const Typed rows[] = {
    // Digits beyond the maximum's length are not taken.
    {"MinTimeTooLong", "SpinEditMinTime", "99999", &GlobalOptions::minSubDuration, "MinSubDuration", 9999},
    {"MinTimeInRange", "SpinEditMinTime", "1234", &GlobalOptions::minSubDuration, "MinSubDuration", 1234},
    // Below the minimum, or nothing at all: the value before stays.
    {"MaxTmpBelowMinimum", "SpinEditMaxTMP", "45", &GlobalOptions::maxTmpDuration, "MaxTMP", 2500},
    {"MaxTmpEmpty", "SpinEditMaxTMP", "", &GlobalOptions::maxTmpDuration, "MaxTMP", 2500},
    {"FillDelayAboveMaximum", "seFill", "45", &GlobalOptions::fillDelay, "FillBestGuessDelay", 4},
    {"FillDelayZero", "seFill", "0", &GlobalOptions::fillDelay, "FillBestGuessDelay", 10},
};

class GlobalOptionsEnterTest : public test::AppTest, public ::testing::WithParamInterface<Typed> {};

TEST_P(GlobalOptionsEnterTest, EnterClosesTheDialogWithAValueInRange)
{
    const Typed &row = GetParam();
    app.loadSettings();
    auto *dialog = qobject_cast<QDialog *>(app.window(QStringLiteral("Form16")));
    ASSERT_NE(dialog, nullptr);
    auto *box = dialog->findChild<QSpinBox *>(QLatin1String(row.box));
    ASSERT_NE(box, nullptr);
    auto *menuItem = app.mainWindow()->findChild<QAction *>(QStringLiteral("GlobalOptions1"));
    ASSERT_NE(menuItem, nullptr);

    bool typed = false;
    QTimer::singleShot(0, dialog, [&] {
        if (!dialog->isVisible())
            return;
        if (auto *fill = dialog->findChild<QRadioButton *>(QStringLiteral("rbFill")))
            fill->click(); // the fill delay box is enabled only while filling in
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, QLatin1String(row.typed));
        QTest::keyClick(box, Qt::Key_Return);
        typed = true;
        if (dialog->isVisible())
            dialog->reject(); // Enter did not close it: the test fails below, but does not hang
    });
    menuItem->trigger(); // modal until the timer's keys close it
    ASSERT_TRUE(typed);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);

    const GlobalOptions &options = app.config.options;
    EXPECT_GE(options.*row.field, box->minimum());
    EXPECT_LE(options.*row.field, box->maximum());
    EXPECT_EQ(options.*row.field, row.expected);
    EXPECT_EQ(box->value(), row.expected);

    app.saveSettings();
    auto ini = core::IniStore::open(app.paths.configFile());
    ASSERT_TRUE(ini.ok());
    EXPECT_EQ(ini->readInteger(QStringLiteral("GOPTIONS"), QLatin1String(row.key), -1), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Boxes, GlobalOptionsEnterTest, ::testing::ValuesIn(rows),
                         [](const ::testing::TestParamInfo<Typed> &info) { return std::string(info.param.name); });

} // namespace
