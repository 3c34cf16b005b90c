// The numeric edit boxes under real key and focus events: filtering, the leaving check, Enter in a dialog.
#include "core/ui/numeric_edit.h"

#include "support/recording_prompt.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

using namespace glyfex::core;
using namespace glyfex::core::ui;

namespace {

using glyfex::testing::RecordingPrompt;

// A dialog with a box, a second box to move the focus to, and a default OK button.
struct Dialog {
    QDialog dialog;
    WordEdit *word = new WordEdit;
    IntegerEdit *integer = new IntegerEdit;
    QPushButton *ok = new QPushButton(QStringLiteral("OK"));
    RecordingPrompt prompt;

    Dialog()
    {
        auto *layout = new QVBoxLayout(&dialog);
        layout->addWidget(word);
        layout->addWidget(integer);
        layout->addWidget(ok);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        word->setPrompt(&prompt);
        integer->setPrompt(&prompt);
        dialog.show();
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    void typeInto(NumericEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    // Leaves the box by moving the focus to the other one.
    void leave(NumericEdit *edit)
    {
        NumericEdit *other = edit == word ? static_cast<NumericEdit *>(integer) : word;
        other->setFocus();
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST(NumericEdit, NewBoxesShowTheirRange)
{
    WordEdit word;
    EXPECT_EQ(word.text(), QStringLiteral("0"));
    EXPECT_EQ(word.toolTip(), QStringLiteral("0  -  65535"));
    EXPECT_EQ(word.maxLength(), 5);
    EXPECT_TRUE(word.errorMessage());
    word.setMaximum(24);
    EXPECT_EQ(word.maxLength(), 2);
    EXPECT_EQ(word.toolTip(), QStringLiteral("0  -  24"));

    IntegerEdit integer;
    EXPECT_EQ(integer.minimum(), -2147483647);
    EXPECT_EQ(integer.maxLength(), 11);
    integer.setRange(-10, 45);
    EXPECT_EQ(integer.maxLength(), 3);
}

TEST(NumericEdit, OnlyDigitsAndTheSignedBoxsMinusAreTyped)
{
    Dialog d;
    d.typeInto(d.word, QStringLiteral("1a-2 3"));
    EXPECT_EQ(d.word->text(), QStringLiteral("123"));
    d.typeInto(d.integer, QStringLiteral("-1x2-"));
    EXPECT_EQ(d.integer->text(), QStringLiteral("-12-"));
}

TEST(NumericEdit, LeavingTheFieldWarnsAndPutsTheNearerBound)
{
    const struct {
        const char *name;
        bool errorMessage;
        const char *typed;
        const char *shown;
        bool warned;
    } rows[] = {
        {"above", true, "75", "59", true},
        {"empty", true, "", "0", true},
        {"inRange", true, "42", "42", false},
        {"aboveSilently", false, "75", "59", false},
        {"emptySilently", false, "", "0", false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Dialog d;
        d.word->setRange(0, 59);
        d.word->setErrorMessage(row.errorMessage);
        d.typeInto(d.word, QString::fromUtf8(row.typed));
        d.leave(d.word);
        EXPECT_EQ(d.word->text(), QString::fromUtf8(row.shown));
        EXPECT_EQ(d.word->value(), d.word->text().toLongLong());
        if (row.warned)
            EXPECT_EQ(d.prompt.warnings, QStringList{QStringLiteral("< 0 ; 59 >")});
        else
            EXPECT_TRUE(d.prompt.warnings.isEmpty());
    }
}

TEST(NumericEdit, AMinusAloneReadsAsTheMinimumAndStays)
{
    Dialog d;
    d.typeInto(d.integer, QStringLiteral("-"));
    d.leave(d.integer);
    EXPECT_EQ(d.integer->text(), QStringLiteral("-"));
    EXPECT_EQ(d.integer->value(), -2147483647);
    EXPECT_TRUE(d.prompt.warnings.isEmpty());
}

TEST(NumericEdit, EnterOnTheDefaultButtonNeverTakesAnUncheckedNumber)
{
    Dialog d;
    d.word->setRange(0, 59);
    d.typeInto(d.word, QStringLiteral("75"));
    // While typing, a reader already gets a value in range.
    EXPECT_EQ(d.word->value(), 59);
    QTest::keyClick(d.word, Qt::Key_Return);
    EXPECT_EQ(d.word->text(), QStringLiteral("59"));
    EXPECT_EQ(d.prompt.warnings.size(), 1);
    EXPECT_TRUE(d.dialog.isVisible()) << "the corrected entry is shown before the dialog closes";
    QTest::keyClick(d.word, Qt::Key_Return);
    EXPECT_EQ(d.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(d.word->value(), 59);
}

TEST(NumericEdit, EnterWithAGoodNumberActsAtOnce)
{
    Dialog d;
    d.word->setRange(0, 59);
    d.typeInto(d.word, QStringLiteral("30"));
    QTest::keyClick(d.word, Qt::Key_Return);
    EXPECT_EQ(d.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(d.word->value(), 30);
    EXPECT_TRUE(d.prompt.warnings.isEmpty());
}
