// Applying language files to small windows built here: captions, hints, items, menus, messages, shared texts, English again.
#include "core/ui/language_applier.h"

#include "core/ui/numeric_edit.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <memory>

using namespace glyfex::core;
using namespace glyfex::core::ui;

namespace {

template <class T>
T *named(QWidget *parent, const char *name, const QString &text = {})
{
    auto *w = new T(parent);
    w->setObjectName(QLatin1String(name));
    if constexpr (std::is_base_of_v<QAbstractButton, T> || std::is_same_v<T, QLabel> || std::is_same_v<T, QLineEdit>)
        w->setText(text);
    return w;
}

QAction *action(QMenu *menu, const char *name, const QString &text)
{
    QAction *a = menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    return a;
}

// A few of the program's windows with the components the language rules touch.
struct Windows {
    QMainWindow form1;
    QDialog form2, form3, form4, form5, form6, form12, form16, form17, form18;
    QPushButton *pause;
    QAction *open, *about, *globalOptions, *language;
    QMenu *popup;
    QLabel *label;
    QLineEdit *edit;
    QGroupBox *group, *globalGroup;
    WordEdit *word;
    QTreeWidget *matrix;
    MessageTable messages;

    Windows()
    {
        const std::pair<QWidget *, const char *> forms[] = {
            {&form1, "Form1"},  {&form2, "Form2"},   {&form3, "Form3"},   {&form4, "Form4"},
            {&form5, "Form5"},  {&form6, "Form6"},   {&form12, "Form12"}, {&form16, "Form16"},
            {&form17, "Form17"}, {&form18, "Form18"}};
        for (auto [w, name] : forms) {
            w->setObjectName(QLatin1String(name));
            w->setWindowTitle(QLatin1String(name) + QStringLiteral(" title"));
        }
        form3.setWindowTitle(QStringLiteral("Subtitles | film.srt"));

        QMenuBar *bar = form1.menuBar();
        bar->setObjectName(QStringLiteral("MainMenu1"));
        QMenu *file = bar->addMenu(QStringLiteral("&File"));
        file->menuAction()->setObjectName(QStringLiteral("File1"));
        open = action(file, "OpenCharacterMatrix1", QStringLiteral("&Open Character Matrix"));
        file->addSeparator();
        QMenu *options = file->addMenu(QStringLiteral("&Options"));
        options->menuAction()->setObjectName(QStringLiteral("Options2"));
        language = action(options, "GUILanguage1", QStringLiteral("GUI &Language"));
        globalOptions = action(options, "GlobalOptions1", QStringLiteral("&Global Options"));
        about = action(file, "About1", QStringLiteral("&About"));
        popup = new QMenu(&form1);
        popup->setObjectName(QStringLiteral("PopupMenu1"));
        action(popup, "Copy1", QStringLiteral("Copy"));
        auto *central = new QWidget;
        form1.setCentralWidget(central);
        pause = named<QPushButton>(central, "ButtonPause", QStringLiteral("Pause"));
        label = named<QLabel>(central, "LabelNbSup", QStringLiteral("Subtitles:"));
        label->setToolTip(QStringLiteral("Number of subtitles"));

        named<QPushButton>(&form2, "BitBtn1", QStringLiteral("&OK"));
        named<QCheckBox>(&form2, "BoldCheckBox", QStringLiteral("Bold"));
        named<QPushButton>(&form4, "BitBtnOk", QStringLiteral("&OK"));
        named<QPushButton>(&form5, "BitBtn1", QStringLiteral("&OK"));
        named<QLabel>(&form5, "Label1", QStringLiteral("Index:"));
        named<QLabel>(&form5, "Label7", QStringLiteral("Character:"));
        named<QCheckBox>(&form5, "BoldCheckBox", QStringLiteral("Bold"));
        matrix = named<QTreeWidget>(&form5, "ListViewMatrix");
        matrix->setHeaderLabels({QStringLiteral("#"), QStringLiteral("Character"), QStringLiteral("B")});
        edit = named<QLineEdit>(&form6, "EditTitle", QStringLiteral("untitled"));
        edit->setToolTip(QStringLiteral("Title of the film"));
        word = named<WordEdit>(&form6, "Word_uStart");
        group = named<QGroupBox>(&form6, "RadioGroupAction");
        group->setTitle(QStringLiteral("Action"));
        group->setProperty(RadioGroupProperty, true);
        for (const char *text : {"Text", "Bitmaps", "Only show"})
            new QRadioButton(QLatin1String(text), group);
        named<QPushButton>(&form16, "BitBtnOk", QStringLiteral("&OK"));
        globalGroup = named<QGroupBox>(&form16, "GroupBox1");
        globalGroup->setTitle(QStringLiteral("Global Options"));
        globalGroup->setProperty(TagProperty, NotInLanguageFiles);
        named<QPushButton>(&form17, "BitBtn1", QStringLiteral("&OK"));
        named<QPushButton>(&form18, "BitBtn1", QStringLiteral("&OK"));
    }

    QList<QWidget *> all()
    {
        return {&form1, &form2, &form3, &form4, &form5, &form6, &form12, &form16, &form17, &form18};
    }
    QString caption(QWidget *form, const char *name)
    {
        auto *b = form->findChild<QAbstractButton *>(QLatin1String(name));
        return b ? b->text() : QStringLiteral("<none>");
    }
    QStringList items()
    {
        QStringList texts;
        for (auto *b : group->findChildren<QRadioButton *>())
            texts << b->text();
        return texts;
    }
};

// Writes a language file the way the program stores them (UTF-16LE INI).
QString writeLng(const QTemporaryDir &dir, const QString &name, const QString &text)
{
    const QString path = dir.filePath(name);
    IniStore store(path);
    store.setStrings(text.split(u'\n'));
    EXPECT_TRUE(store.updateFile().ok());
    return path;
}

const char *const sample = R"([Info]
Author=test
[Form1]
LabelNbSup.Caption=T-Subtitles:
LabelNbSup.Hint=T-Count
NoSuchLabel.Caption=ignored
[Form1.MainMenu1]
File1=T-&File
File1.OpenCharacterMatrix1=T-&Open Matrix
File1.Options2.GlobalOptions1=T-&Global Options
File1.About1=T-&About
[Form1.PopupMenu1]
Copy1=T-Copy
[Form3]
Form3.Caption=T-Subtitles
[Form6]
Form6.Caption=T-Input
EditTitle.Text=T-untitled
EditTitle.Hint=
RadioGroupAction.Caption=T-Action
RadioGroupAction.Items0=T-Text
RadioGroupAction.Items2=T-Only show
RadioGroupAction.Items3=T-beyond the items
Word_uStart.Text=12345
[Messages]
0=T-Maximum
1=T-Matrix
3=T-not read after the gap
)";

} // namespace

TEST(LanguageApplier, TranslatesWindowsMenusAndMessagesAndSwitchesBackToEnglish)
{
    QTemporaryDir dir;
    Windows w;
    LanguageApplier applier(w.all(), w.messages);
    ASSERT_TRUE(applier.apply(writeLng(dir, QStringLiteral("Test.lng"), QString::fromUtf8(sample)), false).ok());

    EXPECT_EQ(w.label->text(), QStringLiteral("T-Subtitles:"));
    EXPECT_EQ(w.label->toolTip(), QStringLiteral("T-Count"));
    EXPECT_EQ(w.open->text(), QStringLiteral("T-&Open Matrix"));
    EXPECT_EQ(w.form1.menuBar()->actions().first()->text(), QStringLiteral("T-&File"));
    EXPECT_EQ(w.popup->actions().first()->text(), QStringLiteral("T-Copy"));
    EXPECT_EQ(w.form6.windowTitle(), QStringLiteral("T-Input"));
    EXPECT_EQ(w.edit->text(), QStringLiteral("T-untitled"));
    EXPECT_TRUE(w.edit->toolTip().isEmpty()) << "an empty hint clears the hint";
    EXPECT_EQ(w.group->title(), QStringLiteral("T-Action"));
    EXPECT_EQ(w.items(), (QStringList{QStringLiteral("T-Text"), QStringLiteral("Bitmaps"), QStringLiteral("T-Only show")}));
    EXPECT_EQ(w.word->text(), QStringLiteral("0")) << "a numeric box is not a plain edit";
    EXPECT_EQ(w.messages.text(0), QStringLiteral("T-Maximum"));
    EXPECT_EQ(w.messages.text(1), QStringLiteral("T-Matrix"));
    EXPECT_EQ(w.messages.text(3), builtInMessage(3));
    // Texts every language gets from elsewhere.
    EXPECT_EQ(w.form1.windowTitle(), QStringLiteral("Glyfex 1.50b1"));
    EXPECT_EQ(w.form16.windowTitle(), QStringLiteral("T-Global Options"));
    EXPECT_EQ(w.globalGroup->title(), QStringLiteral("T-Global Options"));
    EXPECT_EQ(w.form12.windowTitle(), QStringLiteral("T-About..."));
    EXPECT_EQ(w.form3.windowTitle(), QStringLiteral("T-Subtitles | film.srt"));

    ASSERT_TRUE(applier.apply(QString(), false).ok());
    EXPECT_EQ(w.label->text(), QStringLiteral("Subtitles:"));
    EXPECT_EQ(w.label->toolTip(), QStringLiteral("Number of subtitles"));
    EXPECT_EQ(w.open->text(), QStringLiteral("&Open Character Matrix"));
    EXPECT_EQ(w.popup->actions().first()->text(), QStringLiteral("Copy"));
    EXPECT_EQ(w.form6.windowTitle(), QStringLiteral("Form6 title"));
    EXPECT_EQ(w.edit->toolTip(), QStringLiteral("Title of the film"));
    EXPECT_EQ(w.items(), (QStringList{QStringLiteral("Text"), QStringLiteral("Bitmaps"), QStringLiteral("Only show")}));
    EXPECT_EQ(w.messages.text(0), builtInMessage(0));
    EXPECT_EQ(w.form16.windowTitle(), QStringLiteral("Global Options"));
    EXPECT_EQ(w.form12.windowTitle(), QStringLiteral("About..."));
    EXPECT_EQ(w.form3.windowTitle(), QStringLiteral("Subtitles | film.srt"));
}

TEST(LanguageApplier, OneOkCaptionServesEveryOkButton)
{
    QTemporaryDir dir;
    Windows w;
    LanguageApplier applier(w.all(), w.messages);
    ASSERT_TRUE(applier.apply(writeLng(dir, QStringLiteral("Ok.lng"), QStringLiteral("[Form2]\nBitBtn1.Caption=OK!\nBoldCheckBox.Caption=X-Bold\n[Form5]\nLabel7.Caption=T-Char: code\nLabel1.Caption=T-Number:")), false).ok());
    EXPECT_EQ(w.caption(&w.form2, "BitBtn1"), QStringLiteral("OK!"));
    EXPECT_EQ(w.caption(&w.form4, "BitBtnOk"), QStringLiteral("OK!"));
    EXPECT_EQ(w.caption(&w.form5, "BitBtn1"), QStringLiteral("OK!"));
    EXPECT_EQ(w.caption(&w.form16, "BitBtnOk"), QStringLiteral("OK!"));
    EXPECT_EQ(w.caption(&w.form17, "BitBtn1"), QStringLiteral("OK!"));
    EXPECT_EQ(w.caption(&w.form18, "BitBtn1"), QStringLiteral("OK!"));
    // The matrix editor's style boxes follow the New Character(s) dialog's, its column heads its labels.
    EXPECT_EQ(w.form5.findChild<QCheckBox *>(QStringLiteral("BoldCheckBox"))->text(), QStringLiteral("X-Bold"));
    EXPECT_EQ(w.matrix->headerItem()->text(0), QStringLiteral("T-Number"));
    EXPECT_EQ(w.matrix->headerItem()->text(1), QStringLiteral("T-Char code"));
    EXPECT_EQ(w.matrix->headerItem()->text(2), QStringLiteral("X"));
}

TEST(LanguageApplier, ACurrentFileClearsTheHintsItDoesNotName)
{
    QTemporaryDir dir;
    Windows w;
    LanguageApplier applier(w.all(), w.messages);
    ASSERT_TRUE(applier.apply(writeLng(dir, QStringLiteral("current.lng"), QStringLiteral("[Form1]\nButtonPause.Hint=Stop")), false).ok());
    EXPECT_EQ(w.pause->toolTip(), QStringLiteral("Stop"));
    EXPECT_TRUE(w.label->toolTip().isEmpty());
    EXPECT_TRUE(w.edit->toolTip().isEmpty());
    // The same file under another name leaves unnamed hints alone.
    ASSERT_TRUE(applier.apply(writeLng(dir, QStringLiteral("Other.lng"), QStringLiteral("[Form1]\nButtonPause.Hint=Stop")), false).ok());
    EXPECT_EQ(w.label->toolTip(), QStringLiteral("Number of subtitles"));
}

TEST(LanguageApplier, ThePauseButtonSaysContinueOnlyWhilePausedAndEnabled)
{
    QTemporaryDir dir;
    Windows w;
    LanguageApplier applier(w.all(), w.messages);
    const QString path = writeLng(dir, QStringLiteral("P.lng"), QString());
    ASSERT_TRUE(applier.apply(path, true).ok());
    EXPECT_EQ(w.pause->text(), builtInMessage(Msg::Continue));
    w.pause->setEnabled(false);
    ASSERT_TRUE(applier.apply(path, true).ok());
    EXPECT_EQ(w.pause->text(), builtInMessage(Msg::Pause));
}

TEST(LanguageApplier, TextsTheProgramChangedSinceAreNotTurnedBack)
{
    QTemporaryDir dir;
    Windows w;
    LanguageApplier applier(w.all(), w.messages);
    ASSERT_TRUE(applier.apply(writeLng(dir, QStringLiteral("Test.lng"), QString::fromUtf8(sample)), false).ok());
    w.edit->setText(QStringLiteral("typed by the user"));
    w.form3.setWindowTitle(QStringLiteral("T-Subtitles | other.srt"));
    ASSERT_TRUE(applier.apply(QString(), false).ok());
    EXPECT_EQ(w.edit->text(), QStringLiteral("typed by the user"));
    EXPECT_EQ(w.form3.windowTitle(), QStringLiteral("Subtitles | other.srt"));
}

// A spin box carries its hint only: neither the image of a window nor a file applied to it reaches the
// line edit Qt builds inside it, whose text is the spin box's value.
TEST(LanguageApplier, SpinBoxValuesStayWhateverTheFileSays)
{
    QTemporaryDir dir;
    Windows w;
    auto *spin = named<QSpinBox>(&w.form6, "SpinEditMinDuration");
    spin->setRange(0, 9999);
    spin->setValue(200);
    spin->setToolTip(QStringLiteral("Minimum duration"));
    LanguageApplier applier(w.all(), w.messages);
    for (const QString &line : applier.image().strings())
        EXPECT_FALSE(line.contains(QLatin1String("qt_"))) << line.toStdString();
    const QString file = writeLng(dir, QStringLiteral("Spin.lng"),
                                  QStringLiteral("[Form6]\nqt_spinbox_lineedit.Text=10\nSpinEditMinDuration.Hint=T-Minimum"));
    ASSERT_TRUE(applier.apply(file, false).ok());
    EXPECT_EQ(spin->value(), 200);
    EXPECT_EQ(spin->toolTip(), QStringLiteral("T-Minimum"));
    ASSERT_TRUE(applier.apply(QString(), false).ok());
    EXPECT_EQ(spin->value(), 200);
    EXPECT_EQ(spin->toolTip(), QStringLiteral("Minimum duration"));
}

// Counters, times and sizes are the program's: neither written nor set by a file, also inside a marked
// panel; a marked group box keeps only its own title out, not what it frames.
TEST(LanguageApplier, RunTimeTextsAreNeitherWrittenNorApplied)
{
    QTemporaryDir dir;
    Windows w;
    auto *count = runTimeText(named<QLabel>(&w.form6, "LabelCount", QStringLiteral("17 files")));
    count->setToolTip(QStringLiteral("files found"));
    auto *panel = runTimeText(named<QFrame>(&w.form6, "PanelInfo"));
    auto *inside = named<QLabel>(panel, "LabelTime", QStringLiteral("00:01:02"));
    auto *box = runTimeText(named<QGroupBox>(&w.form6, "GroupBox1"));
    box->setTitle(QStringLiteral("Options"));
    auto *framed = named<QCheckBox>(box, "CheckBoxMap", QStringLiteral("Use the map"));
    LanguageApplier applier(w.all(), w.messages);

    const QStringList image = applier.image().strings();
    for (const char *gone : {"LabelCount.", "PanelInfo.", "LabelTime.", "GroupBox1."})
        EXPECT_FALSE(image.join(u'\n').contains(QLatin1String(gone))) << gone;
    EXPECT_TRUE(image.contains(QStringLiteral("CheckBoxMap.Caption=Use the map")));

    const QString file = writeLng(dir, QStringLiteral("current.lng"),
                                  QStringLiteral("[Form6]\nLabelCount.Caption=T-count\nLabelTime.Caption=T-time\n"
                                                 "GroupBox1.Caption=T-Options\nCheckBoxMap.Caption=T-Use the map"));
    ASSERT_TRUE(applier.apply(file, false).ok());
    EXPECT_EQ(count->text(), QStringLiteral("17 files"));
    EXPECT_EQ(count->toolTip(), QStringLiteral("files found")) << "a file it is never in does not clear its hint";
    EXPECT_EQ(inside->text(), QStringLiteral("00:01:02"));
    EXPECT_EQ(box->title(), QStringLiteral("Options"));
    EXPECT_EQ(framed->text(), QStringLiteral("T-Use the map"));
}

TEST(LanguageApplier, AnUnreadableFileChangesNothing)
{
    QTemporaryDir dir;
    Windows w;
    LanguageApplier applier(w.all(), w.messages);
    ASSERT_TRUE(applier.apply(writeLng(dir, QStringLiteral("Test.lng"), QString::fromUtf8(sample)), false).ok());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Broken.lng")));
    const auto result = applier.apply(dir.filePath(QStringLiteral("Broken.lng")), false);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(w.label->text(), QStringLiteral("T-Subtitles:"));
    EXPECT_EQ(w.messages.text(0), QStringLiteral("T-Maximum"));
}

TEST(LanguageApplier, ReadsAHandWrittenFileWhateverItsEncodingAndLetterCase)
{
    Windows w;
    LanguageApplier applier(w.all(), w.messages);
    ASSERT_TRUE(applier.apply(QStringLiteral(GLYFEX_TEST_DATA_DIR "/lang/utf8_bom_other_case.lng"), false).ok());
    EXPECT_EQ(w.label->text(), QStringLiteral("T-Subtitles:"));
    EXPECT_EQ(w.about->text(), QStringLiteral("T-&About"));
    EXPECT_EQ(w.form12.windowTitle(), QStringLiteral("T-About..."));
    EXPECT_EQ(w.messages.text(0), QStringLiteral("T-M\u00e4ximum"));
}

TEST(LanguageMenu, ListsTheLanguagesAndChecksOnlyAnExactMatch)
{
    QMenu menu;
    QString chosen;
    buildLanguageMenu(&menu, {QStringLiteral("deutsch"), QStringLiteral("Francais")}, QStringLiteral("Deutsch"),
                      [&](const QString &name) { chosen = name; });
    const auto items = menu.actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->objectName(), QStringLiteral("Language1"));
    EXPECT_EQ(items[1]->objectName(), QStringLiteral("Language2"));
    EXPECT_FALSE(items[0]->isChecked()) << "letter case counts";
    items[1]->trigger();
    EXPECT_EQ(chosen, QStringLiteral("Francais"));
    EXPECT_TRUE(items[1]->isChecked());
    items[0]->trigger();
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_FALSE(items[1]->isChecked());
}
