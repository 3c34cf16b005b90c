// Copies the configuration into the windows' controls at start and back at close, found by window and component names.
#include "core/ui/config_binding.h"

#include "core/ui/global_options_dialog.h"
#include "core/user_prompt.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QRadioButton>

#include <algorithm>

namespace glyfex::core::ui {

namespace {

void setChecked(QWidget *w, bool on)
{
    if (auto *box = qobject_cast<QAbstractButton *>(w))
        box->setChecked(on);
}

void readChecked(QWidget *w, bool &field)
{
    if (auto *box = qobject_cast<QAbstractButton *>(w))
        field = box->isChecked();
}

QList<QRadioButton *> radioItems(QWidget *group)
{
    return group ? group->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly) : QList<QRadioButton *>();
}

void setItemIndex(QWidget *group, int index)
{
    const auto items = radioItems(group);
    if (index >= 0 && index < items.size())
        items[index]->setChecked(true);
}

// The checked item, or the field unchanged when none is.
void readItemIndex(QWidget *group, int &field)
{
    const auto items = radioItems(group);
    const auto it = std::find_if(items.cbegin(), items.cend(), [](const QRadioButton *b) { return b->isChecked(); });
    if (it != items.cend())
        field = int(it - items.cbegin());
}

void setComboText(QWidget *w, const QString &text)
{
    if (auto *combo = qobject_cast<QComboBox *>(w))
        combo->setCurrentText(text);
}

} // namespace

ConfigBinding::ConfigBinding(const QList<QWidget *> &windows)
{
    for (QWidget *w : windows)
        m_windows.append(w);
}

QWidget *ConfigBinding::window(const char *name) const
{
    for (const QPointer<QWidget> &w : m_windows) {
        if (w && w->objectName() == QLatin1String(name))
            return w;
    }
    return nullptr;
}

QWidget *ConfigBinding::control(const char *windowName, const char *name) const
{
    QWidget *w = window(windowName);
    return w ? w->findChild<QWidget *>(QLatin1String(name)) : nullptr;
}

void ConfigBinding::apply(const Config &c, const QStringList &installedFonts) const
{
    setChecked(control("Form2", "RememberCheckBox"), c.main.rememberStyles);
    setChecked(control("Form3", "CheckBoxScrollDown"), c.main.autoScrollDown);
    setChecked(control("Form3", "CheckBoxFormat"), c.main.fancyFormat);
    setItemIndex(control("Form6", "RadioGroupAction"), c.main.actionMode);
    setChecked(control("Form6", "CheckBoxAvoidTimeRestart"), c.main.avoidTimeRestart);
    setChecked(control("Form6", "CheckBoxShowAll"), c.main.showAllLangStreams);
    setChecked(control("Form6", "SelectAllCheckBox"), c.main.selectAllVobs);
    if (QWidget *subtitles = window("Form3")) {
        int height = c.main.subtWndHeight;
        if (QWidget *screen = control("Form1", "BevelScreen"))
            height = std::min(height, screen->height());
        subtitles->resize(subtitles->width(), height);
    }

    if (auto *dialog = qobject_cast<GlobalOptionsDialog *>(window("Form16"))) {
        dialog->options() = c.options;
        dialog->showOptions(); // also enables the fill controls to match the loaded choice
    }

    const QString font = resolveSubtitleFont(c.subtitleFontName, installedFonts);
    if (QWidget *list = control("Form3", "ListBoxSubtitle")) {
        QFont f = list->font();
        f.setFamily(font);
        f.setPointSize(c.subtitleFontSize);
        list->setFont(f);
    }
    if (auto *combo = qobject_cast<QComboBox *>(control("Form3", "ComboBoxFont")))
        combo->setCurrentIndex(combo->findText(font));

    setChecked(control("Form6", "CheckBoxPictTiming"), c.pictureTiming);
    // One frame rate serves every frame-number format and the Subtitles window.
    for (const char *name : {"MDVDComboBox", "ComboBoxMpl", "ComboBoxMacSUB", "ComboBoxPhoenix"})
        setComboText(control("Form13", name), c.output.frameRate);
    setComboText(control("Form3", "ComboBoxFPS"), c.output.frameRate);
    setChecked(control("Form13", "DXG400CheckBox"), c.output.microDvdRateLine);

    const Config::OcrCorrection &k = c.correction;
    setChecked(control("Form10", "CheckBoxCorrectTwiceAp"), k.twiceApostrophe);
    setChecked(control("Form10", "CheckBoxCorrectIl"), k.il);
    setItemIndex(control("Form10", "RadioGroupCorrectIlLanguage"), k.ilLanguage);
    setChecked(control("Form10", "CheckBoxCorrectPunctuation"), k.punctuation);
    setChecked(control("Form10", "CheckBoxCorrectOrthography"), k.orthography);
    if (auto *combo = qobject_cast<QComboBox *>(control("Form10", "ComboBoxLangOrtho"))) {
        if (!k.orthographyDictionary.isEmpty())
            combo->addItem(k.orthographyDictionary);
        combo->setCurrentIndex(0);
    }
    setChecked(control("Form10", "CheckBoxCorrectCapitalLetters"), k.capitalLetters);
    setChecked(control("Form10", "CheckBoxCase"), k.lowerCaseBefore);
    setChecked(control("Form10", "CheckBoxRemoveSpaceBtNumbers"), k.removeSpaceBetweenNumbers);
}

void ConfigBinding::collect(Config &c) const
{
    readChecked(control("Form2", "RememberCheckBox"), c.main.rememberStyles);
    readChecked(control("Form3", "CheckBoxScrollDown"), c.main.autoScrollDown);
    readChecked(control("Form3", "CheckBoxFormat"), c.main.fancyFormat);
    readItemIndex(control("Form6", "RadioGroupAction"), c.main.actionMode);
    readChecked(control("Form6", "CheckBoxAvoidTimeRestart"), c.main.avoidTimeRestart);
    readChecked(control("Form6", "CheckBoxShowAll"), c.main.showAllLangStreams);
    readChecked(control("Form6", "SelectAllCheckBox"), c.main.selectAllVobs);
    if (QWidget *subtitles = window("Form3"))
        c.main.subtWndHeight = subtitles->height();

    if (auto *dialog = qobject_cast<GlobalOptionsDialog *>(window("Form16")))
        c.options = dialog->options();
    // The font actually used, which may be the fallback for a font that is not installed.
    if (QWidget *list = control("Form3", "ListBoxSubtitle")) {
        c.subtitleFontName = list->font().family();
        c.subtitleFontSize = list->font().pointSize();
    }

    readChecked(control("Form6", "CheckBoxPictTiming"), c.pictureTiming);
    if (auto *combo = qobject_cast<QComboBox *>(control("Form13", "MDVDComboBox")))
        c.output.frameRate = combo->currentText();
    readChecked(control("Form13", "DXG400CheckBox"), c.output.microDvdRateLine);

    Config::OcrCorrection &k = c.correction;
    readChecked(control("Form10", "CheckBoxCorrectTwiceAp"), k.twiceApostrophe);
    readChecked(control("Form10", "CheckBoxCorrectIl"), k.il);
    readItemIndex(control("Form10", "RadioGroupCorrectIlLanguage"), k.ilLanguage);
    readChecked(control("Form10", "CheckBoxCorrectPunctuation"), k.punctuation);
    readChecked(control("Form10", "CheckBoxCorrectOrthography"), k.orthography);
    if (auto *combo = qobject_cast<QComboBox *>(control("Form10", "ComboBoxLangOrtho")))
        k.orthographyDictionary = combo->currentText();
    readChecked(control("Form10", "CheckBoxCorrectCapitalLetters"), k.capitalLetters);
    readChecked(control("Form10", "CheckBoxCase"), k.lowerCaseBefore);
    readChecked(control("Form10", "CheckBoxRemoveSpaceBtNumbers"), k.removeSpaceBetweenNumbers);
}

Config loadConfigAtStart(const QString &path, const Config::Folders &folders, const Config::Ocr &currentOcr,
                         const QLocale &locale, UserPrompt &prompt)
{
    auto loaded = Config::loadFile(path, folders, currentOcr, locale);
    if (loaded)
        return std::move(*loaded);
    prompt.warn(loaded.error().message());
    Config c = Config::defaults(folders);
    c.ocr = currentOcr;
    c.main.languageName = firstRunLanguage(locale);
    return c;
}

bool saveConfigAtClose(const QString &path, const Config &config, const BmpOutPresets &presets, UserPrompt &prompt)
{
    Result<void> saved = config.saveFile(path);
    if (saved)
        saved = saveBmpOutPresets(path, presets);
    if (saved)
        return true;
    Error e = saved.error();
    e.where = QDir::toNativeSeparators(path);
    prompt.error(e.message());
    return false;
}

} // namespace glyfex::core::ui
