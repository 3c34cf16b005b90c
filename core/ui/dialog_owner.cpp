// Modal dialogs, message boxes and the windows beside the run over the window they belong to, never under the program's stay-on-top windows.
#include "core/ui/dialog_owner.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

namespace glyfex::core::ui {

namespace {

bool stayOnTopWindowShown(const QWidget &except)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *w : windows) {
        if (w != &except && w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            return true;
    }
    return false;
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
    keepAboveOnTopWindows(dialog);
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
    const bool onTop = stayOnTopWindowShown(window);
    if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) != onTop && !window.isVisible())
        window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

} // namespace glyfex::core::ui
