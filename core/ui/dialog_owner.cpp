// Modal dialogs, message boxes and the windows beside the run over the window they belong to, never under the program's stay-on-top windows.
#include "core/ui/dialog_owner.h"

#include <QApplication>
#include <QDialog>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace glyfex::core::ui {

namespace {

// Marks a window beside the run, which a stay-on-top window shown later gathers.
constexpr const char *kBesideTheRun = "glyfexBesideTheRun";

bool staysOnTop(const QWidget &w)
{
    return w.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

bool stayOnTopWindowShown(const QWidget &except)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *w : windows) {
        if (w != &except && w->isVisible() && staysOnTop(*w))
            return true;
    }
    return false;
}

// w is window, or a widget or window that belongs to it.
bool belongsTo(const QWidget *w, const QWidget &window)
{
    for (; w; w = w->parentWidget()) {
        if (w == &window)
            return true;
    }
    return false;
}

// The window manager learns the window's owner from its native window: made now when it has none yet.
void setOwnerOf(QWidget &window, QWidget *owner)
{
    if (!owner || !owner->windowHandle())
        return;
    (void)window.winId();
    if (QWindow *handle = window.windowHandle(); handle && handle->transientParent() != owner->windowHandle())
        handle->setTransientParent(owner->windowHandle());
}

// Before the window is shown: on top while another window of the program is, and kept over keptOver's
// window.
void keepOver(QWidget &window)
{
    if (window.isVisible())
        return;
    const bool onTop = stayOnTopWindowShown(window);
    if (staysOnTop(window) != onTop)
        window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    setOwnerOf(window, keptOver(window));
}

} // namespace

QWidget *workingWindow(QWidget *fallback)
{
    for (QWidget *candidate : {QApplication::activeModalWidget(), QApplication::activeWindow()}) {
        if (candidate && candidate->window()->isVisible())
            return candidate->window();
    }
    return fallback ? fallback->window() : nullptr;
}

QWidget *keptOver(const QWidget &window)
{
    QWidget *over = window.parentWidget() ? window.parentWidget()->window() : nullptr;
    while (over && !over->isVisible() && over->parentWidget())
        over = over->parentWidget()->window();
    if (!over || staysOnTop(*over))
        return over;
    QWidget *root = over;
    while (root->parentWidget())
        root = root->parentWidget()->window();
    // The program's stay-on-top windows belong to the main window, in the order they were made.
    for (QObject *child : root->children()) {
        auto *candidate = qobject_cast<QWidget *>(child);
        if (candidate && candidate->isWindow() && candidate->isVisible() && !candidate->isModal()
            && staysOnTop(*candidate) && !belongsTo(candidate, window))
            return candidate;
    }
    return over;
}

void prepareOver(QDialog &dialog, QWidget *owner)
{
    QWidget *parent = owner ? owner->window() : dialog.parentWidget();
    // A window that belongs to the dialog cannot become its parent.
    for (QWidget *w = parent; w; w = w->parentWidget()) {
        if (w == &dialog) {
            parent = dialog.parentWidget();
            break;
        }
    }
    if (parent != dialog.parentWidget())
        dialog.setParent(parent, dialog.windowFlags());
    keepOver(dialog);
}

int execOver(QDialog &dialog, QWidget *owner)
{
    prepareOver(dialog, owner);
    return dialog.exec();
}

Qt::WindowFlags ownedWindowFlags()
{
    return Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
           | Qt::WindowCloseButtonHint;
}

void keepAboveOnTopWindows(QWidget &window)
{
    window.setProperty(kBesideTheRun, true);
    keepOver(window);
}

void gatherWindowsBeside(QWidget &onTopWindow)
{
    if (!onTopWindow.isVisible() || !onTopWindow.windowHandle())
        return;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (w == &onTopWindow || !w->isVisible() || w->isModal() || !w->property(kBesideTheRun).toBool()
            || staysOnTop(*w) || keptOver(*w) != &onTopWindow || !w->windowHandle()
            || w->windowHandle()->transientParent() == onTopWindow.windowHandle())
            continue;
        const QRect where = w->geometry();
        w->hide();
        setOwnerOf(*w, &onTopWindow);
        w->setGeometry(where);
        w->show();
    }
}

} // namespace glyfex::core::ui
