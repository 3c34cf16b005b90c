// Keeps the program's windows and dialogs inside the available area of their screen whenever they are shown or resized.
#include "app/screen_keeper.h"

#include "ripping/ui/main_window.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace glyfex::app {

ScreenKeeper::ScreenKeeper(QObject *parent) : QObject(parent) {}

namespace {

// The title bar and borders a window had when it was last kept on the screen.
constexpr char kKeptFrame[] = "glyfexKeptFrame";

} // namespace

bool ScreenKeeper::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type kind = event->type();
    if ((kind == QEvent::Show || kind == QEvent::Resize || kind == QEvent::Move) && watched->isWidgetType()) {
        auto *w = static_cast<QWidget *>(watched);
        const Qt::WindowType type = w->windowType();
        if (!w->isWindow() || (type != Qt::Window && type != Qt::Dialog))
            return QObject::eventFilter(watched, event);
        // The window manager frames a shown window a moment later, which moves it without the user: a
        // window that fitted without its title bar and borders may not fit with them.
        const QSize frame = w->frameGeometry().size() - w->size();
        if (kind != QEvent::Move || w->property(kKeptFrame).toSize() != frame) {
            w->setProperty(kKeptFrame, frame);
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
