// Language files in the running program: chosen from the GUI Language menu, they change the windows' texts and messages; English brings the built-in texts back.
#include "core/config.h"
#include "core/ini_store.h"
#include "core/messages.h"
#include "app/app.h"
#include "ripping/ui/main_window.h"

#include "subtitles/ui/subtitles_window.h"
#include "support/app_test.h"
#include "support/qt_print.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace glyfex;
using namespace glyfex::ripping::ui;

namespace {

enum class What { Action, Caption, Hint, Title, Item1 };

// A text of the interface and the key of the language file that names it.
struct Text {
    const char *window;
    const char *component; // nullptr: the window itself
    What what;
    const char *section;
    const char *key;
};

const Text texts[] = {
    {"Form1", "File1", What::Action, "Form1.MainMenu1", "File1"},
    {"Form1", "OpenVob1", What::Action, "Form1.MainMenu1", "File1.OpenVob1"},
    {"Form1", "GlobalOptions1", What::Action, "Form1.MainMenu1", "Options2.GlobalOptions1"},
    {"Form1", "IDLEPRIORITYCLASS1", What::Action, "Form1.MainMenu1", "Options2.Priority1.IDLEPRIORITYCLASS1"},
    {"Form1", "EditCharMatrix1", What::Action, "Form1.MainMenu1", "CharacterMatrix1.EditCharMatrix1"},
    {"Form1", "About1", What::Action, "Form1.MainMenu1", "About1"},
    {"Form1", "TntBitButtonOpenVob", What::Caption, "Form1", "TntBitButtonOpenVob.Caption"},
    {"Form1", "TntBitButtonOpenVob", What::Hint, "Form1", "TntBitButtonOpenVob.Hint"},
    {"Form1", "CheckBoxShowSubPict", What::Caption, "Form1", "CheckBoxShowSubPict.Caption"},
    {"Form6", nullptr, What::Title, "Form6", "Form6.Caption"},
    {"Form6", "BitBtnStart", What::Caption, "Form6", "BitBtnStart.Caption"},
    {"Form6", "CheckBoxShowAll", What::Caption, "Form6", "CheckBoxShowAll.Caption"},
    {"Form6", "RadioGroupAction", What::Item1, "Form6", "RadioGroupAction.Items1"},
    {"Form16", "CheckBoxBuildMap", What::Caption, "Form16", "CheckBoxBuildMap.Caption"},
    {"Form16", "rbFill", What::Caption, "Form16", "rbFill.Caption"},
};

QString textOf(const app::App &app, const Text &t)
{
    QWidget *window = app.window(QLatin1String(t.window));
    if (!window)
        return QStringLiteral("<no window>");
    if (!t.component)
        return window->windowTitle();
    const QString name = QLatin1String(t.component);
    if (t.what == What::Action) {
        auto *a = window->findChild<QAction *>(name);
        return a ? a->text() : QStringLiteral("<no action>");
    }
    auto *w = window->findChild<QWidget *>(name);
    if (!w)
        return QStringLiteral("<no control>");
    if (t.what == What::Hint)
        return w->toolTip();
    if (t.what == What::Item1) {
        const auto items = w->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly);
        return items.size() > 1 ? items[1]->text() : QStringLiteral("<no item>");
    }
    auto *b = qobject_cast<QAbstractButton *>(w);
    return b ? b->text() : QStringLiteral("<not a button>");
}

const QString marked = QStringLiteral("T-");

class LanguageSwitchTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        for (const Text &t : texts)
            builtIn << textOf(app, t);
        langDir = QDir(folders.folders().userDataDir).filePath(QStringLiteral("Lang"));
        ASSERT_TRUE(QDir().mkpath(langDir));
        // English is a file with nothing to replace: choosing it must bring back the built-in texts.
        core::IniStore english(QDir(langDir).filePath(QStringLiteral("English.lng")));
        english.writeString(QStringLiteral("Info"), QStringLiteral("Language"), QStringLiteral("English"));
        ASSERT_TRUE(english.updateFile().ok());
        // Every text marked, the messages too (they are read from 0 up to the first gap).
        core::IniStore test(QDir(langDir).filePath(QStringLiteral("Test.lng")));
        for (int i = 0; i < int(std::size(texts)); ++i)
            test.writeString(QLatin1String(texts[i].section), QLatin1String(texts[i].key), marked + builtIn[i]);
        const core::MessageTable english_messages;
        for (int i = 0; i < english_messages.count(); ++i)
            test.writeString(QStringLiteral("Messages"), QString::number(i), marked + english_messages.text(i));
        ASSERT_TRUE(test.updateFile().ok());
    }

    QAction *languageItem(const QString &name) const
    {
        auto *menu = app.mainWindow()->findChild<QMenu *>(QStringLiteral("GUILanguage1"));
        if (!menu)
            return nullptr;
        for (QAction *a : menu->actions()) {
            if (a->text() == name)
                return a;
        }
        return nullptr;
    }

    // What the close question says while unsaved subtitles are there (it is refused: no answer given).
    QString closeQuestion()
    {
        prompt.shown.clear();
        EXPECT_TRUE(app.subtitleSink.addPictureSubtitle(QStringLiteral("movie00001.bmp"), {}, {}, 0, 0).ok());
        app.mainWindow()->close();
        app.subtitlesWindow()->clearWithoutQuestion();
        return prompt.shown.value(0);
    }

    void expectTranslated(bool translated)
    {
        for (int i = 0; i < int(std::size(texts)); ++i)
            EXPECT_EQ(textOf(app, texts[i]), translated ? marked + builtIn[i] : builtIn[i])
                << texts[i].section << " " << texts[i].key;
        const core::MessageTable english;
        auto *pause = app.mainWindow()->findChild<QAbstractButton *>(QStringLiteral("ButtonPause"));
        ASSERT_NE(pause, nullptr);
        EXPECT_EQ(pause->text(), (translated ? marked : QString()) + english.text(core::Msg::Pause));
        EXPECT_EQ(closeQuestion(), QStringLiteral("confirm: ") + (translated ? marked : QString()) +
                                       english.text(core::Msg::Confirm) + QStringLiteral("\r\n") +
                                       (translated ? marked : QString()) + english.text(core::Msg::TextNotSaved) +
                                       QLatin1Char('\r') + (translated ? marked : QString()) +
                                       english.text(core::Msg::ReallyQuit));
        // The Global Options title follows its menu item, without the "&".
        EXPECT_EQ(app.window(QStringLiteral("Form16"))->windowTitle(),
                  (translated ? marked : QString()) + QStringLiteral("Global Options"));
    }

    QStringList builtIn;
    QString langDir;
};

TEST_F(LanguageSwitchTest, ChoosingALanguageTranslatesTheWindowsAndEnglishRestoresThem)
{
    app.loadSettings();
    QAction *test = languageItem(QStringLiteral("Test"));
    QAction *english = languageItem(QStringLiteral("English"));
    ASSERT_NE(test, nullptr);
    ASSERT_NE(english, nullptr);
    ASSERT_NO_FATAL_FAILURE(expectTranslated(false));

    test->trigger();
    EXPECT_TRUE(test->isChecked());
    EXPECT_FALSE(english->isChecked());
    EXPECT_EQ(app.config.main.languageName, QStringLiteral("Test"));
    ASSERT_NO_FATAL_FAILURE(expectTranslated(true));

    english->trigger();
    EXPECT_TRUE(english->isChecked());
    EXPECT_EQ(app.config.main.languageName, QStringLiteral("English"));
    ASSERT_NO_FATAL_FAILURE(expectTranslated(false));
}

TEST_F(LanguageSwitchTest, TheChosenLanguageIsAppliedAtTheNextStart)
{
    app.loadSettings();
    languageItem(QStringLiteral("Test"))->trigger();
    app.saveSettings();

    app::App next(folders.folders());
    next.setPrompt(&prompt);
    next.createWindows();
    next.loadSettings();
    EXPECT_EQ(next.config.main.languageName, QStringLiteral("Test"));
    EXPECT_EQ(textOf(next, texts[0]), marked + builtIn[0]);
}

// The name kept in the configuration reaches a file only as a plain name, found whatever its letter case.
TEST_F(LanguageSwitchTest, TheConfiguredNameIsMatchedWithoutCaseAndNeverLeavesTheLangFolder)
{
    struct Row {
        const char *name;
        bool translated;
    };
    const Row rows[] = {{"test", true}, {"TEST", true}, {"../Lang/Test", false}, {"Lang/../Test", false}};
    for (const Row &r : rows) {
        core::Config c = core::Config::defaults({});
        c.main.languageName = QLatin1String(r.name);
        ASSERT_TRUE(c.saveFile(app.paths.configFile()).ok());
        app::App started(folders.folders());
        started.setPrompt(&prompt);
        started.createWindows();
        started.loadSettings();
        EXPECT_EQ(textOf(started, texts[0]), (r.translated ? marked : QString()) + builtIn[0]) << r.name;
    }
}

} // namespace
