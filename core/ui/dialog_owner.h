// Modal dialogs, message boxes and the windows beside the run over the window they belong to, never under the program's stay-on-top windows.
#pragma once

#include <Qt>

class QDialog;
class QWidget;

namespace glyfex::core::ui {

// The window the user works in: the modal dialog in front, else the program's active window, else
// fallback. A hidden window is never the answer: a box centred on it would appear where nothing is.
QWidget *workingWindow(QWidget *fallback = nullptr);

// Gives the dialog the window of owner as its parent, so that the window manager keeps it above that
// window and it opens centred on it; a null owner keeps the dialog's parent. While a window of the
// program that stays on top is shown (the Subtitles window, the matrix editor), the dialog stays on
// top as well: a window manager stacks those windows above every ordinary one, the dialogs of the
// main window included, and would hide the dialog's buttons behind them.
void prepareOver(QDialog &dialog, QWidget *owner);

// prepareOver, then shows the dialog modally; its result.
int execOver(QDialog &dialog, QWidget *owner);

// The flags of a window that lives beside the window that owns it (its parent), with the title-bar
// buttons of an ordinary window. Its type is a dialog's: the X11 window system records the owner
// (WM_TRANSIENT_FOR) of dialog-like windows only, and without it a window manager stacks the window
// and the dialogs of its owner as strangers, one of them covering the other.
Qt::WindowFlags ownedWindowFlags();

// While another window of the program that stays on top is shown, a hidden window stays on top as
// well when it is next shown, as prepareOver does for a dialog; a shown window keeps its flags (a
// change would hide it).
void keepAboveOnTopWindows(QWidget &window);

} // namespace glyfex::core::ui
