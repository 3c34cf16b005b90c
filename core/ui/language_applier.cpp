// Puts a language file's texts into the program's windows and message table, and builds the language menu.
#include "core/ui/language_applier.h"

#include "core/version.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeWidget>

#include <array>

namespace glyfex::core::ui {

namespace {

QTabWidget *tabWidgetOf(const QWidget *page)
{
    auto *stack = qobject_cast<QStackedWidget *>(page->parentWidget());
    auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(const_cast<QWidget *>(page)) >= 0 ? tabs : nullptr;
}

QList<QRadioButton *> radioItems(const QObject *group)
{
    return group->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly);
}

// A radio group is named so (the component prefix), or marked by the property; its items are its
// radio buttons in order.
bool isRadioGroup(const QObject *w)
{
    return w->objectName().startsWith(QLatin1String("RadioGroup")) || w->property(RadioGroupProperty).toBool();
}

// The keys a widget takes, by its exact class.
enum class Rule { None, CaptionHint, TextHint, Hint };

Rule ruleOf(const QWidget *w)
{
    static const QHash<QString, Rule> byClass{
        {QStringLiteral("QLabel"), Rule::CaptionHint},      {QStringLiteral("QPushButton"), Rule::CaptionHint},
        {QStringLiteral("QRadioButton"), Rule::CaptionHint}, {QStringLiteral("QCheckBox"), Rule::CaptionHint},
        {QStringLiteral("QToolButton"), Rule::CaptionHint},  {QStringLiteral("QGroupBox"), Rule::CaptionHint},
        {QStringLiteral("QLineEdit"), Rule::TextHint},       {QStringLiteral("QComboBox"), Rule::Hint},
        {QStringLiteral("QListWidget"), Rule::Hint},         {QStringLiteral("QSpinBox"), Rule::Hint},
        {QStringLiteral("QFrame"), Rule::Hint},
    };
    if (tabWidgetOf(w) || isRadioGroup(w))
        return Rule::CaptionHint;
    const QMetaObject *meta = w->metaObject();
    if (const auto it = byClass.constFind(QString::fromLatin1(meta->className())); it != byClass.cend())
        return *it;
    // A plain widget, or a view or composite of the program's own made straight on one (an up-down
    // pair, a picture), carries its hint; it has no text of its own.
    if (meta == &QWidget::staticMetaObject || meta->superClass() == &QWidget::staticMetaObject)
        return Rule::Hint;
    return Rule::None;
}

// The named widgets of a window, not those of windows inside it. Names starting with "qt_" belong to
// the parts Qt builds inside its own widgets (a spin box's line edit, a menu bar's extension button):
// they are no components of ours, and a text applied to a spin box's line edit would set its value.
QList<QWidget *> ownWidgets(QWidget *window)
{
    QList<QWidget *> result;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const QString name = w->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")) && w->window() == window)
            result.append(w);
    }
    return result;
}

bool tagged(const QObject *o)
{
    return o->property(TagProperty).toInt() == NotInLanguageFiles;
}

QString withoutAmpersands(QString s)
{
    return s.remove(u'&');
}

QString itemName(const QAction *action)
{
    if (!action->objectName().isEmpty())
        return action->objectName();
    return action->menu() ? action->menu()->objectName() : QString();
}

} // namespace

bool leftOutOfLanguageFiles(const QWidget *widget)
{
    if (tagged(widget))
        return true;
    const QWidget *window = widget->window();
    for (const QWidget *p = widget->parentWidget(); p && p != window; p = p->parentWidget()) {
        if (tagged(p) && !qobject_cast<const QGroupBox *>(p))
            return true;
    }
    return false;
}

LanguageApplier::LanguageApplier(QList<QWidget *> windows, MessageTable &messages)
    : m_messages(messages)
{
    for (QWidget *w : windows)
        m_windows.append(w);
    for (QWidget *w : windows)
        recordWindow(w);
}

std::optional<QString> LanguageApplier::get(const Slot &slot)
{
    QObject *o = slot.object;
    auto *w = qobject_cast<QWidget *>(o);
    switch (slot.kind) {
    case Kind::Title:
        return w ? std::optional(w->windowTitle()) : std::nullopt;
    case Kind::Caption:
        if (auto *a = qobject_cast<QAction *>(o))
            return a->text();
        if (QTabWidget *tabs = w ? tabWidgetOf(w) : nullptr)
            return tabs->tabText(tabs->indexOf(w));
        if (auto *l = qobject_cast<QLabel *>(o))
            return l->text();
        if (auto *b = qobject_cast<QAbstractButton *>(o))
            return b->text();
        if (auto *g = qobject_cast<QGroupBox *>(o))
            return g->title();
        return std::nullopt;
    case Kind::Hint:
        if (auto *a = qobject_cast<QAction *>(o))
            return a->toolTip();
        return w ? std::optional(w->toolTip()) : std::nullopt;
    case Kind::Text:
        if (auto *e = qobject_cast<QLineEdit *>(o))
            return e->text();
        return std::nullopt;
    case Kind::Item: {
        const auto items = radioItems(o);
        return slot.index < items.size() ? std::optional(items[slot.index]->text()) : std::nullopt;
    }
    case Kind::Column:
        if (auto *t = qobject_cast<QTreeWidget *>(o); t && slot.index < t->columnCount())
            return t->headerItem()->text(slot.index);
        return std::nullopt;
    case Kind::Node:
        if (auto *t = qobject_cast<QTreeWidget *>(o); t && slot.index < t->topLevelItemCount())
            return t->topLevelItem(slot.index)->text(0);
        return std::nullopt;
    }
    return std::nullopt;
}

void LanguageApplier::put(const Slot &slot, const QString &text)
{
    QObject *o = slot.object;
    auto *w = qobject_cast<QWidget *>(o);
    switch (slot.kind) {
    case Kind::Title:
        if (w)
            w->setWindowTitle(text);
        return;
    case Kind::Caption:
        if (auto *a = qobject_cast<QAction *>(o))
            a->setText(text);
        else if (QTabWidget *tabs = w ? tabWidgetOf(w) : nullptr)
            tabs->setTabText(tabs->indexOf(w), text);
        else if (auto *l = qobject_cast<QLabel *>(o))
            l->setText(text);
        else if (auto *b = qobject_cast<QAbstractButton *>(o))
            b->setText(text);
        else if (auto *g = qobject_cast<QGroupBox *>(o))
            g->setTitle(text);
        return;
    case Kind::Hint:
        if (auto *a = qobject_cast<QAction *>(o))
            a->setToolTip(text);
        else if (w)
            w->setToolTip(text);
        return;
    case Kind::Text:
        if (auto *e = qobject_cast<QLineEdit *>(o))
            e->setText(text);
        return;
    case Kind::Item: {
        const auto items = radioItems(o);
        if (slot.index < items.size())
            items[slot.index]->setText(text);
        return;
    }
    case Kind::Column:
        if (auto *t = qobject_cast<QTreeWidget *>(o); t && slot.index < t->columnCount())
            t->headerItem()->setText(slot.index, text);
        return;
    case Kind::Node:
        if (auto *t = qobject_cast<QTreeWidget *>(o); t && slot.index < t->topLevelItemCount())
            t->topLevelItem(slot.index)->setText(0, text);
        return;
    }
}

void LanguageApplier::remember(const Slot &slot)
{
    // A memo whose object is gone may share the address of a new object: that one starts afresh.
    if (const auto it = m_memos.constFind(slot); it != m_memos.cend() && it->object)
        return;
    if (const auto text = get(slot))
        m_memos.insert(slot, Memo{slot.object, *text, std::nullopt});
}

bool LanguageApplier::showsBuiltIn(const Slot &slot)
{
    remember(slot);
    const auto it = m_memos.constFind(slot);
    return it != m_memos.cend() && get(slot) == it->builtIn;
}

void LanguageApplier::set(const Slot &slot, const QString &text)
{
    remember(slot);
    put(slot, text);
    auto it = m_memos.find(slot);
    if (it != m_memos.end())
        it->applied = text;
}

void LanguageApplier::recordWindow(QWidget *window)
{
    remember({window, Kind::Title, 0});
    for (QWidget *w : ownWidgets(window)) {
        const Rule rule = ruleOf(w);
        if (rule == Rule::CaptionHint)
            remember({w, Kind::Caption, 0});
        if (rule == Rule::TextHint)
            remember({w, Kind::Text, 0});
        if (rule != Rule::None)
            remember({w, Kind::Hint, 0});
        if (isRadioGroup(w)) {
            for (int i = 0; i < radioItems(w).size(); ++i)
                remember({w, Kind::Item, i});
        }
        if (auto *tree = qobject_cast<QTreeWidget *>(w)) {
            for (int i = 0; i < tree->columnCount(); ++i)
                remember({w, Kind::Column, i});
            for (int i = 0; i < tree->topLevelItemCount(); ++i)
                remember({w, Kind::Node, i});
        }
    }
    for (QAction *a : window->findChildren<QAction *>()) {
        remember({a, Kind::Caption, 0});
    }
    for (QMenu *menu : window->findChildren<QMenu *>()) {
        for (QAction *a : menu->actions())
            remember({a, Kind::Caption, 0});
    }
}

void LanguageApplier::revertToBuiltIns()
{
    for (auto it = m_memos.begin(); it != m_memos.end();) {
        if (!it->object) {
            it = m_memos.erase(it);
            continue;
        }
        // Window titles always go back (the caption tails are carried over separately); any other
        // text only while it still shows what the language put there, so the program's own later
        // texts (counters, file names, what the user typed) stay.
        if (it->applied && (it.key().kind == Kind::Title || get(it.key()) == *it->applied))
            put(it.key(), it->builtIn);
        it->applied.reset();
        ++it;
    }
}

QWidget *LanguageApplier::window(const QString &name) const
{
    for (const QPointer<QWidget> &w : m_windows) {
        if (w && w->objectName() == name)
            return w;
    }
    return nullptr;
}

QObject *LanguageApplier::component(const QString &windowName, const QString &name) const
{
    QWidget *w = window(windowName);
    if (!w)
        return nullptr;
    for (QObject *o : w->findChildren<QObject *>(name)) {
        auto *widget = qobject_cast<QWidget *>(o);
        // A dialog kept by the window (a file dialog) is the window's, but not the widgets inside it.
        if (!widget || widget->window() == w || widget->parentWidget() == w)
            return o;
    }
    return nullptr;
}

void LanguageApplier::readMenu(const IniStore &file, const QString &section, const QList<QAction *> &actions,
                               const QString &prefix)
{
    for (QAction *a : actions) {
        const QString name = itemName(a);
        if (name.isEmpty())
            continue;
        const QString key = prefix + name;
        if (file.valueExists(section, key))
            set({a, Kind::Caption, 0}, file.readString(section, key));
        if (a->menu())
            readMenu(file, section, a->menu()->actions(), key + u'.');
    }
}

void LanguageApplier::readWindow(const IniStore &file, QWidget *window, bool clearUnnamedHints)
{
    const QString section = window->objectName();
    if (section.isEmpty())
        return;
    const QString titleKey = section + QStringLiteral(".Caption");
    if (file.valueExists(section, titleKey))
        set({window, Kind::Title, 0}, file.readString(section, titleKey));

    auto readKey = [&](QObject *o, const QString &property, Kind kind, int index) {
        const QString key = o->objectName() + u'.' + property;
        // An edit's text is the language's only while it shows the built-in one: what the user typed
        // there, or a file read, stays.
        if (kind == Kind::Text && !showsBuiltIn({o, kind, index}))
            return;
        if (file.valueExists(section, key))
            set({o, kind, index}, file.readString(section, key));
        else if (kind == Kind::Hint && clearUnnamedHints)
            set({o, kind, index}, QString());
    };
    for (QWidget *w : ownWidgets(window)) {
        // What the program sets while it runs keeps its text whatever the file says.
        if (leftOutOfLanguageFiles(w))
            continue;
        const Rule rule = ruleOf(w);
        if (rule == Rule::CaptionHint)
            readKey(w, QStringLiteral("Caption"), Kind::Caption, 0);
        if (rule == Rule::TextHint)
            readKey(w, QStringLiteral("Text"), Kind::Text, 0);
        if (isRadioGroup(w)) {
            // Keys beyond the group's items are ignored.
            const auto count = radioItems(w).size();
            for (int i = 0; i < count; ++i) {
                const QString key = w->objectName() + QStringLiteral(".Items") + QString::number(i);
                if (file.valueExists(section, key))
                    set({w, Kind::Item, i}, file.readString(section, key));
            }
        }
        if (rule != Rule::None)
            readKey(w, QStringLiteral("Hint"), Kind::Hint, 0);
        if (auto *bar = qobject_cast<QMenuBar *>(w))
            readMenu(file, section + u'.' + bar->objectName(), bar->actions(), QString());
    }
    // Pop-up menus belong to the window directly; sub-menus are walked from their parents.
    for (QMenu *popup : window->findChildren<QMenu *>(Qt::FindDirectChildrenOnly)) {
        if (!popup->objectName().isEmpty())
            readMenu(file, section + u'.' + popup->objectName(), popup->actions(), QString());
    }
}

namespace {

// A text goes into the image as the file will give it back once written and read again (without blanks at
// its ends), so that applying a written language file and writing it once more gives the same file.
void writeText(IniStore &file, const QString &section, const QString &key, const QString &text)
{
    file.writeString(section, key, IniStore::valueAfterReload(text));
}

void writeMenu(IniStore &file, const QString &section, const QList<QAction *> &actions, const QString &prefix)
{
    for (QAction *a : actions) {
        const QString name = itemName(a);
        if (name.isEmpty() || a->isSeparator())
            continue;
        const QString key = prefix + name;
        if (!tagged(a))
            writeText(file, section, key, a->text());
        if (a->menu())
            writeMenu(file, section, a->menu()->actions(), key + u'.');
    }
}

// The windows a language file holds, in its order; the About box and the stream scan keep their own texts.
constexpr std::array<const char *, 17> kTranslatedWindows{"Form1",  "Form2",  "Form3",  "Form4",  "Form5",  "Form6",
                                                          "Form10", "Form11", "Form13", "Form14", "Form15", "Form16",
                                                          "Form17", "Form18", "Form20", "Form21", "Form22"};

} // namespace

void LanguageApplier::writeWindow(IniStore &file, QWidget *window)
{
    const QString section = window->objectName();
    if (section.isEmpty())
        return;
    if (!tagged(window))
        writeText(file, section, section + QStringLiteral(".Caption"), window->windowTitle());
    auto writeKey = [&](QObject *o, const QString &property, Kind kind, int index, bool skipEmpty) {
        const auto text = get({o, kind, index});
        if (text && !(skipEmpty && text->isEmpty()))
            writeText(file, section, o->objectName() + u'.' + property, *text);
    };
    for (QWidget *w : ownWidgets(window)) {
        if (leftOutOfLanguageFiles(w))
            continue;
        const Rule rule = ruleOf(w);
        if (rule == Rule::CaptionHint)
            writeKey(w, QStringLiteral("Caption"), Kind::Caption, 0, false);
        if (rule == Rule::TextHint)
            writeKey(w, QStringLiteral("Text"), Kind::Text, 0, false);
        if (isRadioGroup(w)) {
            for (int i = 0; i < radioItems(w).size(); ++i)
                writeKey(w, QStringLiteral("Items") + QString::number(i), Kind::Item, i, false);
        }
        if (rule != Rule::None)
            writeKey(w, QStringLiteral("Hint"), Kind::Hint, 0, true);
        if (auto *bar = qobject_cast<QMenuBar *>(w))
            writeMenu(file, section + u'.' + bar->objectName(), bar->actions(), QString());
    }
    for (QMenu *popup : window->findChildren<QMenu *>(Qt::FindDirectChildrenOnly)) {
        if (!popup->objectName().isEmpty() && !tagged(popup))
            writeMenu(file, section + u'.' + popup->objectName(), popup->actions(), QString());
    }
}

IniStore LanguageApplier::image() const
{
    IniStore file;
    for (const char *name : kTranslatedWindows) {
        if (QWidget *w = window(QLatin1String(name)))
            writeWindow(file, w);
    }
    const QStringList &texts = m_messages.texts();
    for (qsizetype i = 0; i < texts.size(); ++i)
        writeText(file, QStringLiteral("Messages"), QString::number(i), texts[i]);
    return file;
}

Result<void> LanguageApplier::apply(const QString &filePath, bool paused)
{
    IniStore file;
    if (!filePath.isEmpty()) {
        auto opened = IniStore::open(filePath);
        if (!opened)
            return opened.error();
        file = std::move(*opened);
    }
    const bool clearUnnamedHints = filePath.contains(QLatin1String("current.lng"));

    // " | " and what follows in a title is the window's own (the open file's name): it survives.
    auto titleOf = [&](const QString &name) { return window(name) ? window(name)->windowTitle() : QString(); };
    auto keepTail = [&](const QString &name, const QString &before) {
        const qsizetype bar = before.indexOf(QLatin1String(" | "));
        QWidget *w = window(name);
        if (!w || bar <= 0)
            return;
        QString head = w->windowTitle();
        if (const qsizetype own = head.indexOf(QLatin1String(" | ")); own > 0)
            head.truncate(own); // a built-in title recorded with a file name in it
        set({w, Kind::Title, 0}, head + before.mid(bar));
    };
    const QString subtitlesTitle = titleOf(QStringLiteral("Form3"));
    const QString matrixTitle = titleOf(QStringLiteral("Form5"));

    revertToBuiltIns();
    for (QWidget *w : m_windows)
        if (w)
            recordWindow(w); // widgets made since the last time
    auto read = [&](std::initializer_list<const char *> names) {
        for (const char *name : names) {
            if (QWidget *w = window(QLatin1String(name)))
                readWindow(file, w, clearUnnamedHints);
        }
    };
    // The Subtitles window's and the matrix editor's titles get their tails back before the next windows.
    for (const char *name : kTranslatedWindows) {
        read({name});
        if (QLatin1String(name) == QLatin1String("Form3"))
            keepTail(QStringLiteral("Form3"), subtitlesTitle);
        if (QLatin1String(name) == QLatin1String("Form5"))
            keepTail(QStringLiteral("Form5"), matrixTitle);
    }

    m_messages.resetToDefaults();
    const QString messages = QStringLiteral("Messages");
    m_messages.replaceFrom([&](const QString &key) -> std::optional<QString> {
        if (!file.valueExists(messages, key))
            return std::nullopt;
        return file.readString(messages, key);
    });

    applyFixedTexts(paused);
    copySharedTexts();
    return {};
}

void LanguageApplier::applyFixedTexts(bool paused)
{
    if (QWidget *main = window(QStringLiteral("Form1")))
        set({main, Kind::Title, 0}, QStringLiteral("Glyfex ") + QLatin1String(core::kProgramVersion));
    if (auto *pause = qobject_cast<QWidget *>(component(QStringLiteral("Form1"), QStringLiteral("ButtonPause")))) {
        const bool showContinue = paused && pause->isEnabled();
        set({pause, Kind::Caption, 0}, m_messages.text(showContinue ? Msg::Continue : Msg::Pause));
    }
    for (const char *name : {"EditSubviewerSource", "EditSubviewer2Source", "EditDVDSubtitleInfo"}) {
        QObject *edit = component(QStringLiteral("Form13"), QLatin1String(name));
        const auto text = edit ? get({edit, Kind::Text, 0}) : std::nullopt;
        if (!text)
            continue;
        const qsizetype at = text->indexOf(QLatin1String("${VERSION}"));
        if (at >= 0)
            set({edit, Kind::Text, 0}, QString(*text).replace(at, 10, QLatin1String(core::kProgramVersion)));
    }
}

void LanguageApplier::copySharedTexts()
{
    enum class Change { None, NoAmpersand, AboutTitle, FirstColonRemoved, FirstCharacter };
    struct End {
        const char *window;
        const char *name; // nullptr: the window itself
        Kind kind;
        int index;
    };
    auto caption = [](const char *window, const char *name) { return End{window, name, Kind::Caption, 0}; };
    auto hint = [](const char *window, const char *name) { return End{window, name, Kind::Hint, 0}; };
    auto title = [](const char *window) { return End{window, nullptr, Kind::Title, 0}; };
    auto item = [](const char *window, const char *name, int i) { return End{window, name, Kind::Item, i}; };
    auto column = [](const char *window, const char *name, int i) { return End{window, name, Kind::Column, i}; };

    QList<std::tuple<End, End, Change, QString>> rows; // source, target, change, suffix
    auto copy = [&](End from, std::initializer_list<End> to, Change change = Change::None, QString suffix = {}) {
        for (const End &t : to)
            rows.append({from, t, change, suffix});
    };
    for (const char *box : {"BoldCheckBox", "ItalicCheckBox", "UnderlineCheckBox"})
        copy(caption("Form2", box), {caption("Form5", box)});
    copy(hint("Form3", "TntBitButtonOutputFormat"), {hint("Form6", "TntBitButtonOutputFormat")});
    copy(caption("Form1", "About1"), {title("Form12")}, Change::AboutTitle);
    copy(caption("Form2", "BitBtn1"), {caption("Form4", "BitBtnOk"), caption("Form5", "BitBtn1"),
                                       caption("Form17", "BitBtn1"), caption("Form18", "BitBtn1")});
    copy(caption("Form4", "BitBtnCancel"),
         {caption("Form6", "BitBtnCancel"), caption("Form10", "BitBtn2"), caption("Form13", "BitBtn1"),
          caption("Form14", "BitBtn1"), caption("Form19", "BitBtnCancel")});
    copy(caption("Form5", "Label1"), {column("Form5", "ListViewMatrix", 0)}, Change::FirstColonRemoved);
    copy(caption("Form5", "Label7"), {column("Form5", "ListViewMatrix", 1)}, Change::FirstColonRemoved);
    copy(caption("Form5", "BoldCheckBox"), {column("Form5", "ListViewMatrix", 2)}, Change::FirstCharacter);
    copy(caption("Form5", "ItalicCheckBox"), {column("Form5", "ListViewMatrix", 3)}, Change::FirstCharacter);
    copy(caption("Form5", "UnderlineCheckBox"), {column("Form5", "ListViewMatrix", 4)}, Change::FirstCharacter);
    copy(caption("Form13", "Label39"),
         {caption("Form13", "Label40"), caption("Form13", "Label42"), caption("Form13", "LabelMplFR"),
          caption("Form13", "LabelMacSUBFR"), caption("Form13", "LabelPhoenixFR"), caption("Form13", "MaeFRLabel"),
          caption("Form13", "SSTFRLabel"), caption("Form13", "LabelSTLFR"), caption("Form13", "LabelImpreFR"),
          caption("Form13", "LabelFABFR"), caption("Form13", "LabelMacDVDFR")});
    copy(hint("Form13", "ComboBoxPhilipsFrameRate"),
         {hint("Form13", "ComboBoxSTLFrameRate"), hint("Form13", "ComboBoxSonicFrameRate"),
          hint("Form13", "ComboBoxMaeFrameRate"), hint("Form13", "ComboBoxSSTFrameRate"),
          hint("Form13", "ComboBoxImpreFrameRate"), hint("Form13", "ComboBoxFABFrameRate"),
          hint("Form13", "ComboBoxMacDVDFrameRate")});
    copy(caption("Form13", "CheckBoxPhilipsDropFrame"),
         {caption("Form13", "CheckBoxSonicDropFrame"), caption("Form13", "CheckBoxMaeDropFrame"),
          caption("Form13", "CheckBoxSSTDropFrame"), caption("Form13", "CheckBoxSTLDropFrame"),
          caption("Form13", "CheckBoxImpreDropFrame"), caption("Form13", "CheckBoxFABDropFrame"),
          caption("Form13", "CheckBoxMacDVDDropFrame")});
    copy(caption("Form13", "Label45"), {caption("Form13", "LabelMplFRHint"), caption("Form13", "LabelMacSUBFRHint"),
                                        caption("Form13", "LabelPhoenixFRHint")});
    copy(caption("Form13", "Label2"), {caption("Form13", "MaeOffsetLabel")});
    copy(caption("Form13", "CheckBoxGxtExtended"), {caption("Form13", "CheckBoxMaeExtended")});
    copy(caption("Form18", "RadioGroupHAlignment"), {caption("Form13", "GroupBoxSTLHor")});
    copy(caption("Form18", "RadioGroupVAlignment"), {caption("Form13", "GroupBoxSTLVer")});
    const std::array<const char *, 3> horizontal{"RadioButtonHLeft", "RadioButtonHCenter", "RadioButtonHRight"};
    const std::array<const char *, 3> vertical{"RadioButtonVTop", "RadioButtonVCenter", "RadioButtonVBottom"};
    for (int i = 0; i < 3; ++i) {
        copy(item("Form18", "RadioGroupHAlignment", i), {caption("Form13", horizontal[i])});
        copy(item("Form18", "RadioGroupVAlignment", i), {caption("Form13", vertical[i])});
    }
    copy(caption("Form13", "LabelHOffset"), {caption("Form13", "LabelVOffset")});
    for (Kind kind : {Kind::Caption, Kind::Hint}) {
        const End font{"Form13", "ButtonSTLFont", kind, 0};
        copy(font, {End{"Form15", "ButtonCharFont", kind, 0}, End{"Form13", "ButtonSSAFont", kind, 0},
                    End{"Form13", "ButtonSV2Font", kind, 0}});
        for (const char *button : {"ButtonCharmap", "ButtonPause"})
            copy(End{"Form2", button, kind, 0}, {End{"Form15", button, kind, 0}});
    }
    copy(caption("Form13", "LabelColor"), {caption("Form13", "LabelSSAColor")});
    for (const char *button : {"ButtonChangeColor", "ButtonSkipSubPict"})
        copy(caption("Form2", button), {caption("Form15", button)});
    // The Global Options' first group box is named like the window (and, as the window, tagged).
    copy(caption("Form1", "GlobalOptions1"), {title("Form16"), caption("Form16", "GroupBox1")}, Change::NoAmpersand);
    copy(caption("Form2", "BitBtn1"), {caption("Form16", "BitBtnOk")});
    copy(caption("Form18", "RadioButtonOriginalLeftPos"), {caption("Form18", "RadioButtonOriginalTopPos")});
    copy(caption("Form18", "RadioButtonCenterLeftPos"), {caption("Form18", "RadioButtonCenterTopPos")});
    copy(caption("Form18", "RadioButtonSetLeftPos"), {caption("Form18", "RadioButtonSetTopPos")});
    copy(caption("Form18", "Label17"), {caption("Form18", "Label16")});
    const std::array<const char *, 4> colourLabels{"LabelClr1", "LabelClr2", "LabelClr3", "LabelClr4"};
    for (int i = 0; i < 4; ++i)
        copy(caption("Form13", "LabelColor"), {caption("Form18", colourLabels[i])}, Change::None,
             QStringLiteral(" #") + QString::number(i + 1));
    copy(caption("Form1", "CheckNewVersion1"), {title("Form20")}, Change::NoAmpersand);
    // The matrix open dialog, made anew each time, takes its title from OpenCharacterMatrix1 itself.

    auto resolve = [&](const End &e) -> QObject * {
        return e.name ? component(QLatin1String(e.window), QLatin1String(e.name)) : window(QLatin1String(e.window));
    };
    for (const auto &[from, to, change, suffix] : rows) {
        QObject *source = resolve(from);
        QObject *target = resolve(to);
        const auto text = source ? get({source, from.kind, from.index}) : std::nullopt;
        if (!target || !text)
            continue;
        QString value = *text;
        switch (change) {
        case Change::None:
            break;
        case Change::NoAmpersand:
            value = withoutAmpersands(value);
            break;
        case Change::AboutTitle:
            value = withoutAmpersands(value);
            if (!value.contains(QLatin1String("...")))
                value += QLatin1String("...");
            break;
        case Change::FirstColonRemoved:
            if (const qsizetype colon = value.indexOf(u':'); colon >= 0)
                value.remove(colon, 1);
            break;
        case Change::FirstCharacter:
            value = value.left(1);
            break;
        }
        set({target, to.kind, to.index}, value + suffix);
    }

    // The two roots of the output-format tree are named by the message table.
    if (auto *tree = qobject_cast<QTreeWidget *>(component(QStringLiteral("Form13"), QStringLiteral("FormatsTreeView")))) {
        set({tree, Kind::Node, 0}, m_messages.text(Msg::TextFormats));
        set({tree, Kind::Node, 1}, m_messages.text(Msg::GraphicalFormats));
    }
}

void buildLanguageMenu(QMenu *menu, const QStringList &languages, const QString &current,
                       std::function<void(const QString &)> chosen)
{
    auto *group = new QActionGroup(menu);
    group->setExclusive(true);
    for (int i = 0; i < languages.size(); ++i) {
        auto *action = menu->addAction(languages[i]);
        action->setObjectName(QStringLiteral("Language") + QString::number(i + 1));
        action->setCheckable(true);
        action->setChecked(languages[i] == current);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, menu, [action, chosen] {
            action->setChecked(true);
            chosen(withoutAmpersands(action->text()));
        });
    }
}

} // namespace glyfex::core::ui
