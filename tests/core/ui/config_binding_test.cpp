// The configuration in and out of windows found by name, and the close-time save that never blocks closing.
#include "core/ui/config_binding.h"

#include "core/ui/global_options_dialog.h"
#include "support/recording_prompt.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFontDatabase>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>

using namespace glyfex::core;
using namespace glyfex::core::ui;

namespace {

using glyfex::testing::RecordingPrompt;

template <class T>
T *add(QWidget *parent, const char *name)
{
    auto *w = new T(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

QWidget *radioGroup(QWidget *parent, const char *name, int items)
{
    auto *group = add<QWidget>(parent, name);
    for (int i = 0; i < items; ++i)
        new QRadioButton(QString::number(i), group);
    return group;
}

// The controls the configuration feeds, under the names of the program's windows.
struct Windows {
    QDialog form1, form2, form3, form6, form10, form13;
    GlobalOptions options;
    GlobalOptionsDialog form16{options, QStringLiteral("&Global Options")};

    Windows()
    {
        const std::pair<QWidget *, const char *> forms[] = {{&form1, "Form1"}, {&form2, "Form2"}, {&form3, "Form3"},
                                                            {&form6, "Form6"}, {&form10, "Form10"}, {&form13, "Form13"}};
        for (auto [w, name] : forms)
            w->setObjectName(QLatin1String(name));
        add<QWidget>(&form1, "BevelScreen")->resize(600, 400);
        add<QCheckBox>(&form2, "RememberCheckBox");
        add<QCheckBox>(&form3, "CheckBoxScrollDown");
        add<QCheckBox>(&form3, "CheckBoxFormat");
        add<QListWidget>(&form3, "ListBoxSubtitle");
        add<QComboBox>(&form3, "ComboBoxFont")->addItems({QStringLiteral("Arial"), QStringLiteral("Tahoma")});
        add<QComboBox>(&form3, "ComboBoxFPS")->setEditable(true);
        radioGroup(&form6, "RadioGroupAction", 4);
        for (const char *name : {"CheckBoxAvoidTimeRestart", "CheckBoxShowAll", "SelectAllCheckBox", "CheckBoxPictTiming"})
            add<QCheckBox>(&form6, name);
        for (const char *name : {"MDVDComboBox", "ComboBoxMpl", "ComboBoxMacSUB", "ComboBoxPhoenix"})
            add<QComboBox>(&form13, name)->setEditable(true);
        add<QCheckBox>(&form13, "DXG400CheckBox");
        for (const char *name : {"CheckBoxCorrectTwiceAp", "CheckBoxCorrectIl", "CheckBoxCorrectPunctuation",
                                 "CheckBoxCorrectOrthography", "CheckBoxCorrectCapitalLetters", "CheckBoxCase",
                                 "CheckBoxRemoveSpaceBtNumbers"})
            add<QCheckBox>(&form10, name);
        radioGroup(&form10, "RadioGroupCorrectIlLanguage", 7);
        add<QComboBox>(&form10, "ComboBoxLangOrtho")->setEditable(true);
    }
    QList<QWidget *> all() { return {&form1, &form2, &form3, &form6, &form10, &form13, &form16}; }
};

const Config::Folders folders{QStringLiteral("/m/"), QStringLiteral("/s/")};

} // namespace

TEST(ConfigBinding, WhatGoesIntoTheWindowsComesBack)
{
    Windows w;
    const ConfigBinding binding(w.all());
    Config c = Config::defaults(folders);
    Config::Main &m = c.main;
    m.rememberStyles = false;
    m.autoScrollDown = false;
    m.actionMode = 3;
    m.showAllLangStreams = true;
    m.selectAllVobs = false;
    m.subtWndHeight = 250;
    c.options.fillBestGuess = true;
    c.options.minSubDuration = 123;
    c.subtitleFontName = QStringLiteral("Tahoma");
    c.subtitleFontSize = 11;
    c.pictureTiming = false;
    c.output.frameRate = QStringLiteral("29.97");
    c.output.microDvdRateLine = false;
    c.correction.il = false;
    c.correction.ilLanguage = 5;
    c.correction.orthographyDictionary = QStringLiteral("English");
    c.correction.lowerCaseBefore = true;
    binding.apply(c, {QStringLiteral("Tahoma")});

    EXPECT_EQ(w.form3.height(), 250);
    EXPECT_EQ(w.form3.findChild<QComboBox *>(QStringLiteral("ComboBoxFont"))->currentText(), QStringLiteral("Tahoma"));
    EXPECT_EQ(w.form3.findChild<QComboBox *>(QStringLiteral("ComboBoxFPS"))->currentText(), QStringLiteral("29.97"));
    EXPECT_EQ(w.form13.findChild<QComboBox *>(QStringLiteral("ComboBoxPhoenix"))->currentText(), QStringLiteral("29.97"));
    EXPECT_TRUE(w.form16.findChild<QWidget *>(QStringLiteral("eFillNone"))->isEnabled());
    EXPECT_EQ(w.options.minSubDuration, 123);

    Config back = Config::defaults(folders);
    binding.collect(back);
    EXPECT_TRUE(back.main == c.main);
    EXPECT_TRUE(back.options == c.options);
    EXPECT_EQ(back.subtitleFontName, QStringLiteral("Tahoma"));
    EXPECT_EQ(back.subtitleFontSize, 11);
    EXPECT_EQ(back.pictureTiming, false);
    EXPECT_TRUE(back.output == c.output);
    EXPECT_TRUE(back.correction == c.correction);
}

TEST(ConfigBinding, TheSubtitlesWindowStaysBelowTheMainScreenHeightAndMissingWindowsAreSkipped)
{
    Windows w;
    Config c = Config::defaults(folders);
    c.main.subtWndHeight = 5000;
    ConfigBinding(w.all()).apply(c, {});
    EXPECT_EQ(w.form3.height(), 400);

    // Without the windows nothing is read back: the values stay as loaded.
    Config kept = c;
    kept.main.actionMode = 2;
    ConfigBinding(QList<QWidget *>{}).collect(kept);
    EXPECT_EQ(kept.main.actionMode, 2);
}

TEST(ConfigBinding, AFontThatIsNotInstalledIsSavedAsTheFontUsed)
{
    Windows w;
    Config c = Config::defaults(folders); // "Arial Unicode MS"
    ConfigBinding binding(w.all());
    binding.apply(c, {QStringLiteral("Arial"), QStringLiteral("Tahoma")});
    Config back = c;
    binding.collect(back);
    EXPECT_EQ(back.subtitleFontName, QStringLiteral("Tahoma"));
}

TEST(ConfigAtClose, AWriteErrorNamesTheFileAndDoesNotStopClosing)
{
    QTemporaryDir dir;
    RecordingPrompt prompt;
    const QString path = dir.filePath(QStringLiteral("no-such-folder/Glyfex.ini"));
    EXPECT_FALSE(saveConfigAtClose(path, Config::defaults(folders), BmpOutPresets{}, prompt));
    ASSERT_EQ(prompt.errors.size(), 1);
    EXPECT_TRUE(prompt.errors[0].contains(QDir::toNativeSeparators(path)));

    const QString good = dir.filePath(QStringLiteral("Glyfex.ini"));
    EXPECT_TRUE(saveConfigAtClose(good, Config::defaults(folders), BmpOutPresets{}, prompt));
    const auto store = IniStore::open(good);
    ASSERT_TRUE(store.ok());
    EXPECT_TRUE(store->readSections().contains(QStringLiteral("BMPOUT 5")));
    EXPECT_TRUE(store->readSections().contains(QStringLiteral("CONFIG")));
}

TEST(ConfigAtStart, AnUnreadableFileIsReportedAndTheDefaultsAreUsed)
{
    QTemporaryDir dir;
    RecordingPrompt prompt;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Glyfex.ini")));
    const Config c = loadConfigAtStart(dir.filePath(QStringLiteral("Glyfex.ini")), folders, {}, QLocale::c(), {}, prompt);
    EXPECT_EQ(prompt.warnings.size(), 1);
    EXPECT_EQ(c.main.activePage, 11);
    EXPECT_EQ(c.main.languageName, Config::FirstRunLanguage);
}

TEST(ConfigAcrossRuns, WhatTheUserChangedIsThereAtTheNextStart)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Glyfex.ini"));
    RecordingPrompt prompt;
    BmpOutPresets presets;
    {
        Windows first;
        ConfigBinding binding(first.all());
        Config c = loadConfigAtStart(path, folders, {}, QLocale::c(), {}, prompt);
        binding.apply(c, {});
        first.form6.findChild<QCheckBox *>(QStringLiteral("CheckBoxShowAll"))->click();
        first.form6.findChildren<QRadioButton *>()[2]->click();
        first.form16.findChild<QRadioButton *>(QStringLiteral("rbFill"))->click();
        first.form13.findChild<QComboBox *>(QStringLiteral("MDVDComboBox"))->setCurrentText(QStringLiteral("25"));
        binding.collect(c);
        ASSERT_TRUE(saveConfigAtClose(path, c, presets, prompt));
    }
    Windows second;
    ConfigBinding(second.all()).apply(loadConfigAtStart(path, folders, {}, QLocale::c(), {}, prompt), {});
    EXPECT_TRUE(second.form6.findChild<QCheckBox *>(QStringLiteral("CheckBoxShowAll"))->isChecked());
    EXPECT_TRUE(second.form6.findChildren<QRadioButton *>()[2]->isChecked());
    EXPECT_TRUE(second.options.fillBestGuess);
    EXPECT_TRUE(second.form16.findChild<QWidget *>(QStringLiteral("seFill"))->isEnabled());
    EXPECT_EQ(second.form3.findChild<QComboBox *>(QStringLiteral("ComboBoxFPS"))->currentText(), QStringLiteral("25"));
    EXPECT_TRUE(prompt.warnings.isEmpty());
    EXPECT_TRUE(prompt.errors.isEmpty());
}
