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

namespace {

// Every setting kept in a control, in loading order; one walk serves the copy in and the copy out.
template <class V>
void visitControls(Config &c, V &v)
{
    v.check("Form2", "RememberCheckBox", c.main.rememberStyles);
    v.check("Form3", "CheckBoxScrollDown", c.main.autoScrollDown);
    v.check("Form3", "CheckBoxFormat", c.main.fancyFormat);
    v.item("Form6", "RadioGroupAction", c.main.actionMode);
    v.check("Form6", "CheckBoxAvoidTimeRestart", c.main.avoidTimeRestart);
    v.check("Form6", "CheckBoxShowAll", c.main.showAllLangStreams);
    v.check("Form6", "SelectAllCheckBox", c.main.selectAllVobs);
    v.subtitlesHeight(c.main.subtWndHeight);
    v.globalOptions(c.options);
    v.subtitlesFont(c.subtitleFontName, c.subtitleFontSize);
    v.check("Form6", "CheckBoxPictTiming", c.pictureTiming);
    v.frameRate(c.output.frameRate);
    v.check("Form13", "DXG400CheckBox", c.output.microDvdRateLine);
    Config::OcrCorrection &k = c.correction;
    v.check("Form10", "CheckBoxCorrectTwiceAp", k.twiceApostrophe);
    v.check("Form10", "CheckBoxCorrectIl", k.il);
    v.item("Form10", "RadioGroupCorrectIlLanguage", k.ilLanguage);
    v.check("Form10", "CheckBoxCorrectPunctuation", k.punctuation);
    v.check("Form10", "CheckBoxCorrectOrthography", k.orthography);
    v.dictionary(k.orthographyDictionary);
    v.check("Form10", "CheckBoxCorrectCapitalLetters", k.capitalLetters);
    v.check("Form10", "CheckBoxCase", k.lowerCaseBefore);
    v.check("Form10", "CheckBoxRemoveSpaceBtNumbers", k.removeSpaceBetweenNumbers);
}

// One frame rate serves every frame-number format and the Subtitles window; the first box keeps it.
const std::pair<const char *, const char *> frameRateBoxes[] = {{"Form13", "MDVDComboBox"}, {"Form13", "ComboBoxMpl"},
                                                               {"Form13", "ComboBoxMacSUB"}, {"Form13", "ComboBoxPhoenix"},
                                                               {"Form3", "ComboBoxFPS"}};

struct Into {
    const ConfigBinding &b;
    const QStringList &installedFonts;

    void check(const char *w, const char *name, bool on) const { setChecked(b.control(w, name), on); }
    void item(const char *w, const char *name, int index) const { setItemIndex(b.control(w, name), index); }
    void subtitlesHeight(int height) const
    {
        QWidget *subtitles = b.window("Form3");
        if (!subtitles)
            return;
        if (QWidget *screen = b.control("Form1", "BevelScreen"))
            height = std::min(height, screen->height());
        subtitles->resize(subtitles->width(), height);
    }
    void globalOptions(const GlobalOptions &options) const
    {
        if (auto *dialog = qobject_cast<GlobalOptionsDialog *>(b.window("Form16"))) {
            dialog->options() = options;
            dialog->showOptions(); // also enables the fill controls to match the loaded choice
        }
    }
    void subtitlesFont(const QString &name, int size) const
    {
        const QString font = resolveSubtitleFont(name, installedFonts);
        if (QWidget *list = b.control("Form3", "ListBoxSubtitle")) {
            QFont f = list->font();
            f.setFamily(font);
            f.setPointSize(size);
            list->setFont(f);
        }
        if (auto *combo = qobject_cast<QComboBox *>(b.control("Form3", "ComboBoxFont")))
            combo->setCurrentIndex(combo->findText(font));
    }
    void frameRate(const QString &rate) const
    {
        for (auto [w, name] : frameRateBoxes)
            setComboText(b.control(w, name), rate);
    }
    void dictionary(const QString &name) const
    {
        if (auto *combo = qobject_cast<QComboBox *>(b.control("Form10", "ComboBoxLangOrtho"))) {
            if (!name.isEmpty())
                combo->addItem(name);
            combo->setCurrentIndex(0);
        }
    }
};

struct OutOf {
    const ConfigBinding &b;

    void check(const char *w, const char *name, bool &on) const { readChecked(b.control(w, name), on); }
    void item(const char *w, const char *name, int &index) const { readItemIndex(b.control(w, name), index); }
    void subtitlesHeight(int &height) const
    {
        if (QWidget *subtitles = b.window("Form3"))
            height = subtitles->height();
    }
    void globalOptions(GlobalOptions &options) const
    {
        if (auto *dialog = qobject_cast<GlobalOptionsDialog *>(b.window("Form16")))
            options = dialog->options();
    }
    // The font actually used, which may be the fallback for a font that is not installed.
    void subtitlesFont(QString &name, int &size) const
    {
        if (QWidget *list = b.control("Form3", "ListBoxSubtitle")) {
            name = list->font().family();
            size = list->font().pointSize();
        }
    }
    void frameRate(QString &rate) const
    {
        if (auto *combo = qobject_cast<QComboBox *>(b.control(frameRateBoxes[0].first, frameRateBoxes[0].second)))
            rate = combo->currentText();
    }
    void dictionary(QString &name) const
    {
        if (auto *combo = qobject_cast<QComboBox *>(b.control("Form10", "ComboBoxLangOrtho")))
            name = combo->currentText();
    }
};

} // namespace

void ConfigBinding::apply(const Config &config, const QStringList &installedFonts) const
{
    Config c = config;
    Into into{*this, installedFonts};
    visitControls(c, into);
}

void ConfigBinding::collect(Config &config) const
{
    OutOf outOf{*this};
    visitControls(config, outOf);
}

Config loadConfigAtStart(const QString &path, const Config::Folders &folders, const Config::Ocr &currentOcr,
                         const QLocale &locale, const QStringList &languages, UserPrompt &prompt)
{
    auto loaded = Config::loadFile(path, folders, currentOcr, locale, languages);
    if (loaded)
        return std::move(*loaded);
    prompt.warn(loaded.error().message());
    Config c = Config::defaults(folders);
    c.ocr = currentOcr;
    c.main.languageName = firstRunChoice(locale, languages);
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
