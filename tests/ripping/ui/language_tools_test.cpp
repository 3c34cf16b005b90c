// The translators' buttons: a language file written from the running windows, and every language's file brought up to date.
#include "core/ini_store.h"
#include "core/language_file_writer.h"
#include "core/messages.h"
#include "core/ui/language_applier.h"
#include "core/ui/language_tools.h"
#include "core/ui/numeric_edit.h"
#include "ripping/ui/main_window.h"

#include "support/app_test.h"
#include "support/qt_print.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <algorithm>

using namespace glyfex;
using namespace glyfex::ripping::ui;
using glyfex::app::App;

namespace {

const QString kRule(80, u'/');

class LanguageToolsTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        const QDir data(folders.folders().userDataDir);
        ASSERT_TRUE(QDir().mkpath(data.filePath(QStringLiteral("Lang"))));
        updated = QDir(data.filePath(QStringLiteral("Lang/Updated")));
        // A German file that translates a few texts only, with the translators' notes after its Info section.
        QFile german(data.filePath(QStringLiteral("Lang/Deutsch.lng")));
        ASSERT_TRUE(german.open(QIODevice::WriteOnly));
        german.write("\xEF\xBB\xBF[Info]\r\nLanguage=Deutsch\r\n" + kRule.toUtf8() +
                     "\r\n// Tastenkürzel eindeutig halten\r\n\r\n[Form1.MainMenu1]\r\nFile1=&Datei\r\n"
                     "[Form6]\r\nBitBtnStart.Caption=Start!\r\n[Messages]\r\n0=Höchstzahl erreicht\r\n");
        german.close();
        QFile credits(data.filePath(QStringLiteral("Credits.txt")));
        ASSERT_TRUE(credits.open(QIODevice::WriteOnly));
        credits.write("TRANSLATION\n  * Deutsch.lng: Anna Beispiel\n");
        credits.close();
        app.loadSettings();
        ASSERT_TRUE(app.language());
    }

    QPushButton *button(const char *name) const
    {
        return app.mainWindow()->findChild<QPushButton *>(QLatin1String(name));
    }
    QByteArray bytesOf(const QString &name) const
    {
        QFile f(updated.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    core::IniStore fileOf(const QString &name) const
    {
        auto store = core::IniStore::open(updated.filePath(name));
        EXPECT_TRUE(store) << name.toStdString();
        return store ? *store : core::IniStore();
    }
    QString actionText(const char *name) const
    {
        return app.mainWindow()->findChild<QAction *>(QLatin1String(name))->text();
    }

    // The windows a language file holds: all but the About box and the stream scan.
    QList<QWidget *> translatedWindows() const
    {
        QList<QWidget *> list;
        for (QWidget *w : app.windows()) {
            if (w->objectName() != QLatin1String("Form12") && w->objectName() != QLatin1String("Form19"))
                list << w;
        }
        return list;
    }
    // The master file written from what the windows show now.
    core::IniStore savedMaster()
    {
        app.mainWindow()->showLanguageTools();
        button("InternalButton1")->click();
        EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(u'\n').toStdString();
        return fileOf(QStringLiteral("current.lng"));
    }

    QDir updated;
};

// Every number box of a window, spin boxes and the program's numeric edits alike.
struct NumberBox {
    QWidget *box;
    qint64 lowest, highest;
    qint64 value() const
    {
        if (auto *spin = qobject_cast<QSpinBox *>(box))
            return spin->value();
        if (auto *real = qobject_cast<QDoubleSpinBox *>(box))
            return qRound64(real->value() * 1000);
        return static_cast<core::ui::NumericEdit *>(box)->value();
    }
    void set(qint64 v) const
    {
        if (auto *spin = qobject_cast<QSpinBox *>(box))
            spin->setValue(int(v));
        else if (auto *real = qobject_cast<QDoubleSpinBox *>(box))
            real->setValue(double(v) / 1000);
        else
            static_cast<core::ui::NumericEdit *>(box)->setValue(v);
    }
};

QList<NumberBox> numberBoxes(QWidget *window)
{
    QList<NumberBox> boxes;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->window() != window)
            continue;
        if (auto *spin = qobject_cast<QSpinBox *>(w))
            boxes.append({w, spin->minimum(), spin->maximum()});
        else if (auto *real = qobject_cast<QDoubleSpinBox *>(w))
            boxes.append({w, qRound64(real->minimum() * 1000), qRound64(real->maximum() * 1000)});
        else if (auto *edit = qobject_cast<core::ui::NumericEdit *>(w))
            boxes.append({w, edit->minimum(), edit->maximum()});
    }
    return boxes;
}

TEST_F(LanguageToolsTest, ButtonsShowOnlyForTheTranslatorsStart)
{
    ASSERT_TRUE(button("InternalButton1") && button("InternalButton2"));
    EXPECT_FALSE(button("InternalButton1")->isVisibleTo(app.mainWindow()));
    EXPECT_FALSE(button("InternalButton2")->isVisibleTo(app.mainWindow()));
    app.mainWindow()->showLanguageTools();
    EXPECT_EQ(button("InternalButton1")->text(), QStringLiteral("Save Lang"));
    EXPECT_EQ(button("InternalButton2")->text(), QStringLiteral("Upd All Lang"));
    EXPECT_TRUE(button("InternalButton1")->isVisibleTo(app.mainWindow()));
    EXPECT_TRUE(button("InternalButton2")->isVisibleTo(app.mainWindow()));
}

TEST_F(LanguageToolsTest, SaveLangWritesEveryWindowAndMessageButTheProgramsOwnTexts)
{
    app.mainWindow()->showLanguageTools();
    button("InternalButton1")->click();
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(u'\n').toStdString();
    const QByteArray bytes = bytesOf(QStringLiteral("current.lng"));
    ASSERT_TRUE(bytes.startsWith("\xFF\xFE[\0I\0n\0f\0o\0]\0\r\0\n\0"));
    const core::IniStore file = fileOf(QStringLiteral("current.lng"));
    EXPECT_EQ(file.readString(QStringLiteral("Info"), QStringLiteral("Language")), QStringLiteral("English"));
    EXPECT_EQ(file.readString(QStringLiteral("Info"), QStringLiteral("Version")), QStringLiteral("1.50b1"));
    EXPECT_EQ(file.readString(QStringLiteral("Info"), QStringLiteral("Author")), QStringLiteral("see Credits.txt"));

    // Every window of the program but the About box and the stream scan has its section and its title.
    const QStringList sections = file.readSections();
    for (QWidget *w : app.windows()) {
        const QString name = w->objectName();
        const bool kept = name != QLatin1String("Form12") && name != QLatin1String("Form19");
        EXPECT_EQ(sections.contains(name), kept) << name.toStdString();
        // A window whose title follows another translated text (tagged so) has none of its own.
        const bool titled = w->property(core::ui::TagProperty).toInt() != core::ui::NotInLanguageFiles;
        if (kept) {
            EXPECT_EQ(file.valueExists(name, name + QStringLiteral(".Caption")), titled) << name.toStdString();
        }
        if (kept && titled) {
            EXPECT_EQ(file.readString(name, name + QStringLiteral(".Caption")), w->windowTitle()) << name.toStdString();
        }
    }
    const core::MessageTable messages;
    ASSERT_EQ(file.readSection(QStringLiteral("Messages")).size(), core::Msg::Count);
    for (int i = 0; i < core::Msg::Count; ++i)
        EXPECT_EQ(file.readString(QStringLiteral("Messages"), QString::number(i)), app.message(i)) << i;

    const QString menu = QStringLiteral("Form1.MainMenu1");
    EXPECT_EQ(file.readString(menu, QStringLiteral("Options2.CheckNewVersion1")), QStringLiteral("Check New &Version"));
    EXPECT_EQ(file.readString(menu, QStringLiteral("Options2.GUILanguage1")), QStringLiteral("GUI &Language"));
    EXPECT_FALSE(file.valueExists(menu, QStringLiteral("Options2.GUILanguage1.Language1")));
    EXPECT_TRUE(file.valueExists(QStringLiteral("Form1"), QStringLiteral("TntBitButtonOpenVob.Caption")));
    EXPECT_TRUE(file.valueExists(QStringLiteral("Form1"), QStringLiteral("InternalButton1.Caption")));
    EXPECT_FALSE(file.valueExists(QStringLiteral("Form1"), QStringLiteral("ButtonPause.Caption")));
    // The preview options button keeps its caption (the pause button's follows the run).
    EXPECT_EQ(file.readString(QStringLiteral("Form1"), QStringLiteral("ButtonPreviewOption.Caption")),
              QStringLiteral("Preview options"));
    EXPECT_TRUE(file.valueExists(QStringLiteral("Form20"), QStringLiteral("LabelConnect.Caption")));
    // The program's version in the Output Format's header texts is written as the placeholder.
    EXPECT_EQ(file.readString(QStringLiteral("Form13"), QStringLiteral("EditSubviewerSource.Text")),
              QStringLiteral("Subtitles captured by Glyfex ${VERSION}"));
}

TEST_F(LanguageToolsTest, WriteApplyWriteGivesTheSameBytes)
{
    for (const QString &language : {QStringLiteral("English"), QStringLiteral("Deutsch")}) {
        app.applyLanguage(language);
        app.mainWindow()->showLanguageTools();
        const core::ui::LanguageTools tools(*app.language(), app.paths, false);
        ASSERT_TRUE(tools.saveLanguage(language, language).ok());
        const QByteArray first = bytesOf(language + QStringLiteral(".lng"));
        ASSERT_FALSE(first.isEmpty());
        ASSERT_TRUE(app.language()->apply(updated.filePath(language + QStringLiteral(".lng")), false).ok());
        ASSERT_TRUE(tools.saveLanguage(language, language).ok());
        EXPECT_EQ(bytesOf(language + QStringLiteral(".lng")), first) << language.toStdString();
    }
}

TEST_F(LanguageToolsTest, UpdAllLangFillsEachLanguageFromTheMasterAndShowsTheMaster)
{
    app.mainWindow()->showLanguageTools();
    button("InternalButton2")->click();
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(u'\n').toStdString();
    ASSERT_TRUE(QFile::exists(updated.filePath(QStringLiteral("current.lng"))));
    const core::IniStore german = fileOf(QStringLiteral("Deutsch.lng"));
    EXPECT_EQ(german.readString(QStringLiteral("Info"), QStringLiteral("Language")), QStringLiteral("Deutsch"));
    EXPECT_EQ(german.readString(QStringLiteral("Info"), QStringLiteral("Author")), QStringLiteral("Anna Beispiel"));
    // Translated texts stay translated; the others are the master's English.
    EXPECT_EQ(german.readString(QStringLiteral("Form1.MainMenu1"), QStringLiteral("File1")), QStringLiteral("&Datei"));
    EXPECT_EQ(german.readString(QStringLiteral("Form6"), QStringLiteral("BitBtnStart.Caption")), QStringLiteral("Start!"));
    EXPECT_EQ(german.readString(QStringLiteral("Messages"), QStringLiteral("0")), QStringLiteral("Höchstzahl erreicht"));
    EXPECT_EQ(german.readString(QStringLiteral("Messages"), QStringLiteral("1")), core::builtInMessage(1));
    EXPECT_EQ(german.readString(QStringLiteral("Form1.MainMenu1"), QStringLiteral("Options2.GlobalOptions1")),
              QStringLiteral("&Global Options"));
    // The notes come right after the Info section.
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(bytesOf(QStringLiteral("Deutsch.lng")).constData() + 2));
    EXPECT_TRUE(text.contains(QStringLiteral("before...\r\n") + kRule + QStringLiteral("\r\n// Tastenkürzel eindeutig halten\r\n\r\n[Form1]")));
    // The windows end showing the master's texts.
    EXPECT_EQ(actionText("File1"), QStringLiteral("&File"));
    EXPECT_EQ(app.message(0), core::builtInMessage(0));
}

// The edits a user types an option's value into (header texts, fill texts): named, plain line edits.
QList<QLineEdit *> typedBoxes(QWidget *window)
{
    QList<QLineEdit *> edits;
    for (QLineEdit *e : window->findChildren<QLineEdit *>()) {
        if (e->window() == window && e->metaObject() == &QLineEdit::staticMetaObject && !e->isReadOnly() &&
            !e->objectName().isEmpty() && !e->objectName().startsWith(QLatin1String("qt_")))
            edits << e;
    }
    return edits;
}

// Writing a language file and applying it again never moves a value: the file holds no key of the line
// edits Qt builds inside a spin box, and whatever the boxes hold or the user typed when it is applied stays.
TEST_F(LanguageToolsTest, ARoundTripLeavesEveryValueAsItIs)
{
    const QList<QWidget *> windows = translatedWindows();
    // Values nobody would choose, different in every box and in each of the two rounds.
    struct Held {
        QHash<QWidget *, qint64> numbers;
        QHash<QLineEdit *, QString> texts;
    };
    auto fill = [&](int round) {
        Held held;
        int n = 0;
        for (QWidget *w : windows) {
            for (const NumberBox &b : numberBoxes(w)) {
                const qint64 span = b.highest - b.lowest + 1;
                b.set(b.lowest + (7 + 13 * n++ + 101 * round) % std::max<qint64>(span, 1));
            }
            for (QLineEdit *e : typedBoxes(w))
                e->setText(QStringLiteral("typed %1 %2").arg(round).arg(n++));
        }
        // The boxes some window keeps in step settle first: what they hold now is what must stay.
        for (QWidget *w : windows) {
            for (const NumberBox &b : numberBoxes(w))
                held.numbers.insert(b.box, b.value());
            for (QLineEdit *e : typedBoxes(w))
                held.texts.insert(e, e->text());
        }
        return held;
    };
    fill(0);
    const core::IniStore file = savedMaster();
    for (const QString &section : file.readSections()) {
        for (const QString &key : file.readSection(section))
            EXPECT_FALSE(key.startsWith(QLatin1String("qt_"), Qt::CaseInsensitive)) << section.toStdString() << ": "
                                                                                     << key.toStdString();
    }
    const Held held = fill(1);
    ASSERT_GT(held.numbers.size(), 40) << "the windows' number boxes were not found";
    ASSERT_GT(held.texts.size(), 20) << "the windows' text boxes were not found";
    ASSERT_TRUE(app.language()->apply(updated.filePath(QStringLiteral("current.lng")), false).ok());
    for (auto it = held.numbers.cbegin(); it != held.numbers.cend(); ++it) {
        const NumberBox box{it.key(), 0, 0};
        EXPECT_EQ(box.value(), it.value()) << it.key()->window()->objectName().toStdString() << "."
                                           << it.key()->objectName().toStdString();
    }
    for (auto it = held.texts.cbegin(); it != held.texts.cend(); ++it)
        EXPECT_EQ(it.key()->text(), it.value()) << it.key()->window()->objectName().toStdString() << "."
                                                << it.key()->objectName().toStdString();
    // The options the Global Options' boxes keep are what the user typed, not what the file said.
    EXPECT_EQ(app.config.options.fillNone, held.texts.value(app.window(QStringLiteral("Form16"))->findChild<QLineEdit *>(
                                               QStringLiteral("eFillNone"))));
}

// A text in words: ":" or "<<" is no language's.
bool hasLetter(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

// Every text a window shows in words and a translator would translate: captions of labels, buttons and
// group boxes, tab texts, hints and menu items, each with the key it belongs under, but those the
// program sets while it runs.
struct Shown {
    QString key;  // "<component>.Caption", "<component>.Hint", "<radio group>.Items", "<menu item>"
    QString text;
    bool named;
    QString what; // for the failure message
};

QList<Shown> fixedTexts(QWidget *window, const QList<QAction *> &generated)
{
    QList<Shown> shown;
    auto add = [&](const QObject *o, const QString &property, const QString &text, bool named) {
        if (hasLetter(text))
            shown.append({o->objectName() + property, text, named, QLatin1String(o->metaObject()->className())});
    };
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->window() != window || w->objectName().startsWith(QLatin1String("qt_")) ||
            core::ui::leftOutOfLanguageFiles(w))
            continue;
        const bool named = !w->objectName().isEmpty();
        const auto caption = QStringLiteral(".Caption");
        if (auto *button = qobject_cast<QRadioButton *>(w); button && !named && w->parentWidget())
            add(w->parentWidget(), QStringLiteral(".Items"), button->text(),
                !w->parentWidget()->objectName().isEmpty());
        else if (auto *label = qobject_cast<QLabel *>(w))
            add(w, caption, label->text(), named);
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            add(w, caption, button->text(), named);
        else if (auto *box = qobject_cast<QGroupBox *>(w))
            add(w, caption, box->title(), named);
        if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                add(tabs->widget(i), caption, tabs->tabText(i), !tabs->widget(i)->objectName().isEmpty());
        }
        add(w, QStringLiteral(".Hint"), w->toolTip(), named);
    }
    // The menus' items: those of the window's own menus, not of the windows it owns.
    for (QAction *a : window->findChildren<QAction *>()) {
        QObject *owner = a->parent();
        while (qobject_cast<QMenu *>(owner) || qobject_cast<QMenuBar *>(owner))
            owner = owner->parent();
        if (a->isSeparator() || owner != window || generated.contains(a))
            continue;
        const QObject *item = a->objectName().isEmpty() && a->menu() ? static_cast<const QObject *>(a->menu()) : a;
        add(item, QString(), a->text(), !item->objectName().isEmpty());
    }
    return shown;
}

// A translator starts from the file Save Lang writes: every text of every window must be in it, or the
// translated program stays partly English.
TEST_F(LanguageToolsTest, EveryFixedTextOfEveryWindowIsWritten)
{
    const core::IniStore file = savedMaster();
    const QList<QAction *> languages = app.mainWindow()->languageMenu()->actions();
    ASSERT_FALSE(languages.isEmpty());
    for (QWidget *window : translatedWindows()) {
        const QString section = window->objectName();
        QStringList values;
        for (const QString &name : file.readSections()) {
            if (name == section || name.startsWith(section + u'.')) {
                for (const QString &key : file.readSection(name))
                    values << file.readString(name, key);
            }
        }
        for (const Shown &s : fixedTexts(window, languages)) {
            // The pause button's caption, the palette presets and such are the program's to set.
            if (s.named && core::isProgramsOwnLine(u'[' + section + u']', s.key))
                continue;
            EXPECT_TRUE(s.named && values.contains(core::IniStore::valueAfterReload(s.text)))
                << section.toStdString() << "." << (s.named ? s.key : QStringLiteral("<unnamed>")).toStdString() << " ("
                << s.what.toStdString() << ") \"" << s.text.toStdString() << "\"";
        }
    }
}

// Texts shown where no component of their own holds them follow the language as well: the matrix open
// dialog's title is its menu item's caption, the shared frame-rate note is the MicroDVD page's.
TEST_F(LanguageToolsTest, TheMatrixOpenDialogAndTheSharedRateNoteFollowTheLanguage)
{
    const core::IniStore master = savedMaster();
    const QString menu = QStringLiteral("Form1.MainMenu1");
    QString openKey;
    for (const QString &key : master.readSection(menu)) {
        if (key.endsWith(QLatin1String(".OpenCharacterMatrix1")))
            openKey = key;
    }
    ASSERT_FALSE(openKey.isEmpty());
    core::IniStore test(QDir(folders.folders().userDataDir).filePath(QStringLiteral("Lang/Test.lng")));
    test.writeString(menu, openKey, QStringLiteral("T-&Open a matrix"));
    test.writeString(QStringLiteral("Form13"), QStringLiteral("Label45.Caption"), QStringLiteral("T-one rate for all"));
    ASSERT_TRUE(test.updateFile().ok());
    app.applyLanguage(QStringLiteral("Test"));
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(u'\n').toStdString();

    files.names = {QString()}; // the dialog is cancelled
    app.mainWindow()->findChild<QAction *>(QStringLiteral("OpenCharacterMatrix1"))->trigger();
    EXPECT_EQ(files.titles.value(0), QStringLiteral("T-Open a matrix"));
    QWidget *formats = app.window(QStringLiteral("Form13"));
    for (const char *note : {"Label45", "LabelMplFRHint", "LabelMacSUBFRHint", "LabelPhoenixFRHint"}) {
        auto *label = formats->findChild<QLabel *>(QLatin1String(note));
        ASSERT_TRUE(label) << note;
        EXPECT_EQ(label->text(), QStringLiteral("T-one rate for all")) << note;
    }
}

// Counters, times, sizes, file names and a button's state are the program's: a written file does not hold them, and a file
// naming them anyway does not change them.
TEST_F(LanguageToolsTest, RunTimeTextsAreNeitherWrittenNorApplied)
{
    const std::pair<const char *, QStringList> shownByTheProgram[] = {
        {"Form1",
         {"LabelVobFile", "LabelVobNum", "LabelVobNb", "LabelNbSup", "LabelTotalNbSup", "LabelChapters", "LabelFPS",
          "LabelTime", "LabelTime7", "LabelPos", "LabelTimeElapsed", "LabelTimeRemaining", "LabelX1", "LabelY1",
          "LabelX2", "LabelY2", "LabelWidth", "LabelHeight", "PanelRatio"}},
        {"Form2", {"LabelIndex", "lBestGuess", "LabelNbChar"}},
        {"Form3", {"LabelNbSubTitle", "LabelSkip", "SubFormat"}},
        {"Form5", {"LabelCharIndex", "LabelRTop", "LabelWidth", "LabelHeight", "LabelNbChar", "LabelCount"}},
        {"Form6", {"LabelVobPath"}},
        {"Form15", {"ButtonZoom"}},
        {"Form17", {"LabelBeginOfFile", "LabelEndOfFile", "LabelStartSplit", "LabelStopSplit"}},
        {"Form18", {"LabelCurrentProfile"}},
        {"Form21", {"lMode"}},
    };
    // A label or a button of the window.
    auto shown = [&](const char *window, const QString &name) {
        QWidget *w = app.window(QLatin1String(window));
        QWidget *found = nullptr;
        for (QWidget *c : w ? w->findChildren<QWidget *>(name) : QList<QWidget *>()) {
            if (c->window() == w && (qobject_cast<QLabel *>(c) || qobject_cast<QAbstractButton *>(c)))
                found = c;
        }
        EXPECT_TRUE(found) << window << "." << name.toStdString();
        return found;
    };
    auto textOf = [](QWidget *w) {
        auto *l = qobject_cast<QLabel *>(w);
        return l ? l->text() : static_cast<QAbstractButton *>(w)->text();
    };
    auto setText = [](QWidget *w, const QString &text) {
        if (auto *l = qobject_cast<QLabel *>(w))
            l->setText(text);
        else
            static_cast<QAbstractButton *>(w)->setText(text);
    };
    QString naming;
    for (const auto &[window, names] : shownByTheProgram) {
        naming += QStringLiteral("[%1]\n").arg(QLatin1String(window));
        for (const QString &name : names) {
            if (QWidget *w = shown(window, name)) {
                setText(w, QStringLiteral("run %1").arg(name));
            }
            naming += name + QStringLiteral(".Caption=T-") + name + u'\n';
        }
    }
    const core::IniStore file = savedMaster();
    for (const auto &[window, names] : shownByTheProgram) {
        for (const QString &name : names)
            EXPECT_FALSE(file.valueExists(QLatin1String(window), name + QStringLiteral(".Caption"))) << window << "." << name.toStdString();
    }
    for (const QString &section : file.readSections()) {
        for (const QString &key : file.readSection(section))
            EXPECT_FALSE(file.readString(section, key).startsWith(QLatin1String("run "))) << key.toStdString();
    }

    core::IniStore named(updated.filePath(QStringLiteral("Named.lng")));
    named.setStrings(naming.split(u'\n'));
    ASSERT_TRUE(named.updateFile().ok());
    ASSERT_TRUE(app.language()->apply(updated.filePath(QStringLiteral("Named.lng")), false).ok());
    for (const auto &[window, names] : shownByTheProgram) {
        for (const QString &name : names) {
            if (QWidget *w = shown(window, name)) {
                EXPECT_EQ(textOf(w), QStringLiteral("run %1").arg(name)) << window;
            }
        }
    }
}

TEST_F(LanguageToolsTest, AFailedWriteIsReportedNotDone)
{
    // A file where the output folder should be: the folder cannot be made.
    QFile blocker(updated.path());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    app.mainWindow()->showLanguageTools();
    button("InternalButton1")->click();
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].startsWith(QStringLiteral("error: Error\r\nCannot write language file")))
        << prompt.shown[0].toStdString();
    button("InternalButton2")->click();
    EXPECT_EQ(prompt.shown.size(), 2);
}

} // namespace
