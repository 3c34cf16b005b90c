// Keeps the program's windows and dialogs inside the available area of their screen whenever they are shown or resized.
#include "app/screen_keeper.h"

#include "ripping/ui/main_window.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace glyfex::app {

ScreenKeeper::ScreenKeeper(QObject *parent) : QObject(parent) {}

bool ScreenKeeper::eventFilter(QObject *watched, QEvent *event)
{
    if ((event->type() == QEvent::Show || event->type() == QEvent::Resize) && watched->isWidgetType()) {
        auto *w = static_cast<QWidget *>(watched);
        const Qt::WindowType type = w->windowType();
        if (w->isWindow() && (type == Qt::Window || type == Qt::Dialog)) {
            // Once the event is through: a window being shown has its size and frame only then.
            QTimer::singleShot(0, w, [window = QPointer<QWidget>(w)] {
                if (window)
                    ripping::ui::keepWindowOnScreen(*window);
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace glyfex::app
