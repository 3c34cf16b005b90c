// Puts a language file's texts into the program's windows and message table, and builds the language menu.
#pragma once

#include "core/ini_store.h"
#include "core/messages.h"
#include "core/result.h"
#include "core/ui/named_widget.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QWidget;

namespace glyfex::core::ui {

// Language files address texts by names: a window by its objectName (Form1 ... Form22), a widget by
// its objectName (component name), a menu item by the path of action names below a menu bar or a
// pop-up menu. Keys by widget class (exact class, so a subclass such as a numeric edit is left alone):
//   QLabel, QPushButton, QRadioButton, QCheckBox, QToolButton, QGroupBox, a tab page: Caption, Hint
//   QLineEdit: Text, Hint;  QComboBox, QListWidget, QSpinBox, QFrame: Hint
//   QWidget, and the program's own classes made straight on it (an up-down pair, a picture view): Hint
//   a radio group (named "RadioGroup...", or any widget with the property RadioGroupProperty set):
//   Caption (when it is a QGroupBox), Hint, and Items0, Items1, ... for its radio buttons in order
// The window's own title is "<window>.Caption"; a hint is the tool tip.

// A widget is left out of language files, written and read, when it or a widget it lies in (below its
// window) is tagged NotInLanguageFiles (runTimeText), but for a group box: its tag is its title's, as
// the components it frames are designed ones with tags of their own. A window's tag is its title's.
bool leftOutOfLanguageFiles(const QWidget *widget);

class LanguageApplier {
public:
    // windows: every window of the program; their texts now are the built-in English ones.
    LanguageApplier(QList<QWidget *> windows, MessageTable &messages);

    // Applies the language file at filePath (empty: the built-in English texts). Every text a
    // previous language set and nothing has changed since goes back to English first, so the new
    // language never leaves another language's texts behind. paused and the pause button's state
    // choose its caption. A file that cannot be read changes nothing and is returned as the error.
    Result<void> apply(const QString &filePath, bool paused);

    // Reads one window's texts from an open language file; the widgets left out of language files keep
    // theirs (the window's title and its menus are read whatever their tags).
    void readWindow(const IniStore &file, QWidget *window, bool clearUnnamedHints);
    // Writes one window's texts as they show now, by the same keys readWindow reads, leaving out what
    // is tagged NotInLanguageFiles, separators and empty hints.
    static void writeWindow(IniStore &file, QWidget *window);
    // A language file's image of the running program: every translated window in file order, then the
    // message table.
    IniStore image() const;

private:
    enum class Kind { Title, Caption, Hint, Text, Item, Column, Node };
    struct Slot {
        QObject *object;
        Kind kind;
        int index;
        bool operator==(const Slot &) const = default;
    };
    friend size_t qHash(const Slot &s, size_t seed) { return qHashMulti(seed, s.object, int(s.kind), s.index); }
    struct Memo {
        QPointer<QObject> object;
        QString builtIn;
        std::optional<QString> applied; // what the language last put there
    };

    static std::optional<QString> get(const Slot &slot);
    static void put(const Slot &slot, const QString &text);
    // Sets a slot and remembers it as the language's text.
    void set(const Slot &slot, const QString &text);
    // The built-in text of every slot, recorded the first time it is seen.
    void remember(const Slot &slot);
    bool showsBuiltIn(const Slot &slot);
    void recordWindow(QWidget *window);
    void revertToBuiltIns();

    QWidget *window(const QString &name) const;
    // A widget, action or dialog of that name belonging to the window.
    QObject *component(const QString &windowName, const QString &name) const;
    void readMenu(const IniStore &file, const QString &section, const QList<QAction *> &actions, const QString &prefix);
    void applyFixedTexts(bool paused);
    void copySharedTexts();

    QList<QPointer<QWidget>> m_windows;
    MessageTable &m_messages;
    QHash<Slot, Memo> m_memos;
};

// Fills menu with one checkable item per language (component names Language1, Language2, ...),
// the current one checked when its name matches exactly; choosing an item checks it alone and
// calls chosen with its name.
void buildLanguageMenu(QMenu *menu, const QStringList &languages, const QString &current,
                       std::function<void(const QString &)> chosen);

} // namespace glyfex::core::ui
