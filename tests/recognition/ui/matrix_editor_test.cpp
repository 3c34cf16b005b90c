// The matrix editor on a real window: listing and sorting, modify and delete against golden files, the comment, type-ahead, the Edit command.
#include "recognition/ui/matrix_editor.h"

#include "app/run_wiring.h"
#include "core/char_text.h"
#include "core/pass_host.h"
#include "recognition/char_matrix_file.h"
#include "recognition/glyph_art.h"
#include "subtitles/style_tags.h"
#include "recognition/ui/dialog_user.h"
#include "recognition/ui/matrix_commands.h"
#include "support/app_test.h"
#include "ripping/ui/main_window.h"
#include "support/test_data.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace glyfex::recognition::ui {
namespace {

using test::child;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class MatrixEditorTest : public ::testing::Test {
protected:
    void learn(const QString &text, uint8_t style = 0)
    {
        Glyph g = test::glyphFromArt({"##", "#.", "##"});
        g.text = core::toCharText(text);
        g.style = style;
        ASSERT_EQ(matrix.add(g), CharMatrix::AddOutcome::Added);
    }
    void makeEditor()
    {
        editor = std::make_unique<MatrixEditor>(matrix, prompt);
        list = child<QTreeWidget>(*editor, "ListViewMatrix");
    }
    // The list's column, top to bottom.
    QStringList column(int c) const
    {
        QStringList out;
        for (int r = 0; r < list->topLevelItemCount(); ++r)
            out << list->topLevelItem(r)->text(c);
        return out;
    }
    // What a click on the header's section says to the list.
    void clickHeader(int column) { Q_EMIT list->header()->sectionClicked(column); }
    void clickRow(int row)
    {
        QTreeWidgetItem *item = list->topLevelItem(row);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    }

    CharMatrix matrix;
    test::ScriptedPrompt prompt;
    std::unique_ptr<MatrixEditor> editor;
    QTreeWidget *list = nullptr;
};

TEST_F(MatrixEditorTest, ListsEveryEntryInTextOrderAndSortsByAnyColumn)
{
    const char *texts[] = {"m", "b", "k", "a", "l", "c", "j", "d", "i", "e", "h", "f"};
    for (int i = 0; i < 12; ++i)
        learn(QString::fromLatin1(texts[i]), i % 3 == 0 ? subtitles::StyleBold : 0);
    makeEditor();
    editor->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor.get()));

    EXPECT_EQ(column(MatrixEditor::TextColumn),
              QStringList({"a", "b", "c", "d", "e", "f", "h", "i", "j", "k", "l", "m"}));
    EXPECT_EQ(child<QLabel>(*editor, "LabelCount")->text(), QStringLiteral("(\u00E5=12)"));

    clickHeader(MatrixEditor::IndexColumn);
    QStringList numbers;
    for (int i = 1; i <= 12; ++i)
        numbers << QStringLiteral(" %1").arg(i, 5, 10, QLatin1Char('0'));
    EXPECT_EQ(column(MatrixEditor::IndexColumn), numbers);
    clickHeader(MatrixEditor::IndexColumn);
    std::reverse(numbers.begin(), numbers.end());
    EXPECT_EQ(column(MatrixEditor::IndexColumn), numbers);

    // B twice: descending, the bold entries first.
    clickHeader(MatrixEditor::BoldColumn);
    clickHeader(MatrixEditor::BoldColumn);
    EXPECT_TRUE(editor->sortDescending());
    EXPECT_EQ(column(MatrixEditor::BoldColumn).mid(0, 4), QStringList({"1", "1", "1", "1"}));
    EXPECT_EQ(column(MatrixEditor::BoldColumn).mid(4).count(QStringLiteral("0")), 8);

    // A row shows its glyph and geometry.
    clickRow(0);
    EXPECT_FALSE(child<QLabel>(*editor, "ImageChar")->pixmap().isNull());
    EXPECT_EQ(child<QLabel>(*editor, "LabelWidth")->text(), QStringLiteral("2"));
    EXPECT_EQ(child<QLabel>(*editor, "LabelHeight")->text(), QStringLiteral("3"));
    EXPECT_TRUE(child<QCheckBox>(*editor, "BoldCheckBox")->isChecked());
}

TEST_F(MatrixEditorTest, AClickOnAHeaderSortsByItsColumnAndASecondOneTurnsTheOrder)
{
    // Twelve entries: "b" and "j" bold, "k" italic, "a" underlined; 1 to 12 in learning order.
    const char *texts[] = {"m", "b", "k", "a", "l", "c", "j", "d", "i", "e", "h", "f"};
    for (int i = 0; i < 12; ++i) {
        const QString text = QString::fromLatin1(texts[i]);
        const uint8_t style = text == QLatin1String("b") || text == QLatin1String("j") ? subtitles::StyleBold
                              : text == QLatin1String("k")                              ? subtitles::StyleItalic
                              : text == QLatin1String("a")                              ? subtitles::StyleUnderline
                                                                                        : 0;
        learn(text, style);
    }
    makeEditor();
    editor->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
    QHeaderView *header = list->header();
    ASSERT_TRUE(header->sectionsClickable());

    QStringList numbers;
    for (int n = 1; n <= 12; ++n)
        numbers << QStringLiteral(" %1").arg(n, 5, 10, QLatin1Char('0'));
    QStringList letters = {"a", "b", "c", "d", "e", "f", "h", "i", "j", "k", "l", "m"};
    auto reversed = [](QStringList l) {
        std::reverse(l.begin(), l.end());
        return l;
    };
    auto flags = [](int ones, bool onesFirst) {
        QStringList l;
        for (int n = 0; n < 12; ++n)
            l << ((onesFirst ? n < ones : n >= 12 - ones) ? QStringLiteral("1") : QStringLiteral("0"));
        return l;
    };
    struct Click {
        int column;
        bool descending;
        QStringList shown; // the clicked column, top to bottom, afterwards
    };
    const Click clicks[] = {
        {MatrixEditor::IndexColumn, false, numbers},
        {MatrixEditor::IndexColumn, true, reversed(numbers)},
        {MatrixEditor::TextColumn, false, letters},
        {MatrixEditor::TextColumn, true, reversed(letters)},
        {MatrixEditor::BoldColumn, false, flags(2, false)},
        {MatrixEditor::BoldColumn, true, flags(2, true)},
        {MatrixEditor::ItalicColumn, false, flags(1, false)},
        {MatrixEditor::ItalicColumn, true, flags(1, true)},
        {MatrixEditor::UnderlineColumn, false, flags(1, false)},
        {MatrixEditor::UnderlineColumn, true, flags(1, true)},
        {MatrixEditor::TextColumn, false, letters}, // back to another column: ascending again
    };
    for (const Click &c : clicks) {
        SCOPED_TRACE(testing::Message() << "column " << c.column << (c.descending ? " descending" : " ascending"));
        const QPoint middle(header->sectionViewportPosition(c.column) + header->sectionSize(c.column) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, middle);
        EXPECT_EQ(editor->sortColumn(), c.column);
        EXPECT_EQ(editor->sortDescending(), c.descending);
        EXPECT_EQ(header->sortIndicatorSection(), c.column);
        EXPECT_EQ(column(c.column), c.shown);
    }
    // The style columns compare as numbers: the bold entries are the ones the style says.
    clickHeader(MatrixEditor::BoldColumn);
    clickHeader(MatrixEditor::BoldColumn);
    QStringList boldTexts = column(MatrixEditor::TextColumn).mid(0, 2);
    boldTexts.sort();
    EXPECT_EQ(boldTexts, QStringList({"b", "j"}));
}

TEST_F(MatrixEditorTest, ModifyAndDeleteNeedASelection)
{
    learn(QStringLiteral("a"));
    learn(QStringLiteral("b"));
    makeEditor();
    editor->show();
    auto *modify = child<QPushButton>(*editor, "ButtonModify");
    auto *remove = child<QPushButton>(*editor, "ButtonDelete");
    EXPECT_FALSE(modify->isEnabled());
    EXPECT_FALSE(remove->isEnabled());
    // The Del key with nothing selected asks nothing and deletes nothing.
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(matrix.liveCount(), 2);

    clickRow(1);
    EXPECT_TRUE(modify->isEnabled());
    EXPECT_TRUE(remove->isEnabled());
    // Deleting the last row selects the new last row.
    prompt.answers = {core::Answer::Yes};
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0], QStringLiteral("confirm: Confirm\r\nDelete character \" b \"?"));
    EXPECT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(editor->selectedIndex(), 1);
    EXPECT_EQ(child<QLineEdit>(*editor, "EditText")->text(), QStringLiteral("a"));
    // No answers No: nothing changes.
    prompt.answers = {core::Answer::No};
    remove->click();
    EXPECT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(matrix.liveCount(), 1);
}

TEST_F(MatrixEditorTest, DeleteModifyAndCommentThenSaveGiveTheGoldenFile)
{
    core::NullPassHost host;
    ASSERT_TRUE(loadCharMatrix(test::dataPath(QStringLiteral("matrix/editor_before.gxc")), matrix, 1252, host).ok());
    makeEditor();
    editor->show();
    EXPECT_TRUE(editor->windowTitle().endsWith(QStringLiteral(" | editor_before.gxc")));

    editor->selectIndex(2); // "b"
    prompt.answers = {core::Answer::Yes};
    child<QPushButton>(*editor, "ButtonDelete")->click();
    EXPECT_TRUE(matrix.isModified());

    editor->selectIndex(4); // "c", italic
    auto *text = child<QLineEdit>(*editor, "EditText");
    text->selectAll();
    QTest::keyClicks(text, QStringLiteral("d"));
    EXPECT_EQ(child<QLabel>(*editor, "LabelNbChar")->text(), QStringLiteral("1"));
    child<QCheckBox>(*editor, "ItalicCheckBox")->setChecked(false);
    child<QCheckBox>(*editor, "BoldCheckBox")->setChecked(true);
    child<QPushButton>(*editor, "ButtonModify")->click();
    EXPECT_EQ(list->topLevelItem(editor->findMatrixRow(4))->text(MatrixEditor::TextColumn), QStringLiteral("d"));

    // A "take with next" entry shows its glyph but its text cannot be edited.
    editor->selectIndex(3);
    EXPECT_FALSE(text->isEnabled());
    EXPECT_FALSE(child<QLabel>(*editor, "ImageChar")->pixmap().isNull());

    auto *memo = child<QPlainTextEdit>(*editor, "MemoComment");
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("Latin"));
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, QStringLiteral(" letters"));
    EXPECT_EQ(matrix.comment(), QStringLiteral("Latin letters"));

    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("edited.gxc"));
    ASSERT_TRUE(saveCharMatrix(matrix, saved).ok());
    EXPECT_EQ(readAll(saved), readAll(test::dataPath(QStringLiteral("matrix/editor_after.gxc"))));

    // The reloaded file lists the entries that are left, renumbered.
    CharMatrix reloaded;
    ASSERT_TRUE(loadCharMatrix(saved, reloaded, 1252, host).ok());
    matrix.swap(reloaded);
    editor->fillMatrixList();
    EXPECT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(column(MatrixEditor::TextColumn), QStringList({"A", "d", "take with next"}));
}

TEST_F(MatrixEditorTest, TheCommentFollowsEveryChangePasteIncluded)
{
    learn(QStringLiteral("a"));
    matrix.setModified(false);
    makeEditor();
    editor->show();
    auto *memo = child<QPlainTextEdit>(*editor, "MemoComment");
    // Showing the matrix's own comment changes nothing.
    EXPECT_FALSE(matrix.isModified());

    QApplication::clipboard()->setText(QString(300, QLatin1Char('x')));
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(matrix.isModified());
    EXPECT_EQ(matrix.comment(), QString(255, QLatin1Char('x')));
    EXPECT_EQ(memo->toPlainText().size(), 255);

    memo->selectAll();
    QTest::keyClick(memo, Qt::Key_Delete);
    EXPECT_TRUE(matrix.comment().isEmpty());
}

TEST_F(MatrixEditorTest, TypingALetterSelectsTheFirstRowStartingWithIt)
{
    for (const char *t : {"b1", "a", "b2", "", "c"})
        learn(QString::fromLatin1(t));
    makeEditor();
    editor->show();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_B);
    EXPECT_EQ(editor->selectedIndex(), 1);
    QTest::keyClick(list, Qt::Key_C);
    EXPECT_EQ(editor->selectedIndex(), 5);
    // An empty text counts as a blank.
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(editor->selectedIndex(), 4);
}

TEST_F(MatrixEditorTest, LearntEntriesAreListedInOneGo)
{
    learn(QStringLiteral("a"));
    makeEditor();
    // A filled script: tens of thousands of entries, listed by one call.
    Glyph g = test::glyphFromArt({"#"});
    for (int i = 0; i < 21000; ++i) {
        g.text = core::toCharText(QString(QChar(0x4E00 + i)));
        ASSERT_EQ(matrix.add(g), CharMatrix::AddOutcome::Added);
    }
    editor->followMatrix();
    EXPECT_EQ(list->topLevelItemCount(), 21001);
    EXPECT_EQ(editor->selectedIndex(), 21001);
    // A smaller matrix in its place is listed afresh.
    CharMatrix other;
    other.add(g);
    matrix.swap(other);
    editor->followMatrix();
    EXPECT_EQ(list->topLevelItemCount(), 1);
}

class MatrixEditCommandTest : public test::AppTest {};

TEST_F(MatrixEditCommandTest, TheEditCommandShowsTheEditor)
{
    MatrixCommands &commands = app.run().matrixCommands();
    auto *action = app.mainWindow()->findChild<QAction *>(QStringLiteral("EditCharMatrix1"));
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(action->isEnabled()) << "the run's editor is there to show";
    commands.setEditor(nullptr);
    EXPECT_FALSE(action->isEnabled());
    action->trigger(); // nothing to show: nothing happens
    MatrixEditor editor(app.run().matrix(), prompt);
    commands.setEditor(&editor);
    EXPECT_TRUE(action->isEnabled());
    EXPECT_EQ(action->text(), QStringLiteral("&Edit/View Characters Matrix"));
    action->trigger();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_TRUE(editor.windowFlags() & Qt::WindowStaysOnTopHint);
    child<QCheckBox>(editor, "CheckBoxOnTop")->setChecked(false);
    EXPECT_FALSE(editor.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(editor.isVisible());
    commands.setEditor(app.run().matrixEditor());
}

} // namespace
} // namespace glyfex::recognition::ui
