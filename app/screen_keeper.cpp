// Keeps the program's windows and dialogs inside the available area of their screen whenever they are shown or resized.
#include "app/screen_keeper.h"

#include "ripping/ui/main_window.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace glyfex::app {

ScreenKeeper::ScreenKeeper(QObject *parent) : QObject(parent) {}

namespace {

// The title bar and borders a window had when it was last kept on the screen.
constexpr char kKeptFrame[] = "glyfexKeptFrame";

QSize frameOf(const QWidget &w)
{
    return w.frameGeometry().size() - w.size();
}

bool framedSinceKept(const QWidget &w)
{
    return w.property(kKeptFrame).toSize() != frameOf(w);
}

// Keeps the window on its screen once the event in hand is through: a window being shown has its size
// and frame only then. The main window fits its preview to the room first.
void keepSoon(QWidget &w)
{
    w.setProperty(kKeptFrame, frameOf(w));
    QTimer::singleShot(0, &w, [window = QPointer<QWidget>(&w)] {
        if (!window)
            return;
        if (auto *main = qobject_cast<ripping::ui::MainWindow *>(window.data()))
            main->fitToFrame();
        ripping::ui::keepWindowOnScreen(*window);
    });
}

bool isKept(const QWidget &w)
{
    return w.isWindow() && (w.windowType() == Qt::Window || w.windowType() == Qt::Dialog);
}

} // namespace

bool ScreenKeeper::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type kind = event->type();
    if (kind == QEvent::Expose && watched->isWindowType()) {
        // The window manager shows a window once it has framed it, which need not move it: its title
        // bar and borders may take a window that fitted without them past the screen's edge.
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->windowHandle() == watched && isKept(*w) && w->isVisible() && framedSinceKept(*w))
                keepSoon(*w);
        }
    } else if ((kind == QEvent::Show || kind == QEvent::Resize || kind == QEvent::Move) && watched->isWidgetType()) {
        auto *w = static_cast<QWidget *>(watched);
        // A move by the user is left alone; one that comes with the window manager's framing is not.
        if (isKept(*w) && (kind != QEvent::Move || framedSinceKept(*w)))
            keepSoon(*w);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace glyfex::app
