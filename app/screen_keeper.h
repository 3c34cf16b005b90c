// Keeps the program's windows and dialogs inside the available area of their screen whenever they are shown or resized.
#pragma once

#include <QObject>

class QWidget;

namespace glyfex::app {

// Watches every window of the application: one that is shown, or grows (a panel that opens, a dialog
// expanded again), beyond the screen's available area is moved back onto it, and cut to its size when
// it is larger; buttons at a window's edge stay within reach. A move by the user is left alone: a window
// may be dragged partly off the screen on purpose. The move of the window manager's framing is not left
// alone: the title bar and borders it adds may take the window past the screen's edge.
class ScreenKeeper : public QObject {
public:
    explicit ScreenKeeper(QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace glyfex::app
