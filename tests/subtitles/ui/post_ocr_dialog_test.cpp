// The Post OCR Correction dialog on the offscreen platform: its controls, the dictionary list, Correct! over the store, a missing dictionary and Cancel.
#include "subtitles/ui/post_ocr_dialog.h"

#include "core/ui/config_binding.h"
#include "support/app_test.h"
#include "subtitles/qt_printers.h"
#include "subtitles/subtitle_builder.h"
#include "subtitles/ui/subtitles_window.h"
#include "support/test_data.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace glyfex::subtitles::ui {
namespace {

class PostOcrDialogTest : public test::AppTest {
protected:
    void SetUp() override
    {
        test::AppTest::SetUp();
        dialog = qobject_cast<PostOcrDialog *>(app.window(QStringLiteral("Form10")));
        ASSERT_NE(dialog, nullptr);
        subtitles = qobject_cast<SubtitlesWindow *>(app.subtitlesWindow());
        ASSERT_NE(subtitles, nullptr);
    }

    template <typename T> T *child(const char *name) const
    {
        T *w = dialog->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // A dictionary in the user's data folder (the test's scratch folder).
    void writeDictionary(const char *name, const QString &text)
    {
        writeDictionaryBytes(name, QByteArray("\xFF\xFE", 2)
                                       + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
    }
    void writeDictionaryBytes(const char *name, const QByteArray &bytes)
    {
        test::writeBytes(app.paths.dataDirs().front() + QStringLiteral("/Dict/") + QLatin1String(name), bytes);
    }

    void addSubtitles(const std::vector<QStringList> &texts)
    {
        int ms = 0;
        for (const QStringList &lines : texts) {
            app.subtitles.subs.push_back(
                test::makeSubtitle(core::millisecondsToTimeCode(ms), core::millisecondsToTimeCode(ms + 900), lines));
            ms += 1000;
        }
        subtitles->rebuildSubtitleText();
    }

    QStringList storeLines() const
    {
        QStringList all;
        for (const Subtitle &s : app.subtitles.subs)
            all << s.lines;
        return all;
    }

    PostOcrDialog *dialog = nullptr;
    SubtitlesWindow *subtitles = nullptr;
};

TEST_F(PostOcrDialogTest, ControlsWithTheirNamesDefaultsAndEnabling)
{
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Post OCR Correction"));
    struct Box {
        const char *name;
        bool checked;
    };
    for (const Box &b : {Box{"CheckBoxCorrectTwiceAp", true}, Box{"CheckBoxCorrectIl", true},
                         Box{"CheckBoxCorrectPunctuation", true}, Box{"CheckBoxCorrectOrthography", false},
                         Box{"CheckBoxCorrectCapitalLetters", true}, Box{"CheckBoxCase", false},
                         Box{"CheckBoxRemoveSpaceBtNumbers", true}, Box{"CheckBoxFormatWholeWordsOnly", true}}) {
        auto *box = child<QCheckBox>(b.name);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->isChecked(), b.checked) << b.name;
    }
    for (const char *name : {"ComboBoxLangOrtho", "ProgressBarIndividual", "ProgressBarAll", "BitBtnCorrect", "BitBtn2"})
        EXPECT_NE(dialog->findChild<QWidget *>(QLatin1String(name)), nullptr) << name;
    auto *group = child<QGroupBox>("RadioGroupCorrectIlLanguage");
    const auto items = group->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(items.size(), 7);
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_EQ(items[1]->text(), QStringLiteral("Français (French)"));

    child<QCheckBox>("CheckBoxCorrectIl")->click();
    EXPECT_FALSE(group->isEnabled());
    child<QCheckBox>("CheckBoxCorrectIl")->click();
    EXPECT_TRUE(group->isEnabled());

    auto *capitals = child<QCheckBox>("CheckBoxCorrectCapitalLetters");
    auto *punctuation = child<QCheckBox>("CheckBoxCorrectPunctuation");
    capitals->click();
    EXPECT_FALSE(child<QCheckBox>("CheckBoxCase")->isEnabled());
    punctuation->click();
    EXPECT_FALSE(punctuation->isChecked());
    capitals->click(); // capitals need the blanks after sentence marks: punctuation comes back
    EXPECT_TRUE(punctuation->isChecked());
    EXPECT_TRUE(child<QCheckBox>("CheckBoxCase")->isEnabled());
}

TEST_F(PostOcrDialogTest, DictionaryListFollowsTheDictFolder)
{
    auto *combo = child<QComboBox>("ComboBoxLangOrtho");
    auto *orthography = child<QCheckBox>("CheckBoxCorrectOrthography");
    orthography->setChecked(true);
    writeDictionary("punct.dic", {});
    dialog->show();
    EXPECT_EQ(combo->count(), 0);
    EXPECT_FALSE(orthography->isChecked());
    EXPECT_FALSE(orthography->isEnabled());
    dialog->hide();

    writeDictionary("English.dic", QStringLiteral("teh\nthe\n"));
    writeDictionary("Deutsch.dic", {});
    writeDictionary("Punct.dic", {}); // only the exact name is the punctuation list
    combo->addItem(QStringLiteral("English"));
    combo->setCurrentText(QStringLiteral("English"));
    dialog->show();
    QStringList names;
    for (int i = 0; i < combo->count(); ++i)
        names << combo->itemText(i);
    EXPECT_EQ(names, QStringList({"Deutsch", "English", "Punct"}));
    EXPECT_EQ(combo->currentText(), QStringLiteral("English"));
    EXPECT_TRUE(orthography->isEnabled());
    dialog->hide();
}

TEST_F(PostOcrDialogTest, CorrectRewritesTheStoreAndTheList)
{
    writeDictionary("punct.dic", QStringLiteral(" ,\n,\n"));
    writeDictionary("English.dic", QStringLiteral("teh\nthe\n"));
    addSubtitles({{"hi ,you`re teh one.", "<i>Hel</i>lo"}, {"lt costs 12 000$."}});
    dialog->show();
    child<QCheckBox>("CheckBoxCorrectOrthography")->setChecked(true);
    child<QComboBox>("ComboBoxLangOrtho")->setCurrentText(QStringLiteral("English"));
    QTest::mouseClick(child<QPushButton>("BitBtnCorrect"), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(storeLines(), QStringList({"Hi, you're the one.", "<i>Hello</i>", "It costs 12000$."}));
    auto *list = subtitles->findChild<QListWidget *>(QStringLiteral("ListBoxSubtitle"));
    ASSERT_NE(list, nullptr);
    bool shown = false;
    for (int i = 0; i < list->count(); ++i)
        shown = shown || list->item(i)->text().contains(QStringLiteral("It costs 12000$."));
    EXPECT_TRUE(shown);
    EXPECT_EQ(child<QProgressBar>("ProgressBarIndividual")->value(), 0);
    EXPECT_EQ(child<QProgressBar>("ProgressBarAll")->value(), 0);
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(u'\n').toStdString();
}

// A dictionary without a mark is UTF-8 when it is valid UTF-8, else in the page the Subtitles window
// has chosen for the text.
TEST_F(PostOcrDialogTest, MarklessDictionariesAreReadInUtf8OrTheSubtitlesPage)
{
    const struct {
        const char *name;
        QByteArray bytes;
        const char *codePage; // chosen in the Subtitles window
        const char *line;
        QString corrected;
    } cases[] = {
        {"utf-8", QStringLiteral("naive\nnaïve\nZolc\nŻółć\n").toUtf8(), "1252:ANSI - Latin I", "a naive Zolc",
         QStringLiteral("a naïve Żółć")},
        {"cp1250", *core::TextCodec::encode(QStringLiteral("cafe\ncafé\nZolc\nŻółć\n"), 1250),
         "1250:ANSI - Central European", "a cafe Zolc", QStringLiteral("a café Żółć")},
    };
    writeDictionary("punct.dic", {});
    for (const auto &c : cases) {
        app.subtitles.subs.clear();
        addSubtitles({{QString::fromLatin1(c.line)}});
        writeDictionaryBytes("Words.dic", c.bytes);
        auto *codePages = subtitles->findChild<QComboBox *>(QStringLiteral("cbCodePage"));
        codePages->setCurrentText(QLatin1String(c.codePage));
        ASSERT_EQ(codePages->currentText(), QLatin1String(c.codePage));
        dialog->show();
        for (const char *box : {"CheckBoxCorrectTwiceAp", "CheckBoxCorrectIl", "CheckBoxCorrectPunctuation",
                                "CheckBoxCorrectCapitalLetters", "CheckBoxRemoveSpaceBtNumbers",
                                "CheckBoxFormatWholeWordsOnly"})
            child<QCheckBox>(box)->setChecked(false);
        child<QCheckBox>("CheckBoxCorrectOrthography")->setChecked(true);
        child<QComboBox>("ComboBoxLangOrtho")->setCurrentText(QStringLiteral("Words"));
        QTest::mouseClick(child<QPushButton>("BitBtnCorrect"), Qt::LeftButton);
        EXPECT_EQ(storeLines(), QStringList{c.corrected}) << c.name;
    }
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(u'\n').toStdString();
}

TEST_F(PostOcrDialogTest, MissingOrDamagedDictionaryChangesNothingAndNamesTheFile)
{
    addSubtitles({{"hi.you", "12 000"}});
    const QStringList before = storeLines();
    dialog->show();
    QTest::mouseClick(child<QPushButton>("BitBtnCorrect"), Qt::LeftButton);
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].startsWith(QStringLiteral("error: "))) << prompt.shown[0].toStdString();
    EXPECT_TRUE(prompt.shown[0].contains(QStringLiteral("punct.dic"))) << prompt.shown[0].toStdString();
    EXPECT_EQ(storeLines(), before);

    // punct.dic is there, the chosen dictionary is no text: nothing runs, not even the passes before it.
    writeDictionary("punct.dic", {});
    const QString broken = app.paths.dataDirs().front() + QStringLiteral("/Dict/Broken.dic");
    test::writeBytes(broken, QByteArray("teh\0the\n", 8));
    dialog->show();
    child<QCheckBox>("CheckBoxCorrectOrthography")->setChecked(true);
    child<QComboBox>("ComboBoxLangOrtho")->setCurrentText(QStringLiteral("Broken"));
    QTest::mouseClick(child<QPushButton>("BitBtnCorrect"), Qt::LeftButton);
    ASSERT_EQ(prompt.shown.size(), 2);
    EXPECT_TRUE(prompt.shown[1].contains(QStringLiteral("Broken.dic"))) << prompt.shown[1].toStdString();
    EXPECT_EQ(storeLines(), before);
}

TEST_F(PostOcrDialogTest, CancelWhileRunningKeepsTheStore)
{
    writeDictionary("punct.dic", {});
    std::vector<QStringList> texts(50, QStringList{"hi.you", "<i>Hel</i>lo 12 000"});
    addSubtitles(texts);
    const QStringList before = storeLines();
    dialog->show();
    // Pressed as soon as the passes let the window run.
    QTimer::singleShot(0, dialog, [this] { QTest::mouseClick(child<QPushButton>("BitBtn2"), Qt::LeftButton); });
    QTest::mouseClick(child<QPushButton>("BitBtnCorrect"), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(storeLines(), before);
    EXPECT_EQ(child<QProgressBar>("ProgressBarAll")->value(), 0);
}

TEST_F(PostOcrDialogTest, ChoicesGoToAndComeFromTheConfiguration)
{
    core::Config config = app.config;
    config.correction.il = false;
    config.correction.ilLanguage = 4;
    config.correction.capitalLetters = false;
    config.correction.lowerCaseBefore = true;
    config.correction.orthographyDictionary = QStringLiteral("English");
    const core::ui::ConfigBinding binding(QList<QWidget *>(app.windows().begin(), app.windows().end()));
    binding.apply(config, {});
    const PostOcrOptions o = dialog->options();
    EXPECT_FALSE(o.il);
    EXPECT_EQ(o.ilLanguage, IlLanguage::Italian);
    EXPECT_FALSE(o.capitalLetters);
    EXPECT_TRUE(o.lowerCaseBefore);
    EXPECT_FALSE(child<QGroupBox>("RadioGroupCorrectIlLanguage")->isEnabled());

    writeDictionary("English.dic", {});
    writeDictionary("Deutsch.dic", {});
    dialog->show(); // the list is made from the folder; the saved name is chosen again
    dialog->hide();
    core::Config back = app.config;
    binding.collect(back);
    EXPECT_EQ(back.correction, config.correction);
}

} // namespace
} // namespace glyfex::subtitles::ui
